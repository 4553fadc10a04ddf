#pragma once

#include <QDialog>

#include <memory>

namespace Ui { class TOthersLame; }

class TOthersLame : public QDialog
{
    Q_OBJECT
public:
    explicit TOthersLame(QWidget *parent = nullptr);
    ~TOthersLame() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::unique_ptr<Ui::TOthersLame> ui;
};

extern TOthersLame *OthersLame;
