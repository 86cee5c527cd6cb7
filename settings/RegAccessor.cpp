#include "settings/RegAccessor.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "settings/IntegerText.h"
#include "settings/RegistryError.h"

namespace tarnwick::settings {
namespace {

using namespace platform::os;
using platform::Reg;
using platform::RegKey;

RegKey OpenExisting(HKEY base, const std::string& path, REGSAM view = 0) {
  HKEY key = nullptr;
  if (Reg().RegOpenKeyExA(base, path.c_str(), 0, kKeyAllAccess | view, &key) != kErrorSuccess) {
    return {};
  }
  return RegKey(key);
}

void SetValue(HKEY key, const std::string& name, DWORD type, const BYTE* data, DWORD size) {
  if (key == nullptr || Reg().RegSetValueExA(key, name.c_str(), 0, type, data, size) != kErrorSuccess) {
    throw ERegistryError::SetFailed(name);
  }
}

// Erases `path` below `base` depth first; the subkeys go from the last index down so the
// indexes still to visit stay valid. The answer is the deletion's of the key itself.
LONG EraseTree(HKEY base, const std::string& path, REGSAM view) {
  if (RegKey key = OpenExisting(base, path, view)) {
    DWORD subKeys = 0;
    DWORD longest = 0;
    if (Reg().RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, &subKeys, &longest, nullptr,
                               nullptr, nullptr, nullptr, nullptr, nullptr) != kErrorSuccess) {
      subKeys = 0;
    }
    std::vector<char> name(static_cast<std::size_t>(longest) + 1);
    for (DWORD index = subKeys; index-- > 0;) {
      DWORD length = static_cast<DWORD>(name.size());
      if (Reg().RegEnumKeyExA(key.Get(), index, name.data(), &length, nullptr, nullptr, nullptr,
                              nullptr) == kErrorSuccess) {
        EraseTree(key.Get(), std::string(name.data(), length), view);
      }
    }
  }
  return view == 0 ? Reg().RegDeleteKeyA(base, path.c_str())
                   : Reg().RegDeleteKeyExA(base, path.c_str(), view, 0);
}

// A query that failed for another reason than the value's absence is no answer: taking it as
// "absent" would give a default, or an empty text, for a value that is there.
bool Present(LONG queryResult, const std::string& name) {
  if (queryResult == kErrorSuccess) return true;
  if (queryResult == kErrorFileNotFound) return false;
  throw ERegistryError::GetFailed(name);
}

}  // namespace

std::vector<REGSAM> MachineViews() {
  if (platform::Sys().GetNativeProcessorArchitecture() == kProcessorArchitectureIntel) return {0};
  return {kKeyWow6464Key, kKeyWow6432Key};
}

TRegAccessor::TRegAccessor() : root_(HkeyCurrentUser()) {}

void TRegAccessor::SetRoot(HKEY root) {
  if (root == root_) return;
  ClosePath();
  root_ = root;
}

void TRegAccessor::SetView(REGSAM view) {
  if (view == view_) return;
  ClosePath();
  view_ = view;
}

std::pair<HKEY, std::string> TRegAccessor::Resolve(const std::string& path) const {
  if (!path.empty() && path.front() == '\\') return {root_, path.substr(1)};
  return {openKey_ ? openKey_.Get() : root_, path};
}

bool TRegAccessor::OpenPath(const std::string& path, bool create, bool* missing) {
  return Open(path, create, kKeyAllAccess, missing);
}

bool TRegAccessor::OpenPathToRead(const std::string& path, bool* missing) {
  return Open(path, false, kKeyRead, missing);
}

bool TRegAccessor::Open(const std::string& path, bool create, REGSAM access, bool* missing) {
  auto [base, rest] = Resolve(path);
  HKEY key = nullptr;
  LONG result = 0;
  if (create && !rest.empty()) {
    result = Reg().RegCreateKeyExA(base, rest.c_str(), 0, nullptr, kRegOptionNonVolatile,
                                   access | view_, nullptr, &key, nullptr);
  } else {
    result = Reg().RegOpenKeyExA(base, rest.c_str(), 0, access | view_, &key);
  }
  if (missing != nullptr) *missing = result == kErrorFileNotFound;
  if (result != kErrorSuccess) return false;
  openKey_ = RegKey(key);  // closes the key open before
  return true;
}

void TRegAccessor::WriteText(const std::string& name, const std::string& text) {
  SetValue(OpenKey(), name, kRegSz, reinterpret_cast<const BYTE*>(text.c_str()),
           static_cast<DWORD>(text.size() + 1));
}

void TRegAccessor::WriteDword(const std::string& name, std::int32_t value) {
  BYTE data[4];
  std::memcpy(data, &value, sizeof data);
  SetValue(OpenKey(), name, kRegDword, data, sizeof data);
}

