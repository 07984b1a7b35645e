#include "charting/Plotter.h"

#include "tests/charting/FakeGnuplot.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace gnuplot {
namespace {

using Lines = std::vector<std::string>;
using test::RecordingGnuplot;
using test::TempDir;
namespace fs = boost::filesystem;

TEST(PlotterTest, QuotedDoublesBackslashesOnly) {
    EXPECT_EQ("\"a\\\\b\"", Plotter::quoted("a\\b"));
    EXPECT_EQ("\"\"", Plotter::quoted(""));
    EXPECT_EQ("\"say \"hi\"\"", Plotter::quoted("say \"hi\""));
    EXPECT_EQ("\"\\\\\\\\x\\\\\"", Plotter::quoted("\\\\x\\"));
}

TEST(PlotterTest, ToStringUsesSixSignificantDigits) {
    const std::vector<std::pair<double, std::string> > cases = {
        {0.5, "0.5"},   {100, "100"},           {1.0 / 3, "0.333333"},    {-2.5, "-2.5"},  {1, "1"},
        {0.25, "0.25"}, {1234.5678, "1234.57"}, {1234567, "1.23457e+06"}, {1e-5, "1e-05"}, {0, "0"}};
    for (const auto& c : cases) EXPECT_EQ(c.second, Plotter::to_string(c.first)) << "value " << c.first;
}

TEST(PlotterTest, QuotedWritesBackquotesAsOctalEscapes) {
    EXPECT_EQ("\"\\140rm -rf x\\140\"", Plotter::quoted("`rm -rf x`"));
    EXPECT_EQ("\"\\\\\\140\\1401\"", Plotter::quoted("\\``1"));
}

TEST(PlotterTest, MissingExecutableNamesTheQuotedPath) {
    Plotter::exe_path = fs::path();
    EXPECT_EQ("Failed to access gnuplot executable at \"\"", test::message_of([] { Plotter plotter; }));

    const TempDir dir;
    Plotter::set_exe_dir(dir.path() / "no\\where");
    const std::string expected = dir.path().native() + "/no\\\\where/gnuplot";
    EXPECT_EQ("Failed to access gnuplot executable at \"" + expected + "\"",
              test::message_of([] { Plotter plotter; }));
}

TEST(PlotterTest, SendCommandWritesOneLinePerCall) {
    const RecordingGnuplot gnuplot;
    {
        Plotter plotter;
        plotter.send_command("unset key");
        plotter.send_command("");
        plotter.send_command("set title \"a b\"");
    }
    EXPECT_EQ("unset key\n\nset title \"a b\"\n", gnuplot.text());
}

TEST(PlotterTest, StartsAProgramWhosePathNeedsShellQuoting) {
    const TempDir dir("quorva charting 'quoted' $HOME %%%%-%%%%");
    const fs::path record = dir.path() / "record.txt";
    dir.install_gnuplot("exec cat > \"$(dirname \"$0\")/../record.txt\"");
    {
        Plotter plotter;
        plotter.send_command("set parametric");
    }
    EXPECT_EQ("set parametric\n", test::read_all(record));
}

TEST(PlotterTest, OutputFileSetsTerminalThenQuotedOutput) {
    const RecordingGnuplot gnuplot;
    {
        Plotter plotter;
        plotter.set_output_file("out\\chart.png", Plotter::PNG, {640, 480});
        plotter.set_output_file("/tmp/chart.svg", Plotter::SVG, {800, 600});
        EXPECT_EQ("Unknown file type", test::message_of([&] {
                      plotter.set_output_file("x.gif", static_cast<Plotter::FileType>(7), {1, 1});
                  }));
    }
    EXPECT_EQ((Lines{"set terminal png size 640,480", "set output \"out\\\\chart.png\"",
                     "set terminal svg size 800,600", "set output \"/tmp/chart.svg\""}),
              gnuplot.lines());
}

TEST(PlotterTest, WaitsReturnAtOnceWhenAlreadyDone) {
    const TempDir dir;
    const fs::path file = dir.path() / "marker";
    int budget = 100;
    Plotter::remove_wait(file, budget);
    EXPECT_EQ(100, budget);
    std::ofstream(file.native()) << "x";
    Plotter::exists_wait(file, budget);
    EXPECT_EQ(100, budget);
    Plotter::remove_wait(file, budget);
    EXPECT_EQ(100, budget);
    EXPECT_FALSE(fs::exists(file));
}

// Pauses of 1, 2, ..., 64 ms: the last one is taken in full.
TEST(PlotterTest, WaitsThatNeverSucceedOverspendTheBudget) {
    const TempDir dir;
    const fs::path never = dir.path() / "never";
    int budget = 100;
    const auto start = std::chrono::steady_clock::now();
    Plotter::exists_wait(never, budget);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(127));
    EXPECT_EQ(-27, budget);

    // A folder with something in it cannot be removed.
    const fs::path stuck = dir.path() / "stuck";
    fs::create_directories(stuck / "inside");
    EXPECT_FALSE(Plotter::remove_no_throw(stuck));
    budget = 100;
    Plotter::remove_wait(stuck, budget);
    EXPECT_EQ(-27, budget);
    EXPECT_TRUE(fs::exists(stuck));

    budget = 0;
    Plotter::exists_wait(never, budget);
    EXPECT_EQ(0, budget);
}

TEST(PlotterTest, JoinWithoutBudgetSendsNothing) {
    const RecordingGnuplot gnuplot;
    const fs::path marker = gnuplot.dir() / "marker";
    {
        Plotter plotter;
        EXPECT_FALSE(plotter.join(marker, 0));
        std::ofstream(marker.native()) << "left over";
        EXPECT_FALSE(plotter.join(marker, 0));
        EXPECT_FALSE(plotter.join(marker, -5));
    }
    EXPECT_EQ("", gnuplot.text());
    EXPECT_TRUE(fs::exists(marker));
}

TEST(PlotterTest, JoinClearsALeftoverMarkerBeforeAskingForIt) {
    const RecordingGnuplot gnuplot;
    const fs::path marker = gnuplot.dir() / "marker";
    std::ofstream(marker.native()) << "left over";
    {
        Plotter plotter;
        // This gnuplot never writes the marker, so the wait runs out.
        EXPECT_FALSE(plotter.join(marker, 50));
    }
    EXPECT_FALSE(fs::exists(marker));
    EXPECT_EQ(Lines{"save term " + Plotter::quoted(marker.native())}, gnuplot.lines());
}

TEST(PlotterTest, AGnuplotThatNeverAnswersHasNoTerminalName) {
    const RecordingGnuplot gnuplot;
    const fs::path answer = gnuplot.dir() / "answer";
    std::ofstream(answer.native()) << "x11\n";
    {
        Plotter plotter;
        EXPECT_EQ("", plotter.terminal(answer, gnuplot.dir() / "marker", 50));
    }
    EXPECT_FALSE(fs::exists(answer));
}

TEST(PlotterTest, GnuplotThatExitedMakesSendingFail) {
    const TempDir dir;
    dir.install_gnuplot("exit 0");
    const std::string expected = "Error sending command to GnuPlot at " + Plotter::exe_path.native();
    Plotter plotter;
    const std::string command(100, 'x');
    std::string message = "no GnuPlotException";
    for (int i = 0; i < 100000 && message == "no GnuPlotException"; ++i) {
        message = test::message_of([&] { plotter.send_command(command); });
    }
    EXPECT_EQ(expected, message);
    EXPECT_EQ(expected, test::message_of([&] { plotter.send_command("unset key"); }));
}

}  // namespace
}  // namespace gnuplot
