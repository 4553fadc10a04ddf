// Fuzz target: the MPEG audio reader on arbitrary file contents.
#include "MPEGaudio.h"

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
        return std::string(Dir) + "/zolvane-fuzz-mpegaudio-" + std::to_string(getpid());
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
    TMPEGaudio Reader;
    const bool Read = Reader.ReadFromFile(InputFile());
    volatile double Sink = Reader.Duration() + Reader.BitRate() + Reader.SampleRate();
    (void)Sink;
    Sink = double(Reader.ChannelMode().size());
    if (Read && Reader.Valid()) {
        // A valid result describes a frame inside the file.
        if (Reader.Frame().Position < 0 || Reader.Frame().Position >= int64_t(Size) || Reader.Duration() < 0.1)
            __builtin_trap();
    }
    return 0;
}
