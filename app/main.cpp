// Program entry: one console over standard input and output, with line
// editing and Ctrl-C when the input is a terminal.

#include "app/Interrupt.h"
#include "app/LineReader.h"
#include "app/QuorvaConsole.h"
#include "foundation/Exception.h"

#include <unistd.h>

#include <iostream>
#include <memory>

int main() {
    try {
        quorva::QuorvaConsole console(std::cin, std::cout);
        if (isatty(STDIN_FILENO)) {
            quorva::Interrupt::install();
            console.set_line_reader(std::make_unique<quorva::EditLineReader>(quorva::QuorvaConsole::completions));
        }
        console.go();
    } catch (const usr::Exception& e) {
        std::cout << e.format_trace() << "\n";
    } catch (...) {
        std::cout << "Caught ...\n";
    }
    return 0;
}
