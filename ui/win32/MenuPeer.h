#pragma once
// A form's menu bar, built from its MainMenu: a drop-down per entry of the bar, a command id per
// item. A chosen item is clicked in the model; caption changes follow at once, and a drop-down
// is brought up to date with its items each time it opens.
#include <windows.h>

#include <map>
#include <set>

#include "ui/Component.h"
#include "ui/Menu.h"
#include "ui/win32/Handles.h"

namespace tarnwick::ui::win32 {

class MenuBarPeer : public Component {
 public:
  // Builds the bar and puts it on `window`.
  MenuBarPeer(HWND window, MainMenu& menu);
  ~MenuBarPeer() override;

  MainMenu* Menu() const { return menu_; }
  HMENU Bar() const { return bar_; }
  // WM_COMMAND from the menu with `id`; false when no item of this bar has it.
  bool Command(int id);
  // WM_INITMENUPOPUP: `popup` is about to open.
  void InitPopup(HMENU popup);

 protected:
  // The MainMenu is going: its items are gone, so nothing may be clicked any more.
  void Notification(Component& component) override;

 private:
  struct Place {
    HMENU parent = nullptr;
    int position = 0;
    HMENU popup = nullptr;  // its drop-down, for an item with sub-items
  };

  void Append(HMENU parent, int position, MenuItem& item);
  void Fill(HMENU popup, MenuItem& item);
  // Every item on the bar tells this peer of its caption changes.
  void FollowAll();
  void CaptionChanged(MenuItem& item);
  int IdOf(MenuItem& item);

  HWND window_;
  MainMenu* menu_;
  HMENU bar_ = nullptr;  // the window owns it once it is attached
  std::map<int, MenuItem*> items_;
  std::map<MenuItem*, int> ids_;
  std::map<MenuItem*, Place> places_;
  std::set<MenuItem*> followed_;
  int nextId_;
};

}  // namespace tarnwick::ui::win32
