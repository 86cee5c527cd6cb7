#include "platform/emulated/EmulatedShell.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace tarnwick::platform::emulated {
namespace {

using namespace os;

constexpr UINT kNifState = 0x08;

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

// The text of a fixed field, which a careless caller may have left unterminated.
template <std::size_t N>
std::string FieldText(const char (&field)[N]) {
  return std::string(field, std::find(field, field + N, '\0'));
}

template <std::size_t N>
void CopyField(char (&to)[N], const char (&from)[N]) {
  std::memcpy(to, from, N);
}

}  // namespace

EmulatedShell::EmulatedShell(EmulatedWindows& windows) : windows_(windows) {
  versions_[Upper("comctl32.dll")] = kComctl32Version;
}

BOOL EmulatedShell::Shell_NotifyIconA(DWORD message, NOTIFYICONDATAA* data) {
  Call call{message, data != nullptr ? *data : NOTIFYICONDATAA{}, 0};
  if (data != nullptr && !refuseAll_) call.result = Apply(message, *data);
  calls_.push_back(call);
  return call.result;
}

BOOL EmulatedShell::Apply(DWORD message, const NOTIFYICONDATAA& data) {
  const IconKey key{reinterpret_cast<std::uintptr_t>(data.hWnd), data.uID};
  auto it = icons_.find(key);
  switch (message) {
    case kNimAdd:
      if (it != icons_.end()) return 0;
      it = icons_.emplace(key, Icon{}).first;
      it->second.data.hWnd = data.hWnd;
      it->second.data.uID = data.uID;
      break;
    case kNimModify:
      if (it == icons_.end()) return 0;
      break;
    case kNimDelete:
      if (it == icons_.end()) return 0;
      icons_.erase(it);
      return 1;
    case kNimSetVersion:
      if (it == icons_.end()) return 0;
      it->second.data.uTimeout = data.uTimeout;  // uVersion
      return 1;
    default:
      return 0;
  }

  Icon& icon = it->second;
  icon.data.cbSize = data.cbSize;
  icon.data.uFlags = data.uFlags;
  if ((data.uFlags & kNifMessage) != 0) {
    icon.data.uCallbackMessage = data.uCallbackMessage;
    icon.hasCallback = true;
  }
  if ((data.uFlags & kNifIcon) != 0) icon.data.hIcon = data.hIcon;
  if ((data.uFlags & kNifTip) != 0) CopyField(icon.data.szTip, data.szTip);
  if ((data.uFlags & kNifState) != 0) {
    icon.data.dwState = (icon.data.dwState & ~data.dwStateMask) | (data.dwState & data.dwStateMask);
  }
  if ((data.uFlags & kNifInfo) != 0) {
    CopyField(icon.data.szInfo, data.szInfo);
    CopyField(icon.data.szInfoTitle, data.szInfoTitle);
    icon.data.uTimeout = data.uTimeout;
    icon.data.dwInfoFlags = data.dwInfoFlags;
    std::string text = FieldText(data.szInfo);
    // An empty text takes a balloon down rather than showing one.
    if (!text.empty()) {
      balloons_.push_back(Balloon{data.hWnd, data.uID, FieldText(data.szInfoTitle),
                                  std::move(text), data.dwInfoFlags, data.uTimeout});
    }
  }
  return 1;
}

DWORD EmulatedShell::FileVersion(const char* fileName) {
  if (fileName == nullptr) return 0;
  auto it = versions_.find(Upper(fileName));
  return it == versions_.end() ? 0 : it->second;
}

void EmulatedShell::SetFileVersion(const std::string& fileName, DWORD version) {
  versions_[Upper(fileName)] = version;
}

bool EmulatedShell::InjectCallback(UINT id, UINT message) {
  auto it = std::find_if(icons_.begin(), icons_.end(),
                         [&](const auto& entry) { return entry.first.second == id; });
  if (it == icons_.end()) return false;
  return InjectCallback(it->second.data.hWnd, id, message);
}

bool EmulatedShell::InjectCallback(HWND window, UINT id, UINT message) {
  auto it = icons_.find(IconKey{reinterpret_cast<std::uintptr_t>(window), id});
  if (it == icons_.end() || !it->second.hasCallback) return false;
  return windows_.PostMessageA(window, it->second.data.uCallbackMessage, id,
                               static_cast<LPARAM>(message)) != 0;
}

void EmulatedShell::RecreateTaskbar() {
  icons_.clear();
  const UINT taskbarCreated = windows_.RegisterWindowMessageA("TaskbarCreated");
  for (HWND window : windows_.TopLevelWindows()) {
    // An earlier receiver may have destroyed a later one.
    if (windows_.IsWindow(window)) windows_.SendMessageA(window, taskbarCreated, 0, 0);
  }
}

std::size_t EmulatedShell::CallCount(DWORD message) const {
  return static_cast<std::size_t>(std::count_if(
      calls_.begin(), calls_.end(), [&](const Call& c) { return c.message == message; }));
}

const NOTIFYICONDATAA* EmulatedShell::FindIcon(HWND window, UINT id) const {
  auto it = icons_.find(IconKey{reinterpret_cast<std::uintptr_t>(window), id});
  return it == icons_.end() ? nullptr : &it->second.data;
}

std::vector<NOTIFYICONDATAA> EmulatedShell::Icons() const {
  std::vector<NOTIFYICONDATAA> out;
  for (const auto& [key, icon] : icons_) out.push_back(icon.data);
  return out;
}

os::HINSTANCE EmulatedShell::ShellExecuteA(os::HWND owner, const char* verb, const char* file,
                                          const char* parameters, const char* directory,
                                          int showCommand) {
  auto text = [](const char* s) { return std::string(s != nullptr ? s : ""); };
  executions_.push_back({owner, text(verb), text(file), text(parameters), text(directory), showCommand});
  // Results up to 32 are errors; 2 is "file not found".
  return reinterpret_cast<os::HINSTANCE>(static_cast<std::intptr_t>(refuseAll_ ? 2 : 42));
}

}  // namespace tarnwick::platform::emulated
