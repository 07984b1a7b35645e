#pragma once
// Trading schedules: the trading time between two instants, in minutes and as
// a fraction of a trading year. Schedules are owned only through usr::P
// handles of the concrete type, so the bases have no virtual destructor.

#include "calendar/Date.h"
#include "calendar/Time.h"
#include "foundation/P.h"

#include <string>

namespace quorva {

class TradingSchedule {
public:
    /// Trading minutes from `from` to `to`; negative when `to` precedes `from`.
    virtual int trading_minutes(const Time& from, const Time& to) const = 0;
    virtual unsigned trading_minutes_per_year() const = 0;
    virtual std::string name() const = 0;
    /// trading_minutes over trading_minutes_per_year, unrounded and unbounded.
    virtual double year_frac(const Time& from, const Time& to) const;

protected:
    TradingSchedule() = default;
    ~TradingSchedule() = default;
};

/// Every calendar minute counts: 365 x 1440 minutes a year.
class ContinuousTrading final : public TradingSchedule {
public:
    ContinuousTrading() = default;

    /// The one process-wide object, created on the first call.
    static usr::P<ContinuousTrading> instance();

    int trading_minutes(const Time& from, const Time& to) const override;
    unsigned trading_minutes_per_year() const override;
    std::string name() const override;
};

/// An exchange open from `open_` to `close_` on its trading days.
class ExchangeTrading : public TradingSchedule {
public:
    /// Unchecked: the opening is assumed to precede the closing.
    ExchangeTrading(Time::OfDay open, Time::OfDay close);

    /// Counts whole weeks at once when trading_days_repeat_weekly(), so at most
    /// seven days are looked at; otherwise the same as trading_minutes_by_walk.
    int trading_minutes(const Time& from, const Time& to) const override;
    /// Walks every calendar day between the instants: the reference that
    /// trading_minutes must equal for every pair of instants.
    int trading_minutes_by_walk(const Time& from, const Time& to) const;
    /// Minutes of one trading day times trading_days_per_year().
    unsigned trading_minutes_per_year() const override;
    virtual bool is_trading_day(const chrono::Date& day) const = 0;
    virtual unsigned trading_days_per_year() const = 0;
    /// True only when is_trading_day depends on nothing but the day of the
    /// week, so that every seven consecutive days hold as many trading days.
    /// False here: a schedule with holidays must walk.
    virtual bool trading_days_repeat_weekly() const;

    /// Minutes the exchange has been open on a trading day by time of day `t`:
    /// 0 up to the opening, the whole trading day from the closing on.
    int minutes_open_from_midnight(const Time::OfDay& t) const;

protected:
    ~ExchangeTrading() = default;

private:
    /// The minutes of to's day up to to, less those of from's day up to from,
    /// each counted when its day is a trading day.
    int minutes_of_end_days(const Time& from, const Time& to) const;

    Time::OfDay open_;
    Time::OfDay close_;
};

/// The London Stock Exchange: 08:00 to 16:30, Monday to Friday, no holidays.
class LSETrading final : public ExchangeTrading {
public:
    LSETrading();

    /// The one process-wide object, created on the first call.
    static usr::P<LSETrading> instance();

    std::string name() const override;
    bool is_trading_day(const chrono::Date& day) const override;
    unsigned trading_days_per_year() const override;
    /// True: Monday to Friday, with no holidays.
    bool trading_days_repeat_weekly() const override;
};

}  // namespace quorva
