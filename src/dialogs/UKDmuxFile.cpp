#include "UKDmuxFile.h"
#include "ui_TKDMuxFileWizard.h"

#include "DialogSupport.h"

#include <QShowEvent>

TKDMuxFileWizard *KDMuxFileWizard = nullptr;

TKDMuxFileWizard::TKDMuxFileWizard(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TKDMuxFileWizard>())
{
    setObjectName(QStringLiteral("KDMuxFileWizard"));
    ui->setupUi(this);
    connect(ui->btnCancel, &QAbstractButton::clicked, this, &QDialog::reject);
}

TKDMuxFileWizard::~TKDMuxFileWizard() = default;

void TKDMuxFileWizard::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        CentreOnMainForm(this);
    QDialog::showEvent(event);
}
