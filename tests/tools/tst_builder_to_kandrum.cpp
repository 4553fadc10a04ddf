// What the main window's command-line builder composes, the transcoder (or, for 5.1 MP3,
// the Aud-X encoder) runs: every page and engine, and every processing option.
#include "JobOutputs.h"
#include "KDCmdlGrammar.h"
#include "KandrumGrammar.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <signal.h>
#include <unistd.h>
#include <functional>

using namespace toolrun;

namespace {

struct Job {
    const char *what;
    KDPage page;
    const char *outputName;
    std::function<void(KDCmdlSnapshot &)> set;
};

KDCmdlSnapshot BaseSnapshot(const TempDir &tmp, const std::string &input, const char *outputName)
{
    KDCmdlSnapshot s;
    s.edKandrum = QString::fromStdString(Transcoder());
    s.rowCount = 1;
    s.hasSelectedRow = true;
    std::string folder = input.substr(0, input.rfind('/') + 1);
    s.selectedRow.InputPath = QString::fromStdString(folder);
    s.selectedRow.Filename = QString::fromStdString(input.substr(folder.size()));
    s.selectedRow.OutputPath = QString::fromStdString(tmp.path(""));
    s.selectedRow.OutputFilename = QString::fromLatin1(outputName);
    s.AudXFolder = QByteArray::fromStdString(AudX().substr(0, AudX().rfind('/')));
    return s;
}

// The builder's row command, split as the child-process runner splits it.
std::vector<std::string> Compose(const KDCmdlSnapshot &s)
{
    KDCmdlResult r = KDCmdlBuild(s);
    EXPECT_EQ(r.which, KDCmdlCase::Row);
    return kandrum::SplitCommandLine(r.rowCmd.toLocal8Bit().toStdString());
}

Result RunComposed(const std::vector<std::string> &argv)
{
    return Run(argv.at(0), std::vector<std::string>(argv.begin() + 1, argv.end()));
}

}  // namespace

