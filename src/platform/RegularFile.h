#pragma once

#include <QByteArray>
#include <QString>

class QFile;

// How an open of a file for reading ended.
enum class TReadOpenStatus {
    Opened,     // a regular file, open for reading
    Missing,    // nothing of that name (or a folder on the way is missing)
    NotRegular, // a named pipe, a device, a socket or a folder: refused, never waited for
    Failed,     // there, but the system refused to open or read it (see Error)
};

struct TReadOpenResult
{
    TReadOpenStatus Status = TReadOpenStatus::Failed;
    int Error = 0; // errno of the failed call (Missing, Failed); EISDIR for a folder
    bool Ok() const { return Status == TReadOpenStatus::Opened; }
};

// Every file the program reads is opened through here: once, without waiting, and only when it is
// a regular file. Opening a named pipe that has no writer, or some devices, would block the
// calling thread for good; so the file is opened with O_NONBLOCK and its type is taken from the
// open descriptor itself (nothing can be swapped in between a test and the open). A regular file
// is then read as usual. Names that start with ':' are the program's own resources and are read
// through Qt's resource system.

// Opens `path` into `file` (closed beforehand) for reading.
TReadOpenResult OpenRegularFile(const QString &path, QFile &file);
// The same for a name given as bytes in the system's encoding.
TReadOpenResult OpenRegularFile(const QByteArray &path8, QFile &file);

// Reads the whole of a regular file into `bytes` (emptied first).
TReadOpenResult ReadRegularFile(const QString &path, QByteArray &bytes);
TReadOpenResult ReadRegularFile(const QByteArray &path8, QByteArray &bytes);

// The system's text for the failure ("No such file or directory", "Permission denied", "Is a
// directory", ...), or for a refused pipe or device "Not a regular file".
QString ReadOpenErrorText(const TReadOpenResult &result);
