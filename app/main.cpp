// Program entry: one console over standard input and output.

#include "app/QuorvaConsole.h"
#include "foundation/Exception.h"

#include <iostream>

int main() {
    try {
        quorva::QuorvaConsole console(std::cin, std::cout);
        console.go();
    } catch (const usr::Exception& e) {
        std::cout << e.format_trace() << "\n";
    } catch (...) {
        std::cout << "Caught ...\n";
    }
    return 0;
}
