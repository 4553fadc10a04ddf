#pragma once

#include <QByteArray>
#include <QDialog>
#include <QStringList>

#include <memory>

namespace Ui { class TKapartoForm; }

class TDosCommand;
class TAC3;
class TWAVfile;
class TMPEGaudio;
class TOggVorbis;
class TAACfile;

// The last splitter command line built.
extern QByteArray KapartoCmdLine;

// The splitter's command line: the quoted program ("Kaparto.exe" when the path is empty), the
// core block with input, prefix and type, and in split mode the split block with the non-empty
// break points.
// A break point typed with a decimal comma (or the locale's separator) is written with a point.
QByteArray SplitterCommandLine(const QString &splitterPath, const QString &input, const QString &prefix,
                               bool splitMode, const QStringList &breakPoints);

// The splitter's type for an input: "ac3", "aac", "mp2", "mp3" or "ogg" by its extension, else "wav".
QString SplitterType(const QString &input);

// A break point as the splitter reads it: blanks trimmed, a decimal comma (or the locale's
// separator) turned into a point.
QString BreakPointText(const QString &cell);

// The first problem of the break points (non-empty cells, in grid order) for an input of that
// duration in seconds (0 or less: unknown), or an empty text when they can be split at.
QString BreakPointProblem(const QStringList &cells, double duration);

// The prefix proposed for an input: its folder and name with "_", or with "_2_", "_3_", ... when
// pieces of an earlier split (prefix, two digits, the type's extension) lie in that folder.
QString ProposedPrefix(const QString &input);

// The splitter dialog: input file, output prefix, break points and the splitter's command line.
class TKapartoForm : public QDialog
{
    Q_OBJECT
public:
    explicit TKapartoForm(QWidget *parent = nullptr);
    ~TKapartoForm() override;

    TDosCommand *DosCommand() const { return m_dosCommand; }

public slots:
    void btInputClick();
    void btOutputClick();
    void btSplitClick();
    void btCancelClick();
    void rbSplitClick();
    void rbFixClick();
    // Composes the command line into KapartoCmdLine and shows it in Memo2.
    void KapartoCmd();
    // Probes the input file and fills the information labels.
    void AudioFileInfo(const QString &fileName);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void SplitterLine(const QByteArray &line);
    void SplitterEnded();
    int m_pendingRuns = 0;   // runs started whose end notice has not come yet
    int m_piecesWritten = 0; // pieces the splitter named in the current run
    QStringList m_errors;    // its "Error" lines in the current run
    double m_duration = 0;   // the input's duration in seconds as probed; 0 when unknown
    std::unique_ptr<Ui::TKapartoForm> ui;
    TDosCommand *m_dosCommand = nullptr;
    std::unique_ptr<TAC3> m_ac3;
    std::unique_ptr<TWAVfile> m_wav;
    std::unique_ptr<TMPEGaudio> m_mpeg;
    std::unique_ptr<TOggVorbis> m_ogg;
    std::unique_ptr<TAACfile> m_aac;
};

extern TKapartoForm *KapartoForm;
