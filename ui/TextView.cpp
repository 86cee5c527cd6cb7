#include "ui/TextView.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/Types.h"

namespace tarnwick::ui {
namespace {

using namespace os;

constexpr int kWheelDelta = 120;

int ToInt(std::size_t value) { return static_cast<int>(std::min<std::size_t>(value, INT_MAX)); }

}  // namespace

int TextView::ContentWidth() const {
  return ToInt(std::min<std::size_t>(widest_, INT_MAX / charWidth_ - 1)) * charWidth_ + charWidth_;
}

void TextView::Resize(int width, int height) {
  width_ = width;
  height_ = height;
  top_ = std::min(top_, MaxTop());
  left_ = std::clamp(left_, 0, MaxLeft());
  UpdateScrollBars();
  window_.InvalidateAll();
}

// Each bar is set only when its range, page or position moved: under Wine every setting redraws
// the bar at once, and a run of appends would otherwise pay for four of them.
void TextView::UpdateScrollBars() {
  const auto set = [this](bool vertical, const ScrollBar& wanted, std::optional<ScrollBar>& shown) {
    if (shown != wanted) window_.SetBar(vertical, wanted);
    shown = wanted;
  };
  set(true, {Count() > 0 ? ToInt(Count() - 1) : 0, ToInt(PageRows()), ToInt(top_)}, vertical_);
  set(false, {ContentWidth() - 1, std::max(0, width_), left_}, horizontal_);
}

// Lines from `line` to the bottom of the view, as far as they are in sight.
void TextView::InvalidateFrom(std::size_t line) {
  if (line >= top_ + SeenRows()) line = top_ + SeenRows() - 1;  // still ask for a paint
  const int top = ToInt(line > top_ ? line - top_ : 0) * lineHeight_;
  window_.Invalidate(top, std::max(top + lineHeight_, height_));
}

void TextView::InvalidateLines(std::size_t first, std::size_t last) {
  if (last < top_ || first >= top_ + SeenRows()) return;
  first = std::max(first, top_);
  last = std::min(last, top_ + SeenRows() - 1);
  window_.Invalidate(ToInt(first - top_) * lineHeight_, ToInt(last - top_ + 1) * lineHeight_);
}

void TextView::Appended() {
  if (Count() == 0) return;
  widest_ = std::max(widest_, LineLength(Count() - 1));
  if (pending_) return;
  pending_ = true;
  firstNew_ = Count() - 1;
  InvalidateFrom(firstNew_);
}

void TextView::Sync() {
  if (!pending_) return;
  pending_ = false;
  if (!selecting_) {
    if (anchor_ == caret_) anchor_ = caret_ = End();
    ScrollTo(MaxTop(), left_);
  }
  InvalidateFrom(firstNew_);
  UpdateScrollBars();
  PlaceCaret();
}

void TextView::Reload() {
  top_ = 0;
  left_ = 0;
  anchor_ = caret_ = TextSpot{};
  widest_ = 0;
  for (std::size_t i = 0; i < Count(); ++i) widest_ = std::max(widest_, LineLength(i));
  pending_ = Count() > 0;
  firstNew_ = 0;
}

void TextView::ScrollTo(std::size_t top, int left) {
  top = std::min(top, MaxTop());
  left = std::clamp(left, 0, MaxLeft());
  if (top == top_ && left == left_) return;
  const std::size_t moved = top > top_ ? top - top_ : top_ - top;
  const int dx = left_ - left;
  const bool nearby = moved < SeenRows() && std::abs(dx) < width_;
  const int dy = nearby ? (top_ > top ? 1 : -1) * ToInt(moved) * lineHeight_ : 0;
  top_ = top;
  left_ = left;
  if (nearby) {
    window_.Scroll(dx, dy);
  } else {
    window_.InvalidateAll();
  }
  UpdateScrollBars();
  PlaceCaret();
}

void TextView::ScrollLines(long long rows) {
  const long long top = std::max(0LL, static_cast<long long>(top_) + rows);
  ScrollTo(static_cast<std::size_t>(top), left_);
}

void TextView::Scroll(bool vertical, ScrollRequest request) {
  Sync();
  // Down in lines, across in pixels.
  const long long at = vertical ? static_cast<long long>(top_) : left_;
  const long long step = vertical ? 1 : charWidth_;
  const long long page = vertical ? static_cast<long long>(PageRows()) : width_;
  long long to = at;
  switch (request) {
    case ScrollRequest::LineBack: to = at - step; break;
    case ScrollRequest::LineOn: to = at + step; break;
    case ScrollRequest::PageBack: to = at - page; break;
    case ScrollRequest::PageOn: to = at + page; break;
    case ScrollRequest::Start: to = 0; break;
    case ScrollRequest::End: to = vertical ? static_cast<long long>(MaxTop()) : MaxLeft(); break;
    case ScrollRequest::ThumbTrack:
    case ScrollRequest::ThumbPosition: to = window_.TrackPosition(vertical); break;
  }
  to = std::max(0LL, to);
  if (vertical) {
    ScrollTo(static_cast<std::size_t>(to), left_);
  } else {
    ScrollTo(top_, static_cast<int>(std::min<long long>(to, INT_MAX)));
  }
}

void TextView::Wheel(int delta, unsigned linesPerNotch) {
  Sync();
  const long long lines =
      linesPerNotch == kWheelPage ? static_cast<long long>(PageRows()) : linesPerNotch;
  wheelRest_ += delta;
  const int notches = wheelRest_ / kWheelDelta;
  wheelRest_ %= kWheelDelta;
  ScrollLines(-notches * lines);
}

int TextView::CaretX() {
  if (caret_.line >= Count()) return 0;
  const std::string_view text = memo_.Line(caret_.line).substr(0, caret_.column);
  return text.empty() ? 0 : window_.Extent(text);
}

void TextView::PlaceCaret() {
  if (!focused_) return;
  const bool inSight = caret_.line >= top_ && caret_.line < top_ + SeenRows();
  // Out of sight it waits above the view, where it does not show.
  const int y = inSight ? ToInt(caret_.line - top_) * lineHeight_ : -2 * lineHeight_;
  window_.PlaceCaret(CaretX() - left_, y);
}

void TextView::EnsureVisible() {
  std::size_t top = top_;
  if (caret_.line < top) top = caret_.line;
  if (caret_.line >= top + PageRows()) top = caret_.line - PageRows() + 1;
  int left = left_;
  const int x = CaretX();
  if (x < left) left = x - width_ / 4;
  if (x > left + width_ - charWidth_) left = x - width_ + width_ / 4;
  ScrollTo(top, left);
}

void TextView::MoveCaret(TextSpot to, bool extend) {
  const TextSpot oldFrom = std::min(anchor_, caret_);
  const TextSpot oldTo = std::max(anchor_, caret_);
  caret_ = to;
  if (!extend) anchor_ = to;
  const TextSpot from = std::min(anchor_, caret_);
  const TextSpot until = std::max(anchor_, caret_);
  if (oldFrom != oldTo || from != until) {
    InvalidateLines(std::min(oldFrom.line, from.line), std::max(oldTo.line, until.line));
  }
  EnsureVisible();
  PlaceCaret();
}

TextSpot TextView::SpotAt(int x, int y) {
  Sync();
  if (Count() == 0) return {};
  const long long row = y >= 0 ? y / lineHeight_ : -1 - (-y - 1) / lineHeight_;
  const long long line =
      std::clamp(static_cast<long long>(top_) + row, 0LL, static_cast<long long>(Count()) - 1);
  const std::string_view text = memo_.Line(static_cast<std::size_t>(line));
  const int target = x + left_;
  std::size_t column = 0;
  if (target > 0 && !text.empty()) {
    const std::vector<int> ends = window_.Ends(text);
    // The nearer edge of the character under the point.
    column = text.size();
    for (std::size_t i = 0; i < text.size(); ++i) {
      const int start = i > 0 ? ends[i - 1] : 0;
      if (target < (start + ends[i] + 1) / 2) {
        column = i;
        break;
      }
    }
  }
  return {static_cast<std::size_t>(line), column};
}

bool TextView::Key(int key, bool control, bool shift) {
  Sync();
  if (control && key == 'A') {
    anchor_ = TextSpot{};
    MoveCaret(End(), true);
    return true;
  }
  if (control && (key == 'C' || key == kVkInsert)) {
    Copy();
    return true;
  }
  if (Count() == 0) return false;
  TextSpot to = caret_;
  const std::size_t page = PageRows();
  switch (key) {
    case kVkLeft:  // on over the line break
      if (to.column > 0) --to.column;
      else if (to.line > 0) to = {to.line - 1, LineLength(to.line - 1)};
      break;
    case kVkRight:
      if (to.column < LineLength(to.line)) ++to.column;
      else if (to.line + 1 < Count()) to = {to.line + 1, 0};
      break;
    case kVkUp:
      if (to.line > 0) --to.line;
      break;
    case kVkDown:
      if (to.line + 1 < Count()) ++to.line;
      break;
    case kVkPrior:
      to.line -= std::min(to.line, page);
      ScrollTo(top_ - std::min(top_, page), left_);
      break;
    case kVkNext:
      to.line = std::min(Count() - 1, to.line + page);
      ScrollTo(top_ + page, left_);
      break;
    case kVkHome:
      to = control ? TextSpot{} : TextSpot{to.line, 0};
      break;
    case kVkEnd:
      to = control ? End() : TextSpot{to.line, LineLength(to.line)};
      break;
    default:
      return false;
  }
  to.column = std::min(to.column, LineLength(to.line));
  MoveCaret(to, shift);
  return true;
}

std::string TextView::Selected() const {
  const TextSpot from = std::min(anchor_, caret_);
  const TextSpot to = std::max(anchor_, caret_);
  std::string text;
  for (std::size_t line = from.line; line <= to.line && line < Count(); ++line) {
    const std::string_view whole = memo_.Line(line);
    const std::size_t begin = line == from.line ? std::min(from.column, whole.size()) : 0;
    const std::size_t end = line == to.line ? std::min(to.column, whole.size()) : whole.size();
    text.append(whole.substr(begin, end - begin));
    if (line < to.line) text += "\r\n";
  }
  return text;
}

std::size_t TextView::CopyText(char* out, std::size_t size) const {
  if (out == nullptr || size == 0) return 0;
  const std::size_t room = size - 1;
  std::size_t used = 0;
  const auto put = [&](std::string_view piece) {
    const std::size_t n = std::min(piece.size(), room - used);
    std::memcpy(out + used, piece.data(), n);
    used += n;
  };
  for (std::size_t line = 0; line < Count() && used < room; ++line) {
    if (line > 0) put("\r\n");
    put(memo_.Line(line));
  }
  out[used] = '\0';
  return used;
}

std::size_t TextView::CopyLine(std::size_t line, char* out) const {
  if (out == nullptr) return 0;
  std::uint16_t size = 0;
  std::memcpy(&size, out, sizeof size);
  if (line >= Count()) {
    if (line == 0 && size > 0) out[0] = '\0';  // the one empty line of an empty box
    return 0;
  }
  const std::string_view text = memo_.Line(line);
  const std::size_t n = std::min<std::size_t>(text.size(), size);
  std::memcpy(out, text.data(), n);
  if (n < size) out[n] = '\0';
  return n;
}

}  // namespace tarnwick::ui
