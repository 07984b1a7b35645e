#pragma once
// A user error of the console, model, times or schedules: the command loop
// reports it as "Error: " and its message, and goes on.

#include "foundation/Exception.h"

namespace quorva {

class QuorvaException : public usr::Exception {
public:
    explicit QuorvaException(const std::string& message);
    ~QuorvaException() override;
};

}  // namespace quorva
