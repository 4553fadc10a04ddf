#pragma once

#include "Paths.h"

#include <QString>
#include <QStringList>

// Start-up and exit of the program, shared by main() and the tests.

// Sets the process-wide conventions that must hold before any window exists: the point as decimal
// separator for every number converted to or from text (Qt's default locale and the C library's
// LC_NUMERIC), and the application title "Zolvane". Needs the QApplication.
void InitZolvaneProcess();

void CreateZolvaneWindows();   // the twelve windows, once each, in their fixed order
void DestroyZolvaneWindows();  // in the reverse order of their creation

// Class names of the windows in the order CreateZolvaneWindows() created them.
QStringList ZolvaneWindowCreationOrder();

// Everything after the QApplication exists: InitZolvaneProcess(), the windows, the event loop
// (which shows the main window first) and the destruction of the windows. Returns the loop's code.
int ZolvaneSession();

// main(): the QApplication, then ZolvaneSession().
int RunZolvane(int argc, char **argv);


// The application title (the progress display writes the percentage into it while a batch runs).
// It is the program's own value: window captions stay exactly as the windows set them.
void SetApplicationTitle(const QString &title);
QString ApplicationTitle();

// How long a hint stays on screen, for every widget of the program (milliseconds).
void SetHintHidePause(int milliseconds);
int HintHidePause();
