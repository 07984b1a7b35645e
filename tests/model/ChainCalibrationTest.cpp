#include "model/ChainCalibration.h"

#include "TestSupport.h"
#include "SyntheticChain.h"

#include <gtest/gtest.h>

#include <cmath>

namespace quorva {
namespace {

using test::SyntheticChain;

const double POINTS = 0.01;

// The surface recovers the true one from quotes carrying noise, per expiry:
// the fit to the quotes, to the truth, the forwards, the density and the
// order of total variances across expiries.
TEST(ChainCalibrationTest, RecoversAKnownSurfaceFromNoisyQuotes) {
    BinomialTreePricer pricer(1001);
    const Market market = test::market(100, 0.2, 0.05, 0.025);
    const SyntheticChain chain(pricer, market, 25, 0.2 * POINTS);
    const ChainCalibration fit(pricer, market, chain.quotes);
    ASSERT_EQ(chain.expiries.size(), fit.expiries().size());
    const VolSurface& surface = *fit.surface();
    for (std::size_t i = 0; i < chain.expiries.size(); ++i) {
        const SyntheticChain::Expiry& truth = chain.expiries[i];
        const ChainCalibration::Expiry& row = fit.expiries()[i];
        const VolSurface::Slice& slice = surface.slices()[i];
        SCOPED_TRACE(testing::Message() << "expiry " << truth.expiry << ", tau " << truth.tau);
        EXPECT_EQ(SmileShape::SVI, row.shape);
        EXPECT_LE(row.rms, 0.25);
        EXPECT_NEAR(truth.forward, row.forward, 1e-4 * truth.forward);
        EXPECT_NEAR(truth.yield, row.yield, 1e-4 * truth.forward / (truth.forward * truth.tau));
        double squares = 0;
        for (const auto& point : slice.points) {
            const double k = std::log(point.first / truth.forward);
            const double error = (VolSurface::volatility(slice, std::log(point.first / row.forward)) -
                                  SyntheticChain::volatility(truth.tau, k)) / POINTS;
            squares += error * error;
        }
        EXPECT_LE(std::sqrt(squares / slice.points.size()), 0.15);
        const double low = std::log(slice.points.front().first / row.forward);
        const double high = std::log(slice.points.back().first / row.forward);
        EXPECT_GE(lowest_density_factor(slice.smile, low, high, 41), 0);
        EXPECT_FALSE(row.butterfly);
        EXPECT_FALSE(row.calendar);
        EXPECT_TRUE(row.misses.empty());
    }
}

}  // namespace
}  // namespace quorva
