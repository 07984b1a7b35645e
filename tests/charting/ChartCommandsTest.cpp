#include "charting/BarChart.h"
#include "charting/HeatMap.h"
#include "charting/LineChart.h"

#include "tests/charting/FakeGnuplot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <functional>
#include <string>
#include <vector>

namespace gnuplot {
namespace {

using test::commands_of;
using Lines = std::vector<std::string>;

/// Lines [first, first + count) of `lines`.
Lines slice(const Lines& lines, std::size_t first, std::size_t count) {
    if (first + count > lines.size()) return {"only " + std::to_string(lines.size()) + " lines"};
    return Lines(lines.begin() + first, lines.begin() + first + count);
}

Lines concat(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(LineChartTest, SendsTheWholeStreamOfADefaultChart) {
    LineChart chart;
    chart.add_point(1, 10);
    chart.add_point(2, 20);
    const Lines expected =
        concat(concat({"set parametric", "set trange [10:20]"}, test::DEFAULT_AXES_AND_FRAME),
               {"plot '-' using 1:2 with lines linetype 3", "1 10", "2 20", "e"});
    ASSERT_EQ(21u, expected.size());
    EXPECT_EQ(expected, commands_of(chart));
}

TEST(LineChartTest, EmptyChartEndsItsDataAtOnceOverTheWidestTrange) {
    const Lines expected = concat(
        concat({"set parametric", "set trange [1.79769e+308:-1.79769e+308]"}, test::DEFAULT_AXES_AND_FRAME),
        {"plot '-' using 1:2 with lines linetype 3", "e"});
    EXPECT_EQ(expected, commands_of(LineChart()));
}

TEST(LineChartTest, TrangeSpansTheDataInAnyOrder) {
    LineChart flat;
    flat.add_point(3, 5);
    flat.add_point(1, 5);
    EXPECT_EQ("set trange [5:5]", commands_of(flat).at(1));

    LineChart chart;
    for (double y : {0.5, -2.25, 1234567.0, 7.0}) chart.add_point(-y, y);
    const Lines lines = commands_of(chart);
    EXPECT_EQ("set trange [-2.25:1.23457e+06]", lines.at(1));
    EXPECT_EQ((Lines{"-0.5 0.5", "2.25 -2.25", "-1.23457e+06 1.23457e+06", "-7 7", "e"}),
              slice(lines, 18, 5));
}

TEST(LineChartTest, VerticalLinesFollowTheDataLine) {
    LineChart chart;
    chart.add_point(100, 1);
    chart.add_vertical_line(100);
    chart.add_vertical_line(110.5);
    EXPECT_EQ(
        "plot '-' using 1:2 with lines linetype 3, 100,t with lines linetype 4, 110.5,t with lines linetype "
        "4",
        commands_of(chart).at(17));
}

TEST(LineChartTest, EachPlotSendsTheWholeStreamAgain) {
    LineChart chart;
    chart.add_point(1, 2);
    const test::RecordingGnuplot gnuplot;
    {
        Plotter plotter;
        chart.plot(plotter);
        chart.plot(plotter);
    }
    const Lines once = commands_of(chart);
    EXPECT_EQ(concat(once, once), gnuplot.lines());
}

TEST(LineChartTest, TwoSeriesSendAKeyAndOneDataBlockEach) {
    LineChart chart;
    chart.add_series("price[1]");
    chart.add_point(1, 10);
    chart.add_point(2, 40);
    chart.add_series("price");
    chart.add_point(1, 5);
    chart.add_point(2, 30);
    Lines frame = test::DEFAULT_AXES_AND_FRAME;
    std::replace(frame.begin(), frame.end(), std::string("unset key"), std::string("set key above"));
    const Lines expected = concat(concat({"set parametric", "set trange [5:40]"}, frame),
                                  {"plot '-' using 1:2 with lines linecolor rgb \"#0072b2\" title \"price[1]\", '-' "
                                   "using 1:2 with lines linecolor rgb \"#d55e00\" title \"price\"",
                                   "1 10", "2 40", "e", "1 5", "2 30", "e"});
    EXPECT_EQ(expected, commands_of(chart));
}

// Each series named (or not started, for nullptr) with its y values at x = 1, 2...;
// lines 13 (the key), 17 (the plot command) and the data after it.
TEST(LineChartTest, SeriesSplitTheDataWhereTheyStart) {
    const std::string one = "plot '-' using 1:2 with lines linetype 3";
    const std::string first = "plot '-' using 1:2 with lines linecolor rgb \"#0072b2\"";
    struct Case {
        const char* what;
        std::vector<std::pair<const char*, std::vector<double> > > series;
        std::vector<double> vertical_lines;
        std::string key;
        std::string plot;
        Lines data;
    };
    const Case cases[] = {
        {"one named series draws as an unnamed one", {{"price", {2}}}, {}, "unset key", one, {"1 2", "e"}},
        {"points before the first series form an untitled one",
         {{nullptr, {2}}, {"b", {4, 5}}},
         {1.5},
         "set key above",
         first + " title \"\", '-' using 1:2 with lines linecolor rgb \"#d55e00\" title \"b\", 1.5,t with lines "
                 "linecolor rgb \"#808080\" notitle",
         {"1 2", "e", "1 4", "2 5", "e"}},
        {"empty series send empty blocks, their names quoted",
         {{"a\\b", {}}, {"`rm x`", {}}},
         {},
         "set key above",
         first + " title \"a\\\\b\", '-' using 1:2 with lines linecolor rgb \"#d55e00\" title \"\\140rm x\\140\"",
         {"e", "e"}},
    };
    for (const Case& c : cases) {
        LineChart chart;
        for (const auto& series : c.series) {
            if (series.first != nullptr) chart.add_series(series.first);
            for (std::size_t i = 0; i < series.second.size(); ++i) chart.add_point(i + 1.0, series.second[i]);
        }
        for (double x : c.vertical_lines) chart.add_vertical_line(x);
        const Lines lines = commands_of(chart);
        EXPECT_EQ(c.key, lines.at(13)) << c.what;
        EXPECT_EQ(c.plot, lines.at(17)) << c.what;
        EXPECT_EQ(c.data, Lines(lines.begin() + 18, lines.end())) << c.what;
    }
}

// Each case: the series' y values, and which of them go on the right axis.
TEST(LineChartTest, SeriesMoreThanTwentyTimesSmallerThanTheLargestGoOnTheRightAxis) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        std::vector<std::vector<double> > series;
        std::vector<bool> right;
    } cases[] = {
        {{{0.04}}, {false}},
        {{{10, -2}, {0.4, 0.1}}, {false, true}},
        {{{10}, {-0.6}}, {false, false}},
        {{{0.01, -0.02}, {-10, 3}, {0, 0}}, {true, false, false}},
        {{{1, nan}, {30, 100}, {4.9}, {5.1}}, {true, false, true, false}},
    };
    for (const auto& c : cases) {
        LineChart chart;
        for (std::size_t s = 0; s < c.series.size(); ++s) {
            if (c.series.size() > 1) chart.add_series("s" + std::to_string(s));
            for (double y : c.series[s]) chart.add_point(1, y);
        }
        EXPECT_EQ(c.right, chart.on_right_axis()) << ::testing::PrintToString(c.series);
        const bool any = std::find(c.right.begin(), c.right.end(), true) != c.right.end();
        const std::string sent = ::testing::PrintToString(commands_of(chart));
        EXPECT_EQ(any, sent.find("\"set border 11\"") != std::string::npos) << sent;
        EXPECT_EQ(any, sent.find(" axes x1y2 ") != std::string::npos) << sent;
    }
}

TEST(LineChartTest, MarksTakeTheColourAndAxisOfTheirLineWithoutAKeyEntry) {
    LineChart chart;
    chart.add_series("a");
    chart.add_point(1, 10);
    chart.add_marks();
    chart.add_point(1, 11);
    chart.add_series("b");
    chart.add_point(1, 0.1);
    chart.add_marks();
    chart.add_point(1, 0.2);
    const Lines lines = commands_of(chart);
    const auto plot = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.compare(0, 5, "plot ") == 0;
    });
    ASSERT_NE(lines.end(), plot);
    EXPECT_EQ("plot '-' using 1:2 with lines linecolor rgb \"#0072b2\" title \"a\", "
              "'-' using 1:2 with points pointtype 7 pointsize 0.5 linecolor rgb \"#0072b2\" notitle, "
              "'-' using 1:2 with lines linecolor rgb \"#d55e00\" axes x1y2 title \"b\", "
              "'-' using 1:2 with points pointtype 7 pointsize 0.5 linecolor rgb \"#d55e00\" axes x1y2 notitle",
              *plot);
}

