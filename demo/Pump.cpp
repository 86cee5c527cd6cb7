#include "demo/Pump.h"

#include <algorithm>
#include <utility>

#include "platform/Platform.h"
#include "ui/Application.h"

namespace tarnwick::demo {

std::uint32_t MessagePump::PlatformTicks() { return platform::Win().GetTickCount(); }

void MessagePump::RunApplicationMessages() {
  if (ui::Application* application = ui::Application::Current()) application->ProcessMessages();
}

MessagePump::MessagePump(std::function<void()> run, std::uint32_t intervalMs, Clock clock,
                         std::uint32_t callsPerClockRead)
    : run_(std::move(run)),
      interval_(intervalMs),
      clock_(clock),
      callsPerClockRead_(std::max<std::uint32_t>(callsPerClockRead, 1)),
      untilClockRead_(callsPerClockRead_),
      last_(clock_()) {}

void MessagePump::Run() {
  if (running_) return;
  running_ = true;
  ++runs_;
  struct Done {
    MessagePump& pump;
    ~Done() {
      pump.running_ = false;
      pump.last_ = pump.clock_();
    }
  } done{*this};
  if (run_) run_();
}

}  // namespace tarnwick::demo
