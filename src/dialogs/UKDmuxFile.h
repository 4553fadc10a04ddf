#pragma once

#include <QDialog>
#include <QStringList>

#include <memory>

namespace Ui { class TKDMuxFileWizard; }

class QLineEdit;

// The mux-file wizard: six mono WAV files, one per 5.1 channel, saved as a ".mux" file in the
// channel order of the chosen output format.
class TKDMuxFileWizard : public QDialog
{
    Q_OBJECT
public:
    explicit TKDMuxFileWizard(QWidget *parent = nullptr);
    ~TKDMuxFileWizard() override;

    // The six channel files in the order a mux file lists them for this output format
    // ("AAC", "AC3", "VORBIS", "WAV").
    static QStringList ChannelOrder(const QString &format, const QString &frontLeft, const QString &frontRight,
                                    const QString &centre, const QString &lfe, const QString &leftSurround,
                                    const QString &rightSurround);
    // The bytes of a mux file: each path in quotes (an inner quote doubled), CR LF after every line.
    static QByteArray MuxFileBytes(const QStringList &paths);

public slots:
    void btnLFClick();
    void btnCenterClick();
    void btnFRClick();
    void btnLFEClick();
    void btnSLClick();
    void btnRSClick();
    void btnSaveClick();
    void btnOkClick();
    void btnCancelClick();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void PickChannel(QLineEdit *edit);
    // What is wrong with the first channel (in front left, front right, centre, LFE, left and
    // right surround order) whose file cannot go into a mux file, or an empty text.
    QString MissingChannel() const;
    QList<QLineEdit *> ChannelEdits() const;

    std::unique_ptr<Ui::TKDMuxFileWizard> ui;
    QString m_confirmedSave; // the name Save as gave, whose replacement the user has agreed to
};

extern TKDMuxFileWizard *KDMuxFileWizard;
