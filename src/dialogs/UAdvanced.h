#pragma once

#include <QDialog>

#include <functional>
#include <memory>

namespace Ui { class TAdvancedSet; }

class QCheckBox;
class QLineEdit;

// The advanced settings: the decoder's options, tempo, pitch, rate and frame-rate changes,
// partial encoding, the plug-in DLL, the equaliser, appended silence, ID3 tags and the
// transcoder's log. The controls are the settings; the command-line builder reads them directly
// and reads the eight command-line fragments (UMainGlobals.h) that this dialog keeps up to date.
// Every option handler ends by rebuilding the selected job's command line. The settings are
// loaded from [Zolvane] of the settings file at each showing (and once at start-up by the main
// window) and saved at each close.
class TAdvancedSet : public QDialog
{
    Q_OBJECT
public:
    explicit TAdvancedSet(QWidget *parent = nullptr);
    ~TAdvancedSet() override;

    // Loads the settings, hands the selected job's file to the main window's input-type check and
    // ticks the log box. Runs at every showing; the main window also calls it once at start-up.
    void FormShow();
    // Writes the settings (36 keys of [Zolvane]). Runs every time the dialog closes.
    void FormClose();

    // Replaceable dialogs (tests set them; null means the toolkit's own).
    // The information box that tells the normalisation maximum, and the error box of a failed
    // settings write.
    static std::function<void(QWidget *parent, const QString &text, bool error)> MessageHook;
    // The open dialogs of the plug-in and equaliser edits: the dialog's name, the filter and the
    // proposed file in; the chosen file out, empty when cancelled.
    static std::function<QString(QWidget *parent, const QString &dialogName, const QString &filter,
                                 const QString &fileName)>
        OpenDialogHook;

public slots:
    void btOKClick();

    // Box handlers.
    void chLFEtoLRClick();
    void chOutputModeClick();
    void chDNRClick();
    void chNormalizeClick();
    void chRearChanClick();
    void chManGainClick();
    void chSoundTouchFRCClick();
    void chSoundTouchTempoClick();
    void chSoundTouchPitchClick();
    void chSoundTouchRateClick();
    void chSoundTouchQuickerClick();
    void chSoundTouchDisAntiAliasClick();
    void chPartialEncStartClick();
    void chPartialEncEndClick();
    void chExternalPlugDLLNameClick();
    void chExternalPlugFuncClick();
    void chEqualizerClick();
    void chAppendSilenceClick();
    void chNoID3TagsClick();
    void chOutputLogClick();
    void chOutputLogaClick();
    void cbOutputModeChange();

    // Value handlers.
    void edLFEtoLRChange();
    void edManGainChange();
    void edNormalizeChange();
    void ed1SoundTouchFRCChange();
    void ed2SoundTouchFRCChange();
    void SpEdtSoundTouchTempoChange();
    void SpEdtSoundTouchPitchChange();
    void SpEdtSoundTouchRateChange();
    void edPartialEncStartChange();
    void edPartialEncEndChange();
    void edExternalPlugNameChange();
    void edExternalPlugFuncChange();
    void edEqualizerChange();
    void edAppendSilenceChange();

    // File pickers.
    void edExternalPlugNameClick();
    void edEqualizerClick();

    // Hints composed from the message texts when the mouse moves over the box.
    void chOutputModeMouseMove();
    void chDNRMouseMove();
    void chNormalizeMouseMove();
    void chSoundTouchTempoMouseMove();
    void chSoundTouchPitchMouseMove();
    void chSoundTouchRateMouseMove();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ConnectHandlers();
    // The decibel ending on one of the two gain edits.
    void DecibelRule(QLineEdit *edit);
    // Rebuilds the eight command-line fragments from the boxes and the current texts.
    void RefreshFragments();
    // Runs the main window's command-line builder.
    void Rebuild();
    void ShowMessageBox(const QString &text, bool error);
    // Runs an open dialog; the chosen file, or empty when cancelled.
    QString RunOpenDialog(const QString &dialogName, const QString &filter, const QString &fileName);

    std::unique_ptr<Ui::TAdvancedSet> ui;
};

extern TAdvancedSet *AdvancedSet;
