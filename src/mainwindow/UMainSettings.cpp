// The settings file of the main window: the general section [Zolvane] and the eight encoder
// sections, written at exit and read once at the first showing.
//
// The controls are the settings. Reading sets each control in a fixed order, and setting a
// control from code runs its handler exactly as the user's change would, so the order of the
// reads below is part of the behaviour. Setting a combo box's index, an enabled state, a menu
// item's tick, a tab's visibility, the active page or a frame's visibility runs no handler.

#include "UMain.h"

#include "ULanguage.h"

#include "LanguageStrings.h"
#include "AACOptionRules.h"
#include "DialogSupport.h"
#include "KDCmdlGather.h"
#include "IniFile.h"
#include "Paths.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <QLineEdit>
#include <QLocale>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>

#include <initializer_list>
#include <utility>

namespace {

const QString kGeneral = QStringLiteral("Zolvane");

// ---- Reading rules -----------------------------------------------------------------------------

class SettingsReader
{
public:
    SettingsReader(const TIniFile &ini, const QString &section) : m_ini(ini), m_section(section) {}

    int Integer(const char *key, int defaultValue) const
    {
        return m_ini.ReadInteger(m_section, QString::fromLatin1(key), defaultValue);
    }
    bool Flag(const char *key, bool defaultValue) const
    {
        return m_ini.ReadBool(m_section, QString::fromLatin1(key), defaultValue);
    }
    QString Text(const char *key, const QString &defaultValue) const
    {
        return m_ini.ReadString(m_section, QString::fromLatin1(key), defaultValue);
    }

    // 0 turns the box off, 1 on; any other value leaves it as it is.
    void Box(const char *key, int defaultValue, QAbstractButton *box) const
    {
        const int value = Integer(key, defaultValue);
        if (value == 0 || value == 1)
            box->setChecked(value == 1);
    }
    // The same rule for a control's enabled state.
    void EnabledBox(const char *key, int defaultValue, QWidget *control) const
    {
        const int value = Integer(key, defaultValue);
        if (value == 0 || value == 1)
            control->setEnabled(value == 1);
    }
    // Each listed value ticks its radio button; any other value leaves the radios as they are.
    // Returns the value read.
    int Choice(const char *key, int defaultValue,
               std::initializer_list<std::pair<int, QAbstractButton *>> radios) const
    {
        const int value = Integer(key, defaultValue);
        for (const auto &[listed, radio] : radios) {
            if (value == listed) {
                radio->setChecked(true);
                break;
            }
        }
        return value;
    }
    // Exactly `word` ticks the first radio, any other text the second.
    void Word(const char *key, const QString &word, QAbstractButton *onWord, QAbstractButton *otherwise) const
    {
        if (Text(key, word) == word)
            onWord->setChecked(true);
        else
            otherwise->setChecked(true);
    }
    // The item index becomes the combo box's; an index that is no item of its list leaves the
    // box on its present item (an editable box would otherwise be left empty).
    void Index(const char *key, QComboBox *combo) const
    {
        const int index = Integer(key, combo->currentIndex());
        if (index >= 0 && index < combo->count())
            combo->setCurrentIndex(index);
    }
    void Position(const char *key, QAbstractSlider *bar) const
    {
        bar->setValue(Integer(key, bar->value()));
    }
    // An edit with a key filter takes only a text that could have been typed into it.
    void TextOf(const char *key, QLineEdit *edit) const
    {
        SetStoredText(edit, Text(key, edit->text()));
    }
    // A spin edit takes a stored whole number (within its own limits); any other text leaves it
    // as it is.
    void TextOf(const char *key, QSpinBox *spinEdit) const
    {
        bool ok = false;
        const int value = Text(key, SpinText(spinEdit)).trimmed().toInt(&ok, 10);
        if (ok)
            spinEdit->setValue(value);
    }
    // An editable combo box takes any text; a drop-down list only the text of one of its items,
    // anything else leaves its choice as it is.
    void TextOf(const char *key, QComboBox *combo) const
    {
        const QString text = Text(key, combo->currentText());
        if (combo->isEditable()) {
            combo->setEditText(text);
        } else {
            const int index = combo->findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive);
            if (index >= 0)
                combo->setCurrentIndex(index);
        }
    }

    static QString SpinText(const QSpinBox *spinEdit) { return QLocale::c().toString(spinEdit->value()); }

private:
    const TIniFile &m_ini;
    QString m_section;
};

// ---- Writing ---------------------------------------------------------------------------------

// The control's own enabled state, whatever the state of the page or group that holds it.
bool OwnEnabled(const QWidget *control)
{
    return !control->testAttribute(Qt::WA_ForceDisabled);
}

