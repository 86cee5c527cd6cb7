#include "ui/Memo.h"

namespace tarnwick::ui {

void Memo::Add(std::string_view line) {
  starts_.push_back(text_.size());
  text_.append(line);
  NotifyPeer(Change::ItemAdded);
}

void Memo::Clear() {
  if (starts_.empty()) return;
  text_.clear();
  text_.shrink_to_fit();
  starts_.clear();
  starts_.shrink_to_fit();
  NotifyPeer(Change::Items);
}

std::string_view Memo::Line(std::size_t index) const {
  const std::size_t begin = starts_.at(index);
  const std::size_t end = index + 1 < starts_.size() ? starts_[index + 1] : text_.size();
  return std::string_view(text_).substr(begin, end - begin);
}

std::string Memo::Text() const {
  std::string all;
  all.reserve(text_.size() + 2 * starts_.size());
  for (std::size_t i = 0; i < starts_.size(); ++i) {
    if (i > 0) all += "\r\n";
    all.append(Line(i));
  }
  return all;
}

}  // namespace tarnwick::ui
