// The memo's view: a window of our own that draws only the lines in sight, straight from the
// model's store. An edit control copies every line into itself and slows down with each one;
// this view costs the same at the first line and at the millionth.
#include <algorithm>
#include <climits>
#include <compare>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/Memo.h"
#include "ui/win32/ControlPeers.h"
#include "ui/win32/DrawnPeers.h"
#include "ui/win32/FormPeer.h"

namespace tarnwick::ui::win32 {
namespace {

// A place between two characters: before `column` of `line`.
struct Spot {
  std::size_t line = 0;
  std::size_t column = 0;
  friend auto operator<=>(const Spot&, const Spot&) = default;
};

int ToInt(std::size_t value) { return static_cast<int>(std::min<std::size_t>(value, INT_MAX)); }

// The clipboard, open for as long as the scope lasts.
class OpenClipboardScope {
 public:
  explicit OpenClipboardScope(HWND owner) : open_(OpenClipboard(owner) != 0) {}
  ~OpenClipboardScope() {
    if (open_) CloseClipboard();
  }
  OpenClipboardScope(const OpenClipboardScope&) = delete;
  OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
  bool Open() const { return open_; }

 private:
  bool open_;
};

class MemoPeer final : public DrawnPeer {
 public:
  MemoPeer(std::shared_ptr<FormPeer> form, Memo& memo)
      : DrawnPeer(std::move(form), memo), memo_(memo) {
    CreateSelf(kMemoClass, WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | WS_GROUP, IDC_IBEAM);
    Reload();
  }

  void Changed(Change what) override {
    switch (what) {
      case Change::ItemAdded:
        Appended();
        break;
      case Change::Items:
        Reload();
        break;
      default:
        WindowPeer::Changed(what);
    }
  }

 private:
  std::size_t Count() const { return memo_.LineCount(); }
  std::size_t LineLength(std::size_t line) const {
    return line < Count() ? memo_.Line(line).size() : 0;
  }
  Spot End() const { return Count() == 0 ? Spot{} : Spot{Count() - 1, LineLength(Count() - 1)}; }
  // Whole rows in sight (a page), and rows touched by the client area at all.
  std::size_t PageRows() const {
    return static_cast<std::size_t>(std::max(1, height_ / lineHeight_));
  }
  std::size_t SeenRows() const { return static_cast<std::size_t>(height_ / lineHeight_ + 1); }
  std::size_t MaxTop() const { return Count() > PageRows() ? Count() - PageRows() : 0; }
  // Room for the widest line and the caret after it.
  int ContentWidth() const {
    return ToInt(std::min<std::size_t>(widest_, INT_MAX / charWidth_ - 1)) * charWidth_ +
           charWidth_;
  }
  int MaxLeft() const { return std::max(0, ContentWidth() - width_); }

  void FontChanged(bool) override {
    Measure();
    Relayout();
  }
  std::size_t TextLength() const override { return memo_.TextLength(); }

