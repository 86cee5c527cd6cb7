// The real windows, messages, timers and notification area, reached through the platform
// interface the way the tray and the application reach them. Runs under Wine, whose virtual
// desktop supplies the taskbar and its notification area.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/Win32Platform.h"

namespace {

namespace os = tarnwick::os;
using tarnwick::platform::Sh;
using tarnwick::platform::Win;
using tarnwick::platform::win32::Win32Platform;

constexpr char kClassName[] = "TarnwickPlatformTestWindow";
constexpr os::UINT kProbe = os::kWmUser + 77;
constexpr os::UINT kTrayCallback = 0x0800;

// Every wait in these tests ends by this many milliseconds at the latest.
constexpr os::DWORD kTickWait = 2000;
constexpr os::DWORD kTrayWait = 20000;
constexpr os::DWORD kBalloonWait = 8000;

// Wide values that lose bits, or their sign, if a forward narrows them.
constexpr os::WPARAM kWideW = 0xFEDCBA9876543210u;
constexpr os::LPARAM kWideL = -0x123456789ABCLL;

std::string UniqueTitle(const char* what) {
  // Tests run in parallel processes that share one desktop.
  return std::string(what) + "." + std::to_string(::GetCurrentProcessId());
}

// Wine makes no window at all, not even a hidden one, without an X display.
std::string NoWindow() {
  const char* display = std::getenv("DISPLAY");
  return std::string("CreateWindowExA failed; DISPLAY=") +
         (display != nullptr ? display : "(unset)");
}

// The class procedure, as the hidden windows have DefWindowProcA; it also answers kProbe, so a
// test can tell that CallWindowProcA reached it with the arguments intact.
os::LRESULT ClassProc(os::HWND window, os::UINT message, os::WPARAM wParam, os::LPARAM lParam) {
  if (message == kProbe) return static_cast<os::LRESULT>(wParam) ^ lParam;
  return Win().DefWindowProcA(window, message, wParam, lParam);
}

struct Seen {
  os::UINT message;
  os::WPARAM wParam;
  os::LPARAM lParam;
};

// A hidden message window as the tray makes them: class procedure first, then the object bound
// through GWLP_USERDATA and its own procedure swapped in.
class TestWindow {
 public:
  explicit TestWindow(const std::string& title = "") {
    os::HINSTANCE instance = Win().GetModuleHandleA(nullptr);
    handle_ = Win().CreateWindowExA(os::kWsExToolWindow, kClassName, title.c_str(), os::kWsPopup,
                                    0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    if (handle_ == nullptr) return;
    Win().SetWindowLongPtrA(handle_, os::kGwlpUserData, reinterpret_cast<std::intptr_t>(this));
    previous_ = Win().SetWindowLongPtrA(handle_, os::kGwlpWndProc,
                                        reinterpret_cast<std::intptr_t>(&ObjectProc));
  }
  ~TestWindow() {
    if (handle_ != nullptr && Win().IsWindow(handle_)) Win().DestroyWindow(handle_);
  }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  os::HWND handle() const { return handle_; }
  std::intptr_t previous() const { return previous_; }
  const std::vector<Seen>& seen() const { return seen_; }
  void SetReply(os::LRESULT reply) { reply_ = reply; }
  std::size_t Count(os::UINT message) const {
    return static_cast<std::size_t>(std::count_if(
        seen_.begin(), seen_.end(), [&](const Seen& s) { return s.message == message; }));
  }

  // The object's own procedure, swapped in once the window exists.
  static os::LRESULT ObjectProc(os::HWND window, os::UINT message, os::WPARAM wParam,
                                os::LPARAM lParam) {
    auto* self = reinterpret_cast<TestWindow*>(Win().GetWindowLongPtrA(window, os::kGwlpUserData));
    if (self == nullptr) return Win().DefWindowProcA(window, message, wParam, lParam);
    self->seen_.push_back({message, wParam, lParam});
    if (message == os::kWmNcDestroy) Win().SetWindowLongPtrA(window, os::kGwlpUserData, 0);
    if (message == kProbe) return self->reply_;
    return Win().DefWindowProcA(window, message, wParam, lParam);
  }

 private:
  os::HWND handle_ = nullptr;
  std::intptr_t previous_ = 0;
  std::vector<Seen> seen_;
  os::LRESULT reply_ = 0;
};

// Dispatches this thread's messages until `done` holds or `limit` ms have passed.
bool PumpUntil(const std::function<bool()>& done, os::DWORD limit) {
  const os::DWORD start = Win().GetTickCount();
  for (;;) {
    if (done()) return true;
    if (Win().GetTickCount() - start >= limit) return false;
    os::MSG message;
    if (Win().PeekMessageA(&message, nullptr, 0, 0, os::kPmRemove)) {
      Win().TranslateMessage(&message);
      Win().DispatchMessageA(&message);
    } else {
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
  }
}

void PumpFor(os::DWORD duration) {
  PumpUntil([] { return false; }, duration);
}

// A thread timer, so that a GetMessageA whose message never comes still returns.
class Watchdog {
 public:
  explicit Watchdog(os::UINT limit) : id_(Win().SetTimer(nullptr, 0, limit, nullptr)) {}
  ~Watchdog() { Win().KillTimer(nullptr, id_); }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;
  bool Armed() const { return id_ != 0; }
  bool Fired(const os::MSG& message) const {
    return message.message == os::kWmTimer && message.hwnd == nullptr && message.wParam == id_;
  }

 private:
  os::UINT_PTR id_;
};

class PlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    os::WNDCLASSA windowClass;
    windowClass.lpfnWndProc = &ClassProc;
    windowClass.hInstance = Win().GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClassName;
    ASSERT_NE(0, Win().RegisterClassA(&windowClass));
  }
  void TearDown() override {
    Win().UnregisterClassA(kClassName, Win().GetModuleHandleA(nullptr));
  }

