// The memo's store: lines back to back, read as an edit control gives its text.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "ui/Memo.h"

namespace tarnwick::ui {
namespace {

TEST(Memo, KeepsItsLinesAndJoinsThemWithCrLf) {
  const struct {
    std::vector<std::string> lines;
    std::string text;
  } cases[] = {
      {{}, ""},
      {{""}, ""},
      {{"", ""}, "\r\n"},
      {{"a"}, "a"},
      {{"one", "", "three"}, "one\r\n\r\nthree"},
      {{"ends empty", ""}, "ends empty\r\n"},
      {{std::string("nul\0inside", 10), "\xFF"}, std::string("nul\0inside\r\n\xFF", 13)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    Memo memo;
    memo.Add("left over");
    memo.Clear();
    for (const std::string& line : c.lines) memo.Add(line);
    ASSERT_EQ(c.lines.size(), memo.LineCount());
    for (std::size_t i = 0; i < c.lines.size(); ++i) EXPECT_EQ(c.lines[i], memo.Line(i));
    EXPECT_EQ(c.text, memo.Text());
    EXPECT_EQ(c.text.size(), memo.TextLength());
    EXPECT_THROW(memo.Line(c.lines.size()), std::out_of_range);
    memo.Clear();
    EXPECT_EQ(0u, memo.LineCount());
    EXPECT_EQ("", memo.Text());
    EXPECT_EQ(0u, memo.TextLength());
  }
}

}  // namespace
}  // namespace tarnwick::ui
