// The program's own processor time while one long job runs: a stand-in transcoder writes
// progress lines at a steady pace (bench/batch/pace.cpp) and the main window shows them. Reports
// the CPU time of this process (all its threads, children excluded) as a share of one core, the
// child's for comparison, and how evenly the file bar moved. Run with QT_QPA_PLATFORM=offscreen;
// the arguments are the job's length in seconds (default 20; 600 for a ten-minute job) and the
// lines a second (default 1000).
#include "ToneWav.h"
#include "UExeBrowser.h"
#include "UMain.h"
#include "UProgress.h"
#include "ZolvaneApp.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

namespace {

double Seconds(const timeval &t)
{
    return double(t.tv_sec) + double(t.tv_usec) / 1e6;
}

double CpuSeconds(int who)
{
    rusage u{};
    getrusage(who, &u);
    return Seconds(u.ru_utime) + Seconds(u.ru_stime);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 20;
    const int rate = argc > 2 ? std::max(1, QByteArray(argv[2]).toInt()) : 1000;

    QTemporaryDir dir;
    const QString tool = dir.filePath(QStringLiteral("Kandrum.exe"));
    if (!QFile::link(QStringLiteral(PACE_PROGRAM), tool))
        return 1;
    const QString input = dir.filePath(QStringLiteral("long.wav"));
    if (!WriteToneWavOf(input, qint64(seconds) * 1000, 8000, 1))
        return 1;
    qputenv("ZOLVANE_PACE_SECONDS", QByteArray::number(seconds));
    qputenv("ZOLVANE_PACE_RATE", QByteArray::number(rate));

    CreateZolvaneWindows();
    ExeBrowse->findChild<QLineEdit *>(QStringLiteral("edKandrum"))->setText(tool);
    MainForm->PageControl1->setCurrentWidget(MainForm->TabSheet6); // WAV/PCM
    TMainForm::OpenDialog1Hook = [&](QWidget *, const QStringList &, int) { return QStringList{input}; };
    MainForm->Open1Click();

    // How evenly the file bar moves: its number of moves and the longest time without one.
    QProgressBar *bar = MainForm->ProgressFrame1->ProgressBar1;
    QElapsedTimer wall;
    qint64 lastMove = 0, longestGap = 0;
    int moves = 0;
    QObject::connect(bar, &QProgressBar::valueChanged, [&](int) {
        const qint64 now = wall.elapsed();
        if (moves > 0)
            longestGap = std::max(longestGap, now - lastMove);
        lastMove = now;
        ++moves;
    });

    const double selfBefore = CpuSeconds(RUSAGE_SELF);
    wall.start();
    MainForm->bbStartProcessClick();
    // The steady part of the job, without the start of the batch: from its second second on.
    double selfSteady = -1, wallSteady = 0;
    QTimer::singleShot(1000, [&] {
        selfSteady = CpuSeconds(RUSAGE_SELF);
        wallSteady = double(wall.nsecsElapsed()) / 1e9;
    });
    // A real event loop that sleeps until something happens; a slow check ends it.
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (!MainForm->BatchRunning())
            loop.quit();
    });
    check.start(100);
    loop.exec();
    const double wallSeconds = double(wall.nsecsElapsed()) / 1e9;
    const double selfAfter = CpuSeconds(RUSAGE_SELF);
    const double self = selfAfter - selfBefore;
    const double steady = selfSteady >= 0 ? 100.0 * (selfAfter - selfSteady) / (wallSeconds - wallSteady) : 0;
    const double child = CpuSeconds(RUSAGE_CHILDREN);
    const QString outcome = MainForm->ProgressFrame1->SpeedButtonStop->toolTip();

    std::printf("one job of %d s at %d lines/s: wall %.1f s; program %.2f s CPU = %.2f %% of one core "
                "(%.2f %% from the second second on); child %.2f s CPU; file bar moved %d times, longest "
                "still %lld ms; outcome: %s\n",
                seconds, rate, wallSeconds, self, 100.0 * self / wallSeconds, steady, child, moves,
                static_cast<long long>(longestGap), qPrintable(outcome));
    TMainForm::OpenDialog1Hook = nullptr;
    DestroyZolvaneWindows();
    return 0;
}
