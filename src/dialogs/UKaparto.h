#pragma once

#include <QDialog>

class TKapartoForm : public QDialog
{
    Q_OBJECT
public:
    explicit TKapartoForm(QWidget *parent = nullptr);
};

extern TKapartoForm *KapartoForm;
