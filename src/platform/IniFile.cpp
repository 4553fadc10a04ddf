#include "IniFile.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>

#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace {

constexpr int kMaxValueLength = 2047;

// The file as lines, with the places of its sections and keys found on demand. `raw` holds each
// line's bytes as they stand in the file, so that a write puts back every line it does not
// change byte for byte, also bytes that the locale's encoding cannot decode.
struct IniLines
{
    std::vector<QString> lines;
    std::vector<QByteArray> raw;

    void set(qsizetype at, const QString &line)
    {
        lines[size_t(at)] = line;
        raw[size_t(at)] = line.toLocal8Bit();
    }
    void insert(qsizetype at, const QString &line)
    {
        lines.insert(lines.begin() + at, line);
        raw.insert(raw.begin() + at, line.toLocal8Bit());
    }
    void append(const QString &line) { insert(qsizetype(lines.size()), line); }
    void erase(qsizetype from, qsizetype to)
    {
        lines.erase(lines.begin() + from, lines.begin() + to);
        raw.erase(raw.begin() + from, raw.begin() + to);
    }
};

struct CacheEntry
{
    QByteArray bytes;
    std::shared_ptr<const IniLines> content;
};

std::mutex cacheMutex;
std::map<QString, CacheEntry> cache;

IniLines parseBytes(const QByteArray &bytes)
{
    IniLines result;
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    while (start < n) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = n;
        qsizetype stop = end;
        if (stop > start && bytes.at(stop - 1) == '\r')
            --stop;
        result.raw.push_back(bytes.mid(start, stop - start));
        result.lines.push_back(QString::fromLocal8Bit(result.raw.back()));
        start = end + 1;
    }
    return result;
}

// Reads the file and parses it, or takes the parse from the cache when the bytes on disk are the
// ones parsed last time. The bytes are compared, not the file's times: a rewrite within one tick
// of the file system's clock leaves the times as they were.
std::shared_ptr<const IniLines> load(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::make_shared<const IniLines>();
    const QByteArray bytes = file.readAll();
    {
        std::lock_guard<std::mutex> lock(cacheMutex);
        auto it = cache.find(fileName);
        if (it != cache.end() && it->second.bytes == bytes)
            return it->second.content;
    }
    auto content = std::make_shared<const IniLines>(parseBytes(bytes));
    std::lock_guard<std::mutex> lock(cacheMutex);
    cache[fileName] = CacheEntry{bytes, content};
    return content;
}

void forget(const QString &fileName)
{
    std::lock_guard<std::mutex> lock(cacheMutex);
    cache.erase(fileName);
}

// "[name]" gives name; anything else is not a section header.
bool sectionName(const QString &line, QString &name)
{
    const QString t = line.trimmed();
    if (!t.startsWith(u'['))
        return false;
    const qsizetype close = t.indexOf(u']');
    if (close < 0)
        return false;
    name = t.mid(1, close - 1).trimmed();
    return true;
}

// "key=value" gives key and the raw value; comment and blank lines give false.
bool keyLine(const QString &line, QString &key, QString &value)
{
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0)
        return false;
    key = line.left(eq).trimmed();
    if (key.isEmpty() || key.startsWith(u';'))
        return false;
    value = line.mid(eq + 1);
    return true;
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Index of the first header of the section, or -1.
qsizetype findSection(const IniLines &ini, const QString &section)
{
    const QString wanted = section.trimmed();
    QString name;
    for (size_t i = 0; i < ini.lines.size(); ++i)
        if (sectionName(ini.lines[i], name) && sameName(name, wanted))
            return qsizetype(i);
    return -1;
}

// One past the last line of the section that starts at header.
qsizetype sectionEnd(const IniLines &ini, qsizetype header)
{
    QString name;
    qsizetype i = header + 1;
    while (i < qsizetype(ini.lines.size()) && !sectionName(ini.lines[size_t(i)], name))
        ++i;
    return i;
}

qsizetype findKey(const IniLines &ini, qsizetype header, const QString &key)
{
    const QString wanted = key.trimmed();
    const qsizetype end = sectionEnd(ini, header);
    QString k, v;
    for (qsizetype i = header + 1; i < end; ++i)
        if (keyLine(ini.lines[size_t(i)], k, v) && sameName(k, wanted))
            return i;
    return -1;
}

QString cleanValue(QString value)
{
    value = value.trimmed();
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == u'"' || first == u'\'') && value.back() == first)
            value = value.mid(1, value.size() - 2);
    }
    if (value.size() > kMaxValueLength)
        value.truncate(kMaxValueLength);
    return value;
}

void save(const QString &fileName, const IniLines &ini)
{
    QByteArray bytes;
    for (const QByteArray &line : ini.raw) {
        bytes += line;
        bytes += "\r\n";
    }
    forget(fileName);
    QSaveFile file(fileName);
    bool ok = file.open(QIODevice::WriteOnly);
    ok = ok && file.write(bytes) == bytes.size();
    ok = ok && file.commit();
    if (!ok) {
        file.cancelWriting();
        throw EIniFileException(QStringLiteral("Unable to write to %1").arg(fileName));
    }
}

} // namespace

