#include "UZolvaneLog.h"
#include "ui_TZolvaneLog.h"

#include "DialogSupport.h"
#include "LanguageStrings.h"
#include "RegularFile.h"
#include "SideToolSupport.h"
#include "URessources.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>
#include <QSaveFile>

#include <cerrno>

TZolvaneLog *ZolvaneLog = nullptr;

namespace {

void ShowMessage(QWidget *parent, QMessageBox::Icon icon, const QString &caption, const QString &text)
{
    QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

} // namespace

TZolvaneLog::TZolvaneLog(QWidget *parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::TZolvaneLog>())
{
    setObjectName(QStringLiteral("ZolvaneLog"));
    ui->setupUi(this);

    QTreeWidget *list = ui->ListView1;
    list->setColumnCount(2);
    list->header()->setMinimumSectionSize(1);
    list->header()->setSectionResizeMode(0, QHeaderView::Fixed);
    list->header()->setStretchLastSection(true);
    list->setColumnWidth(0, 20);
    list->setIconSize(QSize(16, 16));

    connect(ui->New1, &QAction::triggered, this, &TZolvaneLog::New1Click);
    connect(ui->Open1, &QAction::triggered, this, &TZolvaneLog::Open1Click);
    connect(ui->Saveas1, &QAction::triggered, this, &TZolvaneLog::Saveas1Click);
    connect(ui->Close1, &QAction::triggered, this, &TZolvaneLog::Close1Click);
    connect(ui->Cut1, &QAction::triggered, this, &TZolvaneLog::Cut1Click);
    connect(ui->Copy1, &QAction::triggered, this, &TZolvaneLog::Copy1Click);
    connect(ui->Delete1, &QAction::triggered, this, &TZolvaneLog::Delete1Click);
    connect(ui->SelectAll1, &QAction::triggered, this, &TZolvaneLog::SelectAll1Click);
    connect(ui->Edit1, &QMenu::aboutToShow, this, &TZolvaneLog::Edit1Click);
    // The shortcuts work without opening the menu, so the items follow the selection as well.
    connect(list, &QTreeWidget::itemSelectionChanged, this, &TZolvaneLog::Edit1Click);
    // The shortcuts act wherever the focus is inside the window.
    for (QAction *action : {ui->Cut1, ui->Copy1, ui->Delete1, ui->SelectAll1})
        action->setShortcutContext(Qt::WindowShortcut);

    // Ctrl+C is not the copy key of this window (Copy is on Ctrl+V): the list's own copy of the
    // current cell stays off, so the key leaves the clipboard alone.
    list->installEventFilter(this);

    // The log-line entry adds its rows here.
    SetLogListView(list);
}

TZolvaneLog::~TZolvaneLog()
{
    if (LogListView() == ui->ListView1)
        SetLogListView(nullptr);
}

QList<TLogRow> TZolvaneLog::RowsOfList(const QTreeWidget *list)
{
    QList<TLogRow> rows;
    rows.reserve(list->topLevelItemCount());
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = list->topLevelItem(i);
        TLogRow row;
        row.ImageIndex = item->data(0, ImageIndexRole).toInt();
        const QVariant storedCount = item->data(0, SubItemCountRole);
        const int subCount = storedCount.isValid() ? storedCount.toInt() : std::max(0, item->columnCount() - 1);
        const QList<QByteArray> raw = item->data(0, RawTextsRole).value<QList<QByteArray>>();
        // A text keeps the bytes it was loaded with as long as it shows the same text.
        auto bytesOf = [&](int column) {
            const QString text = item->text(column);
            if (column < raw.size() && QString::fromLocal8Bit(raw.at(column)) == text)
                return raw.at(column);
            return text.toLocal8Bit();
        };
        row.Caption = bytesOf(0);
        for (int s = 1; s <= subCount; ++s)
            row.SubItems.append(bytesOf(s));
        rows.append(row);
    }
    return rows;
}

void TZolvaneLog::SetListRows(QTreeWidget *list, const QList<TLogRow> &rows)
{
    list->clear();
    QList<QTreeWidgetItem *> items;
    items.reserve(rows.size());
    for (const TLogRow &row : rows) {
        auto *item = new QTreeWidgetItem;
        item->setText(0, QString::fromLocal8Bit(row.Caption));
        item->setIcon(0, LogIcon(row.ImageIndex));
        item->setData(0, ImageIndexRole, row.ImageIndex);
        item->setData(0, SubItemCountRole, int(row.SubItems.size()));
        QList<QByteArray> raw{row.Caption};
        raw.append(row.SubItems);
        item->setData(0, RawTextsRole, QVariant::fromValue(raw));
        for (int s = 0; s < row.SubItems.size(); ++s)
            item->setText(s + 1, QString::fromLocal8Bit(row.SubItems.at(s)));
        items.append(item);
    }
    list->addTopLevelItems(items);
}

