#include "model/BinomialTreePricer.h"

#include "tests/model/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace quorva {
namespace {

using namespace test;

const Kind ALL_KINDS[] = {CALL, PUT, FUTURE, DIGITAL_UP, DIGITAL_DOWN};

/// Strikes as multiples of the leaves' spread, from deep in to deep out of
/// the money; 0 is the level itself, a leaf of the tree.
const double MONEYNESS[] = {-8, -3, -1, 0, 0.5, 3, 8};

const double AGREEMENT = 1e-12;
/// Prices below this share of the largest discounted payoff count as 0.
const double NEAR_ZERO = 1e-9;

/// Compares price with price_by_induction over every kind and strike of one
/// market and maturity.
class Agreement {
public:
    explicit Agreement(unsigned steps) : pricer_(steps) {}

    /// The tree's p for a call at the level.
    double p(const Market& market, int minutes) const {
        return pricer_.geometry(market, Call(market.level(), after(minutes))).p;
    }

    void check(const Market& market, int minutes) {
        const Time expiry = after(minutes);
        const BinomialTreePricer::Geometry shape =
            pricer_.geometry(market, Call(market.level(), expiry));
        const double spread = std::fabs(shape.log_step) * std::sqrt(shape.steps);
        for (double moneyness : MONEYNESS) {
            const double strike = market.level() * std::exp(moneyness * spread);
            // A future's rounding is that of its two halves, the call and the put.
            double halves = 0;
            for (Kind kind : ALL_KINDS) {
                const usr::P<Instrument> instrument = make(kind, strike, expiry);
                const double expected = pricer_.price_by_induction(market, *instrument);
                if (kind == CALL || kind == PUT) halves += expected;
                const double magnitude = kind == FUTURE ? halves : std::fabs(expected);

                const BinomialTreePricer::Geometry g = pricer_.geometry(market, *instrument);
                const double largest = g.flat_discount *
                                       std::max(std::fabs(instrument->payoff(g.leaf(0))),
                                                std::fabs(instrument->payoff(g.leaf(g.steps))));
                const double tolerance = AGREEMENT * std::max(magnitude, NEAR_ZERO * largest);
                EXPECT_NEAR(expected, pricer_.price(market, *instrument), tolerance)
                    << describe(*instrument) << " steps " << g.steps << " vol "
                    << market.volatility() << " rate " << market.rate() << " yield "
                    << market.div_yield() << " minutes " << minutes << " p " << g.p;
            }
        }
    }

private:
    BinomialTreePricer pricer_;
};

TEST(FastEvaluation, AgreesWithTheInductionOverAGrid) {
    const double vols[] = {0.01, 0.2, 1.0, 3.0};
    const int maturities[] = {1, DAY, YEAR, 10 * YEAR};
    // Both signs of rate and yield, on an even and an odd number of steps.
    const std::pair<double, double> rates[] = {{0.05, 0.025}, {-0.02, -0.04}};
    Agreement even(200);
    Agreement odd(201);
    for (double vol : vols) {
        for (int minutes : maturities) {
            even.check(market(100, vol, rates[0].first, rates[0].second), minutes);
            odd.check(market(100, vol, rates[1].first, rates[1].second), minutes);
        }
    }
    // The console's tree.
    Agreement console(1000);
    for (double vol : {0.2, 3.0}) {
        for (int minutes : {1, YEAR}) console.check(market(100, vol, -0.01, 0.03), minutes);
    }
}

// A large |r - q| against a small volatility over a long life pushes p to
// the ends of (0, 1): the weights fall off steeply from a leaf at the edge.
TEST(FastEvaluation, AgreesWithTheInductionForPNearZeroAndOne) {
    struct Case {
        unsigned steps;
        int minutes;
        double p;
    };
    const Case cases[] = {
        {200, YEAR, 1e-9},     {200, YEAR, 1e-4},        {200, YEAR, 1 - 1e-4},
        {200, YEAR, 1 - 1e-9}, {1000, 10 * YEAR, 1e-9}, {1000, 10 * YEAR, 1 - 1e-9},
    };
    const double vol = 0.01;
    const double q = 0.01;
    for (const Case& c : cases) {
        // The rate at which the tree's p is c.p.
        const double dt = static_cast<double>(c.minutes) / YEAR / c.steps;
        const double up = std::exp(vol * std::sqrt(dt));
        const double r = q + std::log(1 / up + c.p * (up - 1 / up)) / dt;
        const Market m = market(100, vol, r, q);
        Agreement agreement(c.steps);
        ASSERT_NEAR(c.p, agreement.p(m, c.minutes), 1e-3 * std::min(c.p, 1 - c.p))
            << "steps " << c.steps << " rate " << r;
        agreement.check(m, c.minutes);
    }
}

TEST(FastEvaluation, OutsideTheUnitIntervalPIsTheInduction) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    BinomialTreePricer pricer(200);
    // p above 1, below 0, NaN, and 0 with an infinite up step.
    const Market markets[] = {market(100, 0.001, 0.5, 0), market(100, 0.001, -0.5, 0),
                              market(100, nan, 0.05, 0.025),
                              market(100, std::numeric_limits<double>::infinity(), 0.05, 0.025)};
    for (const Market& m : markets) {
        for (Kind kind : ALL_KINDS) {
            const usr::P<Instrument> instrument = make(kind, 100, after(YEAR));
            const double p = pricer.geometry(m, *instrument).p;
            ASSERT_FALSE(p > 0 && p < 1) << "vol " << m.volatility() << " rate " << m.rate();
            const double expected = pricer.price_by_induction(m, *instrument);
            const double got = pricer.price(m, *instrument);
            if (std::isnan(expected)) {
                EXPECT_TRUE(std::isnan(got)) << describe(*instrument) << " p " << p;
            } else {
                EXPECT_EQ(expected, got) << describe(*instrument) << " p " << p;
            }
        }
    }
}

// A digital struck at the level sits on the middle leaf of an even tree and
// between two leaves of an odd one; its price jumps if a leaf crosses it. A
// strong drift puts the most likely leaf far from the middle one.
TEST(FastEvaluation, DigitalsStruckAtTheLevelAgreeOnEvenAndOddTrees) {
    const Market markets[] = {market(100, 0.2, 0.05, 0.025), market(100, 0.05, 0.25, 0)};
    for (unsigned steps : {999u, 1000u}) {
        BinomialTreePricer pricer(steps);
        for (const Market& m : markets) {
            for (int minutes : {DAY, YEAR, 5 * YEAR}) {
                for (Kind kind : {DIGITAL_UP, DIGITAL_DOWN}) {
                    const usr::P<Instrument> instrument = make(kind, 100, after(minutes));
                    const double expected = pricer.price_by_induction(m, *instrument);
                    EXPECT_NEAR(expected, pricer.price(m, *instrument), AGREEMENT * expected)
                        << describe(*instrument) << " steps " << steps << " vol "
                        << m.volatility() << " rate " << m.rate();
                }
            }
        }
    }
}

}  // namespace
}  // namespace quorva
