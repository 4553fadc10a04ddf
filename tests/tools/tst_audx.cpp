// audx.exe as the batch runs it for 5.1 MP3 jobs.
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

using namespace toolrun;

namespace {

std::vector<int> Percentages(const Result &r)
{
    std::vector<int> out;
    for (const auto &l : r.lines) {
        int n;
        char dot;
        if (std::sscanf(l.c_str(), "progress: %d%c", &n, &dot) == 2 && dot == '.')
            out.push_back(n);
    }
    return out;
}

}  // namespace

TEST(AudX, EncodesSixChannelsAtTheBitRateOfItsQualityWord)
{
    TempDir tmp;
    struct Case {
        const char *word;
        const char *bitRate;
    } cases[] = {{"STRQ", "80000"}, {"STDQ", "128000"}, {"HGHQ", "192000"}, {"SPBQ", "192000"}};
    for (const auto &c : cases) {
        std::string out = tmp.path(std::string(c.word) + ".mp3");
        Result r = toolrun::Run(AudX(), {c.word, Fixture("six.ac3"), out});
        ASSERT_EQ(r.exitCode, 0) << r.output;
        auto p = Probe(out);
        EXPECT_EQ(p["codec_name"], "mp3");
        EXPECT_EQ(p["channels"], "2") << "a stereo downmix of the six channels";
        EXPECT_EQ(p["bit_rate"], c.bitRate) << c.word;
        EXPECT_NEAR(Duration(out), 1.024, 0.06);
        auto pc = Percentages(r);
        ASSERT_GE(pc.size(), 3u);
        EXPECT_TRUE(std::is_sorted(pc.begin(), pc.end()));
        EXPECT_EQ(pc.back(), 100);
    }
}

TEST(AudX, WithoutAnOutputWritesBesideTheInput)
{
    TempDir tmp;
    std::string in = tmp.path("film.ac3");
    {
        std::ifstream src(Fixture("six.ac3"), std::ios::binary);
        std::ofstream dst(in, std::ios::binary);
        dst << src.rdbuf();
    }
    ASSERT_EQ(toolrun::Run(AudX(), {"STDQ", in}).exitCode, 0);
    EXPECT_EQ(Probe(tmp.path("film.mp3"))["codec_name"], "mp3");
    // The command names the input with its extension lower-cased: "Film.AC3" is found.
    std::string upper = tmp.path("Film.AC3");
    {
        std::ifstream src(Fixture("six.ac3"), std::ios::binary);
        std::ofstream dst(upper, std::ios::binary);
        dst << src.rdbuf();
    }
    ASSERT_EQ(toolrun::Run(AudX(), {"STDQ", tmp.path("Film.ac3")}).exitCode, 0);
    EXPECT_EQ(Probe(tmp.path("Film.mp3"))["codec_name"], "mp3");
    // The six mono files of a mux file are six channels as well.
    ASSERT_EQ(toolrun::Run(AudX(), {"STRQ", Fixture("six.mux"), tmp.path("mux.mp3")}).exitCode, 0);
}

TEST(AudX, RefusesWhatIsNotSixChannelOrNotItsCommandLine)
{
    TempDir tmp;
    std::string out = tmp.path("o.mp3");
    for (const auto &args : std::vector<std::vector<std::string>>{
             {"STDQ", Fixture("tone_stereo.ogg"), out},
             {"STDQ", Fixture("stereo8k.wav"), out},
             {"LOWQ", Fixture("six.ac3"), out},
             {"STDQ", tmp.path("missing.ac3"), out},
             {"STDQ"},
         }) {
        Result r = toolrun::Run(AudX(), args);
        EXPECT_NE(r.exitCode, 0) << r.output;
        EXPECT_NE(r.output.find("Error "), std::string::npos) << r.output;
        EXPECT_TRUE(Percentages(r).empty());
        EXPECT_FALSE(Exists(out));
    }
}

