#pragma once

#include "ui_UAC3EncFrame.h"

#include <QWidget>

// Options of the AC3Enc engine on the AC3 page (instance AC3EncFrame1).
// A layout without code of its own: the main window binds the events of its controls, which
// keep their layout names, so code reaches them as members (Instance->control).
class TAC3EncFrame : public QWidget, public Ui::TAC3EncFrame
{
    Q_OBJECT
public:
    explicit TAC3EncFrame(QWidget *parent = nullptr);
};
