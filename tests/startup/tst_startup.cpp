#include "UMain.h"
#include "ZolvaneApp.h"

#include <QtTest>

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void mainWindowHasTheProgramTitle()
    {
        CreateZolvaneWindows();
        QVERIFY(MainForm != nullptr);
        QCOMPARE(MainForm->windowTitle(), QStringLiteral("Zolvane"));
        DestroyZolvaneWindows();
        QVERIFY(MainForm == nullptr);
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
