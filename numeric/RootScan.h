#pragma once
// Every root of a function of one variable over a positive range that a scan
// can see: for functions that rise and fall, where one bracket holds no root
// or several.

#include "numeric/Function.h"

#include <vector>

namespace math {
namespace solve {

class RootScan {
public:
    /// `samples` steps of equal ratio from the low end to the high; each root
    /// found to within `relative_tolerance` of itself.
    RootScan(unsigned samples, double relative_tolerance);

    /// The roots in increasing order, low > 0. The function is sampled; each
    /// turning point of the samples that may cross 0 between them is located
    /// by golden-section search, so that the pieces between turning points
    /// are monotone where it matters, and each piece
    /// whose ends differ in sign (or that starts at a zero) gives one root by
    /// bisection. Two roots within one step of the samples with no sampled
    /// turning point between them are missed. Never throws for lack of
    /// convergence; NaN values hold no root.
    std::vector<double> roots(const function::Function<double, double>& f, double low, double high) const;

private:
    unsigned samples_;
    double relative_tolerance_;
};

}  // namespace solve
}  // namespace math
