#include "UMain.h"
#include "ULanguage.h"
#include "LanguageKeys.h"
#include "LanguageStrings.h"

#include "Paths.h"
#include "DialogSupport.h"

#include "JobRow.h"
#include "KDCmdlGather.h"
#include "UMainGlobals.h"
#include "URessources.h"
#include "ZolvaneApp.h"

#include "AC3.h"
#include "DTS.h"
#include "MPEGaudio.h"
#include "OggVorbis.h"
#include "WAVfile.h"

#include "UAbout.h"
#include "UAdvanced.h"
#include "UAudX.h"
#include "UDTSFiles.h"
#include "UEditKDCL.h"
#include "UExeBrowser.h"
#include "UFileLstWriter.h"
#include "UKDmuxFile.h"
#include "UKaparto.h"
#include "ULame.h"
#include "UZolvaneLog.h"

#include "IniFile.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QMessageBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QUrl>

TMainForm *MainForm = nullptr;

namespace {

const QString kVersion = QStringLiteral("0.2.2.0 RC1");

bool FileIsMissingIn(const QString &folder, const QString &name)
{
    return FindFileIgnoringCase(folder, name).isEmpty();
}

// The first file of that name, whatever its case, in the folders of the program search path, or
// an empty text. Only the version resource is read from it, so it need not be executable here.
QString FindOnSearchPath(const QString &name)
{
    const QStringList folders = qEnvironmentVariable("PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString &folder : folders) {
        const QString found = FindFileIgnoringCase(folder, name);
        if (!found.isEmpty())
            return QDir(folder).filePath(found);
    }
    return QString();
}

// The status bar's second panel, drawn by its owner.
class TStatusPanel : public QWidget
{
public:
    TStatusPanel(TMainForm *owner, QWidget *parent)
        : QWidget(parent), m_owner(owner)
    {
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        m_owner->StatusBarDrawPanel(painter, rect());
    }

private:
    TMainForm *m_owner;
};

} // namespace

TMainForm::TMainForm(QWidget *parent)
    : QMainWindow(parent)
{
    setupUi(this);
    setObjectName(QStringLiteral("MainForm"));

    QStyle *st = style();
    ImageList1 = {st->standardIcon(QStyle::SP_MessageBoxInformation),
                  st->standardIcon(QStyle::SP_MessageBoxCritical),
                  st->standardIcon(QStyle::SP_ComputerIcon),
                  st->standardIcon(QStyle::SP_MessageBoxWarning)};

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(1000);

    SetupJobList();
    SetupStatusBar();

    // A page's tab is shown exactly while its View > Tabs item is ticked (SPEEX and Lossless are
    // not ticked in the layout).
    for (QAction *item : tab1->actions()) {
        if (QWidget *page = TabPageOfTag(item->property("tag").toInt()))
            PageControl1->setTabVisible(PageControl1->indexOf(page), item->isChecked());
    }

    ConnectMenus();
    ConnectJobList();
    ConnectBatch();
    ConnectProcessingOptions();
    ConnectMPEGPages();
    ConnectOtherPages();
    ConnectPresets();
    ConnectOptionControlsToKDCmdl();
    FormCreate();
}

TMainForm::~TMainForm()
{
    FormDestroy();
}

