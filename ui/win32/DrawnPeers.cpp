// The gauge and the speed button, drawn by us: the progress control of the common controls
// cannot write its percentage over the bar, and a themed push button is never flat.
#include "ui/win32/DrawnPeers.h"

#include <algorithm>
#include <string>

#include "ui/win32/FormPeer.h"

namespace tarnwick::ui::win32 {
namespace {

// The gauge's colours: black on white, the bar black.
constexpr COLORREF kGaugeFore = RGB(0, 0, 0);
constexpr COLORREF kGaugeBack = RGB(255, 255, 255);

class GaugePeer final : public DrawnPeer {
 public:
  GaugePeer(std::shared_ptr<FormPeer> form, Gauge& gauge)
      : DrawnPeer(std::move(form), gauge), gauge_(gauge) {
    CreateSelf(kGaugeClass, 0, IDC_ARROW);
  }

  // The model tells only of whole-percent changes, so each one is a repaint.
  void Changed(Change what) override {
    if (what == Change::Progress) {
      InvalidateRect(Self(), nullptr, FALSE);
    } else {
      WindowPeer::Changed(what);
    }
  }

 private:
  std::optional<LRESULT> Handle(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_SETFONT:
        font_ = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam) != 0) InvalidateRect(Self(), nullptr, FALSE);
        return 0;
      case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
      case WM_ERASEBKGND:
        return 1;
      case WM_PAINT: {
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(Self(), &paint);
        if (dc != nullptr) Draw(dc);
        EndPaint(Self(), &paint);
        return 0;
      }
      case WM_PRINTCLIENT:
        Draw(reinterpret_cast<HDC>(wParam));
        return 0;
      // A reader hears the percentage the bar shows.
      case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(gauge_.Text().size());
      case WM_GETTEXT: {
        auto* out = reinterpret_cast<char*>(lParam);
        if (out == nullptr || wParam == 0) return 0;
        const std::string text = gauge_.Text();
        const std::size_t n = std::min<std::size_t>(text.size(), wParam - 1);
        text.copy(out, n);
        out[n] = '\0';
        return static_cast<LRESULT>(n);
      }
      case WM_SETTEXT:
        return FALSE;
      default:
        return std::nullopt;
    }
  }

  // Off screen, so that the inversion never flickers: the text in the fore colour on the back
  // colour, then the bar's part inverted, which turns the text over it into the back colour.
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
    HGDIOBJ previousFont = font_ != nullptr ? SelectObject(dc, font_) : nullptr;

    SetBkColor(dc, kGaugeBack);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &client, "", 0, nullptr);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kGaugeFore);
    const std::string text = gauge_.Text();
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &client,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    RECT bar{0, 0, MulDiv(width, gauge_.PercentDone(), 100), height};
    InvertRect(dc, &bar);

    if (previousFont != nullptr) SelectObject(dc, previousFont);
    if (offScreen) {
      BitBlt(target, 0, 0, width, height, dc, 0, 0, SRCCOPY);
      SelectObject(dc, previousPicture);
    }
  }

  Gauge& gauge_;
  HFONT font_ = nullptr;
};

// An owner-drawn button: flat on the face, an edge while the pointer is over it or it is held
// down, and the glyph in the middle. It is no tab stop.
class SpeedButtonPeer final : public WindowPeer {
 public:
  SpeedButtonPeer(std::shared_ptr<FormPeer> form, SpeedButton& button)
      : WindowPeer(std::move(form), button), button_(button) {
    Adopt(CreateChild("BUTTON", button.Caption().c_str(), BS_OWNERDRAW, 0, FormBounds()));
  }

  void Changed(Change what) override {
    if (what == Change::Picture) {
      InvalidateRect(Window(), nullptr, FALSE);
    } else {
      WindowPeer::Changed(what);
    }
  }

  void Command(HWND, int code) override {
    if (code == BN_CLICKED && EnabledOnForm()) button_.UserClick();
  }

  bool DrawItem(const DRAWITEMSTRUCT& item) override {
    HDC dc = item.hDC;
    RECT face = item.rcItem;
    FillRect(dc, &face, GetSysColorBrush(COLOR_BTNFACE));
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    if (pressed) {
      DrawEdge(dc, &face, BDR_SUNKENOUTER, BF_RECT);
    } else if (hot_) {
      DrawEdge(dc, &face, BDR_RAISEDINNER, BF_RECT);
    }
    auto* glyph = reinterpret_cast<HICON>(button_.Glyph());
    if (glyph == nullptr) return true;
    ICONINFO info{};
    if (GetIconInfo(glyph, &info) == 0) return true;
    // GetIconInfo hands over copies of both pictures.
    const BitmapHandle mask(info.hbmMask);
    const BitmapHandle colour(info.hbmColor);
    BITMAP shape{};
    GetObjectA(info.hbmMask, sizeof shape, &shape);
    const int glyphWidth = shape.bmWidth;
    const int glyphHeight = info.hbmColor != nullptr ? shape.bmHeight : shape.bmHeight / 2;
    const int shift = pressed ? 1 : 0;
    const int x = face.left + (face.right - face.left - glyphWidth) / 2 + shift;
    const int y = face.top + (face.bottom - face.top - glyphHeight) / 2 + shift;
    const UINT state = (item.itemState & ODS_DISABLED) != 0 ? DSS_DISABLED : DSS_NORMAL;
    DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(glyph), 0, x, y, 0, 0,
               DST_ICON | state);
    return true;
  }

  bool Mouse(HWND window, UINT message, WPARAM, LPARAM) override {
    if (message == WM_MOUSEMOVE && !hot_) {
      TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
      hot_ = TrackMouseEvent(&track) != 0;
      InvalidateRect(window, nullptr, FALSE);
      return true;
    }
    if (message == WM_MOUSELEAVE) {
      hot_ = false;
      InvalidateRect(window, nullptr, FALSE);
      return true;
    }
    return false;
  }

 private:
  SpeedButton& button_;
  bool hot_ = false;
};

}  // namespace

DrawnPeer::DrawnPeer(std::shared_ptr<FormPeer> form, Control& control)
    : WindowPeer(std::move(form), control),
      binding_([this](UINT message, WPARAM wParam, LPARAM lParam) {
        return Handle(message, wParam, lParam);
      }) {}

void DrawnPeer::CreateSelf(const char* className, DWORD style, const char* cursor) {
  Adopt(CreateBoundChild(binding_, className, style, WS_EX_CLIENTEDGE, FormBounds(),
                         LoadCursorA(nullptr, cursor)));
}

std::unique_ptr<WindowPeer> MakeGaugePeer(std::shared_ptr<FormPeer> form, Gauge& gauge) {
  return std::make_unique<GaugePeer>(std::move(form), gauge);
}

std::unique_ptr<WindowPeer> MakeSpeedButtonPeer(std::shared_ptr<FormPeer> form,
                                                SpeedButton& button) {
  return std::make_unique<SpeedButtonPeer>(std::move(form), button);
}

}  // namespace tarnwick::ui::win32
