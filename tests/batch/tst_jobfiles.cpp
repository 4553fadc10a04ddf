// Every job of a batch touches only its own files and ends with its true outcome: the real main
// window runs the build's transcoder (or small stand-in scripts that misbehave) on real folders,
// and what lands on disk and in the batch log is checked.
//
// One test needs a full file system: the test program mounts a small one of its own, in a mount
// namespace of its own, before anything else runs.

#include "BatchWindow.h"
#include "DosCommand.h"
#include "JobRow.h"
#include "LanguageStrings.h"
#include "MainFormControls.h"
#include "MPEGaudio.h"
#include "OggVorbis.h"
#include "Paths.h"
#include "ToneWav.h"
#include "UEditKDCL.h"
#include "UExeBrowser.h"
#include "UMain.h"
#include "UMainGlobals.h"
#include "UProgress.h"
#include "WAVfile.h"
#include "WindowSetUp.h"
#include "ZolvaneApp.h"

#include <QApplication>
#include <QCheckBox>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTreeWidget>
#include <QtTest>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {

// A folder on a file system of 256 KiB, "" when none could be mounted (and why in g_whyNoSmall).
QString g_smallFolder;
QString g_whyNoSmall;

bool WriteProcFile(const char *path, const QByteArray &text)
{
    const int fd = open(path, O_WRONLY);
    if (fd < 0)
        return false;
    const bool ok = write(fd, text.constData(), size_t(text.size())) == text.size();
    close(fd);
    return ok;
}

// Runs before the application exists, while the process has one thread: a new mount namespace
// (with a user namespace of its own where the process may not make one alone) and a small
// tmpfs in it, seen by this process and the jobs it starts, and by nothing else.
void MountSmallFileSystem()
{
    char folder[] = "/tmp/zolvane-small-XXXXXX";
    if (!mkdtemp(folder)) {
        g_whyNoSmall = QStringLiteral("no temporary folder");
        return;
    }
    const uid_t uid = getuid();
    const gid_t gid = getgid();
    if (unshare(CLONE_NEWNS) != 0) {
        if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
            g_whyNoSmall = QStringLiteral("no mount namespace: ") + QString::fromLocal8Bit(std::strerror(errno));
            rmdir(folder);
            return;
        }
        WriteProcFile("/proc/self/setgroups", "deny");
        WriteProcFile("/proc/self/uid_map", QByteArray::number(uid) + ' ' + QByteArray::number(uid) + " 1");
        WriteProcFile("/proc/self/gid_map", QByteArray::number(gid) + ' ' + QByteArray::number(gid) + " 1");
    }
    if (mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
        || mount("tmpfs", folder, "tmpfs", MS_NOSUID | MS_NODEV, "size=256k,mode=0700") != 0) {
        g_whyNoSmall = QStringLiteral("no tmpfs: ") + QString::fromLocal8Bit(std::strerror(errno));
        rmdir(folder);
        return;
    }
    g_smallFolder = QString::fromLocal8Bit(folder);
}

void UnmountSmallFileSystem()
{
    if (g_smallFolder.isEmpty())
        return;
    const QByteArray folder = g_smallFolder.toLocal8Bit();
    umount2(folder.constData(), MNT_DETACH);
    rmdir(folder.constData());
}

// The message text of a key as the language file gave it ("" for a key the program lacks).
QString Text(const char *section, const char *key)
{
    const QString *text = FindLanguageString(LanguageStrings, QLatin1String(section), QLatin1String(key));
    return text ? *text : QString();
}

QByteArray ContentOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(content) == content.size();
}

// Seconds of a valid MPEG audio file, -1 otherwise.
double Mp3Seconds(const QString &path)
{
    TMPEGaudio mp3;
    return mp3.ReadFromFile(QFile::encodeName(path).toStdString()) && mp3.Valid() ? mp3.Duration() : -1.0;
}

} // namespace

