#include "tests/win32/support/ProgramDriver.h"

#include <ole2.h>
#include <oleacc.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "ui/win32/Accessible.h"  // the reader's interface identifier

#ifndef TARNWICK_EXE
#error "TARNWICK_EXE must name the program under test"
#endif

namespace tarnwick::test {
namespace {

constexpr char kTrayWindowClass[] = "TMessageWindow";
constexpr UINT kTrayCallback = 0x0800;

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

std::string DescribeKey(HKEY root, const char* path, REGSAM view = 0) {
  const Key key(root, path, view);
  if (!key.Open()) return std::string(path) + ": (missing)\n";
  std::string text = std::string(path) + ":\n";
  for (const std::string& name : key.ValueNames()) {
    text += "  " + name + " = " + Describe(key.Get(name.c_str())) + "\n";
  }
  for (const std::string& sub : key.SubKeys()) text += "  [" + sub + "]\n";
  return text;
}

// The reader's string as text of this code page; the string is freed.
std::string Narrow(HRESULT result, BSTR text) {
  std::string narrow;
  if (SUCCEEDED(result) && text != nullptr) {
    const int length = static_cast<int>(::SysStringLen(text));
    narrow.resize(static_cast<std::size_t>(
        ::WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr)));
    ::WideCharToMultiByte(CP_ACP, 0, text, length, narrow.data(), static_cast<int>(narrow.size()),
                          nullptr, nullptr);
  }
  ::SysFreeString(text);
  return narrow;
}

long Number(HRESULT result, VARIANT& number) {
  const long value = SUCCEEDED(result) && number.vt == VT_I4 ? number.lVal : 0;
  ::VariantClear(&number);
  return value;
}

bool IsButtonClass(const std::string& name) { return SameClass(name, "Button"); }

// The answer to a message sent through `send` (the A or W SendMessageTimeout); a message left
// unanswered for kSendWait fails the test.
template <typename SendTimeout>
DWORD_PTR Answer(SendTimeout send, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  const bool answered =
      send(window, message, wParam, lParam, SMTO_NORMAL, kSendWait, &result) != 0;
  EXPECT_TRUE(answered) << "message 0x" << std::hex << message << " got no answer";
  return result;
}

}  // namespace

std::string ProgramPath() { return WindowsPath(TARNWICK_EXE); }

// --- The registry ------------------------------------------------------------------------------

DWORD Value::Dword() const {
  DWORD number = 0;
  std::memcpy(&number, data.data(), std::min<std::size_t>(sizeof number, data.size()));
  return number;
}

std::vector<REGSAM> MachineViews() {
  SYSTEM_INFO info = {};
  ::GetNativeSystemInfo(&info);
  if (info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_INTEL) return {0};
  return {KEY_WOW64_64KEY, KEY_WOW64_32KEY};
}

Key::Key(HKEY root, const char* path, REGSAM view) {
  if (::RegOpenKeyExA(root, path, 0, KEY_READ | view, &key_) != ERROR_SUCCESS) key_ = nullptr;
}

Key::~Key() {
  if (key_ != nullptr) ::RegCloseKey(key_);
}

