// The names chosen for outputs in the save dialog, and the names the rows take when the page,
// the engine or a preset changes: the batch writes where the row says.

#include "EndToEnd.h"

class TestEndToEndNames : public EndToEndTest
{
    Q_OBJECT

private slots:
    // A name chosen in the save dialog that the active page does not write keeps its folder and
    // base name and takes the page's extension; an existing file chosen there (the dialog had
    // its overwrite confirmed) is written over by the next batch only.
    void theRunnerKeepsTheChosenNameInThePagesFormat()
    {
        Mp3Cbr(form(), 128);
        const QString input = freshInput(QStringLiteral("e2e/tone3s_stereo.ogg"));
        addFiles({input});
        QTemporaryDir elsewhere;
        const QString answer = elsewhere.filePath(QStringLiteral("my take.ogg"));
        saveRowAs(0, answer);
        runBatch();
        verifyDoneReport();
        const QString mp3 = elsewhere.filePath(QStringLiteral("my take.mp3"));
        QCOMPARE(outputOf(0), mp3);
        QVERIFY(!QFileInfo::exists(answer));
        QVERIFY2(ReadWithOwnReader(Reader::MPEG, mp3).valid, qPrintable(mp3));
        if (!frame()->isHidden())
            frame()->SpeedButtonQuit->click();

        // The existing file, chosen again and confirmed, is written over once.
        const QString older = elsewhere.filePath(QStringLiteral("older.mp3"));
        {
            QFile f(older);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("older file");
        }
        saveRowAs(0, older);
        runBatch();
        verifyDoneReport();
        QCOMPARE(outputOf(0), older);
        QVERIFY2(ReadWithOwnReader(Reader::MPEG, older).valid, qPrintable(older));
        const qint64 overwritten = QFileInfo(older).size();
        runBatch();
        verifyDoneReport();
        QCOMPARE(outputOf(0), elsewhere.filePath(QStringLiteral("older_1.mp3")));
        QCOMPARE(QFileInfo(older).size(), overwritten);
        QVERIFY(ReadWithOwnReader(Reader::MPEG, outputOf(0)).valid);
    }

    // Two rows saved over the same existing file, each overwrite confirmed: the first job writes
    // over that file, the second writes a new one rather than over the first job's output.
    void twoRowsSavedOverOneFileKeepBothOutputs()
    {
        Mp3Cbr(form(), 128);
        m_jobs.reset(new QTemporaryDir);
        const QString a = m_jobs->filePath(QStringLiteral("a.wav"));
        const QString b = m_jobs->filePath(QStringLiteral("b.wav"));
        QVERIFY(WriteToneWav(a, 2));
        QVERIFY(WriteToneWav(b, 3));
        addFiles({a, b});
        QCOMPARE(list()->topLevelItemCount(), 2);
        const QString older = m_jobs->filePath(QStringLiteral("older.mp3"));
        {
            QFile f(older);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("older file");
        }
        for (int i = 0; i < 2; ++i) {
            saveRowAs(i, older);
            QCOMPARE(outputOf(i), older);
        }
        runBatch();
        verifyDoneReport();
        QCOMPARE(outputOf(0), older);
        QCOMPARE(outputOf(1), m_jobs->filePath(QStringLiteral("older_1.mp3")));
        const double seconds[] = {2.0, 3.0};
        for (int i = 0; i < 2; ++i) {
            const Reading r = ReadWithOwnReader(Reader::MPEG, outputOf(i));
            QVERIFY2(r.valid && qAbs(r.duration - seconds[i]) <= 0.1,
                     qPrintable(QStringLiteral("%1: %2 s").arg(outputOf(i)).arg(r.duration)));
        }
    }

