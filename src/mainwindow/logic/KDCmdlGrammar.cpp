#include "KDCmdlGrammar.h"

#include "CommandLineSplit.h"

#include <QLocale>

namespace {

QString num(int v)
{
    return QLocale::c().toString(v);
}

// Extension of a file name: the text from the last "." after the last separator, or "".
// A ":" is an ordinary character of a name here, not a drive delimiter.
QString extensionOf(const QString &name)
{
    const int sep = name.lastIndexOf(QLatin1Char('/'));
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > sep ? name.mid(dot) : QString();
}

// The name with its extension replaced by ext (appended when it has none).
QString changeExtension(const QString &name, const QString &ext)
{
    const QString old = extensionOf(name);
    return name.left(name.size() - old.size()) + ext;
}

// The name with its extension lower-cased and the rest unchanged.
QString lowerExtension(const QString &name)
{
    const QString ext = extensionOf(name);
    return name.left(name.size() - ext.size()) + ext.toLower();
}

// Text that stands between double quotes on the command line. The command is split by the
// C runtime's rules, so a double quote inside a name is written as \" and backslashes that
// come before a quote (or before the closing quote) are doubled; any other text is kept as
// it is.
QByteArray quoted(const QByteArray &text)
{
    return QuotedArgument(text);
}

bool isWav(const QString &filename)
{
    return extensionOf(filename).toLower() == QLatin1String(".wav");
}

QByteArray programToken(const KDCmdlSnapshot &s)
{
    if (s.edKandrum.isEmpty())
        return QByteArrayLiteral("\"Kandrum.exe\"");
    // The program name is split without escapes: its text stands as typed.
    return '"' + s.edKandrum.toLocal8Bit() + '"';
}

QByteArray outputModeArg(const KDCmdlSnapshot &s)
{
    if (s.activePage != KDPage::WAV)
        return {};
    if (s.rbWAVOutput) {
        if (s.rbWAVOutput1) return QByteArrayLiteral(" -6chwav");
        if (s.rbWAVOutput2) return QByteArrayLiteral(" -2ch");
        if (s.rbWAVOutput3) return QByteArrayLiteral(" -6ch");
        return QByteArrayLiteral(" -6chfloat");
    }
    if (s.rbAIFFOutput) {
        if (s.rbWAVOutput1) return QByteArrayLiteral(" -6chaiff");
        if (s.rbWAVOutput2) return QByteArrayLiteral(" -6chliff");
        return QByteArrayLiteral(" -5chaiff");
    }
    return QByteArrayLiteral(" -ddwav");
}

// The log and ID3 tail of the core block; log is the quoted log name ("" in the template).
QByteArray coreTail(const KDCmdlSnapshot &s, const QByteArray &log)
{
    QByteArray t;
    if (s.chOutputLog)
        t += (s.chOutputLoga ? " -logfilea " : " -logfile ") + log;
    if (s.chNoID3Tags)
        t += " -noid3";
    return t + " )";
}

QByteArray coreBlock(const KDCmdlSnapshot &s, const QByteArray &modeArg)
{
    const KDCmdlRow &r = s.selectedRow;
    const QByteArray input = quoted((r.InputPath + r.Filename).toLocal8Bit());
    const QByteArray output = quoted((r.OutputPath + r.OutputFilename).toLocal8Bit());
    const QByteArray log = quoted(
        (r.OutputPath + changeExtension(r.OutputFilename, QStringLiteral(".log"))).toLocal8Bit());
    return " -core( -input " + input + " -output " + output + " " + modeArg + coreTail(s, log);
}

QString decoderBlock(const KDCmdlSnapshot &s)
{
    if (!(s.chLFEtoLR || s.chOutputMode || s.chDNR || s.chNormalize || s.chRearChan
          || s.chManGain || s.chAzidDC))
        return {};
    QString b = QStringLiteral(" -azid(");
    if (s.chDNR) b += QLatin1String(" -n1");
    if (s.chOutputMode) b += QLatin1String(" -s ") + s.cbOutputMode.toLower();
    if (s.chRearChan) b += QLatin1String(" -d 2/0 -f1");
    if (s.chAzidDC) b += QLatin1String(" -c ") + s.cbAzidDC.toLower();
    if (s.chLFEtoLR) b += QLatin1String(" -L ") + s.edLFEtoLR;
    if (s.chNormalize) {
        if (s.edNormalize == QLatin1String("100"))
            b += QLatin1String(" --maximize");
        else
            b += QLatin1String(" -g 0.") + s.edNormalize;
    }
    if (s.chManGain) b += QLatin1String(" -g ") + s.edManGain;
    return b + QLatin1String(" )");
}

QString equalizerBlock(const KDCmdlSnapshot &s)
{
    if (!s.chEqualizer)
        return {};
    return QLatin1String(" -shibatch( -eq ") + s.edEqualizer + QLatin1String(" )");
}

QString gainBlock(const KDCmdlSnapshot &s, bool wavInput)
{
    // Frame-rate conversion of a non-WAV input is carried out here; it opens the block on
    // its own too, so that the option is never silently dropped.
    const bool frc = !wavInput && s.chSoundTouchFRC;
    if (!(s.chOTADelay || s.chOTAMode || s.chAppendSilence || frc))
        return {};
    QString b = QStringLiteral(" -ota(");
    if (s.chOTADelay) b += QLatin1String(" -d ") + s.edOTADelay;
    if (s.chOTAMode) {
        if (s.cbOTAMode == QLatin1String("HybridGain"))
            b += QLatin1String(" -hybridgain");
        else if (s.cbOTAMode == QLatin1String("PreGain"))
            b += QLatin1String(" -g max");
        else
            b += QLatin1String(" -G 1");
    }
    if (s.chAppendSilence) b += QLatin1String(" -e ") + s.edAppendSilence;
    if (frc)
        b += QLatin1String(" -r ") + s.ed1SoundTouchFRC + QLatin1Char(' ') + s.ed2SoundTouchFRC;
    return b + QLatin1String(" )");
}

QString splitBlock(const KDCmdlSnapshot &s)
{
    if (!s.chPartialEncStart && !s.chPartialEncEnd)
        return {};
    QString b = QStringLiteral(" -split(");
    if (s.chPartialEncStart) b += QLatin1String(" -start ") + s.edPartialEncStart;
    if (s.chPartialEncEnd) b += QLatin1String(" -end ") + s.edPartialEncEnd;
    return b + QLatin1String(" )");
}

QString resamplerBlock(const KDCmdlSnapshot &s)
{
    if (!s.chSSRC)
        return {};
    return QLatin1String(" -ssrc( --rate ") + s.cbSSRC + QLatin1String(" )");
}

QString boostBlock(const KDCmdlSnapshot &s)
{
    if (!s.chBoost)
        return {};
    switch (s.cbBoost) {
    case 0: return QStringLiteral(" -boost( /b=3 /l=0.95 )");
    case 1: return QStringLiteral(" -boost( /b2=4 /l=0.95 )");
    case 2: return QStringLiteral(" -boost( /b3=5 /l=0.95 )");
    default: return {};
    }
}

QString tempoBlock(const KDCmdlSnapshot &s, bool wavInput)
{
    if (!((wavInput && s.chSoundTouchFRC) || s.chSoundTouchTempo || s.chSoundTouchPitch
          || s.chSoundTouchRate || s.chSoundTouchQuicker || s.chSoundTouchDisAntiAlias))
        return {};
    const QByteArray b = " -soundtouch(" + s.SoundTouchFRCArg + s.SoundTouchTempoArg
                         + s.SoundTouchPitchArg + s.SoundTouchRateArg + s.SoundTouchQuickArg
                         + s.SoundTouchNaaArg + " )";
    return QString::fromLocal8Bit(b);
}

QString pluginBlock(const KDCmdlSnapshot &s)
{
    if (!s.chExternalPlugDLLName && !s.chExternalPlugFunc)
        return {};
    return QString::fromLocal8Bit(" -plugin(" + s.PluginNameArg + s.PluginFuncArg + " )");
}

// Bit rates of the AC-3 frame-size code table, by track bar position.
QString ac3BitratePiece(int position)
{
    static const int rates[] = {32,  40,  48,  56,  64,  80,  96,  112, 128, 160,
                                192, 224, 256, 320, 384, 448, 512, 576, 640};
    if (position < 0 || position >= int(std::size(rates)))
        return {};
    return QLatin1String(" -b ") + num(rates[position]);
}

} // namespace

