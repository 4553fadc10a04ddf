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
QByteArray SplitterCommandLine(const QString &splitterPath, const QString &input, const QString &prefix,
                               bool splitMode, const QStringList &breakPoints);

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
    std::unique_ptr<Ui::TKapartoForm> ui;
    TDosCommand *m_dosCommand = nullptr;
    std::unique_ptr<TAC3> m_ac3;
    std::unique_ptr<TWAVfile> m_wav;
    std::unique_ptr<TMPEGaudio> m_mpeg;
    std::unique_ptr<TOggVorbis> m_ogg;
    std::unique_ptr<TAACfile> m_aac;
};

extern TKapartoForm *KapartoForm;
