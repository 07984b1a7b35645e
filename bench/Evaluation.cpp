#include "bench/Evaluation.h"

namespace quorva {
namespace bench {

const std::vector<Evaluation>& evaluations() {
    using Pricer = BinomialTreePricer;
    static const std::vector<Evaluation> all = {
        {"pricer", &Pricer::price, &Pricer::delta, &Pricer::gamma, &Pricer::theta, &Pricer::vega,
         &Pricer::rho, &Pricer::implvol},
        {"induction", &Pricer::price_by_induction},
    };
    return all;
}

}  // namespace bench
}  // namespace quorva
