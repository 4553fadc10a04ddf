// The batch of the main window: the start checks, the job runner that takes the ticked rows one
// after another through DosCommand1, the end of each job and of the batch, the priority menu,
// and the reading of the jobs' console output into the progress frame's bars, labels, times and
// batch log.

#include "UMain.h"

#include "JobOutputs.h"
#include "JobListRules.h"
#include "KDCmdlGather.h"
#include "JobRow.h"
#include "OutputParse.h"
#include "Paths.h"
#include "UMainGlobals.h"
#include "UProgress.h"
#include "ZolvaneApp.h"

#include "ChildProcess.h"
#include "LanguageStrings.h"
#include "URessources.h"

#include "AC3.h"
#include "MPEGaudio.h"
#include "OggVorbis.h"
#include "WAVfile.h"

#include "UExeBrowser.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QScopedValueRollback>
#include <QStyle>
#include <QTime>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <algorithm>
#include <exception>

namespace {

const QString kZolvane = QStringLiteral("Zolvane");
const QString kCancel = QStringLiteral("Cancel");
const QString kDone = QStringLiteral("Done");
const QString kError = QStringLiteral("Error");
const QString kAborted = QStringLiteral("Aborted");
const QString kZeroPercent = QStringLiteral("00,00 %");
const QString kZeroTime = QStringLiteral("00:00:00");

// Item data role of a batch-log row's column 0: its icon index (0 information, 1 error).
constexpr int BatchLogIconRole = Qt::UserRole;

// The message text of a language key ("" for none).
QString TextOfKey(const char *key)
{
    if (!key || !*key)
        return QString();
    for (const TLanguageStringKey &entry : LanguageStringKeys()) {
        if (qstrcmp(entry.Key, key) == 0)
            return LanguageStrings.*(entry.Text);
    }
    return QString();
}

QString TimeOfDayText()
{
    return QTime::currentTime().toString(QStringLiteral("hh:mm:ss"));
}

QString TranscoderPath()
{
    auto *edKandrum = ExeBrowse ? ExeBrowse->findChild<QLineEdit *>(QStringLiteral("edKandrum")) : nullptr;
    return edKandrum ? edKandrum->text() : QString();
}

// The extension of a file name from its last ".", lower-cased ("" without one).
QString LowerExtension(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : fileName.mid(dot).toLower();
}

bool IsListOrMuxRow(const QTreeWidgetItem *row)
{
    if (!row)
        return false;
    const QString ext = LowerExtension(row->text(jcFilename));
    return ext == QLatin1String(".lst") || ext == QLatin1String(".mux");
}

int BarPosition(const QProgressBar *bar)
{
    return qMax(0, bar->value());
}

// A message box with no icon and an OK button: how a missing encoder file is told.
void ShowPlainMessage(QWidget *parent, const QString &text)
{
    if (TMainForm::MessageHook) {
        TMainForm::MessageHook(parent, text, false);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text, QMessageBox::Ok, parent);
    box.exec();
}

// How a file stands now.
BatchPartFile PartFileNow(const QString &path)
{
    BatchPartFile part;
    part.Path = path;
    const QFileInfo info(path);
    part.Existed = info.exists();
    if (part.Existed) {
        part.Modified = info.lastModified();
        part.Size = info.size();
    }
    return part;
}

// The ".part" files a command may write, each with how it stood before the job, so that only
// what the job wrote is removed after it.
QList<BatchPartFile> PartFilesBeforeJob(const QByteArray &commandLine)
{
    QList<BatchPartFile> parts;
    for (const QString &path : PartFilesOfCommand(commandLine, FileNameLimit))
        parts << PartFileNow(path);
    return parts;
}

// The files a complete job of the command leaves, as they stand now.
QList<JobResultFile> ResultFilesNow(const QByteArray &commandLine)
{
    QList<JobResultFile> files;
    for (const QString &path : ResultFilesOfCommand(commandLine)) {
        const QFileInfo info(path);
        files << JobResultFile{path, info.exists(), info.exists() ? info.size() : 0};
    }
    return files;
}

} // namespace

// ---- Set-up ----------------------------------------------------------------------------------

void TMainForm::ConnectBatch()
{
    DosCommand1 = new TDosCommand(this);
    DosCommand1->setObjectName(QStringLiteral("DosCommand1"));

    connect(bbStartProcess, &QPushButton::clicked, this, &TMainForm::bbStartProcessClick);
    connect(ProgressFrame1->SpeedButtonStop, &QToolButton::clicked, this,
            &TMainForm::ProgressFrame1SpeedButtonStopClick);
    connect(ProgressFrame1->SpeedButtonQuit, &QToolButton::clicked, this,
            &TMainForm::ProgressFrame1SpeedButtonQuitClick);
    connect(Timer1, &QTimer::timeout, this, &TMainForm::Timer1Timer);
    connect(Timer2, &QTimer::timeout, this, &TMainForm::Timer2Timer);

    if (ProgressFrame1->SpeedButtonStop->icon().isNull())
        ProgressFrame1->SpeedButtonStop->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
    if (ProgressFrame1->SpeedButtonQuit->icon().isNull())
        ProgressFrame1->SpeedButtonQuit->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
}

