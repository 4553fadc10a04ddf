#include "OutputParse.h"

#include "ChildProcess.h"

#include <QLatin1String>

#include <algorithm>
#include <cmath>
#include <limits>

QString right(const QString &marker, const QString &text)
{
    const qsizetype at = text.indexOf(marker);
    if (at < 0)
        return QString();
    return text.mid(at + marker.size());
}

QString lefty(const QString &marker, const QString &text)
{
    const qsizetype at = text.indexOf(marker);
    if (at <= 0)
        return QString();
    return text.left(at);
}

std::optional<std::int32_t> WholeNumber(const QString &text)
{
    if (text.isEmpty())
        return std::nullopt;
    qsizetype i = 0;
    bool negative = false;
    if (text[0] == QLatin1Char('+') || text[0] == QLatin1Char('-')) {
        negative = text[0] == QLatin1Char('-');
        i = 1;
    }
    if (i == text.size())
        return std::nullopt;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
        if (value > std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return std::int32_t(value);
}

std::optional<std::int32_t> timetoint(const QString &stamp)
{
    const QString colon = QStringLiteral(":");
    if (stamp.isEmpty() || lefty(colon, stamp).isEmpty())
        return 0;
    const std::optional<std::int32_t> h = WholeNumber(lefty(colon, stamp));
    const std::optional<std::int32_t> m = WholeNumber(lefty(colon, right(colon, stamp)));
    if (!h || !m)
        return std::nullopt;
    const QString rest = right(colon, right(colon, stamp));
    std::optional<std::int32_t> s = WholeNumber(lefty(colon, rest));
    if (!s)
        s = WholeNumber(lefty(QStringLiteral("."), rest));
    if (!s)
        return std::nullopt;
    const std::int64_t seconds = std::int64_t(*h) * 3600 + std::int64_t(*m) * 60 + *s;
    if (seconds < std::numeric_limits<std::int32_t>::min() || seconds > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return std::int32_t(seconds);
}

bool IsErrorLine(const QString &line)
{
    const QString marker = QStringLiteral("Error ");
    const qsizetype at = line.indexOf(marker);
    return at >= 0 && at + marker.size() < line.size();
}

bool IsProgressLine(const QString &line, QString *stamp)
{
    const qsizetype open = line.indexOf(QLatin1Char('['));
    if (open < 0)
        return false;
    const qsizetype close = line.indexOf(QLatin1Char(']'), open + 1);
    if (close < 0 || close == open + 1)
        return false;
    if (stamp)
        *stamp = line.mid(open + 1, close - open - 1);
    return true;
}

bool IsPassRestartLine(const QString &line)
{
    return IsProgressLine(line) && line.contains(QLatin1String("[00:00:00:"));
}

QString AudXProgressText(const QString &line)
{
    const QString marker = QStringLiteral("progress: ");
    const qsizetype at = line.indexOf(marker);
    if (at < 0)
        return QString();
    const qsizetype from = at + marker.size();
    const qsizetype dot = line.indexOf(QLatin1Char('.'), from);
    if (dot < 0)
        return QString();
    return line.mid(from, dot - from);
}

QString JobFileType(const QString &fileName)
{
    return right(QStringLiteral("."), fileName).toLower();
}

BarScale BarScaleOfJob(const QString &fileName)
{
    const QString type = JobFileType(fileName);
    if (type == QLatin1String("ac3"))
        return BarScale::ReaderAC3;
    if (type == QLatin1String("wav"))
        return BarScale::ReaderWAV;
    if (type == QLatin1String("mp3") || type == QLatin1String("mp2") || type == QLatin1String("mpa"))
        return BarScale::ReaderMPEG;
    if (type == QLatin1String("ogg"))
        return BarScale::ReaderOgg;
    if (type == QLatin1String("lst") || type == QLatin1String("mux"))
        return BarScale::ListFile;
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0 && fileName.mid(dot).toLower() == QLatin1String(".avi"))
        return BarScale::RowDuration;
    return BarScale::None;
}

std::int32_t RoundedDivisor(double seconds)
{
    if (!std::isfinite(seconds) || seconds <= 0.0)
        return 0;
    const double rounded = std::nearbyint(seconds); // the default rounding: a half to the even
    if (rounded > double(std::numeric_limits<std::int32_t>::max()))
        return 0;
    return std::int32_t(rounded);
}

std::optional<QString> FilePercentText(std::int32_t seconds, std::int32_t position, std::int32_t maximum,
                                       std::int32_t divisor)
{
    if (position == maximum)
        return QStringLiteral("00,00 %");
    if (divisor == 0)
        return std::nullopt;
    // A stamp outside the file (a malformed or negative one) shows as its end, like the bar.
    const double percent = std::clamp(std::nearbyint(double(seconds) * 100.0 / double(divisor)), 0.0, 100.0);
    return QString::number(qint64(percent)) + QStringLiteral(",00 %");
}

std::optional<QString> BatchPercentText(std::int32_t position, std::int32_t maximum, std::int32_t divisor)
{
    if (position == maximum)
        return QStringLiteral("00,00 %");
    if (divisor == 0)
        return std::nullopt;
    const double percent = std::clamp(double(position) * 100.0 / double(divisor), 0.0, 100.0);
    return QString::number(percent, 'f', 2) + QStringLiteral(" %");
}

QString AudXPercentText(std::int32_t percent)
{
    return QString::number(std::clamp<std::int32_t>(percent, 0, 100)) + QStringLiteral(",00 %");
}

QString SpanText(std::int64_t milliseconds)
{
    if (milliseconds < 0)
        milliseconds = 0;
    const std::int64_t seconds = milliseconds / 1000;
    const int h = int((seconds / 3600) % 24);
    const int m = int((seconds / 60) % 60);
    const int s = int(seconds % 60);
    return QStringLiteral("%1:%2:%3")
        .arg(h, 2, 10, QLatin1Char('0'))
        .arg(m, 2, 10, QLatin1Char('0'))
        .arg(s, 2, 10, QLatin1Char('0'));
}

std::int64_t RemainingMilliseconds(std::int64_t elapsedMs, std::int32_t position, std::int32_t maximum)
{
    if (position <= 0 || elapsedMs <= 0)
        return 0;
    const std::int64_t left = std::int64_t(maximum) - position;
    if (left <= 0)
        return 0;
    // Kept within 64 bits: a span of a day or more wraps in the label anyway.
    const std::int64_t cap = std::numeric_limits<std::int64_t>::max() / left;
    if (elapsedMs > cap)
        return std::numeric_limits<std::int64_t>::max() / position;
    return left * elapsedMs / position;
}

QString RemainingText(std::int64_t elapsedMs, std::int32_t position, std::int32_t maximum)
{
    std::int64_t remaining = RemainingMilliseconds(elapsedMs, position, maximum);
    if (remaining < std::numeric_limits<std::int64_t>::max() - 1000)
        remaining += 1000;
    return SpanText(remaining);
}

void ProgressBarState::SetPosition(std::int64_t position)
{
    Position = std::int32_t(std::clamp<std::int64_t>(position, 0, std::max<std::int32_t>(Maximum, 0)));
}

void ProgressBarState::SetMaximum(std::int32_t maximum)
{
    if (maximum <= 0)
        return;
    Maximum = maximum;
    if (Position > Maximum)
        Position = Maximum;
}

KandrumLineEffects ApplyKandrumLine(ProgressFrameState &st, const QString &line, const KandrumJobContext &job)
{
    return ApplyKandrumLine(st, line, [&job] { return job; });
}

KandrumLineEffects ApplyKandrumLine(ProgressFrameState &st, const QString &line,
                                    const std::function<KandrumJobContext()> &jobOfLine)
{
    KandrumLineEffects fx;
    if (st.ParseCounter == 0 && IsErrorLine(line)) {
        fx.ErrorRow = QStringLiteral("Error ") + line;
        st.ParseCounter = ParseCounterAfterError;
    }
    QString stamp;
    if (!IsProgressLine(line, &stamp))
        return fx;
    if (st.ParseCounter < ParseCounterHandleFrom) {
        ++st.ParseCounter;
        return fx;
    }
    const KandrumJobContext job = jobOfLine();
    if ((job.GainMode == QLatin1String("PreGain") || job.GainMode == QLatin1String("PostGain"))
        && IsPassRestartLine(line))
        fx.RestartRow = true;

    const std::optional<std::int32_t> seconds = timetoint(stamp);
    if (!seconds)
        return fx;

    const BarScale scale = BarScaleOfJob(job.FileName);
    std::int32_t fileDivisor = 0;
    std::int32_t batchDivisor = 0;
    switch (scale) {
    case BarScale::ReaderAC3:
    case BarScale::ReaderWAV:
    case BarScale::ReaderMPEG:
    case BarScale::ReaderOgg:
        fileDivisor = RoundedDivisor(job.FileSeconds);
        batchDivisor = RoundedDivisor(job.ListDuration);
        break;
    case BarScale::ListFile:
        fileDivisor = RoundedDivisor(job.ListDuration);
        batchDivisor = RoundedDivisor(job.TotalDuration);
        break;
    case BarScale::RowDuration:
        fileDivisor = std::max(0, WholeNumber(job.RowDuration).value_or(0));
        batchDivisor = RoundedDivisor(job.ListDuration);
        break;
    case BarScale::None:
        break;
    }

    // The maxima first, so that the new positions are measured against them.
    if (scale != BarScale::None) {
        st.File.SetMaximum(fileDivisor);
        st.Batch.SetMaximum(batchDivisor);
    }
    st.File.SetPosition(*seconds);
    st.Batch.SetPosition(std::int64_t(*seconds) + job.DoneSeconds);

    if (scale != BarScale::None) {
        // A divisor of 0 ends the line's handling where it is needed.
        const std::optional<QString> fileText =
            FilePercentText(*seconds, st.File.Position, st.File.Maximum, fileDivisor);
        if (!fileText)
            return fx;
        st.FileLabel = *fileText;
        const std::optional<QString> batchText = BatchPercentText(st.Batch.Position, st.Batch.Maximum, batchDivisor);
        if (!batchText)
            return fx;
        st.BatchLabel = *batchText;
        fx.LabelsSet = true;
    }
    st.Title = st.FileLabel + QStringLiteral(" - Zolvane");
    fx.TitleSet = true;
    st.ParseCounter = 1;
    return fx;
}

AudXLineEffects ApplyAudXLine(ProgressFrameState &st, const QString &line, const AudXJobContext &job)
{
    AudXLineEffects fx;
    const QString n = AudXProgressText(line);
    if (job.PastLastRow) {
        fx.StopWithError = true;
        return fx;
    }
    if (n.isEmpty())
        return fx;
    const std::optional<std::int32_t> percent = WholeNumber(n);
    if (!percent)
        return fx;
    st.File.SetMaximum(100);
    st.File.SetPosition(*percent);

    const BarScale scale = BarScaleOfJob(job.FileName);
    if (job.Channels > 2 && (scale == BarScale::ReaderAC3 || scale == BarScale::ReaderWAV)) {
        st.FileLabel = AudXPercentText(*percent);
        const std::int32_t batchDivisor = RoundedDivisor(job.ListDuration);
        st.Batch.SetMaximum(batchDivisor);
        const std::optional<QString> batchText = BatchPercentText(st.Batch.Position, st.Batch.Maximum, batchDivisor);
        if (!batchText)
            return fx;
        st.BatchLabel = *batchText;
        fx.LabelsSet = true;
    }
    st.Title = st.FileLabel + QStringLiteral(" - Zolvane");
    fx.TitleSet = true;
    return fx;
}

QList<RequiredFile> RequiredEncoderFiles(const BatchEncoderChoice &c)
{
    QList<RequiredFile> files;
    auto need = [&files](const char *name, const char *key) {
        files.append(RequiredFile{QString::fromLatin1(name), key});
    };
    if (c.Page == KDPage::AAC) {
        switch (c.AACEngine) {
        case 2:
            need("kdn.dll", "kdnMissing");
            need("neroaacenc.exe", "NDCLIisMissing");
            break;
        case 0:
            need("kdn.dll", "kdnMissing");
            break;
        case 1:
            need("kdn.dll", "kdnMissing");
            need("faac.exe", "FaacIsMissing");
            break;
        case 3:
            need("wa_aac.dll", "WAACPlusv2NotFound");
            need("enc_aacplus.dll", "EncAACPlusNotFound");
            break;
        default:
            break;
        }
        if (c.AACEngine == 0)
            need("enhaacplusenc.exe", "EnhAACIsMissing");
    }
    if (c.Page == KDPage::Speex) {
        need("kdn.dll", "kdnMissing");
        need("speexenc.exe", "SpeexIsMissing");
    }
    if (c.Page == KDPage::AC3 && c.Aften)
        need("aften.exe", "AftenisMissing");
    if (c.Page == KDPage::Lossless && c.LosslessEngine == 0)
        need("flake.exe", "FlakeisMissing");
    if (c.AVIInput)
        need("vobinput.dll", "VOBInputMissing");
    return files;
}

bool IsRefusedBatchInput(const QString &fileName)
{
    const QString lower = fileName.toLower();
    return lower.endsWith(QLatin1String(".dts")) || lower.endsWith(QLatin1String(".vob"));
}

namespace {

// The part of `cmd` after `marker` up to the first `end` after it; empty without the marker.
QString Between(const QString &cmd, const QString &marker, const QString &end)
{
    const qsizetype at = cmd.indexOf(marker);
    if (at < 0)
        return QString();
    const qsizetype from = at + marker.size();
    const qsizetype to = cmd.indexOf(end, from);
    return to < 0 ? cmd.mid(from) : cmd.mid(from, to - from);
}

} // namespace

QString BatchOptionsText(const BatchEncoderChoice &c, const QString &cmd, const QString &outputModeArg)
{
    const QString close = QStringLiteral(" )");
    switch (c.Page) {
    case KDPage::AAC:
        switch (c.AACEngine) {
        case 0: return Between(cmd, QStringLiteral(" enhAacPlusEnc.exe"), close);
        case 1: return Between(cmd, QStringLiteral(" faac.exe"), close);
        case 2: return Between(cmd, QStringLiteral(" -kdn("), close);
        case 3: return Between(cmd, QStringLiteral(" WA_aac.dll"), close);
        default: return QString();
        }
    case KDPage::AC3:
        return c.AC3Enc ? Between(cmd, QStringLiteral(" -ac3enc("), close)
                        : Between(cmd, QStringLiteral("aften.exe "), close);
    case KDPage::MP2:
        return c.TooLame ? Between(cmd, QStringLiteral(" -toolame("), close)
                         : Between(cmd, QStringLiteral(" -mp2enc("), close);
    case KDPage::MP3:
        return c.MP3Stereo ? Between(cmd, QStringLiteral(" -lame("), close)
                           : Between(cmd, c.AudXProgram + QStringLiteral("\" "), QStringLiteral(" \""));
    case KDPage::Vorbis:
        return Between(cmd, QStringLiteral(" -ogg("), close);
    case KDPage::Speex:
        return Between(cmd, QStringLiteral(" speexenc.exe "), close);
    case KDPage::Lossless:
        return Between(cmd, QStringLiteral(" flake.exe "), close);
    case KDPage::WAV:
        return outputModeArg;
    case KDPage::None:
        break;
    }
    return QString();
}

const char *JobStatusKey(KDPage page, bool gainModeTicked, const QString &gainMode)
{
    if (gainModeTicked && gainMode == QLatin1String("PreGain"))
        return "PreGainProcess";
    if (gainModeTicked && gainMode == QLatin1String("PostGain"))
        return (page == KDPage::AAC || page == KDPage::AC3) ? "PostGainProcess" : "";
    return "TranscodingRunning";
}

bool JobSucceeded(std::uint8_t endStatus, std::uint32_t exitCode)
{
    return endStatus == 8 && exitCode == 0;
}

std::uint32_t PriorityClassOfTicks(const PriorityTicks &t)
{
    if (t.Low1) return pcBelowNormal;
    if (t.Lowest1) return pcIdle;
    if (t.Normal1) return pcNormal;
    if (t.Real1) return pcRealTime;
    if (t.High1) return pcAboveNormal;
    return pcHigh;
}
