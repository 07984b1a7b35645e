#include "files/CsvReader.h"

#include "foundation/QuorvaException.h"

#include <boost/algorithm/string.hpp>
#include <csv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sys/stat.h>

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
    const auto cannot_read = [&](int error) {
        refuse("Cannot read file '" + path + "': " + std::strerror(error));
    };
    struct stat status {};
    if (stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) cannot_read(EISDIR);
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) cannot_read(errno);

    Parser parser;
    Collector collector;
    const auto where = [&](unsigned line) { return path + ":" + std::to_string(line) + ": "; };
    // Fed a line at a time (cut at the row limit), so that each row knows its line.
    std::string chunk;
    bool line_ended = true;
    for (;;) {
        chunk.clear();
        int c = 0;
        while (chunk.size() <= MAX_ROW_BYTES && (c = in.get()) != EOF) {
            chunk.push_back(static_cast<char>(c));
            if (c == '\n') break;
        }
        if (in.bad()) cannot_read(errno ? errno : EIO);
        if (chunk.empty()) break;
        if (line_ended) ++collector.line;
        line_ended = chunk.back() == '\n';
        if (collector.line == 1 && chunk.compare(0, 3, "\xEF\xBB\xBF") == 0) chunk.erase(0, 3);
        collector.row_bytes += chunk.size();
        if (collector.row_bytes > MAX_ROW_BYTES) refuse(where(collector.line) + "Line too long");
        if (csv_parse(parser.get(), chunk.data(), chunk.size(), end_field, end_row, &collector) != chunk.size())
            refuse(where(collector.line) + "Unmatched double quote");
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
    refuse(path_ + ":" + std::to_string(row.line) + ": " + message);
}

}  // namespace quorva
