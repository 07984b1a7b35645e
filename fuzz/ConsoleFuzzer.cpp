// Feeds arbitrary bytes to an in-process console as command lines: every
// input must end in output and "Error: " lines, never in a crash, a
// sanitizer report, an escaping exception or a hang.

#include "app/Interrupt.h"
#include "app/QuorvaConsole.h"

#include <signal.h>
#include <time.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

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
    itimerspec spec{};
    if (on) {
        spec.it_value.tv_sec = BUDGET_SECONDS;
        spec.it_interval.tv_nsec = REPEAT_NANOSECONDS;
    }
    timer_settime(deadline, 0, &spec, nullptr);
}

/// The input cut into at most MAX_LINES lines of at most MAX_LINE_BYTES each.
std::string command_lines(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string lines;
    std::size_t count = 0;
    for (std::size_t start = 0; start < bytes.size() && count < MAX_LINES; ++count) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        lines.append(bytes, start, std::min(end - start, MAX_LINE_BYTES));
        lines += '\n';
        start = end + 1;
    }
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Without it, `plot` fails after computing its scenario: no gnuplot process
    // is started and no chart file is written.
    unsetenv("GNUPLOT_ROOT");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool installed = (install_deadline(), true);
    (void)installed;
    std::istringstream in(command_lines(data, size));
    std::ostringstream out;
    quorva::QuorvaConsole console(in, out, TREE_STEPS);
    arm_deadline(true);
    console.go();
    arm_deadline(false);
    quorva::Interrupt::clear();
    return 0;
}
