// The peers that draw themselves, on a form of their own under Wine: the memo's view read like
// a real EDIT holding the same lines, following the end of a long text, scrolled, selected and
// copied; the gauge's repaints and inverted text; the speed button, its tooltip and what a
// screen reader makes of it; and key preview.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/Win32Platform.h"
#include "tests/win32/support/ProgramDriver.h"
#include "ui/Application.h"
#include "ui/Button.h"
#include "ui/Form.h"
#include "ui/Gauge.h"
#include "ui/Memo.h"
#include "ui/SpeedButton.h"
#include "ui/win32/Handles.h"
#include "ui/win32/Resources.h"
#include "ui/win32/Win32Peers.h"

namespace {

using namespace tarnwick;

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) text += (i > 0 ? "\r\n" : "") + lines[i];
  return text;
}

// What a message that fills a buffer gave back: its result and what it wrote.
struct Answer {
  LRESULT result;
  std::string written;
  bool operator==(const Answer&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Answer& answer) {
  return out << answer.result << " \"" << answer.written << "\"";
}

// A buffer of `size` characters that starts as 0xEE bytes, so what was written shows.
Answer GetText(HWND window, std::size_t size) {
  std::vector<char> buffer(size + 8, '\xEE');
  const LRESULT result =
      SendMessageA(window, WM_GETTEXT, size, reinterpret_cast<LPARAM>(buffer.data()));
  return {result, std::string(buffer.begin(), std::find(buffer.begin(), buffer.end(), '\xEE'))};
}

Answer GetLine(HWND window, WPARAM line, WORD size) {
  std::vector<char> buffer(size + 8u, '\xEE');
  std::memcpy(buffer.data(), &size, sizeof size);
  const LRESULT result =
      SendMessageA(window, EM_GETLINE, line, reinterpret_cast<LPARAM>(buffer.data()));
  // The size word is overwritten only as far as the line reaches.
  const std::size_t shown =
      std::min<std::size_t>(buffer.size(), static_cast<std::size_t>(result) + 1);
  return {result, std::string(buffer.data(), shown)};
}

std::string Clipboard() {
  if (!OpenClipboard(nullptr)) return "<closed>";
  std::string text = "<empty>";
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    if (const auto* bytes = static_cast<const char*>(GlobalLock(data))) {
      text = bytes;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

void SetClipboard(const std::string& text) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  std::memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
  GlobalUnlock(memory);
  if (SetClipboardData(CF_TEXT, memory) == nullptr) GlobalFree(memory);
  CloseClipboard();
}

// Holds Shift and Ctrl as asked for the keys posted meanwhile.
class HeldKeys {
 public:
  HeldKeys(bool shift, bool control) { Hold(shift, control); }
  ~HeldKeys() { Hold(false, false); }
  HeldKeys(const HeldKeys&) = delete;
  HeldKeys& operator=(const HeldKeys&) = delete;

 private:
  static void Hold(bool shift, bool control) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    keys[VK_CONTROL] = control ? 0x80 : 0;
    SetKeyboardState(keys);
  }
};

// A top-down 32-bit picture of what a window draws for WM_PRINTCLIENT.
class Snapshot {
 public:
  explicit Snapshot(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    width_ = client.right;
    height_ = client.bottom;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width_, -height_, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP picture = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(dc, picture);
    SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    GdiFlush();
    const auto* pixels = static_cast<const DWORD*>(bits);
    pixels_.assign(pixels, pixels + static_cast<std::size_t>(width_) * height_);
    SelectObject(dc, previous);
    DeleteObject(picture);
    DeleteDC(dc);
  }
  int Width() const { return width_; }
  int Height() const { return height_; }
  COLORREF At(int x, int y) const {
    const DWORD pixel = pixels_[static_cast<std::size_t>(y) * width_ + x];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
  }
  // Pixels in columns [left, right) that are dark (or light), whatever the font's smoothing.
  int Dark(int left, int right, bool dark = true) const {
    int count = 0;
    for (int y = 0; y < height_; ++y) {
      for (int x = left; x < right; ++x) {
        const COLORREF c = At(x, y);
        count += (GetRValue(c) + GetGValue(c) + GetBValue(c) < 384) == dark ? 1 : 0;
      }
    }
    return count;
  }
  int Light(int left, int right) const { return Dark(left, right, false); }
  int Count(COLORREF colour, int left, int right) const {
    int count = 0;
    for (int y = 0; y < height_; ++y) {
      for (int x = left; x < right; ++x) count += At(x, y) == colour ? 1 : 0;
    }
    return count;
  }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<DWORD> pixels_;
};

class DrawnPeers : public ::testing::Test {
 protected:
  void SetUp() override {
    app_.ShowError = [this](const std::string& message) { errors_.push_back(message); };
    app_.Initialize();
    app_.SetBackend(ui::win32::MakeBackend());
    form_.SetClientSize(420, 300);
    memo_.SetBounds(8, 8, 300, 160);
    ui::Font courier;
    courier.name = "Courier New";
    courier.height = -11;
    memo_.SetFont(courier);
    gauge_.SetBounds(8, 180, 200, 20);
    speed_.SetBounds(216, 178, 24, 24);
    button_.SetBounds(250, 178, 75, 25);
    button_.SetCaption("&Next");
    stop_ = ui::win32::MakeStopGlyph(16);
    speed_.SetGlyph(stop_.Get());
    speed_.OnClick = [this](ui::Component&) { ++clicks_; };
    for (ui::Control* control :
         std::initializer_list<ui::Control*>{&memo_, &gauge_, &speed_, &button_}) {
      form_.AddControl(*control);
    }
    form_.CreatePeers();
    form_.SetVisible(true);
    app_.ProcessMessages();
    window_ = reinterpret_cast<HWND>(form_.Handle());
    view_ = FindWindowExA(window_, nullptr, "TarnwickMemo", nullptr);
    bar_ = FindWindowExA(window_, nullptr, "TarnwickGauge", nullptr);
    for (HWND child = GetWindow(window_, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
      if ((GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW) speedWindow_ = child;
    }
    ASSERT_NE(nullptr, view_);
    ASSERT_NE(nullptr, bar_);
    ASSERT_NE(nullptr, speedWindow_);
    TEXTMETRICA metrics{};
    HDC dc = GetDC(view_);
    HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(view_, WM_GETFONT, 0, 0)));
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, previous);
    ReleaseDC(view_, dc);
    lineHeight_ = metrics.tmHeight;
    charWidth_ = metrics.tmAveCharWidth;
    RECT client{};
    GetClientRect(view_, &client);
    pageRows_ = client.bottom / lineHeight_;
  }

