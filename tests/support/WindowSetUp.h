#pragma once

// Setting up the program's windows for the window tests: the screen they are shown on, the
// windows started the way the program starts them, and one test row per language.

#include "LanguageKeys.h"
#include "UMain.h"
#include "ZolvaneApp.h"

#include <QtTest>
#include <QtWidgets>

namespace WindowSetUp {

// One offscreen screen of the given size and density, written into a configuration file under
// `folder`. Called before the application is made: the platform reads it at start. Pixels are
// counted as the screen counts them, without the toolkit's own scaling, so the density given is
// the one the program reads.
inline bool UseOffscreenScreen(const QTemporaryDir &folder, const char *name, int width, int height,
                               int dpi = 96)
{
    const QString config = folder.filePath(QStringLiteral("screen.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QStringLiteral("{\"screens\": [{\"name\": \"%1\", \"x\": 0, \"y\": 0, \"width\": %2, "
                              "\"height\": %3, \"logicalDpi\": %4, \"logicalBaseDpi\": 96, \"dpr\": 1}]}")
                   .arg(QLatin1String(name))
                   .arg(width)
                   .arg(height)
                   .arg(dpi)
                   .toUtf8());
    file.close();
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    qputenv("QT_QPA_PLATFORM", (QStringLiteral("offscreen:configfile=") + config).toLocal8Bit());
    return true;
}

// The windows made as the program makes them, with the build's transcoder in the settings file
// (which keeps the first showing from asking for one) and the build's language folder.
// Returns false when the settings file cannot be written.
inline bool CreateWindowsWithTheBuildsTranscoder()
{
    QFile settings(ProgramFolder() + QStringLiteral("Zolvane.ini"));
    if (!settings.open(QIODevice::WriteOnly))
        return false;
    settings.write("[Zolvane]\r\nKandrum_path=" ZOLVANE_TRANSCODER_DIR "/Kandrum.exe\r\n");
    settings.close();
    InitZolvaneProcess();
    CreateZolvaneWindows();
    MainForm->LanguageFolder = QByteArrayLiteral(ZOLVANE_BIN_DIR "/lang/");
    return true;
}

// The windows gone again, and the settings file with them.
inline void DestroyWindowsAndSettings()
{
    DestroyZolvaneWindows();
    QFile::remove(ProgramFolder() + QStringLiteral("Zolvane.ini"));
}

// A data row per language, named after it, with the object name of its Language menu item in
// the column "item".
inline void AddLanguageItemRows()
{
    QTest::addColumn<QString>("item");
    for (const TLanguageName &name : LanguageNames())
        QTest::newRow(name.Name) << QString::fromLatin1(name.Item);
}

} // namespace WindowSetUp
