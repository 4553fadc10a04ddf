// Commands the grammar composes are accepted and run by the transcoder and the Aud-X
// encoder, after the split the job runner makes: names with blanks, quotes and accents,
// the frame-rate paths and the Aud-X forms.

#include "CmdlineFixture.h"
#include "CommandLineSplit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <functional>
#include <vector>

namespace {

const QString kTranscoder = QStringLiteral(ZOLVANE_TRANSCODER_DIR "/Kandrum.exe");
const QString kAudXFolder = QStringLiteral(ZOLVANE_BIN_DIR "/programfiles/Aud-X");

struct ChildRun {
    int exitCode = -1;
    QString output;
};

// Splits the command as the job runner does and runs it beside the transcoder's files.
ChildRun runCommand(const QString &cmd)
{
    const QList<QByteArray> argv = SplitCommandLine(cmd.toLocal8Bit());
    QStringList args;
    for (qsizetype i = 1; i < argv.size(); ++i)
        args << QString::fromLocal8Bit(argv[i]);
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setWorkingDirectory(QStringLiteral(ZOLVANE_TRANSCODER_DIR));
    p.start(QString::fromLocal8Bit(argv.value(0)), args);
    ChildRun r;
    if (!p.waitForStarted(10000) || !p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        r.output = QStringLiteral("did not run: ") + p.errorString();
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.output = QString::fromLocal8Bit(p.readAll());
    return r;
}

// A fixture copied under the given folder and name, so the names on the command line can be
// anything a user has on disk.
QString placeFixture(const QString &fixture, const QString &folder, const QString &name)
{
    QDir().mkpath(folder);
    const QString target = folder + name;
    EXPECT_TRUE(QFile::copy(QStringLiteral(ZOLVANE_FIXTURES_DIR "/tools/") + fixture, target)) << target.toStdString();
    return target;
}

qint64 sizeOf(const QString &path)
{
    const QFileInfo fi(path);
    return fi.exists() ? fi.size() : -1;
}

struct Job {
    const char *what;
    const char *fixture;
    QString inputFolder;  // below the temporary folder
    QString inputName;
    QString outputFolder;
    QString outputName;
    KDPage page;
    std::function<void(KDCmdlSnapshot &)> setup;
    const char *mustContain;  // a piece the command must hold
};

class CmdlineTranscoder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!QFileInfo::exists(kTranscoder))
            FAIL() << "the build has not laid out " << kTranscoder.toStdString();
        ASSERT_TRUE(tmp.isValid());
    }

    KDCmdlSnapshot snapshotFor(const Job &j)
    {
        KDCmdlSnapshot s;
        s.edKandrum = kTranscoder;
        s.AudXFolder = kAudXFolder.toLocal8Bit();
        s.activePage = j.page;
        s.rowCount = 1;
        s.hasSelectedRow = true;
        const QString in = tmp.path() + QLatin1Char('/') + j.inputFolder;
        const QString out = tmp.path() + QLatin1Char('/') + j.outputFolder;
        placeFixture(QLatin1String(j.fixture), in, j.inputName);
        QDir().mkpath(out);
        s.selectedRow = {in, j.inputName, out, j.outputName};
        j.setup(s);
        return s;
    }

    QTemporaryDir tmp;
};

