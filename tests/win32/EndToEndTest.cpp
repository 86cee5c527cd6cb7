// The real tarnwick.exe, started with CreateProcess and driven from outside as a user, a second
// start or an installer would: through its controls and window messages, with its state read
// back from the controls and the registry. Every wait ends by a deadline.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#ifndef TARNWICK_EXE
#error "TARNWICK_EXE must name the program under test"
#endif

namespace {

constexpr char kTitle[] = "Tarnwick v1.0b Personal";
constexpr char kMainClass[] = "TQuillmoor";

// Bounds of every wait. A warm start shows its window in about 0.2 s.
constexpr DWORD kStartWait = 8000;
constexpr DWORD kExitWait = 5000;
constexpr DWORD kStateWait = 3000;
constexpr DWORD kSendWait = 5000;
// The monitoring interval is 5000 ms; the next tick after any moment comes within that.
constexpr DWORD kMonitorInterval = 5000;
constexpr DWORD kTickWait = 12000;

constexpr char kSettingsKey[] = "Software\\Brambleworks\\Tarnwick";
constexpr char kMainKey[] = "Software\\Microsoft\\Internet Explorer\\Main";
constexpr char kZoneKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3";
constexpr char kFlashKey[] =
    "SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\"
    "{D27CDB6E-AE6D-11CF-96B8-444553540000}";
constexpr char kShockwaveKey[] =
    "SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\"
    "{166B1BCA-3F9C-11CF-8075-444553540000}";
constexpr char kExtensionsKey[] = "Software\\Microsoft\\Internet Explorer\\Extensions";
constexpr char kButtonListKey[] = "Software\\VE5Raroz\\ToolBar Buttons";
constexpr const char* kTextSwitches[] = {"Display Inline Videos", "Play_Animations",
                                         "Play_Background_Sounds"};
constexpr const char* kGroups[] = {"Display inline &videos", "Play animated &gifs",
                                   "Background &sounds", "&Macromedia Shockwave && Flash Player",
                                   "Accept &JAVA applets"};
constexpr char kPresets[] = "Global s&ettings";

bool WaitUntil(const std::function<bool()>& done, DWORD limit) {
  const ULONGLONG start = ::GetTickCount64();
  for (;;) {
    if (done()) return true;
    if (::GetTickCount64() - start >= limit) return done();
    ::Sleep(10);
  }
}

// Holds that `still` stays true for the whole of `duration`.
bool StaysFor(const std::function<bool()>& still, DWORD duration) {
  return !WaitUntil([&] { return !still(); }, duration);
}

// The program's path as Windows sees it; CMake hands over the build machine's path.
std::string ProgramPath() {
  std::string path = TARNWICK_EXE;
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

// --- Registry, read and reset directly ---------------------------------------------------------

struct Value {
  DWORD type = REG_NONE;
  std::string data;  // raw bytes
  std::string Text() const { return std::string(data.c_str()); }
  DWORD Dword() const {
    DWORD number = 0;
    std::memcpy(&number, data.data(), std::min<std::size_t>(sizeof number, data.size()));
    return number;
  }
};

class Key {
 public:
  Key(HKEY root, const char* path) {
    if (::RegOpenKeyExA(root, path, 0, KEY_READ, &key_) != ERROR_SUCCESS) key_ = nullptr;
  }
  ~Key() {
    if (key_ != nullptr) ::RegCloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  bool Open() const { return key_ != nullptr; }

  std::optional<Value> Get(const char* name) const {
    if (key_ == nullptr) return std::nullopt;
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExA(key_, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    Value value;
    value.type = type;
    value.data.resize(size);
    if (::RegQueryValueExA(key_, name, nullptr, &type,
                           reinterpret_cast<BYTE*>(value.data.data()), &size) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    value.data.resize(size);
    return value;
  }
  std::vector<std::string> ValueNames() const {
    std::vector<std::string> names;
    for (DWORD i = 0; key_ != nullptr; ++i) {
      char name[16384];
      DWORD length = sizeof name;
      if (::RegEnumValueA(key_, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
          ERROR_SUCCESS) {
        break;
      }
      names.emplace_back(name, length);
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  std::vector<std::string> SubKeys() const {
    std::vector<std::string> names;
    for (DWORD i = 0; key_ != nullptr; ++i) {
      char name[256];
      DWORD length = sizeof name;
      if (::RegEnumKeyExA(key_, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
          ERROR_SUCCESS) {
        break;
      }
      names.emplace_back(name, length);
    }
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  HKEY key_ = nullptr;
};

std::optional<Value> Read(HKEY root, const char* path, const char* name) {
  return Key(root, path).Get(name);
}

bool KeyExists(HKEY root, const char* path) { return Key(root, path).Open(); }

void WriteDword(HKEY root, const char* path, const char* name, DWORD number) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                                             nullptr));
  EXPECT_EQ(ERROR_SUCCESS, ::RegSetValueExA(key, name, 0, REG_DWORD,
                                            reinterpret_cast<const BYTE*>(&number), sizeof number));
  ::RegCloseKey(key);
}

void DeleteValue(HKEY root, const char* path, const char* name) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(root, path, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  ::RegDeleteValueA(key, name);
  ::RegCloseKey(key);
}

void DeleteTree(HKEY root, const char* path) {
  const LSTATUS status = ::RegDeleteTreeA(root, path);
  if (status == ERROR_SUCCESS) ::RegDeleteKeyA(root, path);
}

// The extension keys whose button text is the program title.
std::vector<std::string> ProgramButtons() {
  std::vector<std::string> buttons;
  for (const std::string& id : Key(HKEY_LOCAL_MACHINE, kExtensionsKey).SubKeys()) {
    const std::string path = std::string(kExtensionsKey) + "\\" + id;
    const auto text = Read(HKEY_LOCAL_MACHINE, path.c_str(), "ButtonText");
    if (text && text->Text() == kTitle) buttons.push_back(id);
  }
  return buttons;
}

std::optional<DWORD> Setting(const char* name) {
  const auto value = Read(HKEY_CURRENT_USER, kSettingsKey, name);
  if (!value) return std::nullopt;
  EXPECT_EQ(static_cast<DWORD>(REG_DWORD), value->type) << "setting " << name;
  return value->Dword();
}

std::string Describe(const std::optional<Value>& value) {
  if (!value) return "(missing)";
  switch (value->type) {
    case REG_SZ:
      return "REG_SZ \"" + value->Text() + "\"";
    case REG_DWORD:
      return "REG_DWORD " + std::to_string(value->Dword());
    default:
      return "type " + std::to_string(value->type) + ", " + std::to_string(value->data.size()) +
             " bytes";
  }
}

std::string DescribeKey(HKEY root, const char* path) {
  const Key key(root, path);
  if (!key.Open()) return std::string(path) + ": (missing)\n";
  std::string text = std::string(path) + ":\n";
  for (const std::string& name : key.ValueNames()) {
    text += "  " + name + " = " + Describe(key.Get(name.c_str())) + "\n";
  }
  for (const std::string& sub : key.SubKeys()) text += "  [" + sub + "]\n";
  return text;
}

// Everything of the registry that the program reads or writes, as text to compare.
std::string RegistryState() {
  std::string text = DescribeKey(HKEY_CURRENT_USER, kSettingsKey);
  for (const char* name : kTextSwitches) {
    text += std::string(name) + " = " + Describe(Read(HKEY_CURRENT_USER, kMainKey, name)) + "\n";
  }
  text += "1C00 = " + Describe(Read(HKEY_CURRENT_USER, kZoneKey, "1C00")) + "\n";
  text += DescribeKey(HKEY_LOCAL_MACHINE, kFlashKey);
  text += DescribeKey(HKEY_LOCAL_MACHINE, kShockwaveKey);
  for (const std::string& id : ProgramButtons()) {
    text += DescribeKey(HKEY_LOCAL_MACHINE, (std::string(kExtensionsKey) + "\\" + id).c_str());
  }
  text += "button list: " + Describe(Read(HKEY_LOCAL_MACHINE, kButtonListKey, kTitle)) + "\n";
  return text;
}

// The state of a machine where the program never ran: no settings, no browser switch of ours,
// no toolbar button.
void ResetRegistry() {
  DeleteTree(HKEY_CURRENT_USER, kSettingsKey);
  for (const char* name : kTextSwitches) DeleteValue(HKEY_CURRENT_USER, kMainKey, name);
  DeleteValue(HKEY_CURRENT_USER, kZoneKey, "1C00");
  DeleteTree(HKEY_LOCAL_MACHINE, kFlashKey);
  DeleteTree(HKEY_LOCAL_MACHINE, kShockwaveKey);
  for (const std::string& id : ProgramButtons()) {
    DeleteTree(HKEY_LOCAL_MACHINE, (std::string(kExtensionsKey) + "\\" + id).c_str());
  }
  DeleteValue(HKEY_LOCAL_MACHINE, kButtonListKey, kTitle);
}

// --- Windows of another process ----------------------------------------------------------------

std::string ClassOf(HWND window) {
  char name[256] = {};
  ::GetClassNameA(window, name, sizeof name);
  return name;
}

std::string Narrow(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int size = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(std::max(size, 0)), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size,
                        nullptr, nullptr);
  return text;
}

// Text of another process's window is asked for in UTF-16: Wine 8 hands an ANSI LB_GETTEXT
// across processes back unconverted.
std::string TextOf(HWND window) {
  wchar_t text[1024] = {};
  DWORD_PTR copied = 0;
  if (!::SendMessageTimeoutW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text),
                             SMTO_NORMAL, kSendWait, &copied)) {
    return "(no answer)";
  }
  return Narrow(std::wstring(text, std::min<std::size_t>(copied, std::size(text))));
}

std::vector<HWND> TopLevelWindows(DWORD processId) {
  struct Search {
    DWORD processId;
    std::vector<HWND> found;
  } search{processId, {}};
  ::EnumWindows(
      [](HWND window, LPARAM context) -> BOOL {
        auto* s = reinterpret_cast<Search*>(context);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == s->processId) s->found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

struct Control {
  HWND handle;
  std::string className;
  std::string text;
  LONG style;
  RECT rect;  // screen coordinates
};

std::vector<Control> ControlsOf(HWND window) {
  std::vector<HWND> handles;
  ::EnumChildWindows(
      window,
      [](HWND child, LPARAM context) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(context)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&handles));
  std::vector<Control> controls;
  for (HWND handle : handles) {
    Control control{handle, ClassOf(handle), TextOf(handle),
                    static_cast<LONG>(::GetWindowLongPtrA(handle, GWL_STYLE)), {}};
    ::GetWindowRect(handle, &control.rect);
    controls.push_back(control);
  }
  return controls;
}

bool IsButtonClass(const std::string& name) { return _stricmp(name.c_str(), "Button") == 0; }
bool IsGroupBox(const Control& c) {
  return IsButtonClass(c.className) && (c.style & BS_TYPEMASK) == BS_GROUPBOX;
}
bool IsRadio(const Control& c) {
  const LONG type = c.style & BS_TYPEMASK;
  return IsButtonClass(c.className) && (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON);
}
bool IsPushButton(const Control& c) {
  const LONG type = c.style & BS_TYPEMASK;
  return IsButtonClass(c.className) && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}
bool Inside(const RECT& inner, const RECT& outer) {
  const LONG x = (inner.left + inner.right) / 2;
  const LONG y = (inner.top + inner.bottom) / 2;
  return x >= outer.left && x < outer.right && y >= outer.top && y < outer.bottom;
}

std::string ListControls(HWND window) {
  std::string text;
  for (const Control& c : ControlsOf(window)) {
    text += "  " + c.className + " \"" + c.text + "\"\n";
  }
  return text.empty() ? "  (none)\n" : text;
}

DWORD_PTR SendW(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  const bool answered =
      ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kSendWait, &result) != 0;
  EXPECT_TRUE(answered) << "message 0x" << std::hex << message << " got no answer";
  return result;
}

DWORD_PTR Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  const bool answered =
      ::SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kSendWait, &result) != 0;
  EXPECT_TRUE(answered) << "message 0x" << std::hex << message << " got no answer";
  return result;
}

// --- One started program ------------------------------------------------------------------------

class Program {
 public:
  explicit Program(const std::string& arguments = "") {
    const std::string path = ProgramPath();
    std::string commandLine = "\"" + path + "\"";
    if (!arguments.empty()) commandLine += " " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    started_ = std::chrono::steady_clock::now();
    if (!::CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &process_)) {
      ADD_FAILURE() << "CreateProcess " << commandLine << " failed: " << ::GetLastError();
      process_ = {};
    }
  }
  ~Program() {
    End();
    if (process_.hThread != nullptr) ::CloseHandle(process_.hThread);
    if (process_.hProcess != nullptr) ::CloseHandle(process_.hProcess);
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool Started() const { return process_.hProcess != nullptr; }
  DWORD Id() const { return process_.dwProcessId; }
  bool Running() const {
    return Started() && ::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
  }

  // The exit code once the process has ended within `limit` ms; nothing while it still runs.
  std::optional<DWORD> WaitForExit(DWORD limit = kExitWait) const {
    if (!Started() || ::WaitForSingleObject(process_.hProcess, limit) != WAIT_OBJECT_0) {
      return std::nullopt;
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process_.hProcess, &code);
    return code;
  }

  // The main window once it carries the program title, which is when a second start finds it.
  HWND MainWindow(DWORD limit = kStartWait) {
    if (main_ != nullptr && ::IsWindow(main_)) return main_;
    main_ = nullptr;
    WaitUntil(
        [&] {
          for (HWND window : TopLevelWindows(Id())) {
            if (ClassOf(window) == kMainClass && TextOf(window) == kTitle) main_ = window;
          }
          return main_ != nullptr || !Running();
        },
        limit);
    return main_;
  }
  // The main window once it is visible; empty when it does not show within the limit.
  HWND VisibleMainWindow(DWORD limit = kStartWait) {
    HWND window = MainWindow(limit);
    if (window == nullptr ||
        !WaitUntil([&] { return ::IsWindowVisible(window) != FALSE; }, limit)) {
      return nullptr;
    }
    return window;
  }
  long long MillisecondsSinceStart() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 started_)
        .count();
  }

