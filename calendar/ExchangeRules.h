#pragma once
// The rules of the exchanges' calendars: their hours, and for any year the
// weekdays on which they stay closed or close early, computed from the rules
// of each country's holidays (Easter by its algorithm) and a short list of
// one-off closures.

#include "calendar/Date.h"
#include "calendar/Time.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace quorva {

/// A weekday on which an exchange closes early, or does not open.
struct SpecialDay {
    chrono::Date day;
    /// The early closing; empty when the exchange stays closed all day.
    std::optional<Time::OfDay> early_close;
};

/// The form `set holiday` reads: "09jan25" for a closed day, "24dec25 @12:30"
/// for an early close.
std::ostream& operator<<(std::ostream& os, const SpecialDay& special);

/// One exchange: its name, its hours on a full day and its special days.
struct ExchangeRules {
    std::string name;
    Time::OfDay open;
    Time::OfDay close;
    /// The weekdays of `year` on which the exchange closes early or not at
    /// all, in any order; a weekday listed twice is closed if either says so.
    std::vector<SpecialDay> (*special_days)(int year);

    /// The London Stock Exchange: 08:00 to 16:30, English bank holidays,
    /// 12:30 closes on the last weekdays before Christmas and New Year.
    static const ExchangeRules& lse();
    /// Eurex: 09:00 to 17:30, closed on its fixed holidays.
    static const ExchangeRules& eurex();
    /// The New York Stock Exchange: 09:30 to 16:00, its holidays moved off
    /// weekends by its rules, 13:00 closes before and after some of them.
    static const ExchangeRules& nyse();
};

/// Easter Sunday of a Gregorian year, by the anonymous Gregorian algorithm.
chrono::Date easter_sunday(int year);

}  // namespace quorva