    // On the AAC page the container follows the engine: FAAC writes raw AAC unless its MP4 box is
    // ticked, the other engines follow the name. A name typed in the save dialog that does not
    // fit what the engine writes keeps its folder and base name and takes the engine's extension.
    void theAacNameFollowsTheContainerWritten_data()
    {
        QTest::addColumn<int>("engine");
        QTest::addColumn<bool>("mp4Box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("format");
        QTest::newRow("raw FAAC, .m4a typed") << 1 << false << "take.m4a" << "take.aac" << "aac";
        QTest::newRow("raw FAAC, .mp4 typed") << 1 << false << "take.mp4" << "take.aac" << "aac";
        QTest::newRow("FAAC in MP4, .aac typed") << 1 << true << "take.aac" << "take.m4a" << "mov,mp4";
        QTest::newRow("FAAC in MP4, .mp4 typed") << 1 << true << "take.mp4" << "take.mp4" << "mov,mp4";
        QTest::newRow("Nero, .aac typed") << 2 << false << "take.aac" << "take.aac" << "aac";
        QTest::newRow("Nero, .mp4 typed") << 2 << false << "take.mp4" << "take.mp4" << "mov,mp4";
    }

    void theAacNameFollowsTheContainerWritten()
    {
        QFETCH(int, engine);
        QFETCH(bool, mp4Box);
        QFETCH(QString, typed);
        QFETCH(QString, written);
        QFETCH(QString, format);
        form()->PageControl1->setCurrentWidget(form()->TabSheet1);
        form()->rbAACOutputCh2->setChecked(true);
        form()->cbAACEncEngine->setCurrentIndex(engine);
        emit form()->cbAACEncEngine->activated(engine);
        Tick(form()->FaacFrame1, "chAACtoMP4", mp4Box);
        addFiles({freshInput(QStringLiteral("e2e/tone3s_stereo.ogg"))});
        const QString answer = m_jobs->filePath(typed);
        saveRowAs(0, answer);
        runBatch();
        verifyDoneReport();
        QCOMPARE(outputOf(0), m_jobs->filePath(written));
        const Probe p = FFprobe(outputOf(0));
        QVERIFY2(p.ok && p.format.startsWith(format) && p.codec == QLatin1String("aac"),
                 qPrintable(outputOf(0) + " " + p.format + " " + p.error));
        QVERIFY(!QFileInfo::exists(answer) || answer == outputOf(0));
    }

    // A name chosen in the save dialog stays the row's when the page changes: the tab, a preset
    // or the engine give it their extension, keep its folder and base name, and the batch writes
    // there. A row that was not saved takes its input's name in its own folder.
    void aSavedNameSurvivesThePageSwitch()
    {
        Mp3Cbr(form(), 128);
        const QString first = freshInput(QStringLiteral("e2e/tone3s_stereo.ogg"), {QStringLiteral("tools/stereo8k.wav")});
        addFiles({first, m_jobs->filePath(QStringLiteral("stereo8k.wav"))});
        QCOMPARE(list()->topLevelItemCount(), 2);
        QTemporaryDir elsewhere;
        const QString chosen = elsewhere.filePath(QStringLiteral("my take.mp3"));
        saveRowAs(0, chosen);
        QCOMPARE(outputOf(0), chosen);

        QTabBar *tabs = form()->PageControl1->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(form()->PageControl1->indexOf(form()->TabSheet5)).center());
        QCOMPARE(form()->PageControl1->currentWidget(), form()->TabSheet5);
        QCOMPARE(outputOf(0), elsewhere.filePath(QStringLiteral("my take.ogg")));
        QCOMPARE(outputOf(1), m_jobs->filePath(QStringLiteral("stereo8k.ogg")));
        form()->rbVORBISOutputCh2->setChecked(true);
        form()->rbVORBISQuality->setChecked(true);

        runBatch();
        verifyDoneReport();
        QVERIFY2(ReadWithOwnReader(Reader::Vorbis, elsewhere.filePath(QStringLiteral("my take.ogg"))).valid,
                 qPrintable(QDir(elsewhere.path()).entryList(QDir::Files).join(' ')));
        QVERIFY(ReadWithOwnReader(Reader::Vorbis, m_jobs->filePath(QStringLiteral("stereo8k.ogg"))).valid);
        QVERIFY(!QFileInfo::exists(chosen));
        // After Quit the saved row keeps its name too, counted on past the file just written.
        frame()->SpeedButtonQuit->click();
        QCOMPARE(outputOf(0), elsewhere.filePath(QStringLiteral("my take_1.ogg")));
    }

