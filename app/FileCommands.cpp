// The commands that read and write files of commands: `source` runs one,
// `save` writes the market and the portfolio as one, and `load` replaces
// them with one's, all or nothing.

#include "app/QuorvaConsole.h"

#include "files/AtomicFile.h"
#include "files/RoundTrip.h"
#include "terminal/Interrupt.h"
#include "terminal/TextFile.h"

#include "calendar/ExchangeCalendar.h"
#include "calendar/Time.h"
#include "calendar/TradingSchedule.h"
#include "foundation/QuorvaException.h"

#include <boost/algorithm/string/case_conv.hpp>
#include <boost/algorithm/string/trim.hpp>

#include <istream>
#include <sstream>
#include <vector>

namespace quorva {

namespace {

/// Files that source files, up to this depth.
const int MAX_SOURCE_DEPTH = 16;

/// Counts a source file in for its life.
class Nesting {
public:
    explicit Nesting(int& depth) : depth_(depth) {
        if (depth_ == MAX_SOURCE_DEPTH) QuorvaConsole::throw_error("Source files nested too deeply");
        ++depth_;
    }
    ~Nesting() { --depth_; }
    Nesting(const Nesting&) = delete;
    Nesting& operator=(const Nesting&) = delete;

private:
    int& depth_;
};

/// A failure in a file run by `source` or `load`: the locations of the lines
/// that led to it, outermost first, then the message. A long chain shows its
/// first and last locations and how many lie between.
class FileLineError : public QuorvaException {
public:
    FileLineError(const std::string& location, const std::string& message)
        : FileLineError(std::vector<std::string>{location}, message) {}
    FileLineError(const std::string& location, const FileLineError& inner)
        : FileLineError(with_first(location, inner.locations_), inner.inner_) {}

private:
    FileLineError(std::vector<std::string> locations, std::string message)
        : QuorvaException(shown(locations, message)), locations_(std::move(locations)), inner_(std::move(message)) {}

    static std::vector<std::string> with_first(const std::string& location, std::vector<std::string> locations) {
        locations.insert(locations.begin(), location);
        return locations;
    }
    static std::string shown(const std::vector<std::string>& locations, const std::string& message) {
        if (locations.size() > 3) {
            return locations.front() + " ... " + std::to_string(locations.size() - 2) + " more ... " +
                   locations.back() + " " + message;
        }
        std::string text;
        for (const std::string& location : locations) text += location + " ";
        return text + message;
    }

    std::vector<std::string> locations_;
    std::string inner_;
};

}  // namespace

std::string QuorvaConsole::read_file_name(std::istream& in) {
    const std::string file = read_file_word(in);
    if (file.empty()) throw_error("Expected file name");
    check_end(in);
    return file;
}

void QuorvaConsole::run_file(const std::string& file, const std::function<void(const std::string&)>& run_line) {
    TextFile in(file);
    const auto location = [&] { return echoed_path(file) + ":" + std::to_string(in.line_number()) + ":"; };
    for (std::string line; running_ && !leaving_sources_;) {
        try {
            if (!in.next(line)) break;
        } catch (const LineTooLong& e) {
            throw FileLineError(location(), e.message());
        }
        boost::algorithm::trim(line);
        if (line.empty() || line[0] == '#') continue;
        try {
            Interrupt::check();
            run_line(line);
        } catch (const FileLineError& e) {
            throw FileLineError(location(), e);
        } catch (const std::exception& e) {
            const auto* own = dynamic_cast<const usr::Exception*>(&e);
            throw FileLineError(location(), own ? own->message() : e.what());
        }
    }
}

void QuorvaConsole::do_source(std::istream& in) {
    const std::string file = read_file_name(in);
    const Nesting nesting(source_depth_);
    run_file(file, [this](const std::string& line) { dispatch(line); });
    // `exit` ends every file up to the one typed at the prompt or in a script.
    if (source_depth_ == 1) leaving_sources_ = false;
}

void QuorvaConsole::do_load(std::istream& in) {
    const std::string file = read_file_name(in);
    if (is_csv_file(file)) return load_csv(file);
    const double multiplier = multiplier_;
    multiplier_ = 1;
    Market market = start_up_market();
    Portfolio portfolio;
    std::swap(market, market_);
    std::swap(portfolio, portfolio_);
    try {
        run_file(file, [this](const std::string& line) {
            std::istringstream words(line);
            const std::string word = read_string(words, "");
            if (word != "set" && word != "add") {
                throw_error("Only set and add can be loaded - '" + echoed(word) + "'");
            }
            dispatch(line);
        });
    } catch (...) {
        market_ = market;
        portfolio_ = portfolio;
        multiplier_ = multiplier;
        throw;
    }
    saved_book_ = book_text();
}

std::string QuorvaConsole::book_text() const {
    std::ostringstream text;
    const Smile& smile = market_.smile();
    text << "set level " << round_trip(market_.level()) << "\n"
         << "set vol " << round_trip_percent(market_.volatility()) << "\n"
         << "set smile " << (smile.strike() == Smile::STICKY_DELTA ? "-" : round_trip(smile.strike())) << " "
         << round_trip(smile.skew()) << " " << round_trip(smile.convexity()) << "\n"
         << "set rate " << round_trip_percent(market_.rate()) << "\n"
         << "set divyld " << round_trip_percent(market_.div_yield()) << "\n";
    if (market_.time() == Time()) {
        text << "set realtime\n";
    } else {
        std::ostringstream instant;
        instant << market_.time();
        const std::string printed = instant.str();
        const std::size_t at = printed.find(" @");
        text << "set date " << printed.substr(0, at) << "\n"
             << "set time " << printed.substr(at + 2) << "\n";
    }
    text << "set trading " << boost::algorithm::to_lower_copy(market_.trading_schedule()->name()) << "\n";
    if (multiplier_ != 1) text << "set multiplier " << round_trip(multiplier_) << "\n";
    if (const ExchangeCalendar* calendar = ExchangeCalendar::of(market_.trading_schedule())) {
        for (const SpecialDay& added : calendar->added_days()) text << "set holiday " << added << "\n";
    }
    for (const Position& position : portfolio_) {
        text << "add " << (position.first >= 0 ? "+" : "") << round_trip(position.first) << " "
             << position_text(position, true) << "\n";
    }
    return text.str();
}

void QuorvaConsole::do_save(std::istream& in) {
    const std::string file = read_file_name(in);
    if (is_csv_file(file)) return save_csv(file);
    std::ostringstream header;
    header << "# quorva market and portfolio, saved " << Time::now() << "; load this file to get them back\n";
    const std::string book = book_text();
    write_atomically(file, header.str() + book);
    saved_book_ = book;
}

}  // namespace quorva
