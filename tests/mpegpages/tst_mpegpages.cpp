// The AC3, MP2 and MP3 pages on the real main window: hints, enabling rules, frames, the
// downmix keys, the Aud-X check, the link labels, and the selected row's command line.
#include "IniFile.h"
#include "JobRow.h"
#include "LanguageStrings.h"
#include "Paths.h"
#include "UAdvanced.h"
#include "UAudX.h"
#include "ULame.h"
#include "UMain.h"
#include "UMainGlobals.h"
#include "ZolvaneApp.h"

#include <QScopeGuard>

#include <QtTest>
#include <QtWidgets>

namespace {

QString settingsPath()
{
    return ProgramFolder() + QStringLiteral("Zolvane.ini");
}

int key(const char *name)
{
    return TIniFile(settingsPath()).ReadInteger(QStringLiteral("Zolvane"), QString::fromLatin1(name), -1);
}

void writeKeys(int value)
{
    TIniFile ini(settingsPath());
    ini.WriteInteger(QStringLiteral("Zolvane"), QStringLiteral("check_lfe"), value);
    ini.WriteInteger(QStringLiteral("Zolvane"), QStringLiteral("output_mode_check"), value);
}

QCheckBox *advancedBox(const char *name)
{
    return AdvancedSet->findChild<QCheckBox *>(QString::fromLatin1(name));
}

// A combo box choice as the user makes it: the index, then the choice's notice.
void choose(QComboBox *combo, int index)
{
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

// Records the addresses handed to the shell.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }
};

} // namespace

class TestMPEGPages : public QObject
{
    Q_OBJECT

    QTreeWidgetItem *m_row = nullptr;
    QTemporaryDir m_audx;

    QString cmd() const { return m_row->text(jcCmd); }

    void showPage(QWidget *page)
    {
        MainForm->PageControl1->setCurrentWidget(page);
        MainForm->KDCmdl();
    }

private slots:
    void initTestCase()
    {
        QFile::remove(settingsPath());
        InitZolvaneProcess();
        CreateZolvaneWindows();
        // An Aud-X folder without the encoder, unless a test puts it there.
        QVERIFY(m_audx.isValid());
        AudXFolder = m_audx.path().toLocal8Bit();

        m_row = new QTreeWidgetItem(MainForm->InputListView);
        m_row->setText(jcInputPath, QStringLiteral("/music/"));
        m_row->setText(jcFilename, QStringLiteral("film.AC3"));
        m_row->setText(jcOutputPath, QStringLiteral("/music/"));
        m_row->setText(jcOutputFilename, QStringLiteral("film.out"));
        m_row->setSelected(true);
        JobInputFolder = "/music/";
        JobInputName = "film.AC3";
    }

    void cleanupTestCase()
    {
        TMainForm::MessageHook = nullptr;
        DestroyZolvaneWindows();
    }

    // ---- MP3 page ----------------------------------------------------------------------------

