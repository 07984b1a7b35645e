// The `show` command: one position in full, with what the pricer assumed for
// it (the volatility at its strike, the forward at its expiry, the time left)
// and what it makes of it.

#include "app/FixMarket.h"
#include "book/PositionDetail.h"

#include <boost/numeric/conversion/cast.hpp>

#include <istream>
#include <limits>
#include <ostream>
#include <string>

namespace quorva {

void QuorvaConsole::do_show(std::istream& in) {
    const FixMarket fix(market_);
    const int index = read_int(in);
    if (index == std::numeric_limits<int>::max()) throw_error("Expected index");
    if (index < 1 || index > boost::numeric_cast<int>(portfolio_.size())) throw_error("Index out of range");
    check_end(in);
    const Position& position = portfolio_[index - 1];
    const PositionDetail detail = PositionDetail::of(pricer_, market_, position);
    const auto line = [this](const std::string& name) -> std::ostream& {
        std::string padded = name;
        padded.resize(13, ' ');
        return out_ << padded;
    };
    line("instrument");
    position.second->print(out_) << "\n";
    line("quantity") << position.first << "\n";
    line("trade price");
    if (position.trade_price) {
        out_ << *position.trade_price << "\n";
    } else {
        out_ << "-\n";
    }
    line("label") << (position.label.empty() ? "-" : position.label) << "\n";
    line("unit price") << detail.unit_price << "\n";
    line("volatility") << detail.volatility * 100 << "% at the strike\n";
    line("forward") << detail.forward << " at the expiry\n";
    line("to expiry") << detail.calendar_days << " calendar days, " << detail.year_fraction << " trading years\n";
    line("intrinsic") << detail.intrinsic << "\n";
    line("time value") << detail.time_value << "\n";
    line("implied vol");
    if (detail.implied_volatility) {
        out_ << *detail.implied_volatility * 100 << "% from the trade price\n";
    } else {
        out_ << "-\n";
    }
    out_ << "\n";
}

}  // namespace quorva
