// One suite for both registries: natively it runs on the emulated one, on Windows (and Wine) on
// advapi32. Each test works below a key of its own.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/Owners.h"
#include "settings/RegAccessor.h"
#include "settings/RegistryError.h"
#include "tests/support/RegistryTestKey.h"
#include "tests/support/TestPlatform.h"
#include "tests/support/Errors.h"

namespace tarnwick {
namespace {

using test::MessageOf;

using namespace platform::os;
using platform::Reg;
using platform::RegKey;
using settings::ERegistryError;
using settings::TRegAccessor;
using settings::TRegKeyReader;
using settings::TSettingsReader;

class RegistryConformance : public ::testing::Test {
 protected:
  void SetUp() override { base_ = test::UniqueTestKey(); }
  void TearDown() override {
    test::EraseTestKey(HkeyCurrentUser(), base_);
    for (const REGSAM view : settings::MachineViews()) {
      test::EraseTestKey(HkeyLocalMachine(), base_, view);
    }
  }

  // Absolute accessor path of `sub` below the test's key.
  std::string Abs(const std::string& sub = "") const {
    return "\\" + base_ + (sub.empty() ? "" : "\\" + sub);
  }
  std::string Rel(const std::string& sub) const { return base_ + "\\" + sub; }

  bool KeyExists(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    LONG result = Reg().RegOpenKeyExA(root, path.c_str(), 0, kKeyRead, &key);
    RegKey owner(result == kErrorSuccess ? key : nullptr);
    return result == kErrorSuccess;
  }

  RegKey CreateRaw(const std::string& path) {
    HKEY key = nullptr;
    EXPECT_EQ(kErrorSuccess, Reg().RegCreateKeyExA(HkeyCurrentUser(), path.c_str(), 0, nullptr, 0,
                                                   kKeyAllAccess, nullptr, &key, nullptr));
    return RegKey(key);
  }

  void SetRaw(const std::string& path, const std::string& name, DWORD type,
              const std::vector<BYTE>& data) {
    RegKey key = CreateRaw(path);
    ASSERT_EQ(kErrorSuccess, Reg().RegSetValueExA(key.Get(), name.c_str(), 0, type, data.data(),
                                                  static_cast<DWORD>(data.size())));
  }

  static std::vector<BYTE> Bytes(const std::string& text, bool terminate = true) {
    std::vector<BYTE> data(text.begin(), text.end());
    if (terminate) data.push_back(0);
    return data;
  }


