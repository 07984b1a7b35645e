#include "numeric/RootScan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

namespace math {
namespace solve {
namespace {

class Of : public function::Function<double, double> {
public:
    explicit Of(std::function<double(double)> f) : f_(std::move(f)) {}
    double operator()(const double& x) const override { return f_(x); }

private:
    std::function<double(double)> f_;
};

// Each case: a function over [0.001, 10] sampled 40 times and the roots it has.
TEST(RootScan, FindsEveryRootAPieceHolds) {
    struct Case {
        const char* name;
        std::function<double(double)> f;
        std::vector<double> roots;
    };
    const Case cases[] = {
        {"rising", [](double x) { return x - 2; }, {2}},
        {"no root", [](double x) { return x + 1; }, {}},
        {"a zero on a sample", [](double x) { return x - 0.001; }, {0.001}},
        // A narrow peak crossing zero twice within one step of the samples.
        {"narrow peak", [](double x) { return 0.5 - std::pow((x - 1) / 0.01, 2); }, {1 - 0.01 / std::sqrt(2.0), 1 + 0.01 / std::sqrt(2.0)}},
        {"rises then falls", [](double x) { return x * std::exp(-x) - 0.2; }, {0.2591711, 2.5426413}},
        {"not a number", [](double) { return std::nan(""); }, {}},
    };
    for (const Case& c : cases) {
        const std::vector<double> found = RootScan(40, 1e-9).roots(Of(c.f), 0.001, 10);
        ASSERT_EQ(c.roots.size(), found.size()) << c.name;
        for (std::size_t i = 0; i < found.size(); ++i) EXPECT_NEAR(c.roots[i], found[i], 1e-6) << c.name;
    }
}

}  // namespace
}  // namespace solve
}  // namespace math
