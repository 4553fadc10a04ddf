// Feeds arbitrary files to the AC-3 header reader.
#include <cstdint>

#include "AC3.h"
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static TFuzzInputFile file("ac3");
    static TAC3 reader;
    try {
        bool ok = reader.ReadFromFile(file.Write(data, size));
        volatile double sink = reader.Duration() + reader.BitRate() + reader.Channels() + reader.SampleRate() +
                               reader.Bits() + double(reader.FileSize()) + (ok && reader.Valid());
        (void)sink;
    } catch (const EAC3Error &) {
    }
    return 0;
}
