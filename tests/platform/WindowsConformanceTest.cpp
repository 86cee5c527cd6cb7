// One suite for both user32s: natively it runs on the emulated windows, messages and timers,
// under Wine on user32 and shell32, reached through the platform interface the way the tray
// and the application reach them. A wait moves the virtual clock in the one run and pumps real
// messages in the other, so every expectation holds for both.
//
// WindowsConformance keeps to hidden windows. DesktopConformance shows windows, takes the
// foreground, moves the cursor and uses the notification area: under Wine all tests share one
// desktop, so those hold the lock "desktop".
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "tests/support/MessageScript.h"
#include "tests/support/TestDesktop.h"
#include "tests/support/TestPlatform.h"

namespace tarnwick {
namespace {

using namespace os;
using namespace std::chrono_literals;
using platform::Sh;
using platform::Sys;
using platform::Win;
using test::Received;
using test::Script;
using test::script;

// Values user32 has that the program does not need.
constexpr DWORD kWsVisible = 0x10000000;
constexpr DWORD kWsChild = 0x40000000;
constexpr DWORD kWsMinimize = 0x20000000;
constexpr DWORD kWsOverlappedForm = 0x00CA0000;  // WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX
constexpr int kSwShowNa = 8;
constexpr int kGwlpHwndParent = -8;
constexpr int kGwlStyle = -16;
constexpr int kGwlExStyle = -20;

// A message of the tests' own, and the callback message of the notification-area test's icon.
constexpr UINT kProbe = kWmUser + 77;
constexpr UINT kTrayCallback = 0x0800;

// Wide values that lose bits, or their sign, if anything on the way narrows them: all of a
// pointer's width.
constexpr WPARAM kWideW =
    sizeof(WPARAM) == 8 ? static_cast<WPARAM>(0xFEDCBA9876543210u) : 0xFEDCBA98u;
constexpr LPARAM kWideL =
    sizeof(LPARAM) == 8 ? static_cast<LPARAM>(-0x123456789ABCLL) : -0x12345678L;

// Every wait for something that should come ends by then.
constexpr auto kTickWait = 2000ms;
constexpr auto kTrayWait = 20000ms;

// Tests run in parallel processes that share one desktop under Wine, so what FindWindowA can
// see carries a stamp of this process.
std::string Unique(const std::string& what) {
  static const std::string stamp =
      std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
  return what + "." + stamp;
}

// The messages these tests follow: those the program acts on, and the tests' own. user32 sends
// many more (sizing, activation, painting), which no expectation here is about.
bool Followed(UINT message) {
  switch (message) {
    case kWmNcCreate:
    case kWmCreate:
    case kWmDestroy:
    case kWmNcDestroy:
    case kWmShowWindow:
    case kWmSize:
    case kWmClose:
    case kWmQueryEndSession:
    case kWmEndSession:
    case kWmTimer:
      return true;
    default:
      return message >= kWmUser && message < 0x8000;
  }
}

void Note(HWND window, UINT message, WPARAM wParam, LPARAM lParam, const char* by) {
  if (script != nullptr && Followed(message)) {
    script->received.push_back({window, message, wParam, lParam, Win().GetTickCount(), by});
  }
}

// Answers kProbe itself, so a test can tell that a message reached it with its arguments whole.
LRESULT TARNWICK_CALLBACK ClassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Note(window, message, wParam, lParam, "class");
  if (script != nullptr && script->answer) {
    if (auto result = script->answer(window, message, wParam, lParam)) return *result;
  }
  if (message == kProbe) return static_cast<LRESULT>(wParam) ^ lParam;
  return Win().DefWindowProcA(window, message, wParam, lParam);
}

LRESULT TARNWICK_CALLBACK Subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Note(window, message, wParam, lParam, "subclass");
  return Win().CallWindowProcA(script->saved, window, message, wParam, lParam);
}

void TARNWICK_CALLBACK TimerProc(HWND window, UINT message, UINT_PTR id, DWORD tick) {
  script->received.push_back({window, message, id, 0, tick, "timerproc"});
}

// A thread timer, so that a GetMessageA whose message never comes still returns.
class Watchdog {
 public:
  explicit Watchdog(UINT limit) : id_(Win().SetTimer(nullptr, 0, limit, nullptr)) {}
  ~Watchdog() { Win().KillTimer(nullptr, id_); }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;
  bool Armed() const { return id_ != 0; }
  bool Fired(const MSG& message) const {
    return message.message == kWmTimer && message.hwnd == nullptr && message.wParam == id_;
  }

 private:
  UINT_PTR id_;
};

class WindowsConformance : public ::testing::Test {
 protected:
  WindowsConformance() : className_(Unique("TarnwickTestWindow")) {
    script = &script_;
    WNDCLASSA windowClass;
    windowClass.lpfnWndProc = &ClassProc;
    windowClass.lpszClassName = className_.c_str();
    windowClass.hInstance = Instance();
    registered_ = Win().RegisterClassA(&windowClass) != 0;
  }
  ~WindowsConformance() override {
    for (HWND window : created_) {
      if (Win().IsWindow(window)) Win().DestroyWindow(window);
    }
    Win().UnregisterClassA(className_.c_str(), Instance());
    script = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(registered_) << "RegisterClassA " << className_; }

  static HINSTANCE Instance() { return Win().GetModuleHandleA(nullptr); }

  HWND Create(const std::string& title = "", DWORD style = kWsPopup, HWND parent = nullptr) {
    HWND window = Win().CreateWindowExA(kWsExToolWindow, className_.c_str(), title.c_str(), style,
                                        0, 0, 0, 0, parent, nullptr, Instance(), nullptr);
    if (window != nullptr) created_.push_back(window);
    return window;
  }
  // The followed messages as the procedures saw them, of one window or of all.
  std::vector<UINT> Messages(HWND window = nullptr) const {
    std::vector<UINT> out;
    for (const Received& r : script_.received) {
      if (window == nullptr || r.window == window) out.push_back(r.message);
    }
    return out;
  }
  std::size_t Count(HWND window, UINT message) const {
    const std::vector<UINT> all = Messages(window);
    return static_cast<std::size_t>(std::count(all.begin(), all.end(), message));
  }
  // The WM_TIMERs a window's procedure saw, as (id, tick).
  std::vector<std::pair<UINT_PTR, DWORD>> Ticks(HWND window) const {
    std::vector<std::pair<UINT_PTR, DWORD>> out;
    for (const Received& r : script_.received) {
      if (r.window == window && r.message == kWmTimer) out.emplace_back(r.wParam, r.tick);
    }
    return out;
  }
  // Takes every message now in the queue without dispatching any.
  static std::vector<MSG> TakeQueued(HWND window = nullptr) {
    std::vector<MSG> taken;
    MSG message;
    while (Win().PeekMessageA(&message, window, 0, 0, kPmRemove)) taken.push_back(message);
    return taken;
  }

