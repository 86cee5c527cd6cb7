#include "blocking/ContentPolicies.h"

#include <gtest/gtest.h>

#include <memory>

#include "blocking/ContentKinds.h"
#include "platform/emulated/EmulatedPlatform.h"
#include "settings/RegistryError.h"
#include "settings/SettingsStore.h"
#include "tests/support/BrowserSwitches.h"
#include "tests/support/Errors.h"

namespace tarnwick::blocking {
namespace {

using test::MessageOf;

using namespace platform::os;
using platform::emulated::EmulatedPlatform;
using platform::emulated::EmulatedRegistry;
using Value = EmulatedRegistry::Value;
using Windows = EmulatedPlatform::Machine;

constexpr const char* kMain = test::kMainKey;
constexpr const char* kFlash = test::kFlashKey;
constexpr const char* kShockwave = test::kShockwaveKey;
constexpr const char* kZone = test::kZoneKey;

Value Text(const char* text) { return EmulatedRegistry::StringValue(text); }
Value Dword(DWORD value) { return EmulatedRegistry::DwordValue(value); }

class ContentPoliciesTest : public ::testing::Test {
 protected:
  ContentPoliciesTest() {
    for (int i = 0; i < 5; ++i) {
      auto& group = groups_[i];
      group = std::make_unique<ui::RadioGroup>();
      group->SetTag(i + 1);
      group->BeginLoading();
      group->SetItems({"Yes", "No"});
      group->SetItemIndex(ContentKinds()[i].DefaultChoice());
      group->OnClick = [](ui::Component& sender) {
        ApplyChoice(sender.Tag(), static_cast<ui::RadioGroup&>(sender).ItemIndex());
      };
      group->EndLoading();
    }
  }

  std::array<ui::RadioGroup*, 5> Groups() {
    return {groups_[0].get(), groups_[1].get(), groups_[2].get(), groups_[3].get(),
            groups_[4].get()};
  }
  std::array<int, 5> Indexes() {
    std::array<int, 5> out{};
    for (int i = 0; i < 5; ++i) out[i] = groups_[i]->ItemIndex();
    return out;
  }
  std::optional<Value> User(const char* path, const char* name) {
    return reg_.GetValue(HkeyCurrentUser(), path, name);
  }
  std::optional<Value> Machine(const char* path, const char* name) {
    return reg_.GetValue(HkeyLocalMachine(), path, name);
  }
  std::optional<Value> Setting(int kind) {
    return reg_.GetValue(HkeyCurrentUser(), settings::kSettingsKey, std::to_string(kind));
  }
  // Every value written outside the settings key.
  std::vector<std::string> BrowserWrites() {
    std::vector<std::string> out;
    for (const auto& call : reg_.Calls()) {
      if (call.function == "RegSetValueExA" &&
          call.key != std::string("HKCU\\") + settings::kSettingsKey) {
        out.push_back(call.key + " : " + call.name);
      }
    }
    return out;
  }

