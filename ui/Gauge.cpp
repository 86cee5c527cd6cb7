#include "ui/Gauge.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace tarnwick::ui {

void Gauge::SetMaxValue(int value) {
  if (value < minValue_) {
    throw std::invalid_argument("Value must be between " + std::to_string(minValue_ + 1) + " and " +
                                std::to_string(std::numeric_limits<int>::max()));
  }
  maxValue_ = value;
  progress_ = std::min(progress_, maxValue_);
  Recount();
}

void Gauge::Recount() {
  const long long range = static_cast<long long>(maxValue_) - minValue_;
  const int before = percent_;
  if (range == 0) {
    percent_ = 0;
    keepFrom_ = minValue_;
    keepTo_ = static_cast<long long>(maxValue_) + 1;
  } else {
    const long long scaled = 100LL * (static_cast<long long>(progress_) - minValue_);
    percent_ = static_cast<int>(scaled / range);
    // The least offset o with 100 * o >= p * range, for p = percent_ and percent_ + 1.
    const auto least = [range](long long p) { return (p * range + 99) / 100; };
    keepFrom_ = static_cast<int>(minValue_ + least(percent_));
    keepTo_ = std::min(minValue_ + least(percent_ + 1), static_cast<long long>(maxValue_) + 1);
  }
  if (percent_ != before) NotifyPeer(Change::Progress);
}

}  // namespace tarnwick::ui
