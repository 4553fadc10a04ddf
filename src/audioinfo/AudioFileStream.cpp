#include "AudioFileStream.h"

#include <cerrno>
#include <cmath>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

EAudioFileError::EAudioFileError(const std::string &fileName, int errorCode)
    : std::runtime_error("Cannot open or read \"" + fileName + "\": " + std::strerror(errorCode)),
      m_fileName(fileName), m_errorCode(errorCode)
{
}

TAudioFileStream::~TAudioFileStream()
{
    Close();
}

bool TAudioFileStream::Open(const std::string &fileName)
{
    Close();
    m_error = 0;
    // Non-blocking open, so that a named pipe given by mistake cannot hang the probe; the flag
    // does not matter for the regular files that are accepted below.
    int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        m_error = errno;
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        m_error = errno;
        ::close(fd);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        m_error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_size = st.st_size;
    return true;
}

void TAudioFileStream::Close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_size = 0;
}

bool TAudioFileStream::ReadAt(std::int64_t pos, void *buffer, std::size_t count, std::size_t *got)
{
    auto *out = static_cast<std::uint8_t *>(buffer);
    if (got)
        *got = 0;
    if (count == 0)
        return true;
    std::memset(out, 0, count);
    if (m_fd < 0) {
        m_error = EBADF;
        return false;
    }
    // The part of [pos, pos + count) that lies inside the file.
    std::int64_t first = pos < 0 ? 0 : pos;
    std::int64_t end = pos;
    if (end > m_size - std::int64_t(count))
        end = m_size;
    else
        end = pos + std::int64_t(count);
    if (first >= end)
        return true;
    std::size_t offset = std::size_t(first - pos);
    std::size_t want = std::size_t(end - first);
    std::size_t done = 0;
    while (done < want) {
        ssize_t n = ::pread(m_fd, out + offset + done, want - done, off_t(first + std::int64_t(done)));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            m_error = errno;
            return false;
        }
        if (n == 0)
            break; // the file shrank since it was opened: the rest stays 0
        done += std::size_t(n);
    }
    if (got && pos >= 0)
        *got = done;
    return true;
}

namespace audioinfo
{
double RoundHalfEven(double x)
{
    // nearbyint rounds in the current mode, which is to nearest with ties to even unless a
    // caller changed it; do the tie rule by hand so the result never depends on that.
    double f = std::floor(x);
    double diff = x - f;
    if (diff < 0.5)
        return f;
    if (diff > 0.5)
        return f + 1.0;
    return std::fmod(f, 2.0) == 0.0 ? f : f + 1.0;
}
} // namespace audioinfo
