#pragma once
// The Wine session that tests and the benchmark drive from outside a program: waits with a
// deadline, paths as Windows sees them, whether this prefix is the project's own, and the
// windows of a process. No test framework here, so the benchmark can use it too.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace tarnwick::test {

// Polls `done` until it holds or `limit` ms have passed; whether it held.
bool WaitUntil(const std::function<bool()>& done, DWORD limit);
// Whether `still` holds for the whole of `duration` ms.
bool StaysFor(const std::function<bool()>& still, DWORD duration);

// A path of the build machine as Windows sees it; a path that is not absolute stays as it is.
std::string WindowsPath(std::string path);

// Why this machine's registry is not ours to reset, or "" when it is. It is ours only in a Wine
// prefix that scripts/wine-prefix made for this project: on any other machine a reset would
// delete the user's own browser settings and the program's.
std::string WhyTheRegistryIsNotOurs();

std::string ClassOf(HWND window);

std::string Narrow(const std::wstring& wide);
// Asked for in UTF-16: Wine 8 hands an ANSI text of another process's window back unconverted.
std::string TextOf(HWND window);
// Whether a window class name is `name`, compared as Windows does, without case.
bool SameClass(const std::string& className, const char* name);

struct Control {
  HWND handle;
  std::string className;
  std::string text;
  LONG style;
  RECT rect;  // screen coordinates
};

// Every child of a window at any depth, in the order EnumChildWindows gives.
std::vector<HWND> ChildWindows(HWND window);
std::vector<Control> ControlsOf(HWND window);
// Top-level windows of a process, in z-order.
std::vector<HWND> TopLevelWindows(DWORD processId);

// Starts the program at `windowsPath` without arguments; false when it could not be started.
bool StartProgram(const std::string& windowsPath, PROCESS_INFORMATION& process);

}  // namespace tarnwick::test
