#include "IniFile.h"

#include "RegularFile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kMaxValueLength = TIniFile::MaxValueLength;

} // namespace

namespace ini_detail {
namespace {

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

// Adds the entry unless the name is there already: the first of a name wins.
template <typename Value>
void addFirst(QHash<QString, Value> &hash, const QString &name, Value value)
{
    if (!hash.contains(name))
        hash.insert(name, value);
}

// Names are compared without regard to case: the index keys them by their folded form.
QString nameKey(const QString &name)
{
    return name.trimmed().toCaseFolded();
}

// The file as lines, with an index of its sections and of the keys of each section, so that a
// look-up does not walk a large file. `raw` holds each line's bytes as they stand in the file,
// so that a write puts back every line it does not change byte for byte, also bytes that the
// locale's encoding cannot decode.
} // namespace

class IniLines
{
public:
    std::vector<QString> lines;
    std::vector<QByteArray> raw;

    static IniLines parse(const QByteArray &bytes)
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
        result.reindex();
        return result;
    }

    QByteArray bytes() const
    {
        QByteArray result;
        qsizetype size = 0;
        for (const QByteArray &line : raw)
            size += line.size() + 2;
        result.reserve(size);
        for (const QByteArray &line : raw) {
            result += line;
            result += "\r\n";
        }
        return result;
    }

    qsizetype size() const { return qsizetype(lines.size()); }

    // Line of the first header of the section, or -1.
    qsizetype findSection(const QString &section) const
    {
        const auto it = m_firstSection.constFind(nameKey(section));
        return it == m_firstSection.constEnd() ? -1 : m_sections[*it].header;
    }

    // One past the last line of the section that starts at header.
    qsizetype sectionEnd(qsizetype header) const
    {
        const size_t ordinal = ordinalOf(header);
        return ordinal + 1 < m_sections.size() ? m_sections[ordinal + 1].header : size();
    }

    // Line of the first key of that name in the section that starts at header, or -1.
    qsizetype findKey(qsizetype header, const QString &key) const
    {
        const Section &section = m_sections[ordinalOf(header)];
        const auto it = section.keys.constFind(nameKey(key));
        return it == section.keys.constEnd() ? -1 : header + *it;
    }

    // Line of the first key of that name in the first section of that name, or -1.
    qsizetype findKeyLine(const QString &section, const QString &key) const
    {
        const qsizetype header = findSection(section);
        return header < 0 ? -1 : findKey(header, key);
    }

    // Replaces a line; true when its bytes changed.
    bool set(qsizetype at, const QString &line)
    {
        QByteArray bytes = line.toLocal8Bit();
        if (raw[size_t(at)] == bytes)
            return false;
        const bool sameEntry = entryOf(lines[size_t(at)]) == entryOf(line);
        lines[size_t(at)] = line;
        raw[size_t(at)] = std::move(bytes);
        if (!sameEntry)
            reindex();
        return true;
    }

    void insert(qsizetype at, const QString &line)
    {
        lines.insert(lines.begin() + at, line);
        raw.insert(raw.begin() + at, line.toLocal8Bit());
        QString name, value;
        if (sectionName(line, name)) {
            // A header anywhere but at the end splits a section: index the file again.
            if (at != size() - 1) {
                reindex();
                return;
            }
            addFirst(m_firstSection, nameKey(name), m_sections.size());
            m_sections.push_back(Section{at, {}});
            return;
        }
        // Every line after the new one moves down by one: the headers after it, and the keys
        // after it within its own section (the others are kept relative to their header).
        auto later = std::lower_bound(m_sections.begin(), m_sections.end(), at,
                                      [](const Section &s, qsizetype line) { return s.header < line; });
        for (auto it = later; it != m_sections.end(); ++it)
            ++it->header;
        if (later == m_sections.begin())
            return; // before the first section: no key of any section
        Section &own = *(later - 1);
        const qsizetype offset = at - own.header;
        for (auto it = own.keys.begin(); it != own.keys.end(); ++it)
            if (*it >= offset)
                ++*it;
        if (keyLine(line, name, value)) {
            auto it = own.keys.find(nameKey(name));
            if (it == own.keys.end())
                own.keys.insert(nameKey(name), offset);
            else if (*it > offset)
                *it = offset; // the first of the section wins
        }
    }

