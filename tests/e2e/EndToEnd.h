#pragma once

// The whole program, end to end: the windows as main creates them, the job list filled through its
// own add operation, options set on the real controls, batches run through the real runner and the
// build's transcoder and 5.1 MP3 encoder, and every output file checked twice: with the program's
// own audio readers and with ffprobe. What the end-to-end test programs share: the two readings
// of an output, the table of pages and output modes, and the window set up for each test.

#include "BatchWindow.h"
#include "ToneWav.h"
#include "AACfile.h"
#include "AC3.h"
#include "JobRow.h"
#include "LanguageStrings.h"
#include "MPEGaudio.h"
#include "OggVorbis.h"
#include "SideToolSupport.h"
#include "UAdvanced.h"
#include "UExeBrowser.h"
#include "UFileLstWriter.h"
#include "UKDmuxFile.h"
#include "UMain.h"
#include "UMainGlobals.h"
#include "UProgress.h"
#include "WAVfile.h"
#include "ZolvaneApp.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QProcess>
#include <QScopeGuard>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSet>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <cmath>
#include <algorithm>
#include <cstdlib>
#include <functional>

// What ffprobe tells of a file's first audio stream.
struct Probe {
    bool ok = false;
    QString format;    // the container, as "mp3", "ogg", "ac3", "wav", "flac"
    QString codec;     // the stream's codec
    int channels = 0;
    int sampleRate = 0;
    double duration = 0.0;
    QString error;
};

inline Probe FFprobe(const QString &file)
{
    Probe p;
    QProcess probe;
    probe.start(QStringLiteral("ffprobe"),
                {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-count_packets"), QStringLiteral("-select_streams"), QStringLiteral("a:0"),
                 QStringLiteral("-show_entries"),
                 QStringLiteral("stream=codec_name,channels,sample_rate,duration,nb_read_packets:format=format_name,duration"),
                 QStringLiteral("-of"), QStringLiteral("json"), file});
    if (!probe.waitForFinished(20000) || probe.exitCode() != 0) {
        p.error = QString::fromLocal8Bit(probe.readAllStandardError());
        return p;
    }
    const QJsonObject root = QJsonDocument::fromJson(probe.readAllStandardOutput()).object();
    const QJsonArray streams = root.value(QStringLiteral("streams")).toArray();
    if (streams.isEmpty()) {
        p.error = QStringLiteral("no audio stream");
        return p;
    }
    const QJsonObject s = streams.first().toObject();
    const QJsonObject f = root.value(QStringLiteral("format")).toObject();
    p.ok = true;
    p.format = f.value(QStringLiteral("format_name")).toString();
    p.codec = s.value(QStringLiteral("codec_name")).toString();
    p.channels = s.value(QStringLiteral("channels")).toInt();
    p.sampleRate = s.value(QStringLiteral("sample_rate")).toString().toInt();
    // The stream's own duration where the container gives one, else the container's.
    const QString streamDuration = s.value(QStringLiteral("duration")).toString();
    p.duration = (streamDuration.isEmpty() ? f.value(QStringLiteral("duration")).toString() : streamDuration).toDouble();
    // An ADTS stream has no length of its own and ffprobe only estimates one from the bit rate:
    // its frames of 1024 samples give the true length.
    if (p.format == QLatin1String("aac") && p.sampleRate > 0)
        p.duration = s.value(QStringLiteral("nb_read_packets")).toString().toDouble() * 1024.0 / p.sampleRate;
    return p;
}


