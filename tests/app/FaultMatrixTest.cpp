// Every handler that writes the registry, with each of its registry calls failing in turn. A
// clean run of a handler records the calls it makes; then one run per call makes that call fail
// and checks the message shown, what stayed written, and that the next action still works.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "app/ProgramEntry.h"
#include "blocking/MainWindow.h"
#include "dialogs/SettingsForm.h"
#include "platform/emulated/EmulatedPlatform.h"
#include "settings/RegistryError.h"
#include "settings/SettingsStore.h"
#include "ui/Application.h"
#include "ui/CheckBox.h"
#include "ui/ErrorBoundary.h"

namespace tarnwick {
namespace {

using namespace std::chrono_literals;
using namespace platform::os;
using platform::emulated::EmulatedPlatform;
using platform::emulated::EmulatedRegistry;
using Call = EmulatedRegistry::Call;
using settings::ERegistryError;

constexpr const char* kExe = "C:\\Program Files\\Tarnwick\\tarnwick.exe";
constexpr const char* kTitle = "Tarnwick v1.0b Personal";
constexpr const char* kMain = "Software\\Microsoft\\Internet Explorer\\Main";
constexpr const char* kZone = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3";
constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kFlash =
    "SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\"
    "{D27CDB6E-AE6D-11CF-96B8-444553540000}";
constexpr const char* kShockwave =
    "SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\"
    "{166B1BCA-3F9C-11CF-8075-444553540000}";
constexpr const char* kExtensions = "Software\\Microsoft\\Internet Explorer\\Extensions";
constexpr const char* kButtonList = "Software\\VE5Raroz\\ToolBar Buttons";
HICON Fake(std::uintptr_t n) { return reinterpret_cast<HICON>(0x7000 + n); }

// The program around one handler: the main window and the Options dialog as they run, or, for
// a command line, no window at all.
struct Program {
  Program(bool windows, const std::function<void(EmulatedRegistry&)>& seed) {
    os.system().SetModulePath(kExe);
    if (seed) seed(reg);
    app.Initialize();
    app.ShowError = [this](const std::string& message) { messages.push_back(message); };
    if (!windows) return;
    main = std::make_unique<blocking::TQuillmoor>(
        blocking::MainWindowImages{Fake(0), Fake(1), Fake(2), Fake(3)});
    app.SetMainForm(main.get());
    main->SetVisible(true);
    options = std::make_unique<dialogs::TSettingsF>();
  }
  // A command line as the program runs it; its error box counts as the message shown.
  void Run(const std::vector<std::string>& arguments) {
    os.windows().ClearMessageBoxes();
    exitCode = app::RunProgram(arguments, {});
    for (const auto& box : os.windows().MessageBoxes()) {
      const std::size_t text = box.text.find("\n\n");
      messages.push_back(box.caption + ": " + box.text.substr(text == std::string::npos ? 0 : text + 2));
    }
  }
  void Setting(const char* name, DWORD value) {
    reg.PutDword(HkeyCurrentUser(), settings::kSettingsKey, name, value);
  }