TEST(LineChartTest, SeriesNamesThatWouldBreakThePlotCommandAreRefused) {
    for (const char* name : {"say \"hi\"", "two\nlines", "cr\r", "\""}) {
        LineChart chart;
        EXPECT_EQ("Invalid series name", test::message_of([&] { chart.add_series(name); })) << name;
        EXPECT_TRUE(chart.series.empty()) << name;
    }
}

TEST(BarChartTest, SendsTheBoxPreambleBeforeTheTitle) {
    BarChart chart;
    chart.add_point(1, 3);
    const Lines expected =
        concat(concat({"set style fill solid 1 border -1", "set boxwidth 1", "set xtics scale 0"},
                      test::DEFAULT_AXES_AND_FRAME),
               {"plot '-' using 1:2 with boxes linetype 3", "1 3", "e"});
    EXPECT_EQ(expected, commands_of(chart));

    chart.box_width = 0.5f;
    EXPECT_EQ("set boxwidth 0.5", commands_of(chart).at(1));
}

TEST(Chart2dTest, PlainChartKeepsTheBlankAfterItsPlotCommand) {
    Chart2d chart;
    chart.add_point(2, 4);
    EXPECT_EQ(concat(test::DEFAULT_AXES_AND_FRAME, {"plot '-' using 1:2 ", "2 4", "e"}), commands_of(chart));
}