  // The message boxes the program shows; any of them means that something failed inside.
  std::vector<std::string> MessageBoxes() const {
    std::vector<std::string> boxes;
    for (HWND window : TopLevelWindows(Id())) {
      if (ClassOf(window) != "#32770") continue;
      std::string text = TextOf(window) + ":";
      for (const Control& c : ControlsOf(window)) {
        if (_stricmp(c.className.c_str(), "Static") == 0) text += " " + c.text;
      }
      boxes.push_back(text);
    }
    return boxes;
  }

  // Ends the program as a user does, with its Exit button, and by force only when that fails.
  // The exit code when it ended by itself.
  std::optional<DWORD> End() {
    if (!Started()) return std::nullopt;
    if (!Running()) return WaitForExit(0);
    const std::vector<std::string> boxes = MessageBoxes();
    EXPECT_TRUE(boxes.empty()) << "the program shows: " << boxes.front();
    if (HWND main = MainWindow(0)) {
      for (const Control& c : ControlsOf(main)) {
        if (IsPushButton(c) && c.text == "E&xit") {
          ::PostMessageA(c.handle, BM_CLICK, 0, 0);
          if (auto code = WaitForExit(kExitWait)) return code;
          break;
        }
      }
    }
    ADD_FAILURE() << "process " << Id() << " did not end by its Exit button; terminating it";
    ::TerminateProcess(process_.hProcess, 99);
    ::WaitForSingleObject(process_.hProcess, kExitWait);
    return std::nullopt;
  }

