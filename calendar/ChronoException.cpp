#include "calendar/ChronoException.h"

namespace chrono {

ChronoException::ChronoException(const std::string& message)
    : usr::Exception("ChronoException", message, usr::Exception()) {}

ChronoException::~ChronoException() = default;

}  // namespace chrono