    void append(const QString &line) { insert(size(), line); }

    void erase(qsizetype from, qsizetype to)
    {
        lines.erase(lines.begin() + from, lines.begin() + to);
        raw.erase(raw.begin() + from, raw.begin() + to);
        reindex();
    }

private:
    struct Section
    {
        qsizetype header;
        QHash<QString, qsizetype> keys; // folded name → line, counted from the header
    };
    std::vector<Section> m_sections;      // every header in the order of the file
    QHash<QString, size_t> m_firstSection; // folded name → the first section of that name

    // What a line stands for in the index: a header or a key of some name, or nothing.
    static QString entryOf(const QString &line)
    {
        QString name, value;
        if (sectionName(line, name))
            return u'[' + nameKey(name);
        return keyLine(line, name, value) ? u'=' + nameKey(name) : QString();
    }

    size_t ordinalOf(qsizetype header) const
    {
        const auto it = std::lower_bound(m_sections.begin(), m_sections.end(), header,
                                         [](const Section &s, qsizetype line) { return s.header < line; });
        return size_t(it - m_sections.begin());
    }

    void reindex()
    {
        m_sections.clear();
        m_firstSection.clear();
        QString name, value;
        for (qsizetype i = 0; i < size(); ++i) {
            const QString &line = lines[size_t(i)];
            if (sectionName(line, name)) {
                addFirst(m_firstSection, nameKey(name), m_sections.size());
                m_sections.push_back(Section{i, {}});
            } else if (!m_sections.empty() && keyLine(line, name, value)) {
                Section &own = m_sections.back();
                addFirst(own.keys, nameKey(name), i - own.header);
            }
        }
    }
};

} // namespace ini_detail

