#pragma once
// Win32 scalar types and constants for code that must not see <windows.h>.
// Values are the Win32 ones; names are ours, because <windows.h> defines the originals as macros.
#include <cstdint>

namespace tarnwick::os {

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using BOOL = int;
using UINT = unsigned int;
using REGSAM = DWORD;
#if defined(_WIN32) && !defined(_WIN64)
// 32-bit Windows spells its pointer-wide signed integer with long, a type of its own to C++.
using LONG_PTR = long;
#else
using LONG_PTR = std::intptr_t;
#endif
using UINT_PTR = std::uintptr_t;
using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;

using ATOM = WORD;
using SHORT = std::int16_t;

// Opaque handles: distinct types so that a key cannot be passed where a window is meant.
struct HKEY__;
using HKEY = HKEY__*;
struct HWND__;
using HWND = HWND__*;
struct HICON__;
using HICON = HICON__*;
struct HMENU__;
using HMENU = HMENU__*;
struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
struct HBRUSH__;
using HBRUSH = HBRUSH__*;
struct HCURSOR__;
using HCURSOR = HCURSOR__*;
struct HWINSTA__;
using HWINSTA = HWINSTA__*;
using HANDLE = void*;
// What CreateFileA returns when it fails.
inline HANDLE InvalidHandleValue() { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1)); }

// Procedures that Windows calls back. On x64 there is one calling convention; 32-bit Windows calls
// them as stdcall, and a procedure of another convention would unbalance its stack.
#if defined(_WIN32) && !defined(_WIN64)
#define TARNWICK_CALLBACK __attribute__((stdcall))
#else
#define TARNWICK_CALLBACK
#endif
using WNDPROC = LRESULT(TARNWICK_CALLBACK*)(HWND, UINT, WPARAM, LPARAM);
using TIMERPROC = void(TARNWICK_CALLBACK*)(HWND, UINT, UINT_PTR, DWORD);

struct POINT {
  LONG x = 0;
  LONG y = 0;
};

struct MSG {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  DWORD time = 0;
  POINT pt;
};

// What WM_NCCREATE and WM_CREATE point at: the arguments of CreateWindowExA.
struct CREATESTRUCTA {
  void* lpCreateParams = nullptr;
  HINSTANCE hInstance = nullptr;
  HMENU hMenu = nullptr;
  HWND hwndParent = nullptr;
  int cy = 0;
  int cx = 0;
  int y = 0;
  int x = 0;
  LONG style = 0;
  const char* lpszName = nullptr;
  const char* lpszClass = nullptr;
  DWORD dwExStyle = 0;
};

struct WNDCLASSA {
  UINT style = 0;
  WNDPROC lpfnWndProc = nullptr;
  int cbClsExtra = 0;
  int cbWndExtra = 0;
  HINSTANCE hInstance = nullptr;
  HICON hIcon = nullptr;
  HCURSOR hCursor = nullptr;
  HBRUSH hbrBackground = nullptr;
  const char* lpszMenuName = nullptr;
  const char* lpszClassName = nullptr;
};

struct WNDCLASSEXA {
  UINT cbSize = sizeof(WNDCLASSEXA);
  UINT style = 0;
  WNDPROC lpfnWndProc = nullptr;
  int cbClsExtra = 0;
  int cbWndExtra = 0;
  HINSTANCE hInstance = nullptr;
  HICON hIcon = nullptr;
  HCURSOR hCursor = nullptr;
  HBRUSH hbrBackground = nullptr;
  const char* lpszMenuName = nullptr;
  const char* lpszClassName = nullptr;
  HICON hIconSm = nullptr;
};

struct GUID {
  DWORD Data1 = 0;
  WORD Data2 = 0;
  WORD Data3 = 0;
  BYTE Data4[8] = {};
};
using HRESULT = LONG;

