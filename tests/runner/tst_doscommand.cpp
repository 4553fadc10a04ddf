#include "ChildProcess.h"
#include "ProcessMemory.h"
#include "DosCommand.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

class QtEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "test_runner";
        static char *argv[] = {name, nullptr};
        m_app = new QCoreApplication(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("Zolvane"));
    }
    void TearDown() override { delete m_app; }

private:
    QCoreApplication *m_app = nullptr;
};

const auto *const g_qtEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

// The command line of the helper program with the given steps, each quoted.
QByteArray Child(const std::vector<const char *> &steps)
{
    QByteArray cmd = QByteArray("\"") + RUNNER_CHILD + "\"";
    for (const char *s : steps)
        cmd += QByteArray(" \"") + s + "\"";
    return cmd;
}

// Runs the event loop until the condition holds or the time is up.
// Runs the event loop (sleeping while it has nothing to do) until the condition holds or the
// time is up.
bool WaitUntil(const std::function<bool()> &condition, int timeoutMs = 10000)
{
    QElapsedTimer t;
    t.start();
    QEventLoop loop;
    QTimer wake;
    wake.setInterval(10);
    QObject::connect(&wake, &QTimer::timeout, &loop, &QEventLoop::quit);
    wake.start();
    while (!condition()) {
        if (t.elapsed() > timeoutMs)
            return false;
        loop.exec();
    }
    return true;
}

void Spin(int ms)
{
    QElapsedTimer t;
    t.start();
    WaitUntil([&] { return t.elapsed() >= ms; }, ms + 1000);
}

struct Delivery {
    QByteArray Text;
    TOutputType Type;
    TReturnCode Break; // OutputReturnCode as the handler saw it
    bool operator==(const Delivery &o) const
    {
        return Text == o.Text && Type == o.Type && (Type == otBeginningOfLine || Break == o.Break);
    }
};

std::ostream &operator<<(std::ostream &os, const Delivery &d)
{
    return os << "{\"" << d.Text.toStdString() << "\", " << (d.Type == otEntireLine ? "entire" : "beginning")
              << (d.Type == otEntireLine ? (d.Break == rcCRLF ? ", CRLF" : ", LF") : "") << "}";
}

// A component with both events bound to a record of what happened.
struct Recorder {
    TDosCommand Cmd;
    std::vector<Delivery> Deliveries;
    std::vector<quint32> Notices;
    int NoticeCount = 0;
    bool DeliveredAfterNotice = false;
    std::function<void(const QByteArray &)> OnLine;
    std::function<void(quint32)> OnEnd;

    Recorder()
    {
        Cmd.OnNewLine = [this](QObject *sender, const QByteArray &text, TOutputType type) {
            EXPECT_EQ(sender, &Cmd);
            if (NoticeCount > 0)
                DeliveredAfterNotice = true;
            Deliveries.push_back({text, type, Cmd.OutputReturnCode()});
            if (OnLine)
                OnLine(text);
        };
        Cmd.OnTerminated = [this](QObject *sender, quint32 code) {
            EXPECT_EQ(sender, &Cmd);
            ++NoticeCount;
            Notices.push_back(code);
            if (OnEnd)
                OnEnd(code);
        };
    }

    bool Run(const QByteArray &commandLine, int timeoutMs = 10000)
    {
        const int before = NoticeCount;
        Cmd.CommandLine = commandLine;
        Cmd.Execute();
        return WaitUntil([&] { return NoticeCount > before; }, timeoutMs);
    }

    // The complete lines; each partial delivery must be the start of the line that follows.
    QList<QByteArray> EntireLines() const
    {
        QList<QByteArray> out;
        QByteArray partial;
        for (const Delivery &d : Deliveries) {
            if (d.Type == otBeginningOfLine) {
                partial = d.Text;
                continue;
            }
            EXPECT_TRUE(d.Text.startsWith(partial));
            partial.clear();
            out.append(d.Text);
        }
        return out;
    }

    QList<QByteArray> Texts() const
    {
        QList<QByteArray> out;
        for (const Delivery &d : Deliveries)
            out.append(d.Text);
        return out;
    }
};

class MessageCatcher
{
public:
    MessageCatcher()
    {
        TDosCommand::SetMessageHook([this](const QString &caption, const QString &text) {
            Captions.append(caption);
            Texts.append(text);
        });
    }
    ~MessageCatcher() { TDosCommand::SetMessageHook({}); }
    QStringList Captions, Texts;
};

// Gone, or a zombie that nobody has reaped yet: either way it runs no more.
bool ProcessGone(pid_t pid)
{
    return WaitUntil(
        [pid] {
            if (::kill(pid, 0) != 0 && errno == ESRCH)
                return true;
            QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
            if (!stat.open(QIODevice::ReadOnly))
                return true;
            const QByteArray text = stat.readAll();
            const qsizetype close = text.lastIndexOf(')');
            return close >= 0 && text.mid(close + 2, 1) == "Z";
        },
        3000);
}

