#include "BatchRun.h"

#include "JobListRules.h"
#include "OutputParse.h"
#include "Paths.h"

#include <QFile>

#include <algorithm>
#include <limits>

namespace {

qsizetype Bytes(const QString &text)
{
    // Plain ASCII is one byte a character in every 8-bit encoding: no conversion needed.
    const auto ascii = [](QChar c) { return c.unicode() < 0x80; };
    if (std::all_of(text.cbegin(), text.cend(), ascii))
        return text.size();
    return QFile::encodeName(text).size();
}

// The channels of the six mono files, in the order they are named.
const char *const kChannels[] = {"FL", "FR", "C", "LFE", "SL", "SR"};

// `stem` cut from its end, a whole character at a time, to at most `room` bytes.
QString CutToBytes(QString stem, qsizetype room)
{
    while (!stem.isEmpty() && Bytes(stem) > room) {
        stem.chop(1);
        if (!stem.isEmpty() && stem.back().isHighSurrogate())
            stem.chop(1);
    }
    return stem;
}

} // namespace

// ---- A job's files ---------------------------------------------------------------------------

QString JobLogPath(const QString &outputPath)
{
    return ChangeFileExt(outputPath, QStringLiteral(".log"));
}

QStringList JobFilesFor(const QString &outputPath, const JobFileKind &kind)
{
    QStringList files = FilesWrittenFor(outputPath, kind.SixMono);
    if (kind.Log != JobLogMode::None)
        files << JobLogPath(outputPath);
    return files;
}

QStringList JobFilesThatMustBeFree(const QString &outputPath, const JobFileKind &kind)
{
    JobFileKind counted = kind;
    if (counted.Log == JobLogMode::Append)
        counted.Log = JobLogMode::None;
    return JobFilesFor(outputPath, counted);
}

FreeJobName FreeJobOutput(const QString &wantedPath, const JobFileKind &kind, int nameLimit,
                          const std::function<bool(const QString &)> &isTaken)
{
    const qsizetype slash = wantedPath.lastIndexOf(QLatin1Char('/'));
    const QString folder = wantedPath.left(slash + 1);
    const QString ext = ExtractFileExt(wantedPath);
    const QString stem = wantedPath.mid(folder.size(), wantedPath.size() - folder.size() - ext.size());

    // What each file name adds after the stem and the number: the extension, a channel before it,
    // or the log's own extension.
    qsizetype tail = Bytes(ext);
    if (kind.SixMono) {
        for (const char *channel : kChannels)
            tail = std::max(tail, Bytes(QLatin1Char('_') + QLatin1String(channel) + ext));
    }
    if (kind.Log != JobLogMode::None)
        tail = std::max(tail, Bytes(QStringLiteral(".log")));

    const auto fits = [&](const QString &path) {
        const QStringList files = JobFilesFor(path, kind);
        return std::all_of(files.cbegin(), files.cend(), [&](const QString &f) {
            return Bytes(FileNamePart(f)) <= nameLimit && Bytes(f) <= JobPathLimit;
        });
    };
    const auto taken = [&](const QString &path) {
        const QStringList files = JobFilesThatMustBeFree(path, kind);
        return std::any_of(files.cbegin(), files.cend(), isTaken);
    };

    for (int n = 0;; ++n) {
        const QString number = n == 0 ? QString() : QLatin1Char('_') + QString::number(n);
        const qsizetype room = nameLimit - tail - Bytes(number);
        const QString cut = Bytes(stem) > room ? CutToBytes(stem, room) : stem;
        const QString candidate = folder + cut + number + ext;
        if (cut.isEmpty() && !stem.isEmpty())
            return FreeJobName{wantedPath, false};
        if (!fits(candidate))
            return FreeJobName{wantedPath, false};
        if (!taken(candidate) || n == std::numeric_limits<int>::max())
            return FreeJobName{candidate, true};
    }
}

// ---- The ".part" files of a job --------------------------------------------------------------

QStringList PartFilesLeftByJob(const QList<BatchPartFile> &before, const QList<BatchPartFile> &now,
                               const QList<BatchPartFile> &runningJobParts, bool endedJobIsRunning)
{
    QStringList left;
    for (qsizetype i = 0; i < before.size() && i < now.size(); ++i) {
        const BatchPartFile &was = before[i];
        const BatchPartFile &is = now[i];
        if (!is.Existed)
            continue;
        // A later job that writes the same file owns it now.
        if (!endedJobIsRunning
            && std::any_of(runningJobParts.cbegin(), runningJobParts.cend(),
                           [&](const BatchPartFile &p) { return p.Path == was.Path; }))
            continue;
        if (was.Existed && is.Modified == was.Modified && is.Size == was.Size)
            continue; // not written by the job
        left << was.Path;
    }
    return left;
}

// ---- The outcome of a job --------------------------------------------------------------------

JobOutcome OutcomeOfJob(const JobRecord &job, std::uint8_t endStatus, std::uint32_t exitCode,
                        const QList<JobResultFile> &results, const QString &runnerFailure)
{
    JobOutcome outcome;
    outcome.Succeeded = JobSucceeded(endStatus, exitCode);
    if (outcome.Succeeded) {
        // A child that says it is done but wrote nothing has failed.
        for (const JobResultFile &file : results) {
            if (!file.Exists || file.Size <= 0) {
                outcome.Succeeded = false;
                outcome.MissingOutput = file.Path;
                break;
            }
        }
    }
    if (outcome.Succeeded)
        return outcome;
    outcome.ErrorLine = job.LastErrorLine;
    // A program that could not be started, or a run the runner lost, printed nothing to tell.
    if (endStatus % 2 == 1)
        outcome.RunnerFailure = runnerFailure;
    // The exit code tells why only of a child that ended by itself.
    if (outcome.ErrorLine.isEmpty() && outcome.MissingOutput.isEmpty() && endStatus == 8)
        outcome.ExitCode = exitCode;
    return outcome;
}

// ---- The batch -------------------------------------------------------------------------------

void BeginBatch(BatchRun &run)
{
    const quint64 serial = run.JobSerial;
    run = BatchRun{};
    run.JobSerial = serial;
}

quint64 BeginJob(BatchRun &run, const QByteArray &commandLine, const QList<BatchPartFile> &parts)
{
    run.CurrentJob = ++run.JobSerial;
    run.CommandLine = commandLine;
    run.PartFiles = parts;
    run.Job = JobRecord{};
    return run.CurrentJob;
}

void RecordJobLine(BatchRun &run, const QString &line)
{
    if (IsErrorLine(line))
        run.Job.LastErrorLine = line;
}

void EndJob(BatchRun &run, const JobOutcome &outcome)
{
    run.CurrentJob = 0;
    if (!outcome.Succeeded)
        run.HadFailure = true;
}
