#include "JobOutputs.h"

#include <QFile>
#include <QSet>
#include "OutputParse.h"

#include "ChildProcess.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

QString Q(const char *s)
{
    return QString::fromUtf8(s);
}

} // namespace

TEST(OutputParse, RightAndLeftyTakeTheFirstOccurrence)
{
    EXPECT_EQ(right(Q(":"), Q("01:02:03")), Q("02:03"));
    EXPECT_EQ(right(Q("x"), Q("01:02")), Q(""));
    EXPECT_EQ(right(Q(":"), Q("01:")), Q(""));
    EXPECT_EQ(lefty(Q(":"), Q("01:02:03")), Q("01"));
    EXPECT_EQ(lefty(Q(":"), Q(":02")), Q("")); // at the start
    EXPECT_EQ(lefty(Q(":"), Q("0102")), Q(""));
    // Case-sensitive.
    EXPECT_EQ(right(Q("Duration: "), Q("duration: 12")), Q(""));
    EXPECT_EQ(right(Q("Duration: "), Q("Duration: 12")), Q("12"));
}

TEST(OutputParse, TimeStamps)
{
    struct Case {
        const char *stamp;
        std::optional<int> seconds;
    };
    const Case cases[] = {
        {"01:02:03:04", 3723},
        {"01:02:03.5", 3723},
        {"Info", 0},
        {"", 0},
        {":02:03:04", 0},     // ":" first
        {"01:02:03", std::nullopt}, // the seconds are followed by neither ":" nor "."
        {"00:00:07:25", 7},
        {"1:2:3:4", 3723},
        {"aa:02:03:04", std::nullopt},
        {"01:bb:03:04", std::nullopt},
        {"01:02:cc.5", std::nullopt},
        {"01:02", std::nullopt},
        {"999999:00:00:00", std::nullopt}, // more than 32 bits of seconds
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stamp);
        const std::optional<std::int32_t> got = timetoint(Q(c.stamp));
        ASSERT_EQ(got.has_value(), c.seconds.has_value());
        if (got)
            EXPECT_EQ(*got, *c.seconds);
    }
}

TEST(OutputParse, LineKinds)
{
    EXPECT_TRUE(IsErrorLine(Q("Error opening input")));
    EXPECT_TRUE(IsErrorLine(Q("Fatal Error x")));
    EXPECT_FALSE(IsErrorLine(Q("Error "))); // nothing after it
    EXPECT_FALSE(IsErrorLine(Q("error opening")));
    EXPECT_FALSE(IsErrorLine(Q("Errors: none")));

    QString stamp;
    EXPECT_TRUE(IsProgressLine(Q("[00:00:01:20] 12 %"), &stamp));
    EXPECT_EQ(stamp, Q("00:00:01:20"));
    EXPECT_TRUE(IsProgressLine(Q("x [a]b]"), &stamp));
    EXPECT_EQ(stamp, Q("a"));
    EXPECT_FALSE(IsProgressLine(Q("[] 5")));
    EXPECT_FALSE(IsProgressLine(Q("] before [")));
    EXPECT_FALSE(IsProgressLine(Q("[00:00:01")));

    EXPECT_TRUE(IsPassRestartLine(Q("[00:00:00:00] second pass")));
    EXPECT_FALSE(IsPassRestartLine(Q("[00:00:01:00] 5 %")));
    EXPECT_FALSE(IsPassRestartLine(Q("[00:00:00] x"))); // no ":" after the seconds

    EXPECT_EQ(AudXProgressText(Q("progress: 45.")), Q("45"));
    EXPECT_EQ(AudXProgressText(Q("encoder progress: 7.5%")), Q("7"));
    EXPECT_EQ(AudXProgressText(Q("progress: 45")), Q(""));
    EXPECT_EQ(AudXProgressText(Q("Progress: 45.")), Q(""));
}

TEST(OutputParse, TypeOfAJobChoosesTheBarScale)
{
    EXPECT_EQ(JobFileType(Q("a.b.ac3")), Q("b.ac3"));
    EXPECT_EQ(JobFileType(Q("Song.MP3")), Q("mp3"));
    struct Case {
        const char *name;
        BarScale scale;
    };
    const Case cases[] = {
        {"x.ac3", BarScale::ReaderAC3},   {"x.WAV", BarScale::ReaderWAV},   {"x.mp2", BarScale::ReaderMPEG},
        {"x.mpa", BarScale::ReaderMPEG},  {"x.ogg", BarScale::ReaderOgg},   {"x.lst", BarScale::ListFile},
        {"x.mux", BarScale::ListFile},    {"movie.avi", BarScale::RowDuration},
        {"my.movie.AVI", BarScale::RowDuration}, // the type is "movie.avi", the last extension counts
        {"a.b.ac3", BarScale::None},      {"noext", BarScale::None},        {"x.flac", BarScale::None},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(BarScaleOfJob(Q(c.name)), c.scale);
    }
}

