// The Presets menu: each family of presets sets the encoder page, the engine, the output channels
// and the main values of an encoder in one step. A preset only sets controls, so every control
// whose state changes runs its own handler, as if the user had changed it; the page, the combo
// boxes and the closing handlers that a changed control would not run are run here explicitly.

#include "UMain.h"

#include "UAftenFrame.h"
#include "UCTFrame.h"
#include "UFAACFrame.h"
#include "ULameFrame.h"
#include "UNDFrame.h"

#include "UAdvanced.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>

#include <array>
#include <cstddef>

namespace {

// The value of `table` for `tag`, or -1 when the tag lies outside it.
template <std::size_t N>
int ValueOfTag(const std::array<int, N> &table, int tag)
{
    return tag >= 0 && tag < static_cast<int>(N) ? table[static_cast<std::size_t>(tag)] : -1;
}

// Sets a combo box's item from code; like the user's choice in the list it runs no handler here,
// the preset runs the handler itself where one is wanted.
void SelectItem(QComboBox *combo, int index)
{
    if (combo && index >= 0 && index < combo->count())
        combo->setCurrentIndex(index);
}

} // namespace

void TMainForm::ConnectPresets()
{
    const struct {
        QMenu *family;
        void (TMainForm::*handler)();
    } families[] = {
        {PresetsAACPSCT, &TMainForm::PSCTAACPresets}, {PresetsAACPSND, &TMainForm::PSNDAACPresets},
        {PresetsAACHECT, &TMainForm::CTHEPresets},    {PresetsAACHEND, &TMainForm::NDHEPresets},
        {PresetsAACLCCT, &TMainForm::CTLCAACPresets}, {PresetsAACLCND, &TMainForm::LCPresets},
        {PresetsAACLCFAAC, &TMainForm::FAACPresets},  {PresetsAC3, &TMainForm::AC3Presets},
        {PresetsMP2, &TMainForm::MP2Presets},         {PresetsMP3, &TMainForm::MP3Presets},
        {PresetsVORBIS, &TMainForm::OGGPresets},      {PresetsWAV, &TMainForm::WAVPresets},
    };
    for (const auto &entry : families) {
        for (QAction *item : entry.family->actions()) {
            if (item->isSeparator() || item->menu())
                continue;
            connect(item, &QAction::triggered, this, entry.handler);
        }
    }
}

QAction *TMainForm::PresetItemOfSender(int *tag) const
{
    auto *item = qobject_cast<QAction *>(sender());
    if (!item)
        return nullptr;
    bool ok = false;
    const int value = item->property("tag").toInt(&ok);
    if (!ok)
        return nullptr;
    *tag = value;
    return item;
}

void TMainForm::TickPresetItem(QMenu *family, QAction *item)
{
    for (QAction *other : family->actions()) {
        if (other->isCheckable())
            other->setChecked(false);
    }
    item->setChecked(true);
}

void TMainForm::SetAdvancedBoxes(bool on)
{
    if (!AdvancedSet)
        return;
    for (const char *name : {"chLFEtoLR", "chOutputMode"}) {
        if (auto *box = AdvancedSet->findChild<QCheckBox *>(QLatin1String(name)))
            box->setChecked(on);
    }
}

void TMainForm::ResetResampling()
{
    if (chSSRC->isChecked() || cbSSRC->isEnabled()) {
        chSSRC->setChecked(false);
        cbSSRC->setEnabled(false);
    }
}

void TMainForm::ShowPresetPage(QWidget *page)
{
    if (PageControl1->currentWidget() == page)
        return;
    // Making a page active from code runs no page-switch handler.
    const QSignalBlocker quiet(PageControl1);
    PageControl1->setCurrentWidget(page);
}

void TMainForm::RunPresetHandler(const char *name, QObject *control)
{
    // The handler by its name where the window publishes it; otherwise the control's own signal
    // that the handler is bound to, with the control's current state.
    const QByteArray signature = QByteArray(name) + "()";
    if (metaObject()->indexOfMethod(signature.constData()) >= 0) {
        QMetaObject::invokeMethod(this, name, Qt::DirectConnection);
        return;
    }
    if (auto *combo = qobject_cast<QComboBox *>(control))
        emit combo->activated(combo->currentIndex());
    else if (auto *button = qobject_cast<QAbstractButton *>(control))
        emit button->toggled(button->isChecked());
}

