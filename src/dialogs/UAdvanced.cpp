#include "UAdvanced.h"
#include "ui_TAdvancedSet.h"

#include "DialogSupport.h"

#include <QLineEdit>
#include <QShowEvent>

TAdvancedSet *AdvancedSet = nullptr;

TAdvancedSet::TAdvancedSet(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TAdvancedSet>())
{
    setObjectName(QStringLiteral("AdvancedSet"));
    ui->setupUi(this);
    // The tempo takes at most four characters, as "5000" or "-95".
    if (auto *tempoText = ui->SpEdtSoundTouchTempo->findChild<QLineEdit *>())
        tempoText->setMaxLength(4);
    connect(ui->btOk, &QAbstractButton::clicked, this, &QDialog::accept);
}

TAdvancedSet::~TAdvancedSet() = default;

void TAdvancedSet::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        CentreOnMainForm(this);
    QDialog::showEvent(event);
}
