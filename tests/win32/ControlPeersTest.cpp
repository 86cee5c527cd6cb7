// The main window with its real controls under Wine: the layout's captions as standard controls
// of the right kind and place, clicks and keys that reach the models through the controls, the
// menu bar, the log's context menu, and the real registry behind a choice.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "blocking/MainWindow.h"
#include "platform/win32/Win32Platform.h"
#include "settings/SettingsStore.h"
#include "tests/win32/support/ProgramDriver.h"
#include "ui/Application.h"
#include "ui/Form.h"
#include "ui/Managed.h"
#include "ui/Menu.h"
#include "ui/win32/Win32Peers.h"
#include "tests/support/TestBackend.h"
#include "tests/support/TestDesktop.h"

namespace {

using namespace tarnwick;
using blocking::TQuillmoor;
using test::ClassOf;
using test::kFlashKey;
using test::kMainKey;
using test::kShockwaveKey;
using test::kZoneKey;
using test::ListLines;
using test::ReadDword;
using test::ReadText;
using test::TextOf;

// A registry value that a test may change, put back as it was when the test ends.
class SavedValue {
 public:
  SavedValue(HKEY root, std::string key, std::string name)
      : root_(root), key_(std::move(key)), name_(std::move(name)) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(root_, key_.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS) return;
    keyExisted_ = true;
    DWORD size = 0;
    if (RegQueryValueExA(handle, name_.c_str(), nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
      data_.resize(size);
      present_ = RegQueryValueExA(handle, name_.c_str(), nullptr, &type_, data_.data(), &size) ==
                 ERROR_SUCCESS;
      data_.resize(size);
    }
    RegCloseKey(handle);
  }
  ~SavedValue() { Restore(); }
  SavedValue(SavedValue&& other) noexcept = default;
  SavedValue(const SavedValue&) = delete;

  void Erase() const {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(root_, key_.c_str(), 0, KEY_SET_VALUE, &handle) != ERROR_SUCCESS) return;
    RegDeleteValueA(handle, name_.c_str());
    RegCloseKey(handle);
  }

 private:
  void Restore() {
    if (key_.empty()) return;  // moved from
    if (!present_) {
      Erase();
      if (!keyExisted_) RegDeleteKeyA(root_, key_.c_str());  // fails while it holds anything else
      return;
    }
    HKEY handle = nullptr;
    if (RegCreateKeyExA(root_, key_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle,
                        nullptr) != ERROR_SUCCESS) {
      return;
    }
    RegSetValueExA(handle, name_.c_str(), 0, type_, data_.data(), static_cast<DWORD>(data_.size()));
    RegCloseKey(handle);
  }

  HKEY root_;
  std::string key_;
  std::string name_;
  bool keyExisted_ = false;
  bool present_ = false;
  DWORD type_ = REG_NONE;
  std::vector<BYTE> data_;
};

LONG ButtonType(HWND window) { return GetWindowLongA(window, GWL_STYLE) & BS_TYPEMASK; }

