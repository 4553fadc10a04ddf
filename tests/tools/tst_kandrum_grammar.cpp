// The transcoder's grammar: what the command-line builder writes is accepted and
// read into the right options; anything else is refused with a reason.
#include "KandrumGrammar.h"

#include <gtest/gtest.h>

using namespace kandrum;

namespace {

const std::string kCore = R"(-core( -input "/music/in put.ac3" -output "/out/a b.mp3" ))";

ParseResult Parse(const std::string &tail) { return ParseKandrumCommandLine(kCore + tail); }

}  // namespace

TEST(KandrumGrammar, SplitsLikeTheChildProcessRules)
{
    auto a = SplitCommandLine(R"(-core(  -input "C:\dir one\x.wav" -output "" a\"b "q\\"  ))");
    ASSERT_EQ(a.size(), 8u);
    EXPECT_EQ(a[2], "C:\\dir one\\x.wav");
    EXPECT_EQ(a[4], "");
    EXPECT_EQ(a[5], "a\"b");
    EXPECT_EQ(a[6], "q\\");
    EXPECT_EQ(a[7], ")");
}

TEST(KandrumGrammar, CoreBlockWithTailsAndModes)
{
    auto r = ParseKandrumCommandLine(
        R"(-core( -input "/m/x y.wav" -output "/o/x y.wav"  -6chfloat -logfilea "/o/x y.log" -noid3 ))");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.command.core.input, "/m/x y.wav");
    EXPECT_EQ(r.command.core.output, "/o/x y.wav");
    EXPECT_EQ(r.command.core.mode, OutputMode::Mono6Float);
    EXPECT_EQ(r.command.core.logFile, "/o/x y.log");
    EXPECT_TRUE(r.command.core.logAppend);
    EXPECT_TRUE(r.command.core.noId3);
}

// Whole command lines as the builder composes them, page by page.
TEST(KandrumGrammar, AcceptsWhatTheBuilderWrites)
{
    const char *accepted[] = {
        "",
        " -azid( -n1 -s dplii -d 2/0 -f1 -c heavy -L -3db -g 0.95 -g 0db )",
        " -azid( -s Stereo --maximize )",
        " -kdn( -exe enhAacPlusEnc.exe -cbr 48 -mono -nops )",
        " -kdn( -exe faac.exe -q 100 )",
        " -kdn( -exe faac.exe -b 128 -c 16000 -mp4 --tns --obj-type LTP --no-midside --mpeg-vers 2 --shortctl 0 -6chnew )",
        " -kdn( -vbr 0.5 )",
        " -kdn( -cbr 128 -aacprofile_hev2 -hintforstreaming -6chnew )",
        " -vornak( -dllname WA_aac.dll  -cbr 48 -mode 4 )",
        " -vornak( -dllname WA_aac.dll  -cbr 96 -mpeg2 -pns -speech -lc -6chnew )",
        " -shibatch( -eq Sample.eq )",
        " -ota( -d -120 -g max -e 500 -r 25000 29970 )",
        " -ota( -hybridgain )",
        " -ota( -G 1 )",
        " -ogg( -q -0.200 )",
        " -ogg( -m 96 -b 128 -M 256 -6ch 1 )",
        " -ogg( -m 0 -b 45 -M 0 )",
        " -split( -start 1.5 -end 4 )",
        " -split( -end 0.5 )",
        " -ssrc( --rate 22050 )",
        " -boost( /b2=4 /l=0.95 )",
        " -ac3enc( -b 384 -6ch -intel )",
        " -kdn( -exe aften.exe -q 220 )",
        " -kdn( -exe aften.exe -b 448 -6chnew )",
        " -toolame( -m j -b 224 )",
        " -mp2enc( -b 192 -v 4 )",
        " -lame( -x --noath --athonly -m m  -b 256 -p --lowpass 44.1 --resample 22.05 --athshort --athtype 3 -Y )",
        " -lame( -v --vbr-new -V 0 -b 32 )",
        " -lame( --abr 200 )",
        " -kdn( -exe speexenc.exe --quality 8 --vbr --comp 3 --agc --nframes 2 --denoise )",
        " -kdn( -exe speexenc.exe --abr 24 )",
        " -kdn( -exe flake.exe -level 12 -6chnew )",
        " -soundtouch( -r 25000 29970 -tempo 10 -pitch -2 -rate 5 -quick -naa )",
        " -soundtouch( )",
        " -plugin( -name /p/x.dll -func Run )",
        " -azid( -c light ) -ota( -g max ) -split( -start 1 ) -ssrc( --rate 44100 ) -boost( /b=3 /l=0.95 )"
        " -lame( -b 128 ) -soundtouch( -tempo 5 ) -plugin( -name x.dll )",
    };
    for (const char *tail : accepted) {
        auto r = Parse(tail);
        EXPECT_TRUE(r.ok) << "refused: " << tail << " -> " << r.error;
    }
}

