// Feeds arbitrary files to the AAC reader (and through it to the three tag readers).
#include <cstdint>

#include "AACfile.h"
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static TFuzzInputFile file("aacfile");
    static TAACfile reader;
    bool ok = reader.ReadFromFile(file.Write(data, size));
    volatile double sink = reader.Duration() + (ok && reader.Valid()) + reader.Frames() + reader.Version() +
                           reader.Profile() + reader.BitRateType() + reader.ID3v1().TotalSize() +
                           reader.ID3v2().Size() + reader.APEtag().Size() + reader.ID3v2().Title().size();
    (void)sink;
    return 0;
}
