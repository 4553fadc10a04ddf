// Kandrum.exe as the batch runs it: a child process given the block command line.
#include "KandrumGrammar.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cmath>
#include <fstream>
#include <signal.h>
#include <thread>
#include <unistd.h>

using namespace toolrun;

namespace {

// Runs the transcoder with the arguments of a command-line text, split by the
// child-process rules.
Result Kandrum(const std::string &text) { return Run(Transcoder(), kandrum::SplitCommandLine(text)); }

std::string Core(const std::string &in, const std::string &out, const std::string &extra = "")
{
    return "-core( -input \"" + in + "\" -output \"" + out + "\" " + extra + " )";
}

bool HasErrorLine(const Result &r, const std::string &piece)
{
    for (const auto &l : r.lines)
        if (l.rfind("Error ", 0) == 0 && l.find(piece) != std::string::npos)
            return true;
    return false;
}

// Seconds of a "[h:m:s:f]" stamp (f in hundredths), -1 for other lines.
double Stamp(const std::string &line)
{
    int h, m, s, f;
    char close;
    if (std::sscanf(line.c_str(), "[%d:%d:%d:%d%c", &h, &m, &s, &f, &close) != 5 || close != ']')
        return -1;
    return h * 3600 + m * 60 + s + f / 100.0;
}

std::vector<double> Stamps(const Result &r)
{
    std::vector<double> out;
    for (const auto &l : r.lines)
        if (double s = Stamp(l); s >= 0)
            out.push_back(s);
    return out;
}

}  // namespace

TEST(Kandrum, RefusesWhatItCannotDoWithAnErrorLineAndExitCode)
{
    TempDir tmp;
    const std::string in = Fixture("tone_stereo.ogg");
    const std::string out = tmp.path("out.mp3");
    struct Case {
        std::string command;
        std::string mentions;
    } cases[] = {
        {Core(in, out) + " -lame( -b 128 -zz )", "\"-zz\""},
        {Core(in, out) + " -frob( )", "\"-frob(\""},
        {Core(tmp.path("missing.ogg"), out) + " -lame( -b 128 )", "missing.ogg"},
        {Core(in, out) + " -lame( -b 128 ) -plugin( -name /opt/fx/reverb.dll -func Apply )", "reverb.dll"},
        {Core(in, out) + " -shibatch( -eq /nowhere/Rock.eq ) -lame( -b 128 )", "Rock.eq"},
        {Core(in, tmp.path("out.m4a")) + " -kdn( -exe faac.exe -q 100 -mp4 --mpeg-vers 2 )", "--mpeg-vers 2"},
        {Core(in, tmp.path("out.aac")) + " -kdn( -exe faac.exe -q 100 --obj-type SSR )", "SSR"},
        {Core(in, out) + " -lame( -b 128 ) -soundtouch( -tempo 10 ) -ssrc( --rate 8000 )", "must stand before"},
        {Core(in, tmp.path("out.ac3")) + " -ac3enc( -b 32 -6ch )", "at least 48 kbit/s for 5.1"},
        {Core(in, tmp.path("out.mp2")) + " -toolame( -m m -b 320 )", "at most 192 kbit/s in mono"},
        {Core(in, out) + " -split( -end 0 ) -lame( -b 128 )", "no audio"},
        {Core(in, out) + " -split( -start 30 ) -lame( -b 128 )", "no audio"},
    };
    for (const auto &c : cases) {
        Result r = Kandrum(c.command);
        EXPECT_NE(r.exitCode, 0) << c.command;
        EXPECT_TRUE(HasErrorLine(r, c.mentions)) << c.command << "\n" << r.output;
        EXPECT_TRUE(ListDir(tmp.path("")).empty()) << c.command;
    }
}

TEST(Kandrum, ProgressStampsAdvanceThroughTheInputInOnePass)
{
    TempDir tmp;
    Result r = Kandrum(Core(Fixture("tone_stereo.ogg"), tmp.path("o.wav")));
    ASSERT_EQ(r.exitCode, 0) << r.output;
    auto stamps = Stamps(r);
    ASSERT_GE(stamps.size(), 5u);
    for (size_t i = 1; i < stamps.size(); ++i)
        EXPECT_GT(stamps[i], stamps[i - 1]) << "stamps must only advance in a single pass";
    EXPECT_GT(stamps.front(), 0.0) << "a single pass shows no restart marker";
    EXPECT_NEAR(stamps.back(), 1.0, 0.1);
    for (const auto &l : r.lines)
        EXPECT_EQ(l.find("Error "), std::string::npos) << l;
}

