// The main window's creation on a small, dense screen: the window is fitted into the screen and
// the density is recorded. The screen is the offscreen platform's, configured before the
// application starts.
#include "UMain.h"
#include "WindowSetUp.h"
#include "ZolvaneApp.h"

#include <QtTest>
#include <QtWidgets>

namespace {

// Width, height and density of the one screen of this test.
constexpr int kScreenWidth = 860;
constexpr int kScreenHeight = 2000;
constexpr int kScreenDpi = 120;

} // namespace

class TestScreen : public QObject
{
    Q_OBJECT
private slots:
    void windowFittedAndDensityRecorded()
    {
        QScreen *screen = QGuiApplication::primaryScreen();
        QCOMPARE(screen->geometry().size(), QSize(kScreenWidth, kScreenHeight));
        InitZolvaneProcess();
        CreateZolvaneWindows();
        // The layout is 900 x 680: only the width exceeds this screen and is cut to it.
        const QSize size = MainForm->size();
        const int density = MainForm->PixelsPerInch;
        DestroyZolvaneWindows();
        QCOMPARE(size, QSize(kScreenWidth, 680));
        QCOMPARE(density, kScreenDpi);
    }
};

int main(int argc, char **argv)
{
    QTemporaryDir folder;
    // Pixels as the screen counts them: without the toolkit's own scaling the density of 120 is
    // what the program reads.
    if (!WindowSetUp::UseOffscreenScreen(folder, "small", kScreenWidth, kScreenHeight, kScreenDpi))
        return 1;
    QApplication app(argc, argv);
    TestScreen test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_screen.moc"
