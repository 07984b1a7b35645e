#pragma once
// Failure of the calendar-date library: an invalid or out-of-range date, or
// an operation that a null date cannot answer.

#include "foundation/Exception.h"

#include <string>

namespace chrono {

class ChronoException : public usr::Exception {
public:
    explicit ChronoException(const std::string& message);
    ~ChronoException() override;
};

}  // namespace chrono
