#include "blocking/ContentPolicies.h"

#include <gtest/gtest.h>

#include <memory>

#include "blocking/ContentKinds.h"
#include "platform/emulated/EmulatedPlatform.h"
#include "settings/RegistryError.h"
#include "settings/SettingsStore.h"
#include "tests/support/Errors.h"

namespace tarnwick::blocking {
namespace {

using test::MessageOf;

using namespace platform::os;
using platform::emulated::EmulatedPlatform;
using platform::emulated::EmulatedRegistry;
using Value = EmulatedRegistry::Value;

constexpr const char* kMain = "Software\\Microsoft\\Internet Explorer\\Main";
constexpr const char* kFlash =
    "SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\"
    "{D27CDB6E-AE6D-11CF-96B8-444553540000}";
constexpr const char* kShockwave =
    "SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\"
    "{166B1BCA-3F9C-11CF-8075-444553540000}";
constexpr const char* kZone = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3";

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
      group->SetItemIndex(ContentKinds()[i].defaultChoice);
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

TEST_F(ContentPoliciesTest, EachChoiceWritesItsKindsSwitch) {
  struct Case {
    int kind;
    int index;
    bool localMachine;
    const char* path;
    const char* name;
    Value expected;
  };
  const Case cases[] = {
      {1, 0, false, kMain, "Display Inline Videos", Text("Yes")},
      {1, 1, false, kMain, "Display Inline Videos", Text("No")},
      {2, 0, false, kMain, "Play_Animations", Text("Yes")},
      {2, 1, false, kMain, "Play_Animations", Text("No")},
      {3, 0, false, kMain, "Play_Background_Sounds", Text("Yes")},
      {3, 1, false, kMain, "Play_Background_Sounds", Text("No")},
      {4, 1, true, kFlash, "Compatibility Flags", Dword(0x400)},
      {4, 1, true, kShockwave, "Compatibility Flags", Dword(0x400)},
      {5, 0, false, kZone, "1C00", Dword(0x10000)},
      {5, 1, false, kZone, "1C00", Dword(0)},
      {2, 2, false, kMain, "Play_Animations", Text("No")},   // every index but 0 bans
      {2, -1, false, kMain, "Play_Animations", Text("No")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << " index " << c.index);
    EmulatedPlatform fresh;
    ApplyChoice(c.kind, c.index);
    auto& reg = fresh.registry();
    EXPECT_EQ(c.expected, reg.GetValue(c.localMachine ? HkeyLocalMachine() : HkeyCurrentUser(),
                                       c.path, c.name));
    EXPECT_EQ(Dword(static_cast<DWORD>(c.index)),
              reg.GetValue(HkeyCurrentUser(), settings::kSettingsKey, std::to_string(c.kind)));
    EXPECT_EQ(0u, reg.OpenHandles());
  }
}

TEST_F(ContentPoliciesTest, AllowingFlashRemovesBothClassKeysWholeAndBanningMakesThemBare) {
  reg_.PutDword(HkeyLocalMachine(), kFlash, "Compatibility Flags", 0x400);
  reg_.PutString(HkeyLocalMachine(), kFlash, "Other", "kept?");
  reg_.PutDword(HkeyLocalMachine(), std::string(kShockwave) + "\\Sub\\Deeper", "x", 1);

  ApplyChoice(4, 0);
  EXPECT_FALSE(reg_.KeyExists(HkeyLocalMachine(), kFlash));
  EXPECT_FALSE(reg_.KeyExists(HkeyLocalMachine(), kShockwave));
  EXPECT_TRUE(reg_.KeyExists(HkeyLocalMachine(),
                             "SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility"));
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

TEST_F(ContentPoliciesTest, ReapplyBansOnlyStoredChoicesOfExactlyOne) {
  const DWORD stored[5] = {0, 1, 2, 0xFFFFFFFF, 1};
  for (int kind = 1; kind <= 5; ++kind) {
    reg_.PutDword(HkeyCurrentUser(), settings::kSettingsKey, std::to_string(kind), stored[kind - 1]);
  }
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
  auto settingsRead = [&](const char* name) {
    return std::vector<std::string>{
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
  add({"RegCloseKey " + main,
       "RegCreateKeyExA HKLM : " + std::string(kFlash),
       "RegSetValueExA HKLM\\" + std::string(kFlash) + " : Compatibility Flags",
       "RegCloseKey HKLM\\" + std::string(kFlash),
       "RegCreateKeyExA HKLM : " + std::string(kShockwave),
       "RegSetValueExA HKLM\\" + std::string(kShockwave) + " : Compatibility Flags"});
  add(settingsRead("5"));
  add({"RegCloseKey HKLM\\" + std::string(kShockwave),
       "RegCreateKeyExA HKCU : " + std::string(kZone),
       "RegSetValueExA HKCU\\" + std::string(kZone) + " : 1C00",
       "RegCloseKey HKCU\\" + std::string(kZone)});
  EXPECT_EQ(expected, calls);
}

}  // namespace
}  // namespace tarnwick::blocking
