#include "ui/Menu.h"

#include <utility>

#include "ui/Application.h"

namespace tarnwick::ui {

MenuItem::~MenuItem() {
  if (action_ != nullptr) action_->RemoveClient(*this);
}

void MenuItem::SetCaption(std::string caption) {
  caption_ = std::move(caption);
  if (OnChanged) OnChanged(*this);
}

void MenuItem::SetAction(Action* action) {
  if (action_ != nullptr) action_->RemoveClient(*this);
  action_ = action;
  if (action_ != nullptr) {
    action_->AddClient(*this);
    SetCaption(action_->Caption());
  }
}

void MenuItem::ActionChanged(Action& action, bool gone) {
  if (gone) {
    action_ = nullptr;
    return;
  }
  SetCaption(action.Caption());
  SetEnabled(action.Enabled());
}

MenuItem& MenuItem::Add(std::string caption) {
  items_.push_back(std::make_unique<MenuItem>(this));
  items_.back()->SetCaption(std::move(caption));
  return *items_.back();
}

void MenuItem::Click() {
  if (!enabled_) return;
  if (action_ != nullptr && action_->Execute()) return;
  if (OnClick) OnClick(*this);
}

MenuItem& MainMenu::Add(std::string caption) {
  items_.push_back(std::make_unique<MenuItem>(this));
  items_.back()->SetCaption(std::move(caption));
  return *items_.back();
}

MenuItem& PopupMenu::Add(std::string caption) {
  items_.push_back(std::make_unique<MenuItem>(this));
  items_.back()->SetCaption(std::move(caption));
  return *items_.back();
}

void PopupMenu::Popup(int x, int y, MenuCorner corner) {
  if (OnPopup) OnPopup(*this);
  Application* app = Application::Current();
  if (app == nullptr || app->GetBackend() == nullptr) return;
  const int chosen = app->GetBackend()->TrackPopup(*this, x, y, corner);
  if (chosen >= 0 && chosen < Count()) Item(chosen).Click();
}

}  // namespace tarnwick::ui
