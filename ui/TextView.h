#pragma once
// What the memo's view does, free of any window: the caret and the selection, scrolling and its
// limits, the keys and the mouse, and the text it copies or hands to readers, as an edit control
// has them. The window it shows in paints, measures text in its font, and is told what to
// repaint, scroll and show.
#include <algorithm>
#include <compare>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/Memo.h"

namespace tarnwick::ui {

// A place between two characters: before `column` of `line`.
struct TextSpot {
  std::size_t line = 0;
  std::size_t column = 0;
  friend auto operator<=>(const TextSpot&, const TextSpot&) = default;
};

// A scroll bar's range (0 to max), page and position.
struct ScrollBar {
  int max = 0;
  int page = 0;
  int position = 0;
  bool operator==(const ScrollBar&) const = default;
};

// What a scroll bar asks for, numbered as WM_VSCROLL and WM_HSCROLL number it.
enum class ScrollRequest {
  LineBack, LineOn, PageBack, PageOn, ThumbPosition, ThumbTrack, Start, End
};

class TextView {
 public:
  // What the view asks of the window that shows it.
  class Window {
   public:
    virtual ~Window() = default;
    // How wide `text` is in the view's font, in pixels.
    virtual int Extent(std::string_view text) = 0;
    // Where each character of `text` ends, in pixels from its start.
    virtual std::vector<int> Ends(std::string_view text) = 0;
    // The band of the client area from `top` to `bottom` must be painted anew.
    virtual void Invalidate(int top, int bottom) = 0;
    virtual void InvalidateAll() = 0;
    // Moves what is shown by (dx, dy) pixels and paints what comes into sight.
    virtual void Scroll(int dx, int dy) = 0;
    virtual void SetBar(bool vertical, const ScrollBar& bar) = 0;
    // Where the user drags the thumb of a bar.
    virtual int TrackPosition(bool vertical) = 0;
    // Only while the view has the focus.
    virtual void PlaceCaret(int x, int y) = 0;
    // Puts `text` on the clipboard.
    virtual void Copy(const std::string& text) = 0;
  };

  // A wheel setting of this many lines a notch scrolls a page (WHEEL_PAGESCROLL).
  static constexpr unsigned kWheelPage = ~0u;

  TextView(const Memo& memo, Window& window) : memo_(memo), window_(window) {}

  // The window's font measures, its size (the view keeps within its limits, sets the bars and
  // repaints it all) and its focus.
  void SetMetrics(int lineHeight, int charWidth) {
    lineHeight_ = std::max(1, lineHeight);
    charWidth_ = std::max(1, charWidth);
  }
  void Resize(int width, int height);
  void SetFocused(bool focused) { focused_ = focused; }
  bool Focused() const { return focused_; }
  void PlaceCaret();

  // The model's lines. Appended only marks the new ones, so that a burst of appends costs little
  // more than storing them; Sync, before every paint, scrolls to the end for them as an edit box
  // that is appended to does, unless the user is selecting with the mouse. Reload starts afresh.
  void Appended();
  void Reload();
  void Sync();

  // A scroll bar's request: down by lines, across by pixels.
  void Scroll(bool vertical, ScrollRequest request);
  // `delta` in WHEEL_DELTA units; `linesPerNotch` as the system is set, or kWheelPage.
  void Wheel(int delta, unsigned linesPerNotch);
  // A press of the left button at (x, y) of the client area, with Shift when `extend`; the
  // pointer's moves select until the button is released or the capture lost.
  void Press(int x, int y, bool extend) {
    selecting_ = true;
    MoveCaret(SpotAt(x, y), extend);
  }
  void Drag(int x, int y) {
    if (selecting_) MoveCaret(SpotAt(x, y), true);
  }
  bool Selecting() const { return selecting_; }
  void EndSelecting() { selecting_ = false; }
  // A key pressed with Control or Shift held; whether the view used it.
  bool Key(int key, bool control, bool shift);
  // Copies the selection; as an edit control, nothing when nothing is selected.
  void Copy() {
    if (anchor_ != caret_) window_.Copy(Selected());
  }

  std::size_t Top() const { return top_; }  // the first line in sight
  int Left() const { return left_; }        // pixels scrolled off to the left
  int LineHeight() const { return lineHeight_; }
  int CharWidth() const { return charWidth_; }
  int Width() const { return width_; }
  TextSpot Caret() const { return caret_; }
  TextSpot Anchor() const { return anchor_; }  // where the selection started
  // The selected text, its lines joined by CR LF.
  std::string Selected() const;
  // WM_GETTEXT: up to size - 1 characters of the lines joined by CR LF, then a NUL; how many.
  std::size_t CopyText(char* out, std::size_t size) const;
  // EM_GETLINE: the buffer's first WORD gives its size; the line is copied without its break.
  std::size_t CopyLine(std::size_t line, char* out) const;

 private:
  std::size_t Count() const { return memo_.LineCount(); }
  std::size_t LineLength(std::size_t line) const {
    return line < Count() ? memo_.Line(line).size() : 0;
  }
  TextSpot End() const { return {Count() > 0 ? Count() - 1 : 0, LineLength(Count() - 1)}; }
  // Whole rows in sight (a page), and rows touched by the client area at all.
  std::size_t PageRows() const { return static_cast<std::size_t>(std::max(1, Rows())); }
  std::size_t SeenRows() const { return static_cast<std::size_t>(Rows() + 1); }
  int Rows() const { return height_ / lineHeight_; }
  std::size_t MaxTop() const { return Count() > PageRows() ? Count() - PageRows() : 0; }
  // Room for the widest line and the caret after it.
  int ContentWidth() const;
  int MaxLeft() const { return std::max(0, ContentWidth() - width_); }

  void UpdateScrollBars();
  void InvalidateFrom(std::size_t line);
  void InvalidateLines(std::size_t first, std::size_t last);
  void ScrollTo(std::size_t top, int left);
  void ScrollLines(long long rows);
  int CaretX();
  void EnsureVisible();
  void MoveCaret(TextSpot to, bool extend);
  TextSpot SpotAt(int x, int y);

  const Memo& memo_;
  Window& window_;
  int lineHeight_ = 16;
  int charWidth_ = 8;
  int width_ = 0;
  int height_ = 0;
  std::optional<ScrollBar> vertical_;  // what each bar was last set to
  std::optional<ScrollBar> horizontal_;
  std::size_t top_ = 0;
  int left_ = 0;
  std::size_t widest_ = 0;    // characters of the longest line
  bool pending_ = false;      // lines were added since the last Sync
  std::size_t firstNew_ = 0;  // the first of them
  TextSpot anchor_;
  TextSpot caret_;
  bool selecting_ = false;
  bool focused_ = false;
  int wheelRest_ = 0;  // wheel movement short of a notch
};

}  // namespace tarnwick::ui