 private:
  PROCESS_INFORMATION process_{};
  std::chrono::steady_clock::time_point started_;
  HWND main_ = nullptr;
};

// Runs the program with `arguments` to its end; its exit code, or nothing if it did not end.
std::optional<DWORD> RunToEnd(const std::string& arguments) {
  Program program(arguments);
  auto code = program.WaitForExit();
  EXPECT_TRUE(code.has_value()) << "\"" << arguments << "\" did not end by itself";
  return code;
}

// The main window's controls, found by class, caption and place, as a user sees them.
class Window {
 public:
  explicit Window(HWND handle) : handle_(handle) {}
  bool Visible() const { return ::IsWindowVisible(handle_) != FALSE; }

  HWND FindButton(const std::string& caption) const {
    for (const Control& c : ControlsOf(handle_)) {
      if (IsPushButton(c) && c.text == caption) return c.handle;
    }
    return nullptr;
  }
  HWND Button(const std::string& caption) const {
    HWND button = FindButton(caption);
    if (button == nullptr) {
      ADD_FAILURE() << "no push button \"" << caption << "\" among:\n" << ListControls(handle_);
    }
    return button;
  }
  // For a caption that a posted message changes.
  bool ButtonAppears(const std::string& caption) const {
    return WaitUntil([&] { return FindButton(caption) != nullptr; }, kStateWait) ||
           Button(caption) != nullptr;
  }
  std::string Caption(HWND control) const { return control ? TextOf(control) : "(no control)"; }