  void TearDown() override { EXPECT_EQ(std::vector<std::string>{}, errors_); }

  void Fill(const std::vector<std::string>& lines) {
    memo_.Clear();
    for (const std::string& line : lines) memo_.Add(line);
    app_.ProcessMessages();
  }

  void PostKey(HWND window, WPARAM key) {
    PostMessageA(window, WM_KEYDOWN, key, 1);
    PostMessageA(window, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
    app_.ProcessMessages();
  }

  // The middle of the cell before `column` of `line` (as the view stands), in the view's client.
  LPARAM At(int line, int column) const {
    return MAKELPARAM(column * charWidth_ + 1, line * lineHeight_ + lineHeight_ / 2);
  }

  LRESULT FirstVisible() const { return SendMessageA(view_, EM_GETFIRSTVISIBLELINE, 0, 0); }

  platform::win32::Win32Platform os_;
  ui::Application app_;
  ui::Form form_{"TDrawnPeersTest"};
  ui::Memo memo_;
  ui::Gauge gauge_;
  ui::SpeedButton speed_;
  ui::Button button_;
  ui::win32::IconHandle stop_;
  HWND window_ = nullptr;
  HWND view_ = nullptr;
  HWND bar_ = nullptr;
  HWND speedWindow_ = nullptr;
  int lineHeight_ = 0;
  int charWidth_ = 0;
  int pageRows_ = 0;
  int clicks_ = 0;
  std::vector<std::string> errors_;
};

TEST_F(DrawnPeers, TheMemoIsAGreyTextViewWithBothScrollBarsAndCourierNew) {
  const LONG style = GetWindowLongA(view_, GWL_STYLE);
  EXPECT_EQ(static_cast<LONG>(WS_VSCROLL | WS_HSCROLL | WS_TABSTOP),
            style & (WS_VSCROLL | WS_HSCROLL | WS_TABSTOP));
  EXPECT_TRUE(GetWindowLongA(view_, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  LOGFONTA font{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(view_, WM_GETFONT, 0, 0)), sizeof font, &font);
  EXPECT_STREQ("Courier New", font.lfFaceName);
  EXPECT_EQ(-11, font.lfHeight);
  // Where the face is missing, another fixed-pitch one stands in: the dump's columns stay.
  const ui::win32::FontHandle standIn =
      ui::win32::MakeFont({"No Such Face", -11, 1, ui::kFontFixedPitch});
  HDC dc = GetDC(view_);
  HGDIOBJ before = SelectObject(dc, standIn.Get());
  SIZE narrow{};
  SIZE wide{};
  GetTextExtentPoint32A(dc, "iiii", 4, &narrow);
  GetTextExtentPoint32A(dc, "WWWW", 4, &wide);
  SelectObject(dc, before);
  ReleaseDC(view_, dc);
  EXPECT_EQ(narrow.cx, wide.cx);
  Fill({"x"});
  const Snapshot shot(view_);
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), shot.At(shot.Width() - 2, shot.Height() - 2));
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), shot.At(charWidth_ + 2, lineHeight_ / 2));
  // Only the one character is drawn, in the first cell.
  EXPECT_GT(shot.Count(GetSysColor(COLOR_WINDOWTEXT), 0, charWidth_), 0);
  EXPECT_EQ(0, shot.Count(GetSysColor(COLOR_WINDOWTEXT), charWidth_ + 1, shot.Width()));
}

