#pragma once
// Exchanges whose closed days and early closes come from their rules and
// from the days a user adds, with the trading time between any two instants
// read off a prefix count of trading minutes per day.

#include "calendar/ExchangeRules.h"
#include "calendar/TradingSchedule.h"
#include "foundation/P.h"

#include <string>
#include <vector>

namespace quorva {

/// An exchange's calendar from 1 January 2000 to 31 December 2199.
class ExchangeCalendar final : public ExchangeTrading {
public:
    /// Computes every special day of the two centuries from `rules`, which
    /// must outlive the calendar.
    explicit ExchangeCalendar(const ExchangeRules& rules);

    /// The one process-wide calendar of each exchange, created on the first call.
    static usr::P<ExchangeCalendar> lse();
    static usr::P<ExchangeCalendar> eurex();
    static usr::P<ExchangeCalendar> nyse();

    /// The calendar `schedule` holds, or null when it is not an exchange calendar.
    static const ExchangeCalendar* of(const usr::P<TradingSchedule>& schedule);

    /// A copy of this calendar with `added` as well: a weekday of 2000 to
    /// 2199 that is then closed, or closes early (between the opening and
    /// the closing). It replaces a day added before on the same date and
    /// overrides the rules on that date.
    usr::P<ExchangeCalendar> with_day(const SpecialDay& added) const;
    /// The days added to the rules, in date order.
    const std::vector<SpecialDay>& added_days() const { return added_; }

    /// Constant time: two lookups in the prefix count. Throws
    /// chrono::ChronoException "Date out of range" for an instant past 2199.
    int trading_minutes(const Time& from, const Time& to) const override;
    std::string name() const override { return rules_->name; }
    bool is_trading_day(const chrono::Date& day) const override;
    Time::OfDay closing_on(const chrono::Date& day) const override;
    /// 260: the weekdays of a year, as the exchange schedule always had.
    unsigned trading_days_per_year() const override;

private:
    ExchangeCalendar(const ExchangeRules& rules, std::vector<SpecialDay> added);

    /// The special day on `day`, or null.
    const SpecialDay* special_on(const chrono::Date& day) const;
    /// Fills special_ from the rules and the added days, then the prefix count.
    void build();
    /// Trading minutes from 1 January 2000 00:00 to `t`.
    int minutes_to(const Time& t) const;

    const ExchangeRules* rules_;
    std::vector<SpecialDay> added_;
    /// The rules' special days and the added ones, one per date, in date order.
    std::vector<SpecialDay> special_;
    /// Element d: trading minutes before day d counted from 1 January 2000,
    /// for d from 0 to one past 31 December 2199.
    std::vector<int> minutes_before_;
};

}  // namespace quorva