KDPage KDPageFromName(const QString &n)
{
    if (n == QLatin1String("TabSheet1")) return KDPage::AAC;
    if (n == QLatin1String("TabSheet2")) return KDPage::AC3;
    if (n == QLatin1String("TabSheet3")) return KDPage::MP2;
    if (n == QLatin1String("TabSheet4")) return KDPage::MP3;
    if (n == QLatin1String("TabSheet5")) return KDPage::Vorbis;
    if (n == QLatin1String("TabSheet6")) return KDPage::WAV;
    if (n == QLatin1String("TabSheet7")) return KDPage::Speex;
    if (n == QLatin1String("LosslessTab")) return KDPage::Lossless;
    return KDPage::None;
}

QByteArray KDCmdlTemplate(const KDCmdlSnapshot &s)
{
    return programToken(s) + " -core( -input \"\" -output \"\"" + outputModeArg(s)
           + coreTail(s, QByteArrayLiteral("\"\""));
}

QString KDCmdlAACBlock(const KDCmdlSnapshot &s)
{
    const bool six = s.rbAACOutputCh6;
    QString b;
    switch (s.cbAACEncEngine) {
    case 0: // 3GPP reference encoder
        b = QLatin1String(" -kdn( -exe enhAacPlusEnc.exe -cbr ") + num(s.RefTrackBar);
        if (s.chMonoEncodingRefEnc) b += QLatin1String(" -mono");
        if (s.chDisablePS) b += QLatin1String(" -nops");
        break;
    case 1: // FAAC
        b = QStringLiteral(" -kdn( -exe faac.exe");
        if (s.rbFAACVBRMode)
            b += QLatin1String(" -q ") + s.SpEdFAACVBRMode;
        else
            b += QLatin1String(" -b ") + s.SpEdFAACABRMode;
        if (s.chFaacLowpass) b += QLatin1String(" -c ") + s.SpedFaacLowpass;
        if (s.chAACtoMP4) b += QLatin1String(" -mp4");
        if (s.chTNS) b += QLatin1String(" --tns");
        if (s.chFaacProfile) b += QLatin1String(" --obj-type ") + s.cbFaacProfile;
        if (!s.chMSCoding) b += QLatin1String(" --no-midside");
        if (s.chFaacMPEGversion) b += QLatin1String(" --mpeg-vers ") + s.cbFaacMPEGversion;
        if (s.chFaacShortBlocks && s.cbFaacShortBlocks >= 0 && s.cbFaacShortBlocks <= 2)
            b += QLatin1String(" --shortctl ") + num(s.cbFaacShortBlocks);
        if (six) b += QLatin1String(" -6chnew");
        break;
    case 2: // Nero Digital command-line encoder
        b = QStringLiteral(" -kdn(");
        if (s.rbQuality)
            b += QLatin1String(" -vbr ") + QString::number(s.trackBar / 100.0, 'g', 15);
        else
            b += (s.chCBR ? QLatin1String(" -cbr ") : QLatin1String(" -abr ")) + num(s.TrackBar2);
        switch (s.TntComboBox1) {
        case 1: b += QLatin1String(" -aacprofile_lc"); break;
        case 2: b += QLatin1String(" -aacprofile_he"); break;
        case 3: b += QLatin1String(" -aacprofile_hev2"); break;
        default: break;
        }
        if (s.chHint) b += QLatin1String(" -hintforstreaming");
        if (six) b += QLatin1String(" -6chnew");
        break;
    case 3: // Winamp AAC+ plug-in
        b = QLatin1String(" -vornak( -dllname WA_aac.dll  -cbr ") + num(s.TrackBar);
        if (s.rbMPEG2) b += QLatin1String(" -mpeg2");
        if (s.chCTPNS) b += QLatin1String(" -pns");
        if (s.chCTSpeech) b += QLatin1String(" -speech");
        if (six) {
            if (s.cbCTFormat == 1) b += QLatin1String(" -lc");
            b += QLatin1String(" -6chnew");
        } else {
            if (s.cbAACMode == QLatin1String("Mono")) b += QLatin1String(" -mode 1");
            else if (s.cbAACMode == QLatin1String("Stereo")) b += QLatin1String(" -mode 2");
            else if (s.cbAACMode == QLatin1String("Parametric Stereo")) b += QLatin1String(" -mode 4");
            if (s.cbCTFormat == 1) b += QLatin1String(" -high");
            else if (s.cbCTFormat == 2) b += QLatin1String(" -lc");
        }
        break;
    default:
        return {};
    }
    return b + QLatin1String(" )");
}

