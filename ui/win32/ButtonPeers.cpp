// The peers whose windows are buttons: push buttons, check boxes, radio groups in their frames,
// group boxes, and the flat speed button, which is owner-drawn because a themed push button is
// never flat.
#include "ui/win32/WindowPeer.h"

#include <commctrl.h>
#include <oleacc.h>
#include <uxtheme.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "ui/Button.h"
#include "ui/CheckBox.h"
#include "ui/Palette.h"
#include "ui/RadioGroup.h"
#include "ui/SpeedButton.h"
#include "ui/win32/Accessible.h"
#include "ui/win32/Dpi.h"
#include "ui/win32/FormPeer.h"

namespace tarnwick::ui::win32 {
namespace {

// A group box draws only its frame and caption. Everything else of it must come from the
// panel beneath, which would leave that area out (WS_CLIPSIBLINGS) unless the box is
// transparent.
constexpr DWORD kSeeThrough = WS_EX_TRANSPARENT;

// A group box drawn in a visual style writes its caption in the style's colour, which no colour
// scheme changes (Wine keeps the style under any scheme): drawn plain, the caption is in the text
// colour its form gives it. A name that matches no style turns the style off.
void PlainFrame(HWND box) { SetWindowTheme(box, L" ", L" "); }

// The height of a line of text in `font`, which decides where a radio group's items go.
int TextHeight(HWND window, HFONT font) {
  if (font == nullptr) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  WindowDc dc(window, font);
  TEXTMETRICA metrics{};
  const bool measured = dc.Get() != nullptr && GetTextMetricsA(dc.Get(), &metrics) != 0;
  return measured ? metrics.tmHeight : Scaled(13);
}

class GroupBoxPeer : public WindowPeer {
 public:
  GroupBoxPeer(std::shared_ptr<FormPeer> form, GroupBox& control)
      : WindowPeer(std::move(form), control) {
    Adopt(CreateChild(Shape("BUTTON", BS_GROUPBOX | WS_GROUP, kSeeThrough)));
    PlainFrame(Window());
  }
};

class ButtonPeer : public WindowPeer {
 public:
  ButtonPeer(std::shared_ptr<FormPeer> form, Button& button)
      : WindowPeer(std::move(form), button), button_(button) {
    const DWORD kind = button.Default() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    Adopt(CreateChild(Shape("BUTTON", kind | WS_TABSTOP | WS_GROUP)));
    SetWindowSubclass(Window(), &WatchFocus, 0, reinterpret_cast<DWORD_PTR>(&Form()));
  }
  ~ButtonPeer() override { RemoveWindowSubclass(Window(), &WatchFocus, 0); }

  void Command(HWND, int code) override {
    // BM_CLICK reaches a button that its disabled container has disabled; the user cannot.
    if (code == BN_CLICKED && EnabledOnForm()) button_.UserClick();
  }

 private:
  // A push button tells its parent nothing of the focus (BS_NOTIFY would turn its double click
  // into one press), yet the default frame follows the focus.
  static LRESULT CALLBACK WatchFocus(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR, DWORD_PTR form) {
    const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
    if (message == WM_SETFOCUS) reinterpret_cast<FormPeer*>(form)->FocusArrived(window);
    return result;
  }

  Button& button_;
};

// A group box with one radio button per item. The buttons do not check themselves: a click
// asks the model, and the model's index is what shows.
class RadioGroupPeer : public WindowPeer {
 public:
  RadioGroupPeer(std::shared_ptr<FormPeer> form, RadioGroup& group)
      : WindowPeer(std::move(form), group), group_(group) {
    Adopt(CreateChild(Shape("BUTTON", BS_GROUPBOX | WS_GROUP, kSeeThrough)));
    PlainFrame(Window());
    BuildButtons();
  }
  ~RadioGroupPeer() override { DiscardButtons(); }

  void Changed(Change what) override {
    if (what == Change::ItemIndex) return ShowIndex();
    if (what != Change::Items) WindowPeer::Changed(what);
    // The items' places depend on the font's height.
    if (what == Change::Items || what == Change::Font) BuildButtons();
  }

  void Command(HWND from, int code) override {
    const int index = IndexOf(from);
    if (index < 0) return;
    if (code == BN_CLICKED) {
      if (EnabledOnForm()) group_.UserSelect(index);
    } else if (code == BN_SETFOCUS) {
      Form().FocusArrived(from);
    }
  }

  // As the arrow keys do among automatic radio buttons: moving onto an item picks it.
  void ArrowedInto(HWND window) override {
    if (IndexOf(window) >= 0 && SendMessageA(window, BM_GETCHECK, 0, 0) != BST_CHECKED) {
      SendMessageA(window, BM_CLICK, 0, 0);
    }
  }

