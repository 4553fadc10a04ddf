// The own handlers of the VORBIS, WAV/PCM, SPEEX and Lossless pages.
//
// The controls are the option store: these handlers keep each page consistent with itself (what
// is enabled or shown, value labels and hints), hand the channel choice to the advanced dialog
// through the settings file, and end by rebuilding the selected row's command line.

#include "UMain.h"

#include "IniFile.h"
#include "Paths.h"
#include "UAdvanced.h"
#include "VorbisEstimate.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QUrl>

#include <exception>
#include <type_traits>

namespace {

// Mouse events of a label: a left click, and the pointer entering and leaving it.
class LabelMouse : public QObject
{
public:
    LabelMouse(QLabel *label, std::function<void()> click, std::function<void()> enter = {},
               std::function<void()> leave = {})
        : QObject(label), m_label(label), m_click(std::move(click)), m_enter(std::move(enter)),
          m_leave(std::move(leave))
    {
        label->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_label)
            return false;
        switch (event->type()) {
        case QEvent::Enter:
            if (m_enter)
                m_enter();
            break;
        case QEvent::Leave:
            if (m_leave)
                m_leave();
            break;
        case QEvent::MouseButtonRelease: {
            auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() == Qt::LeftButton && m_label->rect().contains(mouse->position().toPoint())
                && m_click)
                m_click();
            break;
        }
        default:
            break;
        }
        return false;
    }

private:
    QLabel *m_label;
    std::function<void()> m_click;
    std::function<void()> m_enter;
    std::function<void()> m_leave;
};

void SetEnabled(std::initializer_list<QWidget *> controls, bool enabled)
{
    for (QWidget *control : controls) {
        if (control)
            control->setEnabled(enabled);
    }
}

} // namespace

// ---- Handler frame ---------------------------------------------------------------------------

void TMainForm::RunOtherPageHandler(const std::function<void()> &body)
{
    ++m_otherPageDepth;
    try {
        body();
    } catch (const std::exception &error) {
        if (!m_otherPageFailed) {
            m_otherPageFailed = true;
            m_otherPageFailure = QString::fromLocal8Bit(error.what());
        }
    }
    --m_otherPageDepth;
    if (m_otherPageDepth > 0)
        return;
    // Only the outermost handler reports; a handler that ran inside another (through a control
    // set from code) leaves the failure for it, which ends at its next check.
    if (m_otherPageFailed) {
        m_otherPageFailed = false;
        const QString text = m_otherPageFailure;
        m_otherPageFailure.clear();
        if (text == m_pendingKeyFailure)
            m_pendingKeyFailure.clear();
        ShowMessage(text, true);
    }
    ReportChannelKeyFailure();
}

void TMainForm::NoteChannelKeyFailure(const QString &message)
{
    // The same failure again (the file is still where it cannot be written) is not shown again.
    if (message == m_reportedKeyFailure)
        return;
    if (m_pendingKeyFailure.isEmpty())
        m_pendingKeyFailure = message;
    if (m_otherPageDepth == 0)
        ReportChannelKeyFailure();
}

void TMainForm::ReportChannelKeyFailure()
{
    if (m_pendingKeyFailure.isEmpty())
        return;
    m_reportedKeyFailure = m_pendingKeyFailure;
    m_pendingKeyFailure.clear();
    ShowMessage(m_reportedKeyFailure, true);
}

void TMainForm::EndOnNestedOtherPageFailure()
{
    if (m_otherPageFailed)
        throw EIniFileException(m_otherPageFailure);
}

// ---- VORBIS page -----------------------------------------------------------------------------

void TMainForm::rbVORBISOutputCh2Click()
{
    RunOtherPageHandler([this] {
        DownmixStereoStep();
        lbVORBISnomBitrateValClick();
        KDCmdl();
    });
}

void TMainForm::rbVORBISOutputCh6Click()
{
    RunOtherPageHandler([this] {
        DownmixMultichannelStep();
        lbVORBISnomBitrateValClick();
        KDCmdl();
    });
}

