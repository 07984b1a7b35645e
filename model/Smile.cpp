#include "model/Smile.h"

#include "model/Residues.h"
#include "numeric/NelderMeadOptimiser.h"

#include <iterator>
#include <map>

namespace quorva {

namespace {

/// The mean volatility of the points at each distinct strike, by strike.
std::map<double, double> means_by_strike(const std::vector<std::pair<double, double> >& points) {
    std::map<double, std::pair<double, int> > sums;
    for (const std::pair<double, double>& point : points) {
        std::pair<double, int>& sum = sums[point.first];
        sum.first += point.second;
        ++sum.second;
    }
    std::map<double, double> means;
    for (const auto& sum : sums) means.emplace(sum.first, sum.second.first / sum.second.second);
    return means;
}

}  // namespace

Smile::Smile(double strike, double skew, double convexity)
    : strike_(strike), skew_(skew), convexity_(convexity) {}

void Smile::set_sticky_strike(double strike) { strike_ = strike; }

void Smile::set_stick_delta() { strike_ = STICKY_DELTA; }

double Smile::eval(double strike, double level) const {
    const double reference = strike_ == STICKY_DELTA ? level : strike_;
    const double dx = strike - reference;
    return skew_ * dx + convexity_ * dx * dx;
}

double Smile::calibrate(const std::vector<std::pair<double, double> >& points, double level) {
    strike_ = level;
    skew_ = 0;
    convexity_ = 0;
    // With one or two strikes the least-squares curve passes through the mean
    // at each strike: a constant, or the line through the two means.
    const std::map<double, double> means = means_by_strike(points);
    if (means.size() == 1) return means.begin()->second;
    if (means.size() == 2) {
        const auto low = means.begin();
        const auto high = std::next(low);
        skew_ = (high->second - low->second) / (high->first - low->first);
        return low->second - skew_ * (low->first - level);
    }
    const NegResidue residue(points, level);
    const math::opt::NelderMeadOptimiser optimiser(1, 1000);
    const std::vector<double> x = optimiser.maximise(residue, std::vector<double>(3, 0.0), 0.0001);
    skew_ = x[1];
    convexity_ = x[2];
    return x[0];
}

}  // namespace quorva
