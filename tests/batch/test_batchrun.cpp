// The rules of a batch below the window: the files of a job and their free names within the
// file system's limit, the ".part" files a job left, and the outcome of a job.

#include "BatchRun.h"

#include <QFile>
#include <QSet>

#include <gtest/gtest.h>

namespace {

QString Q(const char *text)
{
    return QString::fromUtf8(text);
}

qsizetype Bytes(const QString &text)
{
    return QFile::encodeName(text).size();
}

} // namespace

TEST(BatchRun, FilesOfAJob)
{
    struct Case {
        const char *output;
        JobFileKind kind;
        QStringList written;
        QStringList mustBeFree;
    };
    const Case cases[] = {
        {"/out/a.mp3", {false, JobLogMode::None}, {"/out/a.mp3"}, {"/out/a.mp3"}},
        {"/out/a.mp3", {false, JobLogMode::Replace}, {"/out/a.mp3", "/out/a.log"}, {"/out/a.mp3", "/out/a.log"}},
        // A log that is added to may exist.
        {"/out/a.mp3", {false, JobLogMode::Append}, {"/out/a.mp3", "/out/a.log"}, {"/out/a.mp3"}},
        {"/out/v1.0/take", {false, JobLogMode::Replace}, {"/out/v1.0/take", "/out/v1.0/take.log"},
         {"/out/v1.0/take", "/out/v1.0/take.log"}},
        {"/out/s.wav",
         {true, JobLogMode::Replace},
         {"/out/s_FL.wav", "/out/s_FR.wav", "/out/s_C.wav", "/out/s_LFE.wav", "/out/s_SL.wav", "/out/s_SR.wav", "/out/s.log"},
         {"/out/s_FL.wav", "/out/s_FR.wav", "/out/s_C.wav", "/out/s_LFE.wav", "/out/s_SL.wav", "/out/s_SR.wav", "/out/s.log"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.output);
        EXPECT_EQ(JobFilesFor(Q(c.output), c.kind), c.written);
        EXPECT_EQ(JobFilesThatMustBeFree(Q(c.output), c.kind), c.mustBeFree);
    }
}

// The free name of a job's output: taken when any file that must be free exists, counted on
// before the extension, and cut short where a name would pass the limit.
TEST(BatchRun, FreeOutputOfAJob)
{
    const QString s251(251, QLatin1Char('s'));
    const QString s249(249, QLatin1Char('s'));
    const QString s252(252, QLatin1Char('s'));
    QString e125;
    for (int i = 0; i < 125; ++i)
        e125 += Q("é");
    struct Case {
        const char *what;
        QString wanted;
        JobFileKind kind;
        QStringList existing;
        QString expected; // "" for no fit
    };
    const JobFileKind plain{false, JobLogMode::None};
    const JobFileKind logged{false, JobLogMode::Replace};
    const JobFileKind appended{false, JobLogMode::Append};
    const JobFileKind sixMono{true, JobLogMode::Replace};
    const Case cases[] = {
        {"free", Q("/rip/album.mp3"), logged, {}, Q("/rip/album.mp3")},
        {"the ripper's log", Q("/rip/album.mp3"), logged, {Q("/rip/album.log")}, Q("/rip/album_1.mp3")},
        {"an appended log may exist", Q("/rip/album.mp3"), appended, {Q("/rip/album.log")}, Q("/rip/album.mp3")},
        {"no log kept", Q("/rip/album.mp3"), plain, {Q("/rip/album.log")}, Q("/rip/album.mp3")},
        {"the log of the next name too", Q("/o/song.ogg"), logged,
         {Q("/o/song.log"), Q("/o/song_1.log"), Q("/o/song_2.ogg")}, Q("/o/song_3.ogg")},
        {"one mono file of six", Q("/o/six.wav"), sixMono, {Q("/o/six_LFE.wav")}, Q("/o/six_1.wav")},
        {"the six files' log", Q("/o/six.wav"), sixMono, {Q("/o/six.log")}, Q("/o/six_1.wav")},
        {"the output itself counts not in six-file modes", Q("/o/six.wav"), sixMono, {Q("/o/six.wav")}, Q("/o/six.wav")},
        {"a name at the limit", QStringLiteral("/o/") + s251 + QStringLiteral(".mp3"), logged, {},
         QStringLiteral("/o/") + s251 + QStringLiteral(".mp3")},
        {"cut before the number", QStringLiteral("/o/") + s251 + QStringLiteral(".mp3"), logged,
         {QStringLiteral("/o/") + s251 + QStringLiteral(".mp3")}, QStringLiteral("/o/") + s249 + QStringLiteral("_1.mp3")},
        {"cut to fit at once", QStringLiteral("/o/") + s252 + QStringLiteral(".mp3"), plain, {},
         QStringLiteral("/o/") + s251 + QStringLiteral(".mp3")},
        {"the longest file counts: a longer log", QStringLiteral("/o/") + s251 + QStringLiteral(".ac"), logged, {},
         QStringLiteral("/o/") + s251 + QStringLiteral(".ac")},
        {"the longest file counts: a channel", QStringLiteral("/o/") + s251 + QStringLiteral(".wav"), sixMono, {},
         QStringLiteral("/o/") + QString(247, QLatin1Char('s')) + QStringLiteral(".wav")},
        {"never inside a character", QStringLiteral("/o/") + e125 + QStringLiteral("x.mp3"), logged,
         {QStringLiteral("/o/") + e125 + QStringLiteral("x.mp3")}, QStringLiteral("/o/") + e125.left(124) + QStringLiteral("_1.mp3")},
        {"an extension that alone passes the limit", QStringLiteral("/o/a.") + QString(260, QLatin1Char('e')), plain, {},
         QString()},
        {"a path the system does not open", QStringLiteral("/") + QString(4100, QLatin1Char('d')).replace(200, 1, QLatin1Char('/')) + QStringLiteral("/a.mp3"),
         plain, {}, QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const QSet<QString> existing(c.existing.cbegin(), c.existing.cend());
        const FreeJobName free = FreeJobOutput(c.wanted, c.kind, 255, [&](const QString &f) { return existing.contains(f); });
        EXPECT_EQ(free.Fits, !c.expected.isEmpty());
        EXPECT_EQ(free.Path, c.expected.isEmpty() ? c.wanted : c.expected);
        if (free.Fits) {
            for (const QString &file : JobFilesFor(free.Path, c.kind))
                EXPECT_LE(Bytes(file.mid(file.lastIndexOf(QLatin1Char('/')) + 1)), 255) << qPrintable(file);
        }
    }
    // Another file system's limit.
    const FreeJobName small = FreeJobOutput(Q("/fat/long name.mp3"), logged, 8, [](const QString &) { return false; });
    EXPECT_TRUE(small.Fits);
    EXPECT_EQ(small.Path, Q("/fat/long.mp3"));
}

// What an ended job left of its ".part" files: only what it wrote, and nothing that a later job
// writes now.
TEST(BatchRun, PartFilesLeftByAJob)
{
    const QDateTime t0 = QDateTime::fromSecsSinceEpoch(1000);
    const QDateTime t1 = QDateTime::fromSecsSinceEpoch(2000);
    const BatchPartFile absent{Q("/o/a.mp3.part"), false, {}, 0};
    const BatchPartFile written{Q("/o/a.mp3.part"), true, t1, 10};
    const BatchPartFile older{Q("/o/a.mp3.part"), true, t0, 5};
    struct Case {
        const char *what;
        BatchPartFile before, now;
        QList<BatchPartFile> running;
        bool endedIsRunning;
        QStringList left;
    };
    const Case cases[] = {
        {"written by the job", absent, written, {}, true, {Q("/o/a.mp3.part")}},
        {"taken away by the job", absent, absent, {}, true, {}},
        {"there before and untouched", older, older, {}, true, {}},
        {"there before and written", older, written, {}, true, {Q("/o/a.mp3.part")}},
        {"a later job writes it now", absent, written, {absent}, false, {}},
        {"the running job's own", absent, written, {absent}, true, {Q("/o/a.mp3.part")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(PartFilesLeftByJob({c.before}, {c.now}, c.running, c.endedIsRunning), c.left);
    }
}

// The outcome of a job from how its run ended, what its child printed and what it left.
TEST(BatchRun, OutcomeOfAJob)
{
    const JobResultFile whole{Q("/o/a.mp3"), true, 4000};
    const JobResultFile missing{Q("/o/a.mp3"), false, 0};
    const JobResultFile empty{Q("/o/a.mp3"), true, 0};
    struct Case {
        const char *what;
        QString errorLine;
        quint8 status;
        quint32 exitCode;
        QList<JobResultFile> results;
        bool succeeded;
        QString error;
        std::optional<quint32> exit;
        QString missing;
        QString runner = {};
        QString runnerFailure = {};
    };
    const QString cannotStart = Q("/t/Kandrum.exe -i a.wav doesn't exist.");
    const Case cases[] = {
        {"done", {}, 8, 0, {whole}, true, {}, {}, {}},
        {"done without any file named", {}, 8, 0, {}, true, {}, {}, {}},
        {"no output", {}, 8, 0, {missing}, false, {}, {}, Q("/o/a.mp3")},
        {"an empty output", {}, 8, 0, {whole, empty}, false, {}, {}, Q("/o/a.mp3")},
        {"an error line and exit 0 with no output", Q("Error x"), 8, 0, {missing}, false, Q("Error x"), {}, Q("/o/a.mp3")},
        {"its error line", Q("Error no space"), 8, 3, {missing}, false, Q("Error no space"), {}, {}},
        {"its exit code", {}, 8, 5, {missing}, false, {}, 5u, {}},
        {"killed", {}, 8, 137, {whole}, false, {}, 137u, {}},
        {"stopped", {}, 9, 143, {whole}, false, {}, {}, {}},
        {"not started", {}, 5, 2, {}, false, {}, {}, {}, cannotStart, cannotStart},
        {"no pipes", {}, 3, 24, {}, false, {}, {}, {}, Q("Too many open files"), Q("Too many open files")},
        {"the runner's text of a run that ended by itself is no reason", {}, 8, 5, {}, false, {}, 5u, {}, cannotStart, {}},
        {"nor of a success", {}, 8, 0, {whole}, true, {}, {}, {}, cannotStart, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const JobOutcome o = OutcomeOfJob(JobRecord{c.errorLine}, c.status, c.exitCode, c.results, c.runner);
        EXPECT_EQ(o.Succeeded, c.succeeded);
        EXPECT_EQ(o.ErrorLine, c.error);
        EXPECT_EQ(o.ExitCode, c.exit);
        EXPECT_EQ(o.MissingOutput, c.missing);
        EXPECT_EQ(o.RunnerFailure, c.runnerFailure);
    }
}

// The batch value through two jobs: each job's record starts empty and keeps the last error
// line its child printed; one failed job fails the batch; the serial runs on across batches.
TEST(BatchRun, JobsOfABatch)
{
    BatchRun run;
    BeginBatch(run);
    const quint64 first = BeginJob(run, "a", {});
    EXPECT_EQ(run.CurrentJob, first);
    for (const char *line : {"[00:00:01:00] 1 %", "Error first", "[00:00:02:00] 2 %", "Error second", "Error ", "done"})
        RecordJobLine(run, Q(line));
    EXPECT_EQ(run.Job.LastErrorLine, Q("Error second"));
    EndJob(run, OutcomeOfJob(run.Job, 8, 3, {}));
    EXPECT_EQ(run.CurrentJob, 0u);
    EXPECT_TRUE(run.HadFailure);

    const quint64 second = BeginJob(run, "b", {});
    EXPECT_GT(second, first);
    EXPECT_TRUE(run.Job.LastErrorLine.isEmpty());
    EndJob(run, OutcomeOfJob(run.Job, 8, 0, {}));
    EXPECT_TRUE(run.HadFailure); // the batch stays failed

    run.Outputs.insert(Q("/o/a.mp3"));
    BeginBatch(run);
    EXPECT_FALSE(run.HadFailure);
    EXPECT_TRUE(run.Outputs.isEmpty());
    EXPECT_GT(BeginJob(run, "c", {}), second);
}
