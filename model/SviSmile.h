#pragma once
// One expiry's smile in the SVI form: total implied variance (volatility
// squared times years) against log-moneyness k = ln(strike / forward),
// w(k) = a + b (rho (k - m) + sqrt((k - m)^2 + s^2)), and its fit to implied
// volatilities without butterfly arbitrage.

#include <vector>

namespace quorva {

struct SviSmile {
    double a;
    double b;
    double rho;
    double m;
    double s;

    /// Total variance w(k); never negative for the parameters a fit gives.
    double variance(double k) const;
    /// w'(k) and w''(k).
    double slope(double k) const;
    double curvature(double k) const;
    /// (1 - k w'/(2w))^2 - w'^2/4 (1/w + 1/4) + w''/2: the risk-neutral density
    /// in strike is this times a positive factor, so a negative value at some
    /// k is butterfly arbitrage there.
    double density_factor(double k) const;
};

/// An implied volatility (annual fraction) at a log-moneyness.
struct SmilePoint {
    double k;
    double volatility;
};

/// How many parameters a fit could determine: the full five from five
/// distinct strikes on, a straight line in total variance from two, a flat
/// smile from one.
enum class SmileShape { SVI, STRAIGHT, FLAT };

struct SviFit {
    SviSmile smile;
    SmileShape shape;
};

/// Least squares in volatility over the points (at least one), tau years to
/// expiry. A full fit searches the centre m and width s by the simplex method
/// with a, b and rho in closed form for each, keeping b(1 + |rho|) <= 4 and
/// w >= 0, and penalising a negative density_factor between the outermost
/// points. Never throws; the best fit found is returned.
SviFit fit_svi(const std::vector<SmilePoint>& points, double tau);

/// The smallest density_factor at `count` evenly spaced k from low to high.
double lowest_density_factor(const SviSmile& smile, double low, double high, unsigned count);

}  // namespace quorva
