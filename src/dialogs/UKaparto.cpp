#include "UKaparto.h"
#include "ui_TKapartoForm.h"

#include "AACfile.h"
#include "AC3.h"
#include "CommandLineSplit.h"
#include "DialogSupport.h"
#include "DosCommand.h"
#include "LanguageStrings.h"
#include "MPEGaudio.h"
#include "OggVorbis.h"
#include "SideToolSupport.h"
#include "URessources.h"
#include "UExeBrowser.h"
#include "WAVfile.h"

#include <QAbstractButton>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QDir>
#include <QLocale>
#include <QRegularExpression>
#include <QShowEvent>
#include <QStyledItemDelegate>

#include <cmath>
#include <exception>

using namespace SideTools;

TKapartoForm *KapartoForm = nullptr;
QByteArray KapartoCmdLine;

static const QString InputFilter = QStringLiteral(
    "AAC Files (*.aac)|*.aac|AC3 Files (*.ac3)|*.ac3|MP2 Files (*.mp2)|*.mp2|MP3 Files (*.mp3)|*.mp3|"
    "OGG Files (*.ogg)|*.ogg|WAV Files (*.wav)|*.wav|"
    "All Files supported (*.*)|*.ac3;*.aac;*.mpa;*.mp2;*.mp3;*.ogg;*.wav");

// The lower-cased extension with its point; paths may use either slash.
static QString LowerExtension(const QString &path)
{
    QString name = path;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    name = name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot).toLower();
}

QString SplitterType(const QString &input)
{
    const QString ext = LowerExtension(input);
    for (const char *type : {"ac3", "aac", "mp2", "mp3", "ogg"}) {
        if (ext == QLatin1Char('.') + QLatin1String(type))
            return QLatin1String(type);
    }
    return QStringLiteral("wav");
}

QString BreakPointText(const QString &cell)
{
    QString text = cell.trimmed();
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    const QString separator = QLocale().decimalPoint();
    if (!separator.isEmpty() && separator != QLatin1String("."))
        text.replace(separator, QStringLiteral("."));
    return text;
}

QString BreakPointProblem(const QStringList &cells, double duration)
{
    static const QRegularExpression seconds(QStringLiteral("^([0-9]+(\\.[0-9]*)?|\\.[0-9]+)$"));
    double previous = -1;
    for (const QString &cell : cells) {
        const QString text = BreakPointText(cell);
        if (text.isEmpty())
            continue;
        if (!seconds.match(text).hasMatch())
            return LanguageStrings.BreakPointNotTime.arg(cell);
        const double value = text.toDouble();
        if (value < previous)
            return LanguageStrings.BreakPointsNotAscending;
        if (duration > 0 && value >= duration)
            return LanguageStrings.BreakPointBeyondEnd
                .arg(text, QString::number(duration, 'f', 2));
        previous = value;
    }
    return QString();
}

QString ProposedPrefix(const QString &input)
{
    const QFileInfo info(input);
    QString folder = info.path();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    const QDir dir(folder);
    const QString type = SplitterType(input);
    for (int n = 1;; ++n) {
        const QString name = info.completeBaseName() + (n == 1 ? QString() : QLatin1Char('_') + QString::number(n))
                             + QLatin1Char('_');
        // Wildcard characters of the name itself are matched literally.
        QString pattern = name;
        pattern.replace(QLatin1Char('['), QStringLiteral("[[]"));
        pattern.replace(QLatin1Char('*'), QStringLiteral("[*]"));
        pattern.replace(QLatin1Char('?'), QStringLiteral("[?]"));
        pattern += QStringLiteral("[0-9][0-9].") + type;
        const QStringList taken = dir.entryList({pattern}, QDir::AllEntries | QDir::Hidden | QDir::System
                                                               | QDir::CaseSensitive);
        if (taken.isEmpty() || n >= 1000)
            return folder + name;
    }
}

