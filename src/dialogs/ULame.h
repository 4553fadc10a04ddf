#pragma once

#include <QDialog>

class TOthersLame : public QDialog
{
    Q_OBJECT
public:
    explicit TOthersLame(QWidget *parent = nullptr);
};

extern TOthersLame *OthersLame;
