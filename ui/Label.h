#pragma once
// A line of text. A label can be a link: it shows the hand pointer, and reports clicks and the
// pointer's moves over it and away from it.
#include <functional>
#include <string>

#include "ui/Control.h"

namespace tarnwick::ui {

using TMouseMoveEvent = std::function<void(Component& sender, unsigned shift, int x, int y)>;

class Label : public Control {
 public:
  using Control::Control;

  Cursor GetCursor() const { return cursor_; }
  void SetCursor(Cursor cursor) { cursor_ = cursor; }
  // Sets only the font's styles (kFontBold, kFontUnderline), keeping the rest of it.
  void SetFontStyle(unsigned style);

  // The peer's and the tests' entry points.
  void UserClick() {
    if (Enabled() && OnClick) OnClick(*this);
  }
  void UserMouseMove(unsigned shift, int x, int y) {
    if (Enabled() && OnMouseMove) OnMouseMove(*this, shift, x, y);
  }
  void UserMouseLeave() {
    if (OnMouseLeave) OnMouseLeave(*this);
  }
  // Whether anything listens to the pointer, so that the peer asks for its moves at all.
  bool WantsMouse() const { return OnClick || OnMouseMove || OnMouseLeave; }

  TNotifyEvent OnClick;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnMouseLeave;

 private:
  Cursor cursor_ = Cursor::Default;
};

// A link: the hand pointer, underlined while the pointer is over it, and a click opens its
// address with the shell.
class LinkLabel : public Label {
 public:
  explicit LinkLabel(Component* owner = nullptr);
  void SetAddress(std::string address) { address_ = std::move(address); }

 private:
  std::string address_;
};

}  // namespace tarnwick::ui
