#include "platform/emulated/EmulatedWindows.h"

#include <cstring>

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>

#include "platform/ScopeExit.h"

namespace tarnwick::platform::emulated {
namespace {

using namespace os;

// Values user32 has that the portable headers do not need.
constexpr DWORD kWsMinimize = 0x20000000;
constexpr DWORD kWsVisible = 0x10000000;
constexpr DWORD kWsDisabled = 0x08000000;
constexpr UINT kWmEnable = 0x000A;
constexpr int kGwlpHInstance = -6;
constexpr int kGwlpHwndParent = -8;
constexpr int kGwlStyle = -16;
constexpr int kGwlExStyle = -20;
constexpr int kSwShowMaximized = 3;
constexpr int kSwShowMinNoActive = 7;
constexpr int kSwShowNa = 8;
constexpr int kSwShowDefault = 10;
constexpr int kSwForceMinimize = 11;
constexpr WPARAM kSizeRestored = 0;
constexpr UINT kUserTimerMinimum = 10;
constexpr UINT kUserTimerMaximum = 0x7FFFFFFF;
constexpr std::uintptr_t kFirstNonAtom = 0x10000;
constexpr ATOM kFirstAtom = 0xC000;
constexpr std::size_t kAtomCapacity = 0x4000;

HINSTANCE ProgramInstance() { return reinterpret_cast<HINSTANCE>(std::uintptr_t{0x00400000}); }

// The window filter of PeekMessage and GetMessage that asks for thread messages only.
HWND ThreadMessagesOnly() { return reinterpret_cast<HWND>(static_cast<std::intptr_t>(-1)); }

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

std::uintptr_t Key(HWND window) { return reinterpret_cast<std::uintptr_t>(window); }

// WM_SIZE's lParam: the width in the low word, the height in the high one.
LPARAM SizeParam(int width, int height) {
  const auto word = [](int value) {
    return static_cast<LPARAM>(static_cast<WORD>(std::max(value, 0)));
  };
  return word(width) | (word(height) << 16);
}

}  // namespace

bool EmulatedWindows::Filter::Takes(UINT message) const {
  // As user32: 0, 0 takes everything, and so does a reversed range.
  if (first == 0 && last == 0) return true;
  if (first > last) return true;
  return message >= first && message <= last;
}

bool EmulatedWindows::Filter::Takes(HWND target) const {
  if (window == nullptr) return true;
  if (window == ThreadMessagesOnly()) return target == nullptr;
  return target == window;
}

EmulatedWindows::EmulatedWindows() = default;
EmulatedWindows::~EmulatedWindows() = default;

EmulatedWindows::Window* EmulatedWindows::Find(HWND window) {
  auto it = windows_.find(Key(window));
  return it == windows_.end() ? nullptr : &it->second;
}

const EmulatedWindows::Window* EmulatedWindows::Find(HWND window) const {
  auto it = windows_.find(Key(window));
  return it == windows_.end() ? nullptr : &it->second;
}

std::optional<std::string> EmulatedWindows::NameOf(const char* nameOrAtom) const {
  if (nameOrAtom == nullptr) return std::nullopt;
  const auto value = reinterpret_cast<std::uintptr_t>(nameOrAtom);
  if (value >= kFirstNonAtom) return std::string(nameOrAtom);
  auto it = atomNames_.find(static_cast<ATOM>(value));
  if (it == atomNames_.end()) return std::nullopt;
  return it->second;
}

ATOM EmulatedWindows::AddAtom(std::string_view name) {
  const std::string key = Upper(name);
  if (auto it = atoms_.find(key); it != atoms_.end()) return it->second;
  if (atoms_.size() >= kAtomCapacity) return 0;
  const auto atom = static_cast<ATOM>(kFirstAtom + atoms_.size());
  atoms_.emplace(key, atom);
  atomNames_.emplace(atom, std::string(name));
  return atom;
}

LRESULT EmulatedWindows::Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const Window* target = Find(window);
  if (target == nullptr) return 0;
  // Copied out: the procedure may destroy the window, and with it the record.
  const WNDPROC proc = target->info.proc;
  return proc(window, message, wParam, lParam);
}

