#include "platform/emulated/EmulatedRegistry.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sstream>

namespace tarnwick::platform::emulated {
namespace {

using namespace os;

constexpr std::size_t kMaxKeyNameLength = 256;
constexpr std::size_t kMaxAnsiPathLength = 260;
constexpr std::size_t kMaxValueNameLength = 16383;
// Rights that change a key or its values; a root refusing writes refuses each of them.
constexpr REGSAM kWriteRights =
    kKeySetValue | kKeyCreateSubKey | kKeyCreateLink | 0x00010000 /*DELETE*/ |
    0x00040000 /*WRITE_DAC*/ | 0x00080000 /*WRITE_OWNER*/;
constexpr REGSAM kGenericAll = 0x10000000;
constexpr REGSAM kGenericWrite = 0x40000000;
constexpr REGSAM kMaximumAllowed = 0x02000000;

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

bool WantsWrite(REGSAM desired) {
  return (desired & (kWriteRights | kGenericAll | kGenericWrite | kMaximumAllowed)) != 0;
}

// Splits a subkey path into its names as Wine's advapi32 does: the ANSI path may have at most
// 260 characters; empty names (doubled or trailing backslashes) are skipped, but a path may not
// begin with a backslash. A name over 256 characters is refused only when the walk reaches it,
// so it is kept in `names` and the caller checks each with NameTooLong.
LONG SplitPath(std::string_view path, std::vector<std::string_view>* names) {
  names->clear();
  if (path.size() > kMaxAnsiPathLength) return kErrorMoreData;
  if (!path.empty() && path.front() == '\\') return kErrorBadPathname;
  std::size_t start = 0;
  while (start < path.size()) {
    std::size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) names->push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return kErrorSuccess;
}

bool NameTooLong(std::string_view name) { return name.size() > kMaxKeyNameLength; }

// HKLM\Software's subkey that holds its 32-bit view.
constexpr const char* kWow64NodeName = "Wow6432Node";
constexpr std::string_view kWow64Node = "WOW6432NODE";

}  // namespace

EmulatedRegistry::EmulatedRegistry()
    : currentUser_(std::make_shared<Key>()), localMachine_(std::make_shared<Key>()) {
  currentUser_->name = "HKCU";
  currentUser_->denyWrites = &denyCurrentUser_;
  localMachine_->name = "HKLM";
  localMachine_->denyWrites = &denyLocalMachine_;
}

EmulatedRegistry::~EmulatedRegistry() = default;

std::shared_ptr<EmulatedRegistry::Key> EmulatedRegistry::RootOf(HKEY root) const {
  if (root == HkeyCurrentUser()) return currentUser_;
  if (root == HkeyLocalMachine()) return localMachine_;
  return nullptr;
}

std::optional<EmulatedRegistry::Handle> EmulatedRegistry::Find(HKEY key) const {
  if (auto root = RootOf(key)) return Handle{root, kKeyAllAccess};
  auto it = handles_.find(reinterpret_cast<std::uintptr_t>(key));
  if (it == handles_.end()) return std::nullopt;
  return it->second;
}

HKEY EmulatedRegistry::NewHandle(const std::shared_ptr<Key>& key, REGSAM access) {
  std::uintptr_t id = nextHandle_;
  nextHandle_ += 4;
  handles_[id] = Handle{key, access};
  return reinterpret_cast<HKEY>(id);
}

LONG EmulatedRegistry::Record(std::string_view function, const Key* key, const char* name,
                              LONG result) {
  std::string path;
  for (const Key* k = key; k != nullptr; k = k->parent) {
    path = path.empty() ? k->name : k->name + "\\" + path;
  }
  calls_.push_back(Call{std::string(function), path, name ? name : "", result});
  return result;
}

bool EmulatedRegistry::TakeFailure(std::string_view function, const char* name, LONG* error) {
  if (nthFailure_) {
    if (nthFailure_->first == 0) {
      *error = nthFailure_->second;
      nthFailure_.reset();
      return true;
    }
    --nthFailure_->first;
  }
  for (auto it = failures_.begin(); it != failures_.end(); ++it) {
    if (it->function != function) continue;
    if (!it->name.empty() && Upper(it->name) != Upper(name ? name : "")) continue;
    *error = it->error;
    if (--it->remaining <= 0) failures_.erase(it);
    return true;
  }
  return false;
}

void EmulatedRegistry::DenyWrites(HKEY root, bool deny) {
  if (root == HkeyCurrentUser()) denyCurrentUser_ = deny;
  if (root == HkeyLocalMachine()) denyLocalMachine_ = deny;
}

void EmulatedRegistry::FailCall(std::string function, LONG error, int times, std::string name) {
  failures_.push_back(Failure{std::move(function), std::move(name), error, times});
}

void EmulatedRegistry::FailNthCall(std::size_t index, LONG error) {
  nthFailure_ = std::make_pair(index, error);
}

std::size_t EmulatedRegistry::CallCount(std::string_view function) const {
  return static_cast<std::size_t>(std::count_if(
      calls_.begin(), calls_.end(), [&](const Call& c) { return c.function == function; }));
}

bool EmulatedRegistry::In32BitView(REGSAM desired) const {
  if (machine_ == Machine::Windows32 || (desired & kKeyWow6464Key) != 0) return false;
  return (desired & kKeyWow6432Key) != 0 || machine_ == Machine::Windows64Program32;
}

LONG EmulatedRegistry::Walk(std::shared_ptr<Key>& key, const std::vector<std::string_view>& names,
                            bool view32, bool create, bool mayCreate, bool* created) {
  const std::shared_ptr<Key> start = key;
  auto step = [&](std::string_view name) -> LONG {
    if (NameTooLong(name)) return kErrorInvalidParameter;
    auto it = key->subkeys.find(Upper(name));
    if (it != key->subkeys.end()) {
      key = it->second;
      return kErrorSuccess;
    }
    if (!create) return kErrorFileNotFound;
    if (*key->denyWrites || (key == start && !mayCreate)) return kErrorAccessDenied;
    auto child = std::make_shared<Key>();
    child->name = std::string(name);
    child->parent = key.get();
    child->denyWrites = key->denyWrites;
    key->subkeys[Upper(name)] = child;
    key = child;
    *created = true;
    return kErrorSuccess;
  };
  // The 32-bit view is entered where a path passes HKLM\Software, not named by the path itself.
  auto intoView = [&](std::size_t next) -> LONG {
    const bool atSoftware = key->parent == localMachine_.get() && Upper(key->name) == "SOFTWARE";
    if (!view32 || !atSoftware || (next < names.size() && Upper(names[next]) == kWow64Node)) {
      return kErrorSuccess;
    }
    return step(kWow64NodeName);
  };
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (LONG result = intoView(i); result != kErrorSuccess) return result;
    if (LONG result = step(names[i]); result != kErrorSuccess) return result;
  }
  return intoView(names.size());
}

