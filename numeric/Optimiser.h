#pragma once
// Optimisers of a real function of several real variables.

#include "numeric/Function.h"

#include <vector>

namespace math {
namespace opt {

using Objective = function::Function<double, std::vector<double> >;

class Optimiser {
public:
    /// Minus another objective, which must outlive it: maximising f is
    /// minimising this.
    class NegativeObjectiveFunction : public Objective {
    public:
        explicit NegativeObjectiveFunction(const Objective& objective) : objective_(objective) {}
        double operator()(const std::vector<double>& x) const override { return -objective_(x); }

    private:
        const Objective& objective_;
    };
};

class UnconstrainedOptimiser : public Optimiser {
public:
    /// The best point found from `start`; never throws for lack of convergence.
    virtual std::vector<double> maximise(const Objective& f, const std::vector<double>& start,
                                         double tolerance) const = 0;
    virtual std::vector<double> minimise(const Objective& f, const std::vector<double>& start,
                                         double tolerance) const = 0;

protected:
    ~UnconstrainedOptimiser() = default;
};

}  // namespace opt
}  // namespace math
