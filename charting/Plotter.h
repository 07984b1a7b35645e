#pragma once
// The single gateway to one gnuplot process: starts it with a pipe to its
// standard input, sends it command lines in order, and closes it at the end.

#include "charting/Coord.h"
#include "charting/GnuPlotException.h"

#include <boost/filesystem/path.hpp>

#include <cstdio>
#include <string>

namespace gnuplot {

class Plotter {
public:
    enum FileType { PNG = 0, SVG = 1 };

    /// The gnuplot executable becomes `dir` / "gnuplot".
    static void set_exe_dir(const boost::filesystem::path& dir);
    /// Starts gnuplot; throws when the executable is missing or will not start.
    Plotter();
    /// Closes gnuplot's input and waits for it to end.
    ~Plotter();
    Plotter(const Plotter&) = delete;
    Plotter& operator=(const Plotter&) = delete;

    /// `s` in double quotes with every backslash doubled and every backquote,
    /// which would run a shell command there, written as its octal escape.
    static std::string quoted(const std::string& s);
    /// `v` in general notation with six significant digits.
    static std::string to_string(double v);

    /// Writes one line and flushes it; throws when gnuplot can no longer read.
    void send_command(const std::string& command);
    /// Directs the drawing to an image file of `size` pixels.
    void set_output_file(const boost::filesystem::path& file, FileType type, common::Coord<unsigned int> size);

    /// Removes the file; false when the file system refused.
    static bool remove_no_throw(const boost::filesystem::path& file);
    /// Removes the file, retrying with pauses of 1, 2, 4... ms charged to `budget_ms`.
    static void remove_wait(const boost::filesystem::path& file, int& budget_ms);
    /// Waits with the same pauses until the file exists or the budget is spent.
    static void exists_wait(const boost::filesystem::path& file, int& budget_ms);
    /// True once gnuplot has handled every command sent before, shown by its
    /// writing `marker` within `budget_ms`.
    bool join(const boost::filesystem::path& marker, int budget_ms);
    /// The name of the terminal gnuplot draws on now (GPVAL_TERM), which it
    /// writes to `answer`, read back once a join through `marker` shows every
    /// command before handled; "" when that takes longer than `budget_ms`.
    /// `answer` is removed in the end.
    std::string terminal(const boost::filesystem::path& answer, const boost::filesystem::path& marker,
                         int budget_ms);

    static boost::filesystem::path exe_path;

private:
    FILE* pipe_;
};

}  // namespace gnuplot
