#pragma once
// Win32 scalar types and constants for code that must not see <windows.h>.
// Values are the Win32 ones; names are ours, because <windows.h> defines the originals as macros.
#include <cstdint>

namespace tarnwick::os {

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using BOOL = int;
using UINT = unsigned int;
using REGSAM = DWORD;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

// Opaque handles: distinct types so that a key cannot be passed where a window is meant.
struct HKEY__;
using HKEY = HKEY__*;

inline HKEY PredefinedKey(std::uint32_t value) {
  // Win32 sign-extends the predefined key values to pointer width.
  return reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<std::int32_t>(value)));
}
inline HKEY HkeyClassesRoot() { return PredefinedKey(0x80000000u); }
inline HKEY HkeyCurrentUser() { return PredefinedKey(0x80000001u); }
inline HKEY HkeyLocalMachine() { return PredefinedKey(0x80000002u); }

// Result codes.
constexpr LONG kErrorSuccess = 0;
constexpr LONG kErrorFileNotFound = 2;
constexpr LONG kErrorAccessDenied = 5;
constexpr LONG kErrorInvalidHandle = 6;
constexpr LONG kErrorOutOfMemory = 14;
constexpr LONG kErrorInvalidParameter = 87;
constexpr LONG kErrorBadPathname = 161;
constexpr LONG kErrorMoreData = 234;
constexpr LONG kErrorNoMoreItems = 259;
constexpr LONG kErrorKeyDeleted = 1018;

// Registry value types.
constexpr DWORD kRegNone = 0;
constexpr DWORD kRegSz = 1;
constexpr DWORD kRegExpandSz = 2;
constexpr DWORD kRegBinary = 3;
constexpr DWORD kRegDword = 4;
constexpr DWORD kRegMultiSz = 7;
constexpr DWORD kRegQword = 11;

// Registry access rights.
constexpr REGSAM kKeyQueryValue = 0x0001;
constexpr REGSAM kKeySetValue = 0x0002;
constexpr REGSAM kKeyCreateSubKey = 0x0004;
constexpr REGSAM kKeyEnumerateSubKeys = 0x0008;
constexpr REGSAM kKeyNotify = 0x0010;
constexpr REGSAM kKeyCreateLink = 0x0020;
constexpr REGSAM kKeyRead = 0x20019;
constexpr REGSAM kKeyWrite = 0x20006;
constexpr REGSAM kKeyAllAccess = 0xF003F;

// RegCreateKeyEx options and dispositions.
constexpr DWORD kRegOptionNonVolatile = 0;
constexpr DWORD kRegCreatedNewKey = 1;
constexpr DWORD kRegOpenedExistingKey = 2;

}  // namespace tarnwick::os
