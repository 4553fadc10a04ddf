// Rules of the job list below the windows: output names by page and engine, the delay read from
// a file name, the row texts of the probes on real files, list-file lines and dialog filters.

#include "JobListRules.h"

#include "AC3.h"
#include "DTS.h"
#include "MPEGaudio.h"
#include "OggVorbis.h"
#include "ToneWav.h"
#include "WAVfile.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <string>

namespace {

std::string Fixture(const char *relative)
{
    return std::string(ZOLVANE_FIXTURES_DIR) + "/" + relative;
}

NamingChoice Page(KDPage page, int aacEngine = -1, bool faacToMP4 = false, bool aiff = false)
{
    NamingChoice c;
    c.Page = page;
    c.AACEngine = aacEngine;
    c.FAACToMP4 = faacToMP4;
    c.AIFFOutput = aiff;
    return c;
}

} // namespace

TEST(OutputNames, ByPageAndEngine)
{
    struct Case {
        const char *what;
        NamingChoice choice;
        const char *input;
        const char *expected;
    };
    const Case cases[] = {
        {"AAC 3GPP", Page(KDPage::AAC, 0), "a.wav", "a.m4a"},
        {"AAC FAAC raw", Page(KDPage::AAC, 1, false), "a.wav", "a.aac"},
        {"AAC FAAC in MP4", Page(KDPage::AAC, 1, true), "a.wav", "a.m4a"},
        {"AAC Nero", Page(KDPage::AAC, 2), "a.wav", "a.m4a"},
        {"AAC Winamp", Page(KDPage::AAC, 3), "a.wav", "a.aac"},
        {"AAC without engine", Page(KDPage::AAC, -1), "a.wav", "a.m4a"},
        {"AC3 from WAV", Page(KDPage::AC3), "a.wav", "a.ac3"},
        {"MP2", Page(KDPage::MP2), "a.ac3", "a.mp2"},
        {"MP3", Page(KDPage::MP3), "a.ac3", "a.mp3"},
        {"Vorbis", Page(KDPage::Vorbis), "a.ac3", "a.ogg"},
        {"WAV", Page(KDPage::WAV), "a.ac3", "a.wav"},
        {"AIFF", Page(KDPage::WAV, -1, false, true), "a.ac3", "a.aif"},
        {"Speex", Page(KDPage::Speex), "a.wav", "a.spx"},
        {"Lossless", Page(KDPage::Lossless), "a.wav", "a.flac"},
        {"only the last extension changes", Page(KDPage::MP3), "a.b.wav", "a.b.mp3"},
        {"a name without extension gets one", Page(KDPage::MP3), "track", "track.mp3"},
        {"list rows are named like files", Page(KDPage::MP3), "set.lst", "set.mp3"},
    };
    for (const Case &c : cases) {
        const OutputName name = OutputNameFor(c.choice, QString::fromUtf8(c.input), 1);
        EXPECT_EQ(name.Name.toStdString(), c.expected) << c.what;
        EXPECT_TRUE(name.MakeUnique) << c.what;
    }
}

TEST(OutputNames, AC3InputOnTheAC3PageIsNumberedByVisit)
{
    const NamingChoice ac3 = Page(KDPage::AC3);
    OutputName first = OutputNameFor(ac3, QStringLiteral("movie.ac3"), 1);
    EXPECT_EQ(first.Name, QStringLiteral("movie 1.ac3"));
    EXPECT_FALSE(first.MakeUnique);
    EXPECT_EQ(OutputNameFor(ac3, QStringLiteral("movie.ac3"), 3).Name, QStringLiteral("movie 3.ac3"));
    // The extension is compared without regard to case.
    EXPECT_EQ(OutputNameFor(ac3, QStringLiteral("MOVIE.AC3"), 2).Name, QStringLiteral("MOVIE 2.ac3"));
}

