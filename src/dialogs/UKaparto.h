#pragma once

#include <QDialog>

#include <memory>

namespace Ui { class TKapartoForm; }

// The splitter dialog: input file, output prefix, break points and the splitter's command line.
class TKapartoForm : public QDialog
{
    Q_OBJECT
public:
    explicit TKapartoForm(QWidget *parent = nullptr);
    ~TKapartoForm() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::unique_ptr<Ui::TKapartoForm> ui;
};

extern TKapartoForm *KapartoForm;
