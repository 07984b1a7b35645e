#include "model/AmericanBoundaryEngine.h"
#include "model/BinomialTreePricer.h"

#include "tests/model/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace quorva {
namespace {

using namespace test;

/// The American value from an engine: the closed-form European value plus the
/// premium, or the payoff where the level lies in the exercise region.
double american_value(AmericanBoundaryEngine& engine, bool call, double strike, double tau, double rate,
                      double yield, double volatility) {
    const double level = 100;
    const double payoff = std::max(call ? level - strike : strike - level, 0.0);
    const double european = black_scholes(call ? CALL : PUT, level, strike, volatility, rate, yield, tau);
    if (!AmericanBoundaryEngine::has_one_boundary(call, rate, yield)) return european;
    const std::optional<double> premium = engine.premium(call, level, strike, tau, rate, yield, volatility);
    return premium ? std::max(european + *premium, payoff) : payoff;
}

// 300 calls and puts: strikes 80 to 120, volatilities 10% to 40%, a month to
// three years, rates 1% and 5%, yields 0 to 5%. The reference is the fine
// setting, which agrees with trees of 20001 and 40001 steps extrapolated to
// 5e-6 over the grid (and with the spot checks below). The pricer's price is
// never below the European value nor the payoff.
TEST(AmericanBoundaryEngineTest, StandardSettingAgreesWithTheFineOneOverAGrid) {
    AmericanBoundaryEngine standard;
    AmericanBoundaryEngine fine(AmericanBoundaryEngine::FINE);
    BinomialTreePricer pricer(1001);
    const double yields[] = {0, 0.025, 0.05};
    double worst = 0;
    double squares = 0;
    int count = 0;
    for (bool call : {false, true}) {
        for (double strike : {80.0, 90.0, 100.0, 110.0, 120.0}) {
            for (double volatility : {0.1, 0.25, 0.4}) {
                for (int minutes : {30 * DAY, 91 * DAY, 182 * DAY, YEAR, 3 * YEAR}) {
                    for (double rate : {0.01, 0.05}) {
                        const double yield = yields[count % 3];
                        const double tau = static_cast<double>(minutes) / YEAR;
                        const double error = american_value(standard, call, strike, tau, rate, yield, volatility) -
                                             american_value(fine, call, strike, tau, rate, yield, volatility);
                        SCOPED_TRACE(::testing::Message() << (call ? "call " : "put ") << strike << " vol "
                                                          << volatility << " tau " << tau << " r " << rate
                                                          << " q " << yield);
                        EXPECT_LE(std::fabs(error), 1e-4);
                        worst = std::max(worst, std::fabs(error));
                        squares += error * error;
                        ++count;

                        const Market m = market(100, volatility, rate, yield);
                        const Call american_call(strike, after(minutes), true);
                        const Put american_put(strike, after(minutes), true);
                        const Instrument& american = call ? static_cast<const Instrument&>(american_call)
                                                          : static_cast<const Instrument&>(american_put);
                        const double value = pricer.price(m, american);
                        EXPECT_GE(value, pricer.price(m, *make(call ? CALL : PUT, strike, after(minutes))));
                        EXPECT_GE(value, american.payoff(100));
                    }
                }
            }
        }
    }
    EXPECT_EQ(300, count);
    EXPECT_LE(std::sqrt(squares / count), 1e-5) << "worst " << worst;
}

// The fine setting against trees of 2001 and 4003 steps, extrapolated as a
// first-order error.
TEST(AmericanBoundaryEngineTest, FineSettingMatchesTheExtrapolatedTree) {
    struct Case {
        bool call;
        double strike, volatility;
        int minutes;
        double rate, yield;
    };
    const Case cases[] = {{false, 100, 0.2, YEAR, 0.05, 0},
                          {false, 110, 0.3, 3 * YEAR, 0.05, 0.02},
                          {true, 100, 0.2, YEAR, 0.01, 0.05}};
    AmericanBoundaryEngine fine(AmericanBoundaryEngine::FINE);
    BinomialTreePricer coarse(2001);
    BinomialTreePricer finer(4003);
    for (const Case& c : cases) {
        const Market m = market(100, c.volatility, c.rate, c.yield);
        const Call call(c.strike, after(c.minutes), true);
        const Put put(c.strike, after(c.minutes), true);
        const Instrument& american = c.call ? static_cast<const Instrument&>(call) : put;
        const double extrapolated =
            2 * finer.price_by_fast_induction(m, american) - coarse.price_by_fast_induction(m, american);
        const double tau = static_cast<double>(c.minutes) / YEAR;
        EXPECT_NEAR(extrapolated, american_value(fine, c.call, c.strike, tau, c.rate, c.yield, c.volatility), 2e-5)
            << describe(american);
    }
}

// Over levels 80 to 120 in steps of 0.1, a one-year at-the-money American
// put's gamma peaks once and its delta only rises.
TEST(AmericanBoundaryEngineTest, PutGammaHasOnePeakAndDeltaRises) {
    BinomialTreePricer pricer(1001);
    const Put put(100, after(YEAR), true);
    std::vector<double> gammas;
    double last_delta = -2;
    for (int tenth = 800; tenth <= 1200; ++tenth) {
        const Market m = market(tenth / 10.0, 0.2, 0.05, 0);
        gammas.push_back(pricer.gamma(m, put));
        const double delta = pricer.delta(m, put);
        EXPECT_GE(delta, last_delta) << "level " << tenth / 10.0;
        last_delta = delta;
    }
    int peaks = 0;
    for (std::size_t i = 1; i + 1 < gammas.size(); ++i) {
        if (gammas[i] > gammas[i - 1] && gammas[i] >= gammas[i + 1]) ++peaks;
    }
    EXPECT_EQ(1, peaks);
}

// Where the exercise region has no single boundary, or no early exercise pays,
// or no time or volatility is left: the European twin, the tree's induction or
// the payoff.
TEST(AmericanBoundaryEngineTest, FallsBackWhereNoOneBoundaryHolds) {
    enum Expect { EUROPEAN, INDUCTION, PAYOFF };
    struct Case {
        const char* what;
        bool call;
        double strike, volatility;
        int minutes;
        double rate, yield;
        Expect expect;
    };
    const Case cases[] = {
        {"put at a negative rate", false, 110, 0.2, YEAR, -0.01, 0.02, EUROPEAN},
        {"call without yield", true, 90, 0.2, YEAR, 0.05, 0, EUROPEAN},
        {"call at a negative yield", true, 100, 0.2, YEAR, 0.05, -0.01, INDUCTION},
        {"put at a negative rate and yield", false, 100, 0.2, YEAR, -0.01, -0.03, INDUCTION},
        {"put at a rate far above the variance", false, 100, 0.02, YEAR, 0.2, 0, INDUCTION},
        {"expired put", false, 110, 0.2, -DAY, 0.05, 0, PAYOFF},
        {"put without volatility", false, 110, 0, YEAR, 0.05, 0, PAYOFF},
    };
    BinomialTreePricer pricer(1001);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Market m = market(100, c.volatility, c.rate, c.yield);
        const Call call(c.strike, after(c.minutes), true);
        const Put put(c.strike, after(c.minutes), true);
        const Instrument& american = c.call ? static_cast<const Instrument&>(call) : put;
        const double value = pricer.price(m, american);
        const double european = pricer.price(m, *make(c.call ? CALL : PUT, c.strike, after(c.minutes)));
        switch (c.expect) {
        case EUROPEAN: EXPECT_NEAR(european, value, 1e-12); break;
        case INDUCTION:
            EXPECT_EQ(std::max(pricer.price_by_fast_induction(m, american), european), value);
            EXPECT_GT(value, american.payoff(100));
            break;
        case PAYOFF: EXPECT_EQ(american.payoff(100), value); break;
        }
    }
}