  test::TestPlatform os_;
  std::string base_;
};

// --- Path resolution and OpenPath ------------------------------------------------------------

TEST_F(RegistryConformance, OpenPathWithCreateMakesTheKeyAndItsMissingParents) {
  TRegAccessor accessor;
  EXPECT_TRUE(accessor.OpenPath(Rel("A\\B\\C"), true));
  EXPECT_TRUE(accessor.HasOpenKey());
  EXPECT_TRUE(KeyExists(HkeyCurrentUser(), Rel("A\\B\\C")));
}

TEST_F(RegistryConformance, OpenPathWithoutCreateFailsOnAMissingKeyAndKeepsTheOpenOne) {
  TRegAccessor accessor;
  ASSERT_TRUE(accessor.OpenPath(Abs("Kept"), true));
  EXPECT_FALSE(accessor.OpenPath(Abs("Missing"), false));
  EXPECT_FALSE(KeyExists(HkeyCurrentUser(), Rel("Missing")));
  accessor.WriteDword("v", 7);  // lands in the key that stayed open
  TRegAccessor reader;
  ASSERT_TRUE(reader.OpenPath(Abs("Kept"), false));
  EXPECT_EQ(7, reader.ReadDword("v"));
}

TEST_F(RegistryConformance, AbsolutePathsResolveFromTheRootAndRelativeOnesBelowTheOpenKey) {
  TRegAccessor accessor;
  ASSERT_TRUE(accessor.OpenPath(Abs("Outer"), true));
  ASSERT_TRUE(accessor.OpenPath("Inner", true));  // relative: below Outer
  EXPECT_TRUE(KeyExists(HkeyCurrentUser(), Rel("Outer\\Inner")));
  ASSERT_TRUE(accessor.OpenPath(Abs("Other"), true));  // absolute: from the root again
  EXPECT_TRUE(KeyExists(HkeyCurrentUser(), Rel("Other")));
  EXPECT_FALSE(KeyExists(HkeyCurrentUser(), Rel("Outer\\Inner\\Other")));
}

TEST_F(RegistryConformance, NamesCompareWithoutCaseAndKeepTheirFirstSpelling) {
  TRegAccessor accessor;
  ASSERT_TRUE(accessor.OpenPath(Abs("MixedCase"), true));
  accessor.WriteText("Value", "one");
  ASSERT_TRUE(accessor.OpenPath(Abs("MIXEDCASE"), true));
  accessor.WriteText("VALUE", "two");
  EXPECT_EQ("two", accessor.ReadText("value"));

  RegKey parent = CreateRaw(base_);
  char name[64];
  DWORD length = sizeof name;
  ASSERT_EQ(kErrorSuccess, Reg().RegEnumKeyExA(parent.Get(), 0, name, &length, nullptr, nullptr,
                                               nullptr, nullptr));
  EXPECT_STREQ("MixedCase", name);
  EXPECT_EQ(9u, length);
}

TEST_F(RegistryConformance, TrailingBackslashIsPassedOnAndAccepted) {
  TRegAccessor accessor;
  EXPECT_TRUE(accessor.OpenPath(Abs("Trail\\"), true));
  EXPECT_TRUE(KeyExists(HkeyCurrentUser(), Rel("Trail")));
  TRegAccessor again;
  EXPECT_TRUE(again.OpenPath(Abs("Trail\\"), false));
}

TEST_F(RegistryConformance, EmptyPathOpensASecondHandleOnTheBase) {
  TRegAccessor accessor;
  ASSERT_TRUE(accessor.OpenPath(Abs("Self"), true));
  accessor.WriteDword("here", 1);
  EXPECT_TRUE(accessor.OpenPath("", false));
  EXPECT_TRUE(accessor.OpenPath("", true));
  EXPECT_EQ(1, accessor.ReadDword("here"));

  TRegAccessor atRoot;
  EXPECT_TRUE(atRoot.OpenPath("", false));  // the root itself
  EXPECT_TRUE(atRoot.HasOpenKey());
  atRoot.ClosePath();  // closing the root's own handle leaves the root usable
  EXPECT_TRUE(atRoot.OpenPath(Abs("Self"), false));
}

TEST_F(RegistryConformance, OverlongNamesAndPathsAreRefusedAndCreateNothing) {
  RegKey base = CreateRaw(base_);
  struct Case {
    std::string subKey;
    LONG expected;
  };
  const Case cases[] = {
      {std::string(256, 'k'), kErrorSuccess},
      {std::string(257, 'k'), kErrorInvalidParameter},
      {std::string(260, 'k'), kErrorInvalidParameter},
      {std::string(261, 'k'), kErrorMoreData},  // the ANSI path itself is too long
      {"a\\" + std::string(258, 'k'), kErrorInvalidParameter},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.subKey.size());
    HKEY key = nullptr;
    EXPECT_EQ(c.expected, Reg().RegCreateKeyExA(base.Get(), c.subKey.c_str(), 0, nullptr, 0,
                                                kKeyAllAccess, nullptr, &key, nullptr));
    RegKey owner(c.expected == kErrorSuccess ? key : nullptr);
  }
  TRegAccessor accessor;
  EXPECT_FALSE(accessor.OpenPath(Abs(std::string(250, 'k')), true));  // over 260 in all
  EXPECT_FALSE(accessor.HasOpenKey());
  DWORD subKeys = 9;
  ASSERT_EQ(kErrorSuccess, Reg().RegQueryInfoKeyA(base.Get(), nullptr, nullptr, nullptr, &subKeys,
                                                  nullptr, nullptr, nullptr, nullptr, nullptr,
                                                  nullptr, nullptr));
  EXPECT_EQ(2u, subKeys);  // the 256-character key, and "a", made before its child was refused
}

TEST_F(RegistryConformance, EmptyNamesInAPathAreSkippedButALeadingBackslashIsRefused) {
  TRegAccessor accessor;
  // "\\\\X" keeps one backslash after the root's is removed; a path may not begin with one.
  EXPECT_FALSE(accessor.OpenPath("\\" + Abs("Lead"), true));
  EXPECT_TRUE(accessor.OpenPath(Abs("A\\\\B\\\\"), true));
  accessor.WriteDword("v", 5);
  TRegAccessor reader;
  ASSERT_TRUE(reader.OpenPath(Abs("A\\B"), false));
  EXPECT_EQ(5, reader.ReadDword("v"));
}

TEST_F(RegistryConformance, StringsAreStoredWithTheSizeGiven) {
  const BYTE unterminated[] = {'a', 'b', 'x'};  // the byte after the data is no zero
  RegKey key = CreateRaw(base_);
  ASSERT_EQ(kErrorSuccess, Reg().RegSetValueExA(key.Get(), "sz", 0, kRegSz, unterminated, 2));
  ASSERT_EQ(kErrorSuccess, Reg().RegSetValueExA(key.Get(), "empty", 0, kRegSz, unterminated, 0));
  for (auto [name, size] : {std::pair{"sz", 2u}, std::pair{"empty", 0u}}) {
    DWORD actual = 99;
    ASSERT_EQ(kErrorSuccess, Reg().RegQueryValueExA(key.Get(), name, nullptr, nullptr, nullptr, &actual));
    EXPECT_EQ(size, actual) << name;
  }
  TRegAccessor accessor;
  ASSERT_TRUE(accessor.OpenPath(Abs(), false));
  EXPECT_EQ("ab", accessor.ReadText("sz"));
  EXPECT_EQ("", accessor.ReadText("empty"));
}

// --- The two views of HKLM\\Software on 64-bit Windows ----------------------------------------

TEST_F(RegistryConformance, EachWidthHasItsViewOfTheMachinesSoftwareAndTheFlagsChooseOne) {
  // Natively each kind of machine in turn; on Windows the one it is.
#ifdef _WIN32
  const bool program32 = sizeof(void*) == 4;
  const std::vector<int> machines = {0};
#else
  using Machine = platform::emulated::EmulatedRegistry::Machine;
  bool program32 = false;
  const std::vector<Machine> machines = {Machine::Windows64, Machine::Windows64Program32,
                                         Machine::Windows32};
#endif
  for ([[maybe_unused]] const auto machine : machines) {
#ifndef _WIN32
    os_.SetMachine(machine);
    program32 = machine != Machine::Windows64;
#endif
    const bool windows64 = platform::Sys().GetNativeProcessorArchitecture() != kProcessorArchitectureIntel;
    SCOPED_TRACE(testing::Message() << "64-bit Windows " << windows64 << ", 32-bit program " << program32);
    const std::vector<REGSAM> views =
        windows64 ? std::vector<REGSAM>{kKeyWow6464Key, kKeyWow6432Key} : std::vector<REGSAM>{0};
    EXPECT_EQ(views, settings::MachineViews());

    TRegAccessor accessor;
    accessor.SetRoot(HkeyLocalMachine());
    for (const auto& [view, name] : {std::pair{kKeyWow6464Key, "w64"}, std::pair{kKeyWow6432Key, "w32"},
                                     std::pair{REGSAM{0}, "own"}}) {
      accessor.SetView(view);
      ASSERT_TRUE(accessor.OpenPath(Abs(), true));
      accessor.WriteDword(name, 1);
    }
    // Read back through the 64-bit view, where the 32-bit one is the subkey Wow6432Node.
    const std::string view32 = "Software\\Wow6432Node" + base_.substr(8);
    auto names = [&](const std::string& path) {
      std::vector<std::string> found;
      HKEY key = nullptr;
      if (Reg().RegOpenKeyExA(HkeyLocalMachine(), path.c_str(), 0, kKeyRead | kKeyWow6464Key, &key) ==
          kErrorSuccess) {
        RegKey owner(key);
        for (const char* name : {"w64", "w32", "own"}) {
          if (Reg().RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr) == kErrorSuccess) {
            found.push_back(name);
          }
        }
      }
      return found;
    };
    using Names = std::vector<std::string>;
    if (windows64) {
      EXPECT_EQ(program32 ? (Names{"w64"}) : (Names{"w64", "own"}), names(base_));
      EXPECT_EQ(program32 ? (Names{"w32", "own"}) : (Names{"w32"}), names(view32));
      // A deletion in one view leaves the other.
      EXPECT_EQ(kErrorSuccess, Reg().RegDeleteKeyExA(HkeyLocalMachine(), base_.c_str(), kKeyWow6432Key, 0));
      EXPECT_TRUE(names(view32).empty());
      EXPECT_FALSE(names(base_).empty());
    } else {
      EXPECT_EQ((Names{"w64", "w32", "own"}), names(base_));
      EXPECT_TRUE(names(view32).empty());
    }
    EXPECT_EQ(kErrorSuccess, Reg().RegDeleteKeyExA(HkeyLocalMachine(), base_.c_str(), kKeyWow6464Key, 0));
    EXPECT_TRUE(names(base_).empty());

    // The user's keys are one for both widths.
    TRegAccessor user;
    user.SetView(kKeyWow6432Key);
    ASSERT_TRUE(user.OpenPath(Abs("Shared"), true));
    user.WriteDword("v", 5);
    user.SetView(kKeyWow6464Key);
    ASSERT_TRUE(user.OpenPath(Abs("Shared"), false));
    EXPECT_EQ(5, user.ReadDword("v"));
    EXPECT_TRUE(user.EraseKeyTree(Abs("Shared")));
  }
}

