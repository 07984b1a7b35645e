#include "numeric/BisectionMethod.h"

namespace math {
namespace solve {

BisectionMethod::BisectionMethod(unsigned max_iterations) : max_iterations_(max_iterations) {}

Interval BisectionMethod::solve(const function::Function<double, double>& f, Interval bracket,
                                double tolerance) const {
    double lo = bracket.lower();
    double hi = bracket.upper();
    double f_lo = f(lo);
    const double f_hi = f(hi);
    if (f_lo * f_hi > 0) throw MathException("Bisection method requires bracketed root");
    if (tolerance < 0) throw MathException("Bisection method requires non-negative tolerance");
    for (unsigned i = 0; i < max_iterations_; ++i) {
        if (hi - lo <= tolerance) break;
        const double mid = (lo + hi) * 0.5;
        const double f_mid = f(mid);
        if (f_mid == 0) return Interval(mid, mid);
        if (f_mid * f_lo > 0) {
            lo = mid;
            f_lo = f_mid;
        } else {
            hi = mid;
        }
    }
    return Interval(lo, hi);
}

}  // namespace solve
}  // namespace math
