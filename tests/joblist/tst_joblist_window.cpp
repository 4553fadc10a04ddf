// The job list of the real main window: adding files through the open dialog, a folder, dropped
// files, list and mux files; the rows' texts; the totals; the pop-up menu; the output naming and
// the save dialog; the delay read from a name and the input-type options.

#include "JobRow.h"
#include "LanguageStrings.h"
#include "UAdvanced.h"
#include "UFileLstWriter.h"
#include "UMain.h"
#include "UMainGlobals.h"
#include "ZolvaneApp.h"

#include "AudioFileStream.h"
#include "ModalAnswer.h"
#include "PipeGuard.h"

#include <QCheckBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QListWidget>
#include <QMimeData>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include <chrono>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

QString Fixture(const QString &relative)
{
    return QStringLiteral(ZOLVANE_FIXTURES_DIR "/") + relative;
}

struct Message {
    QString text;
    bool error;
};

// A layer I stream as an encoder lays it out at 44.1 kHz, 32 kbit/s, mono: frames of eight 4-byte
// slots, with a padding slot wherever the slots fall behind the bit rate. No Debian tool writes
// layer I; its frames hold no audio bits and decode as silence, 384 samples each.
QByteArray LayerIStream(int frames)
{
    QByteArray out;
    int rest = 0;
    for (int i = 0; i < frames; ++i) {
        rest += (12 * 32000) % 44100;
        int padding = 0;
        if (rest >= 44100) {
            rest -= 44100;
            padding = 1;
        }
        out += char(0xFF);
        out += char(0xFF);                 // MPEG-1, layer I, no CRC
        out += char(0x10 | (padding << 1)); // 32 kbit/s, 44100 Hz
        out += char(0xC0);                 // mono
        out += QByteArray(4 * ((12 * 32000) / 44100 + padding) - 4, '\0');
    }
    return out;
}

// Where the last page of an Ogg file starts, and the offset of its comment header's field count.
qsizetype LastOggPage(const QByteArray &ogg)
{
    return ogg.lastIndexOf("OggS");
}
qsizetype CommentCountOffset(const QByteArray &ogg)
{
    const qsizetype header = ogg.indexOf("\x03vorbis");
    const quint32 vendor = quint8(ogg[header + 7]) | quint8(ogg[header + 8]) << 8 | quint8(ogg[header + 9]) << 16
                           | quint32(quint8(ogg[header + 10])) << 24;
    return header + 11 + qsizetype(vendor);
}

// A file of size bytes: head at its start, tail at its end and a hole (no disk space) between.
bool WriteSparse(const QString &path, const QByteArray &head, const QByteArray &tail, qint64 size)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(head) == head.size() && f.resize(size - tail.size())
           && f.seek(size - tail.size()) && f.write(tail) == tail.size();
}

} // namespace

class TestJobListWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_cwd; // the process's current folder during the tests
    QString m_oldCwd;
    QList<Message> m_messages;
    QStringList m_openFilters;
    int m_openSelected = -1;
    int m_saveCalls = 0;
    QString m_saveProposed;
    QStringList m_saveFilters;
    QString m_saveSuffix;
    QString m_saveAnswer;

    TMainForm *form() const { return MainForm; }
    QTreeWidget *list() const { return MainForm->InputListView; }
    int rows() const { return list()->topLevelItemCount(); }
    QTreeWidgetItem *row(int i) const { return list()->topLevelItem(i); }

    template <typename T>
    T *advanced(const char *name) const
    {
        return AdvancedSet->findChild<T *>(QLatin1String(name));
    }

    // A fresh folder holding copies of fixtures under the names given.
    static void copyInto(const QTemporaryDir &dir, const QString &fixture, const QString &name)
    {
        QVERIFY2(QFile::copy(Fixture(fixture), dir.filePath(name)), qPrintable(name));
    }

    static void writeFile(const QString &path, const QByteArray &content)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }

    void addThroughOpenDialog(const QStringList &files)
    {
        TMainForm::OpenDialog1Hook = [this, files](QWidget *, const QStringList &filters, int selected) {
            m_openFilters = filters;
            m_openSelected = selected;
            return files;
        };
        form()->Open1Click();
    }

    void drop(const QStringList &paths)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString &p : paths)
            urls << QUrl::fromLocalFile(p);
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form(), &dropped);
        QVERIFY(dropped.isAccepted());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_cwd.isValid());
        m_oldCwd = QDir::currentPath();
        QDir::setCurrent(m_cwd.path());
        CreateZolvaneWindows();
        QVERIFY(MainForm && AdvancedSet && FileListWriter);
        TMainForm::MessageHook = [this](QWidget *, const QString &text, bool error) {
            m_messages << Message{text, error};
        };
        TMainForm::SaveDialog1Hook = [this](QWidget *, const QStringList &filters, const QString &fileName,
                                            const QString &suffix) {
            ++m_saveCalls;
            m_saveFilters = filters;
            m_saveProposed = fileName;
            m_saveSuffix = suffix;
            return m_saveAnswer;
        };
        LanguageStrings.AVIAudioZ = QStringLiteral("holds no audio stream.");
        LanguageStrings.AVIAudioM1 = QStringLiteral("Only files with one audio stream");
        LanguageStrings.AVIAudioM2 = QStringLiteral("can be added.");
        LanguageStrings.FilesNotAdded = QStringLiteral("%1 not added:");
        LanguageStrings.MoreFilesNotAdded = QStringLiteral("%1 more");
        LanguageStrings.UndecodableNames = QStringLiteral("%1 undecodable in %2");
    }

    void cleanupTestCase()
    {
        TMainForm::OpenDialog1Hook = nullptr;
        TMainForm::OpenDirDialogHook = nullptr;
        TMainForm::SaveDialog1Hook = nullptr;
        TMainForm::MessageHook = nullptr;
        DestroyZolvaneWindows();
        QDir::setCurrent(m_oldCwd);
    }

    void init()
    {
        form()->ClearList2Click();
        SaveDialog1FileName.clear();
        m_messages.clear();
        m_saveCalls = 0;
        m_saveAnswer.clear();
        form()->PageControl1->setCurrentWidget(form()->TabSheet4); // MP3
    }

    // ---- Probes ----------------------------------------------------------------------------

    void probesWriteTheRowTexts_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("description");
        QTest::addColumn<bool>("tempoEnabled");
        QTest::newRow("5-channel AC-3 shows 6")
            << "audio/ac3_48k_5ch1_384k.ac3" << "movie.ac3" << "AC3 - 6 Ch - 384 kbps - 48000 hz - 00:00:00" << false;
        QTest::newRow("stereo AC-3 shows 2")
            << "audio/ac3_44k_stereo_96k.ac3" << "Song.AC3" << "AC3 - 2 Ch - 96 kbps - 44100 hz - 00:00:00" << false;
        QTest::newRow("5.1 DTS shows 6")
            << "audio/dts_44k_5ch1.dts" << "film.dts" << "DTS - 6 Ch - 1411 kbps - 44100 hz - 00:00:00" << false;
        QTest::newRow("stereo DTS")
            << "audio/dts_48k_stereo.dts" << "film2.dts" << "DTS - 2 Ch - 1411 kbps - 48000 hz - 00:00:00" << false;
        QTest::newRow("mp3") << "audio/mp3_cbr128_stereo.mp3" << "a.mp3"
                             << "MP3 - Joint Stereo - 128 kbps - 44100 hz - 00:00:00" << false;
        QTest::newRow("mp1 through the dialog is MPEG audio")
            << "audio/mp3_cbr128_stereo.mp3" << "old.mp1" << "MPA - Joint Stereo - 128 kbps - 44100 hz - 00:00:00"
            << false;
        QTest::newRow("mp2 by its extension in any case")
            << "audio/mp2_192_stereo.mp2" << "b.MP2" << "MP2 - Stereo - 192 kbps - 44100 hz - 00:00:00" << false;
        QTest::newRow("vorbis") << "joblist/silence_60s.ogg" << "quiet.ogg"
                                << "Vorbis - Mono - 1 kbps - 8000 hz - 00:01:00" << false;
        QTest::newRow("wav enables the tempo controls")
            << "audio/wav_sox_8k_stereo_s16.wav" << "c.wav" << "WAV - Stereo - 256 kbps - 8000 hz - 00:00:00" << true;
        QTest::newRow("mono wav") << "audio/wav_sox_11k_mono_u8.wav" << "m.wav"
                                  << "WAV - Mono - 88 kbps - 11025 hz - 00:00:00" << true;
    }

    void probesWriteTheRowTexts()
    {
        QFETCH(QString, fixture);
        QFETCH(QString, name);
        QFETCH(QString, description);
        QFETCH(bool, tempoEnabled);
        // The opposite state first, so that the probe is seen to set it.
        for (const char *control : {"chSoundTouchTempo", "SpEdtSoundTouchPitch", "chSoundTouchDisAntiAlias"})
            advanced<QWidget>(control)->setEnabled(!tempoEnabled);

        QTemporaryDir dir;
        copyInto(dir, fixture, name);
        addThroughOpenDialog({dir.filePath(name)});

        QCOMPARE(rows(), 1);
        QTreeWidgetItem *r = row(0);
        QCOMPARE(r->checkState(jcCheck), Qt::Checked);
        QCOMPARE(r->text(jcInputPath), dir.path() + QLatin1Char('/'));
        QCOMPARE(r->text(jcOutputPath), dir.path() + QLatin1Char('/'));
        QCOMPARE(r->text(jcFilename), name);
        QCOMPARE(r->text(jcDescription), description);
        QVERIFY(r->isSelected());
        for (const char *control : {"chSoundTouchTempo", "SpEdtSoundTouchPitch", "chSoundTouchDisAntiAlias"})
            QCOMPARE(advanced<QWidget>(control)->isEnabled(), tempoEnabled);
        QVERIFY(form()->bbStartProcess->isEnabled());
        QVERIFY(form()->Start->isEnabled());
    }

    void openDialogOffersTenFiltersWithAllSupportedChosen()
    {
        LanguageStrings.OpenDialog_AC3 = QStringLiteral("AC3");
        LanguageStrings.OpenDialog_MPEG = QStringLiteral("MPEG");
        LanguageStrings.OpenDialog_OGG = QStringLiteral("OGG");
        LanguageStrings.OpenDialog_PCM = QStringLiteral("PCM");
        LanguageStrings.OpenDialog_LISTFILES = QStringLiteral("Lists");
        LanguageStrings.OpenDialog_LST = QStringLiteral("LST");
        LanguageStrings.OpenDialog_MUX = QStringLiteral("MUX");
        LanguageStrings.OpenDialog_CONT = QStringLiteral("Containers");
        LanguageStrings.OpenDialog_AVI = QStringLiteral("AVI");
        LanguageStrings.OpenDialog_ALL = QStringLiteral("All supported files");
        addThroughOpenDialog({});
        QCOMPARE(m_openFilters,
                 (QStringList{"AC3 (*.ac3)", "MPEG (*.mpa *.mp2 *.mp3)", "OGG (*.ogg)", "PCM (*.wav)",
                              "Lists (*.lst *.mux)", "LST (*.lst)", "MUX (*.mux)", "Containers (*.avi)",
                              "AVI (*.avi)",
                              "All supported files (*.ac3 *.mpa *.mp2 *.mp3 *.ogg *.wav *.lst *.mux *.avi)"}));
        QCOMPARE(m_openSelected, 9);
        QCOMPARE(rows(), 0);
        QVERIFY(!form()->bbStartProcess->isEnabled()); // nothing chosen, nothing enabled
    }

    void emptyAndUnknownFilesAddNoRow()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("empty.wav"), QByteArray());
        writeFile(dir.filePath("notes.flac"), QByteArray("fLaC not really"));

        addThroughOpenDialog({dir.filePath("empty.wav")});
        QCOMPARE(rows(), 0);

        drop({dir.filePath("empty.wav")});
        QCOMPARE(rows(), 0);

        form()->bbStartProcess->setEnabled(false);
        form()->Start->setEnabled(false);
        drop({dir.filePath("notes.flac")});
        QCOMPARE(rows(), 0);
        QVERIFY(form()->bbStartProcess->isEnabled());
        QVERIFY(form()->Start->isEnabled());

        // Through a folder the empty file reaches its probe, which rejects it.
        TMainForm::OpenDirDialogHook = [&](QWidget *) { return dir.path(); };
        form()->AddDirClick();
        QCOMPARE(rows(), 0);
        QVERIFY(m_messages.isEmpty());
    }

    // Files from real encoders whose durations came out wrong: Ogg Vorbis files that end with a
    // long page, compressed WAV files, and a layer I stream at 44.1 kHz. Each row's seconds
    // agree with ffprobe (or the stream's sample count) within 1 %.
    void rowsGiveTheDecodedLength()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("layer1.mp1"), LayerIStream(230));
        const struct {
            const char *fixture;
            const char *name;
            const char *descriptionHead;
            double seconds;
        } cases[] = {
            {"audio/ogg_48k_5ch1_long_last_page.ogg", "surround.ogg", "Vorbis - Multichannel - 166 kbps - 48000 hz", 1.9},
            {"audio/ogg_44k_mono_long_last_page.ogg", "mono.ogg", "Vorbis - Mono - 142 kbps - 44100 hz", 1.9},
            {"audio/wav_ffmpeg_8k_mono_ima_adpcm.wav", "ima.wav", "WAV - Mono - 128 kbps - 8000 hz", 2.041},
            {"audio/wav_ffmpeg_8k_mono_ms_adpcm.wav", "ms.wav", "WAV - Mono - 128 kbps - 8000 hz", 2.036},
            {"audio/wav_ffmpeg_16k_mono_mp3.wav", "mp3.wav", "WAV - Mono - 32 kbps - 16000 hz", 3.096},
            {"audio/wav_sox_11k_stereo_ms_adpcm.wav", "sox.wav", "WAV - Stereo - 90 kbps - 11025 hz", 1.0},
            {nullptr, "layer1.mp1", "MPA - Mono - 32 kbps - 44100 hz", 230 * 384 / 44100.0},
        };
        for (const auto &c : cases) {
            form()->ClearList2Click();
            if (c.fixture)
                copyInto(dir, c.fixture, c.name);
            addThroughOpenDialog({dir.filePath(c.name)});
            QVERIFY2(rows() == 1, c.name);
            QVERIFY2(row(0)->text(jcDescription).startsWith(QLatin1String(c.descriptionHead)),
                     qPrintable(row(0)->text(jcDescription)));
            const double seconds = TMainForm::RowSeconds(row(0));
            QVERIFY2(qAbs(seconds - c.seconds) <= c.seconds / 100,
                     qPrintable(QStringLiteral("%1: %2 s").arg(c.name).arg(seconds)));
        }
        QVERIFY(m_messages.isEmpty());
    }

    // An Ogg Vorbis file of 3 GiB (a sparse file) and one whose comment header claims four
    // thousand million fields, in front of 50 MB: both are added with their true figures, and the
    // second is probed in a few reads.
    void largeAndCorruptOggFiles()
    {
        QFile fixture(Fixture("audio/ogg_44k_stereo_tags.ogg"));
        QVERIFY(fixture.open(QIODevice::ReadOnly));
        const QByteArray ogg = fixture.readAll();
        const qsizetype last = LastOggPage(ogg);
        QVERIFY(last > 0);
        QTemporaryDir dir;

        // 30 hours at 44.1 kHz: a granule position beyond 32 bits.
        QByteArray tail = ogg.mid(last);
        const quint64 granule = 30ull * 3600 * 44100;
        for (int i = 0; i < 8; ++i)
            tail[6 + i] = char((granule >> (8 * i)) & 0xFF);
        const qint64 big = 3ll << 30;
        QVERIFY(WriteSparse(dir.filePath("big.ogg"), ogg.left(last), tail, big));
        drop({dir.filePath("big.ogg")});
        QCOMPARE(rows(), 1);
        QVERIFY2(row(0)->text(jcDescription).startsWith(QStringLiteral("Vorbis - Stereo - %1 kbps - 44100 hz")
                                                             .arg(qRound64(double(big) / 108000 / 125))),
                 qPrintable(row(0)->text(jcDescription)));
        QCOMPARE(TMainForm::RowSeconds(row(0)), 108000.0);

        form()->ClearList2Click();
        QTemporaryDir folder;
        QByteArray corrupt = ogg.left(last);
        const qsizetype count = CommentCountOffset(corrupt);
        corrupt.replace(count, 4, QByteArray(4, char(0xFF)));
        QVERIFY(WriteSparse(folder.filePath("corrupt.ogg"), corrupt, ogg.mid(last), 50'000'000));
        const TAudioFileStream::TCounters before = TAudioFileStream::Counters();
        TMainForm::OpenDirDialogHook = [&](QWidget *) { return folder.path(); };
        form()->AddDirClick();
        const TAudioFileStream::TCounters &after = TAudioFileStream::Counters();
        QCOMPARE(rows(), 1);
        QCOMPARE(TMainForm::RowSeconds(row(0)), 0.5);
        QVERIFY2(after.BytesRead - before.BytesRead < 100'000,
                 qPrintable(QString::number(after.BytesRead - before.BytesRead)));
        QVERIFY(m_messages.isEmpty());
    }

    // Named pipes with audio and list names, added every way the window offers: none of them is
    // waited for, none adds a row or a message. A hang fails the test after ten seconds instead
    // of blocking the run.
    void specialFilesNeverBlock()
    {
        QTemporaryDir dir;
        QStringList pipes;
        std::vector<std::string> pipeNames;
        for (const char *name : {"x.mp3", "x.mp2", "x.ogg", "x.ac3", "x.dts", "x.wav", "x.avi", "x.lst", "x.mux"}) {
            QVERIFY(TPipeGuard::MakePipe(dir.filePath(name).toStdString()));
            pipes << dir.filePath(name);
            pipeNames.push_back(dir.filePath(name).toStdString());
        }
        QByteArray list;
        for (const QString &pipe : pipes)
            list += "\"" + pipe.toLocal8Bit() + "\"\r\n";
        QTemporaryDir listDir;
        writeFile(listDir.filePath("pipes.lst"), list);
        copyInto(dir, "audio/wav_sox_8k_stereo_s16.wav", "real.wav");

        TPipeGuard guard(pipeNames, std::chrono::seconds(10));
        addThroughOpenDialog(pipes);
        drop(pipes);
        form()->OpenKDTFile(listDir.filePath("pipes.lst").toLocal8Bit());
        TMainForm::OpenDirDialogHook = [&](QWidget *) { return dir.path(); };
        form()->AddDirClick();
        QVERIFY2(!guard.Blocked(), "the window waited on a named pipe");
        QCOMPARE(rows(), 1); // the regular file in the folder
        QCOMPARE(row(0)->text(jcFilename), QStringLiteral("real.wav"));
        QVERIFY(m_messages.isEmpty());
    }

    void aviInputs()
    {
        QTemporaryDir dir;
        for (const char *name : {"avi_mp3_mono.avi", "avi_dts_stereo.avi", "avi_no_audio.avi", "avi_two_audio.avi"})
            copyInto(dir, QStringLiteral("joblist/") + QLatin1String(name), QLatin1String(name));
        QVERIFY(!form()->AVIInput);

        // The library gives no audio count at all for a file without audio: that is no audio,
        // not several streams.
        const QString oneStream = QStringLiteral("Only files with one audio stream\r\ncan be added.");
        addThroughOpenDialog({dir.filePath("avi_no_audio.avi")});
        QCOMPARE(rows(), 0);
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages.at(0).text, QStringLiteral("avi_no_audio.avi holds no audio stream."));
        QVERIFY(!m_messages.at(0).error);

        addThroughOpenDialog({dir.filePath("avi_two_audio.avi")});
        QCOMPARE(rows(), 0);
        QCOMPARE(m_messages.size(), 2);
        QCOMPARE(m_messages.at(1).text, oneStream);
        QVERIFY(!form()->AVIInput);

        advanced<QWidget>("chSoundTouchTempo")->setEnabled(false);
        addThroughOpenDialog({dir.filePath("avi_mp3_mono.avi")});
        QCOMPARE(rows(), 1);
        QCOMPARE(row(0)->text(jcDescription), QStringLiteral("MP3 - 1Ch - 32.0 kb/s - 44.1 kHz - 00:00:01.045"));
        QCOMPARE(row(0)->text(jcDuration), QStringLiteral("1"));
        QCOMPARE(row(0)->checkState(jcCheck), Qt::Checked);
        QVERIFY(form()->AVIInput);
        QVERIFY(advanced<QWidget>("chSoundTouchTempo")->isEnabled());
        QCOMPARE(form()->ListDuration, 1.045);

        // DTS audio is listed but unticked.
        addThroughOpenDialog({dir.filePath("avi_dts_stereo.avi")});
        QCOMPARE(rows(), 2);
        QVERIFY(row(1)->text(jcDescription).startsWith(QStringLiteral("DTS - 2Ch - ")));
        QCOMPARE(row(1)->checkState(jcCheck), Qt::Unchecked);
        QCOMPARE(m_messages.size(), 2);

        // A file the library cannot read gives no answer either: no audio to take from it.
        writeFile(dir.filePath("junk.avi"), "not a movie at all");
        addThroughOpenDialog({dir.filePath("junk.avi")});
        QCOMPARE(rows(), 2);
        QCOMPARE(m_messages.size(), 3);
        QCOMPARE(m_messages.at(2).text, QStringLiteral("junk.avi holds no audio stream."));
    }

    // ---- List and mux files ----------------------------------------------------------------

    void listFileLinesAreDequotedAndDispatched()
    {
        QTemporaryDir dir;
        copyInto(dir, "audio/wav_sox_8k_stereo_s16.wav", "say \"hi\".wav");
        copyInto(dir, "audio/ac3_44k_stereo_96k.ac3", "plain.ac3");
        copyInto(dir, "audio/mp3_cbr128_stereo.mp3", "skipped.mp1");
        copyInto(dir, "audio/dts_48k_stereo.dts", "skipped.dts");
        copyInto(dir, "joblist/silence_30_6s.ogg", "quiet.OGG");
        const QByteArray folder = dir.path().toLocal8Bit() + '/';
        writeFile(dir.filePath("set.lst"),
                  "\"" + folder + "say \"\"hi\"\".wav\"\r\n" + folder + "plain.ac3\r\n\"" + folder
                      + "skipped.mp1\"\r\n\"" + folder + "skipped.dts\"\r\n\"" + folder + "quiet.OGG\"\r\n\r\n");

        addThroughOpenDialog({dir.filePath("set.lst")});
        QCOMPARE(rows(), 3);
        QCOMPARE(row(0)->text(jcFilename), QStringLiteral("say \"hi\".wav"));
        QCOMPARE(row(1)->text(jcFilename), QStringLiteral("plain.ac3"));
        QCOMPARE(row(2)->text(jcFilename), QStringLiteral("quiet.OGG"));
        QCOMPARE(row(2)->text(jcInputPath), dir.path() + QLatin1Char('/'));
        QCOMPARE(form()->Label1->text(), QStringLiteral("Duration: 30"));
        // The list-file writer's list was the line buffer: it holds the last (empty) line.
        auto *buffer = FileListWriter->findChild<QListWidget *>(QStringLiteral("FileList"));
        QCOMPARE(buffer->count(), 1);
        QCOMPARE(buffer->item(0)->text(), QString());
        QVERIFY(m_messages.isEmpty());
    }

    void missingListFileIsReported()
    {
        form()->OpenKDTFile(QByteArray("/nonexistent/folder/set.lst"));
        QCOMPARE(rows(), 0);
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(m_messages.at(0).error);
        QVERIFY(m_messages.at(0).text.contains(QStringLiteral("/nonexistent/folder/set.lst")));

        // A line naming a missing AC-3 file is reported; the rows before and after it stay.
        QTemporaryDir dir;
        copyInto(dir, "audio/wav_sox_8k_stereo_s16.wav", "a.wav");
        copyInto(dir, "audio/wav_sox_8k_stereo_s16.wav", "c.wav");
        writeFile(dir.filePath("gap.lst"), "\"" + dir.filePath("a.wav").toLocal8Bit() + "\"\r\n\"" + dir.filePath("gone.ac3").toLocal8Bit()
                                               + "\"\r\n\"" + dir.filePath("c.wav").toLocal8Bit() + "\"\r\n\r\n");
        form()->OpenKDTFile(dir.filePath("gap.lst").toLocal8Bit());
        QCOMPARE(rows(), 2);
        QCOMPARE(m_messages.size(), 2);
        QVERIFY(m_messages.at(1).error);
        QVERIFY(m_messages.at(1).text.contains(QStringLiteral("gone.ac3")));
    }

    // Whatever an add cannot take is told in one message box however many files it names: a list
    // of a thousand missing AC-3 files, the open dialog's many missing names, a drop. The rows
    // that load are added; the message tells how many failed and names the first few.
    void oneMessageForEveryAdd()
    {
        QTemporaryDir dir;
        copyInto(dir, "audio/wav_sox_8k_stereo_s16.wav", "first.wav");
        copyInto(dir, "audio/wav_sox_8k_stereo_s16.wav", "last.wav");
        QByteArray list = "\"" + dir.filePath("first.wav").toLocal8Bit() + "\"\r\n";
        QStringList missing;
        for (int i = 0; i < 1000; ++i) {
            missing << dir.filePath(QStringLiteral("gone%1.ac3").arg(i, 4, 10, QLatin1Char('0')));
            list += "\"" + missing.last().toLocal8Bit() + "\"\r\n";
        }
        list += "\"" + dir.filePath("last.wav").toLocal8Bit() + "\"\r\n";
        writeFile(dir.filePath("missing.lst"), list);

        const auto hook = std::exchange(TMainForm::MessageHook, nullptr);
        const auto restore = qScopeGuard([&] { TMainForm::MessageHook = hook; });
        {
            MessageBoxCounter boxes;
            addThroughOpenDialog({dir.filePath("missing.lst")});
            QCOMPARE(rows(), 2);
            QCOMPARE(row(1)->text(jcFilename), QStringLiteral("last.wav"));
            QCOMPARE(boxes.Count, 1);
            QVERIFY2(boxes.FirstText.startsWith(QStringLiteral("1000 not added")), qPrintable(boxes.FirstText));
            QVERIFY(boxes.FirstText.contains(QStringLiteral("gone0000.ac3")));
            QVERIFY(boxes.FirstText.contains(QStringLiteral("995 more")));
            QVERIFY(!boxes.FirstText.contains(QStringLiteral("gone0999.ac3")));
        }
        {
            // The open dialog's files, missing ones among real ones, and a list among them: one box.
            MessageBoxCounter boxes;
            addThroughOpenDialog(missing.mid(0, 50) + QStringList{dir.filePath("missing.lst"), dir.filePath("last.wav")});
            QCOMPARE(rows(), 5);
            QCOMPARE(boxes.Count, 1);
            QVERIFY2(boxes.FirstText.startsWith(QStringLiteral("1050 not added")), qPrintable(boxes.FirstText));
        }
        {
            MessageBoxCounter boxes;
            drop(missing.mid(0, 20) + QStringList{dir.filePath("first.wav")});
            QCOMPARE(rows(), 6);
            QCOMPARE(boxes.Count, 1);
            QVERIFY2(boxes.FirstText.startsWith(QStringLiteral("20 not added")), qPrintable(boxes.FirstText));
        }
        {
            // One failure alone is told as before.
            MessageBoxCounter boxes;
            addThroughOpenDialog({missing.first()});
            QCOMPARE(boxes.Count, 1);
            QVERIFY2(boxes.FirstText.contains(QStringLiteral("gone0000.ac3")), qPrintable(boxes.FirstText));
            QVERIFY(!boxes.FirstText.contains(QStringLiteral("not added")));
        }
    }

    // A name on disk that is not valid text in the system's encoding cannot be reached through
    // any text: each add tells such names by folder and count, never as a missing file, and the
    // other files are added.
    void namesThatAreNotTextAreTold()
    {
        QTemporaryDir dir;
        copyInto(dir, "audio/wav_sox_8k_stereo_s16.wav", "good.wav");
        const QByteArray folder8 = QFile::encodeName(dir.path());
        const QByteArray bad8 = folder8 + "/bad\xff\xfe.wav";
        {
            QFile fixture(Fixture("audio/wav_sox_8k_stereo_s16.wav"));
            QVERIFY(fixture.open(QIODevice::ReadOnly));
            const QByteArray wav = fixture.readAll();
            const int fd = ::open(bad8.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
            QVERIFY(fd >= 0);
            QCOMPARE(::write(fd, wav.constData(), size_t(wav.size())), ssize_t(wav.size()));
            ::close(fd);
        }
        const QString told = QStringLiteral("1 undecodable in %1").arg(dir.path());
        // The toolkit cannot remove a name it cannot spell.
        const auto removeBad = qScopeGuard([&] { ::unlink(bad8.constData()); });

        TMainForm::OpenDirDialogHook = [&](QWidget *) { return dir.path(); };
        form()->AddDirClick();
        QCOMPARE(rows(), 1);
        QCOMPARE(row(0)->text(jcFilename), QStringLiteral("good.wav"));
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages.at(0).text, told);

        // The open dialog shows such a name with replacement characters.
        form()->ClearList2Click();
        addThroughOpenDialog({QFile::decodeName(bad8), dir.filePath("good.wav")});
        QCOMPARE(rows(), 1);
        QCOMPARE(m_messages.size(), 2);
        QCOMPARE(m_messages.at(1).text, told);

        // A drop carries the name's bytes in its address.
        form()->ClearList2Click();
        QMimeData data;
        data.setUrls({QUrl::fromEncoded("file://" + QByteArray(bad8).toPercentEncoding("/")),
                      QUrl::fromLocalFile(dir.filePath("good.wav"))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form(), &enter);
        QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form(), &dropped);
        QCOMPARE(rows(), 1);
        QCOMPARE(m_messages.size(), 3);
        QCOMPARE(m_messages.at(2).text, told);
    }

    // The options' renaming reaches every ticked row whether or not a row is selected; a row
    // neither ticked nor selected keeps its name.
    void renamingNeedsNoSelectedRow()
    {
        QTemporaryDir dir;
        copyInto(dir, "audio/wav_sox_8k_stereo_s16.wav", "a.wav");
        copyInto(dir, "audio/wav_sox_8k_stereo_s16.wav", "b.wav");
        addThroughOpenDialog({dir.filePath("a.wav"), dir.filePath("b.wav")});
        QCOMPARE(row(0)->text(jcOutputFilename), QStringLiteral("a.mp3"));
        form()->PageControl1->setCurrentWidget(form()->TabSheet6);
        list()->clearSelection();
        list()->setCurrentItem(nullptr);
        row(1)->setCheckState(jcCheck, Qt::Unchecked);
        const QString untouched = row(1)->text(jcOutputFilename);
        form()->rbAIFFOutput->setChecked(true);
        form()->InOutFileNameOfSelectedRow();
        QCOMPARE(row(0)->text(jcOutputFilename), QStringLiteral("a.aif"));
        QCOMPARE(row(1)->text(jcOutputFilename), untouched);
        QCOMPARE(JobInputFolder, (dir.path() + QLatin1Char('/')).toLocal8Bit());
        form()->rbWAVOutput->setChecked(true);
    }

    void muxFileIsOneRowForItsWholeInput()
    {
        QTemporaryDir dir;
        QByteArray content;
        for (const char *channel : {"fl", "fr", "c", "lfe", "sl", "sr"}) {
            const QString name = QLatin1String(channel) + QStringLiteral(".wav");
            copyInto(dir, "audio/wav_sox_11k_mono_u8.wav", name);
            content += "\"" + dir.filePath(name).toLocal8Bit() + "\"\r\n";
        }
        writeFile(dir.filePath("five.mux"), content);

        addThroughOpenDialog({dir.filePath("five.mux")});
        QCOMPARE(rows(), 1);
        QCOMPARE(row(0)->text(jcFilename), QStringLiteral("five.mux"));
        QCOMPARE(row(0)->text(jcInputPath), dir.path() + QLatin1Char('/'));
        QCOMPARE(row(0)->text(jcDescription), QStringLiteral("WAV - 6 Ch - 529 kbps - 11025 hz - 00:00:00"));
        QCOMPARE(row(0)->text(jcOutputFilename), QStringLiteral("five.mp3"));
        const double seconds = TMainForm::RowSeconds(row(0));
        QVERIFY(seconds > 0.1);

        // Read again for its row (as a batch measures the job), it adds no second row.
        form()->ListDuration = 0;
        form()->OpenKDTFile(dir.filePath("five.mux").toLocal8Bit());
        QCOMPARE(rows(), 1);
        QCOMPARE(form()->ListDuration, seconds);
        QCOMPARE(form()->TotalDuration, seconds);
    }

    // ---- Folder, drops, totals, pop-up menu -----------------------------------------------

    void folderAddDoesNotLookIntoSubfolders()
    {
        QTemporaryDir dir;
        copyInto(dir, "audio/ac3_44k_stereo_96k.ac3", "a.ac3");
        copyInto(dir, "audio/wav_sox_8k_stereo_s16.wav", "b.wav");
        copyInto(dir, "audio/mp3_cbr128_stereo.mp3", "E.MP3");
        copyInto(dir, "audio/mp3_cbr128_stereo.mp3", "f.txt");
        QVERIFY(QDir(dir.path()).mkdir("sub"));
        copyInto(dir, "audio/wav_sox_8k_stereo_s16.wav", "sub/c.wav");

        form()->chOTADelay->setChecked(true);
        form()->edOTADelay->setText(QStringLiteral("40"));
        TMainForm::OpenDirDialogHook = [&](QWidget *) { return dir.path(); };
        form()->AddDirClick();
        QCOMPARE(rows(), 3);
        // The delay the user set stays.
        QCOMPARE(form()->edOTADelay->text(), QStringLiteral("40"));
        QVERIFY(form()->chOTADelay->isChecked());
        QCOMPARE(row(0)->text(jcFilename), QStringLiteral("a.ac3"));
        QCOMPARE(row(1)->text(jcFilename), QStringLiteral("b.wav"));
        QCOMPARE(row(2)->text(jcFilename), QStringLiteral("E.MP3"));
        for (int i = 0; i < rows(); ++i) {
            QCOMPARE(row(i)->checkState(jcCheck), Qt::Checked);
            QVERIFY(!row(i)->text(jcOutputFilename).isEmpty());
        }
        QVERIFY(form()->bbStartProcess->isEnabled());
        QCOMPARE(form()->Label1->text(), QStringLiteral("Duration: 0"));

        // A cancelled folder dialog still ticks every row of the list.
        row(1)->setCheckState(jcCheck, Qt::Unchecked);
        TMainForm::OpenDirDialogHook = [](QWidget *) { return QString(); };
        form()->AddDirClick();
        QCOMPARE(rows(), 3);
        QCOMPARE(row(1)->checkState(jcCheck), Qt::Checked);
    }

    void droppedFilesBecomeRows()
    {
        QTemporaryDir dir;
        copyInto(dir, "audio/ac3_48k_5ch1_384k.ac3", "Movie T01 3_2ch 448Kbps DELAY -66ms.ac3");
        copyInto(dir, "audio/wav_sox_8k_stereo_s16.wav", "b.wav");
        copyInto(dir, "joblist/silence_60s.ogg", "c.ogg");
        writeFile(dir.filePath("drop.lst"), "\"" + dir.filePath("c.ogg").toLocal8Bit() + "\"\r\n\r\n");
        form()->bbStartProcess->setEnabled(false);

        drop({dir.filePath("Movie T01 3_2ch 448Kbps DELAY -66ms.ac3"), dir.filePath("b.wav"), dir.filePath("drop.lst")});
        QCOMPARE(rows(), 3);
        QCOMPARE(row(2)->text(jcFilename), QStringLiteral("c.ogg"));
        QVERIFY(row(0)->isSelected());
        QVERIFY(form()->bbStartProcess->isEnabled());
        QCOMPARE(form()->Label1->text(), QStringLiteral("Duration: 60"));
        // The first row's delay is taken from its name.
        QCOMPARE(form()->edOTADelay->text(), QStringLiteral("-66"));
        QVERIFY(form()->chOTADelay->isChecked());
        // And its input options: AC-3 input ticks the dynamic compression.
        QVERIFY(form()->chAzidDC->isChecked());
    }

    // Linux paths run far past the old 255-character limit; a dropped file is taken whole as
    // long as the system can name it at all.
    void droppedLongPathsAreTaken()
    {
        QTemporaryDir dir;
        QString folder = dir.path();
        while (folder.toLocal8Bit().size() < 300)
            folder += QStringLiteral("/") + QString(60, QChar(0x00e9)); // two bytes each in UTF-8
        QVERIFY(QDir().mkpath(folder));
        const QString longName = folder + "/long DELAY 40ms.wav";
        QVERIFY(longName.toLocal8Bit().size() > 300);
        QVERIFY(QFile::copy(Fixture("audio/wav_sox_8k_stereo_s16.wav"), longName));
        copyInto(dir, "audio/wav_sox_8k_stereo_s16.wav", "short.wav");

        // A name longer than any path the system takes cannot be a file: it is left out quietly.
        const QString tooLong = dir.path() + "/" + QString(5000, QLatin1Char('x')) + ".wav";

        drop({longName, tooLong, dir.filePath("short.wav")});
        QCOMPARE(rows(), 2);
        QCOMPARE(row(0)->text(jcFilename), QStringLiteral("long DELAY 40ms.wav"));
        QCOMPARE(row(0)->text(jcInputPath), folder + "/");
        QCOMPARE(row(1)->text(jcFilename), QStringLiteral("short.wav"));
        QVERIFY(m_messages.isEmpty());
        // The long row is a whole job: named, and its command names the whole input path.
        QVERIFY(!row(0)->text(jcOutputFilename).isEmpty());
        QVERIFY(row(0)->text(jcCmd).contains(longName));
    }

    void totalsAndClearList()
    {
        QTemporaryDir dir;
        copyInto(dir, "joblist/silence_60s.ogg", "sixty.ogg");
        copyInto(dir, "joblist/silence_30_6s.ogg", "short.ogg");

        addThroughOpenDialog({dir.filePath("sixty.ogg"), dir.filePath("short.ogg")});
        QCOMPARE(rows(), 2);
        QCOMPARE(row(0)->text(jcDuration), QStringLiteral("60"));
        QCOMPARE(row(1)->text(jcDuration), QStringLiteral("31"));
        QCOMPARE(row(1)->text(jcDescription), QStringLiteral("Vorbis - Mono - 1 kbps - 8000 hz - 00:00:31"));
        QCOMPARE(form()->Label1->text(), QStringLiteral("Duration: 90"));
        QVERIFY(qAbs(form()->TotalDuration - 90.6) < 1e-6);

        // The next add goes on from the label's whole seconds; the total is what the rows hold.
        addThroughOpenDialog({dir.filePath("short.ogg")});
        QCOMPARE(form()->Label1->text(), QStringLiteral("Duration: 120"));
        QVERIFY(qAbs(form()->TotalDuration - 121.2) < 1e-6);

        form()->chOTADelay->setChecked(true);
        form()->edOTADelay->setEnabled(true);
        form()->edOTADelay->setText(QStringLiteral("25"));
        form()->ClearList2Click();
        QCOMPARE(rows(), 0);
        QCOMPARE(form()->Label1->text(), QStringLiteral("Label1"));
        QCOMPARE(form()->ListDuration, 0.0);
        QCOMPARE(form()->TotalDuration, 0.0);
        QVERIFY(!form()->bbStartProcess->isEnabled());
        QCOMPARE(form()->edOTADelay->text(), QStringLiteral("0"));
        QVERIFY(!form()->edOTADelay->isEnabled());
        QVERIFY(!form()->chOTADelay->isChecked());

        addThroughOpenDialog({dir.filePath("short.ogg")});
        QCOMPARE(form()->Label1->text(), QStringLiteral("Duration: 30"));
    }

    void removeUncheckedRemovesRowsAndTheirSeconds()
    {
        QTemporaryDir dir;
        copyInto(dir, "joblist/silence_60s.ogg", "sixty.ogg");
        copyInto(dir, "joblist/silence_30_6s.ogg", "short.ogg");
        copyInto(dir, "audio/wav_sox_8k_stereo_s16.wav", "tiny.wav");
        addThroughOpenDialog({dir.filePath("sixty.ogg"), dir.filePath("short.ogg"), dir.filePath("tiny.wav")});
        QCOMPARE(form()->Label1->text(), QStringLiteral("Duration: 90"));

        form()->CheckNone2Click();
        for (int i = 0; i < rows(); ++i)
            QCOMPARE(row(i)->checkState(jcCheck), Qt::Unchecked);
        form()->Check1Click();
        row(0)->setCheckState(jcCheck, Qt::Unchecked);
        form()->RemoveUnchecked2Click();
        QCOMPARE(rows(), 2);
        QCOMPARE(row(0)->text(jcFilename), QStringLiteral("short.ogg"));
        QCOMPARE(form()->Label1->text(), QStringLiteral("Duration: 30"));
        QVERIFY(qAbs(form()->TotalDuration - (30.6 + TMainForm::RowSeconds(row(1)))) < 1e-6);

        form()->CheckNone2Click();
        form()->RemoveUnchecked2Click();
        QCOMPARE(rows(), 0);
        QCOMPARE(form()->Label1->text(), QStringLiteral("Label1"));
        QCOMPARE(form()->TotalDuration, 0.0);
        QVERIFY(!form()->bbStartProcess->isEnabled());
    }

    // ---- Output naming ----------------------------------------------------------------------

    void namesAreUniqueInTheOutputFolder()
    {
        QTemporaryDir dir;
        copyInto(dir, "audio/wav_sox_8k_stereo_s16.wav", "a.wav");
        copyInto(dir, "audio/wav_sox_8k_stereo_s16.wav", "b.wav");
        copyInto(dir, "audio/wav_sox_8k_stereo_s16.wav", "c.wav");
        copyInto(dir, "joblist/silence_30_6s.ogg", "a.ogg");
        writeFile(dir.filePath("a.mp3"), "an earlier output");
        // The process's current folder is not where the outputs go.
        writeFile(QDir::current().filePath("b.mp3"), "unrelated");

        addThroughOpenDialog({dir.filePath("a.wav"), dir.filePath("b.wav"), dir.filePath("c.wav"), dir.filePath("a.ogg")});
        QCOMPARE(row(0)->text(jcOutputFilename), QStringLiteral("a_1.mp3"));
        QCOMPARE(row(1)->text(jcOutputFilename), QStringLiteral("b.mp3"));
        QCOMPARE(row(2)->text(jcOutputFilename), QStringLiteral("c.mp3"));
        // Two jobs of one pass never get the same output.
        QCOMPARE(row(3)->text(jcOutputFilename), QStringLiteral("a_2.mp3"));
        QCOMPARE(JobInputName, QByteArray("a.ogg"));
        QCOMPARE(JobOutputName, QByteArray("a_2.mp3"));

        // A row neither ticked nor selected keeps its name.
        row(2)->setCheckState(jcCheck, Qt::Unchecked);
        row(2)->setSelected(false);
        form()->PageControl1->setCurrentWidget(form()->TabSheet5); // VORBIS
        form()->InOutFileName(QByteArray());
        QCOMPARE(row(0)->text(jcOutputFilename), QStringLiteral("a_1.ogg"));
        QCOMPARE(row(1)->text(jcOutputFilename), QStringLiteral("b.ogg"));
        QCOMPARE(row(2)->text(jcOutputFilename), QStringLiteral("c.mp3"));
        QFile::remove(QDir::current().filePath("b.mp3"));
    }

    void namingByPageAndEngine()
    {
        QTemporaryDir dir;
        copyInto(dir, "audio/ac3_44k_stereo_96k.ac3", "movie.ac3");
        copyInto(dir, "audio/wav_sox_8k_stereo_s16.wav", "x.wav");
        copyInto(dir, "audio/ac3_44k_stereo_96k.ac3", "other.ac3");
        writeFile(dir.filePath("other 3.ac3"), "an earlier output");
        addThroughOpenDialog({dir.filePath("movie.ac3"), dir.filePath("x.wav"), dir.filePath("other.ac3")});

        // AC-3 input on the AC3 page is numbered by its visit; other input gets ".ac3". A
        // numbered name that exists is not overwritten either.
        form()->PageControl1->setCurrentWidget(form()->TabSheet2);
        form()->InOutFileName(QByteArray());
        QCOMPARE(row(0)->text(jcOutputFilename), QStringLiteral("movie 1.ac3"));
        QCOMPARE(row(1)->text(jcOutputFilename), QStringLiteral("x.ac3"));
        QCOMPARE(row(2)->text(jcOutputFilename), QStringLiteral("other 3_1.ac3"));

        // FAAC: MP4 wrapping switches ".aac" to ".m4a".
        auto *toMP4 = form()->findChild<QCheckBox *>(QStringLiteral("chAACtoMP4"));
        QVERIFY(toMP4);
        form()->PageControl1->setCurrentWidget(form()->TabSheet1);
        form()->cbAACEncEngine->setCurrentIndex(1);
        toMP4->setChecked(false);
        form()->InOutFileName(QByteArray());
        QCOMPARE(row(1)->text(jcOutputFilename), QStringLiteral("x.aac"));
        toMP4->setChecked(true);
        form()->InOutFileName(QByteArray());
        QCOMPARE(row(1)->text(jcOutputFilename), QStringLiteral("x.m4a"));

        form()->PageControl1->setCurrentWidget(form()->TabSheet6);
        form()->rbAIFFOutput->setChecked(true);
        form()->InOutFileName(QByteArray());
        QCOMPARE(row(0)->text(jcOutputFilename), QStringLiteral("movie.aif"));
        form()->rbWAVOutput->setChecked(true);
        form()->InOutFileName(QByteArray());
        // x.wav exists beside its input: the WAV output is never the input itself.
        QCOMPARE(row(1)->text(jcOutputFilename), QStringLiteral("x_1.wav"));

        // With an empty list only the save dialog's name sets the job names.
        form()->ClearList2Click();
        SaveDialog1FileName = dir.filePath("chosen.mp3");
        form()->InOutFileName(QByteArray("ignored/x.wav"));
        QCOMPARE(JobInputName, QByteArray());
        QCOMPARE(JobOutputFolder, (dir.path() + QLatin1Char('/')).toLocal8Bit());
        QCOMPARE(JobOutputName, QByteArray("chosen.mp3"));
    }

    void saveDialogProposesAndKeepsTheName()
    {
        // No rows, or no selected row: nothing happens.
        form()->Save1Click();
        QCOMPARE(m_saveCalls, 0);
        QTemporaryDir dir;
        copyInto(dir, "audio/wav_sox_8k_stereo_s16.wav", "a.wav");
        writeFile(dir.filePath("a.mp3"), "an earlier output");
        addThroughOpenDialog({dir.filePath("a.wav")});
        list()->clearSelection();
        form()->Save1Click();
        QCOMPARE(m_saveCalls, 0);

        row(0)->setSelected(true);
        LanguageStrings.SaveDialog_MP3 = QStringLiteral("MP3 files");
        form()->Save1Click(); // cancelled
        QCOMPARE(m_saveCalls, 1);
        QCOMPARE(m_saveProposed, dir.filePath("a_1.mp3"));
        QCOMPARE(m_saveFilters, QStringList{QStringLiteral("MP3 files (*.mp3)")});
        QCOMPARE(m_saveSuffix, QStringLiteral("mp3"));
        QCOMPARE(row(0)->text(jcOutputPath), dir.path() + QLatin1Char('/'));
        QCOMPARE(row(0)->text(jcOutputFilename), QStringLiteral("a_1.mp3"));

        QTemporaryDir elsewhere;
        m_saveAnswer = elsewhere.filePath("mine.mp3");
        form()->Save1Click();
        QCOMPARE(row(0)->text(jcOutputPath), elsewhere.path() + QLatin1Char('/'));
        QCOMPARE(row(0)->text(jcOutputFilename), QStringLiteral("mine.mp3"));
        form()->InOutFileName(QByteArray());
        QCOMPARE(JobOutputFolder, (elsewhere.path() + QLatin1Char('/')).toLocal8Bit());
        QCOMPARE(JobOutputName, QByteArray("mine.mp3"));

        m_saveAnswer.clear();
        form()->PageControl1->setCurrentWidget(form()->LosslessTab);
        form()->Save1Click();
        QCOMPARE(m_saveProposed, dir.filePath("a.flac"));
        QCOMPARE(m_saveSuffix, QStringLiteral("flac"));
    }

    // ---- Delay and input options ----------------------------------------------------------

    void detectDelaySetsTheDelayOption()
    {
        form()->DetectDelay(QByteArray("/films/Movie T01 3_2ch 448Kbps DELAY -66ms.ac3"), form()->edOTADelay);
        QCOMPARE(form()->edOTADelay->text(), QStringLiteral("-66"));
        QVERIFY(form()->edOTADelay->isEnabled());
        QVERIFY(form()->lbOTADelay->isEnabled());
        QVERIFY(form()->chOTADelay->isChecked());

        form()->DetectDelay(QByteArray("My Film.ac3"), form()->edOTADelay);
        QCOMPARE(form()->edOTADelay->text(), QStringLiteral("0"));
        QVERIFY(!form()->edOTADelay->isEnabled());
        QVERIFY(!form()->lbOTADelay->isEnabled());
        QVERIFY(!form()->chOTADelay->isChecked());

        form()->DetectDelay(QByteArray("a.ac3"), form()->edOTADelay);
        QCOMPARE(form()->edOTADelay->text(), QStringLiteral("0"));

        // A number inside a name, or in a folder's name, is no delay.
        for (const char *name : {"Album 1999 A.mp3", "/media/Season 1/b.ac3"}) {
            form()->DetectDelay(QByteArray("x DELAY 40ms.ac3"), form()->edOTADelay);
            QVERIFY(form()->chOTADelay->isChecked());
            form()->DetectDelay(QByteArray(name), form()->edOTADelay);
            QCOMPARE(form()->edOTADelay->text(), QStringLiteral("0"));
            QVERIFY2(!form()->chOTADelay->isChecked(), name);
        }
    }

    void inputTypeOptions()
    {
        const char *pcmBoxes[] = {"chLFEtoLR", "chOutputMode", "chDNR", "chNormalize", "chRearChan", "chManGain"};
        auto tempo = advanced<QCheckBox>("chSoundTouchTempo");
        tempo->setEnabled(true);
        tempo->setChecked(true);
        form()->chAzidDC->setChecked(false);
        form()->WAVasInput(QByteArray("/x/Film.AC3"));
        QVERIFY(form()->chAzidDC->isChecked());
        QVERIFY(!tempo->isChecked());
        QVERIFY(!tempo->isEnabled());

        for (const char *name : pcmBoxes)
            advanced<QCheckBox>(name)->setChecked(true);
        form()->WAVasInput(QByteArray("/x/five.mux"));
        QVERIFY(!form()->chAzidDC->isChecked());
        for (const char *name : pcmBoxes)
            QVERIFY2(!advanced<QCheckBox>(name)->isChecked(), name);

        form()->chAzidDC->setChecked(true);
        advanced<QCheckBox>("chDNR")->setChecked(true);
        form()->WAVasInput(QByteArray("/x/movie.avi"));
        QVERIFY(form()->chAzidDC->isChecked());
        QVERIFY(advanced<QCheckBox>("chDNR")->isChecked());
    }
};

QTEST_MAIN(TestJobListWindow)
#include "tst_joblist_window.moc"
