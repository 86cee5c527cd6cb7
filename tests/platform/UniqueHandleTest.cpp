// The handle owner: each handle is closed exactly once, by whoever holds it last.
#include "platform/Handle.h"

#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/Owners.h"
#include "platform/emulated/EmulatedPlatform.h"

namespace tarnwick::platform {
namespace {

using namespace os;
using emulated::EmulatedPlatform;

// Handles are small integers; 0 is none. Every close is recorded.
std::vector<int> closed;
struct CountingTraits {
  using Handle = int;
  static constexpr Handle kNull = 0;
  static void Close(Handle handle) { closed.push_back(handle); }
};
using Owner = UniqueHandle<CountingTraits>;

static_assert(!std::is_copy_constructible_v<Owner> && !std::is_copy_assignable_v<Owner>);
static_assert(std::is_nothrow_move_constructible_v<Owner>);
static_assert(std::is_nothrow_move_assignable_v<Owner>);
static_assert(!std::is_convertible_v<int, Owner>, "taking ownership is always spelt out");

class UniqueHandleTest : public ::testing::Test {
 protected:
  void SetUp() override { closed.clear(); }
};

TEST_F(UniqueHandleTest, ClosesWhatItHoldsOnceAndNothingWhenEmpty) {
  {
    Owner empty;
    EXPECT_FALSE(empty);
  }
  EXPECT_TRUE(closed.empty());
  {
    Owner owner(7);
    EXPECT_TRUE(owner);
    EXPECT_EQ(7, owner.Get());
  }
  EXPECT_EQ(std::vector<int>{7}, closed);
}

TEST_F(UniqueHandleTest, AMoveHandsTheHandleOnAndTheOldOwnerClosesNothing) {
  {
    Owner first(1);
    Owner second(std::move(first));
    EXPECT_FALSE(first);  // the moved-from state is the point
    EXPECT_EQ(1, second.Get());
    Owner third(3);
    third = std::move(second);  // 3 is closed here, 1 changes hands
    EXPECT_EQ(std::vector<int>{3}, closed);
    EXPECT_EQ(1, third.Get());
  }
  EXPECT_EQ((std::vector<int>{3, 1}), closed);
}

TEST_F(UniqueHandleTest, MovingOntoItselfKeepsTheHandleOpen) {
  Owner owner(5);
  Owner& alias = owner;
  owner = std::move(alias);
  EXPECT_EQ(5, owner.Get());
  owner.Reset(owner.Get());
  EXPECT_EQ(5, owner.Get());
  EXPECT_TRUE(closed.empty());
}

TEST_F(UniqueHandleTest, ResetClosesTheOldHandleAndReleaseClosesNone) {
  Owner owner(1);
  owner.Reset(2);
  EXPECT_EQ(std::vector<int>{1}, closed);
  EXPECT_EQ(2, owner.Release());
  EXPECT_FALSE(owner);
  owner.Reset();
  EXPECT_EQ(std::vector<int>{1}, closed);
  owner.Reset(4);
  owner.Reset();
  EXPECT_EQ((std::vector<int>{1, 4}), closed);
}

TEST(RegKeyOwner, ClosesItsKeyInTheRegistry) {
  EmulatedPlatform os;
  HKEY key = nullptr;
  ASSERT_EQ(kErrorSuccess, os.registry().RegCreateKeyExA(HkeyCurrentUser(), "K", 0, nullptr, 0,
                                                         kKeyAllAccess, nullptr, &key, nullptr));
  {
    RegKey owner(key);
    RegKey moved = std::move(owner);
    EXPECT_EQ(1u, os.registry().OpenHandles());
  }
  EXPECT_EQ(0u, os.registry().OpenHandles());
}

TEST(NamedLockOwner, HoldsTheLockUntilItsLastOwnerGoes) {
  EmulatedPlatform os;
  {
    NamedLock outer;
    {
      NamedLock taken = TakeNamedLock("L", 0);
      EXPECT_TRUE(taken);
      EXPECT_FALSE(TakeNamedLock("L", 0));  // busy: the second owner is empty and frees nothing
      outer = std::move(taken);
    }
    EXPECT_EQ(1u, os.system().HeldLocks().count("L"));
  }
  EXPECT_TRUE(os.system().HeldLocks().empty());
  EXPECT_EQ((std::vector<std::string>{"acquire L", "busy L", "release L"}),
            os.system().LockEvents());
}

LRESULT PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return Win().DefWindowProcA(window, message, wParam, lParam);
}

TEST(WindowOwner, DestroysItsWindowUnlessItLetGo) {
  EmulatedPlatform os;
  auto& win = os.windows();
  WNDCLASSA windowClass;
  windowClass.lpfnWndProc = &PlainProc;
  windowClass.hInstance = win.GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "Owned";
  ASSERT_NE(0, win.RegisterClassA(&windowClass));
  const auto create = [&] {
    return win.CreateWindowExA(0, "Owned", "", kWsPopup, 0, 0, 0, 0, nullptr, nullptr,
                               windowClass.hInstance, nullptr);
  };
  HWND kept = create();
  HWND doomed = create();
  {
    WindowOwner owner(doomed);
    WindowOwner handedOn(kept);
    EXPECT_EQ(kept, handedOn.Release());
  }
  EXPECT_FALSE(win.IsWindow(doomed));
  EXPECT_TRUE(win.IsWindow(kept));
}

}  // namespace
}  // namespace tarnwick::platform
