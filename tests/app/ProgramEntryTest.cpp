#include "app/ProgramEntry.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/emulated/EmulatedPlatform.h"
#include "settings/SettingsStore.h"
#include "tests/support/BrowserSwitches.h"

namespace tarnwick::app {
namespace {

using namespace platform::os;
using platform::emulated::EmulatedPlatform;
using Args = std::vector<std::string>;

constexpr const char* kExtensions = test::kExtensionsKey;
constexpr const char* kButtonList = test::kButtonListKey;

TEST(ChooseCourseTest, OnlyTheExactFirstWordCounts) {
  struct Case {
    Args arguments;
    Course expected;
  };
  const Case cases[] = {
      {{}, Course::SingleInstance},
      {{"Register"}, Course::Register},
      {{"Unregister"}, Course::Unregister},
      {{"Register", "extra"}, Course::Register},
      {{"register"}, Course::Ignore},
      {{"UNREGISTER"}, Course::Ignore},
      {{"/Register"}, Course::Ignore},
      {{"Register "}, Course::Ignore},
      {{""}, Course::Ignore},
      {{"x", "Register"}, Course::Ignore},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments.empty() ? "(none)" : c.arguments.front());
    EXPECT_EQ(c.expected, ChooseCourse(c.arguments));
  }
}

// A window that looks like a running instance's main window to a new start.
HWND FakeRunningInstance(platform::emulated::EmulatedWindows& win,
                         const char* title = "Tarnwick v1.0b Personal") {
  platform::os::WNDCLASSA windowClass;
  windowClass.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    return platform::Win().DefWindowProcA(w, m, wp, lp);
  };
  windowClass.lpszClassName = "TQuillmoor";
  win.RegisterClassA(&windowClass);
  return win.CreateWindowExA(0, "TQuillmoor", title, 0, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                             nullptr);
}

std::vector<MSG> PostedTo(platform::emulated::EmulatedWindows& win, HWND window) {
  std::vector<MSG> out;
  for (const MSG& m : win.PostedMessages()) {
    if (m.hwnd == window) out.push_back(m);
  }
  return out;
}

class ProgramEntryTest : public ::testing::Test {
 protected:
  HWND FakeRunningInstance(const char* title = "Tarnwick v1.0b Personal") {
    return app::FakeRunningInstance(win_, title);
  }
  std::vector<MSG> PostedTo(HWND window) { return app::PostedTo(win_, window); }

  EmulatedPlatform os_;
  platform::emulated::EmulatedWindows& win_ = os_.windows();
  platform::emulated::EmulatedRegistry& reg_ = os_.registry();
};

TEST_F(ProgramEntryTest, ASecondStartHandsOverAndCreatesNothing) {
  HWND running = FakeRunningInstance();
  // One that refuses the message (it runs with higher rights) is said to, not ended silently.
  win_.RefusePosts(running);
  EXPECT_EQ(1, RunProgram({}, {}));
  ASSERT_EQ(1u, win_.MessageBoxes().size());
  EXPECT_NE(std::string::npos, win_.MessageBoxes()[0].text.find("did not take the request"));
  win_.DestroyWindow(running);
  win_.ClearMessageBoxes();
  running = FakeRunningInstance();
  const std::size_t windows = win_.WindowCount();
  EXPECT_EQ(0, RunProgram({}, {}));
  const auto posted = PostedTo(running);
  ASSERT_EQ(1u, posted.size());
  EXPECT_EQ(kWmUser, posted[0].message);
  EXPECT_EQ(0u, posted[0].wParam);
  EXPECT_EQ(0, posted[0].lParam);
  EXPECT_EQ(running, win_.ForegroundWindow());
  EXPECT_EQ(windows, win_.WindowCount());
  EXPECT_FALSE(reg_.KeyExists(HkeyCurrentUser(), settings::kSettingsKey));  // not counted
}

TEST_F(ProgramEntryTest, AWindowStillCarryingItsDesignCaptionIsNotARunningInstance) {
  HWND other = FakeRunningInstance("Program Name");
  win_.PostQuitMessage(0);  // lets the new instance's loop end at once
  EXPECT_EQ(0, RunProgram({}, {}));
  EXPECT_TRUE(PostedTo(other).empty());
  EXPECT_EQ(settings::LaunchCount(), 0);
  EXPECT_TRUE(reg_.GetValue(HkeyCurrentUser(), settings::kSettingsKey, "Ypos").has_value());
}