void TMainForm::rbVORBISQualityClick()
{
    RunOtherPageHandler([this] {
        SetEnabled({VORBISScrollBar, lbVORBISq_2, lbVORBISq_1, lbVORBISq0, lbVORBISq1, lbVORBISq2, lbVORBISq3,
                    lbVORBISq4, lbVORBISq5, lbVORBISq6, lbVORBISq7, lbVORBISq8, lbVORBISq9, lbVORBISq10,
                    lbVORBISNomBitrate, lbVORBISnomBitrateVal, lbVORBISqlevel, lbVORBISqlevelVal},
                   true);
        SetEnabled({lbVORBISmaxBitrate, lbVORBISBitrateNom, lbVORBISminBitrate, Label50, Label51, Label52,
                    rbVORBISABRMode, rbVORBISCBRMode, SpEdtVORBISmax, SpEdtVORBISmin, SpEdtVORBISnom},
                   false);
        VORBISScrollBarChange();
    });
}

void TMainForm::rbVORBISBitrateClick()
{
    RunOtherPageHandler([this] {
        SetEnabled({VORBISScrollBar, lbVORBISq_2, lbVORBISq_1, lbVORBISq0, lbVORBISq1, lbVORBISq2, lbVORBISq3,
                    lbVORBISq4, lbVORBISq5, lbVORBISq6, lbVORBISq7, lbVORBISq8, lbVORBISq9, lbVORBISq10,
                    lbVORBISNomBitrate, lbVORBISnomBitrateVal, lbVORBISqlevel, lbVORBISqlevelVal},
                   false);
        SetEnabled({rbVORBISABRMode, rbVORBISCBRMode}, true);
        if (rbVORBISABRMode->isChecked())
            rbVORBISABRModeClick();
        else
            rbVORBISCBRModeClick();
    });
}

void TMainForm::rbVORBISCBRModeClick()
{
    RunOtherPageHandler([this] {
        SetEnabled({SpEdtVORBISnom, lbVORBISBitrateNom, Label51}, true);
        SetEnabled({SpEdtVORBISmin, SpEdtVORBISmax, lbVORBISminBitrate, lbVORBISmaxBitrate, Label50, Label52},
                   false);
        SpEdtVORBISnomChange();
        KDCmdl();
    });
}

void TMainForm::rbVORBISABRModeClick()
{
    RunOtherPageHandler([this] {
        SetEnabled({SpEdtVORBISmin, SpEdtVORBISnom, SpEdtVORBISmax, lbVORBISminBitrate, lbVORBISBitrateNom,
                    lbVORBISmaxBitrate, Label50, Label51, Label52},
                   true);
        SpEdtVORBISnomChange();
        SpEdtVORBISminChange();
        SpEdtVORBISmaxChange();
        KDCmdl();
    });
}

void TMainForm::VORBISScrollBarChange()
{
    RunOtherPageHandler([this] {
        lbVORBISnomBitrateValClick();
        lbVORBISqlevelValClick();
        KDCmdl();
    });
}

void TMainForm::lbVORBISqlevelValClick()
{
    lbVORBISqlevelVal->setText(VorbisQualityText(VORBISScrollBar->value()));
}

void TMainForm::lbVORBISnomBitrateValClick()
{
    // The item chosen in the resampling combo; a rate typed in by hand is none of its items.
    int item = cbSSRC->currentIndex();
    if (item >= 0 && cbSSRC->isEditable() && cbSSRC->currentText() != cbSSRC->itemText(item))
        item = -1;
    if (const std::optional<QString> text = VorbisNominalBitrateText(
            VORBISScrollBar->value(), rbVORBISOutputCh2->isChecked(), chSSRC->isChecked(), item))
        lbVORBISnomBitrateVal->setText(*text);
}

void TMainForm::SpEdtVORBISminChange()
{
    KDCmdl();
}

void TMainForm::SpEdtVORBISnomChange()
{
    KDCmdl();
}

void TMainForm::SpEdtVORBISmaxChange()
{
    KDCmdl();
}

// ---- WAV/PCM page ----------------------------------------------------------------------------

