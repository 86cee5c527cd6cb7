// The emulated user32 as the tray and the message loop rely on it: creation and destruction,
// subclassing, the queue, and timers on the virtual clock.
#include "platform/emulated/EmulatedWindows.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/emulated/EmulatedPlatform.h"

namespace tarnwick::platform::emulated {
namespace {

using namespace os;
using namespace std::chrono_literals;

struct Received {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD tick;
  std::string by;  // which procedure saw it
  bool operator==(const Received&) const = default;
};

// Window procedures are plain functions; they reach the running test through this.
struct Script {
  std::vector<Received> received;
  // Answers a message in place of the default handling when it returns a value.
  std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)> answer;
  WNDPROC saved = nullptr;
};
Script* script = nullptr;

void Note(HWND window, UINT message, WPARAM wParam, LPARAM lParam, const char* by) {
  script->received.push_back({window, message, wParam, lParam, Win().GetTickCount(), by});
}

LRESULT ClassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Note(window, message, wParam, lParam, "class");
  if (script->answer) {
    if (auto result = script->answer(window, message, wParam, lParam)) return *result;
  }
  return Win().DefWindowProcA(window, message, wParam, lParam);
}

LRESULT Subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Note(window, message, wParam, lParam, "subclass");
  return Win().CallWindowProcA(script->saved, window, message, wParam, lParam);
}

void TimerProc(HWND window, UINT message, UINT_PTR id, DWORD tick) {
  script->received.push_back({window, message, id, 0, tick, "timerproc"});
}

void ForgedTimerProc(HWND window, UINT message, UINT_PTR id, DWORD tick) {
  script->received.push_back({window, message, id, 0, tick, "forged"});
}

class EmulatedWindowsTest : public ::testing::Test {
 protected:
  EmulatedWindowsTest() {
    script = &script_;
    WNDCLASSA windowClass;
    windowClass.lpfnWndProc = &ClassProc;
    windowClass.lpszClassName = "TestWindow";
    windowClass.hInstance = win_.GetModuleHandleA(nullptr);
    win_.RegisterClassA(&windowClass);
  }
  ~EmulatedWindowsTest() override { script = nullptr; }

  HWND Create(const char* title = "", DWORD style = kWsPopup, HWND parent = nullptr) {
    return win_.CreateWindowExA(kWsExToolWindow, "TestWindow", title, style, 0, 0, 0, 0, parent,
                                nullptr, win_.GetModuleHandleA(nullptr), nullptr);
  }
  std::vector<UINT> Messages(HWND window = nullptr) const {
    std::vector<UINT> out;
    for (const Received& r : script_.received) {
      if (window == nullptr || r.window == window) out.push_back(r.message);
    }
    return out;
  }
  // WM_TIMER deliveries as (id, ticks after the start).
  std::vector<std::pair<UINT_PTR, DWORD>> Ticks() const {
    std::vector<std::pair<UINT_PTR, DWORD>> out;
    for (const Received& r : script_.received) {
      if (r.message == kWmTimer) out.emplace_back(r.wParam, r.tick - EmulatedWindows::kStartTick);
    }
    return out;
  }

  Script script_;
  EmulatedPlatform os_;
  EmulatedWindows& win_ = os_.windows();
};

constexpr DWORD kWsVisible = 0x10000000;
constexpr DWORD kWsChild = 0x40000000;

// --- Classes and creation --------------------------------------------------------------------

TEST_F(EmulatedWindowsTest, ClassNamesCompareWithoutCaseAndStayWhileWindowsUseThem) {
  WNDCLASSA again;
  again.lpfnWndProc = &Subclass;
  again.lpszClassName = "TESTWINDOW";
  EXPECT_EQ(0, win_.RegisterClassA(&again));

  WNDCLASSA found;
  ASSERT_NE(0, win_.GetClassInfoA(nullptr, "testwindow", &found));
  EXPECT_EQ(&ClassProc, found.lpfnWndProc);

  HWND window = Create();
  EXPECT_EQ(0, win_.UnregisterClassA("TestWindow", nullptr));
  win_.DestroyWindow(window);
  EXPECT_NE(0, win_.UnregisterClassA("testWINDOW", nullptr));
  EXPECT_EQ(0, win_.GetClassInfoA(nullptr, "TestWindow", &found));
  EXPECT_EQ(nullptr, Create());
  EXPECT_NE(0, win_.RegisterClassA(&again));
}

