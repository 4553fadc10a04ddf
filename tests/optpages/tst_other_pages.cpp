// The VORBIS, WAV/PCM, SPEEX and Lossless pages on the real windows: what their handlers change
// on the page, in the advanced dialog, in the settings file and in the selected row's command line.
#include "IniFile.h"
#include "JobRow.h"
#include "Paths.h"
#include "UAdvanced.h"
#include "UMain.h"
#include "ZolvaneApp.h"

#include <QtTest>
#include <QtWidgets>

namespace {

QString settingsPath()
{
    return ProgramFolder() + QStringLiteral("Zolvane.ini");
}

// The two downmix keys as the settings file holds them; -1 where a key is missing.
QPair<int, int> downmixKeys()
{
    const TIniFile ini(settingsPath());
    return {ini.ReadInteger(QStringLiteral("Zolvane"), QStringLiteral("check_lfe"), -1),
            ini.ReadInteger(QStringLiteral("Zolvane"), QStringLiteral("output_mode_check"), -1)};
}

QCheckBox *advancedBox(const char *name)
{
    return AdvancedSet->findChild<QCheckBox *>(QLatin1String(name));
}

QPair<bool, bool> advancedBoxes()
{
    return {advancedBox("chLFEtoLR")->isChecked(), advancedBox("chOutputMode")->isChecked()};
}

// Moves a bar to `value` so that its change handler runs even when it already stood there.
void moveTo(QAbstractSlider *bar, int value)
{
    bar->setValue(value == bar->minimum() ? bar->maximum() : bar->minimum());
    bar->setValue(value);
}

void click(QWidget *w)
{
    QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
}

// Receives the addresses the program asks the shell to open.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }
};

} // namespace

class TestOtherPages : public QObject
{
    Q_OBJECT
private:
    TMainForm *f = nullptr;
    QTemporaryDir folder;
    QStringList errors;

    // One selected row "a.ac3" in the temporary folder; its command line is rebuilt by KDCmdl.
    QTreeWidgetItem *addSelectedRow()
    {
        auto *row = new QTreeWidgetItem(f->InputListView);
        const QString dir = folder.path() + QLatin1Char('/');
        row->setText(jcInputPath, dir);
        row->setText(jcFilename, QStringLiteral("a.ac3"));
        row->setText(jcOutputPath, dir);
        row->setText(jcOutputFilename, QStringLiteral("a.out"));
        f->InputListView->setCurrentItem(row);
        row->setSelected(true);
        return row;
    }

    // Resampling off or on with an item of the combo; the resampling options' own handlers then
    // refresh the estimate as here.
    void chooseResampling(int item)
    {
        f->chSSRC->setChecked(item >= 0);
        if (item >= 0) {
            f->cbSSRC->setCurrentIndex(item);
            f->cbSSRC->setEditText(f->cbSSRC->itemText(item));
        }
        f->lbVORBISnomBitrateValClick();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(folder.isValid());
        InitZolvaneProcess();
        QFile::remove(settingsPath());
        CreateZolvaneWindows();
        f = MainForm;
        QVERIFY(f && AdvancedSet);
        TMainForm::MessageHook = [this](QWidget *, const QString &text, bool error) {
            if (error)
                errors << text;
        };
    }

    void cleanupTestCase()
    {
        DestroyZolvaneWindows();
        TMainForm::MessageHook = nullptr;
    }

    void init()
    {
        errors.clear();
        QFileInfo ini(settingsPath());
        if (ini.isDir())
            QDir(settingsPath()).removeRecursively();
        else
            QFile::remove(settingsPath());
    }

