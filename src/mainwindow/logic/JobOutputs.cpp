#include "JobOutputs.h"

#include "BatchRun.h"
#include "CommandLineSplit.h"
#include "JobListRules.h"
#include "Paths.h"

#include <QFile>
#include <QHash>

#include <algorithm>
#include <optional>

namespace {

constexpr int kDefaultNameLimit = 255;

int NameLimitOf(const std::function<int(const QString &)> &nameLimitOf, const QString &path)
{
    return nameLimitOf ? nameLimitOf(FolderPart(path)) : kDefaultNameLimit;
}

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

// The outputs a command names: after each "-output", and the 5.1 MP3 encoder's own (given, or
// the input's name with ".mp3").
QStringList NamedOutputs(const QList<QByteArray> &args)
{
    QStringList outputs;
    for (qsizetype i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == "-output")
            outputs << QString::fromLocal8Bit(args[i + 1]);
    }
    if (IsAudXCommand(args)) {
        if (args.size() >= 4 && !args[3].startsWith('-'))
            outputs << QString::fromLocal8Bit(args[3]);
        else
            outputs << ChangeFileExt(QString::fromLocal8Bit(args[2]), QStringLiteral(".mp3"));
    }
    return outputs;
}

// The argument after the first `name` switch, or nothing.
std::optional<QString> SwitchArgument(const QList<QByteArray> &args, const QByteArray &name)
{
    for (qsizetype i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == name)
            return QString::fromLocal8Bit(args[i + 1]);
    }
    return std::nullopt;
}

} // namespace

QStringList OutputFilesOfCommand(const QByteArray &commandLine)
{
    const QList<QByteArray> args = SplitCommandLine(commandLine);
    QStringList outputs = NamedOutputs(args);
    for (const QString &output : QStringList(outputs)) {
        if (WritesSixMonoFiles(args, output))
            outputs << FilesWrittenFor(output, true);
    }
    return outputs;
}

QStringList ResultFilesOfCommand(const QByteArray &commandLine)
{
    const QList<QByteArray> args = SplitCommandLine(commandLine);
    QStringList results;
    for (const QString &output : NamedOutputs(args)) {
        if (output.isEmpty())
            continue;
        for (const QString &file : FilesWrittenFor(output, WritesSixMonoFiles(args, output))) {
            if (!results.contains(file))
                results << file;
        }
    }
    return results;
}

QString PartFileFor(const QString &output, const QString &suffix, int nameLimit)
{
    const QString folder = FolderPart(output);
    const QByteArray name = QFile::encodeName(output.mid(folder.size()));
    const QByteArray tail = QFile::encodeName(suffix);
    if (name.size() + tail.size() <= nameLimit)
        return output + suffix;
    quint32 hash = 2166136261u;
    for (const char c : name) {
        hash ^= quint8(c);
        hash *= 16777619u;
    }
    const QByteArray mark = '~' + QByteArray::number(hash, 16).rightJustified(8, '0');
    qsizetype keep = std::clamp<qsizetype>(nameLimit - tail.size() - mark.size(), 0, name.size());
    while (keep > 0 && keep < name.size() && (quint8(name[keep]) & 0xC0) == 0x80)
        --keep;
    return folder + QFile::decodeName(name.left(keep) + mark + tail);
}

QStringList PartFilesOfCommand(const QByteArray &commandLine, const std::function<int(const QString &)> &nameLimitOf)
{
    QStringList parts;
    for (const QString &output : OutputFilesOfCommand(commandLine)) {
        if (output.isEmpty())
            continue;
        const QString part = PartFileFor(output, QStringLiteral(".part"), NameLimitOf(nameLimitOf, output));
        if (!parts.contains(part))
            parts << part;
    }
    return parts;
}

