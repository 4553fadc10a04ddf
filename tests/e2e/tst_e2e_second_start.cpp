// Every page, engine and output mode started twice in the real window: the second batch writes
// a new file and leaves the first one as it was.

#include "EndToEnd.h"

class TestEndToEndSecondStart : public EndToEndTest
{
    Q_OBJECT

private slots:
    // Every page, engine and output mode, started twice: the second batch writes a new file
    // (name_1), in the format of its name like the first, and leaves the first run's file as it
    // was.
    void aSecondStartOnEveryPageWritesANewFile_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < PageCases().size(); ++i)
            QTest::newRow(PageCases()[i].name) << i;
        for (int i = 0; i < OtherOutputCases().size(); ++i)
            QTest::newRow(OtherOutputCases()[i].name) << PageCases().size() + i;
    }

    void aSecondStartOnEveryPageWritesANewFile()
    {
        QFETCH(int, index);
        const PageCase &c = index < PageCases().size() ? PageCases()[index] : OtherOutputCases()[index - PageCases().size()];
        const QString input = freshInput(QLatin1String(c.input));
        c.setOptions(form(), AdvancedSet);
        addFiles({input});
        QCOMPARE(list()->topLevelItemCount(), 1);
        runBatch();
        verifyDoneReport();
        const QString first = outputOf(0);
        QVERIFY2(first.endsWith(QLatin1String(c.extension)), qPrintable(first));
        QFile f(first);
        QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(first + " | " + folderEntries().join(' ')));
        const QByteArray firstBytes = f.readAll();
        f.close();
        frame()->SpeedButtonQuit->click();

        runBatch();
        verifyDoneReport();
        // The first run took the input's name (numbered for AC-3 from AC-3), or name_1 where
        // the input has the output's extension; the second counts on.
        const QString ext = QLatin1String(c.extension);
        const int firstCount = QFileInfo(input).suffix() == ext.mid(1) && !first.endsWith(QLatin1String(" 1.ac3")) ? 1 : 0;
        const QString stem = first.chopped(ext.size() + (firstCount ? 2 : 0));
        QVERIFY2(QFileInfo(stem).fileName().startsWith(QFileInfo(input).completeBaseName()), qPrintable(first));
        const QString second = outputOf(0);
        QCOMPARE(second, stem + QLatin1Char('_') + QString::number(firstCount + 1) + ext);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), firstBytes);
        for (const QString &file : {first, second}) {
            const Probe p = FFprobe(file);
            QVERIFY2(p.ok && p.format.startsWith(QLatin1String(c.format)) && p.codec == QLatin1String(c.codec),
                     qPrintable(file + " " + p.format + " " + p.codec + " " + p.error));
        }
    }
};

QTEST_MAIN(TestEndToEndSecondStart)
#include "tst_e2e_second_start.moc"
