#pragma once

#include <QStringList>

class QComboBox;
class QObject;
class QTreeWidget;
class QTreeWidgetItem;

// The command-line builder of the main window: reads every option control of the main
// window and the dialogs (found by objectName), composes the command line of the selected
// job (or the template while the job list is empty), writes the row's Cmd column and
// refreshes the command-line viewer. Runs on the user-interface thread. A control that
// does not exist reads as off, 0 or empty.
void KDCmdlRun();

// The five windows the builder reads and writes; KDCmdlRun() passes the global instances.
struct KDCmdlWindows {
    QObject *mainForm = nullptr;
    QObject *advancedSet = nullptr;
    QObject *othersLame = nullptr;
    QObject *kdcl = nullptr;
    QObject *exeBrowse = nullptr;
};

// KDCmdlRun() on the given windows.
void KDCmdlRunOn(const KDCmdlWindows &windows);

// Names of the controls the last KDCmdlRun() looked for and did not find, each as
// "Window.name" or "Window.Frame.name". Empty when every control was found.
QStringList KDCmdlMissingControls();

// The gain mode the gain list stands for: the mode its text names, or, while the text names none
// (typing under way, or text that is no mode), its chosen item.
QString ChosenGainMode(const QComboBox *gainList);

// The selected row of the job list (the first selected one), or none.
QTreeWidgetItem *SelectedJobRow(QTreeWidget *list);

// A command line edited by hand belongs to the row it was made on: every rebuild of that row
// writes the edited text as its Cmd, every other row is built from the options. The edit lives
// and dies with its row (removing the row or clearing the list drops it).
void SetJobRowHandEdit(QTreeWidgetItem *row, const QString &text);
bool JobRowHasHandEdit(const QTreeWidgetItem *row);
QString JobRowHandEdit(const QTreeWidgetItem *row);
