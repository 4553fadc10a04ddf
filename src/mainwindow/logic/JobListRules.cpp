#include "JobListRules.h"

#include "AC3.h"
#include "DTS.h"
#include "MPEGaudio.h"
#include "OggVorbis.h"
#include "WAVfile.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

qsizetype FileNameStart(const QString &path)
{
    return path.lastIndexOf(QLatin1Char('/')) + 1;
}

QString Text(const std::string &s)
{
    return QString::fromLocal8Bit(s.data(), qsizetype(s.size()));
}

QString RatePieces(long long bitRate, long long sampleRate)
{
    return QString::number(bitRate) + QStringLiteral(" kbps - ") + QString::number(sampleRate)
           + QStringLiteral(" hz - ");
}

} // namespace

// ---- Paths -----------------------------------------------------------------------------------

QString ExtractFileExt(const QString &path)
{
    const qsizetype start = FileNameStart(path);
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return dot >= start ? path.mid(dot) : QString();
}

QString ChangeFileExt(const QString &path, const QString &extension)
{
    const qsizetype start = FileNameStart(path);
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return (dot >= start ? path.left(dot) : path) + extension;
}

// ---- Which probe takes a file ----------------------------------------------------------------

ProbeKind ProbeKindOfAddedFile(const QString &lowerExt)
{
    if (lowerExt == QLatin1String(".ac3"))
        return ProbeKind::AC3;
    if (lowerExt == QLatin1String(".dts"))
        return ProbeKind::DTS;
    if (lowerExt == QLatin1String(".mpa") || lowerExt == QLatin1String(".mp1")
        || lowerExt == QLatin1String(".mp2") || lowerExt == QLatin1String(".mp3"))
        return ProbeKind::MPEG;
    if (lowerExt == QLatin1String(".ogg"))
        return ProbeKind::Vorbis;
    if (lowerExt == QLatin1String(".wav"))
        return ProbeKind::WAV;
    if (lowerExt == QLatin1String(".avi"))
        return ProbeKind::AVI;
    return ProbeKind::None;
}

ProbeKind ProbeKindOfListLine(const QString &lowerExt)
{
    switch (ProbeKindOfAddedFile(lowerExt)) {
    case ProbeKind::AC3: return ProbeKind::AC3;
    case ProbeKind::WAV: return ProbeKind::WAV;
    case ProbeKind::Vorbis: return ProbeKind::Vorbis;
    case ProbeKind::MPEG:
        return lowerExt == QLatin1String(".mp1") ? ProbeKind::None : ProbeKind::MPEG;
    default: return ProbeKind::None;
    }
}

bool IsListOrMuxFile(const QString &path)
{
    const QString ext = ExtractFileExt(path).toLower();
    return ext == QLatin1String(".lst") || ext == QLatin1String(".mux");
}

bool IsMuxFile(const QString &path)
{
    return ExtractFileExt(path).toLower() == QLatin1String(".mux");
}

// ---- Row texts of the probes -----------------------------------------------------------------

