// The processing options, the page switch, the AAC page and its engine frames on the real main
// window: enabling rules, hints, the gain-mode list, the delay key filter, the channel radios and
// the settings keys they hand over, the engine choice and the Winamp plug-in's bit-rate and
// format rules, each followed into the selected job's command line and output name.

#include "IniFile.h"
#include "JobRow.h"
#include "LanguageStrings.h"
#include "Paths.h"
#include "UAdvanced.h"
#include "UMain.h"
#include "ZolvaneApp.h"

#include "U3GPRefEnc.h"
#include "UCTFrame.h"
#include "UFAACFrame.h"
#include "UNDFrame.h"
#include "UNeroFrame.h"

#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QtTest>
#include <QtWidgets>

namespace {

QString Fixture(const QString &relative)
{
    return QStringLiteral(ZOLVANE_FIXTURES_DIR "/") + relative;
}

QString SettingsPath()
{
    return ProgramFolder() + QStringLiteral("Zolvane.ini");
}

QStringList Items(const QComboBox *combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

void SetChecked(QAbstractButton *box, bool checked)
{
    box->setChecked(checked);
    QCOMPARE(box->isChecked(), checked);
}

// Sets a box to `checked` so that its handler runs even when it already stood there.
void Retick(QAbstractButton *box, bool checked)
{
    box->setChecked(!checked);
    box->setChecked(checked);
}

// Moves a slider to `value` so that its handler runs even when it already stood there.
void MoveTo(QAbstractSlider *bar, int value)
{
    bar->setValue(value == bar->minimum() ? bar->maximum() : bar->minimum());
    bar->setValue(value);
}

// What the user's choice of an item in a list combo box does: the index, then `activated`.
void Choose(QComboBox *combo, int index)
{
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

} // namespace

class TestAACOptionsWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_cwd;
    QTemporaryDir m_inputs;
    QStringList m_messages;

    TMainForm *form() const { return MainForm; }
    QTreeWidget *list() const { return MainForm->InputListView; }
    QTreeWidgetItem *row(int i) const { return list()->topLevelItem(i); }
    QString cmd() const { return row(0)->text(jcCmd); }
    QWidget *manualGain() const { return AdvancedSet->findChild<QWidget *>(QStringLiteral("chManGain")); }

    // Adds copies of fixtures through the open dialog and selects the first row.
    void addInputs(const QStringList &fixtures)
    {
        QStringList paths;
        for (const QString &fixture : fixtures) {
            const QString path = m_inputs.filePath(QFileInfo(fixture).fileName());
            if (!QFile::exists(path))
                QVERIFY(QFile::copy(Fixture(fixture), path));
            paths << path;
        }
        TMainForm::OpenDialog1Hook = [paths](QWidget *, const QStringList &, int) { return paths; };
        form()->Open1Click();
        QCOMPARE(list()->topLevelItemCount(), fixtures.size());
        list()->clearSelection();
        row(0)->setSelected(true);
    }

    // A page switch as the user makes it: a click on the page's tab.
    void clickTab(QWidget *page)
    {
        QTabBar *bar = form()->PageControl1->tabBar();
        const int index = form()->PageControl1->indexOf(page);
        QVERIFY(index >= 0);
        QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(index).center());
        QCOMPARE(form()->PageControl1->currentWidget(), page);
    }