// --- SetRoot ----------------------------------------------------------------------------------

TEST_F(RegistryConformance, SetRootToTheSameRootKeepsTheOpenKey) {
  TRegAccessor accessor;
  accessor.SetRoot(HkeyCurrentUser());
  ASSERT_TRUE(accessor.OpenPath(Abs("Same"), true));
  accessor.SetRoot(HkeyCurrentUser());
  EXPECT_TRUE(accessor.HasOpenKey());
  accessor.WriteDword("still", 1);
}

TEST_F(RegistryConformance, SetRootToAnotherRootClosesTheKeyAndLaterPathsResolveThere) {
  TRegAccessor accessor;
  ASSERT_TRUE(accessor.OpenPath(Abs("User"), true));
  accessor.ClosePath();
  accessor.SetRoot(HkeyLocalMachine());
  accessor.ClosePath();
  ASSERT_TRUE(accessor.OpenPath(Abs("Machine"), true));
  accessor.WriteDword("m", 3);
  EXPECT_TRUE(KeyExists(HkeyLocalMachine(), Rel("Machine")));
  EXPECT_FALSE(KeyExists(HkeyCurrentUser(), Rel("Machine")));

  accessor.SetRoot(HkeyCurrentUser());
  EXPECT_FALSE(accessor.HasOpenKey());
  EXPECT_EQ("Failed to set data for 'x'", MessageOf([&] { accessor.WriteDword("x", 1); }));
}