TEST_F(DrawnPeers, TheMemoAnswersReadersExactlyAsARealEditHoldingTheSameLines) {
  HWND edit =
      CreateWindowExA(0, "EDIT", "", WS_CHILD | ES_MULTILINE | ES_AUTOHSCROLL | ES_AUTOVSCROLL, 0,
                      220, 400, 60, window_, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(nullptr, edit);
  SendMessageA(edit, EM_SETLIMITTEXT, 0, 0);
  const std::vector<std::vector<std::string>> cases = {
      {},
      {""},
      {"a"},
      {"one", "two"},
      {"", ""},
      {"abc", "", "de", ""},
      {std::string(300, 'x'), "tail"},
      {"\xA9 caf\xE9 \x7F~", ".Z..  27 bytes of a dump.. "},
  };
  for (const auto& lines : cases) {
    SCOPED_TRACE(::testing::Message() << lines.size() << " lines: \"" << Joined(lines) << "\"");
    SetWindowTextA(edit, Joined(lines).c_str());
    Fill(lines);
    EXPECT_EQ(SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0),
              SendMessageA(view_, WM_GETTEXTLENGTH, 0, 0));
    EXPECT_EQ(SendMessageA(edit, EM_GETLINECOUNT, 0, 0),
              SendMessageA(view_, EM_GETLINECOUNT, 0, 0));
    for (std::size_t size : {0u, 1u, 2u, 4u, 5u, 6u, 1000u}) {
      EXPECT_EQ(GetText(edit, size), GetText(view_, size)) << "WM_GETTEXT of " << size;
    }
    for (WPARAM line = 0; line < lines.size() + 2; ++line) {
      for (WORD size : {WORD{1}, WORD{3}, WORD{400}}) {
        const Answer real = GetLine(edit, line, size);
        const Answer ours = GetLine(view_, line, size);
        EXPECT_EQ(real.result, ours.result) << "EM_GETLINE " << line << " into " << size;
        // What a short buffer holds differs between systems; a line that fits must match.
        if (real.result < size) {
          EXPECT_EQ(real, ours) << "EM_GETLINE " << line << " into " << size;
        }
      }
    }
  }
  DestroyWindow(edit);
}

