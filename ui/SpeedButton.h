#pragma once
// A small flat button that shows a picture of ours rather than a caption, and takes no focus.
#include "platform/Types.h"
#include "ui/Control.h"
#include "ui/Icon.h"

namespace tarnwick::ui {

class SpeedButton : public Control {
 public:
  using Control::Control;

  // The picture, drawn centred; the caller keeps it alive.
  os::HICON Glyph() const { return glyph_.Get(); }
  void SetGlyph(IconSource glyph) {
    glyph_ = std::move(glyph);
    NotifyPeer(Change::Picture);
  }
  void UserClick() {
    if (Enabled() && OnClick) OnClick(*this);
  }

  TNotifyEvent OnClick;

 private:
  IconSource glyph_;
};

}  // namespace tarnwick::ui
