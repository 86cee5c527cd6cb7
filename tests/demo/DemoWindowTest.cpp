#include "demo/DemoWindow.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "blocking/MainWindow.h"
#include "platform/emulated/EmulatedPlatform.h"
#include "settings/RegAccessor.h"
#include "settings/SettingsStore.h"
#include "tests/support/ReferenceDump.h"
#include "ui/Application.h"
#include "ui/ErrorBoundary.h"

namespace tarnwick::demo {
namespace {

using namespace std::chrono_literals;
using namespace platform::os;
using platform::emulated::EmulatedPlatform;
using platform::emulated::EmulatedSystem;
using Lines = std::vector<std::string>;

constexpr const char* kFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kHistory = "C:\\Users\\u\\History\\History.IE5\\index.dat";
constexpr const char* kCache = "C:\\Users\\u\\Cache\\Content.IE5\\index.dat";
constexpr const char* kCookies = "C:\\Users\\u\\Cookies\\index.dat";
HICON Fake(std::uintptr_t n) { return reinterpret_cast<HICON>(0x7000 + n); }

Lines Expected(const std::string& bytes) { return test::ReferenceDumpLines(bytes); }

Lines LinesOf(const ui::Memo& memo) {
  Lines lines;
  for (std::size_t i = 0; i < memo.LineCount(); ++i) lines.emplace_back(memo.Line(i));
  return lines;
}

class DemoWindowTest : public ::testing::Test {
 protected:
  DemoWindowTest() {
    app_.Initialize();
    app_.ShowError = [this](const std::string& message) { shown_.push_back(message); };
    demo_ = std::make_unique<TDemo>(Fake(9));
    demo_->SetPump([] {});
    demo_->SetVisible(true);
    Arrange();
  }
  // The user's three folders and their files, as a browser leaves them.
  void Arrange() {
    reg_.PutString(HkeyCurrentUser(), kFolders, "History", "C:\\Users\\u\\History");
    reg_.PutString(HkeyCurrentUser(), kFolders, "Cache", "C:\\Users\\u\\Cache");
    reg_.PutString(HkeyCurrentUser(), kFolders, "Cookies", "C:\\Users\\u\\Cookies");
    sys_.PutFile(kHistory, history_);
    sys_.PutFile(kCache, cache_);
    sys_.PutFile(kCookies, cookies_);
    shown_.clear();
    win_.ClearMessageBoxes();
  }
  void ForgetFolder(const char* name) {
    settings::TRegAccessor accessor;
    ASSERT_TRUE(accessor.OpenPath(std::string("\\") + kFolders, false));
    accessor.EraseValue(name);
  }
  // Every message box the window shows, and every error the application shows.
  Lines Shown() const {
    Lines all;
    for (const auto& box : win_.MessageBoxes()) all.push_back(box.text);
    all.insert(all.end(), shown_.begin(), shown_.end());
    return all;
  }
  // A click on "View the demo" as the window's peer makes it: errors go to the application.
  void View() {
    ui::Guard([&] { demo_->Button1.UserClick(); });
  }

