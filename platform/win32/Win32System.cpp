#include "platform/win32/Win32System.h"

#include <windows.h>
#include <sddl.h>

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>

namespace tarnwick::platform::win32 {

static_assert(sizeof(os::GUID) == sizeof(::GUID));
// Ours is copied from kernel32's whole, so it must have its layout.
static_assert(sizeof(os::STARTUPINFOA) == sizeof(::STARTUPINFOA) &&
              offsetof(os::STARTUPINFOA, dwFlags) == offsetof(::STARTUPINFOA, dwFlags) &&
              offsetof(os::STARTUPINFOA, wShowWindow) == offsetof(::STARTUPINFOA, wShowWindow) &&
              offsetof(os::STARTUPINFOA, hStdError) == offsetof(::STARTUPINFOA, hStdError));

os::DWORD Win32System::GetModuleFileNameA(os::HINSTANCE module, char* fileName, os::DWORD size) {
  return ::GetModuleFileNameA(reinterpret_cast<::HMODULE>(module), fileName, size);
}

// ole32 is loaded only here: only Register makes a GUID, and loading it at every start would
// cost each start a few milliseconds under Wine.
os::HRESULT Win32System::CoCreateGuid(os::GUID* guid) {
  using CreateGuid = ::HRESULT(WINAPI*)(::GUID*);
  static const CreateGuid create = [] {
    auto* ole32 = static_cast<::HMODULE>(LoadSystemLibrary("ole32.dll"));  // kept for good
    return ole32 == nullptr ? nullptr
                            : reinterpret_cast<CreateGuid>(reinterpret_cast<void*>(
                                  ::GetProcAddress(ole32, "CoCreateGuid")));
  }();
  if (create == nullptr) return static_cast<os::HRESULT>(0x80004005L);  // E_FAIL
  ::GUID real;
  const ::HRESULT result = create(&real);
  if (guid != nullptr) {
    guid->Data1 = real.Data1;
    guid->Data2 = real.Data2;
    guid->Data3 = real.Data3;
    for (int i = 0; i < 8; ++i) guid->Data4[i] = real.Data4[i];
  }
  return result;
}

os::WORD Win32System::GetNativeProcessorArchitecture() {
  ::SYSTEM_INFO info = {};
  ::GetNativeSystemInfo(&info);
  return info.wProcessorArchitecture;
}

namespace {

// A lock in the global namespace is met by accounts of other sessions, whose objects' default
// security shuts each other out: the system account (a package's actions) and administrators
// may each wait for it and hold it, whoever made it.
constexpr char kGlobalPrefix[] = "Global\\";
constexpr char kGlobalLockSecurity[] = "D:(A;;0x00100001;;;SY)(A;;0x00100001;;;BA)";
constexpr ::DWORD kLockAccess = SYNCHRONIZE | MUTEX_MODIFY_STATE;

}  // namespace

void* Win32System::AcquireNamedLock(const char* name, os::DWORD timeoutMs) {
  ::SECURITY_ATTRIBUTES security = {sizeof security, nullptr, FALSE};
  const bool global =
      name != nullptr && std::strncmp(name, kGlobalPrefix, sizeof kGlobalPrefix - 1) == 0;
  if (global && !::ConvertStringSecurityDescriptorToSecurityDescriptorA(
                    kGlobalLockSecurity, SDDL_REVISION_1, &security.lpSecurityDescriptor,
                    nullptr)) {
    return nullptr;
  }
  ::HANDLE mutex = ::CreateMutexExA(global ? &security : nullptr, name, 0, kLockAccess);
  ::LocalFree(security.lpSecurityDescriptor);
  if (mutex == nullptr) return nullptr;
  const ::DWORD result = ::WaitForSingleObject(mutex, timeoutMs);
  // An abandoned lock (its holder died) is ours now.
  if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) return mutex;
  ::CloseHandle(mutex);
  return nullptr;
}

void Win32System::ReleaseNamedLock(void* lock) {
  if (lock == nullptr) return;
  ::ReleaseMutex(static_cast<::HANDLE>(lock));
  ::CloseHandle(static_cast<::HANDLE>(lock));
}

