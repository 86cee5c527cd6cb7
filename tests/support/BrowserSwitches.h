#pragma once
// What the program writes for the browser, spelled once for the native and the Wine tests and
// apart from the program's own table, so that a wrong path there cannot pass here. Paths are
// from their root, without the leading backslash.
#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick::test {

inline constexpr const char* kMainKey = "Software\\Microsoft\\Internet Explorer\\Main";
inline constexpr const char* kZoneKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3";
inline constexpr const char* kFlashKey =
    "SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\"
    "{D27CDB6E-AE6D-11CF-96B8-444553540000}";
inline constexpr const char* kShockwaveKey =
    "SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\"
    "{166B1BCA-3F9C-11CF-8075-444553540000}";
inline constexpr const char* kKillBitName = "Compatibility Flags";
inline constexpr std::uint32_t kKillBit = 0x400;
inline constexpr const char* kExtensionsKey = "Software\\Microsoft\\Internet Explorer\\Extensions";
inline constexpr const char* kButtonListKey = "Software\\VE5Raroz\\ToolBar Buttons";

// What one choice leaves in one value: a text, a DWORD, or the value's key gone.
struct SwitchValue {
  enum class Kind { Text, Dword, KeyErased } kind;
  const char* text = nullptr;
  std::uint32_t number = 0;
};

// One kind's switch. A machine switch stands in every view of HKLM\Software.
struct BrowserSwitch {
  int kind;
  bool machine;
  std::vector<const char*> keys;
  const char* name;
  SwitchValue allow;  // choice 0, "Yes"
  SwitchValue ban;    // choice 1, "No"
};

inline const std::vector<BrowserSwitch>& BrowserSwitches() {
  using K = SwitchValue::Kind;
  static const std::vector<BrowserSwitch> switches = {
      {1, false, {kMainKey}, "Display Inline Videos", {K::Text, "Yes"}, {K::Text, "No"}},
      {2, false, {kMainKey}, "Play_Animations", {K::Text, "Yes"}, {K::Text, "No"}},
      {3, false, {kMainKey}, "Play_Background_Sounds", {K::Text, "Yes"}, {K::Text, "No"}},
      {4, true, {kFlashKey, kShockwaveKey}, kKillBitName, {K::KeyErased},
       {K::Dword, nullptr, kKillBit}},
      {5, false, {kZoneKey}, "1C00", {K::Dword, nullptr, 0x10000}, {K::Dword, nullptr, 0}},
  };
  return switches;
}

// `path` below HKLM as a 64-bit program reaches it in each view of a machine: the path itself,
// and on 64-bit Windows also its place in the 32-bit view.
inline std::vector<std::string> MachinePaths(const std::string& path, bool windows64 = true) {
  if (!windows64) return {path};
  const std::size_t slash = path.find('\\');
  return {path, path.substr(0, slash) + "\\Wow6432Node" + path.substr(slash)};
}

}  // namespace tarnwick::test