  std::optional<LRESULT> Handle(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_SIZE:
        Relayout();
        return 0;
      case WM_PAINT:
      case WM_PRINTCLIENT:
        Sync();
        return std::nullopt;  // painted as every drawn control is
      case WM_VSCROLL:
        VerticalScroll(LOWORD(wParam));
        return 0;
      case WM_HSCROLL:
        HorizontalScroll(LOWORD(wParam));
        return 0;
      case WM_MOUSEWHEEL:
        Wheel(GET_WHEEL_DELTA_WPARAM(wParam));
        return 0;
      case WM_KEYDOWN:
        if (Key(wParam)) return 0;
        return std::nullopt;
      case WM_CHAR:
        return 0;  // read-only: typing changes nothing
      case WM_LBUTTONDOWN:
        Press(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)),
              (wParam & MK_SHIFT) != 0);
        return 0;
      case WM_MOUSEMOVE:
        if (selecting_) {
          MoveCaret(SpotAt(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))),
                    true);
        }
        return 0;
      case WM_LBUTTONUP:
        if (selecting_) ReleaseCapture();
        return 0;
      case WM_CAPTURECHANGED:
        selecting_ = false;
        return 0;
      case WM_SETFOCUS:
        focused_ = true;
        CreateCaret(Self(), nullptr, 1, lineHeight_);
        PlaceCaret();
        ShowCaret(Self());
        Form().FocusArrived(Self());
        return 0;
      case WM_KILLFOCUS:
        focused_ = false;
        DestroyCaret();
        return 0;
      case WM_GETDLGCODE:
        // The arrows move in the text; Tab and Enter stay the dialog's.
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
      case EM_GETLINECOUNT:
        return static_cast<LRESULT>(std::max<std::size_t>(1, Count()));
      case EM_GETLINE:
        return static_cast<LRESULT>(
            CopyLine(static_cast<std::size_t>(wParam), reinterpret_cast<char*>(lParam)));
      case EM_GETFIRSTVISIBLELINE:
        Sync();
        return static_cast<LRESULT>(top_);
      case WM_COPY:
        Copy();
        return 0;
      default:
        return std::nullopt;
    }
  }

  // --- Following the model ------------------------------------------------------------------

  // Only marks the view: the scrolling and drawing of any number of new lines wait for the next
  // paint, so a burst of appends costs little more than storing them.
  void Appended() {
    if (Count() == 0) return;
    widest_ = std::max(widest_, LineLength(Count() - 1));
    if (pending_) return;
    pending_ = true;
    firstNew_ = Count() - 1;
    InvalidateFrom(firstNew_);
  }

  // Scrolls to the end for the lines added since the last paint, as an edit box that is
  // appended to does, unless the user is selecting with the mouse.
  void Sync() {
    if (!pending_) return;
    pending_ = false;
    if (!selecting_) {
      if (anchor_ == caret_) anchor_ = caret_ = End();
      ScrollTo(MaxTop(), left_);
    }
    InvalidateFrom(firstNew_);
    UpdateScrollBars();
    PlaceCaret();
  }

  void Reload() {
    pending_ = false;
    top_ = 0;
    left_ = 0;
    anchor_ = caret_ = Spot{};
    widest_ = 0;
    for (std::size_t i = 0; i < Count(); ++i) widest_ = std::max(widest_, LineLength(i));
    Measure();
    Relayout();
    if (Count() > 0) {
      pending_ = true;
      firstNew_ = 0;
    }
  }

  void Measure() {
    WindowDc dc(Self(), ShownFont());
    TEXTMETRICA metrics{};
    if (dc.Get() != nullptr && GetTextMetricsA(dc.Get(), &metrics) != 0) {
      lineHeight_ = std::max(1, static_cast<int>(metrics.tmHeight));
      charWidth_ = std::max(1, static_cast<int>(metrics.tmAveCharWidth));
    }
  }

  void Relayout() {
    RECT client{};
    GetClientRect(Self(), &client);
    width_ = client.right;
    height_ = client.bottom;
    top_ = std::min(top_, MaxTop());
    left_ = std::clamp(left_, 0, MaxLeft());
    UpdateScrollBars();
    InvalidateRect(Self(), nullptr, FALSE);
    if (focused_) {
      DestroyCaret();  // its height follows the font
      CreateCaret(Self(), nullptr, 1, lineHeight_);
      ShowCaret(Self());
    }
    PlaceCaret();
  }

  // Each bar is set only when its range, page or position moved: under Wine every setting
  // redraws the bar at once, and a run of appends would otherwise pay for four of them.
  void UpdateScrollBars() {
    SetBar(SB_VERT, Bar{Count() > 0 ? ToInt(Count() - 1) : 0, ToInt(PageRows()), ToInt(top_)},
           vertical_);
    SetBar(SB_HORZ, Bar{ContentWidth() - 1, std::max(0, width_), left_}, horizontal_);
  }

  struct Bar {
    int max, page, position;
    bool operator==(const Bar&) const = default;
  };

  void SetBar(int which, const Bar& wanted, std::optional<Bar>& shown) {
    if (shown == wanted) return;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    info.nMax = wanted.max;
    info.nPage = static_cast<UINT>(wanted.page);
    info.nPos = wanted.position;
    SetScrollInfo(Self(), which, &info, TRUE);
    shown = wanted;
  }

  // --- Drawing -----------------------------------------------------------------------------

  RECT RowRect(std::size_t row) const {
    const int top = ToInt(row) * lineHeight_;
    return RECT{0, top, width_, top + lineHeight_};
  }

  // Lines from `line` to the bottom of the view, as far as they are in sight.
  void InvalidateFrom(std::size_t line) {
    if (line >= top_ + SeenRows()) line = top_ + SeenRows() - 1;  // still ask for a paint
    const std::size_t row = line > top_ ? line - top_ : 0;
    RECT rest = RowRect(row);
    rest.bottom = std::max<LONG>(rest.bottom, height_);
    InvalidateRect(Self(), &rest, FALSE);
  }

  void InvalidateLines(std::size_t first, std::size_t last) {
    if (last < top_ || first >= top_ + SeenRows()) return;
    first = std::max(first, top_);
    last = std::min(last, top_ + SeenRows() - 1);
    RECT area = RowRect(first - top_);
    area.bottom = RowRect(last - top_).bottom;
    InvalidateRect(Self(), &area, FALSE);
  }

  static int Extent(HDC dc, std::string_view text, std::size_t count) {
    count = std::min(count, text.size());
    if (count == 0) return 0;
    SIZE size{};
    GetTextExtentPoint32A(dc, text.data(), ToInt(count), &size);
    return size.cx;
  }

  COLORREF TextColour() const {
    if (IsWindowEnabled(Self()) == 0) return GetSysColor(COLOR_GRAYTEXT);
    const std::uint32_t colour = Model().GetFont().color;
    return colour != kDefaultTextColor ? static_cast<COLORREF>(colour)
                                       : GetSysColor(COLOR_WINDOWTEXT);
  }

  void Paint(HDC dc, const RECT& area) override {
    HGDIOBJ previous = ShownFont() != nullptr ? SelectObject(dc, ShownFont()) : nullptr;
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const COLORREF text = TextColour();
    const int firstRow = std::max(0L, area.top) / lineHeight_;
    const int lastRow = std::max(0L, area.bottom - 1) / lineHeight_;
    const Spot from = std::min(anchor_, caret_);
    const Spot to = std::max(anchor_, caret_);
    for (int row = firstRow; row <= lastRow; ++row) {
      RECT rowRect = RowRect(static_cast<std::size_t>(row));
      rowRect.right = std::max(rowRect.right, area.right);
      const std::size_t line = top_ + static_cast<std::size_t>(row);
      SetTextColor(dc, text);
      SetBkColor(dc, face);
      if (line >= Count()) {
        ExtTextOutA(dc, 0, rowRect.top, ETO_OPAQUE, &rowRect, "", 0, nullptr);
        continue;
      }
      const std::string_view shown = memo_.Line(line);
      ExtTextOutA(dc, -left_, rowRect.top, ETO_OPAQUE | ETO_CLIPPED, &rowRect, shown.data(),
                  static_cast<UINT>(shown.size()), nullptr);
      if (from == to || line < from.line || line > to.line) continue;
      const std::size_t begin = line == from.line ? std::min(from.column, shown.size()) : 0;
      const std::size_t end = line == to.line ? std::min(to.column, shown.size()) : shown.size();
      // A selection that runs on past the line shows its line break as one cell.
      const int lineBreak = line < to.line ? charWidth_ : 0;
      const int x = -left_ + Extent(dc, shown, begin);
      RECT marked{x, rowRect.top, -left_ + Extent(dc, shown, end) + lineBreak, rowRect.bottom};
      IntersectRect(&marked, &marked, &rowRect);
      SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
      SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
      ExtTextOutA(dc, x, rowRect.top, ETO_OPAQUE | ETO_CLIPPED, &marked, shown.data() + begin,
                  static_cast<UINT>(end - begin), nullptr);
    }
    if (previous != nullptr) SelectObject(dc, previous);
  }

  // --- Scrolling -----------------------------------------------------------------------------

  void ScrollTo(std::size_t top, int left) {
    top = std::min(top, MaxTop());
    left = std::clamp(left, 0, MaxLeft());
    if (top == top_ && left == left_) return;
    const std::size_t moved = top > top_ ? top - top_ : top_ - top;
    const int dx = left_ - left;
    const bool nearby = moved < SeenRows() && std::abs(dx) < width_;
    const int dy = nearby ? (top_ > top ? 1 : -1) * ToInt(moved) * lineHeight_ : 0;
    top_ = top;
    left_ = left;
    if (focused_) HideCaret(Self());
    if (nearby) {
      ScrollWindowEx(Self(), dx, dy, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE);
    } else {
      InvalidateRect(Self(), nullptr, FALSE);
    }
    UpdateScrollBars();
    PlaceCaret();
    if (focused_) ShowCaret(Self());
  }

  void ScrollLines(long long rows) {
    const long long top = std::max(0LL, static_cast<long long>(top_) + rows);
    ScrollTo(static_cast<std::size_t>(top), left_);
  }

  int TrackPosition(int bar) const {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_TRACKPOS;
    GetScrollInfo(Self(), bar, &info);
    return info.nTrackPos;  // all 32 bits, unlike the message's 16
  }

  void VerticalScroll(int request) {
    Sync();
    const auto page = static_cast<long long>(PageRows());
    switch (request) {
      case SB_LINEUP:
        ScrollLines(-1);
        break;
      case SB_LINEDOWN:
        ScrollLines(1);
        break;
      case SB_PAGEUP:
        ScrollLines(-page);
        break;
      case SB_PAGEDOWN:
        ScrollLines(page);
        break;
      case SB_TOP:
        ScrollTo(0, left_);
        break;
      case SB_BOTTOM:
        ScrollTo(MaxTop(), left_);
        break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION:
        ScrollTo(static_cast<std::size_t>(std::max(0, TrackPosition(SB_VERT))), left_);
        break;
      default:
        break;
    }
  }

  void HorizontalScroll(int request) {
    Sync();
    switch (request) {
      case SB_LINELEFT:
        ScrollTo(top_, left_ - charWidth_);
        break;
      case SB_LINERIGHT:
        ScrollTo(top_, left_ + charWidth_);
        break;
      case SB_PAGELEFT:
        ScrollTo(top_, left_ - width_);
        break;
      case SB_PAGERIGHT:
        ScrollTo(top_, left_ + width_);
        break;
      case SB_LEFT:
        ScrollTo(top_, 0);
        break;
      case SB_RIGHT:
        ScrollTo(top_, MaxLeft());
        break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION:
        ScrollTo(top_, TrackPosition(SB_HORZ));
        break;
      default:
        break;
    }
  }

  void Wheel(int delta) {
    Sync();
    UINT perNotch = 3;
    SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &perNotch, 0);
    const long long lines =
        perNotch == WHEEL_PAGESCROLL ? static_cast<long long>(PageRows()) : perNotch;
    wheelRest_ += delta;
    const int notches = wheelRest_ / WHEEL_DELTA;
    wheelRest_ %= WHEEL_DELTA;
    ScrollLines(-notches * lines);
  }

  // --- Caret and selection -------------------------------------------------------------------

  int CaretX() const {
    if (caret_.line >= Count()) return 0;
    WindowDc dc(Self(), ShownFont());
    return dc.Get() != nullptr ? Extent(dc.Get(), memo_.Line(caret_.line), caret_.column) : 0;
  }

  void PlaceCaret() {
    if (!focused_) return;
    const bool inSight = caret_.line >= top_ && caret_.line < top_ + SeenRows();
    // Out of sight it waits above the view, where it does not show.
    const int y = inSight ? ToInt(caret_.line - top_) * lineHeight_ : -2 * lineHeight_;
    SetCaretPos(CaretX() - left_, y);
  }

  void EnsureVisible(Spot spot) {
    std::size_t top = top_;
    if (spot.line < top) top = spot.line;
    if (spot.line >= top + PageRows()) top = spot.line - PageRows() + 1;
    int left = left_;
    const int x = CaretX();
    if (x < left) left = x - width_ / 4;
    if (x > left + width_ - charWidth_) left = x - width_ + width_ / 4;
    ScrollTo(top, left);
  }

  void MoveCaret(Spot to, bool extend) {
    const Spot oldFrom = std::min(anchor_, caret_);
    const Spot oldTo = std::max(anchor_, caret_);
    caret_ = to;
    if (!extend) anchor_ = to;
    const Spot from = std::min(anchor_, caret_);
    const Spot until = std::max(anchor_, caret_);
    if (oldFrom != oldTo || from != until) {
      InvalidateLines(std::min(oldFrom.line, from.line), std::max(oldTo.line, until.line));
    }
    EnsureVisible(caret_);
    PlaceCaret();
  }

  Spot SpotAt(int x, int y) {
    Sync();
    if (Count() == 0) return {};
    const long long row = y >= 0 ? y / lineHeight_ : -1 - (-y - 1) / lineHeight_;
    const long long line =
        std::clamp(static_cast<long long>(top_) + row, 0LL, static_cast<long long>(Count()) - 1);
    const std::string_view text = memo_.Line(static_cast<std::size_t>(line));
    const int target = x + left_;
    std::size_t column = 0;
    if (target > 0 && !text.empty()) {
      WindowDc dc(Self(), ShownFont());
      std::vector<int> ends(text.size());
      SIZE size{};
      if (dc.Get() != nullptr) {
        GetTextExtentExPointA(dc.Get(), text.data(), ToInt(text.size()), 0, nullptr, ends.data(),
                              &size);
      }
      // The nearer edge of the character under the point.
      column = text.size();
      for (std::size_t i = 0; i < text.size(); ++i) {
        const int start = i > 0 ? ends[i - 1] : 0;
        if (target < (start + ends[i] + 1) / 2) {
          column = i;
          break;
        }
      }
    }
    return {static_cast<std::size_t>(line), column};
  }

  void Press(int x, int y, bool extend) {
    if (GetFocus() != Self()) SetFocus(Self());
    SetCapture(Self());
    selecting_ = true;
    MoveCaret(SpotAt(x, y), extend);
  }

  bool Key(WPARAM key) {
    Sync();
    const bool control = GetKeyState(VK_CONTROL) < 0;
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    if (control && key == 'A') {
      anchor_ = Spot{};
      MoveCaret(End(), true);
      return true;
    }
    if (control && (key == 'C' || key == VK_INSERT)) {
      Copy();
      return true;
    }
    if (Count() == 0) return false;
    Spot to = caret_;
    const std::size_t page = PageRows();
    switch (key) {
      case VK_LEFT:
        if (to.column > 0) {
          --to.column;
        } else if (to.line > 0) {
          --to.line;
          to.column = LineLength(to.line);
        }
        break;
      case VK_RIGHT:
        if (to.column < LineLength(to.line)) {
          ++to.column;
        } else if (to.line + 1 < Count()) {
          ++to.line;
          to.column = 0;
        }
        break;
      case VK_UP:
        if (to.line > 0) --to.line;
        break;
      case VK_DOWN:
        if (to.line + 1 < Count()) ++to.line;
        break;
      case VK_PRIOR:
        to.line -= std::min(to.line, page);
        ScrollTo(top_ - std::min(top_, page), left_);
        break;
      case VK_NEXT:
        to.line = std::min(Count() - 1, to.line + page);
        ScrollTo(top_ + page, left_);
        break;
      case VK_HOME:
        to = control ? Spot{} : Spot{to.line, 0};
        break;
      case VK_END:
        to = control ? End() : Spot{to.line, LineLength(to.line)};
        break;
      default:
        return false;
    }
    to.column = std::min(to.column, LineLength(to.line));
    MoveCaret(to, shift);
    return true;
  }

  std::string Selected() const {
    const Spot from = std::min(anchor_, caret_);
    const Spot to = std::max(anchor_, caret_);
    std::string text;
    for (std::size_t line = from.line; line <= to.line && line < Count(); ++line) {
      const std::string_view whole = memo_.Line(line);
      const std::size_t begin = line == from.line ? std::min(from.column, whole.size()) : 0;
      const std::size_t end = line == to.line ? std::min(to.column, whole.size()) : whole.size();
      text.append(whole.substr(begin, end - begin));
      if (line < to.line) text += "\r\n";
    }
    return text;
  }

  // As an edit control does: nothing selected, nothing copied.
  void Copy() {
    if (anchor_ == caret_) return;
    const std::string text = Selected();
    GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, text.size() + 1));
    if (memory.Get() == nullptr) return;
    void* bytes = GlobalLock(memory.Get());
    if (bytes == nullptr) return;
    std::memcpy(bytes, text.c_str(), text.size() + 1);
    GlobalUnlock(memory.Get());
    OpenClipboardScope clipboard(Self());
    if (!clipboard.Open()) return;
    EmptyClipboard();
    if (SetClipboardData(CF_TEXT, memory.Get()) != nullptr) (void)memory.Release();
  }

  // --- Text for readers, as an edit control gives it ------------------------------------------

  // Up to size - 1 characters of the lines joined by CR LF, then a NUL; returns how many.
  std::size_t CopyText(char* out, std::size_t size) const override {
    if (out == nullptr || size == 0) return 0;
    const std::size_t room = static_cast<std::size_t>(size) - 1;
    std::size_t used = 0;
    const auto put = [&](std::string_view piece) {
      const std::size_t n = std::min(piece.size(), room - used);
      std::memcpy(out + used, piece.data(), n);
      used += n;
    };
    for (std::size_t line = 0; line < Count() && used < room; ++line) {
      if (line > 0) put("\r\n");
      put(memo_.Line(line));
    }
    out[used] = '\0';
    return used;
  }

  // EM_GETLINE: the buffer's first WORD gives its size; the line is copied without its break.
  std::size_t CopyLine(std::size_t line, char* out) const {
    if (out == nullptr) return 0;
    WORD size = 0;
    std::memcpy(&size, out, sizeof size);
    if (line >= Count()) {
      if (line == 0 && size > 0) out[0] = '\0';  // the one empty line of an empty box
      return 0;
    }
    const std::string_view text = memo_.Line(line);
    const std::size_t n = std::min<std::size_t>(text.size(), size);
    std::memcpy(out, text.data(), n);
    if (n < size) out[n] = '\0';
    return n;
  }

  Memo& memo_;
  int lineHeight_ = 16;
  int charWidth_ = 8;
  std::optional<Bar> vertical_;    // what each scroll bar was last set to
  std::optional<Bar> horizontal_;
  int width_ = 0;
  int height_ = 0;
  std::size_t top_ = 0;       // the first line in sight
  int left_ = 0;              // pixels scrolled off to the left
  std::size_t widest_ = 0;    // characters of the longest line
  bool pending_ = false;      // lines were added since the last paint
  std::size_t firstNew_ = 0;  // the first of them
  Spot anchor_;               // where the selection started
  Spot caret_;                // where it ends, and the caret is
  bool selecting_ = false;    // the mouse is drawing a selection
  bool focused_ = false;
  int wheelRest_ = 0;  // wheel movement short of a notch
};

}  // namespace

std::unique_ptr<WindowPeer> MakePeer(std::shared_ptr<FormPeer> form, Memo& memo) {
  return std::make_unique<MemoPeer>(std::move(form), memo);
}

}  // namespace tarnwick::ui::win32
