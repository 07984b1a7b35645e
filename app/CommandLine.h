#pragma once
// What the program's arguments ask for: the options and script files of
// `quorva [OPTION]... [FILE]...`, and the --help text that describes them.

#include <stdexcept>
#include <string>
#include <vector>

namespace quorva {

class CommandLine {
public:
    /// A wrong option or a missing argument; the message names it.
    struct UsageError : std::runtime_error {
        using std::runtime_error::runtime_error;
    };

    /// Throws UsageError.
    CommandLine(int argc, const char* const argv[]);

    /// Usage, what the program does with its arguments, every option and the
    /// exit statuses.
    static std::string help();

    bool wants_help() const { return help_; }
    bool wants_version() const { return version_; }
    /// The commands of each -c, in the order given, with ';' turned into line ends.
    const std::vector<std::string>& command_scripts() const { return commands_; }
    /// The FILE arguments, in order; "-" stands for standard input.
    const std::vector<std::string>& files() const { return files_; }
    bool bail() const { return bail_; }
    /// True when commands are read at the prompt: with -i, or with neither
    /// FILE nor -c.
    bool prompt() const { return interactive_ || (commands_.empty() && files_.empty()); }

private:
    bool help_ = false;
    bool version_ = false;
    bool interactive_ = false;
    bool bail_ = false;
    std::vector<std::string> commands_;
    std::vector<std::string> files_;
};

}  // namespace quorva
