#pragma once
// Allowing and banning content: a choice is stored first, then the browser's switch is written.
#include <array>
#include <exception>
#include <functional>

#include "blocking/ContentKinds.h"
#include "ui/RadioGroup.h"

namespace tarnwick::blocking {

// Stores `index` as kind `kind`'s choice and writes the kind's switch: 0 allows, anything else
// bans. An unknown kind is stored and writes nothing. A refused write, or a class key of kind 4
// that stays when allowing, raises ERegistryError and ends the call there.
void ApplyChoice(int kind, int index);
// Writes the switch as ApplyChoice does, without storing a choice: for a choice the user did not
// make. Only where the switch does not hold the choice already, so that a switch that cannot be
// written but holds what it should is no failure.
void EnsureChoice(int kind, int index);

// Sets each kind's choice group to preset `preset` (0 "Yes to all", 1 "No to all", 2 "Defaults")
// and stores the preset's choice, also where the group already showed it. `groups` are the choice
// groups of kinds 1..5; a disabled group, which the user cannot change, is left as it is. Other
// presets do nothing.
void SelectPreset(int preset, const std::array<ui::RadioGroup*, 5>& groups);

// What became of a kind's switch in a pass: `error` is null when it holds the ban.
using LockedBanReport = std::function<void(const ContentKind& kind, std::exception_ptr error)>;

// Writes again the ban of every kind decided as banned. A ban that an administrator set is
// written only where the switch does not hold it, and its failure goes to `locked` rather than
// ending the pass; every other failure raises as ApplyChoice's does.
void ReapplyBans(const LockedBanReport& locked = {});

}  // namespace tarnwick::blocking