void TMainForm::RunOTAModeClick()
{
    RunPresetHandler("chOTAModeClick", chOTAMode);
}

void TMainForm::RunAACEncEngineChange()
{
    RunPresetHandler("cbAACEncEngineChange", cbAACEncEngine);
}

void TMainForm::RunCTFormatChange()
{
    RunPresetHandler("CTFrame1cbCTFormatChange", CTFrame1->cbCTFormat);
}

void TMainForm::PSCTAACPresets()
{
    static constexpr std::array<int, 5> bitRates{10, 16, 24, 32, 48};
    int tag = 0;
    QAction *item = PresetItemOfSender(&tag);
    if (!item || ValueOfTag(bitRates, tag) < 0)
        return;
    TickPresetItem(PresetsAACPSCT, item);
    SelectItem(cbAACEncEngine, 3);
    CTFrame1->rbMPEG4->setChecked(true);
    SetAdvancedBoxes(true);
    rbAACOutputCh2->setChecked(true);
    ResetResampling();
    ShowPresetPage(TabSheet1);
    item->setChecked(true);
    CTFrame1->TrackBar->setValue(ValueOfTag(bitRates, tag));
    // The stereo radio's handler runs even when the radio was ticked already: it refills the
    // format list, which the format rule then turns into parametric stereo.
    RunPresetHandler("rbAACOutputCh2Click", rbAACOutputCh2);
    RunAACEncEngineChange();
    RunCTFormatChange();
    RunOTAModeClick();
    KDCmdl();
}

void TMainForm::PSNDAACPresets()
{
    static constexpr std::array<int, 4> qualities{10, 15, 18, 20};
    int tag = 0;
    QAction *item = PresetItemOfSender(&tag);
    if (!item || ValueOfTag(qualities, tag) < 0)
        return;
    TickPresetItem(PresetsAACPSND, item);
    SelectItem(cbAACEncEngine, 2);
    NDFrame1->rbQuality->setChecked(true);
    SelectItem(NDFrame1->TntComboBox1, 3);
    SetAdvancedBoxes(true);
    rbAACOutputCh2->setChecked(true);
    ResetResampling();
    ShowPresetPage(TabSheet1);
    item->setChecked(true);
    NDFrame1->trackBar->setValue(ValueOfTag(qualities, tag));
    RunOTAModeClick();
    RunAACEncEngineChange();
    KDCmdl();
}

void TMainForm::CTHEPresets()
{
    static constexpr std::array<int, 10> bitRates{64, 80, 96, 128, 160, 192, 96, 128, 160, 212};
    // -1: the 5.1 item at 96 kbps keeps the format that stands.
    static constexpr std::array<int, 10> formats{0, 0, 0, 1, 1, 1, -1, 0, 0, 0};
    int tag = 0;
    QAction *item = PresetItemOfSender(&tag);
    if (!item || ValueOfTag(bitRates, tag) < 0)
        return;
    TickPresetItem(PresetsAACHECT, item);
    SelectItem(cbAACEncEngine, 3);
    CTFrame1->rbMPEG4->setChecked(true);
    ResetResampling();
    ShowPresetPage(TabSheet1);
    item->setChecked(true);
    if (tag <= 5) {
        SetAdvancedBoxes(true);
        rbAACOutputCh2->setChecked(true);
        CTFrame1->TrackBar->setValue(ValueOfTag(bitRates, tag));
    } else {
        SetAdvancedBoxes(false);
        CTFrame1->TrackBar->setValue(ValueOfTag(bitRates, tag));
        rbAACOutputCh6->setChecked(true);
    }
    SelectItem(CTFrame1->cbCTFormat, ValueOfTag(formats, tag));
    RunOTAModeClick();
    RunAACEncEngineChange();
    RunCTFormatChange();
    KDCmdl();
}

void TMainForm::NDHEPresets()
{
    static constexpr std::array<int, 6> qualities{25, 28, 30, 34, 20, 25};
    int tag = 0;
    QAction *item = PresetItemOfSender(&tag);
    if (!item || ValueOfTag(qualities, tag) < 0)
        return;
    TickPresetItem(PresetsAACHEND, item);
    SelectItem(cbAACEncEngine, 2);
    NDFrame1->rbQuality->setChecked(true);
    SelectItem(NDFrame1->TntComboBox1, 2);
    ResetResampling();
    ShowPresetPage(TabSheet1);
    item->setChecked(true);
    ApplyNDChannelsAndQuality(tag <= 3, ValueOfTag(qualities, tag));
    RunOTAModeClick();
    RunAACEncEngineChange();
    KDCmdl();
}

