#pragma once
// The tables of `list` and `for` as text: tab-separated for the console, or
// CSV (RFC 4180) for a file.

#include <string>
#include <vector>

namespace quorva {

/// Rows of text cells, the first row naming the columns.
using Table = std::vector<std::vector<std::string> >;

/// The rows with their cells separated by tabs, one row a line, then an empty
/// line: the console's layout of a table.
std::string tab_separated(const Table& table);
/// The rows as CSV: cells separated by commas, each row ended by CRLF, and a
/// cell that holds a comma, a double quote, CR or LF put in double quotes with
/// its own double quotes doubled.
std::string csv(const Table& table);
/// A number as a cell: as the console writes it (six significant digits), or
/// for a file in the fewest digits that read back exactly.
std::string number_cell(double x, bool exactly);

}  // namespace quorva
