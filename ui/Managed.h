#pragma once
// How a control shows that an administrator set its value, so that a user and a screen reader
// know why it cannot be changed: it is disabled, its caption carries a mark that its form's
// legend explains, and its hint (the tooltip, and the description a screen reader reads after the
// name) says so in words.
#include <string>

#include "ui/Control.h"

namespace tarnwick::ui {

inline constexpr const char* kManagedMark = " *";
inline constexpr const char* kManagedHint = "Set by your administrator";
inline constexpr const char* kManagedLegend = "* Set by your administrator";

// `caption` is the control's own; `managed` whether an administrator set its value.
inline void ShowManaged(Control& control, const std::string& caption, bool managed) {
  control.SetEnabled(!managed);
  control.SetCaption(managed ? caption + kManagedMark : caption);
  control.SetHint(managed ? kManagedHint : "");
}

}  // namespace tarnwick::ui
