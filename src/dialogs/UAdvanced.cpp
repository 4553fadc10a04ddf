#include "UAdvanced.h"
#include "ui_TAdvancedSet.h"

#include "AdvancedRules.h"
#include "DialogSupport.h"
#include "IniFile.h"
#include "JobRow.h"
#include "LanguageStrings.h"
#include "UMain.h"
#include "UMainGlobals.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QMouseEvent>
#include <QShowEvent>
#include <QTreeWidget>

#include <vector>

TAdvancedSet *AdvancedSet = nullptr;

std::function<void(QWidget *, const QString &, bool)> TAdvancedSet::MessageHook;
std::function<QString(QWidget *, const QString &, const QString &, const QString &)> TAdvancedSet::OpenDialogHook;

namespace {

const QString kSection = QStringLiteral("Zolvane");

// Ticks or unticks a box; a box already in that state is left alone, so its handler runs only on
// a real change.
void SetBox(QCheckBox *box, bool ticked)
{
    if (box && box->isChecked() != ticked)
        box->setChecked(ticked);
}

} // namespace

TAdvancedSet::TAdvancedSet(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TAdvancedSet>())
{
    setObjectName(QStringLiteral("AdvancedSet"));
    ui->setupUi(this);
    // A fixed-size window with a title bar and its close button only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    // The tempo takes at most four characters, as "5000" or "-95".
    if (auto *tempoText = ui->SpEdtSoundTouchTempo->findChild<QLineEdit *>())
        tempoText->setMaxLength(4);
    ConnectHandlers();
}

TAdvancedSet::~TAdvancedSet() = default;