class SettingsWriter
{
public:
    SettingsWriter(TIniFile &ini, const QString &section) : m_ini(ini), m_section(section) {}

    void Integer(const char *key, int value) { m_ini.WriteInteger(m_section, QString::fromLatin1(key), value); }
    void Box(const char *key, bool on) { Integer(key, on ? 1 : 0); }
    void Flag(const char *key, bool value) { m_ini.WriteBool(m_section, QString::fromLatin1(key), value); }
    void Text(const char *key, const QString &value) { m_ini.WriteString(m_section, QString::fromLatin1(key), value); }
    void TextOf(const char *key, const QSpinBox *spinEdit) { Text(key, SettingsReader::SpinText(spinEdit)); }

private:
    TIniFile &m_ini;
    QString m_section;
};

// The "ssrc" key holds the index of the chosen rate. A rate typed into the box that is none of
// its items is stored as the rate itself, so that it comes back at the next start: an index is
// always far below the least rate kept this way (an index past the list, as an earlier version
// could store, is no rate).
constexpr int LeastStoredTypedRate = 1000;

int StoredSampleRateChoice(const QComboBox *rates)
{
    const QString text = rates->currentText().trimmed();
    const int index = rates->currentIndex();
    bool isNumber = false;
    const int typed = text.toInt(&isNumber, 10);
    if (isNumber && typed >= LeastStoredTypedRate && (index < 0 || text != rates->itemText(index))
        && rates->findText(text, Qt::MatchFixedString) < 0)
        return typed;
    return index;
}

void RestoreSampleRateChoice(QComboBox *rates, int stored)
{
    if (stored >= 0 && stored < rates->count()) {
        rates->setCurrentIndex(stored);
        return;
    }
    // A typed rate; any other value (a negative one, or more digits than the box takes) leaves
    // the choice as it is.
    const QString text = QString::number(stored);
    if (stored < LeastStoredTypedRate || text.size() > 6)
        return;
    if (const int item = rates->findText(text, Qt::MatchFixedString); item >= 0)
        rates->setCurrentIndex(item);
    else
        rates->setEditText(text);
}

} // namespace

// ---- Saving at exit -----------------------------------------------------------------------------

void TMainForm::FormDestroy()
{
    try {
        // One replace of the file for the whole save; a key that fails leaves the file as it was.
        TIniSavePass pass(SettingsFilePath());
        TIniFile ini(SettingsFilePath());
        SaveGeneralSettings(ini);
        SaveINI();
        pass.Commit();
    } catch (const EIniFileException &error) {
        ShowMessage(SettingsErrorText(error), true);
    }
}

void TMainForm::SaveGeneralSettings(TIniFile &ini)
{
    SettingsWriter w(ini, kGeneral);
    // The frame's place and the size of the window within it.
    const QRect place = PlaceToStore();
    w.Integer("Height", place.height());
    w.Integer("Left", place.x());
    w.Integer("Top", place.y());
    w.Integer("Width", place.width());
    w.Box("dynComp_check", chAzidDC->isChecked());
    w.Integer("dynComp", cbAzidDC->currentIndex());
    w.Box("ssrc_check", chSSRC->isChecked());
    w.Integer("ssrc", StoredSampleRateChoice(cbSSRC));
    w.Box("boost_check", chBoost->isChecked());
    w.Integer("boost", cbBoost->currentIndex());
    w.Box("gain_check", chOTAMode->isChecked());
    w.Text("gain", ChosenGainMode(cbOTAMode));
    w.Box("delay_check", chOTADelay->isChecked());
    w.Text("delay", edOTADelay->text());

    w.Text("lang", CurrentLanguageName(this));
    w.Box("log", Log1->isChecked());

    int priority = 5;
    const QAction *priorities[] = {Real1, Highest1, High1, Normal1, Low1};
    for (int i = 0; i < 5; ++i) {
        if (priorities[i]->isChecked()) {
            priority = i;
            break;
        }
    }
    w.Integer("Priority", priority);

    w.Flag("AAC_tab", AAC2->isChecked());
    w.Flag("AC3_tab", AC32->isChecked());
    w.Flag("MP2_tab", MP22->isChecked());
    w.Flag("MP3_tab", MP32->isChecked());
    w.Flag("SPEEX_tab", SPEEX1->isChecked());
    w.Flag("VORBIS_tab", VORBIS2->isChecked());
    w.Flag("WAV_tab", WAVPCM1->isChecked());
    w.Flag("Lossless_tab", Lossless1->isChecked());
}