    void cleanup()
    {
        f->InputListView->clear();
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join(QLatin1Char('\n'))));
    }

    // ---- VORBIS -----------------------------------------------------------------------------

    void vorbisStartsWithItsDefaultLabels()
    {
        QCOMPARE(f->lbVORBISqlevelVal->text(), QStringLiteral("2,00"));
        QCOMPARE(f->lbVORBISnomBitrateVal->text(), QStringLiteral("96 kbps"));
        QVERIFY(f->rbVORBISOutputCh2->isChecked() && f->rbVORBISQuality->isChecked());
        for (QWidget *w : {static_cast<QWidget *>(f->SpEdtVORBISmin), static_cast<QWidget *>(f->SpEdtVORBISnom),
                           static_cast<QWidget *>(f->SpEdtVORBISmax)})
            QVERIFY(!w->isEnabled());
    }

    void vorbisLabelsFollowTheScrollBar_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("surround");
        QTest::addColumn<int>("resampleItem"); // -1: resampling off
        QTest::addColumn<QString>("quality");
        QTest::addColumn<QString>("estimate");
        QTest::newRow("-200 stereo") << -200 << false << -1 << "-2,00" << "32 kbps";
        QTest::newRow("-200 5.1") << -200 << true << -1 << "-2,00" << "96 kbps";
        QTest::newRow("-150 no resampling") << -150 << false << -1 << "-1,50" << "38,5 kbps";
        QTest::newRow("-150 at 44100") << -150 << false << 7 << "-1,50" << "35 kbps";
        QTest::newRow("-5 at 16000") << -5 << false << 3 << "-0,05" << "29,3 kbps";
        QTest::newRow("7 at 48000") << 7 << false << 8 << "0,07" << "64 kbps";
        QTest::newRow("205 at 11025") << 205 << false << 1 << "2,05" << "38,4 kbps";
        QTest::newRow("999 stereo") << 999 << false << -1 << "9,99" << "410 kbps";
        QTest::newRow("1000 at 8000") << 1000 << false << 0 << "10,00" << "500 kbps";
        QTest::newRow("1000 5.1 at 8000") << 1000 << true << 0 << "10,00" << "1574 kbps";
        QTest::newRow("200 5.1 at 11025") << 200 << true << 1 << "2,00" << "296 kbps";
    }

    void vorbisLabelsFollowTheScrollBar()
    {
        QFETCH(int, position);
        QFETCH(bool, surround);
        QFETCH(int, resampleItem);
        QFETCH(QString, quality);
        QFETCH(QString, estimate);
        (surround ? f->rbVORBISOutputCh6 : f->rbVORBISOutputCh2)->setChecked(true);
        chooseResampling(resampleItem);
        moveTo(f->VORBISScrollBar, position);
        QCOMPARE(f->lbVORBISqlevelVal->text(), quality);
        QCOMPARE(f->lbVORBISnomBitrateVal->text(), estimate);
        f->rbVORBISOutputCh2->setChecked(true);
        chooseResampling(-1);
    }

    // The channel radios carry the choice to the advanced dialog at once and to its next showing
    // through the settings file, and refresh the estimate; the row's command line follows.
    void vorbisChannelsSetTheEstimateTheDownmixAndTheCommandLine()
    {
        f->PageControl1->setCurrentWidget(f->TabSheet5);
        QTreeWidgetItem *row = addSelectedRow();
        chooseResampling(1); // 11025
        moveTo(f->VORBISScrollBar, 200);
        QCOMPARE(f->lbVORBISnomBitrateVal->text(), QStringLiteral("38,4 kbps"));

        f->rbVORBISOutputCh6->setChecked(true);
        QCOMPARE(f->lbVORBISnomBitrateVal->text(), QStringLiteral("296 kbps"));
        QCOMPARE(downmixKeys(), qMakePair(0, 0));
        QCOMPARE(advancedBoxes(), qMakePair(false, false));
        QVERIFY2(row->text(jcCmd).contains(QLatin1String(" -6ch 1")), qPrintable(row->text(jcCmd)));

        f->rbVORBISOutputCh2->setChecked(true);
        QCOMPARE(f->lbVORBISnomBitrateVal->text(), QStringLiteral("38,4 kbps"));
        QCOMPARE(downmixKeys(), qMakePair(1, 1));
        QCOMPARE(advancedBoxes(), qMakePair(true, true));
        QVERIFY(!row->text(jcCmd).contains(QLatin1String(" -6ch 1")));
        chooseResampling(-1);
    }

    // A rate typed into the resampling combo is none of its items: the stereo estimate keeps its
    // text, the 5.1 estimate still follows the position.
    void vorbisTypedRateKeepsTheStereoEstimate()
    {
        f->PageControl1->setCurrentWidget(f->TabSheet1); // the estimate follows on any page
        chooseResampling(4); // 22050
        moveTo(f->VORBISScrollBar, 300);
        QCOMPARE(f->lbVORBISnomBitrateVal->text(), QStringLiteral("66,7 kbps"));

        QLineEdit *typed = f->cbSSRC->lineEdit();
        QVERIFY(typed);
        f->cbSSRC->setEnabled(true); // as the ticked resampling box leaves it
        typed->selectAll();
        QTest::keyClicks(typed, QStringLiteral("96000"));
        QCOMPARE(f->cbSSRC->currentText(), QStringLiteral("96000"));
        f->lbVORBISnomBitrateValClick();
        QCOMPARE(f->lbVORBISnomBitrateVal->text(), QStringLiteral("66,7 kbps"));
        moveTo(f->VORBISScrollBar, 500);
        QCOMPARE(f->lbVORBISqlevelVal->text(), QStringLiteral("5,00"));
        QCOMPARE(f->lbVORBISnomBitrateVal->text(), QStringLiteral("66,7 kbps"));

        f->rbVORBISOutputCh6->setChecked(true);
        QCOMPARE(f->lbVORBISnomBitrateVal->text(), QStringLiteral("512 kbps"));
        f->rbVORBISOutputCh2->setChecked(true);
        QCOMPARE(f->lbVORBISnomBitrateVal->text(), QStringLiteral("512 kbps"));

        // Without resampling the no-resampling column counts again.
        f->chSSRC->setChecked(false);
        f->lbVORBISnomBitrateValClick();
        QCOMPARE(f->lbVORBISnomBitrateVal->text(), QStringLiteral("160 kbps"));
        f->cbSSRC->setCurrentIndex(7);
        f->cbSSRC->setEditText(f->cbSSRC->itemText(7));
    }

    void vorbisValueLabelsRecomputeOnClickAndChangeNothingElse()
    {
        f->PageControl1->setCurrentWidget(f->TabSheet5);
        QTreeWidgetItem *row = addSelectedRow();
        moveTo(f->VORBISScrollBar, 450);
        const QString cmd = row->text(jcCmd);
        row->setText(jcCmd, QStringLiteral("untouched"));
        f->lbVORBISqlevelVal->setText(QStringLiteral("stale"));
        f->lbVORBISnomBitrateVal->setText(QStringLiteral("stale"));

        click(f->lbVORBISqlevelVal);
        QCOMPARE(f->lbVORBISqlevelVal->text(), QStringLiteral("4,50"));
        QCOMPARE(f->lbVORBISnomBitrateVal->text(), QStringLiteral("stale"));
        click(f->lbVORBISnomBitrateVal);
        QCOMPARE(f->lbVORBISnomBitrateVal->text(), QStringLiteral("144 kbps"));
        QCOMPARE(row->text(jcCmd), QStringLiteral("untouched"));
        QCOMPARE(f->VORBISScrollBar->value(), 450);
        QVERIFY(!cmd.isEmpty());
    }

    void vorbisBitrateTargetEnablesTheRateControls_data()
    {
        QTest::addColumn<bool>("average");
        QTest::addColumn<bool>("minMax");
        QTest::addColumn<QString>("switches");
        QTest::newRow("average") << true << true << " -m 96 -b 128 -M 256";
        QTest::newRow("constant") << false << false << " -b 128";
    }

    void vorbisBitrateTargetEnablesTheRateControls()
    {
        QFETCH(bool, average);
        QFETCH(bool, minMax);
        QFETCH(QString, switches);
        f->PageControl1->setCurrentWidget(f->TabSheet5);
        QTreeWidgetItem *row = addSelectedRow();
        (average ? f->rbVORBISABRMode : f->rbVORBISCBRMode)->setChecked(true);

        f->rbVORBISBitrate->setChecked(true);
        QVERIFY(!f->VORBISScrollBar->isEnabled());
        QVERIFY(!f->lbVORBISq10->isEnabled() && !f->lbVORBISqlevelVal->isEnabled()
                && !f->lbVORBISnomBitrateVal->isEnabled());
        QVERIFY(f->rbVORBISABRMode->isEnabled() && f->rbVORBISCBRMode->isEnabled());
        QVERIFY(f->SpEdtVORBISnom->isEnabled() && f->lbVORBISBitrateNom->isEnabled() && f->Label51->isEnabled());
        QCOMPARE(f->SpEdtVORBISmin->isEnabled(), minMax);
        QCOMPARE(f->SpEdtVORBISmax->isEnabled(), minMax);
        QCOMPARE(f->lbVORBISminBitrate->isEnabled(), minMax);
        QCOMPARE(f->Label52->isEnabled(), minMax);
        QVERIFY2(row->text(jcCmd).contains(switches), qPrintable(row->text(jcCmd)));

        // A spin edit's change reaches the command line.
        f->SpEdtVORBISnom->setValue(160);
        QVERIFY2(row->text(jcCmd).contains(QLatin1String(" -b 160")), qPrintable(row->text(jcCmd)));
        f->SpEdtVORBISnom->setValue(128);

        f->rbVORBISQuality->setChecked(true);
        QVERIFY(f->VORBISScrollBar->isEnabled() && f->lbVORBISq_2->isEnabled() && f->lbVORBISqlevelVal->isEnabled());
        for (QWidget *w : QList<QWidget *>{f->SpEdtVORBISmin, f->SpEdtVORBISnom, f->SpEdtVORBISmax,
                                           f->rbVORBISABRMode, f->rbVORBISCBRMode, f->Label50})
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
        QVERIFY(!row->text(jcCmd).contains(switches));
        f->rbVORBISABRMode->setChecked(true);
    }

    // While the bit-rate target is chosen, a click on a rate mode applies it at once; ticked from
    // code during the quality target it leaves the page alone.
    void vorbisRateModeClickAppliesAtOnce()
    {
        f->PageControl1->setCurrentWidget(f->TabSheet5);
        QTreeWidgetItem *row = addSelectedRow();
        f->rbVORBISCBRMode->setChecked(true);
        QVERIFY(!f->SpEdtVORBISnom->isEnabled());

        f->rbVORBISBitrate->setChecked(true);
        QVERIFY(!f->SpEdtVORBISmin->isEnabled());
        click(f->rbVORBISABRMode);
        QVERIFY(f->rbVORBISABRMode->isChecked());
        QVERIFY(f->SpEdtVORBISmin->isEnabled() && f->SpEdtVORBISmax->isEnabled());
        QVERIFY(row->text(jcCmd).contains(QLatin1String(" -m 96 -b 128 -M 256")));
        click(f->rbVORBISCBRMode);
        QVERIFY(!f->SpEdtVORBISmin->isEnabled() && !f->SpEdtVORBISmax->isEnabled());
        QVERIFY(f->SpEdtVORBISnom->isEnabled());
        QVERIFY(!row->text(jcCmd).contains(QLatin1String(" -m 96")));
        f->rbVORBISQuality->setChecked(true);
        f->rbVORBISABRMode->setChecked(true);
    }

    // ---- WAV/PCM ----------------------------------------------------------------------------

    void wavAiffWavSwitchesCaptionsRadiosKeysAndNames()
    {
        f->PageControl1->setCurrentWidget(f->TabSheet6);
        QTreeWidgetItem *row = addSelectedRow();
        const QStringList wavCaptions{"16 Bits 5.1 Wave", "16 Bits Stereo Wave", "16 Bits (Six) Mono Waves",
                                      "32 Bits (Six) Mono Waves"};
        const QStringList aiffCaptions{"5.1 Big-Endian AIFF", "5.1 Little-Endian AIFF", "5.0 Big-Endian AIFF"};
        const QList<QRadioButton *> radios{f->rbWAVOutput1, f->rbWAVOutput2, f->rbWAVOutput3, f->rbWAVOutput4};

        f->rbWAVOutput3->setChecked(true);
        f->rbAIFFOutput->setChecked(true);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(radios[i]->text(), aiffCaptions[i]);
        QVERIFY(f->rbWAVOutput4->isHidden());
        QVERIFY(!f->gbWAVOutputCh->isHidden());
        QVERIFY(f->rbWAVOutput1->isChecked());
        QCOMPARE(advancedBoxes(), qMakePair(false, false));
        QCOMPARE(downmixKeys(), qMakePair(0, 0));
        QCOMPARE(row->text(jcOutputFilename), QStringLiteral("a.aif"));
        QVERIFY2(row->text(jcCmd).contains(QLatin1String(" -6chaiff")), qPrintable(row->text(jcCmd)));

        // "5.1 Little-Endian AIFF" is a multichannel target.
        QFile::remove(settingsPath());
        f->rbWAVOutput2->setChecked(true);
        QCOMPARE(downmixKeys(), qMakePair(0, 0));
        QVERIFY(row->text(jcCmd).contains(QLatin1String(" -6chliff")));

        f->rbWAVOutput->setChecked(true);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(radios[i]->text(), wavCaptions[i]);
        QVERIFY(!f->rbWAVOutput4->isHidden());
        QVERIFY(f->rbWAVOutput2->isChecked());
        QCOMPARE(advancedBoxes(), qMakePair(true, true));
        QCOMPARE(downmixKeys(), qMakePair(1, 1));
        QCOMPARE(row->text(jcOutputFilename), QStringLiteral("a.wav"));
        QVERIFY2(row->text(jcCmd).contains(QLatin1String(" -2ch")), qPrintable(row->text(jcCmd)));
    }

    // DD-WAV keeps every channel: the advanced dialog's boxes are unticked and their keys written
    // to match, so that its next showing does not tick them again.
    void wavDDWavHidesTheChannelsAndWritesTheKeys()
    {
        f->PageControl1->setCurrentWidget(f->TabSheet6);
        QTreeWidgetItem *row = addSelectedRow();
        f->rbWAVOutput->setChecked(true);
        f->rbWAVOutput3->setChecked(true);
        QCOMPARE(downmixKeys(), qMakePair(0, 0));
        f->rbWAVOutput2->setChecked(true);
        QCOMPARE(downmixKeys(), qMakePair(1, 1));
        QCOMPARE(advancedBoxes(), qMakePair(true, true));

        f->rbDDWAVOutput->setChecked(true);
        QVERIFY(f->gbWAVOutputCh->isHidden());
        QCOMPARE(advancedBoxes(), qMakePair(false, false));
        QCOMPARE(downmixKeys(), qMakePair(0, 0));
        QVERIFY(f->rbWAVOutput2->isChecked());
        QVERIFY2(row->text(jcCmd).contains(QLatin1String(" -ddwav")), qPrintable(row->text(jcCmd)));

        f->rbWAVOutput->setChecked(true);
        QVERIFY(!f->gbWAVOutputCh->isHidden());
    }

    // "32 Bits (Six) Mono Waves" writes only the keys; the next showing of the advanced dialog
    // takes them into its boxes.
    void wav32BitMonoWritesOnlyTheKeys()
    {
        f->rbWAVOutput->setChecked(true);
        QCOMPARE(advancedBoxes(), qMakePair(true, true));
        f->rbWAVOutput4->setChecked(true);
        QCOMPARE(downmixKeys(), qMakePair(0, 0));
        QCOMPARE(advancedBoxes(), qMakePair(true, true));
        f->rbWAVOutput2->setChecked(true);
    }

    // The format radios work without a selected row: no naming, the rest as usual.
    void wavFormatWithoutARowStillSetsThePage()
    {
        QCOMPARE(f->InputListView->topLevelItemCount(), 0);
        f->rbAIFFOutput->setChecked(true);
        QVERIFY(f->rbWAVOutput1->isChecked() && f->rbWAVOutput4->isHidden());
        f->rbWAVOutput->setChecked(true);
        QVERIFY(f->rbWAVOutput2->isChecked() && !f->rbWAVOutput4->isHidden());
    }

    // A settings file that cannot be written is told once, and the format handler still sets the
    // boxes and the keys' choice as it does with a writable file.
    void aFailedKeyWriteIsToldOnceAndTheHandlerGoesOn()
    {
        f->rbWAVOutput->setChecked(true);
        QVERIFY(QDir().mkpath(settingsPath())); // a folder where the file should be
        f->rbAIFFOutput->setChecked(true);
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.first().contains(QLatin1String("Unable to write to")), qPrintable(errors.first()));
        QCOMPARE(advancedBoxes(), qMakePair(false, false));
        QVERIFY(f->rbWAVOutput1->isChecked());

        errors.clear();
        f->rbVORBISOutputCh6->setChecked(true);
        QCOMPARE(errors.size(), 0);
        QDir(settingsPath()).removeRecursively();
        f->rbVORBISOutputCh2->setChecked(true);
        f->rbWAVOutput->setChecked(true);
        QCOMPARE(downmixKeys(), qMakePair(1, 1));
        QCOMPARE(errors.size(), 0);
    }

    // ---- SPEEX ------------------------------------------------------------------------------

    void speexAbrAndVbrExcludeEachOther()
    {
        f->PageControl1->setTabVisible(f->PageControl1->indexOf(f->TabSheet7), true);
        f->PageControl1->setCurrentWidget(f->TabSheet7);
        QTreeWidgetItem *row = addSelectedRow();
        f->rbSpeexBitrate->setChecked(true);
        QVERIFY(f->chSpeexABR->isEnabled() && f->SpeexBitrateTrackBar->isEnabled() && f->lbSpeexBit_128->isEnabled());
        QVERIFY(!f->SpeexQualityTrackBar->isEnabled() && !f->lbSpeexQ0->isEnabled());

        f->chSpeexVBR->setChecked(true);
        f->chSpeexABR->setChecked(true);
        QVERIFY(!f->chSpeexVBR->isChecked());
        QVERIFY2(row->text(jcCmd).contains(QLatin1String(" --abr 16")), qPrintable(row->text(jcCmd)));
        QVERIFY(!row->text(jcCmd).contains(QLatin1String("--vbr")));
        f->chSpeexVBR->setChecked(true);
        QVERIFY(!f->chSpeexABR->isChecked());
        QVERIFY(row->text(jcCmd).contains(QLatin1String(" --bitrate 16 --vbr")));

        f->chSpeexABR->setChecked(true);
        f->rbSpeexQuality->setChecked(true);
        QVERIFY(f->chSpeexABR->isChecked() && !f->chSpeexABR->isEnabled());
        QVERIFY(f->SpeexQualityTrackBar->isEnabled() && f->lbSpeexQ10->isEnabled());
        QVERIFY(!f->SpeexBitrateTrackBar->isEnabled() && !f->lbSpeexBit_1->isEnabled());
        QVERIFY(row->text(jcCmd).contains(QLatin1String(" --quality 8")));
        f->chSpeexABR->setEnabled(true);
        f->chSpeexABR->setChecked(false);
        f->chSpeexABR->setEnabled(false);
    }

    void speexOptionBoxesEnableTheirSpinEdits()
    {
        f->PageControl1->setCurrentWidget(f->TabSheet7);
        QTreeWidgetItem *row = addSelectedRow();
        f->chSpeexEncComplex->setChecked(true);
        QVERIFY(f->spEdEncComplex->isEnabled());
        QVERIFY(row->text(jcCmd).contains(QLatin1String(" --comp 3")));
        f->spEdEncComplex->setValue(7);
        QVERIFY(row->text(jcCmd).contains(QLatin1String(" --comp 7")));
        f->chSpeexEncComplex->setChecked(false);
        QVERIFY(!f->spEdEncComplex->isEnabled());
        QVERIFY(!row->text(jcCmd).contains(QLatin1String("--comp")));

        f->chSpeexFramesOgg->setChecked(true);
        QVERIFY(f->spEdFramesOgg->isEnabled());
        f->spEdFramesOgg->setValue(4);
        QVERIFY(row->text(jcCmd).contains(QLatin1String(" --nframes 4")));
        f->chSpeexFramesOgg->setChecked(false);
        QVERIFY(!f->spEdFramesOgg->isEnabled());
        f->spEdFramesOgg->setValue(1);
        f->spEdEncComplex->setValue(3);

        // The SPEEX page leaves the downmix alone.
        f->chSpeexDenoise->setChecked(true);
        f->chSpeexAGC->setChecked(true);
        QVERIFY(row->text(jcCmd).contains(QLatin1String(" --agc")) && row->text(jcCmd).contains(QLatin1String(" --denoise")));
        QCOMPARE(downmixKeys(), qMakePair(-1, -1));
        f->chSpeexDenoise->setChecked(false);
        f->chSpeexAGC->setChecked(false);
    }

    void barHintsShowTheirValue_data()
    {
        QTest::addColumn<QString>("bar");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("hint");
        QTest::newRow("speex quality 8") << "SpeexQualityTrackBar" << 8 << "q = 8";
        QTest::newRow("speex quality 0") << "SpeexQualityTrackBar" << 0 << "q = 0";
        QTest::newRow("speex bit rate 16") << "SpeexBitrateTrackBar" << 16 << "16 kbps";
        QTest::newRow("speex bit rate 128") << "SpeexBitrateTrackBar" << 128 << "128 kbps";
        QTest::newRow("flake 12") << "FlakeTrackBar" << 12 << "Level = 12";
        QTest::newRow("flake 5") << "FlakeTrackBar" << 5 << "Level = 5";
    }

    void barHintsShowTheirValue()
    {
        QFETCH(QString, bar);
        QFETCH(int, position);
        QFETCH(QString, hint);
        auto *slider = f->findChild<QSlider *>(bar);
        QVERIFY(slider);
        const int before = slider->value();
        moveTo(slider, position);
        QCOMPARE(slider->toolTip(), hint);
        slider->setValue(before);
    }

    // ---- Lossless ---------------------------------------------------------------------------

    // The Lossless channel radios are the VORBIS page's channel handlers: they set the downmix
    // and refresh the VORBIS estimate while the Lossless page is active.
    void losslessChannelsSetTheDownmixAndTheVorbisEstimate()
    {
        f->PageControl1->setTabVisible(f->PageControl1->indexOf(f->LosslessTab), true);
        f->PageControl1->setCurrentWidget(f->LosslessTab);
        QTreeWidgetItem *row = addSelectedRow();
        moveTo(f->VORBISScrollBar, 200);
        f->lbVORBISnomBitrateVal->setText(QStringLiteral("stale"));

        f->rbLossless6Ch->setChecked(true);
        QCOMPARE(downmixKeys(), qMakePair(0, 0));
        QCOMPARE(advancedBoxes(), qMakePair(false, false));
        QCOMPARE(f->lbVORBISnomBitrateVal->text(), QStringLiteral("96 kbps"));
        QVERIFY(f->rbVORBISOutputCh2->isChecked());
        QVERIFY2(row->text(jcCmd).contains(QLatin1String("flake.exe")), qPrintable(row->text(jcCmd)));

        f->lbVORBISnomBitrateVal->setText(QStringLiteral("stale"));
        f->rbLossless2Ch->setChecked(true);
        QCOMPARE(downmixKeys(), qMakePair(1, 1));
        QCOMPARE(advancedBoxes(), qMakePair(true, true));
        QCOMPARE(f->lbVORBISnomBitrateVal->text(), QStringLiteral("96 kbps"));

        moveTo(f->FlakeTrackBar, 9);
        QVERIFY(row->text(jcCmd).contains(QLatin1String("-level 9")));
        f->FlakeTrackBar->setValue(5);
    }

    void flakeLinkTurnsRedOverAndOpensItsAddress()
    {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
        QLabel *link = f->lbFlakeLink;
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QCoreApplication::sendEvent(link, &enter);
        QVERIFY(link->styleSheet().contains(QLatin1String("red")));
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(link, &leave);
        QVERIFY(link->styleSheet().contains(QLatin1String("blue")));
        click(link);
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QCOMPARE(catcher.opened.size(), 1);
        QCOMPARE(catcher.opened.first(), QUrl(link->toolTip()));
        QVERIFY(link->toolTip().contains(QLatin1String("flake"), Qt::CaseInsensitive));
    }
};

QTEST_MAIN(TestOtherPages)
#include "tst_other_pages.moc"
