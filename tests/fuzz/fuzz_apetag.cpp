// Fuzz target: the APE tag reader on arbitrary file contents.
#include "APEtag.h"

#include "FuzzInput.h"

#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    static TFuzzInputFile Input("apetag");
    const std::string &File = Input.Write(Data, Size);
    TAPEtag Tag;
    Tag.ReadFromFile(File);
    volatile size_t Sink = Tag.Title().size() + Tag.Comment().size() + size_t(Tag.Track());
    (void)Sink;
    // The value decoder on its own, straight from the input.
    Sink = DecodeAPEText(std::string_view(reinterpret_cast<const char *>(Data), Size)).size();
    return 0;
}
