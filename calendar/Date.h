#pragma once
// A Gregorian calendar date from 1 January 1900 to 31 December 2199, held as
// year/month/day, as a count of days since 1 January 1900, or both: a const
// operation fills in the representation it needs and keeps it.

#include "calendar/ChronoException.h"

#include <climits>

namespace chrono {

class Date {
public:
    enum Month : int { JAN = 1, FEB, MAR, APR, MAY, JUN, JUL, AUG, SEP, OCT, NOV, DEC };
    /// Day count modulo 7: day 0, 1 January 1900, is a Monday.
    enum DayOfWeek : int { MON = 0, TUE, WED, THU, FRI, SAT, SUN };

    /// A move of a date by a number of units of one kind.
    class Offset {
    public:
        enum Type : int {
            NONE = 0,
            DAYS,
            WEEKS,
            WEEK_DAYS,
            MONTHS,
            MONTHS_ROLL,
            YEARS,
            YEARS_ROLL,
            MONDAYS,
            TUESDAYS,
            WEDNESDAYS,
            THURSDAYS,
            FRIDAYS,
            SATURDAYS,
            SUNDAYS
        };

        Offset(Type type, int size) : type_(type), size_(size) {}
        Type type() const { return type_; }
        int size() const { return size_; }

    private:
        Type type_;
        int size_;
    };

    /// The null date, which precedes every other date.
    constexpr Date() : year_(0), month_(Month(0)), day_(0), days_(NO_COUNT) {}
    /// Throws "Date year/month/day out of range" for an invalid date.
    constexpr Date(int year, Month month, int day) : Date(year, month, day, true) {}
    constexpr Date(int year, Month month, int day, bool check)
        : year_(year), month_(month), day_(day), days_(NO_COUNT) {
        if (check) require_valid(day, month, year);
    }
    /// The day `days + base` of the count from 1 January 1900; throws
    /// "Date out of range" outside 1 January 1900 to 31 December 2199.
    Date(long days, long base);

    /// 1 January 1900, day count 0.
    static const Date& FIRST();
    /// 1 January 2200, day count 109573: the first day past the range.
    static const Date& LAST();

    /// 1900 to 2200 inclusive.
    static constexpr bool is_valid_year(int year) { return year >= 1900 && year <= 2200; }
    static constexpr bool is_valid_month(Month month) { return month >= JAN && month <= DEC; }
    static constexpr bool is_valid_date(int day, Month month, int year) {
        return is_valid_year(year) && is_valid_month(month) && day >= 1 &&
               day <= days_in_month(year, month);
    }
    static constexpr bool is_leapyear(int year) {
        return year % 400 == 0 || (year % 4 == 0 && year % 100 != 0);
    }
    static constexpr int days_in_year(int year) { return is_leapyear(year) ? 366 : 365; }
    /// Throws "Invalid month for days_in_month()" for a month outside 1 to 12.
    static constexpr int days_in_month(int year, Month month) {
        switch (month) {
        case JAN: case MAR: case MAY: case JUL: case AUG: case OCT: case DEC:
            return 31;
        case APR: case JUN: case SEP: case NOV:
            return 30;
        case FEB:
            return is_leapyear(year) ? 29 : 28;
        }
        throw ChronoException("Invalid month for days_in_month()");
    }

    // Each of these throws "Illegal operation on null date" on a null date.
    int year() const;
    Month month() const;
    int day() const;
    /// The day count minus `base`; days_from(0) is the count since 1 January 1900.
    long days_from(long base) const;
    DayOfWeek day_of_week() const;
    /// Monday to Friday.
    bool is_week_day() const;
    bool is_null() const { return !dmy_valid() && !days_valid(); }

    // Modifiers move the date in place and do not check the calendar range:
    // converting a date moved outside it throws "Date out of range".
    Date& add_days(long n);
    Date& add_weeks(long n);
    /// Moves n Monday-to-Friday days; n = 0 moves a weekend day to the Monday.
    Date& add_week_days(long n);
    /// A day past the end of the new month becomes its last day, or with
    /// `roll` the first day of the following month.
    Date& add_months(long n, bool roll);
    Date& add_years(long n, bool roll);
    /// n = 0: the first such week day on or after the date; n > 0: the n-th
    /// strictly after; n < 0: the n-th strictly before.
    Date& add_occurrences(DayOfWeek day, long n);
    /// The same for a day of the year; 29 February is refused.
    Date& add_occurrences(Month month, int day, long n);
    Date& add_offset(Offset offset);

    Date& operator++() { return add_days(1); }
    Date& operator--() { return add_days(-1); }
    Date operator++(int);
    Date operator--(int);
    Date& operator+=(long n) { return add_days(n); }
    Date& operator-=(long n);
    Date& operator+=(Offset o) { return add_offset(o); }
    Date& operator-=(Offset o) { return add_offset(Offset(o.type(), -o.size())); }

    friend bool operator==(const Date& a, const Date& b);
    friend bool operator<(const Date& a, const Date& b);

private:
    /// Marks an absent day count. Not -1, which a date moved one day before
    /// 1 January 1900 must keep; no modifier produces this value.
    static constexpr int NO_COUNT = INT_MIN;

    void dmy_calc() const;
    void days_calc() const;
    void validate_dmy() const;
    void validate_days() const;
    void invalidate_dmy() const { day_ = 0; }
    void invalidate_days() const { days_ = NO_COUNT; }
    bool dmy_valid() const { return day_ != 0; }
    bool days_valid() const { return days_ != NO_COUNT; }
    void check_dmy() const { require_valid(day_, month_, year_); }
    /// Works on the arguments, not the fields, so that a date built from
    /// constants is constant-initialised.
    static constexpr void require_valid(int day, Month month, int year) {
        if (is_valid_date(day, month, year)) return;
        if (!is_valid_year(year)) throw ChronoException("Date year out of range");
        if (!is_valid_month(month)) throw ChronoException("Date month out of range");
        throw ChronoException("Date day out of range");
    }
    void check_days() const;
    /// Clamps the day to the month's last day, or rolls it into the next month.
    void fit_day_to_month(bool roll);

    mutable int year_;
    mutable Month month_;
    /// Day of the month; 0 when year/month/day is absent.
    mutable int day_;
    /// Days since 1 January 1900; NO_COUNT when the count is absent.
    mutable int days_;
};

Date operator+(const Date& d, long n);
Date operator-(const Date& d, long n);
Date operator+(const Date& d, const Date::Offset& o);
Date operator-(const Date& d, const Date::Offset& o);
/// Days from b to a: positive when a is later.
long operator-(const Date& a, const Date& b);

bool operator==(const Date& a, const Date& b);
/// The null date comes before every other date.
bool operator<(const Date& a, const Date& b);
inline bool operator!=(const Date& a, const Date& b) { return !(a == b); }
inline bool operator>(const Date& a, const Date& b) { return b < a; }
inline bool operator>=(const Date& a, const Date& b) { return !(a < b); }
inline bool operator<=(const Date& a, const Date& b) { return !(a > b); }

/// The current local date.
Date today();

}  // namespace chrono
