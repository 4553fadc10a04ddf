// Feeds arbitrary files to the DTS header reader.
#include <cstdint>

#include "DTS.h"
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static TFuzzInputFile file("dts");
    static TDTS reader;
    try {
        bool ok = reader.ReadFromFile(file.Write(data, size));
        volatile double sink = reader.Duration() + reader.BitRate() + reader.Channels() + reader.SampleRate() +
                               reader.Bits() + double(reader.FileSize()) + (ok && reader.Valid());
        (void)sink;
    } catch (const EDTSError &) {
    }
    return 0;
}
