// tarnwick-setup.exe and the uninstaller it writes, run as an administrator or a deployment tool
// would run them: silently and through their windows, over a running program, twice, and after
// files were deleted by hand; then the Windows Installer package, quiet, over an older version
// and under a newer one. What they leave is read back from the files, the Start menu and the
// registry. Runs in a Wine prefix of its own (installer.sh): it writes Program Files and
// HKEY_LOCAL_MACHINE. What it installs is the release folder that installer.sh made and signed, as
// `make release` and `make sign` do.
#include <windows.h>
#include <msi.h>
#include <objbase.h>
#include <sddl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <future>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "tests/win32/support/ProgramDriver.h"

#if !defined(TARNWICK_MSI_OLDER) || !defined(TARNWICK_PACKAGE_ICON)
#error "TARNWICK_MSI_OLDER and TARNWICK_PACKAGE_ICON must name the older package and the icon"
#endif

namespace {

using namespace tarnwick::test;

constexpr char kUninstallList[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr char kUninstallKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarnwick";
// What msiexec ends with when the installation failed and was rolled back.
constexpr DWORD kInstallFailure = 1603;
// Installing, or removing, takes a second or two under Wine.
constexpr DWORD kSetupWait = 60000;
constexpr DWORD kWindowWait = 15000;

// A file of the release folder that installer.sh names; the exe and the package of this test's
// width.
std::string Released(const std::string& name) {
  const char* folder = std::getenv("TARNWICK_RELEASE");
  return WindowsPath(std::string(folder != nullptr ? folder : "") + "/" + name);
}
constexpr const char* kWidth = sizeof(void*) == 8 ? "x64" : "x86";
std::string SetupFile() { return Released("tarnwick-setup.exe"); }
std::string Package() { return Released(std::string("tarnwick-") + kWidth + ".msi"); }
std::string ReleasedProgram() { return Released(std::string("tarnwick-") + kWidth + ".exe"); }

std::string Folder(int csidl) {
  char path[MAX_PATH] = {};
  EXPECT_EQ(S_OK, ::SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) << csidl;
  return path;
}
std::string InstallDir() { return Folder(CSIDL_PROGRAM_FILES) + "\\Tarnwick"; }
std::string Installed(const char* name) { return InstallDir() + "\\" + name; }
std::string Shortcut() { return Folder(CSIDL_COMMON_PROGRAMS) + "\\Tarnwick.lnk"; }
// Windows Installer puts a per-machine package's shortcut in everyone's Programs folder, Wine 8's
// in the installing user's.
std::string UsersShortcut() { return Folder(CSIDL_PROGRAMS) + "\\Tarnwick.lnk"; }

bool Exists(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Bytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// What a run of the installer or the uninstaller wrote of itself.
std::string Log(const char* name) {
  return Bytes(Folder(CSIDL_COMMON_APPDATA) + "\\Tarnwick\\" + name);
}

// Where a shell link points, as the Start menu resolves it.
std::string ShortcutTarget(const std::string& link) {
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  std::string target = "(unreadable)";
  IShellLinkA* shell = nullptr;
  if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&shell)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      const std::wstring wide(link.begin(), link.end());
      char path[MAX_PATH] = {};
      if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ)) &&
          SUCCEEDED(shell->GetPath(path, MAX_PATH, nullptr, 0))) {
        target = path;
      }
      file->Release();
    }
    shell->Release();
  }
  ::CoUninitialize();
  return target;
}

// Runs a command line to its end, doing `meanwhile` once it has started: its exit code, or nothing
// when it did not end in time.
std::optional<DWORD> RunCommand(std::string commandLine, DWORD limit = kSetupWait,
                                const std::function<void()>& meanwhile = {}) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
    ADD_FAILURE() << "CreateProcess " << commandLine << " failed: " << ::GetLastError();
    return std::nullopt;
  }
  if (meanwhile) meanwhile();
  std::optional<DWORD> code;
  if (::WaitForSingleObject(process.hProcess, limit) == WAIT_OBJECT_0) {
    DWORD exit = 0;
    ::GetExitCodeProcess(process.hProcess, &exit);
    code = exit;
  } else {
    ADD_FAILURE() << commandLine << " did not end within " << limit << " ms";
    ::TerminateProcess(process.hProcess, 97);
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return code;
}

