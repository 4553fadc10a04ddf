// The delay of each job, from its input's name or typed by the user, measured in the outputs
// the real batch writes.

#include "EndToEnd.h"

class TestEndToEndDelays : public EndToEndTest
{
    Q_OBJECT

private slots:
    // Each job takes the delay written in its own input name: a cut start and a delayed start.
    void eachJobTakesTheDelayOfItsName()
    {
        form()->PageControl1->setCurrentWidget(form()->TabSheet5);
        form()->rbVORBISOutputCh2->setChecked(true);
        form()->rbVORBISQuality->setChecked(true);
        const QString cut = freshInput(QStringLiteral("e2e/tone3s DELAY -750ms.ogg"));
        const QString later = m_jobs->filePath(QStringLiteral("tone3s DELAY 250ms.ogg"));
        QVERIFY(QFile::copy(cut, later));
        addFiles({cut, later});
        QCOMPARE(list()->topLevelItemCount(), 2);
        QVERIFY(form()->chOTADelay->isChecked());
        runBatch();
        verifyDoneReport();
        const double asked[] = {2.25, 3.25};
        for (int i = 0; i < 2; ++i) {
            const Probe p = FFprobe(outputOf(i));
            QVERIFY2(p.ok, qPrintable(p.error));
            QVERIFY2(qAbs(p.duration - asked[i]) <= 0.05,
                     qPrintable(QStringLiteral("job %1: %2 s, asked %3 s").arg(i).arg(p.duration).arg(asked[i])));
        }
    }

    // Three ten-second jobs, the first and the last with a delay in their names and the middle
    // one without, in a folder whose name ends in a number: each job runs with its own delay.
    void threeJobsEachWithItsOwnDelay()
    {
        form()->PageControl1->setCurrentWidget(form()->TabSheet6);
        form()->rbWAVOutput->setChecked(true);
        form()->rbWAVOutput2->setChecked(true);
        m_jobs.reset(new QTemporaryDir);
        QVERIFY(QDir(m_jobs->path()).mkdir(QStringLiteral("Season 1")));
        const QString folder = m_jobs->filePath(QStringLiteral("Season 1/"));
        const QStringList names = {QStringLiteral("a DELAY 250ms.wav"), QStringLiteral("b.wav"),
                                   QStringLiteral("c DELAY 500ms.wav")};
        QStringList inputs;
        for (const QString &name : names) {
            inputs << folder + name;
            QVERIFY(WriteToneWav(inputs.last(), 10));
        }
        addFiles(inputs);
        QCOMPARE(list()->topLevelItemCount(), 3);
        QVERIFY(form()->chOTADelay->isChecked());
        QCOMPARE(form()->edOTADelay->text(), QStringLiteral("250"));

        runBatch();

        verifyDoneReport();
        verifyWavLengths({10.25, 10.0, 10.5});
        // The option shows the delay of the selected row, the last job's, as it ran.
        QVERIFY(form()->chOTADelay->isChecked());
        QCOMPARE(form()->edOTADelay->text(), QStringLiteral("500"));
    }

