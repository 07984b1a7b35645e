#include "model/BinomialTreePricer.h"

#include "calendar/ExchangeCalendar.h"
#include "foundation/QuorvaException.h"
#include "tests/model/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <iostream>
#include <limits>
#include <sstream>
#include <vector>

namespace quorva {
namespace {

using namespace test;

const Kind ALL_KINDS[] = {CALL, PUT, FUTURE, DIGITAL_UP, DIGITAL_DOWN};

class BinomialTreePricerTest : public ::testing::Test {
protected:
    BinomialTreePricer pricer{1001};
};

// Prices, and each greek as the pricer defines it (a difference of prices),
// against the same differences of the closed form. A greek's error counts
// against the largest closed-form value of that greek across the strikes of
// its kind, expiry, volatility and yield.
TEST_F(BinomialTreePricerTest, MatchesBlackScholesAndItsGreeksOverAGrid) {
    const double r = 0.05;
    const double price_tolerance = 1e-4;
    const double greek_share = 1e-3;
    const char* const names[] = {"delta", "gamma", "vega", "theta", "rho"};
    double worst_price = 0;
    double worst_greek = 0;
    for (Kind kind : {CALL, PUT, DIGITAL_UP, DIGITAL_DOWN}) {
        for (int minutes : {7 * DAY, 30 * DAY, 91 * DAY, YEAR, 3 * YEAR}) {
            for (double vol = 0.1; vol < 0.605; vol += 0.1) {
                for (double q : {0.0, 0.025}) {
                    const Market m = market(100, vol, r, q);
                    const double tau = static_cast<double>(minutes) / YEAR;
                    std::vector<std::array<double, 5> > expected, got;
                    std::array<double, 5> largest{};
                    for (double strike = 70; strike <= 130; strike += 5) {
                        const usr::P<Instrument> instrument = make(kind, strike, after(minutes));
                        auto bs = [&](double level, double sigma, double rate, double t) {
                            return black_scholes(kind, level, strike, sigma, rate, q, t);
                        };
                        const double price = pricer.price(m, *instrument);
                        EXPECT_NEAR(bs(100, vol, r, tau), price, price_tolerance)
                            << describe(*instrument) << " vol " << vol << " q " << q;
                        worst_price = std::max(worst_price, std::fabs(price - bs(100, vol, r, tau)));
                        expected.push_back({bs(100.5, vol, r, tau) - bs(99.5, vol, r, tau),
                                            bs(101, vol, r, tau) - 2 * bs(100, vol, r, tau) +
                                                bs(99, vol, r, tau),
                                            bs(100, vol + 0.005, r, tau) - bs(100, vol - 0.005, r, tau),
                                            bs(100, vol, r, tau - 1.0 / 365) - bs(100, vol, r, tau),
                                            bs(100, vol, r + 0.005, tau) - bs(100, vol, r - 0.005, tau)});
                        got.push_back({pricer.delta(m, *instrument), pricer.gamma(m, *instrument),
                                       pricer.vega(m, *instrument), pricer.theta(m, *instrument),
                                       pricer.rho(m, *instrument)});
                        for (int k = 0; k < 5; ++k)
                            largest[k] = std::max(largest[k], std::fabs(expected.back()[k]));
                    }
                    for (std::size_t i = 0; i < expected.size(); ++i) {
                        for (int k = 0; k < 5; ++k) {
                            const double error = std::fabs(got[i][k] - expected[i][k]) / largest[k];
                            worst_greek = std::max(worst_greek, error);
                            EXPECT_LE(error, greek_share)
                                << names[k] << " of " << describe(*make(kind, 70 + 5.0 * i, after(minutes)))
                                << " vol " << vol << " q " << q << ": expected " << expected[i][k]
                                << " got " << got[i][k] << " largest " << largest[k];
                        }
                    }
                }
            }
        }
    }
    RecordProperty("worst_price_error", std::to_string(worst_price));
    RecordProperty("worst_greek_share", std::to_string(worst_greek));
    std::cout << "worst price error " << worst_price << ", worst greek error " << worst_greek
              << " of the largest\n";
}

// The tree follows the strike, so its greeks are smooth in the level: one
// peak of gamma for a call, one of delta for a digital.
TEST_F(BinomialTreePricerTest, GreeksAreSmoothInTheLevel) {
    struct Case {
        Kind kind;
        double (BinomialTreePricer::*greek)(const Market&, const Instrument&);
        const char* name;
    };
    const Case cases[] = {{CALL, &BinomialTreePricer::gamma, "gamma of a call"},
                          {DIGITAL_UP, &BinomialTreePricer::delta, "delta of a digital up"}};
    for (const Case& c : cases) {
        const usr::P<Instrument> instrument = make(c.kind, 100, after(YEAR));
        std::vector<double> values;
        for (int i = 0; i <= 200; ++i)
            values.push_back((pricer.*c.greek)(market(90 + 0.1 * i, 0.2, 0.05, 0.025), *instrument));
        int peaks = 0;
        for (std::size_t i = 1; i + 1 < values.size(); ++i)
            peaks += values[i] > values[i - 1] && values[i] >= values[i + 1];
        EXPECT_EQ(1, peaks) << c.name;
    }
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

TEST_F(BinomialTreePricerTest, AtAndAfterExpiryThePriceIsExactlyThePayoffAtTheLevel) {
    const Market m = market(100, 0.2, 0.05, 0.025);
    for (Kind kind : ALL_KINDS) {
        for (double strike : {90.0, 100.0, 100.5}) {
            for (Time expiry : {start(), after(-30 * DAY), after(-5 * YEAR)}) {
                const usr::P<Instrument> instrument = make(kind, strike, expiry);
                EXPECT_EQ(instrument->payoff(100), pricer.price(m, *instrument))
                    << describe(*instrument);
            }
        }
    }
    // On its last day a long call only loses its time value.
    EXPECT_LT(pricer.theta(m, Call(100, after(6 * 60))), 0);
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

// Up to 1e-4 the volatility moves no leaf across the strike: the price is the
// discounted payoff at the forward, not the limit of a vast volatility.
TEST_F(BinomialTreePricerTest, TinyVolatilitiesDiscountThePayoffAtTheForward) {
    for (double vol = 1e-9; vol < 2e-4; vol *= 10) {
        for (int minutes : {30 * DAY, YEAR, 5 * YEAR}) {
            const double tau = static_cast<double>(minutes) / YEAR;
            const double forward = 100 * std::exp((0.05 - 0.025) * tau);
            for (Kind kind : ALL_KINDS) {
                for (double strike : {90.0, 100.0, 110.0}) {
                    const usr::P<Instrument> instrument = make(kind, strike, after(minutes));
                    const double expected = std::exp(-0.05 * tau) * instrument->payoff(forward);
                    EXPECT_NEAR(expected, pricer.price(market(100, vol, 0.05, 0.025), *instrument), 1e-9)
                        << describe(*instrument) << " vol " << vol;
                }
            }
        }
    }
}

// However vast the volatility, prices stay finite and keep parity, and a call
// rises with the volatility towards the index's discounted share.
TEST_F(BinomialTreePricerTest, VastVolatilitiesKeepParityAndTendToTheIndexShare) {
    const double r = 0.05, q = 0.025;
    for (int minutes : {YEAR, 10 * YEAR}) {
        const double tau = static_cast<double>(minutes) / YEAR;
        const double share = 100 * std::exp(-q * tau);
        for (double strike : {50.0, 100.0, 200.0}) {
            const Call call(strike, after(minutes));
            const Put put(strike, after(minutes));
            const double future = share - strike * std::exp(-r * tau);
            double last_call = 0;
            for (double vol = 0.05; vol < 1e5; vol *= 1.25) {
                const Market m = market(100, vol, r, q);
                const double c = pricer.price(m, call);
                const double p = pricer.price(m, put);
                SCOPED_TRACE(::testing::Message() << "strike " << strike << " vol " << vol << " tau " << tau);
                ASSERT_TRUE(std::isfinite(c) && std::isfinite(p)) << c << " " << p;
                EXPECT_NEAR(future, c - p, 1e-9);
                // The tree's sums round to about 1e-13 of the share.
                EXPECT_GE(c, last_call - 1e-10) << c - last_call;
                EXPECT_LE(c, share + 1e-10) << c - share;
                last_call = c;
            }
            EXPECT_NEAR(share, last_call, 1e-12) << "strike " << strike;
        }
    }
}

// A future's price is the forward's, known in closed form: nothing else moves it.
TEST_F(BinomialTreePricerTest, FuturesAreValuedInClosedForm) {
    for (double vol : {0.0, 0.2, 45.0, 1e6}) {
        for (double r : {-0.02, 0.05}) {
            for (int minutes : {DAY, YEAR, 10 * YEAR}) {
                const double tau = static_cast<double>(minutes) / YEAR;
                const Market m = market(100, vol, r, 0.025);
                const Future future(95, after(minutes));
                SCOPED_TRACE(::testing::Message() << "vol " << vol << " rate " << r << " tau " << tau);
                EXPECT_NEAR(100 * std::exp(-0.025 * tau) - 95 * std::exp(-r * tau), pricer.price(m, future), 1e-12);
                EXPECT_EQ(0, pricer.gamma(m, future));
                EXPECT_EQ(0, pricer.vega(m, future));
                EXPECT_NEAR(std::exp(-0.025 * tau), pricer.delta(m, future), 1e-12);
                EXPECT_NEAR(95 * (std::exp(-(r - 0.005) * tau) - std::exp(-(r + 0.005) * tau)), pricer.rho(m, future),
                            1e-12);
            }
        }
    }
}

TEST_F(BinomialTreePricerTest, OneYearAtTheMoneyCallWithoutDividendsIsAboutTenFortyFive) {
    EXPECT_NEAR(10.45, pricer.price(market(100, 0.2, 0.05, 0), Call(100, after(YEAR))), 0.01);
}

TEST_F(BinomialTreePricerTest, NegativeTotalVolatilityIsRefusedAtItsStrike) {
    // The skew takes the volatility below zero above a strike of 120.
    const Market m = market(100, 0.2, 0.05, 0.025, Smile(100, -0.01, 0));
    EXPECT_NO_THROW(pricer.price(m, Call(120, after(YEAR))));
    try {
        pricer.price(m, Call(125.5, after(YEAR)));
        ADD_FAILURE() << "no refusal";
    } catch (const QuorvaException& e) {
        EXPECT_STREQ("Negative volatility at strike 125.5", e.what());
    }
}

// Far from the money, or with a spread too narrow or too wide for the tree,
// the price is the limit the tree tends to, never NaN or infinity.
TEST_F(BinomialTreePricerTest, EveryFiniteMarketGivesAFinitePrice) {
    const double levels[] = {1e-300, 1e-6, 100, 1e6, 1e300};
    const double moneyness[] = {0, 1e-300, 0.5, 1, 2, 1e300};
    const double vols[] = {0, 1e-12, 0.2, 3, 100, 1e6};
    const double rates[] = {-0.2, 0, 0.2};
    for (double level : levels) {
        for (double share : moneyness) {
            const double strike = std::min(level * share, 1e300);
            for (double vol : vols) {
                for (double r : rates) {
                    const Market m = market(level, vol, r, 0.025);
                    for (int minutes : {1, YEAR, 10 * YEAR}) {
                        for (Kind kind : ALL_KINDS) {
                            const usr::P<Instrument> instrument = make(kind, strike, after(minutes));
                            const double price = pricer.price(m, *instrument);
                            ASSERT_TRUE(std::isfinite(price))
                                << describe(*instrument) << " level " << level << " vol " << vol
                                << " rate " << r << " minutes " << minutes << ": " << price;
                        }
                    }
                }
            }
        }
    }
    // A vast volatility leaves a call its share of the index, a put its strike.
    const Market wild = market(100, 1e6, 0.05, 0.025);
    EXPECT_NEAR(100 * std::exp(-0.025), pricer.price(wild, Call(100, after(YEAR))), 1e-12);
    EXPECT_NEAR(100 * std::exp(-0.05), pricer.price(wild, Put(100, after(YEAR))), 1e-12);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(std::isnan(pricer.price(market(100, nan, 0.05, 0.025), Call(100, after(YEAR)))));
}

TEST_F(BinomialTreePricerTest, EvenStepCountsUseTheNextOddOne) {
    EXPECT_EQ(1001u, pricer.steps());
    EXPECT_EQ(1u, BinomialTreePricer(1).steps());
    EXPECT_EQ(3u, BinomialTreePricer(2).steps());
}

TEST(BinomialTreePricer, RefusesATreeWithoutStepsAndAMarketWithoutSchedule) {
    EXPECT_THROW(BinomialTreePricer(0), QuorvaException);
    BinomialTreePricer pricer(10);
    Market m = market(100, 0.2, 0.05, 0.025);
    m.trading_schedule() = usr::P<TradingSchedule>();
    EXPECT_THROW(pricer.price(m, Call(100, after(YEAR))), QuorvaException);
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
    m.trading_schedule() = ExchangeCalendar::lse();
    m.time() = Time(chrono::Date(2009, chrono::Date::MAR, 21), 12, 0);
    EXPECT_EQ(0, pricer.theta(m, Call(100, after(YEAR))));
}

TEST_F(BinomialTreePricerTest, AmericanPutMatchesTheConvergedValue) {
    // Trees of 20001 steps agree on 6.0904 to 1e-4.
    EXPECT_NEAR(6.0904, pricer.price(market(100, 0.2, 0.05, 0), Put(100, after(YEAR), true)), 1e-3);
}

// American options are worth at least the European ones and their payoff
// now; a call without dividends is never exercised early. The fast induction
// agrees with the one over the whole tree.
TEST_F(BinomialTreePricerTest, AmericanOptionsOverAGrid) {
    for (double q : {0.0, 0.03}) {
        for (double r : {0.05, -0.01}) {
            const Market m = market(100, 0.25, r, q);
            for (int minutes : {30 * DAY, YEAR, 3 * YEAR}) {
                for (double strike : {40.0, 90.0, 100.0, 115.0, 250.0}) {
                    for (bool call : {true, false}) {
                        const usr::P<Instrument> american =
                            call ? usr::P<Instrument>(new Call(strike, after(minutes), true))
                                 : usr::P<Instrument>(new Put(strike, after(minutes), true));
                        const usr::P<Instrument> european = make(call ? CALL : PUT, strike, after(minutes));
                        const double value = pricer.price(m, *american);
                        const double plain = pricer.price(m, *european);
                        SCOPED_TRACE(::testing::Message() << describe(*american) << " r " << r << " q " << q);
                        EXPECT_GE(value, plain - 1e-9);
                        EXPECT_GE(value, american->payoff(100));
                        const double whole = pricer.price_by_induction(m, *american);
                        EXPECT_NEAR(whole, pricer.price_by_fast_induction(m, *american), 1e-9);
                        // The tree's own error at its steps.
                        EXPECT_NEAR(whole, value, 4e-3);
                        if (call && q == 0 && r > 0) {
                            EXPECT_NEAR(plain, value, 1e-9);
                        }
                    }
                }
            }
        }
    }
}

TEST_F(BinomialTreePricerTest, AmericanWithoutVolatilityTakesTheBestCertainExercise) {
    // The put is worth most exercised at once, the call with a high yield too.
    EXPECT_DOUBLE_EQ(10, pricer.price(market(90, 0, 0.05, 0), Put(100, after(YEAR), true)));
    EXPECT_DOUBLE_EQ(10, pricer.price(market(110, 0, 0.01, 0.2), Call(100, after(YEAR), true)));
    // Without a reason to exercise early, the European value at the forward.
    const double forward = 110 * std::exp(0.05);
    EXPECT_NEAR(std::exp(-0.05) * (forward - 100), pricer.price(market(110, 0, 0.05, 0), Call(100, after(YEAR), true)),
                1e-9);
}

}  // namespace
}  // namespace quorva
