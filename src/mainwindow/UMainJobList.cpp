// The job list of the main window: adding inputs (open dialog, folder, dropped files, list and
// mux files), probing them into rows, the list's pop-up menu, the running durations, and the
// naming of the outputs.

#include "UMain.h"

#include "JobListRules.h"
#include "JobOutputs.h"
#include "JobRow.h"
#include "KDCmdlGather.h"
#include "KDCmdlGrammar.h"
#include "Paths.h"
#include "UMainGlobals.h"

#include "AC3.h"
#include "DTS.h"
#include "MPEGaudio.h"
#include "OggVorbis.h"
#include "WAVfile.h"
#include "AudioFileStream.h"

#include "LanguageStrings.h"
#include "RegularFile.h"
#include "URessources.h"

#include "UAdvanced.h"
#include "UFileLstWriter.h"

#include <climits>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QSet>
#include <QTreeWidget>
#include <QUrl>

#include <cstddef>
#include <MediaInfoDLL/MediaInfoDLL_Static.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

std::function<QStringList(QWidget *, const QStringList &, int)> TMainForm::OpenDialog1Hook;
std::function<QString(QWidget *)> TMainForm::OpenDirDialogHook;
std::function<QString(QWidget *, const QStringList &, const QString &, const QString &)>
    TMainForm::SaveDialog1Hook;
std::function<void(QWidget *, const QString &, bool)> TMainForm::MessageHook;

namespace {

// Item data role of the Duration column that keeps the unrounded seconds of a row.
constexpr int RowSecondsRole = Qt::UserRole + 1;
// Item data role of the OutputFilename column: the whole path of an existing file that the user
// chose for this row in the save dialog and whose overwrite the dialog had them confirm.
constexpr int OverwriteConfirmedRole = Qt::UserRole + 2;
// Item data roles of the OutputFilename column: the name a job wanted and the free name the job
// runner gave it instead. A later run of the row starts again from the wanted name, so that its
// outputs count on (name_2, name_3, ...) rather than pile up suffixes (name_1_1).
constexpr int RunnerWantedRole = Qt::UserRole + 3;
constexpr int RunnerGivenRole = Qt::UserRole + 4;
// Item data role of the OutputFilename column: the file name the user chose for this row in the
// save dialog. The row keeps it (with the extension of the page and engine) when it is renamed.
constexpr int ChosenNameRole = Qt::UserRole + 6;

// The longest dropped file name the window takes (8-bit characters): the system's own limit of a
// path, so every name that can be opened at all is taken whole.
constexpr qsizetype MaxDroppedNameLength = PATH_MAX - 1;

std::string LocalPath(const QString &path)
{
    return path.toLocal8Bit().toStdString();
}

// The system's text for an errno value.
QString SystemErrorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString Lower(const QString &s)
{
    return s.toLower();
}

QWidget *AdvancedControl(const char *name)
{
    return AdvancedSet ? AdvancedSet->findChild<QWidget *>(QLatin1String(name)) : nullptr;
}

// Unticks a check box when it is ticked; its own handler runs through the toggle.
void Untick(QAbstractButton *box)
{
    if (box && box->isChecked())
        box->setChecked(false);
}

void UntickAdvanced(const char *name)
{
    Untick(qobject_cast<QAbstractButton *>(AdvancedControl(name)));
}

// The encoder controls that decide an output name, read from the window.
NamingChoice CurrentNamingChoice(const TMainForm *form)
{
    NamingChoice choice;
    if (QWidget *page = form->PageControl1->currentWidget())
        choice.Page = KDPageFromName(page->objectName());
    choice.AACEngine = form->cbAACEncEngine->currentIndex();
    if (auto *box = form->findChild<QCheckBox *>(QStringLiteral("chAACtoMP4")))
        choice.FAACToMP4 = box->isChecked();
    choice.AIFFOutput = form->rbAIFFOutput->isChecked();
    return choice;
}

// The absolute form of a path: the path itself when it is absolute and clean already (as the
// rows' paths are), without asking for the current folder.
QString AbsolutePath(const QString &path)
{
    if (path.startsWith(u'/') && !path.contains(QLatin1String("//")) && !path.contains(QLatin1String("/./"))
        && !path.contains(QLatin1String("/../")) && !path.endsWith(QLatin1String("/.."))
        && !path.endsWith(QLatin1String("/.")))
        return path;
    return QFileInfo(path).absoluteFilePath();
}

// The selected row: the first selected one in list order, as the command-line builder takes it.
QTreeWidgetItem *SelectedRow(const QTreeWidget *list)
{
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        if (list->topLevelItem(i)->isSelected())
            return list->topLevelItem(i);
    }
    return nullptr;
}

// The text MediaInfo gives for one field.
QString MediaInfoText(void *handle, MediaInfo_stream_C kind, const char *parameter)
{
    const char *text = MediaInfo_Get(handle, kind, 0, parameter, MediaInfo_Info_Text, MediaInfo_Info_Name);
    return text ? QString::fromUtf8(text) : QString();
}

// The codec of the first audio stream. Libraries that no longer fill "Codec/String" give the
// format, its version and its layer instead, from which the same name is made for MPEG audio.
QString MediaInfoCodec(void *handle)
{
    const QString codec = MediaInfoText(handle, MediaInfo_Stream_Audio, "Codec/String");
    if (!codec.isEmpty())
        return codec;
    const QString format = MediaInfoText(handle, MediaInfo_Stream_Audio, "Format");
    if (format == QLatin1String("MPEG Audio")) {
        QString version = MediaInfoText(handle, MediaInfo_Stream_Audio, "Format_Version");
        QString layer = MediaInfoText(handle, MediaInfo_Stream_Audio, "Format_Profile");
        version.remove(QStringLiteral("Version "));
        layer.remove(QStringLiteral("Layer "));
        if (!version.isEmpty() && !layer.isEmpty())
            return QStringLiteral("MPEG-") + version + QStringLiteral(" Audio layer ") + layer;
    }
    return format;
}

} // namespace

