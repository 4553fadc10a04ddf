#pragma once

// The console output of a transcoding job as the main window reads it, and the texts of the
// progress display, as pure functions: no widget is touched here.

#include "KDCmdlGrammar.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

// ---- Text helpers (case-sensitive, first occurrence) -----------------------------------------

// The text after the first occurrence of `marker`, to the end; empty when it does not occur.
QString right(const QString &marker, const QString &text);
// The text before the first occurrence of `marker`; empty when it does not occur or occurs at
// the start.
QString lefty(const QString &marker, const QString &text);

// ---- Time stamps -----------------------------------------------------------------------------

// Seconds of a progress time stamp "h:m:s:f" or "h:m:s.f" (the fraction is ignored):
// h * 3600 + m * 60 + s. An empty stamp, one without ":" or one starting with ":" stands for
// 0 seconds. No value (the line's handling stops) when a part is not a whole number or the
// seconds are followed by neither ":" nor ".", or when the result does not fit 32 bits.
std::optional<std::int32_t> timetoint(const QString &stamp);

// A whole number as the program converts it: an optional sign and decimal digits, nothing
// else; no value when it is not one or does not fit 32 bits.
std::optional<std::int32_t> WholeNumber(const QString &text);

// ---- Line kinds ------------------------------------------------------------------------------

// "Error " followed by at least one character.
bool IsErrorLine(const QString &line);
// A "[" and, after it, a "]" with at least one character between them; the stamp is the text
// between the first "[" and the first "]" after it.
bool IsProgressLine(const QString &line, QString *stamp = nullptr);
// A progress line that contains "[00:00:00:": the second pass of a gain job begins.
bool IsPassRestartLine(const QString &line);
// The text between "progress: " and the next "." of an Aud-X progress line; empty when the
// line has neither.
QString AudXProgressText(const QString &line);

// ---- Progress counting -----------------------------------------------------------------------

// The counter between two handled progress lines: 0 at the start of a job, 100 after an error
// line or a failed batch. The 71st progress line of a job is the first one handled, then every
// 70th.
constexpr int ParseCounterHandleFrom = 70;
constexpr int ParseCounterAfterError = 100;

// ---- Bars and labels -------------------------------------------------------------------------

// The type of a job by its input file name: the text after the first ".", lower-cased
// ("movie.avi" -> "avi", "a.b.ac3" -> "b.ac3").
QString JobFileType(const QString &fileName);

// Where the maxima of the two bars come from, by the type of the current job.
enum class BarScale {
    ReaderAC3,  // file: the AC-3 reader's duration; batch: ListDuration
    ReaderWAV,  // file: the WAV reader's duration; batch: ListDuration
    ReaderMPEG, // file: the MPEG audio reader's duration; batch: ListDuration
    ReaderOgg,  // file: the Ogg Vorbis reader's duration; batch: ListDuration
    ListFile,   // ".lst" and ".mux": file: ListDuration; batch: TotalDuration
    RowDuration,// an AVI file: file: the row's Duration field; batch: ListDuration
    None        // no maximum is set
};
BarScale BarScaleOfJob(const QString &fileName);

// Whole seconds of a duration, a half going to the even neighbour; negative, too large or not
// a number gives 0.
std::int32_t RoundedDivisor(double seconds);

// The file label: "00,00 %" when the bar is at its maximum, else round(seconds * 100 / divisor)
// followed by ",00 %" ("45,00 %"). No text for a divisor of 0.
std::optional<QString> FilePercentText(std::int32_t seconds, std::int32_t position, std::int32_t maximum,
                                       std::int32_t divisor);
// The batch label: "00,00 %" when the bar is at its maximum, else position * 100 / divisor with
// two decimals and the point, followed by " %" ("45.25 %"). No text for a divisor of 0.
std::optional<QString> BatchPercentText(std::int32_t position, std::int32_t maximum, std::int32_t divisor);
// The file label of an Aud-X job: the encoder's whole percentage as "N,00 %".
QString AudXPercentText(std::int32_t percent);

// "hh:nn:ss" of a span in milliseconds: hours of the day (a day or more wraps), minutes and
// seconds, two digits each, cut to whole seconds. A negative span reads 00:00:00.
QString SpanText(std::int64_t milliseconds);
// The remaining time of a bar: (maximum - position) * elapsed / position, 0 while the position
// is 0 (or less), never negative.
std::int64_t RemainingMilliseconds(std::int64_t elapsedMs, std::int32_t position, std::int32_t maximum);
// The remaining label: the remaining time plus one second, as SpanText.
QString RemainingText(std::int64_t elapsedMs, std::int32_t position, std::int32_t maximum);

// ---- The progress frame as the parsers change it ----------------------------------------------

// A bar of the progress frame: its range runs from 0 to Maximum, its position stays within it.
struct ProgressBarState {
    std::int32_t Maximum = 100;
    std::int32_t Position = 0;

    // A position outside the range is brought to its nearest end.
    void SetPosition(std::int64_t position);
    // A new maximum; a position beyond it is brought back to it. A maximum of 0 or less is never
    // set (the bar keeps its range).
    void SetMaximum(std::int32_t maximum);
};