TEST_F(EmulatedWindowsTest, CreationStoresItsArgumentsAndSendsNcCreateThenCreate) {
  HWND parent = Create("Owner", kWsPopup | kWsVisible);
  script_.received.clear();
  HWND window = Create("Title", kWsPopup, parent);
  ASSERT_NE(nullptr, window);
  EXPECT_EQ((std::vector<UINT>{kWmNcCreate, kWmCreate}), Messages());

  auto info = win_.Info(window);
  ASSERT_TRUE(info);
  EXPECT_EQ("TestWindow", info->className);
  EXPECT_EQ("Title", info->title);
  EXPECT_EQ(kWsPopup, info->style);
  EXPECT_EQ(kWsExToolWindow, info->exStyle);
  EXPECT_EQ(parent, info->parent);
  EXPECT_FALSE(info->visible);
  EXPECT_TRUE(win_.Info(parent)->visible);
  EXPECT_EQ(0, info->userData);
  EXPECT_EQ(&ClassProc, info->proc);
  EXPECT_EQ(nullptr, win_.CreateWindowExA(0, "Unknown", "", 0, 0, 0, 0, 0, nullptr, nullptr,
                                          nullptr, nullptr));
  EXPECT_EQ(nullptr, Create("", kWsChild));  // a child needs a parent
  EXPECT_EQ(2u, win_.WindowCount());
}

TEST_F(EmulatedWindowsTest, AProcedureCanRefuseItsCreation) {
  struct Case {
    UINT refusedAt;
    LRESULT answer;
    std::vector<UINT> expected;
  };
  for (const Case& c : {Case{kWmNcCreate, 0, {kWmNcCreate, kWmNcDestroy}},
                        Case{kWmCreate, -1, {kWmNcCreate, kWmCreate, kWmDestroy, kWmNcDestroy}}}) {
    script_.received.clear();
    script_.answer = [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (message == c.refusedAt) return c.answer;
      return std::nullopt;
    };
    EXPECT_EQ(nullptr, Create()) << c.refusedAt;
    EXPECT_EQ(c.expected, Messages()) << c.refusedAt;
    EXPECT_EQ(0u, win_.WindowCount()) << c.refusedAt;
  }
}

// --- Destruction -----------------------------------------------------------------------------

TEST_F(EmulatedWindowsTest, DestructionSendsDestroyThenNcDestroyAndInvalidatesTheHandle) {
  HWND window = Create();
  script_.received.clear();
  EXPECT_NE(0, win_.DestroyWindow(window));
  EXPECT_EQ((std::vector<UINT>{kWmDestroy, kWmNcDestroy}), Messages());
  EXPECT_EQ(0, win_.IsWindow(window));
  EXPECT_FALSE(win_.Info(window));
  EXPECT_EQ(0, win_.DestroyWindow(window));
  EXPECT_EQ(0, win_.PostMessageA(window, kWmUser, 0, 0));
  EXPECT_EQ(0, win_.SendMessageA(window, kWmUser, 0, 0));
  EXPECT_EQ(0u, win_.SetTimer(window, 1, 100, nullptr));
  EXPECT_EQ(0, win_.ShowWindow(window, kSwShow));
  EXPECT_EQ(0, win_.SetWindowLongPtrA(window, kGwlpUserData, 5));
  EXPECT_EQ(0, win_.GetWindowLongPtrA(window, kGwlpUserData));
  EXPECT_EQ(0, win_.SetForegroundWindow(window));
  EXPECT_EQ(2u, script_.received.size());  // nothing reached the procedure
  EXPECT_NE(window, Create());             // handles are never reused
}

