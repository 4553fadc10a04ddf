#pragma once

#include <QDialog>
#include <QStringList>

#include <memory>

namespace Ui { class TFileListWriter; }

// The list-file writer: composes a list of audio files and saves it as a ".lst" file, which the
// main window can load as its job source.
class TFileListWriter : public QDialog
{
    Q_OBJECT
public:
    explicit TFileListWriter(QWidget *parent = nullptr);
    ~TFileListWriter() override;

    // The bytes of a list file for these entries (as the list shows them, in their quotes): every
    // name quoted with its inner quotes doubled and CR LF, then one empty line.
    static QByteArray ListFileBytes(const QStringList &entries);

public slots:
    void btLstAddClick();
    void btLstDeleteClick();
    void btLstClearClick();
    void btLstUpClick();
    void btLstDownClick();
    void btLstSaveClick();
    void btOkClick();
    void btCancelClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QStringList Entries() const;
    void LoadSavedList();

    std::unique_ptr<Ui::TFileListWriter> ui;
    QString m_rememberedName;   // the save dialog's file name, kept for the run
    bool m_savedThisShowing = false;
    QString m_loadedThisShowing; // the list file Save has already loaded in this showing
};

extern TFileListWriter *FileListWriter;