// ---- Priority --------------------------------------------------------------------------------

void TMainForm::PriorityThread()
{
    auto *clicked = qobject_cast<QAction *>(sender());
    if (!clicked)
        return;
    for (QAction *item : Priority->actions())
        item->setChecked(false);
    clicked->setChecked(true);
    const int tag = clicked->property("tag").toInt();
    for (QAction *item : Priority->actions()) {
        if (item->isCheckable() && item->property("tag").toInt() == tag)
            item->setChecked(true);
    }
    PriorityCommand();
}

void TMainForm::PriorityCommand()
{
    PriorityTicks ticks;
    ticks.Real1 = Real1->isChecked();
    ticks.Highest1 = Highest1->isChecked();
    ticks.High1 = High1->isChecked();
    ticks.Normal1 = Normal1->isChecked();
    ticks.Low1 = Low1->isChecked();
    ticks.Lowest1 = Lowest1->isChecked();
    const quint32 priorityClass = PriorityClassOfTicks(ticks);
    DosCommand1->Priority = priorityClass;
    SetProcessPriorityClass(0, priorityClass);
}

// ---- Helpers ---------------------------------------------------------------------------------

namespace {

BatchEncoderChoice CurrentBatchChoice(const TMainForm *f)
{
    BatchEncoderChoice c;
    if (QWidget *page = f->PageControl1->currentWidget())
        c.Page = KDPageFromName(page->objectName());
    c.AACEngine = f->cbAACEncEngine->currentIndex();
    c.Aften = f->rbAften->isChecked();
    c.AC3Enc = f->rbAC3Enc->isChecked();
    c.LosslessEngine = f->cbLosslessEngine->currentIndex();
    c.TooLame = f->rbMP2TooLame->isChecked();
    c.MP3Stereo = f->rbMP3Ch2->isChecked();
    c.MP3Surround = f->rbMP3Ch6->isChecked();
    if (c.Page == KDPage::MP3 && c.MP3Surround)
        c.AudXProgram = AudXProgramName();
    c.AVIInput = f->AVIInput;
    return c;
}

} // namespace

QTreeWidgetItem *TMainForm::AddBatchLogRow(int icon, const QString &text, const QString &options)
{
    QTreeWidget *log = ProgressFrame1->ListViewInfos;
    auto *row = new QTreeWidgetItem;
    row->setIcon(0, ImageList1.value(icon));
    row->setData(0, BatchLogIconRole, icon);
    row->setText(1, TimeOfDayText());
    row->setText(2, text);
    row->setText(3, options);
    log->addTopLevelItem(row);
    return row;
}

void TMainForm::ScrollBatchLogToEnd()
{
    QTreeWidget *log = ProgressFrame1->ListViewInfos;
    if (log->topLevelItemCount() > 0)
        log->scrollToItem(log->topLevelItem(log->topLevelItemCount() - 1));
}

void TMainForm::SetWindowAndApplicationTitle(const QString &title)
{
    if (windowTitle() != title)
        setWindowTitle(title);
    if (ApplicationTitle() != title)
        SetApplicationTitle(title);
}

void TMainForm::SetBatchMenusEnabled(bool enabled)
{
    for (QMenu *menu : {File1, Options, N1, Presets, Edit}) {
        menu->setEnabled(enabled);
        menu->menuAction()->setEnabled(enabled);
    }
}

// ---- Start -----------------------------------------------------------------------------------

