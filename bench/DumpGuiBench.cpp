// The demonstration window's dump in the real program under Wine, timed from outside as a user
// would see it: from the click on "View the demo" to the last line shown, a stop typed on the
// keyboard during a 16 MiB and a 96 MiB file, the program's peak memory, and a 100 MiB file
// with the main window answering throughout. bench/dump.sh runs it on the same bytes that the
// native floor and xxd format.
//   dump_gui_bench <folder with History.IE5\index.dat> <the same for 96 MiB> <for 100 MiB>
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/win32/support/WineSession.h"

namespace {

using namespace tarnwick::test;
using Clock = std::chrono::steady_clock;

constexpr char kSettingsKey[] = "Software\\Brambleworks\\Tarnwick";
constexpr char kFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

void SetValue(const char* path, const char* name, DWORD type, const void* data, DWORD size) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) ==
      ERROR_SUCCESS) {
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
  }
}

HWND Find(const std::vector<Control>& controls, const char* className, const std::string& text) {
  for (const Control& c : controls) {
    if (SameClass(c.className, className) && c.text == text) return c.handle;
  }
  return nullptr;
}

double Ms(Clock::duration span) { return std::chrono::duration<double, std::milli>(span).count(); }

// A key pressed and let go, through the input queue as a keyboard gives it: to the window that
// has the keyboard focus.
void Type(WORD key) {
  INPUT keys[2] = {};
  for (INPUT& input : keys) {
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
  }
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, keys, sizeof(INPUT));
}

// Brings `window` to the front until it stays there: Wine hands a window the X focus a little
// after it asked for it.
bool BringToFront(HWND window) {
  SetForegroundWindow(window);
  DWORD since = GetTickCount();
  return WaitUntil([&] {
    if (GetForegroundWindow() != window) {
      SetForegroundWindow(window);
      since = GetTickCount();
    }
    return GetTickCount() - since >= 150;
  }, 5000);
}