// ---- Set-up ----------------------------------------------------------------------------------

void TMainForm::ConnectJobList()
{
    AC3file = std::make_shared<TAC3>();
    WAVfile = std::make_shared<TWAVfile>();
    MPEGfile = std::make_shared<TMPEGaudio>();
    OggVorbisfile = std::make_shared<TOggVorbis>();
    DTSfile = std::make_shared<TDTS>();

    connect(Open1, &QAction::triggered, this, &TMainForm::Open1Click);
    connect(AddDir, &QAction::triggered, this, &TMainForm::AddDirClick);
    connect(Save1, &QAction::triggered, this, &TMainForm::Save1Click);
    connect(ClearList2, &QAction::triggered, this, &TMainForm::ClearList2Click);
    connect(Check1, &QAction::triggered, this, &TMainForm::Check1Click);
    connect(CheckNone2, &QAction::triggered, this, &TMainForm::CheckNone2Click);
    connect(RemoveUnchecked2, &QAction::triggered, this, &TMainForm::RemoveUnchecked2Click);
    connect(InputListView, &QTreeWidget::itemClicked, this, &TMainForm::InputListViewClick);
    connect(InputListView, &QTreeWidget::itemChanged, this, &TMainForm::InputListViewChange);
    // Whichever way a row becomes the selected one (a click, the keys, the job runner), the
    // delay option and the command line show what its job runs with.
    connect(InputListView, &QTreeWidget::itemSelectionChanged, this, [this] {
        ShowSelectedRowDelay();
        KDCmdl();
    });
}

void TMainForm::ShowMessage(const QString &text, bool error)
{
    if (m_addDepth > 0) {
        m_addReport.AddMessage(text, error);
        return;
    }
    if (MessageHook) {
        MessageHook(this, text, error);
        return;
    }
    if (error)
        QMessageBox::critical(this, QApplication::applicationDisplayName(), text);
    else
        QMessageBox::information(this, QApplication::applicationDisplayName(), text);
}

void TMainForm::BeginAdd()
{
    ++m_addDepth;
}

void TMainForm::EndAdd()
{
    if (m_addDepth <= 0 || --m_addDepth > 0 || m_addReport.IsEmpty())
        return;
    const AddReport report = std::exchange(m_addReport, AddReport());
    const AddReportTexts texts{LanguageStrings.FilesNotAdded, LanguageStrings.MoreFilesNotAdded,
                               LanguageStrings.UndecodableNames};
    ShowMessage(AddReportText(report, texts), report.AnyError || !report.UndecodableFolders.isEmpty());
}

namespace {

// One add operation: its messages are told as one when the outermost ends.
class AddScope
{
public:
    explicit AddScope(TMainForm *form) : m_form(form) { m_form->BeginAdd(); }
    ~AddScope() { m_form->EndAdd(); }
    AddScope(const AddScope &) = delete;
    AddScope &operator=(const AddScope &) = delete;

private:
    TMainForm *m_form;
};

// A name the open dialog gives for a file whose name on disk is not valid text: the dialog shows
// the undecodable bytes as replacement characters, and no file has the name it gives.
bool ChosenNameIsNotText(const QString &name)
{
    return name.contains(QChar::ReplacementCharacter) && FileIsMissing(name);
}

} // namespace

// ---- Rows and durations ----------------------------------------------------------------------

double TMainForm::RowSeconds(const QTreeWidgetItem *row)
{
    if (!row)
        return 0.0;
    const QVariant seconds = row->data(jcDuration, RowSecondsRole);
    return seconds.isValid() ? seconds.toDouble() : row->text(jcDuration).toDouble();
}

QTreeWidgetItem *TMainForm::AddJobRow(const QString &FileName, const QString &description, double seconds)
{
    auto *row = new QTreeWidgetItem;
    row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    row->setCheckState(jcCheck, Qt::Checked);
    const QString folder = FolderPart(FileName);
    row->setText(jcInputPath, folder);
    row->setText(jcOutputPath, folder);
    row->setText(jcFilename, FileNamePart(FileName));
    row->setText(jcDescription, description);
    row->setText(jcDuration, QString::number(RoundedSeconds(seconds)));
    row->setData(jcDuration, RowSecondsRole, seconds);
    InputListView->addTopLevelItem(row);
    ListDuration += seconds;
    TotalDuration += seconds;
    return row;
}

void TMainForm::RecountTotalDuration()
{
    double total = 0.0;
    for (int i = 0; i < InputListView->topLevelItemCount(); ++i)
        total += RowSeconds(InputListView->topLevelItem(i));
    TotalDuration = total;
}

void TMainForm::ShowListDuration()
{
    // The whole seconds, truncated; the batch start reads the number back from here.
    Label1->setText(QStringLiteral("Duration: ") + QString::number(qint64(std::trunc(ListDuration))));
}

double TMainForm::ListDurationFromLabel() const
{
    const QString caption = Label1->text();
    const QString prefix = QStringLiteral("Duration: ");
    if (!caption.startsWith(prefix))
        return 0.0;
    bool ok = false;
    const qint64 seconds = caption.mid(prefix.size()).trimmed().toLongLong(&ok);
    return ok ? double(seconds) : 0.0;
}

