#pragma once

#include "KDCmdlGrammar.h"

#include <QString>
#include <QList>
#include <QPair>
#include <QSet>
#include <QStringList>

#include <functional>
#include <optional>

class TAC3;
class TDTS;
class TMPEGaudio;
class TOggVorbis;
class TWAVfile;

// Rules of the job list that need no widget: which probe takes a file, the texts a probe writes
// into its row, the output names by encoder page and engine, the delay read from a file name,
// the dequoting of list-file lines and the file-dialog filters.

// ---- Paths -----------------------------------------------------------------------------------

// The extension of a path: the text from the last "." of its file-name part on, dot included;
// empty when the file name has none.
QString ExtractFileExt(const QString &path);
// The path with its extension replaced by `extension`, or with `extension` appended when it has
// none.
QString ChangeFileExt(const QString &path, const QString &extension);

// ---- Which probe takes a file ----------------------------------------------------------------

enum class ProbeKind { None, AC3, DTS, MPEG, Vorbis, WAV, AVI };

// The probe of a file added one by one (open dialog, dropped files): by its extension in lower
// case with the dot.
ProbeKind ProbeKindOfAddedFile(const QString &lowerExt);
// The probe of one line of a list file: the same without DTS, AVI and ".mp1".
ProbeKind ProbeKindOfListLine(const QString &lowerExt);
// True for ".lst" and ".mux" (any case): such a file is read as a list of inputs.
bool IsListOrMuxFile(const QString &path);
bool IsMuxFile(const QString &path);

// ---- Row texts of the probes -----------------------------------------------------------------

// What a probe writes into its row. `Description` is complete up to the time text, which the
// caller appends (the time text of RoundedSeconds(Seconds)).
struct ProbeText {
    QString DescriptionHead; // prefix, channel, bit-rate and sample-rate pieces
    double Seconds = 0.0;    // duration, unrounded
    bool TempoEnabled = false;
};

// Whole seconds of a duration, a half going to the even neighbour.
int RoundedSeconds(double seconds);

// The channel count as the AC-3 and DTS rows show it: 5 to 9 one higher (the LFE channel,
// which the headers do not count), others as they are.
QString ShownChannelCount(int channels);

ProbeText AC3ProbeText(const TAC3 &reader);
ProbeText DTSProbeText(const TDTS &reader);
// `lowerExt` chooses the prefix: ".mp3" "MP3 - ", ".mp2" "MP2 - ", anything else "MPA - ".
ProbeText MPEGProbeText(const TMPEGaudio &reader, const QString &lowerExt);
ProbeText VorbisProbeText(const TOggVorbis &reader);
ProbeText WAVProbeText(const TWAVfile &reader);
// A mux file as one 5.1 input: six channels at the first channel's sample rate, the rate of
// the six together (six times one channel of the first file), the first channel's duration.
ProbeText MuxProbeText(const TWAVfile &firstChannel);

// The codec name of an AVI's audio stream as the row shows it.
QString AVICodecText(const QString &codecString);
// The AVI row's description from the stream's texts.
QString AVIDescription(const QString &codecString, const QString &channels, const QString &bitRate,
                       const QString &samplingRate, const QString &playTime);

// ---- Output names ----------------------------------------------------------------------------

// The encoder controls that decide an output name.
struct NamingChoice {
    KDPage Page = KDPage::None;
    int AACEngine = -1;       // cbAACEncEngine item: 0 3GPP, 1 FAAC, 2 Nero, 3 Winamp
    bool FAACToMP4 = false;   // FaacFrame1.chAACtoMP4
    bool AIFFOutput = false;  // rbAIFFOutput
};

// The output name of one job before the uniqueness test.
struct OutputName {
    QString Name;             // bare file name
    bool MakeUnique = true;   // false for the numbered AC-3 form, which is kept as it is
};

// The output name of the input `inputFileName` (bare name) for the active page and engine;
// `visitNumber` is the 1-based count of the rows renamed so far in this pass. An AAC page
// without engine names ".m4a"; no page keeps the input name.
OutputName OutputNameFor(const NamingChoice &choice, const QString &inputFileName, int visitNumber);

// The save dialog's filter for the active page: the language text to show, its pattern and the
// extension the proposed name receives. `Describe` false on the Lossless page (and with no
// page): nothing is set there.
enum class SaveFilterText { None, AAC, AC3, MP2, MP3, OGG, AIFF, WAV, SPX };
struct SaveFilter {
    bool Describe = false;
    SaveFilterText Text = SaveFilterText::None;
    QString Pattern;          // " (*.aac)|*.aac" and so on
    QString DefaultExt;       // ".aac" and so on
};
SaveFilter SaveFilterFor(const NamingChoice &choice);

