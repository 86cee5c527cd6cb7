// How the registry accessor resolves a path: a leading backslash takes it from the root, anything
// else from the open key (or the root when none is open); doubled and trailing backslashes and
// names of 255, 256 and 257 characters are passed on for the registry to judge. The input picks
// an operation and a path; the result is held against the rules and the tree it leaves.
//
// Input: [flags] path...
//   flags bit 0: create; bit 1: a key is open first; bit 2: the root is HKEY_LOCAL_MACHINE;
//   bits 3-4: 0 OpenPath, 1 EraseKeyTree, 2 ReadTextOr, 3 a settings reader on the path.
//   Path bytes: 0xFD, 0xFE and 0xFF stand for a name of 255, 256 and 257 characters; every other
//   byte for one character of a small alphabet that is mostly backslashes.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "platform/emulated/EmulatedPlatform.h"
#include "settings/RegAccessor.h"

namespace {

using namespace tarnwick;
using namespace tarnwick::platform::os;
using platform::emulated::EmulatedPlatform;
using platform::emulated::EmulatedRegistry;

using fuzz::Check;
using fuzz::Fail;

constexpr const char* kStartKey = "Software\\Start";  // the key open before, when one is
constexpr std::size_t kLongestName = 255;              // what every registry takes
constexpr std::size_t kLongestSubkeyPath = 260;        // what an ANSI call takes

std::string PathOf(const std::uint8_t* bytes, std::size_t size) {
  static constexpr char kAlphabet[] = "\\\\\\\\aAbn {}.-";
  std::string path;
  for (std::size_t i = 0; i < size; ++i) {
    if (bytes[i] >= 0xFD) {
      path.append(kLongestName + (bytes[i] - 0xFD), 'n');
    } else {
      path += kAlphabet[bytes[i] % (sizeof kAlphabet - 1)];
    }
  }
  return path;
}

std::vector<std::string> NamesOf(std::string_view path) {
  std::vector<std::string> names;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = std::min(path.find('\\', start), path.size());
    if (end > start) names.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(),
                    [&](char a, char b) { return lower(a) == lower(b); });
}

// The key at `names` below `root`, opened a name at a time, so that no limit on a whole path
// applies; null when a name is missing. The caller closes it.
HKEY Walk(EmulatedRegistry& reg, HKEY root, const std::vector<std::string>& names) {
  HKEY key = root;
  for (const std::string& name : names) {
    HKEY next = nullptr;
    const LONG result = reg.RegOpenKeyExA(key, name.c_str(), 0, kKeyRead, &next);
    if (key != root) reg.RegCloseKey(key);
    if (result != kErrorSuccess) return nullptr;
    key = next;
  }
  return key == root ? nullptr : key;
}

bool Exists(EmulatedRegistry& reg, HKEY root, const std::vector<std::string>& names) {
  HKEY key = Walk(reg, root, names);
  if (key != nullptr) reg.RegCloseKey(key);
  return key != nullptr || names.empty();
}

// The text of value `name` in the key at `names`, when there is one.
std::optional<std::string> TextAt(EmulatedRegistry& reg, HKEY root,
                                  const std::vector<std::string>& names, const char* name) {
  HKEY key = names.empty() ? root : Walk(reg, root, names);
  if (key == nullptr) return std::nullopt;
  char data[64] = {};
  DWORD size = sizeof data - 1;
  const LONG result = reg.RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
  if (key != root) reg.RegCloseKey(key);
  if (result != kErrorSuccess) return std::nullopt;
  return std::string(data);
}