std::optional<DWORD> Install(const std::string& arguments) {
  return RunCommand("\"" + SetupFile() + "\" " + arguments);
}

// The uninstaller copies itself to the temporary folder and runs from there, so the process that
// was started ends at once. The copy deletes the uninstall entry last.
bool Uninstalled() {
  return WaitUntil([] { return !KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey); }, kSetupWait) &&
         WaitUntil([] { return !Exists(InstallDir()); }, kStateWait);
}

std::optional<DWORD> RunQuietUninstall() {
  const auto quiet = ReadText(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString");
  if (!quiet) ADD_FAILURE() << "no QuietUninstallString";
  return quiet ? RunCommand(*quiet) : std::nullopt;
}

void UninstallSilently() {
  EXPECT_EQ(std::optional<DWORD>(0), RunQuietUninstall());
  EXPECT_TRUE(Uninstalled()) << "the uninstall entry or the folder is left";
}

// A run of msiexec as a deployment tool makes it: no windows, a verbose log.
struct PackageRun {
  std::optional<DWORD> code;
  std::string log;
};

PackageRun RunPackage(const char* action, const std::string& package) {
  const std::string log = Folder(CSIDL_COMMON_APPDATA) + "\\tarnwick-package.log";
  ::DeleteFileA(log.c_str());
  const auto code = RunCommand(std::string("msiexec ") + action + " \"" + package +
                               "\" /qn /l*v \"" + log + "\"");
  return {code, Bytes(log)};
}

// The entries that Windows Installer made for the package in Apps and features.
std::vector<std::string> PackageEntries() {
  std::vector<std::string> entries;
  for (const std::string& code : Key(HKEY_LOCAL_MACHINE, kUninstallList).SubKeys()) {
    const std::string key = std::string(kUninstallList) + "\\" + code;
    if (HasDword(HKEY_LOCAL_MACHINE, key.c_str(), "WindowsInstaller", 1) &&
        HasText(HKEY_LOCAL_MACHINE, key.c_str(), "DisplayName", "Tarnwick")) {
      entries.push_back(code);
    }
  }
  return entries;
}

// What Options' "Start with Windows" leaves: the Run entry and the setting that says so.
void StartWithWindows(const std::string& exe) {
  const std::string runEntry = "\"" + exe + "\"";
  ::RegSetKeyValueA(HKEY_CURRENT_USER, kRunKey, kTitle, REG_SZ, runEntry.c_str(),
                    static_cast<DWORD>(runEntry.size() + 1));
  WriteDword(HKEY_CURRENT_USER, kSettingsKey, "104", 1);
}

// A key, made when missing, that nobody may write into (set values, make subkeys) while this
// lives, for real: the registry enforces its permissions. Its own permissions come back
// afterwards.
class ClosedKey {
 public:
  ClosedKey(HKEY root, const char* path) {
    PSECURITY_DESCRIPTOR closed = nullptr;
    DWORD size = 0;
    const bool done =
        ::RegCreateKeyExA(root, path, 0, nullptr, 0, READ_CONTROL | WRITE_DAC, nullptr, &key_,
                          nullptr) == ERROR_SUCCESS &&
        ::RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, nullptr, &size) ==
            ERROR_INSUFFICIENT_BUFFER &&
        (saved_.resize(size), ::RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, saved_.data(),
                                                  &size) == ERROR_SUCCESS) &&
        ::ConvertStringSecurityDescriptorToSecurityDescriptorA(
            "D:P(D;;0x0006;;;WD)(A;;KA;;;WD)", SDDL_REVISION_1, &closed, nullptr) &&
        ::RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, closed) == ERROR_SUCCESS;
    ::LocalFree(closed);
    if (!done) ADD_FAILURE() << "could not close " << path;
  }
  ~ClosedKey() {
    if (key_ == nullptr) return;
    EXPECT_EQ(ERROR_SUCCESS, ::RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, saved_.data()));
    ::RegCloseKey(key_);
  }
  ClosedKey(const ClosedKey&) = delete;
  ClosedKey& operator=(const ClosedKey&) = delete;

 private:
  HKEY key_ = nullptr;
  std::vector<char> saved_;
};

