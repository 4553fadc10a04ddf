#pragma once

#include "ui_UFAACFrame.h"

#include <QWidget>

// Options of the FAAC engine on the AAC page (instance FaacFrame1).
// A layout without code of its own: the main window binds the events of its controls, which
// keep their layout names, so code reaches them as members (Instance->control).
class TFaacFrame : public QWidget, public Ui::TFaacFrame
{
    Q_OBJECT
public:
    explicit TFaacFrame(QWidget *parent = nullptr);
};
