#pragma once

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QString>
#include <QWidget>

#include "Paths.h"

#include <functional>

// Helpers the side windows share: the program's folder and settings file, access to the main
// window's controls by name, and link labels.

// The settings file, "Zolvane.ini" in the program's folder.
QString SettingsFilePath();

// The main window's control of that objectName, or nullptr while the main window or the control
// does not exist.
QWidget *MainFormWidget();
template <typename T> T *MainFormChild(const char *name)
{
    QWidget *main = MainFormWidget();
    return main ? main->findChild<T *>(QString::fromLatin1(name)) : nullptr;
}

// Calls a slot of the main window by name, directly; false when there is no main window or no such
// slot.
bool CallMainForm(const char *slot);
// Rebuilds the command line of the selected job (the main window's KDCmdl).
void RebuildCommandLine();

// The flag that the command line has been edited by hand: once set it stays set for the run.
bool CommandLineEdited();
void MarkCommandLineEdited();
void ResetCommandLineEdited(); // start-up only

// Makes a label a link: underlined blue text with a hand cursor, red while the pointer is over it,
// `onClick` on a left click.
void MakeLinkLabel(QLabel *label, std::function<void()> onClick);

// Places a window centred on the main window (when there is one).
void CentreOnMainForm(QWidget *window);

// The place and size of a top-level window, without its frame, that lies wholly within the free
// area of a screen: the screen that holds the centre of the wanted place (else its top-left corner,
// else the window's own screen). The wanted size (the window's present one where it is not
// positive) is cut to that area and kept at least `least`; the place is then moved into the area.
// Wanted values far outside any screen, as a damaged settings file may hold, are taken safely.
QRect FitOntoScreen(const QWidget *window, int left, int top, int width, int height, QSize least);

// Holds text that reaches an edit other than by a typed key (a paste, a drop, an input method) to
// the rule the edit's key filter applies to typed characters: each inserted character stays only
// when `accepted` takes it against the edit's text as it stands at that point. Text set by the
// program is left as it is.
void FilterInsertedText(QLineEdit *edit, std::function<bool(QChar typed, const QString &currentText)> accepted);

// Gives an edit a text read from the settings file. An edit with a key filter (FilterInsertedText)
// takes it only when each of its characters, typed in turn, passes that filter; any other text
// leaves the edit as it is, so a stored value never brings in what the user could not type.
void SetStoredText(QLineEdit *edit, const QString &text);
