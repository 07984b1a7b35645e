#include "ConsoleSession.h"
#include "ScopedVariable.h"
#include "tests/charting/FakeGnuplot.h"

#include <gtest/gtest.h>

#include <boost/filesystem.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

namespace fs = boost::filesystem;
using gnuplot::test::read_all;

std::vector<std::string> lines_of(const fs::path& file) {
    std::istringstream in(read_all(file));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

/// A folder whose bin/gnuplot is either a recorder of its input or the real
/// gnuplot with its errors kept, with GNUPLOT_ROOT pointing at it.
class Gnuplot {
public:
    explicit Gnuplot(bool real) {
        dir_.install_gnuplot(real ? "exec /usr/bin/gnuplot 2> '" + errors().native() + "'"
                                  : "exec cat > '" + record().native() + "'");
        setenv("GNUPLOT_ROOT", dir_.path().c_str(), 1);
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
    }
    ~Gnuplot() { unsetenv("GNUPLOT_ROOT"); }
    fs::path record() const { return dir_.path() / "record"; }
    fs::path errors() const { return dir_.path() / "errors"; }
    fs::path file(const std::string& name) const { return dir_.path() / name; }

private:
    gnuplot::test::TempDir dir_;
};

class Plot : public ::testing::Test {
protected:
    void SetUp() override {
        session.pin_clock();
        session.run("add 100C 20mar10");
        market_before = session.run("market");
    }
    void TearDown() override { EXPECT_EQ(market_before, session.run("market")); }

    ConsoleSession session{50};
    std::string market_before;
};

TEST_F(Plot, SendsTheOutputSettingsThenTheChartAndItsPoints) {
    const Gnuplot gnuplot(false);
    const fs::path png = gnuplot.file("chart.png");
    EXPECT_EQ("", session.run("plot vol 10 to 30 step 10: price > " + png.native()));
    std::vector<std::string> expected = {"set terminal png size 800,600",
                                         "set output \"" + png.native() + "\"", "set parametric"};
    const std::vector<std::string> sent = lines_of(gnuplot.record());
    ASSERT_EQ(24u, sent.size());
    EXPECT_EQ(expected, std::vector<std::string>(sent.begin(), sent.begin() + 3));
    EXPECT_EQ(0u, sent[3].find("set trange ["));
    EXPECT_EQ(gnuplot::test::DEFAULT_AXES_AND_FRAME,
              std::vector<std::string>(sent.begin() + 4, sent.begin() + 19));
    EXPECT_EQ("plot '-' using 1:2 with lines linetype 3", sent[19]);
    // The points: the parameter as typed (percent, without "%"), then the price.
    const std::string table = session.run("for vol 10 to 30 step 10: price");
    std::istringstream rows(table);
    for (int i = 0; i < 3; ++i) {
        std::string row;
        std::getline(rows, row);
        row.replace(row.find("%\t"), 2, " ");
        EXPECT_EQ(row, sent[20 + i]);
    }
    EXPECT_EQ("e", sent[23]);
    EXPECT_EQ(sent[3], "set trange [" + sent[20].substr(sent[20].find(' ') + 1) + ":" +
                           sent[22].substr(sent[22].find(' ') + 1) + "]");
}

TEST_F(Plot, WithoutADisplayTheChartIsDrawnAsText) {
    const Gnuplot gnuplot(false);
    session.run("plot level 80 to 120 step 40: delta");
    const std::vector<std::string> sent = lines_of(gnuplot.record());
    ASSERT_GE(sent.size(), 2u);
    EXPECT_EQ("set terminal dumb size 79,24", sent[0]);
    EXPECT_EQ(0u, sent[1].find("set output \""));
    EXPECT_EQ("set parametric", sent[2]);
}

TEST_F(Plot, WithADisplayButNoTerminalTheWindowPersists) {
    const Gnuplot gnuplot(false);
    setenv("DISPLAY", ":0", 1);
    EXPECT_EQ("", session.run("plot level 80 to 120 step 40: delta"));
    unsetenv("DISPLAY");
    const std::vector<std::string> sent = lines_of(gnuplot.record());
    ASSERT_GE(sent.size(), 3u);
    EXPECT_EQ(0u, sent[0].find("if (GPVAL_TERM eq \"unknown\") set terminal dumb size 79,24; set output \""));
    EXPECT_EQ("if (GPVAL_TERM ne \"dumb\") eval \"set terminal \".GPVAL_TERM.\" persist\"", sent[1]);
    EXPECT_EQ("set parametric", sent[2]);
}

TEST_F(Plot, AGnuplotWithoutWindowsDrawsAsTextEvenWithADisplay) {
    const Gnuplot gnuplot(true);
    setenv("DISPLAY", ":0", 1);
    const std::string chart = session.run("plot level 80 to 120 step 5: price");
    unsetenv("DISPLAY");
    EXPECT_NE(std::string::npos, chart.find("120")) << chart;
    EXPECT_EQ("", read_all(gnuplot.errors()));
}

TEST_F(Plot, FileNamesGnuplotWouldMisreadAreRefused) {
    const Gnuplot gnuplot(false);
    session.expect_refusals({
        {"plot vol 10 to 30: price > `touch${IFS}x`.png", "Invalid file name"},
        {"plot vol 10 to 30: price > 'q\"x.png'", "Invalid file name"},
        {"plot vol 10 to 30: price > /nonexistent/folder/x.png",
         "Cannot write file '/nonexistent/folder/x.png'"},
    });
    EXPECT_FALSE(fs::exists(gnuplot.record()));
    EXPECT_EQ("", session.run("plot vol 10 to 30: price > " + gnuplot.file("UPPER.PNG").native()));
    EXPECT_EQ("set terminal png size 800,600", lines_of(gnuplot.record()).at(0));
}

TEST_F(Plot, AOneRowScenarioStillDrawsAChart) {
    const Gnuplot gnuplot(false);
    session.run("plot level 110 to 90 step -50: price > " + gnuplot.file("one.svg").native());
    const std::vector<std::string> sent = lines_of(gnuplot.record());
    ASSERT_EQ(22u, sent.size());
    EXPECT_EQ("set terminal svg size 800,600", sent[0]);
    ASSERT_EQ(0u, sent[20].find("110 ")) << sent[20];
    const std::string price = sent[20].substr(4);
    EXPECT_EQ("set trange [" + price + ":" + price + "]", sent[3]);
    EXPECT_EQ("plot '-' using 1:2 with lines linetype 3", sent[19]);
    EXPECT_EQ("e", sent[21]);
}

TEST_F(Plot, RefusalsComeBeforeGnuplotStarts) {
    const Gnuplot gnuplot(false);
    session.expect_refusals({
        {"plot vol 10 to 30 price", "Expected ':'"},
        {"plot vol 10 to 30: price >", "Expected file name"},
        {"plot vol 10 to 30: price > chart.jpg", "Unknown file type"},
        {"plot vol 10 to 30: price > chart", "Unknown file type"},
        {"plot vol 10 to 30: price > a.png b", "Unexpected tokens found"},
        {"plot level 100 to 100: price", "Loop will not terminate"},
        {"plot level 110 to 90 step 0: price", "Loop will not terminate"},
        {"plot level -10 to 10: price", "Level must be positive"},
    });
    EXPECT_FALSE(fs::exists(gnuplot.record()));
}

TEST_F(Plot, WithoutGnuplotRootTheGnuplotOnThePathDraws) {
    const gnuplot::test::RecordingGnuplot gnuplot;
    const ScopedVariable root("GNUPLOT_ROOT", std::nullopt);
    const ScopedVariable path("PATH", "/nonexistent:" + (gnuplot.dir() / "bin").native() + ":/usr/bin");
    EXPECT_EQ("", session.run("plot vol 10 to 30: price > " + (gnuplot.dir() / "c.png").native()));
    EXPECT_EQ("set terminal png size 800,600", gnuplot.lines().at(0));
}

TEST_F(Plot, AMissingGnuplotIsReportedAndTheSessionGoesOn) {
    unsetenv("GNUPLOT_ROOT");
    const ScopedVariable path("PATH", std::string("/nonexistent"));
    EXPECT_EQ("Error: Please set environment variable GNUPLOT_ROOT to the gnuplot install directory\n",
              session.run("plot vol 10 to 30: price"));
    const fs::path nowhere = fs::temp_directory_path() / fs::unique_path("quorva-none-%%%%-%%%%");
    setenv("GNUPLOT_ROOT", nowhere.c_str(), 1);
    EXPECT_EQ(
        "Error: Failed to access gnuplot executable at \"" + (nowhere / "bin" / "gnuplot").native() + "\"\n",
        session.run("plot vol 10 to 30: price"));
    unsetenv("GNUPLOT_ROOT");
    EXPECT_EQ("1.\t+1\t100C 20mar10 @23:59\t\n\n\n", session.run("list"));
}

TEST_F(Plot, RealGnuplotWritesImagesOfTheRequestedSize) {
    const Gnuplot gnuplot(true);
    // Line charts of one series and of three, one on the right axis, and the heat map of a grid.
    const std::string scenarios[] = {"level 80 to 120 step 5: delta", "vol 10 to 40: price payoff gamma",
                                     "level 80 to 120 step 5, vol 10 to 40 step 2: gamma"};
    for (const std::string& scenario : scenarios) {
        const fs::path png = gnuplot.file("chart.png");
        EXPECT_EQ("", session.run("plot " + scenario + " > " + png.native()));
        const std::string image = read_all(png);
        ASSERT_GE(image.size(), 24u) << scenario;
        EXPECT_EQ(std::string("\x89PNG\r\n\x1a\n", 8), image.substr(0, 8)) << scenario;
        // The IHDR chunk holds the width and height as big-endian 32-bit numbers.
        const auto be32 = [&image](std::size_t at) {
            return (static_cast<unsigned char>(image[at]) << 24) |
                   (static_cast<unsigned char>(image[at + 1]) << 16) |
                   (static_cast<unsigned char>(image[at + 2]) << 8) | static_cast<unsigned char>(image[at + 3]);
        };
        EXPECT_EQ(800u, static_cast<unsigned>(be32(16))) << scenario;
        EXPECT_EQ(600u, static_cast<unsigned>(be32(20))) << scenario;

        const fs::path svg = gnuplot.file("chart.svg");
        session.run("plot " + scenario + " > " + svg.native());
        const std::string drawing = read_all(svg);
        EXPECT_NE(std::string::npos, drawing.find("<svg")) << scenario;
        EXPECT_NE(std::string::npos, drawing.find("width=\"800\"")) << scenario;
        EXPECT_NE(std::string::npos, drawing.find("height=\"600\"")) << scenario;
        EXPECT_EQ("", read_all(gnuplot.errors())) << scenario;
    }
}

TEST_F(Plot, SeveralSeriesGetAKeyAndADataBlockEach) {
    const Gnuplot gnuplot(false);
    session.run("add -2 95P 20mar10");
    session.run("plot level 90 to 110 step 10: price[1] price[2] payoff > " + gnuplot.file("c.png").native());
    const std::vector<std::string> sent = lines_of(gnuplot.record());
    ASSERT_EQ(32u, sent.size());
    EXPECT_EQ("set key above", sent[15]);
    EXPECT_EQ("plot '-' using 1:2 with lines linecolor rgb \"#0072b2\" title \"price[1]\", '-' using 1:2 with lines "
              "linecolor rgb \"#d55e00\" title \"price[2]\", '-' using 1:2 with lines linecolor rgb \"#009e73\" "
              "title \"payoff\"",
              sent[19]);
    // Three blocks of three points, each ended by "e"; the payoff at 90 is the short puts' -2 * 5.
    for (std::size_t end : {23u, 27u, 31u}) EXPECT_EQ("e", sent[end]);
    EXPECT_EQ("90 -10", sent[28]);
}

TEST_F(Plot, TheStrategyChartDrawsALinePerValueOfTheSecondParameter) {
    const Gnuplot gnuplot(false);
    session.run("set multiplier 10\nadd -1 100C 20mar10 at 12.5");
    const std::string grid = "level 90 to 110 step 10, days 0 to 20 step 10: pnl";
    session.run("plot " + grid + " lines > " + gnuplot.file("c.png").native());
    const std::vector<std::string> sent = lines_of(gnuplot.record());
    ASSERT_EQ(32u, sent.size());
    EXPECT_EQ("set xlabel \"level\" font \"Arial,\"", sent[5]);
    EXPECT_EQ("set ylabel \"pnl\" font \"Arial,\"", sent[10]);
    EXPECT_EQ("set key above", sent[15]);
    // One axis for every line, however far apart their scales.
    EXPECT_EQ("plot '-' using 1:2 with lines linecolor rgb \"#0072b2\" title \"days 0\", '-' using 1:2 with lines "
              "linecolor rgb \"#d55e00\" title \"days 10\", '-' using 1:2 with lines linecolor rgb \"#009e73\" "
              "title \"days 20\"",
              sent[19]);
    // Each block is a column of the grid's table, ended by "e".
    const auto table = cells(session.run("for " + grid));
    for (std::size_t point = 0; point < 3; ++point) {
        for (std::size_t column = 0; column < 3; ++column) {
            std::istringstream sent_point(sent[20 + 4 * column + point]);
            double x = 0, y = 0;
            sent_point >> x >> y;
            EXPECT_EQ(std::stod(table[1 + point][0]), x);
            EXPECT_NEAR(std::stod(table[1 + point][1 + column]), y, 1e-4 * std::fabs(y));
        }
    }
    for (std::size_t end : {23u, 27u, 31u}) EXPECT_EQ("e", sent[end]);

    const Gnuplot real(true);
    for (const std::string& chart : {grid + " lines", grid}) {
        const fs::path png = real.file("strategy.png");
        EXPECT_EQ("", session.run("plot " + chart + " > " + png.native()));
        EXPECT_EQ(std::string("\x89PNG\r\n\x1a\n", 8), read_all(png).substr(0, 8)) << chart;
        EXPECT_EQ("", read_all(real.errors())) << chart;
    }
    session.run("set multiplier 1");
}

// Gamma, some 500 times smaller than the price, gets the right axis; the axes
// are named by the parameter and the series on each side.
TEST_F(Plot, SeriesOfAFarSmallerScaleGoOnTheRightAxis) {
    const Gnuplot gnuplot(false);
    session.run("plot vol 10 to 30 step 10: price payoff gamma > " + gnuplot.file("c.png").native());
    const std::vector<std::string> sent = lines_of(gnuplot.record());
    ASSERT_GE(sent.size(), 25u);
    EXPECT_EQ("set xlabel \"vol (%)\" font \"Arial,\"", sent[5]);
    EXPECT_EQ("set ylabel \"price, payoff\" font \"Arial,\"", sent[10]);
    EXPECT_EQ((std::vector<std::string>{"set y2label \"gamma\" font \"Arial,\"", "set y2tics out nomirror",
                                        "set border 11"}),
              std::vector<std::string>(sent.begin() + 19, sent.begin() + 22));
    EXPECT_NE(std::string::npos, sent[22].find("linecolor rgb \"#009e73\" axes x1y2 title \"gamma\""));
    EXPECT_EQ(sent[22].find("axes"), sent[22].rfind("axes")) << "one series on the right: " << sent[22];
}

TEST_F(Plot, AGridWithoutADisplayIsItsTable) {
    const Gnuplot gnuplot(false);
    const std::string grid = "level 90 to 110 step 10, days 0 to 60 step 30: theta";
    EXPECT_EQ(session.run("for " + grid), session.run("plot " + grid));
    EXPECT_FALSE(fs::exists(gnuplot.record()));
}

TEST_F(Plot, RealGnuplotDrawsTextWithTheDataOnItsAxes) {
    const Gnuplot gnuplot(true);
    const std::string chart = session.run("plot level 80 to 120 step 5: price");
    EXPECT_NE(std::string::npos, chart.find("80")) << chart;
    EXPECT_NE(std::string::npos, chart.find("120")) << chart;
    EXPECT_NE(std::string::npos, chart.find("+-")) << chart;
    EXPECT_GE(std::count(chart.begin(), chart.end(), '\n'), 20);
    EXPECT_EQ(std::string::npos, chart.find('\f'));
    EXPECT_EQ("", read_all(gnuplot.errors()));
}

}  // namespace
