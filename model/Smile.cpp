#include "model/Smile.h"

#include "model/Residues.h"
#include "numeric/NelderMeadOptimiser.h"

namespace quorva {

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
    const NegResidue residue(points, level);
    const math::opt::NelderMeadOptimiser optimiser(1, 1000);
    const std::vector<double> x = optimiser.maximise(residue, std::vector<double>(3, 0.0), 0.0001);
    strike_ = level;
    skew_ = x[1];
    convexity_ = x[2];
    return x[0];
}

}  // namespace quorva
