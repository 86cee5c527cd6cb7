#pragma once
// A captioned group of radio buttons of which at most one is selected.
#include <string>
#include <vector>

#include "ui/Control.h"

namespace tarnwick::ui {

class RadioGroup : public Control {
 public:
  using Control::Control;

  int Columns() const { return columns_; }
  void SetColumns(int columns) { columns_ = columns < 1 ? 1 : columns; }
  const std::vector<std::string>& Items() const { return items_; }
  void SetItems(std::vector<std::string> items);

  int ItemIndex() const { return itemIndex_; }
  // Selects item `index` as a user's choice would: an index past the last item means the last,
  // one below -1 means -1. A changed selection of an item runs OnClick after it is in place,
  // except while loading; -1 clears the selection without a click; the same index does nothing.
  void SetItemIndex(int index);
  // Shows item `index` selected (clamped as SetItemIndex clamps it) as a choice the user did not
  // make, one an administrator made: OnClick does not run.
  void ShowItemIndex(int index);
  // The user picked item `index`; picking the selected item does nothing.
  void UserSelect(int index) {
    if (Enabled()) SetItemIndex(index);
  }

  TNotifyEvent OnClick;

 protected:
  virtual void Click();

 private:
  // Puts `index` in place; false when it was there already.
  bool Select(int index);

  std::vector<std::string> items_;
  int columns_ = 1;
  int itemIndex_ = -1;
};

}  // namespace tarnwick::ui