// --- Writes and the three error messages -------------------------------------------------------

TEST_F(RegistryConformance, WritesWithNoKeyOpenFailWithTheSetMessage) {
  TRegAccessor accessor;
  EXPECT_FALSE(accessor.OpenPath(Abs("Nowhere"), false));
  EXPECT_EQ("Failed to set data for 'Name'", MessageOf([&] { accessor.WriteText("Name", "x"); }));
  EXPECT_EQ("Failed to set data for 'N'", MessageOf([&] { accessor.WriteDword("N", 1); }));
  EXPECT_EQ("Failed to set data for 'F'", MessageOf([&] { accessor.WriteFlag("F", true); }));
}

TEST_F(RegistryConformance, WrittenValuesHaveTheirTypesAndSizes) {
  TRegAccessor accessor;
  ASSERT_TRUE(accessor.OpenPath(Abs(), true));
  accessor.WriteText("Text", "No");
  accessor.WriteText("Empty", "");
  accessor.WriteDword("Dword", -2);
  accessor.WriteFlag("On", true);
  accessor.WriteFlag("Off", false);

  RegKey key = CreateRaw(base_);
  struct Expected {
    const char* name;
    DWORD type;
    std::vector<BYTE> data;
  };
  const Expected table[] = {
      {"Text", kRegSz, {'N', 'o', 0}},
      {"Empty", kRegSz, {0}},
      {"Dword", kRegDword, {0xFE, 0xFF, 0xFF, 0xFF}},
      {"On", kRegDword, {1, 0, 0, 0}},
      {"Off", kRegDword, {0, 0, 0, 0}},
  };
  for (const Expected& e : table) {
    SCOPED_TRACE(e.name);
    DWORD type = 0;
    BYTE data[16] = {};
    DWORD size = sizeof data;
    ASSERT_EQ(kErrorSuccess, Reg().RegQueryValueExA(key.Get(), e.name, nullptr, &type, data, &size));
    EXPECT_EQ(e.type, type);
    EXPECT_EQ(e.data, std::vector<BYTE>(data, data + size));
  }
  EXPECT_EQ("", accessor.ReadText("Empty"));
}

