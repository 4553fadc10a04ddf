#pragma once

#include <QByteArray>
#include <QStringList>

#include <functional>

// Where a folder's file system has no unnamed files, the transcoder and the 5.1 MP3 encoder
// write each output as "<output>.part" and rename it when it is complete; a job killed before it
// could clean up leaves that file behind. These are the ".part" files a job's command line may
// write: one beside each "-output" it names (the six mono files of the six-file WAV modes
// included), and for the 5.1 MP3 encoder beside its output (given, or the input's name with
// ".mp3").
QStringList OutputFilesOfCommand(const QByteArray &commandLine);
QStringList PartFilesOfCommand(const QByteArray &commandLine);

// The command line with every output it names that `isTaken` refuses replaced by the first free
// name (name_1, name_2, ... before the extension); the six mono files of the six-file WAV modes
// count for their output. The rest of the text stays as it stands. Used for commands edited by
// hand, which the runner does not build itself.
QByteArray CommandWritingFreeOutputs(const QByteArray &commandLine, const std::function<bool(const QString &)> &isTaken);
// The command line with its (first) output replaced by `output`, the rest of the text as it
// stands: a name chosen in the save dialog for a row whose command was edited by hand.
QByteArray CommandWritingOutput(const QByteArray &commandLine, const QString &output);
