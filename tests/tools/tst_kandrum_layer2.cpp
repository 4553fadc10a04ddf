// The layer II encoder blocks of Kandrum.exe: which stream carries a chosen bit rate, and the
// files the transcoder writes for every rate, mode and input, read back by the program's own MPEG
// audio reader and a walk over every frame.
#include "KandrumGrammar.h"
#include "Layer2File.h"
#include "Layer2Stream.h"
#include "ToneWav.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <QString>

#include <algorithm>
#include <cstdio>
#include <future>
#include <map>
#include <set>
#include <vector>

using namespace toolrun;
using kandrum::ChooseLayer2Stream;

namespace {

const int kGrammarRates[] = {32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384};
const int kInputRates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};

Result Kandrum(const std::string &text) { return Run(Transcoder(), kandrum::SplitCommandLine(text)); }

std::string Core(const std::string &in, const std::string &out)
{
    return "-core( -input \"" + in + "\" -output \"" + out + "\" )";
}

bool HasErrorLine(const Result &r, const std::string &piece)
{
    for (const auto &l : r.lines)
        if (l.rfind("Error ", 0) == 0 && l.find(piece) != std::string::npos)
            return true;
    return false;
}

// Short tone inputs, made once: "<channels>ch_<rate>.wav".
class Inputs {
public:
    std::string of(int channels, int rate)
    {
        std::string path = dir_.path(std::to_string(channels) + "ch_" + std::to_string(rate) + ".wav");
        if (!made_[path]) {
            EXPECT_TRUE(WriteToneWavOf(QString::fromStdString(path), 250, quint32(rate), quint16(channels)));
            made_[path] = true;
        }
        return path;
    }

private:
    TempDir dir_;
    std::map<std::string, bool> made_;
};

// One layer II job: the blocks after the core block, the input, and what it gave.
struct Job {
    std::string input, blocks, what;
    Result result;
    Layer2File file;
};

// Runs the jobs, a few at a time, each into a file of its own, and reads what each wrote.
void RunJobs(std::vector<Job> &jobs, const TempDir &tmp)
{
    const size_t together = 4;
    for (size_t first = 0; first < jobs.size(); first += together) {
        std::vector<std::future<void>> running;
        for (size_t i = first; i < std::min(jobs.size(), first + together); ++i)
            running.push_back(std::async(std::launch::async, [&jobs, &tmp, i] {
                Job &j = jobs[i];
                const std::string out = tmp.path("job" + std::to_string(i) + ".mp2");
                j.result = Kandrum(Core(j.input, out) + " " + j.blocks);
                j.file = ReadLayer2File(out);
                std::remove(out.c_str());
            }));
        for (auto &r : running)
            r.get();
    }
}

// Each job ended well and wrote a sound layer II stream at `kbps`.
bool SoundAtRate(const Job &j, int kbps)
{
    EXPECT_EQ(j.result.exitCode, 0) << j.what << "\n" << j.result.output;
    EXPECT_EQ(j.file.fault, "") << j.what;
    EXPECT_EQ(j.file.layer, MPEG_LAYER_II) << j.what;
    if (kbps > 0) {
        EXPECT_EQ(j.file.bitRate, kbps) << j.what;
        EXPECT_EQ(j.file.frameRates, std::set<int>{kbps}) << j.what;
    }
    return j.result.exitCode == 0 && j.file.fault.empty();
}

}  // namespace

