// The commands that turn market prices into volatilities: `implvol` for one
// position, `calibrate` for the whole portfolio and a fitted smile.

#include "app/FixMarket.h"
#include "terminal/Interrupt.h"

#include <boost/numeric/conversion/cast.hpp>

#include <algorithm>
#include <cmath>
#include <istream>
#include <limits>
#include <ostream>

namespace quorva {

namespace {

const double NO_DOUBLE = std::numeric_limits<double>::max();

}  // namespace

void QuorvaConsole::do_implvol(std::istream& in) {
    const FixMarket fix(market_);
    const int count = boost::numeric_cast<int>(portfolio_.size());
    if (read_char(in) != '[') throw_error("Expected '['");
    const int index = read_int(in);
    if (index == std::numeric_limits<int>::max() || index < 1 || index > count) {
        throw_error("Index out of range");
    }
    if (read_char(in) != ']') throw_error("Expected ']'");
    const double price = read_double(in);
    if (price == NO_DOUBLE) throw_error("Expected target price");
    check_end(in);
    Interrupt::check();
    const Position& position = portfolio_[index - 1];
    const double vol = pricer_.implvol(market_, *position.second, price / position.first);
    if (vol == NO_DOUBLE) throw_error("Failed to calculate implied volatility");
    out_ << vol * 100 << "%\n";
}

std::pair<Smile, double> QuorvaConsole::do_calibrate(std::istream& in) {
    const FixMarket fix(market_);
    std::vector<std::pair<usr::P<Instrument>, double> > targets;
    for (const Position& position : portfolio_) {
        const double price = read_double(in);
        if (price == NO_DOUBLE) break;
        targets.emplace_back(position.second, price / position.first);
    }
    check_end(in);
    if (targets.size() < portfolio_.size()) throw_error("Incorrect number of calibration prices");
    const auto is_option = [](const std::pair<usr::P<Instrument>, double>& target) {
        return target.first->depends_on_volatility();
    };
    // An empty portfolio calibrates to the flat smile; futures alone imply nothing.
    if (!targets.empty() && std::none_of(targets.begin(), targets.end(), is_option)) {
        throw_error("No options to calibrate");
    }
    // Every volatility first, so that a failed search prints no part of the report.
    std::vector<double> vols;
    std::vector<std::pair<double, double> > points;
    for (const auto& target : targets) {
        Interrupt::check();
        vols.push_back(NO_DOUBLE);
        if (!is_option(target)) continue;
        vols.back() = pricer_.implvol(market_, *target.first, target.second);
        if (vols.back() == NO_DOUBLE) throw_error("Failed to calculate implied volatility");
        points.emplace_back(target.first->strike(), vols.back() - market_.volatility());
    }
    out_ << "\nCalibrating with:\n";
    for (std::size_t i = 0; i < targets.size(); ++i) {
        targets[i].first->print(out_) << "\t" << targets[i].second << "\t";
        if (vols[i] == NO_DOUBLE) {
            out_ << "-\n";
            continue;
        }
        const double difference = vols[i] - market_.volatility();
        out_ << vols[i] * 100 << "%\t(" << (difference >= 0 ? "+" : "-") << std::fabs(difference) * 100
             << "%)\n";
    }
    Smile smile(0, 0, 0);
    const double shift = smile.calibrate(points, market_.level());
    return std::make_pair(smile, shift);
}

}  // namespace quorva
