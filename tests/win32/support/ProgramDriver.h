#pragma once
// Drives the real tarnwick.exe from outside, as a user, a second start or an installer would:
// starts it, finds its windows and controls, clicks them, reads its state back from the
// controls and the registry, and resets the registry to that of a machine where the program
// never ran, in the project's own Wine prefix only. Every wait ends by a deadline; what goes
// wrong is reported as a test failure.
#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/BrowserSwitches.h"
#include "tests/win32/support/WineSession.h"

struct IAccessible;

namespace tarnwick::test {

constexpr char kTitle[] = "Tarnwick v1.0b Personal";
constexpr char kMainClass[] = "TQuillmoor";

// Bounds of every wait. A warm start shows its window in about 0.2 s.
constexpr DWORD kStartWait = 8000;
constexpr DWORD kExitWait = 5000;
constexpr DWORD kStateWait = 3000;
constexpr DWORD kSendWait = 5000;

// What the program reads and writes in the registry.
constexpr char kSettingsKey[] = "Software\\Brambleworks\\Tarnwick";
using test::kButtonListKey;
using test::kExtensionsKey;
using test::kFlashKey;
using test::kMainKey;
using test::kShockwaveKey;
using test::kZoneKey;
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// Where Group Policy puts what an administrator set, for the computer and for each user.
constexpr char kPoliciesKey[] = "Software\\Policies\\Brambleworks\\Tarnwick";
constexpr char kRecommendedKey[] = "Software\\Policies\\Brambleworks\\Tarnwick\\Recommended";
constexpr const char* kTextSwitches[] = {"Display Inline Videos", "Play_Animations",
                                         "Play_Background_Sounds"};

// The main window's choice groups in layout order, and the group of presets.
constexpr const char* kGroups[] = {"Display inline &videos", "Play animated &gifs",
                                   "Background &sounds", "&Macromedia Shockwave && Flash Player",
                                   "Accept &JAVA applets"};
constexpr char kPresets[] = "Global s&ettings";

// The program's path as Windows sees it.
std::string ProgramPath();

// --- The registry, read and written directly ---------------------------------------------------

struct Value {
  DWORD type = REG_NONE;
  std::string data;  // raw bytes
  std::string Text() const { return std::string(data.c_str()); }
  DWORD Dword() const;
};

// The views of HKLM\\Software that the program writes for the browser: on 64-bit Windows
// KEY_WOW64_64KEY and KEY_WOW64_32KEY, on 32-bit Windows the one (0). Every call below takes a
// view; 0 is this test's own.
std::vector<REGSAM> MachineViews();

class Key {
 public:
  Key(HKEY root, const char* path, REGSAM view = 0);
  ~Key();
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  bool Open() const { return key_ != nullptr; }

  std::optional<Value> Get(const char* name) const;
  std::vector<std::string> ValueNames() const;  // sorted
  std::vector<std::string> SubKeys() const;     // sorted

 private:
  // The names an enumeration by index gives until it ends, sorted.
  std::vector<std::string> Names(
      DWORD capacity, const std::function<LSTATUS(DWORD, char*, DWORD*)>& enumerate) const;

