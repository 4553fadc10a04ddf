// Read-only access to one audio file for the readers: positioned reads that never
// go past the end of the file and never into memory outside the caller's buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace audioinfo {

class TBoundedFile {
public:
    TBoundedFile() = default;
    ~TBoundedFile();
    TBoundedFile(const TBoundedFile &) = delete;
    TBoundedFile &operator=(const TBoundedFile &) = delete;

    // Opens FileName (an 8-bit path) for reading; false when it cannot be opened
    // or is not a regular file.
    bool Open(const std::string &FileName);
    void Close();
    bool IsOpen() const { return FHandle >= 0; }

    // Size of the file in bytes, taken when it was opened.
    int64_t Size() const { return FSize; }

    // Reads up to Count bytes at Position into Dest. Returns the number of bytes
    // read, fewer at the end of the file (a short read is not an error), or -1 on
    // an error: a negative position, a closed file or a failing read.
    // Small reads are served from a window of the file kept in memory.
    int64_t ReadAt(int64_t Position, void *Dest, std::size_t Count);

    // Reads exactly Count bytes; false when fewer are there or on an error.
    bool ReadExact(int64_t Position, void *Dest, std::size_t Count);

private:
    int64_t RawRead(int64_t Position, void *Dest, std::size_t Count);

    int FHandle = -1;
    int64_t FSize = 0;
    std::vector<unsigned char> FWindow;
    int64_t FWindowStart = 0;
    std::size_t FWindowLength = 0;
};

// Big- and little-endian helpers over byte buffers.
inline uint32_t BigEndian32(const unsigned char *P)
{
    return (uint32_t(P[0]) << 24) | (uint32_t(P[1]) << 16) | (uint32_t(P[2]) << 8) | uint32_t(P[3]);
}
inline uint32_t LittleEndian32(const unsigned char *P)
{
    return uint32_t(P[0]) | (uint32_t(P[1]) << 8) | (uint32_t(P[2]) << 16) | (uint32_t(P[3]) << 24);
}

} // namespace audioinfo
