#include "platform/emulated/EmulatedSystem.h"

#include <algorithm>
#include <cstring>

namespace tarnwick::platform::emulated {

os::DWORD EmulatedSystem::GetModuleFileNameA(os::HINSTANCE, char* fileName, os::DWORD size) {
  if (fileName == nullptr || size == 0) return 0;
  const std::size_t count = std::min<std::size_t>(modulePath_.size(), size - 1);
  std::memcpy(fileName, modulePath_.data(), count);
  fileName[count] = '\0';
  return static_cast<os::DWORD>(count);
}

os::HRESULT EmulatedSystem::CoCreateGuid(os::GUID* guid) {
  if (guid == nullptr) return static_cast<os::HRESULT>(0x80070057);  // E_INVALIDARG
  ++guidsMade_;
  guid->Data1 = 0xA1B2C3D4u + static_cast<os::DWORD>(guidsMade_);
  guid->Data2 = 0x0E5F;
  guid->Data3 = 0x4a6b;
  for (int i = 0; i < 8; ++i) {
    guid->Data4[i] = static_cast<os::BYTE>((guidsMade_ >> (8 * (i % 4))) + 0x9c + i);
  }
  return 0;
}

void* EmulatedSystem::AcquireNamedLock(const char* name, os::DWORD) {
  const std::string key = name != nullptr ? name : "";
  if (!heldLocks_.insert(key).second) {
    lockEvents_.push_back("busy " + key);
    return nullptr;
  }
  lockEvents_.push_back("acquire " + key);
  return const_cast<std::string*>(&*heldLocks_.find(key));
}

void EmulatedSystem::ReleaseNamedLock(void* lock) {
  if (lock == nullptr) return;
  const std::string key = *static_cast<std::string*>(lock);
  lockEvents_.push_back("release " + key);
  heldLocks_.erase(key);
}

bool EmulatedSystem::FileExists(const char* path) {
  return path != nullptr && files_.count(path) != 0;
}

}  // namespace tarnwick::platform::emulated
