#include "app/QuorvaConsole.h"

#include "book/LazyMetric.h"
#include "terminal/Interrupt.h"
#include "terminal/LineReader.h"
#include "terminal/TextFile.h"
#include "calendar/Time.h"
#include "calendar/TradingSchedule.h"
#include "foundation/QuorvaException.h"

#include <boost/algorithm/string/case_conv.hpp>
#include <boost/algorithm/string/predicate.hpp>
#include <boost/algorithm/string/trim.hpp>
#include <boost/filesystem.hpp>

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <iostream>
#include <istream>
#include <ostream>
#include <sstream>

namespace quorva {

namespace {

using Words = std::vector<std::string>;

const char* const INSTRUCTIONS =
    "Type help for the list of commands; README.md has the full guide and examples\n";

const Words LOOP_PARAMETERS = {"level", "vol", "rate", "divyld", "days"};

const Words& metrics() { return QuorvaConsole::LazyMetric::names(); }

Words no_arguments(const Words&) { return {}; }

Words set_arguments(const Words& typed) {
    if (typed.empty()) {
        return {"level", "vol", "rate", "divyld", "date", "time", "realtime", "stickystrike", "stickydelta",
                "trading", "holiday", "smile", "multiplier"};
    }
    if (typed.size() == 1 && typed[0] == "trading") return {"continuous", "lse", "eurex", "nyse"};
    return {};
}

/// The line up to a comment: a '#' at its start or after a blank, outside
/// quotes, ends it.
std::string without_comment(const std::string& line) {
    char quote = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quote != 0) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '#' && (i == 0 || std::isspace(static_cast<unsigned char>(line[i - 1])))) {
            return line.substr(0, i);
        }
    }
    return line;
}

/// True when every word names a metric.
bool all_metrics(const Words& words) {
    for (const std::string& word : words) {
        if (!QuorvaConsole::is_metric_name(word)) return false;
    }
    return true;
}

/// "METRIC...|all": the metric names and "all" first, then the metric names
/// again after each metric name.
Words metric_list(const Words& typed) {
    if (!all_metrics(typed)) return {};
    Words words = metrics();
    if (typed.empty()) words.push_back("all");
    return words;
}

/// "[METRIC...|all] [by expiry|label]".
Words list_arguments(const Words& typed) {
    if (!typed.empty() && typed.back() == "by") return {"expiry", "label"};
    if (!typed.empty() && typed.back() == "all") return {"by"};
    Words words = metric_list(typed);
    if (!words.empty()) words.push_back("by");
    return words;
}

/// "american" once the words typed after `add` make a call or a put with its expiry.
Words add_arguments(const Words& typed) {
    std::string line;
    for (const std::string& word : typed) line += word + " ";
    std::istringstream in(line + "american");
    try {
        const char sign = QuorvaConsole::peek_char(in);
        if (sign == '+' || sign == '-') QuorvaConsole::read_double(in);
        QuorvaConsole::read_instrument(in, Time::now().date().year());
    } catch (const usr::Exception&) {
        return {};
    }
    return {"american"};
}

/// The entries of the folder that `prefix` names up to its last '/' (the
/// current folder without one), written as `prefix` starts, folders with a
/// '/'. Hidden entries only for a name typed with its dot.
Words file_names(const std::string& prefix) {
    namespace fs = boost::filesystem;
    const std::size_t slash = prefix.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : prefix.substr(0, slash + 1);
    const bool hidden = prefix.compare(folder.size(), 1, ".") == 0;
    Words names;
    boost::system::error_code error;
    for (fs::directory_iterator entry(folder.empty() ? "." : folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (name[0] == '.' && !hidden) continue;
        names.push_back(folder + name + (fs::is_directory(entry->path(), error) ? "/" : ""));
    }
    std::sort(names.begin(), names.end());
    return names;
}

/// "PARAM FROM to TO [step STEP] [, PARAM ...] : METRICS", with ":" and ","
/// typed as words of their own.
Words loop_arguments(const Words& typed) {
    auto axis = typed.begin();
    for (auto word = typed.begin(); word != typed.end(); ++word) {
        if (*word == ":") {
            const Words series(word + 1, typed.end());
            Words words = metric_list(series);
            // A grid's one metric may be drawn as lines.
            if (series.size() == 1 && words.size() > 0 && std::count(typed.begin(), word, ",") > 0) {
                words.push_back("lines");
            }
            return words;
        }
        if (*word == ",") axis = word + 1;
    }
    const auto size = typed.end() - axis;
    if (size == 0) return LOOP_PARAMETERS;
    if (size == 2) return {"to"};
    if (size == 4) return {"step"};
    return {};
}

}  // namespace

