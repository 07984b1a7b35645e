// The chart half of the what-if command: draws a scenario through gnuplot, a
// line per series or a heat map of a grid, in a window, as text in the
// console, or into a PNG or SVG file.

#include "app/QuorvaConsole.h"
#include "book/Scenario.h"
#include "files/Table.h"
#include "terminal/TextFile.h"

#include "charting/Coord.h"
#include "charting/HeatMap.h"
#include "charting/LineChart.h"
#include "charting/Plotter.h"

#include <boost/algorithm/string/predicate.hpp>
#include <boost/filesystem.hpp>

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <utility>
#include <vector>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <istream>
#include <iterator>
#include <ostream>
#include <sstream>
#include <string>

namespace quorva {

namespace {

namespace fs = boost::filesystem;

const unsigned IMAGE_WIDTH = 800;
const unsigned IMAGE_HEIGHT = 600;

bool has_display() { return std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr; }

/// Columns of the terminal behind `out`, or 0 when it is not one.
unsigned terminal_columns(const std::ostream& out) {
    winsize size{};
    if (&out != &std::cout || !isatty(STDOUT_FILENO)) return 0;
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0) return 0;
    return size.ws_col;
}

/// Removes a temporary file however the chart ends.
class TemporaryFile {
public:
    TemporaryFile() : path_(fs::temp_directory_path() / fs::unique_path("quorva-chart-%%%%-%%%%-%%%%.txt")) {}
    ~TemporaryFile() {
        boost::system::error_code ignored;
        fs::remove(path_, ignored);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

/// The terminals that draw in a window of their own.
const char* const WINDOW_TERMINALS[] = {"qt", "wxt", "x11", "aqua", "windows"};
/// How long gnuplot may take to draw a chart in a window and say so.
const int WINDOW_BUDGET_MS = 10000;

/// The terminal gnuplot draws on, once it has drawn everything sent before;
/// "" when it does not answer in time.
std::string terminal_of(gnuplot::Plotter& plotter) {
    const TemporaryFile answer;
    const TemporaryFile marker;
    return plotter.terminal(answer.path(), marker.path(), WINDOW_BUDGET_MS);
}

bool is_window(const std::string& terminal) {
    return std::find(std::begin(WINDOW_TERMINALS), std::end(WINDOW_TERMINALS), terminal) != std::end(WINDOW_TERMINALS);
}

/// The folder of the gnuplot to run: $GNUPLOT_ROOT/bin, or else the first
/// folder on the PATH with an executable gnuplot; empty when there is none.
fs::path gnuplot_folder() {
    const char* root = std::getenv("GNUPLOT_ROOT");
    if (root != nullptr && *root != '\0') return fs::path(root) / "bin";
    const char* path = std::getenv("PATH");
    std::istringstream folders(path == nullptr ? "" : path);
    for (std::string folder; std::getline(folders, folder, ':');) {
        const fs::path exe = fs::path(folder.empty() ? "." : folder) / "gnuplot";
        boost::system::error_code ignored;
        if (fs::is_regular_file(exe, ignored) && access(exe.c_str(), X_OK) == 0) return exe.parent_path();
    }
    return {};
}

using Scenario = QuorvaConsole::Scenario;

std::string label(const Scenario::Axis& axis) { return axis.name + (axis.percentage ? " (%)" : ""); }

/// A grid as one line per value of its second parameter over the first, each
/// named in a key by that value ("days 10"), all on one axis.
gnuplot::LineChart strategy_chart(const Scenario& scenario) {
    gnuplot::LineChart chart;
    chart.one_axis = true;
    const Scenario::Axis& across = scenario.axes[1];
    const std::size_t columns = across.values.size();
    for (std::size_t column = 0; column < columns; ++column) {
        chart.add_series(across.name + " " + number_cell(across.values[column], false) + (across.percentage ? "%" : ""));
        for (std::size_t point = column; point < scenario.points(); point += columns) {
            chart.add_point(scenario.value(0, point), scenario.results[point][0]);
        }
    }
    chart.x_axis.label = label(scenario.axes[0]);
    chart.y_axis.label = scenario.series[0].name();
    return chart;
}

/// One line per series. Several are named in a key, and the axes by the
/// parameter and the series on each side; a grid is a strategy chart.
gnuplot::LineChart line_chart(const Scenario& scenario) {
    if (scenario.axes.size() > 1) return strategy_chart(scenario);
    gnuplot::LineChart chart;
    const bool several = scenario.series.size() > 1;
    for (std::size_t s = 0; s < scenario.series.size(); ++s) {
        if (several) chart.add_series(scenario.series[s].name());
        for (std::size_t point = 0; point < scenario.points(); ++point) {
            chart.add_point(scenario.axes[0].values[point], scenario.results[point][s]);
        }
    }
    if (!several) return chart;
    chart.x_axis.label = label(scenario.axes[0]);
    const std::vector<bool> right = chart.on_right_axis();
    std::string names[2];
    for (std::size_t s = 0; s < scenario.series.size(); ++s) {
        std::string& side = names[right[s] ? 1 : 0];
        side += (side.empty() ? "" : ", ") + scenario.series[s].name();
    }
    chart.y_axis.label = names[0];
    chart.y2_label = names[1];
    return chart;
}

/// The axis's values in rising order, with where each stands in the axis.
std::vector<std::pair<double, std::size_t> > rising(const Scenario::Axis& axis) {
    std::vector<std::pair<double, std::size_t> > values;
    for (std::size_t i = 0; i < axis.values.size(); ++i) values.emplace_back(axis.values[i], i);
    std::sort(values.begin(), values.end());
    return values;
}

/// The grid's one series over the first parameter (x) and the second (y).
gnuplot::HeatMap heat_map(const Scenario& scenario) {
    const auto xs = rising(scenario.axes[0]);
    const auto ys = rising(scenario.axes[1]);
    std::vector<double> x_values, y_values;
    for (const auto& x : xs) x_values.push_back(x.first);
    for (const auto& y : ys) y_values.push_back(y.first);
    gnuplot::HeatMap map(x_values, y_values);
    for (std::size_t row = 0; row < xs.size(); ++row) {
        for (std::size_t column = 0; column < ys.size(); ++column) {
            const std::size_t point = xs[row].second * ys.size() + ys[column].second;
            map.set_z(row, column, scenario.results[point][0]);
        }
    }
    map.x_label = label(scenario.axes[0]);
    map.y_label = label(scenario.axes[1]);
    map.z_label = scenario.series[0].name();
    return map;
}

}  // namespace

std::string QuorvaConsole::read_chart_file(std::istream& in) {
    const std::string file = read_output_file(in, {".png", ".svg"});
    // gnuplot reads the name inside double quotes, where a backquote runs a
    // shell command and a double quote ends the string.
    if (file.find_first_of("`\"") != std::string::npos) throw_error("Invalid file name");
    return file;
}

void QuorvaConsole::plot_scenario(const Scenario& scenario, const std::string& file, bool lines) {
    const bool grid = scenario.axes.size() > 1 && !lines;
    // A heat map drawn in characters says less than the table.
    if (grid && file.empty() && !has_display()) return print_scenario(scenario);
    const fs::path folder = gnuplot_folder();
    if (folder.empty()) throw_error("Please set environment variable GNUPLOT_ROOT to the gnuplot install directory");
    gnuplot::Plotter::set_exe_dir(folder);

    const bool to_text = file.empty() && !has_display();
    // At a keyboard a window stays open, and gnuplot with it, until Enter.
    const bool may_wait = file.empty() && has_display() && &in_ == &std::cin && isatty(STDIN_FILENO);
    if (!file.empty() && !std::ofstream(file, std::ios::app)) {
        throw_error("Cannot write file '" + echoed_path(file) + "'");
    }
    const TemporaryFile text;
    const unsigned columns = terminal_columns(out_);
    const std::string text_terminal = "set terminal dumb size " + std::to_string(columns ? columns : 79) + ",24";
    const std::string text_output = "set output " + gnuplot::Plotter::quoted(text.path().native());
    out_.flush();
    {
        gnuplot::Plotter plotter;
        if (!file.empty()) {
            const auto type = boost::algorithm::iends_with(file, ".png") ? gnuplot::Plotter::PNG
                                                                         : gnuplot::Plotter::SVG;
            plotter.set_output_file(file, type, common::Coord<unsigned>(IMAGE_WIDTH, IMAGE_HEIGHT));
        } else if (to_text) {
            plotter.send_command(text_terminal);
            plotter.send_command(text_output);
        } else if (grid) {
            // Without a window terminal there is only text, where the table says more.
            if (!is_window(terminal_of(plotter))) return print_scenario(scenario);
            if (!may_wait) plotter.send_command("eval \"set terminal \".GPVAL_TERM.\" persist\"");
        } else {
            // A gnuplot built without window terminals draws as text instead.
            plotter.send_command("if (GPVAL_TERM eq \"unknown\") " + text_terminal + "; " + text_output);
            if (!may_wait) {
                plotter.send_command("if (GPVAL_TERM ne \"dumb\") eval \"set terminal \".GPVAL_TERM.\" persist\"");
            }
        }
        if (grid) {
            heat_map(scenario).plot(plotter);
        } else {
            line_chart(scenario).plot(plotter);
        }
        if (may_wait && is_window(terminal_of(plotter))) {
            out_ << "Press Enter to continue" << std::flush;
            std::string ignored;
            std::getline(in_, ignored);
        }
    }
    // The text drawing, without the form feed that gnuplot starts it with.
    std::ifstream drawn(text.path().native());
    for (std::string line; std::getline(drawn, line);) {
        line.erase(std::remove(line.begin(), line.end(), '\f'), line.end());
        out_ << line << "\n";
    }
}

}  // namespace quorva
