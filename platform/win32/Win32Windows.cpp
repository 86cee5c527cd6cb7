#include "platform/win32/Win32Windows.h"

#include <windows.h>

// 32-bit user32 has no ...LongPtr functions: its header maps those names onto the LONG ones,
// which would rename our members too.
#ifndef _WIN64
#undef GetWindowLongPtrA
#undef SetWindowLongPtrA
#endif

#include <cstddef>
#include <tuple>
#include <type_traits>

namespace tarnwick::platform::win32 {
namespace {

// Our scalar types must be the real ones, or at least the same width, for the forwards below
// to pass values through untouched.
static_assert(std::is_same_v<BOOL, ::BOOL> && std::is_same_v<UINT, ::UINT>);
static_assert(std::is_same_v<WPARAM, ::WPARAM> && std::is_same_v<LPARAM, ::LPARAM>);
static_assert(std::is_same_v<LRESULT, ::LRESULT> && std::is_same_v<UINT_PTR, ::UINT_PTR>);
static_assert(std::is_same_v<ATOM, ::ATOM> && std::is_same_v<SHORT, ::SHORT>);
static_assert(std::is_same_v<os::LONG_PTR, ::LONG_PTR> &&
              sizeof(std::intptr_t) == sizeof(::LONG_PTR));
static_assert(sizeof(DWORD) == sizeof(::DWORD) && sizeof(os::LONG) == sizeof(::LONG));

// The structures we copy must have the real layouts, so that a caller's WNDCLASSA or MSG means
// what it would mean to user32.
#define TARNWICK_SAME_FIELD(ours, theirs, field) \
  static_assert(offsetof(ours, field) == offsetof(theirs, field) && \
                sizeof(ours::field) == sizeof(theirs::field))
static_assert(sizeof(POINT) == sizeof(::POINT));
TARNWICK_SAME_FIELD(POINT, ::POINT, x);
TARNWICK_SAME_FIELD(POINT, ::POINT, y);
static_assert(sizeof(MSG) == sizeof(::MSG));
TARNWICK_SAME_FIELD(MSG, ::MSG, hwnd);
TARNWICK_SAME_FIELD(MSG, ::MSG, message);
TARNWICK_SAME_FIELD(MSG, ::MSG, wParam);
TARNWICK_SAME_FIELD(MSG, ::MSG, lParam);
TARNWICK_SAME_FIELD(MSG, ::MSG, time);
TARNWICK_SAME_FIELD(MSG, ::MSG, pt);
static_assert(sizeof(WNDCLASSA) == sizeof(::WNDCLASSA));
TARNWICK_SAME_FIELD(WNDCLASSA, ::WNDCLASSA, style);
TARNWICK_SAME_FIELD(WNDCLASSA, ::WNDCLASSA, lpfnWndProc);
TARNWICK_SAME_FIELD(WNDCLASSA, ::WNDCLASSA, cbClsExtra);
TARNWICK_SAME_FIELD(WNDCLASSA, ::WNDCLASSA, cbWndExtra);
TARNWICK_SAME_FIELD(WNDCLASSA, ::WNDCLASSA, hInstance);
TARNWICK_SAME_FIELD(WNDCLASSA, ::WNDCLASSA, hIcon);
TARNWICK_SAME_FIELD(WNDCLASSA, ::WNDCLASSA, hCursor);
TARNWICK_SAME_FIELD(WNDCLASSA, ::WNDCLASSA, hbrBackground);
TARNWICK_SAME_FIELD(WNDCLASSA, ::WNDCLASSA, lpszMenuName);
TARNWICK_SAME_FIELD(WNDCLASSA, ::WNDCLASSA, lpszClassName);
static_assert(sizeof(WNDCLASSEXA) == sizeof(::WNDCLASSEXA));
TARNWICK_SAME_FIELD(WNDCLASSEXA, ::WNDCLASSEXA, cbSize);
TARNWICK_SAME_FIELD(WNDCLASSEXA, ::WNDCLASSEXA, style);
TARNWICK_SAME_FIELD(WNDCLASSEXA, ::WNDCLASSEXA, lpfnWndProc);
TARNWICK_SAME_FIELD(WNDCLASSEXA, ::WNDCLASSEXA, cbClsExtra);
TARNWICK_SAME_FIELD(WNDCLASSEXA, ::WNDCLASSEXA, cbWndExtra);
TARNWICK_SAME_FIELD(WNDCLASSEXA, ::WNDCLASSEXA, hInstance);
TARNWICK_SAME_FIELD(WNDCLASSEXA, ::WNDCLASSEXA, hIcon);
TARNWICK_SAME_FIELD(WNDCLASSEXA, ::WNDCLASSEXA, hCursor);
TARNWICK_SAME_FIELD(WNDCLASSEXA, ::WNDCLASSEXA, hbrBackground);
TARNWICK_SAME_FIELD(WNDCLASSEXA, ::WNDCLASSEXA, lpszMenuName);
TARNWICK_SAME_FIELD(WNDCLASSEXA, ::WNDCLASSEXA, lpszClassName);
TARNWICK_SAME_FIELD(WNDCLASSEXA, ::WNDCLASSEXA, hIconSm);
static_assert(sizeof(os::USEROBJECTFLAGS) == sizeof(::USEROBJECTFLAGS));
TARNWICK_SAME_FIELD(os::USEROBJECTFLAGS, ::USEROBJECTFLAGS, dwFlags);
// The creation's parameter is what the program reads; the conformance suite reads the rest.
static_assert(sizeof(CREATESTRUCTA) == sizeof(::CREATESTRUCTA));
TARNWICK_SAME_FIELD(CREATESTRUCTA, ::CREATESTRUCTA, lpCreateParams);
TARNWICK_SAME_FIELD(CREATESTRUCTA, ::CREATESTRUCTA, hwndParent);
TARNWICK_SAME_FIELD(CREATESTRUCTA, ::CREATESTRUCTA, x);
TARNWICK_SAME_FIELD(CREATESTRUCTA, ::CREATESTRUCTA, dwExStyle);
static_assert(sizeof(os::HIGHCONTRASTA) == sizeof(::HIGHCONTRASTA));
TARNWICK_SAME_FIELD(os::HIGHCONTRASTA, ::HIGHCONTRASTA, dwFlags);
static_assert(os::kSpiGetHighContrast == SPI_GETHIGHCONTRAST &&
              os::kHcfHighContrastOn == HCF_HIGHCONTRASTON);
static_assert(os::kColorWindow == COLOR_WINDOW && os::kColorWindowText == COLOR_WINDOWTEXT &&
              os::kColorHighlight == COLOR_HIGHLIGHT &&
              os::kColorHighlightText == COLOR_HIGHLIGHTTEXT && os::kColorBtnFace == COLOR_BTNFACE &&
              os::kColorBtnText == COLOR_BTNTEXT && os::kColorHotLight == COLOR_HOTLIGHT);
#undef TARNWICK_SAME_FIELD

// Our procedure types are handed to user32 as its own, so they must agree on every argument
// but the handle type (which differs only by name).
template <typename F>
struct Signature;
template <typename R, typename... A>
struct Signature<R(TARNWICK_CALLBACK*)(A...)> {
  using Result = R;
  using Args = std::tuple<A...>;
};
template <typename Ours, typename Theirs, std::size_t... I>
constexpr bool SameAfterHandle(std::index_sequence<I...>) {
  using O = typename Signature<Ours>::Args;
  using T = typename Signature<Theirs>::Args;
  return std::tuple_size_v<O> == std::tuple_size_v<T> &&
         ((sizeof(std::tuple_element_t<I + 1, O>) == sizeof(std::tuple_element_t<I + 1, T>)) &&
          ...);
}
static_assert(std::is_same_v<Signature<WNDPROC>::Result, Signature<::WNDPROC>::Result>);
static_assert(std::is_same_v<Signature<WNDPROC>::Args,
                             std::tuple<HWND, ::UINT, ::WPARAM, ::LPARAM>>);
static_assert(std::is_same_v<Signature<::WNDPROC>::Args,
                             std::tuple<::HWND, ::UINT, ::WPARAM, ::LPARAM>>);
static_assert(std::is_same_v<Signature<os::TIMERPROC>::Result, Signature<::TIMERPROC>::Result>);
static_assert(SameAfterHandle<os::TIMERPROC, ::TIMERPROC>(std::make_index_sequence<3>()));

::HWND Native(HWND window) { return reinterpret_cast<::HWND>(window); }
HWND Ours(::HWND window) { return reinterpret_cast<HWND>(window); }
::HINSTANCE Native(HINSTANCE instance) { return reinterpret_cast<::HINSTANCE>(instance); }
HINSTANCE Ours(::HINSTANCE instance) { return reinterpret_cast<HINSTANCE>(instance); }

// Casting through the generic function type is how GCC is told that the signatures, checked
// above, really are one.
template <typename To, typename From>
To ProcCast(From proc) {
  return reinterpret_cast<To>(reinterpret_cast<void (*)()>(proc));
}

// The fields that a window class has in both shapes, between ours and the system's, which name
// them alike; `instance` converts the module handle.
template <typename From, typename To, typename Instance>
void CopyClass(const From& in, To& out, Instance instance) {
  out.style = in.style;
  out.lpfnWndProc = ProcCast<decltype(out.lpfnWndProc)>(in.lpfnWndProc);
  out.cbClsExtra = in.cbClsExtra;
  out.cbWndExtra = in.cbWndExtra;
  out.hInstance = instance(in.hInstance);
  out.hIcon = reinterpret_cast<decltype(out.hIcon)>(in.hIcon);
  out.hCursor = reinterpret_cast<decltype(out.hCursor)>(in.hCursor);
  out.hbrBackground = reinterpret_cast<decltype(out.hbrBackground)>(in.hbrBackground);
  out.lpszMenuName = in.lpszMenuName;
  out.lpszClassName = in.lpszClassName;
}
::HINSTANCE NativeInstance(HINSTANCE instance) { return Native(instance); }
HINSTANCE OurInstance(::HINSTANCE instance) { return Ours(instance); }

::WNDCLASSA Native(const WNDCLASSA& in) {
  ::WNDCLASSA out{};
  CopyClass(in, out, &NativeInstance);
  return out;
}

void Copy(const ::WNDCLASSA& in, WNDCLASSA* out) { CopyClass(in, *out, &OurInstance); }

::WNDCLASSEXA Native(const WNDCLASSEXA& in) {
  ::WNDCLASSEXA out{};
  out.cbSize = sizeof out;
  CopyClass(in, out, &NativeInstance);
  out.hIconSm = reinterpret_cast<::HICON>(in.hIconSm);
  return out;
}

void Copy(const ::WNDCLASSEXA& in, WNDCLASSEXA* out) {
  out->cbSize = sizeof *out;
  CopyClass(in, *out, &OurInstance);
  out->hIconSm = reinterpret_cast<os::HICON>(in.hIconSm);
}

::MSG Native(const MSG& in) {
  ::MSG out{};
  out.hwnd = Native(in.hwnd);
  out.message = in.message;
  out.wParam = in.wParam;
  out.lParam = in.lParam;
  out.time = in.time;
  out.pt.x = in.pt.x;
  out.pt.y = in.pt.y;
  return out;
}

void Copy(const ::MSG& in, MSG* out) {
  out->hwnd = Ours(in.hwnd);
  out->message = in.message;
  out->wParam = in.wParam;
  out->lParam = in.lParam;
  out->time = static_cast<DWORD>(in.time);
  out->pt.x = in.pt.x;
  out->pt.y = in.pt.y;
}

}  // namespace

HINSTANCE Win32Windows::GetModuleHandleA(const char* moduleName) {
  return Ours(::GetModuleHandleA(moduleName));
}

ATOM Win32Windows::RegisterClassA(const WNDCLASSA* windowClass) {
  if (windowClass == nullptr) return 0;
  const ::WNDCLASSA native = Native(*windowClass);
  return ::RegisterClassA(&native);
}

BOOL Win32Windows::GetClassInfoA(HINSTANCE instance, const char* className,
                                 WNDCLASSA* windowClass) {
  ::WNDCLASSA native{};
  const BOOL found = ::GetClassInfoA(Native(instance), className, &native);
  if (found && windowClass != nullptr) Copy(native, windowClass);
  return found;
}

ATOM Win32Windows::RegisterClassExA(const WNDCLASSEXA* windowClass) {
  if (windowClass == nullptr) return 0;
  const ::WNDCLASSEXA native = Native(*windowClass);
  return ::RegisterClassExA(&native);
}

BOOL Win32Windows::GetClassInfoExA(HINSTANCE instance, const char* className,
                                   WNDCLASSEXA* windowClass) {
  ::WNDCLASSEXA native{};
  native.cbSize = sizeof native;
  const BOOL found = ::GetClassInfoExA(Native(instance), className, &native);
  if (found && windowClass != nullptr) Copy(native, windowClass);
  return found;
}

BOOL Win32Windows::UnregisterClassA(const char* className, HINSTANCE instance) {
  return ::UnregisterClassA(className, Native(instance));
}

HWND Win32Windows::CreateWindowExA(DWORD exStyle, const char* className, const char* windowName,
                                   DWORD style, int x, int y, int width, int height, HWND parent,
                                   HMENU menu, HINSTANCE instance, void* param) {
  return Ours(::CreateWindowExA(exStyle, className, windowName, style, x, y, width, height,
                                Native(parent), reinterpret_cast<::HMENU>(menu), Native(instance),
                                param));
}

BOOL Win32Windows::DestroyWindow(HWND window) { return ::DestroyWindow(Native(window)); }

BOOL Win32Windows::IsWindow(HWND window) { return ::IsWindow(Native(window)); }

LRESULT Win32Windows::DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProcA(Native(window), message, wParam, lParam);
}