pid_t PidAfter(const QByteArray &marker, const QList<QByteArray> &texts)
{
    for (const QByteArray &t : texts)
        if (t.startsWith(marker))
            return pid_t(t.mid(marker.size()).toInt());
    return -1;
}

} // namespace

TEST(DosCommand, DefaultsOfANewComponent)
{
    TDosCommand cmd;
    EXPECT_TRUE(cmd.CommandLine.isEmpty());
    EXPECT_FALSE(cmd.InputToOutput);
    EXPECT_EQ(cmd.MaxTimeAfterBeginning, 0);
    EXPECT_EQ(cmd.MaxTimeAfterLastOutput, 0);
    EXPECT_EQ(cmd.Priority, 32u);
    EXPECT_EQ(cmd.ShowWindow, swHIDE);
    EXPECT_EQ(cmd.CreationFlag, fCREATE_NEW_CONSOLE);
    EXPECT_EQ(cmd.ReturnCode, rcCRLF);
    EXPECT_EQ(cmd.OutputReturnCode(), rcCRLF);
    EXPECT_EQ(cmd.Timer(), nullptr);
    EXPECT_FALSE(cmd.IsRunning());
    EXPECT_EQ(ShowWindowValue(swSHOWMINNOACTIVE), 7u);
    EXPECT_EQ(ShowWindowValue(swSHOWNORMAL), 1u);
    EXPECT_EQ(CreationFlagValue(fCREATE_NEW_CONSOLE), 0x10u);
    EXPECT_EQ(CreationFlagValue(fCREATE_DEFAULT_ERROR_MODE), 0x04000000u);
}

