// The real program's options: scripts from files and -c, the prompt after
// them, bail mode, and the exit status of each kind of run.

#include "RunBinary.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

const std::string INSTRUCTIONS =
    "Type help for the list of commands; README.md has the full guide and examples\n";
const std::string CALL = "1.\t+1\t100C 20jun99 @23:59\t\n";
const std::string PUT = "2.\t-1\t95P 20jun99 @23:59\t\n";
const std::string LISTED_CALL = CALL + "\n\n";
const std::string OOPS = "Error: Unknown command - 'oops'\n";
const std::string FAILS_OOPS = "Error: fails.q:1: Unknown command - 'oops'\n";
const std::string HINT = "Try 'quorva --help' for more information.\n";

/// Runs each case in a folder of its own that holds the scripts below.
class CommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(nullptr, mkdtemp(folder_));
        ASSERT_EQ(0, chdir(folder_));
        write("opens.q", "# opens a position\nadd 100C 20jun2099\n");
        write("lists.q", "  # lists the portfolio\nlist\n");
        write("fails.q", "oops\nprice\n");
        write("exits.q", "add 100C 20jun2099\nexit\nadd 1C 1jan2099\n");
        ASSERT_EQ(0, mkdir("folder.q", 0700));
    }
    void TearDown() override {
        for (const char* name : {"opens.q", "lists.q", "fails.q", "exits.q"}) std::remove(name);
        rmdir("folder.q");
        EXPECT_EQ(0, chdir("/"));
        rmdir(folder_);
    }

private:
    static void write(const char* name, const char* text) { std::ofstream(name) << text; }
    char folder_[32] = "/tmp/quorva-scripts-XXXXXX";
};

TEST_F(CommandLine, HelpAndVersionPrintAndExit) {
    const Outcome help = run_binary("", "--help");
    EXPECT_EQ(0, help.exit_code);
    EXPECT_EQ(0u, help.out.find("Usage: quorva [OPTION]... [FILE]...\n")) << help.out;
    for (const char* option : {"-h [ --help ]", "-V [ --version ]", "-c [ --command ] COMMANDS",
                               "-i [ --interactive ]", "--bail"}) {
        EXPECT_NE(std::string::npos, help.out.find(option)) << option;
    }
    EXPECT_EQ(help.out, run_binary("", "-h").out);
    for (const char* version : {"--version", "-V"}) {
        const Outcome run = run_binary("", version);
        EXPECT_EQ(0, run.exit_code);
        EXPECT_EQ("quorva " QUORVA_VERSION "\n", run.out);
        EXPECT_EQ("", run.err);
    }
}

TEST_F(CommandLine, ScriptsRunInOrderWithoutPromptsAndSetTheExitStatus) {
    const struct {
        const char* arguments;
        const char* input;
        std::string out;
        int exit_code;
    } cases[] = {
        {"lists.q opens.q lists.q", "", LISTED_CALL, 0},
        {"opens.q - lists.q", "add -1 95P 20jun2099\n", CALL + PUT + "\n\n", 0},
        {"-c 'add 100C 20jun2099; list'", "", LISTED_CALL, 0},
        // -c runs before the FILEs wherever it stands.
        {"lists.q -c 'add 100C 20jun2099'", "", LISTED_CALL, 0},
        {"-c 'add 100C 20jun2099' -i", "list\n", INSTRUCTIONS + "> " + LISTED_CALL + "> ", 0},
        // Errors typed at the prompt leave the status alone; errors in scripts do not.
        {"-i -c list", "oops\n", INSTRUCTIONS + "> " + OOPS + "> ", 0},
        {"-i fails.q", "", FAILS_OOPS + "+0\n" + INSTRUCTIONS + "> ", 1},
        {"fails.q opens.q lists.q", "", FAILS_OOPS + "+0\n" + LISTED_CALL, 1},
        {"--bail fails.q opens.q lists.q", "", FAILS_OOPS, 1},
        // Errors say where they come from, but for standard input's.
        {"-c 'list; oops' - fails.q", "list\noops\n",
         "Error: -c:2: Unknown command - 'oops'\n" + OOPS + FAILS_OOPS + "+0\n", 1},
        {"--bail -i -c list", "oops\nprice\n", INSTRUCTIONS + "> " + OOPS, 1},
        {"--bail", "oops\nprice\n", INSTRUCTIONS + "> " + OOPS, 1},
        // `exit` ends every script after it and the prompt too.
        {"-i -c 'exit; list' opens.q", "list\n", "", 0},
        {"opens.q -c 'oops; exit' lists.q", "", "Error: -c:1: Unknown command - 'oops'\n", 1},
        {"exits.q lists.q", "", "", 0},
        // In a sourced file it ends only the sourcing.
        {"-c 'source exits.q; list'", "", LISTED_CALL, 0},
        {"-i -c 'source exits.q'", "list\n", INSTRUCTIONS + "> " + LISTED_CALL + "> ", 0},
    };
    for (const auto& c : cases) {
        const Outcome run = run_binary(c.input, c.arguments);
        EXPECT_EQ(c.out, run.out) << c.arguments;
        EXPECT_EQ(c.exit_code, run.exit_code) << c.arguments;
        EXPECT_EQ("", run.err) << c.arguments;
    }
}

TEST_F(CommandLine, WrongOptionsAndUnreadableFilesRunNothing) {
    const struct {
        const char* arguments;
        std::string err;
    } cases[] = {
        {"--nope", "quorva: unrecognised option '--nope'\n" + HINT},
        {"opens.q -c", "quorva: the required argument for option '--command' is missing\n" + HINT},
        {"-c list opens.q missing.q lists.q folder.q",
         "quorva: Cannot read file 'missing.q': No such file or directory\n"
         "quorva: Cannot read file 'folder.q': Is a directory\n"},
        {"missing.q lists.q", "quorva: Cannot read file 'missing.q': No such file or directory\n"},
    };
    for (const auto& c : cases) {
        const Outcome run = run_binary("list\n", c.arguments);
        EXPECT_EQ(2, run.exit_code) << c.arguments;
        EXPECT_EQ("", run.out) << c.arguments;
        EXPECT_EQ(c.err, run.err) << c.arguments;
    }
}

}  // namespace
