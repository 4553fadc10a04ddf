#pragma once

// The message texts of the current language: texts that other windows show later (message
// boxes, log rows, file-dialog filter descriptions, hints built on mouse-over, the start-up
// report). One text per language key, named after its key, empty until the first language load,
// replaced as a whole by every load.

#include <QString>
#include <QStringList>

#include <initializer_list>
#include <span>

// Every message key with its section of the language file, section by section in the order a
// language file is read.
#define ZOLVANE_LANGUAGE_STRINGS(X) \
    X(MAIN, NoKandrum) \
    X(MAIN, PreGainProcess) \
    X(MAIN, PostGainProcess) \
    X(MAIN, OTAMode_Hint_part1) \
    X(MAIN, OTAMode_Hint_part2) \
    X(MAIN, OTAMode_Hint_part3) \
    X(MAIN, OTADelay_Hint_part1) \
    X(MAIN, OTADelay_Hint_part2) \
    X(MAIN, TranscodingStarted) \
    X(MAIN, TranscodingFinished) \
    X(MAIN, TranscodingAborted) \
    X(MAIN, TranscodingRunning) \
    X(MAIN, TranscodingError) \
    X(MAIN, TranscodingError2) \
    X(MAIN, WAACPlusv2NotFound) \
    X(MAIN, EncAACPlusNotFound) \
    X(MAIN, FaacIsMissing) \
    X(MAIN, EnhAACIsMissing) \
    X(MAIN, SpeexIsMissing) \
    X(MAIN, NDCLIisMissing) \
    X(MAIN, AftenisMissing) \
    X(MAIN, FlakeisMissing) \
    X(MAIN, OpenDialog_AC3) \
    X(MAIN, OpenDialog_MPEG) \
    X(MAIN, OpenDialog_OGG) \
    X(MAIN, OpenDialog_PCM) \
    X(MAIN, OpenDialog_LISTFILES) \
    X(MAIN, OpenDialog_MUX) \
    X(MAIN, OpenDialog_CONT) \
    X(MAIN, OpenDialog_AVI) \
    X(MAIN, OpenDialog_ALL) \
    X(MAIN, OpenDialog_LST) \
    X(MAIN, SaveDialog_AAC) \
    X(MAIN, SaveDialog_MP2) \
    X(MAIN, SaveDialog_MP3) \
    X(MAIN, SaveDialog_OGG) \
    X(MAIN, SaveDialog_AIFF) \
    X(MAIN, SaveDialog_WAV) \
    X(MAIN, SaveDialog_SPX) \
    X(MAIN, AudXDetected) \
    X(MAIN, MP3Quality10) \
    X(MAIN, MP3Quality20) \
    X(MAIN, MP3Quality30) \
    X(MAIN, MP3Quality40) \
    X(MAIN, MP3Quality50) \
    X(MAIN, MP3Quality60_1) \
    X(MAIN, MP3Quality60_2) \
    X(MAIN, MP3Quality70) \
    X(MAIN, MP3Quality80_1) \
    X(MAIN, MP3Quality80_2) \
    X(MAIN, MP3Quality90) \
    X(MAIN, MP3Quality100_1) \
    X(MAIN, MP3Quality100_2) \
    X(MAIN, AVIAudioZ) \
    X(MAIN, AVIAudioM1) \
    X(MAIN, AVIAudioM2) \
    X(MAIN, NoOutputWritten) \
    X(MAIN, OutputNameTooLong) \
    X(MAIN, JobExitCode) \
    X(MAIN, JobListLocked) \
    X(MAIN, LanguageFileMissing) \
    X(MAIN, ReplaceFileExists) \
    X(MAIN, ReplaceFileQuestion) \
    X(MAIN, SettingsValueLineBreak) \
    X(MAIN, SettingsValueTooLong) \
    X(MAIN, LanguageNotRegular) \
    X(MAIN, SettingsNotRegular) \
    X(MAIN, FilesNotAdded) \
    X(MAIN, MoreFilesNotAdded) \
    X(MAIN, UndecodableNames) \
    X(ADVANCED, OutputMode_Hint_part1) \
    X(ADVANCED, OutputMode_Hint_part2) \
    X(ADVANCED, DNR_Hint_part1) \
    X(ADVANCED, DNR_Hint_part2) \
    X(ADVANCED, Normalize_Hint_part1) \
    X(ADVANCED, Normalize_Hint_part2) \
    X(ADVANCED, Normalize_Hint_part3) \
    X(ADVANCED, Normalize_Hint_part4) \
    X(ADVANCED, Tempo_Hint_part1) \
    X(ADVANCED, Tempo_Hint_part2) \
    X(ADVANCED, Pitch_Hint_part1) \
    X(ADVANCED, Pitch_Hint_part2) \
    X(ADVANCED, Rate_Hint_part1) \
    X(ADVANCED, Rate_Hint_part2) \
    X(ADVANCED, NormalizeMaxValue) \
    X(LST, LSTSavingWarning) \
    X(LST, LstLineBreakRefused) \
    X(MUX, MuxNoChannelFile) \
    X(MUX, MuxChannelLineBreak) \
    X(MUX, MuxChannelMissing) \
    X(MUX, MuxChannelNotWav) \
    X(MUX, MuxOverChannelFile) \
    X(MUX, MuxNoTarget) \
    X(ZolvaneLog, ZolvaneStarted_part1) \
    X(ZolvaneLog, ZolvaneStarted_part2) \
    X(ZolvaneLog, CheckingKDDep) \
    X(ZolvaneLog, ac3encMissing) \
    X(ZolvaneLog, azidMissing) \
    X(ZolvaneLog, kdnMissing) \
    X(ZolvaneLog, hipMissing) \
    X(ZolvaneLog, lameencMissing) \
    X(ZolvaneLog, livborbisMissing) \
    X(ZolvaneLog, mp2encMissing) \
    X(ZolvaneLog, shibatchMissing) \
    X(ZolvaneLog, soundtouchMissing) \
    X(ZolvaneLog, VOBInputMissing) \
    X(ZolvaneLog, NeroDLLDetected) \
    X(ZolvaneLog, LogCannotWrite) \
    X(ZolvaneLog, LogRowsLeftOut) \
    X(ZolvaneLog, LogTextsLeftOut) \
    X(ZolvaneLog, LogTextsCut) \
    X(ZolvaneLog, LogNotAllSaved) \
    X(ZolvaneLog, LogCutShort) \
    X(ZolvaneLog, LogFileNotRegular) \
    X(Kaparto, timing) \
    X(Kaparto, BreakPointNotTime) \
    X(Kaparto, BreakPointsNotAscending) \
    X(Kaparto, BreakPointBeyondEnd) \
    X(Kaparto, SplitterNotRun) \
    X(Kaparto, SplitterDoneOne) \
    X(Kaparto, SplitterDoneMany) \
    X(Kaparto, SplitterFailed) \
    X(Kaparto, SplitterTimedOut)