// How the starter of this process asked it to start (GetStartupInfoA).
struct STARTUPINFOA {
  DWORD cb = sizeof(STARTUPINFOA);
  char* lpReserved = nullptr;
  char* lpDesktop = nullptr;
  char* lpTitle = nullptr;
  DWORD dwX = 0;
  DWORD dwY = 0;
  DWORD dwXSize = 0;
  DWORD dwYSize = 0;
  DWORD dwXCountChars = 0;
  DWORD dwYCountChars = 0;
  DWORD dwFillAttribute = 0;
  DWORD dwFlags = 0;
  WORD wShowWindow = 0;
  WORD cbReserved2 = 0;
  BYTE* lpReserved2 = nullptr;
  HANDLE hStdInput = nullptr;
  HANDLE hStdOutput = nullptr;
  HANDLE hStdError = nullptr;
};

// GetUserObjectInformationA's kUoiFlags answer.
struct USEROBJECTFLAGS {
  BOOL fInherit = 0;
  BOOL fReserved = 0;
  DWORD dwFlags = 0;
};

// NOTIFYICONDATAA in its version-2 ANSI layout (488 bytes on 32-bit Windows; the same fields,
// naturally aligned, on 64-bit).
struct NOTIFYICONDATAA {
  DWORD cbSize = 0;
  HWND hWnd = nullptr;
  UINT uID = 0;
  UINT uFlags = 0;
  UINT uCallbackMessage = 0;
  HICON hIcon = nullptr;
  char szTip[128] = {};
  DWORD dwState = 0;
  DWORD dwStateMask = 0;
  char szInfo[256] = {};
  UINT uTimeout = 0;  // also uVersion, with NIM_SETVERSION
  char szInfoTitle[64] = {};
  DWORD dwInfoFlags = 0;
};

inline HKEY PredefinedKey(std::uint32_t value) {
  // Win32 sign-extends the predefined key values to pointer width.
  return reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<std::int32_t>(value)));
}
inline HKEY HkeyClassesRoot() { return PredefinedKey(0x80000000u); }
inline HKEY HkeyCurrentUser() { return PredefinedKey(0x80000001u); }
inline HKEY HkeyLocalMachine() { return PredefinedKey(0x80000002u); }

// Result codes.
constexpr LONG kErrorSuccess = 0;
constexpr LONG kErrorFileNotFound = 2;
constexpr LONG kErrorAccessDenied = 5;
constexpr LONG kErrorInvalidHandle = 6;
constexpr LONG kErrorOutOfMemory = 14;
constexpr LONG kErrorInvalidParameter = 87;
constexpr LONG kErrorBadPathname = 161;
constexpr LONG kErrorMoreData = 234;
constexpr LONG kErrorNoMoreItems = 259;
constexpr LONG kErrorKeyDeleted = 1018;

// Files.
constexpr DWORD kGenericRead = 0x80000000;
constexpr DWORD kGenericWrite = 0x40000000;
constexpr DWORD kFileShareRead = 0x00000001;
constexpr DWORD kFileShareWrite = 0x00000002;
constexpr DWORD kOpenExisting = 3;
constexpr LONG kErrorSharingViolation = 32;
constexpr LONG kErrorLockViolation = 33;
constexpr LONG kErrorPathNotFound = 3;
constexpr LONG kErrorInvalidName = 123;

// Process start-up, standard handles and window stations.
constexpr DWORD kStartfUseShowWindow = 0x00000001;
constexpr DWORD kStartfUseStdHandles = 0x00000100;
constexpr DWORD kStdErrorHandle = static_cast<DWORD>(-12);
constexpr DWORD kFileTypeUnknown = 0;
constexpr DWORD kFileTypeDisk = 1;
constexpr DWORD kFileTypeChar = 2;  // a console or another character device
constexpr DWORD kFileTypePipe = 3;
constexpr int kUoiFlags = 1;
constexpr DWORD kWsfVisible = 0x0001;
constexpr LONG kErrorInsufficientBuffer = 122;

// Libraries.
constexpr LONG kErrorModNotFound = 126;
constexpr LONG kErrorProcNotFound = 127;

// Standard cursors, as LoadCursorA's resource numbers.
constexpr int kIdcArrow = 32512;
constexpr int kIdcWait = 32514;
constexpr int kIdcHand = 32649;

