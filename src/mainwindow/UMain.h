#pragma once

#include "ui_UMain.h"

#include "BatchRun.h"
#include "DelayChoice.h"
#include "DosCommand.h"
#include "JobListRules.h"
#include "OutputParse.h"

#include <QByteArray>
#include <QDateTime>
#include <QIcon>
#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <span>

class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;
class QLineEdit;
class QTreeWidgetItem;
class TAC3;
class TIniFile;
class TDTS;
class TMPEGaudio;
class TOggVorbis;
class TWAVfile;
class QMenu;
class QPainter;
class QRect;
class QShowEvent;
class QTimer;

// The main window: the job list, the processing options of the left panel, the page control with
// the eight encoder pages and their engine frames, the progress frame, the menus and the status bar.
// Every control keeps its layout name as objectName and is a public member (MainForm->chAzidDC,
// MainForm->FaacFrame1->TrackBar), so the other windows and the command-line builder reach it.
//
// Menu items that carry a tick are checkable actions bound to `triggered`: the toolkit has already
// inverted the tick when the handler runs, so code that wants the effect of a click calls trigger().
class TMainForm : public QMainWindow, public Ui::TMainForm
{
    Q_OBJECT
public:
    explicit TMainForm(QWidget *parent = nullptr);
    ~TMainForm() override;

    // Window-wide values set once at window creation (8-bit texts unless said otherwise).
    QByteArray LanguageFolder;       // program folder + "lang/"
    QByteArray WinampFolder;         // program files folder + "Winamp"
    QByteArray WinampEncAacPlusPath; // WinampFolder + "/Plugins/enc_aacplus.dll"
    QByteArray WinampNscrtPath;      // WinampFolder + "/nscrt.dll"
    QString SystemFolder;            // the system folder; empty means: never copy into it

    // The screen density adopted at creation when it is above 96; the layout is not scaled again.
    int PixelsPerInch = 96;

    // Running totals of the job list in seconds, and whether an AVI input was ever added.
    double ListDuration = 0.0;
    double TotalDuration = 0.0;
    bool AVIInput = false;

    // Icons of the log rows and the status bar: 0 information, 1 error, 2 status picture,
    // 3 warning.
    QList<QIcon> ImageList1;

    // The job list's pop-up menu: ClearList2, Check1, CheckNone2, RemoveUnchecked2, a separator,
    // AddtoJobQueue2.
    QMenu *TntPopupMenu1 = nullptr;

    // The two one-second timers of the progress display (disabled until a batch starts).
    QTimer *Timer1 = nullptr;
    QTimer *Timer2 = nullptr;

    // The tab page shown or hidden by the View > Tabs item of the given tag (0 to 7), else null.
    QWidget *TabPageOfTag(int tag) const;

    // The tool-path step of the settings load: the three stored paths into the tool-path dialog's
    // edits; without a stored transcoder path AskToolPaths() runs instead.
    void LoadToolPaths(const TIniFile &settings);
    // Looks for the transcoder, the splitter and SoX in the transcoder edit's folder, shows the
    // tool-path dialog modally, then copies the Winamp AAC+ files beside the transcoder. Used at
    // the first showing when no transcoder path is known.
    void AskToolPaths();
    // Copies "enc_aacplus.dll" and "nscrt.dll" from the Winamp folder into the transcoder's folder
    // where they are missing; only when the Winamp folder exists and a transcoder path is set.
    void WinampCopies();

public slots:
    // Rebuilds the command line of the selected job (or the empty-list template) from the controls.
    void KDCmdl();

    void Quit1Click();
    void MiCreateLstFileClick();
    void MiCreateMuxFileClick();
    void EditKDCLClick();
    void SplitFilesClick();
    void ForumLink1Click();
    void ForumLink2Click();
    void PriorityThread();
    void Log1Click();
    void ViewTab();
    void AdvSettingsClick();
    void btnAdvSettingsClick();
    void StartClick();
    void exeClick();
    void About1Click();
    void AddtoJobQueue2Click();

