// The splitter run as a child process on real files: it never writes over its input or over a
// file that exists, and it refuses break points it cannot cut at.
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>
#include <csignal>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
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

// A split that is stopped (the dialog's runner asks with SIGTERM) or that fails half-way takes
// away the pieces it has written, so no cut-off piece is left to pass for a whole one and the
// same prefix can be used again. The input is a pipe that stops delivering after one second, so
// the splitter is still at work when it is stopped.
TEST(KapartoProgram, AStoppedSplitLeavesNoPiece)
{
    TempDir dir;
    const std::string input = dir.path("feed.wav");
    ASSERT_EQ(mkfifo(input.c_str(), 0600), 0);
    int outFd = -1;
    const pid_t pid = Start(Splitter(), Args(input, dir.path("feed_"), "wav", {"0", "0.5"}), outFd);
    ASSERT_GT(pid, 0);
    const int feed = open(input.c_str(), O_RDWR);
    ASSERT_GE(feed, 0);
    // 8 kHz mono 16-bit: a header that promises far more than the one second sent.
    auto le = [](uint32_t v, int bytes) {
        std::string s;
        for (int i = 0; i < bytes; ++i)
            s += char((v >> (8 * i)) & 0xff);
        return s;
    };
    std::string wav = "RIFF" + le(0x7ffffff0u, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) + le(8000, 4)
                      + le(16000, 4) + le(2, 2) + le(16, 2) + "data" + le(0x7fffffc0u, 4);
    // More than the reader looks at before it starts (some megabytes): a few minutes of sound.
    for (int i = 0; i < 8000 * 400; ++i)
        wav += le(uint32_t(int16_t(8000 * ((i / 20) % 2 ? 1 : -1))) & 0xffff, 2);
    std::atomic<bool> written{false};
    std::thread writer([&] {
        for (size_t at = 0; at < wav.size();) {
            const ssize_t n = write(feed, wav.data() + at, wav.size() - at);
            if (n <= 0)
                break;
            at += size_t(n);
        }
        written = true;
    });
    std::string line, said;
    bool second = false;
    while (!second && ReadLine(outFd, line)) {
        said += line + "\n";
        second = line.rfind("Piece 2:", 0) == 0;
    }
    EXPECT_TRUE(second) << said;
    EXPECT_TRUE(std::ifstream(dir.path("feed_01.wav")).good());
    kill(-pid, SIGTERM);
    EXPECT_EQ(Wait(pid), 128 + SIGTERM);
    // The pipe has no reader left: what the writer still has to send is read away here.
    fcntl(feed, F_SETFL, O_NONBLOCK);
    char sink[65536];
    while (!written)
        if (read(feed, sink, sizeof sink) <= 0)
            usleep(1000);
    writer.join();
    close(feed);
    close(outFd);
    EXPECT_FALSE(std::ifstream(dir.path("feed_01.wav")).good());
    EXPECT_FALSE(std::ifstream(dir.path("feed_02.wav")).good());
}
