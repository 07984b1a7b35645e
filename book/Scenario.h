#pragma once
// A what-if scenario as data: one or two market parameters stepped through
// their values, and the series (a metric of the portfolio or of one
// position) evaluated at every point. One evaluator prices it, on every core;
// the table, the CSV file and the chart are views of its results.

#include "book/LazyMetric.h"
#include "book/MarketParamProxy.h"
#include "book/Position.h"

#include <cstddef>
#include <string>
#include <vector>

namespace quorva {

class Progress;

class Scenario {
public:
    /// One stepped market parameter.
    struct Axis {
        MarketParamProxy::Param param;
        /// As tables name the column: "level", "vol", "days".
        std::string name;
        bool percentage;
        /// As typed: percent for the percentage parameters, days for the clock.
        std::vector<double> values;
    };

    /// One metric of the whole portfolio (position 0) or of one position.
    struct Series {
        LazyMetric::Metric metric;
        /// From 1, in the portfolio's order; 0 for the whole portfolio.
        std::size_t position;
        /// "price", "delta[2]".
        std::string name() const;
    };

    /// The first axis, then for a grid the second.
    std::vector<Axis> axes;
    std::vector<Series> series;
    /// Currency per index point per unit, for the money metrics.
    double multiplier = 1;
    /// By evaluate(): results[point][series], the points in the order of the
    /// first axis and, within each of its values, of the second.
    std::vector<std::vector<double> > results;

    /// Points to evaluate: the product of the axes' sizes.
    std::size_t points() const;
    /// The value of axis `axis` at point `point`.
    double value(std::size_t axis, std::size_t point) const;

    /// Prices every point from a copy of `market` (a real instant, not real
    /// time) with the axes' values set, on trees of `steps`, one thread per
    /// core, each point on its own: the results are those of one thread.
    /// Counts points on `progress`. The first failure in the order of the
    /// points is the one thrown, "Interrupted" once Ctrl-C was pressed.
    void evaluate(const Market& market, const Portfolio& portfolio, unsigned steps, Progress& progress);
};

}  // namespace quorva
