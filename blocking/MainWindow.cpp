#include "blocking/MainWindow.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "blocking/ContentKinds.h"
#include "blocking/ContentPolicies.h"
#include "demo/DemoWindow.h"
#include "dialogs/AboutForm.h"
#include "dialogs/SettingsForm.h"
#include "platform/Platform.h"
#include "platform/ProgramPath.h"
#include "settings/SettingsStore.h"
#include "ui/Application.h"
#include "ui/ErrorBoundary.h"
#include "ui/Managed.h"

namespace tarnwick::blocking {
namespace {

using namespace platform::os;

constexpr UINT kMonitorInterval = 5000;
constexpr const char* kHideCaption = "H&ide";
constexpr const char* kRestoreCaption = "Restore";
constexpr const char* kMonitorCaption = "M&onitor";
constexpr const char* kStopMonitorCaption = "Stop m&onitor";
// What a screen reader hears of the state picture. Monitoring is off until Monitor first runs,
// whichever picture shows then.
constexpr const char* kMonitoringOffName = "Monitoring off";
constexpr const char* kMonitoringOnName = "Monitoring on";

// A setting as the main window reads it: on only when it is 1.
bool IsOn(const settings::Setting& setting) { return settings::Decide(setting).value == 1; }

// Posted to itself when the policies changed, so that the broadcast's sender does not wait for
// the switches to be written.
constexpr UINT kApplyPoliciesMessage = kWmApp + 0x10;

bool IsPolicyChange(LPARAM lParam) {
  const auto* area = reinterpret_cast<const char*>(lParam);
  return area != nullptr && std::strcmp(area, "Policy") == 0;
}

std::string MessageOf(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "unknown error";
  }
}

// The folder of `path`, with its trailing backslash.
std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

TQuillmoor::TQuillmoor(const MainWindowImages& images) : ui::Form(kMainWindowClass) {
  LoadLayout(images);
  FormCreate(*this);
}

TQuillmoor::~TQuillmoor() = default;

void TQuillmoor::LoadLayout(const MainWindowImages& images) {
  const ui::LayoutLoading loading{this, &TabControl1, &GroupBox1, &RadioGroup1, &RadioGroup2,
                                 &RadioGroup3, &RadioGroup4, &RadioGroup5, &RadioGroup6, &Image1,
                                 &Button4, &Button5, &Button1, &ListBox1, &StatusBar1,
                                 &ImageList1, &ExitAction, &ShowHideAction, &MonitorAction,
                                 &MainMenu1, &PopupMenu1, &PopupMenu2, &TrayIcon1};

  // The window: 404 x 369 client area, fixed border, minimise box, centred.
  SetCaption("Program Name");
  SetClientSize(404, 369);
  SetFont({"MS Sans Serif", -11, 1});

  // Stored values, in the order of the layout.
  TabControl1.SetBounds(0, 0, 404, 241);
  AddControl(TabControl1);
  GroupBox1.SetParent(&TabControl1);
  GroupBox1.SetBounds(4, 6, 387, 139);
  GroupBox1.SetCaption("Type of advertizing:");

  struct ChoiceGroup {
    ui::RadioGroup& group;
    ui::Bounds bounds;
  };
  const ChoiceGroup choices[] = {
      {RadioGroup1, {16, 16, 129, 33}}, {RadioGroup2, {152, 16, 217, 33}},
      {RadioGroup3, {16, 56, 129, 33}}, {RadioGroup4, {152, 56, 217, 33}},
      {RadioGroup5, {16, 96, 129, 33}},
  };
  for (std::size_t i = 0; i < std::size(choices); ++i) {
    const ContentKind& kind = ContentKinds()[i];
    ui::RadioGroup& group = choices[i].group;
    group.SetParent(&GroupBox1);
    group.SetBounds(choices[i].bounds.left, choices[i].bounds.top, choices[i].bounds.width,
                    choices[i].bounds.height);
    group.SetTag(kind.Kind());
    group.SetCaption(kind.caption);
    group.SetItems({"Yes", "No"});
    group.SetColumns(2);
    group.SetItemIndex(kind.DefaultChoice());
    group.OnClick = [this](ui::Component& sender) { RadioGroupClick(sender); };
  }

  RadioGroup6.SetParent(&TabControl1);
  RadioGroup6.SetBounds(4, 152, 237, 33);
  RadioGroup6.SetTag(6);
  RadioGroup6.SetCaption("Global s&ettings");
  RadioGroup6.SetItems({"Yes to all", "No to all", "Defaults"});
  RadioGroup6.SetColumns(3);
  RadioGroup6.OnClick = [this](ui::Component& sender) { RadioGroup6Click(sender); };

  Image1.SetParent(&TabControl1);
  Image1.SetBounds(292, 160, 32, 32);
  Image1.SetTransparent(true);
  Image1.SetPicture(images.designPicture);
  Image1.SetAccessibleName(kMonitoringOffName);

  ExitAction.SetCaption("E&xit");
  ExitAction.OnExecute = [this](ui::Component& sender) { ExitActionExecute(sender); };
  ShowHideAction.SetCaption(kHideCaption);
  ShowHideAction.OnExecute = [this](ui::Component& sender) { ShowHideActionExecute(sender); };
  MonitorAction.SetCaption(kMonitorCaption);
  MonitorAction.OnExecute = [this](ui::Component& sender) { MonitorActionExecute(sender); };

  Button4.SetParent(&TabControl1);
  Button4.SetBounds(32, 200, 75, 25);
  Button5.SetParent(&TabControl1);
  Button5.SetBounds(136, 200, 75, 25);
  Button5.SetDefault(true);
  Button5.SetCancel(true);
  Button1.SetParent(&TabControl1);
  Button1.SetBounds(232, 200, 153, 25);

  ListBox1.SetBounds(0, 241, 404, 109);
  ListBox1.SetFont({"Courier New", -11, 204, ui::kFontFixedPitch});  // RUSSIAN_CHARSET
  ListBox1.SetItemHeight(14);
  AddControl(ListBox1);
  StatusBar1.SetBounds(0, 350, 404, 19);
  AddControl(StatusBar1);

  ImageList1.Add(images.monitoringOff);
  ImageList1.Add(images.monitoringOn);

  Timer1.SetInterval(kMonitorInterval);
  Timer1.SetOnTimer([this](tray::TIntervalTimer& sender) { Timer1Timer(sender); });
  Timer2.SetInterval(1000);
  Timer2.SetOnTimer([this](tray::TIntervalTimer& sender) { Timer2Timer(sender); });
  Timer2.SetEnabled(true);

  File1 = &MainMenu1.Add("&File");
  Exit1 = &File1->Add("");
  ools1 = &MainMenu1.Add("&Tools");
  Options1 = &ools1->Add("&Options");
  Options1->OnClick = [this](ui::Component& sender) { Options1Click(sender); };
  Help1 = &MainMenu1.Add("&Help");
  Help2 = &Help1->Add("&Help");
  Help2->OnClick = [this](ui::Component& sender) { Help2Click(sender); };
  About1 = &Help1->Add("&About");
  About1->OnClick = [this](ui::Component& sender) { About1Click(sender); };
  SetMenu(&MainMenu1);

  Hide1 = &PopupMenu1.Add("");
  Monitor1 = &PopupMenu1.Add("");
  Exit2 = &PopupMenu1.Add("");
  Clearlog1 = &PopupMenu2.Add("Clear log");
  Clearlog1->OnClick = [this](ui::Component& sender) { Clearlog1Click(sender); };

  ui::Icon trayIcon;
  trayIcon.SetHandle(images.trayIcon);
  TrayIcon1.SetCycleInterval(0);
  TrayIcon1.SetHint("Tarnwick v1.0");
  TrayIcon1.SetIcon(trayIcon);
  TrayIcon1.SetIconVisible(true);
  TrayIcon1.SetIconIndex(0);
  TrayIcon1.SetMinimizeToTray(true);
  TrayIcon1.OnClick = [this](ui::Component& sender) { ShowHideActionExecute(sender); };
  TrayIcon1.OnStartup = [this](ui::Component& sender, bool& show) { TrayIcon1Startup(sender, show); };

  // References to other components, after all values.
  Button4.SetAction(&ExitAction);
  Button5.SetAction(&ShowHideAction);
  Button1.SetAction(&MonitorAction);
  Exit1->SetAction(&ExitAction);
  Hide1->SetAction(&ShowHideAction);
  Monitor1->SetAction(&MonitorAction);
  Exit2->SetAction(&ExitAction);
  ListBox1.SetContextMenu(&PopupMenu2);
  TrayIcon1.SetIconList(&ImageList1);
  TrayIcon1.SetPopupMenu(&PopupMenu1);
}

void TQuillmoor::FormCreate(ui::Component&) {
  // Each step is reported on its own and the rest still run, so that a failing ban at start
  // still leaves a window that a second start can find and a counted launch.
  const settings::PolicyKeys policyKeys;
  Log("* Reading settings...");
  ui::Guard([&] { ReportPolicies(); });
  ui::Guard([&] {
    if (!settings::Decide(settings::kMonitoring).Locked() && IsOn(settings::kBanAtStart)) {
      Button1.UserClick();
    }
  });
  ui::Guard([&] { ApplyMonitoringPolicy(); });
  Log("* Done.");
  Log("* Applying settings...");
  for (std::size_t i = 0; i < ContentKinds().size(); ++i) {
    ui::Guard([&] { ShowChoice(i, settings::Decide(ContentKinds()[i].setting), true); });
  }
  Log("* Done...");
  TrayIcon1.SetHint(kProgramTitle);
  if (ui::Application* app = ui::Application::Current()) app->SetTitle(kProgramTitle);
  SetCaption(kProgramTitle);
  counterFailures_.Run([] { settings::RecordLaunch(); });
}

std::array<ui::RadioGroup*, 5> TQuillmoor::ChoiceGroups() {
  return {&RadioGroup1, &RadioGroup2, &RadioGroup3, &RadioGroup4, &RadioGroup5};
}

// At start a choice the user stored, or the design's own, is set as it always was: a change
// stores it and writes its switch. Any other (an administrator's, a recommended one, or the one
// handed back when a lock is lifted) is shown without being stored as the user's, and its switch
// is made to hold it.
void TQuillmoor::ShowChoice(std::size_t i, const settings::Decision& decision, bool starting) {
  const ContentKind& kind = ContentKinds()[i];
  ui::RadioGroup& group = *ChoiceGroups()[i];
  choices_[i] = decision;
  ui::ShowManaged(group, kind.caption, decision.Locked());
  const bool anyLocked =
      std::any_of(choices_.begin(), choices_.end(), [](const auto& d) { return d.Locked(); });
  StatusBar1.SetCaption(anyLocked ? ui::kManagedLegend : "");
  const bool usersOwn =
      decision.origin == settings::Origin::Stored || decision.origin == settings::Origin::Default;
  if (starting && usersOwn) {
    group.SetItemIndex(decision.value);
    return;
  }
  group.ShowItemIndex(decision.value);
  if (group.ItemIndex() < 0) return;
  std::exception_ptr failed;
  try {
    EnsureChoice(kind.Kind(), group.ItemIndex());
  } catch (const std::exception&) {
    failed = std::current_exception();
  }
  ReportSwitch(kind, failed);
}

// A switch written for a choice that the user did not make, and cannot change, is no box when it
// fails (an administrator's ban that a standard user may not write): it is said once in the log,
// and again only after it was written, or held, in between.
void TQuillmoor::ReportSwitch(const ContentKind& kind, std::exception_ptr error) {
  if (!error) {
    unwritable_.erase(kind.Kind());
    return;
  }
  if (!unwritable_.insert(kind.Kind()).second) return;
  Log(("* Cannot write the switch for " + ui::WithoutMnemonics(kind.caption) + ": " +
       MessageOf(error)).c_str());
}

void TQuillmoor::ApplyMonitoringPolicy() {
  const settings::Decision monitoring = settings::Decide(settings::kMonitoring);
  if (monitoring.Locked() && (monitoring.value == 1) == monitorOff_) {
    MonitorAction.SetEnabled(true);
    MonitorActionExecute(*this);
  }
  MonitorAction.SetEnabled(!monitoring.Locked());
  Button1.SetHint(monitoring.Locked() ? ui::kManagedHint : "");
}

void TQuillmoor::ReportPolicies() {
  const settings::PolicyReport report = settings::ReadPolicyReport();
  std::vector<std::string> lines;
  for (const std::string& line : {report.LockedLine(), report.PassedOverLine()}) {
    if (!line.empty()) lines.push_back("* " + line);
  }
  if (lines == policyLines_) return;
  if (lines.empty()) Log("* Nothing is set by your administrator now.");
  for (const std::string& line : lines) Log(line.c_str());
  policyLines_ = std::move(lines);
}

void TQuillmoor::ApplyPolicies() {
  const settings::PolicyKeys policyKeys;
  ui::Guard([&] { ReportPolicies(); });
  for (std::size_t i = 0; i < ContentKinds().size(); ++i) {
    ui::Guard([&] {
      const settings::Decision decision = settings::Decide(ContentKinds()[i].setting);
      if (decision != choices_[i]) ShowChoice(i, decision, false);
    });
  }
  ui::Guard([&] { ApplyMonitoringPolicy(); });
  if (dialogs::SettingsF != nullptr) dialogs::SettingsF->ApplyPolicies();
}

void TQuillmoor::TrayIcon1Startup(ui::Component&, bool& showMainForm) {
  showMainForm = !IsOn(settings::kStartMinimized);
}

void TQuillmoor::MonitorActionExecute(ui::Component&) {
  Image1.Clear();
  const bool starting = monitorOff_;
  ui::Icon picture;
  ImageList1.GetIcon(starting ? 1 : 0, picture);
  Image1.SetPicture(picture.Handle());
  Image1.SetAccessibleName(starting ? kMonitoringOnName : kMonitoringOffName);
  TrayIcon1.SetIconIndex(starting ? 1 : 0);
  // The button carries the action, so setting the action's caption sets both.
  MonitorAction.SetCaption(starting ? kStopMonitorCaption : kMonitorCaption);
  Log(starting ? "* Start monitoring..." : "* Stop monitoring...");
  Image1.Repaint();
  Timer1.SetEnabled(starting);
  monitorOff_ = !monitorOff_;
  ReapplyBansReported();
}

// A failing pass is reported once; while the passes go on failing, and while that report is
// open, no further box appears, so a denied ban every 5 s cannot pile up error boxes. The first
// failure after a pass that succeeded is reported again.
void TQuillmoor::ReapplyBansReported() {
  banFailures_.Run([&] {
    ReapplyBans([this](const ContentKind& kind, std::exception_ptr error) {
      ReportSwitch(kind, error);
    });
  });
}

// A hint value that cannot be read or stored would otherwise be reported at every hide.
void TQuillmoor::ShowBalloonOnce() {
  balloonFailures_.Run([&] {
    if (settings::ReadSettings(settings::kBalloonShownName, 0) == 0) {
      TrayIcon1.DisplayBalloon(kProgramTitle, kBalloonText, 1, 10);
      settings::SaveSettings(settings::kBalloonShownName, 1);
    }
  });
}

void TQuillmoor::ShowHideActionExecute(ui::Component&) {
  ui::Application* app = ui::Application::Current();
  if (Visible()) {
    // A dialog open over the window closes with it, as its Ok would; the program hides whole.
    if (ui::Form* modal = app != nullptr ? app->ModalForm() : nullptr) modal->Close();
    if (app != nullptr) app->Minimize();
    TrayIcon1.HideToTray();
    ShowBalloonOnce();
    ShowHideAction.SetCaption(kRestoreCaption);
  } else {
    TrayIcon1.RestoreFromTray();
    ShowHideAction.SetCaption(kHideCaption);
  }
}

void TQuillmoor::ExitActionExecute(ui::Component&) {
  exitRequested_ = true;
  Close();
}

void TQuillmoor::FormCloseQuery(ui::Component&, bool& canClose) {
  // A value that cannot be read is said, and its default decides: a close that only ever
  // reported would leave a window that cannot be closed.
  if (exitRequested_ || ui::Guard(settings::kExitOnClose.byDefault == 1,
                                  [&] { return IsOn(settings::kExitOnClose); })) {
    canClose = true;
    return;
  }
  canClose = false;
  if (ui::Application* app = ui::Application::Current()) app->Minimize();
  TrayIcon1.HideToTray();
}

void TQuillmoor::RadioGroupClick(ui::Component& sender) {
  auto& group = static_cast<ui::RadioGroup&>(sender);
  ApplyChoice(group.Tag(), group.ItemIndex());
}

void TQuillmoor::RadioGroup6Click(ui::Component&) {
  SelectPreset(RadioGroup6.ItemIndex(), ChoiceGroups());
}

void TQuillmoor::Timer1Timer(tray::TIntervalTimer&) { ReapplyBansReported(); }

void TQuillmoor::Options1Click(ui::Component&) {
  if (dialogs::SettingsF != nullptr) dialogs::SettingsF->ShowModal();
}

void TQuillmoor::About1Click(ui::Component&) {
  if (dialogs::AboutF != nullptr) dialogs::AboutF->ShowModal();
}

void TQuillmoor::Timer2Timer(tray::TIntervalTimer&) {
  // A counter that cannot be read now will not be readable at the next tick: the trigger stops,
  // and a counter that the start could not count is not reported twice.
  std::int32_t count = 0;
  if (!counterFailures_.Run([&] { count = settings::LaunchCount(); })) {
    Timer2.SetEnabled(false);
    return;
  }
  if (count > 0 && count % 15 == 0 && demo::Demo != nullptr &&
      settings::Decide(settings::kShowDemonstration).value != 0) {
    demo::Demo->SetVisible(true);
    Timer2.SetEnabled(false);
  }
  if (--DemoChecksLeft <= 0) Timer2.SetEnabled(false);
}

void TQuillmoor::Clearlog1Click(ui::Component&) { ListBox1.Clear(); }

void TQuillmoor::Help2Click(ui::Component&) {
  const std::string file = FolderOf(platform::ProgramPath()) + "help.chm";
  platform::Sh().ShellExecuteA(nullptr, "open", file.c_str(), nullptr, nullptr, kSwShowNormal);
}

LRESULT TQuillmoor::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kWmQueryEndSession) {
    exitRequested_ = true;
    return 1;
  }
  if (message == kWmSettingChange && IsPolicyChange(lParam)) {
    platform::Win().PostMessageA(Handle(), kApplyPoliciesMessage, 0, 0);
    return 0;
  }
  if (message == kApplyPoliciesMessage) {
    ApplyPolicies();
    return 0;
  }
  // Another program refused the shutdown: the session goes on, and so does the close rule.
  if (message == kWmEndSession && wParam == 0) {
    exitRequested_ = false;
    return 0;
  }
  // An installer that replaces the program's file asks it to close this way; the system ends it
  // only at a log-off, so here it ends by itself, as Exit ends it.
  if (message == kWmEndSession && wParam != 0 && (lParam & kEndSessionCloseApp) != 0) {
    ExitActionExecute(*this);
    return 0;
  }
  // Only the message a second start posts is the hand-over, never one another program sends.
  // IsDialogMessage's DM_GETDEFID has the same number; the form's peer answers that one.
  if (message == kShowYourselfMessage && platform::Win().InSendMessage() == 0) {
    ShowHideAction.Execute();
    return 0;
  }
  return ui::Form::WndProc(message, wParam, lParam);
}

}  // namespace tarnwick::blocking
