// The main window's settings file: written when the windows are destroyed at exit, read once at
// the first showing of the next session. Each test case runs whole sessions on the real windows
// and the real settings file beside the test program (each window test has a folder of its own).
#include "IniFile.h"
#include "LanguageCheck.h"
#include "LanguageStrings.h"
#include "UExeBrowser.h"
#include "UMain.h"
#include "ZolvaneApp.h"

#include <QtTest>
#include <QtWidgets>

#include <functional>

#include "PipeGuard.h"

#include <chrono>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray kTranscoderPath = ZOLVANE_TRANSCODER_DIR "/Kandrum.exe";

QString SettingsPath()
{
    return ProgramFolder() + QStringLiteral("Zolvane.ini");
}

void WriteSettings(const QByteArray &content)
{
    QFile file(SettingsPath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

// A settings file with a transcoder path (so that no tool-path dialog is shown) and `rest`.
QByteArray WithTranscoderPath(QByteArray rest)
{
    const QByteArray path = "Kandrum_path=" + kTranscoderPath + "\r\n";
    const int general = rest.indexOf("[Zolvane]\r\n");
    if (general < 0)
        return "[Zolvane]\r\n" + path + rest;
    return rest.insert(general + int(qstrlen("[Zolvane]\r\n")), path);
}

// Closes every modal dialog the first showing opens (the tool-path dialog by its OK button) and
// records their names.
class ModalCloser : public QObject
{
public:
    QStringList seen;
    ModalCloser()
    {
        connect(&m_poll, &QTimer::timeout, this, [this] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal)
                return;
            seen << modal->objectName();
            auto *dialog = qobject_cast<QDialog *>(modal);
            if (!dialog || !QMetaObject::invokeMethod(dialog, "btOkClick"))
                modal->close();
        });
        m_poll.start(5);
    }

private:
    QTimer m_poll;
};

// The program finds its language files beside it; the test program's folder has none, so the
// windows take the build's, as the program itself does.
void UseBuildLanguageFolder()
{
    MainForm->LanguageFolder = QByteArrayLiteral(ZOLVANE_BIN_DIR "/lang/");
}

void StartSession()
{
    InitZolvaneProcess();
    CreateZolvaneWindows();
    UseBuildLanguageFolder();
    MainForm->show();
    QCoreApplication::processEvents();
}

// A session whose settings file, written once the windows are made, holds the transcoder path
// and `stored`: the main window reads it at its first showing.
void StartSessionWithSettings(const QByteArray &stored)
{
    InitZolvaneProcess();
    CreateZolvaneWindows();
    UseBuildLanguageFolder();
    WriteSettings(WithTranscoderPath(stored));
    MainForm->show();
    QCoreApplication::processEvents();
}

void EndSession()
{
    DestroyZolvaneWindows();
}

// One stored aspect of a control: `what` is "checked", "enabled", "shown" (not hidden), "value",
// "index", "text", "tab" (the page's tab is visible), "page" (the active page), or the window's
// "x", "y", "width", "height".
struct Aspect {
    const char *path; // "name" or "Frame/name"
    const char *what;
};

QObject *Find(const QString &path)
{
    QObject *scope = MainForm;
    QStringList parts = path.split(QLatin1Char('/'));
    // A path may start at another window of the program.
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (parts.size() > 1 && window->objectName() == parts.constFirst()) {
            scope = window;
            parts.removeFirst();
            break;
        }
    }
    for (const QString &part : parts) {
        scope = scope ? scope->findChild<QObject *>(part) : nullptr;
    }
    return scope;
}

QVariant State(const Aspect &a)
{
    const QString what = QString::fromLatin1(a.what);
    if (what == "page")
        return MainForm->PageControl1->currentWidget()->objectName();
    if (what == "x") return MainForm->x();
    if (what == "y") return MainForm->y();
    if (what == "width") return MainForm->width();
    if (what == "height") return MainForm->height();
    QObject *o = Find(QString::fromLatin1(a.path));
    if (!o)
        return QStringLiteral("missing control %1").arg(a.path);
    auto *w = qobject_cast<QWidget *>(o);
    if (what == "checked") {
        if (auto *item = qobject_cast<QAction *>(o))
            return item->isChecked();
        return qobject_cast<QAbstractButton *>(o)->isChecked();
    }
    if (what == "enabled") return w->isEnabled();
    if (what == "shown") return !w->isHidden();
    if (what == "tab") return MainForm->PageControl1->isTabVisible(MainForm->PageControl1->indexOf(w));
    if (what == "value") {
        if (auto *spin = qobject_cast<QSpinBox *>(o))
            return spin->value();
        return qobject_cast<QAbstractSlider *>(o)->value();
    }
    if (what == "index") return qobject_cast<QComboBox *>(o)->currentIndex();
    if (what == "text") {
        if (auto *edit = qobject_cast<QLineEdit *>(o))
            return edit->text();
        return qobject_cast<QComboBox *>(o)->currentText();
    }
    return QStringLiteral("unknown aspect %1").arg(what);
}