void TAdvancedSet::ConnectHandlers()
{
    connect(ui->btOk, &QAbstractButton::clicked, this, &TAdvancedSet::btOKClick);
    // Every way of closing (Ok, Escape, the title bar) ends in done(), which emits finished.
    connect(this, &QDialog::finished, this, &TAdvancedSet::FormClose);

    const struct {
        QCheckBox *box;
        void (TAdvancedSet::*handler)();
    } boxes[] = {
        {ui->chLFEtoLR, &TAdvancedSet::chLFEtoLRClick},
        {ui->chOutputMode, &TAdvancedSet::chOutputModeClick},
        {ui->chDNR, &TAdvancedSet::chDNRClick},
        {ui->chNormalize, &TAdvancedSet::chNormalizeClick},
        {ui->chRearChan, &TAdvancedSet::chRearChanClick},
        {ui->chManGain, &TAdvancedSet::chManGainClick},
        {ui->chSoundTouchFRC, &TAdvancedSet::chSoundTouchFRCClick},
        {ui->chSoundTouchTempo, &TAdvancedSet::chSoundTouchTempoClick},
        {ui->chSoundTouchPitch, &TAdvancedSet::chSoundTouchPitchClick},
        {ui->chSoundTouchRate, &TAdvancedSet::chSoundTouchRateClick},
        {ui->chSoundTouchQuicker, &TAdvancedSet::chSoundTouchQuickerClick},
        {ui->chSoundTouchDisAntiAlias, &TAdvancedSet::chSoundTouchDisAntiAliasClick},
        {ui->chPartialEncStart, &TAdvancedSet::chPartialEncStartClick},
        {ui->chPartialEncEnd, &TAdvancedSet::chPartialEncEndClick},
        {ui->chExternalPlugDLLName, &TAdvancedSet::chExternalPlugDLLNameClick},
        {ui->chExternalPlugFunc, &TAdvancedSet::chExternalPlugFuncClick},
        {ui->chEqualizer, &TAdvancedSet::chEqualizerClick},
        {ui->chAppendSilence, &TAdvancedSet::chAppendSilenceClick},
        {ui->chNoID3Tags, &TAdvancedSet::chNoID3TagsClick},
        {ui->chOutputLog, &TAdvancedSet::chOutputLogClick},
        {ui->chOutputLoga, &TAdvancedSet::chOutputLogaClick},
    };
    for (const auto &b : boxes)
        connect(b.box, &QAbstractButton::toggled, this, b.handler);
    connect(ui->cbOutputMode, &QComboBox::activated, this, &TAdvancedSet::cbOutputModeChange);

    const struct {
        QLineEdit *edit;
        void (TAdvancedSet::*handler)();
    } edits[] = {
        {ui->edLFEtoLR, &TAdvancedSet::edLFEtoLRChange},
        {ui->edManGain, &TAdvancedSet::edManGainChange},
        {ui->edNormalize, &TAdvancedSet::edNormalizeChange},
        {ui->ed1SoundTouchFRC, &TAdvancedSet::ed1SoundTouchFRCChange},
        {ui->ed2SoundTouchFRC, &TAdvancedSet::ed2SoundTouchFRCChange},
        {ui->edPartialEncStart, &TAdvancedSet::edPartialEncStartChange},
        {ui->edPartialEncEnd, &TAdvancedSet::edPartialEncEndChange},
        {ui->edExternalPlugName, &TAdvancedSet::edExternalPlugNameChange},
        {ui->edExternalPlugFunc, &TAdvancedSet::edExternalPlugFuncChange},
        {ui->edEqualizer, &TAdvancedSet::edEqualizerChange},
        {ui->edAppendSilence, &TAdvancedSet::edAppendSilenceChange},
    };
    for (const auto &e : edits)
        connect(e.edit, &QLineEdit::textChanged, this, e.handler);
    connect(ui->SpEdtSoundTouchTempo, &QSpinBox::valueChanged, this, &TAdvancedSet::SpEdtSoundTouchTempoChange);
    connect(ui->SpEdtSoundTouchPitch, &QSpinBox::valueChanged, this, &TAdvancedSet::SpEdtSoundTouchPitchChange);
    connect(ui->SpEdtSoundTouchRate, &QSpinBox::valueChanged, this, &TAdvancedSet::SpEdtSoundTouchRateChange);

    // Key filters, file pickers and hints.
    for (QLineEdit *edit : {ui->edLFEtoLR, ui->edManGain, ui->edNormalize, ui->ed1SoundTouchFRC,
                            ui->ed2SoundTouchFRC, ui->edPartialEncStart, ui->edPartialEncEnd, ui->edAppendSilence,
                            ui->edExternalPlugName, ui->edEqualizer})
        edit->installEventFilter(this);
    // Pasted or dropped text obeys the same filters as typed characters.
    for (QLineEdit *edit : {ui->edLFEtoLR, ui->edManGain})
        FilterInsertedText(edit, [](QChar c, const QString &text) {
            return AdvancedKeyAccepted(AdvancedKeySet::Decibel, c, text);
        });
    for (QLineEdit *edit : {ui->edNormalize, ui->ed1SoundTouchFRC, ui->ed2SoundTouchFRC, ui->edPartialEncStart,
                            ui->edPartialEncEnd, ui->edAppendSilence})
        FilterInsertedText(edit, [](QChar c, const QString &text) {
            return AdvancedKeyAccepted(AdvancedKeySet::Number, c, text);
        });
    for (QCheckBox *box : {ui->chOutputMode, ui->chDNR, ui->chNormalize, ui->chSoundTouchTempo,
                           ui->chSoundTouchPitch, ui->chSoundTouchRate}) {
        box->setMouseTracking(true);
        box->installEventFilter(this);
    }
}

// ---- Events ------------------------------------------------------------------------------------

void TAdvancedSet::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        CentreOnMainForm(this);
        FormShow();
    }
    QDialog::showEvent(event);
}

