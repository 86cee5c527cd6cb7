#include "blocking/MainWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/emulated/EmulatedPlatform.h"
#include "settings/SettingsStore.h"
#include "tests/support/BrowserSwitches.h"
#include "tray/SharedWindows.h"
#include "ui/Application.h"
#include "ui/ErrorBoundary.h"

namespace tarnwick::blocking {
namespace {

using namespace std::chrono_literals;
using namespace platform::os;
using platform::emulated::EmulatedPlatform;
using platform::emulated::EmulatedRegistry;
using Lines = std::vector<std::string>;

HICON Fake(std::uintptr_t n) { return reinterpret_cast<HICON>(0x7000 + n); }

constexpr const char* kMain = test::kMainKey;
constexpr const char* kZone = test::kZoneKey;

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() {
    app_.Initialize();
    win_.ShowWindow(app_.Handle(), kSwShow);
    app_.ShowError = [this](const std::string& message) { errors_.push_back(message); };
  }

  // Starts the window as the program does: built, registered as the main window, shown, and
  // the loop run until it waits.
  TQuillmoor& Start() {
    // Each picture that the window may make when it is first shown counts how often it is made.
    const auto counted = [this](int n) {
      return ui::IconSource([this, n] {
        ++made_[n];
        return Fake(n);
      });
    };
    window_ = std::make_unique<TQuillmoor>(
        MainWindowImages{counted(0), counted(1), Fake(2), counted(3)});
    app_.SetMainForm(window_.get());
    if (app_.ShowMainForm()) window_->SetVisible(true);
    app_.ProcessMessages();
    return *window_;
  }
  void Setting(const char* name, DWORD value) {
    reg_.PutDword(HkeyCurrentUser(), settings::kSettingsKey, name, value);
  }
  std::optional<EmulatedRegistry::Value> Stored(const char* name) {
    return reg_.GetValue(HkeyCurrentUser(), settings::kSettingsKey, name);
  }
  bool BrowserTouched() {
    return reg_.KeyExists(HkeyCurrentUser(), kMain) || reg_.KeyExists(HkeyCurrentUser(), kZone) ||
           reg_.KeyExists(HkeyLocalMachine(), "SOFTWARE\\Microsoft");
  }
  std::size_t BrowserWrites() {
    std::size_t count = 0;
    for (const auto& call : reg_.Calls()) {
      if (call.function == "RegSetValueExA" &&
          call.key != std::string("HKCU\\") + settings::kSettingsKey) {
        ++count;
      }
    }
    return count;
  }

