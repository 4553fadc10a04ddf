#pragma once

#include <QByteArray>
#include <QString>

// The transcoder command-line grammar as a pure function: a snapshot of every control value
// and main-window global that the builder reads goes in, the command text and the
// recomputed globals come out. No widget is touched here.

// The active encoder page of PageControl1.
enum class KDPage {
    None,      // no page (or one the builder does not know)
    AAC,       // TabSheet1
    AC3,       // TabSheet2
    MP2,       // TabSheet3
    MP3,       // TabSheet4
    Vorbis,    // TabSheet5
    WAV,       // TabSheet6 (WAV/PCM)
    Speex,     // TabSheet7
    Lossless   // LosslessTab
};

// Maps a page's objectName ("TabSheet1" ... "LosslessTab") to its page.
KDPage KDPageFromName(const QString &objectName);

// One job row's fields as the builder reads them.
struct KDCmdlRow {
    QString InputPath;      // input folder with a trailing separator
    QString Filename;       // bare input file name
    QString OutputPath;     // output folder
    QString OutputFilename; // bare output file name
};

// Every value the builder reads. Members are named after their controls; check boxes and
// radios are their ticked state, track bars and scroll bars their position, edits, spin
// edits and combo boxes the text they show, and members holding a combo's item index
// (-1: no item) are int. The defaults are those of a fresh window, except chAzidDC and
// chOTAMode, which start unticked here so that a snapshot opens no processing block unless
// asked to.
struct KDCmdlSnapshot {
    // Tool paths window.
    QString edKandrum;

    // Main window: page, job list, viewer.
    KDPage activePage = KDPage::None;
    int rowCount = 0;                 // rows of InputListView
    bool hasSelectedRow = false;
    KDCmdlRow selectedRow;
    bool chOTAViewKDCL = false;

    // WAV/PCM page.
    bool rbWAVOutput = true, rbAIFFOutput = false, rbDDWAVOutput = false;
    bool rbWAVOutput1 = false, rbWAVOutput2 = true, rbWAVOutput3 = false, rbWAVOutput4 = false;

    // Main window processing options.
    bool chAzidDC = false;
    QString cbAzidDC = QStringLiteral("Normal");
    bool chOTADelay = false;
    QString edOTADelay = QStringLiteral("0");
    bool chOTAMode = false;
    QString cbOTAMode = QStringLiteral("HybridGain");
    bool chSSRC = false;
    QString cbSSRC = QStringLiteral("44100");
    bool chBoost = false;
    int cbBoost = 0;

    // Advanced settings dialog.
    bool chOutputLog = true, chOutputLoga = false, chNoID3Tags = false;
    bool chDNR = false;
    bool chOutputMode = true;
    QString cbOutputMode = QStringLiteral("Stereo");
    bool chRearChan = false;
    bool chLFEtoLR = true;
    QString edLFEtoLR = QStringLiteral("-3db");
    bool chNormalize = false;
    QString edNormalize = QStringLiteral("100");
    bool chManGain = false;
    QString edManGain = QStringLiteral("0db");
    bool chEqualizer = false;
    QString edEqualizer = QStringLiteral("Sample.eq");
    bool chAppendSilence = false;
    QString edAppendSilence = QStringLiteral("0");
    bool chSoundTouchFRC = false;
    QString ed1SoundTouchFRC = QStringLiteral("25000");
    QString ed2SoundTouchFRC = QStringLiteral("29970");
    bool chPartialEncStart = false;
    QString edPartialEncStart = QStringLiteral("0");
    bool chPartialEncEnd = false;
    QString edPartialEncEnd = QStringLiteral("0");
    bool chSoundTouchTempo = false, chSoundTouchPitch = false, chSoundTouchRate = false;
    bool chSoundTouchQuicker = false, chSoundTouchDisAntiAlias = false;
    bool chExternalPlugDLLName = false, chExternalPlugFunc = false;

    // Fragments kept by the advanced dialog (each empty or beginning with a blank).
    QByteArray SoundTouchFRCArg, SoundTouchTempoArg, SoundTouchPitchArg, SoundTouchRateArg;
    QByteArray SoundTouchQuickArg, SoundTouchNaaArg, PluginNameArg, PluginFuncArg;

    // Main window globals.
    QByteArray AudXFolder;
    QString AudXProgram = QStringLiteral("audx.exe"); // the encoder's file name in AudXFolder
    QString SaveDialog1FileName;  // non-empty once the user chose an output
    bool CmdLineEdited = false;

    // Command-line editor.
    QString RichEdit1;

