#pragma once

#include "ui_UMain.h"

#include <QByteArray>
#include <QIcon>
#include <QList>
#include <QMainWindow>
#include <QString>

#include <memory>

class QCloseEvent;
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

    // The audio readers the job list probes with, created with the window and kept for the run.
    std::unique_ptr<TAC3> AC3Info;
    std::unique_ptr<TWAVfile> WAVInfo;
    std::unique_ptr<TMPEGaudio> MPEGInfo;
    std::unique_ptr<TOggVorbis> VorbisInfo;
    std::unique_ptr<TDTS> DTSInfo;

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
    void ChooseLanguage(QAction *item, const QString &languageName);
    void OpenForumLink(QAction *item);
    void WriteStartupReport();

    bool m_shown = false;
};

extern TMainForm *MainForm;