// GetNativeSystemInfo's processor architectures: what Windows itself runs on.
constexpr WORD kProcessorArchitectureIntel = 0;
constexpr WORD kProcessorArchitectureAmd64 = 9;

// ChangeWindowMessageFilterEx's actions.
constexpr DWORD kMsgfltAllow = 1;

// Registry value types.
constexpr DWORD kRegNone = 0;
constexpr DWORD kRegSz = 1;
constexpr DWORD kRegExpandSz = 2;
constexpr DWORD kRegBinary = 3;
constexpr DWORD kRegDword = 4;
constexpr DWORD kRegMultiSz = 7;
constexpr DWORD kRegQword = 11;

// Registry access rights.
constexpr REGSAM kKeyQueryValue = 0x0001;
constexpr REGSAM kKeySetValue = 0x0002;
constexpr REGSAM kKeyCreateSubKey = 0x0004;
constexpr REGSAM kKeyEnumerateSubKeys = 0x0008;
constexpr REGSAM kKeyNotify = 0x0010;
constexpr REGSAM kKeyCreateLink = 0x0020;
constexpr REGSAM kKeyRead = 0x20019;
constexpr REGSAM kKeyWrite = 0x20006;
constexpr REGSAM kKeyAllAccess = 0xF003F;
// Which view of HKEY_LOCAL_MACHINE\Software an open or a deletion reaches on 64-bit Windows;
// 32-bit Windows has one view and ignores them.
constexpr REGSAM kKeyWow6464Key = 0x0100;
constexpr REGSAM kKeyWow6432Key = 0x0200;

// RegCreateKeyEx options and dispositions.
constexpr DWORD kRegOptionNonVolatile = 0;
constexpr DWORD kRegCreatedNewKey = 1;
constexpr DWORD kRegOpenedExistingKey = 2;

// Window messages.
constexpr UINT kWmNull = 0x0000;
constexpr UINT kWmCreate = 0x0001;
constexpr UINT kWmDestroy = 0x0002;
constexpr UINT kWmSize = 0x0005;
constexpr UINT kWmSetFocus = 0x0007;
// WM_SETICON and WM_GETICON, with their wParam: the title bar's and the taskbar's icons.
constexpr UINT kWmSetIcon = 0x0080;
constexpr UINT kWmGetIcon = 0x007F;
constexpr WPARAM kIconSmall = 0;
constexpr WPARAM kIconBig = 1;
constexpr UINT kWmClose = 0x0010;
constexpr UINT kWmQueryEndSession = 0x0011;
constexpr UINT kWmQuit = 0x0012;
constexpr UINT kWmShowWindow = 0x0018;
// Sent to every top-level window when a system setting changed; its lParam names the area, such
// as "Policy" after Group Policy applied a change.
constexpr UINT kWmSettingChange = 0x001A;
constexpr UINT kWmEndSession = 0x0016;
// In the lParam of both session messages: the Restart Manager asks this program alone to close.
constexpr LPARAM kEndSessionCloseApp = 0x00000001;
constexpr UINT kWmWindowPosChanged = 0x0047;
constexpr UINT kWmNcCreate = 0x0081;
constexpr UINT kWmNcDestroy = 0x0082;
constexpr UINT kWmCommand = 0x0111;
constexpr UINT kWmSysCommand = 0x0112;
constexpr UINT kWmTimer = 0x0113;
constexpr UINT kWmMouseMove = 0x0200;
constexpr UINT kWmLButtonDown = 0x0201;
constexpr UINT kWmLButtonUp = 0x0202;
constexpr UINT kWmLButtonDblClk = 0x0203;
constexpr UINT kWmRButtonDown = 0x0204;
constexpr UINT kWmRButtonUp = 0x0205;
constexpr UINT kWmRButtonDblClk = 0x0206;
constexpr UINT kWmMButtonDown = 0x0207;
constexpr UINT kWmMButtonUp = 0x0208;
constexpr UINT kWmUser = 0x0400;
constexpr UINT kWmApp = 0x8000;

