#pragma once
// An icon image. It does not own its handle: icons come from the executable's resources or an
// image list, which outlive it. Any change of image is announced through OnChange; an image
// given by what makes it is made when its handle is first asked for.
#include <functional>
#include <memory>
#include <stdexcept>
#include <utility>

#include "platform/Types.h"

namespace tarnwick::ui {

// An image whose stored data cannot be read.
class EReadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An image's handle, or what makes it the first time it is asked for: a picture that the start
// does not show need not be made at start. Copies share what is made, so it is made once.
class IconSource {
 public:
  IconSource(os::HICON handle = nullptr)  // NOLINT: a handle is a source
      : image_(std::make_shared<Image>(Image{handle, nullptr})) {}
  explicit IconSource(std::function<os::HICON()> make)
      : image_(std::make_shared<Image>(Image{nullptr, std::move(make)})) {}

  os::HICON Get() const {
    if (image_->make) image_->handle = std::exchange(image_->make, nullptr)();
    return image_->handle;
  }
  // Neither a handle nor what makes one.
  bool Empty() const { return image_->handle == nullptr && !image_->make; }

 private:
  struct Image {
    os::HICON handle;
    std::function<os::HICON()> make;
  };
  std::shared_ptr<Image> image_;
};

class Icon {
 public:
  // The image's handle, null for an empty icon. Raises EReadError for a malformed image.
  os::HICON Handle() const;
  void SetHandle(IconSource image);
  void Assign(const Icon& other);
  bool Empty() const { return image_.Empty() && !malformed_; }
  // Marks the image as unreadable, as a damaged stored icon is.
  void SetMalformed();

  std::function<void()> OnChange;

 private:
  void Changed();

  IconSource image_;
  bool malformed_ = false;
};

}  // namespace tarnwick::ui