TEST_F(EmulatedWindowsTest, DestructionKillsTheWindowsTimersAndDropsItsMessages) {
  HWND doomed = Create();
  HWND other = Create();
  win_.SetTimer(doomed, 1, 100, nullptr);
  win_.SetTimer(other, 2, 100, nullptr);
  win_.PostMessageA(doomed, kWmUser, 1, 0);
  win_.PostMessageA(other, kWmUser, 2, 0);
  script_.answer = [&](HWND window, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    // What a window posts or sets while it goes away goes with it.
    if (window == doomed && message == kWmDestroy) {
      win_.PostMessageA(doomed, kWmUser, 3, 0);
      win_.SetTimer(doomed, 4, 10, nullptr);
    }
    return std::nullopt;
  };
  win_.DestroyWindow(doomed);
  ASSERT_EQ(1u, win_.TimerCount());
  EXPECT_EQ(other, win_.Timers()[0].window);
  script_.received.clear();
  win_.Advance(100ms);
  EXPECT_EQ((std::vector<UINT>{kWmUser, kWmTimer}), Messages(other));
  EXPECT_EQ(2u, script_.received.size());
}

TEST_F(EmulatedWindowsTest, AWindowCanDestroyItselfFromItsOwnProcedure) {
  HWND window = Create();
  HWND bystander = Create();
  win_.SetTimer(window, 1, 100, nullptr);
  int destroyCalls = 0;
  script_.answer = [&](HWND target, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (target == window && (message == kWmTimer || message == kWmDestroy)) {
      ++destroyCalls;
      EXPECT_NE(0, win_.DestroyWindow(target));  // again while going away: no second round
    }
    return std::nullopt;
  };
  script_.received.clear();
  win_.PostMessageA(bystander, kWmUser, 0, 0);
  win_.Advance(100ms);
  EXPECT_EQ(2, destroyCalls);
  EXPECT_EQ((std::vector<UINT>{kWmTimer, kWmDestroy, kWmNcDestroy}), Messages(window));
  EXPECT_EQ(0, win_.IsWindow(window));
  EXPECT_EQ(0u, win_.TimerCount());
}

TEST_F(EmulatedWindowsTest, DestroyingAWindowDestroysTheWindowsItOwnsAndParents) {
  HWND top = Create();
  HWND child = Create("", kWsChild, top);
  HWND owned = Create("", kWsPopup, top);
  script_.received.clear();
  win_.DestroyWindow(top);
  EXPECT_EQ(0u, win_.WindowCount());
  std::vector<std::pair<HWND, UINT>> order;
  for (const Received& r : script_.received) order.emplace_back(r.window, r.message);
  EXPECT_EQ((std::vector<std::pair<HWND, UINT>>{{owned, kWmDestroy},
                                                {owned, kWmNcDestroy},
                                                {top, kWmDestroy},
                                                {child, kWmDestroy},
                                                {child, kWmNcDestroy},
                                                {top, kWmNcDestroy}}),
            order);
}

TEST_F(EmulatedWindowsTest, AThrowingProcedureLeavesNoHalfMadeOrHalfDestroyedWindow) {
  script_.answer = [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == kWmCreate || message == kWmDestroy) throw std::runtime_error("boom");
    return std::nullopt;
  };
  EXPECT_THROW(Create(), std::runtime_error);
  EXPECT_EQ(0u, win_.WindowCount());

  script_.answer = nullptr;
  HWND window = Create();
  win_.SetTimer(window, 1, 100, nullptr);
  win_.PostMessageA(window, kWmUser, 0, 0);
  script_.answer = [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == kWmDestroy) throw std::runtime_error("boom");
    return std::nullopt;
  };
  EXPECT_THROW(win_.DestroyWindow(window), std::runtime_error);
  EXPECT_EQ(0, win_.IsWindow(window));
  EXPECT_EQ(0u, win_.TimerCount());
  EXPECT_TRUE(win_.PostedMessages().empty());
}

// --- Procedures, default handling, lookup ----------------------------------------------------

