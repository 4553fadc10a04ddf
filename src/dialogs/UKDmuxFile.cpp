#include "UKDmuxFile.h"
#include "ui_TKDMuxFileWizard.h"

#include "DialogSupport.h"
#include "LanguageStrings.h"
#include "SideToolSupport.h"
#include "UMain.h"
#include "WAVfile.h"

#include <QFileInfo>
#include <QShowEvent>

using namespace SideTools;

TKDMuxFileWizard *KDMuxFileWizard = nullptr;

static const QString ChannelFilter = QStringLiteral("WAV Files (*.wav)|*.wav");
static const QString MuxFilter = QStringLiteral("MUX Files (*.mux)|*.mux");

TKDMuxFileWizard::TKDMuxFileWizard(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TKDMuxFileWizard>())
{
    setObjectName(QStringLiteral("KDMuxFileWizard"));
    ui->setupUi(this);
    connect(ui->btnLF, &QAbstractButton::clicked, this, &TKDMuxFileWizard::btnLFClick);
    connect(ui->btnCenter, &QAbstractButton::clicked, this, &TKDMuxFileWizard::btnCenterClick);
    connect(ui->btnFR, &QAbstractButton::clicked, this, &TKDMuxFileWizard::btnFRClick);
    connect(ui->btnLFE, &QAbstractButton::clicked, this, &TKDMuxFileWizard::btnLFEClick);
    connect(ui->btnSL, &QAbstractButton::clicked, this, &TKDMuxFileWizard::btnSLClick);
    connect(ui->btnRS, &QAbstractButton::clicked, this, &TKDMuxFileWizard::btnRSClick);
    connect(ui->btnSave, &QAbstractButton::clicked, this, &TKDMuxFileWizard::btnSaveClick);
    connect(ui->btnOk, &QAbstractButton::clicked, this, &TKDMuxFileWizard::btnOkClick);
    connect(ui->btnCancel, &QAbstractButton::clicked, this, &TKDMuxFileWizard::btnCancelClick);
    QList<QLineEdit *> edits = ChannelEdits();
    edits << ui->edSave;
    for (QLineEdit *edit : edits) {
        edit->clear();
        // The hint shows the file name of the edit's path.
        edit->setMouseTracking(true);
        edit->installEventFilter(this);
    }
}

TKDMuxFileWizard::~TKDMuxFileWizard() = default;

QList<QLineEdit *> TKDMuxFileWizard::ChannelEdits() const
{
    return {ui->edLF, ui->edCenter, ui->edFR, ui->edLS, ui->edRS, ui->edLFE};
}

void TKDMuxFileWizard::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        CentreOnMainForm(this);
        m_confirmedSave.clear();
    }
    QDialog::showEvent(event);
}

bool TKDMuxFileWizard::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
        if (auto *edit = qobject_cast<QLineEdit *>(watched))
            edit->setToolTip(QFileInfo(QString(edit->text()).replace(QLatin1Char('\\'), QLatin1Char('/'))).fileName());
    }
    return QDialog::eventFilter(watched, event);
}

QStringList TKDMuxFileWizard::ChannelOrder(const QString &format, const QString &frontLeft, const QString &frontRight,
                                           const QString &centre, const QString &lfe, const QString &leftSurround,
                                           const QString &rightSurround)
{
    if (format == QLatin1String("AC3") || format == QLatin1String("VORBIS"))
        return {frontLeft, centre, frontRight, leftSurround, rightSurround, lfe};
    return {frontLeft, frontRight, centre, lfe, leftSurround, rightSurround};
}

QByteArray TKDMuxFileWizard::MuxFileBytes(const QStringList &paths)
{
    QByteArray bytes;
    for (const QString &path : paths)
        bytes += QuotedName(path) + "\r\n";
    return bytes;
}