// The visible top-level windows of every process.
std::vector<HWND> VisibleWindows() {
  std::vector<HWND> windows;
  ::EnumWindows(
      [](HWND window, LPARAM list) CALLBACK -> BOOL {
        auto* found = reinterpret_cast<std::vector<HWND>*>(list);
        if (::IsWindowVisible(window)) found->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  return windows;
}

// The button captioned `button`, once it is there and enabled, in a window whose title begins
// with `title` (the uninstaller's window adds its page's name, its message box does not) and that
// shows `shown` in one of its controls, when that is given; null, and a failure, when none is.
HWND ButtonIn(const std::string& title, const std::string& button, const std::string& shown = "") {
  HWND found = nullptr;
  std::string seen;
  WaitUntil(
      [&] {
        seen.clear();
        for (HWND window : VisibleWindows()) {
          const std::string text = TextOf(window);
          seen += "  \"" + text + "\"\n";
          if (text.compare(0, title.size(), title) != 0) continue;
          const std::vector<Control> controls = ControlsOf(window);
          if (std::none_of(controls.begin(), controls.end(), [&](const Control& c) {
                return c.text.find(shown) != std::string::npos;
              })) {
            continue;
          }
          for (const Control& c : controls) {
            if (IsPushButton(c) && c.text == button && ::IsWindowEnabled(c.handle)) {
              found = c.handle;
            }
          }
        }
        return found != nullptr;
      },
      kWindowWait);
  if (found == nullptr) {
    ADD_FAILURE() << "no window \"" << title << "...\" showing \"" << shown
                  << "\" with a button \"" << button << "\" among:\n"
                  << seen;
  }
  return found;
}

void ClickIn(const std::string& title, const std::string& button, const std::string& shown = "") {
  if (HWND found = ButtonIn(title, button, shown)) ::PostMessageA(found, BM_CLICK, 0, 0);
}

// The user presses Enter on the keyboard for `button`, the default of its page.
void PressEnterFor(const std::string& title, const std::string& button) {
  HWND found = ButtonIn(title, button);
  if (found == nullptr) return;
  HWND page = ::GetAncestor(found, GA_ROOT);
  ::SetForegroundWindow(page);
  EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == page; }, kWindowWait));
  INPUT keys[2] = {};
  keys[0].type = keys[1].type = INPUT_KEYBOARD;
  keys[0].ki.wVk = keys[1].ki.wVk = VK_RETURN;
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  ::SendInput(2, keys, sizeof(INPUT));
}

// The button that Register adds, with its values as the browser reads them; `path` is the
// program's file.
void ExpectTheProgramsButton(const std::string& path) {
  const std::optional<std::string> button = TheOneButton();
  ASSERT_TRUE(button) << RegistryState();
  const std::string key = std::string(kExtensionsKey) + "\\" + *button;
  const struct {
    const char* name;
    std::string data;
  } values[] = {
      {"Default Visible", "Yes"},
      {"ButtonText", kTitle},
      {"HotIcon", path + ",1000"},
      {"Icon", path + ",1001"},
      {"CLSID", "{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}"},
      {"Exec", path},
  };
  for (const REGSAM view : MachineViews()) {
    for (const auto& v : values) {
      EXPECT_EQ(std::optional<std::string>(v.data),
                ReadText(HKEY_LOCAL_MACHINE, key.c_str(), v.name, view))
          << v.name << " in view " << view;
    }
  }
  EXPECT_EQ(button, ListedButton());
}

// Everything an installation leaves on the machine, gone; the settings are the user's and are
// looked at by the caller.
void ExpectNothingLeft() {
  for (const char* name : {"tarnwick.exe", "help.chm", "uninstall.exe"}) {
    EXPECT_FALSE(Exists(Installed(name))) << name;
  }
  EXPECT_FALSE(Exists(InstallDir()));
  EXPECT_FALSE(Exists(Shortcut()) || Exists(UsersShortcut()));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  EXPECT_EQ(std::vector<std::string>(), PackageEntries());
  EXPECT_FALSE(Read(HKEY_CURRENT_USER, kRunKey, kTitle)) << "the Run entry is left";
  EXPECT_TRUE(NoProgramButton()) << RegistryState();
}