TEST_F(EmulatedWindowsTest, SubclassingRoutesLaterMessagesThroughTheNewProcedure) {
  HWND window = Create();
  script_.saved = reinterpret_cast<WNDPROC>(
      win_.SetWindowLongPtrA(window, kGwlpWndProc, reinterpret_cast<std::intptr_t>(&Subclass)));
  EXPECT_EQ(&ClassProc, script_.saved);
  EXPECT_EQ(reinterpret_cast<std::intptr_t>(&Subclass),
            win_.GetWindowLongPtrA(window, kGwlpWndProc));
  EXPECT_EQ(0, win_.SetWindowLongPtrA(window, kGwlpWndProc, 0));  // refused, not stored
  EXPECT_EQ(&Subclass, win_.Info(window)->proc);

  script_.received.clear();
  win_.SendMessageA(window, kWmUser, 1, 2);
  win_.PostMessageA(window, kWmUser, 3, 4);
  win_.ProcessPending();
  std::vector<std::string> by;
  for (const Received& r : script_.received) by.push_back(r.by + ":" + std::to_string(r.wParam));
  EXPECT_EQ((std::vector<std::string>{"subclass:1", "class:1", "subclass:3", "class:3"}), by);

  EXPECT_EQ(0, win_.SetWindowLongPtrA(window, kGwlpUserData, 0x1234));
  EXPECT_EQ(0x1234, win_.SetWindowLongPtrA(window, kGwlpUserData, 0x5678));
  EXPECT_EQ(0x5678, win_.GetWindowLongPtrA(window, kGwlpUserData));
}

TEST_F(EmulatedWindowsTest, DefaultHandlingClosesAndAgreesToEndTheSession) {
  struct Case {
    UINT message;
    LRESULT result;
    bool survives;
  };
  for (const Case& c : {Case{kWmClose, 0, false}, Case{kWmQueryEndSession, 1, true},
                        Case{kWmEndSession, 0, true}, Case{kWmUser, 0, true}}) {
    HWND window = Create();
    EXPECT_EQ(c.result, win_.SendMessageA(window, c.message, 0, 0)) << c.message;
    EXPECT_EQ(c.survives, win_.IsWindow(window) != 0) << c.message;
  }
  // A procedure that answers WM_CLOSE itself keeps its window.
  script_.answer = [](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == kWmClose) return 1;
    return std::nullopt;
  };
  HWND kept = Create();
  EXPECT_EQ(1, win_.SendMessageA(kept, kWmClose, 0, 0));
  EXPECT_NE(0, win_.IsWindow(kept));
}

TEST_F(EmulatedWindowsTest, FindWindowLooksAtTopLevelWindowsByClassAndExactTitle) {
  HWND main = Create("Design caption");
  win_.SetWindowTextA(main, "Tarnwick v1.0b Personal");
  HWND child = Create("Tarnwick v1.0b Personal", kWsChild, main);
  ASSERT_NE(nullptr, child);
  struct Case {
    const char* className;
    const char* title;
    HWND expected;
  };
  for (const Case& c :
       {Case{"TestWindow", "Tarnwick v1.0b Personal", main}, Case{"TESTWINDOW", nullptr, main},
        Case{nullptr, "Tarnwick v1.0b Personal", main},
        Case{"TestWindow", "tarnwick v1.0b personal", nullptr},
        Case{"TestWindow", "Design caption", nullptr},
        Case{"Other", "Tarnwick v1.0b Personal", nullptr}}) {
    EXPECT_EQ(c.expected, win_.FindWindowA(c.className, c.title))
        << (c.className ? c.className : "null") << " / " << (c.title ? c.title : "null");
  }
  HWND newer = Create("Tarnwick v1.0b Personal");
  EXPECT_EQ(newer, win_.FindWindowA(nullptr, nullptr));
}

TEST_F(EmulatedWindowsTest, ShowWindowKeepsVisibilityAndTheMinimisedState) {
  struct Case {
    bool visible;
    bool iconic;
    int command;
    BOOL result;
    bool visibleAfter;
    bool iconicAfter;
    std::vector<std::pair<UINT, WPARAM>> sent;
  };
  const std::vector<Case> cases = {
      {false, false, kSwShow, 0, true, false, {{kWmShowWindow, 1}}},
      {true, false, kSwHide, 1, false, false, {{kWmShowWindow, 0}}},
      {true, false, kSwShow, 1, true, false, {}},
      {false, false, kSwHide, 0, false, false, {}},
      {true, false, kSwMinimize, 1, true, true, {{kWmSize, kSizeMinimized}}},
      {false, false, kSwShowMinimized, 0, true, true, {{kWmSize, kSizeMinimized}}},
      {true, true, kSwRestore, 1, true, false, {{kWmSize, 0}}},
      {true, true, kSwShowNormal, 1, true, false, {{kWmSize, 0}}},
      {true, true, kSwHide, 1, false, true, {{kWmShowWindow, 0}}},
      {false, true, kSwShow, 0, true, true, {{kWmShowWindow, 1}}},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    HWND window = Create("", kWsPopup | (c.visible ? kWsVisible : 0));
    if (c.iconic) {
      win_.ShowWindow(window, kSwMinimize);
      if (!c.visible) win_.ShowWindow(window, kSwHide);
    }
    script_.received.clear();
    EXPECT_EQ(c.result, win_.ShowWindow(window, c.command)) << "case " << i;
    EXPECT_EQ(c.visibleAfter, win_.IsWindowVisible(window) != 0) << "case " << i;
    EXPECT_EQ(c.iconicAfter, win_.IsIconic(window) != 0) << "case " << i;
    std::vector<std::pair<UINT, WPARAM>> sent;
    for (const Received& r : script_.received) sent.emplace_back(r.message, r.wParam);
    EXPECT_EQ(c.sent, sent) << "case " << i;
  }
}