TEST_F(DrawnPeers, AfterManyAppendsTheViewShowsTheEndAndScrollsAnywhere) {
  constexpr int kLines = 200000;
  std::string line(27, ' ');
  for (int i = 0; i < kLines; ++i) {
    line.replace(0, 8, std::to_string(10000000 + i));
    memo_.Add(line);
  }
  app_.ProcessMessages();
  UpdateWindow(view_);
  const LRESULT last = kLines - pageRows_;
  EXPECT_EQ(last, FirstVisible());
  SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
  ASSERT_TRUE(GetScrollInfo(view_, SB_VERT, &info));
  EXPECT_EQ(kLines - 1, info.nMax);
  EXPECT_EQ(static_cast<UINT>(pageRows_), info.nPage);
  EXPECT_EQ(last, info.nPos);
  EXPECT_EQ("10199999" + std::string(19, ' '),
            GetLine(view_, kLines - 1, 100).written.substr(0, 27));

  UINT wheelLines = 3;
  SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &wheelLines, 0);
  // Beyond 65535 the thumb's position comes from the scroll bar, not the message's 16 bits.
  const struct {
    const char* what;
    UINT message;
    WPARAM wParam;
    int thumbAt;  // the thumb's place first, or -1
    LRESULT first;
  } steps[] = {
      {"SB_TOP", WM_VSCROLL, SB_TOP, -1, 0},
      {"SB_LINEDOWN", WM_VSCROLL, SB_LINEDOWN, -1, 1},
      {"SB_PAGEDOWN", WM_VSCROLL, SB_PAGEDOWN, -1, 1 + pageRows_},
      {"SB_LINEUP", WM_VSCROLL, SB_LINEUP, -1, pageRows_},
      {"SB_PAGEUP", WM_VSCROLL, SB_PAGEUP, -1, 0},
      {"SB_BOTTOM", WM_VSCROLL, SB_BOTTOM, -1, last},
      {"wheel up", WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), -1,
       last - static_cast<LRESULT>(wheelLines)},
      {"wheel down twice", WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-2 * WHEEL_DELTA)), -1,
       last},
      {"thumb at 150000", WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 150000 & 0xFFFF), 150000,
       150000},
      {"thumb past the end", WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), kLines, last},
  };
  for (const auto& step : steps) {
    if (step.thumbAt >= 0) {
      SCROLLINFO thumb{sizeof thumb, SIF_POS, 0, 0, 0, 0, 0};
      thumb.nPos = step.thumbAt;
      SetScrollInfo(view_, SB_VERT, &thumb, FALSE);
    }
    SendMessageA(view_, step.message, step.wParam, 0);
    EXPECT_EQ(step.first, FirstVisible()) << step.what;
    SCROLLINFO now{sizeof now, SIF_POS, 0, 0, 0, 0, 0};
    GetScrollInfo(view_, SB_VERT, &now);
    EXPECT_EQ(step.first, now.nPos) << step.what;
  }

  // The keyboard moves the caret, and the view follows it.
  SetFocus(view_);
  const struct {
    bool control;
    WPARAM key;
    LRESULT first;
  } keys[] = {
      {true, VK_HOME, 0},   {false, VK_NEXT, pageRows_}, {false, VK_PRIOR, 0},
      {true, VK_END, last}, {false, VK_UP, last},        {false, VK_HOME, last},
  };
  for (const auto& key : keys) {
    HeldKeys held(false, key.control);
    PostKey(view_, key.key);
    EXPECT_EQ(key.first, FirstVisible()) << (key.control ? "Ctrl+" : "") << key.key;
  }
}

TEST_F(DrawnPeers, AppendsBetweenTwoPaintsLeaveTheWindowAlone) {
  Fill({"first"});
  UpdateWindow(view_);
  // Each message the view gets while lines arrive, counted.
  static int seen = 0;
  static WNDPROC original = nullptr;
  seen = 0;
  original = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
      view_, GWLP_WNDPROC,
      reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) CALLBACK -> LRESULT {
        ++seen;
        return CallWindowProcA(original, w, m, wp, lp);
      })));
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 5000; ++i) memo_.Add("line " + std::to_string(i));
  const auto spent = std::chrono::steady_clock::now() - start;
  const int whileAdding = seen;
  app_.ProcessMessages();
  SetWindowLongPtrA(view_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
  EXPECT_EQ(0, whileAdding);
  // Storing is microseconds a line; scrolling the window for each takes milliseconds.
  EXPECT_LT(spent, std::chrono::milliseconds(1000));
  EXPECT_LT(seen, 20);  // one paint for them all, and what comes with it
  EXPECT_EQ(5001 - pageRows_, FirstVisible());
}