  test::TestPlatform os_;
  Script script_;
  std::string className_;
  bool registered_ = false;
  std::vector<HWND> created_;
};

// =============================================================================================
// Classes and creation

TEST_F(WindowsConformance, ClassNamesCompareWithoutCaseAndAClassStaysWhileWindowsUseIt) {
  std::string upper = className_;
  std::string lower = className_;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));

  WNDCLASSA again;
  again.lpfnWndProc = &Subclass;
  again.lpszClassName = upper.c_str();
  again.hInstance = Instance();
  EXPECT_EQ(0, Win().RegisterClassA(&again));

  // The class is reported with the procedure it was registered with, which is what a second
  // registration compares against, and under the name it was asked by.
  WNDCLASSA found;
  ASSERT_NE(0, Win().GetClassInfoA(Instance(), lower.c_str(), &found));
  EXPECT_EQ(&ClassProc, found.lpfnWndProc);
  EXPECT_STREQ(lower.c_str(), found.lpszClassName);

  // A class with a window cannot go; the tray's re-registration relies on the result.
  HWND window = Create();
  ASSERT_NE(nullptr, window);
  EXPECT_EQ(0, Win().UnregisterClassA(className_.c_str(), Instance()));
  Win().DestroyWindow(window);
  EXPECT_NE(0, Win().UnregisterClassA(upper.c_str(), Instance()));
  EXPECT_EQ(0, Win().GetClassInfoA(Instance(), className_.c_str(), &found));
  EXPECT_EQ(nullptr, Create());
  EXPECT_NE(0, Win().RegisterClassA(&again));

  // A class registered with its large and small icons hands back both, as they were given.
  EXPECT_NE(0, Win().UnregisterClassA(className_.c_str(), Instance()));
  WNDCLASSEXA withIcons;
  withIcons.lpfnWndProc = &ClassProc;
  withIcons.lpszClassName = className_.c_str();
  withIcons.hInstance = Instance();
  withIcons.hIcon = reinterpret_cast<os::HICON>(0x10064);
  withIcons.hIconSm = reinterpret_cast<os::HICON>(0x10066);
  ASSERT_NE(0, Win().RegisterClassExA(&withIcons));
  WNDCLASSEXA foundWithIcons;
  ASSERT_NE(0, Win().GetClassInfoExA(Instance(), lower.c_str(), &foundWithIcons));
  EXPECT_EQ(&ClassProc, foundWithIcons.lpfnWndProc);
  EXPECT_EQ(withIcons.hIcon, foundWithIcons.hIcon);
  EXPECT_EQ(withIcons.hIconSm, foundWithIcons.hIconSm);
}

TEST_F(WindowsConformance, CreationSendsNcCreateCreateAndForPopupsAndChildrenTheirSize) {
  HWND parent = Create("Parent");
  ASSERT_NE(nullptr, parent);
  using Sent = std::vector<std::pair<UINT, WPARAM>>;
  struct Case {
    const char* what;
    DWORD style;
    Sent sent;
    bool iconic;
  };
  const Sent created = {{kWmNcCreate, 0}, {kWmCreate, 0}};
  const Sent sized = {{kWmNcCreate, 0}, {kWmCreate, 0}, {kWmSize, 0}};
  const Sent minimised = {
      {kWmNcCreate, 0}, {kWmCreate, 0}, {kWmSize, 0}, {kWmSize, kSizeMinimized}};
  for (const Case& c : {Case{"popup", kWsPopup, sized, false},
                        Case{"child", kWsChild, sized, false},
                        Case{"overlapped", kWsOverlappedForm, created, false},
                        Case{"minimised popup", kWsPopup | kWsMinimize, minimised, true}}) {
    script_.received.clear();
    HWND window = Create("", c.style, (c.style & kWsChild) != 0 ? parent : nullptr);
    ASSERT_NE(nullptr, window) << c.what;
    Sent sent;
    for (const Received& r : script_.received) sent.emplace_back(r.message, r.wParam);
    EXPECT_EQ(c.sent, sent) << c.what;
    EXPECT_EQ(c.iconic, Win().IsIconic(window) != 0) << c.what;
    EXPECT_EQ(0, Win().IsWindowVisible(window)) << c.what;
  }
}

TEST_F(WindowsConformance, CreationKeepsItsArguments) {
  const std::string title = Unique("Title");
  HWND owner = Create("Owner");
  ASSERT_NE(nullptr, owner);
  HWND window = Create(title, kWsPopup, owner);
  ASSERT_NE(nullptr, window);

  EXPECT_NE(0, Win().IsWindow(window));
  EXPECT_EQ(0, Win().IsWindowVisible(window));
  char text[64] = {};
  EXPECT_EQ(static_cast<int>(title.size()), Win().GetWindowTextA(window, text, sizeof text));
  EXPECT_EQ(title, text);
  EXPECT_EQ(window, Win().FindWindowA(className_.c_str(), title.c_str()));
  EXPECT_EQ(reinterpret_cast<std::intptr_t>(owner),
            Win().GetWindowLongPtrA(window, kGwlpHwndParent));
  EXPECT_NE(0, Win().GetWindowLongPtrA(window, kGwlStyle) & kWsPopup);
  EXPECT_EQ(0, Win().GetWindowLongPtrA(window, kGwlStyle) & kWsVisible);
  EXPECT_NE(0, Win().GetWindowLongPtrA(window, kGwlExStyle) & kWsExToolWindow);
  EXPECT_EQ(0, Win().GetWindowLongPtrA(window, kGwlpUserData));
  EXPECT_EQ(reinterpret_cast<std::intptr_t>(&ClassProc),
            Win().GetWindowLongPtrA(window, kGwlpWndProc));

  EXPECT_EQ(nullptr, Win().CreateWindowExA(0, Unique("Unknown").c_str(), "", 0, 0, 0, 0, 0,
                                           nullptr, nullptr, Instance(), nullptr));
  EXPECT_EQ(nullptr, Create("", kWsChild));  // a child needs a parent

  // WM_NCCREATE and WM_CREATE point at the arguments and carry the creation's parameter, so a
  // window is bound to its object from its first message on.
  std::vector<CREATESTRUCTA> seen;
  script_.answer = [&](HWND, UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
    if (message == kWmNcCreate || message == kWmCreate) {
      seen.push_back(*reinterpret_cast<const CREATESTRUCTA*>(lParam));
    }
    return std::nullopt;
  };
  int object = 0;
  created_.push_back(Win().CreateWindowExA(0, className_.c_str(), title.c_str(), kWsPopup, 10, 20,
                                           30, 40, owner, nullptr, Instance(), &object));
  ASSERT_EQ(2u, seen.size());
  for (const CREATESTRUCTA& arguments : seen) {
    EXPECT_EQ(&object, arguments.lpCreateParams);
    EXPECT_EQ(Instance(), arguments.hInstance);
    EXPECT_EQ(owner, arguments.hwndParent);
    EXPECT_EQ((std::vector<int>{10, 20, 30, 40}),
              (std::vector<int>{arguments.x, arguments.y, arguments.cx, arguments.cy}));
  }
}

