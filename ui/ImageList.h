#pragma once
// A list of same-sized images, handed out as icons.
#include <vector>

#include "ui/Component.h"
#include "ui/Icon.h"

namespace tarnwick::ui {

class ImageList : public Component {
 public:
  using Component::Component;

  int Count() const { return static_cast<int>(images_.size()); }
  void Add(IconSource image) { images_.push_back(std::move(image)); }
  void Clear() { images_.clear(); }
  // Copies image `index` into `icon`; an index out of range leaves the icon as it was.
  void GetIcon(int index, Icon& icon) const;

 private:
  std::vector<IconSource> images_;
};

}  // namespace tarnwick::ui
