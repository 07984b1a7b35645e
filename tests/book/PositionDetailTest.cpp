// One position in full against figures worked by hand: a smile read at the
// strike, the forward, and a trading year fraction on the exchange's calendar.

#include "book/PositionDetail.h"
#include "calendar/ExchangeCalendar.h"
#include "tests/model/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace quorva;

TEST(PositionDetail, WorkedByHandOnTheExchangeCalendarWithASmile) {
    // Sticky strike at 100: at strike 90 the smile adds -0.001 * -10 + 0.0001 * 100 = 2%.
    Market market(100, 0.2, 0.05, Smile(100, -0.001, 0.0001), 0.02, ExchangeCalendar::lse(), test::start());
    // From Friday 20 March 2009 at the 16:30 close to Friday 27 March at 16:30, a
    // week without holidays:
    // five whole days of 510 minutes, in a year of 260 such days.
    const Time expiry = test::after(7 * test::DAY);
    const double tau = 5.0 * 510 / (260 * 510);
    Position position(-2.0, test::make(test::PUT, 90, expiry));
    const double traded_at_30 = test::black_scholes(test::PUT, 100, 90, 0.3, 0.05, 0.02, tau);
    position.trade_price = traded_at_30;
    BinomialTreePricer pricer(1001);
    const PositionDetail detail = PositionDetail::of(pricer, market, position);

    EXPECT_DOUBLE_EQ(0.22, detail.volatility);
    EXPECT_DOUBLE_EQ(tau, detail.year_fraction);
    EXPECT_DOUBLE_EQ(7, detail.calendar_days);
    EXPECT_NEAR(100 * std::exp(0.03 * tau), detail.forward, 1e-12);
    EXPECT_NEAR(test::black_scholes(test::PUT, 100, 90, 0.22, 0.05, 0.02, tau), detail.unit_price, 1e-6);
    EXPECT_EQ(0, detail.intrinsic);
    EXPECT_EQ(detail.unit_price, detail.time_value);
    ASSERT_TRUE(detail.implied_volatility);
    EXPECT_NEAR(0.3, *detail.implied_volatility, 1e-4);

    // In the money: intrinsic value at the level; a future implies nothing.
    Position future(1.0, test::make(test::FUTURE, 90, expiry));
    future.trade_price = -1;
    const PositionDetail futures = PositionDetail::of(pricer, market, future);
    EXPECT_EQ(10, futures.intrinsic);
    EXPECT_FALSE(futures.implied_volatility);
    EXPECT_FALSE(PositionDetail::of(pricer, market, Position(1.0, test::make(test::CALL, 90, expiry)))
                     .implied_volatility);
}

}  // namespace
