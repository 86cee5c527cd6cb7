#pragma once
// A small flat button that shows a picture of ours rather than a caption, and takes no focus.
#include "platform/Types.h"
#include "ui/Control.h"

namespace tarnwick::ui {

class SpeedButton : public Control {
 public:
  using Control::Control;

  // The picture, drawn centred; the caller keeps it alive.
  os::HICON Glyph() const { return glyph_; }
  void SetGlyph(os::HICON glyph) {
    glyph_ = glyph;
    NotifyPeer(Change::Picture);
  }
  void UserClick() {
    if (Enabled() && OnClick) OnClick(*this);
  }

  TNotifyEvent OnClick;

 private:
  os::HICON glyph_ = nullptr;
};

}  // namespace tarnwick::ui
