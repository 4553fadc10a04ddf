#pragma once

#include <QDialog>

class TDTSForm : public QDialog
{
    Q_OBJECT
public:
    explicit TDTSForm(QWidget *parent = nullptr);
};

extern TDTSForm *DTSForm;
