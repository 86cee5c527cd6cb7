#pragma once
// An in-process user32 for the native tests: window classes, windows with their procedures, one
// thread's posted-message queue and timers on a virtual clock. Nothing waits for real time and
// nothing runs on another thread: a test moves the clock, and what has come due is delivered in
// order through the same DispatchMessageA a message loop uses.
//
// Differences from user32 worth knowing: there is one module, so a class is known by its name
// alone; ShowWindow reports a
// change of the minimised state with WM_SIZE directly (user32 gets there through
// WM_WINDOWPOSCHANGED and DefWindowProc); of the messages about size and place only WM_SIZE is
// sent; there is no maximised state. Where user32 would recurse without end, it throws
// std::logic_error instead.
#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Windows.h"

namespace tarnwick::platform::emulated {

class EmulatedWindows final : public Windows {
 public:
  // A live window as a test sees it.
  struct WindowInfo {
    std::string className;  // as registered
    std::string title;
    DWORD style = 0;  // with WS_VISIBLE and WS_MINIMIZE as they are now
    DWORD exStyle = 0;
    HWND parent = nullptr;
    bool visible = false;  // its own state, whatever its parent's
    bool iconic = false;
    std::intptr_t userData = 0;
    WNDPROC proc = nullptr;
    DWORD processId = kProcessId;
  };

  struct TimerInfo {
    HWND window = nullptr;
    UINT_PTR id = 0;
    UINT elapse = 0;  // as in force: at least 10 ms, as user32 makes it
    DWORD due = 0;    // the tick count at which it comes due next
  };

  static constexpr DWORD kStartTick = 1'000'000;
  static constexpr DWORD kThreadId = 0x1234;
  // This process's id; a test can give a window another process (SetWindowProcess).
  static constexpr DWORD kProcessId = 0x2468;
  static constexpr UINT kDefaultDoubleClickTime = 500;
  // Dispatching more than this in one ProcessPending means a handler keeps posting to itself.
  static constexpr std::size_t kMaxDispatchesPerRound = 100'000;

  EmulatedWindows();
  ~EmulatedWindows() override;
  EmulatedWindows(const EmulatedWindows&) = delete;
  EmulatedWindows& operator=(const EmulatedWindows&) = delete;

  // The program's own module for nullptr; no other module is loaded.
  HINSTANCE GetModuleHandleA(const char* moduleName) override;

  ATOM RegisterClassA(const WNDCLASSA* windowClass) override;
  BOOL GetClassInfoA(HINSTANCE instance, const char* className, WNDCLASSA* windowClass) override;
  BOOL UnregisterClassA(const char* className, HINSTANCE instance) override;
  // Without a small icon the class has none: user32 would make one from the large icon.
  ATOM RegisterClassExA(const WNDCLASSEXA* windowClass) override;
  BOOL GetClassInfoExA(HINSTANCE instance, const char* className,
                       WNDCLASSEXA* windowClass) override;

