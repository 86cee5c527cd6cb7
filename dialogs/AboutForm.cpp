#include "dialogs/AboutForm.h"

#include <string>

#include "settings/SettingsStore.h"
#include "ui/ErrorBoundary.h"

namespace tarnwick::dialogs {

TAboutF::TAboutF(os::HICON programIcon) : ui::Form(kAboutFormClass) {
  AboutF = this;  // FormCreate reaches the dialog through it
  LoadLayout(programIcon);
  ui::Guard([&] { FormCreate(*this); });
}

TAboutF::~TAboutF() {
  if (AboutF == this) AboutF = nullptr;
}

void TAboutF::LoadLayout(os::HICON programIcon) {
  const ui::LayoutLoading loading{this, &GroupBox1, &Image1, &Label1, &Label2,
                                 &Label3, &Label4, &Button1};

  SetBorderStyle(ui::BorderStyle::Dialog);
  SetClientSize(359, 184);
  SetFont({"MS Sans Serif", -11, 1});

  GroupBox1.SetBounds(8, 8, 345, 137);
  AddControl(GroupBox1);

  // Labels without a size take their text's.
  struct Line {
    ui::Control& control;
    int left;
    int top;
  };
  const Line lines[] = {{Image1, 8, 16}, {Label1, 56, 24}, {Label2, 32, 64},
                        {Label3, 48, 96}, {Label4, 144, 96}};
  for (const Line& line : lines) {
    line.control.SetParent(&GroupBox1);
    line.control.SetBounds(line.left, line.top, 0, 0);
  }
  Image1.SetBounds(8, 16, 32, 32);
  Image1.SetPicture(programIcon);
  Image1.SetAccessibleName("Tarnwick");  // the program's icon
  Label1.SetFont({"MS Sans Serif", -16, 1, ui::kFontBold});
  Label2.SetCaption(kCopyright);
  Label3.SetCaption("Visit our website at");
  Label4.SetCaption(kWebSiteText);
  Label4.SetFont({"MS Sans Serif", -11, 1, 0, ui::kBlue});
  Label4.SetAddress(kWebSiteAddress);

  Button1.SetBounds(144, 152, 75, 25);
  Button1.SetCaption("&Ok");
  Button1.SetDefault(true);
  Button1.SetCancel(true);
  Button1.OnClick = [this](ui::Component& sender) { Button1Click(sender); };
  AddControl(Button1);
}

void TAboutF::FormCreate(ui::Component&) {
  AboutF->SetCaption(std::string("About ") + settings::kProgramTitle);
  Label1.SetCaption(settings::kProgramTitle);
}

void TAboutF::Button1Click(ui::Component&) { Close(); }

}  // namespace tarnwick::dialogs
