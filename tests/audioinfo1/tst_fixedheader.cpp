// AC-3, DTS and WAV header readers: files made by real encoders, and built headers for the
// cases that encoders do not produce.
#include <gtest/gtest.h>

#include <algorithm>

#include "AC3.h"
#include "DTS.h"
#include "TestFiles.h"
#include "WAVfile.h"

namespace
{
// An AC-3 frame start: sync word, CRC, rate byte, stream id byte, coding mode byte.
Bytes AC3Header(unsigned sampleRateCode, unsigned frameSizeCode, unsigned codingMode)
{
    return {0x0B, 0x77, 0x12, 0x34, std::uint8_t((sampleRateCode << 6) | frameSizeCode), 0x40,
            std::uint8_t(codingMode << 5), 0x00};
}

void SetBits(Bytes &b, unsigned bitPos, unsigned count, unsigned value)
{
    for (unsigned i = 0; i < count; ++i) {
        unsigned bit = (value >> (count - 1 - i)) & 1;
        unsigned pos = bitPos + i;
        if (bit)
            b[pos / 8] |= std::uint8_t(0x80 >> (pos % 8));
        else
            b[pos / 8] &= std::uint8_t(~(0x80 >> (pos % 8)));
    }
}

// A DTS core frame header with the given channel arrangement, sample-rate code, rate code
// and source resolution, padded to 16 bytes.
Bytes DTSHeader(unsigned arrangement, unsigned sampleRateCode, unsigned rateCode, unsigned resolution)
{
    Bytes b = {0x7F, 0xFE, 0x80, 0x01, 0xFC, 0x3C, 0x7F, 0xF0, 0, 0, 0, 0, 0, 0, 0, 0};
    SetBits(b, 60, 6, arrangement);
    SetBits(b, 66, 4, sampleRateCode);
    SetBits(b, 70, 5, rateCode);
    SetBits(b, 111, 3, resolution);
    return b;
}

// RIFF header and a "fmt " chunk of formatSize bytes (PCM fields first, zeros after).
Bytes WAVHeader(std::uint32_t formatSize, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                std::uint32_t riffSize)
{
    Bytes b;
    PutText(b, "RIFF");
    PutLE32(b, riffSize);
    PutText(b, "WAVEfmt ");
    PutLE32(b, formatSize);
    const std::uint16_t align = std::uint16_t(channels * bits / 8);
    PutLE16(b, 1);
    PutLE16(b, channels);
    PutLE32(b, rate);
    PutLE32(b, rate * align);
    PutLE16(b, align);
    PutLE16(b, bits);
    b.resize(20 + formatSize, 0);
    return b;
}

void AppendChunk(Bytes &b, const std::string &id, std::uint32_t declaredSize, std::size_t bytes)
{
    PutText(b, id);
    PutLE32(b, declaredSize);
    b.resize(b.size() + bytes, 0x55);
}
} // namespace

// ---------------------------------------------------------------- AC-3

TEST(AC3Reader, EncoderFilesGiveRateChannelsAndDuration)
{
    struct Case
    {
        const char *file;
        int sampleRate;
        int bitRate;
        int channels;
    } cases[] = {
        {"ac3_44k_stereo_96k.ac3", 44100, 96, 2},
        {"ac3_32k_mono_64k.ac3", 32000, 64, 1},
        {"ac3_48k_5ch1_384k.ac3", 48000, 384, 5}, // the LFE channel is not counted
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = Fixture(c.file);
        const auto size = std::int64_t(ReadAll(path).size());
        TAC3 ac3;
        ASSERT_TRUE(ac3.ReadFromFile(path));
        EXPECT_TRUE(ac3.Valid());
        EXPECT_EQ(ac3.FileSize(), size);
        EXPECT_EQ(ac3.SampleRate(), c.sampleRate);
        EXPECT_EQ(ac3.BitRate(), c.bitRate);
        EXPECT_EQ(ac3.Channels(), c.channels);
        EXPECT_EQ(ac3.Bits(), 16);
        EXPECT_DOUBLE_EQ(ac3.Duration(), double(size) * 8 / 1000 / c.bitRate);
    }
}

