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
#include <span>

namespace {

// The value of `table` for `tag`, or -1 when the tag lies outside it.
template <std::size_t N>
int ValueOfTag(const std::array<int, N> &table, int tag)
{
    return tag >= 0 && tag < static_cast<int>(N) ? table[static_cast<std::size_t>(tag)] : -1;
}

// Sets a combo box's item from code; like the user's choice in the list it runs no handler here,
// the preset runs the handler itself where one is wanted. An editable combo box also shows the
// item's text again, in place of any text typed over it.
void SelectItem(QComboBox *combo, int index)
{
    if (combo && index >= 0 && index < combo->count()) {
        combo->setCurrentIndex(index);
        if (combo->isEditable())
            combo->setEditText(combo->itemText(index));
    }
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
            // Every preset ends by naming the outputs for the page and engine it chose.
            connect(item, &QAction::triggered, this, &TMainForm::InOutFileNameOfSelectedRow);
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

QAction *TMainForm::StartPreset(QMenu *family, int items, int *tag)
{
    QAction *item = PresetItemOfSender(tag);
    if (!item || *tag < 0 || *tag >= items)
        return nullptr;
    TickPresetItem(family, item);
    return item;
}

void TMainForm::SelectCTEngine()
{
    SelectItem(cbAACEncEngine, 3);
    CTFrame1->rbMPEG4->setChecked(true);
}

void TMainForm::SelectNDEngine(int profile)
{
    SelectItem(cbAACEncEngine, 2);
    NDFrame1->rbQuality->setChecked(true);
    SelectItem(NDFrame1->TntComboBox1, profile);
}

void TMainForm::SetAdvancedBoxes(bool on)
{
    // The pages' own downmix step: the boxes and the keys that the advanced dialog takes into
    // them at its next showing.
    if (on)
        DownmixStereoStep();
    else
        DownmixMultichannelStep();
}

void TMainForm::SetBoxesAndChannels(bool stereo, QAbstractButton *stereoRadio,
                                    QAbstractButton *surroundRadio)
{
    SetAdvancedBoxes(stereo);
    (stereo ? stereoRadio : surroundRadio)->setChecked(true);
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

void TMainForm::OpenPresetPage(QWidget *page, QAction *item)
{
    ResetResampling();
    ShowPresetPage(page);
    item->setChecked(true);
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

void TMainForm::SetCTTarget(bool stereo, int kbps, int format)
{
    // The channel radio's handler runs even when the radio was ticked already: a preset of
    // another engine may have changed the channels meanwhile, which leaves the format list of
    // the other choice (and item 1 means "HE AAC High" in one list and "LC AAC" in the other).
    QAbstractButton *radio = stereo ? rbAACOutputCh2 : rbAACOutputCh6;
    if (radio->isChecked())
        RunPresetHandler(stereo ? "rbAACOutputCh2Click" : "rbAACOutputCh6Click", radio);
    else
        radio->setChecked(true);
    // The format from the list now in place, then the rate: the bit-rate rule runs the format
    // rule for both, and neither limit of the format that stood before applies.
    SelectItem(CTFrame1->cbCTFormat, format);
    CTFrame1->TrackBar->setValue(kbps);
}

void TMainForm::PSCTAACPresets()
{
    static constexpr std::array<int, 5> bitRates{10, 16, 24, 32, 48};
    int tag = 0;
    QAction *item = StartPreset(PresetsAACPSCT, static_cast<int>(bitRates.size()), &tag);
    if (!item)
        return;
    RunOtherPageHandler([this, item, tag] {
        SelectCTEngine();
        SetAdvancedBoxes(true);
        OpenPresetPage(TabSheet1, item);
        // Stereo with its format list and "HE AAC" first, the rate after them; the format rule
        // then turns the low rate into parametric stereo.
        SetCTTarget(true, ValueOfTag(bitRates, tag), 0);
        EndOnNestedOtherPageFailure();
        RunPresetHandler("rbAACOutputCh2Click", rbAACOutputCh2);
        RunAACEncEngineChange();
        RunCTFormatChange();
        RunOTAModeClick();
        KDCmdl();
    });
}

void TMainForm::PSNDAACPresets()
{
    static constexpr std::array<int, 4> qualities{10, 15, 18, 20};
    int tag = 0;
    QAction *item = StartPreset(PresetsAACPSND, static_cast<int>(qualities.size()), &tag);
    if (!item)
        return;
    RunOtherPageHandler([this, item, tag] {
        SelectNDEngine(3);
        SetAdvancedBoxes(true);
        rbAACOutputCh2->setChecked(true);
        OpenPresetPage(TabSheet1, item);
        NDFrame1->trackBar->setValue(ValueOfTag(qualities, tag));
        EndOnNestedOtherPageFailure();
        RunOTAModeClick();
        RunAACEncEngineChange();
        KDCmdl();
    });
}

void TMainForm::CTHEPresets()
{
    static constexpr std::array<int, 10> bitRates{64, 80, 96, 128, 160, 192, 96, 128, 160, 212};
    // Every item is HE AAC: "HE AAC" or "HE AAC High" of the stereo list, "HE AAC" of the 5.1
    // list, whatever format stood before.
    static constexpr std::array<int, 10> formats{0, 0, 0, 1, 1, 1, 0, 0, 0, 0};
    int tag = 0;
    QAction *item = StartPreset(PresetsAACHECT, static_cast<int>(bitRates.size()), &tag);
    if (!item)
        return;
    RunOtherPageHandler([this, item, tag] {
        SelectCTEngine();
        OpenPresetPage(TabSheet1, item);
        const bool stereo = tag <= 5;
        SetAdvancedBoxes(stereo);
        SetCTTarget(stereo, ValueOfTag(bitRates, tag), ValueOfTag(formats, tag));
        EndOnNestedOtherPageFailure();
        RunOTAModeClick();
        RunAACEncEngineChange();
        RunCTFormatChange();
        KDCmdl();
    });
}

void TMainForm::NDHEPresets()
{
    static constexpr std::array<int, 6> qualities{25, 28, 30, 34, 20, 25};
    NDQualityPreset(PresetsAACHEND, 2, qualities);
}

void TMainForm::CTLCAACPresets()
{
    static constexpr std::array<int, 6> bitRates{96, 128, 160, 160, 192, 256};
    int tag = 0;
    QAction *item = StartPreset(PresetsAACLCCT, static_cast<int>(bitRates.size()), &tag);
    if (!item)
        return;
    RunOtherPageHandler([this, item, tag] {
        SelectCTEngine();
        OpenPresetPage(TabSheet1, item);
        const bool stereo = tag <= 2;
        SetAdvancedBoxes(stereo);
        // "LC AAC" is item 2 of the stereo list and item 1 of the 5.1 list. It is chosen before
        // the bit rate: with the 5.1 list's HE AAC still selected, the bit-rate rule would cut
        // the preset's rate to the HE AAC limit of 213 kbps.
        SetCTTarget(stereo, ValueOfTag(bitRates, tag), stereo ? 2 : 1);
        EndOnNestedOtherPageFailure();
        RunOTAModeClick();
        RunCTFormatChange();
        RunAACEncEngineChange();
        KDCmdl();
    });
}

void TMainForm::LCPresets()
{
    static constexpr std::array<int, 6> qualities{40, 47, 54, 66, 20, 25};
    NDQualityPreset(PresetsAACLCND, 1, qualities);
}

// The HE and LC families of Nero Digital by quality differ only in the profile and the
// qualities: the first four items are stereo, the last two 5.1.
void TMainForm::NDQualityPreset(QMenu *family, int profile, std::span<const int, 6> qualities)
{
    int tag = 0;
    QAction *item = StartPreset(family, static_cast<int>(qualities.size()), &tag);
    if (!item)
        return;
    RunOtherPageHandler([this, item, tag, profile, qualities] {
        SelectNDEngine(profile);
        OpenPresetPage(TabSheet1, item);
        const int quality = qualities[static_cast<std::size_t>(tag)];
        if (tag <= 3) {
            SetAdvancedBoxes(true);
            NDFrame1->trackBar->setValue(quality);
            rbAACOutputCh2->setChecked(true);
        } else {
            rbAACOutputCh6->setChecked(true);
            SetAdvancedBoxes(false);
            NDFrame1->trackBar->setValue(quality);
        }
        EndOnNestedOtherPageFailure();
        RunOTAModeClick();
        RunAACEncEngineChange();
        KDCmdl();
    });
}

void TMainForm::FAACPresets()
{
    static constexpr std::array<int, 5> abrValues{96, 128, 160, 160, 256};
    int tag = 0;
    QAction *item = StartPreset(PresetsAACLCFAAC, static_cast<int>(abrValues.size()), &tag);
    if (!item)
        return;
    RunOtherPageHandler([this, item, tag] {
        SelectItem(cbAACEncEngine, 1);
        FaacFrame1->rbFaacABRMode->setChecked(true);
        OpenPresetPage(TabSheet1, item);
        if (tag <= 2) {
            rbAACOutputCh2->setChecked(true);
            SetAdvancedBoxes(true);
        } else {
            rbAACOutputCh6->setChecked(true);
            SetAdvancedBoxes(false);
        }
        FaacFrame1->SpEdFAACABRMode->setValue(ValueOfTag(abrValues, tag));
        EndOnNestedOtherPageFailure();
        RunOTAModeClick();
        RunAACEncEngineChange();
        KDCmdl();
    });
}

void TMainForm::AC3Presets()
{
    // Positions of the nineteen-step bit-rate scale: 12 = 256, 14 = 384, 15 = 448 kbps.
    static constexpr std::array<int, 5> positions{12, 14, 15, 14, 15};
    int tag = 0;
    QAction *item = StartPreset(PresetsAC3, static_cast<int>(positions.size()), &tag);
    if (!item)
        return;
    RunOtherPageHandler([this, item, tag] {
        rbAften->setChecked(true);
        AftenFrame1->rbAftenBitrate->setChecked(true);
        OpenPresetPage(TabSheet2, item);
        SetBoxesAndChannels(tag <= 2, rbAC3OutputCh2, rbAC3OutputCh6);
        AftenFrame1->AC3TrackBar->setValue(ValueOfTag(positions, tag));
        EndOnNestedOtherPageFailure();
        RunOTAModeClick();
        KDCmdl();
    });
}

void TMainForm::MP2Presets()
{
    // (S)VCD: 44100 Hz at 224 kbps; DVD: 48000 Hz at 256 kbps.
    static constexpr std::array<int, 2> sampleRateItems{7, 8};
    static constexpr std::array<int, 2> positions{7, 8};
    int tag = 0;
    QAction *item = StartPreset(PresetsMP2, static_cast<int>(positions.size()), &tag);
    if (!item)
        return;
    RunOtherPageHandler([this, item, tag] {
        SetAdvancedBoxes(true);
        // These presets resample, so the resampling is not reset.
        ShowPresetPage(TabSheet3);
        item->setChecked(true);
        chSSRC->setChecked(true);
        SelectItem(cbSSRC, ValueOfTag(sampleRateItems, tag));
        // What follows the chosen rate (the VORBIS page's estimate) takes the preset's rate.
        RunPresetHandler("cbSSRCChange", cbSSRC);
        rbMP2TooLame->setChecked(true);
        MP2TrackBar->setValue(ValueOfTag(positions, tag));
        chMP2EncMode->setChecked(true);
        SelectItem(cbMP2EncMode, 2);
        EndOnNestedOtherPageFailure();
        RunOTAModeClick();
        KDCmdl();
    });
}

void TMainForm::MP3Presets()
{
    int tag = 0;
    QAction *item = StartPreset(PresetsMP3, 3, &tag);
    if (!item)
        return;
    RunOtherPageHandler([this, item, tag] {
        SetAdvancedBoxes(true);
        OpenPresetPage(TabSheet4, item);
        // The presets are LAME's stereo targets: with 5.1 (the Aud-X encoder) ticked before, the
        // LAME frame and its target would not be the ones encoding.
        rbMP3Ch2->setChecked(true);
        if (tag == 0) {
            rbMP3Bitrate->setChecked(true);
            LameFrame1->MP3TrackBar_Bitrate->setValue(128);
        } else {
            rbMP3Quality->setChecked(true);
            LameFrame1->MP3TrackBar_Quality->setValue(tag == 1 ? 7 : 6);
            SelectItem(LameFrame1->cbVBRMode, tag == 1 ? 0 : 1);
        }
        EndOnNestedOtherPageFailure();
        RunOTAModeClick();
        KDCmdl();
    });
}

void TMainForm::OGGPresets()
{
    static constexpr std::array<int, 8> positions{200, 300, 400, 500, 600, 200, 300, 400};
    int tag = 0;
    QAction *item = StartPreset(PresetsVORBIS, static_cast<int>(positions.size()), &tag);
    if (!item)
        return;
    RunOtherPageHandler([this, item, tag] {
        OpenPresetPage(TabSheet5, item);
        SetBoxesAndChannels(tag <= 4, rbVORBISOutputCh2, rbVORBISOutputCh6);
        // The presets are quality targets: the quality mode is ticked, not only its bar enabled.
        rbVORBISQuality->setChecked(true);
        VORBISScrollBar->setEnabled(true);
        VORBISScrollBar->setValue(ValueOfTag(positions, tag));
        EndOnNestedOtherPageFailure();
        RunPresetHandler("rbVORBISQualityClick", rbVORBISQuality);
        RunOTAModeClick();
        KDCmdl();
    });
}

void TMainForm::WAVPresets()
{
    int tag = 0;
    QAction *item = StartPreset(PresetsWAV, 3, &tag);
    if (!item)
        return;
    RunOtherPageHandler([this, item, tag] {
        OpenPresetPage(TabSheet6, item);
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
        EndOnNestedOtherPageFailure();
        RunOTAModeClick();
        KDCmdl();
    });
}
