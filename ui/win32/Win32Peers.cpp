#include "ui/win32/Win32Peers.h"

#include <windows.h>


#include "ui/Application.h"
#include "ui/Menu.h"

namespace tarnwick::ui::win32 {
namespace {

// Owns a menu handle for the time one popup is tracked.
class MenuHandle {
 public:
  MenuHandle() : menu_(CreatePopupMenu()) {}
  ~MenuHandle() {
    if (menu_ != nullptr) DestroyMenu(menu_);
  }
  MenuHandle(const MenuHandle&) = delete;
  MenuHandle& operator=(const MenuHandle&) = delete;
  HMENU get() const { return menu_; }

 private:
  HMENU menu_;
};

int TrackMenu(PopupMenu& menu, int x, int y) {
  MenuHandle handle;
  if (handle.get() == nullptr) return -1;
  for (int i = 0; i < menu.Count(); ++i) {
    const MenuItem& item = menu.Item(i);
    UINT flags = MF_STRING;
    if (!item.Enabled()) flags |= MF_GRAYED;
    if (item.Checked()) flags |= MF_CHECKED;
    // Command ids start at 1: TrackPopupMenu's 0 means nothing was chosen.
    AppendMenuA(handle.get(), flags, static_cast<UINT_PTR>(i + 1), item.Caption().c_str());
    if (item.Default()) SetMenuDefaultItem(handle.get(), static_cast<UINT>(i), TRUE);
  }
  Application* app = Application::Current();
  ::HWND owner = app != nullptr ? reinterpret_cast<::HWND>(app->Handle()) : nullptr;
  const int chosen = static_cast<int>(TrackPopupMenu(
      handle.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_BOTTOMALIGN, x, y, 0,
      owner, nullptr));
  return chosen - 1;
}

}  // namespace

void InstallPeers(Application&) {
  PopupMenu::SetTracker(&TrackMenu);
}

}  // namespace tarnwick::ui::win32