os::BOOL Win32System::WaitForProcessExit(os::DWORD processId, os::DWORD timeoutMs) {
  if (processId == ::GetCurrentProcessId()) return FALSE;
  ::HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, processId);
  // Only an id that names no process is refused as a parameter; a process we may not wait for
  // (another user's) is taken as still running.
  if (process == nullptr) return ::GetLastError() == ERROR_INVALID_PARAMETER;
  const ::DWORD result = ::WaitForSingleObject(process, timeoutMs);
  ::CloseHandle(process);
  return result == WAIT_OBJECT_0;
}

bool Win32System::FileExists(const char* path) {
  const ::DWORD attributes = ::GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

os::HANDLE Win32System::CreateFileA(const char* path, os::DWORD access, os::DWORD share,
                                    os::DWORD disposition) {
  return ::CreateFileA(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

os::BOOL Win32System::GetFileSizeEx(os::HANDLE file, std::int64_t* size) {
  ::LARGE_INTEGER native{};
  const ::BOOL done = ::GetFileSizeEx(file, &native);
  if (done && size != nullptr) *size = native.QuadPart;
  return done;
}

os::BOOL Win32System::ReadFile(os::HANDLE file, void* buffer, os::DWORD toRead, os::DWORD* read) {
  // kernel32 needs the count's address on a handle opened without overlapped reads.
  ::DWORD count = 0;
  const ::BOOL done = ::ReadFile(file, buffer, toRead, &count, nullptr);
  if (read != nullptr) *read = count;
  return done;
}

os::BOOL Win32System::WriteFile(os::HANDLE file, const void* buffer, os::DWORD toWrite,
                                 os::DWORD* written) {
  ::DWORD count = 0;
  const ::BOOL done = ::WriteFile(file, buffer, toWrite, &count, nullptr);
  if (written != nullptr) *written = count;
  return done;
}

void Win32System::GetStartupInfoA(os::STARTUPINFOA* info) {
  if (info == nullptr) return;
  ::STARTUPINFOA native{};
  native.cb = sizeof native;
  ::GetStartupInfoA(&native);
  std::memcpy(static_cast<void*>(info), &native, sizeof native);
}

os::HANDLE Win32System::GetStdHandle(os::DWORD which) { return ::GetStdHandle(which); }

os::DWORD Win32System::GetFileType(os::HANDLE file) { return ::GetFileType(file); }

os::BOOL Win32System::CloseHandle(os::HANDLE handle) { return ::CloseHandle(handle); }

os::DWORD Win32System::GetLastError() { return ::GetLastError(); }

void* LoadSystemLibrary(const char* name) {
  if (::HMODULE library = ::LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    return library;
  }
  // Windows 7 without its 2011 loader update does not know the flag; the full path does the same.
  if (::GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
  char folder[MAX_PATH];
  const ::UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  return ::LoadLibraryA((std::string(folder, length) + "\\" + name).c_str());
}

os::HINSTANCE Win32System::LoadLibraryA(const char* name) {
  return reinterpret_cast<os::HINSTANCE>(LoadSystemLibrary(name));
}

void* Win32System::GetProcAddress(os::HINSTANCE module, const char* name) {
  return reinterpret_cast<void*>(::GetProcAddress(reinterpret_cast<::HMODULE>(module), name));
}

os::BOOL Win32System::FreeLibrary(os::HINSTANCE module) {
  return ::FreeLibrary(reinterpret_cast<::HMODULE>(module));
}

namespace {

::DWORD WINAPI RunWork(void* parameter) {
  const std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(parameter));
  try {
    (*work)();
  } catch (...) {  // nothing may leave a thread's procedure
  }
  return 0;
}

}  // namespace

void* Win32System::StartWork(std::function<void()> work) {
  auto owned = std::make_unique<std::function<void()>>(std::move(work));
  if (::HANDLE thread = ::CreateThread(nullptr, 0, &RunWork, owned.get(), 0, nullptr)) {
    static_cast<void>(owned.release());  // the thread frees it
    return thread;
  }
  (*owned)();  // without a thread of its own, the work is still done
  return nullptr;
}

void Win32System::FinishWork(void* work) {
  ::WaitForSingleObject(work, INFINITE);
  ::CloseHandle(work);
}

}  // namespace tarnwick::platform::win32
