#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "blocking/MainWindow.h"
#include "dialogs/AboutForm.h"
#include "dialogs/SettingsForm.h"
#include "platform/emulated/EmulatedPlatform.h"
#include "settings/SettingsStore.h"
#include "tests/support/BrowserSwitches.h"
#include "tray/IntervalTimer.h"
#include "ui/Application.h"
#include "ui/CheckBox.h"
#include "ui/ErrorBoundary.h"

namespace tarnwick::dialogs {
namespace {

using namespace std::chrono_literals;
using namespace platform::os;
using platform::emulated::EmulatedPlatform;
using platform::emulated::EmulatedRegistry;

constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kExe = "C:\\Program Files\\Tarnwick\\tarnwick.exe";
HICON Fake(std::uintptr_t n) { return reinterpret_cast<HICON>(0x7000 + n); }

// The program as it starts: the main window, then the two dialogs, hidden.
class DialogsTest : public ::testing::Test {
 protected:
  DialogsTest() {
    os_.system().SetModulePath(kExe);
    app_.Initialize();
    app_.ShowError = [this](const std::string& message) { errors_.push_back(message); };
  }
  void Start() {
    main_ = std::make_unique<blocking::TQuillmoor>(
        blocking::MainWindowImages{Fake(0), Fake(1), Fake(2), Fake(3)});
    app_.SetMainForm(main_.get());
    main_->SetVisible(true);
    options_ = std::make_unique<TSettingsF>();
    about_ = std::make_unique<TAboutF>(Fake(4));
  }
  void Setting(const char* name, DWORD value) {
    reg_.PutDword(HkeyCurrentUser(), settings::kSettingsKey, name, value);
  }
  std::optional<EmulatedRegistry::Value> Stored(const char* name) const {
    return reg_.GetValue(HkeyCurrentUser(), settings::kSettingsKey, name);
  }
  std::optional<EmulatedRegistry::Value> RunEntry() const {
    return reg_.GetValue(HkeyCurrentUser(), kRun, settings::kProgramTitle);
  }
  std::vector<std::optional<EmulatedRegistry::Value>> StoredOptions() const {
    return {Stored("101"), Stored("102"), Stored("103"), Stored("104")};
  }
  // Shows `form` modally; `whileShown` runs from inside its loop, as the user would act.
  int ShowModal(ui::Form& form, std::function<void()> whileShown) {
    form.Handle();
    win_.PostMessageA(form.Handle(), kWmNull, 0, 0);
    bool done = false;
    const int hook = form.AddHook([&](UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (message == kWmNull && !done) {
        done = true;
        whileShown();
      }
      return std::nullopt;
    });
    const int result = form.ShowModal();
    form.RemoveHook(hook);
    return result;
  }