std::vector<HWND> EmulatedWindows::Dependants(HWND window, Kind kind) const {
  std::vector<HWND> out;
  for (const auto& [key, candidate] : windows_) {
    if (candidate.info.parent != window) continue;
    const bool child = (candidate.info.style & kWsChild) != 0;
    if (kind == Kind::All || (kind == Kind::Children) == child) {
      out.push_back(reinterpret_cast<HWND>(key));
    }
  }
  return out;
}

void EmulatedWindows::Forget(HWND window) {
  auto it = windows_.find(Key(window));
  if (it == windows_.end()) return;
  windows_.erase(it);
  for (HWND dependant : Dependants(window, Kind::All)) Forget(dependant);
  std::erase_if(timers_, [&](const Timer& t) { return t.window == window; });
  std::erase_if(posted_, [&](const MSG& m) { return m.hwnd == window; });
  if (foreground_ == window) foreground_ = nullptr;
}

// --- Classes ---------------------------------------------------------------------------------

HINSTANCE EmulatedWindows::GetModuleHandleA(const char* moduleName) {
  return moduleName == nullptr ? ProgramInstance() : nullptr;
}

ATOM EmulatedWindows::RegisterClassA(const WNDCLASSA* windowClass) {
  // A class without a procedure would crash its first window; refuse it here instead.
  if (windowClass == nullptr || windowClass->lpfnWndProc == nullptr) return 0;
  auto name = NameOf(windowClass->lpszClassName);
  if (!name || name->empty()) return 0;
  const std::string key = Upper(*name);
  if (classes_.contains(key)) return 0;
  const ATOM atom = AddAtom(*name);
  if (atom == 0) return 0;
  WindowClass entry{*name, *windowClass, std::nullopt};
  entry.info.lpszClassName = nullptr;
  const char* menu = windowClass->lpszMenuName;
  if (menu != nullptr && reinterpret_cast<std::uintptr_t>(menu) >= kFirstNonAtom) {
    entry.menuName = std::string(menu);
    entry.info.lpszMenuName = nullptr;
  }
  classes_.emplace(key, std::move(entry));
  return atom;
}

BOOL EmulatedWindows::GetClassInfoA(HINSTANCE, const char* className, WNDCLASSA* windowClass) {
  auto name = NameOf(className);
  if (!name || windowClass == nullptr) return 0;
  auto it = classes_.find(Upper(*name));
  if (it == classes_.end()) return 0;
  *windowClass = it->second.info;
  windowClass->lpszClassName = className;  // user32 hands back the caller's own pointer
  if (it->second.menuName) windowClass->lpszMenuName = it->second.menuName->c_str();
  return 1;
}

ATOM EmulatedWindows::RegisterClassExA(const WNDCLASSEXA* windowClass) {
  if (windowClass == nullptr || windowClass->cbSize != sizeof(WNDCLASSEXA)) return 0;
  WNDCLASSA plain;
  plain.style = windowClass->style;
  plain.lpfnWndProc = windowClass->lpfnWndProc;
  plain.cbClsExtra = windowClass->cbClsExtra;
  plain.cbWndExtra = windowClass->cbWndExtra;
  plain.hInstance = windowClass->hInstance;
  plain.hIcon = windowClass->hIcon;
  plain.hCursor = windowClass->hCursor;
  plain.hbrBackground = windowClass->hbrBackground;
  plain.lpszMenuName = windowClass->lpszMenuName;
  plain.lpszClassName = windowClass->lpszClassName;
  const ATOM atom = RegisterClassA(&plain);
  if (atom != 0) {
    classes_.at(Upper(*NameOf(windowClass->lpszClassName))).smallIcon = windowClass->hIconSm;
  }
  return atom;
}

BOOL EmulatedWindows::GetClassInfoExA(HINSTANCE instance, const char* className,
                                      WNDCLASSEXA* windowClass) {
  WNDCLASSA plain;
  if (windowClass == nullptr || GetClassInfoA(instance, className, &plain) == 0) return 0;
  windowClass->cbSize = sizeof(WNDCLASSEXA);
  windowClass->style = plain.style;
  windowClass->lpfnWndProc = plain.lpfnWndProc;
  windowClass->cbClsExtra = plain.cbClsExtra;
  windowClass->cbWndExtra = plain.cbWndExtra;
  windowClass->hInstance = plain.hInstance;
  windowClass->hIcon = plain.hIcon;
  windowClass->hCursor = plain.hCursor;
  windowClass->hbrBackground = plain.hbrBackground;
  windowClass->lpszMenuName = plain.lpszMenuName;
  windowClass->lpszClassName = plain.lpszClassName;
  windowClass->hIconSm = classes_.at(Upper(*NameOf(className))).smallIcon;
  return 1;
}