// How the output is cut into deliveries: the texts, their kinds, the break kind seen by the
// handler, and what an attached OutputLines shows at the end. The pauses make separate reads.
TEST(DosCommand, SplitsTheOutputIntoLines)
{
    struct Case {
        const char *name;
        std::vector<const char *> steps;
        std::vector<Delivery> deliveries;
        QList<QByteArray> outputLines;
    };
    const Case cases[] = {
        {"partial line completed later",
         {"w:abc", "s:250", "w:def\\r\\n"},
         {{"abc", otBeginningOfLine, rcCRLF}, {"abcdef", otEntireLine, rcCRLF}},
         {"abcdef"}},
        {"CR ends one read, LF starts the next",
         {"w:a\\r", "s:250", "w:\\nb\\n"},
         {{"a", otEntireLine, rcLF}, {"b", otEntireLine, rcLF}},
         {"a", "b"}},
        {"LF at the start of a read that follows no CR ends the carried line",
         {"w:abc", "s:250", "w:\\ndef\\n"},
         {{"abc", otBeginningOfLine, rcCRLF}, {"abc", otEntireLine, rcLF}, {"def", otEntireLine, rcLF}},
         {"abc", "def"}},
        {"lone CR and lone LF in one read",
         {"w:a\\rb\\n"},
         {{"a", otEntireLine, rcLF}, {"b", otEntireLine, rcLF}},
         {"a", "b"}},
        {"CR LF CR LF gives an empty line",
         {"w:x\\r\\n\\r\\ny\\r\\n"},
         {{"x", otEntireLine, rcCRLF}, {"", otEntireLine, rcCRLF}, {"y", otEntireLine, rcCRLF}},
         {"x", "", "y"}},
        {"NUL bytes never reach a line",
         {"w:a\\0b\\0\\r\\n\\0\\0\\n"},
         {{"ab", otEntireLine, rcCRLF}, {"", otEntireLine, rcLF}},
         {"ab", ""}},
        {"unfinished last line delivered twice",
         {"w:one\\ntail"},
         {{"one", otEntireLine, rcLF}, {"tail", otBeginningOfLine, rcLF}, {"tail", otBeginningOfLine, rcLF}},
         {"one", "tail"}},
        {"partial grows over three reads and ends with a CR",
         {"w:12", "s:250", "w:34", "s:250", "w:56\\r", "s:250", "w:\\n7\\r\\n"},
         {{"12", otBeginningOfLine, rcCRLF},
          {"1234", otBeginningOfLine, rcCRLF},
          {"123456", otEntireLine, rcLF},
          {"7", otEntireLine, rcCRLF}},
         {"123456", "7"}},
        {"standard error shares the pipe",
         {"w:out\\n", "e:err\\n", "w:out2\\n"},
         {{"out", otEntireLine, rcLF}, {"err", otEntireLine, rcLF}, {"out2", otEntireLine, rcLF}},
         {"out", "err", "out2"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Recorder r;
        QList<QByteArray> console;
        r.Cmd.OutputLines = &console;
        ASSERT_TRUE(r.Run(Child(c.steps)));
        EXPECT_EQ(r.Deliveries, c.deliveries);
        EXPECT_EQ(r.Cmd.Lines(), console); // one entry per line, its newest delivery
        EXPECT_EQ(console, c.outputLines);
        EXPECT_EQ(r.Cmd.EndStatus(), 8);
        EXPECT_FALSE(r.DeliveredAfterNotice);
    }
}

TEST(DosCommand, OutputWrittenJustBeforeTheExitComesBeforeTheEndNotice)
{
    Recorder r;
    ASSERT_TRUE(r.Run(Child({"f:20000", "x:4"})));
    const QList<QByteArray> lines = r.EntireLines();
    ASSERT_EQ(lines.size(), 20000);
    for (int i = 0; i < 20000; ++i)
        ASSERT_EQ(lines[i], "line " + QByteArray::number(i));
    EXPECT_EQ(r.Deliveries.back().Type, otEntireLine);
    EXPECT_FALSE(r.DeliveredAfterNotice);
    EXPECT_EQ(r.NoticeCount, 1);
    EXPECT_EQ(r.Notices[0], 4u);
    EXPECT_EQ(r.Cmd.EndStatus(), 8);
    EXPECT_EQ(r.Cmd.ExitCode(), 4u);
}

// The end of the child comes from waiting for it, never from the value of its exit code: 259
// is an exit code like any other (the system keeps its low 8 bits).
TEST(DosCommand, ReportsTheExitCode)
{
    const std::pair<std::vector<const char *>, quint32> cases[] = {
        {{"x:0"}, 0},
        {{"x:1"}, 1},
        {{"w:bye\\n", "x:259"}, 259 & 0xFF},
        {{"x:255"}, 255},
        {{"k:15"}, 128 + SIGTERM},
        {{"k:9"}, 128 + SIGKILL},
    };
    for (const auto &[steps, code] : cases) {
        Recorder r;
        ASSERT_TRUE(r.Run(Child(steps), 5000)) << steps.front();
        EXPECT_EQ(r.Cmd.EndStatus(), 8);
        EXPECT_EQ(r.Cmd.ExitCode(), code);
        ASSERT_EQ(r.Notices.size(), 1u);
        EXPECT_EQ(r.Notices[0], code);
    }
}

TEST(DosCommand, StopEndsTheWholeProcessGroup)
{
    Recorder r;
    r.Cmd.CommandLine = Child({"g", "c:30000", "h"});
    r.Cmd.Execute();
    ASSERT_TRUE(WaitUntil([&] { return r.Deliveries.size() >= 2; }));
    EXPECT_EQ(r.Deliveries[0].Text, "session=1"); // a session of its own
    const pid_t grandchild = PidAfter("grandchild=", r.Texts());
    ASSERT_GT(grandchild, 0);
    EXPECT_TRUE(r.Cmd.IsRunning());
    EXPECT_EQ(r.Cmd.EndStatus(), 6);

    r.Cmd.Stop();
    EXPECT_FALSE(r.Cmd.IsRunning()); // at once
    ASSERT_TRUE(WaitUntil([&] { return r.NoticeCount == 1; }));
    EXPECT_EQ(r.Cmd.EndStatus(), 9);
    // Asked first: the child ends by SIGTERM, as a program that cleans up on it would.
    EXPECT_EQ(r.Notices[0], 128u + SIGTERM);
    EXPECT_EQ(r.Cmd.ExitCode(), 128u + SIGTERM);
    EXPECT_TRUE(ProcessGone(grandchild));

    r.Cmd.Stop(); // nothing left to stop
    Spin(100);
    EXPECT_EQ(r.NoticeCount, 1);
}

// A stop asked for by the line handler takes effect at once: the texts that the same read still
// holds are not delivered.
// Stop asks the group to end with SIGTERM and kills, after a grace time, whatever of it is left:
// a child or a grandchild that ignores SIGTERM still ends.
TEST(DosCommand, StopKillsWhatDoesNotEndWhenAsked)
{
    struct Case {
        std::vector<const char *> steps;
        quint32 code;
    };
    const Case cases[] = {
        // The child ignores SIGTERM: it is killed.
        {{"z:15", "c:30000", "w:ready\\n", "h"}, 128 + SIGKILL},
        // The child ends when asked; its grandchild ignores it and is killed all the same.
        {{"z:15", "c:30000", "d:15", "w:ready\\n", "h"}, 128 + SIGTERM},
    };
    for (const Case &c : cases) {
        Recorder r;
        r.Cmd.CommandLine = Child(c.steps);
        r.Cmd.Execute();
        ASSERT_TRUE(WaitUntil([&] { return r.Texts().contains("ready"); }));
        const pid_t grandchild = PidAfter("grandchild=", r.Texts());
        ASSERT_GT(grandchild, 0);
        r.Cmd.Stop();
        ASSERT_TRUE(WaitUntil([&] { return r.NoticeCount == 1; }, 10000));
        EXPECT_EQ(r.Cmd.EndStatus(), 9);
        EXPECT_EQ(r.Notices[0], c.code) << c.steps.size();
        EXPECT_TRUE(ProcessGone(grandchild));
    }
}

TEST(DosCommand, StopFromTheLineHandlerDeliversNothingMore)
{
    Recorder r;
    r.OnLine = [&](const QByteArray &text) {
        if (text == "line 100")
            r.Cmd.Stop();
    };
    ASSERT_TRUE(r.Run(Child({"f:50000", "h"})));
    EXPECT_EQ(r.Cmd.EndStatus(), 9);
    ASSERT_FALSE(r.Deliveries.empty());
    EXPECT_EQ(r.Deliveries.back().Text, "line 100");
    EXPECT_EQ(r.EntireLines().size(), 101);
    EXPECT_EQ(r.NoticeCount, 1);
}

TEST(DosCommand, TimesOutAfterTheBeginningAndAfterTheLastOutput)
{
    {
        SCOPED_TRACE("after the beginning, with steady output");
        Recorder r;
        r.Cmd.MaxTimeAfterBeginning = 1;
        QElapsedTimer t;
        t.start();
        ASSERT_TRUE(r.Run(Child({"t:200:0"}), 6000));
        EXPECT_EQ(r.Cmd.EndStatus(), 10);
        EXPECT_GE(t.elapsed(), 1500); // the counter must pass 1, i.e. reach 2
        EXPECT_FALSE(r.Cmd.Timer()->isActive());
    }
    {
        SCOPED_TRACE("after the last output");
        Recorder r;
        r.Cmd.MaxTimeAfterLastOutput = 1;
        ASSERT_TRUE(r.Run(Child({"w:once\\n", "h"}), 6000));
        EXPECT_EQ(r.Cmd.EndStatus(), 10);
        EXPECT_EQ(r.Texts(), QList<QByteArray>{"once"});
    }
    {
        SCOPED_TRACE("no limit when 0 or negative; output keeps the last-output counter low");
        Recorder r;
        r.Cmd.MaxTimeAfterBeginning = -1;
        r.Cmd.MaxTimeAfterLastOutput = 1;
        ASSERT_TRUE(r.Run(Child({"t:150:18", "x:0"}), 8000));
        EXPECT_EQ(r.Cmd.EndStatus(), 8);
        EXPECT_EQ(r.Deliveries.size(), 18u);
    }
}

// A child that prints 50 MB with no line break: the runner holds the newest part of the line,
// hands over each read's text once, and keeps one entry for the line; memory stays flat and the
// run takes time in proportion to the output.
TEST(DosCommand, AnEndlessLineIsHeldByItsNewestPart)
{
    Recorder r;
    const long rssBefore = StatusKiB("VmRSS");
    ASSERT_GT(rssBefore, 0);
    const bool peakReset = ResetPeakMemory();
    long rssMost = rssBefore;
    qsizetype longest = 0;
    int partials = 0;
    QList<QByteArray> lines;
    // Only the complete lines are kept here, so that what is measured is the runner's memory.
    r.Cmd.OnNewLine = [&](QObject *, const QByteArray &text, TOutputType type) {
        longest = qMax(longest, text.size());
        if (type == otEntireLine)
            lines.append(text);
        else
            ++partials;
        rssMost = qMax(rssMost, StatusKiB("VmRSS"));
        // Far past the bound: end the run rather than the machine.
        if (rssMost - rssBefore > 1024 * 1024)
            r.Cmd.Stop();
    };
    QElapsedTimer t;
    t.start();
    ASSERT_TRUE(r.Run(Child({"u:52428800", "w:[00:00:05:00] 10 %", "s:100", "w:\\r\\nnext\\n", "x:0"}), 60000));
    EXPECT_LT(t.elapsed(), 60000);
    EXPECT_EQ(r.Cmd.EndStatus(), 8);
    if (peakReset)
        rssMost = qMax(rssMost, StatusKiB("VmHWM"));
    EXPECT_LT(rssMost - rssBefore, 100 * 1024) << "KiB more than before the run";
    EXPECT_LE(longest, MaxLineLength);

    // The line ends in what the child printed last, after all those that came before; it was
    // handed over in parts on the way, one for each read at most.
    EXPECT_GT(partials, 0);
    EXPECT_LE(partials, 52428800 / 4096);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].size(), MaxLineLength);
    EXPECT_TRUE(lines[0].endsWith("xxx[00:00:05:00] 10 %"));
    EXPECT_EQ(lines[1], "next");
    EXPECT_EQ(r.Cmd.Lines(), lines);
}

