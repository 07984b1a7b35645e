// Drives the real binary through a pseudo-terminal, as a person at the
// keyboard would: completion, history, Ctrl-C and Ctrl-D.

#include "tests/charting/FakeGnuplot.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

class Terminal {
public:
    /// The program with extra environment settings ("NAME=value").
    explicit Terminal(const std::vector<std::string>& settings = {}) {
        winsize size{};
        size.ws_col = 100;
        size.ws_row = 30;
        pid_ = forkpty(&fd_, nullptr, nullptr, &size);
        if (pid_ == 0) {
            unsetenv("DISPLAY");
            // No history file of the person running the tests is touched.
            setenv("QUORVA_HISTORY", "", 1);
            for (const std::string& setting : settings) putenv(strdup(setting.c_str()));
            execl(QUORVA_BINARY, QUORVA_BINARY, static_cast<char*>(nullptr));
            _exit(127);
        }
        EXPECT_GT(pid_, 0);
        wait_for("> ");
    }
    ~Terminal() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(fd_);
    }

    /// Lets the program settle (a person never types within microseconds).
    static void pause() { std::this_thread::sleep_for(std::chrono::milliseconds(200)); }

    void type(const std::string& keys) {
        EXPECT_EQ(static_cast<ssize_t>(keys.size()), write(fd_, keys.data(), keys.size()));
    }

    /// Reads until `text` has appeared in what was read since the last call,
    /// or the time runs out; returns what was read up to the end of `text`
    /// (everything, when it never came) and keeps the rest for the next call.
    std::string wait_for(const std::string& text, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        const auto end = Clock::now() + limit;
        while (seen_.find(text) == std::string::npos && Clock::now() < end) {
            pollfd ready{fd_, POLLIN, 0};
            if (poll(&ready, 1, 20) <= 0) continue;
            char buffer[4096];
            const ssize_t n = read(fd_, buffer, sizeof buffer);
            if (n <= 0) break;
            seen_.append(buffer, static_cast<std::size_t>(n));
        }
        const std::size_t at = seen_.find(text);
        if (at == std::string::npos) return std::move(seen_);
        std::string upto = seen_.substr(0, at + text.size());
        seen_.erase(0, at + text.size());
        return upto;
    }

    /// The exit code once the program has ended, or -1.
    int exit_code() {
        int status = 0;
        const auto end = Clock::now() + std::chrono::seconds(5);
        while (Clock::now() < end) {
            wait_for("\x01", std::chrono::milliseconds(20));
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
        }
        return -1;
    }

private:
    int fd_ = -1;
    pid_t pid_ = -1;
    std::string seen_;
};

TEST(Terminal, TabCompletesCommandWordsAndParameters) {
    Terminal terminal;
    terminal.type("mar\t\r");
    EXPECT_NE(std::string::npos, terminal.wait_for("trade  = ").find("level  = 100"));
    terminal.type("set tr\t");
    EXPECT_NE(std::string::npos, terminal.wait_for("ading").find("ading"));
    terminal.type("lse\rmarket\r");
    EXPECT_NE(std::string::npos, terminal.wait_for("trade  = LSE").find("trade  = LSE"));
}

TEST(Terminal, UpArrowRecallsThePreviousLine) {
    Terminal terminal;
    terminal.type("set level 91\r");
    terminal.wait_for("> ");
    terminal.type("set level 5\r");
    terminal.wait_for("> ");
    terminal.type("\x1b[A\x1b[A\r");
    terminal.wait_for("> ");
    terminal.type("market\r");
    EXPECT_NE(std::string::npos, terminal.wait_for("trade  = ").find("level  = 91"));
}

TEST(Terminal, HistoryIsKeptAcrossRuns) {
    char folder[] = "/tmp/quorva-history-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(folder));
    const std::string file = std::string(folder) + "/history";
    {
        std::ofstream older(file);
        for (int i = 0; i < 1500; ++i) older << "older " << i << "\n";
    }
    {
        Terminal first({"QUORVA_HISTORY=" + file});
        first.type("set level 91\r");
        first.wait_for("> ");
        first.type("# not a command\r");
        first.wait_for("> ");
    }
    // The first run was killed, not ended: each line was kept as it was typed.
    Terminal second({"QUORVA_HISTORY=" + file});
    second.type("\x1b[A\x1b[A\r");
    second.wait_for("> ");
    second.type("market\r");
    EXPECT_NE(std::string::npos, second.wait_for("trade  = ").find("level  = 91"));
    second.type("exit\r");
    EXPECT_EQ(0, second.exit_code());
    // A run that ends leaves the newest lines, no more than it keeps.
    std::ifstream kept(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(kept, line);) lines.push_back(line);
    ASSERT_EQ(1000u, lines.size());
    EXPECT_EQ("older 505", lines.front());
    EXPECT_EQ((std::vector<std::string>{"set level 91", "# not a command", "set level 91", "market", "exit"}),
              std::vector<std::string>(lines.end() - 5, lines.end()));
    unlink(file.c_str());

    // A FIFO for a history file holds nothing up; sourced, Ctrl-C ends the wait for a writer.
    ASSERT_EQ(0, mkfifo(file.c_str(), 0600));
    Terminal piped({"QUORVA_HISTORY=" + file});
    piped.type("market\r");
    EXPECT_NE(std::string::npos, piped.wait_for("trade  = ").find("level  = 100"));
    piped.type("source " + file + "\r");
    Terminal::pause();
    piped.type("\x03");
    EXPECT_NE(std::string::npos, piped.wait_for("Interrupted").find("Error: Interrupted"));
    unlink(file.c_str());
    rmdir(folder);
}

