#include "numeric/NelderMeadOptimiser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace math {
namespace opt {
namespace {

using Point = std::vector<double>;

/// An objective that records every point it is evaluated at.
class Recorded : public Objective {
public:
    explicit Recorded(std::function<double(const Point&)> f) : f_(std::move(f)) {}
    double operator()(const Point& x) const override {
        calls.push_back(x);
        return f_(x);
    }
    mutable std::vector<Point> calls;

private:
    std::function<double(const Point&)> f_;
};

std::string text(const Point& x) {
    std::ostringstream out;
    out << "(";
    for (std::size_t i = 0; i < x.size(); ++i) out << (i ? ", " : "") << x[i];
    return out.str() + ")";
}

double distance(const Point& a, const Point& b) {
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i) sum += (a[i] - b[i]) * (a[i] - b[i]);
    return std::sqrt(sum);
}

double bowl(const Point& x) { return (x[0] - 1) * (x[0] - 1) + (x[1] + 2) * (x[1] + 2); }

TEST(NelderMeadOptimiserTest, MinimisesAQuadraticBowl) {
    const Recorded f(bowl);
    const Point result = NelderMeadOptimiser(1, 1000).minimise(f, {0, 0}, 1e-8);
    EXPECT_LT(distance(result, {1, -2}), 1e-4) << text(result);
    EXPECT_LT(f.calls.size(), 1000u) << "the tolerance, not the pass limit, should end the search";
}

TEST(NelderMeadOptimiserTest, MaximisingTheNegationFindsTheSamePoint) {
    const NelderMeadOptimiser optimiser(1, 1000);
    const Recorded negated([](const Point& x) { return -bowl(x); });
    const Point minimum = optimiser.minimise(Recorded(bowl), {0, 0}, 1e-8);
    const Point maximum = optimiser.maximise(negated, {0, 0}, 1e-8);
    EXPECT_EQ(minimum, maximum) << text(minimum) << " vs " << text(maximum);
}

// A tilted bowl, so that no symmetry of the simplex makes its values tie.
TEST(NelderMeadOptimiserTest, FindsBowlCentresAcrossThePlane) {
    const NelderMeadOptimiser optimiser(0.5, 2000);
    for (double cx = -6; cx <= 6; cx += 3) {
        for (double cy = -6; cy <= 6; cy += 4) {
            const Recorded f([=](const Point& x) {
                const double dx = x[0] - cx;
                const double dy = x[1] - cy;
                return 1 + 3 * dx * dx + dy * dy + dx * dy;
            });
            const Point result = optimiser.minimise(f, {0.1, -0.3}, 1e-14);
            EXPECT_LT(distance(result, {cx, cy}), 1e-5) << "centre (" << cx << ", " << cy << "): " << text(result);
        }
    }
}

TEST(NelderMeadOptimiserTest, WorksInOneDimension) {
    const Recorded f([](const Point& x) { return (x[0] - 3) * (x[0] - 3) + 2; });
    const Point result = NelderMeadOptimiser(1, 1000).minimise(f, {0}, 1e-12);
    ASSERT_EQ(1u, result.size());
    EXPECT_NEAR(3, result[0], 1e-5);
}

// Rosenbrock's curved valley from its classic start (-1.2, 1): step 1, 1000
// passes and tolerance 1e-15 reach the minimum (1, 1) to within 1e-6.
TEST(NelderMeadOptimiserTest, FollowsRosenbrocksValleyToItsMinimum) {
    const Recorded f([](const Point& x) {
        return 100 * (x[1] - x[0] * x[0]) * (x[1] - x[0] * x[0]) + (1 - x[0]) * (1 - x[0]);
    });
    const Point result = NelderMeadOptimiser(1, 1000).minimise(f, {-1.2, 1}, 1e-15);
    EXPECT_LT(distance(result, {1, 1}), 1e-6) << text(result);
}

TEST(NelderMeadOptimiserTest, PassLimitZeroReturnsTheFirstVertex) {
    const Recorded f(bowl);
    const Point result = NelderMeadOptimiser(0.25, 0).minimise(f, {0.5, -1}, 1e-8);
    EXPECT_EQ((Point{0.75, -1}), result);
    EXPECT_EQ((std::vector<Point>{{0.75, -1}, {0.5, -0.75}, {0.5, -1}}), f.calls);
}

TEST(NelderMeadOptimiserTest, ConstantFunctionStopsInTheFirstPassAtTheStart) {
    const Recorded f([](const Point&) { return 7.0; });
    const Point result = NelderMeadOptimiser(1, 1000).minimise(f, {2, 3, 4}, 1e-8);
    EXPECT_EQ((Point{2, 3, 4}), result);
    EXPECT_EQ(4u, f.calls.size());
}

// From (0, 0) with step 1 the bowl's simplex is (1, 0), (0, 1), (0, 0); the
// first pass reflects (0, 1) to (1, -1) and expands it to (1.5, -2). The
// result is the best vertex by the ranking at the start of the last pass.
TEST(NelderMeadOptimiserTest, FirstPassReflectsAndExpands) {
    const Recorded f(bowl);
    EXPECT_EQ((Point{1, 0}), NelderMeadOptimiser(1, 1).minimise(f, {0, 0}, 1e-8));
    EXPECT_EQ((std::vector<Point>{{1, 0}, {0, 1}, {0, 0}, {1, -1}, {1.5, -2}}), f.calls);
    EXPECT_EQ((Point{1.5, -2}), NelderMeadOptimiser(1, 2).minimise(f, {0, 0}, 1e-8));
}

/// A one-dimensional objective known only at the listed points.
Recorded table(std::map<double, double> values) {
    return Recorded([values](const Point& x) {
        const auto found = values.find(x[0]);
        if (found == values.end()) throw std::logic_error("unexpected point " + text(x));
        return found->second;
    });
}

// Simplex 1 (worst) and 0 (best): reflection to -1, then contraction to the
// midpoint, and a shrink when the contraction is no better than the worst
// vertex after the reflection.
TEST(NelderMeadOptimiserTest, ShrinksWhenContractionFails) {
    const NelderMeadOptimiser optimiser(1, 1);
    const Recorded rejected_reflection = table({{1, 1}, {0, 0}, {-1, 1}, {0.5, 10}});
    EXPECT_EQ(Point{0}, optimiser.minimise(rejected_reflection, {0}, 1e-8));
    EXPECT_EQ((std::vector<Point>{{1}, {0}, {-1}, {0.5}, {0.5}}), rejected_reflection.calls);

    // The reflection to -1 is taken, so the contraction to -0.5 must beat 0.5.
    const Recorded taken_reflection = table({{1, 1}, {0, 0}, {-1, 0.5}, {-0.5, 0.7}});
    EXPECT_EQ(Point{0}, optimiser.minimise(taken_reflection, {0}, 1e-8));
    EXPECT_EQ((std::vector<Point>{{1}, {0}, {-1}, {-0.5}, {-0.5}}), taken_reflection.calls);
}

TEST(NelderMeadOptimiserTest, ExceptionsOfTheObjectivePassThrough) {
    const Recorded f([](const Point& x) -> double {
        if (x[0] < 0) throw std::runtime_error("inner");
        return bowl(x);
    });
    EXPECT_THROW(NelderMeadOptimiser(1, 1000).minimise(f, {2, 0}, 1e-8), std::runtime_error);
}

}  // namespace
}  // namespace opt
}  // namespace math
