// Batches run again, jobs that fail or are stopped, and inputs whose outputs would clash: no file
// that a user or an earlier run left is written over, and no partial output stays.

#include "EndToEnd.h"

class TestEndToEndReruns : public EndToEndTest
{
    Q_OBJECT

private slots:
    // Inputs that would give the same output name, or whose output would be another input, each
    // get a file of their own, and no input is overwritten.
    void clashingOutputNamesOverwriteNothing()
    {
        Mp3Cbr(form(), 128);
        m_jobs.reset(new QTemporaryDir);
        const QString ogg = m_jobs->filePath(QStringLiteral("take.ogg"));
        const QString wav = m_jobs->filePath(QStringLiteral("take.wav"));
        const QString mp3 = m_jobs->filePath(QStringLiteral("take.mp3"));
        QVERIFY(QFile::copy(Fixture(QStringLiteral("tools/tone_stereo.ogg")), ogg));
        QVERIFY(QFile::copy(Fixture(QStringLiteral("tools/stereo8k.wav")), wav));
        QVERIFY(QFile::copy(Fixture(QStringLiteral("tools/short.mp3")), mp3));
        QFile original(mp3);
        QVERIFY(original.open(QIODevice::ReadOnly));
        const QByteArray mp3Bytes = original.readAll();
        original.close();
        addFiles({mp3, ogg, wav});
        QCOMPARE(list()->topLevelItemCount(), 3);
        QSet<QString> outputs;
        for (int i = 0; i < 3; ++i)
            outputs << QFileInfo(outputOf(i)).absoluteFilePath();
        QCOMPARE(outputs.size(), 3);
        QVERIFY2(!outputs.contains(QFileInfo(mp3).absoluteFilePath()), qPrintable(outputs.values().join('|')));

        runBatch();

        verifyDoneReport();
        QVERIFY(original.open(QIODevice::ReadOnly));
        QCOMPARE(original.readAll(), mp3Bytes);
        const int rates[] = {22050, 44100, 8000};
        for (int i = 0; i < 3; ++i) {
            const Probe p = FFprobe(outputOf(i));
            QVERIFY2(p.ok && p.codec == QLatin1String("mp3"), qPrintable(outputOf(i) + " " + p.error));
            QCOMPARE(p.sampleRate, rates[i]);
        }
    }

