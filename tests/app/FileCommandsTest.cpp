// save, load and source through the console: exact round trips, all or
// nothing, and failures that name the file and line.

#include "ConsoleSession.h"
#include "InFolder.h"
#include "files/RoundTrip.h"
#include "tests/charting/FakeGnuplot.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <random>
#include <sstream>

namespace {

using gnuplot::test::read_all;
namespace fs = boost::filesystem;

class FileCommands : public InFolder {
protected:
    /// What the market and the portfolio look like.
    std::string state(ConsoleSession& session) { return session.run("market\nlist price"); }

    ConsoleSession session;
};

/// Every instrument kind, a calibrated smile, LSE trading and a fixed clock,
/// then the same book in real time.
TEST_F(FileCommands, SaveThenLoadGivesTheSameMarketAndPortfolio) {
    session.pin_clock();
    session.run("add 100C 20mar09 @16:30\nadd -2 95P 20jun09\nadd 105C 20jun09\ncalibrate 1.9 -8 2.5");
    session.run("add +10 100F 18dec09\nadd +0.25 105U 18dec09\nadd -3 98.7654321D 1jan2150 @08:01\n"
                "add -2 95P 20jun09 @16:30 american");
    session.run("set trading lse\nset rate -0.123456789\nset divyld 3.3");
    const std::string saved = state(session);
    ASSERT_NE(std::string::npos, saved.find("smile  = (100, ")) << saved;
    ASSERT_EQ("", session.run("save " + path("book.txt")));
    EXPECT_EQ(0u, read_all(path("book.txt")).find("# quorva market and portfolio, saved "));

    ConsoleSession fresh;
    EXPECT_EQ("", fresh.run("load " + path("book.txt")));
    EXPECT_EQ(saved, state(fresh));
    // Every number to the last bit.
    EXPECT_EQ(session.console().market().volatility(), fresh.console().market().volatility());
    EXPECT_EQ(session.console().market().smile().convexity(), fresh.console().market().smile().convexity());
    EXPECT_EQ(session.console().market().rate(), fresh.console().market().rate());
    EXPECT_EQ(session.console().portfolio()[5].second->strike(), fresh.console().portfolio()[5].second->strike());

    session.run("set realtime\nset stickydelta\nsave " + path("live.txt"));
    EXPECT_NE(std::string::npos, read_all(path("live.txt")).find("\nset realtime\n"));
    fresh.run("load " + path("live.txt"));
    EXPECT_EQ(session.run("list"), fresh.run("list"));
    EXPECT_NE(std::string::npos, fresh.run("market").find("[realtime]"));
}

// Days added to an exchange's calendar are listed, saved and loaded with it,
// and dropped when another exchange is chosen.
TEST_F(FileCommands, AddedExchangeDaysGoWhereTheirExchangeGoes) {
    session.run("set date 6jan25\nset time 12:00\nadd 100C 10jan25 @16:00\nset trading nyse");
    const std::string rules_only = session.run("price");
    EXPECT_EQ("", session.run("set holiday 9jan25\nset holiday 8jan25 @13:00\nset holiday 8 jan 2025 @12:00\n"
                              "set trading nyse"));
    const std::string market = session.run("market");
    EXPECT_NE(std::string::npos, market.find("trade  = NYSE\nadded  = 08jan25 @12:00, 09jan25\n\n")) << market;
    // 6 January from noon, 7 January, 8 January to noon, 10 January.
    const quorva::Market& m = session.console().market();
    EXPECT_EQ(240 + 390 + 150 + 390, m.trading_schedule()->trading_minutes(m.time(), session.console().portfolio()[0].second->expiry()));
    EXPECT_NE(rules_only, session.run("price"));

    ASSERT_EQ("", session.run("save " + path("nyse.txt")));
    EXPECT_NE(std::string::npos,
              read_all(path("nyse.txt")).find("\nset trading nyse\nset holiday 08jan25 @12:00\nset holiday 09jan25\n"));
    ConsoleSession fresh;
    EXPECT_EQ("", fresh.run("load " + path("nyse.txt")));
    EXPECT_EQ(state(session), state(fresh));
    EXPECT_EQ("", fresh.run("set trading lse\nset trading nyse"));
    EXPECT_NE(std::string::npos, fresh.run("market").find("trade  = NYSE\n\n"));
    EXPECT_EQ(rules_only, fresh.run("price"));
}

TEST_F(FileCommands, PercentsReadBackToTheLastBit) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> fraction(-1, 3);
    for (int i = 0; i < 20000; ++i) {
        const double x = fraction(random);
        std::istringstream typed(quorva::round_trip_percent(x));
        ASSERT_EQ(x, quorva::QuorvaConsole::read_percent(typed)) << typed.str();
    }
}

