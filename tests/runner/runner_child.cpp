// A console program for the runner's tests. Each argument is one step, done in order:
//   w:TEXT   write TEXT to standard output (escapes \r \n \0 \\ \xHH), unbuffered
//   e:TEXT   the same to standard error
//   s:MS     sleep MS milliseconds
//   r:N      read N lines from standard input and write each back as "got:LINE\n"
//   f:N      write N lines "line I\n" (I from 0)
//   u:N      write N bytes "x" with no line break, in pieces of 64 KiB
//   t:MS:N   write "tick\n" N times (0: for ever), one every MS milliseconds
//   n        write "nice=N\n" with this process's nice value
//   g        write "session=1\n" when this process leads its own session, else "session=0\n"
//   c:MS     start a grandchild that sleeps MS milliseconds; write "grandchild=PID\n"
//   o        close standard output and standard error
//   i        close standard input
//   k:SIG    raise signal SIG
//   z:SIG    ignore signal SIG from now on (a grandchild started later inherits that)
//   d:SIG    default handling of signal SIG from now on
//   x:CODE   exit with CODE
//   h        hang until killed
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

static void WriteAll(int fd, const std::string &s)
{
    size_t done = 0;
    while (done < s.size()) {
        ssize_t n = write(fd, s.data() + done, s.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        done += size_t(n);
    }
}

static std::string Unescape(const char *p)
{
    std::string out;
    for (; *p; ++p) {
        if (*p != '\\' || !p[1]) {
            out += *p;
            continue;
        }
        ++p;
        switch (*p) {
        case 'r': out += '\r'; break;
        case 'n': out += '\n'; break;
        case '0': out += '\0'; break;
        case 'x': {
            char hex[3] = {p[1], p[1] ? p[2] : '\0', '\0'};
            out += char(strtol(hex, nullptr, 16));
            p += 2;
            break;
        }
        default: out += *p; break;
        }
    }
    return out;
}

static void Sleep(long ms)
{
    usleep(useconds_t(ms) * 1000);
}

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        const char *a = argv[i];
        const char *v = strchr(a, ':') ? strchr(a, ':') + 1 : "";
        switch (a[0]) {
        case 'w': WriteAll(1, Unescape(v)); break;
        case 'e': WriteAll(2, Unescape(v)); break;
        case 's': Sleep(atol(v)); break;
        case 'r': {
            for (long n = atol(v); n > 0; --n) {
                std::string line;
                char c;
                ssize_t r;
                while ((r = read(0, &c, 1)) == 1 && c != '\n')
                    line += c;
                if (r != 1 && line.empty())
                    break;
                WriteAll(1, "got:" + line + "\n");
            }
            break;
        }
        case 'f': {
            const long n = atol(v);
            std::string chunk;
            for (long k = 0; k < n; ++k) {
                chunk += "line " + std::to_string(k) + "\n";
                if (chunk.size() > 8192) {
                    WriteAll(1, chunk);
                    chunk.clear();
                }
            }
            WriteAll(1, chunk);
            break;
        }
        case 'u': {
            const std::string piece(65536, 'x');
            for (long left = atol(v); left > 0; left -= long(piece.size()))
                WriteAll(1, left >= long(piece.size()) ? piece : piece.substr(0, size_t(left)));
            break;
        }
        case 't': {
            const long ms = atol(v);
            const char *c = strchr(v, ':');
            long n = c ? atol(c + 1) : 0;
            for (long k = 0; n == 0 || k < n; ++k) {
                WriteAll(1, "tick\n");
                Sleep(ms);
            }
            break;
        }
        case 'n': errno = 0; WriteAll(1, "nice=" + std::to_string(getpriority(PRIO_PROCESS, 0)) + "\n"); break;
        case 'g': WriteAll(1, std::string("session=") + (getsid(0) == getpid() ? "1" : "0") + "\n"); break;
        case 'c': {
            pid_t pid = fork();
            if (pid == 0) {
                Sleep(atol(v));
                _exit(0);
            }
            WriteAll(1, "grandchild=" + std::to_string(pid) + "\n");
            break;
        }
        case 'o': close(1); close(2); break;
        case 'i': close(0); break;
        case 'k': raise(atoi(v)); break;
        case 'z': signal(atoi(v), SIG_IGN); break;
        case 'd': signal(atoi(v), SIG_DFL); break;
        case 'x': return atoi(v);
        case 'h': for (;;) pause();
        }
    }
    return 0;
}
