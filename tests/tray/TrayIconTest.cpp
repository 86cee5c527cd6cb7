#include "tray/TrayIcon.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/emulated/EmulatedPlatform.h"
#include "tray/SharedWindows.h"
#include "tests/support/Errors.h"
#include "tests/support/TestBackend.h"

namespace tarnwick::tray {
namespace {

using namespace std::chrono_literals;
using namespace platform::os;
using platform::emulated::EmulatedPlatform;
using platform::emulated::EmulatedShell;
using platform::emulated::EmulatedWindows;

HICON FakeIcon(std::uintptr_t n) { return reinterpret_cast<HICON>(0x5000 + n); }

class TrayIconTest : public ::testing::Test {
 protected:
  // Plays a shell callback on `icon` and runs the message queue.
  void Shell(TTrayIcon& icon, UINT message) {
    ASSERT_TRUE(shell_.InjectCallback(icon.CallbackId(), message));
    win_.ProcessPending();
  }
  // Records every event of `icon` into log_.
  void Record(TTrayIcon& icon) {
    icon.OnClick = [this](ui::Component&) { log_.push_back("click"); };
    icon.OnMouseDown = [this](ui::Component&, MouseButton b, unsigned shift, int x, int y) {
      log_.push_back("down " + std::to_string(static_cast<int>(b)) + " " + std::to_string(shift) +
                     " " + std::to_string(x) + "," + std::to_string(y));
    };
    icon.OnMouseUp = [this](ui::Component&, MouseButton b, unsigned shift, int, int) {
      log_.push_back("up " + std::to_string(static_cast<int>(b)) + " " + std::to_string(shift));
    };
    icon.OnMouseMove = [this](ui::Component&, unsigned shift, int x, int y) {
      log_.push_back("move " + std::to_string(shift) + " " + std::to_string(x) + "," + std::to_string(y));
    };
    icon.OnMouseEnter = [this](ui::Component&) { log_.push_back("enter"); };
    icon.OnMouseExit = [this](ui::Component&) { log_.push_back("exit"); };
    icon.OnBalloonHintShow = [this](ui::Component&) { log_.push_back("balloon show"); };
    icon.OnBalloonHintHide = [this](ui::Component&) { log_.push_back("balloon hide"); };
    icon.OnBalloonHintTimeout = [this](ui::Component&) { log_.push_back("balloon timeout"); };
    icon.OnBalloonHintClick = [this](ui::Component&) { log_.push_back("balloon click"); };
  }
  std::vector<std::string> TakeLog() { return std::exchange(log_, {}); }
  const NOTIFYICONDATAA& LastSent() { return shell_.Calls().back().data; }