bool TAdvancedSet::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto *edit = qobject_cast<QLineEdit *>(watched);
        if (!edit || edit == ui->edExternalPlugName || edit == ui->edEqualizer)
            break;
        const auto *key = static_cast<QKeyEvent *>(event);
        const QString typed = key->text();
        // Only typed characters are filtered; editing keys and shortcuts (Ctrl+C, Ctrl+V ...)
        // pass.
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            break;
        if (typed.size() != 1 || (typed.at(0) < QLatin1Char(' ') && typed.at(0) != QChar(u'\b')))
            break;
        const AdvancedKeySet set = (edit == ui->edLFEtoLR || edit == ui->edManGain) ? AdvancedKeySet::Decibel
                                                                                      : AdvancedKeySet::Number;
        if (!AdvancedKeyAccepted(set, typed.at(0), edit->text()))
            return true;
        break;
    }
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        auto *edit = qobject_cast<QLineEdit *>(watched);
        if (mouse->button() != Qt::LeftButton || !edit || !edit->isEnabled()
            || !edit->rect().contains(mouse->position().toPoint()))
            break;
        // Run the picker once the edit has finished with the click.
        if (edit == ui->edExternalPlugName)
            QMetaObject::invokeMethod(this, &TAdvancedSet::edExternalPlugNameClick, Qt::QueuedConnection);
        else if (edit == ui->edEqualizer)
            QMetaObject::invokeMethod(this, &TAdvancedSet::edEqualizerClick, Qt::QueuedConnection);
        break;
    }
    case QEvent::Enter:
    case QEvent::MouseMove:
    case QEvent::ToolTip:
        if (watched == ui->chOutputMode)
            chOutputModeMouseMove();
        else if (watched == ui->chDNR)
            chDNRMouseMove();
        else if (watched == ui->chNormalize)
            chNormalizeMouseMove();
        else if (watched == ui->chSoundTouchTempo)
            chSoundTouchTempoMouseMove();
        else if (watched == ui->chSoundTouchPitch)
            chSoundTouchPitchMouseMove();
        else if (watched == ui->chSoundTouchRate)
            chSoundTouchRateMouseMove();
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

// ---- Shared steps ------------------------------------------------------------------------------

void TAdvancedSet::Rebuild()
{
    if (MainForm)
        MainForm->KDCmdl();
}

void TAdvancedSet::RefreshFragments()
{
    AdvancedFragmentInput in;
    in.FRC = ui->chSoundTouchFRC->isChecked();
    in.FRCFrom = ui->ed1SoundTouchFRC->text();
    in.FRCTo = ui->ed2SoundTouchFRC->text();
    in.Tempo = ui->chSoundTouchTempo->isChecked();
    // The spin edits show their numbers in the user's notation; the command line takes ASCII
    // digits and the plain minus sign.
    in.TempoText = QLocale::c().toString(ui->SpEdtSoundTouchTempo->value());
    in.Pitch = ui->chSoundTouchPitch->isChecked();
    in.PitchText = QLocale::c().toString(ui->SpEdtSoundTouchPitch->value());
    in.Rate = ui->chSoundTouchRate->isChecked();
    in.RateText = QLocale::c().toString(ui->SpEdtSoundTouchRate->value());
    in.Quicker = ui->chSoundTouchQuicker->isChecked();
    in.DisAntiAlias = ui->chSoundTouchDisAntiAlias->isChecked();
    in.PluginDLL = ui->chExternalPlugDLLName->isChecked();
    in.PluginName = ui->edExternalPlugName->text();
    in.PluginFunc = ui->chExternalPlugFunc->isChecked();
    in.PluginFuncName = ui->edExternalPlugFunc->text();
    const AdvancedFragments f = BuildAdvancedFragments(in);
    SoundTouchFRCArg = f.FRC;
    SoundTouchTempoArg = f.Tempo;
    SoundTouchPitchArg = f.Pitch;
    SoundTouchRateArg = f.Rate;
    SoundTouchQuickArg = f.Quick;
    SoundTouchNaaArg = f.Naa;
    PluginNameArg = f.PluginName;
    PluginFuncArg = f.PluginFunc;
}