void TMainForm::bbStartProcessClick()
{
    // One batch at a time: the command-line editor's Run and the menu reach this while a batch
    // runs, and a second launch would replace the running job.
    if (m_batchRunning)
        return;

    RowIndex = 0;
    DoneSeconds = 0;
    Timer1->start();
    Timer2->start();
    BatchStartTime = QDateTime::currentDateTime();
    FileStartTime = BatchStartTime;
    // A start that launches no batch stops the timers again: they would otherwise tick on
    // behind the hidden frame with nothing to time.
    const auto noBatch = [this] {
        Timer1->stop();
        Timer2->stop();
    };

    if (ListDuration == 0.0) {
        const QString number = right(QStringLiteral("Duration: "), Label1->text());
        const std::optional<std::int32_t> seconds = WholeNumber(number);
        if (!seconds) {
            noBatch();
            ShowMessage(QStringLiteral("'%1' is not a valid integer value").arg(number), true);
            return;
        }
        ListDuration = *seconds;
    }

    // A path that names no file gets the same answer as a wrong name: the helper-file check that
    // follows would otherwise blame a helper beside a transcoder that is not there.
    if (FileNamePart(TranscoderPath()) != QLatin1String("Kandrum.exe") || !QFileInfo(TranscoderPath()).isFile()) {
        noBatch();
        ShowMessage(LanguageStrings.NoKandrum, false);
        return;
    }

    bool anyRowPassed = false;
    for (int i = 0; i < InputListView->topLevelItemCount(); ++i) {
        QTreeWidgetItem *row = InputListView->topLevelItem(i);
        if (IsRefusedBatchInput(row->text(jcFilename))) {
            ShowMessage(QStringLiteral("Sorry, some input files are not supported yet. Use Zolvane 0.21\r\n"
                                       "if you want to transcode them."),
                        false);
            row->setCheckState(jcCheck, Qt::Unchecked);
        } else {
            anyRowPassed = true;
        }
    }
    if (anyRowPassed)
        LaunchProcess();
    else
        noBatch();
}

void TMainForm::LaunchProcess()
{
    const QString folder = FolderPart(TranscoderPath());
    for (const RequiredFile &file : RequiredEncoderFiles(CurrentBatchChoice(this))) {
        if (FindFileIgnoringCase(folder, file.Name).isEmpty()) {
            Timer1->stop();
            Timer2->stop();
            ShowPlainMessage(this, TextOfKey(file.MessageKey));
            return;
        }
    }

    SetBatchMenusEnabled(false);
    ProgressFrame1->ListViewInfos->clear();
    m_statusRow = nullptr;
    ProgressFrame1->SpeedButtonStop->setToolTip(kCancel);
    ProgressFrame1->SpeedButtonStop->show();
    ProgressFrame1->SpeedButtonQuit->hide();
    if (chOTAViewKDCL->isChecked())
        chOTAViewKDCL->setChecked(false);
    ProgressFrame1->show();

    m_batchRunning = true;
    BeginBatch(m_batch);
    AddBatchLogRow(0, LanguageStrings.TranscodingStarted);
    LaunchNextFile();
}

// ---- Jobs ------------------------------------------------------------------------------------