// A refused creation gets WM_NCDESTROY, where a binding lets go of its object, but no WM_DESTROY.
TEST_F(WindowsConformance, AProcedureCanRefuseItsCreation) {
  struct Case {
    UINT refusedAt;
    LRESULT answer;
    std::vector<UINT> expected;
  };
  for (const Case& c : {Case{kWmNcCreate, 0, {kWmNcCreate, kWmNcDestroy}},
                        Case{kWmCreate, -1, {kWmNcCreate, kWmCreate, kWmNcDestroy}}}) {
    const std::string title = Unique("Refused");
    script_.received.clear();
    script_.answer = [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (message == c.refusedAt) return c.answer;
      return std::nullopt;
    };
    EXPECT_EQ(nullptr, Create(title)) << c.refusedAt;
    EXPECT_EQ(c.expected, Messages()) << c.refusedAt;
    EXPECT_EQ(nullptr, Win().FindWindowA(className_.c_str(), title.c_str())) << c.refusedAt;
  }
}

// =============================================================================================
// Destruction

TEST_F(WindowsConformance, DestructionSendsDestroyThenNcDestroyAndInvalidatesTheHandle) {
  const std::string title = Unique("Destroyed");
  HWND window = Create(title);
  ASSERT_NE(nullptr, window);
  script_.received.clear();
  EXPECT_NE(0, Win().DestroyWindow(window));
  EXPECT_EQ((std::vector<UINT>{kWmDestroy, kWmNcDestroy}), Messages());
  EXPECT_EQ(0, Win().IsWindow(window));
  EXPECT_EQ(nullptr, Win().FindWindowA(className_.c_str(), title.c_str()));
  EXPECT_EQ(0, Win().DestroyWindow(window));
  EXPECT_EQ(0, Win().PostMessageA(window, kWmUser, 0, 0));
  EXPECT_EQ(0, Win().SendMessageA(window, kWmUser, 0, 0));
  EXPECT_EQ(0u, Win().SetTimer(window, 1, 100, nullptr));
  EXPECT_EQ(0, Win().ShowWindow(window, kSwShow));
  EXPECT_EQ(0, Win().SetWindowLongPtrA(window, kGwlpUserData, 5));
  EXPECT_EQ(0, Win().GetWindowLongPtrA(window, kGwlpUserData));
  EXPECT_EQ(0, Win().SetForegroundWindow(window));
  test::LetTimePass(0ms);
  EXPECT_EQ(2u, script_.received.size());  // nothing reached the procedure
  EXPECT_NE(window, Create());             // the handle does not come back
}

TEST_F(WindowsConformance, DestructionKillsTheWindowsTimersAndDropsItsMessages) {
  HWND doomed = Create();
  HWND other = Create();
  ASSERT_NE(nullptr, doomed);
  ASSERT_NE(nullptr, other);
  Win().SetTimer(doomed, 1, 100, nullptr);
  Win().SetTimer(other, 2, 100, nullptr);
  Win().PostMessageA(doomed, kWmUser, 1, 0);
  Win().PostMessageA(other, kWmUser, 2, 0);
  script_.answer = [&](HWND window, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    // What a window posts or sets while it goes away goes with it.
    if (window == doomed && message == kWmDestroy) {
      EXPECT_NE(0, Win().PostMessageA(doomed, kWmUser, 3, 0));
      EXPECT_NE(0u, Win().SetTimer(doomed, 4, 10, nullptr));
    }
    return std::nullopt;
  };
  Win().DestroyWindow(doomed);
  script_.received.clear();
  // By the other's first tick, the doomed window's own would have come ten times over.
  ASSERT_TRUE(test::PumpUntil([&] { return Count(other, kWmTimer) > 0; }, kTickWait));
  EXPECT_EQ((std::vector<UINT>{kWmUser, kWmTimer}), Messages(other));
  EXPECT_EQ(std::vector<UINT>{}, Messages(doomed));
  EXPECT_EQ(2u, script_.received.size());
}

TEST_F(WindowsConformance, AWindowCanDestroyItselfFromItsOwnProcedure) {
  HWND window = Create();
  HWND bystander = Create();
  ASSERT_NE(nullptr, window);
  Win().SetTimer(window, 1, 100, nullptr);
  int destroyCalls = 0;
  script_.answer = [&](HWND target, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (target == window && message == kWmTimer) {
      ++destroyCalls;
      EXPECT_NE(0, Win().DestroyWindow(target));
    }
    return std::nullopt;
  };
  script_.received.clear();
  Win().PostMessageA(bystander, kWmUser, 0, 0);
  ASSERT_TRUE(test::PumpUntil([&] { return Win().IsWindow(window) == 0; }, kTickWait));
  test::LetTimePass(200ms);
  EXPECT_EQ(1, destroyCalls);
  EXPECT_EQ((std::vector<UINT>{kWmTimer, kWmDestroy, kWmNcDestroy}), Messages(window));
  EXPECT_EQ(std::vector<UINT>{kWmUser}, Messages(bystander));
  EXPECT_EQ(0, Win().KillTimer(window, 1));
}

