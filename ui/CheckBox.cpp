#include "ui/CheckBox.h"

namespace tarnwick::ui {

void CheckBox::SetChecked(bool checked) {
  if (checked == checked_) return;
  ShowChecked(checked);
  if (!Loading() && OnClick) OnClick(*this);
}

void CheckBox::ShowChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  NotifyPeer(Change::Checked);
}

}  // namespace tarnwick::ui
