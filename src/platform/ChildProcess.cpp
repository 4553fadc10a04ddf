#include "ChildProcess.h"

#include <QDir>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <vector>

extern char **environ;

int NiceValueForPriorityClass(quint32 priorityClass)
{
    if (priorityClass & pcIdle)
        return 19;
    if (priorityClass & pcBelowNormal)
        return 10;
    if (priorityClass & pcNormal)
        return 0;
    if (priorityClass & pcAboveNormal)
        return -5;
    if (priorityClass & pcHigh)
        return -10;
    if (priorityClass & pcRealTime)
        return -20;
    return 0;
}

bool SetProcessPriorityClass(pid_t pid, quint32 priorityClass)
{
    const int nice = NiceValueForPriorityClass(priorityClass);
    if (pid != 0)
        return setpriority(PRIO_PROCESS, static_cast<id_t>(pid), nice) == 0;
    // The nice value is kept per thread: give it to every thread of this program.
    bool ok = true;
    const QStringList tasks = QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &task : tasks) {
        bool isNumber = false;
        const int tid = task.toInt(&isNumber);
        if (isNumber && setpriority(PRIO_PROCESS, static_cast<id_t>(tid), nice) != 0)
            ok = false;
    }
    if (tasks.isEmpty())
        ok = setpriority(PRIO_PROCESS, 0, nice) == 0;
    return ok;
}

quint32 ExitCodeFromWaitStatus(int status)
{
    if (WIFEXITED(status))
        return static_cast<quint32>(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return 128u + static_cast<quint32>(WTERMSIG(status));
    return 0;
}

namespace {

void CloseFd(int &fd)
{
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

bool MakePipe(int &readEnd, int &writeEnd)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return false;
    readEnd = fds[0];
    writeEnd = fds[1];
    return true;
}

void SetNonBlocking(int fd)
{
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
}

} // namespace

TChildProcess::~TChildProcess()
{
    if (Running())
        Kill();
    CloseAll();
}

bool TChildProcess::CreatePipes(int *error)
{
    if (!MakePipe(m_inRead, m_inWrite)) {
        *error = errno;
        return false;
    }
    if (!MakePipe(m_outRead, m_outWrite)) {
        *error = errno;
        CloseFd(m_inRead);
        CloseFd(m_inWrite);
        return false;
    }
    SetNonBlocking(m_inWrite);
    SetNonBlocking(m_outRead);
    return true;
}

bool TChildProcess::Start(const QList<QByteArray> &argv, quint32 priorityClass, int *error)
{
    if (argv.isEmpty() || argv.first().isEmpty()) {
        *error = ENOENT;
        return false;
    }
    std::vector<char *> args;
    args.reserve(argv.size() + 1);
    for (const QByteArray &a : argv)
        args.push_back(const_cast<char *>(a.constData()));
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attr);
    posix_spawn_file_actions_adddup2(&actions, m_inRead, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, m_outWrite, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, m_outWrite, STDERR_FILENO);

    // A session of its own (no terminal, its own process group), default signal handling and
    // an empty signal mask whatever the calling thread has.
    sigset_t empty, defaults;
    sigemptyset(&empty);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    sigaddset(&defaults, SIGCHLD);
    posix_spawnattr_setsigmask(&attr, &empty);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    // The child takes its nice value from the thread that starts it, from its first instruction
    // on. A short-lived thread of its own carries the value, so that no thread of this program
    // keeps it. A raise that the system refuses leaves the value as it is.
    pid_t pid = -1;
    int rc = 0;
    std::thread spawner([&] {
        setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), NiceValueForPriorityClass(priorityClass));
        rc = ::posix_spawnp(&pid, args[0], &actions, &attr, args.data(), environ);
    });
    spawner.join();
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) {
        *error = rc;
        return false;
    }
    m_pid = pid;
    m_reaped = false;

    // The child's ends belong to the child now.
    CloseFd(m_inRead);
    CloseFd(m_outWrite);

#ifdef SYS_pidfd_open
    m_pidFd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (m_pidFd >= 0)
        ::fcntl(m_pidFd, F_SETFD, FD_CLOEXEC);
#endif
    return true;
}

int TChildProcess::Available() const
{
    int count = 0;
    if (m_outRead < 0 || ::ioctl(m_outRead, FIONREAD, &count) != 0)
        return 0;
    return count;
}