void TMainForm::SaveINI()
{
    TIniFile ini(SettingsFilePath());
    QWidget *active = PageControl1->currentWidget();

    {
        SettingsWriter w(ini, QStringLiteral("AAC"));
        w.Integer("channels", rbAACOutputCh2->isChecked() ? 2 : 6);
        w.Box("ch6", OwnEnabled(rbAACOutputCh6));
        w.Integer("engine", cbAACEncEngine->currentIndex());
        w.Flag("NeroFrame", !NeroFrame1->isHidden());
        w.Flag("CTFrame", !CTFrame1->isHidden());
        w.Flag("FaacFrame", !FaacFrame1->isHidden());
        w.Flag("NDFrame", !NDFrame1->isHidden());
        w.Flag("3GPFrame", !TGPRef1->isHidden());
        w.Integer("WA_Bitrate", CTFrame1->TrackBar->value());
        w.Integer("WA_aac_mpeg", CTFrame1->rbMPEG2->isChecked() ? 2 : 4);
        w.Integer("WA_Mode", CTFrame1->cbAACMode->currentIndex());
        w.Integer("WA_Format", CTFrame1->cbCTFormat->currentIndex());
        w.Flag("WA_Mode_Enabled", OwnEnabled(CTFrame1->cbAACMode));
        w.Flag("WA_pns", CTFrame1->chCTPNS->isChecked());
        w.Flag("WA_speech", CTFrame1->chCTSpeech->isChecked());
        w.Integer("Mode", NDFrame1->rbQuality->isChecked() ? 1 : 0);
        w.Integer("Quality_Value", NDFrame1->trackBar->value());
        w.Integer("Bitrate_Value", NDFrame1->TrackBar2->value());
        w.Flag("CBR", NDFrame1->chCBR->isChecked());
        w.Integer("Profile", NDFrame1->TntComboBox1->currentIndex());
        w.Flag("Hinting", NDFrame1->chHint->isChecked());
        w.Integer("Faac_Mode", FaacFrame1->rbFAACVBRMode->isChecked() ? 1 : 2);
        w.TextOf("Faac_qual", FaacFrame1->SpEdFAACVBRMode);
        w.TextOf("Faac_bit", FaacFrame1->SpEdFAACABRMode);
        // Both bandwidth boxes are stored, the one that is off as 0: were only the ticked one
        // written, an automatic choice stored by an earlier run would override a later manual one.
        w.Box("Faac_lowpass", FaacFrame1->chFaacLowpass->isChecked());
        w.Box("Faac_lowpassAuto", FaacFrame1->chFaacLowpassAuto->isChecked());
        w.TextOf("Faac_lowpassValue", FaacFrame1->SpedFaacLowpass);
        w.Box("Faac_aactomp4", FaacFrame1->chAACtoMP4->isChecked());
        w.Box("Faac_tns", FaacFrame1->chTNS->isChecked());
        w.Box("Faac_profile_check", FaacFrame1->chFaacProfile->isChecked());
        w.Integer("Faac_profile", FaacFrame1->cbFaacProfile->currentIndex());
        w.Box("Faac_mscoding", FaacFrame1->chMSCoding->isChecked());
        w.Box("Faac_mpegv_check", FaacFrame1->chFaacMPEGversion->isChecked());
        w.Integer("Faac_mpegv", FaacFrame1->cbFaacMPEGversion->currentIndex());
        w.Box("Faac_sblocks_check", FaacFrame1->chFaacShortBlocks->isChecked());
        w.Integer("Faac_sblocks", FaacFrame1->cbFaacShortBlocks->currentIndex());
        w.Integer("3GP_Bitrate", TGPRef1->RefTrackBar->value());
        w.Box("3GP_mono", TGPRef1->chMonoEncodingRefEnc->isChecked());
        // Written for the record; the frame's state is not read back.
        w.Integer("ND_bit_mode", NeroFrame1->rbAACCBRMode->isChecked() ? 1 : 2);
        w.Integer("ND_cbrM", NeroFrame1->cbAACCBRMode->currentIndex());
        w.Integer("ND_vbrM", NeroFrame1->cbAACVBRMode->currentIndex());
        w.Box("ND_qual_check", NeroFrame1->chAACEncQual->isChecked());
        w.Integer("ND_quality", NeroFrame1->cbAACEncQual->currentIndex());
        w.Box("ND_prof_check", NeroFrame1->chAACEncProfile->isChecked());
        w.Integer("ND_profiles", NeroFrame1->cbAACEncProfile->currentIndex());
        w.Box("ND_pns", NeroFrame1->chAACEncPNS->isChecked());
        w.Box("ND_hint", NeroFrame1->chAACEncHint->isChecked());
        w.Box("ND_mix", NeroFrame1->chAACEncMix->isChecked());
        w.Box("ND_export", NeroFrame1->chAACEncExport->isChecked());
        w.Box("ND_mono", NeroFrame1->chAACEncDownmix->isChecked());
        w.Flag("tab", active == TabSheet1);
    }
    {
        SettingsWriter w(ini, QStringLiteral("AC3"));
        w.Integer("channels", rbAC3OutputCh2->isChecked() ? 2 : 6);
        w.Text("Engine", rbAC3Enc->isChecked() ? QStringLiteral("AC3Enc") : QStringLiteral("Aften"));
        w.Integer("Bit_AC3Enc", AC3EncFrame1->AC3TrackBar->value());
        w.Integer("Bit_Aften", AftenFrame1->AC3TrackBar->value());
        w.Integer("Aften_Qual", AftenFrame1->AftenQualTrackBar->value());
        w.Text("Aften_Mode", AftenFrame1->rbAftenBitrate->isChecked() ? QStringLiteral("Bitrate")
                                                                      : QStringLiteral("Quality"));
        w.Integer("endians", AC3EncFrame1->rbAC3Endians1->isChecked() ? 1 : 2);
        w.Flag("tab", active == TabSheet2);
    }
    {
        SettingsWriter w(ini, QStringLiteral("MP2"));
        w.Integer("engine", rbMP2Enc->isChecked() ? 1 : 2);
        w.Integer("bitrate", MP2TrackBar->value());
        w.Box("enc_check", chMP2EncMode->isChecked());
        w.Integer("encoding", cbMP2EncMode->currentIndex());
        w.Box("vbr_check", chMP2EncVBR->isChecked());
        w.TextOf("vbr", SpEdtMP2VBR);
        w.Flag("tab", active == TabSheet3);
    }
    {
        SettingsWriter w(ini, QStringLiteral("MP3"));
        w.Integer("Channels", rbMP3Ch2->isChecked() ? 2 : 6);
        w.Integer("engine", rbMP3Bitrate->isChecked() ? 1 : 2);
        w.Box("cbr_check", LameFrame1->chMP3ABR->isChecked());
        w.Box("cbr_enabled", OwnEnabled(LameFrame1->chMP3ABR));
        w.Box("mp3_bitTB", OwnEnabled(LameFrame1->MP3TrackBar_Bitrate));
        w.Box("mp3_qualTB", OwnEnabled(LameFrame1->MP3TrackBar_Quality));
        w.Integer("abr", LameFrame1->MP3TrackBar_Bitrate->value());
        w.Integer("vbr", LameFrame1->MP3TrackBar_Quality->value());
        w.Box("mono", LameFrame1->chMP3Mono->isChecked());
        w.Integer("AudX_Mode", AuXFrame1->cbMode->currentIndex());
        w.Text("vbr_mode", LameFrame1->cbVBRMode->currentText());
        w.Flag("tab", active == TabSheet4);
    }
    {
        SettingsWriter w(ini, QStringLiteral("SPEEX"));
        w.Integer("target", rbSpeexQuality->isChecked() ? 1 : 2);
        w.Integer("quality_value", SpeexQualityTrackBar->value());
        w.Integer("mode", chSpeexABR->isChecked() ? 1 : chSpeexVBR->isChecked() ? 2 : 0);
        w.Integer("bitrate_value", SpeexBitrateTrackBar->value());
        w.Box("encComplex_check", chSpeexEncComplex->isChecked());
        w.TextOf("encComplex", spEdEncComplex);
        w.Box("agc", chSpeexAGC->isChecked());
        w.Box("FramesOgg_check", chSpeexFramesOgg->isChecked());
        w.TextOf("FramesOgg", spEdFramesOgg);
        w.Box("denoise", chSpeexDenoise->isChecked());
        w.Flag("tab", active == TabSheet7);
    }
    {
        SettingsWriter w(ini, QStringLiteral("VORBIS"));
        w.Integer("channels", rbVORBISOutputCh2->isChecked() ? 2 : 6);
        w.Integer("bit_mode", rbVORBISQuality->isChecked() ? 1 : 2);
        w.Integer("qmode", VORBISScrollBar->value());
        w.Integer("bit_manage", rbVORBISABRMode->isChecked() ? 1 : 2);
        w.Box("abrrb_enabled", OwnEnabled(rbVORBISABRMode));
        w.Box("cbrrb_enabled", OwnEnabled(rbVORBISCBRMode));
        w.TextOf("min_bit", SpEdtVORBISmin);
        w.TextOf("nom_bit", SpEdtVORBISnom);
        w.TextOf("max_bit", SpEdtVORBISmax);
        w.Flag("tab", active == TabSheet5);
    }
    {
        SettingsWriter w(ini, QStringLiteral("WAV"));
        const int format = rbWAVOutput->isChecked() ? 1 : rbAIFFOutput->isChecked() ? 2 : 3;
        w.Integer("format", format);
        if (format == 1) {
            w.Integer("output_wav", rbWAVOutput1->isChecked()   ? 1
                                    : rbWAVOutput2->isChecked() ? 2
                                    : rbWAVOutput3->isChecked() ? 3
                                                                : 4);
        } else if (format == 2) {
            w.Integer("output_aiff", rbWAVOutput1->isChecked() ? 1 : rbWAVOutput2->isChecked() ? 2 : 3);
        }
        w.Flag("tab", active == TabSheet6);
    }
    {
        SettingsWriter w(ini, QStringLiteral("Lossless"));
        w.Integer("channels", rbLossless2Ch->isChecked() ? 2 : 6);
        w.Integer("Engine", cbLosslessEngine->currentIndex());
        w.Integer("Flake_Level", FlakeTrackBar->value());
        w.Flag("tab", active == LosslessTab);
    }
}

