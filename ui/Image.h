#pragma once
// A picture control showing one icon; an empty picture shows nothing.
#include "platform/Types.h"
#include "ui/Control.h"

namespace tarnwick::ui {

class Image : public Control {
 public:
  using Control::Control;

  os::HICON Picture() const { return picture_; }
  void SetPicture(os::HICON picture) {
    picture_ = picture;
    NotifyPeer(Change::Picture);
  }
  void Clear() { SetPicture(nullptr); }
  void Repaint() { NotifyPeer(Change::Picture); }
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool transparent) { transparent_ = transparent; }

 private:
  os::HICON picture_ = nullptr;
  bool transparent_ = false;
};

}  // namespace tarnwick::ui
