#include "demo/DumpBytes.h"

#include <climits>

namespace tarnwick::demo::detail {

int GaugeShift(std::uint32_t last) {
  int shift = 0;
  while ((last >> shift) > static_cast<std::uint32_t>(INT_MAX)) ++shift;
  return shift;
}

}  // namespace tarnwick::demo::detail
