#include "platform/win32/Win32System.h"

#include <windows.h>
#include <objbase.h>

namespace tarnwick::platform::win32 {

static_assert(sizeof(os::GUID) == sizeof(::GUID));

os::DWORD Win32System::GetModuleFileNameA(os::HINSTANCE module, char* fileName, os::DWORD size) {
  return ::GetModuleFileNameA(reinterpret_cast<::HMODULE>(module), fileName, size);
}

os::HRESULT Win32System::CoCreateGuid(os::GUID* guid) {
  ::GUID real;
  const ::HRESULT result = ::CoCreateGuid(&real);
  if (guid != nullptr) {
    guid->Data1 = real.Data1;
    guid->Data2 = real.Data2;
    guid->Data3 = real.Data3;
    for (int i = 0; i < 8; ++i) guid->Data4[i] = real.Data4[i];
  }
  return result;
}

bool Win32System::FileExists(const char* path) {
  const ::DWORD attributes = ::GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace tarnwick::platform::win32