TEST_F(ProgramEntryTest, AnUnknownArgumentChangesNothing) {
  HWND running = FakeRunningInstance();
  for (const char* argument : {"register", "/Register", "Unregister2", "--help"}) {
    EXPECT_EQ(0, RunProgram({argument}, {}));
  }
  EXPECT_TRUE(PostedTo(running).empty());
  EXPECT_TRUE(reg_.Calls().empty());
  EXPECT_TRUE(win_.MessageBoxes().empty());
}

TEST_F(ProgramEntryTest, RegisterAddsOneButtonAndEndsTheRunningInstance) {
  HWND running = FakeRunningInstance();
  EXPECT_EQ(0, RunProgram({"Register"}, {}));
  EXPECT_EQ(0, RunProgram({"Register"}, {}));
  EXPECT_EQ(1u, reg_.SubkeyNames(HkeyLocalMachine(), kExtensions).size());
  EXPECT_TRUE(reg_.GetValue(HkeyLocalMachine(), kButtonList, "Tarnwick v1.0b Personal"));
  const auto posted = PostedTo(running);
  ASSERT_EQ(2u, posted.size());
  EXPECT_EQ(kWmQuit, posted[0].message);

  EXPECT_EQ(0, RunProgram({"Unregister"}, {}));
  EXPECT_TRUE(reg_.SubkeyNames(HkeyLocalMachine(), kExtensions).empty());
  EXPECT_FALSE(reg_.GetValue(HkeyLocalMachine(), kButtonList, "Tarnwick v1.0b Personal"));
  EXPECT_EQ(3u, PostedTo(running).size());
}

TEST_F(ProgramEntryTest, RegistrationsTakeTurnsThroughOneLockAndGiveItBack) {
  EXPECT_EQ(0, RunProgram({"Register"}, {}));
  EXPECT_EQ(0, RunProgram({"Unregister"}, {}));
  const std::string lock = "Global\\TarnwickToolbarRegistration";
  EXPECT_EQ((std::vector<std::string>{"acquire " + lock, "release " + lock, "acquire " + lock,
                                      "release " + lock}),
            os_.system().LockEvents());
  EXPECT_TRUE(os_.system().HeldLocks().empty());
  EXPECT_TRUE(os_.system().ProcessWaits().empty());  // no instance ran, so none was waited for

  // A run that cannot get its turn still does its work.
  void* held = os_.system().AcquireNamedLock(lock.c_str(), 0);
  EXPECT_EQ(0, RunProgram({"Register"}, {}));
  EXPECT_EQ(1u, reg_.SubkeyNames(HkeyLocalMachine(), kExtensions).size());
  os_.system().ReleaseNamedLock(held);
}

TEST_F(ProgramEntryTest, UnregisterWithNothingRegisteredStillEndsTheRunningInstance) {
  HWND running = FakeRunningInstance();
  EXPECT_EQ(0, RunProgram({"Unregister"}, {}));
  ASSERT_EQ(1u, PostedTo(running).size());
  EXPECT_EQ(kWmQuit, PostedTo(running)[0].message);
  EXPECT_TRUE(win_.MessageBoxes().empty());
}

TEST_F(ProgramEntryTest, ARegistrationThatFailsShowsApplicationErrorAndLeavesTheInstanceRunning) {
  HWND running = FakeRunningInstance();
  struct Case {
    std::function<void()> cause;
    const char* said;
  };
  const Case cases[] = {
      {[&] { reg_.DenyWrites(HkeyLocalMachine()); },
       "ERegistryError in module tarnwick.exe.\n\nFailed to set data for 'Default Visible'"},
      // A folder the code page cannot spell: the button would start nothing.
      {[&] { os_.system().SetModulePath("C:\\Program Files\\T?rnwick\\tarnwick.exe"); },
       "Cannot add the toolbar button from this folder"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.said);
    c.cause();
    win_.ClearMessageBoxes();
    EXPECT_EQ(1, RunProgram({"Register"}, {}));
    ASSERT_EQ(1u, win_.MessageBoxes().size());
    const auto& box = win_.MessageBoxes()[0];
    EXPECT_EQ("Application Error", box.caption);
    EXPECT_NE(std::string::npos, box.text.find(c.said)) << box.text;
    EXPECT_EQ(kMbTaskModal, box.type & kMbTaskModal);
    EXPECT_TRUE(PostedTo(running).empty());
    EXPECT_TRUE(os_.system().ProcessWaits().empty());
    EXPECT_TRUE(reg_.SubkeyNames(HkeyLocalMachine(), kExtensions).empty());
    reg_.DenyWrites(HkeyLocalMachine(), false);
  }
}

