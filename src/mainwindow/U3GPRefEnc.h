#pragma once

#include "ui_U3GPRefEnc.h"

#include <QWidget>

// Options of the 3GPP reference encoder on the AAC page (instance TGPRef1).
// A layout without code of its own: the main window binds the events of its controls, which
// keep their layout names, so code reaches them as members (Instance->control).
class TTGPRef : public QWidget, public Ui::TTGPRef
{
    Q_OBJECT
public:
    explicit TTGPRef(QWidget *parent = nullptr);
};
