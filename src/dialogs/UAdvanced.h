#pragma once

#include <QDialog>

#include <memory>

namespace Ui { class TAdvancedSet; }

class TAdvancedSet : public QDialog
{
    Q_OBJECT
public:
    explicit TAdvancedSet(QWidget *parent = nullptr);
    ~TAdvancedSet() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::unique_ptr<Ui::TAdvancedSet> ui;
};

extern TAdvancedSet *AdvancedSet;
