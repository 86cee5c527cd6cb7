#pragma once
// Turns a block of bytes into text lines of 26 byte positions and a space: a byte below 32 shows
// as '.', every other byte as itself. After every byte it lets the window's messages run and
// moves the gauge; a stop request ends it at the next byte.
#include <algorithm>
#include <concepts>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string_view>
#include <type_traits>

#include "ui/Gauge.h"

namespace tarnwick::demo {

inline constexpr int kBytesPerLine = 26;
inline constexpr int kLineLength = kBytesPerLine + 1;

using LineSink = std::function<void(std::string_view line)>;

// Runs the pending messages of the thread. Called after every byte, so it must be cheap when
// little time has passed since it last ran them.
using Pump = std::function<void()>;

namespace detail {
// How far positions are shifted right so that the last one fits the gauge's int.
int GaugeShift(std::uint32_t last);
}  // namespace detail

// A pump that can tell how many of its next calls would only count (as MessagePump can).
template <class PumpFn>
inline constexpr bool kCountsQuietCalls = requires(std::remove_reference_t<PumpFn>& pump) {
  { pump.QuietCalls() } -> std::convertible_to<std::uint32_t>;
  pump.SkipQuiet(std::uint32_t{});
};

// Each line reaches `sink` before the call returns; `stopRequested` is read before every byte.
// The gauge ends at its maximum, also after a stop. Its maximum is size - 1; a block above 2 GiB
// moves it in steps of 2 bytes, as the gauge counts in int. A size of 0 hands over nothing and
// leaves the gauge alone: there is no last byte to make its maximum, and the caller shows
// nothing for an empty file.
// `pump` is any callable taking nothing. A template, because it is called for every byte: a
// call through std::function there costs more than formatting the byte.
template <class PumpFn>
void DumpBytes(const std::uint8_t* data, std::uint32_t size, const LineSink& sink,
               ui::Gauge& gauge, const bool& stopRequested, PumpFn&& pump) {
  if (size == 0) return;
  const std::uint32_t last = size - 1;
  const int shift = detail::GaugeShift(last);
  gauge.SetMaxValue(static_cast<int>(last >> shift));

  char line[kLineLength];
  std::size_t length = 0;  // stays 0 when a stop comes before the first byte
  std::uint32_t i = 0;
  while (i < size && !stopRequested) {
    if (length != 0) sink(std::string_view(line, length));
    std::memset(line, ' ', kLineLength);
    length = kLineLength;
    const std::uint32_t first = i;
    const std::uint32_t lineEnd = size - i > kBytesPerLine ? i + kBytesPerLine : size;
    while (i < lineEnd) {
      if (stopRequested) break;
      if constexpr (kCountsQuietCalls<PumpFn>) {
        // Calls that only count change nothing anyone can see, and nothing runs between them
        // that could read the gauge or ask for a stop: a run of them is taken in one step.
        const std::uint32_t quiet = std::min(lineEnd - i, pump.QuietCalls());
        if (quiet > 0) {
          pump.SkipQuiet(quiet);
          i += quiet;
          gauge.SetProgress(static_cast<int>((i - 1) >> shift));
          continue;
        }
      }
      pump();
      gauge.SetProgress(static_cast<int>(i >> shift));
      ++i;
    }
    // Nobody sees the line before the sink does, so its characters are written in one go, out
    // of the per-byte loop.
    for (std::uint32_t at = first; at < i; ++at) {
      const std::uint8_t byte = data[at];
      line[at - first] = byte < 0x20 ? '.' : static_cast<char>(byte);
    }
  }
  sink(std::string_view(line, length));
  gauge.SetProgress(static_cast<int>(last >> shift));
}

}  // namespace tarnwick::demo
