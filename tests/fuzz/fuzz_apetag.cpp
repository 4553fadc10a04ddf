// Fuzz target: the APE tag reader on arbitrary file contents.
#include "APEtag.h"

#include <cstdint>
#include <cstdio>
#include <string_view>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

// The reader takes a file name, so each input is written to one file in memory.
const std::string &InputFile()
{
    static const std::string Name = [] {
        const char *Dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        return std::string(Dir) + "/zolvane-fuzz-apetag-" + std::to_string(getpid());
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
    TAPEtag Tag;
    Tag.ReadFromFile(InputFile());
    volatile size_t Sink = Tag.Title().size() + Tag.Comment().size() + size_t(Tag.Track());
    (void)Sink;
    // The value decoder on its own, straight from the input.
    Sink = DecodeAPEText(std::string_view(reinterpret_cast<const char *>(Data), Size)).size();
    return 0;
}
