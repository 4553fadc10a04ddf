// Runs the project's external programs as real child processes and inspects their
// outputs with ffprobe.
#pragma once

#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

namespace toolrun {

struct Result {
    int exitCode = -1;         // 128 + N when ended by signal N
    std::string output;        // standard output and error together
    std::vector<std::string> lines;
};

// Runs program with args, waits for it to end.
Result Run(const std::string &program, const std::vector<std::string> &args);

// Starts program in a process group of its own; returns its pid and the read end of
// its output pipe.
pid_t Start(const std::string &program, const std::vector<std::string> &args, int &outFd);
// Reads one line from fd (blocking); false at the end.
bool ReadLine(int fd, std::string &line);
int Wait(pid_t pid);

// ffprobe's "key=value" entries for the format and the first audio stream.
std::map<std::string, std::string> Probe(const std::string &path);
// Playing length in seconds: the duration less a positive start time.
double Duration(const std::string &path);
// A tag of the file ("title" ...), empty when it has none.
std::string Tag(const std::string &path, const std::string &key);

// A fresh folder under /tmp, removed with its content at destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    std::string path(const std::string &name) const { return dir_ + "/" + name; }

private:
    std::string dir_;
};

bool Exists(const std::string &path);
std::vector<std::string> ListDir(const std::string &dir);

// Peak of a 16-bit PCM WAV file (0..1), -1 when not readable.
double WavPeak(const std::string &path);

// Frequency of the tone in a mono 16-bit WAV file, from its zero crossings.
double WavToneHz(const std::string &path);

std::string Fixture(const std::string &name);
std::string Transcoder();
std::string AudX();

}  // namespace toolrun
