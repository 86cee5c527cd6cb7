// The yardsticks for start-up time: a plain Win32 window with 20 standard controls (group boxes,
// radio buttons, push buttons, a list box, a tab control, a status bar), built the plainest way.
// Built with TARNWICK_FLOOR it is the honest floor for a tray program: the same window, a
// notification area icon (so shell32 is loaded) and one registry read. It closes on WM_CLOSE
// like any window.
#include <windows.h>
#include <commctrl.h>
#ifdef TARNWICK_FLOOR
#include <shellapi.h>
#endif

namespace {

#ifdef TARNWICK_FLOOR
constexpr char kClassName[] = "FloorWindow";
#else
constexpr char kClassName[] = "MinimalWindow";
#endif

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

struct Child {
  const char* className;
  const char* text;
  DWORD style;
  int x, y, width, height;
};

// 20 controls, roughly where a small settings window has them.
constexpr Child kChildren[] = {
    {WC_TABCONTROLA, "", 0, 0, 0, 404, 241},
    {"BUTTON", "Group one", BS_GROUPBOX, 16, 16, 129, 33},
    {"BUTTON", "Yes", BS_AUTORADIOBUTTON | WS_GROUP, 24, 30, 50, 16},
    {"BUTTON", "No", BS_AUTORADIOBUTTON, 80, 30, 50, 16},
    {"BUTTON", "Group two", BS_GROUPBOX, 152, 16, 217, 33},
    {"BUTTON", "Yes", BS_AUTORADIOBUTTON | WS_GROUP, 160, 30, 50, 16},
    {"BUTTON", "No", BS_AUTORADIOBUTTON, 260, 30, 50, 16},
    {"BUTTON", "Group three", BS_GROUPBOX, 16, 56, 129, 33},
    {"BUTTON", "Yes", BS_AUTORADIOBUTTON | WS_GROUP, 24, 70, 50, 16},
    {"BUTTON", "No", BS_AUTORADIOBUTTON, 80, 70, 50, 16},
    {"BUTTON", "Group four", BS_GROUPBOX, 152, 56, 217, 33},
    {"BUTTON", "Yes", BS_AUTORADIOBUTTON | WS_GROUP, 160, 70, 50, 16},
    {"BUTTON", "No", BS_AUTORADIOBUTTON, 260, 70, 50, 16},
    {"BUTTON", "Group five", BS_GROUPBOX, 16, 96, 129, 33},
    {"BUTTON", "Yes", BS_AUTORADIOBUTTON | WS_GROUP, 24, 110, 50, 16},
    {"BUTTON", "E&xit", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 32, 200, 75, 25},
    {"BUTTON", "H&ide", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 136, 200, 75, 25},
    {"BUTTON", "M&onitor", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 232, 200, 153, 25},
    {"LISTBOX", "", WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY, 0, 241, 404, 109},
    {STATUSCLASSNAMEA, "", 0, 0, 350, 404, 19},
};
static_assert(sizeof kChildren / sizeof kChildren[0] == 20);

}  // namespace

int main() {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TAB_CLASSES | ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&controls);
  HINSTANCE instance = ::GetModuleHandleA(nullptr);

  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = &WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  if (!::RegisterClassA(&windowClass)) return 1;

  RECT frame = {0, 0, 404, 369};
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  ::AdjustWindowRect(&frame, style, FALSE);
  HWND window = ::CreateWindowExA(0, kClassName, "Minimal window", style, CW_USEDEFAULT,
                                  CW_USEDEFAULT, frame.right - frame.left,
                                  frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 1;

  HFONT font = ::CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0,
                             0, 0, "MS Sans Serif");
  for (const Child& child : kChildren) {
    HWND control = ::CreateWindowExA(0, child.className, child.text,
                                     WS_CHILD | WS_VISIBLE | child.style, child.x, child.y,
                                     child.width, child.height, window, nullptr, instance, nullptr);
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
#ifdef TARNWICK_FLOOR
  HKEY key = nullptr;
  DWORD value = 0;
  DWORD size = sizeof value;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Brambleworks\\Tarnwick", 0, KEY_READ, &key) ==
      ERROR_SUCCESS) {
    ::RegQueryValueExA(key, "Ypos", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    ::RegCloseKey(key);
  }
  NOTIFYICONDATAA icon = {};
  icon.cbSize = sizeof icon;
  icon.hWnd = window;
  icon.uID = 1;
  icon.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
  icon.uCallbackMessage = WM_APP;
  icon.hIcon = ::LoadIconA(nullptr, IDI_APPLICATION);
  ::lstrcpynA(icon.szTip, "Floor window", sizeof icon.szTip);
  ::Shell_NotifyIconA(NIM_ADD, &icon);
#endif
  ::ShowWindow(window, SW_SHOWNORMAL);
  ::UpdateWindow(window);

  MSG message;
  while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
#ifdef TARNWICK_FLOOR
  ::Shell_NotifyIconA(NIM_DELETE, &icon);
#endif
  ::DeleteObject(font);
  return 0;
}