// The stream chosen for a rate, the signal's channels and its sample rate.
TEST(Layer2Stream, ChoosesAStreamThatCarriesTheRate)
{
    struct Case {
        int kbps, channels, rate;
        bool monoMode;
        int wantChannels, wantRate, wantVersion;
    } cases[] = {
        // Mono keeps its channel up to 192 kbit/s, and goes to two above.
        {224, 1, 44100, false, 2, 44100, 1},
        {384, 1, 48000, false, 2, 48000, 1},
        {192, 1, 44100, false, 1, 44100, 1},
        {32, 1, 32000, false, 1, 32000, 1},
        {80, 1, 44100, false, 1, 44100, 1},
        // Rates that layer II has no sample rate for are taken to the nearest one that carries.
        {224, 1, 8000, false, 2, 32000, 1},
        {192, 1, 8000, false, 1, 32000, 1},
        {160, 1, 8000, false, 1, 16000, 2},
        {64, 1, 11025, false, 1, 16000, 2},
        {64, 1, 12000, false, 1, 16000, 2},
        {128, 1, 22050, false, 1, 22050, 2},
        {192, 1, 22050, false, 1, 32000, 1},
        {224, 1, 24000, false, 2, 32000, 1},
        {320, 2, 16000, false, 2, 32000, 1},
        {224, 2, 96000, false, 2, 48000, 1},
        // Two channels at the rates MPEG-1 refuses for them go to MPEG-2's sample rates.
        {80, 2, 44100, false, 2, 24000, 2},
        {80, 2, 48000, false, 2, 24000, 2},
        {80, 2, 32000, false, 2, 24000, 2},
        {32, 2, 44100, false, 2, 24000, 2},
        {56, 2, 16000, false, 2, 16000, 2},
        {96, 2, 44100, false, 2, 44100, 1},
        // 5.1 is written as two channels.
        {384, 6, 8000, false, 2, 32000, 1},
        {224, 6, 48000, false, 2, 48000, 1},
        {48, 6, 48000, false, 2, 24000, 2},
        // One channel asked for.
        {192, 2, 44100, true, 1, 44100, 1},
        {80, 2, 48000, true, 1, 48000, 1},
        {160, 6, 8000, true, 1, 16000, 2},
        // Of two sample rates as near, the higher.
        {64, 1, 28000, false, 1, 32000, 1},
    };
    for (const auto &c : cases) {
        auto s = ChooseLayer2Stream(c.kbps, c.channels, c.rate, c.monoMode);
        std::string what = std::to_string(c.kbps) + " kbit/s, " + std::to_string(c.channels) + " ch, " +
                           std::to_string(c.rate) + " Hz" + (c.monoMode ? ", mono" : "");
        EXPECT_EQ(s.error, "") << what;
        EXPECT_EQ(s.channels, c.wantChannels) << what;
        EXPECT_EQ(s.sampleRate, c.wantRate) << what;
        EXPECT_EQ(s.mpegVersion, c.wantVersion) << what;
    }
}

TEST(Layer2Stream, NamesWhyNoStreamCarriesTheRate)
{
    for (int kbps : {224, 256, 320, 384})
        for (int channels : {1, 2, 6}) {
            auto s = ChooseLayer2Stream(kbps, channels, 44100, true);
            EXPECT_EQ(s.error, "MPEG audio layer II allows at most 192 kbit/s in mono") << kbps;
            EXPECT_EQ(s.channels, 0);
        }
    EXPECT_EQ(ChooseLayer2Stream(400, 2, 44100, false).error, "MPEG audio layer II has no bit rate of 400 kbit/s");
    EXPECT_EQ(ChooseLayer2Stream(0, 1, 44100, false).error, "MPEG audio layer II has no bit rate of 0 kbit/s");
}

// Every rate of the grammar, from mono, stereo and 5.1 inputs at every sample rate the program
// offers: a sound layer II file at the chosen rate, the input's channels and sample rate kept
// where a stream carries them.
TEST(KandrumLayer2, EveryRateFromEveryInputWritesASoundStreamAtThatRate)
{
    TempDir tmp;
    Inputs inputs;
    struct Asked {
        int rate, channels, kbps;
    };
    std::vector<Asked> asked;
    std::vector<Job> jobs;
    for (int rate : kInputRates)
        for (int channels : {1, 2, 6})
            for (int kbps : kGrammarRates) {
                const std::string block = "-toolame( -m j -b " + std::to_string(kbps) + " )";
                jobs.push_back({inputs.of(channels, rate), block,
                                block + " from " + std::to_string(channels) + " ch at " + std::to_string(rate), {}, {}});
                asked.push_back({rate, channels, kbps});
            }
    RunJobs(jobs, tmp);
    for (size_t i = 0; i < jobs.size(); ++i) {
        const Job &j = jobs[i];
        const auto [rate, channels, kbps] = asked[i];
        if (!SoundAtRate(j, kbps))
            continue;
        EXPECT_GE(j.file.frames * 1152.0 / j.file.sampleRate, 0.25) << j.what;
        const auto want = ChooseLayer2Stream(kbps, channels, rate, false);
        EXPECT_EQ(j.file.channels, want.channels) << j.what;
        EXPECT_EQ(j.file.sampleRate, want.sampleRate) << j.what;
        EXPECT_EQ(j.file.version, want.mpegVersion == 1 ? MPEG_VERSION_1 : MPEG_VERSION_2) << j.what;
        // What a stream can carry is kept: two channels stay two, one stays one up to 192.
        EXPECT_EQ(j.file.channels, channels == 1 && kbps > 192 ? 2 : std::min(channels, 2)) << j.what;
        if (kbps <= 160 && (rate == 16000 || rate == 22050 || rate == 24000))
            EXPECT_EQ(j.file.sampleRate, rate) << j.what;
        if (kbps >= 64 && kbps != 80 && (rate == 32000 || rate == 44100 || rate == 48000))
            EXPECT_EQ(j.file.sampleRate, rate) << j.what;
    }
}