TEST(SaveDialogFilters, ByPageAndEngine)
{
    struct Case {
        const char *what;
        NamingChoice choice;
        SaveFilterText text;
        const char *pattern;
        const char *ext;
    };
    const Case cases[] = {
        {"AAC 3GPP proposes .aac", Page(KDPage::AAC, 0), SaveFilterText::AAC, " (*.aac)|*.aac", ".aac"},
        {"FAAC in MP4 proposes .mp4", Page(KDPage::AAC, 1, true), SaveFilterText::AAC,
         " (*.mp4;*.m4a)|*.m4a;*.mp4", ".mp4"},
        {"FAAC raw", Page(KDPage::AAC, 1, false), SaveFilterText::AAC, " (*.aac)|*.aac", ".aac"},
        {"Nero", Page(KDPage::AAC, 2), SaveFilterText::AAC, " (*.m4a;*.mp4)|*.m4a;*.mp4", ".m4a"},
        {"Winamp", Page(KDPage::AAC, 3), SaveFilterText::AAC, " (*.aac)|*.aac", ".aac"},
        {"AC3 uses the open dialog's text", Page(KDPage::AC3), SaveFilterText::AC3, " (*.ac3)|*.ac3", ".ac3"},
        {"MP2", Page(KDPage::MP2), SaveFilterText::MP2, " (*.mp2)|*.mp2", ".mp2"},
        {"MP3", Page(KDPage::MP3), SaveFilterText::MP3, " (*.mp3)|*.mp3", ".mp3"},
        {"Vorbis", Page(KDPage::Vorbis), SaveFilterText::OGG, " (*.ogg)|*.ogg", ".ogg"},
        {"WAV", Page(KDPage::WAV), SaveFilterText::WAV, " (*.wav)|*.wav", ".wav"},
        {"AIFF", Page(KDPage::WAV, -1, false, true), SaveFilterText::AIFF, " (*.aif)|*.aif", ".aif"},
        {"Speex", Page(KDPage::Speex), SaveFilterText::SPX, " (*.spx)|*.spx", ".spx"},
    };
    for (const Case &c : cases) {
        const SaveFilter f = SaveFilterFor(c.choice);
        EXPECT_TRUE(f.Describe) << c.what;
        EXPECT_EQ(f.Text, c.text) << c.what;
        EXPECT_EQ(f.Pattern.toStdString(), c.pattern) << c.what;
        EXPECT_EQ(f.DefaultExt.toStdString(), c.ext) << c.what;
    }
    EXPECT_FALSE(SaveFilterFor(Page(KDPage::Lossless)).Describe);
}

