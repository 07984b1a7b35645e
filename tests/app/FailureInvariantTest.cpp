// Every way a command can fail, run against a portfolio and a market that are
// far from the start-up state: the failure prints exactly one error line, and
// the market and the portfolio come out byte for byte as they went in.

#include "ConsoleSession.h"
#include "ScopedVariable.h"

#include <gtest/gtest.h>

#include <boost/filesystem.hpp>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

/// One message and lines that must fail with it.
struct Failure {
    std::string message;
    std::vector<std::string> lines;
};

/// No gnuplot to be found: GNUPLOT_ROOT unset and none on the PATH.
class NoGnuplotRoot {
    ScopedVariable root_{"GNUPLOT_ROOT", std::nullopt};
    ScopedVariable path_{"PATH", std::string("/nonexistent")};
};

class FailureInvariant : public ::testing::Test {
protected:
    void SetUp() override {
        // A calibrated smile on a call and a short put, then every parameter
        // moved away from its start-up value, then the other three kinds.
        session.pin_clock();
        ASSERT_EQ("", session.run("add 100C 20jun09 @16:30\nadd -2 95P 20jun09"));
        const std::string fit = session.run("calibrate 6.2 -8.8");
        ASSERT_EQ(0u, fit.find("\nCalibrating with:\n")) << fit;
        ASSERT_EQ("", session.run("set level 103\nset vol 22\nset rate 4\nset divyld 1.5\nset trading lse\n"
                                  "add +0.5 110F 15sep09\nadd 100U 20dec09 @9:00\nadd -1 105D 20dec09"));
        const std::string market = session.run("market");
        ASSERT_NE(std::string::npos, market.find("smile  = (100, ")) << market;
        ASSERT_NE(std::string::npos, market.find("trade  = LSE")) << market;
        ASSERT_NE(std::string::npos, session.run("list").find("5.\t-1\t105D 20dec09")) << session.run("list");
        before = state();
    }

    /// The market listing, the plain listing and the listing with prices.
    std::string state() { return session.run("market\nlist\nlist price"); }

    /// Runs each line and checks its whole output, then that nothing changed.
    /// `preamble` is what the command prints before it fails.
    void expect_failures(const std::vector<Failure>& failures, const std::string& preamble = "") {
        for (const Failure& failure : failures) {
            for (const std::string& line : failure.lines) {
                const std::string out = session.run(line);
                if (preamble.empty()) {
                    EXPECT_EQ("Error: " + failure.message + "\n", out) << "line: " << line;
                } else {
                    EXPECT_EQ(0u, out.find(preamble)) << "line: " << line << "\noutput: " << out;
                    const std::string tail = "Error: " + failure.message + "\n";
                    EXPECT_TRUE(out.size() >= tail.size() && out.compare(out.size() - tail.size(), tail.size(), tail) == 0)
                        << "line: " << line << "\noutput: " << out;
                }
                EXPECT_EQ(before, state()) << "line: " << line;
            }
        }
    }

    ConsoleSession session{50};
    std::string before;
};

TEST_F(FailureInvariant, LoopAndReaderMessages) {
    expect_failures({
        {"Unknown command - 'MARKET'", {"MARKET", "MARKET now", "help MARKET"}},
        {"Unknown command - ''", {"-5", "+market", "[1]"}},
        {"Unknown command - 'Set'", {"Set vol 25"}},
        {"Unknown command - 'me'", {"help me"}},
        {"Unexpected tokens found",
         {"market x", "market+", "add 100C 20mar09 x", "add 100C 20mar09 @16:30 x", "del 1 2", "list price 2",
          "list all price", "list price delta[1]", "list price > t.csv x", "for vol 10 to 20: all delta",
          "price x", "delta[1] x", "set level 1 2", "set realtime now", "set stickystrike 5",
          "set stickydelta x", "set date 5mar09 x", "set time 9:30 x", "for vol 10 to 20: price x",
          "plot vol 10 to 20: price x", "implvol [1] 5 x", "calibrate 1 2 3 4 5 6", "calibrate 5 abc"}},
        {"Expected integer found double", {"set date 1e10 mar 09", "set date -3e9 mar09", "set time 1e10:00"}},
        {"Unknown month",
         {"set date 5 march 09", "set date 5 09", "add 100C 20march09", "add 100C 20 xyz 09", "add 100C 20"}},
        {"Expected day", {"add 100C mar09", "add 100X", "add 100C", "add 100C @16:30"}},
        {"Invalid date",
         {"set date 31feb09", "set date 29feb09", "set date 1 jan 2300", "add 100C 30feb09", "add 100C 0mar09",
          "add 100C 1jan100"}},
        {"Expected strike", {"add", "add C20mar09", "add +2", "add -1 x"}},
        {"Expected instrument code letter", {"add 100 20mar09", "add 100", "add 2 5000C 20mar09", "add 100 @"}},
        {"Invalid hour", {"add 100C 20mar09@", "add 100C 20mar09 @ x"}},
        {"Expected ':'", {"add 100C 20mar09@16", "add 100C 20mar09@16.30", "add 100C 20mar09@16 30"}},
        {"Invalid minute", {"add 100C 20mar09@16:", "add 100C 20mar09@16:x"}},
        {"Uknown instrument code", {"add 100X20mar09", "add 100Q 20mar09", "add -2 100z 1jan10 @10:00"}},
        {"Hour out of range", {"add 100C 20mar09@24:00", "add 100C 20mar09@-1:00"}},
        {"Minute out of range", {"add 100C 20mar09@12:60", "add 100C 20mar09@12:-1"}},
        {"Date too early", {"add 100C 31dec1999", "add 100C 1 jan 1950 @10:00"}},
        {"Date too late", {"add 100C 1jan2200", "add -1 100P 1 jan 2200 @0:00"}},
    });
}