    void constantBitrateSnapsHintAndEditNotTheBar_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("rate");
        QTest::newRow("150") << 150 << 160;
        QTest::newRow("8") << 8 << 8;
        QTest::newRow("9") << 9 << 16;
        QTest::newRow("224") << 224 << 224;
        QTest::newRow("225") << 225 << 256;
        QTest::newRow("256") << 256 << 256;
        QTest::newRow("257") << 257 << 320;
    }
    void constantBitrateSnapsHintAndEditNotTheBar()
    {
        QFETCH(int, position);
        QFETCH(int, rate);
        showPage(MainForm->TabSheet4);
        TLameFrame *f = MainForm->LameFrame1;
        MainForm->rbMP3Bitrate->setChecked(true);
        f->chMP3ABR->setChecked(true);
        f->MP3TrackBar_Bitrate->setValue(position);

        QCOMPARE(f->MP3TrackBar_Bitrate->value(), position);
        QCOMPARE(f->MP3TrackBar_Bitrate->property("hint").toString(), QString::number(rate) + QStringLiteral(" kbps"));
        QCOMPARE(f->edMP3Bitrate->text(), QString::number(rate));
        QVERIFY2(cmd().contains(QStringLiteral("-b %1 )").arg(rate)), qPrintable(cmd()));
    }

    void unrestrictedBitrateShowsTheBarItself()
    {
        showPage(MainForm->TabSheet4);
        TLameFrame *f = MainForm->LameFrame1;
        MainForm->rbMP3Bitrate->setChecked(true);
        f->chMP3ABR->setChecked(true);
        f->MP3TrackBar_Bitrate->setValue(150);
        QCOMPARE(f->edMP3Bitrate->text(), QStringLiteral("160"));

        f->chMP3ABR->setChecked(false);
        QCOMPARE(f->MP3TrackBar_Bitrate->property("hint").toString(), QStringLiteral("150 kbps"));
        QCOMPARE(f->edMP3Bitrate->text(), QStringLiteral("150"));
        QVERIFY2(cmd().contains(QLatin1String(" --abr 150 )")), qPrintable(cmd()));

        // A rate typed into the edit moves the bar; anything else gives the edit the bar's rate back.
        const auto type = [f](const char *text) {
            f->edMP3Bitrate->selectAll();
            QTest::keyClick(f->edMP3Bitrate, Qt::Key_Backspace);
            QTest::keyClicks(f->edMP3Bitrate, QString::fromLatin1(text));
            emit f->edMP3Bitrate->editingFinished();
        };
        type("200");
        QCOMPARE(f->MP3TrackBar_Bitrate->value(), 200);
        QVERIFY2(cmd().contains(QLatin1String(" --abr 200 )")), qPrintable(cmd()));
        for (const char *typed : {"5", "abc", ""}) {
            type(typed);
            QCOMPARE(f->MP3TrackBar_Bitrate->value(), 200);
            QCOMPARE(f->edMP3Bitrate->text(), QStringLiteral("200"));
        }
        // With the restriction on, leaving the edit untouched keeps the bar off the rounded rate.
        f->chMP3ABR->setChecked(true);
        f->MP3TrackBar_Bitrate->setValue(150);
        emit f->edMP3Bitrate->editingFinished();
        QCOMPARE(f->MP3TrackBar_Bitrate->value(), 150);
        QCOMPARE(f->edMP3Bitrate->text(), QStringLiteral("160"));
        f->chMP3ABR->setChecked(false);
        // The bar's hint is kept but never shown.
        QVERIFY(f->MP3TrackBar_Bitrate->toolTip().isEmpty());
    }

    void targetRadiosSwitchTheControlSets()
    {
        showPage(MainForm->TabSheet4);
        TLameFrame *f = MainForm->LameFrame1;
        const QList<QWidget *> bitrateSet = {f->chMP3ABR, f->MP3TrackBar_Bitrate, f->edMP3Bitrate, f->lbMP3Bitrate,
                                             f->lbMP3Bitrate_8, f->lbMP3Bitrate_320};
        const QList<QWidget *> qualitySet = {f->MP3TrackBar_Quality, f->lbVBRMode, f->cbVBRMode, f->lbMP3Quality_10,
                                             f->lbMP3Quality_100};
        f->chMP3ABR->setChecked(false);
        MainForm->rbMP3Bitrate->setChecked(true);
        for (QWidget *w : bitrateSet)
            QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
        for (QWidget *w : qualitySet)
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
        QVERIFY2(cmd().contains(QLatin1String(" --abr ")), qPrintable(cmd()));

        MainForm->rbMP3Quality->setChecked(true);
        for (QWidget *w : bitrateSet)
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
        for (QWidget *w : qualitySet)
            QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
        QVERIFY2(cmd().contains(QLatin1String(" -V ")) && !cmd().contains(QLatin1String(" --abr ")), qPrintable(cmd()));
    }

    void qualityHintFollowsPositionAndMode()
    {
        const TLanguageStrings saved = LanguageStrings;
        LanguageStrings.MP3Quality60_1 = QStringLiteral("60 standard");
        LanguageStrings.MP3Quality60_2 = QStringLiteral("60 fast");
        LanguageStrings.MP3Quality70 = QStringLiteral("70");
        LanguageStrings.MP3Quality100_1 = QStringLiteral("100 standard");
        LanguageStrings.MP3Quality100_2 = QStringLiteral("100 fast");
        showPage(MainForm->TabSheet4);
        MainForm->rbMP3Quality->setChecked(true);
        TLameFrame *f = MainForm->LameFrame1;
        QSlider *bar = f->MP3TrackBar_Quality;

        choose(f->cbVBRMode, 1);
        bar->setValue(5);
        QCOMPARE(bar->toolTip(), QStringLiteral("60 fast"));
        QVERIFY2(cmd().contains(QLatin1String(" -v --vbr-new -V 4 -b 32")), qPrintable(cmd()));
        choose(f->cbVBRMode, 0);
        QCOMPARE(bar->toolTip(), QStringLiteral("60 standard"));
        QVERIFY2(cmd().contains(QLatin1String(" -v --vbr-old -V 4 -b 32")), qPrintable(cmd()));

        // At a position whose text does not depend on the mode the combo leaves the hint.
        bar->setValue(6);
        QCOMPARE(bar->toolTip(), QStringLiteral("70"));
        bar->setToolTip(QStringLiteral("left alone"));
        choose(f->cbVBRMode, 1);
        QCOMPARE(bar->toolTip(), QStringLiteral("left alone"));
        QVERIFY2(cmd().contains(QLatin1String(" -v --vbr-new -V 3 -b 32")), qPrintable(cmd()));

        bar->setValue(9);
        QCOMPARE(bar->toolTip(), QStringLiteral("100 fast"));
        LanguageStrings = saved;
    }

    void surroundWithoutTheEncoderFallsBackToStereo()
    {
        showPage(MainForm->TabSheet4);
        MainForm->rbMP3Ch2->setChecked(true);
        QVERIFY(!QFileInfo::exists(m_audx.filePath(QStringLiteral("audx.exe"))));
        int stereoRuns = 0;
        auto counting = connect(MainForm->rbMP3Ch2, &QRadioButton::toggled, this, [&](bool on) { stereoRuns += on; });
        MainForm->rbMP3Ch6->click();
        disconnect(counting);

        QVERIFY(MainForm->rbMP3Ch2->isChecked());
        QVERIFY(!MainForm->rbMP3Ch6->isChecked());
        QCOMPARE(stereoRuns, 1);
        QVERIFY(!MainForm->LameFrame1->isHidden());
        QVERIFY(MainForm->AuXFrame1->isHidden());
        QVERIFY(MainForm->gbMP3Target->isEnabled());
        QVERIFY(AudXForm->isVisible());
        QVERIFY2(cmd().contains(QLatin1String(" -lame(")), qPrintable(cmd()));
        AudXForm->hide();
    }

    void surroundWithTheEncoderShowsTheAudXFrame()
    {
        showPage(MainForm->TabSheet4);
        MainForm->rbMP3Ch2->setChecked(true);
        // The encoder's name is looked up without regard to case.
        QFile encoder(m_audx.filePath(QStringLiteral("AudX.EXE")));
        QVERIFY(encoder.open(QIODevice::WriteOnly));
        encoder.close();
        MainForm->rbMP3Ch6->click();

        QVERIFY(MainForm->rbMP3Ch6->isChecked());
        QVERIFY(MainForm->LameFrame1->isHidden());
        QVERIFY(!MainForm->AuXFrame1->isHidden());
        QVERIFY(!MainForm->gbMP3Target->isEnabled());
        QVERIFY(!AudXForm->isVisible());
        // The command runs the encoder by the name it has on disk.
        QVERIFY2(cmd().contains(QLatin1String("/AudX.EXE\" STDQ \"/music/film.ac3\"")), qPrintable(cmd()));
        choose(MainForm->AuXFrame1->cbMode, 3);
        QVERIFY2(cmd().contains(QLatin1String("/AudX.EXE\" SPBQ ")), qPrintable(cmd()));
        choose(MainForm->AuXFrame1->cbMode, 1);
        encoder.remove();

        // An accepted 5.1 choice is not checked again; stereo brings the LAME frame back.
        MainForm->rbMP3Ch2->click();
        QVERIFY(!MainForm->LameFrame1->isHidden());
        QVERIFY(MainForm->AuXFrame1->isHidden());
        QVERIFY(MainForm->gbMP3Target->isEnabled());
        QVERIFY2(cmd().contains(QLatin1String(" -lame(")), qPrintable(cmd()));
    }

    void otherSettingsOpensTheExtraLameOptionsWithoutARebuild()
    {
        showPage(MainForm->TabSheet4);
        m_row->setText(jcCmd, QStringLiteral("untouched"));
        bool wasModal = false;
        QTimer::singleShot(0, this, [&] {
            wasModal = OthersLame->isVisible() && OthersLame->isModal();
            OthersLame->done(0);
        });
        MainForm->LameFrame1->btMP3Others->click();
        QVERIFY(wasModal);
        QCOMPARE(cmd(), QStringLiteral("untouched"));
        MainForm->KDCmdl();
    }

    // ---- AC3 page ----------------------------------------------------------------------------

    void bitrateHintGoesToTheChosenEnginesBar()
    {
        showPage(MainForm->TabSheet2);
        QSlider *ac3enc = MainForm->AC3EncFrame1->AC3TrackBar;
        QSlider *aften = MainForm->AftenFrame1->AC3TrackBar;
        MainForm->rbAften->setChecked(true);
        aften->setValue(14);
        aften->setToolTip(QStringLiteral("stale"));
        ac3enc->setToolTip(QStringLiteral("own"));

        ac3enc->setValue(5);
        QCOMPARE(aften->toolTip(), QStringLiteral("384 kbps"));
        QCOMPARE(ac3enc->toolTip(), QStringLiteral("own"));
        aften->setValue(18);
        QCOMPARE(aften->toolTip(), QStringLiteral("640 kbps"));
        QVERIFY2(cmd().contains(QLatin1String(" -kdn( -exe aften.exe -b 640 )")), qPrintable(cmd()));

        // Choosing AC3Enc shows its frame, hides Aften's with the link, and its bar shows its own rate.
        MainForm->rbAC3Enc->setChecked(true);
        QVERIFY(!MainForm->AC3EncFrame1->isHidden());
        QVERIFY(MainForm->AftenFrame1->isHidden());
        QVERIFY(MainForm->lbAftenLink->isHidden());
        QCOMPARE(ac3enc->toolTip(), QStringLiteral("80 kbps"));
        MainForm->AC3EncFrame1->rbAC3Endians2->setChecked(true);
        QVERIFY2(cmd().contains(QLatin1String(" -ac3enc( -b 80 -intel )")), qPrintable(cmd()));
        MainForm->AC3EncFrame1->rbAC3Endians1->setChecked(true);
        QVERIFY2(cmd().contains(QLatin1String(" -ac3enc( -b 80 )")), qPrintable(cmd()));

        MainForm->rbAften->setChecked(true);
        QVERIFY(MainForm->AC3EncFrame1->isHidden());
        QVERIFY(!MainForm->AftenFrame1->isHidden());
        QVERIFY(!MainForm->lbAftenLink->isHidden());
        aften->setValue(14);
    }

    void aftenModeSwitchesBitrateAndQualityControls()
    {
        showPage(MainForm->TabSheet2);
        TAftenFrame *f = MainForm->AftenFrame1;
        const QList<QWidget *> bitrateSet = {f->AC3TrackBar, f->lbAC3Bitrate_32, f->lbAC3Bitrate_384, f->lbAC3Bitrate_640};
        const QList<QWidget *> qualitySet = {f->gbAftenQuality, f->lbAftenQualLowest, f->lbAftenQualHighest,
                                             f->AftenQualTrackBar};
        f->rbAftenQuality->setChecked(true);
        for (QWidget *w : bitrateSet)
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
        for (QWidget *w : qualitySet)
            QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
        QVERIFY(f->gbAC3Bitrate->isEnabled());
        f->AftenQualTrackBar->setValue(300);
        QCOMPARE(f->AftenQualTrackBar->toolTip(), QStringLiteral("q=300"));
        QVERIFY2(cmd().contains(QLatin1String(" -kdn( -exe aften.exe -q 300 )")), qPrintable(cmd()));

        f->rbAftenBitrate->setChecked(true);
        for (QWidget *w : bitrateSet)
            QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
        for (QWidget *w : qualitySet)
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
        QVERIFY2(cmd().contains(QLatin1String(" -kdn( -exe aften.exe -b 384 )")), qPrintable(cmd()));
        f->AftenQualTrackBar->setValue(220);
    }

    // ---- the downmix keys --------------------------------------------------------------------

    void ac3ChannelsSetBoxesAndKeysEvenWithAnEmptyList()
    {
        showPage(MainForm->TabSheet2);
        m_row->setSelected(false);
        MainForm->InputListView->takeTopLevelItem(MainForm->InputListView->indexOfTopLevelItem(m_row));
        MainForm->rbAC3OutputCh2->setChecked(true);

        MainForm->rbAC3OutputCh6->setChecked(true);
        QCOMPARE(key("check_lfe"), 0);
        QCOMPARE(key("output_mode_check"), 0);
        QVERIFY(!advancedBox("chLFEtoLR")->isChecked());
        QVERIFY(!advancedBox("chOutputMode")->isChecked());

        MainForm->rbAC3OutputCh2->setChecked(true);
        QCOMPARE(key("check_lfe"), 1);
        QCOMPARE(key("output_mode_check"), 1);
        QVERIFY(advancedBox("chLFEtoLR")->isChecked());
        QVERIFY(advancedBox("chOutputMode")->isChecked());

        MainForm->InputListView->addTopLevelItem(m_row);
        m_row->setSelected(true);
        MainForm->rbAC3OutputCh6->setChecked(true);
        QVERIFY2(cmd().contains(QLatin1String(" -6chnew )")), qPrintable(cmd()));
        MainForm->rbAC3OutputCh2->setChecked(true);
        QVERIFY2(!cmd().contains(QLatin1String("-6ch")), qPrintable(cmd()));
    }

    void keyOnlyRadiosWriteOneAndLeaveTheBoxes_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("radio");
        QTest::addColumn<QString>("other");
        QTest::newRow("MP2Enc") << "TabSheet3" << "rbMP2Enc" << "rbMP2TooLame";
        QTest::newRow("TooLame") << "TabSheet3" << "rbMP2TooLame" << "rbMP2Enc";
        QTest::newRow("MP3 bit rate") << "TabSheet4" << "rbMP3Bitrate" << "rbMP3Quality";
        QTest::newRow("MP3 quality") << "TabSheet4" << "rbMP3Quality" << "rbMP3Bitrate";
    }
    void keyOnlyRadiosWriteOneAndLeaveTheBoxes()
    {
        QFETCH(QString, page);
        QFETCH(QString, radio);
        QFETCH(QString, other);
        showPage(MainForm->findChild<QWidget *>(page));
        auto *button = MainForm->findChild<QRadioButton *>(radio);
        MainForm->findChild<QRadioButton *>(other)->setChecked(true);
        advancedBox("chLFEtoLR")->setChecked(false);
        advancedBox("chOutputMode")->setChecked(false);
        writeKeys(0);

        button->setChecked(true);
        QCOMPARE(key("check_lfe"), 1);
        QCOMPARE(key("output_mode_check"), 1);
        QVERIFY(!advancedBox("chLFEtoLR")->isChecked());
        QVERIFY(!advancedBox("chOutputMode")->isChecked());
        // The advanced dialog takes the keys at its next showing.
        AdvancedSet->show();
        QVERIFY(advancedBox("chLFEtoLR")->isChecked());
        QVERIFY(advancedBox("chOutputMode")->isChecked());
        AdvancedSet->hide();
    }

    // A settings file that cannot be written does not keep the command line from following the
    // channel choice, and the same failure is told once, not at every click.
    void failedKeyWriteStillRebuildsAndIsToldOnce()
    {
        showPage(MainForm->TabSheet2);
        MainForm->rbAC3OutputCh6->setChecked(true);
        const QString surround = cmd();
        MainForm->rbAC3OutputCh2->setChecked(true);
        const QString stereo = cmd();
        QVERIFY(surround != stereo);

        QStringList errors;
        TMainForm::MessageHook = [&](QWidget *, const QString &text, bool error) {
            if (error)
                errors << text;
        };
        // A folder in the settings file's place cannot be replaced by a written file.
        QVERIFY(QFile::remove(settingsPath()));
        QVERIFY(QDir().mkdir(settingsPath()));
        const auto restore = qScopeGuard([] {
            QDir().rmdir(settingsPath());
            TMainForm::MessageHook = nullptr;
        });
        m_row->setText(jcCmd, QStringLiteral("untouched"));

        MainForm->rbAC3OutputCh6->setChecked(true);
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.first().startsWith(QLatin1String("Unable to write to")), qPrintable(errors.first()));
        QCOMPARE(cmd(), surround);
        // The advanced dialog's boxes follow the choice too.
        QVERIFY(!advancedBox("chLFEtoLR")->isChecked());
        QVERIFY(!advancedBox("chOutputMode")->isChecked());

        MainForm->rbAC3OutputCh2->setChecked(true);
        MainForm->rbAC3OutputCh6->setChecked(true);
        QCOMPARE(errors.size(), 1);
        QCOMPARE(cmd(), surround);

        // Once a write has succeeded, a new failure is told again.
        QVERIFY(QDir().rmdir(settingsPath()));
        MainForm->rbAC3OutputCh2->setChecked(true);
        QCOMPARE(key("check_lfe"), 1);
        QCOMPARE(cmd(), stereo);
        QVERIFY(QFile::remove(settingsPath()));
        QVERIFY(QDir().mkdir(settingsPath()));
        MainForm->rbAC3OutputCh6->setChecked(true);
        QCOMPARE(errors.size(), 2);
        QCOMPARE(cmd(), surround);
        QVERIFY(QDir().rmdir(settingsPath()));
        MainForm->rbAC3OutputCh2->setChecked(true);
        QCOMPARE(key("check_lfe"), 1);
    }

    // ---- MP2 page ----------------------------------------------------------------------------

    void mp2BitrateHintAndEncoderOptions()
    {
        showPage(MainForm->TabSheet3);
        MainForm->rbMP2TooLame->setChecked(true);
        for (const auto &[position, hint] : {std::pair{0, "64 kbps"}, std::pair{5, "160 kbps"}, std::pair{9, "320 kbps"}}) {
            MainForm->MP2TrackBar->setValue(position);
            QCOMPARE(MainForm->MP2TrackBar->toolTip(), QString::fromLatin1(hint));
        }
        MainForm->MP2TrackBar->setValue(7);
        QVERIFY2(cmd().contains(QLatin1String(" -toolame( -m j -b 224 )")), qPrintable(cmd()));

        MainForm->chMP2EncMode->setChecked(false);
        QVERIFY(!MainForm->cbMP2EncMode->isEnabled());
        QVERIFY2(cmd().contains(QLatin1String(" -toolame( -b 224 )")), qPrintable(cmd()));
        MainForm->chMP2EncMode->setChecked(true);
        QVERIFY(MainForm->cbMP2EncMode->isEnabled());
        choose(MainForm->cbMP2EncMode, 3);
        QVERIFY2(cmd().contains(QLatin1String(" -toolame( -m m -b 224 )")), qPrintable(cmd()));
        choose(MainForm->cbMP2EncMode, 2);

        MainForm->chMP2EncVBR->setChecked(true);
        QVERIFY(MainForm->SpEdtMP2VBR->isEnabled());
        MainForm->SpEdtMP2VBR->setValue(-3);
        MainForm->rbMP2Enc->setChecked(true);
        QVERIFY2(cmd().contains(QLatin1String(" -mp2enc( -m j -b 224 -v -3 )")), qPrintable(cmd()));
        MainForm->chMP2EncVBR->setChecked(false);
        QVERIFY(!MainForm->SpEdtMP2VBR->isEnabled());
        QVERIFY2(cmd().contains(QLatin1String(" -mp2enc( -m j -b 224 )")), qPrintable(cmd()));
        MainForm->SpEdtMP2VBR->setValue(5);
        MainForm->rbMP2TooLame->setChecked(true);
    }

    // ---- link labels -------------------------------------------------------------------------

    void linkLabelsColourOnHoverAndOpenTheirHint_data()
    {
        QTest::addColumn<QString>("label");
        QTest::newRow("Aften") << "lbAftenLink";
        QTest::newRow("Aud-X") << "AuXProjectlink";
    }
    void linkLabelsColourOnHoverAndOpenTheirHint()
    {
        QFETCH(QString, label);
        auto *link = MainForm->findChild<QLabel *>(label);
        QVERIFY(link);
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");

        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(link, &enter);
        QVERIFY2(link->styleSheet().contains(QLatin1String("red")), qPrintable(link->styleSheet()));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(link, &leave);
        QVERIFY2(link->styleSheet().contains(QLatin1String("blue")), qPrintable(link->styleSheet()));

        m_row->setText(jcCmd, QStringLiteral("untouched"));
        const QString address = link->toolTip();
        link->setToolTip(QStringLiteral("http://example.org/encoder/"));
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(1, 1), link->mapToGlobal(QPointF(1, 1)),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(link, &release);
        link->setToolTip(address);
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QCOMPARE(catcher.opened, QList<QUrl>{QUrl(QStringLiteral("http://example.org/encoder/"))});
        QCOMPARE(cmd(), QStringLiteral("untouched"));
    }
};

QTEST_MAIN(TestMPEGPages)
#include "tst_mpegpages.moc"
