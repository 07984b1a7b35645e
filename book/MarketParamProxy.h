#pragma once
// Read/write handle on one numeric market parameter chosen by name, through
// which `set` changes and the what-if loop steps the level, volatility, rate
// or dividend yield.

#include "model/Market.h"

#include <string>

namespace quorva {

class MarketParamProxy {
public:
    enum Param { NONE = 0, LEVEL = 1, VOL = 2, RATE = 3, DIVYLD = 4, DAYS = 5 };

    /// "level", "vol", "rate", "divyld" or "days" in any letter case; NONE otherwise.
    static Param parse_param(std::string name);

    MarketParamProxy(Market& market, Param param);
    /// True for the parameters typed in percent and held as fractions.
    bool is_percentage() const;
    /// Stores a value: a fraction for the percentage parameters; for DAYS,
    /// moves the market time that many calendar days (of 1440 minutes,
    /// rounded to the minute) from where it is.
    void set(double value);
    /// Refuses a value as typed (in percent for the percentage parameters)
    /// that means nothing for the parameter: "Level must be positive" for a
    /// level of 0 or less, "Volatility must not be negative" for a volatility
    /// below 0, "Date too early" or "Date too late" for days that take the
    /// market time out of the calendar. Rates and yields may take any value.
    void check_typed(double typed) const;
    /// Sets the value as typed, once check_typed() has accepted it.
    void set_typed(double typed);

private:
    double& field() const;

    Market& market_;
    Param param_;
};

}  // namespace quorva
