#pragma once
// An instant to the minute, held as minutes since 00:00 on 1 January 2000,
// and a time of day alone. Seconds play no part.

#include "calendar/Date.h"

#include <iosfwd>

namespace quorva {

class Time {
public:
    /// A time of day in minutes since midnight.
    class OfDay {
    public:
        /// Stores the count unchecked.
        explicit OfDay(unsigned minutes) : minutes_(minutes) {}
        /// Throws "Hour out of range" above 23, then "Minute out of range" above 59.
        OfDay(unsigned hour, unsigned minute);

        unsigned hour() const { return minutes_ / 60; }
        unsigned minute() const { return minutes_ % 60; }
        unsigned minutes_from_midnight() const { return minutes_; }
        /// This time of day minus `other`, in minutes: positive when this is later.
        int minutes_from(const OfDay& other) const {
            return static_cast<int>(minutes_ - other.minutes_);
        }

        bool operator==(const OfDay& other) const { return minutes_ == other.minutes_; }
        bool operator!=(const OfDay& other) const { return minutes_ != other.minutes_; }
        bool operator<(const OfDay& other) const { return minutes_ < other.minutes_; }
        bool operator>(const OfDay& other) const { return minutes_ > other.minutes_; }

    private:
        unsigned minutes_;
    };

    /// 1 January 2000, the epoch of every Time.
    static const chrono::Date JAN_1ST;

    /// The real-time marker (all 32 bits set), which no calendar instant equals.
    Time() : minutes_(4294967295u) {}
    /// Throws "Date too early" before 1 January 2000, "Date too late" after
    /// 31 December 2199, then "Hour out of range" or "Minute out of range".
    Time(const chrono::Date& date, unsigned hour, unsigned minute);

    /// The current local time, seconds dropped.
    static Time now();

    /// Throws chrono::ChronoException "Date out of range" for a day past
    /// 31 December 2199, the real-time marker included.
    chrono::Date date() const;
    unsigned hour() const { return minutes_from_midnight() / 60; }
    unsigned minute() const { return minutes_from_midnight() % 60; }
    OfDay time_of_day() const { return OfDay(minutes_from_midnight()); }
    unsigned days_from_1jan2000() const { return minutes_ / 1440; }
    unsigned minutes_from_midnight() const { return minutes_ % 1440; }
    unsigned minutes_from_midnight_1jan2000() const { return minutes_; }
    /// This instant minus `other`, in minutes: positive when this is later.
    int minutes_from(const Time& other) const {
        return static_cast<int>(minutes_ - other.minutes_);
    }
    /// Moves by n minutes, modulo 2^32, unchecked.
    Time& add_minutes(int n) {
        minutes_ += static_cast<unsigned>(n);
        return *this;
    }

    bool operator==(const Time& other) const { return minutes_ == other.minutes_; }
    bool operator!=(const Time& other) const { return minutes_ != other.minutes_; }
    bool operator<(const Time& other) const { return minutes_ < other.minutes_; }
    bool operator>(const Time& other) const { return minutes_ > other.minutes_; }

private:
    unsigned minutes_;
};

/// The printed form, such as 05mar09 @14:30, with a four-digit year from 2100
/// on (05jan2105 @10:00); throws as date() does.
std::ostream& operator<<(std::ostream& os, const Time& t);

}  // namespace quorva
