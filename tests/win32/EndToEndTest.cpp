// The real tarnwick.exe, started with CreateProcess and driven from outside as a user, a second
// start or an installer would: through its controls and window messages, with its state read
// back from the controls and the registry. Every wait ends by a deadline.
#include <windows.h>
#include <oleacc.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <initializer_list>
#include <cstdio>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "platform/ScopeExit.h"
#include "tests/support/ReferenceDump.h"
#include "tests/win32/support/ProgramDriver.h"

namespace {

using namespace tarnwick::test;

// The monitoring interval is 5000 ms; the next tick after any moment comes within that.
constexpr DWORD kMonitorInterval = 5000;
constexpr DWORD kTickWait = 12000;

// The kill bits, in every view of the machine, as the program writes them.
bool KillBitsWritten() {
  return InEveryView([](REGSAM view) {
    return HasDword(HKEY_LOCAL_MACHINE, kFlashKey, kKillBitName, kKillBit, view) &&
           HasDword(HKEY_LOCAL_MACHINE, kShockwaveKey, kKillBitName, kKillBit, view);
  });
}
bool NoClassKeyLeft() {
  return InEveryView([](REGSAM view) {
    return !KeyExists(HKEY_LOCAL_MACHINE, kFlashKey, view) &&
           !KeyExists(HKEY_LOCAL_MACHINE, kShockwaveKey, view);
  });
}
// Every ban of the five kinds, as "No to all" and monitoring write them.
bool AllBansWritten() {
  for (const char* name : kTextSwitches) {
    if (!HasText(HKEY_CURRENT_USER, kMainKey, name, "No")) return false;
  }
  return KillBitsWritten() && HasDword(HKEY_CURRENT_USER, kZoneKey, "1C00", 0);
}
// The bans of the kinds whose choice is "No" by default: 1, 4 and 5.
bool DefaultBansWritten() {
  return HasText(HKEY_CURRENT_USER, kMainKey, "Display Inline Videos", "No") && KillBitsWritten() &&
         HasDword(HKEY_CURRENT_USER, kZoneKey, "1C00", 0);
}
// Takes them back, the kill bits from the view `view` alone.
void DeleteDefaultBans(REGSAM view) {
  DeleteValue(HKEY_CURRENT_USER, kMainKey, "Display Inline Videos");
  DeleteValue(HKEY_LOCAL_MACHINE, kFlashKey, kKillBitName, view);
  DeleteValue(HKEY_LOCAL_MACHINE, kShockwaveKey, kKillBitName, view);
  DeleteValue(HKEY_CURRENT_USER, kZoneKey, "1C00");
}
bool NoDefaultBanLeft() {
  return !Read(HKEY_CURRENT_USER, kMainKey, "Display Inline Videos") &&
         InEveryView([](REGSAM view) {
           return !Read(HKEY_LOCAL_MACHINE, kFlashKey, kKillBitName, view) &&
                  !Read(HKEY_LOCAL_MACHINE, kShockwaveKey, kKillBitName, view);
         }) &&
         !Read(HKEY_CURRENT_USER, kZoneKey, "1C00");
}
// Something else that a class key holds, in every view; allowing Flash takes it too.
void PutOtherClassValue() {
  for (const REGSAM view : MachineViews()) WriteDword(HKEY_LOCAL_MACHINE, kFlashKey, "Other", 5, view);
}

// The window that carries the taskbar button.
HWND ApplicationWindow(const Program& program) {
  for (HWND window : TopLevelWindows(program.Id())) {
    if (ClassOf(window) == "TApplication") return window;
  }
  return nullptr;
}

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!RequireTheProjectsPrefix()) return;
    // Wine starts the desktop, and with it the taskbar, for the first process that asks for it.
    ::GetDesktopWindow();
    ASSERT_TRUE(WaitUntil([] { return ::FindWindowA("Shell_TrayWnd", nullptr) != nullptr; },
                          kStartWait))
        << "no notification area";
    EndStrayInstances();
    ResetRegistry();
  }
  void TearDown() override {
    if (WhyTheRegistryIsNotOurs().empty()) ResetRegistry();
  }
};

// A visible top-level window of the program's of `className`; null when none shows in time.
HWND ShownWindow(DWORD processId, const char* className, DWORD limit = kStateWait) {
  HWND found = nullptr;
  WaitUntil([&] {
    for (HWND window : TopLevelWindows(processId)) {
      if (SameClass(ClassOf(window), className) && ::IsWindowVisible(window)) found = window;
    }
    return found != nullptr;
  }, limit);
  return found;
}

// Types as a user does, into whichever window has the keyboard. A chord goes in one call, so
// that the key state Wine takes again from X when a window of the program gains the X focus
// cannot release Alt between its presses.
void Type(std::initializer_list<std::pair<WORD, bool>> keys) {  // key, with Alt
  for (const auto& [key, alt] : keys) {
    std::vector<INPUT> chord;
    auto add = [&](WORD vk, bool up) {
      INPUT input{};
      input.type = INPUT_KEYBOARD;
      input.ki.wVk = vk;
      input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
      chord.push_back(input);
    };
    if (alt) add(VK_MENU, false);
    add(key, false);
    add(key, true);
    if (alt) add(VK_MENU, true);
    ::SendInput(static_cast<UINT>(chord.size()), chord.data(), sizeof(INPUT));
    ::Sleep(40);
  }
}

// Whether `window` comes to the front and stays there for a moment: Wine gives a window that
// has just been shown the X focus a little later, and the focus may pass through the
// application window on its way.
bool SettlesInFront(HWND window) {
  DWORD since = ::GetTickCount();
  return WaitUntil([&] {
    if (::GetForegroundWindow() != window) since = ::GetTickCount();
    return ::GetTickCount() - since >= 150;
  }, kStateWait);
}

// Types into `target` brought to the front.
void Keys(HWND target, std::initializer_list<std::pair<WORD, bool>> keys) {
  ::SetForegroundWindow(target);
  SettlesInFront(::GetAncestor(target, GA_ROOT));
  Type(keys);
}

// Whether Alt+H, A, typed into whichever window has the keyboard, opens the program's About
// dialog; the dialog is closed again.
bool TypingOpensAbout(const Program& program) {
  Type({{'H', true}, {'A', false}});
  HWND about = ShownWindow(program.Id(), "TAboutF");
  if (about == nullptr) return false;
  ::PostMessageA(about, WM_CLOSE, 0, 0);
  WaitUntil([&] { return !::IsWindowVisible(about); }, kStateWait);
  return true;
}

// The control that has the keyboard focus in the program's thread.
HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}

// Types Tab until `target` has the keyboard in `window`; whether it came there.
bool TabTo(HWND window, HWND target) {
  for (int i = 0; i < 24 && FocusOf(window) != target; ++i) {
    const HWND before = FocusOf(window);
    Type({{VK_TAB, false}});
    WaitUntil([&] { return FocusOf(window) != before; }, kStateWait);
  }
  return FocusOf(window) == target;
}

