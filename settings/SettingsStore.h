#pragma once
// The program's own settings: DWORD values in one key of the current user, read at every use.
#include <cstdint>
#include <optional>
#include <string>

#include "settings/ManagedSettings.h"

namespace tarnwick::settings {

// The program's title: its windows, tray tip, toolbar button and Run entry all carry it.
inline constexpr const char* kProgramTitle = "Tarnwick v1.0b Personal";
inline constexpr const char* kSettingsKey = "Software\\Brambleworks\\Tarnwick";

// The value names in the settings key.
inline constexpr const char* kBalloonShownName = "i";  // not 0: the hiding hint was shown
inline constexpr const char* kLaunchCounterName = "Ypos";

// The setting `name`, or `defaultValue` when it is missing or a text that is no integer. Creates
// the settings key when missing. A value of another type raises ERegistryError.
std::int32_t ReadSettings(const std::string& name, std::int32_t defaultValue);
// The same, with nothing where ReadSettings would give the default: the user stored no choice.
std::optional<std::int32_t> ReadStoredSetting(const std::string& name);
// Stores `value` as a DWORD, replacing any value of that name. Raises "Failed to set data" when
// the key can be neither opened nor created, or the write is refused.
void SaveSettings(const std::string& name, std::int32_t value);

// The launch counter; 0 when it or the settings key is missing.
std::int32_t LaunchCount();
// Counts this start: the first one stores 0, every later one the counter plus one.
void RecordLaunch();

}  // namespace tarnwick::settings
