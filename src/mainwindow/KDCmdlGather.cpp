#include "KDCmdlGather.h"

#include "AACOptionRules.h"
#include "JobRow.h"
#include "KDCmdlGrammar.h"
#include "UAdvanced.h"
#include "UEditKDCL.h"
#include "UExeBrowser.h"
#include "ULame.h"
#include "UMain.h"
#include "UMainGlobals.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAction>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextEdit>
#include <QTreeWidget>

namespace {

QStringList g_missing;

// Reads the controls of one window by objectName, whatever widget kind each turns out to
// be. A control that is not there reads as off, 0 or empty and is noted in g_missing.
class ControlReader
{
public:
    ControlReader(QObject *window, const char *windowName)
        : m_window(window), m_windowName(QLatin1String(windowName))
    {
        if (!m_window)
            g_missing << m_windowName;
    }

    QObject *find(const char *name, const char *frame = nullptr) const
    {
        if (!m_window)
            return nullptr;
        QObject *root = m_window;
        QString where = m_windowName;
        if (frame) {
            where += QLatin1Char('.') + QLatin1String(frame);
            if (QObject *f = m_window->findChild<QObject *>(QLatin1String(frame))) {
                root = f;
            } else {
                // Without its frame the control may still stand on the window itself.
                noteMissing(where);
            }
        }
        QObject *o = root->findChild<QObject *>(QLatin1String(name));
        if (!o)
            noteMissing(where + QLatin1Char('.') + QLatin1String(name));
        return o;
    }

    bool checked(const char *name, const char *frame = nullptr) const
    {
        QObject *o = find(name, frame);
        if (auto *b = qobject_cast<QAbstractButton *>(o)) return b->isChecked();
        if (auto *a = qobject_cast<QAction *>(o)) return a->isChecked();
        if (auto *g = qobject_cast<QGroupBox *>(o)) return g->isCheckable() && g->isChecked();
        return false;
    }

    int position(const char *name, const char *frame = nullptr) const
    {
        QObject *o = find(name, frame);
        if (auto *s = qobject_cast<QAbstractSlider *>(o)) return s->value();
        if (auto *s = qobject_cast<QSpinBox *>(o)) return s->value();
        if (auto *s = qobject_cast<QDoubleSpinBox *>(o)) return qRound(s->value());
        if (auto *c = qobject_cast<QComboBox *>(o)) return c->currentText().toInt();
        if (auto *e = qobject_cast<QLineEdit *>(o)) return e->text().toInt();
        return 0;
    }

    QString text(const char *name, const char *frame = nullptr) const
    {
        QObject *o = find(name, frame);
        if (auto *e = qobject_cast<QLineEdit *>(o)) return e->text();
        if (auto *c = qobject_cast<QComboBox *>(o)) return c->currentText();
        // Spin boxes hold only valid values; their number is written with the point
        // whatever the user's locale shows.
        if (auto *s = qobject_cast<QSpinBox *>(o)) return QLocale::c().toString(s->value());
        if (auto *s = qobject_cast<QDoubleSpinBox *>(o))
            return QLocale::c().toString(s->value(), 'f', s->decimals());
        if (auto *s = qobject_cast<QAbstractSpinBox *>(o)) return s->text();
        if (auto *p = qobject_cast<QPlainTextEdit *>(o)) return p->toPlainText();
        if (auto *t = qobject_cast<QTextEdit *>(o)) return t->toPlainText();
        if (auto *l = qobject_cast<QLabel *>(o)) return l->text();
        if (auto *s = qobject_cast<QAbstractSlider *>(o)) return QString::number(s->value());
        return {};
    }

    int index(const char *name, const char *frame = nullptr) const
    {
        QObject *o = find(name, frame);
        if (auto *c = qobject_cast<QComboBox *>(o)) return c->currentIndex();
        return -1;
    }

private:
    static void noteMissing(const QString &what)
    {
        if (!g_missing.contains(what))
            g_missing << what;
    }

