// The encoder blocks of the pages and the Aud-X command line.

#include "CmdlineFixture.h"

#include <functional>
#include <vector>

namespace {

using Setup = std::function<void(KDCmdlSnapshot &)>;

struct Case {
    const char *what;
    Setup setup;
    const char *expected;
};

void expectBlocks(KDPage page, const std::vector<Case> &cases)
{
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        KDCmdlSnapshot s = quietJob(page);
        c.setup(s);
        EXPECT_EQ(afterCore(KDCmdlBuild(s)), QLatin1String(c.expected));
    }
}

TEST(CmdlineEncoders, AacEngines)
{
    expectBlocks(KDPage::AAC, {
        {"3GPP reference, mono, no PS",
         [](KDCmdlSnapshot &s) {
             s.cbAACEncEngine = 0;
             s.RefTrackBar = 32;
             s.chMonoEncodingRefEnc = s.chDisablePS = true;
         },
         " -kdn( -exe enhAacPlusEnc.exe -cbr 32 -mono -nops )"},
        {"FAAC defaults", [](KDCmdlSnapshot &s) { s.cbAACEncEngine = 1; },
         " -kdn( -exe faac.exe -q 100 )"},
        {"FAAC without M/S coding",
         [](KDCmdlSnapshot &s) { s.cbAACEncEngine = 1; s.chMSCoding = false; },
         " -kdn( -exe faac.exe -q 100 --no-midside )"},
        {"FAAC every switch, average bit rate, 5.1",
         [](KDCmdlSnapshot &s) {
             s.cbAACEncEngine = 1;
             s.rbFAACVBRMode = false;
             s.SpEdFAACABRMode = QStringLiteral("192");
             s.chFaacLowpass = s.chAACtoMP4 = s.chTNS = s.chFaacProfile = true;
             s.chFaacMPEGversion = s.chFaacShortBlocks = true;
             s.chMSCoding = false;
             s.cbFaacProfile = QStringLiteral("LTP");
             s.cbFaacMPEGversion = QStringLiteral("2");
             s.cbFaacShortBlocks = 2;
             s.rbAACOutputCh2 = false;
             s.rbAACOutputCh6 = true;
         },
         " -kdn( -exe faac.exe -b 192 -c 16000 -mp4 --tns --obj-type LTP --no-midside"
         " --mpeg-vers 2 --shortctl 2 -6chnew )"},
        {"Nero quality 50", [](KDCmdlSnapshot &s) { s.cbAACEncEngine = 2; s.trackBar = 50; },
         " -kdn( -vbr 0.5 )"},
        {"Nero quality 5, 0 and 100 in shortest form",
         [](KDCmdlSnapshot &s) { s.cbAACEncEngine = 2; s.trackBar = 5; }, " -kdn( -vbr 0.05 )"},
        {"Nero quality 0", [](KDCmdlSnapshot &s) { s.cbAACEncEngine = 2; s.trackBar = 0; },
         " -kdn( -vbr 0 )"},
        {"Nero quality 100", [](KDCmdlSnapshot &s) { s.cbAACEncEngine = 2; s.trackBar = 100; },
         " -kdn( -vbr 1 )"},
        {"Nero constant bit rate, HEv2, hint, 5.1",
         [](KDCmdlSnapshot &s) {
             s.cbAACEncEngine = 2;
             s.rbQuality = false;
             s.chCBR = s.chHint = s.rbAACOutputCh6 = true;
             s.TrackBar2 = 160;
             s.TntComboBox1 = 3;
         },
         " -kdn( -cbr 160 -aacprofile_hev2 -hintforstreaming -6chnew )"},
        {"Nero average bit rate, LC",
         [](KDCmdlSnapshot &s) { s.cbAACEncEngine = 2; s.rbQuality = false; s.TntComboBox1 = 1; },
         " -kdn( -abr 128 -aacprofile_lc )"},
        {"Winamp 48 kbit/s Parametric Stereo",
         [](KDCmdlSnapshot &s) {
             s.cbAACEncEngine = 3;
             s.TrackBar = 48;
             s.cbAACMode = QStringLiteral("Parametric Stereo");
             s.cbCTFormat = 0;
         },
         " -vornak( -dllname WA_aac.dll  -cbr 48 -mode 4 )"},
        {"Winamp MPEG2, PNS, speech, stereo, HE AAC High",
         [](KDCmdlSnapshot &s) {
             s.cbAACEncEngine = 3;
             s.TrackBar = 96;
             s.rbMPEG2 = s.chCTPNS = s.chCTSpeech = true;
             s.cbAACMode = QStringLiteral("Stereo");
             s.cbCTFormat = 1;
         },
         " -vornak( -dllname WA_aac.dll  -cbr 96 -mpeg2 -pns -speech -mode 2 -high )"},
        {"Winamp mono LC",
         [](KDCmdlSnapshot &s) {
             s.cbAACEncEngine = 3;
             s.cbAACMode = QStringLiteral("Mono");
             s.cbCTFormat = 2;
         },
         " -vornak( -dllname WA_aac.dll  -cbr 48 -mode 1 -lc )"},
        {"Winamp 5.1 LC has no mode switch",
         [](KDCmdlSnapshot &s) {
             s.cbAACEncEngine = 3;
             s.TrackBar = 320;
             s.rbAACOutputCh6 = true;
             s.rbAACOutputCh2 = false;
             s.cbCTFormat = 1;
         },
         " -vornak( -dllname WA_aac.dll  -cbr 320 -lc -6chnew )"},
        {"no engine selected", [](KDCmdlSnapshot &s) { s.cbAACEncEngine = -1; }, ""},
    });
}

