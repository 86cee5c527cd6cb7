#include "ui/Palette.h"

#include "platform/Platform.h"
#include "ui/Label.h"

namespace tarnwick::ui {
namespace {

std::uint32_t System(int index) { return platform::Win().GetSysColor(index); }

}  // namespace

bool HighContrast() {
  os::HIGHCONTRASTA contrast;
  return platform::Win().SystemParametersInfoA(os::kSpiGetHighContrast, sizeof contrast,
                                               &contrast, 0) != 0 &&
         (contrast.dwFlags & os::kHcfHighContrastOn) != 0;
}

std::uint32_t TextColor(const Control& control) {
  if (HighContrast()) {
    const bool link = dynamic_cast<const LinkLabel*>(&control) != nullptr;
    return System(link ? os::kColorHotLight : os::kColorBtnText);
  }
  const std::uint32_t own = control.GetFont().color;
  return own != kDefaultTextColor ? own : System(os::kColorBtnText);
}

GaugeColors GaugePalette() {
  // The bar is the part done, shown as the scheme shows a selection in a window: both pairs are
  // ones the scheme makes readable, and the bar stands out from the window at any percentage.
  if (HighContrast()) {
    return {System(os::kColorWindow), System(os::kColorWindowText), System(os::kColorHighlight),
            System(os::kColorHighlightText)};
  }
  constexpr std::uint32_t kBlack = 0x000000;
  constexpr std::uint32_t kWhite = 0xFFFFFF;
  return {kWhite, kBlack, kBlack, kWhite};
}

std::optional<std::uint32_t> GlyphColor() {
  if (!HighContrast()) return std::nullopt;
  return System(os::kColorBtnText);
}

}  // namespace tarnwick::ui
