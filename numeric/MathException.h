#pragma once
// The one exception the numerical library raises itself.

#include "foundation/Exception.h"

namespace math {

class MathException : public usr::Exception {
public:
    explicit MathException(const std::string& message);
    ~MathException() override;
};

}  // namespace math