// Every control state the settings file keeps.
const Aspect kStored[] = {
    {"", "x"}, {"", "y"}, {"", "width"}, {"", "height"}, {"", "page"},
    {"chAzidDC", "checked"}, {"cbAzidDC", "index"}, {"chSSRC", "checked"}, {"cbSSRC", "index"},
    {"chBoost", "checked"}, {"cbBoost", "index"}, {"chOTAMode", "checked"}, {"cbOTAMode", "text"},
    {"chOTADelay", "checked"}, {"edOTADelay", "text"},
    {"Eng", "checked"}, {"de", "checked"}, {"Log1", "checked"},
    {"Real1", "checked"}, {"Highest1", "checked"}, {"High1", "checked"}, {"Normal1", "checked"},
    {"Low1", "checked"}, {"Lowest1", "checked"},
    {"AAC2", "checked"}, {"AC32", "checked"}, {"MP22", "checked"}, {"MP32", "checked"},
    {"SPEEX1", "checked"}, {"VORBIS2", "checked"}, {"WAVPCM1", "checked"}, {"Lossless1", "checked"},
    {"TabSheet1", "tab"}, {"TabSheet2", "tab"}, {"TabSheet3", "tab"}, {"TabSheet4", "tab"},
    {"TabSheet7", "tab"}, {"TabSheet5", "tab"}, {"TabSheet6", "tab"}, {"LosslessTab", "tab"},
    // [AAC]
    {"rbAACOutputCh2", "checked"}, {"rbAACOutputCh6", "checked"}, {"rbAACOutputCh6", "enabled"},
    {"cbAACEncEngine", "index"},
    {"NeroFrame1", "shown"}, {"CTFrame1", "shown"}, {"FaacFrame1", "shown"}, {"NDFrame1", "shown"},
    {"TGPRef1", "shown"},
    {"CTFrame1/TrackBar", "value"}, {"CTFrame1/rbMPEG2", "checked"}, {"CTFrame1/rbMPEG4", "checked"},
    {"CTFrame1/cbAACMode", "index"}, {"CTFrame1/cbCTFormat", "index"}, {"CTFrame1/cbAACMode", "enabled"},
    {"CTFrame1/chCTPNS", "checked"}, {"CTFrame1/chCTSpeech", "checked"},
    {"NDFrame1/rbBitrate", "checked"}, {"NDFrame1/rbQuality", "checked"}, {"NDFrame1/trackBar", "value"},
    {"NDFrame1/TrackBar2", "value"}, {"NDFrame1/chCBR", "checked"}, {"NDFrame1/TntComboBox1", "index"},
    {"NDFrame1/chHint", "checked"},
    {"FaacFrame1/rbFAACVBRMode", "checked"}, {"FaacFrame1/rbFaacABRMode", "checked"},
    {"FaacFrame1/SpEdFAACVBRMode", "value"}, {"FaacFrame1/SpEdFAACABRMode", "value"},
    {"FaacFrame1/chFaacLowpass", "checked"}, {"FaacFrame1/chFaacLowpassAuto", "checked"},
    {"FaacFrame1/SpedFaacLowpass", "value"}, {"FaacFrame1/chAACtoMP4", "checked"},
    {"FaacFrame1/chTNS", "checked"}, {"FaacFrame1/chFaacProfile", "checked"},
    {"FaacFrame1/cbFaacProfile", "index"}, {"FaacFrame1/chMSCoding", "checked"},
    {"FaacFrame1/chFaacMPEGversion", "checked"}, {"FaacFrame1/cbFaacMPEGversion", "index"},
    {"FaacFrame1/chFaacShortBlocks", "checked"}, {"FaacFrame1/cbFaacShortBlocks", "index"},
    {"TGPRef1/RefTrackBar", "value"}, {"TGPRef1/chMonoEncodingRefEnc", "checked"},
    // [AC3]
    {"rbAC3OutputCh2", "checked"}, {"rbAC3OutputCh6", "checked"}, {"rbAC3Enc", "checked"},
    {"rbAften", "checked"}, {"AC3EncFrame1/AC3TrackBar", "value"}, {"AftenFrame1/AC3TrackBar", "value"},
    {"AftenFrame1/AftenQualTrackBar", "value"}, {"AftenFrame1/rbAftenBitrate", "checked"},
    {"AftenFrame1/rbAftenQuality", "checked"}, {"AC3EncFrame1/rbAC3Endians1", "checked"},
    {"AC3EncFrame1/rbAC3Endians2", "checked"},
    // [MP2]
    {"rbMP2Enc", "checked"}, {"rbMP2TooLame", "checked"}, {"MP2TrackBar", "value"},
    {"chMP2EncMode", "checked"}, {"cbMP2EncMode", "index"}, {"chMP2EncVBR", "checked"},
    {"SpEdtMP2VBR", "value"},
    // [MP3]
    {"rbMP3Ch2", "checked"}, {"rbMP3Ch6", "checked"}, {"rbMP3Bitrate", "checked"}, {"rbMP3Quality", "checked"},
    {"LameFrame1/chMP3ABR", "checked"}, {"LameFrame1/chMP3ABR", "enabled"},
    {"LameFrame1/MP3TrackBar_Bitrate", "enabled"}, {"LameFrame1/MP3TrackBar_Quality", "enabled"},
    {"LameFrame1/MP3TrackBar_Bitrate", "value"}, {"LameFrame1/MP3TrackBar_Quality", "value"},
    {"LameFrame1/chMP3Mono", "checked"}, {"AuXFrame1/cbMode", "index"}, {"LameFrame1/cbVBRMode", "text"},
    // [SPEEX]
    {"rbSpeexQuality", "checked"}, {"rbSpeexBitrate", "checked"}, {"SpeexQualityTrackBar", "value"},
    {"chSpeexABR", "checked"}, {"chSpeexVBR", "checked"}, {"SpeexBitrateTrackBar", "value"},
    {"chSpeexEncComplex", "checked"}, {"spEdEncComplex", "value"}, {"chSpeexAGC", "checked"},
    {"chSpeexFramesOgg", "checked"}, {"spEdFramesOgg", "value"}, {"chSpeexDenoise", "checked"},
    // [VORBIS]: the scroll bar is kept in the quality mode, the bit-rate management otherwise
    {"rbVORBISOutputCh2", "checked"}, {"rbVORBISOutputCh6", "checked"}, {"rbVORBISQuality", "checked"},
    {"rbVORBISBitrate", "checked"}, {"rbVORBISABRMode", "enabled"}, {"rbVORBISCBRMode", "enabled"},
    {"SpEdtVORBISmin", "value"}, {"SpEdtVORBISnom", "value"}, {"SpEdtVORBISmax", "value"},
    // [WAV]
    {"rbWAVOutput", "checked"}, {"rbAIFFOutput", "checked"}, {"rbDDWAVOutput", "checked"},
    {"rbWAVOutput1", "checked"}, {"rbWAVOutput2", "checked"}, {"rbWAVOutput3", "checked"},
    {"rbWAVOutput4", "checked"},
    // [Lossless]
    {"rbLossless2Ch", "checked"}, {"rbLossless6Ch", "checked"}, {"cbLosslessEngine", "index"},
    {"FlakeTrackBar", "value"},
};

QMap<QString, QVariant> Snapshot(const QList<Aspect> &extra = {})
{
    QMap<QString, QVariant> states;
    for (const Aspect &a : kStored)
        states.insert(QStringLiteral("%1 %2").arg(a.path, a.what), State(a));
    for (const Aspect &a : extra)
        states.insert(QStringLiteral("%1 %2").arg(a.path, a.what), State(a));
    return states;
}

// Moves a slider, a spin edit or a combo box away from its layout value.
void Change(QAbstractSlider *bar)
{
    bar->setValue(bar->value() == bar->maximum() ? bar->minimum() : bar->maximum());
}
void Change(QSpinBox *spin)
{
    spin->setValue(spin->value() == spin->maximum() ? spin->minimum() : spin->maximum());
}
void Change(QComboBox *combo)
{
    combo->setCurrentIndex(combo->currentIndex() == combo->count() - 1 ? 0 : combo->count() - 1);
}
void Invert(QAbstractButton *box)
{
    box->setChecked(!box->isChecked());
}

