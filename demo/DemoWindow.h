#pragma once
// The demonstration window: on request it reads the browser's history, cache and cookies index
// files and lists their bytes as text, one memo each, with a stop button and a progress gauge.
// It is shown now and then by the main window, never modally, and closing it only hides it.
#include <cstdint>
#include <string>
#include <string_view>

#include "demo/DumpBytes.h"
#include "demo/Pump.h"
#include "demo/UrlCache.h"
#include "platform/Types.h"
#include "ui/Button.h"
#include "ui/CheckBox.h"
#include "ui/Control.h"
#include "ui/Form.h"
#include "ui/Gauge.h"
#include "ui/Label.h"
#include "ui/Memo.h"
#include "ui/SpeedButton.h"

namespace tarnwick::demo {

inline constexpr const char* kDemoFormClass = "TDemo";
inline constexpr const char* kShellFoldersKey =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline constexpr const char* kProductAddress = "https://brambleworks.example/hollowguard/";

class TDemo : public ui::Form {
 public:
  // Builds the window, hidden, from its layout. `stopGlyph` is the stop button's picture, made
  // when it is first drawn, which the caller keeps alive.
  explicit TDemo(ui::IconSource stopGlyph = {});
  ~TDemo() override;

  ui::Button Button1{this};
  ui::Button Button2{this};
  ui::Label Label4{this};
  ui::Label Label5{this};
  ui::Label Label6{this};
  ui::Label Label1{this};
  ui::LinkLabel Label2{this};
  ui::Label Label7{this};
  ui::Label Label3{this};
  ui::GroupBox GroupBox1{this};
  ui::CheckBox dHistory{this};
  ui::CheckBox dCache{this};
  ui::CheckBox dCookies{this};
  ui::Memo Memo2{this};
  ui::Memo Memo3{this};
  ui::Memo Memo4{this};
  ui::TabControl Panel1{this};
  ui::Gauge Gauge1{this};
  ui::SpeedButton SpeedButton1{this};
  TUrlCache UrlCache1{this};

  void FormCreate(ui::Component& sender);
  void FormCloseQuery(ui::Component& sender, bool& canClose);
  void Button1Click(ui::Component& sender);
  void Button2Click(ui::Component& sender);
  void SpeedButton1Click(ui::Component& sender);
  void Memo1KeyDown(ui::Component& sender, int& key, unsigned shift);

  // The line sink of the dump: a new last line of the memo of DumpMode.
  void AddDumpLine(std::string_view line);
  // Locates, reads and dumps the file of DumpMode.
  void LoadIndexFile();

  int DumpMode = 1;
  std::string FolderName;
  bool DemoIdle = true;
  bool StopRequested = false;

  // Runs the messages that the dump lets through; tests put in their own, which runs at every
  // byte.
  void SetPump(Pump pump);

 protected:
  void CloseQuery(bool& canClose) override { FormCloseQuery(*this, canClose); }

 private:
  void LoadLayout(ui::IconSource stopGlyph);
  ui::Memo& MemoOf(int mode);
  // Shows one of the window's fixed texts in a plain message box.
  void Tell(const std::string& text);

  MessagePump pump_;
  bool running_ = false;
};

// The one instance, while it exists.
inline TDemo* Demo = nullptr;

}  // namespace tarnwick::demo
