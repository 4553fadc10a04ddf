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

// A read-only view of one audio file for the header readers. Every read is bounded by the
// file: bytes asked for outside the file (before its start or past its end) read as 0 and
// never reach beyond the caller's buffer. Only regular files are opened. Nothing here throws:
// the readers decide whether a failure becomes a false result or an error of their own.
class TAudioFileStream
{
public:
    TAudioFileStream() = default;
    ~TAudioFileStream();
    TAudioFileStream(const TAudioFileStream &) = delete;
    TAudioFileStream &operator=(const TAudioFileStream &) = delete;

    // Opens the file (8-bit name in the system code page) for reading; false on failure,
    // with the reason in Error().
    bool Open(const std::string &fileName);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }

    // Size of the file in bytes when it was opened.
    std::int64_t Size() const { return m_size; }

    // Fills count bytes of buffer with the file's bytes from position pos on; bytes outside
    // the file are set to 0. Returns false on a read error (reason in Error()). When got is
    // given it receives the number of bytes that came from the file, counting from pos
    // (0 when pos lies before the start or past the end).
    bool ReadAt(std::int64_t pos, void *buffer, std::size_t count, std::size_t *got = nullptr);

    // errno of the last failure.
    int Error() const { return m_error; }

private:
    int m_fd = -1;
    std::int64_t m_size = 0;
    int m_error = 0;
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

// Nearest whole number, a half going to the even neighbour.
double RoundHalfEven(double x);
} // namespace audioinfo