BOOL EmulatedWindows::UnregisterClassA(const char* className, HINSTANCE) {
  auto name = NameOf(className);
  if (!name) return 0;
  const std::string key = Upper(*name);
  auto it = classes_.find(key);
  if (it == classes_.end()) return 0;
  for (const auto& [handle, window] : windows_) {
    if (window.classKey == key) return 0;
  }
  classes_.erase(it);
  return 1;
}

// --- Windows ---------------------------------------------------------------------------------

HWND EmulatedWindows::CreateWindowExA(DWORD exStyle, const char* className,
                                      const char* windowName, DWORD style, int x, int y, int width,
                                      int height, HWND parent, HMENU menu, HINSTANCE instance,
                                      void* param) {
  auto name = NameOf(className);
  if (!name) return nullptr;
  auto cls = classes_.find(Upper(*name));
  if (cls == classes_.end()) return nullptr;
  if ((style & kWsChild) != 0 && parent == nullptr) return nullptr;
  if (parent != nullptr && Find(parent) == nullptr) return nullptr;

  lastWindow_ += 4;
  const auto handle = reinterpret_cast<HWND>(lastWindow_);
  Window window;
  window.classKey = cls->first;
  window.info.className = cls->second.name;
  window.info.title = windowName != nullptr ? windowName : "";
  window.info.style = style & ~(kWsVisible | kWsMinimize);
  window.info.exStyle = exStyle;
  window.info.parent = parent;
  window.info.proc = cls->second.info.lpfnWndProc;
  window.instance = instance;
  window.size = SizeParam(width, height);
  windows_.emplace(Key(handle), std::move(window));

  // Whatever happens below, including a procedure that throws, a failed creation leaves no window.
  bool created = false;
  platform::ScopeExit cleanup([&] {
    if (!created) Forget(handle);
  });
  CREATESTRUCTA arguments{param, instance, menu, parent, height, width, y, x,
                          static_cast<LONG>(style), windowName, className, exStyle};
  const auto creation = reinterpret_cast<LPARAM>(&arguments);
  // A refused creation ends with WM_NCDESTROY alone: user32 sends no WM_DESTROY for it.
  if (Deliver(handle, kWmNcCreate, 0, creation) == 0 || Find(handle) == nullptr ||
      Deliver(handle, kWmCreate, 0, creation) == -1) {
    Abandon(handle);
    return nullptr;
  }
  // Popups and children learn their size now; other windows when they are first shown.
  if ((style & (kWsPopup | kWsChild)) != 0) Resize(handle);
  if ((style & kWsMinimize) != 0) {
    if (Window* target = Find(handle)) {
      target->info.iconic = true;
      Deliver(handle, kWmSize, kSizeMinimized, 0);
    }
  }
  if ((style & kWsVisible) != 0 && Find(handle) != nullptr) {
    ShowWindow(handle, (style & kWsMinimize) != 0 ? kSwShowMinimized : kSwShowNormal);
  }
  created = Find(handle) != nullptr;  // it may have destroyed itself meanwhile
  return created ? handle : nullptr;
}

void EmulatedWindows::Abandon(HWND window) {
  for (HWND child : Dependants(window, Kind::Children)) Abandon(child);
  if (Find(window) != nullptr) Deliver(window, kWmNcDestroy, 0, 0);
  Forget(window);
}

void EmulatedWindows::Resize(HWND window) {
  Window* target = Find(window);
  if (target == nullptr) return;
  target->sized = true;
  Deliver(window, kWmSize, target->info.iconic ? kSizeMinimized : kSizeRestored,
          target->info.iconic ? 0 : target->size);
}

BOOL EmulatedWindows::DestroyWindow(HWND window) {
  Window* target = Find(window);
  if (target == nullptr) return 0;
  if (target->destroying) {
    throw std::logic_error(
        "DestroyWindow from the window's own destruction: user32 would send WM_DESTROY and "
        "WM_NCDESTROY again");
  }
  target->destroying = true;
  platform::ScopeExit cleanup([&] { Forget(window); });
  for (HWND owned : Dependants(window, Kind::Owned)) DestroyWindow(owned);
  Deliver(window, kWmDestroy, 0, 0);
  for (HWND child : Dependants(window, Kind::Children)) DestroyWindow(child);
  Deliver(window, kWmNcDestroy, 0, 0);
  return 1;
}