LONG EmulatedRegistry::OpenOrCreate(std::string_view function, HKEY base, const char* subKey,
                                    REGSAM desired, bool create, HKEY* result,
                                    DWORD* disposition) {
  auto handle = Find(base);
  if (!handle) return Record(function, nullptr, subKey, kErrorInvalidHandle);
  const Key* baseKey = handle->key.get();
  if (result == nullptr) return Record(function, baseKey, subKey, kErrorInvalidParameter);
  LONG injected = 0;
  if (TakeFailure(function, subKey, &injected)) return Record(function, baseKey, subKey, injected);
  if (handle->key->deleted) return Record(function, baseKey, subKey, kErrorKeyDeleted);

  std::vector<std::string_view> names;
  LONG split = SplitPath(subKey ? subKey : "", &names);
  if (split != kErrorSuccess) return Record(function, baseKey, subKey, split);

  const bool denied = *handle->key->denyWrites;
  if (denied && WantsWrite(desired)) return Record(function, baseKey, subKey, kErrorAccessDenied);

  // Asked for itself, a predefined root hands back its own handle.
  if (names.empty() && RootOf(base)) {
    *result = base;
    if (disposition != nullptr) *disposition = kRegOpenedExistingKey;
    return Record(function, baseKey, subKey, kErrorSuccess);
  }
  std::shared_ptr<Key> key = handle->key;
  bool created = false;
  const bool mayCreate = !denied && (handle->access & kKeyCreateSubKey) != 0;
  if (LONG walked = Walk(key, names, In32BitView(desired), create, mayCreate, &created);
      walked != kErrorSuccess) {
    return Record(function, baseKey, subKey, walked);
  }
  *result = NewHandle(key, desired);
  if (disposition != nullptr) *disposition = created ? kRegCreatedNewKey : kRegOpenedExistingKey;
  return Record(function, baseKey, subKey, kErrorSuccess);
}

