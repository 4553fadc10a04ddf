#include "Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

QString ProgramFolder()
{
    QString folder = QCoreApplication::applicationDirPath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

QString FolderPart(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash + 1);
}

QString FileNamePart(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString FindFileIgnoringCase(const QString &folder, const QString &name)
{
    const QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    // An exact match first: the common case, and the right one when several names differ in case.
    if (QFileInfo(dir.filePath(name)).isFile())
        return name;
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return QString();
}

int FileNameLimit(const QString &folder)
{
    constexpr int fallback = 255;
    QString existing = folder.isEmpty() ? QStringLiteral(".") : folder;
    // The nearest folder that exists answers for the file system the new folder would be made on.
    for (int depth = 0; depth < 256 && !QFileInfo(existing).isDir(); ++depth) {
        const QString parent = QFileInfo(existing).absolutePath();
        if (parent == existing || parent.isEmpty())
            return fallback;
        existing = parent;
    }
    const long limit = pathconf(QFile::encodeName(existing).constData(), _PC_NAME_MAX);
    return limit > 0 && limit < 1 << 20 ? int(limit) : fallback;
}