    // Language menu: each ticks its own item and unticks the other fourteen.
    void deClick();
    void chnClick();
    void CzClick();
    void EngClick();
    void SpnClick();
    void FrClick();
    void grClick();
    void HunClick();
    void itClick();
    void JpnClick();
    void ndlClick();
    void PlClick();
    void PortClick();
    void RusClick();
    void SlvClick();

public:
    // Paints the status bar's second panel: the bar's background, then image 2 of ImageList1 at
    // the panel's top left corner.
    void StatusBarDrawPanel(QPainter &painter, const QRect &rect);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    void FormClose();
    void FormDestroy();

    void SetupJobList();
    void SetupStatusBar();
    void ConnectMenus();
    void ConnectOptionControlsToKDCmdl();
    // The option pages' own handlers, each family in a file of its own. Every one marks the
    // controls it binds with MarkOwnHandler, so that the generic rebuild binding leaves them to it.
    void ConnectProcessingOptions(); // UMainOptions.cpp: left panel, page switch, AAC page and frames
    void ConnectMPEGPages();         // UMainMPEGPages.cpp: AC3, MP2 and MP3 pages
    void ConnectOtherPages();        // UMainOtherPages.cpp: VORBIS, WAV/PCM, SPEEX and Lossless pages
    void ChooseLanguage(QAction *item);
    QRect FitStoredGeometry(int left, int top, int width, int height) const;
    // Resizes and moves the window to FitStoredGeometry's answer for the place and size given:
    // `left` and `top` are the place of the window's frame, `width` and `height` the size of the
    // window within it. The place is kept as the one wanted, and applied to the frame once the
    // window system has told the frame's size (see SettleOnScreen).
    void PlaceOnScreen(int left, int top, int width, int height);
    // Once shown, a window manager puts its frame around the window a little later: until then
    // the frame's size is unknown, and a place given to the window would be the place of the
    // window within the frame, so that the frame would stand higher by its title bar at every
    // start. This waits (briefly) for the frame, then moves the frame to the wanted place and
    // fits it, with the status bar, into the screen's free area.
    void SettleOnScreen(int attemptsLeft);
    // How many times, 50 ms apart, the first showing looks for the window's frame.
    static constexpr int SettleAttempts = 100;
    bool FrameKnown() const;
    // Where the frame stands (the window's own place while it has none).
    QPoint FramePlace() const;
    // The place of the frame and the size of the window as the close button left them: what the
    // exit stores then (the closed window has lost its frame).
    void RememberPlace();
    // The frame's place and the window's size to store at exit.
    QRect PlaceToStore() const;

    QPoint m_wantedFramePlace;
    bool m_hasWantedFramePlace = false;
    bool m_settled = false;
    // Notices told before the window stood on the screen: shown once it does, so that the
    // window's own showing cannot cover them.
    QList<QPointer<QWidget>> m_noticesToShow;
    void ShowNoticesToShow();
    QRect m_placeAtClose;
    bool m_closedByButton = false;
    void OpenForumLink(QAction *item);
    void WriteStartupReport();

    bool m_shown = false;
    QAction *m_languageItem = nullptr; // the item of the last language that loaded

    // ---- Processing options, page switch, AAC page and its engine frames (UMainOptions.cpp) ---
public:
    // The delay edit's key filter: a character that may not be typed is replaced by a null
    // character (then nothing is typed).
    void edOTADelayKeyPress(QChar &Key);

public slots:
    void chAzidDCClick();
    void cbAzidDCChange();
    void chSSRCClick();
    void cbSSRCChange();
    void chBoostClick();
    void cbBoostChange();
    // The gain-mode rule; the page switch and the presets run it too.
    void chOTAModeClick();
    void cbOTAModeChange();
    void chOTAModeMouseMove();
    void chOTADelayClick();
    void edOTADelayChange();
    void chOTADelayMouseMove();
    void chOTAViewKDCLClick();
    // Runs when the user switches pages (not when code sets the page).
    void PageControl1Change();
    void rbAACOutputCh2Click();
    void rbAACOutputCh6Click();
    // The AAC engine choice; the Lossless engine, the presets and the FAAC MP4 box run it too.
    void cbAACEncEngineChange();

