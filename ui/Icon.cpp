#include "ui/Icon.h"

namespace tarnwick::ui {

os::HICON Icon::Handle() const {
  if (malformed_) throw EReadError("Stream read error");
  return image_.Get();
}

void Icon::SetHandle(IconSource image) {
  image_ = std::move(image);
  malformed_ = false;
  Changed();
}

void Icon::Assign(const Icon& other) {
  image_ = other.image_;
  malformed_ = other.malformed_;
  Changed();
}

void Icon::SetMalformed() {
  image_ = IconSource();
  malformed_ = true;
  Changed();
}

void Icon::Changed() {
  if (OnChange) OnChange();
}

}  // namespace tarnwick::ui
