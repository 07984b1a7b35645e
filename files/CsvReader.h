#pragma once
// A CSV file (RFC 4180: commas, double quotes, CRLF or LF line ends) read
// whole into rows of text cells, each with the line it starts on, so that a
// command reading quotes or positions can say where a bad row is.

#include <cstddef>
#include <string>
#include <vector>

namespace quorva {

class CsvReader {
public:
    struct Row {
        /// From 1, where the row starts in the file.
        unsigned line;
        std::vector<std::string> cells;
    };

    static constexpr std::size_t npos = static_cast<std::size_t>(-1);
    /// Longer rows are refused without being held whole.
    static constexpr std::size_t MAX_ROW_BYTES = 1 << 20;

    /// Reads the file at `path`; a UTF-8 byte-order mark at its start is
    /// ignored. Throws QuorvaException "Cannot read file 'PATH': reason" when
    /// it cannot be read, "PATH:LINE: message" for a quote left open, a row
    /// longer than MAX_ROW_BYTES or a file without a header row.
    explicit CsvReader(const std::string& path);

    const std::string& path() const { return path_; }
    /// The first row: the names of the columns.
    const std::vector<std::string>& header() const { return header_; }
    /// Where `name` is in the header, in any letter case and with blanks
    /// around it ignored; npos when it is not.
    std::size_t column(const std::string& name) const;
    /// The rows after the header; blank lines are skipped.
    const std::vector<Row>& rows() const { return rows_; }
    /// Throws QuorvaException "PATH:LINE: message" for `row`.
    [[noreturn]] void fail(const Row& row, const std::string& message) const;

private:
    std::string path_;
    std::vector<std::string> header_;
    std::vector<Row> rows_;
};

}  // namespace quorva