TEST(Kandrum, GainModesMeasureInAFirstPassThenMarkTheSecond)
{
    TempDir tmp;
    struct Case {
        std::string block;
        double peak;  // the output's peak
    } cases[] = {
        {"-ota( -g max )", 1.0},     // PreGain
        {"-ota( -G 1 )", 1.0},       // PostGain
        {"-azid( -g 0.5 )", 0.5},    // normalisation to a level
    };
    for (const auto &c : cases) {
        std::string out = tmp.path("gain.wav");
        Result r = Kandrum(Core(Fixture("six.ac3"), out) + " " + c.block);
        ASSERT_EQ(r.exitCode, 0) << c.block << "\n" << r.output;
        auto stamps = Stamps(r);
        size_t restarts = 0, markerAt = 0;
        for (size_t i = 1; i < stamps.size(); ++i)
            if (stamps[i] < stamps[i - 1]) {
                ++restarts;
                markerAt = i;
            }
        ASSERT_EQ(restarts, 1u) << c.block;
        EXPECT_EQ(stamps[markerAt], 0.0) << "the second pass opens with [00:00:00:00]";
        EXPECT_NEAR(stamps[markerAt - 1], 1.0, 0.1) << "the first pass went through the input";
        EXPECT_NEAR(stamps.back(), 1.0, 0.1);
        EXPECT_NEAR(WavPeak(out), c.peak, 0.01) << c.block;
    }
    // Hybrid gain works in one pass.
    Result r = Kandrum(Core(Fixture("six.ac3"), tmp.path("h.wav")) + " -ota( -hybridgain )");
    ASSERT_EQ(r.exitCode, 0) << r.output;
    auto stamps = Stamps(r);
    EXPECT_TRUE(std::is_sorted(stamps.begin(), stamps.end()));
}

// Every encoder block gives a real file of its format.
TEST(Kandrum, EncoderBlocksWriteTheirFormats)
{
    TempDir tmp;
    struct Case {
        std::string block, name, format, codec;
        int channels, rate;
    } cases[] = {
        {"-lame( -b 128 )", "a.mp3", "mp3", "mp3", 2, 44100},
        {"-lame( -v --vbr-new -V 2 -b 32 )", "b.mp3", "mp3", "mp3", 2, 44100},
        {"-lame( -m m --abr 64 --resample 22.05 )", "c.mp3", "mp3", "mp3", 1, 22050},
        {"-ogg( -q 0.200 )", "d.ogg", "ogg", "vorbis", 2, 44100},
        {"-ogg( -m 96 -b 128 -M 256 -6ch 1 )", "e.ogg", "ogg", "vorbis", 6, 44100},
        {"-ac3enc( -b 384 -6ch )", "f.ac3", "ac3", "ac3", 6, 44100},
        {"-kdn( -exe aften.exe -q 220 )", "g.ac3", "ac3", "ac3", 2, 44100},
        {"-toolame( -m j -b 224 )", "h.mp2", "mp3", "mp2", 2, 44100},
        {"-mp2enc( -m m -b 64 )", "i.mp2", "mp3", "mp2", 1, 44100},
        {"-mp2enc( -m s -b 80 )", "r.mp2", "mp3", "mp2", 2, 24000},  // 80 kbit/s stereo is MPEG-2's
        {"-kdn( -exe enhAacPlusEnc.exe -cbr 48 -mono )", "j.m4a", "mov,mp4,m4a,3gp,3g2,mj2", "aac", 1, 44100},
        {"-kdn( -exe faac.exe -q 100 )", "k.aac", "aac", "aac", 2, 44100},
        {"-kdn( -exe faac.exe -b 128 -mp4 -6chnew )", "l.m4a", "mov,mp4,m4a,3gp,3g2,mj2", "aac", 6, 44100},
        {"-kdn( -vbr 0.5 -hintforstreaming )", "m.m4a", "mov,mp4,m4a,3gp,3g2,mj2", "aac", 2, 44100},
        {"-vornak( -dllname WA_aac.dll  -cbr 48 -mode 4 )", "n.aac", "aac", "aac", 2, 44100},
        {"-kdn( -exe speexenc.exe --quality 8 --vbr )", "o.spx", "ogg", "speex", 2, 32000},
        {"-kdn( -exe flake.exe -level 8 )", "p.flac", "flac", "flac", 2, 44100},
        {"-kdn( -exe flake.exe -level 5 -6chnew )", "q.flac", "flac", "flac", 6, 44100},
    };
    for (const auto &c : cases) {
        std::string out = tmp.path(c.name);
        Result r = Kandrum(Core(Fixture("tone_stereo.ogg"), out) + " " + c.block);
        ASSERT_EQ(r.exitCode, 0) << c.block << "\n" << r.output;
        auto p = Probe(out);
        EXPECT_EQ(p["format_name"], c.format) << c.block;
        EXPECT_EQ(p["codec_name"], c.codec) << c.block;
        EXPECT_EQ(p["channels"], std::to_string(c.channels)) << c.block;
        EXPECT_EQ(p["sample_rate"], std::to_string(c.rate)) << c.block;
        EXPECT_NEAR(Duration(out), 1.0, 0.05) << c.block;
    }
}