TEST_F(DrawnPeers, TheMouseAndShiftSelectAndCtrlCCopiesAsAnEditWould) {
  const struct {
    const char* what;
    int fromLine, fromColumn;                   // press
    int toLine, toColumn;                       // release, after a move
    std::vector<std::pair<bool, WPARAM>> keys;  // then, with Shift or not
    std::string copied;
  } cases[] = {
      {"drag down", 0, 1, 1, 2, {}, "lpha\r\nbe"},
      {"drag up", 2, 3, 1, 1, {}, "eta\r\ngam"},
      {"drag within a line", 2, 1, 2, 4, {}, "amm"},
      {"Ctrl+A", 1, 1, 1, 1, {{false, 'A'}}, "alpha\r\nbeta\r\ngamma"},
      {"Shift+End", 1, 0, 1, 0, {{true, VK_END}}, "beta"},
      {"Shift+Down", 0, 0, 0, 0, {{true, VK_DOWN}}, "alpha\r\n"},
      {"Shift+Right twice", 0, 3, 0, 3, {{true, VK_RIGHT}, {true, VK_RIGHT}}, "ha"},
      {"Shift+Left over a line break", 1, 0, 1, 0, {{true, VK_LEFT}}, "\r\n"},
      {"an arrow ends the selection", 0, 0, 1, 2, {{false, VK_RIGHT}}, "untouched"},
      {"a click selects nothing", 1, 2, 1, 2, {}, "untouched"},
  };
  Fill({"alpha", "beta", "gamma"});
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetClipboard("untouched");
    SetFocus(GetNextDlgTabItem(window_, view_, FALSE));
    PostMessageA(view_, WM_LBUTTONDOWN, MK_LBUTTON, At(c.fromLine, c.fromColumn));
    PostMessageA(view_, WM_MOUSEMOVE, MK_LBUTTON, At(c.toLine, c.toColumn));
    PostMessageA(view_, WM_LBUTTONUP, 0, At(c.toLine, c.toColumn));
    app_.ProcessMessages();
    EXPECT_EQ(view_, GetFocus());  // a click takes the focus
    EXPECT_EQ(&memo_, form_.FocusedControl());
    for (const auto& [shift, key] : c.keys) {
      HeldKeys held(shift, key == 'A');
      PostKey(view_, key);
    }
    {
      HeldKeys control(false, true);
      PostKey(view_, 'C');
    }
    EXPECT_EQ(c.copied, Clipboard());
  }

  // With the focus it shows its caret where the selection ends, and the selection marked.
  PostMessageA(view_, WM_LBUTTONDOWN, MK_LBUTTON, At(1, 1));
  PostMessageA(view_, WM_MOUSEMOVE, MK_LBUTTON, At(1, 3));
  PostMessageA(view_, WM_LBUTTONUP, 0, At(1, 3));
  app_.ProcessMessages();
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  ASSERT_TRUE(GetGUIThreadInfo(GetCurrentThreadId(), &thread));
  EXPECT_EQ(view_, thread.hwndCaret);
  EXPECT_NEAR(3 * charWidth_, thread.rcCaret.left, 1);
  EXPECT_EQ(lineHeight_, thread.rcCaret.top);
  const Snapshot shot(view_);
  EXPECT_GT(shot.Count(GetSysColor(COLOR_HIGHLIGHT), 0, shot.Width()), 0);

  // Tab moves on from the view.
  SetFocus(view_);
  PostKey(view_, VK_TAB);
  EXPECT_NE(view_, GetFocus());
}

