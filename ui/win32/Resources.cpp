#include "ui/win32/Resources.h"

#include <windows.h>

#include "ui/win32/Handles.h"

namespace tarnwick::ui::win32 {

void DestroyOwnedIcon(os::HICON icon) { DestroyIcon(reinterpret_cast<HICON>(icon)); }

IconHandle LoadIconResource(int id, int size) {
  // LoadImage takes 0 as "the resource's own size", which would hand back some other size.
  if (size <= 0 || id <= 0 || id > 0xFFFF) return {};
  // Not LR_SHARED: the owner destroys the icon, and shared icons must never be destroyed.
  HANDLE image = LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, size,
                            size, LR_DEFAULTCOLOR);
  return IconHandle(reinterpret_cast<os::HICON>(image));
}

}  // namespace tarnwick::ui::win32

namespace tarnwick::ui::win32 {

IconHandle MakeStopGlyph(int size) {
  if (size <= 0) return {};
  HDC screen = GetDC(nullptr);
  BitmapHandle colour(CreateCompatibleBitmap(screen, size, size));
  ReleaseDC(nullptr, screen);
  BitmapHandle mask(CreateBitmap(size, size, 1, 1, nullptr));
  MemoryDc dc(CreateCompatibleDC(nullptr));
  BrushHandle edge(CreateSolidBrush(RGB(128, 0, 0)));
  BrushHandle face(CreateSolidBrush(RGB(224, 0, 0)));
  if (!colour || !mask || !dc || !edge || !face) return {};
  const int inset = size / 5;
  const int rim = size / 16 > 1 ? size / 16 : 1;  // keeps its weight at a larger size
  const RECT all{0, 0, size, size};
  const RECT square{inset, inset, size - inset, size - inset};
  RECT inner = square;
  InflateRect(&inner, -rim, -rim);
  // The mask is white where the ground shows through; there the colour image must be black.
  HGDIOBJ previous = SelectObject(dc.Get(), mask.Get());
  FillRect(dc.Get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  FillRect(dc.Get(), &square, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  SelectObject(dc.Get(), colour.Get());
  FillRect(dc.Get(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  FillRect(dc.Get(), &square, edge.Get());
  FillRect(dc.Get(), &inner, face.Get());
  SelectObject(dc.Get(), previous);
  // The icon gets copies of both pictures; ours go with their owners.
  ICONINFO info{TRUE, 0, 0, mask.Get(), colour.Get()};
  return IconHandle(reinterpret_cast<os::HICON>(CreateIconIndirect(&info)));
}

}  // namespace tarnwick::ui::win32
