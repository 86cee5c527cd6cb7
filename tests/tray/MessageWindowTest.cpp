// A hidden message window lives exactly as long as its object, unless something else destroys it
// first.
#include "tray/MessageWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/emulated/EmulatedPlatform.h"

namespace tarnwick::tray {
namespace {

using namespace platform::os;
using platform::emulated::EmulatedPlatform;

class MessageWindowTest : public ::testing::Test {
 protected:
  MessageWindow::Handler Recorder() {
    return [this](UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
      seen_.push_back(message);
      return std::nullopt;
    };
  }
  long Seen(UINT message) const { return std::count(seen_.begin(), seen_.end(), message); }

  EmulatedPlatform os_;
  platform::emulated::EmulatedWindows& win_ = os_.windows();
  std::vector<UINT> seen_;
};

TEST_F(MessageWindowTest, ItsWindowGoesWithIt) {
  HWND handle = nullptr;
  {
    MessageWindow window(Recorder());
    handle = window.Handle();
    ASSERT_TRUE(win_.IsWindow(handle));
  }
  EXPECT_FALSE(win_.IsWindow(handle));
  EXPECT_EQ(0, Seen(kWmNcDestroy));  // the owner let go first; nothing reaches a dead handler
}

TEST_F(MessageWindowTest, AWindowDestroyedElsewhereIsForgotten) {
  {
    MessageWindow window(Recorder());
    win_.DestroyWindow(window.Handle());
    EXPECT_EQ(nullptr, window.Handle());
    EXPECT_EQ(1, Seen(kWmNcDestroy));
  }
  EXPECT_EQ(0u, win_.WindowCount());
  EXPECT_EQ(1, Seen(kWmNcDestroy));
}

}  // namespace
}  // namespace tarnwick::tray
