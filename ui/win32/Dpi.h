#pragma once
// Layouts are given in pixels at 96 dots per inch. The program declares itself aware of the
// system's DPI (its manifest), so Windows does not stretch its windows as bitmaps: the peers scale
// every place, size, font and item height here instead, and the models keep their 96-DPI values.
// Free of <windows.h>, so that the program's entry can size its icons.
#include "ui/Control.h"

namespace tarnwick::ui::win32 {

inline constexpr int kLayoutDpi = 96;

// `value` at 96 DPI at `dpi` instead, rounded as MulDiv rounds (half away from zero).
int ScaledTo(int value, int dpi);
// A rectangle's edges, each scaled: controls that touch at 96 DPI still touch, and a control
// inside its container stays inside.
Bounds ScaledTo(const Bounds& bounds, int dpi);

// The screen's DPI for this process. A system-DPI-aware process keeps the DPI it started with,
// so it is read once.
int ScreenDpi();
int Scaled(int value);
Bounds Scaled(const Bounds& bounds);

}  // namespace tarnwick::ui::win32
