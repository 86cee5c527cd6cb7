#pragma once
// Windows, messages and timers as user32 offers them, and the bits of kernel32 they need.
// Each call has the Win32 arguments and results; BOOL results are non-zero on success.
#include "platform/Types.h"

namespace tarnwick::platform {

namespace os = ::tarnwick::os;
using os::ATOM;
using os::BOOL;
using os::DWORD;
using os::HANDLE;
using os::HINSTANCE;
using os::HMENU;
using os::HWND;
using os::LPARAM;
using os::LRESULT;
using os::MSG;
using os::POINT;
using os::SHORT;
using os::UINT;
using os::UINT_PTR;
using os::WNDCLASSA;
using os::WNDCLASSEXA;
using os::WNDPROC;
using os::WPARAM;

class Windows {
 public:
  virtual ~Windows() = default;

  virtual HINSTANCE GetModuleHandleA(const char* moduleName) = 0;

  // Window classes.
  virtual ATOM RegisterClassA(const WNDCLASSA* windowClass) = 0;
  virtual BOOL GetClassInfoA(HINSTANCE instance, const char* className, WNDCLASSA* windowClass) = 0;
  virtual BOOL UnregisterClassA(const char* className, HINSTANCE instance) = 0;
  // The same with a small icon (title bars) beside the large one (the taskbar, Alt+Tab).
  virtual ATOM RegisterClassExA(const WNDCLASSEXA* windowClass) = 0;
  virtual BOOL GetClassInfoExA(HINSTANCE instance, const char* className,
                               WNDCLASSEXA* windowClass) = 0;

  // Windows. CreateWindowExA sends WM_NCCREATE and WM_CREATE through the class procedure before
  // it returns; DestroyWindow sends WM_DESTROY and then WM_NCDESTROY.
  virtual HWND CreateWindowExA(DWORD exStyle, const char* className, const char* windowName,
                               DWORD style, int x, int y, int width, int height, HWND parent,
                               HMENU menu, HINSTANCE instance, void* param) = 0;
  virtual BOOL DestroyWindow(HWND window) = 0;
  virtual BOOL IsWindow(HWND window) = 0;
  virtual LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
  virtual LRESULT CallWindowProcA(WNDPROC proc, HWND window, UINT message, WPARAM wParam,
                                  LPARAM lParam) = 0;
  // kGwlpWndProc and kGwlpUserData; Set returns the previous value.
  virtual std::intptr_t GetWindowLongPtrA(HWND window, int index) = 0;
  virtual std::intptr_t SetWindowLongPtrA(HWND window, int index, std::intptr_t value) = 0;
  virtual HWND FindWindowA(const char* className, const char* windowName) = 0;
  // The thread that made `window`, and its process into `processId` unless that is null; 0 and
  // 0 for a window that is gone.
  virtual DWORD GetWindowThreadProcessId(HWND window, DWORD* processId) = 0;
  virtual BOOL ShowWindow(HWND window, int command) = 0;  // result: was it visible before
  virtual BOOL IsWindowVisible(HWND window) = 0;
  virtual BOOL IsIconic(HWND window) = 0;
  virtual BOOL SetForegroundWindow(HWND window) = 0;
  // The window the user works in, of any program; null when none is.
  virtual HWND GetForegroundWindow() = 0;
  // The window of the calling thread that has the keyboard focus, or null.
  virtual HWND GetFocus() = 0;
  // Returns whether the window was disabled before. A disabled window takes no input.
  virtual BOOL EnableWindow(HWND window, BOOL enable) = 0;
  virtual BOOL IsWindowEnabled(HWND window) = 0;
  virtual BOOL SetWindowTextA(HWND window, const char* text) = 0;
  // Copies at most size - 1 characters and a zero; returns the number copied.
  virtual int GetWindowTextA(HWND window, char* text, int size) = 0;
  // The window station this process's windows live in, and, with kUoiFlags, its
  // USEROBJECTFLAGS: kWsfVisible when it shows its desktops to a user (a service's or the system
  // account's does not). `needed` gets the size the answer takes.
  virtual os::HWINSTA GetProcessWindowStation() = 0;
  virtual BOOL GetUserObjectInformationA(os::HANDLE object, int index, void* info, DWORD length,
                                         DWORD* needed) = 0;
  // Modal; returns the button pressed (kIdOk, ...), 0 on failure.
  virtual int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) = 0;

  // Messages.
  virtual UINT RegisterWindowMessageA(const char* name) = 0;
  // Lets `message` reach `window` from processes of lower integrity, as an elevated program
  // needs for the messages others send it (kMsgfltAllow); false where Windows has no such filter.
  virtual BOOL ChangeWindowMessageFilterEx(HWND window, UINT message, DWORD action) = 0;
  virtual BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
  virtual LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
  // Whether the message being handled was sent from another thread or process; not one that the
  // thread sends itself or that a loop took from its queue.
  virtual BOOL InSendMessage() = 0;
  virtual void PostQuitMessage(int exitCode) = 0;
  // 0 after WM_QUIT, -1 on error, otherwise non-zero.
  virtual BOOL GetMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax) = 0;
  virtual BOOL PeekMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax,
                            UINT removeMessage) = 0;
  virtual BOOL TranslateMessage(const MSG* message) = 0;
  virtual LRESULT DispatchMessageA(const MSG* message) = 0;
  // Waits for one of `handles` or for input of `wakeMask`; kWaitObject0 + count for input.
  virtual DWORD MsgWaitForMultipleObjectsEx(DWORD count, const HANDLE* handles, DWORD milliseconds,
                                            DWORD wakeMask, DWORD flags) = 0;

  // Timers: a second SetTimer with the same window and id replaces the first.
  virtual UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, os::TIMERPROC proc) = 0;
  virtual BOOL KillTimer(HWND window, UINT_PTR id) = 0;

  // Input and system facts.
  virtual BOOL GetCursorPos(POINT* point) = 0;
  // A standard cursor by its number (kIdcArrow, kIdcWait, ...); null when unknown.
  virtual os::HCURSOR LoadStandardCursor(int id) = 0;
  // Shows `cursor` now; returns the one shown before.
  virtual os::HCURSOR SetCursor(os::HCURSOR cursor) = 0;
  virtual SHORT GetAsyncKeyState(int virtualKey) = 0;
  virtual UINT GetDoubleClickTime() = 0;
  // A system colour (kColorBtnText, ...) as a COLORREF, 0x00BBGGRR.
  virtual DWORD GetSysColor(int index) = 0;
  // A system setting; the program asks only kSpiGetHighContrast, with a HIGHCONTRASTA whose
  // cbSize is set.
  virtual BOOL SystemParametersInfoA(UINT action, UINT param, void* data, UINT winIni) = 0;
  virtual DWORD GetTickCount() = 0;
};

}  // namespace tarnwick::platform