    QObject *m_window;
    QString m_windowName;
};

QTreeWidgetItem *selectedRowOf(QTreeWidget *list)
{
    return SelectedJobRow(list);
}

// Item data role of the Cmd column that keeps a row's hand-edited command line.
constexpr int HandEditRole = Qt::UserRole + 5;

KDCmdlSnapshot gather(const KDCmdlWindows &w, QTreeWidget *&list, QTreeWidgetItem *&row,
                      QObject *&viewer)
{
    KDCmdlSnapshot s;
    const ControlReader exe(w.exeBrowse, "ExeBrowse");
    const ControlReader m(w.mainForm, "MainForm");
    const ControlReader adv(w.advancedSet, "AdvancedSet");
    const ControlReader lame(w.othersLame, "OthersLame");
    const ControlReader kdcl(w.kdcl, "KDCL");

    s.edKandrum = exe.text("edKandrum");

    // Page and job list.
    if (auto *pages = qobject_cast<QTabWidget *>(m.find("PageControl1"))) {
        if (QWidget *w = pages->currentWidget())
            s.activePage = KDPageFromName(w->objectName());
    }
    list = qobject_cast<QTreeWidget *>(m.find("InputListView"));
    row = selectedRowOf(list);
    s.rowCount = list ? list->topLevelItemCount() : 0;
    s.hasSelectedRow = row != nullptr;
    if (row) {
        s.selectedRow.InputPath = row->text(jcInputPath);
        s.selectedRow.Filename = row->text(jcFilename);
        s.selectedRow.OutputPath = row->text(jcOutputPath);
        s.selectedRow.OutputFilename = row->text(jcOutputFilename);
    }
    s.chOTAViewKDCL = m.checked("chOTAViewKDCL");

    // WAV/PCM page.
    s.rbWAVOutput = m.checked("rbWAVOutput");
    s.rbAIFFOutput = m.checked("rbAIFFOutput");
    s.rbDDWAVOutput = m.checked("rbDDWAVOutput");
    s.rbWAVOutput1 = m.checked("rbWAVOutput1");
    s.rbWAVOutput2 = m.checked("rbWAVOutput2");
    s.rbWAVOutput3 = m.checked("rbWAVOutput3");
    s.rbWAVOutput4 = m.checked("rbWAVOutput4");

    // Processing options of the main window.
    s.chAzidDC = m.checked("chAzidDC");
    s.cbAzidDC = m.text("cbAzidDC");
    s.chOTADelay = m.checked("chOTADelay");
    s.edOTADelay = m.text("edOTADelay");
    s.chOTAMode = m.checked("chOTAMode");
    s.cbOTAMode = ChosenGainMode(qobject_cast<QComboBox *>(m.find("cbOTAMode")));
    s.chSSRC = m.checked("chSSRC");
    s.cbSSRC = m.text("cbSSRC");
    // While the rate box is emptied the rate of its chosen item stands: the resampler never gets
    // an empty rate.
    if (s.cbSSRC.trimmed().isEmpty()) {
        if (auto *rates = qobject_cast<QComboBox *>(m.find("cbSSRC")); rates && rates->currentIndex() >= 0)
            s.cbSSRC = rates->itemText(rates->currentIndex());
    }
    s.chBoost = m.checked("chBoost");
    s.cbBoost = m.index("cbBoost");

    // Advanced settings.
    s.chOutputLog = adv.checked("chOutputLog");
    s.chOutputLoga = adv.checked("chOutputLoga");
    s.chNoID3Tags = adv.checked("chNoID3Tags");
    s.chDNR = adv.checked("chDNR");
    s.chOutputMode = adv.checked("chOutputMode");
    s.cbOutputMode = adv.text("cbOutputMode");
    s.chRearChan = adv.checked("chRearChan");
    s.chLFEtoLR = adv.checked("chLFEtoLR");
    s.edLFEtoLR = adv.text("edLFEtoLR");
    s.chNormalize = adv.checked("chNormalize");
    s.edNormalize = adv.text("edNormalize");
    s.chManGain = adv.checked("chManGain");
    s.edManGain = adv.text("edManGain");
    s.chEqualizer = adv.checked("chEqualizer");
    s.edEqualizer = adv.text("edEqualizer");
    s.chAppendSilence = adv.checked("chAppendSilence");
    s.edAppendSilence = adv.text("edAppendSilence");
    s.chSoundTouchFRC = adv.checked("chSoundTouchFRC");
    s.ed1SoundTouchFRC = adv.text("ed1SoundTouchFRC");
    s.ed2SoundTouchFRC = adv.text("ed2SoundTouchFRC");
    s.chPartialEncStart = adv.checked("chPartialEncStart");
    s.edPartialEncStart = adv.text("edPartialEncStart");
    s.chPartialEncEnd = adv.checked("chPartialEncEnd");
    s.edPartialEncEnd = adv.text("edPartialEncEnd");
    s.chSoundTouchTempo = adv.checked("chSoundTouchTempo");
    s.chSoundTouchPitch = adv.checked("chSoundTouchPitch");
    s.chSoundTouchRate = adv.checked("chSoundTouchRate");
    s.chSoundTouchQuicker = adv.checked("chSoundTouchQuicker");
    s.chSoundTouchDisAntiAlias = adv.checked("chSoundTouchDisAntiAlias");
    s.chExternalPlugDLLName = adv.checked("chExternalPlugDLLName");
    s.chExternalPlugFunc = adv.checked("chExternalPlugFunc");

    s.SoundTouchFRCArg = SoundTouchFRCArg;
    s.SoundTouchTempoArg = SoundTouchTempoArg;
    s.SoundTouchPitchArg = SoundTouchPitchArg;
    s.SoundTouchRateArg = SoundTouchRateArg;
    s.SoundTouchQuickArg = SoundTouchQuickArg;
    s.SoundTouchNaaArg = SoundTouchNaaArg;
    s.PluginNameArg = PluginNameArg;
    s.PluginFuncArg = PluginFuncArg;
    s.AudXFolder = AudXFolder;
    if (s.activePage == KDPage::MP3 && m.checked("rbMP3Ch6"))
        s.AudXProgram = AudXProgramName();
    s.SaveDialog1FileName = SaveDialog1FileName;
    // Only the selected row's own hand edit replaces its built command.
    s.CmdLineEdited = JobRowHasHandEdit(row);
    s.RichEdit1 = JobRowHandEdit(row);

    viewer = kdcl.find("RichEdit1");

    // AAC page and its engine frames.
    s.cbAACEncEngine = m.index("cbAACEncEngine");
    s.rbAACOutputCh2 = m.checked("rbAACOutputCh2");
    s.rbAACOutputCh6 = m.checked("rbAACOutputCh6");
    s.RefTrackBar = m.position("RefTrackBar", "TGPRef1");
    s.chMonoEncodingRefEnc = m.checked("chMonoEncodingRefEnc", "TGPRef1");
    s.chDisablePS = m.checked("chDisablePS", "TGPRef1");
    s.rbFAACVBRMode = m.checked("rbFAACVBRMode", "FaacFrame1");
    s.SpEdFAACVBRMode = m.text("SpEdFAACVBRMode", "FaacFrame1");
    s.SpEdFAACABRMode = m.text("SpEdFAACABRMode", "FaacFrame1");
    s.chFaacLowpass = m.checked("chFaacLowpass", "FaacFrame1");
    s.SpedFaacLowpass = m.text("SpedFaacLowpass", "FaacFrame1");
    s.chAACtoMP4 = m.checked("chAACtoMP4", "FaacFrame1");
    s.chTNS = m.checked("chTNS", "FaacFrame1");
    s.chFaacProfile = m.checked("chFaacProfile", "FaacFrame1");
    s.cbFaacProfile = m.text("cbFaacProfile", "FaacFrame1");
    s.chMSCoding = m.checked("chMSCoding", "FaacFrame1");
    s.chFaacMPEGversion = m.checked("chFaacMPEGversion", "FaacFrame1");
    s.cbFaacMPEGversion = m.text("cbFaacMPEGversion", "FaacFrame1");
    s.chFaacShortBlocks = m.checked("chFaacShortBlocks", "FaacFrame1");
    s.cbFaacShortBlocks = m.index("cbFaacShortBlocks", "FaacFrame1");
    s.rbQuality = m.checked("rbQuality", "NDFrame1");
    s.trackBar = m.position("trackBar", "NDFrame1");
    s.chCBR = m.checked("chCBR", "NDFrame1");
    s.TrackBar2 = m.position("TrackBar2", "NDFrame1");
    s.TntComboBox1 = m.index("TntComboBox1", "NDFrame1");
    s.chHint = m.checked("chHint", "NDFrame1");
    s.TrackBar = m.position("TrackBar", "CTFrame1");
    s.rbMPEG2 = m.checked("rbMPEG2", "CTFrame1");
    s.chCTPNS = m.checked("chCTPNS", "CTFrame1");
    s.chCTSpeech = m.checked("chCTSpeech", "CTFrame1");
    s.cbAACMode = m.text("cbAACMode", "CTFrame1");
    s.cbCTFormat = m.index("cbCTFormat", "CTFrame1");

    // VORBIS page.
    s.rbVORBISQuality = m.checked("rbVORBISQuality");
    s.VORBISScrollBar = m.position("VORBISScrollBar");
    s.rbVORBISCBRMode = m.checked("rbVORBISCBRMode");
    s.SpEdtVORBISmin = m.text("SpEdtVORBISmin");
    s.SpEdtVORBISnom = m.text("SpEdtVORBISnom");
    s.SpEdtVORBISmax = m.text("SpEdtVORBISmax");
    s.rbVORBISOutputCh6 = m.checked("rbVORBISOutputCh6");

    // AC3 page and its two engine frames.
    s.rbAC3Enc = m.checked("rbAC3Enc");
    s.rbAC3OutputCh6 = m.checked("rbAC3OutputCh6");
    s.AC3EncFrame1_AC3TrackBar = m.position("AC3TrackBar", "AC3EncFrame1");
    s.rbAC3Endians2 = m.checked("rbAC3Endians2", "AC3EncFrame1");
    s.rbAftenBitrate = m.checked("rbAftenBitrate", "AftenFrame1");
    s.AftenFrame1_AC3TrackBar = m.position("AC3TrackBar", "AftenFrame1");
    s.AftenQualTrackBar = m.position("AftenQualTrackBar", "AftenFrame1");

    // MP2 page.
    s.rbMP2Enc = m.checked("rbMP2Enc");
    s.chMP2EncMode = m.checked("chMP2EncMode");
    s.cbMP2EncMode = m.index("cbMP2EncMode");
    s.MP2TrackBar = m.position("MP2TrackBar");
    s.chMP2EncVBR = m.checked("chMP2EncVBR");
    s.SpEdtMP2VBR = m.text("SpEdtMP2VBR");

    // MP3 page, the LAME and Aud-X frames, and the extra LAME options.
    s.rbMP3Ch2 = m.checked("rbMP3Ch2");
    s.rbMP3Bitrate = m.checked("rbMP3Bitrate");
    s.MP3TrackBar_Bitrate = m.position("MP3TrackBar_Bitrate", "LameFrame1");
    s.chMP3ABR = m.checked("chMP3ABR", "LameFrame1");
    s.cbVBRMode = m.text("cbVBRMode", "LameFrame1");
    s.MP3TrackBar_Quality = m.position("MP3TrackBar_Quality", "LameFrame1");
    s.chMP3Mono = m.checked("chMP3Mono", "LameFrame1");
    s.cbMode = m.index("cbMode", "AuXFrame1");
    s.chStreamsForceByte = lame.checked("chStreamsForceByte");
    s.chATHturndown = lame.checked("chATHturndown");
    s.chATHignorePSYcompletely = lame.checked("chATHignorePSYcompletely");
    s.chStreamsErrorProtec = lame.checked("chStreamsErrorProtec");
    s.chFilterLowpass = lame.checked("chFilterLowpass");
    s.edFilterLowpass = lame.text("edFilterLowpass");
    s.chFilterSampleFreq = lame.checked("chFilterSampleFreq");
    s.cbFilterSampleFreq = lame.text("cbFilterSampleFreq");
    s.chATHignorePSY = lame.checked("chATHignorePSY");
    s.chATHtype = lame.checked("chATHtype");
    s.SpEdtATHtype = lame.text("SpEdtATHtype");
    s.chATHdifferent = lame.checked("chATHdifferent");

    // SPEEX page.
    s.rbSpeexQuality = m.checked("rbSpeexQuality");
    s.SpeexQualityTrackBar = m.position("SpeexQualityTrackBar");
    s.chSpeexABR = m.checked("chSpeexABR");
    s.SpeexBitrateTrackBar = m.position("SpeexBitrateTrackBar");
    s.chSpeexVBR = m.checked("chSpeexVBR");
    s.chSpeexEncComplex = m.checked("chSpeexEncComplex");
    s.spEdEncComplex = m.text("spEdEncComplex");
    s.chSpeexAGC = m.checked("chSpeexAGC");
    s.chSpeexFramesOgg = m.checked("chSpeexFramesOgg");
    s.spEdFramesOgg = m.text("spEdFramesOgg");
    s.chSpeexDenoise = m.checked("chSpeexDenoise");

    // Lossless page.
    s.FlakeTrackBar = m.position("FlakeTrackBar");
    s.rbLossless6Ch = m.checked("rbLossless6Ch");
    return s;
}

void setViewerText(QObject *viewer, const QString &text)
{
    if (auto *p = qobject_cast<QPlainTextEdit *>(viewer))
        p->setPlainText(text);
    else if (auto *t = qobject_cast<QTextEdit *>(viewer))
        t->setPlainText(text);
    else if (auto *e = qobject_cast<QLineEdit *>(viewer))
        e->setText(text);
}

} // namespace

