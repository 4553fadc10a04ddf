// The command line shown for a row is the one its job runs: the real main window and the
// command-line editor, clicked and typed into as the user does, with a transcoder in front of
// the build's own that writes down the arguments of every job it is started for, and holds a job
// while a ".hold" file stands beside its input, so that the user can act while a batch runs.

#include "BatchWindow.h"
#include "CommandLineSplit.h"
#include "JobRow.h"
#include "KDCmdlGather.h"
#include "LanguageStrings.h"
#include "MPEGaudio.h"
#include "ToneWav.h"
#include "UEditKDCL.h"
#include "UExeBrowser.h"
#include "UMain.h"
#include "UProgress.h"
#include "WAVfile.h"
#include "WindowSetUp.h"
#include "ZolvaneApp.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

namespace {

// The arguments one job was started with, the program first, as the transcoder received them.
using Argv = QList<QByteArray>;

double Mp3Seconds(const QString &path)
{
    TMPEGaudio mp3;
    return mp3.ReadFromFile(path.toLocal8Bit().toStdString()) && mp3.Valid() ? mp3.Duration() : -1.0;
}

double WavSeconds(const QString &path)
{
    TWAVfile wav;
    return wav.ReadFromFile(path.toLocal8Bit().toStdString()) && wav.Valid() ? wav.Duration() : -1.0;
}

} // namespace

class TestShownIsRun : public QObject, public BatchWindowTest
{
    Q_OBJECT

    QTemporaryDir m_wrapper;                // the recording transcoder and its records
    QStringList m_messages;

    QTextEdit *editor() const { return KDCL->findChild<QTextEdit *>(QStringLiteral("RichEdit1")); }
    QString records() const { return m_wrapper.filePath(QStringLiteral("records")); }
    QString wrapperPath() const { return m_wrapper.filePath(QStringLiteral("Kandrum.exe")); }

    // The jobs the transcoder was started for so far, in the order they started.
    QList<Argv> startedJobs() const
    {
        QList<Argv> jobs;
        const QDir dir(records());
        for (const QString &name : dir.entryList({QStringLiteral("job-*")}, QDir::Files, QDir::Name)) {
            QFile f(dir.filePath(name));
            if (!f.open(QIODevice::ReadOnly))
                continue;
            QByteArray content = f.readAll();
            if (content.endsWith('\0'))
                content.chop(1);
            jobs << content.split('\0');
        }
        return jobs;
    }

    // The value that follows `option` among a job's arguments.
    static QString argumentAfter(const Argv &argv, const char *option)
    {
        const qsizetype i = argv.indexOf(QByteArray(option));
        return i >= 0 && i + 1 < argv.size() ? QString::fromLocal8Bit(argv.at(i + 1)) : QString();
    }

    QStringList holdAll()
    {
        QStringList holds;
        for (int i = 0; i < list()->topLevelItemCount(); ++i) {
            holds << row(i)->text(jcInputPath) + row(i)->text(jcFilename) + QStringLiteral(".hold");
            QFile f(holds.last());
            if (!f.open(QIODevice::WriteOnly))
                qWarning("cannot write %s", qPrintable(holds.last()));
        }
        return holds;
    }

    void release(const QStringList &holds)
    {
        for (const QString &hold : holds)
            QFile::remove(hold);
    }

    // A click as the user makes it, on a row of the job list or on a check box.
    void clickRow(int i)
    {
        list()->scrollToItem(row(i));
        const QRect rect = list()->visualItemRect(row(i));
        QVERIFY(rect.isValid());
        // On the file name, clear of the row's check box.
        const QPoint at(list()->header()->sectionViewportPosition(jcFilename) + 20, rect.center().y());
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, at);
        QVERIFY(row(i)->isSelected());
    }

    static void clickBox(QAbstractButton *box)
    {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
    }

    void activate(QWidget *window)
    {
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
    }

    void waitForEnd()
    {
        QTRY_VERIFY_WITH_TIMEOUT(!form()->BatchRunning(), 60000);
    }