class TestJobFiles : public QObject, public BatchWindowTest
{
    Q_OBJECT

    QStringList m_messages;

    QCheckBox *advancedBox(const char *name) const { return AdvancedSet->findChild<QCheckBox *>(QLatin1String(name)); }
    QString job(const QString &name) const { return m_jobs->filePath(name); }

    // The frame's Quit after a batch.
    void quit()
    {
        frame()->SpeedButtonQuit->click();
        QVERIFY(frame()->isHidden());
    }

    QString batchLogDump() const { return batchLogTexts().join(QStringLiteral(" | ")); }
    // The batch-log row of that text, or -1.
    int logRow(const QString &text) const { return batchLogTexts().indexOf(text); }
    int logIcon(int i) const { return batchLog()->topLevelItem(i)->data(0, Qt::UserRole).toInt(); }

    // The final report of a batch in which a job failed, and of one in which none did.
    void verifyFailedReport()
    {
        const QStringList texts = batchLogTexts();
        QVERIFY2(!texts.contains(Text("MAIN", "TranscodingFinished")), qPrintable(batchLogDump()));
        QVERIFY2(texts.contains(Text("MAIN", "TranscodingError")) || texts.contains(QStringLiteral("Wrong Channels Number...")),
                 qPrintable(batchLogDump()));
    }
    void verifyDoneReport()
    {
        QVERIFY2(batchLogTexts().last() == Text("MAIN", "TranscodingFinished"), qPrintable(batchLogDump()));
    }

    // A transcoder folder of its own: a shell script named Kandrum.exe with `body` as its text,
    // and every helper file the batch start looks for beside it. The script finds the output
    // after "-output" in $out.
    QString fakeTranscoder(const QByteArray &body)
    {
        const QString folder = job(QStringLiteral("transcoder"));
        if (!QDir().mkpath(folder))
            return QString();
        const QDir build(QStringLiteral(ZOLVANE_TRANSCODER_DIR));
        for (const QString &helper : build.entryList(QDir::Files)) {
            if (helper != QLatin1String("Kandrum.exe"))
                QFile::link(build.filePath(helper), folder + QLatin1Char('/') + helper);
        }
        const QString script = folder + QStringLiteral("/Kandrum.exe");
        if (!WriteFile(script, "#!/bin/sh\n"
                               "for a; do [ \"$prev\" = -output ] && out=$a; prev=$a; done\n"
                               + body))
            return QString();
        QFile::setPermissions(script, QFile::permissions(script) | QFileDevice::ExeOwner);
        return script;
    }

    // The command-line editor's text for the selected row, left as the user leaves it.
    void editCommand(const QString &text)
    {
        form()->chOTAViewKDCL->setChecked(true);
        auto *editor = KDCL->findChild<QTextEdit *>(QStringLiteral("RichEdit1"));
        QVERIFY(editor);
        QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
        QFocusEvent out(QEvent::FocusOut, Qt::MouseFocusReason);
        QApplication::sendEvent(editor, &in);
        editor->setPlainText(text);
        QApplication::sendEvent(editor, &out);
        form()->chOTAViewKDCL->setChecked(false);
        QCOMPARE(row(0)->text(jcCmd), text);
    }

private slots:
    void initTestCase()
    {
        startInAFolderOfItsOwn();
        QVERIFY(WindowSetUp::CreateWindowsWithTheBuildsTranscoder());
        TMainForm::MessageHook = [this](QWidget *, const QString &text, bool) { m_messages << text; };
        TDosCommand::SetMessageHook([this](const QString &, const QString &text) { m_messages << text; });
        // The first showing applies the English texts and the settings file.
        form()->show();
        QVERIFY(QTest::qWaitForWindowExposed(form()));
        QVERIFY(!Text("MAIN", "TranscodingFinished").isEmpty());
        QCOMPARE(edKandrum()->text(), Transcoder());
    }

