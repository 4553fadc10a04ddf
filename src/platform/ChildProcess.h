#pragma once

#include <QByteArray>
#include <QList>

#include <sys/types.h>

// Priority classes of the console jobs (the values the program stores and hands around).
enum TPriorityClass : quint32 {
    pcIdle = 0x40,
    pcBelowNormal = 0x4000,
    pcNormal = 0x20,
    pcAboveNormal = 0x8000,
    pcHigh = 0x80,
    pcRealTime = 0x100,
};

// The nice value of a priority class: idle 19, below normal 10, normal 0, above normal -5,
// high -10, real time -20. A value holding none of the classes (other flags may be OR-ed in)
// counts as normal; when several are present the lowest class wins.
int NiceValueForPriorityClass(quint32 priorityClass);

// Gives a process the nice value of a priority class; pid 0 means this program, all of its
// threads. A raise that the system refuses is ignored. Returns whether every change was made.
bool SetProcessPriorityClass(pid_t pid, quint32 priorityClass);

// The exit code of a child from its wait status: the code of a normal exit, 128 + N for a child
// ended by signal N.
quint32 ExitCodeFromWaitStatus(int status);

// One console child process: a pipe for its standard input, one pipe for its standard output and
// standard error together, the child in a session (and process group) of its own with no
// terminal. All descriptors held here are non-blocking on this side and closed on exec.
class TChildProcess
{
public:
    TChildProcess() = default;
    ~TChildProcess(); // kills a child still running, reaps it, closes everything
    TChildProcess(const TChildProcess &) = delete;
    TChildProcess &operator=(const TChildProcess &) = delete;

    // Creates both pipes. On failure returns false with the errno in *error, nothing left open.
    bool CreatePipes(int *error);

    // Starts argv[0] (searched in PATH when it holds no "/") with the given arguments, the
    // environment and the current folder of this program. On failure returns false with the
    // errno in *error (ENOENT for a missing program).
    bool Start(const QList<QByteArray> &argv, quint32 priorityClass, int *error);

    pid_t Pid() const { return m_pid; }
    // Started, and not yet ended and reaped by Kill.
    bool Running() const { return m_pid > 0 && !m_reaped; }

    // This side of the pipes: write to the child's standard input, read its output.
    int InputFd() const { return m_inWrite; }
    int OutputFd() const { return m_outRead; }
    // A descriptor that becomes readable when the child ends (-1 when the system has none).
    int ExitFd() const { return m_pidFd; }

    // Bytes waiting in the output pipe.
    int Available() const;

    // True once the child has ended, with its exit code; never blocks. The ended child is left
    // unreaped until Kill, so that its process group id cannot be given to another process while
    // what the child started may still run in that group.
    bool TryReap(quint32 *exitCode);
    // Ends what is left of the child's process group, the child included when it still runs, and
    // reaps the child; returns its exit code. Called however the child ended, so that nothing it
    // started outlives it. The group is first asked to end (SIGTERM), so that a program can take
    // away the files it was writing; whatever of it still runs after graceMs is killed (SIGKILL).
    // A group with nothing left running costs no wait.
    static constexpr int StopGraceMs = 2000;
    quint32 Kill(int graceMs = StopGraceMs);

    void CloseInput();
    void CloseOutput();
    void CloseAll();

private:
    int m_inRead = -1, m_inWrite = -1, m_outRead = -1, m_outWrite = -1;
    int m_pidFd = -1;
    pid_t m_pid = -1;
    bool m_exited = false; // ended, seen by TryReap or Kill; m_exitCode holds its code
    bool m_reaped = false;
    quint32 m_exitCode = 0;
};
