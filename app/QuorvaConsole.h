#pragma once
// The interactive console: one market and one portfolio for the whole run,
// a read-dispatch-report loop over command lines, and every command.

#include "book/LazyMetric.h"
#include "book/Position.h"
#include "calendar/Date.h"
#include "foundation/P.h"
#include "model/BinomialTreePricer.h"
#include "model/Instrument.h"
#include "model/Market.h"
#include "model/Smile.h"

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace quorva {

class LineReader;
class MarketParamProxy;
class Scenario;

class QuorvaConsole {
public:
    class FixMarket;
    // The book's classes under the names the console's code has used.
    using MarketParamProxy = quorva::MarketParamProxy;
    using LazyMetric = quorva::LazyMetric;
    using Scenario = quorva::Scenario;
    using Position = quorva::Position;
    using Portfolio = quorva::Portfolio;

    /// How the console starts: with the line of instructions for a person at
    /// the prompt, or silently, as for a script.
    enum class Opening { INSTRUCTIONS, SILENT };
    static constexpr unsigned DEFAULT_STEPS = 1001;

    /// Reads commands from `in` and writes everything to `out`; `steps` is the
    /// tree size of every price.
    QuorvaConsole(std::istream& in, std::ostream& out, unsigned steps = DEFAULT_STEPS,
                  Opening opening = Opening::INSTRUCTIONS);
    ~QuorvaConsole();

    /// The line that tells a person how to get help.
    void print_instructions();
    /// In bail mode the first command that fails ends the run, as `exit` does.
    void set_bail(bool bail) { bail_ = bail; }
    /// When set, leaving with positions changed since the last `save` or
    /// `load` asks first; for a person at a terminal.
    void set_confirm_leaving(bool confirm) { confirm_leaving_ = confirm; }
    /// How many command lines have failed so far.
    unsigned failures() const { return failures_; }
    /// True once `exit` has run or bail mode has stopped at a failure; go()
    /// then returns at once.
    bool stopped() const { return !running_; }

    /// Reads command lines through `reader` instead of the input stream.
    void set_line_reader(std::unique_ptr<LineReader> reader);
    /// The words that may complete `prefix` at the end of `before`: command
    /// words, parameter names, keywords and metric names, from the command
    /// table, and file names after `source`, `save`, `load` and '>'.
    static std::vector<std::string> completions(const std::string& before, const std::string& prefix);

    /// Runs the command loop until `exit` or the end of the input.
    void go();
    /// The next non-empty trimmed line; "" once the input has ended. Throws
    /// LineTooLong, or QuorvaException when the input cannot be read.
    std::string get_command_line();
    [[noreturn]] static void throw_error(const std::string& message);
    /// Writes "+" before a value of 0 or more, then the value.
    void print_signed(double x);
    void do_help();

    // Readers of one typed item each. Missing numbers come back as sentinels:
    // the largest int, the largest double, or the character 0.
    static char read_char(std::istream& in);
    static char peek_char(std::istream& in);
    static std::string read_string(std::istream& in, const std::string& stops);
    static int read_int(std::istream& in);
    static double read_double(std::istream& in);
    /// A number typed in percent, as the fraction nearest to the typed
    /// decimal over 100 (rounded once, so that the digits `save` writes read
    /// back to the last bit); the largest double when none can be read.
    static double read_percent(std::istream& in);
    static void check_end(std::istream& in);
    static int cast_to_int(double x);
    static chrono::Date::Month cast_to_month(std::string word);
    /// DAY MONTH [YEAR]: a two-digit year is in this century, and a date
    /// without one is in `untyped_year`.
    static chrono::Date read_date(std::istream& in, int untyped_year);
    /// STRIKE CODE DATE [@HOUR:MINUTE] [american]; `rest` reads what follows
    /// (nothing but the end of the line unless given), before the instrument
    /// is built.
    static usr::P<Instrument> read_instrument(std::istream& in, int untyped_year,
                                              const std::function<void(std::istream&)>& rest = check_end);
    /// A file name: one word, or any text in double or single quotes, blanks
    /// included; "" when none is typed.
    static std::string read_file_word(std::istream& in);
    /// "@HOUR:MINUTE" when it comes next, into hour and minute unchecked;
    /// false, reading nothing, otherwise.
    static bool read_at_time(std::istream& in, int& hour, int& minute);
    /// The optional "> FILE" clause: "" when none is typed; refuses a name that
    /// ends in none of `endings` (in any letter case).
    static std::string read_output_file(std::istream& in, const std::vector<std::string>& endings);

    void do_market(std::istream& in);
    void do_set(std::istream& in);
    void do_add(std::istream& in);
    void do_del(std::istream& in);
    void do_list(std::istream& in);
    /// One position in full: what the pricer assumed for it and its values.
    void do_show(std::istream& in);
    void do_metric(const std::string& name, std::istream& in);
    /// The what-if table, or with `plot` the same scenario as a chart.
    void do_for(bool plot, std::istream& in);
    void do_implvol(std::istream& in);
    /// Prints each position's implied volatility ("-" for a future, which is
    /// left out of the fit) and returns the fitted smile and volatility shift;
    /// the loop installs them once the market is restored.
    std::pair<Smile, double> do_calibrate(std::istream& in);
    /// Runs a file's lines as typed commands; the first failing line stops it
    /// with "FILE:LINE: message".
    void do_source(std::istream& in);
    /// Writes the market and the portfolio as commands that `load` reads back.
    void do_save(std::istream& in);
    /// Replaces the market and the portfolio with a saved file's, all or
    /// nothing: the file's `set` and `add` lines run against the start-up
    /// market and an empty portfolio.
    void do_load(std::istream& in);

    /// Level 100, volatility 20%, rate 5%, dividend yield 2.5%, a flat smile,
    /// continuous trading, real time.
    static Market start_up_market();

    /// True for the six metric words in any letter case.
    static bool is_metric_name(std::string word);
    /// The metrics named by the words typed from here to the end of the line,
    /// to one of `stops` (which also end a word) or to the word "by", left
    /// unread for the grouping of a listing. "all" in any letter case
    /// as the first word names those of LazyMetric::all() and ends the list. A
    /// first word that names none is refused with `refusal`, a later one with
    /// "Unexpected tokens found".
    static std::vector<LazyMetric::Metric> read_metrics(std::istream& in, const std::string& stops,
                                                        const std::string& refusal);
    LazyMetric bind_metric(const std::string& name, std::istream& in);

    const Market& market() const { return market_; }
    const Portfolio& portfolio() const { return portfolio_; }
    /// Currency per index point per unit: what the money metrics count in.
    double multiplier() const { return multiplier_; }
    /// The position as listed and saved: the instrument, then " at PRICE" and
    /// " as LABEL" when it has them; numbers as the console shows them, or
    /// exactly for a file.
    static std::string position_text(const Position& position, bool exactly);

private:
    struct Command;
    static const std::vector<Command>& commands();
    /// The row for a command word (any metric name for the metric row), or null.
    static const Command* find_command(const std::string& word);
    /// The words that start a command line.
    static std::vector<std::string> command_words();
    /// Runs one command line through the command table. A '#' at the start
    /// or after a blank, outside quotes, starts a comment up to the line's end.
    void dispatch(const std::string& line);
    /// Reports a failed command line and counts it; in bail mode it stops the run.
    void fail(const std::string& message);
    /// Ends the run, or in a sourced file that file and those that sourced it.
    void do_exit(std::istream& in);
    /// False when asked to leave a changed book and not told yes; true at once
    /// unless confirm_leaving is set.
    bool may_leave();
    /// The market and the portfolio as the commands `save` writes, that `load` reads back.
    std::string book_text() const;
    void do_help_command(std::istream& in);
    void do_calibrate_command(std::istream& in);
    /// The year of the market's date: of its pinned clock, or today's in real time.
    int market_year() const;
    void set_date(double day, std::istream& in);
    void set_time(double hour, std::istream& in);
    /// "set smile REF SKEW CONVEXITY", REF "-" for a smile that moves with the level.
    void set_smile(std::istream& in);
    /// "set multiplier N": currency per index point per unit, positive.
    void set_multiplier(std::istream& in);
    /// Refuses a label that is not one word starting with a letter.
    static void check_label(const std::string& label);
    /// "set trading NAME": days added to an exchange stay while it does.
    void set_trading(std::istream& in);
    /// "set holiday DATE [@HOUR:MINUTE]": a day the current exchange's rules
    /// do not know, closed or closing early.
    void set_holiday(std::istream& in);
    /// The optional "[INDEX]" after metric words: the position it names, or
    /// null for the whole portfolio when none is typed.
    const Position* read_position(std::istream& in);
    /// The optional "> FILE" clause of `plot`: "" for the screen.
    static std::string read_chart_file(std::istream& in);
    /// The metrics after the ':' of `for` and `plot`, each with an optional
    /// "[INDEX]", or "all" for the six with one optional index.
    void read_series(std::istream& in, Scenario& scenario);
    /// The scenario as a table on the console.
    void print_scenario(const Scenario& scenario);
    /// `lines`: a grid as one line per value of its second parameter.
    void plot_scenario(const Scenario& scenario, const std::string& file, bool lines = false);
    /// True for a name ending in ".csv" in any letter case.
    static bool is_csv_file(const std::string& file);
    /// Replaces the portfolio with a CSV file's positions, all or nothing:
    /// "FILE:LINE: message" for the first bad row.
    void load_csv(const std::string& file);
    void save_csv(const std::string& file) const;
    /// The one word after `source`, `save` or `load`, ending the line.
    static std::string read_file_name(std::istream& in);
    /// Runs each line of the file that is not blank or a comment, in order,
    /// until `exit`; a failure carries the file and line: "FILE:LINE: message".
    void run_file(const std::string& file, const std::function<void(const std::string&)>& run_line);

    std::istream& in_;
    std::ostream& out_;
    std::unique_ptr<LineReader> reader_;
    /// True when the output is a terminal, where long commands show progress.
    bool terminal_output_;
    bool running_ = true;
    bool bail_ = false;
    unsigned failures_ = 0;
    /// Source files being run, one inside the other.
    int source_depth_ = 0;
    /// Set by `exit` in a sourced file: every source file being run ends.
    bool leaving_sources_ = false;
    bool confirm_leaving_ = false;
    BinomialTreePricer pricer_;
    Market market_;
    Portfolio portfolio_;
    double multiplier_ = 1;
    /// book_text() as last saved or loaded (at first, the start-up market).
    std::string saved_book_;
};

}  // namespace quorva
