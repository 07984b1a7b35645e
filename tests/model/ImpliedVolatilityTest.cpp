#include "model/BinomialTreePricer.h"

#include "tests/model/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace quorva {
namespace {

using namespace test;

const double NOT_FOUND = std::numeric_limits<double>::max();

class ImpliedVolatilityTest : public ::testing::Test {
protected:
    BinomialTreePricer pricer{1001};
};

// Cases where the price moves with the volatility over the whole bracket: a
// future never does, and a digital only when the forward lies beyond its
// strike on its paying side.
TEST_F(ImpliedVolatilityTest, TreePricesGiveTheirVolatilityBack) {
    struct Family {
        Kind kind;
        std::vector<double> strikes;
    };
    const Family families[] = {{CALL, {80, 100, 125}},
                               {PUT, {75, 100, 120}},
                               {DIGITAL_UP, {70, 95}},
                               {DIGITAL_DOWN, {70, 95}}};
    int checked = 0;
    for (const Family& family : families) {
        for (double strike : family.strikes) {
            for (int minutes : {30 * DAY, 2 * YEAR}) {
                for (double vol : {0.05, 0.3, 0.8, 1.5}) {
                    const double tau = static_cast<double>(minutes) / YEAR;
                    // Too flat a price pins no volatility down.
                    if (black_scholes_vega(family.kind, 100, strike, vol, 0.05, 0.025, tau) < 0.05)
                        continue;
                    const usr::P<Instrument> instrument = make(family.kind, strike, after(minutes));
                    Market m = market(100, vol, 0.05, 0.025);
                    const double price = pricer.price(m, *instrument);
                    m.volatility() = 0.2;
                    EXPECT_NEAR(vol, pricer.implvol(m, *instrument, price), 1e-4)
                        << describe(*instrument) << " priced " << price;
                    ++checked;
                }
            }
        }
    }
    EXPECT_GT(checked, 40);
}

TEST_F(ImpliedVolatilityTest, PricesOutOfReachGiveTheMarker) {
    const Market m = market(100, 0.2, 0.05, 0.025);
    for (Kind kind : {CALL, PUT}) {
        const usr::P<Instrument> instrument = make(kind, 90, after(YEAR));
        Market extreme(m);
        extreme.volatility() = 10.0;
        const double highest = pricer.price(extreme, *instrument);
        extreme.volatility() = 0.0001;
        const double lowest = pricer.price(extreme, *instrument);
        EXPECT_EQ(NOT_FOUND, pricer.implvol(m, *instrument, highest + 0.01))
            << describe(*instrument) << " above " << highest;
        EXPECT_EQ(NOT_FOUND, pricer.implvol(m, *instrument, lowest - 0.01))
            << describe(*instrument) << " below " << lowest;
        EXPECT_EQ(NOT_FOUND, pricer.implvol(m, *instrument, NOT_FOUND)) << describe(*instrument);
        EXPECT_EQ(NOT_FOUND,
                  pricer.implvol(m, *instrument, std::numeric_limits<double>::quiet_NaN()))
            << describe(*instrument);
    }
    // A future's price does not depend on the volatility at all.
    EXPECT_EQ(NOT_FOUND, pricer.implvol(m, Future(90, after(YEAR)), 5));
}

// From 0.01% to 1000%: prices at volatilities beyond 200% invert too.
TEST_F(ImpliedVolatilityTest, TheWholeRangeGivesItsVolatilityBack) {
    const std::pair<double, double> cases[] = {{100, 0.0005}, {110, 2.5}, {110, 5.0}, {110, 9.0}};
    for (Kind kind : {CALL, PUT}) {
        for (const auto& [strike, vol] : cases) {
            const usr::P<Instrument> instrument = make(kind, strike, after(30 * DAY));
            // The rate and yield keep the forward at the strike of the lowest volatility.
            const double price = pricer.price(market(100, vol, 0.03, 0.03), *instrument);
            EXPECT_NEAR(vol, pricer.implvol(market(100, 0.2, 0.03, 0.03), *instrument, price), 1e-5 * vol)
                << describe(*instrument) << " priced " << price;
        }
    }
}

// Struck above the forward, a digital up rises and then falls with the
// volatility, a digital down falls and then rises: of the two volatilities
// that give its price, the one nearer the market's own at the strike, smile
// included.
TEST_F(ImpliedVolatilityTest, ADigitalTakesTheRootNearerTheMarketsVolatility) {
    for (Kind kind : {DIGITAL_UP, DIGITAL_DOWN}) {
        const usr::P<Instrument> digital = make(kind, 120, after(YEAR));
        const double price = pricer.price(market(100, 0.2, 0.05, 0.025), *digital);
        const double low = pricer.implvol(market(100, 0.25, 0.05, 0.025), *digital, price);
        const double high = pricer.implvol(market(100, 2.0, 0.05, 0.025), *digital, price);
        SCOPED_TRACE(describe(*digital));
        EXPECT_NEAR(0.2, low, 1e-5);
        EXPECT_GT(high, 0.5);
        EXPECT_NEAR(price, pricer.price(market(100, high, 0.05, 0.025), *digital), 1e-4);
        // A smile that lifts the volatility at the strike near the higher root.
        const Smile smile(Smile::STICKY_DELTA, 0, (high - 0.3) / 400);
        EXPECT_EQ(high, pricer.implvol(market(100, 0.3, 0.05, 0.025, smile), *digital, price));
    }
}

TEST_F(ImpliedVolatilityTest, TheMarketSmileIsIgnored) {
    const Put put(110, after(YEAR));
    const Market flat = market(100, 0.2, 0.05, 0.025);
    const double price = pricer.price(market(100, 0.35, 0.05, 0.025), put);
    const double expected = pricer.implvol(flat, put, price);
    EXPECT_NEAR(0.35, expected, 1e-4);
    for (const Smile& smile : {Smile(Smile::STICKY_DELTA, -0.002, 0.0001), Smile(90, 0.003, 0)}) {
        const Market skewed = market(100, 0.2, 0.05, 0.025, smile);
        EXPECT_EQ(expected, pricer.implvol(skewed, put, price))
            << "smile at " << smile.strike() << " skew " << smile.skew();
        EXPECT_EQ(smile.skew(), skewed.smile().skew());
        EXPECT_EQ(0.2, skewed.volatility());
    }
}

}  // namespace
}  // namespace quorva
