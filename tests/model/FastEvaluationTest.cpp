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

const Kind TREE_KINDS[] = {CALL, PUT, DIGITAL_UP, DIGITAL_DOWN};

/// Strikes as multiples of the leaves' spread, from deep in to deep out of
/// the money; 0 is the level itself.
const double MONEYNESS[] = {-8, -3, -1, 0, 0.5, 3, 8};

const double AGREEMENT = 1e-12;
/// Prices below this share of the largest discounted payoff count as 0.
const double NEAR_ZERO = 1e-9;

/// Compares price with price_by_induction over every kind and strike of one
/// market and maturity.
class Agreement {
public:
    explicit Agreement(unsigned steps) : pricer_(steps) {}

    /// Every strike of MONEYNESS.
    void check(const Market& market, int minutes) {
        const BinomialTreePricer::Geometry shape =
            pricer_.geometry(market, Call(market.level(), after(minutes)));
        const double spread = (shape.log_up - shape.log_down) / 2 * std::sqrt(shape.steps);
        for (double moneyness : MONEYNESS)
            check(market, minutes, market.level() * std::exp(moneyness * spread));
    }

    void check(const Market& market, int minutes, double strike) {
        const Time expiry = after(minutes);
        // A future is valued in closed form, not on the tree.
        for (Kind kind : TREE_KINDS) {
            const usr::P<Instrument> instrument = make(kind, strike, expiry);
            const double expected = pricer_.price_by_induction(market, *instrument);
            const double magnitude = std::fabs(expected);

            const BinomialTreePricer::Geometry g = pricer_.geometry(market, *instrument);
            const double largest = std::pow(g.discount, g.steps) *
                                   std::max(std::fabs(instrument->payoff(g.leaf(0))),
                                            std::fabs(instrument->payoff(g.leaf(g.steps))));
            const double tolerance = AGREEMENT * std::max(magnitude, NEAR_ZERO * largest);
            EXPECT_NEAR(expected, pricer_.price(market, *instrument), tolerance)
                << describe(*instrument) << " steps " << g.steps << " vol "
                << market.volatility() << " rate " << market.rate() << " yield "
                << market.div_yield() << " minutes " << minutes << " p " << g.p;
        }
    }

private:
    BinomialTreePricer pricer_;
};

TEST(FastEvaluation, AgreesWithTheInductionOverAGrid) {
    const double vols[] = {0.01, 0.2, 1.0, 3.0};
    const int maturities[] = {1, DAY, YEAR, 10 * YEAR};
    // Both signs of rate and yield, on a small and a large tree.
    const std::pair<double, double> rates[] = {{0.05, 0.025}, {-0.02, -0.04}};
    Agreement single(1);
    Agreement small(201);
    Agreement large(1001);
    for (double vol : vols) {
        for (int minutes : maturities) {
            single.check(market(100, vol, rates[0].first, rates[0].second), minutes);
            small.check(market(100, vol, rates[0].first, rates[0].second), minutes);
            large.check(market(100, vol, rates[1].first, rates[1].second), minutes);
        }
    }
    // A drift that swamps the volatility, either way.
    for (double r : {0.5, -0.5}) small.check(market(100, 0.001, r, 0), YEAR);
}

// A strike far from the forward, in units of the spread, pushes p to the
// ends of (0, 1): the weights fall off steeply from a leaf at the edge.
TEST(FastEvaluation, AgreesWithTheInductionForPNearZeroAndOne) {
    struct Case {
        unsigned steps;
        int minutes;
        double p;
    };
    const Case cases[] = {
        {201, YEAR, 1e-9},     {201, YEAR, 1e-4},        {201, YEAR, 1 - 1e-4},
        {201, YEAR, 1 - 1e-9}, {1001, 10 * YEAR, 1e-9}, {1001, 10 * YEAR, 1 - 1e-9},
    };
    const double vol = 0.2, r = 0.05, q = 0.01;
    for (const Case& c : cases) {
        // Inverts the tree's p = h(d2) for the d2, then the strike, that give c.p.
        const double n = c.steps;
        const double tail = std::min(c.p, 1 - c.p);
        const double s = 1 - 2 * tail;
        const double a = std::sqrt(-std::log1p(-s * s) / (n + 1.0 / 6));
        const double d2 = (c.p < 0.5 ? -a : a) * (n + 1.0 / 3 + 0.1 / (n + 1));
        const double tau = static_cast<double>(c.minutes) / YEAR;
        const double spread = vol * std::sqrt(tau);
        const double strike = 100 * std::exp((r - q) * tau - (d2 + spread / 2) * spread);
        const Market m = market(100, vol, r, q);
        Agreement agreement(c.steps);
        const BinomialTreePricer::Geometry g =
            BinomialTreePricer(c.steps).geometry(m, Call(strike, after(c.minutes)));
        ASSERT_NEAR(c.p, g.p, 1e-3 * tail) << "steps " << c.steps << " strike " << strike;
        ASSERT_NEAR(1 - c.p, g.q, 1e-3 * tail) << "steps " << c.steps << " strike " << strike;
        agreement.check(m, c.minutes, strike);
    }
}

// A digital's price jumps if a leaf crosses its strike. A strong drift puts
// the most likely leaf far from the middle one, next to the strike.
TEST(FastEvaluation, DigitalsStruckAtTheLevelAgreeWithTheInduction) {
    const Market markets[] = {market(100, 0.2, 0.05, 0.025), market(100, 0.05, 0.25, 0)};
    for (unsigned steps : {999u, 1001u}) {
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

/// A payoff that is no line on either side of its strike: a hundredth of the
/// square of the level.
class Square : public Instrument {
public:
    Square(double strike, Time expiry) : Instrument(strike, expiry) {}
    double payoff(double level) const override { return level * level / 100; }
    std::ostream& print(std::ostream& os) const override { return os << strike() << "S " << expiry(); }
};

TEST(FastEvaluation, APayoffOfNoLinesAgreesWithTheInduction) {
    BinomialTreePricer pricer(201);
    for (double vol : {0.2, 1.0}) {
        for (int minutes : {DAY, YEAR}) {
            const Market m = market(100, vol, 0.05, 0.025);
            const Square square(110, after(minutes));
            const double expected = pricer.price_by_induction(m, square);
            EXPECT_NEAR(expected, pricer.price(m, square), AGREEMENT * expected)
                << "vol " << vol << " minutes " << minutes;
        }
    }
}

}  // namespace
}  // namespace quorva