TEST(AC3Reader, BuiltHeaders)
{
    TTempDir dir;
    TAC3 ac3;
    // 44.1 kHz, frame-size code 30 (448 kbit/s), coding mode 7: 3/2 channels.
    ASSERT_TRUE(ac3.ReadFromFile(dir.WriteSized("a.ac3", AC3Header(1, 30, 7), 1680000)));
    EXPECT_EQ(ac3.SampleRate(), 44100);
    EXPECT_EQ(ac3.BitRate(), 448);
    EXPECT_EQ(ac3.Channels(), 5);
    EXPECT_EQ(ac3.Bits(), 16);
    EXPECT_DOUBLE_EQ(ac3.Duration(), 30.0);

    // The reserved sample-rate code still reads as AC-3, with no rate.
    ASSERT_TRUE(ac3.ReadFromFile(dir.Write("b.ac3", AC3Header(3, 0, 2))));
    EXPECT_TRUE(ac3.Valid());
    EXPECT_EQ(ac3.SampleRate(), 0);
    EXPECT_EQ(ac3.BitRate(), 32);

    // Highest defined frame-size codes, and the coding modes that decide the channel count.
    const int channelsByMode[8] = {2, 1, 2, 3, 3, 4, 4, 5};
    for (unsigned mode = 0; mode < 8; ++mode) {
        ASSERT_TRUE(ac3.ReadFromFile(dir.Write("c.ac3", AC3Header(0, 37, mode))));
        EXPECT_EQ(ac3.BitRate(), 640);
        EXPECT_EQ(ac3.Channels(), channelsByMode[mode]) << "mode " << mode;
    }

    // Only the sync word is needed: the bytes past the end of the file read as 0.
    ASSERT_TRUE(ac3.ReadFromFile(dir.Write("d.ac3", {0x0B, 0x77})));
    EXPECT_EQ(ac3.SampleRate(), 48000);
    EXPECT_EQ(ac3.BitRate(), 32);
    EXPECT_EQ(ac3.Channels(), 2);
    EXPECT_EQ(ac3.FileSize(), 2);
}

TEST(AC3Reader, OtherContentGivesFalseWithEveryFieldZero)
{
    TTempDir dir;
    const Bytes cases[] = {
        {},
        {0x0B},
        {0x77, 0x0B, 0, 0, 0x40, 0, 0xE0},
        AC3Header(0, 38, 2), // reserved frame-size codes: no rate to work with
        AC3Header(1, 63, 7),
    };
    int n = 0;
    for (const Bytes &bytes : cases) {
        SCOPED_TRACE(n);
        TAC3 ac3;
        ASSERT_TRUE(ac3.ReadFromFile(Fixture("ac3_44k_stereo_96k.ac3"))); // fields set before
        EXPECT_FALSE(ac3.ReadFromFile(dir.Write("x" + std::to_string(n++), bytes)));
        EXPECT_FALSE(ac3.Valid());
        EXPECT_EQ(ac3.FileSize(), 0);
        EXPECT_EQ(ac3.SampleRate(), 0);
        EXPECT_EQ(ac3.BitRate(), 0);
        EXPECT_EQ(ac3.Channels(), 0);
        EXPECT_EQ(ac3.Bits(), 0);
        EXPECT_EQ(ac3.Duration(), 0.0);
    }
}

TEST(AC3Reader, OpenErrorReachesTheCaller)
{
    TTempDir dir;
    TAC3 ac3;
    try {
        ac3.ReadFromFile(dir.Path("missing.ac3"));
        ADD_FAILURE() << "a missing file was read";
    } catch (const EAC3Error &e) {
        EXPECT_NE(e.ErrorCode(), 0);
    }
    // A folder is no file at all: it is not valid, and nothing is raised.
    EXPECT_FALSE(ac3.ReadFromFile(dir.Path("")));
    EXPECT_FALSE(ac3.Valid());
}