TEST(OutputNames, ExtensionFitsTheActivePageAndEngine)
{
    struct Case {
        const char *what;
        NamingChoice choice;
        const char *output;
        const char *expected;
    };
    const Case cases[] = {
        {"Vorbis name on the MP3 page", Page(KDPage::MP3), "song.ogg", "song.mp3"},
        {"MP3 name kept on the MP3 page", Page(KDPage::MP3), "song.mp3", "song.mp3"},
        {"case of the extension does not matter", Page(KDPage::MP3), "SONG.MP3", "SONG.MP3"},
        {"AC-3 into a Vorbis name", Page(KDPage::AC3), "movie.ogg", "movie.ac3"},
        {"numbered AC-3 name kept", Page(KDPage::AC3), "movie 2.ac3", "movie 2.ac3"},
        {"folder and base name kept", Page(KDPage::MP2), "/out/My Dir.v2/take 1.ogg", "/out/My Dir.v2/take 1.mp2"},
        {"no extension gets one", Page(KDPage::Vorbis), "/out/take", "/out/take.ogg"},
        {"dot in the folder only", Page(KDPage::Vorbis), "/out.d/take", "/out.d/take.ogg"},
        {"AAC page takes .aac for the 3GPP engine", Page(KDPage::AAC, 0), "a.aac", "a.aac"},
        {"raw FAAC writes no MP4 box", Page(KDPage::AAC, 1, false), "a.mp4", "a.aac"},
        {"raw FAAC keeps .aac", Page(KDPage::AAC, 1, false), "a.AAC", "a.AAC"},
        {"FAAC with its MP4 box writes no raw AAC", Page(KDPage::AAC, 1, true), "a.aac", "a.m4a"},
        {"FAAC with its MP4 box takes .mp4", Page(KDPage::AAC, 1, true), "a.mp4", "a.mp4"},
        {"AAC page takes .m4a for Winamp", Page(KDPage::AAC, 3), "a.m4a", "a.m4a"},
        {"Nero renames to its own .m4a", Page(KDPage::AAC, 2), "a.mp3", "a.m4a"},
        {"Winamp renames to its own .aac", Page(KDPage::AAC, 3), "a.ogg", "a.aac"},
        {"WAV page with WAV output", Page(KDPage::WAV), "a.aif", "a.wav"},
        {"WAV page with AIFF output", Page(KDPage::WAV, -1, false, true), "a.wav", "a.aif"},
        {"Speex", Page(KDPage::Speex), "a.ogg", "a.spx"},
        {"Lossless", Page(KDPage::Lossless), "a.wav", "a.flac"},
        {"no page changes nothing", Page(KDPage::None), "a.ogg", "a.ogg"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(OutputNameFittingPage(c.choice, QString::fromUtf8(c.output)).toStdString(), c.expected) << c.what;
}

TEST(OutputNames, FilesAJobWrites)
{
    EXPECT_EQ(FilesWrittenFor(QStringLiteral("/out/take.wav"), false), QStringList{QStringLiteral("/out/take.wav")});
    EXPECT_EQ(FilesWrittenFor(QStringLiteral("/out.d/take 1.wav"), true),
              (QStringList{QStringLiteral("/out.d/take 1_FL.wav"), QStringLiteral("/out.d/take 1_FR.wav"),
                           QStringLiteral("/out.d/take 1_C.wav"), QStringLiteral("/out.d/take 1_LFE.wav"),
                           QStringLiteral("/out.d/take 1_SL.wav"), QStringLiteral("/out.d/take 1_SR.wav")}));
}

TEST(DelayInFileName, ReadsTheNumberBeforeMs)
{
    struct Case {
        const char *name;
        std::optional<int> delay;
    };
    const Case cases[] = {
        {"Movie T01 3_2ch 448Kbps DELAY -66ms.ac3", -66},
        {"/films/My Movie/Movie T01 DELAY 120ms.ac3", 120},
        {"track +15ms.wav", 15},   // the plus sign is dropped
        {"track $1Fms.ac3", 31},   // hexadecimal after "$"
        {"track 0x10ms.ac3", 16},  // and after "0x"
        {"-40ms.ac3", -40},        // no blank: the whole rest is read
        {"My Film.ac3", std::nullopt},
        {"a.ac3", std::nullopt},   // shorter than the ending: nothing to read
        {"", std::nullopt},
        {"track DELAY ms.ac3", std::nullopt},
        {"track 12a ms.ac3", std::nullopt},
        {"track 12xms.ac3", std::nullopt},
        {"track 99999999999ms.ac3", std::nullopt}, // beyond the integer range
        // Only a name that ends in a number, "ms", a dot and a three-character extension.
        {"Album 1999 A.mp3", std::nullopt},
        {"Live 2001 B-side.ogg", std::nullopt},
        {"a DELAY 250ms.wav", 250},
        {"a DELAY 250ms.flac", std::nullopt}, // four-character extension
        {"Movie DELAY -66ms.AC3", -66},        // the extension's case does not matter
        {"Movie_DELAY_66ms.ac3", std::nullopt}, // no blank: "Movie_DELAY_66" is no number
        {"a DELAY 250ms.ac3.bak", std::nullopt},
        {"a DELAY 250 ms.ac3", std::nullopt},
        // The folder never gives a delay, and does not hide the file's own.
        {"/media/Season 1/b.ac3", std::nullopt},
        {"/media/Cut 40ms.dir/b.ac3", std::nullopt},
        {"/media/Season 1/c DELAY 500ms.ac3", 500},
        {"/media/Season 1/-40ms.ac3", -40},
    };
    for (const Case &c : cases)
        EXPECT_EQ(DelayFromFileName(QString::fromUtf8(c.name)), c.delay) << c.name;
}

TEST(ListFileLines, DequotingAndLineEnds)
{
    struct Case {
        const char *line;
        const char *expected;
    };
    const Case cases[] = {
        {"\"/music/a.wav\"", "/music/a.wav"},
        {"/music/plain.wav", "/music/plain.wav"},
        {"\"/music/say \"\"hi\"\".wav\"", "/music/say \"hi\".wav"},
        {"\"/music/a.wav\" trailing", "/music/a.wav"},
        {"\"/music/unterminated.wav", "\"/music/unterminated.wav"},
        {"\"\"", ""},
        {"", ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(DequoteLine(QString::fromUtf8(c.line)).toStdString(), c.expected) << c.line;

    EXPECT_EQ(SplitListFileLines("\"a\"\r\n\"b\"\r\n\r\n"), (QStringList{"\"a\"", "\"b\"", ""}));
    EXPECT_EQ(SplitListFileLines("a\nb"), (QStringList{"a", "b"}));
    EXPECT_TRUE(SplitListFileLines("").isEmpty());
}

TEST(ProbeDispatch, ListLinesCarryFewerKinds)
{
    EXPECT_EQ(ProbeKindOfAddedFile(".mp1"), ProbeKind::MPEG);
    EXPECT_EQ(ProbeKindOfListLine(".mp1"), ProbeKind::None);
    EXPECT_EQ(ProbeKindOfAddedFile(".dts"), ProbeKind::DTS);
    EXPECT_EQ(ProbeKindOfListLine(".dts"), ProbeKind::None);
    EXPECT_EQ(ProbeKindOfAddedFile(".avi"), ProbeKind::AVI);
    EXPECT_EQ(ProbeKindOfListLine(".avi"), ProbeKind::None);
    for (const char *ext : {".mpa", ".mp2", ".mp3"})
        EXPECT_EQ(ProbeKindOfListLine(ext), ProbeKind::MPEG) << ext;
    EXPECT_EQ(ProbeKindOfAddedFile(".flac"), ProbeKind::None);
    EXPECT_EQ(ProbeKindOfListLine(""), ProbeKind::None);
    EXPECT_TRUE(IsListOrMuxFile("/a/B.LST"));
    EXPECT_TRUE(IsMuxFile("/a/five.one.Mux"));
    EXPECT_FALSE(IsListOrMuxFile("/a.lst/b.wav"));
}

TEST(ProbeTexts, ChannelCountCountsTheLfeFromFiveOn)
{
    EXPECT_EQ(ShownChannelCount(1), "1");
    EXPECT_EQ(ShownChannelCount(2), "2");
    EXPECT_EQ(ShownChannelCount(4), "4");
    EXPECT_EQ(ShownChannelCount(5), "6");
    EXPECT_EQ(ShownChannelCount(8), "9");
    EXPECT_EQ(ShownChannelCount(10), "10"); // compared as text, "10" is below "5"
    EXPECT_EQ(ShownChannelCount(0), "0");
}

TEST(ProbeTexts, FromRealFiles)
{
    TAC3 ac3;
    ASSERT_TRUE(ac3.ReadFromFile(Fixture("audio/ac3_48k_5ch1_384k.ac3")));
    EXPECT_EQ(AC3ProbeText(ac3).DescriptionHead, "AC3 - 6 Ch - 384 kbps - 48000 hz - ");
    EXPECT_FALSE(AC3ProbeText(ac3).TempoEnabled);
    ASSERT_TRUE(ac3.ReadFromFile(Fixture("audio/ac3_44k_stereo_96k.ac3")));
    EXPECT_EQ(AC3ProbeText(ac3).DescriptionHead, "AC3 - 2 Ch - 96 kbps - 44100 hz - ");
    EXPECT_NEAR(AC3ProbeText(ac3).Seconds, 3342 * 8 / 1000.0 / 96, 1e-9);

    TDTS dts;
    ASSERT_TRUE(dts.ReadFromFile(Fixture("audio/dts_44k_5ch1.dts")));
    EXPECT_EQ(DTSProbeText(dts).DescriptionHead, "DTS - 6 Ch - 1411 kbps - 44100 hz - ");

    TMPEGaudio mpeg;
    ASSERT_TRUE(mpeg.ReadFromFile(Fixture("audio/mp3_cbr128_stereo.mp3")));
    ASSERT_TRUE(mpeg.Valid());
    EXPECT_EQ(MPEGProbeText(mpeg, ".mp3").DescriptionHead, "MP3 - Joint Stereo - 128 kbps - 44100 hz - ");
    EXPECT_EQ(MPEGProbeText(mpeg, ".mpa").DescriptionHead, "MPA - Joint Stereo - 128 kbps - 44100 hz - ");
    EXPECT_EQ(MPEGProbeText(mpeg, ".mp1").DescriptionHead, "MPA - Joint Stereo - 128 kbps - 44100 hz - ");
    ASSERT_TRUE(mpeg.ReadFromFile(Fixture("audio/mp2_192_stereo.mp2")));
    EXPECT_TRUE(MPEGProbeText(mpeg, ".mp2").DescriptionHead.startsWith("MP2 - "));
    EXPECT_TRUE(MPEGProbeText(mpeg, ".mp2").DescriptionHead.endsWith(" - 192 kbps - 44100 hz - "));

    TWAVfile wav;
    ASSERT_TRUE(wav.ReadFromFile(Fixture("audio/wav_sox_8k_stereo_s16.wav")));
    EXPECT_EQ(WAVProbeText(wav).DescriptionHead, "WAV - Stereo - 256 kbps - 8000 hz - ");
    EXPECT_TRUE(WAVProbeText(wav).TempoEnabled);
    // 11025 bytes a second: 88.2 kbit/s shown as 88.
    ASSERT_TRUE(wav.ReadFromFile(Fixture("audio/wav_sox_11k_mono_u8.wav")));
    EXPECT_EQ(WAVProbeText(wav).DescriptionHead, "WAV - Mono - 88 kbps - 11025 hz - ");

    TOggVorbis ogg;
    ASSERT_TRUE(ogg.ReadFromFile(Fixture("joblist/silence_60s.ogg")));
    ASSERT_TRUE(ogg.Valid());
    EXPECT_EQ(VorbisProbeText(ogg).DescriptionHead, "Vorbis - Mono - 1 kbps - 8000 hz - ");
    EXPECT_NEAR(VorbisProbeText(ogg).Seconds, 60.0, 1e-9);
}

// A mux row tells the 5.1 input of six files like its first: six times one channel's rate.
TEST(ProbeTexts, MuxRowTellsTheRateOfTheWholeInput)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    struct Case {
        const char *fixture; // null: a 16-bit tone of `rate` Hz and `channels` made here
        quint32 rate;
        quint16 channels;
        const char *head;
    };
    const Case cases[] = {
        {nullptr, 48000, 1, "WAV - 6 Ch - 4608 kbps - 48000 hz - "},
        {nullptr, 44100, 1, "WAV - 6 Ch - 4233 kbps - 44100 hz - "}, // 6 x 88200 bytes a second
        {nullptr, 8000, 1, "WAV - 6 Ch - 768 kbps - 8000 hz - "},
        {nullptr, 96000, 1, "WAV - 6 Ch - 9216 kbps - 96000 hz - "},
        {"audio/wav_sox_11k_mono_u8.wav", 0, 0, "WAV - 6 Ch - 529 kbps - 11025 hz - "},
        {"tools/mono1.wav", 0, 0, "WAV - 6 Ch - 384 kbps - 8000 hz - "},
        // A two-channel file counts as the one channel the transcoder makes of it.
        {"audio/wav_sox_8k_stereo_s16.wav", 0, 0, "WAV - 6 Ch - 768 kbps - 8000 hz - "},
        {nullptr, 48000, 2, "WAV - 6 Ch - 4608 kbps - 48000 hz - "},
    };
    for (const Case &c : cases) {
        const std::string what = c.fixture ? c.fixture : std::to_string(c.rate) + " Hz, " + std::to_string(c.channels) + " ch";
        std::string path = c.fixture ? Fixture(c.fixture) : std::string();
        if (!c.fixture) {
            path = dir.filePath(QStringLiteral("%1_%2.wav").arg(c.rate).arg(c.channels)).toStdString();
            ASSERT_TRUE(WriteToneWavOf(QString::fromStdString(path), 500, c.rate, c.channels));
        }
        TWAVfile wav;
        ASSERT_TRUE(wav.ReadFromFile(path) && wav.Valid()) << what;
        const ProbeText t = MuxProbeText(wav);
        EXPECT_EQ(t.DescriptionHead.toStdString(), c.head) << what;
        EXPECT_NEAR(t.Seconds, wav.Duration(), 1e-9) << what;
    }
}

TEST(ProbeTexts, WholeSecondsRoundHalfToEven)
{
    EXPECT_EQ(RoundedSeconds(30.6), 31);
    EXPECT_EQ(RoundedSeconds(2.5), 2);
    EXPECT_EQ(RoundedSeconds(3.5), 4);
    EXPECT_EQ(RoundedSeconds(0.4), 0);
}

TEST(AVIRows, CodecNamesAndDescription)
{
    EXPECT_EQ(AVICodecText("MPEG-1 Audio layer 3"), "MP3");
    EXPECT_EQ(AVICodecText("DTS"), "DTS");
    EXPECT_EQ(AVICodecText("AC-3"), "AC-3");
    EXPECT_EQ(AVIDescription("MPEG-1 Audio layer 3", "2", "128 kb/s", "48.0 kHz", "00:01:02.500"),
              "MP3 - 2Ch - 128 kb/s - 48.0 kHz - 00:01:02.500");
}

TEST(DialogFilterText, PairsBecomeToolkitFilters)
{
    const QStringList filters = DialogFilters(
        "AC3 Files (*.ac3)|*.ac3|MPEG (*.mpa, *.mp2, *.mp3)|*.mpa; *.mp2; *.mp3|Lists |*.lst; *.mux| (*.*)|*.ac3;*.wav");
    EXPECT_EQ(filters, (QStringList{"AC3 Files (*.ac3)", "MPEG (*.mpa *.mp2 *.mp3)", "Lists (*.lst *.mux)",
                                    "(*.ac3 *.wav)"}));
}

// ---- Add reports and the folder scan -----------------------------------------------------------

TEST(AddReport, OneMessageForTheWholeAdd)
{
    const AddReportTexts texts{"%1 not added:", "%1 more", "%1 undecodable in %2"};
    const auto messages = [](int n) {
        QStringList list;
        for (int i = 0; i < n; ++i)
            list << QStringLiteral("m%1").arg(i);
        return list;
    };
    const struct {
        const char *name;
        QStringList messages;
        QList<QPair<QString, int>> folders;
        QString text;
    } cases[] = {
        {"one failure as it is told alone", {"Cannot open file \"a.ac3\"."}, {}, "Cannot open file \"a.ac3\"."},
        {"two failures", messages(2), {}, "2 not added:\r\nm0\r\nm1"},
        {"the first five and the count of the rest", messages(1000), {},
         "1000 not added:\r\nm0\r\nm1\r\nm2\r\nm3\r\nm4\r\n995 more"},
        {"names that are not text alone", {}, {{"/a", 3}}, "3 undecodable in /a"},
        {"both, folders first", messages(1), {{"/a", 1}, {"/b", 2}},
         "1 undecodable in /a\r\n2 undecodable in /b\r\n\r\n1 not added:\r\nm0"},
    };
    for (const auto &c : cases) {
        AddReport report;
        for (const QString &m : c.messages)
            report.AddMessage(m, true);
        for (const auto &f : c.folders)
            report.AddUndecodable(f.first, f.second);
        EXPECT_EQ(AddReportText(report, texts).toStdString(), c.text.toStdString()) << c.name;
    }
    AddReport merged;
    merged.AddUndecodable("/a", 1);
    merged.AddUndecodable("/a", 2);
    merged.AddUndecodable("/b", 0);
    EXPECT_EQ(AddReportText(merged, texts).toStdString(), "3 undecodable in /a");
}

// One scan gives every pattern's regular files in probe order, by name without regard to case,
// leaves out hidden names, folders, pipes and dangling links, and counts names that are not text.
TEST(FolderScan, OneScanInProbeOrder)
{
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path()) + '/';
    const auto make = [&](const QByteArray &name) {
        const int fd = ::open((folder + name).constData(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0) << name.constData();
        ::close(fd);
    };
    for (const char *name : {"b.ogg", "A.ogg", "c.MP3", "x.mp2", "y.mpa", "B.wav", "a.wav", "z.ac3", ".hidden.wav",
                             "skip.dts", "skip.txt", "wav", "bad\xff.mp3"})
        make(name);
    ASSERT_EQ(::mkdir((folder + "folder.wav").constData(), 0755), 0);
    ASSERT_EQ(::mkfifo((folder + "pipe.ac3").constData(), 0600), 0);
    ASSERT_EQ(::symlink((folder + "a.wav").constData(), (folder + "link.wav").constData()), 0);
    ASSERT_EQ(::symlink((folder + "none").constData(), (folder + "dangling.wav").constData()), 0);

    const FolderListing listing = ListFolderForAdd(dir.path());
    ASSERT_TRUE(listing.Listed);
    QStringList names;
    for (const FolderMatch &m : listing.Matches)
        names << m.Name;
    EXPECT_EQ(names.join(u' ').toStdString(), "z.ac3 a.wav B.wav link.wav y.mpa x.mp2 c.MP3 A.ogg b.ogg");
    EXPECT_EQ(listing.Matches.first().Kind, ProbeKind::AC3);
    EXPECT_EQ(listing.Matches.at(4).Kind, ProbeKind::MPEG);
    EXPECT_EQ(listing.Matches.last().Kind, ProbeKind::Vorbis);
    EXPECT_EQ(listing.Undecodable, 1);

    const auto entries = FolderEntryNames(dir.path());
    ASSERT_TRUE(entries.has_value());
    EXPECT_TRUE(entries->contains("dangling.wav"));
    EXPECT_TRUE(entries->contains("folder.wav"));
    EXPECT_TRUE(entries->contains(".hidden.wav"));
    EXPECT_EQ(entries->size(), 17 - 1); // every entry but the one that is not text

    EXPECT_FALSE(ListFolderForAdd(dir.filePath("none")).Listed);
    EXPECT_FALSE(FolderEntryNames(dir.filePath("none")).has_value());
}