void TMainForm::rbWAVOutputClick()
{
    RunOtherPageHandler([this] {
        // The output names take the new extension.
        InOutFileNameOfSelectedRow();
        SetDownmixBoxes(true);
        gbWAVOutputCh->setVisible(true);
        rbWAVOutput4->setVisible(true);
        rbWAVOutput1->setText(QStringLiteral("16 Bits 5.1 Wave"));
        rbWAVOutput2->setText(QStringLiteral("16 Bits Stereo Wave"));
        rbWAVOutput3->setText(QStringLiteral("16 Bits (Six) Mono Waves"));
        rbWAVOutput4->setText(QStringLiteral("32 Bits (Six) Mono Waves"));
        rbWAVOutput2->setChecked(true);
        EndOnNestedOtherPageFailure();
        rbWAVOutput2Click();
    });
}

void TMainForm::rbAIFFOutputClick()
{
    RunOtherPageHandler([this] {
        InOutFileNameOfSelectedRow();
        SetDownmixBoxes(false);
        gbWAVOutputCh->setVisible(true);
        rbWAVOutput4->setVisible(false);
        rbWAVOutput1->setText(QStringLiteral("5.1 Big-Endian AIFF"));
        rbWAVOutput2->setText(QStringLiteral("5.1 Little-Endian AIFF"));
        rbWAVOutput3->setText(QStringLiteral("5.0 Big-Endian AIFF"));
        rbWAVOutput1->setChecked(true);
        EndOnNestedOtherPageFailure();
        rbWAVOutput1Click();
    });
}

void TMainForm::rbDDWAVOutputClick()
{
    RunOtherPageHandler([this] {
        InOutFileNameOfSelectedRow();
        // The channel radios keep their states while hidden.
        gbWAVOutputCh->setVisible(false);
        // DD-WAV keeps every channel: the boxes are unticked and the keys written to match, or
        // the next showing of the advanced dialog would tick them again from an earlier choice.
        DownmixMultichannelStep();
        KDCmdl();
    });
}

void TMainForm::rbWAVOutput1Click()
{
    RunOtherPageHandler([this] {
        DownmixMultichannelStep();
        KDCmdl();
    });
}

void TMainForm::rbWAVOutput2Click()
{
    RunOtherPageHandler([this] {
        // "16 Bits Stereo Wave" with WAV, "5.1 Little-Endian AIFF" otherwise.
        if (rbWAVOutput->isChecked())
            DownmixStereoStep();
        else
            DownmixMultichannelStep();
        KDCmdl();
    });
}

void TMainForm::rbWAVOutput3Click()
{
    RunOtherPageHandler([this] {
        DownmixMultichannelStep();
        KDCmdl();
    });
}

void TMainForm::rbWAVOutput4Click()
{
    RunOtherPageHandler([this] {
        DownmixKeysStep(0);
        KDCmdl();
    });
}

// ---- SPEEX page ------------------------------------------------------------------------------

void TMainForm::rbSpeexQualityClick()
{
    SetEnabled({lbSpeexBit_1, lbSpeexBit_16, lbSpeexBit_32, lbSpeexBit_48, lbSpeexBit_64, lbSpeexBit_80,
                lbSpeexBit_96, lbSpeexBit_112, lbSpeexBit_128, SpeexBitrateTrackBar},
               false);
    SetEnabled({lbSpeexQ0, lbSpeexQ1, lbSpeexQ2, lbSpeexQ3, lbSpeexQ4, lbSpeexQ5, lbSpeexQ6, lbSpeexQ7,
                lbSpeexQ8, lbSpeexQ9, lbSpeexQ10, SpeexQualityTrackBar},
               true);
    // The ABR box keeps its tick while the quality target leaves it out of the command line.
    chSpeexABR->setEnabled(false);
    KDCmdl();
}

