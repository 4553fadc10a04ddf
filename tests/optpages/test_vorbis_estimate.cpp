// The VORBIS page's quality value and nominal bit-rate estimate.
#include "VorbisEstimate.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

// Items of the resampling combo.
enum Item { R8000, R11025, R12000, R16000, R22050, R24000, R32000, R44100, R48000 };
constexpr int NoItem = -1;

struct Case {
    int position;
    bool stereo;
    bool resampling;
    int item;
    const char *expected; // nullptr: the label keeps its text
};

std::ostream &operator<<(std::ostream &os, const Case &c)
{
    return os << "position " << c.position << (c.stereo ? " stereo" : " 5.1")
              << (c.resampling ? " resampling item " : " no resampling ") << c.item;
}

class VorbisEstimate : public testing::TestWithParam<Case> {};

TEST_P(VorbisEstimate, Cell)
{
    const Case &c = GetParam();
    const std::optional<QString> text = VorbisNominalBitrateText(c.position, c.stereo, c.resampling, c.item);
    if (!c.expected) {
        EXPECT_FALSE(text.has_value()) << text.value_or(QString()).toStdString();
        return;
    }
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(text->toStdString(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, VorbisEstimate,
    testing::Values(
        // Band edges without resampling: -200..-151 is the first band, -150 starts the second.
        Case{-200, true, false, NoItem, "32 kbps"}, Case{-151, true, false, NoItem, "32 kbps"},
        Case{-150, true, false, NoItem, "38,5 kbps"}, Case{-101, true, false, NoItem, "38,5 kbps"},
        Case{-100, true, false, NoItem, "45 kbps"}, Case{-1, true, false, NoItem, "54,5 kbps"},
        Case{0, true, false, NoItem, "64 kbps"}, Case{200, true, false, NoItem, "96 kbps"},
        Case{249, true, false, NoItem, "96 kbps"}, Case{250, true, false, NoItem, "104 kbps"},
        Case{949, true, false, NoItem, "320 kbps"}, Case{950, true, false, NoItem, "410 kbps"},
        Case{999, true, false, NoItem, "410 kbps"}, Case{1000, true, false, NoItem, "500 kbps"},
        // The one row where no resampling differs from 44100 and 48000.
        Case{-150, true, true, R44100, "35 kbps"}, Case{-150, true, true, R48000, "35 kbps"},
        // Every resampling column, pairs that share a column included.
        Case{200, true, true, R8000, "27,2 kbps"}, Case{200, true, true, R11025, "38,4 kbps"},
        Case{-100, true, true, R11025, "16 kbps"}, Case{-100, true, true, R12000, "18 kbps"},
        Case{-50, true, true, R16000, "29,3 kbps"}, Case{-50, true, true, R22050, "33,3 kbps"},
        Case{-50, true, true, R24000, "33,3 kbps"}, Case{250, true, true, R32000, "101 kbps"},
        Case{600, true, true, R32000, "165 kbps"}, Case{600, true, true, R44100, "192 kbps"},
        Case{950, true, true, R22050, "163,6 kbps"},
        // 10,00 in stereo is 500 kbps at every rate, also a rate typed in by hand.
        Case{1000, true, true, R8000, "500 kbps"}, Case{1000, true, true, R32000, "500 kbps"},
        Case{1000, true, true, NoItem, "500 kbps"},
        // A typed rate (no item, or one added after the nine) leaves a stereo estimate alone.
        Case{200, true, true, NoItem, nullptr}, Case{200, true, true, 9, nullptr},
        // 5.1 has its own column and ignores resampling.
        Case{-200, false, false, NoItem, "96 kbps"}, Case{200, false, false, NoItem, "296 kbps"},
        Case{200, false, true, R11025, "296 kbps"}, Case{200, false, true, NoItem, "296 kbps"},
        Case{999, false, false, NoItem, "1262 kbps"}, Case{1000, false, true, R8000, "1574 kbps"},
        // Outside the scroll bar's range the label keeps its text.
        Case{-201, true, false, NoItem, nullptr}, Case{1001, false, false, NoItem, nullptr}));

// The cells left open in the band 850 to 899 lie between their neighbours' 138,4 and 146,8.
TEST(VorbisEstimateOpenCells, LieBetweenTheNeighbouringBands)
{
    for (int item : {R16000, R22050, R24000}) {
        const QString text = VorbisNominalBitrateText(870, true, true, item).value_or(QString());
        ASSERT_TRUE(text.endsWith(QStringLiteral(" kbps"))) << text.toStdString();
        bool ok = false;
        const double value = text.chopped(5).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
        ASSERT_TRUE(ok) << text.toStdString();
        EXPECT_GT(value, 138.4);
        EXPECT_LT(value, 146.8);
    }
}

TEST(VorbisQualityText, CommaAndTwoDecimals)
{
    const struct {
        int position;
        const char *text;
    } cases[] = {{-200, "-2,00"}, {-105, "-1,05"}, {-100, "-1,00"}, {-5, "-0,05"}, {-1, "-0,01"},
                 {0, "0,00"},     {7, "0,07"},     {205, "2,05"},   {999, "9,99"},  {1000, "10,00"}};
    for (const auto &c : cases)
        EXPECT_EQ(VorbisQualityText(c.position).toStdString(), c.text) << c.position;
}

} // namespace