  // The radio buttons of the group box titled `group`, in their order on screen.
  std::vector<Control> Radios(const std::string& group) const {
    const std::vector<Control> controls = ControlsOf(handle_);
    auto box = std::find_if(controls.begin(), controls.end(),
                            [&](const Control& c) { return IsGroupBox(c) && c.text == group; });
    if (box == controls.end()) {
      ADD_FAILURE() << "no group box \"" << group << "\" among:\n" << ListControls(handle_);
      return {};
    }
    std::vector<Control> radios;
    for (const Control& c : controls) {
      if (IsRadio(c) && Inside(c.rect, box->rect)) radios.push_back(c);
    }
    std::sort(radios.begin(), radios.end(), [](const Control& a, const Control& b) {
      return a.rect.top != b.rect.top ? a.rect.top < b.rect.top : a.rect.left < b.rect.left;
    });
    return radios;
  }
  HWND Radio(const std::string& group, const std::string& item) const {
    for (const Control& c : Radios(group)) {
      if (c.text == item) return c.handle;
    }
    ADD_FAILURE() << "no radio button \"" << item << "\" in \"" << group << "\"";
    return nullptr;
  }
  // The caption of the group's checked item, "" when none is checked.
  std::string Choice(const std::string& group) const {
    std::string checked;
    for (const Control& c : Radios(group)) {
      if (Send(c.handle, BM_GETCHECK) == BST_CHECKED) checked += (checked.empty() ? "" : "+") + c.text;
    }
    return checked;
  }
  std::vector<std::string> Choices() const {
    std::vector<std::string> choices;
    for (const char* group : kGroups) choices.push_back(Choice(group));
    return choices;
  }

  std::vector<std::string> Log() const {
    for (const Control& c : ControlsOf(handle_)) {
      if (_stricmp(c.className.c_str(), "ListBox") != 0) continue;
      std::vector<std::string> lines;
      const auto count = static_cast<LRESULT>(Send(c.handle, LB_GETCOUNT));
      for (LRESULT i = 0; i < count; ++i) {
        const auto length = static_cast<LRESULT>(SendW(c.handle, LB_GETTEXTLEN, i));
        std::wstring line(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
        SendW(c.handle, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()));
        lines.push_back(Narrow(line.c_str()));
      }
      return lines;
    }
    ADD_FAILURE() << "no list box among:\n" << ListControls(handle_);
    return {};
  }

  // BM_CLICK runs the whole click, handlers included, before it returns.
  void Click(HWND control) const {
    ASSERT_NE(nullptr, control);
    Send(control, BM_CLICK);
  }

 private:
  HWND handle_;
};

struct TrayIcon {
  HWND window;
  UINT id;
};

// The program's icon in the notification area, found by asking the shell to change nothing about
// it: NIM_MODIFY succeeds only for an icon that is there. Our icons belong to our hidden windows.
std::optional<TrayIcon> FindTrayIcon(DWORD processId) {
  for (HWND window : TopLevelWindows(processId)) {
    if (ClassOf(window) != "TMessageWindow") continue;
    for (UINT id = 0; id < 16; ++id) {
      NOTIFYICONDATAA probe = {};
      probe.cbSize = sizeof probe;
      probe.hWnd = window;
      probe.uID = id;
      if (::Shell_NotifyIconA(NIM_MODIFY, &probe)) return TrayIcon{window, id};
    }
  }
  return std::nullopt;
}

// Clicks the icon as the shell does: its callback message to the icon's window.
bool ClickTrayIcon(DWORD processId) {
  constexpr UINT kTrayCallback = 0x0800;
  const auto icon = FindTrayIcon(processId);
  if (!icon) return false;
  ::PostMessageA(icon->window, kTrayCallback, icon->id, WM_LBUTTONDOWN);
  ::PostMessageA(icon->window, kTrayCallback, icon->id, WM_LBUTTONUP);
  return true;
}

// Instances left behind by a test that failed would answer the next test's second start.
void EndStrayInstances() {
  for (int attempt = 0; attempt < 10; ++attempt) {
    HWND stray = ::FindWindowA(kMainClass, nullptr);
    if (stray == nullptr) return;
    DWORD id = 0;
    ::GetWindowThreadProcessId(stray, &id);
    HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (process == nullptr) return;
    std::printf("ending a stray instance, process %lu\n", static_cast<unsigned long>(id));
    ::TerminateProcess(process, 98);
    ::WaitForSingleObject(process, kExitWait);
    ::CloseHandle(process);
  }
}

bool HasText(HKEY root, const char* path, const char* name, const char* text) {
  const auto value = Read(root, path, name);
  return value && value->type == REG_SZ && value->Text() == text;
}
bool HasDword(HKEY root, const char* path, const char* name, DWORD number) {
  const auto value = Read(root, path, name);
  return value && value->type == REG_DWORD && value->data.size() == 4 && value->Dword() == number;
}
bool HasSetting(const char* name, DWORD number) {
  return HasDword(HKEY_CURRENT_USER, kSettingsKey, name, number);
}