// Whether a process still runs: not gone, and no zombie waiting to be reaped. Read at once.
bool ProcessRuns(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    const QByteArray state = close >= 0 ? text.mid(close + 2, 1) : QByteArray();
    return !state.isEmpty() && state != "Z" && state != "X";
}

// However a run ends, what its child started in the background is gone by its end notice, so
// before a next run could start; the child's own exit code is what the notice tells.
TEST(DosCommand, NothingTheChildStartedOutlivesItsRun)
{
    struct Case {
        const char *name;
        std::vector<const char *> steps;
        qint32 maxTimeAfterBeginning;
        quint8 endStatus;
        quint32 code;
    };
    const Case cases[] = {
        {"the child exits 0 and leaves a grandchild behind", {"c:300000", "w:ready\\n", "x:0"}, 0, 8, 0},
        {"the child fails and leaves a grandchild behind", {"c:300000", "w:ready\\n", "x:3"}, 0, 8, 3},
        {"the grandchild does not end when asked",
         {"z:15", "c:300000", "d:15", "w:ready\\n", "x:0"}, 0, 8, 0},
        {"the run times out", {"c:300000", "w:ready\\n", "h"}, 1, 10, 128 + SIGTERM},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Recorder r;
        r.Cmd.MaxTimeAfterBeginning = c.maxTimeAfterBeginning;
        bool grandchildRanAtNotice = true;
        r.OnEnd = [&](quint32) { grandchildRanAtNotice = ProcessRuns(PidAfter("grandchild=", r.Texts())); };
        ASSERT_TRUE(r.Run(Child(c.steps), 15000));
        const pid_t grandchild = PidAfter("grandchild=", r.Texts());
        ASSERT_GT(grandchild, 0);
        EXPECT_FALSE(grandchildRanAtNotice);
        EXPECT_FALSE(ProcessRuns(grandchild));
        EXPECT_EQ(r.Cmd.EndStatus(), c.endStatus);
        ASSERT_EQ(r.Notices.size(), 1u);
        EXPECT_EQ(r.Notices[0], c.code);
        EXPECT_EQ(r.Cmd.ExitCode(), c.code);
        if (ProcessRuns(grandchild))
            ::kill(grandchild, SIGKILL);
    }
}