TEST(CmdlineEncoders, VorbisTargets)
{
    const std::vector<std::pair<int, const char *>> quality = {
        {-200, " -ogg( -q -0.200 )"}, {-5, " -ogg( -q -0.005 )"}, {0, " -ogg( -q 0.000 )"},
        {45, " -ogg( -q 0.045 )"},    {200, " -ogg( -q 0.200 )"}, {1000, " -ogg( -q 1.000 )"},
    };
    for (const auto &[position, expected] : quality) {
        SCOPED_TRACE(position);
        KDCmdlSnapshot s = quietJob(KDPage::Vorbis);
        s.VORBISScrollBar = position;
        EXPECT_EQ(afterCore(KDCmdlBuild(s)), QLatin1String(expected));
    }
    expectBlocks(KDPage::Vorbis, {
        {"constant bit rate", [](KDCmdlSnapshot &s) { s.rbVORBISQuality = false; s.rbVORBISCBRMode = true; },
         " -ogg( -b 128 )"},
        {"average bit rate, 5.1",
         [](KDCmdlSnapshot &s) { s.rbVORBISQuality = false; s.rbVORBISOutputCh6 = true; },
         " -ogg( -m 96 -b 128 -M 256 -6ch 1 )"},
    });
}

TEST(CmdlineEncoders, Ac3Engines)
{
    expectBlocks(KDPage::AC3, {
        {"AC3Enc 384 kbit/s, 5.1, Intel",
         [](KDCmdlSnapshot &s) {
             s.rbAC3Enc = true;
             s.AC3EncFrame1_AC3TrackBar = 14;
             s.rbAC3OutputCh6 = s.rbAC3Endians2 = true;
         },
         " -ac3enc( -b 384 -6ch -intel )"},
        {"AC3Enc lowest and highest rates read their own frame's bar",
         [](KDCmdlSnapshot &s) { s.rbAC3Enc = true; s.AC3EncFrame1_AC3TrackBar = 0; s.AftenFrame1_AC3TrackBar = 18; },
         " -ac3enc( -b 32 )"},
        {"AC3Enc position outside the table",
         [](KDCmdlSnapshot &s) { s.rbAC3Enc = true; s.AC3EncFrame1_AC3TrackBar = 19; },
         " -ac3enc( )"},
        {"Aften quality 220, stereo",
         [](KDCmdlSnapshot &s) { s.rbAftenBitrate = false; s.AftenQualTrackBar = 220; },
         " -kdn( -exe aften.exe -q 220 )"},
        {"Aften bit rate 640, 5.1",
         [](KDCmdlSnapshot &s) { s.AftenFrame1_AC3TrackBar = 18; s.AC3EncFrame1_AC3TrackBar = 0; s.rbAC3OutputCh6 = true; },
         " -kdn( -exe aften.exe -b 640 -6chnew )"},
    });
}

