#pragma once
// Root finders of one real variable over a bracket held as an interval.

#include "numeric/Function.h"

#include <boost/numeric/interval.hpp>

namespace math {
namespace solve {

/// A bracket with rounded arithmetic whose lower end never exceeds its upper.
using Interval = boost::numeric::interval<
    double, boost::numeric::interval_lib::policies<boost::numeric::interval_lib::rounded_math<double>,
                                                   boost::numeric::interval_lib::checking_strict<double> > >;

class Solver {
public:
    /// A sub-interval of `bracket` holding a sign change or zero of `f`. Running
    /// out of iterations is not an error: ask `tolerates` whether it converged.
    virtual Interval solve(const function::Function<double, double>& f, Interval bracket,
                           double tolerance) const = 0;
    /// True when the interval is no wider than `tolerance`, give or take two
    /// units of rounding at its upper end.
    static bool tolerates(const Interval& iv, double tolerance);

protected:
    ~Solver() = default;
};

}  // namespace solve
}  // namespace math