    // The AAC page with the Winamp plug-in engine in stereo, as the user would choose them.
    void ctStereo(int kbps)
    {
        form()->PageControl1->setCurrentWidget(form()->TabSheet1);
        Choose(form()->cbAACEncEngine, 3);
        form()->rbAACOutputCh2->setChecked(true);
        form()->rbAACOutputCh2Click();
        QCOMPARE(Items(form()->CTFrame1->cbCTFormat), (QStringList{"HE AAC", "HE AAC High", "LC AAC"}));
        MoveTo(form()->CTFrame1->TrackBar, kbps);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_cwd.isValid() && m_inputs.isValid());
        QDir::setCurrent(m_cwd.path());
        QFile::remove(SettingsPath());
        CreateZolvaneWindows();
        QVERIFY(MainForm && AdvancedSet);
        TMainForm::MessageHook = [this](QWidget *, const QString &text, bool) { m_messages << text; };
    }

    void cleanupTestCase()
    {
        TMainForm::MessageHook = nullptr;
        TMainForm::OpenDialog1Hook = nullptr;
        DestroyZolvaneWindows();
        QFile::remove(SettingsPath());
    }

    void init()
    {
        m_messages.clear();
        form()->ClearList2Click();
    }

    // ---- Left panel --------------------------------------------------------------------------

    void boxesEnableTheirControls_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QStringList>("controls");
        QTest::newRow("compression") << "chAzidDC" << QStringList{"cbAzidDC"};
        QTest::newRow("sample rate") << "chSSRC" << QStringList{"cbSSRC", "lbSSRC"};
        QTest::newRow("boost") << "chBoost" << QStringList{"cbBoost"};
        QTest::newRow("gain mode") << "chOTAMode" << QStringList{"cbOTAMode"};
        QTest::newRow("delay") << "chOTADelay" << QStringList{"edOTADelay", "lbOTADelay"};
        QTest::newRow("FAAC profile") << "FaacFrame1/chFaacProfile" << QStringList{"FaacFrame1/cbFaacProfile"};
        QTest::newRow("FAAC MPEG version") << "FaacFrame1/chFaacMPEGversion"
                                           << QStringList{"FaacFrame1/cbFaacMPEGversion"};
        QTest::newRow("FAAC short blocks") << "FaacFrame1/chFaacShortBlocks"
                                           << QStringList{"FaacFrame1/cbFaacShortBlocks"};
        QTest::newRow("Nero profile") << "NeroFrame1/chAACEncProfile" << QStringList{"NeroFrame1/cbAACEncProfile"};
        QTest::newRow("Nero quality") << "NeroFrame1/chAACEncQual" << QStringList{"NeroFrame1/cbAACEncQual"};
    }
    void boxesEnableTheirControls()
    {
        QFETCH(QString, box);
        QFETCH(QStringList, controls);
        auto find = [](const QString &path) -> QWidget * {
            QObject *scope = MainForm;
            for (const QString &part : path.split(QLatin1Char('/')))
                scope = scope ? scope->findChild<QObject *>(part) : nullptr;
            return qobject_cast<QWidget *>(scope);
        };
        auto *check = qobject_cast<QAbstractButton *>(find(box));
        QVERIFY(check);
        const bool before = check->isChecked();
        for (bool ticked : {!before, before, !before, before}) {
            check->setChecked(ticked);
            for (const QString &name : controls) {
                QWidget *control = find(name);
                QVERIFY2(control, qPrintable(name));
                QVERIFY2(control->isEnabled() == ticked, qPrintable(name + (ticked ? " not enabled" : " enabled")));
            }
        }
    }

    void optionBoxesRebuildTheSelectedJob()
    {
        addInputs({"audio/ac3_44k_stereo_96k.ac3"});
        SetChecked(form()->chSSRC, false);
        QVERIFY(!cmd().contains(QStringLiteral("44100")));
        form()->chSSRC->setChecked(true);
        QVERIFY2(cmd().contains(QStringLiteral("44100")), qPrintable(cmd()));
        // Typed text of the editable sample-rate box reaches the command line unchanged.
        form()->cbSSRC->lineEdit()->setText(QString());
        QTest::keyClicks(form()->cbSSRC->lineEdit(), QStringLiteral("22050"));
        QVERIFY2(cmd().contains(QStringLiteral("22050")), qPrintable(cmd()));
        form()->chSSRC->setChecked(false);
        QVERIFY(!cmd().contains(QStringLiteral("22050")));

        form()->chOTAViewKDCL->setChecked(false);
        form()->chOTADelay->setChecked(false);
        form()->edOTADelay->setText(QStringLiteral("-66"));
        QVERIFY(!cmd().contains(QStringLiteral("-66")));
        form()->chOTADelay->setChecked(true);
        QVERIFY2(cmd().contains(QStringLiteral("-66")), qPrintable(cmd()));
        form()->edOTADelay->setText(QStringLiteral("120"));
        QVERIFY2(cmd().contains(QStringLiteral("120")) && !cmd().contains(QStringLiteral("-66")), qPrintable(cmd()));
        form()->chOTADelay->setChecked(false);
    }

    void gainModeListFollowsThePage()
    {
        addInputs({"audio/mp3_cbr128_stereo.mp3"});
        form()->PageControl1->setCurrentWidget(form()->TabSheet1);
        Retick(form()->chOTAMode, true);
        QCOMPARE(Items(form()->cbOTAMode), (QStringList{"PreGain", "PostGain"}));
        QCOMPARE(form()->cbOTAMode->currentText(), QStringLiteral("PreGain"));
        QVERIFY(!manualGain()->isEnabled());

        clickTab(form()->TabSheet4);
        QCOMPARE(Items(form()->cbOTAMode), (QStringList{"HybridGain", "PreGain", "PostGain"}));
        QCOMPARE(form()->cbOTAMode->currentText(), QStringLiteral("HybridGain"));
        QVERIFY2(cmd().contains(QStringLiteral(" -hybridgain")), qPrintable(cmd()));
        QVERIFY(row(0)->text(jcOutputFilename).endsWith(QStringLiteral(".mp3")));

        Choose(form()->cbOTAMode, 2);
        QVERIFY2(cmd().contains(QStringLiteral(" -G 1")), qPrintable(cmd()));
        clickTab(form()->TabSheet1);
        QCOMPARE(Items(form()->cbOTAMode), (QStringList{"PreGain", "PostGain"}));
        QCOMPARE(form()->cbOTAMode->currentText(), QStringLiteral("PreGain"));
        QVERIFY2(cmd().contains(QStringLiteral(" -g max")), qPrintable(cmd()));
        QVERIFY(!row(0)->text(jcOutputFilename).endsWith(QStringLiteral(".mp3")));

        // A page set by code runs no page switch.
        form()->PageControl1->setCurrentWidget(form()->TabSheet4);
        QCOMPARE(Items(form()->cbOTAMode), (QStringList{"PreGain", "PostGain"}));
        // The keyboard switches pages as the user's choice too.
        form()->PageControl1->setCurrentWidget(form()->TabSheet1);
        QTest::keyClick(form()->PageControl1, Qt::Key_Tab, Qt::ControlModifier);
        QVERIFY(form()->PageControl1->currentWidget() != form()->TabSheet1);
        QCOMPARE(form()->cbOTAMode->currentText(), QStringLiteral("HybridGain"));
        QTest::keyClick(form()->PageControl1, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(form()->PageControl1->currentWidget(), form()->TabSheet1);
        QCOMPARE(Items(form()->cbOTAMode), (QStringList{"PreGain", "PostGain"}));
        form()->PageControl1->setCurrentWidget(form()->TabSheet4);

        // Unticked, the gain mode leaves the list alone and hands over to the manual gain.
        form()->chOTAMode->setChecked(false);
        QVERIFY(manualGain()->isEnabled());
        clickTab(form()->TabSheet1);
        clickTab(form()->TabSheet4);
        QCOMPARE(Items(form()->cbOTAMode), (QStringList{"PreGain", "PostGain"}));
        QVERIFY(!form()->cbOTAMode->isEnabled());
        QVERIFY(!cmd().contains(QStringLiteral(" -g max")));
        form()->chOTAMode->setChecked(true);
        QVERIFY(!manualGain()->isEnabled());
        QCOMPARE(form()->cbOTAMode->currentText(), QStringLiteral("HybridGain"));
    }

    void pageSwitchAppliesTheInputTypeOfTheSelectedRow()
    {
        addInputs({"audio/ac3_44k_stereo_96k.ac3"});
        form()->PageControl1->setCurrentWidget(form()->TabSheet1);
        form()->chAzidDC->setChecked(false);
        clickTab(form()->TabSheet3);
        QVERIFY(form()->chAzidDC->isChecked()); // AC-3 input: the decoder's compression is on
        QCOMPARE(row(0)->text(jcOutputFilename), QStringLiteral("ac3_44k_stereo_96k.mp2"));
        QVERIFY2(cmd().contains(QStringLiteral("ac3_44k_stereo_96k.mp2")), qPrintable(cmd()));

        // Without a selected row the ticked row still takes the new page's extension.
        list()->clearSelection();
        clickTab(form()->TabSheet1);
        const QString renamed = row(0)->text(jcOutputFilename);
        QVERIFY2(renamed == QLatin1String("ac3_44k_stereo_96k.aac") || renamed == QLatin1String("ac3_44k_stereo_96k.m4a"),
                 qPrintable(renamed));
        // And with an empty list.
        form()->ClearList2Click();
        clickTab(form()->TabSheet4);
        QCOMPARE(form()->cbOTAMode->currentText(), QStringLiteral("HybridGain"));
        clickTab(form()->TabSheet1);
        QCOMPARE(form()->cbOTAMode->currentText(), QStringLiteral("PreGain"));
    }

    void hintsAreComposedOnMouseMove()
    {
        LanguageStrings.OTAMode_Hint_part1 = QStringLiteral("Gain one");
        LanguageStrings.OTAMode_Hint_part2 = QStringLiteral("Gain two");
        LanguageStrings.OTAMode_Hint_part3 = QStringLiteral("Gain three");
        LanguageStrings.OTADelay_Hint_part1 = QStringLiteral("Delay one");
        LanguageStrings.OTADelay_Hint_part2 = QStringLiteral("Delay two");
        for (QWidget *box : {static_cast<QWidget *>(form()->chOTAMode), static_cast<QWidget *>(form()->chOTADelay)}) {
            box->setToolTip(QString());
            QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), box->mapToGlobal(QPointF(3, 3)), Qt::NoButton,
                             Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(box, &move);
        }
        QCOMPARE(form()->chOTAMode->toolTip(), QStringLiteral("Gain one\r\nGain two\r\nGain three"));
        QCOMPARE(form()->chOTADelay->toolTip(), QStringLiteral("Delay one\r\nDelay two"));
        // A new language's texts are taken at the next move.
        LanguageStrings.OTADelay_Hint_part2 = QStringLiteral("Verzug");
        QMouseEvent move(QEvent::MouseMove, QPointF(4, 4), form()->chOTADelay->mapToGlobal(QPointF(4, 4)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(form()->chOTADelay, &move);
        QCOMPARE(form()->chOTADelay->toolTip(), QStringLiteral("Delay one\r\nVerzug"));
        LanguageStrings.Clear();
    }

    void delayEditTakesOnlyNumberCharacters_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("after");
        QTest::newRow("one dot five") << "" << "1.5" << "1.5";
        QTest::newRow("second dot") << "" << "1.5.2" << "1.52";
        QTest::newRow("dot already there") << "0.5" << "." << "0.5";
        QTest::newRow("letters") << "" << "1a2b" << "12";
        QTest::newRow("comma and blank") << "" << "3, 4" << "34";
        QTest::newRow("minus anywhere") << "" << "-1-2" << "-1-2";
        QTest::newRow("units typed") << "" << "-66ms" << "-66";
    }
    void delayEditTakesOnlyNumberCharacters()
    {
        QFETCH(QString, before);
        QFETCH(QString, typed);
        QFETCH(QString, after);
        form()->chOTADelay->setChecked(true);
        form()->edOTADelay->setText(before);
        form()->edOTADelay->end(false);
        QTest::keyClicks(form()->edOTADelay, typed);
        QCOMPARE(form()->edOTADelay->text(), after);
        form()->chOTADelay->setChecked(false);
    }

    void delayEditKeepsEditingKeys()
    {
        form()->chOTADelay->setChecked(true);
        form()->edOTADelay->setText(QStringLiteral("125"));
        form()->edOTADelay->end(false);
        QTest::keyClick(form()->edOTADelay, Qt::Key_Backspace);
        QCOMPARE(form()->edOTADelay->text(), QStringLiteral("12"));
        form()->edOTADelay->selectAll();
        QTest::keyClicks(form()->edOTADelay, QStringLiteral("7"));
        QCOMPARE(form()->edOTADelay->text(), QStringLiteral("7"));
        form()->chOTADelay->setChecked(false);
        form()->edOTADelay->setText(QStringLiteral("0"));
    }

    // ---- AAC page: channel radios and engine choice ------------------------------------------

    void channelRadiosHandTheChoiceToTheAdvancedDialog()
    {
        QFile::remove(SettingsPath());
        form()->PageControl1->setCurrentWidget(form()->TabSheet1);
        Choose(form()->cbAACEncEngine, 1);
        form()->rbAACOutputCh2->setChecked(true);
        form()->rbAACOutputCh6->setChecked(true);
        {
            const TIniFile ini(SettingsPath());
            QCOMPARE(ini.ReadInteger(QStringLiteral("Zolvane"), QStringLiteral("check_lfe"), -1), 0);
            QCOMPARE(ini.ReadInteger(QStringLiteral("Zolvane"), QStringLiteral("output_mode_check"), -1), 0);
        }
        form()->rbAACOutputCh2->setChecked(true);
        {
            const TIniFile ini(SettingsPath());
            QCOMPARE(ini.ReadInteger(QStringLiteral("Zolvane"), QStringLiteral("check_lfe"), -1), 1);
            QCOMPARE(ini.ReadInteger(QStringLiteral("Zolvane"), QStringLiteral("output_mode_check"), -1), 1);
        }
        // Other keys of the file stay as they were.
        {
            TIniFile ini(SettingsPath());
            ini.WriteString(QStringLiteral("Zolvane"), QStringLiteral("Kandrum_path"), QStringLiteral("/x/Kandrum.exe"));
        }
        form()->rbAACOutputCh6->setChecked(true);
        const TIniFile ini(SettingsPath());
        QCOMPARE(ini.ReadString(QStringLiteral("Zolvane"), QStringLiteral("Kandrum_path"), QString()),
                 QStringLiteral("/x/Kandrum.exe"));
        QCOMPARE(ini.ReadInteger(QStringLiteral("Zolvane"), QStringLiteral("check_lfe"), -1), 0);
        form()->rbAACOutputCh2->setChecked(true);
        QVERIFY(m_messages.isEmpty());

        // The advanced dialog takes the choice at its next showing.
        auto *lfe = AdvancedSet->findChild<QAbstractButton *>(QStringLiteral("chLFEtoLR"));
        auto *outputMode = AdvancedSet->findChild<QAbstractButton *>(QStringLiteral("chOutputMode"));
        QVERIFY(lfe && outputMode);
        for (QAbstractButton *channelRadio : {static_cast<QAbstractButton *>(form()->rbAACOutputCh6),
                                              static_cast<QAbstractButton *>(form()->rbAACOutputCh2)}) {
            channelRadio->setChecked(true);
            const bool stereo = channelRadio == form()->rbAACOutputCh2;
            AdvancedSet->show();
            QCOMPARE(lfe->isChecked(), stereo);
            QCOMPARE(outputMode->isChecked(), stereo);
            AdvancedSet->hide();
        }
    }

    // A settings file that cannot be written is told once; the channel handler still gives the
    // plug-in its 5.1 formats and rate, as with a writable file.
    void unwritableSettingsLeaveTheChannelHandlerWhole()
    {
        ctStereo(48);
        form()->rbAACOutputCh6->setChecked(true);
        const QStringList surroundFormats = Items(form()->CTFrame1->cbCTFormat);
        const int surroundRate = form()->CTFrame1->TrackBar->value();
        QCOMPARE(surroundFormats.size(), 2);
        ctStereo(48);

        QFile::remove(SettingsPath());
        // A folder where the settings file should be: the file cannot be replaced.
        QVERIFY(QDir().mkpath(SettingsPath()));
        form()->rbAACOutputCh6->setChecked(true);
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages.first().startsWith(QStringLiteral("Unable to write to")), qPrintable(m_messages.first()));
        QVERIFY(m_messages.first().contains(SettingsPath()));
        QCOMPARE(Items(form()->CTFrame1->cbCTFormat), surroundFormats);
        QCOMPARE(form()->CTFrame1->TrackBar->value(), surroundRate);
        // The same failure at the next click is not told again.
        form()->rbAACOutputCh2->setChecked(true);
        QCOMPARE(Items(form()->CTFrame1->cbCTFormat), (QStringList{"HE AAC", "HE AAC High", "LC AAC"}));
        QDir(SettingsPath()).removeRecursively();
        form()->rbAACOutputCh6->setChecked(true);
        form()->rbAACOutputCh2->setChecked(true);
        QCOMPARE(m_messages.size(), 1);
    }

    void engineChoiceShowsItsFrameAndRenamesEveryRow_data()
    {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("frame");
        QTest::addColumn<bool>("multichannel");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("block");
        QTest::newRow("3GPP reference") << 0 << "TGPRef1" << false << ".m4a" << "-exe enhAacPlusEnc.exe";
        QTest::newRow("FAAC") << 1 << "FaacFrame1" << true << ".aac" << "-exe faac.exe";
        QTest::newRow("Nero Digital") << 2 << "NDFrame1" << true << ".m4a" << " -kdn( -vbr";
        QTest::newRow("Winamp plug-in") << 3 << "CTFrame1" << true << ".aac" << "-dllname WA_aac.dll";
    }
    void engineChoiceShowsItsFrameAndRenamesEveryRow()
    {
        QFETCH(int, engine);
        QFETCH(QString, frame);
        QFETCH(bool, multichannel);
        QFETCH(QString, extension);
        QFETCH(QString, block);
        addInputs({"audio/ac3_44k_stereo_96k.ac3", "audio/mp3_cbr128_stereo.mp3"});
        form()->PageControl1->setCurrentWidget(form()->TabSheet1);
        row(1)->setCheckState(jcCheck, Qt::Unchecked);
        row(1)->setSelected(false);
        form()->FaacFrame1->chAACtoMP4->setChecked(false);
        form()->NeroFrame1->setVisible(true);
        Choose(form()->cbAACEncEngine, (engine + 1) % 4);
        form()->rbAACOutputCh6->setChecked(true);

        Choose(form()->cbAACEncEngine, engine);
        for (const char *name : {"TGPRef1", "FaacFrame1", "NDFrame1", "CTFrame1", "NeroFrame1"}) {
            auto *w = form()->findChild<QWidget *>(QLatin1String(name));
            QVERIFY2(w->isHidden() == (frame != QLatin1String(name)), name);
        }
        // The 5.1 radio keeps its tick when the engine makes stereo only.
        QCOMPARE(form()->rbAACOutputCh6->isEnabled(), multichannel);
        QVERIFY(form()->rbAACOutputCh6->isChecked());
        QCOMPARE(row(0)->text(jcOutputFilename), QStringLiteral("ac3_44k_stereo_96k") + extension);
        QVERIFY2(cmd().contains(block), qPrintable(cmd()));
        // A row neither ticked nor selected is not renamed.
        QCOMPARE(row(1)->text(jcOutputFilename).endsWith(extension), false);
        form()->rbAACOutputCh2->setChecked(true);
    }

    void engineHandlerAndMP4WrapRenameTheRows()
    {
        addInputs({"audio/ac3_44k_stereo_96k.ac3"});
        form()->PageControl1->setCurrentWidget(form()->TabSheet1);
        form()->FaacFrame1->chAACtoMP4->setChecked(false);
        Choose(form()->cbAACEncEngine, 3);
        // The index set by code alone runs nothing; the handler (which the presets and the
        // Lossless engine's choice run) switches the frame.
        form()->cbAACEncEngine->setCurrentIndex(1);
        QVERIFY(form()->FaacFrame1->isHidden());
        form()->cbAACEncEngineChange();
        QVERIFY(!form()->FaacFrame1->isHidden());
        QVERIFY(form()->CTFrame1->isHidden());
        QCOMPARE(row(0)->text(jcOutputFilename), QStringLiteral("ac3_44k_stereo_96k.aac"));

        form()->FaacFrame1->chAACtoMP4->setChecked(true);
        QCOMPARE(row(0)->text(jcOutputFilename), QStringLiteral("ac3_44k_stereo_96k.m4a"));
        QVERIFY2(cmd().contains(QStringLiteral(" -mp4")) && cmd().contains(QStringLiteral("ac3_44k_stereo_96k.m4a")),
                 qPrintable(cmd()));
        form()->FaacFrame1->chAACtoMP4->setChecked(false);
        QCOMPARE(row(0)->text(jcOutputFilename), QStringLiteral("ac3_44k_stereo_96k.aac"));
        // With an empty list the box only rebuilds.
        form()->ClearList2Click();
        form()->FaacFrame1->chAACtoMP4->setChecked(true);
        form()->FaacFrame1->chAACtoMP4->setChecked(false);
        Choose(form()->cbAACEncEngine, 3);
    }

    // ---- Winamp plug-in frame ----------------------------------------------------------------

    void ctStereoBitrateSetsTheChannelModes()
    {
        addInputs({"audio/ac3_44k_stereo_96k.ac3"});
        TCTFrame *ct = form()->CTFrame1;
        ctStereo(48);
        QCOMPARE(Items(ct->cbAACMode), (QStringList{"Mono", "Stereo", "Parametric Stereo"}));
        QCOMPARE(ct->cbAACMode->currentText(), QStringLiteral("Parametric Stereo"));
        QCOMPARE(ct->TrackBar->toolTip(), QStringLiteral("48 kbps"));
        QVERIFY2(cmd().contains(QStringLiteral("-cbr 48")) && cmd().contains(QStringLiteral(" -mode 4")),
                 qPrintable(cmd()));

        ct->TrackBar->setValue(60);
        QCOMPARE(Items(ct->cbAACMode), (QStringList{"Mono", "Stereo"}));
        QCOMPARE(ct->cbAACMode->currentText(), QStringLiteral("Stereo"));
        QVERIFY2(cmd().contains(QStringLiteral("-cbr 60")) && cmd().contains(QStringLiteral(" -mode 2")),
                 qPrintable(cmd()));

        // Above 128 kbps HE AAC becomes HE AAC High; the channel modes stay as they were.
        ct->TrackBar->setValue(130);
        QCOMPARE(ct->cbCTFormat->currentIndex(), 1);
        QCOMPARE(Items(ct->cbAACMode), (QStringList{"Mono", "Stereo"}));
        QCOMPARE(ct->TrackBar->toolTip(), QStringLiteral("130 kbps"));

        // HE AAC High never runs below 64 kbps and then offers mono only.
        Choose(ct->cbCTFormat, 2);
        ct->TrackBar->setValue(48);
        Choose(ct->cbCTFormat, 1);
        QCOMPARE(ct->TrackBar->value(), 64);
        QCOMPARE(Items(ct->cbAACMode), QStringList{"Mono"});
        QVERIFY2(cmd().contains(QStringLiteral("-cbr 64")) && cmd().contains(QStringLiteral(" -mode 1")),
                 qPrintable(cmd()));

        Choose(ct->cbCTFormat, 2);
        ct->TrackBar->setValue(200);
        QCOMPARE(Items(ct->cbAACMode), QStringList{"Stereo"});
    }

    void ct51KeepsTheBitrateInItsRange()
    {
        addInputs({"audio/ac3_48k_5ch1_384k.ac3"});
        TCTFrame *ct = form()->CTFrame1;
        ctStereo(48);
        form()->rbAACOutputCh6->setChecked(true);
        QCOMPARE(Items(ct->cbCTFormat), (QStringList{"HE AAC", "LC AAC"}));
        QCOMPARE(ct->cbCTFormat->currentIndex(), 0);
        QCOMPARE(ct->TrackBar->value(), 96);
        QCOMPARE(ct->TrackBar->toolTip(), QStringLiteral("96 kbps"));
        QVERIFY(!ct->cbAACMode->isEnabled() && !ct->lbAACMode->isEnabled());
        QVERIFY2(cmd().contains(QStringLiteral("-cbr 96")) && cmd().contains(QStringLiteral(" -6chnew")),
                 qPrintable(cmd()));

        ct->TrackBar->setValue(40);
        QCOMPARE(ct->TrackBar->value(), 96);
        ct->TrackBar->setValue(300);
        QCOMPARE(ct->TrackBar->value(), 213);
        QCOMPARE(ct->TrackBar->toolTip(), QStringLiteral("213 kbps"));
        QVERIFY2(cmd().contains(QStringLiteral("-cbr 213")), qPrintable(cmd()));

        // LC AAC goes higher; choosing HE AAC again brings the bit rate back into its range.
        Choose(ct->cbCTFormat, 1);
        ct->TrackBar->setValue(300);
        QCOMPARE(ct->TrackBar->value(), 300);
        QVERIFY2(cmd().contains(QStringLiteral(" -lc")), qPrintable(cmd()));
        Choose(ct->cbCTFormat, 0);
        QCOMPARE(ct->TrackBar->value(), 213);
        QVERIFY2(cmd().contains(QStringLiteral("-cbr 213")) && !cmd().contains(QStringLiteral(" -lc")),
                 qPrintable(cmd()));

        // Coming to 5.1 with a high stereo bit rate selects HE AAC within its range too.
        form()->rbAACOutputCh2->setChecked(true);
        QVERIFY(ct->cbAACMode->isEnabled() && ct->lbAACMode->isEnabled());
        QCOMPARE(Items(ct->cbCTFormat).size(), 3);
        Choose(ct->cbCTFormat, 2);
        ct->TrackBar->setValue(256);
        form()->rbAACOutputCh6->setChecked(true);
        QCOMPARE(ct->TrackBar->value(), 213);
        form()->rbAACOutputCh2->setChecked(true);
    }

    void ctStereoRadioRestoresTheFormatRule()
    {
        TCTFrame *ct = form()->CTFrame1;
        ctStereo(48);
        form()->rbAACOutputCh6->setChecked(true); // 96 kbps now
        form()->rbAACOutputCh2->setChecked(true);
        QCOMPARE(Items(ct->cbCTFormat), (QStringList{"HE AAC", "HE AAC High", "LC AAC"}));
        QCOMPARE(ct->cbCTFormat->currentIndex(), 0);
        QCOMPARE(Items(ct->cbAACMode), QStringList{"Stereo"}); // HE AAC at 96 kbps
        // Other engines leave the plug-in's lists alone.
        Choose(form()->cbAACEncEngine, 1);
        form()->rbAACOutputCh6->setChecked(true);
        QCOMPARE(Items(ct->cbCTFormat).size(), 3);
        form()->rbAACOutputCh2->setChecked(true);
        Choose(form()->cbAACEncEngine, 3);
    }

    // The plug-in's format list, the format shown and the job's command line agree whatever
    // order the user chose the engine and the channels in: engines by the keyboard on the closed
    // list, channels and tabs by mouse clicks. Steps: "engine N", "ch 2"/"ch 6", "format N"
    // (a keyboard choice in the format list), "mode N" (the same in the channel-mode list),
    // "kbps N". An empty mode is not checked.
    void ctFrameFollowsTheChannelsInAnyOrder_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("mode");
        QTest::newRow("5.1 under FAAC, then CT")
            << QStringList{"engine 3", "ch 2", "format 2", "kbps 128", "engine 1", "ch 6", "engine 3"} << "HE AAC" << "";
        QTest::newRow("stereo under Nero Digital, then CT")
            << QStringList{"engine 3", "ch 6", "format 1", "kbps 256", "engine 2", "ch 2", "engine 3"}
            << "HE AAC High" << "";
        QTest::newRow("stereo under 3GPP, then CT")
            << QStringList{"engine 3", "ch 6", "format 1", "kbps 160", "engine 1", "engine 0", "ch 2", "engine 3"}
            << "HE AAC High" << "";
        QTest::newRow("5.1 and back under FAAC keeps the format")
            << QStringList{"engine 3", "ch 2", "format 2", "kbps 128", "engine 1", "ch 6", "ch 2", "engine 3"}
            << "LC AAC" << "";
        QTest::newRow("5.1 from a low stereo rate under FAAC")
            << QStringList{"engine 3", "ch 2", "kbps 48", "engine 1", "ch 6", "engine 3"} << "HE AAC" << "";
        QTest::newRow("a channel mode chosen by hand outlasts another engine")
            << QStringList{"engine 3", "ch 2", "kbps 60", "mode 0", "engine 2", "engine 3"} << "HE AAC" << "Mono";
        QTest::newRow("channels first, then CT, then the format")
            << QStringList{"engine 2", "ch 6", "engine 3", "format 1", "kbps 300"} << "LC AAC" << "";
    }
    void ctFrameFollowsTheChannelsInAnyOrder()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, format);
        QFETCH(QString, mode);
        addInputs({"audio/ac3_48k_5ch1_384k.ac3"});
        TCTFrame *ct = form()->CTFrame1;
        clickTab(form()->TabSheet1);
        auto chooseByKeys = [](QComboBox *combo, int index) {
            QVERIFY2(combo->isVisibleTo(MainForm) && combo->isEnabled(), qPrintable(combo->objectName()));
            QVERIFY(index >= 0 && index < combo->count());
            while (combo->currentIndex() != index)
                QTest::keyClick(combo, combo->currentIndex() < index ? Qt::Key_Down : Qt::Key_Up);
        };
        auto click = [](QAbstractButton *radio) {
            QVERIFY2(radio->isVisibleTo(MainForm) && radio->isEnabled(), qPrintable(radio->objectName()));
            QTest::mouseClick(radio, Qt::LeftButton, Qt::NoModifier, QPoint(8, radio->height() / 2));
            QVERIFY2(radio->isChecked(), qPrintable(radio->objectName()));
        };
        // Start from CT in stereo with the list the stereo radio puts in place.
        if (form()->cbAACEncEngine->currentIndex() != 3)
            chooseByKeys(form()->cbAACEncEngine, 3);
        click(form()->rbAACOutputCh6);
        click(form()->rbAACOutputCh2);
        for (const QString &step : steps) {
            const QStringList words = step.split(QLatin1Char(' '));
            const int value = words.at(1).toInt();
            if (words.at(0) == QLatin1String("engine"))
                chooseByKeys(form()->cbAACEncEngine, value);
            else if (words.at(0) == QLatin1String("ch"))
                click(value == 2 ? form()->rbAACOutputCh2 : form()->rbAACOutputCh6);
            else if (words.at(0) == QLatin1String("format"))
                chooseByKeys(ct->cbCTFormat, value);
            else if (words.at(0) == QLatin1String("mode"))
                chooseByKeys(ct->cbAACMode, value);
            else
                ct->TrackBar->setValue(value);
        }

        const bool stereo = form()->rbAACOutputCh2->isChecked();
        const QString shown = ct->cbCTFormat->currentText();
        const QStringList formats = stereo ? QStringList{"HE AAC", "HE AAC High", "LC AAC"}
                                           : QStringList{"HE AAC", "LC AAC"};
        QCOMPARE(Items(ct->cbCTFormat), formats);
        QCOMPARE(shown, format);
        QCOMPARE(ct->cbAACMode->isEnabled(), stereo);
        if (!mode.isEmpty())
            QCOMPARE(ct->cbAACMode->currentText(), mode);
        const QString job = cmd();
        const int kbps = ct->TrackBar->value();
        QVERIFY2(job.contains(QStringLiteral("-cbr %1").arg(kbps)), qPrintable(job));
        QVERIFY2(job.contains(QStringLiteral(" -high")) == (shown == QLatin1String("HE AAC High")), qPrintable(job));
        QVERIFY2(job.contains(QStringLiteral(" -lc")) == (shown == QLatin1String("LC AAC")), qPrintable(job));
        QVERIFY2(job.contains(QStringLiteral(" -6chnew")) == !stereo, qPrintable(job));
        if (stereo) {
            QVERIFY2(job.contains(QStringLiteral(" -mode ")), qPrintable(job));
        } else {
            // The plug-in's 5.1 range.
            QVERIFY2(kbps >= 96 && (shown != QLatin1String("HE AAC") || kbps <= 213), qPrintable(job));
            QVERIFY2(!job.contains(QStringLiteral(" -mode ")), qPrintable(job));
        }
    }

    void pnsSelectsMPEG4()
    {
        addInputs({"audio/ac3_44k_stereo_96k.ac3"});
        TCTFrame *ct = form()->CTFrame1;
        ctStereo(48);
        ct->chCTPNS->setChecked(false);
        ct->rbMPEG2->setChecked(true);
        QVERIFY2(cmd().contains(QStringLiteral(" -mpeg2")), qPrintable(cmd()));
        ct->chCTPNS->setChecked(true);
        QVERIFY(ct->rbMPEG4->isChecked());
        QVERIFY2(!cmd().contains(QStringLiteral(" -mpeg2")) && cmd().contains(QStringLiteral(" -pns")),
                 qPrintable(cmd()));
        ct->chCTPNS->setChecked(false);
        QVERIFY(ct->rbMPEG4->isChecked());
    }

    // ---- 3GPP, FAAC and Nero Digital frames --------------------------------------------------

    void refBitrateCaptionAndHint()
    {
        addInputs({"audio/ac3_44k_stereo_96k.ac3"});
        form()->PageControl1->setCurrentWidget(form()->TabSheet1);
        Choose(form()->cbAACEncEngine, 0);
        TTGPRef *ref = form()->TGPRef1;
        ref->RefTrackBar->setValue(56);
        QCOMPARE(ref->gbBitrateRefEnc->title(), QStringLiteral("Bitrate (56 kbps)"));
        ref->RefTrackBar->setValue(48);
        QCOMPARE(ref->gbBitrateRefEnc->title(), QStringLiteral("Bitrate (48 kbps)"));
        QCOMPARE(ref->RefTrackBar->toolTip(), QStringLiteral("48 kbps"));
        QVERIFY2(cmd().contains(QStringLiteral("-cbr 48")), qPrintable(cmd()));
        Retick(ref->chDisablePS, true);
        QVERIFY2(cmd().contains(QStringLiteral(" -nops")), qPrintable(cmd()));
        ref->chDisablePS->setChecked(false);
        Choose(form()->cbAACEncEngine, 3);
    }

    void faacLowpassBoxesAreOpposites()
    {
        addInputs({"audio/ac3_44k_stereo_96k.ac3"});
        form()->PageControl1->setCurrentWidget(form()->TabSheet1);
        Choose(form()->cbAACEncEngine, 1);
        TFaacFrame *f = form()->FaacFrame1;
        Retick(f->chFaacLowpassAuto, true);
        QVERIFY(!f->chFaacLowpass->isChecked() && !f->chFaacLowpass->isEnabled());

        f->chFaacLowpassAuto->setChecked(false);
        QVERIFY(f->chFaacLowpass->isChecked() && f->chFaacLowpass->isEnabled());
        QVERIFY(f->SpedFaacLowpass->isEnabled() && f->lbFaacLowpass->isEnabled());
        QVERIFY2(cmd().contains(QStringLiteral(" -c 16000")), qPrintable(cmd()));
        f->SpedFaacLowpass->setValue(12000);
        QVERIFY2(cmd().contains(QStringLiteral(" -c 12000")), qPrintable(cmd()));

        // Unticking "Bandwidth :" ticks "Automatic", which unticks and disables it again.
        f->chFaacLowpass->setChecked(false);
        QVERIFY(f->chFaacLowpassAuto->isChecked());
        QVERIFY(!f->chFaacLowpass->isChecked() && !f->chFaacLowpass->isEnabled());
        QVERIFY(!f->SpedFaacLowpass->isEnabled() && !f->lbFaacLowpass->isEnabled());
        QVERIFY2(!cmd().contains(QStringLiteral(" -c 1")), qPrintable(cmd()));
        f->SpedFaacLowpass->setValue(16000);
        Choose(form()->cbAACEncEngine, 3);
    }

    void faacBitrateModeRadios()
    {
        addInputs({"audio/ac3_44k_stereo_96k.ac3"});
        form()->PageControl1->setCurrentWidget(form()->TabSheet1);
        Choose(form()->cbAACEncEngine, 1);
        TFaacFrame *f = form()->FaacFrame1;
        f->rbFaacABRMode->setChecked(true);
        QVERIFY(f->SpEdFAACABRMode->isEnabled() && f->lbFaacABRMode->isEnabled());
        QVERIFY(!f->SpEdFAACVBRMode->isEnabled() && !f->lbFaacVBRMode->isEnabled());
        QVERIFY2(cmd().contains(QStringLiteral(" -b 128")), qPrintable(cmd()));
        f->SpEdFAACABRMode->setValue(160);
        QVERIFY2(cmd().contains(QStringLiteral(" -b 160")), qPrintable(cmd()));
        f->rbFAACVBRMode->setChecked(true);
        QVERIFY(!f->SpEdFAACABRMode->isEnabled() && !f->lbFaacABRMode->isEnabled());
        QVERIFY(f->SpEdFAACVBRMode->isEnabled() && f->lbFaacVBRMode->isEnabled());
        QVERIFY2(cmd().contains(QStringLiteral(" -q 100")), qPrintable(cmd()));

        Retick(f->chFaacProfile, true);
        QVERIFY2(cmd().contains(QStringLiteral(" --obj-type LC")), qPrintable(cmd()));
        f->chFaacProfile->setChecked(false);
        QVERIFY(!cmd().contains(QStringLiteral("--obj-type")));
        f->SpEdFAACABRMode->setValue(128);
        Choose(form()->cbAACEncEngine, 3);
    }

    void ndQualityHintAndTarget_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("hint");
        QTest::newRow("0") << 0 << "0,00";
        QTest::newRow("5") << 5 << "0,05";
        QTest::newRow("50") << 50 << "0,50";
        QTest::newRow("99") << 99 << "0,99";
        QTest::newRow("100") << 100 << "1,00";
    }
    void ndQualityHintAndTarget()
    {
        QFETCH(int, position);
        QFETCH(QString, hint);
        TNDFrame *nd = form()->NDFrame1;
        MoveTo(nd->trackBar, position);
        QCOMPARE(nd->trackBar->toolTip(), hint);
        nd->trackBar->setValue(50);
    }

    void ndTargetRadiosSwapTheGroups()
    {
        addInputs({"audio/ac3_44k_stereo_96k.ac3"});
        form()->PageControl1->setCurrentWidget(form()->TabSheet1);
        Choose(form()->cbAACEncEngine, 2);
        TNDFrame *nd = form()->NDFrame1;
        nd->rbBitrate->setChecked(true);
        for (QWidget *w : std::initializer_list<QWidget *>{nd->gbBitrate, nd->chCBR, nd->TrackBar2, nd->lb16, nd->lb320})
            QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
        for (QWidget *w : std::initializer_list<QWidget *>{nd->gbQuality, nd->trackBar, nd->lb0, nd->lb05, nd->lb1})
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
        nd->TrackBar2->setValue(192);
        QCOMPARE(nd->TrackBar2->toolTip(), QStringLiteral("192 kbps"));
        QVERIFY2(cmd().contains(QStringLiteral(" -abr 192")), qPrintable(cmd()));
        nd->chCBR->setChecked(true);
        QVERIFY2(cmd().contains(QStringLiteral(" -cbr 192")), qPrintable(cmd()));

        nd->rbQuality->setChecked(true);
        for (QWidget *w : std::initializer_list<QWidget *>{nd->gbBitrate, nd->chCBR, nd->TrackBar2, nd->lb128})
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
        for (QWidget *w : std::initializer_list<QWidget *>{nd->gbQuality, nd->trackBar, nd->lb05})
            QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
        QVERIFY2(cmd().contains(QStringLiteral(" -vbr 0.5")), qPrintable(cmd()));
        nd->chCBR->setChecked(false);
        nd->TrackBar2->setValue(128);
        Choose(form()->cbAACEncEngine, 3);
    }

    void neroModeRadiosEnableTheirLists()
    {
        TNeroFrame *n = form()->NeroFrame1;
        n->rbAACCBRMode->setChecked(true);
        QVERIFY(n->cbAACCBRMode->isEnabled() && n->lbAACCBRMode->isEnabled());
        QVERIFY(!n->cbAACVBRMode->isEnabled() && !n->lbAACVBRMode->isEnabled());
        n->rbAACVBRMode->setChecked(true);
        QVERIFY(!n->cbAACCBRMode->isEnabled() && !n->lbAACCBRMode->isEnabled());
        QVERIFY(n->cbAACVBRMode->isEnabled() && n->lbAACVBRMode->isEnabled());
    }
};

QTEST_MAIN(TestAACOptionsWindow)
#include "tst_aac_options_window.moc"
