// Feeds arbitrary bytes to an in-process console as command lines: every
// input must end in output and "Error: " lines, never in a crash, a
// sanitizer report, an escaping exception or a hang.

#include "app/QuorvaConsole.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

namespace {

const std::size_t MAX_LINES = 64;
const std::size_t MAX_LINE_BYTES = 4096;
/// A small tree keeps each price cheap, so that long loops still fit the time limit.
const unsigned TREE_STEPS = 8;

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
    std::istringstream in(command_lines(data, size));
    std::ostringstream out;
    quorva::QuorvaConsole console(in, out, TREE_STEPS);
    console.go();
    return 0;
}
