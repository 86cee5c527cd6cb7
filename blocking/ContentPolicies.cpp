#include "blocking/ContentPolicies.h"

#include <string>

#include "blocking/ContentKinds.h"
#include "settings/RegAccessor.h"
#include "settings/RegistryError.h"
#include "settings/SettingsStore.h"

namespace tarnwick::blocking {
namespace {

using settings::TRegAccessor;

platform::HKEY RootOf(Hive hive) {
  return hive == Hive::LocalMachine ? platform::os::HkeyLocalMachine()
                                    : platform::os::HkeyCurrentUser();
}

// Writes one switch through `accessor`, opening each key of the kind unless `openPath` says it
// is open already. Moving to another key closes the open one before the root changes.
void WriteSwitch(TRegAccessor& accessor, const ContentKind& kind, const SwitchAction& action,
                 std::string& openPath) {
  for (const char* path : kind.keys) {
    const bool sameKey = openPath == path && accessor.Root() == RootOf(kind.hive);
    if (!sameKey) {
      accessor.ClosePath();
      openPath.clear();
      accessor.SetRoot(RootOf(kind.hive));
      if (action.op == SwitchAction::Op::EraseKeys) {
        // A key that is not there allows already; one that stays keeps its ban, which the user
        // has to hear of.
        bool missing = false;
        if (!accessor.EraseKeyTree(path, &missing) && !missing) {
          throw settings::ERegistryError::SetFailed(kind.valueName);
        }
        continue;
      }
      // Whether the key opened is not checked: a write with no key open reports the failure.
      if (accessor.OpenPath(path, true)) openPath = path;
    }
    if (action.op == SwitchAction::Op::WriteText) {
      accessor.WriteText(kind.valueName, action.text);
    } else {
      accessor.WriteDword(kind.valueName, action.number);
    }
  }
}

const ContentKind* FindKind(int kind) {
  for (const ContentKind& k : ContentKinds()) {
    if (k.kind == kind) return &k;
  }
  return nullptr;
}

}  // namespace

void ApplyChoice(int kind, int index) {
  settings::SaveSettings(settings::SettingName(kind), index);
  const ContentKind* k = FindKind(kind);
  if (k == nullptr) return;
  TRegAccessor accessor;
  std::string openPath;
  WriteSwitch(accessor, *k, index == kAllow ? k->allow : k->ban, openPath);
}

void SelectPreset(int preset, const std::array<ui::RadioGroup*, 5>& groups) {
  if (preset < 0 || preset >= static_cast<int>(kPresets.size())) return;
  for (std::size_t i = 0; i < groups.size(); ++i) {
    const int choice = kPresets[preset][i];
    groups[i]->SetItemIndex(choice);
    settings::SaveSettings(settings::SettingName(ContentKinds()[i].kind), choice);
  }
}

void ReapplyBans() {
  TRegAccessor accessor;
  std::string openPath;
  for (const ContentKind& k : ContentKinds()) {
    if (settings::ReadSettings(settings::SettingName(k.kind), k.defaultChoice) == kBan) {
      WriteSwitch(accessor, k, k.ban, openPath);
    }
  }
}

}  // namespace tarnwick::blocking
