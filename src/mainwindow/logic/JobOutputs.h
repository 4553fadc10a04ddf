#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// Where a folder's file system has no unnamed files, the transcoder and the 5.1 MP3 encoder
// write each output as "<output>.part" and rename it when it is complete; a job killed before it
// could clean up leaves that file behind. These are the ".part" files a job's command line may
// write: one beside each "-output" it names (the six mono files of the six-file WAV modes
// included), and for the 5.1 MP3 encoder beside its output (given, or the input's name with
// ".mp3").
// Where "<output>.part" would pass the folder's limit of a name (`nameLimitOf` of the folder, 255
// without one), the programs cut the name short and mark it with a hash, as PartFileFor gives it.
QStringList OutputFilesOfCommand(const QByteArray &commandLine);
QStringList PartFilesOfCommand(const QByteArray &commandLine,
                               const std::function<int(const QString &)> &nameLimitOf = {});
// The temporary file beside `output` that ends in `suffix` (".part"): the file name followed by
// the suffix, or, where that would pass `nameLimit` bytes, the name cut short (never inside a
// character) followed by "~", eight hex digits of the FNV-1a hash of the whole name's bytes and
// the suffix.
QString PartFileFor(const QString &output, const QString &suffix, int nameLimit);
// The files that a complete job of the command leaves: each output, or for the six-file WAV
// modes its six mono files instead, and the 5.1 MP3 encoder's output.
QStringList ResultFilesOfCommand(const QByteArray &commandLine);

// The command line with every output it names that `isTaken` refuses replaced by the first free
// name (name_1, name_2, ... before the extension); the six mono files of the six-file WAV modes
// count for their output, and so does a log named after it ("-logfile" with the output's name
// and ".log"), which follows the output's new name. A log named otherwise that is taken gets a
// free name of its own; a log that is added to ("-logfilea") stays. Names longer than the
// folder's limit (`nameLimitOf`, 255 without one) are cut short before the number and the
// extension; an output whose names cannot be made to fit is left as it stands and given in
// `refused`. The rest of the text stays as it stands. Used for commands edited by hand, which
// the runner does not build itself.
QByteArray CommandWritingFreeOutputs(const QByteArray &commandLine, const std::function<bool(const QString &)> &isTaken,
                                     const std::function<int(const QString &)> &nameLimitOf = {},
                                     QString *refused = nullptr);
// The command line with its log switch "-logfile" turned into "-logfilea": the log is added to.
QByteArray CommandAppendingToLog(const QByteArray &commandLine);
// The command line with its (first) output replaced by `output`, the rest of the text as it
// stands: a name chosen in the save dialog for a row whose command was edited by hand.
QByteArray CommandWritingOutput(const QByteArray &commandLine, const QString &output);
