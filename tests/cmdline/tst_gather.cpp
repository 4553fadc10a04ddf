// The builder reading live controls: frames, widget kinds, the job list, the viewer and
// controls that are not there.

#include "JobRow.h"
#include "KDCmdlGather.h"
#include "UMainGlobals.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <QTreeWidget>

#include <memory>

namespace {

template <class W>
W *add(QWidget *parent, const char *name)
{
    auto *w = new W(parent);
    w->setObjectName(QLatin1String(name));
    return w;
}

QCheckBox *box(QWidget *parent, const char *name, bool on)
{
    auto *b = add<QCheckBox>(parent, name);
    b->setChecked(on);
    return b;
}

QSlider *bar(QWidget *parent, const char *name, int lo, int hi, int value)
{
    auto *s = add<QSlider>(parent, name);
    s->setRange(lo, hi);
    s->setValue(value);
    return s;
}

QComboBox *combo(QWidget *parent, const char *name, const QStringList &items, int index)
{
    auto *c = add<QComboBox>(parent, name);
    c->addItems(items);
    c->setCurrentIndex(index);
    return c;
}

// A small stand-in for the five windows, holding only what a test needs.
struct Windows {
    std::unique_ptr<QWidget> main = std::make_unique<QWidget>();
    std::unique_ptr<QDialog> advanced = std::make_unique<QDialog>();
    std::unique_ptr<QDialog> lame = std::make_unique<QDialog>();
    std::unique_ptr<QDialog> kdcl = std::make_unique<QDialog>();
    std::unique_ptr<QDialog> exe = std::make_unique<QDialog>();
    QTabWidget *pages = nullptr;
    QTreeWidget *list = nullptr;
    QTextEdit *viewer = nullptr;

    Windows()
    {
        pages = add<QTabWidget>(main.get(), "PageControl1");
        for (const char *n : {"TabSheet1", "TabSheet2", "TabSheet3", "TabSheet4", "TabSheet5",
                              "TabSheet6", "TabSheet7", "LosslessTab"}) {
            auto *page = new QWidget;
            page->setObjectName(QLatin1String(n));
            pages->addTab(page, QLatin1String(n));
        }
        list = add<QTreeWidget>(main.get(), "InputListView");
        list->setColumnCount(jcColumnCount);
        viewer = add<QTextEdit>(kdcl.get(), "RichEdit1");
        box(advanced.get(), "chOutputLog", true);
    }

    KDCmdlWindows all() const
    {
        return {main.get(), advanced.get(), lame.get(), kdcl.get(), exe.get()};
    }

    QTreeWidgetItem *addRow(const QString &folder, const QString &name, const QString &outName)
    {
        auto *item = new QTreeWidgetItem(list);
        item->setText(jcInputPath, folder);
        item->setText(jcOutputPath, folder);
        item->setText(jcFilename, name);
        item->setText(jcOutputFilename, outName);
        return item;
    }

    void showPage(const char *name)
    {
        pages->setCurrentWidget(pages->findChild<QWidget *>(QLatin1String(name)));
    }
};

} // namespace

