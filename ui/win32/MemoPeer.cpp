// The memo's view: a window of our own that draws only the lines in sight, straight from the
// model's store. An edit control copies every line into itself and slows down with each one;
// this view costs the same at the first line and at the millionth. What it does with the text
// is the TextView's; here it is painted, scrolled and read as an edit control is read.
#include <windows.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ScopeExit.h"
#include "ui/Memo.h"
#include "ui/Palette.h"
#include "ui/TextView.h"
#include "ui/win32/Accessible.h"
#include "ui/win32/DrawnPeers.h"
#include "ui/win32/FormPeer.h"

namespace tarnwick::ui::win32 {
namespace {

static_assert(TextView::kWheelPage == WHEEL_PAGESCROLL);
static_assert(static_cast<int>(ScrollRequest::ThumbTrack) == SB_THUMBTRACK &&
              static_cast<int>(ScrollRequest::End) == SB_BOTTOM);

int Extent(HDC dc, std::string_view text) {
  if (text.empty()) return 0;
  SIZE size{};
  GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
  return size.cx;
}

class MemoPeer final : public DrawnPeer, private TextView::Window {
 public:
  MemoPeer(std::shared_ptr<FormPeer> form, Memo& memo)
      : DrawnPeer(std::move(form), memo), memo_(memo), view_(memo, *this) {
    CreateSelf(kMemoClass, WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | WS_GROUP, IDC_IBEAM);
    Reload();
    reader_.Attach(Self(), {.role = ROLE_SYSTEM_TEXT,
                            .name = [this] { return memo_.AccessibleName(); },
                            .value = [this] { return std::optional(ValueForReader()); },
                            .state = STATE_SYSTEM_READONLY});
  }

  void Changed(Change what) override {
    if (what == Change::ItemAdded) return view_.Appended();
    if (what == Change::Items) return Reload();
    WindowPeer::Changed(what);
  }

 private:
  void Reload() {
    view_.Reload();
    Measure();
    Relayout();
  }

  void FontChanged(bool) override {
    Measure();
    Relayout();
  }

  std::optional<LRESULT> Handle(UINT message, WPARAM wParam, LPARAM lParam) override {
    const int x = static_cast<short>(LOWORD(lParam));
    const int y = static_cast<short>(HIWORD(lParam));
    switch (message) {
      case WM_SIZE:
        Relayout();
        return 0;
      case WM_PAINT:
      case WM_PRINTCLIENT:
        view_.Sync();
        return std::nullopt;  // painted as every drawn control is
      case WM_VSCROLL:
      case WM_HSCROLL:
        view_.Scroll(message == WM_VSCROLL, static_cast<ScrollRequest>(LOWORD(wParam)));
        return 0;
      case WM_MOUSEWHEEL: {
        UINT perNotch = 3;
        SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &perNotch, 0);
        view_.Wheel(GET_WHEEL_DELTA_WPARAM(wParam), perNotch);
        return 0;
      }
      case WM_KEYDOWN: {
        const bool used = view_.Key(static_cast<int>(wParam), GetKeyState(VK_CONTROL) < 0,
                                    GetKeyState(VK_SHIFT) < 0);
        return used ? std::optional<LRESULT>(0) : std::nullopt;
      }
      case WM_CHAR:
        return 0;  // read-only: typing changes nothing
      case WM_LBUTTONDOWN:
        if (GetFocus() != Self()) SetFocus(Self());
        SetCapture(Self());
        view_.Press(x, y, (wParam & MK_SHIFT) != 0);
        return 0;
      case WM_MOUSEMOVE:
        view_.Drag(x, y);
        return 0;
      case WM_LBUTTONUP:
        if (view_.Selecting()) ReleaseCapture();
        return 0;
      case WM_CAPTURECHANGED:
        view_.EndSelecting();
        return 0;
      case WM_SETFOCUS:
        view_.SetFocused(true);
        CreateCaret(Self(), nullptr, 1, view_.LineHeight());
        view_.PlaceCaret();
        ShowCaret(Self());
        Form().FocusArrived(Self());
        return 0;
      case WM_KILLFOCUS:
        view_.SetFocused(false);
        DestroyCaret();
        return 0;
      case WM_GETDLGCODE:
        // The arrows move in the text; Tab and Enter stay the dialog's.
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
      case EM_GETLINECOUNT:
        return static_cast<LRESULT>(std::max<std::size_t>(1, memo_.LineCount()));
      case EM_GETLINE:
        return static_cast<LRESULT>(
            view_.CopyLine(static_cast<std::size_t>(wParam), reinterpret_cast<char*>(lParam)));
      case EM_GETFIRSTVISIBLELINE:
        view_.Sync();
        return static_cast<LRESULT>(view_.Top());
      case WM_COPY:
        view_.Copy();
        return 0;
      default:
        return std::nullopt;
    }
  }

  void Measure() {
    WindowDc dc(Self(), ShownFont());
    TEXTMETRICA metrics{};
    if (dc.Get() != nullptr && GetTextMetricsA(dc.Get(), &metrics) != 0) {
      view_.SetMetrics(metrics.tmHeight, metrics.tmAveCharWidth);
    }
  }

  void Relayout() {
    RECT client{};
    GetClientRect(Self(), &client);
    view_.Resize(client.right, client.bottom);
    if (view_.Focused()) {
      DestroyCaret();  // its height follows the font
      CreateCaret(Self(), nullptr, 1, view_.LineHeight());
      ShowCaret(Self());
    }
    view_.PlaceCaret();
  }

  int Extent(std::string_view text) override {
    WindowDc dc(Self(), ShownFont());
    return dc.Get() != nullptr ? win32::Extent(dc.Get(), text) : 0;
  }

