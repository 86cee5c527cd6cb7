// A long run of the real program under Wine with monitoring on, while a rival switches the
// browser's inline videos back on every 100 ms. Prints the program's handles, window-system
// objects and memory at the start and at the end, and how long each switch stood before the
// monitor undid it. Not a test: `make soak` runs it (bench/run-bench.sh).
//   soak_bench <seconds>
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/win32/support/WineSession.h"

namespace {

using namespace tarnwick::test;
using Clock = std::chrono::steady_clock;

constexpr char kSettingsKey[] = "Software\\Brambleworks\\Tarnwick";
constexpr char kBrowserKey[] = "Software\\Microsoft\\Internet Explorer\\Main";
constexpr char kVideos[] = "Display Inline Videos";
constexpr double kTickMs = 5000;     // the monitor's interval
constexpr double kSlackMs = 250;     // a busy machine's lateness in handing out a timer
constexpr DWORD kSwitchEveryMs = 100;

void SetDword(const char* path, const char* name, DWORD value) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) ==
      ERROR_SUCCESS) {
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
  }
}

void SetText(const char* path, const char* name, const char* text) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) ==
      ERROR_SUCCESS) {
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                   static_cast<DWORD>(std::strlen(text) + 1));
    RegCloseKey(key);
  }
}

std::string Text(const char* path, const char* name) {
  char buffer[64] = {};
  DWORD size = sizeof buffer - 1;
  if (RegGetValueA(HKEY_CURRENT_USER, path, name, RRF_RT_REG_SZ, nullptr, buffer, &size) !=
      ERROR_SUCCESS) {
    return "(none)";
  }
  return buffer;
}

struct Counts {
  DWORD handles = 0, gdi = 0, windows = 0;
  double workingMb = 0, privateMb = 0;
};

// Wine answers GetProcessHandleCount and GetGuiResources with 0, so the counts are read the way
// the system itself keeps them: the kernel's handle list, and the GDI handle table that the
// process's environment block points to.
using QuerySystem = LONG(NTAPI*)(ULONG, void*, ULONG, ULONG*);
using QueryProcess = LONG(NTAPI*)(HANDLE, ULONG, void*, ULONG, ULONG*);

template <class Function>
Function NtFunction(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), name)));
}

DWORD HandlesOf(HANDLE process, DWORD processId) {
  DWORD count = 0;
  if (GetProcessHandleCount(process, &count) && count != 0) return count;
  struct Entry {
    void* object;
    ULONG_PTR processId, handle;
    ULONG access;
    USHORT creatorBackTrace, objectType;
    ULONG attributes, reserved;
  };
  constexpr ULONG kExtendedHandleInformation = 64;
  const auto query = NtFunction<QuerySystem>("NtQuerySystemInformation");
  std::vector<ULONG_PTR> buffer(1 << 20);
  ULONG length = 0;
  if (query == nullptr || query(kExtendedHandleInformation, buffer.data(),
                                static_cast<ULONG>(buffer.size() * sizeof buffer[0]), &length) != 0) {
    return 0;
  }
  const ULONG_PTR entries = buffer[0];
  const auto* entry = reinterpret_cast<const Entry*>(buffer.data() + 2);
  for (ULONG_PTR i = 0; i < entries; ++i) count += entry[i].processId == processId ? 1 : 0;
  return count;
}

DWORD GdiObjectsOf(HANDLE process) {
  if (const DWORD count = GetGuiResources(process, GR_GDIOBJECTS); count != 0) return count;
  struct Entry {
    unsigned long long object;
    unsigned owner;
    unsigned short unique;
    unsigned char type, flags, padding[2];
  };
  struct BasicInformation {
    LONG exitStatus;
    void* peb;
    ULONG_PTR affinity, priority, processId, parentId;
  } basic{};
  constexpr ULONG kBasicInformation = 0;
  constexpr std::size_t kPebGdiTable = 0xF8;  // PEB::GdiSharedHandleTable, 64-bit
  constexpr std::size_t kTableEntries = 0x10000;
  const auto query = NtFunction<QueryProcess>("NtQueryInformationProcess");
  if (query == nullptr || query(process, kBasicInformation, &basic, sizeof basic, nullptr) != 0) {
    return 0;
  }
  void* table = nullptr;
  SIZE_T read = 0;
  if (!ReadProcessMemory(process, static_cast<char*>(basic.peb) + kPebGdiTable, &table,
                         sizeof table, &read) ||
      table == nullptr) {
    return 0;
  }
  std::vector<Entry> entries(kTableEntries);
  if (!ReadProcessMemory(process, table, entries.data(), entries.size() * sizeof(Entry), &read)) {
    return 0;
  }
  return static_cast<DWORD>(
      std::count_if(entries.begin(), entries.end(), [](const Entry& e) { return e.type != 0; }));
}