constexpr WPARAM kSizeMinimized = 1;
constexpr WPARAM kScMinimize = 0xF020;
constexpr WPARAM kScRestore = 0xF120;
constexpr LPARAM kSwParentClosing = 1;

// Window styles and ShowWindow commands.
constexpr DWORD kWsPopup = 0x80000000;
constexpr DWORD kWsChild = 0x40000000;
constexpr DWORD kWsExToolWindow = 0x00000080;
constexpr int kSwHide = 0;
constexpr int kSwShowNormal = 1;
constexpr int kSwShowMinimized = 2;
constexpr int kSwShowNoActivate = 4;
constexpr int kSwShow = 5;
constexpr int kSwMinimize = 6;
constexpr int kSwRestore = 9;

// System colours, as GetSysColor's indexes; a class brush of (index + 1) paints with one.
constexpr int kColorWindow = 5;
constexpr int kColorWindowText = 8;
constexpr int kColorHighlight = 13;
constexpr int kColorHighlightText = 14;
constexpr int kColorBtnFace = 15;
constexpr int kColorBtnText = 18;
constexpr int kColorHotLight = 26;  // links

// The user's high-contrast setting, as SystemParametersInfoA gives it.
constexpr UINT kSpiGetHighContrast = 0x0042;
constexpr DWORD kHcfHighContrastOn = 0x00000001;
struct HIGHCONTRASTA {
  UINT cbSize = sizeof(HIGHCONTRASTA);
  DWORD dwFlags = 0;
  char* lpszDefaultScheme = nullptr;
};

// GetWindowLongPtr indexes.
constexpr int kGwlpWndProc = -4;
constexpr int kGwlpUserData = -21;

// PeekMessage.
constexpr UINT kPmNoRemove = 0;
constexpr UINT kPmRemove = 1;

// MsgWaitForMultipleObjectsEx.
constexpr DWORD kQsAllInput = 0x04FF;
constexpr DWORD kMwmoInputAvailable = 0x0004;
constexpr DWORD kWaitObject0 = 0;
constexpr DWORD kWaitTimeout = 258;

// Virtual keys.
constexpr int kVkShift = 0x10;
constexpr int kVkControl = 0x11;
constexpr int kVkMenu = 0x12;
constexpr int kVkPrior = 0x21;
constexpr int kVkNext = 0x22;
constexpr int kVkEnd = 0x23;
constexpr int kVkHome = 0x24;
constexpr int kVkLeft = 0x25;
constexpr int kVkUp = 0x26;
constexpr int kVkRight = 0x27;
constexpr int kVkDown = 0x28;
constexpr int kVkInsert = 0x2D;

// MessageBox styles and answers.
constexpr UINT kMbOk = 0x0000;
constexpr UINT kMbIconError = 0x0010;
constexpr UINT kMbIconInformation = 0x0040;
constexpr UINT kMbTaskModal = 0x2000;
constexpr int kIdOk = 1;

// Shell_NotifyIcon.
constexpr DWORD kNimAdd = 0;
constexpr DWORD kNimModify = 1;
constexpr DWORD kNimDelete = 2;
constexpr DWORD kNimSetVersion = 4;
constexpr UINT kNifMessage = 0x01;
constexpr UINT kNifIcon = 0x02;
constexpr UINT kNifTip = 0x04;
constexpr UINT kNifInfo = 0x10;
constexpr DWORD kNiifNone = 0;
constexpr DWORD kNiifInfo = 1;
constexpr DWORD kNiifWarning = 2;
constexpr DWORD kNiifError = 3;
constexpr UINT kNinSelect = 0x0400;
constexpr UINT kNinKeySelect = 0x0401;
constexpr UINT kNinBalloonShow = 0x0402;
constexpr UINT kNinBalloonHide = 0x0403;
constexpr UINT kNinBalloonTimeout = 0x0404;
constexpr UINT kNinBalloonUserClick = 0x0405;

}  // namespace tarnwick::os