// Every ban of the five kinds, as "No to all" and monitoring write them.
bool AllBansWritten() {
  for (const char* name : kTextSwitches) {
    if (!HasText(HKEY_CURRENT_USER, kMainKey, name, "No")) return false;
  }
  return HasDword(HKEY_LOCAL_MACHINE, kFlashKey, "Compatibility Flags", 0x400) &&
         HasDword(HKEY_LOCAL_MACHINE, kShockwaveKey, "Compatibility Flags", 0x400) &&
         HasDword(HKEY_CURRENT_USER, kZoneKey, "1C00", 0);
}
// The bans of the kinds whose choice is "No" by default: 1, 4 and 5.
bool DefaultBansWritten() {
  return HasText(HKEY_CURRENT_USER, kMainKey, "Display Inline Videos", "No") &&
         HasDword(HKEY_LOCAL_MACHINE, kFlashKey, "Compatibility Flags", 0x400) &&
         HasDword(HKEY_LOCAL_MACHINE, kShockwaveKey, "Compatibility Flags", 0x400) &&
         HasDword(HKEY_CURRENT_USER, kZoneKey, "1C00", 0);
}
void DeleteDefaultBans() {
  DeleteValue(HKEY_CURRENT_USER, kMainKey, "Display Inline Videos");
  DeleteValue(HKEY_LOCAL_MACHINE, kFlashKey, "Compatibility Flags");
  DeleteValue(HKEY_LOCAL_MACHINE, kShockwaveKey, "Compatibility Flags");
  DeleteValue(HKEY_CURRENT_USER, kZoneKey, "1C00");
}
bool NoDefaultBanLeft() {
  return !Read(HKEY_CURRENT_USER, kMainKey, "Display Inline Videos") &&
         !Read(HKEY_LOCAL_MACHINE, kFlashKey, "Compatibility Flags") &&
         !Read(HKEY_LOCAL_MACHINE, kShockwaveKey, "Compatibility Flags") &&
         !Read(HKEY_CURRENT_USER, kZoneKey, "1C00");
}

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    // Wine starts the desktop, and with it the taskbar, for the first process that asks for it.
    ::GetDesktopWindow();
    ASSERT_TRUE(WaitUntil([] { return ::FindWindowA("Shell_TrayWnd", nullptr) != nullptr; },
                          kStartWait))
        << "no notification area";
    EndStrayInstances();
    ResetRegistry();
  }
  void TearDown() override { ResetRegistry(); }
};

const std::vector<std::string> kStartLog = {"* Reading settings...", "* Done.",
                                            "* Applying settings...", "* Done..."};
const std::vector<std::string> kDefaultChoices = {"No", "Yes", "Yes", "No", "No"};

// ---------------------------------------------------------------------------------------------
// Start, choices and presets

TEST_F(EndToEnd, FirstStartLogsItsStartCountsItAndWritesNoBrowserSwitch) {
  Program program;
  HWND main = program.VisibleMainWindow();
  ASSERT_NE(nullptr, main) << "no visible main window after " << program.MillisecondsSinceStart()
                           << " ms";
  std::printf("main window visible %lld ms after CreateProcess\n", program.MillisecondsSinceStart());
  Window window(main);

  EXPECT_EQ(kStartLog, window.Log());
  EXPECT_EQ(kDefaultChoices, window.Choices());
  EXPECT_EQ("", window.Choice(kPresets));
  EXPECT_NE(nullptr, window.Button("E&xit"));
  EXPECT_NE(nullptr, window.Button("H&ide"));
  EXPECT_NE(nullptr, window.Button("M&onitor"));

  // Only the launch counter is stored; no browser switch and no toolbar button.
  EXPECT_EQ(std::vector<std::string>{"Ypos"}, Key(HKEY_CURRENT_USER, kSettingsKey).ValueNames());
  EXPECT_EQ(std::optional<DWORD>(0), Setting("Ypos"));
  for (const char* name : kTextSwitches) {
    EXPECT_FALSE(Read(HKEY_CURRENT_USER, kMainKey, name)) << name;
  }
  EXPECT_FALSE(Read(HKEY_CURRENT_USER, kZoneKey, "1C00"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kFlashKey));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kShockwaveKey));
  EXPECT_TRUE(ProgramButtons().empty());

  EXPECT_EQ(std::optional<DWORD>(0), program.End());
}

TEST_F(EndToEnd, StoredChoicesAreShownAndWrittenAtStartAndTheStartIsCounted) {
  WriteDword(HKEY_CURRENT_USER, kSettingsKey, "1", 0);  // differs from the design: written
  WriteDword(HKEY_CURRENT_USER, kSettingsKey, "2", 1);  // differs: written
  WriteDword(HKEY_CURRENT_USER, kSettingsKey, "4", 1);  // as designed: nothing written
  WriteDword(HKEY_CURRENT_USER, kSettingsKey, "Ypos", 7);
  Program program;
  HWND main = program.VisibleMainWindow();
  ASSERT_NE(nullptr, main);
  Window window(main);

  EXPECT_EQ((std::vector<std::string>{"Yes", "No", "Yes", "No", "No"}), window.Choices());
  EXPECT_TRUE(HasText(HKEY_CURRENT_USER, kMainKey, "Display Inline Videos", "Yes"));
  EXPECT_TRUE(HasText(HKEY_CURRENT_USER, kMainKey, "Play_Animations", "No"));
  EXPECT_FALSE(Read(HKEY_CURRENT_USER, kMainKey, "Play_Background_Sounds"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kFlashKey));
  EXPECT_FALSE(Read(HKEY_CURRENT_USER, kZoneKey, "1C00"));
  EXPECT_TRUE(HasSetting("Ypos", 8));
  EXPECT_EQ(kStartLog, window.Log());
}

