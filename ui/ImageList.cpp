#include "ui/ImageList.h"

namespace tarnwick::ui {

void ImageList::GetIcon(int index, Icon& icon) const {
  if (index < 0 || index >= Count()) return;
  icon.SetHandle(images_[static_cast<std::size_t>(index)]);
}

}  // namespace tarnwick::ui
