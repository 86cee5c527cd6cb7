#include "settings/Policies.h"

#include <cstring>
#include <optional>

#include "platform/Owners.h"
#include "platform/Platform.h"
#include "settings/RegAccessor.h"
#include "settings/SettingsStore.h"

namespace tarnwick::settings {
namespace {

using namespace platform::os;
using platform::Reg;
using platform::RegKey;

struct PolicyKey {
  std::size_t index;  // among the four, for PolicyKeys
  bool computers;     // under HKEY_LOCAL_MACHINE, else HKEY_CURRENT_USER
  bool recommended;
  Origin origin;      // what a value there decides
  const char* where;  // as the log names it
};
constexpr PolicyKey kLocking[] = {{0, true, false, Origin::ComputerPolicy, "computer"},
                                  {1, false, false, Origin::UserPolicy, "user"}};
constexpr PolicyKey kRecommending[] = {
    {2, true, true, Origin::Recommended, "computer, recommended"},
    {3, false, true, Origin::Recommended, "user, recommended"}};

PolicyKeys*& Innermost() {
  static PolicyKeys* innermost = nullptr;
  return innermost;
}

// A policy key opened to read, or none when it is not there or cannot be read. Group Policy
// writes the computer's policies once, in the 64-bit view of 64-bit Windows, where a 32-bit
// program must look for them too.
RegKey OpenPolicyKey(bool computers, bool recommended) {
  std::string path = kPoliciesKey;
  if (recommended) path = path + "\\" + kRecommendedSubkey;
  const REGSAM view = computers ? MachineViews().front() : 0;
  HKEY key = nullptr;
  if (Reg().RegOpenKeyExA(computers ? HkeyLocalMachine() : HkeyCurrentUser(), path.c_str(), 0,
                          kKeyRead | view, &key) != kErrorSuccess) {
    return {};
  }
  return RegKey(key);
}

// The key to read `policyKey`'s values from: the step's, or one of the caller's own, opened into
// `own`. Null when it is not there or cannot be read.
HKEY KeyOf(const PolicyKey& policyKey, RegKey& own) {
  const auto open = [&] { return OpenPolicyKey(policyKey.computers, policyKey.recommended); };
  if (PolicyKeys* step = PolicyKeys::Current()) return step->Get(policyKey.index, open);
  own = open();
  return own.Get();
}

// A policy value: set, or not there, or there and passed over, with why.
struct PolicyValue {
  std::optional<std::int32_t> value;
  std::string passedOver;
};

PolicyValue ReadPolicyValue(HKEY key, const char* name) {
  if (key == nullptr) return {};
  DWORD type = 0;
  BYTE data[4] = {};
  DWORD size = sizeof data;
  const LONG result = Reg().RegQueryValueExA(key, name, nullptr, &type, data, &size);
  if (result == kErrorFileNotFound) return {};
  if (result == kErrorMoreData || (result == kErrorSuccess && (type != kRegDword || size != 4))) {
    return {std::nullopt, "not a DWORD"};
  }
  if (result != kErrorSuccess) return {std::nullopt, "cannot be read"};
  std::int32_t value = 0;
  std::memcpy(&value, data, sizeof value);
  if (value < kLowestPolicyValue || value > kHighestPolicyValue) {
    return {std::nullopt, std::to_string(static_cast<DWORD>(value)) + " is neither 0 nor 1"};
  }
  return {value, {}};
}

// The first valid value of `setting` in `keys`, the computer's first.
template <std::size_t N>
std::optional<Decision> FirstSet(const PolicyKey (&keys)[N], const Setting& setting) {
  for (const PolicyKey& policyKey : keys) {
    RegKey own;
    const PolicyValue read = ReadPolicyValue(KeyOf(policyKey, own), setting.policy);
    if (read.value) return Decision{*read.value, policyKey.origin};
  }
  return std::nullopt;
}

const char* Word(const Setting& setting, std::int32_t value) {
  if (setting.kind == SettingKind::Content) return value == 0 ? "allowed" : "banned";
  return value == 0 ? "off" : "on";
}

std::string Joined(const std::vector<std::string>& parts) {
  std::string line;
  for (const std::string& part : parts) line += (line.empty() ? "" : ", ") + part;
  return line;
}

}  // namespace

Decision Decide(const Setting& setting) {
  if (std::optional<Decision> locked = FirstSet(kLocking, setting)) return *locked;
  if (!setting.Stored()) return {setting.byDefault, Origin::Default};
  if (std::optional<std::int32_t> stored = ReadStoredSetting(setting.Name())) {
    return {*stored, Origin::Stored};
  }
  if (std::optional<Decision> recommended = FirstSet(kRecommending, setting)) return *recommended;
  return {setting.byDefault, Origin::Default};
}

PolicyReport ReadPolicyReport() {
  PolicyReport report;
  std::vector<std::optional<std::int32_t>> locked(kManagedSettings.size());
  auto read = [&](const PolicyKey& policyKey) {
    RegKey own;
    const HKEY key = KeyOf(policyKey, own);
    if (key == nullptr) return;
    for (std::size_t i = 0; i < kManagedSettings.size(); ++i) {
      const Setting& setting = *kManagedSettings[i];
      if (policyKey.recommended && !setting.Recommendable()) continue;
      const PolicyValue value = ReadPolicyValue(key, setting.policy);
      if (!value.passedOver.empty()) {
        report.passedOver.push_back(std::string(setting.policy) + " (" + policyKey.where + ", " +
                                    value.passedOver + ")");
      }
      if (value.value && !policyKey.recommended && !locked[i]) locked[i] = value.value;
    }
  };
  for (const PolicyKey& key : kLocking) read(key);
  for (const PolicyKey& key : kRecommending) read(key);
  for (std::size_t i = 0; i < kManagedSettings.size(); ++i) {
    if (locked[i]) report.locked.emplace_back(kManagedSettings[i], *locked[i]);
  }
  return report;
}

PolicyKeys::PolicyKeys() : outer_(Innermost()) { Innermost() = this; }

PolicyKeys::~PolicyKeys() { Innermost() = outer_; }

PolicyKeys* PolicyKeys::Current() { return Innermost(); }

std::string PolicyReport::LockedLine() const {
  std::vector<std::string> parts;
  for (const auto& [setting, value] : locked) {
    parts.push_back(std::string(setting->policy) + " " + Word(*setting, value));
  }
  return parts.empty() ? std::string() : "Set by your administrator: " + Joined(parts);
}

std::string PolicyReport::PassedOverLine() const {
  return passedOver.empty() ? std::string() : "Policy values passed over: " + Joined(passedOver);
}

}  // namespace tarnwick::settings