  EmulatedPlatform os_;
  EmulatedWindows& win_ = os_.windows();
  EmulatedShell& shell_ = os_.shell();
  std::vector<std::string> log_;
};

// --- The notification data ---------------------------------------------------------------------

TEST_F(TrayIconTest, AddingSendsTheRecordWithCallbackAndTip) {
  TTrayIcon icon;
  ui::Icon image;
  image.SetHandle(FakeIcon(1));
  icon.SetIcon(image);
  icon.SetHint("Tarnwick v1.0");
  EXPECT_EQ(0u, shell_.IconCount());  // changes before the icon is shown are refused
  EXPECT_TRUE(icon.AddIcon());
  EXPECT_TRUE(icon.IconVisible());
  const NOTIFYICONDATAA* held = shell_.FindIcon(TrayWindow()->Handle(), icon.CallbackId());
  ASSERT_NE(nullptr, held);
  EXPECT_EQ(sizeof(NOTIFYICONDATAA), LastSent().cbSize);
  EXPECT_EQ(kNifMessage | kNifIcon | kNifTip, LastSent().uFlags);
  EXPECT_EQ(kTrayCallbackMessage, held->uCallbackMessage);
  EXPECT_EQ(FakeIcon(1), held->hIcon);
  EXPECT_STREQ("Tarnwick v1.0", held->szTip);
  EXPECT_FALSE(icon.AddIcon());  // already there: the shell refuses
}

TEST_F(TrayIconTest, CallsTheShellWouldRefuseOrThatRepeatItsCopyAreAnsweredWithoutIt) {
  TTrayIcon icon;
  ui::Icon image;
  image.SetHandle(FakeIcon(1));
  shell_.ClearCalls();
  icon.SetHint("before");
  icon.SetIcon(image);
  EXPECT_FALSE(icon.UpdateIcon());  // nothing to change yet, as the shell would say
  EXPECT_EQ(0u, shell_.CallCount(kNimModify));

  ASSERT_TRUE(icon.AddIcon());
  const NOTIFYICONDATAA* held = shell_.FindIcon(TrayWindow()->Handle(), icon.CallbackId());
  ASSERT_NE(nullptr, held);
  EXPECT_STREQ("before", held->szTip);  // what was set before arrives with the icon
  EXPECT_EQ(FakeIcon(1), held->hIcon);

  shell_.ClearCalls();
  icon.SetHint("before");
  EXPECT_TRUE(icon.UpdateIcon());
  EXPECT_FALSE(icon.AddIcon());  // already there
  EXPECT_TRUE(shell_.Calls().empty());

  icon.SetHint("after");
  EXPECT_EQ(1u, shell_.CallCount(kNimModify));
  EXPECT_STREQ("after", held->szTip);
  // The same handle again may stand for a new image now.
  icon.SetIcon(image);
  EXPECT_EQ(2u, shell_.CallCount(kNimModify));

  ASSERT_TRUE(icon.RemoveIcon());
  shell_.ClearCalls();
  icon.SetHint("gone");
  EXPECT_TRUE(shell_.Calls().empty());
  EXPECT_TRUE(icon.AddIcon());
  EXPECT_STREQ("gone", shell_.FindIcon(TrayWindow()->Handle(), icon.CallbackId())->szTip);
}

TEST_F(TrayIconTest, AfterARefusalEveryCallReachesTheShellAgain) {
  TTrayIcon icon;
  shell_.RefuseAll();
  EXPECT_FALSE(icon.AddIcon());
  shell_.RefuseAll(false);
  shell_.ClearCalls();
  icon.SetHint("tip");  // a refused add may still have added the icon
  EXPECT_EQ(1u, shell_.CallCount(kNimModify));

  ASSERT_TRUE(icon.AddIcon());
  shell_.RefuseAll();
  icon.SetHint("other");
  shell_.RefuseAll(false);
  shell_.ClearCalls();
  EXPECT_FALSE(icon.AddIcon());  // asked again, and the shell says it has the icon
  EXPECT_EQ(1u, shell_.CallCount(kNimAdd));
  icon.SetHint("tip");  // what the shell holds, but that was in doubt
  EXPECT_EQ(1u, shell_.CallCount(kNimModify));
  EXPECT_TRUE(icon.UpdateIcon());
  EXPECT_EQ(1u, shell_.CallCount(kNimModify));
}

TEST_F(TrayIconTest, TipsAreCutTo127CharactersOrLeftOut) {
  TTrayIcon icon;
  icon.SetIconVisible(true);
  struct Case {
    std::string hint;
    bool showHint;
    std::string expected;
  };
  const Case cases[] = {
      {std::string(200, 'h'), true, std::string(127, 'h')},
      {std::string(127, 'h'), true, std::string(127, 'h')},
      {"short", true, "short"},
      {"hidden", false, ""},
      {"", true, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hint.size());
    icon.SetShowHint(c.showHint);
    icon.SetHint(c.hint);
    const NOTIFYICONDATAA& sent = LastSent();
    EXPECT_EQ(c.expected, std::string(sent.szTip));
    if (c.expected.empty()) {
      EXPECT_TRUE(std::all_of(std::begin(sent.szTip), std::end(sent.szTip), [](char ch) { return ch == 0; }));
    }
  }
}

TEST_F(TrayIconTest, BalloonsAreCutAndShownOnce) {
  TTrayIcon icon;
  icon.SetIconVisible(true);
  EXPECT_TRUE(icon.DisplayBalloon(std::string(100, 't'), std::string(300, 'x'), 1, 10));
  ASSERT_EQ(1u, shell_.Balloons().size());
  const auto& balloon = shell_.Balloons().back();
  EXPECT_EQ(std::string(63, 't'), balloon.title);
  EXPECT_EQ(std::string(255, 'x'), balloon.text);
  EXPECT_EQ(kNiifInfo, balloon.flags);
  EXPECT_EQ(10000u, balloon.timeout);
  EXPECT_EQ(kNifMessage | kNifIcon | kNifTip, icon.NotifyData().uFlags);

  icon.SetHint("changed");  // a later update shows no balloon again
  EXPECT_EQ(1u, shell_.Balloons().size());
  EXPECT_EQ(0u, LastSent().uFlags & kNifInfo);
}

TEST_F(TrayIconTest, BalloonIconKindsMapToTheShellsFlags) {
  TTrayIcon icon;
  icon.SetIconVisible(true);
  const std::pair<std::uint8_t, DWORD> kinds[] = {
      {0, kNiifNone}, {1, kNiifInfo}, {2, kNiifWarning}, {3, kNiifError}, {9, kNiifNone}};
  for (auto [kind, flags] : kinds) {
    icon.DisplayBalloon("t", "x", kind, 1);
    EXPECT_EQ(flags, shell_.Balloons().back().flags) << int(kind);
  }
}

TEST_F(TrayIconTest, AMalformedIconIsSentEmptyWithItsTip) {
  TTrayIcon icon;
  icon.SetHint("tip");
  icon.Icon().SetMalformed();
  EXPECT_TRUE(icon.AddIcon());
  EXPECT_EQ(nullptr, LastSent().hIcon);
  EXPECT_STREQ("tip", LastSent().szTip);
}

TEST_F(TrayIconTest, IconIndexFollowsTheImageListAndIsClamped) {
  ui::ImageList images;
  images.Add(FakeIcon(10));
  images.Add(FakeIcon(11));
  TTrayIcon icon;
  icon.SetIconVisible(true);
  icon.SetIconIndex(1);  // no list yet: stays 0, image unchanged
  EXPECT_EQ(0, icon.IconIndex());
  EXPECT_EQ(nullptr, icon.Icon().Handle());

  icon.SetIconList(&images);
  EXPECT_EQ(FakeIcon(10), LastSent().hIcon);
  icon.SetIconIndex(5);
  EXPECT_EQ(1, icon.IconIndex());
  EXPECT_EQ(FakeIcon(11), LastSent().hIcon);
}

TEST_F(TrayIconTest, ComponentsDestroyedFirstAreForgotten) {
  auto images = std::make_unique<ui::ImageList>();
  images->Add(FakeIcon(1));
  images->Add(FakeIcon(2));
  auto menu = std::make_unique<ui::PopupMenu>();
  auto icon = std::make_unique<TTrayIcon>();
  icon->SetIconList(images.get());
  icon->SetIconIndex(1);
  icon->SetPopupMenu(menu.get());
  images.reset();
  menu.reset();
  EXPECT_EQ(nullptr, icon->IconList());
  EXPECT_EQ(nullptr, icon->PopupMenu());
  EXPECT_EQ(0, icon->IconIndex());
  EXPECT_EQ(FakeIcon(2), icon->Icon().Handle());  // the last image stays
  icon->SetIconVisible(true);
  win_.PlaceCursor({1, 1});
  Shell(*icon, kWmRButtonDown);
  icon.reset();
}

// --- Callbacks -----------------------------------------------------------------------------------

TEST_F(TrayIconTest, ALeftClickWithoutDoubleClickHandlerGivesDownClickUp) {
  TTrayIcon icon;
  icon.SetIconVisible(true);
  Record(icon);
  win_.PlaceCursor({300, 700});
  win_.SetKeyDown(kVkShift);
  Shell(icon, kWmLButtonDown);
  Shell(icon, kWmLButtonUp);
  EXPECT_EQ((std::vector<std::string>{"down 0 9 300,700", "click", "up 0 9"}), TakeLog());

  win_.SetKeyDown(kVkShift, false);
  for (UINT m : {kWmLButtonDown, kWmLButtonUp, kWmLButtonDblClk, kWmLButtonUp}) Shell(icon, m);
  EXPECT_EQ((std::vector<std::string>{"down 0 8 300,700", "click", "up 0 8", "up 0 8"}), TakeLog());
}

TEST_F(TrayIconTest, AReleaseWithoutAPressOnTheIconIsNoClick) {
  TTrayIcon icon;
  icon.SetIconVisible(true);
  Record(icon);
  Shell(icon, kWmLButtonUp);
  EXPECT_EQ((std::vector<std::string>{"up 0 8"}), TakeLog());
}

TEST_F(TrayIconTest, WithADoubleClickHandlerASingleClickWaitsForTheDoubleClickTime) {
  TTrayIcon icon;
  icon.SetIconVisible(true);
  Record(icon);
  icon.OnDblClick = [this](ui::Component&) { log_.push_back("double"); };
  win_.SetDoubleClickTime(400);
  win_.PlaceCursor({0, 0});
  Shell(icon, kWmLButtonDown);
  Shell(icon, kWmLButtonUp);
  win_.Advance(399ms);
  EXPECT_EQ((std::vector<std::string>{"down 0 8 0,0", "up 0 8"}), TakeLog());
  win_.Advance(1ms);
  EXPECT_EQ((std::vector<std::string>{"click"}), TakeLog());
  EXPECT_FALSE(icon.DoubleClickTimer().Enabled());

  for (UINT m : {kWmLButtonDown, kWmLButtonUp, kWmLButtonDblClk, kWmLButtonUp}) Shell(icon, m);
  win_.Advance(1000ms);
  const auto log = TakeLog();
  EXPECT_EQ(1, std::count(log.begin(), log.end(), "double"));
  EXPECT_EQ(0, std::count(log.begin(), log.end(), "click"));
}

TEST_F(TrayIconTest, WhileDisabledMouseIsIgnoredButBalloonEventsArrive) {
  TTrayIcon icon;
  icon.SetIconVisible(true);
  Record(icon);
  ui::PopupMenu menu;
  int popups = 0;
  menu.OnPopup = [&](ui::Component&) { ++popups; };
  icon.SetPopupMenu(&menu);
  icon.SetEnabled(false);
  for (UINT m : {kWmMouseMove, kWmLButtonDown, kWmLButtonUp, kWmRButtonDown, kWmRButtonUp,
                 kWmMButtonDown, kWmLButtonDblClk}) {
    Shell(icon, m);
  }
  EXPECT_TRUE(TakeLog().empty());
  EXPECT_EQ(0, popups);
  for (UINT m : {kNinBalloonShow, kNinBalloonHide, kNinBalloonTimeout, kNinBalloonUserClick}) {
    Shell(icon, m);
  }
  EXPECT_EQ((std::vector<std::string>{"balloon show", "balloon hide", "balloon timeout",
                                      "balloon click"}),
            TakeLog());
}

TEST_F(TrayIconTest, OtherButtonsAndIgnoredNotifications) {
  TTrayIcon icon;
  icon.SetIconVisible(true);
  Record(icon);
  win_.PlaceCursor({5, 6});
  win_.SetKeyDown(kVkControl);
  win_.SetKeyDown(kVkMenu);
  for (UINT m : {kWmMButtonDown, kWmMButtonUp, kWmRButtonUp, kWmMouseMove, kNinSelect,
                 kNinKeySelect, kWmRButtonDblClk, UINT{0x007B} /*WM_CONTEXTMENU*/}) {
    Shell(icon, m);
  }
  EXPECT_EQ((std::vector<std::string>{"down 2 38 5,6", "up 2 38", "up 1 22", "move 6 5,6"}),
            TakeLog());
}

TEST_F(TrayIconTest, ARightPressOpensThePopupAtTheCursorAfterMouseDown) {
  ui::Application app;
  app.Initialize();
  TTrayIcon icon;
  icon.SetIconVisible(true);
  Record(icon);
  ui::PopupMenu menu;
  menu.Add("Hide");
  menu.Add("Exit").OnClick = [this](ui::Component&) { log_.push_back("exit chosen"); };
  icon.SetPopupMenu(&menu);
  test::InstallTestBackend(app).OnTrackPopup = [this](ui::PopupMenu& m, int x, int y) {
    log_.push_back("popup " + std::to_string(x) + "," + std::to_string(y));
    EXPECT_NE(nullptr, m.PopupComponent());
    return 1;
  };
  win_.PlaceCursor({40, 50});
  Shell(icon, kWmRButtonDown);
  EXPECT_EQ((std::vector<std::string>{"down 1 16 40,50", "popup 40,50", "exit chosen"}), TakeLog());
  EXPECT_EQ(app.Handle(), win_.ForegroundWindow());

  menu.SetAutoPopup(false);
  Shell(icon, kWmRButtonDown);
  menu.SetAutoPopup(true);
  win_.FailGetCursorPos();
  Shell(icon, kWmRButtonDown);
  win_.FailGetCursorPos(false);
  icon.SetPopupMenu(nullptr);
  Shell(icon, kWmRButtonDown);
  const auto log = TakeLog();
  EXPECT_EQ(0, std::count_if(log.begin(), log.end(), [](const std::string& s) { return s.rfind("popup", 0) == 0; }));
}

TEST_F(TrayIconTest, ALeftPopupOpensOnTheLeftPress) {
  TTrayIcon icon;
  icon.SetIconVisible(true);
  ui::PopupMenu menu;
  int popups = 0;
  menu.OnPopup = [&](ui::Component&) { ++popups; };
  icon.SetPopupMenu(&menu);
  Shell(icon, kWmLButtonDown);
  EXPECT_EQ(0, popups);
  icon.SetLeftPopup(true);
  Shell(icon, kWmLButtonDown);
  EXPECT_EQ(1, popups);
}

TEST_F(TrayIconTest, ADoubleClickClicksTheFirstDefaultItem) {
  TTrayIcon icon;
  icon.SetIconVisible(true);
  ui::PopupMenu menu;
  std::vector<std::string> clicked;
  for (const char* caption : {"a", "b", "c"}) {
    menu.Add(caption).OnClick = [&clicked, caption](ui::Component&) { clicked.push_back(caption); };
  }
  icon.SetPopupMenu(&menu);
  Shell(icon, kWmLButtonDblClk);
  EXPECT_TRUE(clicked.empty());  // no default item
  menu.Item(2).SetDefault(true);
  menu.Item(1).SetDefault(true);
  Shell(icon, kWmLButtonDblClk);
  EXPECT_EQ(std::vector<std::string>{"b"}, clicked);
  icon.SetLeftPopup(true);  // then the double-click picks nothing
  Shell(icon, kWmLButtonDblClk);
  EXPECT_EQ(std::vector<std::string>{"b"}, clicked);
}

TEST_F(TrayIconTest, ACallbackForNoLiveIconIsIgnored) {
  auto icon = std::make_unique<TTrayIcon>();
  Record(*icon);
  const HWND trayWindow = TrayWindow()->Handle();
  const auto staleId = icon->CallbackId();
  auto keep = std::make_unique<TTrayIcon>();  // keeps the tray window alive
  icon.reset();
  win_.PostMessageA(trayWindow, kTrayCallbackMessage, staleId, kWmLButtonDown);
  win_.PostMessageA(trayWindow, kTrayCallbackMessage, 0xFFFF, kWmLButtonUp);
  EXPECT_NO_THROW(win_.ProcessPending());
  EXPECT_TRUE(log_.empty());
}

TEST_F(TrayIconTest, TheTrayWindowRefusesToCloseAndAgreesToEndTheSession) {
  TTrayIcon icon;
  const HWND window = TrayWindow()->Handle();
  EXPECT_EQ(1, win_.SendMessageA(window, kWmClose, 0, 0));
  EXPECT_TRUE(win_.IsWindow(window));
  EXPECT_EQ(1, win_.SendMessageA(window, kWmQueryEndSession, 0, 0));
}

TEST_F(TrayIconTest, AnErrorInAnEventHandlerReachesTheApplication) {
  ui::Application app;
  std::vector<std::string> errors;
  test::CollectErrors(app, errors);
  TTrayIcon icon;
  icon.SetIconVisible(true);
  icon.OnClick = [](ui::Component&) { throw std::runtime_error("Failed to set data for '1'"); };
  Shell(icon, kWmLButtonDown);
  Shell(icon, kWmLButtonUp);
  EXPECT_EQ(std::vector<std::string>{"Failed to set data for '1'"}, errors);
}

// --- Enter, exit and cycling ------------------------------------------------------------------------

TEST_F(TrayIconTest, EnterAndExitFollowTheCursor) {
  TTrayIcon icon;
  icon.SetIconVisible(true);
  Record(icon);
  icon.OnMouseMove = nullptr;
  icon.SetWantEnterExitEvents(true);
  win_.PlaceCursor({10, 10});
  Shell(icon, kWmMouseMove);
  Shell(icon, kWmMouseMove);
  win_.Advance(100ms);
  EXPECT_EQ(std::vector<std::string>{"enter"}, TakeLog());
  win_.PlaceCursor({10, 30});
  win_.Advance(20ms);
  EXPECT_EQ(std::vector<std::string>{"exit"}, TakeLog());
  Shell(icon, kWmMouseMove);
  EXPECT_EQ(std::vector<std::string>{"enter"}, TakeLog());
  icon.SetWantEnterExitEvents(false);
  EXPECT_FALSE(icon.ExitPollTimer().Enabled());
}

TEST_F(TrayIconTest, CyclingStepsThroughTheImages) {
  ui::ImageList images;
  for (std::uintptr_t i = 0; i < 3; ++i) images.Add(FakeIcon(i));
  TTrayIcon icon;
  icon.SetIconVisible(true);
  icon.SetIconList(&images);
  std::vector<int> reported;
  icon.OnCycle = [&](ui::Component&, int next) { reported.push_back(next); };
  icon.SetCycleInterval(100);
  icon.SetCycleIcons(true);
  std::vector<int> indexes;
  for (int i = 0; i < 4; ++i) {
    win_.Advance(100ms);
    indexes.push_back(icon.IconIndex());
  }
  EXPECT_EQ((std::vector<int>{1, 2, 0, 1}), indexes);
  EXPECT_EQ(indexes, reported);
  EXPECT_EQ(FakeIcon(1), LastSent().hIcon);
}

TEST_F(TrayIconTest, CyclingWithIntervalZeroOnlyResetsTheIndex) {
  ui::ImageList images;
  for (std::uintptr_t i = 0; i < 3; ++i) images.Add(FakeIcon(i));
  TTrayIcon icon;
  icon.SetIconList(&images);
  icon.SetIconIndex(2);
  icon.SetCycleIcons(true);
  EXPECT_EQ(0, icon.IconIndex());
  EXPECT_FALSE(icon.CyclingTimer().Enabled());
  win_.Advance(5000ms);
  EXPECT_EQ(0, icon.IconIndex());
}

// --- With the application and its main window ------------------------------------------------------

class TrayIconWithMainWindowTest : public TrayIconTest {
 protected:
  TrayIconWithMainWindowTest() {
    app_.Initialize();
    app_.SetMainForm(&main_);
    win_.ShowWindow(app_.Handle(), kSwShow);
    main_.SetVisible(true);
  }
  bool AppVisible() { return win_.IsWindowVisible(app_.Handle()) != 0; }