// ---- Loading at the first showing -----------------------------------------------------------------

void TMainForm::LoadSettings(const TIniFile &settings)
{
    const SettingsReader r(settings, kGeneral);

    // 1. The window's geometry as stored, brought onto the screen.
    const int storedHeight = r.Integer("Height", height());
    const int storedLeft = r.Integer("Left", x());
    const int storedTop = r.Integer("Top", y());
    const int storedWidth = r.Integer("Width", width());
    PlaceOnScreen(storedLeft, storedTop, storedWidth, storedHeight);

    // 2. The tool paths (or, without a stored transcoder path, the search and the dialog).
    LoadToolPaths(settings);

    // 3. The rest of the general keys.
    r.Box("dynComp_check", 0, chAzidDC);
    r.Index("dynComp", cbAzidDC);
    r.Box("ssrc_check", 0, chSSRC);
    RestoreSampleRateChoice(cbSSRC, r.Integer("ssrc", cbSSRC->currentIndex()));
    r.Box("boost_check", 0, chBoost);
    r.Index("boost", cbBoost);
    r.Box("gain_check", 0, chOTAMode);
    // A stored text that names no gain mode leaves the list on its item.
    if (const QString mode = GainModeName(r.Text("gain", QString())); !mode.isEmpty()) {
        if (const int item = cbOTAMode->findText(mode); item >= 0)
            cbOTAMode->setCurrentIndex(item);
        cbOTAMode->setEditText(mode);
    }
    r.Box("delay_check", 0, chOTADelay);
    r.TextOf("delay", edOTADelay);

    // The stored language name must match exactly, case included; no match keeps English.
    ApplySavedLanguage(this, settings);

    if (const int value = r.Integer("log", 0); value == 0 || value == 1)
        Log1->setChecked(value == 1);

    // The priority is only ticked here; it is applied when a job starts or the user picks it.
    QAction *const priorities[] = {Real1, Highest1, High1, Normal1, Low1, Lowest1};
    if (const int value = r.Integer("Priority", 3); value >= 0 && value <= 5) {
        for (int i = 0; i <= 5; ++i)
            priorities[i]->setChecked(i == value);
    }

    // 4. The View > Tabs items and the tabs of their pages.
    const struct {
        const char *key;
        bool defaultValue;
        QAction *item;
        QWidget *page;
    } tabs[] = {
        {"AAC_tab", true, AAC2, TabSheet1},       {"AC3_tab", true, AC32, TabSheet2},
        {"MP2_tab", true, MP22, TabSheet3},       {"MP3_tab", true, MP32, TabSheet4},
        {"SPEEX_tab", false, SPEEX1, TabSheet7},  {"VORBIS_tab", true, VORBIS2, TabSheet5},
        {"WAV_tab", true, WAVPCM1, TabSheet6},    {"Lossless_tab", true, Lossless1, LosslessTab},
    };
    for (const auto &tab : tabs) {
        const bool shown = r.Flag(tab.key, tab.defaultValue);
        tab.item->setChecked(shown);
        PageControl1->setTabVisible(PageControl1->indexOf(tab.page), shown);
    }

    // 5. The encoder sections; a "tab" key that reads true makes its page active (the last one
    // read wins).
    LoadAACSettings(settings);
    LoadMPEGSettings(settings);
    LoadOtherPagesSettings(settings);
    // The gain list was filled for the page in use while the general section was read.
    FitGainListToPage();

    // The language and the tabs loaded since can have widened the layout: the window, at its
    // new least size, is brought onto the screen once more. The laid-out window can still need a
    // little more room than computed here (a scroll bar that a low window shows): once shown and
    // framed, it is fitted again (SettleOnScreen).
    PlaceOnScreen(storedLeft, storedTop, width(), height());
}

