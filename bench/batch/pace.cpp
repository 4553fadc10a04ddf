// A stand-in transcoder that takes its time: for ZOLVANE_PACE_SECONDS seconds (default 20) it
// writes ZOLVANE_PACE_RATE progress lines a second (default 1000), each on its own, as the real
// transcoder does. The stamps run from 0 to ZOLVANE_PACE_AUDIO seconds (default: the run's
// length), so that the bars move evenly over the job. At the end it writes a small file where its
// "-output" argument says and exits 0.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <unistd.h>

namespace {

double EnvNumber(const char *name, double fallback)
{
    const char *v = std::getenv(name);
    if (!v || !*v)
        return fallback;
    const double d = std::atof(v);
    return d > 0 ? d : fallback;
}

void WriteAll(const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t n = write(1, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            std::exit(3);
        data += n;
        size -= size_t(n);
    }
}

} // namespace

int main(int argc, char **argv)
{
    const double seconds = EnvNumber("ZOLVANE_PACE_SECONDS", 20);
    const double rate = EnvNumber("ZOLVANE_PACE_RATE", 1000);
    const double audio = EnvNumber("ZOLVANE_PACE_AUDIO", seconds);
    const char *output = nullptr;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "-output") == 0)
            output = argv[i + 1];

    const long lines = long(seconds * rate);
    timespec start;
    clock_gettime(CLOCK_MONOTONIC, &start);
    for (long i = 0; i < lines; ++i) {
        // Absolute wake-ups keep the pace however long a write took.
        const double at = double(i) / rate;
        timespec due = start;
        due.tv_sec += time_t(at);
        due.tv_nsec += long((at - std::floor(at)) * 1e9);
        if (due.tv_nsec >= 1000000000L) {
            due.tv_sec += 1;
            due.tv_nsec -= 1000000000L;
        }
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr) == EINTR) {
        }
        const double position = audio * double(i) / double(lines);
        const long cs = long(position * 100);
        char buf[64];
        const int n = std::snprintf(buf, sizeof buf, "[%02ld:%02ld:%02ld:%02ld] %d %%\n", cs / 360000,
                                    cs / 6000 % 60, cs / 100 % 60, cs % 100, int(position * 100 / audio));
        WriteAll(buf, size_t(n));
    }
    if (output) {
        if (FILE *f = std::fopen(output, "wb")) {
            std::fputs("paced", f);
            std::fclose(f);
        }
    }
    const std::string done = "Done in " + std::to_string(long(seconds)) + " s.\n";
    WriteAll(done.data(), done.size());
    return 0;
}