  Win32Platform platform_;
};

// ---------------------------------------------------------------------------------------------
// Hidden windows and timers

using HiddenWindow = PlatformTest;

TEST_F(HiddenWindow, IsCreatedHiddenAndHandsItsMessagesToTheBoundObject) {
  const std::string title = UniqueTitle("hidden");
  TestWindow window(title);
  const os::HWND handle = window.handle();
  ASSERT_NE(nullptr, handle) << NoWindow();
  EXPECT_NE(0, Win().IsWindow(handle));
  EXPECT_EQ(0, Win().IsWindowVisible(handle));
  EXPECT_EQ(handle, Win().FindWindowA(kClassName, title.c_str()));

  // The class is reported with the procedure it was registered with, which is what a second
  // registration compares against.
  os::WNDCLASSA registered;
  ASSERT_NE(0, Win().GetClassInfoA(Win().GetModuleHandleA(nullptr), kClassName, &registered));
  EXPECT_EQ(&ClassProc, registered.lpfnWndProc);
  EXPECT_STREQ(kClassName, registered.lpszClassName);

  // Swapping the procedure hands back the class procedure, and the window now runs ours.
  EXPECT_EQ(reinterpret_cast<std::intptr_t>(&ClassProc), window.previous());
  EXPECT_EQ(reinterpret_cast<std::intptr_t>(&TestWindow::ObjectProc),
            Win().GetWindowLongPtrA(handle, os::kGwlpWndProc));
  EXPECT_EQ(reinterpret_cast<std::intptr_t>(&window),
            Win().GetWindowLongPtrA(handle, os::kGwlpUserData));

  // Sent messages reach the object with full-width arguments, and its result comes back whole.
  window.SetReply(0x1122334455667788LL);
  EXPECT_EQ(0x1122334455667788LL, Win().SendMessageA(handle, kProbe, kWideW, kWideL));
  ASSERT_EQ(1u, window.Count(kProbe));
  EXPECT_EQ(kWideW, window.seen().back().wParam);
  EXPECT_EQ(kWideL, window.seen().back().lParam);

  // Passing a message on to the saved procedure reaches it, as an owner-window hook does.
  const auto saved = reinterpret_cast<os::WNDPROC>(window.previous());
  EXPECT_EQ(static_cast<os::LRESULT>(kWideW) ^ kWideL,
            Win().CallWindowProcA(saved, handle, kProbe, kWideW, kWideL));
  EXPECT_EQ(1u, window.Count(kProbe));
}

TEST_F(HiddenWindow, ReceivesTimerTicksUntilTheTimerIsKilled) {
  TestWindow window;
  ASSERT_NE(nullptr, window.handle()) << NoWindow();
  // The tray uses each timer object's address as its identifier.
  const auto id = reinterpret_cast<os::UINT_PTR>(&window);

  const os::DWORD start = Win().GetTickCount();
  ASSERT_NE(0u, Win().SetTimer(window.handle(), id, 20, nullptr));
  const bool ticked = PumpUntil([&] { return window.Count(os::kWmTimer) >= 3; }, kTickWait);
  const os::DWORD elapsed = Win().GetTickCount() - start;
  ASSERT_TRUE(ticked) << "only " << window.Count(os::kWmTimer) << " WM_TIMER in " << kTickWait
                      << " ms from a 20 ms timer";
  EXPECT_GE(elapsed, 40u) << "three ticks of a 20 ms timer came too early";
  for (const Seen& s : window.seen()) {
    if (s.message == os::kWmTimer) {
      EXPECT_EQ(id, s.wParam);
    }
  }

  EXPECT_NE(0, Win().KillTimer(window.handle(), id));
  EXPECT_EQ(0, Win().KillTimer(window.handle(), id)) << "a second kill found a timer";
  const std::size_t ticks = window.Count(os::kWmTimer);
  PumpFor(150);
  EXPECT_EQ(ticks, window.Count(os::kWmTimer)) << "WM_TIMER after KillTimer";
}

TEST_F(HiddenWindow, SecondSetTimerWithTheSameIdentifierReplacesTheFirst) {
  TestWindow window;
  ASSERT_NE(nullptr, window.handle()) << NoWindow();
  ASSERT_NE(0u, Win().SetTimer(window.handle(), 5, 20, nullptr));
  ASSERT_NE(0u, Win().SetTimer(window.handle(), 5, 60000, nullptr));
  PumpFor(150);
  EXPECT_EQ(0u, window.Count(os::kWmTimer));
  EXPECT_NE(0, Win().KillTimer(window.handle(), 5));
}

os::UINT_PTR procTicks = 0;
os::HWND procWindow = nullptr;
os::UINT_PTR procId = 0;
void TickProc(os::HWND window, os::UINT message, os::UINT_PTR id, os::DWORD) {
  if (message == os::kWmTimer) ++procTicks;
  procWindow = window;
  procId = id;
}

TEST_F(HiddenWindow, TimerProcedureGetsTheTicksInsteadOfTheWindow) {
  TestWindow window;
  ASSERT_NE(nullptr, window.handle()) << NoWindow();
  procTicks = 0;
  ASSERT_NE(0u, Win().SetTimer(window.handle(), 9, 20, &TickProc));
  const bool ticked = PumpUntil([] { return procTicks >= 2; }, kTickWait);
  Win().KillTimer(window.handle(), 9);
  ASSERT_TRUE(ticked) << "the timer procedure ran " << procTicks << " times";
  EXPECT_EQ(window.handle(), procWindow);
  EXPECT_EQ(9u, procId);
  EXPECT_EQ(0u, window.Count(os::kWmTimer));
}

TEST_F(HiddenWindow, DestroyDeliversDestroyThenNcDestroyLast) {
  const std::string title = UniqueTitle("destroyed");
  TestWindow window(title);
  const os::HWND handle = window.handle();
  ASSERT_NE(nullptr, handle) << NoWindow();
  // A class with a window cannot go; the tray's re-registration relies on the result.
  EXPECT_EQ(0, Win().UnregisterClassA(kClassName, Win().GetModuleHandleA(nullptr)));

  ASSERT_NE(0, Win().DestroyWindow(handle));
  const auto& seen = window.seen();
  ASSERT_EQ(1u, window.Count(os::kWmDestroy));
  ASSERT_EQ(1u, window.Count(os::kWmNcDestroy));
  const auto destroy = std::find_if(seen.begin(), seen.end(),
                                    [](const Seen& s) { return s.message == os::kWmDestroy; });
  const auto ncDestroy = std::find_if(seen.begin(), seen.end(),
                                      [](const Seen& s) { return s.message == os::kWmNcDestroy; });
  EXPECT_LT(destroy, ncDestroy);
  EXPECT_EQ(0, Win().IsWindow(handle));
  EXPECT_EQ(nullptr, Win().FindWindowA(kClassName, title.c_str()));
  EXPECT_EQ(0, Win().DestroyWindow(handle));

  EXPECT_NE(0, Win().UnregisterClassA(kClassName, Win().GetModuleHandleA(nullptr)));
  os::WNDCLASSA gone;
  EXPECT_EQ(0, Win().GetClassInfoA(Win().GetModuleHandleA(nullptr), kClassName, &gone));
}

// ---------------------------------------------------------------------------------------------
// The message queue

using MessageQueue = PlatformTest;

TEST_F(MessageQueue, PostedMessageComesBackFromGetMessageAndIsDispatched) {
  TestWindow window;
  ASSERT_NE(nullptr, window.handle()) << NoWindow();
  Watchdog watchdog(kTickWait);
  ASSERT_TRUE(watchdog.Armed());

  ASSERT_NE(0, Win().PostMessageA(window.handle(), kProbe, kWideW, kWideL));
  EXPECT_EQ(0u, window.Count(kProbe)) << "a posted message ran before the loop took it";
  os::MSG message;
  do {
    ASSERT_GT(Win().GetMessageA(&message, nullptr, 0, 0), 0);
    ASSERT_FALSE(watchdog.Fired(message)) << "the posted message never came";
  } while (message.message != kProbe);
  EXPECT_EQ(window.handle(), message.hwnd);
  EXPECT_EQ(kProbe, message.message);
  EXPECT_EQ(kWideW, message.wParam);
  EXPECT_EQ(kWideL, message.lParam);

  window.SetReply(-5);
  EXPECT_EQ(-5, Win().DispatchMessageA(&message));
  ASSERT_EQ(1u, window.Count(kProbe));
  EXPECT_EQ(kWideW, window.seen().back().wParam);
  EXPECT_EQ(kWideL, window.seen().back().lParam);
}

TEST_F(MessageQueue, PeekLeavesOrRemovesAsAsked) {
  TestWindow window;
  ASSERT_NE(nullptr, window.handle()) << NoWindow();
  const os::HWND handle = window.handle();
  os::MSG message;
  EXPECT_EQ(0, Win().PeekMessageA(&message, handle, kProbe, kProbe, os::kPmRemove));

  ASSERT_NE(0, Win().PostMessageA(handle, kProbe, 1, 2));
  ASSERT_NE(0, Win().PeekMessageA(&message, handle, kProbe, kProbe, os::kPmNoRemove));
  EXPECT_EQ(kProbe, message.message);
  ASSERT_NE(0, Win().PeekMessageA(&message, handle, kProbe, kProbe, os::kPmRemove));
  EXPECT_EQ(1u, message.wParam);
  EXPECT_EQ(2, message.lParam);
  EXPECT_EQ(0, Win().PeekMessageA(&message, handle, kProbe, kProbe, os::kPmRemove));
}

TEST_F(MessageQueue, PostQuitMessageEndsGetMessageWithZero) {
  TestWindow window;
  ASSERT_NE(nullptr, window.handle()) << NoWindow();
  Watchdog watchdog(kTickWait);
  ASSERT_TRUE(watchdog.Armed());
  // Messages posted before the quit are still taken first.
  ASSERT_NE(0, Win().PostMessageA(window.handle(), kProbe, 0, 0));
  Win().PostQuitMessage(3);

  os::MSG message;
  std::size_t before = 0;
  os::BOOL got = 0;
  while ((got = Win().GetMessageA(&message, nullptr, 0, 0)) > 0) {
    ASSERT_FALSE(watchdog.Fired(message)) << "GetMessageA never returned 0 after PostQuitMessage";
    Win().DispatchMessageA(&message);
    ++before;
  }
  EXPECT_EQ(0, got);
  EXPECT_EQ(os::kWmQuit, message.message);
  EXPECT_EQ(3u, message.wParam);
  EXPECT_EQ(1u, window.Count(kProbe));
  EXPECT_GE(before, 1u);
}

TEST_F(MessageQueue, RegisteredMessagesAreStableAndDistinct) {
  const os::UINT taskbarCreated = Win().RegisterWindowMessageA("TaskbarCreated");
  EXPECT_GE(taskbarCreated, 0xC000u);
  EXPECT_LE(taskbarCreated, 0xFFFFu);
  EXPECT_EQ(taskbarCreated, Win().RegisterWindowMessageA("TaskbarCreated"));
  EXPECT_NE(taskbarCreated, Win().RegisterWindowMessageA("Tarnwick.PlatformTest.Other"));
  std::printf("RegisterWindowMessageA(\"TaskbarCreated\") = 0x%04X\n", taskbarCreated);
}

// ---------------------------------------------------------------------------------------------
// File versions

using FileVersion = PlatformTest;

TEST_F(FileVersion, CommonControlsHaveAVersionOfAtLeast471) {
  const os::DWORD version = Sh().FileVersion("comctl32.dll");
  std::printf("FileVersion(\"comctl32.dll\") = 0x%08X (%u.%u)\n", version, version >> 16,
              version & 0xFFFF);
  EXPECT_GE(version, 0x00040047u);
  // Major in the high word: a swapped or least-significant half would show as an absurd major.
  EXPECT_LE(version >> 16, 10u);
}

TEST_F(FileVersion, IsZeroWhenThereIsNoVersionToRead) {
  EXPECT_EQ(0u, Sh().FileVersion("C:\\no such folder\\no such file.dll"));
  char self[MAX_PATH] = {};
  ASSERT_NE(0u, ::GetModuleFileNameA(nullptr, self, MAX_PATH));
  EXPECT_EQ(0u, Sh().FileVersion(self)) << self << " has no version resource";
}

// ---------------------------------------------------------------------------------------------
// The notification area of the virtual desktop's taskbar

// The shell's balloon is a visible balloon-style tooltip window in the taskbar's process.
bool BalloonShown(os::DWORD shellProcess) {
  struct Search {
    os::DWORD process;
    bool found;
  } search{shellProcess, false};
  ::EnumWindows(
      [](::HWND window, ::LPARAM param) -> ::BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        ::DWORD process = 0;
        ::GetWindowThreadProcessId(window, &process);
        char className[64] = {};
        ::GetClassNameA(window, className, sizeof className);
        if (process == s->process && ::lstrcmpiA(className, TOOLTIPS_CLASSA) == 0 &&
            (::GetWindowLongPtrA(window, GWL_STYLE) & TTS_BALLOON) != 0 &&
            ::IsWindowVisible(window)) {
          s->found = true;
        }
        return !s->found;
      },
      reinterpret_cast<::LPARAM>(&search));
  return search.found;
}

