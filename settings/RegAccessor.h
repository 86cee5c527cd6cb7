#pragma once
// Registry accessors: one root key and at most one open key, used inside one handler and gone
// when it returns. Paths that begin with "\" are taken from the root; others from the open key,
// or from the root when none is open.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Owners.h"

namespace tarnwick::settings {

using platform::HKEY;
using platform::REGSAM;

// The views of HKEY_LOCAL_MACHINE\Software that the browser reads: on 64-bit Windows the 64-bit
// one, then the 32-bit one (Wow6432Node), whatever this program's width; on 32-bit Windows its
// only one (no view flag). Whatever is written or erased there for the browser goes to each. The
// first is where the program keeps its own machine-wide records, so that builds of both widths
// find them.
std::vector<REGSAM> MachineViews();

class TRegAccessor {
 public:
  TRegAccessor();
  ~TRegAccessor() = default;
  TRegAccessor(const TRegAccessor&) = delete;
  TRegAccessor& operator=(const TRegAccessor&) = delete;

  HKEY Root() const { return root_; }
  // A different root closes the open key; the same root changes nothing.
  void SetRoot(HKEY root);
  bool HasOpenKey() const { return static_cast<bool>(openKey_); }
  REGSAM View() const { return view_; }
  // The registry view (kKeyWow6464Key, kKeyWow6432Key or 0 for the program's own) that every
  // later open and erase reaches; like a new root, another view closes the open key.
  void SetView(REGSAM view);

  // Opens `path` (creating missing keys when `create` and the path is not empty). On success the
  // new key replaces the open one; on failure nothing changes, the result is false, and
  // `missing` (when given) tells an absent key from one that was refused.
  bool OpenPath(const std::string& path, bool create, bool* missing = nullptr);
  // The same for reading only, never creating: a key that may not be changed can still be read.
  bool OpenPathToRead(const std::string& path, bool* missing = nullptr);
  void ClosePath() { openKey_.Reset(); }

  // Writes raise ERegistryError "Failed to set data for '<name>'" with no key open or on refusal.
  void WriteText(const std::string& name, const std::string& text);
  void WriteDword(const std::string& name, std::int32_t value);
  void WriteFlag(const std::string& name, bool value);

  // The string value, up to its first zero byte; empty when absent or no key is open. Raises
  // "Invalid data type for '<name>'" for a non-empty value that is not a string, and "Failed to
  // get data" when the registry cannot say whether it is there.
  std::string ReadText(const std::string& name);
  // Raises "Failed to get data" when absent, no key is open or the data exceeds 4 bytes, and
  // "Invalid data type" when it fits but is not a DWORD.
  std::int32_t ReadDword(const std::string& name);

  // Raises "Failed to get data" when the registry cannot say.
  bool HasValue(const std::string& name);
  bool EraseValue(const std::string& name);
  // Deletes the key at `path` with everything below it; false when it is missing or stays, and
  // then `missing` (when given) tells which. A path naming the root itself erases nothing.
  bool EraseKeyTree(const std::string& path, bool* missing = nullptr);

 protected:
  friend class TSettingsReader;

  // The base key and remaining path that `path` resolves to.
  std::pair<HKEY, std::string> Resolve(const std::string& path) const;
  HKEY OpenKey() const { return openKey_.Get(); }

  static std::string ReadTextFrom(HKEY key, const std::string& name);
  static std::int32_t ReadDwordFrom(HKEY key, const std::string& name);
  static bool HasValueIn(HKEY key, const std::string& name);

 private:
  bool Open(const std::string& path, bool create, REGSAM access, bool* missing);

  HKEY root_;
  REGSAM view_ = 0;
  platform::RegKey openKey_;
};

class TRegKeyReader : public TRegAccessor {
 public:
  // The text `name` of the key at `path`, opened without creating it for this read only; the
  // default when the key cannot be opened or has no such value. The open key is left as it was.
  std::string ReadTextOr(const std::string& path, const std::string& name,
                         const std::string& defaultText);
};

// Reads the values of one key, which it creates when missing.
class TSettingsReader {
 public:
  explicit TSettingsReader(const std::string& path);

  // A DWORD value, or a string value that reads as an integer; the default when the value is
  // absent or its text is no integer. Other types raise ERegistryError.
  std::int32_t ReadNumberOr(const std::string& name, std::int32_t defaultValue);
  // The same, with nothing where ReadNumberOr gives the default.
  std::optional<std::int32_t> ReadNumber(const std::string& name);
  bool ReadFlagOr(const std::string& name, bool defaultValue);

 private:
  TRegKeyReader reader_;
};

}  // namespace tarnwick::settings
