// The colours the program draws in: the design's own in normal colours, the user's scheme's in
// high contrast, asked anew each time.
#include "ui/Palette.h"

#include <gtest/gtest.h>

#include <optional>

#include "platform/emulated/EmulatedPlatform.h"
#include "ui/Label.h"

namespace tarnwick {
namespace {

using namespace os;

TEST(Palette, TheDesignsColoursGiveWayToTheSchemesOnlyInHighContrast) {
  platform::emulated::EmulatedPlatform os;
  // A dark scheme whose colours all differ, so that each answer shows the role it came from.
  constexpr DWORD kWindow = 0x000001, kWindowText = 0xFFFFFE, kHighlight = 0x00FF00,
                  kHighlightText = 0x000002, kFaceText = 0xFFFFFD, kLink = 0x00FFFF;
  for (const auto& [index, color] :
       {std::pair{kColorWindow, kWindow}, {kColorWindowText, kWindowText},
        {kColorHighlight, kHighlight}, {kColorHighlightText, kHighlightText},
        {kColorBtnFace, DWORD{0x000003}}, {kColorBtnText, kFaceText}, {kColorHotLight, kLink}}) {
    os.windows().SetSysColor(index, color);
  }
  ui::Label plain;
  ui::Label tinted;
  tinted.SetFont({"MS Sans Serif", -11, 1, 0, ui::kBlue});
  ui::LinkLabel link;
  link.SetFont({"MS Sans Serif", -11, 1, ui::kFontBold, ui::kBlue});

  const struct {
    bool highContrast;
    std::uint32_t plain, tinted, link;
    ui::GaugeColors gauge;
    std::optional<std::uint32_t> glyph;
  } rows[] = {
      {false, kFaceText, ui::kBlue, ui::kBlue, {0xFFFFFF, 0x000000, 0x000000, 0xFFFFFF}, {}},
      {true, kFaceText, kFaceText, kLink, {kWindow, kWindowText, kHighlight, kHighlightText},
       kFaceText},
      // Switched off while running: nothing of the scheme stays behind.
      {false, kFaceText, ui::kBlue, ui::kBlue, {0xFFFFFF, 0x000000, 0x000000, 0xFFFFFF}, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.highContrast ? "high contrast" : "normal colours");
    os.windows().SetHighContrast(row.highContrast);
    EXPECT_EQ(row.highContrast, ui::HighContrast());
    EXPECT_EQ(row.plain, ui::TextColor(plain));
    EXPECT_EQ(row.tinted, ui::TextColor(tinted));
    EXPECT_EQ(row.link, ui::TextColor(link));
    EXPECT_EQ(row.gauge, ui::GaugePalette());
    EXPECT_EQ(row.glyph, ui::GlyphColor());
  }
}

}  // namespace
}  // namespace tarnwick