class NotificationArea : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    window_ = std::make_unique<TestWindow>();
    ASSERT_NE(nullptr, window_->handle()) << NoWindow();
    // The first process of a session starts the desktop; its taskbar can come a little later.
    const os::DWORD start = Win().GetTickCount();
    PumpUntil([&] { return (tray_ = Win().FindWindowA("Shell_TrayWnd", nullptr)) != nullptr; },
              kTrayWait);
    const os::DWORD waited = Win().GetTickCount() - start;
    ASSERT_NE(nullptr, tray_) << "no Shell_TrayWnd after " << waited
                              << " ms: is Wine's virtual desktop (HKCU\\Software\\Wine\\Explorer "
                                 "Desktop) set, and DISPLAY an X server?";
    std::printf("Shell_TrayWnd found after %u ms\n", waited);
    ::GetWindowThreadProcessId(reinterpret_cast<::HWND>(tray_), &shellProcess_);

    data_.hWnd = window_->handle();
    data_.uID = 0x51;
    data_.uFlags = os::kNifMessage | os::kNifIcon | os::kNifTip;
    data_.uCallbackMessage = kTrayCallback;
    data_.hIcon = reinterpret_cast<os::HICON>(::LoadIcon(nullptr, IDI_APPLICATION));
    std::strcpy(data_.szTip, "Tarnwick platform test");
  }
  void TearDown() override {
    if (added_) Sh().Shell_NotifyIconA(os::kNimDelete, &data_);
    window_.reset();
    PlatformTest::TearDown();
  }

  os::BOOL Add() {
    const os::BOOL accepted = Sh().Shell_NotifyIconA(os::kNimAdd, &data_);
    added_ = added_ || accepted != 0;
    return accepted;
  }
  os::BOOL Delete() {
    const os::BOOL accepted = Sh().Shell_NotifyIconA(os::kNimDelete, &data_);
    added_ = added_ && accepted == 0;
    return accepted;
  }
  bool WaitForBalloon(bool shown, os::DWORD limit) {
    return PumpUntil([&] { return BalloonShown(shellProcess_) == shown; }, limit);
  }

  std::unique_ptr<TestWindow> window_;
  os::HWND tray_ = nullptr;
  ::DWORD shellProcess_ = 0;
  os::NOTIFYICONDATAA data_;
  bool added_ = false;
};