// A user's session away from the layout in nearly every stored control. The two variants take
// the other side of the choices that exclude each other.
void ChangeEverything(int variant)
{
    TMainForm *f = MainForm;
    f->move(10 + variant, 31);
    // Comfortably above the window's smallest size, which the captions of the language decide,
    // and within the test screen (800 x 800), so that the next start takes it as it is.
    f->resize(780 - variant * 10, 700);
    Invert(f->chAzidDC); Change(f->cbAzidDC);
    Invert(f->chSSRC); Change(f->cbSSRC);
    Invert(f->chBoost); Change(f->cbBoost);
    Invert(f->chOTAMode); f->cbOTAMode->setEditText(QStringLiteral("PostGain"));
    f->chOTADelay->setChecked(true); f->edOTADelay->setText(QStringLiteral("-66"));
    f->de->trigger();
    f->Log1->trigger();
    (variant == 0 ? f->High1 : f->Lowest1)->trigger();
    f->AAC2->trigger();   // hides the AAC page
    f->Lossless1->trigger();
    if (variant == 1)
        f->SPEEX1->trigger();

    // [AAC]
    if (variant == 0) {
        f->rbAACOutputCh6->setChecked(true);
    } else {
        f->rbAACOutputCh2->setChecked(true);
        f->rbAACOutputCh6->setEnabled(false);
    }
    Change(f->cbAACEncEngine);
    QWidget *const frames[] = {f->NeroFrame1, f->CTFrame1, f->FaacFrame1, f->NDFrame1, f->TGPRef1};
    QWidget *visible = variant == 0 ? static_cast<QWidget *>(f->FaacFrame1) : f->TGPRef1;
    for (QWidget *frame : frames)
        frame->setVisible(frame == visible);
    Change(f->CTFrame1->TrackBar);
    (variant == 0 ? f->CTFrame1->rbMPEG2 : f->CTFrame1->rbMPEG4)->setChecked(true);
    Change(f->CTFrame1->cbAACMode); Change(f->CTFrame1->cbCTFormat);
    f->CTFrame1->cbAACMode->setEnabled(variant != 0);
    Invert(f->CTFrame1->chCTPNS); Invert(f->CTFrame1->chCTSpeech);
    (variant == 0 ? f->NDFrame1->rbBitrate : f->NDFrame1->rbQuality)->setChecked(true);
    Change(f->NDFrame1->trackBar); Change(f->NDFrame1->TrackBar2);
    Invert(f->NDFrame1->chCBR); Change(f->NDFrame1->TntComboBox1); Invert(f->NDFrame1->chHint);
    (variant == 0 ? f->FaacFrame1->rbFaacABRMode : f->FaacFrame1->rbFAACVBRMode)->setChecked(true);
    Change(f->FaacFrame1->SpEdFAACVBRMode); Change(f->FaacFrame1->SpEdFAACABRMode);
    f->FaacFrame1->chFaacLowpassAuto->setChecked(variant == 1);
    f->FaacFrame1->chFaacLowpass->setChecked(variant == 0);
    Change(f->FaacFrame1->SpedFaacLowpass);
    Invert(f->FaacFrame1->chAACtoMP4); Invert(f->FaacFrame1->chTNS);
    Invert(f->FaacFrame1->chFaacProfile); Change(f->FaacFrame1->cbFaacProfile);
    Invert(f->FaacFrame1->chMSCoding);
    Invert(f->FaacFrame1->chFaacMPEGversion); Change(f->FaacFrame1->cbFaacMPEGversion);
    Invert(f->FaacFrame1->chFaacShortBlocks); Change(f->FaacFrame1->cbFaacShortBlocks);
    Change(f->TGPRef1->RefTrackBar); Invert(f->TGPRef1->chMonoEncodingRefEnc);

    // [AC3]
    (variant == 0 ? f->rbAC3OutputCh6 : f->rbAC3OutputCh2)->setChecked(true);
    (variant == 0 ? f->rbAC3Enc : f->rbAften)->setChecked(true);
    Change(f->AC3EncFrame1->AC3TrackBar); Change(f->AftenFrame1->AC3TrackBar);
    Change(f->AftenFrame1->AftenQualTrackBar);
    (variant == 0 ? f->AftenFrame1->rbAftenQuality : f->AftenFrame1->rbAftenBitrate)->setChecked(true);
    (variant == 0 ? f->AC3EncFrame1->rbAC3Endians2 : f->AC3EncFrame1->rbAC3Endians1)->setChecked(true);

    // [MP2]
    (variant == 0 ? f->rbMP2TooLame : f->rbMP2Enc)->setChecked(true);
    Change(f->MP2TrackBar);
    Invert(f->chMP2EncMode); Change(f->cbMP2EncMode);
    Invert(f->chMP2EncVBR); Change(f->SpEdtMP2VBR);

    // [MP3]
    (variant == 0 ? f->rbMP3Ch6 : f->rbMP3Ch2)->setChecked(true);
    (variant == 0 ? f->rbMP3Bitrate : f->rbMP3Quality)->setChecked(true);
    Invert(f->LameFrame1->chMP3ABR);
    f->LameFrame1->chMP3ABR->setEnabled(variant == 0);
    f->LameFrame1->MP3TrackBar_Bitrate->setEnabled(variant == 0);
    f->LameFrame1->MP3TrackBar_Quality->setEnabled(variant == 1);
    Change(f->LameFrame1->MP3TrackBar_Bitrate); Change(f->LameFrame1->MP3TrackBar_Quality);
    Invert(f->LameFrame1->chMP3Mono); Change(f->AuXFrame1->cbMode);
    Change(f->LameFrame1->cbVBRMode);

    // [SPEEX]
    (variant == 0 ? f->rbSpeexBitrate : f->rbSpeexQuality)->setChecked(true);
    Change(f->SpeexQualityTrackBar); Change(f->SpeexBitrateTrackBar);
    f->chSpeexABR->setChecked(variant == 0);
    f->chSpeexVBR->setChecked(variant == 1);
    Invert(f->chSpeexEncComplex); Change(f->spEdEncComplex); Invert(f->chSpeexAGC);
    Invert(f->chSpeexFramesOgg); Change(f->spEdFramesOgg); Invert(f->chSpeexDenoise);

    // [VORBIS]
    (variant == 0 ? f->rbVORBISOutputCh6 : f->rbVORBISOutputCh2)->setChecked(true);
    if (variant == 0) {
        f->rbVORBISQuality->setChecked(true);
        Change(f->VORBISScrollBar);
    } else {
        f->rbVORBISBitrate->setChecked(true);
        f->rbVORBISCBRMode->setChecked(true);
    }
    f->rbVORBISABRMode->setEnabled(variant == 1);
    f->rbVORBISCBRMode->setEnabled(variant == 1);
    Change(f->SpEdtVORBISmin); Change(f->SpEdtVORBISnom); Change(f->SpEdtVORBISmax);

    // [WAV]
    if (variant == 0) {
        f->rbAIFFOutput->setChecked(true);
        f->rbWAVOutput3->setChecked(true);
    } else {
        f->rbWAVOutput->setChecked(true);
        f->rbWAVOutput4->setChecked(true);
    }

    // [Lossless]
    (variant == 0 ? f->rbLossless6Ch : f->rbLossless2Ch)->setChecked(true);
    Change(f->cbLosslessEngine); Change(f->FlakeTrackBar);

    f->PageControl1->setCurrentWidget(variant == 0 ? f->TabSheet3 : f->TabSheet7);
}

QString Differences(const QMap<QString, QVariant> &expected, const QMap<QString, QVariant> &actual)
{
    QStringList lines;
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        if (actual.value(it.key()) != it.value())
            lines << QStringLiteral("%1: stored %2, read %3")
                         .arg(it.key(), it.value().toString(), actual.value(it.key()).toString());
    }
    return lines.join(QLatin1Char('\n'));
}

// Counts the times the settings file is replaced (a finished file renamed onto its name).
class ReplaceCounter
{
public:
    ReplaceCounter()
    {
        m_fd = inotify_init1(IN_NONBLOCK);
        if (m_fd >= 0)
            inotify_add_watch(m_fd, QFile::encodeName(ProgramFolder()).constData(), IN_MOVED_TO | IN_CLOSE_WRITE);
    }
    ~ReplaceCounter()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool valid() const { return m_fd >= 0; }
    // The replaces since the last call.
    int take()
    {
        int count = 0;
        alignas(inotify_event) char buffer[8192];
        for (;;) {
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n <= 0)
                break;
            for (char *at = buffer; at < buffer + n;) {
                const auto *event = reinterpret_cast<const inotify_event *>(at);
                if (event->len > 0 && qstrcmp(event->name, "Zolvane.ini") == 0)
                    ++count;
                at += sizeof(inotify_event) + event->len;
            }
        }
        return count;
    }

private:
    int m_fd = -1;
};

