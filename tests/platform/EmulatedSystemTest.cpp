// What only the emulated kernel32 offers: the faults, sizes and libraries a test puts in place.
#include "platform/emulated/EmulatedSystem.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Owners.h"
#include "platform/emulated/EmulatedPlatform.h"

namespace tarnwick::platform::emulated {
namespace {

using namespace os;
using Fault = EmulatedSystem::FileFault;

constexpr const char* kPath = "C:\\Users\\me\\History\\History.IE5\\index.dat";
constexpr DWORD kShareBoth = kFileShareRead | kFileShareWrite;

class EmulatedSystemTest : public ::testing::Test {
 protected:
  FileHandle Open(const std::string& path = kPath) {
    return OpenOwnedFile(path.c_str(), kGenericRead, kShareBoth, kOpenExisting);
  }
  // What a read of up to `count` bytes gives, or "error N".
  std::string Read(const FileHandle& file, DWORD count) {
    std::string buffer(count, '?');
    DWORD read = 0;
    if (!sys_.ReadFile(file.Get(), buffer.data(), count, &read)) {
      return "error " + std::to_string(sys_.GetLastError());
    }
    return buffer.substr(0, read);
  }

  EmulatedPlatform os_;
  EmulatedSystem& sys_ = os_.system();
};

TEST_F(EmulatedSystemTest, FaultsMakeAFileLockedOrUnreadableUntilCleared) {
  sys_.PutFile(kPath, "abc");
  sys_.SetFileFault(kPath, Fault::Locked);
  EXPECT_TRUE(sys_.FileExists(kPath));
  EXPECT_FALSE(Open());
  EXPECT_EQ(static_cast<DWORD>(kErrorSharingViolation), sys_.GetLastError());

  sys_.SetFileFault(kPath, Fault::Unreadable);
  FileHandle file = Open();
  ASSERT_TRUE(file);
  std::int64_t size = 0;
  EXPECT_TRUE(sys_.GetFileSizeEx(file.Get(), &size));
  EXPECT_EQ(3, size);
  EXPECT_EQ("error 33", Read(file, 3));

  sys_.SetFileFault(kPath, Fault::None);
  EXPECT_EQ("abc", Read(file, 3));
  EXPECT_THROW(sys_.SetFileFault("C:\\nothing.dat", Fault::Locked), std::logic_error);
}

TEST_F(EmulatedSystemTest, ASizeAboveTheContentReadsAsZerosAndOneBelowCutsIt) {
  sys_.PutFile(kPath, "abcdef");
  sys_.SetFileSize(kPath, 10);
  FileHandle file = Open();
  EXPECT_EQ("abcd", Read(file, 4));
  EXPECT_EQ(std::string("ef\0\0\0\0", 6), Read(file, 100));
  EXPECT_EQ("", Read(file, 100));

  sys_.SetFileSize(kPath, 2);
  EXPECT_EQ("ab", Read(Open(), 100));
  EXPECT_THROW(sys_.SetFileSize(kPath, -1), std::logic_error);
}

TEST_F(EmulatedSystemTest, AnOpenHandleKeepsTheFileItOpenedWhenItIsReplacedOrRemoved) {
  sys_.PutFile(kPath, "old");
  FileHandle replaced = Open();
  sys_.PutFile(kPath, "new");
  FileHandle removed = Open();
  sys_.RemoveFile(kPath);
  EXPECT_EQ("old", Read(replaced, 10));
  EXPECT_EQ("new", Read(removed, 10));
  EXPECT_FALSE(Open());
  EXPECT_EQ(static_cast<DWORD>(kErrorFileNotFound), sys_.GetLastError());
  EXPECT_EQ(2u, sys_.OpenFileCount());
  replaced.Reset();
  removed.Reset();
  EXPECT_EQ(0u, sys_.OpenFileCount());
}

TEST_F(EmulatedSystemTest, OnlyExistingFilesAreOpened) {
  sys_.PutFile(kPath, "abc");
  EXPECT_EQ(InvalidHandleValue(), sys_.CreateFileA(kPath, kGenericRead, kShareBoth, 99));
  EXPECT_EQ(static_cast<DWORD>(kErrorInvalidParameter), sys_.GetLastError());
  for (DWORD creating : {1u, 2u, 4u, 5u}) {  // CREATE_NEW, CREATE_ALWAYS, OPEN_ALWAYS, TRUNCATE
    EXPECT_THROW(sys_.CreateFileA(kPath, kGenericRead, kShareBoth, creating), std::logic_error);
  }
  EXPECT_EQ(0u, sys_.OpenFileCount());
}

TEST_F(EmulatedSystemTest, LibrariesAreFoundByFileNameAndCountTheirLoads) {
  sys_.AddLibrary("WinINet.dll", {"FindFirstUrlCacheEntryA"});
  EXPECT_EQ(0, sys_.LibraryLoads("wininet"));
  {
    LibraryHandle byPath = LoadOwnedLibrary("C:\\Windows\\system32\\wininet.dll");
    LibraryHandle byName = LoadOwnedLibrary("wininet");
    ASSERT_TRUE(byPath);
    EXPECT_EQ(byPath.Get(), byName.Get());
    EXPECT_EQ(2, sys_.LibraryLoads("WININET.DLL"));
    // An ordinal names no emulated export.
    EXPECT_EQ(nullptr, sys_.GetProcAddress(byPath.Get(), reinterpret_cast<const char*>(1)));
    EXPECT_EQ(static_cast<DWORD>(kErrorProcNotFound), sys_.GetLastError());
  }
  EXPECT_EQ(0, sys_.LibraryLoads("wininet.dll"));
}

TEST_F(EmulatedSystemTest, TheCursorShownIsRecorded) {
  EmulatedWindows& windows = os_.windows();
  EXPECT_EQ(nullptr, windows.ShownCursor());
  const HCURSOR wait = windows.LoadStandardCursor(kIdcWait);
  const HCURSOR arrow = windows.LoadStandardCursor(kIdcArrow);
  windows.SetCursor(wait);
  windows.SetCursor(arrow);
  EXPECT_EQ(arrow, windows.ShownCursor());
  EXPECT_EQ((std::vector<HCURSOR>{wait, arrow}), windows.CursorsSet());
}

}  // namespace
}  // namespace tarnwick::platform::emulated
