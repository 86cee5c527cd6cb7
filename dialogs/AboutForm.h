#pragma once
// The About dialog: the program's icon and title, the maker's copyright line and a link to the
// maker's web site.
#include "platform/Types.h"
#include "ui/Button.h"
#include "ui/Control.h"
#include "ui/Form.h"
#include "ui/Image.h"
#include "ui/Label.h"

namespace tarnwick::dialogs {

inline constexpr const char* kAboutFormClass = "TAboutF";
inline constexpr const char* kCopyright = "Copyright (c) Brambleworks Company";
inline constexpr const char* kWebSiteText = "brambleworks.example";
inline constexpr const char* kWebSiteAddress = "https://brambleworks.example/";

class TAboutF : public ui::Form {
 public:
  // Builds the dialog, hidden, from its layout, then runs FormCreate. `programIcon` is the
  // program's main icon, which the caller keeps alive.
  explicit TAboutF(os::HICON programIcon);
  ~TAboutF() override;

  ui::GroupBox GroupBox1{this};
  ui::Image Image1{this};
  ui::Label Label1{this};
  ui::Label Label2{this};
  ui::Label Label3{this};
  ui::LinkLabel Label4{this};
  ui::Button Button1{this};

  void FormCreate(ui::Component& sender);
  void Button1Click(ui::Component& sender);

 private:
  void LoadLayout(os::HICON programIcon);
};

// The one instance, while it exists.
inline TAboutF* AboutF = nullptr;

}  // namespace tarnwick::dialogs
