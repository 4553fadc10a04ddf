// The splitter's command-line grammar: what it takes and what it refuses.
#include "KapartoGrammar.h"

#include <gtest/gtest.h>

using namespace kaparto;

namespace {

std::vector<std::string> Core(const std::string &type = "ac3")
{
    return {"-core(", "-input", "/a/film.ac3", "-prefix", "/a/film_", "-type", type, ")"};
}

} // namespace

TEST(KapartoGrammar, TakesTheCoreBlockAndTheSplitBlock)
{
    auto args = Core();
    args.insert(args.end(), {"-split(", "0", "600", ")"});
    const KapartoParse parsed = ParseKapartoArguments(args);
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.command.input, "/a/film.ac3");
    EXPECT_EQ(parsed.command.prefix, "/a/film_");
    EXPECT_EQ(parsed.command.type, "ac3");
    EXPECT_TRUE(parsed.command.split);
    auto ordered = Core();
    ordered.insert(ordered.end(), {"-split(", "0", "12.5", "600", ")"});
    const KapartoParse good = ParseKapartoArguments(ordered);
    ASSERT_TRUE(good.ok) << good.error;
    EXPECT_EQ(good.command.breakPoints, (std::vector<double>{0, 12.5, 600}));
    EXPECT_EQ(PieceFileName(good.command, 2), "/a/film_02.ac3");
}

TEST(KapartoGrammar, CoreAloneAndAnEmptySplitBlockAreTaken)
{
    const KapartoParse alone = ParseKapartoArguments(Core("wav"));
    ASSERT_TRUE(alone.ok) << alone.error;
    EXPECT_FALSE(alone.command.split);
    auto empty = Core("wav");
    empty.insert(empty.end(), {"-split(", ")"});
    const KapartoParse parsed = ParseKapartoArguments(empty);
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_TRUE(parsed.command.breakPoints.empty());
}

TEST(KapartoGrammar, RefusesWhatTheDialogNeverComposes)
{
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"(", "", "", ")", "-split(", "0", ")"},                                    // no input chosen
        {"-core(", "-input", "/a/x.wav", "-prefix", "/a/x_", ")"},                  // no type
        {"-core(", "-input", "/a/x.wav", "-prefix", "/a/x_", "-type", "flac", ")"}, // unknown type
        {"-core(", "-input", "/a/x.wav", "-type", "wav", ")"},                      // no prefix
        {"-core(", "-input", "/a/x.wav", "-prefix", "/a/x_", "-type", "wav"},       // not closed
        {"-core(", "-input", "/a/x.wav", "-input", "/b", "-prefix", "p", "-type", "wav", ")"},
        {"-core(", "-input", "/a/x.wav", "-prefix", "p", "-type", "wav", "-x", ")"},
    };
    for (const auto &args : bad)
        EXPECT_FALSE(ParseKapartoArguments(args).ok) << args.size();

    for (const std::vector<std::string> &tail : std::vector<std::vector<std::string>>{
             {"-split(", "0", "1:30", ")"},   // not seconds
             {"-split(", "1..5", ")"},        // two points
             {"-split(", "600", "0", ")"},    // descending
             {"-split(", "0"},                // not closed
             {"-split(", "0", ")", "extra"},  // trailing words
             {"-join(", ")"}}) {
        auto args = Core();
        args.insert(args.end(), tail.begin(), tail.end());
        EXPECT_FALSE(ParseKapartoArguments(args).ok) << tail.front() << " " << tail.back();
    }
}
