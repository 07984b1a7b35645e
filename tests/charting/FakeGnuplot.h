#pragma once
// Test helpers: a temporary folder with a bin/gnuplot shell script standing in
// for gnuplot, and readers for what the script recorded.

#include "charting/Plotable.h"
#include "charting/Plotter.h"

#include <boost/filesystem.hpp>

#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace gnuplot {
namespace test {

namespace fs = boost::filesystem;

/// The message of the GnuPlotException that `call` throws.
inline std::string message_of(const std::function<void()>& call) {
    try {
        call();
    } catch (const GnuPlotException& e) {
        return e.what();
    }
    return "no GnuPlotException";
}

/// What every chart sends between its own preamble and its plot command.
inline const std::vector<std::string> DEFAULT_AXES_AND_FRAME = {
    "set title \"\" font \"Arial,\"",
    "set xlabel \"\" font \"Arial,\"",
    "set xrange [*:*]",
    "set xtics rotate by 0",
    "set xtics ",
    "set xtics nomirror",
    "set ylabel \"\" font \"Arial,\"",
    "set yrange [*:*]",
    "set ytics rotate by 0",
    "set ytics ",
    "set ytics nomirror",
    "unset key",
    "set border 3",
    "set xtics out",
    "set ytics out",
};

inline std::string read_all(const fs::path& file) {
    std::ifstream in(file.native(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// A temporary folder, removed with everything in it at the end of the test.
class TempDir {
public:
    explicit TempDir(const std::string& name = "quorva-charting-%%%%-%%%%")
        : path_(fs::temp_directory_path() / fs::unique_path(name)) {
        fs::create_directories(path_ / "bin");
    }
    ~TempDir() {
        boost::system::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const fs::path& path() const { return path_; }

    /// Writes bin/gnuplot as an executable shell script with this body and
    /// points the Plotter at it.
    void install_gnuplot(const std::string& body) const {
        const fs::path script = path_ / "bin" / "gnuplot";
        std::ofstream(script.native()) << "#!/bin/sh\n" << body << "\n";
        fs::permissions(script, fs::owner_all);
        Plotter::set_exe_dir(path_ / "bin");
    }

private:
    fs::path path_;
};

/// A gnuplot that copies its input to a file.
class RecordingGnuplot {
public:
    RecordingGnuplot() { dir_.install_gnuplot("exec cat > '" + record().native() + "'"); }
    fs::path record() const { return dir_.path() / "record.txt"; }
    std::string text() const { return read_all(record()); }
    /// The recorded command lines, without their line feeds.
    std::vector<std::string> lines() const {
        std::vector<std::string> result;
        std::istringstream in(text());
        for (std::string line; std::getline(in, line);) result.push_back(line);
        return result;
    }
    const fs::path& dir() const { return dir_.path(); }

private:
    TempDir dir_;
};

/// Every command line that plotting `object` once sends.
inline std::vector<std::string> commands_of(const Plotable& object) {
    const RecordingGnuplot gnuplot;
    {
        Plotter plotter;
        object.plot(plotter);
    }
    return gnuplot.lines();
}

}  // namespace test
}  // namespace gnuplot
