#pragma once
// The market in which every instrument is priced, and the shifts of it from
// which the greeks are built. Markets are plain values; copies share one
// trading schedule.

#include "calendar/Time.h"
#include "calendar/TradingSchedule.h"
#include "foundation/P.h"
#include "model/Smile.h"
#include "model/VolSurface.h"

namespace quorva {

/// The four numbers that a market and a market shift have in common.
/// Volatility, rate and dividend yield are annual fractions (0.2 is 20%),
/// rate and yield continuously compounded; the level is in index points.
class MarketCommon {
public:
    MarketCommon(double level, double volatility, double rate, double div_yield);

    double level() const { return level_; }
    double& level() { return level_; }
    /// Before the smile offset is added.
    double volatility() const { return volatility_; }
    double& volatility() { return volatility_; }
    double rate() const { return rate_; }
    double& rate() { return rate_; }
    double div_yield() const { return div_yield_; }
    double& div_yield() { return div_yield_; }

private:
    double level_;
    double volatility_;
    double rate_;
    double div_yield_;
};

class Market : public MarketCommon {
public:
    /// A shift of a market: the four numbers are added to the market's, and
    /// the market time moves by minutes. Default: no shift at all.
    class Delta : public MarketCommon {
    public:
        Delta();
        int minutes() const { return minutes_; }
        int& minutes() { return minutes_; }

    private:
        int minutes_;
    };

    /// Note the order: the smile comes between the rate and the dividend
    /// yield. A time of Time() stands for real time, which the market leaves
    /// to its owner to resolve.
    Market(double level, double volatility, double rate, const Smile& smile, double div_yield,
           usr::P<TradingSchedule> schedule, Time time);

    Smile smile() const { return smile_; }
    Smile& smile() { return smile_; }
    const usr::P<TradingSchedule>& trading_schedule() const { return trading_schedule_; }
    usr::P<TradingSchedule>& trading_schedule() { return trading_schedule_; }
    Time time() const { return time_; }
    Time& time() { return time_; }
    /// Empty unless a surface is installed.
    const usr::P<const VolSurface>& surface() const { return surface_; }
    usr::P<const VolSurface>& surface() { return surface_; }

    /// What an instrument is priced with: trading years to its expiry, its
    /// volatility before the smile offset and its dividend yield. Without a
    /// surface, the market's own volatility and yield; with one, the
    /// surface's at the strike and expiry, moved by the changes of the
    /// market's volatility and yield since it was fitted. The surface's
    /// log-moneyness is taken against the forward from the level, or from the
    /// smile's reference strike in sticky-strike mode. Throws
    /// QuorvaException for a market without a trading schedule.
    struct Local {
        double tau;
        double volatility;
        double div_yield;
    };
    Local local(double strike, Time expiry) const;

    /// Unclamped: a shift may take any number to zero or below.
    /// The smile and the schedule stay as they are.
    Market& operator+=(const Delta& d);
    Market& operator-=(const Delta& d);

private:
    Smile smile_;
    usr::P<TradingSchedule> trading_schedule_;
    Time time_;
    usr::P<const VolSurface> surface_;
};

Market operator+(const Market& m, const Market::Delta& d);
Market operator-(const Market& m, const Market::Delta& d);

}  // namespace quorva
