// The colours the program draws in: the design's own in normal colours, the user's scheme's in
// high contrast, asked anew each time.
#include "ui/Palette.h"

#include <gtest/gtest.h>

#include "platform/emulated/EmulatedPlatform.h"
#include "ui/Label.h"

namespace tarnwick {
namespace {

TEST(Palette, TheDesignsColoursGiveWayToTheSchemesOnlyInHighContrast) {
  platform::emulated::EmulatedPlatform os;
  // Each system colour 0x100 + its index, so that each answer shows the role it came from.
  for (int index = 0; index < 32; ++index) os.windows().SetSysColor(index, 0x100 + index);
  ui::Label plain;
  ui::LinkLabel link;
  link.SetFont({"MS Sans Serif", -11, 1, ui::kFontBold, ui::kBlue});
  const ui::GaugeColors design{0xFFFFFF, 0, 0, 0xFFFFFF};
  const ui::GaugeColors scheme{0x105, 0x108, 0x10D, 0x10E};  // window, its text, selection
  const struct {
    bool on;
    std::uint32_t link;
    ui::GaugeColors gauge;
    std::optional<std::uint32_t> glyph;
  } rows[] = {{false, ui::kBlue, design, {}},
              {true, 0x11A, scheme, 0x112},
              {false, ui::kBlue, design, {}}};  // switched off while running
  for (const auto& row : rows) {
    os.windows().SetHighContrast(row.on);
    EXPECT_EQ(row.on, ui::HighContrast());
    EXPECT_EQ(0x112u, ui::TextColor(plain));  // the face's text
    EXPECT_EQ(row.link, ui::TextColor(link));
    EXPECT_EQ(row.gauge, ui::GaugePalette());
    EXPECT_EQ(row.glyph, ui::GlyphColor());
  }
}

}  // namespace
}  // namespace tarnwick
