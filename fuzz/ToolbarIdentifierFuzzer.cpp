// The toolbar button's identifier check: whatever text the button list holds for the program's
// title, removing the button erases the extension key of that name only when the text is a
// well-formed GUID, and nothing else but the list entry. Identifiers the program makes always
// pass the check.
//
// Input: [type] text... The text is stored under the program's title in the button list as a
// string (type 0), an expandable string (1), binary data (2), or not at all (3).
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "platform/emulated/EmulatedPlatform.h"
#include "settings/RegistryError.h"
#include "tests/support/BrowserSwitches.h"
#include "toolbar/ToolbarButtons.h"

namespace {

using namespace tarnwick;
using namespace tarnwick::platform::os;
using platform::emulated::EmulatedPlatform;
using platform::emulated::EmulatedRegistry;

using fuzz::Check;
using fuzz::Fail;

constexpr const char* kTitle = "Tarnwick v1.0b Personal";
constexpr const char* kList = test::kButtonListKey;
constexpr const char* kExtensions = test::kExtensionsKey;
// The buttons already there: the program's own, another program's, and a key that is no button.
constexpr const char* kOwnId = "{0E1F2A3B-4C5D-6E7F-8091-A2B3C4D5E6F7}";
constexpr const char* kOtherId = "{FFFFFFFF-0000-1111-2222-333344445555}";

// A GUID in braces, 8-4-4-4-12 hexadecimal digits of either case.
bool ReferenceIsGuid(std::string_view text) {
  if (text.size() != 38 || text.front() != '{' || text.back() != '}') return false;
  for (std::size_t i = 1; i < 37; ++i) {
    const bool hyphen = i == 9 || i == 14 || i == 19 || i == 24;
    if (hyphen != (text[i] == '-')) return false;
    if (!hyphen && !std::isxdigit(static_cast<unsigned char>(text[i]))) return false;
  }
  return true;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// The HKLM dump without the keys at and below `erased`, when not empty.
std::string Without(const std::string& dump, const std::string& erased) {
  if (erased.empty()) return dump;
  const std::string erasedHeader = Upper("[HKLM\\" + std::string(kExtensions) + "\\" + erased);
  std::istringstream lines(dump);
  std::string out;
  std::string line;
  bool skipping = false;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.front() == '[') {
      const std::string header = Upper(line);
      skipping = header.compare(0, erasedHeader.size(), erasedHeader) == 0 &&
                 (header[erasedHeader.size()] == ']' || header[erasedHeader.size()] == '\\');
    }
    if (!skipping) out += line + "\n";
  }
  return out;
}

void CheckFormattedIdentifiers(const std::uint8_t* input, std::size_t size) {
  os::GUID guid{};
  std::memcpy(&guid, input, std::min(size, sizeof guid));
  const std::string text = toolbar::FormatGuid(guid);
  Check(ReferenceIsGuid(text) && toolbar::IsGuidText(text), "a made identifier fails the check");
  Check(text == Upper(text), "a made identifier is not upper case");
  char expected[39];
  std::snprintf(expected, sizeof expected, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                guid.Data1, guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2],
                guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
  Check(text == expected, "a made identifier does not spell its GUID");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size) {
  if (size < 1) return 0;
  CheckFormattedIdentifiers(input + 1, size - 1);
  const int type = input[0] % 4;
  const std::string text(reinterpret_cast<const char*>(input + 1), size - 1);
  Check(toolbar::IsGuidText(text) == ReferenceIsGuid(text), "IsGuidText");

  EmulatedPlatform os;
  EmulatedRegistry& reg = os.registry();
  const HKEY machine = HkeyLocalMachine();
  for (const char* id : {kOwnId, kOtherId}) {
    reg.PutString(machine, std::string(kExtensions) + "\\" + id, "ButtonText", id);
    reg.PutString(machine, std::string(kExtensions) + "\\" + id + "\\Sub", "m", id);
  }
  reg.PutString(machine, std::string(kExtensions) + "\\NotAButton", "m", "keep");
  reg.PutString(machine, test::kMainKey, "m", "keep");
  reg.PutString(machine, kList, "Other", kOtherId);
  const DWORD types[] = {kRegSz, kRegExpandSz, kRegBinary};
  EmulatedRegistry::Value entry{types[type % 3], std::vector<BYTE>(text.begin(), text.end())};
  if (type < 2) entry.data.push_back(0);
  if (type < 3) reg.PutValue(machine, kList, kTitle, entry);
  const std::string before = reg.Dump(machine);

  // What the list entry reads as, by the rules: text up to its first zero; another type of
  // non-empty data raises.
  const bool raises = type == 2 && !text.empty();
  const std::string read = type < 2 ? std::string(text.c_str()) : std::string();
  std::string message;
  try {
    Check(toolbar::RemoveToolbarButton(kTitle), "RemoveToolbarButton said false");
  } catch (const settings::ERegistryError& e) {
    message = e.what();
  }
  if (raises) {
    Check(message == std::string("Invalid data type for '") + kTitle + "'", "the wrong error");
    Check(reg.Dump(machine) == before, "a list entry that is not text changed the tree");
  } else {
    Check(message.empty(), "an error for a text entry");
    const bool listed = read.size() == 38;
    const std::string erased = listed && ReferenceIsGuid(read) ? read : std::string();
    const auto left = reg.GetValue(machine, kList, kTitle);
    Check(listed ? !left.has_value() : left.has_value() == (type < 3),
          "the list entry is gone exactly when it named 38 characters");
    // With the entry put back, only the erased key may be missing.
    if (listed) reg.PutValue(machine, kList, kTitle, entry);
    Check(reg.Dump(machine) == Without(before, erased),
          "removing the button changed more than its key and its entry");
  }
  Check(reg.OpenHandles() == 0, "a key was left open");
  return 0;
}
