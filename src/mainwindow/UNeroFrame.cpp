#include "UNeroFrame.h"

TNeroFrame::TNeroFrame(QWidget *parent)
    : QWidget(parent)
{
    setupUi(this);
}
