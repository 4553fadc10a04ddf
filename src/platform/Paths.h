#pragma once

#include <QString>

// Paths as the program sees them: the folder part of a path runs up to and including its last
// separator, the file-name part is the rest.

// The folder of the program's executable, with a trailing separator.
QString ProgramFolder();

// The folder part of a path ("" when it has no separator).
QString FolderPart(const QString &path);
// The file-name part of a path: everything after its last separator.
QString FileNamePart(const QString &path);

// Looks for a file in `folder` whose name equals `name` without regard to case (file systems here
// are case-sensitive, names the program looks for are not). Returns the name as it is on disk, or
// an empty text when there is none. An empty folder stands for the current working folder.
QString FindFileIgnoringCase(const QString &folder, const QString &name);

// The longest file name, in bytes of its 8-bit form, that the file system of `folder` takes
// (its nearest existing folder when it does not exist yet); 255 when the system does not say.
int FileNameLimit(const QString &folder);