  EmulatedPlatform os_;
  EmulatedRegistry& reg_ = os_.registry();
  std::array<std::unique_ptr<ui::RadioGroup>, 5> groups_;
};

TEST_F(ContentPoliciesTest, EachChoiceWritesItsKindsSwitchInEveryViewOfTheMachine) {
  for (const Windows machine : {Windows::Windows64, Windows::Windows64Program32, Windows::Windows32}) {
    const bool windows64 = machine != Windows::Windows32;
    for (const test::BrowserSwitch& s : test::BrowserSwitches()) {
      for (const int index : {0, 1, 2, -1}) {  // every index but 0 bans
        SCOPED_TRACE(testing::Message() << "machine " << static_cast<int>(machine) << " kind "
                                        << s.kind << " index " << index);
        EmulatedPlatform fresh;
        fresh.SetMachine(machine);
        auto& reg = fresh.registry();
        const HKEY root = s.machine ? HkeyLocalMachine() : HkeyCurrentUser();
        std::vector<std::string> paths;
        for (const char* key : s.keys) {
          for (const std::string& path : s.machine ? test::MachinePaths(key, windows64)
                                                   : std::vector<std::string>{key}) {
            paths.push_back(path);
            reg.PutDword(root, path, s.name, 7);  // what the browser held before
          }
        }
        ApplyChoice(s.kind, index);
        const test::SwitchValue& want = index == 0 ? s.allow : s.ban;
        for (const std::string& path : paths) {
          SCOPED_TRACE(path);
          if (want.kind == test::SwitchValue::Kind::KeyErased) {
            EXPECT_FALSE(reg.KeyExists(root, path));
          } else {
            EXPECT_EQ(want.kind == test::SwitchValue::Kind::Text ? Text(want.text) : Dword(want.number),
                      reg.GetValue(root, path, s.name));
          }
        }
        EXPECT_EQ(windows64 && s.machine, reg.KeyExists(HkeyLocalMachine(), "SOFTWARE\\Wow6432Node"));
        EXPECT_EQ(Dword(static_cast<DWORD>(index)),
                  reg.GetValue(HkeyCurrentUser(), settings::kSettingsKey, std::to_string(s.kind)));
        EXPECT_EQ(0u, reg.OpenHandles());
      }
    }
  }
}

TEST_F(ContentPoliciesTest, AllowingFlashRemovesBothClassKeysWholeAndBanningMakesThemBare) {
  for (const std::string& flash : test::MachinePaths(kFlash)) {
    reg_.PutDword(HkeyLocalMachine(), flash, "Compatibility Flags", 0x400);
    reg_.PutString(HkeyLocalMachine(), flash, "Other", "kept?");
  }
  for (const std::string& shockwave : test::MachinePaths(kShockwave)) {
    reg_.PutDword(HkeyLocalMachine(), shockwave + "\\Sub\\Deeper", "x", 1);
  }

  ApplyChoice(4, 0);
  for (const std::string& flash : test::MachinePaths(kFlash)) {
    EXPECT_FALSE(reg_.KeyExists(HkeyLocalMachine(), flash));
    EXPECT_TRUE(reg_.KeyExists(HkeyLocalMachine(), flash.substr(0, flash.rfind('\\'))));
  }
  for (const std::string& shockwave : test::MachinePaths(kShockwave)) {
    EXPECT_FALSE(reg_.KeyExists(HkeyLocalMachine(), shockwave));
  }
  EXPECT_NO_THROW(ApplyChoice(4, 0));  // nothing to delete is no error

  ApplyChoice(4, 1);
  const std::string bare = "\"Compatibility Flags\"=REG_DWORD:0x00000400\n";
  const std::string dump = reg_.Dump(HkeyLocalMachine());
  EXPECT_NE(std::string::npos, dump.find("{166B1BCA-3F9C-11CF-8075-444553540000}]\n" + bare + "["));
  EXPECT_NE(std::string::npos, dump.find("{D27CDB6E-AE6D-11CF-96B8-444553540000}]\n" + bare));
  EXPECT_EQ(std::string::npos, dump.find("Other"));
}

TEST_F(ContentPoliciesTest, AnUnknownKindIsStoredAndWritesNothingElse) {
  ApplyChoice(7, 1);
  EXPECT_EQ(Dword(1), Setting(7));
  EXPECT_TRUE(BrowserWrites().empty());
}

TEST_F(ContentPoliciesTest, TheChoiceIsStoredBeforeTheBrowserSwitchAndStaysWhenItFails) {
  reg_.DenyWrites(HkeyLocalMachine());
  EXPECT_EQ("Failed to set data for 'Compatibility Flags'", MessageOf([] { ApplyChoice(4, 1); }));
  EXPECT_EQ(Dword(1), Setting(4));

  reg_.ClearCalls();
  ApplyChoice(1, 0);
  std::vector<std::string> writes;
  for (const auto& call : reg_.Calls()) {
    if (call.function == "RegSetValueExA") writes.push_back(call.name);
  }
  EXPECT_EQ((std::vector<std::string>{"1", "Display Inline Videos"}), writes);
}

TEST_F(ContentPoliciesTest, AllowingFlashWhereAKeyCannotBeDeletedSaysSoAndMissingKeysDoNot) {
  EXPECT_NO_THROW(ApplyChoice(4, 0));  // nothing there: allowed already
  reg_.PutDword(HkeyLocalMachine(), kFlash, "Compatibility Flags", 0x400);
  reg_.DenyWrites(HkeyLocalMachine());
  EXPECT_EQ("Failed to set data for 'Compatibility Flags'", MessageOf([] { ApplyChoice(4, 0); }));
  EXPECT_EQ(Dword(0x400), Machine(kFlash, "Compatibility Flags"));
  EXPECT_EQ(Dword(0), Setting(4));
}

TEST_F(ContentPoliciesTest, PresetsSetEveryGroupAndStoreEveryChoice) {
  struct Case {
    int preset;
    std::array<int, 5> indexes;
  };
  const Case cases[] = {{0, {0, 0, 0, 0, 0}}, {1, {1, 1, 1, 1, 1}}, {2, {1, 0, 0, 1, 1}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.preset);
    SelectPreset(c.preset, Groups());
    EXPECT_EQ(c.indexes, Indexes());
    for (int kind = 1; kind <= 5; ++kind) {
      EXPECT_EQ(Dword(static_cast<DWORD>(c.indexes[kind - 1])), Setting(kind)) << "kind " << kind;
    }
  }
}

TEST_F(ContentPoliciesTest, YesToAllThenNoToAllWritesEverySwitch) {
  SelectPreset(0, Groups());
  EXPECT_FALSE(User(kMain, "Play_Animations"));  // an unchanged kind writes nothing ...
  EXPECT_EQ(Text("Yes"), User(kMain, "Display Inline Videos"));  // ... a changed one does
  EXPECT_EQ(Dword(0x10000), User(kZone, "1C00"));
  EXPECT_FALSE(reg_.KeyExists(HkeyLocalMachine(), kFlash));

  SelectPreset(1, Groups());
  EXPECT_EQ(Text("No"), User(kMain, "Display Inline Videos"));
  EXPECT_EQ(Text("No"), User(kMain, "Play_Animations"));
  EXPECT_EQ(Text("No"), User(kMain, "Play_Background_Sounds"));
  EXPECT_EQ(Dword(0x400), Machine(kFlash, "Compatibility Flags"));
  EXPECT_EQ(Dword(0x400), Machine(kShockwave, "Compatibility Flags"));
  EXPECT_EQ(Dword(0), User(kZone, "1C00"));
}

TEST_F(ContentPoliciesTest, APresetThatChangesNoGroupOnlyStoresTheChoices) {
  SelectPreset(1, Groups());
  reg_.ClearCalls();
  SelectPreset(1, Groups());
  EXPECT_TRUE(BrowserWrites().empty());
  EXPECT_EQ(5u, reg_.CallCount("RegSetValueExA"));
}

TEST_F(ContentPoliciesTest, APresetStopsAtTheKindWhoseSwitchFails) {
  SelectPreset(0, Groups());
  reg_.DenyWrites(HkeyLocalMachine());
  EXPECT_EQ("Failed to set data for 'Compatibility Flags'",
            MessageOf([&] { SelectPreset(1, Groups()); }));
  EXPECT_EQ((std::array<int, 5>{1, 1, 1, 1, 0}), Indexes());
  EXPECT_EQ(Dword(1), Setting(4));
  EXPECT_EQ(Dword(0), Setting(5));
  EXPECT_EQ(Dword(0x10000), User(kZone, "1C00"));
}

TEST_F(ContentPoliciesTest, PresetsOutsideTheThreeDoNothing) {
  for (int preset : {-1, 3, 100}) SelectPreset(preset, Groups());
  EXPECT_TRUE(reg_.Calls().empty());
}

TEST_F(ContentPoliciesTest, ReapplyOnAFreshMachineBansTheDefaultKinds) {
  ReapplyBans();
  EXPECT_EQ(Text("No"), User(kMain, "Display Inline Videos"));
  EXPECT_FALSE(User(kMain, "Play_Animations"));
  EXPECT_FALSE(User(kMain, "Play_Background_Sounds"));
  EXPECT_EQ(Dword(0x400), Machine(kFlash, "Compatibility Flags"));
  EXPECT_EQ(Dword(0x400), Machine(kShockwave, "Compatibility Flags"));
  EXPECT_EQ(Dword(0), User(kZone, "1C00"));
  EXPECT_EQ(0u, reg_.OpenHandles());
}

TEST_F(ContentPoliciesTest, ReapplyBansOnlyStoredChoicesOfExactlyOneAndSkipsAnUnreadableOne) {
  const DWORD stored[5] = {0, 1, 2, 0xFFFFFFFF, 1};
  for (int kind = 2; kind <= 5; ++kind) {
    reg_.PutDword(HkeyCurrentUser(), settings::kSettingsKey, std::to_string(kind), stored[kind - 1]);
  }
  reg_.PutValue(HkeyCurrentUser(), settings::kSettingsKey, "1", Value{kRegBinary, {1, 2, 3, 4, 5}});
  EXPECT_EQ("Failed to get data for '1'", MessageOf([] { ReapplyBans(); }));
  EXPECT_EQ(Text("No"), User(kMain, "Play_Animations"));  // the other kinds' bans all the same
  EXPECT_EQ(Dword(0), User(kZone, "1C00"));
  reg_.PutDword(HkeyCurrentUser(), settings::kSettingsKey, "1", stored[0]);
  reg_.PutString(HkeyCurrentUser(), kMain, "Display Inline Videos", "Yes");
  ReapplyBans();
  EXPECT_EQ(Text("Yes"), User(kMain, "Display Inline Videos"));  // allowed is never written back
  EXPECT_EQ(Text("No"), User(kMain, "Play_Animations"));
  EXPECT_FALSE(User(kMain, "Play_Background_Sounds"));
  EXPECT_FALSE(reg_.KeyExists(HkeyLocalMachine(), kFlash));
  EXPECT_EQ(Dword(0), User(kZone, "1C00"));
}

TEST_F(ContentPoliciesTest, ReapplyStopsAtADeniedFlashBanAndLeavesJavaForTheNextPass) {
  reg_.DenyWrites(HkeyLocalMachine());
  EXPECT_EQ("Failed to set data for 'Compatibility Flags'", MessageOf([] { ReapplyBans(); }));
  EXPECT_EQ(Text("No"), User(kMain, "Display Inline Videos"));
  EXPECT_FALSE(User(kZone, "1C00"));
  EXPECT_EQ(0u, reg_.OpenHandles());

  reg_.DenyWrites(HkeyLocalMachine(), false);
  ReapplyBans();
  EXPECT_EQ(Dword(0), User(kZone, "1C00"));
}

TEST_F(ContentPoliciesTest, ReapplyMakesExactlyTheCallsOfItsAlgorithm) {
  SelectPreset(1, Groups());
  reg_.ClearCalls();
  ReapplyBans();
  std::vector<std::string> calls;
  for (const auto& call : reg_.Calls()) {
    calls.push_back(call.function + " " + call.key + (call.name.empty() ? "" : " : " + call.name));
  }
  const std::string settingsKey = std::string("HKCU\\") + settings::kSettingsKey;
  // The computer's policy, then the user's, decide before the stored choice: none here.
  auto settingsRead = [&](const char* name) {
    return std::vector<std::string>{
        "RegOpenKeyExA HKLM : " + std::string(settings::kPoliciesKey),
        "RegOpenKeyExA HKCU : " + std::string(settings::kPoliciesKey),
        "RegCreateKeyExA HKCU : " + std::string(settings::kSettingsKey),
        "RegOpenKeyExA " + settingsKey,
        "RegQueryValueExA " + settingsKey + " : " + name,
        "RegQueryValueExA " + settingsKey + " : " + name,
        "RegCloseKey " + settingsKey,
        "RegCloseKey " + settingsKey,
    };
  };
  std::vector<std::string> expected;
  auto add = [&](std::vector<std::string> more) { expected.insert(expected.end(), more.begin(), more.end()); };
  const std::string main = std::string("HKCU\\") + kMain;
  add(settingsRead("1"));
  add({"RegCreateKeyExA HKCU : " + std::string(kMain), "RegSetValueExA " + main + " : Display Inline Videos"});
  add(settingsRead("2"));
  add({"RegSetValueExA " + main + " : Play_Animations"});
  add(settingsRead("3"));
  add({"RegSetValueExA " + main + " : Play_Background_Sounds"});
  add(settingsRead("4"));
  add({"RegCloseKey " + main});
  // The kill bits in the 64-bit view, then in the 32-bit one.
  const auto flash = test::MachinePaths(kFlash);
  const auto shockwave = test::MachinePaths(kShockwave);
  for (std::size_t view = 0; view < 2; ++view) {
    if (view == 1) add({"RegCloseKey HKLM\\" + shockwave[0]});
    add({"RegCreateKeyExA HKLM : " + std::string(kFlash),
         "RegSetValueExA HKLM\\" + flash[view] + " : Compatibility Flags",
         "RegCloseKey HKLM\\" + flash[view],
         "RegCreateKeyExA HKLM : " + std::string(kShockwave),
         "RegSetValueExA HKLM\\" + shockwave[view] + " : Compatibility Flags"});
  }
  add(settingsRead("5"));
  add({"RegCloseKey HKLM\\" + shockwave[1],
       "RegCreateKeyExA HKCU : " + std::string(kZone),
       "RegSetValueExA HKCU\\" + std::string(kZone) + " : 1C00",
       "RegCloseKey HKCU\\" + std::string(kZone)});
  EXPECT_EQ(expected, calls);
}

}  // namespace
}  // namespace tarnwick::blocking
