#pragma once
// A read-only text view of lines. The lines live in one compact store: appending one costs the
// same at the first line and at the millionth, and the view draws only what is visible.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ui/Control.h"

namespace tarnwick::ui {

class Memo : public Control {
 public:
  using Control::Control;

  // Appends `line` as the new last line; the view follows the end.
  void Add(std::string_view line);
  void Clear();
  // Makes room for `lines` more lines of `bytes` characters in all, so that a long run of Add
  // never moves the store.
  void Reserve(std::size_t lines, std::size_t bytes) {
    starts_.reserve(starts_.size() + lines);
    text_.reserve(text_.size() + bytes);
  }
  std::size_t LineCount() const { return starts_.size(); }
  std::string_view Line(std::size_t index) const;
  // The length of Text(), without building it.
  std::size_t TextLength() const {
    return starts_.empty() ? 0 : text_.size() + 2 * (starts_.size() - 1);
  }
  // All lines, each ended by CR LF but the last, as an edit control gives its text.
  std::string Text() const;

 private:
  std::string text_;                  // every line, back to back
  std::vector<std::uint64_t> starts_;  // where each line begins in text_
};

}  // namespace tarnwick::ui