void TMainForm::SetupJobList()
{
    QHeaderView *header = InputListView->header();
    header->setSectionsMovable(false);
    header->setMinimumSectionSize(0);
    header->resizeSection(jcCheck, 25);
    header->resizeSection(jcFilename, 257);
    header->resizeSection(jcDescription, 311);
    // Only the file name and the description are shown; the other fields are kept in columns of
    // no width.
    for (int column : {jcInputPath, jcOutputPath, jcDuration, jcCmd, jcOutputFilename})
        InputListView->setColumnHidden(column, true);
    // The description, the last column shown, takes the width the list has left on its right.
    header->setStretchLastSection(true);

    TntPopupMenu1 = new QMenu(this);
    TntPopupMenu1->setObjectName(QStringLiteral("TntPopupMenu1"));
    TntPopupMenu1->addAction(ClearList2);
    TntPopupMenu1->addAction(Check1);
    TntPopupMenu1->addAction(CheckNone2);
    TntPopupMenu1->addAction(RemoveUnchecked2);
    TntPopupMenu1->addSeparator();
    TntPopupMenu1->addAction(AddtoJobQueue2);
    connect(InputListView, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        // The items that take rows away wait for the end of a running batch.
        const bool listFree = !BatchRunning();
        ClearList2->setEnabled(listFree);
        RemoveUnchecked2->setEnabled(listFree);
        TntPopupMenu1->popup(InputListView->viewport()->mapToGlobal(pos));
    });
}

void TMainForm::SetupStatusBar()
{
    auto *first = new QLabel(StatusBar);
    first->setObjectName(QStringLiteral("StatusBarPanel1"));
    first->setFixedWidth(540);
    StatusBar->addWidget(first);
    auto *second = new TStatusPanel(this, StatusBar);
    second->setObjectName(QStringLiteral("StatusBarPanel2"));
    second->setFixedSize(100, 18);
    StatusBar->addPermanentWidget(second);
}

void TMainForm::StatusBarDrawPanel(QPainter &painter, const QRect &rect)
{
    painter.fillRect(rect, StatusBar->palette().brush(StatusBar->backgroundRole()));
    const int size = qMin(16, rect.height());
    ImageList1.value(2).paint(&painter, QRect(rect.left(), rect.top(), size, size),
                              Qt::AlignLeft | Qt::AlignTop);
}

QWidget *TMainForm::TabPageOfTag(int tag) const
{
    switch (tag) {
    case 0: return TabSheet1;
    case 1: return TabSheet2;
    case 2: return TabSheet3;
    case 3: return TabSheet4;
    case 4: return TabSheet7;
    case 5: return TabSheet5;
    case 6: return TabSheet6;
    case 7: return LosslessTab;
    default: return nullptr;
    }
}

void TMainForm::ConnectMenus()
{
    connect(MiCreateLstFile, &QAction::triggered, this, &TMainForm::MiCreateLstFileClick);
    connect(MiCreatemuxFile, &QAction::triggered, this, &TMainForm::MiCreateMuxFileClick);
    connect(Quit1, &QAction::triggered, this, &TMainForm::Quit1Click);
    connect(EditKDCL, &QAction::triggered, this, &TMainForm::EditKDCLClick);
    connect(SplitFiles, &QAction::triggered, this, &TMainForm::SplitFilesClick);
    connect(ForumLink1, &QAction::triggered, this, &TMainForm::ForumLink1Click);
    connect(ForumLink2, &QAction::triggered, this, &TMainForm::ForumLink2Click);
    for (QAction *item : Priority->actions())
        connect(item, &QAction::triggered, this, &TMainForm::PriorityThread);
    connect(Log1, &QAction::triggered, this, &TMainForm::Log1Click);
    for (QAction *item : tab1->actions())
        connect(item, &QAction::triggered, this, &TMainForm::ViewTab);
    connect(de, &QAction::triggered, this, &TMainForm::deClick);
    connect(chn, &QAction::triggered, this, &TMainForm::chnClick);
    connect(Cz, &QAction::triggered, this, &TMainForm::CzClick);
    connect(Eng, &QAction::triggered, this, &TMainForm::EngClick);
    connect(Spn, &QAction::triggered, this, &TMainForm::SpnClick);
    connect(Fr, &QAction::triggered, this, &TMainForm::FrClick);
    connect(gr, &QAction::triggered, this, &TMainForm::grClick);
    connect(Hun, &QAction::triggered, this, &TMainForm::HunClick);
    connect(it, &QAction::triggered, this, &TMainForm::itClick);
    connect(Jpn, &QAction::triggered, this, &TMainForm::JpnClick);
    connect(ndl, &QAction::triggered, this, &TMainForm::ndlClick);
    connect(Pl, &QAction::triggered, this, &TMainForm::PlClick);
    connect(Port, &QAction::triggered, this, &TMainForm::PortClick);
    connect(Rus, &QAction::triggered, this, &TMainForm::RusClick);
    connect(Slv, &QAction::triggered, this, &TMainForm::SlvClick);
    connect(AdvSettings, &QAction::triggered, this, &TMainForm::AdvSettingsClick);
    connect(Start, &QAction::triggered, this, &TMainForm::StartClick);
    connect(exe, &QAction::triggered, this, &TMainForm::exeClick);
    connect(About1, &QAction::triggered, this, &TMainForm::About1Click);
    connect(AddtoJobQueue2, &QAction::triggered, this, &TMainForm::AddtoJobQueue2Click);
    connect(btnAdvSettings, &QPushButton::clicked, this, &TMainForm::btnAdvSettingsClick);
    // The file items (Open1, AddDir, Save1), the job list's pop-up items, the Start button and the
    // presets are bound by the job list, output naming, batch and preset code.
}

