#include "demo/DumpBytes.h"

#include <climits>
#include <cstring>

namespace tarnwick::demo {

namespace {

// How far positions are shifted right so that the last one fits the gauge's int.
int GaugeShift(std::uint32_t last) {
  int shift = 0;
  while ((last >> shift) > static_cast<std::uint32_t>(INT_MAX)) ++shift;
  return shift;
}

}  // namespace

void DumpBytes(const std::uint8_t* data, std::uint32_t size, const LineSink& sink,
               ui::Gauge& gauge, const bool& stopRequested, const Pump& pump) {
  if (size == 0) return;
  const std::uint32_t last = size - 1;
  const int shift = GaugeShift(last);
  gauge.SetMaxValue(static_cast<int>(last >> shift));

  char line[kLineLength];
  std::size_t length = 0;  // stays 0 when a stop comes before the first byte
  int column = kBytesPerLine;
  for (std::uint32_t i = 0; i < size; ++i) {
    if (stopRequested) break;
    if (column == kBytesPerLine) {
      if (length != 0) sink(std::string_view(line, length));
      std::memset(line, ' ', kLineLength);
      length = kLineLength;
      column = 0;
    }
    const std::uint8_t byte = data[i];
    line[column++] = byte < 0x20 ? '.' : static_cast<char>(byte);
    pump();
    gauge.SetProgress(static_cast<int>(i >> shift));
  }
  sink(std::string_view(line, length));
  gauge.SetProgress(static_cast<int>(last >> shift));
}

}  // namespace tarnwick::demo
