#pragma once
// Bisection: halves a bracket with a sign change until it is narrow enough or
// the iteration limit is reached, whichever comes first.

#include "numeric/MathException.h"
#include "numeric/Solver.h"

namespace math {
namespace solve {

class BisectionMethod : public Solver {
public:
    /// `max_iterations` is the most halvings one solve makes.
    explicit BisectionMethod(unsigned max_iterations);
    /// Throws MathException for an unbracketed root or a negative tolerance.
    Interval solve(const function::Function<double, double>& f, Interval bracket,
                   double tolerance) const override;

private:
    unsigned max_iterations_;
};

}  // namespace solve
}  // namespace math
