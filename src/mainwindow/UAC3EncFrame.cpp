#include "UAC3EncFrame.h"

TAC3EncFrame::TAC3EncFrame(QWidget *parent)
    : QWidget(parent)
{
    setupUi(this);
}