TEST_F(WindowsConformance, DestroyingAWindowDestroysTheWindowsItOwnsAndParents) {
  HWND top = Create();
  HWND child = Create("", kWsChild, top);
  HWND owned = Create("", kWsPopup, top);
  ASSERT_NE(nullptr, child);
  ASSERT_NE(nullptr, owned);
  script_.received.clear();
  Win().DestroyWindow(top);
  for (HWND window : {top, child, owned}) EXPECT_EQ(0, Win().IsWindow(window));
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

// =============================================================================================
// Procedures, default handling, lookup

TEST_F(WindowsConformance, SubclassingRoutesMessagesThroughTheNewProcedureWithTheirFullWidth) {
  HWND window = Create();
  ASSERT_NE(nullptr, window);
  script_.saved = reinterpret_cast<WNDPROC>(
      Win().SetWindowLongPtrA(window, kGwlpWndProc, reinterpret_cast<std::intptr_t>(&Subclass)));
  EXPECT_EQ(&ClassProc, script_.saved);
  EXPECT_EQ(reinterpret_cast<std::intptr_t>(&Subclass),
            Win().GetWindowLongPtrA(window, kGwlpWndProc));
  // A null procedure is not stored: the window keeps running ours, and says so.
  EXPECT_EQ(reinterpret_cast<std::intptr_t>(&Subclass),
            Win().SetWindowLongPtrA(window, kGwlpWndProc, 0));
  EXPECT_EQ(reinterpret_cast<std::intptr_t>(&Subclass),
            Win().GetWindowLongPtrA(window, kGwlpWndProc));

  script_.received.clear();
  Win().SendMessageA(window, kWmUser, 1, 2);
  Win().PostMessageA(window, kWmUser, 3, 4);
  test::LetTimePass(0ms);
  std::vector<std::string> by;
  for (const Received& r : script_.received) by.push_back(r.by + ":" + std::to_string(r.wParam));
  EXPECT_EQ((std::vector<std::string>{"subclass:1", "class:1", "subclass:3", "class:3"}), by);

  // Arguments and result pass both procedures whole.
  script_.received.clear();
  EXPECT_EQ(static_cast<LRESULT>(kWideW) ^ kWideL,
            Win().SendMessageA(window, kProbe, kWideW, kWideL));
  ASSERT_EQ(2u, script_.received.size());
  for (const Received& r : script_.received) {
    EXPECT_EQ(kWideW, r.wParam) << r.by;
    EXPECT_EQ(kWideL, r.lParam) << r.by;
  }
  // Passing a message on to the saved procedure reaches it alone, as an owner-window hook does.
  script_.received.clear();
  EXPECT_EQ(static_cast<LRESULT>(kWideW) ^ kWideL,
            Win().CallWindowProcA(script_.saved, window, kProbe, kWideW, kWideL));
  ASSERT_EQ(1u, script_.received.size());
  EXPECT_EQ("class", script_.received[0].by);

  // The object bound to a window: set once, handed back on the next set.
  const auto self = reinterpret_cast<std::intptr_t>(this);
  EXPECT_EQ(0, Win().SetWindowLongPtrA(window, kGwlpUserData, self));
  EXPECT_EQ(self, Win().SetWindowLongPtrA(window, kGwlpUserData, 0x5678));
  EXPECT_EQ(0x5678, Win().GetWindowLongPtrA(window, kGwlpUserData));
}

TEST_F(WindowsConformance, DefaultHandlingClosesAndAgreesToEndTheSession) {
  struct Case {
    UINT message;
    LRESULT result;
    bool survives;
  };
  for (const Case& c : {Case{kWmClose, 0, false}, Case{kWmQueryEndSession, 1, true},
                        Case{kWmEndSession, 0, true}, Case{kWmUser, 0, true}}) {
    HWND window = Create();
    EXPECT_EQ(c.result, Win().SendMessageA(window, c.message, 0, 0)) << c.message;
    EXPECT_EQ(c.survives, Win().IsWindow(window) != 0) << c.message;
  }
  // A procedure that answers WM_CLOSE itself keeps its window.
  script_.answer = [](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == kWmClose) return 1;
    return std::nullopt;
  };
  HWND kept = Create();
  EXPECT_EQ(1, Win().SendMessageA(kept, kWmClose, 0, 0));
  EXPECT_NE(0, Win().IsWindow(kept));

  // It keeps a window's small and large icons, each its own, and hands back the one before.
  const auto icon = [](std::intptr_t n) { return static_cast<LPARAM>(n); };
  const LRESULT small = Win().SendMessageA(kept, kWmGetIcon, kIconSmall, 0);
  EXPECT_EQ(0, Win().SendMessageA(kept, kWmGetIcon, kIconBig, 0));
  Win().SendMessageA(kept, kWmSetIcon, kIconBig, icon(0x10064));
  EXPECT_EQ(0x10064, Win().SendMessageA(kept, kWmGetIcon, kIconBig, 0));
  EXPECT_EQ(small, Win().SendMessageA(kept, kWmGetIcon, kIconSmall, 0));
  EXPECT_EQ(0x10064, Win().SendMessageA(kept, kWmSetIcon, kIconBig, 0));
}

TEST_F(WindowsConformance, FindWindowLooksAtTopLevelWindowsByClassAndTitleWithoutCase) {
  const std::string title = Unique("Tarnwick v1.0b Personal");
  std::string otherCase = title;
  for (char& c : otherCase) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  std::string upperClass = className_;
  for (char& c : upperClass) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const std::string designCaption = Unique("Design caption");

  HWND main = Create(designCaption);
  ASSERT_NE(nullptr, main);
  Win().SetWindowTextA(main, title.c_str());
  HWND child = Create(title, kWsChild, main);
  ASSERT_NE(nullptr, child);
  const std::string unknownClass = Unique("Other");
  struct Case {
    const char* className;
    const char* title;
    HWND expected;
  };
  for (const Case& c : {Case{className_.c_str(), title.c_str(), main},
                        Case{upperClass.c_str(), nullptr, main},
                        Case{nullptr, title.c_str(), main},
                        Case{className_.c_str(), otherCase.c_str(), main},
                        Case{className_.c_str(), designCaption.c_str(), nullptr},
                        Case{unknownClass.c_str(), title.c_str(), nullptr}}) {
    EXPECT_EQ(c.expected, Win().FindWindowA(c.className, c.title))
        << (c.className ? c.className : "null") << " / " << (c.title ? c.title : "null");
  }
  // Of two that match, the newer, which is on top.
  HWND newer = Create(title);
  EXPECT_EQ(newer, Win().FindWindowA(className_.c_str(), title.c_str()));
}

TEST_F(WindowsConformance, AWindowNamesItsThreadAndProcessAndNoProcessWaitsForItself) {
  HWND window = Create();
  DWORD process = 0;
  EXPECT_NE(0u, Win().GetWindowThreadProcessId(window, &process));
  ASSERT_NE(0u, process);
  // Registration waits for the process of a running instance's window; its own would never end.
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(0, platform::Sys().WaitForProcessExit(process, 10000));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
  // An id far beyond any process's names none, so there is nothing to wait for.
  EXPECT_NE(0, platform::Sys().WaitForProcessExit(0xFFFFFFF3u, 10000));

  Win().DestroyWindow(window);
  process = 1;
  EXPECT_EQ(0u, Win().GetWindowThreadProcessId(window, &process));
  EXPECT_EQ(0u, process);
}

