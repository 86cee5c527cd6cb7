#pragma once
// The program's own path, GUIDs, files and libraries, as a test sets them.
//
// Files live in memory under their full path; a folder exists when a test put it in place or
// put a file below it, and a drive root ("C:") always exists. Paths compare without case and
// with '/' taken as '\', as Windows compares them. Only OPEN_EXISTING opens are modelled; the
// share modes of this process's open handles are enforced against each other as kernel32
// enforces them, and a file a test marks Locked behaves as one another process holds without
// sharing. Libraries are the ones a test names, with the exports it names; their addresses are
// made up and must never be called.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/System.h"

namespace tarnwick::platform::emulated {

class EmulatedSystem final : public System {
 public:
  static constexpr const char* kDefaultModulePath = "C:\\Program Files\\Tarnwick\\tarnwick.exe";

  // What a test can make go wrong with a file that exists.
  enum class FileFault {
    None,
    Locked,      // CreateFileA fails with ERROR_SHARING_VIOLATION
    Unreadable,  // opens, but ReadFile fails with ERROR_LOCK_VIOLATION (a region locked by another
                 // process; Wine does not enforce such locks, so only this side shows it)
  };

  os::DWORD GetModuleFileNameA(os::HINSTANCE module, char* fileName, os::DWORD size) override;
  // GUIDs count up from a seed, so each is new and a test can predict them.
  os::HRESULT CoCreateGuid(os::GUID* guid) override;
  // 64-bit Windows unless a test says otherwise (EmulatedPlatform::SetMachine).
  os::WORD GetNativeProcessorArchitecture() override { return nativeArchitecture_; }
  void SetNativeProcessorArchitecture(os::WORD architecture) { nativeArchitecture_ = architecture; }
  bool FileExists(const char* path) override;
  // Failures as kernel32 reports them: ERROR_FILE_NOT_FOUND when the folder exists,
  // ERROR_PATH_NOT_FOUND when it does not (or a file stands in its place), ERROR_ACCESS_DENIED
  // for a folder, ERROR_INVALID_NAME for a file named with a trailing '\', ERROR_SHARING_VIOLATION,
  // and ERROR_INVALID_PARAMETER for an unknown disposition. Any disposition other than
  // OPEN_EXISTING throws std::logic_error: nothing here creates files.
  os::HANDLE CreateFileA(const char* path, os::DWORD access, os::DWORD share,
                         os::DWORD disposition) override;
  os::BOOL GetFileSizeEx(os::HANDLE file, std::int64_t* size) override;
  // Needs GENERIC_READ on the handle (ERROR_ACCESS_DENIED otherwise). Past the bytes a file
  // holds, up to its size, it reads zeros.
  os::BOOL ReadFile(os::HANDLE file, void* buffer, os::DWORD toRead, os::DWORD* read) override;
  // Needs GENERIC_WRITE on the handle (ERROR_ACCESS_DENIED otherwise); a file grows as it is
  // written past its end. Writes to the standard error handle are kept (StandardErrorText).
  os::BOOL WriteFile(os::HANDLE file, const void* buffer, os::DWORD toWrite,
                     os::DWORD* written) override;
  os::BOOL CloseHandle(os::HANDLE handle) override;
  // As a test set it; a plain start (no flags) unless it did.
  void GetStartupInfoA(os::STARTUPINFOA* info) override;
  void SetStartupInfo(const os::STARTUPINFOA& info) { startup_ = info; }
  // No standard handles, as a windowed program started without them, until a test gives this
  // process a standard error of a file type (a pipe its starter reads, a console, ...).
  os::HANDLE GetStdHandle(os::DWORD which) override;
  void GiveStandardError(os::DWORD fileType = os::kFileTypePipe) { standardErrorType_ = fileType; }
  // Files are disk files; the standard error is of the type it was given.
  os::DWORD GetFileType(os::HANDLE file) override;
  const std::string& StandardErrorText() const { return standardError_; }
  // Only failing calls set it, as with most of kernel32.
  os::DWORD GetLastError() override { return lastError_; }
  // By file name, without case; a name without an extension gets ".dll". Loads are counted,
  // and a library stays loaded (at the same address) until each load is freed.
  os::HINSTANCE LoadLibraryA(const char* name) override;
  // Export names compare with case, as in kernel32; a freed module gives ERROR_MOD_NOT_FOUND.
  void* GetProcAddress(os::HINSTANCE module, const char* name) override;
  os::BOOL FreeLibrary(os::HINSTANCE module) override;
  // Runs the work at once: the emulation has one thread.
  void* StartWork(std::function<void()> work) override;
  void FinishWork(void*) override {}
  // One process: a lock that is held cannot be had, and the wait ends at once, after what a
  // test set with WhileWaitingForLock has run (what the holder does meanwhile).
  void* AcquireNamedLock(const char* name, os::DWORD timeoutMs) override;
  void WhileWaitingForLock(std::function<void(const std::string& name, os::DWORD timeoutMs)> wait) {
    whileWaiting_ = std::move(wait);
  }
  void ReleaseNamedLock(void* lock) override;
  const std::set<std::string>& HeldLocks() const { return heldLocks_; }
  // Each acquisition and release, as "acquire NAME" / "release NAME" / "busy NAME".
  const std::vector<std::string>& LockEvents() const { return lockEvents_; }

