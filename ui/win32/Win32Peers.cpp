#include "ui/win32/Win32Peers.h"

#include <windows.h>
#include <commctrl.h>

#include <utility>

#include "ui/Application.h"
#include "ui/Form.h"
#include "ui/Menu.h"
#include "ui/win32/ControlPeers.h"
#include "ui/win32/FormPeer.h"

namespace tarnwick::ui::win32 {
namespace {

int TrackMenu(PopupMenu& menu, int x, int y) {
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
  ::HWND owner = app != nullptr ? reinterpret_cast<::HWND>(app->Handle()) : nullptr;
  const int chosen = static_cast<int>(TrackPopupMenu(
      handle.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_BOTTOMALIGN, x, y, 0,
      owner, nullptr));
  return chosen - 1;
}

// The loop's messages in the layout user32 knows.
bool FilterMessage(os::MSG& message) {
  MSG native{};
  native.hwnd = ToNative<HWND>(message.hwnd);
  native.message = message.message;
  native.wParam = message.wParam;
  native.lParam = message.lParam;
  native.time = message.time;
  native.pt = {message.pt.x, message.pt.y};
  return FormPeer::PreTranslate(native);
}

}  // namespace

void InstallPeers(Application& app) {
  INITCOMMONCONTROLSEX classes{};
  classes.dwSize = sizeof classes;
  classes.dwICC = ICC_TAB_CLASSES | ICC_BAR_CLASSES;
  InitCommonControlsEx(&classes);

  PopupMenu::SetTracker(&TrackMenu);
  PeerFactory factory;
  factory.form = [](Form& form) { FormPeer::Attach(form); };
  factory.control = [](Form& form, Control& control) {
    return MakeControlPeer(FormPeer::Attach(form), control);
  };
  factory.menu = [](Form& form, MainMenu& menu) { FormPeer::Attach(form)->AttachMenu(menu); };
  Form::SetPeerFactory(std::move(factory));
  app.SetMessageFilter(&FilterMessage);
}

}  // namespace tarnwick::ui::win32
