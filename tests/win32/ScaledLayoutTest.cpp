// The windows at the system's DPI under Wine. Every layout is given at 96 DPI; on screen each
// place, size and font is that scaled as MulDiv rounds, every caption fits its control, and the
// real program's main window and picture follow. Runs at the prefix's 96 DPI, where nothing may
// move by a pixel, and again at 144 DPI through at-dpi.sh.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "blocking/MainWindow.h"
#include "demo/DemoWindow.h"
#include "dialogs/AboutForm.h"
#include "dialogs/SettingsForm.h"
#include "platform/win32/Win32Platform.h"
#include "resources/ResourceIds.h"
#include "tests/win32/support/ProgramDriver.h"
#include "ui/Application.h"
#include "ui/Form.h"
#include "ui/Image.h"
#include "ui/Label.h"
#include "ui/ListBox.h"
#include "ui/win32/WindowPeer.h"
#include "ui/win32/Dpi.h"
#include "ui/win32/Handles.h"
#include "ui/win32/Resources.h"
#include "ui/win32/Win32Peers.h"

namespace {

using namespace tarnwick;
using ui::win32::ScaledTo;

// The DPI this run was started at: at-dpi.sh names it, and the prefix's own is 96.
int RunDpi() {
  const char* named = std::getenv("TARNWICK_TEST_DPI");
  return named != nullptr ? std::atoi(named) : 96;
}

HWND Native(ui::Form& form) { return reinterpret_cast<HWND>(form.Handle()); }

// A window's place in its parent's client area.
RECT PlaceOf(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// A control's place in its form's client area as its layout gives it, at 96 DPI.
ui::Bounds LayoutPlace(const ui::Control& control) {
  ui::Bounds at = control.GetBounds();
  for (const ui::Control* parent = control.Parent(); parent != nullptr; parent = parent->Parent()) {
    at.left += parent->GetBounds().left;
    at.top += parent->GetBounds().top;
  }
  return at;
}

LOGFONTA FontOf(HWND window) {
  LOGFONTA font{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font;
}

// The room `text` takes in `font` (the window's own when null), laid out as `format` says within
// `width`.
SIZE TextExtent(HWND window, const std::string& text, UINT format, int width,
                HFONT font = nullptr) {
  HDC dc = GetDC(window);
  HGDIOBJ previous = SelectObject(
      dc, font != nullptr ? font : reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)));
  RECT rect{0, 0, width, 0};
  DrawTextA(dc, text.c_str(), -1, &rect, format | DT_CALCRECT);
  SelectObject(dc, previous);
  ReleaseDC(window, dc);
  return {rect.right, rect.bottom};
}

TEST(Scaling, RoundsAsMulDivAndNeighboursStillTouch) {
  const struct {
    int value, dpi, scaled;
  } cases[] = {{404, 144, 606}, {369, 144, 554}, {-11, 144, -17}, {13, 120, 16},
               {7, 120, 9},     {369, 96, 369},  {-11, 96, -11}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.scaled, ScaledTo(c.value, c.dpi)) << c.value << " at " << c.dpi << " DPI";
  }
  // The main window's panel, log and status bar lie one below the other; scaled by their
  // edges they still do, where scaling each size alone would overlap them by a pixel.
  const ui::Bounds panel = ScaledTo(ui::Bounds{0, 0, 404, 241}, 144);
  const ui::Bounds log = ScaledTo(ui::Bounds{0, 241, 404, 109}, 144);
  EXPECT_EQ(panel.top + panel.height, log.top);
  EXPECT_EQ(ScaledTo(350, 144), log.top + log.height);
  EXPECT_EQ(606, log.width);
}

TEST(Scaling, TheProcessSeesTheDpiOfItsRun) {
  EXPECT_EQ(RunDpi(), ui::win32::ScreenDpi());
  EXPECT_EQ(ScaledTo(16, RunDpi()), GetSystemMetrics(SM_CXSMICON));
}

// The program's four windows with their real controls, built as the program builds them.
class ScaledWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    // The main window counts its start in the settings.
    if (!test::RequireTheProjectsPrefix()) return;
    test::ResetRegistry();
    app_.ShowError = [this](const std::string& message) { errors_.push_back(message); };
    app_.Initialize();
    app_.SetBackend(ui::win32::MakeBackend());
    main_ = std::make_unique<blocking::TQuillmoor>(blocking::MainWindowImages{
        off_.Get(), on_.Get(), picture_.Get(), picture_.Get()});
    app_.SetMainForm(main_.get());
    demo_ = std::make_unique<demo::TDemo>(stop_.Get());
    options_ = std::make_unique<dialogs::TSettingsF>();
    about_ = std::make_unique<dialogs::TAboutF>(picture_.Get());
    for (ui::Form* form : Forms()) form->CreatePeers();
  }

  void TearDown() override {
    about_.reset();
    options_.reset();
    demo_.reset();
    main_.reset();
    if (test::WhyTheRegistryIsNotOurs().empty()) test::ResetRegistry();
    EXPECT_EQ(std::vector<std::string>{}, errors_);
  }

  std::vector<ui::Form*> Forms() const {
    return {main_.get(), demo_.get(), options_.get(), about_.get()};
  }

  platform::win32::Win32Platform os_;
  ui::win32::IconHandle off_ = ui::win32::LoadIconResource(resources::kMonitoringOffIcon, 32);
  ui::win32::IconHandle on_ = ui::win32::LoadIconResource(resources::kMonitoringOnIcon, 32);
  ui::win32::IconHandle picture_ = ui::win32::LoadIconResource(resources::kMainIcon, 32);
  ui::win32::IconHandle stop_ = ui::win32::MakeStopGlyph(16);
  ui::Application app_;
  std::unique_ptr<blocking::TQuillmoor> main_;
  std::unique_ptr<demo::TDemo> demo_;
  std::unique_ptr<dialogs::TSettingsF> options_;
  std::unique_ptr<dialogs::TAboutF> about_;
  std::vector<std::string> errors_;
};