void TMainForm::SetTempoControlsEnabled(bool enabled)
{
    // Looked up once: every probe that adds a row sets them.
    if (m_tempoControls.isEmpty() || m_tempoControls.contains(nullptr)) {
        m_tempoControls.clear();
        for (const char *name : {"chSoundTouchTempo", "SpEdtSoundTouchTempo", "chSoundTouchPitch",
                                 "SpEdtSoundTouchPitch", "chSoundTouchRate", "SpEdtSoundTouchRate",
                                 "chSoundTouchQuicker", "chSoundTouchDisAntiAlias"}) {
            if (QWidget *control = AdvancedControl(name))
                m_tempoControls << control;
        }
    }
    for (const QPointer<QWidget> &control : std::as_const(m_tempoControls))
        if (control)
            control->setEnabled(enabled);
}

void TMainForm::EnableStart()
{
    bbStartProcess->setEnabled(true);
    Start->setEnabled(true);
}

// The first row becomes the selected one, and the naming, the delay and the input options follow
// it.
void TMainForm::RefreshFirstRow()
{
    if (InputListView->topLevelItemCount() == 0)
        return;
    QTreeWidgetItem *first = InputListView->topLevelItem(0);
    InputListView->setCurrentItem(first);
    first->setSelected(true);
    const QByteArray name = first->text(jcFilename).toLocal8Bit();
    InOutFileName(name);
    DetectDelay(name, edOTADelay);
    WAVasInput(name);
}

// ---- Dispatch and probes ---------------------------------------------------------------------

bool TMainForm::ListLockedByBatch(bool tell)
{
    if (!m_batchRunning || m_readingJobFile)
        return false;
    if (tell)
        ShowMessage(LanguageStrings.JobListLocked, false);
    return true;
}

void TMainForm::AddFileTotheList(const QString &FileName, const QString &Ext)
{
    if (ListLockedByBatch(true))
        return;
    // Opened without waiting: a named pipe or a device is no audio file, is never waited for
    // and adds nothing.
    TAudioFileStream file;
    if (!file.Open(LocalPath(FileName))) {
        if (!file.NotRegular())
            ShowMessage(QStringLiteral("Cannot open file \"%1\". %2").arg(FileName, SystemErrorText(file.Error())),
                        true);
        return;
    }
    const qint64 size = file.Size();
    file.Close();
    if (size == 0)
        return;
    switch (ProbeKindOfAddedFile(Ext)) {
    case ProbeKind::AC3: AddAC3(FileName); break;
    case ProbeKind::DTS: AddDTS(FileName); break;
    case ProbeKind::MPEG: AddMp3(FileName); break;
    case ProbeKind::Vorbis: AddVorbis(FileName); break;
    case ProbeKind::WAV: AddWav(FileName); break;
    case ProbeKind::AVI: AddAVI(FileName); break;
    case ProbeKind::None: break;
    }
}

namespace {

// Runs a reader whose open errors reach the caller; such an error is shown as the window's error
// message and adds nothing.
template <typename Read>
bool ReadReporting(Read read, const std::function<void(const QString &)> &report)
{
    try {
        return read();
    } catch (const std::exception &e) {
        report(QString::fromLocal8Bit(e.what()));
        return false;
    }
}

} // namespace

void TMainForm::AddAC3(const QString &FileName)
{
    const auto report = [this](const QString &text) { ShowMessage(text, true); };
    if (!ReadReporting([&] { return AC3file->ReadFromFile(LocalPath(FileName)); }, report) || !AC3file->Valid())
        return;
    const ProbeText t = AC3ProbeText(*AC3file);
    AddJobRow(FileName, t.DescriptionHead + SecondsToTimeText(RoundedSeconds(t.Seconds)), t.Seconds);
    SetTempoControlsEnabled(t.TempoEnabled);
}

void TMainForm::AddDTS(const QString &FileName)
{
    const auto report = [this](const QString &text) { ShowMessage(text, true); };
    if (!ReadReporting([&] { return DTSfile->ReadFromFile(LocalPath(FileName)); }, report) || !DTSfile->Valid())
        return;
    const ProbeText t = DTSProbeText(*DTSfile);
    AddJobRow(FileName, t.DescriptionHead + SecondsToTimeText(RoundedSeconds(t.Seconds)), t.Seconds);
    SetTempoControlsEnabled(t.TempoEnabled);
}

void TMainForm::AddMp3(const QString &FileName)
{
    if (!MPEGfile->ReadFromFile(LocalPath(FileName)) || !MPEGfile->Valid())
        return;
    const ProbeText t = MPEGProbeText(*MPEGfile, Lower(ExtractFileExt(FileName)));
    AddJobRow(FileName, t.DescriptionHead + SecondsToTimeText(RoundedSeconds(t.Seconds)), t.Seconds);
    SetTempoControlsEnabled(t.TempoEnabled);
}

void TMainForm::AddVorbis(const QString &FileName)
{
    const auto report = [this](const QString &text) { ShowMessage(text, true); };
    if (!ReadReporting([&] { return OggVorbisfile->ReadFromFile(LocalPath(FileName)); }, report)
        || !OggVorbisfile->Valid())
        return;
    const ProbeText t = VorbisProbeText(*OggVorbisfile);
    AddJobRow(FileName, t.DescriptionHead + SecondsToTimeText(RoundedSeconds(t.Seconds)), t.Seconds);
    SetTempoControlsEnabled(t.TempoEnabled);
}

