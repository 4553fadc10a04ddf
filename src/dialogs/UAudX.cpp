#include "UAudX.h"

TAudXForm *AudXForm = nullptr;

TAudXForm::TAudXForm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AudXForm"));
}