TEST(Kandrum, EncoderSwitchesReachTheStream)
{
    TempDir tmp;
    const std::string in = Fixture("tone_stereo.ogg");
    // Intel byte order: every 16-bit word of the AC-3 stream swapped, so it starts 77 0B.
    ASSERT_EQ(Kandrum(Core(in, tmp.path("i.ac3")) + " -ac3enc( -b 192 -intel )").exitCode, 0);
    std::ifstream ac3(tmp.path("i.ac3"), std::ios::binary);
    unsigned char sync[2] = {};
    ac3.read(reinterpret_cast<char *>(sync), 2);
    EXPECT_EQ(sync[0], 0x77);
    EXPECT_EQ(sync[1], 0x0B);
    // MPEG-2 AAC: the ADTS headers carry the MPEG-2 identifier bit.
    ASSERT_EQ(Kandrum(Core(in, tmp.path("m.aac")) + " -vornak( -dllname WA_aac.dll  -cbr 64 -mpeg2 )").exitCode, 0);
    std::ifstream adts(tmp.path("m.aac"), std::ios::binary);
    unsigned char head[2] = {};
    adts.read(reinterpret_cast<char *>(head), 2);
    EXPECT_EQ(head[0], 0xFF);
    EXPECT_EQ(head[1] & 0x08, 0x08);
    // The input's tags go along, except where -noid3 asks for none.
    for (std::string name : {"t.mp3", "t.ogg"}) {
        std::string block = name == "t.mp3" ? " -lame( -b 128 )" : " -ogg( -q 0.2 )";
        ASSERT_EQ(Kandrum(Core(in, tmp.path(name)) + block).exitCode, 0);
        EXPECT_EQ(Tag(tmp.path(name), "title"), "Zolvane tone") << name;
        ASSERT_EQ(Kandrum(Core(in, tmp.path(name), "-noid3") + block).exitCode, 0);
        EXPECT_EQ(Tag(tmp.path(name), "title"), "") << name;
    }
    // The constant bit rate asked for is the stream's.
    ASSERT_EQ(Kandrum(Core(in, tmp.path("c.mp2")) + " -toolame( -b 160 )").exitCode, 0);
    EXPECT_EQ(Probe(tmp.path("c.mp2"))["bit_rate"], "160000");
}

// The Vorbis quality runs from its lowest step (-0.2) up: each step asks the encoder for a higher
// nominal rate, the negative one included.
TEST(Kandrum, VorbisQualityStepsRaiseTheNominalRate)
{
    TempDir tmp;
    const std::string in = Fixture("tone_stereo.ogg");
    long previous = 0;
    for (const char *q : {"-0.200", "0.000", "0.500", "1.000"}) {
        const std::string out = tmp.path(std::string("q") + q + ".ogg");
        ASSERT_EQ(Kandrum(Core(in, out) + " -ogg( -q " + q + " )").exitCode, 0) << q;
        const long rate = std::stol(Probe(out)["bit_rate"]);
        EXPECT_GT(rate, previous) << q;
        previous = rate;
    }
}

