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
    if (from > to) return -trading_minutes(to, from);
    const int day_minutes = close_.minutes_from(open_);
    int total = 0;
    for (chrono::Date day = from.date(); day != to.date(); ++day) {
        if (is_trading_day(day)) total += day_minutes;
    }
    if (is_trading_day(to.date())) total += minutes_open_from_midnight(to.time_of_day());
    if (is_trading_day(from.date())) total -= minutes_open_from_midnight(from.time_of_day());
    return total;
}

unsigned ExchangeTrading::trading_minutes_per_year() const {
    return static_cast<unsigned>(close_.minutes_from(open_)) * trading_days_per_year();
}

int ExchangeTrading::minutes_open_from_midnight(const Time::OfDay& t) const {
    if (t < open_) return 0;
    if (t > close_) return close_.minutes_from(open_);
    return t.minutes_from(open_);
}

LSETrading::LSETrading() : ExchangeTrading(Time::OfDay(8, 0), Time::OfDay(16, 30)) {}

usr::P<LSETrading> LSETrading::instance() {
    static const usr::P<LSETrading> one(new LSETrading);
    return one;
}

std::string LSETrading::name() const { return "LSE"; }

bool LSETrading::is_trading_day(const chrono::Date& day) const { return day.is_week_day(); }

unsigned LSETrading::trading_days_per_year() const { return 260; }

}  // namespace quorva
