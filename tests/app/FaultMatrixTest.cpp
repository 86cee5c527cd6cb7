// Every handler that writes the registry, with each of its registry calls failing in turn. A
// clean run of a handler records the calls it makes; then one run per call makes that call fail
// and checks the message shown, what stayed written, and that the next action still works.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
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
#include "tests/support/BrowserSwitches.h"
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
constexpr const char* kMain = test::kMainKey;
constexpr const char* kZone = test::kZoneKey;
constexpr const char* kExtensions = test::kExtensionsKey;
constexpr const char* kButtonList = test::kButtonListKey;
using test::MachinePaths;

// The kill bits as the program leaves them, in both views of the machine.
void PutKillBits(EmulatedRegistry& reg, DWORD value) {
  for (const char* key : {test::kFlashKey, test::kShockwaveKey}) {
    for (const std::string& path : MachinePaths(key)) reg.PutDword(HkeyLocalMachine(), path, test::kKillBitName, value);
  }
}
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

// How many cases the handlers' clean runs make: one per registry call that can fail.
constexpr std::size_t kExpectedCases = 301;

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

// A value by the key a call names ("HKCU\\...") and its name.
struct ValueRef {
  std::string key;
  std::string name;
  bool operator==(const ValueRef&) const = default;
};

std::optional<EmulatedRegistry::Value> Lookup(const EmulatedRegistry& reg, const ValueRef& ref) {
  const bool machine = ref.key.rfind("HKLM", 0) == 0;
  const std::string path = ref.key.size() > 5 ? ref.key.substr(5) : std::string();
  return reg.GetValue(machine ? HkeyLocalMachine() : HkeyCurrentUser(), path, ref.name);
}

// What one run of a handler left.
struct Outcome {
  std::vector<Call> calls;
  std::vector<std::string> messages;
  int exitCode = 0;  // of a command line
  std::string after;
  std::vector<std::optional<EmulatedRegistry::Value>> probedBefore;
  std::vector<std::optional<EmulatedRegistry::Value>> probedAfter;
  std::string afterNext;
  std::vector<std::string> nextMessages;
};