TEST_F(DrawnPeers, TheGaugeRepaintsOnlyWhenItsWholePercentageChanges) {
  static int paints = 0;
  static WNDPROC original = nullptr;
  original = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
      bar_, GWLP_WNDPROC,
      reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) CALLBACK -> LRESULT {
        if (m == WM_PAINT) ++paints;
        return CallWindowProcA(original, w, m, wp, lp);
      })));
  const struct {
    int max, position;
    bool repaints;
    const char* text;
  } steps[] = {
      {1000, 0, false, "0%"},   {1000, 9, false, "0%"},    {1000, 10, true, "1%"},
      {1000, 19, false, "1%"},  {1000, 500, true, "50%"},  {1000, 509, false, "50%"},
      {500, 500, true, "100%"}, {400, 500, false, "100%"}, {0, 0, true, "0%"},
  };
  for (const auto& step : steps) {
    paints = 0;
    gauge_.SetMaxValue(step.max);
    gauge_.SetProgress(step.position);
    app_.ProcessMessages();
    UpdateWindow(bar_);
    EXPECT_EQ(step.repaints ? 1 : 0, paints) << step.max << " " << step.position;
    char text[16] = {};
    SendMessageA(bar_, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(step.text, text);
  }
  // A new scheme or theme is painted at once.
  for (const UINT message : {WM_SYSCOLORCHANGE, WM_SETTINGCHANGE, WM_THEMECHANGED}) {
    paints = 0;
    SendMessageA(window_, message, 0, 0);
    UpdateWindow(bar_);
    EXPECT_EQ(1, paints) << "message " << message;
  }
  SetWindowLongPtrA(bar_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
}

TEST_F(DrawnPeers, TheGaugesTextIsInvertedOverTheBar) {
  EXPECT_TRUE(GetWindowLongA(bar_, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  const struct {
    int percent;
    bool textOverBar, textOverGround;
  } cases[] = {{0, false, true}, {50, true, true}, {100, true, false}};
  gauge_.SetMaxValue(100);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.percent);
    gauge_.SetProgress(c.percent);
    const Snapshot shot(bar_);
    const int filled = shot.Width() * c.percent / 100;
    // The bar is black with the text white on it; the ground white with the text black.
    const int barBlack = shot.Dark(0, filled);
    const int barWhite = shot.Light(0, filled);
    const int groundBlack = shot.Dark(filled, shot.Width());
    const int groundWhite = shot.Light(filled, shot.Width());
    EXPECT_GE(barBlack, barWhite);
    EXPECT_GE(groundWhite, groundBlack);
    EXPECT_EQ(c.textOverBar, barWhite > 0);
    EXPECT_EQ(c.textOverGround, groundBlack > 0);
  }
}

TEST_F(DrawnPeers, TheSpeedButtonIsAFlatButtonWithItsGlyphThatClicksItsModel) {
  const LONG style = GetWindowLongA(speedWindow_, GWL_STYLE);
  EXPECT_EQ(BS_OWNERDRAW, style & BS_TYPEMASK);
  EXPECT_EQ(0, style & WS_TABSTOP);
  SendMessageA(speedWindow_, BM_CLICK, 0, 0);
  EXPECT_EQ(1, clicks_);
  // A screen reader's default action clicks it too, once it is back on the queue.
  IAccessible* object = test::ReaderObjectOf(speedWindow_);
  ASSERT_NE(nullptr, object);
  VARIANT self{};
  self.vt = VT_I4;
  EXPECT_EQ(S_OK, object->accDoDefaultAction(self));
  app_.ProcessMessages();
  EXPECT_EQ(2, clicks_);
  speed_.SetEnabled(false);
  SendMessageA(speedWindow_, BM_CLICK, 0, 0);
  EXPECT_EQ(E_FAIL, object->accDoDefaultAction(self));
  app_.ProcessMessages();
  EXPECT_EQ(2, clicks_);
  speed_.SetEnabled(true);
  // Under a message box, which disables the window and not its controls, neither an action
  // asked for then nor one that was already on its way gets through.
  EXPECT_EQ(S_OK, object->accDoDefaultAction(self));
  EnableWindow(window_, FALSE);
  EXPECT_EQ(E_FAIL, object->accDoDefaultAction(self));
  app_.ProcessMessages();
  EnableWindow(window_, TRUE);
  EXPECT_EQ(2, clicks_);

  // The glyph in the middle of the face, which shows round it. Wine puts a window's drawing on
  // the screen a little later, so the screen is read until it shows it or three seconds pass.
  SetForegroundWindow(window_);
  RedrawWindow(speedWindow_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  RECT place{};
  GetWindowRect(speedWindow_, &place);
  COLORREF middle = 0;
  COLORREF corner = 0;
  for (int tries = 0; tries < 100; ++tries) {
    HDC screen = GetDC(nullptr);
    middle = GetPixel(screen, (place.left + place.right) / 2, (place.top + place.bottom) / 2);
    corner = GetPixel(screen, place.left + 2, place.top + 2);
    ReleaseDC(nullptr, screen);
    if (middle == RGB(224, 0, 0) && corner == GetSysColor(COLOR_BTNFACE)) break;
    app_.ProcessMessages();
    Sleep(30);
  }
  EXPECT_EQ(RGB(224, 0, 0), middle);
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), corner);

  // Under the pointer its name shows as a tooltip.
  speed_.SetAccessibleName("Stop");
  HWND tip = nullptr;
  EXPECT_TRUE(test::WaitUntil([&] {
    test::MoveMouseTo((place.left + place.right) / 2, (place.top + place.bottom) / 2);
    app_.ProcessMessages();
    while ((tip = FindWindowExA(nullptr, tip, TOOLTIPS_CLASSA, nullptr)) != nullptr) {
      if (GetWindow(tip, GW_OWNER) == window_) return true;
    }
    return false;
  }, 3000));
  char text[16] = {};
  TTTOOLINFOA tool{};
  tool.cbSize = TTTOOLINFOA_V2_SIZE;
  tool.lpszText = text;
  EXPECT_TRUE(SendMessageA(tip, TTM_ENUMTOOLSA, 0, reinterpret_cast<LPARAM>(&tool)));
  EXPECT_STREQ("Stop", text);

  // A reader that holds its object after it went is told so.
  speed_.SetPeer(nullptr);
  BSTR name = nullptr;
  EXPECT_EQ(CO_E_OBJNOTCONNECTED, object->get_accName(self, &name));
  object->Release();
}

