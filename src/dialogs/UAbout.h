#pragma once

#include <QDialog>

#include <memory>

namespace Ui { class TAbout; }

// The About box: the program's name and version, credit lines, its web and mail links.
class TAbout : public QDialog
{
    Q_OBJECT
public:
    explicit TAbout(QWidget *parent = nullptr);
    ~TAbout() override;

public slots:
    void Label5Click();
    void Label7Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::unique_ptr<Ui::TAbout> ui;
};

extern TAbout *About;
