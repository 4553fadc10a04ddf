// The Presets menu on the program's own windows: what each item sets, in which order, and the
// command line of the selected job that results.

#include "JobRow.h"
#include "MainFormControls.h"
#include "UAdvanced.h"
#include "UMain.h"
#include "UMainGlobals.h"
#include "ZolvaneApp.h"

#include <QRadioButton>
#include <QtTest>
#include <QtWidgets>

namespace {

// The state of a control as one text: ticks "1"/"0", positions and values in decimal, a combo
// box's item index, the active page's name, "shown"/"hidden" for a group box.
QString stateOf(const QString &path)
{
    QObject *object = ControlAt(path);
    if (!object)
        return QStringLiteral("<missing %1>").arg(path);
    if (auto *pages = qobject_cast<QTabWidget *>(object))
        return pages->currentWidget()->objectName();
    if (auto *combo = qobject_cast<QComboBox *>(object))
        return QString::number(combo->currentIndex());
    if (auto *group = qobject_cast<QGroupBox *>(object))
        return group->isHidden() ? QStringLiteral("hidden") : QStringLiteral("shown");
    if (auto *button = qobject_cast<QAbstractButton *>(object))
        return button->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    if (auto *bar = qobject_cast<QAbstractSlider *>(object))
        return QString::number(bar->value());
    if (auto *spin = qobject_cast<QSpinBox *>(object))
        return QString::number(spin->value());
    if (auto *action = qobject_cast<QAction *>(object))
        return action->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    return QStringLiteral("<kind of %1>").arg(path);
}

template <typename T>
T *widget(const char *path)
{
    return qobject_cast<T *>(ControlAt(QString::fromLatin1(path)));
}

QAction *item(const QString &name)
{
    return MainForm->findChild<QAction *>(name);
}

// Whether the option pages' own handlers are bound: ticking 5.1 on the CT engine leaves the
// two-entry format list.
bool AACHandlersBound()
{
    MainForm->cbAACEncEngine->setCurrentIndex(3);
    MainForm->rbAACOutputCh2->setChecked(true);
    MainForm->rbAACOutputCh6->setChecked(true);
    const bool bound = MainForm->CTFrame1->cbCTFormat->count() == 2;
    MainForm->rbAACOutputCh2->setChecked(true);
    return bound;
}

} // namespace

