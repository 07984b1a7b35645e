#pragma once
// Function objects: the numerical library works on these rather than on
// function pointers, so a caller's function can carry its own data.

namespace math {
namespace function {

template <class R, class A>
class Function {
public:
    virtual R operator()(const A& x) const = 0;

protected:
    ~Function() = default;
};

}  // namespace function
}  // namespace math
