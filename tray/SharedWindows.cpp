#include "tray/SharedWindows.h"

#include <map>

namespace tarnwick::tray {
namespace {

using namespace platform::os;

std::unique_ptr<TTrayWindow>& TrayWindowSlot() {
  static std::unique_ptr<TTrayWindow> slot;
  return slot;
}
std::unique_ptr<TTimerWindow>& TimerWindowSlot() {
  static std::unique_ptr<TTimerWindow> slot;
  return slot;
}

template <typename Id, typename Callback>
struct Registry {
  std::map<Id, Callback> live;
  Id next = 1;
};
Registry<std::uint32_t, TrayCallback>& TrayTargets() {
  static Registry<std::uint32_t, TrayCallback> registry;
  return registry;
}
Registry<std::uintptr_t, TimerCallback>& TimerTargets() {
  static Registry<std::uintptr_t, TimerCallback> registry;
  return registry;
}

template <typename Shared>
void Acquire(std::unique_ptr<Shared>& slot) {
  if (!slot) slot = std::make_unique<Shared>();
  ++slot->users;
}

template <typename Shared>
void Release(std::unique_ptr<Shared>& slot) {
  if (!slot) return;
  if (slot->users > 0) --slot->users;
  if (slot->users == 0) slot.reset();
}

// The tray window agrees to close, quit and end the session without being destroyed.
bool IsRefusedLifecycleMessage(UINT message) {
  return message == kWmDestroy || message == kWmClose || message == kWmQueryEndSession ||
         message == kWmQuit || message == kWmEndSession || message == kWmNcDestroy;
}

}  // namespace

TTrayWindow::TTrayWindow()
    : window_([](UINT message, WPARAM wParam, LPARAM lParam) -> std::optional<LRESULT> {
        if (message == kTrayCallbackMessage) {
          auto& live = TrayTargets().live;
          auto it = live.find(static_cast<std::uint32_t>(wParam));
          if (it != live.end()) {
            TrayCallback callback = it->second;  // the icon may go away while it runs
            callback(lParam);
          }
          return 0;
        }
        if (IsRefusedLifecycleMessage(message)) return 1;
        return std::nullopt;
      }) {}

TTimerWindow::TTimerWindow()
    : window_([](UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
        if (message != kWmTimer) return std::nullopt;
        auto& live = TimerTargets().live;
        auto it = live.find(static_cast<std::uintptr_t>(wParam));
        if (it != live.end()) {
          TimerCallback callback = it->second;
          callback();
        }
        return 0;
      }) {}

void AcquireTrayWindow() { Acquire(TrayWindowSlot()); }
void ReleaseTrayWindow() { Release(TrayWindowSlot()); }
TTrayWindow* TrayWindow() { return TrayWindowSlot().get(); }

void AcquireTimerWindow() { Acquire(TimerWindowSlot()); }
void ReleaseTimerWindow() { Release(TimerWindowSlot()); }
TTimerWindow* TimerWindow() { return TimerWindowSlot().get(); }

std::uint32_t RegisterTrayCallback(TrayCallback callback) {
  auto& registry = TrayTargets();
  const std::uint32_t id = registry.next++;
  registry.live[id] = std::move(callback);
  return id;
}
void UnregisterTrayCallback(std::uint32_t id) { TrayTargets().live.erase(id); }

std::uintptr_t RegisterTimerCallback(TimerCallback callback) {
  auto& registry = TimerTargets();
  const std::uintptr_t id = registry.next++;
  registry.live[id] = std::move(callback);
  return id;
}
void UnregisterTimerCallback(std::uintptr_t id) { TimerTargets().live.erase(id); }

}  // namespace tarnwick::tray