// Every option control of the left panel and of the encoder pages ends its change by rebuilding
// the command line. A control whose own handler does more binds that handler, which ends with
// KDCmdl() itself.
void TMainForm::ConnectOptionControlsToKDCmdl()
{
    const QList<QWidget *> areas = {gbAzidDC, gbSSRC, gbBoost, gbOTA, PageControl1};
    for (QWidget *area : areas) {
        for (QAbstractButton *box : area->findChildren<QAbstractButton *>()) {
            if (HasOwnHandler(box))
                continue;
            if (qobject_cast<QCheckBox *>(box) || qobject_cast<QRadioButton *>(box))
                connect(box, &QAbstractButton::toggled, this, &TMainForm::KDCmdl);
        }
        for (QAbstractSlider *bar : area->findChildren<QAbstractSlider *>()) {
            if (!HasOwnHandler(bar))
                connect(bar, &QAbstractSlider::valueChanged, this, &TMainForm::KDCmdl);
        }
        for (QSpinBox *spinEdit : area->findChildren<QSpinBox *>()) {
            if (!HasOwnHandler(spinEdit))
                connect(spinEdit, &QSpinBox::valueChanged, this, &TMainForm::KDCmdl);
        }
        for (QComboBox *combo : area->findChildren<QComboBox *>()) {
            if (HasOwnHandler(combo))
                continue;
            connect(combo, &QComboBox::activated, this, &TMainForm::KDCmdl);
            if (combo->isEditable())
                connect(combo->lineEdit(), &QLineEdit::textEdited, this, &TMainForm::KDCmdl);
        }
        for (QLineEdit *edit : area->findChildren<QLineEdit *>()) {
            QObject *owner = edit->parent();
            if (qobject_cast<QComboBox *>(owner) || qobject_cast<QAbstractSpinBox *>(owner))
                continue;
            if (!HasOwnHandler(edit))
                connect(edit, &QLineEdit::textChanged, this, &TMainForm::KDCmdl);
        }
    }
}

void MarkOwnHandler(QObject *control)
{
    if (control)
        control->setProperty("zolvaneOwnHandler", true);
}

bool HasOwnHandler(const QObject *control)
{
    return control && control->property("zolvaneOwnHandler").toBool();
}