EIniFileException::EIniFileException(const QString &message)
    : std::runtime_error(message.toLocal8Bit().toStdString())
{
}

TIniFile::TIniFile(const QString &fileName)
    : m_fileName(fileName)
{
}

QString TIniFile::ReadString(const QString &section, const QString &key, const QString &defaultValue) const
{
    const auto loaded = load(m_fileName);
    const IniLines &ini = *loaded;
    const qsizetype header = findSection(ini, section);
    if (header < 0)
        return defaultValue;
    const qsizetype at = findKey(ini, header, key);
    if (at < 0)
        return defaultValue;
    QString k, v;
    keyLine(ini.lines[size_t(at)], k, v);
    return cleanValue(v);
}

int TIniFile::ReadInteger(const QString &section, const QString &key, int defaultValue) const
{
    QString text = ReadString(section, key, QString()).trimmed();
    if (text.isEmpty())
        return defaultValue;
    bool negative = false;
    if (text.startsWith(u'-') || text.startsWith(u'+')) {
        negative = text.startsWith(u'-');
        text.remove(0, 1);
    }
    int base = 10;
    if (text.startsWith(u'$')) {
        base = 16;
        text.remove(0, 1);
    } else if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        text.remove(0, 2);
    }
    if (text.isEmpty())
        return defaultValue;
    // Only digits of the base may follow: a second sign, a blank or a second prefix is bad text.
    for (const QChar c : text) {
        const bool digit = (c >= u'0' && c <= u'9')
            || (base == 16 && ((c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F')));
        if (!digit)
            return defaultValue;
    }
    bool ok = false;
    const qlonglong magnitude = text.toLongLong(&ok, base);
    if (!ok)
        return defaultValue;
    // A hexadecimal text names the bits of a 32-bit value, as "$FFFFFFFF" for -1.
    if (base == 16 && !negative && magnitude <= 0xFFFFFFFFLL)
        return int(quint32(magnitude));
    const qlonglong value = negative ? -magnitude : magnitude;
    if (value < INT_MIN || value > INT_MAX)
        return defaultValue;
    return int(value);
}

bool TIniFile::ReadBool(const QString &section, const QString &key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteString(const QString &section, const QString &key, const QString &value)
{
    IniLines ini = *load(m_fileName);
    const QString line = key.trimmed() + u'=' + value;
    const qsizetype header = findSection(ini, section);
    if (header < 0) {
        if (!ini.lines.empty() && !ini.lines.back().trimmed().isEmpty())
            ini.append(QString());
        ini.append(u'[' + section.trimmed() + u']');
        ini.append(line);
    } else {
        const qsizetype at = findKey(ini, header, key);
        if (at >= 0) {
            ini.set(at, line);
        } else {
            // After the section's last non-blank line, so a blank line before the next section stays.
            qsizetype insertAt = sectionEnd(ini, header);
            while (insertAt > header + 1 && ini.lines[size_t(insertAt - 1)].trimmed().isEmpty())
                --insertAt;
            ini.insert(insertAt, line);
        }
    }
    save(m_fileName, ini);
}

void TIniFile::WriteInteger(const QString &section, const QString &key, int value)
{
    WriteString(section, key, QString::number(value));
}

void TIniFile::WriteBool(const QString &section, const QString &key, bool value)
{
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool TIniFile::SectionExists(const QString &section) const
{
    return findSection(*load(m_fileName), section) >= 0;
}

bool TIniFile::ValueExists(const QString &section, const QString &key) const
{
    const auto loaded = load(m_fileName);
    const IniLines &ini = *loaded;
    const qsizetype header = findSection(ini, section);
    return header >= 0 && findKey(ini, header, key) >= 0;
}

QStringList TIniFile::ReadSections() const
{
    const auto loaded = load(m_fileName);
    const IniLines &ini = *loaded;
    QStringList result;
    QString name;
    for (const QString &line : ini.lines)
        if (sectionName(line, name) && !result.contains(name, Qt::CaseInsensitive))
            result << name;
    return result;
}

QStringList TIniFile::ReadSection(const QString &section) const
{
    const auto loaded = load(m_fileName);
    const IniLines &ini = *loaded;
    QStringList result;
    const qsizetype header = findSection(ini, section);
    if (header < 0)
        return result;
    const qsizetype end = sectionEnd(ini, header);
    QString k, v;
    for (qsizetype i = header + 1; i < end; ++i)
        if (keyLine(ini.lines[size_t(i)], k, v))
            result << k;
    return result;
}

void TIniFile::EraseSection(const QString &section)
{
    IniLines ini = *load(m_fileName);
    const qsizetype header = findSection(ini, section);
    if (header < 0)
        return;
    ini.erase(header, sectionEnd(ini, header));
    save(m_fileName, ini);
}

void TIniFile::DeleteKey(const QString &section, const QString &key)
{
    IniLines ini = *load(m_fileName);
    const qsizetype header = findSection(ini, section);
    if (header < 0)
        return;
    const qsizetype at = findKey(ini, header, key);
    if (at < 0)
        return;
    ini.erase(at, at + 1);
    save(m_fileName, ini);
}
