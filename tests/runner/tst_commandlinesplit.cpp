#include "ChildProcess.h"
#include "CommandLineSplit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>
#include <sys/wait.h>

namespace {

struct SplitCase {
    const char *commandLine;
    std::vector<const char *> expected;
};

QList<QByteArray> Expected(const std::vector<const char *> &parts)
{
    QList<QByteArray> out;
    for (const char *p : parts)
        out.append(QByteArray(p));
    return out;
}

} // namespace

TEST(CommandLineSplit, FollowsTheCRuntimeRules)
{
    const SplitCase cases[] = {
        {"", {""}},
        {"   \t ", {""}},
        {"prog", {"prog"}},
        {"  prog   a  b\tc ", {"prog", "a", "b", "c"}},
        // The program name: quotes group and vanish, backslashes stay.
        {"\"/opt/My Tools/Kandrum.exe\" -core( -input \"a b.wav\" )",
         {"/opt/My Tools/Kandrum.exe", "-core(", "-input", "a b.wav", ")"}},
        {"\"C:\\Prog Files\\\"x y", {"C:\\Prog Files\\x", "y"}},
        {"pro\"g n\"ame arg", {"prog name", "arg"}},
        // Quotes group, also in the middle of an argument.
        {"p a\"b c\"d", {"p", "ab cd"}},
        {"p \"\"", {"p", ""}},
        {"p \"unterminated arg", {"p", "unterminated arg"}},
        // Backslashes escape only before a quote.
        {"p a\\b c\\\\d", {"p", "a\\b", "c\\\\d"}},
        {"p a\\\"b", {"p", "a\"b"}},
        {"p a\\\\\"b c\"", {"p", "a\\b c"}},
        {"p a\\\\\\\"b", {"p", "a\\\"b"}},
        {"p \"C:\\dir\\\\\" next", {"p", "C:\\dir\\", "next"}},
        {"p trailing\\\\", {"p", "trailing\\\\"}},
        // Two quotes inside a quoted part give one literal quote.
        {"p \"a\"\"b\" c", {"p", "a\"b", "c"}},
    };
    for (const SplitCase &c : cases)
        EXPECT_EQ(SplitCommandLine(QByteArray(c.commandLine)), Expected(c.expected)) << c.commandLine;
}

TEST(ChildProcessPlatform, PriorityClassesMapToNiceValues)
{
    const std::pair<quint32, int> cases[] = {
        {pcIdle, 19},   {pcBelowNormal, 10}, {pcNormal, 0},
        {pcAboveNormal, -5}, {pcHigh, -10}, {pcRealTime, -20},
        {0, 0}, // no class: normal
        {pcHigh | 0x10, -10}, // other creation flags OR-ed in
    };
    for (const auto &[cls, nice] : cases)
        EXPECT_EQ(NiceValueForPriorityClass(cls), nice) << std::hex << cls;
}

TEST(ChildProcessPlatform, ExitCodesFromWaitStatus)
{
    // A normal exit keeps its code; a signal N gives 128 + N.
    EXPECT_EQ(ExitCodeFromWaitStatus(0), 0u);
    EXPECT_EQ(ExitCodeFromWaitStatus(3 << 8), 3u);
    EXPECT_EQ(ExitCodeFromWaitStatus(255 << 8), 255u);
    EXPECT_EQ(ExitCodeFromWaitStatus(SIGKILL), 128u + SIGKILL);
    EXPECT_EQ(ExitCodeFromWaitStatus(SIGTERM), 128u + SIGTERM);
}

// The program's own priority reaches every one of its threads, not only the calling one. Tried
// in a child process, since a lowered priority cannot be raised again without privilege.
TEST(ChildProcessPlatform, TheProgramsOwnPriorityCoversAllItsThreads)
{
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        std::atomic<int> otherNice{-100};
        std::atomic<bool> go{false};
        std::atomic<pid_t> otherTid{0};
        std::thread other([&] {
            otherTid = pid_t(::syscall(SYS_gettid));
            while (!go)
                usleep(1000);
            otherNice = getpriority(PRIO_PROCESS, id_t(otherTid.load()));
        });
        while (otherTid == 0)
            usleep(1000);
        const bool ok = SetProcessPriorityClass(0, pcBelowNormal);
        go = true;
        other.join();
        const int ownNice = getpriority(PRIO_PROCESS, 0);
        _exit(ok && ownNice == 10 && otherNice == 10 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}