std::optional<Value> Key::Get(const char* name) const {
  if (key_ == nullptr) return std::nullopt;
  DWORD type = 0;
  DWORD size = 0;
  if (::RegQueryValueExA(key_, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  Value value;
  value.type = type;
  value.data.resize(size);
  if (::RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(value.data.data()),
                         &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  value.data.resize(size);
  return value;
}

std::vector<std::string> Key::ValueNames() const {
  return Names(16384, [&](DWORD index, char* name, DWORD* length) {
    return ::RegEnumValueA(key_, index, name, length, nullptr, nullptr, nullptr, nullptr);
  });
}

std::vector<std::string> Key::SubKeys() const {
  return Names(256, [&](DWORD index, char* name, DWORD* length) {
    return ::RegEnumKeyExA(key_, index, name, length, nullptr, nullptr, nullptr, nullptr);
  });
}

std::vector<std::string> Key::Names(
    DWORD capacity, const std::function<LSTATUS(DWORD, char*, DWORD*)>& enumerate) const {
  std::vector<std::string> names;
  std::string name(capacity, '\0');
  for (DWORD i = 0; key_ != nullptr; ++i) {
    DWORD length = capacity;
    if (enumerate(i, name.data(), &length) != ERROR_SUCCESS) break;
    names.emplace_back(name.data(), length);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::optional<Value> Read(HKEY root, const char* path, const char* name, REGSAM view) {
  return Key(root, path, view).Get(name);
}

std::optional<std::string> ReadText(HKEY root, const char* path, const char* name, REGSAM view) {
  const auto value = Read(root, path, name, view);
  if (!value || value->type != REG_SZ) return std::nullopt;
  return value->Text();
}

std::optional<DWORD> ReadDword(HKEY root, const char* path, const char* name, REGSAM view) {
  const auto value = Read(root, path, name, view);
  if (!value || value->type != REG_DWORD || value->data.size() != sizeof(DWORD)) {
    return std::nullopt;
  }
  return value->Dword();
}

bool KeyExists(HKEY root, const char* path, REGSAM view) { return Key(root, path, view).Open(); }

void WriteDword(HKEY root, const char* path, const char* name, DWORD number, REGSAM view) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_WRITE | view, nullptr,
                                             &key, nullptr));
  EXPECT_EQ(ERROR_SUCCESS, ::RegSetValueExA(key, name, 0, REG_DWORD,
                                            reinterpret_cast<const BYTE*>(&number), sizeof number));
  ::RegCloseKey(key);
}

void DeleteValue(HKEY root, const char* path, const char* name, REGSAM view) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(root, path, 0, KEY_SET_VALUE | view, &key) != ERROR_SUCCESS) return;
  ::RegDeleteValueA(key, name);
  ::RegCloseKey(key);
}

// What lies below the key goes through a handle in the view; the key itself by name in it.
void DeleteTree(HKEY root, const char* path, REGSAM view) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(root, path, 0, KEY_ALL_ACCESS | view, &key) != ERROR_SUCCESS) return;
  ::RegDeleteTreeA(key, nullptr);
  ::RegCloseKey(key);
  ::RegDeleteKeyExA(root, path, view, 0);
}

bool InEveryView(const std::function<bool(REGSAM view)>& holds) {
  for (const REGSAM view : MachineViews()) {
    if (!holds(view)) return false;
  }
  return true;
}

bool HasText(HKEY root, const char* path, const char* name, const char* text) {
  return ReadText(root, path, name) == std::optional<std::string>(text);
}

bool HasDword(HKEY root, const char* path, const char* name, DWORD number, REGSAM view) {
  return ReadDword(root, path, name, view) == std::optional<DWORD>(number);
}

std::optional<DWORD> Setting(const char* name) {
  const auto value = Read(HKEY_CURRENT_USER, kSettingsKey, name);
  if (!value) return std::nullopt;
  EXPECT_EQ(static_cast<DWORD>(REG_DWORD), value->type) << "setting " << name;
  return value->Dword();
}

bool HasSetting(const char* name, DWORD number) {
  return HasDword(HKEY_CURRENT_USER, kSettingsKey, name, number);
}

std::vector<std::string> ProgramButtons(REGSAM view) {
  std::vector<std::string> buttons;
  for (const std::string& id : Key(HKEY_LOCAL_MACHINE, kExtensionsKey, view).SubKeys()) {
    const std::string path = std::string(kExtensionsKey) + "\\" + id;
    if (ReadText(HKEY_LOCAL_MACHINE, path.c_str(), "ButtonText", view) == kTitle) {
      buttons.push_back(id);
    }
  }
  return buttons;
}

std::optional<std::string> ListedButton() {
  return ReadText(HKEY_LOCAL_MACHINE, kButtonListKey, kTitle, MachineViews().front());
}