class TestCmdlineGather : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        CmdLineEdited = false;
        SoundTouchTempoArg.clear();
        CommandBase.clear();
        OutputModeArg.clear();
    }

    void selectedRowGetsItsCommandFromTheRightFrame()
    {
        Windows w;
        w.showPage("TabSheet2");
        add<QRadioButton>(w.main.get(), "rbAC3Enc")->setChecked(true);
        // Both AC-3 frames hold a bar of the same name; each engine reads its own.
        auto *ac3enc = add<QWidget>(w.main.get(), "AC3EncFrame1");
        auto *aften = add<QWidget>(w.main.get(), "AftenFrame1");
        bar(aften, "AC3TrackBar", 0, 18, 18);
        bar(ac3enc, "AC3TrackBar", 0, 18, 14);
        add<QRadioButton>(ac3enc, "rbAC3Endians2")->setChecked(true);
        box(w.main.get(), "chBoost", true);
        combo(w.main.get(), "cbBoost", {"Vemo", "Wextone", "Pinu"}, 1);
        // A menu item standing for a check box is read by its ticked state.
        auto *view = add<QAction>(w.main.get(), "chOTAViewKDCL");
        view->setCheckable(true);
        view->setChecked(true);
        add<QLineEdit>(w.exe.get(), "edKandrum")->setText(QStringLiteral("/opt/k/Kandrum.exe"));
        SoundTouchTempoArg = " -tempo 7";
        box(w.advanced.get(), "chSoundTouchTempo", true);

        QTreeWidgetItem *first = w.addRow(QStringLiteral("/in/"), QStringLiteral("a.wav"), QStringLiteral("a.ac3"));
        first->setText(jcCmd, QStringLiteral("old"));
        QTreeWidgetItem *second = w.addRow(QStringLiteral("/in/"), QStringLiteral("b.wav"), QStringLiteral("b.ac3"));
        second->setSelected(true);

        KDCmdlRunOn(w.all());
        const QString expected = QStringLiteral(
            R"("/opt/k/Kandrum.exe" -core( -input "/in/b.wav" -output "/in/b.ac3"  -logfile "/in/b.log" ))"
            R"( -boost( /b2=4 /l=0.95 ) -ac3enc( -b 384 -intel ) -soundtouch( -tempo 7 ))");
        QCOMPARE(second->text(jcCmd), expected);
        QCOMPARE(first->text(jcCmd), QStringLiteral("old"));
        QCOMPARE(CommandBase, QByteArray("\"/opt/k/Kandrum.exe\""));
        QCOMPARE(w.viewer->toPlainText(), expected);
        QVERIFY(w.kdcl->isVisible());

        // Rebuilding with unchanged controls gives the same command.
        KDCmdlRunOn(w.all());
        QCOMPARE(second->text(jcCmd), expected);

        // The editor's text alone changes nothing: only a row's own hand edit replaces its command.
        CmdLineEdited = true;
        w.viewer->setPlainText(QStringLiteral("\"Kandrum.exe\" -core( -input \"x\" -output \"y\" )"));
        KDCmdlRunOn(w.all());
        QCOMPARE(second->text(jcCmd), expected);
        SetJobRowHandEdit(second, QStringLiteral("\"Kandrum.exe\" -core( -input \"x\" -output \"y\" )\n"));
        KDCmdlRunOn(w.all());
        QCOMPARE(second->text(jcCmd), QStringLiteral("\"Kandrum.exe\" -core( -input \"x\" -output \"y\" )"));
        QCOMPARE(w.viewer->toPlainText(), second->text(jcCmd));
        // Another row selected is built from the options; the edited row keeps its edit.
        second->setSelected(false);
        first->setSelected(true);
        KDCmdlRunOn(w.all());
        QVERIFY(first->text(jcCmd).contains(QStringLiteral("-input \"/in/a.wav\" -output \"/in/a.ac3\"")));
        QCOMPARE(second->text(jcCmd), QStringLiteral("\"Kandrum.exe\" -core( -input \"x\" -output \"y\" )"));
        first->setSelected(false);
        second->setSelected(true);

        view->setChecked(false);
        KDCmdlRunOn(w.all());
        QVERIFY(!w.kdcl->isVisible());
    }

    void globalsOfTheMainWindowReachTheCommand()
    {
        Windows w;
        w.showPage("TabSheet4");
        add<QRadioButton>(w.main.get(), "rbMP3Ch6")->setChecked(true);
        add<QRadioButton>(w.main.get(), "rbMP3Ch2");
        auto *audx = add<QWidget>(w.main.get(), "AuXFrame1");
        combo(audx, "cbMode", {"a", "b", "c", "d"}, 3);
        for (const char *name : {"chSoundTouchFRC", "chExternalPlugDLLName"})
            box(w.advanced.get(), name, true);
        AudXFolder = "/pf/Aud-X";
        SaveDialog1FileName = QStringLiteral("/chosen/x.mp3");
        SoundTouchFRCArg = " -r 1 2";
        SoundTouchTempoArg = " -tempo 3";
        SoundTouchPitchArg = " -pitch 4";
        SoundTouchRateArg = " -rate 5";
        SoundTouchQuickArg = " -quick";
        SoundTouchNaaArg = " -naa";
        PluginNameArg = " -name p.dll";
        PluginFuncArg = " -func f";
        QTreeWidgetItem *row = w.addRow(QStringLiteral("/in/"), QStringLiteral("m.WAV"), QStringLiteral("m.mp3"));
        row->setSelected(true);
        KDCmdlRunOn(w.all());
        QCOMPARE(row->text(jcCmd),
                 QStringLiteral(R"("/pf/Aud-X/audx.exe" SPBQ "/in/m.wav" "/in/m.mp3")"
                                R"( -soundtouch( -r 1 2 -tempo 3 -pitch 4 -rate 5 -quick -naa ))"
                                R"( -plugin( -name p.dll -func f ))"));
        for (QByteArray *g : {&AudXFolder, &SoundTouchFRCArg, &SoundTouchPitchArg, &SoundTouchRateArg,
                              &SoundTouchQuickArg, &SoundTouchNaaArg, &PluginNameArg, &PluginFuncArg})
            g->clear();
        SaveDialog1FileName.clear();
    }

    void emptyListKeepsTheTemplate()
    {
        Windows w;
        w.showPage("TabSheet6");
        // Format and channel radios stand in groups of their own.
        add<QRadioButton>(add<QWidget>(w.main.get(), "gbWAVOutputFormat"), "rbWAVOutput")->setChecked(true);
        add<QRadioButton>(add<QWidget>(w.main.get(), "gbWAVOutputCh"), "rbWAVOutput3")->setChecked(true);
        box(w.main.get(), "chOTAViewKDCL", true);
        KDCmdlRunOn(w.all());
        QCOMPARE(CommandBase, QByteArray(R"("Kandrum.exe" -core( -input "" -output "" -6ch -logfile "" ))"));
        QCOMPARE(OutputModeArg, QByteArray(" -6ch"));
        QCOMPARE(w.viewer->toPlainText(), QString::fromLatin1(CommandBase));
    }

    void widgetKindsAreReadWhateverTheyAre()
    {
        Windows w;
        w.showPage("TabSheet3");
        // Spin box numbers are written with the point whatever the user's locale.
        auto *vbr = add<QSpinBox>(w.main.get(), "SpEdtMP2VBR");
        vbr->setLocale(QLocale(QLocale::Arabic, QLocale::Egypt));
        vbr->setRange(-5, 15);
        vbr->setValue(-3);
        box(w.main.get(), "chMP2EncVBR", true);
        // A track bar that turned out to be a spin box still gives its position.
        auto *rate = add<QSpinBox>(w.main.get(), "MP2TrackBar");
        rate->setRange(0, 9);
        rate->setValue(2);
        box(w.main.get(), "chOTADelay", true);
        add<QLineEdit>(w.main.get(), "edOTADelay")->setText(QStringLiteral("-66"));
        w.addRow(QStringLiteral("/in/"), QStringLiteral("a.ac3"), QStringLiteral("a.mp2"))->setSelected(true);
        KDCmdlRunOn(w.all());
        QCOMPARE(w.list->topLevelItem(0)->text(jcCmd),
                 QStringLiteral(R"("Kandrum.exe" -core( -input "/in/a.ac3" -output "/in/a.mp2"  -logfile "/in/a.log" ))"
                                R"( -ota( -d -66 ) -toolame( -b 96 -v -3 ))"));
        QVERIFY(!KDCmdlMissingControls().contains(QStringLiteral("MainForm.MP2TrackBar")));
        QVERIFY(KDCmdlMissingControls().contains(QStringLiteral("MainForm.cbMP2EncMode")));
    }

    void missingControlsReadAsOffAndAreListed()
    {
        // Bare windows: nothing but the job list with one selected row.
        QWidget main;
        auto *list = add<QTreeWidget>(&main, "InputListView");
        list->setColumnCount(jcColumnCount);
        auto *item = new QTreeWidgetItem(list);
        item->setText(jcFilename, QStringLiteral("a.wav"));
        item->setSelected(true);
        KDCmdlRunOn({&main, nullptr, nullptr, nullptr, nullptr});
        QCOMPARE(item->text(jcCmd), QStringLiteral(R"("Kandrum.exe" -core( -input "a.wav" -output ""  ))"));
        const QStringList missing = KDCmdlMissingControls();
        for (const char *name : {"ExeBrowse", "AdvancedSet", "OthersLame", "KDCL", "MainForm.PageControl1",
                                 "MainForm.FaacFrame1", "MainForm.FaacFrame1.chMSCoding", "MainForm.chBoost"})
            QVERIFY2(missing.contains(QLatin1String(name)), name);
        QVERIFY(!missing.contains(QStringLiteral("MainForm.InputListView")));

        // No windows at all: nothing to do, and nothing breaks.
        KDCmdlRunOn({});
        QCOMPARE(CommandBase, QByteArray(R"("Kandrum.exe" -core( -input "" -output "" ))"));
    }
};

QTEST_MAIN(TestCmdlineGather)
#include "tst_gather.moc"
