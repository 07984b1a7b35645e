// The readers that take a command line apart, one typed item per call.

#include "app/QuorvaConsole.h"

#include "calendar/Time.h"
#include "foundation/QuorvaException.h"
#include "model/Instrument.h"

#include <boost/algorithm/string/case_conv.hpp>
#include <boost/algorithm/string/predicate.hpp>

#include <cctype>
#include <cstdlib>
#include <istream>
#include <limits>
#include <sstream>
#include <string>

namespace quorva {

namespace {

const int NO_INT = std::numeric_limits<int>::max();
const double NO_DOUBLE = std::numeric_limits<double>::max();

bool is_blank(int c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

void skip_blanks(std::istream& in) {
    in.clear();
    while (in.peek() != std::char_traits<char>::eof() && is_blank(in.peek())) in.get();
    in.clear();
}

/// A number in the stream's own syntax, or `missing` when none can be read
/// (the stream's value on failure is never used). A failed read leaves the
/// text it looked at, such as a lone sign or "1e", unread.
template <class T>
T read_number(std::istream& in, T missing) {
    skip_blanks(in);
    const std::istream::pos_type start = in.tellg();
    T value{};
    const bool ok = static_cast<bool>(in >> value);
    in.clear();
    if (!ok) in.seekg(start);
    return ok ? value : missing;
}

}  // namespace

char QuorvaConsole::read_char(std::istream& in) {
    skip_blanks(in);
    const int c = in.get();
    in.clear();
    return c == std::char_traits<char>::eof() ? 0 : static_cast<char>(c);
}

char QuorvaConsole::peek_char(std::istream& in) {
    const char c = read_char(in);
    if (c != 0) in.unget();
    return c;
}

std::string QuorvaConsole::read_string(std::istream& in, const std::string& stops) {
    skip_blanks(in);
    std::string word;
    for (int c = in.peek(); c != std::char_traits<char>::eof(); c = in.peek()) {
        if (is_blank(c) || stops.find(static_cast<char>(c)) != std::string::npos) break;
        word += static_cast<char>(in.get());
    }
    in.clear();
    return word;
}

int QuorvaConsole::read_int(std::istream& in) { return read_number(in, NO_INT); }

double QuorvaConsole::read_double(std::istream& in) { return read_number(in, NO_DOUBLE); }

double QuorvaConsole::read_percent(std::istream& in) {
    skip_blanks(in);
    const std::istream::pos_type start = in.tellg();
    if (read_double(in) == NO_DOUBLE) return NO_DOUBLE;
    const std::istream::pos_type end = in.tellg();
    std::string text(static_cast<std::size_t>(end - start), '\0');
    in.seekg(start);
    in.read(&text[0], static_cast<std::streamsize>(text.size()));
    // The typed digits with their exponent lowered by two, rounded once.
    long exponent = 0;
    const std::size_t e = text.find_first_of("eE");
    if (e != std::string::npos) {
        exponent = std::strtol(text.c_str() + e + 1, nullptr, 10);
        text.erase(e);
    }
    std::istringstream shifted(text + "e" + std::to_string(exponent - 2));
    return read_double(shifted);
}

void QuorvaConsole::check_end(std::istream& in) {
    if (!read_string(in, "").empty()) throw_error("Unexpected tokens found");
}

int QuorvaConsole::cast_to_int(double x) {
    if (!(x > -2147483649.0 && x < 2147483648.0)) throw_error("Expected integer found double");
    return static_cast<int>(x);
}

chrono::Date::Month QuorvaConsole::cast_to_month(std::string word) {
    static const char* const NAMES[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                        "jul", "aug", "sep", "oct", "nov", "dec"};
    boost::algorithm::to_lower(word);
    for (int m = 0; m < 12; ++m) {
        if (word == NAMES[m]) return static_cast<chrono::Date::Month>(m + 1);
    }
    throw_error("Unknown month");
}

chrono::Date QuorvaConsole::read_date(std::istream& in, int untyped_year) {
    const int day = read_int(in);
    if (day == NO_INT) throw_error("Expected day");
    const chrono::Date::Month month = cast_to_month(read_string(in, "0123456789"));
    int year = read_int(in);
    if (year == NO_INT) year = untyped_year;
    if (year <= 99) year += 2000;
    try {
        return chrono::Date(year, month, day);
    } catch (const chrono::ChronoException&) {
        throw_error("Invalid date");
    }
}

bool QuorvaConsole::read_at_time(std::istream& in, int& hour, int& minute) {
    if (peek_char(in) != '@') return false;
    read_char(in);
    hour = read_int(in);
    if (hour == NO_INT) throw_error("Invalid hour");
    if (read_char(in) != ':') throw_error("Expected ':'");
    minute = read_int(in);
    if (minute == NO_INT) throw_error("Invalid minute");
    return true;
}

usr::P<Instrument> QuorvaConsole::read_instrument(std::istream& in, int untyped_year,
                                                  const std::function<void(std::istream&)>& rest) {
    const double strike = read_double(in);
    if (strike == NO_DOUBLE) throw_error("Expected strike");
    if (strike < 0) throw_error("Strike must not be negative");
    const char code = read_char(in);
    if (!std::isalpha(static_cast<unsigned char>(code))) throw_error("Expected instrument code letter");
    const chrono::Date date = read_date(in, untyped_year);
    int hour = 23;
    int minute = 59;
    read_at_time(in, hour, minute);
    const std::istream::pos_type style = in.tellg();
    const bool american = boost::algorithm::iequals(read_string(in, ""), "american");
    if (!american) in.seekg(style);
    rest(in);
    const Time expiry(date, static_cast<unsigned>(hour), static_cast<unsigned>(minute));
    const char kind = static_cast<char>(std::toupper(static_cast<unsigned char>(code)));
    if (american && (kind == 'F' || kind == 'U' || kind == 'D')) throw_error("Only calls and puts can be American");
    switch (kind) {
    case 'C': return usr::P<Instrument>(new Call(strike, expiry, american));
    case 'P': return usr::P<Instrument>(new Put(strike, expiry, american));
    case 'F': return usr::P<Instrument>(new Future(strike, expiry));
    case 'U': return usr::P<Instrument>(new DigitalUp(strike, expiry));
    case 'D': return usr::P<Instrument>(new DigitalDown(strike, expiry));
    default: throw_error("Uknown instrument code");
    }
}

std::string QuorvaConsole::read_output_file(std::istream& in, const std::vector<std::string>& endings) {
    if (peek_char(in) != '>') return "";
    read_char(in);
    const std::string file = read_file_word(in);
    if (file.empty()) throw_error("Expected file name");
    for (const std::string& ending : endings) {
        if (boost::algorithm::iends_with(file, ending)) return file;
    }
    throw_error("Unknown file type");
}

std::string QuorvaConsole::read_file_word(std::istream& in) {
    const char quote = peek_char(in);
    if (quote != '"' && quote != '\'') return read_string(in, "");
    read_char(in);
    std::string name;
    for (int c = in.get(); c != quote; c = in.get()) {
        if (c == std::char_traits<char>::eof()) {
            in.clear();
            throw_error("Expected closing quote after file name");
        }
        name += static_cast<char>(c);
    }
    return name;
}

}  // namespace quorva