void KDCmdlRun()
{
    KDCmdlWindows w;
    w.mainForm = MainForm;
    w.advancedSet = AdvancedSet;
    w.othersLame = OthersLame;
    w.kdcl = KDCL;
    w.exeBrowse = ExeBrowse;
    KDCmdlRunOn(w);
}

void KDCmdlRunOn(const KDCmdlWindows &w)
{
    // Writing the row or the viewer may run handlers that rebuild again; the outer call
    // already builds from the present controls.
    static bool running = false;
    if (running)
        return;
    running = true;
    struct Reset { bool &flag; ~Reset() { flag = false; } } reset{running};

    g_missing.clear();
    QTreeWidget *list = nullptr;
    QTreeWidgetItem *row = nullptr;
    QObject *viewer = nullptr;
    const KDCmdlSnapshot s = gather(w, list, row, viewer);
    const KDCmdlResult r = KDCmdlBuild(s);

    CommandBase = r.CommandBase;
    OutputModeArg = r.OutputModeArg;
    if (r.which == KDCmdlCase::Row && row)
        row->setText(jcCmd, r.rowCmd);

    auto *viewerWindow = qobject_cast<QWidget *>(w.kdcl);
    if (r.viewerVisible) {
        if (auto *editor = qobject_cast<TKDCL *>(w.kdcl))
            editor->ShowCommandOf(r.which == KDCmdlCase::Row ? row : nullptr, r.viewerText);
        else
            setViewerText(viewer, r.viewerText);
        if (viewerWindow)
            viewerWindow->setVisible(true);
    } else if (viewerWindow) {
        viewerWindow->setVisible(false);
    }
}

QString ChosenGainMode(const QComboBox *gainList)
{
    if (!gainList)
        return {};
    const QString mode = GainModeName(gainList->currentText());
    if (!mode.isEmpty() || gainList->currentIndex() < 0)
        return mode;
    return gainList->itemText(gainList->currentIndex());
}

QStringList KDCmdlMissingControls()
{
    return g_missing;
}

QTreeWidgetItem *SelectedJobRow(QTreeWidget *list)
{
    if (!list)
        return nullptr;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = list->topLevelItem(i);
        if (item->isSelected())
            return item;
    }
    return nullptr;
}

void SetJobRowHandEdit(QTreeWidgetItem *row, const QString &text)
{
    if (row)
        row->setData(jcCmd, HandEditRole, text);
}

bool JobRowHasHandEdit(const QTreeWidgetItem *row)
{
    return row && row->data(jcCmd, HandEditRole).isValid();
}

QString JobRowHandEdit(const QTreeWidgetItem *row)
{
    return row ? row->data(jcCmd, HandEditRole).toString() : QString();
}