void TMainForm::CTLCAACPresets()
{
    static constexpr std::array<int, 6> bitRates{96, 128, 160, 160, 192, 256};
    int tag = 0;
    QAction *item = PresetItemOfSender(&tag);
    if (!item || ValueOfTag(bitRates, tag) < 0)
        return;
    TickPresetItem(PresetsAACLCCT, item);
    SelectItem(cbAACEncEngine, 3);
    CTFrame1->rbMPEG4->setChecked(true);
    ResetResampling();
    ShowPresetPage(TabSheet1);
    item->setChecked(true);
    if (tag <= 2) {
        SetAdvancedBoxes(true);
        rbAACOutputCh2->setChecked(true);
        CTFrame1->TrackBar->setValue(ValueOfTag(bitRates, tag));
        SelectItem(CTFrame1->cbCTFormat, 2);
    } else {
        SetAdvancedBoxes(false);
        rbAACOutputCh6->setChecked(true);
        // "LC AAC" is chosen before the bit rate: with the 5.1 list's HE AAC still selected, the
        // bit-rate rule would cut the preset's rate to the HE AAC limit of 213 kbps.
        SelectItem(CTFrame1->cbCTFormat, 1);
        CTFrame1->TrackBar->setValue(ValueOfTag(bitRates, tag));
    }
    RunOTAModeClick();
    RunCTFormatChange();
    RunAACEncEngineChange();
    KDCmdl();
}

void TMainForm::LCPresets()
{
    static constexpr std::array<int, 6> qualities{40, 47, 54, 66, 20, 25};
    int tag = 0;
    QAction *item = PresetItemOfSender(&tag);
    if (!item || ValueOfTag(qualities, tag) < 0)
        return;
    TickPresetItem(PresetsAACLCND, item);
    SelectItem(cbAACEncEngine, 2);
    NDFrame1->rbQuality->setChecked(true);
    SelectItem(NDFrame1->TntComboBox1, 1);
    ResetResampling();
    ShowPresetPage(TabSheet1);
    item->setChecked(true);
    ApplyNDChannelsAndQuality(tag <= 3, ValueOfTag(qualities, tag));
    RunOTAModeClick();
    RunAACEncEngineChange();
    KDCmdl();
}

void TMainForm::ApplyNDChannelsAndQuality(bool stereo, int quality)
{
    if (stereo) {
        SetAdvancedBoxes(true);
        NDFrame1->trackBar->setValue(quality);
        rbAACOutputCh2->setChecked(true);
    } else {
        rbAACOutputCh6->setChecked(true);
        SetAdvancedBoxes(false);
        NDFrame1->trackBar->setValue(quality);
    }
}

void TMainForm::FAACPresets()
{
    static constexpr std::array<int, 5> abrValues{96, 128, 160, 160, 256};
    int tag = 0;
    QAction *item = PresetItemOfSender(&tag);
    if (!item || ValueOfTag(abrValues, tag) < 0)
        return;
    TickPresetItem(PresetsAACLCFAAC, item);
    SelectItem(cbAACEncEngine, 1);
    FaacFrame1->rbFaacABRMode->setChecked(true);
    ResetResampling();
    ShowPresetPage(TabSheet1);
    item->setChecked(true);
    if (tag <= 2) {
        rbAACOutputCh2->setChecked(true);
        SetAdvancedBoxes(true);
    } else {
        rbAACOutputCh6->setChecked(true);
        SetAdvancedBoxes(false);
    }
    FaacFrame1->SpEdFAACABRMode->setValue(ValueOfTag(abrValues, tag));
    RunOTAModeClick();
    RunAACEncEngineChange();
    KDCmdl();
}