TEST_F(CmdlineTranscoder, ComposedCommandsRun)
{
    const std::vector<Job> jobs = {
        {"blanks, accents and quotes in folders and names, log appended, no ID3", "six.ac3",
         QStringLiteral("in folder é/"), QStringLiteral("Säm \"take\" 1.ac3"),
         QStringLiteral("out \"dir\"/"), QStringLiteral("Säm \"take\" 1.mp3"), KDPage::MP3,
         [](KDCmdlSnapshot &s) { s.chOutputLoga = s.chNoID3Tags = true; }, " -noid3 )"},
        {"WAV input with frame-rate conversion and delay, Vorbis", "stereo8k.wav",
         QStringLiteral("in/"), QStringLiteral("clip.WAV"), QStringLiteral("out/"),
         QStringLiteral("clip.ogg"), KDPage::Vorbis,
         [](KDCmdlSnapshot &s) {
             s.chLFEtoLR = s.chOutputMode = false;
             s.chSoundTouchFRC = s.chOTADelay = true;
             s.edOTADelay = QStringLiteral("40");
             s.SoundTouchFRCArg = " -r 25000 29970";
         },
         " -soundtouch( -r 25000 29970 )"},
        {"frame-rate conversion alone of an AC-3 input", "six.ac3", QStringLiteral("in/"),
         QStringLiteral("movie.ac3"), QStringLiteral("out/"), QStringLiteral("movie 1.ac3"), KDPage::AC3,
         [](KDCmdlSnapshot &s) { s.chSoundTouchFRC = true; s.SoundTouchFRCArg = " -r 25000 29970"; },
         " -ota( -r 25000 29970 )"},
        {"every processing block with the WAV/PCM page's stereo switch", "six.ac3", QStringLiteral("in/"),
         QStringLiteral("a.ac3"), QStringLiteral("out/"), QStringLiteral("a.wav"), KDPage::WAV,
         [](KDCmdlSnapshot &s) {
             s.chAzidDC = s.chDNR = s.chEqualizer = s.chOTAMode = s.chPartialEncEnd = true;
             s.chSSRC = s.chBoost = s.chSoundTouchPitch = true;
             s.cbOTAMode = QStringLiteral("PostGain");
             s.edPartialEncEnd = QStringLiteral("0.5");
             s.cbSSRC = QStringLiteral("22050");
             s.cbBoost = 1;
             s.SoundTouchPitchArg = " -pitch 2";
         },
         " -2ch -logfile "},
        {"MP3 at a constant 256 kbit/s", "stereo8k.wav", QStringLiteral("in/"), QStringLiteral("b.wav"),
         QStringLiteral("out/"), QStringLiteral("b.mp3"), KDPage::MP3,
         [](KDCmdlSnapshot &s) {
             s.chLFEtoLR = s.chOutputMode = false;
             s.rbMP3Bitrate = s.chMP3ABR = true;
             s.MP3TrackBar_Bitrate = 230;
         },
         " -lame(  -b 256 )"},
    };
    for (const Job &j : jobs) {
        SCOPED_TRACE(j.what);
        const KDCmdlSnapshot s = snapshotFor(j);
        const KDCmdlResult built = KDCmdlBuild(s);
        ASSERT_EQ(built.which, KDCmdlCase::Row);
        EXPECT_TRUE(built.rowCmd.contains(QLatin1String(j.mustContain))) << built.rowCmd.toStdString();
        const ChildRun r = runCommand(built.rowCmd);
        EXPECT_EQ(r.exitCode, 0) << built.rowCmd.toStdString() << "\n" << r.output.toStdString();
        const QString output = s.selectedRow.OutputPath + s.selectedRow.OutputFilename;
        EXPECT_GT(sizeOf(output), 0) << output.toStdString();
        if (s.chOutputLog) {
            const QString log = s.selectedRow.OutputPath
                                + QFileInfo(s.selectedRow.OutputFilename).completeBaseName()
                                + QLatin1String(".log");
            EXPECT_TRUE(QFileInfo::exists(log)) << log.toStdString();
        }
    }
}

TEST_F(CmdlineTranscoder, AudXRunsTheJobsOwnFiles)
{
    if (!QFileInfo::exists(kAudXFolder + QLatin1String("/audx.exe")))
        FAIL() << "no Aud-X encoder in the build";
    auto audx = [](KDCmdlSnapshot &s) {
        s.rbMP3Ch2 = false;
        s.cbMode = 0;
    };
    // Without a save-dialog choice the encoder still writes the row's own output, not a file
    // beside the input that a later run would write over.
    Job plain{"no output chosen", "six.ac3", QStringLiteral("films/"), QStringLiteral("Movie 5.1.ac3"),
              QStringLiteral("enc/"), QStringLiteral("Movie 5.1.mp3"), KDPage::MP3, audx, " STRQ "};
    KDCmdlSnapshot s = snapshotFor(plain);
    KDCmdlResult built = KDCmdlBuild(s);
    ChildRun r = runCommand(built.rowCmd);
    EXPECT_EQ(r.exitCode, 0) << built.rowCmd.toStdString() << "\n" << r.output.toStdString();
    EXPECT_GT(sizeOf(s.selectedRow.OutputPath + s.selectedRow.OutputFilename), 0);
    EXPECT_FALSE(QFileInfo::exists(s.selectedRow.InputPath + QLatin1String("Movie 5.1.mp3")));

    // With the save dialog's choice the output goes to the row's own output.
    Job chosen{"output chosen", "six.ac3", QStringLiteral("films 2/"), QStringLiteral("Second.ac3"),
               QStringLiteral("enc 2/"), QStringLiteral("Second.mp3"), KDPage::MP3, audx, " STRQ "};
    s = snapshotFor(chosen);
    s.SaveDialog1FileName = QStringLiteral("/anywhere/Other.mp3");
    built = KDCmdlBuild(s);
    r = runCommand(built.rowCmd);
    EXPECT_EQ(r.exitCode, 0) << built.rowCmd.toStdString() << "\n" << r.output.toStdString();
    EXPECT_GT(sizeOf(s.selectedRow.OutputPath + s.selectedRow.OutputFilename), 0);
}