TEST(Terminal, CtrlCCancelsALongCommandAndKeepsTheMarket) {
    Terminal terminal;
    terminal.type("set date 5mar09\rset time 14:30\r");
    for (int i = 0; i < 20; ++i) terminal.type("add " + std::to_string(80 + 2 * i) + "C 20mar10\r");
    terminal.type("market\r");
    const std::string before = terminal.wait_for("trade  = Continuous");
    const std::string market = before.substr(before.rfind("level  = "));
    terminal.wait_for("> ");
    terminal.type("for level 1 to 100000 step 1: gamma\r");
    terminal.wait_for("gamma\r\n");
    Terminal::pause();
    const auto pressed = Clock::now();
    terminal.type("\x03");
    const std::string out = terminal.wait_for("Error: Interrupted", std::chrono::seconds(5));
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - pressed);
    EXPECT_NE(std::string::npos, out.find("Error: Interrupted"));
    EXPECT_LT(waited.count(), 500);
    terminal.type("market\r");
    const std::string after = terminal.wait_for("trade  = Continuous");
    EXPECT_EQ(market, after.substr(after.rfind("level  = ")));
}

TEST(Terminal, CtrlCAtThePromptAbandonsTheLine) {
    Terminal terminal;
    terminal.type("set level 50");
    Terminal::pause();
    terminal.type("\x03");
    terminal.wait_for("> ");
    terminal.type("market\r");
    EXPECT_NE(std::string::npos, terminal.wait_for("trade  = ").find("level  = 100"));
}

TEST(Terminal, CtrlDEndsTheRun) {
    Terminal terminal;
    Terminal::pause();
    terminal.type("\x04");
    EXPECT_EQ(0, terminal.exit_code());
}

TEST(Terminal, LeavingAChangedBookAsksFirst) {
    Terminal terminal;
    const std::string question = "The book has changed since it was saved. Leave anyway? [y/N] ";
    terminal.type("add 100C 20mar30\r");
    terminal.wait_for("> ");
    Terminal::pause();
    terminal.type("\x04");
    EXPECT_NE(std::string::npos, terminal.wait_for(question).find(question));
    terminal.type("n\rlist\r");
    EXPECT_NE(std::string::npos, terminal.wait_for("100C 20mar30").find("100C 20mar30"));
    terminal.wait_for("> ");
    terminal.type("exit\r");
    EXPECT_NE(std::string::npos, terminal.wait_for(question).find(question));
    terminal.type("y\r");
    EXPECT_EQ(0, terminal.exit_code());
}

/// A gnuplot with a window terminal, as far as the console can tell: it
/// answers the terminal question with "x11", writes the markers of joins, and
/// leaves a file "closed" in its folder when its input ends.
class WindowGnuplot {
public:
    WindowGnuplot() {
        dir_.install_gnuplot(
            "while IFS= read -r line; do\n"
            "  case \"$line\" in\n"
            "    'set print \"'*) answer=${line#set print \\\"}; answer=${answer%\\\"} ;;\n"
            "    'print GPVAL_TERM') echo x11 > \"$answer\" ;;\n"
            "    'save term \"'*) marker=${line#save term \\\"}; : > \"${marker%\\\"}\" ;;\n"
            "  esac\n"
            "done\n"
            ": > '" + closed() + "'");
    }
    std::string root() const { return dir_.path().native(); }
    bool has_closed() const { return access(closed().c_str(), F_OK) == 0; }

private:
    std::string closed() const { return root() + "/closed"; }

    gnuplot::test::TempDir dir_{"quorva-window-%%%%-%%%%"};
};

TEST(Terminal, WithADisplayPlotWaitsForEnterBeforeClosingGnuplot) {
    const WindowGnuplot gnuplot;
    Terminal terminal({"DISPLAY=:0", "GNUPLOT_ROOT=" + gnuplot.root()});
    terminal.type("plot level 80 to 120: price\r");
    EXPECT_NE(std::string::npos, terminal.wait_for("Press Enter to continue").find("Press Enter to continue"));
    Terminal::pause();
    EXPECT_FALSE(gnuplot.has_closed());
    terminal.type("\r");
    terminal.wait_for("> ");
    EXPECT_TRUE(gnuplot.has_closed());
    terminal.type("market\r");
    EXPECT_NE(std::string::npos, terminal.wait_for("trade  = ").find("level  = 100"));
}

// The installed gnuplot has no window terminal: the chart comes as text at
// once, and the next line typed is a command again.
TEST(Terminal, WithADisplayButATextOnlyGnuplotPlotNeverWaits) {
    Terminal terminal({"DISPLAY=:0", "GNUPLOT_ROOT=/usr"});
    terminal.type("plot level 80 to 120: price\r");
    const std::string chart = terminal.wait_for("\n> ");
    EXPECT_EQ(std::string::npos, chart.find("Press Enter")) << chart;
    EXPECT_NE(std::string::npos, chart.find("120")) << chart;
    terminal.type("set level 90\rmarket\r");
    EXPECT_NE(std::string::npos, terminal.wait_for("trade  = ").find("level  = 90"));
}

}  // namespace
