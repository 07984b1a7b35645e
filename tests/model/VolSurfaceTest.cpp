#include "model/VolSurface.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace quorva {
namespace {

using test::after;
using test::DAY;

// Two expiries, a month and a year out on continuous trading: total
// variance and tau * yield are linear in trading time between them, and the
// volatility at fixed log-moneyness is that of the nearer expiry outside them.
TEST(VolSurfaceTest, InterpolatesInTotalVarianceOverTradingTime) {
    const double month = 30.0 / 365;
    const double year = 1;
    const SviSmile near{0.002, 0.03, -0.7, 0.02, 0.05};
    const SviSmile far{0.03, 0.1, -0.6, 0.05, 0.2};
    const VolSurface surface(0.2, 0.025,
                             {{after(365 * DAY), year, 0.03, far, 0, 0, {}},
                              {after(30 * DAY), month, 0.01, near, 0, 0, {}}});
    const TradingSchedule& schedule = *ContinuousTrading::instance();
    // The same surface keeping its spans for the schedule places alike.
    const VolSurface kept(0.2, 0.025, surface.slices(), ContinuousTrading::instance());
    for (int days : {1, 30, 90, 200, 365, 500}) {
        const VolSurface::Place place = surface.place(schedule, after(days * DAY));
        EXPECT_EQ(place.weight, kept.place(schedule, after(days * DAY)).weight) << days;
        const double tau = days / 365.0;
        const double theta = std::min(std::max((tau - month) / (year - month), 0.0), 1.0);
        const double fitted_tau = days < 30 ? month : days > 365 ? year : tau;
        EXPECT_NEAR(fitted_tau, place.tau, 1e-12) << days;
        EXPECT_NEAR((1 - theta) * month * 0.01 + theta * year * 0.03, place.tau * place.yield, 1e-12) << days;
        for (double k : {-0.4, -0.1, 0.0, 0.15, 0.3}) {
            const double variance = (1 - theta) * near.variance(k) + theta * far.variance(k);
            const double expected = std::sqrt(variance / (days < 30 ? month : days > 365 ? year : tau));
            EXPECT_NEAR(expected, surface.volatility(place, k), 1e-12) << days << " days, k " << k;
        }
    }

    // The market takes log-moneyness against its forward, and moves the
    // surface by its changes of volatility and yield since the fit.
    Market market = test::market(100, 0.22, 0.05, 0.03, Smile(100, 0, 0));
    market.surface() = usr::P<const VolSurface>(new VolSurface(surface));
    const Market::Local local = market.local(90, after(365 * DAY));
    EXPECT_NEAR(0.035, local.div_yield, 1e-15);
    EXPECT_NEAR(std::sqrt(far.variance(std::log(0.9) - (0.05 - 0.035))) + 0.02, local.volatility, 1e-12);
    EXPECT_EQ(1, local.tau);
}

}  // namespace
}  // namespace quorva
