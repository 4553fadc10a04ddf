#pragma once

#include <QDialog>

class TAudXForm : public QDialog
{
    Q_OBJECT
public:
    explicit TAudXForm(QWidget *parent = nullptr);
};

extern TAudXForm *AudXForm;