// ---------------------------------------------------------------- DTS

TEST(DTSReader, EncoderFiles)
{
    struct Case
    {
        const char *file;
        int sampleRate;
        int channels;
    } cases[] = {
        {"dts_48k_stereo.dts", 48000, 2},
        {"dts_44k_5ch1.dts", 44100, 5},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = Fixture(c.file);
        const auto size = std::int64_t(ReadAll(path).size());
        TDTS dts;
        ASSERT_TRUE(dts.ReadFromFile(path));
        EXPECT_TRUE(dts.Valid());
        EXPECT_EQ(dts.FileSize(), size);
        EXPECT_EQ(dts.SampleRate(), c.sampleRate);
        EXPECT_EQ(dts.Channels(), c.channels);
        EXPECT_EQ(dts.BitRate(), 1411);
        EXPECT_EQ(dts.Bits(), 16);
        EXPECT_DOUBLE_EQ(dts.Duration(), double(size) * 8 / 1000 / 1411);
    }
}

TEST(DTSReader, HeaderFieldTables)
{
    struct Case
    {
        unsigned arrangement, sampleRateCode, rateCode, resolution;
        int channels, sampleRate, bitRate, bits;
        double exactRate; // 0: no duration
    } cases[] = {
        {0, 1, 0, 0, 1, 8000, 32, 16, 32},
        {4, 3, 14, 1, 2, 32000, 640, 16, 640},
        {5, 6, 15, 2, 3, 11025, 768, 20, 754.5},
        {8, 7, 16, 3, 4, 22050, 960, 20, 960},
        {9, 8, 22, 4, 5, 44100, 1411, 24, 1411},
        {12, 11, 24, 5, 6, 12000, 1536, 24, 1509.75},
        {13, 12, 28, 6, 7, 24000, 3840, 16, 3840},
        {15, 13, 23, 7, 8, 48000, 1472, 16, 1472},
        {16, 0, 29, 0, 0, 0, 0, 16, 0},
        {63, 15, 30, 0, 0, 0, 65535, 16, 0},
        {10, 14, 31, 0, 6, 0, 1, 16, 0},
    };
    TTempDir dir;
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "arrangement " << c.arrangement << " rate code " << c.rateCode);
        TDTS dts;
        const std::string path =
            dir.WriteSized("a.dts", DTSHeader(c.arrangement, c.sampleRateCode, c.rateCode, c.resolution), 754500);
        ASSERT_TRUE(dts.ReadFromFile(path));
        EXPECT_TRUE(dts.Valid());
        EXPECT_EQ(dts.Channels(), c.channels);
        EXPECT_EQ(dts.SampleRate(), c.sampleRate);
        EXPECT_EQ(dts.BitRate(), c.bitRate);
        EXPECT_EQ(dts.Bits(), c.bits);
        EXPECT_DOUBLE_EQ(dts.Duration(), c.exactRate > 0 ? 754500.0 * 8 / 1000 / c.exactRate : 0.0);
    }
}

TEST(DTSReader, ShortAndForeignFiles)
{
    TTempDir dir;
    TDTS dts;
    // The sync word alone: the header bytes read as 0.
    ASSERT_TRUE(dts.ReadFromFile(dir.Write("a.dts", {0x7F, 0xFE, 0x80, 0x01})));
    EXPECT_EQ(dts.Channels(), 1);
    EXPECT_EQ(dts.SampleRate(), 0);
    EXPECT_EQ(dts.BitRate(), 32);
    EXPECT_DOUBLE_EQ(dts.Duration(), 4.0 * 8 / 1000 / 32);

    for (const Bytes &bytes : {Bytes{}, Bytes{0x7F, 0xFE, 0x80}, Bytes{0xFE, 0x7F, 0x01, 0x80, 0, 0, 0, 0}}) {
        EXPECT_FALSE(dts.ReadFromFile(dir.Write("b.dts", bytes)));
        EXPECT_FALSE(dts.Valid());
        EXPECT_EQ(dts.FileSize(), 0);
        EXPECT_EQ(dts.BitRate(), 0);
        EXPECT_EQ(dts.Duration(), 0.0);
    }
    EXPECT_THROW(dts.ReadFromFile(dir.Path("missing.dts")), EDTSError);
}

