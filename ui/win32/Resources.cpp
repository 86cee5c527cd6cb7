#include "ui/win32/Resources.h"

#include <windows.h>

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