TEST(Kandrum, WavPageOutputModes)
{
    TempDir tmp;
    const std::string in = Fixture("six.ac3");
    struct Case {
        std::string mode, name, format, codec;
        int channels;
    } cases[] = {
        {"-6chwav", "a.wav", "wav", "pcm_s16le", 6},
        {"-2ch", "b.wav", "wav", "pcm_s16le", 2},
        {"-6chaiff", "c.aif", "aiff", "pcm_s16be", 6},
        {"-6chliff", "d.aif", "aiff", "pcm_s16le", 6},
        {"-5chaiff", "e.aif", "aiff", "pcm_s16be", 5},
        {"-ddwav", "f.wav", "wav", "ac3", 6},
    };
    for (const auto &c : cases) {
        std::string out = tmp.path(c.name);
        Result r = Kandrum(Core(in, out, c.mode));
        ASSERT_EQ(r.exitCode, 0) << c.mode << "\n" << r.output;
        auto p = Probe(out);
        EXPECT_EQ(p["format_name"], c.format) << c.mode;
        EXPECT_EQ(p["codec_name"], c.codec) << c.mode;
        EXPECT_EQ(p["channels"], std::to_string(c.channels)) << c.mode;
    }
    // Six mono files, 16-bit and float.
    for (std::string mode : {"-6ch", "-6chfloat"}) {
        TempDir six;
        Result r = Kandrum(Core(in, six.path("m.wav"), mode));
        ASSERT_EQ(r.exitCode, 0) << r.output;
        auto files = ListDir(six.path(""));
        ASSERT_EQ(files.size(), 6u) << mode;
        for (const auto &f : files) {
            auto p = Probe(six.path(f));
            EXPECT_EQ(p["channels"], "1") << f;
            EXPECT_EQ(p["codec_name"], mode == "-6ch" ? "pcm_s16le" : "pcm_f32le") << f;
            EXPECT_NEAR(Duration(six.path(f)), 1.024, 0.01) << f;
        }
    }
}

// The processing blocks change the length, rate and channels as their options ask.
TEST(Kandrum, ProcessingBlocksShapeTheSignal)
{
    TempDir tmp;
    const std::string in = Fixture("six.ac3");   // 5.1, 48 kHz, 1.024 s decoded
    const double len = 1.024;
    struct Case {
        std::string blocks;
        double duration;
        int channels, rate;
    } cases[] = {
        {"-split( -start 0.25 -end 0.75 )", 0.5, 6, 48000},
        {"-split( -start 0.5 )", len - 0.5, 6, 48000},
        {"-split( -end 0.3 )", 0.3, 6, 48000},
        {"-ota( -e 500 )", len + 0.5, 6, 48000},
        {"-ota( -d 250 )", len + 0.25, 6, 48000},
        {"-ota( -d -200 )", len - 0.2, 6, 48000},
        {"-ota( -d 100 -e 400 -r 25000 29970 )", (len + 0.5) * 25 / 29.97, 6, 48000},
        {"-soundtouch( -tempo 25 )", len / 1.25, 6, 48000},
        {"-soundtouch( -tempo -20 -pitch 3 )", len / 0.8, 6, 48000},
        {"-soundtouch( -pitch -2 )", len, 6, 48000},
        {"-soundtouch( -rate 10 -naa )", len / 1.1, 6, 48000},
        {"-soundtouch( -r 25000 29970 )", len * 25 / 29.97, 6, 48000},
        // One frame-rate conversion, named in both blocks as the builder does for non-WAV input.
        {"-ota( -e 100 -r 25000 29970 ) -soundtouch( -r 25000 29970 -tempo 10 )", (len + 0.1) * 25 / 29.97 / 1.1, 6,
         48000},
        {"-ssrc( --rate 22050 )", len, 6, 22050},
        {"-azid( -s stereo -L -3db )", len, 2, 48000},
        {"-azid( -s dplii -c heavy )", len, 2, 48000},
        {"-azid( -s mono )", len, 1, 48000},
        {"-azid( -n1 -d 2/0 -f1 -c light -g -3db )", len, 6, 48000},
        {"-shibatch( -eq Sample.eq ) -boost( /b3=5 /l=0.95 )", len, 6, 48000},
    };
    for (const auto &c : cases) {
        std::string out = tmp.path("p.wav");
        Result r = Kandrum(Core(in, out) + " " + c.blocks);
        ASSERT_EQ(r.exitCode, 0) << c.blocks << "\n" << r.output;
        auto p = Probe(out);
        EXPECT_NEAR(Duration(out), c.duration, 0.05) << c.blocks;
        EXPECT_EQ(p["channels"], std::to_string(c.channels)) << c.blocks;
        EXPECT_EQ(p["sample_rate"], std::to_string(c.rate)) << c.blocks;
    }
    // The boost limiter holds the peak at its limit.
    ASSERT_EQ(Kandrum(Core(in, tmp.path("b.wav")) + " -azid( --maximize ) -boost( /b3=5 /l=0.95 )").exitCode, 0);
    EXPECT_LE(WavPeak(tmp.path("b.wav")), 0.96);
    EXPECT_GE(WavPeak(tmp.path("b.wav")), 0.85);
}