void TMainForm::FormCreate()
{
    // 1. The layout's caption is a placeholder.
    setWindowTitle(QStringLiteral("Zolvane"));
    // 2. Nothing has been edited by hand and no AVI input added yet.
    CmdLineEdited = false;
    AVIInput = false;
    // 3. A hint stays on screen for 10 seconds.
    SetHintHidePause(10000);
    // 4. Files dropped from the file manager are taken by the job list.
    setAcceptDrops(true);
    // 5. The five audio readers were created with the job list (ConnectJobList) for the whole run.
    // 6.
    LanguageFolder = (ProgramFolder() + QStringLiteral("lang/")).toLocal8Bit();
    // 7. Fit the window to the screen (its whole size, not the part left free by panels).
    if (QScreen *screen = this->screen()) {
        const QRect whole = screen->geometry();
        if (whole.height() < height())
            resize(width(), whole.height());
        if (whole.width() < width())
            resize(whole.width(), height());
    }
    // 8. A screen denser than 96 pixels per inch is recorded; the layout is not scaled again.
    if (const int density = GetScreenPixelsPerInch(); density > 96)
        PixelsPerInch = density;
    // 9.
    const QString programFiles = GetSpecialFolderPath(SpecialFolderProgramFiles);
    AudXFolder = (programFiles + QStringLiteral("Aud-X")).toLocal8Bit();
    WinampFolder = (programFiles + QStringLiteral("Winamp")).toLocal8Bit();
    WinampEncAacPlusPath = WinampFolder + "/Plugins/enc_aacplus.dll";
    WinampNscrtPath = WinampFolder + "/nscrt.dll";
    SystemFolder = GetSystemFolder();
    // 10. Never copy into the system folder when none is configured.
    if (!SystemFolder.isEmpty() && FileIsMissingIn(SystemFolder, QStringLiteral("nscrt.dll")))
        ShellCopyFile(QString::fromLocal8Bit(WinampNscrtPath), SystemFolder);
    // 11.
    ListDuration = 0.0;
    TotalDuration = 0.0;
}

void TMainForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    m_closedByButton = false;
    if (!m_shown) {
        m_shown = true;
        FormShow();
        // The frame comes with the first showing: the window is placed once it is known (waiting
        // for it at most SettleAttempts times 50 ms).
        QTimer::singleShot(0, this, [this] { SettleOnScreen(SettleAttempts); });
    }
}

void TMainForm::FormShow()
{
    // What the start-up writes (the channel choices' keys, the tool-path dialog) is one replace of
    // the settings file at the end.
    const QString settingsPath = SettingsFilePath();
    TIniSavePass pass(settingsPath);
    // 1. The English texts are applied first, whatever language was saved.
    EngClick();
    // A named pipe or a device in the settings file's place is neither read nor written over.
    if (pass.ReadStatus() == TReadOpenStatus::NotRegular)
        ShowMessageWithoutWaiting(LanguageStrings.SettingsNotRegular.arg(settingsPath), true);
    // 2. The advanced dialog loads its settings here (without showing itself).
    if (AdvancedSet) AdvancedSet->FormShow();
    // The extra LAME options load theirs too, so that saved options reach the first command line.
    if (OthersLame) OthersLame->FormShow();
    // 3.
    CmdLineEdited = false;
    // 4.
    if (About) {
        if (auto *label = About->findChild<QLabel *>(QStringLiteral("Label2")))
            label->setText(QStringLiteral("Version : ") + kVersion);
    }
    // 5. and 6.
    if (QFileInfo::exists(settingsPath)) {
        const TIniFile settings(settingsPath);
        LoadSettings(settings);
    } else {
        if (ExeBrowse)
            ExeBrowse->exec();
        WinampCopies();
    }
    // 7.
    if (ZolvaneLog)
        ZolvaneLog->setVisible(Log1->isChecked());
    // 8.
    KDCmdl();
    // 9.
    WriteStartupReport();
    try {
        pass.Commit();
    } catch (const EIniFileException &error) {
        ShowMessage(SettingsErrorText(error), true);
    }
}

void TMainForm::LoadToolPaths(const TIniFile &settings)
{
    const QString section = QStringLiteral("Zolvane");
    auto edit = [](const char *name) {
        return ExeBrowse ? ExeBrowse->findChild<QLineEdit *>(QString::fromLatin1(name)) : nullptr;
    };
    QLineEdit *edKandrum = edit("edKandrum");
    const QString current = edKandrum ? edKandrum->text() : QString();
    if (settings.ReadString(section, QStringLiteral("Kandrum_path"), current).isEmpty()) {
        AskToolPaths();
        return;
    }
    const struct {
        const char *key;
        const char *edit;
    } paths[] = {{"Kandrum_path", "edKandrum"}, {"Kaparto_path", "edKaparto"}, {"SoX_path", "edSoX"}};
    for (const auto &path : paths) {
        if (QLineEdit *target = edit(path.edit))
            target->setText(settings.ReadString(section, QString::fromLatin1(path.key), target->text()));
    }
}