// A stored size larger than the screen's free area, or a position outside it, would open the
// window where it cannot be seen, and the exit would store it there again. The window is fitted
// onto the screen at the least size its layout takes with the present captions, which can exceed
// the minimum size set on the window.
QRect TMainForm::FitStoredGeometry(int left, int top, int width, int height) const
{
    ensurePolished(); // the style's sizes, as the window will have them when shown
    if (QLayout *const windowLayout = layout())
        windowLayout->activate();
    return FitOntoScreen(this, left, top, width, height, minimumSize().expandedTo(minimumSizeHint()));
}

void TMainForm::PlaceOnScreen(int left, int top, int width, int height)
{
    if (!m_settled) {
        // Not framed yet: the place is applied to the frame once it is there.
        m_wantedFramePlace = QPoint(left, top);
        m_hasWantedFramePlace = true;
    }
    const QRect placed = FitStoredGeometry(left, top, width, height);
    if (!m_settled || !isVisible()) {
        if (placed == QRect(pos(), size()))
            return;
        resize(placed.size());
        move(placed.topLeft());
        return;
    }
    // The window within its frame: the frame's place plus the frame's left and top edges.
    const QRect client(placed.topLeft() + (geometry().topLeft() - FramePlace()), placed.size());
    if (client != geometry())
        setGeometry(client);
}