  std::vector<int> Ends(std::string_view text) override {
    std::vector<int> ends(text.size());
    WindowDc dc(Self(), ShownFont());
    SIZE size{};
    if (dc.Get() != nullptr) {
      GetTextExtentExPointA(dc.Get(), text.data(), static_cast<int>(text.size()), 0, nullptr,
                            ends.data(), &size);
    }
    return ends;
  }

  void Invalidate(int top, int bottom) override {
    const RECT area{0, top, view_.Width(), bottom};
    InvalidateRect(Self(), &area, FALSE);
  }

  void InvalidateAll() override { InvalidateRect(Self(), nullptr, FALSE); }

  void Scroll(int dx, int dy) override {
    if (view_.Focused()) HideCaret(Self());
    ScrollWindowEx(Self(), dx, dy, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE);
    if (view_.Focused()) ShowCaret(Self());
  }

  void SetBar(bool vertical, const ScrollBar& bar) override {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    info.nMax = bar.max;
    info.nPage = static_cast<UINT>(bar.page);
    info.nPos = bar.position;
    SetScrollInfo(Self(), vertical ? SB_VERT : SB_HORZ, &info, TRUE);
  }

  int TrackPosition(bool vertical) override {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_TRACKPOS;
    GetScrollInfo(Self(), vertical ? SB_VERT : SB_HORZ, &info);
    return info.nTrackPos;  // all 32 bits, unlike the message's 16
  }

  void PlaceCaret(int x, int y) override { SetCaretPos(x, y); }

  void Copy(const std::string& text) override {
    GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, text.size() + 1));
    if (memory.Get() == nullptr) return;
    void* bytes = GlobalLock(memory.Get());
    if (bytes == nullptr) return;
    std::memcpy(bytes, text.c_str(), text.size() + 1);
    GlobalUnlock(memory.Get());
    if (OpenClipboard(Self()) == 0) return;
    const platform::ScopeExit close([] { CloseClipboard(); });
    EmptyClipboard();
    if (SetClipboardData(CF_TEXT, memory.Get()) != nullptr) (void)memory.Release();
  }

  // The face's own text colour: the window's, on the face, can be unreadable in a scheme.
  COLORREF TextColour() const {
    if (IsWindowEnabled(Self()) == 0) return GetSysColor(COLOR_GRAYTEXT);
    return static_cast<COLORREF>(TextColor(Model()));
  }

  void Paint(HDC dc, const RECT& area) override {
    HGDIOBJ previous = ShownFont() != nullptr ? SelectObject(dc, ShownFont()) : nullptr;
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const COLORREF text = TextColour();
    const int lineHeight = view_.LineHeight();
    const int left = view_.Left();
    const int firstRow = std::max(0L, area.top) / lineHeight;
    const int lastRow = std::max(0L, area.bottom - 1) / lineHeight;
    const TextSpot from = std::min(view_.Anchor(), view_.Caret());
    const TextSpot to = std::max(view_.Anchor(), view_.Caret());
    for (int row = firstRow; row <= lastRow; ++row) {
      RECT rowRect{0, row * lineHeight, std::max<LONG>(view_.Width(), area.right),
                   (row + 1) * lineHeight};
      const std::size_t line = view_.Top() + static_cast<std::size_t>(row);
      SetTextColor(dc, text);
      SetBkColor(dc, face);
      if (line >= memo_.LineCount()) {
        ExtTextOutA(dc, 0, rowRect.top, ETO_OPAQUE, &rowRect, "", 0, nullptr);
        continue;
      }
      const std::string_view shown = memo_.Line(line);
      ExtTextOutA(dc, -left, rowRect.top, ETO_OPAQUE | ETO_CLIPPED, &rowRect, shown.data(),
                  static_cast<UINT>(shown.size()), nullptr);
      if (from == to || line < from.line || line > to.line) continue;
      const std::size_t begin = line == from.line ? std::min(from.column, shown.size()) : 0;
      const std::size_t end = line == to.line ? std::min(to.column, shown.size()) : shown.size();
      // A selection that runs on past the line shows its line break as one cell.
      const int lineBreak = line < to.line ? view_.CharWidth() : 0;
      const int x = -left + win32::Extent(dc, shown.substr(0, begin));
      RECT marked{x, rowRect.top, -left + win32::Extent(dc, shown.substr(0, end)) + lineBreak,
                  rowRect.bottom};
      IntersectRect(&marked, &marked, &rowRect);
      SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
      SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
      ExtTextOutA(dc, x, rowRect.top, ETO_OPAQUE | ETO_CLIPPED, &marked, shown.data() + begin,
                  static_cast<UINT>(end - begin), nullptr);
    }
    if (previous != nullptr) SelectObject(dc, previous);
  }

  // A reader is given the text as its value up to a bound: a dump of a hundred megabytes would
  // be copied whole at every ask. The rest it reads line by line, as from an edit control.
  std::string ValueForReader() const {
    constexpr std::size_t kMostRead = 64 * 1024;
    std::string start(std::min(memo_.TextLength(), kMostRead) + 1, '\0');
    start.resize(view_.CopyText(start.data(), start.size()));
    return start;
  }

  std::size_t TextLength() const override { return memo_.TextLength(); }
  std::size_t CopyText(char* out, std::size_t size) const override {
    return view_.CopyText(out, size);
  }

  Memo& memo_;
  TextView view_;
  AccessibleWindow reader_;
};

}  // namespace

std::span<const PeerKind> MemoPeers() {
  static const PeerKind kinds[] = {KindOf<MemoPeer, Memo>()};
  return kinds;
}

}  // namespace tarnwick::ui::win32