LONG EmulatedRegistry::RegOpenKeyExA(HKEY key, const char* subKey, DWORD, REGSAM desired,
                                     HKEY* result) {
  return OpenOrCreate("RegOpenKeyExA", key, subKey, desired, false, result, nullptr);
}

LONG EmulatedRegistry::RegCreateKeyExA(HKEY key, const char* subKey, DWORD, char*, DWORD,
                                       REGSAM desired, const void*, HKEY* result,
                                       DWORD* disposition) {
  return OpenOrCreate("RegCreateKeyExA", key, subKey, desired, true, result, disposition);
}

LONG EmulatedRegistry::RegCloseKey(HKEY key) {
  if (RootOf(key)) return Record("RegCloseKey", RootOf(key).get(), nullptr, kErrorSuccess);
  auto it = handles_.find(reinterpret_cast<std::uintptr_t>(key));
  if (it == handles_.end()) return Record("RegCloseKey", nullptr, nullptr, kErrorInvalidHandle);
  std::shared_ptr<Key> closed = it->second.key;
  handles_.erase(it);
  return Record("RegCloseKey", closed->deleted ? nullptr : closed.get(), nullptr, kErrorSuccess);
}

LONG EmulatedRegistry::RegSetValueExA(HKEY key, const char* valueName, DWORD, DWORD type,
                                      const BYTE* data, DWORD dataSize) {
  constexpr std::string_view kFn = "RegSetValueExA";
  auto handle = Find(key);
  if (!handle) return Record(kFn, nullptr, valueName, kErrorInvalidHandle);
  Key* k = handle->key.get();
  LONG injected = 0;
  if (TakeFailure(kFn, valueName, &injected)) return Record(kFn, k, valueName, injected);
  if (k->deleted) return Record(kFn, k, valueName, kErrorKeyDeleted);
  if (*k->denyWrites || (handle->access & kKeySetValue) == 0) {
    return Record(kFn, k, valueName, kErrorAccessDenied);
  }
  std::string name = valueName ? valueName : "";
  if (name.size() > kMaxValueNameLength) return Record(kFn, k, valueName, kErrorInvalidParameter);
  if (data == nullptr && dataSize != 0) return Record(kFn, k, valueName, kErrorInvalidParameter);
  Value value{type, data ? std::vector<BYTE>(data, data + dataSize) : std::vector<BYTE>{}};
  auto it = k->values.find(Upper(name));
  if (it != k->values.end()) {
    it->second.second = std::move(value);  // the name keeps the case it was created with
  } else {
    k->values[Upper(name)] = {name, std::move(value)};
  }
  return Record(kFn, k, valueName, kErrorSuccess);
}

LONG EmulatedRegistry::RegQueryValueExA(HKEY key, const char* valueName, DWORD*, DWORD* type,
                                        BYTE* data, DWORD* dataSize) {
  constexpr std::string_view kFn = "RegQueryValueExA";
  auto handle = Find(key);
  if (!handle) return Record(kFn, nullptr, valueName, kErrorInvalidHandle);
  Key* k = handle->key.get();
  LONG injected = 0;
  if (TakeFailure(kFn, valueName, &injected)) return Record(kFn, k, valueName, injected);
  if (k->deleted) return Record(kFn, k, valueName, kErrorKeyDeleted);
  if ((handle->access & kKeyQueryValue) == 0) return Record(kFn, k, valueName, kErrorAccessDenied);
  if (data != nullptr && dataSize == nullptr) {
    return Record(kFn, k, valueName, kErrorInvalidParameter);
  }
  auto it = k->values.find(Upper(valueName ? valueName : ""));
  if (it == k->values.end()) return Record(kFn, k, valueName, kErrorFileNotFound);
  const Value& value = it->second.second;
  const DWORD size = static_cast<DWORD>(value.data.size());
  if (type != nullptr) *type = value.type;
  if (data != nullptr && *dataSize < size) {
    *dataSize = size;
    return Record(kFn, k, valueName, kErrorMoreData);
  }
  if (data != nullptr && size != 0) std::memcpy(data, value.data.data(), size);
  if (dataSize != nullptr) *dataSize = size;
  return Record(kFn, k, valueName, kErrorSuccess);
}