QString KDCmdlVorbisBlock(const KDCmdlSnapshot &s)
{
    QString b = QStringLiteral(" -ogg(");
    if (s.rbVORBISQuality) {
        // Position / 1000 with exactly three decimals, composed from the integer so that no
        // rounding or locale enters.
        const int p = s.VORBISScrollBar;
        const int a = p < 0 ? -p : p;
        b += QLatin1String(" -q ") + (p < 0 ? QLatin1String("-") : QLatin1String("")) + num(a / 1000)
             + QLatin1Char('.') + QStringLiteral("%1").arg(a % 1000, 3, 10, QLatin1Char('0'));
    } else if (s.rbVORBISCBRMode) {
        b += QLatin1String(" -b ") + s.SpEdtVORBISnom;
    } else {
        b += QLatin1String(" -m ") + s.SpEdtVORBISmin + QLatin1String(" -b ") + s.SpEdtVORBISnom
             + QLatin1String(" -M ") + s.SpEdtVORBISmax;
    }
    if (s.rbVORBISOutputCh6) b += QLatin1String(" -6ch 1");
    return b + QLatin1String(" )");
}

QString KDCmdlAC3Block(const KDCmdlSnapshot &s)
{
    QString b;
    if (s.rbAC3Enc) {
        b = QLatin1String(" -ac3enc(") + ac3BitratePiece(s.AC3EncFrame1_AC3TrackBar);
        if (s.rbAC3OutputCh6) b += QLatin1String(" -6ch");
        if (s.rbAC3Endians2) b += QLatin1String(" -intel");
    } else {
        b = QStringLiteral(" -kdn( -exe aften.exe");
        if (s.rbAftenBitrate)
            b += ac3BitratePiece(s.AftenFrame1_AC3TrackBar);
        else
            b += QLatin1String(" -q ") + num(s.AftenQualTrackBar);
        if (s.rbAC3OutputCh6) b += QLatin1String(" -6chnew");
    }
    return b + QLatin1String(" )");
}

