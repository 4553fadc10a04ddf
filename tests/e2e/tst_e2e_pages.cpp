// Every page, engine and output mode of the program through a real batch, and the ways in which
// the job list is filled: a folder, a list file, a mux file, the side dialogs and awkward names.

#include "EndToEnd.h"

class TestEndToEndPages : public EndToEndTest
{
    Q_OBJECT

private slots:
    void eachPageWritesWhatItsOptionsAsk_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < PageCases().size(); ++i)
            QTest::newRow(PageCases()[i].name) << i;
    }

    void eachPageWritesWhatItsOptionsAsk()
    {
        QFETCH(int, index);
        const PageCase &c = PageCases()[index];
        const QString input = freshInput(QLatin1String(c.input));
        // The options first, so that the job list names the output for this page.
        c.setOptions(form(), AdvancedSet);
        addFiles({input});
        QCOMPARE(list()->topLevelItemCount(), 1);
        QVERIFY2(row(0)->text(jcOutputFilename).endsWith(QLatin1String(c.extension)),
                 qPrintable(row(0)->text(jcOutputFilename)));

        runBatch();

        const QString cmd = row(0)->text(jcCmd);
        QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join('|')));
        verifyDoneReport();
        const QString output = outputOf(0);
        QVERIFY2(QFileInfo(output).size() > 0, qPrintable(output + "\n" + cmd + "\n" + batchLogTexts().join('|')));

        const Probe p = FFprobe(output);
        QVERIFY2(p.ok, qPrintable(p.error));
        QVERIFY2(p.format.startsWith(QLatin1String(c.format)), qPrintable(p.format));
        QCOMPARE(p.codec, QLatin1String(c.codec));
        QCOMPARE(p.channels, c.channels);
        QCOMPARE(p.sampleRate, c.sampleRate);
        QVERIFY2(qAbs(p.duration - c.seconds) <= 0.05,
                 qPrintable(QStringLiteral("ffprobe %1 s, asked %2 s; %3").arg(p.duration).arg(c.seconds).arg(cmd)));

        const Reading r = ReadWithOwnReader(c.reader, output);
        QVERIFY2(r.valid, qPrintable(output));
        if (c.reader != Reader::None)
            QCOMPARE(r.sampleRate, c.sampleRate);
        if (c.readerChannels)
            QCOMPARE(r.channels, c.readerChannels);
        if (c.readerBitRate)
            QCOMPARE(r.bitRate, c.readerBitRate);
        if (c.readerTolerance > 0)
            QVERIFY2(qAbs(r.duration - c.seconds) <= c.readerTolerance,
                     qPrintable(QStringLiteral("reader %1 s, asked %2 s").arg(r.duration).arg(c.seconds)));
    }

    // A 5.1 MP3 job goes through the Aud-X encoder, from a six-channel AC-3 stream or from a mux
    // file of six mono WAV files.
    void surroundMp3GoesThroughAudX_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QStringList>("companions");
        QTest::addColumn<int>("sampleRate");
        QTest::addColumn<double>("seconds");
        QTest::newRow("5.1 AC-3") << QStringLiteral("tools/six.ac3") << QStringList() << 48000 << 1.024;
        QStringList monos;
        for (int i = 1; i <= 6; ++i)
            monos << QStringLiteral("tools/mono%1.wav").arg(i);
        QTest::newRow("mux file") << QStringLiteral("tools/six.mux") << monos << 8000 << 0.5;
    }

    void surroundMp3GoesThroughAudX()
    {
        QFETCH(QString, input);
        QFETCH(QStringList, companions);
        QFETCH(int, sampleRate);
        QFETCH(double, seconds);
        form()->PageControl1->setCurrentWidget(form()->TabSheet4);
        form()->rbMP3Ch6->setChecked(true);
        // The mux file names its channels relative to its own folder, which is not the current one.
        addFiles({freshInput(input, companions)});
        QCOMPARE(list()->topLevelItemCount(), 1);
        QVERIFY2(row(0)->text(jcCmd).contains(QLatin1String("audx.exe")), qPrintable(row(0)->text(jcCmd)));

        runBatch();

        verifyDoneReport();
        const QString output = outputOf(0);
        QVERIFY2(output.endsWith(QLatin1String(".mp3")) && QFileInfo(output).size() > 0,
                 qPrintable(output + " | " + folderEntries().join(' ')));
        const Probe p = FFprobe(output);
        QVERIFY2(p.ok, qPrintable(p.error));
        QCOMPARE(p.format, QStringLiteral("mp3"));
        QCOMPARE(p.codec, QStringLiteral("mp3"));
        QCOMPARE(p.sampleRate, sampleRate);
        // Whole MPEG frames: never shorter than the input, at most a few frames longer.
        QVERIFY2(p.duration >= seconds - 0.05 && p.duration <= seconds + 0.2, qPrintable(QString::number(p.duration)));
        const Reading r = ReadWithOwnReader(Reader::MPEG, output);
        QVERIFY(r.valid);
        QCOMPARE(r.sampleRate, sampleRate);
        form()->rbMP3Ch2->setChecked(true);
    }

    // The transcoder's progress lines drive both bars on the scale of the input's length; the
    // bars go back to 0 with the final report.
    void progressBarsFollowARealJob()
    {
        Mp3Cbr(form(), 128);
        m_jobs.reset(new QTemporaryDir);
        const QString input = m_jobs->filePath(QStringLiteral("ten seconds.wav"));
        QVERIFY(WriteToneWav(input, 10));
        addFiles({input});
        QList<int> fileBar, totalBar;
        QStringList titles;
        {
            QObject guard;
            connect(frame()->ProgressBar1, &QProgressBar::valueChanged, &guard, [&](int v) { fileBar << v; });
            connect(frame()->ProgressBar2, &QProgressBar::valueChanged, &guard, [&](int v) { totalBar << v; });
            connect(form(), &QWidget::windowTitleChanged, &guard, [&](const QString &t) { titles << t; });
            runBatch();
        }
        verifyDoneReport();
        QCOMPARE(frame()->ProgressBar1->maximum(), 10);
        QCOMPARE(frame()->ProgressBar2->maximum(), 10);
        // Every seventieth line of a tenth of a second is shown: 7 s, then the bars' reset.
        QVERIFY2(fileBar.contains(7) && totalBar.contains(7),
                 qPrintable(QStringLiteral("%1 / %2").arg(fileBar.size()).arg(totalBar.size())));
        QCOMPARE(fileBar.last(), 0);
        QCOMPARE(totalBar.last(), 0);
        QVERIFY2(titles.contains(QStringLiteral("70,00 % - Zolvane")), qPrintable(titles.join('|')));
        QVERIFY(QFileInfo(outputOf(0)).size() > 0);
        // The job's log file holds the transcoder's lines, CR LF each, up to its last.
        const QRegularExpressionMatch log =
            QRegularExpression(QStringLiteral(" -logfilea? \"([^\"]+)\"")).match(row(0)->text(jcCmd));
        QVERIFY2(log.hasMatch(), qPrintable(row(0)->text(jcCmd)));
        QFile logFile(log.captured(1));
        QVERIFY2(logFile.open(QIODevice::ReadOnly), qPrintable(log.captured(1)));
        const QByteArray logText = logFile.readAll();
        QVERIFY2(QRegularExpression(QStringLiteral("\\[00:00:09:\\d\\d\\] 9\\d %\r\n")).match(QString::fromLatin1(logText)).hasMatch(),
                 logText.left(200).constData());
        QVERIFY2(QRegularExpression(QStringLiteral("Done in [0-9.]+ s\\.\r\n$")).match(QString::fromLatin1(logText)).hasMatch(),
                 logText.right(80).constData());
    }

    // Names the shell or the command-line split could take apart reach the transcoder whole.
    void awkwardFileNamesRunAsGiven_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("blanks") << QStringLiteral("two  blanks here.ogg");
        QTest::newRow("apostrophe and dollar") << QStringLiteral("it's $HOME & more.ogg");
        QTest::newRow("non-ASCII") << QStringLiteral("Chœur à l'été – Ünïcode.ogg");
        QTest::newRow("double quote") << QStringLiteral("say \"hi\".ogg");
        QTest::newRow("backslash") << QStringLiteral("back\\slash\\.ogg");
        QTest::newRow("parentheses") << QStringLiteral("-core( x ).ogg");
    }

    void awkwardFileNamesRunAsGiven()
    {
        QFETCH(QString, name);
        Mp3Cbr(form(), 128);
        m_jobs.reset(new QTemporaryDir);
        const QString input = m_jobs->filePath(name);
        QVERIFY(QFile::copy(Fixture(QStringLiteral("tools/tone_stereo.ogg")), input));
        addFiles({input});
        QCOMPARE(list()->topLevelItemCount(), 1);
        QCOMPARE(row(0)->text(jcFilename), name);
        runBatch();
        QVERIFY2(batchLogTexts().last() == LanguageStrings.TranscodingFinished,
                 qPrintable(row(0)->text(jcCmd) + "\n" + batchLogTexts().join('|')));
        const Probe p = FFprobe(outputOf(0));
        QVERIFY2(p.ok && p.codec == QLatin1String("mp3"), qPrintable(outputOf(0) + " " + p.error));
        QVERIFY(qAbs(p.duration - 1.0) <= 0.05);
    }

    // Six mono WAV files: the job's output name stands for the six files named by their channel.
    void sixMonoWavFilesFromOneJob()
    {
        form()->PageControl1->setCurrentWidget(form()->TabSheet6);
        form()->rbWAVOutput->setChecked(true);
        form()->rbWAVOutput3->setChecked(true);
        addFiles({freshInput(QStringLiteral("tools/six.ac3"))});
        runBatch();
        verifyDoneReport();
        const QString base = outputOf(0).chopped(QFileInfo(outputOf(0)).suffix().size() + 1);
        for (const char *channel : {"FL", "FR", "C", "LFE", "SL", "SR"}) {
            const QString file = base + QLatin1Char('_') + QLatin1String(channel) + QStringLiteral(".wav");
            const Probe p = FFprobe(file);
            QVERIFY2(p.ok, qPrintable(file + " | " + folderEntries().join(' ')));
            QCOMPARE(p.codec, QStringLiteral("pcm_s16le"));
            QCOMPARE(p.channels, 1);
            QCOMPARE(p.sampleRate, 48000);
            QVERIFY(qAbs(p.duration - 1.024) <= 0.05);
            TWAVfile w;
            QVERIFY(w.ReadFromFile(file.toLocal8Bit().toStdString()) && w.Valid());
            QCOMPARE(int(w.Channels()), 1);
        }
    }

    // Each preset family, applied while the VORBIS page is active, names the ticked rows (the
    // selected one and the others) for its page and engine; the AC-3 and WAV presets then run.
    void presetsNameTheOutputsForTheirPage_data()
    {
        QTest::addColumn<QString>("preset");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<int>("reader");
        const int none = int(Reader::None);
        QTest::newRow("AAC PS CT") << QStringLiteral("PSCTAAC1") << QStringLiteral(".aac") << none;
        QTest::newRow("AAC PS ND") << QStringLiteral("PSNDAAC6") << QStringLiteral(".m4a") << none;
        QTest::newRow("AAC HE CT") << QStringLiteral("CTHEAAC1") << QStringLiteral(".aac") << none;
        QTest::newRow("AAC HE ND") << QStringLiteral("NDHEAAC11") << QStringLiteral(".m4a") << none;
        QTest::newRow("AAC LC CT") << QStringLiteral("CTLCAAC1") << QStringLiteral(".aac") << none;
        QTest::newRow("AAC LC ND") << QStringLiteral("LCVBR9") << QStringLiteral(".m4a") << none;
        QTest::newRow("AAC LC FAAC") << QStringLiteral("FLCAAC1") << QStringLiteral(".aac") << none;
        QTest::newRow("AC3") << QStringLiteral("AC3_1") << QStringLiteral(".ac3") << int(Reader::AC3);
        QTest::newRow("MP2") << QStringLiteral("SVCD") << QStringLiteral(".mp2") << none;
        QTest::newRow("MP3") << QStringLiteral("Movie1") << QStringLiteral(".mp3") << none;
        QTest::newRow("VORBIS") << QStringLiteral("OGG1") << QStringLiteral(".ogg") << none;
        QTest::newRow("WAV") << QStringLiteral("N20WAV1") << QStringLiteral(".wav") << int(Reader::WAV);
        QTest::newRow("DD-WAV") << QStringLiteral("DDWAV1") << QStringLiteral(".wav") << none;
    }

    void presetsNameTheOutputsForTheirPage()
    {
        QFETCH(QString, preset);
        QFETCH(QString, extension);
        QFETCH(int, reader);
        form()->PageControl1->setCurrentWidget(form()->TabSheet5);
        form()->rbVORBISOutputCh2->setChecked(true);
        addMovieAndOther();
        QVERIFY(row(0)->isSelected() && !row(1)->isSelected());
        QCOMPARE(row(1)->text(jcOutputFilename), QStringLiteral("other.ogg"));

        QAction *item = form()->findChild<QAction *>(preset);
        QVERIFY2(item, qPrintable(preset));
        item->trigger();
        // A WAV output beside its WAV input takes the next free name.
        const QString suffix = extension == QLatin1String(".wav") ? QStringLiteral("_1.wav") : extension;
        QCOMPARE(row(0)->text(jcOutputFilename), QStringLiteral("movie") + suffix);
        QCOMPARE(row(1)->text(jcOutputFilename), QStringLiteral("other") + suffix);
        QVERIFY2(row(0)->text(jcCmd).contains(QStringLiteral("movie") + suffix), qPrintable(row(0)->text(jcCmd)));

        if (Reader(reader) == Reader::None)
            return;
        runBatch();
        verifyDoneReport();
        for (int i = 0; i < 2; ++i) {
            QVERIFY2(outputOf(i).endsWith(extension), qPrintable(outputOf(i)));
            QVERIFY2(ReadWithOwnReader(Reader(reader), outputOf(i)).valid, qPrintable(outputOf(i)));
        }
    }

    // The rows that the list-file writer and the mux-file wizard load are named and counted as
    // opened rows are, and a batch turns them into real files.
    void sideDialogRowsRunToRealOutputs()
    {
        Mp3Cbr(form(), 128);
        const QString ogg = freshInput(QStringLiteral("tools/tone_stereo.ogg"), {QStringLiteral("tools/stereo8k.wav")});
        const QString wav = m_jobs->filePath(QStringLiteral("stereo8k.wav"));
        const QString lst = m_jobs->filePath(QStringLiteral("pair.lst"));
        QList<QStringList> answers = {{ogg, wav}, {lst}};
        SideTools::FileDialogHook = [&answers](QWidget *, SideTools::FileDialogKind, const QString &, const QString &,
                                               int, const QString &) {
            return answers.isEmpty() ? QStringList() : answers.takeFirst();
        };
        auto *files = FileListWriter->findChild<QListWidget *>(QStringLiteral("FileList"));
        QVERIFY(files);
        files->clear();
        FileListWriter->show();
        FileListWriter->btLstAddClick();
        FileListWriter->btOkClick(); // saves the list first, then loads it
        QCOMPARE(list()->topLevelItemCount(), 2);
        const double seconds = TMainForm::RowSeconds(row(0)) + TMainForm::RowSeconds(row(1));
        QCOMPARE(form()->Label1->text(), QStringLiteral("Duration: %1").arg(qint64(std::trunc(seconds))));
        QVERIFY(qAbs(form()->TotalDuration - seconds) < 1e-6);
        QCOMPARE(row(0)->text(jcOutputFilename), QStringLiteral("tone_stereo.mp3"));
        QCOMPARE(row(1)->text(jcOutputFilename), QStringLiteral("stereo8k.mp3"));
        runBatch();
        verifyDoneReport();
        for (int i = 0; i < 2; ++i)
            QVERIFY2(ReadWithOwnReader(Reader::MPEG, outputOf(i)).valid, qPrintable(outputOf(i)));
        frame()->SpeedButtonQuit->click();
        form()->ClearList2Click();

        // Six mono WAV files through the wizard, as one 5.1 job of the WAV page.
        form()->PageControl1->setCurrentWidget(form()->TabSheet6);
        form()->rbWAVOutput->setChecked(true);
        form()->rbWAVOutput1->setChecked(true);
        const QString mux = m_jobs->filePath(QStringLiteral("five"));
        answers.clear();
        auto *w = KDMuxFileWizard;
        const char *buttons[] = {"btnLF", "btnCenter", "btnFR", "btnLFE", "btnSL", "btnRS"};
        for (int i = 0; i < 6; ++i) {
            const QString mono = m_jobs->filePath(QStringLiteral("mono%1.wav").arg(i + 1));
            QVERIFY(QFile::copy(Fixture(QStringLiteral("tools/mono%1.wav").arg(i + 1)), mono));
            answers << QStringList{mono};
            Control<QPushButton>(w, buttons[i])->click();
        }
        answers << QStringList{mux};
        Control<QPushButton>(w, "btnSave")->click();
        Control<QCheckBox>(w, "CheckBox1")->setChecked(true);
        w->show();
        Control<QPushButton>(w, "btnOk")->click();
        SideTools::FileDialogHook = nullptr;
        Control<QCheckBox>(w, "CheckBox1")->setChecked(false);
        QCOMPARE(list()->topLevelItemCount(), 1);
        QCOMPARE(row(0)->text(jcOutputFilename), QStringLiteral("five.wav"));
        const double muxSeconds = TMainForm::RowSeconds(row(0));
        QVERIFY(muxSeconds > 0);
        QCOMPARE(form()->Label1->text(), QStringLiteral("Duration: %1").arg(qint64(std::trunc(muxSeconds))));
        QVERIFY(qAbs(form()->TotalDuration - muxSeconds) < 1e-6);
        runBatch();
        verifyDoneReport();
        const Reading r = ReadWithOwnReader(Reader::WAV, outputOf(0));
        QVERIFY2(r.valid && r.channels == 6, qPrintable(outputOf(0)));
        QVERIFY(qAbs(r.duration - muxSeconds) <= 0.05);
    }

    // The gain modes of the left panel: a job without one keeps the input's level, PreGain and
    // PostGain bring the peak to full scale in two passes.
    void gainModesSetThePeak_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::newRow("none") << QString() << 0.05 << 0.09; // the fixture peaks at 1/16
        QTest::newRow("PreGain") << QStringLiteral("PreGain") << 0.97 << 1.0;
        QTest::newRow("PostGain") << QStringLiteral("PostGain") << 0.97 << 1.0;
    }

    void gainModesSetThePeak()
    {
        QFETCH(QString, mode);
        QFETCH(double, low);
        QFETCH(double, high);
        form()->PageControl1->setCurrentWidget(form()->TabSheet6);
        form()->rbWAVOutput->setChecked(true);
        form()->rbWAVOutput2->setChecked(true);
        form()->chOTAMode->setChecked(!mode.isEmpty());
        if (!mode.isEmpty())
            form()->cbOTAMode->setCurrentText(mode);
        addFiles({freshInput(QStringLiteral("e2e/tone3s_stereo.ogg"))});
        runBatch();
        verifyDoneReport();
        const double peak = PeakOfWav(outputOf(0));
        QVERIFY2(peak >= low && peak <= high, qPrintable(QStringLiteral("peak %1; %2").arg(peak).arg(row(0)->text(jcCmd))));
        const Probe p = FFprobe(outputOf(0));
        QVERIFY(p.ok && qAbs(p.duration - 3.0) <= 0.05);
        form()->chOTAMode->setChecked(false);
    }

    // The relative names of a list file are taken from the list's folder, wherever the program
    // runs from: each becomes a job that runs.
    void aListFileAddsItsFilesFromItsOwnFolder()
    {
        Mp3Cbr(form(), 128);
        addFiles({freshInput(QStringLiteral("tools/pair.lst"),
                             {QStringLiteral("tools/tone_stereo.ogg"), QStringLiteral("tools/short.mp3")})});
        QCOMPARE(list()->topLevelItemCount(), 2);
        QCOMPARE(row(0)->text(jcFilename), QStringLiteral("tone_stereo.ogg"));
        QCOMPARE(QDir(row(0)->text(jcInputPath)).canonicalPath(), QDir(m_jobs->path()).canonicalPath());
        runBatch();
        verifyDoneReport();
        for (int i = 0; i < 2; ++i) {
            const Probe p = FFprobe(outputOf(i));
            QVERIFY2(p.ok && p.codec == QLatin1String("mp3"), qPrintable(outputOf(i) + " " + p.error));
        }
    }
};

QTEST_MAIN(TestEndToEndPages)
#include "tst_e2e_pages.moc"
