// Throughput of the console runner: a child writes many short lines, every one is handed to the
// user-interface thread and handled there. Beside it, the time the same bytes take through a
// plain pipe read, for comparison.
#include "DosCommand.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

double PlainPipeSeconds(long lines, long *bytes, long *breaks)
{
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    const std::string count = std::to_string(lines);
    char *argv[] = {const_cast<char *>(FLOOD_PROGRAM), const_cast<char *>(count.c_str()), nullptr};
    QElapsedTimer t;
    t.start();
    pid_t pid;
    if (posix_spawn(&pid, FLOOD_PROGRAM, &actions, nullptr, argv, environ) != 0)
        return -1;
    close(fds[1]);
    char buf[65536];
    *bytes = 0;
    *breaks = 0;
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof buf)) > 0) {
        *bytes += n;
        for (ssize_t i = 0; i < n; ++i)
            *breaks += buf[i] == '\n';
    }
    close(fds[0]);
    int status;
    waitpid(pid, &status, 0);
    posix_spawn_file_actions_destroy(&actions);
    return double(t.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const long lines = argc > 1 ? atol(argv[1]) : 1000000;

    TDosCommand cmd;
    long entire = 0, partial = 0;
    long long chars = 0;
    cmd.OnNewLine = [&](QObject *, const QByteArray &text, TOutputType type) {
        if (type == otEntireLine)
            ++entire;
        else
            ++partial;
        chars += text.size();
    };
    QElapsedTimer t;
    double seconds = 0;
    quint32 exitCode = 1;
    cmd.OnTerminated = [&](QObject *, quint32 code) {
        seconds = double(t.nsecsElapsed()) / 1e9;
        exitCode = code;
        QTimer::singleShot(0, &app, &QCoreApplication::quit);
    };
    cmd.CommandLine = QByteArray("\"") + FLOOD_PROGRAM + "\" " + QByteArray::number(qlonglong(lines));
    t.start();
    cmd.Execute();
    app.exec();

    long bytes = 0, breaks = 0;
    const double plain = PlainPipeSeconds(lines, &bytes, &breaks);

    std::printf("runner: %ld lines (%ld partial deliveries) in %.3f s: %.0f lines/s (exit code %u, EndStatus %u)\n",
                entire, partial, seconds, double(entire) / seconds, exitCode, unsigned(cmd.EndStatus()));
    std::printf("plain pipe read: %ld bytes, %ld lines in %.3f s: %.0f lines/s\n", bytes, breaks, plain,
                double(breaks) / plain);
    std::printf("runner / plain pipe time: %.1f\n", seconds / plain);
    return entire == lines ? 0 : 1;
}
