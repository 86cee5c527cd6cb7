#include "ui/Button.h"

namespace tarnwick::ui {

Button::~Button() {
  if (action_ != nullptr) action_->RemoveClient(*this);
}

void Button::SetAction(Action* action) {
  if (action_ != nullptr) action_->RemoveClient(*this);
  action_ = action;
  if (action_ != nullptr) {
    action_->AddClient(*this);
    SetCaption(action_->Caption());
  }
}

void Button::Click() {
  if (action_ != nullptr && action_->Execute()) return;
  if (OnClick) OnClick(*this);
}

void Button::ActionChanged(Action& action, bool gone) {
  if (gone) {
    action_ = nullptr;
    return;
  }
  SetCaption(action.Caption());
  SetEnabled(action.Enabled());
}

}  // namespace tarnwick::ui