TEST(BuilderToKandrum, EveryPageAndEngineRuns)
{
    const Job jobs[] = {
        {"AAC 3GPP", KDPage::AAC, "o.m4a", [](auto &s) { s.cbAACEncEngine = 0; s.chMonoEncodingRefEnc = true; }},
        {"AAC FAAC", KDPage::AAC, "o.aac", [](auto &s) { s.cbAACEncEngine = 1; }},
        {"AAC FAAC options", KDPage::AAC, "o.m4a", [](auto &s) {
             s.cbAACEncEngine = 1; s.rbFAACVBRMode = false; s.chFaacLowpass = true; s.chAACtoMP4 = true;
             s.chTNS = true; s.chFaacProfile = true; s.cbFaacProfile = "Main"; s.chMSCoding = false;
             s.chFaacShortBlocks = true; s.cbFaacShortBlocks = 0; }},
        {"AAC Nero", KDPage::AAC, "o.m4a", [](auto &s) { s.cbAACEncEngine = 2; s.chHint = true; s.TntComboBox1 = 2; }},
        {"AAC Nero CBR", KDPage::AAC, "o.m4a", [](auto &s) { s.cbAACEncEngine = 2; s.rbQuality = false; s.chCBR = true; }},
        {"AAC Winamp", KDPage::AAC, "o.aac", [](auto &s) { s.cbAACEncEngine = 3; s.rbMPEG2 = true; s.chCTPNS = true; }},
        {"AAC Winamp 5.1", KDPage::AAC, "o.aac", [](auto &s) {
             s.cbAACEncEngine = 3; s.rbAACOutputCh2 = false; s.rbAACOutputCh6 = true; s.cbCTFormat = 1;
             s.chOutputMode = false; s.chLFEtoLR = false; }},
        {"Vorbis quality", KDPage::Vorbis, "o.ogg", [](auto &) {}},
        {"Vorbis ABR 5.1", KDPage::Vorbis, "o.ogg", [](auto &s) {
             s.rbVORBISQuality = false; s.rbVORBISOutputCh6 = true; s.chOutputMode = false; s.chLFEtoLR = false; }},
        {"Vorbis CBR", KDPage::Vorbis, "o.ogg", [](auto &s) { s.rbVORBISQuality = false; s.rbVORBISCBRMode = true; }},
        {"AC3Enc 5.1 Intel", KDPage::AC3, "o.ac3", [](auto &s) {
             s.rbAC3Enc = true; s.rbAC3OutputCh6 = true; s.rbAC3Endians2 = true; s.chOutputMode = false; }},
        {"Aften quality", KDPage::AC3, "o.ac3", [](auto &s) { s.rbAftenBitrate = false; }},
        {"Aften bit rate", KDPage::AC3, "o.ac3", [](auto &) {}},
        {"TooLame", KDPage::MP2, "o.mp2", [](auto &) {}},
        {"MP2Enc VBR", KDPage::MP2, "o.mp2", [](auto &s) { s.rbMP2Enc = true; s.chMP2EncVBR = true; s.cbMP2EncMode = 0; }},
        {"LAME quality", KDPage::MP3, "o.mp3", [](auto &) {}},
        {"LAME CBR 230", KDPage::MP3, "o.mp3", [](auto &s) { s.rbMP3Bitrate = true; s.chMP3ABR = true; s.MP3TrackBar_Bitrate = 230; }},
        {"LAME extras", KDPage::MP3, "o.mp3", [](auto &s) {
             s.rbMP3Bitrate = true; s.chStreamsForceByte = true; s.chATHturndown = true; s.chMP3Mono = true;
             s.chStreamsErrorProtec = true; s.chFilterLowpass = true; s.edFilterLowpass = "16";
             s.chFilterSampleFreq = true; s.cbFilterSampleFreq = "32"; s.chATHignorePSY = true; s.chATHtype = true;
             s.SpEdtATHtype = "2"; s.chATHdifferent = true; s.cbVBRMode = "Fast"; }},
        {"Speex quality", KDPage::Speex, "o.spx", [](auto &) {}},
        {"Speex options", KDPage::Speex, "o.spx", [](auto &s) {
             s.rbSpeexQuality = false; s.chSpeexABR = true; s.chSpeexVBR = true; s.chSpeexEncComplex = true;
             s.chSpeexAGC = true; s.chSpeexFramesOgg = true; s.spEdFramesOgg = "3"; s.chSpeexDenoise = true; }},
        {"Flake 5.1", KDPage::Lossless, "o.flac", [](auto &s) { s.rbLossless6Ch = true; s.chOutputMode = false; }},
        {"WAV stereo", KDPage::WAV, "o.wav", [](auto &) {}},
        {"WAV 5.1", KDPage::WAV, "o.wav", [](auto &s) { s.rbWAVOutput2 = false; s.rbWAVOutput1 = true; s.chOutputMode = false; }},
        {"WAV six mono", KDPage::WAV, "o.wav", [](auto &s) { s.rbWAVOutput2 = false; s.rbWAVOutput3 = true; }},
        {"WAV six float", KDPage::WAV, "o.wav", [](auto &s) { s.rbWAVOutput2 = false; s.rbWAVOutput4 = true; }},
        {"AIFF 5.1 BE", KDPage::WAV, "o.aif", [](auto &s) { s.rbWAVOutput = false; s.rbAIFFOutput = true; s.rbWAVOutput2 = false; s.rbWAVOutput1 = true; }},
        {"AIFF 5.1 LE", KDPage::WAV, "o.aif", [](auto &s) { s.rbWAVOutput = false; s.rbAIFFOutput = true; }},
        {"AIFF 5.0", KDPage::WAV, "o.aif", [](auto &s) { s.rbWAVOutput = false; s.rbAIFFOutput = true; s.rbWAVOutput2 = false; s.rbWAVOutput3 = true; }},
        {"DD-WAV", KDPage::WAV, "o.wav", [](auto &s) { s.rbWAVOutput = false; s.rbDDWAVOutput = true; }},
    };
    for (const auto &j : jobs) {
        TempDir tmp;
        KDCmdlSnapshot s = BaseSnapshot(tmp, Fixture("six.ac3"), j.outputName);
        s.activePage = j.page;
        j.set(s);
        auto argv = Compose(s);
        ASSERT_GE(argv.size(), 2u) << j.what;
        EXPECT_EQ(argv[0], Transcoder()) << j.what;
        std::vector<std::string> args(argv.begin() + 1, argv.end());
        auto parsed = kandrum::ParseKandrumArguments(args);
        ASSERT_TRUE(parsed.ok) << j.what << ": " << parsed.error;
        Result r = RunComposed(argv);
        EXPECT_EQ(r.exitCode, 0) << j.what << "\n" << r.output;
        auto files = ListDir(tmp.path(""));
        EXPECT_FALSE(files.empty()) << j.what;
        for (const auto &f : files)
            if (f.size() < 4 || f.compare(f.size() - 4, 4, ".log") != 0)
                EXPECT_FALSE(Probe(tmp.path(f))["codec_name"].empty()) << j.what << ": " << f;
        EXPECT_TRUE(Exists(tmp.path("o.log"))) << j.what << ": the default options ask for a log";
    }
}

