// The dump's own speed, natively: a 16 MiB block formatted into a compact line store, as the
// demonstration window's text views hold it, with a pump that only reads the clock. `xxd` on
// the same bytes, read from a file, gives a yardstick. Not a test: `make bench-dump` runs it.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <time.h>
#include <unistd.h>

#include "demo/DumpBytes.h"
#include "demo/Pump.h"
#include "ui/Gauge.h"
#include "ui/Memo.h"

namespace {

using namespace tarnwick;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kSize = 16u << 20;
constexpr int kRounds = 3;

// Index files are mostly text (addresses, headers) between binary records: mostly printable
// bytes with runs of control bytes, from a fixed seed so every run formats the same block.
std::vector<std::uint8_t> IndexLikeBytes() {
  std::vector<std::uint8_t> bytes(kSize);
  std::uint64_t state = 0x9E3779B97F4A7C15u;
  for (std::uint32_t i = 0; i < kSize; ++i) {
    state = state * 6364136223846793005u + 1442695040888963407u;
    const auto r = static_cast<std::uint32_t>(state >> 33);
    bytes[i] = (i / 64) % 4 == 3 ? static_cast<std::uint8_t>(r % 32)
                                 : static_cast<std::uint8_t>(32 + r % 95);
  }
  return bytes;
}

// The coarse monotonic clock: like GetTickCount, a few nanoseconds a read and a few
// milliseconds a step.
std::uint32_t CoarseMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
  return static_cast<std::uint32_t>(now.tv_sec * 1000 + now.tv_nsec / 1'000'000);
}

double Seconds(Clock::duration span) { return std::chrono::duration<double>(span).count(); }

double MiBPerSecond(double seconds) { return kSize / (1024.0 * 1024.0) / seconds; }

// The best of a few rounds of `work`, in seconds.
double Best(const std::function<void()>& work) {
  double best = 1e9;
  for (int round = 0; round < kRounds; ++round) {
    const auto start = Clock::now();
    work();
    best = std::min(best, Seconds(Clock::now() - start));
  }
  return best;
}

}  // namespace

// With `--write PATH` it also leaves its block in PATH, so that the program under Wine can be
// timed on the same bytes.
int main(int argc, char** argv) {
#ifndef NDEBUG
  std::printf("note: an unoptimised build; `make bench-dump` builds an optimised one\n");
#endif
  const std::vector<std::uint8_t> bytes = IndexLikeBytes();
  if (argc == 3 && std::string(argv[1]) == "--write") {
    std::ofstream out(argv[2], std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), kSize);
  }

  std::size_t lines = 0;
  std::uint64_t pumps = 0;
  const double dump = Best([&] {
    ui::Memo memo;
    ui::Gauge gauge;
    const bool stop = false;
    demo::MessagePump pump([] {}, demo::MessagePump::kDefaultIntervalMs, &CoarseMilliseconds);
    demo::DumpBytes(
        bytes.data(), kSize, [&](std::string_view line) { memo.Add(line); }, gauge, stop,
        pump);
    lines = memo.LineCount();
    pumps = pump.Runs();
  });
  std::printf("DumpBytes: %.1f MiB/s (%.3f s, %zu lines, %llu clock-only pump runs)\n",
              MiBPerSecond(dump), dump, lines, static_cast<unsigned long long>(pumps));

  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("tarnwick-dump-bench-" + std::to_string(getpid()));
  {
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), kSize);
  }
  const std::string command = "xxd '" + file.string() + "' >/dev/null";
  int status = 0;
  const double xxd = Best([&] { status = std::system(command.c_str()); });
  std::filesystem::remove(file);
  if (status != 0) {
    std::printf("xxd: did not run (status %d); is Debian's xxd package installed?\n", status);
    return 1;
  }
  std::printf("xxd: %.1f MiB/s (%.3f s)\n", MiBPerSecond(xxd), xxd);
  std::printf("DumpBytes / xxd: %.1fx\n", xxd / dump);
  return 0;
}