// A run that is stopped or times out still hands over its unfinished last line once more, so
// that the owner sees the last progress text the child wrote.
TEST(DosCommand, AnUnfinishedLineIsDeliveredOnceMoreWhenTheRunIsEnded)
{
    for (const bool stop : {true, false}) {
        SCOPED_TRACE(stop ? "stopped" : "timed out");
        Recorder r;
        QList<QByteArray> console;
        r.Cmd.OutputLines = &console;
        if (!stop)
            r.Cmd.MaxTimeAfterLastOutput = 1;
        r.Cmd.CommandLine = Child({"w:done\n50%", "h"});
        r.Cmd.Execute();
        ASSERT_TRUE(WaitUntil([&] { return r.Deliveries.size() >= 2; }));
        if (stop)
            r.Cmd.Stop();
        ASSERT_TRUE(WaitUntil([&] { return r.NoticeCount == 1; }, 6000));
        const std::vector<Delivery> expected = {{"done", otEntireLine, rcLF},
                                                {"50%", otBeginningOfLine, rcLF},
                                                {"50%", otBeginningOfLine, rcLF}};
        EXPECT_EQ(r.Deliveries, expected);
        EXPECT_EQ(console, (QList<QByteArray>{"done", "50%"}));
        EXPECT_EQ(r.Cmd.EndStatus(), stop ? 9 : 10);
        EXPECT_FALSE(r.DeliveredAfterNotice);
    }
}

// The same while the child keeps adding to its unfinished line: the line shown last is handed
// over once more, whenever the stop comes.
TEST(DosCommand, AStopWhileTheChildKeepsWritingEndsWithTheLineShownLast)
{
    std::vector<std::string> storage{"w:50%"};
    for (int i = 0; i < 2000; ++i) {
        storage.push_back("w:.");
        storage.push_back("s:1");
    }
    storage.push_back("h");
    std::vector<const char *> steps;
    for (const std::string &s : storage)
        steps.push_back(s.c_str());
    for (int delayMs = 0; delayMs < 40; delayMs += 3) {
        SCOPED_TRACE(delayMs);
        Recorder r;
        bool asked = false;
        r.OnLine = [&](const QByteArray &) {
            if (!asked) {
                asked = true;
                QTimer::singleShot(delayMs, [&] { r.Cmd.Stop(); });
            }
        };
        ASSERT_TRUE(r.Run(Child(steps)));
        EXPECT_EQ(r.Cmd.EndStatus(), 9);
        ASSERT_GE(r.Deliveries.size(), 2u);
        const Delivery &last = r.Deliveries.back();
        const Delivery &before = r.Deliveries[r.Deliveries.size() - 2];
        EXPECT_EQ(last.Type, otBeginningOfLine);
        EXPECT_EQ(before.Type, otBeginningOfLine);
        EXPECT_EQ(last.Text, before.Text);
    }
}