TEST(BuilderToKandrum, EveryProcessingOptionRuns)
{
    TempDir tmp;
    KDCmdlSnapshot s = BaseSnapshot(tmp, Fixture("six.ac3"), "o.mp3");
    s.activePage = KDPage::MP3;
    s.chAzidDC = true;
    s.cbAzidDC = "Heavy";
    s.chDNR = true;
    s.chRearChan = true;
    s.cbOutputMode = "dplii";
    s.chNormalize = true;
    s.edNormalize = "95";
    s.chManGain = true;
    s.edManGain = "-2db";
    s.chEqualizer = true;
    s.chOTADelay = true;
    s.edOTADelay = "120";
    s.chOTAMode = true;
    s.cbOTAMode = "PreGain";
    s.chAppendSilence = true;
    s.edAppendSilence = "300";
    s.chSoundTouchFRC = true;
    s.chPartialEncStart = true;
    s.edPartialEncStart = "0.1";
    s.chPartialEncEnd = true;
    s.edPartialEncEnd = "0.9";
    s.chSSRC = true;
    s.cbSSRC = "32000";
    s.chBoost = true;
    s.cbBoost = 2;
    s.chSoundTouchTempo = s.chSoundTouchPitch = s.chSoundTouchRate = true;
    s.chSoundTouchQuicker = s.chSoundTouchDisAntiAlias = true;
    s.SoundTouchFRCArg = " -r 25000 29970";
    s.SoundTouchTempoArg = " -tempo 10";
    s.SoundTouchPitchArg = " -pitch -1";
    s.SoundTouchRateArg = " -rate 5";
    s.SoundTouchQuickArg = " -quick";
    s.SoundTouchNaaArg = " -naa";
    s.chOutputLoga = true;
    s.chNoID3Tags = true;
    auto argv = Compose(s);
    Result r = RunComposed(argv);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    auto p = Probe(tmp.path("o.mp3"));
    EXPECT_EQ(p["codec_name"], "mp3");
    EXPECT_EQ(p["sample_rate"], "32000");
    EXPECT_EQ(p["channels"], "2");
    // 0.8 s split, delay and silence before it, then frame-rate, tempo and rate changes.
    EXPECT_GT(Duration(tmp.path("o.mp3")), 0.4);
    EXPECT_LT(Duration(tmp.path("o.mp3")), 0.9);

    // A plug-in cannot run here: the job fails and says which one.
    s.chExternalPlugDLLName = true;
    s.PluginNameArg = " -name /opt/fx/echo.dll";
    r = RunComposed(Compose(s));
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_NE(r.output.find("Error "), std::string::npos);
    EXPECT_NE(r.output.find("echo.dll"), std::string::npos);
}