// The frame's figures are asked of the window system's window: the widget's own figure of its
// frame is renewed only when the window moves, and a frame put around a window that stays where
// it is moves nothing.
QPoint TMainForm::FramePlace() const
{
    const QWindow *window = windowHandle();
    return window ? window->framePosition() : pos();
}

bool TMainForm::FrameKnown() const
{
    // Only the X11 window system puts a frame around the window after it has been shown.
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return true;
    const QWindow *window = windowHandle();
    return window && !window->frameMargins().isNull();
}

void TMainForm::SettleOnScreen(int attemptsLeft)
{
    if (m_settled)
        return;
    if (!isVisible()) {
        ShowNoticesToShow();
        return;
    }
    if (!FrameKnown() && attemptsLeft > 0) {
        // A busy desktop may frame the window late; notices wait for it no longer than two
        // seconds.
        if (attemptsLeft <= SettleAttempts - 40)
            ShowNoticesToShow();
        QTimer::singleShot(50, this, [this, attemptsLeft] { SettleOnScreen(attemptsLeft - 1); });
        return;
    }
    m_settled = true;
    // Without a stored place the window stays where the window system put it, fitted in.
    const QPoint frame = m_hasWantedFramePlace ? m_wantedFramePlace : FramePlace();
    PlaceOnScreen(frame.x(), frame.y(), width(), height());
    ShowNoticesToShow();
}

void TMainForm::ShowNoticesToShow()
{
    const QList<QPointer<QWidget>> notices = std::exchange(m_noticesToShow, {});
    for (const QPointer<QWidget> &notice : notices) {
        if (notice) {
            notice->show();
            notice->raise();
        }
    }
}

void TMainForm::RememberPlace()
{
    m_placeAtClose = PlaceToStore();
    m_closedByButton = true;
}

QRect TMainForm::PlaceToStore() const
{
    if (!isVisible())
        return m_closedByButton ? m_placeAtClose : QRect(pos(), size());
    // Shown but not framed yet: the window stands within the frame to come at the wanted place.
    if (!m_settled && m_hasWantedFramePlace && QGuiApplication::platformName() == QLatin1String("xcb"))
        return QRect(m_wantedFramePlace, size());
    return QRect(FramePlace(), size());
}

void TMainForm::ActivateSettingsPage(QWidget *page)
{
    // Setting the active page runs no handler.
    const QSignalBlocker blocker(PageControl1);
    PageControl1->setCurrentWidget(page);
}

