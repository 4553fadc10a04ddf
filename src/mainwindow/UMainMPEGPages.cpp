// The own handlers of the AC3, MP2 and MP3 pages.
//
// The controls are the option store: these handlers keep each page consistent with itself
// (enabled controls, the visible frame, hints), hand the channel choice to the advanced dialog,
// open the encoders' web pages, and end by rebuilding the command line of the selected job.
// Setting a control from code runs its handler as a user's change does, so the settings load,
// the presets and the page switch reach the same page states.

#include "UMain.h"
#include "DialogSupport.h"

#include "IniFile.h"
#include "LanguageStrings.h"
#include "MPEGPageRates.h"
#include "Paths.h"
#include "UAdvanced.h"
#include "UAudX.h"
#include "ULame.h"
#include "UMainGlobals.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QUrl>

#include <functional>

namespace {

const QString SectionZolvane = QStringLiteral("Zolvane");
const QString KeyCheckLFE = QStringLiteral("check_lfe");
const QString KeyOutputModeCheck = QStringLiteral("output_mode_check");
const QString Kbps = QStringLiteral(" kbps");

// Hands a link label's pointer entry, exit and left click to the main window's handlers.
class LinkLabelEvents : public QObject
{
public:
    LinkLabelEvents(QLabel *label, std::function<void()> enter, std::function<void()> leave,
                    std::function<void()> click)
        : QObject(label), m_enter(std::move(enter)), m_leave(std::move(leave)), m_click(std::move(click))
    {
        label->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Enter:
            m_enter();
            break;
        case QEvent::Leave:
            m_leave();
            break;
        case QEvent::MouseButtonRelease: {
            auto *mouse = static_cast<QMouseEvent *>(event);
            auto *label = static_cast<QWidget *>(watched);
            if (mouse->button() == Qt::LeftButton && label->rect().contains(mouse->position().toPoint()))
                m_click();
            break;
        }
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_enter, m_leave, m_click;
};

// The MP3 bit-rate bar's hint is never shown (the edit beside it shows the rate): it is kept in
// the bar's property "hint" instead of its tool tip, and the edit is filled from it.
const char *const HiddenHint = "hint";

QString RateHint(int kbps)
{
    return QString::number(kbps) + Kbps;
}

// Ticks or unticks a box of the advanced dialog only when its state differs (the change runs
// the box's own handler).
void SetAdvancedBox(const char *name, bool ticked)
{
    if (!AdvancedSet)
        return;
    if (auto *box = AdvancedSet->findChild<QCheckBox *>(QString::fromLatin1(name)); box && box->isChecked() != ticked)
        box->setChecked(ticked);
}

void SetLinkColour(QLabel *label, bool hovered)
{
    label->setStyleSheet(hovered ? QStringLiteral("color: red;") : QStringLiteral("color: blue;"));
}

void OpenLinkOf(QObject *label)
{
    if (auto *link = qobject_cast<QWidget *>(label))
        QDesktopServices::openUrl(QUrl(link->toolTip()));
}

} // namespace

void TMainForm::ConnectMPEGPages()
{
    // A radio's handler acts only when its radio becomes ticked.
    const auto onTicked = [this](QAbstractButton *radio, void (TMainForm::*handler)(QObject *)) {
        MarkOwnHandler(radio);
        connect(radio, &QAbstractButton::toggled, this, [this, radio, handler](bool ticked) {
            if (ticked)
                (this->*handler)(radio);
        });
    };
    const auto onToggled = [this](QAbstractButton *box, void (TMainForm::*handler)(QObject *)) {
        MarkOwnHandler(box);
        connect(box, &QAbstractButton::toggled, this, [this, box, handler] { (this->*handler)(box); });
    };
    const auto onMoved = [this](QAbstractSlider *bar, void (TMainForm::*handler)(QObject *)) {
        MarkOwnHandler(bar);
        connect(bar, &QAbstractSlider::valueChanged, this, [this, bar, handler] { (this->*handler)(bar); });
    };
    const auto onChosen = [this](QComboBox *combo, void (TMainForm::*handler)(QObject *)) {
        MarkOwnHandler(combo);
        connect(combo, &QComboBox::activated, this, [this, combo, handler] { (this->*handler)(combo); });
        if (combo->isEditable())
            connect(combo->lineEdit(), &QLineEdit::textEdited, this, [this, combo, handler] { (this->*handler)(combo); });
    };

    // Page "AC3".
    onTicked(rbAC3OutputCh2, &TMainForm::rbAC3OutputCh2Click);
    onTicked(rbAC3OutputCh6, &TMainForm::rbAC3OutputCh6Click);
    onTicked(rbAC3Enc, &TMainForm::rbAC3Encoder);
    onTicked(rbAften, &TMainForm::rbAC3Encoder);
    onMoved(AC3EncFrame1->AC3TrackBar, &TMainForm::AC3TrackBarChange);
    onMoved(AftenFrame1->AC3TrackBar, &TMainForm::AC3TrackBarChange);
    onTicked(AftenFrame1->rbAftenBitrate, &TMainForm::AftenMode);
    onTicked(AftenFrame1->rbAftenQuality, &TMainForm::AftenMode);
    onMoved(AftenFrame1->AftenQualTrackBar, &TMainForm::AftenFrame1AftenQualTrackBarChange);
    onTicked(AC3EncFrame1->rbAC3Endians1, &TMainForm::rbAC3Endians1Click);
    onTicked(AC3EncFrame1->rbAC3Endians2, &TMainForm::rbAC3Endians2Click);
    new LinkLabelEvents(
        lbAftenLink, [this] { lbAftenLinkMouseEnter(lbAftenLink); }, [this] { lbAftenLinkMouseLeave(lbAftenLink); },
        [this] { lbAftenLinkClick(lbAftenLink); });

    // Page "MP2".
    onTicked(rbMP2TooLame, &TMainForm::rbMP2TooLameClick);
    onTicked(rbMP2Enc, &TMainForm::rbMP2encClick);
    onMoved(MP2TrackBar, &TMainForm::MP2TrackBarChange);
    onToggled(chMP2EncMode, &TMainForm::chMP2EncModeClick);
    onChosen(cbMP2EncMode, &TMainForm::cbMP2EncModeChange);
    onToggled(chMP2EncVBR, &TMainForm::chMP2EncVBRClick);
    MarkOwnHandler(SpEdtMP2VBR);
    connect(SpEdtMP2VBR, &QSpinBox::valueChanged, this, [this] { SpEdtMP2VBRChange(SpEdtMP2VBR); });

    // Page "MP3" with the LAME and Aud-X frames.
    onTicked(rbMP3Ch2, &TMainForm::rbMP3Ch2Click);
    onTicked(rbMP3Ch6, &TMainForm::rbMP3Ch6Click);
    onTicked(rbMP3Bitrate, &TMainForm::rbMP3BitrateClick);
    onTicked(rbMP3Quality, &TMainForm::rbMP3QualityClick);
    onMoved(LameFrame1->MP3TrackBar_Bitrate, &TMainForm::LameFrame1MP3TrackBar_BitrateChange);
    onToggled(LameFrame1->chMP3ABR, &TMainForm::LameFrame1chMP3ABRClick);
    onMoved(LameFrame1->MP3TrackBar_Quality, &TMainForm::LameFrame1MP3TrackBar_QualityChange);
    onChosen(LameFrame1->cbVBRMode, &TMainForm::LameFrame1cbVBRModeChange);
    onToggled(LameFrame1->chMP3Mono, &TMainForm::LameFrame1chMP3MonoClick);
    connect(LameFrame1->btMP3Others, &QAbstractButton::clicked, this,
            [this] { LameFrame1btMP3OthersClick(LameFrame1->btMP3Others); });
    // The builder reads the bar, not the edit: the edit only shows the bar's rate, and a rate
    // typed into it moves the bar once the typing is finished.
    MarkOwnHandler(LameFrame1->edMP3Bitrate);
    connect(LameFrame1->edMP3Bitrate, &QLineEdit::editingFinished, this,
            &TMainForm::LameFrame1edMP3BitrateEditingFinished);
    onChosen(AuXFrame1->cbMode, &TMainForm::AuXFrame1cbModeChange);
    new LinkLabelEvents(
        AuXFrame1->AuXProjectlink, [this] { AuXFrame1AuXProjectlinkMouseEnter(AuXFrame1->AuXProjectlink); },
        [this] { AuXFrame1AuXProjectlinkMouseLeave(AuXFrame1->AuXProjectlink); },
        [this] { AuXFrame1AuXProjectlinkClick(AuXFrame1->AuXProjectlink); });
}

// ---- The downmix steps ------------------------------------------------------------------------

void TMainForm::SetDownmixBoxes(bool ticked)
{
    SetAdvancedBox("chLFEtoLR", ticked);
    SetAdvancedBox("chOutputMode", ticked);
}

void TMainForm::DownmixKeysStep(int value)
{
    // Both keys in one replace of the settings file. A write that fails is reported (once for
    // the same failure, see NoteChannelKeyFailure) and the handler goes on: the page and the
    // command line still follow the user's choice.
    try {
        TIniSavePass pass(SettingsFilePath());
        TIniFile settings(SettingsFilePath());
        settings.WriteInteger(SectionZolvane, KeyCheckLFE, value);
        settings.WriteInteger(SectionZolvane, KeyOutputModeCheck, value);
        pass.Commit();
        m_reportedKeyFailure.clear();
    } catch (const EIniFileException &error) {
        NoteChannelKeyFailure(error.Message());
    }
}

void TMainForm::KeyOnlyStepInFrame(int value)
{
    RunOtherPageHandler([this, value] { DownmixKeysStep(value); });
}

void TMainForm::DownmixStereoStep()
{
    SetDownmixBoxes(true);
    DownmixKeysStep(1);
}

void TMainForm::DownmixMultichannelStep()
{
    SetDownmixBoxes(false);
    DownmixKeysStep(0);
}

// ---- Page "AC3" -------------------------------------------------------------------------------

void TMainForm::rbAC3OutputCh2Click(QObject *)
{
    RunOtherPageHandler([this] {
        DownmixStereoStep();
        KDCmdl();
    });
}

void TMainForm::rbAC3OutputCh6Click(QObject *)
{
    RunOtherPageHandler([this] {
        DownmixMultichannelStep();
        KDCmdl();
    });
}

void TMainForm::rbAC3Encoder(QObject *Sender)
{
    // The clicked radio's tag decides; called from code, the ticked engine does.
    QObject *radio = Sender ? Sender : (rbAC3Enc->isChecked() ? rbAC3Enc : rbAften);
    switch (radio->property("tag").toInt()) {
    case 0:
        AC3EncFrame1->show();
        AftenFrame1->hide();
        lbAftenLink->hide();
        break;
    case 1:
        AC3EncFrame1->hide();
        AftenFrame1->show();
        lbAftenLink->show();
        break;
    default:
        break;
    }
    // The bar that comes into view may have moved while its engine was not the chosen one, which
    // left its hint behind; it shows its own rate again.
    AC3TrackBarChange(radio);
}

void TMainForm::AC3TrackBarChange(QObject *)
{
    // The hint goes to the bar of the chosen engine, whichever bar moved.
    QSlider *bar = rbAC3Enc->isChecked() ? AC3EncFrame1->AC3TrackBar : AftenFrame1->AC3TrackBar;
    if (const int rate = AC3BitrateOfPosition(bar->value()))
        bar->setToolTip(RateHint(rate));
    KDCmdl();
}

void TMainForm::AftenMode(QObject *)
{
    const bool byBitrate = AftenFrame1->rbAftenBitrate->isChecked();
    for (QWidget *w : {static_cast<QWidget *>(AftenFrame1->lbAC3Bitrate_32), static_cast<QWidget *>(AftenFrame1->lbAC3Bitrate_48),
                       static_cast<QWidget *>(AftenFrame1->lbAC3Bitrate_64), static_cast<QWidget *>(AftenFrame1->lbAC3Bitrate_96),
                       static_cast<QWidget *>(AftenFrame1->lbAC3Bitrate_128), static_cast<QWidget *>(AftenFrame1->lbAC3Bitrate_192),
                       static_cast<QWidget *>(AftenFrame1->lbAC3Bitrate_256), static_cast<QWidget *>(AftenFrame1->lbAC3Bitrate_384),
                       static_cast<QWidget *>(AftenFrame1->lbAC3Bitrate_512), static_cast<QWidget *>(AftenFrame1->lbAC3Bitrate_640),
                       static_cast<QWidget *>(AftenFrame1->AC3TrackBar)})
        w->setEnabled(byBitrate);
    for (QWidget *w : {static_cast<QWidget *>(AftenFrame1->gbAftenQuality), static_cast<QWidget *>(AftenFrame1->lbAftenQualLowest),
                       static_cast<QWidget *>(AftenFrame1->lbAftenQualHighest),
                       static_cast<QWidget *>(AftenFrame1->AftenQualTrackBar)})
        w->setEnabled(!byBitrate);
    KDCmdl();
}

void TMainForm::AftenFrame1AftenQualTrackBarChange(QObject *)
{
    AftenFrame1->AftenQualTrackBar->setToolTip(QStringLiteral("q=") + QString::number(AftenFrame1->AftenQualTrackBar->value()));
    KDCmdl();
}

void TMainForm::rbAC3Endians1Click(QObject *)
{
    KDCmdl();
}

void TMainForm::rbAC3Endians2Click(QObject *)
{
    KDCmdl();
}

void TMainForm::lbAftenLinkClick(QObject *Sender)
{
    OpenLinkOf(Sender ? Sender : lbAftenLink);
}

void TMainForm::lbAftenLinkMouseEnter(QObject *)
{
    SetLinkColour(lbAftenLink, true);
}

void TMainForm::lbAftenLinkMouseLeave(QObject *)
{
    SetLinkColour(lbAftenLink, false);
}

// ---- Page "MP2" -------------------------------------------------------------------------------

void TMainForm::rbMP2TooLameClick(QObject *)
{
    RunOtherPageHandler([this] {
        DownmixKeysStep(1);
        KDCmdl();
    });
}

void TMainForm::rbMP2encClick(QObject *)
{
    RunOtherPageHandler([this] {
        DownmixKeysStep(1);
        KDCmdl();
    });
}

void TMainForm::MP2TrackBarChange(QObject *)
{
    if (const int rate = MP2BitrateOfPosition(MP2TrackBar->value()))
        MP2TrackBar->setToolTip(RateHint(rate));
    KDCmdl();
}

void TMainForm::chMP2EncModeClick(QObject *)
{
    cbMP2EncMode->setEnabled(chMP2EncMode->isChecked());
    KDCmdl();
}

void TMainForm::cbMP2EncModeChange(QObject *)
{
    KDCmdl();
}

void TMainForm::chMP2EncVBRClick(QObject *)
{
    SpEdtMP2VBR->setEnabled(chMP2EncVBR->isChecked());
    KDCmdl();
}

void TMainForm::SpEdtMP2VBRChange(QObject *)
{
    KDCmdl();
}

// ---- Page "MP3" -------------------------------------------------------------------------------

void TMainForm::rbMP3Ch2Click(QObject *)
{
    LameFrame1->show();
    AuXFrame1->hide();
    gbMP3Target->setEnabled(true);
    KDCmdl();
}

void TMainForm::rbMP3Ch6Click(QObject *)
{
    // 5.1 MP3 is encoded by the Aud-X encoder; without it the page stays on stereo and the notice
    // tells the user where to get it. The check is made at this choice only.
    const bool installed =
        !FindFileIgnoringCase(QString::fromLocal8Bit(AudXFolder), QStringLiteral("audx.exe")).isEmpty();
    if (installed) {
        LameFrame1->hide();
        AuXFrame1->show();
        gbMP3Target->setEnabled(false);
        KDCmdl();
        return;
    }
    rbMP3Ch2Click(rbMP3Ch2);
    if (AudXForm)
        AudXForm->show();
    // The notice goes with the stereo choice (its stereo button's handler runs once more).
    rbMP3Ch2->setChecked(true);
    KDCmdl();
}

void TMainForm::rbMP3BitrateClick(QObject *)
{
    KeyOnlyStepInFrame(1);
    TLameFrame *f = LameFrame1;
    for (QWidget *w : {static_cast<QWidget *>(f->MP3TrackBar_Quality), static_cast<QWidget *>(f->lbVBRMode),
                       static_cast<QWidget *>(f->cbVBRMode), static_cast<QWidget *>(f->lbMP3Quality_10),
                       static_cast<QWidget *>(f->lbMP3Quality_50), static_cast<QWidget *>(f->lbMP3Quality_100)})
        w->setEnabled(false);
    for (QWidget *w : {static_cast<QWidget *>(f->chMP3ABR), static_cast<QWidget *>(f->MP3TrackBar_Bitrate),
                       static_cast<QWidget *>(f->edMP3Bitrate), static_cast<QWidget *>(f->lbMP3Bitrate),
                       static_cast<QWidget *>(f->lbMP3Bitrate_8), static_cast<QWidget *>(f->lbMP3Bitrate_64),
                       static_cast<QWidget *>(f->lbMP3Bitrate_128), static_cast<QWidget *>(f->lbMP3Bitrate_192),
                       static_cast<QWidget *>(f->lbMP3Bitrate_256), static_cast<QWidget *>(f->lbMP3Bitrate_320)})
        w->setEnabled(true);
    LameFrame1MP3TrackBar_BitrateChange(f->MP3TrackBar_Bitrate);
}

void TMainForm::rbMP3QualityClick(QObject *)
{
    KeyOnlyStepInFrame(1);
    TLameFrame *f = LameFrame1;
    for (QWidget *w : {static_cast<QWidget *>(f->MP3TrackBar_Quality), static_cast<QWidget *>(f->cbVBRMode),
                       static_cast<QWidget *>(f->lbMP3Quality_10), static_cast<QWidget *>(f->lbMP3Quality_50),
                       static_cast<QWidget *>(f->lbMP3Quality_100), static_cast<QWidget *>(f->lbVBRMode)})
        w->setEnabled(true);
    for (QWidget *w : {static_cast<QWidget *>(f->chMP3ABR), static_cast<QWidget *>(f->MP3TrackBar_Bitrate),
                       static_cast<QWidget *>(f->edMP3Bitrate), static_cast<QWidget *>(f->lbMP3Bitrate),
                       static_cast<QWidget *>(f->lbMP3Bitrate_8), static_cast<QWidget *>(f->lbMP3Bitrate_64),
                       static_cast<QWidget *>(f->lbMP3Bitrate_128), static_cast<QWidget *>(f->lbMP3Bitrate_192),
                       static_cast<QWidget *>(f->lbMP3Bitrate_256), static_cast<QWidget *>(f->lbMP3Bitrate_320)})
        w->setEnabled(false);
    LameFrame1MP3TrackBar_QualityChange(f->MP3TrackBar_Quality);
    LameFrame1cbVBRModeChange(f->cbVBRMode);
    LameFrame1chMP3MonoClick(f->chMP3Mono);
}

void TMainForm::LameFrame1MP3TrackBar_BitrateChange(QObject *)
{
    QSlider *bar = LameFrame1->MP3TrackBar_Bitrate;
    bar->setProperty(HiddenHint, RateHint(bar->value()));
    LameFrame1->edMP3Bitrate->setText(QString::number(bar->value()));
    LameFrame1chMP3ABRClick(LameFrame1->chMP3ABR);
    KDCmdl();
}

void TMainForm::LameFrame1chMP3ABRClick(QObject *)
{
    QSlider *bar = LameFrame1->MP3TrackBar_Bitrate;
    if (LameFrame1->chMP3ABR->isChecked()) {
        // The bar keeps its position; hint and edit show the constant rate it rounds up to, as the
        // builder writes it.
        const QString hint = RateHint(MP3ConstantBitrate(bar->value()));
        bar->setProperty(HiddenHint, hint);
        LameFrame1->edMP3Bitrate->setText(hint.left(hint.indexOf(Kbps)));
    } else {
        bar->setRange(8, 320);
        bar->setProperty(HiddenHint, RateHint(bar->value()));
        // Unrestricted, the edit shows the bar's own rate again.
        LameFrame1->edMP3Bitrate->setText(QString::number(bar->value()));
    }
    KDCmdl();
}

QString TMainForm::MP3QualityHint(int position, int vbrModeIndex)
{
    const TLanguageStrings &t = LanguageStrings;
    const bool standard = vbrModeIndex == 0;
    switch (position) {
    case 0: return t.MP3Quality10;
    case 1: return t.MP3Quality20;
    case 2: return t.MP3Quality30;
    case 3: return t.MP3Quality40;
    case 4: return t.MP3Quality50;
    case 5: return standard ? t.MP3Quality60_1 : t.MP3Quality60_2;
    case 6: return t.MP3Quality70;
    case 7: return standard ? t.MP3Quality80_1 : t.MP3Quality80_2;
    case 8: return t.MP3Quality90;
    case 9: return standard ? t.MP3Quality100_1 : t.MP3Quality100_2;
    default: return QString();
    }
}

void TMainForm::LameFrame1MP3TrackBar_QualityChange(QObject *)
{
    LameFrame1chMP3MonoClick(LameFrame1->chMP3Mono);
    LameFrame1cbVBRModeChange(LameFrame1->cbVBRMode);
    QSlider *bar = LameFrame1->MP3TrackBar_Quality;
    if (bar->value() >= 0 && bar->value() <= 9)
        bar->setToolTip(MP3QualityHint(bar->value(), LameFrame1->cbVBRMode->currentIndex()));
    KDCmdl();
}

void TMainForm::LameFrame1cbVBRModeChange(QObject *)
{
    // Only the positions whose hint depends on the mode change it.
    QSlider *bar = LameFrame1->MP3TrackBar_Quality;
    const int position = bar->value();
    if (position == 5 || position == 7 || position == 9)
        bar->setToolTip(MP3QualityHint(position, LameFrame1->cbVBRMode->currentIndex()));
    KDCmdl();
}

void TMainForm::LameFrame1chMP3MonoClick(QObject *)
{
    KDCmdl();
}

void TMainForm::LameFrame1btMP3OthersClick(QObject *)
{
    if (OthersLame)
        OthersLame->exec();
}

void TMainForm::LameFrame1edMP3BitrateEditingFinished()
{
    // Only the user's typing counts: passing through the edit leaves the bar where it is (with
    // the restriction on, the edit shows the rounded rate, not the bar's position).
    QLineEdit *edit = LameFrame1->edMP3Bitrate;
    if (!edit->isModified())
        return;
    edit->setModified(false);
    QSlider *bar = LameFrame1->MP3TrackBar_Bitrate;
    bool isNumber = false;
    const int typed = LameFrame1->edMP3Bitrate->text().trimmed().toInt(&isNumber);
    if (isNumber && typed >= bar->minimum() && typed <= bar->maximum() && typed != bar->value()) {
        bar->setValue(typed); // its handler rewrites the edit and rebuilds
        return;
    }
    // Not a rate of the bar, or the rate it already has: the edit shows what the bar stands for.
    const QString hint = bar->property(HiddenHint).toString();
    LameFrame1->edMP3Bitrate->setText(hint.endsWith(Kbps) ? hint.left(hint.size() - Kbps.size())
                                                          : QString::number(bar->value()));
}

void TMainForm::AuXFrame1cbModeChange(QObject *)
{
    KDCmdl();
}

void TMainForm::AuXFrame1AuXProjectlinkClick(QObject *Sender)
{
    OpenLinkOf(Sender ? Sender : AuXFrame1->AuXProjectlink);
}

void TMainForm::AuXFrame1AuXProjectlinkMouseEnter(QObject *)
{
    SetLinkColour(AuXFrame1->AuXProjectlink, true);
}

void TMainForm::AuXFrame1AuXProjectlinkMouseLeave(QObject *)
{
    SetLinkColour(AuXFrame1->AuXProjectlink, false);
}