TEST(StopGlyph, IsARedSquareOnATransparentGround) {
  for (int size : {12, 16, 32}) {
    SCOPED_TRACE(size);
    const ui::win32::IconHandle glyph = ui::win32::MakeStopGlyph(size);
    ASSERT_TRUE(glyph);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(reinterpret_cast<HICON>(glyph.Get()), &info));
    BITMAP shape{};
    GetObjectA(info.hbmColor, sizeof shape, &shape);
    EXPECT_EQ(size, shape.bmWidth);
    EXPECT_EQ(size, shape.bmHeight);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    // Drawn on blue, the corners stay blue.
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP picture = CreateCompatibleBitmap(screen, size, size);
    ReleaseDC(nullptr, screen);
    HGDIOBJ previous = SelectObject(dc, picture);
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    RECT all{0, 0, size, size};
    FillRect(dc, &all, blue);
    DrawIconEx(dc, 0, 0, reinterpret_cast<HICON>(glyph.Get()), size, size, 0, nullptr, DI_NORMAL);
    EXPECT_EQ(RGB(0, 0, 255), GetPixel(dc, 0, 0));
    EXPECT_EQ(RGB(0, 0, 255), GetPixel(dc, size - 1, size - 1));
    EXPECT_EQ(RGB(224, 0, 0), GetPixel(dc, size / 2, size / 2));
    SelectObject(dc, previous);
    DeleteObject(blue);
    DeleteObject(picture);
    DeleteDC(dc);
  }
  EXPECT_FALSE(ui::win32::MakeStopGlyph(0));
}

TEST_F(DrawnPeers, KeyPreviewTakesAKeyBeforeTheFocusedControl) {
  Fill(std::vector<std::string>(100, "line"));
  std::vector<std::pair<int, unsigned>> previewed;
  int taken = 0;
  form_.OnKeyDown = [&](ui::Component&, int& key, unsigned shift) {
    previewed.emplace_back(key, shift);
    if (key == taken) key = 0;
  };
  const struct {
    bool preview;
    int taken;
    bool control;
    WPARAM key;
    std::vector<std::pair<int, unsigned>> previewed;
    bool viewMoved;   // Ctrl+Home/End reached the view
    bool focusMoved;  // Tab reached the dialog keys
  } cases[] = {
      {false, 0, true, VK_HOME, {}, true, false},
      {true, 0, true, VK_HOME, {{VK_HOME, 0x04}}, true, false},
      {true, VK_HOME, true, VK_HOME, {{VK_HOME, 0x04}}, false, false},
      {true, 0, false, VK_TAB, {{VK_TAB, 0}}, false, true},
      {true, VK_TAB, false, VK_TAB, {{VK_TAB, 0}}, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << "preview " << c.preview << ", taken " << c.taken << ", key " << c.key);
    form_.SetKeyPreview(c.preview);
    taken = c.taken;
    previewed.clear();
    SendMessageA(view_, WM_VSCROLL, SB_BOTTOM, 0);
    const LRESULT before = FirstVisible();
    SetFocus(view_);
    {
      HeldKeys held(false, c.control);
      PostKey(view_, c.key);
    }
    EXPECT_EQ(c.previewed, previewed);
    EXPECT_EQ(c.viewMoved, FirstVisible() != before);
    EXPECT_EQ(c.focusMoved, GetFocus() != view_);
  }
}

}  // namespace
