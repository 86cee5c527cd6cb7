#pragma once
// The settings that one resolver decides (settings/Policies.h): each may be stored by the user
// under its number, and set by an administrator through Group Policy under its policy name.
// Scripts and the administrative template rely on these names; the template is written from
// this table, so that a name cannot differ between the program and the template.
#include <array>
#include <cstdint>
#include <string>

namespace tarnwick::settings {

// The name of the stored setting for `tag`: a control that stores a setting is tagged with its
// name's number, the content choices with their kind ("1" to "5"), the Options check boxes with
// 101 to 104.
std::string SettingName(int tag);

enum class SettingKind {
  Content,            // a kind of content: 0 allows, 1 bans
  Option,             // an Options box: 1 ticked, 0 not
  AdministratorOnly,  // no user stores it, and nothing recommends it
};

struct Setting {
  const char* policy;  // its REG_DWORD value under the Policies key
  SettingKind kind;
  int tag;             // the stored setting's number; 0 when the user stores none
  std::int32_t byDefault;
  std::string Name() const { return SettingName(tag); }
  bool Stored() const { return kind != SettingKind::AdministratorOnly; }
  bool Recommendable() const { return kind != SettingKind::AdministratorOnly; }
};

// The five kinds of content, by their number.
inline constexpr Setting kDisplayInlineVideos{"DisplayInlineVideos", SettingKind::Content, 1, 1};
inline constexpr Setting kPlayAnimatedGifs{"PlayAnimatedGifs", SettingKind::Content, 2, 0};
inline constexpr Setting kBackgroundSounds{"BackgroundSounds", SettingKind::Content, 3, 0};
inline constexpr Setting kShockwaveFlash{"ShockwaveFlash", SettingKind::Content, 4, 1};
inline constexpr Setting kJavaApplets{"JavaApplets", SettingKind::Content, 5, 1};

// The Options: how the program starts and closes.
inline constexpr Setting kStartMinimized{"StartMinimized", SettingKind::Option, 101, 0};
inline constexpr Setting kBanAtStart{"BanOnStartup", SettingKind::Option, 102, 0};
inline constexpr Setting kExitOnClose{"ExitOnClose", SettingKind::Option, 103, 1};
inline constexpr Setting kStartWithWindows{"StartWithWindows", SettingKind::Option, 104, 0};

// 1: monitoring runs from every start and cannot be stopped; 0: it cannot be started. Unset, the
// user starts and stops it.
inline constexpr Setting kMonitoring{"Monitoring", SettingKind::AdministratorOnly, 0, 0};
// 0: the demonstration window never shows by itself; 1 or unset: at every fifteenth start.
inline constexpr Setting kShowDemonstration{"ShowDemonstration", SettingKind::AdministratorOnly,
                                            0, 1};

// Every setting an administrator can set, in the order the log and the template name them.
inline constexpr std::array<const Setting*, 11> kManagedSettings = {
    &kDisplayInlineVideos, &kPlayAnimatedGifs, &kBackgroundSounds, &kShockwaveFlash,
    &kJavaApplets,         &kStartWithWindows, &kStartMinimized,   &kBanAtStart,
    &kExitOnClose,         &kMonitoring,       &kShowDemonstration,
};

// Where Group Policy and Intune put what an administrator set: the computer's policy under
// HKEY_LOCAL_MACHINE, the user's under HKEY_CURRENT_USER; recommended values in the subkey. The
// program reads them and never writes there.
inline constexpr const char* kPoliciesKey = "Software\\Policies\\Brambleworks\\Tarnwick";
inline constexpr const char* kRecommendedSubkey = "Recommended";
// Every policy value is a DWORD of 0 or 1.
inline constexpr std::int32_t kLowestPolicyValue = 0;
inline constexpr std::int32_t kHighestPolicyValue = 1;

}  // namespace tarnwick::settings
