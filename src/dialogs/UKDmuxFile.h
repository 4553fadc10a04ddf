#pragma once

#include <QDialog>

#include <memory>

namespace Ui { class TKDMuxFileWizard; }

class TKDMuxFileWizard : public QDialog
{
    Q_OBJECT
public:
    explicit TKDMuxFileWizard(QWidget *parent = nullptr);
    ~TKDMuxFileWizard() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::unique_ptr<Ui::TKDMuxFileWizard> ui;
};

extern TKDMuxFileWizard *KDMuxFileWizard;
