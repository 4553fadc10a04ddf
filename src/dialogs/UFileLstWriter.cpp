#include "UFileLstWriter.h"

TFileListWriter *FileListWriter = nullptr;

TFileListWriter::TFileListWriter(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FileListWriter"));
}
