#pragma once

#include <QDialog>

class TExeBrowse : public QDialog
{
    Q_OBJECT
public:
    explicit TExeBrowse(QWidget *parent = nullptr);
};

extern TExeBrowse *ExeBrowse;