  // Fails for an unknown class, an invalid parent, or WS_CHILD without a parent. WM_NCCREATE and
  // WM_CREATE point at a CREATESTRUCTA of the arguments. A procedure that answers WM_NCCREATE
  // with 0 or WM_CREATE with -1 gets no window and WM_NCDESTROY alone, as with user32. After
  // WM_CREATE a popup or child gets WM_SIZE, then WS_MINIMIZE minimises and WS_VISIBLE shows the
  // window, each with its message.
  HWND CreateWindowExA(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                       int x, int y, int width, int height, HWND parent, HMENU menu,
                       HINSTANCE instance, void* param) override;
  // Owned windows go first, children between WM_DESTROY and WM_NCDESTROY. The window is gone
  // afterwards even when its procedure throws. Asked again for a window from its own
  // WM_DESTROY or WM_NCDESTROY, where user32 would start over, it throws std::logic_error.
  BOOL DestroyWindow(HWND window) override;
  BOOL IsWindow(HWND window) override;
  // 0 for everything except: WM_NCCREATE 1, WM_CLOSE destroys the window, WM_QUERYENDSESSION 1,
  // WM_SYSCOMMAND SC_MINIMIZE and SC_RESTORE minimise and restore.
  LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  LRESULT CallWindowProcA(WNDPROC proc, HWND window, UINT message, WPARAM wParam,
                          LPARAM lParam) override;
  // Also reads GWL_STYLE, GWL_EXSTYLE, GWLP_HINSTANCE and GWLP_HWNDPARENT. A null procedure is
  // not stored; the answer is still the procedure in force, as from user32.
  std::intptr_t GetWindowLongPtrA(HWND window, int index) override;
  std::intptr_t SetWindowLongPtrA(HWND window, int index, std::intptr_t value) override;
  // Over top-level windows, the most recently created first (the top of a fresh z-order); the
  // title compares without case, as user32 compares it.
  HWND FindWindowA(const char* className, const char* windowName) override;
  DWORD GetWindowThreadProcessId(HWND window, DWORD* processId) override;
  // Sends WM_SHOWWINDOW when only the visibility changes (and for SW_SHOWNA always) and WM_SIZE
  // when the minimised state changes; a window that has had no WM_SIZE yet gets one after.
  BOOL ShowWindow(HWND window, int command) override;
  BOOL IsWindowVisible(HWND window) override;
  BOOL IsIconic(HWND window) override;
  BOOL SetForegroundWindow(HWND window) override;
  HWND GetForegroundWindow() override { return foreground_; }
  HWND GetFocus() override;
  // Keeps WS_DISABLED in the style; WM_ENABLE is sent when the state changes.
  BOOL EnableWindow(HWND window, BOOL enable) override;
  BOOL IsWindowEnabled(HWND window) override;

