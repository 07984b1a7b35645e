#include "calendar/ExchangeCalendar.h"

#include <algorithm>
#include <map>
#include <utility>

namespace quorva {

namespace {

/// The days from 1 January 2000 to 1 January 2200.
long days_of_calendar() { return chrono::Date::LAST() - Time::JAN_1ST; }

bool earlier(const SpecialDay& a, const SpecialDay& b) { return a.day < b.day; }

}  // namespace

ExchangeCalendar::ExchangeCalendar(const ExchangeRules& rules) : ExchangeCalendar(rules, {}) {}

ExchangeCalendar::ExchangeCalendar(const ExchangeRules& rules, std::vector<SpecialDay> added)
    : ExchangeTrading(rules.open, rules.close), rules_(&rules), added_(std::move(added)) {
    build();
}

usr::P<ExchangeCalendar> ExchangeCalendar::lse() {
    static const usr::P<ExchangeCalendar> one(new ExchangeCalendar(ExchangeRules::lse()));
    return one;
}

usr::P<ExchangeCalendar> ExchangeCalendar::eurex() {
    static const usr::P<ExchangeCalendar> one(new ExchangeCalendar(ExchangeRules::eurex()));
    return one;
}

usr::P<ExchangeCalendar> ExchangeCalendar::nyse() {
    static const usr::P<ExchangeCalendar> one(new ExchangeCalendar(ExchangeRules::nyse()));
    return one;
}

const ExchangeCalendar* ExchangeCalendar::of(const usr::P<TradingSchedule>& schedule) {
    return dynamic_cast<const ExchangeCalendar*>(schedule.impl().get());
}

usr::P<ExchangeCalendar> ExchangeCalendar::with_day(const SpecialDay& added) const {
    std::vector<SpecialDay> days = added_;
    const auto at = std::lower_bound(days.begin(), days.end(), added, earlier);
    if (at != days.end() && at->day == added.day) {
        *at = added;
    } else {
        days.insert(at, added);
    }
    return usr::P<ExchangeCalendar>(new ExchangeCalendar(*rules_, std::move(days)));
}

int ExchangeCalendar::trading_minutes(const Time& from, const Time& to) const {
    return minutes_to(to) - minutes_to(from);
}

bool ExchangeCalendar::is_trading_day(const chrono::Date& day) const {
    if (!day.is_week_day()) return false;
    const SpecialDay* special = special_on(day);
    return !special || special->early_close;
}

Time::OfDay ExchangeCalendar::closing_on(const chrono::Date& day) const {
    const SpecialDay* special = special_on(day);
    return special && special->early_close ? *special->early_close : closing();
}

unsigned ExchangeCalendar::trading_days_per_year() const { return 260; }

const SpecialDay* ExchangeCalendar::special_on(const chrono::Date& day) const {
    const auto at = std::lower_bound(special_.begin(), special_.end(), SpecialDay{day, std::nullopt}, earlier);
    return at != special_.end() && at->day == day ? &*at : nullptr;
}

void ExchangeCalendar::build() {
    // One entry per date: a closure wins over an early close of the rules,
    // and an added day over both.
    std::map<chrono::Date, std::optional<Time::OfDay> > days;
    for (int year = Time::JAN_1ST.year(); year < chrono::Date::LAST().year(); ++year) {
        for (const SpecialDay& special : rules_->special_days(year)) {
            const auto entry = days.emplace(special.day, special.early_close);
            if (!special.early_close) entry.first->second.reset();
        }
    }
    for (const SpecialDay& added : added_) days[added.day] = added.early_close;
    special_.clear();
    for (const auto& entry : days) special_.push_back({entry.first, entry.second});

    const long count = days_of_calendar();
    minutes_before_.assign(static_cast<std::size_t>(count) + 1, 0);
    const int full_day = closing().minutes_from(opening());
    auto next = special_.begin();
    chrono::Date day = Time::JAN_1ST;
    for (long d = 0; d < count; ++d, ++day) {
        while (next != special_.end() && next->day < day) ++next;
        int minutes = 0;
        if (day.is_week_day()) {
            minutes = full_day;
            if (next != special_.end() && next->day == day) {
                minutes = next->early_close ? next->early_close->minutes_from(opening()) : 0;
            }
        }
        const auto i = static_cast<std::size_t>(d);
        minutes_before_[i + 1] = minutes_before_[i] + minutes;
    }
}

int ExchangeCalendar::minutes_to(const Time& t) const {
    const std::size_t d = t.days_from_1jan2000();
    if (d + 1 >= minutes_before_.size()) throw chrono::ChronoException("Date out of range");
    const int day_minutes = minutes_before_[d + 1] - minutes_before_[d];
    const int open = static_cast<int>(t.minutes_from_midnight()) - static_cast<int>(opening().minutes_from_midnight());
    return minutes_before_[d] + std::clamp(open, 0, day_minutes);
}

}  // namespace quorva
