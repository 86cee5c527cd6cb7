#include "ui/win32/FormPeer.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "ui/Application.h"
#include "ui/Button.h"
#include "ui/win32/Dpi.h"
#include "ui/win32/MenuPeer.h"
#include "ui/win32/WindowPeer.h"

namespace tarnwick::ui::win32 {
namespace {

constexpr int kFirstControlId = 1000;

HWND NativeWindow(Form& form) { return ToNative<HWND>(form.Handle()); }

bool IsArrowKey(WPARAM key) {
  return key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
}

// Signed screen coordinates from a message's lParam.
int LowSigned(LPARAM value) { return static_cast<short>(LOWORD(value)); }
int HighSigned(LPARAM value) { return static_cast<short>(HIWORD(value)); }

}  // namespace

FormPeer::FormPeer(Form& form)
    : form_(form),
      window_(NativeWindow(form)),
      font_(MakeFont(form.GetFont())),
      nextControlId_(kFirstControlId) {
  // The menu bar changes the frame, so with it on first the frame is sized only once.
  if (MainMenu* menu = form.Menu()) menu_ = std::make_unique<MenuBarPeer>(window_, *menu);
  FitToClientSize();
}

FormPeer::~FormPeer() = default;

void FormPeer::SetHint(UINT_PTR tool, const RECT& area, const std::string& text) {
  if (hints_.Get() == nullptr) {
    if (text.empty()) return;
    hints_ = WindowHandle(CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                          WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_,
                                          nullptr, GetModuleHandleA(nullptr), nullptr));
    if (hints_.Get() == nullptr) return;
  }
  TTTOOLINFOA info{};
  info.cbSize = TTTOOLINFOA_V2_SIZE;  // what every version of the common controls takes
  info.hwnd = window_;
  info.uId = tool;
  SendMessageA(hints_.Get(), TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
  if (text.empty()) return;
  info.uFlags = TTF_SUBCLASS;
  info.rect = area;
  info.lpszText = const_cast<char*>(text.c_str());  // copied by the tooltip
  SendMessageA(hints_.Get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

void FormPeer::Register(HWND window, WindowPeer& peer) { peers_[window] = &peer; }

void FormPeer::Unregister(HWND window) {
  peers_.erase(window);
  for (HWND* known : {&lastFocus_, &keyboardTakenFrom_, &keyboardHeldAt_}) {
    if (*known == window) *known = nullptr;
  }
}

WindowPeer* FormPeer::PeerOf(HWND window) const {
  const auto found = peers_.find(window);
  return found != peers_.end() ? found->second : nullptr;
}

void FormPeer::FocusArrived(HWND window) {
  if (WindowPeer* peer = PeerOf(window)) {
    form_.SetFocusedControl(&peer->Model());
    lastFocus_ = window;
    ShowDefaultFrame(window);
  }
}

void FormPeer::TakeKeyboardFrom(HWND window) {
  SetFocus(window_);  // on to the next control that takes it
  // One that only held it for another passes that on: the first gets it back.
  if (keyboardTakenFrom_ == nullptr || window != keyboardHeldAt_) keyboardTakenFrom_ = window;
  keyboardHeldAt_ = GetFocus();
}

void FormPeer::GiveKeyboardBack(HWND window) {
  if (window != keyboardTakenFrom_) return;
  keyboardTakenFrom_ = nullptr;
  HWND focus = GetFocus();
  if (focus == keyboardHeldAt_) {
    SetFocus(window);
  } else if (!Owns(focus) && lastFocus_ == keyboardHeldAt_) {
    lastFocus_ = window;  // the form is not active: the keyboard comes back with it
  }
}

// As in a dialog, the frame shows what Enter presses: the push button that has the keyboard,
// otherwise the form's default button.
void FormPeer::ShowDefaultFrame(HWND focus) {
  const auto pushButton = [this](HWND window) -> Button* {
    WindowPeer* peer = PeerOf(window);
    return peer != nullptr && peer->Window() == window ? dynamic_cast<Button*>(&peer->Model())
                                                       : nullptr;
  };
  HWND framed = pushButton(focus) != nullptr ? focus : nullptr;
  for (const auto& [window, peer] : peers_) {
    const Button* button = pushButton(window);
    if (framed == nullptr && button != nullptr && button->Default()) framed = window;
  }
  for (const auto& [window, peer] : peers_) {
    if (pushButton(window) == nullptr) continue;
    const LONG_PTR wanted = window == framed ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    if ((GetWindowLongPtrA(window, GWL_STYLE) & BS_TYPEMASK) != wanted) {
      SendMessageA(window, BM_SETSTYLE, static_cast<WPARAM>(wanted), TRUE);
    }
  }
}

namespace {

// Centred in the work area; one larger than it starts at its top left, so that its title bar is
// always there to take hold of.
RECT Centred(int width, int height) {
  RECT work{};
  if (SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0) == 0) {
    work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  const int x = work.left + std::max<LONG>(0, (work.right - work.left - width) / 2);
  const int y = work.top + std::max<LONG>(0, (work.bottom - work.top - height) / 2);
  return {x, y, x + width, y + height};
}

}  // namespace

RECT FormFrame(const Bounds& client, DWORD style, DWORD exStyle, bool menu) {
  RECT frame{0, 0, client.width, client.height};
  AdjustWindowRectEx(&frame, style, menu, exStyle);
  return Centred(frame.right - frame.left, frame.bottom - frame.top);
}

void FormPeer::FitToClientSize() {
  const Bounds client = Scaled(form_.ClientSize());
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrA(window_, GWL_STYLE));
  const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrA(window_, GWL_EXSTYLE));
  RECT frame = FormFrame(client, style, exStyle, GetMenu(window_) != nullptr);
  const auto place = [&] {
    SetWindowPos(window_, nullptr, frame.left, frame.top, frame.right - frame.left,
                 frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  };
  // A window made where its frame goes (the backend places forms so) stays.
  RECT now{};
  GetWindowRect(window_, &now);
  if (!EqualRect(&now, &frame)) place();
  // A menu bar that wraps onto a second line is taller than AdjustWindowRectEx assumes.
  RECT actual{};
  GetClientRect(window_, &actual);
  const int wider = client.width - (actual.right - actual.left);
  const int taller = client.height - (actual.bottom - actual.top);
  if (wider != 0 || taller != 0) {
    frame = Centred(frame.right - frame.left + wider, frame.bottom - frame.top + taller);
    place();
  }
}

std::optional<LRESULT> FormPeer::Hook(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case DM_GETDEFID:
      // Our own IsDialogMessage asks, with the number of a second start's WM_USER. Answered here,
      // as DefWindowProc would, it never reaches the form to be taken for that.
      if (askedForDefault_) return 0;
      return std::nullopt;
    case WM_COMMAND: {
      if (lParam == 0) {
        if (HIWORD(wParam) == 0 && menu_ != nullptr && menu_->Command(LOWORD(wParam))) return 0;
        return std::nullopt;
      }
      HWND from = reinterpret_cast<HWND>(lParam);
      WindowPeer* peer = PeerOf(from);
      // IsDialogMessage sends IDOK with the focused control as the sender; that is no
      // notification of the control's own.
      if (peer == nullptr || GetDlgCtrlID(from) != LOWORD(wParam)) return std::nullopt;
      peer->Command(from, HIWORD(wParam));
      return 0;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      WindowPeer* peer = item != nullptr ? PeerOf(item->hwndItem) : nullptr;
      if (peer != nullptr && peer->DrawItem(*item)) return TRUE;
      return std::nullopt;
    }
    case WM_CONTEXTMENU: {
      HWND from = reinterpret_cast<HWND>(wParam);
      WindowPeer* peer = PeerOf(from);
      if (peer != nullptr && peer->ContextMenu(from, LowSigned(lParam), HighSigned(lParam))) {
        return 0;
      }
      return std::nullopt;
    }
    case WM_NEXTDLGCTL: {
      // IsDialogMessage moves the focus as it would in a dialog: onto a control, or on to the
      // next or previous tab stop. A group box's mnemonic does both, which lands on the
      // group's chosen item (its tab stop).
      HWND target = LOWORD(lParam) != 0 ? reinterpret_cast<HWND>(wParam)
                                        : GetNextDlgTabItem(window_, GetFocus(), wParam != 0);
      if (target != nullptr && Owns(target)) SetFocus(target);
      return 0;
    }
    case WM_SETCURSOR: {
      // A busy program shows the hourglass over every window of its own.
      Application* app = Application::Current();
      if (app != nullptr && app->GetCursor() == Cursor::HourGlass) {
        SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        return TRUE;
      }
      WindowPeer* peer = PeerOf(reinterpret_cast<HWND>(wParam));
      if (LOWORD(lParam) == HTCLIENT && peer != nullptr && peer->SetCursorOver()) return TRUE;
      return std::nullopt;
    }
    case WM_NCACTIVATE:
      // A hidden frame is painted whole when it is shown; painting it now is wasted.
      if (IsWindowVisible(window_) == 0) return DefWindowProcA(window_, message, wParam, -1);
      return std::nullopt;
    case WM_INITMENUPOPUP:
      if (menu_ != nullptr) menu_->InitPopup(reinterpret_cast<HMENU>(wParam));
      return std::nullopt;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      HWND from = reinterpret_cast<HWND>(lParam);
      WindowPeer* peer = PeerOf(from);
      HBRUSH brush = peer != nullptr ? peer->Background(from, reinterpret_cast<HDC>(wParam)) : nullptr;
      if (brush == nullptr) return std::nullopt;
      return reinterpret_cast<LRESULT>(brush);
    }
    case WM_SIZE:
      for (const auto& [window, peer] : peers_) {
        if (window == peer->Window()) peer->FormResized();
      }
      return std::nullopt;
    case WM_THEMECHANGED:
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:  // high contrast switched on or off
      for (const auto& [window, peer] : peers_) {
        if (window == peer->Window()) peer->AppearanceChanged();
        // The common controls hear of new colours only from their form.
        if (message == WM_SYSCOLORCHANGE) SendMessageA(window, message, wParam, lParam);
      }
      // Every colour is asked at paint time, so a paint is all it takes.
      RedrawWindow(window_, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
      return std::nullopt;
    case WM_SHOWWINDOW:
      if (wParam != FALSE && GetCursorPos(&shownUnder_) != 0) pointerRests_ = true;
      return std::nullopt;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (PeerOf(focus) != nullptr) lastFocus_ = focus;
      }
      return std::nullopt;
    case WM_SETFOCUS:
      // As a dialog does: the focus goes on to the control that had it last, or the first.
      if (HWND target = FocusTarget()) {
        SetFocus(target);
        return 0;
      }
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

HWND FormPeer::FocusTarget() const {
  // A form restored from the tray takes the focus before it shows: whether the control is shown
  // on it is its own style's say.
  if (lastFocus_ != nullptr && PeerOf(lastFocus_) != nullptr &&
      (GetWindowLongPtrA(lastFocus_, GWL_STYLE) & WS_VISIBLE) != 0 && IsWindowEnabled(lastFocus_)) {
    return lastFocus_;
  }
  return GetNextDlgTabItem(window_, nullptr, FALSE);
}

void FormPeer::SyncFocus() {
  HWND focus = GetFocus();
  WindowPeer* peer = PeerOf(focus);
  form_.SetFocusedControl(peer != nullptr ? &peer->Model() : nullptr);
  if (peer != nullptr) lastFocus_ = focus;
}

bool FormPeer::HandleMouse(const MSG& message) {
  // Windows reports a move when a window appears under a pointer at rest; no control takes it
  // as the pointer coming over it until the pointer has moved.
  if (message.message == WM_MOUSEMOVE && pointerRests_) {
    if (message.pt.x == shownUnder_.x && message.pt.y == shownUnder_.y) return false;
    pointerRests_ = false;
  }
  WindowPeer* peer = PeerOf(message.hwnd);
  return peer != nullptr && peer->Mouse(message.hwnd, message.message, message.wParam, message.lParam);
}

bool FormPeer::HandleKey(MSG& message) {
  // The preview sees the keys pressed with Alt too (Alt+F4 among them): a form that takes them
  // must see them before the system turns them into commands.
  if (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) {
    // The model's focus is checked here, before a key relies on it.
    SyncFocus();
    const int key = static_cast<int>(message.wParam);
    // A key the form takes in its preview reaches neither the dialog keys nor the control.
    if (form_.KeyPreview() && form_.PreviewKey(key, ShiftState())) return true;
  }
  if (message.message == WM_KEYDOWN) {
    const int key = static_cast<int>(message.wParam);
    if (key == VK_ESCAPE || key == VK_RETURN) {
      if (form_.KeyDown(key)) return true;
      // Enter on a focused push button presses that button.
      HWND focus = GetFocus();
      if (key == VK_RETURN && PeerOf(focus) != nullptr &&
          (SendMessageA(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
        SendMessageA(focus, BM_CLICK, 0, 0);
        return true;
      }
    }
  }
  // Tab, Shift+Tab, the arrow keys within a group and the controls' mnemonics.
  HWND before = GetFocus();
  // It asks for the default button only while it handles a key press, where nothing of ours
  // runs a loop of its own (such a loop would dispatch posted messages meanwhile).
  const bool outer = std::exchange(askedForDefault_, message.message == WM_KEYDOWN);
  const bool taken = IsDialogMessageA(window_, &message) != 0;
  askedForDefault_ = outer;
  // It may set the buttons' styles itself as it moves the focus (Wine does on Tab).
  if (HWND focus = GetFocus(); Owns(focus)) ShowDefaultFrame(focus);
  if (message.message == WM_KEYDOWN && IsArrowKey(message.wParam)) {
    HWND after = GetFocus();
    if (after != before) {
      if (WindowPeer* peer = PeerOf(after)) peer->ArrowedInto(after);
    }
  }
  return taken;
}

}  // namespace tarnwick::ui::win32
