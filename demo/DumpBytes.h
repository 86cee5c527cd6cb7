#pragma once
// Turns a block of bytes into text lines of 26 byte positions and a space: a byte below 32 shows
// as '.', every other byte as itself. After every byte it lets the window's messages run and
// moves the gauge; a stop request ends it at the next byte.
#include <cstdint>
#include <functional>
#include <string_view>

#include "ui/Gauge.h"

namespace tarnwick::demo {

inline constexpr int kBytesPerLine = 26;
inline constexpr int kLineLength = kBytesPerLine + 1;

using LineSink = std::function<void(std::string_view line)>;

// Runs the pending messages of the thread. Called after every byte, so it must be cheap when
// little time has passed since it last ran them.
using Pump = std::function<void()>;

// Each line reaches `sink` before the call returns; `stopRequested` is read before every byte.
// The gauge ends at its maximum, also after a stop. Its maximum is size - 1; a block above 2 GiB
// moves it in steps of 2 bytes, as the gauge counts in int. A size of 0 hands over nothing and
// leaves the gauge alone: there is no last byte to make its maximum, and the caller shows
// nothing for an empty file.
void DumpBytes(const std::uint8_t* data, std::uint32_t size, const LineSink& sink,
               ui::Gauge& gauge, const bool& stopRequested, const Pump& pump);

}  // namespace tarnwick::demo
