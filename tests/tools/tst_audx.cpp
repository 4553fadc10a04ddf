// audx.exe as the batch runs it for 5.1 MP3 jobs.
#include "ToolRun.h"

#include <gtest/gtest.h>

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