// A test starts as a plain program does: not hidden, in a window station that shows its
// desktops to the user. A program asks both before it shows a box that someone must close.
TEST_F(WindowsConformance, APlainStartIsNotHiddenAndItsWindowStationIsShown) {
  STARTUPINFOA startup;
  startup.cb = 0;
  platform::Sys().GetStartupInfoA(&startup);
  EXPECT_EQ(sizeof startup, startup.cb);
  EXPECT_FALSE((startup.dwFlags & kStartfUseShowWindow) != 0 && startup.wShowWindow == kSwHide);

  USEROBJECTFLAGS flags;
  DWORD needed = 0;
  const os::HWINSTA station = Win().GetProcessWindowStation();
  ASSERT_NE(nullptr, station);
  ASSERT_TRUE(Win().GetUserObjectInformationA(station, kUoiFlags, &flags, sizeof flags, &needed));
  EXPECT_EQ(kWsfVisible, flags.dwFlags & kWsfVisible);
  EXPECT_EQ(sizeof flags, needed);
  // Too small a buffer is refused, with the size it takes.
  needed = 0;
  EXPECT_FALSE(Win().GetUserObjectInformationA(station, kUoiFlags, &flags, 4, &needed));
  EXPECT_EQ(sizeof flags, needed);
}

// =============================================================================================
// The queue

TEST_F(WindowsConformance, RegisteredMessagesAreOneNumberPerNameWhateverItsCase) {
  const UINT taskbarCreated = Win().RegisterWindowMessageA("TaskbarCreated");
  std::printf("RegisterWindowMessageA(\"TaskbarCreated\") = 0x%04X\n", taskbarCreated);
  EXPECT_GE(taskbarCreated, 0xC000u);
  EXPECT_LE(taskbarCreated, 0xFFFFu);
  EXPECT_EQ(taskbarCreated, Win().RegisterWindowMessageA("TaskbarCreated"));
  EXPECT_EQ(taskbarCreated, Win().RegisterWindowMessageA("TASKBARCREATED"));
  EXPECT_NE(taskbarCreated, Win().RegisterWindowMessageA("Tarnwick.PlatformTest.Other"));
  EXPECT_EQ(0u, Win().RegisterWindowMessageA(""));
  EXPECT_EQ(0u, Win().RegisterWindowMessageA(nullptr));
}

TEST_F(WindowsConformance, PeekMessageFiltersByWindowAndRangeAndLeavesOrRemovesAsAsked) {
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
    SCOPED_TRACE(testing::Message() << "filter " << c.first << "-" << c.last);
    Win().PostMessageA(a, kWmUser, 0, 0);
    Win().PostMessageA(b, kWmUser + 1, 0, 0);
    Win().PostMessageA(nullptr, kWmUser + 2, 0, 0);
    MSG message;
    const BOOL found = Win().PeekMessageA(&message, c.window, c.first, c.last, kPmNoRemove);
    EXPECT_EQ(c.expectedMessage != 0, found != 0);
    if (found) {
      EXPECT_EQ(c.expectedWindow, message.hwnd);
      EXPECT_EQ(c.expectedMessage, message.message);
      // Left in place, so the same message is there to be removed, and then only it is gone.
      MSG removed;
      ASSERT_NE(0, Win().PeekMessageA(&removed, c.window, c.first, c.last, kPmRemove));
      EXPECT_EQ(message.message, removed.message);
      EXPECT_EQ(message.hwnd, removed.hwnd);
      EXPECT_EQ(2u, TakeQueued().size());
    } else {
      EXPECT_EQ(3u, TakeQueued().size());
    }
  }
  MSG message;
  EXPECT_EQ(0, Win().PeekMessageA(&message, reinterpret_cast<HWND>(std::uintptr_t{0x42}), 0, 0,
                                  kPmRemove));
  EXPECT_EQ(0, Win().PeekMessageA(&message, a, kProbe, kProbe, kPmRemove));
  // A wait that asks only whether input waits: a message already looked at still counts.
  const auto inputWaits = [] {
    return Win().MsgWaitForMultipleObjectsEx(0, nullptr, 0, kQsAllInput, kMwmoInputAvailable);
  };
  EXPECT_EQ(kWaitTimeout, inputWaits());
  Win().PostMessageA(a, kWmUser, 0, 0);
  ASSERT_NE(0, Win().PeekMessageA(&message, nullptr, 0, 0, kPmNoRemove));
  EXPECT_EQ(kWaitObject0, inputWaits());
  EXPECT_EQ(1u, TakeQueued().size());
}

TEST_F(WindowsConformance, APostedMessageComesBackFromGetMessageWholeAndIsDispatched) {
  HWND window = Create();
  ASSERT_NE(nullptr, window);
  Watchdog watchdog(static_cast<UINT>(kTickWait.count()));
  ASSERT_TRUE(watchdog.Armed());

  ASSERT_NE(0, Win().PostMessageA(window, kProbe, kWideW, kWideL));
  EXPECT_EQ(0u, Count(window, kProbe)) << "a posted message ran before the loop took it";
  MSG message;
  do {
    ASSERT_GT(Win().GetMessageA(&message, nullptr, 0, 0), 0);
    ASSERT_FALSE(watchdog.Fired(message)) << "the posted message never came";
  } while (message.message != kProbe);
  EXPECT_EQ(window, message.hwnd);
  EXPECT_EQ(kWideW, message.wParam);
  EXPECT_EQ(kWideL, message.lParam);

  script_.answer = [](HWND, UINT sent, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (sent == kProbe) return -5;
    return std::nullopt;
  };
  EXPECT_EQ(-5, Win().DispatchMessageA(&message));
  ASSERT_EQ(1u, Count(window, kProbe));
  EXPECT_EQ(kWideW, script_.received.back().wParam);
  EXPECT_EQ(kWideL, script_.received.back().lParam);
}

// A second start's message must be told from one that another program sends.
TEST_F(WindowsConformance, OnlyAMessageFromAnotherThreadIsInSendMessage) {
  HWND window = Create();
  ASSERT_NE(nullptr, window);
  std::vector<BOOL> inSend;
  script_.answer = [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == kProbe) inSend.push_back(Win().InSendMessage() != 0);
    return std::nullopt;
  };
  Win().SendMessageA(window, kProbe, 0, 0);
  Win().PostMessageA(window, kProbe, 0, 0);
  EXPECT_TRUE(test::PumpUntil([&] { return inSend.size() == 2; }, kTickWait));
  const LRESULT answer = test::SendFromAnotherThread(window, kProbe, kWideW, 3);
  EXPECT_EQ(kWideW ^ 3, static_cast<WPARAM>(answer));
  EXPECT_EQ((std::vector<BOOL>{0, 0, 1}), inSend);
}