  EmulatedPlatform os_;
  platform::emulated::EmulatedRegistry& reg_ = os_.registry();
  platform::emulated::EmulatedWindows& win_ = os_.windows();
  EmulatedSystem& sys_ = os_.system();
  ui::Application app_;
  std::string history_ = std::string("http://a.example/\x01\x0A\x1F\x20\x7F\x80\xFF", 24) + "seen again";
  std::string cache_ = std::string(52, 'c');
  std::string cookies_ = std::string(1, 'k');
  std::unique_ptr<TDemo> demo_;
  Lines shown_;
};

TEST_F(DemoWindowTest, ViewFillsTheThreeMemosWithTheirDumpsInOrder) {
  std::vector<int> order;
  demo_->SetPump([&] {
    if (order.empty() || order.back() != demo_->DumpMode) order.push_back(demo_->DumpMode);
    EXPECT_FALSE(demo_->DemoIdle);
    EXPECT_FALSE(demo_->Button2.Enabled());
    EXPECT_EQ(ui::Cursor::HourGlass, app_.GetCursor());
  });
  demo_->Memo3.Add("left from before");
  View();
  EXPECT_EQ((std::vector<int>{1, 2, 3}), order);
  EXPECT_EQ(Expected(history_), LinesOf(demo_->Memo2));
  EXPECT_EQ(Expected(cache_), LinesOf(demo_->Memo3));
  EXPECT_EQ(Expected(cookies_), LinesOf(demo_->Memo4));
  EXPECT_EQ(demo_->Gauge1.MaxValue(), demo_->Gauge1.Progress());  // the 1-byte file: 0 of 0
  EXPECT_TRUE(demo_->DemoIdle && demo_->Button1.Enabled() && demo_->Button2.Enabled());
  EXPECT_EQ(ui::Cursor::Default, app_.GetCursor());
  EXPECT_EQ(Lines{}, Shown());
  EXPECT_EQ(0u, sys_.OpenFileCount());
}

TEST_F(DemoWindowTest, AFaultWithAFileIsToldAndTheRunGoesOnOrIsAbandonedAsItShould) {
  struct Case {
    const char* name;
    std::function<void()> arrange;
    Lines shown;
    std::vector<bool> filled;  // History, Cache, Cookies
  };
  const Case cases[] = {
      {"no Cookies folder", [&] { ForgetFolder("Cookies"); },
       {"Error occured while trying to access registry information about Cookies!"},
       {true, true, false}},
      {"no cache file", [&] { sys_.RemoveFile(kCache); },
       {"Error occured while trying to access Cache index.dat files!"}, {true, false, true}},
      {"a folder where the cache file should be",
       [&] {
         sys_.RemoveFile(kCache);
         sys_.PutFolder(kCache);
       },
       {"Error occured while trying to access Cache index.dat files!"}, {true, false, true}},
      {"an empty cache file", [&] { sys_.PutFile(kCache, ""); }, {}, {true, false, true}},
      {"history locked", [&] { sys_.SetFileFault(kHistory, EmulatedSystem::FileFault::Locked); },
       {std::string("Cannot open file ") + kHistory}, {false, false, false}},
      {"history unreadable",
       [&] { sys_.SetFileFault(kHistory, EmulatedSystem::FileFault::Unreadable); },
       {std::string("Cannot read file ") + kHistory}, {false, false, false}},
      {"history folder stored as a number",
       [&] { reg_.PutDword(HkeyCurrentUser(), kFolders, "History", 7); },
       {"Invalid data type for 'History'"}, {false, false, false}},
      {"a history file over 4 GiB", [&] { sys_.SetFileSize(kHistory, 5'000'000'000LL); },
       {"The History index.dat file is too large to show (5000000000 bytes)."},
       {false, true, true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sys_.SetFileFault(kHistory, EmulatedSystem::FileFault::None);
    sys_.RemoveFile(kCache);
    Arrange();
    c.arrange();
    View();
    EXPECT_EQ(c.shown, Shown());
    const ui::Memo* memos[] = {&demo_->Memo2, &demo_->Memo3, &demo_->Memo4};
    for (int i = 0; i < 3; ++i) EXPECT_EQ(c.filled[i], memos[i]->LineCount() > 0) << i;
    // The window is left usable on every path.
    EXPECT_TRUE(demo_->DemoIdle && demo_->Button1.Enabled() && demo_->Button2.Enabled());
    EXPECT_EQ(ui::Cursor::Default, app_.GetCursor());
    EXPECT_EQ(0u, sys_.OpenFileCount());
    demo_->Button2.UserClick();
    demo_->SetVisible(true);
  }
}

TEST_F(DemoWindowTest, AStopEndsOnlyTheFileBeingShownAndKeysStopOrExitAsTheyShould) {
  // Stop while byte 30 of the history file is due: the full first line and bytes 26 to 29. The
  // first call comes once the file is read, each after it before a byte.
  int calls = 0;
  demo_->SetPump([&] {
    if (demo_->DumpMode == 1 && ++calls == 1 + 30) {
      int key = ' ';
      demo_->Memo1KeyDown(*demo_, key, 0);  // any key stops, and only stops
      EXPECT_EQ(0, key);
      int escape = ui::kVkEscape;
      demo_->Memo1KeyDown(*demo_, escape, 0);  // Escape stops too while Exit is disabled
      bool canClose = true;
      demo_->FormCloseQuery(*demo_, canClose);
      EXPECT_FALSE(canClose);
      demo_->Button1.UserClick();  // a second run does not start inside the first
    }
  });
  View();
  const Lines first = Expected(history_);
  ASSERT_EQ(2u, demo_->Memo2.LineCount());
  EXPECT_EQ(first[0], demo_->Memo2.Line(0));
  EXPECT_EQ(first[1].substr(0, 4) + std::string(23, ' '), demo_->Memo2.Line(1));
  EXPECT_EQ(Expected(cache_), LinesOf(demo_->Memo3));
  EXPECT_EQ(Expected(cookies_), LinesOf(demo_->Memo4));
  EXPECT_TRUE(demo_->Visible());

  // Idle, a key changes nothing; the close box hides and keeps the text; Escape clears and hides.
  int key = 'Q';
  demo_->Memo1KeyDown(*demo_, key, 0);
  EXPECT_EQ('Q', key);  // it goes on to the control
  EXPECT_TRUE(demo_->Visible());
  demo_->Close();
  EXPECT_FALSE(demo_->Visible());
  EXPECT_EQ(Expected(cookies_), LinesOf(demo_->Memo4));
  demo_->SetVisible(true);
  EXPECT_EQ(0, demo_->Gauge1.Progress());  // every showing starts the gauge afresh
  int escape = ui::kVkEscape;
  demo_->Memo1KeyDown(*demo_, escape, 0);
  EXPECT_FALSE(demo_->Visible());
  EXPECT_EQ(0u, demo_->Memo4.LineCount());

  // A stop typed while a large file is still being read is taken then: the rest is not read
  // first, and the dump shows nothing of the file.
  constexpr std::int64_t kLarge = 8 << 20;
  sys_.SetFileSize(kHistory, kLarge);
  demo_->SetVisible(true);
  const std::uint64_t readBefore = sys_.BytesRead();
  bool stopped = false;
  demo_->SetPump([&] {
    if (demo_->DumpMode != 1 || stopped) return;
    EXPECT_FALSE(demo_->DemoIdle);
    EXPECT_EQ(ui::Cursor::HourGlass, app_.GetCursor());
    int space = ' ';
    demo_->Memo1KeyDown(*demo_, space, 0);
    stopped = true;
  });
  View();
  EXPECT_LT(sys_.BytesRead() - readBefore, static_cast<std::uint64_t>(kLarge));
  EXPECT_EQ(Lines{""}, LinesOf(demo_->Memo2));
  EXPECT_EQ(Expected(cache_), LinesOf(demo_->Memo3));
  EXPECT_TRUE(demo_->DemoIdle);
}

TEST_F(DemoWindowTest, TheLinkFollowsThePointerAndOpensTheProductPage) {
  demo_->Label2.UserMouseMove(0, 1, 1);
  EXPECT_EQ(ui::kFontBold | ui::kFontUnderline, demo_->Label2.GetFont().style);
  demo_->Label2.UserMouseLeave();
  EXPECT_EQ(ui::kFontBold, demo_->Label2.GetFont().style);
  demo_->Label2.UserClick();
  ASSERT_EQ(1u, os_.shell().Executions().size());
  EXPECT_EQ(kProductAddress, os_.shell().Executions()[0].file);
  EXPECT_EQ(kSwHide, os_.shell().Executions()[0].showCommand);
}

// The window appears at the start that makes the counter 15 (30, ...), a second after it, and
// the trigger gives up after five ticks otherwise.
TEST_F(DemoWindowTest, TheUrlCacheHoldsTheLibraryAndItsFunctionsOnlyWhereTheSystemHasThem) {
  EXPECT_FALSE(demo_->UrlCache1.Loaded());  // made where the system has no wininet.dll
  EXPECT_EQ(0, demo_->UrlCache1.FunctionsFound());
  sys_.AddLibrary("wininet.dll", {"FindFirstUrlCacheGroup", "FindNextUrlCacheGroup",
                                  "FindFirstUrlCacheEntryExA", "FindCloseUrlCache"});
  {
    const TUrlCache cache;
    EXPECT_TRUE(cache.Loaded());
    EXPECT_EQ(4, cache.FunctionsFound());
    EXPECT_EQ(1, sys_.LibraryLoads("wininet.dll"));
  }
  EXPECT_EQ(0, sys_.LibraryLoads("wininet.dll"));
}

TEST(DemoTriggerTest, TheWindowShowsAtEveryFifteenthCountedStartOnly) {
  for (const DWORD before : {13u, 14u, 15u, 29u}) {
    SCOPED_TRACE(before);
    EmulatedPlatform os;
    os.registry().PutDword(HkeyCurrentUser(), settings::kSettingsKey, "Ypos", before);
    ui::Application app;
    app.Initialize();
    blocking::TQuillmoor main({Fake(0), Fake(1), Fake(2), Fake(3)});
    app.SetMainForm(&main);
    TDemo demo;
    os.windows().Advance(900ms);
    EXPECT_FALSE(demo.Visible());
    os.windows().Advance(200ms);
    const bool due = (before + 1) % 15 == 0;
    EXPECT_EQ(due, demo.Visible());
    os.windows().Advance(5s);
    EXPECT_FALSE(main.Timer2.Enabled());
    EXPECT_EQ(due ? 4 : 0, main.DemoChecksLeft);
  }
}

}  // namespace
}  // namespace tarnwick::demo
