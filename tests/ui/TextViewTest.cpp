// The memo's view without a window: a window of 7-pixel cells and 10-pixel lines, 10 cells by
// 3.5 lines, records what the view asks of it.
#include "ui/TextView.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/Types.h"

namespace tarnwick::ui {
namespace {

using namespace os;

class RecordingWindow : public TextView::Window {
 public:
  int Extent(std::string_view text) override { return 7 * static_cast<int>(text.size()); }
  std::vector<int> Ends(std::string_view text) override {
    std::vector<int> ends;
    for (std::size_t i = 1; i <= text.size(); ++i) ends.push_back(7 * static_cast<int>(i));
    return ends;
  }
  void Invalidate(int top, int bottom) override {
    moves.push_back("paint " + std::to_string(top) + "-" + std::to_string(bottom));
  }
  void InvalidateAll() override { moves.push_back("paint all"); }
  void Scroll(int dx, int dy) override {
    moves.push_back("scroll " + std::to_string(dx) + "," + std::to_string(dy));
  }
  void SetBar(bool vertical, const ScrollBar& bar) override {
    (vertical ? verticalBar : horizontalBar) = bar;
    ++barsSet;
  }
  int TrackPosition(bool vertical) override { return vertical ? thumb : thumb * 7; }
  void PlaceCaret(int x, int y) override { caret = {x, y}; }
  void Copy(const std::string& text) override { copied = text; }

  std::vector<std::string> moves;
  ScrollBar verticalBar;
  ScrollBar horizontalBar;
  int barsSet = 0;
  int thumb = 0;
  std::pair<int, int> caret{-1, -1};
  std::optional<std::string> copied;
};

struct Key {
  int key;
  bool control = false;
  bool shift = false;
};

class TextViewTest : public ::testing::Test {
 protected:
  void Show(const std::vector<std::string>& lines) {
    memo_.Clear();
    for (const std::string& line : lines) memo_.Add(line);
    view_.Reload();
    view_.SetMetrics(10, 7);
    view_.Resize(70, 35);
    view_.SetFocused(true);
    view_.Sync();
  }
  void Type(const std::vector<Key>& keys) {
    for (const Key& k : keys) last_ = view_.Key(k.key, k.control, k.shift);
  }

