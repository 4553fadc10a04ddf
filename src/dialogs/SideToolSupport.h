#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>

// Shared by the list writer, the mux wizard and the splitter dialog: file dialogs and message
// boxes that tests can replace, and the 8-bit text files those tools write.

namespace SideTools {

enum class FileDialogKind { Open, OpenMultiple, Save, SaveConfirmOverwrite };

// One file dialog: the dialog's name (its objectName), the filter in "Text|*.x|Text|*.y" form,
// the index of the preselected filter entry (0-based), the proposed file. Returns the chosen
// files; empty when cancelled.
using FileDialogFunction = std::function<QStringList(QWidget *parent, FileDialogKind kind, const QString &dialogName,
                                                     const QString &filter, int filterIndex, const QString &fileName)>;
// A message box: information (error false) or error (error true), with an OK button.
using MessageFunction = std::function<void(QWidget *parent, const QString &text, bool error)>;

// Null means the toolkit's own dialogs.
extern FileDialogFunction FileDialogHook;
extern MessageFunction MessageHook;

// With a default suffix (without its point), a save dialog returns names that end in it: the
// suffix is appended to a name that does not. SaveConfirmOverwrite then asks about the file that
// will really be written, the name with its suffix; "No" shows the dialog again.
QStringList RunFileDialog(QWidget *parent, FileDialogKind kind, const QString &dialogName, const QString &filter,
                          int filterIndex = 0, const QString &fileName = QString(),
                          const QString &defaultSuffix = QString());
void ShowMessage(QWidget *parent, const QString &text, bool error);
// Asks whether an existing file may be replaced; true for Yes.
bool AskReplaceFile(QWidget *parent, const QString &title, const QString &path);

// "Text|*.x;*.y|Other|*.z" as the toolkit's filter list ("Text (*.x *.y)" etc.).
QStringList FilterList(const QString &filter);

// Writes the bytes as they stand, replacing the file only once they are all written; false when
// the file cannot be written completely (the file that was there is then left as it was).
bool WriteFileBytes(const QString &path, const QByteArray &bytes);

// A name between double quotes, an inner double quote doubled: the way list and mux files hold
// their names, which their loader reads back.
QByteArray QuotedName(const QString &name);

// A path as the system's 8-bit text.
QByteArray To8Bit(const QString &text);

} // namespace SideTools