// The extensions that an output of the active page and engine may carry: those the naming gives
// and those the save dialog offers, the naming's own first. On the AAC page the engines that
// write the container the name asks for take ".aac", ".m4a" and ".mp4"; FAAC, whose container
// follows its MP4 box, takes ".aac" without it and ".m4a" or ".mp4" with it. Empty with no page.
QStringList OutputExtensionsFor(const NamingChoice &choice);
// `outputName` (bare or with its folder) with an extension that the active page and engine
// write: kept when its extension is one of them (compared without regard to case), else the
// naming's extension in place of its own. The folder and the base name stay as they are.
QString OutputNameFittingPage(const NamingChoice &choice, const QString &outputName);

// The files a job writes for the output `outputPath`: that file, or, for the WAV page's six
// mono files, one per channel named path_FL.wav, path_FR.wav, path_C.wav, path_LFE.wav,
// path_SL.wav and path_SR.wav (the path without its extension, then the channel).
QStringList FilesWrittenFor(const QString &outputPath, bool sixMonoFiles);
// name + "_" + N + extension for the first N from 1 on that `isTaken` does not refuse; the name
// itself when it is free.
QString UniquePath(const QString &wantedPath, const std::function<bool(const QString &)> &isTaken);

// ---- Delay in a file name --------------------------------------------------------------------

// The delay in milliseconds that a name such as "Movie T01 3_2ch 448Kbps DELAY -66ms.ac3"
// carries. Only the file's own name counts, never its folder, and only when it ends in a blank
// (or begins), a number, "ms", a dot and a three-character extension; the number is read as an
// integer (optional sign, decimal, or hexadecimal after "$" or "0x"). Nothing otherwise, so
// "Album 1999 A.mp3" or a file in "Season 1" carries no delay.
std::optional<int> DelayFromFileName(const QString &fileName);
// An integer as the design reads numbers typed by hand: leading blanks, an optional sign, then
// decimal digits or "$"/"0x" and hexadecimal digits; nothing else. Within the 32-bit range.
std::optional<int> ReadInteger(const QString &text);

// ---- List and mux files ----------------------------------------------------------------------

// One line of a list or mux file without its quotes: a line that begins with a double quote
// loses it and its partner, and doubled quotes inside become one; other lines stay as they are.
QString DequoteLine(const QString &line);
// The lines of a list or mux file (8-bit text): LF or CR LF ends a line; an unterminated last
// line counts, an empty end does not.
QStringList SplitListFileLines(const QByteArray &content);

// ---- File-dialog filters ---------------------------------------------------------------------

// A filter of the form "text|patterns|text|patterns..." as the toolkit's file dialogs take it:
// one entry per pair, the text followed by its patterns in parentheses (a parenthesised part at
// the end of the text is replaced by the real patterns).
QStringList DialogFilters(const QString &pairs);

// ---- Folder search ---------------------------------------------------------------------------

// A name on disk (bytes) that is not valid text in the system's encoding: decoding and encoding
// it again gives other bytes, so no path made from its text reaches the file.
bool NameIsNotText(const QByteArray &name8);

// One file that a folder add probes.
struct FolderMatch {
    QString Name; // the bare file name
    ProbeKind Kind;
};

// What one scan of a folder found for a folder add.
struct FolderListing {
    bool Listed = false;
    // In probe order: the matches of "*.ac3", "*.wav", "*.mpa", "*.mp2", "*.mp3" and "*.ogg" (any
    // case), one pattern after the other, each pattern's matches by name without regard to case.
    QList<FolderMatch> Matches;
    // Files of those kinds whose names are not valid text in the system's encoding.
    int Undecodable = 0;
};

// One scan of `folder` (not its subfolders) for a folder add: regular files and links to regular
// files; hidden names are left out as the toolkit's own listing leaves them out. The type comes
// from the listing itself where the file system gives it, so a plain file costs no call of its own.
FolderListing ListFolderForAdd(const QString &folder);

// The names of every entry of `folder` (files, folders, links, dangling ones too), each decoded
// from the system's encoding; nullopt when the folder cannot be listed. A name that is not valid
// text is left out (no text names it anyway).
std::optional<QSet<QString>> FolderEntryNames(const QString &folder);

// ---- Add reports -----------------------------------------------------------------------------

// What one add operation (the open dialog's files, a drop, a folder, a list file) could not add.
struct AddReport {
    QStringList Messages; // one per file, each as it would be told alone
    bool AnyError = false;
    QList<QPair<QString, int>> UndecodableFolders; // folder and count, in the order first met

    void AddMessage(const QString &text, bool error);
    void AddUndecodable(const QString &folder, int count);
    bool IsEmpty() const { return Messages.isEmpty() && UndecodableFolders.isEmpty(); }
};

// The language texts of an add report.
struct AddReportTexts {
    QString FilesNotAdded;     // "%1 files could not be added:"
    QString MoreFilesNotAdded; // "... and %1 more."
    QString UndecodableNames;  // "%1 files in the folder "%2" have names that are not valid text ..."
};

// The one message of an add: a single file that failed is told as it would be alone; anything
// more is one text: each folder's count of names that are not text, then how many files could not
// be added with the first `shown` of their messages and the count of the rest.
QString AddReportText(const AddReport &report, const AddReportTexts &texts, int shown = 5);
