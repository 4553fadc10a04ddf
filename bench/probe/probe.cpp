// probe [-q] [-c] FILE_OR_FOLDER...
//
// Reads every file with the reader that the job list picks by its extension and prints
// one line per file, separated by tabs: the file name, "valid" or "invalid", channels,
// sample rate (Hz), bit rate (kbit/s) and duration (seconds). Folders are searched with
// their subfolders. Files of other extensions are left out. At the end it prints to
// standard error how many files it probed and how many per second; -q prints only that.
// -c first asks the system to drop every file from the page cache (posix_fadvise), so
// that the figure comes near that of files read for the first time.
#include "AACfile.h"
#include "AC3.h"
#include "DTS.h"
#include "MPEGaudio.h"
#include "OggVorbis.h"
#include "WAVfile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include <fcntl.h>
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

} // namespace

int main(int argc, char **argv)
{
    bool Quiet = false;
    bool Cold = false;
    std::vector<std::filesystem::path> Files;
    for (int I = 1; I < argc; ++I) {
        const std::string Arg = argv[I];
        if (Arg == "-q")
            Quiet = true;
        else if (Arg == "-c")
            Cold = true;
        else
            Collect(Arg, Files);
    }
    if (Files.empty()) {
        std::fprintf(stderr, "usage: probe [-q] [-c] FILE_OR_FOLDER...\n");
        return 2;
    }

    if (Cold)
        for (const auto &File : Files)
            DropFromCache(File.string());

    TReaders Readers;
    std::size_t ValidCount = 0;
    const auto Start = std::chrono::steady_clock::now();
    for (const auto &File : Files) {
        const std::string Name = File.string();
        const TProbeResult R = Probe(Readers, Name, LowerExtension(File));
        ValidCount += R.Valid ? 1 : 0;
        if (!Quiet)
            std::printf("%s\t%s\t%s\t%lld\t%lld\t%.3f\n", Name.c_str(), R.Valid ? "valid" : "invalid",
                        R.Channels.c_str(), R.SampleRate, R.BitRate, R.Duration);
    }
    std::fflush(stdout);
    const double Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
    std::fprintf(stderr, "%zu files (%zu valid) in %.3f s: %.0f files/s\n", Files.size(), ValidCount,
                 Seconds, Seconds > 0 ? double(Files.size()) / Seconds : 0.0);
    return 0;
}
