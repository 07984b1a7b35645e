#pragma once
// The objectives of the model's two inverse problems, as function objects for
// the numerical library: the price error of a trial volatility (implied
// volatility) and the negated squared error of a trial smile (calibration).

#include "numeric/Function.h"

#include <utility>
#include <vector>

namespace quorva {

class BinomialTreePricer;
class Instrument;
class Market;

/// Tree price at a trial volatility minus the target price. Writes the trial
/// volatility into the working market it refers to, so one instance must not
/// be evaluated from two places at once.
class PriceResidue : public math::function::Function<double, double> {
public:
    PriceResidue(BinomialTreePricer& pricer, Market& market, const Instrument& instrument,
                 double target);
    double operator()(const double& vol) const override;

private:
    BinomialTreePricer& pricer_;
    Market& market_;
    const Instrument& instrument_;
    double target_;
};

/// Minus the sum of squared errors of x[0] + smile(K) against the points'
/// volatilities, the smile sticky-strike at level with skew x[1] and convexity
/// x[2]. Never positive; 0 is a perfect fit. The points must outlive it.
class NegResidue : public math::function::Function<double, std::vector<double> > {
public:
    /// points: (strike, volatility offset as an annual fraction).
    NegResidue(const std::vector<std::pair<double, double> >& points, double level);
    double operator()(const std::vector<double>& x) const override;

private:
    const std::vector<std::pair<double, double> >& points_;
    double level_;
};

}  // namespace quorva
