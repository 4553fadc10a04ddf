#include "UDTSFiles.h"

TDTSForm *DTSForm = nullptr;

TDTSForm::TDTSForm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("DTSForm"));
}
