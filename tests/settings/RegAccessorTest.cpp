// The accessor on the emulated registry only, where a wrong answer cannot harm a real hive.
#include "settings/RegAccessor.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/emulated/EmulatedPlatform.h"

namespace tarnwick::settings {
namespace {

using namespace platform::os;
using platform::emulated::EmulatedPlatform;

TEST(RegAccessorTest, APathThatNamesTheRootErasesNothing) {
  EmulatedPlatform os;
  auto& reg = os.registry();
  struct Case {
    HKEY root;
    const char* path;
  };
  const Case cases[] = {{HkeyCurrentUser(), "\\"},    {HkeyCurrentUser(), ""},
                        {HkeyCurrentUser(), "\\\\"},  {HkeyLocalMachine(), "\\"},
                        {HkeyLocalMachine(), "\\\\\\"}, {HkeyLocalMachine(), ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    reg.PutString(c.root, "Software\\Kept", "v", "x");
    const std::string before = reg.Dump(c.root);
    TRegAccessor accessor;
    accessor.SetRoot(c.root);
    EXPECT_FALSE(accessor.EraseKeyTree(c.path));
    EXPECT_EQ(before, reg.Dump(c.root));
  }
}

TEST(RegAccessorTest, AnEmptyPathBelowAnOpenKeyStillErasesThatKey) {
  EmulatedPlatform os;
  auto& reg = os.registry();
  reg.PutString(HkeyCurrentUser(), "Software\\Gone\\Sub", "v", "x");
  TRegAccessor accessor;
  ASSERT_TRUE(accessor.OpenPath("Software\\Gone", false));
  EXPECT_TRUE(accessor.EraseKeyTree(""));
  EXPECT_FALSE(reg.KeyExists(HkeyCurrentUser(), "Software\\Gone"));
  EXPECT_TRUE(reg.KeyExists(HkeyCurrentUser(), "Software"));
}

}  // namespace
}  // namespace tarnwick::settings
