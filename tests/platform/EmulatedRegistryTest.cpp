// What the emulated registry offers tests beyond advapi32's behaviour (which the conformance
// suite pins): refused roots, injected failures, the call record and the tree dump.
#include "platform/emulated/EmulatedRegistry.h"

#include <gtest/gtest.h>

#include "platform/Owners.h"
#include "platform/emulated/EmulatedPlatform.h"

namespace tarnwick::platform::emulated {
namespace {

using namespace os;

class EmulatedRegistryTest : public ::testing::Test {
 protected:
  EmulatedPlatform os_;
  EmulatedRegistry& reg_ = os_.registry();
};

TEST_F(EmulatedRegistryTest, ADeniedRootOpensForReadingOnly) {
  reg_.PutDword(HkeyLocalMachine(), "SOFTWARE\\Existing", "v", 1);
  reg_.DenyWrites(HkeyLocalMachine());
  HKEY key = nullptr;
  EXPECT_EQ(kErrorAccessDenied,
            reg_.RegOpenKeyExA(HkeyLocalMachine(), "SOFTWARE\\Existing", 0, kKeyAllAccess, &key));
  EXPECT_EQ(kErrorAccessDenied,
            reg_.RegCreateKeyExA(HkeyLocalMachine(), "SOFTWARE\\New", 0, nullptr, 0, kKeyAllAccess,
                                 nullptr, &key, nullptr));
  EXPECT_EQ(kErrorAccessDenied, reg_.RegDeleteKeyA(HkeyLocalMachine(), "SOFTWARE\\Existing"));
  const BYTE data[4] = {};
  EXPECT_EQ(kErrorAccessDenied, reg_.RegSetValueExA(HkeyLocalMachine(), "x", 0, kRegDword, data, 4));

  ASSERT_EQ(kErrorSuccess,
            reg_.RegOpenKeyExA(HkeyLocalMachine(), "SOFTWARE\\Existing", 0, kKeyRead, &key));
  RegKey owner(key);
  EXPECT_EQ(kErrorAccessDenied, reg_.RegSetValueExA(key, "v", 0, kRegDword, data, 4));
  EXPECT_FALSE(reg_.KeyExists(HkeyLocalMachine(), "SOFTWARE\\New"));

  reg_.DenyWrites(HkeyLocalMachine(), false);
  EXPECT_EQ(kErrorSuccess,
            reg_.RegOpenKeyExA(HkeyLocalMachine(), "SOFTWARE\\Existing", 0, kKeyAllAccess, &key));
  RegKey second(key);
}

TEST_F(EmulatedRegistryTest, InjectedFailuresHitTheNamedCallsOnlyAndRunOut) {
  reg_.FailCall("RegSetValueExA", kErrorAccessDenied, 2, "Target");
  HKEY key = nullptr;
  ASSERT_EQ(kErrorSuccess, reg_.RegCreateKeyExA(HkeyCurrentUser(), "K", 0, nullptr, 0,
                                                kKeyAllAccess, nullptr, &key, nullptr));
  RegKey owner(key);
  const BYTE data[4] = {};
  EXPECT_EQ(kErrorSuccess, reg_.RegSetValueExA(key, "Other", 0, kRegDword, data, 4));
  EXPECT_EQ(kErrorAccessDenied, reg_.RegSetValueExA(key, "TARGET", 0, kRegDword, data, 4));
  EXPECT_EQ(kErrorAccessDenied, reg_.RegSetValueExA(key, "Target", 0, kRegDword, data, 4));
  EXPECT_FALSE(reg_.GetValue(HkeyCurrentUser(), "K", "Target"));
  EXPECT_EQ(kErrorSuccess, reg_.RegSetValueExA(key, "Target", 0, kRegDword, data, 4));
}

TEST_F(EmulatedRegistryTest, RecordsEveryCallWithItsKeyAndResult) {
  HKEY key = nullptr;
  reg_.RegCreateKeyExA(HkeyCurrentUser(), "Software\\X", 0, nullptr, 0, kKeyAllAccess, nullptr,
                       &key, nullptr);
  const BYTE data[2] = {'a', 0};
  reg_.RegSetValueExA(key, "Name", 0, kRegSz, data, 2);
  reg_.RegCloseKey(key);
  reg_.RegCloseKey(key);
  ASSERT_EQ(4u, reg_.Calls().size());
  EXPECT_EQ("RegCreateKeyExA", reg_.Calls()[0].function);
  EXPECT_EQ("HKCU", reg_.Calls()[0].key);
  EXPECT_EQ("Software\\X", reg_.Calls()[0].name);
  EXPECT_EQ("HKCU\\Software\\X", reg_.Calls()[1].key);
  EXPECT_EQ("Name", reg_.Calls()[1].name);
  EXPECT_EQ(kErrorInvalidHandle, reg_.Calls()[3].result);  // closed twice
  EXPECT_EQ(2u, reg_.CallCount("RegCloseKey"));
  EXPECT_EQ(0u, reg_.OpenHandles());
}

TEST_F(EmulatedRegistryTest, DumpShowsTheWholeTreeSorted) {
  reg_.PutString(HkeyCurrentUser(), "Software\\B", "Text", "No");
  reg_.PutDword(HkeyCurrentUser(), "Software\\a", "1C00", 0x10000);
  reg_.PutValue(HkeyCurrentUser(), "Software\\a", "Raw", {kRegBinary, {1, 0xAB}});
  EXPECT_EQ(
      "[HKCU]\n"
      "[HKCU\\Software]\n"
      "[HKCU\\Software\\a]\n"
      "\"1C00\"=REG_DWORD:0x00010000\n"
      "\"Raw\"=type3:01 ab\n"
      "[HKCU\\Software\\B]\n"
      "\"Text\"=REG_SZ:\"No\"\n",
      reg_.Dump(HkeyCurrentUser()));
  EXPECT_EQ("[HKLM]\n", reg_.Dump(HkeyLocalMachine()));
}

TEST_F(EmulatedRegistryTest, UnknownHandlesAreRefused) {
  HKEY bogus = reinterpret_cast<HKEY>(std::uintptr_t{0x7777});
  HKEY key = nullptr;
  EXPECT_EQ(kErrorInvalidHandle, reg_.RegOpenKeyExA(bogus, "x", 0, kKeyRead, &key));
  EXPECT_EQ(kErrorInvalidHandle, reg_.RegQueryValueExA(bogus, "x", nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(kErrorInvalidHandle, reg_.RegCloseKey(bogus));
}

TEST(EmulatedPlatformTest, InstallsItselfAndPutsThePreviousBackAfterwards) {
  EXPECT_THROW(Reg(), std::logic_error);
  {
    EmulatedPlatform outer;
    EXPECT_EQ(&outer.registry(), &Reg());
    {
      EmulatedPlatform inner;
      EXPECT_EQ(&inner.registry(), &Reg());
    }
    EXPECT_EQ(&outer.registry(), &Reg());
  }
  EXPECT_THROW(Reg(), std::logic_error);
}

}  // namespace
}  // namespace tarnwick::platform::emulated