TEST_F(NotificationArea, IconIsAddedChangedGivenABalloonAndRemoved) {
  ASSERT_NE(0, Add());
  data_.uTimeout = 0;  // uVersion: the classic callbacks
  EXPECT_NE(0, Sh().Shell_NotifyIconA(os::kNimSetVersion, &data_));

  std::strcpy(data_.szTip, "Tarnwick v1.0 - monitoring");
  EXPECT_NE(0, Sh().Shell_NotifyIconA(os::kNimModify, &data_));

  ASSERT_FALSE(BalloonShown(shellProcess_)) << "a balloon is up before ours";
  data_.uFlags |= os::kNifInfo;
  std::strcpy(data_.szInfoTitle, "Tarnwick");
  std::strcpy(data_.szInfo, "You can restore program by clicking the icon");
  data_.dwInfoFlags = os::kNiifInfo;
  data_.uTimeout = 10000;
  const os::DWORD start = Win().GetTickCount();
  ASSERT_NE(0, Sh().Shell_NotifyIconA(os::kNimModify, &data_));
  // Only a record of a size the shell knows carries the balloon text; of any other size the
  // call is still accepted, but no balloon ever shows.
  ASSERT_TRUE(WaitForBalloon(true, kBalloonWait))
      << "no balloon within " << kBalloonWait << " ms (another icon's balloon showing at the "
      << "same time delays ours)";
  std::printf("balloon shown after %u ms\n", Win().GetTickCount() - start);

  EXPECT_NE(0, Delete());
  EXPECT_TRUE(WaitForBalloon(false, kTickWait)) << "the balloon outlived its icon";
  // The icon is really gone: the shell no longer knows it.
  EXPECT_EQ(0, Sh().Shell_NotifyIconA(os::kNimModify, &data_));
}

