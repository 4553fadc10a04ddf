// Start-up and exit of the whole program, run as main() runs it: ZolvaneSession() creates the
// windows, runs the event loop (which shows the main window first) and destroys the windows.
//
// The program keeps its settings file beside the executable, so this test copies itself into a
// folder of its own and runs from there: parallel tests never share a settings file.
#include "UAbout.h"
#include "UAdvanced.h"
#include "UExeBrowser.h"
#include "UMain.h"
#include "LanguageStrings.h"
#include "URessources.h"
#include "UZolvaneLog.h"
#include "ZolvaneApp.h"

#include "../services/PEImageBuilder.h"

#include <QtTest>
#include <QtWidgets>

#include <clocale>
#include <cstdio>
#include <functional>

#include <sys/wait.h>
#include <unistd.h>

namespace {

// What one session saw.
struct SessionLog {
    QStringList modalDialogs;   // objectNames of the modal dialogs shown, in order
    QStringList destroyed;      // class names of the windows in the order they were destroyed
    QStringList created;
    QString title;
    QString applicationTitle;
    QString localeNumber;
    QString cNumber;
    bool delayTickedAtExit = false;
    QString aboutVersion;
    QString displayNameWhileTitled;
};

// Runs one session. `onDialog` sees every modal dialog before it is closed; `whileRunning` runs
// once, when the main window is up and no dialog is open, and must end the session.
SessionLog RunSession(const std::function<void(QDialog *)> &onDialog,
                      const std::function<void()> &whileRunning)
{
    SessionLog log;
    bool done = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            log.modalDialogs << modal->objectName();
            if (auto *dialog = qobject_cast<QDialog *>(modal)) {
                if (onDialog)
                    onDialog(dialog);
                // The tool-path dialog ends only by its OK button.
                if (!QMetaObject::invokeMethod(dialog, "btOkClick"))
                    dialog->reject();
            } else {
                modal->close();
            }
            return;
        }
        if (done || !MainForm || !MainForm->isVisible())
            return;
        done = true;
        log.created = ZolvaneWindowCreationOrder();
        log.title = MainForm->windowTitle();
        log.applicationTitle = ApplicationTitle();
        if (auto *label = About->findChild<QLabel *>(QStringLiteral("Label2")))
            log.aboutVersion = label->text();
        // The percentage the progress display writes into the application title must not reach
        // the name the desktop appends to every window's caption.
        const QString title = ApplicationTitle();
        SetApplicationTitle(QStringLiteral("45% Zolvane"));
        log.displayNameWhileTitled = QGuiApplication::applicationDisplayName();
        SetApplicationTitle(title);
        log.localeNumber = QLocale().toString(1.5, 'f', 1);
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%.1f", 1.5);
        log.cNumber = QString::fromLatin1(buffer);
        const QList<QWidget *> windows = QApplication::topLevelWidgets();
        for (QWidget *w : windows) {
            if (w->objectName().isEmpty() || !ZolvaneWindowCreationOrder().contains(w->metaObject()->className()))
                continue;
            const QString name = QString::fromLatin1(w->metaObject()->className());
            QObject::connect(w, &QObject::destroyed, [&log, name] { log.destroyed << name; });
        }
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, MainForm, [&log] {
            log.delayTickedAtExit = MainForm->chOTADelay->isChecked();
        });
        whileRunning();
    });
    poll.start();
    const int rc = ZolvaneSession();
    poll.stop();
    if (rc != 0)
        qWarning("session ended with %d", rc);
    return log;
}

QString SettingsPath()
{
    return ProgramFolder() + QStringLiteral("Zolvane.ini");
}

void WriteFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

// Gives every message text its own key name, in the texts and in the English language file, so
// that the rows of the report show which text each one is.
void UseKeyNamesAsTexts()
{
    QMap<QString, QByteArray> sections;
    for (const TLanguageStringKey &key : LanguageStringKeys()) {
        LanguageStrings.*key.Text = QString::fromLatin1(key.Key);
        sections[QString::fromLatin1(key.Section)] += QByteArray(key.Key) + '=' + key.Key + "\r\n";
    }
    QByteArray file;
    for (auto it = sections.cbegin(); it != sections.cend(); ++it)
        file += '[' + it.key().toLatin1() + "]\r\n" + it.value();
    WriteFile(ProgramFolder() + QStringLiteral("lang/English.ini"), file);
}

