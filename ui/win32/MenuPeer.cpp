#include "ui/win32/MenuPeer.h"

#include <stdexcept>

namespace tarnwick::ui::win32 {
namespace {

// Clear of the controls' ids, and of IDOK, IDCANCEL and the like, which IsDialogMessage sends
// without a control as if they came from a menu.
constexpr int kFirstMenuId = 40000;

UINT StateFlags(const MenuItem& item) {
  return (item.Enabled() ? MF_ENABLED : MF_GRAYED) | (item.Checked() ? MF_CHECKED : MF_UNCHECKED);
}

}  // namespace

MenuBarPeer::MenuBarPeer(HWND window, MainMenu& menu)
    : window_(window), menu_(&menu), nextId_(kFirstMenuId) {
  menu.FreeNotification(*this);
  MenuHandle bar(CreateMenu());
  if (bar.Get() == nullptr) throw std::runtime_error("Cannot create the menu bar");
  for (int i = 0; i < menu.Count(); ++i) Append(bar.Get(), i, menu.Item(i));
  // SetMenu redraws the frame itself.
  if (SetMenu(window_, bar.Get()) == 0) throw std::runtime_error("Cannot attach the menu bar");
  bar_ = bar.Release();
  FollowAll();
}

MenuBarPeer::~MenuBarPeer() {
  for (MenuItem* item : followed_) item->OnChanged = nullptr;
  // A window that is already gone destroyed its menu with it.
  if (bar_ != nullptr && IsWindow(window_) && GetMenu(window_) == bar_) {
    SetMenu(window_, nullptr);
    DestroyMenu(bar_);
  }
}

bool MenuBarPeer::Command(int id) {
  const auto found = items_.find(id);
  if (found == items_.end()) return false;
  found->second->Click();
  return true;
}

void MenuBarPeer::InitPopup(HMENU popup) {
  MenuItem* owner = nullptr;
  for (const auto& [item, place] : places_) {
    if (place.popup == popup) {
      owner = item;
      break;
    }
  }
  if (owner == nullptr) return;
  // Rebuilt from the model each time, so enabled and checked states and added items show too.
  while (GetMenuItemCount(popup) > 0) DeleteMenu(popup, 0, MF_BYPOSITION);
  Fill(popup, *owner);
  FollowAll();
}

void MenuBarPeer::Notification(Component& component) {
  if (&component != menu_) return;
  menu_ = nullptr;
  items_.clear();
  ids_.clear();
  places_.clear();
  followed_.clear();
}

void MenuBarPeer::Append(HMENU parent, int position, MenuItem& item) {
  Place place{parent, position, nullptr};
  const char* caption = item.Caption().c_str();
  if (item.Caption() == "-") {
    AppendMenuA(parent, MF_SEPARATOR, 0, nullptr);
  } else if (item.Count() > 0) {
    MenuHandle popup(CreatePopupMenu());
    if (popup.Get() == nullptr) throw std::runtime_error("Cannot create a menu");
    Fill(popup.Get(), item);
    if (AppendMenuA(parent, MF_POPUP | MF_STRING | StateFlags(item),
                    reinterpret_cast<UINT_PTR>(popup.Get()), caption) != 0) {
      place.popup = popup.Release();  // the parent menu owns it now
    }
  } else {
    AppendMenuA(parent, MF_STRING | StateFlags(item), static_cast<UINT_PTR>(IdOf(item)), caption);
  }
  if (item.Default()) SetMenuDefaultItem(parent, static_cast<UINT>(position), TRUE);
  places_[&item] = place;
}

void MenuBarPeer::Fill(HMENU popup, MenuItem& item) {
  for (int i = 0; i < item.Count(); ++i) Append(popup, i, item.Item(i));
}

void MenuBarPeer::FollowAll() {
  for (const auto& [item, place] : places_) {
    if (followed_.insert(item).second) {
      item->OnChanged = [this](MenuItem& changed) { CaptionChanged(changed); };
    }
  }
}

void MenuBarPeer::CaptionChanged(MenuItem& item) {
  const auto found = places_.find(&item);
  if (found == places_.end()) return;
  const Place& place = found->second;
  // Only the text: the item keeps its id, drop-down and state.
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING;
  info.dwTypeData = const_cast<char*>(item.Caption().c_str());
  SetMenuItemInfoA(place.parent, static_cast<UINT>(place.position), TRUE, &info);
  if (place.parent == bar_) DrawMenuBar(window_);
}

int MenuBarPeer::IdOf(MenuItem& item) {
  const auto found = ids_.find(&item);
  if (found != ids_.end()) return found->second;
  const int id = nextId_++;
  ids_[&item] = id;
  items_[id] = &item;
  return id;
}

}  // namespace tarnwick::ui::win32
