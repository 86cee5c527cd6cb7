#pragma once
// advapi32's registry, reached through the platform interface.
#include "platform/Registry.h"

namespace tarnwick::platform::win32 {

class Win32Registry final : public Registry {
 public:
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
};

}  // namespace tarnwick::platform::win32