  // Window classes and registered messages share one atom table, from 0xC000 up.
  UINT RegisterWindowMessageA(const char* name) override;
  // Recorded; answers true for a window that exists.
  BOOL ChangeWindowMessageFilterEx(HWND window, UINT message, DWORD action) override;
  // Each message let through, with its window, in call order.
  const std::vector<std::pair<HWND, UINT>>& AllowedMessages() const { return allowedMessages_; }
  // Makes PostMessageA to `window` fail, as a window of a process of higher integrity refuses
  // messages that its filter does not let through.
  void RefusePosts(HWND window) { refusedPosts_.push_back(window); }
  BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  // True while a message of SendFromOtherThread is handled.
  BOOL InSendMessage() override { return otherThreadSends_ > 0 ? 1 : 0; }
  void PostQuitMessage(int exitCode) override;
  // Order of retrieval: posted messages, then WM_QUIT, then a due WM_TIMER. With nothing to
  // retrieve it moves the clock to the next timer that matches; with no such timer it throws
  // std::logic_error, because a real thread would wait forever.
  BOOL GetMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax) override;
  BOOL PeekMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax,
                    UINT removeMessage) override;
  // Only whether a message is queued: it takes no handles and never waits.
  DWORD MsgWaitForMultipleObjectsEx(DWORD count, const HANDLE* handles, DWORD milliseconds,
                                    DWORD wakeMask, DWORD flags) override;
  BOOL TranslateMessage(const MSG* message) override;
  // A WM_TIMER with a TIMERPROC calls it only if a live timer has that procedure, as user32
  // checks, so a forged lParam is never called.
  LRESULT DispatchMessageA(const MSG* message) override;

  // A window's timer returns its id (1 for id 0); a null window's timer gets a fresh id unless
  // `id` names one of its timers already. Elapse is kept between 10 ms and 0x7FFFFFFF ms.
  UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, os::TIMERPROC proc) override;
  BOOL KillTimer(HWND window, UINT_PTR id) override;

  BOOL GetCursorPos(POINT* point) override;
  // The standard cursors user32 has (kIdcArrow, kIdcWait, kIdcHand and the other IDC_ numbers);
  // each number always gives the same shared handle.
  os::HCURSOR LoadStandardCursor(int id) override;
  // Records the cursor shown; starts with none, as a thread that has set none.
  os::HCURSOR SetCursor(os::HCURSOR cursor) override;
  SHORT GetAsyncKeyState(int virtualKey) override;
  UINT GetDoubleClickTime() override;
  // Windows' own default colours until a test sets one; an index user32 does not have reads 0.
  DWORD GetSysColor(int index) override;
  // Answers kSpiGetHighContrast alone, and only for a HIGHCONTRASTA of the right cbSize, as
  // user32 checks it; high contrast is off until a test turns it on.
  BOOL SystemParametersInfoA(UINT action, UINT param, void* data, UINT winIni) override;
  DWORD GetTickCount() override;

  // --- Test drivers ---------------------------------------------------------------------------

  // Dispatches every posted message and every WM_TIMER due now (each timer at most once) until
  // none is left; returns how many were dispatched. A WM_QUIT stays queued for the message loop.
  std::size_t ProcessPending();
  // Moves the clock by `span`, stopping at each due time on the way to dispatch what is due then
  // and whatever its handlers post. Returns how many messages were dispatched.
  std::size_t Advance(std::chrono::milliseconds span);
  // Moves the clock without dispatching; timers that come due meanwhile wait, each as one WM_TIMER.
  void SkipTime(std::chrono::milliseconds span);
  // Delivers a message as another thread's (or process's) SendMessage does, at once.
  LRESULT SendFromOtherThread(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  // --- Test controls and inspection -----------------------------------------------------------

  // Makes a window look like another process's, as a running instance's main window does.
  void SetWindowProcess(HWND window, DWORD processId);
  // Retitles a window directly; no WM_SETTEXT is sent.
  BOOL SetWindowTextA(HWND window, const char* text) override;
  int GetWindowTextA(HWND window, char* text, int size) override;
  // One window station, shown to a user unless a test hides it (as a service's is). Only
  // kUoiFlags is answered.
  os::HWINSTA GetProcessWindowStation() override;
  BOOL GetUserObjectInformationA(os::HANDLE object, int index, void* info, DWORD length,
                                 DWORD* needed) override;
  void SetWindowStationVisible(bool visible) { stationVisible_ = visible; }
  // Recorded; answers with the next scripted answer, kIdOk when none is left. Its owner is
  // disabled while it is open.
  int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) override;

  struct MessageBoxCall {
    HWND owner = nullptr;
    std::string text;
    std::string caption;
    UINT type = 0;
  };
  const std::vector<MessageBoxCall>& MessageBoxes() const { return messageBoxes_; }
  void ClearMessageBoxes() { messageBoxes_.clear(); }
  void ScriptMessageBoxAnswer(int answer) { messageBoxAnswers_.push_back(answer); }
  // Runs while a message box is "open", as the modal loop of a real one would run messages.
  std::function<void(const MessageBoxCall&)> OnMessageBox;
  std::optional<WindowInfo> Info(HWND window) const;
  // Top-level windows in creation order.
  std::vector<HWND> TopLevelWindows() const;
  std::size_t WindowCount() const { return windows_.size(); }
  // Live timers in the order they were set.
  std::vector<TimerInfo> Timers() const;
  std::size_t TimerCount() const { return timers_.size(); }
  std::vector<MSG> PostedMessages() const { return {posted_.begin(), posted_.end()}; }
  // The exit code of a PostQuitMessage whose WM_QUIT has not been retrieved yet.
  std::optional<int> PendingQuit() const { return quitCode_; }

  void PlaceCursor(POINT point) { cursor_ = point; }
  os::HCURSOR ShownCursor() const { return shownCursor_; }
  // The argument of every SetCursor call.
  const std::vector<os::HCURSOR>& CursorsSet() const { return cursorsSet_; }
  void FailGetCursorPos(bool fail = true) { cursorFails_ = fail; }
  void SetKeyDown(int virtualKey, bool down = true);
  void SetDoubleClickTime(UINT milliseconds) { doubleClickTime_ = milliseconds; }
  // The user's colour scheme: one colour, and whether high contrast is on.
  void SetSysColor(int index, DWORD color) { sysColors_[index] = color; }
  void SetHighContrast(bool on) { highContrast_ = on; }
  // While set, SetTimer fails with 0 and sets nothing.
  void RefuseTimers(bool refuse = true) { refuseTimers_ = refuse; }
  HWND ForegroundWindow() const { return foreground_; }
  // The argument of every SetForegroundWindow call, accepted or not.
  const std::vector<HWND>& ForegroundCalls() const { return foregroundCalls_; }

 private:
  std::vector<std::pair<HWND, UINT>> allowedMessages_;
  std::map<std::pair<HWND, bool>, LPARAM> icons_;  // by window and whether big
  std::vector<HWND> refusedPosts_;
  std::vector<MessageBoxCall> messageBoxes_;
  std::deque<int> messageBoxAnswers_;
  struct WindowClass {
    std::string name;  // as registered
    WNDCLASSA info;
    std::optional<std::string> menuName;  // when given as text rather than a resource number
    os::HICON smallIcon = nullptr;
  };
  struct Window {
    std::string classKey;  // upper-case class name
    WindowInfo info;
    HINSTANCE instance = nullptr;
    bool destroying = false;
    LPARAM size = 0;     // as WM_SIZE reports it
    bool sized = false;  // whether its first WM_SIZE was sent
  };
  struct Timer {
    HWND window = nullptr;
    UINT_PTR id = 0;
    UINT elapse = 0;
    os::TIMERPROC proc = nullptr;
    std::uint64_t due = 0;
    std::uint64_t serial = 0;  // order of setting; breaks ties between equal due times
  };
  struct Filter {
    HWND window = nullptr;
    UINT first = 0;
    UINT last = 0;
    bool Takes(UINT message) const;
    bool Takes(HWND target) const;
  };

  Window* Find(HWND window);
  const Window* Find(HWND window) const;
  // A class name given as text or as an atom (a pointer value below 0x10000).
  std::optional<std::string> NameOf(const char* nameOrAtom) const;
  ATOM AddAtom(std::string_view name);
  LRESULT Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Erases a window, its dependants, timers and posted messages without sending anything.
  void Forget(HWND window);
  // Ends a window whose creation was refused: WM_NCDESTROY to its children and to it, no
  // WM_DESTROY.
  void Abandon(HWND window);
  // Sends a window its first WM_SIZE, for its current state.
  void Resize(HWND window);
  enum class Kind { Owned, Children, All };
  // The windows that `window` owns or parents, in creation order.
  std::vector<HWND> Dependants(HWND window, Kind kind) const;

  bool TakePosted(MSG* message, const Filter& filter, bool remove, bool withQuit);
  Timer* ReadyTimer(const Filter& filter, const std::set<std::uint64_t>* skip);
  std::optional<std::uint64_t> NextDue(const Filter& filter) const;
  // The WM_TIMER for `timer`; with `remove` the timer starts its next period.
  MSG TakeTimer(Timer& timer, bool remove);
  bool Fetch(MSG* message, const Filter& filter, bool remove);
  std::size_t DispatchDue();

  std::map<std::string, WindowClass> classes_;  // by upper-case name
  std::map<std::string, ATOM> atoms_;           // by upper-case name
  std::map<ATOM, std::string> atomNames_;
  std::map<std::uintptr_t, Window> windows_;  // handles only grow, so this is creation order
  std::uintptr_t lastWindow_ = 0x00010000;
  std::deque<MSG> posted_;
  int otherThreadSends_ = 0;  // how many of them are being handled
  std::optional<int> quitCode_;
  std::vector<Timer> timers_;
  std::uint64_t lastTimerSerial_ = 0;
  UINT_PTR lastThreadTimerId_ = 0x7FF0;
  std::uint64_t now_ = kStartTick;

  POINT cursor_;
  os::HCURSOR shownCursor_ = nullptr;
  std::vector<os::HCURSOR> cursorsSet_;
  bool cursorFails_ = false;
  std::set<int> keysDown_;
  UINT doubleClickTime_ = kDefaultDoubleClickTime;
  std::map<int, DWORD> sysColors_;  // those a test set
  bool highContrast_ = false;
  bool refuseTimers_ = false;
  HWND foreground_ = nullptr;
  std::vector<HWND> foregroundCalls_;
  bool stationVisible_ = true;
};

}  // namespace tarnwick::platform::emulated