 protected:
  void ApplyVisible() override {
    WindowPeer::ApplyVisible();
    for (const WindowHandle& button : buttons_) {
      ShowWindow(button.Get(), ShownOnForm() ? SW_SHOWNA : SW_HIDE);
    }
  }
  void ApplyEnabled() override {
    WindowPeer::ApplyEnabled();
    for (const WindowHandle& button : buttons_) EnableWindow(button.Get(), EnabledOnForm());
  }
  std::vector<HWND> ReaderWindows() const override {
    std::vector<HWND> windows{Window()};
    for (const WindowHandle& button : buttons_) windows.push_back(button.Get());
    return windows;
  }

 private:
  int IndexOf(HWND window) const {
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
      if (buttons_[i].Get() == window) return static_cast<int>(i);
    }
    return -1;
  }

  void DiscardButtons() {
    for (WindowHandle& button : buttons_) Discard(button);
    buttons_.clear();
    shown_ = -1;
  }

  // Lays the items out in Columns() columns inside the frame, filling each column in turn.
  void BuildButtons() {
    DiscardButtons();
    const auto& items = group_.Items();
    const int count = static_cast<int>(items.size());
    if (count == 0) return;
    const Bounds frame = FormBounds();
    const int columns = std::max(1, group_.Columns());
    const int rows = (count + columns - 1) / columns;
    const int captionHeight = TextHeight(Window(), CurrentFont());
    const int top = captionHeight + Scaled(1);
    const int space = std::max(0, frame.height - top - Scaled(4));
    const int rowHeight = std::max(1, space / rows);
    const int columnWidth = std::max(1, (frame.width - Scaled(10)) / columns);
    const int firstRow = frame.top + top + (space - rowHeight * rows) / 2;
    HWND previous = Window();
    const int stop = TabStop();
    for (int i = 0; i < count; ++i) {
      const Bounds cell{frame.left + Scaled(8) + (i / rows) * columnWidth,
                        firstRow + (i % rows) * rowHeight, columnWidth, rowHeight};
      // Made with the style ShowIndex gives it, which then has nothing to change.
      const DWORD style = BS_RADIOBUTTON | BS_NOTIFY | (i == 0 ? WS_GROUP : 0) |
                          (i == stop ? WS_TABSTOP : 0);
      WindowHandle button = CreateChild({.className = "BUTTON",
                                         .title = items[static_cast<std::size_t>(i)].c_str(),
                                         .style = style,
                                         .at = cell});
      // The items follow their frame, as a dialog lists them: the frame's mnemonic moves the
      // focus on to the group's tab stop, and a screen reader meets the caption first. The
      // frame is transparent, so it does not hide them.
      PlaceBelow(button.Get(), previous);
      previous = button.Get();
      SendMessageA(button.Get(), WM_SETFONT, reinterpret_cast<WPARAM>(CurrentFont()), FALSE);
      buttons_.push_back(std::move(button));
    }
    if (!group_.Hint().empty()) ApplyHint();
    ShowIndex();
  }

  void ShowIndex() {
    const int index = group_.ItemIndex();
    const int count = static_cast<int>(buttons_.size());
    if (shown_ >= 0 && shown_ < count && shown_ != index) {
      SendMessageA(buttons_[static_cast<std::size_t>(shown_)].Get(), BM_SETCHECK, BST_UNCHECKED, 0);
    }
    if (index >= 0 && index < count) {
      SendMessageA(buttons_[static_cast<std::size_t>(index)].Get(), BM_SETCHECK, BST_CHECKED, 0);
    }
    shown_ = index;
    const int stop = TabStop();
    for (int i = 0; i < count; ++i) {
      HWND button = buttons_[static_cast<std::size_t>(i)].Get();
      const LONG_PTR style = GetWindowLongPtrA(button, GWL_STYLE);
      const LONG_PTR wanted = i == stop ? (style | WS_TABSTOP) : (style & ~LONG_PTR{WS_TABSTOP});
      if (wanted != style) SetWindowLongPtrA(button, GWL_STYLE, wanted);
    }
  }

  // Tab reaches the group at its selected item, or at the first while none is selected.
  int TabStop() const {
    const int index = group_.ItemIndex();
    return index >= 0 && index < static_cast<int>(group_.Items().size()) ? index : 0;
  }

  RadioGroup& group_;
  std::vector<WindowHandle> buttons_;
  int shown_ = -1;
};

// The box does not check itself: a click asks the model, and the model's state is what shows.
class CheckBoxPeer : public WindowPeer {
 public:
  CheckBoxPeer(std::shared_ptr<FormPeer> form, CheckBox& box)
      : WindowPeer(std::move(form), box), box_(box) {
    Adopt(CreateChild(Shape("BUTTON", BS_CHECKBOX | BS_NOTIFY | WS_TABSTOP)));
    ShowCheck();
  }

