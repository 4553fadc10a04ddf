#include "UMainGlobals.h"

QByteArray CommandBase;
QByteArray OutputModeArg;
bool CmdLineEdited = false;

QByteArray JobInputName;
QByteArray JobInputFolder;
QByteArray JobOutputName;
QByteArray JobOutputFolder;

QByteArray AudXFolder;
QString SaveDialog1FileName;

QByteArray SoundTouchFRCArg;
QByteArray SoundTouchTempoArg;
QByteArray SoundTouchPitchArg;
QByteArray SoundTouchRateArg;
QByteArray SoundTouchQuickArg;
QByteArray SoundTouchNaaArg;
QByteArray PluginNameArg;
QByteArray PluginFuncArg;