QByteArray SplitterCommandLine(const QString &splitterPath, const QString &input, const QString &prefix,
                               bool splitMode, const QStringList &breakPoints)
{
    QByteArray line;
    if (!splitterPath.isEmpty())
        line = '"' + To8Bit(splitterPath) + '"';
    else
        line = "\"Kaparto.exe\"";
    if (!input.isEmpty()) {
        line += " -core( -input " + QuotedArgument(To8Bit(input));
        line += " -prefix " + QuotedArgument(To8Bit(prefix));
        line += " -type " + SplitterType(input).toLatin1();
        line += " )";
    } else {
        line += "( \"\" \"\" )";
    }
    if (splitMode) {
        line += " -split(";
        for (const QString &point : breakPoints) {
            const QString text = BreakPointText(point);
            if (!text.isEmpty())
                line += ' ' + To8Bit(text);
        }
        line += " )";
    }
    return line;
}

namespace {

// The break-point cells' editor: its keys pass the dialog's filter, and starting to edit a cell
// rebuilds the command line.
class BreakPointDelegate : public QStyledItemDelegate
{
public:
    BreakPointDelegate(TKapartoForm *form, QObject *parent) : QStyledItemDelegate(parent), m_form(form) {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (editor)
            editor->installEventFilter(m_form);
        m_form->KapartoCmd();
        return editor;
    }

private:
    TKapartoForm *m_form;
};

} // namespace

TKapartoForm::TKapartoForm(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TKapartoForm>())
{
    setObjectName(QStringLiteral("KapartoForm"));
    ui->setupUi(this);

    // White banner behind the title and the explanation.
    QPalette banner = ui->pnTitle->palette();
    banner.setColor(QPalette::Window, Qt::white);
    banner.setColor(QPalette::Base, Qt::white);
    ui->pnTitle->setPalette(banner);
    ui->Memo1->setPalette(banner);

    // One column of break points under a fixed header row.
    QTableWidget *grid = ui->StringGrid;
    grid->horizontalHeader()->setVisible(false);
    grid->verticalHeader()->setVisible(false);
    grid->horizontalHeader()->setStretchLastSection(true);
    auto *header = new QTableWidgetItem;
    header->setFlags(Qt::ItemIsEnabled);
    header->setBackground(palette().button());
    grid->setItem(0, 0, header);
    grid->setItem(1, 0, new QTableWidgetItem(QStringLiteral("0")));
    grid->setItem(2, 0, new QTableWidgetItem);
    // Starting to edit a cell and every change of a cell rebuild the command line.
    connect(grid, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
        if (item->row() > 0)
            KapartoCmd();
    });
    grid->setItemDelegate(new BreakPointDelegate(this, grid));

    m_dosCommand = new TDosCommand(this);
    m_dosCommand->setObjectName(QStringLiteral("DosCommand"));
    m_dosCommand->ShowWindow = swHIDE;
    m_dosCommand->CreationFlag = fCREATE_NEW_CONSOLE;
    m_dosCommand->MaxTimeAfterBeginning = 0;
    m_dosCommand->MaxTimeAfterLastOutput = 0;
    m_dosCommand->InputToOutput = false;
    m_dosCommand->ReturnCode = rcCRLF;
    // The splitter's pieces and errors are shown below its command line, and its end is told.
    m_dosCommand->OnNewLine = [this](QObject *, const QByteArray &line, TOutputType type) {
        if (type == otEntireLine)
            SplitterLine(line);
    };
    m_dosCommand->OnTerminated = [this](QObject *, quint32) { SplitterEnded(); };

    m_ac3 = std::make_unique<TAC3>();
    m_wav = std::make_unique<TWAVfile>();
    m_mpeg = std::make_unique<TMPEGaudio>();
    m_ogg = std::make_unique<TOggVorbis>();
    m_aac = std::make_unique<TAACfile>();

    connect(ui->btInput, &QAbstractButton::clicked, this, &TKapartoForm::btInputClick);
    connect(ui->btOutput, &QAbstractButton::clicked, this, &TKapartoForm::btOutputClick);
    connect(ui->btSplit, &QAbstractButton::clicked, this, &TKapartoForm::btSplitClick);
    connect(ui->btCancel, &QAbstractButton::clicked, this, &TKapartoForm::btCancelClick);
    connect(ui->rbSplit, &QAbstractButton::clicked, this, &TKapartoForm::rbSplitClick);
    connect(ui->rbFix, &QAbstractButton::clicked, this, &TKapartoForm::rbFixClick);
}

TKapartoForm::~TKapartoForm() = default;