TEST(BuilderToKandrum, FiveOneMp3RunsTheAudXEncoder)
{
    TempDir tmp;
    KDCmdlSnapshot s = BaseSnapshot(tmp, Fixture("six.ac3"), "o.mp3");
    s.activePage = KDPage::MP3;
    s.rbMP3Ch2 = false;
    s.SaveDialog1FileName = QString::fromStdString(tmp.path("o.mp3"));
    auto argv = Compose(s);
    ASSERT_EQ(argv.size(), 4u);
    EXPECT_EQ(argv[0], AudX());
    EXPECT_EQ(argv[1], "STDQ");
    Result r = RunComposed(argv);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("progress: 100."), std::string::npos);
    EXPECT_EQ(Probe(tmp.path("o.mp3"))["bit_rate"], "128000");
}

// With tempo ticked the Aud-X command line ends with the tempo block, and the encoder
// applies it: the 5.1 MP3 job succeeds with the shorter length.
TEST(BuilderToKandrum, FiveOneMp3WithTempoRunsTheAudXEncoder)
{
    TempDir tmp;
    KDCmdlSnapshot s = BaseSnapshot(tmp, Fixture("six.ac3"), "fast.mp3");
    s.activePage = KDPage::MP3;
    s.rbMP3Ch2 = false;
    s.SaveDialog1FileName = QString::fromStdString(tmp.path("fast.mp3"));
    Result plain = RunComposed(Compose(s));
    ASSERT_EQ(plain.exitCode, 0) << plain.output;
    const double base = Duration(tmp.path("fast.mp3"));
    ASSERT_EQ(std::remove(tmp.path("fast.mp3").c_str()), 0);

    s.chSoundTouchTempo = true;
    s.SoundTouchTempoArg = " -tempo 60";
    auto argv = Compose(s);
    ASSERT_EQ(argv.size(), 8u);
    EXPECT_EQ(argv[0], AudX());
    EXPECT_EQ(std::vector<std::string>(argv.begin() + 4, argv.end()),
              (std::vector<std::string>{"-soundtouch(", "-tempo", "60", ")"}));
    Result r = RunComposed(argv);
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("progress: 100."), std::string::npos);
    // The audio (1.024 s) is 1.6 times as fast; the frames' padding stays the same.
    EXPECT_NEAR(Duration(tmp.path("fast.mp3")), base - 1.024 + 1.024 / 1.6, 0.05);
}

// The ".part" file that the program takes away after a killed job is the one the transcoder
// writes, for a name of any length.
TEST(BuilderToKandrum, TheProgramKnowsTheTranscodersPartFile)
{
    TempDir tmp;
    const std::string lst = tmp.path("long.lst");
    {
        std::ofstream l(lst, std::ios::binary);
        for (int i = 0; i < 400; ++i)
            l << "\"" << Fixture("tone_stereo.ogg") << "\"\r\n";
    }
    setenv("KANDRUM_NO_TMPFILE", "1", 1);
    struct Unset {
        ~Unset() { unsetenv("KANDRUM_NO_TMPFILE"); }
    } unset;
    for (const std::string name : {std::string("short.wav"), std::string(251, 'w') + ".wav"}) {
        SCOPED_TRACE(name.size());
        KDCmdlSnapshot s = BaseSnapshot(tmp, lst, name.c_str());
        s.activePage = KDPage::WAV;
        s.rbWAVOutput = true;
        s.rbWAVOutput2 = true;
        const KDCmdlResult built = KDCmdlBuild(s);
        const QStringList parts = PartFilesOfCommand(built.rowCmd.toLocal8Bit());
        ASSERT_EQ(parts.size(), 1);
        const std::vector<std::string> argv = kandrum::SplitCommandLine(built.rowCmd.toLocal8Bit().toStdString());
        int fd = -1;
        const pid_t pid = Start(argv.at(0), std::vector<std::string>(argv.begin() + 1, argv.end()), fd);
        std::string line;
        int progress = 0;
        while (progress < 20 && ReadLine(fd, line))
            progress += line.rfind("[", 0) == 0;
        EXPECT_TRUE(Exists(parts.first().toStdString())) << parts.first().toStdString();
        kill(-pid, SIGTERM);
        while (ReadLine(fd, line)) {
        }
        close(fd);
        Wait(pid);
        EXPECT_FALSE(Exists(parts.first().toStdString()));
    }
}