TEST_F(EndToEnd, ChoosingAnItemStoresTheChoiceAndWritesItsBrowserSwitch) {
  Program program;
  HWND main = program.VisibleMainWindow();
  ASSERT_NE(nullptr, main);
  Window window(main);

  window.Click(window.Radio("Play animated &gifs", "No"));
  EXPECT_TRUE(WaitUntil([] { return HasText(HKEY_CURRENT_USER, kMainKey, "Play_Animations", "No"); },
                        kStateWait))
      << RegistryState();
  EXPECT_TRUE(HasSetting("2", 1));
  EXPECT_EQ("No", window.Choice("Play animated &gifs"));
  // The other kinds keep their switches untouched.
  EXPECT_FALSE(Read(HKEY_CURRENT_USER, kMainKey, "Display Inline Videos"));
  EXPECT_FALSE(Read(HKEY_CURRENT_USER, kMainKey, "Play_Background_Sounds"));
  EXPECT_FALSE(Setting("3"));

  window.Click(window.Radio("Play animated &gifs", "Yes"));
  EXPECT_TRUE(WaitUntil(
      [] { return HasText(HKEY_CURRENT_USER, kMainKey, "Play_Animations", "Yes"); }, kStateWait));
  EXPECT_TRUE(HasSetting("2", 0));

  // Kind 4 lives under HKEY_LOCAL_MACHINE: "Yes" removes both class keys with all they hold.
  WriteDword(HKEY_LOCAL_MACHINE, kFlashKey, "Other", 5);
  window.Click(window.Radio("&Macromedia Shockwave && Flash Player", "Yes"));
  EXPECT_TRUE(WaitUntil([] { return !KeyExists(HKEY_LOCAL_MACHINE, kFlashKey); }, kStateWait));
  EXPECT_TRUE(HasSetting("4", 0));
  window.Click(window.Radio("&Macromedia Shockwave && Flash Player", "No"));
  EXPECT_TRUE(WaitUntil(
      [] { return HasDword(HKEY_LOCAL_MACHINE, kShockwaveKey, "Compatibility Flags", 0x400); },
      kStateWait));
  EXPECT_EQ(std::vector<std::string>{"Compatibility Flags"},
            Key(HKEY_LOCAL_MACHINE, kFlashKey).ValueNames());
  EXPECT_TRUE(HasSetting("4", 1));
  EXPECT_EQ(kStartLog, window.Log());
}

TEST_F(EndToEnd, PresetsSetEveryChoiceAndNoToAllWritesEveryBan) {
  Program program;
  HWND main = program.VisibleMainWindow();
  ASSERT_NE(nullptr, main);
  Window window(main);

  // From the defaults "No to all" changes kinds 2 and 3 only; the others are stored again.
  window.Click(window.Radio(kPresets, "No to all"));
  EXPECT_TRUE(WaitUntil([] { return HasSetting("5", 1); }, kStateWait)) << RegistryState();
  for (const char* name : {"1", "2", "3", "4", "5"}) EXPECT_TRUE(HasSetting(name, 1)) << name;
  EXPECT_TRUE(HasText(HKEY_CURRENT_USER, kMainKey, "Play_Animations", "No"));
  EXPECT_TRUE(HasText(HKEY_CURRENT_USER, kMainKey, "Play_Background_Sounds", "No"));
  EXPECT_FALSE(Read(HKEY_CURRENT_USER, kMainKey, "Display Inline Videos"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kFlashKey));
  EXPECT_EQ("No to all", window.Choice(kPresets));

  WriteDword(HKEY_LOCAL_MACHINE, kFlashKey, "Other", 5);
  window.Click(window.Radio(kPresets, "Yes to all"));
  EXPECT_TRUE(WaitUntil([] { return HasSetting("5", 0); }, kStateWait)) << RegistryState();
  for (const char* name : kTextSwitches) {
    EXPECT_TRUE(HasText(HKEY_CURRENT_USER, kMainKey, name, "Yes")) << name;
  }
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kFlashKey));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kShockwaveKey));
  EXPECT_TRUE(HasDword(HKEY_CURRENT_USER, kZoneKey, "1C00", 0x10000));
  EXPECT_EQ((std::vector<std::string>(5, "Yes")), window.Choices());

  window.Click(window.Radio(kPresets, "No to all"));
  EXPECT_TRUE(WaitUntil(AllBansWritten, kStateWait)) << RegistryState();
  for (const char* name : {"1", "2", "3", "4", "5"}) EXPECT_TRUE(HasSetting(name, 1)) << name;
  EXPECT_EQ((std::vector<std::string>(5, "No")), window.Choices());
  EXPECT_EQ("No to all", window.Choice(kPresets));

  window.Click(window.Radio(kPresets, "Defaults"));
  EXPECT_TRUE(WaitUntil([] { return HasSetting("2", 0); }, kStateWait)) << RegistryState();
  EXPECT_EQ(kDefaultChoices, window.Choices());
  EXPECT_TRUE(HasText(HKEY_CURRENT_USER, kMainKey, "Play_Animations", "Yes"));
  EXPECT_TRUE(HasText(HKEY_CURRENT_USER, kMainKey, "Display Inline Videos", "No"));
}

// ---------------------------------------------------------------------------------------------
// Monitoring

TEST_F(EndToEnd, MonitoringWritesDeletedBansAgainAtItsNextTickUntilItStops) {
  Program program;
  HWND main = program.VisibleMainWindow();
  ASSERT_NE(nullptr, main);
  Window window(main);
  HWND monitor = window.Button("M&onitor");
  ASSERT_NE(nullptr, monitor);

  // The press itself writes the bans of the kinds chosen "No" (1, 4, 5 by default) at once.
  window.Click(monitor);
  EXPECT_EQ("Stop m&onitor", window.Caption(monitor));
  EXPECT_TRUE(WaitUntil(DefaultBansWritten, kStateWait)) << RegistryState();
  EXPECT_FALSE(Read(HKEY_CURRENT_USER, kMainKey, "Play_Animations"));

  // Someone else switches them on again; the next tick puts the bans back.
  DeleteDefaultBans();
  const auto deleted = std::chrono::steady_clock::now();
  EXPECT_TRUE(WaitUntil(DefaultBansWritten, kTickWait)) << RegistryState();
  std::printf("bans written again %lld ms after they were deleted\n",
              static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                         std::chrono::steady_clock::now() - deleted)
                                         .count()));
  EXPECT_FALSE(Read(HKEY_CURRENT_USER, kMainKey, "Play_Animations")) << "an allowed kind was written";

  // Stopping runs one more pass, and then no tick writes anything.
  window.Click(monitor);
  EXPECT_EQ("M&onitor", window.Caption(monitor));
  EXPECT_TRUE(WaitUntil(DefaultBansWritten, kStateWait));
  DeleteDefaultBans();
  EXPECT_TRUE(StaysFor(NoDefaultBanLeft, kMonitorInterval + 1000)) << RegistryState();

  std::vector<std::string> log = kStartLog;
  log.push_back("* Start monitoring...");
  log.push_back("* Stop monitoring...");
  EXPECT_EQ(log, window.Log());
  EXPECT_EQ(std::optional<DWORD>(0), program.End());
}

