#include "ui/win32/Handles.h"

namespace tarnwick::ui::win32 {

FontHandle MakeFont(const Font& font) {
  return FontHandle(CreateFontA(font.height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                static_cast<DWORD>(font.charset), OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                                font.name.c_str()));
}

bool SameFont(const Font& a, const Font& b) {
  return a.name == b.name && a.height == b.height && a.charset == b.charset;
}

}  // namespace tarnwick::ui::win32