QString TKDMuxFileWizard::MissingChannel() const
{
    const QPair<QLineEdit *, QAbstractButton *> channels[] = {
        {ui->edLF, ui->btnLF}, {ui->edFR, ui->btnFR}, {ui->edCenter, ui->btnCenter},
        {ui->edLFE, ui->btnLFE}, {ui->edLS, ui->btnSL}, {ui->edRS, ui->btnRS}};
    for (const auto &[edit, button] : channels) {
        // The button's hint names the channel ("Front Left Channel"), in the user's language.
        const QString channel = button->toolTip().isEmpty() ? button->text() : button->toolTip();
        const QString path = edit->text();
        if (path.isEmpty())
            return LanguageStrings.MuxNoChannelFile.arg(channel);
        if (path.contains(QLatin1Char('\n')) || path.contains(QLatin1Char('\r')))
            return LanguageStrings.MuxChannelLineBreak.arg(channel) + QLatin1Char('\n') + path;
        if (!QFileInfo(path).isFile())
            return LanguageStrings.MuxChannelMissing.arg(channel) + QLatin1Char('\n') + path;
        TWAVfile wav;
        if (!wav.ReadFromFile(path.toLocal8Bit().toStdString()) || !wav.Valid())
            return LanguageStrings.MuxChannelNotWav.arg(channel) + QLatin1Char('\n') + path;
    }
    return QString();
}

void TKDMuxFileWizard::PickChannel(QLineEdit *edit)
{
    const QStringList chosen = RunFileDialog(this, FileDialogKind::Open, QStringLiteral("OpenDialog"), ChannelFilter);
    if (!chosen.isEmpty())
        edit->setText(chosen.first());
}

void TKDMuxFileWizard::btnLFClick() { PickChannel(ui->edLF); }
void TKDMuxFileWizard::btnCenterClick() { PickChannel(ui->edCenter); }
void TKDMuxFileWizard::btnFRClick() { PickChannel(ui->edFR); }
void TKDMuxFileWizard::btnLFEClick() { PickChannel(ui->edLFE); }
void TKDMuxFileWizard::btnSLClick() { PickChannel(ui->edLS); }
void TKDMuxFileWizard::btnRSClick() { PickChannel(ui->edRS); }

void TKDMuxFileWizard::btnSaveClick()
{
    for (QLineEdit *edit : ChannelEdits()) {
        if (edit->text().isEmpty()) {
            ShowMessage(this, QStringLiteral("Some Channels Files are missing."), false);
            return;
        }
    }
    // The name always ends in ".mux", and the overwrite question is about that file.
    const QStringList chosen = RunFileDialog(this, FileDialogKind::SaveConfirmOverwrite, QStringLiteral("SaveDialog"),
                                             MuxFilter, 0, QString(), QStringLiteral("mux"));
    if (!chosen.isEmpty()) {
        ui->edSave->setText(chosen.first());
        m_confirmedSave = chosen.first();
    }
}

void TKDMuxFileWizard::btnOkClick()
{
    const QStringList paths = ChannelOrder(ui->cbOutputFormat->currentText(), ui->edLF->text(), ui->edFR->text(),
                                           ui->edCenter->text(), ui->edLFE->text(), ui->edLS->text(), ui->edRS->text());
    const QString target = ui->edSave->text();
    // Each of the six channels must be a WAV file that is there: a mux file naming a missing one
    // would load as nothing or as a job that fails. The wizard stays open to mend it.
    if (const QString missing = MissingChannel(); !missing.isEmpty()) {
        ShowMessage(this, missing, true);
        return;
    }
    // The mux file never takes the place of one of its own channel files, whatever the spelling
    // of the path.
    if (!target.isEmpty() && QFileInfo::exists(target)) {
        const QString written = QFileInfo(target).canonicalFilePath();
        for (const QString &path : paths) {
            if (!path.isEmpty() && QFileInfo(path).canonicalFilePath() == written) {
                ShowMessage(this,
                            LanguageStrings.MuxOverChannelFile + QLatin1Char('\n') + target,
                            true);
                return;
            }
        }
    }
    // A name typed into the edit has not been asked about: an existing file is replaced only
    // when the user says so.
    if (!target.isEmpty() && target != m_confirmedSave
        && (QFileInfo(target).exists() || QFileInfo(target).isSymLink())
        && !AskReplaceFile(this, windowTitle(), target))
        return;
    // A mux file that cannot be written is reported and the wizard stays open, so nothing the
    // user entered is lost.
    if (!WriteFileBytes(target, MuxFileBytes(paths))) {
        ShowMessage(this, target.isEmpty() ? LanguageStrings.MuxNoTarget
                                           : QStringLiteral("Unable to write to ") + target,
                    true);
        return;
    }
    if (ui->CheckBox1->isChecked() && MainForm)
        MainForm->LoadListFile(To8Bit(target));
    if (auto *start = MainFormChild<QWidget>("bbStartProcess"); start && !start->isEnabled())
        start->setEnabled(true);
    RebuildCommandLine();
    accept();
}

void TKDMuxFileWizard::btnCancelClick()
{
    reject();
}
