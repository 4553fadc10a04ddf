#pragma once

#include <QDialog>

class TKDCL : public QDialog
{
    Q_OBJECT
public:
    explicit TKDCL(QWidget *parent = nullptr);
};

extern TKDCL *KDCL;