// Whether a push button carries the default frame, which shows what Enter presses.
bool Framed(HWND button) {
  return (::GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

// The most pixels in one row of `at` on screen that `matches` takes.
int MostInARow(const RECT& at, const std::function<bool(COLORREF)>& matches) {
  HDC screen = ::GetDC(nullptr);
  int most = 0;
  for (LONG y = at.top; y < at.bottom; ++y) {
    int row = 0;
    for (LONG x = at.left; x < at.right; ++x) row += matches(::GetPixel(screen, x, y)) ? 1 : 0;
    most = std::max(most, row);
  }
  ::ReleaseDC(nullptr, screen);
  return most;
}

// How many pixels of the bottom rows of `window` on screen are of the link's blue: its underline.
int UnderlinePixels(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  rect.top = rect.bottom - 4;
  return MostInARow(rect, [](COLORREF pixel) {
    return GetBValue(pixel) > 160 && GetRValue(pixel) < 90 && GetGValue(pixel) < 90;
  });
}

// The first control of `window` that `is` takes.
HWND FindControl(HWND window, const std::function<bool(const Control&)>& is) {
  for (const Control& c : ControlsOf(window)) {
    if (is(c)) return c.handle;
  }
  return nullptr;
}
HWND ControlOf(HWND window, const char* text) {
  return FindControl(window, [&](const Control& c) { return c.text == text; });
}

const std::vector<std::string> kStartLog = {"* Reading settings...", "* Done.",
                                            "* Applying settings...", "* Done..."};
const std::vector<std::string> kDefaultChoices = {"No", "Yes", "Yes", "No", "No"};

// ---------------------------------------------------------------------------------------------
// Start, choices and presets

TEST_F(EndToEnd, FirstStartLogsItsStartCountsItAndWritesNoBrowserSwitch) {
  Program program;
  HWND main = program.VisibleMainWindow();
  ASSERT_NE(nullptr, main) << "no visible main window after " << program.MillisecondsSinceStart()
                           << " ms";
  std::printf("main window visible %lld ms after CreateProcess\n", program.MillisecondsSinceStart());
  Window window(main);

  EXPECT_EQ(kStartLog, window.Log());
  EXPECT_EQ(kDefaultChoices, window.Choices());
  EXPECT_EQ("", window.Choice(kPresets));
  EXPECT_NE(nullptr, window.Button("E&xit"));
  EXPECT_NE(nullptr, window.Button("H&ide"));
  EXPECT_NE(nullptr, window.Button("M&onitor"));

  // Only the launch counter is stored; no browser switch and no toolbar button.
  EXPECT_EQ(std::vector<std::string>{"Ypos"}, Key(HKEY_CURRENT_USER, kSettingsKey).ValueNames());
  EXPECT_EQ(std::optional<DWORD>(0), Setting("Ypos"));
  for (const char* name : kTextSwitches) {
    EXPECT_FALSE(Read(HKEY_CURRENT_USER, kMainKey, name)) << name;
  }
  EXPECT_FALSE(Read(HKEY_CURRENT_USER, kZoneKey, "1C00"));
  EXPECT_TRUE(NoClassKeyLeft());
  EXPECT_TRUE(InEveryView([](REGSAM view) { return ProgramButtons(view).empty(); }));

  EXPECT_EQ(std::optional<DWORD>(0), program.End());
}

TEST_F(EndToEnd, StoredChoicesAreShownAndWrittenAtStartAndTheStartIsCounted) {
  WriteDword(HKEY_CURRENT_USER, kSettingsKey, "1", 0);  // differs from the design: written
  WriteDword(HKEY_CURRENT_USER, kSettingsKey, "2", 1);  // differs: written
  WriteDword(HKEY_CURRENT_USER, kSettingsKey, "4", 1);  // as designed: nothing written
  WriteDword(HKEY_CURRENT_USER, kSettingsKey, "Ypos", 7);
  Program program;
  HWND main = program.VisibleMainWindow();
  ASSERT_NE(nullptr, main);
  Window window(main);

  EXPECT_EQ((std::vector<std::string>{"Yes", "No", "Yes", "No", "No"}), window.Choices());
  EXPECT_TRUE(HasText(HKEY_CURRENT_USER, kMainKey, "Display Inline Videos", "Yes"));
  EXPECT_TRUE(HasText(HKEY_CURRENT_USER, kMainKey, "Play_Animations", "No"));
  EXPECT_FALSE(Read(HKEY_CURRENT_USER, kMainKey, "Play_Background_Sounds"));
  EXPECT_TRUE(NoClassKeyLeft());
  EXPECT_FALSE(Read(HKEY_CURRENT_USER, kZoneKey, "1C00"));
  EXPECT_TRUE(HasSetting("Ypos", 8));
  EXPECT_EQ(kStartLog, window.Log());
}

TEST_F(EndToEnd, ChoosingAnItemStoresTheChoiceAndWritesItsBrowserSwitch) {
  Program program;
  HWND main = program.VisibleMainWindow();
  ASSERT_NE(nullptr, main);
  Window window(main);

  window.Click(window.Radio("Play animated &gifs", "No"));
  EXPECT_TRUE(WaitUntil([] { return HasText(HKEY_CURRENT_USER, kMainKey, "Play_Animations", "No"); },
                        kStateWait))
      << RegistryState();
  EXPECT_TRUE(HasSetting("2", 1));
  EXPECT_EQ("No", window.Choice("Play animated &gifs"));
  // The other kinds keep their switches untouched.
  EXPECT_FALSE(Read(HKEY_CURRENT_USER, kMainKey, "Display Inline Videos"));
  EXPECT_FALSE(Read(HKEY_CURRENT_USER, kMainKey, "Play_Background_Sounds"));
  EXPECT_FALSE(Setting("3"));

  window.Click(window.Radio("Play animated &gifs", "Yes"));
  EXPECT_TRUE(WaitUntil(
      [] { return HasText(HKEY_CURRENT_USER, kMainKey, "Play_Animations", "Yes"); }, kStateWait));
  EXPECT_TRUE(HasSetting("2", 0));

  // Kind 4 lives under HKEY_LOCAL_MACHINE, in every view: "Yes" removes both class keys with
  // all they hold.
  PutOtherClassValue();
  window.Click(window.Radio("&Macromedia Shockwave && Flash Player", "Yes"));
  EXPECT_TRUE(WaitUntil(NoClassKeyLeft, kStateWait)) << RegistryState();
  EXPECT_TRUE(HasSetting("4", 0));
  window.Click(window.Radio("&Macromedia Shockwave && Flash Player", "No"));
  EXPECT_TRUE(WaitUntil(KillBitsWritten, kStateWait)) << RegistryState();
  for (const REGSAM view : MachineViews()) {
    EXPECT_EQ(std::vector<std::string>{kKillBitName},
              Key(HKEY_LOCAL_MACHINE, kFlashKey, view).ValueNames());
  }
  EXPECT_TRUE(HasSetting("4", 1));
  EXPECT_EQ(kStartLog, window.Log());
}

TEST_F(EndToEnd, PresetsSetEveryChoiceAndNoToAllWritesEveryBan) {
  Program program;
  HWND main = program.VisibleMainWindow();
  ASSERT_NE(nullptr, main);
  Window window(main);

  // From the defaults "No to all" changes kinds 2 and 3 only; the others are stored again.
  window.Click(window.Radio(kPresets, "No to all"));
  EXPECT_TRUE(WaitUntil([] { return HasSetting("5", 1); }, kStateWait)) << RegistryState();
  for (const char* name : {"1", "2", "3", "4", "5"}) EXPECT_TRUE(HasSetting(name, 1)) << name;
  EXPECT_TRUE(HasText(HKEY_CURRENT_USER, kMainKey, "Play_Animations", "No"));
  EXPECT_TRUE(HasText(HKEY_CURRENT_USER, kMainKey, "Play_Background_Sounds", "No"));
  EXPECT_FALSE(Read(HKEY_CURRENT_USER, kMainKey, "Display Inline Videos"));
  EXPECT_TRUE(NoClassKeyLeft());
  EXPECT_EQ("No to all", window.Choice(kPresets));

  PutOtherClassValue();
  window.Click(window.Radio(kPresets, "Yes to all"));
  EXPECT_TRUE(WaitUntil([] { return HasSetting("5", 0); }, kStateWait)) << RegistryState();
  for (const char* name : kTextSwitches) {
    EXPECT_TRUE(HasText(HKEY_CURRENT_USER, kMainKey, name, "Yes")) << name;
  }
  EXPECT_TRUE(NoClassKeyLeft()) << RegistryState();
  EXPECT_TRUE(HasDword(HKEY_CURRENT_USER, kZoneKey, "1C00", 0x10000));
  EXPECT_EQ((std::vector<std::string>(5, "Yes")), window.Choices());

  window.Click(window.Radio(kPresets, "No to all"));
  EXPECT_TRUE(WaitUntil(AllBansWritten, kStateWait)) << RegistryState();
  for (const char* name : {"1", "2", "3", "4", "5"}) EXPECT_TRUE(HasSetting(name, 1)) << name;
  EXPECT_EQ((std::vector<std::string>(5, "No")), window.Choices());
  EXPECT_EQ("No to all", window.Choice(kPresets));

  window.Click(window.Radio(kPresets, "Defaults"));
  EXPECT_TRUE(WaitUntil([] { return HasSetting("2", 0); }, kStateWait)) << RegistryState();
  EXPECT_EQ(kDefaultChoices, window.Choices());
  EXPECT_TRUE(HasText(HKEY_CURRENT_USER, kMainKey, "Play_Animations", "Yes"));
  EXPECT_TRUE(HasText(HKEY_CURRENT_USER, kMainKey, "Display Inline Videos", "No"));
}

// ---------------------------------------------------------------------------------------------
// Monitoring

TEST_F(EndToEnd, MonitoringWritesDeletedBansAgainAtItsNextTickUntilItStops) {
  Program program;
  HWND main = program.VisibleMainWindow();
  ASSERT_NE(nullptr, main);
  Window window(main);
  HWND monitor = window.Button("M&onitor");
  ASSERT_NE(nullptr, monitor);

  // The press itself writes the bans of the kinds chosen "No" (1, 4, 5 by default) at once.
  window.Click(monitor);
  EXPECT_EQ("Stop m&onitor", window.Caption(monitor));
  EXPECT_TRUE(WaitUntil(DefaultBansWritten, kStateWait)) << RegistryState();
  EXPECT_FALSE(Read(HKEY_CURRENT_USER, kMainKey, "Play_Animations"));

  // Someone else switches them on again, the kill bits in one view of the machine, then in
  // the other; the next tick puts the bans back.
  for (const REGSAM view : MachineViews()) {
    DeleteDefaultBans(view);
    const auto deleted = std::chrono::steady_clock::now();
    EXPECT_TRUE(WaitUntil(DefaultBansWritten, kTickWait)) << RegistryState();
    std::printf("bans written again %lld ms after they were deleted in view %lu\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           std::chrono::steady_clock::now() - deleted)
                                           .count()),
                static_cast<unsigned long>(view));
  }
  EXPECT_FALSE(Read(HKEY_CURRENT_USER, kMainKey, "Play_Animations")) << "an allowed kind was written";

  // Stopping runs one more pass, and then no tick writes anything.
  window.Click(monitor);
  EXPECT_EQ("M&onitor", window.Caption(monitor));
  EXPECT_TRUE(WaitUntil(DefaultBansWritten, kStateWait));
  for (const REGSAM view : MachineViews()) DeleteDefaultBans(view);
  EXPECT_TRUE(StaysFor(NoDefaultBanLeft, kMonitorInterval + 1000)) << RegistryState();

  std::vector<std::string> log = kStartLog;
  log.push_back("* Start monitoring...");
  log.push_back("* Stop monitoring...");
  EXPECT_EQ(log, window.Log());
  EXPECT_EQ(std::optional<DWORD>(0), program.End());
}

TEST_F(EndToEnd, BanAtStartStartsMonitoringBeforeTheChoicesAreApplied) {
  WriteDword(HKEY_CURRENT_USER, kSettingsKey, "102", 1);
  Program program;
  HWND main = program.VisibleMainWindow();
  ASSERT_NE(nullptr, main);
  Window window(main);
  EXPECT_TRUE(DefaultBansWritten()) << RegistryState();
  EXPECT_EQ((std::vector<std::string>{"* Reading settings...", "* Start monitoring...", "* Done.",
                                      "* Applying settings...", "* Done..."}),
            window.Log());
  EXPECT_EQ("Stop m&onitor", window.Caption(window.Button("Stop m&onitor")));
  // A screen reader hears what the state picture shows.
  const std::optional<Heard> heard = Hear(FindControl(main, [](const Control& c) {
    return SameClass(c.className, "Static") && (c.style & SS_TYPEMASK) == SS_ICON;
  }));
  ASSERT_TRUE(heard.has_value());
  EXPECT_EQ(ROLE_SYSTEM_GRAPHIC, heard->role);
  EXPECT_EQ("Monitoring on", heard->name);
}

// ---------------------------------------------------------------------------------------------
// Hiding, a second start, closing

TEST_F(EndToEnd, HideButtonHidesToTheTrayTheIconRestoresWithTheKeyboardAndTheTrayMenuHides) {
  Program program;
  HWND main = program.VisibleMainWindow();
  ASSERT_NE(nullptr, main);
  Window window(main);

  window.Click(window.Button("H&ide"));
  EXPECT_TRUE(WaitUntil([&] { return !window.Visible(); }, kStateWait));
  EXPECT_TRUE(HasSetting("i", 1)) << "the balloon was not recorded as shown";
  EXPECT_NE(nullptr, window.Button("Restore"));

  EXPECT_TRUE(ClickTrayIcon(program.Id())) << "no icon in the notification area";
  EXPECT_TRUE(WaitUntil([&] { return window.Visible(); }, kStateWait));
  EXPECT_TRUE(window.ButtonAppears("H&ide"));
  // The restore ends by activating the application window; typing reaches the main window.
  EXPECT_TRUE(SettlesInFront(main)) << ClassOf(::GetForegroundWindow()) << " kept the keyboard";
  EXPECT_TRUE(TypingOpensAbout(program)) << "the restored window did not take the keys";
  EXPECT_TRUE(program.Running());

  // The default frame follows the keyboard; a hide and a restore give the keyboard back.
  HWND exitButton = window.Button("E&xit");
  HWND hide = window.Button("H&ide");
  HWND log = ::FindWindowExA(main, nullptr, "ListBox", nullptr);
  ASSERT_TRUE(TabTo(main, exitButton));
  EXPECT_TRUE(Framed(exitButton) && !Framed(hide));
  Type({{VK_ESCAPE, false}});
  ASSERT_TRUE(WaitUntil([&] { return !window.Visible(); }, kStateWait));
  ASSERT_TRUE(ClickTrayIcon(program.Id()));
  ASSERT_TRUE(WaitUntil([&] { return window.Visible(); }, kStateWait));
  EXPECT_TRUE(SettlesInFront(main));
  EXPECT_EQ(exitButton, FocusOf(main)) << TextOf(FocusOf(main));
  EXPECT_TRUE(Framed(exitButton) && !Framed(hide));
  ASSERT_TRUE(TabTo(main, log));
  EXPECT_TRUE(Framed(hide) && !Framed(exitButton));
  const auto menuShown = [] {
    HWND menu = ::FindWindowA("#32768", nullptr);
    return menu != nullptr && ::IsWindowVisible(menu);
  };
  Type({{VK_APPS, false}});  // the log's menu opens at the log
  ASSERT_TRUE(WaitUntil(menuShown, kStateWait));
  RECT menuAt{};
  RECT logAt{};
  ::GetWindowRect(::FindWindowA("#32768", nullptr), &menuAt);
  ::GetWindowRect(log, &logAt);
  EXPECT_TRUE(::PtInRect(&logAt, POINT{menuAt.left, menuAt.top}));
  Type({{VK_ESCAPE, false}});
  EXPECT_TRUE(WaitUntil([&] { return !menuShown(); }, kStateWait));

  // Over the shown window, the icon's menu stays open and its mnemonics work.
  ASSERT_TRUE(ClickTrayIcon(program.Id(), true)) << "no icon in the notification area";
  ASSERT_TRUE(WaitUntil(menuShown, kStateWait)) << "a right click showed no menu";
  EXPECT_TRUE(StaysFor(menuShown, 500)) << "the menu closed by itself";
  Type({{'I', false}});  // H&ide
  EXPECT_TRUE(WaitUntil([&] { return !menuShown() && !window.Visible(); }, kStateWait));
  EXPECT_EQ(std::optional<DWORD>(0), program.End());
}

TEST_F(EndToEnd, SecondStartHidesTheRunningWindowAndAThirdRestoresIt) {
  Program first;
  HWND main = first.VisibleMainWindow();
  ASSERT_NE(nullptr, main);
  Window window(main);

  EXPECT_EQ(std::optional<DWORD>(0), RunToEnd(""));
  EXPECT_TRUE(WaitUntil([&] { return !window.Visible(); }, kStateWait))
      << "the second start did not hide the running window";
  EXPECT_TRUE(first.Running());
  EXPECT_TRUE(window.ButtonAppears("Restore"));

  EXPECT_EQ(std::optional<DWORD>(0), RunToEnd(""));
  EXPECT_TRUE(WaitUntil([&] { return window.Visible(); }, kStateWait))
      << "the third start did not restore the running window";
  EXPECT_TRUE(window.ButtonAppears("H&ide"));
  EXPECT_TRUE(first.Running());

  // Hand-overs are not counted and make no window of their own.
  EXPECT_TRUE(HasSetting("Ypos", 0));
  EXPECT_EQ(kStartLog, window.Log());
  EXPECT_EQ(std::optional<DWORD>(0), first.End());
}

TEST_F(EndToEnd, ClosingEndsTheProgramByDefault) {
  // Through the taskbar button's "Close window", then the main window's close box; each time the
  // next start runs.
  for (const bool taskbarButton : {true, false}) {
    Program program;
    HWND main = program.VisibleMainWindow();
    ASSERT_NE(nullptr, main);
    if (taskbarButton) {
      ::PostMessageA(ApplicationWindow(program), WM_SYSCOMMAND, SC_CLOSE, 0);
    } else {
      ::PostMessageA(main, WM_CLOSE, 0, 0);
    }
    EXPECT_EQ(std::optional<DWORD>(0), program.WaitForExit()) << taskbarButton;
  }
}

TEST_F(EndToEnd, WithExitOnCloseOffClosingHidesAndExitStillEnds) {
  WriteDword(HKEY_CURRENT_USER, kSettingsKey, "103", 0);
  Program program;
  HWND main = program.VisibleMainWindow();
  ASSERT_NE(nullptr, main);
  Window window(main);

  ::PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return !window.Visible(); }, kStateWait));
  EXPECT_TRUE(StaysFor([&] { return program.Running(); }, 300));
  EXPECT_NE(nullptr, window.Button("H&ide")) << "a refused close must leave the caption";

  EXPECT_TRUE(ClickTrayIcon(program.Id()));
  ASSERT_TRUE(WaitUntil([&] { return window.Visible(); }, kStateWait));
  ::PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(WaitUntil([&] { return !window.Visible(); }, kStateWait));
  EXPECT_TRUE(StaysFor([&] { return program.Running(); }, 300));
  // The taskbar button's "Close window" follows the same rule, and leaves both windows.
  EXPECT_TRUE(ClickTrayIcon(program.Id()));
  ASSERT_TRUE(WaitUntil([&] { return window.Visible(); }, kStateWait));
  ::PostMessageA(ApplicationWindow(program), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(WaitUntil([&] { return !window.Visible(); }, kStateWait));
  EXPECT_TRUE(StaysFor([&] { return program.Running() && ::IsWindow(main); }, 300));

  // Exit works also while the window is hidden.
  window.Click(window.Button("E&xit"));
  EXPECT_EQ(std::optional<DWORD>(0), program.WaitForExit());
  EXPECT_FALSE(HasSetting("i", 1)) << "closing showed the balloon";

  // An installer's Restart Manager asks every top-level window to close the application: it
  // ends as Exit ends it, with its icon taken from the notification area.
  Program asked;
  ASSERT_NE(nullptr, asked.VisibleMainWindow());
  std::optional<TrayIcon> icon;
  ASSERT_TRUE(WaitUntil([&] { return (icon = FindTrayIcon(asked.Id())).has_value(); }, kStateWait));
  const std::vector<HWND> windows = TopLevelWindows(asked.Id());
  for (const UINT message : {WM_QUERYENDSESSION, WM_ENDSESSION}) {
    for (HWND each : windows) {
      ::SendMessageTimeoutA(each, message, message == WM_ENDSESSION, ENDSESSION_CLOSEAPP,
                            SMTO_ABORTIFHUNG, kSendWait, nullptr);
    }
  }
  EXPECT_EQ(std::optional<DWORD>(0), asked.WaitForExit());
  EXPECT_FALSE(IconIsThere(*icon)) << "the icon stayed behind";
}

