// The advanced dialog's rules without a window: key sets, the decibel ending, the normalisation
// value and the fragments built from the options.
#include "AdvancedRules.h"

#include <gtest/gtest.h>

#include <ostream>

inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QByteArray &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

TEST(AdvancedKeys, EachSetTakesItsCharactersAndOnePoint)
{
    const struct {
        AdvancedKeySet set;
        char typed;
        const char *text;
        bool accepted;
    } cases[] = {
        {AdvancedKeySet::Decibel, '7', "", true},     {AdvancedKeySet::Decibel, '-', "3", true},
        {AdvancedKeySet::Decibel, 'b', "-3d", true},  {AdvancedKeySet::Decibel, 'd', "-3", true},
        {AdvancedKeySet::Decibel, 'B', "-3d", false}, {AdvancedKeySet::Decibel, 'D', "-3", false},
        {AdvancedKeySet::Decibel, 'x', "", false},    {AdvancedKeySet::Decibel, '.', "-3db", true},
        {AdvancedKeySet::Decibel, '.', "-1.5db", false}, {AdvancedKeySet::Decibel, ',', "", false},
        {AdvancedKeySet::Decibel, '\b', "-1.5db", true},
        {AdvancedKeySet::Number, '0', "", true},      {AdvancedKeySet::Number, '9', "12", true},
        {AdvancedKeySet::Number, '.', "12", true},    {AdvancedKeySet::Number, '.', "1.2", false},
        {AdvancedKeySet::Number, '-', "", false},     {AdvancedKeySet::Number, 'b', "", false},
        {AdvancedKeySet::Number, 'd', "", false},     {AdvancedKeySet::Number, ' ', "", false},
        {AdvancedKeySet::Number, '\b', "1.2", true},
    };
    for (const auto &c : cases)
        EXPECT_EQ(AdvancedKeyAccepted(c.set, QLatin1Char(c.typed), QString::fromLatin1(c.text)), c.accepted)
            << "'" << c.typed << "' into \"" << c.text << "\"";
}

TEST(AdvancedDecibel, AppendsTheEndingUnlessTheTextEndsInIt)
{
    const struct {
        const char *in, *out;
    } cases[] = {
        {"7", "7db"},       {"", "db"},         {"d", "ddb"},     {"b", "bdb"},     {"db", "db"},
        {"-3db", "-3db"},   {"-3dB", "-3dBdb"}, {"-3DB", "-3DBdb"}, {"-3bd", "-3bddb"}, {"db7", "db7db"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DecibelText(QString::fromLatin1(c.in)), QString::fromLatin1(c.out)) << c.in;
}

TEST(AdvancedNormalize, ThreeCharactersBecomeTheMaximumAndLongerTextsAreReported)
{
    const struct {
        const char *in, *out;
        bool tooLong;
    } cases[] = {
        {"150", "100", false}, {"1.5", "100", false}, {"999", "100", false}, {"100", "100", false},
        {"99", "99", false},   {"", "", false},       {"5", "5", false},     {"1000", "1000", true},
        {"99.5", "99.5", true},
    };
    for (const auto &c : cases) {
        const NormalizeOutcome outcome = NormalizeText(QString::fromLatin1(c.in));
        EXPECT_EQ(outcome.Text, QString::fromLatin1(c.out)) << c.in;
        EXPECT_EQ(outcome.TooLong, c.tooLong) << c.in;
    }
}

TEST(AdvancedFragments, AllEmptyWhileEveryBoxIsUnticked)
{
    AdvancedFragmentInput in;
    in.FRCFrom = QStringLiteral("25000");
    in.FRCTo = QStringLiteral("29970");
    in.TempoText = in.PitchText = in.RateText = QStringLiteral("10");
    in.PluginName = QStringLiteral("KD_FadeIn.dll");
    in.PluginFuncName = QStringLiteral("FadeInSlower");
    EXPECT_EQ(BuildAdvancedFragments(in), AdvancedFragments{});
}

TEST(AdvancedFragments, TickedBoxesGiveTheirSwitchesWithTheTextsAsTheyStand)
{
    AdvancedFragmentInput in;
    in.FRC = true;
    in.FRCFrom = QStringLiteral("23.976");
    in.FRCTo = QString(); // taken as it stands, even empty
    in.Tempo = true;
    in.TempoText = QStringLiteral("-95");
    in.Pitch = true;
    in.PitchText = QStringLiteral("60");
    in.Rate = true;
    in.RateText = QStringLiteral("9999"); // no range check
    in.Quicker = true;
    in.DisAntiAlias = true;
    in.PluginDLL = true;
    in.PluginName = QStringLiteral("/plug ins/\u00e9cho.dll");
    in.PluginFunc = true;
    in.PluginFuncName = QStringLiteral("Fade In");
    const AdvancedFragments f = BuildAdvancedFragments(in);
    EXPECT_EQ(f.FRC, QByteArray(" -r 23.976 "));
    EXPECT_EQ(f.Tempo, QByteArray(" -tempo -95"));
    EXPECT_EQ(f.Pitch, QByteArray(" -pitch 60"));
    EXPECT_EQ(f.Rate, QByteArray(" -rate 9999"));
    EXPECT_EQ(f.Quick, QByteArray(" -quick"));
    EXPECT_EQ(f.Naa, QByteArray(" -naa"));
    EXPECT_EQ(f.PluginName, QByteArray(" -name ") + QStringLiteral("/plug ins/\u00e9cho.dll").toLocal8Bit());
    EXPECT_EQ(f.PluginFunc, QByteArray(" -func Fade In"));
}

TEST(AdvancedFragments, PluginFunctionNeedsTheDllBox)
{
    const struct {
        bool dll, func;
        const char *name, *funcArg;
    } cases[] = {
        {true, true, " -name a.dll", " -func f"},
        {true, false, " -name a.dll", ""},
        {false, true, "", ""},
        {false, false, "", ""},
    };
    for (const auto &c : cases) {
        AdvancedFragmentInput in;
        in.PluginDLL = c.dll;
        in.PluginFunc = c.func;
        in.PluginName = QStringLiteral("a.dll");
        in.PluginFuncName = QStringLiteral("f");
        const AdvancedFragments f = BuildAdvancedFragments(in);
        EXPECT_EQ(f.PluginName, QByteArray(c.name)) << c.dll << c.func;
        EXPECT_EQ(f.PluginFunc, QByteArray(c.funcArg)) << c.dll << c.func;
    }
}
