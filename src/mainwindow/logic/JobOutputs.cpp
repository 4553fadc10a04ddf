#include "JobOutputs.h"

#include "CommandLineSplit.h"
#include "Paths.h"

namespace {

// A path without the extension of its file name.
QString StemOf(const QString &path)
{
    const QString name = FileNamePart(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? path : path.left(path.size() - name.size() + dot);
}

} // namespace

QStringList OutputFilesOfCommand(const QByteArray &commandLine)
{
    const QList<QByteArray> args = SplitCommandLine(commandLine);
    QStringList outputs;
    for (qsizetype i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == "-output")
            outputs << QString::fromLocal8Bit(args[i + 1]);
    }
    // The 5.1 MP3 encoder: the output after the quality word and the input, else the input's
    // name with ".mp3".
    if (args.size() >= 3
        && FileNamePart(QString::fromLocal8Bit(args[0])).compare(QLatin1String("audx.exe"), Qt::CaseInsensitive) == 0) {
        if (args.size() >= 4 && !args[3].startsWith('-'))
            outputs << QString::fromLocal8Bit(args[3]);
        else
            outputs << StemOf(QString::fromLocal8Bit(args[2])) + QStringLiteral(".mp3");
    }
    if (args.contains("-6ch") || args.contains("-6chfloat")) {
        for (const QString &output : QStringList(outputs)) {
            const QString stem = StemOf(output);
            const QString ext = stem.size() < output.size() ? output.mid(stem.size()) : QStringLiteral(".wav");
            for (const char *channel : {"FL", "FR", "C", "LFE", "SL", "SR"})
                outputs << stem + QLatin1Char('_') + QLatin1String(channel) + ext;
        }
    }
    return outputs;
}

QStringList PartFilesOfCommand(const QByteArray &commandLine)
{
    QStringList parts;
    for (const QString &output : OutputFilesOfCommand(commandLine)) {
        if (!output.isEmpty() && !parts.contains(output + QStringLiteral(".part")))
            parts << output + QStringLiteral(".part");
    }
    return parts;
}
