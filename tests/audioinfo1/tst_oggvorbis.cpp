// Ogg Vorbis reader: files made by the Vorbis encoder, and streams built page by page for
// the granule, comment and ID3v2 cases.
#include <gtest/gtest.h>

#include <cmath>

#include "AudioFileStream.h"
#include "OggVorbis.h"
#include "TestFiles.h"

namespace
{
// One Ogg page holding the given packet data (laced as one packet, at most 255 * 255 bytes).
Bytes OggPage(std::uint64_t granule, std::uint32_t sequence, const Bytes &data)
{
    Bytes page;
    PutText(page, "OggS");
    page.push_back(0);
    page.push_back(sequence == 0 ? 2 : 0);
    PutLE32(page, std::uint32_t(granule));
    PutLE32(page, std::uint32_t(granule >> 32));
    PutLE32(page, 0x1234);
    PutLE32(page, sequence);
    PutLE32(page, 0); // checksum, not looked at
    Bytes lacing;
    std::size_t left = data.size();
    while (left >= 255) {
        lacing.push_back(255);
        left -= 255;
    }
    lacing.push_back(std::uint8_t(left));
    page.push_back(std::uint8_t(lacing.size()));
    page.insert(page.end(), lacing.begin(), lacing.end());
    page.insert(page.end(), data.begin(), data.end());
    return page;
}

Bytes Identification(std::uint8_t channels, std::uint32_t rate, std::uint32_t nominal)
{
    Bytes b = {0x01};
    PutText(b, "vorbis");
    PutLE32(b, 0);
    b.push_back(channels);
    PutLE32(b, rate);
    PutLE32(b, 0);
    PutLE32(b, nominal);
    PutLE32(b, 0);
    b.push_back(0xB8);
    b.push_back(0x01);
    return b;
}

Bytes CommentHeader(const std::string &vendor, const std::vector<std::string> &fields)
{
    Bytes b = {0x03};
    PutText(b, "vorbis");
    PutLE32(b, std::uint32_t(vendor.size()));
    PutText(b, vendor);
    PutLE32(b, std::uint32_t(fields.size()));
    for (const std::string &f : fields) {
        PutLE32(b, std::uint32_t(f.size()));
        PutText(b, f);
    }
    b.push_back(1);
    return b;
}

struct TStream
{
    std::uint8_t channels = 2;
    std::uint32_t rate = 44100;
    std::uint32_t nominal = 128000;
    std::string vendor = "Test encoder";
    std::vector<std::string> fields;
    std::uint64_t lastGranule = 2646000;
    std::size_t audioBytes = 4000; // filler between the headers and the last page
    std::size_t trailing = 0;      // bytes after the last page
};

Bytes BuildOgg(const TStream &s)
{
    Bytes b = OggPage(0, 0, Identification(s.channels, s.rate, s.nominal));
    Bytes comments = OggPage(0, 1, CommentHeader(s.vendor, s.fields));
    b.insert(b.end(), comments.begin(), comments.end());
    b.resize(b.size() + s.audioBytes, 0x5A);
    Bytes last = OggPage(s.lastGranule, 2, Bytes(100, 0x33));
    b.insert(b.end(), last.begin(), last.end());
    b.resize(b.size() + s.trailing, 0x11);
    return b;
}

// An ID3v2.3 tag of exactly total bytes (header included), no footer.
Bytes ID3v2Tag(std::uint32_t total)
{
    const std::uint32_t size = total - 10;
    Bytes b = {'I', 'D', '3', 3, 0, 0, std::uint8_t((size >> 21) & 0x7F), std::uint8_t((size >> 14) & 0x7F),
               std::uint8_t((size >> 7) & 0x7F), std::uint8_t(size & 0x7F)};
    b.resize(total, 0);
    return b;
}

// One Ogg page holding whole packets, each laced on its own.
Bytes OggPageOfPackets(std::uint64_t granule, std::uint32_t sequence, const std::vector<Bytes> &packets)
{
    Bytes page;
    PutText(page, "OggS");
    page.push_back(0);
    page.push_back(0);
    PutLE32(page, std::uint32_t(granule));
    PutLE32(page, std::uint32_t(granule >> 32));
    PutLE32(page, 0x1234);
    PutLE32(page, sequence);
    PutLE32(page, 0);
    Bytes lacing;
    Bytes data;
    for (const Bytes &packet : packets) {
        std::size_t left = packet.size();
        while (left >= 255) {
            lacing.push_back(255);
            left -= 255;
        }
        lacing.push_back(std::uint8_t(left));
        data.insert(data.end(), packet.begin(), packet.end());
    }
    page.push_back(std::uint8_t(lacing.size()));
    page.insert(page.end(), lacing.begin(), lacing.end());
    page.insert(page.end(), data.begin(), data.end());
    return page;
}

Bytes Prepend(const Bytes &front, const Bytes &back)
{
    Bytes b = front;
    b.insert(b.end(), back.begin(), back.end());
    return b;
}
} // namespace

