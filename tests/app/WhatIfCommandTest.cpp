#include "ConsoleSession.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace {

/// The first column of every row of a what-if table, which must end with one
/// empty line.
std::vector<std::string> parameter_column(const std::string& table) {
    std::vector<std::string> column;
    std::istringstream in(table);
    std::string line;
    while (std::getline(in, line) && !line.empty()) column.push_back(line.substr(0, line.find('\t')));
    EXPECT_FALSE(std::getline(in, line)) << "text after the closing empty line: " << table;
    return column;
}

class WhatIf : public ::testing::Test {
protected:
    void SetUp() override {
        session.pin_clock();
        session.run("add 100C 20mar10\nadd -1 90P 20sep09");
        market_before = session.run("market");
    }
    void TearDown() override { EXPECT_EQ(market_before, session.run("market")); }

    ConsoleSession session{50};
    std::string market_before;
};

TEST_F(WhatIf, RowsStepFromTheInitialValue) {
    const struct {
        const char* line;
        std::vector<std::string> rows;
    } cases[] = {
        {"for vol 10 to 30: price",
         {"10%", "12%", "14%", "16%", "18%", "20%", "22%", "24%", "26%", "28%", "30%"}},
        {"for vol 30 to 10: price",
         {"30%", "28%", "26%", "24%", "22%", "20%", "18%", "16%", "14%", "12%", "10%"}},
        {"for level 100 to 90 step -2.5: price", {"100", "97.5", "95", "92.5", "90"}},
        {"for rate 1 to 2: price",
         {"1%", "1.1%", "1.2%", "1.3%", "1.4%", "1.5%", "1.6%", "1.7%", "1.8%", "1.9%", "2%"}},
        {"for level 100 to 100 step 1: price", {"100"}},
        {"for level 100 to 104.5 step 2: price", {"100", "102", "104"}},
        {"for VOL 10 to 20: Price",
         {"10%", "11%", "12%", "13%", "14%", "15%", "16%", "17%", "18%", "19%", "20%"}},
        {"for divyld 0 to 5 step 2.5:delta[2]", {"0%", "2.5%", "5%"}},
        {"for level 90 to 110 step 10 : rho", {"90", "100", "110"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.rows, parameter_column(session.run(c.line))) << c.line;
    }
}

// Row i is initial + i * step: rounding neither drops the final row nor adds
// one, nor shows as noise at 0 (-0.3 + 3 * 0.1 is 5.55e-17), and the default
// step always gives eleven rows (counting up to 3.45387e-77 would give twelve).
TEST_F(WhatIf, RoundingNeverShowsInTheRows) {
    const struct {
        const char* line;
        std::size_t rows;
        const char* first;
        const char* middle;
        const char* last;
    } cases[] = {
        {"for level 1 to 2 step 0.1: price", 11, "1", "1.5", "2"},
        {"for vol 15 to 25 step 0.05: price", 201, "15%", "20%", "25%"},
        {"for rate -1 to 1 step 0.2: price", 11, "-1%", "0%", "1%"},
        {"for divyld 0.3 to -0.3 step -0.1: price", 7, "0.3%", "0%", "-0.3%"},
        {"for level 3.4538716315184098e-77 to 3.4538716315184117e-77: price", 11, "3.45387e-77",
         "3.45387e-77", "3.45387e-77"},
    };
    for (const auto& c : cases) {
        const std::vector<std::string> column = parameter_column(session.run(c.line));
        ASSERT_EQ(c.rows, column.size()) << c.line;
        EXPECT_EQ(c.first, column.front()) << c.line;
        EXPECT_EQ(c.middle, column[c.rows / 2]) << c.line;
        EXPECT_EQ(c.last, column.back()) << c.line;
    }
}

TEST_F(WhatIf, ValuesAreTheMetricInTheSteppedMarket) {
    const std::string table = session.run("for level 90 to 110 step 20: price[1]");
    std::string at_110 = session.run("set level 110\nprice[1]");
    session.run("set level 100");
    at_110 = at_110.substr(1);  // the table writes no forced sign
    EXPECT_NE(std::string::npos, table.find("\n110\t" + at_110)) << table << at_110;
    EXPECT_EQ(0u, table.find("90\t"));
}

TEST_F(WhatIf, Messages) {
    session.expect_refusals({
        {"for", "Expected loop market parameter"},
        {"for time 1 to 2: price", "Expected loop market parameter"},
        {"for vol x to 2: price", "Expected intital loop parameter value"},
        {"for vol 10 TO 20: price", "Expected 'to' after initial loop parameter value"},
        {"for vol 10 to : price", "Expected final loop parameter value"},
        {"for vol 10 to 20 step: price", "Expected loop parameter step value"},
        {"for vol 10 to 20 price", "Expected ':'"},
        {"for vol 10 to 20 stride 2 price", "Expected ':'"},
        {"for vol 10 to 20:", "Expected metric name"},
        {"for vol 10 to 20: prices", "Expected metric name"},
        {"for vol 10 to 20: price[5]", "Index out of range"},
        {"for vol 10 to 20: price[1", "Expected ']'"},
        {"for vol 10 to 20: price x", "Unexpected tokens found"},
        {"for vol 10 to 20: price > a.png", "Unknown file type"},
        {"for level 100 to 100: price", "Loop will not terminate"},
        {"for level 100 to 100 step -1: price", "Loop will not terminate"},
        {"for level 110 to 90 step 0: price", "Loop will not terminate"},
        {"for level 90 to 110 step -1: price", "Loop will not terminate"},
        {"for level 110 to 90 step 1: price", "Loop will not terminate"},
        {"for level 1 to 2 step 1e-300: price", "Loop will not terminate"},
        {"for level 0 to 1e12 step 1: price", "Too many loop steps"},
    });
}

TEST(WhatIfLimits, OneHundredThousandRowsAreTheMost) {
    ConsoleSession session(10);
    const std::string table = session.run("for level 1 to 100000 step 1: price");
    EXPECT_EQ(100000u, parameter_column(table).size());
    EXPECT_EQ("Error: Too many loop steps\n", session.run("for level 0 to 100000 step 1: price"));
    // Each row is computed from the initial value, so a step that summing
    // would stop moving x after a few rows still counts its rows.
    EXPECT_EQ("Error: Too many loop steps\n",
              session.run("for level 9007199254740990 to 1e17 step 1: price"));
}

}  // namespace