TEST_F(RegistryConformance, ReadTextFollowsTheValueType) {
  SetRaw(base_, "sz", kRegSz, Bytes("plain"));
  SetRaw(base_, "expand", kRegExpandSz, Bytes("%SystemRoot%\\x"));
  SetRaw(base_, "cut", kRegSz, {'a', 'b', 0, 'c', 'd', 0});
  SetRaw(base_, "dword", kRegDword, {1, 0, 0, 0});
  SetRaw(base_, "emptybin", kRegBinary, {});
  TRegAccessor accessor;
  ASSERT_TRUE(accessor.OpenPath(Abs(), false));
  EXPECT_EQ("plain", accessor.ReadText("sz"));
  EXPECT_EQ("%SystemRoot%\\x", accessor.ReadText("expand"));  // not expanded
  EXPECT_EQ("ab", accessor.ReadText("cut"));
  EXPECT_EQ("", accessor.ReadText("absent"));
  EXPECT_EQ("", accessor.ReadText("emptybin"));  // size 0 is the empty text, whatever the type
  EXPECT_EQ("Invalid data type for 'dword'", MessageOf([&] { accessor.ReadText("dword"); }));
  TRegAccessor closed;
  EXPECT_EQ("", closed.ReadText("sz"));
}

TEST_F(RegistryConformance, ReadDwordRaisesGetOrTypeErrors) {
  SetRaw(base_, "dword", kRegDword, {0x2A, 0, 0, 0});
  SetRaw(base_, "sz", kRegSz, Bytes("1"));
  SetRaw(base_, "bin4", kRegBinary, {1, 2, 3, 4});
  SetRaw(base_, "bin8", kRegBinary, {1, 2, 3, 4, 5, 6, 7, 8});
  SetRaw(base_, "longsz", kRegSz, Bytes("12345678"));
  TRegAccessor accessor;
  ASSERT_TRUE(accessor.OpenPath(Abs(), false));
  EXPECT_EQ(42, accessor.ReadDword("dword"));
  EXPECT_EQ("Invalid data type for 'sz'", MessageOf([&] { accessor.ReadDword("sz"); }));
  EXPECT_EQ("Invalid data type for 'bin4'", MessageOf([&] { accessor.ReadDword("bin4"); }));
  EXPECT_EQ("Failed to get data for 'bin8'", MessageOf([&] { accessor.ReadDword("bin8"); }));
  EXPECT_EQ("Failed to get data for 'longsz'", MessageOf([&] { accessor.ReadDword("longsz"); }));
  EXPECT_EQ("Failed to get data for 'absent'", MessageOf([&] { accessor.ReadDword("absent"); }));
  TRegAccessor closed;
  EXPECT_EQ("Failed to get data for 'dword'", MessageOf([&] { closed.ReadDword("dword"); }));
}

