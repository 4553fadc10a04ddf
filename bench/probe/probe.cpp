// probe [-q] [-c] [-r ROUNDS] FILE_OR_FOLDER...
//
// Reads every file with the reader that the job list picks by its extension and prints
// one line per file, separated by tabs: the file name, "valid" or "invalid", channels,
// sample rate (Hz), bit rate (kbit/s) and duration (seconds). Folders are searched with
// their subfolders. Files of other extensions are left out; -q leaves out the lines.
//
// Then it measures, over the same files, the probe against a floor: a bare open, a read of
// 4 KiB at the start and 4 KiB at the end (after a size query) and a close, for each file.
// Each is timed ROUNDS times (default 7), alternating, and the best round counts. It prints to
// standard error, for all files and per format: files per second of the probe and of the
// floor, their ratio, and system calls per file (the probe's counted by the file view).
// The first round of each warms the page cache; -c instead asks the system to drop every file
// from the page cache (posix_fadvise) before each round, so that the figures come near those
// of files read for the first time.
#include "AACfile.h"
#include "AC3.h"
#include "AudioFileStream.h"
#include "DTS.h"
#include "MPEGaudio.h"
#include "OggVorbis.h"
#include "WAVfile.h"

#include <algorithm>
#include <cstdlib>
#include <chrono>
#include <cstdio>
#include <map>
#include <exception>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct TProbeResult {
    bool Valid = false;
    std::string Channels;
    long long SampleRate = 0;
    long long BitRate = 0;
    double Duration = 0;
};

struct TReaders {
    TAC3 AC3;
    TDTS DTS;
    TWAVfile WAV;
    TMPEGaudio MPEG;
    TOggVorbis Vorbis;
    TAACfile AAC;
};

std::string LowerExtension(const std::filesystem::path &Path)
{
    std::string Ext = Path.extension().string();
    std::transform(Ext.begin(), Ext.end(), Ext.begin(), [](unsigned char C) {
        return char(C >= 'A' && C <= 'Z' ? C - 'A' + 'a' : C);
    });
    return Ext;
}

bool Probed(const std::string &Ext)
{
    return Ext == ".ac3" || Ext == ".dts" || Ext == ".wav" || Ext == ".mpa" || Ext == ".mp1"
           || Ext == ".mp2" || Ext == ".mp3" || Ext == ".ogg" || Ext == ".aac";
}

int MPEGChannels(const TMPEGaudio &R)
{
    switch (R.Frame().ModeID) {
    case MPEG_CM_MONO:
        return 1;
    case MPEG_CM_UNKNOWN:
        return 0;
    default:
        return 2;
    }
}

// The readers that let an open error through throw; the probe then counts the file as
// not valid, as the job list adds no row for it.
TProbeResult Probe(TReaders &R, const std::string &Name, const std::string &Ext)
{
    TProbeResult Out;
    try {
        if (Ext == ".ac3") {
            Out.Valid = R.AC3.ReadFromFile(Name) && R.AC3.Valid();
            Out.Channels = std::to_string(R.AC3.Channels());
            Out.SampleRate = R.AC3.SampleRate();
            Out.BitRate = R.AC3.BitRate();
            Out.Duration = R.AC3.Duration();
        } else if (Ext == ".dts") {
            Out.Valid = R.DTS.ReadFromFile(Name) && R.DTS.Valid();
            Out.Channels = std::to_string(R.DTS.Channels());
            Out.SampleRate = R.DTS.SampleRate();
            Out.BitRate = R.DTS.BitRate();
            Out.Duration = R.DTS.Duration();
        } else if (Ext == ".wav") {
            Out.Valid = R.WAV.ReadFromFile(Name) && R.WAV.Valid();
            Out.Channels = std::to_string(R.WAV.Channels()) + " (" + R.WAV.ChannelMode() + ")";
            Out.SampleRate = R.WAV.SampleRate();
            Out.BitRate = R.WAV.BytesPerSecond() * 8LL / 1000;
            Out.Duration = R.WAV.Duration();
        } else if (Ext == ".ogg") {
            Out.Valid = R.Vorbis.ReadFromFile(Name) && R.Vorbis.Valid();
            Out.Channels = std::to_string(R.Vorbis.Channels()) + " (" + R.Vorbis.ChannelMode() + ")";
            Out.SampleRate = R.Vorbis.SampleRate();
            Out.BitRate = R.Vorbis.BitRate();
            Out.Duration = R.Vorbis.Duration();
        } else if (Ext == ".aac") {
            Out.Valid = R.AAC.ReadFromFile(Name) && R.AAC.Valid();
            Out.Channels = std::to_string(R.AAC.Channels());
            Out.SampleRate = R.AAC.SampleRate();
            Out.BitRate = R.AAC.BitRate() / 1000;
            Out.Duration = R.AAC.Duration();
        } else {
            Out.Valid = R.MPEG.ReadFromFile(Name) && R.MPEG.Valid();
            Out.Channels = std::to_string(MPEGChannels(R.MPEG)) + " (" + R.MPEG.ChannelMode() + ")";
            Out.SampleRate = R.MPEG.SampleRate();
            Out.BitRate = R.MPEG.BitRate();
            Out.Duration = R.MPEG.Duration();
        }
    } catch (const std::exception &) {
        Out = TProbeResult();
        Out.Channels = "0";
    }
    return Out;
}

