#pragma once
// What the pricer assumed for one position and what it makes of it: the
// volatility at its strike, the forward at its expiry, the time left, its
// intrinsic and time value, and the volatility its trade price implies.

#include "book/Position.h"
#include "model/BinomialTreePricer.h"
#include "model/Market.h"

#include <optional>

namespace quorva {

struct PositionDetail {
    /// Price of one unit, in index points.
    double unit_price;
    /// The market volatility plus the smile at the strike (annual fraction).
    double volatility;
    /// The level grown at the rate less the dividend yield to the expiry.
    double forward;
    /// Calendar days (of 1440 minutes) from the market time to the expiry.
    double calendar_days;
    /// The same span in years of the market's trading calendar.
    double year_fraction;
    /// The payoff at the level now, per unit.
    double intrinsic;
    /// unit_price - intrinsic.
    double time_value;
    /// The flat volatility at which a unit is worth the trade price; none
    /// without a trade price, for a future, or when none fits.
    std::optional<double> implied_volatility;

    /// The market time must be a real instant.
    static PositionDetail of(BinomialTreePricer& pricer, const Market& market, const Position& position);
};

}  // namespace quorva