  ui::Application app_;
  ui::Form main_{"TMainForm"};
};

TEST_F(TrayIconWithMainWindowTest, MinimisingTheApplicationHidesEverythingIntoTheTray) {
  TTrayIcon icon(&main_);
  icon.SetIconVisible(true);
  icon.SetMinimizeToTray(true);
  app_.Minimize();
  EXPECT_FALSE(main_.Visible());
  EXPECT_FALSE(AppVisible());
  EXPECT_EQ(1u, shell_.IconCount());

  icon.RestoreFromTray();
  EXPECT_TRUE(AppVisible());
  EXPECT_FALSE(win_.IsIconic(app_.Handle()));
  EXPECT_TRUE(main_.Visible());
  EXPECT_EQ(app_.Handle(), win_.ForegroundWindow());
}

TEST_F(TrayIconWithMainWindowTest, WithoutMinimizeToTrayMinimisingHidesNothing) {
  TTrayIcon icon(&main_);
  icon.SetIconVisible(true);
  app_.Minimize();
  EXPECT_TRUE(main_.Visible());
  EXPECT_TRUE(win_.IsIconic(app_.Handle()));
}

TEST_F(TrayIconWithMainWindowTest, MinimisingTheMainWindowGoesToTheHandlerWhenThereIsOne) {
  TTrayIcon icon(&main_);
  icon.SetMinimizeToTray(true);
  int handled = 0;
  icon.OnMinimizeToTray = [&](ui::Component&) { ++handled; };
  EXPECT_EQ(1, win_.SendMessageA(main_.Handle(), kWmSysCommand, kScMinimize, 0));
  EXPECT_EQ(1, handled);
  EXPECT_FALSE(main_.Visible());
  EXPECT_FALSE(AppVisible());
  EXPECT_TRUE(icon.IconVisible());
}

TEST_F(TrayIconWithMainWindowTest, StartupCanKeepTheMainWindowHidden) {
  TTrayIcon icon(&main_);
  int made = 0;
  ui::Icon picture;
  picture.SetHandle(ui::IconSource([&made] {
    ++made;
    return FakeIcon(1);
  }));
  icon.BeginLoading();
  icon.SetIcon(picture);
  icon.SetIconVisible(true);
  icon.OnStartup = [](ui::Component&, bool& show) {
    EXPECT_TRUE(show);
    show = false;
  };
  icon.EndLoading();
  EXPECT_FALSE(app_.ShowMainForm());
  EXPECT_FALSE(main_.Visible());
  EXPECT_EQ(0u, shell_.IconCount());  // the shell hears of it once the program waits for input
  EXPECT_TRUE(shell_.Calls().empty());
  EXPECT_EQ(0, made);  // nor is its picture made before
  // A balloon cannot wait: the icon goes first, with its picture.
  EXPECT_TRUE(icon.DisplayBalloon("title", "text", 1, 10));
  EXPECT_EQ(1u, shell_.IconCount());
  ASSERT_EQ(static_cast<DWORD>(kNimAdd), shell_.Calls().front().message);
  EXPECT_EQ(FakeIcon(1), shell_.Calls().front().data.hIcon);
  EXPECT_EQ(1, made);
  EXPECT_STREQ("text", LastSent().szInfo);
  app_.ProcessMessages();
  EXPECT_EQ(1u, shell_.CallCount(kNimAdd));
  EXPECT_EQ(1u, shell_.CallCount(kNimSetVersion));
}

TEST_F(TrayIconWithMainWindowTest, AnIconGoneBeforeTheProgramWaitsNeverReachesTheShell) {
  auto icon = std::make_unique<TTrayIcon>(&main_);
  icon->BeginLoading();
  icon->SetIconVisible(true);
  icon->EndLoading();
  icon.reset();
  app_.ProcessMessages();
  EXPECT_TRUE(shell_.Calls().empty());
}

TEST_F(TrayIconWithMainWindowTest, ARecreatedTaskbarGetsTheIconBackOnlyWhileVisible) {
  TTrayIcon icon(&main_);
  icon.SetIconVisible(true);
  shell_.RecreateTaskbar();
  win_.ProcessPending();
  EXPECT_EQ(1u, shell_.IconCount());
  icon.SetIconVisible(false);
  shell_.RecreateTaskbar();
  win_.ProcessPending();
  EXPECT_EQ(0u, shell_.IconCount());
}

TEST_F(TrayIconWithMainWindowTest, OldCommonControlsNeverGetTheIconBack) {
  shell_.SetFileVersion("comctl32.dll", 0x00040046);
  TTrayIcon icon(&main_);
  icon.SetIconVisible(true);
  shell_.RecreateTaskbar();
  win_.ProcessPending();
  EXPECT_EQ(0u, shell_.IconCount());
}

TEST_F(TrayIconWithMainWindowTest, DestructionRemovesTheIconAndUnhooksBothWindows) {
  auto icon = std::make_unique<TTrayIcon>(&main_);
  icon->SetIconVisible(true);
  icon->SetMinimizeToTray(true);
  icon->OnMinimizeToTray = [](ui::Component&) {};
  icon.reset();
  EXPECT_EQ(0u, shell_.IconCount());
  EXPECT_EQ(kNimDelete, shell_.Calls().back().message);
  EXPECT_EQ(nullptr, TrayWindow());
  app_.Minimize();  // no hook left to hide anything
  EXPECT_TRUE(main_.Visible());
  win_.ShowWindow(app_.Handle(), kSwRestore);
  EXPECT_EQ(0, win_.SendMessageA(main_.Handle(), kWmSysCommand, kScMinimize, 0));
}

TEST_F(TrayIconWithMainWindowTest, SystemRestoreOnTheApplicationShowsTheMainWindow) {
  TTrayIcon icon(&main_);
  main_.SetVisible(false);
  win_.SendMessageA(app_.Handle(), kWmSysCommand, kScRestore, 0);
  EXPECT_TRUE(main_.Visible());
}

}  // namespace
}  // namespace tarnwick::tray
