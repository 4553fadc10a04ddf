#include "UExeBrowser.h"
#include "ui_TExeBrowse.h"

#include "DialogSupport.h"
#include "IniFile.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QShowEvent>

TExeBrowse *ExeBrowse = nullptr;

namespace {

struct Program {
    const char *lookupName; // looked for without regard to case
    const char *shownName;  // what the edit receives
};

constexpr Program Transcoder{"kandrum.exe", "Kandrum.exe"};
constexpr Program Splitter{"kaparto.exe", "Kaparto.exe"};
constexpr Program SoX{"sox.exe", "sox.exe"};

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

void TExeBrowse::LookInFolder(const QString &folder)
{
    const std::pair<const Program *, QLineEdit *> programs[] = {
        {&Transcoder, ui->edKandrum}, {&Splitter, ui->edKaparto}, {&SoX, ui->edSoX}};
    for (const auto &[program, edit] : programs) {
        if (!FindFileIgnoringCase(folder, QString::fromLatin1(program->lookupName)).isEmpty())
            edit->setText(folder + QString::fromLatin1(program->shownName));
    }
}

void TExeBrowse::FormShow()
{
    // The program's own folder, then the transcoder folder that is laid out beside the program;
    // what is found in the program's folder itself wins.
    const QString folder = ProgramFolder();
    LookInFolder(folder + QStringLiteral("Kandrum/"));
    LookInFolder(folder);
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
    if (!FindFileIgnoringCase(folder, QString::fromLatin1(Splitter.lookupName)).isEmpty())
        ui->edKaparto->setText(folder + QString::fromLatin1(Splitter.shownName));
    if (!FindFileIgnoringCase(folder, QString::fromLatin1(SoX.lookupName)).isEmpty())
        ui->edSoX->setText(folder + QString::fromLatin1(SoX.shownName));
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
        // The three paths are stored together or not at all.
        TIniSavePass pass(SettingsFilePath());
        TIniFile ini(SettingsFilePath());
        ini.WriteString(QStringLiteral("Zolvane"), QStringLiteral("Kandrum_path"), ui->edKandrum->text());
        ini.WriteString(QStringLiteral("Zolvane"), QStringLiteral("Kaparto_path"), ui->edKaparto->text());
        ini.WriteString(QStringLiteral("Zolvane"), QStringLiteral("SoX_path"), ui->edSoX->text());
        pass.Commit();
    } catch (const EIniFileException &error) {
        // The paths stay in use for the run; the dialog still closes, since OK is its only way out.
        QMessageBox box(QMessageBox::Critical, windowTitle(), error.Message(), QMessageBox::Ok, this);
        box.exec();
    }
    accept();
}

void TExeBrowse::reject()
{
}