TEST_F(EndToEnd, StartMinimizedShowsOnlyTheTrayIcon) {
  WriteDword(HKEY_CURRENT_USER, kSettingsKey, "101", 1);
  Program program;
  HWND main = program.MainWindow();
  ASSERT_NE(nullptr, main) << "no main window titled \"" << kTitle << "\"";
  Window window(main);
  EXPECT_TRUE(WaitUntil([&] { return FindTrayIcon(program.Id()).has_value(); }, kStateWait))
      << "no icon in the notification area";
  EXPECT_TRUE(StaysFor([&] { return !window.Visible(); }, 1000));
  EXPECT_TRUE(program.Running());

  // Hidden at start, the Hide command still reads "H&ide", and the icon restores the window.
  EXPECT_NE(nullptr, window.Button("H&ide"));
  EXPECT_TRUE(ClickTrayIcon(program.Id()));
  EXPECT_TRUE(WaitUntil([&] { return window.Visible(); }, kStateWait));

  // Hidden again, with another program in front as the taskbar is when the user clicks the
  // icon, the icon's menu takes the keyboard: Escape closes it, and Enter restores.
  window.Click(window.Button("H&ide"));
  ASSERT_TRUE(WaitUntil([&] { return !window.Visible(); }, kStateWait));
  HWND other = ::CreateWindowExA(0, "STATIC", "another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                 10, 10, 200, 100, nullptr, nullptr, nullptr, nullptr);
  ::SetForegroundWindow(other);
  const auto menuShown = [] {
    HWND menu = ::FindWindowA("#32768", nullptr);
    return menu != nullptr && ::IsWindowVisible(menu);
  };
  ASSERT_TRUE(ClickTrayIcon(program.Id(), true));
  ASSERT_TRUE(WaitUntil(menuShown, kStateWait)) << "a right click showed no menu";
  Type({{VK_ESCAPE, false}});
  EXPECT_TRUE(WaitUntil([&] { return !menuShown(); }, kStateWait)) << "Escape left the menu open";
  ASSERT_TRUE(ClickTrayIcon(program.Id(), true));
  ASSERT_TRUE(WaitUntil(menuShown, kStateWait));
  Type({{VK_DOWN, false}, {VK_RETURN, false}});  // Restore
  EXPECT_TRUE(WaitUntil([&] { return window.Visible(); }, kStateWait)) << "Restore was not taken";
  ::DestroyWindow(other);
  EXPECT_EQ(kStartLog, window.Log());
  EXPECT_EQ(std::optional<DWORD>(0), program.End());
}

// ---------------------------------------------------------------------------------------------
// The command line

TEST_F(EndToEnd, RegisterWritesOneToolbarButtonAndEndsTheRunningInstance) {
  WriteDword(HKEY_CURRENT_USER, kSettingsKey, "103", 0);  // the quit must pass the close rule
  Program running;
  ASSERT_NE(nullptr, running.VisibleMainWindow());

  EXPECT_EQ(std::optional<DWORD>(0), RunToEnd("Register"));
  // Already ended when Register has: an installer replaces the file next.
  EXPECT_EQ(std::optional<DWORD>(0), running.WaitForExit(0)) << "the running instance went on";

  // One button, the same in every view of the machine, and the list names it.
  const std::optional<std::string> id = TheOneButton();
  ASSERT_TRUE(id) << RegistryState();
  EXPECT_TRUE(std::regex_match(*id, std::regex("\\{[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\\}"))) << *id;
  const std::string key = std::string(kExtensionsKey) + "\\" + *id;
  const std::string path = ProgramPath();
  for (const REGSAM view : MachineViews()) {
    const auto expect = [&](const char* name, const std::string& data) {
      const auto value = Read(HKEY_LOCAL_MACHINE, key.c_str(), name, view);
      ASSERT_TRUE(value) << name << " in view " << view;
      EXPECT_EQ(static_cast<DWORD>(REG_SZ), value->type) << name;
      EXPECT_EQ(0, _stricmp(data.c_str(), value->Text().c_str()))
          << name << ": " << value->Text() << " instead of " << data;
    };
    expect("Default Visible", "Yes");
    expect("ButtonText", kTitle);
    expect("HotIcon", path + ",1000");
    expect("Icon", path + ",1001");
    expect("CLSID", "{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}");
    expect("Exec", path);
  }
  EXPECT_EQ(id, ListedButton());

  // A second registration replaces the button with a new one.
  EXPECT_EQ(std::optional<DWORD>(0), RunToEnd("Register"));
  const std::optional<std::string> again = TheOneButton();
  ASSERT_TRUE(again) << RegistryState();
  EXPECT_NE(id, again);
  EXPECT_EQ(again, ListedButton());
}

TEST_F(EndToEnd, UnregisterRemovesTheButtonAndOnlyItAndEndsTheRunningInstance) {
  PutOtherProgramsButton();
  EXPECT_EQ(std::optional<DWORD>(0), RunToEnd("Register"));
  ASSERT_TRUE(TheOneButton()) << RegistryState();
  Program running;
  ASSERT_NE(nullptr, running.VisibleMainWindow());

  EXPECT_EQ(std::optional<DWORD>(0), RunToEnd("Unregister"));
  // Already ended when Unregister has: an uninstaller deletes the file next.
  EXPECT_EQ(std::optional<DWORD>(0), running.WaitForExit(0)) << "the running instance went on";
  EXPECT_TRUE(NoProgramButton()) << RegistryState();
  EXPECT_TRUE(OtherProgramsButtonStays()) << "another program's button went";

  // With nothing left to remove it is no error.
  EXPECT_EQ(std::optional<DWORD>(0), RunToEnd("Unregister"));
}

TEST_F(EndToEnd, AnyOtherArgumentEndsTheStartAndChangesNothing) {
  const char* const others[] = {"register", "/Register", "Register2", "UNREGISTER", "-Unregister"};
  // With no instance running: no start happens, so not even the settings key is made.
  for (const char* argument : others) {
    const std::string before = RegistryState();
    EXPECT_EQ(std::optional<DWORD>(0), RunToEnd(argument)) << argument;
    EXPECT_EQ(before, RegistryState()) << argument;
    EXPECT_EQ(nullptr, ::FindWindowA(kMainClass, nullptr)) << argument;
  }
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettingsKey));

  // A running instance gets no message: it stays visible and running.
  Program running;
  HWND main = running.VisibleMainWindow();
  ASSERT_NE(nullptr, main);
  const std::string before = RegistryState();
  for (const char* argument : others) {
    EXPECT_EQ(std::optional<DWORD>(0), RunToEnd(argument)) << argument;
  }
  EXPECT_TRUE(StaysFor([&] { return running.Running() && ::IsWindowVisible(main); }, 500));
  EXPECT_EQ(before, RegistryState());
  EXPECT_EQ(std::optional<DWORD>(0), running.End());
}

