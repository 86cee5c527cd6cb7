#include "ui/win32/WindowPeer.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>

#include "ui/Menu.h"
#include "ui/Palette.h"
#include "ui/win32/Dpi.h"
#include "ui/win32/FormPeer.h"

namespace tarnwick::ui::win32 {

unsigned ShiftState() {
  unsigned shift = 0;
  if (GetKeyState(VK_SHIFT) < 0) shift |= kShiftKey;
  if (GetKeyState(VK_MENU) < 0) shift |= kAltKey;
  if (GetKeyState(VK_CONTROL) < 0) shift |= kCtrlKey;
  return shift;
}

WindowPeer::WindowPeer(std::shared_ptr<FormPeer> form, Control& control)
    : form_(std::move(form)), control_(control) {
  if (!SameFont(control.GetFont(), Font{})) ownFont_ = MakeFont(control.GetFont());
}

WindowPeer::~WindowPeer() {
  if (!control_.Hint().empty()) form_->SetHint(reinterpret_cast<UINT_PTR>(this), {}, "");
  Discard(window_);
}

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
    case Change::AccessibleName:
      NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window_.Get(), OBJID_CLIENT, CHILDID_SELF);
      break;
    case Change::Hint:
      ApplyHint();
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
  menu->Popup(x, y, MenuCorner::TopLeft);
  return true;
}

DWORD WindowPeer::ChildStyle(DWORD style) const {
  style |= WS_CHILD | WS_CLIPSIBLINGS;
  if (ShownOnForm()) style |= WS_VISIBLE;
  if (!EnabledOnForm()) style |= WS_DISABLED;
  return style;
}

WindowHandle WindowPeer::CreateChild(WindowShape shape, BoundWindow* binding) {
  shape.style = ChildStyle(shape.style);
  shape.parent = reinterpret_cast<platform::HWND>(form_->Window());
  shape.id = form_->NextControlId();
  HWND window = binding != nullptr ? ToNative<HWND>(binding->Create(shape)) : nullptr;
  if (binding == nullptr) {
    const auto id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(shape.id));
    window = CreateWindowExA(shape.exStyle, shape.className, shape.title, shape.style,
                             shape.at.left, shape.at.top, shape.at.width, shape.at.height,
                             form_->Window(), id, GetModuleHandleA(nullptr), nullptr);
  }
  if (window == nullptr) {
    const std::string name = control_.Name().empty() ? shape.className : control_.Name();
    throw std::runtime_error("Cannot create the control " + name);
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
  // Always the scheme's text colour: a control left with its device context's black vanishes on
  // a dark face.
  SetTextColor(dc, static_cast<COLORREF>(TextColor(control_)));
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
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
  // A control that is disabled while it has the keyboard leaves it nowhere, and the keys typed
  // then would reach neither the form's key preview nor its dialog keys: the form holds it once
  // the control no longer takes it, and gives it back when the control is enabled again.
  HWND focus = GetFocus();
  const bool hadFocus = focus != nullptr && (focus == window_.Get() || IsChild(window_.Get(), focus));
  EnableWindow(window_.Get(), EnabledOnForm());
  for (Control* child : control_.Children()) {
    if (auto* peer = dynamic_cast<WindowPeer*>(child->Peer())) peer->ApplyEnabled();
  }
  if (hadFocus && !EnabledOnForm()) {
    form_->TakeKeyboardFrom(window_.Get());
  } else if (EnabledOnForm()) {
    form_->GiveKeyboardBack(window_.Get());
  }
}

void WindowPeer::ApplyFont() {
  const BOOL redraw = IsWindowVisible(window_.Get());  // a hidden control is painted when shown
  SendMessageA(window_.Get(), WM_SETFONT, reinterpret_cast<WPARAM>(CurrentFont()), redraw);
}

void WindowPeer::ApplyCaption() { SetWindowTextA(window_.Get(), control_.Caption().c_str()); }

void WindowPeer::ApplyHint() {
  const Bounds at = FormBounds();
  form_->SetHint(reinterpret_cast<UINT_PTR>(this),
                 {at.left, at.top, at.left + at.width, at.top + at.height}, control_.Hint());
  if (control_.Hint().empty()) return;
  // A window that went (a radio group makes its buttons anew) takes its describer with it.
  std::erase_if(describers_, [](const auto& d) { return !IsWindow(d->Window()); });
  for (HWND window : ReaderWindows()) {
    if (std::any_of(describers_.begin(), describers_.end(),
                    [&](const auto& d) { return d->Window() == window; })) {
      continue;
    }
    auto describer = std::make_unique<AccessibleWindow>();
    describer->Attach(window, {.description = [this] { return control_.Hint(); }});
    describers_.push_back(std::move(describer));
  }
  for (HWND window : ReaderWindows()) {
    NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, window, OBJID_CLIENT, CHILDID_SELF);
  }
}

}  // namespace tarnwick::ui::win32
