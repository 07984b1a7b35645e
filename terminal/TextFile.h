#pragma once
// Lines of text read safely: no line is held past MAX_LINE_BYTES, a UTF-8
// byte-order mark before the first line is skipped, and a read error or
// Ctrl-C is an error rather than the end of the input. Every reader of
// command files, books and tables reads its lines here.

#include "terminal/FdBuffer.h"
#include "foundation/QuorvaException.h"

#include <cstddef>
#include <istream>
#include <string>

namespace quorva {

/// Lines longer than this fail with "Line too long" without being held whole.
constexpr std::size_t MAX_LINE_BYTES = 1 << 20;

/// A line past MAX_LINE_BYTES: the input cannot go on from the middle of it.
struct LineTooLong : QuorvaException {
    LineTooLong();
};

/// Reads the next line of `in` without its '\n'; false at the end of the
/// input. With `first`, skips a byte-order mark at its start. Throws
/// LineTooLong after MAX_LINE_BYTES, leaving the rest of the line unread;
/// errors of the stream's buffer pass through.
bool read_text_line(std::istream& in, std::string& line, bool first);

/// A named file opened to be read line by line.
class TextFile {
public:
    /// Throws QuorvaException "Cannot read file 'PATH': reason" (a folder is
    /// "Is a directory"). Ctrl-C while the file waits to open (a FIFO without
    /// a writer) throws "Interrupted".
    explicit TextFile(const std::string& path);

    /// The next line, as read_text_line; read errors throw "Cannot read file
    /// 'PATH': reason".
    bool next(std::string& line);
    /// The number of the line next() gave or failed on last, from 1.
    std::size_t line_number() const { return number_; }
    std::istream& stream() { return in_; }

private:
    FdReadBuffer buffer_;
    std::istream in_;
    std::size_t number_ = 0;
};

/// A word typed by the user as it is echoed in a message: bytes that do not
/// print (and are not part of UTF-8 characters) written as "\xHH", cut to 60
/// characters with "..." after.
std::string echoed(const std::string& typed);
/// A file name as it is echoed in a message: escaped as echoed(), cut only
/// past the longest path the system takes.
std::string echoed_path(const std::string& path);

}  // namespace quorva