BOOL EmulatedWindows::IsWindow(HWND window) { return Find(window) != nullptr ? 1 : 0; }

LRESULT EmulatedWindows::DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kWmSetIcon: {  // the icon it had before
      LPARAM& icon = icons_[{window, wParam == kIconBig}];
      return std::exchange(icon, lParam);
    }
    case kWmGetIcon: {
      auto it = icons_.find({window, wParam == kIconBig});
      return it != icons_.end() ? it->second : 0;
    }
    case kWmNcCreate:
      return 1;
    case kWmClose:
      DestroyWindow(window);
      return 0;
    case kWmQueryEndSession:
      return 1;
    case kWmSysCommand:
      if ((wParam & 0xFFF0) == kScMinimize) ShowWindow(window, kSwMinimize);
      if ((wParam & 0xFFF0) == kScRestore && IsIconic(window)) ShowWindow(window, kSwRestore);
      return 0;
    default:
      return 0;
  }
}

LRESULT EmulatedWindows::CallWindowProcA(WNDPROC proc, HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam) {
  if (proc == nullptr) return 0;
  return proc(window, message, wParam, lParam);
}

std::intptr_t EmulatedWindows::GetWindowLongPtrA(HWND window, int index) {
  auto info = Info(window);
  if (!info) return 0;
  switch (index) {
    case kGwlpWndProc:
      return reinterpret_cast<std::intptr_t>(info->proc);
    case kGwlpUserData:
      return info->userData;
    case kGwlStyle:
      return static_cast<std::intptr_t>(static_cast<LONG>(info->style));
    case kGwlExStyle:
      return static_cast<std::intptr_t>(static_cast<LONG>(info->exStyle));
    case kGwlpHInstance:
      return reinterpret_cast<std::intptr_t>(Find(window)->instance);
    case kGwlpHwndParent:
      return reinterpret_cast<std::intptr_t>(info->parent);
    default:
      return 0;
  }
}

std::intptr_t EmulatedWindows::SetWindowLongPtrA(HWND window, int index, std::intptr_t value) {
  Window* target = Find(window);
  if (target == nullptr) return 0;
  switch (index) {
    case kGwlpWndProc: {
      const WNDPROC previous = target->info.proc;
      if (value != 0) target->info.proc = reinterpret_cast<WNDPROC>(value);
      return reinterpret_cast<std::intptr_t>(previous);
    }
    case kGwlpUserData:
      return std::exchange(target->info.userData, value);
    default:
      return 0;
  }
}

DWORD EmulatedWindows::GetWindowThreadProcessId(HWND window, DWORD* processId) {
  const Window* target = Find(window);
  if (processId != nullptr) *processId = target != nullptr ? target->info.processId : 0;
  return target != nullptr ? kThreadId : 0;
}

void EmulatedWindows::SetWindowProcess(HWND window, DWORD processId) {
  if (Window* target = Find(window)) target->info.processId = processId;
}

HWND EmulatedWindows::FindWindowA(const char* className, const char* windowName) {
  std::optional<std::string> classKey;
  if (className != nullptr) {
    auto name = NameOf(className);
    if (!name) return nullptr;
    classKey = Upper(*name);
  }
  for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
    const Window& window = it->second;
    if ((window.info.style & kWsChild) != 0) continue;
    if (classKey && window.classKey != *classKey) continue;
    if (windowName != nullptr && Upper(window.info.title) != Upper(windowName)) continue;
    return reinterpret_cast<HWND>(it->first);
  }
  return nullptr;
}

