// The bounded file view under the readers: reads that reach outside the file.
#include <gtest/gtest.h>

#include "AudioFileStream.h"
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
    EXPECT_FALSE(stream.Open(dir.Path("")));      // a folder
    EXPECT_FALSE(stream.Open("/dev/zero"));        // a device never ends
    EXPECT_FALSE(stream.IsOpen());
    std::uint8_t b[2] = {7, 7};
    EXPECT_FALSE(stream.ReadAt(0, b, 2));
}
