// Program entry: the command line's scripts, then, when asked for or when
// there are none, the prompt on standard input, with line editing and Ctrl-C
// when the input is a terminal.

#include "app/CommandLine.h"
#include "app/QuorvaConsole.h"
#include "foundation/Exception.h"
#include "terminal/FdBuffer.h"
#include "terminal/Interrupt.h"
#include "terminal/LineReader.h"
#include "terminal/TextFile.h"

#include <unistd.h>

#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <vector>

namespace {

using quorva::CommandLine;
using quorva::QuorvaConsole;

const int FAILED = 1;
const int USAGE = 2;

/// Commands from one -c or one FILE, with the name their errors carry ("" for
/// standard input).
struct Script {
    std::unique_ptr<std::istream> text;
    std::unique_ptr<quorva::TextFile> file;
    std::istream* in;
    std::string name;
};
using Scripts = std::vector<Script>;

/// Standard input, read through one buffer by the FILE - and the prompt.
std::istream& standard_input() {
    static quorva::FdReadBuffer buffer(STDIN_FILENO, "standard input", false);
    static std::istream in(&buffer);
    return in;
}

/// Each -c, then each FILE; none when a FILE cannot be read, so that nothing
/// runs half-way.
std::optional<Scripts> open_scripts(const CommandLine& arguments) {
    Scripts scripts;
    for (const std::string& commands : arguments.command_scripts()) {
        auto text = std::make_unique<std::istringstream>(commands);
        std::istream* in = text.get();
        scripts.push_back(Script{std::move(text), nullptr, in, "-c"});
    }
    bool readable = true;
    for (const std::string& name : arguments.files()) {
        if (name == "-") {
            scripts.push_back(Script{nullptr, nullptr, &standard_input(), ""});
            continue;
        }
        try {
            auto file = std::make_unique<quorva::TextFile>(name);
            std::istream* in = &file->stream();
            scripts.push_back(Script{nullptr, std::move(file), in, name});
        } catch (const usr::Exception& e) {
            std::cerr << "quorva: " << e.message() << "\n";
            readable = false;
        }
    }
    if (!readable) return std::nullopt;
    return scripts;
}

/// Runs the scripts, then the prompt when the command line asks for it, and
/// returns the exit status.
int run(const CommandLine& arguments, const Scripts& scripts) {
    QuorvaConsole console(std::cin, std::cout, QuorvaConsole::DEFAULT_STEPS, QuorvaConsole::Opening::SILENT);
    console.set_bail(arguments.bail());
    for (const Script& script : scripts) {
        if (console.stopped()) break;
        console.set_line_reader(std::make_unique<quorva::StreamLineReader>(*script.in, std::cout, false, script.name));
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
            console.set_line_reader(std::make_unique<quorva::StreamLineReader>(standard_input(), std::cout));
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

/// Standard output through a buffer that keeps the first failed write, for
/// the life of the run.
class CheckedOutput {
public:
    CheckedOutput() : buffer_(STDOUT_FILENO), before_(std::cout.rdbuf(&buffer_)) {}
    ~CheckedOutput() { std::cout.rdbuf(before_); }
    CheckedOutput(const CheckedOutput&) = delete;
    CheckedOutput& operator=(const CheckedOutput&) = delete;

    /// Writes what is left; 0, or the error number of the first failed write.
    int finish() {
        std::cout.flush();
        return buffer_.error();
    }

private:
    quorva::FdWriteBuffer buffer_;
    std::streambuf* before_;
};

}  // namespace

int main(int argc, char* argv[]) {
    CheckedOutput output;
    int status = USAGE;
    try {
        status = start(CommandLine(argc, argv));
    } catch (const CommandLine::UsageError& e) {
        std::cerr << "quorva: " << e.what() << "\nTry 'quorva --help' for more information.\n";
    }
    if (const int error = output.finish()) {
        std::cerr << "quorva: write error: " << std::strerror(error) << "\n";
        return FAILED;
    }
    return status;
}
