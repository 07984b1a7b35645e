// Charts and driver commands against the installed gnuplot, run through a
// wrapper that keeps its standard output and error in files.

#include "charting/BarChart.h"
#include "charting/HeatMap.h"
#include "charting/LineChart.h"

#include "tests/charting/FakeGnuplot.h"

#include <gtest/gtest.h>

#include <string>

namespace gnuplot {
namespace {

using test::read_all;
namespace fs = boost::filesystem;

const char* const GNUPLOT = "/usr/bin/gnuplot";

class GnuplotTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(GNUPLOT)) GTEST_SKIP() << GNUPLOT << " is not installed";
        dir_.install_gnuplot(std::string("exec ") + GNUPLOT + " > '" + output().native() + "' 2> '" +
                             errors().native() + "'");
    }
    fs::path file(const std::string& name) const { return dir_.path() / name; }
    fs::path output() const { return file("stdout.txt"); }
    fs::path errors() const { return file("stderr.txt"); }

    static LineChart scenario() {
        LineChart chart;
        for (int i = 0; i <= 10; ++i) chart.add_point(10 + 2 * i, 5 + 0.1 * i * i);
        return chart;
    }

private:
    test::TempDir dir_;
};

unsigned big_endian(const std::string& bytes, std::size_t at) {
    unsigned value = 0;
    for (std::size_t i = at; i < at + 4; ++i) value = value << 8 | static_cast<unsigned char>(bytes.at(i));
    return value;
}

TEST_F(GnuplotTest, DrawsALineChartIntoAPng) {
    const fs::path png = file("chart.png");
    {
        Plotter plotter;
        plotter.set_output_file(png, Plotter::PNG, {800, 600});
        scenario().plot(plotter);
    }
    const std::string bytes = read_all(png);
    ASSERT_GE(bytes.size(), 24u) << png;
    EXPECT_EQ(std::string("\x89PNG\r\n\x1a\n", 8), bytes.substr(0, 8));
    EXPECT_EQ("IHDR", bytes.substr(12, 4));
    EXPECT_EQ(800u, big_endian(bytes, 16));
    EXPECT_EQ(600u, big_endian(bytes, 20));
    EXPECT_EQ("", read_all(errors()));
}

TEST_F(GnuplotTest, DrawsALineChartIntoAnSvg) {
    const fs::path svg = file("chart.svg");
    {
        Plotter plotter;
        plotter.set_output_file(svg, Plotter::SVG, {800, 600});
        scenario().plot(plotter);
    }
    const std::string text = read_all(svg);
    EXPECT_NE(std::string::npos, text.find("<svg")) << text.substr(0, 200);
    EXPECT_NE(std::string::npos, text.find("width=\"800\" height=\"600\"")) << text.substr(0, 200);
    EXPECT_EQ("", read_all(errors()));
}

// An uneven heat map with a blank cell, one of a single value, whose colour
// span gnuplot would otherwise widen with a warning, and three series, one
// titled with backquotes that must not run a command.
TEST_F(GnuplotTest, DrawsHeatMapsAndSeveralSeriesIntoImages) {
    HeatMap uneven({80, 90, 100, 105, 130}, {10, 15, 30});
    uneven.title = "Call `100`";
    uneven.x_label = "level";
    uneven.y_label = "vol (%)";
    uneven.z_label = "price";
    for (std::size_t i = 0; i < 5; ++i) {
        for (std::size_t j = 0; j < 3; ++j) {
            if (i != 2 || j != 1) uneven.set_z(i, j, 0.5 * static_cast<double>(i * j) + 1.0 / 3);
        }
    }
    HeatMap flat({100}, {20});
    flat.set_z(0, 0, 7);
    LineChart series = scenario();
    series.add_series("price[1]");
    for (int i = 0; i <= 10; ++i) series.add_point(10 + 2 * i, 20 - i);
    series.add_series("price `x` \\");
    series.add_point(20, 3);
    series.add_vertical_line(15);

    struct Case {
        const char* name;
        const Plotable* chart;
        Plotter::FileType type;
    };
    const Case cases[] = {{"uneven.png", &uneven, Plotter::PNG},
                          {"uneven.svg", &uneven, Plotter::SVG},
                          {"flat.png", &flat, Plotter::PNG},
                          {"series.png", &series, Plotter::PNG}};
    for (const Case& c : cases) {
        const fs::path image = file(c.name);
        {
            Plotter plotter;
            plotter.set_output_file(image, c.type, {800, 600});
            c.chart->plot(plotter);
        }
        const std::string bytes = read_all(image);
        if (c.type == Plotter::PNG) {
            ASSERT_GE(bytes.size(), 24u) << c.name;
            EXPECT_EQ(std::string("\x89PNG\r\n\x1a\n", 8), bytes.substr(0, 8)) << c.name;
            EXPECT_EQ("IHDR", bytes.substr(12, 4)) << c.name;
            EXPECT_EQ(800u, big_endian(bytes, 16)) << c.name;
            EXPECT_EQ(600u, big_endian(bytes, 20)) << c.name;
        } else {
            EXPECT_NE(std::string::npos, bytes.find("width=\"800\" height=\"600\"")) << c.name;
            EXPECT_NE(std::string::npos, bytes.find("Call `100`")) << c.name;
        }
        EXPECT_EQ("", read_all(errors())) << c.name;
    }
}

TEST_F(GnuplotTest, JoinWaitsForGnuplotToCatchUp) {
    const fs::path marker = file("marker");
    Plotter plotter;
    plotter.send_command("set terminal dumb");
    scenario().plot(plotter);
    EXPECT_TRUE(plotter.join(marker, 10000));
    EXPECT_FALSE(fs::exists(marker));
}

TEST_F(GnuplotTest, TellsItsTerminalOnceTheChartIsDrawn) {
    Plotter plotter;
    plotter.send_command("set terminal dumb");
    scenario().plot(plotter);
    EXPECT_EQ("dumb", plotter.terminal(file("answer"), file("marker"), 10000));
    EXPECT_FALSE(fs::exists(file("answer")));
    EXPECT_NE("", read_all(output()));
    EXPECT_EQ("", read_all(errors()));
}

// Each chart in a gnuplot of its own, since settings carry over from one
// chart to the next within one gnuplot.
TEST_F(GnuplotTest, AcceptsEveryCommandTheChartsSend) {
    LineChart line = scenario();
    line.title = "Price";
    line.title.size = 12;
    line.x_axis.label = "Vol \\ %";
    line.x_axis.range = Range(5, Range::AUTO());
    line.x_axis.rotation = 45;
    line.x_axis.add_tick(10, "low");
    line.x_axis.add_tick(30, "C:\\high");
    line.y_axis.range = Range(0, 20);
    line.add_vertical_line(15);
    line.add_vertical_line(22.5);
    BarChart bars;
    bars.box_width = 0.5f;
    for (int i = 1; i <= 5; ++i) bars.add_point(i, i * i);
    Chart2d plain;
    plain.add_point(1, 2);
    plain.add_point(2, 1);

    const std::pair<const char*, const Plotable*> charts[] = {{"line", &line}, {"bar", &bars}, {"plain", &plain}};
    for (const auto& chart : charts) {
        const fs::path png = file(std::string(chart.first) + ".png");
        {
            Plotter plotter;
            plotter.set_output_file(png, Plotter::PNG, {640, 480});
            chart.second->plot(plotter);
        }
        EXPECT_EQ("", read_all(errors())) << chart.first << " chart";
        EXPECT_FALSE(read_all(png).empty()) << chart.first << " chart";
    }
}

}  // namespace
}  // namespace gnuplot
