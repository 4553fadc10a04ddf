#pragma once

#include <QDialog>

class TAdvancedSet : public QDialog
{
    Q_OBJECT
public:
    explicit TAdvancedSet(QWidget *parent = nullptr);
};

extern TAdvancedSet *AdvancedSet;