// A window's place in its parent's client area.
RECT PlaceOf(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::string MenuText(HMENU menu, UINT position) {
  char text[128] = {};
  GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
  return text;
}

os::HICON Ours(HICON icon) { return reinterpret_cast<os::HICON>(icon); }

class MainWindowPeers : public ::testing::Test {
 protected:
  void SetUp() override {
    // The test writes the browser switches; on a machine of its own it would change them.
    if (!test::RequireTheProjectsPrefix()) return;
    // A first start: nothing stored, so the groups keep their design-time choices.
    for (const SavedValue& value : saved_) value.Erase();
    app_.ShowError = [this](const std::string& message) { errors_.push_back(message); };
    app_.Initialize();
    backend_ = &test::InstallTestBackend(app_, ui::win32::MakeBackend());
    images_ = {Ours(LoadIconA(nullptr, IDI_INFORMATION)), Ours(LoadIconA(nullptr, IDI_WARNING)),
               Ours(LoadIconA(nullptr, IDI_APPLICATION)), Ours(LoadIconA(nullptr, IDI_ERROR))};
    window_ = std::make_unique<TQuillmoor>(images_);
    app_.SetMainForm(window_.get());
    window_->CreatePeers();
    window_->SetVisible(true);
    app_.ProcessMessages();
    form_ = reinterpret_cast<HWND>(window_->Handle());
  }

  void TearDown() override {
    window_.reset();
    EXPECT_EQ(std::vector<std::string>{}, errors_);
  }

  TQuillmoor& W() { return *window_; }

  std::vector<HWND> Children() const { return test::ChildWindows(form_); }

  // The one control of `className` with `text`; fails the test when there is none or several.
  HWND Find(const std::string& className, const std::string& text) const {
    std::vector<HWND> hits;
    for (HWND child : Children()) {
      if (test::SameClass(ClassOf(child), className.c_str()) && TextOf(child) == text) {
        hits.push_back(child);
      }
    }
    EXPECT_EQ(1u, hits.size()) << className << " \"" << text << "\"";
    return hits.size() == 1 ? hits.front() : nullptr;
  }

  // The radio buttons drawn inside the group box captioned `caption`, in their order on screen.
  std::vector<HWND> RadioButtons(const std::string& caption) const {
    std::vector<HWND> buttons;
    if (Find("Button", caption) == nullptr) return buttons;
    for (const test::Control& c : test::Window(form_).Radios(caption)) buttons.push_back(c.handle);
    return buttons;
  }
  HWND Radio(const std::string& caption, const std::string& item) const {
    for (HWND button : RadioButtons(caption)) {
      if (TextOf(button) == item) return button;
    }
    ADD_FAILURE() << "no item \"" << item << "\" in \"" << caption << "\"";
    return nullptr;
  }
  std::vector<int> Checks(const std::string& caption) const {
    std::vector<int> checks;
    for (HWND button : RadioButtons(caption)) {
      checks.push_back(static_cast<int>(SendMessageA(button, BM_GETCHECK, 0, 0)));
    }
    return checks;
  }

  HWND List() const { return Find("ListBox", ""); }

  void PostKey(HWND window, WPARAM key) {
    PostMessageA(window, WM_KEYDOWN, key, 1);
    PostMessageA(window, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
    app_.ProcessMessages();
  }

  platform::win32::Win32Platform os_;
  std::vector<SavedValue> saved_ = [] {
    std::vector<SavedValue> values;
    for (const char* name : {"1", "2", "3", "4", "5", "101", "102", "103", "104", "i", "Ypos"}) {
      values.emplace_back(HKEY_CURRENT_USER, settings::kSettingsKey, name);
    }
    for (const char* name : {"Display Inline Videos", "Play_Animations", "Play_Background_Sounds"}) {
      values.emplace_back(HKEY_CURRENT_USER, kMainKey, name);
    }
    values.emplace_back(HKEY_LOCAL_MACHINE, kFlashKey, "Compatibility Flags");
    values.emplace_back(HKEY_LOCAL_MACHINE, kShockwaveKey, "Compatibility Flags");
    values.emplace_back(HKEY_CURRENT_USER, kZoneKey, "1C00");
    return values;
  }();
  ui::Application app_;
  blocking::MainWindowImages images_;
  test::TestBackend* backend_ = nullptr;
  std::unique_ptr<TQuillmoor> window_;
  HWND form_ = nullptr;
  std::vector<std::string> errors_;
};

TEST_F(MainWindowPeers, TheWindowHasItsClassTitleFixedFrameAndClientSize) {
  EXPECT_EQ("TQuillmoor", ClassOf(form_));
  EXPECT_EQ("Tarnwick v1.0b Personal", TextOf(form_));
  EXPECT_EQ(form_, FindWindowA("TQuillmoor", "Tarnwick v1.0b Personal"));

  const LONG style = GetWindowLongA(form_, GWL_STYLE);
  EXPECT_EQ(static_cast<LONG>(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX),
            style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));

  // With its menu bar, the client area is still the layout's.
  ASSERT_NE(nullptr, GetMenu(form_));
  RECT client{};
  GetClientRect(form_, &client);
  EXPECT_EQ(404, client.right - client.left);
  EXPECT_EQ(369, client.bottom - client.top);

  RECT work{};
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
  RECT frame{};
  GetWindowRect(form_, &frame);
  EXPECT_NEAR((work.left + work.right) / 2, (frame.left + frame.right) / 2, 1);
  EXPECT_NEAR((work.top + work.bottom) / 2, (frame.top + frame.bottom) / 2, 1);
}

// A menu bar too wide for its form wraps onto more lines; the frame grows to keep the client
// area the form's, and stays centred.
TEST(FormFrame, AWrappedMenuBarStillLeavesTheLayoutsClientSize) {
  platform::win32::Win32Platform os;
  ui::Application app;
  app.Initialize();
  app.SetBackend(ui::win32::MakeBackend());
  ui::MainMenu menu;
  for (const char* caption : {"&File", "&Edit", "&View", "&Tools", "&Window", "&Help"}) {
    menu.Add(caption).Add("&Item");
  }
  ui::Form form("TWrappedMenuForm");
  form.SetClientSize(160, 60);  // wider than the narrowest frame with a caption
  form.SetMenu(&menu);
  form.CreatePeers();
  HWND window = reinterpret_cast<HWND>(form.Handle());

  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(160, client.right - client.left);
  EXPECT_EQ(60, client.bottom - client.top);
  RECT oneLine{0, 0, 160, 60};
  AdjustWindowRectEx(&oneLine, static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)), TRUE,
                     static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)));
  RECT frame{};
  GetWindowRect(window, &frame);
  EXPECT_GT(frame.bottom - frame.top, oneLine.bottom - oneLine.top);  // it did wrap
  RECT work{};
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_NEAR((work.top + work.bottom) / 2, (frame.top + frame.bottom) / 2, 1);
}

