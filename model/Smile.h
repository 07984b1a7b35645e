#pragma once
// Volatility smile: a quadratic offset to the market volatility by strike,
// centred on a fixed reference strike (sticky strike) or on the current
// index level (sticky delta).

#include <limits>
#include <utility>
#include <vector>

namespace quorva {

class Smile {
public:
    /// Reference-strike marker of a smile that moves with the index level.
    static constexpr double STICKY_DELTA = std::numeric_limits<double>::max();

    /// skew in volatility per index point, convexity per squared index point.
    Smile(double strike, double skew, double convexity);

    /// The reference strike, or STICKY_DELTA.
    double strike() const { return strike_; }
    double skew() const { return skew_; }
    double convexity() const { return convexity_; }

    /// A reference of STICKY_DELTA switches to sticky delta.
    void set_sticky_strike(double strike);
    void set_stick_delta();

    /// Volatility offset (annual fraction) at a strike with the index at level;
    /// unbounded, so the total volatility may fall to zero or below.
    double eval(double strike, double level) const;

    /// Least-squares fit of offset + smile to (strike, volatility) points,
    /// centred on level: leaves the smile sticky-strike at level and returns
    /// the fitted constant offset. Points at one strike fit the offset alone,
    /// at two strikes the offset and the skew, both exactly; from three
    /// strikes on, all three coefficients by a simplex search that never
    /// throws for lack of convergence: the best point found is used. No points
    /// give a flat smile and no offset.
    double calibrate(const std::vector<std::pair<double, double> >& points, double level);

private:
    double strike_;
    double skew_;
    double convexity_;
};

}  // namespace quorva
