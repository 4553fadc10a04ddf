#include "JobOutputs.h"

#include "CommandLineSplit.h"
#include "JobListRules.h"
#include "Paths.h"

#include <algorithm>
#include <limits>

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
    if (args.size() >= 4 && !args[3].startsWith('-')
        && FileNamePart(QString::fromLocal8Bit(args[0])).compare(QLatin1String("audx.exe"), Qt::CaseInsensitive) == 0)
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
    const bool sixMono = args.contains("-6ch") || args.contains("-6chfloat");
    // The output itself, and for a WAV output in a six-file mode its six mono files (other
    // encoders' "-6ch" asks for 5.1 in the one file).
    const auto taken = [&](const QString &output) {
        QStringList files{output};
        if (sixMono && ExtractFileExt(output).compare(QLatin1String(".wav"), Qt::CaseInsensitive) == 0)
            files << FilesWrittenFor(output, true);
        return std::any_of(files.cbegin(), files.cend(), isTaken);
    };
    return RewriteOutputs(commandLine, [&](const QString &output) {
        if (!taken(output))
            return QString();
        const QString ext = ExtractFileExt(output);
        const QString stem = output.left(output.size() - ext.size()) + QLatin1Char('_');
        QString free;
        for (int k = 1; k < std::numeric_limits<int>::max(); ++k) {
            free = stem + QString::number(k) + ext;
            if (!taken(free))
                break;
        }
        return free;
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
