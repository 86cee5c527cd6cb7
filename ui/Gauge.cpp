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
  const long long scaled = 100LL * (static_cast<long long>(progress_) - minValue_);
  const int before = percent_;
  if (range == 0) {
    percent_ = 0;
    percentFrom_ = std::numeric_limits<long long>::min();
    percentTo_ = std::numeric_limits<long long>::max();
  } else {
    percent_ = static_cast<int>(scaled / range);
    percentFrom_ = percent_ * range;
    percentTo_ = percentFrom_ + range;
  }
  if (percent_ != before) NotifyPeer(Change::Progress);
}

}  // namespace tarnwick::ui
