// Times Kandrum.exe and the ffmpeg command line on the same conversions of one minute
// of 5.1 AC-3 and prints the ratio of their times (best of several runs each).
// Aim: a ratio of at most 1.2.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

double RunSeconds(const std::vector<std::string> &args)
{
    std::fflush(stdout);
    auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        freopen("/dev/null", "w", stdout);
        freopen("/dev/null", "w", stderr);
        std::vector<char *> argv;
        for (const auto &a : args)
            argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "failed: %s ...\n", args[0].c_str());
        std::exit(1);
    }
    return secs;
}

double Best(const std::vector<std::string> &args, int runs)
{
    double best = 1e9;
    for (int i = 0; i < runs; ++i)
        best = std::min(best, RunSeconds(args));
    return best;
}

std::vector<std::string> Split(const std::string &s)
{
    std::vector<std::string> out;
    std::string cur;
    bool quoted = false;
    for (char c : s) {
        if (c == '"') {
            quoted = !quoted;
        } else if (c == ' ' && !quoted) {
            if (!cur.empty())
                out.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty())
        out.push_back(cur);
    return out;
}

}  // namespace

int main(int argc, char **argv)
{
    int runs = argc > 1 ? std::atoi(argv[1]) : 3;
    std::string dir = "/tmp/zolvane-bench-transcode";
    std::string input = dir + "/minute.ac3";
    std::system(("mkdir -p " + dir).c_str());
    if (access(input.c_str(), R_OK) != 0) {
        std::string make = "ffmpeg -v error -y -f lavfi -i \"sine=f=220:d=60:r=48000\" -f lavfi -i "
                           "\"anoisesrc=d=60:r=48000:a=0.05\" -filter_complex \"[0][1]amix=inputs=2,"
                           "pan=5.1|FL=c0|FR=c0|FC=c0|LFE=c0|BL=c0|BR=c0\" -c:a ac3 -b:a 448k " + input;
        if (std::system(make.c_str()) != 0)
            return 1;
    }
    const std::string kandrum = std::string(ZOLVANE_TRANSCODER_DIR) + "/Kandrum.exe";
    struct Case {
        const char *name;
        std::string blocks;   // Kandrum's blocks after the core block
        std::string ffmpeg;   // the ffmpeg options between input and output
        std::string ext;
    } cases[] = {
        {"MP3 192 kbit/s stereo", "-lame( -b 192 )", "-ac 2 -c:a libmp3lame -b:a 192k", ".mp3"},
        {"Vorbis q 0.2 stereo", "-ogg( -q 0.200 )", "-ac 2 -c:a libvorbis -q:a 2", ".ogg"},
        {"AAC 128 kbit/s stereo", "-kdn( -cbr 128 )", "-ac 2 -c:a aac -b:a 128k", ".m4a"},
        {"AC-3 448 kbit/s 5.1", "-ac3enc( -b 448 -6ch )", "-c:a ac3 -b:a 448k", ".ac3"},
        {"FLAC level 5 5.1", "-kdn( -exe flake.exe -level 5 -6chnew )", "-c:a flac -compression_level 5", ".flac"},
        {"WAV stereo", "", "-ac 2 -c:a pcm_s16le", ".wav"},
        {"resample, MP3 192", "-ssrc( --rate 44100 ) -lame( -b 192 )", "-ar 44100 -ac 2 -c:a libmp3lame -b:a 192k",
         ".mp3"},
        {"tempo +10 %, Vorbis", "-ogg( -q 0.200 ) -soundtouch( -tempo 10 )",
         "-af atempo=1.1 -ac 2 -c:a libvorbis -q:a 2", ".ogg"},
    };
    std::printf("%-24s %10s %10s %7s\n", "conversion", "Kandrum s", "ffmpeg s", "ratio");
    double worst = 0;
    for (const auto &c : cases) {
        std::string outK = dir + "/kandrum" + c.ext;
        std::string outF = dir + "/ffmpeg" + c.ext;
        auto k = Split("-core( -input \"" + input + "\" -output \"" + outK + "\" " +
                       (c.ext == ".wav" ? "-2ch " : "") + ") " + c.blocks);
        k.insert(k.begin(), kandrum);
        auto f = Split("ffmpeg -v error -y -threads 1 -i " + input + " " + c.ffmpeg + " " + outF);
        double tk = Best(k, runs);
        double tf = Best(f, runs);
        worst = std::max(worst, tk / tf);
        std::printf("%-24s %10.3f %10.3f %7.2f\n", c.name, tk, tf, tk / tf);
    }
    std::printf("worst ratio %.2f (aim: at most 1.20)\n", worst);
    return 0;
}
