#include "model/BinomialTreePricer.h"

#include "foundation/QuorvaException.h"
#include "tests/model/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

namespace quorva {
namespace {

using namespace test;

const Kind ALL_KINDS[] = {CALL, PUT, FUTURE, DIGITAL_UP, DIGITAL_DOWN};

class BinomialTreePricerTest : public ::testing::Test {
protected:
    BinomialTreePricer pricer{1000};
};

TEST_F(BinomialTreePricerTest, MatchesBlackScholesOverAGrid) {
    const int maturities[] = {7 * DAY, 30 * DAY, 91 * DAY, YEAR, 2 * YEAR};
    double worst = 0;
    std::string worst_case;
    for (double q : {0.0, 0.025}) {
        for (int minutes : maturities) {
            for (double vol : {0.1, 0.2, 0.3, 0.4}) {
                const Market m = market(100, vol, 0.05, q);
                for (double strike = 70; strike <= 130; strike += 10) {
                    for (Kind kind : {CALL, PUT}) {
                        const usr::P<Instrument> instrument = make(kind, strike, after(minutes));
                        const double tau = static_cast<double>(minutes) / YEAR;
                        const double expected = black_scholes(kind, 100, strike, vol, 0.05, q, tau);
                        const double got = pricer.price(m, *instrument);
                        const double error = std::fabs(got - expected);
                        EXPECT_NEAR(expected, got, 0.01)
                            << describe(*instrument) << " vol " << vol << " q " << q;
                        if (error > worst) {
                            worst = error;
                            worst_case = describe(*instrument) + " vol " + std::to_string(vol) +
                                         " q " + std::to_string(q);
                        }
                    }
                }
            }
        }
    }
    RecordProperty("worst_error", std::to_string(worst) + " at " + worst_case);
}

TEST_F(BinomialTreePricerTest, CallMinusPutIsTheFutureAtTheForward) {
    for (double q : {0.0, 0.025}) {
        for (int minutes : {30 * DAY, 2 * YEAR}) {
            for (double strike : {70.0, 100.0, 125.0}) {
                const Market m = market(100, 0.3, 0.05, q);
                const double tau = static_cast<double>(minutes) / YEAR;
                const double forward = 100 * std::exp(-q * tau) - strike * std::exp(-0.05 * tau);
                const double call = pricer.price(m, Call(strike, after(minutes)));
                const double put = pricer.price(m, Put(strike, after(minutes)));
                const double future = pricer.price(m, Future(strike, after(minutes)));
                SCOPED_TRACE(::testing::Message() << "strike " << strike << " minutes "
                                                  << minutes << " q " << q);
                EXPECT_NEAR(forward, call - put, 1e-9);
                EXPECT_NEAR(forward, future, 1e-9);
                EXPECT_NEAR(future, call - put, 1e-9);
            }
        }
    }
}

TEST_F(BinomialTreePricerTest, DeepInTheMoneyDigitalsPayTheDiscountedHundred) {
    const Market m = market(100, 0.2, 0.05, 0.025);
    EXPECT_NEAR(100 * std::exp(-0.05), pricer.price(m, DigitalUp(30, after(YEAR))), 1e-4);
    EXPECT_NEAR(0, pricer.price(m, DigitalDown(30, after(YEAR))), 1e-4);
    EXPECT_NEAR(100 * std::exp(-0.05), pricer.price(m, DigitalDown(300, after(YEAR))), 1e-4);
}

TEST_F(BinomialTreePricerTest, AtExpiryThePriceIsExactlyThePayoffAtTheLevel) {
    const Market m = market(100, 0.2, 0.05, 0.025);
    for (Kind kind : ALL_KINDS) {
        for (double strike : {90.0, 100.0, 100.5}) {
            const usr::P<Instrument> instrument = make(kind, strike, start());
            EXPECT_EQ(instrument->payoff(100), pricer.price(m, *instrument))
                << describe(*instrument);
        }
    }
}

TEST_F(BinomialTreePricerTest, ZeroVolatilityDiscountsThePayoffAtTheForward) {
    const double tau = 1.0;
    const double forward = 100 * std::exp((0.05 - 0.025) * tau);
    // The smile offset at 108 cancels the market volatility exactly.
    const Market cancelled = market(100, 0.125, 0.05, 0.025, Smile(Smile::STICKY_DELTA, -0.015625, 0));
    const Market zero = market(100, 0, 0.05, 0.025);
    for (Kind kind : ALL_KINDS) {
        for (double strike : {95.0, 108.0, 110.0}) {
            const usr::P<Instrument> instrument = make(kind, strike, after(YEAR));
            const double expected = std::exp(-0.05 * tau) * instrument->payoff(forward);
            EXPECT_NEAR(expected, pricer.price(zero, *instrument), 1e-12) << describe(*instrument);
            if (strike == 108) {
                EXPECT_NEAR(expected, pricer.price(cancelled, *instrument), 1e-12)
                    << describe(*instrument) << " under a cancelling smile";
            }
        }
    }
}

TEST_F(BinomialTreePricerTest, ExpiredInstrumentsGiveFiniteNumbers) {
    for (double vol : {0.0, 0.2}) {
        const Market m = market(100, vol, 0.05, 0.025);
        for (Kind kind : ALL_KINDS) {
            const usr::P<Instrument> instrument = make(kind, 95, after(-30 * DAY));
            EXPECT_TRUE(std::isfinite(pricer.price(m, *instrument)))
                << describe(*instrument) << " vol " << vol;
        }
    }
}

TEST_F(BinomialTreePricerTest, OneYearAtTheMoneyCallWithoutDividendsIsAboutTenFortyFive) {
    EXPECT_NEAR(10.45, pricer.price(market(100, 0.2, 0.05, 0), Call(100, after(YEAR))), 0.01);
}

TEST_F(BinomialTreePricerTest, NegativeVolatilityPricesAsItsMagnitude) {
    for (Kind kind : ALL_KINDS) {
        const usr::P<Instrument> instrument = make(kind, 105, after(YEAR));
        EXPECT_NEAR(pricer.price(market(100, 0.2, 0.05, 0.025), *instrument),
                    pricer.price(market(100, -0.2, 0.05, 0.025), *instrument), 1e-9)
            << describe(*instrument);
    }
}

TEST_F(BinomialTreePricerTest, OddInputsGiveANumberRatherThanACrash) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const Market odd[] = {
        market(100, nan, 0.05, 0.025), market(nan, 0.2, 0.05, 0.025),
        market(100, inf, 0.05, 0.025), market(1e300, 3, 0.05, 0.025),
        market(100, 1e-3, 50, 0),      market(100, 0.2, -50, 0.025),
        market(-100, 0.2, 0.05, 0.025),
    };
    for (const Market& m : odd) {
        for (Kind kind : ALL_KINDS) {
            for (Time expiry : {after(YEAR), after(-YEAR)}) {
                const usr::P<Instrument> instrument = make(kind, 100, expiry);
                EXPECT_NO_THROW(pricer.price(m, *instrument))
                    << describe(*instrument) << " level " << m.level() << " vol "
                    << m.volatility() << " rate " << m.rate();
            }
        }
    }
    EXPECT_TRUE(std::isnan(pricer.price(market(100, nan, 0.05, 0.025), Call(100, after(YEAR)))));
}

TEST_F(BinomialTreePricerTest, OneStepTreeIsTheOnePeriodModel) {
    BinomialTreePricer one(1);
    EXPECT_EQ(1u, one.steps());
    const Market m = market(100, 0.2, 0.05, 0.025);
    const double u = std::exp(0.2), d = 1 / u;
    const double p = (std::exp(0.025) - d) / (u - d);
    const double expected = std::exp(-0.05) * p * (100 * u - 100);
    EXPECT_NEAR(expected, one.price(m, Call(100, after(YEAR))), 1e-12);
}

TEST(BinomialTreePricer, RefusesATreeWithoutStepsAndAMarketWithoutSchedule) {
    EXPECT_THROW(BinomialTreePricer(0), QuorvaException);
    BinomialTreePricer pricer(10);
    Market m = market(100, 0.2, 0.05, 0.025);
    m.trading_schedule() = usr::P<TradingSchedule>();
    EXPECT_THROW(pricer.price(m, Call(100, after(YEAR))), QuorvaException);
}

// Each greek against the same difference of the closed form. The tree's
// price error jitters with the level on the scale of one node spacing, and
// gamma's second difference of prices one point apart magnifies it: the tree
// gets gamma's sign and order of size, not its digits.
TEST_F(BinomialTreePricerTest, GreeksMatchDifferencesOfTheClosedForm) {
    struct Case {
        Kind kind;
        double strike;
        int minutes;
    };
    const Case cases[] = {{CALL, 100, YEAR}, {PUT, 100, YEAR}, {CALL, 115, 91 * DAY},
                          {PUT, 90, 91 * DAY}, {CALL, 80, 2 * YEAR}, {PUT, 120, 2 * YEAR}};
    const double vol = 0.25, r = 0.05, q = 0.025;
    const Market m = market(100, vol, r, q);
    for (const Case& c : cases) {
        const usr::P<Instrument> instrument = make(c.kind, c.strike, after(c.minutes));
        const double tau = static_cast<double>(c.minutes) / YEAR;
        auto bs = [&](double level, double sigma, double rate, double t) {
            return black_scholes(c.kind, level, c.strike, sigma, rate, q, t);
        };
        struct Greek {
            const char* name;
            double expected;
            double got;
            double tolerance;
        };
        const Greek greeks[] = {
            {"delta", bs(100.5, vol, r, tau) - bs(99.5, vol, r, tau),
             pricer.delta(m, *instrument), 0.006},
            {"gamma", bs(101, vol, r, tau) - 2 * bs(100, vol, r, tau) + bs(99, vol, r, tau),
             pricer.gamma(m, *instrument), 0.012},
            {"vega", bs(100, vol + 0.005, r, tau) - bs(100, vol - 0.005, r, tau),
             pricer.vega(m, *instrument), 0.006},
            {"theta", bs(100, vol, r, tau - 1.0 / 365) - bs(100, vol, r, tau),
             pricer.theta(m, *instrument), 0.0005},
            {"rho", bs(100, vol, r + 0.005, tau) - bs(100, vol, r - 0.005, tau),
             pricer.rho(m, *instrument), 0.0005},
        };
        for (const Greek& g : greeks) {
            EXPECT_NEAR(g.expected, g.got, g.tolerance) << g.name << " of " << describe(*instrument);
            EXPECT_EQ(g.expected > 0, g.got > 0) << g.name << " of " << describe(*instrument);
        }
    }
}

TEST_F(BinomialTreePricerTest, StickyDeltaMovesTheSmileWithTheLevelInDelta) {
    const Call call(110, after(YEAR));
    const Market sticky_delta = market(100, 0.2, 0.05, 0.025, Smile(Smile::STICKY_DELTA, -0.001, 0));
    const Market sticky_strike = market(100, 0.2, 0.05, 0.025, Smile(100, -0.001, 0));
    EXPECT_EQ(pricer.price(sticky_strike, call), pricer.price(sticky_delta, call));

    // Under sticky delta a level shift of +-0.5 also moves the volatility by +-0.0005.
    const double smile_vega = pricer.vega(sticky_strike, call) / 10;
    const double difference = pricer.delta(sticky_delta, call) - pricer.delta(sticky_strike, call);
    EXPECT_GT(difference, 0);
    EXPECT_NEAR(smile_vega, difference, 0.1 * smile_vega);

    // Without skew the modes agree.
    const Market flat_delta = market(100, 0.2, 0.05, 0.025, Smile(Smile::STICKY_DELTA, 0, 0));
    const Market flat_strike = market(100, 0.2, 0.05, 0.025, Smile(100, 0, 0));
    EXPECT_EQ(pricer.delta(flat_strike, call), pricer.delta(flat_delta, call));
}

TEST_F(BinomialTreePricerTest, ThetaOverAWeekendDayIsZeroOnTheExchangeSchedule) {
    Market m = market(100, 0.2, 0.05, 0.025);
    m.trading_schedule() = LSETrading::instance();
    m.time() = Time(chrono::Date(2009, chrono::Date::MAR, 21), 12, 0);
    EXPECT_EQ(0, pricer.theta(m, Call(100, after(YEAR))));
}

}  // namespace
}  // namespace quorva
