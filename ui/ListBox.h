#pragma once
// A list of text lines.
#include <string>
#include <vector>

#include "ui/Control.h"

namespace tarnwick::ui {

class ListBox : public Control {
 public:
  using Control::Control;

  const std::vector<std::string>& Items() const { return items_; }
  int Count() const { return static_cast<int>(items_.size()); }
  // Appends one line (the peer adds just that line).
  void Add(std::string line);
  void Clear();
  int ItemHeight() const { return itemHeight_; }
  void SetItemHeight(int height) { itemHeight_ = height; }

 private:
  std::vector<std::string> items_;
  int itemHeight_ = 13;
};

}  // namespace tarnwick::ui