namespace {

using ini_detail::IniLines;
using ini_detail::keyLine;
using ini_detail::sectionName;

struct CacheEntry
{
    QByteArray bytes;
    std::shared_ptr<const IniLines> content;
};

// A save pass in progress for one file: the copy that every reader and writer of that file uses
// until the pass ends.
struct PassState
{
    int depth = 0;
    std::shared_ptr<IniLines> content;
    bool dirty = false;      // the copy differs from the file
    bool unreadable = false; // the file was there but could not be read: never replace it
    TReadOpenStatus status = TReadOpenStatus::Missing; // how the read at the start of the pass went
};

std::mutex cacheMutex;
std::map<QString, CacheEntry> cache;
std::map<QString, PassState> passes;

// One spelling per file, whatever path led to it.
QString passKey(const QString &fileName)
{
    return QDir::cleanPath(QFileInfo(fileName).absoluteFilePath());
}

PassState *openPass(const QString &fileName)
{
    const auto it = passes.find(passKey(fileName));
    return it == passes.end() ? nullptr : &it->second;
}

// Reads the file and parses it, or takes the parse from the cache when the bytes on disk are the
// ones parsed last time. The bytes are compared, not the file's times: a rewrite within one tick
// of the file system's clock leaves the times as they were.
// A file that exists but cannot be read sets `unreadable` (when given) and reads as empty: also a
// named pipe or a device in the file's place, which is refused without waiting for it.
std::shared_ptr<const IniLines> loadFromDisk(const QString &fileName, bool *unreadable = nullptr,
                                             TReadOpenStatus *status = nullptr)
{
    QByteArray bytes;
    const TReadOpenResult read = ReadRegularFile(fileName, bytes);
    if (status)
        *status = read.Status;
    if (!read.Ok()) {
        if (unreadable)
            *unreadable = read.Status != TReadOpenStatus::Missing;
        return std::make_shared<const IniLines>();
    }
    {
        std::lock_guard<std::mutex> lock(cacheMutex);
        auto it = cache.find(fileName);
        if (it != cache.end() && it->second.bytes == bytes)
            return it->second.content;
    }
    auto content = std::make_shared<const IniLines>(IniLines::parse(bytes));
    std::lock_guard<std::mutex> lock(cacheMutex);
    cache[fileName] = CacheEntry{bytes, content};
    return content;
}

// The lines as a reader sees them: the pass's copy while a pass is open, else the file.
std::shared_ptr<const IniLines> load(const QString &fileName)
{
    {
        std::lock_guard<std::mutex> lock(cacheMutex);
        if (const PassState *pass = openPass(fileName))
            return pass->content;
    }
    return loadFromDisk(fileName);
}

void forget(const QString &fileName)
{
    std::lock_guard<std::mutex> lock(cacheMutex);
    cache.erase(fileName);
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

[[noreturn]] void refuseWrite(const QString &fileName)
{
    throw EIniFileException(QStringLiteral("Unable to write to %1").arg(fileName));
}

// True when the folder that holds the file refuses this process a new file (a shared install
// whose folder belongs to someone else), while the file itself exists and may be written.
bool onlyTheFileIsWritable(const QString &fileName)
{
    const QFileInfo info(fileName);
    if (!info.isFile())
        return false;
    const QByteArray file = QFile::encodeName(info.absoluteFilePath());
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    if (::faccessat(AT_FDCWD, folder.constData(), W_OK | X_OK, AT_EACCESS) == 0)
        return false;
    if (errno != EACCES && errno != EPERM)
        return false;
    return ::faccessat(AT_FDCWD, file.constData(), W_OK, AT_EACCESS) == 0;
}

bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.constData() + done, size_t(bytes.size() - done), off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

bool readAll(int fd, off_t size, QByteArray &bytes)
{
    bytes.resize(qsizetype(size));
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pread(fd, bytes.data() + done, size_t(bytes.size() - done), off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        done += n;
    }
    bytes.truncate(done);
    return true;
}

// Writes the bytes over the file where it stands, for a folder that takes no new file beside it.
// The room for a longer text is claimed first, so that a full disk refuses the write before any
// byte has changed; the bytes then go over the old ones, the rest is cut off and the whole is
// flushed to the disk. A write that fails midway puts the old text back as far as it can.
bool writeInPlace(const QString &fileName, const QByteArray &bytes)
{
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return false;
    struct stat st {};
    QByteArray before;
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && readAll(fd, st.st_size, before);
    if (ok && bytes.size() > before.size()) {
        const int claimed = ::posix_fallocate(fd, 0, off_t(bytes.size()));
        // A file system that cannot claim room ahead is written all the same.
        ok = claimed == 0 || claimed == EOPNOTSUPP || claimed == EINVAL;
    }
    if (ok) {
        ok = writeAll(fd, bytes) && ::ftruncate(fd, off_t(bytes.size())) == 0 && ::fsync(fd) == 0;
        if (!ok && writeAll(fd, before) && ::ftruncate(fd, off_t(before.size())) == 0)
            ::fsync(fd);
    }
    if (::close(fd) != 0)
        ok = false;
    return ok;
}

// Replaces the file with the lines at once: a temporary file in the same folder, then a rename,
// so that a crash or a full disk never leaves a half-written file. Where the folder takes no new
// file but the file itself may be written, the file is written in place instead.
void save(const QString &fileName, const IniLines &ini)
{
    const QByteArray bytes = ini.bytes();
    forget(fileName);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        if (onlyTheFileIsWritable(fileName) && writeInPlace(fileName, bytes))
            return;
        refuseWrite(fileName);
    }
    bool ok = file.write(bytes) == bytes.size();
    ok = ok && file.commit();
    if (!ok) {
        file.cancelWriting();
        refuseWrite(fileName);
    }
}

// Applies one change: to the pass's copy while a pass is open, else to the file at once.
template <typename Change>
void modify(const QString &fileName, Change change)
{
    {
        std::lock_guard<std::mutex> lock(cacheMutex);
        if (PassState *pass = openPass(fileName)) {
            if (change(*pass->content))
                pass->dirty = true;
            return;
        }
    }
    bool unreadable = false;
    IniLines ini = *loadFromDisk(fileName, &unreadable);
    if (unreadable)
        throw EIniFileException(QStringLiteral("Unable to write to %1").arg(fileName));
    if (change(ini))
        save(fileName, ini);
}

// A line break would end the line early and make the rest of the value into lines of its own.
void refuseLineBreaks(const QString &fileName, const QString &section, const QString &key, const QString &value)
{
    auto breaks = [](const QString &text) { return text.contains(u'\r') || text.contains(u'\n'); };
    if (breaks(section) || breaks(key) || breaks(value)) {
        const QString shownKey = QString(key).replace(u'\r', u' ').replace(u'\n', u' ');
        const QString shownSection = QString(section).replace(u'\r', u' ').replace(u'\n', u' ');
        throw EIniFileException(QStringLiteral("Unable to write to %1: the value of \"%2\" in [%3] holds a line break")
                                    .arg(fileName, shownKey, shownSection),
                                EIniFileException::TReason::LineBreak, fileName, shownSection, shownKey);
    }
}

} // namespace

