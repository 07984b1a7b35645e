#include "numeric/Solver.h"

#include <cmath>
#include <limits>

namespace math {
namespace solve {

bool Solver::tolerates(const Interval& iv, double tolerance) {
    return width(iv) <= tolerance + 2 * std::numeric_limits<double>::epsilon() * std::fabs(iv.upper());
}

}  // namespace solve
}  // namespace math
