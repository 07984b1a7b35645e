#pragma once
// Test helper: an instant typed as numbers, month from 1.

#include "calendar/Date.h"
#include "calendar/Time.h"

inline quorva::Time at(int year, int month, int day, unsigned hour, unsigned minute) {
    return quorva::Time(chrono::Date(year, chrono::Date::Month(month), day), hour, minute);
}