// ---------------------------------------------------------------------------------------------
// Starts that overlap

TEST_F(EndToEnd, RegisterRunsAtTheSameTimeBothSucceedAndLeaveOneButton) {
  for (int round = 0; round < 3; ++round) {
    Program a("Register");
    Program b("Register");
    EXPECT_EQ(std::optional<DWORD>(0), a.WaitForExit()) << "round " << round;
    EXPECT_EQ(std::optional<DWORD>(0), b.WaitForExit()) << "round " << round;
    const std::optional<std::string> button = TheOneButton();
    ASSERT_TRUE(button) << "round " << round << "\n" << RegistryState();
    EXPECT_EQ(button, ListedButton());
  }
}

// Two starts at once: the second comes before the first has its titled window, finds the
// instance lock held, waits for that window and hands over.
TEST_F(EndToEnd, TwoStartsAtOnceLeaveOneInstanceWithOneIcon) {
  Program first;
  Program second;
  for (Program* program : {&first, &second}) {
    EXPECT_TRUE(WaitUntil([&] { return !program->Running() || program->MainWindow(0); },
                          kStartWait));
  }
  ASSERT_NE(first.Running(), second.Running()) << "exactly one instance runs";
  Program& instance = first.Running() ? first : second;
  Program& other = first.Running() ? second : first;
  EXPECT_EQ(std::optional<DWORD>(0), other.WaitForExit(0));
  EXPECT_TRUE(WaitForTrayIcon(instance.Id()).has_value());
  EXPECT_FALSE(FindTrayIcon(other.Id()).has_value());
  for (Program* program : {&first, &second}) {
    EXPECT_TRUE(program->MessageBoxes().empty());
  }
  EXPECT_EQ(std::optional<DWORD>(0), instance.End());
  EXPECT_EQ(nullptr, ::FindWindowA(kMainClass, nullptr));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Minimising, bad settings and the keyboard

TEST_F(EndToEnd, TheMinimiseBoxHidesTheWindowAndItsTaskbarButtonIntoTheTray) {
  Program program;
  HWND main = program.VisibleMainWindow();
  ASSERT_NE(nullptr, main);
  HWND taskbarButton = nullptr;
  for (HWND window : TopLevelWindows(program.Id())) {
    if (SameClass(ClassOf(window), "TApplication")) taskbarButton = window;
  }
  ASSERT_NE(nullptr, taskbarButton);
  ASSERT_TRUE(::IsWindowVisible(taskbarButton));

  ::PostMessageA(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(main) && !::IsWindowVisible(taskbarButton); },
                        kStateWait));
  EXPECT_TRUE(WaitForTrayIcon(program.Id()).has_value());
  EXPECT_TRUE(ClickTrayIcon(program.Id()));
  EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(main) && ::IsWindowVisible(taskbarButton); },
                        kStateWait));
  EXPECT_FALSE(::IsIconic(main));
  EXPECT_EQ(std::optional<DWORD>(0), program.End());
}