TEST_F(MainWindowPeers, EveryCaptionOfTheLayoutIsARealControlInItsPlace) {
  std::vector<int> ids;
  for (HWND child : Children()) {
    EXPECT_EQ(form_, GetParent(child)) << ClassOf(child) << " \"" << TextOf(child) << "\"";
    ids.push_back(GetDlgCtrlID(child));
  }
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ(ids.end(), std::adjacent_find(ids.begin(), ids.end()));
  EXPECT_NE(0, ids.front());

  HWND tab = Find(WC_TABCONTROLA, "");
  ASSERT_NE(nullptr, tab);
  EXPECT_EQ(0, TabCtrl_GetItemCount(tab));
  const RECT tabPlace = PlaceOf(tab);
  EXPECT_EQ(0, tabPlace.left);
  EXPECT_EQ(404, tabPlace.right);
  EXPECT_EQ(241, tabPlace.bottom);

  HWND outer = Find("Button", "Type of advertizing:");
  ASSERT_NE(nullptr, outer);
  EXPECT_EQ(BS_GROUPBOX, ButtonType(outer));
  const RECT outerPlace = PlaceOf(outer);
  EXPECT_EQ(4, outerPlace.left);
  EXPECT_EQ(6, outerPlace.top);
  EXPECT_EQ(387, outerPlace.right - outerPlace.left);

  // Positions add up through the parents: TabControl1, GroupBox1, then the group's own.
  const struct {
    const char* caption;
    int left, top, width;
    std::vector<std::string> items;
    std::vector<int> checks;
  } groups[] = {
      {"Display inline &videos", 20, 22, 129, {"Yes", "No"}, {BST_UNCHECKED, BST_CHECKED}},
      {"Play animated &gifs", 156, 22, 217, {"Yes", "No"}, {BST_CHECKED, BST_UNCHECKED}},
      {"Background &sounds", 20, 62, 129, {"Yes", "No"}, {BST_CHECKED, BST_UNCHECKED}},
      {"&Macromedia Shockwave && Flash Player", 156, 62, 217, {"Yes", "No"},
       {BST_UNCHECKED, BST_CHECKED}},
      {"Accept &JAVA applets", 20, 102, 129, {"Yes", "No"}, {BST_UNCHECKED, BST_CHECKED}},
      {"Global s&ettings", 4, 152, 237, {"Yes to all", "No to all", "Defaults"},
       {BST_UNCHECKED, BST_UNCHECKED, BST_UNCHECKED}},
  };
  for (const auto& group : groups) {
    SCOPED_TRACE(group.caption);
    HWND box = Find("Button", group.caption);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(BS_GROUPBOX, ButtonType(box));
    const RECT place = PlaceOf(box);
    EXPECT_EQ(group.left, place.left);
    EXPECT_EQ(group.top, place.top);
    EXPECT_EQ(group.width, place.right - place.left);
    EXPECT_EQ(33, place.bottom - place.top);
    std::vector<std::string> items;
    for (HWND button : RadioButtons(group.caption)) {
      items.push_back(TextOf(button));
      EXPECT_EQ(BS_RADIOBUTTON, ButtonType(button)) << TextOf(button);  // the model checks them
    }
    EXPECT_EQ(group.items, items);
    EXPECT_EQ(group.checks, Checks(group.caption));
  }

  const struct {
    const char* caption;
    int left, width;
    LONG type;
  } buttons[] = {{"E&xit", 32, 75, BS_PUSHBUTTON},
                 {"H&ide", 136, 75, BS_DEFPUSHBUTTON},
                 {"M&onitor", 232, 153, BS_PUSHBUTTON}};
  for (const auto& button : buttons) {
    SCOPED_TRACE(button.caption);
    HWND window = Find("Button", button.caption);
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(button.type, ButtonType(window));
    const RECT place = PlaceOf(window);
    EXPECT_EQ(button.left, place.left);
    EXPECT_EQ(200, place.top);
    EXPECT_EQ(button.width, place.right - place.left);
    EXPECT_EQ(25, place.bottom - place.top);
  }

  HWND picture = nullptr;
  for (HWND child : Children()) {
    if (test::SameClass(ClassOf(child), "Static")) picture = child;
  }
  ASSERT_NE(nullptr, picture);
  EXPECT_EQ(SS_ICON, GetWindowLongA(picture, GWL_STYLE) & SS_TYPEMASK);
  EXPECT_EQ(reinterpret_cast<LRESULT>(images_.designPicture),
            SendMessageA(picture, STM_GETICON, 0, 0));
  EXPECT_EQ(292, PlaceOf(picture).left);
  EXPECT_EQ(160, PlaceOf(picture).top);

  HWND list = List();
  ASSERT_NE(nullptr, list);
  EXPECT_EQ((std::vector<std::string>{"* Reading settings...", "* Done.", "* Applying settings...",
                                      "* Done..."}),
            ListLines(list));
  const RECT listPlace = PlaceOf(list);
  EXPECT_EQ(0, listPlace.left);
  EXPECT_EQ(241, listPlace.top);
  EXPECT_EQ(404, listPlace.right);
  EXPECT_EQ(350, listPlace.bottom);
  EXPECT_EQ(14, SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));

  HWND status = Find(STATUSCLASSNAMEA, "");
  ASSERT_NE(nullptr, status);
  EXPECT_EQ(369, PlaceOf(status).bottom);
  EXPECT_GE(PlaceOf(status).top, listPlace.bottom - 1);
}