std::string Join(std::string base, const std::vector<std::string>& names) {
  for (const std::string& name : names) base += (base.empty() ? "" : "\\") + name;
  return base;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size) {
  if (size < 1) return 0;
  const bool create = (input[0] & 1) != 0;
  const bool openFirst = (input[0] & 2) != 0;
  const HKEY root = (input[0] & 4) != 0 ? HkeyLocalMachine() : HkeyCurrentUser();
  const int operation = (input[0] >> 3) & 3;
  const std::string path = PathOf(input + 1, size - 1);

  EmulatedPlatform os;
  EmulatedRegistry& reg = os.registry();
  for (HKEY hive : {HkeyCurrentUser(), HkeyLocalMachine()}) {
    reg.PutString(hive, kStartKey, "m", "start");
    reg.PutString(hive, "Software\\Start\\a\\b", "m", "deep");
    reg.PutString(hive, "a\\b\\c", "m", "abc");
    reg.PutString(hive, std::string(kLongestName, 'n') + "\\a", "m", "long");
  }

  // What the path resolves to, by the rules.
  const bool absolute = !path.empty() && path.front() == '\\';
  const std::string rest = absolute ? path.substr(1) : path;
  const bool fromStart = openFirst && !absolute;
  const std::vector<std::string> names = NamesOf(rest);
  std::size_t longest = 0;
  for (const std::string& name : names) longest = std::max(longest, name.size());
  const bool refused = (!rest.empty() && rest.front() == '\\') || rest.size() > kLongestSubkeyPath ||
                       longest > kLongestName + 1;
  const bool accepted = !refused && longest <= kLongestName;
  std::vector<std::string> fullNames = fromStart ? std::vector<std::string>{"Software", "Start"}
                                                : std::vector<std::string>{};
  fullNames.insert(fullNames.end(), names.begin(), names.end());
  const std::string full = Join("", fullNames);
  const bool existed = Exists(reg, root, fullNames);
  const std::string before = reg.Dump(HkeyCurrentUser()) + reg.Dump(HkeyLocalMachine());
  const auto unchanged = [&] {
    return reg.Dump(HkeyCurrentUser()) + reg.Dump(HkeyLocalMachine()) == before;
  };

  {
    settings::TRegKeyReader accessor;
    accessor.SetRoot(root);
    if (openFirst) Check(accessor.OpenPath(std::string("\\") + kStartKey, false), "open the start key");
    switch (operation) {
      case 0: {
        const bool opened = accessor.OpenPath(path, create);
        if (rest.empty()) {
          Check(opened, "the empty remaining path opens its base");
        } else if (refused) {
          Check(!opened, "a refused path opened");
        } else if (accepted) {
          Check(opened == (create || existed), "OpenPath against the tree");
        }
        // A create that the registry refuses at a later name keeps the parents it made before
        // (the real one does so too); an open changes nothing.
        Check(opened || create || unchanged(), "a failed open changed the tree");
        if (opened) {
          accessor.WriteText("marker", "here");
          Check(TextAt(reg, root, fullNames, "marker") == "here",
                "the opened key is not the one the path names");
        } else {
          Check(accessor.HasOpenKey() == openFirst, "a failed open changed the open key");
          if (openFirst) {
            accessor.WriteText("marker", "kept");
            Check(reg.GetValue(root, kStartKey, "marker") == EmulatedRegistry::StringValue("kept"),
                  "after a failed open the key open before no longer takes the writes");
          }
        }
        break;
      }
      case 1: {
        const bool erased = accessor.EraseKeyTree(path);
        Check(accessor.HasOpenKey() == openFirst, "EraseKeyTree changed the open key");
        if (names.empty() && !fromStart) {
          Check(!erased && unchanged(), "a path naming the root erased something");
        } else if (erased) {
          Check(existed && !Exists(reg, root, fullNames), "EraseKeyTree said yes and the key stays");
          const std::string start = std::string(kStartKey) + "\\";
          const bool startInside = StartsWithNoCase(start, full + "\\");
          Check(startInside || reg.KeyExists(root, kStartKey), "EraseKeyTree erased beside its key");
        } else {
          Check(unchanged(), "an EraseKeyTree that said no changed the tree");
          Check(refused || !existed || !accepted, "an existing key was not erased");
        }
        break;
      }
      case 2: {
        const std::string text = accessor.ReadTextOr(path, "m", "(default)");
        const std::optional<std::string> value = TextAt(reg, root, fullNames, "m");
        if (accepted && value) {
          Check(text == *value, "ReadTextOr of an existing value");
        } else if (!value || refused) {
          Check(text == "(default)", "ReadTextOr without a value");
        }
        Check(unchanged(), "ReadTextOr changed the tree");
        Check(accessor.HasOpenKey() == openFirst, "ReadTextOr changed the open key");
        break;
      }
      default: {
        // A reader on any path reads its defaults at worst; it resolves against the root.
        settings::TSettingsReader reader(path);
        Check(reader.ReadNumberOr("absent", 7) == 7, "a settings reader's default");
        break;
      }
    }
  }
  Check(reg.OpenHandles() == 0, "a key was left open");
  return 0;
}