bool TZolvaneLog::SaveLog(QTreeWidget *list, const QString &fileName)
{
    TLogWriteLosses losses;
    const QByteArray bytes = EncodeLogWindowFile(RowsOfList(list), &losses);

    // The old file is replaced only once the new one is complete.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        ShowMessage(this, QMessageBox::Critical, windowTitle(),
                    QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, file.errorString()));
        return false;
    }
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        ShowMessage(this, QMessageBox::Critical, windowTitle(),
                    LanguageStrings.LogCannotWrite.arg(fileName, file.errorString()));
        return false;
    }

    if (losses.Any()) {
        QStringList parts;
        if (losses.RowsLeftOut)
            parts << LanguageStrings.LogRowsLeftOut.arg(losses.RowsLeftOut);
        if (losses.SubItemsLeftOut)
            parts << LanguageStrings.LogTextsLeftOut.arg(losses.SubItemsLeftOut);
        if (losses.TextsCut)
            parts << LanguageStrings.LogTextsCut.arg(losses.TextsCut);
        ShowMessage(this, QMessageBox::Warning, windowTitle(),
                    LanguageStrings.LogNotAllSaved.arg(FileNamePart(fileName)) + QStringLiteral("\r\n")
                        + parts.join(QStringLiteral("\r\n")));
    }
    return true;
}

bool TZolvaneLog::LoadLog(QTreeWidget *list, const QString &fileName)
{
    if (!QFileInfo::exists(fileName)) {
        ShowMessage(list, QMessageBox::Critical, QStringLiteral("I/O Error"),
                    QStringLiteral("File \"%1\" does not exist!").arg(FileNamePart(fileName)));
        return false;
    }
    // One read of the file, never waiting: a named pipe or a device is refused and the list stays.
    QByteArray bytes;
    const TReadOpenResult read = ReadRegularFile(fileName, bytes);
    if (read.Status == TReadOpenStatus::NotRegular && read.Error != EISDIR) {
        ShowMessage(list, QMessageBox::Critical, QStringLiteral("I/O Error"),
                    LanguageStrings.LogFileNotRegular.arg(FileNamePart(fileName)));
        return false;
    }
    if (!read.Ok()) {
        ShowMessage(this, QMessageBox::Critical, windowTitle(),
                    QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, ReadOpenErrorText(read)));
        return false;
    }

    const TLogReadResult result = DecodeLogWindowFile(bytes);
    // Without even a row count the file is no log: the list stays as it is.
    if (bytes.size() >= 2)
        SetListRows(list, result.Rows);
    if (result.CutShort) {
        ShowMessage(list, QMessageBox::Warning, QStringLiteral("I/O Error"),
                    LanguageStrings.LogCutShort
                        .arg(FileNamePart(fileName))
                        .arg(result.Rows.size())
                        .arg(result.DeclaredRows));
        return false;
    }
    return true;
}

void TZolvaneLog::New1Click()
{
    ui->ListView1->clear();
}

void TZolvaneLog::Open1Click()
{
    QFileDialog dialog(this);
    dialog.setObjectName(QStringLiteral("OpenDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(QStringLiteral("Log Files (*.log)"));
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        LoadLog(ui->ListView1, dialog.selectedFiles().constFirst());
}

void TZolvaneLog::Saveas1Click()
{
    QFileDialog dialog(this);
    dialog.setObjectName(QStringLiteral("SaveDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("Log Files (*.log)"));
    dialog.selectFile(QStringLiteral("Zolvane.log"));
    // An existing file is replaced only when the user says so; "No" shows the dialog again.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    while (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        const QString chosen = dialog.selectedFiles().constFirst();
        const QFileInfo target(chosen);
        if ((target.exists() || target.isSymLink()) && !SideTools::AskReplaceFile(this, dialog.windowTitle(), chosen)) {
            dialog.selectFile(chosen);
            continue;
        }
        SaveLog(ui->ListView1, chosen);
        return;
    }
}

void TZolvaneLog::Close1Click()
{
    close();
}

void TZolvaneLog::Edit1Click()
{
    const bool any = firstSelectedRow() != nullptr;
    ui->Cut1->setEnabled(any);
    ui->Copy1->setEnabled(any);
    ui->Delete1->setEnabled(any);
}

QTreeWidgetItem *TZolvaneLog::firstSelectedRow() const
{
    const QTreeWidget *list = ui->ListView1;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        if (list->topLevelItem(i)->isSelected())
            return list->topLevelItem(i);
    }
    return nullptr;
}

void TZolvaneLog::copyRowToClipboard(QTreeWidgetItem *row) const
{
    const QVariant storedCount = row->data(0, SubItemCountRole);
    const int subCount = storedCount.isValid() ? storedCount.toInt() : std::max(0, row->columnCount() - 1);
    QString text;
    for (int s = 1; s <= subCount; ++s)
        text += row->text(s) + QStringLiteral("\r\n");
    QGuiApplication::clipboard()->setText(text);
}

void TZolvaneLog::Cut1Click()
{
    if (QTreeWidgetItem *row = firstSelectedRow()) {
        copyRowToClipboard(row);
        delete row;
    }
}

void TZolvaneLog::Copy1Click()
{
    if (QTreeWidgetItem *row = firstSelectedRow())
        copyRowToClipboard(row);
}

void TZolvaneLog::Delete1Click()
{
    delete firstSelectedRow();
}

void TZolvaneLog::SelectAll1Click()
{
    ui->ListView1->selectAll();
}

void TZolvaneLog::closeEvent(QCloseEvent *event)
{
    // Only the tick of View > Log follows; its handler does not run.
    if (auto *log1 = MainFormChild<QAction>("Log1"); log1 && log1->isChecked()) {
        const QSignalBlocker blocker(log1);
        log1->setChecked(false);
    }
    QMainWindow::closeEvent(event);
}

bool TZolvaneLog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->ListView1 && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Copy)) {
        event->accept();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}
