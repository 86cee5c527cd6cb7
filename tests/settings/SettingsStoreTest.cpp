#include "settings/SettingsStore.h"

#include <gtest/gtest.h>

#include <climits>

#include "platform/emulated/EmulatedPlatform.h"
#include "settings/RegistryError.h"
#include "tests/support/Errors.h"

namespace tarnwick::settings {
namespace {

using test::MessageOf;

using namespace platform::os;
using platform::emulated::EmulatedPlatform;
using platform::emulated::EmulatedRegistry;
using Value = EmulatedRegistry::Value;

class SettingsStoreTest : public ::testing::Test {
 protected:
  std::optional<Value> Stored(const char* name) {
    return reg_.GetValue(HkeyCurrentUser(), kSettingsKey, name);
  }
  void Put(const char* name, Value value) {
    reg_.PutValue(HkeyCurrentUser(), kSettingsKey, name, std::move(value));
  }

  EmulatedPlatform os_;
  EmulatedRegistry& reg_ = os_.registry();
};

TEST_F(SettingsStoreTest, FirstReadCreatesTheEmptyKeyAndYieldsTheDefault) {
  EXPECT_EQ(0, ReadSettings("101", 0));
  EXPECT_TRUE(reg_.KeyExists(HkeyCurrentUser(), "Software\\Brambleworks\\Tarnwick"));
  EXPECT_EQ("[HKCU]\n[HKCU\\Software]\n[HKCU\\Software\\Brambleworks]\n"
            "[HKCU\\Software\\Brambleworks\\Tarnwick]\n",
            reg_.Dump(HkeyCurrentUser()));
  EXPECT_EQ(0, LaunchCount());
}

TEST_F(SettingsStoreTest, ValuesOfEveryShapeReadAsTheRulesSay) {
  struct Case {
    const char* what;
    Value stored;
    int defaultValue;
    int expected;
  };
  const std::vector<BYTE> bigText(5000, 'x');
  const Case cases[] = {
      {"dword", EmulatedRegistry::DwordValue(2), 1, 2},
      {"negative dword", EmulatedRegistry::DwordValue(0xFFFFFFFF), 1, -1},
      {"string zero", EmulatedRegistry::StringValue("0"), 1, 0},
      {"string yes", EmulatedRegistry::StringValue("yes"), 1, 1},
      {"string hex", EmulatedRegistry::StringValue("$10"), 1, 16},
      {"empty string", EmulatedRegistry::StringValue(""), 5, 5},
      {"string without terminator", Value{kRegSz, {'4', '2'}}, 1, 42},
      {"long string", Value{kRegSz, bigText}, 3, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Put("103", c.stored);
    EXPECT_EQ(c.expected, ReadSettings("103", c.defaultValue));
  }
}

TEST_F(SettingsStoreTest, ValuesOfOtherTypesRaiseTheirMessages) {
  Put("1", Value{kRegBinary, {1, 0, 0, 0}});
  Put("2", Value{kRegBinary, std::vector<BYTE>(100000, 1)});
  Put("3", Value{kRegQword, {1, 0, 0, 0, 0, 0, 0, 0}});
  Put("4", Value{kRegMultiSz, {'1', 0, 0}});
  EXPECT_EQ("Invalid data type for '1'", MessageOf([] { ReadSettings("1", 0); }));
  EXPECT_EQ("Failed to get data for '2'", MessageOf([] { ReadSettings("2", 0); }));
  EXPECT_EQ("Failed to get data for '3'", MessageOf([] { ReadSettings("3", 0); }));
  EXPECT_EQ("Invalid data type for '4'", MessageOf([] { ReadSettings("4", 0); }));
}

TEST_F(SettingsStoreTest, SaveReplacesAnyEarlierValueWithADword) {
  Put("2", EmulatedRegistry::StringValue("yes"));
  SaveSettings("2", 1);
  EXPECT_EQ(EmulatedRegistry::DwordValue(1), Stored("2"));
  SaveSettings("i", 0);
  EXPECT_EQ(EmulatedRegistry::DwordValue(0), Stored("i"));
}

TEST_F(SettingsStoreTest, AWriteThatIsRefusedRaisesTheSetMessage) {
  reg_.FailCall("RegSetValueExA", kErrorAccessDenied);
  EXPECT_EQ("Failed to set data for '3'", MessageOf([] { SaveSettings("3", 1); }));
}

TEST_F(SettingsStoreTest, WithoutAUsableKeyReadsGiveDefaultsAndWritesSayTheyFailed) {
  reg_.DenyWrites(HkeyCurrentUser());
  EXPECT_EQ(7, ReadSettings("1", 7));
  EXPECT_EQ("Failed to set data for '1'", MessageOf([] { SaveSettings("1", 0); }));
  EXPECT_EQ("Failed to set data for 'Ypos'", MessageOf([] { RecordLaunch(); }));
  EXPECT_FALSE(reg_.KeyExists(HkeyCurrentUser(), kSettingsKey));
  EXPECT_EQ(0, LaunchCount());
}

TEST_F(SettingsStoreTest, AQueryThatFailsIsNoAbsentValue) {
  Put("Ypos", EmulatedRegistry::DwordValue(7));
  Put("2", EmulatedRegistry::DwordValue(1));
  // Taken as absent, the counter would start again from 0 and a stored ban would read as allowed.
  reg_.FailCall("RegQueryValueExA", kErrorAccessDenied, 1, "Ypos");
  EXPECT_EQ("Failed to get data for 'Ypos'", MessageOf([] { RecordLaunch(); }));
  reg_.FailCall("RegQueryValueExA", kErrorAccessDenied, 1, "2");
  EXPECT_EQ("Failed to get data for '2'", MessageOf([] { ReadSettings("2", 0); }));
  EXPECT_EQ(7, LaunchCount());
}

TEST_F(SettingsStoreTest, EveryReadGoesToTheRegistry) {
  EXPECT_EQ(0, ReadSettings("102", 0));
  Put("102", EmulatedRegistry::DwordValue(1));
  EXPECT_EQ(1, ReadSettings("102", 0));
}

TEST_F(SettingsStoreTest, LaunchCounterCountsFromZero) {
  struct Case {
    std::optional<DWORD> before;
    DWORD after;
  };
  const Case cases[] = {{std::nullopt, 0}, {0, 1}, {7, 8}, {0x7FFFFFFF, 0x80000000u}, {0xFFFFFFFF, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.before ? std::to_string(*c.before) : "missing");
    EmulatedPlatform fresh;
    auto& reg = fresh.registry();
    if (c.before) reg.PutDword(HkeyCurrentUser(), kSettingsKey, "Ypos", *c.before);
    RecordLaunch();
    EXPECT_EQ(EmulatedRegistry::DwordValue(c.after), reg.GetValue(HkeyCurrentUser(), kSettingsKey, "Ypos"));
    EXPECT_EQ(static_cast<std::int32_t>(c.after), LaunchCount());
  }
}

TEST_F(SettingsStoreTest, ALaunchCounterOfAnotherTypeRaisesAndIsKept) {
  Put("Ypos", EmulatedRegistry::StringValue("7"));
  EXPECT_EQ("Invalid data type for 'Ypos'", MessageOf([] { LaunchCount(); }));
  EXPECT_EQ("Invalid data type for 'Ypos'", MessageOf([] { RecordLaunch(); }));
  EXPECT_EQ(EmulatedRegistry::StringValue("7"), Stored("Ypos"));
}

TEST_F(SettingsStoreTest, CallsLeaveNoKeyOpen) {
  ReadSettings("1", 1);
  SaveSettings("1", 0);
  RecordLaunch();
  LaunchCount();
  EXPECT_EQ(0u, reg_.OpenHandles());
}

}  // namespace
}  // namespace tarnwick::settings
