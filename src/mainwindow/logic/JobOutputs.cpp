#include "JobOutputs.h"

#include "CommandLineSplit.h"
#include "JobListRules.h"
#include "Paths.h"

#include <algorithm>

namespace {

// The 5.1 MP3 encoder's command: its program, a quality word, the input, and perhaps the output.
bool IsAudXCommand(const QList<QByteArray> &args)
{
    return args.size() >= 3
           && FileNamePart(QString::fromLocal8Bit(args[0])).compare(QLatin1String("audx.exe"), Qt::CaseInsensitive) == 0;
}

// The six-file WAV modes: the transcoder writes six mono files named after a WAV output. Another
// encoder's "-6ch" asks for 5.1 in the one file.
bool WritesSixMonoFiles(const QList<QByteArray> &args, const QString &output)
{
    return (args.contains("-6ch") || args.contains("-6chfloat"))
           && ExtractFileExt(output).compare(QLatin1String(".wav"), Qt::CaseInsensitive) == 0;
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
    if (IsAudXCommand(args)) {
        if (args.size() >= 4 && !args[3].startsWith('-'))
            outputs << QString::fromLocal8Bit(args[3]);
        else
            outputs << ChangeFileExt(QString::fromLocal8Bit(args[2]), QStringLiteral(".mp3"));
    }
    for (const QString &output : QStringList(outputs)) {
        if (WritesSixMonoFiles(args, output))
            outputs << FilesWrittenFor(output, true);
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

namespace {

// The command line with each output it names (after "-output", and the 5.1 MP3 encoder's own)
// replaced, where it stands in the text, by what `rename` gives for it; an empty answer keeps
// it. A name written escaped (with quotes or a trailing backslash) is left as it stands.
QByteArray RewriteOutputs(const QByteArray &commandLine, const std::function<QString(const QString &)> &rename)
{
    const QList<QByteArray> args = SplitCommandLine(commandLine);
    // Each output and where its text is looked for: after its "-output", or, for the 5.1 MP3
    // encoder, its last argument.
    struct Named {
        QByteArray path;
        bool afterSwitch;
    };
    QList<Named> named;
    for (qsizetype i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == "-output")
            named << Named{args[i + 1], true};
    }
    if (IsAudXCommand(args) && args.size() >= 4 && !args[3].startsWith('-'))
        named << Named{args[3], false};

    QByteArray result = commandLine;
    qsizetype from = 0;
    for (const Named &n : named) {
        const QString output = QString::fromLocal8Bit(n.path);
        if (n.afterSwitch) {
            const qsizetype sw = result.indexOf("-output", from);
            if (sw < 0)
                break;
            from = sw + 7;
        }
        if (output.isEmpty() || n.path.contains('"') || n.path.endsWith('\\'))
            continue;
        const QString renamed = rename(output);
        const QByteArray renamed8 = renamed.toLocal8Bit();
        if (renamed.isEmpty() || renamed == output || renamed8.contains('"') || renamed8.endsWith('\\'))
            continue;
        const QByteArray quotedOld = '"' + n.path + '"';
        QByteArray old = quotedOld;
        qsizetype at = n.afterSwitch ? result.indexOf(quotedOld, from) : result.lastIndexOf(quotedOld);
        if (at < 0) {
            old = n.path;
            at = n.afterSwitch ? result.indexOf(old, from) : result.lastIndexOf(old);
        }
        if (at < 0)
            continue;
        // A bare name with a blank would split: the new name is quoted then.
        const QByteArray replacement =
            old.startsWith('"') || renamed8.contains(' ') || renamed8.contains('\t') ? '"' + renamed8 + '"' : renamed8;
        result.replace(at, old.size(), replacement);
        from = at + replacement.size();
    }
    return result;
}

} // namespace

QByteArray CommandWritingFreeOutputs(const QByteArray &commandLine, const std::function<bool(const QString &)> &isTaken)
{
    const QList<QByteArray> args = SplitCommandLine(commandLine);
    // The output itself, and in a six-file WAV mode its six mono files.
    const auto taken = [&](const QString &output) {
        QStringList files{output};
        if (WritesSixMonoFiles(args, output))
            files << FilesWrittenFor(output, true);
        return std::any_of(files.cbegin(), files.cend(), isTaken);
    };
    return RewriteOutputs(commandLine, [&](const QString &output) {
        const QString free = UniquePath(output, taken);
        return free == output ? QString() : free;
    });
}

QByteArray CommandWritingOutput(const QByteArray &commandLine, const QString &output)
{
    bool first = true;
    return RewriteOutputs(commandLine, [&](const QString &) {
        const bool replace = first;
        first = false;
        return replace ? output : QString();
    });
}
