// The main window on a low screen of 1024 x 600 pixels: the window is fitted into the screen at
// creation, "Start Processing" stays in view in every language with no caption cut at the side,
// and what the pages hold lower down is reached by scrolling them. The screen is the offscreen
// platform's, configured before the application starts.
#include "CaptionCheck.h"
#include "LanguageKeys.h"
#include "UMain.h"
#include "WindowSetUp.h"
#include "ZolvaneApp.h"

#include <QtTest>
#include <QtWidgets>

namespace {

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 600;

// True when the whole of the control is on the screen and not hidden by its parents.
bool wholeInView(QWidget *control)
{
    const QRect onScreen(control->mapToGlobal(QPoint(0, 0)), control->size());
    return control->isVisible() && control->visibleRegion().boundingRect() == control->rect()
        && control->screen()->geometry().contains(onScreen);
}

} // namespace

class TestSmallScreen : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        CaptionCheck::DropPlatformNotesFromTheLog();
        QCOMPARE(QGuiApplication::primaryScreen()->geometry().size(), QSize(kScreenWidth, kScreenHeight));
        QVERIFY(WindowSetUp::CreateWindowsWithTheBuildsTranscoder());
    }
    void cleanupTestCase()
    {
        WindowSetUp::DestroyWindowsAndSettings();
    }

    // The layout is 900 x 680: its height is cut to the screen's at creation, and the layout
    // lets it be.
    void windowFittedAtCreation()
    {
        QCOMPARE(MainForm->height(), kScreenHeight);
        QCOMPARE(MainForm->width(), 900);
        MainForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(MainForm));
        // Shown, the window with its frame keeps to the screen.
        QVERIFY(MainForm->screen()->availableGeometry().contains(MainForm->frameGeometry()));
        QVERIFY(MainForm->height() >= kScreenHeight - 10);
        QVERIFY(wholeInView(MainForm->bbStartProcess));
        QVERIFY(wholeInView(MainForm->btnAdvSettings));
        // With ZOLVANE_SCREENSHOT_DIR set, the picture of the window is kept there.
        if (const QString folder = qEnvironmentVariable("ZOLVANE_SCREENSHOT_DIR"); !folder.isEmpty()) {
            QDir().mkpath(folder);
            MainForm->grab().save(folder + QStringLiteral("/main-1024x600.png"));
        }
    }

    // Every language, with every page's tab shown: the window keeps to the screen, the two
    // buttons stay in view, and the lower window leaves every caption its whole width.
    void startProcessingInViewInEveryLanguage_data()
    {
        WindowSetUp::AddLanguageItemRows();
    }
    void startProcessingInViewInEveryLanguage()
    {
        QFETCH(QString, item);
        for (QAction *tab : MainForm->findChild<QMenu *>(QStringLiteral("tab1"))->actions())
            if (!tab->isChecked())
                tab->trigger();
        MainForm->findChild<QAction *>(item)->trigger();
        QTabWidget *pages = MainForm->PageControl1;
        for (int i = 0; i < pages->count(); ++i) {
            pages->setCurrentIndex(i);
            for (int round = 0; round < 3; ++round)
                QCoreApplication::processEvents();
            const QString page = pages->widget(i)->objectName();
            QVERIFY2(MainForm->minimumSizeHint().height() <= kScreenHeight, qPrintable(page));
            QVERIFY2(MainForm->height() <= kScreenHeight, qPrintable(page));
            QVERIFY2(MainForm->width() <= kScreenWidth, qPrintable(page));
            QVERIFY2(wholeInView(MainForm->bbStartProcess), qPrintable(page));
            QVERIFY2(wholeInView(MainForm->btnAdvSettings), qPrintable(page));
            const QList<CaptionCheck::Cut> cuts = CaptionCheck::cutsIn(MainForm);
            for (const CaptionCheck::Cut &cut : cuts)
                qInfo("%s: \"%s\" needs %d px, has %d", qPrintable(cut.control), qPrintable(cut.text), cut.need,
                      cut.have);
            QVERIFY2(cuts.isEmpty(), qPrintable(page + QStringLiteral(": captions cut (listed above)")));
        }
        MainForm->Eng->trigger();
    }

    // While a batch runs, its progress display lies over the pages; its stop button is in view
    // without scrolling.
    void stopButtonInViewWhileABatchRuns()
    {
        MainForm->PageControl1->setCurrentWidget(MainForm->TabSheet1);
        MainForm->ProgressFrame1->show();
        for (int round = 0; round < 3; ++round)
            QCoreApplication::processEvents();
        const bool stopInView = wholeInView(MainForm->ProgressFrame1->SpeedButtonStop);
        const bool totalInView = wholeInView(MainForm->ProgressFrame1->ProgressBar2);
        MainForm->ProgressFrame1->hide();
        QVERIFY(stopInView);
        QVERIFY(totalInView);
    }

    // What lies below the screen's edge is reached by scrolling: the lowest control of each page
    // and of the option panel comes fully into view.
    void lowestControlsReachedByScrolling()
    {
        const auto lowest = [](QWidget *panel) {
            QWidget *found = nullptr;
            int bottom = -1;
            for (QWidget *w : panel->findChildren<QWidget *>()) {
                if (!w->isVisible() || !w->findChildren<QWidget *>().isEmpty())
                    continue;
                const int y = w->mapTo(panel, QPoint(0, w->height())).y();
                if (y > bottom) {
                    bottom = y;
                    found = w;
                }
            }
            return found;
        };
        auto *options = MainForm->findChild<QScrollArea *>(QStringLiteral("OptionsScroller"));
        auto *pagesArea = MainForm->findChild<QScrollArea *>(QStringLiteral("PageScroller"));
        QVERIFY(options && pagesArea);
        QTabWidget *pages = MainForm->PageControl1;
        pages->setCurrentWidget(MainForm->TabSheet1);
        QCoreApplication::processEvents();
        // The window is too low for the AAC page and the option panel: both can scroll.
        QVERIFY(pagesArea->verticalScrollBar()->maximum() > 0);
        QVERIFY(options->verticalScrollBar()->maximum() > 0);
        QWidget *lastOption = lowest(options->widget());
        QVERIFY(lastOption);
        QVERIFY(!wholeInView(lastOption));
        options->ensureWidgetVisible(lastOption, 0, 0);
        QCoreApplication::processEvents();
        QVERIFY2(wholeInView(lastOption), qPrintable(lastOption->objectName()));
        for (int i = 0; i < pages->count(); ++i) {
            pages->setCurrentIndex(i);
            QCoreApplication::processEvents();
            QWidget *last = lowest(pages->currentWidget());
            QVERIFY(last);
            pagesArea->ensureWidgetVisible(last, 0, 0);
            QCoreApplication::processEvents();
            QVERIFY2(wholeInView(last), qPrintable(pages->currentWidget()->objectName() + "/" + last->objectName()));
        }
    }
};

int main(int argc, char **argv)
{
    QTemporaryDir folder;
    if (!WindowSetUp::UseOffscreenScreen(folder, "low", kScreenWidth, kScreenHeight))
        return 1;
    QApplication app(argc, argv);
    TestSmallScreen test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_smallscreen.moc"