// The tempo and plug-in blocks follow the Aud-X command line: the tempo block is applied,
// the plug-in block fails the job with an "Error " line and leaves no output.
TEST_F(CmdlineTranscoder, AudXTakesTheTempoAndPluginBlocks)
{
    if (!QFileInfo::exists(kAudXFolder + QLatin1String("/audx.exe")))
        FAIL() << "no Aud-X encoder in the build";
    auto tempo = [](KDCmdlSnapshot &s) {
        s.rbMP3Ch2 = false;
        s.chSoundTouchTempo = s.chSoundTouchPitch = true;
        s.SoundTouchTempoArg = " -tempo 25";
        s.SoundTouchPitchArg = " -pitch -2";
    };
    Job ticked{"tempo ticked", "six.ac3", QStringLiteral("films/"), QStringLiteral("Fast.ac3"),
               QStringLiteral("enc/"), QStringLiteral("Fast.mp3"), KDPage::MP3, tempo, " STDQ "};
    KDCmdlSnapshot s = snapshotFor(ticked);
    KDCmdlResult built = KDCmdlBuild(s);
    ASSERT_TRUE(built.rowCmd.endsWith(QLatin1String(" -soundtouch( -tempo 25 -pitch -2 )")))
        << built.rowCmd.toStdString();
    ChildRun r = runCommand(built.rowCmd);
    EXPECT_EQ(r.exitCode, 0) << built.rowCmd.toStdString() << "\n" << r.output.toStdString();
    const QString fast = s.selectedRow.OutputPath + QLatin1String("Fast.mp3");
    EXPECT_GT(sizeOf(fast), 0);
    EXPECT_TRUE(r.output.contains(QLatin1String("progress: 100."))) << r.output.toStdString();

    auto plugin = [&](KDCmdlSnapshot &snap) {
        tempo(snap);
        snap.chExternalPlugDLLName = snap.chExternalPlugFunc = true;
        snap.PluginNameArg = " -name filter.dll";
        snap.PluginFuncArg = " -func Process";
    };
    Job withPlugin{"plug-in ticked", "six.ac3", QStringLiteral("films 2/"), QStringLiteral("Slow.ac3"),
                   QStringLiteral("enc 2/"), QStringLiteral("Slow.mp3"), KDPage::MP3, plugin, " STDQ "};
    s = snapshotFor(withPlugin);
    built = KDCmdlBuild(s);
    ASSERT_TRUE(built.rowCmd.endsWith(QLatin1String(" -plugin( -name filter.dll -func Process )")))
        << built.rowCmd.toStdString();
    r = runCommand(built.rowCmd);
    EXPECT_NE(r.exitCode, 0) << r.output.toStdString();
    EXPECT_TRUE(r.output.contains(QLatin1String("Error plug-in \"filter.dll\""))) << r.output.toStdString();
    EXPECT_EQ(QDir(s.selectedRow.InputPath).entryList(QDir::Files), QStringList{QStringLiteral("Slow.ac3")});
}

// The command names the input with its extension lower-cased; on a case-sensitive file
// system the encoder has to find "Movie.AC3" by that name ignoring case.
TEST_F(CmdlineTranscoder, AudXFindsAnInputWithAnUpperCaseExtension)
{
    if (!QFileInfo::exists(kAudXFolder + QLatin1String("/audx.exe")))
        FAIL() << "no Aud-X encoder in the build";
    Job upper{"upper-case extension", "six.ac3", QStringLiteral("films/"), QStringLiteral("Movie.AC3"),
              QStringLiteral("enc/"), QStringLiteral("Movie.mp3"), KDPage::MP3,
              [](KDCmdlSnapshot &s) { s.rbMP3Ch2 = false; }, " STDQ "};
    const KDCmdlSnapshot s = snapshotFor(upper);
    const KDCmdlResult built = KDCmdlBuild(s);
    ASSERT_TRUE(built.rowCmd.contains(QLatin1String("/films/Movie.ac3\"")));
    const ChildRun r = runCommand(built.rowCmd);
    EXPECT_EQ(r.exitCode, 0) << built.rowCmd.toStdString() << "\n" << r.output.toStdString();
}

} // namespace
