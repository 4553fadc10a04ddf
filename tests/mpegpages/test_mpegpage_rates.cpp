// The bit rates behind the AC3, MP2 and MP3 pages' track bars.
#include "MPEGPageRates.h"

#include <gtest/gtest.h>

#include <utility>

TEST(MP3ConstantBitrate, RoundsUpToTheNextConstantRate)
{
    const std::pair<int, int> cases[] = {
        {0, 8},     {8, 8},     {9, 16},    {16, 16},   {17, 24},   {64, 64},   {65, 80},
        {128, 128}, {129, 144}, {144, 144}, {145, 160}, {150, 160}, {161, 192}, {200, 224},
        {224, 224}, {225, 256}, {256, 256}, {257, 320}, {320, 320}, {999, 320},
    };
    for (const auto &[rate, expected] : cases)
        EXPECT_EQ(MP3ConstantBitrate(rate), expected) << "rate " << rate;
}

TEST(TrackBarRates, EndsOfTheTablesAndPositionsOutsideThem)
{
    EXPECT_EQ(AC3BitrateOfPosition(0), 32);
    EXPECT_EQ(AC3BitrateOfPosition(13), 320);
    EXPECT_EQ(AC3BitrateOfPosition(14), 384);
    EXPECT_EQ(AC3BitrateOfPosition(18), 640);
    EXPECT_EQ(AC3BitrateOfPosition(-1), 0);
    EXPECT_EQ(AC3BitrateOfPosition(19), 0);

    EXPECT_EQ(MP2BitrateOfPosition(0), 64);
    EXPECT_EQ(MP2BitrateOfPosition(7), 224);
    EXPECT_EQ(MP2BitrateOfPosition(9), 320);
    EXPECT_EQ(MP2BitrateOfPosition(-1), 0);
    EXPECT_EQ(MP2BitrateOfPosition(10), 0);
}
