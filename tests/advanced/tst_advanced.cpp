// The advanced settings dialog on the real windows: its handlers, the enabling rules, the
// command-line fragments, the hints, the file pickers, and the settings it loads at each showing
// and saves at each close.
#include "DialogSupport.h"
#include "IniFile.h"
#include "JobRow.h"
#include "LanguageStrings.h"
#include "UAdvanced.h"
#include "UMain.h"
#include "UMainGlobals.h"
#include "ZolvaneApp.h"

#include <QtTest>
#include <QtWidgets>

namespace {

template <typename T = QWidget> T *adv(const char *name)
{
    T *control = AdvancedSet->findChild<T *>(QString::fromLatin1(name));
    if (!control)
        qFatal("no control %s in the advanced dialog", name);
    return control;
}

QCheckBox *box(const char *name) { return adv<QCheckBox>(name); }
QLineEdit *edit(const char *name) { return adv<QLineEdit>(name); }
QSpinBox *spin(const char *name) { return adv<QSpinBox>(name); }

struct Fragments {
    QByteArray frc, tempo, pitch, rate, quick, naa, name, func;
};

Fragments fragments()
{
    return {SoundTouchFRCArg, SoundTouchTempoArg, SoundTouchPitchArg, SoundTouchRateArg,
            SoundTouchQuickArg, SoundTouchNaaArg, PluginNameArg, PluginFuncArg};
}

void clearFragments()
{
    for (QByteArray *f : {&SoundTouchFRCArg, &SoundTouchTempoArg, &SoundTouchPitchArg, &SoundTouchRateArg,
                          &SoundTouchQuickArg, &SoundTouchNaaArg, &PluginNameArg, &PluginFuncArg})
        f->clear();
}

QString settingsPath() { return SettingsFilePath(); }

void removeSettings()
{
    QFileInfo info(settingsPath());
    if (info.isDir())
        QDir(settingsPath()).removeRecursively();
    else
        QFile::remove(settingsPath());
}

void writeSettings(const QByteArray &zolvaneSection)
{
    QFile file(settingsPath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[Zolvane]\r\n" + zolvaneSection);
}

QString readKey(const char *key)
{
    return TIniFile(settingsPath()).ReadString(QStringLiteral("Zolvane"), QString::fromLatin1(key),
                                               QStringLiteral("<missing>"));
}

// One selected job in the main window's list, so that every rebuild writes its command.
QTreeWidgetItem *addSelectedJob(const QString &fileName = QStringLiteral("song.ac3"))
{
    auto *list = MainForm->findChild<QTreeWidget *>(QStringLiteral("InputListView"));
    auto *row = new QTreeWidgetItem;
    row->setText(jcInputPath, QStringLiteral("/music/"));
    row->setText(jcFilename, fileName);
    row->setText(jcOutputPath, QStringLiteral("/out/"));
    row->setText(jcOutputFilename, QStringLiteral("song.mp3"));
    list->addTopLevelItem(row);
    row->setSelected(true);
    return row;
}

QString jobCmd(QTreeWidgetItem *row) { return row->text(jcCmd); }

// Selects an edit's whole text and types over it, key by key.
void typeOver(QLineEdit *target, const QString &keys)
{
    target->setFocus();
    target->selectAll();
    if (keys.isEmpty())
        QTest::keyClick(target, Qt::Key_Backspace);
    else
        QTest::keyClicks(target, keys);
}

} // namespace

class TestAdvanced : public QObject
{
    Q_OBJECT

    QStringList m_messages;
    QStringList m_errors;
    QStringList m_openDialogs;
    QString m_pick;

private slots:
    void initTestCase()
    {
        InitZolvaneProcess();
        TAdvancedSet::MessageHook = [this](QWidget *, const QString &text, bool error) {
            (error ? m_errors : m_messages) << text;
        };
        TAdvancedSet::OpenDialogHook = [this](QWidget *, const QString &name, const QString &filter,
                                              const QString &fileName) {
            m_openDialogs << name + QLatin1Char('|') + filter + QLatin1Char('|') + fileName;
            return m_pick;
        };
    }

    // Every test starts from the windows as they are created and without a settings file.
    void init()
    {
        removeSettings();
        clearFragments();
        m_messages.clear();
        m_errors.clear();
        m_openDialogs.clear();
        m_pick.clear();
        CreateZolvaneWindows();
    }
    void cleanup()
    {
        // The main window writes its settings as it is destroyed: a folder left in the file's
        // place would stop it with an error message.
        removeSettings();
        DestroyZolvaneWindows();
        removeSettings();
    }

