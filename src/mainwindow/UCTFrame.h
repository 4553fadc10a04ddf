#pragma once

#include "ui_UCTFrame.h"

#include <QWidget>

// Options of the Winamp AAC+ plug-in on the AAC page (instance CTFrame1).
// A layout without code of its own: the main window binds the events of its controls, which
// keep their layout names, so code reaches them as members (Instance->control).
class TCTFrame : public QWidget, public Ui::TCTFrame
{
    Q_OBJECT
public:
    explicit TCTFrame(QWidget *parent = nullptr);
};
