// The book in a trader's terms through the console: trade prices, labels and
// the multiplier, groups whose subtotals add up, what the commands refuse,
// and books kept in text and CSV files.

#include "ConsoleSession.h"
#include "InFolder.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using gnuplot::test::read_all;
using Rows = std::vector<std::vector<std::string> >;

class Book : public InFolder {
protected:
    void SetUp() override {
        session.pin_clock();
        ASSERT_EQ("", session.run("set multiplier 10\n"
                                  "add -2 95P 20jun09 at 3.25 as spread\n"
                                  "add +2 90P 20jun09 at 1.8 as spread\n"
                                  "add +1 100F 19jun09 at -0.5 as covered\n"
                                  "add -1 105C 19jun09 at 2.9 as covered\n"
                                  "add +3 100C 18dec09"));
    }
    ConsoleSession session;
};

TEST_F(Book, AnExpiredPositionGivesFiguresWorkedByHand) {
    // Past expiry a position is worth its payoff: the 95 put at a level of 90 pays 5.
    ConsoleSession hand;
    hand.run("set date 1jul09\nset time 12:00\nset level 90\nadd -2 95P 20jun09 at 3.25\nadd +1 80C 20jun09");
    EXPECT_EQ("-10\n", hand.run("price[1]"));
    EXPECT_EQ("-10\n-3.5\n", hand.run("value[1]\npnl[1]"));
    hand.run("set multiplier 100");
    // cashdelta: -2 * (4.55 - 5.45) * 100, the put's payoffs at 90.45 and 89.55.
    EXPECT_EQ("-1000\n-350\n-\n+180\n", hand.run("value[1]\npnl[1]\npnl[2]\ncashdelta[1]"));
    EXPECT_EQ("-350 (1 left out)\n", hand.run("pnl"));
    // value: -2 * 5 * 100 + 1 * 10 * 100.
    EXPECT_EQ("+0\n", hand.run("value"));
}

TEST_F(Book, ListingsShowTradePricesAndLabelsAndGroupsAddUpToTheTotal) {
    EXPECT_EQ(0u, session.run("list").find("1.\t-2\t95P 20jun09 @23:59 at 3.25 as spread\t\n2.\t+2\t"));
    EXPECT_NE(std::string::npos, session.run("market").find("\nmultiplier = 10\n"));
    for (const std::string by : {"expiry", "label"}) {
        const Rows rows = cells(session.run("list value pnl cashdelta cashgamma by " + by));
        ASSERT_EQ(std::vector<std::string>({"number", "quantity", "instrument", "value", "pnl", "cashdelta",
                                            "cashgamma"}),
                  rows[0]);
        std::vector<double> sums(4, 0);
        std::size_t positions = 0, groups = 0;
        for (std::size_t r = 1; r + 1 < rows.size(); ++r) {
            if (rows[r][0] != "subtotal") {
                ++positions;
                continue;
            }
            ++groups;
            for (std::size_t m = 0; m < 4; ++m) sums[m] += std::stod(rows[r][3 + m]);
        }
        EXPECT_EQ(5u, positions) << by;
        EXPECT_EQ(3u, groups) << by;
        EXPECT_EQ("total", rows.back()[0]);
        for (std::size_t m = 0; m < 4; ++m) EXPECT_NEAR(std::stod(rows.back()[3 + m]), sums[m], 1e-3) << by << m;
        // The position without a trade price is "-" and the totals say so.
        EXPECT_EQ("+0 (1 left out)", rows[rows.size() - 2][4]) << by;
        EXPECT_NE(std::string::npos, rows.back()[4].find(" (1 left out)")) << by;
    }
    const Rows by_label = cells(session.run("list pnl by label"));
    EXPECT_EQ(std::vector<std::string>({"subtotal", "", "spread"}), Rows::value_type(by_label[3].begin(),
                                                                                      by_label[3].begin() + 3));
    EXPECT_EQ("-", by_label[7][3]);
    const Rows by_expiry = cells(session.run("list value by expiry"));
    EXPECT_EQ("19jun09 @23:59", by_expiry[3][2]);
    EXPECT_EQ("3.", by_expiry[1][0]);

    EXPECT_EQ("", session.run("del spread"));
    EXPECT_EQ(3u, session.console().portfolio().size());
    EXPECT_EQ("covered", session.console().portfolio()[0].label);
}

