// Times the settings file of the main window: the save at exit (the general section and the
// eight encoder sections, every key an atomic replace of the file) and the load at the first
// showing (which also rebuilds the command line and writes the start-up report).
#include "UMain.h"
#include "ZolvaneApp.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString settings = ProgramFolder() + QStringLiteral("Zolvane.ini");
    QFile::remove(settings);
    {
        QFile file(settings);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write("[Zolvane]\r\nKandrum_path=" ZOLVANE_TRANSCODER_DIR "/Kandrum.exe\r\n");
    }
    std::vector<qint64> loads, saves;
    for (int run = 0; run < 7; ++run) {
        InitZolvaneProcess();
        CreateZolvaneWindows();
        QElapsedTimer timer;
        timer.start();
        MainForm->show();
        loads.push_back(timer.nsecsElapsed() / 1000);
        QCoreApplication::processEvents();
        timer.restart();
        DestroyZolvaneWindows();
        saves.push_back(timer.nsecsElapsed() / 1000);
    }
    std::sort(loads.begin(), loads.end());
    std::sort(saves.begin(), saves.end());
    std::printf("first showing with the settings load: median %lld us\n", static_cast<long long>(loads[3]));
    std::printf("exit with the settings save:          median %lld us\n", static_cast<long long>(saves[3]));
    std::printf("settings file: %lld bytes\n", static_cast<long long>(QFile(settings).size()));
    return 0;
}
