#include "UMain.h"

TMainForm *MainForm = nullptr;

TMainForm::TMainForm(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Zolvane"));
}
