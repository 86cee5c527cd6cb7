#include "ui/Icon.h"

namespace tarnwick::ui {

os::HICON Icon::Handle() const {
  if (malformed_) throw EReadError("Stream read error");
  return handle_;
}

void Icon::SetHandle(os::HICON handle) {
  handle_ = handle;
  malformed_ = false;
  Changed();
}

void Icon::Assign(const Icon& other) {
  handle_ = other.handle_;
  malformed_ = other.malformed_;
  Changed();
}

void Icon::SetMalformed() {
  handle_ = nullptr;
  malformed_ = true;
  Changed();
}

void Icon::Changed() {
  if (OnChange) OnChange();
}

}  // namespace tarnwick::ui