// Records the text of every message box as it is shown, and answers it.
class MessageBoxWatcher : public QObject
{
public:
    QStringList texts;
    MessageBoxWatcher() { qApp->installEventFilter(this); }
    ~MessageBoxWatcher() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            if (auto *box = qobject_cast<QMessageBox *>(watched)) {
                texts << box->text();
                QTimer::singleShot(0, box, &QMessageBox::accept);
            }
        }
        return false;
    }
};

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // The Aud-X encoder is installed, so a stored 5.1 MP3 choice is kept at start-up.
        qputenv("ZOLVANE_PROGRAM_FILES", ZOLVANE_BIN_DIR "/programfiles/");
    }
    void init()
    {
        QFile::remove(SettingsPath());
        QDir(SettingsPath()).removeRecursively();
        TMainForm::MessageHook = nullptr;
    }
    void cleanup()
    {
        TMainForm::MessageHook = nullptr;
    }

    // What one session leaves at exit the next session finds at its first showing, for every
    // stored control.
    void roundTripOfEveryKey_data()
    {
        QTest::addColumn<int>("variant");
        QTest::newRow("manual bandwidth, Vorbis quality, AIFF") << 0;
        QTest::newRow("automatic bandwidth, Vorbis bit rate, WAV, SPEEX page") << 1;
    }
    void roundTripOfEveryKey()
    {
        QFETCH(int, variant);
        WriteSettings(WithTranscoderPath(""));
        StartSession();
        const QMap<QString, QVariant> layout = Snapshot();
        ChangeEverything(variant);
        const QList<Aspect> vorbis = variant == 0 ? QList<Aspect>{{"VORBISScrollBar", "value"}}
                                                  : QList<Aspect>{{"rbVORBISABRMode", "checked"},
                                                                  {"rbVORBISCBRMode", "checked"}};
        const QMap<QString, QVariant> stored = Snapshot(vorbis);
        // File > Quit keeps the delay box as it is.
        EndSession();

        StartSession();
        const QMap<QString, QVariant> read = Snapshot(vorbis);
        EndSession();

        QVERIFY2(read == stored, qPrintable(Differences(stored, read)));
        // The session really differed from the layout where the test changed it.
        for (const char *key : {"chAzidDC checked", "de checked", "High1 checked", "AAC2 checked",
                                "rbMP3Ch6 checked", " page"}) {
            if (variant == 1 && (QByteArray(key) == "High1 checked" || QByteArray(key) == "rbMP3Ch6 checked"))
                continue;
            QVERIFY2(stored.value(key) != layout.value(key), key);
        }

        // The file holds the stored forms.
        const TIniFile ini(SettingsPath());
        QCOMPARE(ini.ReadString("Zolvane", "lang", ""), QStringLiteral("Deutsch"));
        QCOMPARE(ini.ReadString("Zolvane", "Priority", ""), variant == 0 ? QStringLiteral("2") : QStringLiteral("5"));
        QCOMPARE(ini.ReadString("Zolvane", "delay_check", ""), QStringLiteral("1"));
        QCOMPARE(ini.ReadString("AC3", "Engine", ""), variant == 0 ? QStringLiteral("AC3Enc") : QStringLiteral("Aften"));
        QCOMPARE(ini.ReadString("AAC", "Faac_lowpassAuto", ""), variant == 0 ? QStringLiteral("0") : QStringLiteral("1"));
        QCOMPARE(ini.ReadString("AAC", "3GPFrame", ""), variant == 0 ? QStringLiteral("0") : QStringLiteral("1"));
        QVERIFY(ini.ValueExists("AAC", "ND_mono"));
        QCOMPARE(ini.ValueExists("WAV", "output_aiff"), variant == 0);
        QCOMPARE(ini.ValueExists("WAV", "output_wav"), variant == 1);
        QStringList activeSections;
        for (const QString &section : {"AAC", "AC3", "MP2", "MP3", "SPEEX", "VORBIS", "WAV", "Lossless"}) {
            if (ini.ReadBool(section, "tab", false))
                activeSections << section;
        }
        QCOMPARE(activeSections, QStringList{variant == 0 ? QStringLiteral("MP2") : QStringLiteral("SPEEX")});
    }

    // A manual bandwidth chosen after an automatic one is kept at the next start.
    void manualBandwidthAfterAutomaticIsKept()
    {
        WriteSettings(WithTranscoderPath(""));
        StartSession();
        MainForm->FaacFrame1->chFaacLowpass->setChecked(false);
        MainForm->FaacFrame1->chFaacLowpassAuto->setChecked(true);
        EndSession();
        StartSession();
        QVERIFY(MainForm->FaacFrame1->chFaacLowpassAuto->isChecked());
        MainForm->FaacFrame1->chFaacLowpassAuto->setChecked(false);
        MainForm->FaacFrame1->chFaacLowpass->setChecked(true);
        EndSession();
        StartSession();
        const bool automatic = MainForm->FaacFrame1->chFaacLowpassAuto->isChecked();
        const bool manual = MainForm->FaacFrame1->chFaacLowpass->isChecked();
        EndSession();
        QVERIFY(!automatic);
        QVERIFY(manual);
    }

    // The reading rules: a value the rule does not take leaves the control as the layout has it;
    // missing keys give the table's defaults.
    void readingRules_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("what");
        QTest::addColumn<QVariant>("expected"); // invalid: as in the layout

        QTest::newRow("priority outside 0..5") << QByteArray("[Zolvane]\r\nPriority=7\r\n") << "Normal1" << "checked" << QVariant();
        QTest::newRow("priority in $ hex") << QByteArray("[Zolvane]\r\nPriority=$1\r\n") << "Highest1" << "checked" << QVariant(true);
        QTest::newRow("priority in 0x hex") << QByteArray("[Zolvane]\r\nPriority=0x4\r\n") << "Normal1" << "checked" << QVariant(false);
        QTest::newRow("left edge in hex") << QByteArray("[Zolvane]\r\nLeft=0x20\r\nWidth=600\r\n") << "" << "x" << QVariant(32);
        QTest::newRow("language name case differs") << QByteArray("[Zolvane]\r\nlang=deutsch\r\n") << "de" << "checked" << QVariant(false);
        QTest::newRow("accented language name") << QByteArray("[Zolvane]\r\nlang=Fran\xc3\xa7" "ais\r\n") << "Fr" << "checked" << QVariant(true);
        QTest::newRow("language name exact") << QByteArray("[Zolvane]\r\nlang=Deutsch\r\n") << "de" << "checked" << QVariant(true);
        QTest::newRow("box 2 keeps the box") << QByteArray("[Zolvane]\r\ndynComp_check=2\r\n") << "chAzidDC" << "checked" << QVariant();
        QTest::newRow("box 1 ticks") << QByteArray("[Zolvane]\r\ndynComp_check=1\r\n") << "chAzidDC" << "checked" << QVariant(true);
        QTest::newRow("log box not a number") << QByteArray("[Zolvane]\r\nlog=yes\r\n") << "Log1" << "checked" << QVariant(false);
        QTest::newRow("no Lossless_tab shows the page") << QByteArray("[Zolvane]\r\n") << "LosslessTab" << "tab" << QVariant(true);
        QTest::newRow("no SPEEX_tab hides the page") << QByteArray("[Zolvane]\r\n") << "TabSheet7" << "tab" << QVariant(false);
        QTest::newRow("tab flag any non-zero") << QByteArray("[Zolvane]\r\nSPEEX_tab=-3\r\n") << "SPEEX1" << "checked" << QVariant(true);
        QTest::newRow("SPEEX page tab wins over its hidden tab")
            << QByteArray("[Zolvane]\r\nSPEEX_tab=0\r\n[SPEEX]\r\ntab=1\r\n") << "TabSheet7" << "tab" << QVariant(true);
        QTest::newRow("SPEEX page tab makes it active")
            << QByteArray("[Zolvane]\r\nSPEEX_tab=0\r\n[SPEEX]\r\ntab=1\r\n") << "" << "page" << QVariant("TabSheet7");
        QTest::newRow("active page with its tab hidden")
            << QByteArray("[Zolvane]\r\nMP2_tab=0\r\n[MP2]\r\ntab=1\r\n") << "" << "page" << QVariant("TabSheet3");
        QTest::newRow("last active page read wins")
            << QByteArray("[AAC]\r\ntab=1\r\n[WAV]\r\ntab=1\r\n") << "" << "page" << QVariant("TabSheet6");
        QTest::newRow("AAC channels 4 keeps the radios") << QByteArray("[AAC]\r\nchannels=4\r\n") << "rbAACOutputCh2" << "checked" << QVariant();
        QTest::newRow("AAC channels 6") << QByteArray("[AAC]\r\nchannels=6\r\n") << "rbAACOutputCh6" << "checked" << QVariant(true);
        QTest::newRow("Lossless channels 4 means 5.1") << QByteArray("[Lossless]\r\nchannels=4\r\n") << "rbLossless6Ch" << "checked" << QVariant(true);
        QTest::newRow("AC3 engine word in lower case") << QByteArray("[AC3]\r\nEngine=aften\r\n") << "rbAC3Enc" << "checked" << QVariant(true);
        QTest::newRow("Aften mode word in lower case") << QByteArray("[AC3]\r\nAften_Mode=bitrate\r\n") << "AftenFrame1/rbAftenQuality" << "checked" << QVariant(true);
        QTest::newRow("no NeroFrame shows the Nero frame") << QByteArray("[AAC]\r\nCTFrame=1\r\n") << "NeroFrame1" << "shown" << QVariant(true);
        QTest::newRow("only the first visible frame") << QByteArray("[AAC]\r\nNeroFrame=0\r\nCTFrame=1\r\nFaacFrame=1\r\n") << "FaacFrame1" << "shown" << QVariant(false);
        QTest::newRow("no frame stored visible: 3GPP") << QByteArray("[AAC]\r\nNeroFrame=0\r\n") << "TGPRef1" << "shown" << QVariant(true);
        QTest::newRow("manual bandwidth without the automatic key")
            << QByteArray("[AAC]\r\nFaac_lowpass=1\r\n") << "FaacFrame1/chFaacLowpassAuto" << "checked" << QVariant(true);
        QTest::newRow("both bandwidth keys on: the automatic box wins")
            << QByteArray("[AAC]\r\nFaac_lowpass=1\r\nFaac_lowpassAuto=1\r\n") << "FaacFrame1/chFaacLowpass" << "checked" << QVariant(false);
        QTest::newRow("disabled 5.1 choice") << QByteArray("[AAC]\r\nch6=0\r\n") << "rbAACOutputCh6" << "enabled" << QVariant(false);
        QTest::newRow("Vorbis ABR choice disabled") << QByteArray("[VORBIS]\r\nabrrb_enabled=0\r\n") << "rbVORBISABRMode" << "enabled" << QVariant(false);
        QTest::newRow("spin edit text not a number") << QByteArray("[MP2]\r\nvbr=high\r\n") << "SpEdtMP2VBR" << "value" << QVariant();
        QTest::newRow("spin edit text") << QByteArray("[MP2]\r\nvbr=-2\r\n") << "SpEdtMP2VBR" << "value" << QVariant(-2);
        QTest::newRow("spin edit beyond its limit") << QByteArray("[MP2]\r\nvbr=99\r\n") << "SpEdtMP2VBR" << "value" << QVariant(15);
        QTest::newRow("LAME mode not among the items") << QByteArray("[MP3]\r\nvbr_mode=Turbo\r\n") << "LameFrame1/cbVBRMode" << "text" << QVariant();
        QTest::newRow("LAME mode item") << QByteArray("[MP3]\r\nvbr_mode=Fast\r\n") << "LameFrame1/cbVBRMode" << "text" << QVariant("Fast");
        QTest::newRow("Speex mode outside 0..2") << QByteArray("[SPEEX]\r\nmode=3\r\n") << "chSpeexABR" << "checked" << QVariant();
        QTest::newRow("Speex mode 2") << QByteArray("[SPEEX]\r\nmode=2\r\n") << "chSpeexVBR" << "checked" << QVariant(true);
        QTest::newRow("Vorbis quality ignored in bit-rate mode")
            << QByteArray("[VORBIS]\r\nbit_mode=2\r\nqmode=3\r\n") << "VORBISScrollBar" << "value" << QVariant();
        QTest::newRow("Vorbis management ignored in quality mode")
            << QByteArray("[VORBIS]\r\nbit_mode=1\r\nbit_manage=2\r\n") << "rbVORBISCBRMode" << "checked" << QVariant();
        QTest::newRow("AIFF output choice") << QByteArray("[WAV]\r\nformat=2\r\noutput_aiff=3\r\n") << "rbWAVOutput3" << "checked" << QVariant(true);
        QTest::newRow("no WAV output choice with DD-WAV")
            << QByteArray("[WAV]\r\nformat=3\r\noutput_wav=4\r\n") << "rbWAVOutput4" << "checked" << QVariant();
        // The gain list takes mode names only; the plug-in function name takes any text.
        QTest::newRow("text cut at 2047") << QByteArray("[Zolvane]\r\ndllfunc=" + QByteArray(3000, 'x') + "\r\n")
                                          << "AdvancedSet/edExternalPlugFunc" << "text" << QVariant(QString(2047, QLatin1Char('x')));
        QTest::newRow("gain naming no mode") << QByteArray("[Zolvane]\r\ngain=" + QByteArray(3000, 'x') + "\r\n")
                                             << "cbOTAMode" << "text" << QVariant();
    }
    void readingRules()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QString, control);
        QFETCH(QString, what);
        QFETCH(QVariant, expected);
        const QByteArray path = control.toLatin1();
        const QByteArray aspect = what.toLatin1();
        const Aspect a{path.constData(), aspect.constData()};

        InitZolvaneProcess();
        CreateZolvaneWindows();
        UseBuildLanguageFolder();
        const QVariant layout = State(a);
        WriteSettings(WithTranscoderPath(settings));
        MainForm->show();
        QCoreApplication::processEvents();
        const QVariant read = State(a);
        EndSession();
        QCOMPARE(read, expected.isValid() ? expected : layout);
    }

    // The VORBIS page's bit-rate estimate after a start follows the stored sample rate, the
    // stored channels and quality, as a click on it (which works it out again) shows.
    void storedChoicesReachTheVorbisEstimate_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::newRow("22050 Hz") << QByteArray("[Zolvane]\r\nssrc_check=1\r\nssrc=4\r\n");
        QTest::newRow("8000 Hz, 5.1") << QByteArray("[Zolvane]\r\nssrc_check=1\r\nssrc=0\r\n[VORBIS]\r\nchannels=6\r\n");
        QTest::newRow("rate without resampling") << QByteArray("[Zolvane]\r\nssrc_check=0\r\nssrc=2\r\n");
        QTest::newRow("12000 Hz, quality 6")
            << QByteArray("[Zolvane]\r\nssrc_check=1\r\nssrc=2\r\n[VORBIS]\r\nbit_mode=1\r\nqmode=600\r\n");
    }
    void storedChoicesReachTheVorbisEstimate()
    {
        QFETCH(QByteArray, settings);
        StartSessionWithSettings(settings);
        QLabel *estimate = MainForm->lbVORBISnomBitrateVal;
        const QString shown = estimate->text();
        QTest::mouseClick(estimate, Qt::LeftButton);
        const QString worked = estimate->text();
        EndSession();
        QCOMPARE(shown, worked);
    }

    // The gain list holds the modes of the page in use at the start: the AAC page takes no
    // hybrid gain, whichever page was in use while the settings were read.
    void storedGainModeFollowsTheStoredPage_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("mode");
        const QStringList aac{"PreGain", "PostGain"};
        const QStringList others{"HybridGain", "PreGain", "PostGain"};
        QTest::newRow("AAC page, PostGain")
            << QByteArray("[Zolvane]\r\ngain_check=1\r\ngain=PostGain\r\n[AAC]\r\ntab=1\r\n") << aac << "PostGain";
        QTest::newRow("AAC page, HybridGain")
            << QByteArray("[Zolvane]\r\ngain_check=1\r\ngain=HybridGain\r\n[AAC]\r\ntab=1\r\n") << aac << "PreGain";
        QTest::newRow("MP3 page, HybridGain")
            << QByteArray("[Zolvane]\r\ngain_check=1\r\ngain=HybridGain\r\n[MP3]\r\ntab=1\r\n") << others
            << "HybridGain";
    }
    void storedGainModeFollowsTheStoredPage()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QStringList, items);
        QFETCH(QString, mode);
        StartSessionWithSettings(settings);
        QComboBox *gain = MainForm->cbOTAMode;
        QStringList shown;
        for (int i = 0; i < gain->count(); ++i)
            shown << gain->itemText(i);
        const QString text = gain->currentText();
        EndSession();
        QCOMPARE(shown, items);
        QCOMPARE(text, mode);
    }

    // The controls are set in the fixed reading order, each running its handler as it changes:
    // the general section, then [AAC] (the manual bandwidth box before the automatic one),
    // [AC3], [MP2], [MP3], [SPEEX], [VORBIS], [WAV], [Lossless].
    void controlsAreSetInReadingOrder()
    {
        InitZolvaneProcess();
        CreateZolvaneWindows();
        UseBuildLanguageFolder();
        TMainForm *f = MainForm;
        const QByteArray lowpass = f->FaacFrame1->chFaacLowpass->isChecked() ? "0" : "1";
        const QByteArray lowpassAuto = f->FaacFrame1->chFaacLowpassAuto->isChecked() ? "0" : "1";
        const QByteArray azid = f->chAzidDC->isChecked() ? "0" : "1";
        WriteSettings(WithTranscoderPath(
            "[Zolvane]\r\ndynComp_check=" + azid + "\r\ndelay=-12\r\n"
            "[Lossless]\r\nFlake_Level=" + QByteArray::number(f->FlakeTrackBar->value() == 1 ? 2 : 1) + "\r\n"
            "[WAV]\r\nformat=" + (f->rbAIFFOutput->isChecked() ? "1" : "2") + "\r\n"
            "[VORBIS]\r\nmin_bit=" + QByteArray::number(f->SpEdtVORBISmin->value() == 40 ? 41 : 40) + "\r\n"
            "[SPEEX]\r\nagc=" + (f->chSpeexAGC->isChecked() ? "0" : "1") + "\r\n"
            "[MP3]\r\nChannels=" + (f->rbMP3Ch6->isChecked() ? "2" : "6") + "\r\n"
            "[MP2]\r\nenc_check=" + (f->chMP2EncMode->isChecked() ? "0" : "1") + "\r\n"
            "[AC3]\r\nEngine=" + (f->rbAften->isChecked() ? "AC3Enc" : "Aften") + "\r\n"
            "[AAC]\r\nFaac_lowpassAuto=" + lowpassAuto + "\r\nFaac_lowpass=" + lowpass + "\r\n"
            "channels=" + (f->rbAACOutputCh6->isChecked() ? "2" : "6") + "\r\n"));
        QStringList order;
        auto record = [&order](const QString &name) {
            if (!order.contains(name))
                order << name;
        };
        auto onToggle = [&](QAbstractButton *button, const QString &name) {
            connect(button, &QAbstractButton::toggled, this, [=] { record(name); });
        };
        onToggle(f->chAzidDC, "dynComp_check");
        connect(f->edOTADelay, &QLineEdit::textChanged, this, [=] { record("delay"); });
        onToggle(f->rbAACOutputCh6, "AAC channels");
        onToggle(f->FaacFrame1->chFaacLowpass, "Faac_lowpass");
        onToggle(f->FaacFrame1->chFaacLowpassAuto, "Faac_lowpassAuto");
        onToggle(f->rbAften, "AC3 Engine");
        onToggle(f->chMP2EncMode, "MP2 enc_check");
        onToggle(f->rbMP3Ch6, "MP3 Channels");
        onToggle(f->chSpeexAGC, "SPEEX agc");
        connect(f->SpEdtVORBISmin, &QSpinBox::valueChanged, this, [=] { record("VORBIS min_bit"); });
        onToggle(f->rbAIFFOutput, "WAV format");
        connect(f->FlakeTrackBar, &QSlider::valueChanged, this, [=] { record("Flake_Level"); });
        f->show();
        QCoreApplication::processEvents();
        EndSession();
        // The two bandwidth boxes are each other's opposite: the manual box's handler sets the
        // automatic one, whose signal therefore comes first, from inside the manual box's handler
        // (set the other way round, the manual box's signal would come first).
        QCOMPARE(order, (QStringList{"dynComp_check", "delay", "AAC channels", "Faac_lowpassAuto", "Faac_lowpass",
                                     "AC3 Engine", "MP2 enc_check", "MP3 Channels", "SPEEX agc", "VORBIS min_bit",
                                     "WAV format", "Flake_Level"}));
    }

    // A first start without a settings file reads nothing: it asks for the tool paths, and every
    // control keeps the layout's state. The exit then writes the whole file.
    void firstStartWithoutFile()
    {
        InitZolvaneProcess();
        CreateZolvaneWindows();
        UseBuildLanguageFolder();
        const QMap<QString, QVariant> layout = Snapshot();
        QVERIFY(!QFileInfo::exists(SettingsPath()));
        ModalCloser closer;
        MainForm->show();
        QCoreApplication::processEvents();
        QMap<QString, QVariant> shown = Snapshot();
        // The window itself is only fitted, with its frame, into the screen's free area.
        const bool frameOnScreen = MainForm->screen()->availableGeometry().contains(MainForm->frameGeometry());
        EndSession();
        QCOMPARE(closer.seen, QStringList{QStringLiteral("ExeBrowse")});
        QVERIFY(frameOnScreen);
        for (const char *what : {" x", " y", " width", " height"})
            shown.insert(QString::fromLatin1(what), layout.value(QString::fromLatin1(what)));
        QVERIFY2(shown == layout, qPrintable(Differences(layout, shown)));
        QCOMPARE(layout.value("SPEEX1 checked"), QVariant(false));
        QCOMPARE(layout.value("Lossless1 checked"), QVariant(false));
        QCOMPARE(layout.value("Normal1 checked"), QVariant(true));
        QCOMPARE(layout.value("Eng checked"), QVariant(true));
        QCOMPARE(layout.value(" page"), QVariant(QStringLiteral("TabSheet5"))); // VORBIS

        const TIniFile ini(SettingsPath());
        for (const QString &section : {"Zolvane", "AAC", "AC3", "MP2", "MP3", "SPEEX", "VORBIS", "WAV", "Lossless"})
            QVERIFY2(ini.SectionExists(section), qPrintable(section));
        QCOMPARE(ini.ReadString("Zolvane", "lang", ""), QStringLiteral("English"));
        QCOMPARE(ini.ReadString("Zolvane", "Priority", ""), QStringLiteral("3"));
        QCOMPARE(ini.ReadString("Zolvane", "SPEEX_tab", ""), QStringLiteral("0"));
    }

    // An enabled-state key stores the control's own state, not whether its page is usable.
    void enabledStateKeysStoreTheControlsOwnState()
    {
        WriteSettings(WithTranscoderPath(""));
        StartSession();
        MainForm->rbAACOutputCh6->setEnabled(true);
        MainForm->rbVORBISABRMode->setEnabled(false);
        MainForm->PageControl1->setEnabled(false);
        EndSession();
        const TIniFile ini(SettingsPath());
        QCOMPARE(ini.ReadString("AAC", "ch6", ""), QStringLiteral("1"));
        QCOMPARE(ini.ReadString("VORBIS", "abrrb_enabled", ""), QStringLiteral("0"));
    }

    // The close button unticks the delay box before the settings are written; File > Quit
    // stores it as it is.
    void delayBoxAtExit_data()
    {
        QTest::addColumn<bool>("byCloseButton");
        QTest::addColumn<QString>("stored");
        QTest::newRow("close button") << true << "0";
        QTest::newRow("File > Quit") << false << "1";
    }
    void delayBoxAtExit()
    {
        QFETCH(bool, byCloseButton);
        QFETCH(QString, stored);
        WriteSettings(WithTranscoderPath(""));
        StartSession();
        MainForm->chOTADelay->setChecked(true);
        if (byCloseButton)
            MainForm->close();
        else
            MainForm->Quit1->trigger();
        EndSession();
        QCOMPARE(TIniFile(SettingsPath()).ReadString("Zolvane", "delay_check", ""), stored);
    }

    // A write that fails at exit is told with the file's path, and nothing of the settings is
    // written.
    void writeFailureAtExitIsShown()
    {
        WriteSettings(WithTranscoderPath(""));
        StartSession();
        QStringList messages;
        TMainForm::MessageHook = [&messages](QWidget *, const QString &text, bool error) {
            messages << (error ? QStringLiteral("error: ") : QString()) + text;
        };
        // A folder in the file's place cannot be replaced by the written file.
        QVERIFY(QFile::remove(SettingsPath()));
        QVERIFY(QDir().mkdir(SettingsPath()));
        EndSession();
        QCOMPARE(messages, QStringList{QStringLiteral("error: Unable to write to ") + SettingsPath()});
        QVERIFY(QFileInfo(SettingsPath()).isDir());
        QVERIFY(QDir(SettingsPath()).isEmpty());
    }

    // A named pipe in the settings file's place is neither waited for at the start nor replaced
    // at the exit: the start says the settings are neither read nor saved, the exit that they
    // could not be written, and the pipe stays. A hang fails the test after ten seconds.
    void pipeAsSettingsFileIsRefused()
    {
        const std::string pipe = QFile::encodeName(SettingsPath()).toStdString();
        QVERIFY(TPipeGuard::MakePipe(pipe));
        QStringList messages;
        TMainForm::MessageHook = [&messages](QWidget *, const QString &text, bool error) {
            messages << (error ? QStringLiteral("error: ") : QString()) + text;
        };
        {
            TPipeGuard guard({pipe}, std::chrono::seconds(10));
            ModalCloser closer;
            StartSession();
            const QString told = LanguageStrings.SettingsNotRegular.arg(SettingsPath());
            EndSession();
            QVERIFY2(!guard.Blocked(), "the start or the exit waited on a named pipe");
            QVERIFY(!told.isEmpty());
            QVERIFY2(messages.contains(QStringLiteral("error: ") + told), qPrintable(messages.join(u'|')));
            QVERIFY2(messages.contains(QStringLiteral("error: Unable to write to ") + SettingsPath()),
                     qPrintable(messages.join(u'|')));
        }
        struct stat st {};
        QCOMPARE(::lstat(pipe.c_str(), &st), 0);
        QVERIFY(S_ISFIFO(st.st_mode));
        QVERIFY(QFile::remove(SettingsPath()));
    }

    // A stored geometry that does not fit the screen is brought onto it at start-up (a huge size
    // used to crash, a far-off position opened the window where it could not be seen), and the
    // exit stores what the window really had; a geometry that fits is taken as stored.
    void storedGeometryIsBroughtOntoTheScreen_data()
    {
        QTest::addColumn<QByteArray>("geometry");
        QTest::addColumn<QRect>("asStored"); // null: only "on the screen" is asked
        QTest::newRow("fits") << QByteArray("Left=20\r\nTop=50\r\nWidth=770\r\nHeight=700\r\n")
                              << QRect(20, 50, 770, 700);
        QTest::newRow("largest width") << QByteArray("Width=16777215\r\n") << QRect();
        QTest::newRow("largest size") << QByteArray("Width=16777215\r\nHeight=16777215\r\n") << QRect();
        QTest::newRow("height beyond the screen") << QByteArray("Height=1900\r\n") << QRect();
        QTest::newRow("far to the right and below")
            << QByteArray("Left=100000\r\nTop=100000\r\nWidth=600\r\nHeight=500\r\n") << QRect();
        QTest::newRow("far to the left and above") << QByteArray("Left=-5000\r\nTop=-70000\r\n") << QRect();
        QTest::newRow("largest position and size")
            << QByteArray("Left=2147483647\r\nTop=$7FFFFFFF\r\nWidth=16777215\r\nHeight=2147483647\r\n") << QRect();
        QTest::newRow("smallest position") << QByteArray("Left=-2147483648\r\nTop=-2147483648\r\n") << QRect();
        QTest::newRow("no size") << QByteArray("Width=0\r\nHeight=-20\r\n") << QRect();
        QTest::newRow("partly off the right edge")
            << QByteArray("Left=500\r\nTop=10\r\nWidth=600\r\nHeight=500\r\n") << QRect();
    }
    void storedGeometryIsBroughtOntoTheScreen()
    {
        QFETCH(QByteArray, geometry);
        QFETCH(QRect, asStored);
        WriteSettings(WithTranscoderPath("[Zolvane]\r\n" + geometry));
        StartSession();
        const QRect area = MainForm->screen()->availableGeometry();
        const QRect frame = MainForm->frameGeometry();
        const QRect window = MainForm->geometry();
        EndSession();
        QVERIFY2(area.contains(frame), qPrintable(QStringLiteral("%1,%2 %3x%4").arg(frame.x()).arg(frame.y())
                                                      .arg(frame.width()).arg(frame.height())));
        QVERIFY(window.width() > 0 && window.height() > 0);
        // The stored left and top edges are the frame's, the width and height the window's own.
        if (!asStored.isNull())
            QCOMPARE(QRect(frame.topLeft(), window.size()), asStored);
        const TIniFile stored(SettingsPath());
        const QRect saved(stored.ReadInteger("Zolvane", "Left", -1), stored.ReadInteger("Zolvane", "Top", -1),
                          stored.ReadInteger("Zolvane", "Width", -1), stored.ReadInteger("Zolvane", "Height", -1));
        QVERIFY(area.contains(saved));
        if (!asStored.isNull())
            QCOMPARE(saved, asStored);
    }

    // A language file that is missing at start-up: the program says which file, keeps readable
    // texts (the English ones) and stores English, the language that loaded, at exit.
    void startupWithAMissingLanguageFile_data()
    {
        QTest::addColumn<QStringList>("files");   // the language folder's files
        QTest::addColumn<QByteArray>("saved");    // "lang" in the settings
        QTest::addColumn<QString>("missing");     // the file named in the message
        QTest::newRow("saved language missing") << QStringList{"English.ini"} << QByteArray("Deutsch") << "Deutsch.ini";
        QTest::newRow("no language file at all") << QStringList{} << QByteArray("English") << "English.ini";
        QTest::newRow("only the saved language") << QStringList{"Deutsch.ini"} << QByteArray("Deutsch") << "English.ini";
    }
    void startupWithAMissingLanguageFile()
    {
        QFETCH(QStringList, files);
        QFETCH(QByteArray, saved);
        QFETCH(QString, missing);
        QTemporaryDir folder;
        for (const QString &file : files)
            QVERIFY(QFile::copy(QStringLiteral(ZOLVANE_BIN_DIR "/lang/") + file, folder.filePath(file)));
        WriteSettings(WithTranscoderPath("[Zolvane]\r\nlang=" + saved + "\r\n"));
        QStringList messages;
        TMainForm::MessageHook = [&messages](QWidget *, const QString &text, bool) { messages << text; };
        // No text of an earlier start may pass for one of this start.
        LanguageStrings.Clear();
        InitZolvaneProcess();
        CreateZolvaneWindows();
        MainForm->LanguageFolder = (folder.path() + QStringLiteral("/")).toLocal8Bit();
        MainForm->show();
        QCoreApplication::processEvents();
        // Without the English file the program's own copy of the English texts stands in, for
        // every caption, hint and message.
        const QStringList notEnglish =
            LanguageCheck::keysNotShowing(TIniFile(QStringLiteral(ZOLVANE_SOURCE_DIR "/lang/English.ini")));
        const QString file = MainForm->File1->title();
        const QString start = MainForm->bbStartProcess->text();
        const QString started = LanguageStrings.TranscodingStarted;
        QStringList ticked;
        for (QAction *item : MainForm->Lang->actions())
            if (item->isChecked())
                ticked << item->objectName();
        EndSession();
        if (!files.contains(QStringLiteral("Deutsch.ini")))
            QVERIFY2(notEnglish.isEmpty(), qPrintable(notEnglish.join(QLatin1Char('\n'))));
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.first().contains(folder.filePath(missing)), qPrintable(messages.first()));
        QVERIFY(!file.isEmpty());
        QVERIFY(!start.isEmpty());
        QVERIFY(!started.isEmpty()); // the message texts too
        const QString expectedTick = files.contains(QStringLiteral("Deutsch.ini")) ? "de" : "Eng";
        QCOMPARE(ticked, QStringList{expectedTick});
        QCOMPARE(TIniFile(SettingsPath()).ReadString("Zolvane", "lang", {}),
                 expectedTick == "de" ? QStringLiteral("Deutsch") : QStringLiteral("English"));
    }

    // Files saved by an editor that puts a UTF-8 byte-order mark first: the settings keep every
    // key of their first section (no tool-path question, the stored language) and the mark, and a
    // language file with the mark loads.
    void filesWithAByteOrderMarkAreRead()
    {
        QTemporaryDir folder;
        QFile english(QStringLiteral(ZOLVANE_BIN_DIR "/lang/English.ini"));
        QVERIFY(english.open(QIODevice::ReadOnly));
        const QByteArray englishBytes = english.readAll();
        english.close();
        QFile deutsch(QStringLiteral(ZOLVANE_BIN_DIR "/lang/Deutsch.ini"));
        QVERIFY(deutsch.open(QIODevice::ReadOnly));
        const QByteArray deutschBytes = deutsch.readAll();
        deutsch.close();
        QVERIFY(deutschBytes.startsWith("[MAIN]"));
        for (const auto &[name, bytes] : {std::pair{"English.ini", englishBytes}, std::pair{"Deutsch.ini", deutschBytes}}) {
            QFile file(folder.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("\xEF\xBB\xBF" + bytes);
        }
        WriteSettings("\xEF\xBB\xBF" + WithTranscoderPath("[Zolvane]\r\nlang=Deutsch\r\n"));
        QStringList messages;
        TMainForm::MessageHook = [&messages](QWidget *, const QString &text, bool) { messages << text; };
        InitZolvaneProcess();
        CreateZolvaneWindows();
        MainForm->LanguageFolder = (folder.path() + QStringLiteral("/")).toLocal8Bit();
        ModalCloser closer;
        MainForm->show();
        QCoreApplication::processEvents();
        const QString file = MainForm->File1->title();
        const QString kandrum = ExeBrowse->findChild<QLineEdit *>("edKandrum")->text();
        MainForm->Quit1->trigger();
        EndSession();
        QVERIFY2(messages.isEmpty(), qPrintable(messages.join(QLatin1Char('\n'))));
        QVERIFY2(closer.seen.isEmpty(), qPrintable(closer.seen.join(QLatin1Char(' '))));
        QCOMPARE(kandrum, QString::fromLatin1(kTranscoderPath));
        QCOMPARE(file, TIniFile(folder.filePath(QStringLiteral("Deutsch.ini"))).ReadString("MAIN", "MenuFile1", {}));
        QVERIFY(!file.isEmpty());
        QFile written(SettingsPath());
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QByteArray bytes = written.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF[Zolvane]\r\n"));
        QCOMPARE(bytes.count("[Zolvane]"), 1);
        QCOMPARE(TIniFile(SettingsPath()).ReadString("Zolvane", "lang", {}), QStringLiteral("Deutsch"));
    }

    // Keys and lines of other programs in the settings file survive the start-up and the exit,
    // in their places and byte for byte.
    void foreignLinesKeptAcrossASession()
    {
        QByteArray foreign = "; written by another program\r\n[Zolvane]\r\nKandrum_path=" + kTranscoderPath + "\r\n";
        for (int i = 0; i < 200; ++i)
            foreign += "OtherKey" + QByteArray::number(i) + "=other \xe9 value " + QByteArray::number(i) + "\r\n";
        foreign += "\r\n[OtherProgram]\r\nsetting=\"quoted\"\r\nempty=\r\n\r\n[MP3]\r\nforeign_mp3=1\r\n";
        WriteSettings(foreign);
        StartSession();
        EndSession();
        QFile file(SettingsPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> after = file.readAll().split('\n');
        qsizetype at = 0;
        for (const QByteArray &line : foreign.split('\n')) {
            if (line.isEmpty())
                continue;
            while (at < after.size() && after[at] != line)
                ++at;
            QVERIFY2(at < after.size(), line.constData());
        }
        const TIniFile ini(SettingsPath());
        QVERIFY(ini.ValueExists("MP3", "vbr_mode"));
        QCOMPARE(ini.ReadString("OtherProgram", "setting", {}), QStringLiteral("quoted"));
    }

    // Each save pass replaces the file once, however many keys it writes: the exit (the main
    // window's keys and the command-line editor's) and a start-up whose channel choices write keys.
    void eachSavePassReplacesTheFileOnce()
    {
        QByteArray content = WithTranscoderPath("[MP3]\r\nChannels=6\r\n[VORBIS]\r\nchannels=6\r\n");
        for (int i = 0; i < 2000; ++i)
            content += "[Other" + QByteArray::number(i) + "]\r\nkey=value\r\n";
        WriteSettings(content);
        ReplaceCounter replaces;
        QVERIFY(replaces.valid());
        StartSession();
        QCOMPARE(replaces.take(), 1);
        MainForm->chAzidDC->setChecked(!MainForm->chAzidDC->isChecked());
        QCOMPARE(replaces.take(), 0);
        EndSession();
        QCOMPARE(replaces.take(), 1);
        // The next session: at most one replace each, none where nothing changed.
        StartSession();
        const int atStart = replaces.take();
        EndSession();
        QVERIFY(atStart <= 1);
        QVERIFY(replaces.take() <= 1);
    }

    // A tool path that the settings file cannot give back whole (one with a line break, one
    // longer than a value that is read back) never reaches it: OK tells why, and the file stays as
    // it was.
    void toolPathThatCannotBeStoredIsRefused_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("told");
        QTest::newRow("line break") << QStringLiteral("/tmp/new\nfolder/Kandrum.exe") << QStringLiteral("line break");
        QTest::newRow("longer than 2047 characters")
            << QStringLiteral("/tmp/") + QString(2100, QLatin1Char('d')) + QStringLiteral("/Kandrum.exe")
            << QStringLiteral("2047 characters");
    }
    void toolPathThatCannotBeStoredIsRefused()
    {
        QFETCH(QString, path);
        QFETCH(QString, told);
        WriteSettings(WithTranscoderPath(""));
        StartSession();
        QFile before(SettingsPath());
        QVERIFY(before.open(QIODevice::ReadOnly));
        const QByteArray stored = before.readAll();
        before.close();
        // The boxes the dialog shows, seen as they appear; the timer answers them.
        MessageBoxWatcher boxes;
        auto *edKandrum = ExeBrowse->findChild<QLineEdit *>("edKandrum");
        QVERIFY(edKandrum);
        edKandrum->setText(path);
        QVERIFY(QMetaObject::invokeMethod(ExeBrowse, "btOkClick"));
        const QStringList shown = boxes.texts;
        QFile after(SettingsPath());
        QVERIFY(after.open(QIODevice::ReadOnly));
        const QByteArray written = after.readAll();
        after.close();
        MainForm->Quit1->trigger();
        EndSession();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.first().startsWith(QStringLiteral("Unable to write to ") + SettingsPath()), qPrintable(shown.first()));
        QVERIFY2(shown.first().contains(told), qPrintable(shown.first()));
        QCOMPARE(written, stored);
        QCOMPARE(TIniFile(SettingsPath()).ReadString("Zolvane", "Kandrum_path", {}), QString::fromLatin1(kTranscoderPath));
        QVERIFY(!TIniFile(SettingsPath()).SectionExists(QStringLiteral("folder/Kandrum.exe")));
    }

    // Every key of a full settings file holding a hostile value: the start-up takes what it can,
    // every list, spin box and bar ends on a valid entry, and the exit writes a file that the next
    // start reads back unchanged.
    void hostileValueInEveryKey_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("minus one") << QByteArray("-1");
        QTest::newRow("largest") << QByteArray("2147483647");
        QTest::newRow("smallest") << QByteArray("-2147483648");
        QTest::newRow("beyond 32 bits") << QByteArray("99999999999");
        QTest::newRow("hexadecimal") << QByteArray("$FFFFFFFF");
        QTest::newRow("text") << QByteArray("abc");
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("fraction") << QByteArray("1.5e308");
    }
    void hostileValueInEveryKey()
    {
        QFETCH(QByteArray, value);
        // A full file, as an exit writes it.
        WriteSettings(WithTranscoderPath(""));
        StartSession();
        MainForm->Quit1->trigger();
        EndSession();
        QFile full(SettingsPath());
        QVERIFY(full.open(QIODevice::ReadOnly));
        QByteArray hostile;
        for (QByteArray line : full.readAll().split('\n')) {
            line = line.trimmed();
            const int equals = line.indexOf('=');
            if (equals > 0 && !line.startsWith("Kandrum_path="))
                line = line.left(equals + 1) + value;
            hostile += line + "\r\n";
        }
        full.close();
        WriteSettings(hostile);
        StartSession();
        for (QWidget *window : QApplication::topLevelWidgets()) {
            for (QComboBox *combo : window->findChildren<QComboBox *>())
                QVERIFY2(combo->count() == 0 || (combo->currentIndex() >= 0 && combo->currentIndex() < combo->count()),
                         qPrintable(combo->objectName()));
            for (QSpinBox *spin : window->findChildren<QSpinBox *>())
                QVERIFY2(spin->value() >= spin->minimum() && spin->value() <= spin->maximum(),
                         qPrintable(spin->objectName()));
            for (QAbstractSlider *bar : window->findChildren<QAbstractSlider *>())
                QVERIFY2(bar->value() >= bar->minimum() && bar->value() <= bar->maximum(), qPrintable(bar->objectName()));
        }
        QVERIFY(MainForm->PageControl1->currentWidget());
        const QRect area = MainForm->screen()->availableGeometry();
        QVERIFY(area.contains(MainForm->frameGeometry()));
        MainForm->Quit1->trigger();
        EndSession();
        QFile first(SettingsPath());
        QVERIFY(first.open(QIODevice::ReadOnly));
        const QByteArray written = first.readAll();
        first.close();
        StartSession();
        MainForm->Quit1->trigger();
        EndSession();
        QFile second(SettingsPath());
        QVERIFY(second.open(QIODevice::ReadOnly));
        QCOMPARE(second.readAll(), written);
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