void TMainForm::AddWav(const QString &FileName)
{
    if (!WAVfile->ReadFromFile(LocalPath(FileName)) || !WAVfile->Valid())
        return;
    const ProbeText t = WAVProbeText(*WAVfile);
    AddJobRow(FileName, t.DescriptionHead + SecondsToTimeText(RoundedSeconds(t.Seconds)), t.Seconds);
    SetTempoControlsEnabled(t.TempoEnabled);
}

void TMainForm::AddAVI(const QString &FileName)
{
    void *handle = MediaInfo_New();
    if (!handle)
        return;
    const QByteArray path = FileName.toUtf8();
    const bool opened = MediaInfo_Open(handle, path.constData()) != 0;
    // "0" or no answer at all is a file without audio: the library leaves the count empty for an
    // AVI without an audio stream, and for a file it cannot read. Any other answer than "1" is
    // several streams.
    const QString audioCount =
        opened ? MediaInfoText(handle, MediaInfo_Stream_General, "AudioCount").trimmed() : QString();
    if (audioCount.isEmpty() || audioCount == QLatin1String("0")) {
        MediaInfo_Close(handle);
        MediaInfo_Delete(handle);
        ShowMessage(FileNamePart(FileName) + QLatin1Char(' ') + LanguageStrings.AVIAudioZ, false);
        return;
    }
    if (audioCount != QLatin1String("1")) {
        MediaInfo_Close(handle);
        MediaInfo_Delete(handle);
        ShowMessage(LanguageStrings.AVIAudioM(), false);
        return;
    }
    // Raw AAC streams tell their duration only when the whole file is parsed.
    if (MediaInfoText(handle, MediaInfo_Stream_Audio, "PlayTime").isEmpty()) {
        MediaInfo_Close(handle);
        MediaInfo_Option(handle, "ParseSpeed", "1");
        MediaInfo_Open(handle, path.constData());
    }
    const QString codec = MediaInfoCodec(handle);
    const QString channels = MediaInfoText(handle, MediaInfo_Stream_Audio, "Channel(s)");
    const QString bitRate = MediaInfoText(handle, MediaInfo_Stream_Audio, "BitRate/String");
    const QString samplingRate = MediaInfoText(handle, MediaInfo_Stream_Audio, "SamplingRate/String");
    const QString playTime = MediaInfoText(handle, MediaInfo_Stream_Audio, "PlayTime/String3");
    const double seconds = MediaInfoText(handle, MediaInfo_Stream_Audio, "PlayTime").toDouble() / 1000.0;
    MediaInfo_Close(handle);
    MediaInfo_Delete(handle);

    QTreeWidgetItem *row = AddJobRow(FileName, AVIDescription(codec, channels, bitRate, samplingRate, playTime),
                                     seconds);
    // DTS input is listed but not run.
    if (AVICodecText(codec) == QLatin1String("DTS"))
        row->setCheckState(jcCheck, Qt::Unchecked);
    AVIInput = true;
    SetTempoControlsEnabled(true);
}

// ---- List and mux files ----------------------------------------------------------------------

void TMainForm::OpenKDTFile(const QByteArray &FileName)
{
    if (ListLockedByBatch(true))
        return;
    const QString path = QString::fromLocal8Bit(FileName);
    // One read, never waiting: a list name that turns out to be a pipe or a device is skipped
    // instead of freezing the window.
    QByteArray content;
    const TReadOpenResult read = ReadRegularFile(FileName, content);
    if (!read.Ok()) {
        if (read.Status != TReadOpenStatus::NotRegular)
            ShowMessage(QStringLiteral("Cannot open file \"%1\". %2").arg(path, ReadOpenErrorText(read)), true);
        return;
    }
    // The lines that cannot be added are told in one message.
    const AddScope add(this);
    const QStringList lines = SplitListFileLines(content);

    // The list-file writer's list serves as the line buffer: it holds the last line read.
    QListWidget *buffer = FileListWriter ? FileListWriter->findChild<QListWidget *>(QStringLiteral("FileList"))
                                         : nullptr;
    // A relative name inside the file stands for a file beside it, wherever the program runs
    // from: the transcoder reads the file's names the same way.
    const QDir fileFolder = QFileInfo(path).absoluteDir();
    QStringList names;
    for (const QString &line : lines) {
        const QString name = DequoteLine(line);
        if (buffer) {
            buffer->clear();
            buffer->addItem(name);
        }
        names << (name.trimmed().isEmpty() || QDir::isAbsolutePath(name) ? name : fileFolder.filePath(name));
    }

    if (!IsMuxFile(path)) {
        for (const QString &name : names) {
            switch (ProbeKindOfListLine(Lower(ExtractFileExt(name)))) {
            case ProbeKind::AC3: AddAC3(name); break;
            case ProbeKind::WAV: AddWav(name); break;
            case ProbeKind::MPEG: AddMp3(name); break;
            case ProbeKind::Vorbis: AddVorbis(name); break;
            default: break; // empty lines and the kinds a list does not carry
            }
        }
        return;
    }

    // A mux file is one 5.1 input: its row names the mux file and takes its figures from the
    // first channel's WAV file.
    const auto firstChannel = std::find_if(names.cbegin(), names.cend(),
                                           [](const QString &n) { return !n.trimmed().isEmpty(); });
    if (firstChannel == names.cend())
        return;
    if (!WAVfile->ReadFromFile(LocalPath(*firstChannel)) || !WAVfile->Valid())
        return;
    const ProbeText t = MuxProbeText(*WAVfile);
    const QString absolute = QFileInfo(path).absoluteFilePath();
    for (int i = 0; i < InputListView->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *row = InputListView->topLevelItem(i);
        if (QFileInfo(row->text(jcInputPath) + row->text(jcFilename)).absoluteFilePath() == absolute) {
            // Read again for a row of the list (the batch measures the job this way).
            ListDuration += t.Seconds;
            return;
        }
    }
    AddJobRow(path, t.DescriptionHead + SecondsToTimeText(RoundedSeconds(t.Seconds)), t.Seconds);
    SetTempoControlsEnabled(t.TempoEnabled);
}