TEST_F(FailureInvariant, MarketMessages) {
    expect_failures({
        {"Expected market parameter", {"set", "set   ", "set =5"}},
        {"Expected trading schedule 'continuous', 'lse', 'eurex' or 'nyse'",
         {"set trading", "set trading tse"}},
        {"Expected day", {"set holiday", "set holiday x", "set holiday @12:00"}},
        {"Not a weekday", {"set holiday 13dec25", "set holiday 14 dec 2025 @12:00"}},
        {"Early close must fall within the trading day",
         {"set holiday 15dec25 @8:00", "set holiday 15dec25 @16:30", "set holiday 15dec25 @7:00"}},
        {"Invalid hour", {"set holiday 15dec25 @"}},
        {"Unexpected tokens found", {"set holiday 15dec25 x", "set holiday 15dec25 @12:00 x"}},
        {"Expected value", {"set level", "set foo", "set vol=", "set vol x", "set date", "set time"}},
        {"Unknown market parameter 'foo'", {"set foo 1"}},
        {"Unknown market parameter 'VOL'", {"set VOL 25"}},
        {"Unknown market parameter 'Level'", {"set Level 1"}},
        {"Expected ':'", {"set time 9", "set time 9.30", "set time 9 30"}},
        {"Hour out of range", {"set time 24:00", "set time -1:00"}},
        {"Minute out of range", {"set time 9:", "set time 9:60", "set time 9:-5"}},
        {"Date too early", {"set date 31dec1999", "set date 1 jan 1950", "set holiday 31dec1999"}},
        {"Date too late", {"set date 1jan2200", "set date 1 JAN 2200"}},
        {"Level must be positive", {"set level 0", "set level -103", "set level=-1e-300"}},
        {"Volatility must not be negative", {"set vol -22", "set vol = -1e-300"}},
    });
}

TEST_F(FailureInvariant, PortfolioAndMetricMessages) {
    expect_failures({
        {"Invalid purchase size",
         {"add +0 100C 20mar09", "add + 100C 20mar09", "add -x 100C 20mar09", "add -0 100C 20mar09"}},
        {"Expected index", {"del", "del [1]"}},
        {"No position labelled 'x'", {"del x"}},
        {"Index out of range",
         {"del 0", "del 6", "del -1", "delta [0]", "delta []", "price[6]", "gamma [ -1 ]"}},
        {"Invalid metric", {"list foo", "list price[1]", "list veg", "list foo price"}},
        {"Expected ']'", {"delta [1", "delta [1 x", "rho[2)"}},
    });
}

