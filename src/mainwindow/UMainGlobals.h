#pragma once

#include <QByteArray>
#include <QString>

// Unit-level state of the main window that the command-line builder, the output naming,
// the advanced dialog and the command-line editor share. All of it lives on the
// user-interface thread.

// The program token of the command being built; while the job list is empty, the whole
// template command. Rebuilt at the start of every KDCmdlRun().
extern QByteArray CommandBase;
// The WAV/PCM page's output-mode switch (" -2ch", " -ddwav", ...), or empty on other pages.
// Rebuilt at the start of every KDCmdlRun().
extern QByteArray OutputModeArg;

// Set by the command-line editor when the user leaves its edit box; cleared only at
// start-up. While set, every rebuild puts the editor's text into the selected row.
extern bool CmdLineEdited;

// Names of the last job the output naming visited (8-bit text).
extern QByteArray JobInputName;    // bare input file name
extern QByteArray JobInputFolder;  // input folder
extern QByteArray JobOutputName;   // output file name
extern QByteArray JobOutputFolder; // output folder

// The Aud-X encoder's folder: the program files folder followed by "Aud-X".
extern QByteArray AudXFolder;
// The Aud-X encoder's file name as it lies in AudXFolder, whatever the case of its letters
// ("AUDX.EXE", "audx.exe" ...); "audx.exe" while there is no such file.
QString AudXProgramName();

// The file name the save dialog holds ("" until the user's first save). It persists for
// the life of the program; a non-empty value means the user chose an output explicitly.
extern QString SaveDialog1FileName;

// Command-line fragments kept by the advanced dialog. Each is empty while the box of its
// option is unticked and otherwise holds its switch, beginning with a blank.
extern QByteArray SoundTouchFRCArg;   // " -r <from> <to>"
extern QByteArray SoundTouchTempoArg; // " -tempo <n>"
extern QByteArray SoundTouchPitchArg; // " -pitch <n>"
extern QByteArray SoundTouchRateArg;  // " -rate <n>"
extern QByteArray SoundTouchQuickArg; // " -quick"
extern QByteArray SoundTouchNaaArg;   // " -naa"
extern QByteArray PluginNameArg;      // " -name <dll>"
extern QByteArray PluginFuncArg;      // " -func <function>"
