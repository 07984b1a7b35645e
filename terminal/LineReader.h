#pragma once
// Where the console's command lines come from: plain lines from a stream, or
// a terminal with line editing, history and completion.

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace quorva {

class LineReader {
public:
    virtual ~LineReader();
    /// Shows the prompt and reads one line without its newline; false once
    /// the input has ended.
    virtual bool read_line(const std::string& prompt, std::string& line) = 0;
    /// Where the line read last came from, as "NAME:LINE: " to put before
    /// its errors; "" for lines typed at the prompt.
    virtual std::string location() const;
};

/// Plain lines from a stream (read_text_line); without prompts for a script,
/// which shows only what its commands print. A script has a `name`, which
/// its errors carry with the line number.
class StreamLineReader : public LineReader {
public:
    StreamLineReader(std::istream& in, std::ostream& out, bool show_prompts = true, std::string name = "");
    bool read_line(const std::string& prompt, std::string& line) override;
    std::string location() const override;

private:
    std::istream& in_;
    std::ostream& out_;
    bool show_prompts_;
    std::string name_;
    std::size_t number_ = 0;
};

/// The terminal's line editor, with the history of earlier runs (HistoryFile).
/// Ctrl-C abandons the line being typed; Ctrl-D on an empty line ends input.
class EditLineReader : public LineReader {
public:
    /// The words that may complete `prefix`, given the line before it.
    using Completer = std::function<std::vector<std::string>(const std::string& before, const std::string& prefix)>;

    explicit EditLineReader(Completer completer);
    /// Trims the history file to its last lines.
    ~EditLineReader() override;
    bool read_line(const std::string& prompt, std::string& line) override;
};

}  // namespace quorva
