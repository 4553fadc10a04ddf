#include "ULameFrame.h"

TLameFrame::TLameFrame(QWidget *parent)
    : QWidget(parent)
{
    setupUi(this);
}
