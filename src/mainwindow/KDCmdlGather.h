#pragma once

#include <QStringList>

class QObject;

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
