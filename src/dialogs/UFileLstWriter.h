#pragma once

#include <QDialog>

#include <memory>

namespace Ui { class TFileListWriter; }

class TFileListWriter : public QDialog
{
    Q_OBJECT
public:
    explicit TFileListWriter(QWidget *parent = nullptr);
    ~TFileListWriter() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::unique_ptr<Ui::TFileListWriter> ui;
};

extern TFileListWriter *FileListWriter;
