// The widget-free rules of the processing options and the AAC page.
#include "AACOptionRules.h"

#include <gtest/gtest.h>

#include <ostream>

inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

TEST(DelayKey, TakesTheCharactersOfANumberOnly)
{
    const struct {
        char key;
        const char *text;
        bool accepted;
    } cases[] = {
        {'1', "", true},   {'0', "12", true},  {'9', "", true},  {'-', "", true},
        {'-', "-5-", true}, // minus signs in any number and place
        {'.', "1", true},  {'.', "1.5", false}, {'.', ".", false},
        {'\b', "1.5", true}, {'a', "", false}, {',', "1", false}, {' ', "", false},
        {'+', "", false},  {'e', "1", false},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(DelayKeyAccepted(QLatin1Char(c.key), QString::fromLatin1(c.text)), c.accepted)
            << "key '" << c.key << "' after \"" << c.text << '"';
    }
    EXPECT_FALSE(DelayKeyAccepted(QChar(0x00B5), QString())); // a letter outside ASCII
    EXPECT_FALSE(DelayKeyAccepted(QChar(0x0664), QString())); // a digit of another script
}

TEST(NDQuality, TwoDecimalsWithAComma)
{
    const struct {
        int position;
        const char *text;
    } cases[] = {{0, "0,00"}, {1, "0,01"}, {5, "0,05"}, {9, "0,09"}, {10, "0,10"},
                 {50, "0,50"}, {99, "0,99"}, {100, "1,00"}, {-1, "1,00"}, {150, "1,00"}};
    for (const auto &c : cases)
        EXPECT_EQ(NDQualityText(c.position), QString::fromLatin1(c.text)) << c.position;
}

TEST(CTFormats, ThreeForStereoTwoFor51)
{
    EXPECT_EQ(CTFormats(true), (QStringList{"HE AAC", "HE AAC High", "LC AAC"}));
    EXPECT_EQ(CTFormats(false), (QStringList{"HE AAC", "LC AAC"}));
    EXPECT_EQ(KbpsText(96), QStringLiteral("96 kbps"));
}

TEST(CTFormatRule, ChannelModesByFormatAndBitrate)
{
    const QStringList all{"Mono", "Stereo", "Parametric Stereo"};
    const QStringList monoStereo{"Mono", "Stereo"};
    const QStringList stereo{"Stereo"};
    const QStringList mono{"Mono"};
    const struct {
        int format;
        int kbps;
        QStringList modes;
        QString selected;
    } cases[] = {
        {0, 8, all, "Parametric Stereo"},   {0, 56, all, "Parametric Stereo"},
        {0, 57, monoStereo, "Stereo"},      {0, 79, monoStereo, "Stereo"},
        {0, 80, stereo, "Stereo"},          {0, 128, stereo, "Stereo"},
        {1, 64, monoStereo, "Stereo"},      {1, 191, monoStereo, "Stereo"},
        {1, 192, stereo, "Stereo"},         {1, 320, stereo, "Stereo"},
        {2, 8, mono, "Mono"},               {2, 15, mono, "Mono"},
        {2, 16, monoStereo, "Stereo"},      {2, 191, monoStereo, "Stereo"},
        {2, 192, stereo, "Stereo"},
    };
    for (const auto &c : cases) {
        const CTFormatChoice r = CTFormatRule(c.format, c.kbps);
        EXPECT_TRUE(r.refillModes) << c.format << " at " << c.kbps;
        EXPECT_EQ(r.modes, c.modes) << c.format << " at " << c.kbps;
        EXPECT_EQ(r.selectedMode, c.selected) << c.format << " at " << c.kbps;
        EXPECT_EQ(r.raiseBitrateTo, -1) << c.format << " at " << c.kbps;
        EXPECT_EQ(r.switchFormatTo, -1) << c.format << " at " << c.kbps;
    }
}

TEST(CTFormatRule, HEAboveItsRangeMovesToHEHighAndHEHighNeverRunsBelow64)
{
    for (int kbps : {129, 200, 320}) {
        const CTFormatChoice r = CTFormatRule(0, kbps);
        EXPECT_EQ(r.switchFormatTo, 1) << kbps;
        EXPECT_FALSE(r.refillModes) << kbps; // the list stays as it was
    }
    for (int kbps : {8, 48, 63}) {
        const CTFormatChoice r = CTFormatRule(1, kbps);
        EXPECT_EQ(r.raiseBitrateTo, 64) << kbps;
        EXPECT_EQ(r.modes, QStringList{"Mono"}) << kbps;
    }
    for (int format : {-1, 3}) {
        const CTFormatChoice r = CTFormatRule(format, 100);
        EXPECT_FALSE(r.refillModes);
        EXPECT_EQ(r.raiseBitrateTo, -1);
        EXPECT_EQ(r.switchFormatTo, -1);
    }
}
