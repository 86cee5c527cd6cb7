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
  // Clamped into MinValue..MaxValue. The dump sets it for every byte, so a position that keeps
  // the percentage costs no division.
  void SetProgress(int value) {
    if (value >= keepFrom_ && value < keepTo_) {
      progress_ = value;
      return;
    }
    progress_ = value < minValue_ ? minValue_ : value > maxValue_ ? maxValue_ : value;
    Recount();
  }
  // The whole part of 100 * (Progress - MinValue) / (MaxValue - MinValue); 0 when they are equal.
  int PercentDone() const { return percent_; }
  // "0%" .. "100%", as the bar shows it.
  std::string Text() const { return std::to_string(PercentDone()) + "%"; }

 private:
  // Works out the percentage anew, and the band of positions that keeps it; tells the peer when
  // it changed.
  void Recount();

  int minValue_ = 0;
  int maxValue_ = 100;
  int progress_ = 0;
  int percent_ = 0;
  // The positions that keep the percentage, within MinValue..MaxValue: [keepFrom_, keepTo_).
  int keepFrom_ = 0;
  long long keepTo_ = 1;
};

}  // namespace tarnwick::ui
