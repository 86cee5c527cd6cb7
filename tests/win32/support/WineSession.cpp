#include "tests/win32/support/WineSession.h"

#include <algorithm>

namespace tarnwick::test {
namespace {

// Written by scripts/wine-prefix once the prefix is complete.
constexpr char kPrefixMarker[] = "/.tarnwick-ready";

}  // namespace

bool WaitUntil(const std::function<bool()>& done, DWORD limit) {
  const ULONGLONG start = ::GetTickCount64();
  for (;;) {
    if (done()) return true;
    if (::GetTickCount64() - start >= limit) return done();
    ::Sleep(10);
  }
}

bool StaysFor(const std::function<bool()>& still, DWORD duration) {
  return !WaitUntil([&] { return !still(); }, duration);
}

std::string WindowsPath(std::string path) {
  if (path.empty() || path[0] != '/') return path;
  using ToDos = WCHAR*(CDECL*)(const char*);
  auto toDos = reinterpret_cast<ToDos>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name")));
  if (toDos != nullptr) {
    if (WCHAR* wide = toDos(path.c_str())) {
      char narrow[MAX_PATH * 4] = {};
      ::WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
      ::HeapFree(::GetProcessHeap(), 0, wide);
      return narrow;
    }
  }
  std::replace(path.begin(), path.end(), '/', '\\');
  return "Z:" + path;
}

std::string WhyTheRegistryIsNotOurs() {
  if (::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version") == nullptr) {
    return "this is not Wine";
  }
  char prefix[MAX_PATH * 4] = {};
  const DWORD length = ::GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix);
  if (length == 0 || length >= sizeof prefix) {
    return "WINEPREFIX is not set, so this may be the user's own prefix";
  }
  const std::string marker = WindowsPath(std::string(prefix) + kPrefixMarker);
  const DWORD attributes = ::GetFileAttributesA(marker.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return std::string("the prefix ") + prefix + " was not made by scripts/wine-prefix (no " +
           (kPrefixMarker + 1) + ")";
  }
  return "";
}

std::string ClassOf(HWND window) {
  char name[256] = {};
  ::GetClassNameA(window, name, sizeof name);
  return name;
}

std::vector<HWND> TopLevelWindows(DWORD processId) {
  struct Search {
    DWORD processId;
    std::vector<HWND> found;
  } search{processId, {}};
  ::EnumWindows(
      [](HWND window, LPARAM context) CALLBACK -> BOOL {
        auto* s = reinterpret_cast<Search*>(context);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == s->processId) s->found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A window that does not answer its text in this time is taken as hung.
constexpr DWORD kTextWait = 5000;

std::string Narrow(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int size = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(std::max(size, 0)), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size,
                        nullptr, nullptr);
  return text;
}

std::string TextOf(HWND window) {
  wchar_t text[1024] = {};
  DWORD_PTR copied = 0;
  if (!::SendMessageTimeoutW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text),
                             SMTO_NORMAL, kTextWait, &copied)) {
    return "(no answer)";
  }
  return Narrow(std::wstring(text, std::min<std::size_t>(copied, std::size(text))));
}

bool SameClass(const std::string& className, const char* name) {
  return ::lstrcmpiA(className.c_str(), name) == 0;
}

std::vector<HWND> ChildWindows(HWND window) {
  std::vector<HWND> handles;
  ::EnumChildWindows(
      window,
      [](HWND child, LPARAM context) CALLBACK -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(context)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&handles));
  return handles;
}

std::vector<Control> ControlsOf(HWND window) {
  std::vector<Control> controls;
  for (HWND handle : ChildWindows(window)) {
    Control control{handle, ClassOf(handle), TextOf(handle),
                    static_cast<LONG>(::GetWindowLongPtrA(handle, GWL_STYLE)), {}};
    ::GetWindowRect(handle, &control.rect);
    controls.push_back(control);
  }
  return controls;
}

bool StartProgram(const std::string& windowsPath, PROCESS_INFORMATION& process) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  process = PROCESS_INFORMATION{};
  std::string command = "\"" + windowsPath + "\"";
  return ::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process) != FALSE;
}

}  // namespace tarnwick::test