// ---- Adding ----------------------------------------------------------------------------------

void TMainForm::Open1Click()
{
    const QString pairs =
        LanguageStrings.OpenDialog_AC3 + QStringLiteral(" (*.ac3)|*.ac3|") + LanguageStrings.OpenDialog_MPEG
        + QStringLiteral(" (*.mpa, *.mp2, *.mp3)|*.mpa; *.mp2; *.mp3|") + LanguageStrings.OpenDialog_OGG
        + QStringLiteral(" (*.ogg)|*.ogg|") + LanguageStrings.OpenDialog_PCM + QStringLiteral(" (*.wav)|*.wav|")
        + LanguageStrings.OpenDialog_LISTFILES + QStringLiteral(" |*.lst; *.mux|") + LanguageStrings.OpenDialog_LST
        + QStringLiteral(" (*.lst)|*.lst|") + LanguageStrings.OpenDialog_MUX + QStringLiteral(" (*.mux)|*.mux|")
        + LanguageStrings.OpenDialog_CONT + QStringLiteral(" |*.avi|") + LanguageStrings.OpenDialog_AVI
        + QStringLiteral(" (*.avi)|*.avi|") + LanguageStrings.OpenDialog_ALL
        + QStringLiteral(" (*.*)|*.ac3;*.mpa;*.mp2;*.mp3;*.ogg;*.wav;*.lst;*.mux;*.avi");
    const QStringList filters = DialogFilters(pairs);
    const int allSupported = 9;

    ListDuration = ListDurationFromLabel();

    QStringList chosen;
    if (OpenDialog1Hook) {
        chosen = OpenDialog1Hook(this, filters, allSupported);
    } else {
        QFileDialog dialog(this);
        dialog.setObjectName(QStringLiteral("OpenDialog1"));
        dialog.setFileMode(QFileDialog::ExistingFiles);
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.value(allSupported));
        if (dialog.exec() == QDialog::Accepted)
            chosen = dialog.selectedFiles();
    }
    if (chosen.isEmpty() || ListLockedByBatch(true))
        return;

    const AddScope add(this);
    for (const QString &name : chosen) {
        EnableStart();
        if (ChosenNameIsNotText(name)) {
            m_addReport.AddUndecodable(QDir(FolderPart(name)).path(), 1);
            continue;
        }
        if (IsListOrMuxFile(name))
            OpenKDTFile(name.toLocal8Bit());
        else
            AddFileTotheList(name, Lower(ExtractFileExt(name)));
    }
    ShowListDuration();
    RecountTotalDuration();
    RefreshFirstRow();
}

void TMainForm::AddDirClick()
{
    if (ListLockedByBatch(true))
        return;
    const QString folder = OpenDirDialogHook ? OpenDirDialogHook(this)
                                             : QFileDialog::getExistingDirectory(this);
    const int before = InputListView->topLevelItemCount();
    const AddScope add(this);
    if (!folder.isEmpty()) {
        const QDir dir(folder);
        // One scan of the folder itself for every pattern; its subfolders are not searched.
        const FolderListing listing = ListFolderForAdd(folder);
        for (const FolderMatch &match : listing.Matches) {
            const QString path = dir.filePath(match.Name);
            switch (match.Kind) {
            case ProbeKind::AC3: AddAC3(path); break;
            case ProbeKind::WAV: AddWav(path); break;
            case ProbeKind::MPEG: AddMp3(path); break;
            case ProbeKind::Vorbis: AddVorbis(path); break;
            default: break;
            }
        }
        m_addReport.AddUndecodable(dir.path(), listing.Undecodable);
    }
    if (InputListView->topLevelItemCount() == 0)
        return;
    Check1Click();
    bbStartProcess->setEnabled(true);
    ShowListDuration();
    RecountTotalDuration();
    // New rows get their output names at once, so that a batch started now writes named files.
    // (The delay and input options are left as the user set them.)
    if (InputListView->topLevelItemCount() > before)
        InOutFileName(InputListView->topLevelItem(0)->text(jcFilename).toLocal8Bit());
}

void TMainForm::dragEnterEvent(QDragEnterEvent *event)
{
    if (ListLockedByBatch(false)) {
        event->ignore();
        return;
    }
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        QMainWindow::dragEnterEvent(event);
}

void TMainForm::dropEvent(QDropEvent *event)
{
    if (!event->mimeData()->hasUrls()) {
        QMainWindow::dropEvent(event);
        return;
    }
    if (ListLockedByBatch(true)) {
        event->ignore();
        return;
    }
    QList<QByteArray> names;
    for (const QUrl &url : event->mimeData()->urls()) {
        if (!url.isLocalFile())
            continue;
        // The name's own bytes: a name that is not valid text would lose them on the way through
        // the text of the address.
        const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
        names << (url.host().isEmpty() && NameIsNotText(bytes) ? bytes : url.toLocalFile().toLocal8Bit());
    }
    event->acceptProposedAction();
    WMDropFiles(names);
}

