#include "platform/emulated/EmulatedSystem.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace tarnwick::platform::emulated {

namespace {

constexpr os::DWORD kCreateNew = 1;
constexpr os::DWORD kTruncateExisting = 5;
const os::HANDLE kStandardError = reinterpret_cast<os::HANDLE>(std::uintptr_t{0x5E0});

// How Windows compares paths: without case, '/' as '\'.
std::string PathKey(std::string_view path) {
  std::string key(path);
  for (char& c : key) {
    c = c == '/' ? '\\' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return key;
}

std::string Parent(const std::string& key) {
  const std::size_t slash = key.rfind('\\');
  return slash == std::string::npos ? std::string() : key.substr(0, slash);
}

std::string LibraryKey(std::string_view name) {
  const std::size_t slash = name.find_last_of("\\/");
  if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
  std::string key = PathKey(name);
  if (key.find('.') == std::string::npos) key += ".DLL";
  return key;
}

}  // namespace

os::DWORD EmulatedSystem::GetModuleFileNameA(os::HINSTANCE, char* fileName, os::DWORD size) {
  if (fileName == nullptr || size == 0) return 0;
  const std::size_t count = std::min<std::size_t>(modulePath_.size(), size - 1);
  std::memcpy(fileName, modulePath_.data(), count);
  fileName[count] = '\0';
  return static_cast<os::DWORD>(count);
}

os::HRESULT EmulatedSystem::CoCreateGuid(os::GUID* guid) {
  if (guid == nullptr) return static_cast<os::HRESULT>(0x80070057);  // E_INVALIDARG
  if (failGuids_) return static_cast<os::HRESULT>(0x80004005L);       // E_FAIL
  ++guidsMade_;
  guid->Data1 = 0xA1B2C3D4u + static_cast<os::DWORD>(guidsMade_);
  guid->Data2 = 0x0E5F;
  guid->Data3 = 0x4a6b;
  for (int i = 0; i < 8; ++i) {
    guid->Data4[i] = static_cast<os::BYTE>((guidsMade_ >> (8 * (i % 4))) + 0x9c + i);
  }
  return 0;
}

void* EmulatedSystem::AcquireNamedLock(const char* name, os::DWORD timeoutMs) {
  const std::string key = name != nullptr ? name : "";
  if (heldLocks_.count(key) != 0 && timeoutMs != 0 && whileWaiting_) whileWaiting_(key, timeoutMs);
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

os::BOOL EmulatedSystem::WaitForProcessExit(os::DWORD processId, os::DWORD timeoutMs) {
  char text[48];
  std::snprintf(text, sizeof text, "wait %lX %lu", static_cast<unsigned long>(processId),
                static_cast<unsigned long>(timeoutMs));
  processWaits_.emplace_back(text);
  if (OnProcessWait) OnProcessWait(processId);
  return processId != kProcessId && processes_.count(processId) == 0 ? 1 : 0;
}

bool EmulatedSystem::FileExists(const char* path) {
  return path != nullptr && files_.count(PathKey(path)) != 0;
}

// --- Files --------------------------------------------------------------------------------------

bool EmulatedSystem::FolderExists(const std::string& key) const {
  const bool driveRoot = key.size() == 2 && key[1] == ':';
  return driveRoot || folders_.count(key) != 0;
}

void EmulatedSystem::AddFolders(const std::string& key) {
  for (std::string folder = Parent(key); !folder.empty(); folder = Parent(folder)) {
    folders_.insert(folder);
  }
}

void EmulatedSystem::PutFile(const std::string& path, std::string_view content) {
  const std::string key = PathKey(path);
  auto file = std::make_shared<File>();
  file->content = content;
  file->size = static_cast<std::int64_t>(content.size());
  files_[key] = std::move(file);
  folders_.erase(key);
  AddFolders(key);
}

EmulatedSystem::File& EmulatedSystem::ExistingFile(const std::string& path) {
  auto found = files_.find(PathKey(path));
  if (found == files_.end()) throw std::logic_error("no emulated file " + path);
  return *found->second;
}

void EmulatedSystem::SetFileSize(const std::string& path, std::int64_t size) {
  if (size < 0) throw std::logic_error("a file size is not negative");
  File& file = ExistingFile(path);
  file.size = size;
  if (static_cast<std::uint64_t>(size) < file.content.size()) {
    file.content.resize(static_cast<std::size_t>(size));
  }
}

void EmulatedSystem::SetFileFault(const std::string& path, FileFault fault) {
  ExistingFile(path).fault = fault;
}

void EmulatedSystem::PutFolder(const std::string& path) {
  const std::string key = PathKey(path);
  files_.erase(key);
  folders_.insert(key);
  AddFolders(key);
}

void EmulatedSystem::RemoveFile(const std::string& path) { files_.erase(PathKey(path)); }

os::HANDLE EmulatedSystem::CreateFileA(const char* path, os::DWORD access, os::DWORD share,
                                       os::DWORD disposition) {
  const os::HANDLE invalid = os::InvalidHandleValue();
  if (disposition < kCreateNew || disposition > kTruncateExisting) {
    Fail(os::kErrorInvalidParameter);
    return invalid;
  }
  if (disposition != os::kOpenExisting) {
    throw std::logic_error("the emulated system opens existing files only");
  }
  std::string key = PathKey(path != nullptr ? path : "");
  if (!key.empty() && key.back() == '\\') {
    key.pop_back();
    if (files_.count(key) != 0) {
      Fail(os::kErrorInvalidName);
      return invalid;
    }
  }
  if (FolderExists(key)) {
    Fail(os::kErrorAccessDenied);
    return invalid;
  }
  auto found = files_.find(key);
  if (found == files_.end()) {
    const std::string folder = Parent(key);
    Fail(!folder.empty() && FolderExists(folder) ? os::kErrorFileNotFound : os::kErrorPathNotFound);
    return invalid;
  }
  if (found->second->fault == FileFault::Locked) {
    Fail(os::kErrorSharingViolation);
    return invalid;
  }
  // Each side must share what the other side may do.
  const auto allows = [](os::DWORD shareMode, os::DWORD rights) {
    return ((rights & os::kGenericRead) == 0 || (shareMode & os::kFileShareRead) != 0) &&
           ((rights & os::kGenericWrite) == 0 || (shareMode & os::kFileShareWrite) != 0);
  };
  for (const auto& [handle, other] : open_) {
    if (other.file == found->second && (!allows(other.share, access) || !allows(share, other.access))) {
      Fail(os::kErrorSharingViolation);
      return invalid;
    }
  }
  lastHandle_ += 4;
  open_[lastHandle_] = OpenFile{key, found->second, access, share, 0};
  return reinterpret_cast<os::HANDLE>(lastHandle_);
}

EmulatedSystem::OpenFile* EmulatedSystem::FindOpen(os::HANDLE handle) {
  auto found = open_.find(reinterpret_cast<std::uintptr_t>(handle));
  return found == open_.end() ? nullptr : &found->second;
}

os::BOOL EmulatedSystem::GetFileSizeEx(os::HANDLE file, std::int64_t* size) {
  const OpenFile* open = FindOpen(file);
  if (open == nullptr) return Fail(os::kErrorInvalidHandle);
  if (size == nullptr) return Fail(os::kErrorInvalidParameter);
  *size = open->file->size;
  return 1;
}

os::BOOL EmulatedSystem::ReadFile(os::HANDLE file, void* buffer, os::DWORD toRead,
                                  os::DWORD* read) {
  if (read != nullptr) *read = 0;
  OpenFile* open = FindOpen(file);
  if (open == nullptr) return Fail(os::kErrorInvalidHandle);
  if ((open->access & os::kGenericRead) == 0) return Fail(os::kErrorAccessDenied);
  if (open->file->fault == FileFault::Unreadable) return Fail(os::kErrorLockViolation);
  const File& data = *open->file;
  const std::int64_t left = std::max<std::int64_t>(0, data.size - open->position);
  const auto count = static_cast<os::DWORD>(std::min<std::int64_t>(left, toRead));
  if (count > 0 && buffer == nullptr) return Fail(os::kErrorInvalidParameter);
  // Held bytes first, then the zeros of a file whose size runs past them.
  const auto held = static_cast<std::int64_t>(data.content.size());
  const auto fromContent = static_cast<std::size_t>(
      std::clamp<std::int64_t>(held - open->position, 0, count));
  auto* out = static_cast<char*>(buffer);
  if (fromContent > 0) {
    std::memcpy(out, data.content.data() + open->position, fromContent);
  }
  if (count > fromContent) std::memset(out + fromContent, 0, count - fromContent);
  open->position += count;
  bytesRead_ += count;
  if (read != nullptr) *read = count;
  return 1;
}

os::BOOL EmulatedSystem::WriteFile(os::HANDLE file, const void* buffer, os::DWORD toWrite,
                                   os::DWORD* written) {
  if (written != nullptr) *written = 0;
  if (toWrite > 0 && buffer == nullptr) return Fail(os::kErrorInvalidParameter);
  const auto* bytes = static_cast<const char*>(buffer);
  if (file == kStandardError && standardErrorType_ != os::kFileTypeUnknown) {
    standardError_.append(bytes, toWrite);
  } else {
    OpenFile* open = FindOpen(file);
    if (open == nullptr) return Fail(os::kErrorInvalidHandle);
    if ((open->access & os::kGenericWrite) == 0) return Fail(os::kErrorAccessDenied);
    File& data = *open->file;
    const auto end = static_cast<std::size_t>(open->position) + toWrite;
    if (data.content.size() < end) data.content.resize(end);
    std::memcpy(data.content.data() + open->position, bytes, toWrite);
    data.size = std::max<std::int64_t>(data.size, static_cast<std::int64_t>(end));
    open->position += toWrite;
  }
  if (written != nullptr) *written = toWrite;
  return 1;
}

void EmulatedSystem::GetStartupInfoA(os::STARTUPINFOA* info) {
  if (info != nullptr) *info = startup_;
}

os::HANDLE EmulatedSystem::GetStdHandle(os::DWORD which) {
  const bool given = which == os::kStdErrorHandle && standardErrorType_ != os::kFileTypeUnknown;
  return given ? kStandardError : nullptr;
}

os::DWORD EmulatedSystem::GetFileType(os::HANDLE file) {
  if (file == kStandardError && standardErrorType_ != os::kFileTypeUnknown) {
    return standardErrorType_;
  }
  if (FindOpen(file) == nullptr) return Fail(os::kErrorInvalidHandle);
  return os::kFileTypeDisk;
}

os::BOOL EmulatedSystem::CloseHandle(os::HANDLE handle) {
  if (open_.erase(reinterpret_cast<std::uintptr_t>(handle)) == 0) {
    return Fail(os::kErrorInvalidHandle);
  }
  return 1;
}

// --- Libraries ----------------------------------------------------------------------------------

void EmulatedSystem::AddLibrary(const std::string& name, const std::vector<std::string>& exports) {
  Library& library = libraries_[LibraryKey(name)];
  if (library.base == 0) {
    lastBase_ += 0x100000;
    library.base = lastBase_;
  }
  library.exports = exports;
}

int EmulatedSystem::LibraryLoads(const std::string& name) const {
  auto found = libraries_.find(LibraryKey(name));
  return found == libraries_.end() ? 0 : found->second.loads;
}

os::HINSTANCE EmulatedSystem::LoadLibraryA(const char* name) {
  auto found = libraries_.find(LibraryKey(name != nullptr ? name : ""));
  if (name == nullptr || *name == '\0' || found == libraries_.end()) {
    Fail(os::kErrorModNotFound);
    return nullptr;
  }
  ++found->second.loads;
  return reinterpret_cast<os::HINSTANCE>(found->second.base);
}

EmulatedSystem::Library* EmulatedSystem::FindLoaded(os::HINSTANCE module) {
  for (auto& [key, library] : libraries_) {
    if (library.loads > 0 && reinterpret_cast<os::HINSTANCE>(library.base) == module) {
      return &library;
    }
  }
  return nullptr;
}

void* EmulatedSystem::GetProcAddress(os::HINSTANCE module, const char* name) {
  const Library* library = FindLoaded(module);
  if (library == nullptr) {
    Fail(os::kErrorModNotFound);
    return nullptr;
  }
  // A name below 0x10000 is an ordinal, which no emulated library exports.
  const bool ordinal = reinterpret_cast<std::uintptr_t>(name) < 0x10000;
  const auto& exports = library->exports;
  const auto found = ordinal ? exports.end() : std::find(exports.begin(), exports.end(), name);
  if (found == exports.end()) {
    Fail(os::kErrorProcNotFound);
    return nullptr;
  }
  const auto index = static_cast<std::uintptr_t>(found - exports.begin());
  return reinterpret_cast<void*>(library->base + 0x1000 + 0x10 * index);
}

void* EmulatedSystem::StartWork(std::function<void()> work) {
  work();
  return nullptr;
}

os::BOOL EmulatedSystem::FreeLibrary(os::HINSTANCE module) {
  Library* library = FindLoaded(module);
  if (library == nullptr) return Fail(os::kErrorModNotFound);
  --library->loads;
  return 1;
}

}  // namespace tarnwick::platform::emulated
