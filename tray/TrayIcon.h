#pragma once
// The notification-area icon: adds, changes and removes the icon, turns the shell's callbacks
// into events, shows balloons, opens its popup menu, hides the main window into the tray and
// brings it back, and adds the icon again when the taskbar is re-created.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/Platform.h"
#include "tray/IntervalTimer.h"
#include "tray/ShellIconRecord.h"
#include "ui/Application.h"
#include "ui/Component.h"
#include "ui/Form.h"
#include "ui/Icon.h"
#include "ui/ImageList.h"
#include "ui/Menu.h"

namespace tarnwick::tray {

enum class MouseButton { Left = 0, Right = 1, Middle = 2 };

// Bits of the Shift parameter of mouse events.
using ui::kAltKey;
using ui::kCtrlKey;
using ui::kShiftKey;
inline constexpr unsigned kLeftButton = 0x08;
inline constexpr unsigned kRightButton = 0x10;
inline constexpr unsigned kMiddleButton = 0x20;

using TMouseEvent =
    std::function<void(ui::Component& sender, MouseButton button, unsigned shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(ui::Component& sender, unsigned shift, int x, int y)>;
using TCycleEvent = std::function<void(ui::Component& sender, int nextIndex)>;
using TStartupEvent = std::function<void(ui::Component& sender, bool& showMainForm)>;

class TTrayIcon : public ui::Component {
 public:
  explicit TTrayIcon(ui::Component* owner = nullptr);
  ~TTrayIcon() override;

  // --- Properties ---------------------------------------------------------------------------
  bool DesignPreview() const { return designPreview_; }
  void SetDesignPreview(bool preview) { designPreview_ = preview; }  // design time only
  ui::ImageList* IconList() const { return iconList_; }
  void SetIconList(ui::ImageList* list);
  bool CycleIcons() const { return cycleIcons_; }
  void SetCycleIcons(bool cycle);
  os::UINT CycleInterval() const { return cycleInterval_; }
  void SetCycleInterval(os::UINT interval);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  const std::string& Hint() const { return hint_; }
  void SetHint(std::string hint);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool show);
  ui::Icon& Icon() { return *icon_; }
  // Copies `icon` into the component's own icon, then updates the tray.
  void SetIcon(const ui::Icon& icon);
  bool IconVisible() const { return iconVisible_; }
  void SetIconVisible(bool visible);
  int IconIndex() const { return iconIndex_; }
  // With an image list: shows image `index`, the last one for an index past it.
  void SetIconIndex(int index);
  ui::PopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(ui::PopupMenu* menu);
  bool LeftPopup() const { return leftPopup_; }
  void SetLeftPopup(bool leftPopup) { leftPopup_ = leftPopup; }
  bool WantEnterExitEvents() const { return wantEnterExit_; }
  void SetWantEnterExitEvents(bool want);
  bool MinimizeToTray() const { return minimizeToTray_; }
  void SetMinimizeToTray(bool minimize) { minimizeToTray_ = minimize; }

  // --- Events (the sender is always this component) -------------------------------------------
  ui::TNotifyEvent OnClick;
  ui::TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  ui::TNotifyEvent OnMouseEnter;
  ui::TNotifyEvent OnMouseExit;
  TCycleEvent OnCycle;
  ui::TNotifyEvent OnBalloonHintShow;
  ui::TNotifyEvent OnBalloonHintHide;
  ui::TNotifyEvent OnBalloonHintTimeout;
  ui::TNotifyEvent OnBalloonHintClick;
  ui::TNotifyEvent OnMinimizeToTray;
  TStartupEvent OnStartup;

  // --- Operations -----------------------------------------------------------------------------
  virtual bool UseDefaultDesignIcon() { return true; }
  // Each returns whether the shell accepted the call.
  virtual bool AddIcon();
  virtual bool RemoveIcon();
  virtual bool UpdateIcon();
  // Hides the main window and the application window with its taskbar button.
  void HideToTray();
  // Shows the application window, its taskbar button and the main window again.
  void RestoreFromTray();
  // Shows a balloon above the icon: IconKind 0 none, 1 info, 2 warning, 3 error.
  bool DisplayBalloon(const std::string& title, const std::string& text, std::uint8_t iconKind,
                      std::uint8_t timeoutSeconds);
  void ClearBalloon();
  void HideApplicationWindow();
  virtual void CollapseToTray();

  // --- Inspection ---------------------------------------------------------------------------
  const os::NOTIFYICONDATAA& NotifyData() const { return notifyData_; }
  std::uint32_t CallbackId() const { return callbackId_; }
  const TIntervalTimer& CyclingTimer() const { return *cyclingTimer_; }
  const TIntervalTimer& DoubleClickTimer() const { return *doubleClickTimer_; }
  const TIntervalTimer& ExitPollTimer() const { return *exitPollTimer_; }

 protected:
  void Loaded() override;
  void Notification(ui::Component& component) override;

  virtual void RaiseClick();
  virtual void RaiseDoubleClick();
  virtual void RaiseCycle();
  virtual void RaiseMouseDown(MouseButton button, unsigned shift, int x, int y);
  virtual void RaiseMouseUp(MouseButton button, unsigned shift, int x, int y);
  virtual void RaiseMouseMove(unsigned shift, int x, int y);
  virtual void RaiseMouseEnter();
  virtual void RaiseMouseExit();

 private:
  ui::Form* OwnerForm() const;
  // The record as it stands. While the shell's calls are held back, the picture's handle is
  // left out unless `withPicture`: a picture is made when the shell first hears of it.
  bool RefreshIconData(bool withPicture = false);
  bool Notify(os::DWORD message);
  void HoldWhileStarting();
  void ReleaseHeld();
  void HandleCallback(os::LPARAM message);
  unsigned CurrentShiftState();
  void ShowPopupMenu();
  void ClickDefaultItem();
  void ApplicationHook(os::UINT message, os::WPARAM wParam, os::LPARAM lParam);
  std::optional<os::LRESULT> OwnerWindowProc(os::UINT message, os::WPARAM wParam,
                                             os::LPARAM lParam);
  bool InterceptMinimize();
  void DeferredClick();
  void ExitCheck();
  void CycleStep();
  int NextCycleIndex() const;

  bool designPreview_ = false;
  ui::ImageList* iconList_ = nullptr;
  bool cycleIcons_ = false;
  os::UINT cycleInterval_ = 0;
  bool enabled_ = true;
  std::string hint_;
  bool showHint_ = true;
  std::unique_ptr<ui::Icon> icon_;
  bool iconVisible_ = false;
  int iconIndex_ = 0;
  ui::PopupMenu* popupMenu_ = nullptr;
  bool leftPopup_ = false;
  bool wantEnterExit_ = false;
  bool minimizeToTray_ = false;

  os::NOTIFYICONDATAA notifyData_;
  ShellIconRecord shell_;
  std::uint32_t callbackId_ = 0;
  os::UINT taskbarCreatedMessage_ = 0;
  std::unique_ptr<TIntervalTimer> cyclingTimer_;
  std::unique_ptr<TIntervalTimer> doubleClickTimer_;
  std::unique_ptr<TIntervalTimer> exitPollTimer_;
  bool leftPressed_ = false;
  bool clickPending_ = false;
  bool doubleClicked_ = false;
  bool cursorOutside_ = true;
  os::POINT lastCursorPos_;
  bool previewUpdating_ = false;
  bool mdiStartupPending_ = true;
  int applicationHookId_ = 0;
  int releaseAtIdle_ = 0;
  int ownerHookId_ = 0;
  ui::Application* hookedApplication_ = nullptr;
  ui::Form* hookedOwner_ = nullptr;
};

}  // namespace tarnwick::tray