TEST_F(EndToEnd, ASettingOfTheWrongTypeIsShownAndTheProgramStillStarts) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0,
                                             KEY_WRITE, nullptr, &key, nullptr));
  const BYTE one = 1;
  ::RegSetValueExA(key, "101", 0, REG_BINARY, &one, 1);
  ::RegCloseKey(key);
  WriteDword(HKEY_CURRENT_USER, kSettingsKey, "Ypos", 14);  // the start that shows the demonstration

  Program program;
  // Both windows that read the value report it, once, over a complete start: while the box is
  // open the main window is there, takes no input, and a second start finds it at once. The
  // demonstration window, due a second after the start, waits for the answer. A box already
  // answered may still be on its way out, its text gone, at the next look.
  std::vector<std::string> shown;
  std::vector<HWND> answered;
  HWND main = nullptr;
  WaitUntil([&] {
    for (HWND window : TopLevelWindows(program.Id())) {
      if (ClassOf(window) != "#32770" || !::IsWindowVisible(window)) continue;
      if (std::find(answered.begin(), answered.end(), window) != answered.end()) continue;
      answered.push_back(window);
      main = program.MainWindow(0);
      EXPECT_TRUE(main != nullptr && !::IsWindowEnabled(main)) << "the box does not block";
      Program second;
      EXPECT_EQ(std::optional<DWORD>(0), second.WaitForExit(2000)) << "the second start waited";
      while (program.MillisecondsSinceStart() < 2500) ::Sleep(100);
      EXPECT_EQ(nullptr, ShownWindow(program.Id(), "TDemo", 0)) << "shown over the box";
      for (const Control& c : ControlsOf(window)) {
        if (SameClass(c.className, "Static") && !c.text.empty()) shown.push_back(c.text);
      }
      ::PostMessageA(window, WM_COMMAND, IDOK, 0);
    }
    main = program.MainWindow(0);
    return main != nullptr && !shown.empty() && program.MessageBoxes().empty();
  }, kStartWait);
  ASSERT_NE(nullptr, main) << "the program did not start";
  EXPECT_EQ(std::vector<std::string>{"Invalid data type for '101'"}, shown);
  EXPECT_TRUE(HasSetting("Ypos", 15)) << "the start was not counted";
  HWND demo = ShownWindow(program.Id(), "TDemo");
  EXPECT_TRUE(demo != nullptr && ::IsWindowEnabled(demo)) << "the demonstration was lost";
  EXPECT_EQ(std::optional<DWORD>(0), program.End());
}

TEST_F(EndToEnd, AGroupsMnemonicTakesTheFocusToItsChosenItem) {
  Program program;
  HWND main = program.VisibleMainWindow();
  ASSERT_NE(nullptr, main);
  Window window(main);
  Keys(main, {{'G', true}});
  EXPECT_TRUE(WaitUntil([&] { return FocusOf(main) == window.Radio("Play animated &gifs", "Yes"); },
                        kStateWait));
  Keys(main, {{'E', true}});
  EXPECT_TRUE(WaitUntil([&] { return FocusOf(main) == window.Radio(kPresets, "Yes to all"); },
                        kStateWait));
  EXPECT_EQ("", window.Choice(kPresets)) << "the focus alone chose a preset";
  EXPECT_EQ(std::optional<DWORD>(0), program.End());
}

// ---------------------------------------------------------------------------------------------
// The Options and About dialogs

