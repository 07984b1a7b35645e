#include "terminal/Progress.h"

#include <ostream>

namespace quorva {

namespace {

const auto QUIET_PERIOD = std::chrono::seconds(1);

}  // namespace

Progress::Progress(std::ostream& out, std::size_t total, bool enabled)
    : out_(out), total_(total), enabled_(enabled && total > 0), start_(std::chrono::steady_clock::now()) {}

Progress::~Progress() {
    if (shown_) out_ << "\r\033[K" << std::flush;
}

void Progress::advance_to(std::size_t done) {
    if (!enabled_ || done >= total_) return;
    if (!shown_ && std::chrono::steady_clock::now() - start_ < QUIET_PERIOD) return;
    const int percent = static_cast<int>(100 * done / total_);
    if (percent == last_percent_) return;
    last_percent_ = percent;
    shown_ = true;
    out_ << "\r" << percent << "% done" << std::flush;
}

}  // namespace quorva
