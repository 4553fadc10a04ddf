#pragma once

#include <QDialog>
#include <QPersistentModelIndex>

#include <memory>

class QTreeWidgetItem;

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

public:
    // The command-line builder shows the command of the job row `row` (null for the command
    // template of an empty list). While the editor holds text the user changed and has not left
    // yet, that text stays: it belongs to the row it was made on, and the builder's text waits
    // for the next rebuild.
    void ShowCommandOf(QTreeWidgetItem *row, const QString &text);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormShow();
    void FormClose();
    void untickViewBox();

    std::unique_ptr<Ui::TKDCL> ui;
    QString m_builtText;     // the text the command-line builder last put into the editor
    QPersistentModelIndex m_shownRow; // the job row whose command that text is
    bool m_filling = false;  // the builder is putting its text into the editor
    bool m_inEditor = false; // the editor holds the keyboard focus
    bool m_changed = false;  // the user changed the text since the builder put it there
    bool m_placed = false;   // the window has been placed once
    QPersistentModelIndex m_editRow; // the job row the user's change belongs to
};

extern TKDCL *KDCL;