// A box that nobody can close would never let the start end: a hidden start, one whose error
// output its starter reads (a pipe, a file), or one in a window station that shows nothing
// writes the reason to its standard error instead, if it has one.
TEST(ProgramEntryUnwatched, AFailingRegistrationWritesItsReasonInsteadOfABoxWhenNobodyWatches) {
  struct Case {
    const char* name;
    DWORD flags;
    int show;
    DWORD output;  // the standard error's file type; unknown: none
    bool stationShown, box;
  };
  constexpr DWORD kBoth = kStartfUseShowWindow | kStartfUseStdHandles;
  constexpr DWORD kNone = kFileTypeUnknown;
  for (const Case& c :
       {Case{"hidden, output read", kBoth, kSwHide, kFileTypePipe, true, false},
        Case{"hidden, no output", kStartfUseShowWindow, kSwHide, kNone, true, false},
        Case{"output read, no show command", 0, 0, kFileTypePipe, true, false},
        Case{"output to a file", kBoth, kSwShowNormal, kFileTypeDisk, true, false},
        Case{"station not shown", 0, 0, kNone, false, false},
        Case{"output to a console", kBoth, kSwShowNormal, kFileTypeChar, true, true},
        Case{"hide without its flag", kStartfUseStdHandles, kSwHide, kFileTypeChar, true, true}}) {
    SCOPED_TRACE(c.name);
    EmulatedPlatform os;
    os.registry().DenyWrites(HkeyLocalMachine());
    os::STARTUPINFOA startup;
    startup.dwFlags = c.flags;
    startup.wShowWindow = static_cast<os::WORD>(c.show);
    os.system().SetStartupInfo(startup);
    os.windows().SetWindowStationVisible(c.stationShown);
    if (c.output != kNone) os.system().GiveStandardError(c.output);
    EXPECT_EQ(1, RunProgram({"Register"}, {}));
    EXPECT_EQ(c.box ? 1u : 0u, os.windows().MessageBoxes().size());
    EXPECT_EQ(!c.box && c.output != kNone
                  ? "Exception ERegistryError in module tarnwick.exe. Failed to set data for "
                    "'Default Visible'\r\n"
                  : "",
              os.system().StandardErrorText());
  }
}

TEST_F(ProgramEntryTest, RegistrationWaitsForTheRunningInstanceToEndOnlyAfterTellingItToQuit) {
  // An installer replaces or deletes the file right after these runs, so the instance must be
  // gone by then; a hung one is waited for only so long, and the run still succeeds.
  constexpr DWORD kInstance = 0x99;
  for (const char* word : {"Register", "Unregister"}) {
    for (const bool ends : {true, false}) {
      SCOPED_TRACE(std::string(word) + (ends ? ", ends" : ", hangs"));
      HWND running = FakeRunningInstance();
      win_.SetWindowProcess(running, kInstance);
      os_.system().StartProcess(kInstance);
      std::vector<UINT> postedBeforeTheWait;
      os_.system().OnProcessWait = [&](DWORD) {
        for (const MSG& m : PostedTo(running)) postedBeforeTheWait.push_back(m.message);
        if (ends) os_.system().EndProcess(kInstance);
      };
      const std::size_t waits = os_.system().ProcessWaits().size();
      EXPECT_EQ(0, RunProgram({word}, {}));
      EXPECT_EQ(std::vector<UINT>{kWmQuit}, postedBeforeTheWait);
      ASSERT_EQ(waits + 1, os_.system().ProcessWaits().size());
      EXPECT_EQ("wait 99 10000", os_.system().ProcessWaits().back());
      EXPECT_TRUE(win_.MessageBoxes().empty());
      win_.DestroyWindow(running);
      os_.system().EndProcess(kInstance);
    }
  }
}

// It holds the instance lock while its windows exist, and gives it back with them.
TEST_F(ProgramEntryTest, AFirstStartRunsTheMainWindowUntilQuitAndCountsIt) {
  win_.PostQuitMessage(0);
  bool peersInstalled = false;
  bool heldWhileStarting = false;
  StartEnvironment environment;
  environment.backend = [&]() -> std::unique_ptr<ui::Backend> {
    peersInstalled = true;
    heldWhileStarting = os_.system().HeldLocks().count("Local\\TarnwickInstance") == 1;
    return nullptr;
  };
  std::vector<std::string> allowed;
  EXPECT_EQ(0, RunProgram({}, environment));
  // The messages that other processes send it get through to an elevated instance.
  for (const auto& [window, message] : win_.AllowedMessages()) {
    allowed.push_back(std::to_string(message));
  }
  EXPECT_EQ((std::vector<std::string>{std::to_string(win_.RegisterWindowMessageA("TaskbarCreated")),
                                      std::to_string(kWmUser)}),
            allowed);
  EXPECT_TRUE(peersInstalled);
  EXPECT_TRUE(heldWhileStarting);
  EXPECT_TRUE(os_.system().HeldLocks().empty());
  EXPECT_EQ(0u, win_.WindowCount());
  EXPECT_EQ(0, settings::LaunchCount());
  EXPECT_TRUE(reg_.GetValue(HkeyCurrentUser(), settings::kSettingsKey, "Ypos").has_value());
  EXPECT_EQ(0u, os_.shell().IconCount());  // the icon went with the window
}

