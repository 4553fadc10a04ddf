#include "UCTFrame.h"

TCTFrame::TCTFrame(QWidget *parent)
    : QWidget(parent)
{
    setupUi(this);
}
