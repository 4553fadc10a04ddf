// Times the reading of the transcoder's output: the line parser alone on a million progress
// lines, then batches of long WAV inputs (ten progress lines per second of audio) through the
// main window, the runner and the transcoder, against the same command lines run by the
// transcoder alone. Run with QT_QPA_PLATFORM=offscreen; the arguments are the number of jobs
// (default 4) and the minutes of audio per job (default 10).
#include "ToneWav.h"
#include "JobRow.h"
#include "OutputParse.h"
#include "UExeBrowser.h"
#include "UMain.h"
#include "UProgress.h"
#include "ZolvaneApp.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QEventLoop>
#include <QTreeWidget>

#include <cmath>
#include <cstdio>

#include "CommandLineSplit.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int jobs = argc > 1 ? QByteArray(argv[1]).toInt() : 4;
    const int minutes = argc > 2 ? QByteArray(argv[2]).toInt() : 10;

    // The parser alone.
    {
        QStringList lines;
        for (int i = 0; i < 6000; ++i)
            lines << QStringLiteral("[00:%1:%2:50] %3 %").arg(i / 600, 2, 10, QLatin1Char('0'))
                         .arg(i / 10 % 60, 2, 10, QLatin1Char('0')).arg(i / 60);
        KandrumJobContext job;
        job.FileName = QStringLiteral("take.wav");
        job.FileSeconds = 600;
        job.ListDuration = 2400;
        ProgressFrameState state;
        QElapsedTimer timer;
        timer.start();
        const int rounds = 167;
        for (int r = 0; r < rounds; ++r) {
            state.ParseCounter = 0;
            for (const QString &line : lines)
                ApplyKandrumLine(state, line, job);
        }
        const qint64 ns = timer.nsecsElapsed();
        std::printf("parser: %d lines in %lld ms, %.0f ns per line\n", rounds * 6000,
                    static_cast<long long>(ns / 1000000), double(ns) / (rounds * 6000.0));
    }

    QTemporaryDir dir;
    QStringList inputs;
    for (int i = 0; i < jobs; ++i) {
        const QString path = dir.filePath(QStringLiteral("take%1.wav").arg(i));
        if (!WriteToneWav(path, minutes * 60))
            return 1;
        inputs << path;
    }

    CreateZolvaneWindows();
    ExeBrowse->findChild<QLineEdit *>(QStringLiteral("edKandrum"))
        ->setText(QStringLiteral(ZOLVANE_TRANSCODER_DIR "/Kandrum.exe"));
    MainForm->PageControl1->setCurrentWidget(MainForm->TabSheet6); // WAV/PCM: little encoding work
    TMainForm::OpenDialog1Hook = [&](QWidget *, const QStringList &, int) { return inputs; };
    MainForm->Open1Click();

    // The same command lines, run by the transcoder alone (output read and dropped).
    QStringList commands;
    for (int i = 0; i < jobs; ++i) {
        MainForm->InputListView->setCurrentItem(MainForm->InputListView->topLevelItem(i));
        MainForm->KDCmdl();
        commands << MainForm->InputListView->topLevelItem(i)->text(jcCmd);
    }
    QElapsedTimer timer;
    timer.start();
    for (const QString &cmd : commands) {
        QList<QByteArray> argv8 = SplitCommandLine(cmd.toLocal8Bit());
        QProcess p;
        QStringList args;
        for (int a = 1; a < argv8.size(); ++a)
            args << QString::fromLocal8Bit(argv8[a]);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QString::fromLocal8Bit(argv8.value(0)), args);
        p.waitForFinished(-1);
        p.readAll();
    }
    const qint64 aloneMs = timer.restart();
    for (const QString &cmd : commands) {
        const QList<QByteArray> argv8 = SplitCommandLine(cmd.toLocal8Bit());
        QFile::remove(QString::fromLocal8Bit(argv8.value(argv8.indexOf("-output") + 1)));
    }

    MainForm->bbStartProcessClick();
    // A real event loop, which sleeps while nothing happens; a slow check ends it.
    {
        QEventLoop loop;
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (!MainForm->BatchRunning())
                loop.quit();
        });
        check.start(20);
        if (MainForm->BatchRunning())
            loop.exec();
    }
    const qint64 batchMs = timer.restart();
    const QString last = MainForm->ProgressFrame1->SpeedButtonStop->toolTip(); // "Done" or "Error"

    std::printf("%d jobs of %d min (%d progress lines each): transcoder alone %lld ms, batch %lld ms "
                "(%.1f %% more); outcome: %s\n",
                jobs, minutes, minutes * 600, static_cast<long long>(aloneMs), static_cast<long long>(batchMs),
                aloneMs ? 100.0 * double(batchMs - aloneMs) / double(aloneMs) : 0.0, qPrintable(last));
    TMainForm::OpenDialog1Hook = nullptr;
    DestroyZolvaneWindows();
    return 0;
}