BOOL EmulatedWindows::ShowWindow(HWND window, int command) {
  Window* target = Find(window);
  if (target == nullptr) return 0;
  const bool wasVisible = target->info.visible;
  const bool wasIconic = target->info.iconic;
  bool visible = true;
  bool iconic = wasIconic;
  switch (command) {
    case kSwHide:
      if (!wasVisible) return 0;
      visible = false;
      break;
    case kSwShowNormal:
    case kSwShowMaximized:
    case kSwShowNoActivate:
    case kSwRestore:
    case kSwShowDefault:
      iconic = false;
      break;
    case kSwShowMinimized:
    case kSwMinimize:
    case kSwShowMinNoActive:
    case kSwForceMinimize:
      if (wasIconic && wasVisible) return 1;
      iconic = true;
      break;
    case kSwShow:
    case kSwShowNa:
      break;
    default:
      return 0;
  }
  if (iconic != wasIconic) {
    target->info.visible = visible;
    target->info.iconic = iconic;
    Deliver(window, kWmSize, iconic ? kSizeMinimized : kSizeRestored, iconic ? 0 : target->size);
  } else if (visible != wasVisible || command == kSwShowNa) {
    // Sent while the window still has its old state, as user32 does; SW_SHOWNA sends it even to
    // a window that shows already.
    Deliver(window, kWmShowWindow, visible ? 1 : 0, 0);
    if (Window* still = Find(window)) still->info.visible = visible;
  }
  if (Window* still = Find(window); still != nullptr && !still->sized) Resize(window);
  return wasVisible ? 1 : 0;
}

BOOL EmulatedWindows::IsWindowVisible(HWND window) {
  // A child shows only while every window above it does.
  for (const Window* w = Find(window); w != nullptr; w = Find(w->info.parent)) {
    if (!w->info.visible) return 0;
    if ((w->info.style & kWsChild) == 0) return 1;
  }
  return 0;
}

BOOL EmulatedWindows::IsIconic(HWND window) {
  const Window* target = Find(window);
  return target != nullptr && target->info.iconic ? 1 : 0;
}

BOOL EmulatedWindows::SetForegroundWindow(HWND window) {
  foregroundCalls_.push_back(window);
  if (Find(window) == nullptr) return 0;
  foreground_ = window;
  return 1;
}

// One thread, whose windows have no children that take the focus: it rests on the foreground.
HWND EmulatedWindows::GetFocus() { return foreground_; }

BOOL EmulatedWindows::EnableWindow(HWND window, BOOL enable) {
  Window* found = Find(window);
  if (found == nullptr) return 0;
  const bool wasDisabled = (found->info.style & kWsDisabled) != 0;
  if (wasDisabled == (enable == 0)) return wasDisabled ? 1 : 0;
  found->info.style = enable != 0 ? found->info.style & ~kWsDisabled : found->info.style | kWsDisabled;
  Deliver(window, kWmEnable, enable != 0 ? 1 : 0, 0);
  return wasDisabled ? 1 : 0;
}

BOOL EmulatedWindows::IsWindowEnabled(HWND window) {
  const Window* found = Find(window);
  return found != nullptr && (found->info.style & kWsDisabled) == 0 ? 1 : 0;
}

// --- Messages --------------------------------------------------------------------------------

UINT EmulatedWindows::RegisterWindowMessageA(const char* name) {
  if (name == nullptr || *name == '\0') return 0;
  return AddAtom(name);
}

BOOL EmulatedWindows::PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window != nullptr && Find(window) == nullptr) return 0;
  if (std::find(refusedPosts_.begin(), refusedPosts_.end(), window) != refusedPosts_.end()) return 0;
  posted_.push_back(MSG{window, message, wParam, lParam, GetTickCount(), cursor_});
  return 1;
}

BOOL EmulatedWindows::ChangeWindowMessageFilterEx(HWND window, UINT message, DWORD) {
  if (Find(window) == nullptr) return 0;
  allowedMessages_.emplace_back(window, message);
  return 1;
}

LRESULT EmulatedWindows::SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return Deliver(window, message, wParam, lParam);
}

void EmulatedWindows::PostQuitMessage(int exitCode) { quitCode_ = exitCode; }

bool EmulatedWindows::TakePosted(MSG* message, const Filter& filter, bool remove,
                                 bool withQuit) {
  for (auto it = posted_.begin(); it != posted_.end(); ++it) {
    if (!withQuit && it->message == kWmQuit) continue;
    if (!filter.Takes(it->hwnd) || !filter.Takes(it->message)) continue;
    *message = *it;
    if (remove) posted_.erase(it);
    return true;
  }
  return false;
}

EmulatedWindows::Timer* EmulatedWindows::ReadyTimer(const Filter& filter,
                                                    const std::set<std::uint64_t>* skip) {
  Timer* best = nullptr;
  for (Timer& timer : timers_) {
    if (timer.due > now_ || !filter.Takes(timer.window)) continue;
    if (skip != nullptr && skip->contains(timer.serial)) continue;
    if (best == nullptr || timer.due < best->due ||
        (timer.due == best->due && timer.serial < best->serial)) {
      best = &timer;
    }
  }
  return best;
}

