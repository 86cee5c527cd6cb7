// tarnwick-setup.exe and the uninstaller it writes, run as an administrator or a deployment tool
// would run them: silently and through their windows, over a running program, twice, and after
// files were deleted by hand. What they leave is read back from the files, the Start menu and
// the registry. Runs in a Wine prefix of its own (installer.sh): it writes Program Files and
// HKEY_LOCAL_MACHINE.
#include <windows.h>
#include <objbase.h>
#include <sddl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <future>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "tests/win32/support/ProgramDriver.h"

#ifndef TARNWICK_SETUP
#error "TARNWICK_SETUP must name the installer under test"
#endif

namespace {

using namespace tarnwick::test;

constexpr char kUninstallKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarnwick";
// Installing, or removing, takes a second or two under Wine.
constexpr DWORD kSetupWait = 60000;
constexpr DWORD kWindowWait = 15000;

std::string Folder(int csidl) {
  char path[MAX_PATH] = {};
  EXPECT_EQ(S_OK, ::SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) << csidl;
  return path;
}
std::string InstallDir() { return Folder(CSIDL_PROGRAM_FILES) + "\\Tarnwick"; }
std::string Installed(const char* name) { return InstallDir() + "\\" + name; }
std::string Shortcut() { return Folder(CSIDL_COMMON_PROGRAMS) + "\\Tarnwick.lnk"; }

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

// Runs a command line to its end: its exit code, or nothing when it did not end in time.
std::optional<DWORD> RunCommand(std::string commandLine, DWORD limit = kSetupWait) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
    ADD_FAILURE() << "CreateProcess " << commandLine << " failed: " << ::GetLastError();
    return std::nullopt;
  }
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
  return RunCommand("\"" + WindowsPath(TARNWICK_SETUP) + "\" " + arguments);
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

// A key that nobody may write into (set values, make subkeys) while this lives, for real: the
// registry enforces its permissions. Its own permissions come back afterwards.
class ClosedKey {
 public:
  ClosedKey(HKEY root, const char* path) {
    PSECURITY_DESCRIPTOR closed = nullptr;
    DWORD size = 0;
    const bool done =
        ::RegOpenKeyExA(root, path, 0, READ_CONTROL | WRITE_DAC, &key_) == ERROR_SUCCESS &&
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

// Clicks the button captioned `button`, once it is there and enabled, in a window whose title
// begins with `title` (the uninstaller's window adds its page's name, its message box does not).
void ClickIn(const std::string& title, const std::string& button) {
  HWND found = nullptr;
  std::string seen;
  WaitUntil(
      [&] {
        seen.clear();
        for (HWND window : VisibleWindows()) {
          const std::string text = TextOf(window);
          seen += "  \"" + text + "\"\n";
          if (text.compare(0, title.size(), title) != 0) continue;
          for (const Control& c : ControlsOf(window)) {
            if (IsPushButton(c) && c.text == button && ::IsWindowEnabled(c.handle)) {
              found = c.handle;
            }
          }
        }
        return found != nullptr;
      },
      kWindowWait);
  ASSERT_NE(nullptr, found) << "no window \"" << title << "...\" with a button \"" << button
                            << "\" among:\n"
                            << seen;
  ::PostMessageA(found, BM_CLICK, 0, 0);
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
  EXPECT_FALSE(Exists(Shortcut()));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  EXPECT_FALSE(Read(HKEY_CURRENT_USER, kRunKey, kTitle)) << "the Run entry is left";
  EXPECT_TRUE(NoProgramButton()) << RegistryState();
}

class Installer : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!RequireTheProjectsPrefix()) return;
    ASSERT_TRUE(Exists(WindowsPath(TARNWICK_SETUP)))
        << TARNWICK_SETUP << " is missing: make installer";
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
  EXPECT_TRUE(Bytes(exe) == Bytes(ProgramPath())) << "the installed exe is not this build's";
  EXPECT_TRUE(Bytes(Installed("help.chm")) == Bytes(WindowsPath(TARNWICK_SETUP_HELP)));
  EXPECT_TRUE(Exists(Installed("uninstall.exe")));
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

  // Register fails when the list of buttons is closed to writing, Unregister when the program's
  // entry in it is no text. Silent, the install and the uninstall still end by themselves, with
  // a code and the program's reason in their logs, and leave no box behind; the uninstall
  // removes nothing.
  const std::string failed =
      "\" ended with code 1: Exception ERegistryError in module tarnwick.exe. ";
  {
    const ClosedKey closed(HKEY_LOCAL_MACHINE, kButtonListKey);
    EXPECT_EQ(std::optional<DWORD>(3), Install("/S"));
  }
  EXPECT_NE(std::string::npos,
            Log("setup.log").find("Register" + failed + "Failed to set data for '" + kTitle + "'"))
      << Log("setup.log");
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
    EXPECT_TRUE(Bytes(exe) == Bytes(ProgramPath()));
    ExpectTheProgramsButton(exe);
    EXPECT_NE(firstButton, TheOneButton());
  }

  // A silent uninstall while the program runs, started with Windows.
  Program running("", exe);
  ASSERT_NE(nullptr, running.VisibleMainWindow());
  const std::string runEntry = "\"" + exe + "\"";
  HKEY run = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_WRITE,
                                             nullptr, &run, nullptr));
  ::RegSetValueExA(run, kTitle, 0, REG_SZ, reinterpret_cast<const BYTE*>(runEntry.c_str()),
                   static_cast<DWORD>(runEntry.size() + 1));
  ::RegCloseKey(run);
  WriteDword(HKEY_CURRENT_USER, kSettingsKey, "104", 1);  // as the Options box stores it
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

  // Run again with nothing left to remove, it ends by itself and changes nothing.
  WriteDword(HKEY_CURRENT_USER, kSettingsKey, "Ypos", 3);
  EXPECT_EQ(std::optional<DWORD>(0), RunCommand("\"" + copy + "\" /S _?=" + InstallDir()));
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
  ClickIn("Tarnwick Setup", "&Install");
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
  ClickIn("Tarnwick Setup", "&Finish");
  EXPECT_EQ(std::optional<DWORD>(0), setup.get());
  double installed = 0;
  for (const char* name : {"tarnwick.exe", "help.chm"}) {
    installed += static_cast<double>(Bytes(Installed(name)).size()) / (1024 * 1024);
  }
  EXPECT_NEAR(installed, std::atof(space.c_str() + 16), 0.1) << space;
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

}  // namespace
