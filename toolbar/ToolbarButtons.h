#pragma once
// Buttons on the browser's toolbar: extension keys under HKEY_LOCAL_MACHINE, and a list of the
// buttons added here, by button text, so that a button can be removed by its text alone.
#include <array>
#include <cstdint>
#include <string>

#include "platform/Types.h"

namespace tarnwick::toolbar {

enum class TToolbarButtonKind : std::uint8_t {
  tbkComObject = 0,
  tbkExplorerBar = 1,
  tbkScript = 2,
  tbkExecutable = 3,
};

struct ToolbarButtonKindInfo {
  TToolbarButtonKind kind;
  const char* clsid;        // "CLSID" data
  const char* targetName;   // the value that holds the caller's target
};

// Stored exactly as spelled here; kind 0's lower-case "d" is deliberate.
inline constexpr std::array<ToolbarButtonKindInfo, 4> kToolbarButtonKinds = {{
    {TToolbarButtonKind::tbkComObject, "{1FBA04EE-3024-11d2-8F1F-0000F87ABD16}", "ClsidExtension"},
    {TToolbarButtonKind::tbkExplorerBar, "{E0DD6CAB-2D10-11D2-8F1A-0000F87ABD16}", "BandCLSID"},
    {TToolbarButtonKind::tbkScript, "{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}", "Script"},
    {TToolbarButtonKind::tbkExecutable, "{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}", "Exec"},
}};

inline constexpr const char* kExtensionsKey = "\\Software\\Microsoft\\Internet Explorer\\Extensions\\";
inline constexpr const char* kButtonListKey = "\\Software\\VE5Raroz\\ToolBar Buttons\\";

// The registry form of a class identifier: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case.
std::string FormatGuid(const os::GUID& guid);
// Whether `text` has exactly that form; hexadecimal digits may be of either case.
bool IsGuidText(const std::string& text);

// Writes a new button's extension key and its list entry under HKEY_LOCAL_MACHINE. A kind outside
// the table gets neither "CLSID" nor a target. `identifier` receives the new button's GUID text
// only when every write succeeded; a refused write raises ERegistryError, and what was written of
// the button is erased again.
void AddToolbarButton(bool visibleByDefault, TToolbarButtonKind kind, const std::string& buttonText,
                      const std::string& hotIcon, const std::string& icon,
                      const std::string& target, std::string& identifier);

// Removes the newest button listed under `buttonText`, if any. Only a listed GUID names a key
// that is erased, before its entry is. Raises "Invalid data type" for a list entry that is not
// text, and "Failed to set data for '<buttonText>'" when the key or the entry stays, also when
// the list names a button but may not be changed. Otherwise true.
bool RemoveToolbarButton(const std::string& buttonText);

// Replaces the program's own button (titled `programTitle`) with a new one that starts this file.
void RegisterProgramButton(const std::string& programTitle);
// Removes the program's own button.
void UnregisterProgramButton(const std::string& programTitle);

}  // namespace tarnwick::toolbar