// Joins the parts of a text held as several keys ("..._part1", "..._part2", ...): the parts in
// the order given, CR LF between them and none after the last. An empty part is kept as an
// empty line.
QString JoinTextParts(std::initializer_list<QString> parts);
QString JoinTextParts(const QStringList &parts);

struct TLanguageStrings {
#define ZOLVANE_DECLARE_LANGUAGE_STRING(section, key) QString key;
    ZOLVANE_LANGUAGE_STRINGS(ZOLVANE_DECLARE_LANGUAGE_STRING)
#undef ZOLVANE_DECLARE_LANGUAGE_STRING

    // The texts joined from their parts.
    QString OTAModeHint() const;     // OTAMode_Hint_part1..3
    QString OTADelayHint() const;    // OTADelay_Hint_part1..2
    QString OutputModeHint() const;  // OutputMode_Hint_part1..2
    QString DNRHint() const;         // DNR_Hint_part1..2
    QString NormalizeHint() const;   // Normalize_Hint_part1..4
    QString TempoHint() const;       // Tempo_Hint_part1..2
    QString PitchHint() const;       // Pitch_Hint_part1..2
    QString RateHint() const;        // Rate_Hint_part1..2
    QString AVIAudioM() const;       // AVIAudioM1, AVIAudioM2
    // First row of the start-up report: part 1, a blank, the version, a blank, part 2.
    QString ZolvaneStarted(const QString &version) const;

    // Empties every text.
    void Clear();
};

// The texts of the current language.
extern TLanguageStrings LanguageStrings;

// One message key: its section in the language file, its name, and the text it fills.
struct TLanguageStringKey {
    const char *Section;
    const char *Key;
    QString TLanguageStrings::*Text;
};

// All message keys in read order.
std::span<const TLanguageStringKey> LanguageStringKeys();

class EIniFileException;
// What a settings write that failed tells the user: a refused line break in the current
// language, any other failure as the settings file raised it ("Unable to write to <path>").
QString SettingsErrorText(const EIniFileException &error);

// The text of `strings` that the key of that section fills (section and key compared without
// regard to case, as in a language file); nullptr for a key that is no message key.
QString *FindLanguageString(TLanguageStrings &strings, const QString &section, const QString &key);
