#include "calendar/Time.h"

#include "foundation/QuorvaException.h"

#include <ctime>
#include <ostream>

namespace quorva {

namespace {

const char* const MONTH_NAMES[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                   "jul", "aug", "sep", "oct", "nov", "dec"};

/// Minutes since midnight; throws for an hour above 23, then a minute above 59.
unsigned minutes_of_day(unsigned hour, unsigned minute) {
    if (hour > 23) throw QuorvaException("Hour out of range");
    if (minute > 59) throw QuorvaException("Minute out of range");
    return hour * 60 + minute;
}

/// Writes n with a leading "0" when it is 9 or less.
void write_two_digits(std::ostream& os, long n) {
    if (n <= 9) os << '0';
    os << n;
}

}  // namespace

// Constant-initialised, so it is valid in every other static initialiser.
const chrono::Date Time::JAN_1ST(2000, chrono::Date::JAN, 1);

Time::OfDay::OfDay(unsigned hour, unsigned minute) : minutes_(minutes_of_day(hour, minute)) {}

Time::Time(const chrono::Date& date, unsigned hour, unsigned minute) : minutes_(0) {
    if (date < JAN_1ST) throw QuorvaException("Date too early");
    if (!(date < chrono::Date::LAST())) throw QuorvaException("Date too late");
    minutes_ = minutes_of_day(hour, minute) + static_cast<unsigned>(date - JAN_1ST) * 1440;
}

Time Time::now() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const chrono::Date date(local.tm_year + 1900, chrono::Date::Month(local.tm_mon + 1),
                            local.tm_mday);
    return Time(date, static_cast<unsigned>(local.tm_hour), static_cast<unsigned>(local.tm_min));
}

chrono::Date Time::date() const {
    static const long jan_1st = JAN_1ST.days_from(0);
    return chrono::Date(static_cast<long>(days_from_1jan2000()), jan_1st);
}

std::ostream& operator<<(std::ostream& os, const Time& t) {
    const chrono::Date d = t.date();
    write_two_digits(os, d.day());
    os << MONTH_NAMES[d.month() - 1];
    // Two digits read back as 2000 to 2099, so later years keep all four.
    if (d.year() < 2100) {
        write_two_digits(os, d.year() - 2000);
    } else {
        os << d.year();
    }
    os << " @";
    write_two_digits(os, t.hour());
    os << ':';
    write_two_digits(os, t.minute());
    return os;
}

}  // namespace quorva
