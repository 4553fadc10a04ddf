#pragma once

#include <QByteArray>
#include <QStringList>

// Where a folder's file system has no unnamed files, the transcoder and the 5.1 MP3 encoder
// write each output as "<output>.part" and rename it when it is complete; a job killed before it
// could clean up leaves that file behind. These are the ".part" files a job's command line may
// write: one beside each "-output" it names (the six mono files of the six-file WAV modes
// included), and for the 5.1 MP3 encoder beside its output (given, or the input's name with
// ".mp3").
QStringList OutputFilesOfCommand(const QByteArray &commandLine);
QStringList PartFilesOfCommand(const QByteArray &commandLine);
