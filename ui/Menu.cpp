#include "ui/Menu.h"

#include <utility>

namespace tarnwick::ui {
namespace {
PopupMenu::Tracker& CurrentTracker() {
  static PopupMenu::Tracker tracker;
  return tracker;
}
}  // namespace

void MenuItem::Click() {
  if (enabled_ && OnClick) OnClick(*this);
}

MenuItem& PopupMenu::Add(std::string caption) {
  items_.push_back(std::make_unique<MenuItem>(this));
  items_.back()->SetCaption(std::move(caption));
  return *items_.back();
}

void PopupMenu::Popup(int x, int y) {
  if (OnPopup) OnPopup(*this);
  Tracker tracker = CurrentTracker();
  if (!tracker) return;
  const int chosen = tracker(*this, x, y);
  if (chosen >= 0 && chosen < Count()) Item(chosen).Click();
}

PopupMenu::Tracker PopupMenu::SetTracker(Tracker tracker) {
  return std::exchange(CurrentTracker(), std::move(tracker));
}

}  // namespace tarnwick::ui