TEST(OutputParse, PercentLabels)
{
    // File label: comma form, whole number rounded half to even.
    EXPECT_EQ(FilePercentText(45, 45, 100, 100).value(), Q("45,00 %"));
    EXPECT_EQ(FilePercentText(9, 9, 20, 20).value(), Q("45,00 %"));
    EXPECT_EQ(FilePercentText(1, 1, 8, 8).value(), Q("12,00 %"));  // 12.5 -> 12
    EXPECT_EQ(FilePercentText(3, 3, 8, 8).value(), Q("38,00 %"));  // 37.5 -> 38
    EXPECT_EQ(FilePercentText(30, 30, 30, 30).value(), Q("00,00 %")); // at the maximum
    EXPECT_FALSE(FilePercentText(5, 5, 10, 0).has_value());

    // Batch label: point form with two decimals.
    EXPECT_EQ(BatchPercentText(181, 400, 400).value(), Q("45.25 %"));
    EXPECT_EQ(BatchPercentText(1, 3, 3).value(), Q("33.33 %"));
    EXPECT_EQ(BatchPercentText(400, 400, 400).value(), Q("00,00 %"));
    EXPECT_FALSE(BatchPercentText(5, 10, 0).has_value());

    EXPECT_EQ(AudXPercentText(45), Q("45,00 %"));
}

TEST(OutputParse, RoundedDivisor)
{
    EXPECT_EQ(RoundedDivisor(2.5), 2);
    EXPECT_EQ(RoundedDivisor(3.5), 4);
    EXPECT_EQ(RoundedDivisor(29.4), 29);
    EXPECT_EQ(RoundedDivisor(0.4), 0);
    EXPECT_EQ(RoundedDivisor(-3.0), 0);
    EXPECT_EQ(RoundedDivisor(1e20), 0);
}