TEST_F(RegistryConformance, HasValueAndEraseValue) {
  SetRaw(base_, "v", kRegBinary, {9});
  TRegAccessor closed;
  EXPECT_FALSE(closed.HasValue("v"));
  EXPECT_FALSE(closed.EraseValue("v"));

  TRegAccessor accessor;
  ASSERT_TRUE(accessor.OpenPath(Abs(), false));
  EXPECT_TRUE(accessor.HasValue("V"));
  EXPECT_TRUE(accessor.EraseValue("v"));
  EXPECT_FALSE(accessor.HasValue("v"));
  EXPECT_FALSE(accessor.EraseValue("v"));
}

// --- ReadTextOr and the settings reader ---------------------------------------------------------

TEST_F(RegistryConformance, ReadTextOrUsesATemporaryKeyAndCreatesNothing) {
  SetRaw(Rel("Src"), "empty", kRegSz, Bytes(""));
  SetRaw(Rel("Src"), "text", kRegSz, Bytes("abc"));
  SetRaw(Rel("Src"), "num", kRegDword, {5, 0, 0, 0});
  TRegKeyReader reader;
  ASSERT_TRUE(reader.OpenPath(Abs("Own"), true));
  reader.WriteDword("mine", 1);

  EXPECT_EQ("dflt", reader.ReadTextOr(Abs("Missing"), "text", "dflt"));
  EXPECT_FALSE(KeyExists(HkeyCurrentUser(), Rel("Missing")));
  EXPECT_EQ("", reader.ReadTextOr(Abs("Src"), "empty", "dflt"));
  EXPECT_EQ("abc", reader.ReadTextOr(Abs("Src"), "text", "dflt"));
  EXPECT_EQ("dflt", reader.ReadTextOr(Abs("Src"), "absent", "dflt"));
  EXPECT_EQ("Invalid data type for 'num'", MessageOf([&] { reader.ReadTextOr(Abs("Src"), "num", ""); }));
  EXPECT_EQ(1, reader.ReadDword("mine"));  // the open key is the one from before
}

TEST_F(RegistryConformance, SettingsReaderCreatesItsKeyAndConvertsStrings) {
  const std::string path = Rel("Settings");
  {
    TSettingsReader reader(path);
    EXPECT_TRUE(KeyExists(HkeyCurrentUser(), path));
    EXPECT_EQ(9, reader.ReadNumberOr("missing", 9));
  }
  struct Case {
    const char* text;
    int expected;
  };
  const Case cases[] = {
      {"12", 12},     {"abc", -1},  {"", -1},       {"  7", 7},   {"-5", -5},  {"+8", 8},
      {"$1F", 31},    {"0x1f", 31}, {"x10", 16},    {"7 ", -1},   {"1.5", -1}, {"$", -1},
      {"$FFFFFFFF", -1}, {"2147483647", 2147483647}, {"2147483648", -1}, {"-2147483648", INT32_MIN},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    SetRaw(path, "s", kRegSz, Bytes(c.text));
    TSettingsReader reader(path);
    EXPECT_EQ(c.expected, reader.ReadNumberOr("s", -1));
  }
}

