#pragma once

#include "ui_UNDFrame.h"

#include <QWidget>

// Options of the Nero Digital command-line encoder on the AAC page (instance NDFrame1).
// A layout without code of its own: the main window binds the events of its controls, which
// keep their layout names, so code reaches them as members (Instance->control).
class TNDFrame : public QWidget, public Ui::TNDFrame
{
    Q_OBJECT
public:
    explicit TNDFrame(QWidget *parent = nullptr);
};
