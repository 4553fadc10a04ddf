#pragma once

#include <QDialog>

#include <memory>

class QFileDialog;
class QLineEdit;
namespace Ui { class TExeBrowse; }

// The tool-path dialog: the paths of the transcoder, the splitter and SoX. Its edits are the paths
// the program uses while it runs; OK stores them in the settings file.
class TExeBrowse : public QDialog
{
    Q_OBJECT
public:
    explicit TExeBrowse(QWidget *parent = nullptr);
    ~TExeBrowse() override;

    // Fills the edits of the programs found in `folder` (names compared without regard to case)
    // with the names as they are on disk; with onlyEmptyEdits, only edits that are empty.
    void LookInFolder(const QString &folder, bool onlyEmptyEdits = false);

    QFileDialog *OpenDialog = nullptr;

public slots:
    void btKandrumClick();
    void btKapartoClick();
    void btSoXClick();
    void btOkClick();
    void reject() override; // only OK ends the dialog

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormShow();
    QString pickExecutable();

    std::unique_ptr<Ui::TExeBrowse> ui;
};

extern TExeBrowse *ExeBrowse;
