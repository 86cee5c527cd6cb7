#pragma once
// An open registry key, closed through the platform when its owner goes.
#include "platform/Handle.h"
#include "platform/Platform.h"

namespace tarnwick::platform {

struct RegKeyTraits {
  using Handle = HKEY;
  static constexpr Handle kNull = nullptr;
  static void Close(Handle key) { Reg().RegCloseKey(key); }
};

using RegKey = UniqueHandle<RegKeyTraits>;

}  // namespace tarnwick::platform