TEST_F(EmulatedWindowsTest, AChildIsVisibleOnlyWhileItsParentIs) {
  HWND parent = Create("", kWsPopup);
  HWND child = Create("", kWsChild | kWsVisible, parent);
  EXPECT_EQ(0, win_.IsWindowVisible(child));
  win_.ShowWindow(parent, kSwShow);
  EXPECT_NE(0, win_.IsWindowVisible(child));
}

TEST_F(EmulatedWindowsTest, SetForegroundWindowRecordsEveryCall) {
  HWND first = Create();
  HWND second = Create();
  EXPECT_NE(0, win_.SetForegroundWindow(first));
  EXPECT_NE(0, win_.SetForegroundWindow(second));
  EXPECT_EQ(0, win_.SetForegroundWindow(nullptr));
  EXPECT_EQ(second, win_.ForegroundWindow());
  EXPECT_EQ((std::vector<HWND>{first, second, nullptr}), win_.ForegroundCalls());
  win_.DestroyWindow(second);
  EXPECT_EQ(nullptr, win_.ForegroundWindow());
}

// --- The queue -------------------------------------------------------------------------------

TEST_F(EmulatedWindowsTest, RegisteredMessagesAreOneNumberPerNameWhateverItsCase) {
  const UINT taskbar = win_.RegisterWindowMessageA("TaskbarCreated");
  EXPECT_GE(taskbar, 0xC000u);
  EXPECT_EQ(taskbar, win_.RegisterWindowMessageA("TASKBARCREATED"));
  EXPECT_NE(taskbar, win_.RegisterWindowMessageA("SomethingElse"));
  EXPECT_EQ(0u, win_.RegisterWindowMessageA(""));
  EXPECT_EQ(0u, win_.RegisterWindowMessageA(nullptr));
}

TEST_F(EmulatedWindowsTest, PeekMessageFiltersByWindowAndRange) {
  HWND a = Create();
  HWND b = Create();
  const HWND threadOnly = reinterpret_cast<HWND>(static_cast<std::intptr_t>(-1));
  struct Case {
    HWND window;
    UINT first;
    UINT last;
    HWND expectedWindow;
    UINT expectedMessage;
  };
  for (const Case& c : {Case{nullptr, 0, 0, a, kWmUser}, Case{b, 0, 0, b, kWmUser + 1},
                        Case{nullptr, kWmUser + 1, kWmUser + 5, b, kWmUser + 1},
                        Case{threadOnly, 0, 0, nullptr, kWmUser + 2},
                        Case{a, kWmUser + 1, kWmUser + 5, nullptr, 0}}) {
    win_.PostMessageA(a, kWmUser, 0, 0);
    win_.PostMessageA(b, kWmUser + 1, 0, 0);
    win_.PostMessageA(nullptr, kWmUser + 2, 0, 0);
    MSG message;
    const BOOL found = win_.PeekMessageA(&message, c.window, c.first, c.last, kPmNoRemove);
    EXPECT_EQ(c.expectedMessage != 0, found != 0);
    if (found) {
      EXPECT_EQ(c.expectedWindow, message.hwnd);
      EXPECT_EQ(c.expectedMessage, message.message);
      // Left in place, so the same message is there to be removed.
      MSG removed;
      ASSERT_NE(0, win_.PeekMessageA(&removed, c.window, c.first, c.last, kPmRemove));
      EXPECT_EQ(message.message, removed.message);
      EXPECT_EQ(2u, win_.PostedMessages().size());
    }
    while (win_.PeekMessageA(&message, nullptr, 0, 0, kPmRemove)) {
    }
  }
  MSG message;
  EXPECT_EQ(0, win_.PeekMessageA(&message, reinterpret_cast<HWND>(std::uintptr_t{0x42}), 0, 0,
                                 kPmRemove));
}

