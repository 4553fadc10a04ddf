#include "DialogSupport.h"
#include "ModalAnswer.h"
#include "PipeGuard.h"
#include "UAdvanced.h"
#include "UAudX.h"
#include "UKDmuxFile.h"
#include "UKaparto.h"
#include "ULame.h"
#include "ULanguage.h"
#include "IniFile.h"
#include "UEditKDCL.h"
#include "UExeBrowser.h"
#include "UMain.h"
#include "UMainGlobals.h"
#include "URessources.h"
#include "UZolvaneLog.h"
#include "ZolvaneApp.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>
#include <QClipboard>
#include <QFileDialog>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTreeWidget>
#include <QtTest>

#include <functional>

namespace {

void WriteFile(const QString &path, const QByteArray &bytes = QByteArray("x"))
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A row as the log-line entry makes it.
QTreeWidgetItem *AddRow(QTreeWidget *list, int image, const QString &text)
{
    auto *item = new QTreeWidgetItem(list);
    item->setData(0, TZolvaneLog::ImageIndexRole, image);
    item->setText(1, text);
    return item;
}

// The main window's controls these windows work with, added when the main window has none yet.
template <typename T> T *MainControl(const char *name)
{
    if (T *existing = MainForm->findChild<T *>(QString::fromLatin1(name)))
        return existing;
    auto *control = new T(MainForm);
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT

    QTreeWidget *logList() { return ZolvaneLog->findChild<QTreeWidget *>(QStringLiteral("ListView1")); }
    QAction *logAction(const char *name) { return ZolvaneLog->findChild<QAction *>(QString::fromLatin1(name)); }
    template <typename T> T *exeControl(const char *name)
    {
        return ExeBrowse->findChild<T *>(QString::fromLatin1(name));
    }

    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QFile::remove(SettingsFilePath());
        CreateZolvaneWindows();
        // The English texts, which every start applies first.
        QVERIFY(LoadLanguage(QStringLiteral(":/builtin-lang/English.ini")));
    }

    void cleanupTestCase()
    {
        DestroyZolvaneWindows();
        QFile::remove(SettingsFilePath());
    }

    void init() { logList()->clear(); }

    // ---- the controls other parts of the program find by name ----------------------------

