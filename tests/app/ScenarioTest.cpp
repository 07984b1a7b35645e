// What-if scenarios: the evaluator on every core against one thread, grids
// against one-parameter tables, the clock as a parameter, and the payoff.

#include "ConsoleSession.h"
#include "book/Scenario.h"
#include "foundation/QuorvaException.h"
#include "terminal/Interrupt.h"
#include "terminal/Progress.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <sstream>
#include <string>
#include <vector>

namespace {

using quorva::QuorvaConsole;
using Scenario = QuorvaConsole::Scenario;
using Proxy = QuorvaConsole::MarketParamProxy;
using Metric = QuorvaConsole::LazyMetric;


class ScenarioTest : public ::testing::Test {
protected:
    void SetUp() override {
        session.pin_clock();
        session.run("add 100C 20jun09\nadd -2 95P 20jun09 @16:30\nadd +3 105U 18dec09\nadd 100F 18dec09");
    }
    ConsoleSession session{101};
};

TEST_F(ScenarioTest, EveryCoreGivesTheResultsOfOneThread) {
    Scenario scenario;
    scenario.axes = {{Proxy::LEVEL, "level", false, {80, 95.5, 100, 120}}, {Proxy::VOL, "vol", true, {5, 20, 45}}};
    scenario.series = {{Metric::GAMMA, 0}, {Metric::VEGA, 2}, {Metric::PAYOFF, 3}};
    const quorva::Market& market = session.console().market();
    const QuorvaConsole::Portfolio& portfolio = session.console().portfolio();
    std::ostringstream quiet;
    quorva::Progress progress(quiet, scenario.points(), false);
    scenario.evaluate(market, portfolio, 101, progress);

    quorva::BinomialTreePricer pricer(101);
    for (std::size_t point = 0; point < scenario.points(); ++point) {
        quorva::Market moved = market;
        moved.level() = scenario.value(0, point);
        moved.volatility() = scenario.value(1, point) / 100;
        const double expected[] = {Metric(pricer, moved, portfolio, Metric::GAMMA).eval(),
                                   Metric(pricer, moved, portfolio[1], Metric::VEGA).eval(),
                                   Metric(pricer, moved, portfolio[2], Metric::PAYOFF).eval()};
        for (std::size_t s = 0; s < 3; ++s) EXPECT_EQ(expected[s], scenario.results[point][s]) << point << " " << s;
    }
}

TEST_F(ScenarioTest, AGridIsTheOneParameterTablesRowByRow) {
    const auto grid = cells(session.run("for level 90 to 110 step 10, vol 10 to 30 step 5: rho[2]"));
    ASSERT_EQ(4u, grid.size());
    EXPECT_EQ((std::vector<std::string>{"level/vol", "10%", "15%", "20%", "25%", "30%"}), grid[0]);
    for (std::size_t r = 1; r < grid.size(); ++r) {
        session.run("set level " + grid[r][0]);
        const auto row = cells(session.run("for vol 10 to 30 step 5: rho[2]"));
        ASSERT_EQ(5u, row.size());
        for (std::size_t c = 0; c < row.size(); ++c) EXPECT_EQ(row[c][1], grid[r][c + 1]) << grid[r][0] << " " << row[c][0];
    }
}

// Friday 6 March 2009: Saturday and Sunday add no trading time, Monday does.
TEST_F(ScenarioTest, DaysMoveTheClockByTheTradingCalendar) {
    session.run("set trading lse\nset date 6mar09");
    const std::string market = session.run("market");
    const auto days = cells(session.run("for days 0 to 3 step 1: price"));
    ASSERT_EQ(4u, days.size());
    EXPECT_NE(days[0][1], days[1][1]);
    EXPECT_EQ(days[1][1], days[2][1]);
    EXPECT_NE(days[2][1], days[3][1]);
    // Day 3 is the market of Monday.
    session.run("set date 9mar09");
    EXPECT_EQ(days[3][1], cells(session.run("price")).at(0).at(0).substr(1));
    session.run("set date 6mar09");
    EXPECT_EQ(market, session.run("market"));

    // Real time stays real time.
    session.run("set realtime");
    session.run("for days 0 to 2: price");
    EXPECT_NE(std::string::npos, session.run("market").find("[realtime]"));
}

/// A call whose payoff, asked for the `at`th time, presses Ctrl-C.
class InterruptingCall : public quorva::Call {
public:
    InterruptingCall(int at, quorva::Time expiry) : Call(100, expiry), at_(at) {}
    double payoff(double level) const override {
        if (++asked_ == at_) std::raise(SIGINT);
        return Call::payoff(level);
    }

private:
    int at_;
    mutable std::atomic<int> asked_{0};
};

// Ctrl-C between two points, or before an empty book's only point, ends the
// evaluation with "Interrupted" whatever was priced.
TEST_F(ScenarioTest, CtrlCBetweenPointsInterruptsTheWholeScenario) {
    quorva::Interrupt::install();
    const quorva::Time expiry = session.console().portfolio()[0].second->expiry();
    for (const int at : {1, 2, 5, 0}) {
        QuorvaConsole::Portfolio portfolio;
        if (at > 0) portfolio.emplace_back(1, usr::P<quorva::Instrument>(new InterruptingCall(at, expiry)));
        if (at == 0) std::raise(SIGINT);
        Scenario scenario;
        scenario.axes = {{Proxy::LEVEL, "level", false, {90, 95, 100, 105, 110, 115, 120}}};
        scenario.series = {{Metric::PAYOFF, 0}};
        std::ostringstream quiet;
        quorva::Progress progress(quiet, scenario.points(), false);
        try {
            scenario.evaluate(session.console().market(), portfolio, 101, progress);
            ADD_FAILURE() << "no interruption at payoff " << at;
        } catch (const quorva::QuorvaException& e) {
            EXPECT_EQ(std::string("Interrupted"), e.what()) << at;
        }
        EXPECT_FALSE(quorva::Interrupt::pending()) << at;
    }
    std::signal(SIGINT, SIG_DFL);
}

TEST_F(ScenarioTest, PayoffIsWhatEachKindPaysAtTheLevelNow) {
    session.run("del all\nadd 100C 20jun09\nadd -2 100P 20jun09\nadd 100F 20jun09\nadd +0.5 100U 20jun09\n"
                "add 100D 20jun09\nset level 103");
    EXPECT_EQ("1.\t+1\t100C 20jun09 @23:59\t+3\n"
              "2.\t-2\t100P 20jun09 @23:59\t+0\n"
              "3.\t+1\t100F 20jun09 @23:59\t+3\n"
              "4.\t+0.5\t100U 20jun09 @23:59\t+50\n"
              "5.\t+1\t100D 20jun09 @23:59\t+0\n"
              "+56\n\n",
              session.run("list payoff"));
    EXPECT_EQ("-14\n", session.run("set level 93\npayoff[2]"));
}

}  // namespace