TEST_F(WindowsConformance, GetMessageEndsTheLoopWithWmQuitAfterThePostedMessagesAndBeforeTimers) {
  HWND window = Create();
  ASSERT_NE(nullptr, window);
  Win().SetTimer(window, 1, 10, nullptr);
  Win().PostMessageA(window, kWmUser, 8, 0);
  Win().PostQuitMessage(3);
  test::LetTimePassUndelivered(50ms);  // the timer is due as well

  MSG message;
  ASSERT_EQ(1, Win().GetMessageA(&message, nullptr, 0, 0));
  EXPECT_EQ(kWmUser, message.message);
  EXPECT_EQ(8u, message.wParam);
  Win().DispatchMessageA(&message);
  ASSERT_EQ(0, Win().GetMessageA(&message, nullptr, 0, 0));
  EXPECT_EQ(kWmQuit, message.message);
  EXPECT_EQ(3u, message.wParam);
  ASSERT_EQ(1, Win().GetMessageA(&message, nullptr, 0, 0));
  EXPECT_EQ(kWmTimer, message.message);
  EXPECT_EQ(window, message.hwnd);
  Win().KillTimer(window, 1);

  // A running instance is told to quit with WM_QUIT posted to its window.
  Win().PostMessageA(window, kWmQuit, 0, 0);
  EXPECT_EQ(0, Win().GetMessageA(&message, nullptr, 0, 0));
  EXPECT_EQ(window, message.hwnd);
  EXPECT_EQ(1u, Count(window, kWmUser));
}

TEST_F(WindowsConformance, GetMessageWaitsForTheNextTimer) {
  HWND window = Create();
  ASSERT_NE(nullptr, window);
  const DWORD start = Win().GetTickCount();
  ASSERT_NE(0u, Win().SetTimer(window, 9, 100, nullptr));
  MSG message;
  ASSERT_EQ(1, Win().GetMessageA(&message, nullptr, 0, 0));
  EXPECT_EQ(kWmTimer, message.message);
  EXPECT_EQ(window, message.hwnd);
  EXPECT_EQ(9u, message.wParam);
  EXPECT_GE(Win().GetTickCount() - start, 100u);
  Win().DispatchMessageA(&message);
  EXPECT_EQ(1u, Count(window, kWmTimer));
}

// =============================================================================================
// Timers

TEST_F(WindowsConformance, AWindowsTimerTicksWithItsIdUntilItIsKilled) {
  HWND window = Create();
  HWND other = Create();
  ASSERT_NE(nullptr, window);
  // The tray uses each timer object's address as its identifier.
  const auto id = reinterpret_cast<UINT_PTR>(&window);

  const DWORD start = Win().GetTickCount();
  ASSERT_EQ(id, Win().SetTimer(window, id, 20, nullptr));
  ASSERT_TRUE(test::PumpUntil([&] { return Ticks(window).size() >= 3; }, kTickWait))
      << "only " << Ticks(window).size() << " WM_TIMER from a 20 ms timer";
  for (std::size_t i = 0; i < Ticks(window).size(); ++i) {
    const auto [tickId, tick] = Ticks(window)[i];
    EXPECT_EQ(id, tickId);
    EXPECT_GE(tick - start, 20u * (i + 1)) << "tick " << i << " came too early";
  }

  struct Case {
    HWND window;
    UINT_PTR id;
    bool found;
  };
  for (const Case& c : {Case{other, id, false}, Case{window, id + 1, false}, Case{window, id, true},
                        Case{window, id, false}}) {
    EXPECT_EQ(c.found, Win().KillTimer(c.window, c.id) != 0) << c.id;
  }
  const std::size_t ticks = Ticks(window).size();
  test::LetTimePass(150ms);
  EXPECT_EQ(ticks, Ticks(window).size()) << "WM_TIMER after KillTimer";
}

TEST_F(WindowsConformance, SettingATimerAgainReplacesItAndRestartsItsPeriod) {
  HWND window = Create();
  ASSERT_NE(nullptr, window);
  ASSERT_EQ(5u, Win().SetTimer(window, 5, 20, nullptr));
  ASSERT_EQ(5u, Win().SetTimer(window, 5, 60000, nullptr));
  test::LetTimePass(150ms);
  EXPECT_TRUE(Ticks(window).empty()) << "the first period still ran";

  ASSERT_EQ(1u, Win().SetTimer(window, 1, 200, nullptr));
  test::LetTimePass(120ms);
  const DWORD restarted = Win().GetTickCount();
  ASSERT_EQ(1u, Win().SetTimer(window, 1, 200, nullptr));
  test::LetTimePass(150ms);
  EXPECT_TRUE(Ticks(window).empty()) << "the period was not restarted";
  ASSERT_TRUE(test::PumpUntil([&] { return !Ticks(window).empty(); }, kTickWait));
  EXPECT_GE(Ticks(window)[0].second - restarted, 200u);
  EXPECT_NE(0, Win().KillTimer(window, 1));
  EXPECT_NE(0, Win().KillTimer(window, 5));
}

TEST_F(WindowsConformance, ATimerDueSeveralTimesSinceItsLastDeliveryIsDeliveredOnceInItsRhythm) {
  HWND window = Create();
  ASSERT_NE(nullptr, window);
  constexpr DWORD kPeriod = 200;
  const DWORD start = Win().GetTickCount();
  Win().SetTimer(window, 1, kPeriod, nullptr);
  test::LetTimePassUndelivered(std::chrono::milliseconds(kPeriod * 5 / 2));
  std::vector<MSG> queued = TakeQueued(window);
  ASSERT_EQ(1u, queued.size());
  EXPECT_EQ(kWmTimer, queued[0].message);
  EXPECT_TRUE(TakeQueued(window).empty());
  const DWORD taken = Win().GetTickCount();

  // The period keeps its rhythm from the start: the next tick comes at the next multiple of the
  // period, not a whole period after the late delivery.
  ASSERT_TRUE(test::PumpUntil([&] { return !Ticks(window).empty(); }, kTickWait));
  const DWORD next = Ticks(window)[0].second - start;
  const DWORD due = ((taken - start) / kPeriod + 1) * kPeriod;
  EXPECT_GE(next, due);
  EXPECT_LT(next, due + kPeriod / 4) << "taken at " << taken - start;
}

