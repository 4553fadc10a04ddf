#include "U3GPRefEnc.h"

TTGPRef::TTGPRef(QWidget *parent)
    : QWidget(parent)
{
    setupUi(this);
}
