#pragma once
// The ways of evaluating the binomial tree that the benchmarks time side by
// side, each given as the pricer operations that run through it.

#include "model/BinomialTreePricer.h"
#include "model/Instrument.h"
#include "model/Market.h"

#include <functional>
#include <string>
#include <vector>

namespace quorva {
namespace bench {

/// An operation left empty is not benchmarked for that evaluation.
struct Evaluation {
    using Metric = std::function<double(BinomialTreePricer&, const Market&, const Instrument&)>;
    using ImpliedVolatility =
        std::function<double(BinomialTreePricer&, const Market&, const Instrument&, double)>;

    /// One word, part of every benchmark name of the evaluation.
    std::string name;
    Metric price;
    Metric delta = nullptr;
    Metric gamma = nullptr;
    Metric theta = nullptr;
    Metric vega = nullptr;
    Metric rho = nullptr;
    ImpliedVolatility implvol = nullptr;
};

/// First "pricer", BinomialTreePricer's public operations as the console
/// calls them: the base against which every other evaluation is compared.
const std::vector<Evaluation>& evaluations();

}  // namespace bench
}  // namespace quorva