    // ---- Decibel and normalisation edits --------------------------------------------------------

    void decibelEnding_data()
    {
        QTest::addColumn<QString>("editName");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        for (const char *name : {"edLFEtoLR", "edManGain"}) {
            const QString n = QString::fromLatin1(name);
            QTest::newRow(qPrintable(n + " digit")) << n << "7" << "7db";
            QTest::newRow(qPrintable(n + " emptied")) << n << "" << "db";
            QTest::newRow(qPrintable(n + " sign and digit")) << n << "-6" << "-6db";
            QTest::newRow(qPrintable(n + " point")) << n << "-1.5" << "-1.5db";
        }
    }
    void decibelEnding()
    {
        QFETCH(QString, editName);
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        QLineEdit *target = edit(editName.toLatin1().constData());
        QLineEdit *other = edit(editName == QLatin1String("edLFEtoLR") ? "edManGain" : "edLFEtoLR");
        const QString otherBefore = other->text();
        target->setEnabled(true);
        typeOver(target, typed);
        QCOMPARE(target->text(), expected);
        QCOMPARE(other->text(), otherBefore);
    }

    void decibelEndingIsCaseSensitive()
    {
        QLineEdit *lfe = edit("edLFEtoLR");
        lfe->setText(QStringLiteral("-3dB"));
        QCOMPARE(lfe->text(), QStringLiteral("-3dBdb"));
        lfe->setText(QStringLiteral("X"));
        QCOMPARE(lfe->text(), QStringLiteral("Xdb"));
    }

