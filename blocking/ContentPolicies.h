#pragma once
// Allowing and banning content: a choice is stored first, then the browser's switch is written.
#include <array>

#include "ui/RadioGroup.h"

namespace tarnwick::blocking {

// Stores `index` as kind `kind`'s choice and writes the kind's switch: 0 allows, anything else
// bans. An unknown kind is stored and writes nothing. A refused write, or a class key of kind 4
// that stays when allowing, raises ERegistryError and ends the call there.
void ApplyChoice(int kind, int index);

// Sets each kind's choice group to preset `preset` (0 "Yes to all", 1 "No to all", 2 "Defaults")
// and stores the preset's choice, also where the group already showed it. `groups` are the choice
// groups of kinds 1..5; other presets do nothing.
void SelectPreset(int preset, const std::array<ui::RadioGroup*, 5>& groups);

// Writes again the ban of every kind whose stored choice is exactly 1.
void ReapplyBans();

}  // namespace tarnwick::blocking
