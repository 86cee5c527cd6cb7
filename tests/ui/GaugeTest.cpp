// The gauge model: its range rules, its percentage and when it asks its peer to repaint.
#include "ui/Gauge.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace tarnwick::ui {
namespace {

// Counts the repaints the gauge asks for.
class CountingPeer final : public ControlPeer {
 public:
  explicit CountingPeer(int& progress) : progress_(progress) {}
  void Changed(Change what) override {
    if (what == Change::Progress) ++progress_;
  }

 private:
  int& progress_;
};

class GaugeTest : public ::testing::Test {
 protected:
  GaugeTest() { gauge_.SetPeer(std::make_unique<CountingPeer>(repaints_)); }
  Gauge gauge_;
  int repaints_ = 0;
};

TEST_F(GaugeTest, StartsEmptyOutOfAHundred) {
  EXPECT_EQ(0, gauge_.MinValue());
  EXPECT_EQ(100, gauge_.MaxValue());
  EXPECT_EQ(0, gauge_.Progress());
  EXPECT_EQ("0%", gauge_.Text());
}

TEST_F(GaugeTest, PositionIsClampedAndPercentageTruncated) {
  struct Case {
    int max, position, progress, percent;
  };
  const std::vector<Case> cases = {
      {100, 50, 50, 50},    {100, -5, 0, 0},      {100, 150, 100, 100},
      {3, 1, 1, 33},        {3, 2, 2, 66},        {0, 5, 0, 0},  // max equal to min: 0 %
      {999, 998, 998, 99},  {7, 7, 7, 100},       {INT_MAX, INT_MAX - 1, INT_MAX - 1, 99},
      {INT_MAX, INT_MAX, INT_MAX, 100},           {INT_MAX, INT_MIN, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.max << " " << c.position);
    gauge_.SetMaxValue(c.max);
    gauge_.SetProgress(c.position);
    EXPECT_EQ(c.progress, gauge_.Progress());
    EXPECT_EQ(c.percent, gauge_.PercentDone());
    EXPECT_EQ(std::to_string(c.percent) + "%", gauge_.Text());
  }
}

TEST_F(GaugeTest, AMaximumBelowThePositionTakesThePositionDown) {
  gauge_.SetProgress(80);
  gauge_.SetMaxValue(50);
  EXPECT_EQ(50, gauge_.Progress());
  EXPECT_EQ(100, gauge_.PercentDone());
  gauge_.SetMaxValue(200);
  EXPECT_EQ(50, gauge_.Progress());
  EXPECT_EQ(25, gauge_.PercentDone());
}

TEST_F(GaugeTest, AMaximumBelowTheMinimumIsRefusedAndChangesNothing) {
  gauge_.SetProgress(30);
  for (int bad : {-1, -100, INT_MIN}) {
    try {
      gauge_.SetMaxValue(bad);
      ADD_FAILURE() << bad << " was taken";
    } catch (const std::invalid_argument& e) {
      EXPECT_STREQ("Value must be between 1 and 2147483647", e.what());
    }
    EXPECT_EQ(100, gauge_.MaxValue());
    EXPECT_EQ(30, gauge_.Progress());
  }
  EXPECT_EQ(1, repaints_);  // only the move to 30
}

TEST_F(GaugeTest, RepaintsOnlyWhenTheWholePercentageChanges) {
  struct Case {
    int max;
    int repaints;  // stepping the position from 0 to max, one at a time
  };
  for (const Case& c : {Case{999, 100}, Case{100, 100}, Case{7, 7}, Case{0, 0}, Case{1, 1},
                        Case{250, 100}}) {
    SCOPED_TRACE(c.max);
    gauge_.SetProgress(0);
    gauge_.SetMaxValue(c.max);
    repaints_ = 0;
    for (int position = 0; position <= c.max; ++position) {
      gauge_.SetProgress(position);
      gauge_.SetProgress(position);  // the same again asks for nothing
    }
    EXPECT_EQ(c.repaints, repaints_);
  }
  // A new maximum that moves the percentage repaints too, and one that does not, does not.
  gauge_.SetMaxValue(100);
  gauge_.SetProgress(50);
  repaints_ = 0;
  gauge_.SetMaxValue(200);
  gauge_.SetMaxValue(199);  // still 25 %
  EXPECT_EQ(1, repaints_);
}

// The percentage is kept in a band of positions so that a step costs two comparisons; whatever
// order positions come in, it must equal the plain formula.
TEST_F(GaugeTest, ThePercentageFollowsEveryPositionInAnyOrder) {
  const auto expected = [](long long position, long long max) {
    return max == 0 ? 0 : static_cast<int>(100 * position / max);
  };
  for (int max = 0; max <= 300; ++max) {
    gauge_.SetMaxValue(max);
    for (int position = max + 1; position >= -1; --position) {  // down, past both ends
      gauge_.SetProgress(position);
      ASSERT_EQ(expected(gauge_.Progress(), max), gauge_.PercentDone()) << max << " " << position;
    }
    for (int position = 0; position <= max; position += 7) {  // up in jumps
      gauge_.SetProgress(position);
      ASSERT_EQ(expected(position, max), gauge_.PercentDone()) << max << " " << position;
    }
  }
  gauge_.SetMaxValue(INT_MAX);
  for (long long percent = 0; percent <= 100; ++percent) {
    const long long edge = (percent * INT_MAX + 99) / 100;  // first position of this percentage
    for (long long position : {edge - 1, edge, edge + 1}) {
      if (position < 0 || position > INT_MAX) continue;
      gauge_.SetProgress(static_cast<int>(position));
      ASSERT_EQ(expected(position, INT_MAX), gauge_.PercentDone()) << position;
    }
  }
}

}  // namespace
}  // namespace tarnwick::ui