  HKEY key_ = nullptr;
};

std::optional<Value> Read(HKEY root, const char* path, const char* name, REGSAM view = 0);
// A value of the type asked for; nothing when it is missing or of another type.
std::optional<std::string> ReadText(HKEY root, const char* path, const char* name,
                                    REGSAM view = 0);
std::optional<DWORD> ReadDword(HKEY root, const char* path, const char* name, REGSAM view = 0);
bool KeyExists(HKEY root, const char* path, REGSAM view = 0);
void WriteDword(HKEY root, const char* path, const char* name, DWORD number, REGSAM view = 0);
void DeleteValue(HKEY root, const char* path, const char* name, REGSAM view = 0);
void DeleteTree(HKEY root, const char* path, REGSAM view = 0);

bool HasText(HKEY root, const char* path, const char* name, const char* text);
bool HasDword(HKEY root, const char* path, const char* name, DWORD number, REGSAM view = 0);
// Whether `holds` is true of every view of the machine.
bool InEveryView(const std::function<bool(REGSAM view)>& holds);
// A stored setting; a setting of another type than REG_DWORD fails the test.
std::optional<DWORD> Setting(const char* name);
bool HasSetting(const char* name, DWORD number);
// The extension keys whose button text is the program title, in one view.
std::vector<std::string> ProgramButtons(REGSAM view = 0);
// The identifier the program's list names, read where the program keeps it.
std::optional<std::string> ListedButton();
// The program's button when every view holds exactly one, the same; nothing otherwise.
std::optional<std::string> TheOneButton();
// Whether no view holds a button of the program and its list names none.
bool NoProgramButton();
// A policy value as Group Policy writes it: the computer's (HKEY_LOCAL_MACHINE) once, in the 64-bit
// view of a 64-bit machine; the user's (HKEY_CURRENT_USER). ResetRegistry takes them away.
void PutPolicy(HKEY root, const char* path, const char* name, DWORD number);
void DeletePolicy(HKEY root, const char* path, const char* name);
// What Group Policy does once it has applied a change: tells every top-level window.
void BroadcastPolicyChange();
// Another program's button, put in every view; ResetRegistry takes it away.
void PutOtherProgramsButton();
bool OtherProgramsButtonStays();

// Everything of the registry that the program reads or writes, as text to compare or show.
std::string RegistryState();

// Whether this is the project's own Wine prefix (see WhyTheRegistryIsNotOurs); when it is not,
// the test has failed, and a SetUp that returns then keeps the test from running.
bool RequireTheProjectsPrefix();
// The state of a machine where the program never ran: no settings, no browser switch of ours,
// no toolbar button. Refused, as a test failure, outside the project's own Wine prefix.
void ResetRegistry();

// --- Windows and controls, of this process or another -----------------------------------------

bool IsGroupBox(const Control& c);
bool IsRadio(const Control& c);
bool IsPushButton(const Control& c);
// Whether the middle of `inner` lies in `outer`.
bool Inside(const RECT& inner, const RECT& outer);
std::string ListControls(HWND window);
// The lines of a list box.
std::vector<std::string> ListLines(HWND list);

// A sent message that must be answered within kSendWait; the answer, or a test failure.
DWORD_PTR SendW(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
DWORD_PTR Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// --- One started program -----------------------------------------------------------------------

class Program {
 public:
  // The build's tarnwick.exe, or the one at `path` (an installed copy).
  explicit Program(const std::string& arguments = "", const std::string& path = ProgramPath());
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool Started() const { return process_.hProcess != nullptr; }
  DWORD Id() const { return process_.dwProcessId; }
  bool Running() const;

  // The exit code once the process has ended within `limit` ms; nothing while it still runs.
  std::optional<DWORD> WaitForExit(DWORD limit = kExitWait) const;
  // The main window once it carries the program title, which is when a second start finds it.
  HWND MainWindow(DWORD limit = kStartWait);
  // The main window once it is visible; empty when it does not show within the limit.
  HWND VisibleMainWindow(DWORD limit = kStartWait);
  long long MillisecondsSinceStart() const;

  // The message boxes the program shows; any of them means that something failed inside.
  std::vector<std::string> MessageBoxes() const;

  // Ends the program as a user does, with its Exit button, and by force only when that fails.
  // The exit code when it ended by itself.
  std::optional<DWORD> End();

 private:
  PROCESS_INFORMATION process_{};
  std::chrono::steady_clock::time_point started_;
  HWND main_ = nullptr;
};

// Runs the program with `arguments` to its end; its exit code, or nothing if it did not end.
std::optional<DWORD> RunToEnd(const std::string& arguments);

// Instances left behind by a test that failed would answer the next test's second start. Refused,
// as a test failure, outside the project's own Wine prefix.
void EndStrayInstances();

// The main window's controls, found by class, caption and place, as a user sees them.
class Window {
 public:
  explicit Window(HWND handle) : handle_(handle) {}
  bool Visible() const { return ::IsWindowVisible(handle_) != FALSE; }

  HWND FindButton(const std::string& caption) const;
  // A push button that must be there.
  HWND Button(const std::string& caption) const;
  // For a caption that a posted message changes.
  bool ButtonAppears(const std::string& caption) const;
  std::string Caption(HWND control) const { return control ? TextOf(control) : "(no control)"; }

  // The radio buttons of the group box titled `group`, in their order on screen.
  std::vector<Control> Radios(const std::string& group) const;
  HWND Radio(const std::string& group, const std::string& item) const;
  // The caption of the group's checked item, "" when none is checked.
  std::string Choice(const std::string& group) const;
  // The choices of kGroups.
  std::vector<std::string> Choices() const;
  // The lines of the log.
  std::vector<std::string> Log() const;

  // BM_CLICK runs the whole click, handlers included, before it returns.
  void Click(HWND control) const;

 private:
  HWND handle_;
};

// Moves the pointer as a hand on the mouse does, through the system's input queue.
void MoveMouseTo(LONG x, LONG y);

// --- What a screen reader hears ----------------------------------------------------------------

// A control's object, read as a reader reads it (with AccessibleObjectFromWindow), from this
// process or another; what it does not answer stays empty.
struct Heard {
  long role = 0;
  std::string name;
  std::string value;
  long state = 0;
  std::string action;  // the default action's name
  std::string description{};
};
std::optional<Heard> Hear(HWND control);
// The object itself, for the caller to release; null when the control gives none.
IAccessible* ReaderObjectOf(HWND control);

// --- The notification area -------------------------------------------------------------------

struct TrayIcon {
  HWND window;
  UINT id;
};

// Whether the shell shows the icon, asked to change nothing about it: NIM_MODIFY succeeds only
// for an icon that is there.
bool IconIsThere(const TrayIcon& icon);
// The program's icon, which belongs to one of its hidden windows.
std::optional<TrayIcon> FindTrayIcon(DWORD processId);
// The same, once it is there: the program adds it when it first waits for input.
std::optional<TrayIcon> WaitForTrayIcon(DWORD processId);
// Clicks the icon, once it is there, as the shell does, with the left or the right button: its
// callback messages to the icon's window.
bool ClickTrayIcon(DWORD processId, bool right = false);

}  // namespace tarnwick::test
