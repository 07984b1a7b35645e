#include "ConsoleSession.h"

#include "app/QuorvaConsole.h"
#include "calendar/Time.h"
#include "foundation/QuorvaException.h"

#include <gtest/gtest.h>

#include <limits>
#include <sstream>

namespace {

using quorva::QuorvaConsole;

const int NO_INT = std::numeric_limits<int>::max();
const double NO_DOUBLE = std::numeric_limits<double>::max();

std::string rest(std::istream& in) {
    in.clear();
    std::string left;
    std::getline(in, left, '\0');
    return left;
}

/// The message a reader fails with on `text`, or "" when it succeeds.
template <class Read>
std::string failure(const std::string& text, Read read) {
    std::istringstream in(text);
    try {
        read(in);
    } catch (const quorva::QuorvaException& e) {
        return e.what();
    }
    return "";
}

std::string instrument_failure(const std::string& text) {
    return failure(text, [](std::istream& in) { QuorvaConsole::read_instrument(in, 2009); });
}

std::string printed(const std::string& text) {
    std::istringstream in(text);
    std::ostringstream out;
    QuorvaConsole::read_instrument(in, 2009)->print(out);
    return out.str();
}

TEST(Readers, StringStopsAtBlanksAndStopCharacters) {
    std::istringstream in("  vol=25");
    EXPECT_EQ("vol", QuorvaConsole::read_string(in, "="));
    EXPECT_EQ("=25", rest(in));
    std::istringstream blanks(" \t ");
    EXPECT_EQ("", QuorvaConsole::read_string(blanks, ""));
    std::istringstream word("price[2]");
    EXPECT_EQ("price", QuorvaConsole::read_string(word, "-+["));
    EXPECT_EQ("[2]", rest(word));
}

TEST(Readers, IntegersAndNumbersUseSentinels) {
    std::istringstream half("12.5");
    EXPECT_EQ(12, QuorvaConsole::read_int(half));
    EXPECT_EQ(".5", rest(half));
    std::istringstream letters("abc");
    EXPECT_EQ(NO_INT, QuorvaConsole::read_int(letters));
    EXPECT_EQ("abc", rest(letters));
    std::istringstream huge("99999999999");
    EXPECT_EQ(NO_INT, QuorvaConsole::read_int(huge));
    std::istringstream typed_sentinel("2147483647");
    EXPECT_EQ(NO_INT, QuorvaConsole::read_int(typed_sentinel));

    std::istringstream number(" -1.5e2x");
    EXPECT_EQ(-150, QuorvaConsole::read_double(number));
    EXPECT_EQ("x", rest(number));
    std::istringstream none("");
    EXPECT_EQ(NO_DOUBLE, QuorvaConsole::read_double(none));
    std::istringstream overflow("1e999");
    EXPECT_EQ(NO_DOUBLE, QuorvaConsole::read_double(overflow));
}

TEST(Readers, AFailedNumberLeavesWhatItLookedAtUnread) {
    for (const char* text : {"-", "+", "1e", "-x", ".e"}) {
        std::istringstream in(text);
        EXPECT_EQ(NO_DOUBLE, QuorvaConsole::read_double(in)) << text;
        EXPECT_EQ(text, rest(in));
        if (std::string(text) == "1e") continue;  // an integer 1, then "e"
        std::istringstream ints(text);
        EXPECT_EQ(NO_INT, QuorvaConsole::read_int(ints)) << text;
        EXPECT_EQ(text, rest(ints));
    }
    ConsoleSession session;
    session.run("add 100C 20mar30\nadd 90P 20mar30");
    session.expect_refusals({
        {"set date 20 mar -", "Unexpected tokens found"},
        {"add 100C 20 mar +", "Unexpected tokens found"},
        {"calibrate 1.7 -", "Unexpected tokens found"},
        {"calibrate 1.7 1e", "Unexpected tokens found"},
        {"set time 9:+", "Unexpected tokens found"},
    });
}

TEST(Readers, AFailedReadNeverBlocksTheNextReader) {
    std::istringstream in("x 7");
    EXPECT_EQ(NO_DOUBLE, QuorvaConsole::read_double(in));
    EXPECT_EQ('x', QuorvaConsole::read_char(in));
    EXPECT_EQ(7, QuorvaConsole::read_int(in));
    EXPECT_EQ(0, QuorvaConsole::read_char(in));
    EXPECT_EQ(0, QuorvaConsole::peek_char(in));
    EXPECT_EQ(NO_INT, QuorvaConsole::read_int(in));
}

TEST(Readers, PeekLeavesTheCharacterButNotTheBlanks) {
    std::istringstream in("   [2]");
    EXPECT_EQ('[', QuorvaConsole::peek_char(in));
    EXPECT_EQ("[2]", rest(in));
}

TEST(Readers, EndOfLine) {
    EXPECT_EQ("", failure("   ", QuorvaConsole::check_end));
    EXPECT_EQ("Unexpected tokens found", failure(" x", QuorvaConsole::check_end));
}

TEST(Readers, CastToIntTruncatesInsideTheIntRange) {
    EXPECT_EQ(7, QuorvaConsole::cast_to_int(7.9));
    EXPECT_EQ(-7, QuorvaConsole::cast_to_int(-7.9));
    EXPECT_EQ(2147483647, QuorvaConsole::cast_to_int(2147483647.5));
    EXPECT_EQ(-2147483647 - 1, QuorvaConsole::cast_to_int(-2147483648.5));
    for (double bad : {2147483648.0, -2147483649.0, NO_DOUBLE, std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_EQ("Expected integer found double", failure("", [bad](std::istream&) {
                      QuorvaConsole::cast_to_int(bad);
                  })) << bad;
    }
}

TEST(Readers, MonthsByAbbreviationInAnyCase) {
    EXPECT_EQ(chrono::Date::MAR, QuorvaConsole::cast_to_month("mar"));
    EXPECT_EQ(chrono::Date::DEC, QuorvaConsole::cast_to_month("DeC"));
    for (const char* bad : {"march", "", "ma", "13"}) {
        EXPECT_EQ("Unknown month", failure("", [bad](std::istream&) { QuorvaConsole::cast_to_month(bad); }))
            << bad;
    }
}

TEST(Readers, TypedDates) {
    for (const char* text : {"20mar09", "20 Mar 09", "20MAR2009", "20 mar 9"}) {
        std::istringstream in(text);
        EXPECT_TRUE(QuorvaConsole::read_date(in, 2031) == chrono::Date(2009, chrono::Date::MAR, 20)) << text;
    }
    std::istringstream this_year("20mar");
    EXPECT_EQ(2031, QuorvaConsole::read_date(this_year, 2031).year());
    std::istringstream leap("29feb08");
    EXPECT_TRUE(QuorvaConsole::read_date(leap, 2009) == chrono::Date(2008, chrono::Date::FEB, 29));

    const auto date_failure = [](const std::string& text) {
        return failure(text, [](std::istream& in) { QuorvaConsole::read_date(in, 2009); });
    };
    EXPECT_EQ("Invalid date", date_failure("29feb09"));
    EXPECT_EQ("Invalid date", date_failure("20mar100"));
    EXPECT_EQ("Invalid date", date_failure("0mar09"));
    EXPECT_EQ("Unknown month", date_failure("15march09"));
    EXPECT_EQ("Expected day", date_failure("mar09"));
    EXPECT_EQ("Unknown month", date_failure("20-mar-09"));
}

TEST(Readers, TypedInstrumentsPrintBack) {
    EXPECT_EQ("100C 20mar09 @16:30", printed("100C 20mar09 @16:30"));
    EXPECT_EQ("95.5P 20mar09 @23:59", printed("95.5p20mar09"));
    EXPECT_EQ("1000U 15jun10 @09:00", printed("1000 U 15 jun 2010 @ 9:00"));
    EXPECT_EQ("100F 20mar09 @23:59", printed("100f20mar09"));
    EXPECT_EQ("0D 01jan00 @00:00", printed("0D1jan00@0:0"));
    // The printed form reads back to itself.
    EXPECT_EQ("102.5C 31dec10 @09:05", printed(printed("102.5c 31dec10 @9:05")));
}

// Years from 2100 print with four digits, so that every instant reads back:
// as an expiry, and as the market clock through `set date` and `set time`.
TEST(Readers, PrintedInstantsReadBackOverTheWholeCalendar) {
    using chrono::Date;
    const quorva::Time instants[] = {
        quorva::Time(Date(2000, Date::JAN, 1), 0, 0),  quorva::Time(Date(2099, Date::DEC, 31), 23, 59),
        quorva::Time(Date(2100, Date::JAN, 1), 0, 0),  quorva::Time(Date(2105, Date::JAN, 5), 10, 0),
        quorva::Time(Date(2104, Date::FEB, 29), 9, 5), quorva::Time(Date(2199, Date::DEC, 31), 23, 59),
    };
    ConsoleSession session;
    for (const quorva::Time& t : instants) {
        std::ostringstream shown;
        shown << t;
        const std::string text = shown.str();
        EXPECT_EQ("100C " + text, printed("100C " + text));
        const std::string date = text.substr(0, text.find(' '));
        const std::string time = text.substr(text.find('@') + 1);
        EXPECT_EQ("", session.run("set date " + date + "\nset time " + time)) << text;
        EXPECT_TRUE(t == session.console().market().time()) << text;
    }
    EXPECT_EQ("100P 05jan2105 @23:59", printed("100P 5jan2105"));
}

TEST(Readers, EveryInstrumentMessage) {
    EXPECT_EQ("Expected strike", instrument_failure("C20mar09"));
    EXPECT_EQ("Expected strike", instrument_failure(""));
    EXPECT_EQ("Strike must not be negative", instrument_failure("-0.5P 20mar09"));
    EXPECT_EQ("Expected instrument code letter", instrument_failure("100 20mar09"));
    EXPECT_EQ("Expected instrument code letter", instrument_failure("100"));
    EXPECT_EQ("Expected day", instrument_failure("100X"));
    EXPECT_EQ("Uknown instrument code", instrument_failure("100X20mar09"));
    EXPECT_EQ("Invalid date", instrument_failure("100C31apr09"));
    EXPECT_EQ("Hour out of range", instrument_failure("100C20mar09@24:00"));
    EXPECT_EQ("Minute out of range", instrument_failure("100C20mar09@23:60"));
    EXPECT_EQ("Hour out of range", instrument_failure("100C20mar09@-1:00"));
    EXPECT_EQ("Expected ':'", instrument_failure("100C20mar09@16"));
    EXPECT_EQ("Invalid hour", instrument_failure("100C20mar09@"));
    EXPECT_EQ("Invalid minute", instrument_failure("100C20mar09@16:"));
    EXPECT_EQ("Unexpected tokens found", instrument_failure("100C20mar09 x"));
    EXPECT_EQ("Date too early", instrument_failure("100C31dec1999"));
    // The code letter is checked last, after the expiry is known to be valid.
    EXPECT_EQ("Unexpected tokens found", instrument_failure("100X20mar09 x"));
}

}  // namespace
