#include "calendar/ExchangeCalendar.h"
#include "tests/calendar/TimeAt.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <utility>

using chrono::Date;
using quorva::ExchangeCalendar;
using quorva::ExchangeTrading;
using quorva::SpecialDay;
using quorva::Time;

namespace {

/// The year's closed weekdays, as "01jan 10apr", and its early closes with
/// their times, as "24dec@12:30".
std::pair<std::string, std::string> special_days(const ExchangeCalendar& calendar, int year) {
    static const char* const MONTHS[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                         "jul", "aug", "sep", "oct", "nov", "dec"};
    std::ostringstream closed, early;
    for (Date day(year, Date::JAN, 1); day.year() == year; ++day) {
        if (!day.is_week_day()) continue;
        const std::string name = (day.day() < 10 ? "0" : "") + std::to_string(day.day()) + MONTHS[day.month() - 1];
        const Time::OfDay close = calendar.closing_on(day);
        if (!calendar.is_trading_day(day)) {
            closed << (closed.tellp() > 0 ? " " : "") << name;
        } else if (close != calendar.closing()) {
            early << (early.tellp() > 0 ? " " : "") << name << "@" << close.hour() << ":" << close.minute();
        }
    }
    return {closed.str(), early.str()};
}

// The exchanges' own lists of holidays and shortened days. New York's closure
// of 9 January 2025 is added as a user would add it.
TEST(ExchangeCalendar, ClosedDaysAndEarlyClosesMatchThePublishedLists) {
    const ExchangeCalendar& lse = *ExchangeCalendar::lse();
    const ExchangeCalendar& eurex = *ExchangeCalendar::eurex();
    const ExchangeCalendar& nyse = *ExchangeCalendar::nyse();
    const usr::P<ExchangeCalendar> nyse_2025 = nyse.with_day({Date(2025, Date::JAN, 9), std::nullopt});
    const struct {
        const ExchangeCalendar& calendar;
        int year;
        const char* closed;
        const char* early;
    } published[] = {
        {lse, 2009, "01jan 10apr 13apr 04may 25may 31aug 25dec 28dec", "24dec@12:30 31dec@12:30"},
        {lse, 2022, "03jan 15apr 18apr 02may 02jun 03jun 29aug 19sep 26dec 27dec", "23dec@12:30 30dec@12:30"},
        {lse, 2023, "02jan 07apr 10apr 01may 08may 29may 28aug 25dec 26dec", "22dec@12:30 29dec@12:30"},
        {lse, 2024, "01jan 29mar 01apr 06may 27may 26aug 25dec 26dec", "24dec@12:30 31dec@12:30"},
        {lse, 2025, "01jan 18apr 21apr 05may 26may 25aug 25dec 26dec", "24dec@12:30 31dec@12:30"},
        {lse, 2026, "01jan 03apr 06apr 04may 25may 31aug 25dec 28dec", "24dec@12:30 31dec@12:30"},
        {eurex, 2009, "01jan 10apr 13apr 01may 24dec 25dec 31dec", ""},
        {eurex, 2022, "15apr 18apr 26dec", ""},
        {eurex, 2023, "07apr 10apr 01may 25dec 26dec", ""},
        {eurex, 2024, "01jan 29mar 01apr 01may 24dec 25dec 26dec 31dec", ""},
        {eurex, 2025, "01jan 18apr 21apr 01may 24dec 25dec 26dec 31dec", ""},
        {eurex, 2026, "01jan 03apr 06apr 01may 24dec 25dec 31dec", ""},
        {nyse, 2009, "01jan 19jan 16feb 10apr 25may 03jul 07sep 26nov 25dec", "27nov@13:0 24dec@13:0"},
        {nyse, 2022, "17jan 21feb 15apr 30may 20jun 04jul 05sep 24nov 26dec", "25nov@13:0"},
        {nyse, 2023, "02jan 16jan 20feb 07apr 29may 19jun 04jul 04sep 23nov 25dec", "03jul@13:0 24nov@13:0"},
        {nyse, 2024, "01jan 15jan 19feb 29mar 27may 19jun 04jul 02sep 28nov 25dec",
         "03jul@13:0 29nov@13:0 24dec@13:0"},
        {*nyse_2025, 2025, "01jan 09jan 20jan 17feb 18apr 26may 19jun 04jul 01sep 27nov 25dec",
         "03jul@13:0 28nov@13:0 24dec@13:0"},
        {nyse, 2026, "01jan 19jan 16feb 03apr 25may 19jun 03jul 07sep 26nov 25dec", "27nov@13:0 24dec@13:0"},
    };
    for (const auto& p : published) {
        EXPECT_EQ(std::make_pair(std::string(p.closed), std::string(p.early)), special_days(p.calendar, p.year))
            << p.calendar.name() << " " << p.year;
    }
    // Other years' one-off closures; the usual days of moved bank holidays and
    // the Friday before a Saturday New Year's Day stay open.
    const struct {
        const ExchangeCalendar& calendar;
        Date day;
        bool open;
    } days[] = {
        {lse, Date(2002, Date::MAY, 27), true},  {lse, Date(2002, Date::JUN, 3), false},
        {lse, Date(2002, Date::JUN, 4), false},  {lse, Date(2011, Date::APR, 29), false},
        {lse, Date(2012, Date::MAY, 28), true},  {lse, Date(2012, Date::JUN, 4), false},
        {lse, Date(2012, Date::JUN, 5), false},  {lse, Date(2020, Date::MAY, 4), true},
        {lse, Date(2020, Date::MAY, 8), false},  {nyse, Date(2001, Date::SEP, 11), false},
        {nyse, Date(2001, Date::SEP, 14), false}, {nyse, Date(2001, Date::SEP, 17), true},
        {nyse, Date(2012, Date::OCT, 29), false}, {nyse, Date(2012, Date::OCT, 30), false},
        {nyse, Date(2018, Date::DEC, 5), false},  {nyse, Date(2021, Date::DEC, 31), true},
    };
    for (const auto& d : days) {
        EXPECT_EQ(d.open, d.calendar.is_trading_day(d.day)) << d.calendar.name() << " " << d.day.day() << "/"
                                                             << d.day.month() << "/" << d.day.year();
    }
}

/// Checks trading_minutes against the day walk in both directions over the
/// widest span there is, then over `count` random spans from 1 January 2000
/// 00:00 to 31 December 2199 23:59: on one day, days apart, years apart or
/// anywhere, half the time at an opening or a closing, full or early, or a
/// minute either side, otherwise at any minute of the day.
void expect_count_equals_walk(const ExchangeTrading& schedule, unsigned seed, int count) {
    std::mt19937 random(seed);
    const auto uniform = [&random](long low, long high) {
        return std::uniform_int_distribution<long>(low, high)(random);
    };
    const long LAST_DAY = 73048;
    const long EDGES[] = {480, 540, 570, 750, 780, 960, 990, 1050};
    const auto instant = [&](long day) {
        const long pick = uniform(0, 15);
        Time t(Time::JAN_1ST, 0, 0);
        t.add_minutes(static_cast<int>(day * 1440 + (pick < 8 ? EDGES[pick] + uniform(-1, 1) : uniform(0, 1439))));
        return t;
    };
    Time a = at(2000, 1, 1, 0, 0), b = at(2199, 12, 31, 23, 59);
    for (int k = 0; k <= count; ++k) {
        ASSERT_EQ(schedule.trading_minutes_by_walk(a, b), schedule.trading_minutes(a, b))
            << schedule.name() << ": " << a << " to " << b;
        ASSERT_EQ(schedule.trading_minutes_by_walk(b, a), schedule.trading_minutes(b, a))
            << schedule.name() << ": " << b << " to " << a;
        const long from = uniform(0, LAST_DAY);
        long to = from;
        switch (uniform(0, 3)) {
        case 1: to += uniform(-14, 14); break;
        case 2: to += uniform(-800, 800); break;
        case 3: to = uniform(0, LAST_DAY); break;
        }
        a = instant(from);
        b = instant(std::min(std::max(to, 0L), LAST_DAY));
    }
}

TEST(ExchangeCalendar, PrefixCountEqualsTheDayWalk) {
    expect_count_equals_walk(*ExchangeCalendar::lse(), 20090305, 100);
    expect_count_equals_walk(*ExchangeCalendar::eurex(), 1430, 50);
    expect_count_equals_walk(*ExchangeCalendar::nyse(), 7, 50);
    // Added days on and next to the rules' own, early closes at the edges.
    const usr::P<ExchangeCalendar> added = ExchangeCalendar::nyse()
                                               ->with_day({Date(2025, Date::JAN, 9), std::nullopt})
                                               ->with_day({Date(2025, Date::DEC, 24), Time::OfDay(9, 31)})
                                               ->with_day({Date(2025, Date::DEC, 26), Time::OfDay(15, 59)})
                                               ->with_day({Date(2199, Date::DEC, 31), std::nullopt})
                                               ->with_day({Date(2000, Date::JAN, 3), Time::OfDay(12, 0)});
    expect_count_equals_walk(*added, 2199, 50);
    Time from = at(2025, 1, 6, 12, 0);
    for (int day = 0; day < 365; day += 3, from.add_minutes(3 * 1440 + 7)) {
        Time to = from;
        to.add_minutes(4 * 1440 + 301);
        ASSERT_EQ(added->trading_minutes_by_walk(from, to), added->trading_minutes(from, to)) << from;
    }
}

// Seen from Tuesday 23 December 2025 after the close: half days on 24 and 31
// December, Christmas, Boxing Day, a weekend and New Year's Day closed.
TEST(ExchangeCalendar, TradingMinutesOverChristmas) {
    const ExchangeCalendar& lse = *ExchangeCalendar::lse();
    const Time evening = at(2025, 12, 23, 17, 0);
    EXPECT_EQ(-2070, lse.trading_minutes(at(2026, 1, 2, 16, 30), evening));
    const struct {
        Time to;
        int minutes;
    } spans[] = {
        {at(2025, 12, 24, 12, 0), 240},  {at(2025, 12, 24, 16, 30), 270}, {at(2025, 12, 29, 8, 0), 270},
        {at(2025, 12, 31, 23, 59), 1560}, {at(2026, 1, 1, 12, 0), 1560},  {at(2026, 1, 2, 9, 0), 1620},
        {at(2026, 1, 2, 16, 30), 2070},
    };
    for (const auto& span : spans) EXPECT_EQ(span.minutes, lse.trading_minutes(evening, span.to)) << span.to;
    // Eurex closes at 17:30 and stays closed on 24 and 31 December; New York
    // closes at 13:00 on 24 December and opens on 26 December.
    EXPECT_EQ(30 + 3 * 510, ExchangeCalendar::eurex()->trading_minutes(evening, at(2026, 1, 2, 17, 30)));
    EXPECT_EQ(210 + 390 * 4 + 390, ExchangeCalendar::nyse()->trading_minutes(evening, at(2026, 1, 2, 16, 0)));
}

TEST(ExchangeCalendar, AddedDaysReplaceEachOtherAndKeepTheInstanceUnchanged) {
    const usr::P<ExchangeCalendar> lse = ExchangeCalendar::lse();
    const Date friday(2025, Date::JAN, 10);
    const usr::P<ExchangeCalendar> closed = lse->with_day({friday, std::nullopt});
    const usr::P<ExchangeCalendar> early = closed->with_day({friday, Time::OfDay(12, 0)})
                                               ->with_day({Date(2025, Date::JAN, 2), std::nullopt});
    EXPECT_TRUE(lse->added_days().empty());
    EXPECT_TRUE(lse->is_trading_day(friday));
    EXPECT_FALSE(closed->is_trading_day(friday));
    ASSERT_EQ(2u, early->added_days().size());
    std::ostringstream days;
    for (const SpecialDay& day : early->added_days()) days << day << ";";
    days << SpecialDay{Date(2105, Date::JAN, 5), std::nullopt};
    EXPECT_EQ("02jan25;10jan25 @12:00;05jan2105", days.str());
    EXPECT_EQ(240, early->trading_minutes(at(2025, 1, 9, 23, 0), at(2025, 1, 13, 0, 0)));
    // An added day overrides the rules on its date: Christmas Day opened to noon.
    const usr::P<ExchangeCalendar> christmas = lse->with_day({Date(2025, Date::DEC, 25), Time::OfDay(12, 0)});
    EXPECT_EQ(240, christmas->trading_minutes(at(2025, 12, 25, 0, 0), at(2025, 12, 26, 0, 0)));
}

TEST(ExchangeCalendar, EasterOverTheTwoCenturies) {
    EXPECT_EQ(Date(2000, Date::APR, 23), quorva::easter_sunday(2000));
    EXPECT_EQ(Date(2008, Date::MAR, 23), quorva::easter_sunday(2008));
    EXPECT_EQ(Date(2038, Date::APR, 25), quorva::easter_sunday(2038));
    for (int year = 2000; year < 2200; ++year) {
        const Date easter = quorva::easter_sunday(year);
        ASSERT_EQ(Date::SUN, easter.day_of_week()) << year;
        ASSERT_TRUE(Date(year, Date::MAR, 22) <= easter && easter <= Date(year, Date::APR, 25)) << year;
        // Good Friday closes all three exchanges, Easter Monday two of them.
        ASSERT_FALSE(ExchangeCalendar::nyse()->is_trading_day(easter - 2)) << year;
        ASSERT_FALSE(ExchangeCalendar::lse()->is_trading_day(easter + 1)) << year;
        ASSERT_TRUE(ExchangeCalendar::nyse()->is_trading_day(easter + 1)) << year;
    }
}

TEST(ExchangeCalendar, InstantsPastTheCalendarFail) {
    Time past = at(2199, 12, 31, 23, 59);
    past.add_minutes(1);
    EXPECT_THROW(ExchangeCalendar::lse()->trading_minutes(at(2199, 12, 31, 12, 0), past), chrono::ChronoException);
    EXPECT_THROW(ExchangeCalendar::lse()->year_frac(Time(), at(2009, 1, 1, 0, 0)), chrono::ChronoException);
}

}  // namespace