// What the parsers of the console lines read and change on the progress frame.
struct ProgressFrameState {
    ProgressBarState File;  // ProgressBar1, the current file
    ProgressBarState Batch; // ProgressBar2, the whole batch
    QString FileLabel = QStringLiteral("00,00 %");  // lbPercentCurrentTrack
    QString BatchLabel = QStringLiteral("00,00 %"); // lbTotalPercent
    QString Title = QStringLiteral("Zolvane");      // the window caption and the application title
    std::int32_t ParseCounter = 0;
};

// The current job as the transcoder's parser sees it.
struct KandrumJobContext {
    QString GainMode;          // the text of cbOTAMode
    QString FileName;          // the current row's Filename
    double FileSeconds = 0.0;  // the duration of the current file from the reader of its type
    double ListDuration = 0.0;
    double TotalDuration = 0.0;
    QString RowDuration;       // the current row's Duration field (whole seconds)
    std::int32_t DoneSeconds = 0;
};

// What the window does besides the frame's state after one line.
struct KandrumLineEffects {
    std::optional<QString> ErrorRow; // a batch-log error row with this text
    bool RestartRow = false;         // the job's status row becomes a running row
    bool LabelsSet = false;          // both labels were written: pending window events are processed
    bool TitleSet = false;           // the title was written (after those events)
};

// One line of the transcoder (a complete line or the unfinished start of one).
KandrumLineEffects ApplyKandrumLine(ProgressFrameState &state, const QString &line, const KandrumJobContext &job);
// The same, with the job asked for only by a line that moves the bars: most lines are only
// counted, and need no look at the job.
KandrumLineEffects ApplyKandrumLine(ProgressFrameState &state, const QString &line,
                                    const std::function<KandrumJobContext()> &job);

// The current job as the Aud-X parser sees it.
struct AudXJobContext {
    QString FileName;         // the current row's Filename
    int Channels = 0;         // channels of the current file from the AC-3 or the WAV reader
    double ListDuration = 0.0;
    bool PastLastRow = false; // RowIndex is past the last row of the job list
};

struct AudXLineEffects {
    bool StopWithError = false; // the batch's outcome becomes "Error" and the run is stopped
    bool LabelsSet = false;
    bool TitleSet = false;
};

// One line of the Aud-X encoder. The file bar of an Aud-X job runs from 0 to 100 by the
// percentage the encoder reports; the file label shows it as "N,00 %".
AudXLineEffects ApplyAudXLine(ProgressFrameState &state, const QString &line, const AudXJobContext &job);

// ---- Batch start -----------------------------------------------------------------------------

// The active page and engines as the batch start reads them.
struct BatchEncoderChoice {
    KDPage Page = KDPage::None;
    int AACEngine = -1;      // item index of cbAACEncEngine: 0 3GPP, 1 FAAC, 2 Nero, 3 Winamp
    bool Aften = false;      // rbAften ticked (AC3 page)
    bool AC3Enc = false;     // rbAC3Enc ticked (AC3 page)
    int LosslessEngine = -1; // item index of cbLosslessEngine: 0 Flake
    bool TooLame = false;    // rbMP2TooLame ticked (MP2 page)
    bool MP3Stereo = false;  // rbMP3Ch2 ticked (MP3 page)
    bool MP3Surround = false;// rbMP3Ch6 ticked (MP3 page)
    QString AudXProgram = QStringLiteral("audx.exe"); // the 5.1 MP3 encoder's file name on disk
    bool AVIInput = false;   // an AVI file was added to the list
};

// One file the chosen encoder needs beside the transcoder: its name in lower case and the key
// of the message text shown when it is missing.
struct RequiredFile {
    QString Name;
    const char *MessageKey;
};
// The files to look for, in the order they are checked.
QList<RequiredFile> RequiredEncoderFiles(const BatchEncoderChoice &choice);

// True for an input the batch refuses: a file name ending in ".dts" or ".vob", in any case.
bool IsRefusedBatchInput(const QString &fileName);

// The options column of a job's first batch-log row: the part of its command line that shows
// the encoder options. `outputModeArg` is the WAV page's output-mode switch.
QString BatchOptionsText(const BatchEncoderChoice &choice, const QString &cmd, const QString &outputModeArg);

// The status text of a job while it runs, by the gain mode: "PreGainProcess", "PostGainProcess"
// (AAC and AC3 pages), "" (no text, PostGain on the other pages) or "TranscodingRunning".
const char *JobStatusKey(KDPage page, bool gainModeTicked, const QString &gainMode);

// How a job's run ended, from the runner's end status and the child's exit code: a success only
// when the child ended by itself (status 8) with exit code 0.
bool JobSucceeded(std::uint8_t endStatus, std::uint32_t exitCode);

// The priority class of the ticked priority item (Real1 ... Lowest1 by their names), testing in
// the order Low1, Lowest1, Normal1, Real1, High1, else Highest1.
struct PriorityTicks {
    bool Real1 = false, Highest1 = false, High1 = false, Normal1 = false, Low1 = false, Lowest1 = false;
};
std::uint32_t PriorityClassOfTicks(const PriorityTicks &ticks);
