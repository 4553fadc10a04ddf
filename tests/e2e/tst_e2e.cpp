// The whole program, end to end: the windows as main creates them, the job list filled through its
// own add operation, options set on the real controls, batches run through the real runner and the
// build's transcoder and 5.1 MP3 encoder, and every output file checked twice: with the program's
// own audio readers and with ffprobe.

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

namespace {

QString Fixture(const QString &relative)
{
    return QStringLiteral(ZOLVANE_FIXTURES_DIR "/") + relative;
}

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

Probe FFprobe(const QString &file)
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
QByteArray Sha256Of(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// The peak of a 16-bit PCM WAV file, 1.0 being full scale; -1 when the file is no such WAV.
double PeakOfWav(const QString &path)
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

Reading ReadWithOwnReader(Reader reader, const QString &file)
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

void Tick(QObject *window, const char *name, bool on = true)
{
    Control<QAbstractButton>(window, name)->setChecked(on);
}

void SetText(QObject *window, const char *name, const QString &text)
{
    Control<QLineEdit>(window, name)->setText(text);
}

// The MP3 page with the LAME engine at a constant bit rate.
void Mp3Cbr(TMainForm *m, int kbps)
{
    m->PageControl1->setCurrentWidget(m->TabSheet4);
    m->rbMP3Ch2->setChecked(true);
    m->rbMP3Bitrate->setChecked(true);
    Tick(m->LameFrame1, "chMP3ABR");
    Control<QAbstractSlider>(m->LameFrame1, "MP3TrackBar_Bitrate")->setValue(kbps);
}

const QList<PageCase> &PageCases()
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
const QList<PageCase> &OtherOutputCases()
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

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

    QTemporaryDir m_cwd;
    QScopedPointer<QTemporaryDir> m_jobs;
    QStringList m_messages;

    TMainForm *form() const { return MainForm; }
    TProgressFrame *frame() const { return MainForm->ProgressFrame1; }
    QTreeWidget *list() const { return MainForm->InputListView; }
    QTreeWidgetItem *row(int i) const { return list()->topLevelItem(i); }
    QString outputOf(int i) const { return row(i)->text(jcOutputPath) + row(i)->text(jcOutputFilename); }
    QString hint() const { return frame()->SpeedButtonStop->toolTip(); }

    QStringList batchLogTexts() const
    {
        QStringList out;
        for (int i = 0; i < frame()->ListViewInfos->topLevelItemCount(); ++i)
            out << frame()->ListViewInfos->topLevelItem(i)->text(2);
        return out;
    }

    // A fresh folder with copies of the fixtures; gives the copy of the first.
    QString freshInput(const QString &fixture, const QStringList &companions = {})
    {
        m_jobs.reset(new QTemporaryDir);
        QString first;
        for (const QString &f : QStringList{fixture} + companions) {
            const QString target = m_jobs->filePath(QFileInfo(f).fileName());
            if (!QFile::copy(Fixture(f), target))
                qWarning("cannot copy %s", qPrintable(f));
            if (first.isEmpty())
                first = target;
        }
        return first;
    }

    // The names in the job folder, sorted.
    QStringList folderEntries() const
    {
        return QDir(m_jobs->path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }

    // Adds the files through the job list's own open operation.
    void addFiles(const QStringList &files)
    {
        TMainForm::OpenDialog1Hook = [files](QWidget *, const QStringList &, int) { return files; };
        form()->Open1Click();
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

    void runBatch()
    {
        form()->bbStartProcessClick();
        QTRY_VERIFY_WITH_TIMEOUT(!form()->BatchRunning(), 60000);
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
        for (const TLanguageStringKey &key : LanguageStringKeys())
            LanguageStrings.*(key.Text) = QLatin1String(key.Key);
        Control<QLineEdit>(ExeBrowse, "edKandrum")->setText(QStringLiteral(ZOLVANE_TRANSCODER_DIR "/Kandrum.exe"));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_cwd.isValid());
        QDir::setCurrent(m_cwd.path());
        qputenv("ZOLVANE_PROGRAM_FILES", QByteArray(ZOLVANE_BIN_DIR "/programfiles/"));
        InitZolvaneProcess();
        CreateZolvaneWindows();
        QVERIFY(MainForm && AdvancedSet && ExeBrowse);
        TMainForm::MessageHook = [this](QWidget *, const QString &text, bool) { m_messages << text; };
        useKeysAsTextsAndTheBuildsTranscoder();
    }

    void cleanupTestCase()
    {
        TMainForm::MessageHook = nullptr;
        TMainForm::OpenDialog1Hook = nullptr;
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
        if (form()->BatchRunning())
            frame()->SpeedButtonStop->click();
        if (!frame()->isHidden())
            frame()->SpeedButtonQuit->click();
        form()->ClearList2Click();
        resetAdvanced();
        if (QAction *mp3Tab = form()->findChild<QAction *>(QStringLiteral("MP32")); mp3Tab && !mp3Tab->isChecked())
            mp3Tab->trigger();
        SaveDialog1FileName.clear();
        TMainForm::SaveDialog1Hook = nullptr;
    }

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
        m_jobs.reset(new QTemporaryDir);
        const QString movie = m_jobs->filePath(QStringLiteral("movie.wav"));
        const QString other = m_jobs->filePath(QStringLiteral("other.wav"));
        QVERIFY(WriteToneWav(movie, 1));
        QVERIFY(WriteToneWav(other, 1));
        addFiles({movie, other});
        QCOMPARE(list()->topLevelItemCount(), 2);
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
        m_jobs.reset(new QTemporaryDir);
        const QString movie = m_jobs->filePath(QStringLiteral("movie.wav"));
        const QString other = m_jobs->filePath(QStringLiteral("other.wav"));
        QVERIFY(WriteToneWav(movie, 1));
        QVERIFY(WriteToneWav(other, 1));
        addFiles({movie, other});
        QCOMPARE(list()->topLevelItemCount(), 2);
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

QTEST_MAIN(TestEndToEnd)
#include "tst_e2e.moc"