std::optional<std::string> TheOneButton() {
  std::optional<std::string> one;
  for (const REGSAM view : MachineViews()) {
    const std::vector<std::string> buttons = ProgramButtons(view);
    if (buttons.size() != 1 || (one && *one != buttons.front())) return std::nullopt;
    one = buttons.front();
  }
  return one;
}

bool NoProgramButton() {
  return !ListedButton() && InEveryView([](REGSAM view) { return ProgramButtons(view).empty(); });
}

std::string OtherButtonKey() {
  return std::string(kExtensionsKey) + "\\{0C1D2E3F-4A5B-6C7D-8E9F-A0B1C2D3E4F5}";
}
void PutOtherProgramsButton() {
  for (const REGSAM view : MachineViews()) {
    WriteDword(HKEY_LOCAL_MACHINE, OtherButtonKey().c_str(), "x", 1, view);
  }
}
bool OtherProgramsButtonStays() {
  return InEveryView(
      [](REGSAM view) { return KeyExists(HKEY_LOCAL_MACHINE, OtherButtonKey().c_str(), view); });
}

std::string RegistryState() {
  std::string text = DescribeKey(HKEY_CURRENT_USER, kSettingsKey);
  for (const char* name : kTextSwitches) {
    text += std::string(name) + " = " + Describe(Read(HKEY_CURRENT_USER, kMainKey, name)) + "\n";
  }
  text += "1C00 = " + Describe(Read(HKEY_CURRENT_USER, kZoneKey, "1C00")) + "\n";
  for (const REGSAM view : MachineViews()) {
    text += "view " + std::to_string(view) + ":\n";
    text += DescribeKey(HKEY_LOCAL_MACHINE, kFlashKey, view);
    text += DescribeKey(HKEY_LOCAL_MACHINE, kShockwaveKey, view);
    for (const std::string& id : ProgramButtons(view)) {
      text += DescribeKey(HKEY_LOCAL_MACHINE, (std::string(kExtensionsKey) + "\\" + id).c_str(),
                          view);
    }
    text += "button list: " + Describe(Read(HKEY_LOCAL_MACHINE, kButtonListKey, kTitle, view)) +
            "\n";
  }
  return text;
}

bool RequireTheProjectsPrefix() {
  const std::string refusal = WhyTheRegistryIsNotOurs();
  if (refusal.empty()) return true;
  [&] {
    FAIL() << "this test changes the registry and ends running instances of the program, so it "
              "runs only in the project's own Wine prefix (scripts/run-tests.sh): "
           << refusal;
  }();
  return false;
}

REGSAM PolicyView(HKEY root) {
  return root == HKEY_LOCAL_MACHINE ? MachineViews().front() : 0;
}

void PutPolicy(HKEY root, const char* path, const char* name, DWORD number) {
  WriteDword(root, path, name, number, PolicyView(root));
}

void DeletePolicy(HKEY root, const char* path, const char* name) {
  DeleteValue(root, path, name, PolicyView(root));
}

void BroadcastPolicyChange() {
  DWORD_PTR answer = 0;
  ::SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>("Policy"),
                        SMTO_ABORTIFHUNG, kSendWait, &answer);
}

void ResetRegistry() {
  if (!RequireTheProjectsPrefix()) return;
  DeleteTree(HKEY_CURRENT_USER, kSettingsKey);
  DeleteTree(HKEY_CURRENT_USER, kPoliciesKey);
  DeleteTree(HKEY_LOCAL_MACHINE, kPoliciesKey, PolicyView(HKEY_LOCAL_MACHINE));
  DeleteValue(HKEY_CURRENT_USER, kRunKey, kTitle);
  for (const char* name : kTextSwitches) DeleteValue(HKEY_CURRENT_USER, kMainKey, name);
  DeleteValue(HKEY_CURRENT_USER, kZoneKey, "1C00");
  for (const REGSAM view : MachineViews()) {
    DeleteTree(HKEY_LOCAL_MACHINE, kFlashKey, view);
    DeleteTree(HKEY_LOCAL_MACHINE, kShockwaveKey, view);
    for (const std::string& id : ProgramButtons(view)) {
      DeleteTree(HKEY_LOCAL_MACHINE, (std::string(kExtensionsKey) + "\\" + id).c_str(), view);
    }
    DeleteValue(HKEY_LOCAL_MACHINE, kButtonListKey, kTitle, view);
    DeleteTree(HKEY_LOCAL_MACHINE, OtherButtonKey().c_str(), view);
  }
}

