// Every window in every language, shown offscreen: no caption is wider than the control that
// shows it, and the job list's description column takes the width the list has left.
// With ZOLVANE_SCREENSHOT_DIR set, a picture of every window and page in every language is kept
// there.
#include "CaptionCheck.h"
#include "JobRow.h"
#include "LanguageKeys.h"
#include "UMain.h"
#include "WindowSetUp.h"
#include "ZolvaneApp.h"

#include <QtTest>
#include <QtWidgets>

using namespace CaptionCheck;

namespace {

void keepPicture(QWidget *window, const QString &language, const QString &view)
{
    static const QString folder = qEnvironmentVariable("ZOLVANE_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    window->grab().save(QStringLiteral("%1/%2-%3-%4.png")
                            .arg(folder, language, window->metaObject()->className(), view));
}

// Frames of the main window that share a place on a page: one of each group is shown at a
// time, by the engine or the channel choice.
const QList<QStringList> &FrameGroups()
{
    static const QList<QStringList> groups{
        {"TGPRef1", "FaacFrame1", "NDFrame1", "CTFrame1", "NeroFrame1"},
        {"AC3EncFrame1", "AftenFrame1"},
        {"LameFrame1", "AuXFrame1"}};
    return groups;
}

} // namespace

class TestCaptions : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        DropPlatformNotesFromTheLog();
        QVERIFY(WindowSetUp::CreateWindowsWithTheBuildsTranscoder());
        MainForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(MainForm));
        // Every page of the main window is looked at, the ones hidden in the layout too.
        for (QAction *item : MainForm->findChild<QMenu *>(QStringLiteral("tab1"))->actions())
            if (!item->isChecked())
                item->trigger();
        for (const QString &name : ZolvaneWindowCreationOrder()) {
            QWidget *window = windowNamed(name);
            QVERIFY2(window, qPrintable(name));
            if (window != MainForm)
                window->show();
        }
    }
    void cleanupTestCase()
    {
        WindowSetUp::DestroyWindowsAndSettings();
    }

    // Each language is applied through its own item of the Language menu; then every window,
    // every page of the main window and every frame of a page is looked at.
    void captionsFitTheirControls_data()
    {
        WindowSetUp::AddLanguageItemRows();
    }
    void captionsFitTheirControls()
    {
        QFETCH(QString, item);
        const QString language = QString::fromUtf8(QTest::currentDataTag());
        auto *choice = MainForm->findChild<QAction *>(item);
        QVERIFY(choice);
        choice->trigger();
        QVERIFY(choice->isChecked());

        QStringList faults;
        const auto note = [&](QWidget *window, const QString &view) {
            for (const Cut &cut : cutsIn(window))
                faults << QStringLiteral("%1 [%2] %3 \"%4\": needs %5 px, has %6")
                              .arg(window->metaObject()->className(), view, cut.control, cut.text)
                              .arg(cut.need)
                              .arg(cut.have);
            keepPicture(window, language, view);
        };

        for (const QString &name : ZolvaneWindowCreationOrder()) {
            QWidget *window = windowNamed(name);
            if (window != MainForm)
                note(window, QStringLiteral("window"));
        }

        QTabWidget *pages = MainForm->PageControl1;
        for (int i = 0; i < pages->count(); ++i) {
            pages->setCurrentIndex(i);
            QWidget *page = pages->widget(i);
            note(MainForm, page->objectName());
            for (const QStringList &group : FrameGroups()) {
                QList<QWidget *> frames;
                for (const QString &frameName : group)
                    if (auto *frame = page->findChild<QWidget *>(frameName))
                        frames << frame;
                if (frames.isEmpty())
                    continue;
                QList<bool> wasShown;
                for (QWidget *frame : frames)
                    wasShown << frame->isVisibleTo(page);
                for (QWidget *shown : frames) {
                    for (QWidget *frame : frames)
                        frame->setVisible(frame == shown);
                    note(MainForm, shown->objectName());
                }
                for (int f = 0; f < frames.size(); ++f)
                    frames[f]->setVisible(wasShown[f]);
            }
        }
        // The progress display lies over the pages while a batch runs.
        MainForm->ProgressFrame1->show();
        note(MainForm, QStringLiteral("ProgressFrame1"));
        MainForm->ProgressFrame1->hide();
        // The window made as small as it lets itself be: every page still shows its captions
        // whole.
        const QSize laidOut = MainForm->size();
        MainForm->resize(1, 1);
        for (int i = 0; i < pages->count(); ++i) {
            pages->setCurrentIndex(i);
            note(MainForm, QStringLiteral("smallest-") + pages->widget(i)->objectName());
        }
        MainForm->resize(laidOut);

        for (const QString &fault : faults)
            qInfo("%s: %s", qPrintable(language), qPrintable(fault));
        QVERIFY2(faults.isEmpty(), qPrintable(QStringLiteral("captions cut in %1 (listed above)").arg(language)));
    }

    // The description column reaches the list's right edge, however wide the window is.
    void descriptionTakesTheFreeWidth_data()
    {
        QTest::addColumn<int>("windowWidth");
        QTest::newRow("as laid out") << 900;
        QTest::newRow("1100 wide") << 1100;
        QTest::newRow("1400 wide") << 1400;
    }
    void descriptionTakesTheFreeWidth()
    {
        QFETCH(int, windowWidth);
        MainForm->Eng->trigger();
        QTreeWidget *list = MainForm->InputListView;
        auto *row = new QTreeWidgetItem(list);
        row->setCheckState(jcCheck, Qt::Checked);
        row->setText(jcFilename, QStringLiteral("concert.wav"));
        const QString description = QStringLiteral("WAV 48000 Hz 24 bit 6 channels 01:02:03 (a live "
                                                   "recording of the whole evening, with the encores)");
        row->setText(jcDescription, description);
        MainForm->resize(windowWidth, MainForm->height());
        settle();
        const int right = list->columnViewportPosition(jcDescription) + list->columnWidth(jcDescription);
        const int needed = list->fontMetrics().horizontalAdvance(description);
        const int freeWidth = list->viewport()->width();
        delete row;
        QCOMPARE(right, freeWidth);
        if (freeWidth - list->columnViewportPosition(jcDescription) > needed + 20)
            QVERIFY(list->columnWidth(jcDescription) > needed);
        QVERIFY(list->columnWidth(jcDescription) >= 311);
        MainForm->resize(900, MainForm->height());
    }
};

QTEST_MAIN(TestCaptions)
#include "tst_captions.moc"
