#include "UDTSFiles.h"
#include "ui_TDTSForm.h"

#include "DialogSupport.h"

#include <QShowEvent>

TDTSForm *DTSForm = nullptr;

TDTSForm::TDTSForm(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TDTSForm>())
{
    setObjectName(QStringLiteral("DTSForm"));
    ui->setupUi(this);
}

TDTSForm::~TDTSForm() = default;

void TDTSForm::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        CentreOnMainForm(this);
    QDialog::showEvent(event);
}