    // The first name carries no delay, so adding the files leaves the Delay box unticked; the
    // later jobs still take the delays of their own names ("+" and an upper-case extension
    // included), and a name that only holds a number before its last word gives none. A box
    // the user unticks turns the delays off.
    void delaysOfLaterNamesHoldWhenTheFirstCarriesNone()
    {
        form()->PageControl1->setCurrentWidget(form()->TabSheet6);
        form()->rbWAVOutput->setChecked(true);
        form()->rbWAVOutput2->setChecked(true);
        m_jobs.reset(new QTemporaryDir);
        const QStringList names = {QStringLiteral("b.wav"), QStringLiteral("a DELAY 250ms.wav"),
                                   QStringLiteral("c DELAY +500ms.WAV"), QStringLiteral("Album 1999 A.wav")};
        QStringList inputs;
        for (const QString &name : names) {
            inputs << m_jobs->filePath(name);
            QVERIFY(WriteToneWav(inputs.last(), 2));
        }
        addFiles(inputs);
        QCOMPARE(list()->topLevelItemCount(), 4);
        QVERIFY(!form()->chOTADelay->isChecked());

        runBatch();
        verifyDoneReport();
        verifyWavLengths({2.0, 2.25, 2.5, 2.0});
        // The option is as it was at Start.
        QVERIFY(!form()->chOTADelay->isChecked());
        QCOMPARE(form()->edOTADelay->text(), QStringLiteral("0"));
        frame()->SpeedButtonQuit->click();

        // The user ticks the box and unticks it again: no job takes a delay.
        QTest::mouseClick(form()->chOTADelay, Qt::LeftButton, {}, QPoint(4, form()->chOTADelay->height() / 2));
        QTest::mouseClick(form()->chOTADelay, Qt::LeftButton, {}, QPoint(4, form()->chOTADelay->height() / 2));
        QVERIFY(!form()->chOTADelay->isChecked());
        runBatch();
        verifyDoneReport();
        verifyWavLengths({2.0, 2.0, 2.0, 2.0});
    }

    // After Clear List nobody has chosen to turn the delays off: a folder added with Add
    // Directory, which reads no name into the Delay box, runs each job with its own name's delay.
    void aFolderRunsWithTheDelaysOfItsNames()
    {
        form()->PageControl1->setCurrentWidget(form()->TabSheet6);
        form()->rbWAVOutput->setChecked(true);
        form()->rbWAVOutput2->setChecked(true);
        form()->chOTADelay->setChecked(true);
        form()->ClearList2Click();
        QVERIFY(!form()->chOTADelay->isChecked());
        m_jobs.reset(new QTemporaryDir);
        QVERIFY(WriteToneWav(m_jobs->filePath(QStringLiteral("a DELAY 250ms.wav")), 2));
        QVERIFY(WriteToneWav(m_jobs->filePath(QStringLiteral("b.wav")), 2));
        const QString folder = m_jobs->path();
        TMainForm::OpenDirDialogHook = [folder](QWidget *) { return folder; };
        form()->AddDir->trigger();
        TMainForm::OpenDirDialogHook = nullptr;
        QCOMPARE(list()->topLevelItemCount(), 2);
        runBatch();
        verifyDoneReport();
        verifyWavLengths({2.25, 2.0});
    }

    // A delay the user typed holds for the jobs whose names carry none; a name's own delay
    // still holds for its job.
    void aTypedDelayHoldsForNamesWithoutOne()
    {
        form()->PageControl1->setCurrentWidget(form()->TabSheet6);
        form()->rbWAVOutput->setChecked(true);
        form()->rbWAVOutput2->setChecked(true);
        m_jobs.reset(new QTemporaryDir);
        const QString plain = m_jobs->filePath(QStringLiteral("plain.wav"));
        const QString named = m_jobs->filePath(QStringLiteral("named DELAY 500ms.wav"));
        QVERIFY(WriteToneWav(plain, 2));
        QVERIFY(WriteToneWav(named, 2));
        addFiles({plain, named});
        QVERIFY(!form()->chOTADelay->isChecked());
        QTest::mouseClick(form()->chOTADelay, Qt::LeftButton, {}, QPoint(4, form()->chOTADelay->height() / 2));
        QVERIFY(form()->chOTADelay->isChecked());
        form()->edOTADelay->selectAll();
        QTest::keyClicks(form()->edOTADelay, QStringLiteral("250"));
        QCOMPARE(form()->edOTADelay->text(), QStringLiteral("250"));

        runBatch();

        verifyDoneReport();
        verifyWavLengths({2.25, 2.5});
        // The selected row, the last job's, shows its name's own delay; the first the typed one.
        QVERIFY(form()->chOTADelay->isChecked());
        QCOMPARE(form()->edOTADelay->text(), QStringLiteral("500"));
        list()->setCurrentItem(row(0));
        QCOMPARE(form()->edOTADelay->text(), QStringLiteral("250"));
    }
};

QTEST_MAIN(TestEndToEndDelays)
#include "tst_e2e_delays.moc"