LRESULT Win32Windows::CallWindowProcA(WNDPROC proc, HWND window, UINT message, WPARAM wParam,
                                      LPARAM lParam) {
  return ::CallWindowProcA(ProcCast<::WNDPROC>(proc), Native(window), message, wParam, lParam);
}

std::intptr_t Win32Windows::GetWindowLongPtrA(HWND window, int index) {
#ifdef _WIN64
  return ::GetWindowLongPtrA(Native(window), index);
#else
  return ::GetWindowLongA(Native(window), index);
#endif
}

std::intptr_t Win32Windows::SetWindowLongPtrA(HWND window, int index, std::intptr_t value) {
#ifdef _WIN64
  return ::SetWindowLongPtrA(Native(window), index, value);
#else
  return ::SetWindowLongA(Native(window), index, value);
#endif
}

HWND Win32Windows::FindWindowA(const char* className, const char* windowName) {
  return Ours(::FindWindowA(className, windowName));
}

DWORD Win32Windows::GetWindowThreadProcessId(HWND window, DWORD* processId) {
  ::DWORD process = 0;
  const ::DWORD thread = ::GetWindowThreadProcessId(Native(window), &process);
  if (processId != nullptr) *processId = thread != 0 ? process : 0;
  return thread;
}

BOOL Win32Windows::ShowWindow(HWND window, int command) {
  return ::ShowWindow(Native(window), command);
}