LONG EmulatedRegistry::RegQueryInfoKeyA(HKEY key, char* className, DWORD* classLength, DWORD*,
                                        DWORD* subKeys, DWORD* maxSubKeyLength,
                                        DWORD* maxClassLength, DWORD* values,
                                        DWORD* maxValueNameLength, DWORD* maxValueLength,
                                        DWORD* securityDescriptorSize, void* lastWriteTime) {
  constexpr std::string_view kFn = "RegQueryInfoKeyA";
  auto handle = Find(key);
  if (!handle) return Record(kFn, nullptr, nullptr, kErrorInvalidHandle);
  Key* k = handle->key.get();
  LONG injected = 0;
  if (TakeFailure(kFn, nullptr, &injected)) return Record(kFn, k, nullptr, injected);
  if (k->deleted) return Record(kFn, k, nullptr, kErrorKeyDeleted);
  if ((handle->access & kKeyQueryValue) == 0) return Record(kFn, k, nullptr, kErrorAccessDenied);
  if (className != nullptr && classLength != nullptr && *classLength > 0) className[0] = '\0';
  if (classLength != nullptr) *classLength = 0;
  if (subKeys != nullptr) *subKeys = static_cast<DWORD>(k->subkeys.size());
  if (maxSubKeyLength != nullptr) {
    std::size_t longest = 0;
    for (const auto& [upper, child] : k->subkeys) longest = std::max(longest, child->name.size());
    *maxSubKeyLength = static_cast<DWORD>(longest);
  }
  if (maxClassLength != nullptr) *maxClassLength = 0;
  if (values != nullptr) *values = static_cast<DWORD>(k->values.size());
  std::size_t longestName = 0;
  std::size_t longestData = 0;
  for (const auto& [upper, entry] : k->values) {
    longestName = std::max(longestName, entry.first.size());
    longestData = std::max(longestData, entry.second.data.size());
  }
  if (maxValueNameLength != nullptr) *maxValueNameLength = static_cast<DWORD>(longestName);
  if (maxValueLength != nullptr) *maxValueLength = static_cast<DWORD>(longestData);
  if (securityDescriptorSize != nullptr) *securityDescriptorSize = 0;
  if (lastWriteTime != nullptr) std::memset(lastWriteTime, 0, 8);
  return Record(kFn, k, nullptr, kErrorSuccess);
}

LONG EmulatedRegistry::RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameLength,
                                     DWORD*, char* className, DWORD* classLength,
                                     void* lastWriteTime) {
  constexpr std::string_view kFn = "RegEnumKeyExA";
  auto handle = Find(key);
  if (!handle) return Record(kFn, nullptr, nullptr, kErrorInvalidHandle);
  Key* k = handle->key.get();
  LONG injected = 0;
  if (TakeFailure(kFn, nullptr, &injected)) return Record(kFn, k, nullptr, injected);
  if (k->deleted) return Record(kFn, k, nullptr, kErrorKeyDeleted);
  if ((handle->access & kKeyEnumerateSubKeys) == 0) {
    return Record(kFn, k, nullptr, kErrorAccessDenied);
  }
  if (name == nullptr || nameLength == nullptr) {
    return Record(kFn, k, nullptr, kErrorInvalidParameter);
  }
  if (index >= k->subkeys.size()) return Record(kFn, k, nullptr, kErrorNoMoreItems);
  auto it = k->subkeys.begin();
  std::advance(it, index);
  const std::string& found = it->second->name;
  if (found.size() >= *nameLength) return Record(kFn, k, found.c_str(), kErrorMoreData);
  std::memcpy(name, found.c_str(), found.size() + 1);
  *nameLength = static_cast<DWORD>(found.size());
  if (className != nullptr && classLength != nullptr && *classLength > 0) className[0] = '\0';
  if (classLength != nullptr) *classLength = 0;
  if (lastWriteTime != nullptr) std::memset(lastWriteTime, 0, 8);
  return Record(kFn, k, found.c_str(), kErrorSuccess);
}

