#include "model/Smile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace quorva {
namespace {

TEST(Smile, FlatSmileGivesNoOffset) {
    const Smile flat(Smile::STICKY_DELTA, 0, 0);
    for (double strike : {0.0, 50.0, 100.0, 1e6})
        for (double level : {1.0, 100.0, 250.0})
            EXPECT_EQ(0, flat.eval(strike, level)) << "strike " << strike << " level " << level;
}

TEST(Smile, StickyDeltaIsCentredOnTheLevel) {
    Smile smile(Smile::STICKY_DELTA, -0.001, 0);
    EXPECT_NEAR(0.01, smile.eval(90, 100), 1e-15);
    EXPECT_NEAR(-0.01, smile.eval(110, 100), 1e-15);
    EXPECT_EQ(0, smile.eval(110, 110));

    const Smile convex(Smile::STICKY_DELTA, 0.002, 0.0001);
    for (double level : {80.0, 100.0, 120.0}) {
        EXPECT_EQ(0, convex.eval(level, level)) << level;
        EXPECT_NEAR(0.002 * 10 + 0.0001 * 100, convex.eval(level + 10, level), 1e-15) << level;
        EXPECT_NEAR(-0.002 * 10 + 0.0001 * 100, convex.eval(level - 10, level), 1e-15) << level;
    }
}

TEST(Smile, StickyStrikeIgnoresTheLevel) {
    const Smile smile(100, -0.001, 0.00001);
    for (double level : {50.0, 100.0, 120.0, Smile::STICKY_DELTA}) {
        EXPECT_NEAR(-0.01 + 0.001, smile.eval(110, level), 1e-15) << level;
        EXPECT_EQ(0, smile.eval(100, level)) << level;
    }
    const Smile not_a_number(std::numeric_limits<double>::quiet_NaN(), -0.001, 0);
    EXPECT_TRUE(std::isnan(not_a_number.eval(100, 100)));
}

TEST(Smile, SwitchesBetweenModes) {
    Smile smile(Smile::STICKY_DELTA, -0.001, 0);
    smile.set_sticky_strike(100);
    EXPECT_EQ(100, smile.strike());
    EXPECT_NEAR(-0.01, smile.eval(110, 120), 1e-15);
    smile.set_stick_delta();
    EXPECT_EQ(Smile::STICKY_DELTA, smile.strike());
    EXPECT_NEAR(0.01, smile.eval(110, 120), 1e-15);
    smile.set_sticky_strike(90);
    smile.set_sticky_strike(Smile::STICKY_DELTA);
    EXPECT_EQ(0, smile.eval(130, 130));
}

double on_curve(double strike, double level) {
    const double dx = strike - level;
    return 0.01 - 0.001 * dx + 0.00001 * dx * dx;
}

TEST(Smile, CalibrationRecoversAQuadratic) {
    for (double level : {100.0, 85.0}) {
        std::vector<std::pair<double, double> > points;
        for (double strike : {80.0, 100.0, 120.0}) points.emplace_back(strike, on_curve(strike, level));
        Smile smile(Smile::STICKY_DELTA, 0.5, 0.5);
        const double offset = smile.calibrate(points, level);
        SCOPED_TRACE(::testing::Message() << "level " << level);
        EXPECT_EQ(level, smile.strike());
        EXPECT_NEAR(0.01, offset, 1e-6);
        EXPECT_NEAR(-0.001, smile.skew(), 1e-7);
        EXPECT_NEAR(0.00001, smile.convexity(), 1e-8);
        for (const std::pair<double, double>& point : points)
            EXPECT_NEAR(point.second, offset + smile.eval(point.first, 1e9), 1e-6) << point.first;
    }
}

TEST(Smile, CalibrationToOneOrTwoStrikesFitsTheOffsetAndTheSkewExactly) {
    struct Row {
        std::vector<std::pair<double, double> > points;
        double offset, skew;
    };
    const Row rows[] = {
        // one strike away from the level: the mean, flat
        {{{110, 0.03}, {110, 0.01}}, 0.02, 0},
        // two strikes: the line through the mean at each, valued at the level
        {{{110, 0.01}, {90, 0.04}, {110, 0.03}}, 0.03, -0.001},
    };
    for (const Row& row : rows) {
        Smile smile(Smile::STICKY_DELTA, 0.5, 0.5);
        const double offset = smile.calibrate(row.points, 100);
        SCOPED_TRACE(::testing::Message() << "first strike " << row.points[0].first);
        EXPECT_EQ(100, smile.strike());
        EXPECT_NEAR(row.offset, offset, 1e-15);
        EXPECT_NEAR(row.skew, smile.skew(), 1e-15);
        EXPECT_EQ(0, smile.convexity());
    }
}

TEST(Smile, CalibrationToNoPointsIsFlatAtTheLevel) {
    Smile smile(Smile::STICKY_DELTA, -0.001, 0.0001);
    EXPECT_EQ(0, smile.calibrate(std::vector<std::pair<double, double> >(), 100));
    EXPECT_EQ(100, smile.strike());
    EXPECT_EQ(0, smile.skew());
    EXPECT_EQ(0, smile.convexity());
}

}  // namespace
}  // namespace quorva
