#include "ui/CheckBox.h"

namespace tarnwick::ui {

void CheckBox::SetChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  NotifyPeer(Change::Checked);
  if (!Loading() && OnClick) OnClick(*this);
}

}  // namespace tarnwick::ui
