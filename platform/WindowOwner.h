#pragma once
// A window that its object destroys through the platform. The window can also be destroyed from
// elsewhere (its parent, the system at log-off); the window procedure then lets go of it
// (Release) at WM_NCDESTROY, so it is never destroyed twice.
#include "platform/Handle.h"
#include "platform/Platform.h"

namespace tarnwick::platform {

struct WindowTraits {
  using Handle = HWND;
  static constexpr Handle kNull = nullptr;
  static void Close(Handle window) { Win().DestroyWindow(window); }
};

using WindowOwner = UniqueHandle<WindowTraits>;

}  // namespace tarnwick::platform
