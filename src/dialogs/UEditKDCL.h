#pragma once

#include <QDialog>
#include <QPersistentModelIndex>

#include <memory>

namespace Ui { class TKDCL; }

// The command-line viewer and editor: shows the selected job's command line, copies it, runs the
// batch, and lets the user change it by hand. A hand edit replaces the built command line of the
// row it was made on from then on.
class TKDCL : public QDialog
{
    Q_OBJECT
public:
    explicit TKDCL(QWidget *parent = nullptr);
    ~TKDCL() override; // stores the window's position

public slots:
    void btCopyEditKDCLClick();
    void btRunEditKDCLClick();
    void btCancelEditKDCLClick();
    void RichEdit1Exit();
    void reject() override; // Escape: the Cancel button

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormShow();
    void FormClose();
    void untickViewBox();

    std::unique_ptr<Ui::TKDCL> ui;
    QString m_builtText;     // the text the command-line builder last put into the editor
    bool m_inEditor = false; // the editor holds the keyboard focus
    bool m_placed = false;   // the window has been placed once
    QPersistentModelIndex m_editRow; // the job row whose command the editor showed on entering
};

extern TKDCL *KDCL;