void TMainForm::AskToolPaths()
{
    if (!ExeBrowse)
        return;
    auto *edKandrum = ExeBrowse->findChild<QLineEdit *>(QStringLiteral("edKandrum"));
    struct Tool {
        const char *lookup;
        const char *edit;
        const char *fileName;
    };
    static const Tool tools[] = {{"kandrum.exe", "edKandrum", "Kandrum.exe"},
                                 {"kaparto.exe", "edKaparto", "Kaparto.exe"},
                                 {"sox.exe", "edSoX", "SoX.exe"}};
    for (const Tool &tool : tools) {
        // Each lookup uses the folder of the transcoder edit as the previous one left it; while
        // that edit is empty the lookup is made in the current working folder.
        const QString folder = FolderPart(edKandrum ? edKandrum->text() : QString());
        if (FileIsMissingIn(folder, QString::fromLatin1(tool.lookup)))
            continue;
        if (auto *edit = ExeBrowse->findChild<QLineEdit *>(QString::fromLatin1(tool.edit)))
            edit->setText(folder + QString::fromLatin1(tool.fileName));
    }
    ExeBrowse->exec();
    WinampCopies();
}

void TMainForm::WinampCopies()
{
    auto *edKandrum = ExeBrowse ? ExeBrowse->findChild<QLineEdit *>(QStringLiteral("edKandrum")) : nullptr;
    const QString winamp = QString::fromLocal8Bit(WinampFolder);
    if (!QFileInfo(winamp).isDir() || !edKandrum || edKandrum->text().isEmpty())
        return;
    const QString target = FolderPart(edKandrum->text());
    if (FileIsMissingIn(target, QStringLiteral("enc_aacplus.dll")))
        ShellCopyFile(QString::fromLocal8Bit(WinampEncAacPlusPath), target.isEmpty() ? QDir::currentPath() : target);
    if (FileIsMissingIn(target, QStringLiteral("nscrt.dll")))
        ShellCopyFile(QString::fromLocal8Bit(WinampNscrtPath), target.isEmpty() ? QDir::currentPath() : target);
}