TEST_F(FileCommands, AFailingLoadChangesNothingAndNamesTheLine) {
    session.pin_clock();
    session.run("add 100C 20mar09\nset vol 30");
    const std::string before = state(session);
    write("bad.txt", "# a book\nset level 90\n\nadd 95P 20jun09\nadd 95X 20jun09\nadd 90C 20jun09\n");
    write("other.txt", "set level 90\nlist\n");
    session.expect_refusals({{"load " + path("bad.txt"), path("bad.txt") + ":5: Uknown instrument code"},
                             {"load " + path("other.txt"), path("other.txt") + ":2: Only set and add can be loaded - 'list'"},
                             {"load " + path("none.txt"),
                              "Cannot read file '" + path("none.txt") + "': No such file or directory"},
                             {"load " + dir.path().native(),
                              "Cannot read file '" + dir.path().native() + "': Is a directory"},
                             {"load", "Expected file name"}},
                            [&](const std::string& line) { EXPECT_EQ(before, state(session)) << line; });
}

TEST_F(FileCommands, AFailedSaveLeavesTheOldFileAsItWas) {
    write("kept.txt", "old contents\n");
    chmod(path("kept.txt").c_str(), 0444);
    session.expect_refusals(
        {{"save " + path("missing/book.txt"),
          "Cannot write file '" + path("missing/book.txt") + "': No such file or directory"},
         {"save " + path("kept.txt"), "Cannot write file '" + path("kept.txt") + "': Permission denied"},
         {"save", "Expected file name"}});
    EXPECT_EQ("old contents\n", read_all(path("kept.txt")));
    // No temporary file is left beside them (the folder holds bin/ and kept.txt).
    EXPECT_EQ(2, std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()));
}

TEST_F(FileCommands, SourceRunsLinesUntilTheFirstFailure) {
    write("inner.txt", "set level 90\nsource " + path("inner.txt") + "\n");
    write("outer.txt", "# set up\nset vol 25\nadd 100C 20mar09\nsource " + path("second.txt") + "\nset vol 40\n");
    write("second.txt", "  set rate 1\n\ndel 2\nset rate 2\n");
    EXPECT_EQ("Error: " + path("outer.txt") + ":4: " + path("second.txt") + ":3: Index out of range\n",
              session.run("source " + path("outer.txt")));
    // The lines before the failure keep their effect; the rest did not run.
    const std::string market = session.run("market");
    EXPECT_NE(std::string::npos, market.find("vol    = 25%\n")) << market;
    EXPECT_NE(std::string::npos, market.find("rate   = 1%\n")) << market;
    EXPECT_EQ(1u, session.console().portfolio().size());

    const std::string inner = path("inner.txt") + ":2: ";
    EXPECT_EQ("Error: " + inner + "... 14 more ... " + inner + "Source files nested too deeply\n",
              session.run("source " + path("inner.txt")));
    EXPECT_EQ("Error: Unexpected tokens found\n", session.run("source a b"));
}