TEST_F(RegistryConformance, SettingsReaderRaisesForTypesOtherThanStringAndDword) {
  const std::string path = Rel("Settings");
  SetRaw(path, "dword", kRegDword, {3, 0, 0, 0});
  SetRaw(path, "bin", kRegBinary, {1});
  SetRaw(path, "bigbin", kRegBinary, std::vector<BYTE>(64, 7));
  SetRaw(path, "expand", kRegExpandSz, Bytes("5"));
  SetRaw(path, "zero", kRegSz, Bytes("0"));
  TSettingsReader reader(path);
  EXPECT_EQ(3, reader.ReadNumberOr("dword", 0));
  EXPECT_EQ("Invalid data type for 'bin'", MessageOf([&] { reader.ReadNumberOr("bin", 0); }));
  EXPECT_EQ("Failed to get data for 'bigbin'", MessageOf([&] { reader.ReadNumberOr("bigbin", 0); }));
  EXPECT_EQ("Invalid data type for 'expand'", MessageOf([&] { reader.ReadNumberOr("expand", 0); }));
  EXPECT_FALSE(reader.ReadFlagOr("zero", true));
  EXPECT_TRUE(reader.ReadFlagOr("dword", false));
  EXPECT_TRUE(reader.ReadFlagOr("absent", true));
  EXPECT_FALSE(reader.ReadFlagOr("absent", false));
}

// --- EraseKeyTree -------------------------------------------------------------------------------

TEST_F(RegistryConformance, EraseKeyTreeRemovesNestedKeysAndThenReportsFalse) {
  for (const char* sub : {"Tree\\A\\A1\\A11", "Tree\\A\\A2", "Tree\\b", "Tree\\C\\C1"}) {
    SetRaw(Rel(sub), "v", kRegDword, {1, 0, 0, 0});
  }
  TRegAccessor accessor;
  ASSERT_TRUE(accessor.OpenPath(Abs("Keep"), true));
  EXPECT_TRUE(accessor.EraseKeyTree(Abs("Tree")));
  EXPECT_FALSE(KeyExists(HkeyCurrentUser(), Rel("Tree")));
  EXPECT_FALSE(accessor.EraseKeyTree(Abs("Tree")));
  accessor.WriteDword("after", 1);  // the open key is untouched
  EXPECT_TRUE(KeyExists(HkeyCurrentUser(), Rel("Keep")));
}

TEST_F(RegistryConformance, EraseKeyTreeWithARelativePathWorksBelowTheOpenKey) {
  SetRaw(Rel("Parent\\Child\\Grandchild"), "v", kRegDword, {1, 0, 0, 0});
  TRegAccessor accessor;
  ASSERT_TRUE(accessor.OpenPath(Abs("Parent"), false));
  EXPECT_TRUE(accessor.EraseKeyTree("CHILD"));
  EXPECT_FALSE(KeyExists(HkeyCurrentUser(), Rel("Parent\\Child")));
  EXPECT_TRUE(KeyExists(HkeyCurrentUser(), Rel("Parent")));
}

// --- The platform calls themselves --------------------------------------------------------------

TEST_F(RegistryConformance, DeleteKeyRefusesAKeyWithSubkeys) {
  RegKey child = CreateRaw(Rel("Full\\Child"));
  RegKey base = CreateRaw(base_);
  EXPECT_EQ(kErrorAccessDenied, Reg().RegDeleteKeyA(base.Get(), "Full"));
  EXPECT_EQ(kErrorFileNotFound, Reg().RegDeleteKeyA(base.Get(), "Nothing"));
  EXPECT_EQ(kErrorSuccess, Reg().RegDeleteKeyA(base.Get(), "Full\\Child"));
  EXPECT_EQ(kErrorSuccess, Reg().RegDeleteKeyA(base.Get(), "Full"));
}