private slots:
    void initTestCase()
    {
        startInAFolderOfItsOwn();
        QVERIFY(WindowSetUp::CreateWindowsWithTheBuildsTranscoder());
        TMainForm::MessageHook = [this](QWidget *, const QString &text, bool) { m_messages << text; };

        // The recording transcoder: writes its arguments down, waits while its input's ".hold"
        // file stands, then runs the build's transcoder with the same arguments.
        QVERIFY(m_wrapper.isValid());
        QVERIFY(QDir().mkpath(records()));
        QFile script(wrapperPath());
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\n"
                     "records='" + records().toLocal8Bit() + "'\n"
                     "printf '%s\\0' \"$0\" \"$@\" > \"$records/part.$$\"\n"
                     "mv \"$records/part.$$\" \"$records/job-$(date +%s%N)\"\n"
                     "input=; previous=\n"
                     "for a in \"$@\"; do [ \"$previous\" = -input ] && input=$a; previous=$a; done\n"
                     "while [ -e \"$input.hold\" ]; do sleep 0.05; done\n"
                     "exec '" ZOLVANE_TRANSCODER_DIR "/Kandrum.exe' \"$@\"\n");
        script.close();
        QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

        form()->resize(1000, 700);
        form()->show();
        QVERIFY(QTest::qWaitForWindowExposed(form()));
        UseKeysAsTexts();
    }

    void init()
    {
        m_messages.clear();
        QDir(records()).removeRecursively();
        QVERIFY(QDir().mkpath(records()));
        edKandrum()->setText(wrapperPath());
        form()->chOTAMode->setChecked(false);
        form()->ProgressFrame1->chShutdown->setChecked(false);
        m_jobs.reset(new QTemporaryDir);
        activate(form());
    }

    void cleanup()
    {
        // No job is left waiting.
        if (m_jobs) {
            const QDir dir(m_jobs->path());
            for (const QString &hold : dir.entryList({QStringLiteral("*.hold")}, QDir::Files))
                QFile::remove(dir.filePath(hold));
        }
        endTheBatch();
        if (form()->chOTAViewKDCL->isChecked())
            form()->chOTAViewKDCL->setChecked(false);
        form()->ClearList2Click();
    }

    void cleanupTestCase()
    {
        TMainForm::MessageHook = nullptr;
        WindowSetUp::DestroyWindowsAndSettings();
    }

    // During a batch the user ticks View & Edit, selects the third row and clicks into the
    // editor; the second job starts (the runner selects its row and refills the editor), and the
    // user clicks back on the list. Without typing nothing is edited: each job transcodes its
    // own file. With typing, the typed text stays in the editor through the refill and becomes
    // the third row's command, and only that row's.
    void theEditorMovesNoCommandToAnotherRow_data()
    {
        QTest::addColumn<bool>("typing");
        QTest::newRow("click into the editor only") << false;
        QTest::newRow("type into the editor") << true;
    }

    void theEditorMovesNoCommandToAnotherRow()
    {
        QFETCH(bool, typing);
        form()->PageControl1->setCurrentWidget(form()->TabSheet4);
        form()->rbMP3Ch2->setChecked(true);
        const int seconds[] = {2, 3, 4};
        QStringList inputs;
        for (const char *name : {"slow_a.wav", "slow_b.wav", "slow_c.wav"}) {
            inputs << m_jobs->filePath(QLatin1String(name));
            QVERIFY(WriteToneWav(inputs.last(), seconds[inputs.size() - 1]));
        }
        addFiles(inputs);
        QCOMPARE(list()->topLevelItemCount(), 3);
        const QStringList holds = holdAll();

        QTest::mouseClick(form()->bbStartProcess, Qt::LeftButton);
        QVERIFY(form()->BatchRunning());
        QTRY_COMPARE_WITH_TIMEOUT(startedJobs().size(), 1, 10000);

        clickBox(form()->chOTAViewKDCL);
        QVERIFY(form()->chOTAViewKDCL->isChecked());
        QTRY_VERIFY(KDCL->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(KDCL));
        activate(form());
        clickRow(2);
        QCOMPARE(editor()->toPlainText(), row(2)->text(jcCmd));
        const QString thirdBuilt = row(2)->text(jcCmd);

        activate(KDCL);
        QTest::mouseClick(editor()->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
        QTRY_VERIFY(editor()->hasFocus());
        const QString byHand = m_jobs->filePath(QStringLiteral("by hand.mp3"));
        QString typed;
        if (typing) {
            typed = QString(thirdBuilt).replace(outputOf(2), byHand);
            QVERIFY(typed != thirdBuilt);
            QTest::keyClick(editor(), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(editor(), typed);
            QCOMPARE(editor()->toPlainText(), typed);
        }

        // The second job starts while the user is in the editor.
        release({holds.at(0)});
        QTRY_COMPARE_WITH_TIMEOUT(startedJobs().size(), 2, 10000);
        QVERIFY(row(1)->isSelected());
        if (typing)
            QCOMPARE(editor()->toPlainText(), typed); // the refill threw nothing away
        else
            QCOMPARE(editor()->toPlainText(), row(1)->text(jcCmd));

        // Back on the list.
        activate(form());
        QVERIFY(!editor()->hasFocus());
        clickRow(2);
        release(holds);
        waitForEnd();
        QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join('|')));
        QCOMPARE(form()->ProgressFrame1->SpeedButtonStop->toolTip(), QStringLiteral("Done"));

        // What each job really transcoded.
        const QList<Argv> jobs = startedJobs();
        QCOMPARE(jobs.size(), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(argumentAfter(jobs.at(i), "-input"), inputs.at(i));
        QVERIFY(!JobRowHasHandEdit(row(0)));
        QVERIFY(!JobRowHasHandEdit(row(1)));
        QCOMPARE(JobRowHasHandEdit(row(2)), typing);
        if (typing)
            QCOMPARE(argumentAfter(jobs.at(2), "-output"), byHand);
        const QString third = typing ? byHand : outputOf(2);
        for (int i = 0; i < 3; ++i) {
            const QString output = i == 2 ? third : outputOf(i);
            QVERIFY2(qRound(Mp3Seconds(output)) == seconds[i],
                     qPrintable(QStringLiteral("%1: %2 s").arg(output).arg(Mp3Seconds(output))));
        }
        QCOMPARE(QDir(m_jobs->path()).entryList({QStringLiteral("*.mp3")}, QDir::Files).size(), 3);
    }

    // Rows "b.wav" and "c DELAY 500ms.wav", added together, selected one after the other with the
    // mouse: the delay option shows each row's delay as its job applies it, and the viewer's text
    // for each row is the command line its job is started with, as the user left the option.
    void theViewerShowsTheCommandEachJobRuns_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<bool>("bTicked");
        QTest::addColumn<QString>("bDelay");
        QTest::addColumn<bool>("cTicked");
        QTest::addColumn<double>("bSeconds");
        QTest::addColumn<double>("cSeconds");
        QTest::newRow("nothing chosen") << "" << false << "0" << true << 2.0 << 2.5;
        QTest::newRow("box unticked by hand on c") << "untick on c" << false << "0" << false << 2.0 << 2.0;
        QTest::newRow("delay typed on b") << "type on b" << true << "250" << true << 2.25 << 2.5;
    }

    void theViewerShowsTheCommandEachJobRuns()
    {
        QFETCH(QString, choice);
        QFETCH(bool, bTicked);
        QFETCH(QString, bDelay);
        QFETCH(bool, cTicked);
        QFETCH(double, bSeconds);
        QFETCH(double, cSeconds);
        form()->PageControl1->setCurrentWidget(form()->TabSheet6);
        form()->rbWAVOutput->setChecked(true);
        form()->rbWAVOutput2->setChecked(true);
        const QString b = m_jobs->filePath(QStringLiteral("b.wav"));
        const QString c = m_jobs->filePath(QStringLiteral("c DELAY 500ms.wav"));
        QVERIFY(WriteToneWav(b, 2));
        QVERIFY(WriteToneWav(c, 2));
        addFiles({b, c});
        QCOMPARE(list()->topLevelItemCount(), 2);
        clickBox(form()->chOTAViewKDCL);
        QTRY_VERIFY(KDCL->isVisible());
        activate(form());

        if (choice == QLatin1String("untick on c")) {
            clickRow(1);
            QVERIFY(form()->chOTADelay->isChecked());
            clickBox(form()->chOTADelay);
            QVERIFY(!form()->chOTADelay->isChecked());
        } else if (choice == QLatin1String("type on b")) {
            clickRow(0);
            QVERIFY(!form()->chOTADelay->isChecked());
            clickBox(form()->chOTADelay);
            QVERIFY(form()->edOTADelay->isEnabled());
            form()->edOTADelay->setFocus();
            QTest::keyClick(form()->edOTADelay, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(form()->edOTADelay, QStringLiteral("250"));
            QTest::keyClick(form()->edOTADelay, Qt::Key_Tab);
        }

        clickRow(0);
        QCOMPARE(form()->chOTADelay->isChecked(), bTicked);
        QCOMPARE(form()->edOTADelay->isEnabled(), bTicked);
        QCOMPARE(form()->edOTADelay->text(), bDelay);
        const QString shownB = editor()->toPlainText();
        QCOMPARE(shownB, row(0)->text(jcCmd));
        clickRow(1);
        QCOMPARE(form()->chOTADelay->isChecked(), cTicked);
        QCOMPARE(form()->edOTADelay->isEnabled(), cTicked);
        if (cTicked)
            QCOMPARE(form()->edOTADelay->text(), QStringLiteral("500"));
        const QString shownC = editor()->toPlainText();
        QCOMPARE(shownC, row(1)->text(jcCmd));
        // A row selected with the keys shows the same.
        list()->setFocus();
        QTest::keyClick(list(), Qt::Key_Up);
        QVERIFY(row(0)->isSelected());
        QCOMPARE(form()->chOTADelay->isChecked(), bTicked);
        QCOMPARE(editor()->toPlainText(), shownB);
        QTest::keyClick(list(), Qt::Key_Down);
        QVERIFY(row(1)->isSelected());
        QCOMPARE(form()->chOTADelay->isChecked(), cTicked);
        QCOMPARE(editor()->toPlainText(), shownC);

        QTest::mouseClick(form()->bbStartProcess, Qt::LeftButton);
        waitForEnd();
        QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join('|')));
        QCOMPARE(form()->ProgressFrame1->SpeedButtonStop->toolTip(), QStringLiteral("Done"));

        const QList<Argv> jobs = startedJobs();
        QCOMPARE(jobs.size(), 2);
        QCOMPARE(jobs.at(0), SplitCommandLine(shownB.toLocal8Bit()));
        QCOMPARE(jobs.at(1), SplitCommandLine(shownC.toLocal8Bit()));
        QVERIFY2(qAbs(WavSeconds(outputOf(0)) - bSeconds) < 0.0005, qPrintable(QString::number(WavSeconds(outputOf(0)))));
        QVERIFY2(qAbs(WavSeconds(outputOf(1)) - cSeconds) < 0.0005, qPrintable(QString::number(WavSeconds(outputOf(1)))));

        // After the batch each row still shows the delay its job ran with.
        form()->ProgressFrame1->SpeedButtonQuit->click();
        clickRow(0);
        QCOMPARE(form()->chOTADelay->isChecked(), bTicked);
        QCOMPARE(form()->edOTADelay->text(), bDelay);
        clickRow(1);
        QCOMPARE(form()->chOTADelay->isChecked(), cTicked);
    }
};

QTEST_MAIN(TestShownIsRun)
#include "tst_shown_is_run.moc"
