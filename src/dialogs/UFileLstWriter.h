#pragma once

#include <QDialog>

class TFileListWriter : public QDialog
{
    Q_OBJECT
public:
    explicit TFileListWriter(QWidget *parent = nullptr);
};

extern TFileListWriter *FileListWriter;