  EmulatedPlatform os_;
  EmulatedRegistry& reg_ = os_.registry();
  platform::emulated::EmulatedWindows& win_ = os_.windows();
  platform::emulated::EmulatedShell& shell_ = os_.shell();
  ui::Application app_;
  int made_[4] = {};
  std::unique_ptr<TQuillmoor> window_;
  std::vector<std::string> errors_;
};

TEST_F(MainWindowTest, AFirstStartLogsFourLinesWritesNoSwitchAndCountsTheLaunch) {
  TQuillmoor& w = Start();
  EXPECT_EQ((Lines{"* Reading settings...", "* Done.", "* Applying settings...", "* Done..."}),
            w.ListBox1.Items());
  EXPECT_FALSE(BrowserTouched());
  EXPECT_EQ(EmulatedRegistry::DwordValue(0), Stored("Ypos"));
  EXPECT_TRUE(w.MonitorOff());
  EXPECT_FALSE(w.Timer1.Enabled());
  EXPECT_EQ(Fake(2), w.Image1.Picture());
  EXPECT_EQ((std::array<int, 5>{1, 0, 0, 1, 1}),
            (std::array<int, 5>{w.RadioGroup1.ItemIndex(), w.RadioGroup2.ItemIndex(),
                                w.RadioGroup3.ItemIndex(), w.RadioGroup4.ItemIndex(),
                                w.RadioGroup5.ItemIndex()}));
  EXPECT_EQ(-1, w.RadioGroup6.ItemIndex());
  EXPECT_TRUE(errors_.empty());
}

TEST_F(MainWindowTest, AStartedWindowCarriesTheTitleWhereASecondStartLooksForIt) {
  TQuillmoor& w = Start();
  EXPECT_EQ(w.Handle(), win_.FindWindowA("TQuillmoor", "Tarnwick v1.0b Personal"));
  EXPECT_EQ("Tarnwick v1.0b Personal", app_.Title());
  EXPECT_STREQ("Tarnwick v1.0b Personal", w.TrayIcon1.NotifyData().szTip);
  EXPECT_EQ(1u, shell_.IconCount());
  EXPECT_EQ(Fake(0), shell_.Icons().front().hIcon);  // image 0 of the list, not the stored icon
  EXPECT_EQ(1, made_[0]);
  EXPECT_EQ(0, made_[3]);  // never shown, so never made
  // The shell heard only the icon's final state.
  ASSERT_EQ(2u, shell_.Calls().size());
  EXPECT_EQ(kNimAdd, shell_.Calls()[0].message);
  EXPECT_EQ(kNimSetVersion, shell_.Calls()[1].message);
}

TEST_F(MainWindowTest, ControlsShowTheirActionsCaptions) {
  TQuillmoor& w = Start();
  EXPECT_EQ("E&xit", w.Button4.Caption());
  EXPECT_EQ("H&ide", w.Button5.Caption());
  EXPECT_EQ("M&onitor", w.Button1.Caption());
  EXPECT_EQ("E&xit", w.Exit1->Caption());
  EXPECT_EQ("H&ide", w.Hide1->Caption());
  EXPECT_EQ("M&onitor", w.Monitor1->Caption());
  EXPECT_EQ("E&xit", w.Exit2->Caption());
}

TEST_F(MainWindowTest, StoredChoicesAreAppliedAtStartWhereTheyDifferFromTheDesign) {
  Setting("2", 1);
  Setting("4", 0);
  Setting("3", 5);    // 2 or more selects "No", which then stores 1
  Setting("5", 0xFFFFFFFF);  // negative: no selection, nothing written
  TQuillmoor& w = Start();
  EXPECT_EQ(1, w.RadioGroup2.ItemIndex());
  EXPECT_EQ(0, w.RadioGroup4.ItemIndex());
  EXPECT_EQ(1, w.RadioGroup3.ItemIndex());
  EXPECT_EQ(-1, w.RadioGroup5.ItemIndex());
  EXPECT_EQ(EmulatedRegistry::StringValue("No"), reg_.GetValue(HkeyCurrentUser(), kMain, "Play_Animations"));
  EXPECT_EQ(EmulatedRegistry::StringValue("No"),
            reg_.GetValue(HkeyCurrentUser(), kMain, "Play_Background_Sounds"));
  EXPECT_EQ(EmulatedRegistry::DwordValue(1), Stored("3"));
  EXPECT_FALSE(reg_.KeyExists(HkeyCurrentUser(), kZone));
}

TEST_F(MainWindowTest, BanAtStartMonitorsBeforeTheChoicesAreApplied) {
  Setting("102", 1);
  TQuillmoor& w = Start();
  EXPECT_EQ((Lines{"* Reading settings...", "* Start monitoring...", "* Done.",
                   "* Applying settings...", "* Done..."}),
            w.ListBox1.Items());
  EXPECT_TRUE(w.Timer1.Enabled());
  EXPECT_FALSE(w.MonitorOff());
  EXPECT_EQ(EmulatedRegistry::DwordValue(0), reg_.GetValue(HkeyCurrentUser(), kZone, "1C00"));
  EXPECT_EQ(1, w.TrayIcon1.IconIndex());
  EXPECT_EQ("Stop m&onitor", w.Button1.Caption());
}

TEST_F(MainWindowTest, MonitorTwiceStopsTheTimerAndShowsTheIdleIcon) {
  TQuillmoor& w = Start();
  reg_.ClearCalls();
  EXPECT_EQ("Monitoring off", w.Image1.AccessibleName());  // whichever picture it shows
  EXPECT_EQ(0, made_[1]);  // made when first shown
  w.Button1.UserClick();
  EXPECT_EQ(Fake(1), w.Image1.Picture());
  EXPECT_EQ(1, made_[1]);
  EXPECT_EQ("Monitoring on", w.Image1.AccessibleName());
  EXPECT_EQ(Fake(1), shell_.Icons().front().hIcon);
  const std::size_t firstPass = BrowserWrites();
  EXPECT_EQ(6u, firstPass);  // kinds 1, 4 (two keys in each of two views) and 5
  w.Monitor1->Click();
  EXPECT_EQ(2 * firstPass, BrowserWrites());  // stopping runs one more pass
  EXPECT_FALSE(w.Timer1.Enabled());
  EXPECT_TRUE(w.MonitorOff());
  EXPECT_EQ(0, w.TrayIcon1.IconIndex());
  EXPECT_EQ(Fake(0), w.Image1.Picture());
  EXPECT_EQ("Monitoring off", w.Image1.AccessibleName());
  EXPECT_EQ("M&onitor", w.Button1.Caption());
  EXPECT_EQ("M&onitor", w.Monitor1->Caption());
  const auto& log = w.ListBox1.Items();
  EXPECT_EQ((Lines{"* Start monitoring...", "* Stop monitoring..."}), Lines(log.end() - 2, log.end()));
}

TEST_F(MainWindowTest, MonitoringWritesTheBansAgainAtEveryTick) {
  TQuillmoor& w = Start();
  w.Button1.UserClick();
  reg_.PutString(HkeyCurrentUser(), kMain, "Display Inline Videos", "Yes");
  const std::string flash32 = test::MachinePaths(test::kFlashKey)[1];
  reg_.PutDword(HkeyLocalMachine(), flash32, test::kKillBitName, 0);
  win_.Advance(4999ms);
  EXPECT_EQ(EmulatedRegistry::StringValue("Yes"),
            reg_.GetValue(HkeyCurrentUser(), kMain, "Display Inline Videos"));
  win_.Advance(1ms);
  EXPECT_EQ(EmulatedRegistry::StringValue("No"),
            reg_.GetValue(HkeyCurrentUser(), kMain, "Display Inline Videos"));
  EXPECT_EQ(EmulatedRegistry::DwordValue(test::kKillBit),
            reg_.GetValue(HkeyLocalMachine(), flash32, test::kKillBitName));
}

TEST_F(MainWindowTest, RepeatedMonitoringFailuresAreReportedOnceUntilAPassSucceeds) {
  TQuillmoor& w = Start();
  reg_.DenyWrites(HkeyLocalMachine());
  w.Button1.UserClick();
  win_.Advance(20000ms);
  EXPECT_EQ((Lines{"Failed to set data for 'Compatibility Flags'"}), errors_);
  reg_.DenyWrites(HkeyLocalMachine(), false);
  win_.Advance(5000ms);
  reg_.DenyWrites(HkeyLocalMachine());
  win_.Advance(10000ms);
  EXPECT_EQ(2u, errors_.size());
  EXPECT_TRUE(w.Timer1.Enabled());
}

// The user cannot mend it: no box, one line, and nothing written or said once the switch holds it.
TEST_F(MainWindowTest, ALockedBanThatCannotBeWrittenIsLoggedOnceAndNeverBoxed) {
  reg_.PutDword(HkeyLocalMachine(), settings::kPoliciesKey, "ShockwaveFlash", 1);
  reg_.PutDword(HkeyLocalMachine(), settings::kPoliciesKey, "Monitoring", 1);
  reg_.DenyWrites(HkeyLocalMachine());
  TQuillmoor& w = Start();
  win_.Advance(20000ms);
  EXPECT_TRUE(errors_.empty());
  const auto told = [&] {
    return std::count(w.ListBox1.Items().begin(), w.ListBox1.Items().end(),
                      "* Cannot write the switch for Macromedia Shockwave & Flash Player: Failed "
                      "to set data for 'Compatibility Flags'");
  };
  EXPECT_EQ(1, told());
  for (const char* key : {test::kFlashKey, test::kShockwaveKey}) {
    for (const std::string& path : test::MachinePaths(key)) {
      reg_.PutDword(HkeyLocalMachine(), path, test::kKillBitName, test::kKillBit);
    }
  }
  reg_.ClearCalls();
  win_.Advance(5000ms);
  for (const auto& call : reg_.Calls()) {
    EXPECT_FALSE(call.function == "RegSetValueExA" && call.key.starts_with("HKLM")) << call.key;
  }
  EXPECT_EQ(1, told());
}

TEST_F(MainWindowTest, NoSecondBoxOpensWhileAReportIsShown) {
  TQuillmoor& w = Start();
  reg_.DenyWrites(HkeyLocalMachine());
  int boxes = 0;
  app_.ShowError = [&](const std::string&) {
    ++boxes;
    win_.Advance(15000ms);  // ticks keep coming while the box is open
  };
  w.Button1.UserClick();
  EXPECT_EQ(1, boxes);
}

TEST_F(MainWindowTest, AFailingBanAtStartIsReportedAndTheStartStillCompletes) {
  Setting("102", 1);
  reg_.DenyWrites(HkeyLocalMachine());
  TQuillmoor& w = Start();
  EXPECT_EQ((Lines{"Failed to set data for 'Compatibility Flags'"}), errors_);
  EXPECT_EQ(5, w.ListBox1.Count());
  EXPECT_EQ(w.Handle(), win_.FindWindowA("TQuillmoor", "Tarnwick v1.0b Personal"));
  EXPECT_EQ(EmulatedRegistry::DwordValue(0), Stored("Ypos"));
}

TEST_F(MainWindowTest, ChoosingNoForGifsStoresAndWritesTheBan) {
  TQuillmoor& w = Start();
  w.RadioGroup2.UserSelect(1);
  EXPECT_EQ(EmulatedRegistry::DwordValue(1), Stored("2"));
  EXPECT_EQ(EmulatedRegistry::StringValue("No"), reg_.GetValue(HkeyCurrentUser(), kMain, "Play_Animations"));
  w.RadioGroup6.UserSelect(0);
  EXPECT_EQ(EmulatedRegistry::StringValue("Yes"), reg_.GetValue(HkeyCurrentUser(), kMain, "Play_Animations"));
}

TEST_F(MainWindowTest, HideShowsTheBalloonOnlyTheFirstTime) {
  TQuillmoor& w = Start();
  w.Button5.UserClick();
  EXPECT_FALSE(w.Visible());
  EXPECT_FALSE(win_.IsWindowVisible(app_.Handle()));
  EXPECT_EQ("Restore", w.Button5.Caption());
  ASSERT_EQ(1u, shell_.Balloons().size());
  EXPECT_EQ("Tarnwick v1.0b Personal", shell_.Balloons()[0].title);
  EXPECT_EQ("You can restore program by clicking the icon", shell_.Balloons()[0].text);
  EXPECT_EQ(kNiifInfo, shell_.Balloons()[0].flags);
  EXPECT_EQ(10000u, shell_.Balloons()[0].timeout);
  EXPECT_EQ(EmulatedRegistry::DwordValue(1), Stored("i"));

  w.Button5.UserClick();
  EXPECT_TRUE(w.Visible());
  EXPECT_TRUE(win_.IsWindowVisible(app_.Handle()));
  EXPECT_EQ("H&ide", w.Button5.Caption());
  w.Button5.UserClick();
  EXPECT_EQ(1u, shell_.Balloons().size());
}

TEST_F(MainWindowTest, EscapeAndEnterPressTheHideButton) {
  TQuillmoor& w = Start();
  EXPECT_TRUE(w.KeyDown(ui::kVkEscape));
  EXPECT_FALSE(w.Visible());
  w.ShowHideAction.Execute();
  w.SetFocusedControl(&w.Button1);  // Enter on another button is that button's
  EXPECT_FALSE(w.KeyDown(ui::kVkReturn));
  EXPECT_TRUE(w.Visible());
  w.SetFocusedControl(&w.RadioGroup1);
  EXPECT_TRUE(w.KeyDown(ui::kVkReturn));
  EXPECT_FALSE(w.Visible());
}

TEST_F(MainWindowTest, TheTrayIconClickAndASecondStartsMessageToggleTheWindow) {
  TQuillmoor& w = Start();
  win_.PostMessageA(w.Handle(), kWmUser, 0, 0);
  win_.ProcessPending();
  EXPECT_FALSE(w.Visible());
  ASSERT_TRUE(shell_.InjectCallback(w.TrayIcon1.CallbackId(), kWmLButtonDown));
  ASSERT_TRUE(shell_.InjectCallback(w.TrayIcon1.CallbackId(), kWmLButtonUp));
  win_.ProcessPending();
  EXPECT_TRUE(w.Visible());
}

TEST_F(MainWindowTest, OnlyAPostedShowYourselfTogglesTheWindowNotASentOne) {
  TQuillmoor& w = Start();
  EXPECT_EQ(0, win_.SendFromOtherThread(w.Handle(), kWmUser, 0, 0));  // as another program does
  win_.ProcessPending();
  EXPECT_TRUE(w.Visible());
  win_.PostMessageA(w.Handle(), kWmUser, 0, 0);
  win_.ProcessPending();
  EXPECT_FALSE(w.Visible());
  EXPECT_EQ(0, win_.SendFromOtherThread(w.Handle(), kWmUser, 0, 0));
  EXPECT_FALSE(w.Visible());
}

TEST_F(MainWindowTest, TheMinimiseBoxHidesTheWindowAndTaskbarButtonIntoTheTray) {
  TQuillmoor& w = Start();
  EXPECT_EQ(0, win_.SendMessageA(w.Handle(), kWmSysCommand, kScMinimize, 0));
  EXPECT_FALSE(w.Visible());
  EXPECT_FALSE(win_.IsWindowVisible(app_.Handle()));
  EXPECT_EQ(1u, shell_.IconCount());
  EXPECT_EQ("H&ide", w.Button5.Caption());
  ASSERT_TRUE(shell_.InjectCallback(w.TrayIcon1.CallbackId(), kWmLButtonDown));
  ASSERT_TRUE(shell_.InjectCallback(w.TrayIcon1.CallbackId(), kWmLButtonUp));
  win_.ProcessPending();
  EXPECT_TRUE(w.Visible());
  EXPECT_TRUE(win_.IsWindowVisible(app_.Handle()));
  EXPECT_FALSE(win_.IsIconic(app_.Handle()));
}

TEST_F(MainWindowTest, ClosingEndsTheProgramByDefault) {
  TQuillmoor& w = Start();
  // Closing the taskbar button's window is closing the main window.
  win_.SendMessageA(app_.Handle(), kWmClose, 0, 0);
  EXPECT_TRUE(win_.PendingQuit().has_value());
  EXPECT_TRUE(win_.IsWindow(app_.Handle()) && win_.IsWindow(w.Handle()));
  MSG quit;
  EXPECT_EQ(0, win_.GetMessageA(&quit, nullptr, 0, 0));
  win_.SendMessageA(w.Handle(), kWmClose, 0, 0);
  EXPECT_TRUE(win_.PendingQuit().has_value());
}

TEST_F(MainWindowTest, WithExitOnCloseOffClosingHidesAndExitStillEnds) {
  Setting("103", 0);
  TQuillmoor& w = Start();
  win_.SendMessageA(w.Handle(), kWmClose, 0, 0);
  EXPECT_FALSE(win_.PendingQuit().has_value());
  EXPECT_FALSE(w.Visible());
  EXPECT_EQ("H&ide", w.Button5.Caption());
  EXPECT_TRUE(shell_.Balloons().empty());
  w.SetVisible(true);
  win_.SendMessageA(app_.Handle(), kWmClose, 0, 0);  // the taskbar button's "Close window"
  EXPECT_FALSE(w.Visible());
  EXPECT_TRUE(win_.IsWindow(app_.Handle()) && win_.IsWindow(w.Handle()));
  w.Exit2->Click();
  EXPECT_TRUE(win_.PendingQuit().has_value());
}

TEST_F(MainWindowTest, AnnouncedShutdownLetsTheNextCloseThroughAndARequestToCloseTheAppEnds) {
  Setting("103", 0);
  TQuillmoor& w = Start();
  // Another program refused the shutdown: the session goes on, and closing hides again.
  EXPECT_EQ(1, win_.SendMessageA(w.Handle(), kWmQueryEndSession, 0, kEndSessionCloseApp));
  win_.SendMessageA(w.Handle(), kWmEndSession, 0, kEndSessionCloseApp);
  EXPECT_FALSE(w.ExitRequested());
  win_.SendMessageA(w.Handle(), kWmClose, 0, 0);
  EXPECT_FALSE(win_.PendingQuit().has_value());
  EXPECT_FALSE(w.Visible());
  w.SetVisible(true);

  EXPECT_EQ(1, win_.SendMessageA(w.Handle(), kWmQueryEndSession, 0, 0));
  EXPECT_TRUE(w.ExitRequested());
  // A log-off is ended by the system, which closes the window.
  win_.SendMessageA(w.Handle(), kWmEndSession, 1, 0);
  EXPECT_FALSE(win_.PendingQuit().has_value());
  win_.SendMessageA(w.Handle(), kWmClose, 0, 0);
  EXPECT_TRUE(win_.PendingQuit().has_value());

  MSG quit;
  EXPECT_EQ(0, win_.GetMessageA(&quit, nullptr, 0, 0));
  w.SetVisible(true);
  EXPECT_EQ(1, win_.SendMessageA(w.Handle(), kWmQueryEndSession, 0, kEndSessionCloseApp));
  win_.SendMessageA(w.Handle(), kWmEndSession, 1, kEndSessionCloseApp);
  EXPECT_TRUE(win_.PendingQuit().has_value());
  EXPECT_FALSE(w.Visible());
}

TEST_F(MainWindowTest, StartMinimisedShowsOnlyTheIcon) {
  Setting("101", 1);
  TQuillmoor& w = Start();
  EXPECT_FALSE(app_.ShowMainForm());
  EXPECT_FALSE(w.Visible());
  EXPECT_EQ(1u, shell_.IconCount());
  EXPECT_EQ("H&ide", w.Hide1->Caption());
  w.Hide1->Click();
  EXPECT_TRUE(w.Visible());
}

TEST_F(MainWindowTest, StartMinimisedCountsOnlyExactlyOne) {
  Setting("101", 2);
  Start();
  EXPECT_TRUE(app_.ShowMainForm());
}

TEST_F(MainWindowTest, ClearLogEmptiesTheLogOnly) {
  TQuillmoor& w = Start();
  reg_.ClearCalls();
  w.Clearlog1->Click();
  EXPECT_EQ(0, w.ListBox1.Count());
  EXPECT_TRUE(reg_.Calls().empty());
  EXPECT_TRUE(w.Visible());
}

TEST_F(MainWindowTest, HelpOpensTheHelpFileBesideTheProgram) {
  os_.system().SetModulePath("C:\\Program Files\\Tarnwick\\tarnwick.exe");
  TQuillmoor& w = Start();
  w.Help2->Click();
  ASSERT_EQ(1u, shell_.Executions().size());
  EXPECT_EQ("open", shell_.Executions()[0].verb);
  EXPECT_EQ("C:\\Program Files\\Tarnwick\\help.chm", shell_.Executions()[0].file);
  EXPECT_EQ("", shell_.Executions()[0].parameters);
  EXPECT_EQ(1, shell_.Executions()[0].showCommand);
}

TEST_F(MainWindowTest, HelpFindsTheHelpFileBesideTheProgramInAFolderOfAnyLength) {
  TQuillmoor& w = Start();
  // Around the 1024 characters a fixed buffer would hold, and far beyond.
  const std::size_t lengths[] = {1000, 1011, 1012, 1022, 1023, 1024, 1025, 2000, 32000};
  for (std::size_t i = 0; i < std::size(lengths); ++i) {
    SCOPED_TRACE(lengths[i]);
    std::string folder = "C:\\Install\\" + std::string(lengths[i], 'f');
    folder.resize(lengths[i]);
    os_.system().SetModulePath(folder + "\\tarnwick.exe");
    w.Help2->Click();
    ASSERT_EQ(i + 1, shell_.Executions().size());
    EXPECT_EQ(folder + "\\help.chm", shell_.Executions().back().file);
  }
}

TEST_F(MainWindowTest, AWrongTypeSettingIsReportedOnceAndTheWindowGoesOn) {
  struct Case {
    const char* name;
    EmulatedRegistry::Value value;
    std::function<void(TQuillmoor&)> act;
    std::function<bool(TQuillmoor&)> after;
  };
  const EmulatedRegistry::Value binary{kRegBinary, {1}};
  const Case cases[] = {
      {"i", binary,
       [&](TQuillmoor& w) {
         for (int i = 0; i < 3; ++i) ui::Guard([&] { w.Button5.UserClick(); });  // hide twice
       },
       [](TQuillmoor& w) { return !w.Visible(); }},
      // The launch counter as a text: the start cannot count it, and the trigger stops.
      {"Ypos", EmulatedRegistry::StringValue("14"), [&](TQuillmoor&) { win_.Advance(10000ms); },
       [](TQuillmoor& w) { return !w.Timer2.Enabled(); }},
      // Its default lets the window close: a close that only reported could never end.
      {"103", binary, [](TQuillmoor& w) { w.UserClose(); },
       [&](TQuillmoor&) { return win_.PendingQuit().has_value(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    reg_.PutValue(HkeyCurrentUser(), settings::kSettingsKey, c.name, c.value);
    errors_.clear();
    window_.reset();
    TQuillmoor& w = Start();
    c.act(w);
    EXPECT_EQ((Lines{"Invalid data type for '" + std::string(c.name) + "'"}), errors_);
    EXPECT_TRUE(c.after(w));
    reg_.PutDword(HkeyCurrentUser(), settings::kSettingsKey, c.name, 0);
  }
}

}  // namespace
}  // namespace tarnwick::blocking
