#include "UExeBrowser.h"
#include "ui_TExeBrowse.h"

#include "DialogSupport.h"
#include "LanguageStrings.h"
#include "IniFile.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QShowEvent>

TExeBrowse *ExeBrowse = nullptr;

namespace {

// The names looked for, without regard to case; an edit receives the name as it is on disk.
constexpr const char *Transcoder = "Kandrum.exe";
constexpr const char *Splitter = "Kaparto.exe";
constexpr const char *SoX = "sox.exe";

// The folder and the name found in it, or an empty text when the folder has no such program.
QString FoundProgram(const QString &folder, const char *name)
{
    const QString found = FindFileIgnoringCase(folder, QString::fromLatin1(name));
    return found.isEmpty() ? QString() : folder + found;
}

} // namespace

TExeBrowse::TExeBrowse(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TExeBrowse>())
{
    setObjectName(QStringLiteral("ExeBrowse"));
    ui->setupUi(this);
    // Single border and no border icons: OK is the way out.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    OpenDialog = new QFileDialog(this);
    OpenDialog->setObjectName(QStringLiteral("OpenDialog"));
    OpenDialog->setAcceptMode(QFileDialog::AcceptOpen);
    OpenDialog->setFileMode(QFileDialog::ExistingFile);
    OpenDialog->setNameFilter(QStringLiteral("Executable Files (*.exe)"));

    connect(ui->btKandrum, &QAbstractButton::clicked, this, &TExeBrowse::btKandrumClick);
    connect(ui->btKaparto, &QAbstractButton::clicked, this, &TExeBrowse::btKapartoClick);
    connect(ui->btSoX, &QAbstractButton::clicked, this, &TExeBrowse::btSoXClick);
    connect(ui->btOk, &QAbstractButton::clicked, this, &TExeBrowse::btOkClick);
}

TExeBrowse::~TExeBrowse() = default;

void TExeBrowse::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        CentreOnMainForm(this);
        FormShow();
    }
    QDialog::showEvent(event);
}

void TExeBrowse::LookInFolder(const QString &folder, bool onlyEmptyEdits)
{
    const std::pair<const char *, QLineEdit *> programs[] = {
        {Transcoder, ui->edKandrum}, {Splitter, ui->edKaparto}, {SoX, ui->edSoX}};
    for (const auto &[program, edit] : programs) {
        if (onlyEmptyEdits && !edit->text().isEmpty())
            continue;
        const QString found = FoundProgram(folder, program);
        if (!found.isEmpty())
            edit->setText(found);
    }
}

void TExeBrowse::FormShow()
{
    // A program in the program's own folder replaces what the edit held. The transcoder folder
    // laid out beside the program only fills edits that are still empty, so a program the user
    // chose elsewhere stays.
    const QString folder = ProgramFolder();
    LookInFolder(folder);
    LookInFolder(folder + QStringLiteral("Kandrum/"), true);
}

QString TExeBrowse::pickExecutable()
{
    if (OpenDialog->exec() != QDialog::Accepted || OpenDialog->selectedFiles().isEmpty())
        return QString();
    return OpenDialog->selectedFiles().constFirst();
}

void TExeBrowse::btKandrumClick()
{
    const QString chosen = pickExecutable();
    if (chosen.isEmpty())
        return;
    ui->edKandrum->setText(chosen);
    // The splitter and SoX are taken from beside the transcoder when they are there. The file name
    // of the transcoder itself is checked when a batch starts.
    const QString folder = FolderPart(ui->edKandrum->text());
    if (const QString splitter = FoundProgram(folder, Splitter); !splitter.isEmpty())
        ui->edKaparto->setText(splitter);
    if (const QString sox = FoundProgram(folder, SoX); !sox.isEmpty())
        ui->edSoX->setText(sox);
}

void TExeBrowse::btKapartoClick()
{
    const QString chosen = pickExecutable();
    if (!chosen.isEmpty())
        ui->edKaparto->setText(chosen);
}

void TExeBrowse::btSoXClick()
{
    const QString chosen = pickExecutable();
    if (!chosen.isEmpty())
        ui->edSoX->setText(chosen);
}

void TExeBrowse::btOkClick()
{
    try {
        // The three paths are stored together or not at all, and only when each comes back whole
        // from the file: a longer path would be read back cut.
        const std::pair<const char *, QLineEdit *> paths[] = {
            {"Kandrum_path", ui->edKandrum}, {"Kaparto_path", ui->edKaparto}, {"SoX_path", ui->edSoX}};
        for (const auto &[key, edit] : paths) {
            if (edit->text().trimmed().size() > TIniFile::MaxValueLength)
                throw EIniFileException(
                    LanguageStrings.SettingsValueTooLong
                        .arg(SettingsFilePath(), QString::fromLatin1(key), QStringLiteral("Zolvane"))
                        .arg(TIniFile::MaxValueLength));
        }
        TIniSavePass pass(SettingsFilePath());
        TIniFile ini(SettingsFilePath());
        ini.WriteString(QStringLiteral("Zolvane"), QStringLiteral("Kandrum_path"), ui->edKandrum->text());
        ini.WriteString(QStringLiteral("Zolvane"), QStringLiteral("Kaparto_path"), ui->edKaparto->text());
        ini.WriteString(QStringLiteral("Zolvane"), QStringLiteral("SoX_path"), ui->edSoX->text());
        pass.Commit();
    } catch (const EIniFileException &error) {
        // The paths stay in use for the run; the dialog still closes, since OK is its only way out.
        QMessageBox box(QMessageBox::Critical, windowTitle(), SettingsErrorText(error), QMessageBox::Ok, this);
        box.exec();
    }
    accept();
}

void TExeBrowse::reject()
{
}
