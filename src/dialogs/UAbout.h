#pragma once

#include <QDialog>

class TAbout : public QDialog
{
    Q_OBJECT
public:
    explicit TAbout(QWidget *parent = nullptr);
};

extern TAbout *About;