std::optional<std::uint64_t> EmulatedWindows::NextDue(const Filter& filter) const {
  std::optional<std::uint64_t> next;
  if (!filter.Takes(kWmTimer)) return next;
  for (const Timer& timer : timers_) {
    if (filter.Takes(timer.window) && (!next || timer.due < *next)) next = timer.due;
  }
  return next;
}

MSG EmulatedWindows::TakeTimer(Timer& timer, bool remove) {
  MSG message{timer.window, kWmTimer, timer.id, reinterpret_cast<LPARAM>(timer.proc),
              GetTickCount(), cursor_};
  // The period runs on from when it was due, so however late the delivery, one WM_TIMER
  // stands for every expiry missed, and the next comes at the next multiple of the period.
  if (remove && timer.due <= now_) {
    timer.due += ((now_ - timer.due) / timer.elapse + 1) * timer.elapse;
  }
  return message;
}

bool EmulatedWindows::Fetch(MSG* message, const Filter& filter, bool remove) {
  if (TakePosted(message, filter, remove, true)) return true;
  if (quitCode_ && filter.Takes(kWmQuit)) {
    *message = MSG{nullptr, kWmQuit, static_cast<WPARAM>(*quitCode_), 0, GetTickCount(), cursor_};
    if (remove) quitCode_.reset();
    return true;
  }
  if (!filter.Takes(kWmTimer)) return false;
  Timer* timer = ReadyTimer(filter, nullptr);
  if (timer == nullptr) return false;
  *message = TakeTimer(*timer, remove);
  return true;
}

BOOL EmulatedWindows::GetMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax) {
  if (message == nullptr) return -1;
  if (window != nullptr && window != ThreadMessagesOnly() && Find(window) == nullptr) return -1;
  const Filter filter{window, filterMin, filterMax};
  for (;;) {
    if (Fetch(message, filter, true)) return message->message == kWmQuit ? 0 : 1;
    auto next = NextDue(filter);
    if (!next) {
      throw std::logic_error(
          "GetMessageA would wait forever: no message is posted and no timer is set for it");
    }
    now_ = std::max(now_, *next);
  }
}

BOOL EmulatedWindows::PeekMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax,
                                   UINT removeMessage) {
  if (message == nullptr) return 0;
  if (window != nullptr && window != ThreadMessagesOnly() && Find(window) == nullptr) return 0;
  const bool remove = (removeMessage & kPmRemove) != 0;
  return Fetch(message, Filter{window, filterMin, filterMax}, remove) ? 1 : 0;
}

DWORD EmulatedWindows::MsgWaitForMultipleObjectsEx(DWORD count, const HANDLE*, DWORD, DWORD,
                                                   DWORD) {
  if (count != 0) throw std::logic_error("the emulated MsgWaitForMultipleObjectsEx takes no handles");
  MSG message;
  return Fetch(&message, Filter{}, false) ? kWaitObject0 : kWaitTimeout;
}

BOOL EmulatedWindows::TranslateMessage(const MSG*) { return 0; }

LRESULT EmulatedWindows::DispatchMessageA(const MSG* message) {
  if (message == nullptr) return 0;
  if (message->message == kWmTimer && message->lParam != 0) {
    const auto proc = reinterpret_cast<os::TIMERPROC>(message->lParam);
    const bool known = std::any_of(timers_.begin(), timers_.end(),
                                   [&](const Timer& t) { return t.proc == proc; });
    if (known) proc(message->hwnd, kWmTimer, message->wParam, GetTickCount());
    return 0;
  }
  return Deliver(message->hwnd, message->message, message->wParam, message->lParam);
}

// --- Timers ----------------------------------------------------------------------------------