// The helper files the report looks for beside the transcoder, in its order, with the text of
// each one's warning.
const QList<QPair<QString, QString>> &HelperFiles()
{
    static const QList<QPair<QString, QString>> files{
        {"ac3enc.dll", "ac3encMissing"},        {"azid.dll", "azidMissing"},
        {"kdn.dll", "kdnMissing"},              {"hip.dll", "hipMissing"},
        {"lame_enc.dll", "lameencMissing"},     {"libvorbis.dll", "livborbisMissing"},
        {"mp2enc.dll", "mp2encMissing"},        {"shibatch.dll", "shibatchMissing"},
        {"soundtouch.dll", "soundtouchMissing"}, {"vobinput.dll", "VOBInputMissing"},
        {"faac.exe", "FaacIsMissing"},          {"neroaacenc.exe", "NDCLIisMissing"},
        {"enhaacplusenc.exe", "EnhAACIsMissing"}, {"speexenc.exe", "SpeexIsMissing"},
        {"aften.exe", "Aften.exe is missing"},  {"flake.exe", "Flake.exe is missing"}};
    return files;
}

QByteArray VersionedExecutable()
{
    const TPEImage image; // file version 1.2.3.4
    return QByteArray(reinterpret_cast<const char *>(image.Bytes.data()), qsizetype(image.Bytes.size()));
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        QFile::remove(SettingsPath());
        qunsetenv("ZOLVANE_PROGRAM_FILES");
    }

    void firstStartCreatesTheWindowsInOrderAndQuits()
    {
        // Regional settings with a decimal comma must not reach numbers the program converts.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const bool commaLocale = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;

        const SessionLog log = RunSession(nullptr, [] { MainForm->Quit1->trigger(); });

        const QStringList order{"TMainForm", "TAdvancedSet", "TOthersLame", "TKDMuxFileWizard",
                                "TFileListWriter", "TDTSForm", "TAbout", "TKDCL", "TZolvaneLog",
                                "TExeBrowse", "TKapartoForm", "TAudXForm"};
        QCOMPARE(log.created, order);
        QStringList reversed(order.rbegin(), order.rend());
        QCOMPARE(log.destroyed, reversed);
        QCOMPARE(log.title, QStringLiteral("Zolvane"));
        QCOMPARE(log.applicationTitle, QStringLiteral("Zolvane"));
        QCOMPARE(log.displayNameWhileTitled, QStringLiteral("Zolvane"));
        QCOMPARE(log.aboutVersion, QStringLiteral("Version : 0.2.2.0 RC1"));
        QCOMPARE(log.localeNumber, QStringLiteral("1.5"));
        if (commaLocale)
            QCOMPARE(log.cNumber, QStringLiteral("1.5"));
        // Without a settings file the tool-path dialog is shown at the first showing.
        QCOMPARE(log.modalDialogs, QStringList{QStringLiteral("ExeBrowse")});
        QVERIFY(MainForm == nullptr && AdvancedSet == nullptr && ExeBrowse == nullptr);
        QCOMPARE(HintHidePause(), 10000);
    }

    // The close button unticks the delay box before the settings are written; Quit does not.
    void closeButtonAgainstQuit_data()
    {
        QTest::addColumn<bool>("byCloseButton");
        QTest::addColumn<bool>("tickedAtExit");
        QTest::newRow("close button") << true << false;
        QTest::newRow("File > Quit") << false << true;
    }
    void closeButtonAgainstQuit()
    {
        QFETCH(bool, byCloseButton);
        QFETCH(bool, tickedAtExit);
        const SessionLog log = RunSession(nullptr, [byCloseButton] {
            MainForm->chOTADelay->setChecked(true);
            // Another window open beside the main one does not keep the program running.
            MainForm->Log1->trigger();
            QVERIFY(ZolvaneLog->isVisible());
            if (byCloseButton)
                MainForm->close();
            else
                MainForm->Quit1->trigger();
        });
        QCOMPARE(log.delayTickedAtExit, tickedAtExit);
        QCOMPARE(log.destroyed.size(), 12);
    }

    // A settings file asks for the tool paths only when it holds no transcoder path.
    void settingsWithoutTranscoderPathAskForIt_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<bool>("asked");
        QTest::newRow("empty path") << QByteArray("[Zolvane]\r\nKandrum_path=\r\n") << true;
        QTest::newRow("no key") << QByteArray("[Zolvane]\r\nlang=English\r\n") << true;
        QTest::newRow("path set") << QByteArray("[Zolvane]\r\nKandrum_path=/opt/Kandrum/Kandrum.exe\r\n") << false;
    }
    void settingsWithoutTranscoderPathAskForIt()
    {
        QFETCH(QByteArray, settings);
        QFETCH(bool, asked);
        WriteFile(SettingsPath(), settings);
        const SessionLog log = RunSession(nullptr, [] { MainForm->Quit1->trigger(); });
        QCOMPARE(log.modalDialogs.contains(QStringLiteral("ExeBrowse")), asked);
    }

    // Stored tool paths go into the tool-path dialog, and the report checks the stored
    // transcoder's folder.
    void storedToolPathsAreUsed()
    {
        WriteFile(SettingsPath(), "[Zolvane]\r\nKandrum_path=" ZOLVANE_TRANSCODER_DIR "/Kandrum.exe\r\n"
                                  "Kaparto_path=/opt/split/Kaparto.exe\r\nSoX_path=/usr/bin/SoX.exe\r\n");
        QStringList edits;
        int warnings = -1;
        const SessionLog log = RunSession(nullptr, [&] {
            for (const char *name : {"edKandrum", "edKaparto", "edSoX"})
                edits << ExeBrowse->findChild<QLineEdit *>(name)->text();
            warnings = 0;
            QTreeWidget *list = LogListView();
            for (int i = 0; list && i < list->topLevelItemCount(); ++i)
                warnings += list->topLevelItem(i)->data(0, LogImageIndexRole).toInt() == 3
                            && !list->topLevelItem(i)->text(1).contains(QStringLiteral("Aud-X"));
            MainForm->Quit1->trigger();
        });
        QVERIFY(log.modalDialogs.isEmpty());
        QCOMPARE(edits, (QStringList{ZOLVANE_TRANSCODER_DIR "/Kandrum.exe", "/opt/split/Kaparto.exe",
                                     "/usr/bin/SoX.exe"}));
        QCOMPARE(warnings, 0);
    }

    // Without a stored path the tools are looked for (whatever the case of their names) in the
    // folder of the transcoder edit, which is the working folder while the edit is empty.
    void toolsFoundInTheWorkingFolder()
    {
        if (!ExeBrowseHasToolEdits())
            QFAIL("the tool-path dialog has no path edits");
        WriteFile(SettingsPath(), "[Zolvane]\r\nKandrum_path=\r\n");
        QTemporaryDir workFolder;
        const QString before = QDir::currentPath();
        QDir::setCurrent(workFolder.path());
        const QString work = QDir::currentPath() + QLatin1Char('/');
        WriteFile(work + QStringLiteral("KANDRUM.EXE"), "x");
        WriteFile(work + QStringLiteral("kaparto.exe"), "x");
        QString seenKandrum, seenKaparto, seenSox;
        RunSession(
            [&](QDialog *dialog) {
                if (dialog->objectName() != QLatin1String("ExeBrowse"))
                    return;
                seenKandrum = dialog->findChild<QLineEdit *>("edKandrum")->text();
                seenKaparto = dialog->findChild<QLineEdit *>("edKaparto")->text();
                seenSox = dialog->findChild<QLineEdit *>("edSoX")->text();
            },
            [] { MainForm->Quit1->trigger(); });
        QDir::setCurrent(before);
        // The first lookup had an empty folder part, so the edit holds the bare name; the second
        // lookup takes that (empty) folder part again.
        QCOMPARE(seenKandrum, QStringLiteral("Kandrum.exe"));
        QCOMPARE(seenKaparto, QStringLiteral("Kaparto.exe"));
        QCOMPARE(seenSox, QString());
    }

    // After the tool-path dialog the Winamp AAC+ files are copied beside the transcoder where
    // they are missing, and never over a file that is there.
    void winampFilesCopiedBesideTheTranscoder()
    {
        if (!ExeBrowseHasToolEdits())
            QFAIL("the tool-path dialog has no path edits");
        QTemporaryDir root;
        const QString programFiles = root.path() + QStringLiteral("/programs/");
        WriteFile(programFiles + QStringLiteral("Winamp/Plugins/enc_aacplus.dll"), "plugin");
        WriteFile(programFiles + QStringLiteral("Winamp/nscrt.dll"), "runtime");
        const QString transcoder = root.path() + QStringLiteral("/kd/");
        WriteFile(transcoder + QStringLiteral("NSCRT.DLL"), "kept");
        qputenv("ZOLVANE_PROGRAM_FILES", programFiles.toLocal8Bit());
        RunSession(
            [&](QDialog *dialog) {
                if (dialog->objectName() == QLatin1String("ExeBrowse"))
                    dialog->findChild<QLineEdit *>("edKandrum")->setText(transcoder + QStringLiteral("Kandrum.exe"));
            },
            [] { MainForm->Quit1->trigger(); });
        QFile copied(transcoder + QStringLiteral("enc_aacplus.dll"));
        QVERIFY(copied.open(QIODevice::ReadOnly));
        QCOMPARE(copied.readAll(), QByteArray("plugin"));
        QVERIFY(!QFileInfo::exists(transcoder + QStringLiteral("nscrt.dll")));
    }

    // A tool-path dialog left without a transcoder path copies nothing, not even into the working
    // folder, and the report then checks the working folder.
    void emptyTranscoderPathCopiesNothing()
    {
        UseKeyNamesAsTexts();
        QTemporaryDir root;
        const QString programFiles = root.path() + QStringLiteral("/programs/");
        WriteFile(programFiles + QStringLiteral("Winamp/Plugins/enc_aacplus.dll"), "plugin");
        WriteFile(programFiles + QStringLiteral("Winamp/nscrt.dll"), "runtime");
        qputenv("ZOLVANE_PROGRAM_FILES", programFiles.toLocal8Bit());
        const QString work = root.path() + QStringLiteral("/work/");
        WriteFile(work + QStringLiteral("azid.dll"), "x");
        const QString before = QDir::currentPath();
        QDir::setCurrent(work);
        QStringList rows;
        RunSession(
            [](QDialog *dialog) {
                if (auto *edit = dialog->findChild<QLineEdit *>("edKandrum"))
                    edit->clear();
            },
            [&] {
                QTreeWidget *list = LogListView();
                for (int i = 0; list && i < list->topLevelItemCount(); ++i)
                    rows << list->topLevelItem(i)->text(1);
                MainForm->Quit1->trigger();
            });
        QDir::setCurrent(before);
        QCOMPARE(QDir(work).entryList(QDir::Files), QStringList{"azid.dll"});
        QCOMPARE(rows.filter(QStringLiteral("azidMissing")).size(), 0);
        QCOMPARE(rows.filter(QStringLiteral("ac3encMissing")).size(), 1);
    }

    // The report names the running system, checks the helper files in the folder chosen in the
    // tool-path dialog and tells whether the Aud-X encoder is there; without it a 5.1 MP3 choice
    // goes back to stereo.
    void startupReport_data()
    {
        QTest::addColumn<bool>("readyFolders");
        QTest::addColumn<int>("warnings");
        QTest::newRow("ready transcoder folder, Aud-X installed") << true << 0;
        // sixteen helper files missing, and the Aud-X notice
        QTest::newRow("empty folders") << false << 17;
    }
    void startupReport()
    {
        QFETCH(bool, readyFolders);
        QFETCH(int, warnings);
        QTemporaryDir empty;
        const QString transcoder = readyFolders ? QStringLiteral(ZOLVANE_TRANSCODER_DIR "/") : empty.path() + "/";
        qputenv("ZOLVANE_PROGRAM_FILES",
                readyFolders ? QByteArray(ZOLVANE_BIN_DIR "/programfiles/") : (empty.path() + "/").toLocal8Bit());
        QList<int> icons;
        QStringList rows;
        bool stereo = false;
        RunSession(
            [&](QDialog *dialog) {
                if (dialog->objectName() != QLatin1String("ExeBrowse"))
                    return;
                dialog->findChild<QLineEdit *>("edKandrum")->setText(transcoder + QStringLiteral("Kandrum.exe"));
                MainForm->rbMP3Ch6->setChecked(true);
            },
            [&] {
                QTreeWidget *list = LogListView();
                for (int i = 0; list && i < list->topLevelItemCount(); ++i) {
                    icons << list->topLevelItem(i)->data(0, LogImageIndexRole).toInt();
                    rows << list->topLevelItem(i)->text(1);
                }
                stereo = MainForm->rbMP3Ch2->isChecked();
                MainForm->Quit1->trigger();
            });
        QVERIFY(rows.size() >= 4);
        QVERIFY2(rows[0].contains(QStringLiteral("0.2.2.0 RC1")), qPrintable(rows[0]));
        QCOMPARE(icons.count(3), warnings);
        QCOMPARE(icons.count(1), 0);
        if (readyFolders) {
            QVERIFY(!rows.last().contains(QStringLiteral("not detected")));
            QVERIFY(!stereo);
        } else {
            QVERIFY(rows.filter(QStringLiteral("Aften.exe is missing")).size() == 1);
            QVERIFY(rows.filter(QStringLiteral("Flake.exe is missing")).size() == 1);
            QVERIFY(rows.last().endsWith(QStringLiteral("Aud-X Encoder not detected...")));
            QVERIFY(stereo);
        }
    }

    // The report row by row, with its kinds: the start line, the system, the check line, one
    // warning per helper file missing beside the transcoder (found whatever the case of its
    // name), the Nero encoder's version when the program search path holds a readable one (one
    // beside the transcoder does not count), and the Aud-X line.
    void startupReportRows_data()
    {
        QTest::addColumn<QStringList>("missing");
        QTest::addColumn<bool>("neroOnPath");
        QTest::addColumn<bool>("audX");
        QTest::addColumn<QStringList>("tail");
        QStringList everyWarning;
        QStringList everyFile;
        for (const auto &helper : HelperFiles()) {
            everyFile << helper.first;
            everyWarning << QStringLiteral("3 ") + helper.second;
        }
        QTest::newRow("nothing there")
            << everyFile << false << false << everyWarning + QStringList{"3 Aud-X Encoder not detected..."};
        QTest::newRow("everything there")
            << QStringList() << true << true
            << QStringList{"0 NeroAACEnc.exe 1.2.3.4 NeroDLLDetected", "0 AudXDetected"};
        QTest::newRow("two files missing")
            << QStringList{"azid.dll", "flake.exe"} << false << true
            << QStringList{"3 azidMissing", "3 Flake.exe is missing", "0 AudXDetected"};
    }
    void startupReportRows()
    {
        QFETCH(QStringList, missing);
        QFETCH(bool, neroOnPath);
        QFETCH(bool, audX);
        QFETCH(QStringList, tail);
        UseKeyNamesAsTexts();
        QTemporaryDir root;
        const QString transcoder = root.path() + QStringLiteral("/kd/");
        QDir().mkpath(transcoder);
        for (const auto &helper : HelperFiles()) {
            if (!missing.contains(helper.first))
                WriteFile(transcoder + helper.first.toUpper(), VersionedExecutable());
        }
        const QByteArray path = qgetenv("PATH");
        if (neroOnPath) {
            WriteFile(root.path() + QStringLiteral("/bin/NeroAacEnc.exe"), VersionedExecutable());
            qputenv("PATH", (root.path() + QStringLiteral("/bin:")).toLocal8Bit() + path);
        }
        const QString programFiles = root.path() + QStringLiteral("/programs/");
        QDir().mkpath(programFiles + (audX ? QStringLiteral("Aud-X") : QStringLiteral("other")));
        // The MP3 page takes the 5.1 choice only with the encoder itself in that folder.
        if (audX)
            WriteFile(programFiles + QStringLiteral("Aud-X/audx.exe"), QByteArray());
        qputenv("ZOLVANE_PROGRAM_FILES", programFiles.toLocal8Bit());
        QStringList rows;
        bool stereo = false;
        RunSession(
            [&](QDialog *dialog) {
                if (dialog->objectName() != QLatin1String("ExeBrowse"))
                    return;
                dialog->findChild<QLineEdit *>("edKandrum")->setText(transcoder + QStringLiteral("Kandrum.exe"));
                MainForm->rbMP3Ch6->setChecked(true);
            },
            [&] {
                QTreeWidget *list = LogListView();
                static const QRegularExpression stamp(QStringLiteral("^\\[\\d\\d:\\d\\d:\\d\\d\\] :  "));
                for (int i = 0; list && i < list->topLevelItemCount(); ++i) {
                    const QTreeWidgetItem *row = list->topLevelItem(i);
                    rows << QString::number(row->data(0, LogImageIndexRole).toInt()) + QLatin1Char(' ')
                                + row->text(1).remove(stamp);
                }
                stereo = MainForm->rbMP3Ch2->isChecked();
                MainForm->Quit1->trigger();
            });
        qputenv("PATH", path);
        const QStringList expected = QStringList{"0 ZolvaneStarted_part1 0.2.2.0 RC1 ZolvaneStarted_part2",
                                                 "0 " + GetWindowsVersionText(), "0 CheckingKDDep"}
                                     + tail;
        QCOMPARE(rows, expected);
        // Without the Aud-X encoder the 5.1 MP3 choice falls back to stereo.
        QCOMPARE(stereo, !audX);
    }

    // At window creation the Winamp runtime is copied into the system folder where it is missing;
    // without a configured system folder nothing is copied anywhere.
    void runtimeCopiedIntoTheSystemFolder_data()
    {
        QTest::addColumn<bool>("systemFolderSet");
        QTest::addColumn<bool>("alreadyThere");
        QTest::newRow("missing") << true << false;
        QTest::newRow("already there") << true << true;
        QTest::newRow("no system folder") << false << false;
    }
    void runtimeCopiedIntoTheSystemFolder()
    {
        QFETCH(bool, systemFolderSet);
        QFETCH(bool, alreadyThere);
        QTemporaryDir root;
        const QString programFiles = root.path() + QStringLiteral("/programs/");
        WriteFile(programFiles + QStringLiteral("Winamp/nscrt.dll"), "runtime");
        const QString system = root.path() + QStringLiteral("/system/");
        QDir().mkpath(system);
        if (alreadyThere)
            WriteFile(system + QStringLiteral("NSCRT.dll"), "own");
        qputenv("ZOLVANE_PROGRAM_FILES", programFiles.toLocal8Bit());
        if (systemFolderSet)
            qputenv("ZOLVANE_SYSTEM_FOLDER", system.toLocal8Bit());
        const QString before = QDir::currentPath();
        QDir::setCurrent(root.path());
        InitZolvaneProcess();
        CreateZolvaneWindows();
        DestroyZolvaneWindows();
        QDir::setCurrent(before);
        qunsetenv("ZOLVANE_SYSTEM_FOLDER");
        QCOMPARE(QFileInfo::exists(system + QStringLiteral("nscrt.dll")), systemFolderSet && !alreadyThere);
        QVERIFY(!QFileInfo::exists(root.path() + QStringLiteral("/nscrt.dll")));
        if (alreadyThere) {
            QFile own(system + QStringLiteral("NSCRT.dll"));
            QVERIFY(own.open(QIODevice::ReadOnly));
            QCOMPARE(own.readAll(), QByteArray("own"));
        }
    }