TEST(CmdlineEncoders, Mp2Engines)
{
    expectBlocks(KDPage::MP2, {
        {"TooLame joint stereo at position 7",
         [](KDCmdlSnapshot &s) { s.chMP2EncMode = true; s.cbMP2EncMode = 2; s.MP2TrackBar = 7; },
         " -toolame( -m j -b 224 )"},
        {"MP2Enc mono, VBR, position 0",
         [](KDCmdlSnapshot &s) {
             s.rbMP2Enc = true;
             s.cbMP2EncMode = 3;
             s.MP2TrackBar = 0;
             s.chMP2EncVBR = true;
             s.SpEdtMP2VBR = QStringLiteral("-5");
         },
         " -mp2enc( -m m -b 64 -v -5 )"},
        {"no mode, position 9",
         [](KDCmdlSnapshot &s) { s.chMP2EncMode = false; s.MP2TrackBar = 9; },
         " -toolame( -b 320 )"},
        {"dual channels", [](KDCmdlSnapshot &s) { s.cbMP2EncMode = 1; s.MP2TrackBar = 4; },
         " -toolame( -m d -b 128 )"},
    });
}

TEST(CmdlineEncoders, Mp3BitRates)
{
    struct Rate {
        bool constant;
        int position;
        const char *expected;
    };
    const std::vector<Rate> rates = {
        {true, 200, " -lame( -b 224 )"},   {true, 230, " -lame(  -b 256 )"},
        {true, 256, " -lame(  -b 256 )"},  {true, 257, " -lame(  -b 320 )"},
        {true, 320, " -lame(  -b 320 )"},  {true, 8, " -lame( -b 8 )"},
        {true, 224, " -lame( -b 224 )"},   {true, 129, " -lame( -b 144 )"},
        {false, 200, " -lame( --abr 200 )"}, {false, 320, " -lame( --abr 320 )"},
    };
    for (const Rate &r : rates) {
        SCOPED_TRACE(r.expected);
        KDCmdlSnapshot s = quietJob(KDPage::MP3);
        s.rbMP3Bitrate = true;
        s.chMP3ABR = r.constant;
        s.MP3TrackBar_Bitrate = r.position;
        EXPECT_EQ(afterCore(KDCmdlBuild(s)), QLatin1String(r.expected));
    }
}

TEST(CmdlineEncoders, Mp3QualityAndExtraLameOptions)
{
    expectBlocks(KDPage::MP3, {
        {"default quality", [](KDCmdlSnapshot &) {}, " -lame( -v --vbr-old -V 2 -b 32 )"},
        {"Fast at position 9",
         [](KDCmdlSnapshot &s) { s.cbVBRMode = QStringLiteral("Fast"); s.MP3TrackBar_Quality = 9; },
         " -lame( -v --vbr-new -V 0 -b 32 )"},
        {"every extra option around the target",
         [](KDCmdlSnapshot &s) {
             s.chStreamsForceByte = s.chATHturndown = s.chATHignorePSYcompletely = s.chMP3Mono = true;
             s.chStreamsErrorProtec = s.chFilterLowpass = s.chFilterSampleFreq = true;
             s.chATHignorePSY = s.chATHtype = s.chATHdifferent = true;
             s.cbFilterSampleFreq = QStringLiteral("22.05");
             s.SpEdtATHtype = QStringLiteral("3");
             s.MP3TrackBar_Quality = 0;
         },
         " -lame( -x --noath --athonly -m m -v --vbr-old -V 9 -b 32 -p --lowpass 44.1"
         " --resample 22.05 --athshort --athtype 3 -Y )"},
    });
}

KDCmdlSnapshot audxJob()
{
    KDCmdlSnapshot s = quietJob(KDPage::MP3);
    s.rbMP3Ch2 = false;
    s.AudXFolder = "/opt/Aud-X";
    s.selectedRow = {QStringLiteral("/films/"), QStringLiteral("Movie 5.1.AC3"), QStringLiteral("/enc/"),
                     QStringLiteral("Movie 5.1.mp3")};
    // Everything before the encoder step is dropped.
    s.chDNR = s.chBoost = s.chOTADelay = s.chOutputLog = true;
    return s;
}

