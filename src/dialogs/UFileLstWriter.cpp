#include "UFileLstWriter.h"
#include "ui_TFileListWriter.h"

#include "DialogSupport.h"
#include "LanguageStrings.h"
#include "SideToolSupport.h"
#include "UMain.h"

#include <QFileInfo>
#include <QShowEvent>

using namespace SideTools;

TFileListWriter *FileListWriter = nullptr;

static const QString AddFilter = QStringLiteral("All Files supported (*.*)|*.ac3;*.ogg;*.mpa;*.mp2;*.mp3;*.wav");

TFileListWriter::TFileListWriter(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TFileListWriter>())
{
    setObjectName(QStringLiteral("FileListWriter"));
    ui->setupUi(this);
    // Holds the path of the last list file saved; never shown.
    ui->Edit1->setVisible(false);
    connect(ui->btLstAdd, &QAbstractButton::clicked, this, &TFileListWriter::btLstAddClick);
    connect(ui->btLstDelete, &QAbstractButton::clicked, this, &TFileListWriter::btLstDeleteClick);
    connect(ui->btLstClear, &QAbstractButton::clicked, this, &TFileListWriter::btLstClearClick);
    connect(ui->btLstUp, &QAbstractButton::clicked, this, &TFileListWriter::btLstUpClick);
    connect(ui->btLstDown, &QAbstractButton::clicked, this, &TFileListWriter::btLstDownClick);
    connect(ui->btLstSave, &QAbstractButton::clicked, this, &TFileListWriter::btLstSaveClick);
    connect(ui->btOk, &QAbstractButton::clicked, this, &TFileListWriter::btOkClick);
    connect(ui->btCancel, &QAbstractButton::clicked, this, &TFileListWriter::btCancelClick);
}

TFileListWriter::~TFileListWriter() = default;

void TFileListWriter::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        CentreOnMainForm(this);
        // Every showing starts with its own list unsaved, so Ok never loads a list of an
        // earlier showing in place of the one on screen.
        m_savedThisShowing = false;
        m_loadedThisShowing.clear();
    }
    QDialog::showEvent(event);
}

QByteArray TFileListWriter::ListFileBytes(const QStringList &entries)
{
    QByteArray block;
    for (const QString &entry : entries) {
        // The list shows each name between quotes; the file gets it quoted as its loader reads
        // it back, an inner quote doubled.
        const bool shownQuoted = entry.size() >= 2 && entry.startsWith(QLatin1Char('"'))
                                 && entry.endsWith(QLatin1Char('"'));
        block += QuotedName(shownQuoted ? entry.mid(1, entry.size() - 2) : entry) + "\r\n";
    }
    return block + "\r\n";
}

QStringList TFileListWriter::Entries() const
{
    QStringList entries;
    for (int i = 0; i < ui->FileList->count(); ++i)
        entries << ui->FileList->item(i)->text();
    return entries;
}

void TFileListWriter::btLstAddClick()
{
    const QStringList chosen = RunFileDialog(this, FileDialogKind::OpenMultiple, QStringLiteral("OpenListDialog1"), AddFilter);
    QStringList refused;
    for (const QString &file : chosen) {
        // A list file holds one name a line: a name with a line break in it cannot be listed.
        if (file.contains(QLatin1Char('\n')) || file.contains(QLatin1Char('\r'))) {
            refused << file;
            continue;
        }
        ui->FileList->addItem(QLatin1Char('"') + file + QLatin1Char('"'));
    }
    if (!refused.isEmpty())
        ShowMessage(this,
                    LanguageStrings.LstLineBreakRefused + QLatin1Char('\n') + refused.join(QLatin1Char('\n')),
                    true);
}

void TFileListWriter::btLstDeleteClick()
{
    const int index = ui->FileList->currentRow();
    if (index < 0 || !ui->FileList->currentItem() || !ui->FileList->currentItem()->isSelected())
        return;
    delete ui->FileList->takeItem(index);
    const int count = ui->FileList->count();
    if (count == 0) {
        ui->FileList->setCurrentRow(-1);
        return;
    }
    ui->FileList->setCurrentRow(index < count ? index : count - 1);
}

void TFileListWriter::btLstClearClick()
{
    ui->FileList->clear();
}

void TFileListWriter::btLstUpClick()
{
    const int index = ui->FileList->currentRow();
    if (index < 1)
        return;
    QListWidgetItem *item = ui->FileList->takeItem(index);
    ui->FileList->insertItem(index - 1, item);
    ui->FileList->setCurrentRow(index - 1);
}

void TFileListWriter::btLstDownClick()
{
    const int index = ui->FileList->currentRow();
    if (index < 0 || index >= ui->FileList->count() - 1)
        return;
    QListWidgetItem *item = ui->FileList->takeItem(index);
    ui->FileList->insertItem(index + 1, item);
    ui->FileList->setCurrentRow(index + 1);
}

void TFileListWriter::LoadSavedList()
{
    const QString path = ui->Edit1->text();
    if (path.isEmpty() || !MainForm)
        return;
    MainForm->LoadListFile(To8Bit(path));
    m_loadedThisShowing = path;
}

void TFileListWriter::btLstSaveClick()
{
    if (ui->FileList->count() == 0)
        return;
    const QByteArray bytes = ListFileBytes(Entries());
    QString filter = LanguageStrings.OpenDialog_LST + QStringLiteral(" (*.lst)|*.lst");
    // The name always ends in ".lst", and the overwrite question is about that file.
    QStringList chosen = RunFileDialog(this, FileDialogKind::SaveConfirmOverwrite, QStringLiteral("SaveListDialog"),
                                       filter, 0, m_rememberedName, QStringLiteral("lst"));
    if (!chosen.isEmpty()) {
        const QString path = chosen.first();
        m_rememberedName = path;
        if (WriteFileBytes(path, bytes)) {
            ui->Edit1->setText(path);
            m_savedThisShowing = true;
        } else {
            ShowMessage(this, LanguageStrings.LSTSavingWarning, true);
        }
    }
    if (ui->chkLst->isChecked()) {
        LoadSavedList();
        if (auto *start = MainFormChild<QWidget>("bbStartProcess"); start && !start->isEnabled())
            start->setEnabled(true);
    }
}

void TFileListWriter::btOkClick()
{
    if (!m_savedThisShowing && ui->FileList->count() > 0) {
        btLstSaveClick();
        // A list whose name was cancelled or whose write failed stays on screen, not lost.
        if (!m_savedThisShowing)
            return;
    }
    // A list that Save has just loaded is not added a second time; with nothing saved there is
    // nothing to load.
    if (m_savedThisShowing && m_loadedThisShowing != ui->Edit1->text())
        LoadSavedList();
    RebuildCommandLine();
    accept();
}

void TFileListWriter::btCancelClick()
{
    reject();
}
