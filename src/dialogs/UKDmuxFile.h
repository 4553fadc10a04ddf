#pragma once

#include <QDialog>

class TKDMuxFileWizard : public QDialog
{
    Q_OBJECT
public:
    explicit TKDMuxFileWizard(QWidget *parent = nullptr);
};

extern TKDMuxFileWizard *KDMuxFileWizard;
