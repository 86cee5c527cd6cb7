// The index file dump against the plain formatter of the tests: any block, any stop byte, the
// same lines. The stop comes from the pump, as the stop button's message does: either a pump
// called for every byte, or the real message pump on a fake clock, which takes runs of quiet
// calls in one step.
//
// Input: [pump] [stop low] [stop high] [calls per clock read] [interval] [clock step] block...
//   pump bit 0 clear: a plain pump, the stop set before byte (stop high * 256 + stop low),
//   none for 0xFFFF; set: the message pump, the stop set at its run number (stop low), none for
//   0xFF.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "demo/DumpBytes.h"
#include "fuzz/FuzzCheck.h"
#include "demo/Pump.h"
#include "tests/support/ReferenceDump.h"
#include "ui/Gauge.h"

namespace {

using namespace tarnwick;

using fuzz::Check;
using fuzz::Fail;

// The fake clock: it moves by a step at every reading, and counts them.
std::uint32_t g_now = 0;
std::uint32_t g_step = 0;
std::uint32_t g_reads = 0;
std::uint32_t FakeClock() {
  ++g_reads;
  return g_now += g_step;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size) {
  if (size < 6) return 0;
  const bool messagePump = (input[0] & 1) != 0;
  const std::uint32_t stopSetting = input[1] | (input[2] << 8);
  const std::uint32_t callsPerClockRead = 1 + input[3] % 64;
  const std::uint32_t interval = input[4] % 32;
  g_step = input[5] % 16;
  g_now = 0;
  g_reads = 0;
  const std::uint8_t* block = input + 6;
  const auto blockSize = static_cast<std::uint32_t>(size - 6);

  std::vector<std::string> lines;
  const auto sink = [&](std::string_view line) { lines.emplace_back(line); };
  ui::Gauge gauge;
  bool stop = false;
  std::size_t stopAt = test::kNoStop;  // the first byte not handled

  if (!messagePump) {
    std::uint32_t byte = 0;
    if (stopSetting != 0xFFFF) stopAt = stopSetting;
    stop = stopAt == 0;
    demo::DumpBytes(block, blockSize, sink, gauge, stop, [&] {
      Check(byte == 0 || gauge.Progress() == static_cast<int>(byte - 1), "the gauge lags");
      if (++byte == stopAt) stop = true;
    });
  } else {
    std::uint32_t runs = 0;
    const std::uint32_t stopRun = stopSetting & 0xFF;
    demo::MessagePump pump(
        [&] {
          // Every clock reading but the first and one after each earlier run stands for
          // `callsPerClockRead` calls; this run comes at the last of them.
          const std::uint32_t calls = (g_reads - 1 - runs) * callsPerClockRead;
          ++runs;
          Check(calls >= 1 && calls <= blockSize, "a run outside the dump");
          const std::uint32_t byte = calls - 1;
          Check(gauge.Progress() == static_cast<int>(byte == 0 ? 0 : byte - 1),
                "the gauge lags at a run");
          if (runs == stopRun) {
            stop = true;
            stopAt = byte + 1;
          }
        },
        interval, &FakeClock, callsPerClockRead);
    demo::DumpBytes(block, blockSize, sink, gauge, stop, pump);
    Check(pump.Runs() == runs, "the pump miscounted its runs");
  }

  if (blockSize == 0) {
    Check(lines.empty() && gauge.MaxValue() == 100 && gauge.Progress() == 0,
          "an empty block handed something over");
    return 0;
  }
  const std::string_view bytes(reinterpret_cast<const char*>(block), blockSize);
  Check(lines == test::ReferenceDumpLines(bytes, stopAt), "the lines differ from the reference");
  Check(gauge.MaxValue() == static_cast<int>(blockSize - 1) && gauge.Progress() == gauge.MaxValue(),
        "the gauge does not end at its maximum");
  return 0;
}
