#include "UAuXFramepas.h"

TAuXFramepas::TAuXFramepas(QWidget *parent)
    : QWidget(parent)
{
    setupUi(this);
}
