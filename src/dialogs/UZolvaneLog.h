#pragma once

#include "LogWindowFile.h"
#include "URessources.h"

#include <QMainWindow>

#include <memory>

class QTreeWidget;
class QTreeWidgetItem;
namespace Ui { class TZolvaneLog; }

// The log window: time-stamped rows with an information, error or warning icon. Rows are added by
// AddLogLine; the window clears, saves, loads, cuts, copies, deletes and selects them.
class TZolvaneLog : public QMainWindow
{
    Q_OBJECT
public:
    explicit TZolvaneLog(QWidget *parent = nullptr);
    ~TZolvaneLog() override;

    // Data kept on column 0 of each row besides its texts.
    static constexpr int ImageIndexRole = LogImageIndexRole; // the row's image index
    static constexpr int SubItemCountRole = Qt::UserRole + 1; // rows loaded from a file
    static constexpr int RawTextsRole = Qt::UserRole + 2;   // the 8-bit texts a row was loaded with

    // The rows of a list as the log file holds them, and the other way round.
    static QList<TLogRow> RowsOfList(const QTreeWidget *list);
    static void SetListRows(QTreeWidget *list, const QList<TLogRow> &rows);

    // Writes the list into a log file; false (after telling the user) when it cannot be written.
    bool SaveLog(QTreeWidget *list, const QString &fileName);
    // Replaces the list's rows with the file's; false (after telling the user) on failure.
    bool LoadLog(QTreeWidget *list, const QString &fileName);

public slots:
    void New1Click();
    void Open1Click();
    void Saveas1Click();
    void Close1Click();
    void Edit1Click();
    void Cut1Click();
    void Copy1Click();
    void Delete1Click();
    void SelectAll1Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QTreeWidgetItem *firstSelectedRow() const;
    void copyRowToClipboard(QTreeWidgetItem *row) const;

    std::unique_ptr<Ui::TZolvaneLog> ui;
};

extern TZolvaneLog *ZolvaneLog;
