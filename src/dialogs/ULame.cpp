#include "ULame.h"
#include "ui_TOthersLame.h"

#include "DialogSupport.h"

#include <QShowEvent>

TOthersLame *OthersLame = nullptr;

TOthersLame::TOthersLame(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TOthersLame>())
{
    setObjectName(QStringLiteral("OthersLame"));
    ui->setupUi(this);
    connect(ui->btnOk, &QAbstractButton::clicked, this, &QDialog::accept);
}

TOthersLame::~TOthersLame() = default;

void TOthersLame::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        CentreOnMainForm(this);
    QDialog::showEvent(event);
}