  EmulatedPlatform os;
  EmulatedRegistry& reg = os.registry();
  ui::Application app;
  std::unique_ptr<blocking::TQuillmoor> main;
  std::unique_ptr<dialogs::TSettingsF> options;
  std::vector<std::string> messages;
  int exitCode = 0;
};

// The whole registry as text, with the identifiers the GUID generator made masked: a rerun
// makes new ones.
std::string State(const EmulatedRegistry& reg) {
  static const std::regex kMadeGuid("\\{A1B2C3[0-9A-F]{2}-0E5F-4A6B-[0-9A-F]{4}-[0-9A-F]{12}\\}");
  return std::regex_replace(reg.Dump(HkeyCurrentUser()) + reg.Dump(HkeyLocalMachine()), kMadeGuid,
                            "{made}");
}

// The calls that a failure can hit, in order: all but the closes.
std::vector<Call> FailableCalls(const std::vector<Call>& calls) {
  std::vector<Call> out;
  for (const Call& call : calls) {
    if (call.function != "RegCloseKey") out.push_back(call);
  }
  return out;
}

ui::RadioGroup& Group(Program& p, int kind) {
  ui::RadioGroup* groups[] = {&p.main->RadioGroup1, &p.main->RadioGroup2, &p.main->RadioGroup3,
                              &p.main->RadioGroup4, &p.main->RadioGroup5};
  return *groups[kind - 1];
}

struct Handler {
  std::string name;
  bool windows;  // runs in the running program, not on a command line
  std::function<void(EmulatedRegistry&)> seed;  // the registry before the program starts
  std::function<void(Program&)> prepare;  // what the program does before the handler runs
  std::function<void(Program&)> act;
  std::function<void(Program&)> next;  // the next action, which must reach the clean run's end
};

// What one run of a handler left.
struct Outcome {
  std::vector<Call> calls;
  std::vector<std::string> messages;
  std::string before;  // the registry before the handler ran
  std::string after;
  std::string afterNext;
  std::vector<std::string> nextMessages;
};

Outcome RunHandler(const Handler& handler, std::optional<std::size_t> failing) {
  Outcome out;
  // One program at a time: the first application made takes the errors until it is gone.
  Program p(handler.windows, handler.seed);
  handler.prepare(p);
  p.messages.clear();
  p.reg.ClearCalls();
  out.before = State(p.reg);
  if (failing) p.reg.FailNthCall(*failing, kErrorAccessDenied);
  // As a window procedure runs a handler: an escaping error goes to the default error handler.
  ui::Guard([&] { handler.act(p); });
  out.calls = FailableCalls(p.reg.Calls());
  out.messages = p.messages;
  out.after = State(p.reg);
  p.messages.clear();
  ui::Guard([&] { handler.next(p); });
  out.afterNext = State(p.reg);
  out.nextMessages = p.messages;
  return out;
}

std::string Describe(const Call& call) { return call.function + " " + call.key + " : " + call.name; }

std::vector<Handler> Handlers() {
  std::vector<Handler> handlers;
  // ApplyChoice, through the choice group as the user clicks it: each kind, to each choice.
  for (int kind = 1; kind <= 5; ++kind) {
    for (int index = 0; index <= 1; ++index) {
      handlers.push_back(
          {"ApplyChoice " + std::to_string(kind) + " " + std::to_string(index), true,
           [=](EmulatedRegistry& reg) {
             reg.PutDword(HkeyCurrentUser(), settings::kSettingsKey,
                          settings::SettingName(kind), 1 - index);
             if (kind == 4 && index == 0) {
               reg.PutDword(HkeyLocalMachine(), kFlash, "Compatibility Flags", 0x400);
               reg.PutString(HkeyLocalMachine(), std::string(kFlash) + "\\Sub", "x", "y");
               reg.PutDword(HkeyLocalMachine(), kShockwave, "Compatibility Flags", 0x400);
             }
           },
           [](Program&) {}, [=](Program& p) { Group(p, kind).UserSelect(index); },
           [=](Program& p) {
             Group(p, kind).UserSelect(1 - index);
             Group(p, kind).UserSelect(index);
           }});
    }
  }

  // The presets, each from the choices farthest from it.
  for (int preset = 0; preset <= 2; ++preset) {
    handlers.push_back(
        {"Preset " + std::to_string(preset), true,
         [=](EmulatedRegistry& reg) {
           for (int kind = 1; kind <= 5; ++kind) {
             reg.PutDword(HkeyCurrentUser(), settings::kSettingsKey, settings::SettingName(kind),
                          preset == 0 ? 1 : 0);
           }
           reg.PutDword(HkeyLocalMachine(), kFlash, "Compatibility Flags", 0x400);
           reg.PutDword(HkeyLocalMachine(), kShockwave, "Compatibility Flags", 0x400);
         },
         [](Program&) {}, [=](Program& p) { p.main->RadioGroup6.UserSelect(preset); },
         [=](Program& p) {
           p.main->RadioGroup6.UserSelect((preset + 1) % 3);
           p.main->RadioGroup6.UserSelect(preset);
         }});
  }

  // ReapplyBans at a monitoring tick, after the browser switched everything back on.
  handlers.push_back(
      {"ReapplyBans", true,
       [](EmulatedRegistry& reg) {
         for (const char* kind : {"1", "3", "4", "5"}) {
           reg.PutDword(HkeyCurrentUser(), settings::kSettingsKey, kind, 1);
         }
         reg.PutDword(HkeyCurrentUser(), settings::kSettingsKey, "2", 0);
       },
       [](Program& p) {
         p.main->Button1.UserClick();
         for (const char* name : {"Display Inline Videos", "Play_Animations", "Play_Background_Sounds"}) {
           p.reg.PutString(HkeyCurrentUser(), kMain, name, "Yes");
         }
         p.reg.PutDword(HkeyLocalMachine(), kFlash, "Compatibility Flags", 0);
         p.reg.PutDword(HkeyLocalMachine(), kShockwave, "Compatibility Flags", 0);
         p.reg.PutDword(HkeyCurrentUser(), kZone, "1C00", 0x10000);
       },
       [](Program& p) { p.os.windows().Advance(5000ms); },
       [](Program& p) { p.os.windows().Advance(5000ms); }});

  // Each Options box as the user clicks it, and "Start with windows" unchecked again.
  const std::pair<const char*, ui::CheckBox dialogs::TSettingsF::*> boxes[] = {
      {"101", &dialogs::TSettingsF::CheckBox6}, {"102", &dialogs::TSettingsF::CheckBox7},
      {"103", &dialogs::TSettingsF::CheckBox8}, {"104", &dialogs::TSettingsF::CheckBox1}};
  for (const auto& [name, box] : boxes) {
    for (const bool startWithWindows : {false, true}) {
      if (startWithWindows && std::string(name) != "104") continue;
      const auto member = box;
      handlers.push_back(
          {std::string("Options box ") + name + (startWithWindows ? " unchecked" : ""), true,
           [=](EmulatedRegistry& reg) {
             if (startWithWindows) reg.PutDword(HkeyCurrentUser(), settings::kSettingsKey, "104", 1);
           },
           [](Program&) {}, [=](Program& p) { ((*p.options).*member).UserClick(); },
           [=](Program& p) {
             ((*p.options).*member).UserClick();
             ((*p.options).*member).UserClick();
           }});
    }
  }

  // The Options dialog closing: all four values stored again.
  handlers.push_back({"Options close", true,
                      [](EmulatedRegistry& reg) {
                        reg.PutDword(HkeyCurrentUser(), settings::kSettingsKey, "101", 2);
                        reg.PutDword(HkeyCurrentUser(), settings::kSettingsKey, "103", 0);
                      },
                      [](Program&) {}, [](Program& p) { p.options->Close(); },
                      [](Program& p) { p.options->Close(); }});

  // Register, on a clean machine and over an earlier button; Unregister of that button.
  const auto earlierButton = [](EmulatedRegistry& reg) {
    const std::string id = "{0E1F2A3B-4C5D-6E7F-8091-A2B3C4D5E6F7}";
    reg.PutString(HkeyLocalMachine(), kButtonList, kTitle, id);
    reg.PutString(HkeyLocalMachine(), std::string(kExtensions) + "\\" + id, "ButtonText", kTitle);
    reg.PutString(HkeyLocalMachine(), std::string(kExtensions) + "\\" + id + "\\Sub", "x", "y");
  };
  handlers.push_back({"Register", false, nullptr, [](Program&) {},
                      [](Program& p) { p.Run({"Register"}); },
                      [](Program& p) { p.Run({"Register"}); }});
  handlers.push_back({"Register again", false, earlierButton, [](Program&) {},
                      [](Program& p) { p.Run({"Register"}); },
                      [](Program& p) { p.Run({"Register"}); }});
  handlers.push_back({"Unregister", false, earlierButton, [](Program&) {},
                      [](Program& p) { p.Run({"Unregister"}); },
                      [](Program& p) { p.Run({"Unregister"}); }});
  return handlers;
}

class FaultMatrixTest : public ::testing::Test {};

TEST_F(FaultMatrixTest, EveryFailingCallIsShownKeepsWhatWasWrittenAndTheProgramGoesOn) {
  std::size_t cases = 0;
  for (const Handler& handler : Handlers()) {
    const Outcome clean = RunHandler(handler, std::nullopt);
    ASSERT_TRUE(clean.messages.empty()) << handler.name;
    for (std::size_t k = 0; k < clean.calls.size(); ++k) {
      ++cases;
      const Outcome failed = RunHandler(handler, k);
      std::cout << handler.name << " #" << k << " " << Describe(clean.calls[k]) << "\n";
      for (const auto& m : failed.messages) std::cout << "   msg: " << m << "\n";
      std::cout << "   " << (failed.after == clean.after ? "state clean" : failed.after == clean.before ? "state untouched" : "state partial")
                << (failed.afterNext == clean.afterNext && failed.nextMessages.empty() ? ", next ok" : ", NEXT DIFFERS") << "\n";
    }
  }
  std::cout << cases << " cases\n";
}

}  // namespace
}  // namespace tarnwick
