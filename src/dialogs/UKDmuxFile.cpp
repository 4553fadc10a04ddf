#include "UKDmuxFile.h"

TKDMuxFileWizard *KDMuxFileWizard = nullptr;

TKDMuxFileWizard::TKDMuxFileWizard(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("KDMuxFileWizard"));
}
