#include "OggVorbis.h"

#include <climits>
#include <algorithm>
#include <cstring>
#include <vector>

using audioinfo::GetLE32;
using audioinfo::RoundHalfEven;

namespace
{
constexpr std::size_t PageHeaderSize = 27;
constexpr std::size_t PageHeaderWithSegments = 282; // 27 bytes and a full segment table
constexpr std::size_t IdentificationSize = 30;
constexpr std::size_t CommentItemBuffer = 250;  // bytes of each comment item kept
// The longest Ogg page: its header with 255 segments of 255 bytes each. The last page starts
// at most this far from the end of the file.
constexpr std::int64_t MaxPageSize = 27 + 255 + 255 * 255;
// Pages followed to find where a comment header that spans pages ends.
constexpr int MaxCommentPages = 1024;

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= 32;
}

// Removes characters with codes 0 to 32 at both ends.
std::string Trim(const std::string &s)
{
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

std::string UpperCase(std::string s)
{
    for (char &c : s)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return s;
}

// A whole decimal (or "$"/"0x" hexadecimal) 32-bit number, else the default.
int StrToIntDef(const std::string &s, int def)
{
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
        negative = s[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < s.size() && s[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= s.size())
        return def;
    long long value = 0;
    for (; i < s.size(); ++i) {
        char c = s[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return def;
        value = value * base + digit;
        if (value > 0xFFFFFFFFLL)
            return def;
    }
    if (base == 10 && value > (negative ? 2147483648LL : 2147483647LL))
        return def;
    if (negative)
        value = -value;
    return int(std::int32_t(std::uint32_t(value)));
}

void AppendUtf8(std::string &out, char16_t unit)
{
    char32_t c = unit;
    if (c >= 0xD800 && c <= 0xDFFF)
        c = 0xFFFD; // a lone surrogate has no encoding of its own
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// Decodes sequences of one to three bytes into 16-bit code units (a lead byte with the bit
// 0x20 set starts a three-byte sequence) and writes them in the system code page. Decoding
// stops at the first continuation byte out of 0x80-0xBF and at a sequence cut by the end.
std::string DecodeUtf8(const std::string &s)
{
    std::string out;
    std::size_t i = 0;
    const std::size_t n = s.size();
    while (i < n) {
        unsigned c = static_cast<unsigned char>(s[i++]);
        if ((c & 0x80) == 0) {
            AppendUtf8(out, char16_t(c));
            continue;
        }
        if (i >= n)
            break;
        unsigned wc = c & 0x3F;
        if (wc & 0x20) {
            unsigned c2 = static_cast<unsigned char>(s[i++]);
            if ((c2 & 0xC0) != 0x80)
                break;
            if (i >= n)
                break;
            wc = (wc << 6) | (c2 & 0x3F);
        }
        unsigned c3 = static_cast<unsigned char>(s[i++]);
        if ((c3 & 0xC0) != 0x80)
            break;
        AppendUtf8(out, char16_t(((wc << 6) | (c3 & 0x3F)) & 0xFFFF));
    }
    return out;
}

// The comment fields that are taken over.
struct TVorbisTags
{
    std::string Vendor, Title, Artist, Album, TrackNumber, Date, Genre, Comment, Performer,
        Description;

    void Set(const std::string &name, const std::string &value)
    {
        static const struct
        {
            const char *name;
            std::string TVorbisTags::*field;
        } fields[] = {{"TITLE", &TVorbisTags::Title},
                      {"ARTIST", &TVorbisTags::Artist},
                      {"ALBUM", &TVorbisTags::Album},
                      {"TRACKNUMBER", &TVorbisTags::TrackNumber},
                      {"DATE", &TVorbisTags::Date},
                      {"GENRE", &TVorbisTags::Genre},
                      {"COMMENT", &TVorbisTags::Comment},
                      {"PERFORMER", &TVorbisTags::Performer},
                      {"DESCRIPTION", &TVorbisTags::Description}};
        for (const auto &f : fields)
            if (name == f.name) {
                this->*f.field = DecodeUtf8(Trim(value));
                return;
            }
    }
};

// Reads through the stream; a read error becomes the reader's error.
class TReader
{
public:
    TReader(TAudioFileStream &stream, const std::string &fileName)
        : m_stream(stream), m_fileName(fileName)
    {
    }
    void Read(std::int64_t pos, void *buffer, std::size_t count)
    {
        if (!m_stream.ReadAt(pos, buffer, count))
            throw EOggVorbisError(m_fileName, m_stream.Error());
    }

private:
    TAudioFileStream &m_stream;
    const std::string &m_fileName;
};

std::int32_t ID3v2SizeOf(TReader &reader, std::int64_t length)
{
    std::uint8_t h[10];
    reader.Read(0, h, sizeof h);
    if (std::memcmp(h, "ID3", 3) != 0)
        return 0;
    std::int64_t size = std::int64_t(h[6]) * (1 << 21) + std::int64_t(h[7]) * (1 << 14) +
                        std::int64_t(h[8]) * (1 << 7) + h[9] + 10;
    if (h[5] & 0x10)
        size += 10;
    return size > length ? 0 : std::int32_t(size);
}

// Reads the items of a comment header that starts at pos (just after 0x03 "vorbis") and whose
// packet ends at end: the walk never goes past the packet, whatever the counts say.
void ReadComments(TReader &reader, std::int64_t pos, std::int64_t end, TVorbisTags &tags)
{
    auto readItem = [&](std::int64_t &at) {
        std::uint8_t len[4];
        reader.Read(at, len, sizeof len);
        std::uint32_t size = GetLE32(len);
        char buffer[CommentItemBuffer];
        reader.Read(at + 4, buffer, size < CommentItemBuffer ? size : CommentItemBuffer);
        if (size < CommentItemBuffer)
            std::memset(buffer + size, 0, CommentItemBuffer - size);
        at += 4 + std::int64_t(size);
        std::string text = Trim(std::string(buffer, CommentItemBuffer));
        std::size_t eq = text.find('=');
        if (eq != std::string::npos)
            tags.Set(UpperCase(text.substr(0, eq)), text.substr(eq + 1));
        else if (tags.Vendor.empty())
            tags.Vendor = text;
    };

    if (pos + 4 > end)
        return;
    readItem(pos); // the vendor string
    if (pos + 4 > end)
        return;
    std::uint8_t countBytes[4];
    reader.Read(pos, countBytes, sizeof countBytes);
    pos += 4;
    const std::uint32_t count = GetLE32(countBytes);
    for (std::uint32_t i = 0; i < count && pos + 4 <= end; ++i)
        readItem(pos);
}

// Where the first packet of the page at pageStart ends in the file, following it over the pages
// that continue it. The page header (with its segment table) is given.
std::int64_t FirstPacketEnd(TReader &reader, std::int64_t pageStart, const std::uint8_t *page,
                             std::int64_t length)
{
    std::uint8_t next[PageHeaderWithSegments];
    const std::uint8_t *header = page;
    for (int pages = 0; pages < MaxCommentPages; ++pages) {
        const unsigned segments = header[26];
        std::int64_t pos = pageStart + std::int64_t(PageHeaderSize) + segments;
        for (unsigned i = 0; i < segments; ++i) {
            pos += header[PageHeaderSize + i];
            if (header[PageHeaderSize + i] < 255)
                return pos; // the packet ends on this page
        }
        // Every segment was full: the packet goes on at the start of the next page.
        if (pos + std::int64_t(PageHeaderSize) > length)
            return pos;
        reader.Read(pos, next, sizeof next);
        if (std::memcmp(next, "OggS", 4) != 0 || (next[5] & 0x01) == 0)
            return pos;
        pageStart = pos;
        header = next;
    }
    return length;
}

// Searches window, the file's bytes from windowStart on, backwards from its position below
// (exclusive) for the header of a page that lies wholly in the file of length bytes; the
// page's granule position, or -1 when there is none. The window holds a full page header and
// segment table past below, or reaches the end of the file.
std::int64_t GranuleOfLastPageIn(const std::vector<std::uint8_t> &window, std::int64_t windowStart,
                                 std::size_t below, std::int64_t length)
{
    const std::size_t count = window.size();
    for (std::size_t i = below; i-- > 0;) {
        const std::uint8_t *h = window.data() + i;
        if (h[0] != 'O' || i + PageHeaderSize > count || std::memcmp(h, "OggS", 4) != 0)
            continue;
        // The capture pattern can turn up inside audio data: take only a page header whose
        // version and flags are sound and whose page lies wholly in the file.
        if (h[4] != 0 || h[5] > 7)
            continue;
        const std::size_t segments = h[26];
        if (i + PageHeaderSize + segments > count)
            continue;
        std::int64_t pageSize = std::int64_t(PageHeaderSize + segments);
        for (std::size_t k = 0; k < segments; ++k)
            pageSize += h[PageHeaderSize + k];
        if (windowStart + std::int64_t(i) + pageSize > length)
            continue;
        const auto granule = std::int64_t(std::uint64_t(audioinfo::GetLE32(h + 6)) |
                                          (std::uint64_t(audioinfo::GetLE32(h + 10)) << 32));
        if (granule < 0)
            continue; // no packet ends on this page
        return granule;
    }
    return -1;
}

// Granule position of the last page. The last page starts at most MaxPageSize bytes before
// the end of the file; that reach is searched backwards in growing steps, since most last
// pages start within the last few kilobytes.
std::int64_t LastGranule(TReader &reader, std::int64_t length, std::int64_t dataStart)
{
    const std::int64_t reachStart = std::max(dataStart, length - MaxPageSize);
    std::vector<std::uint8_t> window;
    std::int64_t searched = length; // the positions from here on are searched
    for (const std::int64_t step : {std::int64_t(4096), std::int64_t(16384), MaxPageSize}) {
        const std::int64_t start = std::max(reachStart, length - step);
        if (start >= searched)
            continue;
        // Up to the searched part and a full header past it, so that no header is cut.
        const std::int64_t end = std::min(length, searched + std::int64_t(PageHeaderWithSegments));
        window.resize(std::size_t(end - start));
        reader.Read(start, window.data(), window.size());
        const std::int64_t granule = GranuleOfLastPageIn(window, start, std::size_t(searched - start), length);
        if (granule >= 0)
            return granule;
        searched = start;
    }
    return 0;
}
} // namespace

TOggVorbis::TOggVorbis()
{
    ResetData();
}

TOggVorbis::~TOggVorbis() = default;

void TOggVorbis::ResetData()
{
    FFileSize = 0;
    FChannels = 0;
    FSampleRate = 0;
    FBitRateNominal = 0;
    FSamples = 0;
    FID3v2Size = 0;
    FTitle.clear();
    FArtist.clear();
    FAlbum.clear();
    FTrack = 0;
    FDate.clear();
    FGenre.clear();
    FComment.clear();
    FVendor.clear();
}

bool TOggVorbis::ReadFromFile(const std::string &fileName)
{
    ResetData();
    TAudioFileStream stream;
    if (!stream.Open(fileName)) {
        // A pipe, a device or a folder is no Ogg Vorbis file, and is never waited for.
        if (stream.NotRegular())
            return false;
        throw EOggVorbisError(fileName, stream.Error());
    }
    TReader reader(stream, fileName);
    const std::int64_t length = stream.Size();
    const std::int32_t id3v2Size = ID3v2SizeOf(reader, length);

    // First page and the identification header in its first packet.
    std::uint8_t page[PageHeaderWithSegments];
    reader.Read(id3v2Size, page, sizeof page);
    if (std::memcmp(page, "OggS", 4) != 0)
        return false;
    std::uint8_t ident[IdentificationSize];
    const std::int64_t identPos = std::int64_t(id3v2Size) + PageHeaderSize + page[26];
    reader.Read(identPos, ident, sizeof ident);
    if (ident[0] != 0x01 || std::memcmp(ident + 1, "vorbis", 6) != 0)
        return false;

    // The second page follows the identification header; its first packet is the comment
    // header.
    TVorbisTags tags;
    const std::int64_t secondPage = identPos + IdentificationSize;
    reader.Read(secondPage, page, sizeof page);
    const std::int64_t commentPos = secondPage + PageHeaderSize + page[26];
    std::uint8_t commentHeader[7];
    reader.Read(commentPos, commentHeader, sizeof commentHeader);
    if (commentHeader[0] == 0x03 && std::memcmp(commentHeader + 1, "vorbis", 6) == 0) {
        const std::int64_t commentEnd = std::min(length, FirstPacketEnd(reader, secondPage, page, length));
        ReadComments(reader, commentPos + 7, commentEnd, tags);
    }

    const std::int64_t samples = LastGranule(reader, length, id3v2Size);

    FChannels = ident[11];
    FSampleRate = std::int32_t(GetLE32(ident + 12));
    const std::int32_t nominal = std::int32_t(GetLE32(ident + 20));
    FBitRateNominal = std::uint16_t(std::int64_t(RoundHalfEven(nominal / 1000.0)));
    FSamples = samples;
    FID3v2Size = id3v2Size;
    FFileSize = length;
    FTitle = tags.Title;
    FArtist = tags.Artist.empty() ? tags.Performer : tags.Artist;
    FAlbum = tags.Album;
    std::string track = tags.TrackNumber;
    std::size_t slash = track.find('/');
    if (slash != std::string::npos)
        track.resize(slash);
    FTrack = std::uint8_t(StrToIntDef(track, 0));
    FDate = tags.Date;
    FGenre = tags.Genre;
    FComment = tags.Comment.empty() ? tags.Description : tags.Comment;
    FVendor = tags.Vendor;
    return true;
}

std::string TOggVorbis::ChannelMode() const
{
    switch (FChannels) {
    case 0: return "Unknown";
    case 1: return "Mono";
    case 2: return "Stereo";
    default: return "Multichannel";
    }
}

double TOggVorbis::Duration() const
{
    if (FSamples > 0)
        return FSampleRate > 0 ? double(FSamples) / FSampleRate : 0;
    // Without a sample count: the audio bytes at the nominal bit rate.
    if (FBitRateNominal != 0 && FChannels != 0)
        return double(FFileSize - FID3v2Size) * 8 / (double(FBitRateNominal) * 1000);
    return 0;
}

int TOggVorbis::BitRate() const
{
    const double duration = Duration();
    if (!(duration > 0))
        return 0;
    const double rate = RoundHalfEven(double(FFileSize - FID3v2Size) / duration / 125);
    if (rate > INT_MAX)
        return INT_MAX;
    if (rate < INT_MIN)
        return INT_MIN;
    return int(rate);
}

bool TOggVorbis::Valid() const
{
    return (FChannels == 1 || FChannels == 2 || FChannels == 6) && FSampleRate >= 1 &&
           Duration() > 0.1 && BitRate() != 0;
}
