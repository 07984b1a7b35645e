// Tables of several metrics from `list` and `for`, and the CSV files both
// write, read back cell for cell and bit for bit.

#include "ConsoleSession.h"
#include "tests/charting/FakeGnuplot.h"

#include "book/LazyMetric.h"
#include "files/RoundTrip.h"
#include "files/Table.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <vector>

namespace {

using M = quorva::QuorvaConsole::LazyMetric;
using Cells = std::vector<std::string>;
using Rows = std::vector<Cells>;

/// The tab-separated rows of a console table up to its closing empty line.
Rows console_rows(const std::string& table) {
    Rows rows;
    std::istringstream in(table);
    for (std::string line; std::getline(in, line) && !line.empty();) {
        std::istringstream cells(line + "\t");
        rows.emplace_back();
        for (std::string cell; std::getline(cells, cell, '\t');) rows.back().push_back(cell);
    }
    return rows;
}

/// The records of CSV text as RFC 4180 reads them: each ends in CRLF, and a
/// field in double quotes may hold commas, line ends and doubled quotes.
Rows read_csv(const std::string& text) {
    Rows rows;
    Cells record(1);
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool pair = i + 1 < text.size() && text[i + 1] == (c == '"' ? '"' : '\n');
        if (c == '"' && (!quoted || !pair)) {
            quoted = !quoted;
        } else if (quoted || (c != ',' && !(c == '\r' && pair))) {
            EXPECT_TRUE(quoted || c != '\n') << "a bare line feed at " << i;
            record.back() += c;
            if (c == '"') ++i;
        } else if (c == ',') {
            record.emplace_back();
        } else {
            rows.push_back(record);
            record = Cells(1);
            ++i;
        }
    }
    EXPECT_EQ(Cells(1), record) << "text after the last CRLF";
    return rows;
}

double number(const std::string& cell) {
    char* end = nullptr;
    const double value = std::strtod(cell.c_str(), &end);
    EXPECT_EQ('\0', *end) << cell;
    return value;
}

std::string shown(double x) {
    std::ostringstream out;
    out << x;
    return out.str();
}

class Tables : public ::testing::Test {
protected:
    void SetUp() override {
        session.pin_clock();
        session.run("add 100C 20jun09 @16:30\nadd -2 95P 20jun09\nadd +0.5 110F 15sep09");
    }

    /// One position's metric in `market`, priced as the console prices it.
    double metric(const quorva::Market& market, M::Metric metric, std::size_t index) {
        quorva::BinomialTreePricer pricer(50);
        return M(pricer, market, session.console().portfolio().at(index), metric).eval();
    }

    ConsoleSession session{50};
    gnuplot::test::TempDir dir{"quorva-tables-%%%%-%%%%"};
};

// Each metric column is the table of that metric alone, which keeps its own
// layout: no header, and for `list` a bare total.
TEST_F(Tables, SeveralMetricsGetAHeaderRowAndAColumnEach) {
    const struct {
        const char* line;
        const char* single;  // the one-metric line, "%" standing for a column's header
        std::size_t fixed;   // the columns before the metrics
        Cells header;
    } cases[] = {
        {"list price delta gamma", "list %", 3,
         {"number", "quantity", "instrument", "price", "delta", "gamma"}},
        {"list Vega PRICE", "list %", 3, {"number", "quantity", "instrument", "vega", "price"}},
        {"list ALL", "list %", 3,
         {"number", "quantity", "instrument", "price", "delta", "gamma", "theta", "vega", "rho"}},
        {"for level 90 to 110 step 10: price delta", "for level 90 to 110 step 10: %", 1,
         {"level", "price", "delta"}},
        {"for VOL 10 to 30 step 10: price delta [2] payoff[1]", "for vol 10 to 30 step 10: %", 1,
         {"vol", "price", "delta[2]", "payoff[1]"}},
        {"for rate 1 to 2:all[1]", "for rate 1 to 2: %", 1,
         {"rate", "price[1]", "delta[1]", "gamma[1]", "theta[1]", "vega[1]", "rho[1]"}},
    };
    for (const auto& c : cases) {
        const std::string table = session.run(c.line);
        EXPECT_EQ("\n\n", table.substr(table.size() - 2)) << c.line;
        const Rows rows = console_rows(table);
        ASSERT_FALSE(rows.empty()) << c.line;
        EXPECT_EQ(c.header, rows[0]) << c.line;
        for (std::size_t k = c.fixed; k < c.header.size(); ++k) {
            std::string single = c.single;
            const Rows alone = console_rows(session.run(single.replace(single.find('%'), 1, c.header[k])));
            ASSERT_EQ(rows.size() - 1, alone.size()) << single;
            for (std::size_t r = 0; r < alone.size(); ++r) {
                const Cells& row = rows[r + 1];
                ASSERT_EQ(c.header.size(), row.size()) << c.line << " row " << r;
                const bool total = alone[r].size() == 1;
                const Cells fixed =
                    total ? Cells{"total", "", ""} : Cells(alone[r].begin(), alone[r].end() - 1);
                EXPECT_EQ(fixed, Cells(row.begin(), row.begin() + static_cast<long>(c.fixed))) << c.line;
                EXPECT_EQ(alone[r].back(), row[k]) << c.line << " row " << r;
            }
        }
    }
}