class Installer : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!RequireTheProjectsPrefix()) return;
    ASSERT_TRUE(Exists(SetupFile()))
        << SetupFile() << " is missing: run the test through installer.sh";
    // The test expects the build of its own width, and reads the registry in its view.
    BOOL emulated = FALSE;
    ::IsWow64Process(::GetCurrentProcess(), &emulated);
    ASSERT_FALSE(emulated) << "a 32-bit test on a 64-bit machine: run it through installer.sh";
    ::GetDesktopWindow();
    EndStrayInstances();
    ResetRegistry();
    // What a test that failed half-way may have left, removed by hand.
    for (const char* name : {"tarnwick.exe", "help.chm", "uninstall.exe"}) {
      ::DeleteFileA(Installed(name).c_str());
    }
    ::RemoveDirectoryA(InstallDir().c_str());
    ::DeleteFileA(Shortcut().c_str());
    DeleteTree(HKEY_LOCAL_MACHINE, kUninstallKey);
  }
};

TEST_F(Installer,
       SilentInstallPutsEverythingInPlaceAndSilentUninstallOfARunningProgramLeavesNothing) {
  const std::string exe = Installed("tarnwick.exe");

  // A silent install.
  ASSERT_EQ(std::optional<DWORD>(0), Install("/S"));
  ASSERT_TRUE(Exists(exe)) << "nothing installed in " << InstallDir();
  // The build that fits this machine (the test's own width), whole.
  EXPECT_TRUE(Bytes(exe) == Bytes(ReleasedProgram())) << "the installed exe is not this width's";
  EXPECT_TRUE(Bytes(Installed("help.chm")) == Bytes(Released("help.chm")));
  // installer.sh checks its signature.
  EXPECT_TRUE(::CopyFileA(Installed("uninstall.exe").c_str(),
                          Released("installed-uninstall.exe").c_str(), FALSE));
  EXPECT_EQ(0, _stricmp(exe.c_str(), ShortcutTarget(Shortcut()).c_str()))
      << ShortcutTarget(Shortcut());

  const std::string uninstaller = "\"" + Installed("uninstall.exe") + "\"";
  const struct {
    const char* name;
    std::string data;
  } entry[] = {
      {"DisplayName", "Tarnwick"},           {"DisplayVersion", "1.0b"},
      {"Publisher", "Brambleworks Company"}, {"DisplayIcon", exe + ",0"},
      {"UninstallString", uninstaller},
      {"QuietUninstallString", uninstaller + " /S _?=" + InstallDir()},
  };
  for (const auto& v : entry) {
    EXPECT_EQ(std::optional<std::string>(v.data),
              ReadText(HKEY_LOCAL_MACHINE, kUninstallKey, v.name))
        << v.name;
  }
  // In KiB, as Windows shows it.
  double bytes = 0;
  for (const char* name : {"tarnwick.exe", "help.chm", "uninstall.exe"}) {
    bytes += static_cast<double>(Bytes(Installed(name)).size());
  }
  const auto size = ReadDword(HKEY_LOCAL_MACHINE, kUninstallKey, "EstimatedSize");
  ASSERT_TRUE(size);
  EXPECT_NEAR(bytes / 1024, static_cast<double>(*size), 8.0);
  ExpectTheProgramsButton(exe);
  const std::optional<std::string> firstButton = TheOneButton();

  // Register and Unregister fail when the list of buttons is closed to writing, Unregister also
  // when the program's entry in it is no text. Silent, the install and the uninstall still end
  // by themselves, with a code and the program's reason in their logs, and leave no box behind;
  // the uninstall removes nothing.
  const std::string failed =
      "\" ended with code 1: Exception ERegistryError in module tarnwick.exe. ";
  {
    const ClosedKey closed(HKEY_LOCAL_MACHINE, kButtonListKey);
    EXPECT_EQ(std::optional<DWORD>(3), Install("/S"));
    EXPECT_EQ(std::optional<DWORD>(2), RunQuietUninstall());
  }
  EXPECT_NE(std::string::npos,
            Log("setup.log").find("Register" + failed + "Failed to set data for '" + kTitle + "'"))
      << Log("setup.log");
  EXPECT_NE(std::string::npos, Log("uninstall.log")
                                   .find("Unregister" + failed + "Failed to set data for '" + kTitle))
      << Log("uninstall.log");
  EXPECT_EQ(firstButton, TheOneButton());
  WriteDword(HKEY_LOCAL_MACHINE, kButtonListKey, kTitle, 1);
  EXPECT_EQ(std::optional<DWORD>(2), RunQuietUninstall());
  ASSERT_TRUE(firstButton);
  ::RegSetKeyValueA(HKEY_LOCAL_MACHINE, kButtonListKey, kTitle, REG_SZ, firstButton->c_str(),
                    static_cast<DWORD>(firstButton->size() + 1));
  EXPECT_NE(std::string::npos, Log("uninstall.log")
                                   .find("Unregister" + failed + "Invalid data type for '" + kTitle))
      << Log("uninstall.log");
  EXPECT_TRUE(Exists(exe) && KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  EXPECT_EQ(nullptr, ::FindWindowA(nullptr, "Application Error"));

  // Installing again over the running program ends it first and registers anew.
  {
    Program running("", exe);
    ASSERT_NE(nullptr, running.VisibleMainWindow());
    ASSERT_EQ(std::optional<DWORD>(0), Install("/S"));
    EXPECT_EQ(std::optional<DWORD>(0), running.WaitForExit(0)) << "the running program went on";
    EXPECT_TRUE(Bytes(exe) == Bytes(ReleasedProgram()));
    ExpectTheProgramsButton(exe);
    EXPECT_NE(firstButton, TheOneButton());
  }

  // Again, with one of its files held open by another program (the program's own, the
  // uninstaller with no sharing at all, and an old copy that an earlier Setup left behind):
  // Setup stops, says why, and leaves the installed program, its help, its uninstaller and its
  // button as they were.
  const struct {
    const char* name;
    DWORD sharing;
    const char* why;
  } heldFiles[] = {{"tarnwick.exe", FILE_SHARE_READ, "could not replace "},
                   {"uninstall.exe", 0, "could not replace "},
                   {"tarnwick.exe.old", FILE_SHARE_READ, "could not delete "}};
  for (const auto& [name, sharing, why] : heldFiles) {
    SCOPED_TRACE(name);
    Program running("", exe);
    ASSERT_NE(nullptr, running.VisibleMainWindow());
    const std::string uninstallerBefore = Bytes(Installed("uninstall.exe"));
    const HANDLE held = ::CreateFileA(Installed(name).c_str(), GENERIC_READ, sharing, nullptr,
                                      OPEN_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held) << ::GetLastError();
    EXPECT_EQ(std::optional<DWORD>(2), Install("/S"));
    ::CloseHandle(held);
    if (std::string(name).ends_with(".old")) ::DeleteFileA(Installed(name).c_str());
    EXPECT_NE(std::string::npos, Log("setup.log").find(why + Installed(name)))
        << Log("setup.log");
    EXPECT_EQ(std::optional<DWORD>(0), running.WaitForExit(0));
    ExpectTheProgramsButton(exe);
    EXPECT_TRUE(Exists(Installed("help.chm")));
    EXPECT_TRUE(Bytes(Installed("uninstall.exe")) == uninstallerBefore);
    for (const char* file : {"tarnwick.exe", "help.chm", "uninstall.exe"}) {
      for (const char* left : {".new", ".old"}) {
        EXPECT_FALSE(Exists(Installed((std::string(file) + left).c_str()))) << file << left;
      }
    }
  }

  // A silent uninstall while the program runs, started with Windows.
  Program running("", exe);
  ASSERT_NE(nullptr, running.VisibleMainWindow());
  StartWithWindows(exe);
  ASSERT_TRUE(Setting("Ypos"));  // its start was counted

  UninstallSilently();
  EXPECT_EQ(std::optional<DWORD>(0), running.WaitForExit(0)) << "the program went on running";
  ExpectNothingLeft();
  EXPECT_TRUE(Setting("Ypos")) << "a silent uninstall deleted the user's settings";
  EXPECT_TRUE(HasSetting("104", 0)) << "the kept settings say the program starts with Windows";
}

TEST_F(Installer, UninstallingAfterFilesWentOrTwiceShowsNothingAndAskedItDeletesTheSettings) {
  // The program's file deleted by hand: its button is removed all the same.
  ASSERT_EQ(std::optional<DWORD>(0), Install("/S"));
  ExpectTheProgramsButton(Installed("tarnwick.exe"));
  ASSERT_TRUE(::DeleteFileA(Installed("tarnwick.exe").c_str()));
  // A copy of the uninstaller to run again afterwards; "_?=" runs it in place for that folder.
  const std::string copy = Folder(CSIDL_COMMON_APPDATA) + "\\tarnwick-uninstall-copy.exe";
  ASSERT_TRUE(::CopyFileA(Installed("uninstall.exe").c_str(), copy.c_str(), FALSE));
  UninstallSilently();
  ExpectNothingLeft();

  // Run again with nothing left to remove, it ends by itself and changes nothing: a list entry
  // edited by hand to 38 backslashes names no button, and another program's stays.
  WriteDword(HKEY_CURRENT_USER, kSettingsKey, "Ypos", 3);
  const std::string edited(38, '\\');
  ::RegSetKeyValueA(HKEY_LOCAL_MACHINE, kButtonListKey, kTitle, REG_SZ, edited.c_str(),
                    static_cast<DWORD>(edited.size() + 1));
  PutOtherProgramsButton();
  EXPECT_EQ(std::optional<DWORD>(0), RunCommand("\"" + copy + "\" /S _?=" + InstallDir()));
  EXPECT_TRUE(OtherProgramsButtonStays()) << "another program's button went";
  ExpectNothingLeft();
  EXPECT_TRUE(HasSetting("Ypos", 3));
  ::DeleteFileA(copy.c_str());

  // Installed through its windows, Setup announces the space that it then takes, and its last
  // page offers to start the program, unticked.
  auto setup = std::async(std::launch::async, [] { return Install(""); });
  std::string space;
  WaitUntil([&] {
    for (HWND window : VisibleWindows()) {
      for (const Control& c : ControlsOf(window)) {
        if (c.text.rfind("Space required: ", 0) == 0) space = c.text;
      }
    }
    return !space.empty();
  }, kWindowWait);
  PressEnterFor("Tarnwick Setup", "&Install");
  HWND start = nullptr;
  WaitUntil([&] {
    for (HWND window : VisibleWindows()) {
      for (const Control& c : ControlsOf(window)) {
        if (c.text == "Start Tarnwick" && ::IsWindowVisible(c.handle)) start = c.handle;
      }
    }
    return start != nullptr;
  }, kSetupWait);
  ASSERT_NE(nullptr, start) << "the last page offers no start";
  EXPECT_EQ(BST_UNCHECKED, ::SendMessageA(start, BM_GETCHECK, 0, 0));
  PressEnterFor("Tarnwick Setup", "&Finish");
  EXPECT_EQ(std::optional<DWORD>(0), setup.get());
  double installed = 0;
  for (const char* name : {"tarnwick.exe", "help.chm"}) {
    installed += static_cast<double>(Bytes(Installed(name)).size()) / (1024 * 1024);
  }
  // In MB, or in KB below a megabyte.
  const bool kib = space.find(" KB") != std::string::npos;
  const double shown = std::atof(space.c_str() + 16) / (kib ? 1024 : 1);
  EXPECT_NEAR(installed, shown, 0.1) << space;
  EXPECT_TRUE(StaysFor([] { return ::FindWindowA(kMainClass, kTitle) == nullptr; }, 1000))
      << "the program was started";

  // Through its windows, answering that the settings, which are there, are not to be kept.
  const auto command = ReadText(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString");
  ASSERT_TRUE(command);
  EXPECT_TRUE(RunCommand(*command).has_value());
  ClickIn("Remove Tarnwick", "&Uninstall");
  ClickIn("Remove Tarnwick", "&No");  // "Keep your Tarnwick settings?"
  ClickIn("Remove Tarnwick", "&Close");
  EXPECT_TRUE(Uninstalled());
  ExpectNothingLeft();
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettingsKey)) << "the settings were kept";
}

