#include "toolbar/ToolbarButtons.h"

#include <stdexcept>
#include <vector>

#include "platform/Platform.h"
#include "platform/ProgramPath.h"
#include "settings/RegAccessor.h"
#include "settings/RegistryError.h"

namespace tarnwick::toolbar {
namespace {

using settings::TRegAccessor;

constexpr std::size_t kGuidTextLength = 38;
// Where the hyphens of "{8-4-4-4-12}" fall.
constexpr std::array<std::size_t, 4> kHyphens = {9, 14, 19, 24};

void AppendHex(std::string& out, std::uint32_t value, int digits) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) out += kDigits[(value >> shift) & 0xF];
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

const ToolbarButtonKindInfo* FindKind(TToolbarButtonKind kind) {
  for (const ToolbarButtonKindInfo& info : kToolbarButtonKinds) {
    if (info.kind == kind) return &info;
  }
  return nullptr;
}

}  // namespace

std::string FormatGuid(const os::GUID& guid) {
  std::string out;
  out.reserve(kGuidTextLength);
  out += '{';
  AppendHex(out, guid.Data1, 8);
  out += '-';
  AppendHex(out, guid.Data2, 4);
  out += '-';
  AppendHex(out, guid.Data3, 4);
  out += '-';
  AppendHex(out, guid.Data4[0], 2);
  AppendHex(out, guid.Data4[1], 2);
  out += '-';
  for (int i = 2; i < 8; ++i) AppendHex(out, guid.Data4[i], 2);
  out += '}';
  return out;
}

bool IsGuidText(const std::string& text) {
  if (text.size() != kGuidTextLength || text.front() != '{' || text.back() != '}') return false;
  for (std::size_t i = 1; i + 1 < text.size(); ++i) {
    const bool hyphenPlace = i == kHyphens[0] || i == kHyphens[1] || i == kHyphens[2] ||
                             i == kHyphens[3];
    if (hyphenPlace ? text[i] != '-' : !IsHexDigit(text[i])) return false;
  }
  return true;
}

void AddToolbarButton(bool visibleByDefault, TToolbarButtonKind kind, const std::string& buttonText,
                      const std::string& hotIcon, const std::string& icon,
                      const std::string& target, std::string& identifier) {
  os::GUID guid{};
  // Without a new identifier the button's key would be named after whatever the memory held.
  if (platform::Sys().CoCreateGuid(&guid) < 0) {
    throw std::runtime_error("Cannot make an identifier for the toolbar button");
  }
  const std::string id = FormatGuid(guid);

  // The button goes to every view of the machine, for browsers of either width; its list entry
  // to the first, where builds of both widths look for it.
  const std::vector<platform::REGSAM> views = settings::MachineViews();
  TRegAccessor accessor;
  accessor.SetRoot(os::HkeyLocalMachine());
  const std::string key = kExtensionsKey + id;
  try {
    for (const platform::REGSAM view : views) {
      accessor.SetView(view);
      // A key that cannot be opened is reported by the first write, which then has no key to go
      // to.
      accessor.OpenPath(key, true);
      accessor.WriteText("Default Visible", visibleByDefault ? "Yes" : "No");
      accessor.WriteText("ButtonText", buttonText);
      accessor.WriteText("HotIcon", hotIcon);
      accessor.WriteText("Icon", icon);
      if (const ToolbarButtonKindInfo* info = FindKind(kind)) {
        accessor.WriteText("CLSID", info->clsid);
        accessor.WriteText(info->targetName, target);
      }
      accessor.ClosePath();
    }

    accessor.SetView(views.front());
    accessor.OpenPath(kButtonListKey, true);
    accessor.WriteText(buttonText, id);
    accessor.ClosePath();
  } catch (...) {
    // A button that no list entry names could never be removed again: what was written of it,
    // in every view, goes with the error.
    for (const platform::REGSAM view : views) {
      accessor.SetView(view);
      accessor.ClosePath();
      accessor.EraseKeyTree(key);
    }
    throw;
  }

  identifier = id;
}

namespace {

// Removes the button that the list in view `listView` names under `buttonText`, from every view.
void RemoveListedButton(const std::string& buttonText, platform::REGSAM listView) {
  TRegAccessor list;
  list.SetRoot(os::HkeyLocalMachine());
  list.SetView(listView);
  bool noList = false;
  const bool mayChange = list.OpenPath(kButtonListKey, false, &noList);
  if (!mayChange && !noList && !list.OpenPathToRead(kButtonListKey, &noList) && !noList) {
    throw settings::ERegistryError::GetFailed(buttonText);
  }
  const std::string id = list.ReadText(buttonText);
  if (id.size() != kGuidTextLength) return;
  // A list that may be read but not changed (a user without the right to) still names a button:
  // taking the refusal for an absence would report a removal that never happened.
  if (!mayChange) throw settings::ERegistryError::SetFailed(buttonText);

  // The entry may have been edited by hand: 38 backslashes would name the whole Extensions key,
  // other texts a key below another button. Only an identifier of our own form names a key.
  // The key goes before its entry: an entry deleted for a key that stays would leave a button
  // that nothing names and no later removal finds. So either failing is raised, and the entry
  // stays for the next try.
  if (IsGuidText(id)) {
    TRegAccessor keys;
    keys.SetRoot(os::HkeyLocalMachine());
    for (const platform::REGSAM view : settings::MachineViews()) {
      keys.SetView(view);
      bool missing = false;
      if (!keys.EraseKeyTree(kExtensionsKey + id, &missing) && !missing) {
        throw settings::ERegistryError::SetFailed(buttonText);
      }
    }
  }
  if (!list.EraseValue(buttonText) && list.HasValue(buttonText)) {
    throw settings::ERegistryError::SetFailed(buttonText);
  }
}

}  // namespace

bool RemoveToolbarButton(const std::string& buttonText) {
  // The list is kept in the first view. A 32-bit build of an earlier version kept it in the
  // 32-bit view, whose button is removed as well, so that a new one never stands beside it.
  for (const platform::REGSAM listView : settings::MachineViews()) {
    RemoveListedButton(buttonText, listView);
  }
  return true;
}

void RegisterProgramButton(const std::string& programTitle) {
  // Checked before the old button goes: one that starts nothing would replace a working one.
  const std::string path = platform::SpelledProgramPath();
  if (path.empty()) {
    throw std::runtime_error(
        "Cannot add the toolbar button from this folder: its name has characters that the "
        "button cannot hold. Move the program to a folder with a plain name and register it "
        "again.");
  }
  RemoveToolbarButton(programTitle);
  std::string identifier;
  AddToolbarButton(true, TToolbarButtonKind::tbkExecutable, programTitle, path + ",1000",
                   path + ",1001", path, identifier);
}

void UnregisterProgramButton(const std::string& programTitle) { RemoveToolbarButton(programTitle); }

}  // namespace tarnwick::toolbar
