#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>

// What the main window keeps while a batch runs, without a widget: the files its jobs were given,
// the job now running with what its child printed, the ".part" files it may leave, and how each
// job ends. The rules over it are plain functions, so that they are tested as tables.

// ---- A job's files ---------------------------------------------------------------------------

// What the transcoder does with the log of a job: none, a new file, or lines added to it.
enum class JobLogMode { None, Replace, Append };

// The kind of files a job writes for its output.
struct JobFileKind {
    bool SixMono = false;              // the WAV page's six mono files instead of the output
    JobLogMode Log = JobLogMode::None;
};

// The log of an output: the output with its extension replaced by ".log".
QString JobLogPath(const QString &outputPath);
// Every file that a job writes for `outputPath`: the output (or its six mono files), then its log.
QStringList JobFilesFor(const QString &outputPath, const JobFileKind &kind);
// The files that must not exist for `outputPath` to be free: all those the job writes, except a
// log that is added to.
QStringList JobFilesThatMustBeFree(const QString &outputPath, const JobFileKind &kind);

// The longest path the system opens, in bytes of its 8-bit form.
constexpr int JobPathLimit = 4095;

// A free output of a job: `Path`, or, when no name of the job's files can fit, `Fits` false and
// `Path` the wanted path.
struct FreeJobName {
    QString Path;
    bool Fits = true;
};
// The first output path, from `wantedPath` on, none of whose files `isTaken` refuses: the wanted
// name, then name_1, name_2, ... before the extension. Every file name of the job stays within
// `nameLimit` bytes (8-bit form): a name that would pass it loses characters from the end of its
// stem, before the number and the extension. No fit when even a one-character stem passes the
// limit, or a path passes the system's.
FreeJobName FreeJobOutput(const QString &wantedPath, const JobFileKind &kind, int nameLimit,
                          const std::function<bool(const QString &)> &isTaken);

// ---- The ".part" files of a job --------------------------------------------------------------

// A ".part" file that a job may leave, and how it stood before the job.
struct BatchPartFile {
    QString Path;
    bool Existed = false;
    QDateTime Modified;
    qint64 Size = 0;
};

// Of the ".part" files of an ended job as they stood `before` it and stand `now` (same order),
// those it left: they exist and the job wrote them. A file that the job now running writes too
// belongs to that job, unless the ended job is the running one.
QStringList PartFilesLeftByJob(const QList<BatchPartFile> &before, const QList<BatchPartFile> &now,
                               const QList<BatchPartFile> &runningJobParts, bool endedJobIsRunning);

// ---- The outcome of a job --------------------------------------------------------------------

// What the running job's child printed that tells how it went.
struct JobRecord {
    QString LastErrorLine; // the last complete error line, "" when none
};

// A file a complete job leaves, as it stands when the job has ended.
struct JobResultFile {
    QString Path;
    bool Exists = false;
    qint64 Size = 0;
};

// How a job ended: failed or not, and why.
struct JobOutcome {
    bool Succeeded = false;
    QString ErrorLine;                   // the child's last error line when the job failed
    std::optional<std::uint32_t> ExitCode; // when it failed with no error line, its exit code
    QString MissingOutput;               // a result file that is missing or empty
    QString RunnerFailure;               // why the runner could not run the job's program
};

// The outcome of a run that ended with the runner's `endStatus` and `exitCode`: a success only
// when the child ended by itself with exit code 0 and left every result file, none of them empty.
// `runnerFailure` is the runner's text of a run that failed in its own steps.
JobOutcome OutcomeOfJob(const JobRecord &job, std::uint8_t endStatus, std::uint32_t exitCode,
                        const QList<JobResultFile> &results, const QString &runnerFailure = QString());

// ---- The batch -------------------------------------------------------------------------------

struct BatchRun {
    // The files the batch's jobs were given (absolute paths): a later job never writes over one.
    QSet<QString> Outputs;
    bool HadFailure = false;
    // Serial of the last job started, and of the job whose run is current (0 between jobs); the
    // lines and the end notice of any other run are ignored.
    quint64 JobSerial = 0;
    quint64 CurrentJob = 0;
    // The current job's command line, its ".part" files as they stood before it, and its record.
    QByteArray CommandLine;
    QList<BatchPartFile> PartFiles;
    JobRecord Job;
    // An output name the job was refused for, "" when none.
    QString RefusedOutput;
    // The number of batch-log rows before the job's first one.
    int FirstLogRow = 0;
};

// A new batch: nothing given yet, no failure; the serial runs on.
void BeginBatch(BatchRun &run);
// A new job with its command line and ".part" snapshot; returns its serial, now current.
quint64 BeginJob(BatchRun &run, const QByteArray &commandLine, const QList<BatchPartFile> &parts);
// One complete line of the current job's child.
void RecordJobLine(BatchRun &run, const QString &line);
// The end of the current job with its outcome; the batch fails with any failed job.
void EndJob(BatchRun &run, const JobOutcome &outcome);
