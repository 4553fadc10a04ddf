#pragma once

#include <QDialog>

#include <memory>

namespace Ui { class TAudXForm; }

// The notice that 5.1 MP3 output needs the Aud-X encoder package.
class TAudXForm : public QDialog
{
    Q_OBJECT
public:
    explicit TAudXForm(QWidget *parent = nullptr);
    ~TAudXForm() override;

public slots:
    void btOkClick();
    void lbAudXlinkClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::unique_ptr<Ui::TAudXForm> ui;
};

extern TAudXForm *AudXForm;
