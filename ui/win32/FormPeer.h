#pragma once
// The real side of a form: its frame, size, position and font, the routing of its controls'
// notifications to their peers, its menu bar, and its keyboard interface.
#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "ui/Form.h"
#include "ui/win32/Handles.h"

namespace tarnwick::ui::win32 {

class WindowPeer;
class MenuBarPeer;

// Where the frame of a window of `style` and `exStyle` goes whose client area is `client`, with
// or without a menu bar: centred in the work area.
RECT FormFrame(const Bounds& client, DWORD style, DWORD exStyle, bool menu);

class FormPeer {
 public:
  // Gives the form's window its font, menu bar and size; the backend then routes the window's
  // messages to Hook.
  explicit FormPeer(Form& form);
  ~FormPeer();
  FormPeer(const FormPeer&) = delete;
  FormPeer& operator=(const FormPeer&) = delete;

  Form& GetForm() const { return form_; }
  HWND Window() const { return window_; }
  // The form's font, which every control without a font of its own shows.
  HFONT DefaultFont() const { return font_.Get(); }
  // A control id not used by any other control of this form.
  int NextControlId() { return nextControlId_++; }

  // Notifications from `window` go to `peer` until it is unregistered.
  void Register(HWND window, WindowPeer& peer);
  void Unregister(HWND window);
  WindowPeer* PeerOf(HWND window) const;
  // One of the controls took the focus: the form's model follows, and so does the default frame.
  void FocusArrived(HWND window);
  // `window`, which has the keyboard, is being disabled: the form holds the keyboard meanwhile.
  void TakeKeyboardFrom(HWND window);
  // `window` is enabled again: it gets the keyboard back, unless the keyboard moved on meanwhile.
  void GiveKeyboardBack(HWND window);

  // Shows `text` in a tooltip while the pointer rests over `area` of the form, a control's place;
  // an empty text takes it away. The form's window sees the pointer there also when the control
  // is disabled, which is when a control most needs to say why. `tool` tells the areas apart.
  void SetHint(UINT_PTR tool, const RECT& area, const std::string& text);

  // Sizes the window so that its client area is the form's ClientSize scaled to the screen,
  // centred on the work area.
  void FitToClientSize();

  // Whether `window` is the form's window or one of its controls.
  bool Owns(HWND window) const { return window == window_ || IsChild(window_, window) != 0; }
  // The form's messages, before the form's own handling.
  std::optional<LRESULT> Hook(UINT message, WPARAM wParam, LPARAM lParam);
  // A keyboard message from the loop, for this form or one of its controls; true when it was
  // consumed as a dialog key.
  bool HandleKey(MSG& message);
  // A mouse message from the loop for one of the form's controls; the peer is told of it.
  bool HandleMouse(const MSG& message);

 private:
  void SyncFocus();
  HWND FocusTarget() const;
  void ShowDefaultFrame(HWND focus);

  Form& form_;
  HWND window_;
  FontHandle font_;
  std::map<HWND, WindowPeer*> peers_;
  std::unique_ptr<MenuBarPeer> menu_;
  WindowHandle hints_;  // made with the first hint
  int nextControlId_;
  HWND lastFocus_ = nullptr;
  HWND keyboardTakenFrom_ = nullptr;  // a control disabled while it had the keyboard
  HWND keyboardHeldAt_ = nullptr;     // where the keyboard went then
  bool askedForDefault_ = false;  // IsDialogMessage may send DM_GETDEFID now
  // Where the pointer was when the window was last shown, while it has not moved since.
  POINT shownUnder_{};
  bool pointerRests_ = false;
};

}  // namespace tarnwick::ui::win32
