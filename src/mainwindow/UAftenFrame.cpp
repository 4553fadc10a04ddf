#include "UAftenFrame.h"

TAftenFrame::TAftenFrame(QWidget *parent)
    : QWidget(parent)
{
    setupUi(this);
}
