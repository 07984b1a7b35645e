#include "model/Market.h"

#include "calendar/ExchangeCalendar.h"
#include "tests/model/TestSupport.h"

#include <gtest/gtest.h>

namespace quorva {
namespace {

using namespace test;

Market::Delta shift(double level, double vol, double rate, double div_yield, int minutes) {
    Market::Delta d;
    d.level() = level;
    d.volatility() = vol;
    d.rate() = rate;
    d.div_yield() = div_yield;
    d.minutes() = minutes;
    return d;
}

TEST(Market, ShiftUpThenDownGivesTheMarketBack) {
    const Market m = market(100, 0.2, 0.05, 0.025, Smile(95, -0.001, 0.0002));
    const Market::Delta deltas[] = {shift(0.5, 0.005, 0.005, 0.001, 1440),
                                    shift(-3, -0.3, 0.02, -0.01, -7),
                                    shift(0, 0, 0, 0, 2147483647)};
    for (const Market::Delta& d : deltas) {
        const Market up = m + d;
        EXPECT_DOUBLE_EQ(m.level() + d.level(), up.level());
        EXPECT_EQ(d.minutes(), up.time().minutes_from(m.time())) << d.minutes();
        const Market back = up - d;
        EXPECT_DOUBLE_EQ(m.level(), back.level()) << d.level();
        EXPECT_NEAR(m.volatility(), back.volatility(), 1e-15) << d.volatility();
        EXPECT_NEAR(m.rate(), back.rate(), 1e-15) << d.rate();
        EXPECT_NEAR(m.div_yield(), back.div_yield(), 1e-15) << d.div_yield();
        EXPECT_EQ(m.time(), back.time()) << d.minutes();
        EXPECT_EQ(m.smile().strike(), back.smile().strike());
        EXPECT_EQ(m.smile().skew(), back.smile().skew());
        EXPECT_EQ(m.smile().convexity(), back.smile().convexity());
        EXPECT_EQ(m.trading_schedule().impl(), back.trading_schedule().impl());
    }
}

TEST(Market, CompoundShiftsMatchTheFreeOperators) {
    Market m = market(100, 0.2, 0.05, 0.025);
    const Market::Delta d = shift(1, 0.01, 0.002, 0.003, 60);
    const Market expected = m - d;
    m -= d;
    m += d;
    m -= d;
    EXPECT_EQ(expected.level(), m.level());
    EXPECT_EQ(expected.volatility(), m.volatility());
    EXPECT_EQ(expected.time(), m.time());
}

TEST(Market, ADayOfMinutesMovesTheTimeAndNothingElse) {
    const Market m = market(100, 0.2, 0.05, 0.025);
    Market::Delta d;
    d.minutes() = 1440;
    const Market next = m + d;
    EXPECT_EQ(Time(chrono::Date(2009, chrono::Date::MAR, 21), 16, 30), next.time());
    EXPECT_EQ(m.level(), next.level());
    EXPECT_EQ(m.volatility(), next.volatility());
    EXPECT_EQ(m.rate(), next.rate());
    EXPECT_EQ(m.div_yield(), next.div_yield());
}

TEST(Market, ShiftsAreNotClamped) {
    Market m = market(0.25, 0.003, 0.001, 0.002);
    m -= shift(0.5, 0.005, 0.005, 0.005, 0);
    EXPECT_NEAR(-0.25, m.level(), 1e-15);
    EXPECT_NEAR(-0.002, m.volatility(), 1e-15);
    EXPECT_NEAR(-0.004, m.rate(), 1e-15);
    EXPECT_NEAR(-0.003, m.div_yield(), 1e-15);
}

TEST(Market, CopiesShareAScheduleUntilOneGetsANewHandle) {
    const Market original = market(100, 0.2, 0.05, 0.025);
    Market copy(original);
    EXPECT_EQ(original.trading_schedule().impl(), copy.trading_schedule().impl());
    copy.trading_schedule() = ExchangeCalendar::lse();
    EXPECT_EQ("LSE", copy.trading_schedule()->name());
    EXPECT_EQ("Continuous", original.trading_schedule()->name());

    Market assigned = market(1, 0, 0, 0);
    assigned = copy;
    EXPECT_EQ(copy.trading_schedule().impl(), assigned.trading_schedule().impl());
    EXPECT_EQ(copy.level(), assigned.level());
}

}  // namespace
}  // namespace quorva
