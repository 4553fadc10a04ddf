#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

// Base of the errors that the audio readers let reach their callers when a file cannot be
// opened or read. Each reader unit that raises derives its own type from it, so a caller can
// catch one reader's errors or all of them.
class EAudioFileError : public std::runtime_error
{
public:
    EAudioFileError(const std::string &fileName, int errorCode);

    const std::string &FileName() const { return m_fileName; }
    // The system error number (errno) of the failed call.
    int ErrorCode() const { return m_errorCode; }

private:
    std::string m_fileName;
    int m_errorCode;
};

// A read-only view of one audio file, shared by every reader that looks at the file: one open,
// one size query, and reads sized to what the readers ask for. Every read is bounded by the file:
// bytes asked for outside the file (before its start or past its end) read as 0, are never asked
// of the system and never reach beyond the caller's buffer. Only regular files are taken; a
// named pipe, a device or a folder is refused without blocking. Nothing here throws: the readers
// decide whether a failure becomes a false result or an error of their own.
//
// Small reads are served from two short extents kept in memory, one at the head of the file and
// one that ends at its end, so that the tag readers and the stream readers that look at the same
// few kilobytes cost one system call between them.
class TAudioFileStream
{
public:
    // System calls made by the views of the calling thread, and the bytes they read.
    struct TCounters
    {
        std::uint64_t SystemCalls = 0;
        std::uint64_t Opens = 0;
        std::uint64_t Reads = 0;
        std::uint64_t BytesRead = 0;
    };

    TAudioFileStream() = default;
    // Opens the file at once; IsOpen() tells whether that worked.
    explicit TAudioFileStream(const std::string &fileName) { Open(fileName); }
    ~TAudioFileStream();
    TAudioFileStream(const TAudioFileStream &) = delete;
    TAudioFileStream &operator=(const TAudioFileStream &) = delete;

    // Opens the file (8-bit name in the system code page) for reading; false on failure,
    // with the reason in Error(). A file that is not a regular file is refused with
    // NotRegular() true.
    bool Open(const std::string &fileName);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }
    // The last Open found something other than a regular file (a pipe, a device, a folder).
    bool NotRegular() const { return m_notRegular; }
    const std::string &FileName() const { return m_fileName; }

    // Size of the file in bytes when it was opened.
    std::int64_t Size() const { return m_size; }

    // Fills count bytes of buffer with the file's bytes from position pos on; bytes outside
    // the file are set to 0. Returns false on a read error (reason in Error()). When got is
    // given it receives the number of bytes that came from the file, counting from pos
    // (0 when pos lies before the start or past the end).
    bool ReadAt(std::int64_t pos, void *buffer, std::size_t count, std::size_t *got = nullptr);

    // errno of the last failure.
    int Error() const { return m_error; }

    // The counters of the calling thread since it started.
    static TCounters &Counters();

private:
    // Reads [pos, pos + count) of the file, which lies wholly inside it.
    bool RawRead(std::int64_t pos, std::uint8_t *out, std::size_t count);

    struct TExtent
    {
        std::int64_t Start = 0;
        std::size_t Length = 0;
        std::uint8_t Bytes[4096];
    };

    int m_fd = -1;
    std::int64_t m_size = 0;
    int m_error = 0;
    bool m_notRegular = false;
    std::string m_fileName;
    TExtent m_head; // an extent that does not reach the end of the file
    TExtent m_tail; // the extent that ends at the end of the file
};

// Helpers shared by the readers.
namespace audioinfo
{
// Little- and big-endian numbers from a byte buffer.
inline std::uint16_t GetLE16(const std::uint8_t *p) { return std::uint16_t(p[0] | (p[1] << 8)); }
inline std::uint32_t GetLE32(const std::uint8_t *p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}
inline std::uint16_t GetBE16(const std::uint8_t *p) { return std::uint16_t((p[0] << 8) | p[1]); }
inline std::uint32_t GetBE32(const std::uint8_t *p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
           std::uint32_t(p[3]);
}

// Up to count bytes of the file at pos: the number of bytes the file holds there (fewer at its
// end, the rest of dest set to 0), or -1 on a read error or a position before the file's start.
inline std::int64_t ReadSome(TAudioFileStream &file, std::int64_t pos, void *dest, std::size_t count)
{
    if (pos < 0)
        return -1;
    std::size_t got = 0;
    if (!file.ReadAt(pos, dest, count, &got))
        return -1;
    return std::int64_t(got);
}

// Exactly count bytes of the file at pos; false when the file holds fewer there, or on an error.
inline bool ReadExact(TAudioFileStream &file, std::int64_t pos, void *dest, std::size_t count)
{
    return ReadSome(file, pos, dest, count) == std::int64_t(count);
}

// Nearest whole number, a half going to the even neighbour.
double RoundHalfEven(double x);
} // namespace audioinfo