void TMainForm::WMDropFiles(const QList<QByteArray> &names)
{
    if (ListLockedByBatch(true))
        return;
    const AddScope add(this);
    for (const QByteArray &name8 : names) {
        // A longer name cannot be taken whole; it is left out rather than cut to another path.
        if (name8.isEmpty() || name8.size() > MaxDroppedNameLength)
            continue;
        const QString name = QString::fromLocal8Bit(name8);
        // No text reaches a file whose name is not valid text: it is told, not reported missing.
        if (NameIsNotText(name8)) {
            m_addReport.AddUndecodable(QDir(FolderPart(name)).path(), 1);
            continue;
        }
        if (IsListOrMuxFile(name))
            OpenKDTFile(name8);
        else
            AddFileTotheList(name, Lower(ExtractFileExt(name)));
    }
    ShowListDuration();
    RecountTotalDuration();
    RefreshFirstRow();
    QCoreApplication::processEvents();
    EnableStart();
    KDCmdl();
}

// ---- Input-type options ----------------------------------------------------------------------

void TMainForm::WAVasInput(const QByteArray &FileName)
{
    const QString ext = Lower(ExtractFileExt(QString::fromLocal8Bit(FileName)));
    if (ext == QLatin1String(".ac3")) {
        if (!chAzidDC->isChecked())
            chAzidDC->setChecked(true);
        UntickAdvanced("chSoundTouchTempo");
        if (QWidget *tempo = AdvancedControl("chSoundTouchTempo"))
            tempo->setEnabled(false);
        return;
    }
    static const QStringList pcmLike = {QStringLiteral(".wav"), QStringLiteral(".mpa"), QStringLiteral(".mp2"),
                                        QStringLiteral(".mp3"), QStringLiteral(".ogg"), QStringLiteral(".mux")};
    if (!pcmLike.contains(ext))
        return;
    Untick(chAzidDC);
    for (const char *name : {"chLFEtoLR", "chOutputMode", "chDNR", "chNormalize", "chRearChan", "chManGain"})
        UntickAdvanced(name);
}

// ---- Pop-up menu -----------------------------------------------------------------------------

void TMainForm::ClearList2Click()
{
    if (ListLockedByBatch(true))
        return;
    InputListView->clear();
    bbStartProcess->setEnabled(false);
    // The names of the next rows give their delays again.
    m_delayChoice.Reset();
    DetectDelay(QByteArray(), edOTADelay);
    Untick(chOTAViewKDCL);
    ListDuration = 0.0;
    TotalDuration = 0.0;
    Label1->setText(QStringLiteral("Label1"));
    KDCmdl();
}

void TMainForm::Check1Click()
{
    for (int i = 0; i < InputListView->topLevelItemCount(); ++i)
        InputListView->topLevelItem(i)->setCheckState(jcCheck, Qt::Checked);
}

void TMainForm::CheckNone2Click()
{
    for (int i = 0; i < InputListView->topLevelItemCount(); ++i)
        InputListView->topLevelItem(i)->setCheckState(jcCheck, Qt::Unchecked);
}

void TMainForm::RemoveUnchecked2Click()
{
    if (ListLockedByBatch(true))
        return;
    double removed = 0.0;
    for (int i = InputListView->topLevelItemCount() - 1; i >= 0; --i) {
        QTreeWidgetItem *row = InputListView->topLevelItem(i);
        if (row->checkState(jcCheck) == Qt::Checked)
            continue;
        removed += RowSeconds(row);
        delete InputListView->takeTopLevelItem(i);
    }
    if (InputListView->topLevelItemCount() == 0) {
        ClearList2Click();
        return;
    }
    ListDuration = qMax(0.0, ListDurationFromLabel() - removed);
    ShowListDuration();
    RecountTotalDuration();
    KDCmdl();
}

void TMainForm::InputListViewClick()
{
    ShowSelectedRowDelay();
    KDCmdl();
}

void TMainForm::InputListViewChange()
{
}

// ---- Output naming ---------------------------------------------------------------------------