// The Windows Installer package, as a deployment tool runs it. Register fails when the list of
// buttons is closed to writing: the installation ends by itself, with msiexec's failure code and
// the program's reason in its log, and is rolled back whole. Then an older version, replaced in
// place while the program runs; the older one again, refused; the removal while the program
// runs, started with Windows; and one after the program's file was deleted by hand.
TEST_F(Installer, PackageRollsBackAFailedRegisterUpgradesInPlaceRefusesAnOlderOneAndRemovesAll) {
  ASSERT_TRUE(Exists(Package()) && Exists(WindowsPath(TARNWICK_MSI_OLDER)))
      << Package() << " or " << TARNWICK_MSI_OLDER << " is missing: make msi";
  const std::string exe = Installed("tarnwick.exe");
  {
    const ClosedKey closed(HKEY_LOCAL_MACHINE, kButtonListKey);
    const PackageRun failed = RunPackage("/i", Package());
    EXPECT_EQ(std::optional<DWORD>(kInstallFailure), failed.code);
    EXPECT_NE(std::string::npos,
              failed.log.find("\"tarnwick.exe Register\" ended with code 1: Exception "
                              "ERegistryError in module tarnwick.exe. Failed to set data for '" +
                              std::string(kTitle) + "'"))
        << failed.log;
  }
  ExpectNothingLeft();
  EXPECT_EQ(nullptr, ::FindWindowA(nullptr, "Application Error"));

  ASSERT_EQ(std::optional<DWORD>(0), RunPackage("/i", WindowsPath(TARNWICK_MSI_OLDER)).code);
  const std::vector<std::string> older = PackageEntries();
  {
    Program running("", exe);
    ASSERT_NE(nullptr, running.VisibleMainWindow());
    const PackageRun upgrade = RunPackage("/i", Package());
    EXPECT_EQ(std::optional<DWORD>(0), upgrade.code) << upgrade.log;
    EXPECT_EQ(std::optional<DWORD>(0), running.WaitForExit(0)) << "the running program went on";
  }
  const std::vector<std::string> entries = PackageEntries();
  ASSERT_EQ(1u, entries.size());
  EXPECT_NE(older, entries);
  const std::string entry = std::string(kUninstallList) + "\\" + entries.front();
  EXPECT_TRUE(HasText(HKEY_LOCAL_MACHINE, entry.c_str(), "Publisher", "Brambleworks Company"));
  EXPECT_TRUE(HasText(HKEY_LOCAL_MACHINE, entry.c_str(), "DisplayVersion", "1.0.0"));
  EXPECT_TRUE(HasDword(HKEY_LOCAL_MACHINE, entry.c_str(), "NoModify", 1));
  char icon[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  EXPECT_EQ(0u, ::MsiGetProductInfoA(entries.front().c_str(), INSTALLPROPERTY_PRODUCTICON, icon,
                                     &size));
  EXPECT_TRUE(Bytes(icon) == Bytes(WindowsPath(TARNWICK_PACKAGE_ICON))) << icon;
  EXPECT_TRUE(Bytes(exe) == Bytes(ReleasedProgram()));
  EXPECT_TRUE(Bytes(Installed("help.chm")) == Bytes(Released("help.chm")));
  const std::string shortcut = Exists(Shortcut()) ? Shortcut() : UsersShortcut();
  EXPECT_EQ(0, _stricmp(exe.c_str(), ShortcutTarget(shortcut).c_str())) << shortcut;
  ExpectTheProgramsButton(exe);

  // Wine's msiexec shows the reason, but does not log it.
  EXPECT_EQ(std::optional<DWORD>(kInstallFailure),
            RunPackage("/i", WindowsPath(TARNWICK_MSI_OLDER)).code);
  EXPECT_EQ(std::optional<DWORD>(kInstallFailure),
            RunCommand("msiexec /i \"" + WindowsPath(TARNWICK_MSI_OLDER) + "\" /qb", kSetupWait,
                       [] { ClickIn("", "OK", "or a newer one, is already installed"); }));
  EXPECT_EQ(entries, PackageEntries());

  // Removed by the user who had it start with Windows. (An upgrade keeps that user's entry on
  // Windows, which tells the older package's removal that it is one; Wine 8 does not.)
  Program running("", exe);
  ASSERT_NE(nullptr, running.VisibleMainWindow());
  StartWithWindows(exe);
  EXPECT_EQ(std::optional<DWORD>(0), RunPackage("/x", Package()).code);
  EXPECT_EQ(std::optional<DWORD>(0), running.WaitForExit(0)) << "the program went on running";
  ExpectNothingLeft();
  EXPECT_TRUE(HasSetting("104", 0)) << "the kept settings say the program starts with Windows";

  ASSERT_EQ(std::optional<DWORD>(0), RunPackage("/i", Package()).code);
  ASSERT_TRUE(::DeleteFileA(exe.c_str()));
  EXPECT_EQ(std::optional<DWORD>(0), RunPackage("/x", Package()).code);
  ExpectNothingLeft();
}

}  // namespace