class TestPresets : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QDir(ProgramFolder() + QStringLiteral("Zolvane.ini")).removeRecursively();
        QFile::remove(ProgramFolder() + QStringLiteral("Zolvane.ini"));
        InitZolvaneProcess();
        CreateZolvaneWindows();
        QVERIFY(MainForm && AdvancedSet);
    }
    void cleanupTestCase() { DestroyZolvaneWindows(); }

    // One selected job, so that every rebuild writes the job's command line.
    void init() { AddSelectedJob(); }
    void cleanup() { MainForm->InputListView->clear(); }

    // Every preset is a check item with its tag in menu order; the captions keep their double
    // and trailing blanks.
    void itemsAreCheckItemsTaggedInOrder()
    {
        int count = 0;
        for (QMenu *family : MainForm->Presets->findChildren<QMenu *>()) {
            int expected = 0;
            for (QAction *action : family->actions()) {
                if (action->isSeparator() || action->menu())
                    continue;
                QVERIFY2(action->isCheckable(), qPrintable(action->objectName()));
                QCOMPARE(action->property("tag").toInt(), expected);
                ++expected;
                ++count;
            }
        }
        QCOMPARE(count, 63);
        QCOMPARE(item("PSNDAAC6")->text(), QStringLiteral("Q = 0.10  (~24 kbps)"));
        QCOMPARE(item("NDHEAAC15")->text(), QStringLiteral("5.1 - Q = 0.20 "));
        QCOMPARE(item("LCVBR11")->text(), QStringLiteral("2.0 - Q = 0.54  (~192 kbps) "));
    }

    // Clicking an item ticks it alone within its own family; the ticks of other families stay.
    void tickIsPerFamily()
    {
        item("AC3_1")->trigger();
        item("AC3_4")->trigger();
        QCOMPARE(stateOf("AC3_1"), QStringLiteral("0"));
        QCOMPARE(stateOf("AC3_4"), QStringLiteral("1"));
        item("Music1")->trigger();
        QCOMPARE(stateOf("AC3_4"), QStringLiteral("1"));
        QCOMPARE(stateOf("Music1"), QStringLiteral("1"));
        // Clicking the ticked item again keeps it ticked.
        item("Music1")->trigger();
        QCOMPARE(stateOf("Music1"), QStringLiteral("1"));
        QCOMPARE(stateOf("Movie1"), QStringLiteral("0"));
    }

    // What each row sets, and the blocks of the selected job's command line that follow. Each
    // case starts on the WAV page with resampling ticked at 16000 Hz (so that its reset shows)
    // and the advanced boxes in the state opposite to the one the preset sets.
    void presetSetsControls_data()
    {
        QTest::addColumn<QString>("preset");
        QTest::addColumn<QStringList>("states");
        QTest::addColumn<QStringList>("commandParts");

        const QStringList aac{"PageControl1=TabSheet1", "chSSRC=0"};
        QTest::newRow("PS CT 24") << "PSCTAAC3"
            << (aac + QStringList{"cbAACEncEngine=3", "CTFrame1/rbMPEG4=1", "CTFrame1/TrackBar=24",
                                  "rbAACOutputCh2=1", "AdvancedSet/chLFEtoLR=1", "AdvancedSet/chOutputMode=1"})
            << QStringList{" -vornak(", "-cbr 24"};
        QTest::newRow("PS ND 0.18") << "PSNDAAC8"
            << (aac + QStringList{"cbAACEncEngine=2", "NDFrame1/rbQuality=1", "NDFrame1/TntComboBox1=3",
                                  "NDFrame1/trackBar=18", "rbAACOutputCh2=1", "AdvancedSet/chLFEtoLR=1"})
            << QStringList{" -kdn( -vbr 0.18 -aacprofile_hev2 )"};
        QTest::newRow("HE CT 2.0 128") << "CTHEAAC4"
            << (aac + QStringList{"cbAACEncEngine=3", "CTFrame1/TrackBar=128", "CTFrame1/cbCTFormat=1",
                                  "rbAACOutputCh2=1", "AdvancedSet/chLFEtoLR=1"})
            << QStringList{"-cbr 128", " -high )"};
        QTest::newRow("HE CT 5.1 160") << "CTHEAAC9"
            << (aac + QStringList{"cbAACEncEngine=3", "CTFrame1/TrackBar=160", "CTFrame1/cbCTFormat=0",
                                  "rbAACOutputCh6=1", "AdvancedSet/chLFEtoLR=0", "AdvancedSet/chOutputMode=0"})
            << QStringList{"-cbr 160 -6chnew )"};
        QTest::newRow("HE ND 2.0 0.34") << "NDHEAAC14"
            << (aac + QStringList{"cbAACEncEngine=2", "NDFrame1/TntComboBox1=2", "NDFrame1/trackBar=34",
                                  "rbAACOutputCh2=1", "AdvancedSet/chLFEtoLR=1"})
            << QStringList{" -kdn( -vbr 0.34 -aacprofile_he )"};
        QTest::newRow("HE ND 5.1 0.20") << "NDHEAAC15"
            << (aac + QStringList{"cbAACEncEngine=2", "NDFrame1/trackBar=20", "rbAACOutputCh6=1",
                                  "AdvancedSet/chLFEtoLR=0"})
            << QStringList{" -kdn( -vbr 0.2 -aacprofile_he -6chnew )"};
        QTest::newRow("LC CT 2.0 160") << "CTLCAAC3"
            << (aac + QStringList{"cbAACEncEngine=3", "CTFrame1/TrackBar=160", "CTFrame1/cbCTFormat=2",
                                  "rbAACOutputCh2=1"})
            << QStringList{"-cbr 160", " -lc )"};
        QTest::newRow("LC CT 5.1 192") << "CTLCAAC5"
            << (aac + QStringList{"cbAACEncEngine=3", "CTFrame1/TrackBar=192", "CTFrame1/cbCTFormat=1",
                                  "rbAACOutputCh6=1", "AdvancedSet/chOutputMode=0"})
            << QStringList{"-cbr 192 -lc -6chnew )"};
        QTest::newRow("LC ND 2.0 0.54") << "LCVBR11"
            << (aac + QStringList{"cbAACEncEngine=2", "NDFrame1/TntComboBox1=1", "NDFrame1/trackBar=54",
                                  "rbAACOutputCh2=1"})
            << QStringList{" -kdn( -vbr 0.54 -aacprofile_lc )"};
        QTest::newRow("LC ND 5.1 0.25") << "LCVBR14"
            << (aac + QStringList{"NDFrame1/trackBar=25", "rbAACOutputCh6=1", "AdvancedSet/chLFEtoLR=0"})
            << QStringList{" -kdn( -vbr 0.25 -aacprofile_lc -6chnew )"};
        QTest::newRow("FAAC 2.0 128") << "FLCAAC2"
            << (aac + QStringList{"cbAACEncEngine=1", "FaacFrame1/rbFaacABRMode=1",
                                  "FaacFrame1/SpEdFAACABRMode=128", "rbAACOutputCh2=1", "AdvancedSet/chLFEtoLR=1"})
            << QStringList{" -kdn( -exe faac.exe -b 128"};
        QTest::newRow("FAAC 5.1 256") << "FLCAAC5"
            << (aac + QStringList{"cbAACEncEngine=1", "FaacFrame1/SpEdFAACABRMode=256", "rbAACOutputCh6=1",
                                  "AdvancedSet/chLFEtoLR=0"})
            << QStringList{" -kdn( -exe faac.exe -b 256", " -6chnew )"};
        QTest::newRow("AC3 2.0 256") << "AC3_1"
            << QStringList{"PageControl1=TabSheet2", "chSSRC=0", "rbAften=1", "AftenFrame1/rbAftenBitrate=1",
                           "rbAC3OutputCh2=1", "AftenFrame1/AC3TrackBar=12", "AdvancedSet/chLFEtoLR=1"}
            << QStringList{" -kdn( -exe aften.exe -b 256"};
        QTest::newRow("AC3 5.1 448") << "AC3_5"
            << QStringList{"PageControl1=TabSheet2", "chSSRC=0", "rbAften=1", "rbAC3OutputCh6=1",
                           "AftenFrame1/AC3TrackBar=15", "AdvancedSet/chLFEtoLR=0"}
            << QStringList{" -kdn( -exe aften.exe -b 448"};
        QTest::newRow("MP2 (S)VCD") << "SVCD"
            << QStringList{"PageControl1=TabSheet3", "chSSRC=1", "cbSSRC=7", "rbMP2TooLame=1", "MP2TrackBar=7",
                           "chMP2EncMode=1", "cbMP2EncMode=2", "AdvancedSet/chLFEtoLR=1"}
            << QStringList{" -ssrc( --rate 44100 )", " -toolame( -m j -b 224 )"};
        QTest::newRow("MP2 DVD") << "DVD"
            << QStringList{"PageControl1=TabSheet3", "chSSRC=1", "cbSSRC=8", "MP2TrackBar=8", "cbMP2EncMode=2"}
            << QStringList{" -ssrc( --rate 48000 )", " -toolame( -m j -b 256 )"};
        QTest::newRow("MP3 Movie") << "Movie1"
            << QStringList{"PageControl1=TabSheet4", "chSSRC=0", "rbMP3Bitrate=1",
                           "LameFrame1/MP3TrackBar_Bitrate=128", "AdvancedSet/chLFEtoLR=1"}
            << QStringList{" -lame( --abr 128"};
        QTest::newRow("MP3 Music") << "Music1"
            << QStringList{"PageControl1=TabSheet4", "rbMP3Quality=1", "LameFrame1/MP3TrackBar_Quality=7",
                           "LameFrame1/cbVBRMode=0"}
            << QStringList{" -lame( -v --vbr-old -V 2 -b 32"};
        QTest::newRow("MP3 DAP") << "DAP1"
            << QStringList{"PageControl1=TabSheet4", "rbMP3Quality=1", "LameFrame1/MP3TrackBar_Quality=6",
                           "LameFrame1/cbVBRMode=1"}
            << QStringList{" -lame( -v --vbr-new -V 3 -b 32"};
        QTest::newRow("VORBIS 2.0 q 5") << "OGG4"
            << QStringList{"PageControl1=TabSheet5", "chSSRC=0", "rbVORBISOutputCh2=1", "VORBISScrollBar=500",
                           "AdvancedSet/chLFEtoLR=1"}
            << QStringList{" -ogg( -q 0.500 )"};
        QTest::newRow("VORBIS 5.1 q 4") << "OGG8"
            << QStringList{"PageControl1=TabSheet5", "rbVORBISOutputCh6=1", "VORBISScrollBar=400",
                           "AdvancedSet/chOutputMode=0"}
            << QStringList{" -ogg( -q 0.400 -6ch 1 )"};
        QTest::newRow("WAV 2.0") << "N20WAV1"
            << QStringList{"PageControl1=TabSheet6", "chSSRC=0", "rbWAVOutput=1", "rbWAVOutput2=1",
                           "AdvancedSet/chLFEtoLR=1"}
            << QStringList{};
        QTest::newRow("WAV 5.1") << "N51WAV1"
            << QStringList{"PageControl1=TabSheet6", "rbWAVOutput=1", "rbWAVOutput1=1", "gbWAVOutputCh=shown",
                           "AdvancedSet/chLFEtoLR=0"}
            << QStringList{};
        QTest::newRow("WAV DD") << "DDWAV1"
            << QStringList{"PageControl1=TabSheet6", "rbDDWAVOutput=1", "gbWAVOutputCh=hidden",
                           "AdvancedSet/chOutputMode=0"}
            << QStringList{};
    }

    void presetSetsControls()
    {
        QFETCH(QString, preset);
        QFETCH(QStringList, states);
        QFETCH(QStringList, commandParts);

        MainForm->PageControl1->setCurrentWidget(MainForm->TabSheet6);
        MainForm->chSSRC->setChecked(true);
        MainForm->cbSSRC->setEnabled(true);
        MainForm->cbSSRC->setCurrentIndex(qMin(3, MainForm->cbSSRC->count() - 1));
        const bool boxesOnExpected = states.contains(QStringLiteral("AdvancedSet/chLFEtoLR=1"))
                                     || states.contains(QStringLiteral("AdvancedSet/chOutputMode=1"));
        widget<QCheckBox>("AdvancedSet/chLFEtoLR")->setChecked(!boxesOnExpected);
        widget<QCheckBox>("AdvancedSet/chOutputMode")->setChecked(!boxesOnExpected);

        QAction *action = item(preset);
        QVERIFY(action);
        action->trigger();

        QVERIFY(action->isChecked());
        for (const QString &state : states) {
            const QString path = state.section(QLatin1Char('='), 0, 0);
            QCOMPARE(path + QLatin1Char('=') + stateOf(path), state);
        }
        if (!states.contains(QStringLiteral("chSSRC=1")))
            QVERIFY(!MainForm->cbSSRC->isEnabled());

        const QString cmd = MainForm->InputListView->currentItem()->text(jcCmd);
        QVERIFY2(cmd.startsWith(QString::fromLocal8Bit(CommandBase)), qPrintable(cmd));
        for (const QString &part : commandParts)
            QVERIFY2(cmd.contains(part), qPrintable(QStringLiteral("%1 lacks %2").arg(cmd, part)));
        // Only the MP2 presets resample.
        QCOMPARE(cmd.contains(QLatin1String(" -ssrc(")), states.contains(QStringLiteral("chSSRC=1")));
    }

    // Making the page active from code runs no page-switch handler: the preset alone decides.
    void pageSwitchSignalIsQuiet()
    {
        MainForm->PageControl1->setCurrentWidget(MainForm->TabSheet6);
        QSignalSpy switched(MainForm->PageControl1, &QTabWidget::currentChanged);
        item("AC3_2")->trigger();
        QCOMPARE(MainForm->PageControl1->currentWidget(), MainForm->TabSheet2);
        QCOMPARE(switched.count(), 0);
    }

    // The item's settings by tag, in the order the handlers need them; the results that the page
    // handlers produce along the way.
    void handlerOrderResults_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("preset");
        QTest::addColumn<QStringList>("states");
        // From 5.1 the parametric-stereo preset ends in stereo, "HE AAC", parametric stereo.
        QTest::newRow("PS CT from 5.1") << "CTHEAAC8" << "PSCTAAC2"
            << QStringList{"rbAACOutputCh2=1", "CTFrame1/cbCTFormat=0", "CTFrame1/TrackBar=16",
                           "CTFrame1/cbAACMode=2"};
        // A 5.1 LC preset keeps its rate: "LC AAC" is chosen before the rate, so the HE AAC limit
        // of 213 kbps does not cut it.
        QTest::newRow("LC CT 5.1 256 from stereo") << "CTHEAAC1" << "CTLCAAC6"
            << QStringList{"rbAACOutputCh6=1", "CTFrame1/cbCTFormat=1", "CTFrame1/TrackBar=256"};
        QTest::newRow("LC CT 5.1 256 from 5.1 HE AAC") << "CTHEAAC8" << "CTLCAAC6"
            << QStringList{"rbAACOutputCh6=1", "CTFrame1/cbCTFormat=1", "CTFrame1/TrackBar=256"};
        // The 96 kbps HE 5.1 preset ends in "HE AAC" after an LC 5.1 preset as from stereo.
        QTest::newRow("HE CT 5.1 96 after LC 5.1") << "CTLCAAC4" << "CTHEAAC7"
            << QStringList{"rbAACOutputCh6=1", "CTFrame1/cbCTFormat=0", "CTFrame1/TrackBar=96"};
        QTest::newRow("HE CT 5.1 96 from stereo") << "CTHEAAC1" << "CTHEAAC7"
            << QStringList{"rbAACOutputCh6=1", "CTFrame1/cbCTFormat=0", "CTFrame1/TrackBar=96"};
        // The HE 5.1 top rate stays within the HE AAC limit.
        QTest::newRow("HE CT 5.1 212") << "CTHEAAC1" << "CTHEAAC10"
            << QStringList{"rbAACOutputCh6=1", "CTFrame1/cbCTFormat=0", "CTFrame1/TrackBar=212"};
    }

    void handlerOrderResults()
    {
        QFETCH(QString, before);
        QFETCH(QString, preset);
        QFETCH(QStringList, states);
        QVERIFY2(AACHandlersBound(), "the AAC page's channel and format handlers are bound");
        item(before)->trigger();
        item(preset)->trigger();
        for (const QString &state : states) {
            const QString path = state.section(QLatin1Char('='), 0, 0);
            QCOMPARE(path + QLatin1Char('=') + stateOf(path), state);
        }
        QVERIFY(MainForm->InputListView->currentItem()->text(jcCmd).contains(
            QStringLiteral("-cbr %1").arg(MainForm->CTFrame1->TrackBar->value())));
    }

    // Presets after the earlier presets that left the Winamp plug-in's lists of the other channel
    // choice or a rate over a format's limit: each ends at its own rate, channels and format, and
    // the job's command line says so.
    void ctPresetsAfterEarlierPresets_data()
    {
        QTest::addColumn<QStringList>("sequence");
        QTest::addColumn<QStringList>("states");
        QTest::addColumn<QString>("commandPart");
        const QStringList ps{"rbAACOutputCh2=1", "CTFrame1/cbCTFormat=0", "CTFrame1/cbAACMode=2"};
        QTest::newRow("PS 10 after HE 5.1 160") << QStringList{"CTHEAAC9", "PSCTAAC1"}
            << (ps + QStringList{"CTFrame1/TrackBar=10"}) << "-cbr 10 -mode 4 )";
        QTest::newRow("PS 48 after LC 5.1 256") << QStringList{"CTLCAAC6", "PSCTAAC5"}
            << (ps + QStringList{"CTFrame1/TrackBar=48"}) << "-cbr 48 -mode 4 )";
        QTest::newRow("PS 24 after HE High 2.0 128") << QStringList{"CTHEAAC4", "PSCTAAC3"}
            << (ps + QStringList{"CTFrame1/TrackBar=24"}) << "-cbr 24 -mode 4 )";
        QTest::newRow("PS 16 after HE High 2.0 192") << QStringList{"CTHEAAC6", "PSCTAAC2"}
            << (ps + QStringList{"CTFrame1/TrackBar=16"}) << "-cbr 16 -mode 4 )";
        // A stereo preset of another engine leaves the 5.1 format list behind.
        QTest::newRow("LC 2.0 128 after CT 5.1, ND 2.0") << QStringList{"CTHEAAC8", "NDHEAAC11", "CTLCAAC2"}
            << QStringList{"rbAACOutputCh2=1", "CTFrame1/cbCTFormat=2", "CTFrame1/TrackBar=128"}
            << "-cbr 128 -mode 2 -lc )";
        QTest::newRow("HE High 2.0 160 after CT 5.1, FAAC 2.0") << QStringList{"CTLCAAC5", "FLCAAC1", "CTHEAAC5"}
            << QStringList{"rbAACOutputCh2=1", "CTFrame1/cbCTFormat=1", "CTFrame1/TrackBar=160"}
            << "-cbr 160 -mode 2 -high )";
        // ... and a 5.1 preset of another engine the stereo list.
        QTest::newRow("LC 5.1 160 after CT 2.0, ND 5.1") << QStringList{"CTLCAAC1", "LCVBR13", "CTLCAAC4"}
            << QStringList{"rbAACOutputCh6=1", "CTFrame1/cbCTFormat=1", "CTFrame1/TrackBar=160"}
            << "-cbr 160 -lc -6chnew )";
        QTest::newRow("HE 5.1 128 after CT 2.0 High, FAAC 5.1") << QStringList{"CTHEAAC6", "FLCAAC4", "CTHEAAC8"}
            << QStringList{"rbAACOutputCh6=1", "CTFrame1/cbCTFormat=0", "CTFrame1/TrackBar=128"}
            << "-cbr 128 -6chnew )";
    }

    void ctPresetsAfterEarlierPresets()
    {
        QFETCH(QStringList, sequence);
        QFETCH(QStringList, states);
        QFETCH(QString, commandPart);
        for (const QString &name : sequence)
            item(name)->trigger();
        for (const QString &state : states) {
            const QString path = state.section(QLatin1Char('='), 0, 0);
            QCOMPARE(path + QLatin1Char('=') + stateOf(path), state);
        }
        const int format = MainForm->CTFrame1->cbCTFormat->currentIndex();
        const QString formatText = MainForm->CTFrame1->cbCTFormat->currentText();
        QCOMPARE(formatText, MainForm->rbAACOutputCh2->isChecked()
                                 ? QStringList({"HE AAC", "HE AAC High", "LC AAC"}).value(format)
                                 : QStringList({"HE AAC", "LC AAC"}).value(format));
        const QString cmd = MainForm->InputListView->currentItem()->text(jcCmd);
        QVERIFY2(cmd.contains(commandPart), qPrintable(cmd));
    }

    // A preset of another engine changes the channels; the user then picks the Winamp plug-in by
    // the keyboard. Its format list is the one of the channels now ticked, and the format shown is
    // the one the job runs.
    void ctChosenByHandAfterAnotherEnginesPreset_data()
    {
        QTest::addColumn<QStringList>("sequence");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("commandPart");
        QTest::newRow("CT 5.1 LC, ND 2.0, then CT") << QStringList{"CTLCAAC5", "NDHEAAC11"} << "HE AAC High"
                                                   << "-mode 2 -high )";
        QTest::newRow("CT 2.0 LC, ND 5.1, then CT") << QStringList{"CTLCAAC1", "LCVBR13"} << "HE AAC"
                                                   << "-cbr 96 -6chnew )";
        QTest::newRow("CT 2.0 LC, FAAC 5.1, then CT") << QStringList{"CTLCAAC2", "FLCAAC4"} << "HE AAC"
                                                     << "-cbr 128 -6chnew )";
    }
    void ctChosenByHandAfterAnotherEnginesPreset()
    {
        QFETCH(QStringList, sequence);
        QFETCH(QString, format);
        QFETCH(QString, commandPart);
        for (const QString &name : sequence)
            item(name)->trigger();
        QComboBox *engine = MainForm->cbAACEncEngine;
        QVERIFY(engine->currentIndex() != 3);
        while (engine->currentIndex() != 3)
            QTest::keyClick(engine, Qt::Key_Down);
        const bool stereo = MainForm->rbAACOutputCh2->isChecked();
        QComboBox *formats = MainForm->CTFrame1->cbCTFormat;
        QCOMPARE(formats->count(), stereo ? 3 : 2);
        QCOMPARE(formats->currentText(), format);
        const QString cmd = MainForm->InputListView->currentItem()->text(jcCmd);
        QVERIFY2(cmd.contains(commandPart), qPrintable(cmd));
    }

    // The MP2 presets resample: the VORBIS page's bit-rate estimate, which follows the sample
    // rate chosen, shows the preset's rate and not the one chosen before.
    void mp2PresetRateReachesTheVorbisEstimate()
    {
        item("OGG3")->trigger(); // stereo, quality 4
        QLabel *estimate = MainForm->lbVORBISnomBitrateVal;
        QComboBox *rates = MainForm->cbSSRC;
        MainForm->chSSRC->setChecked(false);
        rates->setCurrentIndex(1);
        emit rates->activated(1); // 11025
        item("SVCD")->trigger(); // 44100
        QVERIFY(MainForm->chSSRC->isChecked());
        QCOMPARE(rates->currentText(), QStringLiteral("44100"));
        const QString shown = estimate->text();
        // A click on the estimate works it out again from the controls as they stand.
        QTest::mouseClick(estimate, Qt::LeftButton);
        QCOMPARE(shown, estimate->text());
        // and the rate chosen before would have shown another estimate.
        MainForm->chSSRC->setChecked(false);
        rates->setCurrentIndex(1);
        emit rates->activated(1);
        MainForm->chSSRC->setChecked(true);
        QVERIFY2(estimate->text() != shown, qPrintable(shown));
        item("DVD")->trigger(); // 48000 after 11025 with resampling on
        const QString dvd = estimate->text();
        QTest::mouseClick(estimate, Qt::LeftButton);
        QCOMPARE(dvd, estimate->text());
    }

    // The VORBIS quality presets tick the quality target, whichever target stood before.
    void vorbisQualityPresetFromBitrateMode()
    {
        MainForm->PageControl1->setCurrentWidget(MainForm->TabSheet5);
        MainForm->rbVORBISBitrate->click();
        QVERIFY(!MainForm->VORBISScrollBar->isEnabled());
        item("OGG1")->trigger();
        QVERIFY(MainForm->rbVORBISQuality->isChecked());
        QVERIFY(MainForm->VORBISScrollBar->isEnabled());
        QVERIFY(!MainForm->SpEdtVORBISnom->isEnabled());
        const QString cmd = MainForm->InputListView->currentItem()->text(jcCmd);
        QVERIFY2(cmd.contains(QLatin1String(" -ogg( -q 0.200 )")), qPrintable(cmd));
    }

    // The MP3 presets are LAME targets: after a 5.1 choice (the Aud-X encoder) they bring back
    // the stereo encoder whose controls they set.
    void mp3PresetAfterFiveOneMp3()
    {
        QTemporaryDir audx;
        QVERIFY(audx.isValid());
        QFile encoder(audx.filePath(QStringLiteral("audx.exe")));
        QVERIFY(encoder.open(QIODevice::WriteOnly));
        encoder.close();
        const QByteArray folder = std::exchange(AudXFolder, audx.path().toLocal8Bit());
        const auto restore = qScopeGuard([folder] { AudXFolder = folder; });

        MainForm->PageControl1->setCurrentWidget(MainForm->TabSheet4);
        MainForm->rbMP3Ch6->click();
        QVERIFY(MainForm->rbMP3Ch6->isChecked());
        for (const char *name : {"Music1", "Movie1"}) {
            item(QLatin1String(name))->trigger();
            QVERIFY(MainForm->rbMP3Ch2->isChecked());
            QVERIFY(!MainForm->LameFrame1->isHidden());
            QVERIFY(MainForm->gbMP3Target->isEnabled());
            MainForm->rbMP3Ch6->click();
        }
        MainForm->rbMP3Ch6->click();
        item("DAP1")->trigger();
        const QString cmd = MainForm->InputListView->currentItem()->text(jcCmd);
        QVERIFY2(cmd.contains(QLatin1String(" -lame( -v --vbr-new -V 3")), qPrintable(cmd));
        MainForm->rbMP3Ch2->click();
    }

    // A preset's downmix boxes outlast the next showing of the advanced dialog, which takes its
    // boxes from the settings file.
    void downmixBoxesOutlastTheAdvancedDialog_data()
    {
        QTest::addColumn<QStringList>("sequence");
        QTest::addColumn<bool>("downmix");
        QTest::newRow("AC3 5.1, then WAV 2.0") << QStringList{"AC3_4", "N20WAV1"} << true;
        QTest::newRow("VORBIS 5.1, then MP3") << QStringList{"OGG6", "Music1"} << true;
        QTest::newRow("VORBIS 5.1, then MP2") << QStringList{"OGG7", "SVCD"} << true;
        QTest::newRow("AAC 5.1, then PS ND") << QStringList{"LCVBR14", "PSNDAAC6"} << true;
        QTest::newRow("WAV 2.0, then DD-WAV") << QStringList{"N20WAV1", "DDWAV1"} << false;
        QTest::newRow("AC3 2.0, then HE CT 5.1") << QStringList{"AC3_2", "CTHEAAC7"} << false;
        // The same hand-off when the user clicks the format radio instead of a preset.
        QTest::newRow("WAV 2.0, then a click on DD-WAV") << QStringList{"N20WAV1", "click:rbDDWAVOutput"} << false;
        QTest::newRow("DD-WAV, then a click on WAV") << QStringList{"DDWAV1", "click:rbWAVOutput"} << true;
    }

    void downmixBoxesOutlastTheAdvancedDialog()
    {
        QFETCH(QStringList, sequence);
        QFETCH(bool, downmix);
        for (const QString &name : sequence) {
            if (name.startsWith(QLatin1String("click:"))) {
                auto *radio = MainForm->findChild<QRadioButton *>(name.mid(6));
                QVERIFY2(radio && radio->isVisibleTo(MainForm) && radio->isEnabled(), qPrintable(name));
                radio->click(); // as a click of the user's
                QVERIFY2(radio->isChecked(), qPrintable(name));
            } else {
                item(name)->trigger();
            }
        }
        // Open and close Advanced Settings from the main window.
        QTimer::singleShot(0, [] {
            QTest::mouseClick(AdvancedSet->findChild<QPushButton *>(QStringLiteral("btOk")), Qt::LeftButton);
        });
        MainForm->btnAdvSettings->click();
        QVERIFY(!AdvancedSet->isVisible());
        QCOMPARE(stateOf("AdvancedSet/chLFEtoLR"), QLatin1String(downmix ? "1" : "0"));
        QCOMPARE(stateOf("AdvancedSet/chOutputMode"), QLatin1String(downmix ? "1" : "0"));
        const QString cmd = MainForm->InputListView->currentItem()->text(jcCmd);
        QVERIFY2(cmd.contains(QLatin1String(" -s stereo")) == downmix, qPrintable(cmd));
        QVERIFY2(cmd.contains(QLatin1String(" -L -3db")) == downmix, qPrintable(cmd));
    }

    // A settings file that cannot be written is told once, and every preset still reaches the
    // command line it gives with a writable file.
    void failedKeyWriteIsToldOnceAndThePresetGoesOn()
    {
        const char *const names[] = {"AC3_4", "N20WAV1", "OGG7", "CTHEAAC8"};
        QStringList expected;
        for (const char *name : names) {
            item("AC3_1")->trigger();
            item(QLatin1String(name))->trigger();
            expected << MainForm->InputListView->currentItem()->text(jcCmd);
        }
        item("AC3_1")->trigger();
        QStringList errors;
        TMainForm::MessageHook = [&errors](QWidget *, const QString &text, bool error) {
            if (error)
                errors << text;
        };
        const QString settings = ProgramFolder() + QStringLiteral("Zolvane.ini");
        QFile::remove(settings);
        QVERIFY(QDir().mkdir(settings)); // a folder where the file should be
        const auto restore = qScopeGuard([settings] {
            QDir().rmdir(settings);
            TMainForm::MessageHook = nullptr;
        });
        for (int i = 0; i < 4; ++i) {
            item(QLatin1String(names[i]))->trigger();
            QCOMPARE(MainForm->InputListView->currentItem()->text(jcCmd), expected[i]);
            QVERIFY2(errors.size() == 1, qPrintable(QStringLiteral("%1: %2").arg(names[i], errors.join(" | "))));
            QVERIFY2(errors.first().startsWith(QLatin1String("Unable to write to")), qPrintable(errors.first()));
        }
    }

    // With the gain mode ticked, every family leaves the gain mode at its list's first entry.
    void gainModeBackToFirstEntry_data()
    {
        QTest::addColumn<QString>("preset");
        for (const char *name : {"PSCTAAC1", "NDHEAAC11", "CTLCAAC1", "FLCAAC1", "AC3_2", "DVD", "Movie1",
                                 "OGG1", "N20WAV1"})
            QTest::newRow(name) << name;
    }

    void gainModeBackToFirstEntry()
    {
        QFETCH(QString, preset);
        MainForm->chOTAMode->setChecked(true);
        QVERIFY2(MainForm->cbOTAMode->count() >= 2, "the gain-mode list is filled by the page handlers");
        MainForm->cbOTAMode->setCurrentIndex(1);
        item(preset)->trigger();
        QCOMPARE(MainForm->cbOTAMode->currentIndex(), 0);
    }
};

QTEST_MAIN(TestPresets)
#include "tst_presets.moc"
