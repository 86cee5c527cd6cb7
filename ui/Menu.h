#pragma once
// Menu items and the popup menu. A popup menu is tracked by a tracker: the real one on Windows
// (installed by ui/win32), a scripted one in tests, none when headless.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/Action.h"
#include "ui/Component.h"

namespace tarnwick::ui {

class MenuItem : public Component, public ActionClient {
 public:
  using Component::Component;
  ~MenuItem() override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  bool Default() const { return default_; }
  void SetDefault(bool isDefault) { default_ = isDefault; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  bool Checked() const { return checked_; }
  void SetChecked(bool checked) { checked_ = checked; }

  Action* GetAction() const { return action_; }
  // The item shows the action's caption and executes it when clicked.
  void SetAction(Action* action);

  // Sub-items, for the items of a main menu's bar.
  MenuItem& Add(std::string caption);
  int Count() const { return static_cast<int>(items_.size()); }
  MenuItem& Item(int index) const { return *items_.at(static_cast<std::size_t>(index)); }

  // The user chose the item: executes its action, or else runs its OnClick.
  virtual void Click();

  TNotifyEvent OnClick;
  // Told when the caption or the sub-items change, so a real menu can follow.
  std::function<void(MenuItem&)> OnChanged;

 private:
  void ActionChanged(Action& action, bool gone) override;

  Action* action_ = nullptr;
  std::vector<std::unique_ptr<MenuItem>> items_;
  std::string caption_;
  bool default_ = false;
  bool enabled_ = true;
  bool checked_ = false;
};

// The menu bar of a form: its items are the bar's entries, each with its sub-items.
class MainMenu : public Component {
 public:
  using Component::Component;

  MenuItem& Add(std::string caption);
  int Count() const { return static_cast<int>(items_.size()); }
  MenuItem& Item(int index) const { return *items_.at(static_cast<std::size_t>(index)); }

 private:
  std::vector<std::unique_ptr<MenuItem>> items_;
};

// Which corner of a popup menu lies on the point it is shown at: above a notification icon it
// opens upwards, at a control downwards, as context menus do.
enum class MenuCorner { BottomLeft, TopLeft };

class PopupMenu : public Component {
 public:
  using Component::Component;

  MenuItem& Add(std::string caption);
  int Count() const { return static_cast<int>(items_.size()); }
  MenuItem& Item(int index) const { return *items_.at(static_cast<std::size_t>(index)); }

  bool AutoPopup() const { return autoPopup_; }
  void SetAutoPopup(bool autoPopup) { autoPopup_ = autoPopup; }
  Component* PopupComponent() const { return popupComponent_; }
  void SetPopupComponent(Component* component) { popupComponent_ = component; }

  // Fires OnPopup, tracks the menu at (x, y) through the application's backend and clicks the
  // chosen item.
  virtual void Popup(int x, int y, MenuCorner corner = MenuCorner::BottomLeft);

  TNotifyEvent OnPopup;

 private:
  std::vector<std::unique_ptr<MenuItem>> items_;
  bool autoPopup_ = true;
  Component* popupComponent_ = nullptr;
};

}  // namespace tarnwick::ui
