#include "URessources.h"

#include "RegularFile.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>
#include <QProcess>
#include <QScreen>
#include <QStyle>
#include <QTemporaryFile>
#include <QThread>
#include <QTime>
#include <QTreeWidget>

#include <sys/utsname.h>
#include <time.h>

#include <cstdio>
#include <filesystem>
#include <limits>
#include <system_error>

namespace {

const QChar Separator = QLatin1Char('/');

// An 8-bit control holds what the locale's encoding can hold.
QString Through8Bit(const QString &text)
{
    return QString::fromLocal8Bit(text.toLocal8Bit());
}

} // namespace

bool ShellCopyFile(const QString &source, const QString &destinationFolder)
{
    if (source.isEmpty() || destinationFolder.isEmpty())
        return false;
    const QFileInfo from(source);
    const QFileInfo folder(destinationFolder);
    if (!from.isFile() || !folder.isDir())
        return false;
    QString target = destinationFolder;
    if (!target.endsWith(Separator))
        target += Separator;
    target += from.fileName();

    // Copying a file onto itself leaves it as it is.
    const QFileInfo to(target);
    if (to.exists() && to.canonicalFilePath() == from.canonicalFilePath())
        return true;
    if (to.isDir())
        return false;

    // Copy beside the target first and then replace it, so that a failed copy never leaves a
    // half-written file in place of the old one.
    QTemporaryFile temporary(target + QStringLiteral(".XXXXXX"));
    if (!temporary.open())
        return false;
    // The source is opened without waiting, and only as a regular file.
    QFile input;
    if (!OpenRegularFile(source, input).Ok())
        return false;
    char buffer[64 * 1024];
    for (;;) {
        const qint64 n = input.read(buffer, sizeof buffer);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        if (temporary.write(buffer, n) != n)
            return false;
    }
    if (!temporary.flush())
        return false;
    temporary.setPermissions(input.permissions());
    if (std::rename(QFile::encodeName(temporary.fileName()).constData(), QFile::encodeName(target).constData()) != 0)
        return false;
    temporary.setAutoRemove(false);
    return true;
}

QString GetSpecialFolderPath(std::uint8_t kind)
{
    const char *variable = nullptr;
    QString fallback;
    switch (kind) {
    case SpecialFolderProgramFiles:
        variable = "ZOLVANE_PROGRAM_FILES";
        fallback = QStringLiteral("/opt/");
        break;
    case SpecialFolderCommonFiles:
        variable = "ZOLVANE_COMMON_FILES";
        break;
    case SpecialFolderConfig:
        variable = "ZOLVANE_CONFIG_PATH";
        break;
    case SpecialFolderDevices:
        variable = "ZOLVANE_DEVICE_PATH";
        break;
    case SpecialFolderMedia:
        variable = "ZOLVANE_MEDIA_PATH";
        break;
    case SpecialFolderWallpaper:
        variable = "ZOLVANE_WALLPAPER_DIR";
        break;
    default:
        return QString();
    }
    QString path = qEnvironmentVariableIsSet(variable) ? qEnvironmentVariable(variable) : fallback;
    if (path.isEmpty())
        return path;
    while (path.size() > 1 && path.endsWith(Separator) && path.at(path.size() - 2) == Separator)
        path.chop(1);
    if (!path.endsWith(Separator))
        path += Separator;
    return path;
}

QString GetSystemFolder()
{
    QString folder = qEnvironmentVariable("ZOLVANE_SYSTEM_FOLDER");
    // The folder has to fit into 255 characters; a longer one counts as none.
    if (folder.size() >= 255)
        return QString();
    return folder;
}

int GetScreenPixelsPerInch()
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return 96;
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return 96;
    return qRound(screen->logicalDotsPerInchX());
}

QString JoinFileName(const QString &folder, const QString &name, const QString &extension)
{
    return folder + name + extension;
}

bool FileIsMissing(const QString &path)
{
    // Anything of that name blocks it, a folder or a dangling link too.
    std::error_code error;
    const auto status = std::filesystem::symlink_status(std::filesystem::path(QFile::encodeName(path).toStdString()), error);
    return !std::filesystem::exists(status);
}

