#include "ConsoleSession.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <vector>

namespace {

std::string without_newline(const std::string& line) { return line.substr(0, line.find('\n')); }

/// The number at the start of `text` ("+1.25\n" gives 1.25).
double number(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

/// The signed distance in percentage points that a calibration line ends with.
double distance(const std::string& report) {
    const std::size_t open = report.rfind("%\t(");
    EXPECT_NE(std::string::npos, open) << report;
    EXPECT_EQ("%)\n", report.substr(report.size() - 3)) << report;
    return number(report.substr(open + 3));
}

class Volatility : public ::testing::Test {
protected:
    void SetUp() override {
        session.pin_clock();
        session.run("add 100C 20mar10\nadd -2 90P 20sep09");
        session.run("set vol 25");
        call_at_25 = without_newline(session.run("price[1]").substr(1));
        short_put_at_25 = without_newline(session.run("price[2]"));
        session.run("set vol 20");
        market_before = session.run("market");
        list_before = session.run("list");
    }

    ConsoleSession session;
    std::string call_at_25, short_put_at_25, market_before, list_before;
};

TEST_F(Volatility, ImpliedVolatilityOfAPositionPrice) {
    const std::string call = session.run("implvol [1] " + call_at_25);
    EXPECT_NEAR(25, number(call), 0.01) << call;
    EXPECT_EQ('%', call[call.size() - 2]);
    // A short position's price is typed negative.
    ASSERT_EQ('-', short_put_at_25[0]);
    EXPECT_NEAR(25, number(session.run("implvol[2]" + short_put_at_25)), 0.01);
    EXPECT_EQ("Error: Failed to calculate implied volatility\n",
              session.run("implvol [2] " + short_put_at_25.substr(1)));
    EXPECT_EQ(market_before, session.run("market"));
}

TEST_F(Volatility, ImpliedVolatilityMessages) {
    session.expect_refusals({
        {"implvol", "Expected '['"},
        {"implvol 1 12.5", "Expected '['"},
        {"implvol [0] 12.5", "Index out of range"},
        {"implvol [] 12.5", "Index out of range"},
        {"implvol [3] 12.5", "Index out of range"},
        {"implvol [1 12.5", "Expected ']'"},
        {"implvol [1]", "Expected target price"},
        {"implvol [1] 12.5 x", "Unexpected tokens found"},
        {"implvol [1] 1000", "Failed to calculate implied volatility"},
    });
    EXPECT_EQ(market_before, session.run("market"));
}

TEST_F(Volatility, CalibrationRefusalsPrintNothingAndChangeNothing) {
    session.expect_refusals(
        {
            {"calibrate", "Incorrect number of calibration prices"},
            {"calibrate 5", "Incorrect number of calibration prices"},
            {"calibrate 5 1 2", "Unexpected tokens found"},
            {"calibrate 5 abc", "Unexpected tokens found"},
            {"calibrate 5 -1 x", "Unexpected tokens found"},
        },
        [&](const std::string& line) {
            EXPECT_EQ(market_before, session.run("market")) << line;
            EXPECT_EQ(list_before, session.run("list")) << line;
        });
}

TEST_F(Volatility, AFailedSearchPrintsOnlyItsErrorLine) {
    EXPECT_EQ("Error: Failed to calculate implied volatility\n", session.run("calibrate 1000 -1"));
    EXPECT_EQ("Error: Failed to calculate implied volatility\n", session.run("calibrate " + call_at_25 + " 1000"));
    EXPECT_EQ(market_before, session.run("market"));
}

TEST_F(Volatility, CalibrationReportsAndInstallsTheSmile) {
    const std::string report = session.run("calibrate " + call_at_25 + " " + short_put_at_25);
    std::istringstream lines(report);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ("", line);
    std::getline(lines, line);
    EXPECT_EQ("Calibrating with:", line);
    // instrument, unit price, implied volatility, distance from the market's 20%
    for (const std::string& start :
         {"100C 20mar10 @23:59\t" + call_at_25 + "\t", std::string("90P 20sep09 @23:59\t")}) {
        std::getline(lines, line);
        EXPECT_EQ(0u, line.find(start)) << line;
        const std::size_t vol_at = line.rfind('\t', line.find("%\t(")) + 1;
        EXPECT_NEAR(25, number(line.substr(vol_at)), 0.005) << line;
        EXPECT_NEAR(5, distance(line + "\n"), 0.005) << line;
    }
    EXPECT_NEAR(-number(short_put_at_25) / 2, number(line.substr(line.find('\t') + 1)), 1e-4) << line;
    EXPECT_FALSE(std::getline(lines, line));

    // Both positions implied 25%: the fit moves the volatility by about +5 points.
    const quorva::Market& market = session.console().market();
    EXPECT_NEAR(0.25, market.volatility() + market.smile().eval(100, 100), 0.001);
    EXPECT_EQ(100, market.smile().strike());
    EXPECT_NE(std::string::npos, session.run("market").find("smile  = (100, "));
}

// Prices the program gives return their volatility: above 200%, and for a
// digital whose price rises and then falls with the volatility, the root
// nearer the market's; a digital no longer stops calibration.
TEST(Calibration, VastVolatilitiesAndDigitalsInvert) {
    ConsoleSession session;
    session.pin_clock();
    session.run("add 110C 9dec10\nadd 110U 9dec10\nadd 100C 9dec10");
    const std::string call_at_250 = without_newline(session.run("set vol 250\nprice[1]").substr(1));
    EXPECT_NEAR(250, number(session.run("implvol [1] " + call_at_250)), 0.01);
    session.run("set vol 20");
    const std::string digital = without_newline(session.run("price[2]").substr(1));
    const std::string call = without_newline(session.run("price[3]").substr(1));
    EXPECT_NEAR(20, number(session.run("implvol [2] " + digital)), 0.01);
    std::istringstream report(session.run("calibrate " + call_at_250 + " " + digital + " " + call));
    const double expected[] = {230, 0, 0};
    std::string line;
    std::getline(report, line);
    std::getline(report, line);
    for (double distance_from_market : expected) {
        ASSERT_TRUE(std::getline(report, line));
        EXPECT_NEAR(distance_from_market, distance(line + "\n"), 0.01) << line;
    }
}

TEST(Calibration, EmptyPortfolioGivesAFlatStickyStrikeSmile) {
    ConsoleSession session;
    session.run("set level 95");
    EXPECT_EQ("\nCalibrating with:\n", session.run("calibrate"));
    const std::string market = session.run("market");
    EXPECT_NE(std::string::npos, market.find("vol    = 20%\nsmile  = (95, 0, 0)\n")) << market;
}

TEST(Calibration, DifferencesFromTheMarketVolatilityCarryTheirSign) {
    ConsoleSession session;
    session.pin_clock();
    session.run("add 100C 20mar10\nset vol 22");
    const std::string at_22 = session.run("price").substr(1);
    session.run("set vol 25");
    EXPECT_NEAR(-3, distance(session.run("calibrate " + at_22)), 0.01);
    session.run("set vol 20\nset stickydelta");
    EXPECT_NEAR(2, distance(session.run("calibrate " + at_22)), 0.01);
}

TEST(Calibration, FuturesAreListedButLeftOutOfTheFit) {
    ConsoleSession session;
    session.pin_clock();
    session.run("add -2 100F 18dec09");
    const std::string market_before = session.run("market");
    session.expect_refusals(
        {{"calibrate -10", "No options to calibrate"},
         {"calibrate", "Incorrect number of calibration prices"}},
        [&](const std::string& line) { EXPECT_EQ(market_before, session.run("market")) << line; });

    // One option left at one strike: the shift alone, so the smile is flat.
    session.run("add 100C 20mar09 @16:30");
    EXPECT_EQ(
        "\nCalibrating with:\n100F 18dec09 @23:59\t5\t-\n100C 20mar09 @16:30\t1.9\t22.8241%\t(+2.82411%)\n",
        session.run("calibrate -10 1.9"));
    const std::string market = session.run("market");
    EXPECT_NE(std::string::npos, market.find("vol    = 22.8241%\nsmile  = (100, 0, 0)\n")) << market;
}

}  // namespace
