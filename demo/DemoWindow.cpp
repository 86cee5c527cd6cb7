#include "demo/DemoWindow.h"

#include <limits>
#include <memory>
#include <new>
#include <utility>
#include <stdexcept>
#include <vector>

#include "demo/Pump.h"
#include "platform/Owners.h"
#include "platform/Platform.h"
#include "platform/ScopeExit.h"
#include "settings/RegAccessor.h"
#include "settings/SettingsStore.h"
#include "ui/Application.h"
#include "ui/ErrorBoundary.h"

namespace tarnwick::demo {
namespace {

using namespace platform::os;
using platform::Sys;

// What each DumpMode shows: its Shell Folders value and the index file below that folder.
struct IndexFile {
  const char* folderName;
  const char* suffix;
};
constexpr IndexFile kIndexFiles[] = {{"History", "\\History.IE5\\index.dat"},
                                     {"Cache", "\\Content.IE5\\index.dat"},
                                     {"Cookies", "\\index.dat"}};

constexpr const char* kCaption = "Thank you for using Tarnwick from Brambleworks Company";
// About a millisecond's read, between two chances for the window's messages to run.
constexpr std::size_t kReadPiece = 1u << 20;
constexpr const char* kLabel4 =
    "Did you know... that the government and police are installing black boxes in ISPs to record "
    "your Internet surfing and downloads for evidence?";
constexpr const char* kLabel5 =
    "Delete all data, reformatting your hard drive-will not protect you, this information could be "
    "easily recovered, even many years later, for example trace of previously downloaded and "
    "played music, video files, images etc. You will be held responsible for any data which you "
    "allow to remain on your computer, even if it was only by accident. Even files and Internet "
    "Searches you have made which you thought you had never \"saved to disk\" can be recorded as "
    "permanent evidence on your hard drive.";
constexpr const char* kLabel6 =
    "If you clear the history, delete all the cookies and cache in MS Internet Explorer options, "
    "those index.dat files will still have everything you have ever viewed. Those files are "
    "usually hidden, but it is very simple to make them visible. You cannot delete or clear these "
    "because they are the part of the Windows operating system and if you will try to delete them "
    "you will get an error. If you want to see the content of those files click button View "
    "above. You will see a lot of text with everything you have ever viewed. All those Web Pages, "
    "Pictures, Movies, Videos, Sounds, E-mail and Everything Else you have ever viewed could "
    "easily be recovered - even many years later.";
constexpr const char* kLabel3 =
    "Hollowguard completely implements the US Department of Defense DOD 5220.22-M and NSA "
    "clearing and sanitizing standards\r\nto give you confidence that once deleted with "
    "Hollowguard your file data is gone forever and cannot be recovered.";

// The pointer over the whole program while it is busy.
void ShowBusy(bool busy) {
  if (ui::Application* app = ui::Application::Current()) {
    app->SetCursor(busy ? ui::Cursor::HourGlass : ui::Cursor::Default);
  }
}

}  // namespace

TDemo::TDemo(ui::IconSource stopGlyph)
    : ui::Form(kDemoFormClass), pump_([this] {
        MessagePump::RunApplicationMessages();
        // A quit ends the program; the file being shown need not finish first.
        ui::Application* app = ui::Application::Current();
        if (app != nullptr && app->Terminated()) StopRequested = true;
      }) {
  Demo = this;
  LoadLayout(std::move(stopGlyph));
  ui::Guard([&] { FormCreate(*this); });
}

void TDemo::SetPump(Pump pump) {
  pump_ = MessagePump(std::move(pump), 0, &MessagePump::PlatformTicks, 1);
}

TDemo::~TDemo() {
  if (Demo == this) Demo = nullptr;
}

void TDemo::LoadLayout(ui::IconSource stopGlyph) {
  const ui::LayoutLoading loading{this,      &Button1,  &Button2, &Label4, &Label5, &Label6,
                                  &Label1,   &Label2,   &Label7,  &Label3, &GroupBox1,
                                  &dHistory, &dCache,   &dCookies, &Memo2, &Memo3,
                                  &Memo4,    &Panel1,   &Gauge1,  &SpeedButton1, &UrlCache1};

  SetBorderStyle(ui::BorderStyle::Dialog);
  SetCaption(kCaption);
  SetClientSize(687, 493);
  SetFont({"MS Sans Serif", -11, 1});
  SetKeyPreview(true);

  Button1.SetBounds(8, 8, 121, 25);
  Button1.SetCaption("&View the demo");
  Button1.SetDefault(true);
  AddControl(Button1);
  Button2.SetBounds(136, 8, 121, 25);
  Button2.SetCaption("E&xit the demo");
  Button2.SetCancel(true);
  AddControl(Button2);

  // The texts, top to bottom; the long ones wrap over the window's width.
  const ui::Font bold{"MS Sans Serif", -11, 1, ui::kFontBold};
  struct Text {
    ui::Label& label;
    ui::Bounds at;
    const char* caption;
    bool isBold;
  };
  const Text texts[] = {
      {Label4, {8, 40, 671, 28}, kLabel4, true},
      {Label5, {8, 70, 671, 80}, kLabel5, false},
      {Label6, {8, 152, 671, 80}, kLabel6, false},
      {Label1, {8, 236, 0, 0}, "This is a content of hidden files on your hard before", true},
      {Label2, {318, 236, 0, 0}, "Hollowguard", true},
      {Label7, {396, 236, 0, 0}, "use.", true},
      {Label3, {8, 256, 671, 28}, kLabel3, false},
  };
  for (const Text& t : texts) {
    t.label.SetBounds(t.at.left, t.at.top, t.at.width, t.at.height);
    t.label.SetCaption(t.caption);
    if (t.isBold) t.label.SetFont(bold);
    AddControl(t.label);
  }
  Label2.SetFont({"MS Sans Serif", -11, 1, ui::kFontBold, ui::kBlue});
  Label2.SetAddress(kProductAddress);

  // Three columns in the group box: a check box above its memo.
  GroupBox1.SetBounds(8, 290, 671, 170);
  GroupBox1.SetCaption("Content");
  AddControl(GroupBox1);
  struct Column {
    ui::CheckBox& box;
    ui::Memo& memo;
    const char* caption;
  };
  const Column columns[] = {{dHistory, Memo2, "History index.dat file"},
                            {dCache, Memo3, "Cache index.dat file"},
                            {dCookies, Memo4, "Cookies index.dat file"}};
  const ui::Font courier{"Courier New", -11, 1, ui::kFontFixedPitch};
  for (int i = 0; i < 3; ++i) {
    const Column& c = columns[i];
    const int left = 8 + i * 221;
    c.box.SetParent(&GroupBox1);
    c.box.SetBounds(left, 16, 213, 17);
    c.box.SetCaption(c.caption);
    c.box.SetChecked(true);
    c.memo.SetParent(&GroupBox1);
    c.memo.SetBounds(left, 36, 213, 126);
    c.memo.SetFont(courier);
    // A reader names the memo by the file it shows, as its check box does.
    c.memo.SetAccessibleName(kIndexFiles[i].folderName);
  }

  Panel1.SetBounds(0, 466, 687, 27);
  AddControl(Panel1);
  Gauge1.SetParent(&Panel1);
  Gauge1.SetBounds(4, 4, 648, 19);
  SpeedButton1.SetParent(&Panel1);
  SpeedButton1.SetBounds(658, 2, 23, 23);
  SpeedButton1.SetGlyph(std::move(stopGlyph));
  SpeedButton1.SetAccessibleName("Stop");  // also its tooltip: the picture has no words
  Gauge1.SetAccessibleName("Progress");    // its value is the percentage

  Button1.OnClick = [this](ui::Component& sender) { Button1Click(sender); };
  Button2.OnClick = [this](ui::Component& sender) { Button2Click(sender); };
  SpeedButton1.OnClick = [this](ui::Component& sender) { SpeedButton1Click(sender); };
  OnKeyDown = [this](ui::Component& sender, int& key, unsigned shift) {
    Memo1KeyDown(sender, key, shift);
  };
  OnShow = [this](ui::Component& sender) { FormCreate(sender); };
}

void TDemo::FormCreate(ui::Component&) {
  DemoIdle = true;
  Gauge1.SetProgress(0);
}

void TDemo::FormCloseQuery(ui::Component&, bool& canClose) { canClose = DemoIdle; }

ui::Memo& TDemo::MemoOf(int mode) {
  return mode == 1 ? Memo2 : mode == 2 ? Memo3 : Memo4;
}

void TDemo::Button1Click(ui::Component&) {
  // The dump lets this window's messages run; a second click must not start a run in the run.
  if (running_) return;
  running_ = true;
  const platform::ScopeExit restore([this] {
    running_ = false;
    Button1.SetEnabled(true);
    Button2.SetEnabled(true);
  });
  Button1.SetEnabled(false);
  Button2.SetEnabled(false);
  const ui::CheckBox* boxes[] = {&dHistory, &dCache, &dCookies};
  for (int mode = 1; mode <= 3; ++mode) {
    if (!boxes[mode - 1]->Checked()) continue;
    MemoOf(mode).Clear();
    StopRequested = false;
    DumpMode = mode;
    LoadIndexFile();
  }
}

void TDemo::Button2Click(ui::Component&) {
  Memo2.Clear();
  Memo3.Clear();
  Memo4.Clear();
  Close();
}

void TDemo::SpeedButton1Click(ui::Component&) { StopRequested = true; }

void TDemo::Memo1KeyDown(ui::Component&, int& key, unsigned shift) {
  // Alt+Escape is the system's, not the window's Escape.
  if (key == ui::kVkEscape && (shift & ui::kAltKey) == 0 && Button2.Enabled()) {
    key = 0;  // the window's own Escape would press the Exit button a second time
    Button2.UserClick();
    return;
  }
  SpeedButton1.UserClick();
  // During a run the key is the stop and nothing else: a Space must not also tick the box that
  // holds the keyboard while View is disabled, nor Alt+F4 ask to close a window that cannot.
  if (running_) key = 0;
}

void TDemo::AddDumpLine(std::string_view line) { MemoOf(DumpMode).Add(line); }

// Over this window, so that it is in front again after the box.
void TDemo::Tell(const std::string& text) {
  if (ui::Application* app = ui::Application::Current()) {
    app->ShowMessageBox(text, kMbOk, this);
  } else {
    platform::Win().MessageBoxA(Handle(), text.c_str(), "", kMbOk);
  }
}

void TDemo::LoadIndexFile() {
  const IndexFile& index = kIndexFiles[DumpMode - 1];
  FolderName = index.folderName;
  std::string folder;
  {
    settings::TRegKeyReader reader;
    folder = reader.ReadTextOr(kShellFoldersKey, FolderName, "Error");
  }
  if (folder == "Error") {
    Tell("Error occured while trying to access registry information about " + FolderName + "!");
    return;
  }
  const std::string path = folder + index.suffix;
  if (!Sys().FileExists(path.c_str())) {
    Tell("Error occured while trying to access " + FolderName + " index.dat files!");
    return;
  }
  // Read only: the browser owns the file and may be writing it; nothing here ever writes.
  const platform::FileHandle file = platform::OpenOwnedFile(
      path.c_str(), kGenericRead, kFileShareRead | kFileShareWrite, kOpenExisting);
  if (!file) throw std::runtime_error("Cannot open file " + path);
  std::int64_t size = 0;
  if (Sys().GetFileSizeEx(file.Get(), &size) == 0) throw std::runtime_error("Cannot read file " + path);
  if (size == 0) return;  // nothing to show
  // The dump counts in 32 bits, and the block must fit in memory. The dump reads only bytes that
  // were read into it, so it is not cleared first.
  std::unique_ptr<std::uint8_t[]> block;
  if (size <= std::numeric_limits<std::uint32_t>::max()) {
    block.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(size)]);
  }
  if (!block) {
    Tell("The " + FolderName + " index.dat file is too large to show (" + std::to_string(size) +
         " bytes).");
    return;
  }
  // Busy from the read on: reading a file of a hundred megabytes takes a tenth of a second, and
  // a stop typed meanwhile must not wait for it. The file comes in pieces with the window's
  // messages run between them, as during the dump, and a stop ends the read too; the dump then
  // finds it and shows nothing of the file.
  ShowBusy(true);
  DemoIdle = false;
  const platform::ScopeExit idle([this] {
    ShowBusy(false);
    DemoIdle = true;
  });
  const auto length = static_cast<std::size_t>(size);
  std::size_t done = 0;
  while (done < length && !StopRequested) {
    const auto want = static_cast<DWORD>(std::min<std::size_t>(length - done, kReadPiece));
    DWORD got = 0;
    if (Sys().ReadFile(file.Get(), block.get() + done, want, &got) == 0 || got == 0) {
      throw std::runtime_error("Cannot read file " + path);
    }
    done += got;
    pump_.Poll();
  }
  // The memo's store grows once, not a hundred times over a large file.
  const std::size_t lines = (length + kBytesPerLine - 1) / kBytesPerLine;
  MemoOf(DumpMode).Reserve(lines, lines * kLineLength);
  DumpBytes(block.get(), static_cast<std::uint32_t>(length),
            [this](std::string_view line) { AddDumpLine(line); }, Gauge1, StopRequested, pump_);
}

}  // namespace tarnwick::demo
