// AAC reader: ADTS files made by an AAC encoder, and ADTS and ADIF streams built bit by bit.
#include <gtest/gtest.h>

#include <cmath>

#include "AACfile.h"
#include "TestFiles.h"

namespace
{
class TBitWriter
{
public:
    void Put(unsigned count, std::uint32_t value)
    {
        for (unsigned i = 0; i < count; ++i) {
            if (m_bit % 8 == 0)
                m_bytes.push_back(0);
            if ((value >> (count - 1 - i)) & 1)
                m_bytes.back() |= std::uint8_t(0x80 >> (m_bit % 8));
            ++m_bit;
        }
    }
    const Bytes &Result() const { return m_bytes; }

private:
    Bytes m_bytes;
    std::size_t m_bit = 0;
};

struct TADTS
{
    unsigned mpeg2 = 1; // header ID bit: 1 MPEG-2, 0 MPEG-4
    unsigned profile = 1;
    unsigned rateIndex = 4; // 44100
    unsigned channels = 2;
    unsigned fullness = 0x7FF;
};

// One ADTS frame of frameLength bytes (7-byte header without CRC, then filler).
Bytes ADTSFrame(const TADTS &h, unsigned frameLength)
{
    TBitWriter w;
    w.Put(12, 0xFFF);
    w.Put(1, h.mpeg2);
    w.Put(2, 0);
    w.Put(1, 1);
    w.Put(2, h.profile);
    w.Put(4, h.rateIndex);
    w.Put(1, 0);
    w.Put(3, h.channels);
    w.Put(4, 0);
    w.Put(13, frameLength);
    w.Put(11, h.fullness);
    w.Put(2, 0);
    Bytes b = w.Result();
    b.resize(frameLength < 7 ? 7 : frameLength, 0x21);
    return b;
}

Bytes ADTSStream(const TADTS &h, unsigned frames, unsigned frameLength)
{
    Bytes b;
    const Bytes frame = ADTSFrame(h, frameLength);
    for (unsigned i = 0; i < frames; ++i)
        b.insert(b.end(), frame.begin(), frame.end());
    return b;
}

Bytes ID3v1Tag()
{
    Bytes b = {'T', 'A', 'G'};
    b.resize(128, ' ');
    b[127] = 12;
    return b;
}

Bytes ID3v2Tag(std::uint32_t total)
{
    const std::uint32_t size = total - 10;
    Bytes b = {'I', 'D', '3', 3, 0, 0, std::uint8_t((size >> 21) & 0x7F), std::uint8_t((size >> 14) & 0x7F),
               std::uint8_t((size >> 7) & 0x7F), std::uint8_t(size & 0x7F)};
    b.resize(total, 0);
    return b;
}

Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes b;
    for (const Bytes &p : parts)
        b.insert(b.end(), p.begin(), p.end());
    return b;
}

// An ADIF header with one program configuration element, padded to 256 bytes.
Bytes ADIFHeader(bool copyrightId, bool variable, std::uint32_t bitRate, unsigned profile, unsigned rateIndex,
                 unsigned front, unsigned side, unsigned back, unsigned lfe)
{
    TBitWriter w;
    for (char c : std::string("ADIF"))
        w.Put(8, std::uint8_t(c));
    w.Put(1, copyrightId);
    if (copyrightId) {
        w.Put(32, 0xFFFFFFFF >> 8); // 72 bits of id
        w.Put(32, 0xFFFFFF);
        w.Put(8, 0xFF);
    }
    w.Put(1, 0); // original/copy
    w.Put(1, 0); // home
    w.Put(1, variable);
    w.Put(23, bitRate);
    w.Put(4, 0); // one program configuration element
    if (!variable)
        w.Put(20, 0x12345); // buffer fullness
    w.Put(4, 0);            // element instance tag
    w.Put(2, profile);
    w.Put(4, rateIndex);
    w.Put(4, front);
    w.Put(4, side);
    w.Put(4, back);
    w.Put(2, lfe);
    Bytes b = w.Result();
    b.resize(256, 0);
    return b;
}
} // namespace