private:
    static bool ExeBrowseHasToolEdits()
    {
        TExeBrowse probe;
        return probe.findChild<QLineEdit *>("edKandrum") && probe.findChild<QLineEdit *>("edKaparto")
               && probe.findChild<QLineEdit *>("edSoX");
    }
};

// Copies the test program into a folder of its own and runs it from there, in that folder.
static int RunRelocated(int argc, char **argv)
{
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return 1;
    self[length] = '\0';
    char folderTemplate[] = "/tmp/zolvane-startup-XXXXXX";
    const char *folder = mkdtemp(folderTemplate);
    if (!folder)
        return 1;
    const std::string copy = std::string(folder) + "/test_startup";
    if (!QFile::copy(QString::fromLocal8Bit(self), QString::fromStdString(copy)))
        return 1;
    const pid_t child = fork();
    if (child == 0) {
        if (chdir(folder) != 0)
            _exit(127);
        setenv("ZOLVANE_STARTUP_RELOCATED", "1", 1);
        argv[0] = const_cast<char *>(copy.c_str());
        execv(copy.c_str(), argv);
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    QDir(QString::fromLocal8Bit(folder)).removeRecursively();
    Q_UNUSED(argc);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("ZOLVANE_STARTUP_RELOCATED"))
        return RunRelocated(argc, argv);
    QApplication app(argc, argv);
    TestStartup test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_startup.moc"
