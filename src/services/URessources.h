#pragma once

// Small stateless services that the windows share: silent file copy, shell and system folders,
// screen density, unique output names, the time text of a duration, the running system's name,
// the log-line entry of the log window, file versions of executables and shutting down.
//
// Texts are QString; where the services hand a text to an 8-bit control they pass it through
// the locale's 8-bit encoding themselves.

#include "LanguageStrings.h"
#include "PEVersionResource.h"
#include "WindowsVersion.h"

#include <QIcon>
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

class QTreeWidget;
class QTreeWidgetItem;

// Copies the file `source` into the folder `destinationFolder`, keeping its file name and
// overwriting a file of that name there. No dialog. True when the copy succeeded. An empty
// destination folder copies nothing and gives false.
bool ShellCopyFile(const QString &source, const QString &destinationFolder);

// Shell folder kinds of GetSpecialFolderPath.
enum : std::uint8_t {
    SpecialFolderProgramFiles = 21, // ZOLVANE_PROGRAM_FILES, default "/opt/"
    SpecialFolderCommonFiles = 22,  // ZOLVANE_COMMON_FILES
    SpecialFolderConfig = 23,       // ZOLVANE_CONFIG_PATH
    SpecialFolderDevices = 24,      // ZOLVANE_DEVICE_PATH
    SpecialFolderMedia = 25,        // ZOLVANE_MEDIA_PATH
    SpecialFolderWallpaper = 26,    // ZOLVANE_WALLPAPER_DIR
};

// The folder of one shell folder kind with exactly one trailing separator; empty for an
// unknown kind or an empty value.
QString GetSpecialFolderPath(std::uint8_t kind);

// The system folder as configured (ZOLVANE_SYSTEM_FOLDER, default empty), no separator added.
// Empty means: never copy anything into it.
QString GetSystemFolder();

// Horizontal logical pixels per inch of the primary screen (96 without a screen).
int GetScreenPixelsPerInch();

// folder + name + extension, joined as they are.
QString JoinFileName(const QString &folder, const QString &name, const QString &extension);

// True when nothing of that path exists.
bool FileIsMissing(const QString &path);

// A path that names no existing file: the wanted one, or name + "_" + N + extension for the
// first free N from 1 on ("song.mp3" -> "song_1.mp3", "a.tar.gz" -> "a.tar_1.gz").
QString MakeUniqueFileName(const QString &wantedPath);

// Seconds as "h:nn:ss" within the day; "00:nn:ss" under an hour.
QString SecondsToTimeText(int seconds);

// Adds `piece` to `text`: the text becomes the piece when it is empty, otherwise the piece is
// appended, after a blank when `withBlank` is set.
void AppendWord(QString &text, const QString &piece, bool withBlank);

// The name of the running system for the start-up report, for example
// "Debian GNU/Linux 12 (bookworm) (Linux 6.1.0-18-amd64 x86_64)". Empty when the system does
// not tell. (The Windows text of a version record: GetWindowsVersionText in WindowsVersion.h.)
QString GetWindowsVersionText();

// ---- The log window's list -------------------------------------------------------------------

// The log window registers its list here (TZolvaneLog's ListView1, two columns: an icon column
// and the text column) in its constructor, and passes nullptr when it goes away. The list is
// also forgotten by itself when it is destroyed.
void SetLogListView(QTreeWidget *list);
QTreeWidget *LogListView();

// Log kinds of AddLogLine.
enum : int {
    LogKindInformation = 0,
    LogKindError = 1,
    LogKindWarning = 3, // any value other than 0 and 1 is a warning
};

// Icon indexes of the log window's rows: 0 information, 1 error, 3 warning.
int LogImageIndex(int kind);
// The icon of an icon index (the style's information, error and warning icons); a null icon for
// any other index or without an application.
QIcon LogIcon(int imageIndex);
// Item data role (column 0) under which each row keeps its icon index, for saving the log.
constexpr int LogImageIndexRole = Qt::UserRole;

// Appends a row to the registered log list: column 0 empty with the kind's icon, column 1
// "[hh:nn:ss] :  " + message. Does nothing while no list is registered. Returns the new row
// (nullptr when none was added). Called from another thread, it queues the row for the list's
// thread and returns nullptr.
QTreeWidgetItem *AddLogLine(const QString &message, int kind);

// ---- File versions ---------------------------------------------------------------------------

struct TFileVersion {
    std::uint32_t MS = 0; // major << 16 | minor
    std::uint32_t LS = 0; // release << 16 | build
};

// The version resource of one executable, read from the file itself.
class TVersionInfo
{
public:
    explicit TVersionInfo(const QString &fileName);

    const QString &FileName() const { return m_fileName; }
    bool Valid() const { return m_valid; }
    std::uint32_t Size() const { return static_cast<std::uint32_t>(m_data.size()); }
    const std::vector<std::uint8_t> &Data() const { return m_data; }

    // The fixed file information of the resource; nullptr when the object is not valid or the
    // resource carries none.
    const TFixedFileInfo *GetFixedFileInfo() const;
    // (dwFileVersionMS, dwFileVersionLS); zero when there is no fixed file information.
    TFileVersion GetFileVersion() const;

private:
    void LoadVersionInfo();

    QString m_fileName;
    bool m_valid = false;
    std::vector<std::uint8_t> m_data;
    bool m_hasFixedInfo = false;
    TFixedFileInfo m_fixedInfo{};
};

// "%d.%d.%d.%d" of the four unsigned 16-bit halves, most significant first.
QString FormatFileVersion(const TFileVersion &version);

// ---- Shutting down ---------------------------------------------------------------------------

// Runs ZOLVANE_SHUTDOWN_COMMAND through the shell when it is set, else "systemctl poweroff".
// Returns at once; every failure is ignored.
void ShutDownWindows();