void TMainForm::InOutFileName(const QByteArray &Path)
{
    JobInputFolder.clear();
    JobInputName.clear();
    JobOutputFolder.clear();
    JobOutputName.clear();
    const NamingChoice choice = CurrentNamingChoice(this);
    const QString pathFolder = FolderPart(QString::fromLocal8Bit(Path));

    // Files named in this pass, so that two jobs never write the same file.
    QSet<QString> named;
    const JobFileKind kind = CurrentJobFileKind();
    // A folder that many rows write into is listed once for the pass, and its name limit asked
    // once: the listing answers for every name in it instead of a system call per row.
    QHash<QString, int> rowsPerFolder;
    int toVisit = 0;
    for (int i = 0; i < InputListView->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *row = InputListView->topLevelItem(i);
        if (row->isSelected() || row->checkState(jcCheck) == Qt::Checked) {
            ++rowsPerFolder[row->text(jcOutputPath)];
            ++toVisit;
        }
    }
    struct FolderFacts {
        int nameLimit;
        bool absolute; // the folder is absolute and clean: a name right in it needs no resolving
        std::optional<QSet<QString>> entries;
    };
    QHash<QString, FolderFacts> folders;
    named.reserve(toVisit * 2);
    constexpr int listedFrom = 16; // rows in one folder from which a listing is cheaper
    int visited = 0;
    for (int i = 0; i < InputListView->topLevelItemCount(); ++i) {
        QTreeWidgetItem *row = InputListView->topLevelItem(i);
        if (!row->isSelected() && row->checkState(jcCheck) != Qt::Checked)
            continue;
        ++visited;
        JobInputName = row->text(jcFilename).toLocal8Bit();
        JobInputFolder = pathFolder.toLocal8Bit();
        JobOutputFolder = JobInputFolder;

        // The name is tested where the file will be written: the row's output folder. A name
        // that exists there, or that an earlier job of this pass takes, is never proposed; only
        // the file whose overwrite the user confirmed in the save dialog may stay.
        // A name chosen in the save dialog keeps its base name and takes the page's extension.
        const QString chosen = row->data(jcOutputFilename, ChosenNameRole).toString();
        const OutputName wanted = chosen.isEmpty() ? OutputNameFor(choice, row->text(jcFilename), visited)
                                                   : OutputName{OutputNameFittingPage(choice, chosen), true};
        // The job's log and six mono files count as its output does; the confirmed file's log
        // goes with it.
        const QString folder = row->text(jcOutputPath);
        auto facts = folders.find(folder);
        if (facts == folders.end()) {
            FolderFacts made{FileNameLimit(folder), AbsolutePath(folder) == folder, std::nullopt};
            if (rowsPerFolder.value(folder) >= listedFrom)
                made.entries = FolderEntryNames(folder);
            facts = folders.insert(folder, std::move(made));
        }
        const std::optional<QSet<QString>> &entries = facts->entries;
        const bool absoluteFolder = facts->absolute;
        const auto rightInFolder = [&](const QString &file) {
            return file.size() > folder.size() && file.startsWith(folder) && file.indexOf(u'/', folder.size()) < 0
                   && file.indexOf(QLatin1String("/."), folder.size() - 1) < 0;
        };
        // Something of that name is there: the folder's listing tells for a name right in it.
        const auto exists = [&](const QString &file, bool inFolder) {
            if (entries && inFolder && !file.contains(QChar::ReplacementCharacter))
                return entries->contains(file.mid(folder.size()));
            return !FileIsMissing(file);
        };
        const QString confirmed = row->data(jcOutputFilename, OverwriteConfirmedRole).toString();
        const QString path = FreeJobOutput(folder + wanted.Name, kind, facts->nameLimit, [&](const QString &file) {
            const bool inFolder = rightInFolder(file);
            const QString absolute = absoluteFolder && inFolder ? file : AbsolutePath(file);
            if (named.contains(absolute))
                return true;
            return exists(file, inFolder) && (confirmed.isEmpty() || (absolute != confirmed && absolute != JobLogPath(confirmed)));
        }).Path;
        for (const QString &file : JobFilesFor(path, kind))
            named.insert(AbsolutePath(file));
        const QString outputName = path.mid(folder.size());
        JobOutputName = outputName.toLocal8Bit();
        if (row->text(jcOutputFilename) != outputName)
            row->setText(jcOutputFilename, outputName);
    }

    if (!SaveDialog1FileName.isEmpty()) {
        JobOutputFolder = FolderPart(SaveDialog1FileName).toLocal8Bit();
        JobOutputName = FileNamePart(SaveDialog1FileName).toLocal8Bit();
    }
    const QString folder = QString::fromLocal8Bit(JobOutputFolder);
    const QString unique = MakeUniqueFileName(folder + QString::fromLocal8Bit(JobOutputName));
    JobOutputName = unique.mid(folder.size()).toLocal8Bit();
    KDCmdl();
}

void TMainForm::InOutFileNameOfSelectedRow()
{
    // The ticked rows are named even when no row is selected (after Add Directory, say): a batch
    // would otherwise write the new page's format under the old page's extension.
    QTreeWidgetItem *row = SelectedRow(InputListView);
    if (!row && InputListView->topLevelItemCount() > 0)
        row = InputListView->topLevelItem(0);
    if (!row)
        return;
    InOutFileName(row->text(jcInputPath).toLocal8Bit());
}

void TMainForm::LoadListFile(const QByteArray &FileName)
{
    ListDuration = ListDurationFromLabel();
    EnableStart();
    OpenKDTFile(FileName);
    ShowListDuration();
    RecountTotalDuration();
    RefreshFirstRow();
}

JobFileKind TMainForm::CurrentJobFileKind() const
{
    JobFileKind kind;
    kind.SixMono = PageControl1->currentWidget() == TabSheet6 && rbWAVOutput->isChecked()
                   && (rbWAVOutput3->isChecked() || rbWAVOutput4->isChecked());
    // The 5.1 MP3 encoder keeps no log.
    if (PageControl1->currentWidget() == TabSheet4 && rbMP3Ch6->isChecked())
        return kind;
    const auto *log = AdvancedSet ? AdvancedSet->findChild<QCheckBox *>(QStringLiteral("chOutputLog")) : nullptr;
    const auto *append = AdvancedSet ? AdvancedSet->findChild<QCheckBox *>(QStringLiteral("chOutputLoga")) : nullptr;
    if (log && log->isChecked())
        kind.Log = append && append->isChecked() ? JobLogMode::Append : JobLogMode::Replace;
    return kind;
}

