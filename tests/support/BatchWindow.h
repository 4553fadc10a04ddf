#pragma once

// The main window as the batch window tests drive it: its job list, progress frame and batch log,
// files added through the job list's own dialog, a batch run to its end, and the window put back
// between tests. A test class derives from QObject first and from BatchWindowTest second.

#include "JobRow.h"
#include "LanguageStrings.h"
#include "UExeBrowser.h"
#include "UMain.h"
#include "UProgress.h"
#include "ZolvaneApp.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QScopedPointer>
#include <QStringList>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

// A file of the test fixtures, by its path below the fixtures folder.
inline QString Fixture(const QString &relative)
{
    return QStringLiteral(ZOLVANE_FIXTURES_DIR "/") + relative;
}

// The build's transcoder.
inline QString Transcoder()
{
    return QStringLiteral(ZOLVANE_TRANSCODER_DIR "/Kandrum.exe");
}

// Every message text its own key, so that each row of the batch log shows which message it is.
inline void UseKeysAsTexts()
{
    for (const TLanguageStringKey &key : LanguageStringKeys())
        LanguageStrings.*(key.Text) = QLatin1String(key.Key);
}

class BatchWindowTest
{
protected:
    QTemporaryDir m_cwd;                  // the current folder while the test program runs
    QScopedPointer<QTemporaryDir> m_jobs; // inputs and outputs of the current test

    TMainForm *form() const { return MainForm; }
    TProgressFrame *frame() const { return MainForm->ProgressFrame1; }
    QTreeWidget *list() const { return MainForm->InputListView; }
    QTreeWidget *batchLog() const { return frame()->ListViewInfos; }
    QTreeWidgetItem *row(int i) const { return list()->topLevelItem(i); }
    QString outputOf(int i) const { return row(i)->text(jcOutputPath) + row(i)->text(jcOutputFilename); }
    // The progress frame's hint, which tells how the batch ended.
    QString hint() const { return frame()->SpeedButtonStop->toolTip(); }
    QLineEdit *edKandrum() const { return ExeBrowse->findChild<QLineEdit *>(QStringLiteral("edKandrum")); }

    // Called first in initTestCase, before the windows exist: a current folder of the test's own,
    // away from the sources and the build, and the build's folder of installed programs.
    void startInAFolderOfItsOwn()
    {
        QVERIFY(m_cwd.isValid());
        QDir::setCurrent(m_cwd.path());
        qputenv("ZOLVANE_PROGRAM_FILES", QByteArray(ZOLVANE_BIN_DIR "/programfiles/"));
    }

    // A fresh folder for the test's inputs and outputs, with copies of the files named (below the
    // fixtures folder, or absolute); gives the copies' paths.
    QStringList freshInputs(const QStringList &files)
    {
        m_jobs.reset(new QTemporaryDir);
        QStringList paths;
        for (const QString &file : files) {
            const QString target = m_jobs->filePath(QFileInfo(file).fileName());
            if (!QFile::copy(file.startsWith(QLatin1Char('/')) ? file : Fixture(file), target))
                qWarning("cannot copy %s", qPrintable(file));
            paths << target;
        }
        return paths;
    }

    // The names in a folder, sorted; without one, the test's job folder.
    QStringList folderEntries(const QString &folder) const
    {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
    QStringList folderEntries() const { return folderEntries(m_jobs->path()); }

    // File > Add Files, the files chosen in its dialog.
    void addFiles(const QStringList &files)
    {
        TMainForm::OpenDialog1Hook = [files](QWidget *, const QStringList &, int) { return files; };
        form()->Open1->trigger();
        TMainForm::OpenDialog1Hook = nullptr;
    }

    // Starts the batch and waits for its final report.
    void runBatch(int timeoutMs = 60000)
    {
        form()->bbStartProcessClick();
        QTRY_VERIFY_WITH_TIMEOUT(!form()->BatchRunning(), timeoutMs);
    }

    // The Events texts of the batch log, top to bottom.
    QStringList batchLogTexts() const
    {
        QStringList out;
        for (int i = 0; i < batchLog()->topLevelItemCount(); ++i)
            out << batchLog()->topLevelItem(i)->text(2);
        return out;
    }

    // A batch that still runs stopped and over, and the progress frame closed with Quit.
    void endTheBatch()
    {
        if (form()->BatchRunning())
            frame()->SpeedButtonStop->click();
        QTRY_VERIFY_WITH_TIMEOUT(!form()->BatchRunning(), 10000);
        if (!frame()->isHidden())
            frame()->SpeedButtonQuit->click();
    }
};
