#include "UMainGlobals.h"

#include "Paths.h"

QByteArray CommandBase;
QByteArray OutputModeArg;
bool CmdLineEdited = false;

QByteArray JobInputName;
QByteArray JobInputFolder;
QByteArray JobOutputName;
QByteArray JobOutputFolder;

QByteArray AudXFolder;

QString AudXProgramName()
{
    const QString found = FindFileIgnoringCase(QString::fromLocal8Bit(AudXFolder), QStringLiteral("audx.exe"));
    return found.isEmpty() ? QStringLiteral("audx.exe") : found;
}
QString SaveDialog1FileName;

QByteArray SoundTouchFRCArg;
QByteArray SoundTouchTempoArg;
QByteArray SoundTouchPitchArg;
QByteArray SoundTouchRateArg;
QByteArray SoundTouchQuickArg;
QByteArray SoundTouchNaaArg;
QByteArray PluginNameArg;
QByteArray PluginFuncArg;
