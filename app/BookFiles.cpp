// Books as CSV files, one position a row: `load FILE.csv` replaces the
// portfolio with a file's, all or nothing, and `save FILE.csv` writes it in
// the form that `load` reads back exactly.

#include "app/QuorvaConsole.h"

#include "files/AtomicFile.h"
#include "files/CsvReader.h"
#include "files/RoundTrip.h"
#include "files/Table.h"
#include "foundation/QuorvaException.h"

#include <boost/algorithm/string/case_conv.hpp>
#include <boost/algorithm/string/trim.hpp>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <sstream>

namespace quorva {

namespace {

const char* const MONTHS[] = {"jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};

/// The columns in the order `save` writes them; the first four are required.
const std::vector<std::string> COLUMNS = {"quantity", "strike", "type", "expiry", "time", "style", "price", "label"};
const std::size_t REQUIRED = 4;

/// The code letter of a type cell: C, P, F, U or D, or the kind's name, in
/// any letter case.
std::string type_code(std::string type) {
    boost::algorithm::to_lower(type);
    const std::vector<std::pair<std::string, std::string> > kinds = {
        {"call", "C"}, {"put", "P"}, {"future", "F"}, {"digitalup", "U"}, {"digitaldown", "D"}};
    for (const auto& kind : kinds) {
        if (type == kind.first || type == boost::algorithm::to_lower_copy(kind.second)) return kind.second;
    }
    QuorvaConsole::throw_error("Unknown type '" + type + "'");
}

/// An expiry cell as typed ("20jun09") or in ISO form ("2009-06-20"), as typed.
std::string typed_expiry(const std::string& expiry) {
    int year = 0, month = 0, day = 0;
    char end = 0;
    if (std::sscanf(expiry.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &end) != 3) return expiry;
    if (month < 1 || month > 12) QuorvaConsole::throw_error("Invalid date");
    return std::to_string(day) + MONTHS[month - 1] + std::to_string(year);
}

/// One row as the words of `add`: "-2 95P 20jun09 @23:59 at 3.25 as spread".
std::string add_words(const std::vector<std::string>& cell) {
    const std::string& quantity = cell[0];
    if (quantity.empty()) QuorvaConsole::throw_error("Expected quantity");
    std::string words = (quantity[0] == '+' || quantity[0] == '-' ? "" : "+") + quantity + " " + cell[1] + type_code(cell[2]) +
                        " " + typed_expiry(cell[3]);
    if (!cell[4].empty()) words += " @" + cell[4];
    const std::string style = boost::algorithm::to_lower_copy(cell[5]);
    if (style == "american") {
        words += " american";
    } else if (!style.empty() && style != "european") {
        QuorvaConsole::throw_error("Unknown style '" + cell[5] + "'");
    }
    if (!cell[6].empty()) words += " at " + cell[6];
    if (!cell[7].empty()) words += " as " + cell[7];
    return words;
}

}  // namespace

bool QuorvaConsole::is_csv_file(const std::string& file) {
    return file.size() > 4 && boost::algorithm::to_lower_copy(file.substr(file.size() - 4)) == ".csv";
}

void QuorvaConsole::load_csv(const std::string& file) {
    const CsvReader reader(file);
    std::vector<std::size_t> columns;
    for (const std::string& name : COLUMNS) {
        columns.push_back(reader.column(name));
        if (columns.size() <= REQUIRED && columns.back() == CsvReader::npos) {
            throw_error(file + ":1: Expected a column '" + name + "'");
        }
    }
    Portfolio portfolio;
    std::swap(portfolio, portfolio_);
    try {
        for (const CsvReader::Row& row : reader.rows()) {
            std::vector<std::string> cells;
            for (std::size_t c = 0; c < COLUMNS.size(); ++c) {
                const std::size_t at = columns[c];
                cells.push_back(at < row.cells.size() ? boost::algorithm::trim_copy(row.cells[at]) : "");
                const std::string& cell = cells.back();
                if (c < REQUIRED && cell.empty()) reader.fail(row, "Expected " + COLUMNS[c]);
                if (std::any_of(cell.begin(), cell.end(), [](unsigned char ch) { return std::isspace(ch); })) {
                    reader.fail(row, "Expected one word for " + COLUMNS[c] + ", found '" + cell + "'");
                }
            }
            try {
                std::istringstream words(add_words(cells));
                do_add(words);
            } catch (const QuorvaException& e) {
                reader.fail(row, e.message());
            }
        }
    } catch (...) {
        portfolio_ = portfolio;
        throw;
    }
}

void QuorvaConsole::save_csv(const std::string& file) const {
    Table table(1, COLUMNS);
    for (const Position& position : portfolio_) {
        const Instrument& instrument = *position.second;
        std::ostringstream printed;
        instrument.print(printed);
        const std::string words = printed.str();
        const Time expiry = instrument.expiry();
        const chrono::Date date = expiry.date();
        char iso[16];
        std::snprintf(iso, sizeof iso, "%04d-%02d-%02d", date.year(), static_cast<int>(date.month()), date.day());
        char time[8];
        std::snprintf(time, sizeof time, "%02u:%02u", expiry.hour(), expiry.minute());
        table.push_back({round_trip(position.first), round_trip(instrument.strike()),
                         std::string(1, words[words.find(' ') - 1]), iso, time,
                         instrument.american() ? "american" : "european",
                         position.trade_price ? round_trip(*position.trade_price) : "", position.label});
    }
    write_atomically(file, csv(table));
}

}  // namespace quorva