// The SHA-256 of the file's bytes; empty when it cannot be read.
inline QByteArray Sha256Of(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// The peak of a 16-bit PCM WAV file, 1.0 being full scale; -1 when the file is no such WAV.
inline double PeakOfWav(const QString &path)
{
    TWAVfile w;
    if (!w.ReadFromFile(path.toLocal8Bit().toStdString()) || !w.Valid() || w.BitsPerSample() != 16)
        return -1.0;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1.0;
    const QByteArray bytes = f.readAll();
    const int data = bytes.indexOf("data");
    if (data < 0)
        return -1.0;
    int peak = 0;
    const auto *samples = reinterpret_cast<const qint16 *>(bytes.constData() + data + 8);
    const qsizetype count = (bytes.size() - data - 8) / 2;
    for (qsizetype i = 0; i < count; ++i)
        peak = std::max(peak, std::abs(int(samples[i])));
    return peak / 32767.0;
}

// What the program's own reader of the output's type tells of it.
struct Reading {
    bool valid = false;
    int channels = 0;
    int sampleRate = 0;
    int bitRate = 0; // kbit/s where the reader gives one
    double duration = 0.0;
    QString detail;
};

enum class Reader { MPEG, Vorbis, AC3, WAV, AAC, None };

inline Reading ReadWithOwnReader(Reader reader, const QString &file)
{
    Reading r;
    const std::string name = file.toLocal8Bit().toStdString();
    switch (reader) {
    case Reader::MPEG: {
        TMPEGaudio m;
        m.ReadFromFile(name);
        r.valid = m.Valid();
        r.channels = m.ChannelMode() == "Mono" ? 1 : 2;
        r.sampleRate = m.SampleRate();
        r.bitRate = m.BitRate();
        r.duration = m.Duration();
        r.detail = QString::fromStdString(m.ChannelMode());
        break;
    }
    case Reader::Vorbis: {
        TOggVorbis o;
        o.ReadFromFile(name);
        r.valid = o.Valid();
        r.channels = o.Channels();
        r.sampleRate = o.SampleRate();
        r.bitRate = o.BitRateNominal();
        r.duration = o.Duration();
        break;
    }
    case Reader::AC3: {
        TAC3 a;
        a.ReadFromFile(name);
        r.valid = a.Valid();
        r.channels = a.Channels();
        r.sampleRate = a.SampleRate();
        r.bitRate = a.BitRate();
        r.duration = a.Duration();
        break;
    }
    case Reader::WAV: {
        TWAVfile w;
        w.ReadFromFile(name);
        r.valid = w.Valid();
        r.channels = w.Channels();
        r.sampleRate = int(w.SampleRate());
        r.bitRate = w.BitsPerSample(); // the sample size stands in for a bit rate
        r.duration = w.Duration();
        break;
    }
    case Reader::AAC: {
        TAACfile a;
        a.ReadFromFile(name);
        r.valid = a.Valid();
        r.channels = a.Channels();
        r.sampleRate = a.SampleRate();
        r.bitRate = a.BitRate() / 1000;
        r.duration = a.Duration();
        break;
    }
    case Reader::None:
        r.valid = true;
        break;
    }
    return r;
}

// One job of the table: the input, how the controls are set, what the output must be.
struct PageCase {
    const char *name;
    const char *input;
    std::function<void(TMainForm *, TAdvancedSet *)> setOptions;
    const char *extension;  // of the output file name
    const char *format;     // ffprobe's container name (a prefix of it)
    const char *codec;      // ffprobe's codec name
    int channels;
    int sampleRate;
    double seconds;         // the length the options ask for
    Reader reader;
    int readerChannels;     // what the own reader must give as channels (0: not checked)
    int readerBitRate;      // what the own reader must give as bit rate (0: not checked)
    double readerTolerance; // how far the own reader's duration may lie off (0: not checked)
};

// The MPEG audio reader measures whole frames, the encoder's delay and padding and the frame of
// the encoder's information tag included: up to three frames more than the audio.
constexpr double MpegFrames = 0.08;

template <typename T>
T *Control(QObject *window, const char *name)
{
    T *c = window->findChild<T *>(QLatin1String(name));
    if (!c)
        qFatal("no control %s", name);
    return c;
}

inline void Tick(QObject *window, const char *name, bool on = true)
{
    Control<QAbstractButton>(window, name)->setChecked(on);
}

inline void SetText(QObject *window, const char *name, const QString &text)
{
    Control<QLineEdit>(window, name)->setText(text);
}

// The MP3 page with the LAME engine at a constant bit rate.
inline void Mp3Cbr(TMainForm *m, int kbps)
{
    m->PageControl1->setCurrentWidget(m->TabSheet4);
    m->rbMP3Ch2->setChecked(true);
    m->rbMP3Bitrate->setChecked(true);
    Tick(m->LameFrame1, "chMP3ABR");
    Control<QAbstractSlider>(m->LameFrame1, "MP3TrackBar_Bitrate")->setValue(kbps);
}

inline const QList<PageCase> &PageCases()
{
    static const QList<PageCase> cases = {
        {"MP3 constant 128 kbit/s, partial encoding 0.5 s to 2 s", "e2e/tone3s_stereo.ogg",
         [](TMainForm *m, TAdvancedSet *a) {
             Mp3Cbr(m, 128);
             Tick(a, "chPartialEncStart");
             SetText(a, "edPartialEncStart", QStringLiteral("0.5"));
             Tick(a, "chPartialEncEnd");
             SetText(a, "edPartialEncEnd", QStringLiteral("2"));
         },
         ".mp3", "mp3", "mp3", 2, 44100, 1.5, Reader::MPEG, 2, 128, MpegFrames},
        {"MP3 mono with 500 ms of silence appended", "e2e/tone3s_stereo.ogg",
         [](TMainForm *m, TAdvancedSet *a) {
             Mp3Cbr(m, 64);
             Tick(m->LameFrame1, "chMP3Mono");
             Tick(a, "chAppendSilence");
             SetText(a, "edAppendSilence", QStringLiteral("500"));
         },
         ".mp3", "mp3", "mp3", 1, 44100, 3.5, Reader::MPEG, 1, 64, MpegFrames},
        {"MP3 resampled to 48 kHz", "e2e/tone3s_stereo.ogg",
         [](TMainForm *m, TAdvancedSet *) {
             Mp3Cbr(m, 128);
             m->chSSRC->setChecked(true);
             m->cbSSRC->setCurrentText(QStringLiteral("48000"));
         },
         ".mp3", "mp3", "mp3", 2, 48000, 3.0, Reader::MPEG, 2, 128, MpegFrames},
        {"Vorbis with its start cut by the delay in its name", "e2e/tone3s DELAY -750ms.ogg",
         [](TMainForm *m, TAdvancedSet *) {
             m->PageControl1->setCurrentWidget(m->TabSheet5);
             m->rbVORBISOutputCh2->setChecked(true);
             m->rbVORBISQuality->setChecked(true);
             m->chOTADelay->setChecked(true);
             m->edOTADelay->setText(QStringLiteral("0"));
         },
         ".ogg", "ogg", "vorbis", 2, 44100, 2.25, Reader::Vorbis, 2, 0, 0.05},
        {"MP2 192 kbit/s", "e2e/tone3s_stereo.ogg",
         [](TMainForm *m, TAdvancedSet *) {
             m->PageControl1->setCurrentWidget(m->TabSheet3);
             m->rbMP2TooLame->setChecked(true);
             m->MP2TrackBar->setValue(6); // 192 kbit/s
         },
         ".mp2", "mp3", "mp2", 2, 44100, 3.0, Reader::MPEG, 2, 192, MpegFrames},
        {"Vorbis quality, frame rate 25 to 24", "e2e/tone3s_stereo.ogg",
         [](TMainForm *m, TAdvancedSet *a) {
             m->PageControl1->setCurrentWidget(m->TabSheet5);
             m->rbVORBISOutputCh2->setChecked(true);
             m->rbVORBISQuality->setChecked(true);
             m->VORBISScrollBar->setValue(3000);
             Tick(a, "chSoundTouchFRC");
             SetText(a, "ed1SoundTouchFRC", QStringLiteral("25"));
             SetText(a, "ed2SoundTouchFRC", QStringLiteral("24"));
         },
         ".ogg", "ogg", "vorbis", 2, 44100, 3.0 * 25.0 / 24.0, Reader::Vorbis, 2, 0, 0.05},
        {"Vorbis from WAV, frame rate 24 to 25", "tools/stereo8k.wav",
         [](TMainForm *m, TAdvancedSet *a) {
             m->PageControl1->setCurrentWidget(m->TabSheet5);
             m->rbVORBISOutputCh2->setChecked(true);
             m->rbVORBISQuality->setChecked(true);
             m->VORBISScrollBar->setValue(3000);
             SetText(a, "ed1SoundTouchFRC", QStringLiteral("24"));
             SetText(a, "ed2SoundTouchFRC", QStringLiteral("25"));
             Tick(a, "chSoundTouchFRC");
         },
         ".ogg", "ogg", "vorbis", 2, 8000, 0.5 * 24.0 / 25.0, Reader::Vorbis, 2, 0, 0.05},
        {"AC-3 encoder stereo with 1 s of silence appended", "e2e/tone3s_stereo.ogg",
         [](TMainForm *m, TAdvancedSet *a) {
             m->PageControl1->setCurrentWidget(m->TabSheet2);
             m->rbAC3Enc->setChecked(true);
             m->rbAC3OutputCh2->setChecked(true);
             Tick(a, "chAppendSilence");
             SetText(a, "edAppendSilence", QStringLiteral("1000"));
         },
         ".ac3", "ac3", "ac3", 2, 44100, 4.0, Reader::AC3, 2, 0, 0.05},
        {"Aften 5.1 from 5.1 AC-3", "tools/six.ac3",
         [](TMainForm *m, TAdvancedSet *) {
             m->PageControl1->setCurrentWidget(m->TabSheet2);
             m->rbAften->setChecked(true);
             m->rbAC3OutputCh6->setChecked(true);
         },
         ".ac3", "ac3", "ac3", 6, 48000, 1.024, Reader::AC3, 5, 0, 0.05},
        {"WAV 16-bit stereo, tempo +25 %", "e2e/tone3s_stereo.ogg",
         [](TMainForm *m, TAdvancedSet *a) {
             m->PageControl1->setCurrentWidget(m->TabSheet6);
             m->rbWAVOutput->setChecked(true);
             m->rbWAVOutput2->setChecked(true);
             Control<QSpinBox>(a, "SpEdtSoundTouchTempo")->setValue(25);
             Tick(a, "chSoundTouchTempo");
         },
         ".wav", "wav", "pcm_s16le", 2, 44100, 3.0 / 1.25, Reader::WAV, 2, 16, 0.05},
        {"WAV 16-bit 5.1 from 5.1 AC-3", "tools/six.ac3",
         [](TMainForm *m, TAdvancedSet *) {
             m->PageControl1->setCurrentWidget(m->TabSheet6);
             m->rbWAVOutput->setChecked(true);
             m->rbWAVOutput1->setChecked(true);
         },
         ".wav", "wav", "pcm_s16le", 6, 48000, 1.024, Reader::WAV, 6, 16, 0.05},
        {"AIFF 5.1 from 5.1 AC-3", "tools/six.ac3",
         [](TMainForm *m, TAdvancedSet *) {
             m->PageControl1->setCurrentWidget(m->TabSheet6);
             m->rbAIFFOutput->setChecked(true);
             m->rbWAVOutput1->setChecked(true);
         },
         ".aif", "aiff", "pcm_s16be", 6, 48000, 1.024, Reader::None, 0, 0, 0.0},
        {"Lossless stereo", "e2e/tone3s_stereo.ogg",
         [](TMainForm *m, TAdvancedSet *) {
             m->PageControl1->setCurrentWidget(m->LosslessTab);
             m->rbLossless2Ch->setChecked(true);
             m->FlakeTrackBar->setValue(5);
         },
         ".flac", "flac", "flac", 2, 44100, 3.0, Reader::None, 0, 0, 0.0},
        {"AAC through FAAC", "e2e/tone3s_stereo.ogg",
         [](TMainForm *m, TAdvancedSet *) {
             m->PageControl1->setCurrentWidget(m->TabSheet1);
             m->rbAACOutputCh2->setChecked(true);
             m->cbAACEncEngine->setCurrentIndex(1);
         },
         ".aac", "aac", "aac", 2, 44100, 3.0, Reader::AAC, 2, 0, 0.0},
        {"AAC in MP4 through FAAC", "e2e/tone3s_stereo.ogg",
         [](TMainForm *m, TAdvancedSet *) {
             m->PageControl1->setCurrentWidget(m->TabSheet1);
             m->rbAACOutputCh2->setChecked(true);
             m->cbAACEncEngine->setCurrentIndex(1);
             Tick(m->FaacFrame1, "chAACtoMP4");
         },
         ".m4a", "mov,mp4", "aac", 2, 44100, 3.0, Reader::None, 0, 0, 0.0},
        {"AAC in MP4 through Nero", "e2e/tone3s_stereo.ogg",
         [](TMainForm *m, TAdvancedSet *) {
             m->PageControl1->setCurrentWidget(m->TabSheet1);
             m->rbAACOutputCh2->setChecked(true);
             m->cbAACEncEngine->setCurrentIndex(2);
         },
         ".m4a", "mov,mp4", "aac", 2, 44100, 3.0, Reader::None, 0, 0, 0.0},
        {"Lossless 5.1 from 5.1 AC-3", "tools/six.ac3",
         [](TMainForm *m, TAdvancedSet *) {
             m->PageControl1->setCurrentWidget(m->LosslessTab);
             m->rbLossless6Ch->setChecked(true);
         },
         ".flac", "flac", "flac", 6, 48000, 1.024, Reader::None, 0, 0, 0.0},
        {"Speex by quality", "e2e/tone3s_stereo.ogg",
         [](TMainForm *m, TAdvancedSet *) {
             m->PageControl1->setCurrentWidget(m->TabSheet7);
             m->rbSpeexQuality->setChecked(true);
             m->SpeexQualityTrackBar->setValue(6);
         },
         ".spx", "ogg", "speex", 2, 32000, 3.0, Reader::None, 0, 0, 0.0},
    };
    return cases;
}

// Output modes that the page table above does not run.
inline const QList<PageCase> &OtherOutputCases()
{
    static const QList<PageCase> cases = {
        {"DD-WAV from 5.1 AC-3", "tools/six.ac3",
         [](TMainForm *m, TAdvancedSet *) {
             m->PageControl1->setCurrentWidget(m->TabSheet6);
             m->rbDDWAVOutput->setChecked(true);
         },
         ".wav", "wav", "ac3", 6, 48000, 1.024, Reader::None, 0, 0, 0.0},
        {"AAC through the 3GPP reference encoder", "e2e/tone3s_stereo.ogg",
         [](TMainForm *m, TAdvancedSet *) {
             m->PageControl1->setCurrentWidget(m->TabSheet1);
             m->rbAACOutputCh2->setChecked(true);
             m->cbAACEncEngine->setCurrentIndex(0);
             emit m->cbAACEncEngine->activated(0);
         },
         ".m4a", "mov,mp4", "aac", 2, 44100, 3.0, Reader::None, 0, 0, 0.0},
        {"AAC through the Winamp plug-in", "e2e/tone3s_stereo.ogg",
         [](TMainForm *m, TAdvancedSet *) {
             m->PageControl1->setCurrentWidget(m->TabSheet1);
             m->rbAACOutputCh2->setChecked(true);
             m->cbAACEncEngine->setCurrentIndex(3);
             emit m->cbAACEncEngine->activated(3);
         },
         ".aac", "aac", "aac", 2, 44100, 3.0, Reader::None, 0, 0, 0.0},
        {"MP3 5.1 through Aud-X", "tools/six.ac3",
         [](TMainForm *m, TAdvancedSet *) {
             m->PageControl1->setCurrentWidget(m->TabSheet4);
             m->rbMP3Ch6->setChecked(true);
         },
         ".mp3", "mp3", "mp3", 6, 48000, 1.024, Reader::None, 0, 0, 0.0},
    };
    return cases;
}

// The windows and the helpers every end-to-end test program starts from: a test class derives
// from it and adds its test functions as private slots; the windows are made once for them all,
// and put back after each.
class EndToEndTest : public QObject, public BatchWindowTest
{
    Q_OBJECT

protected:
    QStringList m_messages;

    // A fresh folder with copies of the fixtures; gives the copy of the first.
    QString freshInput(const QString &fixture, const QStringList &companions = {})
    {
        return freshInputs(QStringList{fixture} + companions).first();
    }

    // A fresh job folder with "movie.wav" and "other.wav", a second of tone each, added as two rows.
    void addMovieAndOther()
    {
        m_jobs.reset(new QTemporaryDir);
        const QString movie = m_jobs->filePath(QStringLiteral("movie.wav"));
        const QString other = m_jobs->filePath(QStringLiteral("other.wav"));
        QVERIFY(WriteToneWav(movie, 1));
        QVERIFY(WriteToneWav(other, 1));
        addFiles({movie, other});
        QCOMPARE(list()->topLevelItemCount(), 2);
    }

    // Row `i` alone selected, and `name` chosen for it in the save dialog.
    void saveRowAs(int i, const QString &name)
    {
        TMainForm::SaveDialog1Hook = [name](QWidget *, const QStringList &, const QString &, const QString &) {
            return name;
        };
        list()->clearSelection();
        list()->setCurrentItem(row(i));
        row(i)->setSelected(true);
        form()->Save1Click();
        TMainForm::SaveDialog1Hook = nullptr;
    }

    // Every advanced option back to off, so that each case asks only for what it sets.
    void resetAdvanced()
    {
        for (const char *box : {"chPartialEncStart", "chPartialEncEnd", "chAppendSilence", "chSoundTouchFRC",
                                "chSoundTouchTempo", "chSoundTouchPitch", "chSoundTouchRate", "chSoundTouchQuicker",
                                "chSoundTouchDisAntiAlias", "chEqualizer", "chNormalize", "chManGain"})
            Tick(AdvancedSet, box, false);
        SoundTouchFRCArg.clear();
        SoundTouchTempoArg.clear();
        Tick(form()->LameFrame1, "chMP3Mono", false);
        Tick(form()->FaacFrame1, "chAACtoMP4", false);
    }

    // The final report of a batch whose jobs all succeeded, and the progress frame at its end.
    void verifyDoneReport()
    {
        QCOMPARE(hint(), QStringLiteral("Done"));
        QVERIFY(frame()->SpeedButtonStop->isHidden());
        QVERIFY(!frame()->SpeedButtonQuit->isHidden());
        QCOMPARE(frame()->ProgressBar1->value(), 0);
        QCOMPARE(frame()->ProgressBar2->value(), 0);
        QCOMPARE(frame()->lbTotalPercent->text(), QStringLiteral("00,00 %"));
        QCOMPARE(frame()->lbTotalRemainingVal->text(), QStringLiteral("00:00:00"));
        QVERIFY(!form()->Timer1->isActive());
        QVERIFY(!form()->Timer2->isActive());
        QCOMPARE(form()->windowTitle(), QStringLiteral("Zolvane"));
        const QStringList texts = batchLogTexts();
        QVERIFY2(!texts.isEmpty() && texts.last() == LanguageStrings.TranscodingFinished, qPrintable(texts.join('|')));
    }

    // Each job's WAV output is a valid WAV file lasting what was asked: WAV lengths are exact to
    // the sample, so a stray millisecond shows.
    void verifyWavLengths(const QList<double> &asked)
    {
        for (int i = 0; i < asked.size(); ++i) {
            const Reading r = ReadWithOwnReader(Reader::WAV, outputOf(i));
            QVERIFY2(r.valid && qAbs(r.duration - asked[i]) <= 0.0005,
                     qPrintable(QStringLiteral("job %1 (%2): %3 s, asked %4 s")
                                    .arg(i)
                                    .arg(outputOf(i))
                                    .arg(r.duration)
                                    .arg(asked[i])));
        }
    }

    // No language file lies beside the test: each message text is its own key, so that every
    // row of the batch log shows which message it is. (Showing the window loads the language
    // and the saved settings, so a test that shows it sets these again.)
    void useKeysAsTextsAndTheBuildsTranscoder()
    {
        UseKeysAsTexts();
        Control<QLineEdit>(ExeBrowse, "edKandrum")->setText(Transcoder());
    }

private slots:
    void initTestCase()
    {
        startInAFolderOfItsOwn();
        InitZolvaneProcess();
        CreateZolvaneWindows();
        QVERIFY(MainForm && AdvancedSet && ExeBrowse);
        TMainForm::MessageHook = [this](QWidget *, const QString &text, bool) { m_messages << text; };
        useKeysAsTextsAndTheBuildsTranscoder();
    }

    void cleanupTestCase()
    {
        TMainForm::MessageHook = nullptr;
        DestroyZolvaneWindows();
    }

    void init()
    {
        m_messages.clear();
        resetAdvanced();
        form()->chOTAMode->setChecked(false);
        form()->chOTADelay->setChecked(false);
        form()->chSSRC->setChecked(false);
        form()->chBoost->setChecked(false);
        frame()->chShutdown->setChecked(false);
    }

    void cleanup()
    {
        endTheBatch();
        form()->ClearList2Click();
        resetAdvanced();
        if (QAction *mp3Tab = form()->findChild<QAction *>(QStringLiteral("MP32")); mp3Tab && !mp3Tab->isChecked())
            mp3Tab->trigger();
        SaveDialog1FileName.clear();
        TMainForm::SaveDialog1Hook = nullptr;
    }
};
