#include "platform/win32/Win32Shell.h"

#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <winver.h>

#include <cstring>
#include <vector>

#include "platform/ScopeExit.h"
#include "platform/win32/Win32System.h"

namespace tarnwick::platform::win32 {
namespace {

// The shell tells the record's version by its size alone; only the sizes of its own layouts
// are understood, and anything else is read as the first version (no balloon, a short tip).
// Ours is the version-2 ANSI layout of this architecture.
constexpr ::DWORD kNotifyDataSize = NOTIFYICONDATAA_V2_SIZE;
static_assert(sizeof(os::NOTIFYICONDATAA) == kNotifyDataSize);
// The sizes the shell knows, pinned, so that a header or layout change cannot move them unseen.
static_assert(sizeof(void*) != 8 || kNotifyDataSize == 504);
static_assert(sizeof(void*) != 4 || kNotifyDataSize == 488);
static_assert(sizeof(os::NOTIFYICONDATAA::szTip) == sizeof(::NOTIFYICONDATAA::szTip));
static_assert(sizeof(os::NOTIFYICONDATAA::szInfo) == sizeof(::NOTIFYICONDATAA::szInfo));
static_assert(sizeof(os::NOTIFYICONDATAA::szInfoTitle) ==
              sizeof(::NOTIFYICONDATAA::szInfoTitle));

// Always terminated, so that a caller's full buffer never lets the shell read past it.
template <std::size_t N>
void CopyText(char (&to)[N], const char (&from)[N]) {
  std::memcpy(to, from, N);
  to[N - 1] = '\0';
}

// A loaded module that tells its own version: no file to read, and no version.dll to load.
os::DWORD LoadedModuleVersion(const char* fileName) {
  ::HMODULE module = ::GetModuleHandleA(fileName);
  if (module == nullptr) return 0;
  using GetVersion = ::HRESULT(CALLBACK*)(DLLVERSIONINFO*);
  const auto get = reinterpret_cast<GetVersion>(
      reinterpret_cast<void*>(::GetProcAddress(module, "DllGetVersion")));
  DLLVERSIONINFO info{};
  info.cbSize = sizeof info;
  if (get == nullptr || FAILED(get(&info))) return 0;
  return static_cast<os::DWORD>(LOWORD(info.dwMajorVersion)) << 16 | LOWORD(info.dwMinorVersion);
}

// The version resource of the file, through version.dll, loaded only when it is needed: every
// start asks only about a library that is already loaded.
os::DWORD VersionResource(const char* fileName) {
  using InfoSize = ::DWORD(WINAPI*)(const char*, ::DWORD*);
  using Info = ::BOOL(WINAPI*)(const char*, ::DWORD, ::DWORD, void*);
  using Query = ::BOOL(WINAPI*)(const void*, const char*, void**, ::UINT*);
  auto* library = static_cast<::HMODULE>(LoadSystemLibrary("version.dll"));
  if (library == nullptr) return 0;
  const ScopeExit free([library] { ::FreeLibrary(library); });
  const auto infoSize = reinterpret_cast<InfoSize>(
      reinterpret_cast<void*>(::GetProcAddress(library, "GetFileVersionInfoSizeA")));
  const auto info = reinterpret_cast<Info>(
      reinterpret_cast<void*>(::GetProcAddress(library, "GetFileVersionInfoA")));
  const auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(::GetProcAddress(library, "VerQueryValueA")));
  if (infoSize == nullptr || info == nullptr || query == nullptr) return 0;
  ::DWORD ignored = 0;
  const ::DWORD size = infoSize(fileName, &ignored);
  if (size == 0) return 0;
  std::vector<unsigned char> block(size);
  if (!info(fileName, 0, size, block.data())) return 0;
  void* value = nullptr;
  ::UINT length = 0;
  if (!query(block.data(), "\\", &value, &length) || value == nullptr ||
      length < sizeof(VS_FIXEDFILEINFO)) {
    return 0;
  }
  VS_FIXEDFILEINFO fixed;
  std::memcpy(&fixed, value, sizeof fixed);
  if (fixed.dwSignature != static_cast<::DWORD>(VS_FFI_SIGNATURE)) return 0;
  return static_cast<os::DWORD>(HIWORD(fixed.dwFileVersionMS)) << 16 |
         LOWORD(fixed.dwFileVersionMS);
}

}  // namespace

os::BOOL Win32Shell::Shell_NotifyIconA(os::DWORD message, os::NOTIFYICONDATAA* data) {
  if (data == nullptr) return FALSE;
  data->cbSize = kNotifyDataSize;
  ::NOTIFYICONDATAA native{};
  native.cbSize = kNotifyDataSize;
  native.hWnd = reinterpret_cast<::HWND>(data->hWnd);
  native.uID = data->uID;
  native.uFlags = data->uFlags;
  native.uCallbackMessage = data->uCallbackMessage;
  native.hIcon = reinterpret_cast<::HICON>(data->hIcon);
  CopyText(native.szTip, data->szTip);
  native.dwState = data->dwState;
  native.dwStateMask = data->dwStateMask;
  CopyText(native.szInfo, data->szInfo);
  native.uTimeout = data->uTimeout;
  CopyText(native.szInfoTitle, data->szInfoTitle);
  native.dwInfoFlags = data->dwInfoFlags;
  return ::Shell_NotifyIconA(message, &native);
}

os::DWORD Win32Shell::FileVersion(const char* fileName) {
  if (fileName == nullptr) return 0;
  if (const os::DWORD loaded = LoadedModuleVersion(fileName); loaded != 0) return loaded;
  return VersionResource(fileName);
}

os::HINSTANCE Win32Shell::ShellExecuteA(os::HWND owner, const char* verb, const char* file,
                                       const char* parameters, const char* directory,
                                       int showCommand) {
  return reinterpret_cast<os::HINSTANCE>(::ShellExecuteA(reinterpret_cast<::HWND>(owner), verb, file,
                                                         parameters, directory, showCommand));
}

}  // namespace tarnwick::platform::win32