TEST(CmdlineAudX, ReplacesTheTranscoderCommand)
{
    const std::vector<Case> cases = {
        {"standard quality, the row's output", [](KDCmdlSnapshot &) {},
         R"("/opt/Aud-X/audx.exe" STDQ "/films/Movie 5.1.ac3" "/enc/Movie 5.1.mp3")"},
        {"a row without output name gives none",
         [](KDCmdlSnapshot &s) { s.selectedRow.OutputPath.clear(); s.selectedRow.OutputFilename.clear(); },
         R"("/opt/Aud-X/audx.exe" STDQ "/films/Movie 5.1.ac3")"},
        {"explicit output", [](KDCmdlSnapshot &s) { s.SaveDialog1FileName = QStringLiteral("/enc/x.mp3"); s.cbMode = 2; },
         R"("/opt/Aud-X/audx.exe" HGHQ "/films/Movie 5.1.ac3" "/enc/Movie 5.1.mp3")"},
        {"streaming, folder with separator", [](KDCmdlSnapshot &s) { s.cbMode = 0; s.AudXFolder = "/opt/Aud-X/"; },
         R"("/opt/Aud-X/audx.exe" STRQ "/films/Movie 5.1.ac3" "/enc/Movie 5.1.mp3")"},
        {"superb, name without extension",
         [](KDCmdlSnapshot &s) { s.cbMode = 3; s.selectedRow.Filename = QStringLiteral("MOVIE"); },
         R"("/opt/Aud-X/audx.exe" SPBQ "/films/MOVIE" "/enc/Movie 5.1.mp3")"},
        {"a colon after the last dot stays in the extension",
         [](KDCmdlSnapshot &s) { s.selectedRow.Filename = QStringLiteral("Take.AC3:2"); },
         R"("/opt/Aud-X/audx.exe" STDQ "/films/Take.ac3:2" "/enc/Movie 5.1.mp3")"},
        {"no mode item", [](KDCmdlSnapshot &s) { s.cbMode = -1; },
         R"("/opt/Aud-X/audx.exe" "/films/Movie 5.1.ac3" "/enc/Movie 5.1.mp3")"},
        {"tempo and plug-in still follow",
         [](KDCmdlSnapshot &s) {
             s.chSoundTouchTempo = s.chExternalPlugDLLName = true;
             s.SoundTouchTempoArg = " -tempo 4";
             s.PluginNameArg = " -name p.dll";
         },
         R"("/opt/Aud-X/audx.exe" STDQ "/films/Movie 5.1.ac3" "/enc/Movie 5.1.mp3" -soundtouch( -tempo 4 ) -plugin( -name p.dll ))"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        KDCmdlSnapshot s = audxJob();
        c.setup(s);
        const KDCmdlResult r = KDCmdlBuild(s);
        EXPECT_EQ(r.rowCmd, QString::fromUtf8(c.expected));
    }
}

TEST(CmdlineEncoders, SpeexAndLossless)
{
    expectBlocks(KDPage::Speex, {
        {"quality", [](KDCmdlSnapshot &s) { s.SpeexQualityTrackBar = 10; },
         " -kdn( -exe speexenc.exe --quality 10 )"},
        {"bit rate with every option",
         [](KDCmdlSnapshot &s) {
             s.rbSpeexQuality = false;
             s.SpeexBitrateTrackBar = 64;
             s.chSpeexVBR = s.chSpeexEncComplex = s.chSpeexAGC = s.chSpeexFramesOgg = s.chSpeexDenoise = true;
             s.spEdEncComplex = QStringLiteral("10");
             s.spEdFramesOgg = QStringLiteral("4");
         },
         " -kdn( -exe speexenc.exe --bitrate 64 --vbr --comp 10 --agc --nframes 4 --denoise )"},
        {"average bit rate",
         [](KDCmdlSnapshot &s) { s.rbSpeexQuality = false; s.chSpeexABR = true; s.SpeexBitrateTrackBar = 1; },
         " -kdn( -exe speexenc.exe --abr 1 )"},
    });
    expectBlocks(KDPage::Lossless, {
        {"default level", [](KDCmdlSnapshot &) {}, " -kdn( -exe flake.exe -level 5 )"},
        {"level 12, 5.1", [](KDCmdlSnapshot &s) { s.FlakeTrackBar = 12; s.rbLossless6Ch = true; },
         " -kdn( -exe flake.exe -level 12 -6chnew )"},
    });
}

TEST(CmdlineEncoders, PagesWithoutAnEncoderBlock)
{
    // The AAC engine's controls are read on the AAC page only.
    KDCmdlSnapshot s = quietJob(KDPage::WAV);
    s.cbAACEncEngine = 1;
    EXPECT_EQ(KDCmdlBuild(s).rowCmd,
              QStringLiteral(R"("Kandrum.exe" -core( -input "/music/song.ac3" -output "/out/song.mp3"  -2ch ))"));
    s.activePage = KDPage::None;
    EXPECT_EQ(KDCmdlBuild(s).rowCmd, quietCore());
}

} // namespace
