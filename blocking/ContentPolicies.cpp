#include "blocking/ContentPolicies.h"

#include <exception>
#include <string>
#include <vector>

#include "blocking/ContentKinds.h"
#include "settings/Policies.h"
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

// Whether the kind's switch holds `action` in every view and key: its value written as the
// action writes it, or its keys gone. A switch that cannot be read does not hold it.
bool Holds(const ContentKind& kind, const SwitchAction& action) {
  const std::vector<platform::REGSAM> views =
      kind.hive == Hive::LocalMachine ? settings::MachineViews() : std::vector<platform::REGSAM>{0};
  for (const platform::REGSAM view : views) {
    for (const char* path : kind.keys) {
      TRegAccessor accessor;
      accessor.SetRoot(RootOf(kind.hive));
      accessor.SetView(view);
      bool missing = false;
      const bool open = accessor.OpenPathToRead(path, &missing);
      if (action.op == SwitchAction::Op::EraseKeys) {
        if (open || !missing) return false;
        continue;
      }
      try {
        if (!open || !accessor.HasValue(kind.valueName)) return false;
        if (action.op == SwitchAction::Op::WriteText) {
          if (accessor.ReadText(kind.valueName) != action.text) return false;
        } else if (accessor.ReadDword(kind.valueName) != action.number) {
          return false;
        }
      } catch (const settings::ERegistryError&) {
        return false;
      }
    }
  }
  return true;
}

const ContentKind* FindKind(int kind) {
  for (const ContentKind& k : ContentKinds()) {
    if (k.Kind() == kind) return &k;
  }
  return nullptr;
}

const SwitchAction& ActionFor(const ContentKind& kind, int index) {
  return index == kAllow ? kind.allow : kind.ban;
}

}  // namespace

void ApplyChoice(int kind, int index) {
  settings::SaveSettings(settings::SettingName(kind), index);
  const ContentKind* k = FindKind(kind);
  if (k == nullptr) return;
  TRegAccessor accessor;
  std::string openPath;
  WriteSwitch(accessor, *k, ActionFor(*k, index), openPath);
}

void EnsureChoice(int kind, int index) {
  const ContentKind* k = FindKind(kind);
  if (k == nullptr || Holds(*k, ActionFor(*k, index))) return;
  TRegAccessor accessor;
  std::string openPath;
  WriteSwitch(accessor, *k, ActionFor(*k, index), openPath);
}

void SelectPreset(int preset, const std::array<ui::RadioGroup*, 5>& groups) {
  if (preset < 0 || preset >= static_cast<int>(kPresets.size())) return;
  for (std::size_t i = 0; i < groups.size(); ++i) {
    if (!groups[i]->Enabled()) continue;
    const int choice = kPresets[preset][i];
    groups[i]->SetItemIndex(choice);
    settings::SaveSettings(settings::SettingName(ContentKinds()[i].Kind()), choice);
  }
}

void ReapplyBans(const LockedBanReport& locked) {
  TRegAccessor accessor;
  std::string openPath;
  // A stored choice that cannot be read costs only its own kind's ban: the pass goes on with the
  // others, and the first such error is raised at its end.
  std::exception_ptr unreadable;
  for (const ContentKind& k : ContentKinds()) {
    settings::Decision decision;
    try {
      decision = settings::Decide(k.setting);
    } catch (const settings::ERegistryError&) {
      if (!unreadable) unreadable = std::current_exception();
      continue;
    }
    if (decision.value != kBan) continue;
    if (!decision.Locked()) {
      WriteSwitch(accessor, k, k.ban, openPath);
      continue;
    }
    std::exception_ptr failed;
    try {
      EnsureChoice(k.Kind(), kBan);
    } catch (const std::exception&) {
      failed = std::current_exception();
    }
    if (locked) locked(k, failed);
  }
  if (unreadable) std::rethrow_exception(unreadable);
}

}  // namespace tarnwick::blocking
