#include "ui/Action.h"

#include <algorithm>
#include <utility>

namespace tarnwick::ui {

Action::~Action() {
  const auto clients = std::exchange(clients_, {});
  for (ActionClient* client : clients) client->ActionChanged(*this, true);
}

void Action::SetCaption(std::string caption) {
  caption_ = std::move(caption);
  Changed();
}

void Action::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Changed();
}

void Action::Changed() {
  const auto clients = clients_;
  for (ActionClient* client : clients) client->ActionChanged(*this, false);
}

bool Action::Execute() {
  if (!enabled_ || !OnExecute) return false;
  OnExecute(*this);
  return true;
}

void Action::AddClient(ActionClient& client) {
  if (std::find(clients_.begin(), clients_.end(), &client) == clients_.end()) {
    clients_.push_back(&client);
  }
}

void Action::RemoveClient(ActionClient& client) {
  clients_.erase(std::remove(clients_.begin(), clients_.end(), &client), clients_.end());
}

}  // namespace tarnwick::ui
