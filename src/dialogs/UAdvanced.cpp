#include "UAdvanced.h"
#include "ui_TAdvancedSet.h"

#include "DialogSupport.h"

#include <QShowEvent>

TAdvancedSet *AdvancedSet = nullptr;

TAdvancedSet::TAdvancedSet(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TAdvancedSet>())
{
    setObjectName(QStringLiteral("AdvancedSet"));
    ui->setupUi(this);
    connect(ui->btOk, &QAbstractButton::clicked, this, &QDialog::accept);
}

TAdvancedSet::~TAdvancedSet() = default;

void TAdvancedSet::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        CentreOnMainForm(this);
    QDialog::showEvent(event);
}
