#include "ui/Component.h"

#include <algorithm>
#include <utility>

#include "ui/ErrorBoundary.h"

namespace tarnwick::ui {
namespace {
void Erase(std::vector<Component*>& list, Component* item) {
  list.erase(std::remove(list.begin(), list.end(), item), list.end());
}
}  // namespace

Component::~Component() {
  for (Component* watched : watched_) Erase(watched->listeners_, this);
  // A listener may drop links while it is told, so work on a copy.
  const std::vector<Component*> listeners = std::exchange(listeners_, {});
  for (Component* listener : listeners) {
    Erase(listener->watched_, this);
    listener->Notification(*this);
  }
}

void Component::EndLoading() {
  loading_ = false;
  Guard([&] { Loaded(); });
}

void Component::FreeNotification(Component& listener) {
  if (&listener == this) return;
  if (std::find(listeners_.begin(), listeners_.end(), &listener) == listeners_.end()) {
    listeners_.push_back(&listener);
    listener.watched_.push_back(this);
  }
}

void Component::RemoveFreeNotification(Component& listener) {
  Erase(listeners_, &listener);
  Erase(listener.watched_, this);
}

}  // namespace tarnwick::ui