// ---------------------------------------------------------------- WAV

TEST(WAVReader, EncoderFiles)
{
    struct Case
    {
        const char *file;
        std::uint32_t formatSize;
        std::uint16_t formatTag;
        int channels;
        std::uint32_t sampleRate;
        int bits;
        std::uint32_t sampleNumber;
        std::uint32_t headerSize;
        double duration;
        const char *mode;
        std::uint32_t riffFileSize = 0; // 0: the size on disk
    } cases[] = {
        // canonical 44-byte headers
        {"wav_sox_8k_stereo_s16.wav", 16, 1, 2, 8000, 16, 800, 44, 0.1, "Stereo"},
        {"wav_sox_11k_mono_u8.wav", 16, 1, 1, 11025, 8, 2205, 44, 0.2, "Mono"},
        // a "LIST" chunk between "fmt " and "data"
        {"wav_ffmpeg_8k_mono_list.wav", 16, 1, 1, 8000, 16, 2000, 92, 0.25, "Mono"},
        // WAVE_FORMAT_EXTENSIBLE: 40-byte "fmt ", then "LIST", then "data"
        {"wav_ffmpeg_8k_5ch1_extensible.wav", 40, 0xFFFE, 6, 8000, 16, 400, 102, 0.05, "Multichannel"},
        // written to a pipe: RIFF and "data" sizes left at 0xFFFFFFFF
        {"wav_ffmpeg_8k_mono_piped.wav", 16, 1, 1, 8000, 16, 2000, 7, 0.25, "Mono", 7},
        // RF64, as written for files that may pass 4 GiB: "ds64" holds the sizes, "fmt " follows
        // it, and the RIFF and "data" sizes are 0xFFFFFFFF
        {"wav_ffmpeg_8k_mono_rf64.wav", 16, 1, 1, 8000, 16, 2000, 114, 0.25, "Mono"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = Fixture(c.file);
        TWAVfile wav;
        ASSERT_TRUE(wav.ReadFromFile(path));
        ASSERT_TRUE(wav.Valid());
        EXPECT_EQ(wav.FormatSize(), c.formatSize);
        EXPECT_EQ(wav.FormatTag(), c.formatTag);
        EXPECT_EQ(wav.Channels(), c.channels);
        EXPECT_EQ(wav.SampleRate(), c.sampleRate);
        EXPECT_EQ(wav.BitsPerSample(), c.bits);
        EXPECT_EQ(wav.BlockAlign(), c.channels * c.bits / 8);
        EXPECT_EQ(wav.BytesPerSecond(), c.sampleRate * wav.BlockAlign());
        EXPECT_EQ(wav.SampleNumber(), c.sampleNumber);
        EXPECT_EQ(wav.HeaderSize(), c.headerSize);
        // The RIFF size plus 8: the size on disk, except where the writer left a placeholder.
        EXPECT_EQ(wav.FileSize(), c.riffFileSize ? c.riffFileSize : ReadAll(path).size());
        EXPECT_DOUBLE_EQ(wav.Duration(), c.duration);
        EXPECT_EQ(wav.ChannelMode(), c.mode);
        EXPECT_EQ(wav.FileName(), path);
    }
}

// Compressed formats pack many sample frames into each block: their duration comes from the
// "fact" chunk's sample count, else from the audio bytes at the average byte rate. The figures
// are ffprobe's for the same files.
TEST(WAVReader, CompressedFormatsCountSamplesNotBlocks)
{
    struct Case
    {
        const char *file;
        std::uint16_t formatTag;
        std::uint32_t sampleRate;
        double seconds;
    } cases[] = {
        {"wav_ffmpeg_8k_mono_ima_adpcm.wav", 0x11, 8000, 2.041},
        {"wav_ffmpeg_8k_mono_ms_adpcm.wav", 0x02, 8000, 2.036},
        {"wav_ffmpeg_16k_mono_mp3.wav", 0x55, 16000, 3.096},
        {"wav_sox_8k_mono_ima_adpcm.wav", 0x11, 8000, 2.0},
        {"wav_sox_11k_stereo_ms_adpcm.wav", 0x02, 11025, 1.0},
    };
    TTempDir dir;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        TWAVfile wav;
        ASSERT_TRUE(wav.ReadFromFile(Fixture(c.file)));
        ASSERT_TRUE(wav.Valid());
        EXPECT_EQ(wav.FormatTag(), c.formatTag);
        EXPECT_EQ(wav.SampleRate(), c.sampleRate);
        EXPECT_NEAR(wav.Duration(), c.seconds, c.seconds / 100);

        // Without its "fact" chunk (renamed to one that nothing reads), the same file lasts
        // its audio bytes at the average byte rate.
        Bytes bytes = ReadAll(Fixture(c.file));
        std::size_t at = 12;
        while (at + 8 <= bytes.size() && std::string(bytes.begin() + std::ptrdiff_t(at), bytes.begin() + std::ptrdiff_t(at) + 4) != "fact")
            at += 8 + (bytes[at + 4] | (bytes[at + 5] << 8));
        ASSERT_LT(at + 8, bytes.size()) << "the file has a fact chunk";
        std::copy_n("JUNK", 4, bytes.begin() + std::ptrdiff_t(at));
        ASSERT_TRUE(wav.ReadFromFile(dir.Write("nofact.wav", bytes)));
        ASSERT_TRUE(wav.Valid());
        std::size_t data = at;
        while (std::string(bytes.begin() + std::ptrdiff_t(data), bytes.begin() + std::ptrdiff_t(data) + 4) != "data")
            data += 8 + (bytes[data + 4] | (bytes[data + 5] << 8));
        const double dataSize = double(bytes.size() - data - 8);
        EXPECT_NEAR(wav.Duration(), dataSize / wav.BytesPerSecond(), 1.0 / c.sampleRate);
    }
    // The sox file's byte rate is the true one: without "fact" its duration still agrees with
    // the decoded length, 16,160 samples (the last block decodes whole).
    Bytes sox = ReadAll(Fixture("wav_sox_8k_mono_ima_adpcm.wav"));
    std::copy_n("JUNK", 4, sox.begin() + 40);
    TWAVfile wav;
    ASSERT_TRUE(wav.ReadFromFile(dir.Write("soxnofact.wav", sox)));
    EXPECT_NEAR(wav.Duration(), 2.02, 0.0202);
}

