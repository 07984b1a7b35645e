#include "calendar/Time.h"

#include "ThrowsWith.h"
#include "foundation/QuorvaException.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

using chrono::Date;
using quorva::QuorvaException;
using quorva::Time;

namespace {

Date ymd(int year, int month, int day) { return Date(year, Date::Month(month), day); }

std::string printed(const Time& t) {
    std::ostringstream os;
    os << t;
    return os.str();
}

TEST(Time, EpochAndKnownInstant) {
    const Time epoch(ymd(2000, 1, 1), 0, 0);
    EXPECT_EQ(0u, epoch.minutes_from_midnight_1jan2000());
    EXPECT_EQ("01jan00 @00:00", printed(epoch));
    const Time t(ymd(2009, 3, 5), 14, 30);
    EXPECT_EQ(3351u, t.days_from_1jan2000());
    EXPECT_EQ(870u, t.minutes_from_midnight());
    EXPECT_EQ(14u, t.hour());
    EXPECT_EQ(30u, t.minute());
    EXPECT_EQ(870u, t.time_of_day().minutes_from_midnight());
    EXPECT_EQ(ymd(2009, 3, 5), t.date());
    EXPECT_EQ("05mar09 @14:30", printed(t));
    EXPECT_EQ("31dec10 @09:05", printed(Time(ymd(2010, 12, 31), 9, 5)));
    EXPECT_EQ("01jan05 @00:00", printed(Time(ymd(2005, 1, 1), 0, 0)));
    EXPECT_EQ("31dec99 @23:59", printed(Time(ymd(2099, 12, 31), 23, 59)));
    EXPECT_EQ("01jan2100 @00:00", printed(Time(ymd(2100, 1, 1), 0, 0)));
    EXPECT_EQ("17jun2105 @08:00", printed(Time(ymd(2105, 6, 17), 8, 0)));
    EXPECT_EQ("31dec2199 @23:59", printed(Time(ymd(2199, 12, 31), 23, 59)));
}

TEST(Time, DatesAndPrintedFormOverTheWholeRange) {
    const char* months[] = {"jan", "feb", "mar", "apr", "may", "jun",
                            "jul", "aug", "sep", "oct", "nov", "dec"};
    for (long count = ymd(2000, 1, 1).days_from(0); count <= 109572; count += 97) {
        const Date d(count, 0);
        const unsigned hour = static_cast<unsigned>(count % 24), minute = static_cast<unsigned>(count % 60);
        const Time t(d, hour, minute);
        char expected[32];
        std::snprintf(expected, sizeof expected, "%02d%s%02d @%02u:%02u", d.day(), months[d.month() - 1],
                      d.year() < 2100 ? d.year() - 2000 : d.year(), hour, minute);
        ASSERT_EQ(expected, printed(t)) << "count " << count;
        ASSERT_EQ(d, t.date()) << expected;
        ASSERT_EQ(hour, t.hour()) << expected;
        ASSERT_EQ(minute, t.minute()) << expected;
    }
}

TEST(Time, ConstructionMessages) {
    const Date d = ymd(2009, 3, 5);
    auto refused = [](const std::string& message, const Date& date, unsigned h, unsigned m) {
        return throws_with<QuorvaException>(message, [&] { Time(date, h, m); });
    };
    EXPECT_TRUE(refused("Date too early", ymd(1999, 12, 31), 23, 59));
    EXPECT_TRUE(refused("Date too early", ymd(1999, 12, 31), 24, 60));
    EXPECT_TRUE(refused("Date too early", Date(), 0, 0));
    EXPECT_TRUE(refused("Date too late", ymd(2200, 1, 1), 0, 0));
    EXPECT_TRUE(refused("Date too late", ymd(2200, 12, 31), 24, 60));
    EXPECT_TRUE(refused("Date too late", Date(109572, 0) + 1, 0, 0));
    EXPECT_TRUE(refused("Hour out of range", d, 24, 0));
    EXPECT_TRUE(refused("Minute out of range", d, 23, 60));
    EXPECT_TRUE(refused("Hour out of range", d, 24, 60));
    EXPECT_NO_THROW(Time(Date(109572, 0), 23, 59));
}

TEST(Time, RealTimeMarker) {
    EXPECT_TRUE(Time() == Time());
    EXPECT_EQ(4294967295u, Time().minutes_from_midnight_1jan2000());
    EXPECT_TRUE(throws_with<chrono::ChronoException>("Date out of range", [] { printed(Time()); }));
    EXPECT_TRUE(throws_with<chrono::ChronoException>("Date out of range", [] { Time().date(); }));
    Time t(ymd(2000, 1, 1), 0, 0);
    EXPECT_EQ(Time(), t.add_minutes(-1));
    EXPECT_NE(Time(), Time(Date(109572, 0), 23, 59));
}

TEST(Time, MinuteArithmetic) {
    Time t(ymd(2009, 12, 31), 10, 0);
    EXPECT_EQ(Time(ymd(2010, 1, 1), 10, 0), t.add_minutes(1440));
    EXPECT_EQ(Time(ymd(2010, 2, 1), 10, 0), Time(ymd(2010, 1, 31), 10, 0).add_minutes(1440));
    EXPECT_EQ(Time(ymd(2008, 2, 29), 23, 59), Time(ymd(2008, 3, 1), 0, 0).add_minutes(-1));
    const Time times[] = {Time(ymd(2000, 1, 1), 0, 0), Time(ymd(2009, 3, 5), 14, 30),
                          Time(ymd(2009, 3, 6), 14, 30), Time(ymd(2150, 7, 1), 8, 1)};
    for (const Time& a : times) {
        for (const Time& b : times) {
            SCOPED_TRACE(printed(a) + " and " + printed(b));
            EXPECT_EQ(-a.minutes_from(b), b.minutes_from(a));
            Time moved = b;
            EXPECT_EQ(a, moved.add_minutes(a.minutes_from(b)));
            EXPECT_EQ(a.minutes_from(b) > 0, a > b);
            EXPECT_EQ(a.minutes_from(b) < 0, a < b);
            EXPECT_EQ(a.minutes_from(b) != 0, a != b);
        }
    }
    EXPECT_EQ(1440, times[2].minutes_from(times[1]));
}

TEST(TimeOfDay, HoursMinutesAndMessages) {
    using OfDay = Time::OfDay;
    EXPECT_EQ(990u, OfDay(16, 30).minutes_from_midnight());
    EXPECT_EQ(16u, OfDay(16, 30).hour());
    EXPECT_EQ(30u, OfDay(16, 30).minute());
    EXPECT_EQ(-510, OfDay(8, 0).minutes_from(OfDay(16, 30)));
    EXPECT_EQ(510, OfDay(16, 30).minutes_from(OfDay(8, 0)));
    EXPECT_TRUE(OfDay(8, 0) < OfDay(8, 1));
    EXPECT_TRUE(OfDay(8, 1) > OfDay(8, 0));
    EXPECT_TRUE(OfDay(480) == OfDay(8, 0));
    EXPECT_TRUE(OfDay(480) != OfDay(8, 1));
    EXPECT_EQ(5000u, OfDay(5000).minutes_from_midnight());
    EXPECT_TRUE(throws_with<QuorvaException>("Hour out of range", [] { OfDay(24, 0); }));
    EXPECT_TRUE(throws_with<QuorvaException>("Hour out of range", [] { OfDay(24, 60); }));
    EXPECT_TRUE(throws_with<QuorvaException>("Minute out of range", [] { OfDay(8, 60); }));
}

TEST(Time, ClockReadingsAgree) {
    // Two readings can straddle midnight; a second pair cannot straddle it too.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const Date day = chrono::today();
        const Time now = Time::now();
        if (day == now.date()) {
            EXPECT_LT(now.hour(), 24u);
            return;
        }
    }
    ADD_FAILURE() << "today() and Time::now() disagree on the date";
}

}  // namespace
