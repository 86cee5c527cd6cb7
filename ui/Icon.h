#pragma once
// An icon image. It does not own its handle: icons come from the executable's resources or an
// image list, which outlive it. Any change of image is announced through OnChange.
#include <functional>
#include <stdexcept>
#include <utility>

#include "platform/Types.h"

namespace tarnwick::ui {

// An image whose stored data cannot be read.
class EReadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Icon {
 public:
  // The image's handle, null for an empty icon. Raises EReadError for a malformed image.
  os::HICON Handle() const;
  void SetHandle(os::HICON handle);
  void Assign(const Icon& other);
  bool Empty() const { return handle_ == nullptr && !malformed_; }
  // Marks the image as unreadable, as a damaged stored icon is.
  void SetMalformed();

  std::function<void()> OnChange;

 private:
  void Changed();

  os::HICON handle_ = nullptr;
  bool malformed_ = false;
};

// An image's handle, or what makes it the first time it is asked for: a picture that the start
// does not show need not be made at start.
class IconSource {
 public:
  IconSource(os::HICON handle = nullptr) : handle_(handle) {}  // NOLINT: a handle is a source
  explicit IconSource(std::function<os::HICON()> make) : make_(std::move(make)) {}

  os::HICON Get() const {
    if (make_) handle_ = std::exchange(make_, nullptr)();
    return handle_;
  }

 private:
  mutable os::HICON handle_ = nullptr;
  mutable std::function<os::HICON()> make_;
};

}  // namespace tarnwick::ui
