#pragma once
// A key of a test's own under a root, unique to the test and the process, erased afterwards.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "settings/RegAccessor.h"

namespace tarnwick::test {

inline std::string UniqueTestKey() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  return std::string("Software\\TarnwickTests\\") + info->test_suite_name() + "." + info->name() +
         "." + std::to_string(stamp);
}

inline void EraseTestKey(platform::HKEY root, const std::string& path, platform::REGSAM view = 0) {
  settings::TRegAccessor accessor;
  accessor.SetRoot(root);
  accessor.SetView(view);
  accessor.EraseKeyTree("\\" + path);
}

}  // namespace tarnwick::test
