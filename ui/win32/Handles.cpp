#include "ui/win32/Handles.h"

#include "ui/win32/Dpi.h"

namespace tarnwick::ui::win32 {

FontHandle MakeFont(const Font& font) {
  const int weight = (font.style & kFontBold) != 0 ? FW_BOLD : FW_NORMAL;
  const BOOL underline = (font.style & kFontUnderline) != 0 ? TRUE : FALSE;
  return FontHandle(CreateFontA(Scaled(font.height), 0, 0, 0, weight, FALSE, underline, FALSE,
                                static_cast<DWORD>(font.charset), OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                (font.style & kFontFixedPitch) != 0 ? FIXED_PITCH | FF_MODERN
                                                                    : DEFAULT_PITCH | FF_DONTCARE,
                                font.name.c_str()));
}

bool SameFont(const Font& a, const Font& b) {
  return a.name == b.name && a.height == b.height && a.charset == b.charset &&
         a.style == b.style;
}

}  // namespace tarnwick::ui::win32
