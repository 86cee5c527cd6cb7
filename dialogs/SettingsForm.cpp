#include "dialogs/SettingsForm.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "platform/ProgramPath.h"
#include "platform/ScopeExit.h"
#include "settings/RegAccessor.h"
#include "settings/RegistryError.h"
#include "settings/SettingsStore.h"
#include "ui/ErrorBoundary.h"
#include "ui/Managed.h"

namespace tarnwick::dialogs {
namespace {

// The check boxes in the order their settings are read and stored, each with its place and
// setting; the captions are the header's.
constexpr const char* kGroupCaption = "Settings";

struct Box {
  ui::CheckBox TSettingsF::*box;
  int top;
  int tabOrder;
  const settings::Setting& option;
  constexpr const char* Caption() const { return CaptionOf(option); }
};
constexpr Box kBoxes[] = {
    {&TSettingsF::CheckBox6, 32, 0, settings::kStartMinimized},
    {&TSettingsF::CheckBox7, 48, 1, settings::kBanAtStart},
    {&TSettingsF::CheckBox8, 64, 2, settings::kExitOnClose},
    {&TSettingsF::CheckBox1, 16, 3, settings::kStartWithWindows},
};
static_assert(std::all_of(std::begin(kBoxes), std::end(kBoxes),
                          [](const Box& b) { return b.Caption() != nullptr; }));

}  // namespace

TSettingsF::TSettingsF() : ui::Form(kSettingsFormClass) {
  SettingsF = this;
  LoadLayout();
  // It runs while the program starts; a failure is shown and the start goes on.
  FormCreate(*this);
}

TSettingsF::~TSettingsF() {
  if (SettingsF == this) SettingsF = nullptr;
}

void TSettingsF::LoadLayout() {
  const ui::LayoutLoading loading{this, &TabControl1, &GroupBox2, &CheckBox1, &CheckBox6,
                                 &CheckBox7, &CheckBox8, &BitBtn1, &BitBtn2};

  SetBorderStyle(ui::BorderStyle::Dialog);
  SetCaption("Options");
  SetClientSize(212, 139);
  SetFont({"MS Sans Serif", -11, 1});

  TabControl1.SetBounds(0, 0, 212, 139);
  AddControl(TabControl1);
  GroupBox2.SetParent(&TabControl1);
  GroupBox2.SetBounds(12, 8, 189, 89);
  GroupBox2.SetCaption(kGroupCaption);
  GroupBox2.SetTabOrder(2);

  for (const Box& b : kBoxes) {
    ui::CheckBox& box = this->*b.box;
    box.SetParent(&GroupBox2);
    box.SetBounds(8, b.top, 177, 17);
    box.SetCaption(b.Caption());
    box.SetTabOrder(b.tabOrder);
    box.SetTag(b.option.tag);
    box.SetChecked(b.option.byDefault != 0);
    box.OnClick = [this](ui::Component& sender) { CheckBoxClick(sender); };
  }

  BitBtn1.SetParent(&TabControl1);
  BitBtn1.SetBounds(24, 104, 75, 25);
  BitBtn1.SetCaption("&Ok");
  BitBtn1.SetDefault(true);
  BitBtn1.SetCancel(true);
  BitBtn1.SetTabOrder(0);
  BitBtn1.OnClick = [this](ui::Component& sender) { BitBtn1Click(sender); };
  BitBtn2.SetParent(&TabControl1);
  BitBtn2.SetBounds(112, 104, 75, 25);
  BitBtn2.SetCaption("&Defaults");
  BitBtn2.SetTabOrder(1);
  BitBtn2.OnClick = [this](ui::Component& sender) { BitBtn2Click(sender); };

  OnClose = [this](ui::Component& sender) { FormClose(sender); };
}

bool TSettingsF::ReadSettings(const std::string& name, bool defaultValue) {
  settings::TSettingsReader reader(settings::kSettingsKey);
  return reader.ReadFlagOr(name, defaultValue);
}

void TSettingsF::SaveSettings(const std::string& name, bool value) {
  settings::SaveSettings(name, value ? 1 : 0);
}

void TSettingsF::FormCreate(ui::Component&) {
  // Each box reads its own value: one that cannot be read is said and keeps its designed state,
  // and the boxes after it still show what the user stored, which closing writes back.
  const settings::PolicyKeys policyKeys;
  for (std::size_t i = 0; i < std::size(kBoxes); ++i) {
    ui::Guard([&] { ShowOption(i, settings::Decide(kBoxes[i].option), true); });
  }
}

// At start the user's stored state, or the design's, is set as it always was: a change runs the
// box's click, which stores it and acts on it. A recommended state acts the same way without
// being stored. An administrator's is shown, never stored, and the program behaves by it: the
// Run entry is written or removed at every start. The same goes for a state handed back when a
// lock is lifted.
void TSettingsF::ShowOption(std::size_t i, const settings::Decision& decision, bool starting) {
  const Box& b = kBoxes[i];
  ui::CheckBox& box = this->*b.box;
  shown_[i] = decision;
  ui::ShowManaged(box, b.Caption(), decision.Locked());
  const bool anyLocked =
      std::any_of(shown_.begin(), shown_.end(), [](const auto& d) { return d.Locked(); });
  GroupBox2.SetCaption(anyLocked ? std::string(kGroupCaption) + " " + ui::kManagedLegend
                                 : kGroupCaption);
  const bool checked = decision.value != 0;
  if (starting && !decision.Locked()) {
    const bool stores = decision.origin != settings::Origin::Recommended;
    const bool outer = std::exchange(storing_, stores);
    const platform::ScopeExit restore([&] { storing_ = outer; });
    box.SetChecked(checked);
    return;
  }
  box.ShowChecked(checked);
  if (box.Tag() == settings::kStartWithWindows.tag) UpdateRunEntry(checked);
}

void TSettingsF::ApplyPolicies() {
  const settings::PolicyKeys policyKeys;
  for (std::size_t i = 0; i < std::size(kBoxes); ++i) {
    ui::Guard([&] {
      const settings::Decision decision = settings::Decide(kBoxes[i].option);
      if (decision != shown_[i]) ShowOption(i, decision, false);
    });
  }
}

void TSettingsF::CheckBoxClick(ui::Component& sender) {
  auto& box = static_cast<ui::CheckBox&>(sender);
  const bool checked = box.Checked();
  if (storing_) SaveSettings(settings::SettingName(box.Tag()), checked);
  if (box.Tag() == settings::kStartWithWindows.tag) UpdateRunEntry(checked);
}

void TSettingsF::UpdateRunEntry(bool present) {
  settings::TRegAccessor accessor;
  // Either way a Run entry left as it was would start the program, or not, against the box.
  if (!accessor.OpenPath(kRunKey, true)) {
    throw settings::ERegistryError::SetFailed(settings::kProgramTitle);
  }
  if (!present) {
    if (!accessor.EraseValue(settings::kProgramTitle) && accessor.HasValue(settings::kProgramTitle)) {
      throw settings::ERegistryError::SetFailed(settings::kProgramTitle);
    }
    return;
  }
  // The ANSI calls spell a character their code page lacks as '?', which no file name holds; such
  // an entry would start nothing at logon, so none is left and the user is told.
  const std::string path = platform::SpelledProgramPath();
  if (path.empty()) {
    accessor.EraseValue(settings::kProgramTitle);
    throw std::runtime_error(
        "Cannot start with Windows from this folder: its name has characters that the Run entry "
        "cannot hold. Move the program to a folder with a plain name and check the box again.");
  }
  accessor.WriteText(settings::kProgramTitle, "\"" + path + "\"");
}

// What an administrator set is neither changed nor stored as the user's: its box is disabled.
void TSettingsF::BitBtn2Click(ui::Component&) {
  for (const Box& b : kBoxes) {
    if ((this->*b.box).Enabled()) (this->*b.box).SetChecked(b.option.byDefault != 0);
  }
}

void TSettingsF::BitBtn1Click(ui::Component&) { Close(); }

void TSettingsF::FormClose(ui::Component&) {
  for (const Box& b : kBoxes) {
    if ((this->*b.box).Enabled()) SaveSettings(b.option.Name(), (this->*b.box).Checked());
  }
}

}  // namespace tarnwick::dialogs
