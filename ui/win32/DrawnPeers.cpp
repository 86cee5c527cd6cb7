// The gauge, drawn by us: the progress control of the common controls cannot write its
// percentage over the bar. And what every peer that draws itself shares.
#include "ui/win32/DrawnPeers.h"

#include <oleacc.h>

#include <cstdint>
#include <string>

#include "ui/Gauge.h"
#include "ui/Palette.h"
#include "ui/win32/Accessible.h"
#include "ui/win32/FormPeer.h"

namespace tarnwick::ui::win32 {
namespace {

// Up to size - 1 characters of `text` then a NUL, as WM_GETTEXT gives them; returns how many.
std::size_t CopyOut(const std::string& text, char* out, std::size_t size) {
  if (out == nullptr || size == 0) return 0;
  const std::size_t n = text.copy(out, size - 1);
  out[n] = '\0';
  return n;
}

class GaugePeer final : public DrawnPeer {
 public:
  GaugePeer(std::shared_ptr<FormPeer> form, Gauge& gauge)
      : DrawnPeer(std::move(form), gauge), gauge_(gauge) {
    CreateSelf(kGaugeClass, 0, IDC_ARROW);
    // Its text is its value to a reader, never its name.
    reader_.Attach(Self(), {.role = ROLE_SYSTEM_PROGRESSBAR,
                            .name = [this] { return gauge_.AccessibleName(); },
                            .value = [this] { return std::optional<std::string>(gauge_.Text()); }});
  }

  // The model tells only of whole-percent changes, so each one is a repaint.
  void Changed(Change what) override {
    if (what != Change::Progress) return WindowPeer::Changed(what);
    InvalidateRect(Self(), nullptr, FALSE);
    NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, Self(), OBJID_CLIENT, CHILDID_SELF);
  }

 private:
  void Paint(HDC dc, const RECT&) override { Draw(dc); }
  // A reader hears the percentage the bar shows.
  std::size_t TextLength() const override { return gauge_.Text().size(); }
  std::size_t CopyText(char* out, std::size_t size) const override {
    return CopyOut(gauge_.Text(), out, size);
  }

  // Off screen, so that it never flickers: the text is written twice, once over the ground and
  // once over the bar, each in its own colours and clipped to its part, so that it can be read
  // over both.
  void Draw(HDC target) {
    RECT client{};
    GetClientRect(Self(), &client);
    const int width = client.right;
    const int height = client.bottom;
    if (width <= 0 || height <= 0) return;
    MemoryDc memory(CreateCompatibleDC(target));
    BitmapHandle picture(CreateCompatibleBitmap(target, width, height));
    const bool offScreen = memory.Get() != nullptr && picture.Get() != nullptr;
    HDC dc = offScreen ? memory.Get() : target;
    HGDIOBJ previousPicture = offScreen ? SelectObject(dc, picture.Get()) : nullptr;
    HGDIOBJ previousFont = ShownFont() != nullptr ? SelectObject(dc, ShownFont()) : nullptr;

    const GaugeColors colors = GaugePalette();
    const std::string text = gauge_.Text();
    const auto length = static_cast<int>(text.size());
    SIZE extent{};
    GetTextExtentPoint32A(dc, text.c_str(), length, &extent);
    const int x = (width - extent.cx) / 2;
    const int y = (height - extent.cy) / 2;
    const int done = MulDiv(width, gauge_.PercentDone(), 100);
    const auto part = [&](RECT area, std::uint32_t ground, std::uint32_t ink) {
      SetBkColor(dc, static_cast<COLORREF>(ground));
      SetTextColor(dc, static_cast<COLORREF>(ink));
      ExtTextOutA(dc, x, y, ETO_OPAQUE | ETO_CLIPPED, &area, text.c_str(),
                  static_cast<UINT>(length), nullptr);
    };
    part({done, 0, width, height}, colors.ground, colors.text);
    part({0, 0, done, height}, colors.bar, colors.barText);

    if (previousFont != nullptr) SelectObject(dc, previousFont);
    if (offScreen) {
      BitBlt(target, 0, 0, width, height, dc, 0, 0, SRCCOPY);
      SelectObject(dc, previousPicture);
    }
  }

  Gauge& gauge_;
  AccessibleWindow reader_;
};

}  // namespace

DrawnPeer::DrawnPeer(std::shared_ptr<FormPeer> form, Control& control)
    : WindowPeer(std::move(form), control),
      binding_([this](UINT message, WPARAM wParam, LPARAM lParam) {
        if (std::optional<LRESULT> result = Handle(message, wParam, lParam)) return result;
        return Answer(message, wParam, lParam);
      }) {}

void DrawnPeer::CreateSelf(const char* className, DWORD style, const char* cursor) {
  // Every pixel is painted here; the class brush shows only before the first paint.
  Adopt(CreateChild(
      {.className = className,
       .style = style,
       .exStyle = WS_EX_CLIENTEDGE,
       .at = FormBounds(),
       .background = reinterpret_cast<os::HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)),
       .cursor = reinterpret_cast<os::HCURSOR>(LoadCursorA(nullptr, cursor))},
      &binding_));
}

std::optional<LRESULT> DrawnPeer::Answer(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETFONT:
      font_ = reinterpret_cast<HFONT>(wParam);
      FontChanged(LOWORD(lParam) != 0);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_ERASEBKGND:
      return 1;  // the paint covers every pixel
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      HDC dc = BeginPaint(Self(), &paint);
      if (dc != nullptr) Paint(dc, paint.rcPaint);
      EndPaint(Self(), &paint);
      return 0;
    }
    case WM_PRINTCLIENT: {
      RECT client{};
      GetClientRect(Self(), &client);
      Paint(reinterpret_cast<HDC>(wParam), client);
      return 0;
    }
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(TextLength());
    case WM_GETTEXT:
      return static_cast<LRESULT>(CopyText(reinterpret_cast<char*>(lParam), wParam));
    case WM_SETTEXT:
      return FALSE;  // the model's is the only text
    default:
      return std::nullopt;
  }
}

std::span<const PeerKind> GaugePeers() {
  static const PeerKind kinds[] = {KindOf<GaugePeer, Gauge>()};
  return kinds;
}

}  // namespace tarnwick::ui::win32