void TMainForm::rbSpeexBitrateClick()
{
    SetEnabled({lbSpeexBit_1, lbSpeexBit_16, lbSpeexBit_32, lbSpeexBit_48, lbSpeexBit_64, lbSpeexBit_80,
                lbSpeexBit_96, lbSpeexBit_112, lbSpeexBit_128, SpeexBitrateTrackBar},
               true);
    SetEnabled({lbSpeexQ0, lbSpeexQ1, lbSpeexQ2, lbSpeexQ3, lbSpeexQ4, lbSpeexQ5, lbSpeexQ6, lbSpeexQ7,
                lbSpeexQ8, lbSpeexQ9, lbSpeexQ10, SpeexQualityTrackBar},
               false);
    chSpeexABR->setEnabled(true);
    KDCmdl();
}

void TMainForm::SpeexQualityTrackBarChange()
{
    SpeexQualityTrackBar->setToolTip(QStringLiteral("q = ") + QString::number(SpeexQualityTrackBar->value()));
    KDCmdl();
}

void TMainForm::SpeexBitrateTrackBarChange()
{
    SpeexBitrateTrackBar->setToolTip(QString::number(SpeexBitrateTrackBar->value()) + QStringLiteral(" kbps"));
    KDCmdl();
}

void TMainForm::chSpeexABRClick()
{
    // ABR and VBR exclude each other; the untick runs the other box's handler, which only rebuilds.
    if (chSpeexABR->isChecked())
        chSpeexVBR->setChecked(false);
    KDCmdl();
}

void TMainForm::chSpeexVBRClick()
{
    if (chSpeexVBR->isChecked())
        chSpeexABR->setChecked(false);
    KDCmdl();
}

void TMainForm::chSpeexEncComplexClick()
{
    spEdEncComplex->setEnabled(chSpeexEncComplex->isChecked());
    spEdEncComplexChange();
    KDCmdl();
}

void TMainForm::spEdEncComplexChange()
{
    KDCmdl();
}

void TMainForm::chSpeexFramesOggClick()
{
    spEdFramesOgg->setEnabled(chSpeexFramesOgg->isChecked());
    spEdFramesOggChange();
    KDCmdl();
}

void TMainForm::spEdFramesOggChange()
{
    KDCmdl();
}

void TMainForm::chSpeexDenoiseClick()
{
    KDCmdl();
}

void TMainForm::chSpeexAGCClick()
{
    KDCmdl();
}

// ---- Lossless page ---------------------------------------------------------------------------

void TMainForm::FlakeTrackBarChange()
{
    FlakeTrackBar->setToolTip(QStringLiteral("Level = ") + QString::number(FlakeTrackBar->value()));
    KDCmdl();
}

void TMainForm::lbFlakeLinkClick()
{
    QDesktopServices::openUrl(QUrl(lbFlakeLink->toolTip()));
}

void TMainForm::lbFlakeLinkMouseEnter()
{
    lbFlakeLink->setStyleSheet(QStringLiteral("color: red;"));
}

void TMainForm::lbFlakeLinkMouseLeave()
{
    lbFlakeLink->setStyleSheet(QStringLiteral("color: blue;"));
}

// ---- Binding ---------------------------------------------------------------------------------

