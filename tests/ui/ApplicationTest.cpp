#include "ui/Application.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>

#include "platform/emulated/EmulatedPlatform.h"
#include "ui/ErrorBoundary.h"
#include "ui/Form.h"

namespace tarnwick::ui {
namespace {

using namespace platform::os;
using platform::emulated::EmulatedPlatform;

class ApplicationTest : public ::testing::Test {
 protected:
  ApplicationTest() { app_.Initialize(); }
  EmulatedPlatform os_;
  platform::emulated::EmulatedWindows& win_ = os_.windows();
  Application app_;
};

TEST_F(ApplicationTest, HooksSeeMessagesFirstAndCanTakeThem) {
  std::vector<std::string> seen;
  const int first = app_.AddHook([&](UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == kWmUser) seen.push_back("first");
    return std::nullopt;
  });
  app_.AddHook([&](UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message != kWmUser) return std::nullopt;
    seen.push_back("second");
    return 42;
  });
  EXPECT_EQ(42, win_.SendMessageA(app_.Handle(), kWmUser, 0, 0));
  app_.RemoveHook(first);
  win_.SendMessageA(app_.Handle(), kWmUser, 0, 0);
  EXPECT_EQ((std::vector<std::string>{"first", "second", "second"}), seen);
}

TEST_F(ApplicationTest, MinimizeAndRestoreTheApplicationWindow) {
  win_.ShowWindow(app_.Handle(), kSwShow);
  app_.Minimize();
  EXPECT_TRUE(win_.IsIconic(app_.Handle()));
  app_.Restore();
  EXPECT_FALSE(win_.IsIconic(app_.Handle()));
  EXPECT_TRUE(win_.IsWindowVisible(app_.Handle()));
}

TEST_F(ApplicationTest, ProcessMessagesRunsWhatIsPendingAndNotesAQuit) {
  int handled = 0;
  app_.AddHook([&](UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == kWmUser) ++handled;
    return std::nullopt;
  });
  win_.PostMessageA(app_.Handle(), kWmUser, 0, 0);
  win_.PostMessageA(app_.Handle(), kWmUser, 0, 0);
  app_.ProcessMessages();
  EXPECT_EQ(2, handled);
  EXPECT_FALSE(app_.Terminated());
  win_.PostQuitMessage(3);
  app_.ProcessMessages();
  EXPECT_TRUE(app_.Terminated());
  EXPECT_EQ(3, win_.PendingQuit());  // passed on to the loop outside, as a menu's pump runs it
}

// The program sets no timer procedures; Wine would call whatever a posted WM_TIMER names.
TEST_F(ApplicationTest, TheLoopRunsNoTimerProcedure) {
  static int called = 0;
  called = 0;
  win_.SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) { ++called; });
  win_.SkipTime(std::chrono::milliseconds(20));
  app_.ProcessMessages();
  EXPECT_EQ(0, called);
}

TEST_F(ApplicationTest, RunShowsTheMainWindowUnlessToldNotToAndEndsOnQuit) {
  for (bool show : {true, false}) {
    EmulatedPlatform os;
    Application app;
    app.Initialize();
    Form main("TMainForm");
    app.SetMainForm(&main);
    app.SetShowMainForm(show);
    os.windows().PostQuitMessage(0);
    app.Run();
    EXPECT_EQ(show, main.Visible());
    EXPECT_TRUE(app.Terminated());
  }
}

TEST_F(ApplicationTest, IdleWorkRunsOnceWhatIsQueuedIsDoneAndCanBeCancelled) {
  std::vector<std::string> seen;
  app_.AddHook([&](UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == kWmUser) seen.push_back("message");
    return std::nullopt;
  });
  app_.WhenIdle([&] {
    seen.push_back("idle");
    win_.PostQuitMessage(0);
  });
  const int cancelled = app_.WhenIdle([&] { seen.push_back("cancelled"); });
  app_.WhenIdle([] { throw std::runtime_error("reaches the handler, not the loop"); });
  app_.OnException = [&](Application&, std::exception_ptr) { seen.push_back("error"); };
  app_.CancelIdleWork(cancelled);
  win_.PostMessageA(app_.Handle(), kWmUser, 0, 0);
  win_.PostMessageA(app_.Handle(), kWmUser, 0, 0);
  app_.Run();
  EXPECT_EQ((std::vector<std::string>{"message", "message", "idle", "error"}), seen);
}

TEST(ApplicationIcons, TheApplicationWindowAndEveryFormWithAnIconInItsFrameCarryTheProgramsIcons) {
  EmulatedPlatform os;
  const auto small = reinterpret_cast<os::HICON>(0x10066);
  const auto large = reinterpret_cast<os::HICON>(0x10064);
  Application app;
  app.SetIcons(small, large);
  app.Initialize();
  EXPECT_THROW(app.SetIcons(small, large), std::logic_error);  // too late for the classes
  Form main("TMainForm");
  Form dialog("TDialogForm");
  dialog.SetBorderStyle(BorderStyle::Dialog);
  main.Handle();
  dialog.Handle();
  using Icons = std::pair<os::HICON, os::HICON>;  // small, large
  const auto iconsOf = [&](const char* className) {
    WNDCLASSEXA found;
    EXPECT_NE(0, os.windows().GetClassInfoExA(os.windows().GetModuleHandleA(nullptr), className,
                                              &found));
    return Icons{found.hIconSm, found.hIcon};
  };
  EXPECT_EQ(Icons(small, large), iconsOf(kApplicationWindowClass));
  EXPECT_EQ(Icons(small, large), iconsOf("TMainForm"));
  EXPECT_EQ(Icons(nullptr, nullptr), iconsOf("TDialogForm"));
}

