#pragma once
// A check box whose state is the model's: set from code it acts as a click when the state
// changes, as the radio group's selection does.
#include "ui/Control.h"

namespace tarnwick::ui {

class CheckBox : public Control {
 public:
  using Control::Control;

  bool Checked() const { return checked_; }
  // A changed state is put in place, shown, and then OnClick runs (not while loading); the same
  // state does nothing.
  void SetChecked(bool checked);
  // Shows the state as one the user did not choose, an administrator's: OnClick does not run.
  void ShowChecked(bool checked);
  // The user clicked the box (mouse, space bar or its mnemonic): it toggles.
  void UserClick() {
    if (Enabled()) SetChecked(!checked_);
  }

  TNotifyEvent OnClick;

 private:
  bool checked_ = false;
};

}  // namespace tarnwick::ui
