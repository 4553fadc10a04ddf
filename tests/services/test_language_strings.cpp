#include "LanguageStrings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

TEST(LanguageStrings, EveryKeyFillsItsOwnText)
{
    const auto keys = LanguageStringKeys();
    ASSERT_FALSE(keys.empty());
    // Section by section, in the order a language file is read.
    const std::vector<std::string> sections{"MAIN",       "ADVANCED", "LST",   "MUX",     "EDITKDCL",
                                            "LAME",       "ABOUT",    "DTSImport", "ZolvaneLog", "SPEEX",
                                            "Kaparto",    "Executable", "AudX"};
    std::ptrdiff_t at = 0;
    for (const TLanguageStringKey &key : keys) {
        const auto found = std::find_if(sections.begin(), sections.end(),
                                        [&](const std::string &s) { return s == key.Section; });
        ASSERT_NE(found, sections.end()) << key.Section;
        EXPECT_GE(found - sections.begin(), at) << key.Key;
        at = found - sections.begin();
    }

    // Write a distinct value through the table and read it back by name: no two keys share a
    // text, and the lookup by section and key finds the same one.
    TLanguageStrings strings;
    std::set<std::string> names;
    for (const TLanguageStringKey &key : keys) {
        EXPECT_TRUE(names.insert(std::string(key.Section) + "/" + key.Key).second) << key.Key;
        EXPECT_TRUE((strings.*key.Text).isEmpty()) << key.Key;
        strings.*key.Text = QString::fromLatin1(key.Key);
    }
    for (const TLanguageStringKey &key : keys) {
        EXPECT_EQ(strings.*key.Text, QString::fromLatin1(key.Key));
        QString *found = FindLanguageString(strings, QString::fromLatin1(key.Section).toLower(),
                                            QString::fromLatin1(key.Key).toUpper());
        EXPECT_EQ(found, &(strings.*key.Text)) << key.Key;
    }
    EXPECT_EQ(strings.TranscodingStarted, QStringLiteral("TranscodingStarted"));
    EXPECT_EQ(strings.timing, QStringLiteral("timing"));

    strings.Clear();
    for (const TLanguageStringKey &key : keys)
        EXPECT_TRUE((strings.*key.Text).isEmpty()) << key.Key;
}

TEST(LanguageStrings, KeysBelongToTheirSection)
{
    TLanguageStrings strings;
    EXPECT_EQ(FindLanguageString(strings, QStringLiteral("MAIN"), QStringLiteral("NoKandrum")), &strings.NoKandrum);
    EXPECT_EQ(FindLanguageString(strings, QStringLiteral("ADVANCED"), QStringLiteral("Rate_Hint_part2")),
              &strings.Rate_Hint_part2);
    EXPECT_EQ(FindLanguageString(strings, QStringLiteral("ZolvaneLog"), QStringLiteral("kdnMissing")), &strings.kdnMissing);
    EXPECT_EQ(FindLanguageString(strings, QStringLiteral("Kaparto"), QStringLiteral("timing")), &strings.timing);
    EXPECT_EQ(FindLanguageString(strings, QStringLiteral("LST"), QStringLiteral("LSTSavingWarning")),
              &strings.LSTSavingWarning);
    // The same name in another section, a caption key, and an unknown key are no message texts.
    EXPECT_EQ(FindLanguageString(strings, QStringLiteral("ADVANCED"), QStringLiteral("NoKandrum")), nullptr);
    EXPECT_EQ(FindLanguageString(strings, QStringLiteral("MAIN"), QStringLiteral("MenuFile1")), nullptr);
    EXPECT_EQ(FindLanguageString(strings, QString(), QString()), nullptr);
}

TEST(LanguageStrings, PartsAreJoinedWithCrLf)
{
    TLanguageStrings s;
    s.OTAMode_Hint_part1 = QStringLiteral("first");
    s.OTAMode_Hint_part3 = QStringLiteral("third");
    // A missing middle part leaves an empty middle line.
    EXPECT_EQ(s.OTAModeHint(), QStringLiteral("first\r\n\r\nthird"));

    s.Normalize_Hint_part1 = QStringLiteral("1");
    s.Normalize_Hint_part2 = QStringLiteral("2");
    s.Normalize_Hint_part3 = QStringLiteral("3");
    s.Normalize_Hint_part4 = QStringLiteral("4");
    EXPECT_EQ(s.NormalizeHint(), QStringLiteral("1\r\n2\r\n3\r\n4"));

    s.AVIAudioM1 = QStringLiteral("No audio");
    s.AVIAudioM2 = QStringLiteral("in this file");
    EXPECT_EQ(s.AVIAudioM(), QStringLiteral("No audio\r\nin this file"));

    // With no language loaded: the line breaks stay, no text around them.
    EXPECT_EQ(TLanguageStrings().TempoHint(), QStringLiteral("\r\n"));
    EXPECT_EQ(JoinTextParts({QStringLiteral("only")}), QStringLiteral("only"));
    EXPECT_EQ(JoinTextParts(QStringList{}), QString());

    s.ZolvaneStarted_part1 = QStringLiteral("Zolvane");
    s.ZolvaneStarted_part2 = QStringLiteral("started");
    EXPECT_EQ(s.ZolvaneStarted(QStringLiteral("1.0.0")), QStringLiteral("Zolvane 1.0.0 started"));
}