    void controlsTheCommandLineBuilderReadsStartInTheirLayoutState_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("state"); // checked/unchecked, text, or "index:text"
        QTest::addColumn<bool>("enabled");
        const struct {
            const char *window, *control, *kind, *state;
            bool enabled;
        } rows[] = {
            {"AdvancedSet", "chLFEtoLR", "QCheckBox", "checked", true},
            {"AdvancedSet", "edLFEtoLR", "QLineEdit", "-3db", true},
            {"AdvancedSet", "chOutputMode", "QCheckBox", "checked", true},
            {"AdvancedSet", "cbOutputMode", "QComboBox", "1:Stereo", true},
            {"AdvancedSet", "chDNR", "QCheckBox", "unchecked", true},
            {"AdvancedSet", "chNormalize", "QCheckBox", "unchecked", true},
            {"AdvancedSet", "edNormalize", "QLineEdit", "100", false},
            {"AdvancedSet", "chRearChan", "QCheckBox", "unchecked", true},
            {"AdvancedSet", "chManGain", "QCheckBox", "unchecked", true},
            {"AdvancedSet", "edManGain", "QLineEdit", "0db", false},
            {"AdvancedSet", "chSoundTouchFRC", "QCheckBox", "unchecked", true},
            {"AdvancedSet", "ed1SoundTouchFRC", "QLineEdit", "25000", false},
            {"AdvancedSet", "ed2SoundTouchFRC", "QLineEdit", "29970", false},
            {"AdvancedSet", "SpEdtSoundTouchTempo", "QSpinBox", "0", false},
            {"AdvancedSet", "SpEdtSoundTouchPitch", "QSpinBox", "0", false},
            {"AdvancedSet", "SpEdtSoundTouchRate", "QSpinBox", "0", false},
            {"AdvancedSet", "chSoundTouchQuicker", "QCheckBox", "unchecked", true},
            {"AdvancedSet", "chSoundTouchDisAntiAlias", "QCheckBox", "unchecked", true},
            {"AdvancedSet", "edPartialEncStart", "QLineEdit", "0", false},
            {"AdvancedSet", "edPartialEncEnd", "QLineEdit", "0", false},
            {"AdvancedSet", "edExternalPlugName", "QLineEdit", "KD_FadeIn.dll", false},
            {"AdvancedSet", "chExternalPlugFunc", "QCheckBox", "unchecked", true},
            {"AdvancedSet", "edExternalPlugFunc", "QLineEdit", "FadeInSlower", false},
            {"AdvancedSet", "edEqualizer", "QLineEdit", "Sample.eq", false},
            {"AdvancedSet", "edAppendSilence", "QLineEdit", "0", false},
            {"AdvancedSet", "chNoID3Tags", "QCheckBox", "unchecked", true},
            {"AdvancedSet", "chOutputLog", "QCheckBox", "checked", true},
            {"AdvancedSet", "chOutputLoga", "QCheckBox", "unchecked", true},
            {"OthersLame", "cbFilterSampleFreq", "QComboBox", "7:44.1", false},
            {"OthersLame", "edFilterLowpass", "QLineEdit", "44.1", false},
            {"OthersLame", "chStreamsForceByte", "QCheckBox", "unchecked", true},
            {"OthersLame", "chATHignorePSYcompletely", "QCheckBox", "unchecked", true},
            {"OthersLame", "SpEdtATHtype", "QSpinBox", "0", false},
            {"KDMuxFileWizard", "cbOutputFormat", "QComboBox", "1:AC3", true},
            {"KDMuxFileWizard", "CheckBox1", "QCheckBox", "unchecked", true},
            {"FileListWriter", "chkLst", "QCheckBox", "unchecked", true},
            {"KapartoForm", "rbSplit", "QRadioButton", "checked", true},
            {"KapartoForm", "rbAbsolute", "QRadioButton", "checked", true},
            {"KapartoForm", "chConvert", "QCheckBox", "unchecked", false},
            {"KapartoForm", "chAdd", "QCheckBox", "unchecked", true},
            {"KapartoForm", "btSplit", "QPushButton", "&Split", false},
            {"ExeBrowse", "edKaparto", "QLineEdit", "", true},
            {"KDCL", "RichEdit1", "QTextEdit", "", true},
        };
        for (const auto &row : rows)
            QTest::addRow("%s.%s", row.window, row.control)
                << QString::fromLatin1(row.window) << QString::fromLatin1(row.control)
                << QString::fromLatin1(row.kind) << QString::fromLatin1(row.state) << row.enabled;
    }

    void controlsTheCommandLineBuilderReadsStartInTheirLayoutState()
    {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(QString, kind);
        QFETCH(QString, state);
        QFETCH(bool, enabled);
        // Fresh windows, as at start-up.
        DestroyZolvaneWindows();
        CreateZolvaneWindows();
        QWidget *top = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == window)
                top = w;
        QVERIFY2(top, qPrintable(window));
        auto *widget = top->findChild<QWidget *>(control);
        QVERIFY2(widget, qPrintable(control));
        QVERIFY(widget->inherits(kind.toLatin1().constData()));
        QCOMPARE(widget->isEnabled(), enabled);
        if (auto *button = qobject_cast<QAbstractButton *>(widget); button && button->isCheckable())
            QCOMPARE(button->isChecked() ? QStringLiteral("checked") : QStringLiteral("unchecked"), state);
        else if (auto *combo = qobject_cast<QComboBox *>(widget))
            QCOMPARE(QStringLiteral("%1:%2").arg(combo->currentIndex()).arg(combo->currentText()), state);
        else if (auto *spin = qobject_cast<QSpinBox *>(widget))
            QCOMPARE(spin->text(), state);
        else if (auto *edit = qobject_cast<QLineEdit *>(widget))
            QCOMPARE(edit->text(), state);
        else if (auto *push = qobject_cast<QAbstractButton *>(widget))
            QCOMPARE(push->text(), state);
        else if (auto *rich = qobject_cast<QTextEdit *>(widget))
            QCOMPARE(rich->toPlainText(), state);
    }

    void spinEditRangesAndListItems()
    {
        const auto spin = [](QWidget *w, const char *n) { return w->findChild<QSpinBox *>(QString::fromLatin1(n)); };
        QCOMPARE(spin(AdvancedSet, "SpEdtSoundTouchTempo")->minimum(), -95);
        QCOMPARE(spin(AdvancedSet, "SpEdtSoundTouchTempo")->maximum(), 5000);
        QCOMPARE(spin(AdvancedSet, "SpEdtSoundTouchTempo")->findChild<QLineEdit *>()->maxLength(), 4);
        QCOMPARE(spin(AdvancedSet, "SpEdtSoundTouchPitch")->minimum(), -60);
        QCOMPARE(spin(AdvancedSet, "SpEdtSoundTouchPitch")->maximum(), 60);
        QCOMPARE(spin(AdvancedSet, "SpEdtSoundTouchRate")->maximum(), 5000);
        QCOMPARE(spin(OthersLame, "SpEdtATHtype")->maximum(), 5);
        const auto items = [](QWidget *w, const char *n) {
            QStringList out;
            auto *combo = w->findChild<QComboBox *>(QString::fromLatin1(n));
            for (int i = 0; combo && i < combo->count(); ++i)
                out << combo->itemText(i);
            return out;
        };
        QCOMPARE(items(AdvancedSet, "cbOutputMode"), (QStringList{"Mono", "Stereo", "dpl", "dplii"}));
        QCOMPARE(items(OthersLame, "cbFilterSampleFreq"),
                 (QStringList{"8", "11.025", "12", "16", "22.05", "24", "32", "44.1", "48"}));
        QCOMPARE(items(KDMuxFileWizard, "cbOutputFormat"), (QStringList{"AAC", "AC3", "VORBIS", "WAV"}));
        auto *grid = KapartoForm->findChild<QTableWidget *>(QStringLiteral("StringGrid"));
        QCOMPARE(grid->rowCount(), 3);
        QCOMPARE(grid->columnCount(), 1);
        QCOMPARE(grid->item(1, 0)->text(), QStringLiteral("0"));
        QVERIFY(!(grid->item(0, 0)->flags() & Qt::ItemIsEditable));
    }

    void windowCaptions()
    {
        const struct {
            const char *window, *caption;
        } rows[] = {
            {"OthersLame", "Other LAME Settings"},
            {"KDMuxFileWizard", "Kandrum Mux File Wizard"},
            {"FileListWriter", "File List Writer"},
            {"DTSForm", "Tranzcode Settings"},
            {"About", "About..."},
            {"KDCL", "View & Edit Kandrum Command Line"},
            {"ZolvaneLog", "Zolvane Log"},
            {"ExeBrowse", "Executable Settings"},
            {"KapartoForm", "Kaparto Settings"},
            {"AudXForm", "Aud-X"},
        };
        for (const auto &row : rows) {
            QWidget *window = nullptr;
            for (QWidget *w : QApplication::topLevelWidgets())
                if (w->objectName() == QLatin1String(row.window))
                    window = w;
            QVERIFY2(window, row.window);
            QCOMPARE(window->windowTitle(), QString::fromLatin1(row.caption));
        }
    }

    // ---- log window ------------------------------------------------------------------------

    void logMenusHoldTheirItemsShortcutsAndStates()
    {
        DestroyZolvaneWindows();
        CreateZolvaneWindows(); // as laid out, before any selection
        const auto menu = [](const char *name) {
            QStringList items;
            auto *m = ZolvaneLog->findChild<QMenu *>(QString::fromLatin1(name));
            for (QAction *a : m ? m->actions() : QList<QAction *>{})
                items << (a->isSeparator() ? QStringLiteral("-")
                                           : QStringLiteral("%1 %2 [%3]%4")
                                                 .arg(a->objectName(), a->text(),
                                                      a->shortcut().toString(QKeySequence::PortableText),
                                                      a->isEnabled() ? QString() : QStringLiteral(" off")));
            return items;
        };
        QCOMPARE(ZolvaneLog->findChild<QMenu *>(QStringLiteral("File1"))->title(), QStringLiteral("File"));
        QCOMPARE(ZolvaneLog->findChild<QMenu *>(QStringLiteral("Edit1"))->title(), QStringLiteral("Edit"));
        QCOMPARE(menu("File1"), (QStringList{"New1 New []", "Open1 Open... []", "Saveas1 Save as... []", "-",
                                             "Close1 Close []"}));
        QCOMPARE(menu("Edit1"), (QStringList{"Cut1 Cut [Ctrl+X] off", "Copy1 Copy [Ctrl+V] off",
                                             "Delete1 Delete [Del] off", "-", "SelectAll1 Select All [Ctrl+A]"}));
        QTreeWidget *list = logList();
        QCOMPARE(list->columnCount(), 2);
        QCOMPARE(list->columnWidth(0), 20);
        QCOMPARE(list->headerItem()->text(1), QStringLiteral("Time"));
        QVERIFY(list->isHeaderHidden());
        QCOMPARE(list->selectionMode(), QAbstractItemView::ExtendedSelection);
        QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
    }

    void logReportSavesAndLoadsBackIdentically()
    {
        QTreeWidget *list = logList();
        AddRow(list, 0, QStringLiteral("[09:00:00] :  Zolvane started"));
        AddRow(list, 1, QStringLiteral("[09:00:01] :  Kandrum.exe is missing"));
        AddRow(list, 3, QStringLiteral("[09:00:02] :  caf\u00e9 encoder is old"));
        const QList<TLogRow> before = TZolvaneLog::RowsOfList(list);
        const QString path = m_dir.filePath(QStringLiteral("report.log"));

        QVERIFY(ZolvaneLog->SaveLog(list, path));
        QCOMPARE(ReadFile(path), EncodeLogWindowFile(before));

        list->clear();
        QVERIFY(ZolvaneLog->LoadLog(list, path));
        QCOMPARE(TZolvaneLog::RowsOfList(list), before);
        QCOMPARE(list->topLevelItemCount(), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(list->topLevelItem(i)->text(1), QString::fromLocal8Bit(before[i].SubItems[0]));
            QVERIFY(!list->topLevelItem(i)->icon(0).isNull());
        }
        // Saving what was loaded gives the same file again.
        const QString again = m_dir.filePath(QStringLiteral("again.log"));
        QVERIFY(ZolvaneLog->SaveLog(list, again));
        QCOMPARE(ReadFile(again), ReadFile(path));
    }

    void emptyLogIsTwoZeroBytesAndLoadingItEmptiesTheList()
    {
        QTreeWidget *list = logList();
        const QString path = m_dir.filePath(QStringLiteral("empty.log"));
        QVERIFY(ZolvaneLog->SaveLog(list, path));
        QCOMPARE(ReadFile(path), QByteArray(2, '\0'));

        AddRow(list, 0, QStringLiteral("[09:00:00] :  kept until the load"));
        QVERIFY(ZolvaneLog->LoadLog(list, path));
        QCOMPARE(list->topLevelItemCount(), 0);
    }

    void loadedRowsKeepTheirOwnBytes()
    {
        // Texts that are not valid in the locale's encoding, any image index, several sub-items.
        const QList<TLogRow> rows{{7, "cap\xff", {"a\xfe", "", "third"}}, {-1, "", {}}};
        const QString path = m_dir.filePath(QStringLiteral("raw.log"));
        WriteFile(path, EncodeLogWindowFile(rows));
        QVERIFY(ZolvaneLog->LoadLog(logList(), path));
        QCOMPARE(TZolvaneLog::RowsOfList(logList()), rows);
    }

    void cutAfterSelectAllTakesTheFirstRowOnly()
    {
        QTreeWidget *list = logList();
        AddRow(list, 0, QStringLiteral("[10:00:00] :  first"));
        AddRow(list, 1, QStringLiteral("[10:00:01] :  second"));
        AddRow(list, 3, QStringLiteral("[10:00:02] :  third"));
        QGuiApplication::clipboard()->clear();

        logAction("SelectAll1")->trigger();
        QCOMPARE(list->selectedItems().size(), 3);
        QVERIFY(logAction("Cut1")->isEnabled());
        logAction("Cut1")->trigger();

        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("[10:00:00] :  first\r\n"));
        QCOMPARE(list->topLevelItemCount(), 2);
        QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("[10:00:01] :  second"));
    }

    void copyAndDeleteActOnTheFirstSelectedRow()
    {
        QTreeWidget *list = logList();
        AddRow(list, 0, QStringLiteral("[10:00:00] :  one"));
        AddRow(list, 1, QStringLiteral("[10:00:01] :  two"));
        QTreeWidgetItem *three = AddRow(list, 3, QStringLiteral("[10:00:02] :  three"));
        list->topLevelItem(1)->setSelected(true);
        three->setSelected(true);

        ZolvaneLog->Copy1Click();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("[10:00:01] :  two\r\n"));
        QCOMPARE(list->topLevelItemCount(), 3);

        ZolvaneLog->Delete1Click();
        QCOMPARE(list->topLevelItemCount(), 2);
        QCOMPARE(list->topLevelItem(1)->text(1), QStringLiteral("[10:00:02] :  three"));

        // A row of several sub-items puts each of them, followed by CR LF, on the clipboard.
        list->clearSelection();
        auto *wide = new QTreeWidgetItem(list, QStringList{QString(), QStringLiteral("a"), QStringLiteral("b")});
        wide->setSelected(true);
        ZolvaneLog->Copy1Click();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("a\r\nb\r\n"));

        // With nothing selected the three items are off and do nothing.
        list->clearSelection();
        ZolvaneLog->Edit1Click();
        QVERIFY(!logAction("Cut1")->isEnabled());
        QVERIFY(!logAction("Copy1")->isEnabled());
        QVERIFY(!logAction("Delete1")->isEnabled());
        ZolvaneLog->Cut1Click();
        ZolvaneLog->Delete1Click();
        QCOMPARE(list->topLevelItemCount(), 3);
        QCOMPARE(logAction("Copy1")->shortcut(), QKeySequence(QStringLiteral("Ctrl+V")));
    }

    void editShortcutsWorkFromTheKeyboard()
    {
        QTreeWidget *list = logList();
        AddRow(list, 0, QStringLiteral("[10:00:00] :  one"));
        AddRow(list, 1, QStringLiteral("[10:00:01] :  two"));
        AddRow(list, 3, QStringLiteral("[10:00:02] :  three"));
        ZolvaneLog->show();
        ZolvaneLog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(ZolvaneLog));
        list->setFocus();
        list->setCurrentItem(list->topLevelItem(1), 1);
        QGuiApplication::clipboard()->setText(QStringLiteral("kept"));

        // Ctrl+C is no copy key here: the clipboard keeps what it held.
        QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
        QCOMPARE(list->topLevelItemCount(), 3);

        const struct {
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
            const char *clipboard; // after the key
            int rowsLeft;
        } steps[] = {
            {Qt::Key_V, Qt::ControlModifier, "[10:00:01] :  two\r\n", 3}, // Copy
            {Qt::Key_Delete, Qt::NoModifier, "[10:00:01] :  two\r\n", 2}, // Delete
            {Qt::Key_A, Qt::ControlModifier, "[10:00:01] :  two\r\n", 2}, // Select All
            {Qt::Key_X, Qt::ControlModifier, "[10:00:00] :  one\r\n", 1}, // Cut: the first row only
        };
        for (const auto &step : steps) {
            QTest::keyClick(list, step.key, step.modifiers);
            QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromLatin1(step.clipboard));
            QCOMPARE(list->topLevelItemCount(), step.rowsLeft);
        }
        QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("[10:00:02] :  three"));
        ZolvaneLog->hide();
    }

    void rowsOfTheLogLineEntryLandInTheListAndCopyWhole()
    {
        QTreeWidgetItem *row = AddLogLine(QStringLiteral("Transcoding started"), LogKindWarning);
        QVERIFY(row);
        QCOMPARE(logList()->topLevelItemCount(), 1);
        QCOMPARE(logList()->topLevelItem(0), row);
        row->setSelected(true);
        ZolvaneLog->Copy1Click();
        const QString copied = QGuiApplication::clipboard()->text();
        QVERIFY2(QRegularExpression(QStringLiteral("^\\[\\d\\d:\\d\\d:\\d\\d\\] :  Transcoding started\r\n$"))
                     .match(copied).hasMatch(), qPrintable(copied));
        const QList<TLogRow> rows = TZolvaneLog::RowsOfList(logList());
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].ImageIndex, 3);
        QCOMPARE(rows[0].Caption, QByteArray());
        QCOMPARE(rows[0].SubItems.size(), 1);
    }

    void saveAsProposesTheLogNameAndOpenLoadsTheChosenFile()
    {
        AddRow(logList(), 1, QStringLiteral("[12:00:00] :  through the menus"));
        const QList<TLogRow> rows = TZolvaneLog::RowsOfList(logList());
        const QString path = m_dir.filePath(QStringLiteral("menu.log"));

        QString proposed;
        QStringList filters;
        std::unique_ptr<ModalAnswer> save(new ModalAnswer([&](QWidget *w) {
            auto *dialog = qobject_cast<QFileDialog *>(w);
            QVERIFY(dialog);
            auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            QVERIFY(name);
            if (proposed.isEmpty())
                proposed = name->text();
            filters = dialog->nameFilters();
            name->setText(path);
            static_cast<QDialog *>(dialog)->accept();
        }));
        logAction("Saveas1")->trigger();
        QCOMPARE(proposed, QStringLiteral("Zolvane.log"));
        QCOMPARE(filters, QStringList{QStringLiteral("Log Files (*.log)")});
        QCOMPARE(ReadFile(path), EncodeLogWindowFile(rows));

        logAction("New1")->trigger();
        QCOMPARE(logList()->topLevelItemCount(), 0);
        std::unique_ptr<ModalAnswer> open(ChooseFile(path));
        logAction("Open1")->trigger();
        QCOMPARE(open->Seen, 1);
        QCOMPARE(TZolvaneLog::RowsOfList(logList()), rows);
    }

    // Save as onto an existing file asks first: "No" shows the dialog again and leaves the file,
    // "Yes" replaces it.
    void saveAsAsksBeforeReplacingAFile()
    {
        AddRow(logList(), 0, QStringLiteral("[12:00:00] :  kept"));
        const QList<TLogRow> rows = TZolvaneLog::RowsOfList(logList());
        const QString path = m_dir.filePath(QStringLiteral("older.log"));
        WriteFile(path, "an older file");

        for (const QMessageBox::StandardButton button : {QMessageBox::No, QMessageBox::Yes}) {
            QString question;
            int dialogs = 0;
            std::unique_ptr<ModalAnswer> answerQuestion, cancel;
            std::unique_ptr<ModalAnswer> save(new ModalAnswer([&](QWidget *w) {
                auto *dialog = qobject_cast<QFileDialog *>(w);
                QVERIFY(dialog);
                ++dialogs;
                dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(path);
                answerQuestion.reset(new ModalAnswer([&](QWidget *m) {
                    auto *box = qobject_cast<QMessageBox *>(m);
                    QVERIFY(box);
                    question = box->text();
                    // After "No" the save dialog comes again: it is cancelled.
                    if (button == QMessageBox::No)
                        cancel.reset(new ModalAnswer([&](QWidget *again) {
                            QVERIFY(qobject_cast<QFileDialog *>(again));
                            ++dialogs;
                            static_cast<QDialog *>(again)->reject();
                        }));
                    box->button(button)->click();
                }));
                static_cast<QDialog *>(dialog)->accept();
            }));
            logAction("Saveas1")->trigger();
            QVERIFY2(question.contains(QStringLiteral("older.log")), qPrintable(question));
            if (button == QMessageBox::No) {
                QCOMPARE(dialogs, 2);
                QCOMPARE(ReadFile(path), QByteArray("an older file"));
            } else {
                QCOMPARE(dialogs, 1);
                QCOMPARE(ReadFile(path), EncodeLogWindowFile(rows));
            }
        }
    }

    void loadingAMissingFileShowsTheIOErrorBox()
    {
        QTreeWidget *list = logList();
        AddRow(list, 0, QStringLiteral("[10:00:00] :  stays"));
        std::unique_ptr<ModalAnswer> box(CloseMessageBox());
        QVERIFY(!ZolvaneLog->LoadLog(list, m_dir.filePath(QStringLiteral("nothere.log"))));
        QCOMPARE(box->Seen, 1);
        QCOMPARE(box->Title, QStringLiteral("I/O Error"));
        QCOMPARE(box->Text, QStringLiteral("File \"nothere.log\" does not exist!"));
        QCOMPARE(box->Icon, QMessageBox::Critical);
        QCOMPARE(list->topLevelItemCount(), 1);

        // A name that exists but is no readable file is reported and changes nothing either.
        std::unique_ptr<ModalAnswer> folder(CloseMessageBox());
        QVERIFY(!ZolvaneLog->LoadLog(list, m_dir.path()));
        QCOMPARE(folder->Seen, 1);
        QVERIFY2(folder->Text.startsWith(QStringLiteral("Cannot open file \"%1\".").arg(m_dir.path())),
                 qPrintable(folder->Text));
        QCOMPARE(list->topLevelItemCount(), 1);
    }

    // A named pipe chosen as the log file is refused without being waited for; the list stays.
    // A hang fails the test after ten seconds instead of blocking the run.
    void loadingAPipeIsRefusedWithoutWaiting()
    {
        QTreeWidget *list = logList();
        list->clear();
        AddRow(list, 0, QStringLiteral("[10:00:00] :  stays"));
        const QString path = m_dir.filePath(QStringLiteral("pipe.log"));
        const std::string pipe = QFile::encodeName(path).toStdString();
        QVERIFY(TPipeGuard::MakePipe(pipe));
        std::unique_ptr<ModalAnswer> box(CloseMessageBox());
        {
            TPipeGuard guard({pipe}, std::chrono::seconds(10));
            QVERIFY(!ZolvaneLog->LoadLog(list, path));
            QVERIFY2(!guard.Blocked(), "the log window waited on a named pipe");
        }
        QCOMPARE(box->Seen, 1);
        QCOMPARE(box->Title, QStringLiteral("I/O Error"));
        QCOMPARE(box->Icon, QMessageBox::Critical);
        QVERIFY2(box->Text.contains(QStringLiteral("\"pipe.log\"")) && !box->Text.contains(QStringLiteral("exist")),
                 qPrintable(box->Text));
        QCOMPARE(list->topLevelItemCount(), 1);
        QFile::remove(path);
    }

    void truncatedFileLoadsItsCompleteRowsAndSaysSo()
    {
        const QList<TLogRow> rows{{0, "", {"[1] :  a"}}, {1, "", {"[2] :  b"}}, {3, "", {"[3] :  c"}}};
        const QByteArray whole = EncodeLogWindowFile(rows);
        const QString path = m_dir.filePath(QStringLiteral("cut.log"));
        WriteFile(path, whole.left(whole.size() - 3));

        std::unique_ptr<ModalAnswer> box(CloseMessageBox());
        QVERIFY(!ZolvaneLog->LoadLog(logList(), path));
        QCOMPARE(TZolvaneLog::RowsOfList(logList()), rows.mid(0, 2));
        QCOMPARE(box->Seen, 1);
        QVERIFY2(box->Text.contains(QStringLiteral("cut short")), qPrintable(box->Text));
        QVERIFY(box->Text.contains(QStringLiteral("2 of its 3 rows")));

        // A file too short to hold even the row count leaves the list alone.
        WriteFile(path, QByteArray(1, '\x05'));
        std::unique_ptr<ModalAnswer> second(CloseMessageBox());
        QVERIFY(!ZolvaneLog->LoadLog(logList(), path));
        QCOMPARE(second->Seen, 1);
        QCOMPARE(logList()->topLevelItemCount(), 2);
    }

    void oversizeListIsSavedInPartAndTheUserIsTold()
    {
        QTreeWidget *list = logList();
        QList<QTreeWidgetItem *> items;
        for (int i = 0; i < 65536; ++i) {
            auto *item = new QTreeWidgetItem;
            item->setData(0, TZolvaneLog::ImageIndexRole, 0);
            item->setText(1, QString::number(i));
            items.append(item);
        }
        items.first()->setText(1, QString(70000, QLatin1Char('z')));
        list->addTopLevelItems(items);
        const QString path = m_dir.filePath(QStringLiteral("big.log"));

        std::unique_ptr<ModalAnswer> box(CloseMessageBox());
        QVERIFY(ZolvaneLog->SaveLog(list, path));
        QCOMPARE(box->Seen, 1);
        QVERIFY2(box->Text.contains(QStringLiteral("1 rows after the first 65535")), qPrintable(box->Text));
        QVERIFY(box->Text.contains(QStringLiteral("1 texts longer than 65535 bytes")));

        const TLogReadResult read = DecodeLogWindowFile(ReadFile(path));
        QVERIFY(!read.CutShort);
        QCOMPARE(read.Rows.size(), 65535);
        QCOMPARE(read.Rows.first().SubItems.first(), QByteArray(65535, 'z'));
        QCOMPARE(read.Rows.last().SubItems.first(), QByteArray("65534"));
    }

    void unwritableSaveTargetIsReported()
    {
        std::unique_ptr<ModalAnswer> box(CloseMessageBox());
        const QString path = m_dir.filePath(QStringLiteral("no/such/folder/x.log"));
        QVERIFY(!ZolvaneLog->SaveLog(logList(), path));
        QCOMPARE(box->Seen, 1);
        QVERIFY(box->Text.startsWith(QStringLiteral("Cannot create file \"%1\".").arg(path)));
    }

    void closingTheLogWindowUnticksViewLogOnly()
    {
        auto *log1 = MainControl<QAction>("Log1");
        log1->setCheckable(true);
        log1->setChecked(true);
        int toggles = 0;
        auto connection = connect(log1, &QAction::toggled, this, [&] { ++toggles; });
        AddRow(logList(), 0, QStringLiteral("[11:00:00] :  survives"));

        ZolvaneLog->show();
        logAction("Close1")->trigger();
        QVERIFY(!ZolvaneLog->isVisible());
        QVERIFY(!log1->isChecked());
        QCOMPARE(toggles, 0);
        disconnect(connection);

        ZolvaneLog->show();
        QCOMPARE(logList()->topLevelItemCount(), 1);
        ZolvaneLog->close();
        QVERIFY(!log1->isChecked());
    }

    // ---- Aud-X notice ----------------------------------------------------------------------

    void audXOkFallsBackToStereoMp3()
    {
        auto *stereo = MainControl<QRadioButton>("rbMP3Ch2");
        auto *surround = MainControl<QRadioButton>("rbMP3Ch6");
        // The 5.1 choice stands only while the Aud-X encoder is installed.
        QTemporaryDir audx;
        QFile encoder(audx.filePath(QStringLiteral("audx.exe")));
        QVERIFY(encoder.open(QIODevice::WriteOnly));
        encoder.close();
        const QByteArray audxFolder = AudXFolder;
        AudXFolder = audx.path().toLocal8Bit();
        surround->setChecked(true);
        AudXFolder = audxFolder;
        QVERIFY(surround->isChecked());
        int handlerRuns = 0;
        auto connection = connect(stereo, &QRadioButton::toggled, this, [&](bool on) { handlerRuns += on; });
        AudXForm->show();
        AudXForm->findChild<QPushButton *>(QStringLiteral("btOk"))->click();
        disconnect(connection);
        QVERIFY(!AudXForm->isVisible());
        QVERIFY(stereo->isChecked());
        QCOMPARE(handlerRuns, 1);
    }

    // ---- tool paths ------------------------------------------------------------------------

    void programLookupIgnoresCase_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("expected"); // edKandrum, edKaparto, edSoX; "" = unchanged
        // The edits receive the names as they are on disk, so that the paths name real files.
        QTest::newRow("design names") << QStringList{"Kandrum.exe", "Kaparto.exe", "sox.exe"}
                                      << QStringList{"Kandrum.exe", "Kaparto.exe", "sox.exe"};
        QTest::newRow("any case") << QStringList{"KANDRUM.EXE", "kaparto.Exe", "SoX.exe"}
                                  << QStringList{"KANDRUM.EXE", "kaparto.Exe", "SoX.exe"};
        QTest::newRow("only the splitter") << QStringList{"kaparto.exe", "Kandrum.exe.bak", "sox"}
                                           << QStringList{"", "kaparto.exe", ""};
        QTest::newRow("a folder of that name is no program") << QStringList{"kandrum.exe/"}
                                                             << QStringList{"", "", ""};
    }

    void programLookupIgnoresCase()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        const QString folder = dir.path() + QLatin1Char('/');
        for (const QString &file : files) {
            if (file.endsWith(QLatin1Char('/')))
                QDir(folder).mkdir(file.chopped(1));
            else
                WriteFile(folder + file);
        }
        const char *edits[] = {"edKandrum", "edKaparto", "edSoX"};
        for (const char *edit : edits)
            exeControl<QLineEdit>(edit)->setText(QStringLiteral("/before/") + QLatin1String(edit));

        ExeBrowse->LookInFolder(folder);
        for (int i = 0; i < 3; ++i) {
            const QString want = expected[i].isEmpty() ? QStringLiteral("/before/") + QLatin1String(edits[i])
                                                       : folder + expected[i];
            QCOMPARE(exeControl<QLineEdit>(edits[i])->text(), want);
            if (!expected[i].isEmpty())
                QVERIFY(QFileInfo(want).isFile());
        }
    }

    void showingPutsTheProgramFoldersTranscoderBack()
    {
        const QString folder = ProgramFolder();
        const QString own = folder + QStringLiteral("kandrum.EXE");
        WriteFile(own);
        QLineEdit *kandrum = exeControl<QLineEdit>("edKandrum");
        QLineEdit *sox = exeControl<QLineEdit>("edSoX");
        kandrum->setText(QStringLiteral("/elsewhere/Kandrum.exe"));
        sox->setText(QStringLiteral("/usr/bin/sox.exe"));

        std::unique_ptr<ModalAnswer> ok(new ModalAnswer([this](QWidget *) {
            exeControl<QPushButton>("btOk")->click();
        }));
        QCOMPARE(ExeBrowse->exec(), int(QDialog::Accepted));
        QFile::remove(own);
        QCOMPARE(kandrum->text(), own);
        QCOMPARE(sox->text(), QStringLiteral("/usr/bin/sox.exe"));

        // OK stores the program's copy.
        const TIniFile ini(SettingsFilePath());
        QCOMPARE(ini.ReadString(QStringLiteral("Zolvane"), QStringLiteral("Kandrum_path"), QString()), own);
        QCOMPARE(ini.ReadString(QStringLiteral("Zolvane"), QStringLiteral("SoX_path"), QString()),
                 QStringLiteral("/usr/bin/sox.exe"));
    }

    void showingFindsTheTranscoderFolderBesideTheProgram()
    {
        const QString folder = ProgramFolder() + QStringLiteral("Kandrum/");
        QVERIFY(QDir().mkpath(folder));
        WriteFile(folder + QStringLiteral("Kandrum.exe"));
        exeControl<QLineEdit>("edKandrum")->clear();

        std::unique_ptr<ModalAnswer> ok(new ModalAnswer([this](QWidget *) {
            exeControl<QPushButton>("btOk")->click();
        }));
        ExeBrowse->exec();
        QDir(folder).removeRecursively();
        QCOMPARE(exeControl<QLineEdit>("edKandrum")->text(), folder + QStringLiteral("Kandrum.exe"));
    }

    void showingKeepsTheTranscoderTheUserChoseElsewhere()
    {
        // The transcoder folder beside the program holds its own transcoder and splitter.
        const QString bundled = ProgramFolder() + QStringLiteral("Kandrum/");
        QVERIFY(QDir().mkpath(bundled));
        WriteFile(bundled + QStringLiteral("Kandrum.exe"));
        WriteFile(bundled + QStringLiteral("kaparto.exe"));
        // The user's transcoder lies elsewhere; no splitter is chosen yet.
        QTemporaryDir mine;
        const QString chosen = mine.filePath(QStringLiteral("Kandrum.exe"));
        WriteFile(chosen);
        exeControl<QLineEdit>("edKaparto")->clear();
        exeControl<QLineEdit>("edKandrum")->clear();
        {
            std::unique_ptr<ModalAnswer> choose(ChooseFile(chosen));
            ExeBrowse->btKandrumClick();
            QCOMPARE(choose->Seen, 1);
        }
        QCOMPARE(exeControl<QLineEdit>("edKandrum")->text(), chosen);

        // Showing the dialog again and pressing OK keeps and stores the user's choice; the empty
        // splitter edit is filled from the transcoder folder, with the name found there.
        std::unique_ptr<ModalAnswer> ok(new ModalAnswer([this](QWidget *) {
            exeControl<QPushButton>("btOk")->click();
        }));
        ExeBrowse->exec();
        QDir(bundled).removeRecursively();
        QCOMPARE(exeControl<QLineEdit>("edKandrum")->text(), chosen);
        QCOMPARE(exeControl<QLineEdit>("edKaparto")->text(), bundled + QStringLiteral("kaparto.exe"));
        const TIniFile ini(SettingsFilePath());
        QCOMPARE(ini.ReadString(QStringLiteral("Zolvane"), QStringLiteral("Kandrum_path"), QString()), chosen);
        QCOMPARE(ini.ReadString(QStringLiteral("Zolvane"), QStringLiteral("Kaparto_path"), QString()),
                 bundled + QStringLiteral("kaparto.exe"));
    }

    void choosingATranscoderTakesTheToolsBesideIt()
    {
        QTemporaryDir dir;
        const QString folder = dir.path() + QLatin1Char('/');
        WriteFile(folder + QStringLiteral("Kandrum.exe"));
        WriteFile(folder + QStringLiteral("KAPARTO.exe"));
        WriteFile(folder + QStringLiteral("Sox.Exe"));
        exeControl<QLineEdit>("edKaparto")->setText(QStringLiteral("/old/Kaparto.exe"));
        exeControl<QLineEdit>("edSoX")->setText(QStringLiteral("/old/sox.exe"));

        {
            std::unique_ptr<ModalAnswer> cancel(CancelFileDialog());
            ExeBrowse->btKandrumClick();
            QCOMPARE(cancel->Seen, 1);
            QCOMPARE(exeControl<QLineEdit>("edKaparto")->text(), QStringLiteral("/old/Kaparto.exe"));
        }
        std::unique_ptr<ModalAnswer> choose(ChooseFile(folder + QStringLiteral("Kandrum.exe")));
        ExeBrowse->btKandrumClick();
        QCOMPARE(choose->Seen, 1);
        // The tools beside it are taken under the names they have there.
        QCOMPARE(exeControl<QLineEdit>("edKandrum")->text(), folder + QStringLiteral("Kandrum.exe"));
        QCOMPARE(exeControl<QLineEdit>("edKaparto")->text(), folder + QStringLiteral("KAPARTO.exe"));
        QCOMPARE(exeControl<QLineEdit>("edSoX")->text(), folder + QStringLiteral("Sox.Exe"));
    }

    void okStoresTheThreePathsAsTheyStand()
    {
        exeControl<QLineEdit>("edKandrum")->setText(QStringLiteral("/opt/t\u00e9st/Kandrum.exe"));
        exeControl<QLineEdit>("edKaparto")->clear();
        exeControl<QLineEdit>("edSoX")->setText(QStringLiteral("not a path"));
        ExeBrowse->btOkClick();
        const TIniFile ini(SettingsFilePath());
        const QString s = QStringLiteral("Zolvane");
        QCOMPARE(ini.ReadString(s, QStringLiteral("Kandrum_path"), QStringLiteral("?")),
                 QStringLiteral("/opt/t\u00e9st/Kandrum.exe"));
        QCOMPARE(ini.ReadString(s, QStringLiteral("Kaparto_path"), QStringLiteral("?")), QString());
        QVERIFY(ini.ValueExists(s, QStringLiteral("Kaparto_path")));
        QCOMPARE(ini.ReadString(s, QStringLiteral("SoX_path"), QStringLiteral("?")), QStringLiteral("not a path"));
    }

    void okThatCannotStoreReportsItAndStillCloses()
    {
        // A folder in the settings file's place makes every write fail.
        QFile::remove(SettingsFilePath());
        QVERIFY(QDir().mkdir(SettingsFilePath()));
        exeControl<QLineEdit>("edKandrum")->setText(QStringLiteral("/chosen/Kandrum.exe"));

        // OK is pressed once and the error box answered; a dialog still open after that is ended
        // from outside, which the result shows.
        std::unique_ptr<ModalAnswer> error;
        int presses = 0;
        std::unique_ptr<ModalAnswer> ok(new ModalAnswer([&](QWidget *) {
            if (presses++ == 0) {
                error.reset(CloseMessageBox());
                exeControl<QPushButton>("btOk")->click();
            } else {
                ExeBrowse->done(QDialog::Rejected);
            }
        }));
        const int result = ExeBrowse->exec();
        QDir().rmdir(SettingsFilePath());
        QCOMPARE(result, int(QDialog::Accepted));
        QVERIFY(!ExeBrowse->isVisible());
        QVERIFY(error);
        QCOMPARE(error->Icon, QMessageBox::Critical);
        QCOMPARE(error->Text, QStringLiteral("Unable to write to %1").arg(SettingsFilePath()));
        QCOMPARE(exeControl<QLineEdit>("edKandrum")->text(), QStringLiteral("/chosen/Kandrum.exe"));
    }

    // ---- command-line editor ---------------------------------------------------------------

    void leavingTheEditorUnchangedKeepsTheBuiltCommand()
    {
        ResetCommandLineEdited();
        auto *editor = KDCL->findChild<QTextEdit *>(QStringLiteral("RichEdit1"));
        // What the builder does: clear the editor, then add the command as one line.
        editor->clear();
        editor->append(QStringLiteral("\"Kandrum.exe\" -core( -input \"\" -output \"\" )"));

        QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
        QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
        QFocusEvent out(QEvent::FocusOut, Qt::MouseFocusReason);
        QApplication::sendEvent(editor, &in);
        QApplication::sendEvent(editor, &out);
        QVERIFY(!CommandLineEdited());

        // A change, even through the editor's context menu, marks the command as edited on leaving.
        QApplication::sendEvent(editor, &in);
        editor->moveCursor(QTextCursor::End);
        editor->insertPlainText(QStringLiteral(" -extra"));
        QApplication::sendEvent(editor, &popup);
        QVERIFY(!CommandLineEdited());
        QApplication::sendEvent(editor, &out);
        QVERIFY(CommandLineEdited());

        // Once set, the mark stays, whatever the builder puts into the editor afterwards.
        editor->clear();
        editor->append(QStringLiteral("rebuilt"));
        QApplication::sendEvent(editor, &in);
        QApplication::sendEvent(editor, &out);
        QVERIFY(CommandLineEdited());
    }

    void copyPutsTheWholeTextOnTheClipboard()
    {
        auto *editor = KDCL->findChild<QTextEdit *>(QStringLiteral("RichEdit1"));
        editor->setPlainText(QStringLiteral("\"/opt/Kandrum.exe\" -core( -input \"/m/caf\u00e9.ac3\" )\nsecond line"));
        QGuiApplication::clipboard()->clear();
        KDCL->findChild<QPushButton *>(QStringLiteral("btCopyEditKDCL"))->click();
        QCOMPARE(QGuiApplication::clipboard()->text(), editor->toPlainText());
    }

    void runStartsTheBatchWhateverTheStartButtonSays()
    {
        auto *start = MainForm->findChild<QAbstractButton *>(QStringLiteral("bbStartProcess"));
        QVERIFY(start);
        start->setEnabled(false);
        MainForm->RowIndex = 5;
        // With an empty job list the start refuses with a message of its own; that it ran at all
        // shows in the batch state it resets first.
        std::unique_ptr<ModalAnswer> box(CloseMessageBox());
        KDCL->findChild<QPushButton *>(QStringLiteral("btRunEditKDCL"))->click();
        QCOMPARE(MainForm->RowIndex, 0);
        QCOMPARE(box->Seen, 1);
        QVERIFY(!start->isEnabled());
    }

    void closingOrCancellingUnticksTheViewBox()
    {
        auto *view = MainControl<QCheckBox>("chOTAViewKDCL");
        int toggles = 0;
        auto connection = connect(view, &QCheckBox::toggled, this, [&] { ++toggles; });

        view->setChecked(true);
        KDCL->show();
        KDCL->close();
        QVERIFY(!KDCL->isVisible());
        QVERIFY(!view->isChecked());
        QCOMPARE(toggles, 2); // the box's own handler ran on the untick

        view->setChecked(true);
        KDCL->show();
        QTest::keyClick(KDCL, Qt::Key_Escape); // the Cancel button
        QVERIFY(!KDCL->isVisible());
        QVERIFY(!view->isChecked());
        disconnect(connection);
    }

    void editorPositionIsStoredAtExitAndRestoredWhenShown()
    {
        KDCL->show();
        KDCL->move(123, 45);
        const QPoint stored = KDCL->pos();
        KDCL->hide();
        DestroyZolvaneWindows(); // the editor writes its position
        const TIniFile ini(SettingsFilePath());
        QCOMPARE(ini.ReadInteger(QStringLiteral("Zolvane"), QStringLiteral("kdcmdl_left"), -1), stored.x());
        QCOMPARE(ini.ReadInteger(QStringLiteral("Zolvane"), QStringLiteral("kdcmdl_top"), -1), stored.y());

        CreateZolvaneWindows();
        KDCL->show();
        QCOMPARE(KDCL->pos(), stored);
        KDCL->hide();
    }

    // A run in which the editor is never opened keeps the position stored by an earlier run.
    void editorPositionSurvivesARunThatNeverOpensIt()
    {
        KDCL->show();
        KDCL->move(31, 57);
        const QPoint stored = KDCL->pos();
        KDCL->hide();
        DestroyZolvaneWindows();

        CreateZolvaneWindows(); // a run without the editor
        DestroyZolvaneWindows();
        const TIniFile ini(SettingsFilePath());
        QCOMPARE(ini.ReadInteger(QStringLiteral("Zolvane"), QStringLiteral("kdcmdl_left"), -1), stored.x());
        QCOMPARE(ini.ReadInteger(QStringLiteral("Zolvane"), QStringLiteral("kdcmdl_top"), -1), stored.y());

        CreateZolvaneWindows();
        auto *view = MainControl<QCheckBox>("chOTAViewKDCL");
        view->setChecked(true);
        QTRY_VERIFY(KDCL->isVisible());
        QCOMPARE(KDCL->pos(), stored);
        view->setChecked(false);
        KDCL->hide();
    }

    // A stored position that lies off the screen opens the editor on it, whatever the numbers.
    void editorStoredOffTheScreenOpensOnIt_data()
    {
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("top");
        QTest::newRow("far right, above") << 100000 << -70000;
        QTest::newRow("largest") << INT_MAX << INT_MAX;
        QTest::newRow("smallest") << INT_MIN << INT_MIN;
    }
    void editorStoredOffTheScreenOpensOnIt()
    {
        QFETCH(int, left);
        QFETCH(int, top);
        KDCL->hide();
        TIniFile ini(SettingsFilePath());
        ini.WriteInteger(QStringLiteral("Zolvane"), QStringLiteral("kdcmdl_left"), left);
        ini.WriteInteger(QStringLiteral("Zolvane"), QStringLiteral("kdcmdl_top"), top);
        KDCL->show();
        const QRect area = KDCL->screen()->availableGeometry();
        const QRect frame = KDCL->frameGeometry();
        KDCL->hide();
        QVERIFY2(area.contains(frame), qPrintable(QStringLiteral("%1,%2").arg(frame.x()).arg(frame.y())));
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
