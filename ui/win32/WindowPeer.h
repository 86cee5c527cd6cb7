#pragma once
// The peer of a control: its real window (a standard control or one of ours) that mirrors the
// model. Every control's windows are direct children of the form's window, placed at the
// control's position accumulated through its parents: Win32 group boxes and tab controls are
// drawn frames, not containers, and a button inside one would send its notifications to it
// instead of to the form.
#include <windows.h>

#include <memory>
#include <optional>
#include <span>
#include <typeinfo>
#include <utility>
#include <vector>

#include "ui/BoundWindow.h"
#include "ui/Control.h"
#include "ui/win32/Accessible.h"
#include "ui/win32/Handles.h"

namespace tarnwick::ui::win32 {

class FormPeer;

// A peer with one main window (and possibly more, such as a radio group's buttons).
class WindowPeer : public ControlPeer {
 public:
  WindowPeer(std::shared_ptr<FormPeer> form, Control& control);
  ~WindowPeer() override;
  WindowPeer(const WindowPeer&) = delete;
  WindowPeer& operator=(const WindowPeer&) = delete;

  void Changed(Change what) override;

  Control& Model() const { return control_; }
  // The window that the control's children are placed above.
  HWND Window() const { return window_.Get(); }

  // A WM_COMMAND notification `code` from `from`, one of this peer's windows.
  virtual void Command(HWND /*from*/, int /*code*/) {}
  // WM_DRAWITEM for one of its owner-drawn windows; false leaves it to the default.
  virtual bool DrawItem(const DRAWITEMSTRUCT& /*item*/) { return false; }
  // WM_CONTEXTMENU from one of its windows at a screen point, (-1, -1) when it came from the
  // keyboard. Pops the control's context menu; false when it has none.
  bool ContextMenu(HWND from, int x, int y);
  // A mouse message the loop took for `window`, one of this peer's windows; true when the peer
  // used it (it is dispatched all the same).
  virtual bool Mouse(HWND /*window*/, UINT /*message*/, WPARAM, LPARAM) { return false; }
  // The pointer is over one of the peer's windows: sets the cursor and returns true, or false
  // for the default.
  virtual bool SetCursorOver() { return false; }
  // The arrow keys moved the focus onto `window`, one of this peer's windows.
  virtual void ArrowedInto(HWND /*window*/) {}
  virtual void FormResized() {}
  // The system's colours or theme changed.
  virtual void AppearanceChanged() {}
  // The brush for WM_CTLCOLORSTATIC or WM_CTLCOLORBTN from `window`, one of this peer's, drawn
  // on `dc`: the pane of the container it lies on, or the face; the text in the scheme's colours.
  HBRUSH Background(HWND window, HDC dc);
  // For a container that paints a pane of its own: a brush with the pane's picture.
  virtual HBRUSH PaneBrush() { return nullptr; }

 protected:
  // Creates a child window of the form with the control's state and registers it with the
  // form's router. A window of a class of ours is bound to `binding`, which must be a member of
  // the peer, so that it unbinds before the window goes.
  WindowHandle CreateChild(WindowShape shape, BoundWindow* binding = nullptr);
  // The shape of a window of `className` with the control's caption, at the control's place.
  WindowShape Shape(const char* className, DWORD style, DWORD exStyle = 0) const {
    return {.className = className, .title = control_.Caption().c_str(), .style = style,
            .exStyle = exStyle, .at = FormBounds()};
  }
  // Unregisters and destroys one of the peer's windows.
  void Discard(WindowHandle& window);
  // Makes `window` the peer's main window: placed above its parent's, with its font and state.
  void Adopt(WindowHandle window);
  // Puts `window` directly above `anchor` in the z-order (containers stay behind their
  // contents, and tab order follows the layout).
  static void PlaceAbove(HWND window, HWND anchor);
  // Puts `window` directly below `anchor` in the z-order, so that it follows it in tab order.
  static void PlaceBelow(HWND window, HWND anchor);

  // The control's bounds in the form's client area, in pixels of this screen.
  Bounds FormBounds() const;
  bool ShownOnForm() const;
  bool EnabledOnForm() const;
  FormPeer& Form() const { return *form_; }
  HFONT CurrentFont() const;

  // Brings every window of the peer up to date; the children's peers follow.
  virtual void ApplyVisible();
  virtual void ApplyEnabled();
  virtual void ApplyFont();
  virtual void ApplyCaption();
  // The hint, as the form's tooltip over the control's place and as the description a screen
  // reader reads for each of the peer's windows.
  void ApplyHint();
  // The windows a screen reader meets for this control.
  virtual std::vector<HWND> ReaderWindows() const { return {window_.Get()}; }

 private:
  DWORD ChildStyle(DWORD style) const;

  std::shared_ptr<FormPeer> form_;
  Control& control_;
  WindowHandle window_;
  FontHandle ownFont_;
  // Made for the windows that a hint has been given to, so that a control without one costs
  // nothing more.
  std::vector<std::unique_ptr<AccessibleWindow>> describers_;
};

// The keys held now (kShiftKey, kAltKey, kCtrlKey), as key and mouse events report them.
unsigned ShiftState();

// A kind of control, by the model's own type, and how its peer is made. The rows of this table
// stand beside the peers' classes, a part for each file of peers.
struct PeerKind {
  const std::type_info& model;
  std::unique_ptr<WindowPeer> (*make)(std::shared_ptr<FormPeer> form, Control& control);
};

template <typename Peer, typename Model>
PeerKind KindOf() {
  return {typeid(Model), [](std::shared_ptr<FormPeer> form, Control& control) {
            return std::unique_ptr<WindowPeer>(
                std::make_unique<Peer>(std::move(form), static_cast<Model&>(control)));
          }};
}

std::span<const PeerKind> ButtonPeers();
std::span<const PeerKind> DisplayPeers();
std::span<const PeerKind> GaugePeers();
std::span<const PeerKind> MemoPeers();

}  // namespace tarnwick::ui::win32
