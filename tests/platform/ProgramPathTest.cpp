// The program's own path, whichever way the system reports a path that does not fit.
#include "platform/ProgramPath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/emulated/EmulatedPlatform.h"

namespace tarnwick::platform {
namespace {

using emulated::EmulatedPlatform;

// Windows cuts a path that does not fit to size - 1 characters and returns size; older systems
// (and the emulated one) return the cut length instead. Both must lead to the whole path.
class CuttingSystem final : public System {
 public:
  CuttingSystem(std::string path, bool returnsSize)
      : path_(std::move(path)), returnsSize_(returnsSize) {}

  os::DWORD GetModuleFileNameA(os::HINSTANCE, char* fileName, os::DWORD size) override {
    ++calls_;
    if (size == 0) return 0;
    const std::size_t count = std::min<std::size_t>(path_.size(), size - 1);
    std::memcpy(fileName, path_.data(), count);
    fileName[count] = '\0';
    const bool cut = count < path_.size();
    return cut && returnsSize_ ? size : static_cast<os::DWORD>(count);
  }
  os::HRESULT CoCreateGuid(os::GUID*) override { return 0; }
  os::WORD GetNativeProcessorArchitecture() override { return 0; }
  bool FileExists(const char*) override { return false; }
  os::HANDLE CreateFileA(const char*, os::DWORD, os::DWORD, os::DWORD) override {
    return os::InvalidHandleValue();
  }
  os::BOOL GetFileSizeEx(os::HANDLE, std::int64_t*) override { return 0; }
  os::BOOL ReadFile(os::HANDLE, void*, os::DWORD, os::DWORD*) override { return 0; }
  os::BOOL WriteFile(os::HANDLE, const void*, os::DWORD, os::DWORD*) override { return 0; }
  void GetStartupInfoA(os::STARTUPINFOA*) override {}
  os::HANDLE GetStdHandle(os::DWORD) override { return nullptr; }
  os::DWORD GetFileType(os::HANDLE) override { return 0; }
  os::BOOL CloseHandle(os::HANDLE) override { return 0; }
  os::DWORD GetLastError() override { return 0; }
  os::HINSTANCE LoadLibraryA(const char*) override { return nullptr; }
  void* GetProcAddress(os::HINSTANCE, const char*) override { return nullptr; }
  os::BOOL FreeLibrary(os::HINSTANCE) override { return 0; }
  void* StartWork(std::function<void()> work) override {
    work();
    return nullptr;
  }
  void FinishWork(void*) override {}
  void* AcquireNamedLock(const char*, os::DWORD) override { return nullptr; }
  void ReleaseNamedLock(void*) override {}
  os::BOOL WaitForProcessExit(os::DWORD, os::DWORD) override { return 1; }

  int Calls() const { return calls_; }

 private:
  std::string path_;
  bool returnsSize_;
  int calls_ = 0;
};

TEST(ProgramPath, IsNeverCutHoweverTheSystemReportsACut) {
  EmulatedPlatform os;
  for (bool returnsSize : {false, true}) {
    for (std::size_t length : {1u, 258u, 259u, 260u, 261u, 300u, 519u, 520u, 521u, 1023u, 1024u,
                               1025u, 4000u, 32767u}) {
      SCOPED_TRACE(::testing::Message() << "returnsSize " << returnsSize << ", length " << length);
      std::string path = "C:\\Tools\\" + std::string(length, 'd');
      path.resize(length);
      CuttingSystem system(path, returnsSize);
      const Services before =
          Install(Services{&os.registry(), &os.windows(), &os.shell(), &system});
      const std::string found = ProgramPath();
      Install(before);
      EXPECT_EQ(path, found);
      // Doubling from 260: a few asks even for the longest path.
      EXPECT_LE(system.Calls(), 8);
    }
  }
}

TEST(ProgramPath, TheEmulatedSystemsPathComesBackWhole) {
  EmulatedPlatform os;
  const std::string deep = "C:\\" + std::string(2000, 'p') + "\\tarnwick.exe";
  os.system().SetModulePath(deep);
  EXPECT_EQ(deep, ProgramPath());
}

TEST(ProgramPath, IsEmptyWhenTheSystemCannotTell) {
  EmulatedPlatform os;
  os.system().SetModulePath("");
  EXPECT_EQ("", ProgramPath());
}

}  // namespace
}  // namespace tarnwick::platform
