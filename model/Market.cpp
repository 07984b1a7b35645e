#include "model/Market.h"

#include "foundation/QuorvaException.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace quorva {

namespace {

// Minus n modulo 2 to the 32nd, as Time arithmetic is, so that even the most
// negative int has a negation.
int negated(int n) { return static_cast<int>(0u - static_cast<unsigned>(n)); }

}  // namespace

MarketCommon::MarketCommon(double level, double volatility, double rate, double div_yield)
    : level_(level), volatility_(volatility), rate_(rate), div_yield_(div_yield) {}

Market::Delta::Delta() : MarketCommon(0, 0, 0, 0), minutes_(0) {}

Market::Market(double level, double volatility, double rate, const Smile& smile,
               double div_yield, usr::P<TradingSchedule> schedule, Time time)
    : MarketCommon(level, volatility, rate, div_yield),
      smile_(smile),
      trading_schedule_(std::move(schedule)),
      time_(time) {}

Market::Local Market::local(double strike, Time expiry) const {
    if (!trading_schedule_) throw QuorvaException("Market has no trading schedule");
    Local local{trading_schedule_->year_frac(time_, expiry), volatility(), div_yield()};
    if (!surface_) return local;
    const VolSurface::Place place = surface_->place(*trading_schedule_, expiry);
    local.div_yield = place.yield + (div_yield() - surface_->base_yield());
    const double anchor = smile_.strike() == Smile::STICKY_DELTA ? level() : smile_.strike();
    // ln(strike / forward), the forward anchor * exp((r - q) tau); a strike at
    // 0 (or an index at 0) lies at the far end of the wings.
    const double k = strike > 0 && anchor > 0
                         ? std::log(strike / anchor) - (rate() - local.div_yield) * std::max(local.tau, 0.0)
                         : -HUGE_VAL;
    local.volatility = surface_->volatility(place, k) + (volatility() - surface_->base_volatility());
    return local;
}

Market& Market::operator+=(const Delta& d) {
    level() += d.level();
    volatility() += d.volatility();
    rate() += d.rate();
    div_yield() += d.div_yield();
    time_.add_minutes(d.minutes());
    return *this;
}

Market& Market::operator-=(const Delta& d) {
    level() -= d.level();
    volatility() -= d.volatility();
    rate() -= d.rate();
    div_yield() -= d.div_yield();
    time_.add_minutes(negated(d.minutes()));
    return *this;
}

Market operator+(const Market& m, const Market::Delta& d) {
    Market shifted(m);
    shifted += d;
    return shifted;
}

Market operator-(const Market& m, const Market::Delta& d) {
    Market shifted(m);
    shifted -= d;
    return shifted;
}

}  // namespace quorva