void TKapartoForm::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        CentreOnMainForm(this);
        if (QTableWidgetItem *header = ui->StringGrid->item(0, 0))
            header->setText(LanguageStrings.timing);
    }
    QDialog::showEvent(event);
}

bool TKapartoForm::eventFilter(QObject *watched, QEvent *event)
{
    // The cell editor takes Backspace, ".", digits and the decimal separator; a decimal comma is
    // taken in any locale, as the command line gets a point for it.
    if (event->type() == QEvent::KeyPress && qobject_cast<QLineEdit *>(watched)) {
        const QString text = static_cast<QKeyEvent *>(event)->text();
        if (text.size() == 1 && text[0].isPrint()) {
            const QChar c = text[0];
            const QString separator = QLocale().decimalPoint();
            if (!c.isDigit() && c != QLatin1Char('.') && c != QLatin1Char(',')
                && !(separator.size() == 1 && c == separator[0]))
                return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TKapartoForm::KapartoCmd()
{
    QString splitter;
    if (ExeBrowse) {
        if (auto *edit = ExeBrowse->findChild<QLineEdit *>(QStringLiteral("edKaparto")))
            splitter = edit->text();
    }
    QStringList points;
    for (int row = 1; row < ui->StringGrid->rowCount(); ++row) {
        QTableWidgetItem *cell = ui->StringGrid->item(row, 0);
        points << (cell ? cell->text() : QString());
    }
    KapartoCmdLine = SplitterCommandLine(splitter, ui->edInput->text(), ui->edOutput->text(), ui->rbSplit->isChecked(),
                                         points);
    ui->Memo2->clear();
    ui->Memo2->appendPlainText(QString::fromLocal8Bit(KapartoCmdLine));
}

void TKapartoForm::btInputClick()
{
    const QStringList chosen = RunFileDialog(this, FileDialogKind::Open, QStringLiteral("OpenDialog"), InputFilter, 6);
    if (chosen.isEmpty())
        return;
    const QString input = chosen.first();
    ui->edInput->setText(input);
    AudioFileInfo(input);
    ui->edOutput->setText(ProposedPrefix(input));
    ui->btSplit->setEnabled(true);
    KapartoCmd();
}

void TKapartoForm::btOutputClick()
{
    const QStringList chosen = RunFileDialog(this, FileDialogKind::Save, QStringLiteral("SaveDialog"), QString());
    if (!chosen.isEmpty())
        ui->edOutput->setText(chosen.first());
}

void TKapartoForm::AudioFileInfo(const QString &fileName)
{
    const std::string name = fileName.toLocal8Bit().toStdString();
    const QString ext = LowerExtension(fileName);
    m_duration = 0;
    auto show = [this](const QString &channels, const QString &bitrate, int sampleRate, double duration) {
        m_duration = duration;
        ui->ChanVal->setText(channels);
        ui->BitrateVal->setText(bitrate + QStringLiteral(" kbps"));
        ui->SampleVal->setText(QString::number(sampleRate) + QStringLiteral(" hz"));
        ui->DurationVal->setText(SecondsToTimeText(int(std::lround(duration))));
    };
    // A file its reader cannot read or finds invalid leaves the labels as they are.
    try {
        if (ext == QLatin1String(".ac3")) {
            if (m_ac3->ReadFromFile(name) && m_ac3->Valid()) {
                const int channels = m_ac3->Channels();
                show(QString::number(channels >= 5 ? channels + 1 : channels), QString::number(m_ac3->BitRate()),
                     m_ac3->SampleRate(), m_ac3->Duration());
            }
        } else if (ext == QLatin1String(".mpa") || ext == QLatin1String(".mp2") || ext == QLatin1String(".mp3")) {
            if (m_mpeg->ReadFromFile(name) && m_mpeg->Valid())
                show(QString::fromStdString(m_mpeg->ChannelMode()), QString::number(m_mpeg->BitRate()),
                     m_mpeg->SampleRate(), m_mpeg->Duration());
        } else if (ext == QLatin1String(".ogg")) {
            if (m_ogg->ReadFromFile(name) && m_ogg->Valid())
                show(QString::fromStdString(m_ogg->ChannelMode()), QString::number(m_ogg->BitRate()),
                     m_ogg->SampleRate(), m_ogg->Duration());
        } else if (ext == QLatin1String(".wav")) {
            if (m_wav->ReadFromFile(name) && m_wav->Valid())
                show(QString::fromStdString(m_wav->ChannelMode()),
                     QString::number(qint64(m_wav->BytesPerSecond()) * 8 / 1000), int(m_wav->SampleRate()),
                     m_wav->Duration());
        } else {
            if (m_aac->ReadFromFile(name) && m_aac->Valid())
                show(QString::number(m_aac->Channels()), QString::number(m_aac->BitRate() / 1000), m_aac->SampleRate(),
                     m_aac->Duration());
        }
    } catch (const std::exception &) {
        // An unreadable file: the labels keep what they showed.
    }
}

void TKapartoForm::rbSplitClick()
{
    ui->btSplit->setText(QStringLiteral("&Split"));
    ui->chRemoveWavHeader->setEnabled(false);
    ui->chFixLength->setEnabled(false);
    ui->chConvert->setEnabled(false);
    ui->chSkip->setEnabled(true);
    ui->chAdd->setEnabled(true);
}

void TKapartoForm::rbFixClick()
{
    ui->btSplit->setText(QStringLiteral("&Fix"));
    ui->chRemoveWavHeader->setEnabled(true);
    ui->chFixLength->setEnabled(true);
    ui->chConvert->setEnabled(true);
    ui->chSkip->setEnabled(false);
    ui->chAdd->setEnabled(false);
}

void TKapartoForm::btSplitClick()
{
    KapartoCmd();
    if (ui->rbSplit->isChecked()) {
        // Break points the splitter would refuse, or one beyond the end that would leave a whole
        // copy, are refused here with the reason.
        QStringList cells;
        for (int row = 1; row < ui->StringGrid->rowCount(); ++row) {
            QTableWidgetItem *cell = ui->StringGrid->item(row, 0);
            cells << (cell ? cell->text() : QString());
        }
        if (!ui->edInput->text().isEmpty())
            AudioFileInfo(ui->edInput->text());
        const QString problem = BreakPointProblem(cells, m_duration);
        if (!problem.isEmpty()) {
            ui->Memo2->appendPlainText(problem);
            ShowMessage(this, problem, true);
            return;
        }
    }
    m_piecesWritten = 0;
    m_errors.clear();
    ++m_pendingRuns;
    m_dosCommand->CommandLine = KapartoCmdLine;
    m_dosCommand->Execute();
}

void TKapartoForm::SplitterLine(const QByteArray &line)
{
    const QString text = QString::fromLocal8Bit(line).trimmed();
    if (text.startsWith(QLatin1String("Piece ")))
        ++m_piecesWritten;
    else if (text.startsWith(QLatin1String("Error")))
        m_errors << text;
    else if (!text.startsWith(QLatin1String("Done")))
        return; // the banner and the progress lines
    ui->Memo2->appendPlainText(text);
}

void TKapartoForm::SplitterEnded()
{
    if (m_pendingRuns > 0)
        --m_pendingRuns;
    if (m_pendingRuns > 0)
        return; // the end of a run that a newer one replaced
    const quint8 status = m_dosCommand->EndStatus();
    if (status == 9)
        return; // stopped on purpose
    if (status % 2 == 1) {
        // The runner has already said why the splitter could not run.
        ui->Memo2->appendPlainText(LanguageStrings.SplitterNotRun);
        return;
    }
    const quint32 code = m_dosCommand->ExitCode();
    if (status == 8 && code == 0 && m_errors.isEmpty()) {
        ui->Memo2->appendPlainText(m_piecesWritten == 1 ? LanguageStrings.SplitterDoneOne
                                                        : LanguageStrings.SplitterDoneMany.arg(m_piecesWritten));
        return;
    }
    QString text = LanguageStrings.SplitterFailed.arg(code);
    if (status == 10)
        text = LanguageStrings.SplitterTimedOut;
    ui->Memo2->appendPlainText(text);
    if (!m_errors.isEmpty())
        text += QLatin1Char('\n') + m_errors.join(QLatin1Char('\n'));
    ShowMessage(this, text, true);
}

void TKapartoForm::btCancelClick()
{
    reject();
}