void Collect(const std::filesystem::path &Path, std::vector<std::filesystem::path> &Files)
{
    std::error_code Error;
    if (std::filesystem::is_directory(Path, Error)) {
        std::vector<std::filesystem::path> Found;
        for (auto It = std::filesystem::recursive_directory_iterator(
                 Path, std::filesystem::directory_options::skip_permission_denied, Error);
             !Error && It != std::filesystem::recursive_directory_iterator(); It.increment(Error))
            if (It->is_regular_file(Error) && Probed(LowerExtension(It->path())))
                Found.push_back(It->path());
        std::sort(Found.begin(), Found.end());
        Files.insert(Files.end(), Found.begin(), Found.end());
    } else if (Probed(LowerExtension(Path))) {
        Files.push_back(Path);
    }
}

void DropFromCache(const std::string &Name)
{
    const int Handle = ::open(Name.c_str(), O_RDONLY | O_CLOEXEC);
    if (Handle < 0)
        return;
    ::posix_fadvise(Handle, 0, 0, POSIX_FADV_DONTNEED);
    ::close(Handle);
}

// The floor: what any reader of a file's head and tail must do at least. Five system calls.
bool BareRead(const std::string &Name)
{
    static unsigned char Buffer[4096];
    const int Handle = ::open(Name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (Handle < 0)
        return false;
    struct stat Info {};
    bool Ok = ::fstat(Handle, &Info) == 0;
    Ok = Ok && ::pread(Handle, Buffer, sizeof Buffer, 0) >= 0;
    const off_t Tail = Info.st_size > off_t(sizeof Buffer) ? Info.st_size - off_t(sizeof Buffer) : 0;
    Ok = Ok && ::pread(Handle, Buffer, sizeof Buffer, Tail) >= 0;
    ::close(Handle);
    return Ok;
}
constexpr double BareReadSystemCalls = 5;

// Format names of the summary, by extension.
std::string FormatOf(const std::string &Ext)
{
    if (Ext == ".mp3")
        return "MP3";
    if (Ext == ".mp2" || Ext == ".mpa" || Ext == ".mp1")
        return "MP1/MP2";
    if (Ext == ".ogg")
        return "Ogg";
    if (Ext == ".aac")
        return "AAC";
    if (Ext == ".wav")
        return "WAV";
    if (Ext == ".ac3")
        return "AC-3";
    return "DTS";
}

struct TFileEntry {
    std::string Name;
    std::string Ext;
};

struct TFigures {
    double ProbeSeconds = 0;
    double FloorSeconds = 0;
    double ProbeCalls = 0; // per file
};

double Now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Best of Rounds alternating rounds of the probe and of the floor over the files.
TFigures Measure(TReaders &Readers, const std::vector<TFileEntry> &Files, int Rounds, bool Cold)
{
    TFigures Best;
    Best.ProbeSeconds = Best.FloorSeconds = 1e300;
    for (int Round = 0; Round < Rounds; ++Round) {
        if (Cold)
            for (const auto &File : Files)
                DropFromCache(File.Name);
        const std::uint64_t CallsBefore = TAudioFileStream::Counters().SystemCalls;
        double Start = Now();
        for (const auto &File : Files)
            Probe(Readers, File.Name, File.Ext);
        const double ProbeSeconds = Now() - Start;
        const std::uint64_t Calls = TAudioFileStream::Counters().SystemCalls - CallsBefore;
        if (Cold)
            for (const auto &File : Files)
                DropFromCache(File.Name);
        Start = Now();
        for (const auto &File : Files)
            BareRead(File.Name);
        const double FloorSeconds = Now() - Start;
        Best.ProbeSeconds = std::min(Best.ProbeSeconds, ProbeSeconds);
        Best.FloorSeconds = std::min(Best.FloorSeconds, FloorSeconds);
        Best.ProbeCalls = Files.empty() ? 0 : double(Calls) / double(Files.size());
    }
    return Best;
}

void PrintFigures(const char *Label, std::size_t Count, const TFigures &F)
{
    const double Probe = F.ProbeSeconds > 0 ? double(Count) / F.ProbeSeconds : 0;
    const double Floor = F.FloorSeconds > 0 ? double(Count) / F.FloorSeconds : 0;
    std::fprintf(stderr, "%-8s %6zu %12.0f %12.0f %7.2f %12.1f %12.1f\n", Label, Count, Probe, Floor,
                 Floor > 0 ? Probe / Floor : 0.0, F.ProbeCalls, BareReadSystemCalls);
}

} // namespace

