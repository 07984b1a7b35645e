#include "numeric/BisectionMethod.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <stdexcept>
#include <vector>

namespace math {
namespace solve {
namespace {

/// A real function that records every argument it is called with.
class Recorded : public function::Function<double, double> {
public:
    explicit Recorded(std::function<double(double)> f) : f_(std::move(f)) {}
    double operator()(const double& x) const override {
        calls.push_back(x);
        return f_(x);
    }
    mutable std::vector<double> calls;

private:
    std::function<double(double)> f_;
};

std::string message_of(const std::function<void()>& call) {
    try {
        call();
    } catch (const MathException& e) {
        return e.what();
    }
    return "no MathException";
}

TEST(BisectionMethodTest, NarrowBracketIsReturnedAfterTheEndsOnly) {
    const Recorded f([](double x) { return x - 1; });
    const Interval result = BisectionMethod(100).solve(f, Interval(0.9995, 1.0005), 0.001);
    EXPECT_EQ(0.9995, result.lower());
    EXPECT_EQ(1.0005, result.upper());
    EXPECT_EQ((std::vector<double>{0.9995, 1.0005}), f.calls);
}

// x - 1 on [0, 3] with tolerance 0.001: each halving divides the width by 2
// and 12 of them reach 3/4096 < 0.001, so a larger limit changes nothing.
TEST(BisectionMethodTest, EachIterationHalvesTheBracketUntilTolerance) {
    for (unsigned limit : {0u, 1u, 5u, 11u, 12u, 13u, 100u}) {
        const unsigned halvings = std::min(limit, 12u);
        const Recorded f([](double x) { return x - 1; });
        const Interval result = BisectionMethod(limit).solve(f, Interval(0, 3), 0.001);
        EXPECT_EQ(3 / std::pow(2.0, halvings), width(result)) << "limit " << limit;
        EXPECT_TRUE(result.lower() <= 1 && 1 <= result.upper())
            << "limit " << limit << ": [" << result.lower() << ", " << result.upper() << "]";
        EXPECT_EQ(2 + halvings, f.calls.size()) << "limit " << limit;
        EXPECT_EQ(limit >= 12, Solver::tolerates(result, 0.001)) << "limit " << limit;
    }
}

TEST(BisectionMethodTest, FindsRootsOfRisingAndFallingFunctions) {
    const double tolerance = 1e-9;
    for (double root = -4.5; root <= 4.5; root += 0.75) {
        for (double sign : {1.0, -1.0}) {
            const Recorded f([=](double x) { return sign * (x * x * x - root * root * root); });
            const Interval result = BisectionMethod(200).solve(f, Interval(-5, 5), tolerance);
            EXPECT_TRUE(result.lower() <= root && root <= result.upper() && width(result) <= tolerance)
                << "root " << root << " sign " << sign << ": [" << result.lower() << ", " << result.upper()
                << "]";
        }
    }
}

TEST(BisectionMethodTest, ExactZeroAtAMidpointEndsTheSearch) {
    const Recorded f([](double x) { return x; });
    const Interval result = BisectionMethod(100).solve(f, Interval(-1, 1), 1e-12);
    EXPECT_EQ(0, result.lower());
    EXPECT_EQ(0, result.upper());
    EXPECT_EQ(3u, f.calls.size());
}

TEST(BisectionMethodTest, ZeroAtAnEndCountsAsBracketed) {
    const Recorded f([](double x) { return x; });
    const Interval result = BisectionMethod(100).solve(f, Interval(0, 1), 1e-6);
    EXPECT_EQ(0, result.lower());
    EXPECT_LE(width(result), 1e-6);
}

TEST(BisectionMethodTest, RefusesUnbracketedRootBeforeNegativeTolerance) {
    const BisectionMethod bisection(100);
    const Recorded unbracketed([](double x) { return x - 2; });
    const Recorded bracketed([](double x) { return x - 0.5; });
    const std::string no_bracket = "Bisection method requires bracketed root";
    const std::string negative = "Bisection method requires non-negative tolerance";
    EXPECT_EQ(no_bracket, message_of([&] { bisection.solve(unbracketed, Interval(0, 1), 0.001); }));
    EXPECT_EQ(negative, message_of([&] { bisection.solve(bracketed, Interval(0, 1), -1); }));
    EXPECT_EQ(no_bracket, message_of([&] { bisection.solve(unbracketed, Interval(0, 1), -1); }));
    // Both ends are evaluated before either check.
    EXPECT_EQ((std::vector<double>{0, 1, 0, 1}), unbracketed.calls);
    EXPECT_EQ((std::vector<double>{0, 1}), bracketed.calls);
}

TEST(BisectionMethodTest, ExceptionsOfTheFunctionPassThrough) {
    const Recorded f([](double x) -> double {
        if (x > 0 && x < 1) throw std::runtime_error("inner");
        return x - 0.5;
    });
    EXPECT_THROW(BisectionMethod(10).solve(f, Interval(0, 1), 0.001), std::runtime_error);
}

TEST(SolverTest, ToleratesAllowsTwoRoundingUnitsAtTheUpperEnd) {
    EXPECT_TRUE(Solver::tolerates(Interval(1, 1.0001), 0.0001));
    EXPECT_FALSE(Solver::tolerates(Interval(1, 1.001), 0.0001));
    EXPECT_TRUE(Solver::tolerates(Interval(2, 2), 0));
    const double big = 1e10;
    const double slack = 2 * std::numeric_limits<double>::epsilon() * big;
    EXPECT_TRUE(Solver::tolerates(Interval(big, std::nextafter(big, 2 * big)), 0));
    EXPECT_FALSE(Solver::tolerates(Interval(big, big + 2 * slack), 0));
    EXPECT_TRUE(Solver::tolerates(Interval(-big, std::nextafter(-big, 0.0)), 0));
}

}  // namespace
}  // namespace solve
}  // namespace math
