#include "ui/win32/Resources.h"

#include <windows.h>

namespace tarnwick::ui::win32 {

os::HICON LoadIconResource(int id, int size) {
  // LoadImage takes 0 as "the resource's own size", which would hand back some other size.
  if (size <= 0 || id <= 0 || id > 0xFFFF) return nullptr;
  // Not LR_SHARED: the caller destroys the icon, and shared icons must never be destroyed.
  HANDLE image = LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, size,
                            size, LR_DEFAULTCOLOR);
  return reinterpret_cast<os::HICON>(image);
}

void FreeIconResource(os::HICON icon) {
  if (icon != nullptr) DestroyIcon(reinterpret_cast<HICON>(icon));
}

}  // namespace tarnwick::ui::win32
