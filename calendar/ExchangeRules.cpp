#include "calendar/ExchangeRules.h"

#include <algorithm>
#include <ostream>
#include <sstream>

namespace quorva {

namespace {

using chrono::Date;

/// A holiday moved away from its usual day in one year.
struct Move {
    Date usual;
    Date moved;
};

/// English bank holidays moved for a national celebration.
const Move LONDON_MOVES[] = {
    {Date(2002, Date::MAY, 27), Date(2002, Date::JUN, 4)},  // spring, for a jubilee
    {Date(2012, Date::MAY, 28), Date(2012, Date::JUN, 4)},  // spring, for a jubilee
    {Date(2020, Date::MAY, 4), Date(2020, Date::MAY, 8)},   // early May, for VE day
    {Date(2022, Date::MAY, 30), Date(2022, Date::JUN, 2)},  // spring, for a jubilee
};

/// Extra English bank holidays: jubilees, a royal wedding, a state funeral
/// and a coronation.
const Date LONDON_ONE_OFFS[] = {
    Date(2002, Date::JUN, 3), Date(2011, Date::APR, 29), Date(2012, Date::JUN, 5),
    Date(2022, Date::JUN, 3), Date(2022, Date::SEP, 19), Date(2023, Date::MAY, 8),
};

/// Days the New York exchange closed for events: an attack, national days of
/// mourning and a hurricane.
const Date NEW_YORK_ONE_OFFS[] = {
    Date(2001, Date::SEP, 11), Date(2001, Date::SEP, 12), Date(2001, Date::SEP, 13),
    Date(2001, Date::SEP, 14), Date(2004, Date::JUN, 11), Date(2007, Date::JAN, 2),
    Date(2012, Date::OCT, 29), Date(2012, Date::OCT, 30), Date(2018, Date::DEC, 5),
};

/// The n-th (from 1) such day of the week in the month.
Date nth(int year, Date::Month month, Date::DayOfWeek day, int n) {
    Date first(year, month, 1);
    return first.add_occurrences(day, 0).add_days(7L * (n - 1));
}

/// The last such day of the week in the month.
Date last(int year, Date::Month month, Date::DayOfWeek day) {
    Date end(year, month, Date::days_in_month(year, month));
    return end.add_days(1).add_occurrences(day, -1);
}

/// The first weekday on or after `day`.
Date weekday_from(Date day) { return day.add_week_days(0); }

/// The last weekday on or before `day`.
Date weekday_to(Date day) {
    while (!day.is_week_day()) --day;
    return day;
}

/// `day` moved off a weekend the New York way: Saturday to Friday, Sunday to Monday.
Date nearest_weekday(Date day) {
    if (day.day_of_week() == Date::SAT) return day - 1;
    if (day.day_of_week() == Date::SUN) return day + 1;
    return day;
}

/// `day` as its year's move says, when one does.
Date moved(const Date& day) {
    for (const Move& move : LONDON_MOVES) {
        if (move.usual == day) return move.moved;
    }
    return day;
}

/// Closes `day` when it is a weekday; a holiday on a weekend closes nothing.
void close(std::vector<SpecialDay>& days, const Date& day) {
    if (day.is_week_day()) days.push_back({day, std::nullopt});
}

void add_one_offs(std::vector<SpecialDay>& days, int year, const Date* begin, const Date* end) {
    std::for_each(begin, end, [&](const Date& day) {
        if (day.year() == year) close(days, day);
    });
}

std::vector<SpecialDay> london(int year) {
    std::vector<SpecialDay> days;
    const Date easter = easter_sunday(year);
    close(days, weekday_from(Date(year, Date::JAN, 1)));
    close(days, easter - 2);
    close(days, easter + 1);
    close(days, moved(nth(year, Date::MAY, Date::MON, 1)));
    close(days, moved(last(year, Date::MAY, Date::MON)));
    close(days, last(year, Date::AUG, Date::MON));
    // Christmas Day and Boxing Day, each moved past the weekend and past the other.
    const Date christmas = weekday_from(Date(year, Date::DEC, 25));
    close(days, christmas);
    close(days, weekday_from(christmas + 1));
    add_one_offs(days, year, std::begin(LONDON_ONE_OFFS), std::end(LONDON_ONE_OFFS));
    const Time::OfDay half_day(12, 30);
    days.push_back({weekday_to(Date(year, Date::DEC, 24)), half_day});
    days.push_back({weekday_to(Date(year, Date::DEC, 31)), half_day});
    return days;
}

std::vector<SpecialDay> frankfurt(int year) {
    std::vector<SpecialDay> days;
    const Date easter = easter_sunday(year);
    for (const Date& day : {Date(year, Date::JAN, 1), easter - 2, easter + 1, Date(year, Date::MAY, 1),
                            Date(year, Date::DEC, 24), Date(year, Date::DEC, 25), Date(year, Date::DEC, 26),
                            Date(year, Date::DEC, 31)}) {
        close(days, day);
    }
    return days;
}

std::vector<SpecialDay> new_york(int year) {
    std::vector<SpecialDay> days;
    // A Saturday New Year's Day is not moved to the Friday, the last day of
    // the year before.
    const Date new_year(year, Date::JAN, 1);
    if (new_year.day_of_week() != Date::SAT) close(days, nearest_weekday(new_year));
    close(days, nth(year, Date::JAN, Date::MON, 3));
    close(days, nth(year, Date::FEB, Date::MON, 3));
    close(days, easter_sunday(year) - 2);
    close(days, last(year, Date::MAY, Date::MON));
    if (year >= 2022) close(days, nearest_weekday(Date(year, Date::JUN, 19)));
    close(days, nearest_weekday(Date(year, Date::JUL, 4)));
    close(days, nth(year, Date::SEP, Date::MON, 1));
    const Date thanksgiving = nth(year, Date::NOV, Date::THU, 4);
    close(days, thanksgiving);
    close(days, nearest_weekday(Date(year, Date::DEC, 25)));
    add_one_offs(days, year, std::begin(NEW_YORK_ONE_OFFS), std::end(NEW_YORK_ONE_OFFS));
    // Early closes on the days that are still trading days.
    const Time::OfDay early(13, 0);
    for (const Date& day : {Date(year, Date::JUL, 3), thanksgiving + 1, Date(year, Date::DEC, 24)}) {
        const bool closed = std::any_of(days.begin(), days.end(), [&](const SpecialDay& s) {
            return s.day == day && !s.early_close;
        });
        if (day.is_week_day() && !closed) days.push_back({day, early});
    }
    return days;
}

}  // namespace

std::ostream& operator<<(std::ostream& os, const SpecialDay& special) {
    const Time::OfDay close = special.early_close.value_or(Time::OfDay(0, 0));
    std::ostringstream printed;
    printed << Time(special.day, close.hour(), close.minute());
    const std::string text = printed.str();
    return os << (special.early_close ? text : text.substr(0, text.find(" @")));
}

const ExchangeRules& ExchangeRules::lse() {
    static const ExchangeRules rules{"LSE", Time::OfDay(8, 0), Time::OfDay(16, 30), london};
    return rules;
}

const ExchangeRules& ExchangeRules::eurex() {
    static const ExchangeRules rules{"Eurex", Time::OfDay(9, 0), Time::OfDay(17, 30), frankfurt};
    return rules;
}

const ExchangeRules& ExchangeRules::nyse() {
    static const ExchangeRules rules{"NYSE", Time::OfDay(9, 30), Time::OfDay(16, 0), new_york};
    return rules;
}

Date easter_sunday(int year) {
    const int a = year % 19;
    const int b = year / 100;
    const int c = year % 100;
    const int d = b / 4;
    const int e = b % 4;
    const int f = (b + 8) / 25;
    const int g = (b - f + 1) / 3;
    const int h = (19 * a + b - d - g + 15) % 30;
    const int i = c / 4;
    const int k = c % 4;
    const int l = (32 + 2 * e + 2 * i - h - k) % 7;
    const int m = (a + 11 * h + 22 * l) / 451;
    const int n = h + l - 7 * m + 114;
    return Date(year, Date::Month(n / 31), n % 31 + 1);
}

}  // namespace quorva