int RoundedSeconds(double seconds)
{
    if (!std::isfinite(seconds))
        return 0;
    const double r = std::nearbyint(seconds); // the default rounding mode: half to even
    if (r >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (r <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return int(r);
}

QString ShownChannelCount(int channels)
{
    // The count is compared as text with "5": one digit from 5 to 9 counts the LFE channel too.
    const QString text = QString::number(channels);
    return text.compare(QLatin1String("5")) >= 0 ? QString::number(channels + 1) : text;
}

ProbeText AC3ProbeText(const TAC3 &reader)
{
    ProbeText t;
    t.DescriptionHead = QStringLiteral("AC3 - ") + ShownChannelCount(reader.Channels())
                        + QStringLiteral(" Ch - ") + RatePieces(reader.BitRate(), reader.SampleRate());
    t.Seconds = reader.Duration();
    return t;
}

ProbeText DTSProbeText(const TDTS &reader)
{
    ProbeText t;
    t.DescriptionHead = QStringLiteral("DTS - ") + ShownChannelCount(reader.Channels())
                        + QStringLiteral(" Ch - ") + RatePieces(reader.BitRate(), reader.SampleRate());
    t.Seconds = reader.Duration();
    return t;
}

ProbeText MPEGProbeText(const TMPEGaudio &reader, const QString &lowerExt)
{
    const char *prefix = lowerExt == QLatin1String(".mp3")   ? "MP3 - "
                         : lowerExt == QLatin1String(".mp2") ? "MP2 - "
                                                             : "MPA - ";
    ProbeText t;
    t.DescriptionHead = QLatin1String(prefix) + Text(reader.ChannelMode()) + QStringLiteral(" - ")
                        + RatePieces(reader.BitRate(), reader.SampleRate());
    t.Seconds = reader.Duration();
    return t;
}

ProbeText VorbisProbeText(const TOggVorbis &reader)
{
    ProbeText t;
    t.DescriptionHead = QStringLiteral("Vorbis - ") + Text(reader.ChannelMode()) + QStringLiteral(" - ")
                        + RatePieces(reader.BitRate(), reader.SampleRate());
    t.Seconds = reader.Duration();
    return t;
}

ProbeText WAVProbeText(const TWAVfile &reader)
{
    ProbeText t;
    t.DescriptionHead = QStringLiteral("WAV - ") + Text(reader.ChannelMode()) + QStringLiteral(" - ")
                        + RatePieces(reader.BytesPerSecond() * 8ull / 1000ull, reader.SampleRate());
    t.Seconds = reader.Duration();
    t.TempoEnabled = true;
    return t;
}

ProbeText MuxProbeText(const TWAVfile &firstChannel)
{
    // The transcoder makes one channel of each file, at the first file's rate: the input is six
    // channels like the first file's one.
    const unsigned long long perFile = std::max(1ull, static_cast<unsigned long long>(firstChannel.Channels()));
    ProbeText t;
    t.DescriptionHead = QStringLiteral("WAV - 6 Ch - ")
                        + RatePieces(firstChannel.BytesPerSecond() * 6ull * 8ull / (1000ull * perFile),
                                     firstChannel.SampleRate());
    t.Seconds = firstChannel.Duration();
    t.TempoEnabled = true;
    return t;
}

QString AVICodecText(const QString &codecString)
{
    if (codecString == QLatin1String("MPEG-1 Audio layer 3"))
        return QStringLiteral("MP3");
    if (codecString == QLatin1String("DTS"))
        return QStringLiteral("DTS");
    return codecString;
}

QString AVIDescription(const QString &codecString, const QString &channels, const QString &bitRate,
                       const QString &samplingRate, const QString &playTime)
{
    return AVICodecText(codecString) + QStringLiteral(" - ") + channels + QStringLiteral("Ch - ") + bitRate
           + QStringLiteral(" - ") + samplingRate + QStringLiteral(" - ") + playTime;
}

// ---- Output names ----------------------------------------------------------------------------

OutputName OutputNameFor(const NamingChoice &choice, const QString &inputFileName, int visitNumber)
{
    auto renamed = [&](const char *ext) {
        return OutputName{ChangeFileExt(inputFileName, QLatin1String(ext)), true};
    };
    switch (choice.Page) {
    case KDPage::AAC:
        switch (choice.AACEngine) {
        case 1: return renamed(choice.FAACToMP4 ? ".m4a" : ".aac");
        case 3: return renamed(".aac");
        default: return renamed(".m4a"); // 3GPP, Nero, and no engine chosen
        }
    case KDPage::AC3:
        if (ExtractFileExt(inputFileName).toLower() == QLatin1String(".ac3"))
            return OutputName{ChangeFileExt(inputFileName, QStringLiteral(" ") + QString::number(visitNumber)
                                                               + QStringLiteral(".ac3")),
                              false};
        return renamed(".ac3");
    case KDPage::MP2: return renamed(".mp2");
    case KDPage::MP3: return renamed(".mp3");
    case KDPage::Vorbis: return renamed(".ogg");
    case KDPage::WAV: return renamed(choice.AIFFOutput ? ".aif" : ".wav");
    case KDPage::Speex: return renamed(".spx");
    case KDPage::Lossless: return renamed(".flac");
    case KDPage::None: break;
    }
    return OutputName{inputFileName, true};
}

SaveFilter SaveFilterFor(const NamingChoice &choice)
{
    auto filter = [](SaveFilterText text, const char *pattern, const char *ext) {
        return SaveFilter{true, text, QLatin1String(pattern), QLatin1String(ext)};
    };
    switch (choice.Page) {
    case KDPage::AAC:
        switch (choice.AACEngine) {
        case 1:
            return choice.FAACToMP4 ? filter(SaveFilterText::AAC, " (*.mp4;*.m4a)|*.m4a;*.mp4", ".mp4")
                                    : filter(SaveFilterText::AAC, " (*.aac)|*.aac", ".aac");
        case 2: return filter(SaveFilterText::AAC, " (*.m4a;*.mp4)|*.m4a;*.mp4", ".m4a");
        default: return filter(SaveFilterText::AAC, " (*.aac)|*.aac", ".aac");
        }
    case KDPage::AC3: return filter(SaveFilterText::AC3, " (*.ac3)|*.ac3", ".ac3");
    case KDPage::MP2: return filter(SaveFilterText::MP2, " (*.mp2)|*.mp2", ".mp2");
    case KDPage::MP3: return filter(SaveFilterText::MP3, " (*.mp3)|*.mp3", ".mp3");
    case KDPage::Vorbis: return filter(SaveFilterText::OGG, " (*.ogg)|*.ogg", ".ogg");
    case KDPage::WAV:
        return choice.AIFFOutput ? filter(SaveFilterText::AIFF, " (*.aif)|*.aif", ".aif")
                                 : filter(SaveFilterText::WAV, " (*.wav)|*.wav", ".wav");
    case KDPage::Speex: return filter(SaveFilterText::SPX, " (*.spx)|*.spx", ".spx");
    case KDPage::Lossless:
    case KDPage::None: break;
    }
    return SaveFilter{};
}

QStringList OutputExtensionsFor(const NamingChoice &choice)
{
    switch (choice.Page) {
    case KDPage::AAC: {
        // FAAC's container follows its MP4 box, whatever the name: raw AAC or MP4 only.
        if (choice.AACEngine == 1) {
            if (choice.FAACToMP4)
                return {QStringLiteral(".m4a"), QStringLiteral(".mp4")};
            return {QStringLiteral(".aac")};
        }
        // The other engines write the container the name asks for: the naming's extension first,
        // then the others.
        const QString own = ExtractFileExt(OutputNameFor(choice, QStringLiteral("a"), 1).Name);
        QStringList all{own};
        for (const char *ext : {".aac", ".m4a", ".mp4"}) {
            if (own != QLatin1String(ext))
                all << QLatin1String(ext);
        }
        return all;
    }
    case KDPage::None: return {};
    default:
        // Every other page writes one extension; the AC-3 numbered form ends in ".ac3" as well.
        return {ExtractFileExt(OutputNameFor(choice, QStringLiteral("a.wav"), 1).Name)};
    }
}

QString OutputNameFittingPage(const NamingChoice &choice, const QString &outputName)
{
    const QStringList fitting = OutputExtensionsFor(choice);
    if (fitting.isEmpty() || fitting.contains(ExtractFileExt(outputName), Qt::CaseInsensitive))
        return outputName;
    return ChangeFileExt(outputName, fitting.constFirst());
}

QStringList FilesWrittenFor(const QString &outputPath, bool sixMonoFiles)
{
    if (!sixMonoFiles)
        return {outputPath};
    const QString stem = ChangeFileExt(outputPath, QString());
    const QString ext = ExtractFileExt(outputPath);
    QStringList files;
    for (const char *channel : {"FL", "FR", "C", "LFE", "SL", "SR"})
        files << stem + QLatin1Char('_') + QLatin1String(channel) + ext;
    return files;
}

QString UniquePath(const QString &wantedPath, const std::function<bool(const QString &)> &isTaken)
{
    if (!isTaken(wantedPath))
        return wantedPath;
    const QString ext = ExtractFileExt(wantedPath);
    const QString stem = wantedPath.left(wantedPath.size() - ext.size()) + QLatin1Char('_');
    for (int n = 1;; ++n) {
        const QString candidate = stem + QString::number(n) + ext;
        if (!isTaken(candidate) || n == std::numeric_limits<int>::max())
            return candidate;
    }
}

// ---- Delay in a file name --------------------------------------------------------------------

std::optional<int> ReadInteger(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text.at(i) == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < n && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    int base = 10;
    if (i < n && text.at(i) == QLatin1Char('$')) {
        base = 16;
        ++i;
    } else if (i + 1 < n && text.at(i) == QLatin1Char('0')
               && (text.at(i + 1) == QLatin1Char('x') || text.at(i + 1) == QLatin1Char('X'))) {
        base = 16;
        i += 2;
    }
    if (i >= n)
        return std::nullopt;
    long long value = 0;
    for (; i < n; ++i) {
        const char16_t c = text.at(i).unicode();
        int digit = -1;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        if (digit < 0)
            return std::nullopt;
        value = value * base + digit;
        if (value > 0x80000000LL)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min())
        return std::nullopt;
    return int(value);
}

std::optional<int> DelayFromFileName(const QString &fileName)
{
    const qsizetype start = qMax(fileName.lastIndexOf(QLatin1Char('/')), fileName.lastIndexOf(QLatin1Char('\\')));
    const QString name = fileName.mid(start + 1);
    static const QRegularExpression ending(QStringLiteral("^(?:.* )?([^ ]+)ms\\.[A-Za-z0-9]{3}$"));
    const QRegularExpressionMatch match = ending.match(name);
    if (!match.hasMatch())
        return std::nullopt;
    return ReadInteger(match.captured(1));
}

// ---- List and mux files ----------------------------------------------------------------------

QString DequoteLine(const QString &line)
{
    const QChar quote = QLatin1Char('"');
    if (!line.startsWith(quote))
        return line;
    QString result;
    for (qsizetype i = 1; i < line.size(); ++i) {
        if (line.at(i) == quote) {
            if (i + 1 < line.size() && line.at(i + 1) == quote) {
                result += quote;
                ++i;
                continue;
            }
            return result; // the partner quote; anything after it is not part of the name
        }
        result += line.at(i);
    }
    // No partner quote: the line is taken as it stands.
    return line;
}

QStringList SplitListFileLines(const QByteArray &content)
{
    QStringList lines;
    qsizetype start = 0;
    while (start < content.size()) {
        qsizetype end = content.indexOf('\n', start);
        const bool last = end < 0;
        if (last)
            end = content.size();
        QByteArray line = content.mid(start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        lines << QString::fromLocal8Bit(line);
        start = end + 1;
    }
    return lines;
}

// ---- File-dialog filters ---------------------------------------------------------------------

QStringList DialogFilters(const QString &pairs)
{
    const QStringList parts = pairs.split(QLatin1Char('|'));
    static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString text = parts.at(i);
        text.remove(trailingPatterns);
        text = text.trimmed();
        QStringList patterns;
        for (const QString &p : parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            if (!p.trimmed().isEmpty())
                patterns << p.trimmed();
        }
        filters << (text.isEmpty() ? QString() : text + QLatin1Char(' ')) + QLatin1Char('(')
                       + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters;
}