EIniFileException::EIniFileException(const QString &message)
    : std::runtime_error(message.toLocal8Bit().toStdString())
{
}

EIniFileException::EIniFileException(const QString &message, TReason reason, const QString &fileName,
                                     const QString &section, const QString &key)
    : std::runtime_error(message.toLocal8Bit().toStdString()), Reason(reason), FileName(fileName),
      Section(section), Key(key)
{
}

// ---- Save passes ----------------------------------------------------------------------------------

struct TIniSavePass::Private
{
    QString fileName;
    bool committed = false;
    // The copy as it was when a nested pass began, put back when that pass is dropped.
    std::unique_ptr<IniLines> before;
    bool dirtyBefore = false;
};

TIniSavePass::TIniSavePass(const QString &fileName)
    : d(std::make_unique<Private>())
{
    d->fileName = fileName;
    const QString key = passKey(fileName);
    {
        std::lock_guard<std::mutex> lock(cacheMutex);
        auto it = passes.find(key);
        if (it != passes.end()) {
            PassState &pass = it->second;
            ++pass.depth;
            d->before = std::make_unique<IniLines>(*pass.content);
            d->dirtyBefore = pass.dirty;
            return;
        }
    }
    bool unreadable = false;
    TReadOpenStatus status = TReadOpenStatus::Missing;
    auto content = std::make_shared<IniLines>(*loadFromDisk(fileName, &unreadable, &status));
    std::lock_guard<std::mutex> lock(cacheMutex);
    PassState &pass = passes[key];
    pass.depth = 1;
    pass.content = std::move(content);
    pass.unreadable = unreadable;
    pass.status = status;
}

TIniSavePass::~TIniSavePass()
{
    std::lock_guard<std::mutex> lock(cacheMutex);
    const auto it = passes.find(passKey(d->fileName));
    if (it == passes.end())
        return;
    PassState &pass = it->second;
    if (!d->committed && d->before) {
        // A nested pass that did not end well leaves the copy as it found it.
        *pass.content = std::move(*d->before);
        pass.dirty = d->dirtyBefore;
    }
    if (--pass.depth == 0)
        passes.erase(it);
}

TReadOpenStatus TIniSavePass::ReadStatus() const
{
    std::lock_guard<std::mutex> lock(cacheMutex);
    const PassState *pass = openPass(d->fileName);
    return pass ? pass->status : TReadOpenStatus::Missing;
}

