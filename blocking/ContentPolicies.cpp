#include "blocking/ContentPolicies.h"

#include <exception>
#include <string>
#include <vector>

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
// is open already. Moving to another key closes the open one before the root changes. A machine
// switch goes to every view of the machine: a browser of either width must see it.
void WriteSwitch(TRegAccessor& accessor, const ContentKind& kind, const SwitchAction& action,
                 std::string& openPath) {
  const std::vector<platform::REGSAM> views =
      kind.hive == Hive::LocalMachine ? settings::MachineViews() : std::vector<platform::REGSAM>{0};
  for (const platform::REGSAM view : views) {
    for (const char* path : kind.keys) {
      const bool sameKey =
          openPath == path && accessor.Root() == RootOf(kind.hive) && accessor.View() == view;
      if (!sameKey) {
        accessor.ClosePath();
        openPath.clear();
        accessor.SetRoot(RootOf(kind.hive));
        accessor.SetView(view);
        if (action.op == SwitchAction::Op::EraseKeys) {
          // A key that is not there allows already; one that stays keeps its ban, which the
          // user has to hear of.
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
  // A stored choice that cannot be read costs only its own kind's ban: the pass goes on with the
  // others, and the first such error is raised at its end.
  std::exception_ptr unreadable;
  for (const ContentKind& k : ContentKinds()) {
    std::int32_t choice = 0;
    try {
      choice = settings::ReadSettings(settings::SettingName(k.kind), k.defaultChoice);
    } catch (const settings::ERegistryError&) {
      if (!unreadable) unreadable = std::current_exception();
      continue;
    }
    if (choice == kBan) WriteSwitch(accessor, k, k.ban, openPath);
  }
  if (unreadable) std::rethrow_exception(unreadable);
}

}  // namespace tarnwick::blocking