void TMainForm::WriteStartupReport()
{
    const TLanguageStrings &texts = LanguageStrings;
    AddLogLine(texts.ZolvaneStarted(kVersion), LogKindInformation);
    AddLogLine(GetWindowsVersionText(), LogKindInformation);
    AddLogLine(texts.CheckingKDDep, LogKindInformation);

    // The helper files looked for beside the transcoder (the working folder while no transcoder
    // path is set), whatever the case of their names.
    auto *edKandrum = ExeBrowse ? ExeBrowse->findChild<QLineEdit *>(QStringLiteral("edKandrum")) : nullptr;
    const QString folder = FolderPart(edKandrum ? edKandrum->text() : QString());
    const struct {
        const char *file;
        QString text;
    } helpers[] = {
        {"ac3enc.dll", texts.ac3encMissing},
        {"azid.dll", texts.azidMissing},
        {"kdn.dll", texts.kdnMissing},
        {"hip.dll", texts.hipMissing},
        {"lame_enc.dll", texts.lameencMissing},
        {"libvorbis.dll", texts.livborbisMissing},
        {"mp2enc.dll", texts.mp2encMissing},
        {"shibatch.dll", texts.shibatchMissing},
        {"soundtouch.dll", texts.soundtouchMissing},
        {"vobinput.dll", texts.VOBInputMissing},
        {"faac.exe", texts.FaacIsMissing},
        {"neroaacenc.exe", texts.NDCLIisMissing},
        {"enhaacplusenc.exe", texts.EnhAACIsMissing},
        {"speexenc.exe", texts.SpeexIsMissing},
        {"aften.exe", QStringLiteral("Aften.exe is missing")},
        {"flake.exe", QStringLiteral("Flake.exe is missing")},
    };
    for (const auto &helper : helpers) {
        if (FileIsMissingIn(folder, QString::fromLatin1(helper.file)))
            AddLogLine(helper.text, LogKindWarning);
    }

    // The Nero AAC encoder as the system's search for a bare program name finds it.
    const QString nero = FindOnSearchPath(QStringLiteral("neroaacenc.exe"));
    if (!nero.isEmpty()) {
        const TVersionInfo version(nero);
        if (version.Valid() && version.GetFixedFileInfo()) {
            AddLogLine(QStringLiteral("NeroAACEnc.exe ") + FormatFileVersion(version.GetFileVersion())
                           + QLatin1Char(' ') + texts.NeroDLLDetected,
                       LogKindInformation);
        }
    }

    if (QFileInfo(QString::fromLocal8Bit(AudXFolder)).isDir()) {
        AddLogLine(texts.AudXDetected, LogKindInformation);
    } else {
        AddLogLine(QStringLiteral("Aud-X Encoder not detected..."), LogKindWarning);
        // Without the encoder a 5.1 MP3 choice falls back to stereo.
        if (rbMP3Ch6->isChecked())
            rbMP3Ch2->setChecked(true);
    }
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    RememberPlace();
    FormClose();
    event->accept();
    // Closing the main window ends the program, whatever other windows are open.
    QCoreApplication::exit(0);
}

void TMainForm::FormClose()
{
    // The delay is not kept across a close by the window's button (its key is stored as 0).
    if (chOTADelay->isChecked())
        chOTADelay->setChecked(false);
}

void TMainForm::KDCmdl()
{
    KDCmdlRun();
}

void TMainForm::Quit1Click()
{
    // Ends the event loop; the windows are then destroyed without FormClose. (quit() would first
    // close every window, which runs the close handling.)
    QCoreApplication::exit(0);
}

void TMainForm::MiCreateLstFileClick()
{
    if (!FileListWriter)
        return;
    if (auto *list = FileListWriter->findChild<QListWidget *>(QStringLiteral("FileList")))
        list->clear();
    else if (auto *memo = FileListWriter->findChild<QPlainTextEdit *>(QStringLiteral("FileList")))
        memo->clear();
    FileListWriter->exec();
}

void TMainForm::MiCreateMuxFileClick()
{
    if (!KDMuxFileWizard)
        return;
    for (const char *name : {"edFR", "edRS", "edSave", "edLF", "edLS", "edCenter", "edLFE"}) {
        if (auto *edit = KDMuxFileWizard->findChild<QLineEdit *>(QString::fromLatin1(name)))
            edit->clear();
    }
    KDMuxFileWizard->exec();
}

void TMainForm::EditKDCLClick()
{
    // Ticking the box rebuilds the command line, which shows the command-line editor.
    chOTAViewKDCL->setChecked(true);
    KDCmdl();
}

void TMainForm::SplitFilesClick()
{
    if (KapartoForm)
        KapartoForm->exec();
}

void TMainForm::OpenForumLink(QAction *item)
{
    QDesktopServices::openUrl(QUrl(item->toolTip()));
}

void TMainForm::ForumLink1Click()
{
    OpenForumLink(ForumLink1);
}

void TMainForm::ForumLink2Click()
{
    OpenForumLink(ForumLink2);
}

void TMainForm::Log1Click()
{
    if (ZolvaneLog)
        ZolvaneLog->setVisible(Log1->isChecked());
}

