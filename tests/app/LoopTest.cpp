#include "ConsoleSession.h"
#include "HelpText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace {


std::string help_text() {
    ConsoleSession session;
    return session.run("help");
}

TEST(Loop, HelpListsEveryCommandAfterTheGuideLine) {
    const std::string help = help_text();
    const std::size_t first_line = help.find('\n');
    ASSERT_NE(std::string::npos, first_line);
    EXPECT_NE(std::string::npos, help.substr(0, first_line).find("README.md"));
    EXPECT_EQ(HELP_LIST, help.substr(first_line + 1));
}

TEST(Loop, BlankLinesOnlyPromptAgain) {
    ConsoleSession session;
    EXPECT_EQ("> > > > Error: Unknown command - 'x'\n> ", session.raw("\n   \n\t \nx"));
}

TEST(Loop, CommentLinesRunNothingAndNeverFail) {
    ConsoleSession session;
    EXPECT_EQ("", session.run("# set level 50\n   \t# list\n#\n#oops"));
    EXPECT_EQ(0u, session.console().failures());
    EXPECT_NE(std::string::npos, session.run("market").find("level  = 100\n"));
    EXPECT_EQ("Error: Unknown command - 'mar#ket'\n", session.run("mar#ket"));
    EXPECT_EQ(1u, session.console().failures());
}

TEST(Loop, CommandWordsAreExactButMetricWordsAreNot) {
    ConsoleSession session;
    EXPECT_EQ("Error: Unknown command - 'MARKET'\n", session.run("MARKET"));
    EXPECT_EQ("Error: Unknown command - ''\n", session.run("-5"));
    EXPECT_EQ("Error: Unknown command - 'foo'\n", session.run("foo bar"));
    for (const char* word : {"price", "PRICE", "Price", "vega", "RHO"}) {
        EXPECT_EQ("+0\n", session.run(word)) << word;
    }
    EXPECT_EQ("Error: Unexpected tokens found\n", session.run("market+"));
}

TEST(Loop, ExitEndsTheRunAndIgnoresTheRestOfTheLine) {
    ConsoleSession session;
    EXPECT_EQ("> ", session.raw("exit now\nfoo"));
}

TEST(Loop, EveryFailureReportsAndTheLoopGoesOn) {
    ConsoleSession session;
    const std::string out = session.run("set level\nset level 90\nlevel");
    EXPECT_EQ("Error: Expected value\nError: Unknown command - 'level'\n", out);
    EXPECT_NE(std::string::npos, session.run("market").find("level  = 90\n"));
}

TEST(Loop, EndOfInputEndsTheRunWithoutSpinning) {
    std::istringstream in("market");
    std::ostringstream out;
    quorva::QuorvaConsole console(in, out);
    console.go();
    const std::string text = out.str();
    EXPECT_EQ("> ", text.substr(text.size() - 2));
    EXPECT_EQ(2u, static_cast<std::size_t>(std::count(text.begin(), text.end(), '>')));
}

TEST(Loop, PrintSignedMarksZeroAndPositives) {
    std::istringstream in;
    std::ostringstream out;
    quorva::QuorvaConsole console(in, out);
    out.str("");
    for (double x : {0.0, 2.5, -2.5, 1e6}) console.print_signed(x);
    EXPECT_EQ("+0+2.5-2.5+1e+06", out.str());
}

}  // namespace
