#include "numeric/RootScan.h"

#include "numeric/BisectionMethod.h"

#include <algorithm>
#include <cmath>

namespace math {
namespace solve {

namespace {

const unsigned BISECTION_ITERATIONS = 200;
/// Enough to narrow any bracket of doubles to a few units of rounding.
const unsigned GOLDEN_ITERATIONS = 200;
/// 1 / golden ratio.
const double GOLDEN = 0.618033988749894848204586834365638118;

struct Point {
    double x;
    double y;
};

/// The extreme point of f between a and b where f is unimodal there: its
/// largest value if `highest`, its smallest otherwise.
Point golden_section(const function::Function<double, double>& f, double a, double b, bool highest,
                     double relative_tolerance) {
    const double sign = highest ? 1 : -1;
    double c = b - GOLDEN * (b - a);
    double d = a + GOLDEN * (b - a);
    double fc = sign * f(c);
    double fd = sign * f(d);
    for (unsigned i = 0; i < GOLDEN_ITERATIONS && b - a > relative_tolerance * b; ++i) {
        if (fc >= fd) {
            b = d;
            d = c;
            fd = fc;
            c = b - GOLDEN * (b - a);
            fc = sign * f(c);
        } else {
            a = c;
            c = d;
            fc = fd;
            d = a + GOLDEN * (b - a);
            fd = sign * f(d);
        }
    }
    return fc >= fd ? Point{c, sign * fc} : Point{d, sign * fd};
}

}  // namespace

RootScan::RootScan(unsigned samples, double relative_tolerance)
    : samples_(samples), relative_tolerance_(relative_tolerance) {}

std::vector<double> RootScan::roots(const function::Function<double, double>& f, double low,
                                    double high) const {
    std::vector<Point> sampled;
    const double ratio = std::pow(high / low, 1.0 / samples_);
    for (unsigned k = 0; k <= samples_; ++k) {
        const double x = k == samples_ ? high : low * std::pow(ratio, k);
        sampled.push_back(Point{x, f(x)});
    }
    // Each turning point of the samples joins them at its refined place.
    std::vector<Point> points{sampled.front()};
    for (std::size_t k = 1; k + 1 < sampled.size(); ++k) {
        const Point& before = sampled[k - 1];
        const Point& here = sampled[k];
        const Point& after = sampled[k + 1];
        const bool peak = here.y > before.y && here.y > after.y;
        const bool trough = here.y < before.y && here.y < after.y;
        // A smooth extreme passes its highest sample by at most a quarter of
        // the larger step to it: only a turn that may cross 0 unseen is refined.
        const bool hidden = (peak && here.y < 0) || (trough && here.y > 0);
        const double reach = std::max(std::fabs(here.y - before.y), std::fabs(here.y - after.y));
        if (hidden && std::fabs(here.y) <= reach) {
            const Point turn = golden_section(f, before.x, after.x, peak, relative_tolerance_);
            if (turn.x < here.x) points.push_back(turn);
            points.push_back(here);
            if (turn.x > here.x) points.push_back(turn);
        } else {
            points.push_back(here);
        }
    }
    points.push_back(sampled.back());
    // Turning points of neighbouring samples may land in either order.
    std::sort(points.begin(), points.end(), [](const Point& a, const Point& b) { return a.x < b.x; });

    const BisectionMethod bisection(BISECTION_ITERATIONS);
    std::vector<double> found;
    for (std::size_t k = 0; k < points.size(); ++k) {
        const Point& a = points[k];
        if (a.y == 0) {
            found.push_back(a.x);
            continue;
        }
        if (k + 1 == points.size()) break;
        const Point& b = points[k + 1];
        if (!(a.y * b.y < 0)) continue;
        const Interval root = bisection.solve(f, Interval(a.x, b.x), relative_tolerance_ * a.x);
        found.push_back(median(root));
    }
    return found;
}

}  // namespace solve
}  // namespace math
