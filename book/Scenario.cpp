#include "book/Scenario.h"

#include "terminal/Interrupt.h"
#include "terminal/Progress.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>

namespace quorva {

std::string Scenario::Series::name() const {
    const std::string word = LazyMetric::names()[metric - 1];
    return position == 0 ? word : word + "[" + std::to_string(position) + "]";
}

std::size_t Scenario::points() const {
    std::size_t count = 1;
    for (const Axis& axis : axes) count *= axis.values.size();
    return count;
}

double Scenario::value(std::size_t axis, std::size_t point) const {
    const std::size_t columns = axes.size() > 1 ? axes[1].values.size() : 1;
    return axis == 0 ? axes[0].values[point / columns] : axes[1].values[point % columns];
}

void Scenario::evaluate(const Market& market, const Portfolio& portfolio, unsigned steps,
                                       Progress& progress) {
    const std::size_t total = points();
    results.assign(total, std::vector<double>(series.size()));
    const auto price_point = [&](BinomialTreePricer& pricer, std::size_t point) {
        Market moved = market;
        for (std::size_t a = 0; a < axes.size(); ++a) {
            MarketParamProxy(moved, axes[a].param).set_typed(value(a, point));
        }
        for (std::size_t s = 0; s < series.size(); ++s) {
            const Series& one = series[s];
            results[point][s] = one.position == 0
                                    ? LazyMetric(pricer, moved, portfolio, one.metric, multiplier).eval()
                                    : LazyMetric(pricer, moved, portfolio[one.position - 1], one.metric,
                                                 multiplier)
                                          .eval();
        }
    };

    // Points are handed out in order; a thread ends after the point it holds
    // once any has failed, so every point before the first failure is priced
    // and that failure is the one a single thread would meet.
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> done{0};
    std::atomic<bool> stop{false};
    std::mutex failure_lock;
    std::size_t failed_point = total;
    std::exception_ptr failure;
    const auto work = [&](BinomialTreePricer& pricer, bool shows_progress) {
        while (!stop && !Interrupt::pending()) {
            const std::size_t point = next++;
            if (point >= total) return;
            try {
                price_point(pricer, point);
                ++done;
            } catch (...) {
                const std::lock_guard<std::mutex> hold(failure_lock);
                if (point < failed_point) {
                    failed_point = point;
                    failure = std::current_exception();
                }
                stop = true;
            }
            if (shows_progress) progress.advance_to(done);
        }
    };

    // The first point on this thread alone builds whatever is built on first
    // use; then every core takes points, this thread among them.
    BinomialTreePricer pricer(steps);
    if (total > 0) {
        next = 1;
        price_point(pricer, 0);
        done = 1;
        progress.advance_to(1);
    }
    const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t helpers = std::min(cores - 1, total > 2 ? total - 2 : 0);
    std::vector<BinomialTreePricer> pricers(helpers, pricer);
    std::vector<std::thread> threads;
    for (BinomialTreePricer& own : pricers) threads.emplace_back(work, std::ref(own), false);
    work(pricer, true);
    for (std::thread& thread : threads) thread.join();
    if (failure) std::rethrow_exception(failure);
    Interrupt::check();
}

}  // namespace quorva
