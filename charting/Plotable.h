#pragma once
// Anything that renders itself as gnuplot commands.

namespace gnuplot {

class Plotter;

class Plotable {
public:
    virtual void plot(Plotter& plotter) const = 0;

protected:
    ~Plotable() = default;
};

}  // namespace gnuplot
