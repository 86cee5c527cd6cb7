#include "ui/win32/ControlPeers.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>
#include <utility>
#include <vector>

#include "ui/Button.h"
#include "ui/CheckBox.h"
#include "ui/Label.h"
#include "ui/Image.h"
#include "ui/ListBox.h"
#include "ui/Menu.h"
#include "ui/RadioGroup.h"
#include "ui/win32/Dpi.h"
#include "ui/win32/DrawnPeers.h"
#include "ui/win32/FormPeer.h"

namespace tarnwick::ui::win32 {
namespace {

// A group box draws only its frame and caption. Everything else of it must come from the
// panel beneath, which would leave that area out (WS_CLIPSIBLINGS) unless the box is
// transparent.
constexpr DWORD kSeeThrough = WS_EX_TRANSPARENT;

// The height of a line of text in `font`, which decides where a radio group's items go.
int TextHeight(HWND window, HFONT font) {
  HDC dc = GetDC(window);
  if (dc == nullptr) return Scaled(13);
  HGDIOBJ previous = SelectObject(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICA metrics{};
  const bool measured = GetTextMetricsA(dc, &metrics) != 0;
  SelectObject(dc, previous);
  ReleaseDC(window, dc);
  return measured ? metrics.tmHeight : Scaled(13);
}

// --- Containers ---------------------------------------------------------------------------------

class TabControlPeer : public WindowPeer {
 public:
  TabControlPeer(std::shared_ptr<FormPeer> form, TabControl& control)
      : WindowPeer(std::move(form), control) {
    // Without tabs it is only the panel's frame, so it never takes the focus from its contents.
    Adopt(CreateChild(WC_TABCONTROLA, control.Caption().c_str(), TCS_FOCUSNEVER, 0, FormBounds()));
  }

  // The pane as the tab control draws it (themed panes are not the button face), so that the
  // controls on it can fill their backgrounds with the same picture.
  HBRUSH PaneBrush() override {
    if (brush_.Get() != nullptr) return brush_.Get();
    RECT client{};
    GetClientRect(Window(), &client);
    if (client.right <= 0 || client.bottom <= 0) return nullptr;
    HDC screen = GetDC(Window());
    if (screen == nullptr) return nullptr;
    HDC memory = CreateCompatibleDC(screen);
    BitmapHandle picture(CreateCompatibleBitmap(screen, client.right, client.bottom));
    if (memory != nullptr && picture.Get() != nullptr) {
      HGDIOBJ previous = SelectObject(memory, picture.Get());
      SendMessageA(Window(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory),
                   PRF_ERASEBKGND | PRF_CLIENT);
      SelectObject(memory, previous);
      brush_ = BrushHandle(CreatePatternBrush(picture.Get()));
      picture_ = std::move(picture);
    }
    if (memory != nullptr) DeleteDC(memory);
    ReleaseDC(Window(), screen);
    return brush_.Get();
  }

  void FormResized() override { AppearanceChanged(); }
  void AppearanceChanged() override {
    brush_.Reset();
    picture_.Reset();
  }

 private:
  BitmapHandle picture_;
  BrushHandle brush_;
};

class GroupBoxPeer : public WindowPeer {
 public:
  GroupBoxPeer(std::shared_ptr<FormPeer> form, GroupBox& control)
      : WindowPeer(std::move(form), control) {
    Adopt(CreateChild("BUTTON", control.Caption().c_str(), BS_GROUPBOX | WS_GROUP,
                      kSeeThrough, FormBounds()));
  }
};

class StatusBarPeer : public WindowPeer {
 public:
  StatusBarPeer(std::shared_ptr<FormPeer> form, StatusBar& control)
      : WindowPeer(std::move(form), control) {
    // It sizes itself and keeps to the bottom of the form's client area.
    Adopt(CreateChild(STATUSCLASSNAMEA, control.Caption().c_str(), CCS_BOTTOM, 0, FormBounds()));
  }
  void FormResized() override { SendMessageA(Window(), WM_SIZE, 0, 0); }
};

// --- Push button ----------------------------------------------------------------------------------

class ButtonPeer : public WindowPeer {
 public:
  ButtonPeer(std::shared_ptr<FormPeer> form, Button& button)
      : WindowPeer(std::move(form), button), button_(button) {
    const DWORD kind = button.Default() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    Adopt(CreateChild("BUTTON", button.Caption().c_str(), kind | WS_TABSTOP | WS_GROUP, 0,
                      FormBounds()));
  }

  void Command(HWND, int code) override {
    // BM_CLICK reaches a button that its disabled container has disabled; the user cannot.
    if (code == BN_CLICKED && EnabledOnForm()) button_.UserClick();
  }

 private:
  Button& button_;
};

// --- Radio group ----------------------------------------------------------------------------------

// A group box with one radio button per item. The buttons do not check themselves: a click
// asks the model, and the model's index is what shows.
class RadioGroupPeer : public WindowPeer {
 public:
  RadioGroupPeer(std::shared_ptr<FormPeer> form, RadioGroup& group)
      : WindowPeer(std::move(form), group), group_(group) {
    Adopt(CreateChild("BUTTON", group.Caption().c_str(), BS_GROUPBOX | WS_GROUP, kSeeThrough,
                      FormBounds()));
    BuildButtons();
  }
  ~RadioGroupPeer() override { DiscardButtons(); }

  void Changed(Change what) override {
    switch (what) {
      case Change::ItemIndex:
        ShowIndex();
        break;
      case Change::Items:
        BuildButtons();
        break;
      case Change::Font:
        WindowPeer::Changed(what);
        BuildButtons();  // the items' places depend on the font's height
        break;
      default:
        WindowPeer::Changed(what);
    }
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
    for (int i = 0; i < count; ++i) {
      const Bounds cell{frame.left + Scaled(8) + (i / rows) * columnWidth,
                        firstRow + (i % rows) * rowHeight, columnWidth, rowHeight};
      const DWORD style = BS_RADIOBUTTON | BS_NOTIFY | (i == 0 ? WS_GROUP : 0);
      WindowHandle button =
          CreateChild("BUTTON", items[static_cast<std::size_t>(i)].c_str(), style, 0, cell);
      // The items follow their frame, as a dialog lists them: the frame's mnemonic moves the
      // focus on to the group's tab stop, and a screen reader meets the caption first. The
      // frame is transparent, so it does not hide them.
      PlaceBelow(button.Get(), previous);
      previous = button.Get();
      SendMessageA(button.Get(), WM_SETFONT, reinterpret_cast<WPARAM>(CurrentFont()), FALSE);
      buttons_.push_back(std::move(button));
    }
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
    // Tab reaches the group at its selected item, or at the first while none is selected.
    const int stop = index >= 0 && index < count ? index : 0;
    for (int i = 0; i < count; ++i) {
      HWND button = buttons_[static_cast<std::size_t>(i)].Get();
      const LONG_PTR style = GetWindowLongPtrA(button, GWL_STYLE);
      const LONG_PTR wanted = i == stop ? (style | WS_TABSTOP) : (style & ~LONG_PTR{WS_TABSTOP});
      if (wanted != style) SetWindowLongPtrA(button, GWL_STYLE, wanted);
    }
  }

  RadioGroup& group_;
  std::vector<WindowHandle> buttons_;
  int shown_ = -1;
};

// --- Check box ------------------------------------------------------------------------------------

// The box does not check itself: a click asks the model, and the model's state is what shows.
class CheckBoxPeer : public WindowPeer {
 public:
  CheckBoxPeer(std::shared_ptr<FormPeer> form, CheckBox& box)
      : WindowPeer(std::move(form), box), box_(box) {
    Adopt(CreateChild("BUTTON", box.Caption().c_str(), BS_CHECKBOX | BS_NOTIFY | WS_TABSTOP, 0,
                      FormBounds()));
    ShowCheck();
  }

  void Changed(Change what) override {
    if (what == Change::Checked) {
      ShowCheck();
    } else {
      WindowPeer::Changed(what);
    }
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

// --- Label ----------------------------------------------------------------------------------------

// Static text, as wide and high as its text when the layout gives no size. A label that listens
// to the pointer is told of clicks, moves and the pointer leaving.
class LabelPeer : public WindowPeer {
 public:
  LabelPeer(std::shared_ptr<FormPeer> form, Label& label)
      : WindowPeer(std::move(form), label), label_(label) {
    const DWORD notify = label.WantsMouse() ? SS_NOTIFY : 0;
    Adopt(CreateChild("STATIC", label.Caption().c_str(), SS_LEFT | SS_NOPREFIX | notify, 0,
                      FormBounds()));
    FitToText();
  }

  void Changed(Change what) override {
    WindowPeer::Changed(what);
    if (what == Change::Caption || what == Change::Font) FitToText();
  }

  void Command(HWND, int code) override {
    if (code == STN_CLICKED) label_.UserClick();
  }

  bool Mouse(HWND window, UINT message, WPARAM, LPARAM lParam) override {
    if (message == WM_MOUSEMOVE) {
      if (!tracking_) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
        tracking_ = TrackMouseEvent(&track) != 0;
      }
      label_.UserMouseMove(ShiftState(), static_cast<short>(LOWORD(lParam)),
                           static_cast<short>(HIWORD(lParam)));
      // A move can be read after the pointer has gone on. Windows then posts the leave at once;
      // Wine posts none while the pointer is over another window, so it is told here.
      POINT at{};
      if (GetCursorPos(&at) && WindowFromPoint(at) != window) {
        tracking_ = false;
        label_.UserMouseLeave();
      }
      return true;
    }
    if (message == WM_MOUSELEAVE) {
      tracking_ = false;
      label_.UserMouseLeave();
      return true;
    }
    return false;
  }

  bool SetCursorOver() override {
    if (label_.GetCursor() != Cursor::HandPoint) return false;
    SetCursor(LoadCursorA(nullptr, IDC_HAND));
    return true;
  }

 protected:
  // A label's text keeps its ampersands.
  void ApplyCaption() override { SetWindowTextA(Window(), label_.Caption().c_str()); }

 private:
  void FitToText() {
    const Bounds at = FormBounds();
    if (label_.GetBounds().width > 0 && label_.GetBounds().height > 0) return;
    HDC dc = GetDC(Window());
    if (dc == nullptr) return;
    HGDIOBJ previous = SelectObject(dc, CurrentFont());
    RECT text{0, 0, 0, 0};
    DrawTextA(dc, label_.Caption().c_str(), -1, &text, DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE);
    SelectObject(dc, previous);
    ReleaseDC(Window(), dc);
    SetWindowPos(Window(), nullptr, at.left, at.top, text.right, text.bottom,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }

  Label& label_;
  bool tracking_ = false;
};

// --- List box ----------------------------------------------------------------------------------

class ListBoxPeer : public WindowPeer {
 public:
  ListBoxPeer(std::shared_ptr<FormPeer> form, ListBox& list)
      : WindowPeer(std::move(form), list), list_(list) {
    Adopt(CreateChild("LISTBOX", "",
                      WS_VSCROLL | WS_TABSTOP | WS_GROUP | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY,
                      WS_EX_CLIENTEDGE, FormBounds()));
    Refill();
  }

  void Changed(Change what) override {
    switch (what) {
      case Change::ItemAdded:
        AddLast();
        break;
      case Change::Items:
        Refill();
        break;
      default:
        WindowPeer::Changed(what);
    }
  }

  void Command(HWND from, int code) override {
    if (code == LBN_SETFOCUS) Form().FocusArrived(from);
  }

 protected:
  void ApplyFont() override {
    WindowPeer::ApplyFont();
    // The font resets the item height, so it comes after.
    SendMessageA(Window(), LB_SETITEMHEIGHT, 0, Scaled(list_.ItemHeight()));
  }

 private:
  void AddLast() {
    if (list_.Items().empty()) return;
    const LRESULT index =
        SendMessageA(Window(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(list_.Items().back().c_str()));
    // The newest line is the one to read.
    if (index >= 0) SendMessageA(Window(), LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
  }

  void Refill() {
    HWND window = Window();
    SendMessageA(window, WM_SETREDRAW, FALSE, 0);
    SendMessageA(window, LB_RESETCONTENT, 0, 0);
    for (const std::string& line : list_.Items()) {
      SendMessageA(window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    }
    if (!list_.Items().empty()) {
      SendMessageA(window, LB_SETTOPINDEX, list_.Items().size() - 1, 0);
    }
    SendMessageA(window, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(window, nullptr, TRUE);
  }

  ListBox& list_;
};

// --- Picture ------------------------------------------------------------------------------------

class ImagePeer : public WindowPeer {
 public:
  ImagePeer(std::shared_ptr<FormPeer> form, Image& image)
      : WindowPeer(std::move(form), image), image_(image) {
    // Centred, the control keeps its own size instead of taking the icon's.
    Adopt(CreateChild("STATIC", "", SS_ICON | SS_CENTERIMAGE, 0, FormBounds()));
    ShowPicture();
  }

  void Changed(Change what) override {
    if (what == Change::Picture) {
      ShowPicture();
    } else {
      WindowPeer::Changed(what);
    }
  }

 protected:
  // An icon control would read its text as the name of an icon resource.
  void ApplyCaption() override {}

 private:
  // The model does not own its icons, and neither does the control.
  void ShowPicture() {
    SendMessageA(Window(), STM_SETICON, reinterpret_cast<WPARAM>(image_.Picture()), 0);
  }

  Image& image_;
};

}  // namespace

unsigned ShiftState() {
  unsigned shift = 0;
  if (GetKeyState(VK_SHIFT) < 0) shift |= kShiftKey;
  if (GetKeyState(VK_MENU) < 0) shift |= kAltKey;
  if (GetKeyState(VK_CONTROL) < 0) shift |= kCtrlKey;
  return shift;
}

// --- WindowPeer ---------------------------------------------------------------------------------

WindowPeer::WindowPeer(std::shared_ptr<FormPeer> form, Control& control)
    : form_(std::move(form)), control_(control) {
  if (!SameFont(control.GetFont(), Font{})) ownFont_ = MakeFont(control.GetFont());
}

WindowPeer::~WindowPeer() { Discard(window_); }

void WindowPeer::Changed(Change what) {
  switch (what) {
    case Change::Caption:
      ApplyCaption();
      break;
    case Change::Visible:
      ApplyVisible();
      break;
    case Change::Enabled:
      ApplyEnabled();
      break;
    case Change::Font: {
      // The old font goes only after the window has the new one.
      FontHandle previous = std::move(ownFont_);
      if (!SameFont(control_.GetFont(), Font{})) ownFont_ = MakeFont(control_.GetFont());
      ApplyFont();
      break;
    }
    default:
      break;
  }
}

bool WindowPeer::ContextMenu(HWND from, int x, int y) {
  PopupMenu* menu = control_.ContextMenu();
  if (menu == nullptr) return false;
  if (x == -1 && y == -1) {  // Shift+F10 or the menu key: open it at the control
    RECT rect{};
    GetWindowRect(from, &rect);
    x = rect.left + Scaled(8);
    y = rect.top + Scaled(8);
  }
  menu->Popup(x, y);
  return true;
}

DWORD WindowPeer::ChildStyle(DWORD style) const {
  style |= WS_CHILD | WS_CLIPSIBLINGS;
  if (ShownOnForm()) style |= WS_VISIBLE;
  if (!EnabledOnForm()) style |= WS_DISABLED;
  return style;
}

WindowHandle WindowPeer::CreateBoundChild(BoundWindow& binding, const char* className, DWORD style,
                                          DWORD exStyle, const Bounds& at, HCURSOR cursor) {
  BoundWindow::Shape shape;
  shape.className = className;
  shape.style = ChildStyle(style);
  shape.exStyle = exStyle;
  shape.owner = reinterpret_cast<platform::HWND>(form_->Window());
  shape.x = at.left;
  shape.y = at.top;
  shape.width = at.width;
  shape.height = at.height;
  // We paint every pixel ourselves; the brush only shows before the first paint.
  shape.background = reinterpret_cast<os::HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  shape.cursor = reinterpret_cast<os::HCURSOR>(cursor);
  HWND window = ToNative<HWND>(binding.CreateChild(shape, form_->NextControlId()));
  form_->Register(window, *this);
  return WindowHandle(window);
}

WindowHandle WindowPeer::CreateChild(const char* className, const char* text, DWORD style,
                                     DWORD exStyle, const Bounds& at) {
  style = ChildStyle(style);
  const int id = form_->NextControlId();
  HWND window = CreateWindowExA(exStyle, className, text, style, at.left, at.top, at.width,
                                at.height, form_->Window(),
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                GetModuleHandleA(nullptr), nullptr);
  if (window == nullptr) {
    throw std::runtime_error("Cannot create the control " +
                             (control_.Name().empty() ? std::string(className) : control_.Name()));
  }
  form_->Register(window, *this);
  return WindowHandle(window);
}

void WindowPeer::Discard(WindowHandle& window) {
  if (window.Get() == nullptr) return;
  form_->Unregister(window.Get());
  window.Reset();
}

void WindowPeer::Adopt(WindowHandle window) {
  window_ = std::move(window);
  // Created at the bottom, a window without a container is where it belongs, and so is one
  // whose container is made after it. Only a container that is already there must be passed.
  if (Control* parent = control_.Parent()) {
    if (auto* parentPeer = dynamic_cast<WindowPeer*>(parent->Peer())) {
      PlaceAbove(window_.Get(), parentPeer->Window());
    }
  }
  ApplyFont();
}

void WindowPeer::PlaceAbove(HWND window, HWND anchor) {
  HWND above = GetWindow(anchor, GW_HWNDPREV);
  if (above == window) return;
  HWND after = above != nullptr ? above : HWND_TOP;
  UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  // Off screen there is nothing to redraw; the form paints it all when it is shown.
  if (IsWindowVisible(window) == 0) flags |= SWP_NOREDRAW | SWP_DEFERERASE;
  SetWindowPos(window, after, 0, 0, 0, 0, flags);
}

void WindowPeer::PlaceBelow(HWND window, HWND anchor) {
  if (GetWindow(anchor, GW_HWNDNEXT) == window) return;
  UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  if (IsWindowVisible(window) == 0) flags |= SWP_NOREDRAW | SWP_DEFERERASE;
  SetWindowPos(window, anchor, 0, 0, 0, 0, flags);
}

Bounds WindowPeer::FormBounds() const {
  Bounds at = control_.GetBounds();
  for (const Control* parent = control_.Parent(); parent != nullptr; parent = parent->Parent()) {
    at.left += parent->GetBounds().left;
    at.top += parent->GetBounds().top;
  }
  // Scaled only once the layout's place is summed up, so rounding never adds up along the way.
  return Scaled(at);
}

// A hidden or disabled container hides or disables what it holds, as a real container would.
bool WindowPeer::ShownOnForm() const {
  for (const Control* c = &control_; c != nullptr; c = c->Parent()) {
    if (!c->Visible()) return false;
  }
  return true;
}

bool WindowPeer::EnabledOnForm() const {
  for (const Control* c = &control_; c != nullptr; c = c->Parent()) {
    if (!c->Enabled()) return false;
  }
  return true;
}

HBRUSH WindowPeer::Background(HWND window, HDC dc) {
  const std::uint32_t color = control_.GetFont().color;
  if (color != kDefaultTextColor) SetTextColor(dc, static_cast<COLORREF>(color));
  for (Control* parent = control_.Parent(); parent != nullptr; parent = parent->Parent()) {
    auto* peer = dynamic_cast<WindowPeer*>(parent->Peer());
    HBRUSH pane = peer != nullptr ? peer->PaneBrush() : nullptr;
    if (pane == nullptr) continue;
    // Both are children of the form; the pattern starts at the pane's corner.
    RECT own{};
    RECT under{};
    GetWindowRect(window, &own);
    GetWindowRect(peer->Window(), &under);
    SetBrushOrgEx(dc, under.left - own.left, under.top - own.top, nullptr);
    SetBkMode(dc, TRANSPARENT);
    return pane;
  }
  if (color == kDefaultTextColor) return nullptr;
  // The default handling would set the text colour back; the face is what it would paint.
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return GetSysColorBrush(COLOR_BTNFACE);
}

HFONT WindowPeer::CurrentFont() const {
  return ownFont_.Get() != nullptr ? ownFont_.Get() : form_->DefaultFont();
}

void WindowPeer::ApplyVisible() {
  ShowWindow(window_.Get(), ShownOnForm() ? SW_SHOWNA : SW_HIDE);
  for (Control* child : control_.Children()) {
    if (auto* peer = dynamic_cast<WindowPeer*>(child->Peer())) peer->ApplyVisible();
  }
}

void WindowPeer::ApplyEnabled() {
  EnableWindow(window_.Get(), EnabledOnForm());
  for (Control* child : control_.Children()) {
    if (auto* peer = dynamic_cast<WindowPeer*>(child->Peer())) peer->ApplyEnabled();
  }
}

void WindowPeer::ApplyFont() {
  const BOOL redraw = IsWindowVisible(window_.Get());  // a hidden control is painted when shown
  SendMessageA(window_.Get(), WM_SETFONT, reinterpret_cast<WPARAM>(CurrentFont()), redraw);
}

void WindowPeer::ApplyCaption() { SetWindowTextA(window_.Get(), control_.Caption().c_str()); }

std::unique_ptr<ControlPeer> MakeControlPeer(std::shared_ptr<FormPeer> form, Control& control) {
  if (auto* group = dynamic_cast<RadioGroup*>(&control)) {
    return std::make_unique<RadioGroupPeer>(std::move(form), *group);
  }
  if (auto* button = dynamic_cast<Button*>(&control)) {
    return std::make_unique<ButtonPeer>(std::move(form), *button);
  }
  if (auto* box = dynamic_cast<CheckBox*>(&control)) {
    return std::make_unique<CheckBoxPeer>(std::move(form), *box);
  }
  if (auto* label = dynamic_cast<Label*>(&control)) {
    return std::make_unique<LabelPeer>(std::move(form), *label);
  }
  if (auto* list = dynamic_cast<ListBox*>(&control)) {
    return std::make_unique<ListBoxPeer>(std::move(form), *list);
  }
  if (auto* image = dynamic_cast<Image*>(&control)) {
    return std::make_unique<ImagePeer>(std::move(form), *image);
  }
  if (auto* memo = dynamic_cast<Memo*>(&control)) return MakeMemoPeer(std::move(form), *memo);
  if (auto* gauge = dynamic_cast<Gauge*>(&control)) return MakeGaugePeer(std::move(form), *gauge);
  if (auto* speed = dynamic_cast<SpeedButton*>(&control)) {
    return MakeSpeedButtonPeer(std::move(form), *speed);
  }
  if (auto* tab = dynamic_cast<TabControl*>(&control)) {
    return std::make_unique<TabControlPeer>(std::move(form), *tab);
  }
  if (auto* box = dynamic_cast<GroupBox*>(&control)) {
    return std::make_unique<GroupBoxPeer>(std::move(form), *box);
  }
  if (auto* bar = dynamic_cast<StatusBar*>(&control)) {
    return std::make_unique<StatusBarPeer>(std::move(form), *bar);
  }
  return nullptr;
}

}  // namespace tarnwick::ui::win32
