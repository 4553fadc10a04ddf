#include "UFAACFrame.h"

TFaacFrame::TFaacFrame(QWidget *parent)
    : QWidget(parent)
{
    setupUi(this);
}
