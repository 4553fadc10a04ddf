#include "UNDFrame.h"

TNDFrame::TNDFrame(QWidget *parent)
    : QWidget(parent)
{
    setupUi(this);
}
