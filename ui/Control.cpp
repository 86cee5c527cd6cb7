#include "ui/Control.h"

#include <algorithm>

namespace tarnwick::ui {

Control::~Control() {
  peer_.reset();  // the peer may still look at the model while it goes
  SetParent(nullptr);
  for (Control* child : children_) child->parent_ = nullptr;
}

void Control::SetParent(Control* parent) {
  if (parent_ == parent) return;
  if (parent_ != nullptr) {
    auto& siblings = parent_->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
  parent_ = parent;
  if (parent_ != nullptr) parent_->children_.push_back(this);
}

int Control::TabOrder() const {
  if (parent_ == nullptr) return 0;
  const auto& siblings = parent_->children_;
  return static_cast<int>(std::find(siblings.begin(), siblings.end(), this) - siblings.begin());
}

void Control::SetTabOrder(int order) {
  if (parent_ == nullptr) return;
  auto& siblings = parent_->children_;
  siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  const auto place = static_cast<std::size_t>(std::clamp(order, 0, static_cast<int>(siblings.size())));
  siblings.insert(siblings.begin() + static_cast<std::ptrdiff_t>(place), this);
}

void Control::SetCaption(std::string caption) {
  if (caption == caption_) return;
  caption_ = std::move(caption);
  NotifyPeer(Change::Caption);
}

void Control::SetAccessibleName(std::string name) {
  if (name == accessibleName_) return;
  accessibleName_ = std::move(name);
  NotifyPeer(Change::AccessibleName);
}

void Control::SetHint(std::string hint) {
  if (hint == hint_) return;
  hint_ = std::move(hint);
  NotifyPeer(Change::Hint);
}

void Control::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  NotifyPeer(Change::Visible);
}

void Control::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  NotifyPeer(Change::Enabled);
}

void Control::SetFont(Font font) {
  font_ = std::move(font);
  NotifyPeer(Change::Font);
}

}  // namespace tarnwick::ui
