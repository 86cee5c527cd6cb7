#include "settings/Policies.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>

#include "platform/emulated/EmulatedPlatform.h"
#include "settings/SettingsStore.h"

namespace tarnwick::settings {
namespace {

using namespace platform::os;
using platform::emulated::EmulatedPlatform;
using platform::emulated::EmulatedRegistry;
using Value = EmulatedRegistry::Value;

const std::string kRecommendedKey = std::string(kPoliciesKey) + "\\" + kRecommendedSubkey;

Value Dword(DWORD value) { return EmulatedRegistry::DwordValue(value); }

TEST(PoliciesTest, TheComputerDecidesThenTheUserThenTheStoredChoiceThenTheRecommendedValue) {
  struct Case {
    const char* what;
    std::optional<Value> computer, user, stored, computerRecommended, userRecommended;
    Decision expected;
    EmulatedRegistry::Machine machine = EmulatedRegistry::Machine::Windows64;
  };
  const std::optional<Value> none;
  const Case cases[] = {
      {"nothing", none, none, none, none, none, {1, Origin::Default}},
      {"stored", none, none, Dword(0), none, none, {0, Origin::Stored}},
      {"stored as text", none, none, EmulatedRegistry::StringValue("0"), none, none,
       {0, Origin::Stored}},
      {"recommended", none, none, none, none, Dword(0), {0, Origin::Recommended}},
      {"the computer recommends first", none, none, none, Dword(1), Dword(0),
       {1, Origin::Recommended}},
      {"a stored choice stands", none, none, Dword(0), Dword(1), none, {0, Origin::Stored}},
      {"the user's policy", none, Dword(0), Dword(1), none, none, {0, Origin::UserPolicy}},
      {"the computer's policy", Dword(0), Dword(1), Dword(1), none, none,
       {0, Origin::ComputerPolicy}},
      // Bad policy data is passed over, and what comes next decides.
      {"text", EmulatedRegistry::StringValue("0"), Dword(0), none, none, none,
       {0, Origin::UserPolicy}},
      {"out of range", Dword(2), none, Dword(0), none, none, {0, Origin::Stored}},
      {"negative", none, Dword(0xFFFFFFFF), none, none, none, {1, Origin::Default}},
      {"eight bytes", Value{kRegQword, {0, 0, 0, 0, 0, 0, 0, 0}}, none, none, none, none,
       {1, Origin::Default}},
      {"recommended out of range", none, none, none, Dword(3), Dword(0), {0, Origin::Recommended}},
      // Group Policy writes the computer's policy once, in the 64-bit view.
      {"a 32-bit program", Dword(0), none, none, none, none, {0, Origin::ComputerPolicy},
       EmulatedRegistry::Machine::Windows64Program32},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EmulatedPlatform os;
    os.SetMachine(c.machine);
    EmulatedRegistry& reg = os.registry();
    const auto put = [&](HKEY root, const std::string& path, const std::optional<Value>& value) {
      if (value) reg.PutValue(root, path, kShockwaveFlash.policy, *value);
    };
    put(HkeyLocalMachine(), kPoliciesKey, c.computer);
    put(HkeyCurrentUser(), kPoliciesKey, c.user);
    put(HkeyLocalMachine(), kRecommendedKey, c.computerRecommended);
    put(HkeyCurrentUser(), kRecommendedKey, c.userRecommended);
    if (c.stored) reg.PutValue(HkeyCurrentUser(), kSettingsKey, "4", *c.stored);
    EXPECT_EQ(c.expected, Decide(kShockwaveFlash));
    EXPECT_EQ(0u, reg.OpenHandles());
  }
}

TEST(PoliciesTest, ThePolicyValuesReadAreTheTablesTheyAreNeverWrittenAndTheLogNamesThem) {
  EmulatedPlatform os;
  EmulatedRegistry& reg = os.registry();
  for (HKEY root : {HkeyLocalMachine(), HkeyCurrentUser()}) {
    reg.PutDword(root, kPoliciesKey, "Unrelated", 1);
    reg.PutDword(root, kRecommendedKey, "Unrelated", 1);
  }
  for (const Setting* setting : kManagedSettings) Decide(*setting);
  std::set<std::string> read, expected;
  for (const auto& call : reg.Calls()) {
    if (call.function == "RegQueryValueExA" && call.key.find("Policies") != std::string::npos) {
      read.insert(call.key + " : " + call.name);
    }
  }
  for (const Setting* setting : kManagedSettings) {
    for (const char* root : {"HKLM\\", "HKCU\\"}) {
      expected.insert(root + std::string(kPoliciesKey) + " : " + setting->policy);
      if (setting->Recommendable()) {
        expected.insert(root + kRecommendedKey + " : " + setting->policy);
      }
    }
  }
  EXPECT_EQ(expected, read);

  reg.PutDword(HkeyLocalMachine(), kPoliciesKey, kMonitoring.policy, 1);
  reg.PutDword(HkeyCurrentUser(), kPoliciesKey, kMonitoring.policy, 0);
  reg.PutDword(HkeyCurrentUser(), kPoliciesKey, kShockwaveFlash.policy, 0);
  reg.PutString(HkeyLocalMachine(), kPoliciesKey, kExitOnClose.policy, "1");
  reg.PutDword(HkeyCurrentUser(), kRecommendedKey, kJavaApplets.policy, 5);
  // Monitoring and ShowDemonstration are the administrator's alone: not recommended.
  reg.PutDword(HkeyCurrentUser(), kRecommendedKey, kShowDemonstration.policy, 0);
  const std::string before = reg.Dump(HkeyLocalMachine()) + reg.Dump(HkeyCurrentUser());
  const PolicyReport report = ReadPolicyReport();
  for (const Setting* setting : kManagedSettings) Decide(*setting);
  EXPECT_EQ("Set by your administrator: ShockwaveFlash allowed, Monitoring on", report.LockedLine());
  EXPECT_EQ("Policy values passed over: ExitOnClose (computer, not a DWORD), JavaApplets (user, "
            "recommended, 5 is neither 0 nor 1)",
            report.PassedOverLine());
  EXPECT_EQ((Decision{1, Origin::Default}), Decide(kShowDemonstration));
  EXPECT_EQ(before, reg.Dump(HkeyLocalMachine()) + reg.Dump(HkeyCurrentUser()));

  // A step keeps the policy keys it opened, yet reads each value when a decision needs it, and
  // closes them when it ends.
  {
    const PolicyKeys step;
    EXPECT_EQ((Decision{0, Origin::UserPolicy}), Decide(kShockwaveFlash));
    reg.PutDword(HkeyLocalMachine(), kPoliciesKey, kShockwaveFlash.policy, 1);
    EXPECT_EQ((Decision{1, Origin::ComputerPolicy}), Decide(kShockwaveFlash));
  }
  EXPECT_EQ(0u, reg.OpenHandles());
}

}  // namespace
}  // namespace tarnwick::settings
