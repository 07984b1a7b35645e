#include "model/Market.h"

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
