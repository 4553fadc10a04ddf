#pragma once

#include <QDialog>

#include <memory>

namespace Ui { class TOthersLame; }

// The less common options of the MP3 encoder. The encoder-block builder reads its controls;
// its settings live in the [MP3] section of the settings file.
class TOthersLame : public QDialog
{
    Q_OBJECT
public:
    explicit TOthersLame(QWidget *parent = nullptr);
    ~TOthersLame() override;

    // Reads the twelve [MP3] keys (only when the settings file exists). Runs at start-up and at
    // every showing.
    void FormShow();
    // Writes them (only when the settings file exists). Runs every time the dialog closes.
    void FormClose();

    void done(int result) override;

public slots:
    void chFilterSampleFreqClick();
    void chFilterLowpassClick();
    void chATHtypeClick();
    void chATHturndownClick();
    void chATHignorePSYcompletelyClick();
    void btnOKClick();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::unique_ptr<Ui::TOthersLame> ui;
};

extern TOthersLame *OthersLame;
