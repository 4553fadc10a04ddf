// The splitter run as a child process on real files: it never writes over its input or over a
// file that exists, and it refuses break points it cannot cut at.
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <unistd.h>

using namespace toolrun;

namespace {

std::string Splitter() { return std::string(ZOLVANE_TRANSCODER_DIR) + "/Kaparto.exe"; }

std::string Read(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Write(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::vector<std::string> Args(const std::string &input, const std::string &prefix, const std::string &type,
                              std::vector<std::string> points, bool split = true)
{
    std::vector<std::string> args = {"-core(", "-input", input, "-prefix", prefix, "-type", type, ")"};
    if (split) {
        args.push_back("-split(");
        args.insert(args.end(), points.begin(), points.end());
        args.push_back(")");
    }
    return args;
}

std::string ErrorLines(const Result &r)
{
    std::string out;
    for (const auto &line : r.lines)
        if (line.rfind("Error", 0) == 0)
            out += line + "\n";
    return out;
}

} // namespace

TEST(KapartoProgram, SplitsARealMp3IntoNewPieces)
{
    TempDir dir;
    const std::string input = dir.path("song.mp3");
    Write(input, Read(Fixture("short.mp3")));
    const Result r = toolrun::Run(Splitter(), Args(input, dir.path("song_"), "mp3", {"0", "0.3"}));
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("Piece 2: \"" + dir.path("song_02.mp3") + "\""), std::string::npos) << r.output;
    EXPECT_GT(Duration(dir.path("song_01.mp3")), 0.2);
    EXPECT_EQ(Probe(dir.path("song_02.mp3"))["codec_name"], "mp3");
    EXPECT_EQ(Read(input), Read(Fixture("short.mp3")));
}

// Each case: files present before the run (name, "input" for a copy of the input), the run, and
// the file the "Error" line must name. Nothing is written and nothing present changes.
TEST(KapartoProgram, RefusesEveryPieceNameThatExistsBeforeWritingAnything)
{
    struct Case {
        const char *what;
        std::string input;            // the input's name in the folder
        std::string prefix;           // in the folder
        std::vector<std::string> points;
        bool split;
        std::vector<std::string> present; // other files already there
        std::string named;                // the piece the error names
    };
    const Case cases[] = {
        {"the input is named like the first piece", "track_01.mp3", "track_", {"0", "0.2"}, true, {}, "track_01.mp3"},
        {"the input is named like the second piece", "track_02.mp3", "track_", {"0.2"}, true, {}, "track_02.mp3"},
        {"fix mode rewrites onto its input", "take_01.mp3", "take_", {}, false, {}, "take_01.mp3"},
        {"a piece of an earlier run", "song.mp3", "song_", {"0.2"}, true, {"song_01.mp3"}, "song_01.mp3"},
        {"only the last piece is left", "song.mp3", "song_", {"0.1", "0.3"}, true, {"song_03.mp3"}, "song_03.mp3"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string original = Read(Fixture("short.mp3"));
        const std::string input = dir.path(c.input);
        Write(input, original);
        for (const auto &name : c.present)
            Write(dir.path(name), "earlier piece");
        const auto before = ListDir(dir.path(""));

        const Result r = toolrun::Run(Splitter(), Args(input, dir.path(c.prefix), "mp3", c.points, c.split));
        EXPECT_NE(r.exitCode, 0) << r.output;
        EXPECT_NE(ErrorLines(r).find("\"" + dir.path(c.named) + "\""), std::string::npos) << r.output;
        EXPECT_EQ(r.output.find("Done"), std::string::npos) << r.output;
        EXPECT_EQ(r.output.find("Piece "), std::string::npos) << r.output;
        EXPECT_EQ(Read(input), original);
        for (const auto &name : c.present)
            EXPECT_EQ(Read(dir.path(name)), "earlier piece");
        auto after = ListDir(dir.path(""));
        std::sort(after.begin(), after.end());
        auto expected = before;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(after, expected);
    }
}

TEST(KapartoProgram, ADanglingLinkInAPiecesPlaceIsRefused)
{
    TempDir dir;
    const std::string input = dir.path("song.mp3");
    Write(input, Read(Fixture("short.mp3")));
    ASSERT_EQ(symlink(dir.path("gone.mp3").c_str(), dir.path("song_01.mp3").c_str()), 0);
    const Result r = toolrun::Run(Splitter(), Args(input, dir.path("song_"), "mp3", {"0.2"}));
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(ErrorLines(r).find("song_01.mp3"), std::string::npos) << r.output;
    EXPECT_FALSE(Exists(dir.path("gone.mp3")));
    EXPECT_FALSE(Exists(dir.path("song_02.mp3")));
}

TEST(KapartoProgram, ABreakPointAtOrBeyondTheEndIsRefused)
{
    // short.mp3 lasts about 0.57 s.
    for (const char *point : {"0.9", "30"}) {
        SCOPED_TRACE(point);
        TempDir dir;
        const std::string input = dir.path("song.mp3");
        Write(input, Read(Fixture("short.mp3")));
        const Result r = toolrun::Run(Splitter(), Args(input, dir.path("song_"), "mp3", {"0.2", point}));
        EXPECT_EQ(r.exitCode, 1) << r.output;
        EXPECT_NE(ErrorLines(r).find("beyond the end"), std::string::npos) << r.output;
        EXPECT_FALSE(Exists(dir.path("song_01.mp3")));
    }
}
