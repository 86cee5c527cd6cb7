#pragma once
// A horizontal progress gauge showing its whole percentage as "%d%%" over the bar. It is told
// to repaint only when that percentage changes.
#include <string>

#include "ui/Control.h"

namespace tarnwick::ui {

class Gauge : public Control {
 public:
  using Control::Control;

  int MinValue() const { return minValue_; }
  int MaxValue() const { return maxValue_; }
  // Below the position it lowers the position with it; below the minimum it raises
  // std::invalid_argument "Value must be between <min + 1> and 2147483647".
  void SetMaxValue(int value);
  int Progress() const { return progress_; }
  // Clamped into MinValue..MaxValue.
  void SetProgress(int value);
  // The whole part of 100 * (Progress - MinValue) / (MaxValue - MinValue); 0 when they are equal.
  int PercentDone() const;
  // "0%" .. "100%", as the bar shows it.
  std::string Text() const { return std::to_string(PercentDone()) + "%"; }

 private:
  void Moved(int previousPercent);

  int minValue_ = 0;
  int maxValue_ = 100;
  int progress_ = 0;
};

}  // namespace tarnwick::ui