TEST_F(NotificationArea, CallsForAnIconThatIsNotThereAreRefused) {
  EXPECT_EQ(0, Sh().Shell_NotifyIconA(os::kNimModify, &data_));
  EXPECT_EQ(0, Sh().Shell_NotifyIconA(os::kNimDelete, &data_));
  ASSERT_NE(0, Add());
  EXPECT_EQ(0, Sh().Shell_NotifyIconA(os::kNimAdd, &data_)) << "the same icon was added twice";
  EXPECT_NE(0, Delete());
  EXPECT_EQ(0, Delete());
}

// ---------------------------------------------------------------------------------------------
// Windows on the desktop and the cursor

using Desktop = PlatformTest;

TEST_F(Desktop, WindowIsShownMinimisedRestoredAndHidden) {
  TestWindow window(UniqueTitle("shown"));
  const os::HWND handle = window.handle();
  ASSERT_NE(nullptr, handle) << NoWindow();
  EXPECT_EQ(0, Win().ShowWindow(handle, os::kSwShow)) << "was visible before it was shown";
  EXPECT_NE(0, Win().IsWindowVisible(handle));
  EXPECT_NE(0, Win().SetForegroundWindow(handle));
  EXPECT_EQ(reinterpret_cast<::HWND>(handle), ::GetForegroundWindow());

  EXPECT_NE(0, Win().ShowWindow(handle, os::kSwMinimize));
  EXPECT_NE(0, Win().IsIconic(handle));
  Win().ShowWindow(handle, os::kSwRestore);
  EXPECT_EQ(0, Win().IsIconic(handle));

  EXPECT_NE(0, Win().ShowWindow(handle, os::kSwHide)) << "was not visible before it was hidden";
  EXPECT_EQ(0, Win().IsWindowVisible(handle));
}

TEST_F(Desktop, CursorPositionIsTheSystemsOwn) {
  ASSERT_NE(0, ::SetCursorPos(123, 234));
  os::POINT point;
  ASSERT_NE(0, Win().GetCursorPos(&point));
  EXPECT_EQ(123, point.x);
  EXPECT_EQ(234, point.y);
}

}  // namespace