TEST(Chart2dTest, TitleAndAxesRenderTheirSettings) {
    LineChart chart;
    chart.title = "Delta";
    chart.title.size = 14;
    chart.x_axis.label = "Vol";
    chart.x_axis.range = Range(10, 30);
    chart.x_axis.rotation = 45.5f;
    chart.y_axis.range = Range(Range::AUTO(), 5);
    chart.add_point(10, 1);
    EXPECT_EQ((Lines{"set title \"Delta\" font \"Arial,14\"", "set xlabel \"Vol\" font \"Arial,\"",
                     "set xrange [10:30]", "set xtics rotate by 45.5"}),
              slice(commands_of(chart), 2, 4));
}

TEST(AxisTest, FreshAxisSendsFiveCommands) {
    EXPECT_EQ((Lines{"set ylabel \"\" font \"Arial,\"", "set yrange [*:*]", "set ytics rotate by 0",
                     "set ytics ", "set ytics nomirror"}),
              commands_of(Axis('y')));
}

TEST(AxisTest, ExplicitTicksAreQuotedInOrder) {
    Axis axis('x');
    EXPECT_EQ(0u, axis.no_ticks());
    axis.add_tick(1, "Mon");
    axis.add_tick(2, "Tue");
    EXPECT_EQ("set xtics (\"Mon\" 1,\"Tue\" 2)", commands_of(axis).at(3));

    Axis odd('y');
    odd.add_tick(0.25, "C:\\dir");
    odd.add_tick(2.5, "say \"hi\"");
    odd.add_tick(2.5, "say \"hi\"");
    EXPECT_EQ(3u, odd.no_ticks());
    EXPECT_EQ("set ytics (\"C:\\\\dir\" 0.25,\"say \"hi\"\" 2.5,\"say \"hi\"\" 2.5)", commands_of(odd).at(3));
}