LONG EmulatedRegistry::RegDeleteKeyA(HKEY key, const char* subKey) {
  return DeleteKey("RegDeleteKeyA", key, subKey, In32BitView(0));
}

LONG EmulatedRegistry::RegDeleteKeyExA(HKEY key, const char* subKey, REGSAM desired, DWORD) {
  return DeleteKey("RegDeleteKeyExA", key, subKey, In32BitView(desired));
}

LONG EmulatedRegistry::DeleteKey(std::string_view function, HKEY key, const char* subKey,
                                 bool view32) {
  auto handle = Find(key);
  if (!handle) return Record(function, nullptr, subKey, kErrorInvalidHandle);
  Key* base = handle->key.get();
  if (subKey == nullptr) return Record(function, base, subKey, kErrorInvalidParameter);
  LONG injected = 0;
  if (TakeFailure(function, subKey, &injected)) return Record(function, base, subKey, injected);
  if (base->deleted) return Record(function, base, subKey, kErrorKeyDeleted);
  std::vector<std::string_view> names;
  LONG split = SplitPath(subKey, &names);
  if (split != kErrorSuccess) return Record(function, base, subKey, split);
  std::shared_ptr<Key> target = handle->key;
  bool created = false;
  if (LONG walked = Walk(target, names, view32, false, false, &created); walked != kErrorSuccess) {
    return Record(function, base, subKey, walked);
  }
  // A predefined root cannot be deleted, and neither can a key that still has subkeys.
  if (target->parent == nullptr || *target->denyWrites || !target->subkeys.empty()) {
    return Record(function, base, subKey, kErrorAccessDenied);
  }
  target->deleted = true;
  target->parent->subkeys.erase(Upper(target->name));
  target->parent = nullptr;
  return Record(function, base, subKey, kErrorSuccess);
}

LONG EmulatedRegistry::RegDeleteValueA(HKEY key, const char* valueName) {
  constexpr std::string_view kFn = "RegDeleteValueA";
  auto handle = Find(key);
  if (!handle) return Record(kFn, nullptr, valueName, kErrorInvalidHandle);
  Key* k = handle->key.get();
  LONG injected = 0;
  if (TakeFailure(kFn, valueName, &injected)) return Record(kFn, k, valueName, injected);
  if (k->deleted) return Record(kFn, k, valueName, kErrorKeyDeleted);
  if (*k->denyWrites || (handle->access & kKeySetValue) == 0) {
    return Record(kFn, k, valueName, kErrorAccessDenied);
  }
  if (k->values.erase(Upper(valueName ? valueName : "")) == 0) {
    return Record(kFn, k, valueName, kErrorFileNotFound);
  }
  return Record(kFn, k, valueName, kErrorSuccess);
}

// --- Inspection and seeding ----------------------------------------------------------------

std::shared_ptr<EmulatedRegistry::Key> EmulatedRegistry::Lookup(HKEY root,
                                                                std::string_view path) const {
  std::shared_ptr<Key> key = RootOf(root);
  std::vector<std::string_view> names;
  if (!key || SplitPath(path, &names) != kErrorSuccess) return nullptr;
  for (std::string_view name : names) {
    auto it = key->subkeys.find(Upper(name));
    if (NameTooLong(name) || it == key->subkeys.end()) return nullptr;
    key = it->second;
  }
  return key;
}

bool EmulatedRegistry::KeyExists(HKEY root, std::string_view path) const {
  return Lookup(root, path) != nullptr;
}