TEST_F(Tables, CsvFilesHoldTheComputedDoublesExactly) {
    const std::string book = (dir.path() / "book.csv").native();
    EXPECT_EQ("", session.run("list price delta > " + book));
    const Rows listed = read_csv(gnuplot::test::read_all(book));
    const Rows printed = console_rows(session.run("list price delta"));
    ASSERT_EQ(5u, listed.size());
    EXPECT_EQ(Cells({"number", "quantity", "instrument", "price", "delta"}), listed[0]);
    const Cells quantities = {"1", "-2", "0.5"};
    double totals[2] = {0, 0};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(Cells({std::to_string(i + 1), quantities[i], printed[i + 1][2]}),
                  Cells(listed[i + 1].begin(), listed[i + 1].begin() + 3));
        for (std::size_t m = 0; m < 2; ++m) {
            const double value = metric(session.console().market(), m == 0 ? M::PRICE : M::DELTA, i);
            totals[m] = value + totals[m];
            EXPECT_EQ(value, number(listed[i + 1].at(3 + m)));
            EXPECT_EQ(printed[i + 1][3 + m], (value >= 0 ? "+" : "") + shown(value));
        }
    }
    EXPECT_EQ(Cells({"total", "", "", quorva::round_trip(totals[0]), quorva::round_trip(totals[1])}), listed[4]);

    // A percentage is the number typed, in a column that says so; one metric
    // still gets its header row.
    const std::string vol = (dir.path() / "VOL.CSV").native();
    EXPECT_EQ("", session.run("for vol 10 to 30 step 10: gamma[2] > " + vol));
    const Rows stepped = read_csv(gnuplot::test::read_all(vol));
    const Rows on_screen = console_rows(session.run("for vol 10 to 30 step 10: gamma[2]"));
    ASSERT_EQ(4u, stepped.size());
    EXPECT_EQ(Cells({"vol_pct", "gamma[2]"}), stepped[0]);
    for (std::size_t r = 1; r < 4; ++r) {
        const double x = 10.0 * static_cast<double>(r);
        quorva::Market market = session.console().market();
        market.volatility() = x / 100;
        const double gamma = metric(market, M::GAMMA, 1);
        EXPECT_EQ(Cells({shown(x), quorva::round_trip(gamma)}), stepped[r]);
        EXPECT_EQ(Cells({stepped[r][0] + "%", shown(gamma)}), on_screen[r - 1]);
    }
}

// A grid file: a header of the second parameter's values, then each row the
// one-parameter file's column at the first parameter's value, cell for cell.
TEST_F(Tables, GridFilesAreTheOneParameterFilesRowByRow) {
    const std::string grid = (dir.path() / "grid.csv").native();
    const std::string row = (dir.path() / "row.csv").native();
    EXPECT_EQ("", session.run("for level 90 to 110 step 10, vol 12.5 to 32.5 step 10: price > " + grid));
    const Rows written = read_csv(gnuplot::test::read_all(grid));
    ASSERT_EQ(4u, written.size());
    EXPECT_EQ(Cells({"level/vol_pct", "12.5", "22.5", "32.5"}), written[0]);
    for (std::size_t r = 1; r < 4; ++r) {
        session.run("set level " + written[r][0]);
        EXPECT_EQ("", session.run("for vol 12.5 to 32.5 step 10: price > " + row));
        const Rows alone = read_csv(gnuplot::test::read_all(row));
        ASSERT_EQ(4u, alone.size());
        for (std::size_t c = 1; c < 4; ++c) EXPECT_EQ(alone[c][1], written[r][c]) << "row " << r << " column " << c;
    }
    EXPECT_EQ((Cells{"90", "100", "110"}), (Cells{written[1][0], written[2][0], written[3][0]}));
}

// The default ten steps end on the final value as typed, however the tenths round.
TEST_F(Tables, TheLastDefaultStepIsTheFinalValueExactly) {
    const std::string file = (dir.path() / "steps.csv").native();
    for (const char* range : {"level 0.3 to 0.9", "level 0.2 to 0.9", "level 0.4 to 1.3", "rate -0.3 to 0.9",
                              "rate 0.3 to -0.9", "divyld 0.7 to 2.9"}) {
        EXPECT_EQ("", session.run(std::string("for ") + range + ": price > " + file)) << range;
        const Rows rows = read_csv(gnuplot::test::read_all(file));
        ASSERT_EQ(12u, rows.size()) << range;
        const std::string typed(range);
        EXPECT_EQ(typed.substr(typed.rfind(' ') + 1), rows.back()[0]) << range;
    }
}

TEST(Csv, QuotesOnlyCellsThatNeedItAndWritesNumbersThatReadBackExactly) {
    const quorva::Table table = {{"plain", "a,b", "say \"hi\"", "two\nlines", "cr\r", ""}, {"1"}};
    EXPECT_EQ("plain,\"a,b\",\"say \"\"hi\"\"\",\"two\nlines\",\"cr\r\",\r\n1\r\n", quorva::csv(table));
    EXPECT_EQ(Rows(table.begin(), table.end()), read_csv(quorva::csv(table)));
    for (const double x :
         {0.1, 1.0 / 3, 0.1 + 0.2, 1.7976931348623157e308, 5e-324, -2.2250738585072014e-308}) {
        EXPECT_EQ(x, number(quorva::round_trip(x))) << quorva::round_trip(x);
    }
    EXPECT_EQ("0.1", quorva::round_trip(0.1));
    EXPECT_EQ("-2.5", quorva::round_trip(-2.5));
}

}  // namespace
