#pragma once
// A control: a component with a place on a form, a caption, and a peer that mirrors it as a real
// window. Headless (in the native tests) there is no peer and the model alone holds the state.
// The peer reports the user's acts through the same entry points that tests call.
#include <memory>
#include <string>
#include <vector>

#include "ui/Component.h"

namespace tarnwick::ui {

class Control;
class PopupMenu;

// What a peer must bring up to date.
enum class Change { Caption, Items, ItemAdded, ItemIndex, Visible, Enabled, Picture, Font };

class ControlPeer {
 public:
  virtual ~ControlPeer() = default;
  virtual void Changed(Change what) = 0;
};

struct Bounds {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct Font {
  std::string name = "MS Sans Serif";
  int height = -11;
  int charset = 1;  // DEFAULT_CHARSET
};

class Control : public Component {
 public:
  explicit Control(Component* owner = nullptr) : Component(owner) {}
  ~Control() override;

  Control* Parent() const { return parent_; }
  // Makes this control a child of `parent`, after its existing children.
  void SetParent(Control* parent);
  const std::vector<Control*>& Children() const { return children_; }

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  const Bounds& GetBounds() const { return bounds_; }
  void SetBounds(int left, int top, int width, int height) { bounds_ = {left, top, width, height}; }
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  const Font& GetFont() const { return font_; }
  void SetFont(Font font);
  PopupMenu* ContextMenu() const { return contextMenu_; }
  void SetContextMenu(PopupMenu* menu) { contextMenu_ = menu; }

  ControlPeer* Peer() const { return peer_.get(); }
  void SetPeer(std::unique_ptr<ControlPeer> peer) { peer_ = std::move(peer); }

 protected:
  void NotifyPeer(Change what) {
    if (peer_) peer_->Changed(what);
  }

 private:
  Control* parent_ = nullptr;
  std::vector<Control*> children_;
  std::string caption_;
  Bounds bounds_;
  bool visible_ = true;
  bool enabled_ = true;
  Font font_;
  PopupMenu* contextMenu_ = nullptr;
  std::unique_ptr<ControlPeer> peer_;
};

// A tab control without tabs, used as a panel, and a captioned group box: containers only.
class TabControl : public Control {
 public:
  using Control::Control;
};

class GroupBox : public Control {
 public:
  using Control::Control;
};

class StatusBar : public Control {
 public:
  using Control::Control;
};

}  // namespace tarnwick::ui
