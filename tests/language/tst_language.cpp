// The language files and the language choice: every key lands on its control, missing keys
// empty their targets, the menu switches everything at once, and the choice survives a restart.
#include "IniFile.h"
#include "LanguageCheck.h"
#include "LanguageKeys.h"
#include "LanguageStrings.h"
#include "UDTSFiles.h"
#include "SideToolSupport.h"
#include "UKDmuxFile.h"
#include "ULanguage.h"
#include "UMain.h"
#include "ZolvaneApp.h"

#include "PipeGuard.h"

#include <QtTest>
#include <QtWidgets>

using namespace LanguageCheck;

namespace {

const QString kLangDir = QStringLiteral(ZOLVANE_BIN_DIR "/lang/");

QAction *item(const char *name) { return MainForm->findChild<QAction *>(QString::fromLatin1(name)); }

QStringList tickedItems()
{
    QStringList ticked;
    for (QAction *a : MainForm->findChild<QMenu *>(QStringLiteral("Lang"))->actions())
        if (a->isChecked())
            ticked << a->objectName();
    return ticked;
}

} // namespace

class TestLanguage : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

    void writeFile(const QString &path, const QByteArray &content)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }

private slots:
    void initTestCase()
    {
        InitZolvaneProcess();
        CreateZolvaneWindows();
        QVERIFY(QFileInfo::exists(kLangDir + "English.ini"));
        MainForm->LanguageFolder = kLangDir.toLocal8Bit();
    }
    void cleanupTestCase() { DestroyZolvaneWindows(); }

    // Every caption, hint and message key of the English file reaches its target, each with a
    // text; the copies follow the controls they copy.
    void englishKeysLandOnTheirControls()
    {
        MainForm->EngClick();
        const TIniFile english(kLangDir + "English.ini");
        const QStringList faults = keysNotShowing(english);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
        auto caption = [](LangWindow w, const char *p) {
            return shown(TLanguageKey{"", "", w, p, LangTarget::Caption});
        };
        QCOMPARE(caption(LangWindow::Main, "AdvSettings"), caption(LangWindow::Main, "btnAdvSettings"));
        QCOMPARE(caption(LangWindow::Main, "Start"), caption(LangWindow::Main, "bbStartProcess"));
        QCOMPARE(caption(LangWindow::Kaparto, "btCancel"), english.ReadString("MUX", "Cancel", {}));
        QCOMPARE(caption(LangWindow::Kaparto, "lbChan"), english.ReadString("DTSImport", "Channels", {}));
        QCOMPARE(caption(LangWindow::Kaparto, "lbDuration"), english.ReadString("DTSImport", "Duration", {}));
        // Keys that share a name in two sections are two keys.
        QCOMPARE(caption(LangWindow::Main, "rbMP3Ch2"), english.ReadString("MAIN", "VORBISChan2", {}));
        QCOMPARE(caption(LangWindow::Main, "rbVORBISOutputCh2"), english.ReadString("MAIN", "VORBISChan2", {}));
        QCOMPARE(tickedItems(), QStringList{"Eng"});
    }

    // A key missing from a file empties its target instead of keeping the previous language's
    // text.
    void missingKeysEmptyTheirTargets()
    {
        MainForm->EngClick();
        QVERIFY(!MainForm->findChild<QMenu *>("File1")->title().isEmpty());
        writeFile(m_dir.filePath("Partial.ini"),
                  "[MAIN]\r\nMenuOpen1=Open them\r\nOTAMode_Hint_part1=one\r\nOTAMode_Hint_part3=three\r\n");
        LoadLanguage(m_dir.filePath("Partial.ini"));
        QCOMPARE(MainForm->findChild<QMenu *>("File1")->title(), QString());
        QCOMPARE(item("Open1")->text(), QStringLiteral("Open them"));
        QCOMPARE(LanguageStrings.OTAModeHint(), QStringLiteral("one\r\n\r\nthree"));
        QCOMPARE(LanguageStrings.TranscodingStarted, QString());
        MainForm->EngClick();
    }

    // A file that is missing, cannot be read, or is no language file at all (empty, foreign
    // bytes, no MAIN section) is refused as a whole: every text stays as it was.
    void unusableFileKeepsEveryText_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content"); // written unless null
        QTest::newRow("missing") << "NoSuchLanguage.ini" << QByteArray();
        QTest::newRow("a folder") << "Folder.ini" << QByteArray();
        QTest::newRow("empty") << "Empty.ini" << QByteArray("");
        QTest::newRow("foreign bytes") << "Garbage.ini" << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xfe=\x01", 18);
        QTest::newRow("no MAIN section") << "Other.ini" << QByteArray("[ABOUT]\r\nCaption=About\r\n");
    }
    void unusableFileKeepsEveryText()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        const QString path = m_dir.filePath(file);
        if (file == QLatin1String("Folder.ini"))
            QVERIFY(QDir().mkpath(path));
        else if (!content.isNull())
            writeFile(path, content);
        MainForm->EngClick();
        QStringList before;
        for (const TLanguageKey &k : LanguageKeys())
            before << shown(k);
        const QString started = LanguageStrings.TranscodingStarted;
        QVERIFY(!LoadLanguage(path));
        QStringList after;
        for (const TLanguageKey &k : LanguageKeys())
            after << shown(k);
        QCOMPARE(after, before);
        QCOMPARE(LanguageStrings.TranscodingStarted, started);
    }

    // Choosing a language whose file is missing says which file, keeps the texts of the language
    // that loaded last and its tick, which is the choice saved at exit.
    void menuChoiceOfAMissingFile()
    {
        QTemporaryDir folder;
        QVERIFY(QFile::copy(kLangDir + "Deutsch.ini", folder.filePath("Deutsch.ini")));
        MainForm->LanguageFolder = (folder.path() + "/").toLocal8Bit();
        QStringList messages;
        TMainForm::MessageHook = [&messages](QWidget *, const QString &text, bool) { messages << text; };
        item("de")->trigger();
        const QString germanFile = MainForm->findChild<QMenu *>("File1")->title();
        const QString germanStart = LanguageStrings.TranscodingStarted;
        QVERIFY(messages.isEmpty());
        item("Fr")->trigger();
        TMainForm::MessageHook = nullptr;
        MainForm->LanguageFolder = kLangDir.toLocal8Bit();
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.first().contains(folder.filePath(QString::fromUtf8("Français.ini"))), qPrintable(messages.first()));
        // Said in the language whose texts stay.
        QCOMPARE(messages.first(), TIniFile(kLangDir + "Deutsch.ini")
                                       .ReadString("MAIN", "LanguageFileMissing", {})
                                       .arg(folder.filePath(QString::fromUtf8("Français.ini"))));
        QCOMPARE(MainForm->findChild<QMenu *>("File1")->title(), germanFile);
        QCOMPARE(LanguageStrings.TranscodingStarted, germanStart);
        QCOMPARE(tickedItems(), QStringList{"de"});
        QCOMPARE(CurrentLanguageName(MainForm), QStringLiteral("Deutsch"));
        MainForm->EngClick();
    }

    // A named pipe in a language file's place is refused without being waited for: the texts and
    // the tick stay, and the message says the file is no regular file. A hang fails the test after
    // ten seconds instead of blocking the run.
    void menuChoiceOfAPipe()
    {
        QTemporaryDir folder;
        QVERIFY(QFile::copy(kLangDir + "Deutsch.ini", folder.filePath("Deutsch.ini")));
        const std::string pipe = QFile::encodeName(folder.filePath(QString::fromUtf8("Français.ini"))).toStdString();
        QVERIFY(TPipeGuard::MakePipe(pipe));
        MainForm->LanguageFolder = (folder.path() + "/").toLocal8Bit();
        QStringList messages;
        TMainForm::MessageHook = [&messages](QWidget *, const QString &text, bool) { messages << text; };
        item("de")->trigger();
        const QString germanFile = MainForm->findChild<QMenu *>("File1")->title();
        {
            TPipeGuard guard({pipe}, std::chrono::seconds(10));
            item("Fr")->trigger();
            QVERIFY2(!guard.Blocked(), "the language load waited on a named pipe");
        }
        TMainForm::MessageHook = nullptr;
        MainForm->LanguageFolder = kLangDir.toLocal8Bit();
        QCOMPARE(messages.size(), 1);
        QVERIFY(!LanguageStrings.LanguageNotRegular.isEmpty());
        QCOMPARE(messages.first(), LanguageStrings.LanguageNotRegular.arg(QString::fromLocal8Bit(pipe.c_str())));
        QCOMPARE(MainForm->findChild<QMenu *>("File1")->title(), germanFile);
        QCOMPARE(tickedItems(), QStringList{"de"});
        MainForm->EngClick();
    }

    // The side tools speak the chosen language too: the mux wizard's refusal of a missing
    // channel file and its replace question's texts come from the language file.
    void sideToolMessagesFollowTheLanguage()
    {
        item("de")->trigger();
        const TIniFile german(kLangDir + "Deutsch.ini");
        QStringList messages;
        SideTools::MessageHook = [&messages](QWidget *, const QString &text, bool) { messages << text; };
        for (QLineEdit *edit : KDMuxFileWizard->findChildren<QLineEdit *>())
            edit->clear();
        KDMuxFileWizard->findChild<QPushButton *>(QStringLiteral("btnOk"))->click();
        SideTools::MessageHook = nullptr;
        auto *left = KDMuxFileWizard->findChild<QAbstractButton *>(QStringLiteral("btnLF"));
        const QString channel = left->toolTip().isEmpty() ? left->text() : left->toolTip();
        QCOMPARE(messages, QStringList{german.ReadString("MUX", "MuxNoChannelFile", {}).arg(channel)});
        QCOMPARE(LanguageStrings.ReplaceFileQuestion, german.ReadString("MAIN", "ReplaceFileQuestion", {}));
        MainForm->EngClick();
    }

    // The menu switches captions, dialogs and message texts together and ticks exactly one item.
    void menuSwitchesTheLanguage()
    {
        MainForm->EngClick();
        const QString englishStart = LanguageStrings.TranscodingStarted;
        const QString englishButton = MainForm->findChild<QPushButton *>("bbStartProcess")->text();
        item("de")->trigger();
        QCOMPARE(tickedItems(), QStringList{"de"});
        const TIniFile german(kLangDir + "Deutsch.ini");
        QCOMPARE(LanguageStrings.TranscodingStarted, german.ReadString("MAIN", "TranscodingStarted", {}));
        QVERIFY(LanguageStrings.TranscodingStarted != englishStart);
        QVERIFY(MainForm->findChild<QWidget *>("bbStartProcess")->property("text").toString() != englishButton);
        QCOMPARE(item("Start")->text(), german.ReadString("MAIN", "btnStart", {}));
        item("Fr")->trigger();
        QCOMPARE(tickedItems(), QStringList{"Fr"});
        QCOMPARE(MainForm->findChild<QMenu *>("File1")->title(),
                 TIniFile(kLangDir + QString::fromUtf8("Français.ini")).ReadString("MAIN", "MenuFile1", {}));
        MainForm->EngClick();
        QCOMPARE(LanguageStrings.TranscodingStarted, englishStart);
    }

    // Every language of the menu has its file, and it carries every key of the English file
    // with a text.
    void everyLanguageFileHasEveryKey_data()
    {
        QTest::addColumn<QString>("name");
        for (const TLanguageName &n : LanguageNames())
            QTest::newRow(n.Item) << QString::fromUtf8(n.Name);
    }
    void everyLanguageFileHasEveryKey()
    {
        QFETCH(QString, name);
        const QString path = kLangDir + name + ".ini";
        QVERIFY2(QFileInfo::exists(path), qPrintable(path));
        QFile raw(path);
        QVERIFY(raw.open(QIODevice::ReadOnly));
        const QByteArray bytes = raw.readAll();
        QVERIFY2(!bytes.contains("\n") || bytes.count("\n") == bytes.count("\r\n"), "CR LF line ends");
        const TIniFile english(kLangDir + "English.ini");
        const TIniFile other(path);
        QStringList missing;
        for (const QString &section : english.ReadSections())
            for (const QString &key : english.ReadSection(section))
                if (other.ReadString(section, key, {}).isEmpty())
                    missing << section + "/" + key;
        // Every key the program reads, captions, hints and messages alike.
        for (const TLanguageKey &k : LanguageKeys())
            if (k.Key && other.ReadString(k.Section, k.Key, {}).isEmpty())
                missing << QStringLiteral("%1/%2").arg(k.Section, k.Key);
        for (const TLanguageStringKey &m : LanguageStringKeys())
            if (other.ReadString(m.Section, m.Key, {}).isEmpty())
                missing << QStringLiteral("%1/%2").arg(m.Section, m.Key);
        missing.removeDuplicates();
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u' ')));
    }

    // Every message of the program speaks the language of its file: no message text of another
    // language is the English one, except where that language says it the same way.
    void everyMessageIsTranslated_data()
    {
        QTest::addColumn<QString>("name");
        for (const TLanguageName &n : LanguageNames())
            if (qstrcmp(n.Item, "Eng") != 0)
                QTest::newRow(n.Item) << QString::fromUtf8(n.Name);
    }
    void everyMessageIsTranslated()
    {
        QFETCH(QString, name);
        // Texts that are the same words in some languages (the program's name in all of them).
        static const QMap<QString, QStringList> sameAsEnglish{
            {"ZolvaneStarted_part1", {"*"}},
            {"Tempo_Hint_part1", {"Czech", "Deutsch", "Español", "Italiano", "Nederlands", "Polski", "Srpski"}},
            {"Rate_Hint_part1", {"Deutsch"}}};
        const TIniFile english(kLangDir + "English.ini");
        const TIniFile other(kLangDir + name + ".ini");
        QStringList untranslated;
        for (const TLanguageStringKey &m : LanguageStringKeys()) {
            const QString text = other.ReadString(m.Section, m.Key, {});
            if (text.isEmpty() || text != english.ReadString(m.Section, m.Key, {}))
                continue;
            const QStringList allowed = sameAsEnglish.value(QString::fromLatin1(m.Key));
            if (!allowed.contains(QStringLiteral("*")) && !allowed.contains(name))
                untranslated << QStringLiteral("%1/%2=%3").arg(m.Section, m.Key, text);
        }
        QVERIFY2(untranslated.isEmpty(), qPrintable(untranslated.join(u'\n')));
    }

    // The saved choice: only an exact name picks a language; at exit the ticked one is written.
    void savedLanguage_data()
    {
        QTest::addColumn<QByteArray>("saved");
        QTest::addColumn<QString>("ticked");
        QTest::newRow("French") << QString::fromUtf8("Français").toLocal8Bit() << "Fr";
        QTest::newRow("Czech") << QByteArray("Czech") << "Cz";
        QTest::newRow("other case") << QByteArray("english") << "Eng";
        QTest::newRow("other case, German") << QByteArray("deutsch") << "Eng";
        QTest::newRow("empty") << QByteArray("") << "Eng";
    }
    void savedLanguage()
    {
        QFETCH(QByteArray, saved);
        QFETCH(QString, ticked);
        const QString path = m_dir.filePath("Zolvane.ini");
        writeFile(path, "[Zolvane]\r\nlang=" + saved + "\r\n");
        MainForm->EngClick();
        ApplySavedLanguage(MainForm, TIniFile(path));
        QCOMPARE(tickedItems(), QStringList{ticked});

        TIniFile settings(path);
        WriteLanguageChoice(MainForm, settings);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString name = CurrentLanguageName(MainForm);
        QVERIFY(f.readAll().contains("lang=" + name.toLocal8Bit() + "\r\n"));
        QCOMPARE(item(qPrintable(ticked))->isChecked(), true);
        MainForm->EngClick();
    }

    // With no item ticked at exit, English is written.
    void noTickedItemSavesEnglish()
    {
        for (QAction *a : MainForm->findChild<QMenu *>(QStringLiteral("Lang"))->actions())
            a->setChecked(false);
        QCOMPARE(CurrentLanguageName(MainForm), QStringLiteral("English"));
        MainForm->EngClick();
    }
};

QTEST_MAIN(TestLanguage)
#include "tst_language.moc"