TEST_F(MainWindowPeers, ThePanelShowsThroughGroupBoxesAndBehindTheControlsOnIt) {
  SetForegroundWindow(form_);
  RedrawWindow(form_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  app_.ProcessMessages();
  HDC screen = GetDC(nullptr);
  auto pixel = [&](HWND window, int x, int y) {
    POINT at{x, y};
    ClientToScreen(window, &at);
    return GetPixel(screen, at.x, at.y);
  };
  // A spot of the panel that nothing covers, then spots where only group boxes lie over it,
  // and the backgrounds of a radio button, the picture and a group's caption.
  const COLORREF panel = pixel(form_, 260, 175);
  HWND outer = Find("Button", "Type of advertizing:");
  HWND videos = Find("Button", "Display inline &videos");
  const RECT videosPlace = PlaceOf(videos);
  HWND yes = Radio("Display inline &videos", "Yes");
  RECT yesRect{};
  GetClientRect(yes, &yesRect);
  EXPECT_EQ(panel, pixel(outer, 300, 120));
  EXPECT_EQ(panel, pixel(outer, 200, 3));
  EXPECT_EQ(panel, pixel(videos, videosPlace.right - videosPlace.left - 6, 3));
  EXPECT_EQ(panel, pixel(videos, 4, 30));
  EXPECT_EQ(panel, pixel(yes, yesRect.right - 2, yesRect.bottom / 2));
  EXPECT_EQ(panel, pixel(Find("Button", "Global s&ettings"), 60, 1));
  ReleaseDC(nullptr, screen);
}

TEST_F(MainWindowPeers, ControlsShowTheFormsFontAndTheLogItsOwn) {
  auto fontOf = [](HWND window) {
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
  };
  for (const char* caption : {"H&ide", "Type of advertizing:", "Global s&ettings"}) {
    const LOGFONTA font = fontOf(Find("Button", caption));
    EXPECT_STREQ("MS Sans Serif", font.lfFaceName) << caption;
    EXPECT_EQ(-11, font.lfHeight) << caption;
  }
  const LOGFONTA radioFont = fontOf(Radio("Play animated &gifs", "No"));
  EXPECT_STREQ("MS Sans Serif", radioFont.lfFaceName);
  const LOGFONTA logFont = fontOf(List());
  EXPECT_STREQ("Courier New", logFont.lfFaceName);
  EXPECT_EQ(-11, logFont.lfHeight);
  EXPECT_EQ(RUSSIAN_CHARSET, logFont.lfCharSet);
}

TEST_F(MainWindowPeers, ContainersLieBehindTheirContentsAndTabFollowsTheLayout) {
  std::vector<HWND> zOrder;
  for (HWND w = GetWindow(form_, GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
    zOrder.push_back(w);
  }
  auto depth = [&](HWND w) { return std::find(zOrder.begin(), zOrder.end(), w) - zOrder.begin(); };
  HWND tab = Find(WC_TABCONTROLA, "");
  HWND outer = Find("Button", "Type of advertizing:");
  HWND videos = Find("Button", "Display inline &videos");
  // A group's items follow its frame, so its mnemonic moves on to them.
  EXPECT_LT(depth(videos), depth(Radio("Display inline &videos", "Yes")));
  EXPECT_LT(depth(Radio("Display inline &videos", "Yes")), depth(Radio("Display inline &videos", "No")));
  EXPECT_LT(depth(Radio("Display inline &videos", "No")), depth(outer));
  EXPECT_LT(depth(outer), depth(tab));
  EXPECT_LT(depth(Find("Button", "M&onitor")), depth(tab));

  // Tab visits each group at its chosen item (the first while none is chosen), then the
  // buttons and the log, and comes round again.
  const std::vector<HWND> expected = {
      Radio("Display inline &videos", "No"), Radio("Play animated &gifs", "Yes"),
      Radio("Background &sounds", "Yes"), Radio("&Macromedia Shockwave && Flash Player", "No"),
      Radio("Accept &JAVA applets", "No"), Radio("Global s&ettings", "Yes to all"),
      Find("Button", "E&xit"), Find("Button", "H&ide"), Find("Button", "M&onitor"), List(),
      Radio("Display inline &videos", "No")};
  SetFocus(expected.front());
  std::vector<HWND> visited = {GetFocus()};
  for (std::size_t i = 1; i < expected.size(); ++i) {
    PostKey(GetFocus(), VK_TAB);
    visited.push_back(GetFocus());
  }
  EXPECT_EQ(expected, visited);

  // The form learns where the focus is from the keys that reach it.
  SetFocus(List());
  PostKey(List(), VK_DOWN);
  EXPECT_EQ(&W().ListBox1, W().FocusedControl());

  BYTE keys[256] = {};
  ASSERT_TRUE(GetKeyboardState(keys));
  keys[VK_SHIFT] = 0x80;
  SetKeyboardState(keys);
  PostKey(List(), VK_TAB);
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
  EXPECT_EQ(Find("Button", "M&onitor"), GetFocus());
}

TEST_F(MainWindowPeers, ClickingAnItemChoosesItInTheModelAndTheRegistry) {
  ASSERT_EQ(0, W().RadioGroup2.ItemIndex());
  SendMessageA(Radio("Play animated &gifs", "No"), BM_CLICK, 0, 0);
  EXPECT_EQ(1, W().RadioGroup2.ItemIndex());
  EXPECT_EQ((std::vector<int>{BST_UNCHECKED, BST_CHECKED}), Checks("Play animated &gifs"));
  EXPECT_EQ("No", ReadText(HKEY_CURRENT_USER, kMainKey, "Play_Animations"));
  EXPECT_EQ(1u, ReadDword(HKEY_CURRENT_USER, settings::kSettingsKey, "2"));

  // What the program chooses shows on the buttons too.
  W().RadioGroup2.SetItemIndex(0);
  EXPECT_EQ((std::vector<int>{BST_CHECKED, BST_UNCHECKED}), Checks("Play animated &gifs"));
  EXPECT_EQ("Yes", ReadText(HKEY_CURRENT_USER, kMainKey, "Play_Animations"));

  // An arrow key onto the other item chooses it, as among automatic radio buttons.
  HWND soundsYes = Radio("Background &sounds", "Yes");
  SetFocus(soundsYes);
  PostKey(soundsYes, VK_RIGHT);
  EXPECT_EQ(Radio("Background &sounds", "No"), GetFocus());
  EXPECT_EQ(1, W().RadioGroup3.ItemIndex());
  EXPECT_EQ("No", ReadText(HKEY_CURRENT_USER, kMainKey, "Play_Background_Sounds"));

  // A disabled group refuses the click, and its buttons keep showing the model.
  W().RadioGroup1.SetEnabled(false);
  HWND videosYes = Radio("Display inline &videos", "Yes");
  EXPECT_FALSE(IsWindowEnabled(videosYes));
  SendMessageA(videosYes, BM_CLICK, 0, 0);
  EXPECT_EQ(1, W().RadioGroup1.ItemIndex());
  EXPECT_EQ((std::vector<int>{BST_UNCHECKED, BST_CHECKED}), Checks("Display inline &videos"));
  EXPECT_EQ(std::nullopt, ReadText(HKEY_CURRENT_USER, kMainKey, "Display Inline Videos"));
}

TEST_F(MainWindowPeers, MonitorLogsAndRenamesItsButton) {
  HWND monitor = Find("Button", "M&onitor");
  ASSERT_NE(nullptr, monitor);
  SendMessageA(monitor, BM_CLICK, 0, 0);
  std::vector<std::string> lines = ListLines(List());
  ASSERT_EQ(5u, lines.size());
  EXPECT_EQ("* Start monitoring...", lines.back());
  EXPECT_EQ("Stop m&onitor", TextOf(monitor));
  HWND picture = nullptr;
  for (HWND child : Children()) {
    if (test::SameClass(ClassOf(child), "Static")) picture = child;
  }
  EXPECT_EQ(reinterpret_cast<LRESULT>(images_.monitoringOn.Get()), SendMessageA(picture, STM_GETICON, 0, 0));

  SendMessageA(monitor, BM_CLICK, 0, 0);
  lines = ListLines(List());
  ASSERT_EQ(6u, lines.size());
  EXPECT_EQ("* Stop monitoring...", lines.back());
  EXPECT_EQ("M&onitor", TextOf(monitor));
  EXPECT_EQ(reinterpret_cast<LRESULT>(images_.monitoringOff.Get()),
            SendMessageA(picture, STM_GETICON, 0, 0));

  // A long log keeps its newest line in view.
  for (int i = 0; i < 30; ++i) W().ListBox1.Add("line " + std::to_string(i));
  const LRESULT top = SendMessageA(List(), LB_GETTOPINDEX, 0, 0);
  RECT client{};
  GetClientRect(List(), &client);
  const LRESULT visible = (client.bottom - client.top) / 14;
  EXPECT_GT(top, 0);
  EXPECT_GE(top + visible, SendMessageA(List(), LB_GETCOUNT, 0, 0));
}

TEST_F(MainWindowPeers, EscapeEnterAndMnemonicsPressTheirButtons) {
  HWND list = List();
  SetFocus(list);
  PostKey(list, VK_ESCAPE);
  EXPECT_FALSE(IsWindowVisible(form_));
  EXPECT_EQ("Restore", TextOf(Find("Button", "Restore")));

  W().ShowHideAction.Execute();
  app_.ProcessMessages();
  ASSERT_TRUE(IsWindowVisible(form_));
  SetFocus(list);
  PostKey(list, VK_RETURN);
  EXPECT_FALSE(IsWindowVisible(form_));

  W().ShowHideAction.Execute();
  app_.ProcessMessages();
  ASSERT_TRUE(IsWindowVisible(form_));
  HWND monitor = Find("Button", "M&onitor");
  SetFocus(monitor);
  PostKey(monitor, VK_RETURN);
  EXPECT_TRUE(IsWindowVisible(form_));
  EXPECT_EQ("* Start monitoring...", ListLines(list).back());
  EXPECT_EQ(&W().Button1, W().FocusedControl());

  // A caption's mnemonic presses its button, as in a dialog.
  HWND exitButton = Find("Button", "E&xit");
  SetFocus(exitButton);
  PostMessageA(exitButton, WM_CHAR, 'o', 1);
  app_.ProcessMessages();
  EXPECT_EQ("* Stop monitoring...", ListLines(list).back());
  EXPECT_EQ("M&onitor", TextOf(monitor));
}

TEST_F(MainWindowPeers, AGroupsMnemonicMovesTheFocusToItsChosenItemWithoutChoosing) {
  struct Case {
    char key;
    const char* group;
    const char* item;  // the chosen one, or the first while none is
  };
  const Case cases[] = {
      {'v', "Display inline &videos", "No"},
      {'g', "Play animated &gifs", "Yes"},
      {'s', "Background &sounds", "Yes"},
      {'m', "&Macromedia Shockwave && Flash Player", "No"},
      {'j', "Accept &JAVA applets", "No"},
      {'e', "Global s&ettings", "Yes to all"},
  };
  HWND list = List();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.group);
    SetFocus(list);
    PostMessageA(list, WM_SYSCHAR, static_cast<WPARAM>(c.key), 0x20000001);  // with Alt held
    app_.ProcessMessages();
    EXPECT_EQ(Radio(c.group, c.item), GetFocus());
  }
  EXPECT_EQ(-1, W().RadioGroup6.ItemIndex());  // the focus chose nothing
  EXPECT_EQ(0, W().RadioGroup2.ItemIndex());
}