void TMainForm::LaunchNextFile()
{
    ParseCounter = 0;
    const int count = InputListView->topLevelItemCount();
    while (RowIndex < count && InputListView->topLevelItem(RowIndex)->checkState(jcCheck) != Qt::Checked)
        ++RowIndex;
    if (RowIndex >= count) {
        EndOfBatch();
        return;
    }

    QTreeWidgetItem *row = InputListView->topLevelItem(RowIndex);
    // The builder and the parsers work on the selected row.
    InputListView->clearSelection();
    InputListView->setCurrentItem(row);
    row->setSelected(true);

    const QString filename = row->text(jcFilename);
    const QString ext = LowerExtension(filename);
    if (ext == QLatin1String(".lst") || ext == QLatin1String(".mux")) {
        if (ext == QLatin1String(".lst")) {
            if (!chOTAMode->isChecked())
                chOTAMode->setChecked(true);
        } else if (chOTAMode->isChecked()) {
            chOTAMode->setChecked(false);
        }
        // The file is read again only to measure the job: rows that reading it would add to the
        // running batch are taken out again.
        ListDuration = 0.0;
        const int rowsBefore = InputListView->topLevelItemCount();
        const double totalBefore = TotalDuration;
        {
            const QScopedValueRollback<bool> reading(m_readingJobFile, true);
            OpenKDTFile((row->text(jcInputPath) + filename).toLocal8Bit());
        }
        if (InputListView->topLevelItemCount() > rowsBefore) {
            while (InputListView->topLevelItemCount() > rowsBefore)
                delete InputListView->takeTopLevelItem(InputListView->topLevelItemCount() - 1);
            TotalDuration = totalBefore;
            InputListView->clearSelection();
            InputListView->setCurrentItem(row);
            row->setSelected(true);
        }
    }

    // Each job runs with the delay its row shows when selected: its own name's, or the user's
    // choice. Then the job gets the output name it really writes.
    DetectDelay(filename.toLocal8Bit(), edOTADelay);
    m_batch.RefusedOutput.clear();
    PrepareJobOutput(row);
    KDCmdl();

    const BatchEncoderChoice choice = CurrentBatchChoice(this);
    // A command edited by hand writes the output it names itself; it too writes no file over an
    // existing one (an earlier run's output or log, say): a taken name is counted on for this run.
    QString written = row->text(jcOutputFilename);
    if (JobRowHasHandEdit(row)) {
        const QByteArray edited = row->text(jcCmd).toLocal8Bit();
        const QByteArray free = CommandWritingFreeOutputs(
            edited, [](const QString &f) { return !FileIsMissing(f); }, FileNameLimit, &m_batch.RefusedOutput);
        if (free != edited)
            row->setText(jcCmd, QString::fromLocal8Bit(free));
        const QByteArray cmd = row->text(jcCmd).toLocal8Bit();
        const QStringList outputs = OutputFilesOfCommand(cmd);
        if (!outputs.isEmpty())
            written = FileNamePart(outputs.first());
        for (const QString &output : outputs)
            m_batch.Outputs.insert(QFileInfo(output).absoluteFilePath());
    } else if (CurrentJobFileKind().Log == JobLogMode::Replace
               && !FileIsMissing(JobLogPath(row->text(jcOutputPath) + row->text(jcOutputFilename)))) {
        // The output is one whose overwrite the user confirmed: its log is added to, not replaced.
        row->setText(jcCmd, QString::fromLocal8Bit(CommandAppendingToLog(row->text(jcCmd).toLocal8Bit())));
    }
    const int firstLogRow = ProgressFrame1->ListViewInfos->topLevelItemCount();
    const QString jobText = filename + QStringLiteral(" --> ") + written;
    AddBatchLogRow(0, jobText,
                   BatchOptionsText(choice, row->text(jcCmd), QString::fromLocal8Bit(OutputModeArg)));
    AddLogLine(jobText, LogKindInformation);

    if (choice.Page == KDPage::MP3 && choice.MP3Surround && chOTAMode->isChecked())
        chOTAMode->setChecked(false);
    const QString refused = m_batch.RefusedOutput;
    if (refused.isEmpty())
        m_statusRow = AddBatchLogRow(
            0, TextOfKey(JobStatusKey(choice.Page, chOTAMode->isChecked(), cbOTAMode->currentText())));
    ScrollBatchLogToEnd();

    bbStartProcess->setEnabled(false);
    DosCommand1->CommandLine = row->text(jcCmd).toLocal8Bit();
    const QList<BatchPartFile> parts = PartFilesBeforeJob(DosCommand1->CommandLine);
    const quint64 job = BeginJob(m_batch, DosCommand1->CommandLine, parts);
    m_batch.FirstLogRow = firstLogRow;
    DosCommand1->OnNewLine = [this, job](QObject *sender, const QByteArray &line, TOutputType type) {
        if (job == m_batch.CurrentJob)
            DosCommand1NewLine(sender, line, type);
    };
    DosCommand1->OnTerminated = [this, job, parts](QObject *sender, quint32 exitCode) {
        // The job's process has ended (a stopped one only now, after its grace time).
        RemoveLeftPartFiles(job, parts);
        if (job == m_batch.CurrentJob)
            DosCommand1Terminated(sender, exitCode);
    };
    FileStartTime = QDateTime::currentDateTime();
    PriorityCommand();
    if (!refused.isEmpty()) {
        // A name that no file system of the folder takes: the job is refused before any work.
        const QString text = LanguageStrings.OutputNameTooLong.arg(refused);
        AddBatchLogRow(1, text);
        AddLogLine(text, LogKindError);
        ScrollBatchLogToEnd();
        QTimer::singleShot(0, this, [this, job] { FailJobWithoutRun(job); });
        return;
    }
    if (DosCommand1->CommandLine.isEmpty()) {
        // The runner starts nothing for an empty command line and raises no end notice.
        QTimer::singleShot(0, this, [this, job] { FailJobWithoutRun(job); });
        return;
    }
    DosCommand1->Execute();
}

QTreeWidgetItem *TMainForm::BatchJobRow() const
{
    // The job selected its row when it started; a click into the list meanwhile moves the
    // selection, not the job.
    if (RowIndex >= 0 && RowIndex < InputListView->topLevelItemCount())
        return InputListView->topLevelItem(RowIndex);
    return InputListView->currentItem();
}

void TMainForm::RemoveLeftPartFiles(quint64 job, const QList<BatchPartFile> &parts)
{
    QList<BatchPartFile> now;
    for (const BatchPartFile &part : parts)
        now << PartFileNow(part.Path);
    for (const QString &path : PartFilesLeftByJob(parts, now, m_batch.PartFiles, job == m_batch.JobSerial))
        QFile::remove(path);
}

void TMainForm::FailJobWithoutRun(quint64 job)
{
    if (job != m_batch.CurrentJob)
        return;
    EndOfJob(JobOutcome{});
}

