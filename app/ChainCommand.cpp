// `calibrate chain FILE.csv`: reads a chain of option quotes, fits a
// volatility surface and forwards to it, reports the fit by expiry and
// installs the surface.

#include "app/FixMarket.h"
#include "terminal/Interrupt.h"
#include "terminal/TextFile.h"

#include "files/CsvReader.h"
#include "foundation/QuorvaException.h"
#include "model/ChainCalibration.h"

#include <boost/algorithm/string/case_conv.hpp>
#include <boost/algorithm/string/predicate.hpp>

#include <cmath>
#include <limits>
#include <map>
#include <ostream>
#include <set>
#include <sstream>

namespace quorva {

namespace {

/// The columns of a chain file; npos for one that is absent.
struct Columns {
    std::size_t expiry;
    std::size_t time;
    std::size_t strike;
    std::size_t type;
    std::size_t price;
    std::size_t bid;
    std::size_t ask;
};

Columns find_columns(const CsvReader& csv) {
    Columns c{csv.column("expiry"), csv.column("time"), csv.column("strike"), csv.column("type"),
              csv.column("price"),  csv.column("bid"),  csv.column("ask")};
    const auto require = [&](std::size_t column, const std::string& names) {
        if (column == CsvReader::npos) {
            QuorvaConsole::throw_error(echoed_path(csv.path()) + ":1: Missing column " + names);
        }
    };
    require(c.expiry, "'expiry'");
    require(c.strike, "'strike'");
    require(c.type, "'type'");
    if (c.price == CsvReader::npos) {
        require(c.bid, "'price' or 'bid'");
        require(c.ask, "'ask'");
    }
    return c;
}

/// The cell, or "" where the row is short.
std::string cell(const CsvReader::Row& row, std::size_t column) {
    return column < row.cells.size() ? row.cells[column] : std::string();
}

/// A whole cell as a number; the largest double for an empty cell.
double number(const CsvReader& csv, const CsvReader::Row& row, std::size_t column, const std::string& what) {
    std::istringstream in(cell(row, column));
    if (QuorvaConsole::peek_char(in) == 0) return std::numeric_limits<double>::max();
    const double x = QuorvaConsole::read_double(in);
    if (x == std::numeric_limits<double>::max() || !QuorvaConsole::read_string(in, "").empty() || !std::isfinite(x)) {
        csv.fail(row, "Unreadable " + what + " '" + echoed(cell(row, column)) + "'");
    }
    return x;
}

/// "20mar09" (with an optional "@16:30") or "2009-03-20"; the time column's
/// "16:30" where one is given.
Time expiry(const CsvReader& csv, const CsvReader::Row& row, const Columns& c, int untyped_year) {
    const std::string date = cell(row, c.expiry);
    std::istringstream time_text(c.time == CsvReader::npos ? "" : cell(row, c.time));
    try {
        Time t;
        int year = 0;
        int month = 0;
        int day = 0;
        char dash1 = 0;
        char dash2 = 0;
        std::istringstream iso(date);
        if (iso >> year >> dash1 >> month >> dash2 >> day && dash1 == '-' && dash2 == '-' && (iso >> std::ws).eof()) {
            if (month < 1 || month > 12) throw QuorvaException("Unknown month");
            t = Time(chrono::Date(year, static_cast<chrono::Date::Month>(month), day), 23, 59);
        } else {
            std::istringstream text(date);
            t = QuorvaConsole::read_expiry(text, untyped_year);
            QuorvaConsole::check_end(text);
        }
        if (QuorvaConsole::peek_char(time_text) == 0) return t;
        const int hour = QuorvaConsole::read_int(time_text);
        if (QuorvaConsole::read_char(time_text) != ':') throw QuorvaException("Expected ':'");
        const int minute = QuorvaConsole::read_int(time_text);
        QuorvaConsole::check_end(time_text);
        if (hour < 0 || minute < 0) throw QuorvaException("Negative time");
        return Time(t.date(), static_cast<unsigned>(hour), static_cast<unsigned>(minute));
    } catch (const usr::Exception&) {
        const std::string time = c.time == CsvReader::npos ? "" : cell(row, c.time);
        csv.fail(row, "Unreadable expiry '" + echoed(date + (time.empty() ? "" : " " + time)) + "'");
    }
}

/// A quote's mid or price; false for a row to skip, without a bid or an ask.
bool price_of(const CsvReader& csv, const CsvReader::Row& row, const Columns& c, double& price) {
    const double missing = std::numeric_limits<double>::max();
    if (c.price != CsvReader::npos) {
        price = number(csv, row, c.price, "price");
        if (price == missing) return false;
        if (price < 0) csv.fail(row, "Negative price");
        return true;
    }
    const double bid = number(csv, row, c.bid, "bid");
    const double ask = number(csv, row, c.ask, "ask");
    if ((bid != missing && bid < 0) || (ask != missing && ask < 0)) csv.fail(row, "Negative price");
    if (bid == missing || bid == 0 || ask == missing) return false;
    if (bid > ask) {
        std::ostringstream message;
        message << "Crossed quote: bid " << bid << " above ask " << ask;
        csv.fail(row, message.str());
    }
    price = (bid + ask) / 2;
    return true;
}

std::string shape_text(const ChainCalibration::Expiry& row) {
    const std::string strikes = std::to_string(row.strikes) + (row.strikes == 1 ? " strike)" : " strikes)");
    switch (row.shape) {
    case SmileShape::SVI: return "SVI";
    case SmileShape::STRAIGHT: return "straight (" + strikes;
    case SmileShape::FLAT: break;
    }
    return "flat (" + strikes;
}

std::string arbitrage_text(const ChainCalibration::Expiry& row) {
    if (row.butterfly && row.calendar) return "butterfly, calendar";
    if (row.butterfly) return "butterfly";
    if (row.calendar) return "calendar";
    return "none";
}

/// Volatility points to two decimals.
double points(double x) { return std::round(x * 100) / 100; }

}  // namespace

void QuorvaConsole::do_calibrate_chain(std::istream& in) {
    const std::string file = read_file_name(in);
    const CsvReader csv(file);
    const std::string shown = echoed_path(file);
    const Columns columns = find_columns(csv);
    std::vector<ChainQuote> quotes;
    std::map<Time, unsigned> skipped_at;
    unsigned skipped = 0;
    for (const CsvReader::Row& row : csv.rows()) {
        const Time at = expiry(csv, row, columns, market_year());
        const double strike = number(csv, row, columns.strike, "strike");
        if (strike == std::numeric_limits<double>::max()) csv.fail(row, "Missing strike");
        if (!(strike > 0)) csv.fail(row, "Strike must be positive");
        const std::string type = boost::algorithm::to_lower_copy(cell(row, columns.type));
        if (type != "c" && type != "p" && type != "call" && type != "put") {
            csv.fail(row, "Type must be C, P, call or put, not '" + echoed(cell(row, columns.type)) + "'");
        }
        double price = 0;
        if (!price_of(csv, row, columns, price)) {
            ++skipped;
            ++skipped_at[at];
            continue;
        }
        quotes.push_back(ChainQuote{at, strike, type[0] == 'c', price, row.line});
    }
    std::set<Time> quoted;
    for (const ChainQuote& quote : quotes) quoted.insert(quote.expiry);
    for (const auto& expiry : skipped_at) {
        if (quoted.count(expiry.first) == 0) {
            std::ostringstream message;
            message << shown << ": No usable quote at " << expiry.first;
            throw_error(message.str());
        }
    }
    if (quotes.empty()) throw_error(shown + ": No quotes");

    usr::P<const VolSurface> surface;
    {
        const FixMarket fix(market_);
        Interrupt::check();
        try {
            const ChainCalibration fit(pricer_, market_, quotes);
            surface = fit.surface();
            out_ << "\nExpiry\tQuotes\tForward\tYield\tATM vol\tRMS pts\tWorst pts\tSmile\tArbitrage\n";
            for (const ChainCalibration::Expiry& row : fit.expiries()) {
                out_ << row.expiry << "\t" << row.quotes << "\t" << row.forward << "\t" << row.yield * 100 << "%"
                     << (row.parity ? "" : " (market)") << "\t" << row.atm_volatility * 100 << "%\t"
                     << points(row.rms) << "\t" << points(row.worst) << "\t" << shape_text(row) << "\t"
                     << arbitrage_text(row) << "\n";
            }
            if (skipped > 0) {
                out_ << "Skipped " << skipped << (skipped == 1 ? " row" : " rows") << " without a bid or an ask\n";
            }
            for (const ChainCalibration::Expiry& row : fit.expiries()) {
                for (const ChainCalibration::Miss& miss : row.misses) {
                    out_ << shown << ":" << miss.line << ": " << miss.strike << (miss.call ? 'C' : 'P') << " "
                         << row.expiry << " implies " << miss.quoted * 100 << "%, the surface gives "
                         << miss.fitted * 100 << "%\n";
                }
            }
        } catch (const ChainError& e) {
            if (e.line() == 0) throw_error(shown + ": " + e.message());
            throw_error(shown + ":" + std::to_string(e.line()) + ": " + e.message());
        }
    }
    market_.surface() = surface;
    market_.smile() = Smile(market_.level(), 0, 0);
    const std::size_t expiries = surface->slices().size();
    out_ << "Installed a surface of " << expiries << (expiries == 1 ? " expiry" : " expiries") << "\n\n";
}

}  // namespace quorva
