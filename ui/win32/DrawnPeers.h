#pragma once
// Peers whose windows are of classes of ours, drawn by us: the gauge, and the memo's view.
#include <cstddef>
#include <memory>
#include <optional>

#include "ui/win32/WindowPeer.h"

namespace tarnwick::ui::win32 {

// The memo's window class; a test driver finds the view by it.
inline constexpr const char* kMemoClass = "TarnwickMemo";
inline constexpr const char* kGaugeClass = "TarnwickGauge";

// A peer whose window it paints whole and which shows its model, never a caption. Handle sees
// the window's messages first; the base answers what it leaves as a control does (the font,
// painting and printing through Paint, the text for readers), and DefWindowProc the rest.
class DrawnPeer : public WindowPeer {
 protected:
  DrawnPeer(std::shared_ptr<FormPeer> form, Control& control);
  // Makes the window; called once the peer is ready for its messages.
  void CreateSelf(const char* className, DWORD style, const char* cursor);
  HWND Self() const { return ToNative<HWND>(binding_.Handle()); }
  // The font the window was given.
  HFONT ShownFont() const { return font_; }

  virtual std::optional<LRESULT> Handle(UINT, WPARAM, LPARAM) { return std::nullopt; }
  // Draws `area` of the client area on `dc`: what needs painting, or all of it to print.
  virtual void Paint(HDC dc, const RECT& area) = 0;
  // After WM_SETFONT; `redraw` as it asks.
  virtual void FontChanged(bool redraw) {
    if (redraw) InvalidateRect(Self(), nullptr, FALSE);
  }
  // For WM_GETTEXTLENGTH and WM_GETTEXT: the text's length, and up to size - 1 of its characters
  // then a NUL, returning how many.
  virtual std::size_t TextLength() const = 0;
  virtual std::size_t CopyText(char* out, std::size_t size) const = 0;
  void ApplyCaption() override {}

 private:
  std::optional<LRESULT> Answer(UINT message, WPARAM wParam, LPARAM lParam);

  BoundWindow binding_;
  HFONT font_ = nullptr;
};

}  // namespace tarnwick::ui::win32
