#include "ui/win32/Win32Peers.h"

#include <windows.h>
#include <commctrl.h>
#include <imm.h>

#include <typeinfo>
#include <utility>
#include <vector>

#include "ui/Application.h"
#include "ui/Form.h"
#include "ui/Menu.h"
#include "ui/win32/Dpi.h"
#include "ui/win32/FormPeer.h"
#include "ui/win32/WindowPeer.h"

namespace tarnwick::ui::win32 {
namespace {

// The control's real peer, by the control's own type; null for a kind that has none.
std::unique_ptr<ControlPeer> MakeControlPeer(std::shared_ptr<FormPeer> form, Control& control) {
  for (auto part : {ButtonPeers(), DisplayPeers(), GaugePeers(), MemoPeers()}) {
    for (const PeerKind& kind : part) {
      if (kind.model == typeid(control)) return kind.make(std::move(form), control);
    }
  }
  return nullptr;
}

class Win32Backend final : public Backend {
 public:
  Win32Backend() {
    // No control of ours takes text, so no window needs an input method. Without one, Wine
    // makes no input method window with the first window and starts no COM at the first
    // activation: about 10 ms of every start. It must come before the thread's first window.
    ImmDisableIME(0);
    INITCOMMONCONTROLSEX classes{};
    classes.dwSize = sizeof classes;
    classes.dwICC = ICC_TAB_CLASSES | ICC_BAR_CLASSES;
    InitCommonControlsEx(&classes);
  }

  void ShapeForm(Form& form, WindowShape& shape) override {
    const RECT frame = FormFrame(Scaled(form.ClientSize()), shape.style, shape.exStyle,
                                 form.Menu() != nullptr);
    shape.at = {frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top};
  }

  // A new child window goes to the bottom of its siblings. Made contents first, every container
  // lands below what it holds, where it must lie, and no window has to be moved.
  void CreatePeers(Form& form) override {
    std::shared_ptr<FormPeer> peer = PeerOf(form);
    form.EachControlContentsFirst([&](Control& control) {
      if (control.Peer() == nullptr) control.SetPeer(MakeControlPeer(peer, control));
    });
  }

  int TrackPopup(PopupMenu& menu, int x, int y, MenuCorner corner) override {
    MenuHandle handle(CreatePopupMenu());
    if (handle.Get() == nullptr) return -1;
    for (int i = 0; i < menu.Count(); ++i) {
      const MenuItem& item = menu.Item(i);
      UINT flags = MF_STRING;
      if (!item.Enabled()) flags |= MF_GRAYED;
      if (item.Checked()) flags |= MF_CHECKED;
      // Command ids start at 1: TrackPopupMenu's 0 means nothing was chosen.
      AppendMenuA(handle.Get(), flags, static_cast<UINT_PTR>(i + 1), item.Caption().c_str());
      if (item.Default()) SetMenuDefaultItem(handle.Get(), static_cast<UINT>(i), TRUE);
    }
    Application* app = Application::Current();
    HWND owner = app != nullptr ? ToNative<HWND>(app->Handle()) : nullptr;
    const UINT vertical = corner == MenuCorner::TopLeft ? TPM_TOPALIGN : TPM_BOTTOMALIGN;
    const int chosen = static_cast<int>(TrackPopupMenu(
        handle.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | vertical, x, y, 0, owner,
        nullptr));
    return chosen - 1;
  }

  bool PreTranslate(os::MSG& message) override {
    const bool key = message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST;
    // Static controls keep their pointer messages; the loop shows them to the peers.
    const bool mouse = message.message == WM_MOUSEMOVE || message.message == WM_MOUSELEAVE;
    if ((!key && !mouse) || message.hwnd == nullptr) return false;
    MSG native{};
    native.hwnd = ToNative<HWND>(message.hwnd);
    native.message = message.message;
    native.wParam = message.wParam;
    native.lParam = message.lParam;
    native.time = message.time;
    native.pt = {message.pt.x, message.pt.y};
    std::erase_if(forms_, [](const std::weak_ptr<FormPeer>& peer) { return peer.expired(); });
    const std::vector<std::weak_ptr<FormPeer>> live = forms_;  // a key may close a form
    for (const auto& weak : live) {
      std::shared_ptr<FormPeer> peer = weak.lock();
      if (peer == nullptr || !peer->Owns(native.hwnd)) continue;
      if (mouse) {
        peer->HandleMouse(native);
        return false;
      }
      return peer->HandleKey(native);
    }
    return false;
  }

 private:
  // The form's peer, made on first use. The form's hooks own it, so it lives as long as the
  // form's window; control peers share it so that their fonts outlive them.
  std::shared_ptr<FormPeer> PeerOf(Form& form) {
    HWND window = ToNative<HWND>(form.Handle());
    for (const auto& weak : forms_) {
      std::shared_ptr<FormPeer> peer = weak.lock();
      if (peer != nullptr && &peer->GetForm() == &form && peer->Window() == window) return peer;
    }
    auto peer = std::make_shared<FormPeer>(form);
    forms_.push_back(peer);
    form.AddHook([peer](UINT message, WPARAM wParam, LPARAM lParam) {
      return peer->Hook(message, wParam, lParam);
    });
    return peer;
  }

  std::vector<std::weak_ptr<FormPeer>> forms_;
};

}  // namespace

std::unique_ptr<Backend> MakeBackend() { return std::make_unique<Win32Backend>(); }

}  // namespace tarnwick::ui::win32
