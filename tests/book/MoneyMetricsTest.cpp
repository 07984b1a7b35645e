// The money metrics against the closed form: value and pnl of long and short
// positions at several multipliers, cashdelta and cashgamma against the same
// differences of closed-form values, and what pnl leaves out.

#include "book/LazyMetric.h"
#include "tests/model/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace quorva;
using test::black_scholes;

const double LEVEL = 100, VOL = 0.2, RATE = 0.05, YIELD = 0.02;
const int DAYS = 91;

double closed_form(test::Kind kind, double strike, double level) {
    return black_scholes(kind, level, strike, VOL, RATE, YIELD, DAYS * double(test::DAY) / test::YEAR);
}

TEST(MoneyMetrics, AgreeWithTheClosedFormForLongAndShortPositionsAtEveryMultiplier) {
    BinomialTreePricer pricer(1001);
    const Market market = test::market(LEVEL, VOL, RATE, YIELD);
    const double trade = 3.25;
    for (const test::Kind kind : {test::CALL, test::PUT, test::FUTURE}) {
        for (const double strike : {90.0, 100.0, 110.0}) {
            for (const double quantity : {2.0, -3.0}) {
                for (const double multiplier : {1.0, 10.0, 100.0}) {
                    Position position(quantity, test::make(kind, strike, test::after(DAYS * test::DAY)));
                    position.trade_price = trade;
                    const auto metric = [&](LazyMetric::Metric m) {
                        return LazyMetric(pricer, market, position, m, multiplier).eval();
                    };
                    const auto at = [&](double factor) { return closed_form(kind, strike, LEVEL * factor); };
                    const double scale = std::fabs(quantity) * multiplier;
                    const std::string what = test::describe(*position.second) + " x" + std::to_string(quantity) +
                                             " m" + std::to_string(multiplier);
                    EXPECT_NEAR(quantity * at(1) * multiplier, metric(LazyMetric::VALUE), 2e-4 * scale) << what;
                    EXPECT_NEAR(quantity * (at(1) - trade) * multiplier, metric(LazyMetric::PNL), 2e-4 * scale)
                        << what;
                    EXPECT_NEAR(quantity * (at(1.005) - at(0.995)) * multiplier, metric(LazyMetric::CASHDELTA),
                                2e-4 * scale)
                        << what;
                    EXPECT_NEAR(quantity * (at(1.01) - 2 * at(1) + at(0.99)) * multiplier,
                                metric(LazyMetric::CASHGAMMA), 2e-4 * scale)
                        << what;
                    // The six keep their meaning, in index points per unit.
                    EXPECT_EQ(quantity * pricer.price(market, *position.second), metric(LazyMetric::PRICE)) << what;
                }
            }
        }
    }
}

TEST(MoneyMetrics, PnlLeavesOutPositionsWithoutATradePriceAndSaysHowMany) {
    BinomialTreePricer pricer(101);
    const Market market = test::market(LEVEL, VOL, RATE, YIELD);
    // Only the first position has a trade price: the pnl is its own, in currency.
    const Time expiry = test::after(DAYS * test::DAY);
    Portfolio portfolio = {Position(1.0, test::make(test::CALL, 100, expiry)),
                           Position(-2.0, test::make(test::PUT, 95, expiry)),
                           Position(4.0, test::make(test::CALL, 120, expiry))};
    portfolio[0].trade_price = 1.5;
    const double call = pricer.price(market, *portfolio[0].second);
    const LazyMetric pnl(pricer, market, portfolio, LazyMetric::PNL, 10);
    EXPECT_DOUBLE_EQ((call - 1.5) * 10, pnl.eval());
    EXPECT_EQ(2u, pnl.left_out());
    EXPECT_EQ(0u, LazyMetric(pricer, market, portfolio, LazyMetric::VALUE, 10).left_out());
    EXPECT_EQ(1u, LazyMetric(pricer, market, portfolio[1], LazyMetric::PNL, 10).left_out());
    EXPECT_EQ(LazyMetric::CASHGAMMA, LazyMetric::parse_metric("CashGamma"));
    EXPECT_EQ(6u, LazyMetric::all().size());
}

}  // namespace