TEST(AxisTest, OnlyLowerCaseXAndYAreDimensions) {
    for (int c = -128; c < 128; ++c) {
        const char dimension = static_cast<char>(c);
        const std::string message = test::message_of([=] { Axis axis(dimension); });
        const std::string expected =
            dimension == 'x' || dimension == 'y' ? "no GnuPlotException" : "Invalid axis dimension";
        EXPECT_EQ(expected, message) << "dimension " << c;
    }
}

TEST(LabelTest, FontCarriesTheSizeOnlyWhenGiven) {
    Label label("xlabel");
    EXPECT_EQ(Lines{"set xlabel \"\" font \"Arial,\""}, commands_of(label));
    (label = "Strike").size = 12;
    label.font = "Courier";
    EXPECT_EQ(Lines{"set xlabel \"Strike\" font \"Courier,12\""}, commands_of(label));
    label = "";
    EXPECT_EQ(Lines{"set xlabel \"\" font \"Courier,12\""}, commands_of(label));
}

TEST(RangeTest, RendersBoundsOrStars) {
    EXPECT_EQ("[*:*]", Range().to_string());
    EXPECT_EQ("[0:100]", Range(0, 100).to_string());
    EXPECT_EQ("[95.5:*]", Range(95.5, Range::AUTO()).to_string());
    EXPECT_EQ("[*:5]", Range(Range::AUTO(), 5).to_string());
    EXPECT_EQ("[-1.5:1e-10]", Range(-1.5, 1e-10).to_string());
    EXPECT_EQ("[0:1e-10]", Range(0, 1e-10).to_string());
}

TEST(RangeTest, RefusesEmptyInvertedAndTooShortRanges) {
    const std::vector<std::pair<double, double> > refused = {
        {1, 1}, {2, 1}, {0, 1e-20}, {-1, std::nextafter(-1.0, 0.0)}};
    for (const auto& bounds : refused) {
        EXPECT_EQ("Invalid range length", test::message_of([&] { Range(bounds.first, bounds.second); }))
            << "[" << bounds.first << ", " << bounds.second << "]";
    }
    EXPECT_EQ("no GnuPlotException", test::message_of([] { Range(1, std::nextafter(1.0, 2.0)); }));
    EXPECT_EQ("no GnuPlotException", test::message_of([] { Range(5, Range::AUTO()); }));
    EXPECT_EQ("no GnuPlotException", test::message_of([] { Range(Range::AUTO(), -5); }));
}

TEST(HeatMapTest, SendsTheWholeStreamOfAnUnevenGrid) {
    HeatMap map({80, 90, 94}, {0.25, 0.75});
    map.title = "Call";
    map.x_label = "level";
    map.y_label = "vol (%)";
    map.z_label = "price";
    map.set_z(0, 0, 0.1 + 0.2);
    map.set_z(0, 1, 2);
    map.set_z(2, 0, 7.5);
    map.set_z(2, 1, -1);
    map.set_z(1, 0, 1234567.125);
    map.set_z(1, 1, std::numeric_limits<double>::infinity());
    const Lines expected = {
        "set title \"Call\" font \"Arial,\"",
        "set xlabel \"level\" font \"Arial,\"",
        "set ylabel \"vol (%)\" font \"Arial,\"",
        "set cblabel \"price\" font \"Arial,\"",
        "unset key",
        "set tics out",
        "set xrange [75:96]",
        "set yrange [0:1]",
        "set cbrange [-1234567.125:1234567.125]",
        "set palette defined (-1 \"#b2182b\", 0 \"#f7f7f7\", 1 \"#2166ac\")",
        "set colorbox",
        "set style fill solid 1 noborder",
        "plot '-' using 1:2:3:4:5:6:7 with boxxyerror linecolor palette, '-' using 1:2:3 with labels notitle",
        "80 0.25 75 85 0 0.5 0.30000000000000004",
        "80 0.75 75 85 0.5 1 2",
        "90 0.25 85 92 0 0.5 1234567.125",
        "94 0.25 92 96 0 0.5 7.5",
        "94 0.75 92 96 0.5 1 -1",
        "e",
        "80 0.25 0.3",
        "80 0.75 2",
        "90 0.25 1.235e+06",
        "94 0.25 7.5",
        "94 0.75 -1",
        "e",
    };
    EXPECT_EQ(expected, commands_of(map));
}

