#include "calendar/TradingSchedule.h"

namespace quorva {

double TradingSchedule::year_frac(const Time& from, const Time& to) const {
    return static_cast<double>(trading_minutes(from, to)) /
           static_cast<double>(trading_minutes_per_year());
}

usr::P<ContinuousTrading> ContinuousTrading::instance() {
    static const usr::P<ContinuousTrading> one(new ContinuousTrading);
    return one;
}

int ContinuousTrading::trading_minutes(const Time& from, const Time& to) const {
    return to.minutes_from(from);
}

unsigned ContinuousTrading::trading_minutes_per_year() const { return 365 * 1440; }

std::string ContinuousTrading::name() const { return "Continuous"; }

ExchangeTrading::ExchangeTrading(Time::OfDay open, Time::OfDay close)
    : open_(open), close_(close) {}

int ExchangeTrading::trading_minutes(const Time& from, const Time& to) const {
    return trading_minutes_by_walk(from, to);
}

int ExchangeTrading::trading_minutes_by_walk(const Time& from, const Time& to) const {
    if (from > to) return -trading_minutes_by_walk(to, from);
    const chrono::Date last = to.date();
    int total = 0;
    for (chrono::Date day = from.date(); day != last; ++day) total += minutes_open_on(day, close_);
    return total + minutes_open_on(last, to.time_of_day()) -
           minutes_open_on(from.date(), from.time_of_day());
}

unsigned ExchangeTrading::trading_minutes_per_year() const {
    return static_cast<unsigned>(close_.minutes_from(open_)) * trading_days_per_year();
}

Time::OfDay ExchangeTrading::closing_on(const chrono::Date&) const { return close_; }

int ExchangeTrading::minutes_open_from_midnight(const Time::OfDay& t) const { return open_until(close_, t); }

int ExchangeTrading::minutes_open_on(const chrono::Date& day, const Time::OfDay& t) const {
    return is_trading_day(day) ? open_until(closing_on(day), t) : 0;
}

int ExchangeTrading::open_until(const Time::OfDay& close, const Time::OfDay& t) const {
    if (t < open_) return 0;
    if (t > close) return close.minutes_from(open_);
    return t.minutes_from(open_);
}

}  // namespace quorva
