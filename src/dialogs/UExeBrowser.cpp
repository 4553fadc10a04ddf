#include "UExeBrowser.h"

TExeBrowse *ExeBrowse = nullptr;

TExeBrowse::TExeBrowse(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ExeBrowse"));
}
