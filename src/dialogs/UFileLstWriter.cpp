#include "UFileLstWriter.h"
#include "ui_TFileListWriter.h"

#include "DialogSupport.h"

#include <QShowEvent>

TFileListWriter *FileListWriter = nullptr;

TFileListWriter::TFileListWriter(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TFileListWriter>())
{
    setObjectName(QStringLiteral("FileListWriter"));
    ui->setupUi(this);
    // Holds the path of the last list file saved; never shown.
    ui->Edit1->setVisible(false);
    connect(ui->btCancel, &QAbstractButton::clicked, this, &QDialog::reject);
}

TFileListWriter::~TFileListWriter() = default;

void TFileListWriter::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        CentreOnMainForm(this);
    QDialog::showEvent(event);
}
