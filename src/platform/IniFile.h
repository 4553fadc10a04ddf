#pragma once

#include "RegularFile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <stdexcept>

namespace ini_detail {
class IniLines;
}

// Raised when the settings cannot be written: "Unable to write to <path>".
class EIniFileException : public std::runtime_error
{
public:
    // Why the write was refused, so that a window can say it in the user's language.
    enum class TReason { WriteFailed, LineBreak };

    explicit EIniFileException(const QString &message);
    EIniFileException(const QString &message, TReason reason, const QString &fileName, const QString &section,
                      const QString &key);
    QString Message() const { return QString::fromLocal8Bit(what()); }

    TReason Reason = TReason::WriteFailed;
    QString FileName; // set for a refused line break
    QString Section;
    QString Key;
};

// An INI file with the behaviour of the classic private-profile functions: section and key names
// compared without regard to case, the first match wins, values trimmed and stripped of one pair
// of surrounding quotes, read values cut at 2047 characters. The file is 8-bit text in the
// locale's encoding with CR LF line ends. Every read sees the file as it is on disk now; every
// write replaces the file atomically (temporary file in the same folder, then rename), unless a
// save pass is open for the file (see TIniSavePass). Where the folder takes no new file from this
// process but the file itself may be written (a shared install), the file is written in place. A
// value, key or section name that holds a line break is refused and changes nothing. Only a
// regular file is read: a named pipe or a device in the file's place reads as an empty file,
// without waiting for it, and is never replaced by a write.
class TIniFile
{
public:
    explicit TIniFile(const QString &fileName);
    // A read-only view of INI text that was read already (so that a loader opens its file once);
    // `fileName` only names it in messages. A write to it raises "Unable to write to".
    static TIniFile FromBytes(const QByteArray &bytes, const QString &fileName = QString());

    // The longest value a read gives back; a longer one is cut.
    static constexpr int MaxValueLength = 2047;

    const QString &FileName() const { return m_fileName; }

    QString ReadString(const QString &section, const QString &key, const QString &defaultValue) const;
    // Decimal, "0x" or "$" hexadecimal; anything else gives the default.
    int ReadInteger(const QString &section, const QString &key, int defaultValue) const;
    // Any non-zero integer is true.
    bool ReadBool(const QString &section, const QString &key, bool defaultValue) const;

    void WriteString(const QString &section, const QString &key, const QString &value);
    void WriteInteger(const QString &section, const QString &key, int value);
    void WriteBool(const QString &section, const QString &key, bool value); // "1" or "0"

    bool SectionExists(const QString &section) const;
    bool ValueExists(const QString &section, const QString &key) const;
    QStringList ReadSections() const;
    QStringList ReadSection(const QString &section) const; // the keys of a section
    void EraseSection(const QString &section);
    void DeleteKey(const QString &section, const QString &key);

private:
    std::shared_ptr<const ini_detail::IniLines> Lines() const;
    void RefuseWriteToCopy() const;

    QString m_fileName;
    std::shared_ptr<const ini_detail::IniLines> m_content; // set for a view made by FromBytes
};

// One save pass over a file (the start-up, the exit, a dialog's OK): while it is open, every
// TIniFile of that file, wherever it is made, reads and writes one copy held in memory, and
// Commit() replaces the file with that copy at once, only when something changed. A pass opened
// inside another (a dialog's OK during the start-up) is part of it: its Commit() keeps its
// changes in the copy, and the outer pass writes them. A pass that is destroyed without a
// successful Commit() changes nothing: an outer pass drops its copy, an inner pass puts the copy
// back as it found it.
class TIniSavePass
{
public:
    explicit TIniSavePass(const QString &fileName);
    ~TIniSavePass();
    TIniSavePass(const TIniSavePass &) = delete;
    TIniSavePass &operator=(const TIniSavePass &) = delete;

    // Raises "Unable to write to <path>" when the file cannot be replaced (outer pass only).
    void Commit();
    // How the read of the file at the start of the outermost pass went: Opened, Missing,
    // NotRegular (a pipe or device in its place: read as empty, never written) or Failed.
    TReadOpenStatus ReadStatus() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
