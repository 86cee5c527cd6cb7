#pragma once
// The Options dialog: four check boxes for starting and closing the program, each stored at once
// under its tag in the settings key, and the Run entry for "Start with windows". There is no
// Cancel: every change is stored when it is made, and closing stores all four again.
#include <array>
#include <string>

#include "settings/Policies.h"
#include "ui/Button.h"
#include "ui/CheckBox.h"
#include "ui/Control.h"
#include "ui/Form.h"

namespace tarnwick::dialogs {

inline constexpr const char* kSettingsFormClass = "TSettingsF";
// The current user's programs started at logon.
inline constexpr const char* kRunKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Each Options box's caption, by the setting the box shows. The administrative template names the
// settings by them too.
struct OptionCaption {
  const settings::Setting& option;
  const char* caption;
};
inline constexpr OptionCaption kOptionCaptions[] = {
    {settings::kStartMinimized, "Start minimi&zed"},
    {settings::kBanAtStart, "Ban selected items on startup"},
    {settings::kExitOnClose, "Exi&t on close"},
    {settings::kStartWithWindows, "Start with &windows"},
};
// The caption of the box that shows `option`, or none. Found by the setting's number, as the
// boxes are tagged: GCC cannot compare the settings' addresses in a constant expression.
constexpr const char* CaptionOf(const settings::Setting& option) {
  for (const OptionCaption& c : kOptionCaptions) {
    if (c.option.tag == option.tag) return c.caption;
  }
  return nullptr;
}

class TSettingsF : public ui::Form {
 public:
  // Builds the dialog, hidden, from its layout, then runs FormCreate.
  TSettingsF();
  ~TSettingsF() override;

  ui::TabControl TabControl1{this};
  ui::GroupBox GroupBox2{this};
  ui::CheckBox CheckBox1{this};
  ui::CheckBox CheckBox6{this};
  ui::CheckBox CheckBox7{this};
  ui::CheckBox CheckBox8{this};
  ui::Button BitBtn1{this};
  ui::Button BitBtn2{this};

  // A stored value read as a flag: any non-zero number is set; missing gives `defaultValue`.
  bool ReadSettings(const std::string& name, bool defaultValue);
  // Stores 1 or 0; raises "Failed to set data" when it cannot.
  void SaveSettings(const std::string& name, bool value);

  void FormCreate(ui::Component& sender);
  void CheckBoxClick(ui::Component& sender);
  void BitBtn2Click(ui::Component& sender);  // "&Defaults"
  void BitBtn1Click(ui::Component& sender);  // "&Ok"
  void FormClose(ui::Component& sender);

  // Shows the boxes as the policies decide them now, and acts on what changed: what a policy
  // refresh does.
  void ApplyPolicies();

 private:
  void LoadLayout();
  // Shows one box's decided state; see the .cpp.
  void ShowOption(std::size_t i, const settings::Decision& decision, bool starting);
  // Writes or removes the Run entry; raises "Failed to set data" when the Run key does not open
  // or the entry stays.
  void UpdateRunEntry(bool present);

  std::array<settings::Decision, 4> shown_{};  // as the boxes show them
  bool storing_ = true;                         // whether a box's click stores its state
};

// The one instance, while it exists.
inline TSettingsF* SettingsF = nullptr;

}  // namespace tarnwick::dialogs