    void TGPRef1RefTrackBarChange();
    void TGPRef1chMonoEncodingRefEncClick();
    void TGPRef1TntCheckBox1Click();

    void FaacFrame1rbFAACVBRModeClick();
    void FaacFrame1rbFaacABRModeClick();
    void FaacFrame1chFaacLowpassAutoClick();
    void FaacFrame1chFaacLowpassClick();
    void FaacFrame1chAACtoMP4Click();
    void FaacFrame1chFaacProfileClick();
    void FaacFrame1chFaacMPEGversionClick();
    void FaacFrame1chFaacShortBlocksClick();
    void FaacFrame1SpEdFAACVBRModeChange();
    void FaacFrame1SpEdFAACABRModeChange();
    void FaacFrame1SpedFaacLowpassChange();
    void FaacFrame1chTNSClick();
    void FaacFrame1chMSCodingClick();
    void FaacFrame1cbFaacProfileChange();
    void FaacFrame1cbFaacMPEGversionChange();
    void FaacFrame1cbFaacShortBlocksChange();

    void NDFrame1rbQualityClick();
    void NDFrame1rbBitrateClick();
    void NDFrame1trackBarChange();
    void NDFrame1TrackBar2Change();
    void NDFrame1TntComboBox1Change();
    void NDFrame1TntCheckBox1Click();
    void NDFrame1chCBRClick();

    void CTFrame1rbMPEG2Click();
    void CTFrame1rbMPEG4Click();
    void CTFrame1cbAACModeChange();
    void CTFrame1chCTPNSClick();
    // The bit-rate rule of the Winamp plug-in, then its format rule.
    void CTFrame1TrackBarChange();
    // The format rule: the channel modes the format and bit rate allow (stereo output only).
    void CTFrame1cbCTFormatChange();

    void NeroFrame1rbAACCBRModeClick();
    void NeroFrame1rbAACVBRModeClick();
    void NeroFrame1chAACEncProfileClick();
    void NeroFrame1chAACEncQualClick();
    void NeroFrame1cbAACCBRModeChange();
    void NeroFrame1cbAACVBRModeChange();
    void NeroFrame1cbAACEncProfileChange();
    void NeroFrame1cbAACEncQualChange();
    void NeroFrame1chAACEncPNSClick();
    void NeroFrame1chAACEncHintClick();
    void NeroFrame1chAACEncMixClick();
    void NeroFrame1chAACEncExportClick();
    void NeroFrame1chAACEncDownmixClick();

private:
    // Runs another page's handler by its name, when that page has it.
    void RunHandlerByName(const char *handler);

    // ---- Job list: adding inputs, probing them, naming their outputs (UMainJobList.cpp) ------
public:
    // The five audio readers, created with the window and kept for the run.
    std::shared_ptr<TAC3> AC3file;
    std::shared_ptr<TWAVfile> WAVfile;
    std::shared_ptr<TMPEGaudio> MPEGfile;
    std::shared_ptr<TOggVorbis> OggVorbisfile;
    std::shared_ptr<TDTS> DTSfile;