// Whether every caption of a choice, a box or a group in `window` shows pixels of `color`.
void ExpectCaptionsIn(HWND window, COLORREF color) {
  const std::vector<Control> controls = ControlsOf(window);
  EXPECT_GT(controls.size(), 3u);
  for (const Control& c : controls) {
    if (!SameClass(c.className, "Button") || IsPushButton(c)) continue;
    RECT text = c.rect;  // a group's own caption lies above what it holds
    for (const Control& in : controls) {
      if (IsGroupBox(c) && in.rect.top > c.rect.top && in.rect.left >= c.rect.left &&
          in.rect.right <= c.rect.right) {
        text.bottom = std::min(text.bottom, in.rect.top);
      }
    }
    const auto shown = [&](COLORREF pixel) { return pixel == color; };
    EXPECT_TRUE(WaitUntil([&] { return MostInARow(text, shown) > 0; }, kStateWait)) << c.text;
  }
}

TEST_F(EndToEnd, InHighContrastOptionsOpensFromTheMenuKeysStoresAtOnceAndEveryCloseStoresAsOk) {
  // In a high-contrast scheme: black, the buttons' text yellow, a colour nothing else has. Every
  // test of the prefix sees the user's colours, so the prefix's come back after: swapped in, and
  // swapped back.
  constexpr char kColors[] = "Control Panel\\Colors";
  std::pair<std::string, std::string> scheme[] = {
      {"ButtonFace", "0 0 0"}, {"ButtonText", "255 255 0"}, {"Window", "0 0 0"}};
  const auto swap = [&] {
    for (auto& [name, rgb] : scheme) {
      std::string before = ReadText(HKEY_CURRENT_USER, kColors, name.c_str()).value_or("");
      ::RegSetKeyValueA(HKEY_CURRENT_USER, kColors, name.c_str(), REG_SZ, rgb.c_str(),
                        static_cast<DWORD>(rgb.size() + 1));
      rgb = before;
    }
  };
  swap();
  const tarnwick::platform::ScopeExit restore(swap);
  Program program;
  HWND main = program.VisibleMainWindow();
  ASSERT_NE(nullptr, main);
  ExpectCaptionsIn(main, RGB(255, 255, 0));  // every choice written in the scheme's text colour
  const auto open = [&] {
    Keys(main, {{'T', true}, {'O', false}});
    return ShownWindow(program.Id(), "TSettingsF");
  };
  HWND options = open();
  ASSERT_NE(nullptr, options) << "Alt+T, O opened no Options dialog";
  EXPECT_FALSE(::IsWindowEnabled(main)) << "the main window takes input under the dialog";
  ExpectCaptionsIn(options, RGB(255, 255, 0));
  // Past Defaults, the frame goes back to Ok, which Enter presses.
  ASSERT_TRUE(TabTo(options, ControlOf(options, "&Defaults")));
  ASSERT_TRUE(TabTo(options, ControlOf(options, "Start minimi&zed")));
  EXPECT_TRUE(Framed(ControlOf(options, "&Ok")) && !Framed(ControlOf(options, "&Defaults")));

  Send(ControlOf(options, "Start with &windows"), BM_CLICK);
  EXPECT_TRUE(HasSetting("104", 1));
  EXPECT_TRUE(HasText(HKEY_CURRENT_USER, kRunKey, kTitle, ("\"" + ProgramPath() + "\"").c_str()))
      << ReadText(HKEY_CURRENT_USER, kRunKey, kTitle).value_or("(no Run entry)");

  struct Way {
    const char* name;
    std::function<void(HWND)> close;
  };
  const Way ways[] = {
      {"Escape", [](HWND dialog) { Keys(dialog, {{VK_ESCAPE, false}}); }},
      {"Enter", [](HWND dialog) { Keys(dialog, {{VK_RETURN, false}}); }},
      {"close box", [](HWND dialog) { ::PostMessageA(dialog, WM_CLOSE, 0, 0); }},
      {"system menu", [](HWND dialog) { ::PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
      {"Ok", [](HWND dialog) { ::PostMessageA(ControlOf(dialog, "&Ok"), BM_CLICK, 0, 0); }},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    HWND dialog = options != nullptr ? options : open();
    options = nullptr;
    ASSERT_NE(nullptr, dialog);
    WriteDword(HKEY_CURRENT_USER, kSettingsKey, "103", 7);  // shown as checked, stored back as 1
    way.close(dialog);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(dialog) && ::IsWindowEnabled(main); },
                          kStateWait));
    EXPECT_TRUE(HasSetting("101", 0) && HasSetting("102", 0) && HasSetting("103", 1) &&
                HasSetting("104", 1))
        << RegistryState();
  }

  HWND dialog = open();
  ASSERT_NE(nullptr, dialog);
  Send(ControlOf(dialog, "&Defaults"), BM_CLICK);
  EXPECT_FALSE(Read(HKEY_CURRENT_USER, kRunKey, kTitle).has_value()) << "Defaults left the Run entry";
  EXPECT_TRUE(::IsWindowVisible(dialog));
  Keys(dialog, {{VK_ESCAPE, false}});
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(dialog); }, kStateWait));
  EXPECT_TRUE(HasSetting("104", 0));
  // The keyboard goes back to the main window with the dialog gone.
  EXPECT_TRUE(SettlesInFront(main));
  EXPECT_TRUE(TypingOpensAbout(program)) << "the main window lost the keys with the dialog";
  EXPECT_EQ(std::optional<DWORD>(0), program.End());
}

TEST_F(EndToEnd, WhileAboutIsOpenMonitoringGoesOnAndItsLinkFollowsThePointer) {
  WriteDword(HKEY_CURRENT_USER, kSettingsKey, "102", 1);  // monitoring from the start
  Program program;
  HWND main = program.VisibleMainWindow();
  ASSERT_NE(nullptr, main);
  Keys(main, {{'H', true}, {'A', false}});
  HWND about = ShownWindow(program.Id(), "TAboutF");
  ASSERT_NE(nullptr, about) << "Alt+H, A opened no About dialog";
  EXPECT_EQ("About Tarnwick v1.0b Personal", TextOf(about));
  EXPECT_NE(nullptr, ControlOf(about, kTitle));
  EXPECT_FALSE(::IsWindowEnabled(main));

  DeleteDefaultBans(MachineViews().back());
  EXPECT_TRUE(WaitUntil(DefaultBansWritten, kTickWait)) << "monitoring stopped under the dialog";
  EXPECT_TRUE(::IsWindowVisible(about));

  HWND link = ControlOf(about, "brambleworks.example");
  ASSERT_NE(nullptr, link);
  RECT place{};
  ::GetWindowRect(link, &place);
  const int width = place.right - place.left;
  const int plain = UnderlinePixels(link);
  // Shown again under a pointer at rest on the link, it stays plain until the pointer moves.
  Keys(about, {{VK_RETURN, false}});
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(about); }, kStateWait));
  ::SetCursorPos(place.left + 2, place.top + 2);
  Keys(main, {{'H', true}, {'A', false}});
  ASSERT_EQ(about, ShownWindow(program.Id(), "TAboutF"));
  EXPECT_FALSE(WaitUntil([&] { return UnderlinePixels(link) > plain + width / 2; }, 500));
  MoveMouseTo(place.left + width / 2, (place.top + place.bottom) / 2);
  EXPECT_TRUE(WaitUntil([&] { return UnderlinePixels(link) > plain + width / 2; }, kStateWait))
      << "no underline under the pointer";
  // Away from it, still moving a little, as a hand on a mouse does.
  LONG away = place.bottom + 40;
  EXPECT_TRUE(WaitUntil([&] {
    MoveMouseTo(place.left + width / 2, away++);
    return UnderlinePixels(link) == plain;
  }, kStateWait))
      << "the underline stayed after the pointer left: " << UnderlinePixels(link) << " of " << width << ", plain " << plain;

  Keys(about, {{VK_RETURN, false}});
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(about) && ::IsWindowEnabled(main); },
                        kStateWait));
  EXPECT_EQ(std::optional<DWORD>(0), program.End());
}

// ---------------------------------------------------------------------------------------------
// What an administrator sets through Group Policy

