#include "numeric/MathException.h"

namespace math {

MathException::MathException(const std::string& message)
    : usr::Exception("MathException", message, usr::Exception()) {}

MathException::~MathException() = default;

}  // namespace math