TEST_F(MainWindowPeers, DialogKeysNeverTakeTheDefaultButtonQueryForASecondStart) {
  // Tab onto the default button makes IsDialogMessage ask for it with DM_GETDEFID (WM_USER).
  // Only a posted WM_USER hands over, never one sent from another thread or program.
  HWND hide = Find("Button", "H&ide");
  SetFocus(GetNextDlgTabItem(form_, hide, TRUE));
  PostKey(GetFocus(), VK_TAB);
  EXPECT_EQ(hide, GetFocus());
  EXPECT_TRUE(IsWindowVisible(form_));
  test::SendFromAnotherThread(reinterpret_cast<os::HWND>(form_), WM_USER, 0, 0);
  app_.ProcessMessages();
  EXPECT_TRUE(IsWindowVisible(form_));
  PostMessageA(form_, WM_USER, 0, 0);
  app_.ProcessMessages();
  EXPECT_FALSE(IsWindowVisible(form_));
}

TEST_F(MainWindowPeers, TheMenuBarMirrorsTheMainMenu) {
  HMENU bar = GetMenu(form_);
  ASSERT_NE(nullptr, bar);
  ASSERT_EQ(3, GetMenuItemCount(bar));
  EXPECT_EQ("&File", MenuText(bar, 0));
  EXPECT_EQ("&Tools", MenuText(bar, 1));
  EXPECT_EQ("&Help", MenuText(bar, 2));
  HMENU file = GetSubMenu(bar, 0);
  HMENU tools = GetSubMenu(bar, 1);
  HMENU help = GetSubMenu(bar, 2);
  ASSERT_EQ(1, GetMenuItemCount(file));
  EXPECT_EQ("E&xit", MenuText(file, 0));
  ASSERT_EQ(1, GetMenuItemCount(tools));
  EXPECT_EQ("&Options", MenuText(tools, 0));
  ASSERT_EQ(2, GetMenuItemCount(help));
  EXPECT_EQ("&Help", MenuText(help, 0));
  EXPECT_EQ("&About", MenuText(help, 1));

  int clicks = 0;
  W().Options1->OnClick = [&clicks](ui::Component&) { ++clicks; };
  const UINT options = GetMenuItemID(tools, 0);
  SendMessageA(form_, WM_COMMAND, MAKEWPARAM(options, 0), 0);
  EXPECT_EQ(1, clicks);

  // A disabled item shows grey when its menu opens, and a click on it does nothing.
  W().Options1->SetEnabled(false);
  SendMessageA(form_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(tools), MAKELPARAM(1, FALSE));
  EXPECT_TRUE(GetMenuState(tools, 0, MF_BYPOSITION) & MF_GRAYED);
  SendMessageA(form_, WM_COMMAND, MAKEWPARAM(GetMenuItemID(tools, 0), 0), 0);
  EXPECT_EQ(1, clicks);

  // Captions follow the model: an action's on its item and button, and the bar's own.
  W().ExitAction.SetCaption("E&xit now");
  EXPECT_EQ("E&xit now", MenuText(file, 0));
  EXPECT_NE(nullptr, Find("Button", "E&xit now"));
  W().File1->SetCaption("&Program");
  EXPECT_EQ("&Program", MenuText(bar, 0));
  EXPECT_EQ(file, GetSubMenu(bar, 0));
}

