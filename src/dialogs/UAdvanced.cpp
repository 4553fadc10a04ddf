#include "UAdvanced.h"

TAdvancedSet *AdvancedSet = nullptr;

TAdvancedSet::TAdvancedSet(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AdvancedSet"));
}