    void normalisationValue_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("messages");
        QTest::newRow("three digits above 100") << "150" << "100" << 0;
        QTest::newRow("three characters with a point") << "1.5" << "100" << 0;
        QTest::newRow("two digits") << "99" << "99" << 0;
        QTest::newRow("100") << "100" << "100" << 0;
        QTest::newRow("four digits") << "1000" << "1000" << 1;
    }
    void normalisationValue()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QFETCH(int, messages);
        LanguageStrings.NormalizeMaxValue = QStringLiteral("The maximum value is 100");
        edit("edNormalize")->setText(text);
        QCOMPARE(edit("edNormalize")->text(), expected);
        QCOMPARE(m_messages.size(), messages);
        if (messages)
            QCOMPARE(m_messages.constFirst(), QStringLiteral("The maximum value is 100"));
    }

    void normalisationMessageAtEveryKeystrokeBeyondThree()
    {
        LanguageStrings.NormalizeMaxValue = QStringLiteral("max");
        box("chNormalize")->setChecked(true);
        QLineEdit *norm = edit("edNormalize");
        norm->setFocus();
        norm->setText(QStringLiteral("10"));
        m_messages.clear();
        QTest::keyClicks(norm, QStringLiteral("0"));  // "100": three characters, no message
        QCOMPARE(m_messages.size(), 0);
        QTest::keyClicks(norm, QStringLiteral("00")); // "1000", "10000"
        QCOMPARE(norm->text(), QStringLiteral("10000"));
        QCOMPARE(m_messages, (QStringList{"max", "max"}));
    }

    // ---- Key filters ----------------------------------------------------------------------------

    void keyFilters_data()
    {
        QTest::addColumn<QString>("editName");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("expected");
        // Number edits: digits and one point.
        for (const char *name : {"ed1SoundTouchFRC", "ed2SoundTouchFRC", "edPartialEncStart", "edPartialEncEnd",
                                 "edAppendSilence"})
            QTest::newRow(name) << QString::fromLatin1(name) << "" << "1a2.3.4-bd x" << "12.34";
        QTest::newRow("edNormalize") << "edNormalize" << "" << "9b.d" << "9.";
        // Decibel edits also take "-", "b" and "d".
        QTest::newRow("edLFEtoLR") << "edLFEtoLR" << "" << "x-2.5.y" << "-2.5db";
        QTest::newRow("edManGain") << "edManGain" << "" << "q4" << "4db";
        QTest::newRow("decibel point already there") << "edManGain" << "1.5db" << "." << "1.5db";
        // The function name takes any text.
        QTest::newRow("edExternalPlugFunc") << "edExternalPlugFunc" << "" << "Fade-In 2.x.y" << "Fade-In 2.x.y";
    }
    void keyFilters()
    {
        QFETCH(QString, editName);
        QFETCH(QString, start);
        QFETCH(QString, keys);
        QFETCH(QString, expected);
        QLineEdit *target = edit(editName.toLatin1().constData());
        target->setEnabled(true);
        target->setText(start);
        target->setFocus();
        // A decibel edit emptied holds "db": type in front of it.
        target->home(false);
        QTest::keyClicks(target, keys);
        QCOMPARE(target->text(), expected);
    }

    void backspaceAndShortcutsPassTheFilter()
    {
        QLineEdit *silence = edit("edAppendSilence");
        silence->setEnabled(true);
        silence->setText(QStringLiteral("250"));
        silence->setFocus();
        silence->end(false);
        QTest::keyClick(silence, Qt::Key_Backspace);
        QCOMPARE(silence->text(), QStringLiteral("25"));
        QApplication::clipboard()->setText(QStringLiteral("9"));
        QTest::keyClick(silence, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(silence->text(), QStringLiteral("259"));
    }

    // ---- Enabling rules -------------------------------------------------------------------------

    void boxesEnableTheirControls_data()
    {
        QTest::addColumn<QString>("boxName");
        QTest::addColumn<QStringList>("controls");
        QTest::newRow("LFE") << "chLFEtoLR" << QStringList{"edLFEtoLR"};
        QTest::newRow("output mode") << "chOutputMode" << QStringList{"cbOutputMode"};
        QTest::newRow("normalise") << "chNormalize" << QStringList{"edNormalize", "lbNormalize"};
        QTest::newRow("frame rate") << "chSoundTouchFRC"
                                    << QStringList{"ed1SoundTouchFRC", "lbSoundTouchFRC", "ed2SoundTouchFRC", "Label1"};
        QTest::newRow("tempo") << "chSoundTouchTempo" << QStringList{"SpEdtSoundTouchTempo"};
        QTest::newRow("pitch") << "chSoundTouchPitch" << QStringList{"SpEdtSoundTouchPitch"};
        QTest::newRow("rate") << "chSoundTouchRate" << QStringList{"SpEdtSoundTouchRate"};
        QTest::newRow("start") << "chPartialEncStart" << QStringList{"edPartialEncStart", "lbPartialEncStart"};
        QTest::newRow("end") << "chPartialEncEnd" << QStringList{"edPartialEncEnd", "lbPartialEncEnd"};
        QTest::newRow("silence") << "chAppendSilence" << QStringList{"edAppendSilence", "lbAppendSilence"};
        QTest::newRow("equaliser") << "chEqualizer" << QStringList{"edEqualizer"};
        QTest::newRow("DLL") << "chExternalPlugDLLName"
                             << QStringList{"edExternalPlugName", "chExternalPlugFunc", "edExternalPlugFunc"};
        QTest::newRow("function") << "chExternalPlugFunc" << QStringList{"edExternalPlugFunc"};
        QTest::newRow("log") << "chOutputLog" << QStringList{"chOutputLoga"};
    }
    void boxesEnableTheirControls()
    {
        QFETCH(QString, boxName);
        QFETCH(QStringList, controls);
        QCheckBox *b = box(boxName.toLatin1().constData());
        for (bool ticked : {!b->isChecked(), b->isChecked(), !b->isChecked()}) {
            b->setChecked(ticked);
            for (const QString &name : controls)
                QVERIFY2(adv(name.toLatin1().constData())->isEnabled() == ticked,
                         qPrintable(name + (ticked ? " disabled" : " enabled")));
        }
    }

    void manualGainExcludesGainModeAndNormalisation()
    {
        auto *gainMode = MainForm->findChild<QCheckBox *>(QStringLiteral("chOTAMode"));
        QVERIFY(gainMode);
        gainMode->setChecked(true);
        box("chManGain")->setEnabled(true);
        box("chManGain")->setChecked(true);
        QVERIFY(!gainMode->isChecked());
        QVERIFY(!box("chNormalize")->isEnabled());
        QVERIFY(edit("edManGain")->isEnabled());
        box("chManGain")->setChecked(false);
        QVERIFY(gainMode->isChecked());
        QVERIFY(box("chNormalize")->isEnabled());
        QVERIFY(!edit("edManGain")->isEnabled());

        // Normalisation disables manual gain without unticking it, and enables it again.
        gainMode->setChecked(false);
        box("chManGain")->setEnabled(true);
        box("chNormalize")->setChecked(true);
        QVERIFY(!box("chManGain")->isEnabled());
        box("chNormalize")->setChecked(false);
        QVERIFY(box("chManGain")->isEnabled());
    }

    // ---- Command-line fragments -----------------------------------------------------------------

    void soundTouchFragmentsFollowBoxesAndValues()
    {
        QCOMPARE(fragments().frc, QByteArray());
        box("chSoundTouchFRC")->setChecked(true);
        QCOMPARE(fragments().frc, QByteArray(" -r 25000 29970"));
        edit("ed1SoundTouchFRC")->setText(QStringLiteral("23976"));
        QCOMPARE(fragments().frc, QByteArray(" -r 23976 29970"));
        edit("ed2SoundTouchFRC")->setText(QString());
        QCOMPARE(fragments().frc, QByteArray(" -r 23976 "));
        box("chSoundTouchFRC")->setChecked(false);
        QCOMPARE(fragments().frc, QByteArray());
        edit("ed1SoundTouchFRC")->setText(QStringLiteral("25000"));
        QCOMPARE(fragments().frc, QByteArray());

        const struct {
            const char *box, *spinEdit;
            QByteArray Fragments::*fragment;
            const char *switchName;
        } spins[] = {{"chSoundTouchTempo", "SpEdtSoundTouchTempo", &Fragments::tempo, " -tempo "},
                     {"chSoundTouchPitch", "SpEdtSoundTouchPitch", &Fragments::pitch, " -pitch "},
                     {"chSoundTouchRate", "SpEdtSoundTouchRate", &Fragments::rate, " -rate "}};
        for (const auto &s : spins) {
            spin(s.spinEdit)->setValue(-20);
            QCOMPARE(fragments().*s.fragment, QByteArray());
            box(s.box)->setChecked(true);
            QCOMPARE(fragments().*s.fragment, QByteArray(s.switchName) + "-20");
            spin(s.spinEdit)->setValue(35);
            QCOMPARE(fragments().*s.fragment, QByteArray(s.switchName) + "35");
            box(s.box)->setChecked(false);
            QCOMPARE(fragments().*s.fragment, QByteArray());
        }

        box("chSoundTouchQuicker")->setChecked(true);
        box("chSoundTouchDisAntiAlias")->setChecked(true);
        QCOMPARE(fragments().quick, QByteArray(" -quick"));
        QCOMPARE(fragments().naa, QByteArray(" -naa"));
        box("chSoundTouchQuicker")->setChecked(false);
        box("chSoundTouchDisAntiAlias")->setChecked(false);
        QCOMPARE(fragments().quick, QByteArray());
        QCOMPARE(fragments().naa, QByteArray());
    }

    void pluginFragmentsFollowTheDllBox()
    {
        QCheckBox *dll = box("chExternalPlugDLLName");
        QCheckBox *func = box("chExternalPlugFunc");
        dll->setChecked(true);
        QVERIFY(func->isChecked());
        QCOMPARE(fragments().name, QByteArray(" -name KD_FadeIn.dll"));
        QCOMPARE(fragments().func, QByteArray(" -func FadeInSlower"));

        func->setChecked(false);
        QCOMPARE(fragments().func, QByteArray());
        QCOMPARE(fragments().name, QByteArray(" -name KD_FadeIn.dll"));
        edit("edExternalPlugFunc")->setText(QStringLiteral("FadeOut"));
        QCOMPARE(fragments().func, QByteArray());
        func->setChecked(true);
        QCOMPARE(fragments().func, QByteArray(" -func FadeOut"));
        edit("edExternalPlugFunc")->setText(QStringLiteral("Echo"));
        QCOMPARE(fragments().func, QByteArray(" -func Echo"));

        dll->setChecked(false);
        QVERIFY(!func->isChecked());
        QVERIFY(!func->isEnabled());
        QCOMPARE(fragments().name, QByteArray());
        QCOMPARE(fragments().func, QByteArray());

        // The function box alone (it starts enabled) names no DLL, so neither fragment is set.
        func->setEnabled(true);
        func->setChecked(true);
        QCOMPARE(fragments().name, QByteArray());
        QCOMPARE(fragments().func, QByteArray());
    }

    void fragmentsAreEightBitText()
    {
        box("chExternalPlugDLLName")->setChecked(true);
        edit("edExternalPlugFunc")->setText(QStringLiteral("Fondu\u00e9"));
        QCOMPARE(fragments().func, QByteArray(" -func ") + QStringLiteral("Fondu\u00e9").toLocal8Bit());
    }

    // ---- Every handler rebuilds the command line ------------------------------------------------

    void handlersRebuildTheSelectedJob_data()
    {
        QTest::addColumn<QString>("boxName");
        QTest::addColumn<QString>("expected");
        QTest::newRow("DNR") << "chDNR" << " -n1";
        QTest::newRow("rear channels") << "chRearChan" << " -d 2/0 -f1";
        QTest::newRow("no ID3") << "chNoID3Tags" << " -noid3 )";
        QTest::newRow("equaliser") << "chEqualizer" << " -shibatch( -eq Sample.eq )";
        QTest::newRow("silence") << "chAppendSilence" << " -e 0";
        QTest::newRow("start") << "chPartialEncStart" << " -split( -start 0 )";
        QTest::newRow("end") << "chPartialEncEnd" << " -split( -end 0 )";
        QTest::newRow("quicker") << "chSoundTouchQuicker" << " -soundtouch( -quick )";
        QTest::newRow("anti-alias") << "chSoundTouchDisAntiAlias" << " -soundtouch( -naa )";
        QTest::newRow("DLL") << "chExternalPlugDLLName" << " -plugin( -name KD_FadeIn.dll -func FadeInSlower )";
    }
    void handlersRebuildTheSelectedJob()
    {
        QFETCH(QString, boxName);
        QFETCH(QString, expected);
        QTreeWidgetItem *row = addSelectedJob();
        MainForm->KDCmdl();
        QVERIFY(!jobCmd(row).contains(expected));
        box(boxName.toLatin1().constData())->setChecked(true);
        QVERIFY2(jobCmd(row).contains(expected), qPrintable(jobCmd(row)));
        box(boxName.toLatin1().constData())->setChecked(false);
        QVERIFY2(!jobCmd(row).contains(expected), qPrintable(jobCmd(row)));
    }

    void valueChangesRebuildTheSelectedJob()
    {
        QTreeWidgetItem *row = addSelectedJob();
        box("chLFEtoLR")->setChecked(true);
        edit("edLFEtoLR")->setText(QStringLiteral("-6"));
        QVERIFY2(jobCmd(row).contains(" -L -6db"), qPrintable(jobCmd(row)));
        box("chNormalize")->setChecked(true);
        QVERIFY(jobCmd(row).contains(" --maximize"));
        edit("edNormalize")->setText(QStringLiteral("95"));
        QVERIFY(jobCmd(row).contains(" -g 0.95"));
        box("chEqualizer")->setChecked(true);
        edit("edEqualizer")->setText(QStringLiteral("/eq/Rock.eq"));
        QVERIFY(jobCmd(row).contains(" -shibatch( -eq /eq/Rock.eq )"));
        box("chPartialEncEnd")->setChecked(true);
        edit("edPartialEncEnd")->setText(QStringLiteral("42"));
        QVERIFY(jobCmd(row).contains(" -split( -end 42 )"));
        box("chSoundTouchPitch")->setChecked(true);
        spin("SpEdtSoundTouchPitch")->setValue(-3);
        QVERIFY2(jobCmd(row).contains(" -soundtouch( -pitch -3 )"), qPrintable(jobCmd(row)));
        // The output mode list runs its handler when the user picks an item.
        auto *mode = adv<QComboBox>("cbOutputMode");
        mode->setCurrentIndex(3);
        emit mode->activated(3);
        QVERIFY2(jobCmd(row).contains(" -s dplii"), qPrintable(jobCmd(row)));
    }

    // ---- Hints ----------------------------------------------------------------------------------

    void hintsAreComposedOnMouseMove_data()
    {
        QTest::addColumn<QString>("boxName");
        QTest::addColumn<QStringList>("parts");
        QTest::newRow("output mode") << "chOutputMode" << QStringList{"OutputMode_Hint_part1", "OutputMode_Hint_part2"};
        QTest::newRow("DNR") << "chDNR" << QStringList{"DNR_Hint_part1", "DNR_Hint_part2"};
        QTest::newRow("normalise") << "chNormalize"
                                   << QStringList{"Normalize_Hint_part1", "Normalize_Hint_part2",
                                                  "Normalize_Hint_part3", "Normalize_Hint_part4"};
        QTest::newRow("tempo") << "chSoundTouchTempo" << QStringList{"Tempo_Hint_part1", "Tempo_Hint_part2"};
        QTest::newRow("pitch") << "chSoundTouchPitch" << QStringList{"Pitch_Hint_part1", "Pitch_Hint_part2"};
        QTest::newRow("rate") << "chSoundTouchRate" << QStringList{"Rate_Hint_part1", "Rate_Hint_part2"};
    }
    void hintsAreComposedOnMouseMove()
    {
        QFETCH(QString, boxName);
        QFETCH(QStringList, parts);
        for (const QString &part : parts)
            *FindLanguageString(LanguageStrings, QStringLiteral("ADVANCED"), part) = QStringLiteral("<%1>").arg(part);
        QCheckBox *b = box(boxName.toLatin1().constData());
        b->setToolTip(QString());
        QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), b->mapToGlobal(QPointF(2, 2)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(b, &move);
        QStringList expected;
        for (const QString &part : parts)
            expected << QStringLiteral("<%1>").arg(part);
        QCOMPARE(b->toolTip(), expected.join(QStringLiteral("\r\n")));
    }

    // ---- File pickers ---------------------------------------------------------------------------

    void filePickers()
    {
        AdvancedSet->show();
        QTreeWidgetItem *row = addSelectedJob();
        box("chExternalPlugDLLName")->setChecked(true);
        box("chEqualizer")->setChecked(true);

        m_pick = QStringLiteral("/plugins/My Fade.dll");
        QTest::mouseClick(edit("edExternalPlugName"), Qt::LeftButton);
        QTRY_COMPARE(m_openDialogs.size(), 1);
        QCOMPARE(m_openDialogs.constFirst(),
                 QStringLiteral("OpenDialogExternalPlug|dll Files (*.dll)|KD_FadeIn.dll"));
        QCOMPARE(edit("edExternalPlugName")->text(), m_pick);
        QCOMPARE(fragments().name, QByteArray(" -name /plugins/My Fade.dll"));
        QVERIFY(jobCmd(row).contains(" -plugin( -name /plugins/My Fade.dll -func FadeInSlower )"));

        m_pick = QStringLiteral("/eq/Live.eq");
        QTest::mouseClick(edit("edEqualizer"), Qt::LeftButton);
        QTRY_COMPARE(m_openDialogs.size(), 2);
        QCOMPARE(m_openDialogs.at(1), QStringLiteral("OpenDialogSuperEqualizer|SuperEQU Preset File (*.eq)|Sample.eq"));
        QCOMPARE(edit("edEqualizer")->text(), m_pick);
        QVERIFY(jobCmd(row).contains(" -shibatch( -eq /eq/Live.eq )"));

        // Cancelled: the text stays.
        m_pick.clear();
        QTest::mouseClick(edit("edEqualizer"), Qt::LeftButton);
        QTRY_COMPARE(m_openDialogs.size(), 3);
        QCOMPARE(edit("edEqualizer")->text(), QStringLiteral("/eq/Live.eq"));

        // A disabled edit opens nothing.
        box("chEqualizer")->setChecked(false);
        QTest::mouseClick(edit("edEqualizer"), Qt::LeftButton);
        QTest::qWait(20);
        QCOMPARE(m_openDialogs.size(), 3);
        AdvancedSet->close();
    }

    // ---- Save and load --------------------------------------------------------------------------

    void closeWritesEveryKeyInItsStoredForm()
    {
        AdvancedSet->show();
        box("chDNR")->setChecked(true);
        box("chLFEtoLR")->setChecked(false);
        edit("edLFEtoLR")->setText(QStringLiteral("-9"));
        adv<QComboBox>("cbOutputMode")->setCurrentIndex(2);
        box("chSoundTouchTempo")->setChecked(true);
        spin("SpEdtSoundTouchTempo")->setValue(-95);
        edit("edExternalPlugName")->setText(QStringLiteral("/p/\u00e9cho.dll"));
        box("chNoID3Tags")->setChecked(true);
        AdvancedSet->close();
        QVERIFY(!AdvancedSet->isVisible());

        const struct {
            const char *key, *value;
        } expected[] = {
            {"check_lfe", "0"},          {"lfe", "-9db"},           {"output_mode_check", "1"},
            {"output_mode", "2"},        {"check_normalize", "0"},  {"normalize", "100"},
            {"dnr_check", "1"},          {"rear_chan", "0"},        {"man_gain_check", "0"},
            {"man_gain", "0db"},         {"check_convfr", "0"},     {"in_convfr", "25000"},
            {"out_convfr", "29970"},     {"tempo_check", "1"},      {"tempo", "-95"},
            {"pitch_check", "0"},        {"pitch", "0"},            {"rate_check", "0"},
            {"rate", "0"},               {"quicker_tempo", "0"},    {"naa", "0"},
            {"check_start", "0"},        {"partial_start", "0"},    {"check_end", "0"},
            {"partial_end", "0"},        {"dllname_check", "0"},    {"dllname", "/p/\u00e9cho.dll"},
            {"dllfunc_check", "0"},      {"dllfunc", "FadeInSlower"}, {"eq_check", "0"},
            {"eq_name", "Sample.eq"},    {"silence_check", "0"},    {"silence_append", "0"},
            {"output_log", "1"},         {"output_loga", "0"},      {"noid3tags", "1"},
        };
        QStringList keysInFile = TIniFile(settingsPath()).ReadSection(QStringLiteral("Zolvane"));
        QStringList expectedKeys;
        for (const auto &e : expected) {
            expectedKeys << QString::fromLatin1(e.key);
            QCOMPARE(readKey(e.key), QString::fromUtf8(e.value));
        }
        // Written in the order of the table, into a file that did not exist before.
        QCOMPARE(keysInFile, expectedKeys);
    }

    void closeKeepsOtherKeysOfTheFile()
    {
        writeSettings("Kandrum_path=/opt/k/Kandrum.exe\r\ntempo=12\r\n");
        AdvancedSet->show();
        AdvancedSet->close();
        QCOMPARE(readKey("Kandrum_path"), QStringLiteral("/opt/k/Kandrum.exe"));
        QCOMPARE(readKey("tempo"), QStringLiteral("12"));
    }

    void noId3WrittenAtOneCloseIsTickedAtTheNextShowing()
    {
        // Opened from the main window's button and closed with Ok.
        QTimer::singleShot(0, [] {
            box("chNoID3Tags")->setChecked(true);
            QTest::mouseClick(adv<QPushButton>("btOk"), Qt::LeftButton);
        });
        MainForm->btnAdvSettingsClick();
        QVERIFY(!AdvancedSet->isVisible());
        QCOMPARE(readKey("noid3tags"), QStringLiteral("1"));
        box("chNoID3Tags")->setChecked(false); // changed elsewhere without writing its key
        AdvancedSet->show();
        QVERIFY(box("chNoID3Tags")->isChecked());
        AdvancedSet->close();
    }

    void loadSetsControlsAndFragments()
    {
        writeSettings("check_lfe=0\r\nlfe=-1db\r\noutput_mode_check=1\r\noutput_mode=3\r\n"
                      "tempo_check=0\r\ntempo=10\r\npitch_check=1\r\npitch=-7\r\n"
                      "check_convfr=1\r\nin_convfr=24000\r\nout_convfr=25000\r\n"
                      "dllname_check=1\r\ndllname=/other/Plug.dll\r\ndllfunc_check=1\r\ndllfunc=Go\r\n"
                      "output_log=0\r\noutput_loga=1\r\nsilence_check=1\r\nsilence_append=300\r\n"
                      "rate_check=1\r\nrate=9000\r\n");
        AdvancedSet->show();
        QVERIFY(!box("chLFEtoLR")->isChecked());
        QVERIFY(!edit("edLFEtoLR")->isEnabled());
        QCOMPARE(edit("edLFEtoLR")->text(), QStringLiteral("-1db"));
        QCOMPARE(adv<QComboBox>("cbOutputMode")->currentIndex(), 3);
        QVERIFY(!box("chSoundTouchTempo")->isChecked());
        QCOMPARE(spin("SpEdtSoundTouchTempo")->value(), 10);
        QCOMPARE(fragments().tempo, QByteArray());
        QCOMPARE(fragments().pitch, QByteArray(" -pitch -7"));
        QCOMPARE(fragments().frc, QByteArray(" -r 24000 25000"));
        // A stored value beyond the spin edit's range is taken to its limit.
        QCOMPARE(fragments().rate, QByteArray(" -rate 5000"));
        QCOMPARE(fragments().name, QByteArray(" -name /other/Plug.dll"));
        QCOMPARE(fragments().func, QByteArray(" -func Go"));
        QVERIFY(edit("edAppendSilence")->isEnabled());
        QCOMPARE(edit("edAppendSilence")->text(), QStringLiteral("300"));
        // The log box is ticked after every showing, whatever the file said.
        QVERIFY(box("chOutputLog")->isChecked());
        QVERIFY(box("chOutputLoga")->isEnabled());
        QVERIFY(box("chOutputLoga")->isChecked());
        AdvancedSet->close();
    }

    void savedTempoWithItsBoxOffLeavesTheTempoSwitchOut()
    {
        QTreeWidgetItem *row = addSelectedJob();
        writeSettings("tempo_check=0\r\ntempo=10\r\n");
        AdvancedSet->FormShow();
        QCOMPARE(fragments().tempo, QByteArray());
        box("chSoundTouchPitch")->setChecked(true);
        QVERIFY2(jobCmd(row).contains(" -soundtouch( -pitch 0 )"), qPrintable(jobCmd(row)));
        QVERIFY(!jobCmd(row).contains("-tempo"));
    }

    void loadKeepsControlsOnValuesItCannotUse_data()
    {
        QTest::addColumn<QByteArray>("file");
        // Box values other than 0 and 1 leave the box; a missing box key reads as 0.
        const QByteArray boxes = "check_lfe=2\r\ndnr_check=-1\r\n";
        QTest::newRow("box values other than 0 and 1") << boxes;
        QTest::newRow("list index not a number") << boxes + "output_mode=dpl\r\n";
        QTest::newRow("list index outside the list") << boxes + "output_mode=7\r\n";
        QTest::newRow("negative list index") << boxes + "output_mode=-1\r\n";
        QTest::newRow("spin text not a number") << boxes + "tempo=fast\r\n";
    }
    void loadKeepsControlsOnValuesItCannotUse()
    {
        QFETCH(QByteArray, file);
        box("chDNR")->setChecked(true);
        writeSettings(file);
        AdvancedSet->FormShow();
        QVERIFY(box("chLFEtoLR")->isChecked());
        QVERIFY(box("chDNR")->isChecked());
        QCOMPARE(adv<QComboBox>("cbOutputMode")->currentIndex(), 1);
        QCOMPARE(spin("SpEdtSoundTouchTempo")->value(), 0);
        QCOMPARE(edit("edLFEtoLR")->text(), QStringLiteral("-3db"));
    }

    void loadWithoutAFileKeepsTheControls()
    {
        box("chDNR")->setChecked(true);
        box("chOutputLog")->setChecked(false);
        AdvancedSet->FormShow();
        QVERIFY(box("chDNR")->isChecked());
        QVERIFY(box("chLFEtoLR")->isChecked());
        QVERIFY(box("chOutputLog")->isChecked());
        QVERIFY(!QFileInfo::exists(settingsPath()));
    }

    void channelKeysWrittenElsewhereAreReadAtEachShowing()
    {
        AdvancedSet->show();
        AdvancedSet->close();
        TIniFile settings(settingsPath());
        settings.WriteInteger(QStringLiteral("Zolvane"), QStringLiteral("check_lfe"), 0);
        settings.WriteInteger(QStringLiteral("Zolvane"), QStringLiteral("output_mode_check"), 0);
        AdvancedSet->show();
        QVERIFY(!box("chLFEtoLR")->isChecked());
        QVERIFY(!box("chOutputMode")->isChecked());
        QVERIFY(!adv("cbOutputMode")->isEnabled());
        AdvancedSet->close();
        QCOMPARE(readKey("check_lfe"), QStringLiteral("0"));
    }

    void showingAdaptsTheOptionsToTheSelectedInput()
    {
        writeSettings("check_lfe=1\r\noutput_mode_check=1\r\ndnr_check=1\r\n");
        addSelectedJob(QStringLiteral("song.wav"));
        AdvancedSet->FormShow();
        for (const char *name : {"chLFEtoLR", "chOutputMode", "chDNR"})
            QVERIFY2(!box(name)->isChecked(), name);
    }

    void showingWithRowsButNoneSelectedSkipsTheInputStep()
    {
        writeSettings("check_lfe=1\r\n");
        QTreeWidgetItem *row = addSelectedJob(QStringLiteral("song.wav"));
        row->setSelected(false);
        AdvancedSet->FormShow();
        QVERIFY(box("chLFEtoLR")->isChecked());
    }

    void startupLoadsTheDialogBeforeTheMainWindowSettings()
    {
        writeSettings("Kandrum_path=" ZOLVANE_TRANSCODER_DIR "/Kandrum.exe\r\nnoid3tags=1\r\nrear_chan=1\r\n");
        // Any dialog the start-up opens is closed at once.
        QTimer closer;
        connect(&closer, &QTimer::timeout, [] {
            if (QWidget *modal = QApplication::activeModalWidget())
                modal->close();
        });
        closer.start(5);
        MainForm->show();
        QTRY_VERIFY(box("chNoID3Tags")->isChecked());
        QVERIFY(box("chRearChan")->isChecked());
        QVERIFY(!AdvancedSet->isVisible());
        MainForm->hide();
    }

    void failedWriteIsReportedAndTheDialogCloses()
    {
        QVERIFY(QDir().mkpath(settingsPath())); // a folder where the file should be
        AdvancedSet->show();
        AdvancedSet->close();
        QVERIFY(!AdvancedSet->isVisible());
        QCOMPARE(m_errors.size(), 1);
        QVERIFY2(m_errors.constFirst().startsWith(QStringLiteral("Unable to write to")), qPrintable(m_errors.constFirst()));
    }
};

QTEST_MAIN(TestAdvanced)
#include "tst_advanced.moc"
