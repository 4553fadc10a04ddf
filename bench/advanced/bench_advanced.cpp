// The advanced dialog reads its 36 settings every time it is shown and writes them every time it
// closes; each write replaces the settings file. Times both with one selected job, flipping every
// box between runs so that each showing changes every control and rebuilds the command line.
#include "DialogSupport.h"
#include "IniFile.h"
#include "JobRow.h"
#include "UAdvanced.h"
#include "UMain.h"
#include "ZolvaneApp.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QTreeWidget>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    InitZolvaneProcess();
    QFile::remove(SettingsFilePath());
    CreateZolvaneWindows();
    auto *list = MainForm->findChild<QTreeWidget *>(QStringLiteral("InputListView"));
    auto *row = new QTreeWidgetItem(list);
    row->setText(jcInputPath, QStringLiteral("/music/"));
    row->setText(jcFilename, QStringLiteral("track.dts"));
    row->setText(jcOutputPath, QStringLiteral("/out/"));
    row->setText(jcOutputFilename, QStringLiteral("track.mp3"));
    row->setSelected(true);
    TAdvancedSet::MessageHook = [](QWidget *, const QString &, bool) {};

    const QList<QCheckBox *> boxes = AdvancedSet->findChildren<QCheckBox *>();
    const int runs = 200;
    qint64 loadNs = 0, saveNs = 0;
    QElapsedTimer timer;
    for (int i = 0; i < runs; ++i) {
        for (QCheckBox *box : boxes) {
            box->setEnabled(true);
            box->setChecked(i % 2 == 0);
        }
        timer.start();
        AdvancedSet->FormClose();
        saveNs += timer.nsecsElapsed();
        for (QCheckBox *box : boxes)
            box->setChecked(i % 2 != 0);
        timer.start();
        AdvancedSet->FormShow();
        loadNs += timer.nsecsElapsed();
    }
    std::printf("advanced dialog: load %.2f ms, save %.2f ms (mean of %d)\n", loadNs / 1e6 / runs,
                saveNs / 1e6 / runs, runs);
    DestroyZolvaneWindows();
    QFile::remove(SettingsFilePath());
    return 0;
}
