#include "files/Table.h"

#include "files/RoundTrip.h"

#include <sstream>

namespace quorva {

namespace {

std::string csv_cell(const std::string& cell) {
    if (cell.find_first_of(",\"\r\n") == std::string::npos) return cell;
    std::string quoted = "\"";
    for (char c : cell) {
        quoted += c;
        if (c == '"') quoted += c;
    }
    return quoted + "\"";
}

}  // namespace

std::string tab_separated(const Table& table) {
    std::string text;
    for (const std::vector<std::string>& row : table) {
        for (std::size_t i = 0; i < row.size(); ++i) text += (i > 0 ? "\t" : "") + row[i];
        text += "\n";
    }
    return text + "\n";
}

std::string csv(const Table& table) {
    std::string text;
    for (const std::vector<std::string>& row : table) {
        for (std::size_t i = 0; i < row.size(); ++i) text += (i > 0 ? "," : "") + csv_cell(row[i]);
        text += "\r\n";
    }
    return text;
}

std::string number_cell(double x, bool exactly) {
    if (exactly) return round_trip(x);
    std::ostringstream text;
    text << x;
    return text.str();
}

}  // namespace quorva
