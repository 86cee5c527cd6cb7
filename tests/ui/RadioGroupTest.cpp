#include "ui/RadioGroup.h"

#include <gtest/gtest.h>

#include <vector>

namespace tarnwick::ui {
namespace {

struct Recorder {
  std::vector<int> indexesSeen;  // the group's index as each click handler saw it
  void Attach(RadioGroup& group) {
    group.OnClick = [this](Component& sender) {
      indexesSeen.push_back(static_cast<RadioGroup&>(sender).ItemIndex());
    };
  }
};

struct IndexCase {
  int start;
  int set;
  int expectedIndex;
  std::vector<int> expectedClicks;
};

class RadioGroupIndexTest : public ::testing::TestWithParam<IndexCase> {};

TEST_P(RadioGroupIndexTest, ClampsAndClicksOnlyOnAChangeToAnItem) {
  const IndexCase& c = GetParam();
  RadioGroup group;
  group.SetItems({"Yes", "No"});
  group.BeginLoading();
  group.SetItemIndex(c.start);
  group.EndLoading();
  Recorder recorder;
  recorder.Attach(group);
  group.SetItemIndex(c.set);
  EXPECT_EQ(c.expectedIndex, group.ItemIndex());
  EXPECT_EQ(c.expectedClicks, recorder.indexesSeen);
}

INSTANTIATE_TEST_SUITE_P(
    Indexes, RadioGroupIndexTest,
    ::testing::Values(IndexCase{0, 1, 1, {1}},      // a change clicks, after it is in place
                      IndexCase{1, 1, 1, {}},       // the same index does nothing
                      IndexCase{0, 2, 1, {1}},      // past the last item is the last item
                      IndexCase{1, 7, 1, {}},       // ... which may be the one already there
                      IndexCase{1, -1, -1, {}},     // -1 clears without a click
                      IndexCase{1, -5, -1, {}},     // below -1 is -1
                      IndexCase{-1, -3, -1, {}},    // already clear
                      IndexCase{-1, 0, 0, {0}}));   // from no selection to an item

TEST(RadioGroupTest, NoHandlerRunsWhileTheLayoutLoads) {
  RadioGroup group;
  Recorder recorder;
  recorder.Attach(group);
  group.BeginLoading();
  group.SetItems({"Yes", "No"});
  group.SetItemIndex(1);
  EXPECT_TRUE(recorder.indexesSeen.empty());
  group.EndLoading();
  EXPECT_EQ(1, group.ItemIndex());
  EXPECT_TRUE(recorder.indexesSeen.empty());
  group.SetItemIndex(0);
  EXPECT_EQ(std::vector<int>{0}, recorder.indexesSeen);
}

TEST(RadioGroupTest, UserPickingTheSelectedItemDoesNothing) {
  RadioGroup group;
  group.SetItems({"Yes to all", "No to all", "Defaults"});
  Recorder recorder;
  recorder.Attach(group);
  group.UserSelect(2);
  group.UserSelect(2);
  group.UserSelect(0);
  EXPECT_EQ((std::vector<int>{2, 0}), recorder.indexesSeen);
}

TEST(RadioGroupTest, AnEmptyGroupSelectsNothing) {
  RadioGroup group;
  Recorder recorder;
  recorder.Attach(group);
  group.SetItemIndex(0);
  EXPECT_EQ(-1, group.ItemIndex());
  EXPECT_TRUE(recorder.indexesSeen.empty());
}

TEST(RadioGroupTest, FewerItemsDropASelectionThatNoLongerExists) {
  RadioGroup group;
  group.SetItems({"a", "b", "c"});
  group.SetItemIndex(2);
  group.SetItems({"a", "b"});
  EXPECT_EQ(-1, group.ItemIndex());
}

}  // namespace
}  // namespace tarnwick::ui