// --- Windows and controls ----------------------------------------------------------------------

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

std::vector<std::string> ListLines(HWND list) {
  std::vector<std::string> lines;
  const auto count = static_cast<LRESULT>(Send(list, LB_GETCOUNT));
  for (LRESULT i = 0; i < count; ++i) {
    const auto length = static_cast<LRESULT>(SendW(list, LB_GETTEXTLEN, i));
    std::wstring line(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
    SendW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()));
    lines.push_back(Narrow(line.c_str()));
  }
  return lines;
}

DWORD_PTR SendW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return Answer(::SendMessageTimeoutW, window, message, wParam, lParam);
}

DWORD_PTR Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return Answer(::SendMessageTimeoutA, window, message, wParam, lParam);
}

// --- One started program -----------------------------------------------------------------------

Program::Program(const std::string& arguments, const std::string& path) {
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

Program::~Program() {
  End();
  if (process_.hThread != nullptr) ::CloseHandle(process_.hThread);
  if (process_.hProcess != nullptr) ::CloseHandle(process_.hProcess);
}

bool Program::Running() const {
  return Started() && ::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> Program::WaitForExit(DWORD limit) const {
  if (!Started() || ::WaitForSingleObject(process_.hProcess, limit) != WAIT_OBJECT_0) {
    return std::nullopt;
  }
  DWORD code = 0;
  ::GetExitCodeProcess(process_.hProcess, &code);
  return code;
}

HWND Program::MainWindow(DWORD limit) {
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

HWND Program::VisibleMainWindow(DWORD limit) {
  HWND window = MainWindow(limit);
  if (window == nullptr || !WaitUntil([&] { return ::IsWindowVisible(window) != FALSE; }, limit)) {
    return nullptr;
  }
  return window;
}

long long Program::MillisecondsSinceStart() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               started_)
      .count();
}

std::vector<std::string> Program::MessageBoxes() const {
  std::vector<std::string> boxes;
  for (HWND window : TopLevelWindows(Id())) {
    if (ClassOf(window) != "#32770") continue;
    std::string text = TextOf(window) + ":";
    for (const Control& c : ControlsOf(window)) {
      if (SameClass(c.className, "Static")) text += " " + c.text;
    }
    boxes.push_back(text);
  }
  return boxes;
}

std::optional<DWORD> Program::End() {
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

std::optional<DWORD> RunToEnd(const std::string& arguments) {
  Program program(arguments);
  auto code = program.WaitForExit();
  EXPECT_TRUE(code.has_value()) << "\"" << arguments << "\" did not end by itself";
  return code;
}

void EndStrayInstances() {
  if (!RequireTheProjectsPrefix()) return;
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

// --- The main window's controls ----------------------------------------------------------------

HWND Window::FindButton(const std::string& caption) const {
  for (const Control& c : ControlsOf(handle_)) {
    if (IsPushButton(c) && c.text == caption) return c.handle;
  }
  return nullptr;
}

HWND Window::Button(const std::string& caption) const {
  HWND button = FindButton(caption);
  if (button == nullptr) {
    ADD_FAILURE() << "no push button \"" << caption << "\" among:\n" << ListControls(handle_);
  }
  return button;
}

bool Window::ButtonAppears(const std::string& caption) const {
  return WaitUntil([&] { return FindButton(caption) != nullptr; }, kStateWait) ||
         Button(caption) != nullptr;
}

std::vector<Control> Window::Radios(const std::string& group) const {
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

HWND Window::Radio(const std::string& group, const std::string& item) const {
  for (const Control& c : Radios(group)) {
    if (c.text == item) return c.handle;
  }
  ADD_FAILURE() << "no radio button \"" << item << "\" in \"" << group << "\"";
  return nullptr;
}

std::string Window::Choice(const std::string& group) const {
  std::string checked;
  for (const Control& c : Radios(group)) {
    if (Send(c.handle, BM_GETCHECK) == BST_CHECKED) {
      checked += (checked.empty() ? "" : "+") + c.text;
    }
  }
  return checked;
}

std::vector<std::string> Window::Choices() const {
  std::vector<std::string> choices;
  for (const char* group : kGroups) choices.push_back(Choice(group));
  return choices;
}

std::vector<std::string> Window::Log() const {
  for (const Control& c : ControlsOf(handle_)) {
    if (SameClass(c.className, "ListBox")) return ListLines(c.handle);
  }
  ADD_FAILURE() << "no list box among:\n" << ListControls(handle_);
  return {};
}

void Window::Click(HWND control) const {
  ASSERT_NE(nullptr, control);
  Send(control, BM_CLICK);
}

// --- The notification area -------------------------------------------------------------------

void MoveMouseTo(LONG x, LONG y) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = x * 65535 / (::GetSystemMetrics(SM_CXSCREEN) - 1);
  input.mi.dy = y * 65535 / (::GetSystemMetrics(SM_CYSCREEN) - 1);
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  ::SendInput(1, &input, sizeof input);
}

// With COM ready on this thread, as a reader has it.
IAccessible* ReaderObjectOf(HWND control) {
  static const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  (void)com;
  IAccessible* object = nullptr;
  const HRESULT result = ::AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT),
                                                      ui::win32::kIidAccessible,
                                                      reinterpret_cast<void**>(&object));
  return SUCCEEDED(result) ? object : nullptr;
}

std::optional<Heard> Hear(HWND control) {
  IAccessible* object = ReaderObjectOf(control);
  if (object == nullptr) return std::nullopt;
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  const auto text = [&](HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*)) {
    BSTR answer = nullptr;
    const HRESULT result = (object->*get)(self, &answer);
    return Narrow(result, answer);
  };
  const auto number = [&](HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*)) {
    VARIANT answer{};
    const HRESULT result = (object->*get)(self, &answer);
    return Number(result, answer);
  };
  const Heard heard{number(&IAccessible::get_accRole), text(&IAccessible::get_accName),
                    text(&IAccessible::get_accValue), number(&IAccessible::get_accState),
                    text(&IAccessible::get_accDefaultAction),
                    text(&IAccessible::get_accDescription)};
  object->Release();
  return heard;
}

bool IconIsThere(const TrayIcon& icon) {
  NOTIFYICONDATAA probe = {};
  probe.cbSize = sizeof probe;
  probe.hWnd = icon.window;
  probe.uID = icon.id;
  return ::Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
}

std::optional<TrayIcon> FindTrayIcon(DWORD processId) {
  for (HWND window : TopLevelWindows(processId)) {
    if (ClassOf(window) != kTrayWindowClass) continue;
    for (UINT id = 0; id < 16; ++id) {
      if (IconIsThere({window, id})) return TrayIcon{window, id};
    }
  }
  return std::nullopt;
}

std::optional<TrayIcon> WaitForTrayIcon(DWORD processId) {
  std::optional<TrayIcon> icon;
  WaitUntil([&] { return (icon = FindTrayIcon(processId)).has_value(); }, kStateWait);
  return icon;
}

bool ClickTrayIcon(DWORD processId, bool right) {
  const auto icon = WaitForTrayIcon(processId);
  if (!icon) return false;
  ::PostMessageA(icon->window, kTrayCallback, icon->id, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN);
  ::PostMessageA(icon->window, kTrayCallback, icon->id, right ? WM_RBUTTONUP : WM_LBUTTONUP);
  return true;
}

}  // namespace tarnwick::test
