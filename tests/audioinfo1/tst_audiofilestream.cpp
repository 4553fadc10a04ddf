// The bounded file view under the readers: reads that reach outside the file.
#include <gtest/gtest.h>

#include <functional>

#include "AACfile.h"
#include "AC3.h"
#include "AudioFileStream.h"
#include "DTS.h"
#include "MPEGaudio.h"
#include "OggVorbis.h"
#include "WAVfile.h"
#include "TestFiles.h"

TEST(AudioFileStream, ReadsOutsideTheFileGiveZeros)
{
    TTempDir dir;
    TAudioFileStream stream;
    ASSERT_TRUE(stream.Open(dir.Write("ten", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10})));
    EXPECT_EQ(stream.Size(), 10);
    struct Case
    {
        std::int64_t pos;
        std::size_t count;
        Bytes expected;
        std::size_t got;
    } cases[] = {
        {0, 4, {1, 2, 3, 4}, 4},
        {8, 4, {9, 10, 0, 0}, 2},
        {10, 3, {0, 0, 0}, 0},
        {1000, 2, {0, 0}, 0},
        {-2, 4, {0, 0, 1, 2}, 0},
        {-100, 3, {0, 0, 0}, 0},
        {-1, 12, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0}, 0},
        {INT64_MAX - 2, 4, {0, 0, 0, 0}, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.pos);
        Bytes buffer(c.count + 2, 0xEE); // two guard bytes that must stay untouched
        std::size_t got = 99;
        ASSERT_TRUE(stream.ReadAt(c.pos, buffer.data(), c.count, &got));
        EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + std::ptrdiff_t(c.count)), c.expected);
        EXPECT_EQ(buffer[c.count], 0xEE);
        EXPECT_EQ(buffer[c.count + 1], 0xEE);
        EXPECT_EQ(got, c.got);
    }
}

TEST(AudioFileStream, OnlyRegularFilesOpen)
{
    TTempDir dir;
    TAudioFileStream stream;
    EXPECT_FALSE(stream.Open(dir.Path("missing")));
    EXPECT_NE(stream.Error(), 0);
    EXPECT_FALSE(stream.NotRegular()); // an error for the caller to report
    EXPECT_FALSE(stream.Open(dir.Path("")));      // a folder
    EXPECT_TRUE(stream.NotRegular());
    EXPECT_FALSE(stream.Open("/dev/zero"));        // a device never ends
    EXPECT_TRUE(stream.NotRegular());
    EXPECT_FALSE(stream.IsOpen());
    std::uint8_t b[2] = {7, 7};
    EXPECT_FALSE(stream.ReadAt(0, b, 2));
}

// Reads anywhere in a file, served from the kept extents or from the file, give the file's bytes.
TEST(AudioFileStream, ReadsGiveTheFilesBytesWhereverTheyFall)
{
    TTempDir dir;
    Bytes content(10000);
    for (std::size_t i = 0; i < content.size(); ++i)
        content[i] = std::uint8_t(i * 7 + i / 251);
    TAudioFileStream stream;
    ASSERT_TRUE(stream.Open(dir.Write("pattern", content)));
    const std::pair<std::int64_t, std::size_t> ranges[] = {
        {0, 10},      {5, 4096},  {100, 3000}, {5900, 200}, {5903, 4097}, {9990, 20},  {6000, 100},
        {4000, 2000}, {0, 10000}, {-5, 10},    {9999, 1},   {5904, 4096}, {3, 8},      {5905, 4095},
    };
    for (const auto &[pos, count] : ranges) {
        SCOPED_TRACE(std::to_string(pos) + " + " + std::to_string(count));
        Bytes expected(count, 0);
        for (std::size_t i = 0; i < count; ++i) {
            const std::int64_t at = pos + std::int64_t(i);
            if (at >= 0 && at < std::int64_t(content.size()))
                expected[i] = content[std::size_t(at)];
        }
        Bytes got(count, 0xEE);
        ASSERT_TRUE(stream.ReadAt(pos, got.data(), count));
        EXPECT_EQ(got, expected);
    }
}

// One open and one size query per file, reads no larger than asked for (or a 4 KiB extent), and
// nothing asked of the system past the end of the file.
TEST(AudioFileStream, FewSmallReadsAndNothingPastTheEnd)
{
    TTempDir dir;
    Bytes content(100000, 0x42);
    TAudioFileStream stream;
    const TAudioFileStream::TCounters before = TAudioFileStream::Counters();
    ASSERT_TRUE(stream.Open(dir.Write("big", content)));
    std::uint8_t b[128];
    ASSERT_TRUE(stream.ReadAt(0, b, 10));             // the head extent
    ASSERT_TRUE(stream.ReadAt(20, b, 100));           // from it
    ASSERT_TRUE(stream.ReadAt(100000 - 128, b, 128)); // the tail extent
    ASSERT_TRUE(stream.ReadAt(100000 - 143, b, 15));  // from it
    ASSERT_TRUE(stream.ReadAt(99990, b, 128));        // from it, the rest zeros
    ASSERT_TRUE(stream.ReadAt(100000, b, 128));       // wholly past the end: no read
    stream.Close();
    const TAudioFileStream::TCounters &after = TAudioFileStream::Counters();
    EXPECT_EQ(after.Opens - before.Opens, 1u);
    EXPECT_EQ(after.Reads - before.Reads, 2u);
    EXPECT_EQ(after.BytesRead - before.BytesRead, 8192u);
    EXPECT_EQ(after.SystemCalls - before.SystemCalls, 5u); // open, fstat, two reads, close
}

// Each reader of a file, and the readers inside it (the tags of an MPEG or AAC file), share one
// view: one open per probe, and a few reads.
TEST(AudioFileStream, OneOpenPerProbe)
{
    struct Case
    {
        const char *file;
        std::function<void(const std::string &)> probe;
        unsigned maxReads;
    } cases[] = {
        {"tag_id3v23_lame.mp3", [](const std::string &p) { TMPEGaudio r; r.ReadFromFile(p); }, 2},
        {"tag_id3v11.mp3", [](const std::string &p) { TMPEGaudio r; r.ReadFromFile(p); }, 2},
        {"mp3_cbr128_stereo.mp3", [](const std::string &p) { TMPEGaudio r; r.ReadFromFile(p); }, 2},
        {"aac_44k_stereo_adts.aac", [](const std::string &p) { TAACfile r; r.ReadFromFile(p); }, 4},
        {"ogg_44k_stereo_tags.ogg", [](const std::string &p) { TOggVorbis r; r.ReadFromFile(p); }, 2},
        {"ogg_48k_5ch1_long_last_page.ogg", [](const std::string &p) { TOggVorbis r; r.ReadFromFile(p); }, 3},
        {"wav_ffmpeg_8k_mono_list.wav", [](const std::string &p) { TWAVfile r; r.ReadFromFile(p); }, 1},
        {"ac3_48k_5ch1_384k.ac3", [](const std::string &p) { TAC3 r; r.ReadFromFile(p); }, 1},
        {"dts_48k_stereo.dts", [](const std::string &p) { TDTS r; r.ReadFromFile(p); }, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        const TAudioFileStream::TCounters before = TAudioFileStream::Counters();
        c.probe(Fixture(c.file));
        const TAudioFileStream::TCounters &after = TAudioFileStream::Counters();
        EXPECT_EQ(after.Opens - before.Opens, 1u);
        EXPECT_LE(after.Reads - before.Reads, c.maxReads);
        EXPECT_EQ(after.SystemCalls - before.SystemCalls, 3 + (after.Reads - before.Reads)); // open, fstat, close
    }
}