TEST_F(Book, RefusalsChangeNothing) {
    const std::string before = session.run("list\nmarket");
    session.expect_refusals(
        {
            {"add 100C 20mar09 at -1", "Trade price must not be negative"},
            {"add 100C 20mar09 at", "Expected trade price"},
            {"add 100C 20mar09 as 1x", "Invalid label '1x': a letter, then letters, digits, '_', '-' or '.'"},
            {"add 100C 20mar09 as", "Expected label"},
            {"add 100C 20mar09 as all", "Invalid label 'all': del all removes every position"},
            {"add 100C 20mar09 at 1 at 2", "Unexpected tokens found"},
            {"set multiplier 0", "Multiplier must be positive"},
            {"set multiplier -5", "Multiplier must be positive"},
            {"set multiplier", "Expected value"},
            {"show 6", "Index out of range"},
            {"show", "Expected index"},
            {"del hedge", "No position labelled 'hedge'"},
            {"list pnl by strike", "Expected 'expiry' or 'label' after 'by'"},
            {"for level 80 to 120: pnl[5]", "Position 5 has no trade price"},
            {"plot level 80 to 120: pnl lines", "Lines draw a grid of two parameters"},
            {"for level 80 to 120, days 0 to 9: pnl lines", "Unexpected tokens found"},
        },
        [&](const std::string& line) { EXPECT_EQ(before, session.run("list\nmarket")) << line; });
    EXPECT_EQ("", session.run("add -1 100F 20jun09 at -2.5"));
}

TEST_F(Book, ShowPrintsThePositionInFull) {
    const std::string shown = session.run("show 1");
    for (const std::string part : {"instrument   95P 20jun09 @23:59\n", "quantity     -2\n", "trade price  3.25\n",
                                   "label        spread\n", "volatility   20% at the strike\n", " calendar days, ",
                                   "% from the trade price\n"}) {
        EXPECT_NE(std::string::npos, shown.find(part)) << part << "\n" << shown;
    }
    EXPECT_NE(std::string::npos, session.run("show 5").find("implied vol  -\n"));
}

TEST_F(Book, TextAndCsvFilesKeepTheBook) {
    const std::string all = session.run("list all\nlist pnl by label");
    ASSERT_EQ("", session.run("save " + path("book.txt") + "\nsave " + path("book.csv")));
    EXPECT_NE(std::string::npos, read_all(path("book.txt")).find("\nset multiplier 10\nadd -2 95P 20jun09 @23:59 at 3.25 as spread\n"));
    EXPECT_EQ(0u, read_all(path("book.csv"))
                      .find("quantity,strike,type,expiry,time,style,price,label\r\n"
                            "-2,95,P,2009-06-20,23:59,european,3.25,spread\r\n"));
    ConsoleSession text, table;
    text.run("load " + path("book.txt"));
    EXPECT_EQ(all, text.run("list all\nlist pnl by label"));
    // A CSV book replaces the positions alone.
    table.run("set date 5mar09\nset time 14:30\nset multiplier 10\nadd 50C 1jan10\nload " + path("book.csv"));
    EXPECT_EQ(all, table.run("list all\nlist pnl by label"));
}

TEST_F(Book, CsvBooksFromElsewhereAndABadRowThatChangesNothing) {
    write("broker.csv", "Account,LABEL,Type,Strike,Expiry,Qty,Quantity,Price,Style,Time\r\n"
                        "A1,spread,put,95,2009-06-20,x,-2,3.25,,\r\n"
                        "A1,,CALL,100,18dec09,x,3,,European,16:30\r\n"
                        "\r\n"
                        "A2,covered,c,105,2009-06-19,x,+1,2.9,american,\r\n");
    ASSERT_EQ("", session.run("load " + path("broker.csv")));
    EXPECT_EQ("1.\t-2\t95P 20jun09 @23:59 at 3.25 as spread\t\n"
              "2.\t+3\t100C 18dec09 @16:30\t\n"
              "3.\t+1\t105C 19jun09 @23:59 American at 2.9 as covered\t\n\n\n",
              session.run("list"));
    const std::string before = session.run("list");
    write("bad.csv", "quantity,strike,type,expiry\n1,100,C,20mar09\n2,100,P,20mar09\n\n3,100,F,20mar09\n4,100,U,20mar09\n"
                     "5,100,X,20mar09\n");
    EXPECT_EQ("Error: " + path("bad.csv") + ":7: Unknown type 'x'\n", session.run("load " + path("bad.csv")));
    EXPECT_EQ(before, session.run("list"));
    write("short.csv", "quantity,strike,expiry\n1,100,20mar09\n");
    EXPECT_EQ("Error: " + path("short.csv") + ":1: Expected a column 'type'\n", session.run("load " + path("short.csv")));
    write("blank.csv", "quantity,strike,type,expiry,price\n1,100,C,20mar09,1 2\n");
    EXPECT_EQ("Error: " + path("blank.csv") + ":2: Expected one word for price, found '1 2'\n",
              session.run("load " + path("blank.csv")));
    EXPECT_EQ(before, session.run("list"));
}

}  // namespace