TEST_F(ApplicationTest, FormsAreOwnedByTheApplicationWindowAndNamedByTheirClass) {
  Form form("TQuillmoor");
  form.SetCaption("Tarnwick v1.0b Personal");
  auto info = win_.Info(form.Handle());
  ASSERT_TRUE(info);
  EXPECT_EQ("TQuillmoor", info->className);
  EXPECT_EQ(app_.Handle(), info->parent);
  EXPECT_EQ(form.Handle(), win_.FindWindowA("TQuillmoor", nullptr));
}

// The application window, activated by its taskbar button or a restore from the tray, passes
// the keyboard on to where the user works.
TEST_F(ApplicationTest, TheApplicationWindowPassesTheKeyboardToTheFormInUse) {
  Form main("TMainForm");
  app_.SetMainForm(&main);
  const auto focusApplication = [&](const std::function<void()>& meanwhile = [] {}) {
    win_.ShowWindow(app_.Handle(), kSwShow);
    win_.SetForegroundWindow(app_.Handle());
    win_.SendMessageA(app_.Handle(), kWmSetFocus, 0, 0);
    meanwhile();
    app_.ProcessMessages();
    return win_.GetFocus();
  };
  main.SetVisible(true);
  EXPECT_EQ(main.Handle(), focusApplication());
  EXPECT_EQ(main.Handle(), focusApplication([&] { app_.Minimize(); app_.Restore(); }));

  Form other("TOtherForm");
  other.SetVisible(true);
  EXPECT_EQ(other.Handle(), focusApplication([&] { win_.SetForegroundWindow(other.Handle()); }))
      << "the focus was taken back after it had moved on";
  app_.Minimize();
  EXPECT_EQ(app_.Handle(), focusApplication([&] { app_.Minimize(); }));
  app_.Restore();

  // A modal form takes it while it is shown, and the main window, disabled under it, does not.
  Form dialog("TDialogForm");
  HWND focusUnderDialog = nullptr;
  dialog.AddHook([&](UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message != kWmUser) return std::nullopt;
    focusUnderDialog = focusApplication();
    dialog.SetModalResult(1);
    return 0;
  });
  win_.PostMessageA(dialog.Handle(), kWmUser, 0, 0);
  dialog.ShowModal();
  EXPECT_EQ(dialog.Handle(), focusUnderDialog);

  main.SetVisible(false);
  EXPECT_EQ(app_.Handle(), focusApplication()) << "a hidden main window took the keyboard";
}

TEST_F(ApplicationTest, EscapedErrorsGoToTheHandlerOrAreShown) {
  // By default in a box over the form in use, while none of the program's windows takes input;
  // errors held while the windows are made come once each when the loop starts.
  Form main("TMainForm");
  Form other("TOther");
  app_.SetMainForm(&main);
  main.SetVisible(true);
  other.Handle();
  std::vector<bool> enabled;
  win_.OnMessageBox = [&](const auto& box) {
    EXPECT_EQ(main.Handle(), box.owner);
    for (HWND window : {main.Handle(), other.Handle(), app_.Handle()}) {
      enabled.push_back(win_.IsWindowEnabled(window) != 0);
    }
  };
  app_.HoldErrors();
  for (const char* text : {"one", "two", "one"}) Guard([&] { throw std::runtime_error(text); });
  EXPECT_TRUE(win_.MessageBoxes().empty());
  win_.PostQuitMessage(0);
  app_.Run();
  ASSERT_EQ(2u, win_.MessageBoxes().size());
  EXPECT_EQ("two", win_.MessageBoxes()[1].text);
  EXPECT_EQ(std::vector<bool>(6, false), enabled);
  EXPECT_TRUE(win_.IsWindowEnabled(main.Handle()) && win_.IsWindowEnabled(other.Handle()) &&
              win_.IsWindowEnabled(app_.Handle()));

  // A window that comes up while a box is open waits for its answer.
  bool shownUnderTheBox = true;
  win_.OnMessageBox = [&](const auto&) {
    other.SetVisible(true);
    shownUnderTheBox = other.Visible();
  };
  Guard([] { throw std::runtime_error("three"); });
  EXPECT_FALSE(shownUnderTheBox);
  EXPECT_TRUE(other.Visible());

  std::vector<std::string> shown;
  app_.ShowError = [&](const std::string& message) { shown.push_back(message); };
  Guard([] { throw std::runtime_error("Invalid data type for '101'"); });
  EXPECT_EQ(std::vector<std::string>{"Invalid data type for '101'"}, shown);

  int custom = 0;
  app_.OnException = [&](Application& sender, std::exception_ptr) {
    EXPECT_EQ(&app_, &sender);
    ++custom;
  };
  Guard([] { throw 7; });
  EXPECT_EQ(1, custom);
  EXPECT_EQ(1u, shown.size());
}

TEST_F(ApplicationTest, AnErrorInAFormsHandlerDoesNotUnwindThroughTheWindow) {
  std::vector<std::string> shown;
  app_.ShowError = [&](const std::string& message) { shown.push_back(message); };
  Form form("TMainForm");
  form.AddHook([](UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == kWmUser) throw std::runtime_error("boom");
    return std::nullopt;
  });
  win_.PostMessageA(form.Handle(), kWmUser, 0, 0);
  EXPECT_NO_THROW(app_.ProcessMessages());
  EXPECT_EQ(std::vector<std::string>{"boom"}, shown);
}

}  // namespace
}  // namespace tarnwick::ui