TEST(DosCommand, AProgramThatCannotBeStarted)
{
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Zolvane"));
    for (const char *commandLine : {"/nonexistent/Kandrum.exe -core( )", "   ", "\"\" arg"}) {
        SCOPED_TRACE(commandLine);
        MessageCatcher messages;
        Recorder r;
        r.OnEnd = [&](quint32) { EXPECT_TRUE(messages.Texts.isEmpty()); }; // the notice comes first
        ASSERT_TRUE(r.Run(commandLine));
        EXPECT_EQ(r.Cmd.EndStatus(), 5);
        EXPECT_EQ(r.Cmd.ExitCode(), quint32(ENOENT));
        EXPECT_EQ(r.Notices, std::vector<quint32>{quint32(ENOENT)});
        ASSERT_TRUE(WaitUntil([&] { return !messages.Texts.isEmpty(); }));
        EXPECT_EQ(messages.Texts, QStringList{QString::fromLatin1(commandLine) + " doesn't exist."});
        EXPECT_EQ(messages.Captions, QStringList{"Zolvane"});
        EXPECT_TRUE(r.Deliveries.empty());
        EXPECT_FALSE(r.Cmd.IsRunning());
    }
}

// With every descriptor of the program taken, the pipes cannot be made.
TEST(DosCommand, PipesThatCannotBeCreated)
{
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Zolvane"));
    MessageCatcher messages;
    Recorder r;
    r.Cmd.CommandLine = Child({"w:never\\n"});

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    int highest = 0;
    for (const QString &fd : QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::Files | QDir::System))
        highest = std::max(highest, fd.toInt());
    rlimit tight = saved;
    tight.rlim_cur = rlim_t(highest + 1);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &tight), 0);
    std::vector<int> fillers; // the gaps below the limit
    for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;)
        fillers.push_back(fd);

    r.Cmd.Execute();
    const bool ended = WaitUntil([&] { return r.NoticeCount == 1; });

    for (int fd : fillers)
        ::close(fd);
    setrlimit(RLIMIT_NOFILE, &saved);

    ASSERT_TRUE(ended);
    EXPECT_EQ(r.Cmd.EndStatus(), 3);
    EXPECT_EQ(r.Cmd.ExitCode(), quint32(EMFILE));
    EXPECT_EQ(r.Notices, std::vector<quint32>{quint32(EMFILE)});
    ASSERT_TRUE(WaitUntil([&] { return !messages.Texts.isEmpty(); }));
    EXPECT_TRUE(messages.Texts.first().contains(QStringLiteral("pipes"))) << messages.Texts.first().toStdString();
    EXPECT_TRUE(r.Deliveries.empty());

    // The component's settings survive the failure: the next run works.
    ASSERT_TRUE(r.Run(r.Cmd.CommandLine));
    EXPECT_EQ(r.Texts(), QList<QByteArray>{"never"});
}

TEST(DosCommand, AnEmptyCommandLineDoesNothing)
{
    MessageCatcher messages;
    Recorder r;
    ASSERT_TRUE(r.Run(Child({"w:kept\\n"})));
    r.Cmd.CommandLine.clear();
    r.Cmd.Execute();
    EXPECT_FALSE(r.Cmd.IsRunning());
    Spin(200);
    EXPECT_EQ(r.NoticeCount, 1);
    EXPECT_EQ(r.Cmd.Lines(), QList<QByteArray>{"kept"});
    EXPECT_EQ(r.Cmd.EndStatus(), 8);
    EXPECT_TRUE(messages.Texts.isEmpty());
}

