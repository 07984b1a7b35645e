#pragma once
// A pair of values with names for its two halves, such as an image size.

namespace common {

template <class T>
class Coord {
public:
    Coord(T x, T y) : x_(x), y_(y) {}
    T x() const { return x_; }
    T y() const { return y_; }

private:
    T x_;
    T y_;
};

}  // namespace common