/// One row of the command table that drives dispatch, help and completion. An
/// empty word stands for the six metric names; an empty summary keeps a row
/// out of the help list.
struct QuorvaConsole::Command {
    std::string word;
    std::string summary;
    void (*run)(QuorvaConsole& console, const std::string& word, std::istream& in);
    /// The forms and examples that "help WORD" prints.
    std::string usage;
    /// The words that may follow the words already typed after the command.
    Words (*arguments)(const Words& typed);
};

const std::vector<QuorvaConsole::Command>& QuorvaConsole::commands() {
    using C = QuorvaConsole;
    static const std::vector<Command> table = {
        {"market", "List market parameters", [](C& c, const std::string&, std::istream& in) { c.do_market(in); },
         "market\n"
         "  Lists the level, volatility, smile, rate, dividend yield, time and trading calendar.\n",
         no_arguments},
        {"list", "List the portfolio of derivatives",
         [](C& c, const std::string&, std::istream& in) { c.do_list(in); },
         "list [METRIC ...|all] [by expiry|by label] [> FILE.csv]\n"
         "  Lists the positions, with a column and a total for each metric named (all: the six).\n"
         "  Several metrics get a header row; > FILE.csv writes the table to a CSV file instead.\n"
         "  by expiry or by label lists the positions in groups, each with a subtotal row.\n"
         "  A pnl of a position without a trade price is -, and the total says how many it left out.\n"
         "  Examples: list    list price    list price delta gamma    list all > book.csv\n"
         "            list value pnl cashdelta by label\n",
         list_arguments},
        {"set", "Set a market parameter", [](C& c, const std::string&, std::istream& in) { c.do_set(in); },
         "set level|vol|rate|divyld [=] VALUE     (vol, rate and divyld in percent)\n"
         "set date DAY MONTH [YEAR]    set time HOUR:MINUTE    set realtime\n"
         "set stickystrike    set stickydelta    set trading continuous|lse|eurex|nyse\n"
         "set holiday DAY MONTH [YEAR] [@HOUR:MINUTE]     (a closed day, or an early close)\n"
         "set smile REF|- SKEW CONVEXITY     (REF - for a smile that moves with the level)\n"
         "set multiplier N     (currency per index point per unit, for value, pnl, cashdelta, cashgamma)\n"
         "  Examples: set vol 25    set date 20mar09    set time 14:30    set trading lse\n",
         set_arguments},
        {"add", "Add a derivative to the portfolio", [](C& c, const std::string&, std::istream& in) { c.do_add(in); },
         "add [+QUANTITY|-QUANTITY] STRIKE CODE DAY MONTH [YEAR] [@HOUR:MINUTE] [american] [at PRICE] [as LABEL]\n"
         "  CODE: C call, P put, F future, U digital up, D digital down; the expiry time is 23:59 unless typed.\n"
         "  american: a call or a put that may be exercised at any time up to expiry.\n"
         "  at PRICE: the unit price paid, for pnl; as LABEL: one word naming the position's group.\n"
         "  Examples: add 100C 20mar09 @16:30    add 100P 20jun09 american    add -2 95P 20jun09 at 3.25 as spread\n",
         add_arguments},
        {"del", "Remove a derivative from the portfolio",
         [](C& c, const std::string&, std::istream& in) { c.do_del(in); },
         "del INDEX    del LABEL    del all\n"
         "  Removes the position with that number in the listing (later ones move up), the positions\n"
         "  with that label, or every position.\n"
         "  Examples: del 2    del spread\n",
         no_arguments},
        {"", "", [](C& c, const std::string& word, std::istream& in) { c.do_metric(word, in); },
         "price|delta|gamma|theta|vega|rho|payoff|value|pnl|cashdelta|cashgamma [[INDEX]]\n"
         "  The metric of the portfolio, or of one position; payoff is what it pays at expiry with the\n"
         "  index where it is now. In currency, through the multiplier: value; pnl, the value less the\n"
         "  trade price's; cashdelta, the change of value for a 1% rise of the level; cashgamma, the\n"
         "  change of cashdelta for a 1% rise.\n"
         "  Examples: price    delta[2]\n",
         no_arguments},
        {"for", "What-if analysis", [](C& c, const std::string&, std::istream& in) { c.do_for(false, in); },
         "for PARAM FROM to TO [step STEP] [, PARAM FROM to TO [step STEP]]: METRIC[[INDEX]]... [> FILE.csv]\n"
         "  PARAM: level, vol, rate, divyld, or days (calendar days forward from the market time).\n"
         "  Tabulates the metrics as the parameter steps from FROM to TO (ten steps unless STEP is given);\n"
         "  each metric may name a position, and all[[INDEX]] names the price and its five greeks.\n"
         "  Several metrics get a header row. With two parameters, a grid of one metric: a header row of\n"
         "  the second parameter's values, then a row for each value of the first.\n"
         "  > FILE.csv writes the table to a CSV file instead, percentages as numbers (column vol_pct).\n"
         "  Examples: for vol 10 to 30 step 5: price    for level 90 to 110: price delta[2]\n"
         "            for days 0 to 30: theta    for level 80 to 120 step 10, vol 10 to 40 step 5: price\n"
         "            for vol 10 to 40: all > vol.csv\n",
         loop_arguments},
        {"plot", "View scenarios as a chart", [](C& c, const std::string&, std::istream& in) { c.do_for(true, in); },
         "plot as for, ending with [lines] [> FILE.png|FILE.svg]\n"
         "  Draws the what-if scenario through gnuplot, in a window, as text, or into an image file: a line\n"
         "  per metric with a key naming each, or for two parameters a heat map (its table as text);\n"
         "  lines after the metric of two parameters draws a line per value of the second instead.\n"
         "  Examples: plot level 80 to 120 step 1: delta    plot level 80 to 120: price payoff\n"
         "            plot level 80 to 120 step 2, vol 10 to 40: price > grid.png\n"
         "            plot level 80 to 120, days 0 to 30 step 10: pnl lines\n",
         loop_arguments},
        {"show", "Show one position in full", [](C& c, const std::string&, std::istream& in) { c.do_show(in); },
         "show INDEX\n"
         "  The position's instrument, quantity, trade price and label, its unit price, the volatility at\n"
         "  its strike, the forward at its expiry, the calendar days and trading years to expiry, its\n"
         "  intrinsic and time value, and the volatility its trade price implies.\n"
         "  Example: show 1\n",
         no_arguments},
        {"implvol", "Calculate implied volatility from a market price",
         [](C& c, const std::string&, std::istream& in) { c.do_implvol(in); },
         "implvol [INDEX] PRICE\n"
         "  The volatility at which the position is worth PRICE (typed negative for a short position).\n"
         "  Example: implvol [1] 5.25\n",
         no_arguments},
        {"calibrate", "Create a smile from a set of market prices",
         [](C& c, const std::string&, std::istream& in) { c.do_calibrate_command(in); },
         "calibrate PRICE1 PRICE2 ...\n"
         "  One price per position: fits a smile to their implied volatilities and installs it.\n"
         "  Futures have none: they are listed with \"-\" and left out of the fit.\n"
         "  Example: calibrate 10.2 -4.1 7\n",
         no_arguments},
        {"source", "Run the commands of a file", [](C& c, const std::string&, std::istream& in) { c.do_source(in); },
         "source FILE\n"
         "  Runs the file's lines as typed commands, in order; the first that fails stops it.\n"
         "  Blank lines and lines starting with # are skipped. Example: source morning.txt\n",
         no_arguments},
        {"save", "Save the market and the portfolio to a file",
         [](C& c, const std::string&, std::istream& in) { c.do_save(in); },
         "save FILE    save FILE.csv\n"
         "  Writes the market and the portfolio as commands that load reads back; a .csv file gets the\n"
         "  positions alone, one a row: quantity, strike, type, expiry, time, style, price, label.\n"
         "  A name with blanks goes in double quotes. Examples: save book.txt    save \"my book.csv\"\n",
         no_arguments},
        {"load", "Load the market and the portfolio from a file",
         [](C& c, const std::string&, std::istream& in) { c.do_load(in); },
         "load FILE    load FILE.csv\n"
         "  Replaces the market and the portfolio with the file's, or changes nothing if a line fails.\n"
         "  A .csv file replaces the portfolio alone: a header row naming quantity, strike, type (C, P, F,\n"
         "  U, D or call, put, future, digitalup, digitaldown), expiry (20jun09 or 2009-06-20) and any of\n"
         "  time, style (european or american), price (the trade price) and label, in any order.\n"
         "  Examples: load book.txt    load book.csv\n",
         no_arguments},
        {"help", "Show this help", [](C& c, const std::string&, std::istream& in) { c.do_help_command(in); },
         "help [COMMAND]\n"
         "  Lists the commands, or shows the forms of one.\n"
         "  Examples: help    help for\n",
         [](const Words& typed) { return typed.empty() ? command_words() : Words(); }},
        {"exit", "Exit", [](C& c, const std::string&, std::istream& in) { c.do_exit(in); },
         "exit\n"
         "  Ends the run (so does the end of the input, or Ctrl-D on an empty line); in a sourced file,\n"
         "  ends that file and the files that sourced it.\n",
         no_arguments},
    };
    return table;
}