void TMainForm::ViewTab()
{
    QWidget *inUse = PageControl1->currentWidget();
    if (auto *item = qobject_cast<QAction *>(sender())) {
        if (QWidget *page = TabPageOfTag(item->property("tag").toInt()))
            PageControl1->setTabVisible(PageControl1->indexOf(page), item->isChecked());
    }
    // Hiding the tab of the page in use brings another page into use: it takes over the jobs as
    // a click on its tab does (names, options, rebuild).
    if (PageControl1->currentWidget() != inUse) {
        PageControl1Change();
        return;
    }
    KDCmdl();
}

void TMainForm::ChooseLanguage(QAction *item)
{
    const QString name = LanguageNameOfItem(item->objectName().toLatin1().constData());
    const QByteArray path = LanguageFolder + name.toLocal8Bit() + ".ini";
    TReadOpenStatus status = TReadOpenStatus::Missing;
    if (LoadLanguage(QString::fromLocal8Bit(path), &status)) {
        m_languageItem = item;
        for (QAction *other : Lang->actions())
            other->setChecked(other == item);
        return;
    }
    // The texts of the last language that loaded stay, and so does its tick, which is the choice
    // saved at exit. Before any language has loaded, the program's own copy of the English texts
    // takes the place of a missing English file.
    if (!m_languageItem && item == Eng && LoadLanguage(QStringLiteral(":/builtin-lang/English.ini")))
        m_languageItem = Eng;
    QAction *kept = m_languageItem ? m_languageItem : Eng;
    for (QAction *other : Lang->actions())
        other->setChecked(other == kept);
    // Said in the language whose texts stay. A named pipe or a device in the file's place is
    // refused without being waited for.
    const QString text = status == TReadOpenStatus::NotRegular
        ? LanguageStrings.LanguageNotRegular.arg(QString::fromLocal8Bit(path))
        : LanguageStrings.LanguageFileMissing.arg(QString::fromLocal8Bit(path));
    // Told without holding up the start-up.
    ShowMessageWithoutWaiting(text, true);
}

void TMainForm::ShowMessageWithoutWaiting(const QString &text, bool error)
{
    if (MessageHook) {
        MessageHook(this, text, error);
        return;
    }
    auto *box = new QMessageBox(error ? QMessageBox::Warning : QMessageBox::Information,
                                QApplication::applicationDisplayName(), text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    if (!m_settled && isVisible()) {
        m_noticesToShow.append(box);
        return;
    }
    box->show();
}

void TMainForm::deClick() { ChooseLanguage(de); }
void TMainForm::chnClick() { ChooseLanguage(chn); }
void TMainForm::CzClick() { ChooseLanguage(Cz); }
void TMainForm::EngClick() { ChooseLanguage(Eng); }
void TMainForm::SpnClick() { ChooseLanguage(Spn); }
void TMainForm::FrClick() { ChooseLanguage(Fr); }
void TMainForm::grClick() { ChooseLanguage(gr); }
void TMainForm::HunClick() { ChooseLanguage(Hun); }
void TMainForm::itClick() { ChooseLanguage(it); }
void TMainForm::JpnClick() { ChooseLanguage(Jpn); }
void TMainForm::ndlClick() { ChooseLanguage(ndl); }
void TMainForm::PlClick() { ChooseLanguage(Pl); }
void TMainForm::PortClick() { ChooseLanguage(Port); }
void TMainForm::RusClick() { ChooseLanguage(Rus); }
void TMainForm::SlvClick() { ChooseLanguage(Slv); }

void TMainForm::AdvSettingsClick()
{
    btnAdvSettingsClick();
}

void TMainForm::btnAdvSettingsClick()
{
    if (AdvancedSet)
        AdvancedSet->exec();
}

void TMainForm::StartClick()
{
    // Same as the Start button.
    QMetaObject::invokeMethod(this, "bbStartProcessClick");
}

void TMainForm::exeClick()
{
    if (ExeBrowse)
        ExeBrowse->exec();
}

void TMainForm::About1Click()
{
    if (About)
        About->exec();
}

void TMainForm::AddtoJobQueue2Click()
{
    // The item is disabled in the layout and does nothing.
}
