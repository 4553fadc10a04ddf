#pragma once

#include "ui_UProgress.h"

#include <QWidget>

// Progress of a running batch: bars, times, the batch log and the Stop and Quit buttons (instance ProgressFrame1, hidden until a batch starts).
// A layout without code of its own: the main window binds the events of its controls, which
// keep their layout names, so code reaches them as members (Instance->control).
class TProgressFrame : public QWidget, public Ui::TProgressFrame
{
    Q_OBJECT
public:
    explicit TProgressFrame(QWidget *parent = nullptr);
};