namespace {

// Where `word` stands in `text` as a whole argument (between blanks, tabs or the ends), from
// `from` on; -1 when it does not.
qsizetype FindWord(const QByteArray &text, const QByteArray &word, qsizetype from)
{
    for (qsizetype at = text.indexOf(word, from); at >= 0; at = text.indexOf(word, at + 1)) {
        const qsizetype end = at + word.size();
        const bool before = at == 0 || text[at - 1] == ' ' || text[at - 1] == '\t';
        const bool after = end == text.size() || text[end] == ' ' || text[end] == '\t';
        if (before && after)
            return at;
    }
    return -1;
}

// One name of a command that may be renamed: the argument after a switch ("-output",
// "-logfile"), or the 5.1 MP3 encoder's output, its last positional argument.
struct NamedArgument {
    QByteArray Switch; // empty for the 5.1 MP3 encoder's output
    QByteArray Path;
};

// The command line with each name of `named` (in their order in the text) replaced, where it
// stands in the text, by what `rename` gives for it; an empty answer keeps it. A name written
// escaped (with quotes or a trailing backslash) is left as it stands.
QByteArray RewriteNames(const QByteArray &commandLine, const QList<NamedArgument> &named,
                        const std::function<QString(const NamedArgument &)> &rename)
{
    QByteArray result = commandLine;
    qsizetype from = 0;
    for (const NamedArgument &n : named) {
        const QString path = QString::fromLocal8Bit(n.Path);
        if (!n.Switch.isEmpty()) {
            const qsizetype sw = FindWord(result, n.Switch, from);
            if (sw < 0)
                break;
            from = sw + n.Switch.size();
        }
        if (path.isEmpty() || n.Path.contains('"') || n.Path.endsWith('\\'))
            continue;
        const QString renamed = rename(n);
        const QByteArray renamed8 = renamed.toLocal8Bit();
        if (renamed.isEmpty() || renamed == path || renamed8.contains('"') || renamed8.endsWith('\\'))
            continue;
        const QByteArray quotedOld = '"' + n.Path + '"';
        const bool afterSwitch = !n.Switch.isEmpty();
        QByteArray old = quotedOld;
        qsizetype at = afterSwitch ? result.indexOf(quotedOld, from) : result.lastIndexOf(quotedOld);
        if (at < 0) {
            old = n.Path;
            at = afterSwitch ? result.indexOf(old, from) : result.lastIndexOf(old);
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

// The outputs of a command (after "-output", and the 5.1 MP3 encoder's own when given) and,
// when `withLogs`, its "-logfile" names, in the order they stand.
QList<NamedArgument> RenamableNames(const QList<QByteArray> &args, bool withLogs)
{
    QList<NamedArgument> named;
    for (qsizetype i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == "-output" || (withLogs && args[i] == "-logfile"))
            named << NamedArgument{args[i], args[i + 1]};
    }
    if (IsAudXCommand(args) && args.size() >= 4 && !args[3].startsWith('-'))
        named << NamedArgument{QByteArray(), args[3]};
    return named;
}

} // namespace

QByteArray CommandWritingFreeOutputs(const QByteArray &commandLine, const std::function<bool(const QString &)> &isTaken,
                                     const std::function<int(const QString &)> &nameLimitOf, QString *refused)
{
    const QList<QByteArray> args = SplitCommandLine(commandLine);
    const std::optional<QString> replacedLog = SwitchArgument(args, "-logfile");
    const std::optional<QString> addedLog = SwitchArgument(args, "-logfilea");
    // The log of the (first) output named after it, and what the new name of that output is.
    QString pairedOutput;
    QString pairedRename;
    QList<NamedArgument> named = RenamableNames(args, true);
    // The outputs first, so that a log follows its output; then the logs where they stand.
    std::stable_partition(named.begin(), named.end(), [](const NamedArgument &n) { return n.Switch != "-logfile"; });
    QHash<QString, QString> renamed;
    for (const NamedArgument &n : std::as_const(named)) {
        const QString path = QString::fromLocal8Bit(n.Path);
        if (path.isEmpty() || renamed.contains(n.Switch + path))
            continue;
        QString free;
        if (n.Switch == "-logfile") {
            if (!pairedOutput.isEmpty() && path == JobLogPath(pairedOutput)) {
                free = JobLogPath(pairedRename);
            } else {
                const FreeJobName log = FreeJobOutput(path, JobFileKind{}, NameLimitOf(nameLimitOf, path), isTaken);
                if (!log.Fits && refused && refused->isEmpty())
                    *refused = path;
                free = log.Path;
            }
        } else {
            JobFileKind kind;
            kind.SixMono = WritesSixMonoFiles(args, path);
            if (replacedLog && *replacedLog == JobLogPath(path))
                kind.Log = JobLogMode::Replace;
            else if (addedLog && *addedLog == JobLogPath(path))
                kind.Log = JobLogMode::Append;
            const FreeJobName output = FreeJobOutput(path, kind, NameLimitOf(nameLimitOf, path), isTaken);
            if (!output.Fits && refused && refused->isEmpty())
                *refused = path;
            free = output.Path;
            if (kind.Log == JobLogMode::Replace && pairedOutput.isEmpty()) {
                pairedOutput = path;
                pairedRename = free;
            }
        }
        renamed.insert(n.Switch + path, free);
    }
    QList<NamedArgument> inOrder = RenamableNames(args, true);
    return RewriteNames(commandLine, inOrder, [&](const NamedArgument &n) {
        const QString free = renamed.value(n.Switch + QString::fromLocal8Bit(n.Path));
        return free == QString::fromLocal8Bit(n.Path) ? QString() : free;
    });
}

QByteArray CommandWritingOutput(const QByteArray &commandLine, const QString &output)
{
    const QList<QByteArray> args = SplitCommandLine(commandLine);
    bool first = true;
    return RewriteNames(commandLine, RenamableNames(args, false), [&](const NamedArgument &) {
        const bool replace = first;
        first = false;
        return replace ? output : QString();
    });
}

QByteArray CommandAppendingToLog(const QByteArray &commandLine)
{
    QByteArray result = commandLine;
    const qsizetype at = FindWord(result, "-logfile", 0);
    if (at >= 0)
        result.insert(at + 8, 'a');
    return result;
}