QString MakeUniqueFileName(const QString &wantedPath)
{
    const qsizetype slash = wantedPath.lastIndexOf(Separator);
    const QString folder = wantedPath.left(slash + 1);
    QString name = wantedPath.mid(slash + 1);
    QString extension;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0) {
        extension = name.mid(dot);
        name.truncate(dot);
    }
    if (FileIsMissing(JoinFileName(folder, name, extension)))
        return wantedPath;
    name += QLatin1Char('_');
    // The numbers run on past 999 while they are taken, so that an existing file is never
    // handed out as an output name.
    int n = 1;
    while (n < std::numeric_limits<int>::max()
           && !FileIsMissing(JoinFileName(folder, name + QString::number(n), extension)))
        ++n;
    return JoinFileName(folder, name + QString::number(n), extension);
}

namespace {

QString TwoDigits(int n)
{
    return n < 10 ? QLatin1Char('0') + QString::number(n) : QString::number(n);
}

} // namespace

QString SecondsToTimeText(int seconds)
{
    if (seconds < 0)
        seconds = 0;
    const int h = (seconds % 86400) / 3600;
    const int m = (seconds % 3600) / 60;
    const int r = seconds % 60;
    const QString rest = QLatin1Char(':') + TwoDigits(m) + QLatin1Char(':') + TwoDigits(r);
    return (h == 0 ? QStringLiteral("00") : QString::number(h)) + rest;
}

void AppendWord(QString &text, const QString &piece, bool withBlank)
{
    if (text.isEmpty())
        text = piece;
    else if (withBlank)
        text += QLatin1Char(' ') + piece;
    else
        text += piece;
}

QString GetWindowsVersionText()
{
    utsname names{};
    if (uname(&names) != 0)
        return QString();
    QString osRelease;
    for (const char *path : {"/etc/os-release", "/usr/lib/os-release"}) {
        QFile file;
        if (OpenRegularFile(QByteArray(path), file).Ok()) {
            osRelease = QString::fromUtf8(file.read(64 * 1024));
            break;
        }
    }
    return LinuxSystemText(osRelease, QString::fromLocal8Bit(names.sysname), QString::fromLocal8Bit(names.release),
                           QString::fromLocal8Bit(names.machine));
}

// ---- The log window's list -------------------------------------------------------------------

namespace {

QPointer<QTreeWidget> &RegisteredLogList()
{
    static QPointer<QTreeWidget> list;
    return list;
}

} // namespace

void SetLogListView(QTreeWidget *list)
{
    RegisteredLogList() = list;
}

QTreeWidget *LogListView()
{
    return RegisteredLogList().data();
}

int LogImageIndex(int kind)
{
    if (kind == 0)
        return 0;
    if (kind == 1)
        return 1;
    return 3;
}

namespace {

// The style's icon of a log row's image, made anew.
QIcon MakeLogIcon(QStyle *style, int imageIndex)
{
    QStyle::StandardPixmap pixmap;
    switch (imageIndex) {
    case 0:
        pixmap = QStyle::SP_MessageBoxInformation;
        break;
    case 1:
        pixmap = QStyle::SP_MessageBoxCritical;
        break;
    case 3:
        pixmap = QStyle::SP_MessageBoxWarning;
        break;
    default:
        return QIcon();
    }
    return style->standardIcon(pixmap);
}

} // namespace

QIcon LogIcon(int imageIndex)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()) || imageIndex < 0 || imageIndex > 3)
        return QIcon();
    // Made once for each style: logs add and load rows by the thousand.
    static QPointer<QStyle> madeFor;
    static QIcon icons[4];
    QStyle *style = QApplication::style();
    if (madeFor != style) {
        for (int i = 0; i < 4; ++i)
            icons[i] = MakeLogIcon(style, i);
        madeFor = style;
    }
    return icons[imageIndex];
}