    // Unticking the active page's item under View > Tabs brings the next page to the front; the
    // rows then take that page's names as a click on its tab gives them, not the last run's names
    // with the new extension.
    void hidingTheActiveTabNamesTheRowsForTheNextPage()
    {
        // Logs added to: the names follow the outputs alone.
        auto *appendLog = AdvancedSet->findChild<QCheckBox *>(QStringLiteral("chOutputLoga"));
        QVERIFY(appendLog);
        appendLog->setChecked(true);
        const auto replaceLog = qScopeGuard([appendLog] { appendLog->setChecked(false); });
        Mp3Cbr(form(), 128);
        form()->rbVORBISOutputCh2->setChecked(true);
        form()->rbVORBISQuality->setChecked(true);
        addMovieAndOther();
        runBatch();
        verifyDoneReport();
        frame()->SpeedButtonQuit->click();
        QCOMPARE(row(0)->text(jcOutputFilename), QStringLiteral("movie_1.mp3"));

        QAction *mp3Tab = form()->findChild<QAction *>(QStringLiteral("MP32"));
        QVERIFY(mp3Tab && mp3Tab->isChecked());
        mp3Tab->trigger();
        QVERIFY(!form()->PageControl1->isTabVisible(form()->PageControl1->indexOf(form()->TabSheet4)));
        QCOMPARE(form()->PageControl1->currentWidget(), form()->TabSheet5);
        QCOMPARE(outputOf(0), m_jobs->filePath(QStringLiteral("movie.ogg")));
        QCOMPARE(outputOf(1), m_jobs->filePath(QStringLiteral("other.ogg")));
        // The selected row's command line follows at once (each job's is rebuilt as it starts).
        const QList<QTreeWidgetItem *> selected = list()->selectedItems();
        QCOMPARE(selected.size(), 1);
        QVERIFY2(selected.first()->text(jcCmd).contains(selected.first()->text(jcOutputFilename) + QLatin1Char('"'))
                     && selected.first()->text(jcCmd).contains(QStringLiteral(".ogg\"")),
                 qPrintable(selected.first()->text(jcCmd)));

        runBatch();
        verifyDoneReport();
        mp3Tab->trigger();
        for (const char *name : {"movie.ogg", "other.ogg"})
            QVERIFY2(ReadWithOwnReader(Reader::Vorbis, m_jobs->filePath(QLatin1String(name))).valid,
                     qPrintable(folderEntries().join(' ')));
        QVERIFY2(!folderEntries().contains(QStringLiteral("movie_1.ogg")), qPrintable(folderEntries().join(' ')));
    }

    // The save dialog sends a job's output to another folder under another name.
    void theSaveDialogChoosesTheOutput()
    {
        Mp3Cbr(form(), 128);
        const QString input = freshInput(QStringLiteral("e2e/tone3s_stereo.ogg"));
        addFiles({input});
        QTemporaryDir elsewhere;
        const QString chosen = elsewhere.filePath(QStringLiteral("chosen name.mp3"));
        saveRowAs(0, chosen);
        QCOMPARE(outputOf(0), chosen);

        runBatch();

        verifyDoneReport();
        const Probe p = FFprobe(chosen);
        QVERIFY2(p.ok && p.codec == QLatin1String("mp3"), qPrintable(p.error + " | " + row(0)->text(jcCmd)));
        QVERIFY(qAbs(p.duration - 3.0) <= 0.05);
        QCOMPARE(folderEntries().filter(QStringLiteral(".mp3")), QStringList());
    }
};

QTEST_MAIN(TestEndToEndNames)
#include "tst_e2e_names.moc"