TEST(Kandrum, MuxAndListFilesAreOneInput)
{
    TempDir tmp;
    // Six mono files as 5.1, in the AC-3 line order for an AC-3 output.
    Result r = Kandrum(Core(Fixture("six.mux"), tmp.path("m.ac3")) + " -ac3enc( -b 384 -6ch )");
    ASSERT_EQ(r.exitCode, 0) << r.output;
    auto p = Probe(tmp.path("m.ac3"));
    EXPECT_EQ(p["channels"], "6");
    EXPECT_NEAR(Duration(tmp.path("m.ac3")), 0.5, 0.06);
    // For a WAV job the lines stand for FL FR C LFE SL SR: line i holds a tone of 200 * i Hz.
    TempDir six;
    ASSERT_EQ(Kandrum(Core(Fixture("six.mux"), six.path("m.wav"), "-6ch")).exitCode, 0);
    const char *names[] = {"FL", "FR", "C", "LFE", "SL", "SR"};
    for (int i = 0; i < 6; ++i)
        EXPECT_NEAR(WavToneHz(six.path(std::string("m_") + names[i] + ".wav")), 200.0 * (i + 1), 20) << names[i];

    // A list: its files one after the other (1.0 s and 0.5 s).
    r = Kandrum(Core(Fixture("pair.lst"), tmp.path("l.wav")));
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NEAR(Duration(tmp.path("l.wav")), 1.5, 0.05);
    auto stamps = Stamps(r);
    ASSERT_FALSE(stamps.empty());
    EXPECT_NEAR(stamps.back(), 1.5, 0.1) << "the stamps run through the whole list";

    // The audio of an AVI file.
    ASSERT_EQ(Kandrum(Core(Fixture("clip.avi"), tmp.path("v.ogg")) + " -ogg( -q 0.2 )").exitCode, 0);
    EXPECT_EQ(Probe(tmp.path("v.ogg"))["codec_name"], "vorbis");
}