  // Other processes run while a test says so; this process is kProcessId and never ends. A
  // wait ends at once: non-zero when the process is not running, 0 as if the wait ran out.
  os::BOOL WaitForProcessExit(os::DWORD processId, os::DWORD timeoutMs) override;
  static constexpr os::DWORD kProcessId = 0x2468;  // EmulatedWindows::kProcessId
  void StartProcess(os::DWORD processId) { processes_.insert(processId); }
  void EndProcess(os::DWORD processId) { processes_.erase(processId); }
  // Each wait as "wait ID TIMEOUT", in hexadecimal and decimal milliseconds.
  const std::vector<std::string>& ProcessWaits() const { return processWaits_; }
  // Runs at the start of each wait, as whatever happens elsewhere while this process waits.
  std::function<void(os::DWORD processId)> OnProcessWait;

  void SetModulePath(std::string path) { modulePath_ = std::move(path); }
  std::uint64_t GuidsMade() const { return guidsMade_; }
  // Makes CoCreateGuid fail with E_FAIL, as it can when ole32 cannot be loaded.
  void FailGuids(bool fail = true) { failGuids_ = fail; }

  // --- Files ----------------------------------------------------------------------------------

  // Puts a file holding `content` at `path`, with the folders above it, replacing what was
  // there. Handles open on a replaced file keep reading the old one.
  void PutFile(const std::string& path, std::string_view content = {});
  void AddFile(const std::string& path) { PutFile(path); }
  // The file's size reads as `size`, above what it holds if need be (a file of many GiB without
  // the memory); below, the content is cut.
  void SetFileSize(const std::string& path, std::int64_t size);
  void SetFileFault(const std::string& path, FileFault fault);
  void PutFolder(const std::string& path);
  void RemoveFile(const std::string& path);
  std::size_t OpenFileCount() const { return open_.size(); }
  // How many bytes ReadFile has handed out, of every file.
  std::uint64_t BytesRead() const { return bytesRead_; }

  // --- Libraries ------------------------------------------------------------------------------

  void AddLibrary(const std::string& name, const std::vector<std::string>& exports);
  // How many loads of the library are not freed yet.
  int LibraryLoads(const std::string& name) const;

 private:
  struct File {
    std::string content;
    std::int64_t size = 0;
    FileFault fault = FileFault::None;
  };
  struct OpenFile {
    std::string key;
    std::shared_ptr<File> file;
    os::DWORD access = 0;
    os::DWORD share = 0;
    std::int64_t position = 0;
  };
  struct Library {
    std::uintptr_t base = 0;
    std::vector<std::string> exports;
    int loads = 0;
  };

  os::BOOL Fail(os::LONG error) {
    lastError_ = static_cast<os::DWORD>(error);
    return 0;
  }
  bool FolderExists(const std::string& key) const;
  void AddFolders(const std::string& key);
  File& ExistingFile(const std::string& path);
  OpenFile* FindOpen(os::HANDLE handle);
  Library* FindLoaded(os::HINSTANCE module);

  std::string modulePath_ = kDefaultModulePath;
  std::uint64_t guidsMade_ = 0;
  std::set<std::string> heldLocks_;
  bool failGuids_ = false;
  std::function<void(const std::string&, os::DWORD)> whileWaiting_;
  std::vector<std::string> lockEvents_;
  std::set<os::DWORD> processes_;
  std::vector<std::string> processWaits_;
  os::DWORD lastError_ = 0;
  os::WORD nativeArchitecture_ = os::kProcessorArchitectureAmd64;
  os::STARTUPINFOA startup_;
  os::DWORD standardErrorType_ = os::kFileTypeUnknown;  // none given
  std::string standardError_;

  std::map<std::string, std::shared_ptr<File>> files_;  // by key (see PathKey)
  std::set<std::string> folders_;                       // by key
  std::map<std::uintptr_t, OpenFile> open_;
  std::uint64_t bytesRead_ = 0;
  std::uintptr_t lastHandle_ = 0x100;

  std::map<std::string, Library> libraries_;  // by upper-case file name
  std::uintptr_t lastBase_ = 0x70000000;      // fits a 32-bit build too
};

}  // namespace tarnwick::platform::emulated