void TMainForm::PrepareJobOutput(QTreeWidgetItem *row)
{
    // A command edited by hand names its own output: the user chose it there.
    if (!row || JobRowHasHandEdit(row))
        return;
    const NamingChoice choice = CurrentNamingChoice(this);
    const QString folder = row->text(jcOutputPath);
    QString name = row->text(jcOutputFilename);
    if (!name.isEmpty() && row->data(jcOutputFilename, RunnerGivenRole).toString() == folder + name)
        name = row->data(jcOutputFilename, RunnerWantedRole).toString();
    if (name.isEmpty())
        name = OutputNameFor(choice, row->text(jcFilename), 1).Name;
    name = OutputNameFittingPage(choice, name);

    const QString confirmed = row->data(jcOutputFilename, OverwriteConfirmedRole).toString();
    row->setData(jcOutputFilename, OverwriteConfirmedRole, QVariant());
    const QString wanted = folder + name;
    const QString wantedAbsolute = QFileInfo(wanted).absoluteFilePath();
    const JobFileKind kind = CurrentJobFileKind();
    const bool keep = !confirmed.isEmpty() && QFileInfo(confirmed).absoluteFilePath() == wantedAbsolute
                      && !m_batch.Outputs.contains(wantedAbsolute);
    if (!keep) {
        // Neither the output (or its six mono files) nor a log that would be replaced may exist,
        // nor be one that this batch gave an earlier job; every name fits the folder's file system.
        const FreeJobName free = FreeJobOutput(wanted, kind, FileNameLimit(folder), [this](const QString &f) {
            return !FileIsMissing(f) || m_batch.Outputs.contains(QFileInfo(f).absoluteFilePath());
        });
        if (!free.Fits)
            m_batch.RefusedOutput = wanted;
        name = free.Path.mid(folder.size());
    }
    row->setData(jcOutputFilename, RunnerWantedRole, wanted.mid(folder.size()));
    row->setData(jcOutputFilename, RunnerGivenRole, folder + name);
    for (const QString &file : JobFilesFor(folder + name, kind))
        m_batch.Outputs.insert(QFileInfo(file).absoluteFilePath());
    if (name != row->text(jcOutputFilename))
        row->setText(jcOutputFilename, name);
}

void TMainForm::Save1Click()
{
    QTreeWidgetItem *row = SelectedRow(InputListView);
    if (!row)
        return;

    const NamingChoice choice = CurrentNamingChoice(this);
    SaveFilter filter = SaveFilterFor(choice);
    if (choice.Page == KDPage::Lossless)
        filter = SaveFilter{true, SaveFilterText::None, QStringLiteral(" (*.flac)|*.flac"), QStringLiteral(".flac")};

    QStringList filters;
    if (filter.Describe) {
        QString text;
        switch (filter.Text) {
        case SaveFilterText::AAC: text = LanguageStrings.SaveDialog_AAC; break;
        case SaveFilterText::AC3: text = LanguageStrings.OpenDialog_AC3; break;
        case SaveFilterText::MP2: text = LanguageStrings.SaveDialog_MP2; break;
        case SaveFilterText::MP3: text = LanguageStrings.SaveDialog_MP3; break;
        case SaveFilterText::OGG: text = LanguageStrings.SaveDialog_OGG; break;
        case SaveFilterText::AIFF: text = LanguageStrings.SaveDialog_AIFF; break;
        case SaveFilterText::WAV: text = LanguageStrings.SaveDialog_WAV; break;
        case SaveFilterText::SPX: text = LanguageStrings.SaveDialog_SPX; break;
        case SaveFilterText::None: break;
        }
        filters = DialogFilters(text + filter.Pattern);
        const QString proposed = ChangeFileExt(row->text(jcInputPath) + row->text(jcFilename), filter.DefaultExt);
        SaveDialog1FileName = MakeUniqueFileName(proposed);
    }

    // The proposal holds even when the user cancels.
    if (!SaveDialog1FileName.isEmpty()) {
        row->setText(jcOutputPath, FolderPart(SaveDialog1FileName));
        row->setText(jcOutputFilename, FileNamePart(SaveDialog1FileName));
    }

    const QString suffix = filter.DefaultExt.mid(1);
    QString chosen;
    if (SaveDialog1Hook) {
        chosen = SaveDialog1Hook(this, filters, SaveDialog1FileName, suffix);
    } else {
        QFileDialog dialog(this);
        dialog.setObjectName(QStringLiteral("SaveDialog1"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilters(filters);
        dialog.setDefaultSuffix(suffix);
        if (!SaveDialog1FileName.isEmpty()) {
            dialog.setDirectory(FolderPart(SaveDialog1FileName));
            dialog.selectFile(FileNamePart(SaveDialog1FileName));
        }
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = dialog.selectedFiles().constFirst();
    }
    // The dialog asks before it gives an existing file: that file may then be written over once.
    row->setData(jcOutputFilename, OverwriteConfirmedRole, QVariant());
    if (!chosen.isEmpty()) {
        SaveDialog1FileName = chosen;
        row->setText(jcOutputPath, FolderPart(chosen));
        row->setText(jcOutputFilename, FileNamePart(chosen));
        row->setData(jcOutputFilename, ChosenNameRole, FileNamePart(chosen));
        // A command edited by hand writes the chosen file too; the rest of the edit stands.
        if (JobRowHasHandEdit(row))
            SetJobRowHandEdit(row, QString::fromLocal8Bit(CommandWritingOutput(JobRowHandEdit(row).toLocal8Bit(), chosen)));
        if (!FileIsMissing(chosen))
            row->setData(jcOutputFilename, OverwriteConfirmedRole, QFileInfo(chosen).absoluteFilePath());
    }
    KDCmdl();
}

void TMainForm::DetectDelay(const QByteArray &FileName, QLineEdit *DelayEdit)
{
    if (!DelayEdit)
        return;
    const DelayShown shown = m_delayChoice.ForRow(QString::fromLocal8Bit(FileName));
    // Showing a row's delay is no choice of the user's.
    const QScopedValueRollback<bool> showing(m_showingDelay, true);
    if (DelayEdit->text() != shown.Text)
        DelayEdit->setText(shown.Text);
    DelayEdit->setEnabled(shown.Ticked);
    lbOTADelay->setEnabled(shown.Ticked);
    if (chOTADelay->isChecked() != shown.Ticked)
        chOTADelay->setChecked(shown.Ticked);
}

void TMainForm::ShowSelectedRowDelay()
{
    if (const QTreeWidgetItem *row = SelectedRow(InputListView))
        DetectDelay(row->text(jcFilename).toLocal8Bit(), edOTADelay);
}