// The fast induction skips only nodes whose binomial tails cannot move the
// price: it agrees with the whole tree over small trees, far strikes and
// strong drifts, and never falls below the European value.
TEST(AmericanBoundaryEngineTest, FastInductionAgreesWithTheWholeTree) {
    const double markets[][3] = {{0.25, 0.05, 0}, {0.01, 0.5, 0}, {1.0, 0, 0.5}, {0.25, -0.01, 0.03}};
    for (unsigned steps : {1u, 3u, 11u, 51u, 301u}) {
        BinomialTreePricer pricer(steps);
        for (const auto& numbers : markets) {
            const Market m = market(100, numbers[0], numbers[1], numbers[2]);
            for (int minutes : {30 * DAY, 3 * YEAR}) {
                for (double strike : {5.0, 40.0, 100.0, 250.0}) {
                    for (bool call : {true, false}) {
                        const Call american_call(strike, after(minutes), true);
                        const Put american_put(strike, after(minutes), true);
                        const Instrument& american = call ? static_cast<const Instrument&>(american_call)
                                                          : static_cast<const Instrument&>(american_put);
                        const double fast = pricer.price_by_fast_induction(m, american);
                        SCOPED_TRACE(::testing::Message() << describe(american) << " steps " << steps << " vol "
                                                          << numbers[0] << " r " << numbers[1] << " q "
                                                          << numbers[2]);
                        EXPECT_NEAR(pricer.price_by_induction(m, american), fast, 1e-9);
                        const double european =
                            pricer.price_by_induction(m, *make(call ? CALL : PUT, strike, after(minutes)));
                        EXPECT_GE(fast, european - 1e-12);
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace quorva