void TMainForm::DosCommand1Terminated(QObject *Sender, quint32 ExitCode)
{
    Q_UNUSED(Sender);
    Q_UNUSED(ExitCode);
    // The outcome follows how the run ended (the child ended by itself with exit code 0) and
    // what it left: every file the job writes, none of them empty.
    EndOfJob(OutcomeOfJob(m_batch.Job, DosCommand1->EndStatus(), DosCommand1->ExitCode(),
                          ResultFilesNow(m_batch.CommandLine), DosCommand1->FailureText()));
}

void TMainForm::AddJobFailureRows(const JobOutcome &outcome)
{
    QStringList reasons;
    if (!outcome.MissingOutput.isEmpty())
        reasons << LanguageStrings.NoOutputWritten.arg(outcome.MissingOutput);
    if (!outcome.ErrorLine.isEmpty()) {
        // The parser may have shown the child's error line already, in the row it writes.
        const QString row = QStringLiteral("Error ") + outcome.ErrorLine;
        QTreeWidget *log = ProgressFrame1->ListViewInfos;
        bool shown = false;
        for (int i = qMax(0, m_batch.FirstLogRow); i < log->topLevelItemCount() && !shown; ++i)
            shown = log->topLevelItem(i)->text(2) == row;
        if (!shown)
            AddBatchLogRow(1, row);
        AddLogLine(row, LogKindError);
    }
    if (!outcome.RunnerFailure.isEmpty())
        reasons << outcome.RunnerFailure;
    if (outcome.ExitCode)
        reasons << LanguageStrings.JobExitCode.arg(*outcome.ExitCode);
    for (const QString &reason : std::as_const(reasons)) {
        AddBatchLogRow(1, reason);
        AddLogLine(reason, LogKindError);
    }
}

void TMainForm::EndOfJob(const JobOutcome &outcome)
{
    // The job's last lines are shown before its end resets the file's labels and takes the
    // position of the total bar.
    ShowJobProgress();
    EndJob(m_batch, outcome);
    ProgressFrame1->lbRemainingVal->setText(kZeroTime);
    if (ProgressFrame1->lbPercentCurrentTrack->text() != QLatin1String("100 %"))
        ProgressFrame1->lbPercentCurrentTrack->setText(kZeroPercent);
    DoneSeconds = BarPosition(ProgressFrame1->ProgressBar2);
    SetWindowAndApplicationTitle(kZolvane);
    if (IsListOrMuxRow(BatchJobRow()))
        ListDuration = 0.0;
    ++RowIndex;
    // One failed job makes the whole batch end with the error report.
    ProgressFrame1->SpeedButtonStop->setToolTip(m_batch.HadFailure ? kError : kDone);
    delete m_statusRow;
    m_statusRow = nullptr;
    if (!outcome.Succeeded)
        AddJobFailureRows(outcome);
    LaunchNextFile();
}

// ---- End of the batch ------------------------------------------------------------------------

void TMainForm::EndOfBatch()
{
    TProgressFrame *f = ProgressFrame1;
    const QString hint = f->SpeedButtonStop->toolTip();
    if (hint == kDone) {
        AddBatchLogRow(0, LanguageStrings.TranscodingFinished);
        ScrollBatchLogToEnd();
        f->ProgressBar1->setValue(0);
        f->ProgressBar2->setValue(0);
        f->lbTotalPercent->setText(kZeroPercent);
        f->lbTotalRemainingVal->setText(kZeroTime);
        bbStartProcess->setEnabled(true);
        f->SpeedButtonStop->setToolTip(kDone);
        f->SpeedButtonStop->hide();
        f->SpeedButtonQuit->show();
        setWindowTitle(kZolvane);
        if (DosCommand1->IsRunning())
            DosCommand1->Stop();
        Timer1->stop();
        Timer2->stop();
        SetApplicationTitle(windowTitle());
        m_batchRunning = false;
        if (f->chShutdown->isChecked())
            ShutDownWindows();
    } else if (hint == kError) {
        f->SpeedButtonStop->hide();
        const BatchEncoderChoice choice = CurrentBatchChoice(this);
        if (choice.Page == KDPage::MP3 && choice.MP3Surround) {
            AddBatchLogRow(1, QStringLiteral("Wrong Channels Number..."));
            AddLogLine(LanguageStrings.TranscodingError, LogKindError);
            AddBatchLogRow(1, QStringLiteral("Aud-X supports only 6ch files."));
        } else {
            AddBatchLogRow(1, LanguageStrings.TranscodingError);
            AddLogLine(LanguageStrings.TranscodingError, LogKindError);
            AddBatchLogRow(1, LanguageStrings.TranscodingError2);
            AddLogLine(LanguageStrings.TranscodingError2, LogKindError);
        }
        ParseCounter = ParseCounterAfterError;
        setWindowTitle(kZolvane);
        if (DosCommand1->IsRunning())
            DosCommand1->Stop();
        Timer1->stop();
        Timer2->stop();
        SetApplicationTitle(windowTitle());
        ScrollBatchLogToEnd();
        f->SpeedButtonStop->setToolTip(kDone);
        f->SpeedButtonQuit->show();
        f->ProgressBar2->setValue(0);
        f->lbTotalPercent->setText(kZeroPercent);
        f->lbTotalRemainingVal->setText(kZeroTime);
        // Start stays disabled until Quit.
        m_batchRunning = false;
    } else if (hint == kAborted) {
        RowIndex = 0;
        f->SpeedButtonStop->hide();
        f->SpeedButtonQuit->show();
        AddBatchLogRow(1, LanguageStrings.TranscodingAborted);
        AddLogLine(LanguageStrings.TranscodingAborted, LogKindWarning);
        ScrollBatchLogToEnd();
        f->SpeedButtonQuit->setToolTip(kDone);
        f->ProgressBar2->setValue(0);
        f->lbTotalPercent->setText(kZeroPercent);
        f->lbTotalRemainingVal->setText(kZeroTime);
        setWindowTitle(kZolvane);
        if (DosCommand1->IsRunning())
            DosCommand1->Stop();
        Timer1->stop();
        Timer2->stop();
        SetApplicationTitle(windowTitle());
        m_batchRunning = false;
    } else if (hint == kCancel) {
        EndOfEmptyBatch();
    }
}