TEST(WAVReader, BuiltHeaders)
{
    TTempDir dir;
    TWAVfile wav;

    // An 18-byte "fmt " chunk moves the audio to offset 46.
    Bytes b = WAVHeader(18, 2, 44100, 16, 38 + 8000);
    AppendChunk(b, "data", 8000, 8000);
    ASSERT_TRUE(wav.ReadFromFile(dir.Write("fmt18.wav", b)));
    ASSERT_TRUE(wav.Valid());
    EXPECT_EQ(wav.HeaderSize(), 46u);
    EXPECT_EQ(wav.SampleNumber(), 2000u);
    EXPECT_DOUBLE_EQ(wav.Duration(), 2000.0 / 44100);

    // A "data" chunk of size 0 (a writer that never came back to fill it in): the duration
    // comes from the RIFF size and the byte rate.
    b = WAVHeader(16, 2, 8000, 16, 36 + 32000);
    AppendChunk(b, "data", 0, 32000);
    ASSERT_TRUE(wav.ReadFromFile(dir.Write("nosize.wav", b)));
    EXPECT_EQ(wav.SampleNumber(), 0u);
    EXPECT_EQ(wav.HeaderSize(), 44u);
    EXPECT_DOUBLE_EQ(wav.Duration(), 1.0);

    // Chunks of odd size are padded to an even length before the next one.
    b = WAVHeader(16, 1, 8000, 8, 4 + 24 + 14 + 8 + 800);
    AppendChunk(b, "fact", 5, 6);
    AppendChunk(b, "data", 800, 800);
    ASSERT_TRUE(wav.ReadFromFile(dir.Write("fact.wav", b)));
    EXPECT_EQ(wav.HeaderSize(), 58u);
    EXPECT_EQ(wav.SampleNumber(), 800u);

    // No "data" chunk in the file: the chunk after "fmt " is taken as the audio.
    b = WAVHeader(16, 1, 8000, 8, 36 + 8 + 400);
    AppendChunk(b, "junk", 400, 400);
    ASSERT_TRUE(wav.ReadFromFile(dir.Write("nodata.wav", b)));
    EXPECT_EQ(wav.SampleNumber(), 400u);
    EXPECT_EQ(wav.HeaderSize(), 44u);

    // A RIFF size smaller than the header bounds the header size.
    b = WAVHeader(16, 2, 8000, 16, 20);
    AppendChunk(b, "data", 400, 400);
    ASSERT_TRUE(wav.ReadFromFile(dir.Write("riff.wav", b)));
    EXPECT_EQ(wav.FileSize(), 28u);
    EXPECT_EQ(wav.HeaderSize(), 28u);
    EXPECT_DOUBLE_EQ(wav.Duration(), 100.0 / 8000);

    // A "data" chunk cut short by the end of the file counts the frames it holds.
    b = WAVHeader(16, 2, 8000, 16, 36 + 8 + 32000);
    AppendChunk(b, "data", 32000, 1002);
    ASSERT_TRUE(wav.ReadFromFile(dir.Write("cut.wav", b)));
    EXPECT_EQ(wav.SampleNumber(), 250u);
    EXPECT_EQ(wav.HeaderSize(), 44u);
    EXPECT_DOUBLE_EQ(wav.Duration(), 250.0 / 8000);

    // Exactly 36 bytes: no chunk follows.
    ASSERT_TRUE(wav.ReadFromFile(dir.Write("36.wav", WAVHeader(16, 2, 8000, 16, 36))));
    EXPECT_TRUE(wav.Valid());
    EXPECT_EQ(wav.SampleNumber(), 0u);
    EXPECT_DOUBLE_EQ(wav.Duration(), 0.0);
}

