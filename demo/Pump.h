#pragma once
// The pump the dump calls after every byte. Running the thread's messages costs tens of
// microseconds under Wine, so it runs them only once an interval has passed since it last did.
// Even a clock read costs more than formatting a byte, so it reads the clock only every few
// calls; the rest cost a count.
#include <cstdint>
#include <functional>

namespace tarnwick::demo {

class MessagePump {
 public:
  // Milliseconds since any fixed start; it may wrap.
  using Clock = std::uint32_t (*)();
  static constexpr std::uint32_t kDefaultIntervalMs = 8;
  // A fraction of a microsecond of dumping between clock reads.
  static constexpr std::uint32_t kDefaultCallsPerClockRead = 64;

  // The platform's tick count. Under Wine (and Windows) it moves in steps of about 16 ms, so an
  // interval below that runs the messages at each step.
  static std::uint32_t PlatformTicks();
  // The current application's ProcessMessages; nothing when there is no application.
  static void RunApplicationMessages();

  // The interval counts from now. `callsPerClockRead` of 1 reads it at every call.
  explicit MessagePump(std::function<void()> run = &RunApplicationMessages,
                       std::uint32_t intervalMs = kDefaultIntervalMs, Clock clock = &PlatformTicks,
                       std::uint32_t callsPerClockRead = kDefaultCallsPerClockRead);

  void operator()() {
    if (--untilClockRead_ != 0) return;
    untilClockRead_ = callsPerClockRead_;
    if (clock_() - last_ >= interval_) Run();
  }
  // For calls that come far apart, such as between the pieces of a file being read: reads the
  // clock at once, and runs the messages when the interval has passed.
  void Poll() {
    untilClockRead_ = callsPerClockRead_;
    if (clock_() - last_ >= interval_) Run();
  }
  // How many of the next calls surely only count: they neither read the clock nor run anything.
  std::uint32_t QuietCalls() const { return untilClockRead_ - 1; }
  // Stands for `calls` such calls, `calls` at most QuietCalls().
  void SkipQuiet(std::uint32_t calls) { untilClockRead_ -= calls; }
  // How many times it has run the messages.
  std::uint64_t Runs() const { return runs_; }

 private:
  // Out of line, so the per-byte path stays small. The next interval counts from when the
  // messages are done, so slow handlers cannot starve the dump. A call from inside a handler
  // runs nothing.
  void Run();

  std::function<void()> run_;
  std::uint32_t interval_;
  Clock clock_;
  std::uint32_t callsPerClockRead_;
  std::uint32_t untilClockRead_;
  std::uint32_t last_;
  std::uint64_t runs_ = 0;
  bool running_ = false;
};

}  // namespace tarnwick::demo
