#include "ui/ListBox.h"

namespace tarnwick::ui {

void ListBox::Add(std::string line) {
  items_.push_back(std::move(line));
  NotifyPeer(Change::ItemAdded);
}

void ListBox::Clear() {
  if (items_.empty()) return;
  items_.clear();
  NotifyPeer(Change::Items);
}

}  // namespace tarnwick::ui
