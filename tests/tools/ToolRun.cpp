#include "ToolRun.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace toolrun {

pid_t Start(const std::string &program, const std::vector<std::string> &args, int &outFd)
{
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        dup2(fds[1], 1);
        dup2(fds[1], 2);
        close(fds[0]);
        close(fds[1]);
        std::vector<char *> argv;
        argv.push_back(const_cast<char *>(program.c_str()));
        for (const auto &a : args)
            argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(fds[1]);
    outFd = fds[0];
    return pid;
}

bool ReadLine(int fd, std::string &line)
{
    line.clear();
    char c;
    for (;;) {
        ssize_t n = read(fd, &c, 1);
        if (n <= 0)
            return !line.empty();
        if (c == '\n')
            return true;
        if (c != '\r')
            line += c;
    }
}

int Wait(pid_t pid)
{
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

Result Run(const std::string &program, const std::vector<std::string> &args)
{
    Result r;
    int fd = -1;
    pid_t pid = Start(program, args, fd);
    std::string line;
    while (ReadLine(fd, line)) {
        r.output += line + "\n";
        r.lines.push_back(line);
    }
    close(fd);
    r.exitCode = Wait(pid);
    return r;
}

std::map<std::string, std::string> Probe(const std::string &path)
{
    std::map<std::string, std::string> out;
    std::string cmd = "ffprobe -v error -select_streams a:0 -show_entries "
                      "format=format_name,duration,start_time:stream=codec_name,channels,sample_rate,bit_rate,profile "
                      "-of default=nw=1 '" + path + "' 2>/dev/null";
    FILE *p = popen(cmd.c_str(), "r");
    if (!p)
        return out;
    char buf[512];
    while (fgets(buf, sizeof buf, p)) {
        std::string l(buf);
        while (!l.empty() && (l.back() == '\n' || l.back() == '\r'))
            l.pop_back();
        auto eq = l.find('=');
        if (eq != std::string::npos && !out.count(l.substr(0, eq)))
            out[l.substr(0, eq)] = l.substr(eq + 1);
    }
    pclose(p);
    return out;
}

double Duration(const std::string &path)
{
    // The playing length: the encoder's start delay, which players skip, does not count.
    auto p = Probe(path);
    if (!p.count("duration"))
        return -1;
    double start = p.count("start_time") ? std::atof(p["start_time"].c_str()) : 0;
    return std::atof(p["duration"].c_str()) - std::max(0.0, start);
}

std::string Tag(const std::string &path, const std::string &key)
{
    std::string cmd = "ffprobe -v error -show_entries format_tags=" + key + ":stream_tags=" + key +
                      " -of default=nw=1:nk=1 '" + path + "' 2>/dev/null";
    std::string out;
    if (FILE *p = popen(cmd.c_str(), "r")) {
        char buf[512];
        if (fgets(buf, sizeof buf, p))
            out = buf;
        pclose(p);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    return out;
}

TempDir::TempDir()
{
    // A blank in the name: every path handed to the programs must survive being quoted.
    char tmpl[] = "/tmp/zolvane tools-XXXXXX";
    dir_ = mkdtemp(tmpl);
}

TempDir::~TempDir()
{
    for (const auto &f : ListDir(dir_))
        unlink((dir_ + "/" + f).c_str());
    rmdir(dir_.c_str());
}

bool Exists(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

std::vector<std::string> ListDir(const std::string &dir)
{
    std::vector<std::string> out;
    if (DIR *d = opendir(dir.c_str())) {
        while (dirent *e = readdir(d))
            if (std::strcmp(e->d_name, ".") && std::strcmp(e->d_name, ".."))
                out.push_back(e->d_name);
        closedir(d);
    }
    std::sort(out.begin(), out.end());
    return out;
}

namespace {

// The 16-bit samples of a PCM WAV file and its rate; empty when not such a file.
std::vector<int16_t> WavSamples(const std::string &path, int &rate)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> d((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> out;
    if (d.size() < 12 || std::memcmp(d.data(), "RIFF", 4) || std::memcmp(d.data() + 8, "WAVE", 4))
        return out;
    size_t pos = 12;
    int bits = 0;
    while (pos + 8 <= d.size()) {
        uint32_t size = d[pos + 4] | d[pos + 5] << 8 | d[pos + 6] << 16 | uint32_t(d[pos + 7]) << 24;
        if (!std::memcmp(d.data() + pos, "fmt ", 4)) {
            rate = int(d[pos + 12] | d[pos + 13] << 8 | d[pos + 14] << 16 | uint32_t(d[pos + 15]) << 24);
            bits = d[pos + 8 + 14] | d[pos + 8 + 15] << 8;
        }
        if (!std::memcmp(d.data() + pos, "data", 4)) {
            if (bits != 16)
                return out;
            size_t end = std::min(d.size(), pos + 8 + size);
            for (size_t i = pos + 8; i + 1 < end; i += 2)
                out.push_back(int16_t(d[i] | d[i + 1] << 8));
            return out;
        }
        pos += 8 + size + (size & 1);
    }
    return out;
}

}  // namespace

double WavToneHz(const std::string &path)
{
    int rate = 0;
    auto s = WavSamples(path, rate);
    if (s.size() < 2 || rate <= 0)
        return -1;
    int crossings = 0;
    for (size_t i = 1; i < s.size(); ++i)
        if ((s[i - 1] < 0) != (s[i] < 0))
            ++crossings;
    return crossings / 2.0 / (double(s.size()) / rate);
}

double WavPeak(const std::string &path)
{
    int rate = 0;
    auto s = WavSamples(path, rate);
    if (s.empty())
        return -1;
    double peak = 0;
    for (int16_t v : s)
        peak = std::max(peak, std::fabs(v / 32768.0));
    return peak;
}

std::string Fixture(const std::string &name) { return std::string(ZOLVANE_FIXTURES_DIR) + "/tools/" + name; }
std::string Transcoder() { return std::string(ZOLVANE_TRANSCODER_DIR) + "/Kandrum.exe"; }
std::string AudX() { return std::string(ZOLVANE_BIN_DIR) + "/programfiles/Aud-X/audx.exe"; }

}  // namespace toolrun