TEST(KandrumGrammar, ReadsTheOptionsIntoTheirFields)
{
    auto r = Parse(" -azid( -s DPL -L -6db -g 0.9 -g +2db ) -kdn( -exe faac.exe -q 150 -mp4 --mpeg-vers 2 )"
                   " -ota( -d 250 -G 1 -e 1000 ) -split( -start 2 -end 3.5 )"
                   " -soundtouch( -tempo -20 )");
    ASSERT_TRUE(r.ok) << r.error;
    const auto &c = r.command;
    ASSERT_TRUE(c.azid);
    EXPECT_EQ(c.azid->downmix, "dpl");
    EXPECT_DOUBLE_EQ(*c.azid->lfeDb, -6);
    EXPECT_DOUBLE_EQ(*c.azid->normalisePeak, 0.9);
    EXPECT_DOUBLE_EQ(*c.azid->gainDb, 2);
    ASSERT_TRUE(c.ota);
    EXPECT_DOUBLE_EQ(*c.ota->delayMs, 250);
    EXPECT_EQ(c.ota->gainMode, GainMode::Post);
    EXPECT_DOUBLE_EQ(*c.ota->appendMs, 1000);
    EXPECT_DOUBLE_EQ(*c.split->start, 2);
    EXPECT_DOUBLE_EQ(*c.split->end, 3.5);
    ASSERT_TRUE(c.encoder);
    EXPECT_EQ(c.encoder->kind, EncoderKind::Faac);
    EXPECT_EQ(c.encoder->rateMode, RateMode::Vbr);
    EXPECT_TRUE(c.encoder->mp4);
    EXPECT_EQ(c.encoder->mpegVersion, 2);
    EXPECT_DOUBLE_EQ(*c.soundTouch->tempoPercent, -20);

    // Names written unquoted keep their blanks.
    auto names = Parse(" -shibatch( -eq /my presets/Rock.eq ) -plugin( -name /fx dir/echo.dll -func Do It )");
    ASSERT_TRUE(names.ok) << names.error;
    EXPECT_EQ(names.command.equalizer->presetFile, "/my presets/Rock.eq");
    EXPECT_EQ(names.command.plugin->dllName, "/fx dir/echo.dll");
    EXPECT_EQ(names.command.plugin->function, "Do It");

    auto lame = Parse(" -lame( -v --vbr-old -V 2 -b 32 )");
    ASSERT_TRUE(lame.ok) << lame.error;
    EXPECT_EQ(lame.command.encoder->rateMode, RateMode::Vbr);
    EXPECT_FALSE(lame.command.encoder->vbrNew);
    EXPECT_DOUBLE_EQ(*lame.command.encoder->quality, 2);
    EXPECT_EQ(lame.command.encoder->minBitrateKbps, 32);
}

TEST(KandrumGrammar, RefusesWithAReason)
{
    struct Case {
        std::string text;    // the whole argument text
        std::string reason;  // a piece of the error it must give
    } cases[] = {
        {"", "no command"},
        {R"(-core( -input "" -output "" ))", "no input"},
        {R"(-core( -input "a.wav" ))", "no output"},
        {R"(-core( -input "a.wav" -output "b.wav" -7ch ))", "unknown switch \"-7ch\""},
        {R"(-core( -input "a.wav" -output "b.wav" )", "not closed"},
        {R"(-core( -input "a.wav" -output "b.wav" ) stray)", "outside a block"},
        {R"(-azid( -n1 ) -core( -input "a" -output "b" ))", "must begin with block \"-core(\""},
        {kCore + " -frob( -x )", "unknown block \"-frob(\""},
        {kCore + " -azid( -s quad )", "not allowed"},
        {kCore + " -azid( -d 2/0 )", "together"},
        {kCore + " -azid( -L loud )", "not a level in dB"},
        {kCore + " -azid( -n1 -n1 )", "twice"},
        {kCore + " -ota( -d )", "has no value"},
        {kCore + " -ota( -d nan )", "-d"},
        {kCore + " -split( -start nan -end 10 )", "-start"},
        {kCore + " -split( -start 0 -end inf )", "-end"},
        {kCore + " -ota( )", "empty"},
        {kCore + " -ota( -g 3 )", "not allowed"},
        {kCore + " -ota( -g max -hybridgain )", "two gain modes"},
        {kCore + " -split( -start 5 -end 2 )", "ends before it starts"},
        {kCore + " -split( -start x )", "not a number"},
        {kCore + " -ssrc( --rate 1000 )", "out of range"},
        {kCore + " -boost( /b=3 /q=1 )", "unknown switch"},
        {kCore + " -boost( b=3 )", "unknown switch"},
        {kCore + " -ssrc( --rate 44100 ) -azid( -n1 )", "must stand before"},
        {kCore + " -ota( -d 1 ) -ota( -d 2 )", "given twice"},
        {kCore + " -boost( /b=3 /l=0.95 ) -kdn( -exe faac.exe -q 100 )", "must stand before"},
        {kCore + " -lame( -b 128 ) -kdn( -exe faac.exe -q 100 )", "second encoder"},
        {kCore + " -kdn( -exe faac.exe -q 100 ) -ogg( -q 0.2 )", "second encoder"},
        {kCore + " -kdn( -exe oggenc.exe -q 1 )", "unknown encoder"},
        {kCore + " -kdn( -exe faac.exe -q 100 -b 128 )", "two targets"},
        {kCore + " -kdn( -exe faac.exe --obj-type HE )", "not allowed"},
        {kCore + " -vornak( -dllname other.dll -cbr 48 )", "unknown encoder"},
        {kCore + " -ogg( -q 1.5 )", "out of range"},
        {kCore + " -ogg( -b 128 -M 256 )", "together"},
        {kCore + " -ac3enc( -b 100 )", "no AC-3 bit rate"},
        {kCore + " -toolame( -b 224 -m x )", "not allowed"},
        {kCore + " -lame( -V 2 )", "must follow \"-v\""},
        {kCore + " -lame( -b 130 )", "no MP3 bit rate"},
        {kCore + " -lame( -p )", "neither a bit rate nor a quality"},
        {kCore + " -kdn( -exe flake.exe -level 13 )", "out of range"},
        {kCore + " -soundtouch( -tempo 9000 )", "out of range"},
        {R"(-core( -input "a" -output "b" -2ch ) -lame( -b 128 ))", "cannot go with an encoder"},
    };
    for (const auto &c : cases) {
        auto r = ParseKandrumCommandLine(c.text);
        EXPECT_FALSE(r.ok) << "accepted: " << c.text;
        EXPECT_NE(r.error.find(c.reason), std::string::npos)
            << "for: " << c.text << "\n  got: " << r.error << "\n  expected a mention of: " << c.reason;
    }
}