DWORD_PTR Ask(HWND window, UINT message) {
  DWORD_PTR answer = 0;
  SendMessageTimeoutA(window, message, 0, 0, SMTO_BLOCK, 10000, &answer);
  return answer;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: dump_gui_bench <folder> <96 MiB folder> <100 MiB folder>\n");
    return 2;
  }
  if (const std::string why = WhyTheRegistryIsNotOurs(); !why.empty()) {
    std::fprintf(stderr, "dump_gui_bench: %s\n", why.c_str());
    return 2;
  }
  const std::string small = WindowsPath(argv[1]);
  const std::string stopping = WindowsPath(argv[2]);
  const std::string large = WindowsPath(argv[3]);
  const DWORD fourteen = 14;  // this start makes the launch counter 15: the window shows
  SetValue(kSettingsKey, "Ypos", REG_DWORD, &fourteen, sizeof fourteen);

  PROCESS_INFORMATION process{};
  if (!StartProgram(WindowsPath(TARNWICK_EXE), process)) {
    std::fprintf(stderr, "dump_gui_bench: cannot start tarnwick.exe\n");
    return 1;
  }
  HWND demo = nullptr;
  HWND main = nullptr;
  WaitUntil([&] {
    for (HWND window : TopLevelWindows(process.dwProcessId)) {
      if (ClassOf(window) == "TDemo" && IsWindowVisible(window)) demo = window;
      if (ClassOf(window) == "TQuillmoor") main = window;
    }
    return demo != nullptr;
  }, 15000);
  if (demo == nullptr || main == nullptr) {
    std::fprintf(stderr, "dump_gui_bench: the demonstration window did not show\n");
    TerminateProcess(process.hProcess, 1);
    return 1;
  }
  const std::vector<Control> children = ControlsOf(demo);
  HWND view = Find(children, "Button", "&View the demo");
  HWND exitButton = Find(children, "Button", "E&xit the demo");
  HWND stop = Find(children, "Button", "");
  std::vector<Control> memos;
  for (const Control& c : children) {
    if (SameClass(c.className, "TarnwickMemo")) memos.push_back(c);
  }
  std::sort(memos.begin(), memos.end(),
            [](const Control& a, const Control& b) { return a.rect.left < b.rect.left; });
  // Only the history file: the two other boxes are unticked.
  for (const char* box : {"Cache index.dat file", "Cookies index.dat file"}) {
    Ask(Find(children, "Button", box), BM_CLICK);
  }
  if (view == nullptr || exitButton == nullptr || stop == nullptr || memos.size() != 3) {
    std::fprintf(stderr, "dump_gui_bench: the window's controls are not all there\n");
    TerminateProcess(process.hProcess, 1);
    return 1;
  }
  HWND history = memos[0].handle;
  auto point = [&](const std::string& folder) {
    SetValue(kFoldersKey, "History", REG_SZ, folder.c_str(), static_cast<DWORD>(folder.size() + 1));
  };
  auto running = [&] { return IsWindowEnabled(exitButton) == FALSE; };
  auto fileSize = [](const std::string& folder) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExA((folder + "\\History.IE5\\index.dat").c_str(), GetFileExInfoStandard, &data);
    return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  };

  // 1. The whole small file, click to last line: a first run, and a second with the program's
  // own first-use costs (fonts, cursors, fresh memory) behind it.
  point(small);
  const auto smallSize = fileSize(small);
  // The first run is the one a user sees, and the one the ratios use.
  double smallMs = 0;
  for (const char* run : {"first", "second"}) {
    const auto start = Clock::now();
    PostMessageA(view, BM_CLICK, 0, 0);
    // Polled every millisecond: the session's 10 ms steps would be a tenth of the figure.
    while (!running() && Ms(Clock::now() - start) < 5000) Sleep(1);
    const double startedMs = Ms(Clock::now() - start);
    while (running() && Ms(Clock::now() - start) < 600000) Sleep(1);
    const double ms = Ms(Clock::now() - start);
    if (smallMs == 0) smallMs = ms;
    std::printf("%s run: %.1f ms, of which %.1f ms until it began\n", run, ms, startedMs);
  }
  const DWORD_PTR lines = Ask(history, EM_GETLINECOUNT);
  std::printf("gui_ms=%.1f\ngui_mib_s=%.2f\nlines=%llu (expected %llu)\n", smallMs,
              smallSize / 1048576.0 / (smallMs / 1000.0), static_cast<unsigned long long>(lines),
              (smallSize + 25) / 26);

  // 2. A stop typed on the keyboard: Escape, which stops a run, from its press to the stop's
  // effect and Exit enabled again, for a 16 MiB and a 96 MiB file; typed as the run begins
  // (while the file is being read) and during the dump. Each the fastest of a few, as another
  // tenant's burst only adds time.
  if (!BringToFront(demo)) {
    std::fprintf(stderr, "dump_gui_bench: the window did not stay in front\n");
  }
  const std::pair<int, std::string> sizes[] = {{16, small}, {96, stopping}};
  for (const auto& [size, folder] : sizes) {
    point(folder);
    for (const bool atStart : {true, false}) {
      std::printf("stop_%d_%s_ms=", size, atStart ? "start" : "dump");
      double fastest = 0;
      for (int round = 0; round < 3; ++round) {
        PostMessageA(view, BM_CLICK, 0, 0);
        // The memo still holds the last run's lines until this run begins.
        WaitUntil(running, 5000);
        if (!atStart) WaitUntil([&] { return Ask(history, EM_GETLINECOUNT) > 20000; }, 60000);
        const auto start = Clock::now();
        Type(VK_ESCAPE);
        while (running() && Ms(Clock::now() - start) < 60000) Sleep(1);  // finer than WaitUntil's
        const double ms = Ms(Clock::now() - start);
        const bool stopped = Ask(history, EM_GETLINECOUNT) < fileSize(folder) / 26;
        std::printf("%s%.1f%s", round == 0 ? "" : " ", ms, stopped ? "" : " (not stopped)");
        if (round == 0 || ms < fastest) fastest = ms;
      }
      std::printf(" (fastest %.1f)\n", fastest);
    }
  }

  // 3. The whole large file, with the main window asked a question every 50 ms.
  point(large);
  const auto largeSize = fileSize(large);
  double slowest = 0;
  const auto start = Clock::now();
  PostMessageA(view, BM_CLICK, 0, 0);
  WaitUntil(running, 5000);
  while (running()) {
    const auto asked = Clock::now();
    Ask(main, WM_NULL);
    slowest = std::max(slowest, Ms(Clock::now() - asked));
    Sleep(50);
  }
  const double largeMs = Ms(Clock::now() - start);
  std::printf("large_mib=%.1f\nlarge_ms=%.1f\nlarge_lines=%llu (expected %llu)\nmain_slowest_ms=%.1f\n",
              largeSize / 1048576.0, largeMs,
              static_cast<unsigned long long>(Ask(history, EM_GETLINECOUNT)),
              (largeSize + 25) / 26, slowest);

  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  if (GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory)) {
    std::printf("peak_mb=%.1f\n", memory.PeakWorkingSetSize / 1048576.0);
  }
  std::printf("pid=%lu\n", process.dwProcessId);
  PostMessageA(main, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return 0;
}