TEST_F(ProgramEntryTest, ASettingOfTheWrongTypeIsShownAndTheStartGoesOn) {
  for (const char* name : {"101", "102", "1"}) {
    SCOPED_TRACE(name);
    EmulatedPlatform os;
    auto& reg = os.registry();
    reg.PutValue(HkeyCurrentUser(), settings::kSettingsKey, name, {kRegBinary, {1}});
    os.windows().PostQuitMessage(0);
    // The box waits on a complete start: a second start finds the window, and it is counted.
    bool complete = false;
    os.windows().OnMessageBox = [&](const auto&) {
      complete = os.windows().FindWindowA("TQuillmoor", "Tarnwick v1.0b Personal") != nullptr &&
                 reg.GetValue(HkeyCurrentUser(), settings::kSettingsKey, "Ypos").has_value();
    };
    EXPECT_EQ(0, RunProgram({}, {}));
    // The main window reads it, and so may the Options dialog; it is said once.
    ASSERT_EQ(1u, os.windows().MessageBoxes().size());
    EXPECT_EQ(std::string("Invalid data type for '") + name + "'", os.windows().MessageBoxes()[0].text);
    EXPECT_TRUE(complete);
    EXPECT_EQ(0, settings::LaunchCount());  // counted: the counter went from none to 0
    EXPECT_TRUE(reg.GetValue(HkeyCurrentUser(), settings::kSettingsKey, "Ypos").has_value());
  }
}

// A start that finds the instance lock held (another start is under way and has no titled
// window yet) waits for that window in steps, and hands over, runs, or gives up.
TEST(ProgramEntryInstanceLock, AStartThatFindsItHeldWaitsForTheWindowOrItsEnd) {
  enum class Holder { ShowsItsWindow, Ends, NeverShows };
  struct Case {
    Holder holder;
    int afterWaits;
    bool handsOver, runs;
    int waits;  // how many waits the start made
  };
  for (const Case& c : {Case{Holder::ShowsItsWindow, 3, true, false, 3},
                        Case{Holder::Ends, 2, false, true, 2},
                        Case{Holder::NeverShows, 0, false, false, 100}}) {
    SCOPED_TRACE(static_cast<int>(c.holder));
    EmulatedPlatform os;
    auto& win = os.windows();
    void* held = os.system().AcquireNamedLock("Local\\TarnwickInstance", 0);
    ASSERT_NE(nullptr, held);
    HWND running = nullptr;
    int waits = 0;
    os.system().WhileWaitingForLock([&](const std::string& name, DWORD timeoutMs) {
      EXPECT_EQ("Local\\TarnwickInstance", name);
      EXPECT_GT(timeoutMs, 0u);
      if (++waits != c.afterWaits) return;
      if (c.holder == Holder::ShowsItsWindow) running = FakeRunningInstance(win);
      if (c.holder == Holder::Ends) os.system().ReleaseNamedLock(held);
    });
    const std::size_t windows = win.WindowCount();
    if (c.runs) win.PostQuitMessage(0);
    EXPECT_EQ(0, RunProgram({}, {}));
    EXPECT_EQ(c.waits, waits);
    EXPECT_EQ(c.handsOver, running != nullptr && !PostedTo(win, running).empty());
    EXPECT_EQ(c.runs, os.registry().GetValue(HkeyCurrentUser(), settings::kSettingsKey, "Ypos")
                          .has_value());  // only a start that ran is counted
    if (!c.runs) {
      EXPECT_EQ(windows + (running != nullptr ? 1 : 0), win.WindowCount());
    }
    // A start that ran gave the lock back with its windows; one that did not never took it.
    EXPECT_EQ(c.holder != Holder::Ends, os.system().HeldLocks().count("Local\\TarnwickInstance") == 1);
  }
}

}  // namespace
}  // namespace tarnwick::app
