// What a user types as the program prints it: dates without a year, signs,
// percent signs, calendar names in any case, comments after a command and
// file names in quotes; and the strikes no form may make negative.

#include "ConsoleSession.h"
#include "InFolder.h"
#include "calendar/Time.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using gnuplot::test::read_all;

class TypedInput : public InFolder {
protected:
    void SetUp() override { session.pin_clock(); }
    ConsoleSession session;
};

TEST_F(TypedInput, ADateWithoutAYearIsInTheYearOfTheMarketsDate) {
    session.run("add 100C 20mar\nadd -2 95P 1jan @16:30\nset date 20jun");
    EXPECT_EQ("1.\t+1\t100C 20mar09 @23:59\t\n2.\t-2\t95P 01jan09 @16:30\t\n\n\n", session.run("list"));
    EXPECT_NE(std::string::npos, session.run("market").find("time   = 20jun09 @14:30\n"));
    session.run("set date 5mar2150\nadd 100C 20mar");
    EXPECT_EQ(2150, session.console().portfolio().back().second->expiry().date().year());
    // In real time, today's year.
    session.run("set realtime\nadd 100C 20mar");
    EXPECT_EQ(quorva::Time::now().date().year(), session.console().portfolio().back().second->expiry().date().year());
}

TEST_F(TypedInput, NoFormMakesAStrikeNegative) {
    session.expect_refusals(
        {
            {"add -100P 9dec27", "Strike must not be negative"},
            {"add +2 -100C 9dec27", "Strike must not be negative"},
            {"add -2 -100C 9dec27", "Strike must not be negative"},
            {"add -1e2c 9dec27 american", "Strike must not be negative"},
            {"add -0.5U 9dec27", "Strike must not be negative"},
            // A quantity apart from its strike is still a quantity.
            {"add -100 P 9dec27", "Expected strike"},
        },
        [&](const std::string& line) { EXPECT_TRUE(session.console().portfolio().empty()) << line; });
    EXPECT_EQ("", session.run("add -2 0C 9dec27\nadd -2 100P 9dec27"));
    EXPECT_EQ(2u, session.console().portfolio().size());
}

TEST_F(TypedInput, PercentSignsCalendarNamesAndComments) {
    EXPECT_EQ("", session.run("set vol 25%\nset rate = 1.5 %\nset divyld=0.5%   # as market shows it\n"
                              "set trading LSE\nset level 90 #spot\n# a whole line\n   # indented"));
    EXPECT_EQ("level  = 90\nvol    = 25%\nsmile  = (-, 0, 0)\nrate   = 1.5%\ndivyld = 0.5%\n"
              "time   = 05mar09 @14:30\ntrade  = LSE\n\n",
              session.run("market\t# after a tab"));
    EXPECT_EQ("", session.run("set trading Continuous"));
    EXPECT_NE(std::string::npos, session.run("market").find("trade  = Continuous\n"));
    session.expect_refusals({
        {"set level 90%", "Unexpected tokens found"},
        {"set vol 20%%", "Unexpected tokens found"},
        {"set vol %", "Expected value"},
        {"set level 90#x", "Unexpected tokens found"},
        {"set trading lsx", "Expected trading schedule 'continuous', 'lse', 'eurex' or 'nyse'"},
        {"market#", "Unknown command - 'market#'"},
    });
}

TEST_F(TypedInput, FileNamesInQuotesMayHoldBlanksAndHashes) {
    const std::string book = path("my book #1.txt");
    const std::string table = path("my table.csv");
    EXPECT_EQ("", session.run("add 100C 20mar10\nsave \"" + book + "\"  # the desk's\nlist price > '" + table + "'"));
    EXPECT_NE(std::string::npos, read_all(book).find("\nadd +1 100C 20mar10 @23:59\n"));
    EXPECT_EQ(0u, read_all(table).find("number,quantity,instrument,price\r\n"));
    EXPECT_EQ("", session.run("del all\nload '" + book + "'\nsource \"" + book + "\""));
    EXPECT_EQ(2u, session.console().portfolio().size());
    session.expect_refusals({
        {"save ''", "Expected file name"},
        {"save \"\"", "Expected file name"},
        {"load \"\" # nothing", "Expected file name"},
        {"list > \"\"", "Expected file name"},
        {"save \"a b", "Expected closing quote after file name"},
        {"save \"a b\" c", "Unexpected tokens found"},
    });
    EXPECT_FALSE(boost::filesystem::exists("a b"));
}

}  // namespace