  void Changed(Change what) override {
    if (what != Change::Checked) return WindowPeer::Changed(what);
    ShowCheck();
  }

  void Command(HWND from, int code) override {
    if (code == BN_CLICKED) {
      if (EnabledOnForm()) box_.UserClick();
    } else if (code == BN_SETFOCUS) {
      Form().FocusArrived(from);
    }
  }

 private:
  void ShowCheck() {
    SendMessageA(Window(), BM_SETCHECK, box_.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
  }

  CheckBox& box_;
};

// An owner-drawn button: flat on the face, an edge while the pointer is over it or it is held
// down, and the glyph in the middle. It is no tab stop.
class SpeedButtonPeer final : public WindowPeer {
 public:
  SpeedButtonPeer(std::shared_ptr<FormPeer> form, SpeedButton& button)
      : WindowPeer(std::move(form), button), button_(button) {
    Adopt(CreateChild(Shape("BUTTON", BS_OWNERDRAW)));
    // Owner-drawn, the button would read as a plain one without a name.
    reader_.Attach(Window(), {.role = ROLE_SYSTEM_PUSHBUTTON,
                              .name = [this] { return button_.AccessibleName(); },
                              .action = "Press",
                              .act = [this] { if (EnabledOnForm()) button_.UserClick(); }});
  }

  void Changed(Change what) override {
    if (what != Change::Picture) return WindowPeer::Changed(what);
    InvalidateRect(Window(), nullptr, FALSE);
  }

  void Command(HWND, int code) override {
    if (code == BN_CLICKED && EnabledOnForm()) button_.UserClick();
  }

  bool DrawItem(const DRAWITEMSTRUCT& item) override {
    HDC dc = item.hDC;
    RECT face = item.rcItem;
    FillRect(dc, &face, GetSysColorBrush(COLOR_BTNFACE));
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    if (pressed) {
      DrawEdge(dc, &face, BDR_SUNKENOUTER, BF_RECT);
    } else if (hot_) {
      DrawEdge(dc, &face, BDR_RAISEDINNER, BF_RECT);
    }
    auto* glyph = reinterpret_cast<HICON>(button_.Glyph());
    if (glyph == nullptr) return true;
    ICONINFO info{};
    if (GetIconInfo(glyph, &info) == 0) return true;
    // GetIconInfo hands over copies of both pictures.
    const BitmapHandle mask(info.hbmMask);
    const BitmapHandle colour(info.hbmColor);
    BITMAP shape{};
    GetObjectA(info.hbmMask, sizeof shape, &shape);
    const int glyphWidth = shape.bmWidth;
    const int glyphHeight = info.hbmColor != nullptr ? shape.bmHeight : shape.bmHeight / 2;
    const int shift = pressed ? 1 : 0;
    const int x = face.left + (face.right - face.left - glyphWidth) / 2 + shift;
    const int y = face.top + (face.bottom - face.top - glyphHeight) / 2 + shift;
    UINT state = (item.itemState & ODS_DISABLED) != 0 ? DSS_DISABLED : DSS_NORMAL;
    // In high contrast the picture's own colours give way: its shape in the scheme's text colour.
    BrushHandle ink;
    if (const std::optional<std::uint32_t> color = GlyphColor(); color && state == DSS_NORMAL) {
      ink = BrushHandle(CreateSolidBrush(static_cast<COLORREF>(*color)));
      if (ink.Get() != nullptr) state = DSS_MONO;
    }
    DrawStateA(dc, ink.Get(), nullptr, reinterpret_cast<LPARAM>(glyph), 0, x, y, 0, 0,
               DST_ICON | state);
    return true;
  }

  bool Mouse(HWND window, UINT message, WPARAM, LPARAM) override {
    if (message == WM_MOUSEMOVE) tip_.Hover(window, button_.AccessibleName());
    if (message == WM_MOUSEMOVE && !hot_) {
      TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
      hot_ = TrackMouseEvent(&track) != 0;
      InvalidateRect(window, nullptr, FALSE);
      return true;
    }
    if (message == WM_MOUSELEAVE) {
      hot_ = false;
      InvalidateRect(window, nullptr, FALSE);
      return true;
    }
    return false;
  }

 private:
  SpeedButton& button_;
  bool hot_ = false;
  ToolTip tip_;
  AccessibleWindow reader_;
};

}  // namespace

std::span<const PeerKind> ButtonPeers() {
  static const PeerKind kinds[] = {
      KindOf<ButtonPeer, Button>(),         KindOf<CheckBoxPeer, CheckBox>(),
      KindOf<RadioGroupPeer, RadioGroup>(), KindOf<GroupBoxPeer, GroupBox>(),
      KindOf<SpeedButtonPeer, SpeedButton>(),
  };
  return kinds;
}

}  // namespace tarnwick::ui::win32
