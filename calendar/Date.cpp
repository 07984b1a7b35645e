#include "calendar/Date.h"

#include <algorithm>
#include <array>
#include <climits>
#include <ctime>

namespace chrono {

namespace {

constexpr int FIRST_YEAR = 1900;
constexpr int TABLE_YEARS = 300;
constexpr int TABLE_MONTHS = TABLE_YEARS * 12;

/// Day count of the first day of every month from January 1900 to December 2199.
const std::array<int, TABLE_MONTHS>& month_starts() {
    static const std::array<int, TABLE_MONTHS> table = [] {
        std::array<int, TABLE_MONTHS> starts{};
        int count = 0;
        for (int i = 0; i < TABLE_MONTHS; ++i) {
            starts[i] = count;
            count += Date::days_in_month(FIRST_YEAR + i / 12, Date::Month(i % 12 + 1));
        }
        return starts;
    }();
    return table;
}

[[noreturn]] void out_of_range() { throw ChronoException("Date out of range"); }

/// `field + n`, refused when it does not fit a date's 32-bit field (INT_MIN
/// excluded, as it marks an absent day count).
int moved(int field, long long n) {
    if (n > static_cast<long long>(INT_MAX) - field || n <= static_cast<long long>(INT_MIN) - field)
        out_of_range();
    return static_cast<int>(field + n);
}

/// A move by n weeks or week days that no 32-bit day count survives.
void check_step_count(long n) {
    if (n > INT_MAX || n < -static_cast<long long>(INT_MAX)) out_of_range();
}

/// Quotient and remainder with the remainder in 0 .. divisor - 1.
long long floor_div(long long value, long long divisor, long long& remainder) {
    long long q = value / divisor;
    remainder = value % divisor;
    if (remainder < 0) {
        remainder += divisor;
        --q;
    }
    return q;
}

}  // namespace

Date::Date(long days, long base) : year_(0), month_(Month(0)), day_(0), days_(NO_COUNT) {
    // A sum that would overflow is far outside the range.
    if ((base > 0 && days > LONG_MAX - base) || (base < 0 && days < LONG_MIN - base))
        out_of_range();
    const long count = days + base;
    if (count < 0 || count > INT_MAX) out_of_range();
    days_ = static_cast<int>(count);
    check_days();
}

const Date& Date::FIRST() {
    static const Date first(1900, JAN, 1, false);
    return first;
}

const Date& Date::LAST() {
    static const Date last(2200, JAN, 1, false);
    return last;
}

int Date::year() const {
    validate_dmy();
    return year_;
}

Date::Month Date::month() const {
    validate_dmy();
    return month_;
}

int Date::day() const {
    validate_dmy();
    return day_;
}

long Date::days_from(long base) const {
    validate_days();
    return days_ - base;
}

Date::DayOfWeek Date::day_of_week() const {
    long long r;
    floor_div(days_from(0), 7, r);
    return DayOfWeek(r);
}

bool Date::is_week_day() const { return day_of_week() < SAT; }

Date& Date::add_days(long n) {
    validate_days();
    days_ = moved(days_, n);
    invalidate_dmy();
    return *this;
}

Date& Date::add_weeks(long n) {
    validate_days();
    check_step_count(n);
    return add_days(7L * n);
}

Date& Date::add_week_days(long n) {
    validate_days();
    check_step_count(n);
    const DayOfWeek start = day_of_week();
    if (start >= SAT) {
        add_days(start == SAT ? 2 : 1);
        if (n > 0) --n;
    }
    // From a Monday, n = 0 after the weekend step lands where the full walk would.
    if (n == 0) return *this;
    n += day_of_week() - 5;
    add_occurrences(MON, 1);
    long long r;
    const long long q = floor_div(n, 5, r);
    return add_days(static_cast<long>(7 * q + r));
}

void Date::fit_day_to_month(bool roll) {
    const int last = days_in_month(year_, month_);
    if (day_ <= last) return;
    day_ = last;
    if (!roll) return;
    // The day after the month's last day, kept in year/month/day so that a
    // date moved past the count's range does not throw here.
    day_ = 1;
    if (month_ == DEC) {
        month_ = JAN;
        year_ = moved(year_, 1);
    } else {
        month_ = Month(month_ + 1);
    }
}

Date& Date::add_months(long n, bool roll) {
    validate_dmy();
    long long month;
    const long long years = floor_div(static_cast<long long>(month_) - 1 + n % 12, 12, month);
    year_ = moved(year_, n / 12 + years);
    month_ = Month(month + 1);
    invalidate_days();
    fit_day_to_month(roll);
    return *this;
}

Date& Date::add_years(long n, bool roll) {
    validate_dmy();
    year_ = moved(year_, n);
    invalidate_days();
    fit_day_to_month(roll);
    return *this;
}

Date& Date::add_occurrences(DayOfWeek day, long n) {
    validate_days();
    check_step_count(n);
    int k = day - day_of_week();
    if (k < 0) k += 7;
    long long step = k;
    if (n > 0 && k > 0) --n;
    step += 7LL * n;
    days_ = moved(days_, step);
    invalidate_dmy();
    return *this;
}

Date& Date::add_occurrences(Month month, int day, long n) {
    if (month == FEB && day == 29) throw ChronoException("Cannot add occurrences of a leap-day");
    validate_dmy();
    if (n > 0 && (month != month_ || day != day_)) --n;
    if (month < month_ || (month == month_ && day < day_)) year_ = moved(year_, 1);
    month_ = month;
    day_ = day;
    invalidate_days();
    check_dmy();
    year_ = moved(year_, n);
    return *this;
}

Date& Date::add_offset(Offset offset) {
    const long n = offset.size();
    switch (offset.type()) {
    case Offset::NONE: return *this;
    case Offset::DAYS: return add_days(n);
    case Offset::WEEKS: return add_weeks(n);
    case Offset::WEEK_DAYS: return add_week_days(n);
    case Offset::MONTHS: return add_months(n, false);
    case Offset::MONTHS_ROLL: return add_months(n, true);
    case Offset::YEARS: return add_years(n, false);
    case Offset::YEARS_ROLL: return add_years(n, true);
    case Offset::MONDAYS: return add_occurrences(MON, n);
    case Offset::TUESDAYS: return add_occurrences(TUE, n);
    case Offset::WEDNESDAYS: return add_occurrences(WED, n);
    case Offset::THURSDAYS: return add_occurrences(THU, n);
    case Offset::FRIDAYS: return add_occurrences(FRI, n);
    case Offset::SATURDAYS: return add_occurrences(SAT, n);
    case Offset::SUNDAYS: return add_occurrences(SUN, n);
    }
    throw ChronoException("Unrecognized date offset type");
}

Date Date::operator++(int) {
    Date before(*this);
    add_days(1);
    return before;
}

Date Date::operator--(int) {
    Date before(*this);
    add_days(-1);
    return before;
}

Date& Date::operator-=(long n) {
    if (n == LONG_MIN) out_of_range();
    return add_days(-n);
}

void Date::dmy_calc() const {
    const auto& starts = month_starts();
    const int end = starts.back() + days_in_month(FIRST_YEAR + TABLE_YEARS - 1, DEC);
    if (days_ < 0 || days_ >= end) out_of_range();
    const auto i = std::upper_bound(starts.begin(), starts.end(), days_) - starts.begin() - 1;
    year_ = FIRST_YEAR + static_cast<int>(i / 12);
    month_ = Month(i % 12 + 1);
    day_ = days_ - starts[i] + 1;
}

void Date::days_calc() const {
    if (year_ < FIRST_YEAR || year_ > FIRST_YEAR + TABLE_YEARS) out_of_range();
    long long count = 0;
    for (int y = FIRST_YEAR; y < year_; ++y) count += days_in_year(y);
    for (int m = JAN; m < month_; ++m) count += days_in_month(year_, Month(m));
    count += static_cast<long long>(day_) - 1;
    if (count < 0 || count > INT_MAX) out_of_range();
    days_ = static_cast<int>(count);
}

void Date::validate_dmy() const {
    if (dmy_valid()) return;
    if (!days_valid()) throw ChronoException("Illegal operation on null date");
    dmy_calc();
}

void Date::validate_days() const {
    if (days_valid()) return;
    if (!dmy_valid()) throw ChronoException("Illegal operation on null date");
    days_calc();
}

void Date::check_days() const {
    static const long first = FIRST().days_from(0);
    static const long last = LAST().days_from(0);
    if (days_ < first || days_ >= last) out_of_range();
}

Date operator+(const Date& d, long n) { return Date(d) += n; }

Date operator-(const Date& d, long n) { return Date(d) -= n; }

Date operator+(const Date& d, const Date::Offset& o) { return Date(d) += o; }

Date operator-(const Date& d, const Date::Offset& o) { return Date(d) -= o; }

long operator-(const Date& a, const Date& b) { return a.days_from(0) - b.days_from(0); }

bool operator==(const Date& a, const Date& b) {
    if (a.is_null() || b.is_null()) return a.is_null() && b.is_null();
    if (a.days_valid()) return a.days_ == b.days_from(0);
    b.validate_dmy();
    return a.year_ == b.year_ && a.month_ == b.month_ && a.day_ == b.day_;
}

bool operator<(const Date& a, const Date& b) {
    if (a.is_null() || b.is_null()) return a.is_null() && !b.is_null();
    if (a.days_valid()) return a.days_ < b.days_from(0);
    b.validate_dmy();
    if (a.year_ != b.year_) return a.year_ < b.year_;
    if (a.month_ != b.month_) return a.month_ < b.month_;
    return a.day_ < b.day_;
}

Date today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return Date(local.tm_year + 1900, Date::Month(local.tm_mon + 1), local.tm_mday);
}

}  // namespace chrono
