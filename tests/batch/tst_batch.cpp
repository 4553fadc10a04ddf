// Batches of the real main window, run through the real console runner and the build's
// transcoder: the start checks, the jobs one after another, the batch log and its final report,
// Stop, the shutdown request, the priority of the jobs, and the progress the transcoder's lines
// drive on the progress frame.

#include "BatchWindow.h"
#include "ProcessMemory.h"
#include "ToneWav.h"
#include "ChildProcess.h"
#include "DosCommand.h"
#include "JobListRules.h"
#include "JobRow.h"
#include "LanguageStrings.h"
#include "MPEGaudio.h"
#include "UEditKDCL.h"
#include "UExeBrowser.h"
#include "UMain.h"
#include "UMainGlobals.h"
#include "UProgress.h"
#include "URessources.h"
#include "ZolvaneApp.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QScopeGuard>
#include <QTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <cmath>
#include <csignal>

#include <sys/resource.h>
#include <unistd.h>

namespace {

struct Message {
    QString text;
    bool error;
};

// One change of the batch log: "+" and the Events text of a new row, "-" and that of a removed one.
struct LogEvent {
    QChar kind;
    QString text;
    int icon;
};

// The nice value of a process, from /proc (field 19 of its stat line).
int NiceOfProcess(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 1000;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    // The fields after the name start with the state (field 3); nice is field 19.
    return fields.size() > 16 ? fields[16].toInt() : 1000;
}

// The children of this process that run the given program.
QList<pid_t> ChildrenNamed(const QByteArray &comm)
{
    QList<pid_t> found;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        bool ok = false;
        const pid_t pid = entry.toInt(&ok);
        if (!ok)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const QByteArray name = line.mid(line.indexOf('(') + 1, line.lastIndexOf(')') - line.indexOf('(') - 1);
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (name == comm && fields.size() > 1 && fields[1].toInt() == getpid())
            found << pid;
    }
    return found;
}

// Whether a process runs: there, and no zombie waiting to be reaped.
bool ProcessRuns(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = stat.readAll();
    const QByteArray state = text.mid(text.lastIndexOf(')') + 2, 1);
    return !state.isEmpty() && state != "Z" && state != "X";
}

} // namespace

class TestBatch : public QObject, public BatchWindowTest
{
    Q_OBJECT

    QTemporaryDir m_long; // the long input, made once
    QString m_longWav;
    QList<Message> m_messages;
    QStringList m_runnerMessages;
    QList<LogEvent> m_log;
    QStringList m_titles;

    void clearList()
    {
        form()->ClearList2Click();
        QCOMPARE(list()->topLevelItemCount(), 0);
    }

    // Starts the batch, with the log's changes and the titles seen from here on, and waits for its
    // final report.
    void runBatch(int timeoutMs = 60000)
    {
        m_log.clear();
        m_titles.clear();
        BatchWindowTest::runBatch(timeoutMs);
    }

    QStringList eventTexts() const
    {
        QStringList out;
        for (const LogEvent &e : m_log)
            out << e.kind + e.text;
        return out;
    }

    int batchLogIcon(int i) const { return batchLog()->topLevelItem(i)->data(0, Qt::UserRole).toInt(); }

    QStringList logWindowTexts() const
    {
        QStringList out;
        if (QTreeWidget *log = LogListView()) {
            for (int i = 0; i < log->topLevelItemCount(); ++i)
                out << log->topLevelItem(i)->text(1);
        }
        return out;
    }

    bool menusEnabled() const
    {
        return form()->File1->isEnabled() && form()->Options->isEnabled() && form()->N1->isEnabled()
               && form()->Presets->isEnabled() && form()->Edit->isEnabled()
               && form()->File1->menuAction()->isEnabled() && form()->Options->menuAction()->isEnabled();
    }

    void quit()
    {
        frame()->SpeedButtonQuit->click();
        QVERIFY(frame()->isHidden());
        QVERIFY(menusEnabled());
        QVERIFY(form()->bbStartProcess->isEnabled());
    }

    // A shell script named Kandrum.exe in a folder of its own under the test's folder, made the
    // transcoder: `body` runs with $out set to the job's output, which it writes itself.
    QString scriptTranscoder(const QString &folder, const QByteArray &body)
    {
        const QString path = m_jobs->filePath(folder + QStringLiteral("/Kandrum.exe"));
        if (!QDir().mkpath(QFileInfo(path).path()))
            return QString();
        QFile script(path);
        if (!script.open(QIODevice::WriteOnly))
            return QString();
        script.write("#!/bin/sh\n"
                     "while [ $# -gt 0 ]; do [ \"$1\" = -output ] && out=$2; shift; done\n"
                     + body);
        script.close();
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
        edKandrum()->setText(path);
        return path;
    }

    // Runs `action` with the toolkit's own message boxes and answers each box it shows with OK;
    // returns the icon and text of every box, in order.
    QList<QPair<QMessageBox::Icon, QString>> realMessageBoxes(const std::function<void()> &action)
    {
        QList<QPair<QMessageBox::Icon, QString>> seen;
        const auto hook = TMainForm::MessageHook;
        TMainForm::MessageHook = nullptr;
        QTimer poll;
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, this, [&seen] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                if (box->isVisible() && box->button(QMessageBox::Ok)) {
                    seen << qMakePair(box->icon(), box->text());
                    box->button(QMessageBox::Ok)->click();
                }
            }
        });
        poll.start();
        action();
        poll.stop();
        TMainForm::MessageHook = hook;
        return seen;
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == MainForm && event->type() == QEvent::WindowTitleChange)
            m_titles << MainForm->windowTitle();
        return QObject::eventFilter(watched, event);
    }

