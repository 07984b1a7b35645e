#include "files/CsvReader.h"

#include "foundation/QuorvaException.h"
#include "terminal/TextFile.h"

#include <boost/algorithm/string.hpp>
#include <csv.h>

#include <algorithm>

namespace quorva {

namespace {

/// What the parser's callbacks build: the rows so far and the one being read.
struct Collector {
    std::vector<CsvReader::Row> rows;
    CsvReader::Row current{0, {}};
    /// The line being fed to the parser.
    unsigned line = 0;
    /// Bytes of the current row so far.
    std::size_t row_bytes = 0;
};

void end_field(void* text, std::size_t length, void* data) {
    auto& collector = *static_cast<Collector*>(data);
    if (collector.current.cells.empty()) collector.current.line = collector.line;
    collector.current.cells.emplace_back(static_cast<const char*>(text), length);
}

void end_row(int, void* data) {
    auto& collector = *static_cast<Collector*>(data);
    const auto& cells = collector.current.cells;
    const bool blank = std::all_of(cells.begin(), cells.end(), [](const std::string& cell) {
        return cell.find_first_not_of(" \t") == std::string::npos;
    });
    if (!blank) collector.rows.push_back(std::move(collector.current));
    collector.current = CsvReader::Row{0, {}};
    collector.row_bytes = 0;
}

/// The parser, freed however the reading ends.
class Parser {
public:
    Parser() { csv_init(&parser_, CSV_STRICT | CSV_STRICT_FINI); }
    ~Parser() { csv_free(&parser_); }
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;
    csv_parser* operator->() { return &parser_; }
    csv_parser* get() { return &parser_; }

private:
    csv_parser parser_;
};

[[noreturn]] void refuse(const std::string& message) { throw QuorvaException(message); }

}  // namespace

CsvReader::CsvReader(const std::string& path) : path_(path) {
    TextFile file(path);
    Parser parser;
    Collector collector;
    const auto where = [&](std::size_t line) { return echoed_path(path) + ":" + std::to_string(line) + ": "; };
    const auto parse = [&](const std::string& text) {
        collector.row_bytes += text.size();
        if (collector.row_bytes > MAX_ROW_BYTES) refuse(where(collector.line) + "Line too long");
        if (csv_parse(parser.get(), text.data(), text.size(), end_field, end_row, &collector) != text.size())
            refuse(where(collector.line) + "Unmatched double quote");
    };
    // Fed a line at a time, so that each row knows the line it starts on.
    std::string line;
    try {
        while (file.next(line)) {
            collector.line = static_cast<unsigned>(file.line_number());
            parse(line);
            if (!file.stream().eof()) parse("\n");
        }
    } catch (const LineTooLong&) {
        refuse(where(file.line_number()) + "Line too long");
    }
    if (csv_fini(parser.get(), end_field, end_row, &collector) != 0)
        refuse(where(collector.line) + "Unmatched double quote");
    if (collector.rows.empty()) refuse(where(1) + "Expected column names");

    header_ = std::move(collector.rows.front().cells);
    for (auto& name : header_) boost::trim(name);
    rows_.assign(std::make_move_iterator(collector.rows.begin() + 1),
                 std::make_move_iterator(collector.rows.end()));
}

std::size_t CsvReader::column(const std::string& name) const {
    for (std::size_t i = 0; i < header_.size(); ++i)
        if (boost::iequals(header_[i], boost::trim_copy(name))) return i;
    return npos;
}

void CsvReader::fail(const Row& row, const std::string& message) const {
    refuse(echoed_path(path_) + ":" + std::to_string(row.line) + ": " + message);
}

}  // namespace quorva