UINT_PTR EmulatedWindows::SetTimer(HWND window, UINT_PTR id, UINT elapse, os::TIMERPROC proc) {
  if (refuseTimers_) return 0;
  if (window != nullptr && Find(window) == nullptr) return 0;
  auto existing = std::find_if(timers_.begin(), timers_.end(), [&](const Timer& t) {
    return t.window == window && t.id == id;
  });
  if (existing != timers_.end()) {
    timers_.erase(existing);
  } else if (window == nullptr) {
    auto taken = [&](UINT_PTR candidate) {
      return std::any_of(timers_.begin(), timers_.end(), [&](const Timer& t) {
        return t.window == nullptr && t.id == candidate;
      });
    };
    do {
      ++lastThreadTimerId_;
    } while (lastThreadTimerId_ == 0 || taken(lastThreadTimerId_));
    id = lastThreadTimerId_;
  }
  elapse = std::clamp(elapse, kUserTimerMinimum, kUserTimerMaximum);
  timers_.push_back(Timer{window, id, elapse, proc, now_ + elapse, ++lastTimerSerial_});
  return window != nullptr && id == 0 ? 1 : id;
}

BOOL EmulatedWindows::KillTimer(HWND window, UINT_PTR id) {
  return std::erase_if(timers_, [&](const Timer& t) {
           return t.window == window && t.id == id;
         }) > 0
             ? 1
             : 0;
}

// --- Input and system facts ------------------------------------------------------------------

BOOL EmulatedWindows::GetCursorPos(POINT* point) {
  if (point == nullptr || cursorFails_) return 0;
  *point = cursor_;
  return 1;
}

SHORT EmulatedWindows::GetAsyncKeyState(int virtualKey) {
  return keysDown_.contains(virtualKey) ? std::numeric_limits<SHORT>::min() : SHORT{0};
}

UINT EmulatedWindows::GetDoubleClickTime() { return doubleClickTime_; }

DWORD EmulatedWindows::GetSysColor(int index) {
  if (const auto set = sysColors_.find(index); set != sysColors_.end()) return set->second;
  switch (index) {
    case os::kColorWindow:
    case os::kColorHighlightText:
      return 0x00FFFFFF;
    case os::kColorWindowText:
    case os::kColorBtnText:
      return 0x00000000;
    case os::kColorHighlight:
      return 0x00D77800;
    case os::kColorBtnFace:
      return 0x00F0F0F0;
    case os::kColorHotLight:
      return 0x00CC6600;
    default:
      return 0;
  }
}

BOOL EmulatedWindows::SystemParametersInfoA(UINT action, UINT, void* data, UINT) {
  auto* contrast = static_cast<os::HIGHCONTRASTA*>(data);
  if (action != os::kSpiGetHighContrast || contrast == nullptr ||
      contrast->cbSize != sizeof(os::HIGHCONTRASTA)) {
    return 0;
  }
  contrast->dwFlags = highContrast_ ? os::kHcfHighContrastOn : 0;
  contrast->lpszDefaultScheme = nullptr;
  return 1;
}

os::HCURSOR EmulatedWindows::LoadStandardCursor(int id) {
  // IDC_ARROW .. IDC_UPARROW, IDC_SIZE .. IDC_SIZEALL, IDC_NO .. IDC_HELP.
  const bool standard = (id >= 32512 && id <= 32516) || (id >= 32640 && id <= 32646) ||
                        (id >= 32648 && id <= 32651);
  if (!standard) return nullptr;
  return reinterpret_cast<os::HCURSOR>(static_cast<std::uintptr_t>(0x60000 + id));
}

os::HCURSOR EmulatedWindows::SetCursor(os::HCURSOR cursor) {
  cursorsSet_.push_back(cursor);
  return std::exchange(shownCursor_, cursor);
}

DWORD EmulatedWindows::GetTickCount() { return static_cast<DWORD>(now_); }

void EmulatedWindows::SetKeyDown(int virtualKey, bool down) {
  if (down) {
    keysDown_.insert(virtualKey);
  } else {
    keysDown_.erase(virtualKey);
  }
}

// --- Test drivers ----------------------------------------------------------------------------

std::size_t EmulatedWindows::DispatchDue() {
  std::set<std::uint64_t> served;
  std::size_t count = 0;
  for (;;) {
    MSG message;
    if (!TakePosted(&message, Filter{}, true, false)) {
      Timer* timer = ReadyTimer(Filter{}, &served);
      if (timer == nullptr) break;
      served.insert(timer->serial);
      message = TakeTimer(*timer, true);
    }
    if (++count > kMaxDispatchesPerRound) {
      throw std::logic_error("over " + std::to_string(kMaxDispatchesPerRound) +
                             " messages in one round: a handler keeps posting");
    }
    DispatchMessageA(&message);
  }
  return count;
}

