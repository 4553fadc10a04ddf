// Times the job list on a folder of many small inputs: the folder add (one scan of the folder,
// every file probed into a row, every row named), the output naming of all rows when every
// first-choice name already exists in the output folder, the engine choice of the AAC page (which
// names every row for the engine chosen), and clearing the list. Run with QT_QPA_PLATFORM=offscreen.
// Without arguments it runs at 1,000, 10,000 and 30,000 files; a first argument gives one count of
// its own, an optional second argument a folder to fill and keep, so that runs after the first (or
// a profiler) see only the window's work.
#include "JobRow.h"
#include "UMain.h"
#include "ZolvaneApp.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

namespace {

// One run at `count` files in `path`; false when the folder add missed a file.
bool RunAt(int count, const QString &path)
{
    QDir().mkpath(path);
    const QDir dir(path);
    const QString source = QStringLiteral(ZOLVANE_FIXTURES_DIR "/audio/wav_sox_8k_stereo_s16.wav");
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("take%1").arg(i, 5, 10, QLatin1Char('0'));
        if (QFile::exists(dir.filePath(name + QStringLiteral(".mp3"))))
            continue;
        QFile::copy(source, dir.filePath(name + QStringLiteral(".wav")));
        // Earlier outputs: every job's first-choice name is taken.
        QFile(dir.filePath(name + QStringLiteral(".mp3"))).open(QIODevice::WriteOnly);
    }

    TMainForm::OpenDirDialogHook = [&](QWidget *) { return dir.path(); };
    MainForm->PageControl1->setCurrentWidget(MainForm->TabSheet4);

    QElapsedTimer timer;
    timer.start();
    MainForm->AddDirClick();
    const qint64 addMs = timer.restart();
    MainForm->InOutFileName(QByteArray());
    const qint64 nameMs = timer.restart();
    const int rows = MainForm->InputListView->topLevelItemCount();
    const QString last = rows ? MainForm->InputListView->topLevelItem(rows - 1)->text(jcOutputFilename) : QString();
    MainForm->PageControl1->setCurrentWidget(MainForm->TabSheet1);
    timer.restart();
    const int engine = MainForm->cbAACEncEngine->currentIndex() == 1 ? 3 : 1;
    MainForm->cbAACEncEngine->setCurrentIndex(engine);
    emit MainForm->cbAACEncEngine->activated(engine); // as the user's choice in the list does
    const qint64 engineMs = timer.restart();
    MainForm->ClearList2Click();
    const qint64 clearMs = timer.restart();
    TMainForm::OpenDirDialogHook = nullptr;

    std::printf("files %d, rows %d, last output %s\n", count, rows, qPrintable(last));
    std::printf("folder add %lld ms, naming %lld ms, engine choice %lld ms, clear %lld ms\n",
                static_cast<long long>(addMs), static_cast<long long>(nameMs), static_cast<long long>(engineMs),
                static_cast<long long>(clearMs));
    std::fflush(stdout);
    return rows == count;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    std::vector<int> counts{1000, 10000, 30000};
    if (argc > 1)
        counts = {QByteArray(argv[1]).toInt()};
    CreateZolvaneWindows();
    bool ok = true;
    for (int count : counts) {
        QTemporaryDir temporary;
        ok = RunAt(count, argc > 2 ? QString::fromLocal8Bit(argv[2]) : temporary.path()) && ok;
    }
    DestroyZolvaneWindows();
    return ok ? 0 : 1;
}
