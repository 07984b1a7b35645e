#pragma once
// Closed forms and market fixtures shared by the model's tests.

#include "calendar/Date.h"
#include "calendar/Time.h"
#include "calendar/TradingSchedule.h"
#include "foundation/P.h"
#include "model/Instrument.h"
#include "model/Market.h"
#include "model/Smile.h"

#include <cmath>
#include <sstream>
#include <string>

namespace quorva {
namespace test {

const int DAY = 1440;
const int YEAR = 365 * DAY;

/// Friday 20 March 2009, 16:30: the market time of every fixture.
inline Time start() { return Time(chrono::Date(2009, chrono::Date::MAR, 20), 16, 30); }

inline Time after(int minutes) {
    Time t = start();
    t.add_minutes(minutes);
    return t;
}

/// Continuous trading, so that a span of m minutes is m / YEAR years exactly.
inline Market market(double level, double volatility, double rate, double div_yield,
                     const Smile& smile = Smile(Smile::STICKY_DELTA, 0, 0)) {
    return Market(level, volatility, rate, smile, div_yield, ContinuousTrading::instance(),
                  start());
}

enum Kind { CALL, PUT, FUTURE, DIGITAL_UP, DIGITAL_DOWN };

inline usr::P<Instrument> make(Kind kind, double strike, Time expiry) {
    switch (kind) {
    case CALL: return usr::P<Instrument>(new Call(strike, expiry));
    case PUT: return usr::P<Instrument>(new Put(strike, expiry));
    case FUTURE: return usr::P<Instrument>(new Future(strike, expiry));
    case DIGITAL_UP: return usr::P<Instrument>(new DigitalUp(strike, expiry));
    case DIGITAL_DOWN: break;
    }
    return usr::P<Instrument>(new DigitalDown(strike, expiry));
}

inline std::string describe(const Instrument& instrument) {
    std::ostringstream os;
    instrument.print(os);
    return os.str();
}

inline double norm_cdf(double x) { return 0.5 * std::erfc(-x / std::sqrt(2.0)); }

/// Black-Scholes value with a dividend yield, discounted at the rate; tau > 0
/// and sigma > 0.
inline double black_scholes(Kind kind, double level, double strike, double sigma, double rate,
                            double div_yield, double tau) {
    const double forward_df = std::exp(-div_yield * tau);
    const double df = std::exp(-rate * tau);
    const double sd = sigma * std::sqrt(tau);
    const double d1 = (std::log(level / strike) + (rate - div_yield) * tau) / sd + sd / 2;
    const double d2 = d1 - sd;
    switch (kind) {
    case CALL: return level * forward_df * norm_cdf(d1) - strike * df * norm_cdf(d2);
    case PUT: return strike * df * norm_cdf(-d2) - level * forward_df * norm_cdf(-d1);
    case FUTURE: return level * forward_df - strike * df;
    case DIGITAL_UP: return 100 * df * norm_cdf(d2);
    case DIGITAL_DOWN: break;
    }
    return 100 * df * norm_cdf(-d2);
}

/// The closed form's sensitivity to volatility, per unit of volatility.
inline double black_scholes_vega(Kind kind, double level, double strike, double sigma,
                                 double rate, double div_yield, double tau) {
    const double h = 1e-5;
    return (black_scholes(kind, level, strike, sigma + h, rate, div_yield, tau) -
            black_scholes(kind, level, strike, sigma - h, rate, div_yield, tau)) /
           (2 * h);
}

}  // namespace test
}  // namespace quorva
