#include "ui/Label.h"

#include "platform/Platform.h"
#include "ui/Application.h"

namespace tarnwick::ui {

void Label::SetFontStyle(unsigned style) {
  if (GetFont().style == style) return;
  Font font = GetFont();
  font.style = style;
  SetFont(std::move(font));
}

LinkLabel::LinkLabel(Component* owner) : Label(owner) {
  SetCursor(Cursor::HandPoint);
  OnClick = [this](Component&) {
    Application* app = Application::Current();
    platform::Sh().ShellExecuteA(app != nullptr ? app->Handle() : nullptr, "open",
                                 address_.c_str(), nullptr, nullptr, os::kSwHide);
  };
  OnMouseMove = [this](Component&, unsigned, int, int) {
    SetFontStyle(GetFont().style | kFontUnderline);
  };
  OnMouseLeave = [this](Component&) { SetFontStyle(GetFont().style & ~kFontUnderline); };
}

}  // namespace tarnwick::ui