void TMainForm::ConnectOtherPages()
{
    // A radio's handler acts when its radio becomes ticked.
    const auto onTicked = [this](QRadioButton *radio, void (TMainForm::*handler)()) {
        connect(radio, &QAbstractButton::toggled, this, [this, handler](bool ticked) {
            if (ticked)
                (this->*handler)();
        });
        MarkOwnHandler(radio);
    };
    const auto onToggled = [this](QAbstractButton *box, void (TMainForm::*handler)()) {
        connect(box, &QAbstractButton::toggled, this, [this, handler] { (this->*handler)(); });
        MarkOwnHandler(box);
    };
    const auto onValue = [this](auto *control, void (TMainForm::*handler)()) {
        using Control = std::remove_pointer_t<decltype(control)>;
        connect(control, &Control::valueChanged, this, [this, handler] { (this->*handler)(); });
        MarkOwnHandler(control);
    };

    // VORBIS page.
    onTicked(rbVORBISOutputCh2, &TMainForm::rbVORBISOutputCh2Click);
    onTicked(rbVORBISOutputCh6, &TMainForm::rbVORBISOutputCh6Click);
    onTicked(rbVORBISQuality, &TMainForm::rbVORBISQualityClick);
    onTicked(rbVORBISBitrate, &TMainForm::rbVORBISBitrateClick);
    // A click on a rate mode applies it at once while the bit-rate target is chosen; otherwise
    // (the settings or a preset ticking it from code) the page is left to the target radios.
    for (QRadioButton *mode : {rbVORBISCBRMode, rbVORBISABRMode}) {
        connect(mode, &QAbstractButton::toggled, this, [this, mode](bool ticked) {
            if (!ticked)
                return;
            if (!rbVORBISBitrate->isChecked())
                KDCmdl();
            else if (mode == rbVORBISCBRMode)
                rbVORBISCBRModeClick();
            else
                rbVORBISABRModeClick();
        });
        MarkOwnHandler(mode);
    }
    onValue(VORBISScrollBar, &TMainForm::VORBISScrollBarChange);
    onValue(SpEdtVORBISmin, &TMainForm::SpEdtVORBISminChange);
    onValue(SpEdtVORBISnom, &TMainForm::SpEdtVORBISnomChange);
    onValue(SpEdtVORBISmax, &TMainForm::SpEdtVORBISmaxChange);
    new LabelMouse(lbVORBISqlevelVal, [this] { lbVORBISqlevelValClick(); });
    new LabelMouse(lbVORBISnomBitrateVal, [this] { lbVORBISnomBitrateValClick(); });
    // The resampling box and combo of the processing options refresh the estimate through
    // lbVORBISnomBitrateValClick from their own handlers.

    // WAV/PCM page.
    onTicked(rbWAVOutput, &TMainForm::rbWAVOutputClick);
    onTicked(rbAIFFOutput, &TMainForm::rbAIFFOutputClick);
    onTicked(rbDDWAVOutput, &TMainForm::rbDDWAVOutputClick);
    onTicked(rbWAVOutput1, &TMainForm::rbWAVOutput1Click);
    onTicked(rbWAVOutput2, &TMainForm::rbWAVOutput2Click);
    onTicked(rbWAVOutput3, &TMainForm::rbWAVOutput3Click);
    onTicked(rbWAVOutput4, &TMainForm::rbWAVOutput4Click);

    // SPEEX page.
    onTicked(rbSpeexQuality, &TMainForm::rbSpeexQualityClick);
    onTicked(rbSpeexBitrate, &TMainForm::rbSpeexBitrateClick);
    onValue(SpeexQualityTrackBar, &TMainForm::SpeexQualityTrackBarChange);
    onValue(SpeexBitrateTrackBar, &TMainForm::SpeexBitrateTrackBarChange);
    onToggled(chSpeexABR, &TMainForm::chSpeexABRClick);
    onToggled(chSpeexVBR, &TMainForm::chSpeexVBRClick);
    onToggled(chSpeexEncComplex, &TMainForm::chSpeexEncComplexClick);
    onValue(spEdEncComplex, &TMainForm::spEdEncComplexChange);
    onToggled(chSpeexFramesOgg, &TMainForm::chSpeexFramesOggClick);
    onValue(spEdFramesOgg, &TMainForm::spEdFramesOggChange);
    onToggled(chSpeexDenoise, &TMainForm::chSpeexDenoiseClick);
    onToggled(chSpeexAGC, &TMainForm::chSpeexAGCClick);

    // Lossless page: the channel radios are the VORBIS page's; the engine combo is bound with
    // the AAC page's engine change, which serves both engine combos.
    onTicked(rbLossless2Ch, &TMainForm::rbVORBISOutputCh2Click);
    onTicked(rbLossless6Ch, &TMainForm::rbVORBISOutputCh6Click);
    onValue(FlakeTrackBar, &TMainForm::FlakeTrackBarChange);
    new LabelMouse(
        lbFlakeLink, [this] { lbFlakeLinkClick(); }, [this] { lbFlakeLinkMouseEnter(); },
        [this] { lbFlakeLinkMouseLeave(); });
}