Outcome RunHandler(const Handler& handler, std::optional<std::size_t> failing,
                   const std::vector<ValueRef>& probes = {}) {
  Outcome out;
  // One program at a time: the first application made takes the errors until it is gone.
  Program p(handler.windows, handler.seed);
  handler.prepare(p);
  p.messages.clear();
  p.reg.ClearCalls();
  for (const ValueRef& probe : probes) out.probedBefore.push_back(Lookup(p.reg, probe));
  if (failing) p.reg.FailNthCall(*failing, kErrorAccessDenied);
  // As a window procedure runs a handler: an escaping error goes to the default error handler.
  ui::Guard([&] { handler.act(p); });
  out.calls = FailableCalls(p.reg.Calls());
  out.messages = p.messages;
  out.exitCode = p.exitCode;
  out.after = State(p.reg);
  for (const ValueRef& probe : probes) out.probedAfter.push_back(Lookup(p.reg, probe));
  p.messages.clear();
  ui::Guard([&] { handler.next(p); });
  out.afterNext = State(p.reg);
  out.nextMessages = p.messages;
  return out;
}


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
               PutKillBits(reg, 0x400);
               reg.PutString(HkeyLocalMachine(), std::string(test::kFlashKey) + "\\Sub", "x", "y");
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
           PutKillBits(reg, 0x400);
         },
         [](Program&) {}, [=](Program& p) { p.main->RadioGroup6.UserSelect(preset); },
         [=](Program& p) {
           // A kind whose group already shows a preset's choice is not written again, so the
           // way back to this preset passes through both of the others.
           for (int step = 1; step <= 3; ++step) p.main->RadioGroup6.UserSelect((preset + step) % 3);
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
         // Monitoring on, and past the demonstration check's five ticks, so that the next five
         // seconds hold one pass and nothing else.
         p.main->Button1.UserClick();
         p.os.windows().Advance(5000ms);
         for (const char* name : {"Display Inline Videos", "Play_Animations", "Play_Background_Sounds"}) {
           p.reg.PutString(HkeyCurrentUser(), kMain, name, "Yes");
         }
         PutKillBits(p.reg, 0);
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
    for (const std::string& key : MachinePaths(std::string(kExtensions) + "\\" + id)) {
      reg.PutString(HkeyLocalMachine(), key, "ButtonText", kTitle);
      reg.PutString(HkeyLocalMachine(), key + "\\Sub", "x", "y");
    }
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

bool Names(const Call& call, const char* part) {
  return (call.key + "\\" + call.name).find(part) != std::string::npos;
}

// Where the rules make a failing call silent: a settings read whose key does not open reads the
// default, and a button list that may not be changed is read to tell whether it names a button:
// only one that is not there is no button.
bool SilentByTheRules(const std::vector<Call>& calls, std::size_t k) {
  const Call& call = calls[k];
  const std::string settingsKey = std::string("HKCU\\") + settings::kSettingsKey;
  const bool readerOpens = k + 1 < calls.size() && calls[k + 1].function == "RegOpenKeyExA" &&
                           calls[k + 1].name.empty();
  return (call.function == "RegCreateKeyExA" && call.name == settings::kSettingsKey && readerOpens) ||
         (call.function == "RegOpenKeyExA" && call.key == settingsKey && call.name.empty()) ||
         (call.function == "RegOpenKeyExA" && Names(call, "ToolBar Buttons") &&
          call.result == kErrorFileNotFound) ||
         // A policy key that cannot be read is no policy, and never a box.
         (call.function == "RegOpenKeyExA" && Names(call, "Policies"));
}

// The message a failing call must show: a read names the value it reads; a write, a deletion or
// the opening of the key they go to names the value written; a key that stays when it is erased
// names the value its removal stands for.
std::string ExpectedMessage(const std::vector<Call>& calls, std::size_t k) {
  const Call& call = calls[k];
  if (call.function == "RegQueryValueExA") return ERegistryError::GetFailed(call.name).what();
  if (call.function == "RegSetValueExA" || call.function == "RegDeleteValueA") {
    return ERegistryError::SetFailed(call.name).what();
  }
  if (call.function != "RegCreateKeyExA") {  // the steps of an erase
    if (Names(call, "ActiveX Compatibility")) return ERegistryError::SetFailed("Compatibility Flags").what();
    if (Names(call, "Extensions")) return ERegistryError::SetFailed(kTitle).what();
  }
  for (std::size_t j = k + 1; j < calls.size(); ++j) {
    if (calls[j].function == "RegSetValueExA" || calls[j].function == "RegDeleteValueA") {
      return ERegistryError::SetFailed(calls[j].name).what();
    }
  }
  return "(no value after the failing call)";
}

// Whether the failing call `k` ends its handler. A bans pass that cannot read one kind's stored
// choice goes on with the other kinds.
bool EndsTheHandler(const Handler& handler, const std::vector<Call>& calls, std::size_t k) {
  return !(handler.name == "ReapplyBans" && calls[k].function == "RegQueryValueExA" &&
           calls[k].key == std::string("HKCU\\") + settings::kSettingsKey);
}

// Whether a call before `k` deleted the value `ref`.
bool DeletedBefore(const std::vector<Call>& calls, std::size_t k, const ValueRef& ref) {
  for (std::size_t j = 0; j < k; ++j) {
    if (calls[j].function == "RegDeleteValueA" && ValueRef{calls[j].key, calls[j].name} == ref) return true;
  }
  return false;
}

// Every extension key is named by a list entry: a button that none names is never removed.
void ExpectNoUnlistedButton(const std::string& state) {
  static const std::regex kExtension(
      "\\[HKLM\\\\Software\\\\(Wow6432Node\\\\)?Microsoft\\\\Internet Explorer\\\\Extensions\\\\(\\{[^}\\\\]*\\})\\]",
      std::regex::icase);
  for (std::sregex_iterator it(state.begin(), state.end(), kExtension), end; it != end; ++it) {
    EXPECT_NE(std::string::npos, state.find("REG_SZ:\"" + (*it)[2].str() + "\""))
        << "no list entry names " << (*it)[0];
  }
}

TEST(FaultMatrixTest, EveryFailingCallIsShownKeepsWhatWasWrittenAndTheProgramGoesOn) {
  std::size_t cases = 0;
  for (const Handler& handler : Handlers()) {
    const Outcome first = RunHandler(handler, std::nullopt);
    std::vector<ValueRef> written;
    for (const Call& call : first.calls) {
      if (call.function == "RegSetValueExA") written.push_back({call.key, call.name});
    }
    const Outcome clean = RunHandler(handler, std::nullopt, written);
    ASSERT_TRUE(clean.messages.empty()) << handler.name << ": " << clean.messages.front();
    ASSERT_EQ(first.calls.size(), clean.calls.size()) << handler.name;
    ExpectNoUnlistedButton(clean.after);

    for (std::size_t k = 0; k < clean.calls.size(); ++k) {
      ++cases;
      const Call& failing = clean.calls[k];
      SCOPED_TRACE(handler.name + ", call " + std::to_string(k) + ": " + failing.function + " " +
                   failing.key + " : " + failing.name);
      const Outcome failed = RunHandler(handler, k, written);
      ASSERT_LT(k, failed.calls.size());
      ASSERT_EQ(failing.function, failed.calls[k].function);
      ASSERT_EQ(kErrorAccessDenied, failed.calls[k].result);  // the failure hit this very call

      // The message shown: none where the rules keep silent, exactly the one for this call
      // where something was left undone, and at most that one where nothing was.
      const bool silent = SilentByTheRules(clean.calls, k);
      const std::vector<std::string> expected = {(handler.windows ? "" : "Application Error: ") +
                                                 ExpectedMessage(clean.calls, k)};
      if (silent) {
        EXPECT_TRUE(failed.messages.empty()) << failed.messages.front();
      } else if (failed.after != clean.after || !failed.messages.empty()) {
        EXPECT_EQ(expected, failed.messages);
      }
      EXPECT_EQ(failed.messages.empty() || handler.windows ? 0 : 1, failed.exitCode);

      // What stayed written: every value written before the failing call is as the clean run
      // left it (a half-written button excepted, which is taken back), and a handler that
      // reported its failure wrote nothing after it.
      for (std::size_t j = 0; j < written.size(); ++j) {
        std::size_t at = 0;
        while (!(clean.calls[at].function == "RegSetValueExA" &&
                 ValueRef{clean.calls[at].key, clean.calls[at].name} == written[j])) {
          ++at;
        }
        SCOPED_TRACE(written[j].key + " : " + written[j].name);
        if (at < k) {
          if (!Names(clean.calls[at], "{A1B2C3")) {
            EXPECT_EQ(clean.probedAfter[j], failed.probedAfter[j]);
          }
        } else if (at > k && !failed.messages.empty() && EndsTheHandler(handler, clean.calls, k) &&
                   !DeletedBefore(clean.calls, k, written[j])) {
          EXPECT_EQ(failed.probedBefore[j], failed.probedAfter[j]);
        }
      }
      const bool leavesEarlierButton = handler.name == "Register again" && silent;
      if (!leavesEarlierButton) ExpectNoUnlistedButton(failed.after);

      // The program goes on: the next action works and ends where it ends after a clean run.
      EXPECT_TRUE(failed.nextMessages.empty()) << failed.nextMessages.front();
      if (!leavesEarlierButton) {
        EXPECT_EQ(clean.afterNext, failed.afterNext);
      }
    }
  }
  // Each handler, each of its calls: the table's size, as a test that cannot shrink unnoticed.
  EXPECT_EQ(kExpectedCases, cases);
}

}  // namespace
}  // namespace tarnwick
