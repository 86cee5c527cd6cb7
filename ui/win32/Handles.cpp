#include "ui/win32/Handles.h"

#include <cstdlib>

#include "ui/win32/Dpi.h"

namespace tarnwick::ui::win32 {
namespace {

// Dialogs' scalable face: Microsoft Sans Serif on Windows, drawn as MS Sans Serif is.
constexpr const char* kScalableFace = "MS Shell Dlg";

FontHandle Create(const Font& font, int height, const char* face) {
  const int weight = (font.style & kFontBold) != 0 ? FW_BOLD : FW_NORMAL;
  const BOOL underline = (font.style & kFontUnderline) != 0 ? TRUE : FALSE;
  return FontHandle(CreateFontA(height, 0, 0, 0, weight, FALSE, underline, FALSE,
                                static_cast<DWORD>(font.charset), OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                (font.style & kFontFixedPitch) != 0 ? FIXED_PITCH | FF_MODERN
                                                                    : DEFAULT_PITCH | FF_DONTCARE,
                                face));
}

// Whether the face behind `font` is a bitmap one whose largest size falls short of `height`
// (negative: the characters' height), by more than the pixel that picking a near size costs.
bool FallsShort(HFONT font, int height) {
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return false;
  HGDIOBJ previous = SelectObject(screen, font);
  TEXTMETRICA metrics{};
  const bool measured = GetTextMetricsA(screen, &metrics) != 0;
  SelectObject(screen, previous);
  ReleaseDC(nullptr, screen);
  if (!measured || (metrics.tmPitchAndFamily & (TMPF_VECTOR | TMPF_TRUETYPE)) != 0) return false;
  const int got = height < 0 ? metrics.tmHeight - metrics.tmInternalLeading : metrics.tmHeight;
  return got < std::abs(height) - 1;
}

}  // namespace

FontHandle MakeFont(const Font& font) {
  const int height = Scaled(font.height);
  FontHandle made = Create(font, height, font.name.c_str());
  // A bitmap face has a few sizes only (Wine's MS Sans Serif none above 12 points), and a title
  // in it would stay as small at any DPI: the scalable face of dialogs stands in for it there.
  const bool fixedPitch = (font.style & kFontFixedPitch) != 0;  // no stand-in keeps the columns
  if (made.Get() != nullptr && !fixedPitch && FallsShort(made.Get(), height)) {
    if (FontHandle scalable = Create(font, height, kScalableFace); scalable.Get() != nullptr) {
      return scalable;
    }
  }
  return made;
}

bool SameFont(const Font& a, const Font& b) {
  return a.name == b.name && a.height == b.height && a.charset == b.charset &&
         a.style == b.style;
}

}  // namespace tarnwick::ui::win32
