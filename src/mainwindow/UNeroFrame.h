#pragma once

#include "ui_UNeroFrame.h"

#include <QWidget>

// Options of the Nero encoder kept for the settings file; no engine choice shows it (instance NeroFrame1).
// A layout without code of its own: the main window binds the events of its controls, which
// keep their layout names, so code reaches them as members (Instance->control).
class TNeroFrame : public QWidget, public Ui::TNeroFrame
{
    Q_OBJECT
public:
    explicit TNeroFrame(QWidget *parent = nullptr);
};
