#pragma once
// The platform a portable test runs on: the emulated one natively, the real one on Windows.
#ifdef _WIN32
#include "platform/win32/Win32Platform.h"
namespace tarnwick::test {
using TestPlatform = platform::win32::Win32Platform;
inline constexpr bool kRealRegistry = true;
}  // namespace tarnwick::test
#else
#include "platform/emulated/EmulatedPlatform.h"
namespace tarnwick::test {
using TestPlatform = platform::emulated::EmulatedPlatform;
inline constexpr bool kRealRegistry = false;
}  // namespace tarnwick::test
#endif
