// The message pump: cheap until its interval has passed, then the thread's messages for real,
// so a stop posted as a message takes effect at the byte after it is handled.
#include "demo/Pump.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "demo/DumpBytes.h"
#include "platform/emulated/EmulatedPlatform.h"
#include "ui/Application.h"

namespace tarnwick::demo {
namespace {

using namespace std::chrono_literals;

std::uint32_t fakeNow = 0;
std::uint32_t FakeClock() { return fakeNow; }

TEST(MessagePump, RunsOnceItsIntervalHasPassedSinceItLastFinished) {
  struct Case {
    const char* what;
    std::uint32_t start;
    std::vector<std::uint32_t> steps;  // how far the clock moves before each call
    std::uint32_t runTakes;            // how far it moves while the messages run
    std::vector<int> runsAfter;        // runs counted after each call
  };
  const std::vector<Case> cases = {
      {"little time", 500, {0, 1, 3, 3}, 0, {0, 0, 0, 0}},
      {"the interval", 500, {7, 1, 1, 7, 1}, 0, {0, 1, 1, 2, 2}},
      {"a long wait runs once", 500, {1000, 0, 1}, 0, {1, 1, 1}},
      {"slow messages", 500, {8, 5, 3, 8}, 6, {1, 1, 2, 3}},
      {"across the wrap", 0xFFFFFFFCu, {5, 3, 8}, 0, {0, 1, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fakeNow = c.start;
    int runs = 0;
    MessagePump pump(
        [&] {
          ++runs;
          fakeNow += c.runTakes;
        },
        8, &FakeClock, 1);
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
      fakeNow += c.steps[i];
      pump();
      EXPECT_EQ(c.runsAfter[i], runs) << "call " << i;
    }
    EXPECT_EQ(static_cast<std::uint64_t>(runs), pump.Runs());
  }
}

TEST(MessagePump, ACallFromAHandlerRunsNothingAndAnErrorLeavesItUsable) {
  fakeNow = 0;
  int runs = 0;
  bool fail = true;
  MessagePump* self = nullptr;
  MessagePump pump(
      [&] {
        ++runs;
        fakeNow += 100;
        (*self)();  // a handler that pumps again: no second run inside the first
        if (fail) throw std::runtime_error("handler failed");
      },
      8, &FakeClock, 1);
  self = &pump;
  fakeNow += 8;
  EXPECT_THROW(pump(), std::runtime_error);
  EXPECT_EQ(1, runs);
  fail = false;
  pump();  // the interval counts from when the failed run ended
  EXPECT_EQ(1, runs);
  fakeNow += 8;
  pump();
  EXPECT_EQ(2, runs);
}

TEST(MessagePump, ReadsTheClockOnlyEveryFewCalls) {
  struct Case {
    std::uint32_t callsPerRead;
    std::vector<int> runAtCalls;  // the clock moves 1 ms a call; the interval is 8 ms
  };
  for (const Case& c : {Case{1, {8, 16, 24}}, Case{5, {10, 20}}, Case{0, {8, 16, 24}},
                        Case{64, {}}}) {
    SCOPED_TRACE(c.callsPerRead);
    fakeNow = 1000;
    int calls = 0;
    std::vector<int> runAt;
    MessagePump pump([&] { runAt.push_back(calls); }, 8, &FakeClock, c.callsPerRead);
    for (calls = 1; calls <= 26; ++calls) {
      ++fakeNow;
      pump();
    }
    EXPECT_EQ(c.runAtCalls, runAt);
  }
}

TEST(MessagePump, WithoutAnApplicationItRunsNothing) {
  platform::emulated::EmulatedPlatform os;
  ASSERT_EQ(nullptr, ui::Application::Current());
  MessagePump pump;
  os.windows().SkipTime(50ms);
  for (std::uint32_t i = 0; i < MessagePump::kDefaultCallsPerClockRead; ++i) pump();
  EXPECT_EQ(1u, pump.Runs());
}

// The application's queue on the emulated clock: a stop posted before the dump is handled at
// the first real pump, after 8 ms, and the dump ends at the byte after it.
TEST(MessagePump, APostedStopEndsTheDumpAtTheByteAfterItIsHandled) {
  for (std::uint32_t interval : {1u, 8u, 20u}) {
    SCOPED_TRACE(interval);
    platform::emulated::EmulatedPlatform os;
    ui::Application application;
    application.Initialize();
    bool stop = false;
    std::uint32_t handledAtByte = 0;
    std::uint32_t byte = 0;
    constexpr platform::UINT kStopMessage = os::kWmUser + 9;
    application.AddHook([&](platform::UINT message, platform::WPARAM,
                            platform::LPARAM) -> std::optional<platform::LRESULT> {
      if (message != kStopMessage) return std::nullopt;
      stop = true;
      handledAtByte = byte;
      return 0;
    });
    os.windows().PostMessageA(application.Handle(), kStopMessage, 0, 0);

    MessagePump messages(&MessagePump::RunApplicationMessages, interval,
                         &MessagePump::PlatformTicks, 1);
    const auto pump = [&] {
      os.windows().SkipTime(1ms);  // each byte takes a millisecond
      messages();
      ++byte;
    };
    std::vector<std::string> lines;
    ui::Gauge gauge;
    const std::vector<std::uint8_t> bytes(100, 'x');
    DumpBytes(bytes.data(), 100, [&](std::string_view line) { lines.emplace_back(line); }, gauge,
              stop, pump);
    EXPECT_EQ(interval - 1, handledAtByte);
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(std::string(interval, 'x') + std::string(27 - interval, ' '), lines[0]);
    EXPECT_EQ(1u, messages.Runs());
  }
}

// The dump takes a run of calls that only count in one step. Whatever the pump's rhythm, the
// messages must see the same gauge and lines at the same bytes as with a call per byte, and a
// stop asked for in a run must end the dump at the same byte.
TEST(MessagePump, TheDumpSkippingQuietCallsMatchesACallPerByte) {
  struct Seen {
    int progress;
    std::size_t lines;
    bool operator==(const Seen&) const = default;
  };
  const auto run = [](std::uint32_t size, std::uint32_t interval, std::uint32_t callsPerRead,
                      int stopAtRun, bool perByte) {
    std::vector<Seen> seen;
    std::vector<std::string> lines;
    ui::Gauge gauge;
    bool stop = false;
    fakeNow = 0;
    MessagePump pump(
        [&] {
          seen.push_back({gauge.Progress(), lines.size()});
          if (static_cast<int>(seen.size()) == stopAtRun) stop = true;
        },
        interval, [] { return fakeNow++; }, callsPerRead);
    std::vector<std::uint8_t> bytes(size);
    for (std::uint32_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 37);
    const auto sink = [&](std::string_view line) { lines.emplace_back(line); };
    if (perByte) {
      DumpBytes(bytes.data(), size, sink, gauge, stop, [&] { pump(); });
    } else {
      DumpBytes(bytes.data(), size, sink, gauge, stop, pump);
    }
    return std::make_tuple(seen, lines, gauge.Progress(), gauge.PercentDone());
  };
  for (std::uint32_t size : {1u, 25u, 26u, 27u, 640u, 5000u}) {
    for (std::uint32_t interval : {0u, 3u}) {
      for (std::uint32_t callsPerRead : {1u, 7u, 64u}) {
        for (int stopAtRun : {0, 2, 9}) {
          SCOPED_TRACE(testing::Message() << size << " bytes, interval " << interval << ", "
                                          << callsPerRead << " calls a read, stop at run "
                                          << stopAtRun);
          EXPECT_EQ(run(size, interval, callsPerRead, stopAtRun, true),
                    run(size, interval, callsPerRead, stopAtRun, false));
        }
      }
    }
  }
}

}  // namespace
}  // namespace tarnwick::demo