// The exact reason for the first fault, where what stood before decides it: a second
// target is refused before its value is read (except LAME's "-b", whose value comes
// first since after "-v" it is no target), one of a group of switches may stand once,
// and a bit rate outside its encoder's list is out of range, inside it merely unknown.
TEST(KandrumGrammar, NamesTheFirstFaultInItsOwnWords)
{
    struct Case {
        std::string tail;
        std::string error;
    } cases[] = {
        {" -kdn( -exe faac.exe -q 100 -b x )", R"(block "-kdn(" of faac.exe has two targets)"},
        {" -kdn( -exe speexenc.exe --quality 4 --abr x )", R"(block "-kdn(" of speexenc.exe has two targets)"},
        {" -lame( --abr 200 -b 999 )", R"(value "999" of switch "-b" in block "-lame(" is out of range)"},
        {" -lame( -b 128 -v )", R"(block "-lame(" has two targets)"},
        {" -lame( --vbr-new -v )", R"(switch "--vbr-new" of block "-lame(" must follow "-v")"},
        {" -ota( -g max -G x )", R"(block "-ota(" has two gain modes)"},
        {" -kdn( -aacprofile_he -aacprofile_lc -cbr 64 )", R"(block "-kdn(" has two AAC profiles)"},
        {" -vornak( -dllname WA_aac.dll -lc -high -cbr 64 )", R"(block "-vornak(" has two formats)"},
        {" -azid( --maximize -g 0.8 )", R"(block "-azid(" asks twice for normalisation)"},
        {" -azid( -g 1db -g -2db )", R"(block "-azid(" has two manual gains)"},
        {" -azid( -g 0.9 -g 1db -n1 -n1 )", R"(switch "-n1" is given twice in block "-azid(")"},
        {" -ac3enc( -b 700 )", R"(value "700" of switch "-b" in block "-ac3enc(" is out of range)"},
        {" -kdn( -exe aften.exe -b 100 )", R"(value "100" of switch "-b" in block "-kdn(" is no AC-3 bit rate)"},
        {" -mp2enc( -b 40 )", R"(value "40" of switch "-b" in block "-mp2enc(" is no MPEG audio layer II bit rate)"},
        {" -kdn( -exe flake.exe -level 5 -exe flake.exe )", R"(switch "-exe" is given twice in block "-kdn(")"},
        {" -kdn( -exe FLAKE.EXE -6chnew )", R"(block "-kdn(" of flake.exe gives no level)"},
        {" -ogg( -q 0.5 -6ch 2 )", R"(value "2" of switch "-6ch" in block "-ogg(" is not allowed)"},
    };
    for (const auto &c : cases) {
        auto r = Parse(c.tail);
        EXPECT_FALSE(r.ok) << "accepted: " << c.tail;
        EXPECT_EQ(r.error, c.error) << "for: " << c.tail;
    }
    auto modes = ParseKandrumCommandLine(R"(-core( -input "a" -output "b" -2ch -6ch ))");
    EXPECT_EQ(modes.error, R"(block "-core(" has two output modes)");
    auto logs = ParseKandrumCommandLine(R"(-core( -input "a" -output "b" -logfile x -logfilea y ))");
    EXPECT_EQ(logs.error, R"(block "-core(" names two log files)");
}