// The tempo block that follows the arguments changes the encoded audio as the transcoder's
// does: tempo and rate shorten or lengthen it, a pitch shift alone keeps its length. The
// progress lines still count the input's position up to 100.
TEST(AudX, AppliesTheTempoBlockAfterItsArguments)
{
    TempDir tmp;
    std::string plain = tmp.path("plain.mp3");
    ASSERT_EQ(toolrun::Run(AudX(), {"STDQ", Fixture("six.ac3"), plain}).exitCode, 0);
    const double base = Duration(plain);
    // The MP3 frames add the same few milliseconds to every file; the audio in them is
    // the input's 1.024 s changed by the block.
    const double padding = base - 1.024;
    struct Case {
        const char *what;
        std::vector<std::string> block;
        double factor;  // expected length over the input's
    } cases[] = {
        {"tempo +50 %", {"-soundtouch(", "-tempo", "50", ")"}, 1 / 1.5},
        {"tempo -20 %", {"-soundtouch(", "-tempo", "-20", ")"}, 1 / 0.8},
        {"rate +25 %", {"-soundtouch(", "-rate", "25", ")"}, 1 / 1.25},
        {"pitch +3 semitones keeps the length", {"-soundtouch(", "-pitch", "3", ")"}, 1.0},
        {"pitch and quick and no anti-alias", {"-soundtouch(", "-pitch", "-4", "-quick", "-naa", ")"}, 1.0},
        {"frame rate 25 to 23.976", {"-soundtouch(", "-r", "25000", "23976", ")"}, 25000.0 / 23976},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        std::string out = tmp.path(std::string("t") + std::to_string(&c - cases) + ".mp3");
        std::vector<std::string> args = {"STDQ", Fixture("six.ac3"), out};
        args.insert(args.end(), c.block.begin(), c.block.end());
        Result r = toolrun::Run(AudX(), args);
        ASSERT_EQ(r.exitCode, 0) << r.output;
        auto p = Probe(out);
        EXPECT_EQ(p["channels"], "2");
        EXPECT_EQ(p["sample_rate"], "48000") << "the tempo stages end at the input's rate";
        EXPECT_NEAR(Duration(out), 1.024 * c.factor + padding, 0.05);
        auto pc = Percentages(r);
        ASSERT_FALSE(pc.empty());
        EXPECT_TRUE(std::is_sorted(pc.begin(), pc.end()));
        EXPECT_EQ(pc.back(), 100);
    }
    // The tone (440 Hz) keeps its pitch under a tempo change and moves by the semitones of
    // a pitch shift; measured on a mono decoding of each file, against the plain file.
    auto tone = [&](const std::string &mp3) {
        std::string wav = mp3 + ".wav";
        Result d = toolrun::Run("/usr/bin/ffmpeg", {"-v", "error", "-y", "-i", mp3, "-ac", "1", "-c:a", "pcm_s16le", wav});
        EXPECT_EQ(d.exitCode, 0) << d.output;
        double hz = WavToneHz(wav);
        std::remove(wav.c_str());
        return hz;
    };
    const double plainHz = tone(plain);
    EXPECT_NEAR(plainHz, 440, 30);
    std::string octave = tmp.path("octave.mp3");
    ASSERT_EQ(toolrun::Run(AudX(), {"STDQ", Fixture("six.ac3"), octave, "-soundtouch(", "-pitch", "12", ")"}).exitCode, 0);
    EXPECT_NEAR(tone(octave) / plainHz, 2.0, 0.1);
    EXPECT_NEAR(tone(tmp.path("t0.mp3")) / plainHz, 1.0, 0.1) << "a tempo change keeps the pitch";

    // Without an output the blocks follow the input directly.
    std::string in = tmp.path("film.ac3");
    {
        std::ifstream src(Fixture("six.ac3"), std::ios::binary);
        std::ofstream dst(in, std::ios::binary);
        dst << src.rdbuf();
    }
    Result r = toolrun::Run(AudX(), {"HGHQ", in, "-soundtouch(", "-tempo", "100", ")"});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NEAR(Duration(tmp.path("film.mp3")), 1.024 / 2 + padding, 0.05);
}

// A plug-in block fails as it does in the transcoder, before anything is written; any
// other block or word after the arguments, or the blocks out of order or twice, is
// refused by name.
TEST(AudX, RefusesThePluginBlockAndAnyOtherTrailingArgument)
{
    TempDir tmp;
    std::string out = tmp.path("o.mp3");
    const std::vector<std::string> plugin = {"-plugin(", "-name", "My Plug.dll", "-func", "Run", ")"};

    std::vector<std::string> args = {"STDQ", Fixture("six.ac3"), out, "-soundtouch(", "-tempo", "10", ")"};
    args.insert(args.end(), plugin.begin(), plugin.end());
    Result audx = toolrun::Run(AudX(), args);
    std::vector<std::string> kargs = {"-core(", "-input", Fixture("six.ac3"), "-output", tmp.path("k.wav"), ")"};
    kargs.insert(kargs.end(), plugin.begin(), plugin.end());
    Result kandrum = toolrun::Run(Transcoder(), kargs);
    auto errorLine = [](const Result &r) {
        for (const auto &l : r.lines)
            if (l.rfind("Error ", 0) == 0)
                return l;
        return std::string();
    };
    EXPECT_NE(audx.exitCode, 0);
    EXPECT_EQ(audx.exitCode, kandrum.exitCode);
    EXPECT_FALSE(errorLine(audx).empty()) << audx.output;
    EXPECT_EQ(errorLine(audx), errorLine(kandrum));
    EXPECT_TRUE(Percentages(audx).empty());
    EXPECT_TRUE(ListDir(tmp.path("")).empty()) << "no output, finished or not, is left";

    struct Case {
        std::vector<std::string> tail;
        const char *named;  // what the "Error " line must name
    } cases[] = {
        {{"-ota(", "-d", "10", ")"}, "\"-ota(\""},
        {{"-lame(", "-b", "128", ")"}, "\"-lame(\""},
        {{"extra"}, "\"extra\""},
        {{"-soundtouch(", "-tempo", "10", ")", "stray"}, "\"stray\""},
        {{"-plugin(", "-name", "a.dll", ")", "-soundtouch(", "-tempo", "10", ")"}, "\"-soundtouch(\""},
        {{"-soundtouch(", "-tempo", "10", ")", "-soundtouch(", "-pitch", "1", ")"}, "\"-soundtouch(\""},
        {{"-soundtouch(", "-speed", "10", ")"}, "\"-speed\""},
        {{"-soundtouch(", "-tempo", "10"}, "\"-soundtouch(\""},
    };
    for (const auto &c : cases) {
        std::vector<std::string> a = {"STDQ", Fixture("six.ac3"), out};
        a.insert(a.end(), c.tail.begin(), c.tail.end());
        Result r = toolrun::Run(AudX(), a);
        EXPECT_NE(r.exitCode, 0) << r.output;
        EXPECT_NE(errorLine(r).find(c.named), std::string::npos) << r.output;
        EXPECT_TRUE(Percentages(r).empty());
        EXPECT_FALSE(Exists(out)) << r.output;
    }
}
