#include "UAbout.h"

TAbout *About = nullptr;

TAbout::TAbout(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("About"));
}
