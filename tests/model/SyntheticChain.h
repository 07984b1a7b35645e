#pragma once
// A chain of quotes drawn from a known arbitrage-free surface: an SSVI
// surface (every slice an SVI smile) with a falling at-the-money term
// structure, a skew of rho = -0.7 and a yield of its own at each expiry.

#include "model/BinomialTreePricer.h"
#include "model/ChainCalibration.h"
#include "model/Market.h"

#include <cmath>
#include <random>
#include <vector>

namespace quorva {
namespace test {

class SyntheticChain {
public:
    static constexpr double RHO = -0.7;

    struct Expiry {
        Time expiry;
        double tau;
        double yield;
        double forward;
    };

    /// Expiries from a week to two years after the market's time, `strikes`
    /// strikes each within two at-the-money standard deviations of the
    /// forward, a call and a put at each, priced on the tree; each quote's
    /// volatility carries uniform noise of up to `noise` (annual fraction).
    SyntheticChain(BinomialTreePricer& pricer, const Market& market, unsigned strikes, double noise,
                   const std::vector<int>& days = {7, 30, 61, 91, 182, 365, 730}) {
        std::mt19937 random(19);
        std::uniform_real_distribution<double> shake(-noise, noise);
        unsigned line = 2;
        for (std::size_t i = 0; i < days.size(); ++i) {
            Time expiry = market.time();
            expiry.add_minutes(days[i] * 1440);
            const double tau = market.trading_schedule()->year_frac(market.time(), expiry);
            const double yield = 0.01 + 0.01 * static_cast<double>(i % 3);
            const double forward = market.level() * std::exp((market.rate() - yield) * tau);
            expiries.push_back(Expiry{expiry, tau, yield, forward});
            Market at(market);
            at.div_yield() = yield;
            const double deviation = atm_volatility(tau) * std::sqrt(tau);
            for (unsigned j = 0; j < strikes; ++j) {
                const double z = -2 + 4.0 * j / (strikes - 1);
                const double strike = forward * std::exp(z * deviation);
                const double sigma = volatility(tau, std::log(strike / forward));
                at.volatility() = sigma + shake(random);
                quotes.push_back(ChainQuote{expiry, strike, true, pricer.price(at, Call(strike, expiry)), line++});
                at.volatility() = sigma + shake(random);
                quotes.push_back(ChainQuote{expiry, strike, false, pricer.price(at, Put(strike, expiry)), line++});
            }
        }
    }

    static double atm_volatility(double tau) { return 0.17 + 0.08 * std::exp(-tau / 0.4); }

    /// The SSVI total variance theta / 2 (1 + rho phi k + sqrt((phi k + rho)^2
    /// + 1 - rho^2)), phi = 1 / sqrt(theta (1 + theta)), as a volatility.
    static double volatility(double tau, double k) {
        const double theta = atm_volatility(tau) * atm_volatility(tau) * tau;
        const double phi = 1 / std::sqrt(theta * (1 + theta));
        const double x = phi * k + RHO;
        const double w = theta / 2 * (1 + RHO * phi * k + std::sqrt(x * x + 1 - RHO * RHO));
        return std::sqrt(w / tau);
    }

    std::vector<Expiry> expiries;
    std::vector<ChainQuote> quotes;
};

}  // namespace test
}  // namespace quorva
