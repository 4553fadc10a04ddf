#include "AudioFileStream.h"

#include <algorithm>
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

TAudioFileStream::TCounters &TAudioFileStream::Counters()
{
    thread_local TCounters counters;
    return counters;
}

bool TAudioFileStream::Open(const std::string &fileName)
{
    Close();
    m_error = 0;
    m_notRegular = false;
    m_fileName = fileName;
    TCounters &counters = Counters();
    // Non-blocking open: opening a named pipe without a writer, or some devices, would wait
    // forever otherwise. The type is then taken from the open file itself, so nothing can be
    // swapped in between the test and the open.
    int fd;
    do {
        ++counters.SystemCalls;
        ++counters.Opens;
        fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        m_error = errno;
        // A folder opens read-only on most systems, but not everywhere.
        m_notRegular = m_error == EISDIR;
        return false;
    }
    struct stat st {};
    ++counters.SystemCalls;
    if (::fstat(fd, &st) != 0) {
        m_error = errno;
        ++counters.SystemCalls;
        ::close(fd);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        m_error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        m_notRegular = true;
        ++counters.SystemCalls;
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
        ++Counters().SystemCalls;
        ::close(m_fd);
        m_fd = -1;
    }
    m_size = 0;
    m_head.Length = 0;
    m_tail.Length = 0;
}

bool TAudioFileStream::RawRead(std::int64_t pos, std::uint8_t *out, std::size_t count)
{
    TCounters &counters = Counters();
    std::size_t done = 0;
    while (done < count) {
        ++counters.SystemCalls;
        ++counters.Reads;
        ssize_t n = ::pread(m_fd, out + done, count - done, off_t(pos + std::int64_t(done)));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            m_error = errno;
            return false;
        }
        if (n == 0) {
            // The file shrank since it was opened: the rest reads as 0.
            std::memset(out + done, 0, count - done);
            break;
        }
        done += std::size_t(n);
        counters.BytesRead += std::uint64_t(n);
    }
    return true;
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
    const std::int64_t first = pos < 0 ? 0 : pos;
    std::int64_t end = pos;
    if (end > m_size - std::int64_t(count))
        end = m_size;
    else
        end = pos + std::int64_t(count);
    if (first >= end)
        return true;
    const std::size_t want = std::size_t(end - first);
    std::uint8_t *dest = out + std::size_t(first - pos);
    if (got && pos >= 0)
        *got = want;

    for (const TExtent *extent : {&m_head, &m_tail})
        if (extent->Length > 0 && first >= extent->Start &&
            end <= extent->Start + std::int64_t(extent->Length)) {
            std::memcpy(dest, extent->Bytes + (first - extent->Start), want);
            return true;
        }

    constexpr std::size_t extentSize = sizeof m_head.Bytes;
    if (want >= extentSize)
        return RawRead(first, dest, want);

    // A small read fills an extent: the one at the end when the bytes asked for lie in the
    // file's last extentSize bytes, else one that starts where the bytes asked for start.
    const std::int64_t tailStart = std::max<std::int64_t>(0, m_size - std::int64_t(extentSize));
    const bool atEnd = first >= tailStart;
    TExtent &extent = atEnd ? m_tail : m_head;
    extent.Start = atEnd ? tailStart : first;
    const std::size_t length = std::size_t(std::min<std::int64_t>(std::int64_t(extentSize), m_size - extent.Start));
    extent.Length = 0;
    if (!RawRead(extent.Start, extent.Bytes, length))
        return false;
    extent.Length = length;
    std::memcpy(dest, extent.Bytes + (first - extent.Start), want);
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
