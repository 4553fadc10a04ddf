#pragma once

#include "ui_UAuXFramepas.h"

#include <QWidget>

// Options of the Aud-X encoder for 5.1 MP3 (instance AuXFrame1).
// A layout without code of its own: the main window binds the events of its controls, which
// keep their layout names, so code reaches them as members (Instance->control).
class TAuXFramepas : public QWidget, public Ui::TAuXFramepas
{
    Q_OBJECT
public:
    explicit TAuXFramepas(QWidget *parent = nullptr);
};
