// Fuzz target: the ID3v2 reader on arbitrary file contents.
#include "ID3v2.h"

#include "FuzzInput.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    static TFuzzInputFile Input("id3v2");
    const std::string &File = Input.Write(Data, Size);
    TID3v2 Tag;
    if (Tag.ReadFromFile(File) && (Tag.Size() < 0 || int64_t(Tag.Size()) > int64_t(Size)))
        __builtin_trap();
    volatile size_t Sink = Tag.Title().size() + Tag.Comment().size() + Tag.Link().size() + Tag.Genre().size();
    (void)Sink;
    return 0;
}
