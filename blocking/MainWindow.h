#pragma once
// The main window: the five content choices and the presets, Monitor, Hide and Exit, the
// monitoring picture and the log. It owns the tray icon and the monitoring timer.
#include <array>
#include <exception>
#include <set>
#include <string>
#include <vector>

#include "blocking/ContentKinds.h"
#include "settings/Policies.h"
#include "settings/SettingsStore.h"
#include "tray/IntervalTimer.h"
#include "tray/TrayIcon.h"
#include "ui/Action.h"
#include "ui/Button.h"
#include "ui/Control.h"
#include "ui/ErrorBoundary.h"
#include "ui/Form.h"
#include "ui/Image.h"
#include "ui/ImageList.h"
#include "ui/ListBox.h"
#include "ui/Menu.h"
#include "ui/RadioGroup.h"

namespace tarnwick::blocking {

using settings::kProgramTitle;
inline constexpr const char* kMainWindowClass = "TQuillmoor";
// A second start posts this to the running main window, which then hides or shows itself.
inline constexpr os::UINT kShowYourselfMessage = os::kWmUser;
inline constexpr const char* kBalloonText = "You can restore program by clicking the icon";

// The pictures the window shows; real icons from the executable, or stand-ins in tests.
struct MainWindowImages {
  // The pictures that the window does not show are made when they are first shown.
  ui::IconSource monitoringOff;       // ImageList1 image 0, the shell's at start
  ui::IconSource monitoringOn;        // ImageList1 image 1, made when monitoring first starts
  os::HICON designPicture = nullptr;  // Image1 until Monitor first runs
  ui::IconSource trayIcon;            // TrayIcon1's own stored icon
};

class TQuillmoor : public ui::Form {
 public:
  // Builds the window from its layout, then runs FormCreate.
  explicit TQuillmoor(const MainWindowImages& images);
  ~TQuillmoor() override;

  // --- Controls and components, by their designer names ---------------------------------------
  ui::TabControl TabControl1{this};
  ui::GroupBox GroupBox1{this};
  ui::RadioGroup RadioGroup1{this};
  ui::RadioGroup RadioGroup2{this};
  ui::RadioGroup RadioGroup3{this};
  ui::RadioGroup RadioGroup4{this};
  ui::RadioGroup RadioGroup5{this};
  ui::RadioGroup RadioGroup6{this};
  ui::Image Image1{this};
  ui::Button Button4{this};
  ui::Button Button5{this};
  ui::Button Button1{this};
  ui::ListBox ListBox1{this};
  ui::StatusBar StatusBar1{this};
  ui::ImageList ImageList1{this};
  ui::Action ExitAction{this};
  ui::Action ShowHideAction{this};
  ui::Action MonitorAction{this};
  ui::MainMenu MainMenu1{this};
  ui::PopupMenu PopupMenu1{this};
  ui::PopupMenu PopupMenu2{this};
  tray::TIntervalTimer Timer1;
  tray::TIntervalTimer Timer2;
  tray::TTrayIcon TrayIcon1{this};
  // Menu items, owned by their menus.
  ui::MenuItem* File1 = nullptr;
  ui::MenuItem* Exit1 = nullptr;
  ui::MenuItem* ools1 = nullptr;
  ui::MenuItem* Options1 = nullptr;
  ui::MenuItem* Help1 = nullptr;
  ui::MenuItem* Help2 = nullptr;
  ui::MenuItem* About1 = nullptr;
  ui::MenuItem* Hide1 = nullptr;
  ui::MenuItem* Monitor1 = nullptr;
  ui::MenuItem* Exit2 = nullptr;
  ui::MenuItem* Clearlog1 = nullptr;

  // --- Handlers -----------------------------------------------------------------------------
  void FormCreate(ui::Component& sender);
  void TrayIcon1Startup(ui::Component& sender, bool& showMainForm);
  void MonitorActionExecute(ui::Component& sender);
  void ShowHideActionExecute(ui::Component& sender);
  void ExitActionExecute(ui::Component& sender);
  void FormCloseQuery(ui::Component& sender, bool& canClose);
  void RadioGroupClick(ui::Component& sender);
  void RadioGroup6Click(ui::Component& sender);
  void Timer1Timer(tray::TIntervalTimer& sender);
  // The demonstration trigger: shows the demonstration window at every fifteenth counted start.
  void Timer2Timer(tray::TIntervalTimer& sender);
  void Options1Click(ui::Component& sender);
  void About1Click(ui::Component& sender);
  void Clearlog1Click(ui::Component& sender);
  void Help2Click(ui::Component& sender);

  bool MonitorOff() const { return monitorOff_; }
  // The trigger's ticks still to come.
  int DemoChecksLeft = 5;
  bool ExitRequested() const { return exitRequested_; }

  // Reads the policies again and makes the window, the Options dialog, the tray menu and the
  // switches follow them: what a policy refresh does.
  void ApplyPolicies();

 protected:
  os::LRESULT WndProc(os::UINT message, os::WPARAM wParam, os::LPARAM lParam) override;
  void CloseQuery(bool& canClose) override { FormCloseQuery(*this, canClose); }

 private:
  void LoadLayout(const MainWindowImages& images);
  void Log(const char* line) { ListBox1.Add(line); }
  // One pass of the bans from a tick or a Monitor press; see the .cpp for how failures are told.
  void ReapplyBansReported();
  // The balloon hint, once, after the window hid through the Hide command.
  void ShowBalloonOnce();
  std::array<ui::RadioGroup*, 5> ChoiceGroups();
  // Shows kind `i`'s decided choice in its group; see the .cpp.
  void ShowChoice(std::size_t i, const settings::Decision& decision, bool starting);
  // Monitoring as the administrator set it, or the user's to start and stop.
  void ApplyMonitoringPolicy();
  // Logs what the administrator set and what policy data was passed over, when it changed.
  void ReportPolicies();
  // What became of a switch written for a choice the user did not make; see the .cpp.
  void ReportSwitch(const ContentKind& kind, std::exception_ptr error);

  bool monitorOff_ = true;
  std::array<settings::Decision, 5> choices_{};  // as the groups show them
  std::vector<std::string> policyLines_;         // what the log said of the policies last
  std::set<int> unwritable_;                     // kinds whose switch failed, told once
  bool exitRequested_ = false;
  ui::FailureStreak banFailures_;
  ui::FailureStreak counterFailures_;  // the start's count, then the trigger's reads
  ui::FailureStreak balloonFailures_;
};

}  // namespace tarnwick::blocking