  EmulatedPlatform os_;
  EmulatedRegistry& reg_ = os_.registry();
  platform::emulated::EmulatedWindows& win_ = os_.windows();
  ui::Application app_;
  std::unique_ptr<blocking::TQuillmoor> main_;
  std::unique_ptr<TSettingsF> options_;
  std::unique_ptr<TAboutF> about_;
  std::vector<std::string> errors_;
};

EmulatedRegistry::Value Dword(DWORD value) { return EmulatedRegistry::DwordValue(value); }

// An administrator's policy: the computer's wins over the user's, its choices are shown disabled
// and never stored as the user's, the presets and Defaults pass them by, and a refresh that
// lifts a lock hands the choice back with what the user stored.
TEST_F(DialogsTest, PoliciesLockWhatTheySetAndARefreshHandsItBack) {
  const std::string policies = settings::kPoliciesKey;
  reg_.PutDword(HkeyLocalMachine(), policies, "ShockwaveFlash", 0);
  reg_.PutDword(HkeyCurrentUser(), policies, "ShockwaveFlash", 1);
  reg_.PutDword(HkeyLocalMachine(), policies, "StartWithWindows", 1);
  reg_.PutDword(HkeyLocalMachine(), policies, "Monitoring", 1);
  reg_.PutDword(HkeyCurrentUser(), policies, "Monitoring", 0);
  reg_.PutDword(HkeyCurrentUser(), policies + "\\Recommended", "PlayAnimatedGifs", 1);
  Setting("4", 1);
  Setting("104", 0);
  Start();
  blocking::TQuillmoor& w = *main_;
  const auto flashKeys = [&] {
    return reg_.KeyExists(HkeyLocalMachine(), "SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility");
  };
  EXPECT_EQ(0, w.RadioGroup4.ItemIndex());
  EXPECT_FALSE(w.RadioGroup4.Enabled());
  EXPECT_EQ("&Macromedia Shockwave && Flash Player *", w.RadioGroup4.Caption());
  EXPECT_EQ("Set by your administrator", w.RadioGroup4.Hint());
  EXPECT_EQ("* Set by your administrator", w.StatusBar1.Caption());
  // Recommended, with nothing stored: shown and written, not stored.
  EXPECT_EQ(1, w.RadioGroup2.ItemIndex());
  EXPECT_TRUE(w.RadioGroup2.Enabled());
  EXPECT_EQ(EmulatedRegistry::StringValue("No"),
            reg_.GetValue(HkeyCurrentUser(), test::kMainKey, "Play_Animations"));
  EXPECT_FALSE(Stored("2").has_value());
  EXPECT_EQ("* Set by your administrator: ShockwaveFlash allowed, StartWithWindows on, Monitoring on",
            w.ListBox1.Items()[1]);
  EXPECT_FALSE(w.MonitorOff());
  EXPECT_FALSE(w.MonitorAction.Enabled() || w.Button1.Enabled() || w.Monitor1->Enabled());
  EXPECT_TRUE(options_->CheckBox1.Checked());
  EXPECT_FALSE(options_->CheckBox1.Enabled());
  EXPECT_EQ(EmulatedRegistry::StringValue(std::string("\"") + kExe + "\""), RunEntry());

  w.RadioGroup6.UserSelect(1);  // "No to all"
  options_->BitBtn2.UserClick();
  options_->BitBtn1.UserClick();
  EXPECT_EQ(0, w.RadioGroup4.ItemIndex());
  EXPECT_FALSE(flashKeys());
  EXPECT_TRUE(RunEntry().has_value());
  EXPECT_EQ((std::vector<std::optional<EmulatedRegistry::Value>>{Dword(0), Dword(0), Dword(1),
                                                                    Dword(0)}),
            StoredOptions());
  EXPECT_EQ(Dword(1), Stored("4"));
  EXPECT_EQ(Dword(1), Stored("2"));  // the user's own choice now, which stands

  // The computer's lock goes: the user's policy decides, and then nothing does.
  const char* area = "Policy";
  const auto refresh = [&] {
    win_.SendMessageA(w.Handle(), kWmSettingChange, 0, reinterpret_cast<LPARAM>(area));
    app_.ProcessMessages();
  };
  reg_.RegDeleteKeyA(HkeyLocalMachine(), "Software\\Policies\\Brambleworks\\Tarnwick");
  refresh();
  EXPECT_EQ(1, w.RadioGroup4.ItemIndex());
  EXPECT_FALSE(w.RadioGroup4.Enabled());
  EXPECT_TRUE(flashKeys());
  EXPECT_FALSE(w.MonitorAction.Enabled());  // the user's policy: monitoring cannot run
  EXPECT_TRUE(w.MonitorOff());
  EXPECT_FALSE(options_->CheckBox1.Checked() || RunEntry().has_value());
  EXPECT_TRUE(options_->CheckBox1.Enabled());
  reg_.RegDeleteKeyA(HkeyCurrentUser(), "Software\\Policies\\Brambleworks\\Tarnwick\\Recommended");
  reg_.RegDeleteKeyA(HkeyCurrentUser(), "Software\\Policies\\Brambleworks\\Tarnwick");
  refresh();
  EXPECT_TRUE(w.MonitorAction.Enabled());
  EXPECT_TRUE(w.RadioGroup4.Enabled());
  EXPECT_EQ("&Macromedia Shockwave && Flash Player", w.RadioGroup4.Caption());
  EXPECT_EQ("", w.StatusBar1.Caption());
  EXPECT_EQ("* Nothing is set by your administrator now.", w.ListBox1.Items().back());
  EXPECT_EQ(Dword(1), Stored("4"));
  EXPECT_TRUE(errors_.empty());
}

TEST_F(DialogsTest, AFirstStartShowsOnlyExitOnCloseAndWritesNothingUntilClosed) {
  Start();
  EXPECT_EQ((std::vector<bool>{false, false, true, false}),
            (std::vector<bool>{options_->CheckBox6.Checked(), options_->CheckBox7.Checked(),
                               options_->CheckBox8.Checked(), options_->CheckBox1.Checked()}));
  EXPECT_EQ((std::vector<std::optional<EmulatedRegistry::Value>>(4)), StoredOptions());
  options_->BitBtn1.UserClick();
  EXPECT_EQ((std::vector<std::optional<EmulatedRegistry::Value>>{Dword(0), Dword(0), Dword(1),
                                                                    Dword(0)}),
            StoredOptions());
  EXPECT_FALSE(RunEntry().has_value());
}

TEST_F(DialogsTest, EachBoxIsStoredTheMomentItChanges) {
  Start();
  struct Case {
    ui::CheckBox TSettingsF::*box;
    const char* name;
    DWORD afterClick;
  };
  const Case cases[] = {{&TSettingsF::CheckBox6, "101", 1},
                        {&TSettingsF::CheckBox7, "102", 1},
                        {&TSettingsF::CheckBox8, "103", 0},
                        {&TSettingsF::CheckBox1, "104", 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui::CheckBox& box = (*options_).*(c.box);
    box.UserClick();
    EXPECT_EQ(Dword(c.afterClick), Stored(c.name));
    box.SetChecked(box.Checked());  // the same state again: no write
    EXPECT_EQ(Dword(c.afterClick), Stored(c.name));
    box.UserClick();
    EXPECT_EQ(Dword(1 - c.afterClick), Stored(c.name));
  }
  EXPECT_TRUE(errors_.empty());
}

TEST_F(DialogsTest, StartWithWindowsWritesTheQuotedPathAndDefaultsRemoveItAtOnce) {
  Start();
  options_->CheckBox1.UserClick();
  EXPECT_EQ(EmulatedRegistry::StringValue(std::string("\"") + kExe + "\""), RunEntry());
  options_->BitBtn2.UserClick();
  EXPECT_FALSE(RunEntry().has_value());
  EXPECT_EQ(Dword(0), Stored("104"));
  EXPECT_FALSE(options_->CheckBox1.Checked());
  options_->CheckBox1.SetChecked(false);  // nothing to remove: no error
  EXPECT_TRUE(errors_.empty());
}

TEST_F(DialogsTest, EveryStartWithTheBoxSetRewritesTheEntryWithTheCurrentPath) {
  Setting("104", 1);
  reg_.PutString(HkeyCurrentUser(), kRun, settings::kProgramTitle, "\"D:\\old\\tarnwick.exe\"");
  Start();
  EXPECT_EQ(EmulatedRegistry::StringValue(std::string("\"") + kExe + "\""), RunEntry());
}

TEST_F(DialogsTest, APathTheCodePageCannotSpellLeavesNoEntryAndSaysSo) {
  os_.system().SetModulePath("C:\\Programs\\T?rnwick\\tarnwick.exe");
  reg_.PutString(HkeyCurrentUser(), kRun, settings::kProgramTitle, "\"D:\\old\\tarnwick.exe\"");
  Start();
  ui::Guard([&] { options_->CheckBox1.UserClick(); });
  EXPECT_FALSE(RunEntry().has_value());
  ASSERT_EQ(1u, errors_.size());
  EXPECT_NE(std::string::npos, errors_[0].find("Cannot start with Windows"));
  EXPECT_EQ(Dword(1), Stored("104"));
}

TEST_F(DialogsTest, AnyNonZeroValueShowsCheckedAndClosingStoresOne) {
  Setting("101", 2);
  Start();
  EXPECT_TRUE(options_->CheckBox6.Checked());
  EXPECT_TRUE(app_.ShowMainForm());  // the main window wants exactly 1
  options_->Close();
  EXPECT_EQ(Dword(1), Stored("101"));
}

TEST_F(DialogsTest, RegistryFailuresKeepTheBoxAndTheDialogUsable) {
  Start();
  // Closing under a key that cannot be written says so once, and the dialog still closes.
  reg_.DenyWrites(HkeyCurrentUser());
  EXPECT_EQ(ui::kMrCancel, ShowModal(*options_, [&] { options_->BitBtn1.UserClick(); }));
  EXPECT_FALSE(options_->Visible());
  EXPECT_TRUE(win_.IsWindowEnabled(main_->Handle()));
  EXPECT_EQ((std::vector<std::string>{"Failed to set data for '101'"}), errors_);
  reg_.DenyWrites(HkeyCurrentUser(), false);
  errors_.clear();

  reg_.DenyWrites(HkeyCurrentUser());  // the key does not open for writing
  ui::Guard([&] { options_->CheckBox6.UserClick(); });
  EXPECT_TRUE(options_->CheckBox6.Checked());
  reg_.DenyWrites(HkeyCurrentUser(), false);
  reg_.FailCall("RegSetValueExA", kErrorAccessDenied, 1, "102");  // the write itself fails
  ui::Guard([&] { options_->CheckBox7.UserClick(); });
  EXPECT_EQ((std::vector<std::string>{"Failed to set data for '101'", "Failed to set data for '102'"}),
            errors_);
  options_->CheckBox7.UserClick();
  EXPECT_EQ(Dword(0), Stored("102"));
}

TEST_F(DialogsTest, AWrongTypeAtStartCostsOnlyItsOwnBoxAndTheProgramStarts) {
  reg_.PutValue(HkeyCurrentUser(), settings::kSettingsKey, "102", {kRegBinary, {1}});
  Setting("103", 0);
  Start();
  // Said by each window that reads it: the main window, then the dialog.
  EXPECT_EQ((std::vector<std::string>(2, "Invalid data type for '102'")), errors_);
  EXPECT_TRUE(main_->Visible());
  EXPECT_FALSE(options_->CheckBox7.Checked());
  EXPECT_FALSE(options_->CheckBox8.Checked());  // the box after it still shows the stored choice
  options_->Close();
  EXPECT_EQ(Dword(0), Stored("103"));
}

TEST_F(DialogsTest, EveryWayOfClosingStoresWhatOkStoresAndEndsTheLoop) {
  Start();
  const std::vector<std::pair<const char*, std::function<void()>>> ways = {
      {"Ok", [&] { options_->BitBtn1.UserClick(); }},
      {"Escape", [&] { options_->KeyDown(ui::kVkEscape); }},
      {"Enter", [&] { options_->KeyDown(ui::kVkReturn); }},
      {"close box", [&] { win_.SendMessageA(options_->Handle(), kWmClose, 0, 0); }},
  };
  for (const auto& [way, close] : ways) {
    SCOPED_TRACE(way);
    reg_.PutValue(HkeyCurrentUser(), settings::kSettingsKey, "103", Dword(7));
    bool mainEnabled = true;
    const int result = ShowModal(*options_, [&] {
      mainEnabled = win_.IsWindowEnabled(main_->Handle()) != 0;
      close();
    });
    EXPECT_EQ(ui::kMrCancel, result);
    EXPECT_FALSE(mainEnabled);
    EXPECT_TRUE(win_.IsWindowEnabled(main_->Handle()));
    EXPECT_FALSE(options_->Visible());
    EXPECT_EQ(Dword(1), Stored("103"));
  }
}

TEST_F(DialogsTest, WhileADialogIsOpenMonitoringGoesOnAndAQuitEndsBoth) {
  Start();
  main_->Button1.UserClick();  // Monitor
  reg_.ClearCalls();
  main_->Timer1Timer(main_->Timer1);
  const std::size_t perPass = reg_.CallCount("RegSetValueExA");
  reg_.ClearCalls();
  // A Register run's quit arrives after two monitoring ticks.
  tray::TIntervalTimer quit(12000, [&](tray::TIntervalTimer& sender) {
    sender.SetEnabled(false);
    win_.PostQuitMessage(3);
  });
  quit.SetEnabled(false);
  ShowModal(*about_, [&] { quit.SetEnabled(true); });
  EXPECT_EQ(2 * perPass, reg_.CallCount("RegSetValueExA"));
  EXPECT_FALSE(about_->Visible());
  EXPECT_EQ(3, win_.PendingQuit());  // posted again for the program's own loop
}

TEST_F(DialogsTest, ASecondStartHidesTheProgramAndClosesTheOpenDialog) {
  Start();
  ShowModal(*options_, [&] {
    win_.PostMessageA(main_->Handle(), kWmUser, 0, 0);
  });
  EXPECT_FALSE(main_->Visible());
  EXPECT_FALSE(options_->Visible());
  EXPECT_TRUE(win_.IsWindowEnabled(main_->Handle()));
  EXPECT_EQ(Dword(1), Stored("103"));  // closed as Ok would
}

TEST_F(DialogsTest, AboutShowsTheTitleAndItsLinkOpensTheSiteAndFollowsThePointer) {
  Start();
  EXPECT_EQ("About Tarnwick v1.0b Personal", about_->Caption());
  EXPECT_EQ("Tarnwick v1.0b Personal", about_->Label1.Caption());
  about_->Label4.UserMouseMove(0, 3, 4);
  EXPECT_EQ(ui::kFontUnderline, about_->Label4.GetFont().style);
  about_->Label4.UserMouseLeave();
  EXPECT_EQ(0u, about_->Label4.GetFont().style);
  about_->Label4.UserClick();
  about_->Label4.UserClick();
  const auto& runs = os_.shell().Executions();
  ASSERT_EQ(2u, runs.size());
  EXPECT_EQ(app_.Handle(), runs[0].owner);
  EXPECT_EQ("open", runs[0].verb);
  EXPECT_EQ(kWebSiteAddress, runs[0].file);
  EXPECT_EQ(kSwHide, runs[0].showCommand);
}

}  // namespace
}  // namespace tarnwick::dialogs
