// The parts of the console that serve a person at a terminal, tested
// in-process: completion, help for one command, the progress line.

#include "ConsoleSession.h"
#include "HelpText.h"
#include "tests/charting/FakeGnuplot.h"

#include "terminal/Progress.h"

#include <gtest/gtest.h>

#include <boost/filesystem.hpp>

#include <fstream>
#include <sstream>
#include <thread>

namespace {

using quorva::QuorvaConsole;
using Words = std::vector<std::string>;

TEST(Completion, CommandWordsAtTheStartOfALine) {
    EXPECT_EQ(Words({"market"}), QuorvaConsole::completions("", "mar"));
    EXPECT_EQ(Words({"del", "delta"}), QuorvaConsole::completions("  ", "del"));
    EXPECT_EQ(Words({"calibrate", "cashdelta", "cashgamma"}), QuorvaConsole::completions("", "c"));
    EXPECT_EQ(Words({"set", "show", "source", "save"}), QuorvaConsole::completions("", "s"));
    EXPECT_EQ(Words(), QuorvaConsole::completions("", "MAR"));
    EXPECT_EQ(15u + 11u, QuorvaConsole::completions("", "").size());
}

TEST(Completion, ArgumentsFollowTheCommandsGrammar) {
    EXPECT_EQ(Words({"trading"}), QuorvaConsole::completions("set ", "tr"));
    EXPECT_EQ(Words({"stickystrike", "stickydelta"}), QuorvaConsole::completions("set ", "st"));
    EXPECT_EQ(Words({"continuous", "lse", "eurex", "nyse"}), QuorvaConsole::completions("set trading ", ""));
    EXPECT_EQ(Words(), QuorvaConsole::completions("set vol ", ""));
    EXPECT_EQ(Words({"level", "vol", "rate", "divyld", "days"}), QuorvaConsole::completions("for ", ""));
    EXPECT_EQ(Words({"divyld", "days"}), QuorvaConsole::completions("for level 1 to 2 step 1, ", "d"));
    EXPECT_EQ(Words({"to"}), QuorvaConsole::completions("plot level 1 to 2,vol 10 ", ""));
    EXPECT_EQ(Words({"vol"}), QuorvaConsole::completions("plot ", "v"));
    EXPECT_EQ(Words({"to"}), QuorvaConsole::completions("for vol 10 ", ""));
    EXPECT_EQ(Words({"step"}), QuorvaConsole::completions("for vol 10 to 30 ", "s"));
    EXPECT_EQ(Words({"price", "payoff", "pnl"}), QuorvaConsole::completions("for vol 10 to 30 step 5: ", "p"));
    EXPECT_EQ(Words({"gamma"}), QuorvaConsole::completions("plot level 1 to 2:", "g"));
    EXPECT_EQ(Words({"delta"}), QuorvaConsole::completions("list ", "d"));
    EXPECT_EQ(Words({"all"}), QuorvaConsole::completions("list ", "a"));
    EXPECT_EQ(Words({"rho"}), QuorvaConsole::completions("list price DELTA ", "r"));
    EXPECT_EQ(Words({"by"}), QuorvaConsole::completions("list all ", ""));
    EXPECT_EQ(Words({"expiry", "label"}), QuorvaConsole::completions("list pnl by ", ""));
    EXPECT_EQ(Words({"multiplier"}), QuorvaConsole::completions("set ", "mu"));
    EXPECT_EQ(Words({"lines"}), QuorvaConsole::completions("plot level 1 to 2, days 0 to 9: pnl ", "l"));
    EXPECT_EQ(Words(), QuorvaConsole::completions("plot level 1 to 2: pnl ", "l"));
    EXPECT_EQ(Words({"all"}), QuorvaConsole::completions("for vol 10 to 30: ", "a"));
    EXPECT_EQ(Words({"theta"}), QuorvaConsole::completions("for vol 10 to 30: price delta ", "t"));
    EXPECT_EQ(Words(), QuorvaConsole::completions("for vol 10 to 30: price[2] ", ""));
    EXPECT_EQ(Words({"payoff"}), QuorvaConsole::completions("plot vol 10 to 30: price ", "pa"));
    EXPECT_EQ(Words({"implvol"}), QuorvaConsole::completions("help ", "imp"));
    EXPECT_EQ(Words(), QuorvaConsole::completions("market ", ""));
    EXPECT_EQ(Words(), QuorvaConsole::completions("nonsense ", ""));
}

TEST(Completion, AmericanAfterTheExpiryOfACallOrAPut) {
    const struct {
        const char* before;
        const char* prefix;
        Words expected;
    } cases[] = {
        {"add 100C 20mar09 ", "", {"american"}},
        {"add -2 95p 20 jun 2010 @16:", "30", {}},
        {"add -2 95p 20 jun 2010 @16:30 ", "A", {}},
        {"add -2 95p 20 jun 2010 @16:30 ", "a", {"american"}},
        {"add +3 100C 20mar ", "am", {"american"}},
        {"add 100C ", "", {}},
        {"add 100F 20mar09 ", "", {}},
        {"add -100C 20mar09 ", "", {}},
        {"add 100C 20mar09 american ", "", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, QuorvaConsole::completions(c.before, c.prefix)) << c.before << c.prefix;
    }
}

TEST(Completion, FileNamesAfterFileCommandsAndTheOutputSign) {
    const gnuplot::test::TempDir temp("quorva-complete-%%%%-%%%%");
    const boost::filesystem::path& folder = temp.path();
    boost::filesystem::create_directories(folder / "books");
    for (const char* name : {"book.txt", "bonds.csv", ".hidden"}) std::ofstream((folder / name).native());
    const std::string dir = folder.native() + "/";
    for (const std::string before : {"source ", "save ", "load ", "list price > ", "for vol 1 to 2: price >"}) {
        EXPECT_EQ(Words({dir + "bonds.csv", dir + "book.txt", dir + "books/"}),
                  QuorvaConsole::completions(before, dir + "bo"))
            << before;
    }
    EXPECT_EQ(Words({dir + ".hidden"}), QuorvaConsole::completions("load ", dir + "."));
    EXPECT_EQ(Words(), QuorvaConsole::completions("load " + dir + "book.txt ", ""));
    EXPECT_EQ(Words(), QuorvaConsole::completions("save ", dir + "nothing/"));
}

TEST(HelpForOneCommand, ShowsItsFormsAndExamples) {
    ConsoleSession session;
    const std::string full = session.run("help");
    for (const char* word : {"market", "list", "set", "add", "del", "for", "plot", "implvol", "calibrate", "help",
                             "exit", "price", "Vega"}) {
        const std::string usage = session.run(std::string("help ") + word);
        EXPECT_NE(full, usage) << word;
        EXPECT_EQ("\n\n", usage.substr(usage.size() - 2)) << word;
    }
    EXPECT_EQ(0u, session.run("help for").find("for PARAM FROM to TO [step STEP] [, PARAM FROM to TO [step STEP]]:"));
    EXPECT_NE(std::string::npos, session.run("help set").find("set trading continuous|lse"));
    EXPECT_EQ(0u, session.run("help add").find("add [+QUANTITY|-QUANTITY] STRIKE CODE DAY MONTH [YEAR] "
                                               "[@HOUR:MINUTE] [american] [at PRICE] [as LABEL]\n"));
    session.expect_refusals({
        {"help me", "Unknown command - 'me'"},
        {"help MARKET", "Unknown command - 'MARKET'"},
        {"help all", "Unknown command - 'all'"},
        {"help prices", "Unknown command - 'prices'"},
    });
}

TEST(Progress, WritesNothingWhenDisabledOrQuick) {
    std::ostringstream out;
    {
        quorva::Progress quiet(out, 3, false);
        quiet.advance_to(1);
        quorva::Progress quick(out, 3, true);
        quick.advance_to(1);
        quick.advance_to(2);
    }
    EXPECT_EQ("", out.str());
}

TEST(Progress, AfterASecondShowsTheShareDoneAndErasesItAtTheEnd) {
    std::ostringstream out;
    {
        quorva::Progress progress(out, 4, true);
        progress.advance_to(1);
        std::this_thread::sleep_for(std::chrono::milliseconds(1050));
        progress.advance_to(2);
        progress.advance_to(3);
        progress.advance_to(4);
    }
    EXPECT_EQ("\r50% done\r75% done\r\033[K", out.str());
}

}  // namespace
