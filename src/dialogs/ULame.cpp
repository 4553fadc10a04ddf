#include "ULame.h"

TOthersLame *OthersLame = nullptr;

TOthersLame::TOthersLame(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("OthersLame"));
}
