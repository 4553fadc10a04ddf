#include "UKaparto.h"

TKapartoForm *KapartoForm = nullptr;

TKapartoForm::TKapartoForm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("KapartoForm"));
}