TEST_F(EndToEnd, BanAtStartStartsMonitoringBeforeTheChoicesAreApplied) {
  WriteDword(HKEY_CURRENT_USER, kSettingsKey, "102", 1);
  Program program;
  HWND main = program.VisibleMainWindow();
  ASSERT_NE(nullptr, main);
  Window window(main);
  EXPECT_TRUE(DefaultBansWritten()) << RegistryState();
  EXPECT_EQ((std::vector<std::string>{"* Reading settings...", "* Start monitoring...", "* Done.",
                                      "* Applying settings...", "* Done..."}),
            window.Log());
  EXPECT_EQ("Stop m&onitor", window.Caption(window.Button("Stop m&onitor")));
}

// ---------------------------------------------------------------------------------------------
// Hiding, a second start, closing

TEST_F(EndToEnd, HideButtonHidesToTheTrayAndTheTrayIconRestores) {
  Program program;
  HWND main = program.VisibleMainWindow();
  ASSERT_NE(nullptr, main);
  Window window(main);

  window.Click(window.Button("H&ide"));
  EXPECT_TRUE(WaitUntil([&] { return !window.Visible(); }, kStateWait));
  EXPECT_TRUE(HasSetting("i", 1)) << "the balloon was not recorded as shown";
  EXPECT_NE(nullptr, window.Button("Restore"));

  EXPECT_TRUE(ClickTrayIcon(program.Id())) << "no icon in the notification area";
  EXPECT_TRUE(WaitUntil([&] { return window.Visible(); }, kStateWait));
  EXPECT_TRUE(window.ButtonAppears("H&ide"));
  EXPECT_TRUE(program.Running());
  EXPECT_EQ(std::optional<DWORD>(0), program.End());
}

TEST_F(EndToEnd, SecondStartHidesTheRunningWindowAndAThirdRestoresIt) {
  Program first;
  HWND main = first.VisibleMainWindow();
  ASSERT_NE(nullptr, main);
  Window window(main);

  EXPECT_EQ(std::optional<DWORD>(0), RunToEnd(""));
  EXPECT_TRUE(WaitUntil([&] { return !window.Visible(); }, kStateWait))
      << "the second start did not hide the running window";
  EXPECT_TRUE(first.Running());
  EXPECT_TRUE(window.ButtonAppears("Restore"));

  EXPECT_EQ(std::optional<DWORD>(0), RunToEnd(""));
  EXPECT_TRUE(WaitUntil([&] { return window.Visible(); }, kStateWait))
      << "the third start did not restore the running window";
  EXPECT_TRUE(window.ButtonAppears("H&ide"));
  EXPECT_TRUE(first.Running());

  // Hand-overs are not counted and make no window of their own.
  EXPECT_TRUE(HasSetting("Ypos", 0));
  EXPECT_EQ(kStartLog, window.Log());
  EXPECT_EQ(std::optional<DWORD>(0), first.End());
}

TEST_F(EndToEnd, ClosingEndsTheProgramByDefault) {
  Program program;
  HWND main = program.VisibleMainWindow();
  ASSERT_NE(nullptr, main);
  ::PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(std::optional<DWORD>(0), program.WaitForExit());
}

TEST_F(EndToEnd, WithExitOnCloseOffClosingHidesAndExitStillEnds) {
  WriteDword(HKEY_CURRENT_USER, kSettingsKey, "103", 0);
  Program program;
  HWND main = program.VisibleMainWindow();
  ASSERT_NE(nullptr, main);
  Window window(main);

  ::PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return !window.Visible(); }, kStateWait));
  EXPECT_TRUE(StaysFor([&] { return program.Running(); }, 300));
  EXPECT_NE(nullptr, window.Button("H&ide")) << "a refused close must leave the caption";

  EXPECT_TRUE(ClickTrayIcon(program.Id()));
  ASSERT_TRUE(WaitUntil([&] { return window.Visible(); }, kStateWait));
  ::PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(WaitUntil([&] { return !window.Visible(); }, kStateWait));
  EXPECT_TRUE(StaysFor([&] { return program.Running(); }, 300));

  // Exit works also while the window is hidden.
  window.Click(window.Button("E&xit"));
  EXPECT_EQ(std::optional<DWORD>(0), program.WaitForExit());
  EXPECT_FALSE(HasSetting("i", 1)) << "closing showed the balloon";
}

TEST_F(EndToEnd, StartMinimizedShowsOnlyTheTrayIcon) {
  WriteDword(HKEY_CURRENT_USER, kSettingsKey, "101", 1);
  Program program;
  HWND main = program.MainWindow();
  ASSERT_NE(nullptr, main) << "no main window titled \"" << kTitle << "\"";
  Window window(main);
  EXPECT_TRUE(WaitUntil([&] { return FindTrayIcon(program.Id()).has_value(); }, kStateWait))
      << "no icon in the notification area";
  EXPECT_TRUE(StaysFor([&] { return !window.Visible(); }, 1000));
  EXPECT_TRUE(program.Running());

  // Hidden at start, the Hide command still reads "H&ide", and the icon restores the window.
  EXPECT_NE(nullptr, window.Button("H&ide"));
  EXPECT_TRUE(ClickTrayIcon(program.Id()));
  EXPECT_TRUE(WaitUntil([&] { return window.Visible(); }, kStateWait));
  EXPECT_EQ(kStartLog, window.Log());
  EXPECT_EQ(std::optional<DWORD>(0), program.End());
}

// ---------------------------------------------------------------------------------------------
// The command line

