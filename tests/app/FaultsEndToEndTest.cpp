// The real program under faults: input without an end, files that fail while
// read, output that cannot be written, and saves killed at any moment.

#include "RunBinary.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's shadow memory needs far more address space than any limit.
const std::string MEMORY_LIMIT = "";
#else
const std::string MEMORY_LIMIT = "ulimit -v 400000; ";
#endif

TEST(FaultsEndToEnd, BadInputAndOutputFailWithAReasonAndStatusOne) {
    const std::string too_long(3 << 20, 'x');
    const struct {
        std::string arguments;
        std::string input;
        std::string out;
        std::string err;
    } cases[] = {
        // Lines without an end stop at the limit, in little memory.
        {"-c 'load /dev/zero'", "", "Error: -c:1: /dev/zero:1: Line too long\n", ""},
        {"-c 'source /dev/zero'", "", "Error: -c:1: /dev/zero:1: Line too long\n", ""},
        {"/dev/zero", "", "Error: /dev/zero:1: Line too long\n", ""},
        {"-", "set level 90\n" + too_long, "Error: Line too long\n", ""},
        // A read error is not the end of the file.
        {"/proc/self/mem", "", "Error: Cannot read file '/proc/self/mem': Input/output error\n", ""},
        {"--bail -c 'source /proc/self/mem'", "",
         "Error: -c:1: Cannot read file '/proc/self/mem': Input/output error\n", ""},
        {"-c 'save /dev/full'", "", "Error: -c:1: Cannot write file '/dev/full': Not a regular file\n", ""},
        {"-c market > /dev/full", "", "", "quorva: write error: No space left on device\n"},
        {"--help > /dev/full", "", "", "quorva: write error: No space left on device\n"},
    };
    for (const auto& c : cases) {
        const Outcome run = run_binary(c.input, c.arguments, MEMORY_LIMIT);
        EXPECT_EQ(1, run.exit_code) << c.arguments;
        EXPECT_EQ(c.err, run.err) << c.arguments;
        EXPECT_EQ(c.out, run.out) << c.arguments;
    }
    struct stat device {};
    ASSERT_EQ(0, stat("/dev/full", &device));
    EXPECT_TRUE(S_ISCHR(device.st_mode));
}

/// The names in `folder`, each followed by a blank, but those that begin
/// with one of `left_out`.
std::string names_in(const char* folder, const std::vector<std::string>& left_out = {}) {
    std::string names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        const auto begins = [&name](const std::string& start) { return name.compare(0, start.size(), start) == 0; };
        if (std::none_of(left_out.begin(), left_out.end(), begins)) names += name + " ";
    }
    return names;
}

/// Runs saves of a book at level 100 + i in a loop, killed with KILL, TERM or
/// HUP at a random moment: the book is always a whole book, the one before or
/// the new one, and nothing else is in the folder but the hidden new file a
/// run killed with KILL may leave, which a later save removes.
TEST(FaultsEndToEnd, SavesKilledAtAnyMomentLeaveTheOldOrTheNewBookAlone) {
    char folder[] = "/tmp/quorva-killed-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(folder));
    const std::string book = std::string(folder) + "/book.txt";
    std::mt19937 random(11);
    std::uniform_int_distribution<int> microseconds(0, 25000);
    const int signals[] = {SIGKILL, SIGTERM, SIGHUP};
    std::string before;
    std::vector<std::string> killed;  // The names runs killed with KILL may leave begin so.
    int whole_runs = 0;
    for (int i = 0; i < 120; ++i) {
        const std::string level = std::to_string(100 + i);
        std::string commands = "set level " + level;
        for (int save = 0; save < 8; ++save) commands += "; save " + book;
        const pid_t child = fork();
        if (child == 0) {
            execl(QUORVA_BINARY, QUORVA_BINARY, "-c", commands.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(microseconds(random)));
        kill(child, signals[i % 3]);
        int status = 0;
        waitpid(child, &status, 0);
        whole_runs += WIFEXITED(status) ? 1 : 0;
        if (signals[i % 3] == SIGKILL) killed.push_back(".quorva-" + std::to_string(child) + "-");
        const std::string after = read_file(book.c_str());
        const bool old = after == before;
        const bool renewed = after.find("\nset level " + level + "\n") != std::string::npos &&
                             after.size() >= 23 && after.compare(after.size() - 23, 23, "set trading continuous\n") == 0;
        ASSERT_TRUE(old || renewed) << "run " << i << ":\n" << after;
        before = after;
        const std::string names = names_in(folder, killed);
        ASSERT_TRUE(names == "book.txt " || (names.empty() && before.empty())) << "run " << i << ": " << names;
    }
    // Some runs were killed while they worked (how many depends on the machine's load).
    EXPECT_LT(whole_runs, 120);
    EXPECT_EQ(0, run_binary("", "-c 'save " + book + "'").exit_code);
    EXPECT_EQ("book.txt ", names_in(folder));
    std::remove(book.c_str());
    rmdir(folder);
}

}  // namespace