TEST(AACReader, EncoderADTSFiles)
{
    struct Case
    {
        const char *file;
        int frames;
        int sampleRate;
        int channels;
    } cases[] = {
        {"aac_44k_stereo_adts.aac", 14, 44100, 2},
        {"aac_22k_mono_adts.aac", 8, 22050, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = Fixture(c.file);
        const auto size = std::int32_t(ReadAll(path).size());
        TAACfile aac;
        ASSERT_TRUE(aac.ReadFromFile(path));
        EXPECT_TRUE(aac.Valid());
        EXPECT_EQ(aac.FileSize(), size);
        EXPECT_EQ(aac.HeaderType(), TAACfile::AAC_HEADER_TYPE_ADTS);
        EXPECT_EQ(aac.Version(), 2); // the encoder writes MPEG-4 headers
        EXPECT_EQ(aac.Profile(), 2); // LC
        EXPECT_EQ(aac.BitRateType(), 2);
        EXPECT_EQ(aac.Frames(), c.frames);
        EXPECT_EQ(aac.SampleRate(), c.sampleRate);
        EXPECT_EQ(aac.Channels(), c.channels);
        const int rate = int(std::nearbyint(c.sampleRate * (size * 8.0 / 1024 / c.frames)));
        EXPECT_EQ(aac.BitRate(), rate);
        EXPECT_DOUBLE_EQ(aac.Duration(), size * 8.0 / rate);
        EXPECT_FALSE(aac.ID3v1().Exists());
        EXPECT_FALSE(aac.ID3v2().Exists());
    }
}

TEST(AACReader, ADTSWalk)
{
    TTempDir dir;
    TAACfile aac;
    const TADTS vbr;
    const Bytes thousand = ADTSStream(vbr, 1000, 410);

    // 1,000 variable-rate frames of 410 bytes at 44.1 kHz.
    ASSERT_TRUE(aac.ReadFromFile(dir.Write("a.aac", thousand)));
    EXPECT_EQ(aac.Frames(), 1000);
    EXPECT_EQ(aac.BitRate(), 141258);
    EXPECT_EQ(aac.Version(), 1);
    EXPECT_NEAR(aac.Duration(), 23.22, 0.005);
    EXPECT_TRUE(aac.Valid());

    // A trailing ID3v1 tag stops the walk without being counted.
    ASSERT_TRUE(aac.ReadFromFile(dir.Write("b.aac", Join({thousand, ID3v1Tag()}))));
    EXPECT_TRUE(aac.ID3v1().Exists());
    EXPECT_EQ(aac.Frames(), 1000);
    EXPECT_EQ(aac.BitRate(), 141258);

    // An ID3v2 tag in front: the walk starts after it and the duration leaves it out.
    ASSERT_TRUE(aac.ReadFromFile(dir.Write("c.aac", Join({ID3v2Tag(1000), thousand}))));
    EXPECT_EQ(aac.ID3v2().Size(), 1000);
    EXPECT_EQ(aac.FileSize(), 411000);
    EXPECT_EQ(aac.Frames(), 1000);
    EXPECT_NEAR(aac.Duration(), 23.22, 0.005);

    // A constant-rate stream is measured from its first frame alone.
    TADTS cbr;
    cbr.fullness = 0x100;
    cbr.rateIndex = 3; // 48000
    cbr.channels = 6;
    Bytes b = Join({ADTSFrame(cbr, 512), ADTSStream(cbr, 99, 300)});
    ASSERT_TRUE(aac.ReadFromFile(dir.Write("d.aac", b)));
    EXPECT_EQ(aac.BitRateType(), 1);
    EXPECT_EQ(aac.Frames(), 1);
    EXPECT_EQ(aac.BitRate(), 192000); // 48000 * 512 * 8 / 1024
    EXPECT_EQ(aac.Channels(), 6);
    EXPECT_EQ(aac.SampleRate(), 48000);

    // MPEG-4 headers carry the frame length at the same place.
    TADTS mpeg4;
    mpeg4.mpeg2 = 0;
    mpeg4.profile = 0;
    ASSERT_TRUE(aac.ReadFromFile(dir.Write("e.aac", ADTSStream(mpeg4, 200, 371))));
    EXPECT_EQ(aac.Version(), 2);
    EXPECT_EQ(aac.Profile(), 1);
    EXPECT_EQ(aac.Frames(), 200);

    // A frame that claims 0 bytes is counted and ends the walk instead of holding it
    // on one place.
    b = Join({ADTSStream(vbr, 3, 410), ADTSFrame(vbr, 0), ADTSStream(vbr, 3, 410)});
    ASSERT_TRUE(aac.ReadFromFile(dir.Write("f.aac", b)));
    EXPECT_EQ(aac.Frames(), 4);
    EXPECT_EQ(aac.BitRate(), 105943); // round(44100 * 1230 * 8 / 1024 / 4)
    // As the first frame of either kind of stream it still gives its header fields.
    for (const TADTS &h : {vbr, cbr}) {
        SCOPED_TRACE(h.fullness);
        ASSERT_TRUE(aac.ReadFromFile(dir.Write("g.aac", Join({ADTSFrame(h, 0), Bytes(200, 0)}))));
        EXPECT_EQ(aac.Frames(), 1);
        EXPECT_EQ(aac.BitRateType(), h.fullness == 0x7FF ? 2 : 1);
        EXPECT_EQ(aac.SampleRate(), h.rateIndex == 3 ? 48000 : 44100);
        EXPECT_EQ(aac.Channels(), h.channels);
        EXPECT_EQ(aac.Version(), 1);
        EXPECT_EQ(aac.Profile(), 2);
        EXPECT_EQ(aac.BitRate(), 0);
        EXPECT_FALSE(aac.Valid());
    }

    // A last frame cut short by the end of the file still counts.
    b = ADTSStream(vbr, 10, 410);
    b.resize(b.size() - 200);
    ASSERT_TRUE(aac.ReadFromFile(dir.Write("h.aac", b)));
    EXPECT_EQ(aac.Frames(), 10);
}

TEST(AACReader, ADIFHeaders)
{
    TTempDir dir;
    struct Case
    {
        const char *name;
        bool copyrightId, variable;
        std::uint32_t bitRate;
        unsigned profile, rateIndex, front, side, back, lfe;
        int channels, sampleRate, rateType;
    } cases[] = {
        {"constant rate", false, false, 128000, 1, 4, 1, 0, 1, 1, 3, 44100, 1},
        {"variable rate", false, true, 96000, 0, 3, 2, 1, 1, 0, 4, 48000, 2},
        {"copyright id", true, false, 64000, 3, 8, 1, 0, 0, 0, 1, 16000, 1},
        {"copyright id, variable", true, true, 320000, 1, 0, 15, 15, 15, 3, 48, 96000, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TAACfile aac;
        const Bytes b = ADIFHeader(c.copyrightId, c.variable, c.bitRate, c.profile, c.rateIndex, c.front, c.side,
                                   c.back, c.lfe);
        ASSERT_TRUE(aac.ReadFromFile(dir.Write("a.aac", b)));
        EXPECT_EQ(aac.HeaderType(), TAACfile::AAC_HEADER_TYPE_ADIF);
        EXPECT_EQ(aac.Version(), 2);
        EXPECT_EQ(aac.BitRateType(), c.rateType);
        EXPECT_EQ(aac.BitRate(), std::int32_t(c.bitRate));
        EXPECT_EQ(aac.Profile(), c.profile + 1);
        EXPECT_EQ(aac.SampleRate(), c.sampleRate);
        EXPECT_EQ(aac.Channels(), c.channels);
        EXPECT_EQ(aac.Frames(), 0);
        EXPECT_DOUBLE_EQ(aac.Duration(), 256.0 * 8 / c.bitRate);
        EXPECT_TRUE(aac.Valid());
    }
}

TEST(AACReader, ForeignShortAndMissingFiles)
{
    TTempDir dir;
    TAACfile aac;
    ASSERT_TRUE(aac.ReadFromFile(Fixture("aac_44k_stereo_adts.aac")));

    // Neither ADIF nor ADTS: true, but nothing taken.
    for (const Bytes &bytes : {Join({Bytes{0xFF, 0x00}, Bytes(300, 0)}), Bytes(300, 'x'),
                               ReadAll(Fixture("wav_sox_8k_stereo_s16.wav"))}) {
        ASSERT_TRUE(aac.ReadFromFile(dir.Write("x.aac", bytes)));
        EXPECT_EQ(aac.HeaderType(), TAACfile::AAC_HEADER_TYPE_UNKNOWN);
        EXPECT_EQ(aac.Frames(), 0);
        EXPECT_EQ(aac.BitRate(), 0);
        EXPECT_EQ(aac.Duration(), 0.0);
        EXPECT_FALSE(aac.Valid());
    }

    // Shorter than an ID3v1 tag: the tag readers fail, and so does the read.
    EXPECT_FALSE(aac.ReadFromFile(dir.Write("short.aac", ADTSStream(TADTS{}, 1, 100))));
    EXPECT_EQ(aac.FileSize(), 0);
    EXPECT_EQ(aac.HeaderType(), 0);
    EXPECT_FALSE(aac.Valid());
    EXPECT_FALSE(aac.ReadFromFile(dir.Path("missing.aac")));
    EXPECT_FALSE(aac.ReadFromFile(dir.Path("")));
}

// Sizes beyond 32 bits: 100 frames at the start of a 3 GiB file, a hole after them.
TEST(AACReader, FilesOver2GiB)
{
    TADTS h;
    Bytes frames;
    for (int i = 0; i < 100; ++i) {
        const Bytes frame = ADTSFrame(h, 410);
        frames.insert(frames.end(), frame.begin(), frame.end());
    }
    const std::uint64_t size = 3ull << 30;
    TTempDir dir;
    TAACfile aac;
    ASSERT_TRUE(aac.ReadFromFile(dir.WriteSparse("big.aac", frames, {}, size)));
    EXPECT_EQ(aac.FileSize(), std::int64_t(size));
    EXPECT_EQ(aac.Frames(), 100);
    const int bitRate = 141258; // 44100 * 410 * 8 / 1024, rounded
    EXPECT_EQ(aac.BitRate(), bitRate);
    EXPECT_DOUBLE_EQ(aac.Duration(), double(size) * 8 / bitRate);
    EXPECT_TRUE(aac.Valid());
}
