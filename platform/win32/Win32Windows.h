#pragma once
// user32's windows, messages and timers, and the kernel32 calls they need, reached through the
// platform interface.
#include "platform/Windows.h"

namespace tarnwick::platform::win32 {

class Win32Windows final : public Windows {
 public:
  HINSTANCE GetModuleHandleA(const char* moduleName) override;

  ATOM RegisterClassA(const WNDCLASSA* windowClass) override;
  BOOL GetClassInfoA(HINSTANCE instance, const char* className, WNDCLASSA* windowClass) override;
  BOOL UnregisterClassA(const char* className, HINSTANCE instance) override;
  ATOM RegisterClassExA(const WNDCLASSEXA* windowClass) override;
  BOOL GetClassInfoExA(HINSTANCE instance, const char* className,
                       WNDCLASSEXA* windowClass) override;

  HWND CreateWindowExA(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                       int x, int y, int width, int height, HWND parent, HMENU menu,
                       HINSTANCE instance, void* param) override;
  BOOL DestroyWindow(HWND window) override;
  BOOL IsWindow(HWND window) override;
  LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  LRESULT CallWindowProcA(WNDPROC proc, HWND window, UINT message, WPARAM wParam,
                          LPARAM lParam) override;
  std::intptr_t GetWindowLongPtrA(HWND window, int index) override;
  std::intptr_t SetWindowLongPtrA(HWND window, int index, std::intptr_t value) override;
  HWND FindWindowA(const char* className, const char* windowName) override;
  DWORD GetWindowThreadProcessId(HWND window, DWORD* processId) override;
  BOOL ShowWindow(HWND window, int command) override;
  BOOL IsWindowVisible(HWND window) override;
  BOOL IsIconic(HWND window) override;
  BOOL SetForegroundWindow(HWND window) override;
  HWND GetForegroundWindow() override;
  HWND GetFocus() override;
  BOOL EnableWindow(HWND window, BOOL enable) override;
  BOOL IsWindowEnabled(HWND window) override;
  BOOL SetWindowTextA(HWND window, const char* text) override;
  int GetWindowTextA(HWND window, char* text, int size) override;
  os::HWINSTA GetProcessWindowStation() override;
  BOOL GetUserObjectInformationA(os::HANDLE object, int index, void* info, DWORD length,
                                 DWORD* needed) override;
  int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) override;

  UINT RegisterWindowMessageA(const char* name) override;
  BOOL ChangeWindowMessageFilterEx(HWND window, UINT message, DWORD action) override;
  BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  BOOL InSendMessage() override;
  void PostQuitMessage(int exitCode) override;
  BOOL GetMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax) override;
  BOOL PeekMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax,
                    UINT removeMessage) override;
  BOOL TranslateMessage(const MSG* message) override;
  LRESULT DispatchMessageA(const MSG* message) override;
  DWORD MsgWaitForMultipleObjectsEx(DWORD count, const HANDLE* handles, DWORD milliseconds,
                                    DWORD wakeMask, DWORD flags) override;

  UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, os::TIMERPROC proc) override;
  BOOL KillTimer(HWND window, UINT_PTR id) override;

  BOOL GetCursorPos(POINT* point) override;
  os::HCURSOR LoadStandardCursor(int id) override;
  os::HCURSOR SetCursor(os::HCURSOR cursor) override;
  SHORT GetAsyncKeyState(int virtualKey) override;
  UINT GetDoubleClickTime() override;
  DWORD GetSysColor(int index) override;
  BOOL SystemParametersInfoA(UINT action, UINT param, void* data, UINT winIni) override;
  DWORD GetTickCount() override;
};

}  // namespace tarnwick::platform::win32
