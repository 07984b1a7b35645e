#include "calendar/Date.h"

#include "ThrowsWith.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>

using chrono::ChronoException;
using chrono::Date;

namespace {

constexpr long LAST_COUNT = 109572;

std::string show(const Date& d) {
    return std::to_string(d.year()) + "-" + std::to_string(d.month()) + "-" +
           std::to_string(d.day());
}

Date ymd(int year, int month, int day) { return Date(year, Date::Month(month), day); }

bool throws_chrono(const std::string& message, void (*call)()) {
    return throws_with<ChronoException>(message, call);
}

// Naive references that step one day at a time.
Date nth_week_day(Date d, long n) {
    if (n == 0) {
        while (!d.is_week_day()) ++d;
        return d;
    }
    for (long left = n > 0 ? n : -n; left > 0;) {
        d += n > 0 ? 1 : -1;
        if (d.is_week_day()) --left;
    }
    return d;
}

Date nth_occurrence(Date d, Date::DayOfWeek w, long n) {
    if (n == 0) {
        while (d.day_of_week() != w) ++d;
        return d;
    }
    for (long left = n > 0 ? n : -n; left > 0;) {
        d += n > 0 ? 1 : -1;
        if (d.day_of_week() == w) --left;
    }
    return d;
}

TEST(Date, EveryDayCountRoundTripsAndFollowsTheCalendar) {
    // An independent walk through the calendar, one day at a time.
    int year = 1900, month = 1, day = 1;
    for (long count = 0; count <= LAST_COUNT; ++count) {
        const Date d(count, 0);
        ASSERT_EQ(std::to_string(year) + "-" + std::to_string(month) + "-" + std::to_string(day),
                  show(d))
            << "count " << count;
        ASSERT_EQ(count, ymd(year, month, day).days_from(0)) << show(d);
        // Zeller's congruence, shifted so that 0 is Monday.
        const int m = month < 3 ? month + 12 : month, y = month < 3 ? year - 1 : year;
        const int zeller = (day + 13 * (m + 1) / 5 + y + y / 4 - y / 100 + y / 400) % 7;
        ASSERT_EQ((zeller + 5) % 7, d.day_of_week()) << show(d);
        ASSERT_EQ(d.day_of_week() < Date::SAT, d.is_week_day()) << show(d);
        if (++day > Date::days_in_month(year, Date::Month(month))) {
            day = 1;
            if (++month > 12) month = 1, ++year;
        }
    }
    EXPECT_EQ(2200, year);
}

TEST(Date, RangeConstantsAndKnownCounts) {
    EXPECT_EQ(0, Date::FIRST().days_from(0));
    EXPECT_EQ(LAST_COUNT + 1, Date::LAST().days_from(0));
    EXPECT_EQ(36524, ymd(2000, 1, 1).days_from(0));
    EXPECT_EQ(Date::SAT, ymd(2000, 1, 1).day_of_week());
    EXPECT_EQ(Date::MON, ymd(1900, 1, 1).day_of_week());
    EXPECT_EQ(36524, ymd(2000, 1, 1) - ymd(1900, 1, 1));
    EXPECT_EQ(-36524, ymd(1900, 1, 1) - ymd(2000, 1, 1));
    EXPECT_EQ(ymd(2199, 12, 31), Date(LAST_COUNT, 0));
    EXPECT_EQ(ymd(2009, 3, 5), Date(3351, 36524));
    EXPECT_EQ(109937, ymd(2200, 12, 31).days_from(0));
}

TEST(Date, LeapYearsAndMonthLengths) {
    EXPECT_FALSE(Date::is_leapyear(1900));
    EXPECT_FALSE(Date::is_leapyear(2100));
    EXPECT_TRUE(Date::is_leapyear(2000));
    EXPECT_TRUE(Date::is_leapyear(2008));
    EXPECT_EQ(28, Date::days_in_month(1900, Date::FEB));
    EXPECT_EQ(29, Date::days_in_month(2000, Date::FEB));
    EXPECT_EQ(365, Date::days_in_year(2009));
    EXPECT_EQ(366, Date::days_in_year(2008));
    for (int m : {0, 13, -1})
        EXPECT_TRUE(throws_with<ChronoException>("Invalid month for days_in_month()",
                                                 [m] { Date::days_in_month(2009, Date::Month(m)); }))
            << "month " << m;
}

TEST(Date, ConstructionMessages) {
    EXPECT_EQ(29, ymd(2008, 2, 29).day());
    EXPECT_TRUE(throws_chrono("Date day out of range", [] { ymd(2009, 2, 29); }));
    EXPECT_TRUE(throws_chrono("Date day out of range", [] { ymd(2009, 4, 31); }));
    EXPECT_TRUE(throws_chrono("Date day out of range", [] { ymd(2009, 4, 0); }));
    EXPECT_TRUE(throws_chrono("Date month out of range", [] { ymd(2009, 13, 1); }));
    EXPECT_TRUE(throws_chrono("Date month out of range", [] { ymd(2009, 0, 1); }));
    EXPECT_TRUE(throws_chrono("Date year out of range", [] { ymd(1899, 13, 40); }));
    EXPECT_TRUE(throws_chrono("Date year out of range", [] { ymd(2201, 1, 1); }));
    EXPECT_EQ(2200, ymd(2200, 12, 31).year());
    EXPECT_NO_THROW(Date(2009, Date::Month(13), 40, false));
    EXPECT_TRUE(throws_chrono("Date out of range", [] { Date(LAST_COUNT + 1, 0); }));
    EXPECT_TRUE(throws_chrono("Date out of range", [] { Date(-1, 0); }));
    EXPECT_TRUE(throws_chrono("Date out of range", [] { Date(LONG_MAX, 1); }));
    EXPECT_TRUE(throws_chrono("Date out of range", [] { Date(LONG_MIN, -1); }));
    EXPECT_TRUE(throws_chrono("Date out of range", [] { Date(4294967296L, 0); }));
}

TEST(Date, ConvertingOutsideTheRangeIsRefused) {
    Date before = Date::FIRST() - 1;
    EXPECT_FALSE(before.is_null());
    EXPECT_EQ(-1, before.days_from(0));
    EXPECT_EQ(Date::SUN, before.day_of_week());
    EXPECT_TRUE(Date() < before);
    EXPECT_TRUE(before < Date::FIRST());
    EXPECT_TRUE(throws_with<ChronoException>("Date out of range", [&] { before.year(); }));
    Date after = Date(LAST_COUNT, 0) + 1;
    EXPECT_TRUE(throws_with<ChronoException>("Date out of range", [&] { after.month(); }));
    Date late = ymd(2200, 12, 31) + 0;
    EXPECT_TRUE(throws_with<ChronoException>("Date out of range", [&] { late.day(); }));
    Date early = ymd(1900, 1, 31);
    early.add_months(-1, false);
    EXPECT_EQ(1899, early.year());
    EXPECT_TRUE(throws_with<ChronoException>("Date out of range", [&] { early.days_from(0); }));
    Date far = ymd(2200, 6, 1);
    far.add_years(1, false);
    EXPECT_TRUE(throws_with<ChronoException>("Date out of range", [&] { far.is_week_day(); }));
    // A move that no 32-bit count survives is refused and leaves the date alone.
    Date d = ymd(2009, 3, 4);
    EXPECT_TRUE(throws_with<ChronoException>("Date out of range", [&] { d.add_days(LONG_MAX); }));
    EXPECT_TRUE(throws_with<ChronoException>("Date out of range", [&] { d -= LONG_MIN; }));
    EXPECT_TRUE(throws_with<ChronoException>("Date out of range", [&] { d.add_weeks(LONG_MIN); }));
    EXPECT_TRUE(throws_with<ChronoException>("Date out of range",
                                             [&] { d.add_week_days(LONG_MAX); }));
    EXPECT_TRUE(throws_with<ChronoException>("Date out of range",
                                             [&] { d.add_months(LONG_MAX, true); }));
    EXPECT_TRUE(throws_with<ChronoException>("Date out of range",
                                             [&] { d.add_years(LONG_MIN, false); }));
    EXPECT_TRUE(throws_with<ChronoException>("Date out of range",
                                             [&] { d.add_occurrences(Date::FRI, LONG_MAX); }));
    EXPECT_EQ(ymd(2009, 3, 4), d);
}

TEST(Date, NullDate) {
    EXPECT_TRUE(Date().is_null());
    EXPECT_FALSE(ymd(2009, 3, 4).is_null());
    EXPECT_TRUE(Date() == Date());
    EXPECT_FALSE(Date() < Date());
    EXPECT_TRUE(Date() < ymd(2009, 3, 4));
    EXPECT_FALSE(ymd(2009, 3, 4) < Date());
    EXPECT_TRUE(Date() != Date(0, 0));
    EXPECT_TRUE(Date(0, 0) > Date());
    EXPECT_TRUE(Date() <= Date());
    EXPECT_TRUE(Date() >= Date());
    const char* null_message = "Illegal operation on null date";
    EXPECT_TRUE(throws_chrono(null_message, [] { Date().year(); }));
    EXPECT_TRUE(throws_chrono(null_message, [] { Date().month(); }));
    EXPECT_TRUE(throws_chrono(null_message, [] { Date().day(); }));
    EXPECT_TRUE(throws_chrono(null_message, [] { Date().days_from(0); }));
    EXPECT_TRUE(throws_chrono(null_message, [] { Date().day_of_week(); }));
    EXPECT_TRUE(throws_chrono(null_message, [] { Date().is_week_day(); }));
    EXPECT_TRUE(throws_chrono(null_message, [] { Date() - ymd(2009, 3, 4); }));
    EXPECT_TRUE(throws_chrono(null_message, [] { ymd(2009, 3, 4) - Date(); }));
    EXPECT_TRUE(throws_chrono(null_message, [] { Date().add_days(1); }));
    EXPECT_TRUE(throws_chrono(null_message, [] { Date().add_weeks(1); }));
    EXPECT_TRUE(throws_chrono(null_message, [] { Date().add_week_days(0); }));
    EXPECT_TRUE(throws_chrono(null_message, [] { Date().add_months(1, false); }));
    EXPECT_TRUE(throws_chrono(null_message, [] { Date().add_years(1, true); }));
    EXPECT_TRUE(throws_chrono(null_message, [] { Date().add_occurrences(Date::MON, 1); }));
    EXPECT_TRUE(throws_chrono(null_message, [] { Date().add_occurrences(Date::MAR, 15, 0); }));
    EXPECT_TRUE(throws_chrono(null_message, [] { Date d; ++d; }));
    EXPECT_TRUE(throws_chrono(null_message, [] { Date d; d--; }));
}

TEST(Date, ComparisonsAgreeWithDayCountsInEitherRepresentation) {
    const long counts[] = {0, 1, 58, 59, 365, 36524, 36525, 40000, 73048, LAST_COUNT};
    for (long i : counts) {
        for (long j : counts) {
            // Left in each representation, right in each representation.
            for (int shape = 0; shape < 4; ++shape) {
                const Date by_count_a(i, 0), by_count_b(j, 0);
                const Date a = shape & 1 ? ymd(by_count_a.year(), by_count_a.month(), by_count_a.day())
                                         : Date(i, 0);
                const Date b = shape & 2 ? ymd(by_count_b.year(), by_count_b.month(), by_count_b.day())
                                         : Date(j, 0);
                SCOPED_TRACE("counts " + std::to_string(i) + ", " + std::to_string(j) + " shape " +
                             std::to_string(shape));
                EXPECT_EQ(i == j, a == b);
                EXPECT_EQ(i != j, a != b);
                EXPECT_EQ(i < j, a < b);
                EXPECT_EQ(i > j, a > b);
                EXPECT_EQ(i <= j, a <= b);
                EXPECT_EQ(i >= j, a >= b);
                EXPECT_EQ(i - j, a - b);
            }
        }
    }
}

TEST(Date, DayArithmetic) {
    Date d = ymd(2008, 12, 31);
    EXPECT_EQ(ymd(2009, 1, 1), ++d);
    EXPECT_EQ(ymd(2009, 1, 1), d++);
    EXPECT_EQ(ymd(2009, 1, 2), d);
    EXPECT_EQ(ymd(2009, 1, 2), d--);
    EXPECT_EQ(ymd(2008, 12, 31), --d);
    EXPECT_EQ(ymd(2009, 3, 1), ymd(2009, 2, 28) + 1);
    EXPECT_EQ(ymd(2008, 2, 29), ymd(2008, 3, 1) - 1);
    EXPECT_EQ(ymd(2009, 3, 18), ymd(2009, 3, 4).add_weeks(2));
    d = ymd(2009, 3, 4);
    d += 30;
    d -= 2;
    EXPECT_EQ(ymd(2009, 4, 1), d);
}

TEST(Date, WeekDays) {
    struct Case { int from; long n; int to_month, to_day; };
    const Case cases[] = {{6, 1, 3, 9},   {7, 1, 3, 9},    {7, -1, 3, 6}, {8, 0, 3, 9},
                          {4, 0, 3, 4},   {4, 1, 3, 5},    {2, 5, 3, 9},  {2, -5, 2, 23},
                          {9, -1, 3, 6},  {8, 2, 3, 10},   {7, 0, 3, 9},  {8, -1, 3, 6}};
    for (const Case& c : cases) {
        Date d = ymd(2009, 3, c.from);
        EXPECT_EQ(ymd(2009, c.to_month, c.to_day), d.add_week_days(c.n))
            << "from 2009-3-" << c.from << " by " << c.n << ", got " << show(d);
    }
    for (Date start = ymd(2009, 1, 1); start < ymd(2009, 2, 1); ++start) {
        for (long n = -12; n <= 12; ++n) {
            Date d = start;
            EXPECT_EQ(nth_week_day(start, n), d.add_week_days(n))
                << "from " << show(start) << " by " << n << ", got " << show(d);
        }
    }
}

TEST(Date, OccurrencesOfAWeekDay) {
    EXPECT_EQ(ymd(2009, 3, 2), ymd(2009, 3, 2).add_occurrences(Date::MON, 0));
    EXPECT_EQ(ymd(2009, 3, 9), ymd(2009, 3, 2).add_occurrences(Date::MON, 1));
    EXPECT_EQ(ymd(2009, 2, 23), ymd(2009, 3, 2).add_occurrences(Date::MON, -1));
    EXPECT_EQ(ymd(2009, 3, 6), ymd(2009, 3, 4).add_occurrences(Date::FRI, 1));
    EXPECT_EQ(ymd(2009, 2, 27), ymd(2009, 3, 4).add_occurrences(Date::FRI, -1));
    for (Date start = ymd(2009, 3, 1); start < ymd(2009, 3, 15); ++start) {
        for (int w = Date::MON; w <= Date::SUN; ++w) {
            for (long n = -3; n <= 3; ++n) {
                Date d = start;
                EXPECT_EQ(nth_occurrence(start, Date::DayOfWeek(w), n),
                          d.add_occurrences(Date::DayOfWeek(w), n))
                    << "from " << show(start) << " day " << w << " n " << n << ", got " << show(d);
            }
        }
    }
}

TEST(Date, OccurrencesOfADayOfTheYear) {
    struct Case { int from_day; long n; int to_year; };
    const Case cases[] = {{15, 0, 2009}, {15, 1, 2010}, {15, -1, 2008}, {15, 2, 2011},
                          {16, 0, 2010}, {16, 1, 2010}, {16, -1, 2009}, {14, 0, 2009},
                          {14, 1, 2009}, {14, 2, 2010}, {14, -1, 2008}};
    for (const Case& c : cases) {
        Date d = ymd(2009, 3, c.from_day);
        EXPECT_EQ(ymd(c.to_year, 3, 15), d.add_occurrences(Date::MAR, 15, c.n))
            << "from 2009-3-" << c.from_day << " n " << c.n << ", got " << show(d);
    }
    EXPECT_EQ(ymd(2010, 1, 10), ymd(2009, 3, 15).add_occurrences(Date::JAN, 10, 0));
    EXPECT_EQ(ymd(2009, 12, 25), ymd(2009, 3, 15).add_occurrences(Date::DEC, 25, 0));
    for (long n : {0L, 1L, -4L})
        EXPECT_TRUE(throws_with<ChronoException>("Cannot add occurrences of a leap-day", [n] {
            ymd(2009, 3, 4).add_occurrences(Date::FEB, 29, n);
        })) << "n " << n;
    // A day the month lacks is stored before the check refuses it.
    Date d = ymd(2009, 3, 4);
    EXPECT_TRUE(throws_with<ChronoException>("Date day out of range",
                                             [&] { d.add_occurrences(Date::APR, 31, 0); }));
    EXPECT_EQ(Date::APR, d.month());
    EXPECT_EQ(31, d.day());
}

TEST(Date, MonthsAndYears) {
    EXPECT_EQ(ymd(2009, 2, 28), ymd(2009, 1, 31).add_months(1, false));
    EXPECT_EQ(ymd(2009, 3, 1), ymd(2009, 1, 31).add_months(1, true));
    EXPECT_EQ(ymd(2009, 2, 28), ymd(2009, 3, 31).add_months(-1, false));
    EXPECT_EQ(ymd(2010, 2, 15), ymd(2009, 11, 15).add_months(3, false));
    EXPECT_EQ(ymd(2008, 12, 15), ymd(2009, 1, 15).add_months(-1, false));
    EXPECT_EQ(ymd(2007, 12, 15), ymd(2009, 1, 15).add_months(-13, true));
    EXPECT_EQ(ymd(2010, 1, 1), ymd(2009, 12, 1).add_months(1, true));
    EXPECT_EQ(ymd(2009, 5, 1), ymd(2009, 3, 31).add_months(1, true));
    EXPECT_EQ(ymd(2009, 2, 28), ymd(2008, 2, 29).add_years(1, false));
    EXPECT_EQ(ymd(2009, 3, 1), ymd(2008, 2, 29).add_years(1, true));
    EXPECT_EQ(ymd(2012, 2, 29), ymd(2008, 2, 29).add_years(4, true));
    EXPECT_EQ(ymd(1999, 3, 4), ymd(2009, 3, 4).add_years(-10, true));
    // Over every day of two years: the month index moves by exactly n and the
    // day is kept, clamped, or rolled to the first of the next month.
    for (Date start = ymd(2008, 1, 1); start < ymd(2010, 1, 1); ++start) {
        for (long n = -25; n <= 25; n += 4) {
            Date clamped = start, rolled = start;
            clamped.add_months(n, false);
            rolled.add_months(n, true);
            const long index = start.year() * 12L + start.month() - 1 + n;
            SCOPED_TRACE(show(start) + " by " + std::to_string(n));
            EXPECT_EQ(index, clamped.year() * 12L + clamped.month() - 1);
            const int last = Date::days_in_month(clamped.year(), clamped.month());
            EXPECT_EQ(std::min(start.day(), last), clamped.day());
            EXPECT_EQ(start.day() > last ? clamped + 1 : clamped, rolled);
        }
    }
}

TEST(Date, OffsetsDispatchToTheirOperations) {
    using O = Date::Offset;
    const Date d = ymd(2009, 3, 31);
    for (int size : {-3, 0, 2}) {
        SCOPED_TRACE("size " + std::to_string(size));
        EXPECT_EQ(d, d + O(O::NONE, size));
        EXPECT_EQ(Date(d).add_days(size), d + O(O::DAYS, size));
        EXPECT_EQ(Date(d).add_weeks(size), d + O(O::WEEKS, size));
        EXPECT_EQ(Date(d).add_week_days(size), d + O(O::WEEK_DAYS, size));
        EXPECT_EQ(Date(d).add_months(size, false), d + O(O::MONTHS, size));
        EXPECT_EQ(Date(d).add_months(size, true), d + O(O::MONTHS_ROLL, size));
        EXPECT_EQ(Date(d).add_years(size, false), d + O(O::YEARS, size));
        EXPECT_EQ(Date(d).add_years(size, true), d + O(O::YEARS_ROLL, size));
        for (int w = Date::MON; w <= Date::SUN; ++w)
            EXPECT_EQ(Date(d).add_occurrences(Date::DayOfWeek(w), size),
                      d + O(O::Type(O::MONDAYS + w), size))
                << "day " << w;
        EXPECT_EQ(Date(d).add_months(-size, false), d - O(O::MONTHS, size));
    }
    Date e = d;
    e -= O(O::MONTHS, 2);
    EXPECT_EQ(ymd(2009, 1, 31), e);
    e += O(O::DAYS, 1);
    EXPECT_EQ(ymd(2009, 2, 1), e);
    for (int type : {15, -1})
        EXPECT_TRUE(throws_with<ChronoException>("Unrecognized date offset type",
                                                 [&] { e.add_offset(O(O::Type(type), 1)); }))
            << "type " << type;
    EXPECT_EQ(ymd(2009, 2, 1), e);
}

}  // namespace