TEST_F(FileCommands, ExitInASourcedFileEndsItAndTheFilesThatSourcedIt) {
    write("inner.txt", "set vol 30\nexit\nset vol 40\n");
    write("middle.txt", "source " + path("inner.txt") + "\nset rate 9\n");
    EXPECT_EQ("", session.run("source " + path("middle.txt") + "\nset level 90"));
    EXPECT_FALSE(session.console().stopped());
    const std::string market = session.run("market");
    EXPECT_EQ(0u, market.find("level  = 90\nvol    = 30%\nsmile  = (-, 0, 0)\nrate   = 5%\n")) << market;
    // The next file runs whole; `exit` typed at the prompt still ends the run.
    EXPECT_EQ("", session.run("source " + path("middle.txt")));
    EXPECT_NE(std::string::npos, session.run("market").find("rate   = 5%\n"));
    session.run("exit\nset level 50");
    EXPECT_TRUE(session.console().stopped());
}

// Each case runs in a session of its own that asks, as at a terminal.
TEST_F(FileCommands, LeavingAChangedBookAsksOnceEachTime) {
    const std::string question = "The book has changed since it was saved. Leave anyway? [y/N] ";
    const std::string save = "save " + path("book.txt") + "\n";
    const struct {
        std::string input;
        int questions;
        bool stopped;
    } cases[] = {
        {"add 100C 20mar10\nexit\nno\nexit\nY\nexit\n", 2, true},
        {"add 100C 20mar10\nexit\n\nexit\n yes \n", 2, true},
        {"add 100C 20mar10\n" + save + "exit\n", 0, true},
        {"add 100C 20mar10\n" + save + "set vol 30\nexit\ny\n", 1, true},
        {"add 100C 20mar10\n" + save + "del 1\nadd 100C 20mar10\nexit\n", 0, true},
        {"load " + path("book.txt") + "\nexit\n", 0, true},
        {"set vol 30\nexit\n", 0, true},
        // The end of the input asks too; ended again, it leaves.
        {"add 100C 20mar10\n", 1, false},
        {"add 100C 20mar10\nexit\nn\n", 2, false},
    };
    for (const auto& c : cases) {
        ConsoleSession asking;
        asking.pin_clock();
        asking.console().set_confirm_leaving(true);
        const std::string out = asking.raw(c.input);
        int asked = 0;
        for (std::size_t at = out.find(question); at != std::string::npos; at = out.find(question, at + 1)) ++asked;
        EXPECT_EQ(c.questions, asked) << c.input << out;
        EXPECT_EQ(c.stopped, asking.console().stopped()) << c.input;
    }
    // Scripts and piped input are never asked.
    EXPECT_EQ("> > ", session.raw("add 100C 20mar10\nexit"));
    EXPECT_TRUE(session.console().stopped());
}

TEST_F(FileCommands, SavedTextHoldsStrikesAsTyped) {
    session.pin_clock();
    session.run("add 100C 20mar09\nadd -2 95.5P 20jun09 @16:30\nadd +0.25 1e3U 18dec09\nadd 1234567.125F 1jan10\n"
                "add 0.1D 2feb10\nadd 1e-7C 3mar10");
    session.run("save " + path("book.txt"));
    const std::string saved = read_all(path("book.txt"));
    EXPECT_EQ("add +1 100C 20mar09 @23:59\n"
              "add -2 95.5P 20jun09 @16:30\n"
              "add +0.25 1000U 18dec09 @23:59\n"
              "add +1 1234567.125F 01jan10 @23:59\n"
              "add +1 0.1D 02feb10 @23:59\n"
              "add +1 1e-07C 03mar10 @23:59\n",
              saved.substr(saved.find("add ")));
}

TEST_F(FileCommands, SmileAndEmptyPortfolioCommands) {
    session.run("add 100C 20mar09\nadd 100P 20mar09\nset smile 95.5 -0.001 2e-05");
    EXPECT_NE(std::string::npos, session.run("market").find("smile  = (95.5, -0.001, 2e-05)\n"));
    session.run("set smile - 0.002 0\ndel all");
    EXPECT_NE(std::string::npos, session.run("market").find("smile  = (-, 0.002, 0)\n"));
    EXPECT_TRUE(session.console().portfolio().empty());
    session.expect_refusals({{"set smile x 0 0", "Expected smile reference strike or '-'"},
                             {"set smile 100 0", "Expected smile convexity"},
                             {"set smile", "Expected smile reference strike or '-'"},
                             {"del all 2", "Unexpected tokens found"}});
}

}  // namespace