TEST_F(EmulatedWindowsTest, GetMessageEndsTheLoopWithWmQuitAfterThePostedMessages) {
  HWND window = Create();
  win_.SetTimer(window, 1, 10, nullptr);
  win_.PostMessageA(window, kWmUser, 7, 0);
  win_.PostQuitMessage(3);
  win_.SkipTime(50ms);
  EXPECT_EQ(2u, win_.ProcessPending());  // the message and the timer; WM_QUIT waits
  EXPECT_EQ(3, win_.PendingQuit());

  win_.PostMessageA(window, kWmUser, 8, 0);
  win_.SkipTime(50ms);
  MSG message;
  ASSERT_EQ(1, win_.GetMessageA(&message, nullptr, 0, 0));
  EXPECT_EQ(8u, message.wParam);
  ASSERT_EQ(0, win_.GetMessageA(&message, nullptr, 0, 0));  // before the due timer
  EXPECT_EQ(kWmQuit, message.message);
  EXPECT_EQ(3u, message.wParam);
  ASSERT_EQ(1, win_.GetMessageA(&message, nullptr, 0, 0));
  EXPECT_EQ(kWmTimer, message.message);

  // A running instance is told to quit with WM_QUIT posted to its window.
  win_.PostMessageA(window, kWmQuit, 0, 0);
  EXPECT_EQ(0, win_.GetMessageA(&message, nullptr, 0, 0));
}

TEST_F(EmulatedWindowsTest, GetMessageWaitsForTheNextTimerAndNeverForNothing) {
  HWND window = Create();
  win_.SetTimer(window, 9, 1000, nullptr);
  MSG message;
  ASSERT_EQ(1, win_.GetMessageA(&message, nullptr, 0, 0));
  EXPECT_EQ(kWmTimer, message.message);
  EXPECT_EQ(9u, message.wParam);
  EXPECT_EQ(EmulatedWindows::kStartTick + 1000, win_.GetTickCount());
  win_.DispatchMessageA(&message);
  EXPECT_EQ((std::vector<UINT>{kWmNcCreate, kWmCreate, kWmTimer}), Messages());

  win_.KillTimer(window, 9);
  EXPECT_THROW(win_.GetMessageA(&message, nullptr, 0, 0), std::logic_error);
  win_.SetTimer(window, 9, 1000, nullptr);  // a timer the filter does not take does not count
  EXPECT_THROW(win_.GetMessageA(&message, nullptr, kWmUser, kWmUser), std::logic_error);
}

TEST_F(EmulatedWindowsTest, ATimerProcedureIsCalledInsteadOfTheWindowAndNeverAForgedOne) {
  HWND window = Create();
  win_.SetTimer(window, 5, 100, &TimerProc);
  const UINT_PTR threadTimer = win_.SetTimer(nullptr, 0, 100, &TimerProc);
  EXPECT_NE(0u, threadTimer);
  script_.received.clear();
  win_.Advance(100ms);
  MSG forged{window, kWmTimer, 5, reinterpret_cast<LPARAM>(&ForgedTimerProc), 0, POINT{}};
  win_.DispatchMessageA(&forged);
  ASSERT_EQ(2u, script_.received.size());
  EXPECT_EQ((Received{window, kWmTimer, 5, 0, EmulatedWindows::kStartTick + 100, "timerproc"}),
            script_.received[0]);
  EXPECT_EQ(
      (Received{nullptr, kWmTimer, threadTimer, 0, EmulatedWindows::kStartTick + 100, "timerproc"}),
      script_.received[1]);
}

