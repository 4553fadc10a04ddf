#include "SideToolSupport.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QSaveFile>

namespace SideTools {

FileDialogFunction FileDialogHook;
MessageFunction MessageHook;

QStringList FilterList(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        QString text = parts[i];
        // The toolkit reads the patterns from the last parentheses of the text.
        const int open = text.lastIndexOf(QLatin1Char('('));
        if (open >= 0)
            text = text.left(open).trimmed();
        out << text + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return out;
}

QStringList RunFileDialog(QWidget *parent, FileDialogKind kind, const QString &dialogName, const QString &filter,
                          int filterIndex, const QString &fileName)
{
    if (FileDialogHook)
        return FileDialogHook(parent, kind, dialogName, filter, filterIndex, fileName);
    QFileDialog dialog(parent);
    dialog.setObjectName(dialogName);
    const QStringList filters = FilterList(filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        if (filterIndex >= 0 && filterIndex < filters.size())
            dialog.selectNameFilter(filters[filterIndex]);
    }
    switch (kind) {
    case FileDialogKind::Open:
        dialog.setFileMode(QFileDialog::ExistingFile);
        break;
    case FileDialogKind::OpenMultiple:
        dialog.setFileMode(QFileDialog::ExistingFiles);
        break;
    case FileDialogKind::Save:
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
        break;
    case FileDialogKind::SaveConfirmOverwrite:
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        break;
    }
    if (!fileName.isEmpty())
        dialog.selectFile(fileName);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

void ShowMessage(QWidget *parent, const QString &text, bool error)
{
    if (MessageHook) {
        MessageHook(parent, text, error);
        return;
    }
    QMessageBox box(error ? QMessageBox::Critical : QMessageBox::Information, QApplication::applicationName(), text,
                    QMessageBox::Ok, parent);
    box.exec();
}

bool WriteFileBytes(const QString &path, const QByteArray &bytes)
{
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const bool ok = file.write(bytes) == bytes.size();
    file.close();
    return ok && file.error() == QFileDevice::NoError;
}

QByteArray To8Bit(const QString &text)
{
    return text.toLocal8Bit();
}

} // namespace SideTools