    void init()
    {
        m_messages.clear();
        m_jobs.reset(new QTemporaryDir);
        QVERIFY(m_jobs->isValid());
        edKandrum()->setText(Transcoder());
        form()->chOTAMode->setChecked(false);
        form()->chOTADelay->setChecked(false);
        advancedBox("chOutputLog")->setChecked(true);
        advancedBox("chOutputLoga")->setChecked(false);
        ClickTab(form()->TabSheet4);
        form()->rbMP3Ch2->setChecked(true);
    }

    void cleanup()
    {
        endTheBatch();
        form()->ClearList2Click();
        SaveDialog1FileName.clear();
        TMainForm::SaveDialog1Hook = nullptr;
        qunsetenv("KANDRUM_NO_TMPFILE");
    }

    void cleanupTestCase()
    {
        TMainForm::MessageHook = nullptr;
        TDosCommand::SetMessageHook(nullptr);
        WindowSetUp::DestroyWindowsAndSettings();
    }

    // A ripped album: "album.wav" beside the ripper's own "album.log". The job's log never
    // replaces it: with the default log option the job moves to a name whose output and log are
    // both free; with Append ticked the ripper's log is kept and the job's lines go after it.
    void aRipFoldersOwnLogIsKept_data()
    {
        QTest::addColumn<bool>("append");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("jobLog");
        QTest::newRow("new log") << false << QStringLiteral("album_1.mp3") << QStringLiteral("album_1.log");
        QTest::newRow("appended log") << true << QStringLiteral("album.mp3") << QStringLiteral("album.log");
    }
    void aRipFoldersOwnLogIsKept()
    {
        QFETCH(bool, append);
        QFETCH(QString, output);
        QFETCH(QString, jobLog);
        QVERIFY(WriteToneWav(job(QStringLiteral("album.wav")), 2));
        const QByteArray rippersLog = "Track 1  Copy OK\r\nNo errors occurred\r\n";
        QVERIFY(WriteFile(job(QStringLiteral("album.log")), rippersLog));
        advancedBox("chOutputLoga")->setChecked(append);

        addFiles({job(QStringLiteral("album.wav"))});
        runBatch();
        verifyDoneReport();
        QCOMPARE(row(0)->text(jcOutputFilename), output);
        QCOMPARE(qRound(Mp3Seconds(job(output))), 2);
        const QByteArray ripper = ContentOf(job(QStringLiteral("album.log")));
        QVERIFY2(ripper.startsWith(rippersLog), ripper.constData());
        // The job's own lines are in its log.
        QVERIFY2(ContentOf(job(jobLog)).contains("Done in"), qPrintable(folderEntries(m_jobs->path()).join(' ')));
        if (!append)
            QCOMPARE(ripper, rippersLog);
        quit();
    }

    // A file chosen in File > Save... whose overwrite the user confirmed is written over; its log
    // is not the user's choice and is added to instead.
    void aConfirmedOverwriteAddsToTheOutputsLog()
    {
        QVERIFY(WriteToneWav(job(QStringLiteral("album.wav")), 2));
        QVERIFY(WriteFile(job(QStringLiteral("album.mp3")), "an older take"));
        const QByteArray olderLog = "the older take's log\r\n";
        QVERIFY(WriteFile(job(QStringLiteral("album.log")), olderLog));
        addFiles({job(QStringLiteral("album.wav"))});
        const QString chosen = job(QStringLiteral("album.mp3"));
        TMainForm::SaveDialog1Hook = [chosen](QWidget *, const QStringList &, const QString &, const QString &) {
            return chosen;
        };
        form()->Save1Click();
        QCOMPARE(outputOf(0), chosen);

        runBatch();
        verifyDoneReport();
        QCOMPARE(qRound(Mp3Seconds(chosen)), 2);
        const QByteArray log = ContentOf(job(QStringLiteral("album.log")));
        QVERIFY2(log.startsWith(olderLog) && log.contains("Done in"), log.constData());
        quit();
    }

