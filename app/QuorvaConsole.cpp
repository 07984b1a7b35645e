#include "app/QuorvaConsole.h"

#include "app/LazyMetric.h"
#include "calendar/Time.h"
#include "calendar/TradingSchedule.h"
#include "foundation/QuorvaException.h"

#include <boost/algorithm/string/trim.hpp>

#include <istream>
#include <ostream>
#include <sstream>

namespace quorva {

/// One row of the command table that drives dispatch and help. An empty word
/// stands for the six metric names; an empty summary keeps a row out of help.
struct QuorvaConsole::Command {
    std::string word;
    std::string summary;
    void (*run)(QuorvaConsole& console, const std::string& word, std::istream& in);
};

namespace {

const char* const INSTRUCTIONS =
    "Type help for the list of commands; README.md has the full guide and examples\n";

}  // namespace

const std::vector<QuorvaConsole::Command>& QuorvaConsole::commands() {
    using C = QuorvaConsole;
    static const std::vector<Command> table = {
        {"market", "List market parameters",
         [](C& c, const std::string&, std::istream& in) { c.do_market(in); }},
        {"list", "List the portfolio of derivatives",
         [](C& c, const std::string&, std::istream& in) { c.do_list(in); }},
        {"set", "Set a market parameter",
         [](C& c, const std::string&, std::istream& in) { c.do_set(in); }},
        {"add", "Add a derivative to the portfolio",
         [](C& c, const std::string&, std::istream& in) { c.do_add(in); }},
        {"del", "Remove a derivative from the portfolio",
         [](C& c, const std::string&, std::istream& in) { c.do_del(in); }},
        {"", "", [](C& c, const std::string& word, std::istream& in) { c.do_metric(word, in); }},
        {"for", "What-if analysis",
         [](C& c, const std::string&, std::istream& in) { c.do_for(false, in); }},
        {"plot", "View scenarios as a chart",
         [](C& c, const std::string&, std::istream& in) { c.do_for(true, in); }},
        {"implvol", "Calculate implied volatility from a market price",
         [](C& c, const std::string&, std::istream& in) { c.do_implvol(in); }},
        {"calibrate", "Create a smile from a set of market prices",
         [](C& c, const std::string&, std::istream& in) { c.do_calibrate_command(in); }},
        {"help", "Show this help",
         [](C& c, const std::string&, std::istream& in) { c.do_help_command(in); }},
        {"exit", "Exit", [](C& c, const std::string&, std::istream& in) { c.do_exit(in); }},
    };
    return table;
}

QuorvaConsole::QuorvaConsole(std::istream& in, std::ostream& out, unsigned steps)
    : in_(in),
      out_(out),
      pricer_(steps),
      market_(100, 0.2, 0.05, Smile(Smile::STICKY_DELTA, 0, 0), 0.025,
              ContinuousTrading::instance(), Time()) {
    out_ << INSTRUCTIONS;
}

QuorvaConsole::~QuorvaConsole() = default;

void QuorvaConsole::go() {
    while (running_) {
        const std::string line = get_command_line();
        if (line.empty()) break;
        try {
            dispatch(line);
        } catch (const usr::Exception& e) {
            out_ << "Error: " << e.what() << "\n";
        } catch (const std::exception& e) {
            out_ << "Error: " << e.what() << "\n";
        }
    }
    out_.flush();
}

std::string QuorvaConsole::get_command_line() {
    std::string line;
    while (line.empty()) {
        out_ << "> " << std::flush;
        if (!std::getline(in_, line)) return "";
        boost::algorithm::trim(line);
    }
    return line;
}

void QuorvaConsole::dispatch(const std::string& line) {
    std::istringstream stream(line);
    const std::string word = read_string(stream, "-+[");
    for (const Command& command : commands()) {
        if (command.word.empty() ? is_metric_name(word) : word == command.word) {
            command.run(*this, word, stream);
            return;
        }
    }
    throw_error("Unknown command - '" + word + "'");
}

void QuorvaConsole::throw_error(const std::string& message) {
    throw QuorvaException(message);
}

void QuorvaConsole::print_signed(double x) {
    if (x >= 0) out_ << '+';
    out_ << x;
}

void QuorvaConsole::do_help() {
    out_ << "Commands (README.md explains each with examples):\n";
    for (const Command& command : commands()) {
        if (command.summary.empty()) continue;
        std::string padded = command.word;
        padded.resize(10, ' ');
        out_ << padded << "- " << command.summary << "\n";
    }
    out_ << "\n";
}

void QuorvaConsole::do_help_command(std::istream&) { do_help(); }

void QuorvaConsole::do_exit(std::istream&) { running_ = false; }

void QuorvaConsole::do_calibrate_command(std::istream& in) {
    const std::pair<Smile, double> fit = do_calibrate(in);
    market_.smile() = fit.first;
    market_.volatility() += fit.second;
}

}  // namespace quorva
