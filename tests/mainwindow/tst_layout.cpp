// The main window as the layout builds it: menus, job list, status bar, pages and frames.
#include "JobRow.h"
#include "KDCmdlGather.h"
#include "UMainGlobals.h"
#include "UMain.h"
#include "ZolvaneApp.h"

#include <QtTest>
#include <QtWidgets>

namespace {

// Finds a control of the main window by "name" or "Frame/name".
QWidget *control(const QString &path)
{
    const QStringList parts = path.split(QLatin1Char('/'));
    QObject *scope = MainForm;
    for (const QString &part : parts) {
        QObject *next = scope->findChild<QObject *>(part);
        if (!next)
            return nullptr;
        scope = next;
    }
    return qobject_cast<QWidget *>(scope);
}

QStringList actionNames(QMenu *menu)
{
    QStringList names;
    for (QAction *item : menu->actions())
        names << (item->isSeparator() ? QStringLiteral("-")
                  : item->menu()        ? item->menu()->objectName()
                                        : item->objectName());
    return names;
}

// Receives the addresses the program asks the desktop to open.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }
};

} // namespace

class TestLayout : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        InitZolvaneProcess();
        CreateZolvaneWindows();
        // The language items load the program's own language files.
        MainForm->LanguageFolder = QByteArrayLiteral(ZOLVANE_BIN_DIR "/lang/");
    }
    void cleanupTestCase() { DestroyZolvaneWindows(); }

    void menuTree_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("File") << "File1" << "&File"
                              << QStringList{"Open1", "AddDir", "Save1", "MiCreateLstFile", "MiCreatemuxFile", "-", "Quit1"};
        QTest::newRow("Edit") << "Edit" << "&Edit" << QStringList{"EditKDCL", "SplitFiles", "UpMixFiles"};
        QTest::newRow("Options") << "Options" << "Option&s"
                                 << QStringList{"Help", "Priority", "View1", "-", "Lang", "-", "GotoAction"};
        QTest::newRow("Help") << "Help" << "Help" << QStringList{"ForumLink1", "ForumLink2", "-", "Guide1"};
        QTest::newRow("Priority") << "Priority" << "Priority"
                                  << QStringList{"Real1", "Highest1", "High1", "Normal1", "Low1", "Lowest1"};
        QTest::newRow("View") << "View1" << "View" << QStringList{"Log1", "tab1"};
        QTest::newRow("Tabs") << "tab1" << "Tabs"
                              << QStringList{"AAC2", "AC32", "MP22", "MP32", "SPEEX1", "VORBIS2", "WAVPCM1", "Lossless1"};
        QTest::newRow("Language") << "Lang" << "Language"
                                  << QStringList{"de", "chn", "Cz", "Eng", "Spn", "Fr", "gr", "Hun", "it", "Jpn",
                                                 "ndl", "Pl", "Port", "Rus", "Slv"};
        QTest::newRow("Go to") << "GotoAction" << "Go to..." << QStringList{"AdvSettings", "Start", "exe"};
        QTest::newRow("?") << "N1" << "?" << QStringList{"About1"};
        QTest::newRow("Presets") << "Presets" << "Presets"
                                 << QStringList{"PresetsAAC", "PresetsAC3", "PresetsMP2", "PresetsMP3",
                                                "PresetsVORBIS", "PresetsWAV"};
        QTest::newRow("AC3 presets") << "PresetsAC3" << "AC3"
                                     << QStringList{"AC3_1", "AC3_2", "AC3_3", "-", "AC3_4", "AC3_5"};
    }
    void menuTree()
    {
        QFETCH(QString, menu);
        QFETCH(QString, title);
        QFETCH(QStringList, items);
        auto *m = MainForm->findChild<QMenu *>(menu);
        QVERIFY2(m, qPrintable(menu));
        QCOMPARE(m->title(), title);
        QCOMPARE(actionNames(m), items);
    }

    void mainMenuOrder()
    {
        QStringList titles;
        for (QAction *item : MainForm->menuBar()->actions())
            titles << item->text();
        QCOMPARE(titles, (QStringList{"&File", "&Edit", "Option&s", "Presets", "?"}));
    }

    // Ticks, enabled states and tags of the layout.
    void menuItems_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("tag");
        QTest::newRow("Quit1") << "Quit1" << "Quit" << false << true << -1;
        QTest::newRow("EditKDCL") << "EditKDCL" << "Kandrum Command Line" << false << true << -1;
        QTest::newRow("SplitFiles") << "SplitFiles" << "Split Files with Kaparto" << false << false << -1;
        QTest::newRow("UpMixFiles") << "UpMixFiles" << "UpMix Files" << false << false << -1;
        QTest::newRow("Guide1") << "Guide1" << "Documentation" << false << false << -1;
        QTest::newRow("Real1") << "Real1" << "Real" << false << true << 0;
        QTest::newRow("Normal1") << "Normal1" << "Normal" << true << true << 3;
        QTest::newRow("Lowest1") << "Lowest1" << "Lowest" << false << true << 5;
        QTest::newRow("Log1") << "Log1" << "Log" << false << true << -1;
        QTest::newRow("AAC2") << "AAC2" << "AAC" << true << true << 0;
        QTest::newRow("SPEEX1") << "SPEEX1" << "SPEEX" << false << true << 4;
        QTest::newRow("VORBIS2") << "VORBIS2" << "VORBIS" << true << true << 5;
        QTest::newRow("WAVPCM1") << "WAVPCM1" << "WAV/PCM" << true << true << 6;
        QTest::newRow("Lossless1") << "Lossless1" << "Lossless" << false << true << 7;
        QTest::newRow("Eng") << "Eng" << "English" << true << true << -1;
        QTest::newRow("Fr") << "Fr" << "Français" << false << true << -1;
        QTest::newRow("Start") << "Start" << "Start Processing" << false << false << -1;
        QTest::newRow("About1") << "About1" << "About Zolvane..." << false << true << -1;
        QTest::newRow("AddtoJobQueue2") << "AddtoJobQueue2" << "Add to Job Queue" << false << false << -1;
        QTest::newRow("CTHEAAC7") << "CTHEAAC7" << "CBR/5.1 - 96 kbps" << false << true << 6;
        QTest::newRow("NDHEAAC15") << "NDHEAAC15" << "5.1 - Q = 0.20 " << false << true << 4;
    }
    void menuItems()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(bool, checked);
        QFETCH(bool, enabled);
        QFETCH(int, tag);
        auto *item = MainForm->findChild<QAction *>(name);
        QVERIFY2(item, qPrintable(name));
        QCOMPARE(item->text(), caption);
        QCOMPARE(item->isChecked(), checked);
        QCOMPARE(item->isEnabled(), enabled);
        if (tag >= 0)
            QCOMPARE(item->property("tag").toInt(), tag);
    }

    void popupMenuOfTheJobList()
    {
        QCOMPARE(MainForm->TntPopupMenu1->objectName(), QStringLiteral("TntPopupMenu1"));
        QCOMPARE(actionNames(MainForm->TntPopupMenu1),
                 (QStringList{"ClearList2", "Check1", "CheckNone2", "RemoveUnchecked2", "-", "AddtoJobQueue2"}));
        QVERIFY(!MainForm->AddtoJobQueue2->isEnabled());
        QCOMPARE(MainForm->InputListView->contextMenuPolicy(), Qt::CustomContextMenu);
    }

    void jobListColumns()
    {
        QTreeWidget *list = MainForm->InputListView;
        QCOMPARE(list->columnCount(), int(jcColumnCount));
        const QStringList captions{"", "InputPath", "OutputPath", "Filename", "Description", "Duration", "Cmd",
                                   "OutputFilename"};
        for (int c = 0; c < jcColumnCount; ++c)
            QCOMPARE(list->headerItem()->text(c), captions[c]);
        for (int c = 0; c < jcColumnCount; ++c) {
            const bool shown = c == jcCheck || c == jcFilename || c == jcDescription;
            QCOMPARE(!list->isColumnHidden(c), shown);
        }
        QCOMPARE(list->columnWidth(jcCheck), 25);
        QCOMPARE(list->columnWidth(jcFilename), 257);
        QCOMPARE(list->columnWidth(jcDescription), 311);

        // A row carries its check box and every field, the hidden ones included.
        auto *row = new QTreeWidgetItem(list);
        row->setCheckState(jcCheck, Qt::Checked);
        row->setText(jcCmd, QStringLiteral("\"Kandrum.exe\" -core( )"));
        QCOMPARE(list->topLevelItem(0)->text(jcCmd), QStringLiteral("\"Kandrum.exe\" -core( )"));
        delete row;
    }

    void statusBarPanels()
    {
        auto *first = MainForm->StatusBar->findChild<QWidget *>(QStringLiteral("StatusBarPanel1"));
        auto *second = MainForm->StatusBar->findChild<QWidget *>(QStringLiteral("StatusBarPanel2"));
        QVERIFY(first && second);
        QCOMPARE(first->width(), 540);
        QCOMPARE(second->width(), 100);
        QCOMPARE(MainForm->ImageList1.size(), 4);
        QVERIFY(!MainForm->ImageList1[2].isNull());
    }

    void pagesInTheirOrder()
    {
        QTabWidget *pages = MainForm->PageControl1;
        const QStringList names{"TabSheet1", "TabSheet2", "TabSheet3", "TabSheet4", "TabSheet7", "TabSheet5",
                                "TabSheet6", "LosslessTab"};
        const QStringList captions{"AAC", "AC3", "MP2", "MP3", "SPEEX", "VORBIS", "WAV/PCM", "Lossless"};
        QCOMPARE(pages->count(), 8);
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(pages->widget(i)->objectName(), names[i]);
            QCOMPARE(pages->tabText(i), captions[i]);
            // View > Tabs item of tag i belongs to the page at position i.
            QCOMPARE(MainForm->TabPageOfTag(i), pages->widget(i));
        }
        QCOMPARE(pages->currentWidget(), MainForm->TabSheet1);
        QVERIFY(!MainForm->TabPageOfTag(8));
        QVERIFY(!MainForm->TabPageOfTag(-1));
    }

    // The frames are classes of their own whose instances carry the design's names, so that
    // same-named controls of two frames stay apart.
    void framesAndTheirInstances_data()
    {
        QTest::addColumn<QString>("instance");
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("page");
        QTest::addColumn<bool>("shown");
        QTest::newRow("TGPRef1") << "TGPRef1" << "TTGPRef" << "TabSheet1" << false;
        QTest::newRow("FaacFrame1") << "FaacFrame1" << "TFaacFrame" << "TabSheet1" << false;
        QTest::newRow("NDFrame1") << "NDFrame1" << "TNDFrame" << "TabSheet1" << false;
        QTest::newRow("CTFrame1") << "CTFrame1" << "TCTFrame" << "TabSheet1" << true;
        QTest::newRow("NeroFrame1") << "NeroFrame1" << "TNeroFrame" << "TabSheet1" << false;
        QTest::newRow("AC3EncFrame1") << "AC3EncFrame1" << "TAC3EncFrame" << "TabSheet2" << false;
        QTest::newRow("AftenFrame1") << "AftenFrame1" << "TAftenFrame" << "TabSheet2" << true;
        QTest::newRow("LameFrame1") << "LameFrame1" << "TLameFrame" << "TabSheet4" << true;
        QTest::newRow("AuXFrame1") << "AuXFrame1" << "TAuXFramepas" << "TabSheet4" << false;
        QTest::newRow("ProgressFrame1") << "ProgressFrame1" << "TProgressFrame" << "" << false;
    }
    void framesAndTheirInstances()
    {
        QFETCH(QString, instance);
        QFETCH(QString, className);
        QFETCH(QString, page);
        QFETCH(bool, shown);
        QWidget *frame = control(instance);
        QVERIFY2(frame, qPrintable(instance));
        QCOMPARE(QString::fromLatin1(frame->metaObject()->className()), className);
        QCOMPARE(frame->isVisibleTo(frame->parentWidget()), shown);
        if (!page.isEmpty())
            QVERIFY(MainForm->findChild<QWidget *>(page)->isAncestorOf(frame));
    }

    void sameNamedControlsStayInTheirFrames()
    {
        QVERIFY(MainForm->AC3EncFrame1->AC3TrackBar != MainForm->AftenFrame1->AC3TrackBar);
        QCOMPARE(MainForm->AC3EncFrame1->AC3TrackBar->objectName(), QStringLiteral("AC3TrackBar"));
        QVERIFY(MainForm->NDFrame1->gbBitrate != MainForm->CTFrame1->gbBitrate);
        QCOMPARE(control("AftenFrame1/AC3TrackBar"), MainForm->AftenFrame1->AC3TrackBar);
        QCOMPARE(control("CTFrame1/TrackBar"), MainForm->CTFrame1->TrackBar);
    }

    // The controls the command-line builder reads: their kinds and the states the window starts
    // with. "value" is the check state, the slider or spin position, the combo's index or the
    // edit's text, by the control's kind.
    void builderControls_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("enabled");
        const auto row = [](const char *path, const char *kind, const char *value, bool enabled = true) {
            QTest::newRow(path) << QString::fromLatin1(path) << QString::fromLatin1(kind)
                                << QString::fromUtf8(value) << enabled;
        };
        // processing options
        row("chAzidDC", "QCheckBox", "1");
        row("cbAzidDC", "QComboBox", "0:Normal");
        row("chSSRC", "QCheckBox", "0");
        row("cbSSRC", "QComboBox", "7:44100", false);
        row("lbSSRC", "QLabel", "Hz", false);
        row("chBoost", "QCheckBox", "0");
        row("cbBoost", "QComboBox", "0:Vemo", false);
        row("chOTAMode", "QCheckBox", "1");
        row("cbOTAMode", "QComboBox", "0:HybridGain");
        row("chOTADelay", "QCheckBox", "0");
        row("edOTADelay", "QLineEdit", "0", false);
        row("lbOTADelay", "QLabel", "ms", false);
        row("chOTAViewKDCL", "QCheckBox", "0");
        row("bbStartProcess", "QPushButton", "Start Processing", false);
        row("btnAdvSettings", "QPushButton", "Advanced Settings");
        // AAC page
        row("rbAACOutputCh2", "QRadioButton", "1");
        row("rbAACOutputCh6", "QRadioButton", "0");
        row("cbAACEncEngine", "QComboBox", "3:Winamp - (CT) ");
        row("TGPRef1/RefTrackBar", "QSlider", "48");
        row("TGPRef1/chMonoEncodingRefEnc", "QCheckBox", "0");
        row("TGPRef1/chDisablePS", "QCheckBox", "0");
        row("FaacFrame1/rbFAACVBRMode", "QRadioButton", "1");
        row("FaacFrame1/SpEdFAACVBRMode", "QSpinBox", "100");
        row("FaacFrame1/SpEdFAACABRMode", "QSpinBox", "128", false);
        row("FaacFrame1/chFaacLowpass", "QCheckBox", "0", false);
        row("FaacFrame1/SpedFaacLowpass", "QSpinBox", "16000", false);
        row("FaacFrame1/chFaacLowpassAuto", "QCheckBox", "1");
        row("FaacFrame1/chAACtoMP4", "QCheckBox", "0");
        row("FaacFrame1/chTNS", "QCheckBox", "0");
        row("FaacFrame1/chMSCoding", "QCheckBox", "1");
        row("FaacFrame1/cbFaacProfile", "QComboBox", "1:LC", false);
        row("FaacFrame1/cbFaacMPEGversion", "QComboBox", "1:4", false);
        row("FaacFrame1/cbFaacShortBlocks", "QComboBox", "0:Normal", false);
        row("NDFrame1/rbQuality", "QRadioButton", "1");
        row("NDFrame1/trackBar", "QSlider", "50");
        row("NDFrame1/TrackBar2", "QSlider", "128", false);
        row("NDFrame1/chCBR", "QCheckBox", "0", false);
        row("NDFrame1/TntComboBox1", "QComboBox", "0:Automatic");
        row("NDFrame1/chHint", "QCheckBox", "0");
        row("CTFrame1/TrackBar", "QSlider", "48");
        row("CTFrame1/rbMPEG4", "QRadioButton", "1");
        row("CTFrame1/cbCTFormat", "QComboBox", "0:HE AAC");
        row("CTFrame1/cbAACMode", "QComboBox", "2:Parametric Stereo");
        row("CTFrame1/chCTSpeech", "QCheckBox", "0");
        row("CTFrame1/chCTPNS", "QCheckBox", "0");
        row("NeroFrame1/rbAACVBRMode", "QRadioButton", "1");
        row("NeroFrame1/cbAACCBRMode", "QComboBox", "12:128", false);
        row("NeroFrame1/cbAACVBRMode", "QComboBox", "3:Streaming");
        // AC3 page
        row("rbAC3OutputCh2", "QRadioButton", "1");
        row("rbAC3Enc", "QRadioButton", "0");
        row("rbAften", "QRadioButton", "1");
        row("AC3EncFrame1/AC3TrackBar", "QSlider", "14");
        row("AC3EncFrame1/rbAC3Endians1", "QRadioButton", "1");
        row("AC3EncFrame1/rbAC3Endians2", "QRadioButton", "0");
        row("AftenFrame1/rbAftenBitrate", "QRadioButton", "1");
        row("AftenFrame1/AC3TrackBar", "QSlider", "14");
        row("AftenFrame1/AftenQualTrackBar", "QSlider", "220", false);
        row("AftenFrame1/gbAftenQuality", "QGroupBox", "Quality", false);
        // MP2 page
        row("rbMP2TooLame", "QRadioButton", "1");
        row("rbMP2Enc", "QRadioButton", "0");
        row("MP2TrackBar", "QSlider", "7");
        row("chMP2EncMode", "QCheckBox", "1");
        row("cbMP2EncMode", "QComboBox", "2:Joint-Stereo");
        row("chMP2EncVBR", "QCheckBox", "0");
        row("SpEdtMP2VBR", "QSpinBox", "5", false);
        // MP3 page
        row("rbMP3Ch2", "QRadioButton", "1");
        row("rbMP3Ch6", "QRadioButton", "0");
        row("rbMP3Quality", "QRadioButton", "1");
        row("rbMP3Bitrate", "QRadioButton", "0");
        row("LameFrame1/MP3TrackBar_Bitrate", "QSlider", "64", false);
        row("LameFrame1/chMP3ABR", "QCheckBox", "0", false);
        row("LameFrame1/edMP3Bitrate", "QLineEdit", "64", false);
        row("LameFrame1/cbVBRMode", "QComboBox", "0:Standard");
        row("LameFrame1/MP3TrackBar_Quality", "QSlider", "7");
        row("LameFrame1/chMP3Mono", "QCheckBox", "0");
        row("AuXFrame1/cbMode", "QComboBox", "1:Standard Quality (128 kbps)");
        // SPEEX page
        row("rbSpeexQuality", "QRadioButton", "1");
        row("SpeexQualityTrackBar", "QSlider", "8");
        row("SpeexBitrateTrackBar", "QSlider", "16", false);
        row("chSpeexABR", "QCheckBox", "0", false);
        row("chSpeexVBR", "QCheckBox", "0");
        row("chSpeexEncComplex", "QCheckBox", "0");
        row("spEdEncComplex", "QSpinBox", "3", false);
        row("chSpeexFramesOgg", "QCheckBox", "0");
        row("spEdFramesOgg", "QSpinBox", "1", false);
        row("chSpeexDenoise", "QCheckBox", "0");
        row("chSpeexAGC", "QCheckBox", "0");
        // VORBIS page
        row("rbVORBISOutputCh2", "QRadioButton", "1");
        row("rbVORBISOutputCh6", "QRadioButton", "0");
        row("rbVORBISQuality", "QRadioButton", "1");
        row("VORBISScrollBar", "QScrollBar", "200");
        row("lbVORBISqlevelVal", "QLabel", "2,00");
        row("lbVORBISnomBitrateVal", "QLabel", "96 kbps");
        row("rbVORBISCBRMode", "QRadioButton", "0");
        row("rbVORBISABRMode", "QRadioButton", "1");
        row("SpEdtVORBISmin", "QSpinBox", "96", false);
        row("SpEdtVORBISnom", "QSpinBox", "128", false);
        row("SpEdtVORBISmax", "QSpinBox", "256", false);
        // WAV/PCM page
        row("rbWAVOutput", "QRadioButton", "1");
        row("rbAIFFOutput", "QRadioButton", "0");
        row("rbDDWAVOutput", "QRadioButton", "0");
        row("rbWAVOutput1", "QRadioButton", "0");
        row("rbWAVOutput2", "QRadioButton", "1");
        row("rbWAVOutput3", "QRadioButton", "0");
        row("rbWAVOutput4", "QRadioButton", "0");
        // Lossless page
        row("rbLossless2Ch", "QRadioButton", "1");
        row("rbLossless6Ch", "QRadioButton", "0");
        row("cbLosslessEngine", "QComboBox", "0:Flake");
        row("FlakeTrackBar", "QSlider", "5");
        // hidden label of the list total
        row("Label1", "QLabel", "Label1");
    }
    void builderControls()
    {
        QFETCH(QString, path);
        QFETCH(QString, kind);
        QFETCH(QString, value);
        QFETCH(bool, enabled);
        QWidget *w = control(path);
        QVERIFY2(w, qPrintable(path));
        QCOMPARE(QString::fromLatin1(w->metaObject()->className()), kind);
        QString actual;
        if (auto *button = qobject_cast<QAbstractButton *>(w))
            actual = button->isCheckable() ? QString::number(button->isChecked()) : button->text();
        else if (auto *bar = qobject_cast<QAbstractSlider *>(w))
            actual = QString::number(bar->value());
        else if (auto *spinEdit = qobject_cast<QSpinBox *>(w))
            actual = QString::number(spinEdit->value());
        else if (auto *combo = qobject_cast<QComboBox *>(w))
            actual = QString::number(combo->currentIndex()) + QLatin1Char(':') + combo->currentText();
        else if (auto *edit = qobject_cast<QLineEdit *>(w))
            actual = edit->text();
        else if (auto *label = qobject_cast<QLabel *>(w))
            actual = label->text();
        else if (auto *group = qobject_cast<QGroupBox *>(w))
            actual = group->title();
        QCOMPARE(actual, value);
        QCOMPARE(w->isEnabled(), enabled);
    }

    // The command-line builder finds every control it reads on the real windows.
    void builderFindsEveryControl()
    {
        MainForm->KDCmdl();
        const QStringList missing = KDCmdlMissingControls();
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral(", "))));
    }

    // Every option change rebuilds the command line: with an empty job list the template follows
    // the WAV/PCM page's output mode at once.
    void optionChangesRebuildTheCommandLine()
    {
        MainForm->PageControl1->setCurrentWidget(MainForm->TabSheet6);
        MainForm->rbWAVOutput1->setChecked(true);
        QVERIFY2(CommandBase.contains(" -6chwav"), CommandBase.constData());
        MainForm->rbWAVOutput2->setChecked(true);
        QVERIFY2(CommandBase.contains(" -2ch"), CommandBase.constData());
        MainForm->PageControl1->setCurrentWidget(MainForm->TabSheet1);
        MainForm->chSSRC->setChecked(true);
        MainForm->chSSRC->setChecked(false);
        QVERIFY2(!CommandBase.contains(" -2ch"), CommandBase.constData());
    }

    // View > Tabs: a ticked item hides its page's tab and unticks, a second click shows it again.
    void viewTabsShowAndHidePages_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("page");
        QTest::addColumn<bool>("shownAtStart");
        QTest::newRow("SPEEX") << "SPEEX1" << "TabSheet7" << false;
        QTest::newRow("Lossless") << "Lossless1" << "LosslessTab" << false;
        QTest::newRow("AAC") << "AAC2" << "TabSheet1" << true;
        QTest::newRow("WAV/PCM") << "WAVPCM1" << "TabSheet6" << true;
    }
    void viewTabsShowAndHidePages()
    {
        QFETCH(QString, item);
        QFETCH(QString, page);
        QFETCH(bool, shownAtStart);
        auto *action = MainForm->findChild<QAction *>(item);
        QTabWidget *pages = MainForm->PageControl1;
        const int index = pages->indexOf(MainForm->findChild<QWidget *>(page));
        QCOMPARE(pages->isTabVisible(index), shownAtStart);
        action->trigger();
        QCOMPARE(action->isChecked(), !shownAtStart);
        QCOMPARE(pages->isTabVisible(index), !shownAtStart);
        action->trigger();
        QCOMPARE(action->isChecked(), shownAtStart);
        QCOMPARE(pages->isTabVisible(index), shownAtStart);
        pages->setCurrentWidget(MainForm->TabSheet1);
    }

    // Priority and language items behave as one choice each: the clicked item ends ticked alone,
    // also when it was ticked before.
    void oneTickedItemPerChoice_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("item");
        QTest::newRow("Low") << "Priority" << "Low1";
        QTest::newRow("Normal again") << "Priority" << "Normal1";
        QTest::newRow("Normal twice") << "Priority" << "Normal1";
        QTest::newRow("French") << "Lang" << "Fr";
        QTest::newRow("English") << "Lang" << "Eng";
        QTest::newRow("English twice") << "Lang" << "Eng";
    }
    void oneTickedItemPerChoice()
    {
        QFETCH(QString, menu);
        QFETCH(QString, item);
        MainForm->findChild<QAction *>(item)->trigger();
        QStringList ticked;
        for (QAction *a : MainForm->findChild<QMenu *>(menu)->actions()) {
            if (a->isChecked())
                ticked << a->objectName();
        }
        QCOMPARE(ticked, QStringList{item});
    }

    void logItemShowsTheLogWindow()
    {
        QWidget *logWindow = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QLatin1String("ZolvaneLog"))
                logWindow = w;
        }
        QVERIFY(logWindow);
        QVERIFY(!logWindow->isVisible());
        MainForm->Log1->trigger();
        QVERIFY(MainForm->Log1->isChecked());
        QVERIFY(logWindow->isVisible());
        MainForm->Log1->trigger();
        QVERIFY(!logWindow->isVisible());
    }

    // The items and the button that open a side dialog show it modally.
    void itemsShowTheirDialogs_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("dialog");
        QTest::newRow("Go to > Advanced Settings") << "AdvSettings" << "AdvancedSet";
        QTest::newRow("Advanced Settings button") << "btnAdvSettings" << "AdvancedSet";
        QTest::newRow("Go to > Exe Files Browser") << "exe" << "ExeBrowse";
        QTest::newRow("? > About") << "About1" << "About";
        // disabled in the layout; its handler still shows the splitter dialog
        QTest::newRow("Edit > Split Files") << "SplitFiles" << "KapartoForm";
    }
    void itemsShowTheirDialogs()
    {
        QFETCH(QString, item);
        QFETCH(QString, dialog);
        QString shown;
        QTimer::singleShot(20, [&shown] {
            if (auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                shown = modal->objectName();
                // The tool-path dialog ends only by its OK button.
                if (modal->metaObject()->indexOfMethod("btOkClick()") >= 0)
                    QMetaObject::invokeMethod(modal, "btOkClick");
                else
                    modal->reject();
            }
        });
        if (auto *button = MainForm->findChild<QPushButton *>(item))
            button->click();
        else if (item == QLatin1String("SplitFiles"))
            MainForm->SplitFilesClick();
        else
            MainForm->findChild<QAction *>(item)->trigger();
        QCOMPARE(shown, dialog);
    }

    // Each forum item opens the address of its own hint.
    void forumItemsOpenTheirAddresses()
    {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
        MainForm->ForumLink1->trigger();
        MainForm->ForumLink2->trigger();
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QCOMPARE(catcher.opened, (QList<QUrl>{QUrl(MainForm->ForumLink1->toolTip()),
                                              QUrl(MainForm->ForumLink2->toolTip())}));
        QVERIFY(catcher.opened[0] != catcher.opened[1]);
    }

    // Edit > Kandrum Command Line ticks the viewer box, and the rebuild shows the viewer.
    void editCommandLineShowsTheViewer()
    {
        QWidget *viewer = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QLatin1String("KDCL"))
                viewer = w;
        }
        QVERIFY(viewer);
        MainForm->EditKDCL->trigger();
        QVERIFY(MainForm->chOTAViewKDCL->isChecked());
        QVERIFY(viewer->isVisible());
        MainForm->chOTAViewKDCL->setChecked(false);
        QVERIFY(!viewer->isVisible());
    }

    // File > Create mux File empties the wizard's seven edits before showing it; Create lst File
    // empties the list-file writer's list.
    void createItemsEmptyTheirDialogs()
    {
        QWidget *wizard = nullptr, *writer = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QLatin1String("KDMuxFileWizard"))
                wizard = w;
            if (w->objectName() == QLatin1String("FileListWriter"))
                writer = w;
        }
        QVERIFY(wizard && writer);
        const QStringList edits{"edFR", "edRS", "edSave", "edLF", "edLS", "edCenter", "edLFE"};
        for (const QString &name : edits)
            wizard->findChild<QLineEdit *>(name)->setText(QStringLiteral("/music/old.wav"));
        auto *list = writer->findChild<QListWidget *>(QStringLiteral("FileList"));
        list->addItem(QStringLiteral("/music/old.wav"));

        QStringList shown;
        const auto closeWhenShown = [&shown] {
            QTimer::singleShot(20, [&shown] {
                if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                    shown << dialog->objectName();
                    dialog->reject();
                }
            });
        };
        closeWhenShown();
        MainForm->MiCreatemuxFile->trigger();
        for (const QString &name : edits)
            QCOMPARE(wizard->findChild<QLineEdit *>(name)->text(), QString());
        closeWhenShown();
        MainForm->MiCreateLstFile->trigger();
        QCOMPARE(list->count(), 0);
        QCOMPARE(shown, (QStringList{"KDMuxFileWizard", "FileListWriter"}));
    }

    // The window is fitted into a smaller screen at creation.
    void windowFitsTheScreen()
    {
        const QRect available = MainForm->screen()->availableGeometry();
        QVERIFY(MainForm->width() <= qMax(available.width(), MainForm->minimumSizeHint().width()));
        QVERIFY(MainForm->height() <= qMax(available.height(), MainForm->minimumSizeHint().height()));
    }

    // Radios that the builder reads independently must not share an exclusive group.
    void radioGroupsAreIndependent()
    {
        MainForm->rbVORBISBitrate->setChecked(true);
        QVERIFY(MainForm->rbVORBISABRMode->isChecked());
        MainForm->rbVORBISCBRMode->setChecked(true);
        QVERIFY(MainForm->rbVORBISBitrate->isChecked());
        QVERIFY(!MainForm->rbVORBISABRMode->isChecked());
        MainForm->rbAIFFOutput->setChecked(true);
        QVERIFY(MainForm->rbAIFFOutput->isChecked() && MainForm->rbWAVOutput1->isChecked());
        MainForm->rbVORBISABRMode->setChecked(true);
        MainForm->rbVORBISQuality->setChecked(true);
        MainForm->rbWAVOutput->setChecked(true);
    }

    void comboItems()
    {
        const auto items = [](QComboBox *c) {
            QStringList list;
            for (int i = 0; i < c->count(); ++i)
                list << c->itemText(i);
            return list;
        };
        QCOMPARE(items(MainForm->cbSSRC), (QStringList{"8000", "11025", "12000", "16000", "22050", "24000",
                                                        "32000", "44100", "48000"}));
        QVERIFY(MainForm->cbSSRC->isEditable());
        QVERIFY(MainForm->cbOTAMode->isEditable());
        QVERIFY(!MainForm->cbAzidDC->isEditable());
        QCOMPARE(items(MainForm->cbAACEncEngine),
                 (QStringList{"3GPP Reference", "FAAC", "Nero Digital - (CLI)", "Winamp - (CT) "}));
        QCOMPARE(items(MainForm->AuXFrame1->cbMode).size(), 4);
        QCOMPARE(items(MainForm->NeroFrame1->cbAACCBRMode).first(), QStringLiteral("16 "));
        QCOMPARE(MainForm->LameFrame1->edMP3Bitrate->maxLength(), 3);
    }

    void rangesOfTheBars_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::newRow("AC3EncFrame1/AC3TrackBar") << "AC3EncFrame1/AC3TrackBar" << 0 << 18;
        QTest::newRow("AftenFrame1/AftenQualTrackBar") << "AftenFrame1/AftenQualTrackBar" << 0 << 1023;
        QTest::newRow("MP2TrackBar") << "MP2TrackBar" << 0 << 9;
        QTest::newRow("SpEdtMP2VBR") << "SpEdtMP2VBR" << -5 << 15;
        QTest::newRow("MP3TrackBar_Bitrate") << "LameFrame1/MP3TrackBar_Bitrate" << 8 << 320;
        QTest::newRow("MP3TrackBar_Quality") << "LameFrame1/MP3TrackBar_Quality" << 0 << 9;
        QTest::newRow("RefTrackBar") << "TGPRef1/RefTrackBar" << 8 << 64;
        QTest::newRow("SpEdFAACVBRMode") << "FaacFrame1/SpEdFAACVBRMode" << 10 << 500;
        QTest::newRow("SpEdFAACABRMode") << "FaacFrame1/SpEdFAACABRMode" << 1 << 500;
        QTest::newRow("SpedFaacLowpass") << "FaacFrame1/SpedFaacLowpass" << 1000 << 24000;
        QTest::newRow("trackBar") << "NDFrame1/trackBar" << 0 << 100;
        QTest::newRow("TrackBar2") << "NDFrame1/TrackBar2" << 16 << 320;
        QTest::newRow("CT TrackBar") << "CTFrame1/TrackBar" << 8 << 320;
        QTest::newRow("SpeexQualityTrackBar") << "SpeexQualityTrackBar" << 0 << 10;
        QTest::newRow("SpeexBitrateTrackBar") << "SpeexBitrateTrackBar" << 1 << 128;
        QTest::newRow("spEdEncComplex") << "spEdEncComplex" << 0 << 10;
        QTest::newRow("spEdFramesOgg") << "spEdFramesOgg" << 1 << 10;
        QTest::newRow("VORBISScrollBar") << "VORBISScrollBar" << -200 << 1000;
        QTest::newRow("SpEdtVORBISnom") << "SpEdtVORBISnom" << 0 << 500;
        QTest::newRow("FlakeTrackBar") << "FlakeTrackBar" << 0 << 12;
    }
    void rangesOfTheBars()
    {
        QFETCH(QString, path);
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        QWidget *w = control(path);
        QVERIFY2(w, qPrintable(path));
        if (auto *bar = qobject_cast<QAbstractSlider *>(w)) {
            QCOMPARE(bar->minimum(), minimum);
            QCOMPARE(bar->maximum(), maximum);
        } else {
            auto *spinEdit = qobject_cast<QSpinBox *>(w);
            QVERIFY(spinEdit);
            QCOMPARE(spinEdit->minimum(), minimum);
            QCOMPARE(spinEdit->maximum(), maximum);
        }
    }

    void progressFrameControls()
    {
        TProgressFrame *frame = MainForm->ProgressFrame1;
        QVERIFY(!frame->isVisibleTo(MainForm));
        QCOMPARE(frame->ListViewInfos->columnCount(), 4);
        QCOMPARE(frame->ListViewInfos->headerItem()->text(1), QStringLiteral("Time"));
        QCOMPARE(frame->ListViewInfos->headerItem()->text(3), QStringLiteral("Options"));
        QCOMPARE(frame->chShutdown->text(), QStringLiteral("Shutdown Windows when finished"));
        QCOMPARE(frame->lbPercentCurrentTrack->text(), QStringLiteral("00,00 %"));
        QCOMPARE(frame->lbTotalRemainingVal->text(), QStringLiteral("00:00:00"));
        QVERIFY(!frame->SpeedButtonQuit->isVisibleTo(frame));
        QVERIFY(frame->SpeedButtonStop->isVisibleTo(frame));
    }

    // The window renders every page; with ZOLVANE_SCREENSHOT_DIR set the pictures are kept there.
    void everyPageRenders()
    {
        const QString folder = qEnvironmentVariable("ZOLVANE_SCREENSHOT_DIR");
        QTabWidget *pages = MainForm->PageControl1;
        const int before = pages->currentIndex();
        for (int i = 0; i < pages->count(); ++i) {
            pages->setTabVisible(i, true);
            pages->setCurrentIndex(i);
            const QPixmap shot = MainForm->grab();
            QVERIFY(!shot.isNull());
            QVERIFY(shot.width() >= 600);
            if (!folder.isEmpty())
                shot.save(folder + QStringLiteral("/main-%1.png").arg(i));
        }
        // The progress frame lies over the pages while a batch runs.
        MainForm->ProgressFrame1->show();
        const QPixmap running = MainForm->grab();
        QVERIFY(!running.isNull());
        if (!folder.isEmpty())
            running.save(folder + QStringLiteral("/main-progress.png"));
        MainForm->ProgressFrame1->hide();
        pages->setCurrentIndex(before);
        for (int i = 0; i < pages->count(); ++i)
            pages->setTabVisible(i, MainForm->findChild<QMenu *>("tab1")->actions().at(i)->isChecked());
    }
};

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