TEST_F(MainWindowPeers, ClearLogFromTheLogsContextMenuEmptiesTheList) {
  struct Shown {
    std::string first;
    int x, y;
  };
  std::vector<Shown> shown;
  backend_->OnTrackPopup = [&shown](ui::PopupMenu& menu, int x, int y) {
    shown.push_back({menu.Item(0).Caption(), x, y});
    return 0;  // "Clear log"
  };

  // A control passes WM_CONTEXTMENU on to the form with itself as the sender; only the log
  // has a context menu.
  HWND hide = Find("Button", "H&ide");
  SendMessageA(hide, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hide), MAKELPARAM(5, 5));
  EXPECT_TRUE(shown.empty());
  HWND list = List();
  SendMessageA(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(300, 420));

  ASSERT_EQ(1u, shown.size());
  EXPECT_EQ("Clear log", shown[0].first);
  EXPECT_EQ(300, shown[0].x);
  EXPECT_EQ(420, shown[0].y);
  EXPECT_EQ(0, SendMessageA(list, LB_GETCOUNT, 0, 0));
  EXPECT_EQ(0, W().ListBox1.Count());

  // From the keyboard the menu opens on the list itself.
  W().ListBox1.Add("* Done.");
  shown.clear();
  backend_->OnTrackPopup = [&shown](ui::PopupMenu& menu, int x, int y) {
    shown.push_back({menu.Item(0).Caption(), x, y});
    return -1;
  };
  SendMessageA(form_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), -1);
  backend_->OnTrackPopup = nullptr;
  ASSERT_EQ(1u, shown.size());
  RECT rect{};
  GetWindowRect(list, &rect);
  EXPECT_TRUE(PtInRect(&rect, POINT{shown[0].x, shown[0].y}));
  EXPECT_EQ(1, SendMessageA(list, LB_GETCOUNT, 0, 0));
}