TEST(OggVorbisReader, EncoderFileWithComments)
{
    const std::string path = Fixture("ogg_44k_stereo_tags.ogg");
    const auto size = std::int32_t(ReadAll(path).size());
    TOggVorbis ogg;
    ASSERT_TRUE(ogg.ReadFromFile(path));
    EXPECT_TRUE(ogg.Valid());
    EXPECT_EQ(ogg.FileSize(), size);
    EXPECT_EQ(ogg.ID3v2Size(), 0);
    EXPECT_EQ(ogg.Channels(), 2);
    EXPECT_EQ(ogg.ChannelMode(), "Stereo");
    EXPECT_EQ(ogg.SampleRate(), 44100);
    EXPECT_EQ(ogg.BitRateNominal(), 64);
    EXPECT_EQ(ogg.Samples(), 22050);
    EXPECT_DOUBLE_EQ(ogg.Duration(), 0.5);
    EXPECT_EQ(ogg.BitRate(), int(std::lround(size / 0.5 / 125)));
    EXPECT_EQ(ogg.Title(), "Probe Title");
    EXPECT_EQ(ogg.Artist(), "\xC3\x84rtist"); // UTF-8 in, system code page (UTF-8) out
    EXPECT_EQ(ogg.Album(), "Album");
    EXPECT_EQ(ogg.Track(), 3);
    EXPECT_EQ(ogg.Date(), "2024");
    EXPECT_EQ(ogg.Genre(), "Test");
    EXPECT_EQ(ogg.Comment(), "A comment"); // the encoder stores it as DESCRIPTION
    EXPECT_EQ(ogg.Vendor().substr(0, 4), "Lavf");

    // The same file behind a 4,096-byte ID3v2 tag: the tag is skipped and left out of the rate.
    TTempDir dir;
    TOggVorbis tagged;
    ASSERT_TRUE(tagged.ReadFromFile(dir.Write("tagged.ogg", Prepend(ID3v2Tag(4096), ReadAll(path)))));
    EXPECT_EQ(tagged.ID3v2Size(), 4096);
    EXPECT_EQ(tagged.FileSize(), size + 4096);
    EXPECT_EQ(tagged.Samples(), ogg.Samples());
    EXPECT_EQ(tagged.BitRate(), ogg.BitRate());
    EXPECT_EQ(tagged.Title(), ogg.Title());
    EXPECT_TRUE(tagged.Valid());
}

TEST(OggVorbisReader, EncoderFileMono)
{
    TOggVorbis ogg;
    ASSERT_TRUE(ogg.ReadFromFile(Fixture("ogg_22k_mono.ogg")));
    EXPECT_TRUE(ogg.Valid());
    EXPECT_EQ(ogg.Channels(), 1);
    EXPECT_EQ(ogg.ChannelMode(), "Mono");
    EXPECT_EQ(ogg.SampleRate(), 22050);
    EXPECT_EQ(ogg.Samples(), 8820);
    EXPECT_DOUBLE_EQ(ogg.Duration(), 0.4);
    EXPECT_EQ(ogg.Title(), "");
}