TEST_F(EndToEnd, RegisterWritesOneToolbarButtonAndEndsTheRunningInstance) {
  WriteDword(HKEY_CURRENT_USER, kSettingsKey, "103", 0);  // the quit must pass the close rule
  Program running;
  ASSERT_NE(nullptr, running.VisibleMainWindow());

  EXPECT_EQ(std::optional<DWORD>(0), RunToEnd("Register"));
  EXPECT_EQ(std::optional<DWORD>(0), running.WaitForExit()) << "the running instance went on";

  const std::vector<std::string> buttons = ProgramButtons();
  ASSERT_EQ(1u, buttons.size()) << RegistryState();
  const std::string id = buttons.front();
  const std::string key = std::string(kExtensionsKey) + "\\" + id;
  const std::string path = ProgramPath();
  const auto expect = [&](const char* name, const std::string& data) {
    const auto value = Read(HKEY_LOCAL_MACHINE, key.c_str(), name);
    ASSERT_TRUE(value) << name;
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), value->type) << name;
    EXPECT_EQ(0, _stricmp(data.c_str(), value->Text().c_str()))
        << name << ": " << value->Text() << " instead of " << data;
  };
  expect("Default Visible", "Yes");
  expect("ButtonText", kTitle);
  expect("HotIcon", path + ",1000");
  expect("Icon", path + ",1001");
  expect("CLSID", "{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}");
  expect("Exec", path);
  const auto listed = Read(HKEY_LOCAL_MACHINE, kButtonListKey, kTitle);
  ASSERT_TRUE(listed);
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), listed->type);
  EXPECT_EQ(id, listed->Text());

  // A second registration replaces the button with a new one.
  EXPECT_EQ(std::optional<DWORD>(0), RunToEnd("Register"));
  const std::vector<std::string> again = ProgramButtons();
  ASSERT_EQ(1u, again.size()) << RegistryState();
  EXPECT_NE(id, again.front());
  EXPECT_EQ(again.front(), Read(HKEY_LOCAL_MACHINE, kButtonListKey, kTitle)->Text());
}

TEST_F(EndToEnd, UnregisterRemovesTheButtonAndEndsTheRunningInstance) {
  EXPECT_EQ(std::optional<DWORD>(0), RunToEnd("Register"));
  ASSERT_EQ(1u, ProgramButtons().size());
  Program running;
  ASSERT_NE(nullptr, running.VisibleMainWindow());

  EXPECT_EQ(std::optional<DWORD>(0), RunToEnd("Unregister"));
  EXPECT_EQ(std::optional<DWORD>(0), running.WaitForExit()) << "the running instance went on";
  EXPECT_TRUE(ProgramButtons().empty()) << RegistryState();
  EXPECT_FALSE(Read(HKEY_LOCAL_MACHINE, kButtonListKey, kTitle));

  // With nothing left to remove it is no error.
  EXPECT_EQ(std::optional<DWORD>(0), RunToEnd("Unregister"));
}

TEST_F(EndToEnd, AnyOtherArgumentEndsTheStartAndChangesNothing) {
  const char* const others[] = {"register", "/Register", "Register2", "UNREGISTER", "-Unregister"};
  // With no instance running: no start happens, so not even the settings key is made.
  for (const char* argument : others) {
    const std::string before = RegistryState();
    EXPECT_EQ(std::optional<DWORD>(0), RunToEnd(argument)) << argument;
    EXPECT_EQ(before, RegistryState()) << argument;
    EXPECT_EQ(nullptr, ::FindWindowA(kMainClass, nullptr)) << argument;
  }
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettingsKey));

  // A running instance gets no message: it stays visible and running.
  Program running;
  HWND main = running.VisibleMainWindow();
  ASSERT_NE(nullptr, main);
  const std::string before = RegistryState();
  for (const char* argument : others) {
    EXPECT_EQ(std::optional<DWORD>(0), RunToEnd(argument)) << argument;
  }
  EXPECT_TRUE(StaysFor([&] { return running.Running() && ::IsWindowVisible(main); }, 500));
  EXPECT_EQ(before, RegistryState());
  EXPECT_EQ(std::optional<DWORD>(0), running.End());
}

// ---------------------------------------------------------------------------------------------
// Starts that overlap

TEST_F(EndToEnd, RegisterRunsAtTheSameTimeBothSucceedAndLeaveOneButton) {
  for (int round = 0; round < 3; ++round) {
    Program a("Register");
    Program b("Register");
    EXPECT_EQ(std::optional<DWORD>(0), a.WaitForExit()) << "round " << round;
    EXPECT_EQ(std::optional<DWORD>(0), b.WaitForExit()) << "round " << round;
    const std::vector<std::string> buttons = ProgramButtons();
    ASSERT_EQ(1u, buttons.size()) << "round " << round << "\n" << RegistryState();
    const auto listed = Read(HKEY_LOCAL_MACHINE, kButtonListKey, kTitle);
    ASSERT_TRUE(listed);
    EXPECT_EQ(buttons.front(), listed->Text());
  }
}

TEST_F(EndToEnd, SecondStartWhileTheFirstIsStartingCrashesNeither) {
  Program first;
  Program second;
  // Each either handed over and ended, or runs with its own window.
  for (Program* program : {&first, &second}) {
    EXPECT_TRUE(WaitUntil([&] { return !program->Running() || program->MainWindow(0); },
                          kStartWait));
    if (!program->Running()) {
      EXPECT_EQ(std::optional<DWORD>(0), program->WaitForExit(0));
    }
  }
  EXPECT_TRUE(first.Running() || second.Running());
  std::printf("%s\n", first.Running() && second.Running()
                          ? "both run: the second start came before the first had its title"
                          : "one runs: the second start handed over");
  for (Program* program : {&first, &second}) {
    EXPECT_TRUE(program->MessageBoxes().empty());
    EXPECT_EQ(std::optional<DWORD>(0), program->End());
  }
  EXPECT_EQ(nullptr, ::FindWindowA(kMainClass, nullptr));
}

}  // namespace