BOOL Win32Windows::IsWindowVisible(HWND window) { return ::IsWindowVisible(Native(window)); }

BOOL Win32Windows::IsIconic(HWND window) { return ::IsIconic(Native(window)); }

BOOL Win32Windows::SetForegroundWindow(HWND window) {
  return ::SetForegroundWindow(Native(window));
}

HWND Win32Windows::GetForegroundWindow() { return Ours(::GetForegroundWindow()); }

HWND Win32Windows::GetFocus() { return Ours(::GetFocus()); }

BOOL Win32Windows::SetWindowTextA(HWND window, const char* text) {
  return ::SetWindowTextA(Native(window), text);
}

int Win32Windows::GetWindowTextA(HWND window, char* text, int size) {
  return ::GetWindowTextA(Native(window), text, size);
}

os::HWINSTA Win32Windows::GetProcessWindowStation() {
  return reinterpret_cast<os::HWINSTA>(::GetProcessWindowStation());
}

BOOL Win32Windows::GetUserObjectInformationA(os::HANDLE object, int index, void* info,
                                             DWORD length, DWORD* needed) {
  ::DWORD size = 0;
  const ::BOOL done = ::GetUserObjectInformationA(object, index, info, length, &size);
  if (needed != nullptr) *needed = size;
  return done;
}

