#include "JobListRules.h"

#include "AC3.h"
#include "DTS.h"
#include "MPEGaudio.h"
#include "OggVorbis.h"
#include "WAVfile.h"

#include <QFile>
#include <QRegularExpression>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <vector>

#include <algorithm>
#include <cstring>
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

// ---- Folder search ---------------------------------------------------------------------------

bool NameIsNotText(const QByteArray &name8)
{
    return QFile::encodeName(QFile::decodeName(name8)) != name8;
}

namespace {

// The kind of a folder add's pattern that the name matches, and the pattern's place in the
// search order; -1 for none.
int FolderPatternOf(const QByteArray &name8, ProbeKind &kind)
{
    static const struct {
        const char *suffix;
        ProbeKind kind;
    } patterns[] = {{".ac3", ProbeKind::AC3}, {".wav", ProbeKind::WAV},  {".mpa", ProbeKind::MPEG},
                    {".mp2", ProbeKind::MPEG}, {".mp3", ProbeKind::MPEG}, {".ogg", ProbeKind::Vorbis}};
    if (name8.size() < 4)
        return -1;
    const QByteArray suffix = name8.right(4).toLower();
    for (int i = 0; i < int(std::size(patterns)); ++i) {
        if (suffix == patterns[i].suffix) {
            kind = patterns[i].kind;
            return i;
        }
    }
    return -1;
}

// A regular file, or a link to one; asks the system only where the listing does not tell.
bool IsRegularEntry(int folderFd, const dirent *entry)
{
    if (entry->d_type == DT_REG)
        return true;
    if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
        return false;
    struct stat st {};
    return ::fstatat(folderFd, entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
}

// Calls `take` with each entry of the folder but "." and ".."; false when it cannot be listed.
template <typename Take>
bool ForEachEntry(const QString &folder, Take take)
{
    const QByteArray folder8 = QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder);
    DIR *dir = ::opendir(folder8.constData());
    if (!dir)
        return false;
    const int fd = ::dirfd(dir);
    while (const dirent *entry = ::readdir(dir)) {
        const char *name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        take(fd, entry);
    }
    ::closedir(dir);
    return true;
}

} // namespace

FolderListing ListFolderForAdd(const QString &folder)
{
    FolderListing listing;
    struct Found {
        QString name;
        QString key; // lower-cased, for the order
    };
    std::vector<Found> byPattern[6];
    ProbeKind kinds[6] = {};
    listing.Listed = ForEachEntry(folder, [&](int fd, const dirent *entry) {
        const QByteArray name8(entry->d_name);
        // Hidden files are not listed.
        if (name8.startsWith('.'))
            return;
        ProbeKind kind = ProbeKind::None;
        const int pattern = FolderPatternOf(name8, kind);
        if (pattern < 0 || !IsRegularEntry(fd, entry))
            return;
        if (NameIsNotText(name8)) {
            ++listing.Undecodable;
            return;
        }
        kinds[pattern] = kind;
        const QString name = QFile::decodeName(name8);
        byPattern[pattern].push_back(Found{name, name.toLower()});
    });
    for (int i = 0; i < 6; ++i) {
        std::vector<Found> &found = byPattern[i];
        std::sort(found.begin(), found.end(), [](const Found &a, const Found &b) {
            const int byKey = a.key.compare(b.key);
            return byKey != 0 ? byKey < 0 : a.name < b.name;
        });
        for (const Found &f : found)
            listing.Matches.append(FolderMatch{f.name, kinds[i]});
    }
    return listing;
}

std::optional<QSet<QString>> FolderEntryNames(const QString &folder)
{
    QSet<QString> names;
    const bool listed = ForEachEntry(folder, [&](int, const dirent *entry) {
        const QByteArray name8 = QByteArray::fromRawData(entry->d_name, qsizetype(std::strlen(entry->d_name)));
        QString name = QFile::decodeName(name8);
        // Only a decoding that had to replace bytes can have lost some.
        if (name.contains(QChar::ReplacementCharacter) && NameIsNotText(name8))
            return;
        names.insert(std::move(name));
    });
    if (!listed)
        return std::nullopt;
    return names;
}

// ---- Add reports -----------------------------------------------------------------------------

void AddReport::AddMessage(const QString &text, bool error)
{
    Messages << text;
    AnyError = AnyError || error;
}

void AddReport::AddUndecodable(const QString &folder, int count)
{
    if (count <= 0)
        return;
    for (auto &entry : UndecodableFolders) {
        if (entry.first == folder) {
            entry.second += count;
            return;
        }
    }
    UndecodableFolders.append({folder, count});
}

QString AddReportText(const AddReport &report, const AddReportTexts &texts, int shown)
{
    if (report.UndecodableFolders.isEmpty() && report.Messages.size() == 1)
        return report.Messages.constFirst();
    QStringList lines;
    for (const auto &folder : report.UndecodableFolders)
        lines << QString(texts.UndecodableNames).arg(folder.second).arg(folder.first);
    if (!report.Messages.isEmpty()) {
        if (!lines.isEmpty())
            lines << QString();
        lines << QString(texts.FilesNotAdded).arg(report.Messages.size());
        const int count = std::min<int>(std::max(shown, 0), int(report.Messages.size()));
        for (int i = 0; i < count; ++i)
            lines << report.Messages.at(i);
        if (report.Messages.size() > count)
            lines << QString(texts.MoreFilesNotAdded).arg(report.Messages.size() - count);
    }
    return lines.join(QStringLiteral("\r\n"));
}
