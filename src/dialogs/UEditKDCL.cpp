#include "UEditKDCL.h"

TKDCL *KDCL = nullptr;

TKDCL::TKDCL(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("KDCL"));
}
