#include "calendar/ExchangeCalendar.h"
#include "calendar/TradingSchedule.h"
#include "tests/calendar/TimeAt.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

using chrono::Date;
using quorva::ContinuousTrading;
using quorva::ExchangeTrading;
using quorva::ExchangeCalendar;
using quorva::Time;
using quorva::TradingSchedule;

namespace {

std::string printed(const Time& t) {
    std::ostringstream os;
    os << t;
    return os.str();
}

/// LSE minutes counted one minute at a time: the minute starting at m counts
/// when it falls on a weekday between 08:00 and 16:30.
int lse_minutes_one_by_one(const Time& from, const Time& to) {
    int total = 0;
    for (Time m = from; m < to; m.add_minutes(1)) {
        const unsigned of_day = m.minutes_from_midnight();
        if (m.date().is_week_day() && of_day >= 480 && of_day < 990) ++total;
    }
    return total;
}

TEST(ContinuousTrading, CountsEveryCalendarMinute) {
    const ContinuousTrading& c = *ContinuousTrading::instance();
    EXPECT_EQ("Continuous", c.name());
    EXPECT_EQ(525600u, c.trading_minutes_per_year());
    EXPECT_DOUBLE_EQ(1.0, c.year_frac(at(2009, 3, 5, 12, 0), at(2010, 3, 5, 12, 0)));
    EXPECT_DOUBLE_EQ(366.0 / 365.0, c.year_frac(at(2008, 1, 1, 0, 0), at(2009, 1, 1, 0, 0)));
    EXPECT_DOUBLE_EQ(1440.0 / 525600.0, c.year_frac(at(2009, 3, 5, 9, 0), at(2009, 3, 6, 9, 0)));
    EXPECT_EQ(-1441, c.trading_minutes(at(2009, 3, 6, 9, 1), at(2009, 3, 5, 9, 0)));
    EXPECT_DOUBLE_EQ(-1.0, c.year_frac(at(2010, 3, 5, 12, 0), at(2009, 3, 5, 12, 0)));
}

TEST(LSECalendar, ListedSpans) {
    const ExchangeCalendar& lse = *ExchangeCalendar::lse();
    EXPECT_EQ("LSE", lse.name());
    EXPECT_EQ(260u, lse.trading_days_per_year());
    EXPECT_EQ(132600u, lse.trading_minutes_per_year());
    struct Case { Time from, to; int minutes; };
    // 2 March 2009 is a Monday.
    const Case cases[] = {
        {at(2009, 3, 4, 10, 0), at(2009, 3, 4, 11, 0), 60},
        {at(2009, 3, 4, 7, 0), at(2009, 3, 4, 7, 30), 0},
        {at(2009, 3, 4, 17, 0), at(2009, 3, 4, 18, 0), 0},
        {at(2009, 3, 4, 7, 0), at(2009, 3, 4, 18, 0), 510},
        {at(2009, 3, 4, 8, 0), at(2009, 3, 4, 16, 30), 510},
        {at(2009, 3, 6, 15, 0), at(2009, 3, 9, 9, 0), 150},
        {at(2009, 3, 7, 12, 0), at(2009, 3, 9, 12, 0), 240},
        {at(2009, 3, 7, 0, 0), at(2009, 3, 8, 23, 59), 0},
        {at(2009, 3, 2, 0, 0), at(2009, 3, 9, 0, 0), 2550},
        {at(2009, 12, 24, 0, 0), at(2009, 12, 26, 0, 0), 270},  // a half day, then Christmas
        {at(2009, 3, 4, 12, 0), at(2009, 3, 4, 12, 0), 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.minutes, lse.trading_minutes(c.from, c.to))
            << printed(c.from) << " to " << printed(c.to);
        EXPECT_EQ(-c.minutes, lse.trading_minutes(c.to, c.from))
            << printed(c.to) << " to " << printed(c.from);
    }
    EXPECT_DOUBLE_EQ(2550.0 / 132600.0, lse.year_frac(at(2009, 3, 2, 0, 0), at(2009, 3, 9, 0, 0)));
    EXPECT_DOUBLE_EQ(-2550.0 / 132600.0, lse.year_frac(at(2009, 3, 9, 0, 0), at(2009, 3, 2, 0, 0)));
}

TEST(LSECalendar, AgreesWithAMinuteByMinuteCount) {
    const ExchangeCalendar& lse = *ExchangeCalendar::lse();
    const Time start = at(2009, 2, 27, 0, 0);
    // Spans of up to ten days starting at awkward minutes around a weekend.
    for (int a = 0; a < 4 * 1440; a += 317) {
        for (int length = 0; length < 10 * 1440; length += 1129) {
            Time from = start, to = start;
            from.add_minutes(a);
            to.add_minutes(a + length);
            ASSERT_EQ(lse_minutes_one_by_one(from, to), lse.trading_minutes(from, to))
                << printed(from) << " to " << printed(to);
            ASSERT_EQ(-lse.trading_minutes(from, to), lse.trading_minutes(to, from))
                << printed(to) << " to " << printed(from);
        }
    }
}

/// The LSE week with the first of every month as a holiday, which no weekly
/// pattern can describe.
class FirstOfMonthHolidayTrading final : public ExchangeTrading {
public:
    FirstOfMonthHolidayTrading() : ExchangeTrading(Time::OfDay(8, 0), Time::OfDay(16, 30)) {}
    std::string name() const override { return "First of month off"; }
    bool is_trading_day(const Date& day) const override {
        return day.is_week_day() && day.day() != 1;
    }
    unsigned trading_days_per_year() const override { return 250; }
};

TEST(ExchangeTrading, TheDayWalkMatchesTheListedLSESpans) {
    const ExchangeCalendar& lse = *ExchangeCalendar::lse();
    EXPECT_EQ(150, lse.trading_minutes_by_walk(at(2009, 3, 6, 15, 0), at(2009, 3, 9, 9, 0)));
    EXPECT_EQ(-150, lse.trading_minutes_by_walk(at(2009, 3, 9, 9, 0), at(2009, 3, 6, 15, 0)));
    EXPECT_EQ(2550, lse.trading_minutes_by_walk(at(2009, 3, 2, 0, 0), at(2009, 3, 9, 0, 0)));
}

TEST(ExchangeTrading, HolidaysOfAnyPatternAreCounted) {
    const FirstOfMonthHolidayTrading holidays;
    // Monday 1 June 2009 is a holiday; a year holds twelve firsts, some on weekends.
    const Time friday = at(2009, 5, 29, 12, 0);
    const Time tuesday = at(2009, 6, 2, 12, 0);
    EXPECT_EQ(ExchangeCalendar::lse()->trading_minutes(friday, tuesday) - 510,
              holidays.trading_minutes(friday, tuesday));
}

TEST(LSECalendar, SpansAddUp) {
    const ExchangeCalendar& lse = *ExchangeCalendar::lse();
    const Time points[] = {at(2009, 3, 6, 15, 0), at(2009, 3, 7, 12, 0), at(2009, 3, 9, 8, 15),
                           at(2010, 1, 1, 16, 29), at(2012, 2, 29, 10, 0)};
    for (const Time& a : points)
        for (const Time& b : points)
            for (const Time& c : points)
                EXPECT_EQ(lse.trading_minutes(a, c),
                          lse.trading_minutes(a, b) + lse.trading_minutes(b, c))
                    << printed(a) << ", " << printed(b) << ", " << printed(c);
}

TEST(LSECalendar, MinutesOpenByTimeOfDay) {
    const ExchangeCalendar& lse = *ExchangeCalendar::lse();
    EXPECT_EQ(0, lse.minutes_open_from_midnight(Time::OfDay(7, 59)));
    EXPECT_EQ(0, lse.minutes_open_from_midnight(Time::OfDay(8, 0)));
    EXPECT_EQ(1, lse.minutes_open_from_midnight(Time::OfDay(8, 1)));
    EXPECT_EQ(510, lse.minutes_open_from_midnight(Time::OfDay(16, 30)));
    EXPECT_EQ(510, lse.minutes_open_from_midnight(Time::OfDay(23, 59)));
    EXPECT_FALSE(lse.is_trading_day(Date(2009, Date::MAR, 7)));
    EXPECT_FALSE(lse.is_trading_day(Date(2009, Date::DEC, 25)));
}

TEST(TradingSchedule, InstancesAreSharedSingleObjects) {
    EXPECT_EQ(ExchangeCalendar::lse().impl().get(), ExchangeCalendar::lse().impl().get());
    EXPECT_EQ(ContinuousTrading::instance().impl().get(),
              ContinuousTrading::instance().impl().get());
    usr::P<TradingSchedule> schedule = ExchangeCalendar::lse();
    EXPECT_EQ(ExchangeCalendar::lse().impl().get(), schedule.impl().get());
    EXPECT_EQ("LSE", schedule->name());
    EXPECT_EQ(60, schedule->trading_minutes(at(2009, 3, 4, 10, 0), at(2009, 3, 4, 11, 0)));
    schedule = ContinuousTrading::instance();
    EXPECT_EQ(ContinuousTrading::instance().impl().get(), schedule.impl().get());
    EXPECT_EQ("Continuous", schedule->name());
    EXPECT_DOUBLE_EQ(60.0 / 525600.0,
                     schedule->year_frac(at(2009, 3, 4, 10, 0), at(2009, 3, 4, 11, 0)));
}

}  // namespace
