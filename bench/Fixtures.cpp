#include "bench/Fixtures.h"

#include <sstream>

namespace quorva {
namespace bench {

const char* const PIN_CLOCK = "set date 5mar09\nset time 14:30\n";

std::string twenty_positions() {
    std::ostringstream lines;
    for (int i = 0; i < 20; ++i) {
        lines << "add " << 81 + 2 * i << (i % 2 == 0 ? "C" : "P") << " "
              << (i % 4 < 2 ? "20jun09" : "18dec09") << "\n";
    }
    return lines.str();
}

std::string hundred_positions() {
    const char* const expiries[] = {"17apr09", "19jun09", "18dec09", "17dec10"};
    std::ostringstream lines;
    for (int i = 0; i < 100; ++i)
        lines << "add " << 51 + i << (i % 2 == 0 ? "C" : "P") << " " << expiries[i / 2 % 4] << "\n";
    return lines.str();
}

Session session_after(const std::string& script) {
    std::istringstream in(script);
    std::ostringstream out;
    QuorvaConsole console(in, out);
    console.go();
    return {console.market(), console.portfolio()};
}

}  // namespace bench
}  // namespace quorva