namespace {

// "[hh:nn:ss] :  " of the current local time. The clock is read for every row, but the local
// time is worked out (and the time zone consulted) only once a second: rows that come in bursts
// share the text made for their second.
QString LogTimeStamp()
{
    static qint64 shownSecond = std::numeric_limits<qint64>::min();
    static QString stamp;
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    if (now.tv_sec != shownSecond) {
        shownSecond = now.tv_sec;
        const time_t seconds = now.tv_sec;
        tm local {};
        localtime_r(&seconds, &local);
        stamp = QLatin1Char('[') + QTime(local.tm_hour, local.tm_min, qMin(local.tm_sec, 59)).toString(QStringLiteral("hh:mm:ss"))
                + QStringLiteral("] :  ");
    }
    return stamp;
}

} // namespace

QTreeWidgetItem *AddLogLine(const QString &message, int kind)
{
    QTreeWidget *list = LogListView();
    if (!list)
        return nullptr;
    // The list belongs to the user-interface thread; a row from any other thread is handed over
    // to it instead of touching the widget here.
    if (QThread::currentThread() != list->thread()) {
        QMetaObject::invokeMethod(
            list, [message, kind] { AddLogLine(message, kind); }, Qt::QueuedConnection);
        return nullptr;
    }
    const int imageIndex = LogImageIndex(kind);
    auto *item = new QTreeWidgetItem;
    item->setText(0, QString());
    item->setIcon(0, LogIcon(imageIndex));
    item->setData(0, LogImageIndexRole, imageIndex);
    item->setText(1, Through8Bit(LogTimeStamp() + message));
    list->addTopLevelItem(item);
    return item;
}

// ---- File versions ---------------------------------------------------------------------------

TVersionInfo::TVersionInfo(const QString &fileName)
    : m_fileName(fileName)
{
    LoadVersionInfo();
}

void TVersionInfo::LoadVersionInfo()
{
    m_valid = false;
    m_data.clear();
    m_hasFixedInfo = false;
    // A named pipe or a device of that name is no program file and is never waited for.
    QFile file;
    if (!OpenRegularFile(m_fileName, file).Ok() || file.size() <= 0)
        return;
    const qint64 size = file.size();
    const uchar *mapped = file.map(0, size);
    QByteArray read;
    std::span<const std::uint8_t> image;
    if (mapped) {
        image = std::span<const std::uint8_t>(mapped, static_cast<std::size_t>(size));
    } else {
        read = file.readAll();
        image = std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t *>(read.constData()),
                                              static_cast<std::size_t>(read.size()));
    }
    const auto resource = FindVersionResource(image);
    if (resource) {
        m_data.assign(resource->begin(), resource->end());
        m_valid = true;
        if (const auto fixed = ParseFixedFileInfo(m_data)) {
            m_fixedInfo = *fixed;
            m_hasFixedInfo = true;
        }
    }
    if (mapped)
        file.unmap(const_cast<uchar *>(mapped));
}

const TFixedFileInfo *TVersionInfo::GetFixedFileInfo() const
{
    return m_valid && m_hasFixedInfo ? &m_fixedInfo : nullptr;
}

TFileVersion TVersionInfo::GetFileVersion() const
{
    const TFixedFileInfo *info = GetFixedFileInfo();
    if (!info)
        return {};
    return {info->dwFileVersionMS, info->dwFileVersionLS};
}

QString FormatFileVersion(const TFileVersion &version)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(version.MS >> 16)
        .arg(version.MS & 0xFFFFu)
        .arg(version.LS >> 16)
        .arg(version.LS & 0xFFFFu);
}

// ---- Shutting down ---------------------------------------------------------------------------

void ShutDownWindows()
{
    if (qEnvironmentVariableIsSet("ZOLVANE_SHUTDOWN_COMMAND")) {
        const QString command = qEnvironmentVariable("ZOLVANE_SHUTDOWN_COMMAND");
        if (!command.trimmed().isEmpty())
            QProcess::startDetached(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
        return;
    }
    QProcess::startDetached(QStringLiteral("systemctl"), {QStringLiteral("poweroff")});
}