const QuorvaConsole::Command* QuorvaConsole::find_command(const std::string& word) {
    for (const Command& command : commands()) {
        if (command.word.empty() ? is_metric_name(word) : word == command.word) return &command;
    }
    return nullptr;
}

std::vector<std::string> QuorvaConsole::command_words() {
    Words words;
    for (const Command& command : commands()) {
        if (!command.word.empty()) words.push_back(command.word);
    }
    return words;
}

QuorvaConsole::QuorvaConsole(std::istream& in, std::ostream& out, unsigned steps, Opening opening)
    : in_(in),
      out_(out),
      reader_(new StreamLineReader(in, out)),
      terminal_output_(&out == &std::cout && isatty(STDOUT_FILENO)),
      pricer_(steps),
      market_(start_up_market()),
      saved_book_(book_text()) {
    if (opening == Opening::INSTRUCTIONS) print_instructions();
}

Market QuorvaConsole::start_up_market() {
    return Market(100, 0.2, 0.05, Smile(Smile::STICKY_DELTA, 0, 0), 0.025, ContinuousTrading::instance(), Time());
}

QuorvaConsole::~QuorvaConsole() = default;

void QuorvaConsole::print_instructions() { out_ << INSTRUCTIONS; }

void QuorvaConsole::set_line_reader(std::unique_ptr<LineReader> reader) { reader_ = std::move(reader); }