TEST(OggVorbisReader, DurationAndRateFromTheLastPage)
{
    TTempDir dir;
    TOggVorbis ogg;
    TStream s;
    Bytes b = BuildOgg(s);
    ASSERT_TRUE(ogg.ReadFromFile(dir.Write("a.ogg", b)));
    EXPECT_EQ(ogg.Samples(), 2646000);
    EXPECT_DOUBLE_EQ(ogg.Duration(), 60.0);
    EXPECT_EQ(ogg.BitRate(), int(std::lround(b.size() / 60.0 / 125)));
    EXPECT_EQ(ogg.BitRateNominal(), 128);

    // The whole 64-bit granule position counts: a long file has more than 2^32 samples.
    s.lastGranule = (std::uint64_t(1) << 32) + 441000;
    ASSERT_TRUE(ogg.ReadFromFile(dir.Write("b.ogg", BuildOgg(s))));
    EXPECT_EQ(ogg.Samples(), (std::int64_t(1) << 32) + 441000);

    // The search reaches as far back as the longest page (65,307 bytes): a last page
    // (128 bytes here) that starts 65,307 bytes before the end is found, one byte further is
    // not, and the duration then comes from the audio bytes at the nominal rate.
    s.lastGranule = 441000;
    s.trailing = 65307 - 128;
    ASSERT_TRUE(ogg.ReadFromFile(dir.Write("c.ogg", BuildOgg(s))));
    EXPECT_EQ(ogg.Samples(), 441000);
    s.trailing = 65308 - 128;
    b = BuildOgg(s);
    ASSERT_TRUE(ogg.ReadFromFile(dir.Write("d.ogg", b)));
    EXPECT_EQ(ogg.Samples(), 0);
    EXPECT_DOUBLE_EQ(ogg.Duration(), double(b.size()) * 8 / 128000);
    EXPECT_TRUE(ogg.Valid());

    // Half rates round to the even neighbour.
    s.trailing = 0;
    s.nominal = 64500;
    ASSERT_TRUE(ogg.ReadFromFile(dir.Write("e.ogg", BuildOgg(s))));
    EXPECT_EQ(ogg.BitRateNominal(), 64);
    s.nominal = 65500;
    ASSERT_TRUE(ogg.ReadFromFile(dir.Write("f.ogg", BuildOgg(s))));
    EXPECT_EQ(ogg.BitRateNominal(), 66);
}

// The encoder ends these files with a page of 13 to 15 KB; their duration is ffprobe's.
TEST(OggVorbisReader, EncoderFilesWithALongLastPage)
{
    struct Case
    {
        const char *file;
        int channels;
        int sampleRate;
        double seconds;
    } cases[] = {
        {"ogg_48k_5ch1_long_last_page.ogg", 6, 48000, 1.9},
        {"ogg_44k_mono_long_last_page.ogg", 1, 44100, 1.9},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        TOggVorbis ogg;
        ASSERT_TRUE(ogg.ReadFromFile(Fixture(c.file)));
        EXPECT_TRUE(ogg.Valid());
        EXPECT_EQ(ogg.Channels(), c.channels);
        EXPECT_EQ(ogg.SampleRate(), c.sampleRate);
        EXPECT_NEAR(ogg.Duration(), c.seconds, c.seconds / 100);
        EXPECT_NEAR(ogg.BitRate(), ReadAll(Fixture(c.file)).size() / c.seconds / 125, 2);
    }
}

// Without a last page in reach, the duration is the audio bytes (those after an ID3v2 tag) at
// the nominal bit rate, whatever the channel count.
TEST(OggVorbisReader, WithoutALastPageTheNominalRateGivesTheDuration)
{
    TTempDir dir;
    for (std::uint8_t channels : {1, 2, 6}) {
        for (std::uint32_t tag : {0u, 4096u}) {
            SCOPED_TRACE(std::to_string(channels) + " channels, tag " + std::to_string(tag));
            TStream s;
            s.channels = channels;
            s.nominal = 96000;
            s.trailing = 70000; // the last page lies out of reach
            Bytes b = BuildOgg(s);
            if (tag)
                b = Prepend(ID3v2Tag(tag), b);
            TOggVorbis ogg;
            ASSERT_TRUE(ogg.ReadFromFile(dir.Write("n.ogg", b)));
            EXPECT_EQ(ogg.Samples(), 0);
            EXPECT_DOUBLE_EQ(ogg.Duration(), double(b.size() - tag) * 8 / 96000);
            EXPECT_EQ(ogg.BitRate(), 96);
            EXPECT_TRUE(ogg.Valid());
        }
    }
}