void TMainForm::EndOfEmptyBatch()
{
    TProgressFrame *f = ProgressFrame1;
    Timer1->stop();
    Timer2->stop();
    f->SpeedButtonStop->setToolTip(kDone);
    f->SpeedButtonStop->hide();
    f->SpeedButtonQuit->show();
    f->lbTotalRemainingVal->setText(kZeroTime);
    SetWindowAndApplicationTitle(kZolvane);
    SetBatchMenusEnabled(true);
    bbStartProcess->setEnabled(true);
    m_batchRunning = false;
}

void TMainForm::ProgressFrame1SpeedButtonStopClick()
{
    if (!m_batchRunning)
        return;
    // The stopped job's lines and end notice no longer belong to the batch.
    m_batch.CurrentJob = 0;
    if (DosCommand1->IsRunning())
        DosCommand1->Stop();
    delete m_statusRow;
    m_statusRow = nullptr;
    ProgressFrame1->lbRemainingVal->setText(kZeroTime);
    SetWindowAndApplicationTitle(kZolvane);
    ProgressFrame1->SpeedButtonStop->setToolTip(kAborted);
    EndOfBatch();
}

void TMainForm::ProgressFrame1SpeedButtonQuitClick()
{
    File1->setEnabled(true);
    File1->menuAction()->setEnabled(true);
    Options->setEnabled(true);
    Options->menuAction()->setEnabled(true);
    Presets->setEnabled(true);
    Presets->menuAction()->setEnabled(true);
    bbStartProcess->setEnabled(true);
    Edit->setEnabled(true);
    Edit->menuAction()->setEnabled(true);
    N1->setEnabled(true);
    N1->menuAction()->setEnabled(true);

    ProgressFrame1->hide();
    ProgressFrame1->chListJobs->clear();

    const int count = InputListView->topLevelItemCount();
    if (count > 0) {
        QTreeWidgetItem *last = InputListView->topLevelItem(count - 1);
        InputListView->clearSelection();
        InputListView->setCurrentItem(last);
        last->setSelected(true);
        InOutFileName(last->text(jcFilename).toLocal8Bit());
        KDCmdl();
    }
}

// ---- Output parsing --------------------------------------------------------------------------

void TMainForm::DosCommand1NewLine(QObject *Sender, const QByteArray &NewLine, TOutputType OutputType)
{
    Q_UNUSED(Sender);
    if (m_jobProgress.Job != m_batch.CurrentJob)
        ResetJobProgress();
    if (OutputType == otBeginningOfLine) {
        // The start of a line that its next delivery repeats: only the newest one is parsed.
        m_jobProgress.Partial = NewLine;
        m_jobProgress.PartialPending = true;
        ScheduleJobProgress();
        return;
    }
    m_jobProgress.PartialPending = false;
    m_jobProgress.Partial.clear();
    const QString line = QString::fromLocal8Bit(NewLine);
    // What the job's child says of how it goes, whatever the parsers show of it.
    RecordJobLine(m_batch, line);
    ParseJobLine(line);
}

void TMainForm::ParseJobLine(const QString &line)
{
    if (PageControl1->currentWidget() == TabSheet4 && rbMP3Ch6->isChecked())
        Parse_AudX(line);
    else
        Parse_Kandrum(line);
}

