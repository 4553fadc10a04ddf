#include "UProgress.h"

TProgressFrame::TProgressFrame(QWidget *parent)
    : QWidget(parent)
{
    setupUi(this);
}
