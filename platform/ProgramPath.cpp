#include "platform/ProgramPath.h"

#include <algorithm>
#include <vector>

#include "platform/Platform.h"

namespace tarnwick::platform {

std::string ProgramPath() {
  // A path that does not fit comes back cut, with a length of the buffer's size or one less; such
  // a result is asked again with more room. No Windows path is longer than 32767 characters.
  constexpr os::DWORD kLimit = 1u << 16;
  std::vector<char> buffer(260);
  for (;;) {
    const auto size = static_cast<os::DWORD>(buffer.size());
    const os::DWORD length = Sys().GetModuleFileNameA(nullptr, buffer.data(), size);
    if (length == 0) return {};
    if (length + 1 < size || size >= kLimit) {
      return std::string(buffer.data(), std::min<std::size_t>(length, size - 1));
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::string SpelledProgramPath() {
  std::string path = ProgramPath();
  return path.find('?') == std::string::npos ? path : std::string();
}

}  // namespace tarnwick::platform
