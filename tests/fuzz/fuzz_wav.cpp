// Feeds arbitrary files to the WAV header reader.
#include <cstdint>

#include "FuzzInput.h"
#include "WAVfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static TFuzzInputFile file("wav");
    static TWAVfile reader;
    bool ok = reader.ReadFromFile(file.Write(data, size));
    volatile double sink = reader.Duration() + reader.SampleNumber() + reader.HeaderSize() + reader.FileSize() +
                           reader.ChannelMode().size() + reader.FileName().size() + (ok && reader.Valid());
    (void)sink;
    return 0;
}
