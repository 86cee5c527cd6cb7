#include "tray/TrayIcon.h"

#include <algorithm>
#include <cstring>

#include "tray/SharedWindows.h"
#include "ui/ErrorBoundary.h"

namespace tarnwick::tray {
namespace {

using namespace platform::os;
using platform::Sh;
using platform::Win;

constexpr UINT kBaseFlags = kNifMessage | kNifIcon | kNifTip;
// Common controls from 4.71 on broadcast "TaskbarCreated" when the taskbar comes back.
constexpr DWORD kTaskbarCreatedVersion = 0x00040047;
constexpr UINT kExitPollInterval = 20;

// Copies at most `size - 1` characters and ends the field with zeros.
template <std::size_t size>
void CopyField(char (&field)[size], const std::string& text) {
  std::memset(field, 0, size);
  std::memcpy(field, text.data(), std::min(text.size(), size - 1));
}

}  // namespace

TTrayIcon::TTrayIcon(ui::Component* owner) : ui::Component(owner) {
  AcquireTrayWindow();
  icon_ = std::make_unique<ui::Icon>();
  icon_->OnChange = [this] {
    shell_.ImageChanged();
    UpdateIcon();
  };

  callbackId_ = RegisterTrayCallback([this](LPARAM message) { HandleCallback(message); });
  notifyData_.cbSize = sizeof(NOTIFYICONDATAA);
  notifyData_.hWnd = TrayWindow()->Handle();
  notifyData_.uID = callbackId_;
  notifyData_.uFlags = kBaseFlags;
  notifyData_.uCallbackMessage = kTrayCallbackMessage;

  cyclingTimer_ = std::make_unique<TIntervalTimer>(1000, [this](TIntervalTimer&) { CycleStep(); });
  doubleClickTimer_ =
      std::make_unique<TIntervalTimer>(1000, [this](TIntervalTimer&) { DeferredClick(); });
  exitPollTimer_ =
      std::make_unique<TIntervalTimer>(kExitPollInterval, [this](TIntervalTimer&) { ExitCheck(); });

  if (Sh().FileVersion("comctl32.dll") >= kTaskbarCreatedVersion) {
    taskbarCreatedMessage_ = Win().RegisterWindowMessageA("TaskbarCreated");
  }
  if (ui::Application* app = ui::Application::Current()) {
    // A restarted taskbar runs without administrator rights; its broadcast must reach a program
    // that has them, or the icon never comes back.
    if (taskbarCreatedMessage_ != 0 && app->Handle() != nullptr) {
      Win().ChangeWindowMessageFilterEx(app->Handle(), taskbarCreatedMessage_, kMsgfltAllow);
    }
    hookedApplication_ = app;
    applicationHookId_ = app->AddHook(
        [this](UINT message, WPARAM wParam, LPARAM lParam) -> std::optional<LRESULT> {
          ApplicationHook(message, wParam, lParam);
          return std::nullopt;  // the application window's own handling always follows
        });
  }
  if (ui::Form* form = OwnerForm()) {
    hookedOwner_ = form;
    ownerHookId_ = form->AddHook([this](UINT message, WPARAM wParam, LPARAM lParam) {
      return OwnerWindowProc(message, wParam, lParam);
    });
  }
}

TTrayIcon::~TTrayIcon() {
  ui::Guard([&] { SetIconVisible(false); });
  designPreview_ = false;
  ui::Guard([&] {
    cyclingTimer_.reset();
    doubleClickTimer_.reset();
    exitPollTimer_.reset();
  });
  ui::Guard([&] { icon_.reset(); });  // a damaged image must not stop the rest
  if (hookedApplication_ != nullptr && ui::Application::Current() == hookedApplication_) {
    hookedApplication_->CancelIdleWork(releaseAtIdle_);
    hookedApplication_->RemoveHook(applicationHookId_);
  }
  if (hookedOwner_ != nullptr) hookedOwner_->RemoveHook(ownerHookId_);
  UnregisterTrayCallback(callbackId_);
  ui::Guard([] { ReleaseTrayWindow(); });
}

ui::Form* TTrayIcon::OwnerForm() const { return dynamic_cast<ui::Form*>(Owner()); }

// --- Properties -------------------------------------------------------------------------------

void TTrayIcon::SetIconList(ui::ImageList* list) {
  if (iconList_ != nullptr) iconList_->RemoveFreeNotification(*this);
  iconList_ = list;
  if (iconList_ != nullptr) iconList_->FreeNotification(*this);
  SetIconIndex(0);
}

void TTrayIcon::SetCycleIcons(bool cycle) {
  cycleIcons_ = cycle;
  if (cycle) {
    SetIconIndex(0);
    cyclingTimer_->SetInterval(cycleInterval_);
    cyclingTimer_->SetEnabled(true);
  } else {
    cyclingTimer_->SetEnabled(false);
  }
}

void TTrayIcon::SetCycleInterval(UINT interval) {
  cycleInterval_ = interval;
  SetCycleIcons(cycleIcons_);
}

void TTrayIcon::SetHint(std::string hint) {
  hint_ = std::move(hint);
  UpdateIcon();
}

void TTrayIcon::SetShowHint(bool show) {
  showHint_ = show;
  UpdateIcon();
}

void TTrayIcon::SetIcon(const ui::Icon& icon) {
  auto notice = std::exchange(icon_->OnChange, nullptr);
  icon_->Assign(icon);
  icon_->OnChange = std::move(notice);
  shell_.ImageChanged();
  UpdateIcon();
}

void TTrayIcon::SetIconVisible(bool visible) {
  if (visible) {
    AddIcon();
  } else {
    RemoveIcon();
  }
}

void TTrayIcon::SetIconIndex(int index) {
  if (iconList_ != nullptr) {
    iconIndex_ = std::min(index, iconList_->Count() - 1);
    iconList_->GetIcon(iconIndex_, *icon_);
  } else {
    iconIndex_ = 0;
  }
  UpdateIcon();
}

void TTrayIcon::SetPopupMenu(ui::PopupMenu* menu) {
  if (popupMenu_ != nullptr) popupMenu_->RemoveFreeNotification(*this);
  popupMenu_ = menu;
  if (popupMenu_ != nullptr) popupMenu_->FreeNotification(*this);
}

void TTrayIcon::SetWantEnterExitEvents(bool want) {
  wantEnterExit_ = want;
  exitPollTimer_->SetEnabled(want);
}

// --- The shell ----------------------------------------------------------------------------------

bool TTrayIcon::RefreshIconData(bool withPicture) {
  try {
    const bool picture = icon_ && (withPicture || !shell_.Holding());
    notifyData_.hIcon = picture ? icon_->Handle() : nullptr;
  } catch (const ui::EReadError&) {
    notifyData_.hIcon = nullptr;
  }
  if (!hint_.empty() && showHint_) {
    CopyField(notifyData_.szTip, hint_);
  } else {
    std::memset(notifyData_.szTip, 0, sizeof notifyData_.szTip);
  }
  return true;
}

bool TTrayIcon::Notify(DWORD message) {
  HoldWhileStarting();
  if (!RefreshIconData()) return false;
  return shell_.Send(message, notifyData_);
}

bool TTrayIcon::AddIcon() {
  if (!previewUpdating_) iconVisible_ = true;
  return Notify(kNimAdd);
}

bool TTrayIcon::RemoveIcon() {
  if (!previewUpdating_) iconVisible_ = false;
  return Notify(kNimDelete);
}

bool TTrayIcon::UpdateIcon() { return Notify(kNimModify); }

bool TTrayIcon::DisplayBalloon(const std::string& title, const std::string& text,
                               std::uint8_t iconKind, std::uint8_t timeoutSeconds) {
  ClearBalloon();
  notifyData_.uFlags |= kNifInfo;
  CopyField(notifyData_.szInfo, text);
  CopyField(notifyData_.szInfoTitle, title);
  notifyData_.uTimeout = static_cast<UINT>(timeoutSeconds) * 1000u;
  // Kinds past the four the shell knows get no icon rather than an undefined one.
  notifyData_.dwInfoFlags = iconKind <= kNiifError ? iconKind : kNiifNone;
  const bool accepted = UpdateIcon();
  notifyData_.uFlags = kBaseFlags;
  return accepted;
}

void TTrayIcon::ClearBalloon() {
  ReleaseHeld();  // a balloon cannot wait, and needs its icon in the shell first
  notifyData_.uFlags |= kNifInfo;
  std::memset(notifyData_.szInfo, 0, sizeof notifyData_.szInfo);
  UpdateIcon();
}

// --- Hiding and restoring ---------------------------------------------------------------------

void TTrayIcon::HideToTray() {
  ui::Application* app = ui::Application::Current();
  if (OwnerForm() == nullptr || app == nullptr || app->MainForm() == nullptr) return;
  app->MainForm()->SetVisible(false);
  HideApplicationWindow();
}

void TTrayIcon::RestoreFromTray() {
  ui::Application* app = ui::Application::Current();
  if (OwnerForm() == nullptr || app == nullptr || app->MainForm() == nullptr) return;
  app->Restore();
  ui::Form* main = app->MainForm();
  if (main->State() == ui::WindowState::Minimized) main->SetWindowState(ui::WindowState::Normal);
  main->SetVisible(true);
  Win().SetForegroundWindow(app->Handle());
}

void TTrayIcon::HideApplicationWindow() {
  if (ui::Application* app = ui::Application::Current()) app->HideTaskbarButton();
}

void TTrayIcon::CollapseToTray() {
  HideToTray();
  SetIconVisible(true);
}

// --- Life cycle -------------------------------------------------------------------------------

void TTrayIcon::Loaded() {
  ui::Component::Loaded();
  if (OwnerForm() != nullptr) {
    bool showMainForm = true;
    // The handler runs while the window is built; its error is shown and the start goes on.
    ui::Guard([&] {
      if (OnStartup) OnStartup(*this, showMainForm);
    });
    if (!showMainForm) {
      if (ui::Application* app = ui::Application::Current()) app->SetShowMainForm(false);
      HideToTray();
    }
  }
  UpdateIcon();
  SetIconVisible(iconVisible_);
  SetCycleIcons(cycleIcons_);
  SetWantEnterExitEvents(wantEnterExit_);
  notifyData_.uTimeout = 0;  // uVersion: the classic callback behaviour
  shell_.SetVersion(notifyData_);
}

// Built with its window, the icon goes through several pictures and tips before the program
// settles on one; each of them is a round trip to the shell's process while the window waits to
// be shown. The shell is told what it ends with, once, when the program first waits for input.
void TTrayIcon::HoldWhileStarting() {
  if (!Loading() || releaseAtIdle_ != 0 || hookedApplication_ == nullptr ||
      ui::Application::Current() != hookedApplication_) {
    return;
  }
  shell_.Hold();
  if (shell_.Holding()) releaseAtIdle_ = hookedApplication_->WhenIdle([this] { ReleaseHeld(); });
}

void TTrayIcon::ReleaseHeld() {
  // The one add the shell gets carries the picture, made now if it was not yet.
  if (shell_.Holding() && RefreshIconData(true)) shell_.Send(kNimModify, notifyData_);
  shell_.Release();
}

void TTrayIcon::Notification(ui::Component& component) {
  if (&component == iconList_) {
    iconList_ = nullptr;
    SetIconIndex(0);
  }
  if (&component == popupMenu_) popupMenu_ = nullptr;
}

// --- Callbacks ----------------------------------------------------------------------------------

unsigned TTrayIcon::CurrentShiftState() {
  unsigned shift = 0;
  auto down = [](int key) { return (Win().GetAsyncKeyState(key) & 0x8000) != 0; };
  if (down(kVkShift)) shift |= kShiftKey;
  if (down(kVkMenu)) shift |= kAltKey;
  if (down(kVkControl)) shift |= kCtrlKey;
  return shift;
}

void TTrayIcon::HandleCallback(LPARAM lParam) {
  const auto message = static_cast<UINT>(lParam);
  switch (message) {
    case kNinBalloonShow:
      if (OnBalloonHintShow) OnBalloonHintShow(*this);
      return;
    case kNinBalloonHide:
      if (OnBalloonHintHide) OnBalloonHintHide(*this);
      return;
    case kNinBalloonTimeout:
      if (OnBalloonHintTimeout) OnBalloonHintTimeout(*this);
      return;
    case kNinBalloonUserClick:
      if (OnBalloonHintClick) OnBalloonHintClick(*this);
      return;
    default:
      break;
  }
  if (!enabled_) return;
  POINT cursor;
  Win().GetCursorPos(&cursor);
  const int x = cursor.x;
  const int y = cursor.y;
  const unsigned shift = CurrentShiftState();
  switch (message) {
    case kWmMouseMove:
      if (wantEnterExit_ && cursorOutside_) {
        RaiseMouseEnter();
        cursorOutside_ = false;
      }
      RaiseMouseMove(shift, x, y);
      lastCursorPos_ = cursor;
      break;
    case kWmLButtonDown:
      if (OnDblClick) {
        doubleClickTimer_->SetInterval(Win().GetDoubleClickTime());
        doubleClickTimer_->SetEnabled(true);
      }
      RaiseMouseDown(MouseButton::Left, shift | kLeftButton, x, y);
      leftPressed_ = true;
      if (leftPopup_) ShowPopupMenu();
      break;
    case kWmLButtonUp:
      if (leftPressed_) clickPending_ = true;
      if (leftPressed_ && !doubleClickTimer_->Enabled()) {
        leftPressed_ = false;
        clickPending_ = false;
        RaiseClick();
      }
      leftPressed_ = false;
      RaiseMouseUp(MouseButton::Left, shift | kLeftButton, x, y);
      break;
    case kWmLButtonDblClk:
      clickPending_ = false;
      doubleClicked_ = true;
      RaiseDoubleClick();
      ClickDefaultItem();
      break;
    case kWmRButtonDown:
      RaiseMouseDown(MouseButton::Right, shift | kRightButton, x, y);
      ShowPopupMenu();
      break;
    case kWmRButtonUp:
      RaiseMouseUp(MouseButton::Right, shift | kRightButton, x, y);
      break;
    case kWmMButtonDown:
      RaiseMouseDown(MouseButton::Middle, shift | kMiddleButton, x, y);
      break;
    case kWmMButtonUp:
      RaiseMouseUp(MouseButton::Middle, shift | kMiddleButton, x, y);
      break;
    default:
      break;
  }
}

// A notification icon's menu takes the keyboard, and closes when the user clicks elsewhere, only
// when its owner (the application window) is in the foreground before it opens and gets a
// message posted after it, hidden in the tray or not.
void TTrayIcon::ShowPopupMenu() {
  POINT cursor;
  if (popupMenu_ == nullptr || !popupMenu_->AutoPopup() || Win().GetCursorPos(&cursor) == 0) return;
  ui::Application* app = ui::Application::Current();
  if (app != nullptr) {
    Win().SetForegroundWindow(app->Handle());
    app->ProcessMessages();
  }
  if (popupMenu_ == nullptr) return;  // a message handled just now may have removed it
  popupMenu_->SetPopupComponent(this);
  popupMenu_->Popup(cursor.x, cursor.y);
  if (app != nullptr && app->Handle() != nullptr) Win().PostMessageA(app->Handle(), kWmNull, 0, 0);
}

void TTrayIcon::ClickDefaultItem() {
  if (popupMenu_ == nullptr || !popupMenu_->AutoPopup() || leftPopup_) return;
  ui::MenuItem* chosen = nullptr;
  for (int i = popupMenu_->Count() - 1; i >= 0; --i) {
    if (popupMenu_->Item(i).Default()) chosen = &popupMenu_->Item(i);
  }
  if (chosen != nullptr) chosen->Click();
}

void TTrayIcon::ApplicationHook(UINT message, WPARAM wParam, LPARAM) {
  ui::Application* app = ui::Application::Current();
  if (message == kWmSize && wParam == kSizeMinimized && minimizeToTray_) CollapseToTray();
  if (message == kWmWindowPosChanged && mdiStartupPending_ && app != nullptr &&
      app->MainForm() != nullptr) {
    if (app->MainForm()->IsMdiFrame()) {
      bool showMainForm = true;
      if (OnStartup) OnStartup(*this, showMainForm);
      if (!showMainForm) HideApplicationWindow();
    }
    mdiStartupPending_ = false;
  }
  if (message == kWmSysCommand && wParam == kScRestore && app != nullptr &&
      app->MainForm() != nullptr) {
    app->MainForm()->SetVisible(true);
  }
  if (taskbarCreatedMessage_ != 0 && message == taskbarCreatedMessage_) {
    shell_.TaskbarRecreated();
    if (iconVisible_) AddIcon();
  }
}

std::optional<LRESULT> TTrayIcon::OwnerWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  ui::Application* app = ui::Application::Current();
  const bool quitting = app != nullptr && app->Terminated();
  if ((message == kWmSysCommand && wParam == kScMinimize) ||
      (message == kWmShowWindow && wParam == 0 && lParam == kSwParentClosing && !quitting)) {
    if (InterceptMinimize()) return 1;
  } else if (message == kWmShowWindow && wParam == 1 && lParam == 0) {
    if (app != nullptr) Win().SetForegroundWindow(app->Handle());
    if (ui::Form* owner = OwnerForm()) Win().SetForegroundWindow(owner->Handle());
  }
  return std::nullopt;
}

