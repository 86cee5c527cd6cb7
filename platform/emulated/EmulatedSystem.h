#pragma once
// The program's own path, GUIDs and files, as a test sets them.
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "platform/System.h"

namespace tarnwick::platform::emulated {

class EmulatedSystem final : public System {
 public:
  static constexpr const char* kDefaultModulePath = "C:\\Program Files\\Tarnwick\\tarnwick.exe";

  os::DWORD GetModuleFileNameA(os::HINSTANCE module, char* fileName, os::DWORD size) override;
  // GUIDs count up from a seed, so each is new and a test can predict them.
  os::HRESULT CoCreateGuid(os::GUID* guid) override;
  bool FileExists(const char* path) override;
  // One process: a lock that is held cannot be had, and the wait ends at once.
  void* AcquireNamedLock(const char* name, os::DWORD timeoutMs) override;
  void ReleaseNamedLock(void* lock) override;
  const std::set<std::string>& HeldLocks() const { return heldLocks_; }
  // Each acquisition and release, as "acquire NAME" / "release NAME" / "busy NAME".
  const std::vector<std::string>& LockEvents() const { return lockEvents_; }

  void SetModulePath(std::string path) { modulePath_ = std::move(path); }
  void AddFile(std::string path) { files_.insert(std::move(path)); }
  std::uint64_t GuidsMade() const { return guidsMade_; }

 private:
  std::string modulePath_ = kDefaultModulePath;
  std::set<std::string> files_;
  std::uint64_t guidsMade_ = 0;
  std::set<std::string> heldLocks_;
  std::vector<std::string> lockEvents_;
};

}  // namespace tarnwick::platform::emulated