void TMainForm::LoadAACSettings(const TIniFile &settings)
{
    const SettingsReader r(settings, QStringLiteral("AAC"));
    r.Choice("channels", 2, {{2, rbAACOutputCh2}, {6, rbAACOutputCh6}});
    r.EnabledBox("ch6", 1, rbAACOutputCh6);
    r.Index("engine", cbAACEncEngine);

    // Exactly one engine frame is visible: the first stored as visible, else the 3GPP frame.
    QWidget *const frames[] = {NeroFrame1, CTFrame1, FaacFrame1, NDFrame1, TGPRef1};
    QWidget *visible = TGPRef1;
    if (r.Flag("NeroFrame", true))
        visible = NeroFrame1;
    else if (r.Flag("CTFrame", false))
        visible = CTFrame1;
    else if (r.Flag("FaacFrame", false))
        visible = FaacFrame1;
    else if (r.Flag("NDFrame", false))
        visible = NDFrame1;
    for (QWidget *frame : frames)
        frame->setVisible(frame == visible);

    r.Position("WA_Bitrate", CTFrame1->TrackBar);
    r.Choice("WA_aac_mpeg", 4, {{2, CTFrame1->rbMPEG2}, {4, CTFrame1->rbMPEG4}});
    r.Index("WA_Mode", CTFrame1->cbAACMode);
    r.Index("WA_Format", CTFrame1->cbCTFormat);
    CTFrame1->cbAACMode->setEnabled(r.Flag("WA_Mode_Enabled", true));
    CTFrame1->chCTPNS->setChecked(r.Flag("WA_pns", false));
    CTFrame1->chCTSpeech->setChecked(r.Flag("WA_speech", false));
    r.Choice("Mode", 1, {{0, NDFrame1->rbBitrate}, {1, NDFrame1->rbQuality}});
    r.Position("Quality_Value", NDFrame1->trackBar);
    r.Position("Bitrate_Value", NDFrame1->TrackBar2);
    NDFrame1->chCBR->setChecked(r.Flag("CBR", false));
    r.Index("Profile", NDFrame1->TntComboBox1);
    NDFrame1->chHint->setChecked(r.Flag("Hinting", false));
    r.Choice("Faac_Mode", 1, {{1, FaacFrame1->rbFAACVBRMode}, {2, FaacFrame1->rbFaacABRMode}});
    r.TextOf("Faac_qual", FaacFrame1->SpEdFAACVBRMode);
    r.TextOf("Faac_bit", FaacFrame1->SpEdFAACABRMode);
    // The manual box first, then the automatic one: a stored or missing automatic key wins.
    r.Box("Faac_lowpass", 1, FaacFrame1->chFaacLowpass);
    r.Box("Faac_lowpassAuto", 1, FaacFrame1->chFaacLowpassAuto);
    r.TextOf("Faac_lowpassValue", FaacFrame1->SpedFaacLowpass);
    r.Box("Faac_aactomp4", 0, FaacFrame1->chAACtoMP4);
    r.Box("Faac_tns", 0, FaacFrame1->chTNS);
    r.Box("Faac_profile_check", 0, FaacFrame1->chFaacProfile);
    r.Index("Faac_profile", FaacFrame1->cbFaacProfile);
    r.Box("Faac_mscoding", 1, FaacFrame1->chMSCoding);
    r.Box("Faac_mpegv_check", 0, FaacFrame1->chFaacMPEGversion);
    r.Index("Faac_mpegv", FaacFrame1->cbFaacMPEGversion);
    r.Box("Faac_sblocks_check", 0, FaacFrame1->chFaacShortBlocks);
    r.Index("Faac_sblocks", FaacFrame1->cbFaacShortBlocks);
    r.Position("3GP_Bitrate", TGPRef1->RefTrackBar);
    r.Box("3GP_mono", 0, TGPRef1->chMonoEncodingRefEnc);
    if (r.Flag("tab", false))
        ActivateSettingsPage(TabSheet1);
}

void TMainForm::LoadMPEGSettings(const TIniFile &settings)
{
    {
        const SettingsReader r(settings, QStringLiteral("AC3"));
        r.Choice("channels", 2, {{2, rbAC3OutputCh2}, {6, rbAC3OutputCh6}});
        r.Word("Engine", QStringLiteral("Aften"), rbAften, rbAC3Enc);
        r.Position("Bit_AC3Enc", AC3EncFrame1->AC3TrackBar);
        r.Position("Bit_Aften", AftenFrame1->AC3TrackBar);
        r.Position("Aften_Qual", AftenFrame1->AftenQualTrackBar);
        r.Word("Aften_Mode", QStringLiteral("Bitrate"), AftenFrame1->rbAftenBitrate, AftenFrame1->rbAftenQuality);
        r.Choice("endians", 1, {{1, AC3EncFrame1->rbAC3Endians1}, {2, AC3EncFrame1->rbAC3Endians2}});
        if (r.Flag("tab", false))
            ActivateSettingsPage(TabSheet2);
    }
    {
        const SettingsReader r(settings, QStringLiteral("MP2"));
        r.Choice("engine", 1, {{1, rbMP2Enc}, {2, rbMP2TooLame}});
        r.Position("bitrate", MP2TrackBar);
        r.Box("enc_check", 0, chMP2EncMode);
        r.Index("encoding", cbMP2EncMode);
        r.Box("vbr_check", 0, chMP2EncVBR);
        r.TextOf("vbr", SpEdtMP2VBR);
        if (r.Flag("tab", false))
            ActivateSettingsPage(TabSheet3);
    }
    {
        const SettingsReader r(settings, QStringLiteral("MP3"));
        r.Choice("Channels", 2, {{2, rbMP3Ch2}, {6, rbMP3Ch6}});
        r.Choice("engine", 2, {{1, rbMP3Bitrate}, {2, rbMP3Quality}});
        r.Box("cbr_check", 0, LameFrame1->chMP3ABR);
        r.EnabledBox("cbr_enabled", 0, LameFrame1->chMP3ABR);
        r.EnabledBox("mp3_bitTB", 0, LameFrame1->MP3TrackBar_Bitrate);
        r.EnabledBox("mp3_qualTB", 0, LameFrame1->MP3TrackBar_Quality);
        r.Position("abr", LameFrame1->MP3TrackBar_Bitrate);
        r.Position("vbr", LameFrame1->MP3TrackBar_Quality);
        r.Box("mono", 0, LameFrame1->chMP3Mono);
        r.Index("AudX_Mode", AuXFrame1->cbMode);
        r.TextOf("vbr_mode", LameFrame1->cbVBRMode);
        if (r.Flag("tab", false))
            ActivateSettingsPage(TabSheet4);
    }
}

