#include "calendar/TradingSchedule.h"

#include <algorithm>

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
    if (!trading_days_repeat_weekly()) return trading_minutes_by_walk(from, to);
    if (from > to) return -trading_minutes(to, from);
    const chrono::Date first = from.date();
    const long days = to.date() - first;
    // The days left after the whole weeks fall on the same days of the week
    // as the first days % 7, so the first week gives both counts.
    const long rest = days % 7;
    long per_week = 0;
    long in_rest = 0;
    chrono::Date day = first;
    for (long i = 0; i < std::min(days, 7L); ++i, ++day) {
        if (!is_trading_day(day)) continue;
        ++per_week;
        if (i < rest) ++in_rest;
    }
    const long trading_days = days / 7 * per_week + in_rest;
    return static_cast<int>(trading_days) * close_.minutes_from(open_) +
           minutes_of_end_days(from, to);
}

int ExchangeTrading::trading_minutes_by_walk(const Time& from, const Time& to) const {
    if (from > to) return -trading_minutes_by_walk(to, from);
    const int day_minutes = close_.minutes_from(open_);
    int total = 0;
    for (chrono::Date day = from.date(); day != to.date(); ++day) {
        if (is_trading_day(day)) total += day_minutes;
    }
    return total + minutes_of_end_days(from, to);
}

int ExchangeTrading::minutes_of_end_days(const Time& from, const Time& to) const {
    int minutes = 0;
    if (is_trading_day(to.date())) minutes += minutes_open_from_midnight(to.time_of_day());
    if (is_trading_day(from.date())) minutes -= minutes_open_from_midnight(from.time_of_day());
    return minutes;
}

unsigned ExchangeTrading::trading_minutes_per_year() const {
    return static_cast<unsigned>(close_.minutes_from(open_)) * trading_days_per_year();
}

bool ExchangeTrading::trading_days_repeat_weekly() const { return false; }

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

bool LSETrading::trading_days_repeat_weekly() const { return true; }

}  // namespace quorva
