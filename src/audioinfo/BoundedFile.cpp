#include "BoundedFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace audioinfo {

namespace {
constexpr std::size_t WindowSize = 64 * 1024;
}

TBoundedFile::~TBoundedFile()
{
    Close();
}

bool TBoundedFile::Open(const std::string &FileName)
{
    Close();
    int Handle;
    do {
        Handle = ::open(FileName.c_str(), O_RDONLY | O_CLOEXEC);
    } while (Handle < 0 && errno == EINTR);
    if (Handle < 0)
        return false;
    struct stat Info {};
    if (::fstat(Handle, &Info) != 0 || !S_ISREG(Info.st_mode)) {
        ::close(Handle);
        return false;
    }
    FHandle = Handle;
    FSize = Info.st_size;
    FWindowStart = 0;
    FWindowLength = 0;
    return true;
}

void TBoundedFile::Close()
{
    if (FHandle >= 0)
        ::close(FHandle);
    FHandle = -1;
    FSize = 0;
    FWindowLength = 0;
}

int64_t TBoundedFile::RawRead(int64_t Position, void *Dest, std::size_t Count)
{
    auto *Out = static_cast<unsigned char *>(Dest);
    std::size_t Done = 0;
    while (Done < Count) {
        ssize_t Got = ::pread(FHandle, Out + Done, Count - Done, off_t(Position + int64_t(Done)));
        if (Got < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (Got == 0)
            break;
        Done += std::size_t(Got);
    }
    return int64_t(Done);
}

int64_t TBoundedFile::ReadAt(int64_t Position, void *Dest, std::size_t Count)
{
    if (FHandle < 0 || Position < 0)
        return -1;
    if (Count == 0)
        return 0;
    if (Position >= FSize)
        return 0;
    // Never ask for more than the file holds.
    Count = std::size_t(std::min<int64_t>(int64_t(Count), FSize - Position));
    if (Count >= WindowSize)
        return RawRead(Position, Dest, Count);
    if (Position < FWindowStart || Position + int64_t(Count) > FWindowStart + int64_t(FWindowLength)) {
        if (FWindow.size() != WindowSize)
            FWindow.resize(WindowSize);
        int64_t Got = RawRead(Position, FWindow.data(), WindowSize);
        if (Got < 0) {
            FWindowLength = 0;
            return -1;
        }
        FWindowStart = Position;
        FWindowLength = std::size_t(Got);
    }
    std::size_t Offset = std::size_t(Position - FWindowStart);
    std::size_t Available = std::min(Count, FWindowLength - std::min(Offset, FWindowLength));
    if (Available > 0)
        std::memcpy(Dest, FWindow.data() + Offset, Available);
    return int64_t(Available);
}

bool TBoundedFile::ReadExact(int64_t Position, void *Dest, std::size_t Count)
{
    return ReadAt(Position, Dest, Count) == int64_t(Count);
}

} // namespace audioinfo
