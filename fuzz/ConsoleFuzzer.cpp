// Feeds arbitrary bytes to an in-process console as command lines (the last
// one perhaps without its end, one perhaps near a megabyte long): every
// input must end in output and "Error: " lines, never in a crash, a
// sanitizer report, an escaping exception or a hang; and every line that
// fails must leave the market and the portfolio exactly as they were (but for
// `source`, which keeps the lines before the failing one). Files are written
// and read in a folder of the harness's own only, emptied for each input.

#include "terminal/Interrupt.h"
#include "app/QuorvaConsole.h"
#include "terminal/TextFile.h"

#include <boost/filesystem/operations.hpp>

#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::size_t MAX_LINES = 64;
const std::size_t MAX_LINE_BYTES = 4096;
/// A small tree keeps each price cheap.
const unsigned TREE_STEPS = 8;
/// Loops are capped in rows, not in rows times positions, so a few lines can
/// ask for minutes of pricing. Past this budget an input's pricing commands are
/// interrupted as Ctrl-C would interrupt them; an endless loop that never
/// reaches an interruption point still runs into libFuzzer's -timeout.
const time_t BUDGET_SECONDS = 2;
const long REPEAT_NANOSECONDS = 20 * 1000 * 1000;

struct sigaction console_interrupt;
timer_t deadline;

/// The deadline timer's SIGINT goes to the console; a Ctrl-C from the user ends
/// the fuzzer as it would without the console's handler.
extern "C" void on_harness_interrupt(int signal, siginfo_t* info, void*) {
    if (info->si_code == SI_TIMER) {
        console_interrupt.sa_handler(signal);
        return;
    }
    std::_Exit(130);
}

/// Installed at the first input, after libFuzzer has set up its own handlers.
void install_deadline() {
    quorva::Interrupt::install();
    sigaction(SIGINT, nullptr, &console_interrupt);
    struct sigaction action {};
    action.sa_sigaction = on_harness_interrupt;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigevent event{};
    event.sigev_notify = SIGEV_SIGNAL;
    event.sigev_signo = SIGINT;
    if (timer_create(CLOCK_MONOTONIC, &event, &deadline) != 0) std::abort();
}

/// Arms the budget for one input (it then fires again and again until
/// disarmed), or disarms it.
void arm_deadline(bool on) {
    itimerspec budget{};
    if (on) {
        budget.it_value.tv_sec = BUDGET_SECONDS;
        budget.it_interval.tv_nsec = REPEAT_NANOSECONDS;
    }
    timer_settime(deadline, 0, &budget, nullptr);
}

/// A line that starts with this byte stands for its rest repeated to about
/// the longest line the console takes, just under it or just over.
const char LONG_LINE = '\x01';

/// The input cut into at most MAX_LINES lines of at most MAX_LINE_BYTES each,
/// each with its '\n' but the last when the input does not end in one; the
/// first line marked LONG_LINE is blown up.
std::vector<std::string> command_lines(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> lines;
    bool blown_up = false;
    for (std::size_t start = 0; start < bytes.size() && lines.size() < MAX_LINES;) {
        std::size_t end = bytes.find('\n', start);
        const bool ended = end != std::string::npos;
        if (!ended) end = bytes.size();
        std::string line = bytes.substr(start, std::min(end - start, MAX_LINE_BYTES));
        if (!blown_up && line.size() > 1 && line[0] == LONG_LINE) {
            blown_up = true;
            const std::string unit = line.substr(1);
            const std::size_t length = quorva::MAX_LINE_BYTES - 8 + static_cast<unsigned char>(unit[0]) % 16;
            line.clear();
            while (line.size() < length) line += unit;
            line.resize(length);
        }
        lines.push_back(ended ? line + "\n" : line);
        start = end + 1;
    }
    return lines;
}

/// Everything a command may change, compared bit for bit.
struct State {
    std::vector<double> numbers;
    const void* schedule;
    quorva::Time time;
    std::vector<const void*> instruments;

    explicit State(const quorva::QuorvaConsole& console)
        : schedule(&*console.market().trading_schedule()), time(console.market().time()) {
        const quorva::Market& market = console.market();
        numbers = {market.level(), market.volatility(), market.rate(), market.div_yield(),
                   market.smile().strike(), market.smile().skew(), market.smile().convexity()};
        for (const auto& position : console.portfolio()) {
            numbers.push_back(position.first);
            instruments.push_back(&*position.second);
        }
    }

    bool operator==(const State& other) const {
        return numbers.size() == other.numbers.size() &&
               std::memcmp(numbers.data(), other.numbers.data(), numbers.size() * sizeof(double)) == 0 &&
               schedule == other.schedule && time == other.time && instruments == other.instruments;
    }
};

/// The folder in which the commands that write and read files work, made at
/// start-up and removed with what they wrote at exit.
std::string work_folder;

void remove_work_folder() {
    boost::system::error_code ignored;
    boost::filesystem::remove_all(work_folder, ignored);
}

/// Empties the work folder, so that no input sees another's files.
void clear_work_folder() {
    boost::system::error_code ignored;
    for (boost::filesystem::directory_iterator file(work_folder, ignored), end; file != end; file.increment(ignored)) {
        boost::filesystem::remove_all(file->path(), ignored);
    }
}

/// A line that names no file outside the work folder: a path holds a '/'.
bool stays_in_work_folder(const std::string& line) { return line.find('/') == std::string::npos; }

/// `source` keeps what the lines before a failing one did.
bool undoes_failures(const std::string& line) {
    const std::size_t word = line.find_first_not_of(" \t");
    return word == std::string::npos || line.compare(word, 6, "source") != 0;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Without a gnuplot folder or a PATH to search, `plot` fails after
    // computing its scenario: no gnuplot process is started and no chart file
    // is written.
    unsetenv("GNUPLOT_ROOT");
    unsetenv("PATH");
    char folder[] = "/tmp/quorva-fuzz-XXXXXX";
    if (mkdtemp(folder) == nullptr || chdir(folder) != 0) std::abort();
    work_folder = folder;
    std::atexit(remove_work_folder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static bool installed = false;
    if (!installed) install_deadline();
    installed = true;
    std::istringstream in;
    std::ostringstream out;
    quorva::QuorvaConsole console(in, out, TREE_STEPS);
    clear_work_folder();
    arm_deadline(true);
    for (const std::string& line : command_lines(data, size)) {
        if (!stays_in_work_folder(line)) continue;
        const State before(console);
        in.clear();
        in.str(line);
        out.str("");
        console.go();
        if (out.str().find("Error: ") != std::string::npos && undoes_failures(line) && !(State(console) == before)) {
            std::fprintf(stderr, "a failing command changed the market or the portfolio: %s\n", line.c_str());
            std::abort();
        }
    }
    arm_deadline(false);
    quorva::Interrupt::clear();
    return 0;
}
