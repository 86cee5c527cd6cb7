#pragma once
// A push button; with an action it shows the action's caption and executes it when clicked.
#include "ui/Action.h"
#include "ui/Control.h"

namespace tarnwick::ui {

class Button : public Control, public ActionClient {
 public:
  using Control::Control;
  ~Button() override;

  Action* GetAction() const { return action_; }
  void SetAction(Action* action);
  // Enter presses the default button, Escape the cancel button (see Form::KeyDown).
  bool Default() const { return default_; }
  void SetDefault(bool isDefault) { default_ = isDefault; }
  bool Cancel() const { return cancel_; }
  void SetCancel(bool cancel) { cancel_ = cancel; }

  // Executes the action, or else runs OnClick. What a press of the button does.
  virtual void Click();
  // The user pressed the button (the peer's and the tests' entry point).
  void UserClick() {
    if (Enabled()) Click();
  }

  TNotifyEvent OnClick;

 private:
  void ActionChanged(Action& action, bool gone) override;

  Action* action_ = nullptr;
  bool default_ = false;
  bool cancel_ = false;
};

}  // namespace tarnwick::ui
