#pragma once
// The downhill simplex method: reflection, expansion, contraction and
// shrinking towards the best vertex. Running out of passes returns the best
// vertex found, silently.

#include "numeric/Optimiser.h"

namespace math {
namespace opt {

class NelderMeadOptimiser : public UnconstrainedOptimiser {
public:
    /// `step` is added to one coordinate of the start for each initial vertex;
    /// `max_iterations` bounds the passes of one search.
    NelderMeadOptimiser(double step, unsigned max_iterations);

    std::vector<double> maximise(const Objective& f, const std::vector<double>& start,
                                 double tolerance) const override;
    /// `start` must have at least one coordinate.
    std::vector<double> minimise(const Objective& f, const std::vector<double>& start,
                                 double tolerance) const override;
    std::vector<double> amoeba(const Objective& f, const std::vector<double>& start, double tolerance) const;

private:
    double step_;
    unsigned max_iterations_;
};

}  // namespace opt
}  // namespace math