TEST_F(ScaledWindows, EveryControlLiesAtItsLayoutPlaceScaledInItsFontScaled) {
  if (main_ == nullptr) return;
  const int dpi = RunDpi();
  for (ui::Form* form : Forms()) {
    SCOPED_TRACE(form->ClassName());
    // It starts in the work area, its title bar in reach; one larger than that at its top left.
    RECT frame{};
    RECT work{};
    GetWindowRect(Native(*form), &frame);
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    EXPECT_GE(frame.left, work.left);
    EXPECT_GE(frame.top, work.top);
    EXPECT_TRUE(frame.right <= work.right || frame.left == work.left);
    EXPECT_TRUE(frame.bottom <= work.bottom || frame.top == work.top);
    RECT client{};
    GetClientRect(Native(*form), &client);
    EXPECT_EQ(ScaledTo(form->ClientSize().width, dpi), client.right);
    EXPECT_EQ(ScaledTo(form->ClientSize().height, dpi), client.bottom);
    int controls = 0;
    form->EachControl([&](ui::Control& control) {
      auto* peer = dynamic_cast<ui::win32::WindowPeer*>(control.Peer());
      ASSERT_NE(nullptr, peer);
      ++controls;
      HWND window = peer->Window();
      SCOPED_TRACE("control " + std::to_string(controls) + " \"" + control.Caption() + "\"");
      const RECT place = PlaceOf(window);
      const ui::Bounds wanted = ScaledTo(LayoutPlace(control), dpi);
      if (dynamic_cast<ui::StatusBar*>(&control) != nullptr) {
        // It sizes itself to its font, along the bottom of the client area.
        EXPECT_EQ(0, place.left);
        EXPECT_EQ(client.right, place.right);
        EXPECT_EQ(client.bottom, place.bottom);
      } else {
        EXPECT_EQ(wanted.left, place.left);
        EXPECT_EQ(wanted.top, place.top);
        if (wanted.width > 0) {  // a label without a size takes its text's
          EXPECT_EQ(wanted.width, place.right - place.left);
          EXPECT_EQ(wanted.height, place.bottom - place.top);
        }
      }
      if (dynamic_cast<ui::Image*>(&control) != nullptr) return;  // an icon shows no text
      const ui::Font& font =
          ui::win32::SameFont(control.GetFont(), ui::Font{}) ? form->GetFont() : control.GetFont();
      const LOGFONTA shown = FontOf(window);
      // A bitmap face without a size that tall gives way to the scalable face of dialogs.
      const std::string face = shown.lfFaceName;
      EXPECT_TRUE(face == font.name || face == "MS Shell Dlg") << face;
      EXPECT_EQ(ScaledTo(font.height, dpi), shown.lfHeight);
      if (auto* list = dynamic_cast<ui::ListBox*>(&control)) {
        EXPECT_EQ(ScaledTo(list->ItemHeight(), dpi), SendMessageA(window, LB_GETITEMHEIGHT, 0, 0));
      }
    });
    EXPECT_GT(controls, 3);
  }
  // The About title is as tall as its face makes it at 96 DPI, and 1.4 times as tall at 144.
  const ui::Label& title = about_->Label1;
  HWND label = dynamic_cast<ui::win32::WindowPeer*>(title.Peer())->Window();
  const ui::win32::FontHandle at96(CreateFontA(title.GetFont().height, 0, 0, 0, FW_BOLD, 0, 0, 0,
                                               DEFAULT_CHARSET, 0, 0, 0, 0, "MS Sans Serif"));
  const int designed = TextExtent(label, title.Caption(), DT_SINGLELINE, 0, at96.Get()).cy;
  const int shown = TextExtent(label, title.Caption(), DT_SINGLELINE, 0).cy;
  EXPECT_GE(15 * 96 * shown, 14 * dpi * designed) << shown << " high, " << designed << " at 96";
}

