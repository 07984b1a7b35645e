// Program entry: the command line's scripts, then, when asked for or when
// there are none, the prompt on standard input, with line editing and Ctrl-C
// when the input is a terminal.

#include "files/AtomicFile.h"
#include "app/CommandLine.h"
#include "terminal/Interrupt.h"
#include "terminal/LineReader.h"
#include "app/QuorvaConsole.h"
#include "foundation/Exception.h"

#include <unistd.h>

#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <vector>

namespace {

using quorva::CommandLine;
using quorva::QuorvaConsole;
using Scripts = std::vector<std::unique_ptr<std::istream> >;

const int FAILED = 1;
const int USAGE = 2;

/// A FILE to run, or null after saying on standard error why it cannot be read.
std::unique_ptr<std::istream> open_file(const std::string& name) {
    if (name == "-") return std::make_unique<std::istream>(std::cin.rdbuf());
    auto file = std::make_unique<std::ifstream>();
    const int error = quorva::open_to_read(*file, name);
    if (error == 0) return file;
    std::cerr << "quorva: cannot read '" << name << "': " << std::strerror(error) << "\n";
    return nullptr;
}

/// Each -c, then each FILE; none when a FILE cannot be read, so that nothing
/// runs half-way.
std::optional<Scripts> open_scripts(const CommandLine& arguments) {
    Scripts scripts;
    for (const std::string& commands : arguments.command_scripts()) {
        scripts.push_back(std::make_unique<std::istringstream>(commands));
    }
    bool readable = true;
    for (const std::string& name : arguments.files()) {
        scripts.push_back(open_file(name));
        readable = readable && scripts.back() != nullptr;
    }
    if (!readable) return std::nullopt;
    return scripts;
}

/// Runs the scripts, then the prompt when the command line asks for it, and
/// returns the exit status.
int run(const CommandLine& arguments, const Scripts& scripts) {
    QuorvaConsole console(std::cin, std::cout, QuorvaConsole::DEFAULT_STEPS, QuorvaConsole::Opening::SILENT);
    console.set_bail(arguments.bail());
    for (const auto& script : scripts) {
        if (console.stopped()) break;
        console.set_line_reader(std::make_unique<quorva::StreamLineReader>(*script, std::cout, false));
        console.go();
    }
    unsigned counted_failures = console.failures();
    if (arguments.prompt() && !console.stopped()) {
        // A person at a terminal may mistype: only a piped prompt bails out.
        const bool terminal = isatty(STDIN_FILENO);
        const bool bail = arguments.bail() && !terminal;
        console.set_bail(bail);
        if (terminal) {
            quorva::Interrupt::install();
            console.set_line_reader(std::make_unique<quorva::EditLineReader>(QuorvaConsole::completions));
            console.set_confirm_leaving(true);
        } else {
            console.set_line_reader(std::make_unique<quorva::StreamLineReader>(std::cin, std::cout));
        }
        console.print_instructions();
        console.go();
        if (bail) counted_failures = console.failures();
    }
    return counted_failures > 0 ? FAILED : 0;
}

/// Does what the parsed command line asks for and returns the exit status.
int start(const CommandLine& arguments) {
    if (arguments.wants_help()) {
        std::cout << CommandLine::help();
        return 0;
    }
    if (arguments.wants_version()) {
        std::cout << "quorva " << QUORVA_VERSION << "\n";
        return 0;
    }
    const std::optional<Scripts> scripts = open_scripts(arguments);
    if (!scripts) return USAGE;
    try {
        return run(arguments, *scripts);
    } catch (const usr::Exception& e) {
        std::cout << e.format_trace() << "\n";
    } catch (...) {
        std::cout << "Caught ...\n";
    }
    // Commands from standard input alone end with status 0 whatever happens.
    return scripts->empty() && !arguments.bail() ? 0 : FAILED;
}

}  // namespace

int main(int argc, char* argv[]) {
    try {
        return start(CommandLine(argc, argv));
    } catch (const CommandLine::UsageError& e) {
        std::cerr << "quorva: " << e.what() << "\nTry 'quorva --help' for more information.\n";
        return USAGE;
    }
}