    // AAC page.
    int cbAACEncEngine = 3;
    bool rbAACOutputCh2 = true, rbAACOutputCh6 = false;
    // TGPRef1
    int RefTrackBar = 48;
    bool chMonoEncodingRefEnc = false, chDisablePS = false;
    // FaacFrame1
    bool rbFAACVBRMode = true;
    QString SpEdFAACVBRMode = QStringLiteral("100");
    QString SpEdFAACABRMode = QStringLiteral("128");
    bool chFaacLowpass = false;
    QString SpedFaacLowpass = QStringLiteral("16000");
    bool chAACtoMP4 = false, chTNS = false, chFaacProfile = false;
    QString cbFaacProfile = QStringLiteral("LC");
    bool chMSCoding = true, chFaacMPEGversion = false;
    QString cbFaacMPEGversion = QStringLiteral("4");
    bool chFaacShortBlocks = false;
    int cbFaacShortBlocks = 0;
    // NDFrame1
    bool rbQuality = true;
    int trackBar = 50;
    bool chCBR = false;
    int TrackBar2 = 128;
    int TntComboBox1 = 0;
    bool chHint = false;
    // CTFrame1
    int TrackBar = 48;
    bool rbMPEG2 = false, chCTPNS = false, chCTSpeech = false;
    QString cbAACMode = QStringLiteral("Parametric Stereo");
    int cbCTFormat = 0;

    // VORBIS page.
    bool rbVORBISQuality = true, rbVORBISCBRMode = false;
    int VORBISScrollBar = 200;
    QString SpEdtVORBISmin = QStringLiteral("96");
    QString SpEdtVORBISnom = QStringLiteral("128");
    QString SpEdtVORBISmax = QStringLiteral("256");
    bool rbVORBISOutputCh6 = false;

    // AC3 page.
    bool rbAC3Enc = false;
    bool rbAC3OutputCh6 = false;
    int AC3EncFrame1_AC3TrackBar = 14;   // AC3EncFrame1.AC3TrackBar
    bool rbAC3Endians2 = false;          // AC3EncFrame1
    bool rbAftenBitrate = true;          // AftenFrame1
    int AftenFrame1_AC3TrackBar = 14;    // AftenFrame1.AC3TrackBar
    int AftenQualTrackBar = 220;         // AftenFrame1

    // MP2 page.
    bool rbMP2Enc = false;
    bool chMP2EncMode = true;
    int cbMP2EncMode = 2;
    int MP2TrackBar = 7;
    bool chMP2EncVBR = false;
    QString SpEdtMP2VBR = QStringLiteral("5");

    // MP3 page.
    bool rbMP3Ch2 = true;
    bool rbMP3Bitrate = false;
    // LameFrame1
    int MP3TrackBar_Bitrate = 64;
    bool chMP3ABR = false;
    QString cbVBRMode = QStringLiteral("Standard");
    int MP3TrackBar_Quality = 7;
    bool chMP3Mono = false;
    // AuXFrame1
    int cbMode = 1;
    // Extra LAME options.
    bool chStreamsForceByte = false, chATHturndown = false, chATHignorePSYcompletely = false;
    bool chStreamsErrorProtec = false;
    bool chFilterLowpass = false;
    QString edFilterLowpass = QStringLiteral("44.1");
    bool chFilterSampleFreq = false;
    QString cbFilterSampleFreq = QStringLiteral("44.1");
    bool chATHignorePSY = false, chATHtype = false;
    QString SpEdtATHtype = QStringLiteral("0");
    bool chATHdifferent = false;

    // SPEEX page.
    bool rbSpeexQuality = true;
    int SpeexQualityTrackBar = 8;
    bool chSpeexABR = false;
    int SpeexBitrateTrackBar = 16;
    bool chSpeexVBR = false;
    bool chSpeexEncComplex = false;
    QString spEdEncComplex = QStringLiteral("3");
    bool chSpeexAGC = false;
    bool chSpeexFramesOgg = false;
    QString spEdFramesOgg = QStringLiteral("1");
    bool chSpeexDenoise = false;

    // Lossless page.
    int FlakeTrackBar = 5;
    bool rbLossless6Ch = false;
};

// Which of the three cases the builder met.
enum class KDCmdlCase {
    EmptyList,   // no rows: the template was built into CommandBase
    NoSelection, // rows but none selected: nothing built, no row changed
    Row          // the selected row's command was built
};

struct KDCmdlResult {
    KDCmdlCase which = KDCmdlCase::EmptyList;
    QByteArray CommandBase;   // program token; with an empty list, the whole template
    QByteArray OutputModeArg; // the WAV/PCM output-mode switch or empty
    QString rowCmd;           // the selected row's new Cmd (case Row only)
    bool viewerVisible = false;
    QString viewerText;       // what the viewer shows while visible
};

// The command-line builder: composes the command of the selected row (or the template
// while the list is empty) from the snapshot.
KDCmdlResult KDCmdlBuild(const KDCmdlSnapshot &s);

// The template command for an empty job list: program token, empty core block, output-mode
// switch and log/ID3 tail.
QByteArray KDCmdlTemplate(const KDCmdlSnapshot &s);

// The encoder block pieces, for the pages that have one.
QString KDCmdlAACBlock(const KDCmdlSnapshot &s);
QString KDCmdlVorbisBlock(const KDCmdlSnapshot &s);
QString KDCmdlAC3Block(const KDCmdlSnapshot &s);
QString KDCmdlMP2Block(const KDCmdlSnapshot &s);
QString KDCmdlMP3Block(const KDCmdlSnapshot &s);
QString KDCmdlAudXCommand(const KDCmdlSnapshot &s);
QString KDCmdlSpeexBlock(const KDCmdlSnapshot &s);
QString KDCmdlLosslessBlock(const KDCmdlSnapshot &s);
