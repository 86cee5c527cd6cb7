#pragma once
// Owners of the GDI and user32 handles that the peers create.
#include <windows.h>

#include "platform/Handle.h"
#include "ui/Control.h"

namespace tarnwick::ui::win32 {

// The ui namespace names our opaque window handle and message HWND and MSG; here they are
// user32's.
using ::HWND;
using ::MSG;

// The native handle behind one of our opaque ones (they differ in name only).
template <typename Native, typename Ours>
Native ToNative(Ours handle) {
  return reinterpret_cast<Native>(handle);
}

// GDI objects (font, brush, bitmap) are deleted.
template <typename H>
struct GdiObjectTraits {
  using Handle = H;
  static constexpr Handle kNull = nullptr;
  static void Close(Handle object) { DeleteObject(object); }
};

template <typename H>
using GdiObject = platform::UniqueHandle<GdiObjectTraits<H>>;
using FontHandle = GdiObject<HFONT>;
using BrushHandle = GdiObject<HBRUSH>;
using BitmapHandle = GdiObject<HBITMAP>;

// A font as the model describes it: face name, height in pixels (negative: character height),
// character set.
FontHandle MakeFont(const Font& font);
bool SameFont(const Font& a, const Font& b);

// A menu is destroyed unless it was handed on (Release) to a window's menu bar or a parent menu,
// which then destroys it.
struct MenuTraits {
  using Handle = HMENU;
  static constexpr Handle kNull = nullptr;
  static void Close(Handle menu) { DestroyMenu(menu); }
};
using MenuHandle = platform::UniqueHandle<MenuTraits>;

// A child window that its peer destroys. The form's window destroys its children with itself,
// so a window that is already gone is left alone.
struct ChildWindowTraits {
  using Handle = HWND;
  static constexpr Handle kNull = nullptr;
  static void Close(Handle window) {
    if (IsWindow(window)) DestroyWindow(window);
  }
};
using WindowHandle = platform::UniqueHandle<ChildWindowTraits>;

}  // namespace tarnwick::ui::win32
