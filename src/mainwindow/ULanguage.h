#pragma once

// Applying a language file to all twelve windows and to the message texts.

#include "RegularFile.h"

#include <QString>

class TIniFile;
class TMainForm;

// Applies every caption, hint and message key of the language file `fileName` (full path) to
// its target; a section or key missing from the file sets its targets to the empty text. A file
// that cannot be read, or that holds no "MAIN" section (an empty or foreign file), changes
// nothing and gives false. The file is read once; a named pipe or a device in its place is
// refused without waiting for it. `status`, when given, tells how the read went (Opened also for a
// file without a "MAIN" section).
bool LoadLanguage(const QString &fileName, TReadOpenStatus *status = nullptr);

// The section readers: the value of `key` in their section of the language file being loaded
// (the default outside a load).
QString ReadLangMain(const QString &key, const QString &defaultValue);
QString ReadLangAdvanced(const QString &key, const QString &defaultValue);
QString ReadLangLst(const QString &key, const QString &defaultValue);
QString ReadLangMux(const QString &key, const QString &defaultValue);
QString ReadLangEditKDCL(const QString &key, const QString &defaultValue);
QString ReadLangLame(const QString &key, const QString &defaultValue);
QString ReadLangAbout(const QString &key, const QString &defaultValue);
QString ReadLangDTSImport(const QString &key, const QString &defaultValue);
QString ReadLangZolvaneLog(const QString &key, const QString &defaultValue);
QString ReadLangSpeex(const QString &key, const QString &defaultValue);
QString ReadLangKaparto(const QString &key, const QString &defaultValue);
QString ReadLangExecutable(const QString &key, const QString &defaultValue);
QString ReadLangAudX(const QString &key, const QString &defaultValue);

// Start-up: runs the handler of the language saved as "lang" in [Zolvane] (default "English")
// when it is exactly one of the fifteen names; any other value changes nothing.
void ApplySavedLanguage(TMainForm *form, const TIniFile &settings);

// The name of the ticked language ("English" when none is ticked), as written at exit.
QString CurrentLanguageName(const TMainForm *form);

// Exit: writes "lang" of [Zolvane].
void WriteLanguageChoice(const TMainForm *form, TIniFile &settings);
