// The builder's case choice, template, core block and processing blocks.

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

KDCmdlSnapshot emptyList()
{
    KDCmdlSnapshot s = quietJob(KDPage::MP3);
    s.rowCount = 0;
    s.hasSelectedRow = false;
    s.selectedRow = {};
    return s;
}

TEST(CmdlineTemplate, FormsByPageLogAndProgramPath)
{
    const std::vector<Case> cases = {
        {"defaults off", [](KDCmdlSnapshot &) {},
         R"("Kandrum.exe" -core( -input "" -output "" ))"},
        {"log", [](KDCmdlSnapshot &s) { s.chOutputLog = true; },
         R"("Kandrum.exe" -core( -input "" -output "" -logfile "" ))"},
        {"log appended, no ID3",
         [](KDCmdlSnapshot &s) { s.chOutputLog = s.chOutputLoga = s.chNoID3Tags = true; },
         R"("Kandrum.exe" -core( -input "" -output "" -logfilea "" -noid3 ))"},
        {"append without log is ignored",
         [](KDCmdlSnapshot &s) { s.chOutputLoga = s.chNoID3Tags = true; },
         R"("Kandrum.exe" -core( -input "" -output "" -noid3 ))"},
        {"transcoder path quoted as typed",
         [](KDCmdlSnapshot &s) { s.edKandrum = QStringLiteral("/opt/my tools/Kandrum.exe "); },
         R"("/opt/my tools/Kandrum.exe " -core( -input "" -output "" ))"},
        {"WAV stereo", [](KDCmdlSnapshot &s) { s.activePage = KDPage::WAV; },
         R"("Kandrum.exe" -core( -input "" -output "" -2ch ))"},
        {"WAV 5.1 with log",
         [](KDCmdlSnapshot &s) {
             s.activePage = KDPage::WAV;
             s.rbWAVOutput2 = false;
             s.rbWAVOutput1 = true;
             s.chOutputLog = true;
         },
         R"("Kandrum.exe" -core( -input "" -output "" -6chwav -logfile "" ))"},
        {"decoder and other blocks never join the template",
         [](KDCmdlSnapshot &s) {
             s.chAzidDC = s.chBoost = s.chSSRC = s.chSoundTouchTempo = true;
             s.SoundTouchTempoArg = " -tempo 5";
         },
         R"("Kandrum.exe" -core( -input "" -output "" ))"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        KDCmdlSnapshot s = emptyList();
        c.setup(s);
        const KDCmdlResult r = KDCmdlBuild(s);
        EXPECT_EQ(r.which, KDCmdlCase::EmptyList);
        EXPECT_EQ(r.CommandBase, QByteArray(c.expected));
        EXPECT_TRUE(r.rowCmd.isEmpty());
    }
}

TEST(CmdlineTemplate, OutputModeSwitchByFormatAndChannels)
{
    struct Mode {
        bool wav, aiff;
        int channel; // 1..4: which of rbWAVOutput1..4 is ticked
        const char *arg;
    };
    const std::vector<Mode> modes = {
        {true, false, 1, " -6chwav"},    {true, false, 2, " -2ch"},
        {true, false, 3, " -6ch"},       {true, false, 4, " -6chfloat"},
        {false, true, 1, " -6chaiff"},   {false, true, 2, " -6chliff"},
        {false, true, 3, " -5chaiff"},   {false, true, 4, " -5chaiff"},
        {false, false, 1, " -ddwav"},    {false, false, 4, " -ddwav"},
    };
    for (const Mode &m : modes) {
        SCOPED_TRACE(m.arg);
        KDCmdlSnapshot s = quietJob(KDPage::WAV);
        s.rbWAVOutput = m.wav;
        s.rbAIFFOutput = m.aiff;
        s.rbDDWAVOutput = !m.wav && !m.aiff;
        s.rbWAVOutput1 = m.channel == 1;
        s.rbWAVOutput2 = m.channel == 2;
        s.rbWAVOutput3 = m.channel == 3;
        s.rbWAVOutput4 = m.channel == 4;
        const KDCmdlResult r = KDCmdlBuild(s);
        EXPECT_EQ(r.OutputModeArg, QByteArray(m.arg));
        EXPECT_EQ(r.rowCmd, QStringLiteral("\"Kandrum.exe\" -core( -input \"/music/song.ac3\" "
                                           "-output \"/out/song.mp3\" ")
                                + QLatin1String(m.arg) + QLatin1String(" )"));
    }
    // Any other page drops the switch.
    KDCmdlSnapshot s = quietJob(KDPage::AC3);
    s.rbWAVOutput1 = true;
    EXPECT_TRUE(KDCmdlBuild(s).OutputModeArg.isEmpty());
}

TEST(CmdlineCore, RowTailsNameTheLogAfterTheOutput)
{
    struct Tail {
        bool log, loga, noid3;
        const char *outputName;
        const char *tail;
    };
    const std::vector<Tail> tails = {
        {false, false, false, "song.mp3", R"(  ))"},
        {false, true, true, "song.mp3", R"(  -noid3 ))"},
        {true, false, false, "song.mp3", R"(  -logfile "/out/song.log" ))"},
        {true, false, true, "song.mp3", R"(  -logfile "/out/song.log" -noid3 ))"},
        {true, true, false, "song.mp3", R"(  -logfilea "/out/song.log" ))"},
        {true, true, true, "song.mp3", R"(  -logfilea "/out/song.log" -noid3 ))"},
        {true, false, false, "song", R"(  -logfile "/out/song.log" ))"},
        {true, false, false, "my.song.v2.mp3", R"(  -logfile "/out/my.song.v2.log" ))"},
        {true, false, false, "mix.v2:final", R"(  -logfile "/out/mix.log" ))"},
    };
    for (const Tail &t : tails) {
        SCOPED_TRACE(t.tail);
        KDCmdlSnapshot s = quietJob();
        s.chOutputLog = t.log;
        s.chOutputLoga = t.loga;
        s.chNoID3Tags = t.noid3;
        s.selectedRow.OutputFilename = QLatin1String(t.outputName);
        const KDCmdlResult r = KDCmdlBuild(s);
        EXPECT_EQ(r.which, KDCmdlCase::Row);
        EXPECT_EQ(r.CommandBase, QByteArray("\"Kandrum.exe\""));
        EXPECT_EQ(r.rowCmd, QStringLiteral("\"Kandrum.exe\" -core( -input \"/music/song.ac3\" -output \"/out/")
                                + QLatin1String(t.outputName) + QLatin1Char('"')
                                + QLatin1String(t.tail));
    }
}

TEST(CmdlineCore, RowWithoutInputFolderGetsItsOwnCoreBlock)
{
    KDCmdlSnapshot s = quietJob(KDPage::AC3);
    s.selectedRow.InputPath.clear();
    s.selectedRow.OutputPath.clear();
    s.chBoost = true;
    const QString expected = QStringLiteral(
        R"("Kandrum.exe" -core( -input "song.ac3" -output "song.mp3"  ) -boost( /b=3 /l=0.95 ))"
        R"( -kdn( -exe aften.exe -b 384 ))");
    const KDCmdlResult first = KDCmdlBuild(s);
    EXPECT_EQ(first.rowCmd, expected);
    // The builder never starts from the row's earlier command, so a rebuild is the same.
    EXPECT_EQ(KDCmdlBuild(s).rowCmd, first.rowCmd);
}

TEST(CmdlineCore, NonAsciiNamesSurviveTheCoreBlock)
{
    KDCmdlSnapshot s = quietJob();
    s.selectedRow.Filename = QStringLiteral("Straße Ünd Café.ac3");
    s.selectedRow.OutputFilename = QStringLiteral("Straße Ünd Café.mp3");
    s.chOutputLog = true;
    EXPECT_EQ(KDCmdlBuild(s).rowCmd,
              QStringLiteral(R"("Kandrum.exe" -core( -input "/music/Straße Ünd Café.ac3" )"
                             R"(-output "/out/Straße Ünd Café.mp3"  -logfile "/out/Straße Ünd Café.log" ))"));
}

TEST(CmdlineCore, QuotesInNamesCannotEndTheArgument)
{
    // Linux names may hold double quotes; they are escaped so the name stays one argument.
    KDCmdlSnapshot s = quietJob();
    s.selectedRow.Filename = QStringLiteral("say \"hi\".ac3");
    s.selectedRow.OutputPath = QStringLiteral("/out\\");
    s.selectedRow.OutputFilename.clear();
    EXPECT_EQ(KDCmdlBuild(s).rowCmd,
              QStringLiteral(R"("Kandrum.exe" -core( -input "/music/say \"hi\".ac3" -output "/out\\"  ))"));

    KDCmdlSnapshot a = quietJob(KDPage::MP3);
    a.rbMP3Ch2 = false;
    a.AudXFolder = "/opt/Aud-X";
    a.selectedRow.Filename = QStringLiteral("a\"b.AC3");
    EXPECT_EQ(KDCmdlBuild(a).rowCmd,
              QStringLiteral(R"("/opt/Aud-X/audx.exe" STDQ "/music/a\"b.ac3" "/out/song.mp3")"));
}

TEST(CmdlineCases, RowsWithoutSelectionChangeNothingAndViewerShowsTemplate)
{
    KDCmdlSnapshot s = quietJob(KDPage::WAV);
    s.rowCount = 3;
    s.hasSelectedRow = false;
    s.chOTAViewKDCL = true;
    s.CmdLineEdited = true;
    s.RichEdit1 = QStringLiteral("edited");
    const KDCmdlResult r = KDCmdlBuild(s);
    EXPECT_EQ(r.which, KDCmdlCase::NoSelection);
    EXPECT_EQ(r.CommandBase, QByteArray("\"Kandrum.exe\""));
    EXPECT_EQ(r.OutputModeArg, QByteArray(" -2ch"));
    EXPECT_TRUE(r.rowCmd.isEmpty());
    EXPECT_TRUE(r.viewerVisible);
    EXPECT_EQ(r.viewerText, QStringLiteral(R"("Kandrum.exe" -core( -input "" -output "" -2ch ))"));
}

TEST(CmdlineCases, ViewerShowsWhatWasBuiltOnlyWhileTicked)
{
    KDCmdlSnapshot s = quietJob();
    s.chOTAViewKDCL = true;
    KDCmdlResult r = KDCmdlBuild(s);
    EXPECT_TRUE(r.viewerVisible);
    EXPECT_EQ(r.viewerText, r.rowCmd);

    KDCmdlSnapshot e = emptyList();
    e.chOTAViewKDCL = true;
    r = KDCmdlBuild(e);
    EXPECT_EQ(r.viewerText, QString::fromLocal8Bit(r.CommandBase));

    s.chOTAViewKDCL = false;
    EXPECT_FALSE(KDCmdlBuild(s).viewerVisible);
}

TEST(CmdlineBlocks, DecoderSwitchesInFixedOrder)
{
    const std::vector<Case> cases = {
        {"all off", [](KDCmdlSnapshot &) {}, ""},
        {"dynamic compression alone, heavy",
         [](KDCmdlSnapshot &s) { s.chAzidDC = true; s.cbAzidDC = QStringLiteral("Heavy"); },
         " -azid( -c heavy )"},
        {"form defaults: LFE and output mode",
         [](KDCmdlSnapshot &s) { s.chLFEtoLR = s.chOutputMode = true; },
         " -azid( -s stereo -L -3db )"},
        {"normalise to 100 maximises",
         [](KDCmdlSnapshot &s) { s.chNormalize = true; },
         " -azid( --maximize )"},
        {"normalise to 95",
         [](KDCmdlSnapshot &s) { s.chNormalize = true; s.edNormalize = QStringLiteral("95"); },
         " -azid( -g 0.95 )"},
        {"every switch, normalisation before manual gain",
         [](KDCmdlSnapshot &s) {
             s.chDNR = s.chOutputMode = s.chRearChan = s.chAzidDC = s.chLFEtoLR = true;
             s.chNormalize = s.chManGain = true;
             s.cbOutputMode = QStringLiteral("dplii");
             s.cbAzidDC = QStringLiteral("Inverse");
             s.edLFEtoLR = QStringLiteral("-6db");
             s.edNormalize = QStringLiteral("90");
             s.edManGain = QStringLiteral("3db");
         },
         " -azid( -n1 -s dplii -d 2/0 -f1 -c inverse -L -6db -g 0.90 -g 3db )"},
        {"empty texts leave the switch bare",
         [](KDCmdlSnapshot &s) { s.chManGain = true; s.edManGain.clear(); },
         " -azid( -g  )"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        KDCmdlSnapshot s = quietJob();
        c.setup(s);
        EXPECT_EQ(afterCore(KDCmdlBuild(s)), QLatin1String(c.expected));
    }
}

TEST(CmdlineBlocks, GainBlockForms)
{
    const std::vector<Case> cases = {
        {"delay", [](KDCmdlSnapshot &s) { s.chOTADelay = true; s.edOTADelay = QStringLiteral("-66"); },
         " -ota( -d -66 )"},
        {"hybrid gain",
         [](KDCmdlSnapshot &s) { s.chOTAMode = true; s.cbOTAMode = QStringLiteral("HybridGain"); },
         " -ota( -hybridgain )"},
        {"pre-gain",
         [](KDCmdlSnapshot &s) { s.chOTAMode = true; s.cbOTAMode = QStringLiteral("PreGain"); },
         " -ota( -g max )"},
        {"post-gain",
         [](KDCmdlSnapshot &s) { s.chOTAMode = true; s.cbOTAMode = QStringLiteral("PostGain"); },
         " -ota( -G 1 )"},
        {"silence", [](KDCmdlSnapshot &s) { s.chAppendSilence = true; s.edAppendSilence = QStringLiteral("500"); },
         " -ota( -e 500 )"},
        {"delay, gain, silence and frame rate of a non-WAV input",
         [](KDCmdlSnapshot &s) {
             s.chOTADelay = s.chOTAMode = s.chAppendSilence = s.chSoundTouchFRC = true;
             s.cbOTAMode = QStringLiteral("PostGain");
             s.SoundTouchFRCArg = " -r 25000 29970";
         },
         " -ota( -d 0 -G 1 -e 0 -r 25000 29970 )"},
        {"frame rate alone of a non-WAV input still converts",
         [](KDCmdlSnapshot &s) { s.chSoundTouchFRC = true; s.SoundTouchFRCArg = " -r 25000 29970"; },
         " -ota( -r 25000 29970 )"},
        {"frame rate of a WAV input goes to the tempo block",
         [](KDCmdlSnapshot &s) {
             s.selectedRow.Filename = QStringLiteral("take.WAV");
             s.chOTADelay = s.chSoundTouchFRC = true;
             s.SoundTouchFRCArg = " -r 25000 29970";
         },
         " -ota( -d 0 ) -soundtouch( -r 25000 29970 )"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        KDCmdlSnapshot s = quietJob();
        c.setup(s);
        const KDCmdlResult r = KDCmdlBuild(s);
        const QString core = QStringLiteral("\"Kandrum.exe\" -core( -input \"/music/")
                             + s.selectedRow.Filename + QLatin1String("\" -output \"/out/song.mp3\"  )");
        EXPECT_EQ(r.rowCmd, core + QLatin1String(c.expected));
    }
}

TEST(CmdlineBlocks, WavTestReadsTheSelectedRowNotTheLastNamedJob)
{
    // The snapshot carries no name of another job: the WAV test can only look at the row.
    KDCmdlSnapshot s = quietJob();
    s.selectedRow.Filename = QStringLiteral("a.wav");
    s.chSoundTouchFRC = true;
    s.SoundTouchFRCArg = " -r 25000 29970";
    EXPECT_TRUE(KDCmdlBuild(s).rowCmd.endsWith(QLatin1String("  ) -soundtouch( -r 25000 29970 )")));
    s.selectedRow.Filename = QStringLiteral("a.wav.ac3");
    EXPECT_TRUE(KDCmdlBuild(s).rowCmd.endsWith(QLatin1String("  ) -ota( -r 25000 29970 )")));
}

TEST(CmdlineBlocks, SplitResamplerEqualizerAndBoost)
{
    const std::vector<Case> cases = {
        {"start only", [](KDCmdlSnapshot &s) { s.chPartialEncStart = true; s.edPartialEncStart = QStringLiteral("12.5"); },
         " -split( -start 12.5 )"},
        {"end only at its default", [](KDCmdlSnapshot &s) { s.chPartialEncEnd = true; },
         " -split( -end 0 )"},
        {"start and end",
         [](KDCmdlSnapshot &s) {
             s.chPartialEncStart = s.chPartialEncEnd = true;
             s.edPartialEncStart = QStringLiteral("10");
             s.edPartialEncEnd = QStringLiteral("70");
         },
         " -split( -start 10 -end 70 )"},
        {"resampler", [](KDCmdlSnapshot &s) { s.chSSRC = true; s.cbSSRC = QStringLiteral("48000"); },
         " -ssrc( --rate 48000 )"},
        {"equalizer file with a blank, unquoted",
         [](KDCmdlSnapshot &s) { s.chEqualizer = true; s.edEqualizer = QStringLiteral("My Preset.eq"); },
         " -shibatch( -eq My Preset.eq )"},
        {"boost Vemo", [](KDCmdlSnapshot &s) { s.chBoost = true; s.cbBoost = 0; }, " -boost( /b=3 /l=0.95 )"},
        {"boost Wextone", [](KDCmdlSnapshot &s) { s.chBoost = true; s.cbBoost = 1; }, " -boost( /b2=4 /l=0.95 )"},
        {"boost Pinu", [](KDCmdlSnapshot &s) { s.chBoost = true; s.cbBoost = 2; }, " -boost( /b3=5 /l=0.95 )"},
        {"boost without an item", [](KDCmdlSnapshot &s) { s.chBoost = true; s.cbBoost = -1; }, ""},
        {"boost item while unticked", [](KDCmdlSnapshot &s) { s.cbBoost = 2; }, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        KDCmdlSnapshot s = quietJob();
        c.setup(s);
        EXPECT_EQ(afterCore(KDCmdlBuild(s)), QLatin1String(c.expected));
    }
}

TEST(CmdlineBlocks, TempoAndPluginTakeTheFragmentsAsTheyStand)
{
    const std::vector<Case> cases = {
        {"tempo", [](KDCmdlSnapshot &s) { s.chSoundTouchTempo = true; s.SoundTouchTempoArg = " -tempo 10"; },
         " -soundtouch( -tempo 10 )"},
        {"pitch ticked while the tempo fragment is empty",
         [](KDCmdlSnapshot &s) { s.chSoundTouchPitch = true; s.SoundTouchPitchArg = " -pitch -3"; },
         " -soundtouch( -pitch -3 )"},
        {"all six fragments in order",
         [](KDCmdlSnapshot &s) {
             s.selectedRow.Filename = QStringLiteral("x.wav");
             s.chSoundTouchFRC = s.chSoundTouchQuicker = true;
             s.SoundTouchFRCArg = " -r 1 2";
             s.SoundTouchTempoArg = " -tempo 3";
             s.SoundTouchPitchArg = " -pitch 4";
             s.SoundTouchRateArg = " -rate 5";
             s.SoundTouchQuickArg = " -quick";
             s.SoundTouchNaaArg = " -naa";
         },
         " -soundtouch( -r 1 2 -tempo 3 -pitch 4 -rate 5 -quick -naa )"},
        {"non-WAV frame rate and tempo carry -r twice",
         [](KDCmdlSnapshot &s) {
             s.chSoundTouchFRC = s.chSoundTouchTempo = true;
             s.SoundTouchFRCArg = " -r 25000 29970";
             s.SoundTouchTempoArg = " -tempo 4";
         },
         " -ota( -r 25000 29970 ) -soundtouch( -r 25000 29970 -tempo 4 )"},
        {"fragments alone open nothing",
         [](KDCmdlSnapshot &s) { s.SoundTouchTempoArg = " -tempo 3"; s.PluginNameArg = " -name a.dll"; }, ""},
        {"plug-in name and function",
         [](KDCmdlSnapshot &s) {
             s.chExternalPlugDLLName = s.chExternalPlugFunc = true;
             s.PluginNameArg = " -name KD_FadeIn.dll";
             s.PluginFuncArg = " -func FadeInSlower";
         },
         " -plugin( -name KD_FadeIn.dll -func FadeInSlower )"},
        {"tempo before plug-in",
         [](KDCmdlSnapshot &s) {
             s.chSoundTouchDisAntiAlias = s.chExternalPlugFunc = true;
             s.SoundTouchNaaArg = " -naa";
             s.PluginFuncArg = " -func F";
         },
         " -soundtouch( -naa ) -plugin( -func F )"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        KDCmdlSnapshot s = quietJob();
        c.setup(s);
        const KDCmdlResult r = KDCmdlBuild(s);
        const QString core = QStringLiteral("\"Kandrum.exe\" -core( -input \"/music/")
                             + s.selectedRow.Filename + QLatin1String("\" -output \"/out/song.mp3\"  )");
        EXPECT_EQ(r.rowCmd, core + QLatin1String(c.expected));
    }
}

TEST(CmdlineBlocks, FixedOrderAroundTheEncoderBlocks)
{
    auto everything = [](KDPage page) {
        KDCmdlSnapshot s = quietJob(page);
        s.chDNR = s.chEqualizer = s.chOTADelay = s.chPartialEncEnd = s.chSSRC = s.chBoost = true;
        s.chSoundTouchTempo = s.chExternalPlugDLLName = true;
        s.SoundTouchTempoArg = " -tempo 2";
        s.PluginNameArg = " -name p.dll";
        return s;
    };
    const QString head = QStringLiteral(" -azid( -n1 )");
    const QString middle = QStringLiteral(" -shibatch( -eq Sample.eq ) -ota( -d 0 )");
    const QString rest = QStringLiteral(" -split( -end 0 ) -ssrc( --rate 44100 ) -boost( /b=3 /l=0.95 )");
    const QString tail = QStringLiteral(" -soundtouch( -tempo 2 ) -plugin( -name p.dll )");

    KDCmdlSnapshot aac = everything(KDPage::AAC);
    aac.cbAACEncEngine = 0;
    EXPECT_EQ(afterCore(KDCmdlBuild(aac)),
              head + " -kdn( -exe enhAacPlusEnc.exe -cbr 48 )" + middle + rest + tail);

    const KDCmdlSnapshot ogg = everything(KDPage::Vorbis);
    EXPECT_EQ(afterCore(KDCmdlBuild(ogg)), head + middle + " -ogg( -q 0.200 )" + rest + tail);

    const KDCmdlSnapshot flac = everything(KDPage::Lossless);
    EXPECT_EQ(afterCore(KDCmdlBuild(flac)),
              head + middle + rest + " -kdn( -exe flake.exe -level 5 )" + tail);

    const KDCmdlSnapshot wav = everything(KDPage::WAV);
    EXPECT_TRUE(KDCmdlBuild(wav).rowCmd.endsWith(head + middle + rest + tail));
}

TEST(CmdlineHandEdit, EditedTextReplacesTheRebuiltRowOnly)
{
    KDCmdlSnapshot s = quietJob(KDPage::MP3);
    s.CmdLineEdited = true;
    s.RichEdit1 = QStringLiteral("\"Kandrum.exe\" -core( -input \"a\" -output \"b\" ) -my( -switch )\r\n");
    s.chOTAViewKDCL = true;
    KDCmdlResult r = KDCmdlBuild(s);
    const QString edited = QStringLiteral("\"Kandrum.exe\" -core( -input \"a\" -output \"b\" ) -my( -switch )");
    EXPECT_EQ(r.rowCmd, edited);
    EXPECT_EQ(r.viewerText, edited);

    // Option changes no longer show while the flag is set.
    s.chBoost = s.chOTADelay = true;
    s.activePage = KDPage::AC3;
    EXPECT_EQ(KDCmdlBuild(s).rowCmd, edited);

    // The empty list's template is never replaced.
    KDCmdlSnapshot e = emptyList();
    e.CmdLineEdited = true;
    e.RichEdit1 = edited;
    r = KDCmdlBuild(e);
    EXPECT_EQ(r.CommandBase, QByteArray(R"("Kandrum.exe" -core( -input "" -output "" ))"));
}

} // namespace