void TMainForm::ResetJobProgress()
{
    const bool scheduled = m_jobProgress.Scheduled;
    m_jobProgress = JobProgressShown{};
    m_jobProgress.Job = m_batch.CurrentJob;
    m_jobProgress.Scheduled = scheduled;
}

void TMainForm::ScheduleJobProgress()
{
    if (m_jobProgress.Scheduled)
        return;
    m_jobProgress.Scheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_jobProgress.Scheduled = false;
        ShowJobProgress();
    });
}

double TMainForm::CurrentFileSeconds(int *channels)
{
    const quint64 job = m_batch.CurrentJob;
    if (job == 0 || job != m_fileFiguresJob) {
        m_fileFiguresJob = job;
        m_fileSeconds = 0.0;
        m_fileChannels = 0;
        const QTreeWidgetItem *row = BatchJobRow();
        if (row) {
            const std::string path = (row->text(jcInputPath) + row->text(jcFilename)).toLocal8Bit().toStdString();
            try {
                switch (BarScaleOfJob(row->text(jcFilename))) {
                case BarScale::ReaderAC3:
                    if (AC3file->ReadFromFile(path) && AC3file->Valid()) {
                        m_fileSeconds = AC3file->Duration();
                        m_fileChannels = AC3file->Channels();
                    }
                    break;
                case BarScale::ReaderWAV:
                    if (WAVfile->ReadFromFile(path) && WAVfile->Valid()) {
                        m_fileSeconds = WAVfile->Duration();
                        m_fileChannels = WAVfile->Channels();
                    }
                    break;
                case BarScale::ReaderMPEG:
                    if (MPEGfile->ReadFromFile(path) && MPEGfile->Valid())
                        m_fileSeconds = MPEGfile->Duration();
                    break;
                case BarScale::ReaderOgg:
                    if (OggVorbisfile->ReadFromFile(path) && OggVorbisfile->Valid())
                        m_fileSeconds = OggVorbisfile->Duration();
                    break;
                default:
                    break;
                }
            } catch (const std::exception &) {
                // A file that cannot be read gives no duration: its bar gets no maximum.
                m_fileSeconds = 0.0;
                m_fileChannels = 0;
            }
        }
    }
    if (channels)
        *channels = m_fileChannels;
    return m_fileSeconds;
}

namespace {

ProgressFrameState ReadFrameState(const TMainForm *form, const TProgressFrame *f)
{
    ProgressFrameState st;
    st.File.Maximum = f->ProgressBar1->maximum();
    st.File.Position = qMax(0, f->ProgressBar1->value());
    st.Batch.Maximum = f->ProgressBar2->maximum();
    st.Batch.Position = qMax(0, f->ProgressBar2->value());
    st.FileLabel = f->lbPercentCurrentTrack->text();
    st.BatchLabel = f->lbTotalPercent->text();
    st.Title = form->windowTitle();
    st.ParseCounter = form->ParseCounter;
    return st;
}

bool SameFrame(const ProgressFrameState &a, const ProgressFrameState &b)
{
    return a.File.Maximum == b.File.Maximum && a.File.Position == b.File.Position
           && a.Batch.Maximum == b.Batch.Maximum && a.Batch.Position == b.Batch.Position
           && a.FileLabel == b.FileLabel && a.BatchLabel == b.BatchLabel && a.Title == b.Title;
}

void WriteBar(QProgressBar *bar, const ProgressBarState &state)
{
    if (bar->maximum() != state.Maximum)
        bar->setMaximum(state.Maximum);
    if (bar->value() != state.Position)
        bar->setValue(state.Position);
}

void WriteFrameState(TProgressFrame *f, const ProgressFrameState &st)
{
    WriteBar(f->ProgressBar1, st.File);
    WriteBar(f->ProgressBar2, st.Batch);
    if (f->lbPercentCurrentTrack->text() != st.FileLabel)
        f->lbPercentCurrentTrack->setText(st.FileLabel);
    if (f->lbTotalPercent->text() != st.BatchLabel)
        f->lbTotalPercent->setText(st.BatchLabel);
}

} // namespace

ProgressFrameState TMainForm::JobProgressFrame()
{
    ProgressFrameState state = m_jobProgress.FramePending && m_jobProgress.Job == m_batch.CurrentJob
                                   ? m_jobProgress.Frame
                                   : ReadFrameState(this, ProgressFrame1);
    state.ParseCounter = ParseCounter;
    return state;
}

void TMainForm::KeepJobProgressFrame(const ProgressFrameState &frame, bool titleSet)
{
    if (m_jobProgress.Job != m_batch.CurrentJob)
        ResetJobProgress();
    m_jobProgress.Frame = frame;
    m_jobProgress.FramePending = true;
    m_jobProgress.TitlePending = m_jobProgress.TitlePending || titleSet;
    ScheduleJobProgress();
}