TEST_F(EmulatedWindowsTest, AHandlerThatKeepsPostingIsStoppedInsteadOfHanging) {
  HWND window = Create();
  script_.answer = [&](HWND target, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == kWmUser) win_.PostMessageA(target, kWmUser, 0, 0);
    return 0;
  };
  win_.PostMessageA(window, kWmUser, 0, 0);
  EXPECT_THROW(win_.ProcessPending(), std::logic_error);
}

// --- Timers ----------------------------------------------------------------------------------

TEST_F(EmulatedWindowsTest, AdvanceDeliversEveryTickInTimeOrderAndTiesInTheOrderSet) {
  HWND window = Create();
  EXPECT_EQ(2u, win_.SetTimer(window, 2, 1500, nullptr));
  EXPECT_EQ(1u, win_.SetTimer(window, 1, 1000, nullptr));
  EXPECT_EQ(5u, win_.Advance(3000ms));
  EXPECT_EQ((std::vector<std::pair<UINT_PTR, DWORD>>{
                {1, 1000}, {2, 1500}, {1, 2000}, {2, 3000}, {1, 3000}}),
            Ticks());
  script_.received.clear();
  win_.KillTimer(window, 2);
  EXPECT_EQ(5u, win_.Advance(5000ms));
  EXPECT_EQ(EmulatedWindows::kStartTick + 8000, win_.GetTickCount());
}

TEST_F(EmulatedWindowsTest, SettingATimerAgainReplacesItAndRestartsItsPeriod) {
  HWND window = Create();
  win_.SetTimer(window, 1, 1000, nullptr);
  win_.Advance(600ms);
  EXPECT_EQ(1u, win_.SetTimer(window, 1, 1000, nullptr));
  EXPECT_EQ(1u, win_.TimerCount());
  win_.Advance(999ms);
  EXPECT_TRUE(Ticks().empty());
  win_.Advance(1ms);
  EXPECT_EQ((std::vector<std::pair<UINT_PTR, DWORD>>{{1, 1600}}), Ticks());
}

TEST_F(EmulatedWindowsTest, ATimerDueSeveralTimesSinceItsLastDeliveryIsDeliveredOnce) {
  HWND window = Create();
  win_.SetTimer(window, 1, 1000, nullptr);
  win_.SkipTime(3500ms);
  EXPECT_EQ(1u, win_.ProcessPending());
  EXPECT_EQ(0u, win_.ProcessPending());
  // The period keeps its rhythm: the next tick is at 4000, not 4500.
  win_.Advance(499ms);
  EXPECT_EQ(1u, Ticks().size());
  win_.Advance(1ms);
  EXPECT_EQ((std::vector<std::pair<UINT_PTR, DWORD>>{{1, 3500}, {1, 4000}}), Ticks());
}

TEST_F(EmulatedWindowsTest, PostedMessagesGoBeforeTimers) {
  HWND window = Create();
  win_.SetTimer(window, 1, 100, nullptr);
  win_.SkipTime(100ms);
  win_.PostMessageA(window, kWmUser, 0, 0);
  MSG message;
  ASSERT_NE(0, win_.PeekMessageA(&message, nullptr, 0, 0, kPmNoRemove));
  EXPECT_EQ(kWmUser, message.message);
  script_.received.clear();
  win_.ProcessPending();
  EXPECT_EQ((std::vector<UINT>{kWmUser, kWmTimer}), Messages());
}

TEST_F(EmulatedWindowsTest, MessagesPostedByATickAreHandledBeforeTheClockMovesOn) {
  HWND window = Create();
  win_.SetTimer(window, 1, 100, nullptr);
  script_.answer = [&](HWND target, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == kWmTimer) {
      win_.PostMessageA(target, kWmUser, 0, 0);
      win_.SetTimer(target, 2, 50, nullptr);  // set during the run, due within it
    }
    return 0;
  };
  script_.received.clear();
  win_.Advance(200ms);
  std::vector<std::pair<UINT, DWORD>> seen;
  for (const Received& r : script_.received) {
    seen.emplace_back(r.message, r.tick - EmulatedWindows::kStartTick);
  }
  EXPECT_EQ((std::vector<std::pair<UINT, DWORD>>{{kWmTimer, 100},
                                                 {kWmUser, 100},
                                                 {kWmTimer, 150},
                                                 {kWmUser, 150},
                                                 {kWmTimer, 200},
                                                 {kWmUser, 200}}),
            seen);
}

