#pragma once
// The lines typed at the prompt, kept across runs: a plain text file, one
// line each, appended as each is entered so that a crash loses nothing, and
// trimmed to the last MAX_LINES when a run starts and ends. Every change
// holds the file's lock, so runs at the same time lose none of each other's
// lines. A path that is not a regular file (or a link to one), or a file that
// cannot be read or written, is passed over.

#include <string>
#include <vector>

namespace quorva {

class HistoryFile {
public:
    static constexpr std::size_t MAX_LINES = 1000;

    /// QUORVA_HISTORY when it is set ("" when it is set and empty: no
    /// history), otherwise $HOME/.quorva_history, or "" without a HOME.
    static std::string path_from_environment();

    /// "" keeps no history.
    explicit HistoryFile(std::string path);

    /// The kept lines, oldest first, after trim().
    std::vector<std::string> load() const { return trim(); }
    void append(const std::string& line) const;
    /// Rewrites the file in place with its last MAX_LINES non-blank lines
    /// (when it holds anything else) and returns them, oldest first.
    std::vector<std::string> trim() const;

private:
    /// A descriptor of the history file open with `flags` and locked, or -1.
    int open_locked(int flags) const;

    std::string path_;
};

}  // namespace quorva