int main(int argc, char **argv)
{
    bool Quiet = false;
    bool Cold = false;
    int Rounds = 7;
    std::vector<std::filesystem::path> Paths;
    for (int I = 1; I < argc; ++I) {
        const std::string Arg = argv[I];
        if (Arg == "-q")
            Quiet = true;
        else if (Arg == "-c")
            Cold = true;
        else if (Arg == "-r" && I + 1 < argc)
            Rounds = std::max(1, std::atoi(argv[++I]));
        else
            Collect(Arg, Paths);
    }
    if (Paths.empty()) {
        std::fprintf(stderr, "usage: probe [-q] [-c] [-r ROUNDS] FILE_OR_FOLDER...\n");
        return 2;
    }
    std::vector<TFileEntry> Files;
    for (const auto &Path : Paths)
        Files.push_back({Path.string(), LowerExtension(Path)});

    TReaders Readers;
    std::size_t ValidCount = 0;
    for (const auto &File : Files) {
        const TProbeResult R = Probe(Readers, File.Name, File.Ext);
        ValidCount += R.Valid ? 1 : 0;
        if (!Quiet)
            std::printf("%s\t%s\t%s\t%lld\t%lld\t%.3f\n", File.Name.c_str(), R.Valid ? "valid" : "invalid",
                        R.Channels.c_str(), R.SampleRate, R.BitRate, R.Duration);
    }
    std::fflush(stdout);

    std::map<std::string, std::vector<TFileEntry>> ByFormat;
    for (const auto &File : Files)
        ByFormat[FormatOf(File.Ext)].push_back(File);

    std::fprintf(stderr, "%zu files (%zu valid), %s cache, best of %d rounds\n", Files.size(), ValidCount,
                 Cold ? "cold" : "warm", Rounds);
    std::fprintf(stderr, "%-8s %6s %12s %12s %7s %12s %12s\n", "format", "files", "probe f/s", "floor f/s", "ratio",
                 "probe calls", "floor calls");
    PrintFigures("all", Files.size(), Measure(Readers, Files, Rounds, Cold));
    for (const auto &[Format, Group] : ByFormat)
        PrintFigures(Format.c_str(), Group.size(), Measure(Readers, Group, Rounds, Cold));
    return 0;
}
