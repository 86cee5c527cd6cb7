#pragma once
// The index file dump as its rules give it, written plainly so that tests can hold the real one
// against it: 26 byte positions and a space a line, '.' for bytes below 32; a stop before byte
// `stopAt` ends it there, and one empty line stands for a dump that handled no byte.
#include <algorithm>
#include <cstddef>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::test {

inline constexpr std::size_t kNoStop = std::numeric_limits<std::size_t>::max();

inline std::vector<std::string> ReferenceDumpLines(std::string_view bytes,
                                                   std::size_t stopAt = kNoStop) {
  const std::size_t handled = std::min(stopAt, bytes.size());
  if (handled == 0) return {""};
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < handled; start += 26) {
    std::string line(27, ' ');
    for (std::size_t i = start; i < std::min(start + 26, handled); ++i) {
      const auto byte = static_cast<unsigned char>(bytes[i]);
      line[i - start] = byte < 32 ? '.' : static_cast<char>(byte);
    }
    lines.push_back(line);
  }
  return lines;
}

// The lines joined by CR LF, as a text view answers WM_GETTEXT.
inline std::string ReferenceDumpText(std::string_view bytes) {
  std::string text;
  for (const std::string& line : ReferenceDumpLines(bytes)) {
    if (!text.empty()) text += "\r\n";
    text += line;
  }
  return text;
}

}  // namespace tarnwick::test
