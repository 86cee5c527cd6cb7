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
  const int before = PercentDone();
  maxValue_ = value;
  progress_ = std::min(progress_, maxValue_);
  Moved(before);
}

void Gauge::SetProgress(int value) {
  const int before = PercentDone();
  progress_ = std::clamp(value, minValue_, maxValue_);
  Moved(before);
}

int Gauge::PercentDone() const {
  if (maxValue_ == minValue_) return 0;
  return static_cast<int>(100LL * (static_cast<long long>(progress_) - minValue_) /
                          (static_cast<long long>(maxValue_) - minValue_));
}

void Gauge::Moved(int previousPercent) {
  if (PercentDone() != previousPercent) NotifyPeer(Change::Progress);
}

}  // namespace tarnwick::ui