// Both engines and every mode of the page, with the processing options' resampler in front.
TEST(KandrumLayer2, EnginesModesAndTheResamplerGiveTheChosenRate)
{
    TempDir tmp;
    Inputs inputs;
    const std::string mono = inputs.of(1, 44100), stereo = inputs.of(2, 44100);
    struct Asked {
        std::string mode;
        int kbps;
        bool monoInput;
        int resampled;  // 0: no resampler
    };
    std::vector<Asked> asked;
    std::vector<Job> jobs;
    for (std::string engine : {"-toolame(", "-mp2enc("})
        for (std::string mode : {"", " -m s", " -m d", " -m j", " -m m"})
            for (int kbps : {64, 80, 96, 112, 128, 160, 192, 224, 256, 320})
                for (bool monoInput : {true, false}) {
                    const std::string block = engine + mode + " -b " + std::to_string(kbps) + " )";
                    jobs.push_back({monoInput ? mono : stereo, block,
                                    block + (monoInput ? " from mono" : " from stereo"), {}, {}});
                    asked.push_back({mode, kbps, monoInput, 0});
                }
    // The resampler's rates, each a rate the encoder has to follow or mend.
    for (int rate : kInputRates)
        for (int kbps : {64, 160, 192, 224}) {
            const std::string blocks = "-ssrc( --rate " + std::to_string(rate) + " ) -mp2enc( -m j -b " +
                                       std::to_string(kbps) + " )";
            jobs.push_back({mono, blocks, blocks + " from mono", {}, {}});
            asked.push_back({" -m j", kbps, true, rate});
        }
    RunJobs(jobs, tmp);
    for (size_t i = 0; i < jobs.size(); ++i) {
        const Job &j = jobs[i];
        const Asked &a = asked[i];
        if (a.mode == " -m m" && a.kbps > 192) {
            // No mono stream carries it: the job says why and writes nothing.
            EXPECT_NE(j.result.exitCode, 0) << j.what;
            EXPECT_TRUE(HasErrorLine(j.result, "at most 192 kbit/s in mono")) << j.what << "\n" << j.result.output;
            EXPECT_NE(j.file.fault, "") << j.what;
            continue;
        }
        if (!SoundAtRate(j, a.kbps))
            continue;
        if (a.resampled) {
            const auto want = ChooseLayer2Stream(a.kbps, 1, a.resampled, false);
            EXPECT_EQ(j.file.channels, want.channels) << j.what;
            EXPECT_EQ(j.file.sampleRate, want.sampleRate) << j.what;
            continue;
        }
        const bool oneChannel = a.mode == " -m m" || (a.monoInput && a.kbps <= 192);
        EXPECT_EQ(j.file.channels, oneChannel ? 1 : 2) << j.what;
        EXPECT_EQ(j.file.sampleRate, !oneChannel && a.kbps == 80 ? 24000 : 44100) << j.what;
    }
}

// The VBR switch over its whole range: a sound stream whose frames vary within what the stream
// allows, laid out for the chosen rate as without it.
TEST(KandrumLayer2, VbrLevelsGiveSoundStreams)
{
    TempDir tmp;
    Inputs inputs;
    struct Asked {
        int kbps, channels, rate;
    };
    std::vector<Asked> asked;
    std::vector<Job> jobs;
    for (int level : {-5, -1, 0, 5, 15})
        for (int kbps : {64, 224, 384})
            for (auto [channels, rate] : {std::pair{1, 8000}, std::pair{1, 44100}, std::pair{2, 48000}}) {
                const std::string block =
                    "-mp2enc( -m j -b " + std::to_string(kbps) + " -v " + std::to_string(level) + " )";
                jobs.push_back({inputs.of(channels, rate), block,
                                block + " from " + std::to_string(channels) + " ch at " + std::to_string(rate), {}, {}});
                asked.push_back({kbps, channels, rate});
            }
    RunJobs(jobs, tmp);
    for (size_t i = 0; i < jobs.size(); ++i) {
        const Job &j = jobs[i];
        const auto [kbps, channels, rate] = asked[i];
        if (!SoundAtRate(j, 0))
            continue;
        const auto want = ChooseLayer2Stream(kbps, channels, rate, false);
        EXPECT_EQ(j.file.channels, want.channels) << j.what;
        EXPECT_EQ(j.file.sampleRate, want.sampleRate) << j.what;
        // A quiet tone needs far less than the top rate: a constant stream at 384 kbit/s would
        // mean the level was not taken.
        if (kbps == 384)
            EXPECT_NE(j.file.frameRates, std::set<int>{384}) << j.what;
    }
}