    // Adds one input by its extension (lower case, with the dot); a file of 0 bytes or of an
    // unknown extension adds nothing.
    void AddFileTotheList(const QString &FileName, const QString &Ext);
    // The probes: each adds a ticked row when its reader takes the file as valid.
    void AddAC3(const QString &FileName);
    void AddDTS(const QString &FileName);
    void AddMp3(const QString &FileName);
    void AddVorbis(const QString &FileName);
    void AddWav(const QString &FileName);
    void AddAVI(const QString &FileName);
    // Reads a list file (".lst": one row per audio file it names) or a mux file (".mux": one row
    // for the whole 5.1 input; read again for a row already in the list, it only adds its
    // duration to ListDuration).
    void OpenKDTFile(const QByteArray &FileName);
    // Adapts the decoder and tempo options to the input type of the file name.
    void WAVasInput(const QByteArray &FileName);
    // Names the output of every selected or ticked row for the active page and engine, sets the
    // job names and rebuilds the command line. Only the folder part of `Path` is used.
    void InOutFileName(const QByteArray &Path);
    // The output naming as the page switch, the engine choice, the option pages and the presets
    // redo it: every selected or ticked row is named for the active page and engine, with or
    // without a selected row (InOutFileName with the selected row's InputPath, or the first
    // row's). Nothing with an empty list.
    void InOutFileNameOfSelectedRow();
    // Loads a list or mux file that a side dialog wrote, as the open dialog loads one: its rows
    // are named, the first row is refreshed, and Label1, ListDuration and TotalDuration follow.
    void LoadListFile(const QByteArray &FileName);
    // Just before a job starts: gives the row an output name that the active page and engine
    // write (the folder and base name kept) and that names no existing file in its output folder
    // (name_1, name_2, ...), unless the user chose that very file in the save dialog and
    // confirmed its overwrite. The confirmation covers one run.
    void PrepareJobOutput(QTreeWidgetItem *row);
    // Sets the delay option to the delay the row of the input `FileName` runs with: the delay
    // its name carries ("... DELAY -66ms.ac3"), or what the user chose for the delay option.
    void DetectDelay(const QByteArray &FileName, QLineEdit *DelayEdit);

    // The dialogs of the job list, replaceable (tests set them; null means the toolkit's own).
    // The open dialog: the filters and the preselected one in, the chosen files out.
    static std::function<QStringList(QWidget *parent, const QStringList &filters, int selectedFilter)>
        OpenDialog1Hook;
    // The folder picker: the chosen folder, or empty when cancelled.
    static std::function<QString(QWidget *parent)> OpenDirDialogHook;
    // The save dialog: filters, proposed file name and default suffix in; the chosen file out,
    // empty when cancelled.
    static std::function<QString(QWidget *parent, const QStringList &filters, const QString &fileName,
                                 const QString &defaultSuffix)>
        SaveDialog1Hook;
    // Message boxes with an OK button: `error` false for information, true for an error.
    static std::function<void(QWidget *parent, const QString &text, bool error)> MessageHook;

