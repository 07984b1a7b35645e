#include "model/Residues.h"

#include "model/BinomialTreePricer.h"
#include "model/Smile.h"

namespace quorva {

PriceResidue::PriceResidue(BinomialTreePricer& pricer, Market& market,
                           const Instrument& instrument, double target)
    : pricer_(pricer), market_(market), instrument_(instrument), target_(target) {}

double PriceResidue::operator()(const double& vol) const {
    market_.volatility() = vol;
    return pricer_.price(market_, instrument_) - target_;
}

NegResidue::NegResidue(const std::vector<std::pair<double, double> >& points, double level)
    : points_(points), level_(level) {}

double NegResidue::operator()(const std::vector<double>& x) const {
    const Smile smile(level_, x[1], x[2]);
    double sum = 0;
    for (const std::pair<double, double>& point : points_) {
        const double error = smile.eval(point.first, level_) + x[0] - point.second;
        sum += error * error;
    }
    return -sum;
}

}  // namespace quorva
