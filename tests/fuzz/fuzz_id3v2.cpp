// Fuzz target: the ID3v2 reader on arbitrary file contents.
#include "ID3v2.h"

#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

// The reader takes a file name, so each input is written to one file in memory.
const std::string &InputFile()
{
    static const std::string Name = [] {
        const char *Dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        return std::string(Dir) + "/zolvane-fuzz-id3v2-" + std::to_string(getpid());
    }();
    return Name;
}

void WriteInput(const uint8_t *Data, size_t Size)
{
    const int Handle = open(InputFile().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (Handle < 0)
        return;
    size_t Done = 0;
    while (Done < Size) {
        const ssize_t Wrote = write(Handle, Data + Done, Size - Done);
        if (Wrote <= 0)
            break;
        Done += size_t(Wrote);
    }
    close(Handle);
}

struct RemoveAtExit {
    ~RemoveAtExit() { unlink(InputFile().c_str()); }
} Remover;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *Data, size_t Size)
{
    WriteInput(Data, Size);
    TID3v2 Tag;
    if (Tag.ReadFromFile(InputFile()) && (Tag.Size() < 0 || int64_t(Tag.Size()) > int64_t(Size)))
        __builtin_trap();
    volatile size_t Sink = Tag.Title().size() + Tag.Comment().size() + Tag.Link().size() + Tag.Genre().size();
    (void)Sink;
    return 0;
}