std::optional<EmulatedRegistry::Value> EmulatedRegistry::GetValue(HKEY root,
                                                                  std::string_view path,
                                                                  std::string_view name) const {
  auto key = Lookup(root, path);
  if (!key) return std::nullopt;
  auto it = key->values.find(Upper(name));
  if (it == key->values.end()) return std::nullopt;
  return it->second.second;
}

void EmulatedRegistry::PutValue(HKEY root, std::string_view path, std::string_view name,
                                Value value) {
  std::shared_ptr<Key> key = RootOf(root);
  std::vector<std::string_view> names;
  if (!key || SplitPath(path, &names) != kErrorSuccess) return;
  for (std::string_view part : names) {
    auto& slot = key->subkeys[Upper(part)];
    if (!slot) {
      slot = std::make_shared<Key>();
      slot->name = std::string(part);
      slot->parent = key.get();
      slot->denyWrites = key->denyWrites;
    }
    key = slot;
  }
  auto it = key->values.find(Upper(name));
  if (it != key->values.end()) {
    it->second.second = std::move(value);
  } else {
    key->values[Upper(name)] = {std::string(name), std::move(value)};
  }
}

void EmulatedRegistry::PutString(HKEY root, std::string_view path, std::string_view name,
                                 std::string_view text) {
  PutValue(root, path, name, StringValue(text));
}

void EmulatedRegistry::PutDword(HKEY root, std::string_view path, std::string_view name,
                                DWORD value) {
  PutValue(root, path, name, DwordValue(value));
}

std::vector<std::string> EmulatedRegistry::SubkeyNames(HKEY root, std::string_view path) const {
  std::vector<std::string> out;
  if (auto key = Lookup(root, path)) {
    for (const auto& [upper, child] : key->subkeys) out.push_back(child->name);
  }
  return out;
}

std::string EmulatedRegistry::Dump(HKEY root) const {
  std::ostringstream out;
  auto dumpKey = [&](auto&& self, const Key& key, const std::string& path) -> void {
    out << '[' << path << "]\n";
    for (const auto& [upper, entry] : key.values) {
      const Value& v = entry.second;
      out << '"' << entry.first << "\"=";
      if ((v.type == kRegSz || v.type == kRegExpandSz) && !v.data.empty()) {
        out << (v.type == kRegSz ? "REG_SZ:\"" : "REG_EXPAND_SZ:\"")
            << std::string(v.data.begin(), std::find(v.data.begin(), v.data.end(), 0)) << '"';
      } else if (v.type == kRegDword && v.data.size() == 4) {
        DWORD d = 0;
        std::memcpy(&d, v.data.data(), 4);
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "0x%08x", d);
        out << "REG_DWORD:" << buffer;
      } else {
        out << "type" << v.type << ':';
        for (std::size_t i = 0; i < v.data.size(); ++i) {
          char buffer[4];
          std::snprintf(buffer, sizeof buffer, "%02x", v.data[i]);
          out << (i ? " " : "") << buffer;
        }
      }
      out << '\n';
    }
    for (const auto& [upper, child] : key.subkeys) self(self, *child, path + "\\" + child->name);
  };
  if (auto key = RootOf(root)) dumpKey(dumpKey, *key, key->name);
  return out.str();
}

std::ostream& operator<<(std::ostream& out, const EmulatedRegistry::Value& value) {
  out << "type " << value.type << " [";
  for (std::size_t i = 0; i < value.data.size(); ++i) {
    char buffer[4];
    std::snprintf(buffer, sizeof buffer, "%02x", value.data[i]);
    out << (i ? " " : "") << buffer;
  }
  return out << ']';
}

EmulatedRegistry::Value EmulatedRegistry::StringValue(std::string_view text, DWORD type) {
  Value v{type, std::vector<BYTE>(text.begin(), text.end())};
  v.data.push_back(0);
  return v;
}

EmulatedRegistry::Value EmulatedRegistry::DwordValue(DWORD value) {
  Value v{kRegDword, std::vector<BYTE>(4)};
  std::memcpy(v.data.data(), &value, 4);
  return v;
}

}  // namespace tarnwick::platform::emulated