void TAdvancedSet::DecibelRule(QLineEdit *edit)
{
    const QString text = edit->text();
    const QString wanted = DecibelText(text);
    if (wanted != text) {
        // Keep the caret where the user is typing, in front of the appended ending.
        const int caret = edit->cursorPosition();
        edit->setText(wanted); // runs the change handler again, which finds the ending
        edit->setCursorPosition(caret);
    }
    Rebuild();
}

void TAdvancedSet::ShowMessageBox(const QString &text, bool error)
{
    if (MessageHook) {
        MessageHook(this, text, error);
        return;
    }
    QWidget *parent = isVisible() ? static_cast<QWidget *>(this) : MainFormWidget();
    QMessageBox box(error ? QMessageBox::Critical : QMessageBox::Information, QApplication::applicationDisplayName(),
                    text, QMessageBox::Ok, parent);
    box.exec();
}

QString TAdvancedSet::RunOpenDialog(const QString &dialogName, const QString &filter, const QString &fileName)
{
    if (OpenDialogHook)
        return OpenDialogHook(this, dialogName, filter, fileName);
    QFileDialog dialog(this);
    dialog.setObjectName(dialogName);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(filter);
    if (!fileName.isEmpty())
        dialog.selectFile(fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

// ---- Box handlers ------------------------------------------------------------------------------

void TAdvancedSet::btOKClick()
{
    accept();
}

void TAdvancedSet::chLFEtoLRClick()
{
    ui->edLFEtoLR->setEnabled(ui->chLFEtoLR->isChecked());
    DecibelRule(ui->edLFEtoLR);
}

void TAdvancedSet::chOutputModeClick()
{
    ui->cbOutputMode->setEnabled(ui->chOutputMode->isChecked());
    cbOutputModeChange();
}

void TAdvancedSet::chDNRClick() { Rebuild(); }
void TAdvancedSet::chRearChanClick() { Rebuild(); }
void TAdvancedSet::chNoID3TagsClick() { Rebuild(); }
void TAdvancedSet::chOutputLogaClick() { Rebuild(); }
void TAdvancedSet::cbOutputModeChange() { Rebuild(); }

void TAdvancedSet::chNormalizeClick()
{
    const bool ticked = ui->chNormalize->isChecked();
    ui->edNormalize->setEnabled(ticked);
    ui->lbNormalize->setEnabled(ticked);
    // Normalisation and manual gain exclude each other by disabling, never by unticking.
    ui->chManGain->setEnabled(!ticked);
    edNormalizeChange();
}

void TAdvancedSet::chManGainClick()
{
    const bool ticked = ui->chManGain->isChecked();
    ui->edManGain->setEnabled(ticked);
    // Manual gain and the main window's gain mode exclude each other; ticking the gain mode again
    // runs its own handler, which disables this box.
    SetBox(MainFormChild<QCheckBox>("chOTAMode"), !ticked);
    ui->chNormalize->setEnabled(!ticked);
    DecibelRule(ui->edManGain);
}

void TAdvancedSet::chSoundTouchFRCClick()
{
    const bool ticked = ui->chSoundTouchFRC->isChecked();
    for (QWidget *w : {static_cast<QWidget *>(ui->ed1SoundTouchFRC), static_cast<QWidget *>(ui->ed2SoundTouchFRC),
                       static_cast<QWidget *>(ui->lbSoundTouchFRC), static_cast<QWidget *>(ui->Label1)})
        w->setEnabled(ticked);
    RefreshFragments();
    Rebuild();
}

void TAdvancedSet::chSoundTouchTempoClick()
{
    ui->SpEdtSoundTouchTempo->setEnabled(ui->chSoundTouchTempo->isChecked());
    RefreshFragments();
    Rebuild();
}

void TAdvancedSet::chSoundTouchPitchClick()
{
    ui->SpEdtSoundTouchPitch->setEnabled(ui->chSoundTouchPitch->isChecked());
    RefreshFragments();
    Rebuild();
}

void TAdvancedSet::chSoundTouchRateClick()
{
    ui->SpEdtSoundTouchRate->setEnabled(ui->chSoundTouchRate->isChecked());
    RefreshFragments();
    Rebuild();
}

void TAdvancedSet::chSoundTouchQuickerClick()
{
    RefreshFragments();
    Rebuild();
}

void TAdvancedSet::chSoundTouchDisAntiAliasClick()
{
    RefreshFragments();
    Rebuild();
}

void TAdvancedSet::chPartialEncStartClick()
{
    const bool ticked = ui->chPartialEncStart->isChecked();
    ui->edPartialEncStart->setEnabled(ticked);
    ui->lbPartialEncStart->setEnabled(ticked);
    Rebuild();
}

void TAdvancedSet::chPartialEncEndClick()
{
    const bool ticked = ui->chPartialEncEnd->isChecked();
    ui->edPartialEncEnd->setEnabled(ticked);
    ui->lbPartialEncEnd->setEnabled(ticked);
    Rebuild();
}

void TAdvancedSet::chAppendSilenceClick()
{
    const bool ticked = ui->chAppendSilence->isChecked();
    ui->edAppendSilence->setEnabled(ticked);
    ui->lbAppendSilence->setEnabled(ticked);
    Rebuild();
}

void TAdvancedSet::chEqualizerClick()
{
    ui->edEqualizer->setEnabled(ui->chEqualizer->isChecked());
    Rebuild();
}

void TAdvancedSet::chExternalPlugDLLNameClick()
{
    const bool ticked = ui->chExternalPlugDLLName->isChecked();
    // The function box follows the DLL box (its own handler runs when its state changes).
    ui->chExternalPlugFunc->setEnabled(ticked);
    SetBox(ui->chExternalPlugFunc, ticked);
    ui->edExternalPlugName->setEnabled(ticked);
    ui->edExternalPlugFunc->setEnabled(ticked);
    RefreshFragments();
    Rebuild();
}

void TAdvancedSet::chExternalPlugFuncClick()
{
    ui->edExternalPlugFunc->setEnabled(ui->chExternalPlugFunc->isChecked());
    RefreshFragments();
    Rebuild();
}

void TAdvancedSet::chOutputLogClick()
{
    ui->chOutputLoga->setEnabled(ui->chOutputLog->isChecked());
    Rebuild();
}

// ---- Value handlers ----------------------------------------------------------------------------

void TAdvancedSet::edLFEtoLRChange() { DecibelRule(ui->edLFEtoLR); }
void TAdvancedSet::edManGainChange() { DecibelRule(ui->edManGain); }

void TAdvancedSet::edNormalizeChange()
{
    const NormalizeOutcome outcome = NormalizeText(ui->edNormalize->text());
    if (outcome.Text != ui->edNormalize->text())
        ui->edNormalize->setText(outcome.Text); // runs this handler again with "100"
    if (outcome.TooLong)
        ShowMessageBox(LanguageStrings.NormalizeMaxValue, false);
    Rebuild();
}

void TAdvancedSet::ed1SoundTouchFRCChange()
{
    RefreshFragments();
    Rebuild();
}

void TAdvancedSet::ed2SoundTouchFRCChange()
{
    RefreshFragments();
    Rebuild();
}

void TAdvancedSet::SpEdtSoundTouchTempoChange()
{
    RefreshFragments();
    Rebuild();
}

void TAdvancedSet::SpEdtSoundTouchPitchChange()
{
    RefreshFragments();
    Rebuild();
}

void TAdvancedSet::SpEdtSoundTouchRateChange()
{
    RefreshFragments();
    Rebuild();
}

void TAdvancedSet::edExternalPlugNameChange()
{
    RefreshFragments();
    Rebuild();
}

void TAdvancedSet::edExternalPlugFuncChange()
{
    RefreshFragments();
    Rebuild();
}

void TAdvancedSet::edPartialEncStartChange() { Rebuild(); }
void TAdvancedSet::edPartialEncEndChange() { Rebuild(); }
void TAdvancedSet::edEqualizerChange() { Rebuild(); }
void TAdvancedSet::edAppendSilenceChange() { Rebuild(); }

// ---- File pickers ------------------------------------------------------------------------------

void TAdvancedSet::edExternalPlugNameClick()
{
    const QString chosen = RunOpenDialog(QStringLiteral("OpenDialogExternalPlug"), QStringLiteral("dll Files (*.dll)"),
                                         ui->edExternalPlugName->text());
    if (!chosen.isEmpty()) {
        ui->edExternalPlugName->setText(chosen);
        RefreshFragments();
    }
    Rebuild();
}

void TAdvancedSet::edEqualizerClick()
{
    const QString chosen = RunOpenDialog(QStringLiteral("OpenDialogSuperEqualizer"),
                                         QStringLiteral("SuperEQU Preset File (*.eq)"), ui->edEqualizer->text());
    if (!chosen.isEmpty())
        ui->edEqualizer->setText(chosen);
    Rebuild();
}

// ---- Hints -------------------------------------------------------------------------------------

void TAdvancedSet::chOutputModeMouseMove() { ui->chOutputMode->setToolTip(LanguageStrings.OutputModeHint()); }
void TAdvancedSet::chDNRMouseMove() { ui->chDNR->setToolTip(LanguageStrings.DNRHint()); }
void TAdvancedSet::chNormalizeMouseMove() { ui->chNormalize->setToolTip(LanguageStrings.NormalizeHint()); }
void TAdvancedSet::chSoundTouchTempoMouseMove() { ui->chSoundTouchTempo->setToolTip(LanguageStrings.TempoHint()); }
void TAdvancedSet::chSoundTouchPitchMouseMove() { ui->chSoundTouchPitch->setToolTip(LanguageStrings.PitchHint()); }
void TAdvancedSet::chSoundTouchRateMouseMove() { ui->chSoundTouchRate->setToolTip(LanguageStrings.RateHint()); }

// ---- Load and save -----------------------------------------------------------------------------

namespace {

// One key of [Zolvane] and its control, in reading order.
struct SettingKey {
    const char *key;
    QWidget *control;
};

std::vector<SettingKey> SettingKeys(Ui::TAdvancedSet &ui)
{
    return {
        {"check_lfe", ui.chLFEtoLR},
        {"lfe", ui.edLFEtoLR},
        {"output_mode_check", ui.chOutputMode},
        {"output_mode", ui.cbOutputMode},
        {"check_normalize", ui.chNormalize},
        {"normalize", ui.edNormalize},
        {"dnr_check", ui.chDNR},
        {"rear_chan", ui.chRearChan},
        {"man_gain_check", ui.chManGain},
        {"man_gain", ui.edManGain},
        {"check_convfr", ui.chSoundTouchFRC},
        {"in_convfr", ui.ed1SoundTouchFRC},
        {"out_convfr", ui.ed2SoundTouchFRC},
        {"tempo_check", ui.chSoundTouchTempo},
        {"tempo", ui.SpEdtSoundTouchTempo},
        {"pitch_check", ui.chSoundTouchPitch},
        {"pitch", ui.SpEdtSoundTouchPitch},
        {"rate_check", ui.chSoundTouchRate},
        {"rate", ui.SpEdtSoundTouchRate},
        {"quicker_tempo", ui.chSoundTouchQuicker},
        {"naa", ui.chSoundTouchDisAntiAlias},
        {"check_start", ui.chPartialEncStart},
        {"partial_start", ui.edPartialEncStart},
        {"check_end", ui.chPartialEncEnd},
        {"partial_end", ui.edPartialEncEnd},
        {"dllname_check", ui.chExternalPlugDLLName},
        {"dllname", ui.edExternalPlugName},
        {"dllfunc_check", ui.chExternalPlugFunc},
        {"dllfunc", ui.edExternalPlugFunc},
        {"eq_check", ui.chEqualizer},
        {"eq_name", ui.edEqualizer},
        {"silence_check", ui.chAppendSilence},
        {"silence_append", ui.edAppendSilence},
        {"output_log", ui.chOutputLog},
        {"output_loga", ui.chOutputLoga},
        {"noid3tags", ui.chNoID3Tags},
    };
}

QTreeWidgetItem *SelectedJobRow(QTreeWidget *list)
{
    if (!list)
        return nullptr;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        if (list->topLevelItem(i)->isSelected())
            return list->topLevelItem(i);
    }
    return nullptr;
}

} // namespace

void TAdvancedSet::FormShow()
{
    // 1. The settings of the last close, key by key; each change runs its control's handler.
    const QString path = SettingsFilePath();
    if (QFileInfo::exists(path)) {
        const TIniFile settings(path);
        for (const SettingKey &k : SettingKeys(*ui)) {
            const QString key = QString::fromLatin1(k.key);
            if (auto *box = qobject_cast<QCheckBox *>(k.control)) {
                const int value = settings.ReadInteger(kSection, key, 0);
                if (value == 0 || value == 1)
                    SetBox(box, value == 1);
            } else if (auto *edit = qobject_cast<QLineEdit *>(k.control)) {
                SetStoredText(edit, settings.ReadString(kSection, key, edit->text()));
            } else if (auto *spin = qobject_cast<QSpinBox *>(k.control)) {
                // A text that is no whole number leaves the value; one outside the range is
                // taken to the nearest limit.
                bool ok = false;
                const int value =
                    settings.ReadString(kSection, key, QLocale::c().toString(spin->value())).trimmed().toInt(&ok);
                if (ok)
                    spin->setValue(value);
            } else if (auto *list = qobject_cast<QComboBox *>(k.control)) {
                const int index = settings.ReadInteger(kSection, key, list->currentIndex());
                // An index outside the list keeps the present item. A new item is a change of the
                // option, so the command line follows it.
                if (index >= 0 && index < list->count() && index != list->currentIndex()) {
                    list->setCurrentIndex(index);
                    cbOutputModeChange();
                }
            }
        }
    }
    // 2. The decoder and tempo options follow the selected job's input type.
    if (MainForm) {
        if (QTreeWidgetItem *row = SelectedJobRow(MainFormChild<QTreeWidget>("InputListView")))
            MainForm->WAVasInput(row->text(jcFilename).toLocal8Bit());
    }
    // 3. The transcoder always writes its log when the dialog has been shown.
    SetBox(ui->chOutputLog, true);
}

void TAdvancedSet::FormClose()
{
    try {
        TIniSavePass pass(SettingsFilePath());
        TIniFile settings(SettingsFilePath());
        for (const SettingKey &k : SettingKeys(*ui)) {
            const QString key = QString::fromLatin1(k.key);
            if (auto *box = qobject_cast<QCheckBox *>(k.control))
                settings.WriteInteger(kSection, key, box->isChecked() ? 1 : 0);
            else if (auto *edit = qobject_cast<QLineEdit *>(k.control))
                settings.WriteString(kSection, key, edit->text());
            else if (auto *spin = qobject_cast<QSpinBox *>(k.control))
                settings.WriteString(kSection, key, QLocale::c().toString(spin->value()));
            else if (auto *list = qobject_cast<QComboBox *>(k.control))
                settings.WriteInteger(kSection, key, list->currentIndex());
        }
        pass.Commit();
    } catch (const EIniFileException &error) {
        ShowMessageBox(SettingsErrorText(error), true);
    }
}