TEST(DosCommand, InputLinesReachTheChildOnlyAfterExecute)
{
    {
        SCOPED_TRACE("echoed as output");
        Recorder r;
        QList<QByteArray> console;
        r.Cmd.OutputLines = &console;
        r.Cmd.InputToOutput = true;
        r.Cmd.InputLines().Add("early\n"); // discarded by Execute
        r.Cmd.CommandLine = Child({"s:300", "r:2"});
        r.Cmd.Execute();
        EXPECT_EQ(r.Cmd.InputLines().Count(), 0);
        r.Cmd.InputLines().Add("one\n");
        r.Cmd.InputLines().Add("par");
        r.Cmd.InputLines().Add("t\n");
        ASSERT_TRUE(WaitUntil([&] { return r.NoticeCount == 1; }));
        const std::vector<Delivery> expected = {
            {"one\n", otEntireLine, rcCRLF}, {"par", otBeginningOfLine, rcCRLF},
            {"part\n", otEntireLine, rcCRLF}, {"got:one", otEntireLine, rcLF},
            {"got:part", otEntireLine, rcLF}};
        EXPECT_EQ(r.Deliveries, expected);
        EXPECT_EQ(console, (QList<QByteArray>{"one\n", "part\n", "got:one", "got:part"}));
    }
    {
        SCOPED_TRACE("echo joined to the child's unfinished line");
        Recorder r;
        QList<QByteArray> console;
        r.Cmd.OutputLines = &console;
        r.Cmd.InputToOutput = true;
        r.OnLine = [&](const QByteArray &text) {
            if (text == "name? ")
                r.Cmd.InputLines().Add("bob\n");
        };
        ASSERT_TRUE(r.Run(Child({"w:name? ", "r:1"})));
        const std::vector<Delivery> expected = {{"name? ", otBeginningOfLine, rcCRLF},
                                                {"name? bob\n", otEntireLine, rcCRLF},
                                                {"got:bob", otEntireLine, rcLF}};
        EXPECT_EQ(r.Deliveries, expected);
        EXPECT_EQ(console, (QList<QByteArray>{"name? bob\n", "got:bob"}));
    }
    {
        SCOPED_TRACE("a text larger than the pipe holds");
        Recorder r;
        r.Cmd.CommandLine = Child({"r:1"});
        r.Cmd.Execute();
        // Larger than the pipe holds, and within the longest line handed over.
        const QByteArray big(200000, 'z');
        static_assert(200000 + 4 <= MaxLineLength);
        r.Cmd.InputLines().Add(big + "\n");
        ASSERT_TRUE(WaitUntil([&] { return r.NoticeCount == 1; }));
        EXPECT_EQ(r.Cmd.EndStatus(), 8);
        EXPECT_EQ(r.EntireLines(), QList<QByteArray>{"got:" + big});
    }
    {
        SCOPED_TRACE("a child that never reads can still be stopped");
        Recorder r;
        r.Cmd.CommandLine = Child({"h"});
        r.Cmd.Execute();
        r.Cmd.InputLines().Add(QByteArray(300000, 'q'));
        r.Cmd.InputLines().Add("more\n");
        Spin(200);
        r.Cmd.Stop();
        ASSERT_TRUE(WaitUntil([&] { return r.NoticeCount == 1; }, 3000));
        EXPECT_EQ(r.Cmd.EndStatus(), 9);
    }
    {
        SCOPED_TRACE("a child that has closed its input");
        Recorder r;
        r.Cmd.InputToOutput = true;
        r.Cmd.CommandLine = Child({"i", "s:400", "x:6"});
        r.Cmd.Execute();
        Spin(150);
        r.Cmd.InputLines().Add("lost\n");
        ASSERT_TRUE(WaitUntil([&] { return r.NoticeCount == 1; }));
        EXPECT_EQ(r.Cmd.EndStatus(), 8);
        EXPECT_EQ(r.Cmd.ExitCode(), 6u);
        EXPECT_TRUE(r.Deliveries.empty()); // what could not be written is not echoed
    }
}

TEST(DosCommand, TheEndNoticeMayStartTheNextRun)
{
    Recorder r;
    std::vector<bool> runningInNotice;
    std::vector<int> linesAtNotice;
    r.OnEnd = [&](quint32) {
        runningInNotice.push_back(r.Cmd.IsRunning());
        linesAtNotice.push_back(int(r.Deliveries.size()));
        if (r.NoticeCount < 3) {
            r.Cmd.CommandLine = Child({("w:run " + std::to_string(r.NoticeCount + 1) + "\\n").c_str()});
            r.Cmd.Execute();
        }
    };
    ASSERT_TRUE(r.Run(Child({"w:run 1\\n"})));
    ASSERT_TRUE(WaitUntil([&] { return r.NoticeCount == 3; }));
    Spin(100);
    EXPECT_EQ(r.NoticeCount, 3);
    EXPECT_EQ(r.Texts(), (QList<QByteArray>{"run 1", "run 2", "run 3"}));
    EXPECT_EQ(linesAtNotice, (std::vector<int>{1, 2, 3})); // each line before its notice
    EXPECT_EQ(runningInNotice, (std::vector<bool>{false, false, false}));
    EXPECT_EQ(r.Cmd.Lines(), QList<QByteArray>{"run 3"}); // emptied by every Execute
    EXPECT_EQ(r.Cmd.EndStatus(), 8);
    EXPECT_FALSE(r.Cmd.IsRunning());
}

TEST(DosCommand, ExecuteDuringARunStopsItFirst)
{
    Recorder r;
    r.Cmd.CommandLine = Child({"w:first\\n", "h"});
    r.Cmd.Execute();
    ASSERT_TRUE(WaitUntil([&] { return !r.Deliveries.empty(); }));
    r.Cmd.CommandLine = Child({"s:200", "w:second\\n", "x:2"});
    r.Cmd.Execute();
    ASSERT_TRUE(WaitUntil([&] { return r.NoticeCount == 2; }));
    std::sort(r.Notices.begin(), r.Notices.end());
    EXPECT_EQ(r.Notices, (std::vector<quint32>{2, 128 + SIGTERM}));
    EXPECT_EQ(r.Cmd.Lines(), QList<QByteArray>{"second"});
    EXPECT_EQ(r.Cmd.EndStatus(), 8);
    EXPECT_EQ(r.Cmd.ExitCode(), 2u);
}