bool TTrayIcon::InterceptMinimize() {
  if (!minimizeToTray_ || !OnMinimizeToTray) return false;
  OnMinimizeToTray(*this);
  CollapseToTray();
  return true;
}

// --- Timers (click timing, hover, cycling) -------------------------------------------------------

void TTrayIcon::DeferredClick() {
  doubleClickTimer_->SetEnabled(false);
  if (!doubleClicked_ && clickPending_) {
    clickPending_ = false;
    RaiseClick();
  }
  doubleClicked_ = false;
}

void TTrayIcon::ExitCheck() {
  if (cursorOutside_) return;
  POINT cursor;
  Win().GetCursorPos(&cursor);
  if (cursor.x != lastCursorPos_.x || cursor.y != lastCursorPos_.y) {
    cursorOutside_ = true;
    RaiseMouseExit();
  }
}

void TTrayIcon::CycleStep() {
  if (iconList_ == nullptr) return;
  iconList_->GetIcon(iconIndex_, *icon_);
  RaiseCycle();
  SetIconIndex(NextCycleIndex());
}

int TTrayIcon::NextCycleIndex() const {
  if (iconList_ == nullptr) return 0;
  return iconIndex_ < iconList_->Count() - 1 ? iconIndex_ + 1 : 0;
}

// --- Raising events -----------------------------------------------------------------------------

void TTrayIcon::RaiseClick() {
  if (OnClick) OnClick(*this);
}
void TTrayIcon::RaiseDoubleClick() {
  if (OnDblClick) OnDblClick(*this);
}
void TTrayIcon::RaiseCycle() {
  if (OnCycle) OnCycle(*this, NextCycleIndex());
}
void TTrayIcon::RaiseMouseDown(MouseButton button, unsigned shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(*this, button, shift, x, y);
}
void TTrayIcon::RaiseMouseUp(MouseButton button, unsigned shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(*this, button, shift, x, y);
}
void TTrayIcon::RaiseMouseMove(unsigned shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(*this, shift, x, y);
}
void TTrayIcon::RaiseMouseEnter() {
  if (OnMouseEnter) OnMouseEnter(*this);
}
void TTrayIcon::RaiseMouseExit() {
  if (OnMouseExit) OnMouseExit(*this);
}

}  // namespace tarnwick::tray
