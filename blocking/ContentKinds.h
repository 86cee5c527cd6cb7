#pragma once
// The five kinds of browser content, with the registry switch that allows or bans each.
#include <array>
#include <cstdint>
#include <vector>

#include "platform/Types.h"
#include "settings/ManagedSettings.h"

namespace tarnwick::blocking {

enum class Hive { CurrentUser, LocalMachine };

// What is done to the kind's value (in each of its keys) for one choice.
struct SwitchAction {
  enum class Op { WriteText, WriteDword, EraseKeys } op;
  const char* text = nullptr;
  std::int32_t number = 0;
};

struct ContentKind {
  const settings::Setting& setting;  // its number (1..5: group tag, settings value name), its
                                     // default choice and its policy
  const char* caption;             // the choice group's caption
  Hive hive;
  std::vector<const char*> keys;   // absolute paths from the hive's root
  const char* valueName;
  SwitchAction allow;              // choice 0, "Yes"
  SwitchAction ban;                // choice 1, "No"
  int Kind() const { return setting.tag; }
  int DefaultChoice() const { return setting.byDefault; }
};

inline constexpr int kAllow = 0;
inline constexpr int kBan = 1;

inline constexpr const char* kExplorerMainKey = "\\Software\\Microsoft\\Internet Explorer\\Main";
inline constexpr const char* kFlashKey =
    "\\SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\"
    "{D27CDB6E-AE6D-11CF-96B8-444553540000}";
inline constexpr const char* kShockwaveKey =
    "\\SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\"
    "{166B1BCA-3F9C-11CF-8075-444553540000}";
inline constexpr const char* kInternetZoneKey =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3";

// Compatibility flag with which the browser refuses to load an ActiveX control.
inline constexpr std::int32_t kKillBit = 0x400;
inline constexpr std::int32_t kJavaHighSafety = 0x10000;
inline constexpr std::int32_t kJavaDisabled = 0;

inline const std::array<ContentKind, 5>& ContentKinds() {
  using Op = SwitchAction::Op;
  static const std::array<ContentKind, 5> kinds = {{
      {settings::kDisplayInlineVideos, "Display inline &videos", Hive::CurrentUser,
       {kExplorerMainKey}, "Display Inline Videos", {Op::WriteText, "Yes"}, {Op::WriteText, "No"}},
      {settings::kPlayAnimatedGifs, "Play animated &gifs", Hive::CurrentUser, {kExplorerMainKey},
       "Play_Animations", {Op::WriteText, "Yes"}, {Op::WriteText, "No"}},
      {settings::kBackgroundSounds, "Background &sounds", Hive::CurrentUser, {kExplorerMainKey},
       "Play_Background_Sounds", {Op::WriteText, "Yes"}, {Op::WriteText, "No"}},
      {settings::kShockwaveFlash, "&Macromedia Shockwave && Flash Player", Hive::LocalMachine,
       {kFlashKey, kShockwaveKey}, "Compatibility Flags", {Op::EraseKeys},
       {Op::WriteDword, nullptr, kKillBit}},
      {settings::kJavaApplets, "Accept &JAVA applets", Hive::CurrentUser, {kInternetZoneKey},
       "1C00", {Op::WriteDword, nullptr, kJavaHighSafety}, {Op::WriteDword, nullptr, kJavaDisabled}},
  }};
  return kinds;
}

// The global presets "Yes to all", "No to all" and "Defaults": the choice for kinds 1..5.
inline constexpr std::array<std::array<int, 5>, 3> kPresets = {{
    {kAllow, kAllow, kAllow, kAllow, kAllow},
    {kBan, kBan, kBan, kBan, kBan},
    {settings::kDisplayInlineVideos.byDefault, settings::kPlayAnimatedGifs.byDefault,
     settings::kBackgroundSounds.byDefault, settings::kShockwaveFlash.byDefault,
     settings::kJavaApplets.byDefault},
}};

}  // namespace tarnwick::blocking
