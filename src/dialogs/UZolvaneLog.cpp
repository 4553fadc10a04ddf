#include "UZolvaneLog.h"

TZolvaneLog *ZolvaneLog = nullptr;

TZolvaneLog::TZolvaneLog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ZolvaneLog"));
}