    // The same row run again on another page: "song.mp3" with "song.log", then the other
    // page's output beside them with a log of its own; the first run's files stay as they were.
    void aSecondRunOnAnotherPageKeepsTheFirstLog_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QStringList>("written");
        QTest::newRow("VORBIS") << QStringLiteral("TabSheet5") << QStringList{QStringLiteral("song_1.ogg")};
        QTest::newRow("WAV six mono files")
            << QStringLiteral("TabSheet6")
            << QStringList{QStringLiteral("song_1_FL.wav"), QStringLiteral("song_1_FR.wav"), QStringLiteral("song_1_C.wav"),
                           QStringLiteral("song_1_LFE.wav"), QStringLiteral("song_1_SL.wav"), QStringLiteral("song_1_SR.wav")};
    }
    void aSecondRunOnAnotherPageKeepsTheFirstLog()
    {
        QFETCH(QString, page);
        QFETCH(QStringList, written);
        QVERIFY(QFile::copy(QStringLiteral(ZOLVANE_FIXTURES_DIR "/tools/six.ac3"), job(QStringLiteral("song.ac3"))));
        addFiles({job(QStringLiteral("song.ac3"))});
        runBatch();
        verifyDoneReport();
        const QByteArray firstOutput = ContentOf(job(QStringLiteral("song.mp3")));
        const QByteArray firstLog = ContentOf(job(QStringLiteral("song.log")));
        QVERIFY(!firstOutput.isEmpty());
        QVERIFY(firstLog.contains("song.mp3"));
        quit();

        QWidget *next = form()->findChild<QWidget *>(page);
        QVERIFY(next);
        ClickTab(next);
        if (next == form()->TabSheet6) {
            form()->rbWAVOutput->setChecked(true);
            form()->rbWAVOutput3->setChecked(true);
        }
        runBatch();
        verifyDoneReport();
        QCOMPARE(ContentOf(job(QStringLiteral("song.mp3"))), firstOutput);
        QCOMPARE(ContentOf(job(QStringLiteral("song.log"))), firstLog);
        for (const QString &file : written)
            QVERIFY2(QFileInfo(job(file)).size() > 0, qPrintable(file + " | " + folderEntries(m_jobs->path()).join(' ')));
        QVERIFY(ContentOf(job(QStringLiteral("song_1.log"))).contains("Done in"));
        quit();
        if (next == form()->TabSheet6)
            form()->rbWAVOutput2->setChecked(true);
    }

    // A command edited by hand and run twice: the second run writes its output and its log
    // beside the first run's, and a log named apart from the output gets a free name of its own.
    void aHandEditedCommandsLogIsKeptOnASecondRun_data()
    {
        QTest::addColumn<QString>("log");
        QTest::addColumn<QString>("secondLog");
        QTest::newRow("log of the output") << QStringLiteral("by hand.log") << QStringLiteral("by hand_1.log");
        QTest::newRow("log of its own") << QStringLiteral("notes.log") << QStringLiteral("notes_1.log");
    }
    void aHandEditedCommandsLogIsKeptOnASecondRun()
    {
        QFETCH(QString, log);
        QFETCH(QString, secondLog);
        QVERIFY(WriteToneWav(job(QStringLiteral("a.wav")), 2));
        addFiles({job(QStringLiteral("a.wav"))});
        QString edited = row(0)->text(jcCmd);
        edited.replace(outputOf(0), job(QStringLiteral("by hand.mp3")));
        edited.replace(job(QStringLiteral("a.log")), job(log));
        QVERIFY2(edited.contains(QStringLiteral("-logfile \"") + job(log) + QLatin1Char('"')), qPrintable(edited));
        editCommand(edited);

        runBatch();
        verifyDoneReport();
        quit();
        const QByteArray firstLog = ContentOf(job(log));
        QVERIFY(firstLog.contains("by hand.mp3"));

        runBatch();
        verifyDoneReport();
        quit();
        QCOMPARE(ContentOf(job(log)), firstLog);
        QCOMPARE(qRound(Mp3Seconds(job(QStringLiteral("by hand_1.mp3")))), 2);
        QVERIFY2(ContentOf(job(secondLog)).contains("by hand_1.mp3"), qPrintable(folderEntries(m_jobs->path()).join(' ')));
    }

    // A transcoder, or the 5.1 MP3 encoder, that says it is done but leaves no output, or an
    // empty one: the job has failed, the batch log names the file, and the batch ends with the
    // error report.
    void aJobThatWroteNothingFails_data()
    {
        QTest::addColumn<bool>("surround");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("no output") << false << QByteArray("echo '[00:00:00:10] 5 %'\necho 'Done in 0.1 s.'\nexit 0\n");
        QTest::newRow("empty output") << false << QByteArray(": > \"$out\"\necho 'Done in 0.1 s.'\nexit 0\n");
        QTest::newRow("5.1 MP3, no output") << true << QByteArray("echo 'progress: 100.'\nexit 0\n");
        QTest::newRow("5.1 MP3, empty output") << true << QByteArray(": > \"$3\"\necho 'progress: 100.'\nexit 0\n");
    }
    void aJobThatWroteNothingFails()
    {
        QFETCH(bool, surround);
        QFETCH(QByteArray, body);
        QVERIFY(WriteToneWav(job(QStringLiteral("a.wav")), 1));
        QVERIFY(WriteToneWav(job(QStringLiteral("b.wav")), 1));
        const QByteArray installedAudX = AudXFolder;
        const auto restore = qScopeGuard([installedAudX] { AudXFolder = installedAudX; });
        if (surround) {
            // An encoder folder of its own with the script as "audx.exe".
            const QString folder = job(QStringLiteral("Aud-X"));
            QVERIFY(QDir().mkpath(folder));
            QVERIFY(WriteFile(folder + QStringLiteral("/audx.exe"), "#!/bin/sh\n" + body));
            QVERIFY(QFile::setPermissions(folder + QStringLiteral("/audx.exe"),
                                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
            AudXFolder = folder.toLocal8Bit();
        } else {
            const QString script = fakeTranscoder(body);
            QVERIFY(!script.isEmpty());
            edKandrum()->setText(script);
        }
        addFiles({job(QStringLiteral("a.wav")), job(QStringLiteral("b.wav"))});
        if (surround) {
            form()->rbMP3Ch6->click();
            QVERIFY(form()->rbMP3Ch6->isChecked());
        }
        runBatch();
        const QString missing0 = Text("MAIN", "NoOutputWritten").arg(outputOf(0));
        const QString missing1 = Text("MAIN", "NoOutputWritten").arg(outputOf(1));
        QVERIFY2(!Text("MAIN", "NoOutputWritten").isEmpty() && logRow(missing0) > 0 && logRow(missing1) > logRow(missing0),
                 qPrintable(batchLogDump()));
        QCOMPARE(logIcon(logRow(missing0)), 1);
        verifyFailedReport();
        quit();
        if (surround)
            form()->rbMP3Ch2->setChecked(true);
    }

    // A job that fails says why: the last error line its child printed, also after its
    // progress lines, or, when it printed none, its exit code.
    void aFailedJobSaysWhy_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("reason");
        QByteArray progress;
        for (int i = 1; i <= 150; ++i)
            progress += "echo '[00:00:" + QByteArray::number(i / 100).rightJustified(2, '0') + ':'
                        + QByteArray::number(i % 100).rightJustified(2, '0') + "] 1 %'\n";
        QTest::newRow("error line after progress")
            << progress + "echo 'Error first trouble'\n" + progress + "echo 'Error the encoder refuses 7 Hz'\nexit 3\n"
            << QStringLiteral("Error Error the encoder refuses 7 Hz");
        QTest::newRow("no error line") << progress + "exit 5\n" << QStringLiteral("JobExitCode 5");
        QTest::newRow("killed") << progress + "kill -9 $$\n" << QStringLiteral("JobExitCode 137");
    }
    void aFailedJobSaysWhy()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, reason);
        if (reason.startsWith(QLatin1String("JobExitCode ")))
            reason = Text("MAIN", "JobExitCode").arg(reason.mid(12));
        QVERIFY(!reason.isEmpty());
        QVERIFY(WriteToneWav(job(QStringLiteral("a.wav")), 1));
        const QString script = fakeTranscoder(body);
        QVERIFY(!script.isEmpty());
        edKandrum()->setText(script);
        addFiles({job(QStringLiteral("a.wav"))});
        runBatch();
        const int at = logRow(reason);
        QVERIFY2(at > logRow(QStringLiteral("a.wav --> a.mp3")), qPrintable(batchLogDump()));
        QCOMPARE(logIcon(at), 1);
        QCOMPARE(batchLogTexts().count(reason), 1);
        verifyFailedReport();
        quit();
    }

    // A transcoder that cannot be started: the runner's own message is the job's reason in the
    // batch log, beside its message box, and the next job still runs.
    void aTranscoderThatCannotStartSaysWhy()
    {
        QVERIFY(WriteToneWav(job(QStringLiteral("a.wav")), 1));
        const QString script = fakeTranscoder("exit 0\n");
        QVERIFY(!script.isEmpty());
        QVERIFY(QFile::setPermissions(script, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        edKandrum()->setText(script);
        addFiles({job(QStringLiteral("a.wav"))});
        runBatch();
        QTRY_VERIFY(!m_messages.filter(QStringLiteral("doesn't exist.")).isEmpty());
        const QString reason = m_messages.filter(QStringLiteral("doesn't exist.")).first();
        const int at = logRow(reason);
        QVERIFY2(at > logRow(QStringLiteral("a.wav --> a.mp3")), qPrintable(batchLogDump()));
        QCOMPARE(logIcon(at), 1);
        verifyFailedReport();
        quit();
    }

    // The real transcoder on a full file system: the job fails in the middle, and the batch log
    // says that there was no space left.
    void aFullFileSystemIsTheReasonGiven()
    {
        if (g_smallFolder.isEmpty())
            QSKIP(qPrintable(QStringLiteral("no small file system: ") + g_whyNoSmall));
        const auto empty = qScopeGuard([] {
            for (const QString &f : QDir(g_smallFolder).entryList(QDir::Files | QDir::Hidden | QDir::System))
                QFile::remove(g_smallFolder + QLatin1Char('/') + f);
        });
        QVERIFY(WriteToneWav(job(QStringLiteral("long.wav")), 60));
        addFiles({job(QStringLiteral("long.wav"))});
        // File > Save... puts the output on the small file system.
        const QString target = g_smallFolder + QStringLiteral("/long.mp3");
        TMainForm::SaveDialog1Hook = [target](QWidget *, const QStringList &, const QString &, const QString &) {
            return target;
        };
        form()->Save1Click();
        QCOMPARE(outputOf(0), target);

        runBatch();
        const QString full = QString::fromLocal8Bit(std::strerror(ENOSPC));
        const QStringList reasons = batchLogTexts().filter(full);
        QVERIFY2(!reasons.isEmpty(), qPrintable(batchLogDump()));
        QCOMPARE(logIcon(logRow(reasons.first())), 1);
        verifyFailedReport();
        QVERIFY(!QFileInfo::exists(target));
        quit();
    }

    // An input whose name is as long as names get (a 251-byte stem with ".wav"), run twice: both
    // runs write a whole MP3 with its log, the second under a name cut short before its number,
    // and no temporary file stays; written through unnamed files and through "<name>.part".
    void aLongNameRunsTwice_data()
    {
        QTest::addColumn<QString>("stem");
        QTest::addColumn<bool>("namedPart");
        const QString ascii(251, QLatin1Char('s'));
        QString accented;
        while (QFile::encodeName(accented + QStringLiteral("é")).size() <= 250)
            accented += QStringLiteral("é");
        accented += QLatin1Char('x'); // 251 bytes, mostly two-byte characters
        QTest::newRow("unnamed files") << ascii << false;
        QTest::newRow("named part file") << ascii << true;
        QTest::newRow("two-byte characters") << accented << true;
    }
    void aLongNameRunsTwice()
    {
        QFETCH(QString, stem);
        QFETCH(bool, namedPart);
        QCOMPARE(QFile::encodeName(stem).size(), 251);
        if (namedPart)
            qputenv("KANDRUM_NO_TMPFILE", "1");
        const QString input = job(stem + QStringLiteral(".wav"));
        QVERIFY(WriteToneWav(input, 2));
        addFiles({input});

        QStringList outputs;
        for (int run = 0; run < 2; ++run) {
            runBatch();
            verifyDoneReport();
            outputs << outputOf(0);
            quit();
        }
        QCOMPARE(outputs[0], job(stem + QStringLiteral(".mp3")));
        QVERIFY(outputs[1] != outputs[0]);
        QVERIFY2(FileNamePart(outputs[1]).endsWith(QLatin1String("_1.mp3")), qPrintable(outputs[1]));
        for (const QString &output : outputs) {
            QVERIFY(QFile::encodeName(FileNamePart(output)).size() <= 255);
            QCOMPARE(qRound(Mp3Seconds(output)), 2);
            QVERIFY(ContentOf(output.left(output.size() - 4) + QStringLiteral(".log")).contains("Done in"));
        }
        const QStringList left = folderEntries(m_jobs->path()).filter(QStringLiteral(".part"));
        QVERIFY2(left.isEmpty(), qPrintable(left.join(' ')));
    }

    // An output name that no file system takes, written into a command by hand, is refused at
    // the start of its job, with a message naming the file; nothing runs for it, and the next
    // job runs.
    void aNameThatCannotFitIsRefusedBeforeAnyWork()
    {
        QVERIFY(WriteToneWav(job(QStringLiteral("a.wav")), 1));
        QVERIFY(WriteToneWav(job(QStringLiteral("b.wav")), 1));
        addFiles({job(QStringLiteral("a.wav")), job(QStringLiteral("b.wav"))});
        list()->clearSelection();
        list()->setCurrentItem(row(0));
        row(0)->setSelected(true);
        const QString tooLong = job(QStringLiteral("a.") + QString(300, QLatin1Char('e')));
        editCommand(QString(row(0)->text(jcCmd)).replace(outputOf(0), tooLong));

        runBatch();
        const QString refused = Text("MAIN", "OutputNameTooLong").arg(tooLong);
        const int at = logRow(refused);
        QVERIFY2(!Text("MAIN", "OutputNameTooLong").isEmpty() && at > 0, qPrintable(batchLogDump()));
        QCOMPARE(logIcon(at), 1);
        // Nothing ran for the refused job: no error of the transcoder, no log of its own.
        QVERIFY2(batchLogTexts().filter(QStringLiteral("Error ")).isEmpty(), qPrintable(batchLogDump()));
        QVERIFY(!QFileInfo::exists(job(QStringLiteral("a.log"))));
        QVERIFY(QFileInfo(job(QStringLiteral("b.mp3"))).size() > 0);
        verifyFailedReport();
        quit();
    }
};

int main(int argc, char **argv)
{
    MountSmallFileSystem();
    int result = 0;
    {
        QApplication app(argc, argv);
        TestJobFiles test;
        QTEST_SET_MAIN_SOURCE_PATH
        result = QTest::qExec(&test, argc, argv);
    }
    UnmountSmallFileSystem();
    return result;
}

#include "tst_jobfiles.moc"