    // The row's whole duration in seconds (as its probe measured it).
    static double RowSeconds(const QTreeWidgetItem *row);

public slots:
    void Open1Click();
    void AddDirClick();
    void Save1Click();
    void ClearList2Click();
    void Check1Click();
    void CheckNone2Click();
    void RemoveUnchecked2Click();
    void InputListViewClick();
    void InputListViewChange();
    // The selected row's delay into the delay option, as its job will run with it.
    void ShowSelectedRowDelay();

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void ConnectJobList();
    // The window's handler of dropped files: 8-bit names of at most 255 characters.
    void WMDropFiles(const QList<QByteArray> &names);
    QTreeWidgetItem *AddJobRow(const QString &FileName, const QString &description, double seconds);
    void SetTempoControlsEnabled(bool enabled);
    void ShowListDuration();
    void RecountTotalDuration();
    void RefreshFirstRow();
    void EnableStart();
    double ListDurationFromLabel() const;
    // While an add operation runs (BeginAdd ... EndAdd), its messages are gathered and the last
    // EndAdd tells them as one.
    void ShowMessage(const QString &text, bool error);
    // The same without holding up the caller: the window stays usable while the box is shown.
    void ShowMessageWithoutWaiting(const QString &text, bool error);
    // What the user chose for the delay option; each row's delay follows from it (DetectDelay).
    DelayChoice m_delayChoice;
    bool m_showingDelay = false; // the window sets the delay option to show a row's delay
    // ---- Presets: the Presets menu's twelve families (UMainPresets.cpp) ----------------------
public slots:
    // One handler per family; the clicked item's "tag" property selects the row.
    void PSCTAACPresets();
    void PSNDAACPresets();
    void CTHEPresets();
    void NDHEPresets();
    void CTLCAACPresets();
    void LCPresets();
    void FAACPresets();
    void AC3Presets();
    void MP2Presets();
    void MP3Presets();
    void OGGPresets();
    void WAVPresets();

private:
    // Makes the preset items checkable and binds each family's items to its handler.
    void ConnectPresets();
    // The clicked preset item and its tag, or null when the sender is not a tagged item.
    QAction *PresetItemOfSender(int *tag) const;
    // Unticks every item of the family's own submenu and ticks `item`.
    void TickPresetItem(QMenu *family, QAction *item);
    // The opening of every family: the clicked item and its tag, with the item ticked in its
    // family, or null (and nothing ticked) when the tag is not one of the family's `items` rows.
    QAction *StartPreset(QMenu *family, int items, int *tag);
    // The downmix step: ticks (on) or unticks both of the advanced dialog's channel boxes and
    // writes their keys.
    void SetAdvancedBoxes(bool on);
    // The advanced boxes on with `stereoRadio` ticked, or off with `surroundRadio`, in that order.
    void SetBoxesAndChannels(bool stereo, QAbstractButton *stereoRadio,
                             QAbstractButton *surroundRadio);
    // Turns resampling off when it is ticked or its rate list is enabled.
    void ResetResampling();
    // Makes `page` the active page without running the page-switch handler.
    void ShowPresetPage(QWidget *page);
    // Resets resampling, makes `page` active and ticks `item` once more.
    void OpenPresetPage(QWidget *page, QAction *item);
    // The AAC engine with its frame's mode: CT in MPEG-4, or Nero Digital by quality with the
    // profile item `profile`.
    void SelectCTEngine();
    void SelectNDEngine(int profile);
    // Runs the window's handler `name` when the window publishes it, else emits the signal of
    // `control` that its handler is bound to.
    void RunPresetHandler(const char *name, QObject *control);
    void RunOTAModeClick();
    void RunAACEncEngineChange();
    void RunCTFormatChange();
    // The CT engine's channels, format item and bit rate: the channel radio with its handler
    // (the format list of that choice), the format item from that list, then the rate.
    void SetCTTarget(bool stereo, int kbps, int format);
    // The CT frame for the ticked AAC channels: the channel mode enabled in stereo only, the
    // format list of the channel choice, and in stereo the format rule, in 5.1 the plug-in's
    // bit-rate range. The channel radios run it with `always` (a fresh list with its first item);
    // otherwise a list that is already the one of the ticked channels, with an item selected,
    // keeps the user's format. Rebuilds no command line.
    void FitCTFrameToChannels(bool always);
    // While the gain mode is ticked, the gain list holds the modes of the page in use, keeping
    // the chosen mode where the page offers it (the page set without the page-switch handler).
    void FitGainListToPage();
    // One Nero Digital by-quality family: profile item `profile`, stereo Tags 0 to 3, 5.1 after.
    void NDQualityPreset(QMenu *family, int profile, std::span<const int, 6> qualities);
    // ---- Batch: start, job runner, output parsing, progress and time (UMainBatch.cpp) -------
public:
    // Runs the transcoder jobs, one at a time; its lines and end notice come back here.
    TDosCommand *DosCommand1 = nullptr;

    // Batch state. RowIndex: the current row of InputListView (0 at the start of a batch);
    // DoneSeconds: the position of the total bar at the end of the last job; ParseCounter: the
    // progress lines counted since the last handled one (0 at each job start, 100 after an error
    // line or a failed batch).
    qint32 RowIndex = 0;
    qint32 DoneSeconds = 0;
    qint32 ParseCounter = 0;
    QDateTime FileStartTime;
    QDateTime BatchStartTime;

    // True from the launch of a batch until its final report.
    bool BatchRunning() const { return m_batchRunning; }
    // While a batch runs the job list keeps its rows, since the runner walks them by position:
    // adding, removing or clearing rows is refused (with a message when `tell`). The runner's own
    // reading of a list or mux row's file is not such a change.
    bool ListLockedByBatch(bool tell);

    // An add operation of several files (the open dialog's files, a drop, a folder, a list or mux
    // file): the files that cannot be added are told in one message when the outermost add ends.
    void BeginAdd();
    void EndAdd();