TEST_F(WindowsConformance, PostedMessagesGoBeforeTimers) {
  HWND window = Create();
  ASSERT_NE(nullptr, window);
  Win().SetTimer(window, 1, 100, nullptr);
  test::LetTimePassUndelivered(150ms);
  Win().PostMessageA(window, kWmUser, 0, 0);
  MSG message;
  ASSERT_NE(0, Win().PeekMessageA(&message, nullptr, 0, 0, kPmNoRemove));
  EXPECT_EQ(kWmUser, message.message);
  script_.received.clear();
  test::LetTimePass(0ms);
  std::vector<UINT> order = Messages();
  order.resize(std::min<std::size_t>(order.size(), 2));  // the timer may have ticked again since
  EXPECT_EQ((std::vector<UINT>{kWmUser, kWmTimer}), order);
}

TEST_F(WindowsConformance, TimerProceduresAreCalledInsteadOfTheWindow) {
  HWND window = Create();
  ASSERT_NE(nullptr, window);
  const DWORD start = Win().GetTickCount();
  ASSERT_EQ(5u, Win().SetTimer(window, 5, 100, &TimerProc));
  const UINT_PTR threadTimer = Win().SetTimer(nullptr, 0, 100, &TimerProc);
  EXPECT_NE(0u, threadTimer);
  script_.received.clear();
  ASSERT_TRUE(test::PumpUntil(
      [&] {
        auto seen = [&](HWND w) {
          return std::any_of(script_.received.begin(), script_.received.end(),
                             [&](const Received& r) { return r.window == w; });
        };
        return seen(window) && seen(nullptr);
      },
      kTickWait));
  Win().KillTimer(window, 5);
  Win().KillTimer(nullptr, threadTimer);
  const DWORD end = Win().GetTickCount();

  for (const Received& r : script_.received) {
    EXPECT_EQ("timerproc", r.by);
    EXPECT_EQ(kWmTimer, r.message);
    EXPECT_EQ(r.window == nullptr ? threadTimer : 5u, r.wParam);
    EXPECT_GE(r.tick - start, 100u);
    EXPECT_LE(r.tick - start, end - start);
  }
  EXPECT_TRUE(std::none_of(script_.received.begin(), script_.received.end(),
                          [](const Received& r) { return r.by == "class"; }))
      << "the window's own procedure got the tick";
}

TEST_F(WindowsConformance, ThreadTimersGetIdsOfTheirOwnAndNoTimerIsSetForAMissingWindow) {
  EXPECT_EQ(0u, Win().SetTimer(reinterpret_cast<HWND>(std::uintptr_t{0x42}), 1, 100, nullptr));

  const UINT_PTR first = Win().SetTimer(nullptr, 77, 100, nullptr);
  const UINT_PTR second = Win().SetTimer(nullptr, 77, 100, nullptr);
  EXPECT_NE(0u, first);
  EXPECT_NE(0u, second);
  EXPECT_NE(first, second);  // a null window's unknown id is not honoured
  EXPECT_EQ(first, Win().SetTimer(nullptr, first, 200, nullptr));
  EXPECT_NE(0, Win().KillTimer(nullptr, first));
  EXPECT_NE(0, Win().KillTimer(nullptr, second));
  EXPECT_EQ(0, Win().KillTimer(nullptr, first));

  // A zero period is a short one, not none.
  HWND window = Create();
  ASSERT_EQ(3u, Win().SetTimer(window, 3, 0, nullptr));
  EXPECT_TRUE(test::PumpUntil([&] { return !Ticks(window).empty(); }, kTickWait));
  Win().KillTimer(window, 3);
}

// =============================================================================================
// The cursor

TEST_F(WindowsConformance, StandardCursorsAreSharedAndSetCursorGivesBackTheOneShownBefore) {
  const HCURSOR arrow = Win().LoadStandardCursor(kIdcArrow);
  const HCURSOR wait = Win().LoadStandardCursor(kIdcWait);
  const HCURSOR hand = Win().LoadStandardCursor(kIdcHand);
  for (HCURSOR cursor : {arrow, wait, hand}) EXPECT_NE(nullptr, cursor);
  EXPECT_NE(arrow, wait);
  EXPECT_NE(wait, hand);
  EXPECT_EQ(wait, Win().LoadStandardCursor(kIdcWait));
  for (int unknown : {0, 1, 12345, 32517}) EXPECT_EQ(nullptr, Win().LoadStandardCursor(unknown));

  Win().SetCursor(wait);
  const std::vector<std::pair<HCURSOR, HCURSOR>> steps = {  // shown, and the one before it
      {arrow, wait}, {arrow, arrow}, {nullptr, arrow}, {wait, nullptr}, {arrow, wait}};
  for (std::size_t i = 0; i < steps.size(); ++i) {
    EXPECT_EQ(steps[i].second, Win().SetCursor(steps[i].first)) << "step " << i;
  }
}

// =============================================================================================
// File versions

using ShellConformance = WindowsConformance;

TEST_F(ShellConformance, CommonControlsHaveAVersionOfAtLeast471) {
  const DWORD version = Sh().FileVersion("comctl32.dll");
  std::printf("FileVersion(\"comctl32.dll\") = 0x%08X (%u.%u)\n", version, version >> 16,
              version & 0xFFFF);
  EXPECT_GE(version, 0x00040047u);
  // Major in the high word: a swapped or least-significant half would show as an absurd major.
  EXPECT_LE(version >> 16, 10u);
}

TEST_F(ShellConformance, FileVersionIsZeroWhenThereIsNoVersionToRead) {
  EXPECT_EQ(0u, Sh().FileVersion("C:\\no such folder\\no such file.dll"));
  char self[1024] = {};
  ASSERT_NE(0u, Sys().GetModuleFileNameA(nullptr, self, sizeof self));
  EXPECT_EQ(0u, Sh().FileVersion(self)) << self << " has no version resource";
}

// =============================================================================================
// The desktop: shown windows, the foreground, the cursor and the notification area

using DesktopConformance = WindowsConformance;

TEST_F(DesktopConformance, ACreatedVisibleWindowIsShownAfterItsSize) {
  using Sent = std::vector<std::pair<UINT, WPARAM>>;
  struct Case {
    const char* what;
    DWORD style;
    Sent sent;
  };
  for (const Case& c :
       {Case{"popup", kWsPopup,
             {{kWmNcCreate, 0}, {kWmCreate, 0}, {kWmSize, 0}, {kWmShowWindow, 1}}},
        // An overlapped window learns its size when it is first shown.
        Case{"overlapped", kWsOverlappedForm,
             {{kWmNcCreate, 0}, {kWmCreate, 0}, {kWmShowWindow, 1}, {kWmSize, 0}}}}) {
    script_.received.clear();
    HWND window = Create(Unique("Visible"), c.style | kWsVisible);
    ASSERT_NE(nullptr, window) << c.what;
    Sent sent;
    for (const Received& r : script_.received) sent.emplace_back(r.message, r.wParam);
    EXPECT_EQ(c.sent, sent) << c.what;
    EXPECT_NE(0, Win().IsWindowVisible(window)) << c.what;
    Win().DestroyWindow(window);
  }
}

