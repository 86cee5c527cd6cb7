// Integer texts and the registry reads of every value type and size. The input picks a value's
// type, name and bytes; the value goes into the emulated registry, and every reader of the
// settings layer reads it. Each must give what its rules give, or raise the message they name,
// and leave no key open.
//
// Input: [type] [name] [flags] data...
//   flags bit 0: no value at all; bit 1: the readers' default is 1, else 0;
//   bit 2: the data is repeated past 64 KiB.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "platform/emulated/EmulatedPlatform.h"
#include "settings/IntegerText.h"
#include "settings/RegAccessor.h"
#include "settings/RegistryError.h"
#include "settings/SettingsStore.h"

namespace {

using namespace tarnwick;
using namespace tarnwick::platform::os;
using platform::emulated::EmulatedPlatform;
using platform::emulated::EmulatedRegistry;

using fuzz::Check;
using fuzz::Fail;

// What a read gave: its result, or the message of the error it raised.
template <typename T>
struct Outcome {
  std::optional<T> value;
  std::string error;
  bool operator==(const Outcome&) const = default;
};
template <typename T, typename F>
Outcome<T> Read(F&& read) {
  try {
    return {read(), {}};
  } catch (const settings::ERegistryError& e) {
    return {std::nullopt, e.what()};
  }
}
template <typename T>
Outcome<T> Gives(T value) {
  return {value, {}};
}
template <typename T>
Outcome<T> Raises(const std::string& message) {
  return {std::nullopt, message};
}

// The integer rules written plainly: blanks, a sign, then decimal digits that fit a signed
// 32-bit integer, or hexadecimal ones after "$", "x" or "0x" that fit 32 bits.
std::optional<std::int32_t> ReferenceInteger(std::string_view text) {
  std::size_t i = text.find_first_not_of(" \t");
  if (i == std::string_view::npos) return std::nullopt;
  text.remove_prefix(i);
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  for (std::string_view prefix : {"0x", "0X", "$", "x", "X"}) {
    if (text.substr(0, prefix.size()) == prefix) {
      base = 16;
      text.remove_prefix(prefix.size());
      break;
    }
  }
  if (text.empty() || text[0] == '+' || text[0] == '-') return std::nullopt;
  std::uint64_t magnitude = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (base == 16) {
    if (magnitude > 0xFFFFFFFFull) return std::nullopt;
    const auto bits = static_cast<std::uint32_t>(magnitude);
    return static_cast<std::int32_t>(negative ? 0u - bits : bits);
  }
  const std::int64_t value = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
  if (magnitude > 0x80000000ull || value > INT32_MAX || value < INT32_MIN) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

DWORD PickType(std::uint8_t b) {
  static constexpr DWORD kTypes[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0xFFFFFFFF, 0x80000004};
  return kTypes[b % std::size(kTypes)];
}

const char* PickName(std::uint8_t b) {
  static constexpr const char* kNames[] = {"103", "Ypos", "", "i"};
  return kNames[b % std::size(kNames)];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size) {
  const std::string_view whole(reinterpret_cast<const char*>(input), size);
  Check(settings::ParseInteger(whole) == ReferenceInteger(whole), "ParseInteger");
  if (size < 3) return 0;

  const DWORD type = PickType(input[0]);
  const std::string name = PickName(input[1]);
  const bool absent = (input[2] & 1) != 0;
  const std::int32_t fallback = (input[2] & 2) != 0 ? 1 : 0;
  std::vector<BYTE> data(input + 3, input + size);
  if ((input[2] & 4) != 0 && !data.empty()) {
    const std::size_t block = data.size();
    data.resize(65537 + block);
    for (std::size_t i = block; i < data.size(); ++i) data[i] = data[i % block];
  }

  EmulatedPlatform os;
  EmulatedRegistry& reg = os.registry();
  const HKEY user = HkeyCurrentUser();
  if (!absent) reg.PutValue(user, settings::kSettingsKey, name, {type, data});
  const std::optional<EmulatedRegistry::Value> stored = reg.GetValue(user, settings::kSettingsKey, name);

  // What each reader must give, by the rules.
  const std::string text(data.begin(), std::find(data.begin(), data.end(), BYTE{0}));
  const bool isText = type == kRegSz || type == kRegExpandSz;
  Outcome<std::string> readText = Gives(std::string());
  if (!absent && !data.empty()) {
    readText = isText ? Gives(text) : Raises<std::string>(settings::ERegistryError::InvalidType(name).what());
  }
  Outcome<std::int32_t> readDword;
  if (absent || data.size() > 4) {
    readDword = Raises<std::int32_t>(settings::ERegistryError::GetFailed(name).what());
  } else if (type != kRegDword) {
    readDword = Raises<std::int32_t>(settings::ERegistryError::InvalidType(name).what());
  } else {
    std::uint32_t bits = 0;
    if (!data.empty()) std::memcpy(&bits, data.data(), data.size());
    readDword = Gives(static_cast<std::int32_t>(bits));
  }
  Outcome<std::int32_t> number = readDword;
  if (absent) number = Gives(fallback);
  if (!absent && type == kRegSz) number = Gives(ReferenceInteger(text).value_or(fallback));

  Check(Read<std::int32_t>([&] { return settings::ReadSettings(name, fallback); }) == number,
        "ReadSettings");
  Check(Read<bool>([&] {
          return settings::TSettingsReader(settings::kSettingsKey).ReadFlagOr(name, fallback == 1);
        }) == (number.value ? Gives(*number.value != 0) : Raises<bool>(number.error)),
        "ReadFlagOr");
  {
    settings::TRegKeyReader reader;
    Check(reader.OpenPath(settings::kSettingsKey, false), "OpenPath of the settings key");
    Check(reader.HasValue(name) == !absent, "HasValue");
    Check(Read<std::string>([&] { return reader.ReadText(name); }) == readText, "ReadText");
    Check(Read<std::int32_t>([&] { return reader.ReadDword(name); }) == readDword, "ReadDword");
    const auto textOr = Read<std::string>([&] {
      return reader.ReadTextOr(std::string("\\") + settings::kSettingsKey, name, "(default)");
    });
    Check(textOr == (absent ? Gives(std::string("(default)")) : readText), "ReadTextOr");
    Check(reader.ReadTextOr("Missing\\Key", name, "(default)") == "(default)",
          "ReadTextOr of a missing key");
    Check(!reg.KeyExists(user, std::string(settings::kSettingsKey) + "\\Missing"),
          "ReadTextOr created a key");
    Check(reader.HasOpenKey(), "a read closed the open key");
  }
  if (name == settings::kLaunchCounterName) {
    Check(Read<std::int32_t>([] { return settings::LaunchCount(); }) ==
              (absent ? Gives(std::int32_t{0}) : readDword),
          "LaunchCount");
  }
  Check(reg.GetValue(user, settings::kSettingsKey, name) == stored, "a read changed the value");
  Check(reg.OpenHandles() == 0, "a read left a key open");
  return 0;
}
