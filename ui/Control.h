#pragma once
// A control: a component with a place on a form, a caption, and a peer that mirrors it as a real
// window. Headless (in the native tests) there is no peer and the model alone holds the state.
// The peer reports the user's acts through the same entry points that tests call.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/Component.h"

namespace tarnwick::ui {

class Control;
class PopupMenu;

// What a peer must bring up to date.
enum class Change {
  Caption, Items, ItemAdded, ItemIndex, Visible, Enabled, Picture, Font, Checked, Progress,
  AccessibleName, Hint
};

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

// The mouse pointer over a control, or over the whole program while it is busy.
enum class Cursor { Default, HandPoint, HourGlass };

// The keys held with a key or mouse event (its Shift argument), combined as bits.
inline constexpr unsigned kShiftKey = 0x01;
inline constexpr unsigned kAltKey = 0x02;
inline constexpr unsigned kCtrlKey = 0x04;

// Font styles, combined as bits.
inline constexpr unsigned kFontBold = 0x1;
inline constexpr unsigned kFontUnderline = 0x2;
// Every character as wide as the next: where the face is missing, another fixed-pitch one stands
// in for it, so that columns of text stay aligned.
inline constexpr unsigned kFontFixedPitch = 0x4;
// The text colour a control takes from the system unless its font names one.
inline constexpr std::uint32_t kDefaultTextColor = 0xFFFFFFFF;
inline constexpr std::uint32_t kBlue = 0x00FF0000;  // as a COLORREF: 0x00BBGGRR

struct Font {
  std::string name = "MS Sans Serif";
  int height = -11;  // pixels at 96 dots per inch; negative: the characters' height
  int charset = 1;   // DEFAULT_CHARSET
  unsigned style = 0;
  std::uint32_t color = kDefaultTextColor;
  bool operator==(const Font&) const = default;
};

// A caption as it reads without its mnemonics: "&&" is "&", a lone "&" is dropped.
inline std::string WithoutMnemonics(std::string_view caption) {
  std::string text;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && ++i == caption.size()) break;
    text += caption[i];
  }
  return text;
}

class Control : public Component {
 public:
  explicit Control(Component* owner = nullptr) : Component(owner) {}
  ~Control() override;

  Control* Parent() const { return parent_; }
  // Makes this control a child of `parent`, after its existing children.
  void SetParent(Control* parent);
  // In tab order, which is also the order their windows lie in.
  const std::vector<Control*>& Children() const { return children_; }
  // The place among its parent's children in tab order; past the last means the last.
  int TabOrder() const;
  void SetTabOrder(int order);

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  // What a screen reader calls the control: the name the form gave it, or else its caption. A
  // control that shows a picture or a value instead of words needs one.
  const std::string& AccessibleName() const {
    return accessibleName_.empty() ? caption_ : accessibleName_;
  }
  void SetAccessibleName(std::string name);
  // What the control's tooltip says, also while it is disabled, and what a screen reader adds
  // to its name as its description; empty for none.
  const std::string& Hint() const { return hint_; }
  void SetHint(std::string hint);
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
  std::string accessibleName_;
  std::string hint_;
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
