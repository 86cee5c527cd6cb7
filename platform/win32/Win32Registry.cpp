#include "platform/win32/Win32Registry.h"

#include <windows.h>

namespace tarnwick::platform::win32 {
namespace {
::HKEY Native(HKEY key) { return reinterpret_cast<::HKEY>(key); }
::HKEY* Native(HKEY* key) { return reinterpret_cast<::HKEY*>(key); }
static_assert(sizeof(DWORD) == sizeof(::DWORD) && sizeof(LONG) == sizeof(::LONG));
}  // namespace

LONG Win32Registry::RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, REGSAM desired,
                                  HKEY* result) {
  return ::RegOpenKeyExA(Native(key), subKey, options, desired, Native(result));
}

LONG Win32Registry::RegCreateKeyExA(HKEY key, const char* subKey, DWORD reserved,
                                    char* className, DWORD options, REGSAM desired,
                                    const void* security, HKEY* result, DWORD* disposition) {
  return ::RegCreateKeyExA(Native(key), subKey, reserved, className, options, desired,
                           static_cast<LPSECURITY_ATTRIBUTES>(const_cast<void*>(security)),
                           Native(result), reinterpret_cast<::DWORD*>(disposition));
}

LONG Win32Registry::RegCloseKey(HKEY key) { return ::RegCloseKey(Native(key)); }

LONG Win32Registry::RegSetValueExA(HKEY key, const char* valueName, DWORD reserved, DWORD type,
                                   const BYTE* data, DWORD dataSize) {
  return ::RegSetValueExA(Native(key), valueName, reserved, type, data, dataSize);
}

LONG Win32Registry::RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved,
                                     DWORD* type, BYTE* data, DWORD* dataSize) {
  return ::RegQueryValueExA(Native(key), valueName, reinterpret_cast<::DWORD*>(reserved),
                            reinterpret_cast<::DWORD*>(type), data,
                            reinterpret_cast<::DWORD*>(dataSize));
}

LONG Win32Registry::RegQueryInfoKeyA(HKEY key, char* className, DWORD* classLength,
                                     DWORD* reserved, DWORD* subKeys, DWORD* maxSubKeyLength,
                                     DWORD* maxClassLength, DWORD* values,
                                     DWORD* maxValueNameLength, DWORD* maxValueLength,
                                     DWORD* securityDescriptorSize, void* lastWriteTime) {
  auto d = [](DWORD* p) { return reinterpret_cast<::DWORD*>(p); };
  return ::RegQueryInfoKeyA(Native(key), className, d(classLength), d(reserved), d(subKeys),
                            d(maxSubKeyLength), d(maxClassLength), d(values),
                            d(maxValueNameLength), d(maxValueLength), d(securityDescriptorSize),
                            static_cast<FILETIME*>(lastWriteTime));
}

LONG Win32Registry::RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameLength,
                                  DWORD* reserved, char* className, DWORD* classLength,
                                  void* lastWriteTime) {
  auto d = [](DWORD* p) { return reinterpret_cast<::DWORD*>(p); };
  return ::RegEnumKeyExA(Native(key), index, name, d(nameLength), d(reserved), className,
                         d(classLength), static_cast<FILETIME*>(lastWriteTime));
}

LONG Win32Registry::RegDeleteKeyA(HKEY key, const char* subKey) {
  return ::RegDeleteKeyA(Native(key), subKey);
}

// Loaded when present: 32-bit Windows XP lacks it, and has one view, where the plain call serves.
LONG Win32Registry::RegDeleteKeyExA(HKEY key, const char* subKey, REGSAM desired, DWORD reserved) {
  using DeleteKeyEx = ::LONG(WINAPI*)(::HKEY, ::LPCSTR, ::REGSAM, ::DWORD);
  static const DeleteKeyEx deleteKeyEx = reinterpret_cast<DeleteKeyEx>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleA("advapi32.dll"), "RegDeleteKeyExA")));
  if (deleteKeyEx != nullptr) return deleteKeyEx(Native(key), subKey, desired, reserved);
  if ((desired & (KEY_WOW64_64KEY | KEY_WOW64_32KEY)) == 0) return ::RegDeleteKeyA(Native(key), subKey);
  return ERROR_CALL_NOT_IMPLEMENTED;
}

LONG Win32Registry::RegDeleteValueA(HKEY key, const char* valueName) {
  return ::RegDeleteValueA(Native(key), valueName);
}

}  // namespace tarnwick::platform::win32
