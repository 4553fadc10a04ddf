#pragma once

#include <QDialog>

#include <memory>

namespace Ui { class TDTSForm; }

class TDTSForm : public QDialog
{
    Q_OBJECT
public:
    explicit TDTSForm(QWidget *parent = nullptr);
    ~TDTSForm() override;

    // The warning text of the language file's DTS section; shown nowhere.
    QString DTSWarningText;

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::unique_ptr<Ui::TDTSForm> ui;
};

extern TDTSForm *DTSForm;