TEST_F(EmulatedWindowsTest, KillTimerSaysWhetherThereWasSuchATimer) {
  HWND window = Create();
  HWND other = Create();
  win_.SetTimer(window, 1, 100, nullptr);
  struct Case {
    HWND window;
    UINT_PTR id;
    BOOL result;
  };
  for (const Case& c :
       {Case{other, 1, 0}, Case{window, 2, 0}, Case{window, 1, 1}, Case{window, 1, 0}}) {
    EXPECT_EQ(c.result, win_.KillTimer(c.window, c.id) != 0 ? 1 : 0);
  }
  win_.Advance(1000ms);
  EXPECT_TRUE(Ticks().empty());
}

TEST_F(EmulatedWindowsTest, SetTimerFailsWhereUser32WouldAndKeepsAtLeastTenMilliseconds) {
  HWND window = Create();
  EXPECT_EQ(0u, win_.SetTimer(reinterpret_cast<HWND>(std::uintptr_t{0x42}), 1, 100, nullptr));
  win_.RefuseTimers();
  EXPECT_EQ(0u, win_.SetTimer(window, 1, 100, nullptr));
  win_.RefuseTimers(false);
  EXPECT_EQ(0u, win_.TimerCount());

  const UINT_PTR first = win_.SetTimer(nullptr, 77, 100, nullptr);
  const UINT_PTR second = win_.SetTimer(nullptr, 77, 100, nullptr);
  EXPECT_NE(first, second);  // a null window's unknown id is not honoured
  EXPECT_EQ(first, win_.SetTimer(nullptr, first, 200, nullptr));
  EXPECT_EQ(2u, win_.TimerCount());

  win_.SetTimer(window, 3, 0, nullptr);
  EXPECT_EQ(10u, win_.Timers().back().elapse);
  win_.Advance(9ms);
  EXPECT_TRUE(Ticks().empty());
  win_.Advance(1ms);
  EXPECT_EQ(1u, Ticks().size());
}

TEST_F(EmulatedWindowsTest, AThrowingTimerHandlerPropagatesAndTheTimerRunsOn) {
  HWND window = Create();
  win_.SetTimer(window, 1, 100, nullptr);
  win_.PostMessageA(window, kWmUser, 0, 0);
  script_.answer = [](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == kWmTimer || message == kWmUser) throw std::runtime_error("handler failed");
    return 0;
  };
  EXPECT_THROW(win_.ProcessPending(), std::runtime_error);  // the posted message: consumed
  EXPECT_THROW(win_.Advance(300ms), std::runtime_error);    // the tick at 100
  script_.answer = nullptr;
  script_.received.clear();
  win_.Advance(200ms);
  EXPECT_EQ((std::vector<std::pair<UINT_PTR, DWORD>>{{1, 200}, {1, 300}}), Ticks());
}

// --- Input and system facts, and the platform --------------------------------------------------

TEST_F(EmulatedWindowsTest, KeysReadAsDownByTheTopBitAndTheCursorCanBeUnreadable) {
  win_.SetKeyDown(kVkShift);
  EXPECT_LT(win_.GetAsyncKeyState(kVkShift), 0);
  EXPECT_EQ(0, win_.GetAsyncKeyState(kVkControl));
  POINT point;
  win_.PlaceCursor(POINT{640, 480});
  ASSERT_NE(0, win_.GetCursorPos(&point));
  EXPECT_EQ(640, point.x);
  win_.FailGetCursorPos();
  EXPECT_EQ(0, win_.GetCursorPos(&point));
}

TEST(EmulatedPlatformServicesTest, InstallsItsWindowsAndShellWithTheRegistry) {
  EXPECT_THROW(Win(), std::logic_error);
  {
    EmulatedPlatform platform;
    EXPECT_EQ(&platform.windows(), &Win());
    EXPECT_EQ(&platform.shell(), &Sh());
    EXPECT_EQ(&platform.registry(), &Reg());
  }
  EXPECT_THROW(Sh(), std::logic_error);
}

}  // namespace
}  // namespace tarnwick::platform::emulated
