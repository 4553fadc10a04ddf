// Every option change rebuilds the selected job's command, so a dragged slider runs the
// builder once per step. Times the grammar alone and the whole rebuild on the program's
// windows with a job list of 2000 rows.
#include "JobRow.h"
#include "KDCmdlGather.h"
#include "KDCmdlGrammar.h"
#include "ZolvaneApp.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTabWidget>
#include <QTreeWidget>

#include <cstdio>

namespace {

QWidget *mainWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qstrcmp(w->metaObject()->className(), "TMainForm") == 0)
            return w;
    return nullptr;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);

    KDCmdlSnapshot s;
    s.activePage = KDPage::MP3;
    s.rowCount = 1;
    s.hasSelectedRow = true;
    s.selectedRow = {QStringLiteral("/music/albums/"), QStringLiteral("track 01.ac3"),
                     QStringLiteral("/music/out/"), QStringLiteral("track 01.mp3")};
    s.chBoost = s.chSSRC = s.chOTADelay = true;
    const int grammarRuns = 100000;
    QElapsedTimer timer;
    timer.start();
    qsizetype total = 0;
    for (int i = 0; i < grammarRuns; ++i) {
        s.MP3TrackBar_Quality = i % 10;
        total += KDCmdlBuild(s).rowCmd.size();
    }
    const double grammarUs = timer.nsecsElapsed() / 1000.0 / grammarRuns;

    CreateZolvaneWindows();
    QWidget *main = mainWindow();
    auto *list = main ? main->findChild<QTreeWidget *>(QStringLiteral("InputListView")) : nullptr;
    if (!list) {
        std::printf("no job list on the main window\n");
        return 1;
    }
    for (int i = 0; i < 2000; ++i) {
        auto *row = new QTreeWidgetItem(list);
        row->setText(jcInputPath, QStringLiteral("/music/albums/"));
        row->setText(jcFilename, QStringLiteral("track %1.ac3").arg(i));
        row->setText(jcOutputPath, QStringLiteral("/music/out/"));
        row->setText(jcOutputFilename, QStringLiteral("track %1.mp3").arg(i));
    }
    list->topLevelItem(1999)->setSelected(true);
    const int rebuildRuns = 2000;
    timer.restart();
    for (int i = 0; i < rebuildRuns; ++i)
        KDCmdlRun();
    const double rebuildUs = timer.nsecsElapsed() / 1000.0 / rebuildRuns;

    std::printf("grammar alone: %.1f us per command (%lld characters in all)\n", grammarUs,
                static_cast<long long>(total));
    std::printf("whole rebuild on the windows, 2000 rows, last selected: %.1f us\n", rebuildUs);
    std::printf("controls not found: %lld\n", static_cast<long long>(KDCmdlMissingControls().size()));
    DestroyZolvaneWindows();
    return 0;
}