DWORD WindowsOf(DWORD processId) {
  DWORD count = 0;
  for (HWND window : TopLevelWindows(processId)) {
    count += 1 + static_cast<DWORD>(ChildWindows(window).size());
  }
  return count;
}

Counts CountsOf(HANDLE process, DWORD processId) {
  Counts counts;
  counts.handles = HandlesOf(process, processId);
  counts.gdi = GdiObjectsOf(process);
  counts.windows = WindowsOf(processId);
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  if (GetProcessMemoryInfo(process, &memory, sizeof memory)) {
    counts.workingMb = memory.WorkingSetSize / 1048576.0;
    counts.privateMb = memory.PagefileUsage / 1048576.0;
  }
  return counts;
}

void Print(const char* when, const Counts& c) {
  std::printf("%-6s handles %lu, GDI objects %lu, windows %lu, working set %.1f MB, private "
              "%.1f MB\n",
              when, c.handles, c.gdi, c.windows, c.workingMb, c.privateMb);
}

double Ms(Clock::duration span) { return std::chrono::duration<double, std::milli>(span).count(); }

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::max(10, std::atoi(argv[1])) : 600;
  if (const std::string why = WhyTheRegistryIsNotOurs(); !why.empty()) {
    std::fprintf(stderr, "soak_bench: %s\n", why.c_str());
    return 2;
  }
  RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
  SetDword(kSettingsKey, "1", 1);    // inline videos: banned
  SetDword(kSettingsKey, "102", 1);  // monitoring from the start
  SetDword(kSettingsKey, "Ypos", 1);  // far from the start that shows the demonstration

  PROCESS_INFORMATION process{};
  if (!StartProgram(WindowsPath(TARNWICK_EXE), process)) {
    std::fprintf(stderr, "soak_bench: cannot start tarnwick.exe\n");
    return 1;
  }
  HWND main = nullptr;
  WaitUntil([&] {
    for (HWND window : TopLevelWindows(process.dwProcessId)) {
      if (ClassOf(window) == "TQuillmoor" && IsWindowVisible(window)) main = window;
    }
    return main != nullptr;
  }, 15000);
  if (main == nullptr) {
    std::fprintf(stderr, "soak_bench: the main window did not show\n");
    TerminateProcess(process.hProcess, 1);
    return 1;
  }
  // The first tick has run and the window has painted: what it holds now is its steady state.
  Sleep(static_cast<DWORD>(kTickMs + 1000));
  const Counts first = CountsOf(process.hProcess, process.dwProcessId);
  std::printf("tarnwick.exe for %d s with monitoring on; \"%s\" switched to Yes every %lu ms\n",
              seconds, kVideos, kSwitchEveryMs);
  Print("start:", first);

  // Each episode starts with the first switch after the program's last ban and ends when the
  // ban is back.
  std::vector<double> stood;
  const auto end = Clock::now() + std::chrono::seconds(seconds);
  auto switchedAt = Clock::now();
  bool switched = false;
  while (Clock::now() < end) {
    if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) {
      std::fprintf(stderr, "soak_bench: tarnwick.exe ended during the run\n");
      return 1;
    }
    if (switched && Text(kBrowserKey, kVideos) == "No") {
      stood.push_back(Ms(Clock::now() - switchedAt));
      switched = false;
    }
    SetText(kBrowserKey, kVideos, "Yes");
    if (!switched) {
      switched = true;
      switchedAt = Clock::now();
    }
    Sleep(kSwitchEveryMs);
  }
  const Counts last = CountsOf(process.hProcess, process.dwProcessId);
  Print("end:", last);

  const double longest = stood.empty() ? 0 : *std::max_element(stood.begin(), stood.end());
  const auto late = std::count_if(stood.begin(), stood.end(),
                                  [](double ms) { return ms > kTickMs + kSlackMs; });
  std::printf("switches undone: %zu, the longest stood %.0f ms, %ld stood longer than one tick "
              "(%.0f ms + %.0f ms)\n",
              stood.size(), longest, static_cast<long>(late), kTickMs, kSlackMs);
  const bool flat = first.handles != 0 && first.gdi != 0 && last.handles <= first.handles + 2 &&
                    last.gdi <= first.gdi + 2 && last.windows <= first.windows &&
                    last.privateMb <= first.privateMb + 2;
  std::printf("handles, objects and memory: %s\n", flat ? "flat" : "GREW");
  std::printf("every switch undone within one tick: %s\n",
              late == 0 && !stood.empty() ? "yes" : "NO");

  PostMessageA(main, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return flat && late == 0 && !stood.empty() ? 0 : 1;
}