    // A newcomer's first batch, twice: a folder of three files added while the VORBIS page is
    // active, a click on the MP3 tab with no row selected, Start, and Start again once the
    // first batch is done. Every output is MP3 data in a ".mp3" name, and the second batch
    // writes new files beside the first batch's, which stay as they were.
    void aSecondStartWritesNewFilesInTheFormatOfTheTab()
    {
        m_jobs.reset(new QTemporaryDir);
        const QString folder = m_jobs->path();
        QVERIFY(WriteToneWav(m_jobs->filePath(QStringLiteral("one.wav")), 2));
        QVERIFY(QFile::copy(Fixture(QStringLiteral("tools/tone_stereo.ogg")), m_jobs->filePath(QStringLiteral("two.ogg"))));
        QVERIFY(QFile::copy(Fixture(QStringLiteral("tools/stereo8k.wav")), m_jobs->filePath(QStringLiteral("three.wav"))));
        const QStringList inputs = folderEntries();

        // The window is shown first: its first showing restores the saved settings.
        form()->show();
        QVERIFY(QTest::qWaitForWindowExposed(form()));
        useKeysAsTextsAndTheBuildsTranscoder();
        // The MP3 page's own options, set without leaving the VORBIS page.
        form()->rbMP3Ch2->setChecked(true);
        form()->rbMP3Bitrate->setChecked(true);
        form()->PageControl1->setCurrentWidget(form()->TabSheet5);

        TMainForm::OpenDirDialogHook = [folder](QWidget *) { return folder; };
        form()->AddDir->trigger();
        TMainForm::OpenDirDialogHook = nullptr;
        QCOMPARE(list()->topLevelItemCount(), 3);
        QVERIFY(list()->selectedItems().isEmpty());
        for (int i = 0; i < 3; ++i)
            QVERIFY2(row(i)->text(jcOutputFilename).endsWith(QLatin1String(".ogg")), qPrintable(outputOf(i)));

        QTabBar *tabs = form()->PageControl1->tabBar();
        const QRect mp3Tab = tabs->tabRect(form()->PageControl1->indexOf(form()->TabSheet4));
        QVERIFY(mp3Tab.isValid());
        QTest::mouseClick(tabs, Qt::LeftButton, {}, mp3Tab.center());
        QCOMPARE(form()->PageControl1->currentWidget(), form()->TabSheet4);
        for (int i = 0; i < 3; ++i)
            QVERIFY2(row(i)->text(jcOutputFilename).endsWith(QLatin1String(".mp3")), qPrintable(outputOf(i)));

        QTest::mouseClick(form()->bbStartProcess, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!form()->BatchRunning(), 60000);
        verifyDoneReport();
        QStringList firstRun;
        QHash<QString, QByteArray> firstDigest;
        for (int i = 0; i < 3; ++i) {
            firstRun << outputOf(i);
            firstDigest[outputOf(i)] = Sha256Of(outputOf(i));
            QVERIFY2(!firstDigest[outputOf(i)].isEmpty(), qPrintable(outputOf(i)));
        }
        QVERIFY(form()->bbStartProcess->isEnabled());

        QTest::mouseClick(form()->bbStartProcess, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!form()->BatchRunning(), 60000);
        verifyDoneReport();
        form()->hide();

        QStringList secondRun;
        for (int i = 0; i < 3; ++i) {
            const QString expected = firstRun[i].chopped(4) + QStringLiteral("_1.mp3");
            QCOMPARE(outputOf(i), expected);
            secondRun << outputOf(i);
            // The batch log names the file the job really wrote.
            const QString logged = row(i)->text(jcFilename) + QStringLiteral(" --> ") + QFileInfo(expected).fileName();
            QVERIFY2(batchLogTexts().contains(logged), qPrintable(logged + " | " + batchLogTexts().join('|')));
        }
        for (const QString &first : firstRun)
            QCOMPARE(Sha256Of(first), firstDigest[first]);
        // Every file the batches wrote is MP3 data under an ".mp3" name, and there are six.
        QStringList written;
        for (const QString &name : folderEntries()) {
            if (inputs.contains(name) || name.endsWith(QLatin1String(".log")))
                continue;
            written << m_jobs->filePath(name);
        }
        written.sort();
        QStringList expected = firstRun + secondRun;
        expected.sort();
        QCOMPARE(written, expected);
        // A third Start counts on from the first run's names.
        runBatch();
        verifyDoneReport();
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(outputOf(i), firstRun[i].chopped(4) + QStringLiteral("_2.mp3"));
            written << outputOf(i);
        }
        for (const QString &file : written) {
            const Reading r = ReadWithOwnReader(Reader::MPEG, file);
            QVERIFY2(r.valid, qPrintable(file));
            const Probe p = FFprobe(file);
            QVERIFY2(p.ok && p.format == QLatin1String("mp3") && p.codec == QLatin1String("mp3"),
                     qPrintable(file + " " + p.format + " " + p.error));
        }
    }

    // The 5.1 MP3 encoder, too, writes the file its row names: a second run goes to a new file.
    void aSecondSurroundMp3RunWritesANewFile()
    {
        form()->PageControl1->setCurrentWidget(form()->TabSheet4);
        form()->rbMP3Ch6->setChecked(true);
        addFiles({freshInput(QStringLiteral("tools/six.ac3"))});
        QCOMPARE(list()->topLevelItemCount(), 1);
        runBatch();
        verifyDoneReport();
        const QString first = outputOf(0);
        QCOMPARE(QFileInfo(first).fileName(), QStringLiteral("six.mp3"));
        const QByteArray firstBytes = [&] {
            QFile f(first);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        QVERIFY(!firstBytes.isEmpty());
        QTest::qWait(1100); // a rewrite would show in the modification time
        const QDateTime firstTime = QFileInfo(first).lastModified();
        runBatch();
        verifyDoneReport();
        form()->rbMP3Ch2->setChecked(true);
        QCOMPARE(QFileInfo(outputOf(0)).fileName(), QStringLiteral("six_1.mp3"));
        QVERIFY2(ReadWithOwnReader(Reader::MPEG, outputOf(0)).valid, qPrintable(folderEntries().join(' ')));
        QCOMPARE(QFileInfo(first).lastModified(), firstTime);
        QFile f(first);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), firstBytes);
    }

    // Six mono WAV files named after the output: a second run finds them taken and writes the
    // next free set.
    void aSecondSixMonoRunWritesANewSet()
    {
        form()->PageControl1->setCurrentWidget(form()->TabSheet6);
        form()->rbWAVOutput->setChecked(true);
        form()->rbWAVOutput3->setChecked(true);
        addFiles({freshInput(QStringLiteral("tools/six.ac3"))});
        runBatch();
        verifyDoneReport();
        QCOMPARE(QFileInfo(outputOf(0)).fileName(), QStringLiteral("six.wav"));
        const QStringList first = folderEntries();
        runBatch();
        verifyDoneReport();
        QCOMPARE(QFileInfo(outputOf(0)).fileName(), QStringLiteral("six_1.wav"));
        for (const char *channel : {"FL", "FR", "C", "LFE", "SL", "SR"}) {
            const QString file = m_jobs->filePath(QStringLiteral("six_1_%1.wav").arg(QLatin1String(channel)));
            const Reading r = ReadWithOwnReader(Reader::WAV, file);
            QVERIFY2(r.valid && r.channels == 1, qPrintable(file + " | " + folderEntries().join(' ')));
            QVERIFY2(first.contains(QStringLiteral("six_%1.wav").arg(QLatin1String(channel))), qPrintable(first.join(' ')));
        }
        form()->rbWAVOutput2->setChecked(true);
    }

    // The WAV page's modes, switched between runs of one row: each run writes its own files in
    // its mode's format, and none over a file of an earlier run.
    void wavModesSwitchedBetweenRunsOverwriteNothing()
    {
        form()->PageControl1->setCurrentWidget(form()->TabSheet6);
        form()->rbWAVOutput->click();
        addFiles({freshInput(QStringLiteral("tools/six.ac3"))});
        QCOMPARE(list()->topLevelItemCount(), 1);
        struct Run {
            QAbstractButton *format;
            QAbstractButton *channels; // null: the format's own default
            QStringList files;         // what the run writes
            const char *format0;       // ffprobe's container of the first file
            const char *codec;
        };
        // Each run's log is one of its files: a later run replaces no log either.
        const Run runs[] = {
            {form()->rbAIFFOutput, nullptr, {"six.aif", "six.log"}, "aiff", "pcm_s16be"},
            {form()->rbWAVOutput, form()->rbWAVOutput3,
             {"six_1_FL.wav", "six_1_FR.wav", "six_1_C.wav", "six_1_LFE.wav", "six_1_SL.wav", "six_1_SR.wav", "six_1.log"},
             "wav", "pcm_s16le"},
            {form()->rbDDWAVOutput, nullptr, {"six_2.wav", "six_2.log"}, "wav", "ac3"},
            {form()->rbWAVOutput, form()->rbWAVOutput4,
             {"six_3_FL.wav", "six_3_FR.wav", "six_3_C.wav", "six_3_LFE.wav", "six_3_SL.wav", "six_3_SR.wav", "six_3.log"},
             "wav", "pcm_f32le"},
            {form()->rbWAVOutput, form()->rbWAVOutput1, {"six_4.wav", "six_4.log"}, "wav", "pcm_s16le"},
        };
        QHash<QString, QByteArray> written;
        for (const Run &run : runs) {
            run.format->click();
            if (run.channels)
                run.channels->click();
            runBatch();
            verifyDoneReport();
            frame()->SpeedButtonQuit->click();
            for (const QString &name : run.files) {
                QVERIFY2(!written.contains(name), qPrintable(name + " written twice"));
                written[name] = Sha256Of(m_jobs->filePath(name));
                QVERIFY2(!written[name].isEmpty(), qPrintable(name + " | " + folderEntries().join(' ')));
            }
            const Probe p = FFprobe(m_jobs->filePath(run.files.first()));
            QVERIFY2(p.ok && p.format.startsWith(QLatin1String(run.format0)) && p.codec == QLatin1String(run.codec),
                     qPrintable(run.files.first() + " " + p.format + " " + p.codec + " " + p.error));
        }
        // Every earlier file is as its run left it.
        for (auto it = written.cbegin(); it != written.cend(); ++it)
            QCOMPARE(Sha256Of(m_jobs->filePath(it.key())), it.value());
        form()->rbWAVOutput->click();
        form()->rbWAVOutput2->click();
    }

    // A job whose input is gone fails: it leaves no output, not even a partial one, an older file
    // of the output's name stays as it was, and the batch ends with the error report while the
    // jobs around it still write their files.
    void aFailingJobLeavesNoPartialOutput()
    {
        Mp3Cbr(form(), 128);
        const QString good = freshInput(QStringLiteral("e2e/tone3s_stereo.ogg"), {QStringLiteral("tools/short.mp3")});
        const QString missing = m_jobs->filePath(QStringLiteral("gone.ogg"));
        QVERIFY(QFile::copy(good, missing));
        addFiles({good, missing, m_jobs->filePath(QStringLiteral("short.mp3"))});
        QCOMPARE(list()->topLevelItemCount(), 3);
        QVERIFY(QFile::remove(missing));
        // An older output of the failing job.
        const QString older = outputOf(1);
        {
            QFile f(older);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("older file");
        }
        const QString shortOutput = outputOf(2);
        QVERIFY(shortOutput != m_jobs->filePath(QStringLiteral("short.mp3")));

        runBatch();

        const QStringList texts = batchLogTexts();
        QVERIFY2(texts.size() >= 2, qPrintable(texts.join('|')));
        QCOMPARE(texts.mid(texts.size() - 2),
                 (QStringList{LanguageStrings.TranscodingError, LanguageStrings.TranscodingError2}));
        QVERIFY2(!texts.contains(LanguageStrings.TranscodingFinished), qPrintable(texts.join('|')));
        QVERIFY2(!texts.filter(QRegularExpression(QStringLiteral("^Error .*gone\\.ogg"))).isEmpty(),
                 qPrintable(texts.join('|')));
        QVERIFY(!form()->bbStartProcess->isEnabled()); // until Quit
        QVERIFY(!frame()->SpeedButtonQuit->isHidden());
        QCOMPARE(frame()->ProgressBar2->value(), 0);

        QFile f(older);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("older file"));
        // Nothing else of the failed job lies in the folder: the inputs, the two good outputs,
        // the older file and the job logs only.
        for (const QString &name : folderEntries()) {
            QVERIFY2(!name.startsWith(QLatin1String("gone")) || name == QFileInfo(older).fileName()
                         || name.endsWith(QLatin1String(".log")),
                     qPrintable(name));
            QVERIFY2(!name.endsWith(QLatin1String(".part")), qPrintable(name));
        }
        for (const QString &output : {outputOf(0), shortOutput}) {
            const Probe p = FFprobe(output);
            QVERIFY2(p.ok && p.codec == QLatin1String("mp3"), qPrintable(output + " " + p.error));
        }
    }

    // A job stopped half-way leaves no partial output either, and an older file of its output's
    // name stays as it was.
    void aStoppedJobLeavesNoPartialOutput()
    {
        Mp3Cbr(form(), 128);
        m_jobs.reset(new QTemporaryDir);
        const QString input = m_jobs->filePath(QStringLiteral("long tone.wav"));
        QVERIFY(WriteToneWav(input, 300));
        addFiles({input});
        QCOMPARE(list()->topLevelItemCount(), 1);
        const QString output = outputOf(0);
        {
            QFile f(output);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("older file");
        }
        const QStringList before = folderEntries();

        form()->bbStartProcessClick();
        // Well into the job: the transcoder has written a good part of its output.
        QTRY_VERIFY_WITH_TIMEOUT(form()->DosCommand1->Lines().size() > 20, 20000);
        QVERIFY(form()->BatchRunning());
        frame()->SpeedButtonStop->click();
        QTRY_VERIFY_WITH_TIMEOUT(!form()->BatchRunning(), 20000);
        QCOMPARE(hint(), QStringLiteral("Aborted"));
        QCOMPARE(batchLogTexts().last(), LanguageStrings.TranscodingAborted);

        // The transcoder is gone and has taken its unfinished file with it.
        QTRY_VERIFY_WITH_TIMEOUT(!form()->DosCommand1->IsRunning(), 10000);
        QTest::qWait(200);
        QFile f(output);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("older file"));
        QStringList after = folderEntries();
        // The job's log is named after the output it was writing.
        after.removeAll(QFileInfo(form()->InputListView->topLevelItem(0)->text(jcOutputFilename)).completeBaseName()
                        + QStringLiteral(".log"));
        QCOMPARE(after, before);
    }
};

QTEST_MAIN(TestEndToEndReruns)
#include "tst_e2e_reruns.moc"