int Win32Windows::MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) {
  return ::MessageBoxA(Native(owner), text, caption, type);
}

UINT Win32Windows::RegisterWindowMessageA(const char* name) {
  return ::RegisterWindowMessageA(name);
}

// Loaded when present: Windows 7 brought it; before, there is no filter per window.
BOOL Win32Windows::ChangeWindowMessageFilterEx(HWND window, UINT message, DWORD action) {
  using Filter = ::BOOL(WINAPI*)(::HWND, ::UINT, ::DWORD, void*);
  static const Filter filter = reinterpret_cast<Filter>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleA("user32.dll"), "ChangeWindowMessageFilterEx")));
  return filter != nullptr && filter(Native(window), message, action, nullptr);
}

BOOL Win32Windows::PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return ::PostMessageA(Native(window), message, wParam, lParam);
}

LRESULT Win32Windows::SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return ::SendMessageA(Native(window), message, wParam, lParam);
}

BOOL Win32Windows::InSendMessage() { return ::InSendMessage(); }

void Win32Windows::PostQuitMessage(int exitCode) { ::PostQuitMessage(exitCode); }

BOOL Win32Windows::GetMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax) {
  ::MSG native{};
  const BOOL result = ::GetMessageA(&native, Native(window), filterMin, filterMax);
  if (result != -1 && message != nullptr) Copy(native, message);
  return result;
}