void TRegAccessor::WriteFlag(const std::string& name, bool value) { WriteDword(name, value ? 1 : 0); }

std::string TRegAccessor::ReadText(const std::string& name) { return ReadTextFrom(OpenKey(), name); }

std::int32_t TRegAccessor::ReadDword(const std::string& name) {
  return ReadDwordFrom(OpenKey(), name);
}

bool TRegAccessor::HasValue(const std::string& name) { return HasValueIn(OpenKey(), name); }

bool TRegAccessor::EraseValue(const std::string& name) {
  return OpenKey() != nullptr && Reg().RegDeleteValueA(OpenKey(), name.c_str()) == kErrorSuccess;
}

bool TRegAccessor::EraseKeyTree(const std::string& path, bool* missing) {
  if (missing != nullptr) *missing = false;
  auto [base, rest] = Resolve(path);
  // A path that names no key below the root ("\\", or "" with none open) would empty the whole
  // hive and then fail to delete the root itself; it erases nothing.
  if (base == root_ && rest.find_first_not_of('\\') == std::string::npos) return false;
  const LONG result = EraseTree(base, rest, view_);
  if (missing != nullptr) *missing = result == kErrorFileNotFound;
  return result == kErrorSuccess;
}

std::string TRegAccessor::ReadTextFrom(HKEY key, const std::string& name) {
  if (key == nullptr) return {};
  DWORD type = 0;
  DWORD size = 0;
  if (!Present(Reg().RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size), name) ||
      size == 0) {
    return {};
  }
  // The type is known before the data is read, so a large value of the wrong type is never read.
  if (type != kRegSz && type != kRegExpandSz) throw ERegistryError::InvalidType(name);
  std::vector<BYTE> data;
  LONG result = kErrorMoreData;
  // The value may grow between the two queries; a few retries follow it, then it counts as failed.
  for (int attempt = 0; attempt < 4 && result == kErrorMoreData; ++attempt) {
    data.resize(size);
    result = Reg().RegQueryValueExA(key, name.c_str(), nullptr, &type, data.data(), &size);
  }
  if (result != kErrorSuccess) throw ERegistryError::GetFailed(name);
  if (type != kRegSz && type != kRegExpandSz) throw ERegistryError::InvalidType(name);
  data.resize(std::min<std::size_t>(size, data.size()));
  auto end = std::find(data.begin(), data.end(), BYTE{0});
  return std::string(data.begin(), end);
}

std::int32_t TRegAccessor::ReadDwordFrom(HKEY key, const std::string& name) {
  BYTE data[4] = {0, 0, 0, 0};
  DWORD size = sizeof data;
  DWORD type = 0;
  if (key == nullptr ||
      Reg().RegQueryValueExA(key, name.c_str(), nullptr, &type, data, &size) != kErrorSuccess) {
    throw ERegistryError::GetFailed(name);
  }
  if (type != kRegDword) throw ERegistryError::InvalidType(name);
  std::int32_t value = 0;
  std::memcpy(&value, data, sizeof value);
  return value;
}

bool TRegAccessor::HasValueIn(HKEY key, const std::string& name) {
  return key != nullptr && Present(Reg().RegQueryValueExA(key, name.c_str(), nullptr, nullptr,
                                                         nullptr, nullptr),
                                   name);
}

std::string TRegKeyReader::ReadTextOr(const std::string& path, const std::string& name,
                                      const std::string& defaultText) {
  auto [base, rest] = Resolve(path);
  RegKey key = OpenExisting(base, rest, View());
  if (!key || !HasValueIn(key.Get(), name)) return defaultText;
  return ReadTextFrom(key.Get(), name);
}

TSettingsReader::TSettingsReader(const std::string& path) { reader_.OpenPath(path, true); }

std::int32_t TSettingsReader::ReadNumberOr(const std::string& name, std::int32_t defaultValue) {
  return ReadNumber(name).value_or(defaultValue);
}

std::optional<std::int32_t> TSettingsReader::ReadNumber(const std::string& name) {
  auto [base, rest] = reader_.Resolve("");
  RegKey key = OpenExisting(base, rest);
  if (!key) return std::nullopt;
  DWORD type = 0;
  if (!Present(Reg().RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, nullptr, nullptr),
               name)) {
    return std::nullopt;
  }
  if (type == kRegSz) return ParseInteger(TRegAccessor::ReadTextFrom(key.Get(), name));
  return TRegAccessor::ReadDwordFrom(key.Get(), name);
}

bool TSettingsReader::ReadFlagOr(const std::string& name, bool defaultValue) {
  return ReadNumberOr(name, defaultValue ? 1 : 0) != 0;
}

}  // namespace tarnwick::settings
