#include "UKaparto.h"
#include "ui_TKapartoForm.h"

#include "DialogSupport.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QShowEvent>

TKapartoForm *KapartoForm = nullptr;

TKapartoForm::TKapartoForm(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TKapartoForm>())
{
    setObjectName(QStringLiteral("KapartoForm"));
    ui->setupUi(this);

    // White banner behind the title and the explanation.
    QPalette banner = ui->pnTitle->palette();
    banner.setColor(QPalette::Window, Qt::white);
    banner.setColor(QPalette::Base, Qt::white);
    ui->pnTitle->setPalette(banner);
    ui->Memo1->setPalette(banner);

    // One column of break points under a fixed header row.
    QTableWidget *grid = ui->StringGrid;
    grid->horizontalHeader()->setVisible(false);
    grid->verticalHeader()->setVisible(false);
    grid->horizontalHeader()->setStretchLastSection(true);
    auto *header = new QTableWidgetItem;
    header->setFlags(Qt::ItemIsEnabled);
    header->setBackground(palette().button());
    grid->setItem(0, 0, header);
    grid->setItem(1, 0, new QTableWidgetItem(QStringLiteral("0")));
    grid->setItem(2, 0, new QTableWidgetItem);

    connect(ui->btCancel, &QAbstractButton::clicked, this, &QDialog::reject);
}

TKapartoForm::~TKapartoForm() = default;

void TKapartoForm::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        CentreOnMainForm(this);
    QDialog::showEvent(event);
}
