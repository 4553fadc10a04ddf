#pragma once

#include "ui_UAftenFrame.h"

#include <QWidget>

// Options of the Aften engine on the AC3 page (instance AftenFrame1).
// A layout without code of its own: the main window binds the events of its controls, which
// keep their layout names, so code reaches them as members (Instance->control).
class TAftenFrame : public QWidget, public Ui::TAftenFrame
{
    Q_OBJECT
public:
    explicit TAftenFrame(QWidget *parent = nullptr);
};
