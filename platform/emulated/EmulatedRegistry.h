#pragma once
// An in-memory registry that answers like advapi32: HKCU and HKLM trees with typed values, key
// names that compare without regard to case and keep the case they were created with, handles
// that outlive deleted keys, and the two views of HKLM\Software on 64-bit Windows. Tests can
// refuse writes under a root, make calls fail, and read the whole tree back.
#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Registry.h"

namespace tarnwick::platform::emulated {

class EmulatedRegistry final : public Registry {
 public:
  struct Value {
    DWORD type = os::kRegNone;
    std::vector<BYTE> data;
    bool operator==(const Value&) const = default;
    // Type and data as text, for test messages.
    friend std::ostream& operator<<(std::ostream& out, const Value& value);
  };

  // One call as it reached the registry: the function, the full path of the key it acted on
  // (root included, e.g. "HKCU\Software\X"), the subkey or value name it named, and its result.
  struct Call {
    std::string function;
    std::string key;
    std::string name;
    LONG result = 0;
  };

  // Which Windows, and which program on it. On 64-bit Windows, HKLM\Software has a 32-bit view,
  // its subkey Wow6432Node: a 32-bit program's opens and deletions land there unless they ask
  // for kKeyWow6464Key, and a 64-bit program's when they ask for kKeyWow6432Key. 32-bit Windows
  // has one view and ignores both flags. HKCU is one view everywhere.
  enum class Machine { Windows64, Windows64Program32, Windows32 };

  EmulatedRegistry();
  ~EmulatedRegistry() override;
  EmulatedRegistry(const EmulatedRegistry&) = delete;
  EmulatedRegistry& operator=(const EmulatedRegistry&) = delete;

  LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, REGSAM desired,
                     HKEY* result) override;
  LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD reserved, char* className,
                       DWORD options, REGSAM desired, const void* security, HKEY* result,
                       DWORD* disposition) override;
  LONG RegCloseKey(HKEY key) override;
  LONG RegSetValueExA(HKEY key, const char* valueName, DWORD reserved, DWORD type,
                      const BYTE* data, DWORD dataSize) override;
  LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                        DWORD* dataSize) override;
  LONG RegQueryInfoKeyA(HKEY key, char* className, DWORD* classLength, DWORD* reserved,
                        DWORD* subKeys, DWORD* maxSubKeyLength, DWORD* maxClassLength,
                        DWORD* values, DWORD* maxValueNameLength, DWORD* maxValueLength,
                        DWORD* securityDescriptorSize, void* lastWriteTime) override;
  LONG RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameLength, DWORD* reserved,
                     char* className, DWORD* classLength, void* lastWriteTime) override;
  LONG RegDeleteKeyA(HKEY key, const char* subKey) override;
  LONG RegDeleteKeyExA(HKEY key, const char* subKey, REGSAM desired, DWORD reserved) override;
  LONG RegDeleteValueA(HKEY key, const char* valueName) override;

  // --- Test controls -------------------------------------------------------------------------

  // A 64-bit program on 64-bit Windows unless a test says otherwise; EmulatedPlatform::SetMachine
  // sets the system's answer to match.
  void SetMachine(Machine machine) { machine_ = machine; }
  Machine GetMachine() const { return machine_; }

  // Under `root`, keys open for reading only: an open or create that asks for write access, and
  // every write, is refused with kErrorAccessDenied. This is how HKLM looks to a plain user.
  void DenyWrites(HKEY root, bool deny = true);

  // The next `times` calls of `function` (e.g. "RegSetValueExA") fail with `error` and change
  // nothing. With `name`, only calls naming that subkey or value (compared without case) count.
  void FailCall(std::string function, LONG error, int times = 1, std::string name = {});
  // Of the calls from now on that can fail (every function but RegCloseKey, on a known handle),
  // the one at `index` (0 is the next) fails with `error` and changes nothing. A fault test
  // records a clean run, then fails each of its calls in turn.
  void FailNthCall(std::size_t index, LONG error);

  const std::vector<Call>& Calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }
  // How many calls of `function` were made since the last ClearCalls.
  std::size_t CallCount(std::string_view function) const;

  // --- Inspection and seeding, by path from a root ("Software\X", no leading backslash) -----

  bool KeyExists(HKEY root, std::string_view path) const;
  std::optional<Value> GetValue(HKEY root, std::string_view path, std::string_view name) const;
  // Creates missing keys on the way; ignores DenyWrites and FailCall.
  void PutValue(HKEY root, std::string_view path, std::string_view name, Value value);
  void PutString(HKEY root, std::string_view path, std::string_view name, std::string_view text);
  void PutDword(HKEY root, std::string_view path, std::string_view name, DWORD value);
  // The names of the subkeys of a key as stored, in enumeration order.
  std::vector<std::string> SubkeyNames(HKEY root, std::string_view path) const;
  // The whole tree under `root` as text, one line per key and value, sorted.
  std::string Dump(HKEY root) const;
  std::size_t OpenHandles() const { return handles_.size(); }

  static Value StringValue(std::string_view text, DWORD type = os::kRegSz);
  static Value DwordValue(DWORD value);

 private:
  struct Key {
    std::string name;                     // as created
    Key* parent = nullptr;                // null for a root
    bool deleted = false;
    bool* denyWrites = nullptr;           // the root's switch
    std::map<std::string, std::shared_ptr<Key>> subkeys;  // by upper-case name
    std::map<std::string, std::pair<std::string, Value>> values;  // upper-case name -> (name, value)
  };
  struct Handle {
    std::shared_ptr<Key> key;
    REGSAM access = 0;
  };
  struct Failure {
    std::string function;
    std::string name;
    LONG error;
    int remaining;
  };

  std::shared_ptr<Key> RootOf(HKEY root) const;
  // The key and rights behind a handle, predefined roots included; null for unknown handles.
  std::optional<Handle> Find(HKEY key) const;
  LONG Record(std::string_view function, const Key* key, const char* name, LONG result);
  bool TakeFailure(std::string_view function, const char* name, LONG* error);
  HKEY NewHandle(const std::shared_ptr<Key>& key, REGSAM access);
  // Whether an access with `desired` reaches HKLM\Software's 32-bit view on this machine.
  bool In32BitView(REGSAM desired) const;
  // Walks `names` down from `key`, stepping from HKLM\Software into its 32-bit view when
  // `view32` (unless the path names that view itself). With `create` it makes missing keys, and
  // sets `created`; `mayCreate` is whether `key` itself may get new subkeys.
  LONG Walk(std::shared_ptr<Key>& key, const std::vector<std::string_view>& names, bool view32,
            bool create, bool mayCreate, bool* created);
  LONG DeleteKey(std::string_view function, HKEY base, const char* subKey, bool view32);
  // Opens (and with `create`, creates) `subKey` below `base` as the two advapi32 calls do.
  LONG OpenOrCreate(std::string_view function, HKEY base, const char* subKey, REGSAM desired,
                    bool create, HKEY* result, DWORD* disposition);
  std::shared_ptr<Key> Lookup(HKEY root, std::string_view path) const;

  Machine machine_ = Machine::Windows64;
  bool denyCurrentUser_ = false;
  bool denyLocalMachine_ = false;
  std::shared_ptr<Key> currentUser_;
  std::shared_ptr<Key> localMachine_;
  std::map<std::uintptr_t, Handle> handles_;
  std::uintptr_t nextHandle_ = 0x1000;
  std::vector<Failure> failures_;
  std::optional<std::pair<std::size_t, LONG>> nthFailure_;  // calls still to pass, error
  std::vector<Call> calls_;
};

}  // namespace tarnwick::platform::emulated