TEST(Kandrum, LogSwitchesWriteAndAppendTheLog)
{
    TempDir tmp;
    std::string log = tmp.path("job.log");
    std::string cmd = Core(Fixture("tone_stereo.ogg"), tmp.path("o.wav"), "-logfile \"" + log + "\"");
    ASSERT_EQ(Kandrum(cmd).exitCode, 0);
    ASSERT_EQ(Kandrum(cmd).exitCode, 0);
    auto count = [&](const std::string &what) {
        std::ifstream in(log, std::ios::binary);
        std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        size_t n = 0;
        for (size_t p = all.find(what); p != std::string::npos; p = all.find(what, p + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(count("Done"), 1u) << "-logfile starts the log afresh";
    EXPECT_GT(count("%\r\n"), 3u) << "progress lines, CR LF";
    std::string append = Core(Fixture("tone_stereo.ogg"), tmp.path("o.wav"), "-logfilea \"" + log + "\"");
    ASSERT_EQ(Kandrum(append).exitCode, 0);
    EXPECT_EQ(count("Done"), 2u) << "-logfilea adds to it";
    // A failing job logs its error line too.
    Kandrum(Core(tmp.path("none.wav"), tmp.path("o2.wav"), "-logfilea \"" + log + "\""));
    EXPECT_EQ(count("Error "), 1u);
}

TEST(Kandrum, AFailedOrStoppedJobLeavesNoOutput)
{
    TempDir tmp;
    // A long list: the same second four hundred times, and a broken file at the end.
    std::string bad = tmp.path("broken.wav");
    std::ofstream(bad) << "RIFF, but not really a wave file";
    std::string lst = tmp.path("long.lst");
    {
        std::ofstream l(lst, std::ios::binary);
        for (int i = 0; i < 400; ++i)
            l << "\"" << Fixture("tone_stereo.ogg") << "\"\r\n";
    }
    std::string out = tmp.path("long.flac");

    for (int sig : {SIGTERM, SIGKILL}) {
        int fd = -1;
        auto args = kandrum::SplitCommandLine(Core(lst, out) + " -kdn( -exe flake.exe -level 12 )");
        pid_t pid = Start(Transcoder(), args, fd);
        std::string line;
        bool progressed = false;
        while (ReadLine(fd, line))
            if (Stamp(line) > 2.0) {
                progressed = true;
                break;
            }
        ASSERT_TRUE(progressed);
        kill(-pid, sig);
        while (ReadLine(fd, line)) {
        }
        close(fd);
        EXPECT_EQ(Wait(pid), 128 + sig);
        EXPECT_EQ(ListDir(tmp.path("")), (std::vector<std::string>{"broken.wav", "long.lst"}))
            << "stopped by signal " << sig;
    }

    // A job that fails half-way through removes what it wrote, and leaves an older file alone.
    {
        std::ofstream l(lst, std::ios::binary | std::ios::app);
        l << "\"" << bad << "\"\r\n";
    }
    std::ofstream(out) << "older output";
    Result r = Kandrum(Core(lst, out) + " -kdn( -exe flake.exe -level 0 )");
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(HasErrorLine(r, "broken.wav")) << r.output;
    std::ifstream older(out);
    std::string text;
    std::getline(older, text);
    EXPECT_EQ(text, "older output");
    EXPECT_EQ(ListDir(tmp.path("")).size(), 3u);
}

// Output names as long as the file system takes (255 bytes) are written whole, through unnamed
// files and through the temporary file beside the target alike, by both programs; the
// temporary names fit wherever the name does, and none stays behind.
TEST(Kandrum, NamesAsLongAsTheFileSystemTakesAreWritten)
{
    const std::string stem(251, 's');
    std::string accented;
    while (accented.size() + 2 <= 250)
        accented += "\xc3\xa9"; // e with an acute accent, two bytes
    accented += "x";
    for (const char *noTmpFile : {"0", "1"}) {
        setenv("KANDRUM_NO_TMPFILE", noTmpFile, 1);
        struct Unset {
            ~Unset() { unsetenv("KANDRUM_NO_TMPFILE"); }
        } unset;
        for (const std::string &name : {stem + ".wav", stem + ".mp3", accented + ".mp3", std::string(255, 'n')}) {
            SCOPED_TRACE(std::string("KANDRUM_NO_TMPFILE=") + noTmpFile + " " + name);
            ASSERT_EQ(name.size(), 255u);
            TempDir tmp;
            const std::string out = tmp.path(name);
            const std::string encoder = name.size() > 4 && name.compare(name.size() - 4, 4, ".mp3") == 0 ? " -lame( -b 64 )" : "";
            Result r = Kandrum(Core(Fixture("tone_stereo.ogg"), out) + encoder);
            ASSERT_EQ(r.exitCode, 0) << r.output;
            EXPECT_GT(Duration(out), 0.5);
            EXPECT_EQ(ListDir(tmp.path("")), std::vector<std::string>{name});
            // The 5.1 MP3 encoder writes through the same files.
            if (!encoder.empty()) {
                const std::string audx = tmp.path(std::string(251, 'a') + ".mp3");
                Result a = toolrun::Run(AudX(), {"STRQ", Fixture("six.ac3"), audx});
                ASSERT_EQ(a.exitCode, 0) << a.output;
                EXPECT_EQ(Probe(audx)["codec_name"], "mp3");
                EXPECT_EQ(ListDir(tmp.path("")).size(), 2u);
            }
        }
    }
}

TEST(TranscoderFolder, HoldsTheTranscoderAndEveryHelperFile)
{
    const std::string dir = ZOLVANE_TRANSCODER_DIR;
    EXPECT_EQ(access((dir + "/Kandrum.exe").c_str(), X_OK), 0);
    for (const char *f : {"ac3enc.dll", "azid.dll", "kdn.dll", "hip.dll", "lame_enc.dll", "libvorbis.dll",
                          "mp2enc.dll", "shibatch.dll", "soundtouch.dll", "vobinput.dll", "faac.exe",
                          "neroaacenc.exe", "enhaacplusenc.exe", "speexenc.exe", "aften.exe", "flake.exe",
                          "wa_aac.dll", "enc_aacplus.dll", "nscrt.dll", "Sample.eq"})
        EXPECT_TRUE(Exists(dir + "/" + f)) << f;
    EXPECT_EQ(access(AudX().c_str(), X_OK), 0);
}

TEST(Kandrum, EqualiserPresetShapesTheSound)
{
    TempDir tmp;
    const std::string in = Fixture("six.ac3");
    // The flat preset beside the transcoder, found by its bare name.
    ASSERT_EQ(Kandrum(Core(in, tmp.path("flat.wav")) + " -shibatch( -eq Sample.eq )").exitCode, 0);
    std::string loud = tmp.path("loud preset.eq");
    {
        std::ofstream p(loud);
        p << "# every band up by 6 dB\n";
        for (int i = 0; i < 18; ++i)
            p << "6 ";
        p << "\n";
    }
    ASSERT_EQ(Kandrum(Core(in, tmp.path("loud.wav")) + " -shibatch( -eq " + loud + " )").exitCode, 0);
    double flat = WavPeak(tmp.path("flat.wav")), louder = WavPeak(tmp.path("loud.wav"));
    ASSERT_GT(flat, 0.01);
    ASSERT_EQ(Kandrum(Core(in, tmp.path("plain.wav"))).exitCode, 0);
    EXPECT_NEAR(flat, WavPeak(tmp.path("plain.wav")), 0.005) << "a flat preset leaves the sound as it is";
    EXPECT_NEAR(louder / flat, 2.0, 0.3);

    std::string shortPreset = tmp.path("short.eq");
    std::ofstream(shortPreset) << "1 2 3\n";
    Result r = Kandrum(Core(in, tmp.path("x.wav")) + " -shibatch( -eq " + shortPreset + " )");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(HasErrorLine(r, "18 band gains")) << r.output;
    EXPECT_FALSE(Exists(tmp.path("x.wav")));
}

TEST(Kandrum, DialogueNormalisationFollowsTheAc3DialogueLevel)
{
    TempDir tmp;
    // Dialogue at -20 dBFS is brought to the -31 dBFS reference: 11 dB down.
    const std::string in = Fixture("dialnorm20.ac3");
    ASSERT_EQ(Kandrum(Core(in, tmp.path("plain.wav"))).exitCode, 0);
    ASSERT_EQ(Kandrum(Core(in, tmp.path("dnr.wav")) + " -azid( -n1 )").exitCode, 0);
    double plain = WavPeak(tmp.path("plain.wav"));
    ASSERT_GT(plain, 0.01);
    EXPECT_NEAR(WavPeak(tmp.path("dnr.wav")) / plain, std::pow(10.0, -11 / 20.0), 0.02);
    // At the reference level already (31): nothing changes.
    ASSERT_EQ(Kandrum(Core(Fixture("six.ac3"), tmp.path("ref.wav")) + " -azid( -n1 )").exitCode, 0);
    ASSERT_EQ(Kandrum(Core(Fixture("six.ac3"), tmp.path("ref0.wav"))).exitCode, 0);
    EXPECT_NEAR(WavPeak(tmp.path("ref.wav")), WavPeak(tmp.path("ref0.wav")), 0.002);
}