void QuorvaConsole::go() {
    // Output that cannot be written ends the run: nothing more would be seen.
    while (running_ && out_) {
        std::string line;
        try {
            line = get_command_line();
        } catch (const LineTooLong& e) {
            fail(reader_->location() + e.message());
            break;
        } catch (const usr::Exception& e) {
            // The input cannot be read on from here.
            fail(e.message());
            break;
        }
        if (line.empty()) {
            if (may_leave()) break;
            continue;
        }
        try {
            Interrupt::clear();
            dispatch(line);
        } catch (const usr::Exception& e) {
            fail(reader_->location() + e.message());
        } catch (const std::exception& e) {
            fail(reader_->location() + e.what());
        }
    }
    out_.flush();
}

void QuorvaConsole::fail(const std::string& message) {
    out_ << "Error: " << message << "\n";
    ++failures_;
    if (bail_) running_ = false;
}

std::string QuorvaConsole::get_command_line() {
    std::string line;
    while (line.empty()) {
        if (!reader_->read_line("> ", line)) return "";
        boost::algorithm::trim(line);
    }
    return line;
}

void QuorvaConsole::dispatch(const std::string& line) {
    const std::string text = without_comment(line);
    if (text.find_first_not_of(" \t\r\n\v\f") == std::string::npos) return;
    std::istringstream stream(text);
    const std::string word = read_string(stream, "-+[");
    const Command* command = find_command(word);
    if (command == nullptr) throw_error("Unknown command - '" + echoed(word) + "'");
    command->run(*this, word, stream);
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

void QuorvaConsole::do_help_command(std::istream& in) {
    const std::string word = read_string(in, "");
    if (word.empty()) return do_help();
    const Command* command = find_command(word);
    if (command == nullptr) throw_error("Unknown command - '" + echoed(word) + "'");
    out_ << command->usage << "\n";
}

std::vector<std::string> QuorvaConsole::completions(const std::string& before, const std::string& prefix) {
    Words typed;
    std::string word;
    for (char c : before + " ") {
        if (c == ' ' || c == '\t' || c == ':' || c == ',' || c == '[' || c == '>') {
            if (!word.empty()) typed.push_back(word);
            if (c == ':' || c == ',' || c == '>') typed.push_back(std::string(1, c));
            word.clear();
        } else {
            word += c;
        }
    }
    Words candidates;
    const bool file_named = typed.size() == 1 && (typed[0] == "source" || typed[0] == "save" || typed[0] == "load");
    if (file_named || (!typed.empty() && typed.back() == ">")) {
        candidates = file_names(prefix);
    } else if (typed.empty()) {
        candidates = command_words();
        candidates.insert(candidates.end(), metrics().begin(), metrics().end());
    } else if (const Command* command = find_command(typed[0])) {
        candidates = command->arguments(Words(typed.begin() + 1, typed.end()));
    }
    Words matches;
    for (const std::string& candidate : candidates) {
        if (boost::algorithm::starts_with(candidate, prefix)) matches.push_back(candidate);
    }
    return matches;
}

void QuorvaConsole::do_exit(std::istream&) {
    if (source_depth_ > 0) {
        leaving_sources_ = true;
    } else if (may_leave()) {
        running_ = false;
    }
}

bool QuorvaConsole::may_leave() {
    if (!confirm_leaving_ || portfolio_.empty() || book_text() == saved_book_) return true;
    std::string answer;
    if (!reader_->read_line("The book has changed since it was saved. Leave anyway? [y/N] ", answer)) return true;
    boost::algorithm::trim(answer);
    boost::algorithm::to_lower(answer);
    return answer == "y" || answer == "yes";
}

void QuorvaConsole::do_calibrate_command(std::istream& in) {
    const std::pair<Smile, double> fit = do_calibrate(in);
    market_.smile() = fit.first;
    market_.volatility() += fit.second;
}

}  // namespace quorva