QString KDCmdlMP2Block(const KDCmdlSnapshot &s)
{
    static const int rates[] = {64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    QString b = s.rbMP2Enc ? QStringLiteral(" -mp2enc(") : QStringLiteral(" -toolame(");
    if (s.chMP2EncMode) {
        static const char *const modes[] = {" -m s", " -m d", " -m j", " -m m"};
        if (s.cbMP2EncMode >= 0 && s.cbMP2EncMode < 4)
            b += QLatin1String(modes[s.cbMP2EncMode]);
    }
    if (s.MP2TrackBar >= 0 && s.MP2TrackBar < int(std::size(rates)))
        b += QLatin1String(" -b ") + num(rates[s.MP2TrackBar]);
    if (s.chMP2EncVBR) b += QLatin1String(" -v ") + s.SpEdtMP2VBR;
    return b + QLatin1String(" )");
}

QString KDCmdlMP3Block(const KDCmdlSnapshot &s)
{
    QString b = QStringLiteral(" -lame(");
    if (s.chStreamsForceByte) b += QLatin1String(" -x");
    if (s.chATHturndown) b += QLatin1String(" --noath");
    if (s.chATHignorePSYcompletely) b += QLatin1String(" --athonly");
    if (s.chMP3Mono) b += QLatin1String(" -m m");
    if (s.rbMP3Bitrate) {
        const int p = s.MP3TrackBar_Bitrate;
        if (s.chMP3ABR) {
            static const int cbr[] = {8,  16,  24,  32,  40,  48,  56,  64,  80,
                                      96, 112, 128, 144, 160, 192, 224, 256, 320};
            int rate = 320;
            for (int r : cbr) {
                if (p <= r) {
                    rate = r;
                    break;
                }
            }
            b += (rate >= 256 ? QLatin1String("  -b ") : QLatin1String(" -b ")) + num(rate);
        } else {
            b += QLatin1String(" --abr ") + num(p);
        }
    } else {
        b += s.cbVBRMode == QLatin1String("Standard") ? QLatin1String(" -v --vbr-old")
                                                       : QLatin1String(" -v --vbr-new");
        b += QLatin1String(" -V ") + num(9 - s.MP3TrackBar_Quality) + QLatin1String(" -b 32");
    }
    if (s.chStreamsErrorProtec) b += QLatin1String(" -p");
    if (s.chFilterLowpass) b += QLatin1String(" --lowpass ") + s.edFilterLowpass;
    if (s.chFilterSampleFreq) b += QLatin1String(" --resample ") + s.cbFilterSampleFreq;
    if (s.chATHignorePSY) b += QLatin1String(" --athshort");
    if (s.chATHtype) b += QLatin1String(" --athtype ") + s.SpEdtATHtype;
    if (s.chATHdifferent) b += QLatin1String(" -Y");
    return b + QLatin1String(" )");
}

QString KDCmdlAudXCommand(const KDCmdlSnapshot &s)
{
    QByteArray folder = s.AudXFolder;
    if (!folder.isEmpty() && !folder.endsWith('/'))
        folder += '/';
    QByteArray c = '"' + folder + s.AudXProgram.toLocal8Bit() + '"';
    static const char *const modes[] = {" STRQ", " STDQ", " HGHQ", " SPBQ"};
    if (s.cbMode >= 0 && s.cbMode < 4)
        c += modes[s.cbMode];
    const KDCmdlRow &r = s.selectedRow;
    c += ' ' + quoted((r.InputPath + lowerExtension(r.Filename)).toLocal8Bit());
    // The job's own output name, so that the encoder writes the file the row names (left to
    // itself it would write the input's name with ".mp3", over an earlier run's output).
    if (!s.SaveDialog1FileName.isEmpty() || !r.OutputFilename.isEmpty())
        c += ' ' + quoted((r.OutputPath + r.OutputFilename).toLocal8Bit());
    return QString::fromLocal8Bit(c);
}

QString KDCmdlSpeexBlock(const KDCmdlSnapshot &s)
{
    QString b = QStringLiteral(" -kdn( -exe speexenc.exe");
    if (s.rbSpeexQuality)
        b += QLatin1String(" --quality ") + num(s.SpeexQualityTrackBar);
    else
        b += (s.chSpeexABR ? QLatin1String(" --abr ") : QLatin1String(" --bitrate "))
             + num(s.SpeexBitrateTrackBar);
    if (s.chSpeexVBR) b += QLatin1String(" --vbr");
    if (s.chSpeexEncComplex) b += QLatin1String(" --comp ") + s.spEdEncComplex;
    if (s.chSpeexAGC) b += QLatin1String(" --agc");
    if (s.chSpeexFramesOgg) b += QLatin1String(" --nframes ") + s.spEdFramesOgg;
    if (s.chSpeexDenoise) b += QLatin1String(" --denoise");
    return b + QLatin1String(" )");
}

QString KDCmdlLosslessBlock(const KDCmdlSnapshot &s)
{
    QString b = QLatin1String(" -kdn( -exe flake.exe -level ") + num(s.FlakeTrackBar);
    if (s.rbLossless6Ch) b += QLatin1String(" -6chnew");
    return b + QLatin1String(" )");
}

KDCmdlResult KDCmdlBuild(const KDCmdlSnapshot &s)
{
    KDCmdlResult res;
    res.CommandBase = programToken(s);
    res.OutputModeArg = outputModeArg(s);

    if (s.rowCount <= 0) {
        res.which = KDCmdlCase::EmptyList;
        res.CommandBase = KDCmdlTemplate(s);
    } else if (!s.hasSelectedRow) {
        res.which = KDCmdlCase::NoSelection;
    } else {
        res.which = KDCmdlCase::Row;
        // The WAV tests read the job's own input name.
        const bool wavInput = isWav(s.selectedRow.Filename);
        QString cmd = QString::fromLocal8Bit(res.CommandBase + coreBlock(s, res.OutputModeArg));
        cmd += decoderBlock(s);
        if (s.activePage == KDPage::AAC) cmd += KDCmdlAACBlock(s);
        cmd += equalizerBlock(s);
        cmd += gainBlock(s, wavInput);
        if (s.activePage == KDPage::Vorbis) cmd += KDCmdlVorbisBlock(s);
        cmd += splitBlock(s);
        cmd += resamplerBlock(s);
        cmd += boostBlock(s);
        switch (s.activePage) {
        case KDPage::AC3: cmd += KDCmdlAC3Block(s); break;
        case KDPage::MP2: cmd += KDCmdlMP2Block(s); break;
        case KDPage::MP3:
            if (s.rbMP3Ch2)
                cmd += KDCmdlMP3Block(s);
            else
                cmd = KDCmdlAudXCommand(s);  // 5.1 MP3 runs the Aud-X encoder instead
            break;
        case KDPage::Speex: cmd += KDCmdlSpeexBlock(s); break;
        case KDPage::Lossless: cmd += KDCmdlLosslessBlock(s); break;
        default: break;
        }
        cmd += tempoBlock(s, wavInput);
        cmd += pluginBlock(s);

        if (s.CmdLineEdited) {
            // The hand-edited command wins; line ends the editor leaves at its end would
            // otherwise become part of the last argument.
            QString edited = s.RichEdit1;
            while (edited.endsWith(QLatin1Char('\n')) || edited.endsWith(QLatin1Char('\r')))
                edited.chop(1);
            cmd = edited;
        }
        res.rowCmd = cmd;
    }

    res.viewerVisible = s.chOTAViewKDCL;
    if (res.viewerVisible) {
        res.viewerText = res.which == KDCmdlCase::Row
                             ? res.rowCmd
                             : QString::fromLocal8Bit(KDCmdlTemplate(s));
    }
    return res;
}
