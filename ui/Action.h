#pragma once
// An action: a command with a caption, shared by buttons and menu items. The controls that carry
// it show its caption and follow when it changes, and their clicks execute it.
#include <string>
#include <vector>

#include "ui/Component.h"

namespace tarnwick::ui {

class Action;

class ActionClient {
 public:
  virtual ~ActionClient() = default;
  // The action's caption (or other state) changed, or the action is going away (`gone`).
  virtual void ActionChanged(Action& action, bool gone) = 0;
};

class Action : public Component {
 public:
  using Component::Component;
  ~Action() override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  // The controls that carry a disabled action are disabled with it.
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);

  // Runs OnExecute with the action as sender; false when it is disabled or no handler is
  // assigned.
  virtual bool Execute();

  void AddClient(ActionClient& client);
  void RemoveClient(ActionClient& client);

  TNotifyEvent OnExecute;

 private:
  void Changed();

  std::string caption_;
  bool enabled_ = true;
  std::vector<ActionClient*> clients_;
};

}  // namespace tarnwick::ui