    // Start checks and the set-up of the progress frame, then the first job.
    void LaunchProcess();
    // Starts the job of the current row, skipping unticked rows; past the last row, ends the
    // batch.
    void LaunchNextFile();
    // The end notice of DosCommand1 and its line handler.
    void DosCommand1Terminated(QObject *Sender, quint32 ExitCode);
    void DosCommand1NewLine(QObject *Sender, const QByteArray &NewLine, TOutputType OutputType);
    // The parsers of the transcoder's and of the Aud-X encoder's lines.
    void Parse_Kandrum(const QString &line);
    void Parse_AudX(const QString &line);
    // Puts the class of the ticked priority item on DosCommand1 and on the program itself.
    void PriorityCommand();

public slots:
    // The "Start Processing" button; the menu item Start and the command-line editor's Run call
    // it too (by name).
    void bbStartProcessClick();
    void ProgressFrame1SpeedButtonStopClick();
    void ProgressFrame1SpeedButtonQuitClick();
    void Timer1Timer();
    void Timer2Timer();

private:
    void ConnectBatch();
    // The final report, by the Stop button's hint ("Done", "Error", "Aborted").
    void EndOfBatch();
    // A batch with no ticked row: nothing ran, so the frame only offers Quit.
    void EndOfEmptyBatch();
    void SetBatchMenusEnabled(bool enabled);
    // Appends a row to the batch log (icon 0 information, 1 error): the time, the text, the
    // options.
    QTreeWidgetItem *AddBatchLogRow(int icon, const QString &text, const QString &options = QString());
    void ScrollBatchLogToEnd();
    void SetWindowAndApplicationTitle(const QString &title);
    // Ends the job whose run could not be handed to the runner (an empty command line).
    void FailJobWithoutRun(quint64 job);
    // The end of the current job: resets the file's labels, records the outcome and tells why a
    // failed job failed, starts the next.
    void EndOfJob(const JobOutcome &outcome);
    // The row of the running job (the row it selected when it started).
    QTreeWidgetItem *BatchJobRow() const;
    // The duration in seconds of the current job's file as the reader of its type gives it.
    double CurrentFileSeconds(int *channels = nullptr);

    bool m_batchRunning = false;
    // What lasts the running batch: the files its jobs were given, the current job with its
    // serial, command, ".part" files and what its child printed, and whether a job failed.
    BatchRun m_batch;
    bool m_readingJobFile = false; // the runner reads the current job's list or mux file
    int m_addDepth = 0;   // add operations in progress, one inside the other
    AddReport m_addReport; // what they could not add so far
    QList<QPointer<QWidget>> m_tempoControls; // the advanced dialog's eight tempo controls
    // Removes what a job whose process has ended left of its "<output>.part" files.
    void RemoveLeftPartFiles(quint64 job, const QList<BatchPartFile> &parts);
    // The files a built command writes for its output: the WAV page's six mono files or the one
    // output, and the transcoder's log as the advanced dialog's boxes keep it.
    JobFileKind CurrentJobFileKind() const;
    // Writes the rows that tell why the job that just ended failed.
    void AddJobFailureRows(const JobOutcome &outcome);
    // The status row of the current job in the batch log.
    QTreeWidgetItem *m_statusRow = nullptr;
    // The reader's figures of the current job's file, read once per job.
    quint64 m_fileFiguresJob = 0;
    double m_fileSeconds = 0.0;
    int m_fileChannels = 0;
    // The lines of the running job are parsed as they come, every one of them, but what they
    // show reaches the progress frame once per turn of the event loop, however fast they come:
    // the frame as the lines left it, for the job it belongs to, and whether they set the title.
    // An unfinished line waits there too, and is parsed only when no later delivery of the same
    // line has come by then.
    struct JobProgressShown {
        quint64 Job = 0;
        bool FramePending = false;
        bool TitlePending = false;
        bool Scheduled = false;
        bool PartialPending = false;
        QByteArray Partial;
        ProgressFrameState Frame;
    } m_jobProgress;
    // The frame as the current job's lines left it (the widgets' when nothing is pending).
    ProgressFrameState JobProgressFrame();
    void KeepJobProgressFrame(const ProgressFrameState &frame, bool titleSet);
    void ScheduleJobProgress();
    // Nothing pending, for the current job.
    void ResetJobProgress();
    // Writes what is pending for the current job on the progress frame (and drops what belongs
    // to another one).
    void ShowJobProgress();
    void ParseJobLine(const QString &line);

