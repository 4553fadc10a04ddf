#include "SideToolSupport.h"
#include "LanguageStrings.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
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

// The name with ".suffix" appended unless it already ends in it (in any case).
static QString WithSuffix(const QString &name, const QString &suffix)
{
    if (suffix.isEmpty() || name.isEmpty() || name.endsWith(QLatin1Char('.') + suffix, Qt::CaseInsensitive))
        return name;
    return name + QLatin1Char('.') + suffix;
}

QStringList RunFileDialog(QWidget *parent, FileDialogKind kind, const QString &dialogName, const QString &filter,
                          int filterIndex, const QString &fileName, const QString &defaultSuffix)
{
    const bool save = kind == FileDialogKind::Save || kind == FileDialogKind::SaveConfirmOverwrite;
    if (FileDialogHook) {
        QStringList chosen = FileDialogHook(parent, kind, dialogName, filter, filterIndex, fileName);
        if (save) {
            for (QString &name : chosen)
                name = WithSuffix(name, defaultSuffix);
        }
        return chosen;
    }
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
    case FileDialogKind::SaveConfirmOverwrite:
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        // The question about an existing file is asked below, about the name with its suffix:
        // the dialog itself would ask about the name as typed.
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
        dialog.setDefaultSuffix(defaultSuffix);
        break;
    }
    if (!fileName.isEmpty())
        dialog.selectFile(fileName);
    for (;;) {
        if (dialog.exec() != QDialog::Accepted)
            return {};
        QStringList chosen = dialog.selectedFiles();
        if (!save)
            return chosen;
        for (QString &name : chosen)
            name = WithSuffix(name, defaultSuffix);
        if (kind == FileDialogKind::Save || chosen.isEmpty())
            return chosen;
        const QFileInfo target(chosen.first());
        if (!target.exists() && !target.isSymLink())
            return chosen;
        if (AskReplaceFile(parent, dialog.windowTitle(), chosen.first()))
            return chosen;
        dialog.selectFile(chosen.first());
    }
}

bool AskReplaceFile(QWidget *parent, const QString &title, const QString &path)
{
    QMessageBox question(QMessageBox::Warning, title,
                         LanguageStrings.ReplaceFileExists.arg(QDir::toNativeSeparators(path)) + QLatin1Char('\n')
                             + LanguageStrings.ReplaceFileQuestion,
                         QMessageBox::Yes | QMessageBox::No, parent);
    question.setDefaultButton(QMessageBox::No);
    return question.exec() == QMessageBox::Yes;
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
    // Written beside the target and put in its place only when complete: a write that fails
    // half-way leaves the file that was there.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QByteArray QuotedName(const QString &name)
{
    return '"' + To8Bit(name).replace('"', "\"\"") + '"';
}

QByteArray To8Bit(const QString &text)
{
    return text.toLocal8Bit();
}

} // namespace SideTools
