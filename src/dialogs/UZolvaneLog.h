#pragma once

#include <QDialog>

class TZolvaneLog : public QDialog
{
    Q_OBJECT
public:
    explicit TZolvaneLog(QWidget *parent = nullptr);
};

extern TZolvaneLog *ZolvaneLog;