void TMainForm::AC3Presets()
{
    // Positions of the nineteen-step bit-rate scale: 12 = 256, 14 = 384, 15 = 448 kbps.
    static constexpr std::array<int, 5> positions{12, 14, 15, 14, 15};
    int tag = 0;
    QAction *item = PresetItemOfSender(&tag);
    if (!item || ValueOfTag(positions, tag) < 0)
        return;
    TickPresetItem(PresetsAC3, item);
    rbAften->setChecked(true);
    AftenFrame1->rbAftenBitrate->setChecked(true);
    ResetResampling();
    ShowPresetPage(TabSheet2);
    item->setChecked(true);
    if (tag <= 2) {
        SetAdvancedBoxes(true);
        rbAC3OutputCh2->setChecked(true);
    } else {
        SetAdvancedBoxes(false);
        rbAC3OutputCh6->setChecked(true);
    }
    AftenFrame1->AC3TrackBar->setValue(ValueOfTag(positions, tag));
    RunOTAModeClick();
    KDCmdl();
}

void TMainForm::MP2Presets()
{
    // (S)VCD: 44100 Hz at 224 kbps; DVD: 48000 Hz at 256 kbps.
    static constexpr std::array<int, 2> sampleRateItems{7, 8};
    static constexpr std::array<int, 2> positions{7, 8};
    int tag = 0;
    QAction *item = PresetItemOfSender(&tag);
    if (!item || ValueOfTag(positions, tag) < 0)
        return;
    TickPresetItem(PresetsMP2, item);
    SetAdvancedBoxes(true);
    // These presets resample, so the resampling is not reset.
    ShowPresetPage(TabSheet3);
    item->setChecked(true);
    chSSRC->setChecked(true);
    SelectItem(cbSSRC, ValueOfTag(sampleRateItems, tag));
    rbMP2TooLame->setChecked(true);
    MP2TrackBar->setValue(ValueOfTag(positions, tag));
    chMP2EncMode->setChecked(true);
    SelectItem(cbMP2EncMode, 2);
    RunOTAModeClick();
    KDCmdl();
}

void TMainForm::MP3Presets()
{
    int tag = 0;
    QAction *item = PresetItemOfSender(&tag);
    if (!item || tag < 0 || tag > 2)
        return;
    TickPresetItem(PresetsMP3, item);
    SetAdvancedBoxes(true);
    ResetResampling();
    ShowPresetPage(TabSheet4);
    item->setChecked(true);
    if (tag == 0) {
        rbMP3Bitrate->setChecked(true);
        LameFrame1->MP3TrackBar_Bitrate->setValue(128);
    } else {
        rbMP3Quality->setChecked(true);
        LameFrame1->MP3TrackBar_Quality->setValue(tag == 1 ? 7 : 6);
        SelectItem(LameFrame1->cbVBRMode, tag == 1 ? 0 : 1);
    }
    RunOTAModeClick();
    KDCmdl();
}

void TMainForm::OGGPresets()
{
    static constexpr std::array<int, 8> positions{200, 300, 400, 500, 600, 200, 300, 400};
    int tag = 0;
    QAction *item = PresetItemOfSender(&tag);
    if (!item || ValueOfTag(positions, tag) < 0)
        return;
    TickPresetItem(PresetsVORBIS, item);
    ResetResampling();
    ShowPresetPage(TabSheet5);
    item->setChecked(true);
    if (tag <= 4) {
        SetAdvancedBoxes(true);
        rbVORBISOutputCh2->setChecked(true);
    } else {
        SetAdvancedBoxes(false);
        rbVORBISOutputCh6->setChecked(true);
    }
    VORBISScrollBar->setEnabled(true);
    VORBISScrollBar->setValue(ValueOfTag(positions, tag));
    RunPresetHandler("rbVORBISQualityClick", rbVORBISQuality);
    RunOTAModeClick();
    KDCmdl();
}

void TMainForm::WAVPresets()
{
    int tag = 0;
    QAction *item = PresetItemOfSender(&tag);
    if (!item || tag < 0 || tag > 2)
        return;
    TickPresetItem(PresetsWAV, item);
    ResetResampling();
    ShowPresetPage(TabSheet6);
    item->setChecked(true);
    switch (tag) {
    case 0:
        SetAdvancedBoxes(true);
        rbWAVOutput->setChecked(true);
        rbWAVOutput2->setChecked(true);
        break;
    case 1:
        SetAdvancedBoxes(false);
        rbWAVOutput->setChecked(true);
        rbWAVOutput1->setChecked(true);
        gbWAVOutputCh->setVisible(true);
        break;
    default:
        SetAdvancedBoxes(false);
        rbDDWAVOutput->setChecked(true);
        gbWAVOutputCh->setVisible(false);
        break;
    }
    RunOTAModeClick();
    KDCmdl();
}