void TMainForm::ShowJobProgress()
{
    const quint64 job = m_batch.CurrentJob;
    if (m_jobProgress.Job != job || job == 0) {
        // The lines of a job that has ended or was stopped show nothing any more.
        ResetJobProgress();
        return;
    }
    if (m_jobProgress.PartialPending) {
        m_jobProgress.PartialPending = false;
        const QString line = QString::fromLocal8Bit(m_jobProgress.Partial);
        m_jobProgress.Partial.clear();
        ParseJobLine(line);
        if (job != m_batch.CurrentJob)
            return;
    }
    if (!m_jobProgress.FramePending)
        return;
    m_jobProgress.FramePending = false;
    WriteFrameState(ProgressFrame1, m_jobProgress.Frame);
    if (m_jobProgress.TitlePending)
        SetWindowAndApplicationTitle(m_jobProgress.Frame.Title);
    m_jobProgress.TitlePending = false;
}

void TMainForm::Parse_Kandrum(const QString &line)
{
    ProgressFrameState state = JobProgressFrame();
    // The job's figures, read only for a line that moves the bars.
    const auto context = [this] {
        const QTreeWidgetItem *row = BatchJobRow();
        KandrumJobContext c;
        c.GainMode = cbOTAMode->currentText();
        c.FileName = row ? row->text(jcFilename) : QString();
        c.ListDuration = ListDuration;
        c.TotalDuration = TotalDuration;
        c.RowDuration = row ? row->text(jcDuration) : QString();
        c.DoneSeconds = DoneSeconds;
        switch (BarScaleOfJob(c.FileName)) {
        case BarScale::ReaderAC3:
        case BarScale::ReaderWAV:
        case BarScale::ReaderMPEG:
        case BarScale::ReaderOgg:
            c.FileSeconds = CurrentFileSeconds();
            break;
        default:
            break;
        }
        return c;
    };
    const ProgressFrameState before = state;
    const KandrumLineEffects fx = ApplyKandrumLine(state, line, std::function<KandrumJobContext()>(context));
    ParseCounter = state.ParseCounter;
    if (fx.ErrorRow)
        AddBatchLogRow(1, *fx.ErrorRow);
    if (fx.RestartRow) {
        // The second pass begins: the job's status row becomes the running row.
        delete m_statusRow;
        m_statusRow = AddBatchLogRow(0, LanguageStrings.TranscodingRunning);
    }
    // Most lines are only counted and change nothing on the frame.
    if (fx.TitleSet || !SameFrame(before, state))
        KeepJobProgressFrame(state, fx.TitleSet);
}

void TMainForm::Parse_AudX(const QString &line)
{
    const QTreeWidgetItem *row = BatchJobRow();

    AudXJobContext context;
    context.FileName = row ? row->text(jcFilename) : QString();
    context.ListDuration = ListDuration;
    context.PastLastRow = RowIndex >= InputListView->topLevelItemCount();
    const BarScale scale = BarScaleOfJob(context.FileName);
    if (scale == BarScale::ReaderAC3 || scale == BarScale::ReaderWAV)
        CurrentFileSeconds(&context.Channels);

    ProgressFrameState state = JobProgressFrame();
    const ProgressFrameState before = state;
    const AudXLineEffects fx = ApplyAudXLine(state, line, context);
    if (fx.StopWithError) {
        ProgressFrame1->SpeedButtonStop->setToolTip(kError);
        if (DosCommand1->IsRunning())
            DosCommand1->Stop();
        return;
    }
    if (fx.TitleSet || !SameFrame(before, state))
        KeepJobProgressFrame(state, fx.TitleSet);
}

// ---- Times -----------------------------------------------------------------------------------

void TMainForm::Timer1Timer()
{
    const qint64 elapsed = FileStartTime.msecsTo(QDateTime::currentDateTime());
    ProgressFrame1->lbElapsedVal->setText(SpanText(elapsed));
    ProgressFrame1->lbRemainingVal->setText(
        RemainingText(elapsed, BarPosition(ProgressFrame1->ProgressBar1), ProgressFrame1->ProgressBar1->maximum()));
}

void TMainForm::Timer2Timer()
{
    const qint64 elapsed = BatchStartTime.msecsTo(QDateTime::currentDateTime());
    ProgressFrame1->lbTotalElapsedVal->setText(SpanText(elapsed));
    ProgressFrame1->lbTotalRemainingVal->setText(
        RemainingText(elapsed, BarPosition(ProgressFrame1->ProgressBar2), ProgressFrame1->ProgressBar2->maximum()));
}
