// Fuzz target: the ID3v1 and Lyrics3 reader on arbitrary file contents.
#include "ID3v1.h"

#include "FuzzInput.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    static TFuzzInputFile Input("id3v1");
    const std::string &File = Input.Write(Data, Size);
    TID3v1 Tag;
    const bool Read = Tag.ReadFromFile(File);
    volatile size_t Sink = Tag.Title().size() + Tag.Lyrics().size() + Tag.Images().size() + size_t(Tag.TotalSize());
    (void)Sink;
    if (Read && Tag.TotalSize() < 0)
        __builtin_trap();
    if (Tag.GenreID() < MAX_MUSIC_GENRES)
        Sink = MusicGenre[Tag.GenreID()][0];
    return 0;
}