// A comment header that claims far more fields than it holds: the walk ends with the comment
// packet, so neither the packet after it nor the rest of the file is read as fields.
TEST(OggVorbisReader, CommentWalkEndsWithTheCommentPacket)
{
    Bytes comments = {0x03};
    PutText(comments, "vorbis");
    PutLE32(comments, 6);
    PutText(comments, "vendor");
    PutLE32(comments, 0xFFFFFFFF);
    PutLE32(comments, 12);
    PutText(comments, "TITLE=inside");
    Bytes next; // the packet after it, shaped like one more field
    PutLE32(next, 13);
    PutText(next, "ARTIST=beyond");
    Bytes head = OggPage(0, 0, Identification(2, 44100, 128000));
    Bytes second = OggPageOfPackets(0, 1, {comments, next});
    head.insert(head.end(), second.begin(), second.end());

    TTempDir dir;
    Bytes small = head;
    Bytes last = OggPage(441000, 2, Bytes(100, 0x33));
    small.insert(small.end(), last.begin(), last.end());
    TOggVorbis ogg;
    ASSERT_TRUE(ogg.ReadFromFile(dir.Write("small.ogg", small)));
    EXPECT_EQ(ogg.Title(), "inside");
    EXPECT_EQ(ogg.Artist(), "");
    EXPECT_EQ(ogg.Vendor(), "vendor");

    // 50 MB of zeros after the headers: the probe reads a few kilobytes, not the file.
    const TAudioFileStream::TCounters before = TAudioFileStream::Counters();
    ASSERT_TRUE(ogg.ReadFromFile(dir.WriteSparse("large.ogg", head, last, 50'000'000)));
    const TAudioFileStream::TCounters &after = TAudioFileStream::Counters();
    EXPECT_LT(after.BytesRead - before.BytesRead, 100'000u);
    EXPECT_LT(after.Reads - before.Reads, 10u);
    EXPECT_EQ(ogg.Title(), "inside");
    EXPECT_DOUBLE_EQ(ogg.Duration(), 10.0);
    EXPECT_TRUE(ogg.Valid());
}

// Sizes and sample counts beyond 32 bits: a 3 GiB file of 30 hours.
TEST(OggVorbisReader, FilesOver2GiB)
{
    Bytes head = OggPage(0, 0, Identification(2, 44100, 160000));
    Bytes comments = OggPage(0, 1, CommentHeader("big", {"TITLE=long"}));
    head.insert(head.end(), comments.begin(), comments.end());
    const std::uint64_t granule = 30ull * 3600 * 44100; // more than 2^32 samples
    const std::uint64_t size = 3ull << 30;
    TTempDir dir;
    TOggVorbis ogg;
    ASSERT_TRUE(ogg.ReadFromFile(dir.WriteSparse("big.ogg", head, OggPage(granule, 9, Bytes(200, 0x33)), size)));
    EXPECT_EQ(ogg.FileSize(), std::int64_t(size));
    EXPECT_EQ(ogg.Samples(), std::int64_t(granule));
    EXPECT_DOUBLE_EQ(ogg.Duration(), 108000.0);
    EXPECT_EQ(ogg.BitRate(), int(std::lround(double(size) / 108000 / 125)));
    EXPECT_TRUE(ogg.Valid());
    EXPECT_EQ(ogg.Title(), "long");
}

TEST(OggVorbisReader, CommentFields)
{
    TTempDir dir;
    struct Case
    {
        const char *name;
        std::vector<std::string> fields;
        std::string artist, comment;
        int track;
    } cases[] = {
        {"track with total", {"TRACKNUMBER=3/10"}, "", "", 3},
        {"track not a number", {"TRACKNUMBER=x"}, "", "", 0},
        {"performer when artist empty", {"ARTIST=", "PERFORMER=P"}, "P", "", 0},
        {"artist wins", {"PERFORMER=P", "ARTIST=A"}, "A", "", 0},
        {"later field replaces", {"artist=first", "Artist=second"}, "second", "", 0},
        {"description when comment empty", {"DESCRIPTION=D"}, "", "D", 0},
        {"comment wins", {"COMMENT=C", "DESCRIPTION=D"}, "", "C", 0},
        {"value trimmed", {"ARTIST=  A B  "}, "A B", "", 0},
        {"UTF-8 stops at a broken sequence", {"ARTIST=ab\xC3(cd"}, "ab", "", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TStream s;
        s.fields = c.fields;
        TOggVorbis ogg;
        ASSERT_TRUE(ogg.ReadFromFile(dir.Write("a.ogg", BuildOgg(s))));
        EXPECT_EQ(ogg.Artist(), c.artist);
        EXPECT_EQ(ogg.Comment(), c.comment);
        EXPECT_EQ(ogg.Track(), c.track);
        EXPECT_EQ(ogg.Vendor(), "Test encoder");
    }

    // A 400-byte item keeps its first 250 bytes, and the next field is still read.
    TStream s;
    s.fields = {"TITLE=" + std::string(394, 't'), "ALBUM=After"};
    TOggVorbis ogg;
    ASSERT_TRUE(ogg.ReadFromFile(dir.Write("b.ogg", BuildOgg(s))));
    EXPECT_EQ(ogg.Title(), std::string(244, 't'));
    EXPECT_EQ(ogg.Album(), "After");
}

TEST(OggVorbisReader, ValidityRules)
{
    TTempDir dir;
    struct Case
    {
        std::uint8_t channels;
        std::uint32_t rate;
        std::uint64_t granule;
        bool valid;
    } cases[] = {
        {1, 44100, 441000, true},  {2, 44100, 441000, true}, {6, 48000, 480000, true},
        {5, 44100, 441000, false}, {0, 44100, 441000, false}, {2, 0, 441000, false},
        {2, 44100, 4410, false}, // exactly 0.1 s
        {2, 44100, 4411, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.channels) << " channels, " << c.rate << " Hz, " << c.granule);
        TStream s;
        s.channels = c.channels;
        s.rate = c.rate;
        s.lastGranule = c.granule;
        TOggVorbis ogg;
        ASSERT_TRUE(ogg.ReadFromFile(dir.Write("a.ogg", BuildOgg(s))));
        EXPECT_EQ(ogg.Valid(), c.valid);
    }
}

TEST(OggVorbisReader, ForeignAndHostileFiles)
{
    TTempDir dir;
    TOggVorbis ogg;
    ASSERT_TRUE(ogg.ReadFromFile(Fixture("ogg_22k_mono.ogg")));

    Bytes notVorbis = OggPage(0, 0, Bytes{0x80, 't', 'h', 'e', 'o', 'r', 'a', 0, 0, 0});
    for (const Bytes &bytes : {Bytes{}, Bytes(300, 'x'), notVorbis, ReadAll(Fixture("wav_sox_8k_stereo_s16.wav"))}) {
        EXPECT_FALSE(ogg.ReadFromFile(dir.Write("x.ogg", bytes)));
        EXPECT_EQ(ogg.FileSize(), 0);
        EXPECT_EQ(ogg.Channels(), 0);
        EXPECT_EQ(ogg.Samples(), 0);
        EXPECT_EQ(ogg.Vendor(), "");
        EXPECT_FALSE(ogg.Valid());
    }

    // An ID3v2 tag that claims more than the file holds is not skipped.
    EXPECT_FALSE(ogg.ReadFromFile(dir.Write("big.ogg", Prepend(Bytes{'I', 'D', '3', 3, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F},
                                                               ReadAll(Fixture("ogg_22k_mono.ogg"))))));
    EXPECT_EQ(ogg.ID3v2Size(), 0);

    // Comment counts and lengths far beyond the file end the walk at the file's end.
    Bytes b = OggPage(0, 0, Identification(2, 44100, 128000));
    Bytes c = {0x03};
    PutText(c, "vorbis");
    PutLE32(c, 3);
    PutText(c, "abc");
    PutLE32(c, 0xFFFFFFFF); // four thousand million fields
    PutLE32(c, 8);
    PutText(c, "TITLE=ok");
    PutLE32(c, 0xFFFFFFF0);
    PutText(c, "ARTIST=cut");
    Bytes page = OggPage(0, 1, c);
    b.insert(b.end(), page.begin(), page.end());
    ASSERT_TRUE(ogg.ReadFromFile(dir.Write("hostile.ogg", b)));
    EXPECT_EQ(ogg.Title(), "ok");
    EXPECT_EQ(ogg.Artist(), "cut"); // what the file holds of the oversized item
    EXPECT_EQ(ogg.Vendor(), "abc");

    EXPECT_THROW(ogg.ReadFromFile(dir.Path("missing.ogg")), EOggVorbisError);
}
