#include "settings/SettingsStore.h"

#include "settings/RegAccessor.h"
#include "settings/RegistryError.h"

namespace tarnwick::settings {

std::string SettingName(int tag) { return std::to_string(tag); }

std::int32_t ReadSettings(const std::string& name, std::int32_t defaultValue) {
  return ReadStoredSetting(name).value_or(defaultValue);
}

std::optional<std::int32_t> ReadStoredSetting(const std::string& name) {
  TSettingsReader reader(kSettingsKey);
  return reader.ReadNumber(name);
}

void SaveSettings(const std::string& name, std::int32_t value) {
  TRegAccessor accessor;
  // A setting that cannot be stored is lost at the next start while the window goes on showing
  // it: that is said, as a refused write is.
  if (!accessor.OpenPath(kSettingsKey, true)) throw ERegistryError::SetFailed(name);
  accessor.WriteDword(name, value);
}

std::int32_t LaunchCount() {
  TRegAccessor accessor;
  if (accessor.OpenPath(kSettingsKey, false) && accessor.HasValue(kLaunchCounterName)) {
    return accessor.ReadDword(kLaunchCounterName);
  }
  return 0;
}

void RecordLaunch() {
  bool counted = false;
  {
    TRegAccessor accessor;
    counted = accessor.OpenPath(kSettingsKey, false) && accessor.HasValue(kLaunchCounterName);
  }
  // The counter is a DWORD: past the largest value it wraps as the stored 32 bits do.
  const auto next = counted ? static_cast<std::int32_t>(static_cast<std::uint32_t>(LaunchCount()) + 1u) : 0;
  SaveSettings(kLaunchCounterName, next);
}

}  // namespace tarnwick::settings
