#include "URessources.h"

#include <gtest/gtest.h>

TEST(SecondsToTimeText, HoursWithinTheDay)
{
    const struct {
        int seconds;
        const char *text;
    } cases[] = {
        {0, "00:00:00"},
        {9, "00:00:09"},
        {59, "00:00:59"},
        {60, "00:01:00"},
        {3599, "00:59:59"},
        {3600, "1:00:00"},
        {36000 + 61, "10:01:01"},
        {86399, "23:59:59"},
        {86400, "00:00:00"},
        {86400 + 3600 + 60 + 1, "1:01:01"},
        {3 * 86400 + 59, "00:00:59"},
        {2147483647, "3:14:07"}, // the largest count: 24855 days 3:14:07
    };
    for (const auto &c : cases)
        EXPECT_EQ(SecondsToTimeText(c.seconds), QString::fromLatin1(c.text)) << c.seconds;
}

TEST(SecondsToTimeText, NegativeCountsAsZero)
{
    EXPECT_EQ(SecondsToTimeText(-5), QStringLiteral("00:00:00"));
}

TEST(AppendWord, EmptyTextTakesThePieceWhateverTheFlag)
{
    const struct {
        const char *text;
        const char *piece;
        bool withBlank;
        const char *result;
    } cases[] = {
        {"", "Microsoft", true, "Microsoft"},
        {"", " Professional", false, " Professional"},
        {"", " Professional", true, " Professional"},
        {"Microsoft Windows XP", " Professional", false, "Microsoft Windows XP Professional"},
        {"Microsoft", "Windows", true, "Microsoft Windows"},
        {"a", "", true, "a "},
    };
    for (const auto &c : cases) {
        QString text = QString::fromLatin1(c.text);
        AppendWord(text, QString::fromLatin1(c.piece), c.withBlank);
        EXPECT_EQ(text, QString::fromLatin1(c.result)) << c.text << "|" << c.piece;
    }
}

TEST(FormatFileVersion, PrintsFourUnsignedHalves)
{
    EXPECT_EQ(FormatFileVersion({0x00010002u, 0x00030004u}), QStringLiteral("1.2.3.4"));
    EXPECT_EQ(FormatFileVersion({0xFFFFFFFFu, 0xFFFF0000u}), QStringLiteral("65535.65535.65535.0"));
    EXPECT_EQ(FormatFileVersion({0x8000FFFFu, 0x00008000u}), QStringLiteral("32768.65535.0.32768"));
    EXPECT_EQ(FormatFileVersion({}), QStringLiteral("0.0.0.0"));
}
