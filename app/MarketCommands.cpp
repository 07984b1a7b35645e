// The market commands `market` and `set`, and the market guard.

#include "app/FixMarket.h"
#include "book/MarketParamProxy.h"
#include "terminal/TextFile.h"

#include "calendar/ExchangeCalendar.h"
#include "calendar/Time.h"
#include "calendar/TradingSchedule.h"

#include <boost/algorithm/string/case_conv.hpp>

#include <istream>
#include <limits>
#include <ostream>
#include <sstream>

namespace quorva {

QuorvaConsole::FixMarket::FixMarket(Market& market) : market_(market), saved_(market) {
    if (market_.time() == Time()) market_.time() = Time::now();
}

QuorvaConsole::FixMarket::~FixMarket() { market_ = saved_; }

Time QuorvaConsole::FixMarket::time() const { return market_.time(); }

int QuorvaConsole::market_year() const {
    return (market_.time() == Time() ? Time::now() : market_.time()).date().year();
}

void QuorvaConsole::do_market(std::istream& in) {
    check_end(in);
    const Smile smile = market_.smile();
    out_ << "level  = " << market_.level() << "\n";
    out_ << "vol    = " << market_.volatility() * 100 << "%\n";
    out_ << "smile  = (";
    if (smile.strike() == Smile::STICKY_DELTA) {
        out_ << '-';
    } else {
        out_ << smile.strike();
    }
    out_ << ", " << smile.skew() << ", " << smile.convexity() << ")\n";
    out_ << "rate   = " << market_.rate() * 100 << "%\n";
    out_ << "divyld = " << market_.div_yield() * 100 << "%\n";
    if (market_.time() == Time()) {
        out_ << "time   = " << Time::now() << " [realtime]\n";
    } else {
        out_ << "time   = " << market_.time() << "\n";
    }
    out_ << "trade  = " << market_.trading_schedule()->name() << "\n";
    if (multiplier_ != 1) out_ << "multiplier = " << multiplier_ << "\n";
    if (const ExchangeCalendar* calendar = ExchangeCalendar::of(market_.trading_schedule())) {
        const char* separator = "added  = ";
        for (const SpecialDay& added : calendar->added_days()) {
            out_ << separator << added;
            separator = ", ";
        }
        if (!calendar->added_days().empty()) out_ << "\n";
    }
    out_ << "\n";
}

void QuorvaConsole::do_set(std::istream& in) {
    const std::string name = read_string(in, "=");
    if (name.empty()) throw_error("Expected market parameter");
    if (name == "realtime") {
        check_end(in);
        market_.time() = Time();
        return;
    }
    if (name == "stickystrike") {
        check_end(in);
        market_.smile().set_sticky_strike(market_.level());
        return;
    }
    if (name == "stickydelta") {
        check_end(in);
        market_.smile().set_sticky_strike(Smile::STICKY_DELTA);
        return;
    }
    if (name == "trading") return set_trading(in);
    if (name == "holiday") return set_holiday(in);
    // "set vol=25" and "set vol = 25" read like "set vol 25".
    if (peek_char(in) == '=') read_char(in);
    if (name == "smile") return set_smile(in);
    if (name == "multiplier") return set_multiplier(in);
    // Names are exact here, unlike the loop parameters of `for` and `plot`.
    MarketParamProxy::Param param = MarketParamProxy::NONE;
    if (name == "level") param = MarketParamProxy::LEVEL;
    if (name == "vol") param = MarketParamProxy::VOL;
    if (name == "rate") param = MarketParamProxy::RATE;
    if (name == "divyld") param = MarketParamProxy::DIVYLD;
    MarketParamProxy proxy(market_, param);
    const bool percent = proxy.is_percentage();
    const double value = percent ? read_percent(in) : read_double(in);
    if (value == std::numeric_limits<double>::max()) throw_error("Expected value");
    // "20%", as `market` shows a percentage.
    if (percent && peek_char(in) == '%') read_char(in);
    if (name == "date") return set_date(value, in);
    if (name == "time") return set_time(value, in);
    check_end(in);
    if (param == MarketParamProxy::NONE) throw_error("Unknown market parameter '" + echoed(name) + "'");
    if (!percent) return proxy.set_typed(value);
    // The fraction has the sign of the percent typed.
    proxy.check_typed(value);
    proxy.set(value);
}

void QuorvaConsole::set_multiplier(std::istream& in) {
    const double multiplier = read_double(in);
    if (multiplier == std::numeric_limits<double>::max()) throw_error("Expected value");
    check_end(in);
    if (!(multiplier > 0)) throw_error("Multiplier must be positive");
    multiplier_ = multiplier;
}

void QuorvaConsole::set_trading(std::istream& in) {
    if (peek_char(in) == '=') read_char(in);
    const std::string word = boost::algorithm::to_lower_copy(read_string(in, ""));
    usr::P<TradingSchedule> schedule;
    if (word == "continuous") {
        schedule = ContinuousTrading::instance();
    } else if (word == "lse") {
        schedule = ExchangeCalendar::lse();
    } else if (word == "eurex") {
        schedule = ExchangeCalendar::eurex();
    } else if (word == "nyse") {
        schedule = ExchangeCalendar::nyse();
    } else {
        throw_error("Expected trading schedule 'continuous', 'lse', 'eurex' or 'nyse'");
    }
    if (market_.trading_schedule()->name() != schedule->name()) market_.trading_schedule() = schedule;
}

void QuorvaConsole::set_holiday(std::istream& in) {
    const ExchangeCalendar* calendar = ExchangeCalendar::of(market_.trading_schedule());
    if (!calendar) throw_error("Holidays need an exchange: set trading lse, eurex or nyse first");
    const chrono::Date day = read_date(in, market_year());
    int hour = 0;
    int minute = 0;
    const bool early = read_at_time(in, hour, minute);
    check_end(in);
    if (day < Time::JAN_1ST) throw_error("Date too early");
    if (!day.is_week_day()) throw_error("Not a weekday");
    SpecialDay added{day, std::nullopt};
    if (early) {
        added.early_close = Time::OfDay(static_cast<unsigned>(hour), static_cast<unsigned>(minute));
        if (!(calendar->opening() < *added.early_close && *added.early_close < calendar->closing())) {
            throw_error("Early close must fall within the trading day");
        }
    }
    market_.trading_schedule() = calendar->with_day(added);
}

void QuorvaConsole::set_smile(std::istream& in) {
    const std::string reference = read_string(in, "");
    double strike = Smile::STICKY_DELTA;
    if (reference != "-") {
        std::istringstream number(reference);
        strike = read_double(number);
        if (reference.empty() || strike == std::numeric_limits<double>::max() || !read_string(number, "").empty()) {
            throw_error("Expected smile reference strike or '-'");
        }
    }
    const double skew = read_double(in);
    if (skew == std::numeric_limits<double>::max()) throw_error("Expected smile skew");
    const double convexity = read_double(in);
    if (convexity == std::numeric_limits<double>::max()) throw_error("Expected smile convexity");
    check_end(in);
    market_.smile() = Smile(strike, skew, convexity);
}

void QuorvaConsole::set_date(double day_value, std::istream& in) {
    const int day = cast_to_int(day_value);
    const chrono::Date::Month month = cast_to_month(read_string(in, "0123456789"));
    int year = read_int(in);
    if (year == std::numeric_limits<int>::max()) year = market_year();
    check_end(in);
    if (year <= 99) year += 2000;
    chrono::Date date;
    try {
        date = chrono::Date(year, month, day);
    } catch (const chrono::ChronoException&) {
        throw_error("Invalid date");
    }
    Time now;
    {
        const FixMarket fix(market_);
        now = fix.time();
    }
    market_.time() = Time(date, now.hour(), now.minute());
}

void QuorvaConsole::set_time(double hour_value, std::istream& in) {
    const int hour = cast_to_int(hour_value);
    if (read_char(in) != ':') throw_error("Expected ':'");
    const int minute = read_int(in);
    check_end(in);
    Time now;
    {
        const FixMarket fix(market_);
        now = fix.time();
    }
    market_.time() = Time(now.date(), static_cast<unsigned>(hour), static_cast<unsigned>(minute));
}

}  // namespace quorva