    // ---- VORBIS, WAV/PCM, SPEEX and Lossless pages (UMainOtherPages.cpp) --------------------
public slots:
    // VORBIS page. The two channel handlers also serve the Lossless page's channel radios.
    void rbVORBISOutputCh2Click();
    void rbVORBISOutputCh6Click();
    void rbVORBISQualityClick();
    void rbVORBISBitrateClick();
    void rbVORBISCBRModeClick();
    void rbVORBISABRModeClick();
    void VORBISScrollBarChange();
    // The two value labels: each only sets its own caption from the page's state, so any code
    // may call them at any time (the resampling options refresh the estimate this way).
    void lbVORBISqlevelValClick();
    void lbVORBISnomBitrateValClick();
    void SpEdtVORBISminChange();
    void SpEdtVORBISnomChange();
    void SpEdtVORBISmaxChange();
    // WAV/PCM page: the format radios (the page switch runs the ticked one) and the channel set.
    void rbWAVOutputClick();
    void rbAIFFOutputClick();
    void rbDDWAVOutputClick();
    void rbWAVOutput1Click();
    void rbWAVOutput2Click();
    void rbWAVOutput3Click();
    void rbWAVOutput4Click();
    // SPEEX page.
    void rbSpeexQualityClick();
    void rbSpeexBitrateClick();
    void SpeexQualityTrackBarChange();
    void SpeexBitrateTrackBarChange();
    void chSpeexABRClick();
    void chSpeexVBRClick();
    void chSpeexEncComplexClick();
    void spEdEncComplexChange();
    void chSpeexFramesOggClick();
    void spEdFramesOggChange();
    void chSpeexDenoiseClick();
    void chSpeexAGCClick();
    // Lossless page.
    void FlakeTrackBarChange();
    void lbFlakeLinkClick();
    void lbFlakeLinkMouseEnter();
    void lbFlakeLinkMouseLeave();

private:
    // Runs one handler of the encoder pages or one preset. An error thrown inside ends the
    // outermost handler with the error message (the handlers it ran stop there too). A failed
    // write of the channel keys throws nothing: the handlers go on to their rebuild, and the
    // outermost one shows the failure once it is done.
    void RunOtherPageHandler(const std::function<void()> &body);
    // Inside a handler: ends it when a handler it ran (through a control set from code) failed.
    void EndOnNestedOtherPageFailure();
    // A write of the channel keys that failed: shown once, when the outermost handler ends (or at
    // once outside any), and not again for the same failure until a write has succeeded.
    void NoteChannelKeyFailure(const QString &message);
    void ReportChannelKeyFailure();
    int m_otherPageDepth = 0;
    QString m_otherPageFailure;
    bool m_otherPageFailed = false;
    QString m_pendingKeyFailure;
    QString m_reportedKeyFailure;