private slots:
    void initTestCase()
    {
        startInAFolderOfItsOwn();
        InitZolvaneProcess();
        CreateZolvaneWindows();
        QVERIFY(MainForm && ExeBrowse);
        MainForm->installEventFilter(this);

        TMainForm::MessageHook = [this](QWidget *, const QString &text, bool error) {
            m_messages << Message{text, error};
        };
        TDosCommand::SetMessageHook([this](const QString &, const QString &text) { m_runnerMessages << text; });

        // The message texts, each its own key, so that every row shows where it comes from.
        UseKeysAsTexts();

        edKandrum()->setText(Transcoder());
        // MP3 in stereo through the transcoder's LAME block.
        form()->PageControl1->setCurrentWidget(form()->TabSheet4);
        form()->rbMP3Ch2->setChecked(true);

        QObject::connect(batchLog()->model(), &QAbstractItemModel::rowsInserted, this,
                         [this](const QModelIndex &, int first, int last) {
                             for (int i = first; i <= last; ++i) {
                                 QTreeWidgetItem *item = batchLog()->topLevelItem(i);
                                 m_log << LogEvent{QLatin1Char('+'), item->text(2), item->data(0, Qt::UserRole).toInt()};
                             }
                         });
        QObject::connect(batchLog()->model(), &QAbstractItemModel::rowsAboutToBeRemoved, this,
                         [this](const QModelIndex &, int first, int last) {
                             for (int i = first; i <= last; ++i) {
                                 QTreeWidgetItem *item = batchLog()->topLevelItem(i);
                                 m_log << LogEvent{QLatin1Char('-'), item->text(2), item->data(0, Qt::UserRole).toInt()};
                             }
                         });

        QVERIFY(m_long.isValid());
        m_longWav = m_long.filePath(QStringLiteral("long tone.wav"));
        QVERIFY(WriteToneWav(m_longWav, 300));
    }

    void init()
    {
        m_messages.clear();
        m_runnerMessages.clear();
        edKandrum()->setText(Transcoder());
        frame()->chShutdown->setChecked(false);
        form()->chOTAMode->setChecked(false);
        form()->PageControl1->setCurrentWidget(form()->TabSheet4);
        form()->rbMP3Ch2->setChecked(true);
        form()->Normal1->trigger();
    }

    void cleanup()
    {
        endTheBatch();
        clearList();
    }

    void tickedRowsRunOneAfterAnother()
    {
        const QStringList inputs =
            freshInputs({"tools/tone_stereo.ogg", "tools/short.mp3", "tools/stereo8k.wav", "tools/mono1.wav"});
        addFiles(inputs);
        QCOMPARE(list()->topLevelItemCount(), 4);
        row(1)->setCheckState(jcCheck, Qt::Unchecked);
        const QString marker = m_jobs->filePath(QStringLiteral("shut down"));
        qputenv("ZOLVANE_SHUTDOWN_COMMAND", "touch '" + marker.toLocal8Bit() + "'");
        frame()->chShutdown->setChecked(true);
        form()->chOTAViewKDCL->setChecked(true);

        runBatch();

        QVERIFY(!form()->chOTAViewKDCL->isChecked()); // the command-line viewer closes for the batch
        QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.value(0).text));
        const QString r = QStringLiteral("TranscodingRunning");
        const QString job0 = QStringLiteral("tone_stereo.ogg --> ") + row(0)->text(jcOutputFilename);
        const QString job2 = QStringLiteral("stereo8k.wav --> ") + row(2)->text(jcOutputFilename);
        const QString job3 = QStringLiteral("mono1.wav --> ") + row(3)->text(jcOutputFilename);
        // Each job's status row goes when the job ends, before the next job begins; the unticked
        // row leaves no trace.
        QCOMPARE(eventTexts(), (QStringList{"+TranscodingStarted", "+" + job0, "+" + r, "-" + r, "+" + job2, "+" + r,
                                            "-" + r, "+" + job3, "+" + r, "-" + r, "+TranscodingFinished"}));
        QCOMPARE(batchLogTexts(), (QStringList{"TranscodingStarted", job0, job2, job3, "TranscodingFinished"}));
        for (int i = 0; i < batchLog()->topLevelItemCount(); ++i)
            QCOMPARE(batchLogIcon(i), 0);
        // The options column shows the encoder's switches from the job's command line.
        QVERIFY(row(0)->text(jcCmd).contains(QStringLiteral(" -lame(") + batchLog()->topLevelItem(1)->text(3) + " )"));
        QVERIFY(!batchLog()->topLevelItem(1)->text(3).isEmpty());

        QVERIFY(QFileInfo(outputOf(0)).size() > 0);
        QVERIFY(!QFileInfo::exists(outputOf(1)));
        QVERIFY(QFileInfo(outputOf(2)).size() > 0);
        QVERIFY(QFileInfo(outputOf(3)).size() > 0);
        QCOMPARE(form()->RowIndex, 4);

        // The log window got one entry per job.
        const QStringList logged = logWindowTexts();
        for (const QString &job : {job0, job2, job3})
            QVERIFY2(logged.filter(job).size() == 1, qPrintable(job));

        // Final report of a good batch.
        QCOMPARE(hint(), QStringLiteral("Done"));
        QVERIFY(frame()->SpeedButtonStop->isHidden());
        QVERIFY(!frame()->SpeedButtonQuit->isHidden());
        QVERIFY(!form()->Timer1->isActive());
        QVERIFY(!form()->Timer2->isActive());
        QCOMPARE(frame()->ProgressBar1->value(), 0);
        QCOMPARE(frame()->ProgressBar2->value(), 0);
        QCOMPARE(form()->windowTitle(), QStringLiteral("Zolvane"));
        QCOMPARE(ApplicationTitle(), QStringLiteral("Zolvane"));
        QVERIFY(form()->bbStartProcess->isEnabled());
        QVERIFY(!menusEnabled()); // until Quit
        // Every job succeeded and the box was ticked: the computer is asked to shut down.
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(marker), 10000);

        quit();
        QCOMPARE(list()->currentItem(), row(3));
    }

    void aFailedJobMakesTheBatchFail()
    {
        const QStringList inputs = freshInputs({"tools/tone_stereo.ogg", "tools/stereo8k.wav", "tools/mono2.wav"});
        addFiles(inputs);
        QCOMPARE(list()->topLevelItemCount(), 3);
        // The middle input disappears before the batch: its job fails at once.
        QVERIFY(QFile::remove(inputs[1]));
        const QString marker = m_jobs->filePath(QStringLiteral("shut down"));
        qputenv("ZOLVANE_SHUTDOWN_COMMAND", "touch '" + marker.toLocal8Bit() + "'");
        frame()->chShutdown->setChecked(true);
        const int logRowsBefore = logWindowTexts().size();

        runBatch();

        // The job after the failed one still ran.
        QVERIFY(QFileInfo(outputOf(0)).size() > 0);
        QVERIFY(!QFileInfo::exists(outputOf(1)));
        QVERIFY(QFileInfo(outputOf(2)).size() > 0);

        const QStringList texts = batchLogTexts();
        // The transcoder's error line is in the batch log, marked as an error.
        const int errorRow = texts.indexOf(QRegularExpression(QStringLiteral("^Error .*stereo8k.*")));
        QVERIFY2(errorRow > 0, qPrintable(texts.join(QLatin1Char('|'))));
        QCOMPARE(batchLogIcon(errorRow), 1);
        QVERIFY(texts.contains(QStringLiteral("mono2.wav --> ") + row(2)->text(jcOutputFilename)));
        // The final report of a failed batch: two error rows, two error entries in the log window.
        QCOMPARE(texts.mid(texts.size() - 2), (QStringList{"TranscodingError", "TranscodingError2"}));
        QCOMPARE(batchLogIcon(texts.size() - 1), 1);
        QCOMPARE(batchLogIcon(texts.size() - 2), 1);
        QVERIFY(!texts.contains(QStringLiteral("TranscodingFinished")));
        const QStringList logged = logWindowTexts().mid(logRowsBefore);
        QCOMPARE(logged.filter(QRegularExpression(QStringLiteral("TranscodingError$"))).size(), 1);
        QCOMPARE(logged.filter(QStringLiteral("TranscodingError2")).size(), 1);
        QCOMPARE(form()->ParseCounter, 100);

        QVERIFY(!form()->bbStartProcess->isEnabled()); // until Quit
        QVERIFY(!frame()->SpeedButtonQuit->isHidden());
        QVERIFY(!form()->Timer1->isActive());
        // No shutdown after a failed batch.
        QTest::qWait(300);
        QVERIFY(!QFileInfo::exists(marker));
        quit();
    }

    void aTranscoderThatCannotStartFailsEveryJob()
    {
        addFiles(freshInputs({"tools/stereo8k.wav", "tools/mono4.wav"}));
        // A file of that name that is no program.
        QFile notAProgram(m_jobs->filePath(QStringLiteral("Kandrum.exe")));
        QVERIFY(notAProgram.open(QIODevice::WriteOnly));
        notAProgram.write("not a program\n");
        notAProgram.close();
        QVERIFY(notAProgram.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        edKandrum()->setText(notAProgram.fileName());
        runBatch();
        // The runner tells for each job that the program is not there; the batch ends as failed.
        // Each message follows its job's end notice, so the last one may come after the batch ends.
        QTRY_COMPARE(m_runnerMessages.size(), 2);
        QVERIFY(m_runnerMessages[0].endsWith(QStringLiteral(" doesn't exist.")));
        const QStringList texts = batchLogTexts();
        QCOMPARE(texts.mid(texts.size() - 2), (QStringList{"TranscodingError", "TranscodingError2"}));
        QCOMPARE(form()->RowIndex, 2);
        quit();
    }

    void aListDurationThatIsNoNumberStopsTheStart()
    {
        // A row put into the list directly: the hidden duration label still reads its layout text.
        auto *job = new QTreeWidgetItem;
        job->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        job->setCheckState(jcCheck, Qt::Checked);
        job->setText(jcFilename, QStringLiteral("x.wav"));
        list()->addTopLevelItem(job);
        form()->ListDuration = 0.0;
        QCOMPARE(form()->Label1->text(), QStringLiteral("Label1"));
        form()->bbStartProcessClick();
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(m_messages[0].error);
        QVERIFY(!form()->BatchRunning());
        QVERIFY(frame()->isHidden());
        QVERIFY(!form()->Timer1->isActive());

        // "Duration: " and a whole number: it becomes the list's duration.
        form()->Label1->setText(QStringLiteral("Duration: 42"));
        edKandrum()->setText(QString()); // refused next, so nothing runs
        form()->bbStartProcessClick();
        QCOMPARE(form()->ListDuration, 42.0);
    }

    void stopAbortsTheBatch()
    {
        const QStringList inputs = freshInputs({m_longWav, "tools/stereo8k.wav"});
        addFiles(inputs);
        QCOMPARE(list()->topLevelItemCount(), 2);
        const int logRowsBefore = logWindowTexts().size();

        m_log.clear();
        form()->bbStartProcessClick();
        QVERIFY(form()->BatchRunning());
        QVERIFY(!frame()->SpeedButtonStop->isHidden());
        QCOMPARE(hint(), QStringLiteral("Cancel"));
        // While it runs, the menus are locked and Start does nothing more.
        QVERIFY(!menusEnabled());
        QVERIFY(!form()->bbStartProcess->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(form()->DosCommand1->Lines().size() > 3, 20000);
        QVERIFY(form()->DosCommand1->IsRunning());
        const int eventsBefore = m_log.size();
        // The command-line editor's Run reaches the start by name; a second launch does nothing.
        QVERIFY(QMetaObject::invokeMethod(form(), "bbStartProcessClick"));
        QCOMPARE(m_log.size(), eventsBefore);

        frame()->SpeedButtonStop->click();

        QVERIFY(!form()->BatchRunning());
        QCOMPARE(hint(), QStringLiteral("Aborted"));
        QCOMPARE(form()->RowIndex, 0);
        const QStringList texts = batchLogTexts();
        QCOMPARE(texts.last(), QStringLiteral("TranscodingAborted"));
        QCOMPARE(batchLogIcon(texts.size() - 1), 1);
        QVERIFY(!texts.contains(QStringLiteral("TranscodingRunning"))); // the stopped job's status row went
        QCOMPARE(logWindowTexts().mid(logRowsBefore).filter(QStringLiteral("TranscodingAborted")).size(), 1);
        QVERIFY(frame()->SpeedButtonStop->isHidden());
        QVERIFY(!frame()->SpeedButtonQuit->isHidden());
        QVERIFY(!form()->Timer1->isActive());
        QVERIFY(!form()->Timer2->isActive());
        QCOMPARE(form()->windowTitle(), QStringLiteral("Zolvane"));

        // The stopped job's end notice starts nothing: no further row, no second job.
        const QStringList after = batchLogTexts();
        QTest::qWait(1500);
        QCOMPARE(batchLogTexts(), after);
        QVERIFY(!form()->DosCommand1->IsRunning());
        QVERIFY(!QFileInfo::exists(outputOf(1)));
        // The transcoder leaves no part of a stopped output.
        QVERIFY(!QFileInfo::exists(outputOf(0)));
        quit();
    }

    // Stop asks the job to end before it kills it, and the runner takes away what a killed job
    // left: no partial output stays, also where the transcoder has to write "<output>.part"
    // (folders whose file system has no unnamed files; the stand-in's switch takes that path).
    void stopLeavesNoPartialOutput()
    {
        qputenv("KANDRUM_NO_TMPFILE", "1");
        const auto restore = qScopeGuard([] { qunsetenv("KANDRUM_NO_TMPFILE"); });

        // The real transcoder: it takes its ".part" away itself when asked to end.
        addFiles(freshInputs({m_longWav}));
        QString output = outputOf(0);
        form()->bbStartProcessClick();
        QTRY_VERIFY_WITH_TIMEOUT(form()->DosCommand1->Lines().size() > 3, 20000);
        QVERIFY(QFileInfo::exists(output + QStringLiteral(".part")));
        frame()->SpeedButtonStop->click();
        QCOMPARE(hint(), QStringLiteral("Aborted"));
        QTRY_VERIFY_WITH_TIMEOUT(ChildrenNamed("Kandrum.exe").isEmpty(), 10000);
        QTRY_VERIFY(!QFileInfo::exists(output + QStringLiteral(".part")));
        QVERIFY(!QFileInfo::exists(output));
        quit();
        clearList();

        // A transcoder that does not end when asked is killed, and the runner removes its ".part".
        const QStringList inputs = freshInputs({"tools/stereo8k.wav", "tools/mono1.wav"});
        const QString deaf = m_jobs->filePath(QStringLiteral("deaf/Kandrum.exe"));
        QVERIFY(QDir().mkpath(QFileInfo(deaf).path()));
        QFile script(deaf);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\n"
                     "trap '' TERM\n"
                     "while [ $# -gt 0 ]; do [ \"$1\" = -output ] && out=$2; shift; done\n"
                     "printf partial > \"$out.part\"\n"
                     "echo '[00:00:00:10] 1 %'\n"
                     "while :; do sleep 1; done\n");
        script.close();
        QVERIFY(script.setPermissions(script.permissions() | QFileDevice::ExeOwner));
        addFiles(inputs);
        edKandrum()->setText(deaf);
        output = outputOf(0);
        form()->bbStartProcessClick();
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(output + QStringLiteral(".part")), 10000);
        frame()->SpeedButtonStop->click();
        QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(output + QStringLiteral(".part")), 10000);
        QVERIFY(!QFileInfo::exists(output));
        quit();
    }

    // Stop in the middle of a batch, Quit and Start again at once: the new batch runs every ticked
    // row to a complete output, the stopped job's leftovers take nothing from it, and no ".part"
    // stays, also where the transcoder has to write one.
    void startAgainRightAfterStop()
    {
        qputenv("KANDRUM_NO_TMPFILE", "1");
        const auto restore = qScopeGuard([] { qunsetenv("KANDRUM_NO_TMPFILE"); });
        const QStringList inputs = freshInputs({m_longWav, "tools/stereo8k.wav"});
        addFiles(inputs);
        QCOMPARE(list()->topLevelItemCount(), 2);
        const QString first = outputOf(0);
        form()->bbStartProcessClick();
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(first + QStringLiteral(".part")), 20000);
        frame()->SpeedButtonStop->click();
        quit();
        runBatch(120000);
        QCOMPARE(hint(), QStringLiteral("Done"));
        // The stopped job left no output, but its log stays: the new job writes beside it.
        QVERIFY(QFileInfo::exists(ChangeFileExt(first, QStringLiteral(".log"))));
        QCOMPARE(outputOf(0), ChangeFileExt(first, QString()) + QStringLiteral("_1.mp3"));
        for (int i = 0; i < 2; ++i) {
            TMPEGaudio mp3;
            QVERIFY2(mp3.ReadFromFile(outputOf(i).toLocal8Bit().toStdString()) && mp3.Valid(), qPrintable(outputOf(i)));
        }
        QTRY_VERIFY_WITH_TIMEOUT(ChildrenNamed("Kandrum.exe").isEmpty(), 10000);
        const QStringList parts = QDir(m_jobs->path()).entryList({QStringLiteral("*.part*")}, QDir::Files);
        QVERIFY2(parts.isEmpty(), qPrintable(parts.join(' ')));
        quit();
    }

    // A command line edited by hand belongs to the row it was edited on: the other rows run their
    // own inputs, and clearing the list drops the edit.
    void aHandEditBelongsToItsRow()
    {
        m_jobs.reset(new QTemporaryDir);
        const QString a = m_jobs->filePath(QStringLiteral("a.wav"));
        const QString b = m_jobs->filePath(QStringLiteral("b.wav"));
        QVERIFY(WriteToneWav(a, 2));
        QVERIFY(WriteToneWav(b, 5));
        addFiles({a, b});
        QCOMPARE(list()->topLevelItemCount(), 2);
        QVERIFY(row(0)->isSelected());

        // View & Edit Kandrum Command Line: the user writes another output name into the first
        // row's command and leaves the editor.
        form()->chOTAViewKDCL->setChecked(true);
        QVERIFY(KDCL->isVisible());
        auto *editor = KDCL->findChild<QTextEdit *>(QStringLiteral("RichEdit1"));
        QVERIFY(editor);
        QCOMPARE(editor->toPlainText(), row(0)->text(jcCmd));
        const QString byHand = m_jobs->filePath(QStringLiteral("by hand.mp3"));
        QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
        QFocusEvent out(QEvent::FocusOut, Qt::MouseFocusReason);
        QApplication::sendEvent(editor, &in);
        editor->setPlainText(row(0)->text(jcCmd).replace(outputOf(0), byHand));
        QApplication::sendEvent(editor, &out);
        QVERIFY(row(0)->text(jcCmd).contains(byHand));

        // The second row, clicked, shows its own command; leaving the editor unchanged there is
        // no edit.
        list()->clearSelection();
        list()->setCurrentItem(row(1));
        row(1)->setSelected(true);
        form()->InputListViewClick();
        QCOMPARE(editor->toPlainText(), row(1)->text(jcCmd));
        QApplication::sendEvent(editor, &in);
        QApplication::sendEvent(editor, &out);
        QVERIFY(!row(1)->text(jcCmd).contains(byHand));
        QVERIFY(row(1)->text(jcCmd).contains(b));

        runBatch();
        QCOMPARE(hint(), QStringLiteral("Done"));
        const auto secondsOf = [](const QString &path) {
            TMPEGaudio mp3;
            return mp3.ReadFromFile(path.toLocal8Bit().toStdString()) && mp3.Valid() ? mp3.Duration() : -1.0;
        };
        QCOMPARE(qRound(secondsOf(byHand)), 2);
        QVERIFY(!QFileInfo::exists(outputOf(0)));
        QCOMPARE(qRound(secondsOf(outputOf(1))), 5);
        // The batch log names the file each job really wrote: the hand-edited row its own.
        QVERIFY(batchLogTexts().contains(QStringLiteral("a.wav --> by hand.mp3")));
        QVERIFY(batchLogTexts().contains(QStringLiteral("b.wav --> ") + QFileInfo(outputOf(1)).fileName()));
        quit();

        // Start again: the edited command runs once more, and writes a new file beside the first
        // run's output, not over it; the log names the file written.
        QFile firstRun(byHand);
        QVERIFY(firstRun.open(QIODevice::ReadOnly));
        const QByteArray firstBytes = firstRun.readAll();
        firstRun.close();
        const QString again = m_jobs->filePath(QStringLiteral("by hand_1.mp3"));
        runBatch();
        QCOMPARE(hint(), QStringLiteral("Done"));
        QCOMPARE(qRound(secondsOf(again)), 2);
        QVERIFY(firstRun.open(QIODevice::ReadOnly));
        QCOMPARE(firstRun.readAll(), firstBytes);
        firstRun.close();
        QVERIFY2(batchLogTexts().contains(QStringLiteral("a.wav --> by hand_1.mp3")), qPrintable(batchLogTexts().join('|')));
        quit();

        // Clearing the list drops the edit: the same file added again is built from the options.
        clearList();
        addFiles({a});
        form()->KDCmdl();
        QVERIFY(!row(0)->text(jcCmd).contains(byHand));
        QVERIFY(row(0)->text(jcCmd).contains(QStringLiteral("-input \"") + a + QLatin1Char('"')));
    }

    // A file chosen with File > Save... for a row whose command was edited by hand is the one its
    // job writes; the rest of the edit stands.
    void theSaveDialogNamesTheOutputOfAnEditedCommand()
    {
        m_jobs.reset(new QTemporaryDir);
        const QString a = m_jobs->filePath(QStringLiteral("a.wav"));
        QVERIFY(WriteToneWav(a, 2));
        addFiles({a});
        form()->chOTAViewKDCL->setChecked(true);
        auto *editor = KDCL->findChild<QTextEdit *>(QStringLiteral("RichEdit1"));
        QVERIFY(editor);
        const QString byHand = m_jobs->filePath(QStringLiteral("by hand.mp3"));
        const QString edited = row(0)->text(jcCmd).replace(outputOf(0), byHand) + QStringLiteral(" ");
        QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
        QFocusEvent out(QEvent::FocusOut, Qt::MouseFocusReason);
        QApplication::sendEvent(editor, &in);
        editor->setPlainText(edited);
        QApplication::sendEvent(editor, &out);
        QCOMPARE(row(0)->text(jcCmd), edited);

        const QString saved = m_jobs->filePath(QStringLiteral("saved name.mp3"));
        TMainForm::SaveDialog1Hook = [saved](QWidget *, const QStringList &, const QString &, const QString &) {
            return saved;
        };
        const auto noHook = qScopeGuard([] { TMainForm::SaveDialog1Hook = nullptr; });
        list()->setCurrentItem(row(0));
        row(0)->setSelected(true);
        form()->Save1Click();
        QCOMPARE(row(0)->text(jcCmd), QString(edited).replace(byHand, saved));

        runBatch();
        QCOMPARE(hint(), QStringLiteral("Done"));
        TMPEGaudio mp3;
        QVERIFY2(mp3.ReadFromFile(saved.toLocal8Bit().toStdString()) && mp3.Valid(), qPrintable(saved));
        QVERIFY(!QFileInfo::exists(byHand));
        QVERIFY(batchLogTexts().contains(QStringLiteral("a.wav --> saved name.mp3")));
        quit();
    }

    // While a batch runs the list keeps its rows: the pop-up menu's Clear List and Remove
    // Unchecked, drops and the side dialogs' loads are refused, so that every ticked row runs
    // exactly once.
    void theListKeepsItsRowsWhileABatchRuns()
    {
        m_jobs.reset(new QTemporaryDir);
        QStringList inputs;
        for (const char *name : {"skipped.wav", "a.wav", "b.wav", "c.wav"}) {
            inputs << m_jobs->filePath(QLatin1String(name));
            QVERIFY(WriteToneWav(inputs.last(), 2));
        }
        const QString extra = m_jobs->filePath(QStringLiteral("extra.wav"));
        QVERIFY(WriteToneWav(extra, 1));
        const QString listFile = m_jobs->filePath(QStringLiteral("more.lst"));
        {
            QFile lst(listFile);
            QVERIFY(lst.open(QIODevice::WriteOnly));
            lst.write("\"" + extra.toLocal8Bit() + "\"\r\n");
        }
        addFiles(inputs);
        QCOMPARE(list()->topLevelItemCount(), 4);
        row(0)->setCheckState(jcCheck, Qt::Unchecked);
        QList<QTreeWidgetItem *> rowsBefore;
        for (int i = 0; i < 4; ++i)
            rowsBefore << row(i);
        m_messages.clear();
        m_log.clear();

        form()->bbStartProcessClick();
        QVERIFY(form()->BatchRunning());
        // The pop-up menu offers no item that takes rows away...
        emit list()->customContextMenuRequested(QPoint(5, 5));
        QVERIFY(!form()->ClearList2->isEnabled());
        QVERIFY(!form()->RemoveUnchecked2->isEnabled());
        form()->TntPopupMenu1->hide();
        // ...and reached all the same, they change nothing; nor do a drop and a load.
        form()->RemoveUnchecked2Click();
        form()->ClearList2Click();
        QMimeData dropped;
        dropped.setUrls({QUrl::fromLocalFile(extra)});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form(), &enter);
        QVERIFY(!enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form(), &drop);
        form()->OpenKDTFile(listFile.toLocal8Bit()); // what the list writer's and the mux wizard's loads call
        QCOMPARE(list()->topLevelItemCount(), 4);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(row(i), rowsBefore[i]);
        QVERIFY(!m_messages.isEmpty());

        QTRY_VERIFY_WITH_TIMEOUT(!form()->BatchRunning(), 60000);
        QCOMPARE(hint(), QStringLiteral("Done"));
        // Each ticked row ran once, the unticked one never.
        QStringList jobs = eventTexts().filter(QStringLiteral(" --> "));
        QCOMPARE(jobs.size(), 3);
        for (int i = 1; i < 4; ++i) {
            QCOMPARE(jobs.filter(QFileInfo(inputs[i]).fileName() + QStringLiteral(" --> ")).size(), 1);
            QVERIFY(QFileInfo(outputOf(i)).size() > 0);
        }
        QVERIFY(!QFileInfo::exists(outputOf(0)));

        // After the batch the list is the user's again.
        quit();
        form()->RemoveUnchecked2Click();
        QCOMPARE(list()->topLevelItemCount(), 3);
        emit list()->customContextMenuRequested(QPoint(5, 5));
        QVERIFY(form()->ClearList2->isEnabled());
        form()->TntPopupMenu1->hide();
    }

    void progressOfARealRun()
    {
        const QStringList inputs = freshInputs({m_longWav, "tools/stereo8k.wav", "tools/tone_stereo.ogg"});
        addFiles(inputs);
        QCOMPARE(list()->topLevelItemCount(), 3);

        struct Sample {
            int job, filePos, fileMax, batchPos, batchMax;
            QString fileLabel, batchLabel, elapsed, remaining, totalElapsed, totalRemaining;
        };
        QList<Sample> samples;
        QTimer sampler;
        sampler.setInterval(20);
        const QString grabPath = qEnvironmentVariable("ZOLVANE_BATCH_GRAB");
        bool grabbed = false;
        connect(&sampler, &QTimer::timeout, this, [&] {
            if (!form()->BatchRunning())
                return;
            TProgressFrame *f = frame();
            samples << Sample{form()->RowIndex, f->ProgressBar1->value(), f->ProgressBar1->maximum(), f->ProgressBar2->value(),
                              f->ProgressBar2->maximum(), f->lbPercentCurrentTrack->text(), f->lbTotalPercent->text(),
                              f->lbElapsedVal->text(), f->lbRemainingVal->text(), f->lbTotalElapsedVal->text(),
                              f->lbTotalRemainingVal->text()};
            if (!grabPath.isEmpty() && !grabbed && f->ProgressBar1->value() * 2 > f->ProgressBar1->maximum()
                && f->lbElapsedVal->text() != QLatin1String("00:00:00")) {
                grabbed = f->grab().save(grabPath);
            }
        });
        sampler.start();
        runBatch();
        sampler.stop();

        QVERIFY(!samples.isEmpty());
        const QRegularExpression time(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d$"));
        const QRegularExpression filePercent(QStringLiteral("^\\d+,00 %$"));
        const QRegularExpression batchPercent(QStringLiteral("^\\d+\\.\\d\\d %$"));
        int lastFilePos = 0;
        bool sawFileMax = false, sawPercent = false;
        for (const Sample &s : samples) {
            QVERIFY(time.match(s.elapsed).hasMatch());
            QVERIFY(time.match(s.remaining).hasMatch());
            QVERIFY(time.match(s.totalElapsed).hasMatch());
            QVERIFY(time.match(s.totalRemaining).hasMatch());
            QVERIFY(filePercent.match(s.fileLabel).hasMatch());
            QVERIFY(s.batchLabel == QLatin1String("00,00 %") || batchPercent.match(s.batchLabel).hasMatch());
            // The file bar keeps its place from an earlier batch until the first handled line of
            // this one, which is when the total bar (at 0 at every batch end) moves too.
            if (s.job == 0 && s.batchPos > 0) {
                // The long file: the reader's 300 s; the batch: 301.5 s, a half to the even.
                sawFileMax = true;
                QCOMPARE(s.fileMax, 300);
                QCOMPARE(s.batchMax, 302);
                QVERIFY(s.filePos >= lastFilePos);
                lastFilePos = s.filePos;
                if (s.filePos > 0) {
                    sawPercent = true;
                    QCOMPARE(s.fileLabel, QString::number(std::nearbyint(s.filePos * 100.0 / 300)) + ",00 %");
                    QCOMPARE(s.batchPos, s.filePos);
                }
            }
        }
        QVERIFY(sawFileMax);
        QVERIFY(sawPercent);
        // The handled lines come every 7 s of audio: the last one is within 7 s of the end.
        QVERIFY2(lastFilePos >= 290, qPrintable(QString::number(lastFilePos)));
        // The title followed the file's percentage.
        QVERIFY(m_titles.filter(QRegularExpression(QStringLiteral("^[1-9]\\d*,00 % - Zolvane$"))).size() > 3);
        QCOMPARE(m_titles.last(), QStringLiteral("Zolvane"));
        QCOMPARE(hint(), QStringLiteral("Done"));
        if (!grabPath.isEmpty())
            qInfo("progress frame grabbed: %s", grabbed ? qPrintable(grabPath) : "no (run too short)");
        quit();
    }

    void secondPassOfAPreGainJobShowsTheRunningRow()
    {
        // Seven seconds: seventy progress lines a pass, so the line that opens the second pass is
        // the 71st and is handled, and so is the last line of the second pass.
        freshInputs({});
        const QString seven = m_jobs->filePath(QStringLiteral("seven.wav"));
        QVERIFY(WriteToneWav(seven, 7));
        addFiles({seven});
        form()->chOTAMode->setChecked(true);
        form()->cbOTAMode->setCurrentIndex(form()->cbOTAMode->findText(QStringLiteral("PreGain")));
        form()->KDCmdl();
        QVERIFY(row(0)->text(jcCmd).contains(QStringLiteral(" -ota( -g max )")));
        QList<int> fileBar, batchBar;
        {
            QObject guard;
            QObject::connect(frame()->ProgressBar1, &QProgressBar::valueChanged, &guard, [&](int v) { fileBar << v; });
            QObject::connect(frame()->ProgressBar2, &QProgressBar::valueChanged, &guard, [&](int v) { batchBar << v; });
            runBatch();
        }
        const QString job = QStringLiteral("seven.wav --> ") + row(0)->text(jcOutputFilename);
        QCOMPARE(eventTexts(), (QStringList{"+TranscodingStarted", "+" + job, "+PreGainProcess", "-PreGainProcess",
                                            "+TranscodingRunning", "-TranscodingRunning", "+TranscodingFinished"}));
        // The opening line of the second pass finds the bars at 0, its last line (7 s) brings
        // both to their end, and the final report sets them back to 0.
        QCOMPARE(fileBar, (QList<int>{7, 0}));
        QCOMPARE(batchBar, (QList<int>{7, 0}));
        QCOMPARE(frame()->ProgressBar1->maximum(), 7);
        QCOMPARE(frame()->ProgressBar2->maximum(), 7);
        QVERIFY(m_titles.contains(QStringLiteral("00,00 % - Zolvane"))); // a bar at its end reads 00,00 %
        quit();
    }

    void transcoderMustBeNamedExactly_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("lower case") << QStringLiteral(ZOLVANE_TRANSCODER_DIR "/kandrum.exe");
        QTest::newRow("upper-case extension") << QStringLiteral(ZOLVANE_TRANSCODER_DIR "/Kandrum.EXE");
        QTest::newRow("other name") << QStringLiteral(ZOLVANE_TRANSCODER_DIR "/Kandrum.exe.old");
        QTest::newRow("empty") << QString();
    }

    void transcoderMustBeNamedExactly()
    {
        QFETCH(QString, path);
        addFiles(freshInputs({"tools/stereo8k.wav"}));
        edKandrum()->setText(path);
        form()->bbStartProcessClick();
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages[0].text, QStringLiteral("NoKandrum"));
        QVERIFY(!m_messages[0].error);
        QVERIFY(!form()->BatchRunning());
        QVERIFY(frame()->isHidden());
        QVERIFY(menusEnabled());
        QVERIFY(!form()->Timer1->isActive());
        QVERIFY(!form()->DosCommand1->IsRunning());
    }

    // A transcoder path that names no file is told as such, on a page that needs helper files as
    // on one that needs none: no helper is blamed and no batch starts.
    void aMissingTranscoderIsToldBeforeAnyHelperFile_data()
    {
        QTest::addColumn<QString>("page");
        QTest::newRow("AC3 through Aften") << QStringLiteral("TabSheet2");
        QTest::newRow("VORBIS") << QStringLiteral("TabSheet5");
    }

    void aMissingTranscoderIsToldBeforeAnyHelperFile()
    {
        QFETCH(QString, page);
        addFiles(freshInputs({"tools/stereo8k.wav"}));
        TMainForm *f = form();
        QTabBar *tabs = f->PageControl1->tabBar();
        QWidget *sheet = f->findChild<QWidget *>(page);
        QVERIFY(sheet);
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(f->PageControl1->indexOf(sheet)).center());
        QCOMPARE(f->PageControl1->currentWidget(), sheet);
        f->rbAften->setChecked(true);
        edKandrum()->setText(m_jobs->filePath(QStringLiteral("no such folder/Kandrum.exe")));
        m_messages.clear();
        m_runnerMessages.clear();
        f->bbStartProcessClick();
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages[0].text, QStringLiteral("NoKandrum"));
        QVERIFY(!f->BatchRunning());
        QVERIFY(frame()->isHidden());
        QVERIFY(menusEnabled());
        QVERIFY(!f->Timer1->isActive());
        QVERIFY(m_runnerMessages.isEmpty());
        QVERIFY(!QFileInfo::exists(m_jobs->filePath(QStringLiteral("stereo8k.log"))));
        f->rbAC3Enc->setChecked(true);
    }

    void missingEncoderFilesRefuseTheBatch()
    {
        // A transcoder folder with only the transcoder and, in capitals, one helper file.
        QTemporaryDir folder;
        QVERIFY(QFile::link(Transcoder(), folder.filePath(QStringLiteral("Kandrum.exe"))));
        QFile helper(folder.filePath(QStringLiteral("KDN.DLL")));
        QVERIFY(helper.open(QIODevice::WriteOnly));
        helper.close();
        addFiles(freshInputs({"tools/stereo8k.wav"}));
        edKandrum()->setText(folder.filePath(QStringLiteral("Kandrum.exe")));

        struct Case {
            QWidget *page;
            std::function<void()> choose;
            QString message;
        };
        TMainForm *f = form();
        const QList<Case> cases = {
            // kdn.dll is found whatever its case; the encoder program is not there.
            {f->TabSheet1, [f] { f->cbAACEncEngine->setCurrentIndex(0); }, "EnhAACIsMissing"},
            {f->TabSheet1, [f] { f->cbAACEncEngine->setCurrentIndex(1); }, "FaacIsMissing"},
            {f->TabSheet1, [f] { f->cbAACEncEngine->setCurrentIndex(3); }, "WAACPlusv2NotFound"},
            {f->TabSheet7, [] {}, "SpeexIsMissing"},
            {f->TabSheet2, [f] { f->rbAften->setChecked(true); }, "AftenisMissing"},
            {f->LosslessTab, [f] { f->cbLosslessEngine->setCurrentIndex(0); }, "FlakeisMissing"},
        };
        for (const Case &c : cases) {
            m_messages.clear();
            f->PageControl1->setCurrentWidget(c.page);
            c.choose();
            f->bbStartProcessClick();
            QCOMPARE(m_messages.size(), 1);
            QCOMPARE(m_messages[0].text, c.message);
            QVERIFY(!f->BatchRunning());
            QVERIFY(frame()->isHidden());
            QVERIFY(menusEnabled());
            QVERIFY(!f->Timer1->isActive());
        }
        f->rbAC3Enc->setChecked(true);
    }

    void startMessagesUseTheirKindsOfBox()
    {
        // The name check and the DTS refusal are information boxes; a missing encoder file is
        // told in a box without an icon.
        QTemporaryDir folder;
        QVERIFY(QFile::link(Transcoder(), folder.filePath(QStringLiteral("Kandrum.exe"))));
        addFiles(freshInputs({"audio/dts_48k_stereo.dts", "tools/stereo8k.wav"}));
        TMainForm *f = form();
        f->PageControl1->setCurrentWidget(f->TabSheet7);

        edKandrum()->setText(folder.filePath(QStringLiteral("kandrum.exe")));
        using Boxes = QList<QPair<QMessageBox::Icon, QString>>;
        QCOMPARE(realMessageBoxes([f] { f->bbStartProcessClick(); }),
                 (Boxes{{QMessageBox::Information, QStringLiteral("NoKandrum")}}));

        edKandrum()->setText(folder.filePath(QStringLiteral("Kandrum.exe")));
        QCOMPARE(realMessageBoxes([f] { f->bbStartProcessClick(); }),
                 (Boxes{{QMessageBox::Information,
                         QStringLiteral("Sorry, some input files are not supported yet. Use Zolvane 0.21\r\n"
                                        "if you want to transcode them.")},
                        {QMessageBox::NoIcon, QStringLiteral("kdnMissing")}}));
        QVERIFY(!f->BatchRunning());
        QVERIFY(menusEnabled());
    }

    void dtsRowsAreRefusedAndTheOthersRun()
    {
        addFiles(freshInputs({"audio/dts_48k_stereo.dts", "tools/stereo8k.wav"}));
        QCOMPARE(list()->topLevelItemCount(), 2);
        QCOMPARE(row(0)->text(jcFilename), QStringLiteral("dts_48k_stereo.dts"));
        m_messages.clear();
        runBatch();
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages[0].text, QStringLiteral("Sorry, some input files are not supported yet. Use Zolvane 0.21"
                                                    "\r\nif you want to transcode them."));
        QCOMPARE(row(0)->checkState(jcCheck), Qt::Unchecked);
        QVERIFY(!QFileInfo::exists(outputOf(0)));
        QVERIFY(QFileInfo(outputOf(1)).size() > 0);
        QCOMPARE(batchLogTexts().last(), QStringLiteral("TranscodingFinished"));
    }

    void aBatchWithNoTickedRowEndsAtOnce()
    {
        addFiles(freshInputs({"tools/stereo8k.wav", "tools/mono3.wav"}));
        form()->CheckNone2Click();
        form()->bbStartProcessClick();
        QVERIFY(!form()->BatchRunning());
        QVERIFY(!form()->DosCommand1->IsRunning());
        QCOMPARE(batchLogTexts(), QStringList{"TranscodingStarted"});
        QVERIFY(menusEnabled());
        QVERIFY(form()->bbStartProcess->isEnabled());
        QVERIFY(!form()->Timer1->isActive());
        QVERIFY(!form()->Timer2->isActive());
        QVERIFY(frame()->SpeedButtonStop->isHidden());
        QVERIFY(!frame()->SpeedButtonQuit->isHidden());
        QVERIFY(!QFileInfo::exists(outputOf(0)));
        quit();
    }

    void listAndMuxRowsSetTheGainModeBeforeTheirCommandLine()
    {
        const QStringList inputs =
            freshInputs({"tools/six.mux", "tools/mono1.wav", "tools/mono2.wav", "tools/mono3.wav", "tools/mono4.wav",
                         "tools/mono5.wav", "tools/mono6.wav", "tools/pair.lst", "tools/tone_stereo.ogg",
                         "tools/short.mp3"});
        // The names inside the mux and list files are relative to the current folder.
        const QString oldCwd = QDir::currentPath();
        QDir::setCurrent(m_jobs->path());
        addFiles({inputs[0]}); // the mux file: one row for the 5.1 input
        QCOMPARE(list()->topLevelItemCount(), 1);
        // A row for the list file itself, as other windows make them.
        auto *lst = new QTreeWidgetItem;
        lst->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        lst->setCheckState(jcCheck, Qt::Checked);
        lst->setText(jcInputPath, m_jobs->path() + "/");
        lst->setText(jcOutputPath, m_jobs->path() + "/");
        lst->setText(jcFilename, QStringLiteral("pair.lst"));
        lst->setText(jcOutputFilename, QStringLiteral("pair.mp3"));
        lst->setText(jcDuration, QStringLiteral("2"));
        list()->addTopLevelItem(lst);

        form()->chOTAMode->setChecked(true);
        form()->cbOTAMode->setCurrentIndex(form()->cbOTAMode->findText(QStringLiteral("PostGain")));
        QStringList commandLines;
        QStringList gainTicked;
        QObject guard;
        QObject::connect(form()->chOTAMode, &QCheckBox::toggled, &guard, [&](bool on) {
            gainTicked << (on ? "on" : "off");
        });
        QTimer watch;
        QByteArray lastCommand;
        connect(&watch, &QTimer::timeout, this, [&] {
            if (form()->DosCommand1->CommandLine != lastCommand) {
                lastCommand = form()->DosCommand1->CommandLine;
                commandLines << QString::fromLocal8Bit(lastCommand);
            }
        });
        watch.start(1);
        runBatch();
        watch.stop();
        QDir::setCurrent(oldCwd);
        if (commandLines.isEmpty() || commandLines.last() != QString::fromLocal8Bit(form()->DosCommand1->CommandLine))
            commandLines << QString::fromLocal8Bit(form()->DosCommand1->CommandLine);

        // The mux row unticked the gain mode before its command was built, the list row ticked it.
        QCOMPARE(gainTicked, (QStringList{"off", "on"}));
        QVERIFY(!row(0)->text(jcCmd).contains(QStringLiteral(" -ota(")));
        // Ticking the gain mode again puts it back to the first entry of the MP3 page's list.
        QVERIFY(row(1)->text(jcCmd).contains(QStringLiteral(" -ota( -hybridgain )")));
        QCOMPARE(commandLines.last(), row(1)->text(jcCmd));
        // Reading the list again measured the job and added no rows to the running batch.
        QCOMPARE(list()->topLevelItemCount(), 2);
        QCOMPARE(form()->RowIndex, 2);
        QVERIFY(QFileInfo(outputOf(0)).size() > 0);
        QVERIFY(QFileInfo(outputOf(1)).size() > 0);
        QCOMPARE(batchLogTexts().last(), QStringLiteral("TranscodingFinished"));
        form()->chOTAMode->setChecked(false);
    }

    void surroundMp3FailureNamesTheChannels()
    {
        addFiles(freshInputs({"tools/stereo8k.wav"}));
        form()->rbMP3Ch6->setChecked(true);
        form()->KDCmdl();
        QVERIFY2(row(0)->text(jcCmd).contains(QStringLiteral("audx.exe")), qPrintable(row(0)->text(jcCmd)));
        const int logRowsBefore = logWindowTexts().size();
        runBatch();
        // The encoder refuses a stereo input.
        const QStringList texts = batchLogTexts();
        QCOMPARE(texts.mid(texts.size() - 2),
                 (QStringList{"Wrong Channels Number...", "Aud-X supports only 6ch files."}));
        QCOMPARE(logWindowTexts().mid(logRowsBefore).filter(QStringLiteral("TranscodingError")).size(), 1);
        quit();
        form()->rbMP3Ch2->setChecked(true);
    }

    void surroundMp3ProgressRunsByThePercentage()
    {
        addFiles(freshInputs({"tools/six.ac3"}));
        form()->rbMP3Ch6->setChecked(true);
        QList<int> fileBar;
        {
            QObject guard;
            QObject::connect(frame()->ProgressBar1, &QProgressBar::valueChanged, &guard, [&](int v) { fileBar << v; });
            runBatch();
        }
        QCOMPARE(batchLogTexts().last(), QStringLiteral("TranscodingFinished"));
        QCOMPARE(frame()->ProgressBar1->maximum(), 100);
        QVERIFY(!fileBar.isEmpty());
        QVERIFY(fileBar.contains(100) || fileBar.last() > 50);
        QVERIFY(m_titles.filter(QRegularExpression(QStringLiteral("^[1-9]\\d*,00 % - Zolvane$"))).size() >= 1);
        quit();
        form()->rbMP3Ch2->setChecked(true);
    }

    // The 5.1 MP3 encoder installed with its name in capitals is accepted by the MP3 page, and
    // every job then runs it by the name it has on disk.
    void surroundMp3EncoderNamedInCapitalsRuns()
    {
        QTemporaryDir encoderFolder;
        QVERIFY(encoderFolder.isValid());
        QVERIFY(QFile::copy(QStringLiteral(ZOLVANE_BIN_DIR "/programfiles/Aud-X/audx.exe"),
                            encoderFolder.filePath(QStringLiteral("AUDX.EXE"))));
        const QByteArray installedFolder = AudXFolder;
        AudXFolder = encoderFolder.path().toLocal8Bit();

        addFiles(freshInputs({"tools/six.ac3"}));
        form()->PageControl1->setCurrentWidget(form()->TabSheet4);
        form()->rbMP3Ch2->setChecked(true);
        form()->rbMP3Ch6->click();
        QVERIFY(form()->rbMP3Ch6->isChecked());
        QVERIFY2(row(0)->text(jcCmd).startsWith(QLatin1Char('"') + encoderFolder.path() + QStringLiteral("/AUDX.EXE\" STDQ ")),
                 qPrintable(row(0)->text(jcCmd)));
        runBatch();
        AudXFolder = installedFolder;

        QCOMPARE(batchLogTexts().last(), QStringLiteral("TranscodingFinished"));
        // The options column of the job's row shows the quality word.
        QCOMPARE(batchLog()->topLevelItem(1)->text(3), QStringLiteral("STDQ"));
        QVERIFY(QFileInfo(outputOf(0)).size() > 0);
        quit();
        form()->rbMP3Ch2->setChecked(true);
    }

    // Last: a lower priority cannot be raised again without privileges.
    // A transcoder that prints 50 MB without a line break: the window keeps the newest part of
    // the line, the job ends as it should, and the program's memory stays flat.
    void anEndlessLineKeepsTheProgramSmall()
    {
        addFiles(freshInputs({"tools/stereo8k.wav"}));
        QVERIFY(!scriptTranscoder(QStringLiteral("endless"),
                                  "head -c 52428800 /dev/zero | tr '\\000' x\n"
                                  "printf ' [00:00:05:00] 50 %%\\n'\n"
                                  "printf done > \"$out\"\n")
                     .isEmpty());
        const long rssBefore = StatusKiB("VmRSS");
        QVERIFY(rssBefore > 0);
        const bool peakReset = ResetPeakMemory();
        long rssMost = rssBefore;
        QTimer sampler;
        connect(&sampler, &QTimer::timeout, this, [&] {
            rssMost = qMax(rssMost, StatusKiB("VmRSS"));
            // Far past the bound: end the batch rather than the machine.
            if (rssMost - rssBefore > 1024 * 1024 && form()->BatchRunning())
                frame()->SpeedButtonStop->click();
        });
        sampler.start(20);
        runBatch(60000);
        sampler.stop();
        if (peakReset)
            rssMost = qMax(rssMost, StatusKiB("VmHWM"));
        QVERIFY2(rssMost - rssBefore < 100 * 1024, qPrintable(QStringLiteral("%1 KiB more").arg(rssMost - rssBefore)));
        QCOMPARE(hint(), QStringLiteral("Done"));
        const QList<QByteArray> lines = form()->DosCommand1->Lines();
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines[0].size(), MaxLineLength);
        QVERIFY(lines[0].endsWith("xx [00:00:05:00] 50 %"));
        quit();
    }

    // A transcoder that leaves a program running in the background and exits 0: that program is
    // gone before the next job starts, and after the batch nothing of either job runs.
    void nothingAJobStartedOutlivesIt()
    {
        addFiles(freshInputs({"tools/stereo8k.wav", "tools/mono1.wav"}));
        const QString seen = m_jobs->filePath(QStringLiteral("seen"));
        QVERIFY(!scriptTranscoder(QStringLiteral("leaves"),
                                  "dir=$(dirname \"$out\")\n"
                                  "for f in \"$dir\"/*.bgpid; do\n"
                                  "  [ -f \"$f\" ] || continue\n"
                                  "  s=$(cut -d' ' -f3 /proc/$(cat \"$f\")/stat 2>/dev/null)\n"
                                  "  case \"$s\" in ''|Z|X) echo gone >> \"$dir/seen\";; *) echo running >> \"$dir/seen\";; esac\n"
                                  "done\n"
                                  "sleep 300 &\n"
                                  "echo $! > \"$dir/job$$.bgpid\"\n"
                                  "echo '[00:00:00:10] 1 %'\n"
                                  "printf done > \"$out\"\n")
                     .isEmpty());
        runBatch();
        QList<pid_t> left;
        const QStringList pidFiles = QDir(m_jobs->path()).entryList({QStringLiteral("*.bgpid")}, QDir::Files);
        for (const QString &name : pidFiles) {
            QFile f(m_jobs->filePath(name));
            QVERIFY(f.open(QIODevice::ReadOnly));
            left << pid_t(f.readAll().trimmed().toInt());
        }
        const auto killLeft = qScopeGuard([&] {
            for (pid_t pid : std::as_const(left))
                if (pid > 0 && ProcessRuns(pid))
                    ::kill(pid, SIGKILL);
        });
        QCOMPARE(left.size(), 2);
        for (pid_t pid : std::as_const(left))
            QVERIFY2(!ProcessRuns(pid), qPrintable(QString::number(pid)));
        QFile seenFile(seen);
        QVERIFY(seenFile.open(QIODevice::ReadOnly));
        QCOMPARE(seenFile.readAll(), QByteArray("gone\n")); // the second job found the first's gone
        QCOMPARE(hint(), QStringLiteral("Done"));
        quit();
    }

    // Lines that come in bursts are shown together, and every one of them is counted: the 71st
    // progress line of a job moves the bars, then every 70th, whatever lines arrive with it.
    void burstsOfLinesKeepTheCountOfProgressLines()
    {
        m_jobs.reset(new QTemporaryDir);
        const QString input = m_jobs->filePath(QStringLiteral("long.wav"));
        QVERIFY(WriteToneWavOf(input, 250000, 8000, 1));
        addFiles({input});
        const QString stepFile = m_jobs->filePath(QStringLiteral("step"));
        // Progress lines stamped 1 s, 2 s, ... N s, in bursts; each burst waits for the test.
        const QByteArray lines = "awk -v a=$1 -v b=$2 'BEGIN { for (i = a; i <= b; i++) printf \"[00:%02d:%02d:00] x\\n\", i / 60, i % 60 }'";
        QVERIFY(!scriptTranscoder(QStringLiteral("bursts"),
                                  "burst() { " + lines + "; }\n"
                                  "waitfor() { while [ \"$(cat '" + stepFile.toLocal8Bit() + "' 2>/dev/null)\" != $1 ]; do sleep 0.05; done; }\n"
                                  "burst 1 141\n"
                                  "waitfor 1\n"
                                  "burst 142 210\n"
                                  "waitfor 2\n"
                                  "burst 211 211\n"
                                  "waitfor 3\n"
                                  "printf done > \"$out\"\n")
                     .isEmpty());
        const auto step = [&](const char *n) {
            QFile f(stepFile);
            return f.open(QIODevice::WriteOnly) && f.write(n) == 1;
        };
        m_log.clear();
        form()->bbStartProcessClick();
        QTRY_COMPARE_WITH_TIMEOUT(form()->DosCommand1->Lines().size(), 141, 10000);
        QTRY_COMPARE(frame()->ProgressBar1->value(), 141);
        QCOMPARE(frame()->ProgressBar1->maximum(), 250);
        QCOMPARE(frame()->lbPercentCurrentTrack->text(), QStringLiteral("56,00 %"));
        QTRY_COMPARE(form()->windowTitle(), QStringLiteral("56,00 % - Zolvane"));
        QVERIFY(step("1"));
        // Lines 142 to 210 are only counted.
        QTRY_COMPARE_WITH_TIMEOUT(form()->DosCommand1->Lines().size(), 210, 10000);
        QTest::qWait(200);
        QCOMPARE(frame()->ProgressBar1->value(), 141);
        QVERIFY(step("2"));
        QTRY_COMPARE(frame()->ProgressBar1->value(), 211);
        QVERIFY(step("3"));
        QTRY_VERIFY_WITH_TIMEOUT(!form()->BatchRunning(), 10000);
        QCOMPARE(hint(), QStringLiteral("Done"));
        quit();
    }

    void priorityItemsChooseTheClassOfJobsAndProgram()
    {
        struct Case {
            QAction *item;
            quint32 cls;
        };
        TMainForm *f = form();
        const QList<Case> cases = {{f->Real1, pcRealTime}, {f->Highest1, pcHigh},   {f->High1, pcAboveNormal},
                                   {f->Normal1, pcNormal}, {f->Lowest1, pcIdle},    {f->Low1, pcBelowNormal}};
        for (const Case &c : cases) {
            c.item->trigger();
            QCOMPARE(f->DosCommand1->Priority, c.cls);
            for (QAction *other : f->Priority->actions())
                QCOMPARE(other->isChecked(), other == c.item);
        }
        // "Low" ticked: the program runs below normal, and so does the job it starts.
        QCOMPARE(getpriority(PRIO_PROCESS, 0), NiceValueForPriorityClass(pcBelowNormal));
        addFiles(freshInputs({m_longWav}));
        f->bbStartProcessClick();
        QTRY_VERIFY_WITH_TIMEOUT(f->DosCommand1->Lines().size() > 2, 20000);
        const QList<pid_t> children = ChildrenNamed("Kandrum.exe");
        QCOMPARE(children.size(), 1);
        QCOMPARE(NiceOfProcess(children[0]), NiceValueForPriorityClass(pcBelowNormal));
        frame()->SpeedButtonStop->click();
        QCOMPARE(hint(), QStringLiteral("Aborted"));
    }

    void cleanupTestCase()
    {
        TMainForm::MessageHook = nullptr;
        TMainForm::OpenDialog1Hook = nullptr;
        TDosCommand::SetMessageHook(nullptr);
        DestroyZolvaneWindows();
    }
};

QTEST_MAIN(TestBatch)
#include "tst_batch.moc"
