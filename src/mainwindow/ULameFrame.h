#pragma once

#include "ui_ULameFrame.h"

#include <QWidget>

// Options of the LAME encoder for stereo MP3 (instance LameFrame1).
// A layout without code of its own: the main window binds the events of its controls, which
// keep their layout names, so code reaches them as members (Instance->control).
class TLameFrame : public QWidget, public Ui::TLameFrame
{
    Q_OBJECT
public:
    explicit TLameFrame(QWidget *parent = nullptr);
};