TEST_F(RegistryConformance, EnumerationIsSortedWithoutCaseAndReportsShortBuffers) {
  for (const char* sub : {"beta", "Alpha", "GAMMA", "delta-long-name"}) CreateRaw(Rel(sub));
  RegKey key = CreateRaw(base_);
  DWORD subKeys = 0;
  DWORD longest = 0;
  ASSERT_EQ(kErrorSuccess, Reg().RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, &subKeys,
                                                  &longest, nullptr, nullptr, nullptr, nullptr,
                                                  nullptr, nullptr));
  EXPECT_EQ(4u, subKeys);
  EXPECT_EQ(15u, longest);
  std::vector<std::string> names;
  for (DWORD i = 0;; ++i) {
    char name[32];
    DWORD length = sizeof name;
    LONG result = Reg().RegEnumKeyExA(key.Get(), i, name, &length, nullptr, nullptr, nullptr,
                                      nullptr);
    if (result == kErrorNoMoreItems) break;
    ASSERT_EQ(kErrorSuccess, result);
    names.emplace_back(name, length);
  }
  EXPECT_EQ((std::vector<std::string>{"Alpha", "beta", "delta-long-name", "GAMMA"}), names);
  char small[4];
  DWORD length = sizeof small;
  EXPECT_EQ(kErrorMoreData, Reg().RegEnumKeyExA(key.Get(), 2, small, &length, nullptr, nullptr,
                                                nullptr, nullptr));
}

TEST_F(RegistryConformance, QueryValueReportsSizeAndRefusesShortBuffers) {
  SetRaw(base_, "text", kRegSz, Bytes("hello"));
  RegKey key = CreateRaw(base_);
  DWORD type = 0;
  DWORD size = 0;
  ASSERT_EQ(kErrorSuccess, Reg().RegQueryValueExA(key.Get(), "TEXT", nullptr, &type, nullptr, &size));
  EXPECT_EQ(kRegSz, type);
  EXPECT_EQ(6u, size);
  BYTE buffer[3];
  size = sizeof buffer;
  EXPECT_EQ(kErrorMoreData, Reg().RegQueryValueExA(key.Get(), "text", nullptr, &type, buffer, &size));
  EXPECT_EQ(6u, size);
  EXPECT_EQ(kErrorFileNotFound,
            Reg().RegQueryValueExA(key.Get(), "none", nullptr, &type, nullptr, &size));
}

TEST_F(RegistryConformance, CreateReportsWhetherTheKeyIsNew) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(kErrorSuccess, Reg().RegCreateKeyExA(HkeyCurrentUser(), Rel("New").c_str(), 0, nullptr,
                                                 0, kKeyAllAccess, nullptr, &key, &disposition));
  RegKey first(key);
  EXPECT_EQ(kRegCreatedNewKey, disposition);
  ASSERT_EQ(kErrorSuccess, Reg().RegCreateKeyExA(HkeyCurrentUser(), Rel("new").c_str(), 0, nullptr,
                                                 0, kKeyAllAccess, nullptr, &key, &disposition));
  RegKey second(key);
  EXPECT_EQ(kRegOpenedExistingKey, disposition);
}

TEST_F(RegistryConformance, AHandleOnADeletedKeyRefusesWrites) {
  RegKey doomed = CreateRaw(Rel("Doomed"));
  RegKey base = CreateRaw(base_);
  ASSERT_EQ(kErrorSuccess, Reg().RegDeleteKeyA(base.Get(), "Doomed"));
  const BYTE data[4] = {1, 0, 0, 0};
  EXPECT_EQ(kErrorKeyDeleted, Reg().RegSetValueExA(doomed.Get(), "v", 0, kRegDword, data, 4));
}

TEST_F(RegistryConformance, LeadingBackslashInASubkeyIsABadPath) {
  HKEY key = nullptr;
  CreateRaw(base_);
  EXPECT_EQ(kErrorBadPathname,
            Reg().RegOpenKeyExA(HkeyCurrentUser(), ("\\" + base_).c_str(), 0, kKeyRead, &key));
  EXPECT_EQ(kErrorBadPathname,
            Reg().RegCreateKeyExA(HkeyCurrentUser(), ("\\" + base_).c_str(), 0, nullptr, 0,
                                  kKeyAllAccess, nullptr, &key, nullptr));
}

}  // namespace
}  // namespace tarnwick