  Memo memo_;
  RecordingWindow window_;
  TextView view_{memo_, window_};
  bool last_ = false;
};

const std::vector<std::string> kLines = {"alpha", "beta", "gamma", "", "delta", "epsilon", "z"};

TEST_F(TextViewTest, KeysMoveTheCaretSelectScrollAndCopyAsInAnEdit) {
  const struct {
    const char* what;
    std::vector<Key> keys;  // after Ctrl+Home
    TextSpot caret, anchor;
    std::size_t top;
    std::optional<std::string> copied;  // by Ctrl+C then
  } cases[] = {
      {"Right", {{kVkRight}}, {0, 1}, {0, 1}, 0, std::nullopt},
      {"Left at the start", {{kVkLeft}}, {0, 0}, {0, 0}, 0, std::nullopt},
      {"Right at a line's end", {{kVkEnd}, {kVkRight}}, {1, 0}, {1, 0}, 0, std::nullopt},
      {"Left at a line's start", {{kVkDown}, {kVkLeft}}, {0, 5}, {0, 5}, 0, std::nullopt},
      {"Down into a shorter line", {{kVkEnd}, {kVkDown}}, {1, 4}, {1, 4}, 0, std::nullopt},
      {"Up on the first line", {{kVkUp}}, {0, 0}, {0, 0}, 0, std::nullopt},
      {"Down below the page", {{kVkDown}, {kVkDown}, {kVkDown}}, {3, 0}, {3, 0}, 1, std::nullopt},
      {"Ctrl+End, then Down", {{kVkEnd, true}, {kVkDown}}, {6, 1}, {6, 1}, 4, std::nullopt},
      {"Home", {{kVkDown}, {kVkEnd}, {kVkHome}}, {1, 0}, {1, 0}, 0, std::nullopt},
      {"Page Down", {{kVkNext}}, {3, 0}, {3, 0}, 3, std::nullopt},
      {"Page Down twice, Page Up", {{kVkNext}, {kVkNext}, {kVkPrior}}, {3, 0}, {3, 0}, 1,
       std::nullopt},
      {"Shift+Right twice", {{kVkRight, false, true}, {kVkRight, false, true}}, {0, 2}, {0, 0},
       0, "al"},
      {"an arrow ends the selection", {{kVkRight, false, true}, {kVkRight}}, {0, 2}, {0, 2}, 0,
       std::nullopt},
      {"Shift+Down", {{kVkDown, false, true}}, {1, 0}, {0, 0}, 0, "alpha\r\n"},
      {"Shift+Left over a line break", {{kVkDown}, {kVkLeft, false, true}}, {0, 5}, {1, 0}, 0,
       "\r\n"},
      {"Ctrl+A", {{'A', true}}, {6, 1}, {0, 0}, 4,
       "alpha\r\nbeta\r\ngamma\r\n\r\ndelta\r\nepsilon\r\nz"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Show(kLines);
    Type({{kVkHome, true}});
    Type(c.keys);
    EXPECT_TRUE(last_);
    EXPECT_EQ(c.caret, view_.Caret());
    EXPECT_EQ(c.anchor, view_.Anchor());
    EXPECT_EQ(c.top, view_.Top());
    // The caret shows where it is, in the view's own pixels.
    EXPECT_EQ(std::make_pair(7 * static_cast<int>(c.caret.column),
                             10 * static_cast<int>(c.caret.line - c.top)),
              window_.caret);
    window_.copied.reset();
    Type({{'C', true}});
    EXPECT_EQ(c.copied, window_.copied);
    window_.copied.reset();
    Type({{kVkInsert, true}});
    EXPECT_EQ(c.copied, window_.copied);
  }
  Type({{0x70}});  // F1
  EXPECT_FALSE(last_);
  Show({});
  Type({{kVkDown}});
  EXPECT_FALSE(last_);
  EXPECT_EQ(TextSpot{}, view_.Caret());
}

TEST_F(TextViewTest, TheMousePutsTheCaretAtTheNearerEdgeAndDragsASelection) {
  const struct {
    const char* what;
    int x, y;
    bool shift;
    std::optional<std::pair<int, int>> drag;
    bool released;  // before the drag
    TextSpot caret, anchor;
  } cases[] = {
      {"short of half a cell", 10, 5, false, std::nullopt, false, {0, 1}, {0, 1}},
      {"past half a cell", 11, 5, false, std::nullopt, false, {0, 2}, {0, 2}},
      {"beyond the line's end", 200, 15, false, std::nullopt, false, {1, 4}, {1, 4}},
      {"left of the text", -5, 25, false, std::nullopt, false, {2, 0}, {2, 0}},
      {"above the view", 8, -3, false, std::nullopt, false, {0, 1}, {0, 1}},
      {"with Shift", 14, 15, true, std::nullopt, false, {1, 2}, {0, 0}},
      {"a drag", 0, 5, false, std::pair{21, 25}, false, {2, 3}, {0, 0}},
      {"a move after the release", 0, 5, false, std::pair{21, 25}, true, {0, 0}, {0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Show(kLines);
    Type({{kVkHome, true}});
    view_.Press(c.x, c.y, c.shift);
    EXPECT_TRUE(view_.Selecting());
    if (c.released) view_.EndSelecting();
    if (c.drag) view_.Drag(c.drag->first, c.drag->second);
    EXPECT_EQ(c.caret, view_.Caret());
    EXPECT_EQ(c.anchor, view_.Anchor());
  }
  // Below the last line, on it, which comes into sight.
  view_.EndSelecting();
  view_.Press(3, 95, false);
  EXPECT_EQ((TextSpot{6, 0}), view_.Caret());
  EXPECT_EQ(4u, view_.Top());
}

TEST_F(TextViewTest, TheBarsScrollWithinTheLimitsAndNearbyMovesScrollThePicture) {
  std::vector<std::string> lines(100, "line");
  lines[50] = std::string(30, 'w');  // 210 pixels wide, so 147 may scroll off
  Show(lines);
  EXPECT_EQ((ScrollBar{99, 3, 97}), window_.verticalBar);
  EXPECT_EQ((ScrollBar{216, 70, 0}), window_.horizontalBar);
  const struct {
    const char* what;
    bool vertical;
    ScrollRequest request;
    int thumb;  // in lines, or cells across
    std::size_t top;
    int left;
    const char* moved;  // what the window was asked, "" for nothing
  } steps[] = {
      {"to the start", true, ScrollRequest::Start, 0, 0, 0, "paint all"},
      {"a line on", true, ScrollRequest::LineOn, 0, 1, 0, "scroll 0,-10"},
      {"a page on", true, ScrollRequest::PageOn, 0, 4, 0, "scroll 0,-30"},
      {"a line back", true, ScrollRequest::LineBack, 0, 3, 0, "scroll 0,10"},
      {"a page back, short of the start", true, ScrollRequest::PageBack, 0, 0, 0, "scroll 0,30"},
      {"a page back at the start", true, ScrollRequest::PageBack, 0, 0, 0, ""},
      {"to the end", true, ScrollRequest::End, 0, 97, 0, "paint all"},
      {"the thumb", true, ScrollRequest::ThumbTrack, 50, 50, 0, "paint all"},
      {"the thumb past the end", true, ScrollRequest::ThumbPosition, 200, 97, 0, "paint all"},
      {"the thumb before the start", true, ScrollRequest::ThumbPosition, -5, 0, 0, "paint all"},
      {"a cell right", false, ScrollRequest::LineOn, 0, 0, 7, "scroll -7,0"},
      {"a page right", false, ScrollRequest::PageOn, 0, 0, 77, "paint all"},
      {"to the right end", false, ScrollRequest::End, 0, 0, 147, "paint all"},
      {"a cell past it", false, ScrollRequest::LineOn, 0, 0, 147, ""},
      {"a cell left", false, ScrollRequest::LineBack, 0, 0, 140, "scroll 7,0"},
      {"to the left", false, ScrollRequest::Start, 0, 0, 0, "paint all"},
      {"the thumb across", false, ScrollRequest::ThumbTrack, 3, 0, 21, "scroll -21,0"},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.what);
    window_.moves.clear();
    window_.thumb = s.thumb;
    view_.Scroll(s.vertical, s.request);
    EXPECT_EQ(s.top, view_.Top());
    EXPECT_EQ(s.left, view_.Left());
    EXPECT_EQ(std::string(s.moved), window_.moves.empty() ? "" : window_.moves.front());
    EXPECT_EQ((ScrollBar{99, 3, static_cast<int>(s.top)}), window_.verticalBar);
    EXPECT_EQ((ScrollBar{216, 70, s.left}), window_.horizontalBar);
  }
  // A bar is set again only when it changed.
  const int set = window_.barsSet;
  view_.Scroll(false, ScrollRequest::Start);
  view_.Scroll(true, ScrollRequest::Start);
  EXPECT_EQ(set + 1, window_.barsSet);
}

TEST_F(TextViewTest, TheWheelScrollsWholeNotchesOfLinesOrPages) {
  Show(std::vector<std::string>(100, "line"));
  const struct {
    int delta;
    unsigned perNotch;
    std::size_t top;
  } turns[] = {
      {120, 3, 94},  {-60, 3, 94}, {-60, 3, 97}, {240, 1, 95},
      {120, TextView::kWheelPage, 92}, {-360, 5, 97},
  };
  for (const auto& t : turns) {
    view_.Wheel(t.delta, t.perNotch);
    EXPECT_EQ(t.top, view_.Top()) << t.delta << " by " << t.perNotch;
  }
}

TEST_F(TextViewTest, NewLinesArePaintedAtTheNextSyncWhichFollowsTheEndUnlessTheMouseSelects) {
  const struct {
    const char* what;
    std::vector<Key> keys;  // before the new lines
    bool selecting;
    TextSpot caret;
    std::size_t top;
  } cases[] = {
      {"at the end", {}, false, {9, 4}, 7},
      {"elsewhere", {{kVkUp}}, false, {9, 4}, 7},
      {"with a selection", {{kVkUp, false, true}}, false, {5, 1}, 7},
      {"while the mouse selects", {}, true, {6, 1}, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Show(kLines);
    Type(c.keys);
    if (c.selecting) view_.Press(7, 25, false);
    window_.moves.clear();
    for (const char* line : {"eta", "theta", "iota"}) memo_.Add(line), view_.Appended();
    // One band for the whole burst, from the first new line (in sight) down.
    EXPECT_EQ(std::vector<std::string>{"paint 30-40"}, window_.moves);
    view_.Sync();
    EXPECT_EQ(c.caret, view_.Caret());
    EXPECT_EQ(c.top, view_.Top());
    EXPECT_EQ((ScrollBar{9, 3, static_cast<int>(c.top)}), window_.verticalBar);
  }
}

TEST_F(TextViewTest, ReadersGetTheTextAndItsLinesAsFromAnEdit) {
  Show({"one", "", "three"});
  const struct {
    std::size_t size;
    std::size_t copied;
    std::string written;
  } texts[] = {{1, 0, ""}, {5, 4, "one\r"}, {6, 5, "one\r\n"}, {100, 12, "one\r\n\r\nthree"}};
  for (const auto& t : texts) {
    std::string buffer(t.size + 1, '#');
    EXPECT_EQ(t.copied, view_.CopyText(buffer.data(), t.size)) << t.size;
    EXPECT_EQ(t.written + '\0', buffer.substr(0, t.written.size() + 1)) << t.size;
  }
  EXPECT_EQ(0u, view_.CopyText(nullptr, 10));
  const struct {
    std::size_t line;
    std::uint16_t size;
    std::size_t copied;
    std::string written;  // as far as it reaches
  } lines[] = {
      {0, 10, 3, std::string("one\0", 4)}, {2, 3, 3, "thr"}, {1, 10, 0, std::string(1, '\0')},
      {3, 10, 0, "\x0A"},  // past the end: untouched (the size's low byte)
  };
  for (const auto& l : lines) {
    std::string buffer(16, '#');
    std::memcpy(buffer.data(), &l.size, sizeof l.size);
    EXPECT_EQ(l.copied, view_.CopyLine(l.line, buffer.data())) << l.line;
    EXPECT_EQ(l.written, buffer.substr(0, l.written.size())) << l.line;
  }
  Show({});
  std::string empty = "\x05#";
  empty[1] = '\0';
  EXPECT_EQ(0u, view_.CopyLine(0, empty.data()));
  EXPECT_EQ('\0', empty[0]);  // the one empty line of an empty box
}

}  // namespace
}  // namespace tarnwick::ui
