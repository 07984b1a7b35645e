#include "app/CommandLine.h"

#include <boost/program_options.hpp>

#include <algorithm>
#include <sstream>

namespace quorva {

namespace po = boost::program_options;

namespace {

using Strings = std::vector<std::string>;

po::options_description visible_options() {
    po::options_description options("Options");
    options.add_options()
        ("help,h", "show this help and exit")
        ("version,V", "show the version and exit")
        ("command,c", po::value<Strings>()->value_name("COMMANDS"),
         "run COMMANDS, separated by ';' (may be repeated)")
        ("interactive,i", "after -c and the FILEs, go on at the prompt")
        ("bail", "stop at the first command that fails");
    return options;
}

}  // namespace

CommandLine::CommandLine(int argc, const char* const argv[]) {
    po::options_description all;
    all.add(visible_options()).add_options()("file", po::value<Strings>());
    po::positional_options_description positional;
    positional.add("file", -1);
    po::variables_map given;
    try {
        po::store(po::command_line_parser(argc, argv).options(all).positional(positional).run(), given);
    } catch (const po::error& e) {
        throw UsageError(e.what());
    }
    help_ = given.count("help") != 0;
    version_ = given.count("version") != 0;
    interactive_ = given.count("interactive") != 0;
    bail_ = given.count("bail") != 0;
    if (given.count("command")) commands_ = given["command"].as<Strings>();
    for (std::string& commands : commands_) std::replace(commands.begin(), commands.end(), ';', '\n');
    if (given.count("file")) files_ = given["file"].as<Strings>();
}

std::string CommandLine::help() {
    std::ostringstream text;
    text << "Usage: quorva [OPTION]... [FILE]...\n"
            "Prices index derivatives with commands typed at a prompt or read from files.\n"
            "\n"
            "With neither FILE nor -c, reads commands at the prompt from standard input.\n"
            "Otherwise runs the commands of each -c, then those of each FILE in turn, and\n"
            "exits; the FILE - is standard input. They share one market and one portfolio,\n"
            "show no prompts, only what their commands print, and `exit` in any of them ends\n"
            "the whole run. A # at the start of a line or after a blank starts a comment.\n"
            "Every FILE is opened before anything runs. An error from a FILE or a -c says\n"
            "where: \"Error: FILE:LINE: ...\", \"Error: -c:N: ...\" for the Nth command of a\n"
            "-c. --bail applies at the prompt only when standard input is not a terminal.\n"
            "\n"
         << visible_options()
         << "\n"
            "Exit status: 0; 1 when a command from -c or a FILE failed, --bail stopped the\n"
            "run or the output could not be written (errors typed at the prompt do not\n"
            "count otherwise); 2 for a wrong option or an unreadable FILE.\n";
    return text.str();
}

}  // namespace quorva