TEST_F(ScaledWindows, EveryCaptionFitsItsControlAndNoLabelRunsIntoAnother) {
  if (main_ == nullptr) return;
  const int dpi = RunDpi();
  // What a button draws beside its caption: a check box's or radio button's glyph with its gap,
  // a push button's edges, the indent of a group box's caption.
  const int glyph = ScaledTo(13 + 4, dpi);
  const int edges = ScaledTo(2 * 4, dpi);
  const int indent = ScaledTo(8 + 2, dpi);
  for (ui::Form* form : Forms()) {
    SCOPED_TRACE(form->ClassName());
    const std::vector<test::Control> controls = test::ControlsOf(Native(*form));
    int captions = 0;
    for (const test::Control& c : controls) {
      const bool button = test::SameClass(c.className, "Button");
      const bool label = test::SameClass(c.className, "Static");
      const LONG type = c.style & BS_TYPEMASK;
      if ((!button && !label) || c.text.empty() || (button && type == BS_OWNERDRAW)) continue;
      ++captions;
      SCOPED_TRACE(c.className + " \"" + c.text + "\"");
      const int width = c.rect.right - c.rect.left;
      const int height = c.rect.bottom - c.rect.top;
      if (label) {
        // A label may wrap over lines, within its own height.
        const SIZE text = TextExtent(c.handle, c.text, DT_WORDBREAK | DT_NOPREFIX, width);
        EXPECT_LE(text.cx, width);
        EXPECT_LE(text.cy, height);
        continue;
      }
      const SIZE text = TextExtent(c.handle, c.text, DT_SINGLELINE, 0);
      if (type == BS_GROUPBOX) {
        EXPECT_LE(text.cx + indent, width);
      } else if (type == BS_CHECKBOX || type == BS_RADIOBUTTON) {
        EXPECT_LE(text.cx + glyph, width);
        EXPECT_LE(text.cy, height);
      } else {
        EXPECT_LE(text.cx + edges, width);
        EXPECT_LE(text.cy + edges, height);
      }
    }
    EXPECT_GT(captions, 3);

    // A label that takes its text's size grows with its font, not with the layout; it must not
    // reach the next thing on its line. Containers lie behind everything and do not count.
    form->EachControl([&](ui::Control& control) {
      auto* label = dynamic_cast<ui::Label*>(&control);
      if (label == nullptr || label->GetBounds().width > 0) return;
      HWND own = dynamic_cast<ui::win32::WindowPeer*>(label->Peer())->Window();
      RECT ownRect{};
      GetWindowRect(own, &ownRect);
      for (const test::Control& other : controls) {
        const bool container = (test::SameClass(other.className, "Button") &&
                                (other.style & BS_TYPEMASK) == BS_GROUPBOX) ||
                               test::SameClass(other.className, "SysTabControl32");
        RECT common{};
        if (other.handle == own || container) continue;
        EXPECT_FALSE(IntersectRect(&common, &ownRect, &other.rect))
            << "\"" << label->Caption() << "\" runs into " << other.className << " \""
            << other.text << "\"";
      }
    });
  }
}

// How many pixels across the middle of `window` on screen differ from its top left corner.
int PaintedWidth(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  HDC screen = GetDC(nullptr);
  const COLORREF ground = GetPixel(screen, rect.left, rect.top);
  const LONG y = (rect.top + rect.bottom) / 2;
  int painted = 0;
  for (LONG x = rect.left; x < rect.right; ++x) {
    if (GetPixel(screen, x, y) != ground) ++painted;
  }
  ReleaseDC(nullptr, screen);
  return painted;
}

TEST(RealProgram, TheMainWindowHasTheLayoutsClientAreaScaledAndAPictureDrawnForTheScreen) {
  if (!test::RequireTheProjectsPrefix()) return;
  test::EndStrayInstances();
  test::ResetRegistry();
  const int dpi = RunDpi();
  const struct {
    int dpi, width, height;
  } sizes[] = {{96, 404, 369}, {120, 505, 461}, {144, 606, 554}, {192, 808, 738}};
  const auto* expected = std::find_if(std::begin(sizes), std::end(sizes),
                                      [dpi](const auto& size) { return size.dpi == dpi; });
  ASSERT_NE(std::end(sizes), expected) << "no client size known for " << dpi << " DPI";

  test::Program program;
  HWND main = program.VisibleMainWindow();
  ASSERT_NE(nullptr, main);
  RECT client{};
  GetClientRect(main, &client);
  EXPECT_EQ(expected->width, client.right);
  EXPECT_EQ(expected->height, client.bottom);

  // The shield spans three quarters of its picture. Loaded at 32 pixels and centred in a larger
  // place, it would span less.
  HWND picture = nullptr;
  for (const test::Control& c : test::ControlsOf(main)) {
    if (test::SameClass(c.className, "Static") && (c.style & SS_TYPEMASK) == SS_ICON) {
      picture = c.handle;
    }
  }
  ASSERT_NE(nullptr, picture);
  RECT place{};
  GetWindowRect(picture, &place);
  const int size = ScaledTo(32, dpi);
  EXPECT_EQ(size, place.right - place.left);
  EXPECT_TRUE(test::WaitUntil([&] { return PaintedWidth(picture) >= size * 5 / 8; }, test::kStateWait))
      << "the shield is " << PaintedWidth(picture) << " pixels wide in a picture of " << size;
  program.End();
  test::ResetRegistry();
}

}  // namespace
