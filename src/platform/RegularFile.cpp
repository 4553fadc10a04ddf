#include "RegularFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsResourceName(const QString &path)
{
    return path.startsWith(u':');
}

TReadOpenResult Failure(TReadOpenStatus status, int error)
{
    return TReadOpenResult{status, error};
}

// Opens the name without waiting and keeps the descriptor only for a regular file.
TReadOpenResult OpenDescriptor(const QByteArray &path8, int &fd)
{
    fd = -1;
    if (path8.isEmpty())
        return Failure(TReadOpenStatus::Missing, ENOENT);
    int opened;
    do {
        opened = ::open(path8.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    } while (opened < 0 && errno == EINTR);
    if (opened < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR)
            return Failure(TReadOpenStatus::Missing, error);
        // A folder opens read-only on most systems, but not everywhere; a socket never opens.
        if (error == EISDIR || error == ENXIO)
            return Failure(TReadOpenStatus::NotRegular, error);
        return Failure(TReadOpenStatus::Failed, error);
    }
    struct stat st {};
    if (::fstat(opened, &st) != 0) {
        const int error = errno;
        ::close(opened);
        return Failure(TReadOpenStatus::Failed, error);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(opened);
        return Failure(TReadOpenStatus::NotRegular, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    }
    // A regular file never blocks; reads go on as on any file.
    const int flags = ::fcntl(opened, F_GETFL);
    if (flags >= 0)
        ::fcntl(opened, F_SETFL, flags & ~O_NONBLOCK);
    fd = opened;
    return TReadOpenResult{TReadOpenStatus::Opened, 0};
}

TReadOpenResult OpenResource(const QString &path, QFile &file)
{
    file.setFileName(path);
    if (file.open(QIODevice::ReadOnly))
        return TReadOpenResult{TReadOpenStatus::Opened, 0};
    return Failure(TReadOpenStatus::Missing, ENOENT);
}

} // namespace

TReadOpenResult OpenRegularFile(const QByteArray &path8, QFile &file)
{
    file.close();
    int fd = -1;
    const TReadOpenResult result = OpenDescriptor(path8, fd);
    if (!result.Ok())
        return result;
    file.setFileName(QFile::decodeName(path8));
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return Failure(TReadOpenStatus::Failed, EIO);
    }
    return result;
}

TReadOpenResult OpenRegularFile(const QString &path, QFile &file)
{
    if (IsResourceName(path)) {
        file.close();
        return OpenResource(path, file);
    }
    return OpenRegularFile(QFile::encodeName(path), file);
}

TReadOpenResult ReadRegularFile(const QByteArray &path8, QByteArray &bytes)
{
    bytes.clear();
    int fd = -1;
    const TReadOpenResult result = OpenDescriptor(path8, fd);
    if (!result.Ok())
        return result;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_size > 0)
        bytes.reserve(qsizetype(st.st_size));
    // Read to the end, whatever the size said: the file may have grown or shrunk since.
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            ::close(fd);
            bytes.clear();
            return Failure(TReadOpenStatus::Failed, error);
        }
        if (n == 0)
            break;
        bytes.append(buffer, qsizetype(n));
    }
    ::close(fd);
    return result;
}

TReadOpenResult ReadRegularFile(const QString &path, QByteArray &bytes)
{
    if (IsResourceName(path)) {
        bytes.clear();
        QFile file;
        const TReadOpenResult result = OpenResource(path, file);
        if (result.Ok())
            bytes = file.readAll();
        return result;
    }
    return ReadRegularFile(QFile::encodeName(path), bytes);
}

QString ReadOpenErrorText(const TReadOpenResult &result)
{
    switch (result.Status) {
    case TReadOpenStatus::Opened:
        return QString();
    case TReadOpenStatus::NotRegular:
        if (result.Error == EISDIR)
            break;
        return QStringLiteral("Not a regular file");
    case TReadOpenStatus::Missing:
    case TReadOpenStatus::Failed:
        break;
    }
    return QString::fromLocal8Bit(std::strerror(result.Error ? result.Error : EIO));
}