TEST_F(MainWindowPeers, HiddenOrDisabledContainersTakeTheirContentsAlong) {
  HWND videosNo = Radio("Display inline &videos", "No");
  W().GroupBox1.SetVisible(false);
  EXPECT_FALSE(IsWindowVisible(videosNo));
  EXPECT_FALSE(IsWindowVisible(Find("Button", "Display inline &videos")));
  EXPECT_TRUE(IsWindowVisible(Find("Button", "Global s&ettings")));
  W().GroupBox1.SetVisible(true);
  EXPECT_TRUE(IsWindowVisible(videosNo));

  HWND monitor = Find("Button", "M&onitor");
  W().TabControl1.SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(monitor));
  EXPECT_FALSE(IsWindowEnabled(videosNo));
  SendMessageA(monitor, BM_CLICK, 0, 0);
  W().TabControl1.SetEnabled(true);
  EXPECT_TRUE(IsWindowEnabled(monitor));
  EXPECT_EQ(4, SendMessageA(List(), LB_GETCOUNT, 0, 0));
  // The group itself stays enabled in the model, so it is enabled again with its container.
  EXPECT_TRUE(IsWindowEnabled(videosNo));

  // A group an administrator set says so under the pointer, though its buttons take no input.
  ui::ShowManaged(W().RadioGroup1, "Display inline &videos", true);
  EXPECT_FALSE(IsWindowEnabled(videosNo));
  RECT place{};
  GetWindowRect(videosNo, &place);
  SetForegroundWindow(form_);
  char text[32] = {};
  EXPECT_TRUE(test::WaitUntil([&] {
    test::MoveMouseTo((place.left + place.right) / 2, (place.top + place.bottom) / 2);
    app_.ProcessMessages();
    for (HWND tip = nullptr; (tip = FindWindowExA(nullptr, tip, TOOLTIPS_CLASSA, nullptr));) {
      TTTOOLINFOA tool{};
      tool.cbSize = TTTOOLINFOA_V2_SIZE;
      tool.lpszText = text;
      if (GetWindow(tip, GW_OWNER) == form_ && IsWindowVisible(tip) &&
          SendMessageA(tip, TTM_GETCURRENTTOOLA, 0, reinterpret_cast<LPARAM>(&tool))) {
        return true;
      }
    }
    return false;
  }, 3000));
  EXPECT_STREQ("Set by your administrator", text);
}

TEST_F(MainWindowPeers, NewItemsRebuildAGroupsButtonsAndTheWindowTakesItsControlsAlong) {
  const std::vector<HWND> before = RadioButtons("Global s&ettings");
  ASSERT_EQ(3u, before.size());
  W().RadioGroup6.SetItems({"First", "Second"});
  for (HWND gone : before) EXPECT_FALSE(IsWindow(gone));
  std::vector<std::string> items;
  for (HWND button : RadioButtons("Global s&ettings")) items.push_back(TextOf(button));
  EXPECT_EQ((std::vector<std::string>{"First", "Second"}), items);

  const std::vector<HWND> children = Children();
  std::vector<HGDIOBJ> fonts;
  for (HWND child : children) {
    if (auto font = reinterpret_cast<HGDIOBJ>(SendMessageA(child, WM_GETFONT, 0, 0))) {
      fonts.push_back(font);
    }
  }
  ASSERT_FALSE(fonts.empty());
  window_.reset();
  EXPECT_FALSE(IsWindow(form_));
  for (HWND child : children) EXPECT_FALSE(IsWindow(child));
  for (HGDIOBJ font : fonts) EXPECT_EQ(0u, GetObjectType(font));
}

}  // namespace