TEST_F(EndToEnd, AComputersPolicyLocksItsChoiceOverTheUsersAndARefreshHandsItBack) {
  PutPolicy(HKEY_LOCAL_MACHINE, kPoliciesKey, "ShockwaveFlash", 1);
  PutPolicy(HKEY_CURRENT_USER, kPoliciesKey, "ShockwaveFlash", 0);
  PutPolicy(HKEY_CURRENT_USER, kRecommendedKey, "PlayAnimatedGifs", 1);
  WriteDword(HKEY_CURRENT_USER, kSettingsKey, "4", 0);  // the user had allowed it
  const std::string flash = kGroups[3];
  const std::string lockedFlash = flash + " *";
  {
    Program program;
    HWND main = program.VisibleMainWindow();
    ASSERT_NE(nullptr, main);
    Window window(main);
    EXPECT_EQ("No", window.Choice(lockedFlash));
    EXPECT_FALSE(::IsWindowEnabled(window.Radio(lockedFlash, "Yes")));
    EXPECT_TRUE(KillBitsWritten()) << RegistryState();
    EXPECT_TRUE(HasSetting("4", 0)) << "the administrator's choice was stored as the user's";
    const std::optional<Heard> heard = Hear(window.Radio(lockedFlash, "No"));
    ASSERT_TRUE(heard.has_value());
    EXPECT_EQ("Set by your administrator", heard->description);
    // Recommended, where the user stored nothing: the start's choice, not stored.
    EXPECT_EQ("No", window.Choice("Play animated &gifs"));
    EXPECT_TRUE(HasText(HKEY_CURRENT_USER, kMainKey, "Play_Animations", "No"));
    EXPECT_FALSE(Setting("2"));

    window.Click(window.Radio(kPresets, "Yes to all"));
    EXPECT_TRUE(WaitUntil([] { return HasSetting("5", 0); }, kStateWait)) << RegistryState();
    EXPECT_EQ("No", window.Choice(lockedFlash));
    EXPECT_TRUE(KillBitsWritten()) << RegistryState();
    EXPECT_TRUE(HasSetting("4", 0));

    // Without the computer's policy the user's decides; without both, the user's own choice.
    DeletePolicy(HKEY_LOCAL_MACHINE, kPoliciesKey, "ShockwaveFlash");
    BroadcastPolicyChange();
    EXPECT_TRUE(WaitUntil(NoClassKeyLeft, kStateWait)) << RegistryState();
    EXPECT_EQ("Yes", window.Choice(lockedFlash));
    DeletePolicy(HKEY_CURRENT_USER, kPoliciesKey, "ShockwaveFlash");
    BroadcastPolicyChange();
    EXPECT_TRUE(WaitUntil([&] { return ControlOf(main, flash.c_str()) != nullptr; }, kStateWait));
    EXPECT_TRUE(::IsWindowEnabled(window.Radio(flash, "Yes")));
    EXPECT_EQ("Yes", window.Choice(flash));
    EXPECT_TRUE(program.MessageBoxes().empty());
    EXPECT_EQ(std::optional<DWORD>(0), program.End());
  }
  // The user's choice stands over the recommendation from then on.
  Program again;
  HWND main = again.VisibleMainWindow();
  ASSERT_NE(nullptr, main);
  EXPECT_EQ("Yes", Window(main).Choice("Play animated &gifs"));
}

TEST_F(EndToEnd, MonitoringSetByTheAdministratorRunsAndNeitherTheWindowNorTheTrayStopsIt) {
  PutPolicy(HKEY_LOCAL_MACHINE, kPoliciesKey, "Monitoring", 1);
  // Policy data of the wrong type is passed over and said in the log, never in a box.
  ::RegSetKeyValueA(HKEY_CURRENT_USER, kPoliciesKey, "ExitOnClose", REG_SZ, "1", 2);
  Program program;
  HWND main = program.VisibleMainWindow();
  ASSERT_NE(nullptr, main);
  Window window(main);
  EXPECT_TRUE(program.MessageBoxes().empty());
  EXPECT_EQ((std::vector<std::string>{
                "* Reading settings...", "* Set by your administrator: Monitoring on",
                "* Policy values passed over: ExitOnClose (user, not a DWORD)",
                "* Start monitoring...", "* Done.", "* Applying settings...", "* Done..."}),
            window.Log());
  EXPECT_TRUE(DefaultBansWritten()) << RegistryState();
  HWND stop = window.Button("Stop m&onitor");
  EXPECT_FALSE(::IsWindowEnabled(stop));

  // The tray menu's item is greyed: its mnemonic does nothing.
  const auto menuShown = [] {
    HWND menu = ::FindWindowA("#32768", nullptr);
    return menu != nullptr && ::IsWindowVisible(menu);
  };
  ASSERT_TRUE(ClickTrayIcon(program.Id(), true));
  ASSERT_TRUE(WaitUntil(menuShown, kStateWait)) << "a right click showed no menu";
  Type({{'O', false}});  // Stop m&onitor
  if (menuShown()) Type({{VK_ESCAPE, false}});
  EXPECT_TRUE(WaitUntil([&] { return !menuShown(); }, kStateWait));
  EXPECT_TRUE(StaysFor([&] { return window.Log().size() == 7; }, 500)) << window.Log().back();
  EXPECT_EQ("Stop m&onitor", window.Caption(stop));
  EXPECT_EQ(std::optional<DWORD>(0), program.End());
}

// ---------------------------------------------------------------------------------------------
// The demonstration window

std::string DumpText(const std::string& bytes) { return ReferenceDumpText(bytes); }

// A folder of the test's own under the prefix's temp folder, with `file` below it holding
// `bytes`; returns the folder.
std::string PutIndexFile(const std::string& folder, const std::string& file,
                         const std::string& bytes) {
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  const std::string root = std::string(temp) + "tarnwick-demo\\" + folder;
  std::string path = root + "\\" + file;
  for (std::size_t slash = path.find('\\', 3); slash != std::string::npos;
       slash = path.find('\\', slash + 1)) {
    ::CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
  }
  HANDLE out = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  EXPECT_NE(INVALID_HANDLE_VALUE, out) << path;
  DWORD written = 0;
  ::WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(out);
  return root;
}

// Where the program looks for the three folders. Wine writes these values anew whenever a
// program starts, so a test sets them once the program runs.
constexpr char kShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
void PointFolder(const char* name, const std::string& folder) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CURRENT_USER, kShellFoldersKey, 0, nullptr, 0,
                                             KEY_WRITE, nullptr, &key, nullptr));
  ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                   static_cast<DWORD>(folder.size() + 1));
  ::RegCloseKey(key);
}

