#include "book/PositionDetail.h"

#include "calendar/TradingSchedule.h"

#include <cmath>
#include <limits>

namespace quorva {

namespace {

const double MINUTES_PER_DAY = 1440;

}  // namespace

PositionDetail PositionDetail::of(BinomialTreePricer& pricer, const Market& market, const Position& position) {
    const Instrument& instrument = *position.second;
    PositionDetail detail;
    detail.unit_price = pricer.price(market, instrument);
    // As the tree takes them: the smile read at the strike, the drift over
    // the trading year fraction.
    detail.volatility = market.volatility() + market.smile().eval(instrument.strike(), market.level());
    detail.year_fraction = market.trading_schedule()->year_frac(market.time(), instrument.expiry());
    detail.forward = market.level() * std::exp((market.rate() - market.div_yield()) * detail.year_fraction);
    detail.calendar_days = instrument.expiry().minutes_from(market.time()) / MINUTES_PER_DAY;
    detail.intrinsic = instrument.payoff(market.level());
    detail.time_value = detail.unit_price - detail.intrinsic;
    if (position.trade_price && instrument.depends_on_volatility()) {
        const double implied = pricer.implvol(market, instrument, *position.trade_price);
        if (implied != std::numeric_limits<double>::max()) detail.implied_volatility = implied;
    }
    return detail;
}

}  // namespace quorva