TEST(WAVReader, HeadersThatAreNotTaken)
{
    TTempDir dir;
    struct Case
    {
        const char *name;
        Bytes bytes;
        bool result;
    } cases[] = {
        {"channel count 0", WAVHeader(16, 0, 8000, 16, 36), true},
        {"block alignment 0", WAVHeader(16, 2, 8000, 0, 36), true},
        {"text file", Bytes(100, 'x'), true},
        {"lower-case id", [] {
             Bytes b = WAVHeader(16, 2, 8000, 16, 36);
             b[12] = 'F';
             return b;
         }(), true},
        {"35 bytes", [] {
             Bytes b = WAVHeader(16, 2, 8000, 16, 36);
             b.resize(35);
             return b;
         }(), false},
        {"empty", {}, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TWAVfile wav;
        ASSERT_TRUE(wav.ReadFromFile(Fixture("wav_sox_8k_stereo_s16.wav")));
        EXPECT_EQ(wav.ReadFromFile(dir.Write("a.wav", c.bytes)), c.result);
        EXPECT_FALSE(wav.Valid());
        EXPECT_EQ(wav.Channels(), 0);
        EXPECT_EQ(wav.SampleRate(), 0u);
        EXPECT_EQ(wav.SampleNumber(), 0u);
        EXPECT_EQ(wav.FileSize(), 0u);
        EXPECT_EQ(wav.FileName(), "");
        EXPECT_EQ(wav.Duration(), 0.0);
        EXPECT_EQ(wav.ChannelMode(), "Unknown");
    }
    TWAVfile wav;
    EXPECT_FALSE(wav.ReadFromFile(dir.Path("missing.wav")));
    EXPECT_FALSE(wav.ReadFromFile(dir.Path("")));
}