void TIniSavePass::Commit()
{
    std::shared_ptr<IniLines> content;
    {
        std::lock_guard<std::mutex> lock(cacheMutex);
        PassState *pass = openPass(d->fileName);
        if (!pass)
            return;
        // A nested pass keeps its changes in the copy; the outer pass writes them.
        if (d->before) {
            d->committed = true;
            return;
        }
        if (pass->dirty && pass->unreadable)
            throw EIniFileException(QStringLiteral("Unable to write to %1").arg(d->fileName));
        if (pass->dirty)
            content = pass->content;
    }
    if (content) {
        save(d->fileName, *content);
        std::lock_guard<std::mutex> lock(cacheMutex);
        if (PassState *pass = openPass(d->fileName))
            pass->dirty = false;
    }
    d->committed = true;
}

// ---- The file -------------------------------------------------------------------------------------

TIniFile::TIniFile(const QString &fileName)
    : m_fileName(fileName)
{
}

TIniFile TIniFile::FromBytes(const QByteArray &bytes, const QString &fileName)
{
    TIniFile ini(fileName);
    ini.m_content = std::make_shared<const IniLines>(IniLines::parse(bytes));
    return ini;
}

std::shared_ptr<const ini_detail::IniLines> TIniFile::Lines() const
{
    return m_content ? m_content : load(m_fileName);
}

void TIniFile::RefuseWriteToCopy() const
{
    if (m_content)
        refuseWrite(m_fileName);
}

QString TIniFile::ReadString(const QString &section, const QString &key, const QString &defaultValue) const
{
    const auto loaded = Lines();
    const IniLines &ini = *loaded;
    const qsizetype at = ini.findKeyLine(section, key);
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
    RefuseWriteToCopy();
    refuseLineBreaks(m_fileName, section, key, value);
    const QString line = key.trimmed() + u'=' + value;
    modify(m_fileName, [&](IniLines &ini) {
        const qsizetype header = ini.findSection(section);
        if (header < 0) {
            if (ini.size() > 0 && !ini.lines.back().trimmed().isEmpty())
                ini.append(QString());
            ini.append(u'[' + section.trimmed() + u']');
            ini.append(line);
            return true;
        }
        const qsizetype at = ini.findKey(header, key);
        if (at >= 0)
            return ini.set(at, line);
        // After the section's last non-blank line, so a blank line before the next section stays.
        qsizetype insertAt = ini.sectionEnd(header);
        while (insertAt > header + 1 && ini.lines[size_t(insertAt - 1)].trimmed().isEmpty())
            --insertAt;
        ini.insert(insertAt, line);
        return true;
    });
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
    return Lines()->findSection(section) >= 0;
}

bool TIniFile::ValueExists(const QString &section, const QString &key) const
{
    return Lines()->findKeyLine(section, key) >= 0;
}

QStringList TIniFile::ReadSections() const
{
    const auto loaded = Lines();
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
    const auto loaded = Lines();
    const IniLines &ini = *loaded;
    QStringList result;
    const qsizetype header = ini.findSection(section);
    if (header < 0)
        return result;
    const qsizetype end = ini.sectionEnd(header);
    QString k, v;
    for (qsizetype i = header + 1; i < end; ++i)
        if (keyLine(ini.lines[size_t(i)], k, v))
            result << k;
    return result;
}

void TIniFile::EraseSection(const QString &section)
{
    RefuseWriteToCopy();
    modify(m_fileName, [&](IniLines &ini) {
        const qsizetype header = ini.findSection(section);
        if (header < 0)
            return false;
        ini.erase(header, ini.sectionEnd(header));
        return true;
    });
}

void TIniFile::DeleteKey(const QString &section, const QString &key)
{
    RefuseWriteToCopy();
    modify(m_fileName, [&](IniLines &ini) {
        const qsizetype at = ini.findKeyLine(section, key);
        if (at < 0)
            return false;
        ini.erase(at, at + 1);
        return true;
    });
}
