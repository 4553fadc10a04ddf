// The main window's creation on a small, dense screen: the window is fitted into the screen and
// the density is recorded. The screen is the offscreen platform's, configured before the
// application starts.
#include "UMain.h"
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
    const QString config = folder.filePath(QStringLiteral("screen.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write(QStringLiteral("{\"screens\": [{\"name\": \"small\", \"x\": 0, \"y\": 0, \"width\": %1, "
                              "\"height\": %2, \"logicalDpi\": %3, \"logicalBaseDpi\": 96, \"dpr\": 1}]}")
                   .arg(kScreenWidth)
                   .arg(kScreenHeight)
                   .arg(kScreenDpi)
                   .toUtf8());
    file.close();
    // Pixels as the screen counts them: without the toolkit's own scaling the density of 120 is
    // what the program reads.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    qputenv("QT_QPA_PLATFORM", (QStringLiteral("offscreen:configfile=") + config).toLocal8Bit());
    QApplication app(argc, argv);
    TestScreen test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_screen.moc"