TEST(DosCommand, AFailingLineHandlerLosesOnlyItsDelivery)
{
    Recorder r;
    QList<QByteArray> console;
    r.Cmd.OutputLines = &console;
    r.OnLine = [](const QByteArray &text) {
        if (text == "boom")
            throw std::runtime_error("handler failed");
    };
    ASSERT_TRUE(r.Run(Child({"w:a\\nboom\\nb\\n"})));
    EXPECT_EQ(r.Texts(), (QList<QByteArray>{"a", "boom", "b"}));
    EXPECT_EQ(console, (QList<QByteArray>{"a", "boom", "b"}));
    EXPECT_EQ(r.Cmd.EndStatus(), 8);
}

TEST(DosCommand, DestroyingTheComponentEndsItsChild)
{
    {
        SCOPED_TRACE("between deliveries");
        auto *r = new Recorder;
        r->Cmd.CommandLine = Child({"c:30000", "h"});
        r->Cmd.Execute();
        ASSERT_TRUE(WaitUntil([&] { return !r->Deliveries.empty(); }));
        const pid_t grandchild = PidAfter("grandchild=", r->Texts());
        ASSERT_GT(grandchild, 0);
        int notices = 0;
        r->Cmd.OnTerminated = [&](QObject *, quint32) { ++notices; };
        delete r;
        EXPECT_TRUE(ProcessGone(grandchild));
        Spin(100);
        EXPECT_EQ(notices, 0);
    }
    {
        SCOPED_TRACE("from inside its own line handler");
        auto *cmd = new TDosCommand;
        bool deleted = false;
        int notices = 0;
        cmd->OnNewLine = [&](QObject *, const QByteArray &, TOutputType) {
            if (!deleted) {
                deleted = true;
                delete cmd;
            }
        };
        cmd->OnTerminated = [&](QObject *, quint32) { ++notices; };
        cmd->CommandLine = Child({"f:50000", "h"});
        cmd->Execute();
        ASSERT_TRUE(WaitUntil([&] { return deleted; }));
        Spin(200);
        EXPECT_EQ(notices, 0);
    }
}

// A child that floods its output gets every line, in order, while the rest of the
// user-interface thread's events go on running between the deliveries: even within the texts of
// one read, the handling pauses now and then for the event loop.
TEST(DosCommand, AFloodingChildDoesNotFreezeTheEventLoop)
{
    const int count = 60000;
    Recorder r;
    int ticksDuringDeliveries = 0;
    size_t atLastTick = 0, mostBetweenTicks = 0;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (r.Deliveries.empty() || r.NoticeCount > 0)
            return;
        ++ticksDuringDeliveries;
        mostBetweenTicks = std::max(mostBetweenTicks, r.Deliveries.size() - atLastTick);
        atLastTick = r.Deliveries.size();
    });
    ticker.start();
    // A handler with some work to do, as a parser has: 20 microseconds a line, so that one read
    // (thousands of lines) would hold the loop for a tenth of a second if handled in one go.
    r.OnLine = [](const QByteArray &) {
        QElapsedTimer busy;
        busy.start();
        while (busy.nsecsElapsed() < 20000) {
        }
    };
    ASSERT_TRUE(r.Run(Child({"f:60000"}), 60000));
    const QList<QByteArray> lines = r.EntireLines();
    ASSERT_EQ(lines.size(), count);
    bool inOrder = true;
    for (int i = 0; i < count && inOrder; ++i)
        inOrder = lines[i] == "line " + QByteArray::number(i);
    EXPECT_TRUE(inOrder);
    EXPECT_GE(ticksDuringDeliveries, 3);
    EXPECT_LT(mostBetweenTicks, 2500u);
}

TEST(DosCommand, RunsTheChildAtThePriorityOfItsClass)
{
    errno = 0;
    const int ownNice = getpriority(PRIO_PROCESS, 0);
    // A raise (a nice value below this program's) is made when the system allows it and ignored
    // when it refuses: then the child keeps this program's value and runs all the same.
    const std::pair<quint32, int> cases[] = {{pcIdle, 19}, {pcBelowNormal, 10}, {pcHigh, -10}};
    for (const auto &[cls, nice] : cases) {
        Recorder r;
        r.Cmd.Priority = cls;
        ASSERT_TRUE(r.Run(Child({"n"})));
        ASSERT_EQ(r.Texts().size(), 1);
        const QByteArray seen = r.Texts().first();
        const bool asAsked = seen == "nice=" + QByteArray::number(nice);
        const bool refusedRaise = nice < ownNice && seen == "nice=" + QByteArray::number(ownNice);
        EXPECT_TRUE(asAsked || refusedRaise) << seen.toStdString() << " for " << nice;
        EXPECT_EQ(r.Cmd.EndStatus(), 8);
    }
}

TEST(DosCommand, AChildThatClosesItsOutputIsWaitedFor)
{
    Recorder r;
    ASSERT_TRUE(r.Run(Child({"w:bye\\n", "o", "s:300", "x:7"})));
    EXPECT_EQ(r.Texts(), QList<QByteArray>{"bye"});
    EXPECT_EQ(r.Cmd.EndStatus(), 8);
    EXPECT_EQ(r.Cmd.ExitCode(), 7u);
}