bool TChildProcess::TryReap(quint32 *exitCode)
{
    if (m_pid <= 0)
        return false;
    if (!m_exited && !m_reaped) {
        siginfo_t info{};
        int r;
        do {
            r = ::waitid(P_PID, id_t(m_pid), &info, WEXITED | WNOHANG | WNOWAIT);
        } while (r < 0 && errno == EINTR);
        if (r < 0) {
            // Nothing to wait for (reaped elsewhere): it has ended, with no code to tell.
            m_exited = true;
            m_exitCode = 0;
        } else if (info.si_pid != m_pid) {
            return false;
        } else {
            m_exited = true;
            m_exitCode = info.si_code == CLD_EXITED ? quint32(info.si_status) & 0xFF
                                                    : 128u + quint32(info.si_status);
        }
    }
    *exitCode = m_exitCode;
    return true;
}

namespace {

// How long killed processes are waited for at most.
constexpr int KillWaitMs = 1000;

// Whether a process of the group still runs; ended processes that wait to be reaped do not
// count. Without /proc, a group that takes a signal counts as running.
bool GroupRuns(pid_t group)
{
    if (::kill(-group, 0) != 0 && errno == ESRCH)
        return false;
    DIR *proc = ::opendir("/proc");
    if (!proc)
        return true;
    bool runs = false;
    while (dirent *entry = ::readdir(proc)) {
        const char *name = entry->d_name;
        if (name[0] < '1' || name[0] > '9')
            continue;
        char path[64];
        std::snprintf(path, sizeof path, "/proc/%s/stat", name);
        const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        char buf[512];
        const ssize_t n = ::read(fd, buf, sizeof buf - 1);
        ::close(fd);
        if (n <= 0)
            continue;
        buf[n] = '\0';
        // "pid (name) state ppid pgrp ...": the name may hold anything, so read from its last ')'.
        const char *close = std::strrchr(buf, ')');
        if (!close)
            continue;
        char state = 0;
        long ppid = 0, pgrp = 0;
        if (std::sscanf(close + 1, " %c %ld %ld", &state, &ppid, &pgrp) == 3 && pgrp == long(group)
            && state != 'Z' && state != 'X') {
            runs = true;
            break;
        }
    }
    ::closedir(proc);
    return runs;
}

} // namespace

quint32 TChildProcess::Kill(int graceMs)
{
    if (m_pid <= 0 || m_reaped)
        return m_exitCode;
    // The child is not reaped until the end, so its process group id stays its own meanwhile.
    const auto signalGroup = [this](int sig) {
        if (::kill(-m_pid, sig) != 0 && !m_exited)
            ::kill(m_pid, sig);
    };
    quint32 code = 0;
    const auto running = [&] { return !TryReap(&code) || GroupRuns(m_pid); };
    if (running()) {
        signalGroup(SIGTERM);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(qMax(0, graceMs));
        bool left = true;
        while ((left = running())) {
            const auto rest = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  deadline - std::chrono::steady_clock::now())
                                  .count();
            if (rest <= 0)
                break;
            if (!m_exited && m_pidFd >= 0) {
                pollfd fd{m_pidFd, POLLIN, 0};
                ::poll(&fd, 1, int(qMin<qint64>(rest, 20)));
            } else {
                ::usleep(useconds_t(qMin<qint64>(rest, 10)) * 1000);
            }
        }
        // Whatever of the group is left, the child included when it did not end, is killed, and
        // is waited for a moment: a kill takes effect when the process is next scheduled.
        if (left) {
            signalGroup(SIGKILL);
            const auto killDeadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(KillWaitMs);
            while (running() && std::chrono::steady_clock::now() < killDeadline)
                ::usleep(2000);
        }
    }
    int status = 0;
    pid_t r;
    do {
        r = ::waitpid(m_pid, &status, 0);
    } while (r < 0 && errno == EINTR);
    if (!m_exited)
        m_exitCode = r == m_pid ? ExitCodeFromWaitStatus(status) : 128u + SIGKILL;
    m_exited = true;
    m_reaped = true;
    CloseFd(m_pidFd);
    return m_exitCode;
}

void TChildProcess::CloseInput()
{
    CloseFd(m_inWrite);
}

void TChildProcess::CloseOutput()
{
    CloseFd(m_outRead);
}

void TChildProcess::CloseAll()
{
    CloseFd(m_inRead);
    CloseFd(m_inWrite);
    CloseFd(m_outRead);
    CloseFd(m_outWrite);
    CloseFd(m_pidFd);
}