TEST_F(DesktopConformance, ShowWindowKeepsVisibilityAndTheMinimisedState) {
  struct Case {
    bool visible;
    bool iconic;
    int command;
    BOOL result;
    bool visibleAfter;
    bool iconicAfter;
    std::vector<std::pair<UINT, WPARAM>> sent;
    DWORD style = kWsPopup;
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
      {true, true, kSwMinimize, 1, true, true, {}},
      {true, false, kSwShowNa, 1, true, false, {{kWmShowWindow, 1}}},
      {true, false, kSwShowNoActivate, 1, true, false, {}},
      // An overlapped window learns its size when it is first shown.
      {false, false, kSwShow, 0, true, false, {{kWmShowWindow, 1}, {kWmSize, 0}},
       kWsOverlappedForm},
      {true, false, kSwShow, 1, true, false, {}, kWsOverlappedForm},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    HWND window = Create(Unique("Shown"), c.style | (c.visible ? kWsVisible : 0));
    ASSERT_NE(nullptr, window);
    if (c.iconic) {
      Win().ShowWindow(window, kSwMinimize);
      if (!c.visible) Win().ShowWindow(window, kSwHide);
    }
    script_.received.clear();
    EXPECT_EQ(c.result, Win().ShowWindow(window, c.command)) << "case " << i;
    EXPECT_EQ(c.visibleAfter, Win().IsWindowVisible(window) != 0) << "case " << i;
    EXPECT_EQ(c.iconicAfter, Win().IsIconic(window) != 0) << "case " << i;
    std::vector<std::pair<UINT, WPARAM>> sent;
    for (const Received& r : script_.received) sent.emplace_back(r.message, r.wParam);
    EXPECT_EQ(c.sent, sent) << "case " << i;
    Win().DestroyWindow(window);
  }
}

TEST_F(DesktopConformance, TheSystemMenusMinimiseAndRestoreGoThroughDefaultHandling) {
  struct Case {
    bool iconic;
    WPARAM command;
    bool iconicAfter;
    std::vector<std::pair<UINT, WPARAM>> sent;
  };
  for (const Case& c : {Case{false, kScMinimize, true, {{kWmSize, kSizeMinimized}}},
                        Case{true, kScRestore, false, {{kWmSize, 0}}},
                        Case{false, kScRestore, false, {}}}) {
    HWND window = Create(Unique("Menu"), kWsOverlappedForm | kWsVisible);
    ASSERT_NE(nullptr, window);
    if (c.iconic) Win().ShowWindow(window, kSwMinimize);
    script_.received.clear();
    EXPECT_EQ(0, Win().SendMessageA(window, kWmSysCommand, c.command, 0)) << c.command;
    EXPECT_EQ(c.iconicAfter, Win().IsIconic(window) != 0) << c.command;
    EXPECT_NE(0, Win().IsWindowVisible(window)) << c.command;
    std::vector<std::pair<UINT, WPARAM>> sent;
    for (const Received& r : script_.received) sent.emplace_back(r.message, r.wParam);
    EXPECT_EQ(c.sent, sent) << c.command;
    Win().DestroyWindow(window);
  }
}

TEST_F(DesktopConformance, AChildIsVisibleOnlyWhileItsParentIs) {
  HWND parent = Create("", kWsPopup);
  HWND child = Create("", kWsChild | kWsVisible, parent);
  ASSERT_NE(nullptr, child);
  EXPECT_EQ(0, Win().IsWindowVisible(child));
  Win().ShowWindow(parent, kSwShow);
  EXPECT_NE(0, Win().IsWindowVisible(child));
}

TEST_F(DesktopConformance, SetForegroundWindowBringsALiveWindowForward) {
  HWND first = Create(Unique("First"), kWsPopup | kWsVisible);
  HWND second = Create(Unique("Second"), kWsPopup | kWsVisible);
  ASSERT_NE(nullptr, second);
  EXPECT_NE(0, Win().SetForegroundWindow(first));
  EXPECT_EQ(first, Win().GetForegroundWindow());
  EXPECT_EQ(first, Win().GetFocus()) << "a window without controls takes the keyboard itself";
  EXPECT_NE(0, Win().SetForegroundWindow(second));
  EXPECT_EQ(0, Win().SetForegroundWindow(nullptr));
  EXPECT_EQ(second, Win().GetForegroundWindow());
  Win().DestroyWindow(second);
  EXPECT_NE(second, Win().GetForegroundWindow());
}

TEST_F(DesktopConformance, CursorPositionIsWhereTheMouseLeftIt) {
  ASSERT_TRUE(test::PlaceCursor(POINT{123, 234}));
  POINT point;
  ASSERT_NE(0, Win().GetCursorPos(&point));
  EXPECT_EQ(123, point.x);
  EXPECT_EQ(234, point.y);
}

TEST_F(DesktopConformance, CallsForAnIconThatIsNotThereAreRefused) {
  ASSERT_TRUE(test::NotificationAreaReady(kTrayWait))
      << "no notification area: is Wine's virtual desktop (HKCU\\Software\\Wine\\Explorer "
         "Desktop) set, and DISPLAY an X server?";
  HWND window = Create();
  ASSERT_NE(nullptr, window);
  NOTIFYICONDATAA data;
  data.hWnd = window;
  data.uID = 0x51;
  data.uFlags = kNifMessage | kNifTip;
  data.uCallbackMessage = kTrayCallback;
  std::strcpy(data.szTip, "Tarnwick platform test");
  struct Step {
    DWORD message;
    const char* tip;
    BOOL accepted;
  };
  const std::vector<Step> steps = {
      {kNimModify, "", 0},
      {kNimSetVersion, "", 0},
      {kNimDelete, "", 0},
      {kNimAdd, "Tarnwick platform test", 1},
      {kNimAdd, "", 0},
      {kNimSetVersion, "", 1},
      {kNimModify, "Tarnwick v1.0 - monitoring", 1},
      {kNimDelete, "", 1},
      {kNimDelete, "", 0},
      {kNimModify, "", 0},
  };
  for (std::size_t i = 0; i < steps.size(); ++i) {
    std::strcpy(data.szTip, steps[i].tip);
    data.uTimeout = 0;  // as uVersion: the classic callbacks
    EXPECT_EQ(steps[i].accepted, Sh().Shell_NotifyIconA(steps[i].message, &data) != 0 ? 1 : 0)
        << "step " << i;
  }
  Sh().Shell_NotifyIconA(kNimDelete, &data);
}

}  // namespace
}  // namespace tarnwick
