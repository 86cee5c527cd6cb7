#include "ui/RadioGroup.h"

#include <algorithm>

namespace tarnwick::ui {

void RadioGroup::SetItems(std::vector<std::string> items) {
  items_ = std::move(items);
  if (itemIndex_ >= static_cast<int>(items_.size())) itemIndex_ = -1;
  NotifyPeer(Change::Items);
}

void RadioGroup::SetItemIndex(int index) {
  if (!Select(index)) return;
  if (itemIndex_ >= 0 && !Loading()) Click();
}

void RadioGroup::ShowItemIndex(int index) { Select(index); }

bool RadioGroup::Select(int index) {
  index = std::clamp(index, -1, static_cast<int>(items_.size()) - 1);
  if (index == itemIndex_) return false;
  itemIndex_ = index;
  NotifyPeer(Change::ItemIndex);
  return true;
}

void RadioGroup::Click() {
  if (OnClick) OnClick(*this);
}

}  // namespace tarnwick::ui
