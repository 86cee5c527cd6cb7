#include "ui/win32/Dpi.h"

#include <windows.h>

namespace tarnwick::ui::win32 {

int ScaledTo(int value, int dpi) { return MulDiv(value, dpi, kLayoutDpi); }

Bounds ScaledTo(const Bounds& bounds, int dpi) {
  const int left = ScaledTo(bounds.left, dpi);
  const int top = ScaledTo(bounds.top, dpi);
  return {left, top, ScaledTo(bounds.left + bounds.width, dpi) - left,
          ScaledTo(bounds.top + bounds.height, dpi) - top};
}

int ScreenDpi() {
  static const int dpi = [] {
    HDC screen = GetDC(nullptr);
    const int found = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    return found > 0 ? found : kLayoutDpi;
  }();
  return dpi;
}

int Scaled(int value) { return ScaledTo(value, ScreenDpi()); }

Bounds Scaled(const Bounds& bounds) { return ScaledTo(bounds, ScreenDpi()); }

}  // namespace tarnwick::ui::win32
