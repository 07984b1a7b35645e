#include "foundation/QuorvaException.h"

namespace quorva {

QuorvaException::QuorvaException(const std::string& message)
    : usr::Exception("QuorvaException", message, usr::Exception()) {}

QuorvaException::~QuorvaException() = default;

}  // namespace quorva
