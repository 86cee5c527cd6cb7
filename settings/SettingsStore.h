#pragma once
// The program's own settings: DWORD values in one key of the current user, read at every use.
#include <cstdint>
#include <string>

namespace tarnwick::settings {

// The program's title: its windows, tray tip, toolbar button and Run entry all carry it.
inline constexpr const char* kProgramTitle = "Tarnwick v1.0b Personal";
inline constexpr const char* kSettingsKey = "Software\\Brambleworks\\Tarnwick";

// The value names in the settings key.
inline constexpr const char* kBalloonShownName = "i";  // not 0: the hiding hint was shown
inline constexpr const char* kLaunchCounterName = "Ypos";
// A control that stores a setting is tagged with its name's number: the content choices with
// their kind ("1" to "5"), the Options check boxes with 101 to 104. This is the name for `tag`.
std::string SettingName(int tag);

// The Options settings, stored as 1 (on) or 0 under their numbers, and what each is while it
// is missing.
struct Option {
  int tag;
  bool byDefault;
  std::string Name() const { return SettingName(tag); }
};
inline constexpr Option kStartMinimized{101, false};    // start in the tray
inline constexpr Option kBanAtStart{102, false};        // start monitoring
inline constexpr Option kExitOnClose{103, true};        // closing ends the program
inline constexpr Option kStartWithWindows{104, false};  // a Run entry starts the program

// The setting `name`, or `defaultValue` when it is missing or a text that is no integer. Creates
// the settings key when missing. A value of another type raises ERegistryError.
std::int32_t ReadSettings(const std::string& name, std::int32_t defaultValue);
// Stores `value` as a DWORD, replacing any value of that name. Raises "Failed to set data" when
// the key can be neither opened nor created, or the write is refused.
void SaveSettings(const std::string& name, std::int32_t value);

// The launch counter; 0 when it or the settings key is missing.
std::int32_t LaunchCount();
// Counts this start: the first one stores 0, every later one the counter plus one.
void RecordLaunch();

}  // namespace tarnwick::settings
