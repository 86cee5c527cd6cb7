#pragma once
// An icon image. It does not own its handle: icons come from the executable's resources or an
// image list, which outlive it. Any change of image is announced through OnChange.
#include <functional>
#include <stdexcept>

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

}  // namespace tarnwick::ui
