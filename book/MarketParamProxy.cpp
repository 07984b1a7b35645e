#include "book/MarketParamProxy.h"

#include "calendar/Time.h"
#include "foundation/QuorvaException.h"

#include <boost/algorithm/string/case_conv.hpp>

#include <cmath>

namespace quorva {

namespace {

const double MINUTES_PER_DAY = 1440;

/// Minutes from 1 January 2000 to 31 December 2199 at 23:59, the last instant.
double last_minute() {
    static const double last =
        static_cast<double>(chrono::Date(2199, chrono::Date::DEC, 31) - Time::JAN_1ST) * MINUTES_PER_DAY + 1439;
    return last;
}

}  // namespace

MarketParamProxy::Param MarketParamProxy::parse_param(std::string name) {
    boost::algorithm::to_lower(name);
    if (name == "level") return LEVEL;
    if (name == "vol") return VOL;
    if (name == "rate") return RATE;
    if (name == "divyld") return DIVYLD;
    if (name == "days") return DAYS;
    return NONE;
}

MarketParamProxy::MarketParamProxy(Market& market, Param param)
    : market_(market), param_(param) {}

bool MarketParamProxy::is_percentage() const {
    return param_ == VOL || param_ == RATE || param_ == DIVYLD;
}

void MarketParamProxy::set(double value) {
    if (param_ == DAYS) {
        market_.time().add_minutes(static_cast<int>(std::lround(value * MINUTES_PER_DAY)));
        return;
    }
    field() = value;
}

void MarketParamProxy::check_typed(double typed) const {
    if (param_ == LEVEL && !(typed > 0)) throw QuorvaException("Level must be positive");
    if (param_ == VOL && !(typed >= 0)) throw QuorvaException("Volatility must not be negative");
    if (param_ == DAYS) {
        // Minutes since 1 January 2000 of the moved time, within the calendar.
        const double moved = market_.time().minutes_from_midnight_1jan2000() + std::round(typed * MINUTES_PER_DAY);
        if (moved < 0) throw QuorvaException("Date too early");
        if (!(moved <= last_minute())) throw QuorvaException("Date too late");
    }
}

void MarketParamProxy::set_typed(double typed) {
    check_typed(typed);
    set(is_percentage() ? typed / 100 : typed);
}

double& MarketParamProxy::field() const {
    switch (param_) {
    case LEVEL: return market_.level();
    case VOL: return market_.volatility();
    case RATE: return market_.rate();
    case DIVYLD: return market_.div_yield();
    default: throw QuorvaException("Unknown market param - internal error");
    }
}

}  // namespace quorva