// The demonstration window's memos, left to right: history, cache, cookies.
std::vector<HWND> Memos(HWND demo) {
  std::vector<Control> found;
  for (const Control& c : ControlsOf(demo)) {
    if (SameClass(c.className, "TarnwickMemo")) found.push_back(c);
  }
  std::sort(found.begin(), found.end(),
            [](const Control& a, const Control& b) { return a.rect.left < b.rect.left; });
  std::vector<HWND> memos;
  for (const Control& c : found) memos.push_back(c.handle);
  return memos;
}
std::string MemoText(HWND memo) {
  const auto length = Send(memo, WM_GETTEXTLENGTH);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  Send(memo, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return text;
}
// Answers each of the program's open boxes with OK, once; `answered` gets each box and `told` its text, and `owners` (when
// given) the window each stood over.
void AnswerBoxes(DWORD processId, std::vector<HWND>& answered, std::vector<std::string>& told,
                 std::vector<HWND>* owners = nullptr) {
  for (HWND window : TopLevelWindows(processId)) {
    if (ClassOf(window) != "#32770" || !::IsWindowVisible(window)) continue;
    if (std::find(answered.begin(), answered.end(), window) != answered.end()) continue;
    answered.push_back(window);
    if (owners != nullptr) owners->push_back(::GetWindow(window, GW_OWNER));
    for (const Control& c : ControlsOf(window)) {
      if (SameClass(c.className, "Static") && !c.text.empty()) told.push_back(c.text);
    }
    ::PostMessageA(window, WM_COMMAND, IDOK, 0);
  }
}

TEST_F(EndToEnd, TheDemonstrationWindowAppearsAboutASecondAfterTheFifteenthStartOnly) {
  const struct {
    DWORD before;
    bool shown;  // by the administrator's ShowDemonstration
  } starts[] = {{13, true}, {14, true}, {15, true}, {14, false}};
  for (const auto& [before, shown] : starts) {
    SCOPED_TRACE(std::to_string(before) + (shown ? "" : ", never shown"));
    WriteDword(HKEY_CURRENT_USER, kSettingsKey, "Ypos", before);
    if (!shown) PutPolicy(HKEY_LOCAL_MACHINE, kPoliciesKey, "ShowDemonstration", 0);
    Program program;
    ASSERT_NE(nullptr, program.VisibleMainWindow());
    const bool due = before + 1 == 15 && shown;
    HWND demo = ShownWindow(program.Id(), "TDemo", due ? kStartWait : 2500);
    EXPECT_EQ(due, demo != nullptr);
    if (demo != nullptr) {
      EXPECT_GE(program.MillisecondsSinceStart(), 900) << "shown before the first tick";
      EXPECT_EQ("Thank you for using Tarnwick from Brambleworks Company", TextOf(demo));
    }
    EXPECT_EQ(std::optional<DWORD>(0), program.End());
  }
}

TEST_F(EndToEnd, ViewTheDemoDumpsEachFileAStopEndsOnlyOneAndOnlyAnIdleWindowCloses) {
  WriteDword(HKEY_CURRENT_USER, kSettingsKey, "Ypos", 14);
  Program program;
  HWND demo = ShownWindow(program.Id(), "TDemo", kStartWait);
  ASSERT_NE(nullptr, demo);
  std::string history(64 << 20, '\0');  // time for a stop typed on the keyboard to land
  for (std::size_t i = 0; i < history.size(); ++i) history[i] = static_cast<char>(i * 7 % 251);
  const std::string cache = std::string("Client UrlCache\x01\x7F\x80\xFF", 19) + "https://a.example/";
  PointFolder("History", PutIndexFile("History", "History.IE5\\index.dat", history));
  PointFolder("Cache", PutIndexFile("Cache", "Content.IE5\\index.dat", cache));
  PointFolder("Cookies", PutIndexFile("Cookies", "elsewhere.dat", "no index here"));

  const std::vector<HWND> memos = Memos(demo);
  ASSERT_EQ(3u, memos.size());
  HWND exitButton = ControlOf(demo, "E&xit the demo");
  HWND stop = FindControl(demo, [](const Control& c) {  // the one button without a caption
    return SameClass(c.className, "Button") && c.text.empty();
  });
  ASSERT_TRUE(exitButton != nullptr && stop != nullptr);
  HWND view = ControlOf(demo, "&View the demo");
  HWND historyBox = ControlOf(demo, "History index.dat file");
  ::SetForegroundWindow(demo);
  ASSERT_TRUE(SettlesInFront(demo));
  ASSERT_TRUE(TabTo(demo, view));
  Type({{VK_SPACE, false}});
  ASSERT_TRUE(WaitUntil([&] { return Send(memos[0], EM_GETLINECOUNT) > 1000; }, kStateWait))
      << "the history dump did not start";
  EXPECT_FALSE(::IsWindowEnabled(exitButton));
  ::PostMessageA(demo, WM_CLOSE, 0, 0);  // the close box does nothing during a run
  Type({{VK_SPACE, false}});            // stops the run, and only stops it
  std::vector<HWND> answered;
  std::vector<std::string> told;
  std::vector<HWND> owners;
  EXPECT_TRUE(WaitUntil([&] {
    AnswerBoxes(program.Id(), answered, told, &owners);
    return ::IsWindowEnabled(exitButton) != FALSE;
  }, kTickWait)) << "the run did not end";
  EXPECT_TRUE(::IsWindowVisible(demo)) << "closed during the run";
  EXPECT_EQ(BST_CHECKED, Send(historyBox, BM_GETCHECK)) << "the stop also changed a choice";
  EXPECT_EQ(view, FocusOf(demo)) << "the keyboard went to " << TextOf(FocusOf(demo));
  EXPECT_EQ(std::vector<std::string>{"Error occured while trying to access Cookies index.dat files!"},
            told);
  EXPECT_EQ(std::vector<HWND>{demo}, owners) << "the box does not stand over the window";
  const auto historyLines = Send(memos[0], EM_GETLINECOUNT);
  EXPECT_LT(historyLines, static_cast<DWORD_PTR>(history.size() / 26)) << "the stop did not stop";
  EXPECT_EQ(DumpText(cache), MemoText(memos[1]));
  EXPECT_EQ(0u, Send(memos[2], WM_GETTEXTLENGTH));
  EXPECT_EQ(DumpText(history.substr(0, 26 * 20)), MemoText(memos[0]).substr(0, 20 * 29 - 2));

  // Alt+F4 during a run is a key like the others: it stops the dump and closes nothing.
  Type({{VK_SPACE, false}});
  ASSERT_TRUE(WaitUntil([&] { return Send(memos[0], EM_GETLINECOUNT) > 1000; }, kStateWait));
  Type({{VK_F4, true}});
  EXPECT_TRUE(WaitUntil([&] {
    AnswerBoxes(program.Id(), answered, told);
    return ::IsWindowEnabled(exitButton) != FALSE;
  }, kTickWait)) << "the run did not end";
  EXPECT_TRUE(::IsWindowVisible(demo)) << "Alt+F4 closed the window during the run";
  EXPECT_LT(Send(memos[0], EM_GETLINECOUNT), static_cast<DWORD_PTR>(history.size() / 26))
      << "Alt+F4 did not stop the dump";

  // A screen reader, from its own process, hears each drawn control for what it is.
  HWND gauge =
      FindControl(demo, [](const Control& c) { return SameClass(c.className, "TarnwickGauge"); });
  const struct {
    HWND control;
    Heard heard;  // the state's bits that must be set
  } readers[] = {
      {memos[0], {ROLE_SYSTEM_TEXT, "History", MemoText(memos[0]).substr(0, 65536),
                  STATE_SYSTEM_READONLY, ""}},
      {memos[1], {ROLE_SYSTEM_TEXT, "Cache", DumpText(cache), STATE_SYSTEM_READONLY, ""}},
      {memos[2], {ROLE_SYSTEM_TEXT, "Cookies", "", STATE_SYSTEM_READONLY, ""}},
      {gauge, {ROLE_SYSTEM_PROGRESSBAR, "Progress", "100%", 0, ""}},
      {stop, {ROLE_SYSTEM_PUSHBUTTON, "Stop", "", 0, "Press"}},
      {ControlOf(demo, "Hollowguard"),
       {ROLE_SYSTEM_LINK, "Hollowguard", "", STATE_SYSTEM_LINKED, "Jump"}},
  };
  for (const auto& reader : readers) {
    SCOPED_TRACE(reader.heard.name);
    const std::optional<Heard> heard = Hear(reader.control);
    ASSERT_TRUE(heard.has_value());
    EXPECT_EQ(reader.heard.role, heard->role);
    EXPECT_EQ(reader.heard.name, heard->name);
    EXPECT_EQ(reader.heard.value, heard->value);
    EXPECT_EQ(reader.heard.state, heard->state & reader.heard.state);
    EXPECT_EQ(reader.heard.action, heard->action);
  }

  // Idle, the close box hides it and keeps the text; Escape clears the memos.
  ::PostMessageA(demo, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(demo); }, kStateWait));
  EXPECT_EQ(DumpText(cache), MemoText(memos[1]));
  EXPECT_EQ(std::optional<DWORD>(0), program.End());
}

TEST_F(EndToEnd, ALockedIndexFileIsToldAndTheWindowStaysUsable) {
  WriteDword(HKEY_CURRENT_USER, kSettingsKey, "Ypos", 29);  // the thirtieth start
  Program program;
  HWND demo = ShownWindow(program.Id(), "TDemo", kStartWait);
  ASSERT_NE(nullptr, demo);
  const std::string folder = PutIndexFile("Locked", "History.IE5\\index.dat", "bytes");
  const std::string path = folder + "\\History.IE5\\index.dat";
  HANDLE lock = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, lock);
  PointFolder("History", folder);

  ::PostMessageA(ControlOf(demo, "&View the demo"), BM_CLICK, 0, 0);
  std::vector<HWND> answered;
  std::vector<std::string> told;
  HWND exitButton = ControlOf(demo, "E&xit the demo");
  EXPECT_TRUE(WaitUntil([&] {
    AnswerBoxes(program.Id(), answered, told);
    return !told.empty() && ::IsWindowEnabled(exitButton) && program.MessageBoxes().empty();
  }, kStateWait));
  ::CloseHandle(lock);
  EXPECT_EQ(std::vector<std::string>{"Cannot open file " + path}, told);
  Keys(demo, {{VK_ESCAPE, false}});
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(demo); }, kStateWait))
      << "Escape did not close the idle window";
  EXPECT_EQ(std::optional<DWORD>(0), program.End());
}

