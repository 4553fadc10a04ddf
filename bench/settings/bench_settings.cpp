// Times the settings file of the main window: the load at the first showing (which also rebuilds
// the command line and writes the start-up report) and the save at exit (the general section and
// the eight encoder sections), once with a small file and once with a file of about 5.5 MB that
// holds many keys of other programs, which every save has to keep.
#include "UMain.h"
#include "ZolvaneApp.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

bool WriteStartFile(const QString &settings, bool withForeignKeys)
{
    QFile::remove(settings);
    QFile file(settings);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray bytes = "[Zolvane]\r\nKandrum_path=" ZOLVANE_TRANSCODER_DIR "/Kandrum.exe\r\n";
    if (withForeignKeys) {
        // Keys of other programs in the program's own section and in 60 sections of their own.
        const QByteArray filler = "a value that some other program keeps here";
        for (int i = 0; i < 20000; ++i)
            bytes += "ForeignKey" + QByteArray::number(i) + '=' + filler + "\r\n";
        for (int s = 0; s < 60; ++s) {
            bytes += "\r\n[Foreign" + QByteArray::number(s) + "]\r\n";
            for (int i = 0; i < 1400; ++i)
                bytes += "Key" + QByteArray::number(i) + '=' + filler + "\r\n";
        }
    }
    return file.write(bytes) == bytes.size();
}

bool Measure(const char *name, bool withForeignKeys, int runs)
{
    const QString settings = ProgramFolder() + QStringLiteral("Zolvane.ini");
    if (!WriteStartFile(settings, withForeignKeys))
        return false;
    const qint64 startSize = QFile(settings).size();
    std::vector<qint64> loads, saves, totals;
    for (int run = 0; run < runs; ++run) {
        InitZolvaneProcess();
        CreateZolvaneWindows();
        // The language files of the build, as the program finds its own beside it.
        MainForm->LanguageFolder = QByteArrayLiteral(ZOLVANE_BIN_DIR "/lang/");
        QElapsedTimer timer;
        timer.start();
        MainForm->show();
        const qint64 load = timer.nsecsElapsed() / 1000;
        QCoreApplication::processEvents();
        timer.restart();
        DestroyZolvaneWindows();
        const qint64 save = timer.nsecsElapsed() / 1000;
        loads.push_back(load);
        saves.push_back(save);
        totals.push_back(load + save);
    }
    std::sort(loads.begin(), loads.end());
    std::sort(saves.begin(), saves.end());
    std::sort(totals.begin(), totals.end());
    const size_t mid = size_t(runs) / 2;
    std::printf("%s (file of %lld bytes at the start, %lld at the end, %d runs)\n", name,
                static_cast<long long>(startSize), static_cast<long long>(QFile(settings).size()), runs);
    std::printf("  first showing with the settings load: median %lld us\n", static_cast<long long>(loads[mid]));
    std::printf("  exit with the settings save:          median %lld us\n", static_cast<long long>(saves[mid]));
    std::printf("  start and exit together:              median %lld us\n", static_cast<long long>(totals[mid]));
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (!Measure("small settings file", false, 7))
        return 1;
    if (!Measure("settings file with many foreign keys", true, 3))
        return 1;
    return 0;
}
