#pragma once
// The registry as advapi32 offers it: the nine calls the program uses, with their arguments and
// result codes. Strings are ANSI; sizes are in bytes, name lengths in characters.
#include "platform/Types.h"

namespace tarnwick::platform {

namespace os = ::tarnwick::os;
using os::BYTE;
using os::DWORD;
using os::HKEY;
using os::LONG;
using os::REGSAM;

class Registry {
 public:
  virtual ~Registry() = default;

  virtual LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, REGSAM desired,
                             HKEY* result) = 0;
  virtual LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD reserved, char* className,
                               DWORD options, REGSAM desired, const void* security, HKEY* result,
                               DWORD* disposition) = 0;
  virtual LONG RegCloseKey(HKEY key) = 0;
  virtual LONG RegSetValueExA(HKEY key, const char* valueName, DWORD reserved, DWORD type,
                              const BYTE* data, DWORD dataSize) = 0;
  // Without `data`, reports type and size only; with it, fails with kErrorMoreData when the
  // value does not fit and then reports the size needed.
  virtual LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type,
                                BYTE* data, DWORD* dataSize) = 0;
  virtual LONG RegQueryInfoKeyA(HKEY key, char* className, DWORD* classLength, DWORD* reserved,
                                DWORD* subKeys, DWORD* maxSubKeyLength, DWORD* maxClassLength,
                                DWORD* values, DWORD* maxValueNameLength, DWORD* maxValueLength,
                                DWORD* securityDescriptorSize, void* lastWriteTime) = 0;
  virtual LONG RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameLength,
                             DWORD* reserved, char* className, DWORD* classLength,
                             void* lastWriteTime) = 0;
  // Deletes a key that has no subkeys.
  virtual LONG RegDeleteKeyA(HKEY key, const char* subKey) = 0;
  // The same in the registry view that `desired` names (kKeyWow6464Key or kKeyWow6432Key).
  virtual LONG RegDeleteKeyExA(HKEY key, const char* subKey, REGSAM desired, DWORD reserved) = 0;
  virtual LONG RegDeleteValueA(HKEY key, const char* valueName) = 0;
};

}  // namespace tarnwick::platform
