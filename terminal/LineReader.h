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
};

/// Plain lines from a stream; without prompts for a script, which shows only
/// what its commands print.
class StreamLineReader : public LineReader {
public:
    StreamLineReader(std::istream& in, std::ostream& out, bool show_prompts = true);
    bool read_line(const std::string& prompt, std::string& line) override;

private:
    std::istream& in_;
    std::ostream& out_;
    bool show_prompts_;
};

/// The terminal's line editor, with the history of earlier runs (HistoryFile).
/// Ctrl-C abandons the line being typed; Ctrl-D on an empty line ends input.
class EditLineReader : public LineReader {
public:
    /// The words that may complete `prefix`, given the line before it.
    using Completer = std::function<std::vector<std::string>(const std::string& before, const std::string& prefix)>;

    explicit EditLineReader(Completer completer);
    ~EditLineReader() override;
    bool read_line(const std::string& prompt, std::string& line) override;
};

}  // namespace quorva
