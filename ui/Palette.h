#pragma once
// The colours the program draws its own text and pictures in, and gives the standard controls'
// text. The design fixes a few: the links' blue, the gauge's black on white, the stop picture's
// red. In high contrast each gives way to the system colour of its role, so that the user's
// scheme is what shows. Asked anew at every paint: the scheme can change while the program runs.
#include <cstdint>
#include <optional>

#include "ui/Control.h"

namespace tarnwick::ui {

// As COLORREFs, 0x00BBGGRR.
struct GaugeColors {
  std::uint32_t ground;
  std::uint32_t text;  // over the ground
  std::uint32_t bar;
  std::uint32_t barText;  // over the bar
  bool operator==(const GaugeColors&) const = default;
};

bool HighContrast();
// A control's text on the dialog face: the colour its font names, or the face's text colour. In
// high contrast a link takes the system's link colour and every other text the face's.
std::uint32_t TextColor(const Control& control);
GaugeColors GaugePalette();
// The one colour a button's picture is drawn in; none where it shows its own colours.
std::optional<std::uint32_t> GlyphColor();

}  // namespace tarnwick::ui
