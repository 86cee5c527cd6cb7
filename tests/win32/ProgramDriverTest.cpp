// The driver of the real program refuses to touch a registry that is not the test prefix's: on a
// user's machine its reset would delete their browser settings and the program's own.
#include <windows.h>

#include <gtest/gtest.h>
#include <gtest/gtest-spi.h>

#include <optional>
#include <string>

#include "tests/win32/support/ProgramDriver.h"

namespace {

using namespace tarnwick::test;

// Puts WINEPREFIX back as it was when the test ends.
class SavedPrefix {
 public:
  SavedPrefix() {
    char value[MAX_PATH * 4] = {};
    const DWORD length = ::GetEnvironmentVariableA("WINEPREFIX", value, sizeof value);
    if (length > 0 && length < sizeof value) value_ = value;
  }
  ~SavedPrefix() { ::SetEnvironmentVariableA("WINEPREFIX", value_ ? value_->c_str() : nullptr); }
  SavedPrefix(const SavedPrefix&) = delete;
  SavedPrefix& operator=(const SavedPrefix&) = delete;
  const std::optional<std::string>& value() const { return value_; }

 private:
  std::optional<std::string> value_;
};

TEST(ProgramDriver, RegistryResetRefusesAnyPrefixButTheProjectsOwn) {
  SavedPrefix saved;
  ASSERT_TRUE(saved.value()) << "run under scripts/run-tests.sh, which sets WINEPREFIX";
  ASSERT_EQ("", WhyTheRegistryIsNotOurs()) << "the test's own prefix must be accepted";
  WriteDword(HKEY_CURRENT_USER, kSettingsKey, "Ypos", 41);

  struct Case {
    const char* what;
    const char* prefix;  // null: unset
    const char* reason;
  };
  const std::string ownDriveC = *saved.value() + "/drive_c";
  for (const Case& c : {Case{"unset", nullptr, "WINEPREFIX is not set"},
                        Case{"the user's", "/root/.wine", "not made by scripts/wine-prefix"},
                        Case{"a folder inside ours", ownDriveC.c_str(),
                             "not made by scripts/wine-prefix"}}) {
    SCOPED_TRACE(c.what);
    ::SetEnvironmentVariableA("WINEPREFIX", c.prefix);
    EXPECT_NE(std::string::npos, WhyTheRegistryIsNotOurs().find(c.reason))
        << WhyTheRegistryIsNotOurs();
    EXPECT_FATAL_FAILURE(ResetRegistry(), "the project's own Wine prefix");
    EXPECT_FATAL_FAILURE(EndStrayInstances(), "the project's own Wine prefix");
    EXPECT_TRUE(HasSetting("Ypos", 41)) << "the refused reset deleted the settings";
  }

  ::SetEnvironmentVariableA("WINEPREFIX", saved.value()->c_str());
  ResetRegistry();
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettingsKey));
}

}  // namespace