    // ---- AC3, MP2 and MP3 pages: their own handlers (UMainMPEGPages.cpp) --------------------
public:
    // The one downmix step of every encoder page and of the presets: the channel choice handed to
    // the advanced dialog through the [Zolvane] keys "check_lfe" and "output_mode_check"
    // (1 stereo, 0 multichannel). The stereo step ticks the dialog's chLFEtoLR and chOutputMode
    // where unticked, the multichannel step unticks them where ticked, and both then write the
    // two keys; the key-only step writes the keys alone, and SetDownmixBoxes sets the boxes
    // alone. A failed write is noted (NoteChannelKeyFailure) and the caller goes on, so that
    // the page and the command line never disagree with the choice the user made.
    void DownmixStereoStep();
    void DownmixMultichannelStep();
    void DownmixKeysStep(int value);
    void SetDownmixBoxes(bool ticked);
    // The key-only step for a handler that goes on after it: runs it inside RunOtherPageHandler,
    // which reports a failed write.
    void KeyOnlyStepInFrame(int value);

public slots:
    // Each takes the control that fired (or null when called from code) and ends by rebuilding
    // the command line, except the link labels' handlers and btMP3Others. Hints are tool tips,
    // except the MP3 bit-rate bar's, which is never shown and kept in its property "hint".
    void rbAC3OutputCh2Click(QObject *Sender = nullptr);
    void rbAC3OutputCh6Click(QObject *Sender = nullptr);
    void rbAC3Encoder(QObject *Sender = nullptr);
    void AC3TrackBarChange(QObject *Sender = nullptr);
    void AftenMode(QObject *Sender = nullptr);
    void AftenFrame1AftenQualTrackBarChange(QObject *Sender = nullptr);
    void rbAC3Endians1Click(QObject *Sender = nullptr);
    void rbAC3Endians2Click(QObject *Sender = nullptr);
    void lbAftenLinkClick(QObject *Sender = nullptr);
    void lbAftenLinkMouseEnter(QObject *Sender = nullptr);
    void lbAftenLinkMouseLeave(QObject *Sender = nullptr);
    void rbMP2TooLameClick(QObject *Sender = nullptr);
    void rbMP2encClick(QObject *Sender = nullptr);
    void MP2TrackBarChange(QObject *Sender = nullptr);
    void chMP2EncModeClick(QObject *Sender = nullptr);
    void cbMP2EncModeChange(QObject *Sender = nullptr);
    void chMP2EncVBRClick(QObject *Sender = nullptr);
    void SpEdtMP2VBRChange(QObject *Sender = nullptr);
    void rbMP3Ch2Click(QObject *Sender = nullptr);
    void rbMP3Ch6Click(QObject *Sender = nullptr);
    void rbMP3BitrateClick(QObject *Sender = nullptr);
    void rbMP3QualityClick(QObject *Sender = nullptr);
    void LameFrame1MP3TrackBar_BitrateChange(QObject *Sender = nullptr);
    void LameFrame1chMP3ABRClick(QObject *Sender = nullptr);
    void LameFrame1MP3TrackBar_QualityChange(QObject *Sender = nullptr);
    void LameFrame1cbVBRModeChange(QObject *Sender = nullptr);
    void LameFrame1chMP3MonoClick(QObject *Sender = nullptr);
    void LameFrame1btMP3OthersClick(QObject *Sender = nullptr);
    void AuXFrame1cbModeChange(QObject *Sender = nullptr);
    void AuXFrame1AuXProjectlinkClick(QObject *Sender = nullptr);
    void AuXFrame1AuXProjectlinkMouseEnter(QObject *Sender = nullptr);
    void AuXFrame1AuXProjectlinkMouseLeave(QObject *Sender = nullptr);

private:
    // The bit-rate edit of the LAME frame, once the user has finished typing into it: a whole
    // number from 8 to 320 moves the bit-rate bar, anything else gives the edit back the rate
    // the bar stands for.
    void LameFrame1edMP3BitrateEditingFinished();
    // The MP3 quality hint for a quality position and a VBR mode index; an empty text outside
    // 0 to 9.
    static QString MP3QualityHint(int position, int vbrModeIndex);
    // ---- end of the AC3, MP2 and MP3 pages ------------------------------------------------

    // ---- Settings file: the general section and the encoder sections (UMainSettings.cpp) -----
public:
    // Writes the eight encoder sections [AAC] ... [Lossless] of the settings file; raises
    // EIniFileException when a write fails.
    void SaveINI();
    // The settings step of the first showing: the geometry, the tool paths (LoadToolPaths), the
    // rest of the general section, then the encoder sections, each control in its fixed order.
    void LoadSettings(const TIniFile &settings);

private:
    void SaveGeneralSettings(TIniFile &ini);
    void LoadAACSettings(const TIniFile &settings);
    void LoadMPEGSettings(const TIniFile &settings);       // [AC3], [MP2], [MP3]
    void LoadOtherPagesSettings(const TIniFile &settings); // [SPEEX], [VORBIS], [WAV], [Lossless]
    void ActivateSettingsPage(QWidget *page);
};

extern TMainForm *MainForm;

// A control whose change is bound to a handler of its own (which ends by rebuilding the command
// line) is marked, so that it is not bound to the plain rebuild as well.
void MarkOwnHandler(QObject *control);
bool HasOwnHandler(const QObject *control);