std::size_t EmulatedWindows::ProcessPending() { return DispatchDue(); }

std::size_t EmulatedWindows::Advance(std::chrono::milliseconds span) {
  if (span.count() < 0) throw std::invalid_argument("the clock does not run backwards");
  const std::uint64_t end = now_ + static_cast<std::uint64_t>(span.count());
  std::size_t count = DispatchDue();
  for (auto next = NextDue(Filter{}); next && *next <= end; next = NextDue(Filter{})) {
    now_ = std::max(now_, *next);
    count += DispatchDue();
  }
  now_ = std::max(now_, end);  // a handler's own GetMessageA may have gone further
  return count;
}

void EmulatedWindows::SkipTime(std::chrono::milliseconds span) {
  if (span.count() < 0) throw std::invalid_argument("the clock does not run backwards");
  now_ += static_cast<std::uint64_t>(span.count());
}

LRESULT EmulatedWindows::SendFromOtherThread(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
  ++otherThreadSends_;
  const platform::ScopeExit done([this] { --otherThreadSends_; });
  return Deliver(window, message, wParam, lParam);
}

// --- Inspection ------------------------------------------------------------------------------

BOOL EmulatedWindows::SetWindowTextA(HWND window, const char* text) {
  Window* target = Find(window);
  if (target == nullptr) return 0;
  target->info.title = text != nullptr ? text : "";
  return 1;
}

int EmulatedWindows::GetWindowTextA(HWND window, char* text, int size) {
  const Window* target = Find(window);
  if (target == nullptr || text == nullptr || size <= 0) return 0;
  const std::string& title = target->info.title;
  const std::size_t count = std::min(title.size(), static_cast<std::size_t>(size - 1));
  std::memcpy(text, title.data(), count);
  text[count] = '\0';
  return static_cast<int>(count);
}

os::HWINSTA EmulatedWindows::GetProcessWindowStation() {
  return reinterpret_cast<os::HWINSTA>(std::uintptr_t{0x5A70});
}

BOOL EmulatedWindows::GetUserObjectInformationA(os::HANDLE object, int index, void* info,
                                                DWORD length, DWORD* needed) {
  if (object != static_cast<void*>(GetProcessWindowStation()) || index != os::kUoiFlags) return 0;
  if (needed != nullptr) *needed = sizeof(os::USEROBJECTFLAGS);
  if (info == nullptr || length < sizeof(os::USEROBJECTFLAGS)) return 0;
  os::USEROBJECTFLAGS flags;
  flags.dwFlags = stationVisible_ ? os::kWsfVisible : 0;
  std::memcpy(info, &flags, sizeof flags);
  return 1;
}

int EmulatedWindows::MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) {
  messageBoxes_.push_back({owner, text != nullptr ? text : "", caption != nullptr ? caption : "", type});
  // Its owner takes no input while it is open, and is enabled again before it closes.
  const bool disablesOwner = owner != nullptr && IsWindowEnabled(owner) != 0;
  if (disablesOwner) EnableWindow(owner, 0);
  if (OnMessageBox) OnMessageBox(messageBoxes_.back());
  if (disablesOwner) EnableWindow(owner, 1);
  if (messageBoxAnswers_.empty()) return kIdOk;
  const int answer = messageBoxAnswers_.front();
  messageBoxAnswers_.pop_front();
  return answer;
}

std::optional<EmulatedWindows::WindowInfo> EmulatedWindows::Info(HWND window) const {
  const Window* target = Find(window);
  if (target == nullptr) return std::nullopt;
  WindowInfo info = target->info;
  if (info.visible) info.style |= kWsVisible;
  if (info.iconic) info.style |= kWsMinimize;
  return info;
}

std::vector<HWND> EmulatedWindows::TopLevelWindows() const {
  std::vector<HWND> out;
  for (const auto& [key, window] : windows_) {
    if ((window.info.style & kWsChild) == 0) out.push_back(reinterpret_cast<HWND>(key));
  }
  return out;
}

std::vector<EmulatedWindows::TimerInfo> EmulatedWindows::Timers() const {
  std::vector<TimerInfo> out;
  for (const Timer& t : timers_) {
    out.push_back(TimerInfo{t.window, t.id, t.elapse, static_cast<DWORD>(t.due)});
  }
  return out;
}

}  // namespace tarnwick::platform::emulated