TEST(OutputParse, TimesOfTheProgressFrame)
{
    EXPECT_EQ(SpanText(0), Q("00:00:00"));
    EXPECT_EQ(SpanText(999), Q("00:00:00"));
    EXPECT_EQ(SpanText(3723'999), Q("01:02:03"));
    EXPECT_EQ(SpanText((24 * 3600 + 61) * 1000LL), Q("00:01:01")); // a day wraps
    EXPECT_EQ(SpanText(-5000), Q("00:00:00"));

    // Position 0: no estimate yet, the label reads one second.
    EXPECT_EQ(RemainingText(5000, 0, 100), Q("00:00:01"));
    // A quarter done in 10 s: 30 s more, plus the second added to every estimate.
    EXPECT_EQ(RemainingMilliseconds(10'000, 25, 100), 30'000);
    EXPECT_EQ(RemainingText(10'000, 25, 100), Q("00:00:31"));
    // At the end, or past it: nothing remains.
    EXPECT_EQ(RemainingText(10'000, 100, 100), Q("00:00:01"));
    EXPECT_EQ(RemainingMilliseconds(10'000, 120, 100), 0);
    // Long batches do not overflow.
    EXPECT_EQ(RemainingText(3600'000LL * 5, 1, 2), Q("05:00:01"));
}

TEST(OutputParse, EncoderFilesByPageAndEngine)
{
    auto names = [](const BatchEncoderChoice &c) {
        QStringList out;
        for (const RequiredFile &f : RequiredEncoderFiles(c))
            out << f.Name + QLatin1Char('=') + QLatin1String(f.MessageKey);
        return out.join(QLatin1Char(' '));
    };
    BatchEncoderChoice c;
    c.Page = KDPage::AAC;
    c.AACEngine = 0;
    EXPECT_EQ(names(c), Q("kdn.dll=kdnMissing enhaacplusenc.exe=EnhAACIsMissing"));
    c.AACEngine = 1;
    EXPECT_EQ(names(c), Q("kdn.dll=kdnMissing faac.exe=FaacIsMissing"));
    c.AACEngine = 2;
    EXPECT_EQ(names(c), Q("kdn.dll=kdnMissing neroaacenc.exe=NDCLIisMissing"));
    c.AACEngine = 3;
    EXPECT_EQ(names(c), Q("wa_aac.dll=WAACPlusv2NotFound enc_aacplus.dll=EncAACPlusNotFound"));
    c.AVIInput = true;
    EXPECT_EQ(names(c), Q("wa_aac.dll=WAACPlusv2NotFound enc_aacplus.dll=EncAACPlusNotFound "
                          "vobinput.dll=VOBInputMissing"));

    BatchEncoderChoice ac3;
    ac3.Page = KDPage::AC3;
    ac3.AC3Enc = true;
    EXPECT_EQ(names(ac3), Q(""));
    ac3.AC3Enc = false;
    ac3.Aften = true;
    EXPECT_EQ(names(ac3), Q("aften.exe=AftenisMissing"));

    BatchEncoderChoice other;
    other.Page = KDPage::Speex;
    EXPECT_EQ(names(other), Q("kdn.dll=kdnMissing speexenc.exe=SpeexIsMissing"));
    other.Page = KDPage::Lossless;
    other.LosslessEngine = 0;
    EXPECT_EQ(names(other), Q("flake.exe=FlakeisMissing"));
    other.LosslessEngine = 1;
    EXPECT_EQ(names(other), Q(""));
    other.Page = KDPage::MP3;
    other.AVIInput = true;
    EXPECT_EQ(names(other), Q("vobinput.dll=VOBInputMissing"));
}

TEST(OutputParse, RefusedInputs)
{
    EXPECT_TRUE(IsRefusedBatchInput(Q("film.DTS")));
    EXPECT_TRUE(IsRefusedBatchInput(Q("vts_01_1.vob")));
    EXPECT_FALSE(IsRefusedBatchInput(Q("film.dts.ac3")));
    EXPECT_FALSE(IsRefusedBatchInput(Q("film.ac3")));
}

TEST(OutputParse, OptionsColumn)
{
    BatchEncoderChoice c;
    c.Page = KDPage::MP3;
    c.MP3Stereo = true;
    const QString lame = Q("\"Kandrum.exe\" -core( -input \"a.wav\" -output \"a.mp3\"  ) -ota( -g max ) "
                           "-lame( -b 128 -m j ) -soundtouch( -tempo 5 )");
    EXPECT_EQ(BatchOptionsText(c, lame, QString()), Q(" -b 128 -m j"));
    EXPECT_EQ(BatchOptionsText(c, Q("\"Kandrum.exe\" -core( )"), QString()), Q(""));

    c.MP3Stereo = false; // 5.1: the quality word of the Aud-X command line
    EXPECT_EQ(BatchOptionsText(c, Q("\"/opt/Aud-X/audx.exe\" HGHQ \"/in/six.ac3\" -soundtouch( )"), QString()),
              Q("HGHQ"));
    c.AudXProgram = Q("AUDX.EXE"); // the encoder as it lies on disk
    EXPECT_EQ(BatchOptionsText(c, Q("\"/opt/Aud-X/AUDX.EXE\" SPBQ \"/in/six.ac3\""), QString()), Q("SPBQ"));

    BatchEncoderChoice aac;
    aac.Page = KDPage::AAC;
    aac.AACEngine = 3;
    EXPECT_EQ(BatchOptionsText(aac, Q("x -vornak( -dllname WA_aac.dll  -cbr 48 -mode 2 )"), QString()),
              Q("  -cbr 48 -mode 2"));
    aac.AACEngine = 1;
    EXPECT_EQ(BatchOptionsText(aac, Q("x -kdn( -exe faac.exe -q 100 -mp4 )"), QString()), Q(" -q 100 -mp4"));

    BatchEncoderChoice ac3;
    ac3.Page = KDPage::AC3;
    EXPECT_EQ(BatchOptionsText(ac3, Q("x -kdn( -exe aften.exe -b 448 )"), QString()), Q("-b 448"));

    // The other pages and engines, each with the block the builder writes for it.
    struct Case {
        KDPage page;
        int aacEngine;
        bool ac3Enc, tooLame;
        const char *cmd;
        const char *options;
    };
    const Case cases[] = {
        {KDPage::AAC, 0, false, false, "x -kdn( -exe enhAacPlusEnc.exe -cbr 48 -nops ) -t( )", " -cbr 48 -nops"},
        {KDPage::AAC, 2, false, false, "x -kdn( -vbr 0.35 -aacprofile_he ) -t( )", " -vbr 0.35 -aacprofile_he"},
        {KDPage::AC3, -1, true, false, "x -ac3enc( -b 384 ) -ota( -g max )", " -b 384"},
        {KDPage::MP2, -1, false, true, "x -toolame( -b 224 ) -mp2enc( -b 1 )", " -b 224"},
        {KDPage::MP2, -1, false, false, "x -toolame( -b 224 ) -mp2enc( -b 192 )", " -b 192"},
        {KDPage::Vorbis, -1, false, false, "x -ogg( -q 5.00 ) -t( )", " -q 5.00"},
        {KDPage::Speex, -1, false, false, "x -kdn( -exe speexenc.exe --quality 8 --vbr )", "--quality 8 --vbr"},
        {KDPage::Lossless, -1, false, false, "x -kdn( -exe flake.exe -level 5 )", "-level 5"},
        {KDPage::Vorbis, -1, false, false, "x -lame( -b 128 )", ""}, // no block of the page
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.cmd);
        BatchEncoderChoice choice;
        choice.Page = k.page;
        choice.AACEngine = k.aacEngine;
        choice.AC3Enc = k.ac3Enc;
        choice.TooLame = k.tooLame;
        EXPECT_EQ(BatchOptionsText(choice, Q(k.cmd), QString()), Q(k.options));
    }

    BatchEncoderChoice wav;
    wav.Page = KDPage::WAV;
    EXPECT_EQ(BatchOptionsText(wav, Q("anything"), Q(" -2ch")), Q(" -2ch"));
}

TEST(OutputParse, StatusTextOfAJob)
{
    EXPECT_STREQ(JobStatusKey(KDPage::MP3, true, Q("PreGain")), "PreGainProcess");
    EXPECT_STREQ(JobStatusKey(KDPage::AC3, true, Q("PostGain")), "PostGainProcess");
    EXPECT_STREQ(JobStatusKey(KDPage::MP3, true, Q("PostGain")), "");
    EXPECT_STREQ(JobStatusKey(KDPage::MP3, false, Q("PreGain")), "TranscodingRunning");
    EXPECT_STREQ(JobStatusKey(KDPage::AAC, true, Q("HybridGain")), "TranscodingRunning");
}

// The ".part" files a job may leave when it is killed: beside each output its command names.
TEST(JobOutputs, PartFilesOfACommand)
{
    struct Case {
        const char *command;
        QStringList parts;
    };
    const Case cases[] = {
        {R"("/k/Kandrum.exe" -core( -input "/in/a b.wav" -output "/out/a b.mp3" -logfile "/out/a b.log" ) -lame( -b 128 ))",
         {"/out/a b.mp3.part"}},
        // The six mono files of the six-file WAV modes.
        {R"("/k/Kandrum.exe" -core( -input "/in/x.ac3" -output "/out/x.wav" -6chfloat ))",
         {"/out/x.wav.part", "/out/x_FL.wav.part", "/out/x_FR.wav.part", "/out/x_C.wav.part",
          "/out/x_LFE.wav.part", "/out/x_SL.wav.part", "/out/x_SR.wav.part"}},
        // The 5.1 MP3 encoder: its output, or the input's name with ".mp3".
        {R"("/p/Aud-X/audx.exe" HGHQ "/in/six.ac3" "/out/six.mp3")", {"/out/six.mp3.part"}},
        {R"("/p/Aud-X/audx.exe" STDQ "/in/v1.2/six.ac3" -soundtouch( -tempo 5 ))", {"/in/v1.2/six.mp3.part"}},
        {R"("/k/Kandrum.exe" -core( -input "/in/a.wav" ))", {}},
        {"", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.command);
        EXPECT_EQ(PartFilesOfCommand(QByteArray(c.command)), c.parts);
    }
}

// A command edited by hand writes no file over an existing one: each taken output it names is
// counted on, where it stands in the text, and nothing else of the text changes.
TEST(JobOutputs, HandEditedCommandWritesFreeNames)
{
    const QSet<QString> existing = {"/out/a b.mp3", "/out/a b_1.mp3", "/in/same.wav", "/out/x_C.wav",
                                    "/out/six.mp3"};
    const auto taken = [&existing](const QString &f) { return existing.contains(f); };
    struct Case {
        const char *command;
        const char *expected;
    };
    const Case cases[] = {
        {R"("/k/Kandrum.exe" -core( -input "/in/a.wav" -output "/out/a b.mp3" -logfile "/out/a b.log" ))",
         R"("/k/Kandrum.exe" -core( -input "/in/a.wav" -output "/out/a b_2.mp3" -logfile "/out/a b_2.log" ))"},
        {R"("/k/Kandrum.exe" -core( -input "/in/a.wav" -output "/out/new.mp3" ))",
         R"("/k/Kandrum.exe" -core( -input "/in/a.wav" -output "/out/new.mp3" ))"},
        // Written over its own input: the input stays as it is named.
        {R"("/k/Kandrum.exe" -core( -input "/in/same.wav" -output "/in/same.wav" ))",
         R"("/k/Kandrum.exe" -core( -input "/in/same.wav" -output "/in/same_1.wav" ))"},
        {R"(/k/Kandrum.exe -core( -input /in/a.wav -output /out/six.mp3 ))",
         R"(/k/Kandrum.exe -core( -input /in/a.wav -output /out/six_1.mp3 ))"},
        // One taken mono file of the six takes the whole set to a new name.
        {R"("/k/Kandrum.exe" -core( -input "/in/x.ac3" -output "/out/x.wav" -6ch ))",
         R"("/k/Kandrum.exe" -core( -input "/in/x.ac3" -output "/out/x_1.wav" -6ch ))"},
        // "-6ch" of another encoder asks for 5.1 in the one file, which is taken.
        {R"("/k/Kandrum.exe" -core( -input "/in/x.ac3" -output "/out/six.mp3" ) -ogg( -q 5 -6ch 1 ))",
         R"("/k/Kandrum.exe" -core( -input "/in/x.ac3" -output "/out/six_1.mp3" ) -ogg( -q 5 -6ch 1 ))"},
        {R"("/p/Aud-X/audx.exe" HGHQ "/out/six.mp3" "/out/six.mp3")",
         R"("/p/Aud-X/audx.exe" HGHQ "/out/six.mp3" "/out/six_1.mp3")"},
        {"", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.command);
        EXPECT_EQ(CommandWritingFreeOutputs(QByteArray(c.command), taken), QByteArray(c.expected));
    }
}

// The log a hand-edited command names is no more written over than its output: a log named
// after the output follows it to its free name, a log of its own gets a free name, a log added
// to stays; names are cut to the folder's limit, and an output that cannot fit is told.
TEST(JobOutputs, HandEditedCommandKeepsItsLogsAndFitsTheLimit)
{
    const QSet<QString> existing = {"/out/a.mp3", "/out/a.log", "/out/a_1.log", "/out/notes.log", "/out/x.mp3"};
    const auto taken = [&existing](const QString &f) { return existing.contains(f); };
    const auto limit12 = [](const QString &) { return 12; };
    struct Case {
        const char *command;
        const char *expected;
        bool small;
        const char *refused;
    };
    const Case cases[] = {
        {R"("/k/Kandrum.exe" -core( -input "/in/a.wav" -output "/out/a.mp3" -logfile "/out/a.log" ))",
         R"("/k/Kandrum.exe" -core( -input "/in/a.wav" -output "/out/a_2.mp3" -logfile "/out/a_2.log" ))", false, ""},
        // Only the log is taken: the pair moves on together.
        {R"("/k/Kandrum.exe" -core( -input "/in/b.wav" -output "/out/a_1.mp3" -logfile "/out/a_1.log" ))",
         R"("/k/Kandrum.exe" -core( -input "/in/b.wav" -output "/out/a_1_1.mp3" -logfile "/out/a_1_1.log" ))", false, ""},
        {R"("/k/Kandrum.exe" -core( -input "/in/a.wav" -output "/out/new.mp3" -logfile "/out/notes.log" ))",
         R"("/k/Kandrum.exe" -core( -input "/in/a.wav" -output "/out/new.mp3" -logfile "/out/notes_1.log" ))", false, ""},
        {R"("/k/Kandrum.exe" -core( -input "/in/a.wav" -output "/out/x.mp3" -logfilea "/out/a.log" ))",
         R"("/k/Kandrum.exe" -core( -input "/in/a.wav" -output "/out/x_1.mp3" -logfilea "/out/a.log" ))", false, ""},
        {R"("/k/Kandrum.exe" -core( -input "/in/a.wav" -output "/out/x.mp3" -logfilea "/out/x.log" ))",
         R"("/k/Kandrum.exe" -core( -input "/in/a.wav" -output "/out/x_1.mp3" -logfilea "/out/x.log" ))", false, ""},
        // Names cut to the limit before the number and the extension.
        {R"("/k/Kandrum.exe" -core( -input "/in/a.wav" -output "/out/a long name.mp3" -logfile "/out/a long name.log" ))",
         R"("/k/Kandrum.exe" -core( -input "/in/a.wav" -output "/out/a long n.mp3" -logfile "/out/a long n.log" ))", true, ""},
        {R"("/k/Kandrum.exe" -core( -input "/in/a.wav" -output "/out/x.mp3" -logfile "/out/x.log" ))",
         R"("/k/Kandrum.exe" -core( -input "/in/a.wav" -output "/out/x_1.mp3" -logfile "/out/x_1.log" ))", true, ""},
        {R"("/k/Kandrum.exe" -core( -input "/in/a.wav" -output "/out/a.long-extension" ))",
         R"("/k/Kandrum.exe" -core( -input "/in/a.wav" -output "/out/a.long-extension" ))", true, "/out/a.long-extension"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.command);
        QString refused;
        EXPECT_EQ(CommandWritingFreeOutputs(QByteArray(c.command), taken, c.small ? limit12 : std::function<int(const QString &)>(),
                                            &refused),
                  QByteArray(c.expected));
        EXPECT_EQ(refused, Q(c.refused));
    }
    EXPECT_EQ(CommandAppendingToLog(R"(K -core( -input "a" -output "-logfile" -logfile "b.log" -noid3 ))"),
              QByteArray(R"(K -core( -input "a" -output "-logfile" -logfilea "b.log" -noid3 ))"));
    EXPECT_EQ(CommandAppendingToLog(R"(K -core( -input "a" -logfilea "b.log" ))"), QByteArray(R"(K -core( -input "a" -logfilea "b.log" ))"));
}

// The files a complete job leaves, which the batch checks when the job says it is done.
TEST(JobOutputs, ResultFilesOfACommand)
{
    struct Case {
        const char *command;
        QStringList results;
    };
    const Case cases[] = {
        {R"("/k/Kandrum.exe" -core( -input "/in/a.wav" -output "/out/a.mp3" -logfile "/out/a.log" ) -lame( -b 128 ))",
         {"/out/a.mp3"}},
        {R"("/k/Kandrum.exe" -core( -input "/in/x.ac3" -output "/out/x.wav" -6ch -logfile "/out/x.log" ))",
         {"/out/x_FL.wav", "/out/x_FR.wav", "/out/x_C.wav", "/out/x_LFE.wav", "/out/x_SL.wav", "/out/x_SR.wav"}},
        {R"("/p/Aud-X/audx.exe" HGHQ "/in/six.ac3" "/out/six.mp3")", {"/out/six.mp3"}},
        {R"("/p/Aud-X/audx.exe" STDQ "/in/six.ac3" -soundtouch( -tempo 5 ))", {"/in/six.mp3"}},
        {R"("/k/Kandrum.exe" -core( -input "/in/a.wav" -output "" ))", {}},
        {"", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.command);
        EXPECT_EQ(ResultFilesOfCommand(QByteArray(c.command)), c.results);
    }
}

// A ".part" name that would pass the limit is cut short and marked, in the output's folder, so
// that it fits wherever the output does; two long names that begin alike get two names.
TEST(JobOutputs, PartFilesOfLongNames)
{
    const QString stem(251, QLatin1Char('s'));
    QString accented;
    for (int i = 0; i < 125; ++i)
        accented += Q("é");
    for (const QString &name : {stem + Q(".mp3"), stem + Q("x.mp"), accented + Q("x.mp3")}) {
        SCOPED_TRACE(qPrintable(name));
        const QString output = Q("/out/") + name;
        const QString part = PartFileFor(output, Q(".part"), 255);
        const QByteArray partName = QFile::encodeName(part.mid(5));
        EXPECT_TRUE(part.startsWith(Q("/out/")));
        EXPECT_LE(partName.size(), 255);
        EXPECT_TRUE(partName.endsWith(".part"));
        EXPECT_TRUE(QFile::encodeName(name).startsWith(partName.left(partName.indexOf('~'))));
        EXPECT_EQ(QFile::decodeName(partName).toUtf8(), partName); // whole characters
        EXPECT_EQ(PartFilesOfCommand(QByteArray("K -core( -input \"/in/a.wav\" -output \"") + output.toUtf8() + "\" )"),
                  QStringList{part});
    }
    EXPECT_NE(PartFileFor(Q("/out/") + stem + Q(".mp3"), Q(".part"), 255), PartFileFor(Q("/out/") + stem + Q(".mp2"), Q(".part"), 255));
    EXPECT_EQ(PartFileFor(Q("/out/short.mp3"), Q(".part"), 255), Q("/out/short.mp3.part"));
    EXPECT_EQ(PartFileFor(Q("/out/short.mp3"), Q(".part12345"), 255), Q("/out/short.mp3.part12345"));
    // Where a folder's file system takes shorter names.
    EXPECT_EQ(PartFilesOfCommand("K -core( -input a -output /fat/abcdefgh.mp3 )", [](const QString &) { return 255; }),
              QStringList{Q("/fat/abcdefgh.mp3.part")});
    const QStringList onFat = PartFilesOfCommand("K -core( -input a -output /fat/abcdefgh.mp3 )", [](const QString &) { return 16; });
    ASSERT_EQ(onFat.size(), 1);
    EXPECT_EQ(QFile::encodeName(onFat.first().mid(5)).size(), 16);
}

// A name chosen in the save dialog goes into a command edited by hand, where its output stood.
TEST(JobOutputs, ChosenNameInAnEditedCommand)
{
    struct Case {
        const char *command;
        const char *expected;
    };
    const Case cases[] = {
        {R"("/k/Kandrum.exe" -core( -input "/in/a.wav" -output "/out/x.mp3" -logfile "/out/x.log" ) -lame( -b 64 ))",
         R"("/k/Kandrum.exe" -core( -input "/in/a.wav" -output "/new/my take.mp3" -logfile "/out/x.log" ) -lame( -b 64 ))"},
        // A bare output is quoted when the chosen name has a blank.
        {R"(Kandrum.exe -core( -input /in/a.wav -output /out/x.mp3 ))",
         R"(Kandrum.exe -core( -input /in/a.wav -output "/new/my take.mp3" ))"},
        {R"("/p/Aud-X/audx.exe" HGHQ "/in/six.ac3" "/out/six.mp3")",
         R"("/p/Aud-X/audx.exe" HGHQ "/in/six.ac3" "/new/my take.mp3")"},
        // Without an output there is nothing to replace.
        {R"("/k/Kandrum.exe" -core( -input "/in/a.wav" ))", R"("/k/Kandrum.exe" -core( -input "/in/a.wav" ))"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.command);
        EXPECT_EQ(CommandWritingOutput(QByteArray(c.command), QStringLiteral("/new/my take.mp3")), QByteArray(c.expected));
    }
}

TEST(OutputParse, OutcomeOfARun)
{
    EXPECT_TRUE(JobSucceeded(8, 0));
    EXPECT_FALSE(JobSucceeded(8, 2));   // the transcoder reported a failure
    EXPECT_FALSE(JobSucceeded(9, 137)); // stopped
    EXPECT_FALSE(JobSucceeded(10, 137)); // timed out
    EXPECT_FALSE(JobSucceeded(5, 0));   // the program could not be started
}

TEST(OutputParse, PriorityClassOfTheTickedItem)
{
    struct Case {
        PriorityTicks ticks;
        quint32 cls;
    };
    auto only = [](bool PriorityTicks::*item) {
        PriorityTicks t;
        t.*item = true;
        return t;
    };
    const Case cases[] = {
        {only(&PriorityTicks::Real1), pcRealTime},     {only(&PriorityTicks::Highest1), pcHigh},
        {only(&PriorityTicks::High1), pcAboveNormal},  {only(&PriorityTicks::Normal1), pcNormal},
        {only(&PriorityTicks::Low1), pcBelowNormal},   {only(&PriorityTicks::Lowest1), pcIdle},
        {PriorityTicks{}, pcHigh}, // none ticked
    };
    for (const Case &c : cases)
        EXPECT_EQ(PriorityClassOfTicks(c.ticks), c.cls);
    // Several ticked: Low1 is tested first.
    PriorityTicks two;
    two.Real1 = true;
    two.Low1 = true;
    EXPECT_EQ(PriorityClassOfTicks(two), quint32(pcBelowNormal));
}

namespace {

QString ProgressLine(int n)
{
    // The transcoder's form: hours, minutes, seconds and hundredths, then the percentage.
    return QStringLiteral("[00:%1:%2:50] %3 %")
        .arg(n / 60, 2, 10, QLatin1Char('0'))
        .arg(n % 60, 2, 10, QLatin1Char('0'))
        .arg(n % 100);
}

KandrumJobContext Mp3Job(double fileSeconds = 400, double listDuration = 1000)
{
    KandrumJobContext job;
    job.GainMode = QStringLiteral("HybridGain");
    job.FileName = QStringLiteral("song.mp3");
    job.FileSeconds = fileSeconds;
    job.ListDuration = listDuration;
    job.DoneSeconds = 100;
    return job;
}

} // namespace

TEST(KandrumParser, TheSeventyFirstProgressLineIsTheFirstHandledThenEverySeventieth)
{
    ProgressFrameState st;
    const KandrumJobContext job = Mp3Job();
    QList<int> moved;
    for (int n = 1; n <= 215; ++n) {
        const ProgressFrameState before = st;
        const KandrumLineEffects fx = ApplyKandrumLine(st, ProgressLine(n), job);
        if (st.File.Position != before.File.Position || st.Batch.Position != before.Batch.Position) {
            moved << n;
            EXPECT_TRUE(fx.LabelsSet);
            EXPECT_TRUE(fx.TitleSet);
        } else {
            EXPECT_EQ(st.FileLabel, before.FileLabel) << n;
            EXPECT_EQ(st.Title, before.Title) << n;
            EXPECT_FALSE(fx.TitleSet) << n;
        }
    }
    EXPECT_EQ(moved, (QList<int>{71, 141, 211}));
    // The 211th line: 211 s of a 400 s file, plus the 100 s done before, of 1000 s.
    EXPECT_EQ(st.File.Maximum, 400);
    EXPECT_EQ(st.File.Position, 211);
    EXPECT_EQ(st.Batch.Maximum, 1000);
    EXPECT_EQ(st.Batch.Position, 311);
    EXPECT_EQ(st.FileLabel, QStringLiteral("53,00 %")); // 52.75 rounds to 53
    EXPECT_EQ(st.BatchLabel, QStringLiteral("31.10 %"));
    EXPECT_EQ(st.Title, QStringLiteral("53,00 % - Zolvane"));
    EXPECT_EQ(st.ParseCounter, 5);
}

TEST(KandrumParser, OnlyAnErrorLineBeforeTheFirstProgressLineIsLogged)
{
    ProgressFrameState st;
    const KandrumJobContext job = Mp3Job();
    KandrumLineEffects fx = ApplyKandrumLine(st, QStringLiteral("Error opening \"in.mp3\""), job);
    ASSERT_TRUE(fx.ErrorRow.has_value());
    EXPECT_EQ(*fx.ErrorRow, QStringLiteral("Error Error opening \"in.mp3\""));
    EXPECT_EQ(st.ParseCounter, ParseCounterAfterError);

    fx = ApplyKandrumLine(st, QStringLiteral("Error again"), job);
    EXPECT_FALSE(fx.ErrorRow.has_value());

    // After the error row the very next progress line moves the bars.
    ApplyKandrumLine(st, ProgressLine(12), job);
    EXPECT_EQ(st.File.Position, 12);
    EXPECT_EQ(st.ParseCounter, 1);

    // Once the counter runs, later error lines write nothing.
    fx = ApplyKandrumLine(st, QStringLiteral("Error late"), job);
    EXPECT_FALSE(fx.ErrorRow.has_value());

    // Lines of no known kind change nothing.
    const ProgressFrameState before = st;
    fx = ApplyKandrumLine(st, QStringLiteral("Done in 0.31 s."), job);
    EXPECT_EQ(st.ParseCounter, before.ParseCounter);
    EXPECT_FALSE(fx.TitleSet);
}

TEST(KandrumParser, SecondPassOfAGainJobReplacesTheStatusRow)
{
    for (const char *mode : {"PreGain", "PostGain", "HybridGain"}) {
        SCOPED_TRACE(mode);
        ProgressFrameState st;
        st.ParseCounter = 70; // the next progress line is handled
        KandrumJobContext job = Mp3Job();
        job.GainMode = QString::fromLatin1(mode);
        const KandrumLineEffects fx = ApplyKandrumLine(st, QStringLiteral("[00:00:00:00] second pass"), job);
        EXPECT_EQ(fx.RestartRow, job.GainMode != QLatin1String("HybridGain"));
        EXPECT_EQ(st.File.Position, 0);
    }
    // A pass-restart line that is not handled (counter below 70) replaces nothing.
    ProgressFrameState st;
    KandrumJobContext job = Mp3Job();
    job.GainMode = QStringLiteral("PreGain");
    EXPECT_FALSE(ApplyKandrumLine(st, QStringLiteral("[00:00:00:00] second pass"), job).RestartRow);
}

TEST(KandrumParser, MaximaByTheTypeOfTheJob)
{
    // a.b.ac3 has the type b.ac3: no maximum is set, the bars keep their range, only the title
    // changes.
    {
        ProgressFrameState st;
        st.ParseCounter = 70;
        KandrumJobContext job = Mp3Job();
        job.FileName = QStringLiteral("a.b.ac3");
        const KandrumLineEffects fx = ApplyKandrumLine(st, ProgressLine(30), job);
        EXPECT_EQ(st.File.Maximum, 100);
        EXPECT_EQ(st.Batch.Maximum, 100);
        EXPECT_EQ(st.File.Position, 30);
        EXPECT_EQ(st.Batch.Position, 100); // 30 + 100 done, at the untouched maximum
        EXPECT_EQ(st.FileLabel, QStringLiteral("00,00 %"));
        EXPECT_FALSE(fx.LabelsSet);
        EXPECT_TRUE(fx.TitleSet);
        EXPECT_EQ(st.Title, QStringLiteral("00,00 % - Zolvane"));
    }
    // movie.avi takes its maximum from the row's Duration field.
    {
        ProgressFrameState st;
        st.ParseCounter = 70;
        KandrumJobContext job = Mp3Job(/*fileSeconds=*/999, /*listDuration=*/200);
        job.FileName = QStringLiteral("movie.avi");
        job.RowDuration = QStringLiteral("40");
        job.DoneSeconds = 0;
        ApplyKandrumLine(st, ProgressLine(10), job);
        EXPECT_EQ(st.File.Maximum, 40);
        EXPECT_EQ(st.Batch.Maximum, 200);
        EXPECT_EQ(st.FileLabel, QStringLiteral("25,00 %"));
        EXPECT_EQ(st.BatchLabel, QStringLiteral("5.00 %"));
    }
    // List and mux rows: the file bar is the list, the batch bar the total.
    {
        ProgressFrameState st;
        st.ParseCounter = 70;
        KandrumJobContext job = Mp3Job(0, 50);
        job.FileName = QStringLiteral("six.mux");
        job.TotalDuration = 80;
        job.DoneSeconds = 0;
        ApplyKandrumLine(st, ProgressLine(10), job);
        EXPECT_EQ(st.File.Maximum, 50);
        EXPECT_EQ(st.Batch.Maximum, 80);
    }
}

TEST(KandrumParser, BarsAtTheirMaximumShowZeroPercent)
{
    ProgressFrameState st;
    st.ParseCounter = 70;
    KandrumJobContext job = Mp3Job(/*fileSeconds=*/30.4, /*listDuration=*/30.4);
    job.DoneSeconds = 0;
    // A stamp past the rounded duration stays at the end of the bar.
    ApplyKandrumLine(st, ProgressLine(31), job);
    EXPECT_EQ(st.File.Maximum, 30);
    EXPECT_EQ(st.File.Position, 30);
    EXPECT_EQ(st.FileLabel, QStringLiteral("00,00 %"));
    EXPECT_EQ(st.BatchLabel, QStringLiteral("00,00 %"));
}

TEST(KandrumParser, ADivisorOfZeroStopsTheLineWhereItIsNeeded)
{
    ProgressFrameState st;
    st.ParseCounter = 70;
    KandrumJobContext job = Mp3Job(/*fileSeconds=*/0.3, /*listDuration=*/100);
    const KandrumLineEffects fx = ApplyKandrumLine(st, ProgressLine(5), job);
    EXPECT_EQ(st.File.Maximum, 100); // a maximum of 0 is not set
    EXPECT_EQ(st.File.Position, 5);  // the position was set before
    EXPECT_EQ(st.FileLabel, QStringLiteral("00,00 %"));
    EXPECT_FALSE(fx.TitleSet);
    EXPECT_EQ(st.ParseCounter, 70); // the next progress line is tried at once
}

TEST(KandrumParser, AStampOfNoKnownFormLeavesTheFrame)
{
    ProgressFrameState st;
    st.ParseCounter = 70;
    const KandrumLineEffects fx = ApplyKandrumLine(st, QStringLiteral("[01:02:03] x"), Mp3Job());
    EXPECT_EQ(st.File.Position, 0);
    EXPECT_FALSE(fx.TitleSet);
}

// Whatever the encoders write, the labels stay within 0 and 100 %, as the bars do.
TEST(OutputParse, LabelsStayWithinZeroAndHundredPercent)
{
    const auto percentOf = [](QString label) {
        label.remove(QStringLiteral(" %"));
        label.replace(QLatin1Char(','), QLatin1Char('.'));
        bool ok = false;
        const double value = label.toDouble(&ok);
        return ok ? value : -1.0;
    };
    struct Case {
        bool audX;
        const char *line;
    };
    const Case cases[] = {
        {false, "[00:00:-7:00] 5 %"},     {false, "[-1:00:00:00]"},        {false, "[00:-3:00:00]"},
        {false, "[00:00:-2147483647:00]"}, {false, "[99:00:00:00] 999 %"}, {false, "[00:00:2147483647:00]"},
        {true, "progress: 150."},         {true, "progress: -5."},         {true, "progress: 2147483647."},
        {true, "progress: -2147483648."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        ProgressFrameState st;
        st.ParseCounter = 70;
        st.Batch.Maximum = 120;
        st.Batch.Position = 30;
        bool labelsSet = false;
        if (c.audX) {
            AudXJobContext job;
            job.FileName = QStringLiteral("six.ac3");
            job.Channels = 6;
            job.ListDuration = 120;
            labelsSet = ApplyAudXLine(st, QString::fromLatin1(c.line), job).LabelsSet;
        } else {
            KandrumJobContext job = Mp3Job(/*fileSeconds=*/40, /*listDuration=*/120);
            job.DoneSeconds = 30;
            labelsSet = ApplyKandrumLine(st, QString::fromLatin1(c.line), job).LabelsSet;
        }
        ASSERT_TRUE(labelsSet);
        for (const QString &label : {st.FileLabel, st.BatchLabel}) {
            const double percent = percentOf(label);
            EXPECT_GE(percent, 0.0) << label.toStdString();
            EXPECT_LE(percent, 100.0) << label.toStdString();
        }
        EXPECT_GE(st.File.Position, 0);
        EXPECT_LE(st.File.Position, st.File.Maximum);
    }
    EXPECT_EQ(AudXPercentText(150), QStringLiteral("100,00 %"));
    EXPECT_EQ(AudXPercentText(-5), QStringLiteral("0,00 %"));
    EXPECT_EQ(FilePercentText(-7, 0, 40, 40).value(), QStringLiteral("0,00 %"));
}

TEST(AudXParser, FileBarRunsByThePercentage)
{
    ProgressFrameState st;
    st.File.Maximum = 400; // left from an earlier transcoder job
    st.Batch.Position = 30;
    AudXJobContext job;
    job.FileName = QStringLiteral("six.ac3");
    job.Channels = 6;
    job.ListDuration = 120;
    AudXLineEffects fx = ApplyAudXLine(st, QStringLiteral("progress: 45."), job);
    EXPECT_EQ(st.File.Maximum, 100);
    EXPECT_EQ(st.File.Position, 45);
    EXPECT_EQ(st.FileLabel, QStringLiteral("45,00 %"));
    EXPECT_EQ(st.Batch.Maximum, 120);
    EXPECT_EQ(st.Batch.Position, 30); // the batch bar is not moved by Aud-X lines
    EXPECT_EQ(st.BatchLabel, QStringLiteral("25.00 %"));
    EXPECT_EQ(st.Title, QStringLiteral("45,00 % - Zolvane"));
    EXPECT_TRUE(fx.LabelsSet);

    // A stereo input: the bar moves, the labels stay.
    job.Channels = 2;
    fx = ApplyAudXLine(st, QStringLiteral("progress: 60."), job);
    EXPECT_EQ(st.File.Position, 60);
    EXPECT_EQ(st.FileLabel, QStringLiteral("45,00 %"));
    EXPECT_FALSE(fx.LabelsSet);

    // No number: nothing.
    const ProgressFrameState before = st;
    fx = ApplyAudXLine(st, QStringLiteral("progress: x."), job);
    EXPECT_EQ(st.File.Position, before.File.Position);
    EXPECT_FALSE(fx.TitleSet);

    job.PastLastRow = true;
    EXPECT_TRUE(ApplyAudXLine(st, QStringLiteral("anything"), job).StopWithError);
}