TEST_F(FailureInvariant, WhatIfMessages) {
    const NoGnuplotRoot no_root;
    for (const std::string command : {"for", "plot"}) {
        const auto line = [&](const std::string& rest) { return command + " " + rest; };
        expect_failures({
            {"Expected loop market parameter", {command, line("time 1 to 2: price"), line("foo 1 to 2: price")}},
            {"Expected intital loop parameter value", {line("vol"), line("vol x to 20: price"), line("level to 2: price")}},
            {"Expected 'to' after initial loop parameter value",
             {line("vol 10 TO 20: price"), line("vol 10: price"), line("vol 10 20: price")}},
            {"Expected final loop parameter value", {line("vol 10 to : price"), line("vol 10 to x: price"), line("vol 10 to")}},
            {"Expected loop parameter step value", {line("vol 10 to 20 step: price"), line("vol 10 to 20 step x: price")}},
            {"Expected ':'", {line("vol 10 to 20 price"), line("vol 10 to 20 step 2 price"), line("vol 10 to 20")}},
            {"Expected metric name", {line("vol 10 to 20:"), line("vol 10 to 20: foo"), line("vol 10 to 20: [1]")}},
            {"Index out of range",
             {line("vol 10 to 20: price[6]"), line("level 90 to 110: delta[0]"),
              line("vol 10 to 20: price delta [6]"), line("vol 10 to 20: all[9]")}},
            {"Expected ']'", {line("vol 10 to 20: price[1"), line("vol 10 to 20: price[1 x")}},
            {"Loop will not terminate",
             {line("level 100 to 100: price"), line("level 90 to 110 step -1: price"),
              line("level 110 to 90 step 1: price"), line("level 100 to 100 step -1: price"),
              line("level 110 to 90 step 0: price"), line("level 1e20 to 2e20 step 1: price"),
              line("vol -5 to 5 step -1: price")}},
            {"Too many loop steps",
             {line("level 0 to 1e9 step 1: price"), line("vol 0 to 100 step 0.0001: vega[1]"),
              line("level -1e9 to 1 step 1: price"), line("level 1 to 1000 step 1, vol 1 to 101 step 1: price")}},
            {"Expected two different loop parameters", {line("level 90 to 110, LEVEL 1 to 2: price")}},
            {"Expected ':'", {line("level 90 to 110, vol 10 to 20, rate 1 to 2: price")}},
            {"Date too late", {line("days 0 to 1e6: price"), line("level 90 to 100, days 0 to 80000 step 1000: price")}},
            {"Date too early", {line("days -4000 to 0: theta")}},
            {"Level must be positive", {line("level -10 to 10: price"), line("level 103 to 0 step -1: rho")}},
            {"Volatility must not be negative",
             {line("vol -5 to 5: price"), line("vol 22 to -1 step -1: vega")}},
        });
    }
}

TEST_F(FailureInvariant, ChartMessages) {
    const NoGnuplotRoot no_root;
    expect_failures({
        {"Please set environment variable GNUPLOT_ROOT to the gnuplot install directory",
         {"plot vol 20 to 30: price", "plot level 110 to 90 step -20: price",
          "plot level 90 to 110: delta[2] > c.png"}},
        {"Unknown file type", {"plot vol 10 to 30: price > chart.txt", "plot vol 10 to 30: price > chart"}},
        {"Expected file name", {"plot vol 10 to 30: price >", "plot vol 10 to 30: price >   "}},
        {"Expected metric name", {"plot vol 10 to 30: > chart.png"}},
        {"One metric per grid",
         {"plot level 90 to 110, vol 20 to 30: price delta", "plot vol 20 to 30, days 0 to 5: all > c.png"}},
    });
}

TEST_F(FailureInvariant, TableFileMessages) {
    namespace fs = boost::filesystem;
    const fs::path file = fs::temp_directory_path() / fs::unique_path("quorva-table-%%%%-%%%%.csv");
    expect_failures({
        {"Unknown file type",
         {"list price > t.txt", "list > t", "list all > t.csv.png", "for vol 10 to 30: price > t.png",
          "for level 90 to 110: price delta > t.svg"}},
        {"Expected file name", {"list >", "list price delta >", "for vol 10 to 30: price >"}},
        {"Expected metric name", {"for vol 10 to 30: > t.csv"}},
        {"Cannot write file '/nonexistent/t.csv': No such file or directory",
         {"list price > /nonexistent/t.csv", "list > /nonexistent/t.csv",
          "for level 100 to 110 step 5: price delta > /nonexistent/t.csv"}},
        // The smile turns the volatility at the digital's strike negative: the
        // first rows price, the last fails, and not one row is printed or written.
        {"Negative volatility at strike 105",
         {"for vol 7 to 5 step -1: price delta", "for vol 7 to 5 step -1: price delta > " + file.native()}},
    });
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(FailureInvariant, VolatilityMessages) {
    expect_failures({
        {"Expected '['", {"implvol", "implvol 1 12.5", "implvol (1) 5"}},
        {"Index out of range", {"implvol [0] 5", "implvol [] 5", "implvol [6] 5", "implvol [x] 5"}},
        {"Expected ']'", {"implvol [1 5", "implvol [1) 5"}},
        {"Expected target price", {"implvol [1]", "implvol [1] x"}},
        {"Failed to calculate implied volatility",
         {"implvol [2] 7", "implvol [1] 1000", "implvol [3] 1", "implvol [1] -1"}},
        {"Incorrect number of calibration prices", {"calibrate", "calibrate 1 2", "calibrate 1 2 3 4"}},
    });
    // A digital worth more than it pays, a call worth more than the index:
    // not one line of the report is printed.
    expect_failures({{"Failed to calculate implied volatility", {"calibrate 6 -8 1 55 -175", "calibrate 1000 -8 1 55 -75"}}});
}

}  // namespace
