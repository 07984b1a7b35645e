#include "ConsoleSession.h"

#include "book/LazyMetric.h"
#include "foundation/QuorvaException.h"

#include <gtest/gtest.h>

#include <boost/filesystem.hpp>

#include <sstream>
#include <vector>

namespace {

using quorva::QuorvaConsole;

std::string listing_of(ConsoleSession& session) { return session.run("list"); }

/// What the console prints for a number in its default format.
std::string shown(double x) {
    std::ostringstream out;
    if (x >= 0) out << '+';
    out << x;
    return out.str();
}

class Portfolio : public ::testing::Test {
protected:
    void SetUp() override {
        session.pin_clock();
        ASSERT_EQ("", session.run("add 100C 20mar09 @16:30\n"
                                  "add -2 95P 20jun09\n"
                                  "add +0.5 1000 U 15 jun 2010 @ 9:00"));
    }

    double unit(QuorvaConsole::LazyMetric::Metric metric, std::size_t index) {
        const auto& position = session.console().portfolio().at(index);
        quorva::BinomialTreePricer pricer(1000);
        return QuorvaConsole::LazyMetric(pricer, session.console().market(), position, metric)
            .calc_value(*position.second);
    }

    ConsoleSession session;
};

TEST_F(Portfolio, ListWithoutAMetricEndsEveryRowWithATab) {
    EXPECT_EQ(
        "1.\t+1\t100C 20mar09 @16:30\t\n"
        "2.\t-2\t95P 20jun09 @23:59\t\n"
        "3.\t+0.5\t1000U 15jun10 @09:00\t\n"
        "\n\n",
        listing_of(session));
}

TEST_F(Portfolio, ListWithAMetricShowsPositionValuesAndTheirTotal) {
    using M = QuorvaConsole::LazyMetric;
    const double p1 = unit(M::PRICE, 0), p2 = -2 * unit(M::PRICE, 1), p3 = 0.5 * unit(M::PRICE, 2);
    const std::string expected =
        "1.\t+1\t100C 20mar09 @16:30\t" + shown(p1) + "\n" + "2.\t-2\t95P 20jun09 @23:59\t" + shown(p2) +
        "\n" + "3.\t+0.5\t1000U 15jun10 @09:00\t" + shown(p3) + "\n" + shown(p1 + p2 + p3) + "\n\n";
    EXPECT_EQ(expected, session.run("list price"));
    EXPECT_EQ(expected, session.run("list PRICE"));
    EXPECT_LT(p2, 0);
}

TEST_F(Portfolio, MetricWordsForThePortfolioOrOnePosition) {
    using M = QuorvaConsole::LazyMetric;
    const double delta2 = -2 * unit(M::DELTA, 1);
    for (const char* line : {"delta[2]", "DELTA [2]", "delta [ 2 ]"}) {
        EXPECT_EQ(shown(delta2) + "\n", session.run(line)) << line;
    }
    const double gamma = unit(M::GAMMA, 0) - 2 * unit(M::GAMMA, 1) + 0.5 * unit(M::GAMMA, 2);
    EXPECT_EQ(shown(gamma) + "\n", session.run("gamma"));
    for (const char* word : {"theta", "vega", "rho"}) {
        const std::string out = session.run(std::string(word) + "[1]");
        EXPECT_TRUE(out[0] == '+' || out[0] == '-') << word << ": " << out;
    }
}

TEST_F(Portfolio, MetricMessages) {
    const std::string before = listing_of(session);
    session.expect_refusals({
        {"delta [0]", "Index out of range"},
        {"delta []", "Index out of range"},
        {"delta [4]", "Index out of range"},
        {"delta [1", "Expected ']'"},
        {"delta [1 x", "Expected ']'"},
        {"delta [1] x", "Unexpected tokens found"},
        {"list veg", "Invalid metric"},
        {"list price[1]", "Invalid metric"},
        {"list price 2", "Unexpected tokens found"},
    });
    EXPECT_EQ(before, listing_of(session));
}

TEST_F(Portfolio, AddAndDelMessagesLeaveThePortfolioAsItWas) {
    const std::string before = listing_of(session);
    session.expect_refusals(
        {
            {"add +0 5000C 20mar09", "Invalid purchase size"},
            {"add + 5000C 20mar09", "Invalid purchase size"},
            {"add -x 5000C 20mar09", "Invalid purchase size"},
            {"add", "Expected strike"},
            {"add 5000C 20mar09 x", "Unexpected tokens found"},
            {"add 5000Q 20mar09", "Uknown instrument code"},
            {"add 5000C 1jan2200", "Date too late"},
            {"add 5000F 20mar09 American", "Only calls and puts can be American"},
            {"add 5000U 20mar09 @10:00 american", "Only calls and puts can be American"},
            {"add 5000C 20mar09 american now", "Unexpected tokens found"},
            {"del", "Expected index"},
            {"del x", "No position labelled 'x'"},
            {"del 0", "Index out of range"},
            {"del 4", "Index out of range"},
            {"del 1 2", "Unexpected tokens found"},
        },
        [&](const std::string& line) { EXPECT_EQ(before, listing_of(session)) << line; });
}

TEST_F(Portfolio, DelMovesLaterPositionsUp) {
    session.run("del 1");
    EXPECT_EQ(
        "1.\t-2\t95P 20jun09 @23:59\t\n"
        "2.\t+0.5\t1000U 15jun10 @09:00\t\n"
        "\n\n",
        listing_of(session));
}

TEST_F(Portfolio, AmericanOptionsReadBackAndSolveForTheirVolatility) {
    session.run("del all\nadd -2 95P 20jun09 @16:30 american\nadd 105C 20jun09 AMERICAN");
    const std::string listed = listing_of(session);
    EXPECT_EQ("1.\t-2\t95P 20jun09 @16:30 American\t\n2.\t+1\t105C 20jun09 @23:59 American\t\n\n\n", listed);
    session.run("del all\nadd -2 95P 20jun09 @16:30 American\nadd 105C 20jun09 @23:59 American");
    EXPECT_EQ(listed, listing_of(session));
    // The price of the American put at 30% gives 30% back.
    session.run("set vol 30");
    std::string price = session.run("price[1]");
    price.pop_back();
    session.run("set vol 20");
    EXPECT_EQ("30%\n", session.run("implvol [1] " + price).substr(0, 2) + "%\n");
    EXPECT_EQ(0u, session.run("calibrate " + price + " 3").find("\nCalibrating with:\n95P 20jun09 @16:30 American\t"));
}

TEST_F(Portfolio, AQuantityNeedsItsSign) {
    EXPECT_EQ("Error: Expected instrument code letter\n", session.run("add 2 5000C 20mar09"));
}

TEST(EmptyPortfolio, ListsNothingAndMetricsAreZero) {
    ConsoleSession session;
    EXPECT_EQ("", session.run("list"));
    EXPECT_EQ("> +0> ", session.raw("list price"));
    EXPECT_EQ("+0\n", session.run("price"));
    EXPECT_EQ("Error: Index out of range\n", session.run("price[1]"));
}

// A future, a call and a put a year out: under any volatility or rate every
// price is a finite number and keeps parity; a value beyond the doubles fails
// the whole command, on the screen, in a file or in a table.
TEST(ExtremeMarkets, PricesStayFiniteOrTheCommandFails) {
    ConsoleSession session;
    session.pin_clock();
    session.run("add 100F 5mar10\nadd 100C 5mar10\nadd 100P 5mar10");
    const std::string rows[] = {"1.\t+1\t100F 05mar10 @23:59\t+", "2.\t+1\t100C 05mar10 @23:59\t+",
                                "3.\t+1\t100P 05mar10 @23:59\t+"};
    const std::string at_vast = rows[0] + "2.41056\n" + rows[1] + "97.5284\n" + rows[2] + "95.1178\n+195.057\n\n";
    for (const char* vol : {"4500", "8000", "1e6"}) EXPECT_EQ(at_vast, session.run(std::string("set vol ") + vol + "\nlist price"));
    EXPECT_EQ(rows[0] + "97.5284\n" + rows[1] + "97.5284\n" + rows[2] + "0\n+195.057\n\n",
              session.run("set vol 20\nset rate 1e6\nlist price"));

    namespace fs = boost::filesystem;
    const fs::path file = fs::temp_directory_path() / fs::unique_path("quorva-range-%%%%-%%%%.csv");
    session.run("set rate 5\nset divyld -1e6");
    for (const std::string& line : std::vector<std::string>{"list price", "list all", "list price > " + file.native(), "price", "vega[2]",
                                   "for vol 10 to 30: price", "for level 90 to 110: delta > " + file.native()}) {
        EXPECT_EQ("Error: Price out of range\n", session.run(line)) << line;
    }
    EXPECT_FALSE(fs::exists(file));
}

TEST(LazyMetric, NamesAreWholeWordsInAnyCase) {
    using M = QuorvaConsole::LazyMetric;
    EXPECT_EQ(M::VEGA, M::parse_metric("Vega"));
    EXPECT_EQ(M::RHO, M::parse_metric("RHO"));
    EXPECT_EQ(M::NONE, M::parse_metric("veg"));
    EXPECT_EQ(M::NONE, M::parse_metric(""));
    EXPECT_TRUE(QuorvaConsole::is_metric_name("Theta"));
    EXPECT_FALSE(QuorvaConsole::is_metric_name("prices"));
}

TEST(LazyMetric, FollowsTheLiveMarket) {
    ConsoleSession session;
    session.pin_clock();
    session.run("add 100C 20mar10");
    std::istringstream in;
    quorva::Market market = session.console().market();
    quorva::BinomialTreePricer pricer(100);
    const QuorvaConsole::LazyMetric price(pricer, market, session.console().portfolio(),
                                          QuorvaConsole::LazyMetric::PRICE);
    const double before = price.eval();
    market.level() = 120;
    EXPECT_GT(price.eval(), before + 10);
    const QuorvaConsole::LazyMetric none(pricer, market, session.console().portfolio(),
                                         QuorvaConsole::LazyMetric::NONE);
    EXPECT_THROW(none.eval(), quorva::QuorvaException);
}

}  // namespace