// Lines 6 to 8 (the ranges) and the data after the plot command.
TEST(HeatMapTest, RangesReachTheOuterCellEdgesAndSpanTheValues) {
    struct Case {
        const char* what;
        std::vector<double> x, y, z;
        Lines ranges;
        Lines data;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {"a lone value spans one unit", {5}, {-1, 3}, {2, 4},
         {"set xrange [4.5:5.5]", "set yrange [-3:5]", "set cbrange [2:4]"},
         {"5 -1 4.5 5.5 -3 1 2", "5 3 4.5 5.5 1 5 4", "e", "5 -1 2", "5 3 4", "e"}},
        {"one colour alone sits amid a span of a hundredth", {1, 2}, {1}, {-50, -50},
         {"set xrange [0.5:2.5]", "set yrange [0.5:1.5]", "set cbrange [-50.5:-49.5]"},
         {"1 1 0.5 1.5 0.5 1.5 -50", "2 1 1.5 2.5 0.5 1.5 -50", "e", "1 1 -50", "2 1 -50", "e"}},
        {"zero alone sits amid a span of one", {1}, {1}, {0},
         {"set xrange [0.5:1.5]", "set yrange [0.5:1.5]", "set cbrange [-1:1]"},
         {"1 1 0.5 1.5 0.5 1.5 0", "e", "1 1 0", "e"}},
        {"a blank map leaves the colours to gnuplot", {1}, {1}, {nan},
         {"set xrange [0.5:1.5]", "set yrange [0.5:1.5]", "set cbrange [*:*]"},
         {"e", "e"}},
    };
    for (const Case& c : cases) {
        HeatMap map(c.x, c.y);
        for (std::size_t i = 0; i < c.z.size(); ++i) map.set_z(i / c.y.size(), i % c.y.size(), c.z[i]);
        const Lines lines = commands_of(map);
        EXPECT_EQ(c.ranges, slice(lines, 6, 3)) << c.what;
        EXPECT_EQ(c.data, Lines(lines.begin() + 12, lines.end())) << c.what;
    }
}

TEST(HeatMapTest, OnlyGridsOfAtMostFifteenValuesASidePrintTheirCells) {
    for (const std::size_t size : {15u, 16u}) {
        std::vector<double> values;
        for (std::size_t i = 0; i < size; ++i) values.push_back(static_cast<double>(i));
        HeatMap map(values, {1});
        for (std::size_t i = 0; i < size; ++i) map.set_z(i, 0, 1);
        const Lines lines = commands_of(map);
        EXPECT_EQ(size == 15 ? 15u + 15u + 2 : 16u + 1, lines.size() - 12) << size;
        EXPECT_EQ(size == 15, lines[11].find("with labels") != std::string::npos) << size;
    }
}

TEST(HeatMapTest, RefusesGridsThatAreNotIncreasingAndCellsOutsideTheGrid) {
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<std::vector<double> > refused = {
        {}, {2, 1}, {1, 1}, {1, std::numeric_limits<double>::quiet_NaN()}, {1, inf}, {-inf, 1}};
    for (std::size_t i = 0; i < refused.size(); ++i) {
        EXPECT_EQ("Invalid heat map values", test::message_of([&] { HeatMap(refused[i], {1}); })) << "x " << i;
        EXPECT_EQ("Invalid heat map values", test::message_of([&] { HeatMap({1}, refused[i]); })) << "y " << i;
    }
    HeatMap map({1, 2}, {1, 2, 3});
    EXPECT_EQ("no GnuPlotException", test::message_of([&] { map.set_z(1, 2, 0); }));
    EXPECT_EQ("Invalid heat map cell", test::message_of([&] { map.set_z(2, 0, 0); }));
    EXPECT_EQ("Invalid heat map cell", test::message_of([&] { map.set_z(0, 3, 0); }));
}

}  // namespace
}  // namespace gnuplot
