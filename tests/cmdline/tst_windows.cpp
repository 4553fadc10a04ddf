// The builder against the program's own windows: every control it reads is there.

#include "JobRow.h"
#include "KDCmdlGather.h"
#include "UMainGlobals.h"
#include "ZolvaneApp.h"

#include <QAbstractButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtTest>

namespace {

QWidget *mainWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qstrcmp(w->metaObject()->className(), "TMainForm") == 0)
            return w;
    return nullptr;
}

} // namespace

class TestCmdlineWindows : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { CreateZolvaneWindows(); }
    void cleanupTestCase() { DestroyZolvaneWindows(); }

    // The controls as a fresh window holds them give each page's own blocks. The gain mode is
    // unticked first, so that the command does not depend on which page the window opened on.
    void freshControlsGiveEachPagesCommand_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("afterDecoder");
        QTest::newRow("AAC") << "TabSheet1" << " -vornak( -dllname WA_aac.dll  -cbr 48 -mode 4 )";
        QTest::newRow("AC3") << "TabSheet2" << " -kdn( -exe aften.exe -b 384 )";
        QTest::newRow("MP2") << "TabSheet3" << " -toolame( -m j -b 224 )";
        QTest::newRow("MP3") << "TabSheet4" << " -lame( -v --vbr-old -V 2 -b 32 )";
        QTest::newRow("VORBIS") << "TabSheet5" << " -ogg( -q 0.200 )";
        QTest::newRow("SPEEX") << "TabSheet7" << " -kdn( -exe speexenc.exe --quality 8 )";
        QTest::newRow("Lossless") << "LosslessTab" << " -kdn( -exe flake.exe -level 5 )";
    }

    void freshControlsGiveEachPagesCommand()
    {
        QFETCH(QString, page);
        QFETCH(QString, afterDecoder);
        QWidget *main = mainWindow();
        QVERIFY(main);
        auto *pages = main->findChild<QTabWidget *>(QStringLiteral("PageControl1"));
        auto *list = main->findChild<QTreeWidget *>(QStringLiteral("InputListView"));
        auto *gainMode = main->findChild<QAbstractButton *>(QStringLiteral("chOTAMode"));
        QVERIFY(pages && list && gainMode);
        gainMode->setChecked(false);
        pages->setCurrentWidget(pages->findChild<QWidget *>(page));
        auto *row = new QTreeWidgetItem(list);
        row->setText(jcInputPath, QStringLiteral("/in/"));
        row->setText(jcFilename, QStringLiteral("a.ac3"));
        row->setText(jcOutputPath, QStringLiteral("/out/"));
        row->setText(jcOutputFilename, QStringLiteral("a.x"));
        row->setSelected(true);
        KDCmdlRun();
        const QString cmd = row->text(jcCmd);
        const QString program = QString::fromLocal8Bit(CommandBase);
        delete row;
        gainMode->setChecked(true);
        QCOMPARE(cmd, program
                          + QStringLiteral(R"( -core( -input "/in/a.ac3" -output "/out/a.x"  -logfile "/out/a.log" ))"
                                           R"( -azid( -s stereo -c normal -L -3db ))")
                          + afterDecoder);
    }

    void everyControlReadIsFound_data()
    {
        QTest::addColumn<QString>("page");
        for (const char *page : {"TabSheet1", "TabSheet2", "TabSheet3", "TabSheet4", "TabSheet5",
                                 "TabSheet6", "TabSheet7", "LosslessTab"})
            QTest::newRow(page) << QString::fromLatin1(page);
    }

    void everyControlReadIsFound()
    {
        QFETCH(QString, page);
        QWidget *main = mainWindow();
        QVERIFY(main);
        auto *pages = main->findChild<QTabWidget *>(QStringLiteral("PageControl1"));
        QVERIFY(pages);
        auto *sheet = pages->findChild<QWidget *>(page);
        QVERIFY(sheet);
        pages->setCurrentWidget(sheet);

        // With the list empty and with a selected row.
        KDCmdlRun();
        QCOMPARE(KDCmdlMissingControls().join(QLatin1Char(' ')), QString());
        auto *list = main->findChild<QTreeWidget *>(QStringLiteral("InputListView"));
        QVERIFY(list);
        auto *row = new QTreeWidgetItem(list);
        row->setText(jcInputPath, QStringLiteral("/in/"));
        row->setText(jcFilename, QStringLiteral("a.ac3"));
        row->setText(jcOutputPath, QStringLiteral("/in/"));
        row->setText(jcOutputFilename, QStringLiteral("a.out"));
        row->setSelected(true);
        KDCmdlRun();
        QCOMPARE(KDCmdlMissingControls().join(QLatin1Char(' ')), QString());
        QVERIFY(row->text(jcCmd).contains(QLatin1String("-core( -input \"/in/a.ac3\"")));
        delete row;
    }

    void anOptionChangeRebuildsTheSelectedRow()
    {
        QWidget *main = mainWindow();
        QVERIFY(main);
        auto *list = main->findChild<QTreeWidget *>(QStringLiteral("InputListView"));
        auto *boost = main->findChild<QAbstractButton *>(QStringLiteral("chBoost"));
        QVERIFY(list && boost);
        auto *row = new QTreeWidgetItem(list);
        row->setText(jcInputPath, QStringLiteral("/in/"));
        row->setText(jcFilename, QStringLiteral("a.ac3"));
        row->setText(jcOutputPath, QStringLiteral("/in/"));
        row->setText(jcOutputFilename, QStringLiteral("a.mp3"));
        row->setSelected(true);
        boost->setChecked(false);
        KDCmdlRun();
        QVERIFY(!row->text(jcCmd).contains(QLatin1String("-boost(")));
        // The box's own handler rebuilds; nobody calls the builder here.
        boost->setChecked(true);
        QVERIFY2(row->text(jcCmd).contains(QLatin1String(" -boost( /b")), qPrintable(row->text(jcCmd)));
        delete row;
    }
};

QTEST_MAIN(TestCmdlineWindows)
#include "tst_windows.moc"