BOOL Win32Windows::PeekMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax,
                                UINT removeMessage) {
  ::MSG native{};
  const BOOL found = ::PeekMessageA(&native, Native(window), filterMin, filterMax, removeMessage);
  if (found && message != nullptr) Copy(native, message);
  return found;
}

BOOL Win32Windows::TranslateMessage(const MSG* message) {
  if (message == nullptr) return FALSE;
  const ::MSG native = Native(*message);
  return ::TranslateMessage(&native);
}

LRESULT Win32Windows::DispatchMessageA(const MSG* message) {
  if (message == nullptr) return 0;
  const ::MSG native = Native(*message);
  return ::DispatchMessageA(&native);
}

DWORD Win32Windows::MsgWaitForMultipleObjectsEx(DWORD count, const HANDLE* handles,
                                                DWORD milliseconds, DWORD wakeMask, DWORD flags) {
  return ::MsgWaitForMultipleObjectsEx(count, handles, milliseconds, wakeMask, flags);
}

BOOL Win32Windows::EnableWindow(HWND window, BOOL enable) {
  return ::EnableWindow(Native(window), enable);
}

BOOL Win32Windows::IsWindowEnabled(HWND window) { return ::IsWindowEnabled(Native(window)); }

UINT_PTR Win32Windows::SetTimer(HWND window, UINT_PTR id, UINT elapse, os::TIMERPROC proc) {
  return ::SetTimer(Native(window), id, elapse, ProcCast<::TIMERPROC>(proc));
}

BOOL Win32Windows::KillTimer(HWND window, UINT_PTR id) {
  return ::KillTimer(Native(window), id);
}

BOOL Win32Windows::GetCursorPos(POINT* point) {
  ::POINT native{};
  const BOOL found = ::GetCursorPos(&native);
  if (found && point != nullptr) {
    point->x = native.x;
    point->y = native.y;
  }
  return found;
}

os::HCURSOR Win32Windows::LoadStandardCursor(int id) {
  return reinterpret_cast<os::HCURSOR>(::LoadCursorA(nullptr, MAKEINTRESOURCEA(id)));
}

os::HCURSOR Win32Windows::SetCursor(os::HCURSOR cursor) {
  return reinterpret_cast<os::HCURSOR>(::SetCursor(reinterpret_cast<::HCURSOR>(cursor)));
}

SHORT Win32Windows::GetAsyncKeyState(int virtualKey) { return ::GetAsyncKeyState(virtualKey); }

UINT Win32Windows::GetDoubleClickTime() { return ::GetDoubleClickTime(); }

DWORD Win32Windows::GetSysColor(int index) { return ::GetSysColor(index); }

BOOL Win32Windows::SystemParametersInfoA(UINT action, UINT param, void* data, UINT winIni) {
  return ::SystemParametersInfoA(action, param, data, winIni);
}

DWORD Win32Windows::GetTickCount() { return ::GetTickCount(); }

}  // namespace tarnwick::platform::win32
