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

/// An exchange open from `open_` on its trading days, to `close_` or to an
/// earlier closing on some of them.
class ExchangeTrading : public TradingSchedule {
public:
    /// Unchecked: the opening is assumed to precede the closing.
    ExchangeTrading(Time::OfDay open, Time::OfDay close);

    /// The same as trading_minutes_by_walk unless a schedule counts faster.
    int trading_minutes(const Time& from, const Time& to) const override;
    /// Walks every calendar day between the instants: the reference that
    /// trading_minutes must equal for every pair of instants.
    int trading_minutes_by_walk(const Time& from, const Time& to) const;
    /// Minutes of one full trading day times trading_days_per_year().
    unsigned trading_minutes_per_year() const override;
    virtual bool is_trading_day(const chrono::Date& day) const = 0;
    virtual unsigned trading_days_per_year() const = 0;
    /// When trading stops on a trading day: close_ unless the day closes early.
    virtual Time::OfDay closing_on(const chrono::Date& day) const;

    Time::OfDay opening() const { return open_; }
    Time::OfDay closing() const { return close_; }
    /// Minutes the exchange has been open on a full trading day by time of
    /// day `t`: 0 up to the opening, the whole trading day from the closing on.
    int minutes_open_from_midnight(const Time::OfDay& t) const;
    /// The same on `day`, which closes at closing_on(day); 0 on a closed day.
    int minutes_open_on(const chrono::Date& day, const Time::OfDay& t) const;

protected:
    ~ExchangeTrading() = default;

private:
    /// Minutes open by time of day `t` on a day that closes at `close`.
    int open_until(const Time::OfDay& close, const Time::OfDay& t) const;

    Time::OfDay open_;
    Time::OfDay close_;
};

}  // namespace quorva
