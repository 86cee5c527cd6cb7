#include "ui/Label.h"

namespace tarnwick::ui {

void Label::SetFontStyle(unsigned style) {
  if (GetFont().style == style) return;
  Font font = GetFont();
  font.style = style;
  SetFont(std::move(font));
}

}  // namespace tarnwick::ui