void TMainForm::LoadOtherPagesSettings(const TIniFile &settings)
{
    {
        const SettingsReader r(settings, QStringLiteral("SPEEX"));
        r.Choice("target", 1, {{1, rbSpeexQuality}, {2, rbSpeexBitrate}});
        r.Position("quality_value", SpeexQualityTrackBar);
        switch (r.Integer("mode", 0)) {
        case 0:
            chSpeexABR->setChecked(false);
            chSpeexVBR->setChecked(false);
            break;
        case 1: chSpeexABR->setChecked(true); break;
        case 2: chSpeexVBR->setChecked(true); break;
        default: break;
        }
        r.Position("bitrate_value", SpeexBitrateTrackBar);
        r.Box("encComplex_check", 0, chSpeexEncComplex);
        r.TextOf("encComplex", spEdEncComplex);
        r.Box("agc", 0, chSpeexAGC);
        r.Box("FramesOgg_check", 0, chSpeexFramesOgg);
        r.TextOf("FramesOgg", spEdFramesOgg);
        r.Box("denoise", 0, chSpeexDenoise);
        // The SPEEX page is hidden by default, so an active SPEEX page is also shown.
        if (r.Flag("tab", false)) {
            PageControl1->setTabVisible(PageControl1->indexOf(TabSheet7), true);
            SPEEX1->setChecked(true);
            ActivateSettingsPage(TabSheet7);
        }
    }
    {
        const SettingsReader r(settings, QStringLiteral("VORBIS"));
        r.Choice("channels", 2, {{2, rbVORBISOutputCh2}, {6, rbVORBISOutputCh6}});
        const int bitMode = r.Choice("bit_mode", 1, {{1, rbVORBISQuality}, {2, rbVORBISBitrate}});
        if (bitMode == 1)
            r.Position("qmode", VORBISScrollBar);
        if (bitMode == 2)
            r.Choice("bit_manage", 1, {{1, rbVORBISABRMode}, {2, rbVORBISCBRMode}});
        r.EnabledBox("abrrb_enabled", 0, rbVORBISABRMode);
        r.EnabledBox("cbrrb_enabled", 0, rbVORBISCBRMode);
        r.TextOf("min_bit", SpEdtVORBISmin);
        r.TextOf("nom_bit", SpEdtVORBISnom);
        r.TextOf("max_bit", SpEdtVORBISmax);
        // The estimate follows the sample rate, the channels and the quality: the stored rate
        // was set without its handler, and values equal to the layout's run none.
        lbVORBISnomBitrateValClick();
        if (r.Flag("tab", false))
            ActivateSettingsPage(TabSheet5);
    }
    {
        const SettingsReader r(settings, QStringLiteral("WAV"));
        const int format = r.Choice("format", 1, {{1, rbWAVOutput}, {2, rbAIFFOutput}, {3, rbDDWAVOutput}});
        if (format == 1) {
            r.Choice("output_wav", 1,
                     {{1, rbWAVOutput1}, {2, rbWAVOutput2}, {3, rbWAVOutput3}, {4, rbWAVOutput4}});
        } else if (format == 2) {
            r.Choice("output_aiff", 1, {{1, rbWAVOutput1}, {2, rbWAVOutput2}, {3, rbWAVOutput3}});
        }
        if (r.Flag("tab", false))
            ActivateSettingsPage(TabSheet6);
    }
    {
        const SettingsReader r(settings, QStringLiteral("Lossless"));
        if (r.Integer("channels", 2) == 2)
            rbLossless2Ch->setChecked(true);
        else
            rbLossless6Ch->setChecked(true);
        r.Index("Engine", cbLosslessEngine);
        r.Position("Flake_Level", FlakeTrackBar);
        if (r.Flag("tab", false))
            ActivateSettingsPage(LosslessTab);
    }
}
